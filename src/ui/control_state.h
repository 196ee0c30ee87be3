// What a toolkit keeps for one control: the in-memory toolkit holds all of it; the Qt toolkit
// holds what its widgets do not (for a control drawn by the program, all of it too).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "ui/toolkit.h"

namespace ui {

struct ControlState {
  int id = 0;
  std::string title;
  bool visible = true;
  bool enabled = true;
  std::string tooltip;
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

}  // namespace ui
