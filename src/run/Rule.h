#pragma once
// A rule as the run uses it: the field codes of the rule rows, the captured If and And rows, and
// the user's decision on the match on display.

#include <cstdint>
#include <string>

namespace tarvik {

// The field of a rule row. In the If and Then rows a field's code is its position in the field
// box; in the And row the position is the code plus one ("NA" at position 0 is NoField).
enum CriterionField : int16_t {
    NoField = -1,
    HomeAirport = 0,
    Aircraft = 1,
    Percentage = 2,
    AircraftId = 3,
    FlightFrequency = 4,
    IfrVfr = 5,
    VisitedAirport = 6,
};

// The decision on a match: the index of the button pressed.
enum ReviewChoiceCode : int16_t {
    ChoiceNone = 0,
    ChoiceChangeThis = 1,
    ChoiceSkip = 2,
    ChoiceChangeLot = 3,
    ChoiceCancel = 4,
};

// The If and And rows captured when OK is pressed.
struct RunRule {
    int16_t IfField = NoField; // the If field box's position, which is the field code
    std::string IfValue;       // trimmed; shortened in place by a "Home AirPort" walk
    int16_t IfTag = 0;
    double IfNumber = 0;   // IfValue read as a number in the user's format, for "Percentage"
    int16_t AndField = -1; // the And field box's position: the field code plus one
    std::string AndValue;  // trimmed
    int16_t AndTag = 0;
};

} // namespace tarvik
