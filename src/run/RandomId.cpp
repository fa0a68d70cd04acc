#include "run/RandomId.h"

namespace tarvik {

namespace {

// The character at floor(r * count) from first, a source outside [0, 1) held to the range. The
// floor is the whole part of a product that is not negative, taken before first is added, so that
// an r just below 1 can't round up past the last character.
char Drawn(double r, char first, int count) {
    const double x = r * count;
    if (!(x >= 0))
        return first;
    return static_cast<char>(first + (x < count ? static_cast<int>(x) : count - 1));
}

char Letter(RandomSource& random) {
    return Drawn(random.Next(), 'A', 26);
}

char Digit(RandomSource& random) {
    return Drawn(random.Next(), '1', 9);
}

// "*": a first draw picks letter (k = 1) or digit (k = 2), a second draw the character.
char LetterOrDigit(RandomSource& random) {
    const double k = random.Next() * 2 + 1; // below 2 where its floor is 1
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
