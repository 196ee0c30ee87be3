#include "app/process_waiter.h"

#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>

namespace app {

namespace {

// True while /proc shows the process and it is not a zombie (a zombie has ended).
bool ProcessAlive(int32_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  if (!stat) return false;
  std::string text;
  std::getline(stat, text);
  // "pid (comm) S ...": the name may hold spaces and parentheses, the state follows the last ')'.
  const size_t close = text.rfind(')');
  if (close == std::string::npos || close + 2 >= text.size()) return false;
  const char state = text[close + 2];
  return state != 'Z' && state != 'X';
}

void ReapIfChild(int32_t pid) {
  // ECHILD for anything not our child: harmless.
  while (waitpid(pid, nullptr, WNOHANG) < 0 && errno == EINTR) {
  }
}

}  // namespace

bool PosixProcessWaiter::WaitForExit(int32_t pid, const std::function<bool()>& stop) {
  if (pid <= 0) return false;
#ifdef SYS_pidfd_open
  const int fd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  if (fd >= 0) {
    pollfd p{fd, POLLIN, 0};
    bool ended = false;
    while (!ended && !(stop && stop())) {
      const int r = poll(&p, 1, kStopCheckMs);
      if (r > 0 || (r < 0 && errno != EINTR)) ended = true;
    }
    close(fd);
    if (ended) ReapIfChild(pid);
    return true;
  }
  if (errno == ESRCH) return false;
#endif
  if (!ProcessAlive(pid)) {
    ReapIfChild(pid);
    return false;
  }
  while (ProcessAlive(pid) && !(stop && stop())) {
    std::this_thread::sleep_for(std::chrono::milliseconds(kStopCheckMs));
  }
  if (!ProcessAlive(pid)) ReapIfChild(pid);
  return true;
}

}  // namespace app
