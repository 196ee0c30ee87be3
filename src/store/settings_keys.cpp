#include "store/settings_keys.h"

#include <array>

namespace settings {

namespace {

constexpr std::array<SettingKey, 50> kKeys = {{
    {kVersion, "1.0.1"},
    {kLockLeftKey, "0"},
    {kLockRightKey, "0"},
    {kLightMode, "0"},
    {kSleepLight, "2"},
    {kMoveCloseLight, "1"},
    {kReportRate, "0"},
    {kReportRateWireless, "1"},
    {kButtonRespondTime, "8"},
    {kSensorFlag, "16"},
    {kLiftoffHeight, "1"},
    {kScrollFlag, "1"},
    {kEsportsFlag, "1"},
    {kLeftBtnLock, "1"},
    {kDpiFlag, "6"},
    {kDpiIndex, "2"},
    {kDpiCount, "6"},
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
    // Red, green, blue, cyan, yellow, magenta, then orange (255, 163, 32) for the rest.
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
    {kMouseSpeed, "10"},
    {kMouseSensitivity, "1"},
    {kWheelScrollFlag, "0"},
    {kWheelScrollLines, "3"},
    {kDoubleClickTime, "550"},
    {"default_color1", "8331093"},
    {"default_color2", "4114939"},
    {"default_color3", "65280"},
    {"default_color4", "16776960"},
    {"default_color5", "255"},
    {"default_color6", "14237951"},
    {"default_color7", "14237951"},
    {"default_color8", "16777215"},
}};

}  // namespace

std::span<const SettingKey> DefaultSettingKeys() { return kKeys; }

const char* DefaultSettingValue(const std::string& key) {
  for (const SettingKey& k : kKeys) {
    if (key == k.key) return k.default_value;
  }
  return nullptr;
}

std::string DpiValueKey(int level) { return "dpi_group" + std::to_string(level) + "_value"; }

std::string DpiRgbKey(int level) { return "dpi_group" + std::to_string(level) + "_rgb"; }

std::string DefaultColorKey(int n) { return "default_color" + std::to_string(n); }

}  // namespace settings
