// Every text the person reads, looked up by number in "<ProgramDir>language/<id>.lan".
#pragma once

#include <initializer_list>
#include <string>

namespace platform {

// 2052 (Simplified Chinese) or 1033 (English) unless the settings hold another number.
int LanguageId();
void SetLanguageId(int id);

// The number of a text in section "LAN", where nearly every text lives. Each number is
// declared once, by the subsystem that shows the text (`inline constexpr TextId kName{n};`, or
// `TextId{n}` in the row of a table); a test collects those declarations and checks that both
// shipped language files hold every one.
struct TextId {
  constexpr explicit TextId(int n) : number(n) {}
  int number;
  friend constexpr bool operator==(TextId, TextId) = default;
};
// No text (a table row without one).
inline constexpr TextId kNoText{0};
// The number of a text in section "KB.DIALOG" (the frame-delay editor and the screen's
// loading dialog).
struct DialogTextId {
  constexpr explicit DialogTextId(int n) : number(n) {}
  int number;
  friend constexpr bool operator==(DialogTextId, DialogTextId) = default;
};

}  // namespace platform

// The value of the key in its section of the current language file, cut to 259 characters
// (characters, never inside one); empty when the file, section or key is missing or the file
// is larger than platform::kMaxDataFileBytes. A parsed copy is kept and read again when the
// file's name, size or time changes, so a language switch or an edited file shows at the next
// lookup.
std::string LanguageText(platform::TextId text);
std::string LanguageText(platform::DialogTextId text);

// `text` with each "%s" replaced by the next of `args` in order; a "%s" without an argument
// is left as it stands.
std::string FormatText(const std::string& text, std::initializer_list<std::string> args);
