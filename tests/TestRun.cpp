// The rule run: the checks of OK, the Then change with the visited-airport replacement, the random
// identifiers, and the walk with its reviews.

#include "platform/ClockRandom.h"
#include "run/Change.h"
#include "run/RuleChecks.h"
#include "run/Walk.h"
#include "support/Rows.h"
#include "support/Traffic.h"
#include "traffic/PlanLine.h"

#include <QtTest>

#include <set>

using namespace tarvik;
using namespace tarvik::testing;

namespace {

// A rule row written "position:value", with "*" and the entry's aircraft number after the position
// when an entry of the value list is picked.
RowInput RowOf(const QByteArray& text) {
    const qsizetype colon = text.indexOf(':');
    const QList<QByteArray> head = text.left(colon).split('*');
    return {head[0].toInt(), S(text.mid(colon + 1)), head.size() > 1, head.value(1).toShort()};
}

// Hands out the draws written in text and records the calls: "R" a reseed, "N" a draw.
struct ScriptedRandom : RandomSource {
    explicit ScriptedRandom(const QByteArray& text) : Draws(text.split(' ')) {}
    QList<QByteArray> Draws;
    QByteArray Calls;
    void Reseed() override { Calls += 'R'; }
    double Next() override {
        Calls += 'N';
        return Draws.value(Calls.count('N') - 1, "-1").toDouble();
    }
};

// The window's side of a run: at each review it lets Event happen and presses the next of
// Decisions; it writes the trace that tests/data/find-plan.txt describes.
struct FakeHost : RunHost {
    FakeHost(TrafficSet& set, RunState& state) : Set(set), State(state) {}
    TrafficSet& Set;
    RunState& State;
    QList<QByteArray> Decisions;
    QByteArray Event, Trace, FirstLine;
    ThenChange Then;
    int Reviews = 0;

    void RunStarted() override { Trace += "["; }
    void PlanUnderTest(int32_t index) override { Trace += ' ' + QByteArray::number(index); }
    const ThenChange& ReadThen() override {
        Trace += " !";
        return Then;
    }
    void RunEnded() override { Trace += " ]"; }
    void AwaitDecision(std::string_view line) override {
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
        if (Reviews < Decisions.size())
            State.ReviewChoice = Decisions[Reviews].toShort();
        ++Reviews;
    }
};

} // namespace

class TestRun : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void ruleChecks_data() { AddRows("rule-checks.txt"); }
    void ruleChecks() {
        QFETCH(QByteArray, input);
        const QList<QByteArray> rows = input.split('|');
        TrafficSet set;
        const char* const airports[] = {"KLAX", "KSFO", "EGLL", " klgb ", "EGLLX", "K;SF"};
        for (const char* airport : airports)
            set.AirportTable.Add(airport);
        set.LastAirport = 5;
        const auto refusal = CheckRule({RowOf(rows[0]), RowOf(rows[1]), RowOf(rows[2])}, set);
        const char* const names[] = {"If", "And", "Then"};
        QTEST(refusal ? names[refusal->Row] + QByteArray(": ") + B(RefusalText(*refusal))
                      : QByteArray("runs"),
              "expected");
    }

    // One reading of a typed percentage in every row: OK refuses it, or the If and And rows match
    // the number that the Then row writes, rounded.
    void typedPercentages_data() { AddRows("typed-percentages.txt"); }
    void typedPercentages() {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, expected);
        const qsizetype bar = input.lastIndexOf('|');
        const RowInput typed{2, S(input.left(bar)), false, 0, input.at(bar + 1)};
        const char* const names[] = {"If=", "And=", "Then="};
        for (int row = IfRow; row <= ThenRow; ++row) {
            RuleInput rule{{0, ""}, {0, ""}, {3, "N1"}};
            (row == IfRow ? rule.If : row == AndRow ? rule.And : rule.Then) = typed;
            rule.And.Position += row == AndRow ? 1 : 0; // "NA" comes first in the And row
            const auto refusal = CheckRule(rule, TrafficSet());
            if (refusal) {
                QCOMPARE(refusal->Row, row);
                QCOMPARE(B(RefusalText(*refusal)),
                         "The '" + QByteArray(names[row]) + "' Percentage " + expected);
                continue;
            }
            const QList<QByteArray> numbers = expected.split(' ');
            RunRule captured;
            CaptureRule(rule, captured);
            FlightPlan plan = PlanFrom("1|N|50|D|I|KLAX|KSFO");
            ScriptedRandom random("0");
            ApplyThen(plan, ThenOf(rule.Then, rule.And.Value), random);
            const double matched = row == IfRow ? captured.IfNumber : captured.AndNumber;
            QCOMPARE(row == ThenRow ? QByteArray::number(plan.Pcent())
                                    : QByteArray::number(matched),
                     numbers.value(row == ThenRow ? 1 : 0));
        }
    }

    void applyThen_data() { AddRows("apply-then.txt"); }
    // The same change of a plan that still refers to the line it was read from and of one with a
    // line of its own.
    void applyThen() {
        QFETCH(QByteArray, input);
        const QList<QByteArray> parts = input.split('|');
        const QByteArray line = "AC#12,N,50%,D,I,KLAX,klax,KSFO";
        PlanCut cut;
        QVERIFY(CutPlan(S(line), cut));
        FlightPlan read;
        read.Refer(line.constData(), cut);
        for (FlightPlan plan : {read, PlanFrom("12|N|50|D|I|KLAX,klax|KSFO")}) {
            ScriptedRandom random("0 0.9999999999999999");
            ApplyThen(plan, ThenOf(RowOf(parts[0]), S(parts.value(1))), random);
            QTEST(B(DisplayLine(plan)), "expected");
            // Its fields are where a load of its line finds them.
            FlightPlan loaded;
            QVERIFY(CutPlan(plan.Text(), cut));
            loaded.Refer(plan.Text().data(), cut);
            QCOMPARE(FieldsOf(plan), FieldsOf(loaded));
        }
    }

    void changeBeyondTheLongestLine_data() {
        QTest::addColumn<int>("legs");
        QTest::addColumn<bool>("changed");
        QTest::newRow("a line that stays within a load's reach") << 8000 << true;
        QTest::newRow("a line that a load would stop at is put back") << 8300 << false;
    }
    // "A" visited legs times, each becoming "BBB": the saved line grows past 32,767 characters.
    void changeBeyondTheLongestLine() {
        QFETCH(int, legs);
        QFETCH(bool, changed);
        FlightPlan plan = PlanFrom("1|N|50|D|I|" + QByteArray("A,").repeated(legs) + "A|KSFO");
        const QByteArray before = FieldsOf(plan);
        ScriptedRandom random("0");
        ApplyThen(plan, ThenOf(RowOf("6:BBB"), "A"), random);
        QCOMPARE(FieldsOf(plan) != before, changed);
        QVERIFY(!changed || B(plan.TheRest()).startsWith("BBB,BBB"));
    }

    // A refused replacement leaves the legs as they are.
    void replaceVisited_data() { AddRows("replace-visited.txt"); }
    void replaceVisited() {
        QFETCH(QByteArray, input);
        const QList<QByteArray> f = input.split('|');
        const QByteArray replaced = B(ReplaceVisited(S(f[0]), S(f[1]), S(f[2])));
        const bool ends = VisitedReplacementEnds(S(f[1]), S(f[2]));
        QVERIFY(ends || replaced == f[0]);
        QTEST(ends ? replaced : QByteArray("refused"), "expected");
    }

    void getRandomId_data() { AddRows("random-id.txt"); }
    void getRandomId() {
        QFETCH(QByteArray, input);
        ScriptedRandom random(input.mid(input.indexOf('|') + 1));
        std::string id = S(input.left(input.indexOf('|')));
        QTEST(B(GetRandomId(id, random)) + " => " + random.Calls, "expected");
    }

    // Drawn back to back, most identifiers come within one tick of the clock, which the reseeds
    // must not make alike. Of 9^3 * 26^2 = 492,804 identifiers, 10,000 repeat about 100 by chance.
    void clockRandomGivesDistinctIdentifiers() {
        ClockRandom random;
        std::set<std::string> ids;
        for (int i = 0; i < 10000; ++i) {
            std::string id = "N###&&";
            ids.insert(GetRandomId(id, random));
        }
        QVERIFY2(ids.size() > 9800, qPrintable(QString::number(ids.size())));
    }

    // Every review shows the plan's line without its comment; the If airport is cut to its code.
    void findPlan_data() { AddRows("find-plan.txt"); }
    void findPlan() {
        QFETCH(QByteArray, input);
        const QByteArray event = input.mid(input.indexOf('|') + 1);
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
        host.Decisions = input.left(input.indexOf('|')).split(' ');
        host.Event = event;
        host.Then.Field = event == "no Then field" ? NoField : FlightFrequency;
        host.Then.Value = "X";
        ScriptedRandom random("");
        FindPlan(set, state, host, random);

        QByteArray rates;
        for (int32_t i = 0; i < set.PlanTable.Size(); ++i)
            rates += set.PlanTable[i].Rate() == "24Hr" ? "." : B(set.PlanTable[i].Rate());
        QTEST(host.Trace + " => " + rates + " => " + QByteArray::number(set.PlanCursor) + ' ' +
                  QByteArray::number(state.ReviewChoice),
              "expected");
        QCOMPARE(set.PlansChanged, host.Trace.contains('!'));
        QCOMPARE(B(state.Rule.IfValue), QByteArray(set.LastPlan < 0 ? "K?" : "K"));
        QVERIFY(!host.Reviews || host.FirstLine == "AC#12,N123,50%,24Hr,IFR,L,KLAX");
    }
};

QTEST_GUILESS_MAIN(TestRun)
#include "TestRun.moc"
