// In every test program: the headless toolkit knows the window's controls, and a test that
// touches any other number fails, so a mistyped control number cannot pass.
#include <gtest/gtest.h>

#include "app/window_controls.h"
#include "ui/headless/headless_toolkit.h"

namespace {

const bool registered = [] {
  app::RegisterWindowControls();
  ui::HeadlessToolkit::SetUnknownControlHandler(
      [](int number) { ADD_FAILURE() << "control " << number << " is not one the window builds"; });
  return true;
}();

}  // namespace
