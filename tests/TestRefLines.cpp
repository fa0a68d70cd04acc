// Lines of Aircraft.txt and Airports.txt, and the code prefix of a typed airport value.

#include "support/ByteText.h"
#include "traffic/RefLines.h"

#include <QtTest>

#include <string>

using namespace tarvik;

namespace {
void Row(const char* name, const char* given, const char* expected) {
    QTest::newRow(name) << QByteArray(given) << QByteArray(expected);
}
} // namespace

class TestRefLines : public QObject {
    Q_OBJECT

private slots:
    void splitAircraft_data();
    void splitAircraft();
    void cutAirportCode_data();
    void cutAirportCode();
    void splitICAO_data();
    void splitICAO();
};

void TestRefLines::splitAircraft_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("entry"); // Atag|ASpeed|Acraft, empty when the line is refused
    Row("the worked example", "AC#7,250,\"Generic Twin Jet\"", "7|250|\"Generic Twin Jet\"");
    Row("a title holding commas is read whole", "AC#7,250,\"J, long\"", "7|250|\"J, long\"");
    Row("text after the closing quote stays with the title", "AC#7,250,\"J\" x", "7|250|\"J\" x");
    Row("a blank before the comma ahead of the title", "AC#7,250 ,\"J\"", "7|250|\"J\"");
    Row("no comma before the title costs the speed its last digit", "AC#7,250\"J\"", "7|25|\"J\"");
    Row("the first three characters are skipped unread", "xx#12,3,\"\xE9\"", "12|3|\"\xE9\"");
    Row("no double quote", "AC#7,250,J", "");
    Row("no comma", "AC#7 \"J\"", "");
    Row("nothing between the third character and the first comma", "AC#,250,\"J\"", "");
    Row("a comma within the first three characters", "A,C#7,250,\"J\"", "");
    Row("an aircraft number beyond 16 bits", "AC#40000,250,\"J\"", "");
    Row("a speed that is no number", "AC#7,fast,\"J\"", "");
    Row("the title right after the first comma", "AC#7,\"J\"", "");
    Row("no quote after the first comma", "\"AC#7\",250", "");
}

void TestRefLines::splitAircraft() {
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, entry);
    std::string acraft, why;
    int16_t atag = 0, aspeed = 0;
    QCOMPARE(SplitAircraft(S(line), acraft, atag, aspeed, &why), !entry.isEmpty());
    if (!entry.isEmpty())
        QCOMPARE(QByteArray::number(atag) + '|' + QByteArray::number(aspeed) + '|' + B(acraft),
                 entry);
    QVERIFY2(entry.isEmpty() != why.empty(), "a refusal says why");
}

void TestRefLines::cutAirportCode_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("code"); // "-" when the line has no code
    Row("the code is the text before the first comma", "KSFO,x,y", "KSFO");
    Row("blanks and case around the code are kept", " kSfO ,x", " kSfO ");
    Row("a line starting with a comma gives the empty code", ",x", "");
    Row("a line without a comma has no code", "KSFO", "-");
}

void TestRefLines::cutAirportCode() {
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, code);
    std::string got = "-";
    QCOMPARE(CutAirportCode(S(line), got), code != "-");
    QCOMPARE(B(got), code);
}

void TestRefLines::splitICAO_data() {
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<QByteArray>("prefix");
    Row("one question mark ends the prefix", "EG?", "EG");
    Row("two question marks end it at the first", "EG??", "EG");
    Row("a full code is kept", "KLAX", "KLAX");
    Row("six characters keep the first five", "EGLLXY", "EGLLX");
    Row("a longer value keeps its first five characters trimmed", "KLAX Los Angeles", "KLAX");
    Row("a question mark further on keeps everything before it", "ABCDEFG?", "ABCDEFG");
    Row("a question mark alone gives the empty prefix", "?", "");
    Row("blanks at both ends are removed", "  EG  ", "EG");
}

void TestRefLines::splitICAO() {
    QFETCH(QByteArray, typed);
    QTEST(B(SplitICAO(S(typed))), "prefix");
}

QTEST_GUILESS_MAIN(TestRefLines)
#include "TestRefLines.moc"
