// The rule run: the If and And tests, the Then change with the visited-airport replacement, the
// random identifiers, and the walk with its reviews.

#include "run/Change.h"
#include "run/Match.h"
#include "run/RandomId.h"
#include "run/Rule.h"
#include "run/Walk.h"
#include "support/ByteText.h"
#include "traffic/Numbers.h"
#include "traffic/PlanLine.h"
#include "traffic/Text.h"

#include <QRegularExpression>
#include <QtTest>

#include <cmath>
#include <map>
#include <random>
#include <string>

using namespace tarvik;

namespace {

const double JustBelowOne = std::nextafter(1.0, 0.0);

// A plan written as Tag|TailNum|Pcent|Rate|Ivfr|TheRest|HPort|Cment.
FlightPlan PlanFrom(const QByteArray& text) {
    const QList<QByteArray> f = text.split('|');
    FlightPlan plan;
    plan.Assign(f.value(0).toShort(), S(f.value(1)), f.value(2).toShort(), S(f.value(3)),
                S(f.value(4)), S(f.value(6)), S(f.value(5)), S(f.value(7)));
    return plan;
}

// Hands out the scripted draws and records the calls: "R" for a reseed, "N" for a draw.
struct ScriptedRandom : RandomSource {
    explicit ScriptedRandom(QList<double> draws = {}) : Draws(std::move(draws)) {}
    QList<double> Draws;
    QByteArray Calls;
    void Reseed() override { Calls += 'R'; }
    double Next() override {
        Calls += 'N';
        return Draws.value(Calls.count('N') - 1, -1); // -1: drawn more often than scripted
    }
    bool Overdrawn() const { return Calls.count('N') > Draws.size(); }
};

// A real generator with a fixed seed; Reseed only counts.
struct TwisterRandom : RandomSource {
    std::mt19937_64 Engine{20240611};
    int Reseeds = 0;
    void Reseed() override { ++Reseeds; }
    double Next() override { return static_cast<double>(Engine() >> 11) / 9007199254740992.0; }
};

// The window's side of a run: a review notes the plan, lets Event happen and presses the next
// scripted decision (-1 presses nothing). Trace: "[" start, the index of each plan tested, "?" a
// review with the choice it found, "!" the Then row read, "]" end.
struct FakeHost : RunHost {
    FakeHost(TrafficSet& set, RunState& state) : Set(set), State(state) {}
    TrafficSet& Set;
    RunState& State;
    QList<int> Decisions;
    QByteArray Event, Trace, FirstLine;
    ThenChange Then;
    int Reviews = 0;

    void RunStarted() override { Trace += "["; }
    void PlanUnderTest(int32_t index) override { Trace += ' ' + QByteArray::number(index); }
    ThenChange ReadThen() override {
        Trace += " !";
        return Then;
    }
    void RunEnded() override { Trace += " ]"; }
    void AwaitDecision(const std::string& line) override {
        Trace += " ?" + (State.ReviewChoice ? QByteArray::number(State.ReviewChoice) : "");
        FirstLine = Reviews ? FirstLine : B(line);
        const int32_t at = Set.PlanCursor;
        if (Event == "window closed at 2" && at == 2)
            State.Abandoned = true;
        if (Event == "Then value edited at 2 and 4" && (at == 2 || at == 4))
            Then.Value = at == 2 ? "Y" : "Z";
        if (Event == "LastPlan set to 0")
            Set.LastPlan = 0;
        if (Event == "one plan loaded at 2" && at == 2) {
            Set.PlanTable.Resize(1);
            Set.LastPlan = Set.PlanCursor = 0;
        }
        if (Event == "cursor moved past the end")
            Set.PlanCursor = Set.LastPlan + 1;
        if (const int decision = Decisions.value(Reviews++, -1); decision >= 0)
            State.ReviewChoice = static_cast<int16_t>(decision);
    }
};

} // namespace

class TestRun : public QObject {
    Q_OBJECT

private slots:
    void meetsRule_data();
    void meetsRule();
    void applyThen_data();
    void applyThen();
    void replaceVisited_data();
    void replaceVisited();
    void replacementEndsWhereverItIsAccepted();
    void getRandomId_data();
    void getRandomId();
    void getRandomIdOverManyDraws();
    void findPlan_data();
    void findPlan();
};

void TestRun::meetsRule_data() {
    QTest::addColumn<QByteArray>("rule"); // If|field|value|tag|number or And|position|value|tag
    QTest::addColumn<QByteArray>("plan"); // empty: 12|N12345|50|24Hr|IFR|0600,klax|KLAX
    QTest::addColumn<bool>("meets");
    auto row = [](const char* name, const char* rule, bool meets, const char* plan = "") {
        QTest::newRow(name) << QByteArray(rule) << QByteArray(plan) << meets;
    };
    row("If Home AirPort KL meets a home airport written klax", "If|0|KL", true, "1||||||klax");
    row("If Home AirPort EG?? is cut to EG and meets EGLL", "If|0|EG??", true, "1||||||EGLL");
    row("If Home AirPort longer than the home airport does not meet it", "If|0|KLAXX", false);
    row("If AirCraft meets the plan with that aircraft number", "If|1|Boeing|12", true);
    row("If AirCraft compares numbers, not titles", "If|1|Boeing|13", false);
    row("If Percentage 50 meets a plan at 50", "If|2|50|0|50", true);
    row("If Percentage 50.5 does not meet a plan at 50", "If|2|50,5|0|50.5", false);
    row("If Aircraft ID n12345 meets N12345 ignoring case", "If|3|n12345", true);
    row("If Aircraft ID N1234 does not meet N12345", "If|3|N1234", false);
    row("If Flight Frequency 24hr meets 24Hr", "If|4|24hr", true);
    row("If IFR_VFR ifr meets IFR", "If|5|ifr", true);
    row("Visited AirPort is no If field and meets no plan", "If|6|klax", false);
    row("And NA meets every plan", "And|0|anything", true);
    row("And Home AirPort kl meets KLAX", "And|1|kl", true);
    row("And Home AirPort EG?? is not cut and does not meet EGLL", "And|1|EG??", false,
        "1||||||EGLL");
    row("And AirCraft meets the plan with that aircraft number", "And|2|Boeing|12", true);
    row("And AirCraft with another number does not meet it", "And|2|Boeing|13", false);
    row("And Percentage 50% meets a plan at 50", "And|3|50%", true);
    row("And Percentage 50.5 does not meet a plan at 50", "And|3|50.5", false);
    row("And Percentage that is no number meets a plan at 0", "And|3|half", true, "1|N|0");
    row("And Aircraft ID n12345 meets N12345", "And|4|n12345", true);
    row("And Aircraft ID N1234 does not meet N12345", "And|4|N1234", false);
    row("And Flight Frequency 24HR meets 24Hr", "And|5|24HR", true);
    row("And IFR_VFR Ifr meets IFR", "And|6|Ifr", true);
    row("And Visited AirPort KLAX meets legs holding klax", "And|7|KLAX", true);
    row("And Visited AirPort compares 8-bit letters exactly", "And|7|\xE9", false, "1|||||\xC9");
    row("And Visited AirPort does not fold [ into {", "And|7|{", false, "1|||||[");
    row("And Visited AirPort does not look at the home airport", "And|7|KLAX", false,
        "1|||||0600|KLAX");
    row("And Visited AirPort with an empty value does not meet empty legs", "And|7|", false,
        "1||||||KLAX");
    row("no And field meets no plan", "And|-1||12", false);
}

void TestRun::meetsRule() {
    QFETCH(QByteArray, rule);
    QFETCH(QByteArray, plan);
    const QList<QByteArray> r = rule.split('|');
    const bool isIf = r[0] == "If";
    RunRule run;
    (isIf ? run.IfField : run.AndField) = r[1].toShort();
    (isIf ? run.IfValue : run.AndValue) = S(r[2]);
    (isIf ? run.IfTag : run.AndTag) = r.value(3).toShort();
    run.IfNumber = r.value(4).toDouble();
    run.AndNumber = LeadingNumber(run.AndValue);
    const FlightPlan p = PlanFrom(plan.isEmpty() ? "12|N12345|50|24Hr|IFR|0600,klax|KLAX" : plan);
    QTEST(isIf ? MeetsIf(run, p) : MeetsAnd(run, p), "meets");
}

void TestRun::applyThen_data() {
    QTest::addColumn<QByteArray>("then"); // field|value|selected tag|number|And value
    QTest::addColumn<QByteArray>("line");
    auto row = [](const char* name, const char* then, const char* line) {
        QTest::newRow(name) << QByteArray(then) << QByteArray(line);
    };
    const char* same = "AC#12,N,50%,D,I,KLAX,klax,KSFO";
    row("Home AirPort takes the Then value trimmed", "0| kbos ", "AC#12,N,50%,D,I,KLAX,klax,kbos");
    row("AirCraft takes the selected entry's number", "1|A320|33",
        "AC#33,N,50%,D,I,KLAX,klax,KSFO");
    row("AirCraft without a selected entry changes nothing", "1|A320", same);
    row("AirCraft never writes the number 0", "1|A320|0", same);
    row("Percentage 12.5 goes to the even 12", "2|12.5||12.5", "AC#12,N,12%,D,I,KLAX,klax,KSFO");
    row("Percentage 13.5 goes to the even 14", "2|13.5||13.5", "AC#12,N,14%,D,I,KLAX,klax,KSFO");
    row("Percentage that is no number changes nothing", "2|lots", same);
    row("Percentage a half below -32768 is taken as -32768", "2|x||-32768.5",
        "AC#12,N,-32768%,D,I,KLAX,klax,KSFO");
    row("Percentage a half above 32767 changes nothing", "2|x||32767.5", same);
    row("Percentage infinite changes nothing", "2|x||inf", same);
    row("Percentage not a number changes nothing", "2|x||nan", same);
    row("Aircraft ID draws its placeholders", "3|N#&x", "AC#12,N1Zx,50%,D,I,KLAX,klax,KSFO");
    row("Flight Frequency takes the Then value untrimmed", "4|12Hr ",
        "AC#12,N,50%,12Hr ,I,KLAX,klax,KSFO");
    row("IFR_VFR takes the Then value", "5|VFR", "AC#12,N,50%,D,VFR,KLAX,klax,KSFO");
    row("Visited AirPort replaces the trimmed And value", "6|KBOS|||  KLAX ",
        "AC#12,N,50%,D,I,KBOS,KBOS,KSFO");
    row("Visited AirPort with an empty And value would never end", "6|KBOS||| ", same);
    row("no Then field changes nothing", "-1|KBOS|33|75|KLAX", same);
}

void TestRun::applyThen() {
    QFETCH(QByteArray, then);
    const QList<QByteArray> f = then.split('|');
    ThenChange change;
    change.Field = f[0].toShort();
    change.Value = S(f[1]);
    change.HasTag = !f.value(2).isEmpty();
    change.Tag = f.value(2).toShort();
    change.HasNumber = !f.value(3).isEmpty();
    change.Number = f.value(3).toDouble();
    change.Old = S(f.value(4));
    FlightPlan plan = PlanFrom("12|N|50|D|I|KLAX,klax|KSFO");
    ScriptedRandom random({0.0, JustBelowOne});
    ApplyThen(plan, change, random);
    QTEST(B(DisplayLine(plan)), "line");
    QVERIFY(!random.Overdrawn());
}

void TestRun::replaceVisited_data() {
    QTest::addColumn<QByteArray>("given"); // legs|old|Then value
    QTest::addColumn<QByteArray>("result");
    auto row = [](const char* name, const char* given, const char* result) {
        QTest::newRow(name) << QByteArray(given) << QByteArray(result);
    };
    const char* endless = "refused: would never end";
    row("KLAX twice and klax once become KSFO", "1,KLAX,2,klax,KLAX|KLAX|KSFO",
        "1,KSFO,2,KSFO,KSFO");
    row("the search resumes two characters into the text put in", "KLAXKLAX|KLAX|X", "XKLAX");
    row("an old code the legs lack leaves them", "0600,KLAX|KJFK|KSFO", "0600,KLAX");
    row("blanks at the seams go but one before the code stays", "1, KLAX ,2 |KLAX| KSFO ",
        "1, KSFO,2");
    row("old at the second character of the Then value ends", "KLAX,KLAX|KLAX|XKLAX",
        "XKLAX,XKLAX");
    row("an empty old puts one character before every other", "ABC||X", "XAXBXC");
    row("an empty old and Then value drop the blanks at the ends", "  AB ||", "AB");
    row("blanks before the Then value are not its characters", "1,KLAX|KLAX|  KLAX", "1,KLAX");
    row("an empty old with a two-character Then value", "ABC||XY", endless);
    row("old from the third character of the Then value", "1,KLAX|KLAX|XXklax", endless);
}

void TestRun::replaceVisited() {
    QFETCH(QByteArray, given);
    QFETCH(QByteArray, result);
    const QList<QByteArray> f = given.split('|');
    const bool ends = !result.startsWith("refused");
    QCOMPARE(VisitedReplacementEnds(S(f[1]), S(f[2])), ends);
    QCOMPARE(B(ReplaceVisited(S(f[0]), S(f[1]), S(f[2]))), ends ? result : f[0]);
}

// Over many small inputs, replacing step by step: an accepted input gives ReplaceVisited's result
// within legs.size() + 1 replacements, while refused ones often need more.
void TestRun::replacementEndsWhereverItIsAccepted() {
    std::mt19937 engine(7);
    auto text = [&](unsigned most) {
        std::string t(engine() % (most + 1), ' ');
        for (char& c : t)
            c = "AKLXk "[engine() % 6];
        return t;
    };
    int endless = 0;
    for (int i = 0; i < 20000; ++i) {
        const std::string legs = text(9), old = text(3), repl = text(6);
        std::string s = legs;
        std::size_t from = 0, at = 0, replaced = 0;
        while (replaced <= legs.size() + 1 && from < s.size() &&
               (at = FindNoCase(s, old, from)) != NotFound) {
            s = s.substr(0, at) + std::string(TrimBlanks(repl)) +
                std::string(TrimBlanks(std::string_view(s).substr(at + old.size())));
            from = at + 2;
            ++replaced;
        }
        const bool ended = replaced <= legs.size() + 1;
        const QByteArray input = B("'" + legs + "' '" + old + "' '" + repl + "'");
        if (VisitedReplacementEnds(old, repl))
            QVERIFY2(ended && ReplaceVisited(legs, old, repl) == s, input.constData());
        else
            endless += !ended;
    }
    QVERIFY(endless > 500);
}

void TestRun::getRandomId_data() {
    QTest::addColumn<QByteArray>("pattern");
    QTest::addColumn<QList<double>>("draws");
    QTest::addColumn<QByteArray>("id");
    QTest::addColumn<QByteArray>("calls");
    auto row = [](const char* name, const char* pattern, QList<double> draws, const char* id,
                  const char* calls) {
        QTest::newRow(name) << QByteArray(pattern) << draws << QByteArray(id) << QByteArray(calls);
    };
    row("the empty pattern gives the empty identifier after a reseed", "", {}, "", "R");
    row("a pattern without placeholders comes back unchanged", "N123AB", {}, "N123AB", "R");
    row("& gives A for 0 and Z for just below 1", "&&", {0.0, JustBelowOne}, "AZ", "RNN");
    row("# gives 1 for 0, never 0, and 9 for just below 1", "##", {0.0, JustBelowOne}, "19", "RNN");
    row("* below one half takes a letter from the next draw", "*", {0.49, 0.5}, "N", "RNN");
    row("* at one half takes a digit from the next draw", "*", {0.5, 0.5}, "5", "RNN");
    row("N###&& draws in position order", "N###&&", {0.5, 0.0, 0.999, 0.6, 0.1}, "N519PC",
        "RNNNNN");
    row("lower-case letters, 0, blanks, - and ? stay", "x&0 -?", {0.0}, "xA0 -?", "RN");
}

void TestRun::getRandomId() {
    QFETCH(QByteArray, pattern);
    QFETCH(QList<double>, draws);
    ScriptedRandom random(draws);
    std::string IdStr = S(pattern);
    QCOMPARE(&GetRandomId(IdStr, random), &IdStr);
    QTEST(B(IdStr), "id");
    QTEST(random.Calls, "calls");
    QVERIFY(!random.Overdrawn());
}

// Over many draws: the shape of every identifier, every letter and digit about equally often, and
// about half the "*" positions letters.
void TestRun::getRandomIdOverManyDraws() {
    TwisterRandom random;
    std::map<char, int> drawn;
    const QRegularExpression shape("^N[1-9]{2}[A-Z]{2}[A-Z1-9]{2}$");
    for (int i = 0; i < 20000; ++i) {
        std::string id = "N##&&**";
        QVERIFY2(shape.match(QString::fromLatin1(B(GetRandomId(id, random)))).hasMatch(),
                 id.data());
        for (char c : id.substr(1))
            ++drawn[c];
        drawn['*'] += (id[5] >= 'A') + (id[6] >= 'A');
    }
    QCOMPARE(random.Reseeds, 20000);
    for (char c = 'A'; c <= 'Z'; ++c) // about 40000 / 26 + 20000 / 26 = 2308
        QVERIFY2(drawn[c] > 2000 && drawn[c] < 2620, QByteArray(1, c).constData());
    for (char c = '1'; c <= '9'; ++c) // about 40000 / 9 + 20000 / 9 = 6667
        QVERIFY2(drawn[c] > 6150 && drawn[c] < 7180, QByteArray(1, c).constData());
    QVERIFY2(drawn['*'] > 19000 && drawn['*'] < 21000, QByteArray::number(drawn['*']));
}

void TestRun::findPlan_data() {
    QTest::addColumn<QList<int>>("decisions");
    QTest::addColumn<QByteArray>("event");
    QTest::addColumn<QByteArray>("trace");
    QTest::addColumn<QByteArray>("rates"); // each plan's Rate, "." where still 24Hr
    QTest::addColumn<int>("cursor");
    QTest::addColumn<int>("choice");
    auto row = [](const char* name, QList<int> decisions, const char* event, const char* trace,
                  const char* rates, int cursor, int choice) {
        QTest::newRow(name) << decisions << QByteArray(event) << QByteArray(trace)
                            << QByteArray(rates) << cursor << choice;
    };
    row("Change This One and Skip decide each plan in table order", {1, 2, 1, 2}, "",
        "[ 0 ? ! 1 2 ? 3 ? ! 4 ? 5 ]", "X..X..", 6, 0);
    row("Change The Lot changes the rest without waiting", {2, 3}, "",
        "[ 0 ? 1 2 ? ! 3 ?3 ! 4 ?3 ! 5 ]", "..XXX.", 6, 3);
    row("Skip during a lot skips that plan and the next match waits", {3, 2, 1, 2}, "",
        "[ 0 ? ! 1 2 ?3 3 ? ! 4 ? 5 ]", "X..X..", 6, 0);
    row("Cancel ends the walk on the cancelled plan", {1, 4}, "", "[ 0 ? ! 1 2 ? ]", "X.....", 2,
        4);
    row("Cancel during a lot leaves that plan", {3, 4}, "", "[ 0 ? ! 1 2 ?3 ]", "X.....", 2, 4);
    row("the window closing during a lot ends the walk without a change", {3}, "window closed at 2",
        "[ 0 ? ! 1 2 ?3 ]", "X.....", 2, 3);
    row("a set without plans is not walked", {}, "no plans", "[ ]", "", 0, 0);
    row("no Then field still marks the plans changed", {1, 2, 2, 2}, "no Then field",
        "[ 0 ? ! 1 2 ? 3 ? 4 ? 5 ]", "......", 6, 0);
    row("the Then row is read at each change", {1, 3}, "Then value edited at 2 and 4",
        "[ 0 ? ! 1 2 ? ! 3 ?3 ! 4 ?3 ! 5 ]", "X.YYZ.", 6, 3);
    row("the bound is read once", {2, 2, 2, 2}, "LastPlan set to 0", "[ 0 ? 1 2 ? 3 ? 4 ? 5 ]",
        "......", 6, 0);
    row("a smaller set loaded during a review ends the walk", {2, 1}, "one plan loaded at 2",
        "[ 0 ? 1 2 ? ! ]", "X", 1, 1);
    row("a save that moved the cursor past the end ends the walk", {1}, "cursor moved past the end",
        "[ 0 ? ! ]", "......", 7, 1);
}

// If "Home AirPort" K? And "IFR_VFR" ifr over six plans: the If row meets all but EGLL at 1, the
// And row all but the VFR plan at 5.
void TestRun::findPlan() {
    QFETCH(QByteArray, event);
    QFETCH(QByteArray, trace);
    TrafficSet set;
    set.PlanTable.Resize(event == "no plans" ? 0 : 6);
    set.LastPlan = set.PlanTable.Size() - 1;
    for (int i = 0; i <= set.LastPlan; ++i)
        set.PlanTable[i] =
            PlanFrom(QByteArray("12|N123|50|24Hr|") + (i == 5 ? "VFR" : "IFR") + "|L|" +
                     QByteArray("KLAXEGLLKSFOklgaKBOSKJFK").mid(4 * i, 4) + "|//spring");
    RunState state;
    state.Rule = {HomeAirport, "K?", 0, 0, IfrVfr + 1, "ifr", 0};
    FakeHost host(set, state);
    QFETCH(QList<int>, decisions);
    host.Decisions = decisions;
    host.Event = event;
    host.Then.Field = event == "no Then field" ? NoField : FlightFrequency;
    host.Then.Value = "X";
    ScriptedRandom random;
    FindPlan(set, state, host, random);

    QCOMPARE(host.Trace, trace);
    QByteArray rates;
    for (int32_t i = 0; i < set.PlanTable.Size(); ++i)
        rates += set.PlanTable[i].Rate() == "24Hr" ? "." : B(set.PlanTable[i].Rate());
    QTEST(rates, "rates");
    QTEST(int(set.PlanCursor), "cursor");
    QTEST(int(state.ReviewChoice), "choice");
    QCOMPARE(set.PlansChanged, trace.contains('!'));
    QCOMPARE(B(state.Rule.IfValue), QByteArray(set.LastPlan < 0 ? "K?" : "K"));
    if (host.Reviews > 0)
        QCOMPARE(host.FirstLine, QByteArray("AC#12,N123,50%,24Hr,IFR,L,KLAX"));
}

QTEST_GUILESS_MAIN(TestRun)
#include "TestRun.moc"
