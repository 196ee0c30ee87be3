// The first-in-first-out list of task codes: the only way window actions start device work.
// Both threads append; the worker takes from the front.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>

namespace app {

class TaskList {
 public:
  void Append(int code) {
    {
      std::lock_guard lock(mu_);
      codes_.push_back(code);
    }
    cv_.notify_all();
  }
  // Blocks until a code is queued, Wake() is called or `max_ms` (real time) have passed;
  // a negative `max_ms` waits without a bound. True when a code is waiting.
  bool WaitForTask(int max_ms) {
    std::unique_lock lock(mu_);
    const auto ready = [this] { return !codes_.empty() || woken_; };
    if (max_ms < 0) {
      cv_.wait(lock, ready);
    } else {
      cv_.wait_for(lock, std::chrono::milliseconds(max_ms), ready);
    }
    woken_ = false;
    return !codes_.empty();
  }
  // Ends the current (or the next) WaitForTask early, e.g. to let the worker stop.
  void Wake() {
    {
      std::lock_guard lock(mu_);
      woken_ = true;
    }
    cv_.notify_all();
  }
  // The oldest code, removed; nullopt when the list is empty.
  std::optional<int> TakeFirst() {
    std::lock_guard lock(mu_);
    if (codes_.empty()) return std::nullopt;
    const int code = codes_.front();
    codes_.pop_front();
    return code;
  }
  bool Empty() const {
    std::lock_guard lock(mu_);
    return codes_.empty();
  }
  size_t Size() const {
    std::lock_guard lock(mu_);
    return codes_.size();
  }

 private:
  mutable std::mutex mu_;
  std::condition_variable cv_;
  std::deque<int> codes_;
  bool woken_ = false;
};

}  // namespace app
