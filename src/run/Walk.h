#pragma once
// The run: one walk over the plans that shows each match for review and applies the decision.

#include "run/Change.h"
#include "run/RandomId.h"
#include "run/Rule.h"
#include "traffic/Tables.h"

#include <cstdint>
#include <string>

namespace tarvik {

struct RunState {
    RunRule Rule;
    int16_t ReviewChoice = ChoiceNone; // set by the review buttons
    bool Abandoned = false;            // the window is going away: end the walk, change nothing
};

// What the walk needs from the window.
class RunHost {
public:
    virtual ~RunHost() = default;
    virtual void RunStarted() = 0; // "OK" disabled
    // The plan at index is under test: plan number shown, busy pointer. Called for every plan, so
    // it must be cheap.
    virtual void PlanUnderTest(int32_t index) = 0;
    // Shows line, enables the review buttons and processes window events until state.ReviewChoice
    // is 1 or more (at least one pass, without blocking when it already is) or state.Abandoned;
    // then empties the text box and disables the review buttons.
    virtual void AwaitDecision(std::string_view line) = 0;
    // The Then row as it stands now, valid until the next call.
    virtual const ThenChange& ReadThen() = 0;
    virtual void RunEnded() = 0; // default pointer, plan number emptied, "OK" enabled
};

// Walks PlanCursor from 0 to LastPlan (read once), reviewing every plan that meets both rows.
void FindPlan(TrafficSet& set, RunState& state, RunHost& host, RandomSource& random);

} // namespace tarvik
