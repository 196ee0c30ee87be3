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
// Converts between UTF-8 and a named iconv charset ("GBK", "UTF-16LE", ...). Returns false
// when the charset is unknown; unconvertible characters are replaced by '?'.
bool ConvertFromUtf8(std::string_view text, const char* charset, std::string* out);
bool ConvertToUtf8(std::string_view bytes, const char* charset, std::string* out);

}  // namespace platform
