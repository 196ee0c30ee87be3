// The main window's device side: the catalogue, the worker with the task routines of every
// subsystem, the current profile, and the controls that start device work (model selector,
// device list, profile selector). Owned by DeviceMainDlg, started by its initialisation hook
// and stopped first by its close routine.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/device_link_window.h"
#include "app/device_list_control.h"
#include "app/device_tasks.h"
#include "app/process_waiter.h"
#include "app/task_list.h"
#include "app/worker.h"
#include "buttons/buttons_subsystem.h"
#include "catalogue/catalogue.h"
#include "lighting/lighting.h"
#include "macros/macros_subsystem.h"
#include "platform/app_key.h"
#include "profiles/profile_file_actions.h"
#include "screen/screen_page.h"
#include "settings/pointer_page.h"
#include "settings/pointer_settings.h"
#include "settings/settings_context.h"
#include "settings/settings_model.h"
#include "ui/control_dispatch.h"
#include "ui/task_table.h"
#include "ui/toolkit.h"
#include "update/update_subsystem.h"

class ProfileStore;

namespace app {

// What the device side needs of the main window: the objects the window owns for it, the
// registrations of controls, tasks, messages and hooks, the remembered model, notices, and
// what the window shows. DeviceMainDlg implements it.
class DeviceSideHost {
 public:
  using MessageHandler = std::function<void(int64_t wparam, int64_t lparam)>;

  virtual ~DeviceSideHost() = default;
  virtual ui::Toolkit& Toolkit() = 0;
  virtual DriverComm& Comm() = 0;
  virtual platform::AppKey& Settings() = 0;
  virtual ui::ControlDispatch& Dispatch() = 0;
  virtual ui::TaskTable& Tasks() = 0;
  virtual TaskList& PendingTasks() = 0;
  virtual DeviceListControl& DeviceList() = 0;
  // Handles a window message other than the frame's own; a later registration replaces.
  virtual void OnWindowMessage(int message, MessageHandler handler) = 0;
  // Called with the tab item id each time a tab's page is shown (window thread).
  virtual void OnPageShown(std::function<void(int item_id)> hook) = 0;
  // Called after the frame's own texts were set again (window thread).
  virtual void OnLanguageApplied(std::function<void()> hook) = 0;
  // The remembered model ("DeviceType"; 0 when absent).
  virtual int ReadDeviceType() = 0;
  virtual void WriteDeviceType(int device_type) = 0;
  // Queues a message box for the person (any thread, never blocks).
  virtual void ShowNotice(const std::string& text) = 0;
  // A model is loaded (its pages can be shown).
  virtual void SetModelLoaded(bool loaded) = 0;
  // The tab item id last selected (1 = the first tab).
  virtual int SelectedItemId() const = 0;
  virtual bool SettingsPanelShown() const = 0;
};

// How the device side runs; the defaults are the program's.
struct DeviceWorkOptions {
  std::string user_data_dir;        // empty: platform::UserDataDir()
  ProfileStore* store = nullptr;    // nullptr: ProfileStore::Instance()
  ProcessWaiter* waiter = nullptr;  // nullptr: a PosixProcessWaiter
  bool start_thread = true;         // false: tests turn the worker by hand
  bool start_hotplug = true;        // false: no libudev monitor
  // The desktop's pointer settings; nullptr: the backend that fits this session.
  settings::PointerSettings* pointer = nullptr;
};

class DeviceSide : public WorkerHost, private DeviceWindowHost, private DeviceRoutinePort {
 public:
  // Registers the controls and task routines with `host`; nothing runs before Start.
  DeviceSide(DeviceSideHost& host, DeviceWorkOptions options);
  ~DeviceSide() override;
  DeviceSide(const DeviceSide&) = delete;
  DeviceSide& operator=(const DeviceSide&) = delete;

  // Loads the catalogue (registering the connection modes), shows the program's version,
  // queues the first device read and starts the worker and hot-plug.
  void Start();
  // Stops the worker (at most 1000 ms) and hot-plug. True when the worker ended in time.
  bool Stop();
  // Waits for the worker thread to end, without a bound, and destroys the worker (the
  // window's destructor, before anything the worker uses goes away).
  void EndWorker();

  // --- WorkerHost ---
  std::atomic<int32_t>& PendingToolProcess() override { return pending_tool_; }
  void ShowMainWindow() override;
  ProcessWaiter& Waiter() override { return *waiter_; }

  // The connection state, the device list's states and the mouse's status reports.
  DeviceLinkWindow& Link() { return link_; }
  catalogue::Catalogue& Catalogue() { return catalogue_; }
  DeviceWorker& Worker() { return *worker_; }
  DeviceTaskContext& TaskContext() { return task_ctx_; }
  settings::SettingsContext& Settings() { return settings_ctx_; }
  settings::PointerPage& Pointer() { return pointer_page_; }
  buttons::ButtonsSubsystem& Buttons() { return buttons_; }
  update::UpdateSubsystem& Update() { return update_; }
  ProfileStore& Store() { return store_; }
  macros::MacrosSubsystem& Macros() { return *macros_; }
  screen::ScreenPage& Screen() { return *screen_page_; }
  // The profile every settings, button and lighting operation works on; 0 before the list
  // was filled.
  int CurrentProfile() const { return current_profile_.load(); }
  void SetCurrentProfile(int profile) { current_profile_.store(profile); }
  // The profile selector's operation: `profile` becomes current and active and its apply is
  // queued. False (nothing changed) for a profile the store does not have or cannot mark.
  bool SelectProfile(int profile);
  profiles::ProfileFileActions& ProfileFiles() { return profile_files_; }

 private:
  // --- DeviceWindowHost: what the link window asks of the device side ---
  int ReadDeviceType() override { return host_.ReadDeviceType(); }
  void WriteDeviceType(int device_type) override { host_.WriteDeviceType(device_type); }
  void AppendTask(int code) override { host_.PendingTasks().Append(code); }
  // The device list settles the model after every enumeration; the same model keeps its
  // open database and pages.
  void LoadModelDescription(int device_type) override;
  void RunDeviceArrival() override;
  int CurrentDpiLevel() override;
  void DpiLevelChanged(int level) override;

  // --- DeviceRoutinePort: what tasks 1 to 4 ask of the subsystems ---
  bool ReadSettings() override;
  // The key page, then the performance and DPI pages; the pointer half also mirrors the
  // desktop's values into the profile just read.
  void RefreshPages() override;
  void RefreshProfileList() override;
  bool LightingSupported() override;
  void AfterConnect() override;

  void RegisterControls();
  // The current profile changed to `profile`: the screen page follows it.
  void OnProfileChosen(int profile);
  void RegisterTasks();
  // Hands each subsystem's port to the settings side and the device routines.
  void WireSubsystems();
  // The screen page: its controls, tasks 23 to 28 and messages 1830 to 1832.
  void WireScreen();
  // Rebuilds the screen item list of the current profile when the model has a screen.
  void LoadScreenPage();
  // A model chosen in the selector (with the wait dialog) or in the device list (without).
  void ChangeModel(int device_type, bool with_wait_dialog);
  // The pointer half follows the desktop: read again whenever its page shows or the window
  // becomes active while it shows.
  void FollowPointerSettings();

  DeviceSideHost& host_;
  ProfileStore& store_;
  std::string user_data_dir_;
  bool start_thread_;
  bool start_hotplug_;
  std::unique_ptr<ProcessWaiter> own_waiter_;
  ProcessWaiter* waiter_;

  std::atomic<int32_t> pending_tool_{0};
  std::atomic<int> current_profile_{0};

  // Its hot-plug thread stops before the rest goes away.
  DeviceLinkWindow link_;

  catalogue::Catalogue catalogue_;
  settings::SettingsState settings_state_;
  settings::SettingsContext settings_ctx_;
  std::unique_ptr<settings::PointerSettings> own_pointer_;
  settings::PointerSettings* pointer_;
  settings::PointerPage pointer_page_;
  lighting::LightingSubsystem lighting_{settings_ctx_};
  profiles::ProfileFileActions profile_files_{settings_ctx_};
  DeviceTaskContext task_ctx_;
  buttons::ButtonsSubsystem buttons_;
  std::unique_ptr<macros::MacrosSubsystem> macros_;
  std::unique_ptr<screen::ScreenPage> screen_page_;
  update::UpdateSubsystem update_;
  // Last: it uses everything above, so it stops first.
  std::unique_ptr<DeviceWorker> worker_;
};

}  // namespace app
