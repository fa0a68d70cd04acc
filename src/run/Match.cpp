#include "run/Match.h"

#include "traffic/RefLines.h"
#include "traffic/Text.h"

namespace tarvik {

namespace {

// needle occurs somewhere in hay, case ignored. An empty hay holds nothing, not even the empty
// text; an empty needle is found in any other.
bool ContainsNoCase(std::string_view hay, std::string_view needle) {
    return !hay.empty() && FindNoCase(hay, needle) != NotFound;
}

} // namespace

bool MeetsIf(RunRule& rule, const FlightPlan& plan) {
    switch (rule.IfField) {
    case HomeAirport:
        // The value is cut to its code as each plan is tested; once cut, it stays as it is.
        if (rule.IfValue.size() > 5 || rule.IfValue.find('?') != std::string::npos ||
            TrimBlanks(rule.IfValue).size() != rule.IfValue.size())
            rule.IfValue = SplitICAO(rule.IfValue);
        return StartsWithNoCase(plan.HPort(), rule.IfValue);
    case Aircraft:
        return plan.Tag() == rule.IfTag;
    case Percentage:
        return rule.IfNumber == plan.Pcent();
    case AircraftId:
        return EqualsNoCase(plan.TailNum(), rule.IfValue);
    case FlightFrequency:
        return EqualsNoCase(plan.Rate(), rule.IfValue);
    case IfrVfr:
        return EqualsNoCase(plan.Ivfr(), rule.IfValue);
    default:
        return false;
    }
}

bool MeetsAnd(const RunRule& rule, const FlightPlan& plan) {
    switch (FieldCode(AndRow, rule.AndField)) {
    case NoField:
        return true;
    case HomeAirport:
        return StartsWithNoCase(plan.HPort(), rule.AndValue);
    case Aircraft:
        return plan.Tag() == rule.AndTag;
    case Percentage:
        return rule.AndNumber == plan.Pcent();
    case AircraftId:
        return EqualsNoCase(plan.TailNum(), rule.AndValue);
    case FlightFrequency:
        return EqualsNoCase(plan.Rate(), rule.AndValue);
    case IfrVfr:
        return EqualsNoCase(plan.Ivfr(), rule.AndValue);
    case VisitedAirport:
        return ContainsNoCase(plan.TheRest(), rule.AndValue);
    default:
        return false;
    }
}

} // namespace tarvik
