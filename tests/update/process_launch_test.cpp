// The tool is started as a child without a shell: its path is never interpreted, and the
// worker's wait sees it end.
#include "update/process_launch.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "app/app_fixture.h"
#include "app/process_waiter.h"
#include "support/temp_dir.h"

namespace update {
namespace {

TEST(ProcessLaunch, SpawnsThePathAsItIsAndTheWaiterSeesItEnd) {
  test_support::TempDir dir;
  // A shell would run "touch injected" for this name.
  const std::string tool = dir.path() + "Firmware Tool;touch injected";
  app_test::WriteFile(tool, "#!/bin/sh\necho ran > \"$(dirname \"$0\")/marker\"\n");
  chmod(tool.c_str(), 0755);
  PosixLauncher launcher;
  const int32_t pid = launcher.Spawn(tool);
  ASSERT_GT(pid, 0);
  app::PosixProcessWaiter waiter;
  EXPECT_TRUE(waiter.WaitForExit(pid, [] { return false; }));
  EXPECT_EQ(app_test::ReadFile(dir.path() + "marker"), "ran\n");
  EXPECT_FALSE(std::filesystem::exists("injected"));
  EXPECT_FALSE(std::filesystem::exists(dir.path() + "injected"));
}

TEST(ProcessLaunch, MissingProgramGivesNoProcess) {
  PosixLauncher launcher;
  EXPECT_EQ(launcher.Spawn("/nonexistent/Firmware-Tool"), 0);
}

}  // namespace
}  // namespace update
