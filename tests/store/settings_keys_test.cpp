#include "store/settings_keys.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(SettingsKeysTest, FiftyDistinctKeysFromVersionToLastColour) {
  const auto keys = settings::DefaultSettingKeys();
  ASSERT_EQ(keys.size(), 50u);
  std::set<std::string> names;
  for (const auto& k : keys) names.insert(k.key);
  EXPECT_EQ(names.size(), 50u);
  EXPECT_STREQ(keys.front().key, "version");
  EXPECT_STREQ(keys.front().default_value, "1.0.1");
  EXPECT_STREQ(keys[13].key, "leftbtn_lock");
  EXPECT_STREQ(keys[14].key, "dpi_flag");
  EXPECT_STREQ(keys[17].key, "dpi_group0_value");
  EXPECT_STREQ(keys[27].key, "dpi_group0_rgb");
  EXPECT_STREQ(keys[37].key, "mouse_speed");
  EXPECT_STREQ(keys[42].key, "default_color1");
  EXPECT_STREQ(keys.back().key, "default_color8");
}

TEST(SettingsKeysTest, Defaults) {
  auto pack = [](int r, int g, int b) { return std::to_string(r + 256 * g + 65536 * b); };
  const std::string orange = pack(255, 163, 32);
  const struct {
    std::string key;
    std::string value;
  } cases[] = {
      {"sleep_light", "2"},
      {"report_rate", "0"},
      {"report_rate_wireless", "1"},
      {"button_respondtime", "8"},
      {"sensor_flag", "16"},
      {"e-sports_flag", "1"},
      {"dpi_index", "2"},
      {"dpi_count", "6"},
      {"dpi_group0_value", "400"},
      {"dpi_group5_value", "26000"},
      {"dpi_group6_value", "0"},
      {"dpi_group9_value", "0"},
      {"dpi_group0_rgb", pack(255, 0, 0)},
      {"dpi_group1_rgb", pack(0, 255, 0)},
      {"dpi_group2_rgb", pack(0, 0, 255)},
      {"dpi_group3_rgb", pack(0, 255, 255)},
      {"dpi_group4_rgb", pack(255, 255, 0)},
      {"dpi_group5_rgb", pack(255, 0, 255)},
      {"dpi_group6_rgb", orange},
      {"dpi_group9_rgb", orange},
      {"mouse_speed", "10"},
      {"doubleclick_time", "550"},
      {"default_color1", "8331093"},
      {"default_color8", "16777215"},
  };
  for (const auto& c : cases) {
    const char* value = settings::DefaultSettingValue(c.key);
    ASSERT_NE(value, nullptr) << c.key;
    EXPECT_EQ(value, c.value) << c.key;
  }
  EXPECT_EQ(settings::DefaultSettingValue("dpi_group10_value"), nullptr);
}

TEST(SettingsKeysTest, ComposedKeysExistInTheTable) {
  for (int level = 0; level < settings::kDpiGroupCount; ++level) {
    EXPECT_NE(settings::DefaultSettingValue(settings::DpiValueKey(level)), nullptr) << level;
    EXPECT_NE(settings::DefaultSettingValue(settings::DpiRgbKey(level)), nullptr) << level;
  }
  for (int n = 1; n <= settings::kDefaultColorCount; ++n) {
    EXPECT_NE(settings::DefaultSettingValue(settings::DefaultColorKey(n)), nullptr) << n;
  }
}

}  // namespace
