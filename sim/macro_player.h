// What the mouse does when a button that carries a macro is pressed: it looks the slot up in
// its key table and plays that slot's events from its macro memory. For the "Virtual mouse"
// window, so a macro can be seen working without the hardware.
#pragma once

#include <string>
#include <vector>

#include "sim/firmware.h"

namespace sim {

struct MacroPlayback {
  bool is_macro = false;  // the button's function is a macro (code 03)
  int slot = -1;
  int repeat = 0;                  // b1 of the code: 1 count, 2 toggle, 4 while held
  int count = 0;                   // b2
  std::string error;               // why nothing could be played (no memory, slot missing)
  std::vector<std::string> lines;  // one per event: "key down A (0x04), 100 ms"
};

// Plays button `button` (0-based) once. A button without a macro gives is_macro false.
MacroPlayback PlayButton(const MouseState& mouse, int button);

}  // namespace sim
