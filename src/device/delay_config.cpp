#include "device/delay_config.h"

#include <algorithm>

#include "platform/ini_file.h"
#include "platform/paths.h"

namespace device {

int ReadScreenPauseMs() {
  return std::max(0, platform::ReadIniInt(platform::DataDir() + "config.ini", "DELAY", "TIME", 0));
}

}  // namespace device
