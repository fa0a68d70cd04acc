#include "traffic/Text.h"

#include <algorithm>

namespace tarvik {

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    }
    return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

std::size_t FindNoCase(std::string_view hay, std::string_view needle, std::size_t from) {
    if (from > hay.size() || needle.size() > hay.size() - from)
        return NotFound;
    if (needle.empty())
        return from;
    const char first = FoldCase(needle[0]);
    const std::size_t last = hay.size() - needle.size();
    for (std::size_t i = from; i <= last; ++i) {
        if (FoldCase(hay[i]) == first && EqualsNoCase(hay.substr(i, needle.size()), needle))
            return i;
    }
    return NotFound;
}

std::string_view TrimBlanksAtEnds(std::string_view text) {
    const std::size_t begin = text.find_first_not_of(' ');
    if (begin == NotFound)
        return {};
    const std::size_t end = text.find_last_not_of(' ');
    return text.substr(begin, end - begin + 1);
}

} // namespace tarvik
