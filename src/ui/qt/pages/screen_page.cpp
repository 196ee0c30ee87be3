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
  // The thumbnails take the focus themselves; the holder is no extra Tab stop.
  area->setFocusPolicy(Qt::NoFocus);
  area->setStyleSheet("QScrollArea, QScrollArea > QWidget > QWidget { background: transparent; }");
  return area;
}

}  // namespace

// Page layout 55, in two rows that fit the window at its normal size: the editor with its
// tools beside the colours and the text tool; below, the items of the profile beside the
// frames of the item and the screen actions.
void BuildScreenPage(PageBuilder& page) {
  using namespace screen;
  QtToolkit& tk = page.Toolkit();
  page.Layout()->setSpacing(12);

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
  tools->addStretch(1);
  for (int id : {kPenButton, kEraseButton, kUndoButton, kAddPicturesButton, kCopyFrameButton,
                 kDeleteFrameButton}) {
    page.Button(id, {}, tools);
  }

  auto* side = new QVBoxLayout;
  side->setSpacing(12);
  top->addLayout(side);
  // Colours: the wheel beside the red, green and blue fields, the presets below.
  QFrame* colours = page.Card(kTextColourHeading, side);
  QHBoxLayout* colour_row = page.Row(colours->layout());
  auto* wheel = page.Add(kColourWheel, new PaletteControl, colour_row);
  wheel->setFixedSize(120 + 2 * PaletteControl::kRingRoom, 120 + 2 * PaletteControl::kRingRoom);
  auto* fields = new QGridLayout;
  fields->setHorizontalSpacing(8);
  fields->setVerticalSpacing(6);
  colour_row->addLayout(fields);
  int row = 0;
  for (int id : {kRedField, kGreenField, kBlueField}) {
    auto* label = new QLabel(id == kRedField ? "R" : id == kGreenField ? "G" : "B");
    label->setObjectName(QStringLiteral("Muted"));
    fields->addWidget(label, row, 0);
    auto* edit = new QLineEdit("255");
    edit->setFixedSize(60, 32);
    edit->setAlignment(Qt::AlignCenter);
    tk.Register(id, edit);
    fields->addWidget(edit, row++, 1);
  }
  colour_row->addStretch(1);
  QHBoxLayout* presets = page.Row(colours->layout());
  for (int i = 0; i < kPresetColourCount; ++i) {
    page.ColorButton(kPresetColour1 + i, "IDC_LCD_DEFAULTCOLOR", presets);
  }
  presets->addStretch(1);
  // The text tool.
  QFrame* text_card = page.Card({}, side);
  QHBoxLayout* text_row = page.Row(text_card->layout());
  page.Label(kTextTextCaption, text_row);
  page.Edit(kTextField, {}, text_row);
  QHBoxLayout* size_row = page.Row(text_card->layout());
  page.Label(kTextSizeCaption, size_row);
  page.Edit(kTextSizeField, "16", size_row)->setFixedWidth(56);
  size_row->addStretch(1);
  page.Button(kAddTextButton, {}, size_row);
  side->addStretch(1);
  top->setStretch(0, 1);

  QHBoxLayout* bottom = page.Row();
  // The items of the profile.
  QFrame* items = page.Card(kTextItemsHeading, bottom);
  items->setFixedWidth(310);
  auto* list = new ThumbnailRow(false);
  tk.Register(kItemList, list);
  items->layout()->addWidget(Scrolling(list, 82));
  QHBoxLayout* item_buttons = page.Row(items->layout());
  page.Button(kNewItemButton, {}, item_buttons);
  page.Button(kImportItemButton, {}, item_buttons);
  page.Button(kDeleteItemButton, {}, item_buttons);

  // The frames of the item and what goes to the screen.
  QFrame* frames = page.Card({}, bottom);
  auto* strip = new ThumbnailRow(true);
  tk.Register(kFrameStrip, strip);
  frames->layout()->addWidget(Scrolling(strip, 96));
  QHBoxLayout* actions = page.Row(frames->layout());
  page.Label(kTextDelayCaption, actions);
  page.Edit(kDelayField, "100", actions)->setFixedWidth(64);
  page.Button(kSaveItemButton, {}, actions);
  page.Button(kExportGifButton, {}, actions);
  actions->addStretch(1);
  page.Toggle(kModeButton, {}, actions);
  page.Button(kClockButton, {}, actions);
  page.Button(kUploadButton, {}, actions);
  bottom->setStretch(1, 1);
  page.ApplyTexts(kPageTexts);
}

}  // namespace ui::qt
