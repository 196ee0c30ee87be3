#include "update/sha256.h"

#include <glib.h>

#include <cctype>
#include <fstream>

namespace update {

std::string FileSha256(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  GChecksum* sum = g_checksum_new(G_CHECKSUM_SHA256);
  char buffer[65536];
  while (in) {
    in.read(buffer, sizeof buffer);
    if (in.gcount() > 0) {
      g_checksum_update(sum, reinterpret_cast<const guchar*>(buffer),
                        static_cast<gssize>(in.gcount()));
    }
  }
  std::string digest;
  if (in.eof()) digest = g_checksum_get_string(sum);
  g_checksum_free(sum);
  return digest;
}

bool SameDigest(const std::string& expected, const std::string& actual) {
  if (expected.size() != 64 || actual.size() != 64) return false;
  for (size_t i = 0; i < 64; ++i) {
    if (!std::isxdigit(static_cast<unsigned char>(expected[i]))) return false;
    if (std::tolower(static_cast<unsigned char>(expected[i])) != actual[i]) return false;
  }
  return true;
}

}  // namespace update
