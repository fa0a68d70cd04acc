// ParseInt16 on any bytes: no crash, a failure leaves the value alone, and the result agrees with
// the C library's reading of the same decimal text (exponent included) rounded half to even. Every
// 16-bit value also reads back from its decimal text.

#include "FuzzCheck.h"

#include "traffic/Numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

using fuzz::Require;

namespace {

bool IsBlank(char c) {
    return c == ' ';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// An exponent's digits after its "e": an optional sign and at least one digit.
bool Exponent(std::string_view text) {
    if (!text.empty() && (text[0] == '+' || text[0] == '-'))
        text.remove_prefix(1);
    return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

// The text between the blanks when it is an optional sign, digits, an optional fraction and an
// optional exponent, with at least one digit before the exponent; digits counts every digit of the
// number after its leading zeros.
bool PlainDecimal(std::string_view text, std::string& core, std::size_t& digits) {
    std::size_t i = 0;
    std::size_t end = text.size();
    while (i < end && IsBlank(text[i]))
        ++i;
    while (end > i && IsBlank(text[end - 1]))
        --end;
    core = std::string(text.substr(i, end - i));
    std::size_t j = 0;
    if (j < core.size() && (core[j] == '+' || core[j] == '-'))
        ++j;
    std::size_t any = 0;
    digits = 0;
    bool leading = true;
    bool point = false;
    for (; j < core.size(); ++j) {
        const char c = core[j];
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if ((c == 'e' || c == 'E') && any > 0)
            return Exponent(std::string_view(core).substr(j + 1));
        if (!IsDigit(c))
            return false;
        ++any;
        leading = leading && c == '0';
        if (!leading)
            ++digits;
    }
    return any > 0;
}

void CheckAgainstStrtod(std::string_view text) {
    const auto untouched = static_cast<int16_t>(static_cast<uint16_t>(text.size() * 7919));
    int16_t value = untouched;
    const bool ok = tarvik::ParseInt16(text, value);
    std::string core;
    std::size_t digits = 0;
    if (!PlainDecimal(text, core, digits)) {
        Require(!ok && value == untouched, "text that is no decimal number is refused");
        return;
    }
    if (!ok)
        Require(value == untouched, "a refused number leaves the value alone");
    if (digits > 15)
        return; // beyond what a double reads exactly
    // strtod does not take "+." or "-." forms any differently, and never sees hex here.
    const double x = std::strtod(core.c_str(), nullptr);
    int16_t want = 0;
    const bool wantOk = tarvik::RoundToInt16(x, want);
    Require(ok == wantOk, "a decimal number is taken when it rounds into range");
    if (ok)
        Require(value == want, "the number rounds to the nearest integer, halves to even");
}

void CheckDecimalTextReadsBack(const uint8_t* data, std::size_t size) {
    if (size < 2)
        return;
    const auto v = static_cast<int16_t>(static_cast<uint16_t>(data[0] | (data[1] << 8)));
    char buf[16];
    const auto res = std::to_chars(buf, buf + sizeof buf, static_cast<int>(v));
    const std::string text =
        std::string(data[0] % 3, ' ') + std::string(buf, res.ptr) + std::string(data[1] % 3, ' ');
    int16_t back = 0;
    Require(tarvik::ParseInt16(text, back) && back == v, "a 16-bit value reads back");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    CheckAgainstStrtod(fuzz::AsText(data, size));
    CheckDecimalTextReadsBack(data, size);
    return 0;
}
