// The visited-airport replacement on any legs, old airport and new airport. An accepted pair ends
// after at most one replacement per character of the legs plus one, and gives what a plain reading
// of the steps gives; a refused pair is one whose replacement would really never end, and it leaves
// the legs as they were. ApplyThen with the field "Visited AirPort" changes the legs in the same
// way, unless the plan's line could not carry the new legs, and nothing else of the plan.
//
// Input: legs, the And value box's text and the Then value, separated by the byte 0x1e.

#include "FuzzCheck.h"
#include "FuzzRandom.h"

#include "run/Change.h"
#include "traffic/PlanLine.h"
#include "traffic/Tables.h"

#include <cstdint>
#include <string>

using fuzz::Require;
using fuzz::Trim;

namespace {

constexpr char Marker = '\x1e';

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

struct Replaced {
    std::string Text;
    std::size_t Passes = 0; // replacements made
    bool Ended = false;     // the search found nothing before the pass limit
};

// The steps as written, positions from 0: find old from start (case ignored), put the new text
// between the part before and the trimmed part after, go on two characters after the start of the
// text put in, until nothing is found or maxPasses replacements were made.
Replaced Reference(std::string_view legs, std::string_view old, std::string_view repl,
                   std::size_t maxPasses) {
    const std::string_view put = Trim(repl);
    const std::string lowOld = Lower(old);
    Replaced r{std::string(legs)};
    std::size_t start = 0;
    for (;;) {
        const std::size_t p = r.Text.empty() || start >= r.Text.size()
                                  ? std::string::npos
                                  : Lower(r.Text).find(lowOld, start);
        if (p == std::string::npos) {
            r.Ended = true;
            return r;
        }
        if (r.Passes == maxPasses)
            return r;
        const std::string right(Trim(std::string_view(r.Text).substr(p + old.size())));
        r.Text = r.Text.substr(0, p) + std::string(put) + right;
        start = p + 2;
        ++r.Passes;
    }
}

void CheckRefusedNeverEnds(std::string_view old, std::string_view repl) {
    const std::string legs = old.empty() ? std::string("x") : std::string(old);
    Require(!Reference(legs, old, repl, 16).Ended, "only a replacement that never ends is refused");
}

tarvik::FlightPlan PlanWithLegs(std::string_view legs) {
    tarvik::FlightPlan plan;
    plan.Assign(12, "N123", 50, "24Hr", "IFR", "KLAX", legs, "//c");
    return plan;
}

void CheckApplyThen(std::string_view legs, std::string_view oldBox, std::string_view repl,
                    const std::string& want) {
    tarvik::FlightPlan plan = PlanWithLegs(legs);
    tarvik::ThenChange change;
    change.Field = tarvik::VisitedAirport;
    change.Value = std::string(repl);
    change.Old = std::string(oldBox);
    fuzz::ByteRandom random({}, false);
    tarvik::ApplyThen(plan, change, random);
    const tarvik::FlightPlan before = PlanWithLegs(legs);
    const bool carried = tarvik::PlanReadsBack(PlanWithLegs(want));
    Require(plan.TheRest() == (carried ? want : legs),
            "ApplyThen changes the legs as the replacement does, when the line can carry them");
    Require(plan.Tag() == before.Tag() && plan.Pcent() == before.Pcent() &&
                plan.TailNum() == before.TailNum() && plan.Rate() == before.Rate() &&
                plan.Ivfr() == before.Ivfr() && plan.HPort() == before.HPort() &&
                plan.Cment() == before.Cment(),
            "a visited-airport change touches nothing but the legs");
    Require(random.Draws == 0, "a visited-airport change draws nothing");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::string_view rest = fuzz::AsText(data, size);
    const auto parts = fuzz::SplitAt<3>(rest, Marker);
    const std::string_view legs = parts[0], oldBox = parts[1], repl = parts[2];
    const std::string_view old = Trim(oldBox);

    const bool ends = tarvik::VisitedReplacementEnds(old, repl);
    const std::string got = tarvik::ReplaceVisited(legs, old, repl);
    if (ends) {
        const Replaced want = Reference(legs, old, repl, legs.size() + 1);
        Require(want.Ended, "an accepted replacement ends within one pass per character, plus one");
        Require(got == want.Text, "the replacement gives what the steps give");
    } else {
        Require(got == legs, "a refused replacement leaves the legs as they were");
        CheckRefusedNeverEnds(old, repl);
    }
    CheckApplyThen(legs, oldBox, repl, got);
    return 0;
}
