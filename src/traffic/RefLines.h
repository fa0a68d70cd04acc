#pragma once
// Lines of Aircraft.txt (AC#7,250,"Title") and Airports.txt (CODE,...), and the code prefix of a
// typed airport value.

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvik {

// False, with the reason in why, when the line can't be read; the outputs may then be partly
// written.
bool SplitAircraft(std::string_view Craft, std::string& Acraft, int16_t& Atag, int16_t& ASpeed,
                   std::string* why = nullptr);

// The code of an Airports.txt line: everything before its first comma, verbatim. False when the
// line has no comma.
bool CutAirportCode(std::string_view line, std::string& code);

// The part of a typed airport value that the search compares: the text before its first "?", or
// its first five characters when it has none, without blanks at both ends.
std::string SplitICAO(std::string_view ICAO);

} // namespace tarvik
