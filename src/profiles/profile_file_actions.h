// The status strip's profile file buttons: import (46) reads a file the person picks into the
// current profile and applies it to the mouse; export (47) writes the current profile to a
// file. A failure is told in a message box naming the file and the reason.
#pragma once

#include <cstdint>
#include <string>

#include "profiles/profile_files.h"
#include "settings/settings_context.h"

namespace ui {
class ControlDispatch;
}

namespace profiles {

// Asks the window for a profile file action: wparam kMessageImport, or kMessageExport with
// lparam the profile to write (0: the current one).
inline constexpr int WM_PROFILE_FILE = 1705;
inline constexpr int64_t kMessageImport = 1;
inline constexpr int64_t kMessageExport = 2;

class ProfileFileActions {
 public:
  // Uses the context's toolkit, store, current profile, task list and lighting fact; it must
  // outlive the dispatch it registers with.
  explicit ProfileFileActions(settings::SettingsContext& context) : ctx_(context) {}

  void RegisterControls(ui::ControlDispatch& dispatch);
  // Once the window exists: the buttons come up disabled until their handler is there.
  void EnableButtons();
  // Window thread. Both do nothing when the person cancels the file dialog.
  void Export();
  // The profile `profile` (a row of the profile list); nothing when it is not in the list.
  void Export(int profile);
  void Import();
  // Message WM_PROFILE_FILE; other actions do nothing.
  void OnProfileFileMessage(int64_t action, int64_t profile);

  // The operations behind the buttons, on a path instead of a picker (the command line uses
  // them too). ExportTo writes the current profile, or `profile`; ImportFrom stores the file
  // into the current profile, and QueueApply then queues the task that writes the profile to
  // the mouse.
  platform::Status ExportTo(const std::string& path);
  platform::Status ExportTo(int profile, const std::string& path);
  platform::Status ImportFrom(const std::string& path);
  bool QueueApply();

  // The name the current profile, or `profile`, has in the profile list ("" when absent).
  std::string CurrentProfileName();
  std::string ProfileName(int profile);

 private:
  settings::SettingsContext& ctx_;
};

}  // namespace profiles
