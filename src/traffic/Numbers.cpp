#include "traffic/Numbers.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace tarvik {

namespace {
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
} // namespace

bool ParseInt16(std::string_view text, int16_t& value) {
    std::size_t i = 0;
    std::size_t end = text.size();
    while (i < end && IsBlank(text[i]))
        ++i;
    while (end > i && IsBlank(text[end - 1]))
        --end;
    bool negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Whole part, kept bounded: anything above 40000 is out of range whatever follows.
    long whole = 0;
    bool anyDigit = false;
    while (i < end && IsDigit(text[i])) {
        if (whole < 100000)
            whole = whole * 10 + (text[i] - '0');
        anyDigit = true;
        ++i;
    }
    // Fraction: only its comparison with one half matters.
    int half = -1; // -1 below a half, 0 exactly a half, 1 above
    if (i < end && text[i] == '.') {
        ++i;
        if (i < end && IsDigit(text[i])) {
            anyDigit = true;
            const char first = text[i++];
            bool restNonZero = false;
            while (i < end && IsDigit(text[i])) {
                restNonZero = restNonZero || text[i] != '0';
                ++i;
            }
            if (first > '5' || (first == '5' && restNonZero))
                half = 1;
            else if (first == '5')
                half = 0;
        }
    }
    if (!anyDigit || i != end)
        return false;
    if (half > 0 || (half == 0 && whole % 2 == 1))
        ++whole;
    const long signedValue = negative ? -whole : whole;
    if (signedValue < -32768 || signedValue > 32767)
        return false;
    value = static_cast<int16_t>(signedValue);
    return true;
}

bool RoundToInt16(double x, int16_t& value) {
    if (!std::isfinite(x))
        return false;
    const double r = std::nearbyint(x); // the default rounding mode takes halves to even
    if (r < -32768.0 || r > 32767.0)
        return false;
    value = static_cast<int16_t>(r);
    return true;
}

} // namespace tarvik

namespace tarvik {

double LeadingNumber(std::string_view text) {
    std::string digits; // the number's characters, blanks dropped
    std::size_t i = 0;
    auto skip = [&] {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n'))
            ++i;
    };
    auto take = [&] { digits.push_back(text[i++]); };
    skip();
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        take();
    bool any = false;
    for (skip(); i < text.size() && IsDigit(text[i]); skip()) {
        take();
        any = true;
    }
    if (i < text.size() && text[i] == '.') {
        take();
        for (skip(); i < text.size() && IsDigit(text[i]); skip()) {
            take();
            any = true;
        }
    }
    if (!any)
        return 0;
    // An exponent counts only when digits follow it.
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
        std::string exponent = "e";
        ++i;
        skip();
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            exponent.push_back(text[i++]);
        bool expDigits = false;
        for (skip(); i < text.size() && IsDigit(text[i]); skip()) {
            exponent.push_back(text[i++]);
            expDigits = true;
        }
        if (expDigits)
            digits += exponent;
    }
    return std::strtod(digits.c_str(), nullptr);
}

} // namespace tarvik
