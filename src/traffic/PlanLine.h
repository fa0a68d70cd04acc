#pragma once
// The flight-plan line: AC#tag,id,pcent%,rate,rules,legs...,home//comment

#include "traffic/Tables.h"

#include <cstdint>
#include <string>

namespace tarvik {

// Cuts a line into its fields. INP is rewritten in place: its first ";" becomes "//", and once the
// comment is cut it is removed from INP. Only the fields that can be cut are written, so the caller
// clears all eight first. Returns false when the line lacks one of its five leading commas or its
// percentage is no number: such a line is no plan whatever the fields hold.
bool SplitPlans(std::string& INP, int16_t& Tag, std::string& TailNum, int16_t& Pcent,
                std::string& Rate, std::string& Ivfr, std::string& HPort, std::string& TheRest,
                std::string& Cment);

// The line that stands for the plan, without a line break.
std::string JoinPlans(const FlightPlan& plan);
std::string JoinPlans(const TrafficSet& set, int32_t CuPlan);
// Appends the plan's line to out.
void AppendPlanLine(const FlightPlan& plan, std::string& out);
// The line shown for review: the plan's line without its comment.
std::string DisplayLine(const FlightPlan& plan);

} // namespace tarvik
