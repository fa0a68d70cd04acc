// Loading a traffic set from its three files and saving the flight-plan file, on folders written
// at test time.

#include "traffic/LineReader.h"
#include "traffic/Load.h"
#include "traffic/PlanLine.h"
#include "traffic/Save.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <string>
#include <vector>

using namespace tarvik;
namespace fs = std::filesystem;

namespace {

QByteArray B(std::string_view s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

const QByteArray Absent("<absent>");
const QByteArray Folder("<folder>");

const QByteArray Aircraft2("AC#1,250,\"Jet One\"\r\nAC#2,180,\"Prop Two\"\r\n");
const QByteArray Airports2("KSEA,47.45,-122.31,433\r\nKPDX,45.59,-122.60,31\r\n");
const QByteArray P1("AC#1,N101,100%,24Hr,IFR,06:00,07:00,100,F,11,KPDX,KSEA");
const QByteArray P2("AC#2,N202,50%,Week,VFR,1/08:00,1/09:00,45,R,21,KSEA,KPDX");

// A folder of traffic files that lives as long as the test.
class Set {
public:
    Set() { QVERIFY(Dir.isValid()); }

    std::string Path(const QByteArray& name) const {
        return (Dir.path() + '/' + QString::fromLatin1(name)).toStdString();
    }
    // Writes bytes under name; Absent writes nothing, Folder makes a folder of that name.
    void Write(const QByteArray& name, const QByteArray& bytes) const {
        if (bytes == Absent)
            return;
        if (bytes == Folder) {
            QVERIFY(QDir(Dir.path()).mkdir(QString::fromLatin1(name)));
            return;
        }
        QFile f(QString::fromStdString(Path(name)));
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(f.write(bytes), bytes.size());
    }
    void WriteAll(const QByteArray& plans, const QByteArray& aircraft = Aircraft2,
                  const QByteArray& airports = Airports2) const {
        Write("FlightPlans.txt", plans);
        Write("Aircraft.txt", aircraft);
        Write("Airports.txt", airports);
    }
    QStringList Entries() const {
        return QDir(Dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    QString Root() const { return Dir.path(); }

private:
    QTemporaryDir Dir;
};

QByteArray ReadBytes(const std::string& path) {
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return f.readAll();
}

struct Loaded {
    LoadResult Result;
    QList<QByteArray> Reports;
};

Loaded Load(TrafficSet& set, const std::string& plansFile) {
    set.PlansFile = plansFile;
    set.PlansFolder = GetFolder(plansFile);
    Loaded l;
    l.Result = FillFPlans(set, [&l](const std::string& text) { l.Reports.append(B(text)); });
    return l;
}

QByteArray Report(int line, const QByteArray& text) {
    return QByteArray(ProblemText) + QByteArray::number(line) + '\n' + text;
}

QByteArray Lines(const QList<QByteArray>& lines, const char* end = "\r\n") {
    QByteArray out;
    for (const auto& l : lines)
        out += l + end;
    return out;
}

std::vector<std::string> ReadAllLines(const std::string& path, int64_t* lastNumber = nullptr) {
    LineReader in;
    std::vector<std::string> lines;
    if (!in.Open(path))
        return {"<unopened>"};
    std::string_view line;
    while (in.Next(line))
        lines.emplace_back(line);
    if (in.Failed())
        lines.emplace_back("<failed>");
    if (lastNumber)
        *lastNumber = in.LineNumber();
    return lines;
}

// Lets the first Allowed writes through to the file and fails every later one.
class FailingDevice : public QIODevice {
public:
    FailingDevice(QIODevice& inner, int allowed) : Inner(inner), Allowed(allowed) {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 len) override {
        if (Allowed-- <= 0) {
            setErrorString("No space left on device");
            return -1;
        }
        return Inner.write(data, len);
    }

private:
    QIODevice& Inner;
    int Allowed;
};

void FillPlans(TrafficSet& set, int count) {
    set.PlanTable.Resize(count);
    for (int i = 0; i < count; ++i) {
        const std::string tail = "N" + std::to_string(i);
        set.PlanTable[i].Assign(1, tail, 100, "24Hr", "IFR", "KSEA", "06:00,07:00,100,F,11,KPDX",
                                "");
    }
    set.LastPlan = count - 1;
    set.KeptLines.clear();
}

} // namespace

class TestLoadSave : public QObject {
    Q_OBJECT

private slots:
    void reports_data();
    void reports();
    void keptLinesStayInTheirPlaces();
    void saveAfterLoad_data();
    void saveAfterLoad();
    void referenceLineEnds_data();
    void referenceLineEnds();
    void stops_data();
    void stops();
    void entriesBeforeAStopStay();
    void plansWholeTellsWhetherThePlanTableIsOneSet();
    void planCapacity();
    void aircraftCapacity_data();
    void aircraftCapacity();
    void airportCapacity_data();
    void airportCapacity();
    void emptyAircraftLineTakesAnEmptiedSlot();
    void tablesAreCutAfterAWholeRead();
    void referenceFilesFoundWhateverTheirCase();
    void pathInFolder_data();
    void pathInFolder();
    void getFolder_data();
    void getFolder();
    void savedLinesEndInCrLf();
    void noPlansSavesOnlyTheKeptLines();
    void saveReplacesALongerFile();
    void failedWriteLeavesTheOldFile_data();
    void failedWriteLeavesTheOldFile();
    void saveIntoAMissingFolderFails();
    void symlinkStaysALink_data();
    void symlinkStaysALink();
    void permissionBitsAreKept();
    void lineReader_data();
    void lineReader();
    void lineReaderLongLine_data();
    void lineReaderLongLine();
    void lineReaderAnyBlockSize();
    void lineReaderOpenFailures();
    void sampleSetLoadsCleanly();
};

void TestLoadSave::reports_data() {
    QTest::addColumn<QByteArray>("plans");
    QTest::addColumn<QList<QByteArray>>("reports");
    QTest::addColumn<int>("lastPlan");

    const QByteArray p1 = P1 + "\r\n";
    QTest::newRow("a line of blanks is reported with its line number")
        << p1 + "   \r\n"
        << QList<QByteArray>{Report(2, "   ")} << 0;
    QTest::newRow("a problem in the first line is reported as line 1")
        << "oops\r\n" + p1 << QList<QByteArray>{Report(1, "oops")} << 0;
    QTest::newRow("a line without a comma is reported with its semicolon rewritten")
        << QByteArray("abc;def\r\n") << QList<QByteArray>{Report(1, "abc//def")} << -1;
    QTest::newRow("a line without a comma is reported even when it holds a double slash")
        << QByteArray("x//y\r\n") << QList<QByteArray>{Report(1, "x//y")} << -1;
    QTest::newRow("a five-character home airport without a comment is reported")
        << QByteArray("AC#3,N1,50%,Week,VFR,X1,EGLLX\r\n")
        << QList<QByteArray>{Report(1, "AC#3,N1,50%,Week,VFR,X1,EGLLX")} << -1;
    QTest::newRow("a plan line without legs is reported")
        << QByteArray("AC#3,N1,50%,Week,VFR,KLAX\r\n")
        << QList<QByteArray>{Report(1, "AC#3,N1,50%,Week,VFR,KLAX")} << -1;
    QTest::newRow("a plan line with aircraft number 0 is reported")
        << QByteArray("AC#0,N1,50%,Week,VFR,X1,KLAX\r\n")
        << QList<QByteArray>{Report(1, "AC#0,N1,50%,Week,VFR,X1,KLAX")} << -1;
    QTest::newRow("a percentage that is no number is reported")
        << QByteArray("AC#3,N1,half%,Week,VFR,X1,KLAX\r\n")
        << QList<QByteArray>{Report(1, "AC#3,N1,half%,Week,VFR,X1,KLAX")} << -1;
    QTest::newRow("a plan line missing a field comma is reported")
        << QByteArray("AC#3,N1,50%,Week\r\nAC#3,N1,50%,Week,XX\r\n")
        << QList<QByteArray>{Report(1, "AC#3,N1,50%,Week"), Report(2, "AC#3,N1,50%,Week,XX")} << -1;
    QTest::newRow("blank and comment lines count for the line number")
        << "// c\r\n\r\n; d\r\n" + p1 + "bad\r\n"
        << QList<QByteArray>{Report(5, "bad")} << 0;
    QTest::newRow("every doubtful line is reported once, in file order")
        << "a\r\n" + p1 + "b\r\n"
        << QList<QByteArray>{Report(1, "a"), Report(3, "b")} << 0;
    QTest::newRow("comment lines are dropped silently")
        << QByteArray("// a\r\n; b\r\n//\r\n") << QList<QByteArray>{} << -1;
    QTest::newRow("a plan line with a comment that fails the plan test is dropped silently")
        << QByteArray("AC#0,N1,50%,Week,VFR,X1,KLAX//x\r\n") << QList<QByteArray>{} << -1;
    QTest::newRow("a home airport followed by a blank and a comment is dropped silently")
        << QByteArray("AC#3,N1,50%,Week,VFR,X1,KLAX //x\r\n") << QList<QByteArray>{} << -1;
    QTest::newRow("a bad percentage on a line with a comment is dropped silently")
        << QByteArray("AC#3,N1,x%,Week,VFR,X1,KLAX;x\r\n") << QList<QByteArray>{} << -1;
    QTest::newRow("empty lines are passed over without a word") << "\r\n\r\n" + p1 + "\r\n"
                                                                << QList<QByteArray>{} << 0;
    QTest::newRow("plans naming no aircraft are loaded without remark")
        << QByteArray("AC#99,N9,10%,24Hr,IFR,X9,KSEA\r\n") << QList<QByteArray>{} << 0;
    QTest::newRow("ten plans give the highest index 9")
        << p1.repeated(10) << QList<QByteArray>{} << 9;
    QTest::newRow("an empty file holds no plan") << QByteArray() << QList<QByteArray>{} << -1;
}

void TestLoadSave::reports() {
    QFETCH(QByteArray, plans);
    Set files;
    files.WriteAll(plans);
    TrafficSet set;
    const Loaded l = Load(set, files.Path("FlightPlans.txt"));
    QVERIFY(l.Result.Complete);
    QTEST(l.Reports, "reports");
    QTEST(set.LastPlan, "lastPlan");
}

void TestLoadSave::keptLinesStayInTheirPlaces() {
    Set files;
    files.WriteAll("// head\r\n\r\n" + P1 + "\r\n; mid\r\nbad\r\n" + P2 + "\r\n// tail\r\n");
    TrafficSet set;
    const Loaded l = Load(set, files.Path("FlightPlans.txt"));
    QVERIFY(l.Result.Complete);
    QCOMPARE(set.LastPlan, 1);
    QCOMPARE(B(JoinPlans(set, 0)), P1);
    QCOMPARE(B(JoinPlans(set, 1)), P2);

    QList<QPair<int, QByteArray>> kept;
    for (const auto& k : set.KeptLines)
        kept.append({k.Before, B(k.Text)});
    const QList<QPair<int, QByteArray>> expected{
        {0, "// head"}, {0, ""}, {1, "; mid"}, {1, "bad"}, {2, "// tail"}};
    QCOMPARE(kept, expected);
}

void TestLoadSave::saveAfterLoad_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("saved");

    const QList<QByteArray> read{"// Horizon schedule",
                                 "",
                                 "AC#1,N1,100%,24Hr,IFR,X1,KSEA",
                                 "; week plans",
                                 "ac#002,N2, 50 %,Week,VFR,X2,KPDX;note",
                                 "bad line",
                                 "AC#3,N3,5,Week,VFR,X3,KLAX //x",
                                 "AC#4,N4,25%,12Hr,IFR,X4,AB,C",
                                 "AC#5,N5,60,24Hr,IFR,X5,KBOI",
                                 "// end"};
    const QList<QByteArray> written{"// Horizon schedule",
                                    "",
                                    "AC#1,N1,100%,24Hr,IFR,X1,KSEA",
                                    "; week plans",
                                    "AC#2,N2,50%,Week,VFR,X2,KPDX//note",
                                    "bad line",
                                    "AC#3,N3,5,Week,VFR,X3,KLAX //x",
                                    "AC#4,N4,25%,12Hr,IFR,X4,AB,C",
                                    "AC#5,N5,60%,24Hr,IFR,X5,KBOI",
                                    "// end"};
    const QByteArray out = Lines(written);

    QTest::newRow("plan lines come back as written and every other line unchanged")
        << Lines(read) << out;
    QTest::newRow("bare LF line ends are written as CR LF") << Lines(read, "\n") << out;
    QTest::newRow("bare CR line ends are written as CR LF") << Lines(read, "\r") << out;
    QByteArray mixed;
    const char* ends[] = {"\r\n", "\n", "\r"};
    for (int i = 0; i < read.size(); ++i)
        mixed += read[i] + ends[i % 3];
    QTest::newRow("mixed line ends are written as CR LF") << mixed << out;
    QTest::newRow("a UTF-8 byte-order mark is skipped") << "\xEF\xBB\xBF" + Lines(read) << out;
    QByteArray noEnd = Lines(read);
    noEnd.chop(2);
    QTest::newRow("a last line without a line end gains one") << noEnd << out;
    QTest::newRow("CR CR LF is a line end followed by an empty line")
        << P1 + "\r\r\n" + P2 << P1 + "\r\n\r\n" + P2 + "\r\n";
    QTest::newRow("LF CR is a line end followed by an empty line")
        << P1 + "\n\r" + P2 << P1 + "\r\n\r\n" + P2 + "\r\n";
    const QByteArray eightBit =
        Lines({"// caf\xE9 \xFF\x80", QByteArray("// nul \x00 and \x01", 14),
               "AC#1,N\xE9,100%,24Hr,IFR,X\xA0"
               "1,KSEA//\xE9t\xE9",
               "\xC9\xC9\xC9 \xFE"});
    QTest::newRow("8-bit and control bytes come back unchanged") << eightBit << eightBit;
    QTest::newRow("a file of only comments saves its comments")
        << QByteArray("// a\r\n; b\r\n") << QByteArray("// a\r\n; b\r\n");
    QTest::newRow("a file of empty lines saves its empty lines")
        << QByteArray("\r\n\r\n") << QByteArray("\r\n\r\n");
    QTest::newRow("an empty file saves as an empty file") << QByteArray() << QByteArray();
    QTest::newRow("lines of any length come back whole")
        << "// " + QByteArray(70000, 'x') + "\r\nAC#1,N1,100%,24Hr,IFR," + QByteArray(40000, 'y') +
               ",KSEA\n"
        << "// " + QByteArray(70000, 'x') + "\r\nAC#1,N1,100%,24Hr,IFR," + QByteArray(40000, 'y') +
               ",KSEA\r\n";
}

// Load and save give back every line that is no plan unchanged, and every plan as JoinPlans
// writes it; a second load and save changes nothing more.
void TestLoadSave::saveAfterLoad() {
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, saved);
    Set files;
    files.WriteAll(input);
    TrafficSet set;
    QVERIFY(Load(set, files.Path("FlightPlans.txt")).Result.Complete);
    const std::string out = files.Path("Saved.txt");
    const SaveResult r = SavePlans(set, out);
    QVERIFY2(r.Ok, r.Error.c_str());
    const QByteArray got = ReadBytes(out);
    QCOMPARE(got.size(), saved.size());
    QCOMPARE(got, saved);

    TrafficSet again;
    QVERIFY(Load(again, out).Result.Complete);
    QVERIFY(SavePlans(again, out).Ok);
    QCOMPARE(ReadBytes(out), saved);
}

void TestLoadSave::referenceLineEnds_data() {
    QTest::addColumn<QByteArray>("aircraft");
    QTest::addColumn<QByteArray>("airports");

    QTest::newRow("CR LF line ends") << QByteArray("AC#1,250,\"Jet One\"\r\nAC#2,180,\"Prop\"\r\n")
                                     << QByteArray("KSEA,1\r\nKPDX,2\r\n");
    QTest::newRow("bare LF line ends") << QByteArray("AC#1,250,\"Jet One\"\nAC#2,180,\"Prop\"\n")
                                       << QByteArray("KSEA,1\nKPDX,2\n");
    QTest::newRow("bare CR line ends") << QByteArray("AC#1,250,\"Jet One\"\rAC#2,180,\"Prop\"\r")
                                       << QByteArray("KSEA,1\rKPDX,2\r");
    QTest::newRow("no line end after the last line")
        << QByteArray("AC#1,250,\"Jet One\"\r\nAC#2,180,\"Prop\"")
        << QByteArray("KSEA,1\r\nKPDX,2");
    QTest::newRow("a UTF-8 byte-order mark is skipped")
        << QByteArray("\xEF\xBB\xBF"
                      "AC#1,250,\"Jet One\"\r\nAC#2,180,\"Prop\"\r\n")
        << QByteArray("\xEF\xBB\xBF"
                      "KSEA,1\r\nKPDX,2\r\n");
}

void TestLoadSave::referenceLineEnds() {
    QFETCH(QByteArray, aircraft);
    QFETCH(QByteArray, airports);
    Set files;
    files.WriteAll(P1 + "\r\n", aircraft, airports);
    TrafficSet set;
    const Loaded l = Load(set, files.Path("FlightPlans.txt"));
    QVERIFY2(l.Result.Complete, l.Result.Stop.Reason.c_str());
    QCOMPARE(set.LastAircraft, 1);
    QCOMPARE(static_cast<int>(set.AircraftTable[0].Atag), 1);
    QCOMPARE(B(set.AircraftTable[0].Acraft), QByteArray("\"Jet One\""));
    QCOMPARE(B(set.AircraftTable[1].Acraft), QByteArray("\"Prop\""));
    QCOMPARE(set.LastAirport, 1);
    QCOMPARE(B(set.AirportTable[0]), QByteArray("KSEA"));
    QCOMPARE(B(set.AirportTable[1]), QByteArray("KPDX"));
}

// Sentinels in the Last values show which were left alone.
constexpr int OldLastPlan = 77;
constexpr int OldLastAircraft = 88;
constexpr int OldLastAirport = 99;

void TestLoadSave::stops_data() {
    QTest::addColumn<QByteArray>("plans");
    QTest::addColumn<QByteArray>("aircraft");
    QTest::addColumn<QByteArray>("airports");
    QTest::addColumn<QByteArray>("stopFile");
    QTest::addColumn<int>("stopLine");
    QTest::addColumn<QByteArray>("reason");
    QTest::addColumn<bool>("plansRead");
    QTest::addColumn<int>("lastPlan");
    QTest::addColumn<int>("lastAircraft");

    const QByteArray plans = P1 + "\r\n" + P2 + "\r\n";
    QTest::newRow("a missing flight-plan file stops before anything is read")
        << Absent << Aircraft2 << Airports2 << QByteArray("FlightPlans.txt") << 0
        << QByteArray("No such file") << false << OldLastPlan << OldLastAircraft;
    QTest::newRow("a flight-plan path naming a folder stops before anything is read")
        << Folder << Aircraft2 << Airports2 << QByteArray("FlightPlans.txt") << 0
        << QByteArray("folder") << false << OldLastPlan << OldLastAircraft;
    QTest::newRow("a missing Aircraft.txt stops after the plans")
        << plans << Absent << Airports2 << QByteArray("Aircraft.txt") << 0
        << QByteArray("No such file") << true << 1 << OldLastAircraft;
    QTest::newRow("an Aircraft.txt that is a folder stops after the plans")
        << plans << Folder << Airports2 << QByteArray("Aircraft.txt") << 0 << QByteArray("folder")
        << true << 1 << OldLastAircraft;
    QTest::newRow("a missing Airports.txt stops after the aircraft")
        << plans << Aircraft2 << Absent << QByteArray("Airports.txt") << 0
        << QByteArray("No such file") << true << 1 << 1;
    QTest::newRow("an aircraft line without a double quote stops at its line")
        << plans << QByteArray("AC#1,250,\"A\"\r\n\r\nAC#3,250,Jet\r\nAC#4,250,\"D\"\r\n")
        << Airports2 << QByteArray("Aircraft.txt") << 3 << QByteArray("double quote") << true << 1
        << OldLastAircraft;
    QTest::newRow("an aircraft line of blanks stops at its line")
        << plans << QByteArray("AC#1,250,\"A\"\r\n   \r\n") << Airports2
        << QByteArray("Aircraft.txt") << 2 << QByteArray("double quote") << true << 1
        << OldLastAircraft;
    QTest::newRow("an aircraft line without a comma stops at its line")
        << plans << QByteArray("AC#1 \"A\"\r\n") << Airports2 << QByteArray("Aircraft.txt") << 1
        << QByteArray("comma") << true << 1 << OldLastAircraft;
    QTest::newRow("an aircraft number beyond 16 bits stops at its line")
        << plans << QByteArray("AC#1,250,\"A\"\r\nAC#70000,250,\"B\"\r\n") << Airports2
        << QByteArray("Aircraft.txt") << 2 << QByteArray("number") << true << 1 << OldLastAircraft;
    QTest::newRow("an aircraft speed that is no number stops at its line")
        << plans << QByteArray("AC#1,fast,\"A\"\r\n") << Airports2 << QByteArray("Aircraft.txt")
        << 1 << QByteArray("speed") << true << 1 << OldLastAircraft;
    QTest::newRow("an airport line without a comma stops at its line, blank lines counted")
        << plans << Aircraft2 << QByteArray("KSEA,1\r\n\r\nKPDX\r\nKBOI,2\r\n")
        << QByteArray("Airports.txt") << 3 << QByteArray("comma") << true << 1 << 1;
    QTest::newRow("an airport line of blanks stops at its line")
        << plans << Aircraft2 << QByteArray("KSEA,1\r\n   \r\n") << QByteArray("Airports.txt") << 2
        << QByteArray("comma") << true << 1 << 1;
}

// A stop names the file, the line and the reason; the Last values of files not read to their end
// stay as they were.
void TestLoadSave::stops() {
    QFETCH(QByteArray, plans);
    QFETCH(QByteArray, aircraft);
    QFETCH(QByteArray, airports);
    QFETCH(QByteArray, stopFile);
    QFETCH(QByteArray, reason);
    Set files;
    files.WriteAll(plans, aircraft, airports);
    TrafficSet set;
    set.LastPlan = OldLastPlan;
    set.LastAircraft = OldLastAircraft;
    set.LastAirport = OldLastAirport;
    const Loaded l = Load(set, files.Path("FlightPlans.txt"));
    QVERIFY(!l.Result.Complete);
    QCOMPARE(B(l.Result.Stop.File), B(files.Path(stopFile)));
    QTEST(static_cast<int>(l.Result.Stop.Line), "stopLine");
    QVERIFY2(B(l.Result.Stop.Reason).contains(reason), l.Result.Stop.Reason.c_str());
    QTEST(l.Result.PlansRead, "plansRead");
    QTEST(set.LastPlan, "lastPlan");
    QTEST(set.LastAircraft, "lastAircraft");
    QCOMPARE(set.LastAirport, OldLastAirport);
    QVERIFY(l.Reports.isEmpty());
}

void TestLoadSave::entriesBeforeAStopStay() {
    Set files;
    files.WriteAll(P1 + "\r\n", "AC#5,250,\"A\"\r\nAC#6,300,\"B\"\r\nbroken\r\n",
                   "KSEA,1\r\nKPDX,2\r\n");
    TrafficSet set;
    const Loaded l = Load(set, files.Path("FlightPlans.txt"));
    QVERIFY(!l.Result.Complete);
    QCOMPARE(static_cast<int>(l.Result.Stop.Line), 3);
    QCOMPARE(set.LastPlan, 0);
    QCOMPARE(static_cast<int>(set.AircraftTable[0].Atag), 5);
    QCOMPARE(static_cast<int>(set.AircraftTable[1].Atag), 6);
    QCOMPARE(B(set.AircraftTable[1].Acraft), QByteArray("\"B\""));
    QCOMPARE(set.LastAircraft, 0); // start-up value: Aircraft.txt was not read to its end

    files.Write("Airports.txt", "KSEA,1\r\nKPDX,2\r\nKBOI\r\n");
    files.Write("Aircraft.txt", Aircraft2);
    const Loaded again = Load(set, files.Path("FlightPlans.txt"));
    QVERIFY(!again.Result.Complete);
    QCOMPARE(set.LastAircraft, 1);
    QCOMPARE(B(set.AirportTable[0]), QByteArray("KSEA"));
    QCOMPARE(B(set.AirportTable[1]), QByteArray("KPDX"));
    QCOMPARE(set.LastAirport, 0);
}

void TestLoadSave::plansWholeTellsWhetherThePlanTableIsOneSet() {
    Set files;
    TrafficSet set;
    QVERIFY(!set.PlansWhole);

    files.WriteAll(P1 + "\r\n", Absent, Absent);
    QVERIFY(!Load(set, files.Path("FlightPlans.txt")).Result.Complete);
    QVERIFY2(set.PlansWhole, "a stop in Aircraft.txt leaves the plans whole");

    QVERIFY(!Load(set, files.Path("Missing.txt")).Result.PlansRead);
    QVERIFY2(set.PlansWhole, "a flight-plan file that can't be opened leaves the table alone");
    QCOMPARE(set.LastPlan, 0);
    QCOMPARE(B(JoinPlans(set, 0)), P1);
}

// 500,001 plans fill the table; the 500,002nd stops the load inside the flight-plan file.
void TestLoadSave::planCapacity() {
    const QByteArray plan("AC#1,N,1%,D,I,X,KSEA\r\n");
    Set files;
    files.WriteAll("// fleet\r\n" + plan.repeated(PlanSlots::Capacity));
    TrafficSet set;
    Loaded l = Load(set, files.Path("FlightPlans.txt"));
    QVERIFY2(l.Result.Complete, l.Result.Stop.Reason.c_str());
    QVERIFY(l.Reports.isEmpty());
    QCOMPARE(set.LastPlan, 500000);
    QCOMPARE(set.PlanTable.Size(), 500001);
    QVERIFY(set.PlansWhole);
    QCOMPARE(B(JoinPlans(set, 500000)), QByteArray("AC#1,N,1%,D,I,X,KSEA"));

    files.Write("FlightPlans.txt", "// fleet\r\n" + plan.repeated(PlanSlots::Capacity) +
                                       "AC#2,M,2%,D,I,X,KPDX\r\n// after\r\n");
    set.LastAircraft = OldLastAircraft;
    set.LastAirport = OldLastAirport;
    l = Load(set, files.Path("FlightPlans.txt"));
    QVERIFY(!l.Result.Complete);
    QVERIFY(!l.Result.PlansRead);
    QCOMPARE(B(l.Result.Stop.File), B(files.Path("FlightPlans.txt")));
    QCOMPARE(l.Result.Stop.Line, int64_t{500003});
    QVERIFY2(B(l.Result.Stop.Reason).contains("500001"), l.Result.Stop.Reason.c_str());
    QVERIFY(!set.PlansWhole);
    QCOMPARE(set.PlanCursor, 500000);
    QCOMPARE(set.LastPlan, 500000); // from the load before
    QCOMPARE(set.LastAircraft, OldLastAircraft);
    QCOMPARE(set.LastAirport, OldLastAirport);
}

void TestLoadSave::aircraftCapacity_data() {
    QTest::addColumn<QByteArray>("aircraft");
    QTest::addColumn<int>("stopLine"); // 0 for a whole read
    QTest::addColumn<int>("lastAircraft");

    const QByteArray line("AC#1,250,\"J\"\r\n");
    QTest::newRow("3,001 lines fill the table") << line.repeated(3001) << 0 << 3000;
    QTest::newRow("3,001 lines with an empty last one fill the table")
        << line.repeated(3000) + "\r\n"
        << 0 << 3000;
    QTest::newRow("a 3,002nd line stops the load at that line")
        << line.repeated(3002) << 3002 << OldLastAircraft;
    QTest::newRow("an empty 3,002nd line stops the load as well") << line.repeated(3001) + "\r\n"
                                                                  << 3002 << OldLastAircraft;
    QTest::newRow("empty lines count towards the capacity")
        << QByteArray("\r\n").repeated(3001) + line << 3002 << OldLastAircraft;
}

void TestLoadSave::aircraftCapacity() {
    QFETCH(QByteArray, aircraft);
    QFETCH(int, stopLine);
    Set files;
    files.WriteAll(P1 + "\r\n", aircraft);
    TrafficSet set;
    set.LastAircraft = OldLastAircraft;
    const Loaded l = Load(set, files.Path("FlightPlans.txt"));
    QCOMPARE(l.Result.Complete, stopLine == 0);
    if (stopLine != 0) {
        QCOMPARE(static_cast<int>(l.Result.Stop.Line), stopLine);
        QCOMPARE(B(l.Result.Stop.File), B(files.Path("Aircraft.txt")));
        QVERIFY(!l.Result.Stop.Reason.empty());
    }
    QTEST(set.LastAircraft, "lastAircraft");
}

void TestLoadSave::airportCapacity_data() {
    QTest::addColumn<QByteArray>("airports");
    QTest::addColumn<int>("stopLine"); // 0 for a whole read
    QTest::addColumn<int>("lastAirport");

    const QByteArray line("K,\r\n");
    QTest::newRow("100,001 codes fill the table, empty lines not counted")
        << "\r\n" + line.repeated(100001) + "\r\n"
        << 0 << 100000;
    QTest::newRow("a 100,002nd code stops the load at its line")
        << "\r\n" + line.repeated(100002) << 100003 << OldLastAirport;
}

void TestLoadSave::airportCapacity() {
    QFETCH(QByteArray, airports);
    QFETCH(int, stopLine);
    Set files;
    files.WriteAll(P1 + "\r\n", Aircraft2, airports);
    TrafficSet set;
    set.LastAirport = OldLastAirport;
    const Loaded l = Load(set, files.Path("FlightPlans.txt"));
    QCOMPARE(l.Result.Complete, stopLine == 0);
    if (stopLine != 0) {
        QCOMPARE(static_cast<int>(l.Result.Stop.Line), stopLine);
        QCOMPARE(B(l.Result.Stop.File), B(files.Path("Airports.txt")));
        QVERIFY(!l.Result.Stop.Reason.empty());
    }
    QTEST(set.LastAirport, "lastAirport");
}

void TestLoadSave::emptyAircraftLineTakesAnEmptiedSlot() {
    Set files;
    files.WriteAll(P1 + "\r\n", "AC#1,250,\"A\"\r\nAC#2,260,\"B\"\r\nAC#3,270,\"C\"\r\n");
    TrafficSet set;
    QVERIFY(Load(set, files.Path("FlightPlans.txt")).Result.Complete);
    QCOMPARE(static_cast<int>(set.AircraftTable[1].Atag), 2);

    files.Write("Aircraft.txt", "AC#7,250,\"X\"\r\n\r\nAC#9,270,\"Z\"\r\n");
    QVERIFY(Load(set, files.Path("FlightPlans.txt")).Result.Complete);
    QCOMPARE(set.LastAircraft, 2);
    QCOMPARE(static_cast<int>(set.AircraftTable[0].Atag), 7);
    QCOMPARE(static_cast<int>(set.AircraftTable[1].Atag), 0);
    QCOMPARE(static_cast<int>(set.AircraftTable[1].ASpeed), 0);
    QCOMPARE(B(set.AircraftTable[1].Acraft), QByteArray());
    QCOMPARE(static_cast<int>(set.AircraftTable[2].Atag), 9);
}

// After a whole read a table holds Last + 1 slots, and slots it grows into later are empty.
void TestLoadSave::tablesAreCutAfterAWholeRead() {
    Set files;
    files.WriteAll(Lines({P1, P2, P1}), "AC#1,1,\"A\"\r\nAC#2,2,\"B\"\r\nAC#3,3,\"C\"\r\n",
                   "KSEA,\r\nKPDX,\r\nKBOI,\r\n");
    TrafficSet set;
    QVERIFY(Load(set, files.Path("FlightPlans.txt")).Result.Complete);
    QCOMPARE(set.PlanTable.Size(), 3);

    files.WriteAll(Lines({P2}), "AC#4,4,\"D\"\r\n", "KGEG,\r\n");
    QVERIFY(Load(set, files.Path("FlightPlans.txt")).Result.Complete);
    QCOMPARE(set.PlanTable.Size(), 1);
    QCOMPARE(set.AircraftTable.Size(), 1);
    QCOMPARE(set.AirportTable.Size(), 1);
    set.PlanTable.Resize(3);
    set.AircraftTable.Resize(3);
    set.AirportTable.Resize(3);
    QCOMPARE(B(JoinPlans(set, 2)), QByteArray("AC#0,,0%,,,,"));
    QCOMPARE(static_cast<int>(set.AircraftTable[2].Atag), 0);
    QCOMPARE(B(set.AirportTable[2]), QByteArray());

    files.WriteAll("// none\r\n", "", "");
    QVERIFY(Load(set, files.Path("FlightPlans.txt")).Result.Complete);
    QCOMPARE(set.LastPlan, -1);
    QCOMPARE(set.LastAircraft, -1);
    QCOMPARE(set.LastAirport, -1);
    QCOMPARE(set.PlanTable.Size(), 0);
}

void TestLoadSave::referenceFilesFoundWhateverTheirCase() {
    Set files;
    files.Write("My Plans.dat", P1 + "\r\n");
    files.Write("aircraft.TXT", Aircraft2);
    files.Write("AIRPORTS.txt", Airports2);
    TrafficSet set;
    const Loaded l = Load(set, files.Path("My Plans.dat"));
    QVERIFY2(l.Result.Complete, l.Result.Stop.File.c_str());
    QCOMPARE(set.LastAircraft, 1);
    QCOMPARE(set.LastAirport, 1);
}

void TestLoadSave::pathInFolder_data() {
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QString>("found");

    QTest::newRow("the exact name") << QStringList{"Aircraft.txt"} << "Aircraft.txt";
    QTest::newRow("a name in other cases") << QStringList{"AIRCRAFT.TXT"} << "AIRCRAFT.TXT";
    QTest::newRow("the exact name wins over other cases")
        << QStringList{"aircraft.txt", "Aircraft.txt", "AIRCRAFT.txt"} << "Aircraft.txt";
    QTest::newRow("a missing file gives the exact name")
        << QStringList{"Aircraft.txt.bak"} << "Aircraft.txt";
}

void TestLoadSave::pathInFolder() {
    QFETCH(QStringList, present);
    QFETCH(QString, found);
    Set files;
    for (const auto& name : present)
        files.Write(name.toLatin1(), "x");
    const std::string folder = files.Root().toStdString();
    QCOMPARE(B(PathInFolder(folder, "Aircraft.txt")), B(folder + "/" + found.toStdString()));
}

void TestLoadSave::getFolder_data() {
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("folder"); // "<cwd>" for the current folder

    QTest::newRow("a file in a folder gives the folder")
        << QByteArray("/a/b/FlightPlans.txt") << QByteArray("/a/b");
    QTest::newRow("a file in the root folder gives the empty folder")
        << QByteArray("/FlightPlans.txt") << QByteArray("");
    QTest::newRow("a one-letter name under the root gives the empty folder")
        << QByteArray("/x") << QByteArray("");
    QTest::newRow("the root alone gives the empty folder") << QByteArray("/") << QByteArray("");
    QTest::newRow("a trailing separator is removed") << QByteArray("/a/b/") << QByteArray("/a/b");
    QTest::newRow("a relative path keeps its folder")
        << QByteArray("a/b/c.txt") << QByteArray("a/b");
    QTest::newRow("a name with its only separator at the end")
        << QByteArray("a/") << QByteArray("a");
    QTest::newRow("a bare file name gives the current folder")
        << QByteArray("FlightPlans.txt") << QByteArray("<cwd>");
    QTest::newRow("an empty path gives the current folder")
        << QByteArray("") << QByteArray("<cwd>");
    QTest::newRow("a backslash is no separator here")
        << QByteArray("a\\b.txt") << QByteArray("<cwd>");
    QTest::newRow("8-bit bytes in the folder are kept")
        << QByteArray("/caf\xE9/x.txt") << QByteArray("/caf\xE9");
}

void TestLoadSave::getFolder() {
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, folder);
    if (folder == "<cwd>") {
        std::string cwd = fs::current_path().string();
        if (!cwd.empty() && cwd.back() == '/')
            cwd.pop_back();
        folder = B(cwd);
    }
    QCOMPARE(B(GetFolder(std::string(path.constData(), path.size()))), folder);
}

void TestLoadSave::savedLinesEndInCrLf() {
    TrafficSet set;
    FillPlans(set, 2);
    set.PlanTable[1].SetCment("//last");
    set.KeptLines = {{0, "; first"}, {1, ""}, {2, "// tail"}};
    Set files;
    const std::string out = files.Path("Out.txt");
    QVERIFY(SavePlans(set, out).Ok);
    QCOMPARE(ReadBytes(out),
             Lines({"; first", "AC#1,N0,100%,24Hr,IFR,06:00,07:00,100,F,11,KPDX,KSEA", "",
                    "AC#1,N1,100%,24Hr,IFR,06:00,07:00,100,F,11,KPDX,KSEA//last", "// tail"}));
}

void TestLoadSave::noPlansSavesOnlyTheKeptLines() {
    Set files;
    const std::string out = files.Path("Out.txt");
    TrafficSet set;
    set.LastPlan = -1;
    QVERIFY(SavePlans(set, out).Ok);
    QVERIFY(QFile::exists(QString::fromStdString(out)));
    QCOMPARE(ReadBytes(out), QByteArray());

    set.KeptLines = {{0, "// only"}, {0, "bad"}};
    QVERIFY(SavePlans(set, out).Ok);
    QCOMPARE(ReadBytes(out), QByteArray("// only\r\nbad\r\n"));
}

void TestLoadSave::saveReplacesALongerFile() {
    Set files;
    files.Write("FlightPlans.txt", QByteArray(100000, 'z'));
    TrafficSet set;
    FillPlans(set, 1);
    QVERIFY(SavePlans(set, files.Path("FlightPlans.txt")).Ok);
    QCOMPARE(ReadBytes(files.Path("FlightPlans.txt")), Lines({JoinPlans(set, 0).c_str()}));
    QCOMPARE(files.Entries(), QStringList{"FlightPlans.txt"});
}

void TestLoadSave::failedWriteLeavesTheOldFile_data() {
    QTest::addColumn<int>("plans");
    QTest::addColumn<int>("writesAllowed");

    QTest::newRow("the first write fails") << 3 << 0;
    QTest::newRow("a write after the first block fails") << 30000 << 1;
}

void TestLoadSave::failedWriteLeavesTheOldFile() {
    QFETCH(int, plans);
    QFETCH(int, writesAllowed);
    Set files;
    const QByteArray old = "// the old set\r\n" + P1 + "\r\n";
    files.Write("FlightPlans.txt", old);
    TrafficSet set;
    FillPlans(set, plans);
    const SaveResult r =
        SavePlans(set, files.Path("FlightPlans.txt"), [writesAllowed](QIODevice& file) {
            return new FailingDevice(file, writesAllowed);
        });
    QVERIFY(!r.Ok);
    QVERIFY2(B(r.Error).contains("No space left"), r.Error.c_str());
    QCOMPARE(ReadBytes(files.Path("FlightPlans.txt")), old);
    QCOMPARE(files.Entries(), QStringList{"FlightPlans.txt"});
}

void TestLoadSave::saveIntoAMissingFolderFails() {
    Set files;
    TrafficSet set;
    FillPlans(set, 1);
    const SaveResult r = SavePlans(set, files.Path("missing/FlightPlans.txt"));
    QVERIFY(!r.Ok);
    QVERIFY(!r.Error.empty());
    QVERIFY(files.Entries().isEmpty());
}

void TestLoadSave::symlinkStaysALink_data() {
    QTest::addColumn<bool>("relative");
    QTest::newRow("a link by absolute path") << false;
    QTest::newRow("a link by relative path") << true;
}

void TestLoadSave::symlinkStaysALink() {
    QFETCH(bool, relative);
    Set files;
    QVERIFY(QDir(files.Root()).mkdir("real"));
    files.Write("real/FlightPlans.txt", "old\r\n");
    const fs::path target =
        relative ? fs::path("real/FlightPlans.txt") : fs::path(files.Path("real/FlightPlans.txt"));
    const fs::path link = files.Path("Link.txt");
    fs::create_symlink(target, link);

    TrafficSet set;
    FillPlans(set, 1);
    const SaveResult r = SavePlans(set, link.string());
    QVERIFY2(r.Ok, r.Error.c_str());
    QVERIFY(fs::is_symlink(link));
    QCOMPARE(B(fs::read_symlink(link).string()), B(target.string()));
    const QByteArray expected = Lines({JoinPlans(set, 0).c_str()});
    QCOMPARE(ReadBytes(files.Path("real/FlightPlans.txt")), expected);
    QCOMPARE(files.Entries(), (QStringList{"Link.txt", "real"}));
    QCOMPARE(QDir(files.Root() + "/real").entryList(QDir::Files | QDir::Hidden),
             QStringList{"FlightPlans.txt"});
}

void TestLoadSave::permissionBitsAreKept() {
    Set files;
    files.Write("FlightPlans.txt", "old\r\n");
    const std::string path = files.Path("FlightPlans.txt");
    const auto perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                       fs::perms::others_read | fs::perms::group_write;
    fs::permissions(path, perms, fs::perm_options::replace);
    TrafficSet set;
    FillPlans(set, 1);
    QVERIFY(SavePlans(set, path).Ok);
    QCOMPARE(static_cast<int>(fs::status(path).permissions()), static_cast<int>(perms));

    const auto ownerOnly = fs::perms::owner_read | fs::perms::owner_write;
    fs::permissions(path, ownerOnly, fs::perm_options::replace);
    QVERIFY(SavePlans(set, path).Ok);
    QCOMPARE(static_cast<int>(fs::status(path).permissions()), static_cast<int>(ownerOnly));
}

void TestLoadSave::lineReader_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QList<QByteArray>>("lines");

    constexpr int Block = 1 << 20;
    const QByteArray fill(Block - 1, 'x');
    QTest::newRow("a CR ending the first block followed by a LF is one line end")
        << fill + "\r\nnext\r\n"
        << QList<QByteArray>{fill, "next"};
    const QByteArray later(Block - 5, 'y');
    QTest::newRow("a CR ending a later block followed by a LF is one line end")
        << "ab\r\n" + later + "\r\nz" << QList<QByteArray>{"ab", later, "z"};
    QTest::newRow("a bare CR ending a block is a line end")
        << fill + "\rnext" << QList<QByteArray>{fill, "next"};
    QTest::newRow("a CR that is the file's last byte at a block end")
        << fill + "\r" << QList<QByteArray>{fill};
    QTest::newRow("a CR ending a block followed by CR LF gives an empty line")
        << fill + "\r\r\n"
        << QList<QByteArray>{fill, ""};
    QTest::newRow("a LF opening the second block")
        << QByteArray(Block, 'w') + "\nv" << QList<QByteArray>{QByteArray(Block, 'w'), "v"};
    QTest::newRow("a last line without a line end filling the block exactly")
        << QByteArray(Block, 'e') << QList<QByteArray>{QByteArray(Block, 'e')};
    QTest::newRow("an empty file has no line") << QByteArray() << QList<QByteArray>{};
    QTest::newRow("a line end alone is one empty line")
        << QByteArray("\r\n") << QList<QByteArray>{""};
    QTest::newRow("two LFs are two empty lines") << QByteArray("\n\n") << QList<QByteArray>{"", ""};
    QTest::newRow("two CRs are two empty lines") << QByteArray("\r\r") << QList<QByteArray>{"", ""};
    QTest::newRow("a last line without a line end")
        << QByteArray("a\r\nb") << QList<QByteArray>{"a", "b"};
    QTest::newRow("a byte-order mark alone leaves no line")
        << QByteArray("\xEF\xBB\xBF") << QList<QByteArray>{};
    QTest::newRow("a byte-order mark is skipped only at the start")
        << QByteArray("\xEF\xBB\xBF"
                      "a\r\n\xEF\xBB\xBF"
                      "b\r\n")
        << QList<QByteArray>{"a", "\xEF\xBB\xBF"
                                  "b"};
    QTest::newRow("half a byte-order mark is kept") << QByteArray("\xEF\xBB"
                                                                  "a")
                                                    << QList<QByteArray>{"\xEF\xBB"
                                                                         "a"};
    QTest::newRow("NUL bytes are part of the line")
        << QByteArray("a\0b\r\n", 5) << QList<QByteArray>{QByteArray("a\0b", 3)};
}

void TestLoadSave::lineReader() {
    QFETCH(QByteArray, content);
    QFETCH(QList<QByteArray>, lines);
    Set files;
    files.Write("f.txt", content);
    int64_t last = -1;
    const auto got = ReadAllLines(files.Path("f.txt"), &last);
    QCOMPARE(static_cast<int>(got.size()), lines.size());
    for (int i = 0; i < lines.size(); ++i)
        QVERIFY2(B(got[static_cast<std::size_t>(i)]) == lines[i],
                 QByteArray::number(i).constData());
    QCOMPARE(last, static_cast<int64_t>(lines.size()));
}

void TestLoadSave::lineReaderLongLine_data() {
    QTest::addColumn<QByteArray>("end");
    QTest::newRow("a 3 MiB line ended by CR LF") << QByteArray("\r\n");
    QTest::newRow("a 3 MiB line ended by the file's end") << QByteArray();
}

void TestLoadSave::lineReaderLongLine() {
    QFETCH(QByteArray, end);
    QByteArray line(3 << 20, 'a');
    for (int i = 0; i < line.size(); i += 4093)
        line[i] = static_cast<char>('A' + i % 26);
    Set files;
    files.Write("f.txt", line + end + "tail");
    const auto got = ReadAllLines(files.Path("f.txt"));
    if (end.isEmpty()) {
        QCOMPARE(got.size(), std::size_t{1});
        QVERIFY(B(got[0]) == line + "tail");
    } else {
        QCOMPARE(got.size(), std::size_t{2});
        QVERIFY(B(got[0]) == line);
        QCOMPARE(B(got[1]), QByteArray("tail"));
    }
}

// Whatever the block size, the same lines come back: line ends split across blocks included.
void TestLoadSave::lineReaderAnyBlockSize() {
    const QByteArray content("\xEF\xBB\xBF"
                             "a\r\nbc\rdef\n\r\n\r\rghij\r\n\n\nk\rlmnop\r\nq");
    const std::vector<std::string> expected{"a",    "bc", "def", "",  "",      "",
                                            "ghij", "",   "",    "k", "lmnop", "q"};
    Set files;
    files.Write("f.txt", content);
    for (std::size_t block = 1; block <= static_cast<std::size_t>(content.size()) + 2; ++block) {
        LineReader in(block);
        QVERIFY(in.Open(files.Path("f.txt")));
        std::vector<std::string> got;
        std::string_view line;
        while (in.Next(line))
            got.emplace_back(line);
        QVERIFY(!in.Failed());
        QVERIFY2(got == expected, QByteArray::number(static_cast<qulonglong>(block)).constData());
    }
}

void TestLoadSave::lineReaderOpenFailures() {
    Set files;
    LineReader missing;
    QVERIFY(!missing.Open(files.Path("none.txt")));
    QVERIFY(!missing.Error().empty());
    LineReader folder;
    QVERIFY(!folder.Open(files.Root().toStdString()));
    QVERIFY(!folder.Error().empty());
}

// The sample set loads without a report, and saving it gives back the very same bytes.
void TestLoadSave::sampleSetLoadsCleanly() {
    const std::string plans = TARVIK_SOURCE_DIR "/samples/FlightPlans.txt";
    TrafficSet set;
    const Loaded l = Load(set, plans);
    QVERIFY2(l.Result.Complete, (l.Result.Stop.File + ": " + l.Result.Stop.Reason).c_str());
    QCOMPARE(l.Reports, QList<QByteArray>{});
    QCOMPARE(set.LastPlan, 39);
    QCOMPARE(set.LastAircraft, 7);
    QCOMPARE(set.LastAirport, 9);

    for (int32_t i = 0; i <= set.LastPlan; ++i) {
        const FlightPlan& p = set.PlanTable[i];
        bool aircraftKnown = false;
        for (int32_t a = 0; a <= set.LastAircraft; ++a)
            aircraftKnown = aircraftKnown || set.AircraftTable[a].Atag == p.Tag;
        bool homeKnown = false;
        for (int32_t a = 0; a <= set.LastAirport; ++a)
            homeKnown = homeKnown || set.AirportTable[a] == p.HPort();
        QVERIFY2(aircraftKnown && homeKnown, JoinPlans(p).c_str());
    }
    bool commaTitle = false;
    for (int32_t a = 0; a <= set.LastAircraft; ++a)
        commaTitle = commaTitle || set.AircraftTable[a].Acraft.find(',') != std::string::npos;
    QVERIFY2(commaTitle, "one aircraft title holds a comma");

    Set files;
    const std::string out = files.Path("FlightPlans.txt");
    QVERIFY(SavePlans(set, out).Ok);
    QCOMPARE(ReadBytes(out), ReadBytes(plans));
}

QTEST_GUILESS_MAIN(TestLoadSave)
#include "TestLoadSave.moc"
