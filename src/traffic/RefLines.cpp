#include "traffic/RefLines.h"

#include "traffic/Numbers.h"
#include "traffic/Text.h"

namespace tarvik {

namespace {
bool Fail(std::string* why, const char* reason) {
    if (why)
        *why = reason;
    return false;
}
} // namespace

bool SplitAircraft(std::string_view Craft, std::string& Acraft, int16_t& Atag, int16_t& ASpeed,
                   std::string* why) {
    const std::size_t q1 = Craft.find('"');
    if (q1 == NotFound)
        return Fail(why, "the line has no double quote");
    Acraft.assign(Craft.substr(q1));

    const std::size_t c1 = Craft.find(',');
    if (c1 == NotFound)
        return Fail(why, "the line has no comma");
    if (c1 < 3)
        return Fail(why, "the aircraft number is missing");
    if (!ParseInt16(Craft.substr(3, c1 - 3), Atag))
        return Fail(why, "the aircraft number is not a number from -32768 to 32767");

    const std::size_t q2 = Craft.find('"', c1 + 1);
    // The speed is the text between the first comma and the character before the quote after it.
    if (q2 == NotFound || q2 < c1 + 2)
        return Fail(why, "the speed is missing");
    if (!ParseInt16(Craft.substr(c1 + 1, q2 - c1 - 2), ASpeed))
        return Fail(why, "the speed is not a number from -32768 to 32767");
    return true;
}

bool CutAirportCode(std::string_view line, std::string& code) {
    const std::size_t comma = line.find(',');
    if (comma == NotFound)
        return false;
    code.assign(line.substr(0, comma));
    return true;
}

std::string SplitICAO(std::string_view ICAO) {
    const std::size_t q = ICAO.find('?');
    const std::size_t keep = q == NotFound ? 5 : q;
    return std::string(TrimBlanks(ICAO.substr(0, keep)));
}

} // namespace tarvik
