#pragma once
// The flight-plan line: AC#tag,id,pcent%,rate,rules,legs...,home//comment

#include "traffic/Tables.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvik {

// Cuts a line into its fields. INP is rewritten in place: its first ";" becomes "//", and once the
// comment is cut it is removed from INP. Only the fields that can be cut are written, so the caller
// clears all eight first. Returns false when the line lacks one of its five leading commas or its
// percentage is no number: such a line is no plan whatever the fields hold.
bool SplitPlans(std::string& INP, int16_t& Tag, std::string& TailNum, int16_t& Pcent,
                std::string& Rate, std::string& Ivfr, std::string& HPort, std::string& TheRest,
                std::string& Cment);

// True for what SplitPlans cut from a line that the load stores as a plan: an aircraft number
// other than 0, legs, a home airport of at most four characters, and SplitPlans's result true.
bool IsStoredPlan(int16_t Tag, std::string_view HPort, std::string_view TheRest, bool whole);

// The fast cut of a line that the load stores as a plan and that is already the line a save writes
// for it: "AC#" and the numbers written as a save writes them, no ";". True, with where its fields
// lie in cut, for such a line; false for every other line, which SplitPlans cuts.
bool CutPlan(std::string_view line, PlanCut& cut);

// True when a load reads the plan's saved line back as this same plan (but for the first ";" of its
// comment, which a load turns into "//"): one line, not longer than a load reads.
bool PlanReadsBack(const FlightPlan& plan);

// Gives the plan the fields when a load would read its saved line back as the same plan, as
// PlanReadsBack tells; otherwise leaves it as it was and returns false.
bool ChangePlan(FlightPlan& plan, const PlanFields& fields);

// The line that a save writes for the plan, without a line break: its line, or its comment alone
// when it has no legs.
std::string_view SavedLine(const FlightPlan& plan);
std::string JoinPlans(const FlightPlan& plan);
std::string JoinPlans(const TrafficSet& set, int32_t CuPlan);
// The line shown for review: the plan's line without its comment.
std::string_view DisplayLine(const FlightPlan& plan);

} // namespace tarvik
