#include "buttons/buttons_subsystem.h"

#include <algorithm>
#include <string>

#include "buttons/key_codes.h"
#include "buttons/key_map.h"
#include "catalogue/catalogue.h"
#include "device/driver_comm.h"
#include "log/trace.h"
#include "platform/clock.h"
#include "platform/language.h"
#include "settings/settings_model.h"
#include "settings/settings_write.h"
#include "store/profile_store.h"
#include "store/settings_keys.h"
#include "ui/control_dispatch.h"
#include "ui/task_table.h"
#include "ui/toolkit.h"
#include "ui/window_messages.h"

namespace buttons {
namespace {

constexpr int kTaskPauseMs = 100;
constexpr int kAfterUploadMs = 100;
constexpr platform::TextId kConfirmText{220};
constexpr platform::TextId kResetAllTitle{121};
constexpr platform::TextId kResetOneTitle{120};
constexpr platform::TextId kGuardTitle{223};
constexpr platform::TextId kGuardText{222};
constexpr platform::TextId kDisabledText{190};
constexpr platform::TextId kFireKeyText{135};
constexpr char kFireCountPreset[] = "1";
constexpr char kFireIntervalPreset[] = "10";

// Value preselected for buttons 0..4 without a row.
constexpr int kUnassignedPreset[] = {1, 2, 3, 6, 5};

constexpr int kKeyControls[] = {kKeyField, kCtrlToggle, kWinToggle, kAltToggle, kShiftToggle};
constexpr int kFireControls[] = {kFireKindList,      kFireMouseList,  kFireKeyField,
                                 kFireIntervalField, kFireCountField, kFireApplyButton};

struct Toggle {
  int control;
  int bit;
};
constexpr Toggle kToggles[] = {{kShiftToggle, kModifierShift},
                               {kCtrlToggle, kModifierCtrl},
                               {kWinToggle, kModifierWin},
                               {kAltToggle, kModifierAlt}};

// The side buttons each lock switch governs.
constexpr int kLeftSide[] = {3, 4};
constexpr int kRightSide[] = {6, 7};

// Left Shift, Ctrl and Alt (either hand): a key field takes a modifier from its toggles.
bool IsShiftCtrlAlt(int vk) { return vk >= 0xA0 && vk <= 0xA5; }

std::string KeyName(int vk) { return HidUsageName(VirtualKeyToHidUsage(vk)); }

}  // namespace

ButtonsSubsystem::ButtonsSubsystem(settings::SettingsContext& context,
                                   catalogue::Catalogue& catalogue)
    : ctx_(context), catalogue_(catalogue) {}

int ButtonsSubsystem::Profile() { return ctx_.current_profile ? ctx_.current_profile() : 0; }

// --- device side ---

ButtonCode ButtonsSubsystem::CodeForButton(int n) {
  KeyAssignmentRecord row;
  if (ctx_.store.GetKeyAssignment(Profile(), n, row)) {
    std::vector<MacroRecord> macros;
    std::vector<KeyAssignmentRecord> rows;
    if (row.macro_type == kMacro) {
      // The macro is named by the slot the whole-table write gave it.
      ctx_.store.ListMacros(macros);
      ctx_.store.ListKeyAssignments(Profile(), rows);
    }
    const MacroSlotTable slots = BuildMacroSlotTable(rows, macros);
    return EncodeButtonCode(row, MacroContext{&macros, &slots});
  }
  // A button without a row keeps its built-in function: zeros would switch it off while the
  // page shows its default.
  if (n >= 0 && n < kKeyTableButtons) {
    const KeyTable defaults = DefaultKeyTable();
    ButtonCode code{};
    std::copy_n(defaults.begin() + 4 * n, 4, code.begin());
    return code;
  }
  for (const catalogue::ButtonLayoutEntry& entry : catalogue_.Buttons()) {
    if (entry.key_value != n) continue;
    row = KeyAssignmentRecord{};
    row.macro_type = entry.func_type;
    row.macro_value = entry.func_value;
    return EncodeButtonCode(row);
  }
  return {};
}

bool ButtonsSubsystem::SendFrame(const CommandFrame& frame) {
  CommandFrame f = frame;
  const bool ok = ctx_.comm.SendFeatureReportRetry(f, true) == device::kSuccess;
  if (!ok)
    Trace(mouselog::kError, "Button write failed: command %02X, address %02X", frame[4], frame[6]);
  return ok;
}

void ButtonsSubsystem::WriteButton(int n) { SendFrame(OneButtonFrame(n, CodeForButton(n))); }

void ButtonsSubsystem::WriteLockedKey(int n) {
  ButtonCode code = CodeForButton(n);
  code[0] |= kLockBit;
  SendFrame(OneButtonFrame(n, code));
}

void ButtonsSubsystem::SendKeyTable() {
  std::vector<KeyAssignmentRecord> rows;
  std::vector<MacroRecord> macros;
  ctx_.store.ListKeyAssignments(Profile(), rows);
  ctx_.store.ListMacros(macros);
  const MacroSlotTable slots = BuildMacroSlotTable(rows, macros);
  const KeyTable table = BuildKeyTable(rows, MacroContext{&macros, &slots});
  // A part that fails is not repeated; the others still go.
  for (const CommandFrame& frame : KeyTableFrames(table)) SendFrame(frame);
}

void ButtonsSubsystem::SendProfileKeyTable() { SendKeyTable(); }

void ButtonsSubsystem::WriteKeyAssignment() {
  int n = selected_.load();
  {
    std::lock_guard lock(pending_mu_);
    if (!pending_.empty()) {
      n = pending_.front();
      pending_.pop_front();
    }
  }
  if (!settings::OnlineCheck(ctx_, ui::kStatusReceiverOffline)) return;
  if (!write_all_.load()) {
    WriteButton(n);
    return;
  }
  if (upload_macros_) {
    // A failed upload keeps the flag, so the next task 8 repeats the whole write.
    if (!upload_macros_()) return;
  } else {
    Trace(mouselog::kInfo, "No macro upload: the key table goes alone");
  }
  write_all_ = false;
  ctx_.clock.SleepMs(kAfterUploadMs);
  if (!settings::OnlineCheck(ctx_, ui::kStatusOfflineSilent)) return;
  SendKeyTable();
  settings::OnlineCheck(ctx_, ui::kStatusOfflineSilent);
}

void ButtonsSubsystem::DecodeButtonCode(int n, uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3) {
  std::optional<KeyAssignmentRecord> row = DecodeButtonBytes(n, b0, b1, b2, b3);
  if (!row) return;  // the stored row stays
  row->profile = Profile();
  row->fn_layer = 0;
  ctx_.store.SaveKeyAssignment(*row);
}

// --- the page ---

bool ButtonsSubsystem::Hidden(int key_code) {
  if (!catalogue_.HasSideKeys()) return false;
  const auto locked = [this](const char* key) { return settings::ReadText(ctx_, key) == "1"; };
  if (std::find(std::begin(kLeftSide), std::end(kLeftSide), key_code) != std::end(kLeftSide)) {
    return locked(settings::kLockLeftKey);
  }
  if (std::find(std::begin(kRightSide), std::end(kRightSide), key_code) != std::end(kRightSide)) {
    return locked(settings::kLockRightKey);
  }
  return false;
}

void ButtonsSubsystem::ShowHotSpots() {
  std::vector<KeyAssignmentRecord> rows;
  ctx_.store.ListKeyAssignments(Profile(), rows);
  std::vector<ui::MouseItem> shown;
  for (ui::MouseItem item : catalogue_.MouseItems()) {
    if (Hidden(item.key_value)) continue;
    for (const KeyAssignmentRecord& row : rows) {
      if (row.key_code == item.key_value) item.description = DescribeAssignment(row);
    }
    shown.push_back(std::move(item));
  }
  ctx_.toolkit.SetMouseItems(catalogue::kMouseHotSpots, shown);
  ctx_.toolkit.SetMouseSelected(catalogue::kMouseHotSpots, selected_.load());
}

void ButtonsSubsystem::InitPage() {
  ui::Toolkit& tk = ctx_.toolkit;
  ui::ApplyControlTexts(tk, kPageTexts);
  tk.ClearItems(kCategoryList);
  for (const ListEntry& e : Categories()) tk.AddItem(kCategoryList, LanguageText(e.text), e.value);
  tk.ClearItems(kFireKindList);
  tk.AddItem(kFireKindList, LanguageText(kFireKindMouseText), kFireKindMouse);
  tk.AddItem(kFireKindList, LanguageText(kFireKindKeyText), kFireKindKey);
  tk.ClearItems(kFireMouseList);
  for (const ListEntry& e : FireMouseFunctions()) {
    tk.AddItem(kFireMouseList, LanguageText(e.text), e.value);
  }
  tk.SelectData(kCategoryList, kMouseButton);
  FillValues(kMouseButton);
  ShowControlsFor(kMouseButton);
}

void ButtonsSubsystem::FillValues(int type) {
  ui::Toolkit& tk = ctx_.toolkit;
  tk.ClearItems(kValueList);
  if (type == kMacro) {
    std::vector<MacroRecord> macros;
    ctx_.store.ListMacros(macros);
    for (const MacroRecord& m : macros) {
      tk.AddItem(kValueList, MacroDisplayName(m.name), m.macro_id);
    }
  } else {
    for (const ListEntry& e : ValueList(type))
      tk.AddItem(kValueList, LanguageText(e.text), e.value);
  }
  if (tk.GetItemCount(kValueList) > 0) tk.SetCurSel(kValueList, 0);
}

void ButtonsSubsystem::ShowControlsFor(int type) {
  ui::Toolkit& tk = ctx_.toolkit;
  const bool key = type == kKeyboardKey;
  const bool fire = type == kFireKey;
  tk.SetVisible(kValueList, !key && !fire);
  tk.SetVisible(kApplyButton, !fire);  // the fire key has its own
  for (int id : kKeyControls) tk.SetVisible(id, key);
  for (int id : kFireControls) tk.SetVisible(id, fire);
  if (fire) {
    const bool mouse = tk.GetCurData(kFireKindList) != kFireKindKey;
    tk.SetVisible(kFireMouseList, mouse);
    tk.SetVisible(kFireKeyField, !mouse);
  }
}

void ButtonsSubsystem::SelectButton(int key_code) {
  ui::Toolkit& tk = ctx_.toolkit;
  selected_ = key_code;
  tk.SetMouseSelected(catalogue::kMouseHotSpots, key_code);
  KeyAssignmentRecord row;
  if (!ctx_.store.GetKeyAssignment(Profile(), key_code, row)) {
    tk.SelectData(kCategoryList, kMouseButton);
    FillValues(kMouseButton);
    if (key_code >= 0 && key_code < static_cast<int>(std::size(kUnassignedPreset))) {
      tk.SelectData(kValueList, kUnassignedPreset[key_code]);
    }
    ShowControlsFor(kMouseButton);
    return;
  }
  const int type = row.macro_type;
  if (!tk.SelectData(kCategoryList, type)) tk.SetCurSel(kCategoryList, -1);
  FillValues(type);
  if (type == kKeyboardKey) {
    for (const Toggle& t : kToggles) tk.SetCheck(t.control, (row.macro_value2 & t.bit) != 0);
    tk.SetEditText(kKeyField, HidUsageName(row.macro_value));
    key_vk_ = HidUsageToVirtualKey(row.macro_value);
  } else if (type == kFireKey) {
    const int kind = row.macro_value / kFireMouseBase;
    const int low = row.macro_value & 0xFF;
    tk.SelectData(kFireKindList, kind);
    if (kind == kFireKindMouse) {
      tk.SelectData(kFireMouseList, low);
    } else {
      fire_vk_ = low;
      tk.SetEditText(kFireKeyField, KeyName(low));
    }
    tk.SetEditText(kFireIntervalField, std::to_string(row.macro_value2));
    tk.SetEditText(kFireCountField, std::to_string(row.macro_value3));
  } else if (!tk.SelectData(kValueList, row.macro_value)) {
    tk.SetCurSel(kValueList, -1);
  }
  ShowControlsFor(type);
}

void ButtonsSubsystem::SelectCategory(int type) {
  ui::Toolkit& tk = ctx_.toolkit;
  FillValues(type);
  if (type == kKeyboardKey) {
    for (const Toggle& t : kToggles) tk.SetCheck(t.control, false);
    tk.SetEditText(kKeyField, "");
    key_vk_ = 0;
  } else if (type == kFireKey) {
    tk.SelectData(kFireKindList, kFireKindMouse);
    tk.SetCurSel(kFireMouseList, 0);
    tk.SetEditText(kFireKeyField, "");
    fire_vk_ = 0;
    tk.SetEditText(kFireCountField, kFireCountPreset);
    tk.SetEditText(kFireIntervalField, kFireIntervalPreset);
  }
  ShowControlsFor(type);
  if (type == kDisabled) {
    KeyAssignmentRecord row;
    row.macro_type = kDisabled;
    row.macro_value = 1;
    row.macro_desc = LanguageText(kDisabledText);
    SaveAndQueue(row, false);
  }
}

bool ButtonsSubsystem::GuardRefuses() {
  std::vector<KeyAssignmentRecord> rows;
  ctx_.store.ListKeyAssignments(Profile(), rows);
  if (!LeftClickGuardRefuses(rows, selected_.load())) return false;
  ctx_.toolkit.ShowMessage(LanguageText(kGuardText), LanguageText(kGuardTitle), ui::kStyleOk);
  return true;
}

void ButtonsSubsystem::SaveAndQueue(KeyAssignmentRecord row, bool with_wait) {
  const int n = selected_.load();
  row.profile = Profile();
  row.fn_layer = 0;
  row.key_code = n;
  row.layout_value = 0;
  row.layout_desc.clear();
  ctx_.store.SaveKeyAssignment(row);
  ShowHotSpots();
  {
    std::lock_guard lock(pending_mu_);
    pending_.push_back(n);
  }
  if (with_wait) {
    ui::RunWithWaitDialog(ctx_.toolkit,
                          [&] { return settings::AppendTask(ctx_, ui::kTaskWriteKeyMap); });
  } else {
    settings::AppendTask(ctx_, ui::kTaskWriteKeyMap);
  }
}

void ButtonsSubsystem::ApplyListFunction() {
  ui::Toolkit& tk = ctx_.toolkit;
  const int64_t type = tk.GetCurData(kCategoryList);
  if (type == kKeyboardKey) return ApplyKeyboardKey();
  if (type == kFireKey) return ApplyFireKey();
  if (type == kDisabled) return SelectCategory(kDisabled);
  const int index = tk.GetCurSel(kValueList);
  if (type < 0 || index < 0) return;
  if (GuardRefuses()) return;
  KeyAssignmentRecord row;
  row.macro_type = static_cast<int>(type);
  row.macro_value = static_cast<int>(tk.GetItemData(kValueList, index));
  row.macro_desc = tk.GetItemText(kValueList, index);
  if (type == kMacro) write_all_ = true;
  SaveAndQueue(row, type == kMacro);
}

void ButtonsSubsystem::ApplyKeyboardKey() {
  const int usage = VirtualKeyToHidUsage(key_vk_.load());
  int bits = 0;
  for (const Toggle& t : kToggles) {
    if (ctx_.toolkit.GetCheck(t.control)) bits |= t.bit;
  }
  if (usage == 0 && bits == 0) return;  // nothing entered: nothing to keep
  if (GuardRefuses()) return;
  KeyAssignmentRecord row;
  row.macro_type = kKeyboardKey;
  row.macro_value = usage;
  row.macro_value2 = bits;
  row.macro_desc = KeyboardDescription(bits, usage);
  SaveAndQueue(row, false);
}

int ButtonsSubsystem::ClampField(int id) {
  ui::Toolkit& tk = ctx_.toolkit;
  const std::string text = tk.GetEditText(id);
  const int value = std::clamp(settings::StoredInt(text), kFireFieldMin, kFireFieldMax);
  const std::string limited = std::to_string(value);
  if (limited != text) tk.SetEditText(id, limited);
  return value;
}

void ButtonsSubsystem::ApplyFireKey() {
  ui::Toolkit& tk = ctx_.toolkit;
  const int64_t kind = tk.GetCurData(kFireKindList);
  int value = 0;
  if (kind == kFireKindMouse) {
    const int64_t function = tk.GetCurData(kFireMouseList);
    if (function < 1) return;
    value = kFireMouseBase + static_cast<int>(function);
  } else if (kind == kFireKindKey) {
    if (fire_vk_.load() == 0) return;  // no key captured yet
    value = kFireKeyBase + fire_vk_.load();
  } else {
    return;
  }
  const int interval = ClampField(kFireIntervalField);
  const int count = ClampField(kFireCountField);
  if (GuardRefuses()) return;
  KeyAssignmentRecord row;
  row.macro_type = kFireKey;
  row.macro_value = value;
  row.macro_value2 = interval;
  row.macro_value3 = count;
  row.macro_desc = LanguageText(kFireKeyText);
  SaveAndQueue(row, false);
}

void ButtonsSubsystem::ResetAllButtons() {
  if (ctx_.toolkit.ShowMessage(LanguageText(kConfirmText), LanguageText(kResetAllTitle),
                               ui::kStyleOkCancel) == ui::kResultCancel) {
    return;
  }
  ctx_.store.DeleteKeyAssignments(Profile());
  selected_ = 0;
  {
    // The rows are gone: writes still waiting for them have nothing left to send.
    std::lock_guard lock(pending_mu_);
    pending_.clear();
  }
  ShowHotSpots();
  SelectButton(0);
  ctx_.state.pending_section = settings::kSectionButtons;
  settings::AppendTask(ctx_, ui::kTaskRestoreSection);
}

void ButtonsSubsystem::ResetButton() {
  if (ctx_.toolkit.ShowMessage(LanguageText(kConfirmText), LanguageText(kResetOneTitle),
                               ui::kStyleOkCancel) == ui::kResultCancel) {
    return;
  }
  const int n = selected_.load();
  for (const catalogue::ButtonLayoutEntry& entry : catalogue_.Buttons()) {
    if (entry.key_value != n) continue;
    KeyAssignmentRecord row;
    row.macro_type = entry.func_type;
    row.macro_value = entry.func_value;
    row.macro_desc = entry.func_desc;
    SaveAndQueue(row, false);
    SelectButton(n);
    return;
  }
}

void ButtonsSubsystem::SetSideButtonsUsable(bool left, bool on) {
  settings::WriteText(ctx_, left ? settings::kLockLeftKey : settings::kLockRightKey,
                      on ? "0" : "1");
  ShowHotSpots();
  for (int n : left ? kLeftSide : kRightSide) {
    if (on) {
      // The side buttons are written here and now; the page's selection stays where it is.
      if (!settings::OnlineCheck(ctx_, ui::kStatusReceiverOffline)) return;
      WriteButton(n);
    } else {
      WriteLockedKey(n);
    }
  }
}

void ButtonsSubsystem::RefreshButtonPage() {
  ui::Toolkit& tk = ctx_.toolkit;
  selected_ = 1;
  tk.SetCheck(catalogue::kLeftLockSwitch, settings::ReadText(ctx_, settings::kLockLeftKey) != "1");
  tk.SetCheck(catalogue::kRightLockSwitch,
              settings::ReadText(ctx_, settings::kLockRightKey) != "1");
  ShowHotSpots();
  SelectButton(1);
}

void ButtonsSubsystem::RegisterPage(ui::ControlDispatch& dispatch) {
  ui::Toolkit& tk = ctx_.toolkit;
  dispatch.OnClick(catalogue::kMouseHotSpots,
                   [this](int, int64_t key) { SelectButton(static_cast<int>(key)); });
  dispatch.OnClick(kCategoryList, [this, &tk](int, int64_t) {
    const int64_t type = tk.GetCurData(kCategoryList);
    if (type > 0) SelectCategory(static_cast<int>(type));
  });
  // Choosing a value only selects it; the apply button stores it.
  dispatch.OnClick(kValueList, [](int, int64_t) {});
  dispatch.OnClick(kApplyButton, [this](int, int64_t) { ApplyListFunction(); });
  dispatch.OnAny(kKeyField, [this, &tk](int code, int64_t vk) {
    if (code != ui::kNotifyKey || IsShiftCtrlAlt(static_cast<int>(vk))) return;
    key_vk_ = static_cast<int>(vk);
    tk.SetEditText(kKeyField, KeyName(static_cast<int>(vk)));
  });
  dispatch.OnAny(kFireKeyField, [this, &tk](int code, int64_t vk) {
    if (code != ui::kNotifyKey) return;
    fire_vk_ = static_cast<int>(vk);
    tk.SetEditText(kFireKeyField, KeyName(static_cast<int>(vk)));
  });
  for (int id : {kFireIntervalField, kFireCountField}) {
    dispatch.OnAny(id, [this, id](int code, int64_t) {
      if (code == ui::kNotifyFocusOut) ClampField(id);
    });
  }
  dispatch.OnClick(kFireKindList, [this](int, int64_t) { ShowControlsFor(kFireKey); });
  dispatch.OnClick(kFireApplyButton, [this](int, int64_t) { ApplyFireKey(); });
  dispatch.OnClick(kResetButton, [this](int, int64_t) { ResetButton(); });
  dispatch.OnClick(kResetAllButton, [this](int, int64_t) { ResetAllButtons(); });
  dispatch.OnClick(catalogue::kLeftLockSwitch, [this, &tk](int, int64_t) {
    SetSideButtonsUsable(true, tk.GetCheck(catalogue::kLeftLockSwitch));
  });
  dispatch.OnClick(catalogue::kRightLockSwitch, [this, &tk](int, int64_t) {
    SetSideButtonsUsable(false, tk.GetCheck(catalogue::kRightLockSwitch));
  });
}

void ButtonsSubsystem::RegisterTasks(ui::TaskTable& table) {
  table.Add(ui::kTaskWriteKeyMap, {[this] { WriteKeyAssignment(); }, kTaskPauseMs, true});
}

}  // namespace buttons
