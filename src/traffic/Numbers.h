#pragma once
// Numbers as the traffic files write them: blanks around, an optional sign, digits with "." as the
// decimal point whatever the machine's locale. A fraction goes to the nearest integer, a half to
// the even neighbour.

#include <cstdint>
#include <string_view>

namespace tarvik {

// False, leaving value untouched, when text is no such number or rounds outside -32768..32767.
bool ParseInt16(std::string_view text, int16_t& value);

// The nearest 16-bit integer to x, a half going to the even neighbour; false when outside the range
// or not finite.
bool RoundToInt16(double x, int16_t& value);

} // namespace tarvik

namespace tarvik {

// The value of the longest leading part of text that reads as a number: an optional sign, digits
// with "." as the decimal point and an optional exponent, with blanks, tabs and line feeds skipped
// anywhere. 0 when the text does not begin with a number; infinite when it is too large.
double LeadingNumber(std::string_view text);

} // namespace tarvik
