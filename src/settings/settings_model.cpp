#include "settings/settings_model.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "platform/language.h"
#include "store/settings_keys.h"

namespace settings {

namespace {

constexpr std::array<ReportRateItem, 7> kRateItems{{
    {"125Hz", kRate125Hz},
    {"250Hz", kRate250Hz},
    {"500Hz", kRate500Hz},
    {"1000Hz", kRate1000Hz},
    {"2000Hz", kRate2000Hz},
    {"4000Hz", kRate4000Hz},
    {"8000Hz", kRate8000Hz},
}};

constexpr std::array<SleepItem, 9> kSleepItems{{
    {0, nullptr, platform::TextId{546}},
    {1, "30%s", platform::TextId{544}},
    {2, "1%s", platform::TextId{545}},
    {4, "2%s", platform::TextId{545}},
    {6, "3%s", platform::TextId{545}},
    {10, "5%s", platform::TextId{545}},
    {20, "10%s", platform::TextId{545}},
    {60, "30%s", platform::TextId{545}},
    {120, "60%s", platform::TextId{545}},
}};

}  // namespace

std::span<const ReportRateItem> ReportRateItems() { return kRateItems; }

int HighestSliderDpi(SensorType type) {
  return type == kSensorWideRange ? kWideSliderDpi : kDefaultHighestDpi;
}

int DpiSliderSteps(SensorType type, bool read_at_connection) {
  if (type != kSensorWideRange) return kDefaultHighestDpi / kLowestDpi;
  return read_at_connection ? 612 : 600;
}

uint16_t EncodeDpi(SensorType type, int dpi) {
  const int v = std::clamp(dpi, kLowestDpi, kHighestSentDpi);
  if (type == kSensorWideRange && v > kWideSliderDpi) return static_cast<uint16_t>(v);
  return static_cast<uint16_t>(v / kLowestDpi - 1);
}

int DecodeDpi(SensorType type, uint16_t code) {
  const int value = (static_cast<int>(code) + 1) * kLowestDpi;
  if (type == kSensorWideRange && value > kWideSliderDpi) return code;
  return value;
}

int DpiToSliderPosition(SensorType type, int dpi) {
  if (type == kSensorWideRange && dpi > kWideSliderDpi) {
    return (dpi - kWideSliderDpi) / 1000 + kWideSliderDpi / kLowestDpi;
  }
  return dpi / kLowestDpi;
}

int SliderPositionToDpi(SensorType type, int position) {
  const int dpi = position * kLowestDpi;
  if (type == kSensorWideRange) return std::min(dpi, kWideSliderDpi);
  return dpi;
}

std::span<const SleepItem> SleepItems() { return kSleepItems; }

std::string SleepItemText(const SleepItem& item) {
  const std::string unit = LanguageText(item.text);
  if (item.number == nullptr) return unit;
  // The number formats hold exactly one %s and come from the table above.
  std::string format = item.number;
  const size_t at = format.find("%s");
  return format.replace(at, 2, unit);
}

uint8_t PerformanceByte(int sensor_flag, int esports_mode) {
  return static_cast<uint8_t>((sensor_flag & kSensorOptionMask) | ((esports_mode & 0x03) << 6));
}

int StoredInt(const std::string& text) {
  errno = 0;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str()) return 0;
  if (errno == ERANGE || value > INT_MAX || value < INT_MIN) return value < 0 ? INT_MIN : INT_MAX;
  return static_cast<int>(value);
}

std::vector<StoredSetting> SettingsFromImage(const SettingsImage& s, SensorType type,
                                             std::span<const size_t> offsets) {
  std::vector<StoredSetting> out;
  const auto add = [&out](std::string key, int value) {
    for (const StoredSetting& have : out) {
      if (have.key == key) return;
    }
    out.push_back(StoredSetting{std::move(key), value});
  };
  constexpr size_t kDpiEnd = image::DpiOffset(kMouseLevels);
  constexpr size_t kColourEnd = image::ColourOffset(kMouseLevels);
  for (const size_t at : offsets) {
    if (at >= s.size()) continue;
    if (at == image::kReportRates) {
      add(kReportRateWireless, std::min(s[at] & 0x07, kHighestRateCode));
      add(kReportRate, std::min(s[at] >> 4, kHighestRateCode));
    } else if (at == image::kLevels) {
      // A high nibble of 0 wraps to 255, as the mouse's own arithmetic does.
      add(kDpiIndex, static_cast<uint8_t>((s[at] >> 4) - 1));
      add(kDpiFlag, s[at] & 0x0F);
      add(kDpiCount, s[at] & 0x0F);
    } else if (at == image::kLiftoff) {
      add(kLiftoffHeight, s[at]);
    } else if (at == image::kDebounce) {
      add(kButtonRespondTime, s[at]);
    } else if (at == image::kPerformance) {
      add(kSensorFlag, s[at]);
      add(kEsportsFlag, s[at] >> 6);
    } else if (at == image::kSleep) {
      add(kSleepLight, s[at]);
    } else if (at >= image::DpiOffset(0) && at < kDpiEnd) {
      const int level = static_cast<int>(at - image::DpiOffset(0)) / 2;
      const size_t low = image::DpiOffset(level);
      add(DpiValueKey(level), DecodeDpi(type, static_cast<uint16_t>(s[low] | s[low + 1] << 8)));
    } else if (at >= image::ColourOffset(0) && at < kColourEnd) {
      const int level = static_cast<int>(at - image::ColourOffset(0)) / 3;
      const size_t c = image::ColourOffset(level);
      add(DpiRgbKey(level), static_cast<int>(PackColour(s[c], s[c + 1], s[c + 2])));
    }
  }
  return out;
}

std::vector<size_t> StoredImageOffsets() {
  std::vector<size_t> offsets{image::kReportRates, image::kLevels,      image::kLiftoff,
                              image::kDebounce,    image::kPerformance, image::kSleep};
  for (int k = 0; k < kMouseLevels; ++k) offsets.push_back(image::DpiOffset(k));
  for (int k = 0; k < kMouseLevels; ++k) offsets.push_back(image::ColourOffset(k));
  return offsets;
}

}  // namespace settings
