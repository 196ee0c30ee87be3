// A supported mouse the machine will not let the program open: the first tab says which
// mouse, why and what to run, in both shipped languages, and the mouse connects at the next
// plug event once it may be opened, without a restart.
#include <gtest/gtest.h>

#include <cerrno>

#include "e2e_fixture.h"
#include "platform/paths.h"
#include "ui/frame_controls.h"

namespace e2e {
namespace {

class RefusalTest : public EndToEndTest {
 protected:
  std::string Hint() { return Title(ui::frame::kConnectHint); }
};

TEST_F(RefusalTest, PermissionAndBusyMessagesInBothLanguagesThenTheNextPlugEventConnects) {
  const int mouse = bus_.AddMouse(sim::Model::kK7Mouse, sim::Attachment::kReceiver);
  const std::string command_path =
      bus_.InterfacePath(mouse, sim::Connection::kReceiver, sim::Interface::kCommand);
  // Installing the rule is the fix until it is there; then only applying it is left.
  const std::string fix = platform::UdevRuleInstalled()
                              ? "sudo udevadm trigger --action=add --subsystem-match=hidraw"
                              : "./dev install-udev";
  struct Case {
    int language;
    int error;
    std::string label, hint_words, command;
  };
  const Case cases[] = {
      {1033, EACCES, "No Permission", "your user may not open it", fix},
      {2052, EACCES, "无访问权限", "当前用户无权打开它", fix},
      {1033, EBUSY, "Mouse In Use", "another program holds it open", "fuser -v " + command_path},
      {2052, EBUSY, "鼠标被占用", "另一个程序正占用它", "fuser -v " + command_path},
  };
  bus_.SetOpenRefusal(EACCES);
  StartProgram();
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.language) + " " + std::to_string(c.error));
    platform::SetLanguageId(c.language);
    bus_.SetOpenRefusal(c.error);
    dlg_->AppendTask(ui::kTaskArrival);
    RunQueuedTasks();
    EXPECT_EQ(Title(kConnectionLabel), c.label);
    EXPECT_NE(Title(kConnectionLabel), LanguageText(platform::TextId{50}));
    EXPECT_TRUE(tk_.Snapshot(ui::frame::kConnectHint).visible);
    const std::string hint = Hint();
    EXPECT_NE(hint.find("K7 Mouse"), std::string::npos) << hint;
    EXPECT_NE(hint.find(c.hint_words), std::string::npos) << hint;
    // The command stands alone on the last line, ready to copy.
    EXPECT_EQ(hint.substr(hint.rfind('\n') + 1), c.command) << hint;
    EXPECT_FALSE(tk_.Snapshot(kTabs).visible);
  }

  // The rule took effect: udev announces the node again and the mouse connects.
  platform::SetLanguageId(1033);
  bus_.SetOpenRefusal(0);
  dlg_->Link().UpdateUSBDevice(
      device::DeviceChange{device::kDeviceArrival, command_path, command_path});
  EXPECT_EQ(Queued(), std::vector<int>{ui::kTaskArrival});
  RunQueuedTasks();
  EXPECT_EQ(Title(kConnectionLabel), LanguageText(platform::TextId{52}));
  EXPECT_EQ(DeviceItem(101).mode, 1);
  EXPECT_TRUE(tk_.Snapshot(kTabs).visible);
  EXPECT_EQ(Hint(), LanguageText(platform::TextId{54}));
  EXPECT_EQ(tk_.Snapshot(kProfiles).items.size(), 5u);
}

}  // namespace
}  // namespace e2e
