// Page handlers store first and queue a task; the task routines send what is stored. Frames
// are checked in the virtual mouse's log of received reports, and in its settings image.
#include <algorithm>
#include <functional>

#include "settings_fixture.h"
#include "support/recording_ports.h"

namespace {

using settings_test::Frame;
using settings_test::Program;
using settings_test::Rig;
using sim::Attachment;
using sim::Model;
using ui::ModalKind;

namespace s = settings;

// The person changes one setting; the task it queues sends exactly `frame` (bytes from 2).
struct FrameCase {
  const char* name;
  Model model;
  std::function<void(Rig&)> act;
  std::vector<int> tasks;
  std::vector<uint8_t> frame;
};

TEST(SettingsWrite, PageChangesSendTheseFrames) {
  const FrameCase cases[] = {
      {"level 2 of 6 at 3200, red",
       Model::kK7Mouse,
       [](Rig& rig) {
         rig.p().Set("dpi_count", "6");
         rig.p().Set("dpi_group2_value", "3200");
         rig.p().Set("dpi_group2_rgb", "255");
         s::RefreshSettingsPage(rig.ctx());
         rig.p().Notify(s::kDpiControl, s::kDpiLevelSelected, 2);
       },
       {11},
       {0x50, 0x06, 0x50, 0x3A, 0x00, 0x36, 0x3F, 0x00, 0xFF, 0x00, 0x00}},
      {"8000 Hz",
       Model::kK7Pro,
       [](Rig& rig) {
         rig.p().state.report_max = 7;
         s::RefreshSettingsPage(rig.ctx());
         ASSERT_TRUE(rig.p().tk.SelectData(s::kReportRateList, 4));
         rig.p().Notify(s::kReportRateList, ui::kNotifyClicked, 4);
       },
       {12},
       {0x50, 0x01, 0x31, 0x35, 0x01, 0x44}},
      {"lift-off 2, debounce 8, sensor 80, e-sports 1",
       Model::kK7Mouse,
       [](Rig& rig) {
         rig.p().Set("sensor_flag", "80");  // bit 6 from an earlier read
         rig.p().tk.SetEditText(s::kDebounceField, "8");
         rig.p().Notify(s::kDebounceField, s::kEditTextChanged);
         rig.p().tk.SetCheck(s::kLiftoffSecond, true);
         rig.p().Notify(s::kLiftoffSecond, ui::kNotifyClicked);
         rig.p().tk.SetCheck(s::kEsportsSecond, true);
         rig.p().Notify(s::kEsportsSecond, ui::kNotifyClicked);
       },
       {13, 13},
       {0x50, 0x03, 0x32, 0x35, 0x03, 0x02, 0x08, 0x50}},
      {"sleep item 10 minutes",
       Model::kK7Mouse,
       [](Rig& rig) {
         ASSERT_TRUE(rig.p().tk.SelectData(s::kSleepSelector, 20));
         rig.p().Notify(s::kSleepSelector, ui::kNotifyClicked, 20);
       },
       {14},
       {0x50, 0x01, 0x31, 0x35, 0x08, 0x14}},
  };
  for (const FrameCase& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig(c.model);
    c.act(rig);
    const std::vector<int> tasks = rig.p().TakeTasks();
    EXPECT_EQ(tasks, c.tasks);
    for (int code : tasks) rig.p().tasks.Append(code);
    rig.p().RunTasks();
    const auto sent = rig.Sent();
    ASSERT_EQ(sent.size(), c.tasks.size());
    EXPECT_EQ(sent.back(), Frame(c.frame));
    // What the mouse made of it: the data bytes land in its settings block.
    const auto image = rig.MouseImage();
    const uint8_t address = c.frame[4];
    if (c.frame[2] == 0x50) {  // the DPI level
      EXPECT_EQ(image[2], c.frame[5]);
      EXPECT_EQ(image[15], c.frame[6]);
      EXPECT_EQ(image[33], c.frame[8]);
    } else {
      for (size_t i = 5; i < c.frame.size(); ++i) EXPECT_EQ(image[address + i - 5], c.frame[i]);
    }
  }
}

// The worker's pause after each settings task and whether the task ends the wait dialog; the
// DPI write paces the mouse itself with 33 ms after its request.
TEST(SettingsWrite, TasksPauseAndEndTheWaitDialogAsListed) {
  struct Case {
    int code, pause_ms;
    bool closes_wait;
  } cases[] = {{7, 100, true},   {11, 500, false}, {12, 100, true}, {13, 500, false},
               {14, 500, false}, {17, 500, false}, {18, 100, true}};
  Rig rig(Model::kK7Mouse);
  for (const Case& c : cases) {
    const ui::TaskRoutine* routine = rig.p().table.Find(c.code);
    ASSERT_NE(routine, nullptr) << c.code;
    EXPECT_EQ(routine->pause_ms, c.pause_ms) << c.code;
    EXPECT_EQ(routine->closes_wait, c.closes_wait) << c.code;
  }

  rig.p().tasks.Append(11);
  rig.p().RunTasks();
  ASSERT_EQ(rig.Sent(0x50).size(), 1u);
  const std::vector<int> sleeps = rig.clock.Sleeps();
  ASSERT_FALSE(sleeps.empty());
  EXPECT_EQ(sleeps.back(), 33);
}

TEST(SettingsWrite, EightThousandHertzStoresBothKeysAndDisablesOption3) {
  Rig rig(Model::kK7Pro);
  auto& p = rig.p();
  p.state.report_max = 7;
  p.Set("sensor_flag", "48");  // options 1 and 3
  s::RefreshSettingsPage(rig.ctx());
  ASSERT_TRUE(p.tk.GetCheck(s::kSensorOption3));

  p.tk.SelectData(s::kReportRateList, 4);
  p.Notify(s::kReportRateList, ui::kNotifyClicked, 4);

  EXPECT_EQ(p.Get("report_rate"), "4");
  EXPECT_EQ(p.Get("report_rate_wireless"), "4");
  EXPECT_FALSE(p.tk.GetCheck(s::kSensorOption3));
  EXPECT_FALSE(p.tk.IsEnabled(s::kSensorOption3));
  EXPECT_EQ(p.tk.ModalBegins(ModalKind::kWait), 1);
  p.RunTasks();
  EXPECT_FALSE(p.tk.ModalOpen(ModalKind::kWait)) << "task 12 ends the wait dialog";

  p.tk.SelectData(s::kReportRateList, 0);
  p.Notify(s::kReportRateList, ui::kNotifyClicked, 0);
  EXPECT_TRUE(p.tk.IsEnabled(s::kSensorOption3));
  EXPECT_EQ(p.tk.ModalBegins(ModalKind::kWait), 2);
}

TEST(SettingsWrite, HandlersStoreWhatTheControlsShow) {
  struct Case {
    const char* name;
    std::function<void(Program&)> act;
    const char* key;
    const char* value;
    std::vector<int> tasks;
  } cases[] = {
      {"third lift-off choice",
       [](Program& p) {
         p.tk.SetCheck(s::kLiftoffThird, true);
         p.Notify(s::kLiftoffThird, 2);
       },
       "liftoff_height",
       "3",
       {13}},
      {"first lift-off choice",
       [](Program& p) {
         p.tk.SetCheck(s::kLiftoffFirst, true);
         p.Notify(s::kLiftoffFirst, 2);
       },
       "liftoff_height",
       "1",
       {13}},
      {"options 1 and 3",
       [](Program& p) {
         p.tk.SetCheck(s::kSensorOption1, true);
         p.tk.SetCheck(s::kSensorOption3, true);
         p.Notify(s::kSensorOption3, 2);
       },
       "sensor_flag",
       "48",
       {13}},
      {"options 2 and 4",
       [](Program& p) {
         p.tk.SetCheck(s::kSensorOption2, true);
         p.tk.SetCheck(s::kSensorOption4, true);
         p.Notify(s::kSensorOption4, 2);
       },
       "sensor_flag",
       "3",
       {13}},
      {"first e-sports mode",
       [](Program& p) {
         p.tk.SetCheck(s::kEsportsFirst, true);
         p.Notify(s::kEsportsFirst, 2);
       },
       "e-sports_flag",
       "0",
       {13}},
      {"third e-sports mode",
       [](Program& p) {
         p.tk.SetCheck(s::kEsportsThird, true);
         p.Notify(s::kEsportsThird, 2);
       },
       "e-sports_flag",
       "2",
       {13}},
      {"sleep never",
       [](Program& p) {
         p.tk.SelectData(s::kSleepSelector, 0);
         p.Notify(s::kSleepSelector, 2);
       },
       "sleep_light",
       "0",
       {14}},
      {"level 4 chosen",
       [](Program& p) {
         s::RefreshSettingsPage(p.context);
         p.Notify(s::kDpiControl, s::kDpiLevelSelected, 4);
       },
       "dpi_index",
       "4",
       {11}},
      {"send button", [](Program& p) { p.Notify(s::kDpiSendButton, 2); }, "dpi_index", "2", {11}},
      {"slider dragged: stored, not sent",
       [](Program& p) {
         p.state.level_limit = 6;            // as a read would have set it
         s::RefreshSettingsPage(p.context);  // level 2 selected
         p.tk.SetPos(s::kDpiSlider, 70);
         p.Notify(s::kDpiSlider, ui::kNotifyChanged, 70);
       },
       "dpi_group2_value",
       "3500",
       {}},
      {"slider released",
       [](Program& p) {
         p.state.level_limit = 6;
         s::RefreshSettingsPage(p.context);
         p.tk.SetPos(s::kDpiSlider, 71);
         p.Notify(s::kDpiSlider, ui::kNotifyClicked, 71);
       },
       "dpi_group2_value",
       "3550",
       {11}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig(Model::kK7Mouse);
    c.act(rig.p());
    EXPECT_EQ(rig.p().Get(c.key), c.value);
    EXPECT_EQ(rig.p().TakeTasks(), c.tasks);
  }
}

TEST(SettingsWrite, WideSensorSliderStopsAt30000) {
  Rig rig(Model::kK7Pro);
  auto& p = rig.p();
  p.state.sensor_type = 2;
  p.state.level_limit = 6;
  s::RefreshSettingsPage(rig.ctx());
  p.tk.SetPos(s::kDpiSlider, 612);
  p.Notify(s::kDpiSlider, ui::kNotifyClicked, 612);
  EXPECT_EQ(p.Get("dpi_group2_value"), "30000");
  EXPECT_EQ(p.tk.GetDPIValue(s::kDpiControl, 2), 30000);
}

TEST(SettingsWrite, ColourDialogAppliesOnlyAColour) {
  struct Case {
    std::optional<uint32_t> answer;
    const char* stored;
    std::vector<int> tasks;
  } cases[] = {
      {0x00FF8040u, "16744512", {11}},
      {std::nullopt, "65280", {}},  // cancelled
      {0u, "65280", {}},            // black is never applied
  };
  for (const Case& c : cases) {
    Rig rig(Model::kK7Mouse);
    auto& p = rig.p();
    s::RefreshSettingsPage(rig.ctx());
    p.tk.QueueColorAnswer(c.answer);
    p.Notify(s::kDpiControl, s::kDpiColourClicked, 1);
    EXPECT_EQ(p.Get("dpi_group1_rgb"), c.stored);
    EXPECT_EQ(p.Get("dpi_index"), c.tasks.empty() ? "2" : "1");
    EXPECT_EQ(p.TakeTasks(), c.tasks);
  }
}

TEST(SettingsWrite, LevelCountPullsTheActiveLevelIn) {
  Rig rig(Model::kK7Mouse);
  auto& p = rig.p();
  p.Set("dpi_index", "4");
  p.tk.SelectData(s::kLevelCountSelector, 3);
  p.Notify(s::kLevelCountSelector, ui::kNotifyClicked, 3);

  EXPECT_EQ(p.Get("dpi_count"), "3");
  EXPECT_EQ(p.Get("dpi_index"), "2");
  EXPECT_EQ(p.tk.GetDPILevelCount(s::kDpiControl), 3);
  EXPECT_EQ(p.tk.GetDPISelected(s::kDpiControl), 2);
  EXPECT_EQ(p.tk.GetDPIValue(s::kDpiControl, 2), 1600);
  EXPECT_EQ(p.tk.GetDPIColorValue(s::kDpiControl, 1), 65280u);
  EXPECT_EQ(p.TakeTasks(), std::vector<int>{11});

  // A count that still holds the level keeps it.
  p.tk.SelectData(s::kLevelCountSelector, 7);
  p.Notify(s::kLevelCountSelector, ui::kNotifyClicked, 7);
  EXPECT_EQ(p.Get("dpi_index"), "2");
  EXPECT_EQ(p.Get("dpi_count"), "7");
}

TEST(SettingsWrite, DebounceFieldKeepsZeroToTwenty) {
  struct Case {
    const char* typed;
    const char* shown;
  } cases[] = {{"35", "20"}, {"7", "7"}, {"", "0"}, {"-4", "0"}, {"12x", "12"}, {"020", "20"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    Rig rig(Model::kK7Mouse);
    auto& p = rig.p();
    p.tk.SetEditText(s::kDebounceField, c.typed);
    p.Notify(s::kDebounceField, s::kEditTextChanged);
    EXPECT_EQ(p.tk.GetEditText(s::kDebounceField), c.shown);
    EXPECT_EQ(p.Get("button_respondtime"), c.shown);
    EXPECT_TRUE(p.TakeTasks().empty()) << "nothing is sent while typing";
    p.Notify(s::kDebounceField, ui::kNotifyClicked);
    EXPECT_EQ(p.TakeTasks(), std::vector<int>{13});
  }
}

TEST(SettingsWrite, ReportRateResetFollowsTheModel) {
  struct Case {
    int device_type;
    const char* rate;
  } cases[] = {{201, "3"}, {200, "2"}, {101, "2"}};
  for (const Case& c : cases) {
    Rig rig(Model::kK7Mouse);
    auto& p = rig.p();
    p.type = c.device_type;
    p.Set("report_rate_wireless", "5");
    p.Notify(s::kReportRateResetButton, ui::kNotifyClicked);
    EXPECT_EQ(p.Get("report_rate"), c.rate) << c.device_type;
    EXPECT_EQ(p.Get("report_rate_wireless"), c.rate) << "the mouse gets it for both links";
    EXPECT_EQ(p.tk.GetCurData(s::kReportRateList), std::stoi(c.rate));
    EXPECT_EQ(p.TakeTasks(), std::vector<int>{12});
    EXPECT_EQ(p.tk.ModalBegins(ModalKind::kWait), 1);
    const auto messages = p.tk.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].title, "T257");
    EXPECT_EQ(messages[0].message, "T259");
  }
}

TEST(SettingsWrite, CancelledMessageBoxesChangeNothing) {
  for (int control : {s::kSettingsResetButton, s::kReportRateResetButton, s::kFactoryResetButton}) {
    SCOPED_TRACE(control);
    Rig rig(Model::kK7Mouse);
    auto& p = rig.p();
    p.tk.QueueMessageAnswer(ui::kResultCancel);
    p.Notify(control, ui::kNotifyClicked);
    EXPECT_EQ(p.tk.Messages().size(), 1u);
    EXPECT_TRUE(p.TakeTasks().empty());
    EXPECT_EQ(p.Get("report_rate"), "0");
    EXPECT_EQ(p.state.pending_section, 0);
    EXPECT_EQ(p.tk.ModalBegins(ModalKind::kWait), 0);
  }
}

// A block read without an active level stores 255; the write still names a real level.
TEST(SettingsWrite, ActiveLevelOutsideTheMouseGoesAsLevel0) {
  for (const char* index : {"255", "8", "-1"}) {
    Rig rig(Model::kK7Mouse);
    auto& p = rig.p();
    p.Set("dpi_index", index);
    p.tasks.Append(11);
    p.RunTasks();
    const auto sent = rig.Sent(0x50);
    ASSERT_EQ(sent.size(), 1u) << index;
    EXPECT_EQ(sent[0][7], (1 << 4) | 6) << index;
    EXPECT_EQ(sent[0][8], 7) << "level 0's 400 DPI";
    EXPECT_EQ(rig.MouseImage()[2], (1 << 4) | 6) << "the mouse took it";
  }
}

TEST(SettingsWrite, AsleepMouseStoresButSendsNothing) {
  Rig rig(Model::kK7Mouse, Attachment::kReceiver);
  auto& p = rig.p();
  p.state.level_limit = 6;
  s::RefreshSettingsPage(rig.ctx());
  rig.bus.SetWirelessLink(rig.mouse, false);
  rig.bus.ClearLog();

  p.tk.SetPos(s::kDpiSlider, 90);
  p.Notify(s::kDpiSlider, ui::kNotifyClicked, 90);
  EXPECT_EQ(p.Get("dpi_group2_value"), "4500");
  p.RunTasks();

  const auto posted = p.Posted();
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].message, WM_DEVICE_STATUS);
  EXPECT_EQ(posted[0].wparam, 1);
  const auto sent = rig.Sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0][4], 0x01) << "only the online query";

  // Back online, the next write sends the stored value.
  rig.bus.SetWirelessLink(rig.mouse, true);
  p.Notify(s::kDpiSendButton, ui::kNotifyClicked);
  p.RunTasks();
  EXPECT_EQ(rig.MouseImage()[15], 89) << "4500 / 50 - 1";
  EXPECT_EQ(rig.MouseImage()[16], 0);
}

TEST(SettingsWrite, EveryWriterChecksTheLinkFirst) {
  Rig rig(Model::kK7Mouse, Attachment::kReceiver);
  auto& p = rig.p();
  rig.bus.SetWirelessLink(rig.mouse, false);
  rig.bus.ClearLog();
  p.state.pending_section = 2;
  const int codes[] = {11, 12, 13, 14, 17, 18, 7};
  for (int code : codes) p.tasks.Append(code);
  p.RunTasks();
  std::vector<int64_t> reasons;
  for (const auto& m : p.Posted()) reasons.push_back(m.wparam);
  EXPECT_EQ(reasons, (std::vector<int64_t>{1, 1, 1, 1, 1, 1, 3}));
  for (const auto& frame : rig.Sent()) EXPECT_EQ(frame[4], 0x01);
  EXPECT_EQ(p.state.pending_section, 2);
}

// The profile's whole block over a block never read: every known byte from the store, the
// unknown ones zero.
TEST(SettingsWrite, ApplyProfileOnAnUnreadImage) {
  Rig rig(Model::kK7Mouse);
  devtest::RecordingPorts ports;
  rig.ctx().ports = ports.Ports();
  const auto& order = ports.calls;
  const auto before = rig.MouseImage();

  s::ApplyProfile(rig.ctx());

  EXPECT_EQ(order, (std::vector<std::string>{"buttons", "macros", "keys"}));
  const auto sent = rig.Sent();
  ASSERT_EQ(sent.size(), 6u);
  std::array<uint8_t, 51> image{};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(sent[i][4], 0x90 + i);
    EXPECT_EQ(sent[i][5], 0x36);
    EXPECT_EQ(sent[i][6], 10 * i);
    EXPECT_EQ(sent[i][3], 10);
    std::copy_n(sent[i].begin() + 7, 10, image.begin() + 10 * i);
  }
  EXPECT_EQ(sent[5], Frame({0x50, 0x01, 0x96, 0x37, 0x32, 0x20}));
  image[50] = sent[5][7];
  // Defaults of a new profile on a sensor of type 0: levels 6 and 7 store 0 and go as 50.
  const std::array<uint8_t, 51> expected = {
      0x00, 0x00, 0x36, 0x01, 0x08, 0x50, 0x00, 0x00, 0x02, 0x00, 0x00,  // 0..10
      0x07, 0x00, 0x0F, 0x00, 0x1F, 0x00, 0x3F, 0x00, 0x7F, 0x00, 0x07, 0x02, 0x00, 0x00, 0x00,
      0x00,                                                                    // 11..26
      0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0xFF, 0xFF,  // 27..38
      0xFF, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0xFF, 0xA3, 0x20, 0xFF, 0xA3, 0x20,  // 39..50
  };
  EXPECT_EQ(image, expected);
  const auto after = rig.MouseImage();
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), after.begin()));
  EXPECT_TRUE(std::equal(before.begin() + 51, before.end(), after.begin() + 51))
      << "bytes 51..59 are not sent";
}

TEST(SettingsWrite, ApplyProfileKeepsBytesItDoesNotKnow) {
  Rig rig(Model::kK7Pro);
  auto& p = rig.p();
  rig.SetMouseBytes(6, {0xAB, 0xCD});
  rig.SetMouseBytes(9, {0xEF});
  ASSERT_TRUE(s::GetMouseData2(rig.ctx()));
  p.Set("dpi_group7_value", "40000");
  p.Set("report_rate", "5");
  rig.bus.ClearLog();

  s::ApplyProfile(rig.ctx());

  const auto image = rig.MouseImage();
  EXPECT_EQ(image[0], 2);
  EXPECT_EQ(image[1], 0x55);
  EXPECT_EQ(image[6], 0xAB);
  EXPECT_EQ(image[7], 0xCD);
  EXPECT_EQ(image[9], 0xEF);
  EXPECT_EQ(image[25], 40000 & 0xFF);  // wide sensor: the value itself
  EXPECT_EQ(image[26], 40000 >> 8);
  EXPECT_EQ(p.state.image[1], 0x01) << "a write never changes the image last read";
}

TEST(SettingsWrite, ApplyProfileGoesOnAfterAFailedPart) {
  Rig rig(Model::kK7Mouse);
  rig.bus.InjectFault(rig.mouse, sim::Connection::kCable, sim::Fault::kCommandFailed, 3);
  s::ApplyProfile(rig.ctx());
  const auto sent = rig.Sent();
  ASSERT_EQ(sent.size(), 8u) << "part 0 three times, then the rest once";
  EXPECT_EQ(sent[2][4], 0x90);
  EXPECT_EQ(sent[3][4], 0x91);
  EXPECT_EQ(sent[7][4], 0x96);
}

TEST(SettingsWrite, SettingsResetRestoresAndReadsBack) {
  Rig rig(Model::kK7Mouse);
  auto& p = rig.p();
  rig.SetMouseBytes(4, {15});
  ASSERT_TRUE(s::GetMouseData2(rig.ctx()));
  EXPECT_EQ(p.Get("button_respondtime"), "15");

  p.tk.QueueMessageAnswer(ui::kResultOk);
  p.Notify(s::kSettingsResetButton, ui::kNotifyClicked);
  EXPECT_EQ(p.state.pending_section, 2);
  const auto messages = p.tk.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].title, "T253");
  EXPECT_EQ(messages[0].message, "T258");

  // The first try is refused three times: the section stays pending.
  rig.bus.InjectFault(rig.mouse, sim::Connection::kCable, sim::Fault::kCommandFailed, 3);
  p.RunTasks();
  EXPECT_EQ(p.state.pending_section, 2);
  EXPECT_EQ(p.Get("button_respondtime"), "15");

  p.tasks.Append(17);
  p.RunTasks();
  EXPECT_EQ(rig.bus.State(rig.mouse).restores.at(2), 1);
  EXPECT_EQ(p.state.pending_section, 0);
  EXPECT_EQ(p.Get("button_respondtime"), "8");
  EXPECT_EQ(p.tk.GetEditText(s::kDebounceField), "8") << "the page shows the restored value";

  // A restore queued twice finds nothing pending the second time: no restore of "section 0".
  const size_t restores_sent = rig.Sent(0x0F).size();
  p.tasks.Append(17);
  p.RunTasks();
  EXPECT_EQ(rig.Sent(0x0F).size(), restores_sent);
  EXPECT_EQ(rig.bus.State(rig.mouse).restores.count(0), 0u);
}

TEST(SettingsWrite, SectionRestoresRunTheirReadBack) {
  struct Case {
    int section;
    const char* hook;
  } cases[] = {{1, "buttons"}, {3, "lighting"}, {4, "macro list"}};
  for (const Case& c : cases) {
    Rig rig(Model::kK7Mouse);
    devtest::RecordingPorts ports;
    rig.ctx().ports = ports.Ports();
    const auto& ran = ports.calls;
    const auto& decoded = ports.decoded;
    rig.p().state.pending_section = c.section;
    rig.p().tasks.Append(17);
    rig.p().RunTasks();
    EXPECT_EQ(ran, std::vector<std::string>{c.hook}) << c.section;
    EXPECT_EQ(decoded.size(), c.section == 1 ? 8u : 0u) << c.section;
    EXPECT_EQ(rig.bus.State(rig.mouse).restores.at(c.section), 1);
    EXPECT_EQ(rig.p().state.pending_section, 0);
  }
}

TEST(SettingsWrite, FactoryResetRestoresEverythingAndReadsItAll) {
  Rig rig(Model::kK7Pro);
  auto& p = rig.p();
  p.Set("lock_leftkey", "1");
  p.Set("lock_rightkey", "1");
  p.Set("sleep_light", "120");
  rig.SetMouseBytes(8, {120});
  devtest::RecordingPorts ports;
  rig.ctx().ports = ports.Ports();

  p.tk.QueueMessageAnswer(ui::kResultOk);
  p.Notify(s::kFactoryResetButton, ui::kNotifyClicked);
  EXPECT_TRUE(p.tk.ModalOpen(ModalKind::kWait));
  const auto messages = p.tk.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].title, "T570");
  EXPECT_EQ(messages[0].message, "T571");
  p.RunTasks();

  EXPECT_FALSE(p.tk.ModalOpen(ModalKind::kWait));
  EXPECT_EQ(rig.bus.State(rig.mouse).restores.at(0xFF), 1);
  EXPECT_EQ(p.Get("lock_leftkey"), "0");
  EXPECT_EQ(p.Get("lock_rightkey"), "0");
  EXPECT_EQ(p.Get("sleep_light"), "2") << "read back from the restored mouse";
  EXPECT_EQ(p.tk.GetCurData(s::kSleepSelector), 2);
  EXPECT_EQ(std::count(ports.calls.begin(), ports.calls.end(), "macro list"), 1);
  EXPECT_EQ(rig.Sent(0x02).size(), 4u) << "the four information pages";
}

}  // namespace
