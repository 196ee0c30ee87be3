// The INI reader standing in for the private-profile functions: UTF-8 (with or without BOM)
// and UTF-16 LE/BE with BOM; section and key names compare without regard to ASCII case;
// the first occurrence of a key wins; values are trimmed and one pair of quotes is dropped.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "platform/result.h"

namespace platform {

class IniFile {
 public:
  // Fails with errno and "<path>: <the system's words>" when the file cannot be read.
  static Result<IniFile> Load(const std::string& path);
  static IniFile Parse(const std::string& bytes);

  // nullopt when the section or key is missing.
  std::optional<std::string> Get(const std::string& section, const std::string& key) const;

 private:
  // Keys are lower-cased "section\nkey".
  std::map<std::string, std::string> values_;
};

// The value or "" (file, section or key missing). Reads the file at every call.
std::string ReadIniString(const std::string& path, const std::string& section,
                          const std::string& key);
// The leading decimal number of the value (optional sign), or fallback when the key is
// missing; a value without digits reads 0.
int ReadIniInt(const std::string& path, const std::string& section, const std::string& key,
               int fallback);

}  // namespace platform
