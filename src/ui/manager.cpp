#include "ui/manager.h"

#include <mutex>

#include "platform/paths.h"

namespace ui {
namespace {

struct State {
  std::mutex mu;
  uint32_t select_color = 0xFF3D8BFF;
  std::string theme = "default";
};

State& Get() {
  static State state;
  return state;
}

}  // namespace

// The caption's one home is platform's: it names the folders as well.
void Manager::SetDeviceName(const std::string& caption) { platform::SetCaption(caption); }

std::string Manager::GetDeviceName() { return platform::Caption(); }

void Manager::SetSelectColor(uint32_t argb) {
  std::lock_guard lock(Get().mu);
  Get().select_color = argb;
}

uint32_t Manager::GetSelectColor() {
  std::lock_guard lock(Get().mu);
  return Get().select_color;
}

std::string Manager::GetTheme() {
  std::lock_guard lock(Get().mu);
  return Get().theme;
}

void Manager::SetTheme(const std::string& theme) {
  std::lock_guard lock(Get().mu);
  Get().theme = theme;
}

}  // namespace ui
