#include "update/safe_unzip.h"

#include <fcntl.h>
#include <minizip/unzip.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>

#include "log/trace.h"

namespace update {
namespace {

namespace fs = std::filesystem;

constexpr int kUnixMadeBy = 3;  // "version made by" host of archives written on Unix

struct EntryInfo {
  std::string name;
  bool folder = false;
  bool symlink = false;
  uint64_t size = 0;
  unsigned mode = 0644;
};

struct ZipCloser {
  void operator()(void* zip) const { unzClose(zip); }
};
using ZipHandle = std::unique_ptr<void, ZipCloser>;

bool ReadEntryInfo(unzFile zip, EntryInfo& entry) {
  unz_file_info64 info{};
  if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
    return false;
  }
  std::string name(info.size_filename, '\0');
  if (unzGetCurrentFileInfo64(zip, &info, name.data(), name.size(), nullptr, 0, nullptr, 0) !=
      UNZ_OK) {
    return false;
  }
  entry.name = name;
  entry.folder = !name.empty() && name.back() == '/';
  entry.size = info.uncompressed_size;
  if ((info.version >> 8) == kUnixMadeBy) {
    const unsigned unix_mode = static_cast<unsigned>(info.external_fa >> 16);
    entry.symlink = (unix_mode & S_IFMT) == S_IFLNK;
    // Only the permission bits a user would set: no set-id, sticky or group/other write.
    if (unix_mode & 0777) entry.mode = (unix_mode & 0755) | 0600;
  }
  return true;
}

// Creates the folders on the way to `relative` below `root`, recording the new ones. False
// when a part exists as something other than a real folder (a symlink in particular).
bool MakeParents(const fs::path& root, const fs::path& relative, std::vector<fs::path>& made) {
  fs::path at = root;
  for (const fs::path& part : relative.parent_path()) {
    at /= part;
    struct stat st {};
    if (lstat(at.c_str(), &st) == 0) {
      if (!S_ISDIR(st.st_mode)) return false;
      continue;
    }
    if (mkdir(at.c_str(), 0755) != 0) return false;
    made.push_back(at);
  }
  return true;
}

bool WriteEntry(unzFile zip, const fs::path& target, unsigned mode, uint64_t& budget) {
  if (unzOpenCurrentFile(zip) != UNZ_OK) return false;
  // O_NOFOLLOW and O_EXCL: never through a symlink, never over a file already there.
  const int fd = open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
  if (fd < 0) {
    unzCloseCurrentFile(zip);
    return false;
  }
  bool ok = true;
  char buffer[16384];
  for (;;) {
    const int n = unzReadCurrentFile(zip, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0 || static_cast<uint64_t>(n) > budget) {
      ok = false;
      break;
    }
    budget -= static_cast<uint64_t>(n);
    for (int done = 0; done < n;) {
      const ssize_t w = write(fd, buffer + done, static_cast<size_t>(n - done));
      if (w <= 0) {
        ok = false;
        break;
      }
      done += static_cast<int>(w);
    }
    if (!ok) break;
  }
  if (close(fd) != 0) ok = false;
  // The CRC check happens here: a damaged entry fails.
  if (unzCloseCurrentFile(zip) != UNZ_OK) ok = false;
  return ok;
}

}  // namespace

const char* UnpackResultName(UnpackResult result) {
  switch (result) {
    case UnpackResult::kOk:
      return "unpacked";
    case UnpackResult::kCannotOpen:
      return "not a zip archive";
    case UnpackResult::kUnsafeEntry:
      return "an entry would land outside the folder";
    case UnpackResult::kTooLarge:
      return "too large";
    case UnpackResult::kFailed:
      return "an entry could not be unpacked";
  }
  return "?";
}

bool IsSafeEntryName(const std::string& name) {
  if (name.empty() || name.front() == '/') return false;
  if (name.find('\\') != std::string::npos || name.find('\0') != std::string::npos) return false;
  // "C:x" or "C:/x": a drive letter; a colon has no business in a package name anyway.
  if (name.find(':') != std::string::npos) return false;
  size_t start = 0;
  while (start < name.size()) {
    const size_t slash = name.find('/', start);
    const size_t end = slash == std::string::npos ? name.size() : slash;
    const std::string_view part(name.data() + start, end - start);
    if (part.empty() || part == "." || part == "..") return false;
    if (slash == std::string::npos) break;
    start = slash + 1;  // a trailing '/' ends the loop: a folder entry
  }
  return true;
}

UnpackResult Unpack(const std::string& archive, const std::string& folder, uint64_t max_total_bytes,
                    std::vector<std::string>* names) {
  ZipHandle zip(unzOpen64(archive.c_str()));
  if (!zip) {
    Trace(4, "Unpack %s: cannot open the archive", archive.c_str());
    return UnpackResult::kCannotOpen;
  }
  // First every entry is looked at; one bad entry refuses the whole package.
  std::vector<EntryInfo> entries;
  uint64_t total = 0;
  for (int rc = unzGoToFirstFile(zip.get()); rc == UNZ_OK; rc = unzGoToNextFile(zip.get())) {
    EntryInfo entry;
    if (!ReadEntryInfo(zip.get(), entry)) return UnpackResult::kFailed;
    if (!IsSafeEntryName(entry.name) || entry.symlink) {
      Trace(4, "Unpack %s: refused entry \"%s\"", archive.c_str(), entry.name.c_str());
      return UnpackResult::kUnsafeEntry;
    }
    total += entry.size;
    if (total > max_total_bytes) {
      Trace(4, "Unpack %s: more than %llu bytes", archive.c_str(),
            static_cast<unsigned long long>(max_total_bytes));
      return UnpackResult::kTooLarge;
    }
    entries.push_back(std::move(entry));
  }

  const fs::path root(folder);
  std::vector<fs::path> made;  // files and folders created here, in creation order
  uint64_t budget = max_total_bytes;
  auto undo = [&made] {
    for (auto it = made.rbegin(); it != made.rend(); ++it) {
      std::error_code ec;
      fs::remove(*it, ec);
    }
  };
  size_t index = 0;
  for (int rc = unzGoToFirstFile(zip.get()); rc == UNZ_OK && index < entries.size();
       rc = unzGoToNextFile(zip.get()), ++index) {
    const EntryInfo& entry = entries[index];
    const fs::path relative(entry.folder ? entry.name.substr(0, entry.name.size() - 1)
                                         : entry.name);
    bool ok = MakeParents(root, relative, made);
    if (ok && entry.folder) {
      const fs::path at = root / relative;
      struct stat st {};
      if (lstat(at.c_str(), &st) == 0) {
        ok = S_ISDIR(st.st_mode);
      } else {
        ok = mkdir(at.c_str(), 0755) == 0;
        if (ok) made.push_back(at);
      }
    } else if (ok) {
      const fs::path target = root / relative;
      // A file of the same name is replaced, unless it is not a plain file.
      struct stat st {};
      if (lstat(target.c_str(), &st) == 0) {
        ok = S_ISREG(st.st_mode) && unlink(target.c_str()) == 0;
      }
      if (ok) {
        ok = WriteEntry(zip.get(), target, entry.mode, budget);
        struct stat written {};
        if (lstat(target.c_str(), &written) == 0 && S_ISREG(written.st_mode)) {
          made.push_back(target);
        }
      }
    }
    if (!ok) {
      Trace(4, "Unpack %s: cannot unpack \"%s\"", archive.c_str(), entry.name.c_str());
      undo();
      return budget == 0 ? UnpackResult::kTooLarge : UnpackResult::kFailed;
    }
    if (names) names->push_back(entry.name);
  }
  Trace(2, "Unpack %s: %zu entries", archive.c_str(), entries.size());
  return UnpackResult::kOk;
}

}  // namespace update
