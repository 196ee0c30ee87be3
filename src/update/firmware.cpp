#include "update/firmware.h"

#include <array>
#include <cstdio>

namespace update {
namespace {

struct FirmwareTarget {
  int vendor_id;
  int product_id;
  int version;
};

constexpr std::array<FirmwareTarget, 3> kTargets = {{
    {0x7A5D, 0x3A01, 0x115},
    {0x7A5D, 0x3A02, 0x115},
    {0x7A5D, 0x3A03, 0x115},
}};

}  // namespace

int TargetFirmwareVersion(int vendor_id, int product_id) {
  for (const FirmwareTarget& t : kTargets) {
    if (t.vendor_id == vendor_id && t.product_id == product_id) return t.version;
  }
  return 0;
}

std::string FirmwareVersionLabel(const std::string& label, int version) {
  char text[32];
  std::snprintf(text, sizeof text, ": %x", static_cast<unsigned>(version));
  return label + text;
}

std::string OfferedVersionText(int target) {
  char text[16];
  std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(target));
  return text;
}

std::string FirmwareToolPath(const std::string& program_dir, int vendor_id, int product_id) {
  char folder[32];
  std::snprintf(folder, sizeof folder, "firmware/%04X-%04X/", static_cast<unsigned>(vendor_id),
                static_cast<unsigned>(product_id));
  return program_dir + folder + "Firmware-Tool";
}

std::string JoinPackageUrl(const std::string& base, const std::string& name) {
  return base + "//" + name;
}

}  // namespace update
