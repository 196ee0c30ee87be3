// Small UTF-8 helpers: the core counts characters, never bytes, where a length is a limit.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// Number of code points; each invalid byte counts as one.
size_t Utf8Length(std::string_view text);
// The first max_chars code points, never cutting inside a sequence.
std::string Utf8Prefix(std::string_view text, size_t max_chars);
// UTF-16 code units (host order) to UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);
// Appends code point `cp` as UTF-8 (no check that it is a valid scalar value).
void AppendUtf8(char32_t cp, std::string* out);

// What a charset conversion does with input it cannot convert: the callers differ (the log
// keeps every line, a document load marks each bad unit, a save must not lose anything).
struct BadInputRule {
  // Fail the whole conversion, also for characters only approximated; otherwise replace.
  bool fail = false;
  std::string_view replacement = "?";  // written for each bad unit skipped
  size_t unit = 1;                     // bytes skipped per bad unit
  bool reset_state = false;            // start the converter's shift state afresh after one
};
// Converts `in` from the iconv charset `from` to `to` into `out`. False when iconv has no
// such conversion, or (with `bad.fail`) when the input holds what the target lacks.
bool ConvertCharset(std::string_view in, const char* to, const char* from, const BadInputRule& bad,
                    std::string* out);

// Converts between UTF-8 and a named iconv charset ("GBK", "UTF-16LE", ...). Returns false
// when the charset is unknown; each byte that cannot be converted becomes '?'.
bool ConvertFromUtf8(std::string_view text, const char* charset, std::string* out);
bool ConvertToUtf8(std::string_view bytes, const char* charset, std::string* out);

}  // namespace platform
