#include "profiles/profile_file_actions.h"

#include <cstdint>
#include <vector>

#include "platform/language.h"
#include "profiles/profile_list.h"
#include "store/profile_store.h"
#include "ui/control_dispatch.h"
#include "ui/frame_controls.h"
#include "ui/task_table.h"
#include "ui/toolkit.h"

namespace profiles {
namespace {

std::string Format(std::string pattern, const std::string& file, const std::string& reason) {
  for (const std::string* arg : {&file, &reason}) {
    const size_t at = pattern.find("%s");
    if (at == std::string::npos) break;
    pattern.replace(at, 2, *arg);
  }
  return pattern;
}

}  // namespace

std::string ProfileFileActions::CurrentProfileName() {
  return ProfileName(ctx_.current_profile ? ctx_.current_profile() : 0);
}

std::string ProfileFileActions::ProfileName(int profile) {
  std::vector<ProfileRecord> list;
  ctx_.store.ListProfiles(list);
  for (const ProfileRecord& p : list) {
    if (p.profile == profile) return ProfileDisplayName(p.name, LanguageText(kProfileWordText));
  }
  return {};
}

platform::Status ProfileFileActions::ExportTo(const std::string& path) {
  return ExportTo(ctx_.current_profile ? ctx_.current_profile() : 0, path);
}

platform::Status ProfileFileActions::ExportTo(int profile, const std::string& path) {
  const bool lighting = ctx_.lighting_in_use && ctx_.lighting_in_use();
  return ExportProfile(ctx_.store, profile, ProfileName(profile), lighting, path);
}

platform::Status ProfileFileActions::ImportFrom(const std::string& path) {
  const int profile = ctx_.current_profile ? ctx_.current_profile() : 0;
  const bool lighting = ctx_.lighting_in_use && ctx_.lighting_in_use();
  return ImportProfile(ctx_.store, profile, lighting, path);
}

bool ProfileFileActions::QueueApply() {
  if (!ctx_.append_task) return false;
  ctx_.append_task(ui::kTaskApplyProfile);
  return true;
}

void ProfileFileActions::Export() { Export(ctx_.current_profile ? ctx_.current_profile() : 0); }

void ProfileFileActions::Export(int profile) {
  ui::Toolkit& tk = ctx_.toolkit;
  const std::string name = ProfileName(profile);
  // A profile that is not in the list has nothing to write.
  if (name.empty()) return;
  const std::string path =
      tk.PickSaveFile(LanguageText(kExportTitleText), name + ".xml", kExportFilter);
  if (path.empty()) return;
  const platform::Status r = ExportTo(profile, path);
  if (!r.ok()) {
    tk.ShowMessage(Format(LanguageText(kExportFailedText), path, r.error().reason),
                   LanguageText(kExportTitleText), ui::kStyleOk);
  }
}

void ProfileFileActions::Import() {
  ui::Toolkit& tk = ctx_.toolkit;
  const std::string path = tk.PickOpenFile(LanguageText(kImportTitleText), kImportFilter);
  if (path.empty()) return;
  const platform::Status r = ImportFrom(path);
  if (!r.ok()) {
    tk.ShowMessage(Format(LanguageText(kImportFailedText), path, r.error().reason),
                   LanguageText(kImportTitleText), ui::kStyleOk);
    return;
  }
  ui::RunWithWaitDialog(tk, [&] { return QueueApply(); });
}

void ProfileFileActions::EnableButtons() {
  ctx_.toolkit.SetEnabled(ui::frame::kImport, true);
  ctx_.toolkit.SetEnabled(ui::frame::kExport, true);
}

void ProfileFileActions::OnProfileFileMessage(int64_t action, int64_t profile) {
  if (action == kMessageImport) {
    Import();
  } else if (action == kMessageExport) {
    Export(profile > 0 && profile <= INT32_MAX
               ? static_cast<int>(profile)
               : (ctx_.current_profile ? ctx_.current_profile() : 0));
  }
}

void ProfileFileActions::RegisterControls(ui::ControlDispatch& dispatch) {
  dispatch.OnClick(ui::frame::kImport, [this](int, int64_t) { Import(); });
  dispatch.OnClick(ui::frame::kExport, [this](int, int64_t) { Export(); });
}

}  // namespace profiles
