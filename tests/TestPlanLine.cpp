// The flight-plan line: cutting with SplitPlans, writing with JoinPlans, the numbers inside it and
// the byte-string helpers the line format leans on.

#include "traffic/Numbers.h"
#include "traffic/PlanLine.h"
#include "traffic/Text.h"

#include <QtTest>

#include <cmath>
#include <limits>
#include <string>

using namespace tarvik;

namespace {

QByteArray B(std::string_view s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}
std::string S(const QByteArray& b) {
    return std::string(b.constData(), b.size());
}

struct Split {
    std::string INP;
    int16_t Tag = 0;
    int16_t Pcent = 0;
    std::string TailNum, Rate, Ivfr, HPort, TheRest, Cment;
    bool Whole = false;
};

Split SplitLine(const QByteArray& line) {
    Split r;
    r.INP = S(line);
    r.Whole =
        SplitPlans(r.INP, r.Tag, r.TailNum, r.Pcent, r.Rate, r.Ivfr, r.HPort, r.TheRest, r.Cment);
    return r;
}

FlightPlan PlanOf(const Split& s) {
    FlightPlan p;
    p.Assign(s.Tag, s.TailNum, s.Pcent, s.Rate, s.Ivfr, s.HPort, s.TheRest, s.Cment);
    return p;
}

} // namespace

class TestPlanLine : public QObject {
    Q_OBJECT

private slots:
    void splitPlans_data();
    void splitPlans();
    void joinPlans_data();
    void joinPlans();
    void joinPlansByIndex();
    void storedLineComesBack_data();
    void storedLineComesBack();
    void displayLine_data();
    void displayLine();
    void parseInt16_data();
    void parseInt16();
    void roundToInt16_data();
    void roundToInt16();
    void findNoCase_data();
    void findNoCase();
    void caseFolding_data();
    void caseFolding();
    void trimBlanks_data();
    void trimBlanks();
};

void TestPlanLine::splitPlans_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("tag");
    QTest::addColumn<QByteArray>("tailNum");
    QTest::addColumn<int>("pcent");
    QTest::addColumn<QByteArray>("rate");
    QTest::addColumn<QByteArray>("ivfr");
    QTest::addColumn<QByteArray>("theRest");
    QTest::addColumn<QByteArray>("hPort");
    QTest::addColumn<QByteArray>("cment");
    QTest::addColumn<QByteArray>("inpAfter");
    QTest::addColumn<bool>("whole");

    QTest::newRow("a full line with a comment gives all eight fields")
        << QByteArray("AC#12,N123AB,25%,12Hr,IFR,06:00,07:10,110,F,101,KSFO,KLAX//spring") << 12
        << QByteArray("N123AB") << 25 << QByteArray("12Hr") << QByteArray("IFR")
        << QByteArray("06:00,07:10,110,F,101,KSFO") << QByteArray("KLAX") << QByteArray("//spring")
        << QByteArray("AC#12,N123AB,25%,12Hr,IFR,06:00,07:10,110,F,101,KSFO,KLAX") << true;
    QTest::newRow("a line without a comment leaves the comment empty")
        << QByteArray("AC#3,N417QX,100%,24Hr,IFR,06:40,08:05,270,F,4121,KSEA,09:10,10:30,270,F,"
                      "4122,KPDX")
        << 3 << QByteArray("N417QX") << 100 << QByteArray("24Hr") << QByteArray("IFR")
        << QByteArray("06:40,08:05,270,F,4121,KSEA,09:10,10:30,270,F,4122") << QByteArray("KPDX")
        << QByteArray()
        << QByteArray("AC#3,N417QX,100%,24Hr,IFR,06:40,08:05,270,F,4121,KSEA,"
                      "09:10,10:30,270,F,4122,KPDX")
        << true;
    QTest::newRow("a semicolon header becomes a comment line with only the comment set")
        << QByteArray("; header") << 0 << QByteArray() << 0 << QByteArray() << QByteArray()
        << QByteArray() << QByteArray() << QByteArray("// header") << QByteArray("// header")
        << true;
    QTest::newRow("a line starting with two slashes is a comment line whatever follows")
        << QByteArray("//AC#3,N1,50%,Week,VFR,X1,KLAX") << 0 << QByteArray() << 0 << QByteArray()
        << QByteArray() << QByteArray() << QByteArray()
        << QByteArray("//AC#3,N1,50%,Week,VFR,X1,KLAX")
        << QByteArray("//AC#3,N1,50%,Week,VFR,X1,KLAX") << true;
    QTest::newRow("a semicolon comment after the home airport is rewritten and cut off")
        << QByteArray("AC#3,G-ABCD,50%,Week,VFR,X1,EGLL;spring") << 3 << QByteArray("G-ABCD") << 50
        << QByteArray("Week") << QByteArray("VFR") << QByteArray("X1") << QByteArray("EGLL")
        << QByteArray("//spring") << QByteArray("AC#3,G-ABCD,50%,Week,VFR,X1,EGLL") << true;
    QTest::newRow("only the first semicolon is rewritten")
        << QByteArray("AC#3,N1,50%,Week,VFR,X1,KLAX;a;b") << 3 << QByteArray("N1") << 50
        << QByteArray("Week") << QByteArray("VFR") << QByteArray("X1") << QByteArray("KLAX")
        << QByteArray("//a;b") << QByteArray("AC#3,N1,50%,Week,VFR,X1,KLAX") << true;
    QTest::newRow("commas inside the comment leave a whole line alone")
        << QByteArray("AC#3,N1,50%,Week,VFR,X1,KLAX//a,b,c") << 3 << QByteArray("N1") << 50
        << QByteArray("Week") << QByteArray("VFR") << QByteArray("X1") << QByteArray("KLAX")
        << QByteArray("//a,b,c") << QByteArray("AC#3,N1,50%,Week,VFR,X1,KLAX") << true;
    QTest::newRow("a three-letter home airport")
        << QByteArray("AC#3,N1,50%,Week,VFR,X1,LAX") << 3 << QByteArray("N1") << 50
        << QByteArray("Week") << QByteArray("VFR") << QByteArray("X1") << QByteArray("LAX")
        << QByteArray() << QByteArray("AC#3,N1,50%,Week,VFR,X1,LAX") << true;
    QTest::newRow("a blank before the comment stays with the home airport")
        << QByteArray("AC#3,N1,50%,Week,VFR,X1,KLAX //x") << 3 << QByteArray("N1") << 50
        << QByteArray("Week") << QByteArray("VFR") << QByteArray("X1") << QByteArray("KLAX ")
        << QByteArray("//x") << QByteArray("AC#3,N1,50%,Week,VFR,X1,KLAX ") << true;
    QTest::newRow("a five-letter home airport has no comma in the last five characters")
        << QByteArray("AC#3,N1,50%,Week,VFR,X1,EGLLX") << 3 << QByteArray("N1") << 50
        << QByteArray("Week") << QByteArray("VFR") << QByteArray("X1") << QByteArray("EGLLX")
        << QByteArray() << QByteArray("AC#3,N1,50%,Week,VFR,X1,EGLLX") << true;
    QTest::newRow("a longer home airport is cut to the last five characters")
        << QByteArray("AC#3,N1,50%,Week,VFR,X1,ABCDEFG") << 3 << QByteArray("N1") << 50
        << QByteArray("Week") << QByteArray("VFR") << QByteArray("X1,A") << QByteArray("CDEFG")
        << QByteArray() << QByteArray("AC#3,N1,50%,Week,VFR,X1,ABCDEFG") << true;
    QTest::newRow("the home airport is cut at the first comma in the last five characters")
        << QByteArray("AC#3,N1,50%,Week,VFR,X1,AB,C") << 3 << QByteArray("N1") << 50
        << QByteArray("Week") << QByteArray("VFR") << QByteArray("X1") << QByteArray("AB,C")
        << QByteArray() << QByteArray("AC#3,N1,50%,Week,VFR,X1,AB,C") << true;
    QTest::newRow("a comma just before the line end gives an empty home airport")
        << QByteArray("AC#3,N1,50%,Week,VFR,X1,KLAX,") << 3 << QByteArray("N1") << 50
        << QByteArray("Week") << QByteArray("VFR") << QByteArray("X1,KLAX") << QByteArray()
        << QByteArray() << QByteArray("AC#3,N1,50%,Week,VFR,X1,KLAX,") << true;
    QTest::newRow("a home airport without legs leaves the legs empty")
        << QByteArray("AC#3,N1,50%,Week,VFR,KLAX") << 3 << QByteArray("N1") << 50
        << QByteArray("Week") << QByteArray("VFR") << QByteArray() << QByteArray("KLAX")
        << QByteArray() << QByteArray("AC#3,N1,50%,Week,VFR,KLAX") << true;
    QTest::newRow("a line without a comma sets nothing, not even its comment")
        << QByteArray("no commas here//x") << 0 << QByteArray() << 0 << QByteArray() << QByteArray()
        << QByteArray() << QByteArray() << QByteArray() << QByteArray("no commas here//x") << true;
    QTest::newRow("a line without a comma still has its semicolon rewritten")
        << QByteArray("abc;def") << 0 << QByteArray() << 0 << QByteArray() << QByteArray()
        << QByteArray() << QByteArray() << QByteArray() << QByteArray("abc//def") << true;
    QTest::newRow("a line of blanks sets nothing")
        << QByteArray("   ") << 0 << QByteArray() << 0 << QByteArray() << QByteArray()
        << QByteArray() << QByteArray() << QByteArray() << QByteArray("   ") << true;
    QTest::newRow("aircraft number 0 leaves Tag at 0")
        << QByteArray("AC#0,N1,50%,Week,VFR,X1,KLAX") << 0 << QByteArray("N1") << 50
        << QByteArray("Week") << QByteArray("VFR") << QByteArray("X1") << QByteArray("KLAX")
        << QByteArray() << QByteArray("AC#0,N1,50%,Week,VFR,X1,KLAX") << true;
    QTest::newRow("an empty aircraft number leaves Tag at 0")
        << QByteArray("AC#,N1,50%,Week,VFR,X1,KLAX") << 0 << QByteArray("N1") << 50
        << QByteArray("Week") << QByteArray("VFR") << QByteArray("X1") << QByteArray("KLAX")
        << QByteArray() << QByteArray("AC#,N1,50%,Week,VFR,X1,KLAX") << true;
    QTest::newRow("an aircraft number beyond 16 bits leaves Tag at 0")
        << QByteArray("AC#40000,N1,50%,Week,VFR,X1,KLAX") << 0 << QByteArray("N1") << 50
        << QByteArray("Week") << QByteArray("VFR") << QByteArray("X1") << QByteArray("KLAX")
        << QByteArray() << QByteArray("AC#40000,N1,50%,Week,VFR,X1,KLAX") << true;
    QTest::newRow("the first three characters are skipped unread")
        << QByteArray("xy?007,N1,50%,Week,VFR,X1,KLAX") << 7 << QByteArray("N1") << 50
        << QByteArray("Week") << QByteArray("VFR") << QByteArray("X1") << QByteArray("KLAX")
        << QByteArray() << QByteArray("xy?007,N1,50%,Week,VFR,X1,KLAX") << true;
    QTest::newRow("a signed aircraft number with blanks around it")
        << QByteArray("AC# -5 ,N1,50%,Week,VFR,X1,KLAX") << -5 << QByteArray("N1") << 50
        << QByteArray("Week") << QByteArray("VFR") << QByteArray("X1") << QByteArray("KLAX")
        << QByteArray() << QByteArray("AC# -5 ,N1,50%,Week,VFR,X1,KLAX") << true;
    QTest::newRow("a percentage with blanks around it and before its sign")
        << QByteArray("AC#3,N1, 25 %,Week,VFR,X1,KLAX") << 3 << QByteArray("N1") << 25
        << QByteArray("Week") << QByteArray("VFR") << QByteArray("X1") << QByteArray("KLAX")
        << QByteArray() << QByteArray("AC#3,N1, 25 %,Week,VFR,X1,KLAX") << true;
    QTest::newRow("a percentage written without its sign is read whole")
        << QByteArray("AC#3,N1,50,Week,VFR,X1,KLAX") << 3 << QByteArray("N1") << 50
        << QByteArray("Week") << QByteArray("VFR") << QByteArray("X1") << QByteArray("KLAX")
        << QByteArray() << QByteArray("AC#3,N1,50,Week,VFR,X1,KLAX") << true;
    QTest::newRow("a half in the percentage goes down to the even neighbour")
        << QByteArray("AC#3,N1,12.5%,Week,VFR,X1,KLAX") << 3 << QByteArray("N1") << 12
        << QByteArray("Week") << QByteArray("VFR") << QByteArray("X1") << QByteArray("KLAX")
        << QByteArray() << QByteArray("AC#3,N1,12.5%,Week,VFR,X1,KLAX") << true;
    QTest::newRow("a half in the percentage goes up to the even neighbour")
        << QByteArray("AC#3,N1,13.5%,Week,VFR,X1,KLAX") << 3 << QByteArray("N1") << 14
        << QByteArray("Week") << QByteArray("VFR") << QByteArray("X1") << QByteArray("KLAX")
        << QByteArray() << QByteArray("AC#3,N1,13.5%,Week,VFR,X1,KLAX") << true;
    QTest::newRow("a percentage that is no number makes the line no plan")
        << QByteArray("AC#3,N1,abc%,Week,VFR,X1,KLAX") << 3 << QByteArray("N1") << 0
        << QByteArray("Week") << QByteArray("VFR") << QByteArray("X1") << QByteArray("KLAX")
        << QByteArray() << QByteArray("AC#3,N1,abc%,Week,VFR,X1,KLAX") << false;
    QTest::newRow("a percentage sign alone makes the line no plan")
        << QByteArray("AC#3,N1,%,Week,VFR,X1,KLAX") << 3 << QByteArray("N1") << 0
        << QByteArray("Week") << QByteArray("VFR") << QByteArray("X1") << QByteArray("KLAX")
        << QByteArray() << QByteArray("AC#3,N1,%,Week,VFR,X1,KLAX") << false;
    QTest::newRow("an empty percentage field makes the line no plan")
        << QByteArray("AC#3,N1,,Week,VFR,X1,KLAX") << 3 << QByteArray("N1") << 0
        << QByteArray("Week") << QByteArray("VFR") << QByteArray("X1") << QByteArray("KLAX")
        << QByteArray() << QByteArray("AC#3,N1,,Week,VFR,X1,KLAX") << false;
    QTest::newRow("a percentage beyond 16 bits makes the line no plan")
        << QByteArray("AC#3,N1,40000%,Week,VFR,X1,KLAX") << 3 << QByteArray("N1") << 0
        << QByteArray("Week") << QByteArray("VFR") << QByteArray("X1") << QByteArray("KLAX")
        << QByteArray() << QByteArray("AC#3,N1,40000%,Week,VFR,X1,KLAX") << false;
    // After a missing comma the next search starts again at position 1 and finds the first comma.
    QTest::newRow("with one comma the rules field is read from the line's start")
        << QByteArray("AC#3,N1") << 3 << QByteArray() << 0 << QByteArray() << QByteArray("AC#3")
        << QByteArray() << QByteArray("N1") << QByteArray() << QByteArray("AC#3,N1") << false;
    QTest::newRow("with two commas the frequency is read from the line's start")
        << QByteArray("AC#3,N1,50%") << 3 << QByteArray("N1") << 0 << QByteArray("AC#3")
        << QByteArray("N1") << QByteArray() << QByteArray("50%") << QByteArray()
        << QByteArray("AC#3,N1,50%") << false;
    QTest::newRow("with three commas the legs repeat the line and the line is no plan")
        << QByteArray("AC#3,N1,50%,Week") << 3 << QByteArray("N1") << 50 << QByteArray()
        << QByteArray("AC#3") << QByteArray("N1,50%") << QByteArray("Week") << QByteArray()
        << QByteArray("AC#3,N1,50%,Week") << false;
    QTest::newRow(
        "with four commas the legs come from the last five characters and the line is no plan")
        << QByteArray("AC#3,N1,50%,Week,XX") << 3 << QByteArray("N1") << 50 << QByteArray("Week")
        << QByteArray() << QByteArray("k") << QByteArray("XX") << QByteArray()
        << QByteArray("AC#3,N1,50%,Week,XX") << false;
    QTest::newRow("the comment begins at the first double slash even inside the legs")
        << QByteArray("AC#3,N1,50%,Week,VFR,http://x,KLAX") << 3 << QByteArray("N1") << 50
        << QByteArray("Week") << QByteArray("VFR") << QByteArray() << QByteArray("http:")
        << QByteArray("//x,KLAX") << QByteArray("AC#3,N1,50%,Week,VFR,http:") << true;
    QTest::newRow("8-bit bytes pass through unchanged")
        << QByteArray("AC#3,N\xE9\xFF,50%,Week,VFR,X\x80"
                      "1,KLAX//caf\xE9")
        << 3 << QByteArray("N\xE9\xFF") << 50 << QByteArray("Week") << QByteArray("VFR")
        << QByteArray("X\x80"
                      "1")
        << QByteArray("KLAX") << QByteArray("//caf\xE9")
        << QByteArray("AC#3,N\xE9\xFF,50%,Week,VFR,X\x80"
                      "1,KLAX")
        << true;
}

void TestPlanLine::splitPlans() {
    QFETCH(QByteArray, line);
    const Split r = SplitLine(line);
    QTEST(static_cast<int>(r.Tag), "tag");
    QTEST(B(r.TailNum), "tailNum");
    QTEST(static_cast<int>(r.Pcent), "pcent");
    QTEST(B(r.Rate), "rate");
    QTEST(B(r.Ivfr), "ivfr");
    QTEST(B(r.TheRest), "theRest");
    QTEST(B(r.HPort), "hPort");
    QTEST(B(r.Cment), "cment");
    QTEST(B(r.INP), "inpAfter");
    QTEST(r.Whole, "whole");
}

void TestPlanLine::joinPlans_data() {
    QTest::addColumn<int>("tag");
    QTest::addColumn<QByteArray>("tailNum");
    QTest::addColumn<int>("pcent");
    QTest::addColumn<QByteArray>("rate");
    QTest::addColumn<QByteArray>("ivfr");
    QTest::addColumn<QByteArray>("hPort");
    QTest::addColumn<QByteArray>("theRest");
    QTest::addColumn<QByteArray>("cment");
    QTest::addColumn<QByteArray>("line");

    QTest::newRow("the comment follows the home airport with nothing between")
        << 12 << QByteArray("N123AB") << 25 << QByteArray("12Hr") << QByteArray("IFR")
        << QByteArray("KLAX") << QByteArray("06:00,07:10,110,F,101,KSFO") << QByteArray("//spring")
        << QByteArray("AC#12,N123AB,25%,12Hr,IFR,06:00,07:10,110,F,101,KSFO,KLAX//spring");
    QTest::newRow("a plan without a comment ends with its home airport")
        << 3 << QByteArray("N1") << 50 << QByteArray("Week") << QByteArray("VFR")
        << QByteArray("LAX") << QByteArray("X1") << QByteArray()
        << QByteArray("AC#3,N1,50%,Week,VFR,X1,LAX");
    QTest::newRow("empty legs with a comment give the comment alone")
        << 3 << QByteArray("N1") << 50 << QByteArray("Week") << QByteArray("VFR")
        << QByteArray("KLAX") << QByteArray() << QByteArray("// note") << QByteArray("// note");
    QTest::newRow("empty legs without a comment still give all fields")
        << 3 << QByteArray("N1") << 50 << QByteArray("Week") << QByteArray("VFR")
        << QByteArray("KLAX") << QByteArray() << QByteArray()
        << QByteArray("AC#3,N1,50%,Week,VFR,,KLAX");
    QTest::newRow("negative numbers carry a leading minus")
        << -5 << QByteArray("N1") << -1 << QByteArray("Week") << QByteArray("VFR")
        << QByteArray("KLAX") << QByteArray("X1") << QByteArray()
        << QByteArray("AC#-5,N1,-1%,Week,VFR,X1,KLAX");
    QTest::newRow("the 16-bit extremes are written in full")
        << -32768 << QByteArray("N1") << 32767 << QByteArray("Week") << QByteArray("VFR")
        << QByteArray("KLAX") << QByteArray("X1") << QByteArray()
        << QByteArray("AC#-32768,N1,32767%,Week,VFR,X1,KLAX");
    QTest::newRow("an empty record gives the bare frame")
        << 0 << QByteArray() << 0 << QByteArray() << QByteArray() << QByteArray() << QByteArray()
        << QByteArray() << QByteArray("AC#0,,0%,,,,");
    QTest::newRow("a home airport holding a comma is written as it is")
        << 3 << QByteArray("N1") << 50 << QByteArray("Week") << QByteArray("VFR")
        << QByteArray("AB,C") << QByteArray("X1") << QByteArray()
        << QByteArray("AC#3,N1,50%,Week,VFR,X1,AB,C");
}

void TestPlanLine::joinPlans() {
    QFETCH(int, tag);
    QFETCH(QByteArray, tailNum);
    QFETCH(int, pcent);
    QFETCH(QByteArray, rate);
    QFETCH(QByteArray, ivfr);
    QFETCH(QByteArray, hPort);
    QFETCH(QByteArray, theRest);
    QFETCH(QByteArray, cment);
    FlightPlan p;
    p.Assign(static_cast<int16_t>(tag), S(tailNum), static_cast<int16_t>(pcent), S(rate), S(ivfr),
             S(hPort), S(theRest), S(cment));
    QTEST(B(JoinPlans(p)), "line");
    std::string appended = "before:";
    AppendPlanLine(p, appended);
    QCOMPARE(B(appended), "before:" + B(JoinPlans(p)));
}

void TestPlanLine::joinPlansByIndex() {
    TrafficSet set;
    set.PlanTable.Resize(3);
    set.PlanTable[0].Assign(1, "A", 10, "24Hr", "IFR", "KSEA", "X0", "");
    set.PlanTable[2].Assign(2, "B", 20, "Week", "VFR", "KPDX", "X2", "//c");
    QCOMPARE(B(JoinPlans(set, 0)), QByteArray("AC#1,A,10%,24Hr,IFR,X0,KSEA"));
    QCOMPARE(B(JoinPlans(set, 1)), QByteArray("AC#0,,0%,,,,"));
    QCOMPARE(B(JoinPlans(set, 2)), QByteArray("AC#2,B,20%,Week,VFR,X2,KPDX//c"));
}

void TestPlanLine::storedLineComesBack_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("written");

    const QByteArray full("AC#12,N123AB,25%,12Hr,IFR,06:00,07:10,110,F,101,KSFO,KLAX//spring");
    QTest::newRow("a line in the written form comes back unchanged") << full << full;
    QTest::newRow("a plan without a comment comes back unchanged")
        << QByteArray("AC#3,N417QX,100%,24Hr,IFR,06:40,08:05,270,F,4121,KSEA,KPDX")
        << QByteArray("AC#3,N417QX,100%,24Hr,IFR,06:40,08:05,270,F,4121,KSEA,KPDX");
    QTest::newRow("a semicolon comment comes back as a double-slash comment")
        << QByteArray("AC#3,G-ABCD,50%,Week,VFR,X1,EGLL;spring")
        << QByteArray("AC#3,G-ABCD,50%,Week,VFR,X1,EGLL//spring");
    QTest::newRow("the aircraft number comes back in plain decimal after AC#")
        << QByteArray("ac#007,N1,50%,Week,VFR,X1,KLAX")
        << QByteArray("AC#7,N1,50%,Week,VFR,X1,KLAX");
    QTest::newRow("a percentage with blanks comes back without them")
        << QByteArray("AC#3,N1, 25 %,Week,VFR,X1,KLAX")
        << QByteArray("AC#3,N1,25%,Week,VFR,X1,KLAX");
    QTest::newRow("a percentage without its sign keeps all its digits and gains the sign")
        << QByteArray("AC#3,N1,50,Week,VFR,X1,KLAX") << QByteArray("AC#3,N1,50%,Week,VFR,X1,KLAX");
    QTest::newRow("a fractional percentage comes back rounded")
        << QByteArray("AC#3,N1,13.5%,Week,VFR,X1,KLAX")
        << QByteArray("AC#3,N1,14%,Week,VFR,X1,KLAX");
    QTest::newRow("a home airport holding a comma comes back as it was")
        << QByteArray("AC#3,N1,50%,Week,VFR,X1,AB,C") << QByteArray("AC#3,N1,50%,Week,VFR,X1,AB,C");
    QTest::newRow("8-bit bytes come back unchanged")
        << QByteArray("AC#3,N\xE9,50%,Week,VFR,X\xFF,KLAX//\xE9t\xE9")
        << QByteArray("AC#3,N\xE9,50%,Week,VFR,X\xFF,KLAX//\xE9t\xE9");
}

// A stored line is written as JoinPlans makes it, and that written line reads back as the same
// plan.
void TestPlanLine::storedLineComesBack() {
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, written);
    const Split first = SplitLine(line);
    QVERIFY(first.Whole);
    const QByteArray out = B(JoinPlans(PlanOf(first)));
    QCOMPARE(out, written);

    const Split again = SplitLine(out);
    QVERIFY(again.Whole);
    QCOMPARE(B(JoinPlans(PlanOf(again))), written);
}

void TestPlanLine::displayLine_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("shown");

    QTest::newRow("the review shows the plan without its comment")
        << QByteArray("AC#12,N123AB,25%,12Hr,IFR,06:00,07:10,110,F,101,KSFO,KLAX//spring")
        << QByteArray("AC#12,N123AB,25%,12Hr,IFR,06:00,07:10,110,F,101,KSFO,KLAX");
    QTest::newRow("a plan without a comment is shown as it is written")
        << QByteArray("AC#3,N1,50%,Week,VFR,X1,KLAX") << QByteArray("AC#3,N1,50%,Week,VFR,X1,KLAX");
}

void TestPlanLine::displayLine() {
    QFETCH(QByteArray, line);
    QTEST(B(DisplayLine(PlanOf(SplitLine(line)))), "shown");
}

void TestPlanLine::parseInt16_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("value");

    QTest::newRow("a plain number") << QByteArray("42") << true << 42;
    QTest::newRow("zero") << QByteArray("0") << true << 0;
    QTest::newRow("blanks around the number are allowed") << QByteArray("  42  ") << true << 42;
    QTest::newRow("tabs around the number are allowed") << QByteArray("\t42\t") << true << 42;
    QTest::newRow("a plus sign") << QByteArray("+5") << true << 5;
    QTest::newRow("a minus sign") << QByteArray("-5") << true << -5;
    QTest::newRow("blanks before the sign") << QByteArray(" -5") << true << -5;
    QTest::newRow("leading zeros") << QByteArray("000000000000012") << true << 12;
    QTest::newRow("a half goes down to the even neighbour") << QByteArray("12.5") << true << 12;
    QTest::newRow("a half goes up to the even neighbour") << QByteArray("13.5") << true << 14;
    QTest::newRow("a negative half goes to the even neighbour")
        << QByteArray("-12.5") << true << -12;
    QTest::newRow("a negative half goes away from zero to the even neighbour")
        << QByteArray("-13.5") << true << -14;
    QTest::newRow("a half written with trailing zeros is still a half")
        << QByteArray("2.5000") << true << 2;
    QTest::newRow("just above a half goes up") << QByteArray("2.5000001") << true << 3;
    QTest::newRow("just below a half goes down") << QByteArray("2.4999999") << true << 2;
    QTest::newRow("a fraction without a whole part") << QByteArray(".5") << true << 0;
    QTest::newRow("minus a half goes to zero") << QByteArray("-0.5") << true << 0;
    QTest::newRow("a decimal point without fraction digits") << QByteArray("5.") << true << 5;
    QTest::newRow("the top of the range") << QByteArray("32767") << true << 32767;
    QTest::newRow("the bottom of the range") << QByteArray("-32768") << true << -32768;
    QTest::newRow("a half below the bottom rounds into the range")
        << QByteArray("-32768.5") << true << -32768;
    QTest::newRow("a half above the top rounds out of the range")
        << QByteArray("32767.5") << false << 0;
    QTest::newRow("a half below the top rounds to the even number below it")
        << QByteArray("32766.5") << true << 32766;
    QTest::newRow("one above the top fails") << QByteArray("32768") << false << 0;
    QTest::newRow("one below the bottom fails") << QByteArray("-32769") << false << 0;
    QTest::newRow("a fraction rounding below the bottom fails")
        << QByteArray("-32768.6") << false << 0;
    QTest::newRow("a huge number fails") << QByteArray("99999999999999999999") << false << 0;
    QTest::newRow("an empty text fails") << QByteArray("") << false << 0;
    QTest::newRow("blanks alone fail") << QByteArray("   ") << false << 0;
    QTest::newRow("letters fail") << QByteArray("abc") << false << 0;
    QTest::newRow("trailing junk fails") << QByteArray("12a") << false << 0;
    QTest::newRow("a blank inside the digits fails") << QByteArray("1 2") << false << 0;
    QTest::newRow("a blank after the sign fails") << QByteArray("- 5") << false << 0;
    QTest::newRow("two signs fail") << QByteArray("--5") << false << 0;
    QTest::newRow("a sign alone fails") << QByteArray("-") << false << 0;
    QTest::newRow("a decimal point alone fails") << QByteArray(".") << false << 0;
    QTest::newRow("a decimal comma is no decimal point") << QByteArray("1,5") << false << 0;
    QTest::newRow("an exponent is not read") << QByteArray("1e3") << false << 0;
    QTest::newRow("a second decimal point fails") << QByteArray("1.2.3") << false << 0;
    QTest::newRow("a percent sign is no part of a number") << QByteArray("50%") << false << 0;
}

void TestPlanLine::parseInt16() {
    QFETCH(QByteArray, text);
    QFETCH(bool, ok);
    QFETCH(int, value);
    int16_t got = 777;
    QCOMPARE(ParseInt16(S(text), got), ok);
    QCOMPARE(static_cast<int>(got), ok ? value : 777);
}

void TestPlanLine::roundToInt16_data() {
    QTest::addColumn<double>("x");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("value");

    QTest::newRow("a half goes down to the even neighbour") << 2.5 << true << 2;
    QTest::newRow("a half goes up to the even neighbour") << 3.5 << true << 4;
    QTest::newRow("minus a half goes to zero") << -0.5 << true << 0;
    QTest::newRow("a half below the bottom rounds into the range") << -32768.5 << true << -32768;
    QTest::newRow("a half above the top rounds out of the range") << 32767.5 << false << 0;
    QTest::newRow("not a number fails") << std::numeric_limits<double>::quiet_NaN() << false << 0;
    QTest::newRow("infinity fails") << std::numeric_limits<double>::infinity() << false << 0;
}

void TestPlanLine::roundToInt16() {
    QFETCH(double, x);
    QFETCH(bool, ok);
    QFETCH(int, value);
    int16_t got = 777;
    QCOMPARE(RoundToInt16(x, got), ok);
    QCOMPARE(static_cast<int>(got), ok ? value : 777);
}

void TestPlanLine::findNoCase_data() {
    QTest::addColumn<QByteArray>("hay");
    QTest::addColumn<QByteArray>("needle");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("at"); // -1 for not found

    QTest::newRow("letters match whatever their case")
        << QByteArray("AC#3,klax") << QByteArray("KLAX") << 0 << 5;
    QTest::newRow("the first occurrence is found")
        << QByteArray("abab") << QByteArray("B") << 0 << 1;
    QTest::newRow("the search starts at from") << QByteArray("abab") << QByteArray("b") << 2 << 3;
    QTest::newRow("a match ending at the last byte is found")
        << QByteArray("xyz") << QByteArray("YZ") << 1 << 1;
    QTest::newRow("no match") << QByteArray("abc") << QByteArray("d") << 0 << -1;
    QTest::newRow("a needle longer than the text")
        << QByteArray("ab") << QByteArray("abc") << 0 << -1;
    QTest::newRow("a needle longer than the rest after from")
        << QByteArray("abc") << QByteArray("bc") << 2 << -1;
    QTest::newRow("from beyond the end finds nothing")
        << QByteArray("abc") << QByteArray("") << 4 << -1;
    QTest::newRow("an empty needle is found at from")
        << QByteArray("abc") << QByteArray("") << 1 << 1;
    QTest::newRow("an empty needle is found at the very end")
        << QByteArray("abc") << QByteArray("") << 3 << 3;
    QTest::newRow("an empty needle in an empty text") << QByteArray("") << QByteArray("") << 0 << 0;
    QTest::newRow("8-bit letters are compared exactly")
        << QByteArray("caf\xC9") << QByteArray("\xE9") << 0 << -1;
    QTest::newRow("an 8-bit byte matches itself")
        << QByteArray("caf\xE9") << QByteArray("\xE9") << 0 << 3;
    QTest::newRow("letters next to the ASCII range are not folded")
        << QByteArray("[") << QByteArray("{") << 0 << -1;
}

void TestPlanLine::findNoCase() {
    QFETCH(QByteArray, hay);
    QFETCH(QByteArray, needle);
    QFETCH(int, from);
    QFETCH(int, at);
    const std::size_t got = FindNoCase(S(hay), S(needle), static_cast<std::size_t>(from));
    QCOMPARE(got == NotFound ? -1 : static_cast<int>(got), at);
}

void TestPlanLine::caseFolding_data() {
    QTest::addColumn<QByteArray>("a");
    QTest::addColumn<QByteArray>("b");
    QTest::addColumn<bool>("equal");
    QTest::addColumn<bool>("aStartsWithB");

    QTest::newRow("the same code in two cases")
        << QByteArray("KLAX") << QByteArray("klax") << true << true;
    QTest::newRow("a prefix in another case")
        << QByteArray("KLAX") << QByteArray("kl") << false << true;
    QTest::newRow("a prefix longer than the text")
        << QByteArray("KL") << QByteArray("KLAX") << false << false;
    QTest::newRow("the empty prefix") << QByteArray("KLAX") << QByteArray("") << false << true;
    QTest::newRow("8-bit letters of two cases differ")
        << QByteArray("\xC9") << QByteArray("\xE9") << false << false;
}

void TestPlanLine::caseFolding() {
    QFETCH(QByteArray, a);
    QFETCH(QByteArray, b);
    QTEST(EqualsNoCase(S(a), S(b)), "equal");
    QTEST(StartsWithNoCase(S(a), S(b)), "aStartsWithB");
}

void TestPlanLine::trimBlanks_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("trimmed");

    QTest::newRow("blanks at both ends go") << QByteArray("  EG  ") << QByteArray("EG");
    QTest::newRow("blanks inside stay") << QByteArray(" K LAX ") << QByteArray("K LAX");
    QTest::newRow("blanks alone give the empty text") << QByteArray("   ") << QByteArray("");
    QTest::newRow("the empty text stays empty") << QByteArray("") << QByteArray("");
}

void TestPlanLine::trimBlanks() {
    QFETCH(QByteArray, text);
    QTEST(B(TrimBlanks(S(text))), "trimmed");
}

QTEST_GUILESS_MAIN(TestPlanLine)
#include "TestPlanLine.moc"
