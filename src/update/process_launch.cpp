#include "update/process_launch.h"

#include <spawn.h>
#include <sys/types.h>

#include <cstring>

#include "log/trace.h"

extern char** environ;

namespace update {

int32_t SpawnArgv(const std::vector<std::string>& argv, bool search_path) {
  if (argv.empty() || argv[0].empty()) return 0;
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  const int rc = search_path ? posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ)
                             : posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), environ);
  if (rc != 0) {
    Trace(4, "Cannot start %s: %s", argv[0].c_str(), std::strerror(rc));
    return 0;
  }
  Trace(2, "Started %s, pid %d", argv[0].c_str(), static_cast<int>(pid));
  return static_cast<int32_t>(pid);
}

int32_t PosixLauncher::Spawn(const std::string& path) { return SpawnArgv({path}, false); }

bool PosixLauncher::Open(const std::string& path) {
  // The opener is not waited for: the program ends right after handing the file over, and
  // xdg-open outlives it.
  return SpawnArgv({"xdg-open", path}, true) != 0;
}

}  // namespace update
