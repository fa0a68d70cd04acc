// Faults from outside the program: input nobody meant to give it, a disk that fills up, files the
// user may not read or write, a save killed half-way, and the window ended while a run or a save
// is under way. Cases that need another user than root or a limit on file size run the window in
// the child process SaveChild.

#include "support/FakePlatform.h"
#include "traffic/Load.h"
#include "traffic/Save.h"
#include "window/FrmTarvik.h"
#include "window/Texts.h"
#include "window/ValueCombo.h"

#include <QAction>
#include <QBuffer>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

using namespace tarvik;
namespace fs = std::filesystem;

namespace {

constexpr uid_t OtherUser = 65534; // the user the child becomes when the test is root
constexpr int UserNotChanged = 77;

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size(),
             qPrintable(path));
}

std::string Bytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

// Plan lines in the form the program writes them.
QByteArray PlanLines(int count) {
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out += (i % 2 ? "AC#2,N" : "AC#1,N") + QByteArray::number(i) +
               ",10%,24Hr,IFR,06:00,07:00,KPDX,KSEA\r\n";
    return out;
}

const QByteArray TwoAircraft("AC#1,450,\"Jet\"\r\nAC#2,250,\"Twin\"\r\n");

// Writes a traffic set into folder; returns its flight-plan file.
QString WriteSet(const QString& folder, const QByteArray& plans,
                 const QByteArray& aircraft = TwoAircraft) {
    QDir().mkpath(folder);
    WriteFile(folder + "/Aircraft.txt", aircraft);
    WriteFile(folder + "/Airports.txt", "KSEA,47.45,-122.31,433\r\nKPDX,45.59,-122.60,31\r\n");
    WriteFile(folder + "/FlightPlans.txt", plans);
    return folder + "/FlightPlans.txt";
}

// What a fresh program writes after opening plansFile and applying change, and the doubtful
// lines it reports; no Saved when the plans can't be read whole.
struct Fresh {
    std::optional<QByteArray> Saved;
    QStringList Reports;
};

Fresh LoadAndSave(const QString& plansFile, void (*change)(TrafficSet&) = nullptr) {
    Fresh fresh;
    TrafficSet set;
    set.PlansFile = Bytes(plansFile);
    set.PlansFolder = GetFolder(set.PlansFile);
    if (!FillFPlans(set, [&](int64_t line, const std::string& text) {
             fresh.Reports << texts::ProblemText(
                 line, QString::fromLatin1(text.data(), qsizetype(text.size())));
         }).PlansRead)
        return fresh;
    if (change)
        change(set);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (WritePlans(set, buffer))
        fresh.Saved = buffer.data();
    return fresh;
}

void ChangeFirstPlan(TrafficSet& set) {
    set.PlanTable[0].SetTailNum("CHANGED");
}

// Gives the files under root to the child's user when the test is root.
void GiveToChildUser(const QString& root) {
    if (geteuid() != 0)
        return;
    QVERIFY(::lchown(Bytes(root).c_str(), OtherUser, OtherUser) == 0);
    for (const auto& entry : fs::recursive_directory_iterator(Bytes(root)))
        QVERIFY(::lchown(entry.path().c_str(), OtherUser, OtherUser) == 0);
}

// What the user saw after one step of SaveChild's script, and the window's state.
struct Seen {
    QStringList Oops, Others, SaveAs;
    bool Changed = false, Whole = false;
    QString Figures, Folder;
};

struct ChildRun {
    int ExitCode = -1;
    bool Done = false;
    QList<Seen> Steps;
    QByteArray Errors;
};

// Runs SaveChild's window with the given steps, as another user when asUser and root.
ChildRun RunWindowChild(const QStringList& steps, bool asUser) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("LC_ALL", "C"); // the system's reasons in English
    env.remove("XDG_RUNTIME_DIR");
    QProcess process;
    process.setProcessEnvironment(env);
    QStringList args{"window"};
    if (asUser && geteuid() == 0)
        args.prepend(QStringLiteral("--user=%1").arg(OtherUser));
    process.start(SAVE_CHILD, args + steps);
    ChildRun run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.ExitCode = process.exitCode();
    run.Errors = process.readAllStandardError();
    for (const QByteArray& line : process.readAllStandardOutput().split('\n')) {
        const QByteArray key = line.split(' ').value(0);
        const QString value =
            QString::fromUtf8(QByteArray::fromPercentEncoding(line.mid(key.size() + 1)));
        if (key == "DONE")
            run.Done = true;
        else if (key == "STEP")
            run.Steps.append(Seen{});
        else if (run.Steps.isEmpty())
            continue;
        Seen& seen = run.Steps.last();
        if (key == "OOPS")
            seen.Oops << value;
        else if (key == "OTHER")
            seen.Others << value;
        else if (key == "SAVEAS")
            seen.SaveAs << value;
        else if (key == "CHANGED")
            seen.Changed = value == "1";
        else if (key == "WHOLE")
            seen.Whole = value == "1";
        else if (key == "FIGURES")
            seen.Figures = value;
        else if (key == "FOLDER")
            seen.Folder = value;
    }
    return run;
}

#define VERIFY_CHILD_RAN(run, asUser, count)                                                       \
    do {                                                                                           \
        if ((asUser) && (run).ExitCode == UserNotChanged)                                          \
            QSKIP("the child process could not become another user");                              \
        QVERIFY2((run).ExitCode == 0 && (run).Done, (run).Errors.constData());                     \
        QCOMPARE((run).Steps.size(), (count));                                                     \
    } while (false)

// A message that begins with head and goes on with a reason that contains reason.
bool NamesFileAndReason(const QString& message, const QString& head, const QString& reason) {
    const QString why = message.mid(head.size());
    return message.startsWith(head) && !why.trimmed().isEmpty() &&
           why.contains(reason, Qt::CaseInsensitive);
}

// A doubtful line's message: the loader's report whole, or the start of a long one with a note.
bool ShowsReport(const QString& shown, const QString& report) {
    constexpr int Whole = 2000;
    if (report.size() <= Whole)
        return shown == report;
    return shown.startsWith(report.left(Whole)) && shown.size() < Whole + 100;
}

enum class Saves { NewPlans, OldSet, Refused };

// Lets the first Allowed writes through, then fails each with an error; Short first takes half
// of a write, as a disk that fills up; Nothing takes no bytes without an error.
class FailingDevice : public QIODevice {
public:
    enum Kind { Error, Short, Nothing };
    FailingDevice(QIODevice& inner, int allowed, Kind kind)
        : Inner(inner), Allowed(allowed), How(kind) {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 len) override {
        if (Allowed-- > 0)
            return Inner.write(data, len);
        if (How == Nothing)
            return 0;
        if (How == Short) {
            How = Error;
            return Inner.write(data, len / 2);
        }
        setErrorString(QStringLiteral("No space left on device"));
        return -1;
    }

private:
    QIODevice& Inner;
    int Allowed;
    Kind How;
};

// Writes a value box's text past the entry checks.
void ForceText(ValueCombo* box, const QString& text) {
    const QSignalBlocker blockBox(box);
    const QSignalBlocker blockEdit(box->lineEdit());
    box->setEditText(text);
}

// If "Home AirPort" = "" (every plan), And "NA", Then "Aircraft ID" = ZZ1.
void SetEveryPlanRule(FrmTarvik& w) {
    for (int16_t box : {0, 1, 2}) {
        w.CMBTarvik[box]->setCurrentIndex(box == 2 ? 3 : 0);
        w.CMBTarvik_Click(box);
    }
    ForceText(w.ValueBox(3), QString());
    ForceText(w.ValueBox(5), QStringLiteral("ZZ1"));
}

// Takes the user's actions in a run: the next of AtWaits at each decision wait, LotAction when
// "Change The Lot" passes LotPlan, InSaveDialog while the first save dialog is open. A watchdog
// breaks a run that hangs.
class User : public QObject {
public:
    User(FrmTarvik& w, std::function<void(const QString&)> act) : W(w), Do(std::move(act)) {
        connect(&Ticks, &QTimer::timeout, this, [this] { Tick(); });
        Ticks.start(0);
        connect(&Watchdog, &QTimer::timeout, this, [this] {
            TimedOut = true;
            AtWaits.clear();
            W.Run().Abandoned = true;
            W.CmdTarvik[4]->click();
        });
        Watchdog.start(10000);
    }
    QStringList AtWaits;
    int LotPlan = -1;
    QString LotAction, InSaveDialog;
    int Unscripted = 0;
    bool TimedOut = false;

    void DialogShown() { Do(std::exchange(InSaveDialog, QString())); }

private:
    void Tick() {
        if (!W.CmdTarvik[1]->isEnabled())
            return;
        const int16_t choice = W.Run().ReviewChoice;
        if (choice == ChoiceChangeLot && W.Traffic().PlanCursor == LotPlan)
            Do(std::exchange(LotAction, QString()));
        if (choice != ChoiceNone)
            return;
        if (AtWaits.isEmpty()) {
            ++Unscripted;
            W.CmdTarvik[4]->click();
        } else {
            Do(AtWaits.takeFirst());
        }
    }
    FrmTarvik& W;
    std::function<void(const QString&)> Do;
    QTimer Ticks, Watchdog;
};

// The aircraft identifiers in a saved file, one a line.
QStringList SavedTails(const QString& path) {
    QStringList tails;
    for (const QByteArray& line :
         QFile::exists(path) ? ReadAll(path).split('\n') : QList<QByteArray>())
        if (!line.isEmpty())
            tails << QString::fromLatin1(line.split(',').value(1));
    return tails;
}

QStringList TableTails(const TrafficSet& set) {
    QStringList tails;
    for (int32_t i = 0; i <= set.LastPlan; ++i)
        tails << QString::fromLatin1(set.PlanTable[i].TailNum().data(),
                                     qsizetype(set.PlanTable[i].TailNum().size()));
    return tails;
}

// A SaveChild that loads source and saves it changed over a copy of it in folder, until killed.
class SavingChild {
public:
    SavingChild(const QString& source, const QString& folder)
        : Target(folder + "/FlightPlans.txt") {
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        QFile::copy(source, Target);
        Process.start(SAVE_CHILD, {"saveloop", source, Target});
    }
    ~SavingChild() { Kill(); }
    // Waits until the set is loaded and the saves have begun.
    bool WaitUntilSaving() {
        const QDeadlineTimer loading(30000);
        while (!Process.canReadLine() && Process.state() != QProcess::NotRunning &&
               !loading.hasExpired())
            Process.waitForReadyRead(int(loading.remainingTime()));
        return Process.readLine().trimmed() == "READY";
    }
    // Kills the child after delay ms; false when it ended before.
    bool KillAfter(int delay) {
        if (Process.state() == QProcess::NotRunning || Process.waitForFinished(delay))
            return false;
        Kill();
        return true;
    }
    QByteArray Output() { return Process.readAll() + Process.readAllStandardError(); }
    const QString Target;

private:
    void Kill() {
        if (Process.state() != QProcess::NotRunning && Process.processId() > 0)
            ::kill(pid_t(Process.processId()), SIGKILL);
        Process.waitForFinished(10000);
    }
    QProcess Process;
};

} // namespace

Q_DECLARE_METATYPE(Saves)
Q_DECLARE_METATYPE(FailingDevice::Kind)
Q_DECLARE_METATYPE(Answer)

class TestFaults : public QObject {
    Q_OBJECT

private slots:
    void badInputThroughOpen_data();
    void badInputThroughOpen();
    void everyFailedWriteLeavesTheOldFile_data();
    void everyFailedWriteLeavesTheOldFile();
    void permissionBitsAreKept_data();
    void permissionBitsAreKept();
    void aPipeIsRefused();
    void failedSaveThroughTheWindow_data();
    void failedSaveThroughTheWindow();
    void killedSaveLeavesTheOldOrTheNewFile();
    void endingOrSavingDuringARun_data();
    void endingOrSavingDuringARun();
};

void TestFaults::badInputThroughOpen_data() {
    QTest::addColumn<QByteArray>("plans");
    QTest::addColumn<QByteArray>("aircraft");
    QTest::addColumn<QString>("locked");   // made unreadable as another user; "." for the folder
    QTest::addColumn<QString>("stopFile"); // the file the load stops in; empty for none
    QTest::addColumn<int>("stopLine");     // 0: the file can't be read
    QTest::addColumn<QString>("reason");
    QTest::addColumn<Saves>("saves");

    const QByteArray plans = PlanLines(3);
    const QString none;
    QTest::newRow("500,002 plans stop the load, nothing can be saved and the next Open works")
        << PlanLines(PlanSlots::Capacity + 1) << TwoAircraft << none << "FlightPlans.txt"
        << PlanSlots::Capacity + 1 << "500001" << Saves::Refused;
    QTest::newRow("An Aircraft.txt of 3,002 lines stops the load at line 3,002")
        << plans << QByteArray("AC#1,450,\"Jet\"\r\n").repeated(3002) << none << "Aircraft.txt"
        << 3002 << "3001" << Saves::NewPlans;
    QTest::newRow("A flight-plan file the user may not read leaves the open set in place")
        << plans << TwoAircraft << "FlightPlans.txt"
        << "FlightPlans.txt" << 0 << "Permission denied" << Saves::OldSet;
    QTest::newRow("A folder the user may not enter leaves the open set in place")
        << plans << TwoAircraft << "."
        << "FlightPlans.txt" << 0 << "Permission denied" << Saves::OldSet;
}

// Opens a good set, the bad one, saves under the proposed name, opens the good set again and
// saves it: each message names the file and the reason, a save writes one whole set and never a
// mix, and the program goes on working.
void TestFaults::badInputThroughOpen() {
    QFETCH(QByteArray, plans);
    QFETCH(QByteArray, aircraft);
    QFETCH(QString, locked);
    QFETCH(QString, stopFile);
    QFETCH(int, stopLine);
    QFETCH(QString, reason);
    QFETCH(Saves, saves);
    const bool asUser = !locked.isEmpty();
    QTemporaryDir dir;
    const QString good = WriteSet(dir.filePath("good"), PlanLines(20));
    const QString bad = WriteSet(dir.filePath("bad"), plans, aircraft);
    const QString out = dir.filePath("Out.txt");
    const Fresh goodFresh = LoadAndSave(good);
    const Fresh badFresh = LoadAndSave(bad);
    QVERIFY(goodFresh.Saved && goodFresh.Reports.isEmpty());
    const QByteArray badBytes = ReadAll(bad);
    GiveToChildUser(dir.path());
    const std::string lockedPath = Bytes(dir.filePath("bad/" + locked));
    const auto unlock = qScopeGuard([&] { ::chmod(lockedPath.c_str(), 0700); });
    QVERIFY(!asUser || ::chmod(lockedPath.c_str(), 0) == 0);

    const ChildRun run = RunWindowChild(
        {"open=" + good, "open=" + bad, "save-proposed", "open=" + good, "save=" + out}, asUser);

    VERIFY_CHILD_RAN(run, asUser, 5);
    QCOMPARE(run.Steps[0].Oops, QStringList());
    QCOMPARE(run.Steps[0].Figures, QStringLiteral("20,2,2"));
    QStringList reports = run.Steps[1].Oops;
    if (!stopFile.isEmpty()) {
        QVERIFY(!reports.isEmpty());
        const QString stop = reports.takeLast();
        const QString path = dir.filePath("bad/" + stopFile);
        const QString head =
            stopLine
                ? QStringLiteral("Loading Stopped In '%1' At Line %2\n").arg(path).arg(stopLine)
                : QStringLiteral("Could Not Read '%1'\n").arg(path);
        QVERIFY2(NamesFileAndReason(stop, head, reason), qPrintable(stop.left(300)));
    }
    QCOMPARE(reports.size(), saves == Saves::OldSet ? 0 : badFresh.Reports.size());
    for (int i = 0; i < reports.size(); ++i)
        QVERIFY2(ShowsReport(reports[i], badFresh.Reports[i]), qPrintable(reports[i].left(300)));
    QCOMPARE(run.Steps[1].Others, QStringList());

    const Seen& savedProposed = run.Steps[2];
    QCOMPARE(savedProposed.Oops,
             saves == Saves::Refused ? QStringList{texts::PlansNotWhole} : QStringList());
    if (saves == Saves::NewPlans) {
        QCOMPARE(savedProposed.SaveAs, QStringList{bad});
        QVERIFY2(badFresh.Saved && ReadAll(bad) == *badFresh.Saved, "the set was not saved whole");
    } else {
        QCOMPARE(savedProposed.SaveAs, saves == Saves::OldSet ? QStringList{good} : QStringList());
        QVERIFY2(ReadAll(good) == *goodFresh.Saved, "the open set was not saved whole");
        ::chmod(lockedPath.c_str(), 0700);
        QVERIFY2(ReadAll(bad) == badBytes, "the file that could not be loaded was written");
    }
    QCOMPARE(run.Steps[3].Oops, QStringList());
    QCOMPARE(run.Steps[3].Figures, QStringLiteral("20,2,2"));
    QVERIFY(run.Steps[3].Whole);
    QCOMPARE(run.Steps[4].Oops, QStringList());
    QVERIFY2(ReadAll(out) == *goodFresh.Saved, "the set opened again was not saved whole");
}

void TestFaults::everyFailedWriteLeavesTheOldFile_data() {
    QTest::addColumn<FailingDevice::Kind>("kind");
    QTest::addColumn<QByteArray>("reason");
    QTest::newRow("A write that fails with an error")
        << FailingDevice::Error << QByteArray("space");
    QTest::newRow("A write that takes half of its bytes before the disk is full")
        << FailingDevice::Short << QByteArray("space");
    QTest::newRow("A write that takes none of its bytes") << FailingDevice::Nothing << QByteArray();
}

// Fails the first write, then the second, and so on until a save gets through: after each failure
// the old file is there byte for byte, the result says so, and no other file is left behind.
void TestFaults::everyFailedWriteLeavesTheOldFile() {
    QFETCH(FailingDevice::Kind, kind);
    QFETCH(QByteArray, reason);
    QTemporaryDir dir;
    const QString plans = WriteSet(dir.filePath("set"), PlanLines(24000));
    TrafficSet set;
    set.PlansFile = Bytes(plans);
    set.PlansFolder = GetFolder(set.PlansFile);
    QVERIFY(FillFPlans(set, nullptr).Complete);
    ChangeFirstPlan(set);
    const QString target = dir.filePath("FlightPlans.txt");
    const QByteArray old = "// the old set\r\n" + PlanLines(2);
    WriteFile(target, old);
    const QByteArray expected = *LoadAndSave(plans, ChangeFirstPlan).Saved;
    const QStringList entries{"FlightPlans.txt", "set"};

    int allowed = 0;
    for (;; ++allowed) {
        const SaveResult saved = SavePlans(set, Bytes(target), [allowed, kind](QIODevice& file) {
            return new FailingDevice(file, allowed, kind);
        });
        if (saved.Ok)
            break;
        QVERIFY2(!saved.Error.empty() && QByteArray::fromStdString(saved.Error).contains(reason),
                 saved.Error.c_str());
        QVERIFY2(ReadAll(target) == old, qPrintable(QStringLiteral("after write %1").arg(allowed)));
        QCOMPARE(Entries(dir.path()), entries);
        QVERIFY2(allowed < 100, "the save never got through");
    }
    QVERIFY2(allowed >= 4, "the save should take several blocks");
    QVERIFY(ReadAll(target) == expected);
    QCOMPARE(Entries(dir.path()), entries);
}

TrafficSet OnePlan() {
    TrafficSet set;
    set.PlanTable.Resize(1);
    set.PlanTable[0].Assign(1, "NEW", 10, "24Hr", "IFR", "KSEA", "X", "");
    set.LastPlan = 0;
    return set;
}

void TestFaults::permissionBitsAreKept_data() {
    QTest::addColumn<int>("mode");
    QTest::newRow("A file readable by its group only stays so (0640)") << 0640;
    QTest::newRow("A group-executable read-only file gains no bit (0454)") << 0454;
}

void TestFaults::permissionBitsAreKept() {
    QFETCH(int, mode);
    QTemporaryDir dir;
    const QString target = dir.filePath("FlightPlans.txt");
    WriteFile(target, PlanLines(1));
    QVERIFY(::chmod(Bytes(target).c_str(), mode_t(mode)) == 0);
    const bool writable = ::access(Bytes(target).c_str(), W_OK) == 0;

    QCOMPARE(SavePlans(OnePlan(), Bytes(target)).Ok, writable);

    struct stat st {};
    QVERIFY(::stat(Bytes(target).c_str(), &st) == 0);
    QCOMPARE(int(st.st_mode & 07777), mode);
    ::chmod(Bytes(target).c_str(), 0600);
    QCOMPARE(ReadAll(target),
             writable ? QByteArray("AC#1,NEW,10%,24Hr,IFR,X,KSEA\r\n") : PlanLines(1));
    QCOMPARE(Entries(dir.path()), QStringList{"FlightPlans.txt"});
}

void TestFaults::aPipeIsRefused() {
    QTemporaryDir dir;
    const std::string pipe = Bytes(dir.filePath("Pipe"));
    QVERIFY(::mkfifo(pipe.c_str(), 0644) == 0);
    const SaveResult saved = SavePlans(OnePlan(), pipe);
    QVERIFY(!saved.Ok && !saved.Error.empty());
    QVERIFY(fs::is_fifo(fs::symlink_status(pipe)));
    QCOMPARE(Entries(dir.path()), QStringList{"Pipe"});
}

void TestFaults::failedSaveThroughTheWindow_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("reason");
    QTest::newRow("A disk that fills up after the first block") << "limit=307200"
                                                                << "too large";
    QTest::newRow("A disk that fills up at the last byte") << "last"
                                                           << "too large";
    QTest::newRow("A read-only folder") << "folder"
                                        << "Permission denied";
    QTest::newRow("A read-only file") << "file"
                                      << "not writable";
}

// A failed save says why and where, leaves the old file and nothing else, keeps the changes
// unsaved and the folder unremembered; a save elsewhere then writes them all.
void TestFaults::failedSaveThroughTheWindow() {
    QFETCH(QString, fault);
    QFETCH(QString, reason);
    const bool asUser = fault == "folder" || fault == "file";
    QTemporaryDir dir;
    const QString plans = WriteSet(dir.filePath("set"), PlanLines(24000));
    const QByteArray expected = *LoadAndSave(plans, ChangeFirstPlan).Saved;
    QDir().mkpath(dir.filePath("target"));
    QDir().mkpath(dir.filePath("other"));
    const QString target = dir.filePath("target/FlightPlans.txt");
    const QByteArray old = "// the old set\r\n" + PlanLines(2);
    WriteFile(target, old);
    GiveToChildUser(dir.path());
    const std::string locked = Bytes(fault == "folder" ? dir.filePath("target") : target);
    const auto unlock = qScopeGuard([&] { ::chmod(locked.c_str(), 0700); });
    QVERIFY(!asUser || ::chmod(locked.c_str(), fault == "file" ? 0444 : 0555) == 0);
    QStringList steps{"open=" + plans, "change"};
    if (!asUser)
        steps << (fault == "last" ? QStringLiteral("limit=%1").arg(expected.size() - 1) : fault);
    steps << "save=" + target;
    if (!asUser)
        steps << QStringLiteral("limit=%1").arg(quint64(RLIM_INFINITY));
    const QString other = dir.filePath("other/FlightPlans.txt");
    steps << "save=" + other;

    const ChildRun run = RunWindowChild(steps, asUser);

    VERIFY_CHILD_RAN(run, asUser, steps.size());
    const Seen& failed = run.Steps[steps.indexOf("save=" + target)];
    QCOMPARE(failed.Oops.size(), 1);
    QVERIFY2(NamesFileAndReason(failed.Oops[0], texts::SaveFailed(target, QString()), reason),
             qPrintable(failed.Oops[0]));
    QVERIFY(failed.Changed);
    QCOMPARE(failed.Folder, QString());
    ::chmod(locked.c_str(), 0700);
    QCOMPARE(ReadAll(target), old);
    QCOMPARE(Entries(dir.filePath("target")), QStringList{"FlightPlans.txt"});
    QCOMPARE(run.Steps.last().Oops, QStringList());
    QVERIFY(!run.Steps.last().Changed);
    QCOMPARE(run.Steps.last().Folder, dir.filePath("set"));
    QVERIFY2(ReadAll(other) == expected, "the changes were not saved whole");
}

// SaveChild saves a big set over and over and is killed at a random moment, 20 times: each time
// the file holds the old set or the new one, whole. The next child loads while one is saving.
void TestFaults::killedSaveLeavesTheOldOrTheNewFile() {
    QTemporaryDir dir;
    const QString source = WriteSet(dir.filePath("source"), PlanLines(PlanSlots::Capacity / 4));
    const QByteArray oldBytes = ReadAll(source);
    const std::optional<QByteArray> newBytes = LoadAndSave(source, [](TrafficSet& set) {
                                                   for (int32_t i = 0; i <= set.LastPlan; ++i)
                                                       set.PlanTable[i].Pcent = 100;
                                               }).Saved;
    QVERIFY(newBytes && newBytes->size() > oldBytes.size());
    const quint32 seed = QRandomGenerator::global()->generate();
    std::mt19937 engine(seed);
    std::uniform_int_distribution<int> delays(0, 150);
    int oldSeen = 0, newSeen = 0;
    constexpr int Rounds = 20;

    auto next = std::make_unique<SavingChild>(source, dir.filePath("target0"));
    for (int round = 0; round < Rounds; ++round) {
        const std::unique_ptr<SavingChild> saving = std::move(next);
        QVERIFY2(saving->WaitUntilSaving(), saving->Output().constData());
        if (round + 1 < Rounds)
            next = std::make_unique<SavingChild>(source,
                                                 dir.filePath(round % 2 ? "target0" : "target1"));
        const int delay = delays(engine);
        QVERIFY2(saving->KillAfter(delay), saving->Output().constData());
        const QByteArray now = ReadAll(saving->Target);
        QVERIFY2(
            now == oldBytes || now == *newBytes,
            qPrintable(QStringLiteral("round %1, seed %2, %3 ms").arg(round).arg(seed).arg(delay)));
        ++(now == oldBytes ? oldSeen : newSeen);
    }
    qInfo("killed %d saves: %d left the old file, %d the new one", Rounds, oldSeen, newSeen);
}

void TestFaults::endingOrSavingDuringARun_data() {
    QTest::addColumn<QStringList>("atWaits"); // one action at each decision wait in turn
    QTest::addColumn<QString>("lotAction");   // taken when a lot passes plan 3
    QTest::addColumn<QString>("inSaveDialog");
    QTest::addColumn<QList<Answer>>("answers"); // to the exit questions in turn
    QTest::addColumn<QStringList>("saveTo");    // "good", "fails" or "cancel", in turn
    QTest::addColumn<bool>("ends");
    QTest::addColumn<QStringList>("tails");      // the table at the end
    QTest::addColumn<QStringList>("savedTails"); // the good file at the end; empty: none

    const QString Z = QStringLiteral("ZZ1");
    const QStringList all{Z, Z, Z, Z, Z, Z};
    const QStringList first{Z, "N101", "N102", "N103", "N104", "N105"};
    const QStringList lotToThree{Z, Z, Z, "N103", "N104", "N105"};
    const QStringList rest{"change", "change", "change", "change", "change"};
    const QList<Answer> yes{Answer::Yes};
    const QStringList good{"good"};

    QTest::newRow("Exit at a decision wait saves the changes on Yes and ends")
        << QStringList{"change", "exit"} << ""
        << "" << yes << good << true << first << first;
    QTest::newRow("Exit at a decision wait whose save fails goes on with the review")
        << QStringList{"change", "exit"} + rest << ""
        << "" << yes << QStringList{"fails"} << false << all << QStringList();
    QTest::newRow("Closing the window at a decision wait saves the changes on Yes and ends")
        << QStringList{"change", "close"} << ""
        << "" << yes << good << true << first << first;
    QTest::newRow("Closing the window at a decision wait ends without a save on No")
        << QStringList{"change", "close"} << ""
        << "" << QList<Answer>{Answer::No} << good << true << first << QStringList();
    QTest::newRow("Exit during Change The Lot saves the plans changed so far on Yes and ends")
        << QStringList{"change", "lot"} << "exit"
        << "" << yes << good << true << lotToThree << lotToThree;
    QTest::newRow("Closing the window while Exit's save dialog is open saves once more and ends")
        << QStringList{"change", "exit"} << ""
        << "close" << QList<Answer>{Answer::Yes, Answer::Yes} << QStringList{"good", "good"} << true
        << first << first;
    QTest::newRow("Save at a decision wait writes every plan and the run goes on at its plan")
        << QStringList{"change", "save", "skip", "change", "change", "change", "change"} << ""
        << "" << QList<Answer>{} << good << false << QStringList{Z, "N101", Z, Z, Z, Z} << first;
    QTest::newRow("Save during Change The Lot writes every plan and the lot goes on")
        << QStringList{"lot"} << "save"
        << "" << QList<Answer>{} << good << false << all << lotToThree;
}

// Exit, the close box and Save during a review, a lot or Exit's save dialog: no crash, no hang,
// and no change lost that the user did not give up by answering No.
void TestFaults::endingOrSavingDuringARun() {
    QFETCH(QStringList, atWaits);
    QFETCH(QString, lotAction);
    QFETCH(QString, inSaveDialog);
    QFETCH(QList<Answer>, answers);
    QFETCH(QStringList, saveTo);
    QFETCH(bool, ends);
    QFETCH(QStringList, tails);
    QFETCH(QStringList, savedTails);
    QTemporaryDir dir;
    QByteArray plans;
    for (int i = 0; i < 6; ++i)
        plans += QStringLiteral("AC#1,N10%1,50%,24Hr,IFR,L%1,KSEA\r\n").arg(i).toLatin1();
    const QString plansFile = WriteSet(dir.filePath("set"), plans);
    const QString saved = dir.filePath("Saved.txt");
    testing::FakePlatform fake;
    FrmTarvik w(fake.Get());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    fake.Dialog.Answers.push_back(plansFile);
    w.MnuOpen->trigger();
    QVERIFY(w.Traffic().PlansWhole);
    SetEveryPlanRule(w);
    fake.Messages.Answers.assign(answers.begin(), answers.end());
    for (const QString& to : saveTo)
        fake.Dialog.Answers.push_back(
            to == "cancel"
                ? std::nullopt
                : std::optional<QString>(dir.filePath(to == "good" ? "Saved.txt" : "no/S.txt")));
    const std::map<QString, std::function<void()>> actions{
        {"change", [&] { w.CmdTarvik[1]->click(); }},
        {"skip", [&] { w.CmdTarvik[2]->click(); }},
        {"lot", [&] { w.CmdTarvik[3]->click(); }},
        {"exit", [&] { w.MnuExit->trigger(); }},
        {"close", [&] { w.close(); }},
        {"save", [&] { w.MnuSave->trigger(); }},
        {"", [] {}}};
    User user(w, [&](const QString& action) { actions.at(action)(); });
    user.AtWaits = atWaits;
    user.LotPlan = 3;
    user.LotAction = lotAction;
    user.InSaveDialog = inSaveDialog;
    fake.Dialog.OnShow = [&user] { user.DialogShown(); };
    QSignalSpy ended(&w, &FrmTarvik::ProgramEnded);

    w.CmdTarvik[0]->click();

    QVERIFY2(!user.TimedOut, "the run hung");
    QCOMPARE(user.Unscripted, 0);
    QVERIFY(user.AtWaits.isEmpty() && user.LotAction.isEmpty());
    QVERIFY(!w.IsRunning());
    QCOMPARE(TableTails(w.Traffic()), tails);
    QCOMPARE(SavedTails(saved), savedTails);
    QCOMPARE(w.isVisible(), !ends);
    QCOMPARE(ended.isEmpty(), !ends);
    if (ends) {
        QVERIFY(w.Run().Abandoned);
        QCOMPARE(w.Traffic().PlansChanged, savedTails.isEmpty());
        return;
    }
    // Back in the window: every change is still there to be saved.
    QVERIFY(w.Traffic().PlansChanged && w.CmdTarvik[0]->isEnabled());
    fake.Dialog.OnShow = nullptr;
    fake.Dialog.Answers = {dir.filePath("Final.txt")};
    w.MnuSave->trigger();
    QCOMPARE(SavedTails(dir.filePath("Final.txt")), tails);
    QVERIFY(!w.Traffic().PlansChanged);
}

QTEST_MAIN(TestFaults)
#include "TestFaults.moc"
