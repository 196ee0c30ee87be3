// SIGTERM and SIGINT as a request to close: the session manager ends a desktop program with
// SIGTERM and expects the same tidy end as its own close button gives.
#pragma once

#include <functional>
#include <thread>

namespace platform {

class StopSignals {
 public:
  // From now until destroyed, each SIGTERM or SIGINT runs `on_stop` on a thread of its own
  // (never inside the signal handler). The previous handlers come back afterwards.
  explicit StopSignals(std::function<void(int signal)> on_stop);
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // False when the handlers could not be installed (the signals then act as before).
  bool Active() const { return active_; }

 private:
  std::function<void(int)> on_stop_;
  std::thread watcher_;
  bool active_ = false;
};

}  // namespace platform
