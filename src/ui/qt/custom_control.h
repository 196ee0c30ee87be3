// What the toolkit keeps for every control, and the base of widgets that draw a control kind Qt
// has no class for (battery, tab row, DPI levels, device list, button hot-spots, ...).
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ui/toolkit.h"

namespace ui::qt {

// The toolkit's record of one control. Standard Qt widgets hold their own text, check, items
// and values; the record holds everything else, and is the whole state of a custom control.
struct ControlState {
  int id = 0;
  std::string title;
  bool checked = false;
  uint32_t colour = 0;  // red + 256 * green + 65536 * blue
  std::string image;    // as given to SetImage
  struct Item {
    std::string text;
    int64_t data = 0;
  };
  std::vector<Item> items;
  int cur_sel = -1;
  std::string edit_text;
  int range_min = 0, range_max = 100, pos = 0, progress = 0;
  int dpi_count = 0, dpi_selected = 0;
  std::map<int, int> dpi_values;
  std::map<int, uint32_t> dpi_colours;
  int battery = -1;
  bool charging = false;
  std::vector<DeviceListItem> devices;
  std::vector<MouseItem> mouse_items;
  int mouse_selected = -1;
  std::vector<TabItem> tabs;
  int tab_selected = -1;
};

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
