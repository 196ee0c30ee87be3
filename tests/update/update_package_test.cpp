// Tasks 20 and 21 against a server the test runs on 127.0.0.1: the package is fetched from
// "<base>//<name>", checked against the version file's SHA-256, unpacked safely and its
// installer opened; every failure deletes the package and tells the person why.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/app_fixture.h"
#include "platform/app_key.h"
#include "platform/clock.h"
#include "platform/language.h"
#include "platform/paths.h"
#include "sim/virtual_bus.h"
#include "support/temp_dir.h"
#include "ui/headless/headless_toolkit.h"
#include "update/local_http_server.h"
#include "update/update_subsystem.h"
#include "update/zip_builder.h"

namespace update {
namespace {

namespace fs = std::filesystem;
using update_test::LocalHttpServer;

// A package holding only "Q9-Prime-Driver-2.2.0" (stored, 1 January 2026 12:00), and its
// SHA-256 as published in the version file.
const std::vector<update_test::ZipEntry> kDriverPackage = {
    {"Q9-Prime-Driver-2.2.0", "#!/bin/sh\necho installing\n", S_IFREG | 0755}};
constexpr const char* kDriverPackageSha256 =
    "b02c1e3e1dc5345cdd1bdb0e2af586ba7ddb498d42802cfc86d2bb02d6685503";

struct RecordingLauncher : ProgramLauncher {
  std::vector<std::string> spawned, opened;
  int32_t Spawn(const std::string& path) override {
    spawned.push_back(path);
    return 0;
  }
  bool Open(const std::string& path) override {
    opened.push_back(path);
    return true;
  }
};

class UpdatePackageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_program_dir_ = platform::ProgramDir();
    platform::SetProgramDir(MOUSE_DATA_DIR);
    platform::SetLanguageId(1033);
    fs::create_directories(data_);
    update_ = std::make_unique<UpdateSubsystem>(
        UpdateContext{tk_, comm_, key_, pending_, [this](int code) { tasks_.push_back(code); },
                      [this](int code) { exits_.push_back(code); }, [this] { return upgrade_; },
                      [] { return std::string("2.1.3"); }, data_, dir_.path() + "program/"});
    update_->SetLauncher(&launcher_);
  }
  void TearDown() override { platform::SetProgramDir(saved_program_dir_); }

  void ServeDriverPackage() {
    const std::string zip = dir_.path() + "built.zip";
    ASSERT_TRUE(update_test::WriteZip(zip, kDriverPackage));
    server_.Set("/dl//Q9-Prime-Driver-2.2.0.zip", {200, app_test::ReadFile(zip)});
  }
  std::vector<std::string> Told() {
    std::vector<std::string> out;
    for (const auto& m : tk_.Messages()) out.push_back(m.message);
    return out;
  }
  std::vector<std::string> Paths() {
    std::vector<std::string> out;
    for (const auto& r : server_.Requests()) out.push_back(r.path);
    return out;
  }

  std::string saved_program_dir_;
  test_support::TempDir dir_;
  std::string data_ = dir_.path() + "data/";
  LocalHttpServer server_;
  std::string upgrade_ = server_.Base() + "/dl";
  ui::HeadlessToolkit tk_;
  platform::VirtualClock clock_;
  sim::VirtualBus bus_{clock_};
  DriverComm comm_{bus_, clock_};
  platform::AppKey key_{dir_.path() + "config/"};
  std::atomic<int32_t> pending_{0};
  std::vector<int> tasks_, exits_;
  RecordingLauncher launcher_;
  std::unique_ptr<UpdateSubsystem> update_;
};

TEST_F(UpdatePackageTest, NewerDriverInTheVersionFilePromptsAndTheTaskOpensTheInstaller) {
  ServeDriverPackage();
  update_->ApplyVersionFile(std::string("# offered\ndriver_version=2.2.0\ndriver_sha256=") +
                            kDriverPackageSha256 + "\n");
  ASSERT_EQ(tk_.PendingMessages().size(), 1u);
  EXPECT_EQ(tk_.PendingMessages()[0].message, WM_UPDATE_PROMPT);
  EXPECT_EQ(tk_.PendingMessages()[0].wparam, kPromptDriver);
  update_->OnUpdatePrompt(kPromptDriver);  // confirmed
  EXPECT_EQ(tk_.Messages()[0].title, "Driver update");
  EXPECT_EQ(tk_.Messages()[0].message,
            "A new driver version is available:v2.2.0, download and install it now?");
  EXPECT_EQ(tasks_, std::vector<int>{ui::kTaskDriverUpdate});
  EXPECT_EQ(tk_.ModalBegins(ui::ModalKind::kDownload), 1);

  EXPECT_TRUE(update_->DriverUpdate());
  EXPECT_EQ(Paths(), std::vector<std::string>{"/dl//Q9-Prime-Driver-2.2.0.zip"});
  EXPECT_EQ(launcher_.opened, std::vector<std::string>{data_ + "temp/Q9-Prime-Driver-2.2.0"});
  EXPECT_EQ(app_test::ReadFile(data_ + "temp/Q9-Prime-Driver-2.2.0"),
            "#!/bin/sh\necho installing\n");
  EXPECT_FALSE(fs::exists(data_ + "temp/Q9-Prime-Driver-2.2.0.zip"));
  EXPECT_EQ(exits_, std::vector<int>{0});
  EXPECT_FALSE(tk_.ModalOpen(ui::ModalKind::kDownload));
}

TEST_F(UpdatePackageTest, SameOrOlderDriverDoesNotPrompt) {
  update_->ApplyVersionFile("driver_version=2.1.3\n");
  update_->ApplyVersionFile("driver_version=2.1\n");
  EXPECT_TRUE(tk_.PendingMessages().empty());
}

TEST_F(UpdatePackageTest, ChecksumMismatchStartsNothingAndDeletesThePackage) {
  ServeDriverPackage();
  update_->ApplyVersionFile(
      "driver_version=2.2.0\n"
      "driver_sha256=0000000000000000000000000000000000000000000000000000000000000000\n");
  EXPECT_FALSE(update_->DriverUpdate());
  EXPECT_TRUE(launcher_.opened.empty());
  EXPECT_TRUE(exits_.empty());
  EXPECT_FALSE(fs::exists(data_ + "temp/Q9-Prime-Driver-2.2.0.zip"));
  EXPECT_FALSE(fs::exists(data_ + "temp/Q9-Prime-Driver-2.2.0"));
  EXPECT_EQ(Told(), std::vector<std::string>{"The downloaded package does not match the "
                                             "published checksum and was deleted."});
}

TEST_F(UpdatePackageTest, FailedDownloadLeavesNoFileAndSaysWhy) {
  // Nothing served: the server answers 404.
  update_->ApplyVersionFile(std::string("driver_version=2.2.0\ndriver_sha256=") +
                            kDriverPackageSha256 + "\n");
  EXPECT_FALSE(update_->DriverUpdate());
  EXPECT_TRUE(fs::is_empty(data_ + "temp/"));
  ASSERT_EQ(Told().size(), 1u);
  EXPECT_EQ(Told()[0].rfind("The download failed: ", 0), 0u) << Told()[0];
  EXPECT_TRUE(exits_.empty());
}

TEST_F(UpdatePackageTest, CancelledDownloadLeavesNoFileAndSaysNothing) {
  ServeDriverPackage();
  update_->ApplyVersionFile(std::string("driver_version=2.2.0\ndriver_sha256=") +
                            kDriverPackageSha256 + "\n");
  tk_.CancelNextModal(ui::ModalKind::kDownload);
  update_->OnUpdatePrompt(kPromptDriver);  // confirmed, then the progress dialog cancelled
  EXPECT_FALSE(update_->DriverUpdate());
  EXPECT_TRUE(fs::is_empty(data_ + "temp/"));
  EXPECT_EQ(Told().size(), 1u);  // the prompt only
  EXPECT_TRUE(launcher_.opened.empty());
}

TEST_F(UpdatePackageTest, UnsafePackageWithTheRightChecksumIsNotUsed) {
  const std::string zip = dir_.path() + "evil.zip";
  ASSERT_TRUE(update_test::WriteZip(zip, {{"Q9-Prime-Driver-2.2.0", "x"}, {"../escaped", "x"}}));
  server_.Set("/dl//Q9-Prime-Driver-2.2.0.zip", {200, app_test::ReadFile(zip)});
  update_->ApplyVersionFile(
      "driver_version=2.2.0\ndriver_sha256="
      "84475a8883dffeeea28504d40f5c3afe83d2611a6aa1c10ac08fa064a0716dc7\n");
  EXPECT_FALSE(update_->DriverUpdate());
  EXPECT_TRUE(fs::is_empty(data_ + "temp/"));
  EXPECT_FALSE(fs::exists(data_ + "escaped"));
  EXPECT_TRUE(launcher_.opened.empty());
  EXPECT_EQ(Told(), std::vector<std::string>{
                        "The downloaded package is damaged or unsafe and was not used."});
}

TEST_F(UpdatePackageTest, VersionsThatWouldNameOtherFilesAreRefused) {
  update_->ApplyVersionFile("driver_version=../../x\nfirmware_tool_version=a/b\n");
  EXPECT_EQ(update_->Offer().driver_version, "");
  EXPECT_EQ(update_->Offer().firmware_tool_version, "");
  EXPECT_TRUE(tk_.PendingMessages().empty());
  EXPECT_FALSE(update_->DriverUpdate());
  EXPECT_TRUE(server_.Requests().empty());
}

TEST_F(UpdatePackageTest, ToolPackageComesFromTheToolAddress) {
  const std::string zip = dir_.path() + "tool.zip";
  ASSERT_TRUE(update_test::WriteZip(zip, {{"FirmwareUpdateTool-115", "tool", S_IFREG | 0755}}));
  server_.Set("/tools//FirmwareUpdateTool-115.zip", {200, app_test::ReadFile(zip)});
  update_->ApplyVersionFile("firmware_tool_url=" + server_.Base() +
                            "/tools\nfirmware_tool_version=115\nfirmware_tool_sha256="
                            "043b676f37f717f0f4dcb9ee19f54d96e92882f64445440ebb737291b28d4c75\n");
  EXPECT_TRUE(update_->ToolPackageDownload());
  EXPECT_EQ(launcher_.opened, std::vector<std::string>{data_ + "temp/FirmwareUpdateTool-115"});
  EXPECT_EQ(exits_, std::vector<int>{0});
}

TEST_F(UpdatePackageTest, VersionCheckRunsOncePerDayUnlessTurnedOffOrUnconfigured) {
  server_.Set("/dl/version.ini", {200, "driver_version=2.1.3\n"});
  update_->SetToday([] { return 20000; });
  update_->StartVersionCheck();
  update_->WaitVersionCheck();
  EXPECT_EQ(Paths(), std::vector<std::string>{"/dl/version.ini"});
  update_->StartVersionCheck();  // the same day: nothing
  update_->WaitVersionCheck();
  EXPECT_EQ(Paths().size(), 1u);
  EXPECT_EQ(key_.ReadInt(kUpdateCheckDayKey), 20000);

  update_->SetToday([] { return 20001; });
  key_.WriteInt(kNoUpdateCheckKey, 1);
  update_->StartVersionCheck();
  update_->WaitVersionCheck();
  EXPECT_EQ(Paths().size(), 1u);

  key_.WriteInt(kNoUpdateCheckKey, 0);
  upgrade_.clear();
  update_->StartVersionCheck();
  update_->WaitVersionCheck();
  EXPECT_EQ(Paths().size(), 1u);
}

}  // namespace
}  // namespace update
