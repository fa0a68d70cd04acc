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

} // namespace fuzz
