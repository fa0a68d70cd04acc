#pragma once
// Shared by the fuzz targets: a property that fails stops the run, so that libFuzzer keeps the
// input that broke it.

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

} // namespace fuzz
