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
