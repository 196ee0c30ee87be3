// A person changes every setting on the pages; the worker sends them; the mouse keeps them;
// the program starts again on the same data folder and reads the same values back.
#include "settings_fixture.h"

namespace {

using settings_test::Program;
using settings_test::Rig;
using sim::Model;

namespace s = settings;

void Click(Program& p, int id) {
  p.tk.SetCheck(id, true);
  p.Notify(id, ui::kNotifyClicked);
}

void Choose(Program& p, int id, int64_t data) {
  ASSERT_TRUE(p.tk.SelectData(id, data)) << id << " " << data;
  p.Notify(id, ui::kNotifyClicked, data);
}

// After a read, the pages of a freshly started program show the chosen settings.
void ExpectPagesShowChosenSettings(Program& p) {
  EXPECT_EQ(p.tk.GetCurData(s::kLevelCountSelector), 4);
  EXPECT_EQ(p.tk.GetDPILevelCount(s::kDpiControl), 4);
  EXPECT_EQ(p.tk.GetDPISelected(s::kDpiControl), 1);
  EXPECT_EQ(p.tk.GetDPIValue(s::kDpiControl, 1), 5000);
  EXPECT_EQ(p.tk.GetDPIColorValue(s::kDpiControl, 1), 0xFF8040u);
  EXPECT_EQ(p.tk.GetPos(s::kDpiSlider), 100);
  EXPECT_EQ(p.tk.GetCurData(s::kReportRateList), s::kRate2000Hz);
  EXPECT_TRUE(p.tk.GetCheck(s::kLiftoffThird));
  EXPECT_FALSE(p.tk.GetCheck(s::kSensorOption1));
  EXPECT_TRUE(p.tk.GetCheck(s::kSensorOption2));
  EXPECT_FALSE(p.tk.GetCheck(s::kSensorOption3));
  EXPECT_TRUE(p.tk.GetCheck(s::kSensorOption4));
  EXPECT_TRUE(p.tk.GetCheck(s::kEsportsThird));
  EXPECT_EQ(p.tk.GetCurData(s::kSleepSelector), 60);
  EXPECT_EQ(p.tk.GetEditText(s::kDebounceField), "12");
}

TEST(SettingsEndToEnd, EveryChangeReachesTheMouseAndSurvivesARestart) {
  Rig rig(Model::kK7Pro);
  {
    Program& p = rig.p();
    ASSERT_TRUE(s::GetMouseData2(rig.ctx()));
    s::RefreshSettingsPage(rig.ctx());

    Choose(p, s::kLevelCountSelector, 4);
    p.Notify(s::kDpiControl, s::kDpiLevelSelected, 1);
    p.tk.SetPos(s::kDpiSlider, 99);
    p.Notify(s::kDpiSlider, ui::kNotifyChanged, 99);
    p.tk.SetPos(s::kDpiSlider, 100);
    p.Notify(s::kDpiSlider, ui::kNotifyClicked, 100);
    p.tk.QueueColorAnswer(0xFF8040u);
    p.Notify(s::kDpiControl, s::kDpiColourClicked, 1);
    Choose(p, s::kReportRateList, s::kRate2000Hz);
    Click(p, s::kLiftoffThird);
    p.tk.SetCheck(s::kLiftoffFirst, false);
    for (const auto& option : s::kSensorOptions) p.tk.SetCheck(option.control, false);
    Click(p, s::kSensorOption2);
    Click(p, s::kSensorOption4);
    p.tk.SetCheck(s::kEsportsSecond, false);
    Click(p, s::kEsportsThird);
    Choose(p, s::kSleepSelector, 60);
    p.tk.SetEditText(s::kDebounceField, "12");
    p.Notify(s::kDebounceField, s::kEditTextChanged);
    p.Notify(s::kDebounceField, ui::kNotifyClicked);

    p.RunTasks();
    EXPECT_TRUE(p.Posted().empty());
    EXPECT_FALSE(p.tk.ModalOpen(ui::ModalKind::kWait));
  }

  const auto image = rig.MouseImage();
  EXPECT_EQ(image[1], 0x66);             // 2000 Hz on both links
  EXPECT_EQ(image[2], (2 << 4) | 4);     // level 1 active of 4
  EXPECT_EQ(image[3], 3);                // third lift-off choice
  EXPECT_EQ(image[4], 12);               // debounce
  EXPECT_EQ(image[5], 0x03 | (2 << 6));  // options 2 and 4, e-sports mode 2
  EXPECT_EQ(image[8], 60);               // sleep
  EXPECT_EQ(image[13], 99);              // 5000 DPI
  EXPECT_EQ(image[14], 0);
  EXPECT_EQ(image[30], 0x40);  // red, green, blue of level 1
  EXPECT_EQ(image[31], 0x80);
  EXPECT_EQ(image[32], 0xFF);

  // Start again on the same folder. The rows already hold the choices; put the defaults back
  // so that only the read can bring them.
  rig.Start();
  Program& q = rig.p();
  EXPECT_EQ(q.Get("dpi_group1_value"), "5000");
  EXPECT_EQ(q.Get("sleep_light"), "60");
  for (const auto& key : s::DefaultSettingKeys()) q.Set(key.key, key.default_value);
  ASSERT_TRUE(s::GetMouseData2(rig.ctx()));
  s::RefreshSettingsPage(rig.ctx());

  EXPECT_EQ(q.Get("dpi_group1_value"), "5000");
  EXPECT_EQ(q.Get("dpi_group1_rgb"), std::to_string(0xFF8040));
  EXPECT_EQ(q.Get("report_rate"), "6");
  EXPECT_EQ(q.Get("report_rate_wireless"), "6");
  EXPECT_EQ(q.Get("sensor_flag"), std::to_string(0x83));
  EXPECT_EQ(q.Get("e-sports_flag"), "2");
  ExpectPagesShowChosenSettings(q);
}

// Through the receiver the same path works, with every write behind an online query.
TEST(SettingsEndToEnd, ReceiverWritesAreEachPrecededByTheOnlineQuery) {
  Rig rig(Model::kK7Mouse, sim::Attachment::kReceiver);
  Program& p = rig.p();
  ASSERT_TRUE(s::GetMouseData2(rig.ctx()));
  s::RefreshSettingsPage(rig.ctx());
  rig.bus.ClearLog();

  Choose(p, s::kSleepSelector, 120);
  Click(p, s::kLiftoffSecond);
  p.RunTasks();

  const auto sent = rig.Sent();
  ASSERT_EQ(sent.size(), 4u);
  EXPECT_EQ(sent[0][4], 0x01);
  EXPECT_EQ(sent[1][4], 0x31);
  EXPECT_EQ(sent[2][4], 0x01);
  EXPECT_EQ(sent[3][4], 0x32);
  EXPECT_EQ(rig.MouseImage()[8], 120);
  EXPECT_EQ(rig.MouseImage()[3], 2);
}

}  // namespace
