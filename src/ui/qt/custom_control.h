// What the toolkit keeps for every control, and the base of widgets that draw a control kind Qt
// has no class for (battery, tab row, DPI levels, device list, button hot-spots, ...).
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <string>

#include "ui/control_state.h"
#include "ui/toolkit.h"

namespace ui::qt {

// The toolkit's record of one control (ui/control_state.h). Standard Qt widgets hold their own
// visibility, text, check, items and values; the record holds everything else, and is the
// whole state of a custom control.
using ControlState = ui::ControlState;

// Mixed into a QWidget subclass. The toolkit updates State() on the window thread and then
// calls StateChanged(); the widget draws from State() and reports what the person does with
// Notify (the toolkit forwards it to the listener as (number, code, value)). A widget that
// changes a value itself (a drag) writes State() first, so getters see it.
class CustomControl {
 public:
  virtual ~CustomControl() = default;
  virtual void StateChanged() = 0;

  ControlState& State() { return *state_; }
  const ControlState& State() const { return *state_; }
  bool Registered() const { return state_ != &unregistered_; }

 protected:
  void Notify(int code, int64_t value) {
    if (notify_) notify_(code, value);
  }

 private:
  friend class QtToolkit;
  ControlState unregistered_;
  ControlState* state_ = &unregistered_;
  std::function<void(int, int64_t)> notify_;
};

inline QString Q(const std::string& utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}
inline std::string U(const QString& text) { return text.toUtf8().toStdString(); }

}  // namespace ui::qt
