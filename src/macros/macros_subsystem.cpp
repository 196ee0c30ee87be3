#include "macros/macros_subsystem.h"

#include <algorithm>

#include "log/trace.h"
#include "macros/macro_files.h"
#include "platform/clock.h"
#include "platform/language.h"
#include "store/profile_store.h"
#include "ui/control_dispatch.h"

namespace macros {
namespace {

constexpr int kEditCodes[] = {kEditLeft, kEditRight, kEditMiddle, kEditForward, kEditBackward};
constexpr const char* kButtonNames[] = {"LB", "RB", "MB", "Forward", "Backward"};

int Type(const MacroEventRecord& e) { return e.type; }
bool IsKey(int t) { return t == 2 || t == 3; }
bool IsButton(int t) { return t == 4 || t == 5; }
bool IsMove(int t) { return t >= 8 && t <= 11; }

// The name after the arrow of a shown event text.
std::string NameOf(const std::string& desc) {
  for (const char* arrow : {kArrowDown, kArrowUp}) {
    const std::string a = arrow;
    if (desc.starts_with(a)) return desc.substr(a.size());
  }
  return desc;
}

}  // namespace

std::vector<ui::MenuItem> MacroListMenu() { return {{kCmdDeleteMacro, LanguageText(kTextDelete)}}; }

std::vector<ui::MenuItem> InsertMenu() {
  return {{kCmdInsertMouse, LanguageText(kTextInsertMouse)},
          {kCmdInsertKey, LanguageText(kTextInsertKey)},
          {kCmdInsertDelay, LanguageText(kTextInsertDelay)}};
}

std::vector<ui::MenuItem> EventMenu() {
  std::vector<ui::MenuItem> items;
  for (int i = 0; i < 4; ++i) items.push_back({kCmdMoveTop + i, LanguageText(kTextMoveTexts[i])});
  return items;
}

MacrosSubsystem::MacrosSubsystem(settings::SettingsContext& context)
    : c_(context), tk_(context.toolkit), capturer_(nullptr, nullptr) {}

std::string MacrosSubsystem::Text(platform::TextId text) const { return LanguageText(text); }

void MacrosSubsystem::Register(ui::ControlDispatch& d,
                               const std::function<void(int, MessageHandler)>& on_message) {
  d.OnAny(kMacroList, [this](int code, int64_t value) {
    if (code == ui::kNotifyClicked) SelectMacro();
    if (code == ui::kNotifyChanged) RenameMacro(static_cast<int>(value));
  });
  d.OnClick(kNewMacro, [this](int, int64_t) { NewMacro(); });
  d.OnClick(kExportMacro, [this](int, int64_t) { ExportMacro(); });
  d.OnClick(kImportMacro, [this](int, int64_t) { ImportMacro(); });
  d.OnAny(kEventList, [this](int code, int64_t) {
    if (code == ui::kNotifyClicked) SelectEvent();
  });
  d.OnClick(kDeleteEvent, [this](int, int64_t) { DeleteSelectedEvent(); });
  d.OnClick(kDeleteAllEvents, [this](int, int64_t) { DeleteAllEvents(); });
  d.OnClick(kRecordButton, [this](int, int64_t) {
    if (recording_) {
      StopRecording();
    } else {
      StartRecording();
    }
  });
  for (int id = kDelayNone; id <= kDelayFixed; ++id) {
    d.OnClick(id, [this, id](int, int64_t) {
      CheckOnly(kDelayNone, kDelayFixed, id);
      const bool fixed = id == kDelayFixed;
      if (fixed) tk_.SetEditText(kFixedDelayField, std::to_string(kDefaultFixedDelayMs));
      tk_.SetEnabled(kFixedDelayField, fixed);
      SaveMacroSettings();
    });
  }
  for (int id = kPlayCount; id <= kPlayOnce; ++id) {
    d.OnClick(id, [this, id](int, int64_t) {
      CheckOnly(kPlayCount, kPlayOnce, id);
      const bool count = id == kPlayCount;
      if (count) tk_.SetEditText(kPlayCountField, "1");
      tk_.SetEnabled(kPlayCountField, count);
      SaveMacroSettings();
    });
  }
  for (int id : {kFixedDelayField, kPlayCountField}) {
    d.OnAny(id, [this](int code, int64_t) {
      if (code == ui::kNotifyFocusOut) SaveMacroSettings();
    });
  }
  d.OnAny(kEventField, [this](int code, int64_t) {
    const int sel = SelectedEvent();
    if (sel < 0) return;
    const int type = events_[sel].type;
    if (IsKey(type)) {
      if (code == ui::kNotifyFocusIn) {
        tk_.SetEditText(kEventField, "");
        captured_key_ = 0;
        captured_name_.clear();
        capturer_.Begin(CaptureTarget::kEventKeyField);
      } else if (code == ui::kNotifyFocusOut) {
        if (capturer_.Target() == CaptureTarget::kEventKeyField) capturer_.End();
        ApplyKeyField();
      }
    } else if (code == ui::kNotifyFocusOut) {
      ApplyEventField();
    }
  });
  // The kind list holds only the selected event's own kind: choosing it brings back the
  // editor of that kind (the value shown again as stored).
  d.OnClick(kEventKind, [this](int, int64_t) { ShowEditor(); });
  d.OnClick(kEventButton, [this](int, int64_t) { ApplyButtonChoice(); });
  d.OnClick(kEventUp, [this](int, int64_t) { MoveSelected(kCmdMoveUp); });
  d.OnClick(kEventDown, [this](int, int64_t) { MoveSelected(kCmdMoveDown); });
  for (int id : {kMoveLeft, kMoveRight}) {
    d.OnClick(id, [this, id](int, int64_t) {
      CheckOnly(kMoveLeft, kMoveRight, id);
      ApplyMove();
    });
  }
  for (int id : {kMoveUpward, kMoveDownward}) {
    d.OnClick(id, [this, id](int, int64_t) {
      CheckOnly(kMoveUpward, kMoveDownward, id);
      ApplyMove();
    });
  }
  for (int id : {kMoveXField, kMoveYField}) {
    d.OnAny(id, [this](int code, int64_t) {
      if (code == ui::kNotifyFocusOut) ApplyMove();
    });
  }
  if (on_message) {
    for (int m : {kMsgMacroListMenu, kMsgInsertMenu, kMsgEventMenu, kMsgRefreshMacroList}) {
      on_message(m, [this, m](int64_t w, int64_t) { OnMessage(m, w); });
    }
  }
}

void MacrosSubsystem::InitPage() {
  ui::ApplyControlTexts(tk_, kPageTexts);
  tk_.SetTitle(kRecordButton, Text(kTextRecord));
  tk_.SetImage(kRecordButton, "icon/icon_rec.png");
  tk_.SetEditText(kFixedDelayField, std::to_string(kDefaultFixedDelayMs));
  tk_.SetVisible(kUploadProgress, false);
  HideEditor();
}

// ---------------------------------------------------------------- the macro list

void MacrosSubsystem::RefreshMacroList() {
  // The page belongs to the window thread: the worker asks for the refresh.
  tk_.PostMessage(kMsgRefreshMacroList, 0, 0);
}

void MacrosSubsystem::ShowMacroList() {
  if (recording_) StopRecording();
  std::vector<MacroRecord> macros;
  c_.store.ListMacros(macros);
  tk_.ClearItems(kMacroList);
  const std::string prefix = Text(kTextCustom);
  int selected = -1;
  for (size_t i = 0; i < macros.size(); ++i) {
    tk_.AddItem(kMacroList, ShownMacroName(macros[i].name, prefix), macros[i].macro_id);
    if (macros[i].macro_id == current_macro_) selected = static_cast<int>(i);
  }
  tk_.SetCurSel(kMacroList, selected);
  if (selected >= 0) {
    LoadMacro(current_macro_);
  } else {
    current_macro_ = 0;
    events_.clear();
    ShowEvents(-1);
  }
}

void MacrosSubsystem::ApplyTexts() {
  ui::ApplyControlTexts(tk_, kPageTexts);
  tk_.SetTitle(kRecordButton, Text(recording_ ? kTextStop : kTextRecord));
}

void MacrosSubsystem::NewMacro() {
  const int count = tk_.GetItemCount(kMacroList);
  MacroRecord m;
  m.name = Text(kTextCustom) + " " + std::to_string(count + 1);
  m.play_type = 0;
  m.play_times = 1;
  m.delay_type = 1;
  m.delay_time = 0;
  const int id = c_.store.AddMacro(m);
  if (id <= 0) {
    Trace(4, "NewMacro: not stored");
    return;
  }
  tk_.AddItem(kMacroList, ShownMacroName(m.name, Text(kTextCustom)), id);
  tk_.SetCurSel(kMacroList, count);
  LoadMacro(id);
  if (hooks_.macros_changed) hooks_.macros_changed();
}

void MacrosSubsystem::DeleteMacro() {
  const int index = tk_.GetCurSel(kMacroList);
  if (index < 0) return;
  const int id = static_cast<int>(tk_.GetItemData(kMacroList, index));
  if (!c_.store.DeleteMacro(id)) {
    Trace(4, "DeleteMacro %d failed", id);
    return;
  }
  // Rebuilt from the store: the list control has no removal of its own.
  std::vector<MacroRecord> macros;
  c_.store.ListMacros(macros);
  tk_.ClearItems(kMacroList);
  for (const MacroRecord& m : macros) {
    tk_.AddItem(kMacroList, ShownMacroName(m.name, Text(kTextCustom)), m.macro_id);
  }
  const int previous = std::min(index - 1, static_cast<int>(macros.size()) - 1);
  tk_.SetCurSel(kMacroList, previous);
  // The previous macro is loaded with its events, so a later edit cannot save an empty list
  // over them.
  if (previous >= 0) {
    LoadMacro(macros[previous].macro_id);
  } else {
    current_macro_ = 0;
    events_.clear();
    ShowEvents(-1);
  }
  if (hooks_.macros_changed) hooks_.macros_changed();
}

void MacrosSubsystem::RenameMacro(int index) {
  if (index < 0 || index >= tk_.GetItemCount(kMacroList)) return;
  const int id = static_cast<int>(tk_.GetItemData(kMacroList, index));
  const std::string name = tk_.GetItemText(kMacroList, index);
  MacroRecord stored;
  if (!c_.store.GetMacro(id, stored)) return;
  if (name.empty()) {
    tk_.SetItemText(kMacroList, index, ShownMacroName(stored.name, Text(kTextCustom)));
    return;
  }
  if (!c_.store.RenameMacro(id, name)) return;
  const int profile = c_.current_profile ? c_.current_profile() : 0;
  std::vector<KeyAssignmentRecord> rows;
  c_.store.ListKeyAssignments(profile, rows);
  for (const KeyAssignmentRecord& row : rows) {
    if (row.macro_type == kMacroFunctionType && row.macro_value == id) {
      c_.store.SetKeyDescription(profile, row.key_code, name);
    }
  }
  if (hooks_.macros_changed) hooks_.macros_changed();
}

void MacrosSubsystem::SelectMacro() {
  const int index = tk_.GetCurSel(kMacroList);
  if (index < 0) return;
  LoadMacro(static_cast<int>(tk_.GetItemData(kMacroList, index)));
}

void MacrosSubsystem::LoadMacro(int macro_id) {
  MacroRecord m;
  if (!c_.store.GetMacro(macro_id, m)) return;
  current_macro_ = macro_id;
  CheckOnly(kDelayNone, kDelayFixed, kDelayNone + m.delay_type);
  tk_.SetEnabled(kFixedDelayField, m.delay_type == 2);
  if (m.delay_type == 2) tk_.SetEditText(kFixedDelayField, std::to_string(m.delay_time));
  CheckOnly(kPlayCount, kPlayOnce, kPlayCount + m.play_type);
  tk_.SetEnabled(kPlayCountField, m.play_type == 0);
  if (m.play_type == 0) tk_.SetEditText(kPlayCountField, std::to_string(m.play_times));
  events_.clear();
  c_.store.ListMacroEvents(macro_id, events_);
  ShowEvents(-1);
}

void MacrosSubsystem::SaveMacroSettings() {
  if (current_macro_ == 0) return;
  MacroRecord m;
  if (!c_.store.GetMacro(current_macro_, m)) return;
  const int delay_type = CheckedIn(kDelayNone, kDelayFixed);
  const int play_type = CheckedIn(kPlayCount, kPlayOnce);
  int delay_time = 0;
  if (delay_type == 2) {
    const std::string text = tk_.GetEditText(kFixedDelayField);
    delay_time =
        text.empty() ? kDefaultFixedDelayMs : ClampFieldValue(text, kMinDelayMs, kMaxDelayMs);
    tk_.SetEditText(kFixedDelayField, std::to_string(delay_time));
  }
  int play_times = 1;
  if (play_type == 0) {
    const std::string text = tk_.GetEditText(kPlayCountField);
    const int type = c_.device_type ? c_.device_type() : 0;
    play_times = text.empty() ? 1 : ClampFieldValue(text, 1, MaxPlayTimes(type));
    tk_.SetEditText(kPlayCountField, std::to_string(play_times));
  }
  // An unchecked group (stored values outside the choices) keeps what is stored.
  c_.store.UpdateMacro(current_macro_, m.name, play_type < 0 ? m.play_type : play_type,
                       play_type < 0 ? m.play_times : play_times,
                       delay_type < 0 ? m.delay_type : delay_type,
                       delay_type < 0 ? m.delay_time : delay_time);
}

void MacrosSubsystem::CheckOnly(int first, int last, int checked) {
  for (int id = first; id <= last; ++id) tk_.SetCheck(id, id == checked);
}

int MacrosSubsystem::CheckedIn(int first, int last) const {
  for (int id = first; id <= last; ++id) {
    if (tk_.GetCheck(id)) return id - first;
  }
  return -1;
}

// ---------------------------------------------------------------- files

void MacrosSubsystem::ExportMacro() {
  const int index = tk_.GetCurSel(kMacroList);
  if (index < 0 || current_macro_ == 0) return;
  const std::string folder = tk_.PickFolder("Macro");
  if (folder.empty()) return;
  const std::string shown = tk_.GetItemText(kMacroList, index);
  // A failure is traced where it happens; the page says nothing of it.
  (void)ExportMacroFile(c_.store, current_macro_, shown, folder, c_.clock.TickCount());
}

void MacrosSubsystem::ImportMacro() {
  const std::string path = tk_.PickOpenFile("Macro", "Macros (*.xml)");
  if (path.empty()) return;
  const platform::Result<MacroRecord> imported = ImportMacroFile(c_.store, path);
  if (!imported) {
    if (StatusOf(imported.error()) == ImportStatus::kTooLarge) {
      tk_.ShowMessage(Text(kTextImportRefused), ui::ControlTextOf(kPageTexts, kImportMacro),
                      ui::kStyleOk);
    }
    return;
  }
  tk_.AddItem(kMacroList, imported.value().name, imported.value().macro_id);
  if (hooks_.macros_changed) hooks_.macros_changed();
}

// ---------------------------------------------------------------- the event list

void MacrosSubsystem::ShowEvents(int selected) {
  tk_.ClearItems(kEventList);
  for (const MacroEventRecord& e : events_) tk_.AddItem(kEventList, e.desc, e.delay_time);
  tk_.SetCurSel(kEventList, selected);
  ShowEditor();
}

void MacrosSubsystem::SaveEvents() {
  if (current_macro_ == 0) return;
  if (!SaveMacroEvents(c_.store, current_macro_, events_)) {
    // The store kept the old list: show what is stored rather than what was not saved.
    events_.clear();
    c_.store.ListMacroEvents(current_macro_, events_);
    ShowEvents(-1);
  }
}

int MacrosSubsystem::SelectedEvent() {
  const int sel = tk_.GetCurSel(kEventList);
  return sel >= 0 && static_cast<size_t>(sel) < events_.size() ? sel : -1;
}

void MacrosSubsystem::Insert(InsertKind kind) {
  if (current_macro_ == 0) return;
  if (static_cast<int>(events_.size()) >= event_limit_) {
    tk_.ShowMessage(Text(kTextListFull), Text(kTextInsertTitle), ui::kStyleOk);
    return;
  }
  const int stamp = static_cast<int>(c_.clock.TickCount() & 0x7FFFFFFF);
  const int at = InsertEvents(events_, SelectedEvent(), kind, stamp);
  ShowEvents(at);
  SaveEvents();
}

void MacrosSubsystem::MoveSelected(int command) {
  const int sel = SelectedEvent();
  if (sel < 0) return;
  int moved = sel;
  switch (command) {
    case kCmdMoveTop:
      moved = MoveEventTop(events_, sel);
      break;
    case kCmdMoveUp:
      moved = MoveEventUp(events_, sel);
      break;
    case kCmdMoveDown:
      moved = MoveEventDown(events_, sel);
      break;
    case kCmdMoveBottom:
      moved = MoveEventBottom(events_, sel);
      break;
    default:
      return;
  }
  ShowEvents(moved);
  SaveEvents();
}

void MacrosSubsystem::DeleteSelectedEvent() {
  const int sel = SelectedEvent();
  if (sel < 0) return;
  DeleteEventStamp(events_, sel);
  ShowEvents(std::min(sel, static_cast<int>(events_.size()) - 1));
  SaveEvents();
}

void MacrosSubsystem::DeleteAllEvents() {
  if (current_macro_ == 0) return;
  events_.clear();
  ShowEvents(-1);
  SaveEvents();
}

void MacrosSubsystem::OnMessage(int message, int64_t command) {
  switch (message) {
    case kMsgMacroListMenu:
      if (command == kCmdDeleteMacro) DeleteMacro();
      break;
    case kMsgInsertMenu:
      if (command == kCmdInsertMouse) Insert(InsertKind::kMousePair);
      if (command == kCmdInsertKey) Insert(InsertKind::kKeyPair);
      if (command == kCmdInsertDelay) Insert(InsertKind::kDelay);
      break;
    case kMsgEventMenu:
      MoveSelected(static_cast<int>(command));
      break;
    case kMsgRefreshMacroList:
      ShowMacroList();
      break;
    default:
      break;
  }
}

// ---------------------------------------------------------------- the event editor

void MacrosSubsystem::HideEditor() {
  for (int id : {kEventKind, kEventField, kEventButton, kMoveLeft, kMoveRight, kMoveXField,
                 kMoveUpward, kMoveDownward, kMoveYField}) {
    tk_.SetVisible(id, false);
  }
}

void MacrosSubsystem::SelectEvent() { ShowEditor(); }

void MacrosSubsystem::ShowEditor() {
  HideEditor();
  const int sel = SelectedEvent();
  if (sel < 0) return;
  const MacroEventRecord& e = events_[sel];
  const int t = Type(e);
  platform::TextId kind_text = platform::kNoText;
  if (IsKey(t)) {
    kind_text = kTextKeyKind;
    tk_.SetEditText(kEventField, NameOf(e.desc));
    tk_.SetVisible(kEventField, true);
  } else if (IsButton(t)) {
    kind_text = kTextMouseKind;
    tk_.ClearItems(kEventButton);
    const std::string name = NameOf(e.desc);
    for (int i = 0; i < 5; ++i) {
      tk_.AddItem(kEventButton, Text(kTextButtons[i]), kEditCodes[i]);
      if (name == kButtonNames[i]) tk_.SetCurSel(kEventButton, i);
    }
    tk_.SetVisible(kEventButton, true);
  } else if (t == static_cast<int>(MacroEventType::kDelay)) {
    kind_text = kTextDelayKind;
    tk_.SetEditText(kEventField, std::to_string(e.value));
    tk_.SetVisible(kEventField, true);
  } else if (IsMove(t)) {
    static constexpr platform::TextId kMoveTexts[] = {kTextMoveUpKind, kTextMoveDownKind,
                                                      kTextMoveLeftKind, kTextMoveRightKind};
    kind_text = kMoveTexts[t - 8];
    tk_.SetEditText(kMoveXField, std::to_string(e.value));
    tk_.SetVisible(kMoveXField, true);
  } else if (t == static_cast<int>(MacroEventType::kMoveXY)) {
    kind_text = kTextMoveXYKind;
    const MoveXY m = DecodeMoveXY(e.value);
    tk_.SetEditText(kMoveXField, std::to_string(m.x));
    tk_.SetEditText(kMoveYField, std::to_string(m.y));
    CheckOnly(kMoveLeft, kMoveRight, m.left ? kMoveLeft : kMoveRight);
    CheckOnly(kMoveUpward, kMoveDownward, m.up ? kMoveUpward : kMoveDownward);
    for (int id : {kMoveLeft, kMoveRight, kMoveXField, kMoveUpward, kMoveDownward, kMoveYField}) {
      tk_.SetVisible(id, true);
    }
  } else {
    return;  // wheel steps and unknown types have no editor
  }
  tk_.ClearItems(kEventKind);
  tk_.AddItem(kEventKind, Text(kind_text), t);
  tk_.SetCurSel(kEventKind, 0);
  tk_.SetVisible(kEventKind, true);
}

void MacrosSubsystem::ApplyKeyField() {
  const int sel = SelectedEvent();
  if (sel < 0 || captured_key_ == 0) {
    ShowEditor();
    return;
  }
  const int stamp = events_[sel].delay_time;
  for (MacroEventRecord& e : events_) {
    if (e.delay_time != stamp || !IsKey(e.type)) continue;
    e.value = captured_key_;
    e.desc = e.type == 2 ? PressText(captured_name_) : ReleaseText(captured_name_);
  }
  captured_key_ = 0;
  ShowEvents(sel);
  SaveEvents();
}

void MacrosSubsystem::ApplyEventField() {
  const int sel = SelectedEvent();
  if (sel < 0 || events_[sel].type != static_cast<int>(MacroEventType::kDelay)) return;
  const int ms = ClampFieldValue(tk_.GetEditText(kEventField), kMinDelayMs, kMaxDelayMs);
  events_[sel].value = ms;
  events_[sel].desc = DelayText(ms);
  ShowEvents(sel);
  SaveEvents();
}

void MacrosSubsystem::ApplyButtonChoice() {
  const int sel = SelectedEvent();
  const int choice = tk_.GetCurSel(kEventButton);
  if (sel < 0 || choice < 0 || choice >= 5 || !IsButton(events_[sel].type)) return;
  const int stamp = events_[sel].delay_time;
  for (MacroEventRecord& e : events_) {
    if (e.delay_time != stamp || !IsButton(e.type)) continue;
    e.value = kEditCodes[choice];
    e.desc = e.type == 4 ? PressText(kButtonNames[choice]) : ReleaseText(kButtonNames[choice]);
  }
  ShowEvents(sel);
  SaveEvents();
}

void MacrosSubsystem::ApplyMove() {
  const int sel = SelectedEvent();
  if (sel < 0) return;
  MacroEventRecord& e = events_[sel];
  if (IsMove(e.type)) {
    const int d = ClampFieldValue(tk_.GetEditText(kMoveXField), kMinDistance, kMaxDistance);
    e.value = d;
    e.desc = MoveText(static_cast<MacroEventType>(e.type), d);
  } else if (e.type == static_cast<int>(MacroEventType::kMoveXY)) {
    const int x = ClampFieldValue(tk_.GetEditText(kMoveXField), kMinDistance, kMaxDistance);
    const int y = ClampFieldValue(tk_.GetEditText(kMoveYField), kMinDistance, kMaxDistance);
    e.value = EncodeMoveXY(x, tk_.GetCheck(kMoveLeft), y, tk_.GetCheck(kMoveUpward));
    e.desc = MoveXYText(e.value);
  } else {
    return;
  }
  ShowEvents(sel);
  SaveEvents();
}

// ---------------------------------------------------------------- recording

void MacrosSubsystem::SetPageEnabled(bool enabled) {
  for (int id : {kMacroList,   kNewMacro,        kExportMacro, kImportMacro, kEventList,
                 kDeleteEvent, kDeleteAllEvents, kInsertEvent, kDelayNone,   kDelayRecorded,
                 kDelayFixed,  kFixedDelayField, kPlayCount,   kPlayHold,    kPlayToggle,
                 kPlayOnce,    kPlayCountField,  kEventKind,   kEventField,  kEventButton,
                 kEventUp,     kEventDown,       kMoveLeft,    kMoveRight,   kMoveXField,
                 kMoveUpward,  kMoveDownward,    kMoveYField}) {
    tk_.SetEnabled(id, enabled);
  }
  if (enabled) {
    // The fields follow their choices again.
    tk_.SetEnabled(kFixedDelayField, tk_.GetCheck(kDelayFixed));
    tk_.SetEnabled(kPlayCountField, tk_.GetCheck(kPlayCount));
  }
}

void MacrosSubsystem::StartRecording() {
  if (current_macro_ == 0) {
    tk_.ShowMessage(Text(kTextChooseMacro), Text(kTextRecord), ui::kStyleOk);
    return;
  }
  capturer_.HeldKeys().Clear();
  capturer_.End();
  MacroRecorder::Settings s;
  s.first_stamp = static_cast<int>(c_.clock.TickCount() & 0x7FFFFFFF);
  s.delay_mode = std::max(0, CheckedIn(kDelayNone, kDelayFixed));
  if (s.delay_mode == 2) {
    const std::string text = tk_.GetEditText(kFixedDelayField);
    s.fixed_delay_ms =
        text.empty() ? kDefaultFixedDelayMs : ClampFieldValue(text, kMinDelayMs, kMaxDelayMs);
  }
  s.limit = kMaxRecordedEvents;
  event_limit_ = kMaxRecordedEvents;
  recorder_.Start(s);
  capturer_.Begin(CaptureTarget::kRecording);
  recording_ = true;
  tk_.SetTitle(kRecordButton, Text(kTextStop));
  tk_.SetImage(kRecordButton, "icon/icon_stop_rec.png");
  SetPageEnabled(false);
  Trace(2, "Macro recording started");
}

void MacrosSubsystem::StopRecording() {
  if (!recording_) return;
  capturer_.End();
  recording_ = false;
  SaveEvents();
  tk_.SetTitle(kRecordButton, Text(kTextRecord));
  tk_.SetImage(kRecordButton, "icon/icon_rec.png");
  SetPageEnabled(true);
  Trace(2, "Macro recording stopped, %zu events", events_.size());
}

void MacrosSubsystem::BeginKeyCapture(CaptureTarget target) {
  if (recording_) return;
  capturer_.Begin(target);
}

void MacrosSubsystem::EndKeyCapture() {
  if (!recording_) capturer_.End();
}

void MacrosSubsystem::OnInput(const RawInputRecord& record) {
  InputCapture capture;
  if (!capturer_.Route(record, capture)) return;
  switch (capturer_.Target()) {
    case CaptureTarget::kRecording: {
      const size_t before = events_.size();
      const MacroRecorder::Result r =
          recorder_.Add(capture, record.over_record_button, c_.clock.TickCount(), events_);
      for (size_t i = before; i < events_.size(); ++i) {
        tk_.AddItem(kEventList, events_[i].desc, events_[i].delay_time);
      }
      if (r == MacroRecorder::Result::kLimitReached) {
        StopRecording();
        tk_.ShowMessage(Text(kTextListFull), Text(kTextRecordingTitle), ui::kStyleOk);
      }
      break;
    }
    case CaptureTarget::kEventKeyField:
      if (capture.kind != 2) break;
      captured_key_ = capture.code;
      captured_name_ = capture.name;
      tk_.SetEditText(kEventField, capture.name);
      break;
    case CaptureTarget::kKeyField:
    case CaptureTarget::kFireKeyField:
      if (hooks_.key_capture) hooks_.key_capture(capturer_.Target(), capture);
      break;
    default:
      break;
  }
}

// ---------------------------------------------------------------- upload (worker)

void MacrosSubsystem::RevertSelectedButton() {
  const int key_code = hooks_.selected_button ? hooks_.selected_button() : -1;
  KeyAssignmentRecord row;
  if (key_code < 0 || !hooks_.button_default || !hooks_.button_default(key_code, row)) {
    Trace(4, "UploadMacros: no selected button to give its default back");
    return;
  }
  row.profile = c_.current_profile ? c_.current_profile() : 0;
  row.fn_layer = 0;
  row.key_code = key_code;
  row.macro_value2 = 0;
  row.macro_value3 = 0;
  c_.store.SaveKeyAssignment(row);
  c_.ports.buttons->RefreshButtonPage();
}

bool MacrosSubsystem::UploadMacros() {
  UploadHooks hooks;
  hooks.revert_selected_button = [this] { RevertSelectedButton(); };
  bool shown = false;
  hooks.progress = [this, &shown](int percent) {
    if (!shown) tk_.SetVisible(kUploadProgress, true);
    shown = true;
    tk_.SetProgress(kUploadProgress, percent);
  };
  MacroSlotTable slots;
  const bool ok = macros::UploadMacros(c_, slots, hooks);
  if (shown) tk_.SetVisible(kUploadProgress, false);
  std::lock_guard hold(slots_mu_);
  slots_ = std::move(slots);
  return ok;
}

void MacrosSubsystem::UploadProfileMacros() {
  MacroSlotTable slots;
  BuildProfileImage(c_, slots);
  if (slots.Count() == 0) {
    std::lock_guard hold(slots_mu_);
    slots_ = std::move(slots);
    return;
  }
  UploadMacros();
  c_.clock.SleepMs(100);
}

int MacrosSubsystem::MacroSlot(int macro_id) const {
  std::lock_guard hold(slots_mu_);
  return slots_.SlotOf(macro_id);
}

}  // namespace macros
