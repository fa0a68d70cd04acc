#pragma once
// What the traffic compiler or the simulator would trip on in a set, line by line, in the form
// compilers use: plans naming an aircraft or an airport that the set's lists lack, legs that don't
// split into whole flights, identifiers used twice, aircraft numbers listed twice, and values that
// none of the window's lists hold.

#include "traffic/Tables.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tarvik {

enum class Severity { Error, Warning };

struct Diagnostic {
    std::string File;
    int64_t Line = 0;
    Severity Level = Severity::Error;
    std::string Message;
    std::string_view Code;
};

// A code: its severity and a one-line example of its message, in the order the help lists them.
struct DiagnosticKind {
    std::string_view Code;
    Severity Level;
    std::string_view Example;
};
extern const std::array<DiagnosticKind, 10> DiagnosticKinds;

// True for one of the codes.
bool IsDiagnosticCode(std::string_view code);

// "FILE:LINE: error: message [code]", without a line end.
std::string DiagnosticText(const Diagnostic& d);
// The same put behind text.
void AppendDiagnosticText(const Diagnostic& d, std::string& text);

// Takes each diagnostic found. The diagnostic lasts only for the call: a sink that keeps it keeps a
// copy (a set with a problem on every line makes half a million).
using DiagnosticSink = std::function<void(const Diagnostic&)>;

// Checks sets one after the other: an identifier used in one set is a duplicate in the next.
class SetChecker {
public:
    SetChecker();
    ~SetChecker();
    SetChecker(const SetChecker&) = delete;
    SetChecker& operator=(const SetChecker&) = delete;

    // Starts a set whose lists are loaded in set, and reports the aircraft numbers its aircraft
    // file lists twice.
    void BeginSet(const TrafficSet& set, const DiagnosticSink& sink);
    // Checks the plans and kept lines of set, the set begun or a block of its flight-plan file
    // whose first line is firstLine, in the order of their lines.
    void CheckLines(const TrafficSet& set, int64_t firstLine, const DiagnosticSink& sink);

private:
    struct Lists;
    std::unique_ptr<Lists> Known;
};

} // namespace tarvik
