// The main window's dispatch of control notifications: each page registers the control
// numbers it owns. A handler registered for every code sees all notifications of its control;
// the others act on code 2 (clicked or selection made) only.
#pragma once

#include <cstdint>
#include <functional>
#include <map>

#include "ui/toolkit.h"

namespace ui {

using ControlHandler = std::function<void(int code, int64_t value)>;

class ControlDispatch {
 public:
  void OnClick(int number, ControlHandler handler) {
    handlers_[number] = {std::move(handler), false};
  }
  void OnAny(int number, ControlHandler handler) { handlers_[number] = {std::move(handler), true}; }
  // True when a handler ran.
  bool Notify(int number, int code, int64_t value) const {
    auto it = handlers_.find(number);
    if (it == handlers_.end()) return false;
    if (!it->second.any_code && code != kNotifyClicked) return false;
    it->second.handler(code, value);
    return true;
  }
  bool Has(int number) const { return handlers_.count(number) != 0; }
  // Registered with OnAny.
  bool TakesAnyCode(int number) const {
    auto it = handlers_.find(number);
    return it != handlers_.end() && it->second.any_code;
  }

 private:
  struct Entry {
    ControlHandler handler;
    bool any_code = false;
  };
  std::map<int, Entry> handlers_;
};

}  // namespace ui
