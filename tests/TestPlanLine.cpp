// The flight-plan line: cutting with SplitPlans, writing with JoinPlans, and the numbers inside it.

#include "support/ByteText.h"
#include "traffic/Numbers.h"
#include "traffic/PlanLine.h"

#include <QtTest>

#include <string>

using namespace tarvik;

namespace {

constexpr int Fails = 99999; // a ParseInt16 row whose text is refused

// The fields as Tag|TailNum|Pcent|Rate|Ivfr|TheRest|HPort|Cment.
QByteArray FieldsOf(const FlightPlan& p) {
    return QByteArray::number(p.Tag) + '|' + B(p.TailNum()) + '|' + QByteArray::number(p.Pcent) +
           '|' + B(p.Rate()) + '|' + B(p.Ivfr()) + '|' + B(p.TheRest()) + '|' + B(p.HPort()) + '|' +
           B(p.Cment());
}

FlightPlan PlanFrom(const QByteArray& fields) {
    const QList<QByteArray> f = fields.split('|');
    FlightPlan p;
    p.Assign(static_cast<int16_t>(f.value(0).toInt()), S(f.value(1)),
             static_cast<int16_t>(f.value(2).toInt()), S(f.value(3)), S(f.value(4)), S(f.value(6)),
             S(f.value(5)), S(f.value(7)));
    return p;
}

// Splits line into plan, as the load does with cleared outputs; returns SplitPlans' result.
bool Split(std::string& line, FlightPlan& plan) {
    int16_t tag = 0, pcent = 0;
    std::string tail, rate, ivfr, home, legs, comment;
    const bool ok = SplitPlans(line, tag, tail, pcent, rate, ivfr, home, legs, comment);
    plan.Assign(tag, tail, pcent, rate, ivfr, home, legs, comment);
    return ok;
}

} // namespace

class TestPlanLine : public QObject {
    Q_OBJECT

private slots:
    void splitPlans_data();
    void splitPlans();
    void joinPlans_data();
    void joinPlans();
    void storedLineComesBack_data();
    void storedLineComesBack();
    void parseInt16_data();
    void parseInt16();
};

void TestPlanLine::splitPlans_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("fields");
    QTest::addColumn<bool>("plan");
    QTest::addColumn<QByteArray>("inpAfter"); // empty: the line stays as it was
    auto row = [](const char* name, const char* line, const char* fields, bool plan = true,
                  const char* inp = "") {
        QTest::newRow(name) << QByteArray(line) << QByteArray(fields) << plan << QByteArray(inp);
    };
    row("the worked example gives all eight fields and loses its comment",
        "AC#12,N123AB,25%,12Hr,IFR,06:00,07:10,110,F,101,KSFO,KLAX//spring",
        "12|N123AB|25|12Hr|IFR|06:00,07:10,110,F,101,KSFO|KLAX|//spring", true,
        "AC#12,N123AB,25%,12Hr,IFR,06:00,07:10,110,F,101,KSFO,KLAX");
    row("a semicolon header is a comment line", "; header", "0||0|||||// header", true,
        "// header");
    row("a semicolon comment after the home airport is cut off",
        "AC#3,G-ABCD,50%,Week,VFR,X1,EGLL;spring", "3|G-ABCD|50|Week|VFR|X1|EGLL|//spring", true,
        "AC#3,G-ABCD,50%,Week,VFR,X1,EGLL");
    row("only the first semicolon is rewritten, the comment starts at the first //",
        "AC#3,N,5%,W,V,L,KLAX;a;b//c", "3|N|5|W|V|L|KLAX|//a;b//c", true, "AC#3,N,5%,W,V,L,KLAX");
    row("a three-letter home airport", "AC#3,N1,50%,Week,VFR,X1,LAX", "3|N1|50|Week|VFR|X1|LAX|");
    row("a blank before the comment stays with the home airport", "AC#3,N,5%,W,V,L,KLAX //x",
        "3|N|5|W|V|L|KLAX |//x", true, "AC#3,N,5%,W,V,L,KLAX ");
    row("a five-letter home airport", "AC#3,N,5%,W,V,L,EGLLX", "3|N|5|W|V|L|EGLLX|");
    row("the home airport starts after the first comma of the last five characters",
        "AC#3,N,5%,W,V,L,AB,C", "3|N|5|W|V|L|AB,C|");
    row("a home airport without legs", "AC#3,N1,50%,Week,VFR,KLAX", "3|N1|50|Week|VFR||KLAX|");
    row("a line without a comma sets nothing", "no comma;x//y", "0||0|||||", true,
        "no comma//x//y");
    row("aircraft number 0", "AC#0,N,5%,W,V,L,KLAX", "0|N|5|W|V|L|KLAX|");
    row("an empty aircraft number leaves Tag at 0", "AC#,N,5%,W,V,L,KLAX", "0|N|5|W|V|L|KLAX|");
    row("the first three characters are skipped unread", "xy?007,N,5%,W,V,L,KLAX",
        "7|N|5|W|V|L|KLAX|");
    row("a percentage without its sign is read whole", "AC#3,N,50,W,V,L,KLAX",
        "3|N|50|W|V|L|KLAX|");
    row("a percentage that is no number makes no plan", "AC#3,N,x%,W,V,L,KLAX", "3|N|0|W|V|L|KLAX|",
        false);
    row("no third comma makes no plan; later searches restart at the line's start", "AC#3,N1,50%",
        "3|N1|0|AC#3|N1||50%|", false);
    row("no fourth comma makes no plan", "AC#3,N1,50%,Week", "3|N1|50||AC#3|N1,50%|Week|", false);
    row("no fifth comma makes no plan", "AC#3,N1,50%,Week,XX", "3|N1|50|Week||k|XX|", false);
}

void TestPlanLine::splitPlans() {
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, inpAfter);
    std::string inp = S(line);
    FlightPlan plan;
    QTEST(Split(inp, plan), "plan");
    QTEST(FieldsOf(plan), "fields");
    QCOMPARE(B(inp), inpAfter.isEmpty() ? line : inpAfter);
}

void TestPlanLine::joinPlans_data() {
    QTest::addColumn<QByteArray>("fields");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("empty legs with a comment give the comment alone")
        << QByteArray("3|N|5|W|V||KLAX|// note") << QByteArray("// note");
    QTest::newRow("empty legs without a comment give all fields")
        << QByteArray("3|N|5|W|V||KLAX|") << QByteArray("AC#3,N,5%,W,V,,KLAX");
    QTest::newRow("the 16-bit extremes are written in full")
        << QByteArray("-32768|N|32767|W|V|L|KLAX|") << QByteArray("AC#-32768,N,32767%,W,V,L,KLAX");
}

void TestPlanLine::joinPlans() {
    QFETCH(QByteArray, fields);
    QFETCH(QByteArray, line);
    TrafficSet set;
    set.PlanTable.Resize(2);
    set.PlanTable[1] = PlanFrom(fields);
    QCOMPARE(B(JoinPlans(set, 1)), line);
    std::string appended = "before:";
    AppendPlanLine(set.PlanTable[1], appended);
    QCOMPARE(B(appended), "before:" + line);
}

void TestPlanLine::storedLineComesBack_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("written"); // empty: the line itself
    auto row = [](const char* name, const char* line, const char* written = "") {
        QTest::newRow(name) << QByteArray(line) << QByteArray(written);
    };
    row("the worked example comes back unchanged",
        "AC#12,N123AB,25%,12Hr,IFR,06:00,07:10,110,F,101,KSFO,KLAX//spring");
    row("a semicolon comment comes back as //", "AC#3,G-ABCD,50%,Week,VFR,X1,EGLL;spring",
        "AC#3,G-ABCD,50%,Week,VFR,X1,EGLL//spring");
    row("the aircraft number comes back plain", "ac#007,N,5%,W,V,L,KLAX", "AC#7,N,5%,W,V,L,KLAX");
    row("a percentage loses its blanks", "AC#3,N, 25 %,W,V,L,KLAX", "AC#3,N,25%,W,V,L,KLAX");
    row("a percentage without its sign gains it", "AC#3,N,50,W,V,L,KLAX", "AC#3,N,50%,W,V,L,KLAX");
    row("a fractional percentage is rounded", "AC#3,N,13.5%,W,V,L,KLAX", "AC#3,N,14%,W,V,L,KLAX");
    row("a home airport holding a comma comes back", "AC#3,N,5%,W,V,L,AB,C");
    row("8-bit bytes come back unchanged", "AC#3,\xE9,5%,W,V,\xFF,KLAX//\xE9t");
}

// The written line reads back as the same plan.
void TestPlanLine::storedLineComesBack() {
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, written);
    std::string inp = S(line);
    FlightPlan first, again;
    QVERIFY(Split(inp, first));
    QCOMPARE(B(JoinPlans(first)), written.isEmpty() ? line : written);
    std::string out = JoinPlans(first);
    QVERIFY(Split(out, again));
    QCOMPARE(FieldsOf(again), FieldsOf(first));
}

void TestPlanLine::parseInt16_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("value");
    auto row = [](const char* name, const char* text, int value) {
        QTest::newRow(name) << QByteArray(text) << value;
    };
    row("blanks around a signed number are allowed", "  -5  ", -5);
    row("a tab is no blank", "\t-5", Fails);
    row("a half goes down to the even neighbour", "12.5", 12);
    row("a half goes up to the even neighbour", "13.5", 14);
    row("a negative half goes away from zero to the even neighbour", "-13.5", -14);
    row("a half written with trailing zeros is still a half", "2.5000", 2);
    row("just above a half goes up", "2.5000001", 3);
    row("a fraction without a whole part", ".5", 0);
    row("the top of the range", "32767", 32767);
    row("the bottom of the range", "-32768", -32768);
    row("a half below the bottom rounds into the range", "-32768.5", -32768);
    row("one above the top fails", "32768", Fails);
    row("one below the bottom fails", "-32769", Fails);
    row("a half above the top rounds out of the range", "32767.5", Fails);
    row("a huge number fails rather than wrapping", "99999999999999999999", Fails);
    row("an empty text fails", "", Fails);
    row("trailing junk fails", "12a", Fails);
    row("a decimal comma is no decimal point", "1,5", Fails);
    row("an exponent is part of the number", "1e1", 10);
    row("a negative exponent can make a half", "25e-1", 2);
    row("an exponent without digits fails", "1e", Fails);
}

void TestPlanLine::parseInt16() {
    QFETCH(QByteArray, text);
    QFETCH(int, value);
    int16_t got = 777;
    QCOMPARE(ParseInt16(S(text), got), value != Fails);
    QCOMPARE(int(got), value != Fails ? value : 777);
}

QTEST_GUILESS_MAIN(TestPlanLine)
#include "TestPlanLine.moc"
