#include "app/settings_panel.h"

#include "log/trace.h"
#include "platform/app_key.h"
#include "platform/autostart.h"
#include "platform/language.h"
#include "platform/open_url.h"
#include "platform/paths.h"
#include "ui/manager.h"

namespace app {

ui::WindowState StartWindowState(bool autorun_start, int autorun_minimize, bool tray_shown) {
  if (!autorun_start || autorun_minimize != 1) return ui::WindowState::kNormal;
  return tray_shown ? ui::WindowState::kHidden : ui::WindowState::kMinimized;
}

SettingsPanel::SettingsPanel(ui::Toolkit& toolkit, platform::AppKey& key, Hooks hooks)
    : toolkit_(toolkit), key_(key) {
  SetHooks(std::move(hooks));
}

void SettingsPanel::SetHooks(Hooks hooks) {
  hooks_ = std::move(hooks);
  if (!hooks_.open_url)
    hooks_.open_url = [](const std::string& url) { return platform::OpenUrl(url); };
  if (!hooks_.executable)
    hooks_.executable = [] { return platform::ProgramDir() + "DeviceDriver"; };
}

void SettingsPanel::Register(ui::ControlDispatch& dispatch) {
  dispatch.OnClick(panel::kLanguage, [this](int, int64_t) { LanguageChosen(); });
  dispatch.OnClick(panel::kAutorun, [this](int, int64_t) { AutorunChanged(); });
  dispatch.OnClick(panel::kAutorunMinimize, [this](int, int64_t) { AutorunMinimizeChanged(); });
  dispatch.OnClick(panel::kHideToTray, [this](int, int64_t) { ExitModeChanged(); });
  dispatch.OnClick(panel::kExitOnClose, [this](int, int64_t) { ExitModeChanged(); });
  dispatch.OnClick(panel::kWebsite, [this](int, int64_t) { OpenLink(0); });
  dispatch.OnClick(panel::kFeedback, [this](int, int64_t) { OpenLink(1); });
  dispatch.OnClick(panel::kQuestions, [this](int, int64_t) { OpenLink(2); });
}

void SettingsPanel::Init() {
  toolkit_.ClearItems(panel::kLanguage);
  toolkit_.AddItem(panel::kLanguage, "简体中文", 2052);
  toolkit_.AddItem(panel::kLanguage, "English", 1033);
  toolkit_.SelectData(panel::kLanguage, platform::LanguageId());
  ApplyTexts();
  ShowChoices();
}

void SettingsPanel::ShowChoices() {
  const bool autorun = platform::AutostartEnabled(ui::Manager::GetDeviceName());
  toolkit_.SetCheck(panel::kAutorun, autorun);
  toolkit_.SetEnabled(panel::kAutorunMinimize, autorun);
  toolkit_.SetCheck(panel::kAutorunMinimize, autorun && key_.ReadInt(kAutorunMinimizeValue) == 1);
  const bool hide = key_.ReadInt(kExitModeValue) == 1;
  // The chosen one first: an exclusive pair cannot be cleared on its own.
  toolkit_.SetCheck(hide ? panel::kHideToTray : panel::kExitOnClose, true);
  toolkit_.SetCheck(hide ? panel::kExitOnClose : panel::kHideToTray, false);
}

void SettingsPanel::ApplyTexts() { ui::ApplyControlTexts(toolkit_, panel::kPanelTexts); }

void SettingsPanel::LanguageChosen() {
  const int64_t id = toolkit_.GetCurData(panel::kLanguage);
  if (id <= 0 || id == platform::LanguageId()) return;
  platform::SetLanguageId(static_cast<int>(id));
  platform::WriteLanguageId(key_, static_cast<int>(id));
  Trace(2, "Language %d", static_cast<int>(id));
  if (hooks_.apply_language) hooks_.apply_language();
}

void SettingsPanel::AutorunChanged() {
  const std::string caption = ui::Manager::GetDeviceName();
  if (toolkit_.GetCheck(panel::kAutorun)) {
    toolkit_.SetEnabled(panel::kAutorunMinimize, true);
    // Written afresh each time, so it follows the program when it was moved.
    if (!platform::WriteAutostartEntry(caption, hooks_.executable())) {
      Trace(4, "Autostart entry not written: %s", platform::AutostartEntryPath(caption).c_str());
    }
  } else {
    toolkit_.SetCheck(panel::kAutorunMinimize, false);
    toolkit_.SetEnabled(panel::kAutorunMinimize, false);
    key_.WriteInt(kAutorunMinimizeValue, 0);
    if (!platform::RemoveAutostartEntry(caption)) {
      Trace(4, "Autostart entry not removed: %s", platform::AutostartEntryPath(caption).c_str());
    }
  }
}

void SettingsPanel::AutorunMinimizeChanged() {
  key_.WriteInt(kAutorunMinimizeValue, toolkit_.GetCheck(panel::kAutorunMinimize) ? 1 : 0);
}

void SettingsPanel::ExitModeChanged() {
  key_.WriteInt(kExitModeValue, toolkit_.GetCheck(panel::kHideToTray) ? 1 : 0);
}

void SettingsPanel::OpenLink(int link) {
  const std::string url = hooks_.link_address ? hooks_.link_address(link) : std::string();
  if (url.empty() || !hooks_.open_url(url))
    Trace(4, "Link %d not opened: \"%s\"", link, url.c_str());
}

}  // namespace app
