// Every text the person reads, looked up by number in "<ProgramDir>language/<id>.lan".
#pragma once

#include <initializer_list>
#include <string>

namespace platform {

// 2052 (Simplified Chinese) or 1033 (English) unless the settings hold another number.
int LanguageId();
void SetLanguageId(int id);

}  // namespace platform

// The value of key `number` in `section` of the current language file, cut to 259
// characters; empty when the file, section or key is missing or the file is larger than
// platform::kMaxDataFileBytes. A parsed copy is kept and read again when the file's name,
// size or time changes, so a language switch or an edited file shows at the next lookup.
std::string LanguageText(const std::string& section, int number);
// Section "LAN", where nearly every text lives.
std::string LanguageText(int number);

// `text` with each "%s" replaced by the next of `args` in order; a "%s" without an argument
// is left as it stands.
std::string FormatText(const std::string& text, std::initializer_list<std::string> args);
