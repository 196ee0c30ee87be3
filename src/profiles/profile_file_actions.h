// The status strip's profile file buttons: import (46) reads a file the person picks into the
// current profile and applies it to the mouse; export (47) writes the current profile to a
// file. A failure is told in a message box naming the file and the reason.
#pragma once

#include <string>

#include "profiles/profile_files.h"
#include "settings/settings_context.h"

namespace ui {
class ControlDispatch;
}

namespace profiles {

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
  void Import();

  // The operations behind the buttons, on a path instead of a picker (the command line uses
  // them too). ExportTo writes the current profile; ImportFrom stores the file into it, and
  // QueueApply then queues the task that writes the profile to the mouse.
  FileResult ExportTo(const std::string& path);
  FileResult ImportFrom(const std::string& path);
  bool QueueApply();

  // The name the current profile has in the profile list.
  std::string CurrentProfileName();

 private:
  settings::SettingsContext& ctx_;
};

}  // namespace profiles
