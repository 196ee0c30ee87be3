// The mouse's performance settings as the program sees them: report-rate codes, sensor types,
// the DPI code on the wire, the sleep items, the sensor option bits, the mouse's 60-byte
// settings block and the window's record of the connected mouse.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/language.h"

namespace settings {

// --- controls of the DPI page and the performance page ---
inline constexpr int kDpiHelpTip = 98;
inline constexpr int kSettingsResetButton = 99;
inline constexpr int kDpiControl = 100;
inline constexpr int kDpiSlider = 101;
inline constexpr int kDpiSendButton = 102;
inline constexpr int kLevelCountSelector = 104;
// End labels of the DPI slider ("50" and the highest DPI of the sensor).
inline constexpr int kDpiSliderMinLabel = 105;
inline constexpr int kDpiSliderMaxLabel = 106;
inline constexpr int kReportRateHelpTip = 107;
inline constexpr int kReportRateResetButton = 108;
inline constexpr int kReportRateList = 109;
inline constexpr int kLiftoffFirst = 198;  // 198, 199, 200: lift-off choices 1, 2, 3
inline constexpr int kLiftoffSecond = 199;
inline constexpr int kLiftoffThird = 200;
// Help tip beside the lift-off choices: carries the sensor help text.
inline constexpr int kSensorHelpTip = 203;
inline constexpr int kSensorOption1 = 204;  // 204..207: sensor options 1..4
inline constexpr int kSensorOption2 = 205;
inline constexpr int kSensorOption3 = 206;
inline constexpr int kSensorOption4 = 207;
inline constexpr int kEsportsFirst = 211;  // 211, 212, 213: e-sports modes 0, 1, 2
inline constexpr int kEsportsSecond = 212;
inline constexpr int kEsportsThird = 213;
inline constexpr int kDebounceField = 216;
inline constexpr int kDebounceArea = 214;     // the area around the debounce field
inline constexpr int kDebounceCaption = 215;  // its caption
inline constexpr int kSleepSelector = 220;
inline constexpr int kFactoryResetButton = 223;
// Every control above: what the DPI and performance pages must build.
inline constexpr std::array kPageControls{
    kDpiHelpTip,        kSettingsResetButton,   kDpiControl,        kDpiSlider,
    kDpiSendButton,     kLevelCountSelector,    kDpiSliderMinLabel, kDpiSliderMaxLabel,
    kReportRateHelpTip, kReportRateResetButton, kReportRateList,    kLiftoffFirst,
    kLiftoffSecond,     kLiftoffThird,          kSensorHelpTip,     kSensorOption1,
    kSensorOption2,     kSensorOption3,         kSensorOption4,     kEsportsFirst,
    kEsportsSecond,     kEsportsThird,          kDebounceArea,      kDebounceCaption,
    kDebounceField,     kSleepSelector,         kFactoryResetButton};

// Notification codes of the DPI level control (100), value = the level.
inline constexpr int kDpiLevelSelected = 2;
inline constexpr int kDpiColourClicked = 6;
// The debounce field's text changed; the toolkit's generic "changed" code means the same.
inline constexpr int kEditTextChanged = 29;

// --- report rate ---
enum ReportRateCode : int {
  kRate1000Hz = 0,
  kRate500Hz = 1,
  kRate250Hz = 2,
  kRate125Hz = 3,
  kRate8000Hz = 4,
  kRate4000Hz = 5,
  kRate2000Hz = 6,
};
inline constexpr int kHighestRateCode = 6;
// report_max of the device information that offers every rate up to 8000 Hz.
inline constexpr int kReportMaxAllRates = 7;

struct ReportRateItem {
  const char* text;
  int code;
};
// The list's items in display order, "125Hz" .. "8000Hz"; the first four are the low rates.
std::span<const ReportRateItem> ReportRateItems();
inline constexpr int kLowRateItemCount = 4;

// --- sensor types ---
// Byte 0 of the settings block.
using SensorType = uint16_t;
inline constexpr SensorType kSensorWideRange = 2;  // up to 42000 DPI on the wire
inline constexpr SensorType kSensorBasic = 1;      // two lift-off choices, no option 4

inline constexpr int kLowestDpi = 50;
inline constexpr int kHighestSentDpi = 42000;
inline constexpr int kWideSliderDpi = 30000;  // slider ceiling of the wide-range sensor
inline constexpr int kDefaultHighestDpi = 26000;

// Highest DPI the slider offers.
int HighestSliderDpi(SensorType type);
// Steps of the DPI slider after a settings read: 520, or for the wide-range sensor 612 after
// the read at connection and 600 after any other.
int DpiSliderSteps(SensorType type, bool read_at_connection);

// --- DPI on the wire ---
// The 16-bit code of a DPI value (value clamped to 50..42000; code v / 50 - 1, or v itself
// above 30000 on the wide-range sensor).
uint16_t EncodeDpi(SensorType type, int dpi);
int DecodeDpi(SensorType type, uint16_t code);
// Slider position of a DPI value: dpi / 50, or 600 + (dpi - 30000) / 1000 above 30000 on the
// wide-range sensor.
int DpiToSliderPosition(SensorType type, int dpi);
// DPI of a slider position: position * 50, at most 30000 on the wide-range sensor.
int SliderPositionToDpi(SensorType type, int position);

// --- sleep time ("sleep_light", units of 30 s) ---
struct SleepItem {
  int value;
  const char* number;     // "30%s" and the like; null for "never" (text alone)
  platform::TextId text;  // the unit (or "never")
};
std::span<const SleepItem> SleepItems();
// The item as the selector shows it, with the current language's texts.
std::string SleepItemText(const SleepItem& item);

// --- sensor options ("sensor_flag") and e-sports mode ---
inline constexpr int kSensorBit1 = 0x10;
inline constexpr int kSensorBit2 = 0x01;
inline constexpr int kSensorBit3 = 0x20;  // not with 8000 Hz
inline constexpr int kSensorBit4 = 0x02;  // not on the basic sensor
inline constexpr int kSensorOptionMask = 0x3F;
struct SensorOption {
  int control;
  int bit;
  platform::TextId text;
};
inline constexpr std::array<SensorOption, 4> kSensorOptions{{
    {kSensorOption1, kSensorBit1, platform::TextId{515}},
    {kSensorOption2, kSensorBit2, platform::TextId{516}},
    {kSensorOption3, kSensorBit3, platform::TextId{517}},
    {kSensorOption4, kSensorBit4, platform::TextId{518}},
}};
inline constexpr std::array<platform::TextId, 3> kEsportsTexts{
    platform::TextId{701}, platform::TextId{702}, platform::TextId{703}};

// Byte 5 of the settings block: option bits 0..5, e-sports mode in bits 6..7.
uint8_t PerformanceByte(int sensor_flag, int esports_mode);

// --- the mouse's settings block ---
inline constexpr size_t kSettingsImageSize = 60;
inline constexpr size_t kKeyTablePagesSize = 40;
inline constexpr size_t kDeviceInfoPagesSize = 40;
inline constexpr int kMouseLevels = 8;  // levels the block holds
inline constexpr int kPageLevels = 7;   // levels the pages show

using SettingsImage = std::array<uint8_t, kSettingsImageSize>;

namespace image {
inline constexpr size_t kSensorType = 0;
inline constexpr size_t kReportRates = 1;  // high nibble cable, low 3 bits receiver
inline constexpr size_t kLevels = 2;       // high nibble active level + 1, low nibble count
inline constexpr size_t kLiftoff = 3;
inline constexpr size_t kDebounce = 4;
inline constexpr size_t kPerformance = 5;
inline constexpr size_t kSleep = 8;
inline constexpr size_t DpiOffset(int level) { return 11 + 2 * static_cast<size_t>(level); }
inline constexpr size_t ColourOffset(int level) { return 27 + 3 * static_cast<size_t>(level); }
}  // namespace image

// One stored setting as a settings-image byte (or pair, or triple) gives it.
struct StoredSetting {
  std::string key;
  int value = 0;
};
// The stored settings that the image bytes at `offsets` carry, each once, in the order of the
// offsets: the mapping the settings read stores and a refused write puts back. Offsets that
// carry no setting give nothing.
std::vector<StoredSetting> SettingsFromImage(const SettingsImage& image, SensorType type,
                                             std::span<const size_t> offsets);
// Every offset the read stores, in its order.
std::vector<size_t> StoredImageOffsets();

// What the window knows of the connected mouse. The scalars are read by the window thread and
// written by the worker, so they are atomics; the raw pages belong to the worker alone.
struct SettingsState {
  std::atomic<uint16_t> sensor_type{0};
  // As last read or announced by the mouse, counted from 0 (255 when the block said none).
  std::atomic<int> active_level{0};
  std::atomic<int> battery_value{0};
  std::atomic<bool> charge_flag{false};
  std::atomic<int> report_max{0};
  std::atomic<int> level_limit{0};
  std::atomic<int> link_state{0};
  // Section of a restore that was asked for and has not succeeded yet; 0 when none.
  std::atomic<int> pending_section{0};
  std::array<uint8_t, kKeyTablePagesSize> key_pages{};  // worker only
  SettingsImage image{};                                // worker only
  // What the mouse holds as far as it confirmed: the image last read, with every
  // acknowledged write applied (DPI, rate, performance, sleep, profile parts). Valid once a read
  // succeeded. Worker only.
  SettingsImage acknowledged{};
  bool acknowledged_known = false;
  // A profile apply that did not reach the mouse whole; sent again before the next read of
  // the mouse's values, so they never overwrite the profile with a half-written mouse.
  std::atomic<bool> apply_pending{false};
};

// --- stored values ---
// Decimal text to a number as the store's readers do: leading digits count, anything else
// gives 0.
int StoredInt(const std::string& text);
// Packed colour red + 256 * green + 65536 * blue.
inline constexpr uint32_t PackColour(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<uint32_t>(r) | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b) << 16;
}

}  // namespace settings
