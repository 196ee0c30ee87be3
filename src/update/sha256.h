// SHA-256 of a file, as 64 lower-case hex digits (GLib's checksum).
#pragma once

#include <string>

namespace update {

// Empty when the file cannot be read.
std::string FileSha256(const std::string& path);

// True when `expected` (hex digits, either case) names the same digest as `actual`.
bool SameDigest(const std::string& expected, const std::string& actual);

}  // namespace update
