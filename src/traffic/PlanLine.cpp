#include "traffic/PlanLine.h"

#include "traffic/LineReader.h"
#include "traffic/Numbers.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <initializer_list>
#include <string_view>

namespace tarvik {

namespace {

// Positions count from 1 and 0 means "not found", as in the line format's description.
std::size_t PositionOf(std::size_t start, std::string_view s, std::string_view what) {
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
    const auto c1 = static_cast<Pos>(PositionOf(1, line, ","));
    if (c1 == 0)
        return true;

    std::string_view part;
    if (Mid(line, 4, c1 - 4, part))
        ParseInt16(part, Tag);

    const auto c2 = static_cast<Pos>(PositionOf(static_cast<std::size_t>(c1 + 1), line, ","));
    CutText(line, c1 + 1, c2 - c1 - 1, TailNum);

    const auto c3 = static_cast<Pos>(PositionOf(static_cast<std::size_t>(c2 + 1), line, ","));
    bool pcentRead = true;
    if (Mid(line, c2 + 1, c3 - c2 - 1, part)) {
        if (!part.empty() && part.back() == '%')
            part.remove_suffix(1);
        pcentRead = ParseInt16(part, Pcent);
    }

    const auto c4 = static_cast<Pos>(PositionOf(static_cast<std::size_t>(c3 + 1), line, ","));
    CutText(line, c3 + 1, c4 - c3 - 1, Rate);

    const auto c5 = static_cast<Pos>(PositionOf(static_cast<std::size_t>(c4 + 1), line, ","));
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

// The value of text when it is written as a save writes a number; false for any other text.
bool WrittenInt16(std::string_view text, int16_t& value) {
    std::size_t i = text.size() > 1 && text[0] == '-' ? 1 : 0;
    if (text.size() <= i || text.size() - i > 5 || (text[i] == '0' && text.size() > 1))
        return false;
    int v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        v = v * 10 + (text[i] - '0');
    }
    v = text[0] == '-' ? -v : v;
    if (v < -32768 || v > 32767)
        return false;
    value = static_cast<int16_t>(v);
    return true;
}

// What one pass over a line finds: its first five commas (their number in found), and where the
// first "//" starts (n when there is none). False as soon as a ";" shows.
#if defined(__SSE2__)
bool ScanLine(const char* p, std::size_t n, std::size_t (&comma)[5], int& found,
              std::size_t& cment) {
    found = 0;
    cment = n;
    const __m128i commas = _mm_set1_epi8(',');
    const __m128i semis = _mm_set1_epi8(';');
    const __m128i slashes = _mm_set1_epi8('/');
    bool slashBefore = false; // the byte before the first one looked at is a "/"
    // Looks at the bytes from at + from to at + 16 of the sixteen at at.
    const auto look = [&](std::size_t at, unsigned from) {
        const unsigned keep = (0xFFFFu << from) & 0xFFFFu;
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
        if (static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, semis))) & keep)
            return false;
        const auto slash =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, slashes))) & keep;
        if (cment == n && slash) {
            const unsigned pair = slash & (slash >> 1);
            if (slashBefore && ((slash >> from) & 1))
                cment = at + from - 1;
            else if (pair)
                cment = at + static_cast<std::size_t>(__builtin_ctz(pair));
        }
        slashBefore = (slash & 0x8000) != 0;
        if (found < 5) {
            auto bits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, commas))) & keep;
            for (; bits && found < 5; bits &= bits - 1)
                comma[found++] = at + static_cast<std::size_t>(__builtin_ctz(bits));
        }
        return true;
    };
    std::size_t i = 0;
    for (; i + 16 <= n && found < 5; i += 16)
        if (!look(i, 0))
            return false;
    // Past the fifth comma only a ";" or a "/" asks for a closer look.
    for (; i + 16 <= n; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        if (_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(x, semis), _mm_cmpeq_epi8(x, slashes)))) {
            if (!look(i, 0))
                return false;
        } else {
            slashBefore = false;
        }
    }
    if (i == n)
        return true;
    // The last bytes: the sixteen that end the line, of which those already looked at are left
    // out.
    if (n >= 16)
        return look(n - 16, static_cast<unsigned>(i - (n - 16)));
    for (; i < n; ++i) {
        if (p[i] == ';')
            return false;
        if (p[i] == ',' && found < 5)
            comma[found++] = i;
        if (p[i] == '/' && cment == n && slashBefore)
            cment = i - 1;
        slashBefore = p[i] == '/';
    }
    return true;
}
#else
bool ScanLine(const char* p, std::size_t n, std::size_t (&comma)[5], int& found,
              std::size_t& cment) {
    if (std::memchr(p, ';', n))
        return false;
    found = 0;
    for (std::size_t from = 0; found < 5;) {
        const auto* c = static_cast<const char*>(std::memchr(p + from, ',', n - from));
        if (!c)
            break;
        comma[found] = static_cast<std::size_t>(c - p);
        from = comma[found++] + 1;
    }
    cment = n;
    for (std::size_t from = 0; from + 1 < n;) {
        const auto* slash = static_cast<const char*>(std::memchr(p + from, '/', n - from - 1));
        if (!slash)
            break;
        const auto at = static_cast<std::size_t>(slash - p);
        if (p[at + 1] == '/') {
            cment = at;
            break;
        }
        from = at + 1;
    }
    return true;
}
#endif

} // namespace

// The same cut as SplitPlans and IsStoredPlan make, for the lines it takes: with no ";" the line is
// cut as it is; the comment starts at the first "//"; a stored plan has legs, so its five leading
// commas lie before the comment; the home airport follows the first comma of the last five
// characters before the comment, and the legs lie between the fifth comma and that one.
bool CutPlan(std::string_view line, PlanCut& cut) {
    const char* p = line.data();
    const std::size_t n = line.size();
    std::size_t comma[5];
    int found = 0;
    std::size_t cment = n;
    if (n > FlightPlan::LongestLine || line.substr(0, 3) != "AC#" ||
        !ScanLine(p, n, comma, found, cment) || found < 5)
        return false;
    int16_t tag = 0;
    int16_t pcent = 0;
    const std::string_view percent = line.substr(comma[1] + 1, comma[2] - comma[1] - 1);
    if (!WrittenInt16(line.substr(3, comma[0] - 3), tag) || tag == 0 || percent.empty() ||
        percent.back() != '%' || !WrittenInt16(percent.substr(0, percent.size() - 1), pcent))
        return false;
    std::size_t home = cment > 5 ? cment - 5 : 0;
    while (home < cment && p[home] != ',')
        ++home;
    if (home >= cment || home <= comma[4] + 1)
        return false; // no comma before the home airport, or no legs
    const auto at = [](std::size_t v) { return static_cast<uint16_t>(v); };
    cut = PlanCut{tag,          pcent,        at(comma[1]), at(comma[3]),
                  at(comma[4]), at(home + 1), at(cment),    at(n)};
    return true;
}

std::string_view SavedLine(const FlightPlan& plan) {
    if (plan.TheRest().empty() && !plan.Cment().empty())
        return plan.Cment();
    return plan.Text();
}

std::string JoinPlans(const FlightPlan& plan) {
    return std::string(SavedLine(plan));
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

bool SameCut(const PlanCut& a, const PlanCut& b) {
    return a.Tag == b.Tag && a.Pcent == b.Pcent && a.TailEnd == b.TailEnd &&
           a.RateEnd == b.RateEnd && a.IvfrEnd == b.IvfrEnd && a.HomeAt == b.HomeAt &&
           a.CmentAt == b.CmentAt && a.LineEnd == b.LineEnd;
}

// line: what a save writes for the fields f; made holds where ComposeLine put them. A line without
// ";" is cut as the load cuts it; one with a ";" goes through SplitPlans, whose texts are kept from
// call to call.
bool ReadsBack(std::string_view line, const PlanCut& made, const PlanFields& f) {
    if (std::memchr(line.data(), '\r', line.size()) || std::memchr(line.data(), '\n', line.size()))
        return false; // the file would hold two lines
    if (line.size() > LineReader::LongestLine)
        return false; // the next load would stop at the line
    if (line.find(';') == std::string_view::npos) {
        PlanCut cut;
        return CutPlan(line, cut) && SameCut(cut, made);
    }
    std::string INP(line), TailNum, Rate, Ivfr, HPort, TheRest, Cment;
    int16_t Tag = 0;
    int16_t Pcent = 0;
    const bool whole = SplitPlans(INP, Tag, TailNum, Pcent, Rate, Ivfr, HPort, TheRest, Cment);
    return IsStoredPlan(Tag, HPort, TheRest, whole) && Tag == f.Tag && Pcent == f.Pcent &&
           TailNum == f.TailNum && Rate == f.Rate && Ivfr == f.Ivfr && TheRest == f.TheRest &&
           HPort == f.HPort && SameCommentAfterLoad(Cment, f.Cment);
}
} // namespace

bool PlanReadsBack(const FlightPlan& plan) {
    const PlanFields f = plan.Fields();
    std::string line;
    PlanCut made;
    ComposeLine(f, line, made);
    return !f.TheRest.empty() && ReadsBack(line, made, f);
}

namespace {
// A value that a line's leading fields can take without changing how a load cuts it. The fields
// are short: one look at each character.
bool LeadingValue(std::string_view v) {
    for (std::size_t i = 0; i < v.size(); ++i) {
        const char c = v[i];
        if (c == ',' || c == ';' || c == '\r' || c == '\n' ||
            (c == '/' && i + 1 < v.size() && v[i + 1] == '/'))
            return false;
    }
    return true;
}

bool Same(std::string_view a, std::string_view b) {
    return a.data() == b.data() && a.size() == b.size();
}

// True when the new fields of a plan read as it was read (cut at the load as the line a save
// writes) differ from its own only in the number, the identifier, the percentage, the frequency and
// the flight rules, with values that hold no comma, ";" or "//": the line is then cut at the same
// commas, and its comment and home airport are found where they were. A field that is still the
// plan's own was cut so by the load.
bool OnlyLeadingFieldsChanged(const FlightPlan& plan, const PlanFields& f) {
    const auto leading = [](std::string_view v, std::string_view own) {
        return Same(v, own) || LeadingValue(v);
    };
    return plan.ReadAsIs() && f.Tag != 0 && Same(f.HPort, plan.HPort()) &&
           Same(f.TheRest, plan.TheRest()) && Same(f.Cment, plan.Cment()) &&
           leading(f.TailNum, plan.TailNum()) && leading(f.Rate, plan.Rate()) &&
           leading(f.Ivfr, plan.Ivfr());
}
} // namespace

bool ChangePlan(FlightPlan& plan, const PlanFields& fields) {
    if (OnlyLeadingFieldsChanged(plan, fields))
        return plan.AssignLeading(fields);
    std::string line;
    PlanCut made;
    ComposeLine(fields, line, made);
    if (fields.TheRest.empty() || !ReadsBack(line, made, fields))
        return false;
    plan.TakeCopy(line, made);
    return true;
}

std::string_view DisplayLine(const FlightPlan& plan) {
    const std::string_view line = plan.Text();
    return line.substr(0, line.size() - plan.Cment().size());
}

} // namespace tarvik
