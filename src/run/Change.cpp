#include "run/Change.h"

#include "traffic/Numbers.h"
#include "traffic/PlanLine.h"
#include "traffic/Text.h"

#include <string>
#include <utility>

namespace tarvik {

namespace {

// Position (from 1) of the first occurrence of find in s at or after position start, case ignored;
// 0 when there is none. An empty s holds nothing; an empty find is found at start while start lies
// within s.
std::size_t PositionNoCase(std::size_t start, std::string_view s, std::string_view find) {
    if (s.empty() || start < 1 || start > s.size())
        return 0;
    const std::size_t at = FindNoCase(s, find, start - 1);
    return at == NotFound ? 0 : at + 1;
}

// The fields with the change made; false when the change can't be made.
bool ChangeField(PlanFields& f, const ThenChange& change, RandomSource& random, std::string& text) {
    switch (change.Field) {
    case HomeAirport:
        f.HPort = TrimBlanks(change.Value);
        return true;
    case Aircraft:
        if (!change.HasTag || change.Tag == 0)
            return false;
        f.Tag = change.Tag;
        return true;
    case Percentage:
        return change.HasNumber && RoundToInt16(change.Number, f.Pcent);
    case AircraftId:
        text = change.Value;
        f.TailNum = GetRandomId(text, random);
        return true;
    case FlightFrequency:
        f.Rate = change.Value;
        return true;
    case IfrVfr:
        f.Ivfr = change.Value;
        return true;
    case VisitedAirport: {
        const std::string_view old = TrimBlanks(change.Old);
        if (!VisitedReplacementEnds(old, change.Value))
            return false;
        text = ReplaceVisited(f.TheRest, old, change.Value);
        f.TheRest = text;
        return true;
    }
    default:
        return false;
    }
}

} // namespace

// A change that the plan's line can't carry (a comma typed into the Then value during the review,
// legs emptied or given a "//", a home airport too short to be told from the end of the legs) would
// make the saved line a different plan, or none, at the next load: the plan keeps its line.
void ApplyThen(FlightPlan& plan, const ThenChange& change, RandomSource& random) {
    std::string text; // a changed text
    PlanFields f = plan.Fields();
    if (ChangeField(f, change, random, text))
        ChangePlan(plan, f);
}

// Termination, for the inputs VisitedReplacementEnds accepts: call R the part of s after the text
// last put in (at first all of s). The search resumes two characters after the start of that text,
// and an occurrence can't lie wholly inside it (a replacement holding old from its third character
// on is refused), so it takes at least one character of R, and R shrinks with every pass. An empty
// old takes none, but then the replacement has at most one character and the search resumes past
// it, again inside R. Only the first pass for an empty old leaves R as long as before, so there are
// at most legs.size() + 1 replacements; the pass limit below can never be reached.
std::string ReplaceVisited(std::string_view legs, std::string_view old, std::string_view repl) {
    std::string s(legs);
    if (!VisitedReplacementEnds(old, repl))
        return s;
    const std::string_view put = TrimBlanks(repl);
    const std::size_t passLimit = legs.size() + 2;
    std::size_t start = 1;
    std::size_t p = 0;
    std::size_t passes = 0;
    do {
        p = PositionNoCase(start, s, old);
        if (p > 0) {
            const std::size_t rightFrom = p - 1 + old.size();
            std::string rebuilt = s.substr(0, p - 1);
            rebuilt += put;
            rebuilt += TrimBlanks(std::string_view(s).substr(rightFrom));
            s = std::move(rebuilt);
        }
        start = p + 2;
    } while (p != 0 && ++passes < passLimit);
    return s;
}

bool VisitedReplacementEnds(std::string_view old, std::string_view repl) {
    const std::string_view put = TrimBlanks(repl);
    if (old.empty())
        return put.size() < 2;
    return put.size() < 3 || FindNoCase(put, old, 2) == NotFound;
}

} // namespace tarvik
