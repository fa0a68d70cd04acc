// Lines of Aircraft.txt and Airports.txt, and the code prefix of a typed airport value.

#include "traffic/RefLines.h"

#include <QtTest>

#include <string>

using namespace tarvik;

namespace {
QByteArray B(std::string_view s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}
std::string S(const QByteArray& b) {
    return std::string(b.constData(), b.size());
}
} // namespace

class TestRefLines : public QObject {
    Q_OBJECT

private slots:
    void splitAircraft_data();
    void splitAircraft();
    void splitAircraftFailures_data();
    void splitAircraftFailures();
    void cutAirportCode_data();
    void cutAirportCode();
    void splitICAO_data();
    void splitICAO();
};

void TestRefLines::splitAircraft_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("atag");
    QTest::addColumn<int>("aspeed");
    QTest::addColumn<QByteArray>("acraft");

    QTest::newRow("a plain line gives number, speed and the quoted title")
        << QByteArray("AC#7,250,\"Generic Twin Jet\"") << 7 << 250
        << QByteArray("\"Generic Twin Jet\"");
    QTest::newRow("a title holding commas is read whole")
        << QByteArray("AC#7,250,\"Jet, long range\"") << 7 << 250
        << QByteArray("\"Jet, long range\"");
    QTest::newRow("text after the closing quote stays with the title")
        << QByteArray("AC#7,250,\"Jet\" old livery") << 7 << 250
        << QByteArray("\"Jet\" old livery");
    QTest::newRow("a blank before the comma ahead of the title still reads the speed")
        << QByteArray("AC#7,250 ,\"Jet\"") << 7 << 250 << QByteArray("\"Jet\"");
    QTest::newRow("without a comma before the title the speed loses its last digit")
        << QByteArray("AC#7,250\"Jet\"") << 7 << 25 << QByteArray("\"Jet\"");
    QTest::newRow("the first three characters are skipped unread")
        << QByteArray("xx#12,300,\"Jet\"") << 12 << 300 << QByteArray("\"Jet\"");
    QTest::newRow("blanks around the aircraft number are allowed")
        << QByteArray("AC# 7 ,250,\"Jet\"") << 7 << 250 << QByteArray("\"Jet\"");
    QTest::newRow("a negative aircraft number")
        << QByteArray("AC#-3,250,\"Jet\"") << -3 << 250 << QByteArray("\"Jet\"");
    QTest::newRow("a half in the speed goes to the even neighbour")
        << QByteArray("AC#7,250.5,\"Jet\"") << 7 << 250 << QByteArray("\"Jet\"");
    QTest::newRow("a quote inside the title is kept")
        << QByteArray("AC#7,250,\"Jet \"Max\"\"") << 7 << 250 << QByteArray("\"Jet \"Max\"\"");
    QTest::newRow("8-bit bytes in the title come back unchanged")
        << QByteArray("AC#7,250,\"Caf\xE9 Jet\xFF\"") << 7 << 250
        << QByteArray("\"Caf\xE9 Jet\xFF\"");
}

void TestRefLines::splitAircraft() {
    QFETCH(QByteArray, line);
    std::string acraft;
    int16_t atag = 0;
    int16_t aspeed = 0;
    std::string why;
    QVERIFY(SplitAircraft(S(line), acraft, atag, aspeed, &why));
    QTEST(static_cast<int>(atag), "atag");
    QTEST(static_cast<int>(aspeed), "aspeed");
    QTEST(B(acraft), "acraft");
}

void TestRefLines::splitAircraftFailures_data() {
    QTest::addColumn<QByteArray>("line");

    QTest::newRow("a line without a double quote") << QByteArray("AC#7,250,Jet");
    QTest::newRow("a line of blanks") << QByteArray("   ");
    QTest::newRow("a line without a comma") << QByteArray("AC#7 \"Jet\"");
    QTest::newRow("nothing between the third character and the first comma")
        << QByteArray("AC#,250,\"Jet\"");
    QTest::newRow("a comma within the first three characters") << QByteArray("A,C#7,250,\"Jet\"");
    QTest::newRow("an aircraft number that is no number") << QByteArray("AC#x,250,\"Jet\"");
    QTest::newRow("an aircraft number beyond 16 bits") << QByteArray("AC#40000,250,\"Jet\"");
    QTest::newRow("a speed that is no number") << QByteArray("AC#7,fast,\"Jet\"");
    QTest::newRow("a speed beyond 16 bits") << QByteArray("AC#7,99999,\"Jet\"");
    QTest::newRow("the title right after the first comma leaves no speed")
        << QByteArray("AC#7,\"Jet\"");
    QTest::newRow("one character between comma and title leaves an empty speed")
        << QByteArray("AC#7,5\"Jet\"");
    QTest::newRow("a title in front of the first comma spoils the aircraft number")
        << QByteArray("\"AC#7\",250");
}

void TestRefLines::splitAircraftFailures() {
    QFETCH(QByteArray, line);
    std::string acraft;
    int16_t atag = 0;
    int16_t aspeed = 0;
    std::string why;
    QVERIFY(!SplitAircraft(S(line), acraft, atag, aspeed, &why));
    QVERIFY2(!why.empty(), "a failure says why");
    // Without a place for the reason the result is the same.
    QVERIFY(!SplitAircraft(S(line), acraft, atag, aspeed));
}

void TestRefLines::cutAirportCode_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("code");

    QTest::newRow("the code is the text before the first comma")
        << QByteArray("KSFO,x,y") << true << QByteArray("KSFO");
    QTest::newRow("a full airport line")
        << QByteArray("KSEA,N47* 26.94',W122* 18.54',433") << true << QByteArray("KSEA");
    QTest::newRow("blanks around the code are kept")
        << QByteArray(" KSFO ,x") << true << QByteArray(" KSFO ");
    QTest::newRow("a line starting with a comma gives the empty code")
        << QByteArray(",x") << true << QByteArray("");
    QTest::newRow("the case of the code is kept")
        << QByteArray("kSfO,1") << true << QByteArray("kSfO");
    QTest::newRow("8-bit bytes in the code are kept")
        << QByteArray("\xC9GLL,x") << true << QByteArray("\xC9GLL");
    QTest::newRow("a line without a comma has no code")
        << QByteArray("KSFO") << false << QByteArray();
    QTest::newRow("a line of blanks has no code") << QByteArray("   ") << false << QByteArray();
}

void TestRefLines::cutAirportCode() {
    QFETCH(QByteArray, line);
    QFETCH(bool, ok);
    std::string code = "untouched";
    QCOMPARE(CutAirportCode(S(line), code), ok);
    if (ok)
        QTEST(B(code), "code");
}

void TestRefLines::splitICAO_data() {
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<QByteArray>("prefix");

    QTest::newRow("one question mark ends the prefix") << QByteArray("EG?") << QByteArray("EG");
    QTest::newRow("two question marks end the prefix at the first")
        << QByteArray("EG??") << QByteArray("EG");
    QTest::newRow("a question mark inside the code") << QByteArray("K?AX") << QByteArray("K");
    QTest::newRow("a full code is kept") << QByteArray("KLAX") << QByteArray("KLAX");
    QTest::newRow("five characters are kept") << QByteArray("EGLLX") << QByteArray("EGLLX");
    QTest::newRow("a longer value keeps its first five characters trimmed")
        << QByteArray("KLAX Los Angeles") << QByteArray("KLAX");
    QTest::newRow("six characters keep the first five")
        << QByteArray("EGLLXY") << QByteArray("EGLLX");
    QTest::newRow("a question mark further on keeps everything before it")
        << QByteArray("ABCDEFG?") << QByteArray("ABCDEFG");
    QTest::newRow("a question mark alone gives the empty prefix")
        << QByteArray("?") << QByteArray("");
    QTest::newRow("blanks at both ends are removed") << QByteArray("  EG  ") << QByteArray("EG");
    QTest::newRow("blanks before a question mark are removed")
        << QByteArray(" EG ?") << QByteArray("EG");
    QTest::newRow("an empty value gives the empty prefix") << QByteArray("") << QByteArray("");
    QTest::newRow("the case is kept") << QByteArray("eg?") << QByteArray("eg");
}

void TestRefLines::splitICAO() {
    QFETCH(QByteArray, typed);
    QTEST(B(SplitICAO(S(typed))), "prefix");
}

QTEST_GUILESS_MAIN(TestRefLines)
#include "TestRefLines.moc"
