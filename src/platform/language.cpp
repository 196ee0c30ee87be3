#include "platform/language.h"

#include <atomic>

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

std::string LanguageText(const std::string& section, int number) {
  const std::string file =
      platform::DataDir() + "language/" + std::to_string(platform::LanguageId()) + ".lan";
  const std::string text = platform::ReadIniString(file, section, std::to_string(number));
  return platform::Utf8Prefix(text, 259);
}

std::string LanguageText(int number) { return LanguageText("LAN", number); }
