// GetRandomId on any pattern, with the draws taken from the input: the identifier has the pattern's
// length, every "&" became a letter A-Z, every "#" a digit 1-9, every "*" one or the other, and
// every other byte stayed. The generator is re-seeded once before the first draw, and "&" and "#"
// take one draw, "*" two, in position order. With draws in [0, 1) each drawn character is the one
// that the draw picks; with any double at all (NaN, infinities, 1 and more) the characters still
// stay in their ranges.
//
// Input: the first byte's lowest bit picks raw draws, the second byte is the pattern's length, then
// come the pattern and the bytes of the draws.

#include "FuzzCheck.h"
#include "FuzzRandom.h"

#include "run/RandomId.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

using fuzz::Require;

namespace {

bool IsLetter(char c) {
    return c >= 'A' && c <= 'Z';
}
bool IsDrawnDigit(char c) {
    return c >= '1' && c <= '9';
}

// The draws that the pattern asks for, in order: one per "&" or "#", two per "*".
int DrawsWanted(std::string_view pattern) {
    int n = 0;
    for (const char c : pattern)
        n += c == '&' || c == '#' ? 1 : (c == '*' ? 2 : 0);
    return n;
}

// Records every draw so that the identifier can be checked against them.
class Recording : public fuzz::ByteRandom {
public:
    using ByteRandom::ByteRandom;
    double Next() override {
        Seen.push_back(ByteRandom::Next());
        return Seen.back();
    }
    std::vector<double> Seen;
};

char LetterFor(double r) {
    return static_cast<char>('A' + static_cast<int>(std::floor(r * 26)));
}
char DigitFor(double r) {
    return static_cast<char>('1' + static_cast<int>(std::floor(r * 9)));
}

void CheckPlace(char from, char to, const std::vector<double>& seen, std::size_t& next, bool raw) {
    if (from != '&' && from != '#' && from != '*') {
        Require(to == from, "a byte that is no placeholder stays");
        return;
    }
    if (from == '&')
        Require(IsLetter(to), "& becomes a letter A-Z");
    if (from == '#')
        Require(IsDrawnDigit(to), "# becomes a digit 1-9");
    if (from == '*')
        Require(IsLetter(to) || IsDrawnDigit(to), "* becomes a letter or a digit 1-9");
    const double r = seen[next++];
    if (from == '*') {
        const double second = seen[next++];
        if (!raw) {
            Require(IsLetter(to) == (r < 0.5), "* draws a letter when its first draw is below 1/2");
            Require(to == (r < 0.5 ? LetterFor(second) : DigitFor(second)),
                    "* takes its character from the second draw");
        }
        return;
    }
    if (!raw)
        Require(to == (from == '&' ? LetterFor(r) : DigitFor(r)), "the draw picks the character");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const bool raw = (data[0] & 1) != 0;
    std::string_view rest = fuzz::AsText(data + 2, size - 2);
    const std::string_view pattern = rest.substr(0, data[1]);
    rest.remove_prefix(pattern.size());

    Recording random(rest, raw);
    std::string id(pattern);
    const std::string& result = tarvik::GetRandomId(id, random);
    Require(&result == &id, "the identifier is written over the pattern and returned");
    Require(random.Reseeds == 1 && random.DrawsAtFirstReseed == 0,
            "the generator is re-seeded once, before the first draw");
    Require(id.size() == pattern.size(), "the identifier has the pattern's length");
    Require(random.Draws == DrawsWanted(pattern), "one draw per & and #, two per *");
    std::size_t next = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i)
        CheckPlace(pattern[i], id[i], random.Seen, next, raw);
    return 0;
}
