// The button page and the key map transfer: what each button does in the current profile,
// the page's operations (select, choose, apply, reset, the side-button locks), task 8 and the
// key-table side of the settings reads and profile writes. Page handlers run on the window
// thread and only store and queue; the writes run on the worker, except the lock switches,
// which write their two buttons directly.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

#include "buttons/button_function.h"
#include "catalogue/catalogue.h"
#include "device/driver_comm.h"
#include "settings/settings_context.h"
#include "settings/subsystem_ports.h"
#include "ui/control_texts.h"

namespace ui {
class ControlDispatch;
class TaskTable;
}  // namespace ui
namespace catalogue {
class Catalogue;
}

namespace buttons {

// Controls of the button page (the picture 63, the hot-spots 92 and the lock switches 68..71
// belong to the catalogue, which fills them).
inline constexpr int kResetButton = 67;
inline constexpr int kCategoryList = 73;
inline constexpr int kValueList = 74;
inline constexpr int kKeyField = 75;
inline constexpr int kCtrlToggle = 76;
inline constexpr int kWinToggle = 77;
inline constexpr int kAltToggle = 78;
inline constexpr int kShiftToggle = 79;
inline constexpr int kApplyButton = 80;
inline constexpr int kFireKindList = 81;
inline constexpr int kFireMouseList = 83;
inline constexpr int kFireKeyField = 84;
inline constexpr int kFireIntervalField = 86;
inline constexpr int kFireCountField = 90;
inline constexpr int kFireApplyButton = 91;
inline constexpr int kResetAllButton = 93;
// Every control above: what the button page must build.
inline constexpr std::array kPageControls{
    kResetButton,       kCategoryList,   kValueList,       kKeyField,
    kCtrlToggle,        kWinToggle,      kAltToggle,       kShiftToggle,
    kApplyButton,       kFireKindList,   kFireMouseList,   kFireKeyField,
    kFireIntervalField, kFireCountField, kFireApplyButton, kResetAllButton};

// Fire-key input kinds of list 81.
inline constexpr int kFireKindMouse = 1;
inline constexpr int kFireKindKey = 2;

// Texts of the page.
inline constexpr platform::TextId kFireKindMouseText{130};
inline constexpr platform::TextId kFireKindKeyText{133};  // also the key field's caption
inline constexpr platform::TextId kLeftSideText{1913};
inline constexpr platform::TextId kRightSideText{1914};
inline constexpr platform::TextId kApplyText{1915};
inline constexpr platform::TextId kFunctionHeadingText{1908};
inline constexpr platform::TextId kPageHintText{1909};
inline constexpr platform::TextId kFunctionCaptionText{1918};
inline constexpr platform::TextId kPressKeyText{1919};  // the key fields' placeholder
inline constexpr platform::TextId kIntervalText{1920};
inline constexpr platform::TextId kPressesText{1921};
inline constexpr platform::TextId kFiredInputText{1922};
inline constexpr platform::TextId kSideButtonsHeadingText{1923};

// The titles and tooltips of the page's controls.
inline constexpr ui::ControlText kPageTexts[] = {
    {kResetButton, platform::TextId{1917}, ui::TextPlace::kTooltip},
    {kApplyButton, kApplyText},
    {kFireApplyButton, kApplyText},
    {kResetAllButton, platform::TextId{1916}},
    {catalogue::kLeftLockLabel, kLeftSideText},  // the catalogue's controls, the page's texts
    {catalogue::kRightLockLabel, kRightSideText},
};

class ButtonsSubsystem final : public settings::ButtonsPort {
 public:
  // Both must outlive the subsystem.
  ButtonsSubsystem(settings::SettingsContext& context, catalogue::Catalogue& catalogue);

  // The macro memory upload that precedes a whole key-table write; true when it was sent.
  // Without one the table is written on its own.
  void SetMacroUpload(std::function<bool()> upload) { upload_macros_ = std::move(upload); }

  // Registers the page's controls and the lock switches; `this` must outlive the dispatch.
  void RegisterPage(ui::ControlDispatch& dispatch);
  // Registers task 8 (100 ms pause, ends the wait dialog).
  void RegisterTasks(ui::TaskTable& table);
  // Fills the fixed lists once the window is built.
  void InitPage();

  // --- settings::ButtonsPort ---
  void DecodeButtonCode(int n, uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3) override;
  void SendProfileKeyTable() override;
  void RefreshButtonPage() override;

  // --- page operations (window thread) ---
  void SelectButton(int key_code);
  void SelectCategory(int type);
  void ApplyListFunction();
  void ApplyKeyboardKey();
  void ApplyFireKey();
  void ResetAllButtons();
  void ResetButton();
  // A lock switch clicked: `left` for buttons 3 and 4, else 6 and 7; `on` = usable.
  void SetSideButtonsUsable(bool left, bool on);

  // --- device writes ---
  // Task 8: the oldest button an operation changed (the selected one when none waits), or,
  // after a macro was assigned, the macro memory and the whole key table.
  void WriteKeyAssignment();
  // Button n's code with the lock flag; no online check of its own.
  void WriteLockedKey(int n);

  int SelectedButton() const { return selected_.load(); }
  bool WriteAllPending() const { return write_all_.load(); }

 private:
  int Profile();
  // The code of button n's row; without a row, its default (DefaultKeyTable for 0..5, the
  // catalogue's default function above).
  ButtonCode CodeForButton(int n);
  void WriteButton(int n);
  bool SendFrame(const CommandFrame& frame);
  void SendKeyTable();
  // Saves `row` for the selected button, shows it and queues task 8 for that button.
  void SaveAndQueue(KeyAssignmentRecord row, bool with_wait);
  bool GuardRefuses();
  void ShowControlsFor(int type);
  void FillValues(int type);
  void ShowHotSpots();
  bool Hidden(int key_code);
  int ClampField(int id);

  settings::SettingsContext& ctx_;
  catalogue::Catalogue& catalogue_;
  std::function<bool()> upload_macros_;

  std::atomic<int> selected_{0};
  std::atomic<bool> write_all_{false};
  // Virtual keys captured by the key field and the fire-key field.
  std::atomic<int> key_vk_{0};
  std::atomic<int> fire_vk_{0};
  // Buttons changed by the page, one per queued task 8, oldest first.
  std::mutex pending_mu_;
  std::deque<int> pending_;
};

}  // namespace buttons
