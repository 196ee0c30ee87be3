#include "settings/settings_write.h"

#include <array>
#include <initializer_list>
#include <span>

#include "device/driver_comm.h"
#include "platform/clock.h"
#include "profiles/profile_list.h"
#include "settings/settings_page.h"
#include "settings/settings_read.h"
#include "store/settings_keys.h"
#include "ui/task_table.h"
#include "ui/window_messages.h"

namespace settings {

namespace {

constexpr uint8_t kSettingsWrite = 0x35;
constexpr int kDpiWritePauseMs = 33;

bool Send(SettingsContext& context, uint8_t command, uint8_t sub_code, uint8_t address,
          std::span<const uint8_t> data) {
  CommandFrame frame = device::MakeCommandFrame(command, sub_code, address, data);
  return context.comm.SendFeatureReportRetry(frame, true) == device::kSuccess;
}

bool Send(SettingsContext& context, uint8_t command, uint8_t sub_code, uint8_t address,
          std::initializer_list<uint8_t> data) {
  return Send(context, command, sub_code, address,
              std::span<const uint8_t>(data.begin(), data.size()));
}

bool SendRestore(SettingsContext& context, int section) {
  return Send(context, 0x0F, 0x06, static_cast<uint8_t>(section), std::span<const uint8_t>());
}

// The stored active level, kept inside the mouse's eight levels: a read of a block without an
// active level stores 255, and the mouse would take the wrapped nibble for no level at all.
int StoredActiveLevel(SettingsContext& context) {
  const int level = ReadInt(context, kDpiIndex);
  return level < 0 || level >= kMouseLevels ? 0 : level;
}

bool WriteGuard(SettingsContext& context) {
  return OnlineCheck(context, ui::kStatusReceiverOffline);
}

void RefreshProfiles(SettingsContext& context) {
  const int profile = RefreshProfileList(context.toolkit, context.store);
  if (profile > 0 && context.set_current_profile) context.set_current_profile(profile);
}

void RefreshLighting(SettingsContext& context) {
  if (context.lighting_in_use && context.lighting_in_use()) {
    context.ports.lighting->RefreshLightingPage();
  }
}

}  // namespace

void WriteDpiLevel(SettingsContext& context) {
  if (!WriteGuard(context)) return;
  const int level = StoredActiveLevel(context);
  const int count = ReadInt(context, kDpiCount);
  const int value = ReadInt(context, DpiValueKey(level));
  const uint32_t colour = static_cast<uint32_t>(ReadInt(context, DpiRgbKey(level)));
  const uint16_t code = EncodeDpi(context.state.sensor_type, value);
  Send(
      context, 0x50, 0x3A, 0x00,
      {static_cast<uint8_t>(((level + 1) << 4) | (count & 0x0F)), static_cast<uint8_t>(code & 0xFF),
       static_cast<uint8_t>(code >> 8), static_cast<uint8_t>(colour & 0xFF),
       static_cast<uint8_t>((colour >> 8) & 0xFF), static_cast<uint8_t>((colour >> 16) & 0xFF)});
  context.clock.SleepMs(kDpiWritePauseMs);
}

void WriteReportRate(SettingsContext& context) {
  if (!WriteGuard(context)) return;
  const int code = ReadInt(context, kReportRate) & 0x0F;
  Send(context, 0x31, kSettingsWrite, image::kReportRates,
       {static_cast<uint8_t>(code << 4 | code)});
}

void WritePerformance(SettingsContext& context) {
  if (!WriteGuard(context)) return;
  const int liftoff = ReadInt(context, kLiftoffHeight);
  const int debounce = ReadInt(context, kButtonRespondTime);
  const int sensor = ReadInt(context, kSensorFlag);
  const int esports = ReadInt(context, kEsportsFlag);
  Send(context, 0x32, kSettingsWrite, image::kLiftoff,
       {static_cast<uint8_t>(liftoff), static_cast<uint8_t>(debounce),
        PerformanceByte(sensor, esports)});
}

void WriteSleepTime(SettingsContext& context) {
  if (!WriteGuard(context)) return;
  Send(context, 0x31, kSettingsWrite, image::kSleep,
       {static_cast<uint8_t>(ReadInt(context, kSleepLight))});
}

SettingsImage BuildProfileImage(SettingsContext& context) {
  SettingsImage s = context.state.image;
  const int rate = ReadInt(context, kReportRate) & 0x0F;
  s[image::kReportRates] = static_cast<uint8_t>(rate << 4 | rate);
  s[image::kLevels] = static_cast<uint8_t>(((ReadInt(context, kDpiIndex) + 1) << 4) |
                                           (ReadInt(context, kDpiCount) & 0x0F));
  s[image::kLiftoff] = static_cast<uint8_t>(ReadInt(context, kLiftoffHeight));
  s[image::kDebounce] = static_cast<uint8_t>(ReadInt(context, kButtonRespondTime));
  s[image::kPerformance] =
      PerformanceByte(ReadInt(context, kSensorFlag), ReadInt(context, kEsportsFlag));
  s[image::kSleep] = static_cast<uint8_t>(ReadInt(context, kSleepLight));
  const SensorType type = context.state.sensor_type;
  for (int k = 0; k < kMouseLevels; ++k) {
    const uint16_t code = EncodeDpi(type, ReadInt(context, DpiValueKey(k)));
    s[image::DpiOffset(k)] = static_cast<uint8_t>(code & 0xFF);
    s[image::DpiOffset(k) + 1] = static_cast<uint8_t>(code >> 8);
    const uint32_t colour = static_cast<uint32_t>(ReadInt(context, DpiRgbKey(k)));
    s[image::ColourOffset(k)] = static_cast<uint8_t>(colour & 0xFF);
    s[image::ColourOffset(k) + 1] = static_cast<uint8_t>((colour >> 8) & 0xFF);
    s[image::ColourOffset(k) + 2] = static_cast<uint8_t>((colour >> 16) & 0xFF);
  }
  return s;
}

void ApplyProfile(SettingsContext& context) {
  context.ports.buttons->RefreshButtonPage();
  RefreshSettingsPage(context);
  RefreshLighting(context);

  context.ports.macros->UploadProfileMacros();
  const auto check = [&] { return OnlineCheck(context, ui::kStatusOfflineSilent); };
  if (!check()) return;
  if (!check()) return;
  context.ports.buttons->SendProfileKeyTable();
  if (!check()) return;
  const SettingsImage s = BuildProfileImage(context);
  if (!check()) return;
  // Bytes 0..49 in five parts, then byte 50; a part that fails is not repeated.
  for (int i = 0; i < 5; ++i) {
    Send(context, static_cast<uint8_t>(0x90 + i), 0x36, static_cast<uint8_t>(10 * i),
         std::span<const uint8_t>(s.data() + 10 * i, 10));
  }
  Send(context, 0x96, 0x37, 0x32, {s[50]});
}

void RestoreSection(SettingsContext& context) {
  if (!WriteGuard(context)) return;
  const int section = context.state.pending_section;
  // A second queued restore finds nothing pending: there is nothing to ask the mouse for.
  if (section == 0) return;
  if (!SendRestore(context, section)) return;
  switch (section) {
    case kSectionButtons:
      ReadKeyTable(context);
      context.ports.buttons->RefreshButtonPage();
      break;
    case kSectionSettings:
      ReadSettingsImage(context);
      RefreshSettingsPage(context);
      break;
    case kSectionLighting:
      context.ports.lighting->RefreshLightingPage();
      break;
    case kSectionMacros:
      context.ports.macros->RefreshMacroList();
      break;
    case kSectionAll:
      GetMouseData2(context);
      RefreshProfiles(context);
      RefreshSettingsPage(context);
      break;
    default:
      break;
  }
  context.state.pending_section = 0;
}

void RestoreFactory(SettingsContext& context) {
  if (!WriteGuard(context)) return;
  SendRestore(context, kSectionAll);
  WriteText(context, kLockLeftKey, "0");
  WriteText(context, kLockRightKey, "0");
  RefreshProfiles(context);
  GetMouseData(context);
  context.ports.buttons->RefreshButtonPage();
  context.ports.macros->RefreshMacroList();
  RefreshSettingsPage(context);
  RefreshLighting(context);
}

void RegisterSettingsTasks(ui::TaskTable& table, SettingsContext& context) {
  SettingsContext* c = &context;
  table.Add(ui::kTaskApplyProfile, {[c] { ApplyProfile(*c); }, 100, true});
  table.Add(ui::kTaskWriteDpi, {[c] { WriteDpiLevel(*c); }, 500, false});
  table.Add(ui::kTaskWriteReportRate, {[c] { WriteReportRate(*c); }, 100, true});
  table.Add(ui::kTaskWritePerformance, {[c] { WritePerformance(*c); }, 500, false});
  table.Add(ui::kTaskWriteSleep, {[c] { WriteSleepTime(*c); }, 500, false});
  table.Add(ui::kTaskRestoreSection, {[c] { RestoreSection(*c); }, 500, false});
  table.Add(ui::kTaskRestoreFactory, {[c] { RestoreFactory(*c); }, 100, true});
}

}  // namespace settings
