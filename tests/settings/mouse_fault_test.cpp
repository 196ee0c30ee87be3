// A mouse that stays busy and a mouse unplugged during a profile apply: the channel gives up
// within its bound, the person is told, and the store keeps what the mouse acknowledged.
#include <string>
#include <vector>

#include "settings_fixture.h"

namespace {

using settings_test::Rig;
using sim::Connection;
using sim::Fault;
using sim::Model;

namespace s = settings;

std::vector<int> Texts() {
  std::vector<int> texts = settings_test::SettingsTexts();
  texts.push_back(2401);
  texts.push_back(2402);
  return texts;
}

struct Told {
  explicit Told(Rig& rig) {
    rig.ctx().report_problem = [this](const std::string& text) { lines.push_back(text); };
  }
  std::vector<std::string> lines;
};

TEST(MouseFaults, ABusyMouseReadEndsWithinTheBoundAndSaysItDidNotAnswer) {
  Rig rig(Model::kK7Mouse, sim::Attachment::kCable, Texts());
  ASSERT_TRUE(s::GetMouseData2(rig.ctx()));
  rig.p().Set(s::DpiValueKey(0), "1600");
  Told told(rig);
  rig.bus.InjectFault(rig.mouse, Connection::kCable, Fault::kBusyForever);

  const uint64_t start = rig.clock.TickCount();
  rig.p().comm.BeginSequence();
  EXPECT_FALSE(s::GetMouseData2(rig.ctx()));
  rig.p().comm.EndSequence();

  // Ten pages of three attempts would take 7.5 s; the bound (3 s) cuts it during one page.
  EXPECT_LT(rig.clock.TickCount() - start, 4000u);
  EXPECT_EQ(told.lines, std::vector<std::string>{"T2401"});
  EXPECT_EQ(rig.p().Get(s::DpiValueKey(0)), "1600") << "nothing read, nothing overwritten";
}

TEST(MouseFaults, ADpiWriteTheBusyMouseDidNotAcknowledgeIsPutBack) {
  Rig rig(Model::kK7Mouse, sim::Attachment::kCable, Texts());
  rig.SetMouseBytes(2, {0x15});  // level 1 of 5 active
  ASSERT_TRUE(s::GetMouseData2(rig.ctx()));
  const std::string mouse_value = rig.p().Get(s::DpiValueKey(2));
  ASSERT_EQ(rig.p().Get(s::kDpiIndex), "0");
  Told told(rig);
  rig.p().Set(s::kDpiIndex, "2");
  rig.p().Set(s::DpiValueKey(2), "5000");
  rig.p().tk.SetDPISelected(s::kDpiControl, 2);  // as the person chose it
  rig.bus.InjectFault(rig.mouse, Connection::kCable, Fault::kBusyForever);

  rig.p().comm.BeginSequence();
  s::WriteDpiLevel(rig.ctx());
  rig.p().comm.EndSequence();

  EXPECT_EQ(told.lines, std::vector<std::string>{"T2401"});
  EXPECT_EQ(rig.p().Get(s::kDpiIndex), "0");
  EXPECT_EQ(rig.p().Get(s::DpiValueKey(2)), mouse_value);
  EXPECT_EQ(rig.p().state.active_level, 0);
  // The page shows the level the store went back to.
  EXPECT_EQ(rig.p().tk.GetDPISelected(s::kDpiControl), 0);
}

// Every settings write the mouse did not acknowledge puts the store and the page back to what
// the mouse holds; nothing else is touched.
TEST(MouseFaults, EveryRefusedSettingsWriteIsPutBack) {
  using Check = bool (*)(ui::HeadlessToolkit&);
  struct Case {
    const char* name;
    const char* key;
    const char* held;   // stored from the mouse's bytes below
    const char* asked;  // what the page stored
    void (*write)(s::SettingsContext&);
    Check page;  // the page shows the held value
  };
  const Case cases[] = {
      {"report rate", s::kReportRate, "3", "1", s::WriteReportRate,
       [](ui::HeadlessToolkit& tk) { return tk.GetCurData(s::kReportRateList) == 3; }},
      {"lift-off", s::kLiftoffHeight, "2", "3", s::WritePerformance,
       [](ui::HeadlessToolkit& tk) { return tk.GetCheck(s::kLiftoffSecond); }},
      {"debounce", s::kButtonRespondTime, "8", "20", s::WritePerformance,
       [](ui::HeadlessToolkit& tk) { return tk.GetEditText(s::kDebounceField) == "8"; }},
      {"sensor option", s::kSensorFlag, "81", "80", s::WritePerformance,
       [](ui::HeadlessToolkit& tk) { return tk.GetCheck(s::kSensorOption2); }},
      {"e-sports mode", s::kEsportsFlag, "1", "2", s::WritePerformance,
       [](ui::HeadlessToolkit& tk) { return tk.GetCheck(s::kEsportsSecond); }},
      {"sleep time", s::kSleepLight, "2", "6", s::WriteSleepTime,
       [](ui::HeadlessToolkit& tk) { return tk.GetCurData(s::kSleepSelector) == 2; }},
  };
  struct NoAck {
    const char* name;
    Fault fault;
    int count;
    bool told;  // "the mouse did not answer"
  };
  // (The virtual mouse carries a command out even while it answers busy; a refused command
  // it does not.)
  const NoAck faults[] = {{"busy", Fault::kBusyForever, 1, true},
                          {"refused", Fault::kCommandFailed, 3, false}};
  for (const NoAck& f : faults) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(f.name) + ", " + c.name);
      Rig rig(Model::kK7Mouse, sim::Attachment::kCable, Texts());
      // Rates 1000 Hz, lift-off 2, debounce 8, sensor bit 0x01 with e-sports mode 1, sleep 2.
      rig.SetMouseBytes(1, {0x33, 0x15, 2, 8, 0x51});
      rig.SetMouseBytes(8, {2});
      ASSERT_TRUE(s::GetMouseData2(rig.ctx()));
      ASSERT_EQ(rig.p().Get(c.key), c.held);
      const std::string dpi = rig.p().Get(s::DpiValueKey(0));
      const auto image = rig.MouseImage();
      Told told(rig);
      rig.p().Set(c.key, c.asked);
      rig.bus.InjectFault(rig.mouse, Connection::kCable, f.fault, f.count);

      rig.p().comm.BeginSequence();
      c.write(rig.ctx());
      rig.p().comm.EndSequence();

      EXPECT_EQ(rig.p().Get(c.key), c.held);
      EXPECT_TRUE(c.page(rig.p().tk));
      EXPECT_EQ(rig.p().Get(s::DpiValueKey(0)), dpi);
      if (f.fault == Fault::kCommandFailed) {
        EXPECT_EQ(rig.MouseImage(), image);
      }
      EXPECT_EQ(told.lines,
                f.told ? std::vector<std::string>{"T2401"} : std::vector<std::string>{});
    }
  }
}

// After an acknowledged write, a refused one goes back to the acknowledged value, not to the
// one read before it.
TEST(MouseFaults, APutBackReturnsToTheLastAcknowledgedValue) {
  Rig rig(Model::kK7Mouse, sim::Attachment::kCable, Texts());
  rig.SetMouseBytes(8, {2});
  ASSERT_TRUE(s::GetMouseData2(rig.ctx()));
  rig.p().Set(s::kSleepLight, "4");
  s::WriteSleepTime(rig.ctx());
  ASSERT_EQ(rig.MouseImage()[8], 4);
  rig.p().Set(s::kSleepLight, "6");
  rig.bus.InjectFault(rig.mouse, Connection::kCable, Fault::kCommandFailed, 3);
  s::WriteSleepTime(rig.ctx());
  EXPECT_EQ(rig.p().Get(s::kSleepLight), "4");
  EXPECT_EQ(rig.p().tk.GetCurData(s::kSleepSelector), 4);
}

// Through the receiver a busy mouse is not offline: the window stays connected, no
// device-status message, the person is told it did not answer, and the DPI goes back.
TEST(MouseFaults, ABusyMouseBehindTheReceiverDidNotAnswerAndIsNotOffline) {
  Rig rig(Model::kK7Mouse, sim::Attachment::kReceiver, Texts());
  rig.SetMouseBytes(2, {0x15});
  ASSERT_TRUE(s::GetMouseData2(rig.ctx()));
  const std::string held = rig.p().Get(s::DpiValueKey(0));
  rig.p().Set(s::DpiValueKey(0), "5000");
  Told told(rig);
  rig.bus.InjectFault(rig.mouse, Connection::kReceiver, Fault::kBusyForever);
  rig.bus.ClearLog();

  rig.p().comm.BeginSequence();
  s::WriteDpiLevel(rig.ctx());
  rig.p().comm.EndSequence();

  EXPECT_EQ(told.lines, std::vector<std::string>{"T2401"});
  EXPECT_TRUE(rig.p().Posted().empty()) << "no WM_DEVICE_STATUS: the mouse is not offline";
  EXPECT_EQ(rig.p().Get(s::DpiValueKey(0)), held);
  EXPECT_TRUE(rig.Sent(0x50).empty()) << "the DPI frame is not sent to a mouse that is busy";
}

TEST(MouseFaults, AMouseSwitchedOffBehindTheReceiverIsOffline) {
  Rig rig(Model::kK7Mouse, sim::Attachment::kReceiver, Texts());
  ASSERT_TRUE(s::GetMouseData2(rig.ctx()));
  Told told(rig);
  rig.bus.SetWirelessLink(rig.mouse, false);
  rig.p().tk.PendingMessages();

  rig.p().comm.BeginSequence();
  s::WriteDpiLevel(rig.ctx());
  rig.p().comm.EndSequence();

  const auto posted = rig.p().Posted();
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].message, WM_DEVICE_STATUS);
  EXPECT_EQ(posted[0].wparam, 1);
  EXPECT_TRUE(told.lines.empty());
}

TEST(MouseFaults, AStopEndsTheRetriesAtOnce) {
  Rig rig(Model::kK7Mouse, sim::Attachment::kCable, Texts());
  rig.bus.InjectFault(rig.mouse, Connection::kCable, Fault::kBusyForever);
  rig.p().comm.RequestStop();
  CommandFrame frame = device::MakeCommandFrame(0x0A, 0x4F, 0x40);
  const uint64_t start = rig.clock.TickCount();
  EXPECT_EQ(rig.p().comm.GetFeatureReportRetry(frame), device::kRetryFailed);
  EXPECT_EQ(rig.clock.TickCount(), start);
  EXPECT_TRUE(rig.Sent().empty());
  EXPECT_TRUE(rig.p().comm.SequenceUnanswered());
}

TEST(MouseFaults, AnInterruptedApplyIsToldAndSentAgainBeforeTheMouseIsRead) {
  for (int frames : {1, 3}) {
    SCOPED_TRACE(frames);
    Rig rig(Model::kK7Mouse, sim::Attachment::kCable, Texts());
    ASSERT_TRUE(s::GetMouseData2(rig.ctx()));
    const std::string mouse_value = rig.p().Get(s::DpiValueKey(0));
    ASSERT_NE(mouse_value, "1200");
    rig.p().Set(s::DpiValueKey(0), "1200");
    Told told(rig);
    rig.bus.InjectFault(rig.mouse, Connection::kCable, Fault::kUnplugAfter, frames);

    s::ApplyProfile(rig.ctx());
    EXPECT_EQ(told.lines, std::vector<std::string>{"T2402"});
    EXPECT_TRUE(rig.p().state.apply_pending);

    rig.bus.Plug(rig.mouse, Connection::kCable);
    rig.p().comm.RebuildDeviceList();
    rig.bus.ClearLog();
    ASSERT_TRUE(s::GetMouseData2(rig.ctx()));

    const auto sent = rig.Sent();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent[0][4], 0x90) << "the apply goes first";
    EXPECT_FALSE(rig.p().state.apply_pending);
    EXPECT_EQ(rig.p().Get(s::DpiValueKey(0)), "1200") << "the profile's value is kept";
  }
}

}  // namespace
