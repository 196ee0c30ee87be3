// What the DPI page and the performance page show for the stored settings.
#include "settings_fixture.h"

namespace {

using settings_test::Program;
using settings_test::Rig;
using sim::Attachment;
using sim::Model;

namespace s = settings;

std::string SelectedText(Program& p, int id) { return p.tk.GetItemText(id, p.tk.GetCurSel(id)); }

TEST(SettingsPage, InitialListsAndTitles) {
  Rig rig(Model::kK7Mouse);
  auto& tk = rig.p().tk;
  const std::vector<std::pair<std::string, int>> sleep = {
      {"T546", 0},   {"30T544", 1},  {"1T545", 2},   {"2T545", 4},   {"3T545", 6},
      {"5T545", 10}, {"10T545", 20}, {"30T545", 60}, {"60T545", 120}};
  ASSERT_EQ(tk.GetItemCount(s::kSleepSelector), 9);
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(tk.GetItemText(s::kSleepSelector, i), sleep[i].first);
    EXPECT_EQ(tk.GetItemData(s::kSleepSelector, i), sleep[i].second);
  }
  ASSERT_EQ(tk.GetItemCount(s::kLevelCountSelector), 7);
  EXPECT_EQ(tk.GetItemText(s::kLevelCountSelector, 6), "7");
  EXPECT_EQ(tk.GetCurData(s::kLevelCountSelector), 5);
  EXPECT_EQ(tk.GetItemCount(s::kReportRateList), 7);
  EXPECT_EQ(tk.GetTitle(s::kSensorOption3), "T517");
  EXPECT_EQ(tk.GetTitle(s::kEsportsThird), "T703");
  EXPECT_EQ(tk.GetTitle(s::kLiftoffThird), "3.0mm");
}

TEST(SettingsPage, ReportRateListFollowsReportMax) {
  struct Case {
    int report_max;
    const char* stored;
    int items;
    const char* shown;
  } cases[] = {
      {5, "5", 4, "1000Hz"}, {7, "5", 7, "4000Hz"}, {0, "3", 4, "125Hz"},
      {7, "4", 7, "8000Hz"}, {3, "4", 4, "1000Hz"},
  };
  for (const Case& c : cases) {
    Rig rig(Model::kK7Mouse);
    auto& p = rig.p();
    p.state.report_max = c.report_max;
    p.Set("report_rate", c.stored);
    s::RefreshSettingsPage(rig.ctx());
    EXPECT_EQ(p.tk.GetItemCount(s::kReportRateList), c.items) << c.report_max;
    EXPECT_EQ(SelectedText(p, s::kReportRateList), c.shown) << c.report_max << " " << c.stored;
    EXPECT_EQ(p.tk.IsEnabled(s::kSensorOption3), std::string(c.shown) != "8000Hz");
  }
}

TEST(SettingsPage, ReceiverShowsTheWirelessRate) {
  Rig rig(Model::kK7Mouse, Attachment::kReceiver);
  auto& p = rig.p();
  p.Set("report_rate", "3");
  p.Set("report_rate_wireless", "1");
  s::RefreshSettingsPage(rig.ctx());
  EXPECT_EQ(SelectedText(p, s::kReportRateList), "500Hz");
}

TEST(SettingsPage, ChoicesFromStoredText) {
  struct Case {
    const char *esports, *liftoff;
    int esports_checked, liftoff_checked;
  } cases[] = {
      {"0", "1", s::kEsportsFirst, s::kLiftoffFirst},
      {"1", "2", s::kEsportsSecond, s::kLiftoffSecond},
      {"7", "3", s::kEsportsThird, s::kLiftoffThird},
      {"", "9", s::kEsportsThird, s::kLiftoffFirst},
  };
  for (const Case& c : cases) {
    Rig rig(Model::kK7Mouse);
    auto& p = rig.p();
    p.Set("e-sports_flag", c.esports);
    p.Set("liftoff_height", c.liftoff);
    s::RefreshSettingsPage(rig.ctx());
    for (int id : {s::kEsportsFirst, s::kEsportsSecond, s::kEsportsThird}) {
      EXPECT_EQ(p.tk.GetCheck(id), id == c.esports_checked) << c.esports << " " << id;
    }
    for (int id : {s::kLiftoffFirst, s::kLiftoffSecond, s::kLiftoffThird}) {
      EXPECT_EQ(p.tk.GetCheck(id), id == c.liftoff_checked) << c.liftoff << " " << id;
    }
  }
}

TEST(SettingsPage, SensorOptionsFromBits) {
  struct Case {
    const char* flag;
    bool checks[4];
  } cases[] = {
      {"80", {true, false, false, false}},  // bit 6 (e-sports) is not an option
      {"51", {true, true, true, true}},     // 0x33
      {"0", {false, false, false, false}},
  };
  for (const Case& c : cases) {
    Rig rig(Model::kK7Mouse);
    auto& p = rig.p();
    const int options[] = {s::kSensorOption1, s::kSensorOption2, s::kSensorOption3,
                           s::kSensorOption4};
    for (int id : options) p.tk.SetCheck(id, true);
    p.Set("sensor_flag", c.flag);
    s::RefreshSettingsPage(rig.ctx());
    for (size_t i = 0; i < 4; ++i) {
      EXPECT_EQ(p.tk.GetCheck(options[i]), c.checks[i]) << c.flag << " " << i;
    }
  }
}

TEST(SettingsPage, SensorTypeRules) {
  struct Case {
    uint16_t type;
    const char* titles[3];
    bool third_visible, option4_visible, help_has_last_group;
  } cases[] = {
      {2, {"0.7mm", "1.0mm", "2.0mm"}, true, true, true},
      {1, {"1.0mm", "2.0mm", "3.0mm"}, false, false, false},
      {0, {"1.0mm", "2.0mm", "3.0mm"}, true, true, false},
  };
  const std::string base = "T503\nT505\nT506\nT509\n\nT507\nT508\n\nT511\nT512\nT510";
  for (const Case& c : cases) {
    Rig rig(Model::kK7Mouse);
    auto& p = rig.p();
    p.state.sensor_type = c.type;
    s::RefreshSettingsPage(rig.ctx());
    for (int i = 0; i < (c.type == 1 ? 2 : 3); ++i) {
      EXPECT_EQ(p.tk.GetTitle(s::kLiftoffFirst + i), c.titles[i]) << c.type;
    }
    EXPECT_EQ(p.tk.IsVisible(s::kLiftoffThird), c.third_visible) << c.type;
    EXPECT_EQ(p.tk.IsVisible(s::kSensorOption4), c.option4_visible) << c.type;
    EXPECT_EQ(p.tk.Snapshot(s::kSensorHelpTip).tooltip,
              c.help_has_last_group ? base + "\n\nT513\nT514" : base)
        << c.type;
  }
}

TEST(SettingsPage, ActiveLevelIsCheckedAgainstTheLevelLimit) {
  struct Case {
    int limit;
    const char* index;
    int shown;
    int slider;  // the shown level's DPI / 50
  } cases[] = {{0, "2", 0, 8}, {6, "2", 2, 32},  {6, "6", 6, 64},
               {6, "7", 0, 8}, {3, "3", 3, 100}, {6, "-1", 0, 8}};
  for (const Case& c : cases) {
    Rig rig(Model::kK7Mouse);
    auto& p = rig.p();
    p.state.level_limit = c.limit;
    p.Set("dpi_count", "7");
    p.Set("dpi_index", c.index);
    p.Set("dpi_group0_value", "400");
    p.Set("dpi_group2_value", "1600");
    p.Set("dpi_group3_value", "5000");
    p.Set("dpi_group6_value", "3200");
    s::RefreshSettingsPage(rig.ctx());
    EXPECT_EQ(p.tk.GetDPISelected(s::kDpiControl), c.shown) << c.limit << " " << c.index;
    EXPECT_EQ(p.tk.GetPos(s::kDpiSlider), c.slider) << c.limit << " " << c.index;
    EXPECT_EQ(p.tk.GetDPILevelCount(s::kDpiControl), 7);
  }
}

TEST(SettingsPage, StoredValuesReachTheControls) {
  Rig rig(Model::kK7Mouse);
  auto& p = rig.p();
  p.Set("button_respondtime", "11");
  p.Set("sleep_light", "60");
  p.Set("dpi_count", "3");
  p.Set("dpi_group1_value", "1250");
  p.Set("dpi_group1_rgb", "12345");
  s::RefreshSettingsPage(rig.ctx());
  EXPECT_EQ(p.tk.GetEditText(s::kDebounceField), "11");
  EXPECT_EQ(p.tk.GetCurData(s::kSleepSelector), 60);
  EXPECT_EQ(p.tk.GetCurData(s::kLevelCountSelector), 3);
  EXPECT_EQ(p.tk.GetDPILevelCount(s::kDpiControl), 3);
  EXPECT_EQ(p.tk.GetDPIValue(s::kDpiControl, 1), 1250);
  EXPECT_EQ(p.tk.GetDPIColorValue(s::kDpiControl, 1), 12345u);
}

TEST(SettingsPage, TheMouseSwitchingLevelsIsShownAndStored) {
  Rig rig(Model::kK7Mouse);
  auto& p = rig.p();
  p.Set("dpi_group4_value", "6400");
  s::ShowMouseDpiLevel(rig.ctx(), 4);
  EXPECT_EQ(p.Get("dpi_index"), "4");
  EXPECT_EQ(p.state.active_level, 4);
  EXPECT_EQ(p.tk.GetDPISelected(s::kDpiControl), 4);
  EXPECT_EQ(p.tk.GetPos(s::kDpiSlider), 128);
}

}  // namespace
