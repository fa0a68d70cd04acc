#include "run/Walk.h"

#include "run/Match.h"
#include "traffic/PlanLine.h"

namespace tarvik {

namespace {

bool ChangeChosen(int16_t choice) {
    return choice == ChoiceChangeThis || choice == ChoiceChangeLot;
}

// The plan at PlanCursor, or null when the cursor names no slot: a command run during a review may
// have moved the cursor or loaded a smaller set.
FlightPlan* PlanAtCursor(TrafficSet& set) {
    if (set.PlanCursor < 0 || set.PlanCursor >= set.PlanTable.Size())
        return nullptr;
    return &set.PlanTable[set.PlanCursor];
}

// Shows the plan at PlanCursor, waits for the decision and applies the Then row as it stands once
// the decision is in.
void DisplayPlan(TrafficSet& set, RunState& state, RunHost& host, RandomSource& random) {
    host.AwaitDecision(DisplayLine(set.PlanTable[set.PlanCursor]));
    if (state.Abandoned || !ChangeChosen(state.ReviewChoice))
        return;
    set.PlansChanged = true;
    const ThenChange& change = host.ReadThen();
    if (FlightPlan* plan = PlanAtCursor(set))
        ApplyThen(*plan, change, random);
}

// A plan that met the If row: clears the last decision unless the lot is being changed, and
// reviews the plan when it meets the And row too.
void CaseAndIf(TrafficSet& set, RunState& state, RunHost& host, RandomSource& random) {
    if (state.ReviewChoice != ChoiceChangeLot)
        state.ReviewChoice = ChoiceNone;
    if (MeetsAnd(state.Rule, set.PlanTable[set.PlanCursor]))
        DisplayPlan(set, state, host, random);
}

} // namespace

void FindPlan(TrafficSet& set, RunState& state, RunHost& host, RandomSource& random) {
    host.RunStarted();
    const int32_t bound = set.LastPlan;
    for (set.PlanCursor = 0; set.PlanCursor <= bound; ++set.PlanCursor) {
        const FlightPlan* plan = PlanAtCursor(set);
        if (!plan)
            break;
        host.PlanUnderTest(set.PlanCursor);
        if (MeetsIf(state.Rule, *plan))
            CaseAndIf(set, state, host, random);
        if (state.ReviewChoice == ChoiceCancel || state.Abandoned)
            break;
    }
    host.RunEnded();
}

} // namespace tarvik
