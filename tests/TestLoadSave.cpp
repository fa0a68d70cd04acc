// Loading a traffic set from its three files and saving the flight-plan file, on folders written
// at test time.

#include "support/ByteText.h"
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

const QByteArray Absent("<absent>");
const QByteArray Folder("<folder>");
const QByteArray Aircraft2("AC#1,250,\"Jet One\"\r\nAC#2,180,\"Prop Two\"\r\n");
const QByteArray Airports2("KSEA,47.45,-122.31,433\r\nKPDX,45.59,-122.60,31\r\n");
const QByteArray P1("AC#1,N101,100%,24Hr,IFR,06:00,07:00,100,F,11,KPDX,KSEA");
const QByteArray P2("AC#2,N202,50%,Week,VFR,1/08:00,1/09:00,45,R,21,KSEA,KPDX");

// Last values a load must leave alone when it does not read their file to its end.
constexpr int OldLastPlan = 77;
constexpr int OldLastAircraft = 88;
constexpr int OldLastAirport = 99;

// A folder of traffic files that lives as long as the test.
class Set {
public:
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
    QString Root() const { return Dir.path(); }

private:
    QTemporaryDir Dir;
};

QByteArray ReadBytes(const std::string& path) {
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

struct Loaded {
    LoadResult Result;
    QList<QByteArray> Reports;
};

Loaded Load(TrafficSet& set, const std::string& plansFile) {
    set.PlansFile = plansFile;
    set.PlansFolder = GetFolder(plansFile);
    Loaded l;
    l.Result = FillFPlans(set, [&l](int64_t line, const std::string& text) {
        l.Reports.append("There may be a problem in Line number" +
                         QByteArray::number(qint64(line)) + '\n' + B(text));
    });
    return l;
}

QByteArray Report(int line, const QByteArray& text) {
    return "There may be a problem in Line number" + QByteArray::number(line) + '\n' + text;
}

QByteArray Lines(const QList<QByteArray>& lines, const char* end = "\r\n") {
    QByteArray out;
    for (const auto& l : lines)
        out += l + end;
    return out;
}

} // namespace

class TestLoadSave : public QObject {
    Q_OBJECT

private slots:
    void reports_data();
    void reports();
    void saveAfterLoad_data();
    void saveAfterLoad();
    void stops_data();
    void stops();
    void capacity_data();
    void capacity();
    void emptyAircraftLineTakesAnEmptiedSlot();
    void referenceFilesFoundWhateverTheirCase();
    void getFolder_data();
    void getFolder();
    void symlinkStaysALink();
    void lineReader_data();
    void lineReader();
    void lineReaderAnyBlockSize();
    void sampleSetLoadsCleanly();
};

void TestLoadSave::reports_data() {
    QTest::addColumn<QByteArray>("plans");
    QTest::addColumn<QList<QByteArray>>("reports");
    QTest::addColumn<int>("lastPlan");

    const QByteArray p1 = P1 + "\r\n";
    QTest::newRow("a problem in the first line is reported as line 1")
        << "oops\r\n" + p1 << QList<QByteArray>{Report(1, "oops")} << 0;
    QTest::newRow("blank and comment lines count for the line number")
        << "// c\r\n\r\n; d\r\n" + p1 + "   \r\n"
        << QList<QByteArray>{Report(5, "   ")} << 0;
    QTest::newRow("every doubtful line is reported once, in file order")
        << "a\r\n" + p1 + "b\r\n"
        << QList<QByteArray>{Report(1, "a"), Report(3, "b")} << 0;
    QTest::newRow("a line without a comma is reported with its semicolon rewritten")
        << QByteArray("abc;def\r\n") << QList<QByteArray>{Report(1, "abc//def")} << -1;
    QTest::newRow("comment lines are dropped silently")
        << QByteArray("// a\r\n; b\r\n//\r\n") << QList<QByteArray>{} << -1;
    QTest::newRow("a plan line with a comment that fails the plan test is dropped silently")
        << QByteArray("AC#0,N1,50%,Week,VFR,X1,KLAX//x\r\n") << QList<QByteArray>{} << -1;
    QTest::newRow("plans naming no aircraft are loaded without remark")
        << QByteArray("AC#99,N9,10%,24Hr,IFR,X9,KSEA\r\n") << QList<QByteArray>{} << 0;
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
                                 "AC#5,N5,60,24Hr,IFR,X5,KBOI",
                                 "// end"};
    QList<QByteArray> written = read;
    written[4] = "AC#2,N2,50%,Week,VFR,X2,KPDX//note";
    written[7] = "AC#5,N5,60%,24Hr,IFR,X5,KBOI";
    const QByteArray out = Lines(written);

    QTest::newRow("plan lines come back as written and every other line in its place")
        << Lines(read) << out;
    QTest::newRow("bare LF line ends are written as CR LF") << Lines(read, "\n") << out;
    QTest::newRow("bare CR line ends are written as CR LF") << Lines(read, "\r") << out;
    QTest::newRow("a UTF-8 byte-order mark is skipped") << "\xEF\xBB\xBF" + Lines(read) << out;
    QByteArray noEnd = Lines(read);
    noEnd.chop(2);
    QTest::newRow("a last line without a line end gains one") << noEnd << out;
    QTest::newRow("CR CR LF is a line end followed by an empty line")
        << P1 + "\r\r\n" + P2 << P1 + "\r\n\r\n" + P2 + "\r\n";
    const QByteArray eightBit =
        Lines({"// caf\xE9 \xFF\x80", QByteArray("// tab \t and \x01", 14),
               "AC#1,N\xE9,100%,24Hr,IFR,X\xA0"
               "1,KSEA//\xE9t\xE9",
               "\xC9\xC9\xC9 \xFE"});
    QTest::newRow("8-bit and control bytes come back unchanged") << eightBit << eightBit;
    QTest::newRow("a file without plans saves only its other lines")
        << QByteArray("// a\r\n\r\n; b\r\n") << QByteArray("// a\r\n\r\n; b\r\n");
    QTest::newRow("an empty file saves as an empty file") << QByteArray() << QByteArray();
}

// A second load and save of what was saved changes nothing more.
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
    QCOMPARE(ReadBytes(out), saved);

    TrafficSet again;
    QVERIFY(Load(again, out).Result.Complete);
    QVERIFY(SavePlans(again, out).Ok);
    QCOMPARE(ReadBytes(out), saved);
}

void TestLoadSave::stops_data() {
    QTest::addColumn<QByteArray>("plans");
    QTest::addColumn<QByteArray>("aircraft");
    QTest::addColumn<QByteArray>("airports");
    QTest::addColumn<QByteArray>("stopFile");
    QTest::addColumn<int>("stopLine");
    QTest::addColumn<QByteArray>("reason");
    QTest::addColumn<int>("lastPlan");
    QTest::addColumn<int>("lastAircraft");

    const QByteArray plans = P1 + "\r\n" + P2 + "\r\n";
    QTest::newRow("a missing flight-plan file stops before anything is read")
        << Absent << Aircraft2 << Airports2 << QByteArray("FlightPlans.txt") << 0
        << QByteArray("No such file") << OldLastPlan << OldLastAircraft;
    QTest::newRow("a flight-plan path naming a folder stops before anything is read")
        << Folder << Aircraft2 << Airports2 << QByteArray("FlightPlans.txt") << 0
        << QByteArray("folder") << OldLastPlan << OldLastAircraft;
    QTest::newRow("a missing Aircraft.txt stops after the plans")
        << plans << Absent << Airports2 << QByteArray("Aircraft.txt") << 0
        << QByteArray("No such file") << 1 << OldLastAircraft;
    QTest::newRow("a missing Airports.txt stops after the aircraft")
        << plans << Aircraft2 << Absent << QByteArray("Airports.txt") << 0
        << QByteArray("No such file") << 1 << 1;
    QTest::newRow("an aircraft line without a double quote stops at its line, empty ones counted")
        << plans << QByteArray("AC#1,250,\"A\"\r\n\r\nAC#3,250,Jet\r\nAC#4,250,\"D\"\r\n")
        << Airports2 << QByteArray("Aircraft.txt") << 3 << QByteArray("double quote") << 1
        << OldLastAircraft;
    QTest::newRow("an airport line without a comma stops at its line, empty ones counted")
        << plans << Aircraft2 << QByteArray("KSEA,1\r\n\r\nKPDX\r\nKBOI,2\r\n")
        << QByteArray("Airports.txt") << 3 << QByteArray("comma") << 1 << 1;
}

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
    QTEST(set.LastPlan, "lastPlan");
    QTEST(set.LastAircraft, "lastAircraft");
    QCOMPARE(set.LastAirport, OldLastAirport);
    QVERIFY(l.Reports.isEmpty());
}

void TestLoadSave::capacity_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("stopLine"); // 0 for a whole read
    QTest::addColumn<int>("last");     // the file's Last value after the load

    const QByteArray plan("AC#1,N,1%,D,I,X,KSEA\r\n");
    const QByteArray aircraft("AC#1,250,\"J\"\r\n");
    const QByteArray airport("K,\r\n");
    QTest::newRow("500,001 plans after a comment fill the plan table")
        << QByteArray("FlightPlans.txt") << "// fleet\r\n" + plan.repeated(500001) << 0 << 500000;
    QTest::newRow("a 500,002nd plan stops the load at its line")
        << QByteArray("FlightPlans.txt") << "// fleet\r\n" + plan.repeated(500002) << 500003
        << OldLastPlan;
    QTest::newRow("3,001 aircraft lines with an empty last one fill the aircraft table")
        << QByteArray("Aircraft.txt") << aircraft.repeated(3000) + "\r\n"
        << 0 << 3000;
    QTest::newRow("an empty 3,002nd aircraft line stops the load at its line")
        << QByteArray("Aircraft.txt") << aircraft.repeated(3001) + "\r\n"
        << 3002 << OldLastAircraft;
    QTest::newRow("100,001 airport codes fill the table, empty lines not counted")
        << QByteArray("Airports.txt") << "\r\n" + airport.repeated(100001) + "\r\n"
        << 0 << 100000;
    QTest::newRow("a 100,002nd airport code stops the load at its line")
        << QByteArray("Airports.txt") << "\r\n" + airport.repeated(100002) << 100003
        << OldLastAirport;
}

void TestLoadSave::capacity() {
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, bytes);
    QFETCH(int, stopLine);
    Set files;
    files.WriteAll(P1 + "\r\n");
    files.Write(file, bytes);
    TrafficSet set;
    set.LastPlan = OldLastPlan;
    set.LastAircraft = OldLastAircraft;
    set.LastAirport = OldLastAirport;
    const Loaded l = Load(set, files.Path("FlightPlans.txt"));
    QCOMPARE(l.Result.Complete, stopLine == 0);
    QVERIFY(l.Reports.isEmpty());
    if (stopLine != 0) {
        QCOMPARE(B(l.Result.Stop.File), B(files.Path(file)));
        QCOMPARE(static_cast<int>(l.Result.Stop.Line), stopLine);
    }
    const int last = file == "FlightPlans.txt" ? set.LastPlan
                     : file == "Aircraft.txt"  ? set.LastAircraft
                                               : set.LastAirport;
    QTEST(last, "last");
    QCOMPARE(set.PlansWhole, file != "FlightPlans.txt" || stopLine == 0);
}

void TestLoadSave::emptyAircraftLineTakesAnEmptiedSlot() {
    Set files;
    files.WriteAll(P1 + "\r\n", "AC#1,250,\"A\"\r\nAC#2,260,\"B\"\r\nAC#3,270,\"C\"\r\n");
    TrafficSet set;
    QVERIFY(Load(set, files.Path("FlightPlans.txt")).Result.Complete);

    files.Write("Aircraft.txt", "AC#7,250,\"X\"\r\n\r\nAC#9,270,\"Z\"\r\n");
    QVERIFY(Load(set, files.Path("FlightPlans.txt")).Result.Complete);
    QCOMPARE(set.LastAircraft, 2);
    QCOMPARE(static_cast<int>(set.AircraftTable[1].Atag), 0);
    QCOMPARE(static_cast<int>(set.AircraftTable[1].ASpeed), 0);
    QCOMPARE(B(set.AircraftTable[1].Acraft), QByteArray());
    QCOMPARE(static_cast<int>(set.AircraftTable[2].Atag), 9);
}

void TestLoadSave::referenceFilesFoundWhateverTheirCase() {
    Set files;
    files.Write("My Plans.dat", P1 + "\r\n");
    files.Write("aircraft.TXT", "AC#1,250,\"A\"\nAC#2,180,\"B\"\n");
    files.Write("AIRPORTS.txt", "KBOI,1\rKGEG,2\r");
    files.Write("Airports.txt", Airports2);
    TrafficSet set;
    const Loaded l = Load(set, files.Path("My Plans.dat"));
    QVERIFY2(l.Result.Complete, l.Result.Stop.File.c_str());
    QCOMPARE(set.LastAircraft, 1);
    QCOMPARE(B(set.AircraftTable[1].Acraft), QByteArray("\"B\""));
    QCOMPARE(set.LastAirport, 1);
    QCOMPARE(B(set.AirportTable[1]), QByteArray("KPDX"));
}

void TestLoadSave::getFolder_data() {
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("folder"); // "<cwd>" for the current folder

    QTest::newRow("a file in a folder gives the folder")
        << QByteArray("/a/b/FlightPlans.txt") << QByteArray("/a/b");
    QTest::newRow("a file in the root folder gives the empty folder")
        << QByteArray("/FlightPlans.txt") << QByteArray("");
    QTest::newRow("the root alone gives the empty folder") << QByteArray("/") << QByteArray("");
    QTest::newRow("a trailing separator is removed") << QByteArray("/a/b/") << QByteArray("/a/b");
    QTest::newRow("a name with its only separator at the end")
        << QByteArray("a/") << QByteArray("a");
    QTest::newRow("a bare file name gives the current folder")
        << QByteArray("FlightPlans.txt") << QByteArray("<cwd>");
    QTest::newRow("8-bit bytes in the folder are kept")
        << QByteArray("/caf\xE9/x.txt") << QByteArray("/caf\xE9");
}

void TestLoadSave::getFolder() {
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, folder);
    if (folder == "<cwd>")
        folder = B(fs::current_path().string());
    QCOMPARE(B(GetFolder(std::string(path.constData(), path.size()))), folder);
}

// A relative link stays that link; its longer old target is replaced whole, and no file is left
// beside it.
void TestLoadSave::symlinkStaysALink() {
    Set files;
    files.Write("real", Folder);
    files.Write("real/FlightPlans.txt", QByteArray(100000, 'z'));
    const fs::path target("real/FlightPlans.txt");
    const fs::path link = files.Path("Link.txt");
    fs::create_symlink(target, link);

    TrafficSet set;
    set.PlanTable.Resize(1);
    set.PlanTable[0].Assign(1, "N1", 100, "24Hr", "IFR", "KSEA", "06:00,07:00,100,F,11,KPDX", "");
    set.LastPlan = 0;
    const SaveResult r = SavePlans(set, link.string());
    QVERIFY2(r.Ok, r.Error.c_str());
    QCOMPARE(B(fs::read_symlink(link).string()), B(target.string()));
    QCOMPARE(ReadBytes(files.Path("real/FlightPlans.txt")), B(JoinPlans(set, 0) + "\r\n"));
    QCOMPARE(QDir(files.Root()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             (QStringList{"Link.txt", "real"}));
    QCOMPARE(QDir(files.Root() + "/real").entryList(QDir::Files | QDir::Hidden),
             QStringList{"FlightPlans.txt"});
}

void TestLoadSave::lineReader_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QList<QByteArray>>("lines");

    const QByteArray fill(4095, 'x');
    QTest::newRow("a CR ending the first block followed by a LF is one line end")
        << fill + "\r\nnext\r\n"
        << QList<QByteArray>{fill, "next"};
    QTest::newRow("a CR ending a block followed by CR LF gives an empty line")
        << fill + "\r\r\n"
        << QList<QByteArray>{fill, ""};
    QTest::newRow("a byte-order mark is skipped only at the start")
        << QByteArray("\xEF\xBB\xBF"
                      "a\r\n\xEF\xBB\xBF"
                      "b")
        << QList<QByteArray>{"a", "\xEF\xBB\xBF"
                                  "b"};
    QTest::newRow("half a byte-order mark is kept") << QByteArray("\xEF\xBB"
                                                                  "a")
                                                    << QList<QByteArray>{"\xEF\xBB"
                                                                         "a"};
}

void TestLoadSave::lineReader() {
    QFETCH(QByteArray, content);
    QFETCH(QList<QByteArray>, lines);
    Set files;
    files.Write("f.txt", content);
    LineReader in(4096);
    QVERIFY(in.Open(files.Path("f.txt")));
    QList<QByteArray> got;
    std::string_view line;
    while (in.Next(line))
        got.append(B(line));
    QVERIFY(!in.Failed());
    QVERIFY(got == lines);
    QCOMPARE(in.LineNumber(), static_cast<int64_t>(got.size()));
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
        QVERIFY2(got == expected, QByteArray::number(static_cast<qulonglong>(block)).constData());
    }
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
    Set files;
    QVERIFY(SavePlans(set, files.Path("FlightPlans.txt")).Ok);
    QCOMPARE(ReadBytes(files.Path("FlightPlans.txt")), ReadBytes(plans));
}

QTEST_GUILESS_MAIN(TestLoadSave)
#include "TestLoadSave.moc"