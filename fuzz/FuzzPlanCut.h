#pragma once
// A flight-plan line as SplitPlans cuts it, for the fuzz targets that check lines.

#include "traffic/PlanLine.h"
#include "traffic/Tables.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace fuzz {

struct Cut {
    std::string INP;
    int16_t Tag = 0;
    std::string TailNum;
    int16_t Pcent = 0;
    std::string Rate, Ivfr, HPort, TheRest, Cment;
    bool Whole = true;

    explicit Cut(std::string_view line) : INP(line) {
        Whole = tarvik::SplitPlans(INP, Tag, TailNum, Pcent, Rate, Ivfr, HPort, TheRest, Cment);
    }
    bool Stored() const { return tarvik::IsStoredPlan(Tag, HPort, TheRest, Whole); }
    bool NothingButComment() const {
        return Tag == 0 && Pcent == 0 && TailNum.empty() && Rate.empty() && Ivfr.empty() &&
               HPort.empty() && TheRest.empty();
    }
    tarvik::PlanFields Fields() const {
        return {Tag, TailNum, Pcent, Rate, Ivfr, HPort, TheRest, Cment};
    }
    tarvik::FlightPlan Plan() const {
        tarvik::FlightPlan plan;
        plan.Assign(Fields());
        return plan;
    }
};

} // namespace fuzz
