#include "platform/open_url.h"

#include <spawn.h>
#include <sys/wait.h>

#include <thread>

#include "log/trace.h"

extern char** environ;

namespace platform {

bool OpenUrl(const std::string& url) {
  if (url.empty() || url.front() == '-') return false;
  std::string program = "xdg-open";
  std::string argument = url;
  char* argv[] = {program.data(), argument.data(), nullptr};
  pid_t pid = 0;
  const int error = posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ);
  if (error != 0) {
    Trace(4, "xdg-open %s could not start: %d", url.c_str(), error);
    return false;
  }
  // Reaped beside, so the opener leaves no zombie behind.
  std::thread([pid] {
    int status = 0;
    waitpid(pid, &status, 0);
  }).detach();
  return true;
}

}  // namespace platform
