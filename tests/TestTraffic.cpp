// The traffic data: the line formats, loading a set from its three files, and saving the
// flight-plan file whole or not at all, whatever the disk, the file system or a kill does.

#include "support/Rows.h"
#include "support/System.h"
#include "support/Traffic.h"
#include "traffic/LineReader.h"
#include "traffic/Load.h"
#include "traffic/Numbers.h"
#include "traffic/PlanLine.h"
#include "traffic/RefLines.h"
#include "traffic/Save.h"
#include "traffic/Text.h"

#include <QtTest>

#include <cerrno>
#include <clocale>
#include <cstring>
#include <stdexcept>
#include <thread>

using namespace tarvik;

Q_DECLARE_METATYPE(tarvik::PlansKept)
using namespace tarvik::testing;

namespace {

// Set in the child of killedSaveLeavesTheOldOrTheNewFile: the file it saves to.
const char* const SaveForever = "TARVIK_TEST_SAVE_FOREVER";

// Lets the first Allowed writes through, then fails the others as a full disk.
class FailingDevice : public QIODevice {
public:
    FailingDevice(QIODevice& inner, int allowed) : Inner(inner), Allowed(allowed) {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        setErrorString(QStringLiteral("No space left on device"));
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 len) override {
        return Allowed-- > 0 ? Inner.write(data, len) : -1;
    }

private:
    QIODevice& Inner;
    int Allowed;
};

} // namespace

class TestTraffic : public QObject {
    Q_OBJECT

private slots:
    void commasAreFoundEverywhere_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("none") << QByteArray("no comma here, not one").replace(',', ' ');
        QTest::newRow("a short text") << QByteArray(",a,,b,");
        QTest::newRow("at the edges of sixteen-byte pieces")
            << QByteArray(",--------------,,--------------,,-----,");
        QTest::newRow("every byte") << QByteArray(40, ',');
    }
    // Every comma is found, in order, whether it lies in a piece of sixteen bytes or in the rest;
    // the search stops when told to.
    void commasAreFoundEverywhere() {
        QFETCH(QByteArray, text);
        QList<qsizetype> expected, found;
        for (qsizetype i = 0; i < text.size(); ++i)
            if (text[i] == ',')
                expected << i;
        QVERIFY(
            ForEachComma(S(text), [&](std::size_t at) { return found << qsizetype(at), true; }));
        QCOMPARE(found, expected);
        found.clear();
        const bool whole = ForEachComma(S(text), [&](std::size_t at) {
            found << qsizetype(at);
            return found.size() < 3;
        });
        QCOMPARE(whole, expected.size() < 3);
        QCOMPARE(found, expected.mid(0, 3));
    }

    // The child of killedSaveLeavesTheOldOrTheNewFile saves until it is killed.
    void initTestCase() {
        if (!qEnvironmentVariableIsSet(SaveForever))
            return;
        TrafficSet set;
        AddPlans(set, 100000, 100);
        for (;;)
            SaveSet(set, PathFromQt(qEnvironmentVariable(SaveForever)), Overwrite);
    }

    // Each line format by the table of its file. A flight-plan line gives its fields, then the
    // line a save writes when the load stores it as a plan; a refused aircraft line says why.
    void lineFormats_data() {
        AddRows("split-plans.txt");
        for (const char* file :
             {"parse-int16.txt", "split-aircraft.txt", "split-icao.txt", "get-folder.txt"})
            AddRows(file, false);
    }
    void lineFormats() {
        QFETCH(QByteArray, input);
        const QByteArray table = QByteArray(QTest::currentDataTag()).split(':')[0];
        std::string text = S(input), tail, rate, ivfr, home, legs, comment;
        int16_t tag = 0, pcent = 777;
        QByteArray got = B(SplitICAO(text));
        if (table == "split-plans.txt") {
            pcent = 0;
            const bool whole = SplitPlans(text, tag, tail, pcent, rate, ivfr, home, legs, comment);
            FlightPlan plan;
            plan.Assign(tag, tail, pcent, rate, ivfr, home, legs, comment);
            got = FieldsOf(plan) + " => " +
                  (IsStoredPlan(tag, home, legs, whole) ? B(JoinPlans(plan)) : "no plan");
        } else if (table == "parse-int16.txt") {
            const bool read = ParseInt16(text, pcent);
            QVERIFY(read || pcent == 777);
            got = read ? QByteArray::number(pcent) : "refused";
        } else if (table == "split-aircraft.txt") {
            const bool read = SplitAircraft(text, tail, tag, pcent, &comment);
            QCOMPARE(comment.empty(), read);
            got = read ? QByteArray::number(tag) + '|' + QByteArray::number(pcent) + '|' + B(tail)
                       : "refused";
        } else if (table == "get-folder.txt") {
            // Windows parts folders with "\\"; the table is written with "/".
            got = B(GetFolder(text)).replace(B(CurrentFolder()), "(current)").replace('\\', '/');
        }
        QTEST(got, "expected");
    }

    // A machine whose own number format has a decimal comma reads "99.5" as 99 (Qt takes the
    // locale of the environment at start-up); a typed value's leading number must still read it.
    void leadingNumberReadsAPointUnderACommaLocale() {
        QTemporaryDir dir;
        QProcess::execute("localedef", {"-i", "de_DE", "-f", "UTF-8", dir.filePath("de_DE.UTF-8")});
        if (!QFile::exists(dir.filePath("de_DE.UTF-8/LC_NUMERIC")))
            QSKIP("localedef could not make a German locale");
        const auto restore = qScopeGuard([before = std::string(std::setlocale(LC_ALL, nullptr))] {
            std::setlocale(LC_ALL, before.c_str());
            qunsetenv("LOCPATH");
        });
        qputenv("LOCPATH", QFile::encodeName(dir.path()));
        QVERIFY(std::setlocale(LC_ALL, "de_DE.UTF-8") && std::strtod("99.5", nullptr) == 99.0);
        QCOMPARE(LeadingNumber("99.5"), 99.5);
        QCOMPARE(LeadingNumber(" -1.5e1%"), -15.0);
    }

    // Whatever the block size, the same lines come back: line ends split across blocks included.
    void lineReaderAtAnyBlockSize_data() { AddRows("line-reader.txt"); }
    void lineReaderAtAnyBlockSize() {
        QFETCH(QByteArray, input);
        QTemporaryDir dir;
        QVERIFY(WriteFile(dir.filePath("f.txt"), input));
        for (std::size_t block = 1; block <= std::size_t(input.size()) + 2; ++block) {
            LineReader in(block);
            QVERIFY(in.Open(PathFromQt(dir.filePath("f.txt"))));
            QByteArrayList lines;
            for (std::string_view line; in.Next(line);)
                lines << B(line);
            QVERIFY(!in.Failed());
            QTEST(lines.join(" | "), "expected");
        }
    }

    void doubtfulLinesAreReportedByTheirNumber_data() { AddRows("doubtful-lines.txt"); }
    void doubtfulLinesAreReportedByTheirNumber() {
        QFETCH(QByteArray, input);
        QTemporaryDir dir;
        const QString file = CopySet("run", dir.path());
        QVERIFY(WriteFile(file, input));
        TrafficSet set;
        QStringList reports;
        QVERIFY(LoadSet(set, file, &reports).Complete);
        QTEST(reports.join(" | ").toLatin1(), "expected");
    }

    void loadAndSaveKeepEveryUntouchedByte_data() {
        AddRows("round-trip.txt");
        const QByteArray lf = ReadAll(DataPath("files/FlightPlans.txt"));
        const QByteArray saved = ReadAll(DataPath("files/Saved.txt")).replace("\n", "\r\n");
        QTest::newRow("CR LF line ends") << QByteArray(lf).replace("\n", "\r\n") << saved;
        QTest::newRow("LF line ends are written CR LF") << lf << saved;
        QTest::newRow("CR line ends are written CR LF")
            << QByteArray(lf).replace('\n', '\r') << saved;
        QTest::newRow("a UTF-8 byte-order mark is skipped") << "\xEF\xBB\xBF" + lf << saved;
        QTest::newRow("a last line without its line end gains one") << lf.chopped(1) << saved;
        const QByteArray sample = ReadAll(TARVIK_SOURCE_DIR "/samples/FlightPlans.txt");
        QTest::newRow("the sample set") << sample << sample;
    }
    // A second load and save changes nothing more. The lists are found whatever the case of their
    // names.
    void loadAndSaveKeepEveryUntouchedByte() {
        QFETCH(QByteArray, input);
        QTemporaryDir dir;
        const QString file = CopySet("run", dir.path()), out = dir.filePath("Saved.txt");
        QVERIFY(WriteFile(file, input) &&
                QFile::rename(dir.filePath("Airports.txt"), dir.filePath("AIRports.TXT")));
        for (const QString& from : {file, out}) {
            TrafficSet set;
            QVERIFY(LoadSet(set, from).Complete);
            QVERIFY(SaveSet(set, PathFromQt(out), Overwrite).Ok);
            QTEST(ReadAll(out), "expected");
        }
    }

    void changedLines_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("changes");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray two = "AC#1,N1,5%,D,I,X,KSEA\r\nAC#2,N2,5%,D,I,X,KSEA\r\n";
        QTest::newRow("a plan changed twice")
            << two << QByteArray("0:A 0:B") << QByteArray(two).replace("N1", "B");
        QTest::newRow("a plan changed back to its text") << two << QByteArray("1:Z 1:N2") << two;
        QTest::newRow("a change between lines read with LF")
            << QByteArray(two).replace("\r\n", "\n") + "// end" << QByteArray("1:Z")
            << QByteArray(two).replace("N2", "Z") + "// end\r\n";
        QTest::newRow("lines a save writes otherwise, unchanged")
            << QByteArray("AC#01,N1, 5.0%,D,I,X,KSEA;c\r\nac#2,N2,5%,D,I,X,KSEA\r\n")
            << QByteArray() << QByteArray("AC#1,N1,5%,D,I,X,KSEA//c\r\nAC#2,N2,5%,D,I,X,KSEA\r\n");
    }
    // Identifiers changed ("plan:identifier", in turn) on a loaded set, then saved; the saved file
    // loaded into the same set saves the same bytes again.
    void changedLines() {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, changes);
        QTemporaryDir dir;
        const QString file = CopySet("run", dir.path()), out = dir.filePath("Saved.txt");
        QVERIFY(WriteFile(file, input));
        TrafficSet set;
        QVERIFY(LoadSet(set, file).Complete);
        for (const QByteArray& change : changes.split(' '))
            if (!change.isEmpty())
                set.PlanTable[change.left(1).toInt()].SetTailNum(S(change.mid(2)));
        QVERIFY(SaveSet(set, PathFromQt(out), Overwrite).Ok);
        QTEST(ReadAll(out), "expected");
        QVERIFY(LoadSet(set, out).Complete && SaveSet(set, PathFromQt(file), Overwrite).Ok);
        QTEST(ReadAll(file), "expected");
    }

    // A load that stops inside the flight-plan file leaves the plans after it as they were, read
    // from the file before.
    void stoppedLoadKeepsTheLinesOfTheLoadBefore() {
        QTemporaryDir dir;
        const QString file = CopySet("run", dir.path());
        TrafficSet set;
        QVERIFY(LoadSet(set, file).Complete);
        const QByteArray before = Written(set);
        QVERIFY(WriteFile(file, "AC#9,NEW,50%,24Hr,IFR,L1,KSFO,KLAX\r\n" + QByteArray(32768, 'x')));
        QVERIFY(!LoadSet(set, file).Complete && !set.PlansWhole);
        QCOMPARE(Written(set),
                 "AC#9,NEW,50%,24Hr,IFR,L1,KSFO,KLAX\r\n" + before.mid(before.indexOf('\n') + 1));
    }

    void stoppedLoad_data() {
        AddRows("stopped-loads.txt");
        QTest::newRow("a 500,002nd plan")
            << QByteArray("FlightPlans.txt|<large>") << QByteArray("500003 500001");
        QTest::newRow("a 3,002nd aircraft line, even an empty one")
            << "Aircraft.txt|" + QByteArray("AC#1,250,\"J\"\r\n").repeated(3001) + "\r\n"
            << QByteArray("3002 3001");
        QTest::newRow("a line of 32,768 characters")
            << "FlightPlans.txt|// c\r\n" + QByteArray(32768, 'x') + "\r\n"
            << QByteArray("2 32767");
        QTest::newRow("a 100,002nd airport, empty lines not counted")
            << "Airports.txt|\r\n" + QByteArray("K,\r\n").repeated(100002)
            << QByteArray("100003 100001");
    }
    // The tables of the file the load stopped in, and of those after it, keep their last indexes.
    void stoppedLoad() {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, expected);
        const QString file = input.left(input.indexOf('|'));
        const QByteArray bytes = input.mid(input.indexOf('|') + 1);
        QTemporaryDir dir;
        if ((bytes == "<pipe>" || bytes == "<device>") && NoSpecialFiles)
            QSKIP(NoSpecialFiles);
        const QString plans = bytes == "<large>" ? LargePlansFile() : CopySet("run", dir.path());
        const QString stopped = QFileInfo(plans).dir().filePath(file);
        if (bytes != "<large>" && QFile::remove(stopped) && bytes != "<none>")
            QVERIFY(bytes == "<folder>"   ? QDir().mkdir(stopped)
                    : bytes == "<pipe>"   ? MakePipe(stopped)
                    : bytes == "<device>" ? LinkToEndlessDevice(stopped)
                                          : WriteFile(stopped, bytes));
        TrafficSet set;
        set.LastPlan = 77;
        set.LastAircraft = 88;
        set.LastAirport = 99;
        const LoadResult r = LoadSet(set, plans);
        QVERIFY(!r.Complete && QFile::decodeName(r.Stop.File.c_str()) == stopped);
        QCOMPARE(QByteArray::number(qint64(r.Stop.Line)), expected.left(expected.indexOf(' ')));
        QVERIFY2(B(r.Stop.Reason).contains(expected.mid(expected.indexOf(' ') + 1)),
                 r.Stop.Reason.c_str());
        const int in = QStringList{"FlightPlans.txt", "Aircraft.txt", "Airports.txt"}.indexOf(file);
        QCOMPARE(QList<int>({set.LastPlan, set.LastAircraft, set.LastAirport}),
                 QList<int>({in > 0 ? 5 : 77, in > 1 ? 2 : 88, 99}));
        QCOMPARE(set.PlansWhole, in > 0);
        // A set read only for its stops, its lists beside the plans, stops at the same place.
        TrafficSet scanned;
        const LoadResult s = OpenSet(PathFromQt(plans), scanned, nullptr, PlansKept::Scanned);
        QVERIFY(!s.Complete);
        QCOMPARE(QByteArray::fromStdString(s.Stop.File + ":" + std::to_string(s.Stop.Line) + ": " +
                                           s.Stop.Reason),
                 QByteArray::fromStdString(r.Stop.File + ":" + std::to_string(r.Stop.Line) + ": " +
                                           r.Stop.Reason));
    }

    void scanStopsWhereACountStops_data() {
        QTest::addColumn<QByteArray>("input");    // parts "count*line", each line ended by CR LF
        QTest::addColumn<QByteArray>("expected"); // the stop's line and a part of its reason
        const QByteArray plan = "AC#1,N1,5%,D,I,X,KSEA", full = QByteArray::number(500001);
        QTest::newRow("a full set, other lines after the last plan")
            << full + "*" + plan + " 1500*// c" << QByteArray();
        QTest::newRow("half plans, half other lines")
            << "250000*" + plan + " 250002*// c" << QByteArray();
        QTest::newRow("a plan too many") << full + "*" + plan + " 1*// c 1*" + plan
                                         << QByteArray("500003 more than 500001 plans");
        QTest::newRow("other lines only")
            << QByteArray("500002*// c") << QByteArray("500002 more than 500001 lines");
        QTest::newRow("lines of five commas that are no plan")
            << full + "*x,x,x,x,x,x 1*x,x,x,x,x,x" << QByteArray("500002 more than 500001 lines");
        QTest::newRow("a line too long at the end")
            << "3*" + plan + " 1*" + QByteArray(32768, 'x') << QByteArray("4 32767");
    }
    // A dry run reads the plans through first only for where a load would stop: it stops where a
    // count of them stops, for the same reason, and only there.
    void scanStopsWhereACountStops() {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, expected);
        QTemporaryDir dir;
        const QString file = CopySet("run", dir.path());
        QByteArray bytes;
        for (const QByteArray& part : input.split(' '))
            bytes += (part.mid(part.indexOf('*') + 1) + "\r\n")
                         .repeated(part.left(part.indexOf('*')).toInt());
        QVERIFY(WriteFile(file, bytes));
        for (const PlansKept kept : {PlansKept::Counted, PlansKept::Scanned}) {
            TrafficSet set;
            const LoadResult r = OpenSet(PathFromQt(file), set, nullptr, kept);
            QCOMPARE(r.Complete, expected.isEmpty());
            if (!expected.isEmpty()) {
                const int space = expected.indexOf(' ');
                QCOMPARE(QByteArray::number(qint64(r.Stop.Line)), expected.left(space));
                QVERIFY2(B(r.Stop.Reason).contains(expected.mid(space + 1)), r.Stop.Reason.c_str());
            }
        }
    }

    void readFailureInTheMiddleStopsTheLoad_data() {
        QTest::addColumn<bool>("outOfMemory");
        QTest::addColumn<PlansKept>("kept");
        QTest::newRow("the disk fails") << false << PlansKept::InTable;
        QTest::newRow("memory runs out") << true << PlansKept::InTable;
        QTest::newRow("the disk fails, read only for its stops") << false << PlansKept::Scanned;
        QTest::newRow("memory runs out, read only for its stops") << true << PlansKept::Scanned;
    }
    // Two blocks of the large set are read, then the read fails: the load stops at the first line
    // not read whole, with the reason. Every time the file is opened anew, it fails there again.
    void readFailureInTheMiddleStopsTheLoad() {
        QFETCH(bool, outOfMemory);
        QFETCH(PlansKept, kept);
        static bool throws = false;
        // What this thread's reads delivered: the lists may be read on another thread.
        static thread_local qint64 delivered = 0;
        throws = outOfMemory;
        delivered = 0;
        const ReadBlockFunction failing = [](void* buffer, std::size_t size,
                                             std::FILE* file) -> std::ptrdiff_t {
            if (std::ftell(file) >= qint64(2 * LineReader::DefaultBlockSize)) {
                if (throws)
                    throw std::bad_alloc();
                errno = EIO;
                return -1;
            }
            const std::size_t got = std::fread(buffer, 1, size, file);
            delivered = std::ftell(file); // the check of the file's start reads and rewinds
            return std::ptrdiff_t(got);
        };
        TrafficSet set;
        const LoadResult r = OpenSet(PathFromQt(LargePlansFile()), set, nullptr, kept, failing);
        QVERIFY(!r.PlansRead && !set.PlansWhole);
        QCOMPARE(B(r.Stop.Reason),
                 outOfMemory ? "there is not enough memory to read it" : std::strerror(EIO));
        QCOMPARE(qint64(r.Stop.Line), ReadAll(LargePlansFile()).left(delivered).count('\n') + 1);
    }

    // A load writes over the tables of the one before.
    // A file read in blocks: each block goes to the first step and then, on the reading thread, to
    // the second, in the order of the file; a step that gives up or throws ends the reading.
    void blocksGoInOrderToBothSteps_data() {
        QTest::addColumn<QByteArray>("stop"); // which step stops at the second block, and how
        QTest::newRow("none") << QByteArray();
        QTest::newRow("after gives up") << QByteArray("after");
        QTest::newRow("after throws") << QByteArray("throw");
        QTest::newRow("block gives up") << QByteArray("block");
    }
    void blocksGoInOrderToBothSteps() {
        QFETCH(QByteArray, stop);
        QTemporaryDir dir;
        TrafficSet set;
        set.PlansFile = PathFromQt(dir.filePath("FlightPlans.txt"));
        QByteArray text;
        for (int i = 0; i < 200000; ++i) // about three blocks
            text += "AC#1,N" + QByteArray::number(i) + ",10%,24Hr,IFR,X,KSFO\r\n";
        QVERIFY(WriteFile(QtPath(set.PlansFile), text));
        QList<int64_t> blocks, afters;
        bool inOrder = true, otherThread = true, threw = false;
        const auto mainThread = std::this_thread::get_id();
        LoadResult r;
        try {
            r = ReadPlansInBlocks(
                set, StampOf(set.PlansFile),
                [&](TrafficSet&, int64_t first) {
                    blocks << first;
                    return !(stop == "block" && blocks.size() == 2);
                },
                [&](TrafficSet& block, int64_t first) {
                    afters << first;
                    inOrder =
                        inOrder && block.PlanTable[0].TailNum() == "N" + std::to_string(first - 1);
                    otherThread = otherThread && std::this_thread::get_id() != mainThread;
                    if (afters.size() == 2 && stop == "throw")
                        throw std::runtime_error("thrown");
                    return !(afters.size() == 2 && stop == "after");
                });
        } catch (const std::runtime_error&) {
            threw = true;
        }
        // The first step's list is read only here: the second runs while the first adds to it.
        QVERIFY(inOrder && otherThread && afters == blocks.mid(0, afters.size()));
        QCOMPARE(threw, stop == "throw");
        if (stop.isEmpty()) {
            QVERIFY(r.Complete && blocks.size() >= 3);
            QCOMPARE(afters, blocks);
        } else if (stop == "block") {
            QVERIFY(!r.Complete && blocks.size() == 2 && afters.size() <= 1);
        } else {
            QVERIFY(afters.size() == 2 && blocks.size() <= 3);
            QVERIFY(threw || (!r.Complete && r.Stop.Reason == "the reading was broken off"));
        }
    }

    void emptyAircraftLineEmptiesItsSlot() {
        QTemporaryDir dir;
        const QString plans = CopySet("run", dir.path());
        TrafficSet set;
        QVERIFY(LoadSet(set, plans).Complete);
        QVERIFY(
            WriteFile(dir.filePath("Aircraft.txt"), "AC#7,250,\"X\"\r\n\r\nAC#9,270,\"Z\"\r\n"));
        QVERIFY(LoadSet(set, plans).Complete);
        const AircraftEntry& emptied = set.AircraftTable[1];
        QVERIFY(set.LastAircraft == 2 && emptied.Atag == 0 && emptied.ASpeed == 0 &&
                emptied.Acraft.empty());
    }

    void failedWriteLeavesTheOldFile_data() {
        QTest::addColumn<bool>("full");
        QTest::newRow("a write that fails") << false;
        QTest::newRow("a full disk: a limit on the size of the files this process writes") << true;
    }
    // Fails the first write, then the second, and so on until a save gets through; a full disk
    // takes 100,000 bytes more at each try, until it is full at the last byte.
    void failedWriteLeavesTheOldFile() {
        QFETCH(bool, full);
        TrafficSet set;
        AddPlans(set, 24000);
        const qint64 size = Written(set).size();
        if (full && NoFileSizeLimit)
            QSKIP(NoFileSizeLimit);
        for (int tries = 0; tries < 100; ++tries) {
            SaveTarget target;
            const qint64 limit = std::min<qint64>(tries * 100000, size - 1);
            QVERIFY(!full || LimitFileSize(limit));
            const SaveResult r =
                SaveSet(set, PathFromQt(target.Path), Overwrite, [&](QIODevice& file) {
                    if (full)
                        return WritePlans(set, file);
                    FailingDevice failing(file, tries);
                    return WritePlans(set, failing);
                });
            LimitFileSize(-1);
            if (r.Ok) {
                QVERIFY(!full && tries >= 4);
                QCOMPARE(ReadAll(target.Path), Written(set));
                return;
            }
            QVERIFY2(target.Untouched() && !r.Error.empty(), r.Error.c_str());
            if (full && limit == size - 1)
                return;
        }
        QFAIL("the save never got through");
    }

    // A child process saves over and over and is killed once a save's temporary file has grown
    // past a point, later each round, and in the last round once a save has replaced the file: the
    // file is the old one or the new one, whole.
    void killedSaveLeavesTheOldOrTheNewFile() {
        TrafficSet set;
        AddPlans(set, 100000, 100);
        const QByteArray written = Written(set);
        for (int round = 0; round <= 4; ++round) {
            SaveTarget target;
            QProcess child;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(SaveForever, target.Path);
            child.setProcessEnvironment(env);
            child.start(QCoreApplication::applicationFilePath(), {}); // initTestCase saves
            QVERIFY(child.waitForStarted());
            const QDeadlineTimer deadline(60000);
            while (!target.Saving(written.size() * round / 4) && !deadline.hasExpired()) {
            }
            child.kill();
            child.waitForFinished();
            const QByteArray left = ReadAll(target.Path);
            QVERIFY2(!deadline.hasExpired() && (left == target.Old || left == written),
                     qPrintable(QStringLiteral("round %1: %2 bytes").arg(round).arg(left.size())));
        }
    }
};

QTEST_GUILESS_MAIN(TestTraffic)
#include "TestTraffic.moc"
