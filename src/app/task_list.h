// The first-in-first-out list of task codes: the only way window actions start device work.
// Both threads append; the worker takes from the front.
#pragma once

#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>

namespace app {

class TaskList {
 public:
  void Append(int code) {
    std::lock_guard lock(mu_);
    codes_.push_back(code);
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
  std::deque<int> codes_;
};

}  // namespace app
