#include "traffic/Tables.h"

#include "platform/os/Pages.h"

#include <charconv>
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
// The characters of value in decimal, at most 6.
std::string_view Decimal(int16_t value, char (&digits)[8]) {
    return {digits,
            static_cast<std::size_t>(std::to_chars(digits, digits + 8, value).ptr - digits)};
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
    const std::string_view tagText = Decimal(f.Tag, tag);
    const std::string_view pcentText = Decimal(f.Pcent, pcent);
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
    put(tagText);
    *out++ = ',';
    put(f.TailNum);
    const uint16_t tailEnd = at();
    *out++ = ',';
    put(pcentText);
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

FileText::FileText(FileText&& other) noexcept
    : Size(other.Size), AtFileStart(other.AtFileStart), Bytes(other.Bytes), Mapped(other.Mapped) {
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
