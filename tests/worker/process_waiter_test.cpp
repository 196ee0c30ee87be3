// The firmware tool's process watch on Linux, with real short-lived child processes.
#include "app/process_waiter.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

extern char** environ;

namespace {

pid_t Spawn(const char* program, const char* argument) {
  pid_t pid = 0;
  char* argv[] = {const_cast<char*>(program), const_cast<char*>(argument), nullptr};
  if (posix_spawn(&pid, program, nullptr, nullptr, argv, environ) != 0) return -1;
  return pid;
}

TEST(PosixProcessWaiter, WaitsForTheEndAndReapsTheChild) {
  const pid_t pid = Spawn("/bin/true", nullptr);
  ASSERT_GT(pid, 0);
  app::PosixProcessWaiter waiter;
  EXPECT_TRUE(waiter.WaitForExit(pid, [] { return false; }));
  // Reaped: no zombie is left behind.
  errno = 0;
  EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
  // Gone: nothing to watch, the caller goes on at once.
  EXPECT_FALSE(waiter.WaitForExit(pid, [] { return false; }));
  EXPECT_FALSE(waiter.WaitForExit(0, [] { return false; }));
}

TEST(PosixProcessWaiter, StopEndsTheWaitWhileTheProcessRuns) {
  const pid_t pid = Spawn("/bin/sleep", "30");
  ASSERT_GT(pid, 0);
  app::PosixProcessWaiter waiter;
  int asked = 0;
  EXPECT_TRUE(waiter.WaitForExit(pid, [&] { return ++asked > 0; }));
  EXPECT_GT(asked, 0);
  EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), 0);  // still running, not reaped
  kill(pid, SIGKILL);
  EXPECT_EQ(waitpid(pid, nullptr, 0), pid);
}

}  // namespace
