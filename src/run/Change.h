#pragma once
// The Then change applied to a plan that the user chose to change.

#include "run/RandomId.h"
#include "run/Rule.h"
#include "traffic/Tables.h"

#include <string>
#include <string_view>

namespace tarvik {

// The Then row as the window holds it at the moment of the change.
struct ThenChange {
    int16_t Field = NoField; // the Then field box's position, which is the field code
    std::string Value;       // the Then value box's text, untrimmed
    bool HasTag = false;     // an aircraft entry is selected in the Then value box
    int16_t Tag = 0;         // that entry's aircraft number
    bool HasNumber = false;  // Value reads as a number in the user's format
    double Number = 0;
    std::string Old; // the And value box's text, the airport replaced in the legs
};

// Changes the plan's field named by change.Field; a change that can't be made leaves the plan as
// it was, and so does one after which a load would not read the plan's saved line back as the
// same plan.
void ApplyThen(FlightPlan& plan, const ThenChange& change, RandomSource& random);

// Every occurrence of old in legs (case ignored) replaced by repl; the search goes on two
// characters after the start of the text put in. Blanks at the seams are dropped. Legs come back
// unchanged when VisitedReplacementEnds refuses old and repl.
std::string ReplaceVisited(std::string_view legs, std::string_view old, std::string_view repl);

// False for the two inputs whose replacement would never end: an empty old with a replacement of
// two characters or more, and a replacement that holds old from its third character on.
bool VisitedReplacementEnds(std::string_view old, std::string_view repl);

} // namespace tarvik
