// How the pages are built. Each tab page and the settings panel has one builder function in
// its own file in this folder (home_page.cpp, dpi_page.cpp, ...). MainWindow hands every
// builder its empty page layout; the builder creates its controls and registers each under
// its control number with Add(), which also places it. Nothing else is needed: the toolkit's
// operations then reach the widget, and what the person does with it arrives at
// DeviceMainDlg::OnControlNotify as (number, code, value).
//
//   void BuildDpiPage(PageBuilder& page) {
//     QFrame* card = page.Card(settings::kDpiLevelsHeadingText);
//     page.Combo(104, card->layout());                      // or page.Add(104, new QComboBox, ...)
//     page.Button(102, {}, card->layout());
//     page.ApplyTexts(settings::kDpiPageTexts);              // the owner's (control, text) table
//   }
//
// A control kind Qt has no class for derives from QWidget and CustomControl
// (custom_control.h) and draws from State().
#pragma once

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QWidget>
#include <map>
#include <span>

#include "ui/control_texts.h"
#include "ui/qt/custom_control.h"
#include "ui/qt/fixed_texts.h"
#include "ui/qt/frame_widgets.h"
#include "ui/qt/qt_toolkit.h"

namespace ui::qt {

class PageBuilder {
 public:
  PageBuilder(QtToolkit& toolkit, QWidget* page, int layout_number);

  QtToolkit& Toolkit() { return toolkit_; }
  QWidget* Page() { return page_; }
  // The page's own layout (vertical).
  QVBoxLayout* Layout() { return layout_; }
  int LayoutNumber() const { return number_; }

  // Registers `widget` under control number `id` and adds it to `into` (the page's layout
  // when nullptr). Returns the widget.
  template <class W>
  W* Add(int id, W* widget, QLayout* into = nullptr) {
    toolkit_.Register(id, widget);
    (into ? into : layout_)->addWidget(widget);
    return widget;
  }
  // A widget that only arranges or decorates (no control number).
  template <class W>
  W* Place(W* widget, QLayout* into = nullptr) {
    (into ? into : layout_)->addWidget(widget);
    return widget;
  }
  // A rounded panel with an optional heading; its layout is vertical.
  QFrame* Card(const QString& heading = {}, QLayout* into = nullptr);
  // The same with a heading that follows the language.
  QFrame* Card(platform::TextId heading, QLayout* into = nullptr);
  // A row inside `into` (the page's layout when nullptr).
  QHBoxLayout* Row(QLayout* into = nullptr);

  // The usual control kinds, registered and placed (`into` as for Add):
  QPushButton* Button(int id, const QString& text, QLayout* into = nullptr);  // MButton
  QPushButton* Toggle(int id, const QString& text, QLayout* into = nullptr);  // MButton3
  QCheckBox* Check(int id, const QString& text, QLayout* into = nullptr);     // CCheckButton
  // CRadioButton; buttons with the same group name are exclusive, page-wide.
  QRadioButton* Radio(int id, const QString& text, const QString& group, QLayout* into = nullptr);
  QComboBox* Combo(int id, QLayout* into = nullptr);                              // MComboBox
  QLineEdit* Edit(int id, const QString& initial = {}, QLayout* into = nullptr);  // MEdit
  QSlider* Slider(int id, int minimum, int maximum, QLayout* into = nullptr);     // MSlider
  QLabel* Text(int id, const QString& text, QLayout* into = nullptr);             // MText
  SwitchButton* Switch(int id, QLayout* into = nullptr);                          // CSwitchButton
  // CColorButton: a round swatch showing the control's colour (SetColor); exclusive within
  // its group.
  ColorSwatch* ColorButton(int id, const QString& group, QLayout* into = nullptr);
  // A caption without a control number (a label in front of a control).
  QLabel* Label(const QString& text, QLayout* into = nullptr);
  // The same with a text that follows the language.
  QLabel* Label(platform::TextId text, QLayout* into = nullptr);
  // Gives the page's numbered controls their texts from the page owner's (control, text)
  // table, the one the language switch applies again.
  void ApplyTexts(std::span<const ControlText> texts);

 private:
  QtToolkit& toolkit_;
  QWidget* page_;
  QButtonGroup* Group(const QString& name);

  QVBoxLayout* layout_;
  int number_;
  std::map<QString, QButtonGroup*> groups_;
};

// One per page layout; each lives in its own file.
void BuildHomePage(PageBuilder& page);         // layout 49 (with the model area 56), tab item 1
void BuildButtonPage(PageBuilder& page);       // layout 50, tab item 2
void BuildDpiPage(PageBuilder& page);          // layout 51, tab item 3
void BuildMacroPage(PageBuilder& page);        // layout 52, tab item 4
void BuildLightingPage(PageBuilder& page);     // layout 53, tab item 5
void BuildPerformancePage(PageBuilder& page);  // layout 54, tab item 6
void BuildScreenPage(PageBuilder& page);       // layout 55, tab item 7
void BuildSettingsPanel(PageBuilder& page);    // layout 245 (the settings panel)

}  // namespace ui::qt
