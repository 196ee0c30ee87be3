#include "update/version_file.h"

#include <sstream>
#include <vector>

namespace update {
namespace {

std::string Trim(const std::string& s) {
  const size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return {};
  const size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

bool SplitNumbers(const std::string& text, std::vector<long>& parts) {
  if (text.empty()) return false;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, '.')) {
    if (part.empty() || part.size() > 9 ||
        part.find_first_not_of("0123456789") != std::string::npos) {
      return false;
    }
    parts.push_back(std::stol(part));
  }
  return !parts.empty();
}

}  // namespace

UpdateOffer ParseVersionFile(const std::string& text) {
  UpdateOffer offer;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    line = Trim(line);
    if (line.empty() || line[0] == '#') continue;
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = Trim(line.substr(0, eq));
    const std::string value = Trim(line.substr(eq + 1));
    if (key == "driver_version") offer.driver_version = value;
    if (key == "driver_sha256") offer.driver_sha256 = value;
    if (key == "firmware_tool_url") offer.firmware_tool_url = value;
    if (key == "firmware_tool_version") offer.firmware_tool_version = value;
    if (key == "firmware_tool_sha256") offer.firmware_tool_sha256 = value;
  }
  return offer;
}

std::string VersionFileUrl(const std::string& upgrade_url) {
  if (upgrade_url.empty()) return {};
  return upgrade_url + (upgrade_url.back() == '/' ? "" : "/") + kVersionFileName;
}

bool IsNewerVersion(const std::string& offered, const std::string& current) {
  std::vector<long> a, b;
  if (!SplitNumbers(offered, a)) return false;
  if (!SplitNumbers(current, b)) return true;
  for (size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
    const long x = i < a.size() ? a[i] : 0;
    const long y = i < b.size() ? b[i] : 0;
    if (x != y) return x > y;
  }
  return false;
}

}  // namespace update
