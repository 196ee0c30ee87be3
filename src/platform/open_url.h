// Hands an address to the desktop's URL opener.
#pragma once

#include <string>

namespace platform {

// Starts "xdg-open <url>" without waiting for it; false when it cannot be started or the
// address is empty or starts with '-' (it would be read as an option).
bool OpenUrl(const std::string& url);

}  // namespace platform
