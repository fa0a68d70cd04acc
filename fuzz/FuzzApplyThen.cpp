// ApplyThen on a plan read from any line that the load would store, with any Then row (values
// that the window refuses at OK included, since the Then value box can be edited during the
// review): no crash, and the field that the row names changes as the row says and nothing else
// does, unless a load could then no longer read the plan's saved line back as the same plan, in
// which case nothing changes. Either way a load reads the saved line back as the plan.
//
// Input: a byte for the Then field (-1 to 7), a byte of flags (1: an aircraft entry is picked,
// 2: the value reads as a number, 4: the number is taken from raw bits, 8: raw random draws), the
// aircraft number (2 bytes), the number (8 bytes: raw bits, or a 32-bit count of quarters), then
// the plan's line, the Then value, the And value box's text and the random draws, separated by the
// byte 0x1e.

#include "FuzzCheck.h"
#include "FuzzPlanCut.h"
#include "FuzzRandom.h"

#include "run/Change.h"
#include "run/RuleChecks.h"
#include "traffic/PlanLine.h"
#include "traffic/Tables.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>

using fuzz::Require;
using fuzz::SemicolonAsSlashes;
using fuzz::Trim;

namespace {

using fuzz::Cut;

constexpr char Marker = '\x1e';
constexpr std::size_t HeaderSize = 12;

// A line cut as the load cuts it.

struct Input {
    tarvik::ThenChange Change;
    bool RawNumber = false;
    bool RawDraws = false;
    std::string_view Line, Draws;
};

Input Read(const uint8_t* data, std::size_t size) {
    Input in;
    tarvik::ThenChange& c = in.Change;
    c.Field = static_cast<int16_t>(data[0] % 9 - 1);
    c.HasTag = (data[1] & 1) != 0;
    c.HasNumber = (data[1] & 2) != 0;
    in.RawNumber = (data[1] & 4) != 0;
    in.RawDraws = (data[1] & 8) != 0;
    c.Tag = static_cast<int16_t>(static_cast<uint16_t>(data[2] | data[3] << 8));
    if (in.RawNumber) {
        std::memcpy(&c.Number, data + 4, sizeof c.Number);
    } else {
        int32_t quarters = 0;
        std::memcpy(&quarters, data + 4, sizeof quarters);
        c.Number = quarters / 4.0;
    }
    std::string_view rest = fuzz::AsText(data + HeaderSize, size - HeaderSize);
    const auto parts = fuzz::SplitAt<4>(rest, Marker);
    in.Line = parts[0];
    c.Value = std::string(parts[1]);
    c.Old = std::string(parts[2]);
    in.Draws = parts[3];
    return in;
}

bool IsPlaceholder(char c) {
    return c == '&' || c == '#' || c == '*';
}

void CheckIdentifier(std::string_view pattern, std::string_view id) {
    Require(id.size() == pattern.size(), "the identifier has the pattern's length");
    for (std::size_t i = 0; i < id.size(); ++i) {
        const char c = id[i];
        if (!IsPlaceholder(pattern[i]))
            Require(c == pattern[i], "the identifier keeps what is no placeholder");
        else
            Require((c >= 'A' && c <= 'Z') || (c >= '1' && c <= '9'), "a placeholder is drawn");
    }
}

// The percentage that the change gives: the number rounded half to even when it fits 16 bits.
int16_t WantedPcent(const tarvik::ThenChange& c, int16_t before) {
    if (!c.HasNumber || !std::isfinite(c.Number))
        return before;
    const double r = std::nearbyint(c.Number);
    return r >= -32768 && r <= 32767 ? static_cast<int16_t>(r) : before;
}

// The plan with the field that the change names set as the change says; an identifier is drawn
// from the same draws. None when its line would be longer than a plan's line can be.
std::optional<tarvik::FlightPlan> Wanted(const tarvik::FlightPlan& before, const Input& in) try {
    using namespace tarvik;
    const ThenChange& c = in.Change;
    FlightPlan want = before;
    switch (c.Field) {
    case HomeAirport:
        want.SetHPort(Trim(c.Value));
        break;
    case Aircraft:
        want.SetTag(c.HasTag && c.Tag != 0 ? c.Tag : before.Tag());
        break;
    case Percentage:
        want.SetPcent(WantedPcent(c, before.Pcent()));
        break;
    case AircraftId: {
        fuzz::ByteRandom random(in.Draws, in.RawDraws);
        std::string id = c.Value;
        GetRandomId(id, random);
        CheckIdentifier(c.Value, id);
        want.SetTailNum(id);
        break;
    }
    case FlightFrequency:
        want.SetRate(c.Value);
        break;
    case IfrVfr:
        want.SetIvfr(c.Value);
        break;
    case VisitedAirport:
        want.SetTheRest(ReplaceVisited(before.TheRest(), Trim(c.Old), c.Value));
        break;
    default:
        break;
    }
    return want;
} catch (const std::length_error&) {
    return std::nullopt;
}

bool Same(const tarvik::FlightPlan& a, const tarvik::FlightPlan& b) {
    return a.Tag() == b.Tag() && a.Pcent() == b.Pcent() && a.TailNum() == b.TailNum() &&
           a.Rate() == b.Rate() && a.Ivfr() == b.Ivfr() && a.HPort() == b.HPort() &&
           a.TheRest() == b.TheRest() && a.Cment() == b.Cment();
}

bool HoldsLineEnd(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// A load reads the plan's saved line back as the same plan, but for the first ";" of the comment,
// which it reads as "//". A line end inside a field would make two lines of it.
bool ReadsBack(const tarvik::FlightPlan& plan) {
    const std::string line = tarvik::JoinPlans(plan);
    if (HoldsLineEnd(line))
        return false;
    const Cut again(line);
    tarvik::FlightPlan want = plan;
    want.SetCment(SemicolonAsSlashes(std::string(plan.Cment())));
    return again.Stored() && Same(again.Plan(), want);
}

// The fields whose Then value becomes a field of the line, when the checks of an OK press let the
// value through. A value box holds one line.
bool PassesWindowChecks(const tarvik::ThenChange& c) {
    using namespace tarvik;
    const bool textField = c.Field == HomeAirport || c.Field == AircraftId ||
                           c.Field == FlightFrequency || c.Field == IfrVfr;
    return textField && !HoldsLineEnd(c.Value) && !CheckThenValue(c.Field, c.Value, c.Old);
}

// A value that passes the window's checks always fits the line, but for a home airport shorter
// than four characters (the end of the legs can then be read as part of it) or ending in "/" (a
// comment after it would start there).
bool AlwaysCarried(const tarvik::ThenChange& c) {
    const std::string_view home = Trim(c.Value);
    return PassesWindowChecks(c) &&
           (c.Field != tarvik::HomeAirport || (home.size() == 4 && home.back() != '/'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < HeaderSize)
        return 0;
    const Input in = Read(data, size);
    const Cut cut(in.Line);
    if (!cut.Stored() || HoldsLineEnd(in.Line) || in.Line.size() >= 32767)
        return 0; // no line that the load stores as a plan
    const tarvik::FlightPlan before = cut.Plan();
    Require(ReadsBack(before), "a stored line's plan reads back");
    tarvik::FlightPlan after = cut.Plan();
    fuzz::ByteRandom random(in.Draws, in.RawDraws);
    tarvik::ApplyThen(after, in.Change, random);

    const std::optional<tarvik::FlightPlan> wanted = Wanted(before, in);
    const tarvik::FlightPlan want = wanted.value_or(before);
    if (AlwaysCarried(in.Change) && wanted)
        Require(Same(after, want), "a value that the window lets through is carried");
    if (wanted && ReadsBack(want))
        Require(Same(after, want), "the named field changes as the change says, and nothing else");
    else
        Require(Same(after, before), "a change that the line can't carry is not made");
    Require(ReadsBack(after), "a load reads a changed plan back as the same plan");

    // A plan that refers to the line it was read from, as a load makes it of a line that is
    // already the line a save writes, changes the same way.
    tarvik::PlanCut read;
    if (tarvik::CutPlan(in.Line, read)) {
        tarvik::FlightPlan asRead;
        asRead.Refer(in.Line.data(), read);
        fuzz::ByteRandom again(in.Draws, in.RawDraws);
        tarvik::ApplyThen(asRead, in.Change, again);
        Require(Same(asRead, after), "a plan read as it is changes as a plan of its own does");
    }
    return 0;
}
