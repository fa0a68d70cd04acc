#pragma once
// The If and And tests of a run.

#include "run/Rule.h"
#include "traffic/Tables.h"

namespace tarvik {

// True when plan meets the If row. For "Home AirPort" the value is first cut to its airport code
// part, in the rule itself, for every plan tested.
bool MeetsIf(RunRule& rule, const FlightPlan& plan);

// True when plan meets the And row.
bool MeetsAnd(const RunRule& rule, const FlightPlan& plan);

} // namespace tarvik
