// The worker's device routines: the first device read (task 1), device arrival (task 2),
// device removal (task 3) and the model reload (task 4). Each rebuilds the device list and,
// with a mouse connected, reads its settings and refreshes the pages.
#pragma once

#include <atomic>

#include "app/device_link_window.h"
#include "device/driver_comm.h"
#include "platform/clock.h"
#include "settings/subsystem_ports.h"
#include "ui/task_table.h"

namespace app {

// What the device routines ask of the subsystems around them (settings read, pages, profile
// list, catalogue, firmware check). The device side implements it.
class DeviceRoutinePort {
 public:
  virtual ~DeviceRoutinePort() = default;
  // Reads the connected mouse's settings into the store (GetMouseData2); false on failure.
  virtual bool ReadSettings() = 0;
  // The key page with its key function texts, the performance page and the shown device
  // version, from the store.
  virtual void RefreshPages() = 0;
  virtual void RefreshProfileList() = 0;
  // Whether the selected model has a lighting page (from its description).
  virtual bool LightingSupported() = 0;
  // After the first read and an arrival have read the mouse (the firmware check).
  virtual void AfterConnect() = 0;
};

// The port of routines run with nothing around them: a read that succeeds with nothing to
// read, no pages, no lighting; it says so once in the log.
DeviceRoutinePort& NullDeviceRoutinePort();

// What the routines reach. The lighting page is refreshed through the lighting subsystem's
// port. Both ports are never null.
struct DeviceTaskContext {
  DeviceTaskContext(app::DeviceLinkWindow& link_window, DriverComm& driver, platform::Clock& time)
      : link(link_window), comm(driver), clock(time) {}

  app::DeviceLinkWindow& link;
  DriverComm& comm;
  platform::Clock& clock;

  DeviceRoutinePort* routines = &NullDeviceRoutinePort();
  settings::LightingPort* lighting = &settings::NullLightingPort();

  // Set when task 1 has succeeded; it succeeds at most once per run.
  std::atomic<bool> first_read_done{false};
};

inline constexpr int kArrivalDispatchPauseMs = 500;
inline constexpr int kArrivalSettleMs = 1000;
inline constexpr int kRemovalDispatchPauseMs = 500;
inline constexpr int kRemovalSettleMs = 500;
inline constexpr int kModelReloadPauseMs = 100;

// Task 1. True when the read succeeded now; false when it had already succeeded or failed.
bool FirstDeviceRead(DeviceTaskContext& ctx);
// The arrival routine (DeviceInstall): also run directly by the receiver's link notification.
// Does not touch the first-read flag. True when the settings were read.
bool DeviceInstall(DeviceTaskContext& ctx);
// The removal routine, after the dispatch's pause. True when the settings were read.
bool DeviceRemoval(DeviceTaskContext& ctx);
// Task 4. True when the settings were read.
bool ModelReload(DeviceTaskContext& ctx);

// Adds tasks 1 to 4 to `table`. `ctx` must outlive every use of the table.
void RegisterDeviceTasks(ui::TaskTable& table, DeviceTaskContext& ctx);

}  // namespace app
