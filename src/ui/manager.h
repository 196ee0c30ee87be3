// Process-wide toolkit settings: the product caption, the theme (accent) colour and the skin.
#pragma once

#include <cstdint>
#include <string>

namespace ui {

class Manager {
 public:
  // The caption names the window, the tray tip, the settings folder and the data folder.
  static void SetDeviceName(const std::string& caption);
  static std::string GetDeviceName();
  // 0xFFRRGGBB.
  static void SetSelectColor(uint32_t argb);
  static uint32_t GetSelectColor();
  // The skin folder's name under "<ProgramDir>skins/".
  static std::string GetTheme();
  static void SetTheme(const std::string& theme);
};

}  // namespace ui
