// The macro page's logic and the macro side of the device work: the macro list, the event
// list with its editor, recording, macro files, and the upload of the macro memory. Controls
// are registered with the window's dispatch, menu messages with its message handlers.
// Page state belongs to the window thread; the worker reaches the page only by posting.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "macros/macro_image.h"
#include "macros/macro_model.h"
#include "macros/macro_recorder.h"
#include "macros/macro_upload.h"
#include "platform/language.h"
#include "settings/settings_context.h"
#include "settings/subsystem_ports.h"
#include "ui/control_texts.h"
#include "ui/toolkit.h"

namespace ui {
class ControlDispatch;
}

namespace macros {

// Controls of the macro page.
inline constexpr int kMacroList = 115;
inline constexpr int kNewMacro = 116;
inline constexpr int kExportMacro = 117;
inline constexpr int kImportMacro = 118;
inline constexpr int kEventList = 126;
inline constexpr int kDeleteEvent = 127;
inline constexpr int kDeleteAllEvents = 128;
inline constexpr int kInsertEvent = 129;  // opens the insert menu; no action of its own
inline constexpr int kRecordButton = 132;
inline constexpr int kDelayNone = 134, kDelayRecorded = 135, kDelayFixed = 136;
inline constexpr int kFixedDelayField = 138;
inline constexpr int kPlayCount = 141, kPlayHold = 142, kPlayToggle = 143, kPlayOnce = 144;
inline constexpr int kPlayCountField = 145;
inline constexpr int kEventKind = 147;
inline constexpr int kEventField = 148;   // the key field, or the delay
inline constexpr int kEventButton = 149;  // mouse button of a button event
inline constexpr int kEventUp = 151, kEventDown = 152;
inline constexpr int kMoveLeft = 154, kMoveRight = 155, kMoveXField = 156;
inline constexpr int kMoveUpward = 158, kMoveDownward = 159, kMoveYField = 160;
inline constexpr int kUploadProgress = 161;  // progress of a running upload
inline constexpr int kRecordHint = 162;      // where recording takes its input from
// Every control of the page, for the window's control registry.
inline constexpr std::array kPageControls{
    kMacroList,       kNewMacro,    kExportMacro,  kImportMacro,  kEventList,     kDeleteEvent,
    kDeleteAllEvents, kInsertEvent, kRecordButton, kDelayNone,    kDelayRecorded, kDelayFixed,
    kFixedDelayField, kPlayCount,   kPlayHold,     kPlayToggle,   kPlayOnce,      kPlayCountField,
    kEventKind,       kEventField,  kEventButton,  kEventUp,      kEventDown,     kMoveLeft,
    kMoveRight,       kMoveXField,  kMoveUpward,   kMoveDownward, kMoveYField,    kUploadProgress,
    kRecordHint};

// Window messages of the page's menus, and the page's own refresh request.
inline constexpr int kMsgMacroListMenu = 1709;
inline constexpr int kMsgInsertMenu = 1710;
inline constexpr int kMsgEventMenu = 1711;
inline constexpr int kMsgRefreshMacroList = 1712;
inline constexpr int kCmdDeleteMacro = 102;
inline constexpr int kCmdInsertMouse = 1, kCmdInsertKey = 2, kCmdInsertDelay = 3;
inline constexpr int kCmdMoveTop = 1, kCmdMoveUp = 2, kCmdMoveDown = 3, kCmdMoveBottom = 4;

// Language texts of the page.
inline constexpr platform::TextId kTextDelete{34};
inline constexpr platform::TextId kTextCustom{351};
inline constexpr platform::TextId kTextRecord{358};
inline constexpr platform::TextId kTextStop{359};
inline constexpr platform::TextId kTextRecordingTitle{355};
inline constexpr platform::TextId kTextInsertTitle{368};
inline constexpr platform::TextId kTextListFull{386};
inline constexpr platform::TextId kTextChooseMacro{387};
inline constexpr platform::TextId kTextImportRefused{1961};
inline constexpr platform::TextId kTextMouseKind{393};
inline constexpr platform::TextId kTextKeyKind{394};
inline constexpr platform::TextId kTextDelayKind{395};
inline constexpr platform::TextId kTextInsertMouse{396};
inline constexpr platform::TextId kTextInsertKey{397};
inline constexpr platform::TextId kTextInsertDelay{398};
// The event list's menu: to the top, up, down, to the bottom.
inline constexpr platform::TextId kTextMoveTexts[] = {platform::TextId{400}, platform::TextId{401},
                                                      platform::TextId{402}, platform::TextId{403}};
inline constexpr platform::TextId kTextMoveLeftKind{406};
inline constexpr platform::TextId kTextMoveRightKind{407};
inline constexpr platform::TextId kTextMoveUpKind{408};
inline constexpr platform::TextId kTextMoveDownKind{409};
inline constexpr platform::TextId kTextMoveXYKind{1964};
// The mouse buttons of the event editor: LB, RB, MB, Forward, Backward.
inline constexpr platform::TextId kTextButtons[] = {platform::TextId{150}, platform::TextId{151},
                                                    platform::TextId{152}, platform::TextId{153},
                                                    platform::TextId{154}};
// Headings of the page's parts and the upload progress line.
inline constexpr platform::TextId kTextMacrosHeading{1957};
inline constexpr platform::TextId kTextEventsHeading{1958};
inline constexpr platform::TextId kTextDelaysHeading{1959};
inline constexpr platform::TextId kTextPlaybackHeading{1960};
inline constexpr platform::TextId kTextEventHeading{1962};
inline constexpr platform::TextId kTextUploading{1963};

// The titles of the page's controls. The record button is not here: its title follows the
// recording (kTextRecord or kTextStop).
inline constexpr ui::ControlText kPageTexts[] = {
    {kNewMacro, platform::TextId{1950}},        {kExportMacro, platform::TextId{1951}},
    {kImportMacro, platform::TextId{1952}},     {kDeleteEvent, platform::TextId{1953}},
    {kDeleteAllEvents, platform::TextId{1954}}, {kInsertEvent, platform::TextId{1955}},
    {kRecordHint, platform::TextId{1956}},      {kDelayNone, platform::TextId{361}},
    {kDelayRecorded, platform::TextId{362}},    {kDelayFixed, platform::TextId{363}},
    {kPlayCount, platform::TextId{367}},        {kPlayHold, platform::TextId{365}},
    {kPlayToggle, platform::TextId{366}},       {kPlayOnce, platform::TextId{380}},
};

// The pop-up menus (entries in order, with their commands).
std::vector<ui::MenuItem> MacroListMenu();
std::vector<ui::MenuItem> InsertMenu();
std::vector<ui::MenuItem> EventMenu();

class MacrosSubsystem : public settings::MacrosPort {
 public:
  struct Hooks {
    // The button the button page has selected (its key_code), -1 for none.
    std::function<int()> selected_button;
    // The catalogue's default for a button: type, value and description text.
    std::function<bool(int key_code, KeyAssignmentRecord& row)> button_default;
    // A macro's name changed or the macro list changed: the button page's macro list.
    std::function<void()> macros_changed;
    // Key captures for the button page's key fields (targets 10 and 11).
    std::function<void(CaptureTarget, const InputCapture&)> key_capture;
  };

  // `context` supplies the channel, store, toolkit, clock, profile and model; it and the
  // ports in it must outlive this object.
  explicit MacrosSubsystem(settings::SettingsContext& context);

  void SetHooks(Hooks hooks) { hooks_ = std::move(hooks); }
  // Registers controls 115..160; `on_message` registers a window-message handler.
  using MessageHandler = std::function<void(int64_t, int64_t)>;
  void Register(ui::ControlDispatch& dispatch,
                const std::function<void(int, MessageHandler)>& on_message);
  // Titles and fixed choices once the window is built.
  void InitPage();
  // After a language switch: the page's titles, the record button's by the recording state.
  void ApplyTexts();

  // --- MacrosPort (worker) ---
  void UploadProfileMacros() override;
  void RefreshMacroList() override;

  // --- for the button side (worker): task 8 uploads, then codes buttons by slot ---
  bool UploadMacros();
  // The slot a macro's buttons carry after the last build; -1 when it has none.
  int MacroSlot(int macro_id) const;

  // --- window thread ---
  void ShowMacroList();
  void OnInput(const RawInputRecord& record);
  bool Recording() const { return recording_; }
  void StartRecording();
  void StopRecording();  // also when the mouse goes away
  // Key capture for a key field of the button page (targets 10, 11); End stops it.
  void BeginKeyCapture(CaptureTarget target);
  void EndKeyCapture();
  int CurrentMacro() const { return current_macro_; }
  const std::vector<MacroEventRecord>& Events() const { return events_; }
  int EventLimit() const { return event_limit_; }
  void OnMessage(int message, int64_t command);

  // Page operations (the dispatch calls them).
  void NewMacro();
  void DeleteMacro();
  void RenameMacro(int index);
  void SelectMacro();
  void SaveMacroSettings();
  void ExportMacro();
  void ImportMacro();
  void Insert(InsertKind kind);
  void MoveSelected(int command);
  void DeleteSelectedEvent();
  void DeleteAllEvents();
  void SelectEvent();

 private:
  void LoadMacro(int macro_id);
  void ShowEvents(int selected);
  void SaveEvents();
  void ShowEditor();
  void HideEditor();
  void ApplyKeyField();
  void ApplyEventField();
  void ApplyButtonChoice();
  void ApplyMove();
  void CheckOnly(int first, int last, int checked);
  int CheckedIn(int first, int last) const;
  void SetPageEnabled(bool enabled);
  int SelectedEvent();
  void RevertSelectedButton();
  std::string Text(platform::TextId text) const;

  settings::SettingsContext& c_;
  ui::Toolkit& tk_;
  Hooks hooks_;

  // Window thread.
  int current_macro_ = 0;
  std::vector<MacroEventRecord> events_;
  int event_limit_ = kStartupEventLimit;
  bool recording_ = false;
  InputCapturer capturer_;
  MacroRecorder recorder_;
  int captured_key_ = 0;
  std::string captured_name_;

  // Worker.
  mutable std::mutex slots_mu_;
  MacroSlotTable slots_;
};

}  // namespace macros
