// A rule run driven through the real window: the checks of OK, the order of the matches, each
// decision by mouse and by key, the Then row read at the moment of each change, ending the program
// while a decision waits, and the process sleeping while it waits.

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

using namespace tarvik;

namespace {

// Field box positions.
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

    const char* const airports[] = {"KLAX", "KSFO", "EGLL", "KLGA", " klgb "};
    set.AirportTable.Resize(5);
    for (int32_t i = 0; i < 5; ++i)
        set.AirportTable[i] = airports[i];
    set.LastAirport = 4;

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

void AddAirport(TrafficSet& set, const std::string& code) {
    set.AirportTable.Resize(set.LastAirport + 2);
    set.AirportTable[++set.LastAirport] = code;
}

// Writes a value box's text past the entry checks, as if it had been typed and let stand.
void ForceText(ValueCombo* box, const QString& text) {
    const QSignalBlocker blockBox(box);
    const QSignalBlocker blockEdit(box->lineEdit());
    box->setEditText(text);
}

// Selects the entry that carries aircraft number tag; 0 leaves no entry selected.
bool PickAircraft(ValueCombo* box, int tag) {
    if (tag == 0) {
        box->setCurrentIndex(-1);
        return true;
    }
    for (int i = 0; i < box->count(); ++i) {
        if (box->ItemDataAt(i) == tag) {
            box->setCurrentIndex(i);
            return true;
        }
    }
    return false;
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

bool IsAircraftField(int fieldBox, int position) {
    return position == (fieldBox == 1 ? int(AndAircraft) : int(IfAircraft));
}

bool SetRow(FrmTarvik& w, int fieldBox, const Row& row) {
    w.CMBTarvik[fieldBox]->setCurrentIndex(row.Field);
    w.CMBTarvik_Click(static_cast<int16_t>(fieldBox));
    ValueCombo* box = w.ValueBox(fieldBox + 3);
    if (IsAircraftField(fieldBox, row.Field))
        return PickAircraft(box, row.Tag);
    ForceText(box, row.Value);
    return true;
}

bool SetRule(FrmTarvik& w, const Row& ifRow, const Row& andRow, const Row& thenRow) {
    return SetRow(w, 0, ifRow) && SetRow(w, 1, andRow) && SetRow(w, 2, thenRow);
}

// Any rule, with the Then row giving the identifier ZZ1.
const Row EveryPlan{IfHome, ""};
const Row NoAnd{AndNA, ""};
const Row NewId{ThenId, "ZZ1"};

bool Hourglass(const QWidget& w) {
    const QCursor* over = QApplication::overrideCursor();
    return (over && over->shape() == Qt::WaitCursor) || w.cursor().shape() == Qt::WaitCursor;
}

// Takes the decisions of a run from inside its waits. A decision wait is in progress while the
// review buttons are enabled and no decision is stored; under "Change The Lot" the stored decision
// is 3 and the run passes each match without waiting.
class Reviewer : public QObject {
public:
    using Action = std::function<void()>;

    explicit Reviewer(FrmTarvik& w) : W(w) {
        connect(&Timer, &QTimer::timeout, this, [this] { Tick(); });
        Timer.start(0);
    }

    std::map<int, Action> AtWait;    // by plan index, at its decision wait
    std::map<int, Action> DuringLot; // by plan index, while a lot passes it

    // What each decision wait showed.
    QList<int> Waits;
    QStringList Lines;
    QStringList Labels;
    int Mismatches = 0; // waits whose text box or label did not show the plan under review
    int WrongFocus = 0;
    int BusyWaits = 0;
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
        Lines << W.TxtTarvik->toPlainText();
        Labels << W.LBLTarvik[12]->text();
        const std::string line = DisplayLine(W.Traffic().PlanTable[plan]);
        if (Lines.back() != QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size())) ||
            Labels.back() != QString::number(plan))
            ++Mismatches;
        WrongFocus += W.CmdTarvik[1]->hasFocus() ? 0 : 1;
        BusyWaits += Hourglass(W) ? 1 : 0;
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

using Action = Reviewer::Action;

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
    Action Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        return [this, key, modifiers] {
            QWidget* target = modifiers != Qt::NoModifier ? &W : QApplication::focusWidget();
            QTest::keyClick(target ? target : &W, key, modifiers);
        };
    }
    QString Tail(int32_t plan) { return ToQ(W.Traffic().PlanTable[plan].TailNum()); }
    QStringList Tails() {
        QStringList tails;
        for (int32_t i = 0; i <= W.Traffic().LastPlan; ++i)
            tails << Tail(i);
        return tails;
    }
    static QString ToQ(std::string_view s) {
        return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
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

} // namespace

class TestRunWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void matchesAreReviewedInTableOrder_data();
    void matchesAreReviewedInTableOrder();
    void eachDecisionActsOnThePlanOnDisplay_data();
    void eachDecisionActsOnThePlanOnDisplay();
    void aDecisionDuringALotActsOnThatMatch_data();
    void aDecisionDuringALotActsOnThatMatch();
    void cancelWithoutARunDoesNotCutTheNextRunShort();
    void refusedOkShowsWhyAndStartsNoRun_data();
    void refusedOkShowsWhyAndStartsNoRun();
    void acceptedOkCapturesTheIfAndAndRows_data();
    void acceptedOkCapturesTheIfAndAndRows();
    void aCorrectedRuleRunsAfterARefusal();
    void plansNotLoadedWholeRefuseTheRun();
    void percentageIsReadAtTheMomentOfEachChange_data();
    void percentageIsReadAtTheMomentOfEachChange();
    void aircraftIsReadAtTheMomentOfEachChange();
    void visitedAirportIsReplacedByTheAndValueAtTheChange();
    void endingTheProgramEndsAPendingWait_data();
    void endingTheProgramEndsAPendingWait();
    void saveDuringAReviewLeavesTheWalkWhereItWas();
    void theProcessSleepsWhileADecisionWaits();
};

void TestRunWindow::matchesAreReviewedInTableOrder_data() {
    QTest::addColumn<int>("ifField");
    QTest::addColumn<QString>("ifValue");
    QTest::addColumn<int>("ifTag");
    QTest::addColumn<int>("andField");
    QTest::addColumn<QString>("andValue");
    QTest::addColumn<QList<int>>("expected");

    QTest::newRow("If home airport KL meets KLAX, KLGA and klax, lowest index first")
        << int(IfHome) << "KL" << 0 << int(AndNA) << "" << QList<int>{0, 2, 3, 5};
    QTest::newRow("If aircraft compares numbers, not the shared title")
        << int(IfAircraft) << "" << 1 << int(AndNA) << "" << QList<int>{0, 2, 4, 5};
    QTest::newRow("If percentage with And visited airport meets both rows only")
        << int(IfPercentage) << " 50 " << 0 << int(AndVisited) << "KLAX" << QList<int>{1, 3};
    QTest::newRow("If aircraft ID typed in lower case meets its plan")
        << int(IfId) << "n102" << 0 << int(AndNA) << "" << QList<int>{2};
    QTest::newRow("If with no field picked meets no plan")
        << -1 << "" << 0 << int(AndNA) << "" << QList<int>{};
}

void TestRunWindow::matchesAreReviewedInTableOrder() {
    QFETCH(int, ifField);
    QFETCH(QString, ifValue);
    QFETCH(int, ifTag);
    QFETCH(int, andField);
    QFETCH(QString, andValue);
    QFETCH(QList<int>, expected);

    Window win;
    QVERIFY(QTest::qWaitForWindowActive(&win.W));
    QVERIFY(SetRule(win.W, {ifField, ifValue, ifTag}, {andField, andValue}, NewId));
    Reviewer review(win.W);
    for (int plan : expected)
        review.AtWait[plan] = win.Press(2);

    win.Click(0);

    QCOMPARE(review.Waits, expected);
    QCOMPARE(review.Unscripted, 0);
    QStringList lines, labels;
    for (int plan : expected) {
        lines << Window::ToQ(DisplayLine(win.W.Traffic().PlanTable[plan]));
        labels << QString::number(plan);
    }
    QCOMPARE(review.Lines, lines);
    QCOMPARE(review.Labels, labels);
    QCOMPARE(review.WrongFocus, 0);
    QCOMPARE(review.BusyWaits, 0);
    QVERIFY(win.Idle());
    QCOMPARE(win.W.Traffic().PlanCursor, 6);
    QVERIFY(!win.W.Traffic().PlansChanged);
}

void TestRunWindow::eachDecisionActsOnThePlanOnDisplay_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QList<int>>("waits");
    QTest::addColumn<QStringList>("tails");
    QTest::addColumn<int>("cursor");

    const QList<int> four{0, 1, 2, 3};
    const QStringList changed{"ZZ1", "N101", "ZZ1", "N103", "N104", "N105"};
    const QStringList skipped{"N100", "N101", "ZZ1", "N103", "N104", "N105"};
    const QStringList lot{"ZZ1", "ZZ1", "ZZ1", "ZZ1", "ZZ1", "ZZ1"};
    const QStringList none{"N100", "N101", "N102", "N103", "N104", "N105"};

    QTest::newRow("Change This One clicked changes the plan and the walk goes on")
        << "click 1" << four << changed << 3;
    QTest::newRow("Alt+C changes the plan") << "alt C" << four << changed << 3;
    QTest::newRow("Enter presses the focused Change This One") << "enter" << four << changed << 3;
    QTest::newRow("Skip clicked leaves the plan as it was") << "click 2" << four << skipped << 3;
    QTest::newRow("Alt+S skips the plan") << "alt S" << four << skipped << 3;
    QTest::newRow("Change The Lot clicked changes this and every later match without a wait")
        << "click 3" << QList<int>{0} << lot << 6;
    QTest::newRow("Alt+L changes the lot") << "alt L" << QList<int>{0} << lot << 6;
    QTest::newRow("Cancel clicked ends the walk with the plan unchanged")
        << "click 4" << QList<int>{0} << none << 0;
    QTest::newRow("Esc presses Cancel") << "esc" << QList<int>{0} << none << 0;
}

void TestRunWindow::eachDecisionActsOnThePlanOnDisplay() {
    QFETCH(QString, input);
    QFETCH(QList<int>, waits);
    QFETCH(QStringList, tails);
    QFETCH(int, cursor);

    Window win;
    QVERIFY(QTest::qWaitForWindowActive(&win.W));
    QVERIFY(SetRule(win.W, EveryPlan, NoAnd, NewId));
    const std::map<QString, Action> inputs{
        {"click 1", win.Press(1)},
        {"click 2", win.Press(2)},
        {"click 3", win.Press(3)},
        {"click 4", win.Press(4)},
        {"alt C", win.Key(Qt::Key_C, Qt::AltModifier)},
        {"alt S", win.Key(Qt::Key_S, Qt::AltModifier)},
        {"alt L", win.Key(Qt::Key_L, Qt::AltModifier)},
        {"enter", win.Key(Qt::Key_Return)},
        {"esc", win.Key(Qt::Key_Escape)},
    };
    Reviewer review(win.W);
    review.AtWait[0] = inputs.at(input);
    review.AtWait[1] = win.Press(2);
    review.AtWait[2] = win.Press(1);
    review.AtWait[3] = win.Press(4);

    win.Click(0);

    QCOMPARE(review.Waits, waits);
    QCOMPARE(review.Mismatches, 0);
    QCOMPARE(review.WrongFocus, 0);
    QCOMPARE(win.Tails(), tails);
    QCOMPARE(win.W.Traffic().PlansChanged, tails.contains("ZZ1"));
    QCOMPARE(win.W.Traffic().PlanCursor, cursor);
    QVERIFY(win.Idle());
}

void TestRunWindow::aDecisionDuringALotActsOnThatMatch_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<QList<int>>("waits");
    QTest::addColumn<QStringList>("tails");

    QTest::newRow("Skip during a lot leaves that plan and the next match waits again")
        << 2 << QList<int>{0, 4, 5} << QStringList{"ZZ1", "ZZ1", "ZZ1", "N103", "N104", "ZZ1"};
    QTest::newRow("Change This One during a lot changes that plan and the next match waits again")
        << 1 << QList<int>{0, 4, 5} << QStringList{"ZZ1", "ZZ1", "ZZ1", "ZZ1", "N104", "ZZ1"};
    QTest::newRow("Cancel during a lot ends the walk with that plan unchanged")
        << 4 << QList<int>{0} << QStringList{"ZZ1", "ZZ1", "ZZ1", "N103", "N104", "N105"};
}

void TestRunWindow::aDecisionDuringALotActsOnThatMatch() {
    QFETCH(int, button);
    QFETCH(QList<int>, waits);
    QFETCH(QStringList, tails);

    Window win;
    QVERIFY(QTest::qWaitForWindowActive(&win.W));
    QVERIFY(SetRule(win.W, EveryPlan, NoAnd, NewId));
    Reviewer review(win.W);
    review.AtWait[0] = win.Press(3);
    review.DuringLot[3] = win.Press(button);
    review.AtWait[4] = win.Press(2);
    review.AtWait[5] = win.Press(1);

    win.Click(0);

    QVERIFY(review.DuringLot.empty());
    QCOMPARE(review.Waits, waits);
    QCOMPARE(review.Mismatches, 0);
    QCOMPARE(win.Tails(), tails);
    QVERIFY(win.Idle());
}

void TestRunWindow::cancelWithoutARunDoesNotCutTheNextRunShort() {
    Window win;
    QVERIFY(QTest::qWaitForWindowActive(&win.W));
    QVERIFY(SetRule(win.W, EveryPlan, NoAnd, NewId));
    win.Click(4);
    QCOMPARE(win.W.Run().ReviewChoice, int16_t(ChoiceCancel));
    QVERIFY(win.Idle());

    Reviewer review(win.W);
    review.AtWait[0] = win.Press(2);
    review.AtWait[1] = win.Press(4);
    win.Click(0);
    QCOMPARE(review.Waits, (QList<int>{0, 1}));
}

void TestRunWindow::refusedOkShowsWhyAndStartsNoRun_data() {
    QTest::addColumn<Row>("ifRow");
    QTest::addColumn<Row>("andRow");
    QTest::addColumn<Row>("thenRow");
    QTest::addColumn<QString>("extraAirport");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("focus");

    const Row ifAll{IfHome, ""};
    const Row na{AndNA, ""};
    const QString none;

    QTest::newRow("Then home airport klax with blanks around it is in the table and runs")
        << ifAll << na << Row{ThenHome, " klax "} << none << QString() << -1;
    QTest::newRow("Then visited airport compares with trimmed table codes and runs")
        << ifAll << Row{AndVisited, "KLAX"} << Row{ThenVisited, "KLGB"} << none << QString() << -1;
    QTest::newRow("Then visited airport KLA that only begins a code is refused")
        << ifAll << na << Row{ThenVisited, "KLA"} << none << texts::NoAirport << 5;
    QTest::newRow("And visited airport not in the table is refused")
        << ifAll << Row{AndVisited, "XXXX"} << Row{ThenId, "N1"} << none << texts::NoAndAirport
        << 4;
    QTest::newRow("Both airports wrong shows only the Then message")
        << ifAll << Row{AndVisited, "XXXX"} << Row{ThenHome, "YYYY"} << none << texts::NoAirport
        << 5;
    QTest::newRow("Then percentage needs no table and runs")
        << ifAll << na << Row{ThenPercentage, "abc"} << none << QString() << -1;
    QTest::newRow("If aircraft typed, not picked, is refused")
        << Row{IfAircraft, "", 0} << na << Row{ThenId, "N1"} << none << texts::PickAircraft("If=")
        << 3;
    QTest::newRow("And aircraft typed, not picked, is refused")
        << ifAll << Row{AndAircraft, "", 0} << Row{ThenId, "N1"} << none
        << texts::PickAircraft("And=") << 4;
    QTest::newRow("Then aircraft typed, not picked, is refused")
        << ifAll << na << Row{ThenAircraft, "", 0} << none << texts::PickAircraft("Then=") << 5;
    QTest::newRow("If percentage that is no number is refused")
        << Row{IfPercentage, "5x"} << na << Row{ThenId, "N1"} << none
        << texts::IfPercentageNotNumber << 3;
    QTest::newRow("If percentage left empty is refused")
        << Row{IfPercentage, "  "} << na << Row{ThenId, "N1"} << none
        << texts::IfPercentageNotNumber << 3;
    QTest::newRow("If percentage written with an exponent is a number and runs")
        << Row{IfPercentage, " 5e1 "} << na << Row{ThenId, "N1"} << none << QString() << -1;
    QTest::newRow("Then aircraft ID with a comma is refused")
        << ifAll << na << Row{ThenId, "N1,2"} << none << texts::ThenValueBreaksLine << 5;
    QTest::newRow("Then aircraft ID with a semicolon is refused")
        << ifAll << na << Row{ThenId, "N1;2"} << none << texts::ThenValueBreaksLine << 5;
    QTest::newRow("Then aircraft ID with a comment mark is refused")
        << ifAll << na << Row{ThenId, "N1//2"} << none << texts::ThenValueBreaksLine << 5;
    QTest::newRow("Then aircraft ID with a single slash runs")
        << ifAll << na << Row{ThenId, "N1/2"} << none << QString() << -1;
    QTest::newRow("Then home airport with a comma is refused even when the table lists it")
        << ifAll << na << Row{ThenHome, "K,LA"} << "K,LA" << texts::ThenValueBreaksLine << 5;
    QTest::newRow("Then home airport of five characters is refused even when the table lists it")
        << ifAll << na << Row{ThenHome, "EGLLX"} << "EGLLX" << texts::HomeAirportTooLong << 5;
    QTest::newRow("Then visited airport with a semicolon is refused even when the table lists it")
        << ifAll << Row{AndVisited, "KLAX"} << Row{ThenVisited, "K;SF"} << "K;SF"
        << texts::ThenValueCommentMark << 5;
    QTest::newRow("Then visited airport with an empty And value would never end and is refused")
        << ifAll << na << Row{ThenVisited, "KSFO"} << none << texts::ReplacementNeverEnds << 5;
    QTest::newRow("Then visited airport holding the And value from its third character is refused")
        << ifAll << Row{AndHome, "AX"} << Row{ThenVisited, "KLAX"} << none
        << texts::ReplacementNeverEnds << 5;
}

void TestRunWindow::refusedOkShowsWhyAndStartsNoRun() {
    QFETCH(Row, ifRow);
    QFETCH(Row, andRow);
    QFETCH(Row, thenRow);
    QFETCH(QString, extraAirport);
    QFETCH(QString, message);
    QFETCH(int, focus);

    Window win;
    QVERIFY(QTest::qWaitForWindowActive(&win.W));
    if (!extraAirport.isEmpty())
        AddAirport(win.W.Traffic(), extraAirport.toStdString());
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
    QCOMPARE(win.Fake.Messages.Log.front().Title, QStringLiteral("OOPS"));
    QTRY_VERIFY(win.W.CMBTarvik[focus]->hasFocus());
    QVERIFY(review.Waits.isEmpty());
    QCOMPARE(win.W.Run().ReviewChoice, int16_t(ChoiceNone));
    QCOMPARE(rule.IfField, int16_t(5));
    QCOMPARE(rule.IfValue, std::string("earlier"));
    QCOMPARE(rule.IfTag, int16_t(9));
    QCOMPARE(rule.IfNumber, 4.0);
    QCOMPARE(rule.AndField, int16_t(6));
    QCOMPARE(rule.AndValue, std::string("earlier too"));
    QCOMPARE(rule.AndTag, int16_t(8));
    QVERIFY(win.Idle());
}

void TestRunWindow::acceptedOkCapturesTheIfAndAndRows_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<Row>("ifRow");
    QTest::addColumn<Row>("andRow");
    QTest::addColumn<int>("ifTag");
    QTest::addColumn<QString>("ifValue");
    QTest::addColumn<double>("ifNumber");
    QTest::addColumn<int>("andTag");
    QTest::addColumn<QString>("andValue");

    QTest::newRow("Aircraft rows capture the numbers of the picked entries")
        << "C" << Row{IfAircraft, "", 7} << Row{AndAircraft, "", 3} << 7 << QString() << 0.0 << 3
        << QString();
    QTest::newRow("Values are captured with the blanks at both ends removed")
        << "C" << Row{IfId, "  n1 2  "} << Row{AndHome, " KL "} << 0 << "n1 2" << 0.0 << 0 << "KL";
    QTest::newRow("If percentage 12.5 is read with a point in a C number format")
        << "C" << Row{IfPercentage, " 12.5 "} << Row{AndNA, ""} << 0 << "12.5" << 12.5 << 0 << "";
    QTest::newRow("If percentage 12,5 is read with a comma in a German number format")
        << "de_DE" << Row{IfPercentage, "12,5"} << Row{AndNA, ""} << 0 << "12,5" << 12.5 << 0 << "";
}

void TestRunWindow::acceptedOkCapturesTheIfAndAndRows() {
    QFETCH(QString, locale);
    QFETCH(Row, ifRow);
    QFETCH(Row, andRow);
    QFETCH(int, ifTag);
    QFETCH(QString, ifValue);
    QFETCH(double, ifNumber);
    QFETCH(int, andTag);
    QFETCH(QString, andValue);

    QLocale::setDefault(QLocale(locale));
    Window win;
    QVERIFY(QTest::qWaitForWindowActive(&win.W));
    QVERIFY(SetRule(win.W, ifRow, andRow, NewId));
    RunRule& rule = win.W.Run().Rule;
    rule.IfTag = 0;
    rule.AndTag = 0;
    // An aircraft value is the text of the picked entry.
    if (ifValue.isNull())
        ifValue = win.W.ValueBox(3)->Text().trimmed();
    if (andValue.isNull())
        andValue = win.W.ValueBox(4)->Text().trimmed();
    Reviewer review(win.W);

    win.Click(0);

    QVERIFY(review.Waits.isEmpty());
    QVERIFY(win.Fake.Messages.Log.empty());
    QCOMPARE(rule.IfField, int16_t(ifRow.Field));
    QCOMPARE(rule.IfTag, int16_t(ifTag));
    QCOMPARE(QString::fromStdString(rule.IfValue), ifValue);
    QCOMPARE(rule.IfNumber, ifNumber);
    QCOMPARE(rule.AndField, int16_t(andRow.Field));
    QCOMPARE(rule.AndTag, int16_t(andTag));
    QCOMPARE(QString::fromStdString(rule.AndValue), andValue);
}

void TestRunWindow::aCorrectedRuleRunsAfterARefusal() {
    Window win;
    QVERIFY(QTest::qWaitForWindowActive(&win.W));
    QVERIFY(SetRule(win.W, {IfId, "N104"}, NoAnd, {ThenHome, "KLA"}));
    win.Click(0);
    QCOMPARE(win.Fake.Messages.Texts(), QStringList{texts::NoAirport});

    ForceText(win.W.ValueBox(5), "KLGA");
    Reviewer review(win.W);
    review.AtWait[4] = win.Press(1);
    win.Click(0);
    QCOMPARE(review.Waits, QList<int>{4});
    QCOMPARE(win.W.Traffic().PlanTable[4].HPort(), std::string_view("KLGA"));
    QCOMPARE(win.W.Run().Rule.IfValue, std::string("N104"));
}

void TestRunWindow::plansNotLoadedWholeRefuseTheRun() {
    Window win;
    QVERIFY(QTest::qWaitForWindowActive(&win.W));
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // One plan more than the table holds stops the load inside the flight-plan file.
    QFile plans(dir.filePath("FlightPlans.txt"));
    QVERIFY(plans.open(QIODevice::WriteOnly));
    const QByteArray line = "AC#1,N1,10%,Day,IFR,X,KSFO\r\n";
    QVERIFY(plans.write(line.repeated(PlanSlots::Capacity + 1)) > 0);
    plans.close();
    win.Fake.Dialog.Answers.push_back(plans.fileName());
    win.W.MnuOpen->trigger();
    QVERIFY(win.W.isVisible());
    QVERIFY(!win.W.Traffic().PlansWhole);
    win.Fake.Messages.Log.clear();
    QVERIFY(SetRule(win.W, EveryPlan, NoAnd, NewId));
    Reviewer review(win.W);

    win.Click(0);

    QCOMPARE(win.Fake.Messages.Texts(), QStringList{texts::PlansNotWhole});
    QVERIFY(review.Waits.isEmpty());
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
    for (int plan = 0; plan < values.size(); ++plan) {
        const QString value = values[plan];
        review.AtWait[plan] = [&win, value] {
            ForceText(win.W.ValueBox(5), value);
            win.Click(1);
        };
    }

    win.Click(0);

    QList<int> got;
    for (int32_t i = 0; i <= win.W.Traffic().LastPlan; ++i)
        got << win.W.Traffic().PlanTable[i].Pcent;
    QCOMPARE(got, pcents);
    QVERIFY(win.W.Traffic().PlansChanged);
}

void TestRunWindow::aircraftIsReadAtTheMomentOfEachChange() {
    Window win;
    QVERIFY(QTest::qWaitForWindowActive(&win.W));
    QVERIFY(SetRule(win.W, EveryPlan, NoAnd, {ThenAircraft, "", 3}));
    ValueCombo* then = win.W.ValueBox(5);
    Reviewer review(win.W);
    review.AtWait[0] = win.Press(1);
    review.AtWait[1] = [&] {
        QVERIFY(PickAircraft(then, 1));
        win.Click(1);
    };
    review.AtWait[2] = [&] {
        PickAircraft(then, 0);
        win.Click(1);
    };
    review.AtWait[3] = win.Press(4);

    win.Click(0);

    QCOMPARE(review.Waits, (QList<int>{0, 1, 2, 3}));
    const TrafficSet& set = win.W.Traffic();
    QCOMPARE(set.PlanTable[0].Tag, int16_t(3));
    QCOMPARE(set.PlanTable[1].Tag, int16_t(1));
    QCOMPARE(set.PlanTable[2].Tag, int16_t(1)); // no entry selected: the plan keeps its aircraft
    QCOMPARE(set.PlanTable[3].Tag, int16_t(3));
}

void TestRunWindow::visitedAirportIsReplacedByTheAndValueAtTheChange() {
    Window win;
    QVERIFY(QTest::qWaitForWindowActive(&win.W));
    QVERIFY(SetRule(win.W, EveryPlan, {AndVisited, "KLAX"}, {ThenVisited, "KSFO"}));
    Reviewer review(win.W);
    review.AtWait[1] = win.Press(1);
    review.AtWait[3] = [&] {
        ForceText(win.W.ValueBox(4), " L4 ");
        ForceText(win.W.ValueBox(5), "M9");
        win.Click(1);
    };

    win.Click(0);

    QCOMPARE(review.Waits, (QList<int>{1, 3}));
    QCOMPARE(win.W.Traffic().PlanTable[1].TheRest(), std::string_view("L2,KSFO"));
    QCOMPARE(win.W.Traffic().PlanTable[3].TheRest(), std::string_view("M9,klax,KLAX"));
}

void TestRunWindow::endingTheProgramEndsAPendingWait_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QStringList>("tails");

    const QStringList none{"N100", "N101", "N102", "N103", "N104", "N105"};
    QTest::newRow("Exit from the Files menu during a review changes nothing more")
        << "exit" << none;
    QTest::newRow("Closing the window through its frame during a review changes nothing more")
        << "close" << none;
    QTest::newRow("Exit during Change The Lot leaves the match on display and later ones")
        << "exit during lot" << QStringList{"ZZ1", "ZZ1", "ZZ1", "N103", "N104", "N105"};
}

void TestRunWindow::endingTheProgramEndsAPendingWait() {
    QFETCH(QString, how);
    QFETCH(QStringList, tails);

    Window win;
    QVERIFY(QTest::qWaitForWindowActive(&win.W));
    QVERIFY(SetRule(win.W, EveryPlan, NoAnd, NewId));
    win.Fake.Messages.Answers.push_back(Answer::No); // do not save
    QSignalSpy ended(&win.W, &FrmTarvik::ProgramEnded);
    Reviewer review(win.W);
    const Action exit = [&] { win.W.MnuExit->trigger(); };
    if (how == "exit") {
        review.AtWait[0] = win.Press(2);
        review.AtWait[1] = exit;
    } else if (how == "close") {
        review.AtWait[0] = [&] { win.W.close(); };
    } else {
        review.AtWait[0] = win.Press(1);
        review.AtWait[1] = win.Press(3);
        review.DuringLot[3] = exit;
    }

    win.Click(0);

    QCOMPARE(ended.count(), 1);
    QVERIFY(!win.W.isVisible());
    QVERIFY(win.W.Run().Abandoned);
    QCOMPARE(win.Tails(), tails);
    QVERIFY(review.DuringLot.empty());
    QCOMPARE(review.Unscripted, 0);
    QVERIFY(!win.W.CmdTarvik[1]->isEnabled());
    QVERIFY(!win.W.IsRunning());
}

void TestRunWindow::saveDuringAReviewLeavesTheWalkWhereItWas() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString plans = dir.filePath("FlightPlans.txt");
    {
        QFile file(plans);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("AC#1,N100,50%,24Hr,IFR,L1,KLAX\r\nAC#1,N101,50%,24Hr,IFR,L2,KSFO\r\n"
                   "AC#1,N102,50%,24Hr,IFR,L3,KLAX\r\n");
    }
    const std::pair<const char*, const char*> lists[] = {
        {"Aircraft.txt", "AC#1,450,\"Boeing 737\"\r\n"}, {"Airports.txt", "KLAX,N1,W1,10\r\n"}};
    for (const auto& [name, text] : lists) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    Window win;
    QVERIFY(QTest::qWaitForWindowActive(&win.W));
    win.Fake.Dialog.Answers.push_back(plans);
    win.W.MnuOpen->trigger();
    QCOMPARE(win.W.Traffic().LastPlan, 2);
    QVERIFY(win.W.Traffic().PlansWhole);
    QVERIFY(SetRule(win.W, EveryPlan, NoAnd, NewId));
    const QString saved = dir.filePath("Saved.txt");
    win.Fake.Dialog.Answers.push_back(saved);
    Reviewer review(win.W);
    review.AtWait[0] = win.Press(1);
    review.AtWait[1] = [&] {
        win.W.MnuSave->trigger();
        win.Click(2);
    };
    review.AtWait[2] = win.Press(1);

    win.Click(0);

    QCOMPARE(review.Waits, (QList<int>{0, 1, 2}));
    QCOMPARE(win.Tails(), (QStringList{"ZZ1", "N101", "ZZ1"}));
    QFile file(saved);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().startsWith("AC#1,ZZ1,50%,24Hr,IFR,L1,KLAX\r\nAC#1,N101,"));
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

    QVERIFY(cpu >= 0);
    QVERIFY(wall >= 250);
    QVERIFY2(cpu * 1000 < wall * 0.2,
             qPrintable(QStringLiteral("%1 ms CPU in %2 ms").arg(cpu * 1000).arg(wall)));
    QVERIFY(win.Idle());
}

QTEST_MAIN(TestRunWindow)
#include "TestRunWindow.moc"
