// The main window's side of the device link: rebuilding the device list and showing the
// connection state, plug and unplug events, the mouse's status notifications and the
// device-status message. Everything the window or other subsystems own (stored settings, the
// catalogue, the task list, the pages) is reached through DeviceWindowHost.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "app/device_list_control.h"
#include "device/driver_comm.h"
#include "device/hotplug_monitor.h"
#include "settings/settings_context.h"
#include "ui/frame_controls.h"
#include "ui/toolkit.h"
#include "ui/window_messages.h"

namespace app {

// The model the receiver link notifications mark in the device list.
inline constexpr int kReceiverModelType = 101;

// Texts of the first tab while no mouse is connected.
inline constexpr int kConnectHintText = 54;
// A supported mouse is present but refused: the connection label's word and the hint that
// says why and what to run (%1 is the model's name; the command follows on its own line).
inline constexpr int kNoPermissionLabelText = 2101;
inline constexpr int kNoPermissionHintText = 2102;
inline constexpr int kInUseLabelText = 2103;
inline constexpr int kInUseHintText = 2104;
inline constexpr int kCannotOpenLabelText = 2105;
inline constexpr int kCannotOpenHintText = 2106;  // %2 is the system's reason

// What the first tab says about a refused interface: the connection label and the hint.
struct RefusalTexts {
  std::string label;
  std::string hint;
};
// `model_name` names the mouse; `rule_installed` tells whether the udev rule of the program
// is in place already (then re-applying it is the fix, else installing it).
RefusalTexts DescribeRefusal(const RefusedInterface& refused, const std::string& model_name,
                             bool rule_installed);

// What the device link asks of the window and the other subsystems. Defaults do nothing.
class DeviceWindowHost {
 public:
  virtual ~DeviceWindowHost() = default;
  // The remembered model ("DeviceType" in the application settings; 0 when absent).
  virtual int ReadDeviceType() { return 0; }
  virtual void WriteDeviceType(int /*device_type*/) {}
  // Loads the selected model's description from the catalogue.
  virtual void LoadModelDescription(int /*device_type*/) {}
  virtual void StopMacroRecording() {}
  virtual void AppendTask(int /*code*/) {}
  // Task 2's routine, run at once on the calling (worker) thread.
  virtual void RunDeviceArrival() {}
  // The level the DPI page shows, counted from 0.
  virtual int CurrentDpiLevel() { return 0; }
  // The mouse switched to `level` (from 0): store "dpi_index" and show it on the DPI page.
  virtual void DpiLevelChanged(int /*level*/) {}
};

class DeviceLinkWindow {
 public:
  DeviceLinkWindow(DriverComm& comm, ui::Toolkit& toolkit, DeviceListControl& device_list,
                   DeviceWindowHost& host);

  // Rebuilds the device list, selects the model and shows the connection state (worker).
  void UpdateDeviceList();
  // A plug event: appends task 2 for a command interface of a listed model, task 3 for the
  // removal of interface 2 while a device is present. Any thread.
  void UpdateUSBDevice(const device::DeviceChange& change);
  // Follows the machine's HID plug events (libudev) into UpdateUSBDevice until destroyed or
  // StopHotplug. False when udev is not available: the program then runs without hot-plug.
  bool StartHotplug();
  void StopHotplug() { hotplug_.reset(); }

  // The idle poll of the mouse's status reports, at most once per 200 ms (worker).
  void PollNotifications();
  // The WM_DEVICE_STATUS handler (window thread).
  void OnDeviceStatus(int reason);
  // Writers' guard: through the receiver, an offline mouse posts WM_DEVICE_STATUS with
  // `reason` and the write is not done (false).
  bool GuardWirelessWrite(int reason);

  // The window's connection mode (0 cable, 1 receiver) and its two flags.
  int Mode() const { return mode_.load(); }
  void SetMode(int mode) { mode_.store(mode); }
  bool DevicePresent() const { return device_present_.load(); }
  bool DeviceConnected() const { return device_connected_.load(); }

  static constexpr int kPollSpacingMs = 200;

 private:
  void ShowDisconnected(bool hide_device_list);
  // After a rebuild: without a connection, explains an interface that was present but
  // refused; otherwise puts the ordinary hint back.
  void ShowRefusal(bool connected);
  // The pages and the list entry of `device_type` for a mouse connected in `mode`.
  void ShowConnected(int mode, int device_type);
  void HandleNotification(const uint8_t* report);

  DriverComm& comm_;
  ui::Toolkit& toolkit_;
  DeviceListControl& device_list_;
  DeviceWindowHost& host_;

  std::atomic<int> mode_{0};
  std::atomic<bool> device_present_{false};
  std::atomic<bool> device_connected_{false};
  bool refusal_shown_ = false;  // worker only
  std::mutex poll_mu_;
  bool polled_ = false;
  uint64_t last_poll_tick_ = 0;
  // Last member: its thread stops before anything it calls into goes away.
  std::unique_ptr<device::HotplugMonitor> hotplug_;
};

// Connects the settings' connection mode and writers' guard to the device link.
void BindDeviceLink(settings::SettingsContext& context, DeviceLinkWindow& link);

}  // namespace app
