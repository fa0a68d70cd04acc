#pragma once
// Shared by the fuzz targets: a property that fails stops the run, so that libFuzzer keeps the
// input that broke it.

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace fuzz {

inline void Require(bool ok, const char* what) {
    if (ok)
        return;
    std::fprintf(stderr, "property failed: %s\n", what);
    std::abort();
}

inline std::string_view AsText(const uint8_t* data, std::size_t size) {
    return std::string_view(reinterpret_cast<const char*>(data), size);
}

// The input cut at the first N - 1 marker bytes into N parts (the last ones empty when there are
// fewer markers).
template <std::size_t N>
std::array<std::string_view, N> SplitAt(std::string_view rest, char marker) {
    std::array<std::string_view, N> parts;
    for (std::size_t i = 0; i + 1 < N; ++i) {
        const std::size_t m = rest.find(marker);
        parts[i] = rest.substr(0, m);
        rest = m == std::string_view::npos ? std::string_view() : rest.substr(m + 1);
    }
    parts[N - 1] = rest;
    return parts;
}

// The text without the blanks at both ends, as the window's boxes compare it.
inline std::string_view Trim(std::string_view s) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

// The line with its first ";" turned into "//", as a load reads it.
inline std::string SemicolonAsSlashes(std::string_view line) {
    std::string text(line);
    const std::size_t p = text.find(';');
    if (p != std::string::npos)
        text.replace(p, 1, "//");
    return text;
}

} // namespace fuzz
