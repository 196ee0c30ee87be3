// Unpacking a downloaded zip package into a folder, refusing any package with an entry that
// could land outside it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace update {

enum class UnpackResult {
  kOk,
  kCannotOpen,   // not a readable zip archive
  kUnsafeEntry,  // an entry name or kind that could write outside the folder; nothing written
  kTooLarge,     // the entries together exceed the limit; nothing kept
  kFailed,       // an entry could not be read or written; what was written is removed again
};

const char* UnpackResultName(UnpackResult result);

// True for a relative name made of plain parts: no "..", no absolute or drive-letter start,
// no backslash, no empty part (a trailing '/' marks a folder).
bool IsSafeEntryName(const std::string& name);

// Every entry is checked before anything is written; files are created only below `folder`
// (which must exist), never through a symlink. On any failure after writing began, the files
// and folders this call created are removed. `names` receives the entries unpacked.
UnpackResult Unpack(const std::string& archive, const std::string& folder,
                    uint64_t max_total_bytes = uint64_t{1} << 30,
                    std::vector<std::string>* names = nullptr);

}  // namespace update
