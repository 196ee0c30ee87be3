// The named character references of HTML 4.01 (252 names, letter case counts).
#pragma once

#include <cstddef>
#include <string_view>

namespace xmlentity {

// The code point of the named reference `name` (without "&" and ";"), 0 when unknown.
char32_t HtmlEntityCodePoint(std::string_view name);

// For checking the table.
std::size_t HtmlEntityCount();
std::string_view HtmlEntityAt(std::size_t index, char32_t* code_point);

}  // namespace xmlentity
