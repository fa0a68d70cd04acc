#pragma once
// The fixed value lists of the rule rows and the field code that a field box's position stands for.

#include "run/Rule.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace tarvik {

// The entries of a "Flight Frequency" value list, in order; "24Hr" is shown after a fill.
inline constexpr std::array<std::string_view, 8> FrequencyWords = {"1Hr", "2hr",  "4Hr",  "6Hr",
                                                                   "8Hr", "12Hr", "24Hr", "Week"};
inline constexpr int FrequencyDefault = 6;

// The entries of an "IFR_VFR" value list, in order.
inline constexpr std::array<std::string_view, 2> FlightRuleWords = {"VFR", "IFR"};

// The field code of position in field box Index (0 If, 1 And, 2 Then): the position itself, but
// one less in the And row, where "NA" at position 0 is NoField and no field picked gives -2.
constexpr int16_t FieldCode(int16_t Index, int position) {
    return static_cast<int16_t>(Index == 1 ? position - 1 : position);
}

} // namespace tarvik
