#include "profiles/profile_file_actions.h"

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
  const int profile = ctx_.current_profile ? ctx_.current_profile() : 0;
  std::vector<ProfileRecord> list;
  ctx_.store.ListProfiles(list);
  for (const ProfileRecord& p : list) {
    if (p.profile == profile) return ProfileDisplayName(p.name, LanguageText(kProfileWordText));
  }
  return {};
}

FileResult ProfileFileActions::ExportTo(const std::string& path) {
  const int profile = ctx_.current_profile ? ctx_.current_profile() : 0;
  const bool lighting = ctx_.lighting_in_use && ctx_.lighting_in_use();
  return ExportProfile(ctx_.store, profile, CurrentProfileName(), lighting, path);
}

FileResult ProfileFileActions::ImportFrom(const std::string& path) {
  const int profile = ctx_.current_profile ? ctx_.current_profile() : 0;
  const bool lighting = ctx_.lighting_in_use && ctx_.lighting_in_use();
  return ImportProfile(ctx_.store, profile, lighting, path);
}

bool ProfileFileActions::QueueApply() {
  if (!ctx_.append_task) return false;
  ctx_.append_task(ui::kTaskApplyProfile);
  return true;
}

void ProfileFileActions::Export() {
  ui::Toolkit& tk = ctx_.toolkit;
  const std::string name = CurrentProfileName();
  const std::string path =
      tk.PickSaveFile(LanguageText(kExportTitleText), name + ".xml", kExportFilter);
  if (path.empty()) return;
  const FileResult r = ExportTo(path);
  if (!r.ok) {
    tk.ShowMessage(Format(LanguageText(kExportFailedText), path, r.reason),
                   LanguageText(kExportTitleText), ui::kStyleOk);
  }
}

void ProfileFileActions::Import() {
  ui::Toolkit& tk = ctx_.toolkit;
  const std::string path = tk.PickOpenFile(LanguageText(kImportTitleText), kImportFilter);
  if (path.empty()) return;
  const FileResult r = ImportFrom(path);
  if (!r.ok) {
    tk.ShowMessage(Format(LanguageText(kImportFailedText), path, r.reason),
                   LanguageText(kImportTitleText), ui::kStyleOk);
    return;
  }
  ui::RunWithWaitDialog(tk, [&] { return QueueApply(); });
}

void ProfileFileActions::EnableButtons() {
  ctx_.toolkit.SetEnabled(ui::frame::kImport, true);
  ctx_.toolkit.SetEnabled(ui::frame::kExport, true);
}

void ProfileFileActions::RegisterControls(ui::ControlDispatch& dispatch) {
  dispatch.OnClick(ui::frame::kImport, [this](int, int64_t) { Import(); });
  dispatch.OnClick(ui::frame::kExport, [this](int, int64_t) { Export(); });
}

}  // namespace profiles
