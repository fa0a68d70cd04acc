#pragma once
// The real window under test with the stand-ins of FakePlatform, and a reviewer that takes the
// decisions of a run from inside its waits. Needs a QApplication.

#include "support/FakePlatform.h"
#include "support/Traffic.h"
#include "window/FrmTarvik.h"

#include <QtWidgets>

#include <deque>
#include <functional>

namespace tarvik::testing {

struct Window {
    Window() = default;
    explicit Window(RandomSource& random) : W(Fake.Get(&random)) {}

    QTemporaryDir Dir; // a folder for the test's files
    FakePlatform Fake;
    FrmTarvik W{Fake.Get()};

    QString Path(const QString& name) const { return Dir.filePath(name); }
    // Shows the window as the program does; true once it is active.
    bool Show();
    // Files, Open, the dialog answering path.
    void Open(const QString& path);
    // Opens a copy of the set of tests/data/<set>, made in the folder of that name in Dir.
    void OpenCopy(const QString& set) { Open(CopySet(set, Path(set))); }
    // The numbers of plans, aircraft and airports shown.
    QStringList Figures() const {
        return {W.LBLTarvik[FrmTarvik::PlansFigure]->text(),
                W.LBLTarvik[FrmTarvik::AircraftFigure]->text(),
                W.LBLTarvik[FrmTarvik::AirportsFigure]->text()};
    }
    QStringList Oops() const; // the texts of the "OOPS" messages shown
    QByteArray Tails();       // the aircraft identifiers of the plans, parted by blanks
    // No run under way: the review down, "OK" enabled, no plan number, the pointer at rest.
    bool Idle() const;
    // Picks a field in a rule row and gives it a value, as "position:value": the field box's
    // position, and the value written into the value box past its entry checks. For "AirCraft",
    // "position*tag:" selects the entry with aircraft number tag, "position:" none.
    void SetRow(int row, const QString& text);
    // An action that clicks a button of the window.
    std::function<void()> Press(int button) {
        return [this, button] { W.CmdTarvik[static_cast<std::size_t>(button)]->click(); };
    }
};

// Takes the decisions of a run from inside its waits. Whenever a decision is pending it takes the
// next of AtWaits, or presses "Cancel" when none is left; while "Change The Lot" passes LotPlan it
// takes DuringLot, once. After watchdogMs it abandons the run as hung.
class Reviewer : public QObject {
public:
    explicit Reviewer(FrmTarvik& w, int watchdogMs = 10000);

    std::deque<std::function<void()>> AtWaits;
    int LotPlan = -1;
    std::function<void()> DuringLot;
    QList<int> Waits;   // the plan under review at each pending decision met
    int Mismatches = 0; // of those, the ones that did not show their plan ready for a decision
    int Unscripted = 0; // the ones that found no action left
    bool TimedOut = false;

private:
    void Tick();
    FrmTarvik& W;
    QTimer Timer, Watchdog;
};

} // namespace tarvik::testing
