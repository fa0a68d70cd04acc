#pragma once
// Byte-string helpers shared by the line formats, the search and the window. Texts hold one byte
// per character; comparisons ignore the case of the ASCII letters and compare every other byte
// exactly.

#include <cstddef>
#include <string>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarvik {

inline constexpr std::size_t NotFound = std::string_view::npos;

inline char FoldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
// Index (from 0) of the first occurrence of needle at or after from, or NotFound.
std::size_t FindNoCase(std::string_view hay, std::string_view needle, std::size_t from = 0);
// The text without the blanks (spaces) at both ends; TrimBlanksAtEnds does it for a text with a
// blank at an end.
std::string_view TrimBlanksAtEnds(std::string_view text);
inline std::string_view TrimBlanks(std::string_view text) {
    // Nearly every field has no blank at either end.
    return text.empty() || (text.front() != ' ' && text.back() != ' ') ? text
                                                                       : TrimBlanksAtEnds(text);
}

// Calls at(i) with the place of each comma in text, in order, while it returns true; false when it
// stopped the search. Commas are looked for sixteen bytes at a time where the processor can.
template <typename At> bool ForEachComma(std::string_view text, At at) {
    const char* p = text.data();
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i commas = _mm_set1_epi8(',');
    for (; i + 16 <= text.size(); i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        for (auto bits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, commas))); bits;
             bits &= bits - 1)
            if (!at(i + static_cast<std::size_t>(__builtin_ctz(bits))))
                return false;
    }
#endif
    for (; i < text.size(); ++i)
        if (p[i] == ',' && !at(i))
            return false;
    return true;
}

} // namespace tarvik
