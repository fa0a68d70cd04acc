#include "traffic/Numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace tarvik {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The digits of a decimal number without its sign: whole part, fraction and the power of ten.
struct Decimal {
    std::string_view Whole, Fraction;
    long long Exponent = 0;

    std::size_t Count() const { return Whole.size() + Fraction.size(); }
    // The k-th digit from the first, 0 outside.
    int Digit(long long k) const {
        if (k < 0 || k >= static_cast<long long>(Count()))
            return 0;
        const auto i = static_cast<std::size_t>(k);
        return (i < Whole.size() ? Whole[i] : Fraction[i - Whole.size()]) - '0';
    }
};

// Reads digits, an optional "." and fraction, and an optional exponent from text at i; false when
// there is no digit. The exponent is held within a bound beyond which every number is 0 or out of
// any range.
bool ReadDecimal(std::string_view text, std::size_t& i, Decimal& d) {
    const std::size_t wholeFrom = i;
    while (i < text.size() && IsDigit(text[i]))
        ++i;
    d.Whole = text.substr(wholeFrom, i - wholeFrom);
    if (i < text.size() && text[i] == '.') {
        const std::size_t fractionFrom = ++i;
        while (i < text.size() && IsDigit(text[i]))
            ++i;
        d.Fraction = text.substr(fractionFrom, i - fractionFrom);
    }
    if (d.Count() == 0)
        return false;
    std::size_t e = i;
    if (e < text.size() && (text[e] == 'e' || text[e] == 'E')) {
        ++e;
        const bool negative = e < text.size() && text[e] == '-';
        if (e < text.size() && (text[e] == '+' || text[e] == '-'))
            ++e;
        if (e < text.size() && IsDigit(text[e])) {
            long long exponent = 0;
            for (; e < text.size() && IsDigit(text[e]); ++e)
                exponent = std::min(exponent * 10 + (text[e] - '0'), 1000000000LL);
            d.Exponent = negative ? -exponent : exponent;
            i = e;
        }
    }
    return true;
}

} // namespace

bool ParseInt16(std::string_view text, int16_t& value) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return false;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    std::size_t i = 0;
    const bool negative = text[0] == '-';
    if (text[0] == '+' || text[0] == '-')
        ++i;
    Decimal d;
    if (!ReadDecimal(text, i, d) || i != text.size())
        return false;

    // The decimal point stands before digit number point; only the digits before it and the
    // comparison of the rest with one half matter.
    const long long point = static_cast<long long>(d.Whole.size()) + d.Exponent;
    long long firstNonZero = -1, lastNonZero = -1;
    for (long long k = 0; k < static_cast<long long>(d.Count()); ++k) {
        if (d.Digit(k) != 0) {
            lastNonZero = k;
            if (firstNonZero < 0)
                firstNonZero = k;
        }
    }
    long whole = 0;
    if (firstNonZero >= 0 && firstNonZero < point) {
        if (point - firstNonZero > 6)
            return false;
        for (long long k = firstNonZero; k < point; ++k)
            whole = whole * 10 + d.Digit(k);
    }
    const int next = d.Digit(point);
    const bool restNonZero = lastNonZero > point;
    if (next > 5 || (next == 5 && (restNonZero || whole % 2 == 1)))
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

double LeadingNumber(std::string_view text) {
    // The number's characters with the blanks taken out, and a "d" exponent written as "e".
    std::string compact;
    compact.reserve(text.size());
    for (const char c : text) {
        if (c == ' ' || c == '\t' || c == '\n')
            continue;
        compact.push_back(c == 'd' || c == 'D' ? 'e' : c);
    }
    std::size_t i = 0;
    const bool negative = !compact.empty() && compact[0] == '-';
    if (!compact.empty() && (compact[0] == '+' || compact[0] == '-'))
        ++i;
    Decimal d;
    const std::size_t from = i;
    if (!ReadDecimal(compact, i, d))
        return 0;
    double magnitude = 0;
    const std::errc error =
        std::from_chars(compact.data() + from, compact.data() + i, magnitude).ec;
    if (error == std::errc::result_out_of_range) {
        // Too large or too small for a double: where the first significant digit stands says which.
        const std::size_t zeros = d.Whole.find_first_not_of('0');
        const long long lead = zeros != std::string_view::npos
                                   ? static_cast<long long>(d.Whole.size() - zeros)
                                   : -static_cast<long long>(std::min(
                                         d.Fraction.find_first_not_of('0'), d.Fraction.size()));
        magnitude = lead + d.Exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (error != std::errc()) {
        return 0;
    }
    return negative ? -magnitude : magnitude;
}

std::optional<double> TypedPercentage(std::string_view text, char decimal) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    std::string number = "0"; // so that ".5" and "5." read as 0.5 and 5.0
    bool point = false;
    bool digit = false;
    for (const char c : text) {
        if (IsDigit(c)) {
            digit = true;
        } else if ((c == '.' || c == decimal) && !point) {
            point = true;
            number.push_back('.');
            continue;
        } else {
            return std::nullopt;
        }
        number.push_back(c);
    }
    if (!digit)
        return std::nullopt;
    if (point && number.back() == '.')
        number.push_back('0');
    double value = 0;
    const std::errc error = std::from_chars(number.data(), number.data() + number.size(), value).ec;
    if (error == std::errc::result_out_of_range)
        return std::numeric_limits<double>::infinity();
    return value;
}

} // namespace tarvik
