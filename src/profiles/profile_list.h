// The profile list of the main window: the five default profiles, the names it shows, which
// profile is active, and what choosing another one does.
#pragma once

#include <functional>
#include <string>

class ProfileStore;
namespace ui {
class Toolkit;
}

namespace profiles {

// Language text: the word that stands for "profile" in default names.
inline constexpr int kProfileWordText = 60;
inline constexpr int kDefaultProfileCount = 5;

// Appends a task code to the main window's task list (any thread).
using AppendTaskFn = std::function<void(int)>;
// Makes a profile number the main window's current profile. The worker reads it, so the
// main window keeps it where both threads may use it (an atomic).
using SetCurrentProfileFn = std::function<void(int)>;

// A stored name beginning with "Profile" or "配置方案" is shown with `word` in place of that
// prefix (the rest, leading blank included, follows after one more blank); any other name is
// shown as stored.
std::string ProfileDisplayName(const std::string& stored_name, const std::string& word);

}  // namespace profiles

// Fills the profile selector from the store, creating the five default profiles in a
// database that has none, and selects the active profile (making one active if none is).
// Returns the current profile number, 0 when there is none. Runs on the worker.
int RefreshProfileList(ui::Toolkit& toolkit, ProfileStore& store);

// Makes `profile` the current and the active one and queues the apply task (7). Refused
// (nothing changed) for a number the store has no profile of, or that it cannot mark active.
bool ActivateProfile(ProfileStore& store, int profile,
                     const profiles::SetCurrentProfileFn& set_current_profile,
                     const profiles::AppendTaskFn& append_task);

// The person chose an entry of the profile selector (window thread): the entry's profile
// becomes the current and the active one, the apply task is queued and the wait dialog runs
// until that task ends it. Nothing happens when no entry is selected.
void SwitchProfile(ui::Toolkit& toolkit, ProfileStore& store,
                   const profiles::SetCurrentProfileFn& set_current_profile,
                   const profiles::AppendTaskFn& append_task);
