#include "platform/ini_file.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/utf8.h"

namespace platform {
namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

std::string Trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  const auto last = s.find_last_not_of(" \t\r\n");
  return s.substr(first, last - first + 1);
}

std::string DecodeToUtf8(const std::string& bytes) {
  auto u = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
  if (bytes.size() >= 2 && ((u(0) == 0xFF && u(1) == 0xFE) || (u(0) == 0xFE && u(1) == 0xFF))) {
    const bool little = u(0) == 0xFF;
    std::u16string units;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      units.push_back(little ? static_cast<char16_t>(u(i) | (u(i + 1) << 8))
                             : static_cast<char16_t>((u(i) << 8) | u(i + 1)));
    }
    return Utf16ToUtf8(units);
  }
  if (bytes.size() >= 3 && u(0) == 0xEF && u(1) == 0xBB && u(2) == 0xBF) return bytes.substr(3);
  return bytes;
}

}  // namespace

Result<IniFile> IniFile::Load(const std::string& path) {
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  const auto failure = [&] {
    const int code = errno != 0 ? errno : EIO;
    return Fail(code, path + ": " + std::strerror(code));
  };
  if (!in) return failure();
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) return failure();
  return Parse(bytes.str());
}

IniFile IniFile::Parse(const std::string& raw) {
  IniFile ini;
  const std::string text = DecodeToUtf8(raw);
  std::string section;
  bool in_section = false;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    const std::string line = Trim(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      const auto close = line.find(']');
      section =
          Lower(Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1)));
      in_section = true;
      continue;
    }
    const auto eq = line.find('=');
    if (!in_section || eq == std::string::npos) continue;
    std::string value = Trim(line.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    ini.values_.emplace(section + "\n" + Lower(Trim(line.substr(0, eq))), value);
  }
  return ini;
}

std::optional<std::string> IniFile::Get(const std::string& section, const std::string& key) const {
  const auto it = values_.find(Lower(section) + "\n" + Lower(key));
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

std::string ReadIniString(const std::string& path, const std::string& section,
                          const std::string& key) {
  const Result<IniFile> ini = IniFile::Load(path);
  if (!ini) return "";
  return ini.value().Get(section, key).value_or("");
}

int ReadIniInt(const std::string& path, const std::string& section, const std::string& key,
               int fallback) {
  const Result<IniFile> ini = IniFile::Load(path);
  if (!ini) return fallback;
  const auto value = ini.value().Get(section, key);
  if (!value) return fallback;
  long long n = 0;
  size_t i = 0;
  bool negative = false;
  if (i < value->size() && ((*value)[i] == '-' || (*value)[i] == '+'))
    negative = (*value)[i++] == '-';
  for (; i < value->size() && std::isdigit(static_cast<unsigned char>((*value)[i])); ++i) {
    n = std::min<long long>(n * 10 + ((*value)[i] - '0'), 0x7FFFFFFF);
  }
  return static_cast<int>(negative ? -n : n);
}

}  // namespace platform
