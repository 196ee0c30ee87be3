// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes. Its path ends in "/".
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace test_support {

class TempDir {
 public:
  explicit TempDir(const char* prefix = "mouse_") {
    std::string pattern = (std::filesystem::temp_directory_path() / prefix).string() + "XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern + "/";
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace test_support
