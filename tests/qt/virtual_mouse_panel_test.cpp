// The "Virtual mouse" tool window drives the virtual bus and shows what the bus did.
#include "ui/qt/virtual_mouse_panel.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include "platform/clock.h"
#include "qt_app.h"

namespace {

using sim::Connection;
using ui::qt::VirtualMousePanel;

class VirtualMousePanelTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { qt_test::EnsureQtApp(); }
  template <typename T>
  T* Find(const VirtualMousePanel& panel, const char* name) {
    T* widget = panel.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  platform::VirtualClock clock_;
  sim::VirtualBus bus_{clock_};
};

TEST_F(VirtualMousePanelTest, PlugSwitchDpiAndBatteryReachTheBus) {
  bus_.AddMouse(sim::Model::kK7Mouse, sim::Attachment::kBoth);
  std::vector<sim::PlugEvent> plugs;
  bus_.SetPlugListener([&](const sim::PlugEvent& e) { plugs.push_back(e); });
  VirtualMousePanel panel(bus_);
  EXPECT_EQ(panel.windowTitle(), "Virtual mouse");
  EXPECT_TRUE(panel.windowFlags() & Qt::Tool);
  auto* cable = Find<QCheckBox>(panel, "cable");
  auto* receiver = Find<QCheckBox>(panel, "receiver");
  auto* on = Find<QCheckBox>(panel, "switched_on");
  ASSERT_TRUE(cable && receiver && on);
  EXPECT_TRUE(cable->isChecked());
  EXPECT_TRUE(receiver->isChecked());
  EXPECT_TRUE(on->isChecked());

  cable->click();
  EXPECT_FALSE(bus_.IsPlugged(0, Connection::kCable));
  ASSERT_EQ(plugs.size(), 3u);  // mouse, notification and command interfaces of the cable
  EXPECT_FALSE(plugs[0].arrived);
  cable->click();
  EXPECT_TRUE(bus_.IsPlugged(0, Connection::kCable));
  EXPECT_TRUE(plugs.back().arrived);

  // Status reports go by the cable while it is plugged; unplug it to see the receiver's.
  cable->click();
  on->click();
  EXPECT_FALSE(bus_.WirelessLink(0));
  on->click();
  EXPECT_TRUE(bus_.WirelessLink(0));
  EXPECT_EQ(bus_.PendingInputReports(0, Connection::kReceiver), 2u);  // link off, link on

  const int level = bus_.State(0).ActiveLevel();
  Find<QPushButton>(panel, "dpi_button")->click();
  EXPECT_EQ(bus_.State(0).ActiveLevel(), (level + 1) % bus_.State(0).LevelCount());

  Find<QSpinBox>(panel, "battery")->setValue(15);
  Find<QCheckBox>(panel, "charging")->setChecked(true);
  Find<QPushButton>(panel, "send_battery")->click();
  EXPECT_EQ(bus_.State(0).battery, 15);
  EXPECT_TRUE(bus_.State(0).charging);
  EXPECT_EQ(bus_.PendingInputReports(0, Connection::kReceiver), 4u);
  EXPECT_TRUE(Find<QLabel>(panel, "status")->text().contains("battery 15 percent, charging"));
}

TEST_F(VirtualMousePanelTest, FollowsChangesMadeElsewhereAndGreysWhatTheMouseLacks) {
  bus_.AddMouse(sim::Model::kK9Air, sim::Attachment::kCable);
  VirtualMousePanel panel(bus_);
  auto* cable = Find<QCheckBox>(panel, "cable");
  auto* receiver = Find<QCheckBox>(panel, "receiver");
  ASSERT_TRUE(cable && receiver);
  EXPECT_FALSE(receiver->isEnabled());
  EXPECT_FALSE(Find<QCheckBox>(panel, "switched_on")->isEnabled());
  // An unplug the panel did not make (a fault, another tool) shows at the next refresh, and
  // showing it does not plug the mouse back in.
  bus_.Unplug(0, Connection::kCable);
  panel.Refresh();
  EXPECT_FALSE(cable->isChecked());
  EXPECT_FALSE(bus_.IsPlugged(0, Connection::kCable));
  // Clicking the greyed receiver box does nothing.
  receiver->click();
  EXPECT_FALSE(bus_.HasAttachment(0, Connection::kReceiver));
}

TEST_F(VirtualMousePanelTest, WithoutMiceEverythingIsInert) {
  VirtualMousePanel panel(bus_);
  EXPECT_EQ(panel.SelectedMouse(), -1);
  EXPECT_FALSE(Find<QPushButton>(panel, "dpi_button")->isEnabled());
  Find<QPushButton>(panel, "dpi_button")->click();
  EXPECT_EQ(Find<QLabel>(panel, "status")->text(), "No virtual mouse");
}

}  // namespace

namespace {

TEST_F(VirtualMousePanelTest, PressingAMacroButtonShowsTheEventsItPlays) {
  bus_.AddMouse(sim::Model::kK7Mouse, sim::Attachment::kCable);
  bus_.ModifyState(0, [](sim::MouseState& s) {
    s.macro_memory = {0x04, 0x00, 0x09, 0x00, 0x06, 'A',  'B',  'C',  'D', 'E',
                      'F',  0x00, 0x00, 0x64, 0x04, 0x80, 0x00, 0x01, 0x04};
    const uint8_t code[4] = {0x03, 0x01, 0x01, 0x00};
    std::copy(code, code + 4, s.keys.begin() + 4 * 4);
  });
  VirtualMousePanel panel(bus_);
  auto* button = Find<QSpinBox>(panel, "button");
  auto* press = Find<QPushButton>(panel, "press_button");
  auto* played = Find<QLabel>(panel, "played");
  ASSERT_TRUE(button && press && played);
  button->setValue(5);
  press->click();
  EXPECT_EQ(played->text(),
            "Button 5 plays macro slot 0:\nkey down 0x04, 100 ms\nkey up 0x04, 1 ms");
  button->setValue(1);
  press->click();
  EXPECT_EQ(played->text(), "Button 1 carries no macro");
}

}  // namespace
