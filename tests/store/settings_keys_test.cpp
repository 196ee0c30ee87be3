#include "store/settings_keys.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

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

// The whole table written out: a key moved, dropped or given another default shows here.
TEST(SettingsKeysTest, EveryKeyWithItsDefaultInCreationOrder) {
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"version", "1.0.1"},
      {"lock_leftkey", "0"},
      {"lock_rightkey", "0"},
      {"lightmode", "0"},
      {"sleep_light", "2"},
      {"move_closelight", "1"},
      {"report_rate", "0"},
      {"report_rate_wireless", "1"},
      {"button_respondtime", "8"},
      {"sensor_flag", "16"},
      {"liftoff_height", "1"},
      {"scroll_flag", "1"},
      {"e-sports_flag", "1"},
      {"leftbtn_lock", "1"},
      {"dpi_flag", "6"},
      {"dpi_index", "2"},
      {"dpi_count", "6"},
      {"dpi_group0_value", "400"},
      {"dpi_group1_value", "800"},
      {"dpi_group2_value", "1600"},
      {"dpi_group3_value", "3200"},
      {"dpi_group4_value", "6400"},
      {"dpi_group5_value", "26000"},
      {"dpi_group6_value", "0"},
      {"dpi_group7_value", "0"},
      {"dpi_group8_value", "0"},
      {"dpi_group9_value", "0"},
      {"dpi_group0_rgb", "255"},
      {"dpi_group1_rgb", "65280"},
      {"dpi_group2_rgb", "16711680"},
      {"dpi_group3_rgb", "16776960"},
      {"dpi_group4_rgb", "65535"},
      {"dpi_group5_rgb", "16711935"},
      {"dpi_group6_rgb", "2139135"},
      {"dpi_group7_rgb", "2139135"},
      {"dpi_group8_rgb", "2139135"},
      {"dpi_group9_rgb", "2139135"},
      {"mouse_speed", "10"},
      {"mouse_sensitivity", "1"},
      {"wheel_scrollflag", "0"},
      {"wheel_scrolllines", "3"},
      {"doubleclick_time", "550"},
      {"default_color1", "8331093"},
      {"default_color2", "4114939"},
      {"default_color3", "65280"},
      {"default_color4", "16776960"},
      {"default_color5", "255"},
      {"default_color6", "14237951"},
      {"default_color7", "14237951"},
      {"default_color8", "16777215"},
  };
  std::vector<std::pair<std::string, std::string>> keys;
  for (const auto& k : settings::DefaultSettingKeys()) keys.emplace_back(k.key, k.default_value);
  EXPECT_EQ(keys, expected);
}

TEST(SettingsKeysTest, ComposedKeysExistInTheTable) {
  // Levels 0..9 and colours 1..8, one past each end refused.
  for (int level = 0; level < 10; ++level) {
    const std::string n = std::to_string(level);
    EXPECT_EQ(settings::DpiValueKey(level), "dpi_group" + n + "_value");
    EXPECT_EQ(settings::DpiRgbKey(level), "dpi_group" + n + "_rgb");
    EXPECT_NE(settings::DefaultSettingValue(settings::DpiValueKey(level)), nullptr) << level;
    EXPECT_NE(settings::DefaultSettingValue(settings::DpiRgbKey(level)), nullptr) << level;
  }
  for (int n = 1; n <= 8; ++n) {
    EXPECT_EQ(settings::DefaultColorKey(n), "default_color" + std::to_string(n));
    EXPECT_NE(settings::DefaultSettingValue(settings::DefaultColorKey(n)), nullptr) << n;
  }
  EXPECT_EQ(settings::DefaultSettingValue("dpi_group10_rgb"), nullptr);
  EXPECT_EQ(settings::DefaultSettingValue("default_color9"), nullptr);
  EXPECT_EQ(settings::DefaultSettingValue("default_color0"), nullptr);
}

}  // namespace
