#include "traffic/Tables.h"

#include "platform/os/Pages.h"

#include <charconv>
#include <cstring>
#include <stdexcept>

namespace tarvik {

namespace {

// The number of characters of the number as the line writes it.
uint16_t Width(int16_t value) {
    char buf[8];
    return static_cast<uint16_t>(std::to_chars(buf, buf + sizeof buf, value).ptr - buf);
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
    thread_local std::string line;
    PlanCut cut;
    ComposeLine(f, line, cut);
    TakeCopy(line, cut);
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

void ComposeLine(const PlanFields& f, std::string& line, PlanCut& cut) {
    line.clear();
    line.reserve(24 + f.TailNum.size() + f.Rate.size() + f.Ivfr.size() + f.TheRest.size() +
                 f.HPort.size() + f.Cment.size());
    char num[8];
    line.append(Lead);
    line.append(num, std::to_chars(num, num + sizeof num, f.Tag).ptr);
    line.push_back(',');
    line.append(f.TailNum);
    const std::size_t tailEnd = line.size();
    line.push_back(',');
    line.append(num, std::to_chars(num, num + sizeof num, f.Pcent).ptr);
    line.append("%,");
    line.append(f.Rate);
    const std::size_t rateEnd = line.size();
    line.push_back(',');
    line.append(f.Ivfr);
    const std::size_t ivfrEnd = line.size();
    line.push_back(',');
    line.append(f.TheRest);
    line.push_back(',');
    const std::size_t homeAt = line.size();
    line.append(f.HPort);
    const std::size_t cmentAt = line.size();
    line.append(f.Cment);
    const auto at = [](std::size_t p) { return static_cast<uint16_t>(p); };
    cut = PlanCut{f.Tag,       f.Pcent,    at(tailEnd), at(rateEnd),
                  at(ivfrEnd), at(homeAt), at(cmentAt), at(line.size())};
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
