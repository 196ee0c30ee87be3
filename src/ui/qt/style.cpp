#include "ui/qt/style.h"

#include <QApplication>
#include <QFont>

namespace ui::qt {

QString StyleSheet(const QColor& accent, const QString& skin_dir) {
  // Headings are bold (700): Chinese fonts without a bold face are emboldened from 700 up only.
  QString sheet = R"(
QWidget { color: #E2E5EC; font-size: 14px; }
QWidget#MainBackground { background: #16181D; border: 1px solid #2B2F37; }
QWidget#CaptionStrip { background: #111317; border-bottom: 1px solid #23262D; }
QLabel#CaptionText { font-size: 16px; font-weight: 700; color: #F3F4F7; }
QLabel#CaptionSubText { color: #848A98; font-size: 12px; }
QWidget#StatusStrip { background: #16181D; }
QWidget#TabStrip { background: #16181D; border-bottom: 1px solid #23262D; }
QWidget#PageArea { background: #16181D; }
QWidget#Page { background: transparent; }
QScrollArea#PageScroll { background: transparent; border: none; }
QLabel#ConnectionLabel { background: #1F2228; border: 1px solid #2B2F37; border-radius: 13px;
  padding: 3px 14px 3px 28px; color: #C9CDD6; }
QLabel#PageTitle { font-size: 20px; font-weight: 700; color: #F3F4F7; }
QLabel#Muted { color: #848A98; }
QFrame#Card { background: #1C1F25; border: 1px solid #262A32; border-radius: 12px; }
QLabel#CardTitle { font-size: 15px; font-weight: 700; color: #F3F4F7; min-height: 24px; }
QPushButton { background: #23262E; border: 1px solid #2F333C; border-radius: 8px;
  padding: 7px 18px; color: #E2E5EC; }
QPushButton:hover { background: #2A2E37; border-color: ACCENT; }
QPushButton:pressed { background: #1D2026; }
QPushButton:focus { border: 1px solid ACCENT_LIGHT; background: #2A2E37; }
QPushButton#PrimaryButton:focus { border: 1px solid #FFFFFF; }
QComboBox:focus { border-color: ACCENT_LIGHT; }
QCheckBox:focus, QRadioButton:focus { color: #FFFFFF; }
QCheckBox::indicator:focus, QRadioButton::indicator:focus { border: 2px solid ACCENT_LIGHT; }
QSlider::handle:horizontal:focus { border: 2px solid ACCENT_LIGHT; width: 10px; height: 10px;
  margin: -5px 0; border-radius: 7px; }
QListWidget#ItemList:focus { border-color: ACCENT_LIGHT; }
QPushButton:disabled { color: #5C616C; border-color: #262A31; }
QPushButton:checked { background: ACCENT_SOFT; border-color: ACCENT; color: #FFFFFF; }
QPushButton#PrimaryButton { background: ACCENT; border: 1px solid ACCENT; color: #FFFFFF;
  font-weight: 700; }
QPushButton#PrimaryButton:hover { background: ACCENT_LIGHT; }
QPushButton#PrimaryButton:pressed { background: ACCENT; border-color: ACCENT_LIGHT; }
QPushButton#IconButton { padding: 0; }
QPushButton#LinkButton { background: transparent; border: none; padding: 4px 2px; color: ACCENT; }
QPushButton#LinkButton:hover { text-decoration: underline; color: ACCENT_LIGHT; }
QComboBox { background: #1F2228; border: 1px solid #2F333C; border-radius: 8px;
  padding: 5px 12px; min-height: 22px; }
QComboBox:hover { border-color: ACCENT; }
QComboBox::drop-down { border: none; width: 26px; }
QComboBox::down-arrow { image: url(SKIN/combo_arrow.svg); width: 12px; height: 8px; }
QComboBox { combobox-popup: 0; }
QComboBoxPrivateContainer { background: #1F2228; border: 1px solid #2F333C; border-radius: 8px; }
QComboBox QAbstractItemView { background: #1F2228; border: none; color: #E2E5EC;
  selection-background-color: ACCENT; selection-color: #FFFFFF; outline: none; padding: 4px; }
QComboBox QAbstractItemView::item { min-height: 28px; padding: 0 8px; border-radius: 5px; }
QComboBox QAbstractItemView::item:hover { background: #2A2E37; }
QComboBox QAbstractItemView::item:selected { background: ACCENT; color: #FFFFFF; }
QLineEdit, QSpinBox, QPlainTextEdit { background: #111317; border: 1px solid #2F333C;
  border-radius: 7px; padding: 5px 8px; selection-background-color: ACCENT; }
QLineEdit:hover, QSpinBox:hover, QPlainTextEdit:hover { border-color: #4A4F5A; }
QLineEdit:focus, QSpinBox:focus, QPlainTextEdit:focus { border-color: ACCENT; }
QLineEdit:disabled, QSpinBox:disabled, QComboBox:disabled { color: #5C616C; border-color: #262A31; }
QCheckBox, QRadioButton { spacing: 8px; }
QCheckBox::indicator, QRadioButton::indicator { width: 16px; height: 16px;
  border: 1px solid #4A4F5A; background: #111317; }
QCheckBox::indicator { border-radius: 4px; }
QRadioButton::indicator { border-radius: 8px; }
QCheckBox::indicator:hover, QRadioButton::indicator:hover { border-color: ACCENT; }
QCheckBox::indicator:checked { background: ACCENT; border-color: ACCENT;
  image: url(SKIN/check.svg); }
QRadioButton::indicator:checked { border-color: ACCENT; background: qradialgradient(cx:0.5,
  cy:0.5, radius:0.5, fx:0.5, fy:0.5, stop:0 #FFFFFF, stop:0.32 #FFFFFF, stop:0.42 ACCENT,
  stop:1 ACCENT); }
QCheckBox:disabled, QRadioButton:disabled { color: #5C616C; }
QCheckBox::indicator:disabled, QRadioButton::indicator:disabled { border-color: #2B2F37;
  background: #1A1C21; }
QSlider::groove:horizontal { height: 4px; background: #2B2F37; border-radius: 2px; }
QSlider::sub-page:horizontal { background: ACCENT; border-radius: 2px; }
QSlider::handle:horizontal { background: #FFFFFF; width: 14px; height: 14px;
  margin: -5px 0; border-radius: 7px; }
QSlider::handle:horizontal:hover { border: 2px solid ACCENT; width: 10px; height: 10px;
  margin: -5px 0; border-radius: 7px; }
QSlider::handle:horizontal:pressed { background: ACCENT_LIGHT; }
QSlider::sub-page:horizontal:disabled { background: #3A3E48; }
QSlider::handle:horizontal:disabled { background: #5C616C; }
QProgressBar { background: #111317; border: 1px solid #2B2F37; border-radius: 6px;
  text-align: center; min-height: 12px; }
QProgressBar::chunk { background: ACCENT; border-radius: 5px; }
QListWidget#ItemList { background: #111317; border: 1px solid #2B2F37; border-radius: 8px;
  color: #E2E5EC; padding: 4px; outline: none; }
QListWidget#ItemList::item { min-height: 26px; padding: 0 8px; border-radius: 5px; }
QListWidget#ItemList::item:hover { background: #2A2E37; }
QListWidget#ItemList::item:selected { background: ACCENT; color: #FFFFFF; }
QListWidget#ItemList:disabled { color: #5C616C; }
QToolTip { background: #23262E; color: #E2E5EC; border: 1px solid #363A44; padding: 4px; }
QMenu { background: #1F2228; border: 1px solid #2F333C; padding: 4px; }
QMenu::item { padding: 6px 22px; border-radius: 5px; }
QMenu::item:selected { background: ACCENT; }
QDialog#MessageBox { background: #1C1F25; border: 1px solid #2F333C; border-radius: 10px; }
QLabel#MessageTitle { font-size: 16px; font-weight: 700; }
QLabel#MessageText { font-size: 15px; color: #C9CDD6; }
QDialog#ProgressDlg { background: #1C1F25; border: 1px solid #2F333C; }
QScrollBar:vertical { background: transparent; width: 8px; }
QScrollBar::handle:vertical { background: #363A44; border-radius: 4px; min-height: 24px; }
QScrollBar:horizontal { background: transparent; height: 8px; border: none; }
QScrollBar::handle:horizontal { background: #363A44; border-radius: 4px; min-width: 24px; }
QScrollBar::handle:hover { background: #4A4F5A; }
QScrollBar::add-line, QScrollBar::sub-line { height: 0; width: 0; }
QScrollBar::add-page, QScrollBar::sub-page { background: transparent; }
)";
  sheet.replace(
      "ACCENT_SOFT",
      QString("rgba(%1,%2,%3,70)").arg(accent.red()).arg(accent.green()).arg(accent.blue()));
  sheet.replace("ACCENT_LIGHT", accent.lighter(115).name());
  sheet.replace("ACCENT", accent.name());
  sheet.replace("SKIN", skin_dir);
  return sheet;
}

void SetApplicationFont() {
  QFont font = QApplication::font();
  font.setFamilies({"Segoe UI", "Noto Sans", "Cantarell", "DejaVu Sans", "Microsoft YaHei",
                    "Noto Sans CJK SC", "Source Han Sans SC", "WenQuanYi Micro Hei",
                    "WenQuanYi Zen Hei", "Droid Sans Fallback"});
  font.setPixelSize(14);
  QApplication::setFont(font);
}

}  // namespace ui::qt
