// The pointer settings backends: GNOME's GSettings (on the memory backend the tests run with),
// KDE's configuration files in a temporary folder, and the stored fallback.
#include "settings/pointer_settings.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/app_key.h"
#include "support/temp_dir.h"

namespace {

namespace s = settings;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST(PointerSpeedScale, MiddleIsTheDesktopDefaultAndEndsMeetTheEnds) {
  const std::pair<int, double> cases[] = {{1, -1.0}, {4, -6.0 / 9}, {10, 0.0},
                                          {11, 0.1}, {15, 0.5},     {20, 1.0}};
  for (const auto& [speed, unit] : cases) {
    EXPECT_NEAR(s::SpeedToUnit(speed), unit, 1e-12) << speed;
  }
  // Outside the slider's range: clamped.
  EXPECT_EQ(s::SpeedToUnit(0), -1.0);
  EXPECT_EQ(s::SpeedToUnit(25), 1.0);
  // Desktop values between the positions go to the nearest; odd values stay in range.
  const std::pair<double, int> back[] = {{0.0, 10},  {-1.0, 1}, {1.0, 20}, {0.26, 13}, {-0.5, 5},
                                         {-0.45, 6}, {3.0, 20}, {-7.0, 1}, {NAN, 10}};
  for (const auto& [unit, speed] : back) EXPECT_EQ(s::UnitToSpeed(unit), speed) << unit;
}

TEST(PointerBackendChoice, FollowsTheDesktopAndTheInstalledSchema) {
  struct Case {
    const char* desktop;
    bool schema;
    s::PointerBackend backend;
  };
  const Case cases[] = {
      {"GNOME", true, s::PointerBackend::kGnome},
      {"ubuntu:GNOME", true, s::PointerBackend::kGnome},
      {"Unity", true, s::PointerBackend::kGnome},
      {"GNOME", false, s::PointerBackend::kStored},
      {"KDE", false, s::PointerBackend::kKde},
      {"kde", true, s::PointerBackend::kKde},
      {"XFCE", true, s::PointerBackend::kStored},
      {"", true, s::PointerBackend::kStored},
      {"X-Cinnamon", true, s::PointerBackend::kStored},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(s::ChoosePointerBackend(c.desktop, c.schema), c.backend) << c.desktop << c.schema;
  }
}

class GnomePointerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_STREQ(getenv("GSETTINGS_BACKEND"), "memory") << "tests must not touch the desktop";
    if (!s::GnomeMouseSchemaPresent()) GTEST_SKIP() << "GNOME mouse schema not installed";
    port_ = s::MakeGnomePointerSettings(key_, {});
    ASSERT_NE(port_, nullptr);
    raw_ = g_settings_new("org.gnome.desktop.peripherals.mouse");
  }
  void TearDown() override {
    if (raw_) g_object_unref(raw_);
  }

  test_support::TempDir dir_;
  platform::AppKey key_{dir_.path()};
  std::unique_ptr<s::PointerSettings> port_;
  GSettings* raw_ = nullptr;
};

TEST_F(GnomePointerTest, EverySpeedPositionComesBackAsItself) {
  EXPECT_TRUE(port_->DesktopReachable());
  EXPECT_EQ(port_->Name(), "gnome");
  for (int speed = 1; speed <= 20; ++speed) {
    port_->SetSpeed(speed);
    EXPECT_EQ(port_->Speed(), speed);
  }
  port_->SetSpeed(1);
  EXPECT_DOUBLE_EQ(g_settings_get_double(raw_, "speed"), -1.0);
  port_->SetSpeed(10);
  EXPECT_DOUBLE_EQ(g_settings_get_double(raw_, "speed"), 0.0);
  port_->SetSpeed(20);
  EXPECT_DOUBLE_EQ(g_settings_get_double(raw_, "speed"), 1.0);
  // Set by the desktop's own panel.
  g_settings_set_double(raw_, "speed", 0.3);
  EXPECT_EQ(port_->Speed(), 13);
}

TEST_F(GnomePointerTest, PrecisionIsTheAccelerationProfile) {
  port_->SetPrecision(false);
  gchar* profile = g_settings_get_string(raw_, "accel-profile");
  EXPECT_STREQ(profile, "flat");
  g_free(profile);
  EXPECT_FALSE(port_->Precision());
  port_->SetPrecision(true);
  profile = g_settings_get_string(raw_, "accel-profile");
  EXPECT_STREQ(profile, "adaptive");
  g_free(profile);
  EXPECT_TRUE(port_->Precision());
  // The desktop's "default" profile accelerates.
  g_settings_set_string(raw_, "accel-profile", "default");
  EXPECT_TRUE(port_->Precision());
}

TEST_F(GnomePointerTest, DoubleClickTimeInMilliseconds) {
  port_->SetDoubleClickTime(340);
  EXPECT_EQ(g_settings_get_int(raw_, "double-click"), 340);
  g_settings_set_int(raw_, "double-click", 410);
  EXPECT_EQ(port_->DoubleClickTime(), 410);
}

TEST(KdePointerTest, WritesItsKeysAndKeepsEverythingElse) {
  test_support::TempDir dir;
  platform::AppKey key(dir.path() + "app/");
  WriteFile(dir.path() + "kcminputrc",
            "# kept\n[Keyboard]\nRepeatRate=25\n\n[Mouse]\ncursorTheme=breeze\n"
            "XLbInptPointerAcceleration=-0.5\n\n[Tmp]\nupdate=1\n");
  WriteFile(dir.path() + "kdeglobals", "[General]\nColorScheme=Breeze\n");
  auto port = s::MakeKdePointerSettings(key, {}, dir.path());
  EXPECT_EQ(port->Name(), "kde");
  EXPECT_EQ(port->Speed(), 5);
  EXPECT_TRUE(port->Precision());           // no flat profile written
  EXPECT_EQ(port->DoubleClickTime(), 400);  // Plasma's default

  port->SetSpeed(20);
  port->SetPrecision(false);
  port->SetDoubleClickTime(340);
  EXPECT_EQ(ReadFile(dir.path() + "kcminputrc"),
            "# kept\n[Keyboard]\nRepeatRate=25\n\n[Mouse]\ncursorTheme=breeze\n"
            "XLbInptPointerAcceleration=1.0000\nXLbInptAccelProfileFlat=true\n\n[Tmp]\nupdate=1\n");
  EXPECT_EQ(ReadFile(dir.path() + "kdeglobals"),
            "[General]\nColorScheme=Breeze\n\n[KDE]\nDoubleClickInterval=340\n");
  EXPECT_EQ(port->Speed(), 20);
  EXPECT_FALSE(port->Precision());
  EXPECT_EQ(port->DoubleClickTime(), 340);
}

TEST(KdePointerTest, MissingFilesAreCreated) {
  test_support::TempDir dir;
  platform::AppKey key(dir.path() + "app/");
  auto port = s::MakeKdePointerSettings(key, {}, dir.path() + "config/");
  EXPECT_EQ(port->Speed(), 10);
  port->SetSpeed(1);
  EXPECT_EQ(ReadFile(dir.path() + "config/kcminputrc"),
            "[Mouse]\nXLbInptPointerAcceleration=-1.0000\n");
}

TEST(StoredPointerTest, DefaultsThenTheProgramsOwnValues) {
  test_support::TempDir dir;
  platform::AppKey key(dir.path());
  {
    auto port = s::MakeStoredPointerSettings(key, {});
    EXPECT_FALSE(port->DesktopReachable());
    EXPECT_EQ(port->Speed(), 10);
    EXPECT_TRUE(port->Precision());
    EXPECT_EQ(port->DoubleClickTime(), 500);
    EXPECT_EQ(port->WheelLines(), 3u);
    port->SetSpeed(17);
    port->SetPrecision(false);
    port->SetDoubleClickTime(270);
    port->SetWheelLines(s::kWheelPageScroll);
  }
  EXPECT_EQ(ReadFile(dir.path() + "settings.ini"),
            "pointer_speed=17\npointer_precision=0\ndouble_click_time=270\n"
            "wheel_scroll_lines=-1\n");
  auto again = s::MakeStoredPointerSettings(key, {});
  EXPECT_EQ(again->Speed(), 17);
  EXPECT_FALSE(again->Precision());
  EXPECT_EQ(again->DoubleClickTime(), 270);
  EXPECT_EQ(again->WheelLines(), s::kWheelPageScroll);
}

TEST(WheelLinesTest, EveryBackendKeepsThemAndHandsThemToTheToolkit) {
  test_support::TempDir dir;
  platform::AppKey key(dir.path() + "app/");
  std::vector<uint32_t> applied;
  s::WheelLinesHook hook = [&applied](uint32_t lines) { applied.push_back(lines); };
  auto kde = s::MakeKdePointerSettings(key, hook, dir.path());
  kde->SetWheelLines(7);
  kde->SetWheelLines(0);  // the wheel slider's lowest position
  kde->SetWheelLines(s::kWheelPageScroll);
  // A later start finds them again and hands them on at once.
  auto stored = s::MakeStoredPointerSettings(key, hook);
  EXPECT_EQ(stored->WheelLines(), s::kWheelPageScroll);
  stored->SetWheelLines(12);
  EXPECT_EQ(kde->WheelLines(), 12u);
  EXPECT_EQ(applied,
            (std::vector<uint32_t>{3, 7, 0, s::kWheelPageScroll, s::kWheelPageScroll, 12}));
}

}  // namespace
