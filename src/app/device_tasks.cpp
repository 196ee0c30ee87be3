#include "app/device_tasks.h"

#include "log/trace.h"

namespace app {

namespace {

constexpr int kNoDevice = -1;

class NullRoutines final : public DeviceRoutinePort {
 public:
  bool ReadSettings() override {
    Note();
    return true;
  }
  void RefreshPages() override { Note(); }
  void RefreshProfileList() override { Note(); }
  bool LightingSupported() override {
    Note();
    return false;
  }
  void AfterConnect() override { Note(); }

 private:
  void Note() {
    if (!noted_.exchange(true)) Trace(mouselog::kInfo, "Device routines not wired: nothing to do");
  }
  std::atomic<bool> noted_{false};
};

bool LightingSupported(DeviceTaskContext& ctx) { return ctx.routines->LightingSupported(); }

void RefreshProfileList(DeviceTaskContext& ctx) { ctx.routines->RefreshProfileList(); }

void RefreshPages(DeviceTaskContext& ctx) {
  ctx.routines->RefreshPages();
  if (LightingSupported(ctx)) ctx.lighting->RefreshLightingPage();
}

// The settings read and the page refresh that follows it; the failure is traced with `mode`.
bool ReadAndRefresh(DeviceTaskContext& ctx, int mode) {
  const bool read = ctx.routines->ReadSettings();
  if (!read) {
    Trace(mouselog::kInfo, "获取鼠标数据异常, 当前模式: %d", mode);
    return false;
  }
  RefreshPages(ctx);
  return true;
}

}  // namespace

DeviceRoutinePort& NullDeviceRoutinePort() {
  static NullRoutines port;
  return port;
}

bool FirstDeviceRead(DeviceTaskContext& ctx) {
  if (ctx.first_read_done.load()) return false;
  ctx.link.UpdateDeviceList();
  if (LightingSupported(ctx)) ctx.lighting->RefreshLightingPage();
  const int mode = ctx.comm.GetConnectMode();
  if (mode == kNoDevice) {
    Trace(mouselog::kInfo, "没有检测到设备");
    return false;
  }
  RefreshProfileList(ctx);
  if (!ReadAndRefresh(ctx, mode)) return false;
  ctx.first_read_done.store(true);
  ctx.routines->AfterConnect();
  return true;
}

bool DeviceInstall(DeviceTaskContext& ctx) {
  ctx.clock.SleepMs(kArrivalSettleMs);
  ctx.link.UpdateDeviceList();
  const int mode = ctx.comm.GetConnectMode();
  if (mode == kNoDevice) {
    Trace(mouselog::kInfo, "DeviceInstall 设备状态没有连接!");
    return false;
  }
  RefreshProfileList(ctx);
  if (!ReadAndRefresh(ctx, mode)) return false;
  ctx.routines->AfterConnect();
  return true;
}

bool DeviceRemoval(DeviceTaskContext& ctx) {
  ctx.clock.SleepMs(kRemovalSettleMs);
  ctx.link.UpdateDeviceList();
  const int mode = ctx.comm.GetConnectMode();
  if (mode != device::kModeCable && mode != device::kModeReceiver) return false;
  return ReadAndRefresh(ctx, mode == device::kModeReceiver ? 1 : 0);
}

bool ModelReload(DeviceTaskContext& ctx) {
  RefreshProfileList(ctx);
  ctx.link.UpdateDeviceList();
  const int mode = ctx.comm.GetConnectMode();
  if (mode == kNoDevice) {
    Trace(mouselog::kInfo, "设备状态没有连接!");
    return false;
  }
  return ReadAndRefresh(ctx, mode);
}

void RegisterDeviceTasks(ui::TaskTable& table, DeviceTaskContext& ctx) {
  table.Add(ui::kTaskFirstRead, {[&ctx] { FirstDeviceRead(ctx); }, 0, false});
  table.Add(ui::kTaskArrival, {[&ctx] {
                                 ctx.clock.SleepMs(kArrivalDispatchPauseMs);
                                 DeviceInstall(ctx);
                                 FirstDeviceRead(ctx);
                               },
                               0, false});
  table.Add(ui::kTaskRemoval, {[&ctx] {
                                 ctx.clock.SleepMs(kRemovalDispatchPauseMs);
                                 DeviceRemoval(ctx);
                               },
                               0, false});
  table.Add(ui::kTaskModelReload, {[&ctx] { ModelReload(ctx); }, kModelReloadPauseMs, true});
}

}  // namespace app
