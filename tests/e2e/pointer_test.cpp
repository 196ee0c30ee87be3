// The desktop's pointer settings in the whole program: the profile read from the mouse mirrors
// them, and a change on the page reaches the desktop through the worker.
#include <gtest/gtest.h>

#include "e2e_fixture.h"
#include "settings/pointer_page.h"

namespace e2e {
namespace {

namespace p = settings;

class PointerTest : public EndToEndTest {};

TEST_F(PointerTest, ProfileMirrorsTheDesktopAndPageChangesReachIt) {
  // Without a desktop the program keeps the values itself.
  ASSERT_TRUE(key_.WriteInt("pointer_speed", 15));
  ASSERT_TRUE(key_.WriteInt("double_click_time", 340));
  ASSERT_TRUE(key_.WriteInt("wheel_scroll_lines", -1));
  bus_.AddMouse(sim::Model::kK7Mouse, sim::Attachment::kCable);
  StartProgram();
  RunQueuedTasks();
  EXPECT_EQ(Setting("mouse_speed"), "15");
  EXPECT_EQ(Setting("mouse_sensitivity"), "1");
  EXPECT_EQ(Setting("wheel_scrollflag"), "0");
  EXPECT_EQ(Setting("wheel_scrolllines"), "0");
  EXPECT_EQ(Setting("doubleclick_time"), "340");
  EXPECT_EQ(tk_.GetPos(p::kDoubleClickSlider), 8);

  tk_.SetPos(p::kPointerSpeedSlider, 2);
  dlg_->OnControlNotify(p::kPointerSpeedSlider, ui::kNotifyClicked, 2);
  EXPECT_EQ(Queued(), std::vector<int>{ui::kTaskPointer});
  RunQueuedTasks();
  EXPECT_EQ(key_.ReadInt("pointer_speed"), 3);
  EXPECT_EQ(Setting("mouse_speed"), "3");
  // Nothing of it goes to the mouse.
  EXPECT_TRUE(Queued().empty());
}

}  // namespace
}  // namespace e2e
