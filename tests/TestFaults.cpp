// Faults from outside the program: input nobody meant to give it, a disk that fills up, files the
// user may not read or write, a save killed half-way, and the window ended while a run or a save
// is under way. None of them may crash the program or lose what the user wrote.
//
// Cases that need another user than root, or a lower limit on the size of files, run the window
// in the child process SaveChild.

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
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#include <vector>

using namespace tarvik;
namespace fs = std::filesystem;

namespace {

const QString Child = QStringLiteral(SAVE_CHILD);
constexpr uid_t OtherUser = 65534; // "nobody": the user the child becomes when the test is root
constexpr int UserNotChanged = 77; // the child's exit code when it could not become that user

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return file.readAll();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

std::string Bytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

// Plan lines in the form the program writes them, so that a load and save gives them back.
QByteArray PlanLines(int count) {
    QByteArray out;
    out.reserve(count * 48);
    for (int i = 0; i < count; ++i) {
        out += i % 2 ? "AC#2,N" : "AC#1,N";
        out += QByteArray::number(i);
        out += ",10%,24Hr,IFR,06:00,07:00,KPDX,KSEA\r\n";
    }
    return out;
}

const QByteArray TwoAircraft("AC#1,450,\"Jet\"\r\nAC#2,250,\"Twin\"\r\n");
const QByteArray TwoAirports("KSEA,47.45,-122.31,433\r\nKPDX,45.59,-122.60,31\r\n");

// Writes a traffic set into folder; returns its flight-plan file.
QString WriteSet(const QString& folder, const QByteArray& plans,
                 const QByteArray& aircraft = TwoAircraft,
                 const QByteArray& airports = TwoAirports) {
    QDir().mkpath(folder);
    const std::pair<const char*, const QByteArray*> files[] = {
        {"FlightPlans.txt", &plans}, {"Aircraft.txt", &aircraft}, {"Airports.txt", &airports}};
    for (const auto& [name, bytes] : files)
        WriteFile(folder + '/' + name, *bytes);
    return folder + QStringLiteral("/FlightPlans.txt");
}

// Seeded bytes of every value, line ends and NUL included.
QByteArray Junk(quint32 seed, int size) {
    std::mt19937 engine(seed);
    QByteArray out(size, Qt::Uninitialized);
    for (char& c : out)
        c = static_cast<char>(engine() & 0xFF);
    return out;
}

// What a program that has just started writes after opening plansFile, and the doubtful lines
// it reports; nullopt when the plans can't be read whole.
struct Fresh {
    std::optional<QByteArray> Saved;
    QStringList Reports;
};

Fresh LoadAndSave(const QString& plansFile, void (*change)(TrafficSet&) = nullptr) {
    Fresh fresh;
    TrafficSet set;
    set.PlansFile = Bytes(plansFile);
    set.PlansFolder = GetFolder(set.PlansFile);
    const LoadResult loaded = FillFPlans(set, [&fresh](const std::string& text) {
        fresh.Reports << QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    });
    if (!loaded.PlansRead)
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

// The same change as SaveChild's save loop.
void ChangeEveryPlan(TrafficSet& set) {
    for (int32_t i = 0; i <= set.LastPlan; ++i)
        set.PlanTable[i].Pcent = 100;
}

// Gives the files under root to the child's user, when the test is root and the child becomes
// that user; a user that runs the test owns them already.
void GiveToChildUser(const QString& root) {
    if (geteuid() != 0)
        return;
    const std::string top = Bytes(root);
    QVERIFY(::lchown(top.c_str(), OtherUser, OtherUser) == 0);
    for (const auto& entry : fs::recursive_directory_iterator(top))
        QVERIFY(::lchown(entry.path().c_str(), OtherUser, OtherUser) == 0);
}

// Changes the mode of files and folders for a test, and gives their owner full access again at
// the end, so that the temporary folder can be removed by a user too.
class Modes {
public:
    Modes() = default;
    Modes(const Modes&) = delete;
    Modes& operator=(const Modes&) = delete;
    ~Modes() {
        for (auto it = Changed.rbegin(); it != Changed.rend(); ++it)
            ::chmod(it->c_str(), 0700);
    }
    bool Set(const QString& path, mode_t mode) {
        Changed.push_back(Bytes(path));
        return ::chmod(Changed.back().c_str(), mode) == 0;
    }

private:
    std::vector<std::string> Changed;
};

// What the window showed and how it stood after one step of SaveChild's script.
struct Seen {
    QByteArray Step;
    QStringList Oops;        // texts of "OOPS" messages
    QStringList Others;      // title and text of any other message
    QStringList SaveOffered; // the file name each save dialog proposed
    bool Changed = false;
    bool Whole = false;
    QString Figures;
    QString Folder; // the remembered folder
};

struct ChildRun {
    bool Finished = false;
    int ExitCode = -1;
    bool Done = false;
    QList<Seen> Steps;
    QByteArray Errors;
};

QString Decoded(const QByteArray& encoded) {
    return QString::fromUtf8(QByteArray::fromPercentEncoding(encoded));
}

void ParseLine(const QByteArray& line, ChildRun& run) {
    const QList<QByteArray> parts = line.split(' ');
    if (parts[0] == "DONE") {
        run.Done = true;
    } else if (parts[0] == "STEP" && parts.size() == 2) {
        run.Steps.append(Seen{parts[1], {}, {}, {}, false, false, {}, {}});
    } else if (run.Steps.isEmpty()) {
        return;
    } else if (parts[0] == "MESSAGE" && parts.size() == 3) {
        const QString title = Decoded(parts[1]);
        const QString text = Decoded(parts[2]);
        if (title == texts::Oops)
            run.Steps.last().Oops << text;
        else
            run.Steps.last().Others << title + ": " + text;
    } else if (parts[0] == "DIALOG" && parts.size() == 3 && parts[1] == "save") {
        run.Steps.last().SaveOffered << Decoded(parts[2]);
    } else if (parts[0] == "STATE" && parts.size() == 5) {
        Seen& seen = run.Steps.last();
        seen.Changed = parts[1] == "changed=1";
        seen.Whole = parts[2] == "whole=1";
        seen.Figures = Decoded(parts[3].mid(8));
        seen.Folder = Decoded(parts[4].mid(7));
    }
}

QProcessEnvironment ChildEnvironment() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C")); // the system's reasons in English
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    return env;
}

// The arguments that make the child give up root, when the test is root and asUser is set.
QStringList UserArguments(bool asUser) {
    if (asUser && geteuid() == 0)
        return {QStringLiteral("--user=%1").arg(OtherUser)};
    return {};
}

// Runs SaveChild's window with the given steps and collects what it printed.
ChildRun RunWindowChild(const QStringList& steps, bool asUser) {
    ChildRun run;
    QProcess process;
    process.setProcessEnvironment(ChildEnvironment());
    process.start(Child, UserArguments(asUser) + QStringList{QStringLiteral("window")} + steps);
    if (!process.waitForStarted(10000))
        return run;
    run.Finished = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit;
    run.ExitCode = process.exitCode();
    run.Errors = process.readAllStandardError();
    for (const QByteArray& line : process.readAllStandardOutput().split('\n'))
        if (!line.isEmpty())
            ParseLine(line, run);
    return run;
}

// The child ran its whole script without a crash.
#define VERIFY_CHILD_RAN(run, asUser, count)                                                       \
    do {                                                                                           \
        if ((asUser) && (run).ExitCode == UserNotChanged)                                          \
            QSKIP("the child process could not become another user");                              \
        QVERIFY2((run).Finished && (run).ExitCode == 0 && (run).Done, (run).Errors.constData());   \
        QCOMPARE((run).Steps.size(), (count));                                                     \
    } while (false)

// A message that names a file and says why: the text up to the reason, and the reason.
bool NamesFileAndReason(const QString& message, const QString& head, const QString& reason) {
    if (!message.startsWith(head))
        return false;
    const QString why = message.mid(head.size());
    return !why.trimmed().isEmpty() && why.contains(reason, Qt::CaseInsensitive);
}

// The message of a doubtful line: the loader's report whole, or the start of a report too long
// for a message box, with a note of what was left out.
bool ShowsReport(const QString& shown, const QString& report) {
    constexpr int Whole = 2000;
    if (report.size() <= Whole)
        return shown == report;
    return shown.startsWith(report.left(Whole)) && shown.size() < Whole + 100;
}

enum class Saves { NewPlans, OldSet, Refused };

} // namespace

Q_DECLARE_METATYPE(Saves)

namespace {

// Fails the writes after the first Allowed in the way Kind says: each with an error; the first
// by taking half of its bytes and every later one with an error, as a disk that fills up in the
// middle of a write; or each by taking nothing, without an error.
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
        switch (How) {
        case Short:
            How = Error;
            return Inner.write(data, len / 2);
        case Error:
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        case Nothing:
            break;
        }
        return 0;
    }

private:
    QIODevice& Inner;
    int Allowed;
    Kind How;
};

} // namespace

Q_DECLARE_METATYPE(FailingDevice::Kind)

namespace {

// The rule rows and the user's part in a run of the real window.

// Writes a value box's text past the entry checks, as if it had been typed and let stand.
void ForceText(ValueCombo* box, const QString& text) {
    const QSignalBlocker blockBox(box);
    const QSignalBlocker blockEdit(box->lineEdit());
    box->setEditText(text);
}

// If "Home AirPort" = "" (every plan), And "NA", Then "Aircraft ID" = ZZ1.
void SetEveryPlanRule(FrmTarvik& w) {
    w.CMBTarvik[0]->setCurrentIndex(0);
    w.CMBTarvik_Click(0);
    ForceText(w.ValueBox(3), QString());
    w.CMBTarvik[1]->setCurrentIndex(0);
    w.CMBTarvik_Click(1);
    w.CMBTarvik[2]->setCurrentIndex(3);
    w.CMBTarvik_Click(2);
    ForceText(w.ValueBox(5), QStringLiteral("ZZ1"));
}

// Takes the user's actions in a run: the next one at each decision wait (a wait lasts while the
// review buttons are enabled and no decision is stored), one when "Change The Lot" passes a
// given plan, and one while the first save dialog is open. A watchdog breaks a run that hangs.
class User : public QObject {
public:
    using Act = std::function<void(const QString&)>;

    User(FrmTarvik& w, Act act) : W(w), Do(std::move(act)) {
        connect(&Ticks, &QTimer::timeout, this, [this] { Tick(); });
        Ticks.start(0);
        Watchdog.setSingleShot(true);
        connect(&Watchdog, &QTimer::timeout, this, [this] { Break(); });
        Watchdog.start(10000);
    }

    QStringList AtWaits; // in turn, one at each decision wait
    int LotPlan = -1;    // the plan at which LotAction is taken while a lot passes it
    QString LotAction;
    QString InSaveDialog; // taken while the first save dialog is open

    int Unscripted = 0; // waits without an action left, ended by Cancel
    bool TimedOut = false;

    void DialogShown() {
        const QString action = InSaveDialog;
        InSaveDialog.clear();
        if (!action.isEmpty())
            Do(action);
    }

private:
    void Tick() {
        if (!W.CmdTarvik[1]->isEnabled())
            return;
        const int plan = W.Traffic().PlanCursor;
        const int16_t choice = W.Run().ReviewChoice;
        if (choice == ChoiceChangeLot) {
            if (plan == LotPlan && !LotAction.isEmpty()) {
                const QString action = LotAction;
                LotAction.clear();
                Do(action);
            }
            return;
        }
        if (choice != ChoiceNone)
            return;
        if (AtWaits.isEmpty()) {
            ++Unscripted;
            W.CmdTarvik[4]->click();
            return;
        }
        Do(AtWaits.takeFirst());
    }

    void Break() {
        TimedOut = true;
        AtWaits.clear();
        W.Run().Abandoned = true;
        W.CmdTarvik[4]->click();
    }

    FrmTarvik& W;
    Act Do;
    QTimer Ticks;
    QTimer Watchdog;
};

// The aircraft identifiers in a saved file, one a line.
QStringList SavedTails(const QString& path) {
    QStringList tails;
    if (!QFile::exists(path))
        return tails;
    const QByteArray bytes = ReadAll(path);
    for (const QByteArray& line : bytes.split('\n'))
        if (!line.isEmpty())
            tails << QString::fromLatin1(line.split(',').value(1));
    return tails;
}

QStringList TableTails(const TrafficSet& set) {
    QStringList tails;
    for (int32_t i = 0; i <= set.LastPlan; ++i) {
        const std::string_view tail = set.PlanTable[i].TailNum();
        tails << QString::fromLatin1(tail.data(), static_cast<qsizetype>(tail.size()));
    }
    return tails;
}

// A SaveChild that loads source and saves it changed over a copy of it in folder, until killed.
class SavingChild {
public:
    SavingChild(const QString& source, const QString& folder)
        : Target(folder + QStringLiteral("/FlightPlans.txt")) {
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        QFile::copy(source, Target);
        Process.start(Child, {QStringLiteral("saveloop"), source, Target});
    }
    SavingChild(const SavingChild&) = delete;
    SavingChild& operator=(const SavingChild&) = delete;
    ~SavingChild() {
        if (Process.state() != QProcess::NotRunning)
            Kill();
    }

    // Waits until the set is loaded and the saves have begun.
    bool WaitUntilSaving() {
        const QDeadlineTimer loading(30000);
        while (!Process.canReadLine() && Process.state() != QProcess::NotRunning &&
               !loading.hasExpired())
            Process.waitForReadyRead(static_cast<int>(loading.remainingTime()));
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
        const auto pid = static_cast<pid_t>(Process.processId());
        if (pid > 0)
            ::kill(pid, SIGKILL);
        Process.waitForFinished(10000);
    }

    QProcess Process;
};

} // namespace

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
    void targetsThatAreNoPlainFileAreRefused_data();
    void targetsThatAreNoPlainFileAreRefused();
    void failedSaveThroughTheWindow_data();
    void failedSaveThroughTheWindow();
    void killedSaveLeavesTheOldOrTheNewFile();
    void endingOrSavingDuringARun_data();
    void endingOrSavingDuringARun();
};

void TestFaults::badInputThroughOpen_data() {
    QTest::addColumn<QByteArray>("plans");
    QTest::addColumn<QByteArray>("aircraft");
    QTest::addColumn<QByteArray>("airports");
    QTest::addColumn<QString>("locked"); // the entry of the set given mode, "." for its folder
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("stopFile"); // the file the load stops in; empty for none
    QTest::addColumn<int>("stopLine");     // 0: the file can't be read; -1: any line
    QTest::addColumn<QString>("reason");
    QTest::addColumn<Saves>("saves");

    const QByteArray plans = PlanLines(3);
    const QString none;
    QTest::newRow("Binary junk as the flight-plan file is reported line by line and saved back")
        << Junk(1, 64 * 1024) << TwoAircraft << TwoAirports << none << 0 << none << 0 << none
        << Saves::NewPlans;
    QTest::newRow("Binary junk as Aircraft.txt stops the load at a line of that file")
        << plans << Junk(2, 64 * 1024) << TwoAirports << none << 0 << "Aircraft.txt" << -1 << none
        << Saves::NewPlans;
    QTest::newRow("Binary junk as Airports.txt stops the load at a line of that file")
        << plans << TwoAircraft << Junk(3, 64 * 1024) << none << 0 << "Airports.txt" << -1
        << "comma" << Saves::NewPlans;
    QTest::newRow("A flight-plan file of NUL bytes is one doubtful line, shown whole")
        << QByteArray(1500, '\0') << TwoAircraft << TwoAirports << none << 0 << none << 0 << none
        << Saves::NewPlans;
    QTest::newRow("A 1 MB plan line without a line end loads as one plan")
        << "AC#1,N1,10%,24Hr,IFR," + QByteArray(1 << 20, 'L') + ",KSEA" << TwoAircraft
        << TwoAirports << none << 0 << none << 0 << none << Saves::NewPlans;
    QTest::newRow("A 1 MB line that is no plan is one doubtful line whose start is shown")
        << plans + QByteArray(1 << 20, 'x') + "\r\n" + plans << TwoAircraft << TwoAirports << none
        << 0 << none << 0 << none << Saves::NewPlans;
    QTest::newRow("500,002 plans stop the load, nothing can be saved and the next Open works")
        << PlanLines(PlanSlots::Capacity + 1) << TwoAircraft << TwoAirports << none << 0
        << "FlightPlans.txt" << PlanSlots::Capacity + 1 << "500001" << Saves::Refused;
    QTest::newRow("An Aircraft.txt of 3,002 lines stops the load at line 3,002")
        << plans << QByteArray("AC#1,450,\"Jet\"\r\n").repeated(3002) << TwoAirports << none << 0
        << "Aircraft.txt" << 3002 << "3001" << Saves::NewPlans;
    QTest::newRow("A flight-plan file the user may not read leaves the open set in place")
        << plans << TwoAircraft << TwoAirports << "FlightPlans.txt" << 0 << "FlightPlans.txt" << 0
        << "Permission denied" << Saves::OldSet;
    QTest::newRow("A flight-plan file the user may only write is not saved over by the open set")
        << plans << TwoAircraft << TwoAirports << "FlightPlans.txt" << 0200 << "FlightPlans.txt"
        << 0 << "Permission denied" << Saves::OldSet;
    QTest::newRow("An Aircraft.txt the user may not read stops the load after the plans")
        << plans << TwoAircraft << TwoAirports << "Aircraft.txt" << 0 << "Aircraft.txt" << 0
        << "Permission denied" << Saves::NewPlans;
    QTest::newRow("An Airports.txt the user may not read stops the load after the aircraft")
        << plans << TwoAircraft << TwoAirports << "Airports.txt" << 0 << "Airports.txt" << 0
        << "Permission denied" << Saves::NewPlans;
    QTest::newRow("A folder the user may not enter leaves the open set in place")
        << plans << TwoAircraft << TwoAirports << "." << 0 << "FlightPlans.txt" << 0
        << "Permission denied" << Saves::OldSet;
    QTest::newRow("A folder the user may enter but not list loads by the exact names")
        << plans << TwoAircraft << TwoAirports << "." << 0300 << none << 0 << none
        << Saves::NewPlans;
}

// Opens a good set, then the bad one, saves under the name the dialog proposes, opens the good
// set again and saves it: the message names the file and the reason, what is saved is one set
// and never a mix, and the program goes on working.
void TestFaults::badInputThroughOpen() {
    QFETCH(QByteArray, plans);
    QFETCH(QByteArray, aircraft);
    QFETCH(QByteArray, airports);
    QFETCH(QString, locked);
    QFETCH(int, mode);
    QFETCH(QString, stopFile);
    QFETCH(int, stopLine);
    QFETCH(QString, reason);
    QFETCH(Saves, saves);
    const bool asUser = !locked.isEmpty();

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString good = WriteSet(dir.filePath("good"), PlanLines(20));
    const QString bad = WriteSet(dir.filePath("bad"), plans, aircraft, airports);
    const QString out = dir.filePath("Out.txt");
    const Fresh goodFresh = LoadAndSave(good);
    const Fresh badFresh = LoadAndSave(bad);
    QVERIFY(goodFresh.Saved && goodFresh.Reports.isEmpty());
    const QByteArray badBytes = ReadAll(bad);
    GiveToChildUser(dir.path());
    const QString lockedPath = locked == "." ? dir.filePath("bad") : dir.filePath("bad/" + locked);
    Modes modes;
    if (asUser)
        QVERIFY(modes.Set(lockedPath, static_cast<mode_t>(mode)));

    const ChildRun run = RunWindowChild(
        {"open=" + good, "open=" + bad, "save-proposed", "open=" + good, "save=" + out}, asUser);

    VERIFY_CHILD_RAN(run, asUser, 5);
    const Seen& openedGood = run.Steps[0];
    QCOMPARE(openedGood.Oops, QStringList());
    QCOMPARE(openedGood.Figures, QStringLiteral("20,2,2"));

    // The doubtful lines are those the loader reports, each shown whole; a stop is the last
    // message and names the file, the line and the reason.
    const Seen& openedBad = run.Steps[1];
    QStringList reports = openedBad.Oops;
    if (!stopFile.isEmpty()) {
        QVERIFY(!reports.isEmpty());
        const QString stop = reports.takeLast();
        const QString path = dir.filePath("bad/" + stopFile);
        QString head = QStringLiteral("Could Not Read '%1'\n").arg(path);
        if (stopLine != 0) {
            head = QStringLiteral("Loading Stopped In '%1' At Line ").arg(path);
            if (stopLine > 0)
                head += QString::number(stopLine) + '\n';
        }
        QVERIFY2(NamesFileAndReason(stop, head, reason), qPrintable(stop.left(300)));
    }
    const bool plansRead = locked != "FlightPlans.txt" && !(locked == "." && mode == 0);
    QCOMPARE(reports.size(), plansRead ? badFresh.Reports.size() : 0);
    for (int i = 0; i < reports.size(); ++i)
        QVERIFY2(ShowsReport(reports[i], badFresh.Reports[i]), qPrintable(reports[i].left(300)));
    QCOMPARE(openedBad.Others, QStringList());

    // The save writes one set whole, under that set's own name, or nothing at all.
    const Seen& savedProposed = run.Steps[2];
    switch (saves) {
    case Saves::NewPlans:
        QCOMPARE(savedProposed.SaveOffered, QStringList{bad});
        QCOMPARE(savedProposed.Oops, QStringList());
        QVERIFY(badFresh.Saved);
        QVERIFY2(ReadAll(bad) == *badFresh.Saved, "the set opened last was not saved whole");
        break;
    case Saves::OldSet:
        QCOMPARE(savedProposed.SaveOffered, QStringList{good});
        QCOMPARE(savedProposed.Oops, QStringList());
        QVERIFY2(ReadAll(good) == *goodFresh.Saved, "the open set was not saved whole");
        break;
    case Saves::Refused:
        QCOMPARE(savedProposed.SaveOffered, QStringList());
        QCOMPARE(savedProposed.Oops, QStringList{texts::PlansNotWhole});
        break;
    }
    if (saves != Saves::NewPlans) {
        modes.Set(lockedPath, 0700);
        QVERIFY2(ReadAll(bad) == badBytes, "the file that could not be loaded was written");
    }

    // The program goes on working: the good set opens and saves as from a fresh start.
    const Seen& reopened = run.Steps[3];
    QCOMPARE(reopened.Oops, QStringList());
    QCOMPARE(reopened.Figures, QStringLiteral("20,2,2"));
    QVERIFY(reopened.Whole);
    QCOMPARE(run.Steps[4].Oops, QStringList());
    QVERIFY2(ReadAll(out) == *goodFresh.Saved, "the set opened again was not saved whole");
}

void TestFaults::everyFailedWriteLeavesTheOldFile_data() {
    QTest::addColumn<FailingDevice::Kind>("kind");
    QTest::addColumn<QByteArray>("reason");
    QTest::newRow("A write that fails with an error")
        << FailingDevice::Error << QByteArray("No space left");
    QTest::newRow("A write that takes half of its bytes before the disk is full")
        << FailingDevice::Short << QByteArray("No space left");
    QTest::newRow("A write that takes none of its bytes") << FailingDevice::Nothing << QByteArray();
}

// Fails the first write, then the second, and so on until a save gets through: after each failure
// the old file is there byte for byte, the result says so, and no other file is left behind.
void TestFaults::everyFailedWriteLeavesTheOldFile() {
    QFETCH(FailingDevice::Kind, kind);
    QFETCH(QByteArray, reason);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
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
    QVERIFY(expected.size() > 4 * 256 * 1024);

    int allowed = 0;
    for (;; ++allowed) {
        const SaveResult saved = SavePlans(set, Bytes(target), [allowed, kind](QIODevice& file) {
            return new FailingDevice(file, allowed, kind);
        });
        if (saved.Ok)
            break;
        const QByteArray n = QByteArray::number(allowed);
        QVERIFY2(!saved.Error.empty() && QByteArray::fromStdString(saved.Error).contains(reason),
                 saved.Error.c_str());
        QVERIFY2(ReadAll(target) == old, ("the old file changed after write " + n).constData());
        QVERIFY2(Entries(dir.path()) == (QStringList{"FlightPlans.txt", "set"}),
                 qPrintable(Entries(dir.path()).join(' ')));
        QVERIFY2(allowed < 100, "the save never got through");
    }
    QVERIFY2(allowed >= 4, "the save should take several blocks");
    QVERIFY(ReadAll(target) == expected);
    QCOMPARE(Entries(dir.path()), (QStringList{"FlightPlans.txt", "set"}));
}

void TestFaults::permissionBitsAreKept_data() {
    QTest::addColumn<int>("mode");
    QTest::newRow("A file readable by its group only stays so (0640)") << 0640;
    QTest::newRow("A read-only file stays read-only (0444)") << 0444;
    QTest::newRow("A file only its owner may read stays so (0400)") << 0400;
    QTest::newRow("A file nobody may read or write keeps its mode (0000)") << 0000;
    QTest::newRow("A group-executable file gains no bit for its owner (0654)") << 0654;
}

// The new file has the old one's mode, whoever saves it; a file its saver may not write is left
// as it was.
void TestFaults::permissionBitsAreKept() {
    QFETCH(int, mode);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString target = dir.filePath("FlightPlans.txt");
    const QByteArray old = PlanLines(1);
    WriteFile(target, old);
    QVERIFY(::chmod(Bytes(target).c_str(), static_cast<mode_t>(mode)) == 0);
    const bool writable = ::access(Bytes(target).c_str(), W_OK) == 0;
    TrafficSet set;
    set.PlanTable.Resize(1);
    set.PlanTable[0].Assign(1, "NEW", 10, "24Hr", "IFR", "KSEA", "X", "");
    set.LastPlan = 0;

    const SaveResult saved = SavePlans(set, Bytes(target));

    QCOMPARE(saved.Ok, writable);
    struct stat st {};
    QVERIFY(::stat(Bytes(target).c_str(), &st) == 0);
    QCOMPARE(static_cast<int>(st.st_mode & 07777), mode);
    ::chmod(Bytes(target).c_str(), 0600);
    QCOMPARE(ReadAll(target), writable ? QByteArray("AC#1,NEW,10%,24Hr,IFR,X,KSEA\r\n") : old);
    QCOMPARE(Entries(dir.path()), QStringList{"FlightPlans.txt"});
}

void TestFaults::targetsThatAreNoPlainFileAreRefused_data() {
    QTest::addColumn<bool>("throughLink");
    QTest::newRow("A named pipe stays a named pipe") << false;
    QTest::newRow("A link to a named pipe stays a link to it") << true;
}

// A device or a pipe chosen as the file to save to is refused, not replaced by a plain file.
void TestFaults::targetsThatAreNoPlainFileAreRefused() {
    QFETCH(bool, throughLink);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::string pipe = Bytes(dir.filePath("Pipe"));
    QVERIFY(::mkfifo(pipe.c_str(), 0644) == 0);
    const std::string link = Bytes(dir.filePath("Link"));
    if (throughLink)
        fs::create_symlink(pipe, link);
    TrafficSet set;
    set.PlanTable.Resize(1);
    set.PlanTable[0].Assign(1, "NEW", 10, "24Hr", "IFR", "KSEA", "X", "");
    set.LastPlan = 0;

    const SaveResult saved = SavePlans(set, throughLink ? link : pipe);

    QVERIFY(!saved.Ok);
    QVERIFY(!saved.Error.empty());
    QVERIFY(fs::is_fifo(fs::symlink_status(pipe)));
    if (throughLink)
        QVERIFY(fs::is_symlink(fs::symlink_status(link)));
    QCOMPARE(Entries(dir.path()).size(), throughLink ? 2 : 1);
}

void TestFaults::failedSaveThroughTheWindow_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("asUser");

    QTest::newRow("A disk that fills up after the first block")
        << "limit=" + QString::number(300 * 1024) << "File too large" << false;
    QTest::newRow("A disk that fills up at the last byte") << "limit=last"
                                                           << "File too large" << false;
    QTest::newRow("A read-only folder") << "folder"
                                        << "Permission denied" << true;
    QTest::newRow("A read-only file") << "file"
                                      << "not writable" << true;
}

// A save that fails says why and where, leaves the old file and nothing else, keeps the changes
// unsaved and the folder unremembered; a save somewhere else then writes them all.
void TestFaults::failedSaveThroughTheWindow() {
    QFETCH(QString, fault);
    QFETCH(QString, reason);
    QFETCH(bool, asUser);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString plans = WriteSet(dir.filePath("set"), PlanLines(24000));
    const QByteArray expected = *LoadAndSave(plans, ChangeFirstPlan).Saved;
    QVERIFY(expected.size() > 2 * 300 * 1024);
    QDir().mkpath(dir.filePath("target"));
    QDir().mkpath(dir.filePath("other"));
    const QString target = dir.filePath("target/FlightPlans.txt");
    const QByteArray old = "// the old set\r\n" + PlanLines(2);
    WriteFile(target, old);
    GiveToChildUser(dir.path());
    Modes modes;
    QStringList steps{"open=" + plans, "change"};
    if (fault == "folder")
        QVERIFY(modes.Set(dir.filePath("target"), 0555));
    else if (fault == "file")
        QVERIFY(modes.Set(target, 0444));
    else if (fault == "limit=last")
        steps << "limit=" + QString::number(expected.size() - 1);
    else
        steps << fault;
    const bool limited = fault.startsWith("limit=");
    steps << "save=" + target;
    if (limited)
        steps << QStringLiteral("limit=%1").arg(quint64(RLIM_INFINITY));
    const QString other = dir.filePath("other/FlightPlans.txt");
    steps << "save=" + other;

    const ChildRun run = RunWindowChild(steps, asUser);

    VERIFY_CHILD_RAN(run, asUser, steps.size());
    const Seen& failed = run.Steps[steps.size() - 2 - (limited ? 1 : 0)];
    QCOMPARE(failed.Oops.size(), 1);
    QVERIFY2(NamesFileAndReason(failed.Oops[0], texts::SaveFailed(target, QString()), reason),
             qPrintable(failed.Oops[0]));
    QVERIFY(failed.Changed);
    QCOMPARE(failed.Folder, QString());
    modes.Set(dir.filePath("target"), 0700);
    modes.Set(target, 0600);
    QCOMPARE(ReadAll(target), old);
    QCOMPARE(Entries(dir.filePath("target")), QStringList{"FlightPlans.txt"});

    const Seen& savedElsewhere = run.Steps.last();
    QCOMPARE(savedElsewhere.Oops, QStringList());
    QVERIFY(!savedElsewhere.Changed);
    QCOMPARE(savedElsewhere.Folder, dir.filePath("set"));
    QVERIFY2(ReadAll(other) == expected, "the changes were not saved whole");
}

// SaveChild saves a full-size set over and over and is killed at a random moment, 20 times:
// each time the file holds the old set or the new one, whole. The next child loads its set while
// the one before is saving.
void TestFaults::killedSaveLeavesTheOldOrTheNewFile() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString source = WriteSet(dir.filePath("source"), PlanLines(PlanSlots::Capacity));
    const QByteArray oldBytes = ReadAll(source);
    const std::optional<QByteArray> newBytes = LoadAndSave(source, ChangeEveryPlan).Saved;
    QVERIFY(newBytes && newBytes->size() > oldBytes.size());
    const quint32 seed = QRandomGenerator::global()->generate();
    std::mt19937 engine(seed);
    std::uniform_int_distribution<int> delays(0, 300);
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
        const QByteArray where = QStringLiteral("round %1, seed %2, %3 ms, %4 bytes")
                                     .arg(round)
                                     .arg(seed)
                                     .arg(delay)
                                     .arg(now.size())
                                     .toLatin1();
        QVERIFY2(now == oldBytes || now == *newBytes, where.constData());
        ++(now == oldBytes ? oldSeen : newSeen);
    }
    qInfo("killed %d saves: %d left the old file, %d the new one", Rounds, oldSeen, newSeen);
}

void TestFaults::endingOrSavingDuringARun_data() {
    QTest::addColumn<QStringList>("atWaits"); // one action at each decision wait in turn
    QTest::addColumn<int>("lotPlan");         // where LotAction is taken during a lot
    QTest::addColumn<QString>("lotAction");
    QTest::addColumn<QString>("inSaveDialog");  // taken while the first save dialog is open
    QTest::addColumn<QList<Answer>>("answers"); // to the exit questions in turn
    QTest::addColumn<QStringList>("saveTo");    // "good", "fails" or "cancel", in turn
    QTest::addColumn<bool>("ends");
    QTest::addColumn<QStringList>("tails");      // the table at the end
    QTest::addColumn<QStringList>("savedTails"); // the good file at the end; empty: none

    const QString Z = QStringLiteral("ZZ1");
    const QStringList all{Z, Z, Z, Z, Z, Z};
    const QStringList first{Z, "N101", "N102", "N103", "N104", "N105"};
    const QStringList lotToThree{Z, Z, Z, "N103", "N104", "N105"};
    const QStringList changeRest{"change", "change", "change", "change", "change"};
    const QList<Answer> yes{Answer::Yes};
    const QStringList good{"good"};
    const QStringList nothing;

    QTest::newRow("Exit at a decision wait saves the changes on Yes and ends")
        << QStringList{"change", "exit"} << -1 << ""
        << "" << yes << good << true << first << first;
    QTest::newRow("Exit at a decision wait whose save fails goes on with the review")
        << QStringList{"change", "exit"} + changeRest << -1 << ""
        << "" << yes << QStringList{"fails"} << false << all << nothing;
    QTest::newRow("Exit at a decision wait whose save is cancelled goes on with the review")
        << QStringList{"change", "exit"} + changeRest << -1 << ""
        << "" << yes << QStringList{"cancel"} << false << all << nothing;
    QTest::newRow("Closing the window at a decision wait saves the changes on Yes and ends")
        << QStringList{"change", "close"} << -1 << ""
        << "" << yes << good << true << first << first;
    QTest::newRow("Closing the window at a decision wait ends without a save on No")
        << QStringList{"change", "close"} << -1 << ""
        << "" << QList<Answer>{Answer::No} << good << true << first << nothing;
    QTest::newRow("Closing the window at a decision wait whose save fails keeps the review")
        << QStringList{"change", "close"} + changeRest << -1 << ""
        << "" << yes << QStringList{"fails"} << false << all << nothing;
    QTest::newRow("Exit during Change The Lot saves the plans changed so far on Yes and ends")
        << QStringList{"change", "lot"} << 3 << "exit"
        << "" << yes << good << true << lotToThree << lotToThree;
    QTest::newRow("Exit during Change The Lot whose save fails lets the lot go on to the end")
        << QStringList{"change", "lot"} << 3 << "exit"
        << "" << yes << QStringList{"fails"} << false << all << nothing;
    QTest::newRow("Closing the window during Change The Lot saves on Yes and ends")
        << QStringList{"change", "lot"} << 3 << "close"
        << "" << yes << good << true << lotToThree << lotToThree;
    QTest::newRow("Closing the window while Exit's save dialog is open saves once more and ends")
        << QStringList{"change", "exit"} << -1 << ""
        << "close" << QList<Answer>{Answer::Yes, Answer::Yes} << QStringList{"good", "good"} << true
        << first << first;
    QTest::newRow("Closing the window while Exit's save dialog is open, No to its question")
        << QStringList{"change", "exit"} << -1 << ""
        << "close" << QList<Answer>{Answer::Yes, Answer::No} << good << true << first << first;
    QTest::newRow("Exit again while Exit's save dialog is open saves and ends")
        << QStringList{"change", "exit"} << -1 << ""
        << "exit" << QList<Answer>{Answer::Yes, Answer::Yes} << QStringList{"good", "good"} << true
        << first << first;
    QTest::newRow("Save at a decision wait writes every plan and the run goes on at its plan")
        << QStringList{"change", "save", "skip", "change", "change", "change", "change"} << -1 << ""
        << "" << QList<Answer>{} << good << false << QStringList{Z, "N101", Z, Z, Z, Z} << first;
    QTest::newRow("Save during Change The Lot writes every plan and the lot goes on")
        << QStringList{"lot"} << 3 << "save"
        << "" << QList<Answer>{} << good << false << all << lotToThree;
}

// Exit, the close box and Save, taken during a review, during "Change The Lot" or while the save
// dialog of Exit's question is open: no crash, no hang, and no change lost that the user did not
// give up by answering No.
void TestFaults::endingOrSavingDuringARun() {
    QFETCH(QStringList, atWaits);
    QFETCH(int, lotPlan);
    QFETCH(QString, lotAction);
    QFETCH(QString, inSaveDialog);
    QFETCH(QList<Answer>, answers);
    QFETCH(QStringList, saveTo);
    QFETCH(bool, ends);
    QFETCH(QStringList, tails);
    QFETCH(QStringList, savedTails);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QByteArray plans;
    for (int i = 0; i < 6; ++i)
        plans += "AC#1,N10" + QByteArray::number(i) + ",50%,24Hr,IFR,L" + QByteArray::number(i) +
                 ",KSEA\r\n";
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
    for (const Answer answer : answers)
        fake.Messages.Answers.push_back(answer);
    for (const QString& to : saveTo) {
        if (to == "good")
            fake.Dialog.Answers.push_back(saved);
        else if (to == "fails")
            fake.Dialog.Answers.push_back(dir.filePath("missing/Saved.txt"));
        else
            fake.Dialog.Answers.push_back(std::nullopt);
    }
    User user(w, [&w](const QString& action) {
        if (action == "change")
            w.CmdTarvik[1]->click();
        else if (action == "skip")
            w.CmdTarvik[2]->click();
        else if (action == "lot")
            w.CmdTarvik[3]->click();
        else if (action == "exit")
            w.MnuExit->trigger();
        else if (action == "close")
            w.close();
        else if (action == "save")
            w.MnuSave->trigger();
    });
    user.AtWaits = atWaits;
    user.LotPlan = lotPlan;
    user.LotAction = lotAction;
    user.InSaveDialog = inSaveDialog;
    fake.Dialog.OnShow = [&user] { user.DialogShown(); };
    QSignalSpy ended(&w, &FrmTarvik::ProgramEnded);

    w.CmdTarvik[0]->click();

    QVERIFY2(!user.TimedOut, "the run hung");
    QCOMPARE(user.Unscripted, 0);
    QVERIFY(user.AtWaits.isEmpty());
    QVERIFY(user.LotAction.isEmpty());
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
    QVERIFY(w.Traffic().PlansChanged);
    QVERIFY(w.CmdTarvik[0]->isEnabled());
    const QString final = dir.filePath("Final.txt");
    fake.Dialog.OnShow = nullptr;
    fake.Dialog.Answers = {final};
    w.MnuSave->trigger();
    QCOMPARE(SavedTails(final), tails);
    QVERIFY(!w.Traffic().PlansChanged);
}

QTEST_MAIN(TestFaults)
#include "TestFaults.moc"
