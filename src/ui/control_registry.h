// The control numbers the window builds, registered by their owners (the frame and each
// page's logic, gathered by app::RegisterWindowControls). The Qt window creates each of them;
// the headless toolkit reports a touch of any other number, so a mistyped number fails a test.
#pragma once

#include <functional>
#include <span>
#include <vector>

namespace ui {

// Adds `numbers` to the registry (repeats are harmless). Any thread.
void RegisterControls(std::span<const int> numbers);
bool IsRegisteredControl(int number);
// In ascending order.
std::vector<int> RegisteredControls();

}  // namespace ui
