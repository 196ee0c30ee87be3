// The small version file at the update address: what the update server offers.
//
//   driver_version=2.2.0
//   driver_sha256=<64 hex digits of Q9-Prime-Driver-2.2.0.zip>
//   firmware_tool_url=https://host/tools
//   firmware_tool_version=115
//   firmware_tool_sha256=<64 hex digits of FirmwareUpdateTool-115.zip>
//
// One key=value a line; blank lines, lines starting with '#' and unknown keys are skipped.
#pragma once

#include <string>

namespace update {

inline constexpr const char* kVersionFileName = "version.ini";

struct UpdateOffer {
  std::string driver_version;
  std::string driver_sha256;
  std::string firmware_tool_url;
  std::string firmware_tool_version;
  std::string firmware_tool_sha256;
};

UpdateOffer ParseVersionFile(const std::string& text);

// "<upgrade url>/version.ini" (no second '/' when the address ends in one).
std::string VersionFileUrl(const std::string& upgrade_url);

// True when the dotted number `offered` ("2.2.0") is above `current` ("2.1.3"); missing parts
// count 0, a part that is not a number makes the offer not newer.
bool IsNewerVersion(const std::string& offered, const std::string& current);

}  // namespace update
