// SplitPlans on any bytes: no crash, outputs consistent with the line, and every line that the load
// would store comes back as the same record after JoinPlans and a second SplitPlans.

#include "FuzzCheck.h"
#include "FuzzPlanCut.h"

#include "traffic/PlanLine.h"
#include "traffic/Tables.h"

#include <algorithm>
#include <cstdint>
#include <string>

using fuzz::Require;
using fuzz::SemicolonAsSlashes;

namespace {

using fuzz::Cut;

void CheckOutputs(std::string_view line, const Cut& c) {
    const std::string rewritten = SemicolonAsSlashes(line);
    if (rewritten.compare(0, 2, "//") == 0) {
        Require(c.NothingButComment() && c.Cment == rewritten && c.INP == rewritten,
                "a comment line sets the comment only");
        return;
    }
    if (rewritten.find(',') == std::string::npos) {
        Require(c.NothingButComment() && c.Cment.empty() && c.INP == rewritten,
                "a line without a comma sets nothing");
        return;
    }
    Require(c.INP + c.Cment == rewritten, "the line is cut in two at its comment");
    Require(!c.Whole || std::count(rewritten.begin(), rewritten.end(), ',') >= 5,
            "a whole plan line has its five leading commas");
    Require(c.Cment.empty() || c.Cment.compare(0, 2, "//") == 0, "a comment starts with //");
    Require(c.INP.find("//") == std::string::npos, "the comment is the first //");
    Require(c.HPort.size() <= 5, "the home airport comes from the last five characters");
    Require(c.TailNum.find(',') == std::string::npos && c.Rate.find(',') == std::string::npos &&
                c.Ivfr.find(',') == std::string::npos,
            "the leading fields hold no comma");
    Require(c.TheRest.size() <= c.INP.size(), "the legs are part of the line");
}

// What a save and a new load make of a stored plan's comment: the load turns the first ";" of the
// line into "//", and the saved line carries the comment unchanged.
std::string CommentAfterReload(const std::string& cment) {
    return SemicolonAsSlashes(cment);
}

void CheckRoundTrip(const Cut& c) {
    tarvik::FlightPlan plan;
    plan.Assign(c.Fields());
    const std::string joined = tarvik::JoinPlans(plan);
    const Cut again(joined);
    Require(again.Stored(), "a saved plan is a plan again");
    Require(again.Tag == c.Tag && again.Pcent == c.Pcent, "numbers survive a round trip");
    Require(again.TailNum == c.TailNum && again.Rate == c.Rate && again.Ivfr == c.Ivfr,
            "leading fields survive a round trip");
    Require(again.TheRest == c.TheRest, "the legs survive a round trip");
    Require(again.HPort == c.HPort, "the home airport survives a round trip");
    Require(again.Cment == CommentAfterReload(c.Cment), "the comment survives a round trip");
}

// The fast cut takes exactly the stored plans whose line is the line a save writes for them, and
// finds the same fields in it.
void CheckFastCut(std::string_view line, const Cut& c) {
    tarvik::PlanCut cut;
    const bool fast = tarvik::CutPlan(line, cut);
    bool asSaved = false;
    if (c.Stored() && line.find(';') == std::string_view::npos && line.size() <= 32767) {
        tarvik::FlightPlan plan;
        plan.Assign(c.Fields());
        asSaved = tarvik::JoinPlans(plan) == line;
    }
    Require(fast == asSaved, "the fast cut takes the lines a save writes as they are");
    if (!fast)
        return;
    tarvik::FlightPlan plan;
    plan.Refer(line.data(), cut);
    Require(plan.Tag() == c.Tag && plan.Pcent() == c.Pcent && plan.TailNum() == c.TailNum &&
                plan.Rate() == c.Rate && plan.Ivfr() == c.Ivfr && plan.TheRest() == c.TheRest &&
                plan.HPort() == c.HPort && plan.Cment() == c.Cment,
            "the fast cut finds the fields SplitPlans cuts");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view line = fuzz::AsText(data, size);
    const Cut c(line);
    CheckOutputs(line, c);
    CheckFastCut(line, c);
    if (c.Stored())
        CheckRoundTrip(c);
    return 0;
}
