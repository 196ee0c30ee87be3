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
  auto T = [](int n) { return Q(LanguageText(n)); };
  page.Layout()->setSpacing(12);

  QHBoxLayout* top = page.Row();
  // The editor with its tools.
  QFrame* editor_card = page.Card({}, top);
  auto* editor = page.Add(kEditor, new PixelEditor, editor_card->layout());
  editor->setMinimumSize(240 * 2 + 2, 135 * 2 + 2);
  editor->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  QHBoxLayout* tools = page.Row(editor_card->layout());
  QPushButton* edit_mode = page.Toggle(kEditModeButton, T(2222), tools);
  edit_mode->setChecked(true);
  page.Toggle(kPreviewModeButton, T(2223), tools);
  page.Toggle(kPreviewPlayButton, QString::fromUtf8("\u25B6"), tools);
  page.Check(kGridCheck, T(2221), tools);
  tools->addStretch(1);
  for (auto [id, text] : {std::pair{kPenButton, 2217},
                          {kEraseButton, 2218},
                          {kUndoButton, 2220},
                          {kAddPicturesButton, 2215},
                          {kCopyFrameButton, 2216},
                          {kDeleteFrameButton, 2219}}) {
    page.Button(id, T(text), tools);
  }

  auto* side = new QVBoxLayout;
  side->setSpacing(12);
  top->addLayout(side);
  // Colours: the wheel beside the red, green and blue fields, the presets below.
  QFrame* colours = page.Card(T(2225), side);
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
  page.Label(T(2212), text_row);
  page.Edit(kTextField, {}, text_row);
  QHBoxLayout* size_row = page.Row(text_card->layout());
  page.Label(T(2213), size_row);
  page.Edit(kTextSizeField, "16", size_row)->setFixedWidth(56);
  size_row->addStretch(1);
  page.Button(kAddTextButton, T(2214), size_row);
  side->addStretch(1);
  top->setStretch(0, 1);

  QHBoxLayout* bottom = page.Row();
  // The items of the profile.
  QFrame* items = page.Card(T(2202), bottom);
  items->setFixedWidth(310);
  auto* list = new ThumbnailRow(false);
  tk.Register(kItemList, list);
  items->layout()->addWidget(Scrolling(list, 82));
  QHBoxLayout* item_buttons = page.Row(items->layout());
  page.Button(kNewItemButton, T(2209), item_buttons);
  page.Button(kImportItemButton, T(2211), item_buttons);
  page.Button(kDeleteItemButton, T(2210), item_buttons);

  // The frames of the item and what goes to the screen.
  QFrame* frames = page.Card({}, bottom);
  auto* strip = new ThumbnailRow(true);
  tk.Register(kFrameStrip, strip);
  frames->layout()->addWidget(Scrolling(strip, 96));
  QHBoxLayout* actions = page.Row(frames->layout());
  page.Label(T(2204), actions);
  page.Edit(kDelayField, "100", actions)->setFixedWidth(64);
  page.Button(kSaveItemButton, T(2207), actions);
  page.Button(kExportGifButton, T(2208), actions);
  actions->addStretch(1);
  page.Toggle(kModeButton, T(2224), actions);
  page.Button(kClockButton, T(2206), actions);
  page.Button(kUploadButton, T(2205), actions);
  bottom->setStretch(1, 1);
}

}  // namespace ui::qt
