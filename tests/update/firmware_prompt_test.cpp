// The firmware check, the update prompt and the firmware button on the whole program: the
// headless toolkit, virtual mice with a chosen firmware version, a recording launcher and a
// scripted wait for the tool.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/process_waiter.h"
#include "e2e/e2e_fixture.h"
#include "update/process_launch.h"
#include "update/update_subsystem.h"

namespace update {
namespace {

struct RecordingLauncher : ProgramLauncher {
  std::vector<std::string> spawned, opened;
  int32_t pid = 4242;
  int32_t Spawn(const std::string& path) override {
    spawned.push_back(path);
    return pid;
  }
  bool Open(const std::string& path) override {
    opened.push_back(path);
    return true;
  }
};

struct ScriptedWaiter : app::ProcessWaiter {
  std::vector<int32_t> waited;
  bool WaitForExit(int32_t pid, const std::function<bool()>&) override {
    waited.push_back(pid);
    return true;
  }
};

class FirmwarePromptTest : public e2e::EndToEndTest {
 protected:
  // One mouse on its cable reporting `release`, read once; the tool folder is the test's own.
  void Start(sim::Model model, uint16_t release,
             sim::Attachment attachment = sim::Attachment::kCable) {
    const int mouse = bus_.AddMouse(model, attachment);
    bus_.SetRelease(mouse, sim::Connection::kCable, release);
    dlg_ = std::make_unique<app::DeviceMainDlg>(
        tk_, comm_, key_,
        app::DeviceWorkOptions{.user_data_dir = dir_.path() + "data/",
                               .waiter = &waiter_,
                               .start_thread = false,
                               .start_hotplug = false});
    Update().SetProgramDir(dir_.path() + "program/");
    Update().SetLauncher(&launcher_);
    dlg_->OnInitDialog();
    RunQueuedTasks();
  }
  UpdateSubsystem& Update() { return dlg_->Device().Update(); }
  std::vector<ui::HeadlessToolkit::Posted> Prompts() {
    std::vector<ui::HeadlessToolkit::Posted> out;
    for (const auto& p : tk_.PendingMessages()) {
      if (p.message == WM_UPDATE_PROMPT) out.push_back(p);
    }
    return out;
  }
  void InstallTool(const std::string& folder) {
    const std::string path = dir_.path() + "program/firmware/" + folder + "/Firmware-Tool";
    app_test::WriteFile(path, "#!/bin/sh\n");
    chmod(path.c_str(), 0755);
  }
  void ClickFirmwareButton() { dlg_->OnControlNotify(kFirmwareButton, ui::kNotifyClicked, 0); }

  RecordingLauncher launcher_;
  ScriptedWaiter waiter_;
};

TEST_F(FirmwarePromptTest, OlderFirmwareOnAKnownMousePromptsForTheTargetVersion) {
  Start(sim::Model::kK7Pro, 0x114);  // 7A5D:3A02
  EXPECT_EQ(Title(kFirmwareVersionLabel), "Firmware version: 114");
  EXPECT_EQ(Update().OfferedFirmwareVersion(), "115");
  const auto prompts = Prompts();
  ASSERT_EQ(prompts.size(), 1u);
  EXPECT_EQ(prompts[0].wparam, kPromptFirmware);
  tk_.QueueMessageAnswer(ui::kResultCancel);
  tk_.PumpMessages();
  const auto boxes = tk_.Messages();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Firmware update");
  EXPECT_EQ(boxes[0].message, "A new firmware version is available:v115, update the mouse now?");
  EXPECT_EQ(boxes[0].style, ui::kStyleOkCancel);
  EXPECT_TRUE(launcher_.spawned.empty());  // declined
}

class UpToDateFirmwareTest : public FirmwarePromptTest,
                             public ::testing::WithParamInterface<uint16_t> {};

TEST_P(UpToDateFirmwareTest, TargetVersionOrNewerDoesNotPrompt) {
  Start(sim::Model::kK7Pro, GetParam());
  EXPECT_TRUE(Prompts().empty());
  EXPECT_EQ(Update().OfferedFirmwareVersion(), "115");
}

INSTANTIATE_TEST_SUITE_P(Versions, UpToDateFirmwareTest, ::testing::Values(0x115, 0x120));

TEST_F(FirmwarePromptTest, VersionTenOrBelowNeverPromptsAndTheButtonDoesNothing) {
  Start(sim::Model::kK7Pro, 0x0A);
  InstallTool("7A5D-3A02");
  EXPECT_EQ(Title(kFirmwareVersionLabel), "Firmware version: a");
  EXPECT_TRUE(Prompts().empty());
  EXPECT_EQ(Update().OfferedFirmwareVersion(), "0");
  ClickFirmwareButton();
  EXPECT_TRUE(tk_.Messages().empty());
  EXPECT_TRUE(launcher_.spawned.empty());
  EXPECT_TRUE(comm_.IsOpen());
}

struct UpToDateCase {
  sim::Attachment attachment;
  uint16_t release;
};

class UpToDateButtonTest : public FirmwarePromptTest,
                           public ::testing::WithParamInterface<UpToDateCase> {};

TEST_P(UpToDateButtonTest, ButtonOnAnUpToDateMouseOrOneWithoutTargetSaysSo) {
  Start(sim::Model::kK7Pro, GetParam().release, GetParam().attachment);
  InstallTool("7A5D-3A02");
  ClickFirmwareButton();
  const auto boxes = tk_.Messages();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Firmware update");
  EXPECT_EQ(boxes[0].message, "The mouse's firmware is up to date.");
  EXPECT_EQ(boxes[0].style, ui::kStyleOk);
  EXPECT_TRUE(launcher_.spawned.empty());
}

// The cable at the target; the receiver alone (7A5D:3A10, release 0x102) has no target.
INSTANTIATE_TEST_SUITE_P(Mice, UpToDateButtonTest,
                         ::testing::Values(UpToDateCase{sim::Attachment::kCable, 0x115},
                                           UpToDateCase{sim::Attachment::kReceiver, 0x102}));

TEST_F(FirmwarePromptTest, ASecondPromptWhileABoxIsOpenIsDropped) {
  Start(sim::Model::kK7Pro, 0x114);
  tk_.QueueMessageAnswer(ui::kResultCancel);
  tk_.WhileNextMessageOpen([this] {
    dlg_->OnMessage(WM_UPDATE_PROMPT, kPromptFirmware, 0);
    dlg_->OnMessage(WM_UPDATE_PROMPT, kPromptDriver, 0);
  });
  tk_.PumpMessages();
  EXPECT_EQ(tk_.Messages().size(), 1u);
  // Once the box is closed, the next prompt is shown again.
  tk_.QueueMessageAnswer(ui::kResultCancel);
  dlg_->OnMessage(WM_UPDATE_PROMPT, kPromptFirmware, 0);
  EXPECT_EQ(tk_.Messages().size(), 2u);
}

TEST_F(FirmwarePromptTest, AcceptedPromptStartsTheToolAndTheWorkerHandsTheMouseBack) {
  Start(sim::Model::kK7Pro, 0x114);
  InstallTool("7A5D-3A02");
  tk_.PumpMessages();  // the prompt, confirmed
  ASSERT_EQ(launcher_.spawned,
            std::vector<std::string>{dir_.path() + "program/firmware/7A5D-3A02/Firmware-Tool"});
  EXPECT_FALSE(comm_.IsOpen());
  EXPECT_EQ(comm_.EntryCount(), 0u);
  EXPECT_EQ(dlg_->Device().PendingToolProcess().load(), 4242);
  EXPECT_EQ(tk_.GetWindowState(), ui::WindowState::kHidden);

  dlg_->AppendTask(ui::kTaskWriteDpi);
  bus_.ClearLog();
  dlg_->Device().Worker().Run();
  EXPECT_EQ(waiter_.waited, std::vector<int32_t>{4242});
  EXPECT_EQ(tk_.GetWindowState(), ui::WindowState::kNormal);
  EXPECT_TRUE(comm_.IsOpen());
  EXPECT_GT(comm_.EntryCount(), 0u);
  EXPECT_EQ(dlg_->Device().PendingToolProcess().load(), 0);
  // The queued task ran in the same turn, on the re-opened mouse.
  EXPECT_FALSE(bus_.Log().empty());
}

TEST_F(FirmwarePromptTest, ButtonWithoutAnInstalledToolStartsNothing) {
  Start(sim::Model::kK7Pro, 0x114);
  InstallTool("7A5D-3A01");  // another model's tool
  ClickFirmwareButton();
  EXPECT_TRUE(launcher_.spawned.empty());
  EXPECT_TRUE(tk_.Messages().empty());
  EXPECT_TRUE(comm_.IsOpen());
  EXPECT_EQ(tk_.GetWindowState(), ui::WindowState::kNormal);
}

TEST_F(FirmwarePromptTest, ButtonWithoutAnInstalledToolFetchesAnOfferedToolPackage) {
  Start(sim::Model::kK7Pro, 0x114);
  Update().ApplyVersionFile("firmware_tool_url=https://vexmouse.example/tools\n");
  ClickFirmwareButton();
  EXPECT_TRUE(launcher_.spawned.empty());
  EXPECT_EQ(Queued(), std::vector<int>{ui::kTaskToolPackage});
  EXPECT_EQ(tk_.ModalBegins(ui::ModalKind::kDownload), 1);
  EXPECT_TRUE(comm_.IsOpen());
}

TEST_F(FirmwarePromptTest, ToolThatCannotStartLeavesTheMouseWithTheProgram) {
  Start(sim::Model::kK7Pro, 0x114);
  InstallTool("7A5D-3A02");
  launcher_.pid = 0;
  ClickFirmwareButton();
  EXPECT_EQ(launcher_.spawned.size(), 1u);
  EXPECT_TRUE(comm_.IsOpen());
  EXPECT_GT(comm_.EntryCount(), 0u);
  EXPECT_EQ(dlg_->Device().PendingToolProcess().load(), 0);
  EXPECT_EQ(tk_.GetWindowState(), ui::WindowState::kNormal);
}

}  // namespace
}  // namespace update
