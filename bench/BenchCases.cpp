// The timed cases: the real window, driven as the user would with the dialogs answered by the
// stand-ins of the tests, timed from the user's action until the window shows its outcome; and
// the command line, run as a whole process.

#include "Bench.h"
#include "support/Window.h"

#include "traffic/Text.h"
#include "window/ValueCombo.h"

#include <QAbstractItemView>
#include <QElapsedTimer>

#include <filesystem>
#include <unistd.h>

namespace bench {

namespace {

namespace fs = std::filesystem;
using tarvik::FrmTarvik;
using tarvik::TrafficSet;

bool Fail(Bench& b, const std::string& why) {
    b.Error = why;
    return false;
}

// One pass over the pending events, which draws what the last step changed.
bool Settle() {
    QCoreApplication::processEvents();
    return true;
}

bool NoMessages(Bench& b) {
    const QStringList shown = b.Window->Oops();
    return shown.isEmpty() || Fail(b, "the window showed " + shown.join(" | ").toStdString());
}

// --- open-set: Files, Open, the dialog answering the set's plans file, until the figures show
// and the value lists are filled.

// The file dialog will answer path; no message shown yet.
bool Answer(Bench& b, const std::string& path) {
    b.Window->Fake.Dialog.Answers = {QString::fromStdString(path)};
    b.Window->Fake.Messages.Log.clear();
    return true;
}

bool RunOpen(Bench& b) {
    b.Window->W.MnuOpen_Click();
    return Settle();
}

bool CheckOpen(Bench& b) {
    const QString shown =
        b.Window->Figures().join(' ') + QStringLiteral(" lists %1 %2 %3")
                                            .arg(b.Window->W.ValueBox(3)->count())
                                            .arg(b.Window->W.ValueBox(4)->count())
                                            .arg(b.Window->W.ValueBox(5)->count());
    const QString expected =
        QStringLiteral("%1 %2 %3 lists %3 %2 0").arg(SetPlans).arg(SetAircraft).arg(SetAirports);
    return shown != expected ? Fail(b, "the window shows " + shown.toStdString()) : NoMessages(b);
}

// Opens the set again when a case changed it, or when the window holds another file.
bool ReloadIfChanged(Bench& b) {
    const TrafficSet& set = b.Window->W.Traffic();
    return (!set.PlansChanged && set.PlansFile == b.PlansFile) || OpenSet(b);
}

// --- pick-home-airport: "Home AirPort" picked in the If row, its 100,001 airports put in the
// value box.

constexpr const char* IfHome = "0:";

bool PreparePick(Bench& b) {
    if (!ReloadIfChanged(b))
        return false;
    b.Window->SetRow(0, "3:"); // "Aircraft ID", which has no list
    return Settle();
}

bool RunPick(Bench& b) {
    b.Window->SetRow(0, IfHome);
    return Settle();
}

bool CheckPick(Bench& b) {
    const int count = b.Window->W.ValueBox(3)->count();
    return count == SetAirports || Fail(b, "the If list holds " + std::to_string(count));
}

// --- open-airport-list: the If value box's list of 100,001 airports opened, until it is on the
// screen.

bool RunPopup(Bench& b) {
    tarvik::ValueCombo* box = b.Window->W.ValueBox(3);
    box->showPopup();
    const auto shown = [box] {
        const QWindow* popup = box->view()->window()->windowHandle();
        return box->view()->isVisible() && popup && popup->isExposed();
    };
    QElapsedTimer waited;
    waited.start();
    while (!shown() && !waited.hasExpired(5000))
        QCoreApplication::processEvents();
    return shown() ? Settle() : Fail(b, "the list did not come up within 5 s");
}

// --- the rule runs: OK pressed and, from inside the run's decision waits, "Skip this one" pressed
// skips times and then "Cancel", or "Change The Lot" at the first wait for a lot.

bool PressOk(Bench& b, bool lot, int skips) {
    tarvik::testing::Reviewer reviewer(b.Window->W, 600000);
    for (int i = 0; i < skips; ++i)
        reviewer.AtWaits.push_back(b.Window->Press(FrmTarvik::SkipButton));
    if (lot)
        reviewer.AtWaits.push_back(b.Window->Press(FrmTarvik::ChangeLotButton));
    b.Window->W.CmdTarvik[FrmTarvik::OkButton]->click();
    Settle();
    b.Waits = int(reviewer.Waits.size());
    b.Mismatches = reviewer.Mismatches;
    return !reviewer.TimedOut || Fail(b, "the run did not end within ten minutes");
}

bool CheckReview(Bench& b, int waits) {
    if (b.Waits != waits || b.Mismatches != 0)
        return Fail(b, "the run waited " + std::to_string(b.Waits) + " times, " +
                           std::to_string(b.Mismatches) + " of them showing another plan");
    return b.Window->Idle() ? NoMessages(b) : Fail(b, "the window is not ready for the next run");
}

// If "Home AirPort" with an empty value meets every plan; And "NA"; Then "Aircraft ID" N###&&.
bool SetEveryPlanNewId(Bench& b) {
    if (!ReloadIfChanged(b))
        return false;
    b.Window->Fake.Messages.Log.clear();
    b.Window->SetRow(0, IfHome);
    b.Window->SetRow(1, "0:");
    b.Window->SetRow(2, "3:N###&&");
    return Settle();
}

// --- skip-1000: "Skip this one" pressed at 1,000 matches in a row, then "Cancel".

constexpr int SkipsInARow = 1000;

bool CheckSkips(Bench& b) {
    const TrafficSet& set = b.Window->W.Traffic();
    if (set.PlansChanged || set.PlanCursor != SkipsInARow)
        return Fail(b, "the walk stopped at " + std::to_string(set.PlanCursor));
    return CheckReview(b, SkipsInARow + 1);
}

// --- lot-aircraft-id: "Change The Lot" at the first match, every plan given an identifier drawn
// from N###&&.

bool CheckLotId(Bench& b) {
    const TrafficSet& set = b.Window->W.Traffic();
    for (int32_t i = 0; i <= set.LastPlan; ++i) {
        const std::string_view id = set.PlanTable[i].TailNum();
        if (id.size() != 6 || id[0] != 'N' || id.find_first_not_of("123456789", 1) != 4 ||
            id.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ", 4) != id.npos)
            return Fail(b, "plan " + std::to_string(i) + " has the identifier " + std::string(id));
    }
    if (set.PlanCursor != set.LastPlan + 1)
        return Fail(b, "the lot did not walk to the end");
    return CheckReview(b, 1);
}

// --- lot-visited-airport: And "Visited AirPort" the first plan's home airport, which other plans'
// legs visit; Then "Visited AirPort" the last airport of the list, which no leg names; "Change The
// Lot" at the first match.

int PlansVisiting(const TrafficSet& set, std::string_view code) {
    int plans = 0;
    for (int32_t i = 0; i <= set.LastPlan; ++i)
        plans += tarvik::FindNoCase(set.PlanTable[i].TheRest(), code) != tarvik::NotFound ? 1 : 0;
    return plans;
}

bool PrepareLotVisited(Bench& b) {
    if (!ReloadIfChanged(b))
        return false;
    b.Window->Fake.Messages.Log.clear();
    const TrafficSet& set = b.Window->W.Traffic();
    b.VisitedOld = std::string(set.PlanTable[0].HPort());
    b.VisitedNew = std::string(set.AirportTable[set.LastAirport]);
    b.VisitingBefore = PlansVisiting(set, b.VisitedOld);
    b.Window->SetRow(0, IfHome);
    b.Window->SetRow(1, QString::fromStdString("7:" + b.VisitedOld));
    b.Window->SetRow(2, QString::fromStdString("6:" + b.VisitedNew));
    return Settle();
}

bool CheckLotVisited(Bench& b) {
    const TrafficSet& set = b.Window->W.Traffic();
    if (PlansVisiting(set, b.VisitedOld) != 0 ||
        PlansVisiting(set, b.VisitedNew) != b.VisitingBefore)
        return Fail(b, "the lot did not replace " + b.VisitedOld + " with " + b.VisitedNew);
    return CheckReview(b, 1);
}

// --- save-set: Files, Save, the dialog answering a file beside the set that an earlier run wrote,
// as a save over the set's own file does, until the file is written.

bool CheckSaveSet(Bench& b) {
    std::error_code ec;
    const auto saved = fs::file_size(b.Saved, ec), original = fs::file_size(b.PlansFile, ec);
    return saved != original ? Fail(b, "the save wrote " + std::to_string(saved) + " bytes of " +
                                           std::to_string(original))
                             : NoMessages(b);
}

// --- the command line with no display, on a copy of the set in b.Work whose flight plans are
// copied anew before each run.

bool PrepareCopy(Bench& b) {
    std::error_code ec;
    fs::create_directories(b.Work, ec);
    for (const char* name : {"/Aircraft.txt", "/Airports.txt", "/FlightPlans.txt"})
        if (!ec)
            fs::copy_file(b.Folder + name, b.Work + name, fs::copy_options::overwrite_existing, ec);
    ::sync(); // the copy's writing is not the run's
    return !ec || Fail(b, "can't copy the set to " + b.Work + ": " + ec.message());
}

// Runs the program with args on the copy; apply with the rule of lot-aircraft-id.
bool RunTarvik(Bench& b, std::vector<std::string> args) {
    if (args[0] == "apply")
        args.insert(args.end(), {"--if", "Home AirPort=", "--then", "Aircraft ID=N###&&"});
    args.insert(args.begin(), b.Program);
    args.push_back(b.Work);
    return RunProgram(args, false, b.Error);
}

} // namespace

void ShowWindow(tarvik::testing::Window& window) {
    window.Fake.Messages.Script = [](const tarvik::testing::FakeMessages::Shown& shown) {
        return shown.Kind == tarvik::Buttons::Ok ? std::optional<tarvik::Answer>()
                                                 : tarvik::Answer::No;
    };
    window.Show();
    Settle();
}

bool PrepareOpen(Bench& b) {
    return Answer(b, b.PlansFile);
}

bool OpenSet(Bench& b) {
    return PrepareOpen(b) && RunOpen(b) && CheckOpen(b);
}

const std::vector<Case>& Cases() {
    using F = Floor;
    const auto popupReady = [](Bench& b) { return PreparePick(b) && RunPick(b); };
    const auto skips = [](Bench& b) { return PressOk(b, false, SkipsInARow); };
    const auto lot = [](Bench& b) { return PressOk(b, true, 0); };
    const auto closePopup = [](Bench& b) { return b.Window->W.ValueBox(3)->hidePopup(), Settle(); };
    const auto prepareSave = [](Bench& b) { return ReloadIfChanged(b) && Answer(b, b.Saved); };
    const auto save = [](Bench& b) { return b.Window->W.MnuSave_Click(), Settle(); };
    const auto check = [](Bench& b) { return RunTarvik(b, {"check"}); };
    const auto apply = [](Bench& b) { return RunTarvik(b, {"apply"}); };
    const auto dryRun = [](Bench& b) { return RunTarvik(b, {"apply", "--dry-run"}); };
    static const std::vector<Case> cases = {
        {"open-set", F::Scan, 4, PrepareOpen, RunOpen, CheckOpen},
        {"pick-home-airport", F::None, 50, PreparePick, RunPick, CheckPick},
        {"open-airport-list", F::None, 100, popupReady, RunPopup, closePopup},
        {"skip-1000", F::None, 1000, SetEveryPlanNewId, skips, CheckSkips},
        {"lot-aircraft-id", F::Scan, 15, SetEveryPlanNewId, lot, CheckLotId},
        {"lot-visited-airport", F::Scan, 15, PrepareLotVisited, lot, CheckLotVisited},
        {"save-set", F::Write, 1.5, prepareSave, save, CheckSaveSet},
        {"cli-check", F::ProgramScan, 6, PrepareCopy, check, nullptr},
        {"cli-apply-aircraft-id", F::ProgramScanAndWrite, 3, PrepareCopy, apply, nullptr},
        {"cli-dry-run-aircraft-id", F::ProgramScan, 6, PrepareCopy, dryRun, nullptr},
    };
    return cases;
}

} // namespace bench
