// The rule run: the If and And tests, the Then change with the visited-airport replacement, the
// random identifiers, and the walk with its reviews.

#include "run/Change.h"
#include "run/Match.h"
#include "run/RandomId.h"
#include "run/Rule.h"
#include "run/Walk.h"
#include "traffic/PlanLine.h"
#include "traffic/Text.h"

#include <QtTest>

#include <cmath>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

using namespace tarvik;

namespace {

QByteArray B(std::string_view s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}
std::string S(const QByteArray& b) {
    return std::string(b.constData(), b.size());
}

const double JustBelowOne = std::nextafter(1.0, 0.0);

// A plan written as tag|tail|pcent|rate|rules|home|legs.
FlightPlan PlanFrom(const QByteArray& text) {
    const QList<QByteArray> f = text.split('|');
    FlightPlan plan;
    plan.Assign(static_cast<int16_t>(f.value(0).toInt()), S(f.value(1)),
                static_cast<int16_t>(f.value(2).toInt()), S(f.value(3)), S(f.value(4)),
                S(f.value(5)), S(f.value(6)), {});
    return plan;
}

// Hands out the draws a test scripts and records the calls: "R" for a reseed, "N" for a draw.
class ScriptedRandom : public RandomSource {
public:
    explicit ScriptedRandom(QList<double> draws = {}) : Draws(std::move(draws)) {}
    QList<double> Draws;
    qsizetype Used = 0;
    bool Overdrawn = false;
    QByteArray Calls;
    void Reseed() override { Calls += 'R'; }
    double Next() override {
        Calls += 'N';
        if (Used >= Draws.size()) {
            Overdrawn = true;
            return 0;
        }
        return Draws[Used++];
    }
};

// A real generator with a fixed seed; Reseed only counts.
class TwisterRandom : public RandomSource {
public:
    std::mt19937 Engine{20240611};
    int Reseeds = 0;
    void Reseed() override { ++Reseeds; }
    double Next() override {
        const double high = Engine() >> 5; // 27 bits
        const double low = Engine() >> 6;  // 26 bits
        return (high * 67108864.0 + low) / 9007199254740992.0;
    }
};

// The window's side of a run. Each review takes the next scripted decision, as if that button
// were pressed during the wait; -1 presses nothing (the run goes on with the choice it has).
struct FakeHost : RunHost {
    FakeHost(TrafficSet& set, RunState& state) : Set(set), State(state) {}
    TrafficSet& Set;
    RunState& State;
    QList<int> Decisions;
    ThenChange Then;
    std::function<void(FakeHost&)> DuringWait;

    QStringList Events;
    QList<int> Tested, Reviewed, ChoiceOnEntry;
    std::vector<std::string> Lines;
    int ThenReads = 0;

    void RunStarted() override { Events << "started"; }
    void PlanUnderTest(int32_t index) override {
        Events << QString("test %1").arg(index);
        Tested << index;
    }
    void AwaitDecision(const std::string& line) override {
        Events << QString("review %1").arg(Set.PlanCursor);
        Reviewed << Set.PlanCursor;
        ChoiceOnEntry << State.ReviewChoice;
        Lines.push_back(line);
        if (DuringWait)
            DuringWait(*this);
        const int decision = Decisions.value(Reviewed.size() - 1, -1);
        if (decision >= 0)
            State.ReviewChoice = static_cast<int16_t>(decision);
    }
    ThenChange ReadThen() override {
        Events << "then";
        ++ThenReads;
        return Then;
    }
    void RunEnded() override { Events << "ended"; }
};

// Five plans: four home airports starting with K (one in lower case) and one EGLL at index 1.
void FillFive(TrafficSet& set) {
    const char* plans[] = {
        "12|N101|50|24Hr|IFR|KLAX|0600,KSFO", "13|N102|50|24Hr|IFR|EGLL|0700,KLAX",
        "14|N103|50|24Hr|IFR|KSFO|0800,KLAX", "15|N104|50|24Hr|IFR|klga|0900,KBOS",
        "16|N105|50|24Hr|IFR|KBOS|1000,KLGA"};
    set.PlanTable.Resize(5);
    for (int i = 0; i < 5; ++i)
        set.PlanTable[i] = PlanFrom(plans[i]);
    set.LastPlan = 4;
}

// If "Home AirPort" K, And "NA": the plans at 0, 2, 3 and 4 are reviewed.
RunState HomeAirportK() {
    RunState state;
    state.Rule.IfField = HomeAirport;
    state.Rule.IfValue = "K";
    state.Rule.AndField = 0;
    return state;
}

ThenChange RateTo(const std::string& value) {
    ThenChange change;
    change.Field = FlightFrequency;
    change.Value = value;
    return change;
}

QList<int> PlansWithRate(const TrafficSet& set, std::string_view rate) {
    QList<int> found;
    for (int32_t i = 0; i <= set.LastPlan; ++i) {
        if (set.PlanTable[i].Rate() == rate)
            found << i;
    }
    return found;
}

// The replacement step by step, kept apart from the program's own, with a guard on the passes.
// Returns false when the guard is reached.
bool GuardedReplace(std::string s, const std::string& old, const std::string& repl, int guard,
                    std::string& result, int& replacements) {
    const std::string put(TrimBlanks(repl));
    std::size_t start = 1;
    replacements = 0;
    for (;;) {
        std::size_t p = 0;
        if (!s.empty() && start <= s.size()) {
            const std::size_t at = FindNoCase(s, old, start - 1);
            p = at == NotFound ? 0 : at + 1;
        }
        if (p == 0)
            break;
        if (++replacements > guard)
            return false;
        const std::string right(TrimBlanks(std::string_view(s).substr(p - 1 + old.size())));
        s = s.substr(0, p - 1) + put + right;
        start = p + 2;
    }
    result = s;
    return true;
}

std::string RandomText(std::mt19937& engine, int maxLength) {
    static const char alphabet[] = "AKLXk ";
    std::uniform_int_distribution<int> length(0, maxLength);
    std::uniform_int_distribution<int> pick(0, 5);
    std::string text(static_cast<std::size_t>(length(engine)), ' ');
    for (char& c : text)
        c = alphabet[pick(engine)];
    return text;
}

bool IsLetter(char c) {
    return c >= 'A' && c <= 'Z';
}
bool IsDigit19(char c) {
    return c >= '1' && c <= '9';
}

} // namespace

class TestRun : public QObject {
    Q_OBJECT

private slots:
    void meetsIf_data();
    void meetsIf();
    void homeAirportValueStaysCutInTheRule();
    void meetsAnd_data();
    void meetsAnd();
    void applyThen_data();
    void applyThen();
    void replaceVisited_data();
    void replaceVisited();
    void visitedReplacementEnds_data();
    void visitedReplacementEnds();
    void replacementEndsForEveryAcceptedInput();
    void getRandomId_data();
    void getRandomId();
    void getRandomIdOverManyDraws();
    void walkDecisions_data();
    void walkDecisions();
    void walkShowsThePlanLineWithoutItsComment();
    void walkAbandonedEndsWithoutChange_data();
    void walkAbandonedEndsWithoutChange();
    void walkOverNoPlanExaminesNothing();
    void walkSetsPlansChangedEvenWhenNothingChanges_data();
    void walkSetsPlansChangedEvenWhenNothingChanges();
    void walkReadsThenAtEachChange();
    void walkReadsTheBoundOnce();
    void walkOverTheLotDrawsAnIdentifierPerPlan();
    void walkEndsWhenASmallerSetIsLoadedDuringAReview();
    void walkChangesNothingWhenASaveMovedTheCursorPastTheEnd();
};

// ---------------------------------------------------------------------------------------------
// If and And tests

void TestRun::meetsIf_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("ifTag");
    QTest::addColumn<double>("ifNumber");
    QTest::addColumn<QByteArray>("plan");
    QTest::addColumn<bool>("meets");

    const QByteArray klax = "12|N12345|50|24Hr|IFR|KLAX|0600,KSFO";
    QTest::newRow("Home AirPort KL meets KLAX by its beginning")
        << 0 << QByteArray("KL") << 0 << 0.0 << klax << true;
    QTest::newRow("Home AirPort KL meets a home airport written klax")
        << 0 << QByteArray("KL") << 0 << 0.0 << QByteArray("12|N1|50|24Hr|IFR|klax|L") << true;
    QTest::newRow("Home AirPort KL does not meet EGLL")
        << 0 << QByteArray("KL") << 0 << 0.0 << QByteArray("12|N1|50|24Hr|IFR|EGLL|L") << false;
    QTest::newRow("An empty Home AirPort value meets every plan")
        << 0 << QByteArray() << 0 << 0.0 << QByteArray("12|N1|50|24Hr|IFR||L") << true;
    QTest::newRow("Home AirPort EG?? is reduced to EG and meets EGLL")
        << 0 << QByteArray("EG??") << 0 << 0.0 << QByteArray("12|N1|50|24Hr|IFR|EGLL|L") << true;
    QTest::newRow("Home AirPort of six characters is cut to five and meets those five")
        << 0 << QByteArray("KLAXYZ") << 0 << 0.0 << QByteArray("12|N1|50|24Hr|IFR|KLAXY|L") << true;
    QTest::newRow("Home AirPort cut to five loses a blank at its end and meets KLAX")
        << 0 << QByteArray("KLAX Z") << 0 << 0.0 << klax << true;
    QTest::newRow("Home AirPort longer than the plan's home airport does not meet it")
        << 0 << QByteArray("KLAXX") << 0 << 0.0 << klax << false;
    QTest::newRow("AirCraft meets the plan with that aircraft number")
        << 1 << QByteArray("Boeing 737") << 12 << 0.0 << klax << true;
    QTest::newRow("AirCraft compares numbers, so an entry with the same title but number 13 fails")
        << 1 << QByteArray("Boeing 737") << 13 << 0.0 << klax << false;
    QTest::newRow("Percentage 50 meets a plan at 50")
        << 2 << QByteArray("50") << 0 << 50.0 << klax << true;
    QTest::newRow("Percentage 50.5 does not meet a plan at 50")
        << 2 << QByteArray("50,5") << 0 << 50.5 << klax << false;
    QTest::newRow("Percentage 49 does not meet a plan at 50")
        << 2 << QByteArray("49") << 0 << 49.0 << klax << false;
    QTest::newRow("Aircraft ID n12345 meets N12345 ignoring case")
        << 3 << QByteArray("n12345") << 0 << 0.0 << klax << true;
    QTest::newRow("Aircraft ID n12345 does not meet N123456")
        << 3 << QByteArray("n12345") << 0 << 0.0 << QByteArray("12|N123456|50|24Hr|IFR|KLAX|L")
        << false;
    QTest::newRow("Aircraft ID N123456 does not meet N12345")
        << 3 << QByteArray("N123456") << 0 << 0.0 << klax << false;
    QTest::newRow("Flight Frequency 24hr meets 24Hr")
        << 4 << QByteArray("24hr") << 0 << 0.0 << klax << true;
    QTest::newRow("Flight Frequency 12Hr does not meet 24Hr")
        << 4 << QByteArray("12Hr") << 0 << 0.0 << klax << false;
    QTest::newRow("IFR_VFR ifr meets IFR") << 5 << QByteArray("ifr") << 0 << 0.0 << klax << true;
    QTest::newRow("IFR_VFR VFR does not meet IFR")
        << 5 << QByteArray("VFR") << 0 << 0.0 << klax << false;
    QTest::newRow("No If field selected meets no plan")
        << -1 << QByteArray() << 12 << 50.0 << klax << false;
    QTest::newRow("A field beyond the If box meets no plan")
        << 6 << QByteArray("KSFO") << 0 << 0.0 << klax << false;
}

void TestRun::meetsIf() {
    QFETCH(int, field);
    QFETCH(QByteArray, value);
    QFETCH(int, ifTag);
    QFETCH(double, ifNumber);
    QFETCH(QByteArray, plan);
    QFETCH(bool, meets);

    RunRule rule;
    rule.IfField = static_cast<int16_t>(field);
    rule.IfValue = S(value);
    rule.IfTag = static_cast<int16_t>(ifTag);
    rule.IfNumber = ifNumber;
    QCOMPARE(MeetsIf(rule, PlanFrom(plan)), meets);
}

void TestRun::homeAirportValueStaysCutInTheRule() {
    RunRule rule;
    rule.IfField = HomeAirport;
    rule.IfValue = " EG??";
    const FlightPlan egll = PlanFrom("1|N1|50|24Hr|IFR|EGLL|L");
    QVERIFY(MeetsIf(rule, egll));
    QCOMPARE(B(rule.IfValue), QByteArray("EG"));
    QVERIFY(MeetsIf(rule, egll));
    QCOMPARE(B(rule.IfValue), QByteArray("EG"));

    RunRule other;
    other.IfField = AircraftId;
    other.IfValue = "EG??";
    QVERIFY(!MeetsIf(other, egll));
    QCOMPARE(B(other.IfValue), QByteArray("EG??"));
}

void TestRun::meetsAnd_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("andTag");
    QTest::addColumn<QByteArray>("plan");
    QTest::addColumn<bool>("meets");

    const QByteArray klax = "12|N12345|50|24Hr|IFR|KLAX|0600,07:10,KSFO,0900,klax";
    QTest::newRow("NA meets every plan") << 0 << QByteArray("anything") << 0 << klax << true;
    QTest::newRow("Home AirPort KL meets KLAX") << 1 << QByteArray("KL") << 0 << klax << true;
    QTest::newRow("Home AirPort kl meets KLAX ignoring case")
        << 1 << QByteArray("kl") << 0 << klax << true;
    QTest::newRow("An empty Home AirPort value meets every plan")
        << 1 << QByteArray() << 0 << klax << true;
    QTest::newRow("Home AirPort EG?? is not reduced and does not meet EGLL")
        << 1 << QByteArray("EG??") << 0 << QByteArray("1|N1|50|24Hr|IFR|EGLL|L") << false;
    QTest::newRow("Home AirPort EG?? meets a home airport written EG??")
        << 1 << QByteArray("EG??") << 0 << QByteArray("1|N1|50|24Hr|IFR|EG??|L") << true;
    QTest::newRow("Home AirPort of six characters is not cut and does not meet KLAX")
        << 1 << QByteArray("KLAXYZ") << 0 << klax << false;
    QTest::newRow("AirCraft meets the plan with that aircraft number")
        << 2 << QByteArray("Boeing 737") << 12 << klax << true;
    QTest::newRow("AirCraft with another number does not meet it")
        << 2 << QByteArray("Boeing 737") << 13 << klax << false;
    QTest::newRow("Percentage 50% meets a plan at 50")
        << 3 << QByteArray("50%") << 0 << klax << true;
    QTest::newRow("Percentage with blanks and a point, 50.0, meets a plan at 50")
        << 3 << QByteArray(" 50.0") << 0 << klax << true;
    QTest::newRow("Percentage 50.5 does not meet a plan at 50")
        << 3 << QByteArray("50.5") << 0 << klax << false;
    QTest::newRow("Percentage that is no number meets a plan at 0")
        << 3 << QByteArray("half") << 0 << QByteArray("1|N1|0|24Hr|IFR|KLAX|L") << true;
    QTest::newRow("Percentage that is no number does not meet a plan at 50")
        << 3 << QByteArray("half") << 0 << klax << false;
    QTest::newRow("Aircraft ID n12345 meets N12345")
        << 4 << QByteArray("n12345") << 0 << klax << true;
    QTest::newRow("Aircraft ID N1234 does not meet N12345")
        << 4 << QByteArray("N1234") << 0 << klax << false;
    QTest::newRow("Flight Frequency 24HR meets 24Hr")
        << 5 << QByteArray("24HR") << 0 << klax << true;
    QTest::newRow("Flight Frequency 24 does not meet 24Hr")
        << 5 << QByteArray("24") << 0 << klax << false;
    QTest::newRow("IFR_VFR Ifr meets IFR") << 6 << QByteArray("Ifr") << 0 << klax << true;
    QTest::newRow("IFR_VFR VFR does not meet IFR") << 6 << QByteArray("VFR") << 0 << klax << false;
    QTest::newRow("Visited AirPort KSFO meets legs that mention it")
        << 7 << QByteArray("KSFO") << 0 << klax << true;
    QTest::newRow("Visited AirPort KLAX meets legs that mention it in lower case")
        << 7 << QByteArray("KLAX") << 0 << QByteArray("1|N1|50|24Hr|IFR|EGLL|0600,klax") << true;
    QTest::newRow("Visited AirPort KBOS does not meet legs without it")
        << 7 << QByteArray("KBOS") << 0 << klax << false;
    QTest::newRow("Visited AirPort with an empty value meets any legs")
        << 7 << QByteArray() << 0 << klax << true;
    QTest::newRow("Visited AirPort with an empty value does not meet empty legs")
        << 7 << QByteArray() << 0 << QByteArray("1|N1|50|24Hr|IFR|KLAX|") << false;
    QTest::newRow("Visited AirPort does not look at the home airport")
        << 7 << QByteArray("KLAX") << 0 << QByteArray("1|N1|50|24Hr|IFR|KLAX|0600,KSFO") << false;
    QTest::newRow("No And field selected meets no plan")
        << -1 << QByteArray() << 12 << klax << false;
    QTest::newRow("A field beyond the And box meets no plan")
        << 8 << QByteArray() << 12 << klax << false;
}

void TestRun::meetsAnd() {
    QFETCH(int, field);
    QFETCH(QByteArray, value);
    QFETCH(int, andTag);
    QFETCH(QByteArray, plan);
    QFETCH(bool, meets);

    RunRule rule;
    rule.AndField = static_cast<int16_t>(field);
    rule.AndValue = S(value);
    rule.AndTag = static_cast<int16_t>(andTag);
    QCOMPARE(MeetsAnd(rule, PlanFrom(plan)), meets);
    QCOMPARE(B(rule.AndValue), value);
}

// ---------------------------------------------------------------------------------------------
// The Then change

void TestRun::applyThen_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("hasTag");
    QTest::addColumn<int>("tag");
    QTest::addColumn<bool>("hasNumber");
    QTest::addColumn<double>("number");
    QTest::addColumn<QByteArray>("old");
    QTest::addColumn<QList<double>>("draws");
    QTest::addColumn<QByteArray>("line");

    // The plan before: AC#12,N123,50%,24Hr,IFR,0600,KLAX,0800,klax,KSFO
    const QList<double> none;
    const QByteArray same = "AC#12,N123,50%,24Hr,IFR,0600,KLAX,0800,klax,KSFO";
    QTest::newRow("Home AirPort takes the Then value without its blanks, in its own case")
        << 0 << QByteArray(" kbos ") << false << 0 << false << 0.0 << QByteArray() << none
        << QByteArray("AC#12,N123,50%,24Hr,IFR,0600,KLAX,0800,klax,kbos");
    QTest::newRow("AirCraft takes the number of the selected entry")
        << 1 << QByteArray("Airbus A320") << true << 33 << false << 0.0 << QByteArray() << none
        << QByteArray("AC#33,N123,50%,24Hr,IFR,0600,KLAX,0800,klax,KSFO");
    QTest::newRow("AirCraft with no entry selected leaves the number")
        << 1 << QByteArray("typed") << false << 33 << false << 0.0 << QByteArray() << none << same;
    QTest::newRow("AirCraft never gives a plan the number 0")
        << 1 << QByteArray("Blank entry") << true << 0 << false << 0.0 << QByteArray() << none
        << same;
    QTest::newRow("Percentage 75 gives 75")
        << 2 << QByteArray("75") << false << 0 << true << 75.0 << QByteArray() << none
        << QByteArray("AC#12,N123,75%,24Hr,IFR,0600,KLAX,0800,klax,KSFO");
    QTest::newRow("Percentage 12.5 goes to the even 12")
        << 2 << QByteArray("12.5") << false << 0 << true << 12.5 << QByteArray() << none
        << QByteArray("AC#12,N123,12%,24Hr,IFR,0600,KLAX,0800,klax,KSFO");
    QTest::newRow("Percentage 13.5 goes to the even 14")
        << 2 << QByteArray("13.5") << false << 0 << true << 13.5 << QByteArray() << none
        << QByteArray("AC#12,N123,14%,24Hr,IFR,0600,KLAX,0800,klax,KSFO");
    QTest::newRow("Percentage that is no number leaves the percentage")
        << 2 << QByteArray("lots") << false << 0 << false << 0.0 << QByteArray() << none << same;
    QTest::newRow("Percentage beyond 32767 leaves the percentage")
        << 2 << QByteArray("40000") << false << 0 << true << 40000.0 << QByteArray() << none
        << same;
    QTest::newRow("Percentage of -32768 is still taken")
        << 2 << QByteArray("-32768") << false << 0 << true << -32768.0 << QByteArray() << none
        << QByteArray("AC#12,N123,-32768%,24Hr,IFR,0600,KLAX,0800,klax,KSFO");
    QTest::newRow("Aircraft ID without placeholders is taken as it stands")
        << 3 << QByteArray("G-ABCD") << false << 0 << false << 0.0 << QByteArray() << none
        << QByteArray("AC#12,G-ABCD,50%,24Hr,IFR,0600,KLAX,0800,klax,KSFO");
    QTest::newRow("Aircraft ID with placeholders gets drawn characters")
        << 3 << QByteArray("N#&x") << false << 0 << false << 0.0 << QByteArray()
        << QList<double>{0.0, JustBelowOne}
        << QByteArray("AC#12,N1Zx,50%,24Hr,IFR,0600,KLAX,0800,klax,KSFO");
    QTest::newRow("Flight Frequency takes the Then value as typed, blanks included")
        << 4 << QByteArray("12Hr ") << false << 0 << false << 0.0 << QByteArray() << none
        << QByteArray("AC#12,N123,50%,12Hr ,IFR,0600,KLAX,0800,klax,KSFO");
    QTest::newRow("IFR_VFR takes the Then value")
        << 5 << QByteArray("VFR") << false << 0 << false << 0.0 << QByteArray() << none
        << QByteArray("AC#12,N123,50%,24Hr,VFR,0600,KLAX,0800,klax,KSFO");
    QTest::newRow("Visited AirPort replaces the And value, trimmed, at every place in the legs")
        << 6 << QByteArray("KBOS") << false << 0 << false << 0.0 << QByteArray(" KLAX ") << none
        << QByteArray("AC#12,N123,50%,24Hr,IFR,0600,KBOS,0800,KBOS,KSFO");
    QTest::newRow("Visited AirPort with an And value the legs lack leaves the legs")
        << 6 << QByteArray("KBOS") << false << 0 << false << 0.0 << QByteArray("KJFK") << none
        << same;
    QTest::newRow(
        "Visited AirPort with an empty And value and a code never ends, so changes nothing")
        << 6 << QByteArray("KBOS") << false << 0 << false << 0.0 << QByteArray("  ") << none
        << same;
    QTest::newRow("Visited AirPort with a Then value holding the old code from its third place "
                  "changes nothing")
        << 6 << QByteArray("XXKLAX") << false << 0 << false << 0.0 << QByteArray("KLAX") << none
        << same;
    QTest::newRow("No Then field changes nothing") << -1 << QByteArray("KBOS") << true << 33 << true
                                                   << 75.0 << QByteArray("KLAX") << none << same;
    QTest::newRow("A field beyond the Then box changes nothing")
        << 7 << QByteArray("KBOS") << true << 33 << true << 75.0 << QByteArray("KLAX") << none
        << same;
}

void TestRun::applyThen() {
    QFETCH(int, field);
    QFETCH(QByteArray, value);
    QFETCH(bool, hasTag);
    QFETCH(int, tag);
    QFETCH(bool, hasNumber);
    QFETCH(double, number);
    QFETCH(QByteArray, old);
    QFETCH(QList<double>, draws);
    QFETCH(QByteArray, line);

    FlightPlan plan = PlanFrom("12|N123|50|24Hr|IFR|KSFO|0600,KLAX,0800,klax");
    ThenChange change;
    change.Field = static_cast<int16_t>(field);
    change.Value = S(value);
    change.HasTag = hasTag;
    change.Tag = static_cast<int16_t>(tag);
    change.HasNumber = hasNumber;
    change.Number = number;
    change.Old = S(old);
    ScriptedRandom random(draws);
    ApplyThen(plan, change, random);
    QCOMPARE(B(DisplayLine(plan)), line);
    QCOMPARE(random.Used, draws.size());
    QVERIFY(!random.Overdrawn);
    QCOMPARE(B(change.Value), value);
}

void TestRun::replaceVisited_data() {
    QTest::addColumn<QByteArray>("legs");
    QTest::addColumn<QByteArray>("old");
    QTest::addColumn<QByteArray>("repl");
    QTest::addColumn<QByteArray>("result");

    QTest::newRow("KLAX twice and klax once all become KSFO")
        << QByteArray("0600,KLAX,0800,klax,1000,KLAX") << QByteArray("KLAX") << QByteArray("KSFO")
        << QByteArray("0600,KSFO,0800,KSFO,1000,KSFO");
    QTest::newRow("the inserted text keeps the case of the Then value")
        << QByteArray("0600,KLAX,0800") << QByteArray("klax") << QByteArray("Ksfo")
        << QByteArray("0600,Ksfo,0800");
    QTest::newRow("KLAXKLAX with the Then value X gives XKLAX, the search resuming past the X")
        << QByteArray("KLAXKLAX") << QByteArray("KLAX") << QByteArray("X") << QByteArray("XKLAX");
    QTest::newRow("an old code the legs lack leaves them unchanged")
        << QByteArray("0600,KLAX,0800") << QByteArray("KJFK") << QByteArray("KSFO")
        << QByteArray("0600,KLAX,0800");
    QTest::newRow("a blank after the replaced code and at the end of the legs is dropped")
        << QByteArray("0600,KLAX ,0800 ") << QByteArray("KLAX") << QByteArray("KSFO")
        << QByteArray("0600,KSFO,0800");
    QTest::newRow("a blank before the replaced code stays")
        << QByteArray("0600, KLAX,0800") << QByteArray("KLAX") << QByteArray("KSFO")
        << QByteArray("0600, KSFO,0800");
    QTest::newRow("the Then value goes in without its blanks")
        << QByteArray("0600,KLAX,0800") << QByteArray("KLAX") << QByteArray(" KSFO ")
        << QByteArray("0600,KSFO,0800");
    QTest::newRow("a code replaced by itself ends")
        << QByteArray("KLAX,KLAX") << QByteArray("KLAX") << QByteArray("klax")
        << QByteArray("klax,klax");
    QTest::newRow("a Then value holding the old code at its second place ends")
        << QByteArray("KLAX,KLAX") << QByteArray("KLAX") << QByteArray("XKLAX")
        << QByteArray("XKLAX,XKLAX");
    QTest::newRow("a Then value holding the old code at its start ends")
        << QByteArray("KLAX,KLAX") << QByteArray("KLAX") << QByteArray("KLAXX")
        << QByteArray("KLAXX,KLAXX");
    QTest::newRow("an empty old with a one-character Then value puts it before every other place")
        << QByteArray("ABC") << QByteArray() << QByteArray("X") << QByteArray("XAXBXC");
    QTest::newRow("an empty old with an empty Then value drops the blanks at the ends")
        << QByteArray("  AB ") << QByteArray() << QByteArray() << QByteArray("AB");
    QTest::newRow("an empty Then value removes the code and the blanks after it")
        << QByteArray("0600,KLAX ,0800") << QByteArray("KLAX") << QByteArray(" ")
        << QByteArray("0600,,0800");
    QTest::newRow("empty legs stay empty")
        << QByteArray() << QByteArray("KLAX") << QByteArray("KSFO") << QByteArray();
    QTest::newRow("an empty old with a two-character Then value leaves the legs")
        << QByteArray("ABC") << QByteArray() << QByteArray("XY") << QByteArray("ABC");
    QTest::newRow("a Then value holding the old code from its third place leaves the legs")
        << QByteArray("0600,KLAX") << QByteArray("KLAX") << QByteArray("XXklax")
        << QByteArray("0600,KLAX");
}

void TestRun::replaceVisited() {
    QFETCH(QByteArray, legs);
    QFETCH(QByteArray, old);
    QFETCH(QByteArray, repl);
    QFETCH(QByteArray, result);
    QCOMPARE(B(ReplaceVisited(S(legs), S(old), S(repl))), result);
}

void TestRun::visitedReplacementEnds_data() {
    QTest::addColumn<QByteArray>("old");
    QTest::addColumn<QByteArray>("repl");
    QTest::addColumn<bool>("ends");

    QTest::newRow("an empty old with a two-character Then value never ends")
        << QByteArray() << QByteArray("XY") << false;
    QTest::newRow("an empty old with a four-letter code never ends")
        << QByteArray() << QByteArray("KSFO") << false;
    QTest::newRow("an empty old with one character between blanks ends")
        << QByteArray() << QByteArray(" X ") << true;
    QTest::newRow("an empty old with an empty Then value ends")
        << QByteArray() << QByteArray() << true;
    QTest::newRow("a Then value holding old from its third character never ends")
        << QByteArray("KLAX") << QByteArray("XXKLAX") << false;
    QTest::newRow("a Then value holding old in another case from its third character never ends")
        << QByteArray("KLAX") << QByteArray("XXklax") << false;
    QTest::newRow("a one-letter old found at the third character never ends")
        << QByteArray("A") << QByteArray("XYA") << false;
    QTest::newRow("a Then value holding old at its second character ends")
        << QByteArray("KLAX") << QByteArray("XKLAX") << true;
    QTest::newRow("a Then value starting with old ends")
        << QByteArray("KLAX") << QByteArray("KLAXX") << true;
    QTest::newRow("blanks before the Then value don't count as its characters")
        << QByteArray("KLAX") << QByteArray("  KLAX") << true;
    QTest::newRow("a Then value without old ends")
        << QByteArray("KLAX") << QByteArray("KSFO") << true;
}

void TestRun::visitedReplacementEnds() {
    QFETCH(QByteArray, old);
    QFETCH(QByteArray, repl);
    QFETCH(bool, ends);
    QCOMPARE(VisitedReplacementEnds(S(old), S(repl)), ends);
}

// For many small inputs: where the replacement is accepted, a guarded step-by-step replacement
// ends within legs.size() + 1 replacements and gives the program's result; where it is refused, the
// program leaves the legs alone, and the guarded one runs into its guard whenever there is
// something to replace.
void TestRun::replacementEndsForEveryAcceptedInput() {
    std::mt19937 engine(7);
    int accepted = 0;
    int refusedEndless = 0;
    for (int i = 0; i < 40000; ++i) {
        const std::string legs = RandomText(engine, 9);
        const std::string old = RandomText(engine, 3);
        const std::string repl = RandomText(engine, 6);
        std::string expected;
        int replacements = 0;
        const bool ended = GuardedReplace(legs, old, repl, 200, expected, replacements);
        const QByteArray input = B("legs '" + legs + "' old '" + old + "' then '" + repl + "'");
        if (VisitedReplacementEnds(old, repl)) {
            ++accepted;
            QVERIFY2(ended, input.constData());
            QVERIFY2(replacements <= static_cast<int>(legs.size()) + 1, input.constData());
            QCOMPARE(B(ReplaceVisited(legs, old, repl)), B(expected));
        } else {
            QCOMPARE(B(ReplaceVisited(legs, old, repl)), B(legs));
            const bool endless =
                old.empty() ? !TrimBlanks(legs).empty() : FindNoCase(legs, old) != NotFound;
            if (endless) {
                ++refusedEndless;
                QVERIFY2(!ended, input.constData());
            }
        }
    }
    QVERIFY(accepted > 20000);
    QVERIFY(refusedEndless > 500);
}

// ---------------------------------------------------------------------------------------------
// Random identifiers

void TestRun::getRandomId_data() {
    QTest::addColumn<QByteArray>("pattern");
    QTest::addColumn<QList<double>>("draws");
    QTest::addColumn<QByteArray>("id");
    QTest::addColumn<QByteArray>("calls");

    QTest::newRow("the empty pattern gives the empty identifier after a reseed")
        << QByteArray() << QList<double>{} << QByteArray() << QByteArray("R");
    QTest::newRow("a pattern without placeholders comes back unchanged")
        << QByteArray("N123AB") << QList<double>{} << QByteArray("N123AB") << QByteArray("R");
    QTest::newRow("& with 0 gives A")
        << QByteArray("&") << QList<double>{0.0} << QByteArray("A") << QByteArray("RN");
    QTest::newRow("& with r just below 1 gives Z")
        << QByteArray("&") << QList<double>{JustBelowOne} << QByteArray("Z") << QByteArray("RN");
    QTest::newRow("# with 0 gives 1, never 0")
        << QByteArray("#") << QList<double>{0.0} << QByteArray("1") << QByteArray("RN");
    QTest::newRow("# with r just below 1 gives 9")
        << QByteArray("#") << QList<double>{JustBelowOne} << QByteArray("9") << QByteArray("RN");
    QTest::newRow("# with one ninth gives 2")
        << QByteArray("#") << QList<double>{1.0 / 9} << QByteArray("2") << QByteArray("RN");
    QTest::newRow("* with a first draw below one half takes a letter from the second")
        << QByteArray("*") << QList<double>{0.49, 0.5} << QByteArray("N") << QByteArray("RNN");
    QTest::newRow("* with a first draw of one half takes a digit from the second")
        << QByteArray("*") << QList<double>{0.5, 0.5} << QByteArray("5") << QByteArray("RNN");
    QTest::newRow("* with both draws just below 1 gives 9")
        << QByteArray("*") << QList<double>{JustBelowOne, JustBelowOne} << QByteArray("9")
        << QByteArray("RNN");
    QTest::newRow("N###&& takes its draws in position order")
        << QByteArray("N###&&") << QList<double>{0.5, 0.0, 0.999, 0.6, 0.1} << QByteArray("N519PC")
        << QByteArray("RNNNNN");
    QTest::newRow("x& keeps the lower-case x")
        << QByteArray("x&") << QList<double>{0.0} << QByteArray("xA") << QByteArray("RN");
    QTest::newRow("lower-case letters, 0, blanks, - and ? stay as they are")
        << QByteArray("ab0 -?") << QList<double>{} << QByteArray("ab0 -?") << QByteArray("R");
}

void TestRun::getRandomId() {
    QFETCH(QByteArray, pattern);
    QFETCH(QList<double>, draws);
    QFETCH(QByteArray, id);
    QFETCH(QByteArray, calls);

    ScriptedRandom random(draws);
    std::string IdStr = S(pattern);
    const std::string& result = GetRandomId(IdStr, random);
    QCOMPARE(&result, &IdStr);
    QCOMPARE(B(IdStr), id);
    QCOMPARE(random.Calls, calls);
    QVERIFY(!random.Overdrawn);
}

void TestRun::getRandomIdOverManyDraws() {
    TwisterRandom random;
    std::map<char, int> drawnLetters;
    std::map<char, int> drawnDigits;
    int starLetters = 0;
    int starDigits = 0;
    const int calls = 20000;
    for (int i = 0; i < calls; ++i) {
        std::string id = "N##&&**";
        GetRandomId(id, random);
        QCOMPARE(id.size(), std::size_t(7));
        QCOMPARE(id[0], 'N');
        for (int k : {1, 2}) {
            QVERIFY2(IsDigit19(id[k]), id.c_str());
            ++drawnDigits[id[k]];
        }
        for (int k : {3, 4}) {
            QVERIFY2(IsLetter(id[k]), id.c_str());
            ++drawnLetters[id[k]];
        }
        for (int k : {5, 6}) {
            QVERIFY2(IsLetter(id[k]) || IsDigit19(id[k]), id.c_str());
            (IsLetter(id[k]) ? starLetters : starDigits) += 1;
        }
    }
    QCOMPARE(random.Reseeds, calls);
    // 40000 draws for each kind: every letter about 1538 times, every digit about 4444 times.
    QCOMPARE(drawnLetters.size(), std::size_t(26));
    QCOMPARE(drawnDigits.size(), std::size_t(9));
    for (const auto& [c, n] : drawnLetters)
        QVERIFY2(n > 1300 && n < 1780, QByteArray(1, c).constData());
    for (const auto& [c, n] : drawnDigits)
        QVERIFY2(n > 4000 && n < 4900, QByteArray(1, c).constData());
    // The two "*" positions: about half letters and half digits.
    QCOMPARE(starLetters + starDigits, 2 * calls);
    QVERIFY2(starLetters > 19000 && starLetters < 21000, QByteArray::number(starLetters));
}

// ---------------------------------------------------------------------------------------------
// The walk

void TestRun::walkDecisions_data() {
    QTest::addColumn<QList<int>>("decisions");
    QTest::addColumn<QList<int>>("tested");
    QTest::addColumn<QList<int>>("reviewed");
    QTest::addColumn<QList<int>>("choiceOnEntry");
    QTest::addColumn<QList<int>>("changed");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<int>("choiceAfter");

    const QList<int> all{0, 1, 2, 3, 4};
    const QList<int> matches{0, 2, 3, 4};
    const QList<int> fresh{0, 0, 0, 0};
    QTest::newRow("Change This One changes each plan so decided, in table order")
        << QList<int>{1, 2, 1, 2} << all << matches << fresh << QList<int>{0, 3} << 5 << 2;
    QTest::newRow("Skip on every match changes nothing")
        << QList<int>{2, 2, 2, 2} << all << matches << fresh << QList<int>{} << 5 << 2;
    QTest::newRow("Change The Lot changes the rest, each later match arriving already decided")
        << QList<int>{2, 3, -1, -1} << all << matches << QList<int>{0, 0, 3, 3}
        << QList<int>{2, 3, 4} << 5 << 3;
    QTest::newRow("a Skip pressed during a lot skips that plan and the next match waits again")
        << QList<int>{3, 2, 1, 2} << all << matches << QList<int>{0, 3, 0, 0} << QList<int>{0, 3}
        << 5 << 2;
    QTest::newRow("Change This One pressed during a lot changes that plan and the next one waits")
        << QList<int>{3, 1, 2, 2} << all << matches << QList<int>{0, 3, 0, 0} << QList<int>{0, 2}
        << 5 << 2;
    QTest::newRow("Cancel ends the walk and leaves the cursor on the cancelled plan")
        << QList<int>{1, 4} << QList<int>{0, 1, 2} << QList<int>{0, 2} << QList<int>{0, 0}
        << QList<int>{0} << 2 << 4;
    QTest::newRow("Cancel during a lot leaves that plan and ends the walk")
        << QList<int>{3, 4} << QList<int>{0, 1, 2} << QList<int>{0, 2} << QList<int>{0, 3}
        << QList<int>{0} << 2 << 4;
    QTest::newRow("Cancel on the last match leaves the cursor on the last plan")
        << QList<int>{2, 2, 2, 4} << all << matches << fresh << QList<int>{} << 4 << 4;
}

void TestRun::walkDecisions() {
    QFETCH(QList<int>, decisions);
    QFETCH(QList<int>, tested);
    QFETCH(QList<int>, reviewed);
    QFETCH(QList<int>, choiceOnEntry);
    QFETCH(QList<int>, changed);
    QFETCH(int, cursor);
    QFETCH(int, choiceAfter);

    TrafficSet set;
    FillFive(set);
    RunState state = HomeAirportK();
    FakeHost host(set, state);
    host.Decisions = decisions;
    host.Then = RateTo("X");
    ScriptedRandom random;
    FindPlan(set, state, host, random);

    QCOMPARE(host.Events.first(), QString("started"));
    QCOMPARE(host.Events.last(), QString("ended"));
    QCOMPARE(host.Tested, tested);
    QCOMPARE(host.Reviewed, reviewed);
    QCOMPARE(host.ChoiceOnEntry, choiceOnEntry);
    QCOMPARE(PlansWithRate(set, "X"), changed);
    QCOMPARE(host.ThenReads, int(changed.size()));
    QCOMPARE(set.PlansChanged, !changed.isEmpty());
    QCOMPARE(set.PlanCursor, cursor);
    QCOMPARE(int(state.ReviewChoice), choiceAfter);
    QCOMPARE(B(state.Rule.IfValue), QByteArray("K"));
}

void TestRun::walkShowsThePlanLineWithoutItsComment() {
    TrafficSet set;
    set.PlanTable[0].Assign(12, "N123", 50, "24Hr", "IFR", "KLAX", "L", "//spring");
    RunState state;
    state.Rule.IfField = AircraftId;
    state.Rule.IfValue = "n123";
    state.Rule.AndField = 0;
    FakeHost host(set, state);
    host.Decisions = {2};
    ScriptedRandom random;
    FindPlan(set, state, host, random);
    QCOMPARE(host.Lines.size(), std::size_t(1));
    QCOMPARE(B(host.Lines[0]), QByteArray("AC#12,N123,50%,24Hr,IFR,L,KLAX"));
    QCOMPARE(host.Events, QStringList({"started", "test 0", "review 0", "ended"}));
}

void TestRun::walkAbandonedEndsWithoutChange_data() {
    QTest::addColumn<QList<int>>("decisions");
    QTest::addColumn<QList<int>>("changed");

    QTest::newRow("the window going away during a wait ends the walk with the plan unchanged")
        << QList<int>{2, 1} << QList<int>{};
    QTest::newRow("the window going away while a lot is changed leaves the plan on display")
        << QList<int>{3, -1} << QList<int>{0};
}

void TestRun::walkAbandonedEndsWithoutChange() {
    QFETCH(QList<int>, decisions);
    QFETCH(QList<int>, changed);

    TrafficSet set;
    FillFive(set);
    RunState state = HomeAirportK();
    FakeHost host(set, state);
    host.Decisions = decisions;
    host.Then = RateTo("X");
    host.DuringWait = [](FakeHost& h) {
        if (h.Set.PlanCursor == 2)
            h.State.Abandoned = true;
    };
    ScriptedRandom random;
    FindPlan(set, state, host, random);
    QCOMPARE(host.Reviewed, QList<int>({0, 2}));
    QCOMPARE(host.Tested, QList<int>({0, 1, 2}));
    QCOMPARE(PlansWithRate(set, "X"), changed);
    QCOMPARE(set.PlansChanged, !changed.isEmpty());
    QCOMPARE(host.Events.last(), QString("ended"));
}

void TestRun::walkOverNoPlanExaminesNothing() {
    TrafficSet set;
    set.PlanTable.Resize(0);
    set.LastPlan = -1;
    RunState state = HomeAirportK();
    state.Rule.IfValue = "";
    FakeHost host(set, state);
    ScriptedRandom random;
    FindPlan(set, state, host, random);
    QCOMPARE(host.Events, QStringList({"started", "ended"}));
    QCOMPARE(set.PlanCursor, 0);
    QVERIFY(!set.PlansChanged);
}

void TestRun::walkSetsPlansChangedEvenWhenNothingChanges_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<bool>("hasNumber");

    QTest::newRow("a Percentage that is no number still marks the plans changed")
        << int(Percentage) << false;
    QTest::newRow("no Then field still marks the plans changed") << int(NoField) << true;
}

void TestRun::walkSetsPlansChangedEvenWhenNothingChanges() {
    QFETCH(int, field);
    QFETCH(bool, hasNumber);

    TrafficSet set;
    FillFive(set);
    RunState state = HomeAirportK();
    FakeHost host(set, state);
    host.Decisions = {1, 2, 2, 2};
    host.Then.Field = static_cast<int16_t>(field);
    host.Then.Value = "lots";
    host.Then.HasNumber = hasNumber;
    host.Then.Number = 75;
    const QByteArray before = B(DisplayLine(set.PlanTable[0]));
    ScriptedRandom random;
    FindPlan(set, state, host, random);
    QVERIFY(set.PlansChanged);
    QCOMPARE(host.ThenReads, 1);
    QCOMPARE(B(DisplayLine(set.PlanTable[0])), before);
}

// The Then row is read after each wait: an edit made while a plan is on display counts for that
// plan and the later ones.
void TestRun::walkReadsThenAtEachChange() {
    TrafficSet set;
    FillFive(set);
    RunState state = HomeAirportK();
    FakeHost host(set, state);
    host.Decisions = {1, 3, -1, -1};
    host.Then = RateTo("X");
    host.DuringWait = [](FakeHost& h) {
        if (h.Set.PlanCursor == 2)
            h.Then = RateTo("Y");
        if (h.Set.PlanCursor == 4)
            h.Then = RateTo("Z");
    };
    ScriptedRandom random;
    FindPlan(set, state, host, random);
    QCOMPARE(PlansWithRate(set, "X"), QList<int>({0}));
    QCOMPARE(PlansWithRate(set, "Y"), QList<int>({2, 3}));
    QCOMPARE(PlansWithRate(set, "Z"), QList<int>({4}));
    QCOMPARE(host.Events, QStringList({"started", "test 0", "review 0", "then", "test 1", "test 2",
                                       "review 2", "then", "test 3", "review 3", "then", "test 4",
                                       "review 4", "then", "ended"}));
}

void TestRun::walkReadsTheBoundOnce() {
    TrafficSet set;
    FillFive(set);
    RunState state = HomeAirportK();
    FakeHost host(set, state);
    host.Decisions = {2, 2, 2, 2};
    host.DuringWait = [](FakeHost& h) { h.Set.LastPlan = 0; };
    ScriptedRandom random;
    FindPlan(set, state, host, random);
    QCOMPARE(host.Reviewed, QList<int>({0, 2, 3, 4}));
    QCOMPARE(set.PlanCursor, 5);
}

void TestRun::walkOverTheLotDrawsAnIdentifierPerPlan() {
    TrafficSet set;
    FillFive(set);
    RunState state = HomeAirportK();
    FakeHost host(set, state);
    host.Decisions = {3};
    host.Then.Field = AircraftId;
    host.Then.Value = "N&&&&&";
    TwisterRandom random;
    FindPlan(set, state, host, random);
    QCOMPARE(random.Reseeds, 4);
    QCOMPARE(B(host.Then.Value), QByteArray("N&&&&&"));
    QByteArrayList ids;
    for (int i : {0, 2, 3, 4}) {
        const QByteArray id = B(set.PlanTable[i].TailNum());
        QCOMPARE(id.size(), qsizetype(6));
        QVERIFY2(id.startsWith('N') && !ids.contains(id), id.constData());
        ids << id;
    }
    QCOMPARE(B(set.PlanTable[1].TailNum()), QByteArray("N102"));
}

// A load of a one-plan set while a plan is on display: the pending change lands on the plan at the
// cursor, and the walk stops at the end of the new table.
void TestRun::walkEndsWhenASmallerSetIsLoadedDuringAReview() {
    TrafficSet set;
    FillFive(set);
    RunState state = HomeAirportK();
    FakeHost host(set, state);
    host.Decisions = {2, 1};
    host.Then = RateTo("X");
    host.DuringWait = [](FakeHost& h) {
        if (h.Set.PlanCursor != 2)
            return;
        h.Set.PlanTable.Resize(1);
        h.Set.PlanTable[0] = PlanFrom("20|N200|50|24Hr|IFR|KLAX|L");
        h.Set.LastPlan = 0;
        h.Set.PlanCursor = 0;
    };
    ScriptedRandom random;
    FindPlan(set, state, host, random);
    QCOMPARE(host.Tested, QList<int>({0, 1, 2}));
    QCOMPARE(PlansWithRate(set, "X"), QList<int>({0}));
    QCOMPARE(set.PlanCursor, 1);
    QCOMPARE(host.Events.last(), QString("ended"));
}

// A save while a plan is on display walks the cursor past the last plan: there is no plan left to
// change and the walk ends.
void TestRun::walkChangesNothingWhenASaveMovedTheCursorPastTheEnd() {
    TrafficSet set;
    FillFive(set);
    RunState state = HomeAirportK();
    FakeHost host(set, state);
    host.Decisions = {1};
    host.Then = RateTo("X");
    host.DuringWait = [](FakeHost& h) { h.Set.PlanCursor = h.Set.LastPlan + 1; };
    ScriptedRandom random;
    FindPlan(set, state, host, random);
    QCOMPARE(PlansWithRate(set, "X"), QList<int>{});
    QCOMPARE(host.Tested, QList<int>({0}));
    QCOMPARE(set.PlanCursor, 6);
    QCOMPARE(host.Events.last(), QString("ended"));
}

QTEST_GUILESS_MAIN(TestRun)
#include "TestRun.moc"
