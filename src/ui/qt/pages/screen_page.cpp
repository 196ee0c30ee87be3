#include "screen/screen_page.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <utility>

#include "platform/language.h"
#include "ui/qt/pages/page_builder.h"
#include "ui/qt/pages/screen_widgets.h"

namespace ui::qt {
namespace {

// A horizontally scrolling holder for a thumbnail row.
QScrollArea* Scrolling(QWidget* row, int height) {
  auto* area = new QScrollArea;
  area->setWidget(row);
  area->setWidgetResizable(true);
  area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  area->setFixedHeight(height);
  area->setFrameShape(QFrame::NoFrame);
  area->setStyleSheet("QScrollArea, QScrollArea > QWidget > QWidget { background: transparent; }");
  return area;
}

}  // namespace

// Page layout 55: the items on top, the editor with its tools and colours in the middle, the
// frames of the item and the screen actions below.
void BuildScreenPage(PageBuilder& page) {
  using namespace screen;
  QtToolkit& tk = page.Toolkit();

  QHBoxLayout* top = page.Row();
  // The editor with its tools.
  QFrame* editor_card = page.Card({}, top);
  auto* editor = page.Add(kEditor, new PixelEditor, editor_card->layout());
  editor->setMinimumSize(240 * 2 + 2, 135 * 2 + 2);
  editor->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  QHBoxLayout* tools = page.Row(editor_card->layout());
  QPushButton* edit_mode = page.Toggle(kEditModeButton, {}, tools);
  edit_mode->setChecked(true);
  page.Toggle(kPreviewModeButton, {}, tools);
  page.Toggle(kPreviewPlayButton, QString::fromUtf8("\u25B6"), tools);
  page.Check(kGridCheck, {}, tools);
  for (int id : {kPenButton, kEraseButton, kUndoButton, kAddPicturesButton, kCopyFrameButton,
                 kDeleteFrameButton}) {
    page.Button(id, {}, tools);
  }
  QHBoxLayout* text_row = page.Row(editor_card->layout());
  page.Label(kTextTextCaption, text_row);
  page.Edit(kTextField, {}, text_row);
  page.Label(kTextSizeCaption, text_row);
  page.Edit(kTextSizeField, "16", text_row)->setMaximumWidth(50);
  page.Button(kAddTextButton, {}, text_row);

  // Colours, then the items of the profile.
  auto* side = new QVBoxLayout;
  top->addLayout(side);
  QFrame* colours = page.Card(kTextColourHeading, side);
  QHBoxLayout* colour_row = page.Row(colours->layout());
  auto* wheel = page.Add(kColourWheel, new PaletteControl, colour_row);
  wheel->setFixedSize(132, 132);
  auto* fields = new QGridLayout;
  colour_row->addLayout(fields);
  int row = 0;
  for (int id : {kRedField, kGreenField, kBlueField}) {
    auto* label = new QLabel(id == kRedField ? "R" : id == kGreenField ? "G" : "B");
    fields->addWidget(label, row, 0);
    auto* edit = new QLineEdit("255");
    edit->setMaximumWidth(52);
    edit->setFixedHeight(30);
    tk.Register(id, edit);
    fields->addWidget(edit, row++, 1);
  }
  QHBoxLayout* presets = page.Row(colours->layout());
  for (int i = 0; i < kPresetColourCount; ++i) {
    page.ColorButton(kPresetColour1 + i, "IDC_LCD_DEFAULTCOLOR", presets);
  }
  QFrame* items = page.Card(kTextItemsHeading, side);
  auto* list = new ThumbnailRow(false);
  tk.Register(kItemList, list);
  items->layout()->addWidget(Scrolling(list, 82));
  QHBoxLayout* item_buttons = page.Row(items->layout());
  page.Button(kNewItemButton, {}, item_buttons);
  page.Button(kImportItemButton, {}, item_buttons);
  page.Button(kDeleteItemButton, {}, item_buttons);
  top->setStretch(0, 1);

  // The frames of the item and what goes to the screen.
  QFrame* frames = page.Card({});
  auto* strip = new ThumbnailRow(true);
  tk.Register(kFrameStrip, strip);
  frames->layout()->addWidget(Scrolling(strip, 96));
  QHBoxLayout* actions = page.Row(frames->layout());
  page.Label(kTextDelayCaption, actions);
  page.Edit(kDelayField, "100", actions)->setMaximumWidth(60);
  page.Button(kSaveItemButton, {}, actions);
  page.Button(kExportGifButton, {}, actions);
  actions->addStretch(1);
  page.Toggle(kModeButton, {}, actions);
  page.Button(kClockButton, {}, actions);
  page.Button(kUploadButton, {}, actions);
  page.ApplyTexts(kPageTexts);
}

}  // namespace ui::qt
