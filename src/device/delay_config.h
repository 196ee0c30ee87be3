// config.ini beside the program: the pause after each screen frame.
#pragma once

namespace device {

// "TIME" of section "DELAY" in <ProgramDir>config.ini, in ms; 0 when absent or negative.
int ReadScreenPauseMs();

}  // namespace device
