// The window's cases: each drives the real window as the user would, the dialogs answered by
// stand-ins of the tests, and times from the user's action until the window shows its outcome.

#include "BenchCases.h"
#include "BenchSet.h"
#include "support/Window.h"

#include "traffic/Text.h"
#include "window/ValueCombo.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <unordered_map>

namespace bench {

namespace {

// Field box positions.
constexpr int IfHome = 0, IfId = 3;
constexpr int AndNA = 0, AndVisited = 7;
constexpr int ThenId = 3, ThenVisited = 6;

constexpr int SkipsInARow = 1000;
const QString IdPattern = QStringLiteral("N###&&");

tarvik::FrmTarvik& W(Bench& b) {
    return b.Window->W;
}

// One pass over the pending events, which draws what the last step changed.
void Settle() {
    QCoreApplication::processEvents();
}

// Picks position in field box index as a user's pick does: the box's activated signal.
void PickField(tarvik::FrmTarvik& w, int index, int position) {
    QComboBox* box = w.CMBTarvik[static_cast<std::size_t>(index)];
    box->setCurrentIndex(position);
    emit box->activated(position);
}

bool Fail(Bench& b, const std::string& why) {
    b.Error = why;
    return false;
}

std::string Shown(const QString& text) {
    return text.toStdString();
}

// The decision waits of the last run, as the reviewer saw them.
struct RunSeen {
    int Waits = 0;
    int Mismatches = 0;
};
RunSeen LastRun;

// The window is ready for the next run: review down, OK enabled, plan number empty.
bool Idle(tarvik::FrmTarvik& w) {
    return w.CmdTarvik[tarvik::FrmTarvik::OkButton]->isEnabled() &&
           !w.CmdTarvik[tarvik::FrmTarvik::ChangeThisButton]->isEnabled() &&
           !w.CmdTarvik[tarvik::FrmTarvik::SkipButton]->isEnabled() &&
           !w.CmdTarvik[tarvik::FrmTarvik::ChangeLotButton]->isEnabled() &&
           w.TxtTarvik->document()->isEmpty() &&
           w.LBLTarvik[tarvik::FrmTarvik::PlanNumber]->text().isEmpty();
}

bool NoMessages(Bench& b) {
    const QStringList shown = b.Window->Oops();
    return shown.isEmpty() ||
           Fail(b, "the window showed " + Shown(shown.join(QStringLiteral(" | "))));
}

// --- open-set: Files, Open, the dialog answering the set's plans file, to the figures shown and
// the value lists filled.

bool PrepareOpen(Bench& b) {
    b.Window->Fake.Dialog.Answers = {QString::fromStdString(b.PlansFile)};
    b.Window->Fake.Messages.Log.clear();
    return true;
}

bool RunOpen(Bench& b) {
    W(b).MnuOpen_Click();
    Settle();
    return true;
}

bool CheckOpen(Bench& b) {
    tarvik::FrmTarvik& w = W(b);
    if (!NoMessages(b))
        return false;
    const QString figures = w.LBLTarvik[tarvik::FrmTarvik::PlansFigure]->text() + ' ' +
                            w.LBLTarvik[tarvik::FrmTarvik::AircraftFigure]->text() + ' ' +
                            w.LBLTarvik[tarvik::FrmTarvik::AirportsFigure]->text();
    const QString expected =
        QStringLiteral("%1 %2 %3").arg(SetPlans).arg(SetAircraft).arg(SetAirports);
    if (figures != expected)
        return Fail(b, "the figures show " + Shown(figures));
    if (w.ValueBox(3)->count() != SetAirports || w.ValueBox(4)->count() != SetAircraft ||
        w.ValueBox(5)->count() != 0)
        return Fail(b, "the value lists hold " + std::to_string(w.ValueBox(3)->count()) + ", " +
                           std::to_string(w.ValueBox(4)->count()) + " and " +
                           std::to_string(w.ValueBox(5)->count()) + " entries");
    return true;
}

// Opens the set again when a case changed it, or when the window holds no set or another file
// (after the save case).
bool ReloadIfChanged(Bench& b) {
    if (!W(b).Traffic().PlansChanged && W(b).Traffic().PlansFile == b.PlansFile)
        return true;
    return OpenSet(b);
}

// --- pick-home-airport: "Home AirPort" picked in the If row, its 100,001 airports put in the
// value box and the first one shown.

bool PreparePick(Bench& b) {
    if (!ReloadIfChanged(b))
        return false;
    PickField(W(b), 0, IfId);
    Settle();
    return true;
}

bool RunPick(Bench& b) {
    PickField(W(b), 0, IfHome);
    Settle();
    return true;
}

bool CheckPick(Bench& b) {
    const tarvik::ValueCombo* box = W(b).ValueBox(3);
    if (box->count() != SetAirports || box->currentIndex() != 0)
        return Fail(b, "the If value box holds " + std::to_string(box->count()) +
                           " entries with position " + std::to_string(box->currentIndex()));
    return true;
}

// --- open-airport-list: the If value box's list of 100,001 airports opened, until it is on the
// screen.

bool PreparePopup(Bench& b) {
    if (!ReloadIfChanged(b))
        return false;
    tarvik::ValueCombo* box = W(b).ValueBox(3);
    if (box->view()->isVisible())
        box->hidePopup();
    if (box->count() != SetAirports)
        PickField(W(b), 0, IfHome);
    Settle();
    return true;
}

bool RunPopup(Bench& b) {
    tarvik::ValueCombo* box = W(b).ValueBox(3);
    box->showPopup();
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        const QWindow* popup = box->view()->window()->windowHandle();
        if (box->view()->isVisible() && popup && popup->isExposed())
            break;
        if (waited.hasExpired(5000))
            return Fail(b, "the list did not come up within 5 s");
        QCoreApplication::processEvents();
    }
    Settle();
    return true;
}

bool FinishPopup(Bench& b) {
    W(b).ValueBox(3)->hidePopup();
    Settle();
    return true;
}

// --- the rule runs.

void SetValue(tarvik::FrmTarvik& w, int box, const QString& text) {
    w.ValueBox(box)->SetText(text);
}

// If "Home AirPort" with an empty value meets every plan; And "NA"; Then "Aircraft ID".
bool SetEveryPlanNewId(Bench& b) {
    tarvik::FrmTarvik& w = W(b);
    PickField(w, 0, IfHome);
    SetValue(w, 3, QString());
    PickField(w, 1, AndNA);
    PickField(w, 2, ThenId);
    SetValue(w, 5, IdPattern);
    Settle();
    if (w.ValueBox(5)->Text() != IdPattern || !w.ValueBox(3)->Text().isEmpty())
        return Fail(b, "the rule rows did not take the values: If \"" +
                           Shown(w.ValueBox(3)->Text()) + "\", Then \"" +
                           Shown(w.ValueBox(5)->Text()) + "\"");
    return true;
}

// Presses OK and, from inside the run's decision waits, "Skip this one" skips times and then
// "Cancel", or "Change The Lot" at the first wait for a lot.
bool PressOk(Bench& b, bool lot, int skips) {
    tarvik::testing::Reviewer reviewer(W(b), 600000);
    for (int i = 0; i < skips; ++i)
        reviewer.AtWaits.push_back(b.Window->Press(2));
    if (lot)
        reviewer.AtWaits.push_back(b.Window->Press(3));
    QTest::mouseClick(W(b).CmdTarvik[tarvik::FrmTarvik::OkButton], Qt::LeftButton);
    Settle();
    LastRun = {int(reviewer.Waits.size()), reviewer.Mismatches};
    return !reviewer.TimedOut || Fail(b, "the run did not end within ten minutes");
}

bool CheckReview(Bench& b, int waits) {
    if (LastRun.Waits != waits || LastRun.Mismatches != 0)
        return Fail(b, "the run waited " + std::to_string(LastRun.Waits) + " times, " +
                           std::to_string(LastRun.Mismatches) + " of them showing another plan");
    if (!Idle(W(b)))
        return Fail(b, "the window is not ready for the next run");
    return NoMessages(b);
}

// --- skip-1000: "Skip this one" pressed at 1,000 matches in a row, then "Cancel".

bool PrepareSkips(Bench& b) {
    b.Window->Fake.Messages.Log.clear();
    return ReloadIfChanged(b) && SetEveryPlanNewId(b);
}

bool RunSkips(Bench& b) {
    return PressOk(b, false, SkipsInARow);
}

bool CheckSkips(Bench& b) {
    const tarvik::TrafficSet& set = W(b).Traffic();
    if (set.PlansChanged || set.PlanCursor != SkipsInARow)
        return Fail(b, "the skips changed plans or the walk stopped at " +
                           std::to_string(set.PlanCursor));
    return CheckReview(b, SkipsInARow + 1);
}

// --- lot-aircraft-id: "Change The Lot" at the first match, every plan given an identifier
// drawn from N###&&.

bool PrepareLotId(Bench& b) {
    b.Window->Fake.Messages.Log.clear();
    return ReloadIfChanged(b) && SetEveryPlanNewId(b);
}

bool RunLot(Bench& b) {
    return PressOk(b, true, 0);
}

bool DrawnFromPattern(std::string_view id) {
    if (id.size() != 6 || id[0] != 'N')
        return false;
    const auto digit = [](char c) { return c >= '1' && c <= '9'; };
    const auto letter = [](char c) { return c >= 'A' && c <= 'Z'; };
    return digit(id[1]) && digit(id[2]) && digit(id[3]) && letter(id[4]) && letter(id[5]);
}

bool CheckLotId(Bench& b) {
    const tarvik::TrafficSet& set = W(b).Traffic();
    for (int32_t i = 0; i <= set.LastPlan; ++i)
        if (!DrawnFromPattern(set.PlanTable[i].TailNum()))
            return Fail(b, "plan " + std::to_string(i) + " has the identifier " +
                               std::string(set.PlanTable[i].TailNum()));
    if (!set.PlansChanged || set.PlanCursor != set.LastPlan + 1)
        return Fail(b, "the lot did not walk to the end");
    return CheckReview(b, 1);
}

// --- lot-visited-airport: And "Visited AirPort" the airport that the legs mention most, Then
// "Visited AirPort" an airport that they never mention, "Change The Lot" at the first match.

// The four-letter code that stands most often between the commas of the legs.
std::string BusiestVisited(const tarvik::TrafficSet& set) {
    std::unordered_map<std::string_view, int> counts;
    for (int32_t i = 0; i <= set.LastPlan; ++i) {
        const std::string_view legs = set.PlanTable[i].TheRest();
        std::size_t from = 0;
        while (from <= legs.size()) {
            const std::size_t comma = std::min(legs.find(',', from), legs.size());
            const std::string_view item = legs.substr(from, comma - from);
            if (item.size() == 4 &&
                std::all_of(item.begin(), item.end(), [](char c) { return c >= 'A' && c <= 'Z'; }))
                ++counts[item];
            from = comma + 1;
        }
    }
    const auto most = std::max_element(counts.begin(), counts.end(), [](auto& x, auto& y) {
        return x.second < y.second || (x.second == y.second && x.first > y.first);
    });
    return most == counts.end() ? std::string() : std::string(most->first);
}

int PlansVisiting(const tarvik::TrafficSet& set, std::string_view code) {
    int plans = 0;
    for (int32_t i = 0; i <= set.LastPlan; ++i)
        plans += tarvik::FindNoCase(set.PlanTable[i].TheRest(), code) != tarvik::NotFound ? 1 : 0;
    return plans;
}

int VisitingBefore = 0;

bool PrepareLotVisited(Bench& b) {
    b.Window->Fake.Messages.Log.clear();
    if (!ReloadIfChanged(b))
        return false;
    tarvik::FrmTarvik& w = W(b);
    const tarvik::TrafficSet& set = w.Traffic();
    if (b.VisitedOld.empty()) {
        b.VisitedOld = BusiestVisited(set);
        b.VisitedNew = std::string(set.AirportTable[set.LastAirport]);
        if (b.VisitedOld.empty() || PlansVisiting(set, b.VisitedNew) != 0)
            return Fail(b, "no airport to replace in the legs");
    }
    VisitingBefore = PlansVisiting(set, b.VisitedOld);
    PickField(w, 0, IfHome);
    SetValue(w, 3, QString());
    PickField(w, 1, AndVisited);
    SetValue(w, 4, QString::fromStdString(b.VisitedOld));
    PickField(w, 2, ThenVisited);
    SetValue(w, 5, QString::fromStdString(b.VisitedNew));
    Settle();
    return true;
}

bool CheckLotVisited(Bench& b) {
    const tarvik::TrafficSet& set = W(b).Traffic();
    const int left = PlansVisiting(set, b.VisitedOld);
    const int now = PlansVisiting(set, b.VisitedNew);
    if (left != 0 || now != VisitingBefore)
        return Fail(b, std::to_string(VisitingBefore) + " plans visited " + b.VisitedOld + "; " +
                           std::to_string(left) + " still do and " + std::to_string(now) +
                           " visit " + b.VisitedNew);
    return CheckReview(b, 1);
}

// --- save-set: Files, Save, the dialog answering a file beside the set, to the file written.

std::string SavedPath(const Bench& b) {
    return b.Folder + "/SavedPlans.txt";
}

bool PrepareSaveSet(Bench& b) {
    if (!ReloadIfChanged(b))
        return false;
    b.Window->Fake.Dialog.Answers = {QString::fromStdString(SavedPath(b))};
    b.Window->Fake.Messages.Log.clear();
    return true;
}

bool RunSaveSet(Bench& b) {
    W(b).MnuSave_Click();
    Settle();
    return true;
}

bool CheckSaveSet(Bench& b) {
    std::error_code ec;
    const auto saved = std::filesystem::file_size(SavedPath(b), ec);
    const auto original = std::filesystem::file_size(b.PlansFile, ec);
    if (saved != original)
        return Fail(b, "the save wrote " + std::to_string(saved) + " bytes where the set has " +
                           std::to_string(original));
    return NoMessages(b);
}

bool FinishSaveSet(Bench& b) {
    std::error_code ec;
    std::filesystem::remove(SavedPath(b), ec);
    return true;
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

bool OpenSet(Bench& b) {
    return PrepareOpen(b) && RunOpen(b) && CheckOpen(b);
}

const std::vector<Case>& WindowCases() {
    static const std::vector<Case> cases = {
        {"open-set", Floor::Scan, 4, PrepareOpen, RunOpen, CheckOpen, nullptr},
        {"pick-home-airport", Floor::None, 50, PreparePick, RunPick, CheckPick, nullptr},
        {"open-airport-list", Floor::None, 100, PreparePopup, RunPopup, nullptr, FinishPopup},
        {"skip-1000", Floor::None, 1000, PrepareSkips, RunSkips, CheckSkips, nullptr},
        {"lot-aircraft-id", Floor::Scan, 15, PrepareLotId, RunLot, CheckLotId, nullptr},
        {"lot-visited-airport", Floor::Scan, 15, PrepareLotVisited, RunLot, CheckLotVisited,
         nullptr},
        {"save-set", Floor::Write, 1.5, PrepareSaveSet, RunSaveSet, CheckSaveSet, FinishSaveSet},
    };
    return cases;
}

} // namespace bench
