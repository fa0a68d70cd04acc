#include "run/RuleChecks.h"

#include "traffic/Numbers.h"
#include "traffic/Text.h"

#include <algorithm>
#include <initializer_list>

namespace tarvik {

namespace {

// True when value, trimmed, equals a trimmed code of the airport table (case ignored).
bool KnownAirport(const TrafficSet& set, std::string_view value) {
    const std::string_view code = TrimBlanks(value);
    const int32_t last = std::min(set.LastAirport, set.AirportTable.Size() - 1);
    for (int32_t i = 0; i <= last; ++i)
        if (EqualsNoCase(TrimBlanks(set.AirportTable[i]), code))
            return true;
    return false;
}

bool HoldsAny(std::string_view text, std::initializer_list<std::string_view> marks) {
    return std::any_of(marks.begin(), marks.end(), [text](std::string_view mark) {
        return text.find(mark) != std::string_view::npos;
    });
}

int16_t CodeOf(const RuleInput& rule, int row) {
    return FieldCode(row, rule.Row(row).Position);
}

std::optional<Refusal> CheckAirports(const RuleInput& rule, const TrafficSet& set) {
    const int16_t then = CodeOf(rule, ThenRow);
    if ((then == HomeAirport || then == VisitedAirport) && !KnownAirport(set, rule.Then.Value))
        return Refusal{Refused::NoAirport, ThenRow};
    if (CodeOf(rule, AndRow) == VisitedAirport && !KnownAirport(set, rule.And.Value))
        return Refusal{Refused::NoAndAirport, AndRow};
    return std::nullopt;
}

// An "AirCraft" picked from its list, a percentage that is a number not above 99, a Then value that
// the line can carry.
std::optional<Refusal> CheckRow(const RuleInput& rule, int row) {
    const int16_t field = CodeOf(rule, row);
    if (field == Aircraft && !rule.Row(row).Picked)
        return Refusal{Refused::PickAircraft, row};
    if (field == Percentage) {
        const std::optional<double> number = RowPercentage(rule.Row(row));
        int16_t rounded = 0;
        if (!number)
            return Refusal{Refused::PercentageNotNumber, row};
        if (!RoundToInt16(*number, rounded) || rounded > 99)
            return Refusal{Refused::PercentageAbove99, row};
    }
    if (row == ThenRow)
        return CheckThenValue(field, rule.Then.Value, rule.And.Value);
    return std::nullopt;
}

} // namespace

EntryShape ShapeOf(int row, int position) {
    if (position < 0)
        return {};
    if (row == AndRow && position == 0)
        return {Entry::LockNA, 0};
    switch (FieldCode(row, position)) {
    case HomeAirport:
    case VisitedAirport:
        return {Entry::Cut, 4};
    case AircraftId:
        return {Entry::Cut, 6};
    case Percentage:
        return {Entry::Percentage, 0};
    case Aircraft:
    case FlightFrequency:
    case IfrVfr:
        return {Entry::ListOnly, 0};
    default:
        return {};
    }
}

std::string RefusalText(const Refusal& refusal) {
    static const char* const RowNames[] = {"If=", "And=", "Then="};
    const std::string row = RowNames[std::clamp(refusal.Row, 0, 2)];
    switch (refusal.Why) {
    case Refused::NoAirport:
        return "No matching Airport ICAO in 'Airports.txt'";
    case Refused::NoAndAirport:
        return "No matching Airport ICAO in 'Airports.txt' for the 'And=' Textbox";
    case Refused::PickAircraft:
        return std::string("Pick An AirCraft From The List In The '") + row + "' Box";
    case Refused::PercentageNotNumber:
        return "The '" + row + "' Percentage Is Not A Number";
    case Refused::PercentageAbove99:
        return "The '" + row + "' Percentage Is Above 99";
    case Refused::ReplacementNeverEnds:
        return "The 'Then=' AirPort Would Be Replaced Without End\n"
               "Choose Another 'Then=' Or 'And=' Value";
    case Refused::ThenValueBreaksLine:
        return "The 'Then=' Value May Not Contain a Comma, ';' or '//'";
    case Refused::ThenValueCommentMark:
        return "The 'Then=' Value May Not Contain ';' or '//'";
    case Refused::HomeAirportTooLong:
        return "A 'Home AirPort' Code Has At Most Four Characters";
    }
    return {};
}

std::optional<Refusal> CheckRule(const RuleInput& rule, const TrafficSet& set) {
    if (auto refusal = CheckAirports(rule, set))
        return refusal;
    for (const int row : {IfRow, AndRow, ThenRow})
        if (auto refusal = CheckRow(rule, row))
            return refusal;
    return std::nullopt;
}

std::optional<Refusal> CheckThenValue(int16_t field, std::string_view value,
                                      std::string_view andValue) {
    switch (field) {
    case HomeAirport:
    case AircraftId:
    case FlightFrequency:
    case IfrVfr:
        if (HoldsAny(value, {",", ";", "//"}))
            return Refusal{Refused::ThenValueBreaksLine, ThenRow};
        if (field == HomeAirport && TrimBlanks(value).size() > 4)
            return Refusal{Refused::HomeAirportTooLong, ThenRow};
        return std::nullopt;
    case VisitedAirport:
        if (HoldsAny(value, {";", "//"}))
            return Refusal{Refused::ThenValueCommentMark, ThenRow};
        if (!VisitedReplacementEnds(TrimBlanks(andValue), value))
            return Refusal{Refused::ReplacementNeverEnds, ThenRow};
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

std::optional<double> RowPercentage(const RowInput& row) {
    return TypedPercentage(row.Value, row.Decimal);
}

void CaptureRule(const RuleInput& input, RunRule& rule) {
    rule.IfField = static_cast<int16_t>(input.If.Position);
    if (rule.IfField == Aircraft)
        rule.IfTag = input.If.Tag;
    rule.IfValue = TrimBlanks(input.If.Value);
    if (rule.IfField == Percentage)
        rule.IfNumber = RowPercentage(input.If).value_or(0);
    rule.AndField = static_cast<int16_t>(input.And.Position);
    if (FieldCode(AndRow, rule.AndField) == Aircraft)
        rule.AndTag = input.And.Tag;
    rule.AndValue = TrimBlanks(input.And.Value);
    rule.AndNumber = RowPercentage(input.And).value_or(0);
}

ThenChange ThenOf(const RowInput& then, std::string_view andValue) {
    ThenChange change;
    change.Field = static_cast<int16_t>(then.Position);
    change.Value = then.Value;
    if (change.Field == Aircraft && then.Picked) {
        change.HasTag = true;
        change.Tag = then.Tag;
    }
    if (change.Field == Percentage) {
        if (const auto number = RowPercentage(then)) {
            change.HasNumber = true;
            change.Number = *number;
        }
    }
    if (change.Field == VisitedAirport)
        change.Old = andValue;
    return change;
}

} // namespace tarvik
