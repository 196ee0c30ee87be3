// The lighting page and the profile file buttons in the whole program: wired to the window's
// dispatch, the worker's task table and the page refreshes after each read of the mouse.
#include <fstream>
#include <sstream>

#include "e2e_fixture.h"
#include "lighting/lighting.h"
#include "profiles/profile_file_actions.h"
#include "ui/frame_controls.h"

namespace {

using e2e::EndToEndTest;
namespace l = lighting;

class LightingProfilesTest : public EndToEndTest {};

TEST_F(LightingProfilesTest, LightingPageFilledAfterTheFirstReadAndModeChangesQueueTask10) {
  bus_.AddMouse(sim::Model::kK7Mouse, sim::Attachment::kReceiver);
  StartProgram();
  RunQueuedTasks();
  ASSERT_EQ(tk_.GetItemCount(l::kModeSelector), 7);
  EXPECT_EQ(tk_.GetItemText(l::kModeSelector, 0), "Lights off");
  EXPECT_EQ(tk_.GetItemText(l::kModeSelector, 3), "Spectrum cycle");
  EXPECT_TRUE(tk_.IsEnabled(ui::frame::kImport));
  EXPECT_TRUE(tk_.IsEnabled(ui::frame::kExport));

  Choose(l::kModeSelector, 2);
  EXPECT_EQ(Queued(), std::vector<int>{ui::kTaskLighting});
  EXPECT_EQ(ProfileStore::Instance().GetActiveLightMode(dlg_->Device().CurrentProfile()), 2);
  bus_.ClearLog();
  clock_.ClearSleeps();
  RunQueuedTasks();
  EXPECT_TRUE(bus_.Log().empty());  // nothing goes to the mouse
  EXPECT_EQ(clock_.Sleeps(), std::vector<int>{500});
}

TEST_F(LightingProfilesTest, ExportedProfileImportedBackIsAppliedToTheMouse) {
  bus_.AddMouse(sim::Model::kK7Mouse, sim::Attachment::kCable);
  StartProgram();
  RunQueuedTasks();
  ProfileStore& store = ProfileStore::Instance();
  const int profile = dlg_->Device().CurrentProfile();
  ASSERT_TRUE(store.WriteSetting(profile, "dpi_group0_value", "1600"));
  const std::string file = dir_.path() + "mine.xml";
  tk_.QueueFileAnswer(file);
  dlg_->OnControlNotify(ui::frame::kExport, ui::kNotifyClicked, 0);
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(text.str().find("<DPI1 value=\"1600\" color=\"255\"/>\r\n"), std::string::npos);
  EXPECT_NE(text.str().find("<Lightitems lightmode=\"0\">\r\n"), std::string::npos);

  ASSERT_TRUE(store.WriteSetting(profile, "dpi_group0_value", "400"));
  tk_.QueueFileAnswer(file);
  dlg_->OnControlNotify(ui::frame::kImport, ui::kNotifyClicked, 0);
  EXPECT_TRUE(tk_.ModalOpen(ui::ModalKind::kWait));
  EXPECT_EQ(Queued(), std::vector<int>{ui::kTaskApplyProfile});
  RunQueuedTasks();
  EXPECT_FALSE(tk_.ModalOpen(ui::ModalKind::kWait));
  EXPECT_EQ(Setting("dpi_group0_value"), "1600");
  const auto image = bus_.SettingsImage(0);
  EXPECT_EQ(image[11] | image[12] << 8, 1600 / 50 - 1);
  EXPECT_TRUE(tk_.Messages().empty());
}

TEST_F(LightingProfilesTest, ModelWithoutLightingHasNoLightingRowsOrSection) {
  bus_.AddMouse(sim::Model::kK9Air, sim::Attachment::kCable);
  StartProgram();
  RunQueuedTasks();
  EXPECT_EQ(tk_.GetItemCount(l::kModeSelector), 0);
  EXPECT_EQ(ProfileStore::Instance().CountLightModes(dlg_->Device().CurrentProfile()), 0);
  const std::string file = dir_.path() + "air.xml";
  tk_.QueueFileAnswer(file);
  dlg_->OnControlNotify(ui::frame::kExport, ui::kNotifyClicked, 0);
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str().find("Lightitems"), std::string::npos) << text.str();
  EXPECT_NE(text.str().find("</keyitems>\r\n<Mouse_DPI "), std::string::npos) << text.str();
}

// The profile file message: 2 writes the profile the second parameter names (not the current
// one), 1 imports into the current profile; other actions and unknown profiles do nothing.
TEST_F(LightingProfilesTest, ProfileFileMessageExportsTheNamedProfileAndImports) {
  bus_.AddMouse(sim::Model::kK7Mouse, sim::Attachment::kCable);
  StartProgram();
  RunQueuedTasks();
  ProfileStore& store = ProfileStore::Instance();
  const int current = dlg_->Device().CurrentProfile();
  ProfileRecord other_record;
  other_record.name = "Other";
  const int other = store.AddProfile(other_record);
  ASSERT_GT(other, 0);
  ASSERT_NE(other, current);
  ASSERT_TRUE(store.WriteSetting(other, "dpi_group0_value", "3200"));
  ASSERT_TRUE(store.WriteSetting(current, "dpi_group0_value", "800"));

  const std::string file = dir_.path() + "other.xml";
  tk_.QueueFileAnswer(file);
  tk_.PostMessage(profiles::WM_PROFILE_FILE, profiles::kMessageExport, other);
  tk_.PumpMessages();
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(text.str().find("<DPI1 value=\"3200\""), std::string::npos) << text.str();

  tk_.QueueFileAnswer(file);
  tk_.PostMessage(profiles::WM_PROFILE_FILE, profiles::kMessageImport, 0);
  tk_.PumpMessages();
  EXPECT_EQ(Queued(), std::vector<int>{ui::kTaskApplyProfile});
  RunQueuedTasks();
  EXPECT_EQ(Setting("dpi_group0_value"), "3200");
  EXPECT_TRUE(tk_.Messages().empty());

  // Neither an unknown action nor a profile outside the list writes a file.
  const std::string never = dir_.path() + "never.xml";
  tk_.QueueFileAnswer(never);
  tk_.QueueFileAnswer(never);
  tk_.PostMessage(profiles::WM_PROFILE_FILE, 3, 0);
  tk_.PostMessage(profiles::WM_PROFILE_FILE, profiles::kMessageExport, other + 100);
  tk_.PumpMessages();
  EXPECT_FALSE(std::ifstream(never).good());
  EXPECT_TRUE(Queued().empty());
}

}  // namespace
