// Whole-program scenarios: start-up with a virtual mouse, profile switch, unplug and replug,
// model change, and the close routine.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "e2e_fixture.h"
#include "settings/settings_model.h"
#include "ui/frame_controls.h"

namespace e2e {
namespace {

constexpr int kK7Mouse = 101;
constexpr int kK9Air = 201;

class ProgramTest : public EndToEndTest {};

TEST_F(ProgramTest, StartUpShowsTheMouseBehindItsReceiverWithFiveProfiles) {
  bus_.AddMouse(sim::Model::kK7Mouse, sim::Attachment::kReceiver);
  StartProgram();
  EXPECT_EQ(Title(37), "Software version: v" + dlg_->Device().Catalogue().Links().version);
  EXPECT_EQ(Queued(), std::vector<int>{ui::kTaskFirstRead});

  EXPECT_EQ(RunQueuedTasks(), 1);
  EXPECT_TRUE(dlg_->Device().TaskContext().first_read_done);
  EXPECT_EQ(DeviceItem(kK7Mouse).mode, 1);
  EXPECT_EQ(Title(ui::frame::kConnection), LanguageText(platform::TextId{52}));
  EXPECT_TRUE(tk_.Snapshot(kTabs).visible);
  EXPECT_EQ(tk_.Snapshot(kTabs).tab_selected, 1);  // the button page
  EXPECT_EQ(key_.ReadInt("DeviceType"), kK7Mouse);
  EXPECT_NE(ProfileStore::Instance().Path().find("K7 Mouse_data.db"), std::string::npos);

  const auto profiles = tk_.Snapshot(kProfiles).items;
  ASSERT_EQ(profiles.size(), 5u);
  EXPECT_EQ(profiles[0].text,
            LanguageText(platform::TextId{60}) + "  1");  // the stored "Profile 1" shown
  EXPECT_EQ(tk_.GetCurData(kProfiles), 1);
  EXPECT_EQ(dlg_->Device().CurrentProfile(), 1);

  // The DPI page shows the mouse's own levels, read into the active profile.
  const int dpi_control = settings::kDpiControl;
  ASSERT_EQ(tk_.GetDPILevelCount(dpi_control), 6);
  const std::vector<int> shipped = {400, 800, 1600, 3200, 6400, 26000};
  for (int level = 0; level < 6; ++level) {
    EXPECT_EQ(tk_.GetDPIValue(dpi_control, level), shipped[level]) << level;
    EXPECT_EQ(Setting("dpi_group" + std::to_string(level) + "_value"),
              std::to_string(shipped[level]));
  }
  EXPECT_EQ(tk_.GetDPISelected(dpi_control), 2);

  // The DPI button pressed on the mouse reaches the active profile through the idle poll.
  bus_.PressDpiButton(0);
  const int level = bus_.State(0).ActiveLevel();
  clock_.Advance(app::DeviceLinkWindow::kPollSpacingMs);
  dlg_->Device().Worker().Run();
  EXPECT_EQ(Setting("dpi_index"), std::to_string(level));
  EXPECT_EQ(tk_.GetDPISelected(dpi_control), level);
}

TEST_F(ProgramTest, TheAttachedModelIsChosenAndShownInTheSelector) {
  constexpr int kK7Pro = 102;
  bus_.AddMouse(sim::Model::kK7Pro, sim::Attachment::kReceiver);
  StartProgram();
  RunQueuedTasks();
  EXPECT_EQ(key_.ReadInt("DeviceType"), kK7Pro);
  EXPECT_EQ(dlg_->Device().Catalogue().CurrentType(), kK7Pro);
  EXPECT_NE(ProfileStore::Instance().Path().find("K7 Pro_data.db"), std::string::npos);
  EXPECT_EQ(tk_.GetCurData(kModelSelector), kK7Pro);
  EXPECT_EQ(Title(ui::frame::kConnection), LanguageText(platform::TextId{52}));
}

TEST_F(ProgramTest, ARememberedModelThatIsNotAttachedGivesWayToTheAttachedOne) {
  // The K7 Mouse was used last week; today only a K9 Air is plugged in.
  ASSERT_TRUE(key_.WriteInt("DeviceType", kK7Mouse));
  bus_.AddMouse(sim::Model::kK9Air, sim::Attachment::kReceiver);
  StartProgram();
  RunQueuedTasks();
  EXPECT_EQ(key_.ReadInt("DeviceType"), kK9Air);
  EXPECT_EQ(dlg_->Device().Catalogue().CurrentType(), kK9Air);
  EXPECT_NE(ProfileStore::Instance().Path().find("K9 Air_data.db"), std::string::npos);
  EXPECT_EQ(tk_.GetCurData(kModelSelector), kK9Air);
  EXPECT_EQ(Title(kConnectionLabel), LanguageText(platform::TextId{52}));
  EXPECT_EQ(DeviceItem(kK9Air).mode, 1);
}

TEST_F(ProgramTest, ARememberedModelThatIsAttachedKeepsItsPriority) {
  ASSERT_TRUE(key_.WriteInt("DeviceType", kK9Air));
  bus_.AddMouse(sim::Model::kK7Mouse, sim::Attachment::kReceiver);
  bus_.AddMouse(sim::Model::kK9Air, sim::Attachment::kCable);
  StartProgram();
  RunQueuedTasks();
  EXPECT_EQ(key_.ReadInt("DeviceType"), kK9Air);
  EXPECT_EQ(dlg_->Device().Catalogue().CurrentType(), kK9Air);
  EXPECT_EQ(Title(kConnectionLabel), LanguageText(platform::TextId{51}));
}

// The routines the program registers: only the long writes end the wait dialog.
TEST_F(ProgramTest, OnlyTheLongWritesEndTheWaitDialog) {
  bus_.AddMouse(sim::Model::kK7Mouse, sim::Attachment::kReceiver);
  StartProgram();
  RunQueuedTasks();
  for (int code = 0; code <= 30; ++code) {
    const bool expected = code == 4 || code == 7 || code == 8 || code == 12 || code == 18;
    const ui::TaskRoutine* routine = dlg_->Tasks().Find(code);
    EXPECT_EQ(routine != nullptr && routine->closes_wait, expected) << code;
  }
}

TEST_F(ProgramTest, ChoosingAnotherProfileAppliesItAndEndsTheWaitDialog) {
  bus_.AddMouse(sim::Model::kK7Mouse, sim::Attachment::kReceiver);
  StartProgram();
  RunQueuedTasks();
  // Profile 2 holds a first level of its own; applying it sends it to the mouse.
  ASSERT_TRUE(ProfileStore::Instance().WriteSetting(2, "dpi_group0_value", "1200"));

  Choose(kProfiles, 2);
  EXPECT_TRUE(tk_.ModalOpen(ui::ModalKind::kWait));
  EXPECT_EQ(Queued(), std::vector<int>{ui::kTaskApplyProfile});
  EXPECT_EQ(dlg_->Device().CurrentProfile(), 2);
  EXPECT_EQ(ProfileStore::Instance().GetActiveProfile(), 2);

  RunQueuedTasks();
  EXPECT_FALSE(tk_.ModalOpen(ui::ModalKind::kWait));
  EXPECT_EQ(tk_.ModalEnds(ui::ModalKind::kWait), 1);
  EXPECT_EQ(tk_.GetDPIValue(settings::kDpiControl, 0), 1200);
  const auto image = bus_.SettingsImage(0);
  EXPECT_EQ(image[11] | image[12] << 8, 1200 / 50 - 1);
}

TEST_F(ProgramTest, UnplugAndReplugTheReceiver) {
  const int mouse = bus_.AddMouse(sim::Model::kK7Mouse, sim::Attachment::kReceiver);
  StartProgram();
  RunQueuedTasks();

  bus_.Unplug(mouse, sim::Connection::kReceiver);
  EXPECT_EQ(Queued(), std::vector<int>{ui::kTaskRemoval});  // one task for all interfaces
  RunQueuedTasks();
  EXPECT_EQ(Title(ui::frame::kConnection), LanguageText(platform::TextId{50}));
  EXPECT_EQ(DeviceItem(kK7Mouse).mode, -1);
  EXPECT_FALSE(tk_.Snapshot(kTabs).visible);
  EXPECT_FALSE(dlg_->Link().DevicePresent());
  EXPECT_TRUE(tk_.Snapshot(ui::frame::kConnectHint).visible);
  EXPECT_EQ(Title(ui::frame::kConnectHint), LanguageText(platform::TextId{54}));

  bus_.Plug(mouse, sim::Connection::kReceiver);
  EXPECT_EQ(Queued(), std::vector<int>{ui::kTaskArrival});
  RunQueuedTasks();
  EXPECT_EQ(Title(ui::frame::kConnection), LanguageText(platform::TextId{52}));
  EXPECT_EQ(DeviceItem(kK7Mouse).mode, 1);
  EXPECT_TRUE(tk_.Snapshot(kTabs).visible);
  EXPECT_EQ(tk_.Snapshot(kProfiles).items.size(), 5u);
}

TEST_F(ProgramTest, MouseSwitchedOffAndOnBehindItsReceiverIsReadAgain) {
  const int mouse = bus_.AddMouse(sim::Model::kK7Mouse, sim::Attachment::kReceiver);
  StartProgram();
  RunQueuedTasks();
  auto idle_turn = [this] {
    clock_.Advance(app::DeviceLinkWindow::kPollSpacingMs);
    dlg_->Device().Worker().Run();
  };

  bus_.SetWirelessLink(mouse, false);
  idle_turn();
  EXPECT_EQ(Title(ui::frame::kConnection), LanguageText(platform::TextId{50}));
  // Changed on another computer meanwhile: level 1 becomes 1000 (code 1000 / 50 - 1).
  bus_.ModifyState(mouse, [](sim::MouseState& m) { m.settings[11] = 19; });

  bus_.SetWirelessLink(mouse, true);
  idle_turn();  // the link report runs the arrival routine at once
  EXPECT_TRUE(dlg_->PendingTasks().Empty());
  EXPECT_EQ(Title(ui::frame::kConnection), LanguageText(platform::TextId{52}));
  EXPECT_EQ(tk_.GetDPIValue(settings::kDpiControl, 0), 1000);
  EXPECT_EQ(Setting("dpi_group0_value"), "1000");
}

TEST_F(ProgramTest, ModelChangeThroughDeviceListAndSelector) {
  bus_.AddMouse(sim::Model::kK7Mouse, sim::Attachment::kReceiver);
  bus_.AddMouse(sim::Model::kK9Air, sim::Attachment::kCable);
  StartProgram();
  RunQueuedTasks();
  ASSERT_EQ(dlg_->Device().Catalogue().CurrentType(), kK7Mouse);
  ASSERT_TRUE(dlg_->Device().Catalogue().HasLighting());

  // In the device list: the model loads at once and task 4 follows without a wait dialog.
  dlg_->OnControlNotify(kDeviceList, ui::kNotifyClicked, kK9Air);
  EXPECT_EQ(key_.ReadInt("DeviceType"), kK9Air);
  EXPECT_EQ(dlg_->Device().Catalogue().CurrentType(), kK9Air);
  EXPECT_EQ(tk_.GetCurData(kModelSelector), kK9Air);
  EXPECT_EQ(Queued(), std::vector<int>{ui::kTaskModelReload});
  EXPECT_EQ(tk_.ModalBegins(ui::ModalKind::kWait), 0);
  RunQueuedTasks();
  EXPECT_EQ(Title(ui::frame::kConnection), LanguageText(platform::TextId{51}));
  EXPECT_FALSE(dlg_->Device().Catalogue().HasLighting());
  EXPECT_NE(ProfileStore::Instance().Path().find("K9 Air_data.db"), std::string::npos);
  EXPECT_EQ(tk_.Snapshot(kProfiles).items.size(), 5u);
  EXPECT_EQ(dlg_->Device().CurrentProfile(), 1);

  // In the model selector: the same, under the wait dialog that task 4 ends.
  Choose(kModelSelector, kK7Mouse);
  EXPECT_TRUE(tk_.ModalOpen(ui::ModalKind::kWait));
  EXPECT_EQ(Queued(), std::vector<int>{ui::kTaskModelReload});
  RunQueuedTasks();
  EXPECT_FALSE(tk_.ModalOpen(ui::ModalKind::kWait));
  EXPECT_EQ(Title(ui::frame::kConnection), LanguageText(platform::TextId{52}));
  EXPECT_EQ(key_.ReadInt("DeviceType"), kK7Mouse);
}

TEST_F(ProgramTest, ClosingStopsTheRunningWorkerWithinItsBound) {
  bus_.AddMouse(sim::Model::kK7Mouse, sim::Attachment::kReceiver);
  StartProgram(/*worker_thread=*/true);
  app::DeviceWorker& worker = dlg_->Device().Worker();
  ASSERT_TRUE(worker.Running());
  // The thread takes the first read by itself.
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!dlg_->Device().TaskContext().first_read_done &&
         std::chrono::steady_clock::now() < give_up) {
    std::this_thread::yield();
  }
  ASSERT_TRUE(dlg_->Device().TaskContext().first_read_done);

  dlg_->OnClose();
  EXPECT_FALSE(worker.Running());
  // Done at once: the close waited for the thread's done-event rather than leaving it to run
  // on (how long that takes is measured in bench/worker_bench.cpp).
  EXPECT_TRUE(worker.Done());
  EXPECT_TRUE(tk_.WindowClosed());
}

}  // namespace
}  // namespace e2e
