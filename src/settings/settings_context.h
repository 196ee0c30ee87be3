// What the settings reads, writes and page handlers work with. The main window fills it once:
// the shared objects by reference, its own state through small functions, and the ports of
// the subsystems that own buttons, macros and lighting (null ports until those are wired).
//
// Wiring in the main window, besides RegisterSettingsTasks / RegisterSettingsPages and
// InitSettingsPages once the pages exist: the worker's settings read is GetMouseData2 followed
// by RefreshSettingsPage; the device link's DpiLevelChanged is ShowMouseDpiLevel and its
// CurrentDpiLevel is SettingsState::active_level; the button and lighting resets set
// SettingsState::pending_section before queuing task 17.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "settings/settings_model.h"
#include "settings/subsystem_ports.h"

class DriverComm;
class ProfileStore;
namespace platform {
class Clock;
}
namespace ui {
class Toolkit;
}

namespace settings {

struct SettingsContext {
  SettingsContext(DriverComm& comm_in, ProfileStore& store_in, ui::Toolkit& toolkit_in,
                  platform::Clock& clock_in, SettingsState& state_in)
      : comm(comm_in), store(store_in), toolkit(toolkit_in), clock(clock_in), state(state_in) {}

  DriverComm& comm;
  ProfileStore& store;
  ui::Toolkit& toolkit;
  platform::Clock& clock;
  SettingsState& state;

  // The window's connection mode: 0 cable, 1 through the receiver.
  std::function<int()> connection_mode;
  // The writers' guard: through the receiver, an offline mouse posts WM_DEVICE_STATUS with
  // the reason and the caller gives up (false). Empty: every check passes.
  std::function<bool(int reason)> guard_wireless;
  // Appends a task code to the main window's task list (any thread).
  std::function<void(int code)> append_task;
  // The current profile number for ReadSetting / WriteSetting, and its setter (used after the
  // profile list is refreshed by a factory restore).
  std::function<int()> current_profile;
  std::function<void(int profile)> set_current_profile;
  // The selected model's device_type from the catalogue.
  std::function<int()> device_type;
  // Whether the model has a lighting page.
  std::function<bool()> lighting_in_use;

  // Tells the person about a problem (any thread, never blocks); empty: only traced.
  std::function<void(const std::string& text)> report_problem;
  // A change could not be stored since the last task was queued: the next queued write is
  // dropped, so the mouse never gets a value the store does not hold.
  std::atomic<bool> unsaved_change{false};
  // The person was told about the store refusing writes; cleared by the next good write.
  std::atomic<bool> store_failure_told{false};

  // Writes the mouse did not take (offline, refused or unanswered) so far: the command line
  // compares it around its request to tell the caller.
  std::atomic<int> refused_writes{0};

  // --- owned by other subsystems: buttons, macros, lighting ---
  SubsystemPorts ports;
};

// Language texts about the store refusing a change or a read.
inline constexpr int kChangeNotSavedText = 2304;
inline constexpr int kSettingsNotReadText = 2305;
// Language texts about the mouse: it did not answer within a sequence's bound; a profile
// apply was interrupted and is sent again when the mouse is back.
inline constexpr int kMouseNotAnsweredText = 2401;
inline constexpr int kApplyInterruptedText = 2402;

// --- small helpers shared by the pages, reads and writes ---
// A setting of the current profile as text (empty when missing) or as a number (0 when
// missing or not a number).
std::string ReadText(SettingsContext& context, const std::string& key);
int ReadInt(SettingsContext& context, const std::string& key);
// False (and the person told once) when the store refused the change.
bool WriteText(SettingsContext& context, const std::string& key, const std::string& value);
bool WriteInt(SettingsContext& context, const std::string& key, int value);
int ConnectionMode(SettingsContext& context);
// The online check before an exchange through the receiver: false (and WM_DEVICE_STATUS with
// `reason` posted) when the mouse is not reachable.
bool OnlineCheck(SettingsContext& context, int reason);
// Queues `code` unless a change could not be stored since the last task: then the pages
// show the stored values again and false is returned.
bool AppendTask(SettingsContext& context, int code);
// Tells the person (once per run of failures) that the store refused; `text` is the
// language text number with one "%s" for the reason (empty: the store's last error).
void ReportStoreFailure(SettingsContext& context, int text, std::string reason = {});
// Tells the person that the mouse did not answer, when the channel says so for the current
// sequence; true when it did.
bool ReportIfUnanswered(SettingsContext& context);

}  // namespace settings
