#include "ui/qt/main_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWindow>

#include "platform/language.h"
#include "profiles/profile_files.h"
#include "ui/control_texts.h"
#include "ui/frame_controls.h"
#include "ui/manager.h"
#include "ui/qt/frame_widgets.h"
#include "ui/qt/pages/page_builder.h"
#include "ui/qt/qt_toolkit.h"
#include "ui/qt/style.h"
#include "ui/window_messages.h"

namespace ui::qt {
namespace {

// Posted when the window is closed through the window system (Alt+F4, the task bar).
constexpr int kWmClose = 0x0010;

}  // namespace

MainWindow::MainWindow(QtToolkit& toolkit, const QString& title)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), toolkit_(toolkit) {
  setObjectName("MainBackground");
  setAttribute(Qt::WA_StyledBackground);
  setWindowTitle(title);
  setWindowIcon(QIcon(LogoPixmap(64, title)));
  QString skin = QtToolkit::SkinPath("");
  skin.chop(1);
  setStyleSheet(StyleSheet(QColor::fromRgba(Manager::GetSelectColor()), skin));
  resize(kWidth, kHeight);
  setMinimumSize(960, 620);
  toolkit_.Register(frame::kBackground, this);

  auto* root = new QVBoxLayout(this);
  // One pixel for the window's outline, which the frameless window draws itself.
  root->setContentsMargins(1, 1, 1, 1);
  root->setSpacing(0);
  root->addWidget(BuildCaption(title));
  root->addWidget(BuildStatusStrip());

  auto* tab_strip = new QWidget;
  tab_strip->setObjectName("TabStrip");
  tab_strip->setAttribute(Qt::WA_StyledBackground);
  auto* tab_layout = new QHBoxLayout(tab_strip);
  tab_layout->setContentsMargins(0, 0, 0, 0);
  tab_layout->addWidget(toolkit_.Register(frame::kTabs, new TabRow));
  root->addWidget(tab_strip);
  // The strip follows the tab row's visibility.
  tab_strip->setVisible(true);
  toolkit_.Control(frame::kTabs)->installEventFilter(this);

  root->addWidget(BuildPages(), 1);
}

QWidget* MainWindow::BuildCaption(const QString& title) {
  caption_ = new QWidget;
  caption_->setObjectName("CaptionStrip");
  caption_->setAttribute(Qt::WA_StyledBackground);
  caption_->setFixedHeight(56);
  caption_->installEventFilter(this);
  toolkit_.Register(frame::kCaptionBackground, caption_);
  auto* row = new QHBoxLayout(caption_);
  row->setContentsMargins(18, 0, 10, 0);
  row->setSpacing(0);

  auto* left = toolkit_.Register(frame::kCaptionStrip, new QWidget);
  auto* left_row = new QHBoxLayout(left);
  left_row->setContentsMargins(0, 0, 0, 0);
  left_row->setSpacing(10);
  auto* logo = toolkit_.Register(frame::kLogo, new QLabel);
  logo->setPixmap(LogoPixmap(30, title));
  logo->setFixedSize(30, 30);
  left_row->addWidget(logo);
  auto* caption = toolkit_.Register(frame::kCaptionText, new QLabel(title));
  caption->setObjectName("CaptionText");
  left_row->addWidget(caption);
  auto* sub = toolkit_.Register(frame::kCaptionText2, new QLabel);
  sub->setObjectName("CaptionSubText");
  left_row->addWidget(sub);
  row->addWidget(left);

  // The free space between the strips: pressing here moves the window (the events reach
  // the caption's filter).
  auto* area = toolkit_.Register(frame::kCaptionArea, new QWidget);
  area->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  row->addWidget(area, 1);

  auto* right = toolkit_.Register(frame::kCaptionStripRight, new QWidget);
  auto* right_row = new QHBoxLayout(right);
  right_row->setContentsMargins(0, 0, 0, 0);
  right_row->setSpacing(10);
  auto* third = toolkit_.Register(frame::kCaptionText3, new QLabel);
  third->setObjectName("CaptionSubText");
  right_row->addWidget(third);
  right_row->addWidget(
      toolkit_.Register(frame::kSettings, new WindowButton("sysbtn_setting.png", false)));
  auto* divider = new QWidget;
  divider->setFixedSize(1, 20);
  divider->setStyleSheet("background: #2B2F37;");
  right_row->addWidget(divider);
  right_row->addWidget(
      toolkit_.Register(frame::kMinimize, new WindowButton("sysbtn_min.png", false)));
  right_row->addWidget(
      toolkit_.Register(frame::kMaximize, new WindowButton("sysbtn_maximize.png", false)));
  right_row->addWidget(
      toolkit_.Register(frame::kClose, new WindowButton("sysbtn_close.png", true)));
  row->addWidget(right);
  return caption_;
}

QWidget* MainWindow::BuildStatusStrip() {
  auto* strip = new QWidget;
  strip->setObjectName("StatusStrip");
  strip->setAttribute(Qt::WA_StyledBackground);
  strip->setFixedHeight(54);
  auto* row = new QHBoxLayout(strip);
  row->setContentsMargins(24, 8, 24, 8);
  row->setSpacing(12);
  row->addWidget(toolkit_.Register(frame::kConnection, new ConnectionLabel));
  row->addWidget(toolkit_.Register(frame::kBattery, new BatteryGauge));
  row->addStretch(1);
  auto* profiles = toolkit_.Register(frame::kProfiles, new QComboBox);
  profiles->setMinimumWidth(220);
  row->addWidget(profiles);
  // Import and export: square icon buttons beside the profile selector, told apart by their
  // arrows and tooltips. They start disabled; the profile logic enables them once a model's
  // profiles are there.
  const std::pair<int, Glyph> files[] = {{frame::kImport, Glyph::kImport},
                                         {frame::kExport, Glyph::kExport}};
  for (const auto& [id, glyph] : files) {
    auto* button = toolkit_.Register(id, new QPushButton);
    button->setObjectName("IconButton");
    button->setIcon(GlyphIcon(glyph, 22));
    button->setIconSize(QSize(22, 22));
    button->setFixedSize(38, 36);
    button->setCursor(Qt::PointingHandCursor);
    button->setEnabled(false);
    button->setToolTip(Q(ControlTextOf(profiles::kFileButtonTexts, id, TextPlace::kTooltip)));
    row->addWidget(button);
  }
  // The strip folds away while all of its controls are hidden (the settings panel), so the
  // panel does not sit below an empty band.
  status_strip_ = strip;
  for (QWidget* child : strip->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    child->installEventFilter(this);
  }
  return strip;
}

QWidget* MainWindow::BuildPages() {
  auto* area = new QWidget;
  area->setObjectName("PageArea");
  area->setAttribute(Qt::WA_StyledBackground);
  // Every layout shares one cell; the window logic shows one at a time.
  auto* grid = new QGridLayout(area);
  grid->setContentsMargins(0, 0, 0, 0);
  using Builder = void (*)(PageBuilder&);
  const std::pair<int, Builder> pages[] = {
      {49, BuildHomePage},     {50, BuildButtonPage},
      {51, BuildDpiPage},      {52, BuildMacroPage},
      {53, BuildLightingPage}, {54, BuildPerformancePage},
      {55, BuildScreenPage},   {frame::kSettingsPanel, BuildSettingsPanel},
  };
  for (const auto& [number, build] : pages) {
    auto* page = new QWidget;
    page->setObjectName("Page");
    toolkit_.Register(number, page);
    grid->addWidget(page, 0, 0);
    if (number == 49) {
      // The first tab's model area (picture, frame, hint) is a layout of its own.
      auto* layout = new QVBoxLayout(page);
      layout->setContentsMargins(28, 20, 28, 24);
      layout->setSpacing(16);
      auto* model_area = new QWidget;
      model_area->setObjectName("Page");
      toolkit_.Register(frame::kHomeModelArea, model_area);
      layout->addWidget(model_area);
    }
    PageBuilder builder(toolkit_, page, number);
    build(builder);
    page->setVisible(number == 49);
    if (number == frame::kSettingsPanel) page->installEventFilter(this);
  }
  return area;
}

QWidget* MainWindow::Page(int layout) const {
  const bool known = layout == frame::kHomeModelArea || layout == frame::kSettingsPanel ||
                     (layout >= 49 && layout <= 55);
  return known ? toolkit_.Control(layout) : nullptr;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // Closing through the window system runs the window's close routine, which ends the run.
  if (isVisible()) {
    event->ignore();
    toolkit_.PostMessage(kWmClose, 0, 0);
    return;
  }
  event->accept();
}

void MainWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange) {
    toolkit_.PostMessage(WM_ACTIVATE, isActiveWindow() ? 1 : 0, 0);
  }
  QWidget::changeEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == toolkit_.Control(frame::kTabs)) {
    // The strip around the tab row shows and hides with it.
    if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent) {
      toolkit_.Control(frame::kTabs)
          ->parentWidget()
          ->setVisible(event->type() == QEvent::ShowToParent);
    }
    return false;
  }
  if (watched == toolkit_.Control(frame::kSettingsPanel)) {
    // The settings button stays lit while its panel is open.
    if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent) {
      if (auto* button = qobject_cast<WindowButton*>(toolkit_.Control(frame::kSettings))) {
        button->SetActive(event->type() == QEvent::ShowToParent);
      }
    }
    return false;
  }
  if (status_strip_ && watched->parent() == status_strip_) {
    if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent) {
      bool any = false;
      for (QWidget* child :
           status_strip_->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        any = any || child->isVisibleTo(status_strip_);
      }
      status_strip_->setVisible(any);
    }
    return false;
  }
  if (watched != caption_) return false;
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      auto* e = static_cast<QMouseEvent*>(event);
      if (e->button() != Qt::LeftButton) break;
      // Let the window system move the window where it can; otherwise follow the mouse.
      if (windowHandle() && windowHandle()->startSystemMove()) return true;
      dragging_ = true;
      drag_offset_ = e->globalPosition().toPoint() - frameGeometry().topLeft();
      return true;
    }
    case QEvent::MouseMove:
      if (dragging_) {
        auto* e = static_cast<QMouseEvent*>(event);
        move(e->globalPosition().toPoint() - drag_offset_);
        return true;
      }
      break;
    case QEvent::MouseButtonRelease:
      dragging_ = false;
      break;
    case QEvent::MouseButtonDblClick:
      // As a click on the maximise button.
      toolkit_.Emit(frame::kMaximize, 2, 0);
      return true;
    default:
      break;
  }
  return false;
}

}  // namespace ui::qt
