// Reading the virtual mouse: what lands in the store and in SettingsState, the battery, the
// online checks and the trace lines.
#include <cstring>

#include "support/recording_ports.h"
#include "settings_fixture.h"

namespace {

using settings_test::Rig;
using sim::Attachment;
using sim::Model;

constexpr int kBattery = 44;

TEST(SettingsRead, SettingsPagesStoreTheListedValues) {
  Rig rig(Model::kK7Pro);
  auto& p = rig.p();
  rig.SetMouseBytes(0, {0x02, 0x45, 0x36, 0x01, 0x08, 0x50, 0x00, 0x00, 0x02, 0x00});
  rig.SetMouseBytes(10, {0x00, 0x05, 0x00});
  // Levels 8 and 9 live only in the store: a read must leave them alone.
  p.Set("dpi_group8_value", "1234");
  p.Set("dpi_group9_rgb", "4321");

  EXPECT_TRUE(settings::ReadSettingsImage(rig.ctx()));

  const std::pair<const char*, const char*> expected[] = {
      {"report_rate", "4"},        {"report_rate_wireless", "5"},
      {"dpi_index", "2"},          {"dpi_count", "6"},
      {"dpi_flag", "6"},           {"liftoff_height", "1"},
      {"button_respondtime", "8"}, {"sensor_flag", "80"},
      {"e-sports_flag", "1"},      {"sleep_light", "2"},
      {"dpi_group0_value", "300"}, {"dpi_group8_value", "1234"},
      {"dpi_group9_rgb", "4321"},
  };
  for (const auto& [key, value] : expected) EXPECT_EQ(p.Get(key), value) << key;
  EXPECT_EQ(p.state.sensor_type, 2);
  EXPECT_EQ(p.state.active_level, 2);
  EXPECT_EQ(p.state.image, rig.MouseImage());
  const auto slider = p.tk.Snapshot(settings::kDpiSlider);
  EXPECT_EQ(slider.range_max, 600);  // 612 only for the read at connection
  EXPECT_EQ(p.tk.GetTitle(settings::kDpiSliderMaxLabel), "30000");
  EXPECT_EQ(p.tk.GetTitle(settings::kDpiSliderMinLabel), "50");
}

TEST(SettingsRead, BytesOneAndTwoAreSplitAndLimited) {
  struct Case {
    uint8_t rates, levels;
    const char *cable, *wireless, *index, *count;
  } cases[] = {
      {0x77, 0x36, "6", "6", "2", "6"},
      {0x45, 0x17, "4", "5", "0", "7"},
      {0x0F, 0x06, "0", "6", "255", "6"},  // a zero level nibble wraps like a byte
      {0x30, 0xF1, "3", "0", "14", "1"},
  };
  Rig rig(Model::kK7Mouse);
  for (const Case& c : cases) {
    rig.SetMouseBytes(1, {c.rates, c.levels});
    settings::ReadSettingsImage(rig.ctx());
    EXPECT_EQ(rig.p().Get("report_rate"), c.cable) << int(c.rates);
    EXPECT_EQ(rig.p().Get("report_rate_wireless"), c.wireless) << int(c.rates);
    EXPECT_EQ(rig.p().Get("dpi_index"), c.index) << int(c.levels);
    EXPECT_EQ(rig.p().Get("dpi_count"), c.count) << int(c.levels);
  }
}

TEST(SettingsRead, LevelCodesDecodeBySensorType) {
  struct Case {
    uint8_t sensor;
    std::vector<uint8_t> code;
    const char* dpi;
  } cases[] = {
      {2, {0xB8, 0x88}, "35000"},
      {1, {0xB8, 0x88}, "1750050"},
      {2, {0x57, 0x02}, "30000"},
      {1, {0x07, 0x02}, "26000"},
  };
  Rig rig(Model::kK7Mouse);
  for (const Case& c : cases) {
    rig.SetMouseBytes(0, {c.sensor});
    rig.SetMouseBytes(11 + 2 * 3, c.code);
    settings::ReadSettingsImage(rig.ctx());
    EXPECT_EQ(rig.p().Get("dpi_group3_value"), c.dpi) << int(c.sensor);
  }
}

TEST(SettingsRead, ColoursArePackedRedFirst) {
  Rig rig(Model::kK7Mouse);
  rig.SetMouseBytes(27 + 3 * 7, {0x12, 0x34, 0x56});
  settings::ReadSettingsImage(rig.ctx());
  EXPECT_EQ(rig.p().Get("dpi_group7_rgb"), std::to_string(0x563412));
  EXPECT_EQ(rig.p().Get("dpi_group0_rgb"), "255");  // the mouse's red
}

TEST(SettingsRead, GetMouseData2UsesTheCachedInformationBlock) {
  Rig rig(Model::kK7Pro);
  rig.bus.SetBattery(rig.mouse, 55, true);
  rig.Start();  // the identity pass caches the block with the new battery
  devtest::RecordingPorts ports;
  rig.ctx().ports = ports.Ports();
  const auto& decoded = ports.decoded;

  EXPECT_TRUE(settings::GetMouseData2(rig.ctx()));

  const auto battery = rig.p().tk.Snapshot(kBattery);
  EXPECT_EQ(battery.battery, 55);
  EXPECT_TRUE(battery.charging);
  EXPECT_TRUE(
      rig.Traced(devtest::Info("GetMouseData2 当前电量信息: battery_value: 55, charge_flag: 1")));
  EXPECT_TRUE(rig.Traced(devtest::Info("GetMouseData2 report_max: 7")));
  EXPECT_TRUE(rig.Sent(0x02).empty()) << "the block comes from the cache";
  EXPECT_EQ(rig.p().state.report_max, 7);
  EXPECT_EQ(rig.p().state.level_limit, 6);

  const auto keys = rig.bus.KeyTable(rig.mouse);
  EXPECT_TRUE(std::equal(keys.begin(), keys.end(), rig.p().state.key_pages.begin()));
  ASSERT_EQ(decoded.size(), 8u);
  for (int n = 0; n < 8; ++n) {
    EXPECT_EQ(decoded[n],
              (std::array<uint8_t, 5>{static_cast<uint8_t>(n), keys[4 * n], keys[4 * n + 1],
                                      keys[4 * n + 2], keys[4 * n + 3]}));
  }
  EXPECT_EQ(rig.p().tk.Snapshot(settings::kDpiSlider).range_max, 612);
  EXPECT_EQ(rig.p().Get("dpi_group5_value"), "26000");
}

TEST(SettingsRead, ReceiverOfflineShowsCachedBatteryThenPostsCode3) {
  Rig rig(Model::kK7Mouse, Attachment::kReceiver);
  rig.bus.SetBattery(rig.mouse, 40, false);
  rig.Start();
  rig.bus.SetWirelessLink(rig.mouse, false);
  rig.bus.ClearLog();
  rig.p().Set("dpi_index", "5");

  EXPECT_FALSE(settings::GetMouseData2(rig.ctx()));

  EXPECT_EQ(rig.p().tk.Snapshot(kBattery).battery, 40);
  const auto posted = rig.p().Posted();
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].message, WM_DEVICE_STATUS);
  EXPECT_EQ(posted[0].wparam, 3);
  const auto sent = rig.Sent();
  ASSERT_EQ(sent.size(), 1u) << "only the online query";
  EXPECT_EQ(sent[0][4], 0x01);
  EXPECT_EQ(rig.p().Get("dpi_index"), "5");
}

// A scripted cable mouse for page failures the virtual mouse cannot aim at one page: pages
// are served from `info` and `image`, and the listed (command, page) reads always fail.
struct ScriptedMouse {
  std::array<uint8_t, 40> info{1, 101, 0x7A, 0x5D, 0x3A, 0x01, 0x01, 0x01, 0, 0, 0x3C};
  std::array<uint8_t, 60> image{};
  std::vector<std::pair<uint8_t, uint8_t>> failing;

  int Answer(uint8_t* b, size_t length) const {
    const uint8_t command = b[4], page = b[6];
    for (const auto& [c, a] : failing) {
      if (c == command && a == page) return -1;
    }
    std::memset(b + 5, 0, length - 5);
    b[2] = 0;
    if (command == 0x02 && page >= 0x80 && page <= 0x83) {
      std::memcpy(b + 6, info.data() + 10 * (page - 0x80), 10);
    } else if (command >= 0x0A && command <= 0x0F && page == 0x40 + command - 0x0A) {
      std::memcpy(b + 6, image.data() + 10 * (page - 0x40), 10);
    }
    return static_cast<int>(length);
  }
};

class ScriptedRig {
 public:
  explicit ScriptedRig(ScriptedMouse mouse) : mouse_(std::move(mouse)) {
    ws.WriteLanguageTexts(settings_test::SettingsTexts());
    bus.Add(devtest::Interface("/dev/hidraw-cmd", 0x7A5D, 0x3A01, 0xFF00, 1),
            [this](uint8_t* b, size_t n) { return mouse_.Answer(b, n); });
    comm.RegisterMode(0x7A5D, 0x3A01, "7A5D3A010101", 101, 0);
    comm.RebuildDeviceList();
    comm.SetSelectedType(101);
    std::filesystem::create_directories(ws.Dir() + "db");
    EXPECT_TRUE(ProfileStore::Instance().OpenForModel(ws.Dir(), "K7"));
    profile = RefreshProfileList(tk, ProfileStore::Instance());
    ctx.current_profile = [this] { return profile; };
    ctx.set_current_profile = [this](int p) { profile = p; };
    ws.ClearTrace();
  }
  ~ScriptedRig() { EXPECT_TRUE(ProfileStore::Instance().Close()); }
  std::string Get(const std::string& key) {
    std::string value;
    ProfileStore::Instance().ReadSetting(profile, key, value);
    return value;
  }
  int CountTraced(const std::string& line) const {
    const auto lines = ws.TraceLines();
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
  }

  platform::VirtualClock clock;
  devtest::Workspace ws{clock};
  devtest::FakeBus bus;
  DriverComm comm{bus, clock};
  ui::HeadlessToolkit tk;
  settings::SettingsState state;
  int profile = 0;
  settings::SettingsContext ctx{comm, ProfileStore::Instance(), tk, clock, state};

 private:
  ScriptedMouse mouse_;
};

TEST(SettingsRead, FailedFourthInformationPageShowsNoBattery) {
  ScriptedMouse mouse;
  mouse.failing = {{0x02, 0x83}};
  ScriptedRig rig(mouse);
  rig.profile = 0;  // GetMouseData must find the active profile itself

  EXPECT_TRUE(settings::GetMouseData(rig.ctx));

  EXPECT_FALSE(rig.tk.Touched(kBattery));
  EXPECT_EQ(rig.state.battery_value, 0);
  EXPECT_EQ(rig.profile, 1) << "the profile list was refreshed first";
  EXPECT_EQ(rig.CountTraced(devtest::Info("获取设备信息 成功, 01-101-122-93-58-01-01-01")), 3);
  EXPECT_EQ(rig.CountTraced(devtest::Error("获取设备信息错误, 命令 81")), 1);
}

TEST(SettingsRead, InformationPagesGiveBatteryAndLimits) {
  ScriptedMouse mouse;
  mouse.info[10] = 0x80 | 77;
  mouse.info[12] = 7;
  mouse.info[14] = 0x01;
  mouse.info[15] = 0x02;
  ScriptedRig rig(mouse);

  EXPECT_TRUE(settings::GetMouseData(rig.ctx));

  const auto battery = rig.tk.Snapshot(kBattery);
  EXPECT_EQ(battery.battery, 77);
  EXPECT_TRUE(battery.charging);
  EXPECT_EQ(rig.state.report_max, 7);
  EXPECT_EQ(rig.state.level_limit, 0x0102);
  EXPECT_EQ(rig.CountTraced(
                devtest::Info("GetMouseData 当前电量信息: battery_value: 77, charge_flag: 1")),
            1);
  EXPECT_EQ(rig.CountTraced(devtest::Info("GetMouseData report_max: 7")), 1);
}

TEST(SettingsRead, FailedLastPageSkipsItsGroupOnly) {
  ScriptedMouse mouse;
  mouse.image[4] = 17;
  mouse.failing = {{0x0F, 0x45}};
  ScriptedRig rig(mouse);
  rig.state.image[55] = 0xAA;  // left from an earlier read

  EXPECT_TRUE(settings::ReadSettingsImage(rig.ctx));

  EXPECT_EQ(rig.state.image[4], 17) << "pages that answered are kept";
  EXPECT_EQ(rig.state.image[55], 0xAA) << "the failed page keeps what it held";
  EXPECT_EQ(rig.Get("button_respondtime"), "8") << "nothing is stored";
}

TEST(SettingsRead, FailedLastKeyPageDecodesNoButtons) {
  ScriptedMouse mouse;
  mouse.failing = {{0x08, 0x03}};
  ScriptedRig rig(mouse);
  devtest::RecordingPorts ports;
  rig.ctx.ports = ports.Ports();
  rig.state.key_pages.fill(0xEE);

  EXPECT_TRUE(settings::ReadKeyTable(rig.ctx));

  EXPECT_TRUE(ports.decoded.empty());
  EXPECT_EQ(rig.state.key_pages[0], 0) << "the pages that answered are kept";
  EXPECT_EQ(rig.state.key_pages[35], 0xEE) << "the failed page keeps what it held";
}

}  // namespace
