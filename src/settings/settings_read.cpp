#include "settings/settings_read.h"

#include <algorithm>
#include <array>

#include "device/driver_comm.h"
#include "log/trace.h"
#include "platform/clock.h"
#include "profiles/profile_list.h"
#include "settings/settings_write.h"
#include "store/settings_keys.h"
#include "ui/frame_controls.h"
#include "ui/toolkit.h"
#include "ui/window_messages.h"

namespace settings {

namespace {

using device::kAnswerData;
using device::kInfoFirstPage;
using device::kSettingsFirstPage;
constexpr uint8_t kPageRead = device::kSubReadPage;
constexpr uint8_t kInfoCommand = device::kCmdReadInfo;
constexpr uint8_t kKeyFirstCommand = device::kCmdReadKeysFirst;
constexpr uint8_t kSettingsFirstCommand = device::kCmdReadSettingsFirst;
constexpr int kPageBytes = 10;
constexpr int kInfoPages = 4;
constexpr int kKeyPages = 4;
constexpr int kSettingsPages = 6;
constexpr int kInfoPagePauseMs = 30;

// One page of ten bytes into `out`; on failure `out` keeps what it held.
bool ReadPage(SettingsContext& context, uint8_t command, uint8_t page, uint8_t* out) {
  CommandFrame frame = device::MakeCommandFrame(command, kPageRead, page);
  if (context.comm.GetFeatureReportRetry(frame) != device::kSuccess) return false;
  std::copy_n(frame.begin() + kAnswerData, kPageBytes, out);
  return true;
}

bool OnlineOrNotice(SettingsContext& context) {
  return OnlineCheck(context, ui::kStatusOfflineSilent);
}

void DeviceInfoStep(SettingsContext& context, const uint8_t* d, const char* who) {
  SettingsState& s = context.state;
  const bool charge = (d[10] & 0x80) != 0;
  const int battery = d[10] & 0x7F;
  s.charge_flag = charge;
  s.battery_value = battery;
  s.link_state = d[9];
  s.report_max = d[12];
  s.level_limit = d[14] * 256 + d[15];
  context.toolkit.SetBattery(ui::frame::kBattery, battery, charge);
  Trace(mouselog::kInfo, "%s 当前电量信息: battery_value: %d, charge_flag: %d", who, battery,
        charge ? 1 : 0);
  Trace(mouselog::kInfo, "%s report_max: %d", who, d[12]);
}

bool KeyTableStep(SettingsContext& context) {
  auto& pages = context.state.key_pages;
  bool last_ok = false;
  for (int i = 0; i < kKeyPages; ++i) {
    last_ok = ReadPage(context, static_cast<uint8_t>(kKeyFirstCommand + i), static_cast<uint8_t>(i),
                       pages.data() + i * kPageBytes);
  }
  if (!last_ok) return false;
  for (int n = 0; n < 8; ++n) {
    context.ports.buttons->DecodeButtonCode(n, pages[4 * n], pages[4 * n + 1], pages[4 * n + 2],
                                            pages[4 * n + 3]);
  }
  return true;
}

bool SettingsStep(SettingsContext& context, bool read_at_connection) {
  SettingsImage& s = context.state.image;
  bool last_ok = false;
  for (int i = 0; i < kSettingsPages; ++i) {
    last_ok = ReadPage(context, static_cast<uint8_t>(kSettingsFirstCommand + i),
                       static_cast<uint8_t>(kSettingsFirstPage + i), s.data() + i * kPageBytes);
  }
  if (!last_ok) return false;
  context.state.acknowledged = s;
  context.state.acknowledged_known = true;

  const SensorType type = s[image::kSensorType];
  context.state.sensor_type = type;
  ui::Toolkit& tk = context.toolkit;
  tk.SetRange(kDpiSlider, 1, DpiSliderSteps(type, read_at_connection));
  tk.SetTitle(kDpiSliderMinLabel, std::to_string(kLowestDpi));
  tk.SetTitle(kDpiSliderMaxLabel, std::to_string(HighestSliderDpi(type)));

  // A high nibble of 0 wraps to 255, as the mouse's own arithmetic does.
  context.state.active_level = static_cast<uint8_t>((s[image::kLevels] >> 4) - 1);
  for (const StoredSetting& setting : SettingsFromImage(s, type, StoredImageOffsets())) {
    WriteInt(context, setting.key, setting.value);
  }
  return true;
}

}  // namespace

bool GetMouseData2(SettingsContext& context) {
  // An interrupted profile apply goes first: the mouse's values are read into the profile
  // only once the mouse holds the profile.
  if (context.state.apply_pending.load() && !ResendProfile(context)) return false;
  // GetCommandEntry lets the channel choose its device when none is cached yet.
  if (const std::optional<DeviceEntry> entry = context.comm.GetCommandEntry()) {
    DeviceInfoStep(context, entry->info.data(), "GetMouseData2");
  }
  if (!OnlineOrNotice(context)) return false;
  const bool keys = KeyTableStep(context);
  if (!OnlineOrNotice(context)) return false;
  const bool read = SettingsStep(context, true);
  // A mouse that stayed busy leaves the pages as they were: the read failed, and says why.
  if ((!keys || !read) && ReportIfUnanswered(context)) return false;
  return true;
}

bool GetMouseData(SettingsContext& context) {
  if (!OnlineOrNotice(context)) return false;
  const int profile = RefreshProfileList(context.toolkit, context.store);
  if (profile > 0 && context.set_current_profile) context.set_current_profile(profile);

  std::array<uint8_t, kDeviceInfoPagesSize> info{};
  bool last_ok = false;
  for (int i = 0; i < kInfoPages; ++i) {
    context.clock.SleepMs(kInfoPagePauseMs);
    last_ok = ReadPage(context, kInfoCommand, static_cast<uint8_t>(kInfoFirstPage + i),
                       info.data() + i * kPageBytes);
    if (last_ok) {
      Trace(mouselog::kInfo, "获取设备信息 成功, %02d-%02d-%02d-%02d-%02d-%02d-%02d-%02d", info[0],
            info[1], info[2], info[3], info[4], info[5], info[6], info[7]);
    } else {
      Trace(mouselog::kError, "获取设备信息错误, 命令 81");
    }
  }
  if (last_ok) DeviceInfoStep(context, info.data(), "GetMouseData");

  if (!OnlineOrNotice(context)) return false;
  KeyTableStep(context);
  if (!OnlineOrNotice(context)) return false;
  SettingsStep(context, false);
  return true;
}

bool ReadKeyTable(SettingsContext& context) {
  KeyTableStep(context);
  return true;
}

bool ReadSettingsImage(SettingsContext& context) {
  SettingsStep(context, false);
  return true;
}

}  // namespace settings
