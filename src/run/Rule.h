#pragma once
// A rule as the run uses it: the fields of the rule rows and where each row's field box lists them,
// the fixed value lists, the captured If and And rows, and the user's decision on the match on
// display.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvik {

// The field of a rule row.
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

// The three rows; a row's number is the index of its field box, its value box is that plus 3.
enum RuleRow : int16_t { IfRow = 0, AndRow = 1, ThenRow = 2 };

// The field names by code, from HomeAirport on, and the name of NoField in the And row.
inline constexpr std::array<std::string_view, 7> FieldNames = {
    "Home AirPort",     "AirCraft", "Percentage",     "Aircraft ID",
    "Flight Frequency", "IFR_VFR",  "Visited AirPort"};
inline constexpr std::string_view NoFieldName = "NA";

// How many entries a row's field box lists: the If row lacks "Visited AirPort", the And row
// starts with "NA".
constexpr int FieldCount(int row) {
    return row == IfRow ? 6 : row == AndRow ? 8 : 7;
}

// The field code of a position in a row's field box: the position itself, but one less in the And
// row, where "NA" at position 0 is NoField (and no field picked, -1, gives -2: no field either).
constexpr int16_t FieldCode(int row, int position) {
    return static_cast<int16_t>(row == AndRow ? position - 1 : position);
}

// The position of a field in a row's field box; -1 when the row does not offer it.
constexpr int FieldPosition(int row, int16_t code) {
    const int position = row == AndRow ? code + 1 : code;
    return position >= 0 && position < FieldCount(row) ? position : -1;
}

// The text of the entry at a position of a row's field box.
constexpr std::string_view FieldEntry(int row, int position) {
    const int16_t code = FieldCode(row, position);
    return code == NoField ? NoFieldName : FieldNames[static_cast<std::size_t>(code)];
}

// The entries of a "Flight Frequency" value list, in order; "24Hr" is shown after a fill.
inline constexpr std::array<std::string_view, 8> FrequencyWords = {"1Hr", "2hr",  "4Hr",  "6Hr",
                                                                   "8Hr", "12Hr", "24Hr", "Week"};
inline constexpr int FrequencyDefault = 6;

// The entries of an "IFR_VFR" value list, in order.
inline constexpr std::array<std::string_view, 2> FlightRuleWords = {"VFR", "IFR"};

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
    double IfNumber = 0;   // the If percentage as typed, for "Percentage"
    int16_t AndField = -1; // the And field box's position: FieldCode(AndRow, AndField) is the code
    std::string AndValue;  // trimmed
    int16_t AndTag = 0;
    double AndNumber = 0; // the And percentage as typed, for "Percentage"
};

} // namespace tarvik
