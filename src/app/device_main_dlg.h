// The main window's logic, free of any window system: the frame (caption buttons, tab row,
// settings panel, tray icon, close behaviour), the dispatch of control notifications and
// window messages, and the objects the window owns for the device side (task list, task
// table, device list, device link). Subsystems register their controls in Dispatch(), their
// task routines in Tasks() and their window messages with OnWindowMessage().
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/device_link_window.h"
#include "app/device_list_control.h"
#include "app/device_side.h"
#include "app/frontend.h"
#include "app/settings_panel.h"
#include "app/task_list.h"
#include "device/driver_comm.h"
#include "platform/app_key.h"
#include "ui/control_dispatch.h"
#include "ui/task_table.h"
#include "ui/toolkit.h"
#include "ui/window_messages.h"

namespace app {

// Window messages of the frame.
inline constexpr int WM_COMMAND = 0x0111;  // wparam: menu command
inline constexpr int WM_TRAY_NOTIFY = 1690;
inline constexpr int WM_EXTERNAL_EXIT = 1691;  // from an installer; wparam 610 ends the program
inline constexpr int kExternalExitCode = 610;
inline constexpr int WM_APPLY_LANGUAGE = 2022;  // re-apply every text
// Posted to itself when a notice waits to be shown (see ShowNotice).
inline constexpr int WM_SHOW_NOTICE = 1700;
inline constexpr int kMenuExit = 100;
inline constexpr int kTrayIconId = 109;
// Tray mouse messages (lparam of WM_TRAY_NOTIFY).
inline constexpr int kTrayLeftDown = 513;
inline constexpr int kTrayLeftDoubleClick = 515;
inline constexpr int kTrayRightUp = 517;

class DeviceMainDlg : public ui::Listener, public DeviceSideHost {
 public:
  DeviceMainDlg(ui::Toolkit& toolkit, DriverComm& comm, platform::AppKey& app_key,
                DeviceWorkOptions device_options = {});
  ~DeviceMainDlg() override;
  DeviceMainDlg(const DeviceMainDlg&) = delete;
  DeviceMainDlg& operator=(const DeviceMainDlg&) = delete;

  // Creates the window through the frontend and runs it until it ends.
  void Run(Frontend& frontend);
  // The initialisation hook: tray icon, frame texts, first tab, device work, timer.
  void OnInitDialog();
  // The close routine: stops the device work (at most 1000 ms), removes the tray icon and ends
  // the window's run, after which the start-up shuts down and closes the log. Every way out
  // comes here: the window system's close, the close button, the tray menu's exit and the
  // outside request, so a write in flight ends and the log keeps its last lines.
  void OnClose();
  // Sets every text of the window again from the current language file.
  void ApplyLanguage();

  // ui::Listener (window thread).
  void OnControlNotify(int number, int code, int64_t value) override;
  void OnMessage(int message, int64_t wparam, int64_t lparam) override;
  void OnTimer() override {}

  // --- what subsystems register with and use ---
  ui::ControlDispatch& Dispatch() override { return dispatch_; }
  ui::TaskTable& Tasks() override { return task_table_; }
  TaskList& PendingTasks() override { return task_list_; }
  ui::Toolkit& Toolkit() override { return toolkit_; }
  DriverComm& Comm() override { return comm_; }
  app::DeviceLinkWindow& Link() { return device_side_->Link(); }
  app::DeviceListControl& DeviceList() override { return device_list_; }
  platform::AppKey& Settings() override { return app_key_; }
  // The catalogue, the worker and the current profile.
  DeviceSide& Device() { return *device_side_; }
  // Handles a window message other than the frame's own; a later registration replaces.
  void OnWindowMessage(int message, MessageHandler handler) override;
  // Whether OnMessage acts on `message` (the frame's own or a registered one).
  bool HandlesMessage(int message) const;
  // Queues a message box for the person (any thread, never blocks): it is shown on the
  // window thread once the posted WM_SHOW_NOTICE arrives, so no lock held here can stall it.
  void ShowNotice(const std::string& text) override;

  // A model is loaded (its pages can be shown); set by the catalogue side.
  void SetModelLoaded(bool loaded) override { model_loaded_.store(loaded); }
  bool ModelLoaded() const { return model_loaded_.load(); }
  // The tab item id last selected (1 = the first tab).
  int SelectedItemId() const override { return selected_item_; }
  bool SettingsPanelShown() const override { return settings_shown_; }
  bool TrayIconShown() const { return tray_shown_; }
  // A start by the desktop session's autostart ("-autorun"): the initialisation hook then
  // follows "autorun_minimize".
  void SetAutorunStart(bool autorun) { autorun_start_ = autorun; }
  SettingsPanel& Panel() { return panel_; }
  // Called with the tab item id each time a tab's page is shown (window thread).
  void OnPageShown(std::function<void(int item_id)> hook) override {
    page_shown_hooks_.push_back(std::move(hook));
  }
  // Called by ApplyLanguage at its step (window thread).
  void OnLanguageApplied(LanguageStep step, std::function<void()> hook) override {
    language_hooks_.push_back({step, std::move(hook)});
  }

  int ReadDeviceType() override;
  void WriteDeviceType(int device_type) override;
  void AppendTask(int code) { task_list_.Append(code); }

 private:
  // Called by OnInitDialog after the frame texts: load the device catalogue (which registers
  // the connection modes with DriverComm), append task 1 and start the worker thread.
  void StartDeviceWork();
  // Called first by the close routine: stop the worker (at most 1000 ms) and hot-plug.
  void StopDeviceWork();

  void RegisterFrameControls();
  void ApplyFrameTexts();
  void CloseButton();
  void ToggleMaximize();
  void SelectTabPosition(int position);
  void OpenSettingsPanel();
  void CloseSettingsPanel();
  void TrayNotify(int64_t mouse_message);
  void RemoveTrayIcon();
  // The exit commands: through the close routine, never by ending the process at once.
  void ExitProgram(const char* why);
  void ShowPendingNotices();

  ui::Toolkit& toolkit_;
  DriverComm& comm_;
  platform::AppKey& app_key_;
  ui::ControlDispatch dispatch_;
  ui::TaskTable task_table_;
  TaskList task_list_;
  std::map<int, MessageHandler> message_handlers_;
  app::DeviceListControl device_list_;
  SettingsPanel panel_;
  std::vector<std::function<void(int)>> page_shown_hooks_;
  std::vector<std::pair<LanguageStep, std::function<void()>>> language_hooks_;
  void RunLanguageHooks(LanguageStep step);
  bool autorun_start_ = false;
  bool closed_ = false;
  std::mutex notices_mu_;
  std::vector<std::string> notices_;

  std::atomic<bool> tray_shown_{false};
  bool settings_shown_ = false;
  std::atomic<bool> model_loaded_{false};  // also set by the worker
  int selected_item_ = 1;

  // Last: the worker in it uses everything above, so it stops first.
  std::unique_ptr<DeviceSide> device_side_;
};

}  // namespace app
