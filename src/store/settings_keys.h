// The per-profile settings keys with their defaults, in the order a new profile's rows are
// created. Values are decimal text (colours as the decimal packed red + 256*green +
// 65536*blue).
#pragma once

#include <span>
#include <string>

namespace settings {

struct SettingKey {
  const char* key;
  const char* default_value;
};

// All fifty keys of a profile, in creation order.
std::span<const SettingKey> DefaultSettingKeys();

// The default text of `key`, or null for a key that is not one of the fifty.
const char* DefaultSettingValue(const std::string& key);

// "dpi_group<level>_value" and "dpi_group<level>_rgb", level 0..9.
std::string DpiValueKey(int level);
std::string DpiRgbKey(int level);
// "default_color<n>", n 1..8.
std::string DefaultColorKey(int n);

inline constexpr int kDpiGroupCount = 10;
inline constexpr int kDefaultColorCount = 8;

inline constexpr const char kVersion[] = "version";
inline constexpr const char kLockLeftKey[] = "lock_leftkey";
inline constexpr const char kLockRightKey[] = "lock_rightkey";
inline constexpr const char kLightMode[] = "lightmode";
inline constexpr const char kSleepLight[] = "sleep_light";
inline constexpr const char kMoveCloseLight[] = "move_closelight";
inline constexpr const char kReportRate[] = "report_rate";
inline constexpr const char kReportRateWireless[] = "report_rate_wireless";
inline constexpr const char kButtonRespondTime[] = "button_respondtime";
inline constexpr const char kSensorFlag[] = "sensor_flag";
inline constexpr const char kLiftoffHeight[] = "liftoff_height";
inline constexpr const char kScrollFlag[] = "scroll_flag";
inline constexpr const char kEsportsFlag[] = "e-sports_flag";
inline constexpr const char kLeftBtnLock[] = "leftbtn_lock";
inline constexpr const char kDpiFlag[] = "dpi_flag";
inline constexpr const char kDpiIndex[] = "dpi_index";
inline constexpr const char kDpiCount[] = "dpi_count";
inline constexpr const char kMouseSpeed[] = "mouse_speed";
inline constexpr const char kMouseSensitivity[] = "mouse_sensitivity";
inline constexpr const char kWheelScrollFlag[] = "wheel_scrollflag";
inline constexpr const char kWheelScrollLines[] = "wheel_scrolllines";
inline constexpr const char kDoubleClickTime[] = "doubleclick_time";

}  // namespace settings
