#include "app/device_tasks.h"

#include "log/trace.h"

namespace app {

namespace {

constexpr int kNoDevice = -1;

bool LightingSupported(DeviceTaskContext& ctx) {
  return ctx.lighting_supported && ctx.lighting_supported();
}

void RefreshProfileList(DeviceTaskContext& ctx) {
  if (ctx.refresh_profile_list) ctx.refresh_profile_list();
}

void RefreshPages(DeviceTaskContext& ctx) {
  if (ctx.refresh_pages) ctx.refresh_pages();
  if (LightingSupported(ctx)) ctx.lighting->RefreshLightingPage();
}

// The settings read and the page refresh that follows it; the failure is traced with `mode`.
bool ReadAndRefresh(DeviceTaskContext& ctx, int mode) {
  const bool read = !ctx.read_settings || ctx.read_settings();
  if (!read) {
    Trace(mouselog::kInfo, "获取鼠标数据异常, 当前模式: %d", mode);
    return false;
  }
  RefreshPages(ctx);
  return true;
}

}  // namespace

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
  if (ctx.after_connect) ctx.after_connect();
  return true;
}

bool DeviceInstall(DeviceTaskContext& ctx) {
  ctx.comm.PauseMs(kArrivalSettleMs);
  ctx.link.UpdateDeviceList();
  const int mode = ctx.comm.GetConnectMode();
  if (mode == kNoDevice) {
    Trace(mouselog::kInfo, "DeviceInstall 设备状态没有连接!");
    return false;
  }
  RefreshProfileList(ctx);
  if (!ReadAndRefresh(ctx, mode)) return false;
  if (ctx.after_connect) ctx.after_connect();
  return true;
}

bool DeviceRemoval(DeviceTaskContext& ctx) {
  ctx.comm.PauseMs(kRemovalSettleMs);
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
                                 ctx.comm.PauseMs(kArrivalDispatchPauseMs);
                                 DeviceInstall(ctx);
                                 FirstDeviceRead(ctx);
                               },
                               0, false});
  table.Add(ui::kTaskRemoval, {[&ctx] {
                                 ctx.comm.PauseMs(kRemovalDispatchPauseMs);
                                 DeviceRemoval(ctx);
                               },
                               0, false});
  table.Add(ui::kTaskModelReload, {[&ctx] { ModelReload(ctx); }, kModelReloadPauseMs, true});
}

}  // namespace app
