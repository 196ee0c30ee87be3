#include <QGridLayout>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <utility>

#include "macros/macros_subsystem.h"
#include "platform/language.h"
#include "ui/qt/pages/page_builder.h"
#include "ui/qt/pages/settings_widgets.h"

namespace ui::qt {

namespace m = macros;

namespace {

// Shows a menu of (command, text) entries at `where`; the chosen command, 0 when dismissed.
int RunMenu(QWidget* owner, const std::vector<MenuItem>& items, const QPoint& where) {
  QMenu menu(owner);
  for (const MenuItem& item : items) menu.addAction(Q(item.text))->setData(item.command);
  QAction* chosen = menu.exec(where);
  return chosen ? chosen->data().toInt() : 0;
}

// MacroList and CRecordList: the items of the control's state, the selection reported as a
// click with the row, and a context menu whose command is posted as `menu_message`. The
// macro list also lets the person rename an entry in place (reported as a change).
class ItemList : public QListWidget, public CustomControl {
 public:
  ItemList(QtToolkit& toolkit, int menu_message, std::vector<MenuItem> menu, bool editable)
      : toolkit_(toolkit),
        menu_message_(menu_message),
        menu_(std::move(menu)),
        editable_(editable) {
    setContextMenuPolicy(Qt::CustomContextMenu);
    setEditTriggers(editable ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                             : QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setObjectName(QStringLiteral("ItemList"));
    connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
      const int r = row(item);
      CustomControl::State().cur_sel = r;
      Notify(kNotifyClicked, r);
    });
    connect(this, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
      if (syncing_) return;
      const int r = row(item);
      auto& items = CustomControl::State().items;
      if (r < 0 || r >= static_cast<int>(items.size())) return;
      items[r].text = U(item->text());
      Notify(kNotifyChanged, r);
    });
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
      QListWidgetItem* item = itemAt(at);
      if (!item) return;
      setCurrentItem(item);
      CustomControl::State().cur_sel = row(item);
      Notify(kNotifyClicked, row(item));
      if (const int command = RunMenu(this, menu_, viewport()->mapToGlobal(at))) {
        toolkit_.PostMessage(menu_message_, command, 0);
      }
    });
  }

  // Many changes come in a burst (an event list of thousands): the list is rebuilt once
  // after them.
  void StateChanged() override {
    if (pending_) return;
    pending_ = true;
    QTimer::singleShot(0, this, [this] { Sync(); });
  }

 private:
  void Sync() {
    pending_ = false;
    syncing_ = true;
    const auto& items = CustomControl::State().items;
    setUpdatesEnabled(false);
    while (count() > static_cast<int>(items.size())) delete takeItem(count() - 1);
    for (size_t i = 0; i < items.size(); ++i) {
      const QString text = Q(items[i].text);
      if (static_cast<int>(i) < count()) {
        if (item(static_cast<int>(i))->text() != text) item(static_cast<int>(i))->setText(text);
        continue;
      }
      auto* entry = new QListWidgetItem(text, this);
      if (editable_) entry->setFlags(entry->flags() | Qt::ItemIsEditable);
    }
    const int sel = CustomControl::State().cur_sel;
    setCurrentRow(sel >= 0 && sel < count() ? sel : -1);
    if (sel < 0) clearSelection();
    setUpdatesEnabled(true);
    syncing_ = false;
  }

  QtToolkit& toolkit_;
  int menu_message_;
  std::vector<MenuItem> menu_;
  bool editable_;
  bool pending_ = false;
  bool syncing_ = false;
};

QLineEdit* NumberField(PageBuilder& page, int id, const QString& initial, QLayout* into,
                       int digits) {
  QLineEdit* field = page.Edit(id, initial, into);
  field->setFixedWidth(72);
  field->setAlignment(Qt::AlignCenter);
  field->setValidator(new QRegularExpressionValidator(
      QRegularExpression(QStringLiteral("-?\\d{0,%1}").arg(digits)), field));
  return field;
}

}  // namespace

// Page layout 52: the macro list with its buttons, the event list with its editor, the
// recording button, and the delay and playback choices.
void BuildMacroPage(PageBuilder& page) {
  QtToolkit& tk = page.Toolkit();
  QHBoxLayout* columns = page.Row();

  // The macros.
  QFrame* list_card = page.Card(m::kTextMacrosHeading, columns);
  auto* macro_list = new ItemList(tk, m::kMsgMacroListMenu, m::MacroListMenu(), true);
  macro_list->setMinimumWidth(220);
  page.Add(m::kMacroList, macro_list, list_card->layout());
  QHBoxLayout* list_buttons = page.Row(list_card->layout());
  page.Button(m::kNewMacro, {}, list_buttons)->setObjectName(QStringLiteral("PrimaryButton"));
  page.Button(m::kExportMacro, {}, list_buttons);
  page.Button(m::kImportMacro, {}, list_buttons);

  // The events of the selected macro.
  QFrame* event_card = page.Card(m::kTextEventsHeading, columns);
  QHBoxLayout* event_row = page.Row(event_card->layout());
  auto* event_list = new ItemList(tk, m::kMsgEventMenu, m::EventMenu(), false);
  event_list->setMinimumWidth(260);
  page.Add(m::kEventList, event_list, event_row);
  auto* arrows = new QVBoxLayout;
  event_row->addLayout(arrows);
  // Square arrow buttons: without the text buttons' side padding, so the arrow shows.
  for (auto [id, arrow] : {std::pair{m::kEventUp, u'\u2191'}, {m::kEventDown, u'\u2193'}}) {
    QPushButton* button = page.Button(id, QString(QChar(arrow)), arrows);
    button->setObjectName(QStringLiteral("IconButton"));
    button->setFixedSize(36, 36);
  }
  arrows->addStretch(1);

  QHBoxLayout* event_buttons = page.Row(event_card->layout());
  QPushButton* insert = page.Button(m::kInsertEvent, {}, event_buttons);
  // The insert button opens its menu; the chosen entry reaches the page as a message.
  QObject::connect(insert, &QPushButton::clicked, insert, [&tk, insert] {
    const int command =
        RunMenu(insert, m::InsertMenu(), insert->mapToGlobal(QPoint(0, insert->height())));
    if (command) tk.PostMessage(m::kMsgInsertMenu, command, 0);
  });
  page.Button(m::kDeleteEvent, {}, event_buttons);
  page.Button(m::kDeleteAllEvents, {}, event_buttons);
  event_buttons->addStretch(1);

  // The editor of the selected event: one row, its controls shown by the event's kind.
  QFrame* editor = page.Card(m::kTextEventHeading, event_card->layout());
  QHBoxLayout* editor_row = page.Row(editor->layout());
  page.Combo(m::kEventKind, editor_row)->setMinimumWidth(140);
  page.Edit(m::kEventField, QString(), editor_row)->setFixedWidth(120);
  page.Combo(m::kEventButton, editor_row)->setMinimumWidth(120);
  page.Radio(m::kMoveLeft, QStringLiteral("\u2190"), QStringLiteral("IDC_MACRO_MOVE_STC_X"),
             editor_row);
  page.Radio(m::kMoveRight, QStringLiteral("\u2192"), QStringLiteral("IDC_MACRO_MOVE_STC_X"),
             editor_row);
  NumberField(page, m::kMoveXField, QString(), editor_row, 3);
  page.Radio(m::kMoveUpward, QStringLiteral("\u2191"), QStringLiteral("IDC_MACRO_MOVE_STC_Y"),
             editor_row);
  page.Radio(m::kMoveDownward, QStringLiteral("\u2193"), QStringLiteral("IDC_MACRO_MOVE_STC_Y"),
             editor_row);
  NumberField(page, m::kMoveYField, QString(), editor_row, 3);
  editor_row->addStretch(1);

  // Recording, delays and playback.
  auto* side = new QVBoxLayout;
  columns->addLayout(side);
  QFrame* record_card = page.Card(m::kTextRecordingTitle, side);
  QPushButton* record = page.Button(m::kRecordButton, T(m::kTextRecord), record_card->layout());
  record->setObjectName(QStringLiteral("PrimaryButton"));
  QLabel* hint = page.Text(m::kRecordHint, {}, record_card->layout());
  hint->setObjectName(QStringLiteral("Muted"));
  hint->setWordWrap(true);
  auto* progress = new QProgressBar;
  progress->setRange(0, 100);
  MarkText(progress, m::kTextUploading);
  page.Add(m::kUploadProgress, progress, record_card->layout());
  progress->setVisible(false);

  QFrame* delay_card = page.Card(m::kTextDelaysHeading, side);
  page.Radio(m::kDelayNone, {}, QStringLiteral("IDC_MACRO_STC_DELAYSET"), delay_card->layout());
  page.Radio(m::kDelayRecorded, {}, QStringLiteral("IDC_MACRO_STC_DELAYSET"), delay_card->layout());
  QHBoxLayout* fixed_row = page.Row(delay_card->layout());
  page.Radio(m::kDelayFixed, {}, QStringLiteral("IDC_MACRO_STC_DELAYSET"), fixed_row);
  NumberField(page, m::kFixedDelayField, QStringLiteral("10"), fixed_row, 5);
  fixed_row->addStretch(1);

  QFrame* play_card = page.Card(m::kTextPlaybackHeading, side);
  QHBoxLayout* count_row = page.Row(play_card->layout());
  page.Radio(m::kPlayCount, {}, QStringLiteral("IDC_MACRO_RADIO_LOOP1"), count_row);
  NumberField(page, m::kPlayCountField, QStringLiteral("1"), count_row, 4);
  count_row->addStretch(1);
  page.Radio(m::kPlayHold, {}, QStringLiteral("IDC_MACRO_RADIO_LOOP1"), play_card->layout());
  page.Radio(m::kPlayToggle, {}, QStringLiteral("IDC_MACRO_RADIO_LOOP1"), play_card->layout());
  page.Radio(m::kPlayOnce, {}, QStringLiteral("IDC_MACRO_RADIO_LOOP1"), play_card->layout());
  side->addStretch(1);

  columns->setStretch(0, 2);
  columns->setStretch(1, 3);
  columns->setStretch(2, 2);
  page.ApplyTexts(m::kPageTexts);
}

}  // namespace ui::qt
