#pragma once
// Byte-string helpers shared by the line formats, the search and the window. Texts hold one byte
// per character; comparisons ignore the case of the ASCII letters and compare every other byte
// exactly.

#include <cstddef>
#include <string>
#include <string_view>

namespace tarvik {

inline constexpr std::size_t NotFound = std::string_view::npos;

inline char FoldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
// Index (from 0) of the first occurrence of needle at or after from, or NotFound.
std::size_t FindNoCase(std::string_view hay, std::string_view needle, std::size_t from = 0);
// The text without the blanks (spaces) at both ends.
std::string_view TrimBlanks(std::string_view text);

} // namespace tarvik
