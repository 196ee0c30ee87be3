// Starting other programs without a shell: the firmware tool as a child process, installers
// through the desktop's opener. A port, so tests see what would be started.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace update {

class ProgramLauncher {
 public:
  virtual ~ProgramLauncher() = default;
  // Starts `path` with no arguments, the inherited environment and working directory.
  // The child's process id, or 0 (traced) when it could not be started.
  virtual int32_t Spawn(const std::string& path) = 0;
  // Opens `path` with the desktop's opener (xdg-open). False when that cannot be started.
  virtual bool Open(const std::string& path) = 0;
};

// posix_spawn / posix_spawnp; nothing goes through a shell, so no name is ever interpreted.
class PosixLauncher : public ProgramLauncher {
 public:
  int32_t Spawn(const std::string& path) override;
  bool Open(const std::string& path) override;
};

// posix_spawnp of `argv` (argv[0] is looked up in PATH when it has no '/'). 0 on failure.
int32_t SpawnArgv(const std::vector<std::string>& argv, bool search_path);

}  // namespace update
