// tarvik check [--strict] [--ignore CODE,...] FILE...: each set's lists loaded as the window loads
// them, then its flight plans read through a block at a time and checked against them; each
// problem written as a FILE:LINE: diagnostic, a load that stopped as today, then the set's figures.

#include "cli/Commands.h"

#include "run/SetCheck.h"
#include "traffic/Load.h"
#include "traffic/QtPaths.h"

#include <QCommandLineParser>

#include <algorithm>
#include <array>
#include <cinttypes>
#include <deque>
#include <exception>
#include <initializer_list>
#include <mutex>
#include <set>
#include <thread>
#include <utility>
#include <vector>

namespace tarvik::cli {

namespace {

enum Status { Clean = 0, Problems = 1, Unread = 2 };

struct CheckOptions {
    bool Strict = false;
    std::set<std::string, std::less<>> Ignored;
    QStringList Files;
};

// Counts the diagnostics not ignored and puts them into text, one a line, to be written out.
class Report {
public:
    Report(const CheckOptions& options, std::FILE* out) : Options(options), Out(out) {
        for (std::size_t kind = 0; kind < DiagnosticKinds.size(); ++kind)
            Ignored[kind] = Options.Ignored.count(DiagnosticKinds[kind].Code) > 0;
    }

    void Add(const Diagnostic& d, std::string& text) {
        if (Options.Ignored.count(d.Code))
            return;
        ++(d.Level == Severity::Error ? Errors : Warnings);
        AppendDiagnosticText(d, text);
        text += '\n';
    }
    // The same of a diagnostic told in parts.
    void Add(const std::string& file, int64_t line, std::size_t kind,
             std::initializer_list<std::string_view> parts, std::string& text) {
        if (Ignored[kind])
            return;
        ++(DiagnosticKinds[kind].Level == Severity::Error ? Errors : Warnings);
        AppendDiagnosticText(file, line, kind, parts, text);
        text += '\n';
    }
    // Writes text out and empties it, its room kept; false once the output can take no more (a
    // pipe closed by its reader).
    bool Write(std::string& text) {
        std::fwrite(text.data(), 1, text.size(), Out);
        text.clear();
        return Open();
    }
    bool Open() const { return !std::ferror(Out); }
    bool Failing() const { return Errors > 0 || (Options.Strict && Warnings > 0); }

    int64_t Errors = 0;
    int64_t Warnings = 0;

private:
    const CheckOptions& Options;
    std::FILE* Out;
    std::array<bool, DiagnosticKinds.size()> Ignored{};
};

// What was found in the blocks checked and not yet told, in order, and room for more: a block is
// checked on one thread and told of on another.
class BlockFindings {
public:
    Findings Take() {
        const std::lock_guard<std::mutex> held(Lock);
        if (Spare.empty())
            return {};
        Findings found = std::move(Spare.back());
        Spare.pop_back();
        found.Clear();
        return found;
    }
    void Put(Findings found) {
        const std::lock_guard<std::mutex> held(Lock);
        Ready.push_back(std::move(found));
    }
    Findings Next() {
        const std::lock_guard<std::mutex> held(Lock);
        Findings found = std::move(Ready.front());
        Ready.pop_front();
        return found;
    }
    void Done(Findings found) {
        const std::lock_guard<std::mutex> held(Lock);
        Spare.push_back(std::move(found));
    }

private:
    std::mutex Lock;
    std::deque<Findings> Ready;
    std::vector<Findings> Spare;
};

// A set whose lists could not be read: a load of the whole set tells the doubtful lines and a
// stop in the flight-plan file before the stop in its lists, as the window's load does.
void ReportUnread(const std::string& path, Report& report, std::FILE* out) {
    TrafficSet set;
    std::string text;
    const LoadResult result = OpenSet(
        path, set,
        [&](int64_t line, const std::string& shown) {
            report.Add(Diagnostic{path, line, Severity::Error,
                                  "There may be a problem in this line: " + shown,
                                  DiagnosticKinds[0].Code},
                       text);
            report.Write(text);
        },
        PlansKept::Counted);
    std::fprintf(out, "%s\n", StopText(result.Stop).c_str());
}

// Reads a set's lists and begins the checker with them on a thread of its own, while the first
// blocks of its plans are read.
class ListsReading {
public:
    ListsReading(const std::string& path, SetChecker& checker) {
        Reading = std::thread([this, path, &checker] {
            try {
                Result = OpenSet(path, Set, nullptr, PlansKept::NotRead);
                if (Result.Complete)
                    checker.BeginSet(Set, [this](const Diagnostic& d) { Listed.push_back(d); });
            } catch (...) {
                Thrown = std::current_exception();
            }
        });
    }
    ~ListsReading() {
        if (Reading.joinable())
            Reading.join();
    }
    ListsReading(const ListsReading&) = delete;
    ListsReading& operator=(const ListsReading&) = delete;

    // Waits until the lists are read; true when they were.
    bool Read() {
        if (Reading.joinable())
            Reading.join();
        if (Thrown)
            std::rethrow_exception(std::exchange(Thrown, nullptr));
        return Result.Complete;
    }

    TrafficSet Set;
    std::vector<Diagnostic> Listed; // the lists' own, told after the plans

private:
    LoadResult Result;
    std::exception_ptr Thrown;
    std::thread Reading;
};

Status CheckSet(const std::string& path, SetChecker& checker, const CheckOptions& options,
                std::FILE* out) {
    Report report(options, out);
    ListsReading lists(path, checker);
    TrafficSet set;
    set.PlansFile = PlansFileOf(path).File;
    // Each block is checked on this thread and its diagnostics told and written on the reading
    // thread, while the next block is checked. A set whose lists can't be read is told of as a
    // load tells it, and none of its blocks is checked.
    BlockFindings blocks;
    std::string text;
    bool listsRead = false;
    LoadResult plans;
    if (!set.PlansFile.empty())
        plans = ReadPlansInBlocks(
            set, StampOf(set.PlansFile),
            [&](TrafficSet& block, int64_t first) {
                if (!listsRead && !(listsRead = lists.Read()))
                    return false;
                Findings found = blocks.Take();
                checker.FindInLines(block, first, found);
                blocks.Put(std::move(found));
                return true;
            },
            [&](TrafficSet&, int64_t) {
                Findings found = blocks.Next();
                checker.Tell(found, [&](const std::string& file, int64_t line, std::size_t kind,
                                        std::initializer_list<std::string_view> parts) {
                    report.Add(file, line, kind, parts, text);
                });
                blocks.Done(std::move(found));
                return report.Write(text);
            });
    if (!lists.Read()) {
        ReportUnread(path, report, out);
        return Unread;
    }
    if (!report.Open())
        return Unread;
    if (!plans.Complete) {
        std::fprintf(out, "%s\n", StopText(plans.Stop).c_str());
        return Unread;
    }
    for (const Diagnostic& d : lists.Listed)
        report.Add(d, text);
    report.Write(text);
    std::fprintf(
        out, "%s: %d plans, %d aircraft, %d airports, %" PRId64 " errors, %" PRId64 " warnings\n",
        path.c_str(), plans.Plans, lists.Set.LastAircraft + 1, lists.Set.LastAirport + 1,
        report.Errors, report.Warnings);
    return report.Failing() ? Problems : Clean;
}

// The flight-plan files that a FILE argument names: a file itself; in a folder its FlightPlans.txt
// and each FlightPlans_<suffix>.txt. An empty list with error set when there are none.
std::vector<std::string> SetsGiven(const std::string& given, std::string& error) {
    if (!IsFolder(given))
        return {given};
    std::vector<std::string> sets = SetsInFolder(given, error);
    if (sets.empty() && error.empty())
        error = PlansFileOf(given).Error;
    return sets;
}

bool ReadOptions(const QStringList& args, CheckOptions& options, std::string& error) {
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("strict"), QString()});
    parser.addOption({QStringLiteral("ignore"), QString(), QStringLiteral("CODE")});
    parser.addPositionalArgument(QStringLiteral("FILE"), QString(), QStringLiteral("FILE..."));
    if (!parser.parse(args)) {
        error = parser.errorText().toStdString() + "\nTry 'tarvik --help'.";
        return false;
    }
    options.Strict = parser.isSet(QStringLiteral("strict"));
    for (const QString& list : parser.values(QStringLiteral("ignore")))
        for (const QString& code : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const std::string name = code.trimmed().toStdString();
            if (!IsDiagnosticCode(name)) {
                error = "--ignore: no such code: " + name + "\nTry 'tarvik --help'.";
                return false;
            }
            options.Ignored.insert(name);
        }
    options.Files = parser.positionalArguments();
    if (options.Files.isEmpty()) {
        error = "check needs at least one FILE\nTry 'tarvik --help'.";
        return false;
    }
    return true;
}

} // namespace

int Check(const QStringList& args, Console console) {
    CheckOptions options;
    std::string error;
    if (!ReadOptions(args, options, error))
        return Fail(console, error);
    SetChecker checker;
    int status = Clean;
    for (const QString& file : options.Files) {
        const std::string given = PathFromQt(file);
        const std::vector<std::string> sets = SetsGiven(given, error);
        if (sets.empty()) {
            std::fprintf(console.Out, "%s\n", StopText({given, 0, error}).c_str());
            status = Unread;
        }
        for (const std::string& set : sets) {
            status = std::max<int>(status, CheckSet(set, checker, options, console.Out));
            if (std::ferror(console.Out))
                return status; // the reader went away: nothing more to say
        }
    }
    std::fflush(console.Out);
    return status;
}

} // namespace tarvik::cli
