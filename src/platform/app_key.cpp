#include "platform/app_key.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

#include "platform/paths.h"

namespace platform {
namespace {

constexpr char kFileName[] = "settings.ini";

std::string Trim(const std::string& text) {
  const size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return {};
  const size_t end = text.find_last_not_of(" \t\r\n");
  return text.substr(begin, end - begin + 1);
}

// The file's name=value lines in order; false when it cannot be read.
bool ReadLines(const std::string& path, std::vector<std::pair<std::string, std::string>>* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    out->emplace_back(Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
  }
  return true;
}

}  // namespace

AppKey AppKey::ForCaption(const std::string& caption) {
  std::string name = caption;
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  return AppKey(ConfigHome() + name + "/");
}

AppKey::AppKey(std::string folder) : folder_(std::move(folder)) {
  if (folder_.empty() || folder_.back() != '/') folder_.push_back('/');
  path_ = folder_ + kFileName;
}

AppKey::OpenResult AppKey::Open() {
  std::lock_guard lock(mu_);
  std::error_code ec;
  const auto status = std::filesystem::status(path_, ec);
  if (std::filesystem::exists(status)) {
    const bool usable =
        std::filesystem::is_regular_file(status) && access(path_.c_str(), R_OK | W_OK) == 0;
    return usable ? OpenResult::kOpened : OpenResult::kFailed;
  }
  if (!EnsureDirectory(folder_)) return OpenResult::kFailed;
  std::ofstream create(path_, std::ios::app);
  return create ? OpenResult::kCreated : OpenResult::kFailed;
}

int AppKey::ReadInt(const std::string& name) {
  std::lock_guard lock(mu_);
  std::vector<std::pair<std::string, std::string>> lines;
  if (!ReadLines(path_, &lines)) return 0;
  for (const auto& [key, value] : lines) {
    if (key != name) continue;
    // The registry's values are read with a 255-byte limit.
    const std::string text = value.substr(0, 254);
    return static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
  }
  return 0;
}

bool AppKey::Has(const std::string& name) {
  std::lock_guard lock(mu_);
  std::vector<std::pair<std::string, std::string>> lines;
  if (!ReadLines(path_, &lines)) return false;
  for (const auto& entry : lines) {
    if (entry.first == name) return true;
  }
  return false;
}

bool AppKey::WriteInt(const std::string& name, int value) {
  if (Open() == OpenResult::kFailed) return false;
  std::lock_guard lock(mu_);
  std::vector<std::pair<std::string, std::string>> lines;
  if (!ReadLines(path_, &lines)) return false;
  bool found = false;
  for (auto& [key, text] : lines) {
    if (key == name) {
      text = std::to_string(value);
      found = true;
    }
  }
  if (!found) lines.emplace_back(name, std::to_string(value));
  // Written beside and renamed over, so a crash never leaves half a file.
  const std::string temp = path_ + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    for (const auto& [key, text] : lines) out << key << '=' << text << '\n';
    out.flush();
    if (!out) return false;
  }
  std::error_code ec;
  std::filesystem::rename(temp, path_, ec);
  if (ec) {
    std::filesystem::remove(temp, ec);
    return false;
  }
  return true;
}

int ReadLanguageId(AppKey& key) {
  switch (key.Open()) {
    case AppKey::OpenResult::kCreated:
      return 0;
    case AppKey::OpenResult::kFailed:
      return 2052;
    case AppKey::OpenResult::kOpened:
      break;
  }
  return key.ReadInt("LCID");
}

void WriteLanguageId(AppKey& key, int language_id) { key.WriteInt("LCID", language_id); }

}  // namespace platform
