#include "traffic/Tables.h"

#include "platform/os/Pages.h"

#include <cstring>
#include <iterator>
#include <stdexcept>

namespace tarvik {

namespace {

// The number of characters of the number as the line writes it: counted each time a plan's
// identifier or frequency is asked for.
uint16_t Width(int16_t value) {
    const int n = value < 0 ? -int{value} : int{value};
    const int digits = n < 10 ? 1 : n < 100 ? 2 : n < 1000 ? 3 : n < 10000 ? 4 : 5;
    return static_cast<uint16_t>(digits + (value < 0 ? 1 : 0));
}

constexpr std::string_view Lead = "AC#";

// The same view: a field still the plan's own.
bool SameView(std::string_view a, std::string_view b) {
    return a.data() == b.data() && a.size() == b.size();
}

} // namespace

uint16_t FlightPlan::TailAt() const {
    return static_cast<uint16_t>(Lead.size() + Width(Cut.Tag) + 1);
}

uint16_t FlightPlan::RateAt() const {
    return static_cast<uint16_t>(Cut.TailEnd + 1 + Width(Cut.Pcent) + 2);
}

PlanFields FlightPlan::Fields() const {
    return {Cut.Tag, TailNum(), Cut.Pcent, Rate(), Ivfr(), HPort(), TheRest(), Cment()};
}

void FlightPlan::Release() {
    if (Cut.LineEnd & OwnLine)
        memory::FreeText(const_cast<char*>(Line), LineEnd());
    Line = nullptr;
    Cut = PlanCut{};
}

void FlightPlan::Copy(const FlightPlan& other) {
    if (other.Cut.LineEnd & OwnLine)
        TakeCopy(other.Text(), other.Cut);
    else
        Refer(other.Line, other.Cut);
}

FlightPlan& FlightPlan::operator=(const FlightPlan& other) {
    if (this != &other)
        Copy(other);
    return *this;
}

void FlightPlan::TakeCopy(std::string_view line, const PlanCut& cut) {
    if (line.size() > LongestLine)
        throw std::length_error("a plan's line is longer than a load reads");
    char* own = nullptr;
    if (!line.empty()) {
        own = static_cast<char*>(memory::AllocateText(line.size()));
        std::memcpy(own, line.data(), line.size());
    }
    Release();
    Line = own;
    Cut = cut;
    Cut.LineEnd = static_cast<uint16_t>(line.size() | (own ? OwnLine : 0));
}

void FlightPlan::Refer(const char* line, const PlanCut& cut) {
    Release();
    Line = line;
    Cut = cut;
    Cut.LineEnd = static_cast<uint16_t>(Cut.LineEnd & ~OwnLine);
}

void FlightPlan::Assign(const PlanFields& f) {
    // Composed straight into the plan's own room: the fields may be parts of its line until then.
    const std::size_t size = ComposedSize(f);
    if (size > LongestLine)
        throw std::length_error("a plan's line is longer than a load reads");
    auto* own = static_cast<char*>(memory::AllocateText(size));
    PlanCut cut;
    ComposeLine(f, own, cut);
    Release();
    Line = own;
    Cut = cut;
    Cut.LineEnd = static_cast<uint16_t>(size | OwnLine);
}

void FlightPlan::Assign(int16_t tag, std::string_view tailNum, int16_t pcent, std::string_view rate,
                        std::string_view ivfr, std::string_view hPort, std::string_view theRest,
                        std::string_view cment) {
    Assign(PlanFields{tag, tailNum, pcent, rate, ivfr, hPort, theRest, cment});
}

void FlightPlan::SetTag(int16_t v) {
    PlanFields f = Fields();
    f.Tag = v;
    Assign(f);
}

void FlightPlan::SetPcent(int16_t v) {
    PlanFields f = Fields();
    f.Pcent = v;
    Assign(f);
}

void FlightPlan::SetPart(std::string_view PlanFields::*part, std::string_view v) {
    PlanFields f = Fields();
    f.*part = v;
    Assign(f);
}

void FlightPlan::SetTailNum(std::string_view v) {
    SetPart(&PlanFields::TailNum, v);
}
void FlightPlan::SetRate(std::string_view v) {
    SetPart(&PlanFields::Rate, v);
}
void FlightPlan::SetIvfr(std::string_view v) {
    SetPart(&PlanFields::Ivfr, v);
}
void FlightPlan::SetHPort(std::string_view v) {
    SetPart(&PlanFields::HPort, v);
}
void FlightPlan::SetTheRest(std::string_view v) {
    SetPart(&PlanFields::TheRest, v);
}
void FlightPlan::SetCment(std::string_view v) {
    SetPart(&PlanFields::Cment, v);
}

namespace {
// The characters of value in decimal, at most 6, written from the end of digits.
std::string_view Decimal(int16_t value, char (&digits)[8]) {
    char* const end = digits + sizeof digits;
    char* p = end;
    unsigned n = static_cast<unsigned>(value < 0 ? -int{value} : int{value});
    do {
        *--p = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n != 0);
    if (value < 0)
        *--p = '-';
    return {p, static_cast<std::size_t>(end - p)};
}

} // namespace

std::size_t ComposedSize(const PlanFields& f) {
    return Lead.size() + Width(f.Tag) + 1 + f.TailNum.size() + 1 + Width(f.Pcent) + 2 +
           f.Rate.size() + 1 + f.Ivfr.size() + 1 + f.TheRest.size() + 1 + f.HPort.size() +
           f.Cment.size();
}

void ComposeLine(const PlanFields& f, std::string& line, PlanCut& cut) {
    line.resize(ComposedSize(f));
    ComposeLine(f, line.data(), cut);
}

// The line is written in one piece, field by field; the commas and signs between the fields are
// put in as characters.
void ComposeLine(const PlanFields& f, char* const start, PlanCut& cut) {
    char tag[8];
    char pcent[8];
    char* out = start;
    const auto put = [&out](std::string_view part) {
        if (!part.empty())
            std::memcpy(out, part.data(), part.size());
        out += part.size();
    };
    const auto at = [&] { return static_cast<uint16_t>(out - start); };
    *out++ = 'A';
    *out++ = 'C';
    *out++ = '#';
    put(Decimal(f.Tag, tag));
    *out++ = ',';
    put(f.TailNum);
    const uint16_t tailEnd = at();
    *out++ = ',';
    put(Decimal(f.Pcent, pcent));
    *out++ = '%';
    *out++ = ',';
    put(f.Rate);
    const uint16_t rateEnd = at();
    *out++ = ',';
    put(f.Ivfr);
    const uint16_t ivfrEnd = at();
    *out++ = ',';
    put(f.TheRest);
    *out++ = ',';
    const uint16_t homeAt = at();
    put(f.HPort);
    const uint16_t cmentAt = at();
    put(f.Cment);
    cut = PlanCut{f.Tag, f.Pcent, tailEnd, rateEnd, ivfrEnd, homeAt, cmentAt, at()};
}

bool FlightPlan::AssignLeading(const PlanFields& f) {
    // A rule changes one field: the line around it goes over as it is.
    char tagDigits[8];
    char pcentDigits[8];
    std::string_view put;
    uint16_t from = 0;
    uint16_t to = 0;
    int changed = 0;
    const auto change = [&](std::string_view text, uint16_t start, uint16_t end) {
        put = text;
        from = start;
        to = end;
        ++changed;
    };
    if (f.Tag != Cut.Tag)
        change(Decimal(f.Tag, tagDigits), static_cast<uint16_t>(Lead.size()), TailAt() - 1);
    if (!SameView(f.TailNum, TailNum()))
        change(f.TailNum, TailAt(), Cut.TailEnd);
    if (f.Pcent != Cut.Pcent)
        change(Decimal(f.Pcent, pcentDigits), Cut.TailEnd + 1, RateAt() - 2);
    if (!SameView(f.Rate, Rate()))
        change(f.Rate, RateAt(), Cut.RateEnd);
    if (!SameView(f.Ivfr, Ivfr()))
        change(f.Ivfr, Cut.RateEnd + 1, Cut.IvfrEnd);
    if (changed <= 1) { // the one field changed goes in where the old one was
        const std::size_t size = LineEnd() - (to - from) + put.size();
        if (size > LongestLine)
            return false;
        auto* own = static_cast<char*>(memory::AllocateText(size));
        std::memcpy(own, Line, from);
        if (!put.empty())
            std::memcpy(own + from, put.data(), put.size());
        std::memcpy(own + from + put.size(), Line + to, LineEnd() - to);
        const auto moved = [&](uint16_t at) {
            return at < to ? at : static_cast<uint16_t>(at - to + from + put.size());
        };
        const PlanCut cut{f.Tag,
                          f.Pcent,
                          moved(Cut.TailEnd),
                          moved(Cut.RateEnd),
                          moved(Cut.IvfrEnd),
                          moved(Cut.HomeAt),
                          moved(Cut.CmentAt),
                          static_cast<uint16_t>(size | OwnLine)};
        Release();
        Line = own;
        Cut = cut;
        return true;
    }
    if (ComposedSize(f) > LongestLine)
        return false;
    Assign(f);
    return true;
}

FileText::FileText(FileText&& other) noexcept
    : Size(other.Size), AtFileStart(other.AtFileStart), LineStarts(std::move(other.LineStarts)),
      Bytes(other.Bytes), Mapped(other.Mapped) {
    other.Bytes = nullptr;
    other.Mapped = 0;
    other.Size = 0;
}

FileText& FileText::operator=(FileText&& other) noexcept {
    if (this != &other) {
        this->~FileText();
        new (this) FileText(std::move(other));
    }
    return *this;
}

FileText::~FileText() {
    if (Bytes)
        pages::Unmap(Bytes, Mapped);
    Bytes = nullptr;
    Mapped = 0;
}

void FileText::Reserve(std::size_t size, std::size_t keep) {
    if (size <= Mapped)
        return;
    auto* bytes = static_cast<char*>(pages::Map(size));
    pages::PreferLarge(bytes, size);
    if (Bytes) {
        std::memcpy(bytes, Bytes, keep < Mapped ? keep : Mapped);
        pages::Unmap(Bytes, Mapped);
    }
    Bytes = bytes;
    Mapped = size;
}

} // namespace tarvik
