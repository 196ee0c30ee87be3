#include "platform/language.h"

#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>

#include "log/trace.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/utf8.h"

namespace platform {
namespace {
std::atomic<int> g_language_id{1033};
}

int LanguageId() { return g_language_id.load(); }
void SetLanguageId(int id) { g_language_id.store(id); }

}  // namespace platform

namespace {

// The parsed language file, read again only when its name, size or time changes: an edited
// file still takes effect at the next lookup, without parsing the whole file per text.
struct ParsedFile {
  std::mutex mu;
  std::string path;
  std::uintmax_t size = 0;
  std::filesystem::file_time_type time{};
  std::shared_ptr<const platform::IniFile> ini;
};

std::shared_ptr<const platform::IniFile> LanguageFile(const std::string& path) {
  static ParsedFile cache;
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  const auto time =
      ec ? std::filesystem::file_time_type{} : std::filesystem::last_write_time(path, ec);
  std::lock_guard lock(cache.mu);
  if (cache.path == path && cache.size == size && cache.time == time && !ec) return cache.ini;
  cache.path = path;
  cache.size = size;
  cache.time = time;
  cache.ini.reset();
  if (ec) return nullptr;
  if (const std::string problem = platform::DataFileProblem(path); !problem.empty()) {
    Trace(4, "Language file %s not read: %s", path.c_str(), problem.c_str());
    return nullptr;
  }
  platform::Result<platform::IniFile> ini = platform::IniFile::Load(path);
  if (!ini) {
    Trace(4, "Language file %s not read: %s", path.c_str(), ini.error().reason.c_str());
    return nullptr;
  }
  cache.ini = std::make_shared<const platform::IniFile>(std::move(ini).value());
  return cache.ini;
}

}  // namespace

std::string LanguageText(const std::string& section, int number) {
  const std::string file =
      platform::DataDir() + "language/" + std::to_string(platform::LanguageId()) + ".lan";
  const auto ini = LanguageFile(file);
  if (!ini) return {};
  return platform::Utf8Prefix(ini->Get(section, std::to_string(number)).value_or(""), 259);
}

std::string LanguageText(int number) { return LanguageText("LAN", number); }

std::string FormatText(const std::string& text, std::initializer_list<std::string> args) {
  std::string out;
  auto next = args.begin();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == 's' && next != args.end()) {
      out += *next++;
      ++i;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}
