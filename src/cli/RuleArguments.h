#pragma once
// A rule row given on the command line as "FIELD=VALUE", held to what the row's value box would let
// a user enter, and then made into the row as the window would hold it for a loaded set.

#include "run/RuleChecks.h"
#include "traffic/Tables.h"

#include <optional>
#include <string>

namespace tarvik::cli {

struct RowArgument {
    int Row = IfRow;
    int Position = -1; // in the row's field box
    std::string Value; // one byte per character
};

// Reads text for row: the field name before the first "=" (letter case and blanks around it
// ignored), the value after it. A value the row's value box would not take is refused, with the
// reason in error; a list value comes back in the list's own spelling.
std::optional<RowArgument> ParseRowArgument(int row, const std::string& text, std::string& error);

// The row for the loaded set: an "AirCraft" value, an aircraft's number or its title (with or
// without its quotes, letter case ignored), becomes that aircraft's entry picked from the list. A
// title that names no aircraft or several is refused, listing the candidates.
std::optional<RowInput> RowFor(const RowArgument& argument, const TrafficSet& set,
                               std::string& error);

} // namespace tarvik::cli
