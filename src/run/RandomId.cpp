#include "run/RandomId.h"

#include <algorithm>
#include <cmath>

namespace tarvik {

namespace {

// The character at floor(r * count) from first. The floor is taken before first is added, so that
// an r just below 1 can't round up past the last character; a source outside [0, 1) is held to the
// range.
char Drawn(double r, char first, int count) {
    const double slot = std::floor(r * count);
    const double held = slot >= 0 ? std::min(slot, count - 1.0) : 0.0;
    return static_cast<char>(first + static_cast<int>(held));
}

char Letter(RandomSource& random) {
    return Drawn(random.Next(), 'A', 26);
}

char Digit(RandomSource& random) {
    return Drawn(random.Next(), '1', 9);
}

// "*": a first draw picks letter (k = 1) or digit (k = 2), a second draw the character.
char LetterOrDigit(RandomSource& random) {
    const double k = std::floor(random.Next() * 2 + 1);
    return k < 2 ? Letter(random) : Digit(random);
}

} // namespace

std::string& GetRandomId(std::string& IdStr, RandomSource& random) {
    random.Reseed();
    for (char& c : IdStr) {
        if (c == '&')
            c = Letter(random);
        if (c == '#')
            c = Digit(random);
        if (c == '*')
            c = LetterOrDigit(random);
    }
    return IdStr;
}

} // namespace tarvik
