#pragma once
// What the rule rows let through: how a typed value is held to its field's shape, the checks of an
// OK press, and the capture of the rows that pass them. Plain descriptions of the rows, so that
// every front end holds a rule to the same terms.

#include "run/Change.h"
#include "run/Rule.h"
#include "traffic/Tables.h"

#include <optional>
#include <string>
#include <string_view>

namespace tarvik {

// One rule row as it stands.
struct RowInput {
    int Position = -1;   // the field box's selected position; -1 when none
    std::string Value;   // the value box's text, one byte per character, untrimmed
    bool Picked = false; // an entry of the value list is selected
    int16_t Tag = 0;     // that entry's aircraft number
    char Decimal = '.';  // the user's decimal separator, read besides "." in a percentage
};

struct RuleInput {
    RowInput If, And, Then;
    const RowInput& Row(int row) const { return row == IfRow ? If : row == AndRow ? And : Then; }
};

// How a value box holds what is typed into it, by the field of its row.
enum class Entry {
    Free,       // no field picked: nothing is done
    LockNA,     // the And row with "NA": the box locks
    Cut,        // cut to Limit characters
    Percentage, // emptied when no typed percentage; "90" when it is above 99
    ListOnly,   // only an entry of the list: typing empties it
};
struct EntryShape {
    Entry Rule = Entry::Free;
    int Limit = 0;
};
EntryShape ShapeOf(int row, int position);

// Why an OK press is refused.
enum class Refused {
    NoAirport,            // the Then airport is not in the airport table
    NoAndAirport,         // the And "Visited AirPort" is not in the airport table
    PickAircraft,         // "AirCraft" typed, not picked from the list
    PercentageNotNumber,  // a percentage of the row is not wholly a number
    PercentageAbove99,    // a percentage of the row rounds above 99
    ReplacementNeverEnds, // the "Visited AirPort" change would never end
    ThenValueBreaksLine,  // a comma, ";" or "//" in a Then value that becomes a field of the line
    ThenValueCommentMark, // ";" or "//" in a Then "Visited AirPort"
    HomeAirportTooLong,
};

struct Refusal {
    Refused Why;
    int Row; // the row whose value box takes the focus after the message
};

// The message that tells the user of a refusal.
std::string RefusalText(const Refusal& refusal);

// The checks of an OK press, in this order: the Then airport, the And airport, then the If, And
// and Then rows from top to bottom. None when the rule may run.
std::optional<Refusal> CheckRule(const RuleInput& rule, const TrafficSet& set);

// The part of the checks that looks at a Then value alone: that it leaves the plan's saved line
// readable and, for "Visited AirPort", gives a replacement that ends. andValue is the And value
// box's text.
std::optional<Refusal> CheckThenValue(int16_t field, std::string_view value,
                                      std::string_view andValue);

// The percentage a row holds, as the checks, the match and the change read it; none when the text
// is not wholly a number.
std::optional<double> RowPercentage(const RowInput& row);

// The If and And rows written over rule, which keeps its tags where a row has no aircraft.
void CaptureRule(const RuleInput& input, RunRule& rule);

// The Then row as a change reads it; andValue is the And value box's text.
ThenChange ThenOf(const RowInput& then, std::string_view andValue);

} // namespace tarvik
