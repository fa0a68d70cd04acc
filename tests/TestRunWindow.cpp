// A rule run driven through the real window: the checks of OK, the order of the matches, each
// decision by mouse and by key, the Then row read at each change, Exit during a review, and the
// process sleeping while a decision waits.

#include "run/RuleChecks.h"
#include "support/FakePlatform.h"
#include "traffic/PlanLine.h"
#include "window/FrmTarvik.h"
#include "window/Texts.h"
#include "window/ValueCombo.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <sys/resource.h>

#include <functional>
#include <map>
#include <string>
#include <tuple>

using namespace tarvik;

namespace {

enum IfPos { IfHome = 0, IfAircraft = 1, IfPercentage = 2, IfId = 3 };
enum AndPos { AndNA = 0, AndHome = 1, AndAircraft = 2, AndVisited = 7 };
enum ThenPos { ThenHome = 0, ThenAircraft = 1, ThenPercentage = 2, ThenId = 3, ThenVisited = 6 };

// Six plans; aircraft 1 and 7 share a title, so only the numbers tell them apart.
void FillTraffic(TrafficSet& set) {
    const AircraftEntry aircraft[] = {
        {1, "Boeing 737", 450}, {7, "Boeing 737", 450}, {3, "Airbus A320", 440}};
    set.AircraftTable.Resize(3);
    for (int32_t i = 0; i < 3; ++i)
        set.AircraftTable[i] = aircraft[i];
    set.LastAircraft = 2;
    const char* const airports[] = {"KLAX",   "KSFO", "EGLL",  "KLGA",
                                    " klgb ", "K,LA", "EGLLX", "K;SF"};
    set.AirportTable.Resize(8);
    for (int32_t i = 0; i < 8; ++i)
        set.AirportTable[i] = airports[i];
    set.LastAirport = 7;
    set.PlanTable.Resize(6);
    set.PlanTable[0].Assign(1, "N100", 50, "24Hr", "IFR", "KLAX", "L1,KSFO", "");
    set.PlanTable[1].Assign(7, "N101", 50, "24Hr", "IFR", "EGLL", "L2,KLAX", "");
    set.PlanTable[2].Assign(1, "N102", 30, "Week", "VFR", "klax", "L3,EGLL", "");
    set.PlanTable[3].Assign(3, "N103", 50, "24Hr", "IFR", "KLGA", "L4,klax,KLAX", "");
    set.PlanTable[4].Assign(1, "N104", 75, "24Hr", "IFR", "KSFO", "L5,KSFO", "");
    set.PlanTable[5].Assign(1, "N105", 50, "24Hr", "VFR", "KLAX", "L6,EGLL", "");
    set.LastPlan = 5;
    set.PlanCursor = 0;
}

// Writes a value box's text past the entry checks, as if it had been typed and let stand.
void ForceText(ValueCombo* box, const QString& text) {
    const QSignalBlocker blockBox(box);
    const QSignalBlocker blockEdit(box->lineEdit());
    box->setEditText(text);
}

// Selects the entry that carries aircraft number tag; 0 leaves no entry selected.
bool PickAircraft(ValueCombo* box, int tag) {
    box->setCurrentIndex(-1);
    for (int i = 0; i < box->count() && tag != 0; ++i)
        if (box->ItemDataAt(i) == tag)
            box->setCurrentIndex(i);
    return tag == 0 || box->currentIndex() >= 0;
}

// One rule row: a field position and a text, or for an aircraft field the number to pick.
struct Row {
    int Field = -1;
    QString Value;
    int Tag = 0;
};

} // namespace

Q_DECLARE_METATYPE(Row)

namespace {

bool SetRow(FrmTarvik& w, int fieldBox, const Row& row) {
    w.CMBTarvik[fieldBox]->setCurrentIndex(row.Field);
    w.CMBTarvik_Click(static_cast<int16_t>(fieldBox));
    ValueCombo* box = w.ValueBox(fieldBox + 3);
    if (row.Field == (fieldBox == 1 ? int(AndAircraft) : int(IfAircraft)))
        return PickAircraft(box, row.Tag);
    ForceText(box, row.Value);
    return true;
}

bool SetRule(FrmTarvik& w, const Row& ifRow, const Row& andRow, const Row& thenRow) {
    return SetRow(w, 0, ifRow) && SetRow(w, 1, andRow) && SetRow(w, 2, thenRow);
}

const Row EveryPlan{IfHome, ""};
const Row NoAnd{AndNA, ""};
const Row NewId{ThenId, "ZZ1"};

bool Hourglass(const QWidget& w) {
    const QCursor* over = QApplication::overrideCursor();
    return (over && over->shape() == Qt::WaitCursor) || w.cursor().shape() == Qt::WaitCursor;
}

QString ToQ(std::string_view s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

using Action = std::function<void()>;

// Takes the decisions of a run from inside its waits: a wait lasts while the review buttons are
// enabled and no decision is stored; under "Change The Lot" no wait happens.
class Reviewer : public QObject {
public:
    explicit Reviewer(FrmTarvik& w) : W(w) {
        connect(&Timer, &QTimer::timeout, this, [this] { Tick(); });
        Timer.start(0);
    }
    std::map<int, Action> AtWait;    // by plan index
    std::map<int, Action> DuringLot; // by plan index, while a lot passes it
    QList<int> Waits;
    int Mismatches = 0; // waits whose text, label, focus or cursor were wrong
    int Unscripted = 0; // waits with no action, ended by Cancel

private:
    void Tick() {
        if (!W.CmdTarvik[1]->isEnabled())
            return;
        const int plan = W.Traffic().PlanCursor;
        const int16_t choice = W.Run().ReviewChoice;
        if (choice == ChoiceChangeLot) {
            Take(DuringLot, plan);
            return;
        }
        if (choice != ChoiceNone || plan == LastWait)
            return;
        LastWait = plan;
        Waits << plan;
        if (W.TxtTarvik->toPlainText() != ToQ(DisplayLine(W.Traffic().PlanTable[plan])) ||
            W.LBLTarvik[12]->text() != QString::number(plan) || !W.CmdTarvik[1]->hasFocus() ||
            Hourglass(W))
            ++Mismatches;
        if (!Take(AtWait, plan)) {
            ++Unscripted;
            W.CmdTarvik[4]->click();
        }
    }
    static bool Take(std::map<int, Action>& actions, int plan) {
        const auto it = actions.find(plan);
        if (it == actions.end())
            return false;
        const Action action = it->second;
        actions.erase(it);
        action();
        return true;
    }
    FrmTarvik& W;
    QTimer Timer;
    int LastWait = -1;
};

struct Window {
    testing::FakePlatform Fake;
    FrmTarvik W{Fake.Get()};

    Window() {
        FillTraffic(W.Traffic());
        W.show();
        W.activateWindow();
    }
    void Click(int button) { QTest::mouseClick(W.CmdTarvik[button], Qt::LeftButton); }
    Action Press(int button) {
        return [this, button] { Click(button); };
    }
    // "click N", "alt X", "enter" or "esc".
    Action Input(const QString& input) {
        if (input.startsWith("click"))
            return Press(input.back().digitValue());
        return [this, input] {
            if (input.startsWith("alt"))
                QTest::keyClick(&W, Qt::Key(input.back().unicode()), Qt::AltModifier);
            else
                QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &W,
                                input == "esc" ? Qt::Key_Escape : Qt::Key_Return);
        };
    }
    QStringList Tails() {
        QStringList tails;
        for (int32_t i = 0; i <= W.Traffic().LastPlan; ++i)
            tails << ToQ(W.Traffic().PlanTable[i].TailNum());
        return tails;
    }
    // The review is down and the window ready for the next run.
    bool Idle() {
        return W.CmdTarvik[0]->isEnabled() && !W.CmdTarvik[1]->isEnabled() &&
               !W.CmdTarvik[2]->isEnabled() && !W.CmdTarvik[3]->isEnabled() &&
               W.TxtTarvik->toPlainText().isEmpty() && W.LBLTarvik[12]->text().isEmpty() &&
               !Hourglass(W);
    }
};

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

const QStringList Unchanged{"N100", "N101", "N102", "N103", "N104", "N105"};

} // namespace

class TestRunWindow : public QObject {
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale::c()); }
    void matchesAreReviewedInTableOrder_data();
    void matchesAreReviewedInTableOrder();
    void eachDecisionActsOnThePlanOnDisplay_data();
    void eachDecisionActsOnThePlanOnDisplay();
    void cancelWithoutARunDoesNotCutTheNextRunShort();
    void refusedOkShowsWhyAndStartsNoRun_data();
    void refusedOkShowsWhyAndStartsNoRun();
    void percentageIsReadAtTheMomentOfEachChange_data();
    void percentageIsReadAtTheMomentOfEachChange();
    void aircraftAndVisitedAirportAreReadAtEachChange();
    void exitDuringAReviewEndsTheWaitWithoutAChange();
    void theProcessSleepsWhileADecisionWaits();
};

void TestRunWindow::matchesAreReviewedInTableOrder_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<Row>("ifRow");
    QTest::addColumn<Row>("andRow");
    QTest::addColumn<QList<int>>("expected");

    QTest::newRow("If home airport KL meets KLAX, KLGA and klax, lowest index first")
        << "C" << Row{IfHome, "KL"} << NoAnd << QList<int>{0, 2, 3, 5};
    QTest::newRow("If aircraft compares numbers, not the shared title")
        << "C" << Row{IfAircraft, "", 1} << NoAnd << QList<int>{0, 2, 4, 5};
    QTest::newRow("If percentage with And visited airport meets both rows only")
        << "C" << Row{IfPercentage, " 50 "} << Row{AndVisited, "KLAX"} << QList<int>{1, 3};
    QTest::newRow("If aircraft ID typed in lower case meets its plan")
        << "C" << Row{IfId, "n102"} << NoAnd << QList<int>{2};
    QTest::newRow("If with no field picked meets no plan") << "C" << Row{} << NoAnd << QList<int>{};
    QTest::newRow("If percentage 30,0 is read in a German number format")
        << "de_DE" << Row{IfPercentage, "30,0"} << NoAnd << QList<int>{2};
}

void TestRunWindow::matchesAreReviewedInTableOrder() {
    QFETCH(QString, locale);
    QFETCH(Row, ifRow);
    QFETCH(Row, andRow);
    QFETCH(QList<int>, expected);
    QLocale::setDefault(QLocale(locale));
    Window win;
    QVERIFY(QTest::qWaitForWindowActive(&win.W));
    QVERIFY(SetRule(win.W, ifRow, andRow, NewId));
    Reviewer review(win.W);
    for (int plan : expected)
        review.AtWait[plan] = win.Press(2);

    win.Click(0);

    QCOMPARE(review.Waits, expected);
    QCOMPARE(review.Unscripted, 0);
    QCOMPARE(review.Mismatches, 0);
    QVERIFY(win.Idle());
    QCOMPARE(win.W.Traffic().PlanCursor, 6);
    QVERIFY(!win.W.Traffic().PlansChanged);
}

void TestRunWindow::eachDecisionActsOnThePlanOnDisplay_data() {
    QTest::addColumn<QString>("input");    // at the first wait
    QTest::addColumn<QString>("lotInput"); // while a lot passes plan 3
    QTest::addColumn<QList<int>>("waits"); // then: skip, change, cancel, skip, change
    QTest::addColumn<QStringList>("tails");
    QTest::addColumn<int>("cursor");

    const QList<int> four{0, 1, 2, 3};
    const QString Z = "ZZ1";
    const QStringList changed{Z, "N101", Z, "N103", "N104", "N105"};
    const QStringList skipped{"N100", "N101", Z, "N103", "N104", "N105"};

    QTest::newRow("Alt+C changes the plan and the walk goes on") << "alt C"
                                                                 << "" << four << changed << 3;
    QTest::newRow("Enter presses the focused Change This One") << "enter"
                                                               << "" << four << changed << 3;
    QTest::newRow("Alt+S skips the plan") << "alt S"
                                          << "" << four << skipped << 3;
    QTest::newRow("Alt+L changes this and every later match without a wait")
        << "alt L"
        << "" << QList<int>{0} << QStringList{Z, Z, Z, Z, Z, Z} << 6;
    QTest::newRow("Esc ends the walk with the plan unchanged")
        << "esc"
        << "" << QList<int>{0} << Unchanged << 0;
    QTest::newRow("Skip during a lot leaves that plan and the next match waits again")
        << "click 3"
        << "click 2" << QList<int>{0, 4, 5} << QStringList{Z, Z, Z, "N103", "N104", Z} << 6;
    QTest::newRow("Cancel during a lot ends the walk with that plan unchanged")
        << "click 3"
        << "click 4" << QList<int>{0} << QStringList{Z, Z, Z, "N103", "N104", "N105"} << 3;
}

void TestRunWindow::eachDecisionActsOnThePlanOnDisplay() {
    QFETCH(QString, input);
    QFETCH(QString, lotInput);
    QFETCH(QList<int>, waits);
    QFETCH(QStringList, tails);
    QFETCH(int, cursor);
    Window win;
    QVERIFY(QTest::qWaitForWindowActive(&win.W));
    QVERIFY(SetRule(win.W, EveryPlan, NoAnd, NewId));
    Reviewer review(win.W);
    review.AtWait = {{0, win.Input(input)}, {1, win.Press(2)}, {2, win.Press(1)},
                     {3, win.Press(4)},     {4, win.Press(2)}, {5, win.Press(1)}};
    if (!lotInput.isEmpty())
        review.DuringLot[3] = win.Input(lotInput);

    win.Click(0);

    QVERIFY(review.DuringLot.empty());
    QCOMPARE(review.Waits, waits);
    QCOMPARE(review.Mismatches, 0);
    QCOMPARE(win.Tails(), tails);
    QCOMPARE(win.W.Traffic().PlansChanged, tails != Unchanged);
    QCOMPARE(win.W.Traffic().PlanCursor, cursor);
    QVERIFY(win.Idle());
}

void TestRunWindow::cancelWithoutARunDoesNotCutTheNextRunShort() {
    Window win;
    QVERIFY(QTest::qWaitForWindowActive(&win.W));
    QVERIFY(SetRule(win.W, EveryPlan, NoAnd, NewId));
    win.Click(4);
    QVERIFY(win.Idle());
    Reviewer review(win.W);
    review.AtWait = {{0, win.Press(2)}, {1, win.Press(4)}};
    win.Click(0);
    QCOMPARE(review.Waits, (QList<int>{0, 1}));
}

QString Msg(Refused why, int row = ThenRow) {
    return QString::fromStdString(RefusalText({why, row}));
}

void TestRunWindow::refusedOkShowsWhyAndStartsNoRun_data() {
    QTest::addColumn<Row>("ifRow");
    QTest::addColumn<Row>("andRow");
    QTest::addColumn<Row>("thenRow");
    QTest::addColumn<bool>("whole");
    QTest::addColumn<QString>("message"); // empty: the run starts
    QTest::addColumn<int>("focus");

    const Row all = EveryPlan;
    const Row id{ThenId, "N1"};
    QTest::newRow("Then home airport klax with blanks around it is in the table and runs")
        << all << NoAnd << Row{ThenHome, " klax "} << true << QString() << -1;
    QTest::newRow("Then visited airport KLA that only begins a code is refused")
        << all << NoAnd << Row{ThenVisited, "KLA"} << true << Msg(Refused::NoAirport) << 5;
    QTest::newRow("And visited airport not in the table is refused")
        << all << Row{AndVisited, "XXXX"} << id << true << Msg(Refused::NoAndAirport) << 4;
    QTest::newRow("If aircraft typed, not picked, is refused")
        << Row{IfAircraft, "", 0} << NoAnd << id << true << Msg(Refused::PickAircraft, IfRow) << 3;
    QTest::newRow("If percentage that is no number is refused")
        << Row{IfPercentage, "5x"} << NoAnd << id << true << Msg(Refused::IfPercentageNotNumber)
        << 3;
    QTest::newRow("Then aircraft ID with a comma is refused")
        << all << NoAnd << Row{ThenId, "N1,2"} << true << Msg(Refused::ThenValueBreaksLine) << 5;
    QTest::newRow("Then home airport of five characters is refused even when the table lists it")
        << all << NoAnd << Row{ThenHome, "EGLLX"} << true << Msg(Refused::HomeAirportTooLong) << 5;
    QTest::newRow("Then visited airport with a semicolon is refused")
        << all << Row{AndVisited, "KLAX"} << Row{ThenVisited, "K;SF"} << true
        << Msg(Refused::ThenValueCommentMark) << 5;
    QTest::newRow("Then visited airport holding the And value from its third character is refused")
        << all << Row{AndHome, "AX"} << Row{ThenVisited, "KLAX"} << true
        << Msg(Refused::ReplacementNeverEnds) << 5;
    QTest::newRow("Plans not loaded whole, a mixed set, are refused")
        << all << NoAnd << NewId << false << texts::PlansNotWhole << -1;
}

void TestRunWindow::refusedOkShowsWhyAndStartsNoRun() {
    QFETCH(Row, ifRow);
    QFETCH(Row, andRow);
    QFETCH(Row, thenRow);
    QFETCH(bool, whole);
    QFETCH(QString, message);
    QFETCH(int, focus);
    Window win;
    QVERIFY(QTest::qWaitForWindowActive(&win.W));
    QTemporaryDir dir;
    if (!whole) {
        // One plan more than the table holds stops the load inside the flight-plan file.
        QFile plans(dir.filePath("FlightPlans.txt"));
        QVERIFY(plans.open(QIODevice::WriteOnly));
        plans.write(QByteArray("AC#1,N1,10%,Day,IFR,X,KSFO\r\n").repeated(PlanSlots::Capacity + 1));
        plans.close();
        win.Fake.Dialog.Answers.push_back(plans.fileName());
        win.W.MnuOpen->trigger();
        QVERIFY(!win.W.Traffic().PlansWhole);
        win.Fake.Messages.Log.clear();
        FillTraffic(win.W.Traffic());
    }
    QVERIFY(SetRule(win.W, ifRow, andRow, thenRow));
    RunRule& rule = win.W.Run().Rule;
    rule = RunRule{5, "earlier", 9, 4, 6, "earlier too", 8};
    win.W.CMBTarvik[0]->setFocus();
    Reviewer review(win.W);
    review.AtWait[0] = win.Press(4);

    win.Click(0);

    if (message.isEmpty()) {
        QCOMPARE(win.Fake.Messages.Texts(), QStringList());
        QCOMPARE(review.Waits.size(), 1);
        QCOMPARE(rule.IfField, int16_t(ifRow.Field));
        return;
    }
    QCOMPARE(win.Fake.Messages.Texts(), QStringList{message});
    QCOMPARE(win.Fake.Messages.Log.front().Title, texts::Oops);
    QTRY_VERIFY(focus < 0 || win.W.CMBTarvik[focus]->hasFocus());
    QVERIFY(review.Waits.isEmpty());
    QCOMPARE(win.W.Run().ReviewChoice, int16_t(ChoiceNone));
    QVERIFY(std::tie(rule.IfField, rule.IfValue, rule.IfTag, rule.AndField, rule.AndValue) ==
            std::make_tuple(int16_t(5), std::string("earlier"), int16_t(9), int16_t(6),
                            std::string("earlier too")));
    QCOMPARE(rule.IfNumber, 4.0);
    QVERIFY(win.Idle());
}

void TestRunWindow::percentageIsReadAtTheMomentOfEachChange_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QList<int>>("pcents");

    QTest::newRow("With a point as decimal separator halves go to the even neighbour")
        << "C" << QStringList{"12.5", "13.5", " 75 ", "abc", "40000", "-3"}
        << QList<int>{12, 14, 75, 50, 75, -3};
    QTest::newRow("With a comma as decimal separator 12,5 gives 12 and a point is no decimal")
        << "de_DE" << QStringList{"12,5", "13,5", "1.5", "7", "", "99,4"}
        << QList<int>{12, 14, 30, 7, 75, 99};
}

void TestRunWindow::percentageIsReadAtTheMomentOfEachChange() {
    QFETCH(QString, locale);
    QFETCH(QStringList, values);
    QFETCH(QList<int>, pcents);
    QLocale::setDefault(QLocale(locale));
    Window win;
    QVERIFY(QTest::qWaitForWindowActive(&win.W));
    QVERIFY(SetRule(win.W, EveryPlan, NoAnd, {ThenPercentage, "0"}));
    Reviewer review(win.W);
    for (int plan = 0; plan < values.size(); ++plan)
        review.AtWait[plan] = [&win, value = values[plan]] {
            ForceText(win.W.ValueBox(5), value);
            win.Click(1);
        };

    win.Click(0);

    QList<int> got;
    for (int32_t i = 0; i <= win.W.Traffic().LastPlan; ++i)
        got << win.W.Traffic().PlanTable[i].Pcent;
    QCOMPARE(got, pcents);
}

void TestRunWindow::aircraftAndVisitedAirportAreReadAtEachChange() {
    Window win;
    QVERIFY(QTest::qWaitForWindowActive(&win.W));
    const TrafficSet& set = win.W.Traffic();
    ValueCombo* then = win.W.ValueBox(5);
    const auto pickAndChange = [&](int tag) {
        return [&, tag] {
            PickAircraft(then, tag);
            win.Click(1);
        };
    };
    {
        QVERIFY(SetRule(win.W, EveryPlan, NoAnd, {ThenAircraft, "", 3}));
        Reviewer review(win.W);
        review.AtWait = {{0, win.Press(1)}, {1, pickAndChange(1)}, {2, pickAndChange(0)}};
        win.Click(0);
    }
    // No entry selected at the third change: the plan keeps its aircraft.
    QCOMPARE(set.PlanTable[0].Tag, int16_t(3));
    QCOMPARE(set.PlanTable[1].Tag, int16_t(1));
    QCOMPARE(set.PlanTable[2].Tag, int16_t(1));

    QVERIFY(SetRule(win.W, EveryPlan, {AndVisited, "KLAX"}, {ThenVisited, "KSFO"}));
    Reviewer review(win.W);
    review.AtWait = {{1, win.Press(1)}, {3, [&] {
                                             ForceText(win.W.ValueBox(4), " L4 ");
                                             ForceText(win.W.ValueBox(5), "M9");
                                             win.Click(1);
                                         }}};
    win.Click(0);
    QCOMPARE(review.Waits, (QList<int>{1, 3}));
    QCOMPARE(set.PlanTable[1].TheRest(), std::string_view("L2,KSFO"));
    QCOMPARE(set.PlanTable[3].TheRest(), std::string_view("M9,klax,KLAX"));
}

void TestRunWindow::exitDuringAReviewEndsTheWaitWithoutAChange() {
    Window win;
    QVERIFY(QTest::qWaitForWindowActive(&win.W));
    QVERIFY(SetRule(win.W, EveryPlan, NoAnd, NewId));
    win.Fake.Messages.Answers.push_back(Answer::No);
    QSignalSpy ended(&win.W, &FrmTarvik::ProgramEnded);
    Reviewer review(win.W);
    review.AtWait = {{0, win.Press(2)}, {1, [&] { win.W.MnuExit->trigger(); }}};

    win.Click(0);

    QCOMPARE(ended.count(), 1);
    QVERIFY(!win.W.isVisible());
    QVERIFY(win.W.Run().Abandoned);
    QCOMPARE(win.Tails(), Unchanged);
    QCOMPARE(review.Unscripted, 0);
    QVERIFY(!win.W.CmdTarvik[1]->isEnabled());
    QVERIFY(!win.W.IsRunning());
}

void TestRunWindow::theProcessSleepsWhileADecisionWaits() {
    Window win;
    QVERIFY(QTest::qWaitForWindowActive(&win.W));
    QVERIFY(SetRule(win.W, EveryPlan, NoAnd, NewId));
    double cpuStart = 0, cpu = -1;
    qint64 wall = 0;
    QElapsedTimer clock;
    // The first timer fires in the event pass that opens the first wait.
    QTimer::singleShot(0, &win.W, [&] {
        QVERIFY(win.W.CmdTarvik[1]->isEnabled());
        cpuStart = CpuSeconds();
        clock.start();
        QTimer::singleShot(300, &win.W, [&] {
            cpu = CpuSeconds() - cpuStart;
            wall = clock.elapsed();
            win.Click(4);
        });
    });

    win.Click(0);

    QVERIFY(wall >= 250 && cpu >= 0);
    QVERIFY2(cpu * 1000 < wall * 0.2,
             qPrintable(QStringLiteral("%1 ms CPU in %2 ms").arg(cpu * 1000).arg(wall)));
    QVERIFY(win.Idle());
}

QTEST_MAIN(TestRunWindow)
#include "TestRunWindow.moc"
