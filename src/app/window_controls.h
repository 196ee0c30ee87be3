// Gathers the control numbers of every part of the main window into ui/control_registry.h:
// the frame's and each page logic's own table. A new page adds its table here.
#pragma once

namespace app {

// Idempotent; any thread.
void RegisterWindowControls();

}  // namespace app
