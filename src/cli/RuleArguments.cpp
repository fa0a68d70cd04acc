#include "cli/RuleArguments.h"

#include "traffic/Load.h"
#include "traffic/Numbers.h"
#include "traffic/Text.h"

#include <algorithm>
#include <vector>

namespace tarvik::cli {

namespace {

const char* const RowNames[] = {"If=", "And=", "Then="};
constexpr std::size_t MostCandidates = 10;

std::string Quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

// The words joined by ", ".
template <typename Words> std::string Listed(const Words& words) {
    std::string list;
    for (const auto& word : words)
        list += (list.empty() ? "" : ", ") + std::string(word);
    return list;
}

// The position of name in row's field box, or -1; error says why.
int PositionOf(int row, std::string_view name, std::string& error) {
    for (int position = 0; position < FieldCount(row); ++position)
        if (EqualsNoCase(FieldEntry(row, position), name))
            return position;
    const bool known =
        EqualsNoCase(name, NoFieldName) ||
        std::any_of(FieldNames.begin(), FieldNames.end(),
                    [name](std::string_view field) { return EqualsNoCase(field, name); });
    if (known)
        error = std::string("The '") + RowNames[row] + "' Row Does Not Offer " + Quoted(name);
    else
        error = Quoted(name) + " Is No Field; The Fields Are " + Listed(FieldNames);
    return -1;
}

// The word of the list that value names (letter case and blanks around it ignored), or none.
template <typename Words>
std::optional<std::string> ListWord(const Words& words, std::string_view value) {
    for (const std::string_view word : words)
        if (EqualsNoCase(word, TrimBlanks(value)))
            return std::string(word);
    return std::nullopt;
}

// The value as the row's value box holds it, or none with error set.
bool HoldToShape(RowArgument& argument, std::string_view field, std::string& error) {
    const EntryShape shape = ShapeOf(argument.Row, argument.Position);
    std::string& value = argument.Value;
    const std::string name = Quoted(field);
    switch (shape.Rule) {
    case Entry::LockNA:
        if (!value.empty())
            error = name + " Takes No Value";
        break;
    case Entry::Cut:
        if (value.size() > static_cast<std::size_t>(shape.Limit))
            error = name + " Takes At Most " + std::to_string(shape.Limit) + " Characters";
        break;
    case Entry::Percentage: // held by the checks of the rule, with the window's messages
        break;
    case Entry::ListOnly: {
        const int16_t code = FieldCode(argument.Row, argument.Position);
        if (code == Aircraft || value.empty())
            break;
        const auto word = code == FlightFrequency ? ListWord(FrequencyWords, value)
                                                  : ListWord(FlightRuleWords, value);
        if (!word)
            error = name + " Takes One Of " +
                    (code == FlightFrequency ? Listed(FrequencyWords) : Listed(FlightRuleWords));
        else
            value = *word;
        break;
    }
    case Entry::Free:
        break;
    }
    return error.empty();
}

std::string_view Unquoted(std::string_view title) {
    title = TrimBlanks(title);
    if (title.size() >= 2 && title.front() == '"' && title.back() == '"')
        title = TrimBlanks(title.substr(1, title.size() - 2));
    return title;
}

bool IsWholeNumber(std::string_view text) {
    return !text.empty() && text.size() <= 5 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The aircraft slots that value names: those with its number, else those with its title.
std::vector<int32_t> AircraftNamed(const TrafficSet& set, std::string_view value) {
    std::vector<int32_t> slots;
    const int32_t last = std::min(set.LastAircraft, set.AircraftTable.Size() - 1);
    int16_t number = 0;
    if (IsWholeNumber(TrimBlanks(value)) && ParseInt16(value, number))
        for (int32_t i = 0; i <= last; ++i)
            if (!set.AircraftTable[i].Acraft.empty() && set.AircraftTable[i].Atag == number)
                return {i};
    for (int32_t i = 0; i <= last; ++i)
        if (!set.AircraftTable[i].Acraft.empty() &&
            EqualsNoCase(Unquoted(set.AircraftTable[i].Acraft), Unquoted(value)))
            slots.push_back(i);
    return slots;
}

// The aircraft whose title holds value, one a line, for a message.
std::string Candidates(const TrafficSet& set, const std::vector<int32_t>& slots) {
    std::string lines;
    for (std::size_t i = 0; i < slots.size() && i < MostCandidates; ++i) {
        const AircraftEntry& entry = set.AircraftTable[slots[i]];
        lines += "\n  " + std::to_string(entry.Atag) + " " + entry.Acraft;
    }
    if (slots.size() > MostCandidates)
        lines += "\n  ... and " + std::to_string(slots.size() - MostCandidates) + " more";
    return lines;
}

std::vector<int32_t> TitlesHolding(const TrafficSet& set, std::string_view value) {
    std::vector<int32_t> slots;
    const int32_t last = std::min(set.LastAircraft, set.AircraftTable.Size() - 1);
    for (int32_t i = 0; i <= last; ++i)
        if (!set.AircraftTable[i].Acraft.empty() &&
            FindNoCase(set.AircraftTable[i].Acraft, Unquoted(value)) != NotFound)
            slots.push_back(i);
    return slots;
}

} // namespace

std::optional<RowArgument> ParseRowArgument(int row, const std::string& text, std::string& error) {
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos) {
        error = Quoted(text) + " Has No '='; Give \"FIELD=VALUE\"";
        return std::nullopt;
    }
    const std::string_view name = TrimBlanks(std::string_view(text).substr(0, equals));
    RowArgument argument{row, PositionOf(row, name, error), text.substr(equals + 1)};
    if (argument.Position < 0)
        return std::nullopt;
    if (argument.Value.find_first_of("\r\n") != std::string::npos) {
        error = std::string("The '") + RowNames[row] + "' Value May Not Contain A Line Break";
        return std::nullopt;
    }
    if (!HoldToShape(argument, FieldEntry(row, argument.Position), error))
        return std::nullopt;
    return argument;
}

std::optional<RowInput> RowFor(const RowArgument& argument, const TrafficSet& set,
                               std::string& error) {
    RowInput input;
    input.Position = argument.Position;
    input.Value = argument.Value;
    const EntryShape shape = ShapeOf(argument.Row, argument.Position);
    input.Picked = shape.Rule == Entry::ListOnly && !argument.Value.empty();
    if (FieldCode(argument.Row, argument.Position) != Aircraft || argument.Value.empty())
        return input;

    const std::string file = Quoted(ListFilesOf(set.PlansFile, set.PlansFolder).Aircraft);
    const std::vector<int32_t> slots = AircraftNamed(set, argument.Value);
    const auto tagOf = [&set](int32_t slot) { return set.AircraftTable[slot].Atag; };
    if (slots.empty()) {
        const std::vector<int32_t> near = TitlesHolding(set, argument.Value);
        error = Quoted(argument.Value) + " Names No AirCraft In " + file +
                (near.empty() ? "" : "; Titles That Hold It:" + Candidates(set, near));
        return std::nullopt;
    }
    if (std::any_of(slots.begin(), slots.end(),
                    [&](int32_t slot) { return tagOf(slot) != tagOf(slots.front()); })) {
        error = Quoted(argument.Value) + " Names Several AirCraft In " + file +
                "; Give Its Number:" + Candidates(set, slots);
        return std::nullopt;
    }
    const AircraftEntry& entry = set.AircraftTable[slots.front()];
    input.Value = entry.Acraft;
    input.Picked = true;
    input.Tag = entry.Atag;
    return input;
}

} // namespace tarvik::cli
