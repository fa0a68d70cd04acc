#pragma once
// Identifiers drawn from a pattern: "&" becomes a letter A-Z, "#" a digit 1-9, "*" either of the
// two; every other character stays.

#include <string>

namespace tarvik {

class RandomSource {
public:
    virtual ~RandomSource() = default;
    // Mixes the clock into the generator's state.
    virtual void Reseed() = 0;
    // A number r with 0 <= r < 1.
    virtual double Next() = 0;
};

// Rewrites IdStr in place from pattern to identifier and returns it.
std::string& GetRandomId(std::string& IdStr, RandomSource& random);

} // namespace tarvik
