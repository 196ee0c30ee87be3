// The macro upload against the virtual mouse: every frame's bytes, the pauses, the receiver
// hand-shake, the block checksums, and the refusals.
#include <gtest/gtest.h>

#include <numeric>

#include "macros/macro_fixture.h"
#include "ui/window_messages.h"

namespace {

using macrotest::Event;
using macrotest::MacroRig;
using settings_test::Frame;
using Bytes = std::vector<uint8_t>;

const std::vector<MacroEventRecord> kPressA100 = {Event(2, 0x41, "\u2193  A"), Event(1, 100),
                                                  Event(3, 0x41, "\u2191  A")};

// The long-data frames the mouse received, in order.
std::vector<Bytes> LongFrames(MacroRig& r) {
  std::vector<Bytes> out;
  for (const Bytes& f : r.rig.Sent()) {
    if (f[2] == 0x65) out.push_back(f);
  }
  return out;
}

TEST(MacroUpload, OneKeyPressByCableFrameByFrame) {
  MacroRig r;
  r.AssignToButton(3, r.AddMacro(kPressA100));
  r.rig.bus.ClearLog();
  r.rig.clock.ClearSleeps();

  EXPECT_TRUE(r.macros->UploadMacros());

  const Bytes image = {0x04, 0x00, 0x09, 0x00, 0x06, 0x41, 0x42, 0x43, 0x44, 0x45,
                       0x46, 0x00, 0x00, 0x64, 0x04, 0x80, 0x00, 0x01, 0x04};
  EXPECT_EQ(r.rig.bus.MacroMemory(r.rig.mouse), image);
  EXPECT_TRUE(r.rig.bus.LastMacroTransfer(r.rig.mouse).accepted);

  std::vector<uint8_t> chunk = {0x65, 0x3A, 0x00, 0x00, 0x50, 0x04, 0x13};
  chunk.insert(chunk.end(), image.begin(), image.end());
  const std::vector<Bytes> expected = {
      Frame({0x65, 0x3A, 0x01, 0x00, 0x57, 0x01, 0x06, 0x57, 0x03, 0x13, 0x00}),
      Frame({0x65, 0x3A, 0x03, 0x00, 0x55, 0x03, 0x09, 0x55, 0, 0, 0, 0, 0, 0x10}),
      Frame(chunk),
      Frame({0x65, 0x3A, 0x60, 0x00, 0x51, 0x60, 0x03, 0x51, 0x95, 0x02}),
      Frame({0x65, 0x3A, 0x70, 0x00, 0x5E, 0x70, 0x01, 0x5E}),
  };
  EXPECT_EQ(LongFrames(r), expected);
  // 200 ms before the begin frame, then each acknowledged exchange polls once (30 ms on a
  // cable) and the chunk waits its 30 ms.
  EXPECT_EQ(r.rig.clock.Sleeps(), (std::vector<int>{200, 30, 30, 30, 30, 30, 30}));
}

TEST(MacroUpload, ThousandBytesSendOneBlockChecksumAfterChunk40) {
  MacroRig r;
  std::vector<MacroEventRecord> long_macro;
  for (int i = 0; i < 239; ++i) long_macro.push_back(Event(2 + i % 2, 0x41 + i % 26));
  r.AssignToButton(0, r.AddMacro(long_macro));
  for (int b = 1; b <= 3; ++b) r.AssignToButton(b, r.AddMacro({}));
  r.rig.bus.ClearLog();

  EXPECT_TRUE(r.macros->UploadMacros());

  const sim::MacroTransfer t = r.rig.bus.LastMacroTransfer(r.rig.mouse);
  EXPECT_TRUE(t.accepted) << t.error;
  EXPECT_EQ(t.chunks, 40);
  EXPECT_EQ(t.block_checksums, 1);
  const Bytes memory = r.rig.bus.MacroMemory(r.rig.mouse);
  ASSERT_EQ(memory.size(), 1000u);
  const unsigned sum = std::accumulate(memory.begin(), memory.end(), 0u) & 0xFFFF;
  const std::vector<Bytes> frames = LongFrames(r);
  ASSERT_EQ(frames.size(), 2u + 40u + 1u + 1u + 1u);
  EXPECT_EQ(frames[42], Frame({0x65, 0x3A, 0x77, 0x00, 0x51, 0x77, 0x03, 0x51,
                               static_cast<uint8_t>(sum & 0xFF), static_cast<uint8_t>(sum >> 8)}));
  EXPECT_EQ(frames[43], Frame({0x65, 0x3A, 0x60, 0x00, 0x51, 0x60, 0x03, 0x51, 0x00, 0x00}));
}

TEST(MacroUpload, ThroughTheReceiverAfterTheHandShake) {
  MacroRig r(sim::Model::kK7Mouse, sim::Attachment::kReceiver);
  r.AssignToButton(3, r.AddMacro(kPressA100));
  r.rig.bus.ClearLog();

  EXPECT_TRUE(r.macros->UploadMacros());

  EXPECT_TRUE(r.rig.bus.LastMacroTransfer(r.rig.mouse).accepted);
  const std::vector<Bytes> frames = LongFrames(r);
  ASSERT_GE(frames.size(), 7u);
  EXPECT_EQ(frames[0], Frame({0x65, 0x3A, 0x00, 0x01, 0x44, 0x00, 0x09, 0x44}));
  EXPECT_EQ(frames[1], Frame({0x65, 0x3A, 0x01, 0x01, 0x57, 0x01, 0x06, 0x57, 0x03, 0x13, 0x00}));
  EXPECT_EQ(frames[2], Frame({0x65, 0x3A, 0x02, 0x01, 0x52, 0x02, 0x02, 0x52}));
  EXPECT_EQ(frames[3],
            Frame({0x65, 0x3A, 0x03, 0x01, 0x55, 0x03, 0x09, 0x55, 0, 0, 0, 0, 0, 0x10}));
  EXPECT_EQ(frames.back(), Frame({0x65, 0x3A, 0x70, 0x01, 0x5E, 0x70, 0x01, 0x5E}));
  // The chunk waits the receiver's 50 ms.
  const std::vector<int> sleeps = r.rig.clock.Sleeps();
  EXPECT_NE(std::find(sleeps.begin(), sleeps.end(), 200), sleeps.end());
  EXPECT_EQ(std::count(sleeps.begin(), sleeps.end(), 30), 0);
}

TEST(MacroUpload, TwoButtonsWithOneMacroStoreItTwiceAndCarryTheLastSlot) {
  MacroRig r;
  const int id = r.AddMacro(kPressA100);
  r.AssignToButton(3, id);
  r.AssignToButton(4, id);

  EXPECT_TRUE(r.macros->UploadMacros());

  const Bytes block = {0x06, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x00,
                       0x00, 0x64, 0x04, 0x80, 0x00, 0x01, 0x04};
  Bytes image = {0x08, 0x00, 0x09, 0x00, 0x17, 0x00, 0x09, 0x00};
  image.insert(image.end(), block.begin(), block.end());
  image.insert(image.end(), block.begin(), block.end());
  EXPECT_EQ(r.rig.bus.MacroMemory(r.rig.mouse), image);
  EXPECT_EQ(r.macros->MacroSlot(id), 1);
}

TEST(MacroUpload, ImageOverTheLimitRevertsTheSelectedButtonAndSendsNothing) {
  MacroRig r;
  const int id = r.AddMacro(std::vector<MacroEventRecord>(1000, Event(2, 0x41)));
  r.AssignToButton(2, id);
  macros::MacrosSubsystem::Hooks hooks;
  hooks.selected_button = [] { return 2; };
  hooks.button_default = [](int key_code, KeyAssignmentRecord& row) {
    if (key_code != 2) return false;
    row.macro_type = 1;
    row.macro_value = 3;
    row.macro_desc = "Middle";
    return true;
  };
  r.macros->SetHooks(hooks);
  r.rig.bus.ClearLog();

  EXPECT_FALSE(r.macros->UploadMacros());

  KeyAssignmentRecord row;
  ASSERT_TRUE(r.store().GetKeyAssignment(r.profile(), 2, row));
  EXPECT_EQ(row.macro_type, 1);
  EXPECT_EQ(row.macro_value, 3);
  EXPECT_EQ(row.macro_desc, "Middle");
  const auto posted = r.rig.p().Posted();
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].message, WM_DEVICE_STATUS);
  EXPECT_EQ(posted[0].wparam, ui::kStatusMacroTooLarge);
  EXPECT_TRUE(LongFrames(r).empty());
}

TEST(MacroUpload, OfflineMouseBehindTheReceiverIsToldAndNothingIsSent) {
  MacroRig r(sim::Model::kK7Mouse, sim::Attachment::kReceiver);
  r.AssignToButton(3, r.AddMacro(kPressA100));
  r.rig.bus.SetWirelessLink(r.rig.mouse, false);
  r.rig.bus.ClearLog();

  EXPECT_FALSE(r.macros->UploadMacros());

  const auto posted = r.rig.p().Posted();
  ASSERT_FALSE(posted.empty());
  EXPECT_EQ(posted.back().message, WM_DEVICE_STATUS);
  EXPECT_EQ(posted.back().wparam, ui::kStatusReceiverOffline);
  EXPECT_TRUE(LongFrames(r).empty());
}

TEST(MacroUpload, ProfileWithoutMacroButtonsUploadsNothing) {
  MacroRig r;
  r.AddMacro(kPressA100);  // exists, but no button names it
  r.rig.bus.ClearLog();
  r.rig.clock.ClearSleeps();

  r.macros->UploadProfileMacros();

  EXPECT_TRUE(LongFrames(r).empty());
  EXPECT_TRUE(r.rig.clock.Sleeps().empty());
}

TEST(MacroUpload, ProfileApplicationUploadsAndPausesAfterward) {
  MacroRig r;
  r.AssignToButton(3, r.AddMacro(kPressA100));
  r.rig.clock.ClearSleeps();

  r.macros->UploadProfileMacros();

  EXPECT_TRUE(r.rig.bus.LastMacroTransfer(r.rig.mouse).accepted);
  EXPECT_EQ(r.rig.clock.Sleeps().back(), 100);
}

}  // namespace
