#include "app/device_side.h"

#include <string>

#include "app/wait_dialog.h"
#include "log/trace.h"
#include "platform/language.h"
#include "platform/paths.h"
#include "profiles/profile_files.h"
#include "profiles/profile_list.h"
#include "settings/settings_page.h"
#include "settings/settings_read.h"
#include "settings/settings_write.h"
#include "store/profile_store.h"
#include "ui/control_texts.h"
#include "ui/frame_controls.h"
#include "ui/window_messages.h"

namespace app {
DeviceSide::DeviceSide(DeviceSideHost& host, DeviceWorkOptions options)
    : host_(host),
      store_(options.store ? *options.store : ProfileStore::Instance()),
      user_data_dir_(options.user_data_dir.empty() ? platform::UserDataDir()
                                                   : options.user_data_dir),
      start_thread_(options.start_thread),
      start_hotplug_(options.start_hotplug),
      own_waiter_(options.waiter ? nullptr : std::make_unique<PosixProcessWaiter>()),
      waiter_(options.waiter ? options.waiter : own_waiter_.get()),
      link_(host.Comm(), host.Toolkit(), host.DeviceList(), *this),
      catalogue_(
          catalogue::CatalogueContext{host.Toolkit(), host.Comm(), host.DeviceList(), store_,
                                      [&host] { return host.ReadDeviceType(); }, user_data_dir_,
                                      [&host](const std::string& text) { host.ShowNotice(text); }}),
      settings_ctx_(host.Comm(), store_, host.Toolkit(), host.Comm().GetClock(), settings_state_),
      own_pointer_(options.pointer
                       ? nullptr
                       : settings::MakePointerSettings(host.Settings(),
                                                       [&toolkit = host.Toolkit()](uint32_t lines) {
                                                         toolkit.SetWheelScrollLines(lines);
                                                       })),
      pointer_(options.pointer ? options.pointer : own_pointer_.get()),
      pointer_page_(settings_ctx_, *pointer_),
      task_ctx_(link_, host.Comm(), host.Comm().GetClock()),
      buttons_(settings_ctx_, catalogue_),
      update_(update::UpdateContext{host.Toolkit(), host.Comm(), host.Settings(), pending_tool_,
                                    [&host](int code) { host.PendingTasks().Append(code); },
                                    [&host](int) {
                                      // The orderly close, on the window thread: this runs on the
                                      // worker.
                                      host.Toolkit().PostMessage(WM_CLOSE, 0, 0);
                                    },
                                    [this] { return catalogue_.Links().upgrade; },
                                    [this] { return catalogue_.Links().version; }, user_data_dir_,
                                    platform::ProgramDir()}) {
  RegisterControls();
  RegisterTasks();
  FollowPointerSettings();
  worker_ = std::make_unique<DeviceWorker>(host.PendingTasks(), host.Tasks(), host.Comm(), link_,
                                           host.Toolkit(), host.Comm().GetClock(), *this);
}

DeviceSide::~DeviceSide() { EndWorker(); }

void DeviceSide::EndWorker() {
  link_.StopHotplug();
  // A turn still running may call back into the window: it must end while all is in place.
  worker_->JoinWorker();
}

void DeviceSide::RegisterControls() {
  ui::ControlDispatch& dispatch = host_.Dispatch();
  dispatch.OnClick(catalogue::kModelSelector, [this](int, int64_t) {
    const int64_t type = host_.Toolkit().GetCurData(catalogue::kModelSelector);
    if (type > 0) ChangeModel(static_cast<int>(type), true);
  });
  // The device list reports the chosen model's device_type.
  dispatch.OnClick(catalogue::kDeviceList, [this](int, int64_t type) {
    if (type > 0) ChangeModel(static_cast<int>(type), false);
  });
  dispatch.OnClick(ui::frame::kProfiles, [this](int, int64_t) {
    SwitchProfile(
        host_.Toolkit(), store_, [this](int profile) { OnProfileChosen(profile); },
        [this](int code) { AppendTask(code); });
  });
}

void DeviceSide::OnProfileChosen(int profile) {
  SetCurrentProfile(profile);
  LoadScreenPage();
}

bool DeviceSide::SelectProfile(int profile) {
  return ActivateProfile(
      store_, profile, [this](int chosen) { OnProfileChosen(chosen); },
      [this](int code) { AppendTask(code); });
}

void DeviceSide::RegisterTasks() {
  // The mouse settings: reads, writes and the DPI and performance pages.
  settings::SettingsContext& s = settings_ctx_;
  app::BindDeviceLink(s, link_);
  s.append_task = [this](int code) { AppendTask(code); };
  s.current_profile = [this] { return CurrentProfile(); };
  s.set_current_profile = [this](int profile) { SetCurrentProfile(profile); };
  s.device_type = [this] { return catalogue_.CurrentType(); };
  s.lighting_in_use = [this] { return catalogue_.HasLighting(); };
  s.report_problem = [this](const std::string& text) { host_.ShowNotice(text); };
  WireSubsystems();
  settings::RegisterSettingsTasks(host_.Tasks(), s);
  settings::RegisterSettingsPages(host_.Dispatch(), s);
  pointer_page_.Register(host_.Dispatch(), host_.Tasks());
  buttons_.RegisterTasks(host_.Tasks());
  buttons_.RegisterPage(host_.Dispatch());
  update_.RegisterTasks(host_.Tasks());
  update_.RegisterControls(host_.Dispatch());
  host_.OnWindowMessage(update::WM_UPDATE_PROMPT,
                        [this](int64_t which, int64_t) { update_.OnUpdatePrompt(which); });

  // The device routines (tasks 1 to 4).
  task_ctx_.routines = this;
  RegisterDeviceTasks(host_.Tasks(), task_ctx_);
}

bool DeviceSide::ReadSettings() { return settings::GetMouseData2(settings_ctx_); }

void DeviceSide::RefreshPages() {
  settings_ctx_.ports.buttons->RefreshButtonPage();
  settings::RefreshSettingsPage(settings_ctx_);
  settings_ctx_.ports.macros->RefreshMacroList();
  pointer_page_.Refresh();
}

void DeviceSide::RefreshProfileList() {
  SetCurrentProfile(::RefreshProfileList(host_.Toolkit(), store_));
  LoadScreenPage();
}

bool DeviceSide::LightingSupported() { return catalogue_.HasLighting(); }

void DeviceSide::AfterConnect() { update_.FirmwareCheck(); }

void DeviceSide::WireSubsystems() {
  // The one place the subsystems meet: each built subsystem replaces its null port here.
  settings::SubsystemPorts& ports = settings_ctx_.ports;
  ports.buttons = &buttons_;
  ports.lighting = &lighting_;
  lighting_.RegisterControls(host_.Dispatch());
  lighting_.RegisterTasks(host_.Tasks());
  task_ctx_.lighting = ports.lighting;
  profile_files_.RegisterControls(host_.Dispatch());
  host_.OnWindowMessage(profiles::WM_PROFILE_FILE, [this](int64_t action, int64_t profile) {
    profile_files_.OnProfileFileMessage(action, profile);
  });

  macros_ = std::make_unique<macros::MacrosSubsystem>(settings_ctx_);
  macros::MacrosSubsystem::Hooks macro_hooks;
  // A button's catalogue default, for the button that reverts when the macros do not fit.
  macro_hooks.button_default = [this](int key_code, KeyAssignmentRecord& row) {
    for (const catalogue::ButtonLayoutEntry& b : catalogue_.Buttons()) {
      if (b.key_value != key_code) continue;
      row.macro_type = b.func_type;
      row.macro_value = b.func_value;
      row.macro_desc = b.func_desc;
      return true;
    }
    return false;
  };
  // The button that reverts is the one the button page has selected.
  macro_hooks.selected_button = [this] { return buttons_.SelectedButton(); };
  macros_->SetHooks(std::move(macro_hooks));
  // Task 8 sends the macro memory before a whole key table; the table then names the slots.
  buttons_.SetMacroUpload([this] { return macros_->UploadMacros(); });
  macros_->Register(host_.Dispatch(),
                    [this](int message, macros::MacrosSubsystem::MessageHandler h) {
                      host_.OnWindowMessage(message, std::move(h));
                    });
  ports.macros = macros_.get();
  WireScreen();
}

void DeviceSide::FollowPointerSettings() {
  host_.OnPageShown([this](int item_id) {
    if (item_id == ui::frame::kItemPerformance) pointer_page_.Refresh();
  });
  host_.OnWindowMessage(WM_ACTIVATE, [this](int64_t active, int64_t) {
    if (active != 0 && !host_.SettingsPanelShown() &&
        host_.SelectedItemId() == ui::frame::kItemPerformance) {
      pointer_page_.Refresh();
    }
  });
  using Step = DeviceSideHost::LanguageStep;
  // Default profile names carry a language text.
  host_.OnLanguageApplied(Step::kProfileList, [this] {
    SetCurrentProfile(::RefreshProfileList(host_.Toolkit(), store_));
  });
  host_.OnLanguageApplied(Step::kMacroList,
                          [this] { settings_ctx_.ports.macros->RefreshMacroList(); });
  host_.OnLanguageApplied(Step::kButtonPage, [this] {
    buttons_.InitPage();
    settings_ctx_.ports.buttons->RefreshButtonPage();
  });
  host_.OnLanguageApplied(Step::kTitles, [this] {
    ui::Toolkit& tk = host_.Toolkit();
    ui::ApplyControlTexts(tk, profiles::kFileButtonTexts);
    settings::ApplySettingsTexts(settings_ctx_);
    pointer_page_.ApplyTexts();
    lighting_.ApplyTexts();
    macros_->ApplyTexts();
    ui::ApplyControlTexts(tk, screen::kPageTexts);
  });
  host_.OnLanguageApplied(Step::kComposedTexts, [this] {
    settings::ApplySettingsComposedTexts(settings_ctx_);
    update_.ApplyTexts();
  });
}

void DeviceSide::WireScreen() {
  screen::ScreenContext ctx(host_.Comm(), store_, host_.Toolkit(), host_.Comm().GetClock());
  ctx.user_data_dir = user_data_dir_;
  ctx.model_name = [this] { return catalogue_.CurrentModelName(); };
  ctx.has_screen = [this] { return catalogue_.HasScreen(); };
  ctx.current_profile = [this] { return CurrentProfile(); };
  ctx.append_task = [this](int code) { AppendTask(code); };
  ctx.tasks_waiting = [this] { return !host_.PendingTasks().Empty(); };
  screen_page_ = std::make_unique<screen::ScreenPage>(std::move(ctx));
  screen_page_->RegisterControls(host_.Dispatch());
  screen_page_->RegisterTasks(host_.Tasks());
  for (int message :
       {screen::kMsgEditorCommand, screen::kMsgCancelUpload, screen::kMsgImportDone}) {
    host_.OnWindowMessage(message, [this, message](int64_t wparam, int64_t) {
      screen_page_->OnMessage(message, wparam);
    });
  }
}

void DeviceSide::LoadScreenPage() {
  if (catalogue_.HasScreen() && CurrentProfile() > 0) screen_page_->LoadScreenPage();
}

void DeviceSide::Start() {
  settings::InitSettingsPages(settings_ctx_);
  buttons_.InitPage();
  macros_->InitPage();
  lighting_.InitLightingPage();
  profile_files_.EnableButtons();
  catalogue_.LoadCatalogue();
  // After the catalogue, whose model database holds the profile that mirrors the values.
  pointer_page_.Init();
  host_.SetModelLoaded(!catalogue_.CurrentModelName().empty());
  // Macros belong to the model's database: the list follows every model load.
  macros_->RefreshMacroList();
  host_.Toolkit().SetTitle(ui::frame::kCaptionText2, catalogue_.VersionText());
  host_.Toolkit().SetTitle(ui::frame::kConnectHint, LanguageText(kConnectHintText));
  // Plug events are followed from before the first task on.
  if (start_hotplug_ && !link_.StartHotplug()) {
    Trace(mouselog::kInfo, "Hot-plug not available");
  }
  // The first device read waits in the list for the worker's first turn.
  AppendTask(ui::kTaskFirstRead);
  if (start_thread_) worker_->StartWorker();
  // Off the window thread; the driver prompt arrives as a posted message.
  if (start_thread_) update_.StartVersionCheck();
}

bool DeviceSide::Stop() {
  const bool stopped = worker_->StopWorker();
  link_.StopHotplug();
  update_.StopVersionCheck();
  return stopped;
}

void DeviceSide::ChangeModel(int device_type, bool with_wait_dialog) {
  ui::Toolkit& toolkit = host_.Toolkit();
  WriteDeviceType(device_type);
  catalogue_.LoadModel(device_type);
  macros_->RefreshMacroList();
  if (with_wait_dialog) {
    RunTaskWithWaitDialog(toolkit, host_.PendingTasks(), ui::kTaskModelReload);
  } else {
    AppendModelReload(host_.PendingTasks());
  }
}

void DeviceSide::LoadModelDescription(int device_type) {
  if (device_type == catalogue_.CurrentType() && !catalogue_.CurrentModelName().empty()) return;
  catalogue_.LoadModel(device_type);
  host_.SetModelLoaded(!catalogue_.CurrentModelName().empty());
  macros_->RefreshMacroList();
}

void DeviceSide::RunDeviceArrival() { DeviceInstall(task_ctx_); }

int DeviceSide::CurrentDpiLevel() { return settings_state_.active_level.load(); }

void DeviceSide::DpiLevelChanged(int level) { settings::ShowMouseDpiLevel(settings_ctx_, level); }

void DeviceSide::ShowMainWindow() { host_.Toolkit().SetWindowState(ui::WindowState::kNormal); }

}  // namespace app
