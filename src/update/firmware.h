// The firmware versions this release brings an update tool for, and the names built from them.
#pragma once

#include <cstdint>
#include <string>

namespace update {

// The target firmware version of a mouse with these USB ids; 0 when no tool comes with the
// program for it.
int TargetFirmwareVersion(int vendor_id, int product_id);

// "<label>: <v in lower-case hex>", the main window's firmware version label.
std::string FirmwareVersionLabel(const std::string& label, int version);

// The offered firmware version as shown and used in package names: upper-case hex without
// leading zeros ("115"; "0" for no tool).
std::string OfferedVersionText(int target);

// The installed tool beside the program: "<program_dir>firmware/VVVV-PPPP/Firmware-Tool"
// (`program_dir` ends in '/'; ids in four upper-case hex digits).
std::string FirmwareToolPath(const std::string& program_dir, int vendor_id, int product_id);

// "<base>//<name>": the package address as the update server expects it.
std::string JoinPackageUrl(const std::string& base, const std::string& name);

}  // namespace update
