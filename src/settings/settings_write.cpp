#include "settings/settings_write.h"

#include <array>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>

#include "device/driver_comm.h"
#include "log/trace.h"
#include "platform/clock.h"
#include "platform/language.h"
#include "profiles/profile_list.h"
#include "settings/settings_page.h"
#include "settings/settings_read.h"
#include "store/profile_store.h"
#include "store/settings_keys.h"
#include "ui/task_table.h"
#include "ui/window_messages.h"

namespace settings {

namespace {

using namespace device;  // the commands and sub-codes
constexpr int kDpiWritePauseMs = 33;

bool Send(SettingsContext& context, uint8_t command, uint8_t sub_code, uint8_t address,
          std::span<const uint8_t> data) {
  CommandFrame frame = device::MakeCommandFrame(command, sub_code, address, data);
  if (context.comm.SendFeatureReportRetry(frame, true) == device::kSuccess) return true;
  ++context.refused_writes;
  return false;
}

bool Send(SettingsContext& context, uint8_t command, uint8_t sub_code, uint8_t address,
          std::initializer_list<uint8_t> data) {
  return Send(context, command, sub_code, address,
              std::span<const uint8_t>(data.begin(), data.size()));
}

bool SendRestore(SettingsContext& context, int section) {
  return Send(context, kCmdRestoreSection, kSubRestoreSection, static_cast<uint8_t>(section),
              std::span<const uint8_t>());
}

// The stored values a device write is built from. One that cannot be read spoils the whole
// write: a missing row would otherwise go to the mouse as 0 (no levels, DPI 0, black).
class StoredValues {
 public:
  explicit StoredValues(SettingsContext& context) : context_(context) {}

  int Int(const std::string& key) {
    std::string value;
    const int profile = context_.current_profile ? context_.current_profile() : 0;
    if (!context_.store.ReadSetting(profile, key, value)) {
      if (missing_.empty()) {
        missing_ = key;
        reason_ = context_.store.LastError();
        if (reason_.empty())
          reason_ = "no value for " + key + " in profile " + std::to_string(profile);
      }
      return 0;
    }
    return StoredInt(value);
  }
  // The stored active level, kept inside the mouse's eight levels: a read of a block without
  // an active level stores 255, and the mouse would take the wrapped nibble for no level.
  int ActiveLevel() {
    const int level = Int(kDpiIndex);
    return level < 0 || level >= kMouseLevels ? 0 : level;
  }
  // True when every value was read; otherwise the person is told and nothing may be sent.
  bool Complete(const char* write) {
    if (missing_.empty()) return true;
    Trace(4, "%s not sent: setting %s cannot be read", write, missing_.c_str());
    ReportStoreFailure(context_, kSettingsNotReadText, reason_);
    return false;
  }

 private:
  SettingsContext& context_;
  std::string missing_;
  std::string reason_;
};

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

// A DPI write the mouse did not acknowledge: the store and the page go back to the level,
// value and colour the mouse last confirmed, so neither claims what the mouse does not hold.
void PutBackAcknowledgedDpi(SettingsContext& context, int level) {
  SettingsState& state = context.state;
  if (!state.acknowledged_known) return;
  const SettingsImage& ack = state.acknowledged;
  const int active = (ack[image::kLevels] >> 4) - 1;
  if (active >= 0 && active < kMouseLevels) {
    WriteInt(context, kDpiIndex, active);
    state.active_level = active;
  }
  const size_t at = image::DpiOffset(level);
  WriteInt(context, DpiValueKey(level),
           DecodeDpi(state.sensor_type, static_cast<uint16_t>(ack[at] | ack[at + 1] << 8)));
  const size_t c = image::ColourOffset(level);
  WriteInt(context, DpiRgbKey(level), static_cast<int>(PackColour(ack[c], ack[c + 1], ack[c + 2])));
  Trace(4, "DPI level not acknowledged: the stored level %d is put back", active);
  RefreshSettingsPage(context);
}

// The device part of a profile apply; true when every part of the settings block was
// acknowledged.
bool SendProfile(SettingsContext& context) {
  context.ports.macros->UploadProfileMacros();
  const auto check = [&] { return OnlineCheck(context, ui::kStatusOfflineSilent); };
  if (!check()) return false;
  if (!check()) return false;
  context.ports.buttons->SendProfileKeyTable();
  if (!check()) return false;
  const std::optional<SettingsImage> built = BuildProfileImage(context);
  if (!built) return true;  // the store failure is told; nothing to send again
  const SettingsImage& s = *built;
  if (!check()) return false;
  // Bytes 0..49 in five parts, then byte 50; a part that fails is not repeated.
  bool all = true;
  for (int i = 0; i < 5; ++i) {
    all &= Send(context, static_cast<uint8_t>(kCmdWriteImageFirst + i), kSubWriteImage,
                static_cast<uint8_t>(10 * i), std::span<const uint8_t>(s.data() + 10 * i, 10));
  }
  all &= Send(context, kCmdWriteImageLast, kSubWriteImageLast, 0x32, {s[50]});
  return all;
}

}  // namespace

bool ResendProfile(SettingsContext& context) {
  Trace(mouselog::kInfo, "Sending the interrupted profile apply again");
  if (!SendProfile(context)) {
    ReportIfUnanswered(context);
    return false;
  }
  context.state.apply_pending = false;
  return true;
}

void WriteDpiLevel(SettingsContext& context) {
  if (!WriteGuard(context)) return;
  StoredValues stored(context);
  const int level = stored.ActiveLevel();
  const int count = stored.Int(kDpiCount);
  const int value = stored.Int(DpiValueKey(level));
  const uint32_t colour = static_cast<uint32_t>(stored.Int(DpiRgbKey(level)));
  if (!stored.Complete("DPI level")) return;
  const uint16_t code = EncodeDpi(context.state.sensor_type, value);
  const uint8_t levels = static_cast<uint8_t>(((level + 1) << 4) | (count & 0x0F));
  const bool sent =
      Send(context, kCmdWriteDpi, kSubWriteDpi, 0x00,
           {levels, static_cast<uint8_t>(code & 0xFF), static_cast<uint8_t>(code >> 8),
            static_cast<uint8_t>(colour & 0xFF), static_cast<uint8_t>((colour >> 8) & 0xFF),
            static_cast<uint8_t>((colour >> 16) & 0xFF)});
  SettingsState& state = context.state;
  if (sent) {
    SettingsImage& ack = state.acknowledged;
    ack[image::kLevels] = levels;
    ack[image::DpiOffset(level)] = static_cast<uint8_t>(code & 0xFF);
    ack[image::DpiOffset(level) + 1] = static_cast<uint8_t>(code >> 8);
    ack[image::ColourOffset(level)] = static_cast<uint8_t>(colour & 0xFF);
    ack[image::ColourOffset(level) + 1] = static_cast<uint8_t>((colour >> 8) & 0xFF);
    ack[image::ColourOffset(level) + 2] = static_cast<uint8_t>((colour >> 16) & 0xFF);
  } else {
    ReportIfUnanswered(context);
    PutBackAcknowledgedDpi(context, level);
  }
  context.clock.SleepMs(kDpiWritePauseMs);
}

void WriteReportRate(SettingsContext& context) {
  if (!WriteGuard(context)) return;
  StoredValues stored(context);
  const int code = stored.Int(kReportRate) & 0x0F;
  if (!stored.Complete("Report rate")) return;
  Send(context, kCmdWriteSetting, kSubWriteSetting, image::kReportRates,
       {static_cast<uint8_t>(code << 4 | code)});
}

void WritePerformance(SettingsContext& context) {
  if (!WriteGuard(context)) return;
  StoredValues stored(context);
  const int liftoff = stored.Int(kLiftoffHeight);
  const int debounce = stored.Int(kButtonRespondTime);
  const int sensor = stored.Int(kSensorFlag);
  const int esports = stored.Int(kEsportsFlag);
  if (!stored.Complete("Performance")) return;
  Send(context, kCmdWriteSetting2, kSubWriteSetting, image::kLiftoff,
       {static_cast<uint8_t>(liftoff), static_cast<uint8_t>(debounce),
        PerformanceByte(sensor, esports)});
}

void WriteSleepTime(SettingsContext& context) {
  if (!WriteGuard(context)) return;
  StoredValues stored(context);
  const int sleep = stored.Int(kSleepLight);
  if (!stored.Complete("Sleep time")) return;
  Send(context, kCmdWriteSetting, kSubWriteSetting, image::kSleep, {static_cast<uint8_t>(sleep)});
}

std::optional<SettingsImage> BuildProfileImage(SettingsContext& context) {
  StoredValues stored(context);
  SettingsImage s = context.state.image;
  const int rate = stored.Int(kReportRate) & 0x0F;
  s[image::kReportRates] = static_cast<uint8_t>(rate << 4 | rate);
  s[image::kLevels] =
      static_cast<uint8_t>(((stored.Int(kDpiIndex) + 1) << 4) | (stored.Int(kDpiCount) & 0x0F));
  s[image::kLiftoff] = static_cast<uint8_t>(stored.Int(kLiftoffHeight));
  s[image::kDebounce] = static_cast<uint8_t>(stored.Int(kButtonRespondTime));
  s[image::kPerformance] = PerformanceByte(stored.Int(kSensorFlag), stored.Int(kEsportsFlag));
  s[image::kSleep] = static_cast<uint8_t>(stored.Int(kSleepLight));
  const SensorType type = context.state.sensor_type;
  for (int k = 0; k < kMouseLevels; ++k) {
    const uint16_t code = EncodeDpi(type, stored.Int(DpiValueKey(k)));
    s[image::DpiOffset(k)] = static_cast<uint8_t>(code & 0xFF);
    s[image::DpiOffset(k) + 1] = static_cast<uint8_t>(code >> 8);
    const uint32_t colour = static_cast<uint32_t>(stored.Int(DpiRgbKey(k)));
    s[image::ColourOffset(k)] = static_cast<uint8_t>(colour & 0xFF);
    s[image::ColourOffset(k) + 1] = static_cast<uint8_t>((colour >> 8) & 0xFF);
    s[image::ColourOffset(k) + 2] = static_cast<uint8_t>((colour >> 16) & 0xFF);
  }
  if (!stored.Complete("Profile")) return std::nullopt;
  return s;
}

void ApplyProfile(SettingsContext& context) {
  context.ports.buttons->RefreshButtonPage();
  RefreshSettingsPage(context);
  RefreshLighting(context);

  if (SendProfile(context)) {
    context.state.apply_pending = false;
    return;
  }
  // Kept pending: the next read of the mouse sends it again first.
  context.state.apply_pending = true;
  Trace(4, "Profile apply interrupted: kept to be sent again");
  if (!ReportIfUnanswered(context) && context.report_problem) {
    context.report_problem(LanguageText(kApplyInterruptedText));
  }
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
