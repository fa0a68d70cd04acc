// tarvik apply: one rule run over a set as OK and then "Change The Lot" at the first match run it
// in the window, then the window's save, or with --dry-run the difference the save would make.

#include "cli/Commands.h"
#include "cli/RuleArguments.h"
#include "cli/SavedDiff.h"

#include "run/RuleChecks.h"
#include "run/Walk.h"
#include "traffic/Files.h"
#include "traffic/Load.h"
#include "traffic/QtPaths.h"
#include "traffic/Save.h"

#include <QCommandLineParser>

#include <cinttypes>

namespace tarvik::cli {

namespace {

// The walk's host: the first match decides the lot, every change reads the same Then row.
class LotHost : public RunHost {
public:
    LotHost(RunState& state, ThenChange then) : State(state), Then(std::move(then)) {}
    int64_t Matched = 0;

private:
    void RunStarted() override {}
    void PlanUnderTest(int32_t) override {}
    void AwaitDecision(std::string_view) override {
        ++Matched;
        State.ReviewChoice = ChoiceChangeLot;
    }
    const ThenChange& ReadThen() override { return Then; }
    void RunEnded() override {}

    RunState& State;
    const ThenChange Then;
};

struct ApplyOptions {
    std::string Rows[3]; // --if, --and, --then
    bool DryRun = false;
    std::string File;
    std::string Output; // empty: FILE
};

const char* const RowOptions[] = {"if", "and", "then"};

// The options, or none with error set.
bool ReadOptions(const QStringList& args, ApplyOptions& options, std::string& error) {
    QCommandLineParser parser;
    for (const char* name : RowOptions)
        parser.addOption({QString::fromLatin1(name), QString(), QStringLiteral("FIELD=VALUE")});
    parser.addOption({QStringLiteral("dry-run"), QString()});
    parser.addOption({QStringLiteral("output"), QString(), QStringLiteral("OUT")});
    if (!parser.parse(args)) {
        error = parser.errorText().toStdString();
        return false;
    }
    for (int row = IfRow; row <= ThenRow; ++row) {
        const QString name = QString::fromLatin1(RowOptions[row]);
        const QStringList values = parser.values(name);
        if (values.size() > 1) {
            error = "--" + name.toStdString() + " is given more than once";
            return false;
        }
        if (values.isEmpty() && row != AndRow) {
            error = "apply needs --" + name.toStdString() + " \"FIELD=VALUE\"";
            return false;
        }
        // Letters the files can't hold (one byte per character) become "?", as in the window.
        options.Rows[row] = values.isEmpty() ? std::string(NoFieldName) + "="
                                             : values.front().toLatin1().toStdString();
    }
    if (parser.values(QStringLiteral("output")).size() > 1) {
        error = "--output is given more than once";
        return false;
    }
    if (parser.positionalArguments().size() != 1) {
        error =
            parser.positionalArguments().isEmpty() ? "apply needs a FILE" : "apply takes one FILE";
        return false;
    }
    options.DryRun = parser.isSet(QStringLiteral("dry-run"));
    options.File = PathFromQt(parser.positionalArguments().front());
    if (parser.isSet(QStringLiteral("output")))
        options.Output = PathFromQt(parser.value(QStringLiteral("output")));
    return true;
}

} // namespace

int Apply(const QStringList& args, RandomSource& random, Console console) {
    ApplyOptions options;
    std::string error;
    if (!ReadOptions(args, options, error))
        return Fail(console, error + "\nTry 'tarvik --help'.");
    std::optional<RowArgument> rows[3];
    for (int row = IfRow; row <= ThenRow; ++row)
        if (!(rows[row] = ParseRowArgument(row, options.Rows[row], error)))
            return Fail(console, "--" + std::string(RowOptions[row]) + ": " + error);

    // The rule runs over the set a block of plans at a time, so that its size in memory stays small
    // whatever the file's. A dry run reads the plans through once before, so that a set that a
    // load refuses prints no part of a diff; a save is given up at such a set's first stop. A
    // stop in the flight-plan file is told before one in the lists, as a load reads them.
    TrafficSet set;
    LoadResult loaded = OpenSet(options.File, set, nullptr,
                                options.DryRun ? PlansKept::Scanned : PlansKept::NotRead);
    if (!loaded.Complete && !options.DryRun && loaded.PlansRead) {
        TrafficSet counted;
        if (const LoadResult plans = OpenSet(options.File, counted, nullptr, PlansKept::Counted);
            !plans.PlansRead)
            loaded = plans;
    }
    if (!loaded.Complete)
        return Fail(console, StopText(loaded.Stop));

    RuleInput rule;
    RowInput* inputs[3] = {&rule.If, &rule.And, &rule.Then};
    for (int row = IfRow; row <= ThenRow; ++row) {
        const std::optional<RowInput> input = RowFor(*rows[row], set, error);
        if (!input)
            return Fail(console, "--" + std::string(RowOptions[row]) + ": " + error);
        *inputs[row] = *input;
    }
    if (const auto refusal = CheckRule(rule, set))
        return Fail(console, RefusalText(*refusal));

    const std::string output = options.Output.empty() ? set.PlansFile : options.Output;
    const std::string changedSince =
        ": another program changed the file since it was read; nothing written";
    if (StampOf(set.PlansFile) != set.PlansStamp)
        return Fail(console, set.PlansFile + changedSince);

    RunState state;
    CaptureRule(rule, state.Rule);
    LotHost host(state, ThenOf(rule.Then, rule.And.Value));
    int64_t changed = 0;
    bool header = true;
    bool blockFailed = false; // a block's lines could not be put out
    LoadResult walked;
    // The rule runs over each block on this thread; the block's lines, its diff or its text, are
    // put out on the reading thread while the rule runs over the next.
    const BlockStep runBlock = [&](TrafficSet& block, int64_t) {
        FindPlan(block, state, host, random);
        return true;
    };
    const auto putBlock = [&](TrafficSet& block, int64_t first, QIODevice* device) {
        const SaveDifference difference = CompareWithSave(block);
        if (!difference.Error.empty()) {
            error = difference.Error;
            return false;
        }
        changed += difference.Changed;
        const bool out = device ? WritePlans(block, *device)
                                : WriteDiff(block, difference, first - 1, header, set.PlansFile,
                                            output, console.Out, error);
        blockFailed = !out;
        return out;
    };
    SaveResult saved{true, {}};
    if (options.DryRun) {
        walked =
            ReadPlansInBlocks(set, set.PlansStamp, runBlock, [&](TrafficSet& block, int64_t first) {
                return putBlock(block, first, nullptr);
            });
    } else {
        const FileStamp read = set.PlansStamp;
        saved = SaveSet(
            set, output, [] { return false; },
            [&](QIODevice& device) {
                walked =
                    ReadPlansInBlocks(set, read, runBlock, [&](TrafficSet& block, int64_t first) {
                        return putBlock(block, first, &device);
                    });
                return walked.Complete;
            });
    }
    if (saved.ChangedByOthers)
        return Fail(console, output + changedSince);
    if (!error.empty())
        return Fail(console, set.PlansFile + ": " + error);
    if (!walked.Complete && !blockFailed && !walked.Stop.Reason.empty())
        return Fail(console, StopText(walked.Stop));
    if (!saved.Ok)
        return Fail(console, "Could not save to " + output + ": " + saved.Error);
    std::fprintf(console.Err, "tarvik: %s: %d plans read, %" PRId64 " matched, %" PRId64,
                 set.PlansFile.c_str(), walked.Plans, host.Matched, changed);
    if (options.DryRun)
        std::fprintf(console.Err, " lines would change; nothing written\n");
    else
        std::fprintf(console.Err, " lines changed, written to %s\n", output.c_str());
    std::fflush(console.Err);
    return 0;
}

} // namespace tarvik::cli
