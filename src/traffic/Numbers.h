#pragma once
// Every way the program reads a number from text: the numbers of the traffic files, the leading
// number of a text, and a percentage typed in a rule row.

#include <cstdint>
#include <optional>
#include <string_view>

namespace tarvik {

// A number of the traffic files: blanks (spaces) around, an optional sign, digits with "." as the
// decimal point whatever the machine's locale, and an optional exponent ("1e1" is 10). A fraction
// goes to the nearest integer, a half to the even neighbour. False, leaving value untouched, when
// text is no such number or rounds outside -32768..32767.
bool ParseInt16(std::string_view text, int16_t& value);

// The nearest 16-bit integer to x, a half going to the even neighbour; false when outside the range
// or not finite.
bool RoundToInt16(double x, int16_t& value);

// The value of the longest leading part of text that reads as a number: an optional sign, digits
// with "." as the decimal point whatever the machine's locale, and an optional exponent, with
// blanks, tabs and line feeds skipped anywhere. 0 when the text does not begin with a number;
// infinite when it is too large.
double LeadingNumber(std::string_view text);

// A percentage as the user types it in a rule row: blanks around, digits with at most one decimal
// point, which is "." or decimal (the user's own decimal separator), and nothing else: no sign, no
// group separator, no exponent, no "%". No value when text is not wholly such a number.
std::optional<double> TypedPercentage(std::string_view text, char decimal = '.');

} // namespace tarvik
