// The requests that carry button codes to the mouse: one button, and the key table of buttons
// 0..5 in three parts.
#pragma once

#include <array>

#include "buttons/button_function.h"
#include "device/driver_comm.h"

namespace buttons {

// 50 04 20 30 (4n), then the code.
CommandFrame OneButtonFrame(int n, const ButtonCode& code);
// 50 0A 80 31 00 bytes 0..9; 50 0A 81 31 0A bytes 10..19; 50 04 82 32 14 bytes 20..23.
std::array<CommandFrame, 3> KeyTableFrames(const KeyTable& table);

}  // namespace buttons
