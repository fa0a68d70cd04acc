#include "traffic/PlanLine.h"

#include "traffic/LineReader.h"
#include "traffic/Numbers.h"

#include <charconv>
#include <initializer_list>
#include <string_view>

namespace tarvik {

namespace {

// Positions count from 1 and 0 means "not found", as in the line format's description.
std::size_t InStr(std::size_t start, std::string_view s, std::string_view what) {
    if (start < 1)
        start = 1;
    const std::size_t p = s.find(what, start - 1);
    return p == std::string_view::npos ? 0 : p + 1;
}

// The len characters of s from position start; false (target untouched) for a start below 1 or a
// negative length.
bool Mid(std::string_view s, long long start, long long len, std::string_view& out) {
    if (start < 1 || len < 0)
        return false;
    const auto from = static_cast<std::size_t>(start - 1);
    out = from >= s.size() ? std::string_view() : s.substr(from, static_cast<std::size_t>(len));
    return true;
}

void CutText(std::string_view s, long long start, long long len, std::string& target) {
    std::string_view part;
    if (Mid(s, start, len, part))
        target.assign(part.data(), part.size());
}

using Pos = long long;

void AppendNumber(std::string& out, int value) {
    char buf[8];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, res.ptr);
}

} // namespace

bool SplitPlans(std::string& INP, int16_t& Tag, std::string& TailNum, int16_t& Pcent,
                std::string& Rate, std::string& Ivfr, std::string& HPort, std::string& TheRest,
                std::string& Cment) {
    const std::size_t semi = INP.find(';');
    if (semi != std::string::npos)
        INP.replace(semi, 1, "//");

    if (INP.compare(0, 2, "//") == 0) {
        Cment = INP;
        return true;
    }

    std::string_view line(INP);
    const auto c1 = static_cast<Pos>(InStr(1, line, ","));
    if (c1 == 0)
        return true;

    std::string_view part;
    if (Mid(line, 4, c1 - 4, part))
        ParseInt16(part, Tag);

    const auto c2 = static_cast<Pos>(InStr(static_cast<std::size_t>(c1 + 1), line, ","));
    CutText(line, c1 + 1, c2 - c1 - 1, TailNum);

    const auto c3 = static_cast<Pos>(InStr(static_cast<std::size_t>(c2 + 1), line, ","));
    bool pcentRead = true;
    if (Mid(line, c2 + 1, c3 - c2 - 1, part)) {
        if (!part.empty() && part.back() == '%')
            part.remove_suffix(1);
        pcentRead = ParseInt16(part, Pcent);
    }

    const auto c4 = static_cast<Pos>(InStr(static_cast<std::size_t>(c3 + 1), line, ","));
    CutText(line, c3 + 1, c4 - c3 - 1, Rate);

    const auto c5 = static_cast<Pos>(InStr(static_cast<std::size_t>(c4 + 1), line, ","));
    CutText(line, c4 + 1, c5 - c4 - 1, Ivfr);

    const std::size_t d = INP.find("//");
    if (d != std::string::npos) {
        Cment.assign(INP, d, std::string::npos);
        INP.resize(d);
        line = INP;
    }

    const std::string_view t = line.size() > 5 ? line.substr(line.size() - 5) : line;
    const std::size_t k = t.find(',');
    const std::string_view home = k == std::string_view::npos ? t : t.substr(k + 1);
    HPort.assign(home.data(), home.size());

    std::string_view s = t;
    Mid(line, c5, static_cast<Pos>(line.size()), s);
    CutText(s, 2, static_cast<Pos>(s.size()) - static_cast<Pos>(home.size()) - 2, TheRest);
    // Without its five leading commas the fields repeat parts of the line, which a save would
    // write back as a different line.
    const bool fiveCommas = c2 > 0 && c3 > 0 && c4 > 0 && c5 > 0;
    return pcentRead && fiveCommas;
}

bool IsStoredPlan(int16_t Tag, std::string_view HPort, std::string_view TheRest, bool whole) {
    return HPort.size() <= 4 && Tag != 0 && !TheRest.empty() && whole;
}

namespace {
// At least the length of the plan's line: its texts, and the numbers and separators around them.
std::size_t LineRoom(const FlightPlan& plan) {
    return 24 + plan.TailNum().size() + plan.Rate().size() + plan.Ivfr().size() +
           plan.TheRest().size() + plan.HPort().size() + plan.Cment().size();
}

void AppendFields(const FlightPlan& plan, std::string& out) {
    out.append("AC#");
    AppendNumber(out, plan.Tag);
    out.push_back(',');
    out.append(plan.TailNum());
    out.push_back(',');
    AppendNumber(out, plan.Pcent);
    out.append("%,");
    out.append(plan.Rate());
    out.push_back(',');
    out.append(plan.Ivfr());
    out.push_back(',');
    out.append(plan.TheRest());
    out.push_back(',');
    out.append(plan.HPort());
}
} // namespace

void AppendPlanLine(const FlightPlan& plan, std::string& out) {
    if (plan.TheRest().empty() && !plan.Cment().empty()) {
        out.append(plan.Cment());
        return;
    }
    AppendFields(plan, out);
    out.append(plan.Cment());
}

std::string JoinPlans(const FlightPlan& plan) {
    std::string line;
    line.reserve(LineRoom(plan));
    AppendPlanLine(plan, line);
    return line;
}

std::string JoinPlans(const TrafficSet& set, int32_t CuPlan) {
    return JoinPlans(set.PlanTable[CuPlan]);
}

namespace {
// True when a load's comment is the plan's: the same text, but for the first ";", which a load
// reads as "//".
bool SameCommentAfterLoad(std::string_view loaded, std::string_view cment) {
    const std::size_t semi = cment.find(';');
    if (semi == std::string_view::npos)
        return loaded == cment;
    return loaded.size() == cment.size() + 1 && loaded.substr(0, semi) == cment.substr(0, semi) &&
           loaded.substr(semi, 2) == "//" && loaded.substr(semi + 2) == cment.substr(semi + 1);
}
} // namespace

// Called for every plan that a run changes: the texts are kept from call to call.
bool PlanReadsBack(const FlightPlan& plan) {
    thread_local std::string INP, TailNum, Rate, Ivfr, HPort, TheRest, Cment;
    INP.clear();
    AppendPlanLine(plan, INP);
    if (INP.find('\r') != std::string::npos || INP.find('\n') != std::string::npos)
        return false; // the file would hold two lines
    if (INP.size() > LineReader::LongestLine)
        return false; // the next load would stop at the line
    for (std::string* text : {&TailNum, &Rate, &Ivfr, &HPort, &TheRest, &Cment})
        text->clear();
    int16_t Tag = 0;
    int16_t Pcent = 0;
    const bool whole = SplitPlans(INP, Tag, TailNum, Pcent, Rate, Ivfr, HPort, TheRest, Cment);
    return IsStoredPlan(Tag, HPort, TheRest, whole) && Tag == plan.Tag && Pcent == plan.Pcent &&
           TailNum == plan.TailNum() && Rate == plan.Rate() && Ivfr == plan.Ivfr() &&
           TheRest == plan.TheRest() && HPort == plan.HPort() &&
           SameCommentAfterLoad(Cment, plan.Cment());
}

std::string DisplayLine(const FlightPlan& plan) {
    std::string line;
    line.reserve(LineRoom(plan));
    AppendFields(plan, line);
    return line;
}

} // namespace tarvik
