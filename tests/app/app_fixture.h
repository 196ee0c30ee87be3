// Temporary folders, environment overrides and a headless frontend for the start-up and
// window tests.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "app/frontend.h"
#include "device/hid.h"
#include "support/device_test_support.h"
#include "support/temp_dir.h"
#include "ui/headless/headless_toolkit.h"

namespace app_test {

using devtest::EmptyBus;

using TempDir = test_support::TempDir;

// Sets environment variables for its lifetime (nullptr unsets), then puts them back.
class EnvGuard {
 public:
  void Set(const char* name, const char* value) {
    if (!saved_.count(name)) {
      const char* old = getenv(name);
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    value ? setenv(name, value, 1) : unsetenv(name);
  }
  ~EnvGuard() {
    for (const auto& [name, value] : saved_) {
      value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
    }
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

inline void WriteFile(const std::string& path, const std::string& text) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs the main window as the headless toolkit would: the initialisation hook, then
// `while_running` (what the person does), then the window ends.
class HeadlessFrontend : public app::Frontend {
 public:
  app::ScreenInfo screen{true, 1920, 1080, 96};
  ui::HeadlessToolkit toolkit;
  std::function<void()> while_running;
  bool dpi_aware = false;
  int runs = 0;

  app::ScreenInfo PrimaryScreen() override { return screen; }
  void SetProcessDpiAware() override { dpi_aware = true; }
  ui::Toolkit& Toolkit() override { return toolkit; }
  void RunMainWindow(const std::string&, const std::function<void()>& on_init) override {
    ++runs;
    on_init();
    if (while_running) while_running();
  }
};

}  // namespace app_test
