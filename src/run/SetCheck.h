#pragma once
// What the traffic compiler or the simulator would trip on in a set, line by line, in the form
// compilers use: plans naming an aircraft or an airport that the set's lists lack, legs that don't
// split into whole flights, identifiers used twice, aircraft numbers listed twice, and values that
// none of the window's lists hold.

#include "traffic/Tables.h"

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
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
// The same of a diagnostic of the kind DiagnosticKinds[kind] whose message is parts joined.
void AppendDiagnosticText(std::string_view file, int64_t line, std::size_t kind,
                          std::initializer_list<std::string_view> parts, std::string& text);

// Takes each diagnostic found. The diagnostic lasts only for the call: a sink that keeps it keeps a
// copy (a set with a problem on every line makes half a million).
using DiagnosticSink = std::function<void(const Diagnostic&)>;
// The same, a diagnostic as its file, line, kind (its place in DiagnosticKinds) and the parts of
// its message, which last only for the call: a sink that only writes it makes no Diagnostic.
using DiagnosticPartsSink = std::function<void(
    const std::string& file, int64_t line, std::size_t kind,
    std::initializer_list<std::string_view> parts)>;

// What a check found in the lines of a set or of a block, in the order of the lines, to be told
// later, on another thread if need be. It refers to the texts of the plans checked: the set or
// block must outlive it, unchanged.
class Findings {
public:
    void Clear() {
        Found.clear();
        Shown.clear();
    }

private:
    friend class SetChecker;
    struct Finding {
        int64_t Line = 0;
        int Kind = 0;
        std::string_view Text; // the plan's field that is told of
        int64_t Number = 0;    // the number told of; for a doubtful line, its text in Shown
        uint32_t File = 0;     // where a duplicate's identifier was first seen
    };
    std::vector<Finding> Found;
    std::vector<std::string> Shown; // the doubtful lines as shown
};

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
    // The same in two steps: what the lines hold is found, and put behind found; then told. Only
    // the finding changes the checker, so that the findings of one block may be told while the
    // next block's are found, until the next set is begun.
    void FindInLines(const TrafficSet& set, int64_t firstLine, Findings& found);
    void Tell(const Findings& found, const DiagnosticSink& sink) const;
    void Tell(const Findings& found, const DiagnosticPartsSink& sink) const;

private:
    struct Lists;
    std::unique_ptr<Lists> Known;
};

} // namespace tarvik
