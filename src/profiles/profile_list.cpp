#include "profiles/profile_list.h"

#include <string_view>
#include <vector>

#include "platform/language.h"
#include "store/profile_store.h"
#include "ui/frame_controls.h"
#include "ui/task_table.h"
#include "ui/toolkit.h"

namespace profiles {

std::string ProfileDisplayName(const std::string& stored_name, const std::string& word) {
  // Default names carry the word of the language they were created in; show today's word.
  for (std::string_view prefix : {std::string_view("Profile"), std::string_view("配置方案")}) {
    if (std::string_view(stored_name).starts_with(prefix)) {
      return word + " " + stored_name.substr(prefix.size());
    }
  }
  return stored_name;
}

}  // namespace profiles

namespace {

// Creates the default profiles in a database without any and makes the first one active.
// The caller holds the store's lock, so two fills cannot both create them.
void CreateDefaultProfiles(ProfileStore& store) {
  const std::string word = LanguageText("LAN", profiles::kProfileWordText);
  // One transaction: much faster, and an interrupted creation leaves no half set behind.
  SQLiteAutoTransaction transaction(&store.Db());
  int first = 0;
  for (int i = 1; i <= profiles::kDefaultProfileCount; ++i) {
    ProfileRecord record;
    record.name = word + " " + std::to_string(i);
    const int profile = store.AddProfile(record);
    if (first == 0) first = profile;
  }
  (void)transaction.Commit();
  store.SetActiveProfile(first != 0 ? first : 1);
}

}  // namespace

int RefreshProfileList(ui::Toolkit& toolkit, ProfileStore& store) {
  std::vector<ProfileRecord> list;
  int current = 0;
  {
    auto hold = store.Lock();
    store.ListProfiles(list);
    if (list.empty()) {
      CreateDefaultProfiles(store);
      store.ListProfiles(list);
    }
    current = store.GetActiveProfile();
    if (current < 1) {
      store.SetActiveProfile(1);
      current = store.GetActiveProfile();
    }
    // A database whose numbering does not start at 1 still gets an active profile.
    if (current < 1 && !list.empty()) {
      store.SetActiveProfile(list.front().profile);
      current = store.GetActiveProfile();
    }
  }
  // The toolkit is called only after the store's lock is released: the window thread may
  // be waiting for that lock while the toolkit waits for the window thread.
  const std::string word = LanguageText("LAN", profiles::kProfileWordText);
  toolkit.ClearItems(ui::frame::kProfiles);
  for (const ProfileRecord& record : list) {
    toolkit.AddItem(ui::frame::kProfiles, profiles::ProfileDisplayName(record.name, word),
                    record.profile);
  }
  if (current >= 1) toolkit.SelectData(ui::frame::kProfiles, current);
  return current < 1 ? 0 : current;
}

bool ActivateProfile(ProfileStore& store, int profile,
                     const profiles::SetCurrentProfileFn& set_current_profile,
                     const profiles::AppendTaskFn& append_task) {
  std::vector<ProfileRecord> list;
  store.ListProfiles(list);
  bool known = false;
  for (const ProfileRecord& record : list) known |= record.profile == profile;
  if (!known) return false;
  // A profile the store cannot mark active is not applied: the next start would not know it.
  if (!store.SetActiveProfile(profile)) return false;
  // Set before the task is queued: the task works on the current profile.
  if (set_current_profile) set_current_profile(profile);
  if (!append_task) return false;
  append_task(ui::kTaskApplyProfile);
  return true;
}

void SwitchProfile(ui::Toolkit& toolkit, ProfileStore& store,
                   const profiles::SetCurrentProfileFn& set_current_profile,
                   const profiles::AppendTaskFn& append_task) {
  const int64_t selected = toolkit.GetCurData(ui::frame::kProfiles);
  if (selected < 1) return;
  const int profile = static_cast<int>(selected);
  ui::RunWithWaitDialog(
      toolkit, [&] { return ActivateProfile(store, profile, set_current_profile, append_task); });
}
