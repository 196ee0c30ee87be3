// Writes small zip archives for the tests with minizip's zip side: stored entries, a fixed
// date, and optionally a Unix mode (symlinks).
#pragma once

#include <minizip/zip.h>
#include <sys/stat.h>

#include <string>
#include <vector>

namespace update_test {

struct ZipEntry {
  std::string name;
  std::string data;
  unsigned unix_mode = 0;  // 0: no Unix attributes
};

inline bool WriteZip(const std::string& path, const std::vector<ZipEntry>& entries) {
  zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
  if (!zip) return false;
  bool ok = true;
  for (const ZipEntry& e : entries) {
    zip_fileinfo info{};
    info.tmz_date = {0, 0, 12, 1, 0, 2026};  // 1 January 2026, 12:00
    const uLong made_by = e.unix_mode ? (3u << 8) | 20u : 20u;
    info.external_fa = static_cast<uLong>(e.unix_mode) << 16;
    ok = ok && zipOpenNewFileInZip4_64(zip, e.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                       0 /* stored */, 0, 0, -MAX_WBITS, DEF_MEM_LEVEL,
                                       Z_DEFAULT_STRATEGY, nullptr, 0, made_by, 0, 0) == ZIP_OK;
    ok = ok &&
         zipWriteInFileInZip(zip, e.data.data(), static_cast<unsigned>(e.data.size())) == ZIP_OK;
    ok = ok && zipCloseFileInZip(zip) == ZIP_OK;
  }
  return zipClose(zip, nullptr) == ZIP_OK && ok;
}

}  // namespace update_test
