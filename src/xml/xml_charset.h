// Character-set names of XML and HTML documents, their Windows code pages, and the iconv
// conversions between them and UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace xmlcharset {

constexpr int kUtf7 = 65000;
constexpr int kUtf8 = 65001;
constexpr int kUtf16Le = 1200;
constexpr int kUtf16Be = 1201;
constexpr int kUtf32Le = 12000;
constexpr int kUtf32Be = 12001;
constexpr int kUtf32 = 65005;  // any name beginning with "UTF-32"

// The code page of a character-set name (letter case ignored, surrounding blanks ignored);
// 0 when the name is not known.
int CodePageForName(std::string_view name);

// The iconv name of a code page; nullptr when there is none.
const char* IconvNameForCodePage(int code_page);

// The number of names in the table and the name at `index`, for checking the table.
std::size_t NameCount();
std::string_view NameAt(std::size_t index, int* code_page);

bool IsValidUtf8(std::string_view bytes);

// Converts `bytes` in `from_code_page` to UTF-8. Undecodable sequences become U+FFFD; false
// only when the code page cannot be converted at all.
bool ToUtf8(std::string_view bytes, int from_code_page, std::string* out);

// Converts UTF-8 text to `to_code_page`. False, `out` unspecified, when the code page is
// unknown or the text holds a character the target cannot represent (or invalid UTF-8).
bool FromUtf8(std::string_view utf8, int to_code_page, std::string* out);

}  // namespace xmlcharset
