// The airport code of an Airports.txt line and SplitICAO of a typed value, on any bytes: no crash,
// and the results that the line's text dictates.

#include "FuzzCheck.h"

#include "traffic/RefLines.h"

#include <string>

using fuzz::Require;

namespace {

void CheckAirportCode(std::string_view line) {
    std::string code = "unset";
    const bool ok = tarvik::CutAirportCode(line, code);
    const std::size_t comma = line.find(',');
    Require(ok == (comma != std::string_view::npos), "a line has a code when it has a comma");
    if (ok)
        Require(code == line.substr(0, comma), "the code is everything before the first comma");
    else
        Require(code == "unset", "a line without a comma leaves the code alone");
}

void CheckICAO(std::string_view typed) {
    const std::string prefix = tarvik::SplitICAO(typed);
    const std::size_t q = typed.find('?');
    std::string_view head = typed.substr(0, q == std::string_view::npos ? 5 : q);
    while (!head.empty() && head.front() == ' ')
        head.remove_prefix(1);
    while (!head.empty() && head.back() == ' ')
        head.remove_suffix(1);
    Require(prefix == head, "the prefix is the text before ? (or five characters), trimmed");
    Require(prefix.size() <= 5 || q != std::string_view::npos, "without ? at most five characters");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::AsText(data, size);
    CheckAirportCode(text);
    CheckICAO(text);
    return 0;
}
