// Waiting for another process to end (the firmware update tool, which owns the mouse while it
// runs). A port, so tests hand the worker a scripted one.
#pragma once

#include <cstdint>
#include <functional>

namespace app {

class ProcessWaiter {
 public:
  virtual ~ProcessWaiter() = default;
  // Blocks until process `pid` has ended or `stop` returns true (asked now and then). Returns
  // false at once when the process cannot be watched (it has already ended, or is not ours to
  // see); the caller then goes on as if it had ended.
  virtual bool WaitForExit(int32_t pid, const std::function<bool()>& stop) = 0;
};

// Linux: a pidfd where the kernel has one, otherwise polling /proc/<pid>. A child of this
// process is reaped once it has ended, so it does not stay a zombie.
class PosixProcessWaiter : public ProcessWaiter {
 public:
  bool WaitForExit(int32_t pid, const std::function<bool()>& stop) override;

  // How often `stop` is asked while waiting.
  static constexpr int kStopCheckMs = 100;
};

}  // namespace app
