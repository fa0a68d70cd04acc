// SplitAircraft on any bytes: no crash, and the same answer as a step-by-step reading of the line
// with positions counted from 1 (0 for "not found").

#include "FuzzCheck.h"

#include "traffic/Numbers.h"
#include "traffic/RefLines.h"

#include <cstdint>
#include <string>

using fuzz::Require;

namespace {

using Pos = long long;

Pos InStr(Pos start, std::string_view s, char what) {
    const std::size_t p = s.find(what, static_cast<std::size_t>(start - 1));
    return p == std::string_view::npos ? 0 : static_cast<Pos>(p) + 1;
}

bool Number(std::string_view s, Pos start, Pos len, int16_t& value) {
    if (start < 1 || len < 0)
        return false;
    const auto from = static_cast<std::size_t>(start - 1);
    const std::string_view part =
        from >= s.size() ? std::string_view() : s.substr(from, static_cast<std::size_t>(len));
    return tarvik::ParseInt16(part, value);
}

struct Entry {
    bool Ok = false;
    std::string Acraft;
    int16_t Atag = 0;
    int16_t ASpeed = 0;
};

Entry ReadStepByStep(std::string_view craft) {
    Entry e;
    const Pos q1 = InStr(1, craft, '"');
    if (q1 == 0)
        return e;
    e.Acraft = std::string(craft.substr(static_cast<std::size_t>(q1 - 1)));
    const Pos c1 = InStr(1, craft, ',');
    if (!Number(craft, 4, c1 - 4, e.Atag))
        return e;
    const Pos q2 = c1 == 0 ? 0 : InStr(c1 + 1, craft, '"');
    if (!Number(craft, c1 + 1, q2 - c1 - 2, e.ASpeed))
        return e;
    e.Ok = true;
    return e;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view line = fuzz::AsText(data, size);
    Entry got;
    std::string why;
    got.Ok = tarvik::SplitAircraft(line, got.Acraft, got.Atag, got.ASpeed, &why);
    const Entry want = ReadStepByStep(line);
    Require(got.Ok == want.Ok, "the line is read or refused as the steps say");
    Require(got.Ok || !why.empty(), "a refusal gives its reason");
    Require(got.Acraft == want.Acraft, "the title runs from the first quote to the end");
    if (got.Ok)
        Require(got.Atag == want.Atag && got.ASpeed == want.ASpeed, "number and speed as read");
    return 0;
}
