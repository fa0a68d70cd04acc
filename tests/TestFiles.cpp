// The Files menu of the window: opening a traffic set, saving it, and ending the program.

#include "support/FakePlatform.h"
#include "traffic/Load.h"
#include "window/FrmTarvik.h"
#include "window/Texts.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <optional>
#include <sys/resource.h>

using namespace tarvik;
using tarvik::testing::FakePlatform;

namespace {

const QString DataDir = QStringLiteral(TARVIK_SOURCE_DIR "/tests/data/files");
const QString Filter = QStringLiteral("(Flightplans.txt)|FlightPlans.txt");
const QString FolderEntry = QStringLiteral("PlansPath/Folder");

// The window with stand-ins for its dialogs and settings.
struct Window {
    FakePlatform Fake;
    FrmTarvik W{Fake.Get()};

    QString Figure(int index) const { return W.LBLTarvik[static_cast<std::size_t>(index)]->text(); }
    QStringList Oops() const {
        QStringList texts;
        for (const auto& shown : Fake.Messages.Log)
            if (shown.Title == texts::Oops)
                texts << shown.Text;
        return texts;
    }
    int Questions() const {
        int n = 0;
        for (const auto& shown : Fake.Messages.Log)
            if (shown.Title == texts::Warning && shown.Text == texts::SaveQuestion &&
                shown.Kind == Buttons::YesNo)
                ++n;
        return n;
    }
    int Dialogs(bool open) const {
        int n = 0;
        for (const auto& shown : Fake.Dialog.Log)
            if (shown.Open == open)
                ++n;
        return n;
    }
    void Open(const QString& path) {
        Fake.Dialog.Answers.push_back(path);
        W.MnuOpen_Click();
    }
    // Marks the first plan as changed by a run.
    void ChangeFirstPlan() {
        W.Traffic().PlanTable[0].SetTailNum("CHANGED");
        W.Traffic().PlansChanged = true;
    }
};

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Copies the sample set into folder; returns its flight-plan file.
QString CopySet(const QString& folder) {
    QDir().mkpath(folder);
    for (const char* name : {"FlightPlans.txt", "Aircraft.txt", "Airports.txt"})
        QFile::copy(DataDir + '/' + name, folder + '/' + name);
    return folder + QStringLiteral("/FlightPlans.txt");
}

// The lines of a saved file, each of which must end in CR LF.
QStringList SavedLines(const QString& path) {
    const QByteArray bytes = ReadAll(path);
    QStringList lines = QString::fromLatin1(bytes).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    else if (!bytes.isEmpty())
        lines << QStringLiteral("<last line without CR LF>");
    for (const QString& line : lines)
        if (line.contains('\r') || line.contains('\n'))
            return {QStringLiteral("<a line end other than CR LF>")};
    return lines;
}

QStringList GoldenLines(const QString& name) {
    QString text = QString::fromLatin1(ReadAll(DataDir + '/' + name));
    text.remove('\r');
    QStringList lines = text.split('\n');
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    return lines;
}

bool PointerIsDefault(const QWidget& w) {
    return QApplication::overrideCursor() == nullptr && w.cursor().shape() == Qt::ArrowCursor;
}

// Lowers the largest file this process may write, so that a save fails part-way as on a full
// disk, also for root.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        OldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &Old);
        const rlimit lower{bytes, Old.rlim_max};
        setrlimit(RLIMIT_FSIZE, &lower);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &Old);
        std::signal(SIGXFSZ, OldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit Old{};
    void (*OldHandler)(int) = nullptr;
};

// How a save is made to fail.
enum class SaveTarget { Good, MissingFolder, ParentIsFile, DiskFull, Cancel };

// Answers the save dialog and prepares the target; the path the dialog answers.
std::optional<QString> PrepareTarget(SaveTarget target, const QString& dir) {
    switch (target) {
    case SaveTarget::Good:
    case SaveTarget::DiskFull:
        return dir + QStringLiteral("/Saved.txt");
    case SaveTarget::MissingFolder:
        return dir + QStringLiteral("/no such folder/Saved.txt");
    case SaveTarget::ParentIsFile:
        WriteFile(dir + QStringLiteral("/plain"), "a file, not a folder\r\n");
        return dir + QStringLiteral("/plain/Saved.txt");
    case SaveTarget::Cancel:
        break;
    }
    return std::nullopt;
}

// Runs action with the save made to fail as target says.
template <typename Action> void WithTarget(SaveTarget target, Action action) {
    if (target == SaveTarget::DiskFull) {
        const FileSizeLimit limit(16);
        action();
    } else {
        action();
    }
}

} // namespace

Q_DECLARE_METATYPE(SaveTarget)
Q_DECLARE_METATYPE(Answer)

class TestFiles : public QObject {
    Q_OBJECT

private slots:
    void openStartsTheDialogInTheRememberedFolder_data();
    void openStartsTheDialogInTheRememberedFolder();
    void openReportsDoubtfulLinesInFileOrder();
    void openShowsTheCounts_data();
    void openShowsTheCounts();
    void stoppedLoad_data();
    void stoppedLoad();
    void aStopInsideThePlansFileRefusesSave();
    void saveWritesThePlansAndTheKeptLines();
    void saveStartsWithWhatOpenLeftInTheDialog();
    void saveRemembersTheFolderTheSetWasOpenedFrom();
    void saveThatFails_data();
    void saveThatFails();
    void saveWhoseFolderCannotBeRemembered();
    void saveBeforeAnyOpen();
    void openWithUnsavedChanges_data();
    void openWithUnsavedChanges();
    void cancelledOpenEndsTheProgram_data();
    void cancelledOpenEndsTheProgram();
    void exit_data();
    void exit();
    void closeBox_data();
    void closeBox();
    void anEndedProgramDoesNotAskAgainWhenClosed();
    void theMenuItemsRunTheirHandlers();
};

void TestFiles::openStartsTheDialogInTheRememberedFolder_data() {
    QTest::addColumn<bool>("remembered");
    QTest::newRow("the remembered folder is where the dialog starts") << true;
    QTest::newRow("without a remembered folder the dialog gets no start folder") << false;
}

void TestFiles::openStartsTheDialogInTheRememberedFolder() {
    QFETCH(bool, remembered);
    QTemporaryDir dir;
    const QString plans = CopySet(dir.path() + QStringLiteral("/set"));
    Window win;
    if (remembered)
        win.Fake.Settings.Values[FolderEntry] = QStringLiteral("/somewhere/traffic");

    win.Open(plans);

    QCOMPARE(win.Fake.Dialog.Log.size(), std::size_t{1});
    const auto& shown = win.Fake.Dialog.Log[0];
    QVERIFY(shown.Open);
    QVERIFY(shown.CancelError);
    QCOMPARE(shown.InitDir, remembered ? QStringLiteral("/somewhere/traffic") : QString());
    QCOMPARE(shown.Filter, Filter);
    QCOMPARE(QString::fromStdString(win.W.Traffic().PlansFile), plans);
    QCOMPARE(QString::fromStdString(win.W.Traffic().PlansFolder), dir.path() + "/set");
    QVERIFY(!win.W.Traffic().PlansChanged);
}

void TestFiles::openReportsDoubtfulLinesInFileOrder() {
    QTemporaryDir dir;
    Window win;
    win.Open(CopySet(dir.path()));

    const QString problem = QString::fromLatin1(ProblemText);
    const QStringList expected = {
        problem + "5\nBadLineWithoutComma",
        problem + "7\n   ",
        problem + "8\nAC#2,N303CC,10%,Day,IFR,X2,KLAXX",
    };
    QCOMPARE(win.Oops(), expected);
    for (const auto& shown : win.Fake.Messages.Log)
        QCOMPARE(shown.Kind, Buttons::Ok);
    QVERIFY(PointerIsDefault(win.W));
}

void TestFiles::openShowsTheCounts_data() {
    QTest::addColumn<QByteArray>("plans");
    QTest::addColumn<QByteArray>("aircraft");
    QTest::addColumn<QByteArray>("airports");
    QTest::addColumn<QStringList>("figures");

    const QByteArray twoAircraft = "AC#1,450,\"Jet\"\r\nAC#2,250,\"Twin\"\r\n";
    const QByteArray twoAirports = "KSFO,1\r\nKLAX,2\r\n";
    QTest::newRow("a set of three plans, two aircraft and two airports shows 3, 2 and 2")
        << QByteArray("AC#1,A,1%,D,IFR,X,KSFO\r\nAC#1,B,1%,D,IFR,X,KSFO\r\nAC#2,C,1%,D,IFR,X,KLAX"
                      "\r\n")
        << twoAircraft << twoAirports << QStringList{"3", "2", "2"};
    QTest::newRow("a plans file of only comments shows no plans")
        << QByteArray("// one\r\n; two\r\n") << twoAircraft << twoAirports
        << QStringList{"0", "2", "2"};
    QTest::newRow("empty files show no plans, aircraft or airports")
        << QByteArray() << QByteArray() << QByteArray() << QStringList{"0", "0", "0"};
    QTest::newRow("an empty Aircraft.txt line takes a slot, an empty Airports.txt line does not")
        << QByteArray("AC#1,A,1%,D,IFR,X,KSFO\r\n")
        << QByteArray("AC#1,450,\"Jet\"\r\n\r\nAC#3,1,\"S\"")
        << QByteArray("KSFO,1\r\n\r\nKLAX,2\r\n") << QStringList{"1", "3", "2"};
}

void TestFiles::openShowsTheCounts() {
    QFETCH(QByteArray, plans);
    QFETCH(QByteArray, aircraft);
    QFETCH(QByteArray, airports);
    QFETCH(QStringList, figures);
    QTemporaryDir dir;
    WriteFile(dir.filePath("FlightPlans.txt"), plans);
    WriteFile(dir.filePath("Aircraft.txt"), aircraft);
    WriteFile(dir.filePath("Airports.txt"), airports);
    Window win;

    win.Open(dir.filePath("FlightPlans.txt"));

    QCOMPARE((QStringList{win.Figure(7), win.Figure(10), win.Figure(11)}), figures);
    QVERIFY(win.Oops().isEmpty());
}

void TestFiles::stoppedLoad_data() {
    QTest::addColumn<QString>("spoil");       // the file of the sample set to replace
    QTest::addColumn<QByteArray>("contents"); // its new contents; empty: the file is removed
    QTest::addColumn<QString>("named");       // the file and line the message names
    QTest::addColumn<QStringList>("figures");
    QTest::addColumn<bool>("saves");

    QTest::newRow("a missing Airports.txt is named and its figure is left as it was")
        << "Airports.txt" << QByteArray() << "Could Not Read '%1/Airports.txt'"
        << QStringList{"3", "5", ""} << true;
    QTest::newRow("a missing Aircraft.txt stops before the aircraft and airport figures")
        << "Aircraft.txt" << QByteArray() << "Could Not Read '%1/Aircraft.txt'"
        << QStringList{"3", "", ""} << true;
    QTest::newRow("an Aircraft.txt line without a title is named by its line number")
        << "Aircraft.txt" << QByteArray("AC#1,450,\"Jet\"\r\nAC#2,250\r\n")
        << "Loading Stopped In '%1/Aircraft.txt' At Line 2" << QStringList{"3", "", ""} << true;
    QTest::newRow("an Airports.txt line of blanks stops the load at its line")
        << "Airports.txt" << QByteArray("KSFO,1\r\n\r\n   \r\n")
        << "Loading Stopped In '%1/Airports.txt' At Line 3" << QStringList{"3", "5", ""} << true;
    QTest::newRow("a missing flight-plan file leaves every figure empty and nothing to save")
        << "FlightPlans.txt" << QByteArray() << "Could Not Read '%1/FlightPlans.txt'"
        << QStringList{"", "", ""} << false;
}

void TestFiles::stoppedLoad() {
    QFETCH(QString, spoil);
    QFETCH(QByteArray, contents);
    QFETCH(QString, named);
    QFETCH(QStringList, figures);
    QFETCH(bool, saves);
    QTemporaryDir dir;
    const QString plans = CopySet(dir.path());
    QFile::remove(dir.filePath(spoil));
    if (!contents.isEmpty())
        WriteFile(dir.filePath(spoil), contents);
    Window win;

    win.Open(plans);

    QCOMPARE((QStringList{win.Figure(7), win.Figure(10), win.Figure(11)}), figures);
    const QStringList oops = win.Oops();
    QVERIFY(!oops.isEmpty());
    QVERIFY2(oops.constLast().startsWith(named.arg(dir.path()) + '\n'), qPrintable(oops.last()));
    QVERIFY(PointerIsDefault(win.W));

    win.Fake.Messages.Log.clear();
    win.Fake.Dialog.Answers.push_back(dir.filePath("Saved.txt"));
    win.W.MnuSave_Click();
    QCOMPARE(QFile::exists(dir.filePath("Saved.txt")), saves);
    if (!saves) // the set could not be read at all: no set is open
        QCOMPARE(win.Oops(), QStringList{texts::NothingToSave});
}

void TestFiles::aStopInsideThePlansFileRefusesSave() {
    QTemporaryDir dir;
    const QString good = CopySet(dir.filePath("good"));
    const QString big = CopySet(dir.filePath("big"));
    const int32_t lines = PlanSlots::Capacity + 1;
    {
        QFile file(big);
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QByteArray line = "AC#1,N1,10%,Day,IFR,X,KSFO\r\n";
        QByteArray block;
        for (int32_t i = 0; i < lines; ++i) {
            block += line;
            if (block.size() > (1 << 20) || i + 1 == lines) {
                QCOMPARE(file.write(block), block.size());
                block.clear();
            }
        }
    }
    Window win;
    win.Open(good);
    win.Fake.Messages.Log.clear();

    win.Open(big);

    QCOMPARE(win.Oops(), QStringList{texts::LoadStopped(
                             big, lines, QStringLiteral("the file holds more than 500001 plans"))});
    QCOMPARE(win.Figure(7), QStringLiteral("3"));
    QVERIFY(!win.W.Traffic().PlansWhole);

    win.Fake.Messages.Log.clear();
    win.Fake.Dialog.Answers.push_back(dir.filePath("Saved.txt"));
    win.W.MnuSave_Click();
    QCOMPARE(win.Oops(), QStringList{texts::PlansNotWhole});
    QCOMPARE(win.Dialogs(false), 0);
    QVERIFY(!QFile::exists(dir.filePath("Saved.txt")));
}

void TestFiles::saveWritesThePlansAndTheKeptLines() {
    QTemporaryDir dir;
    Window win;
    win.Open(CopySet(dir.filePath("set")));
    win.Fake.Dialog.Answers.push_back(dir.filePath("Saved.txt"));

    win.W.MnuSave_Click();

    QCOMPARE(SavedLines(dir.filePath("Saved.txt")), GoldenLines("Saved.txt"));
    QCOMPARE(QString::fromStdString(win.W.Traffic().PlansFile), dir.filePath("Saved.txt"));
    QVERIFY(PointerIsDefault(win.W));
}

void TestFiles::saveStartsWithWhatOpenLeftInTheDialog() {
    QTemporaryDir dir;
    const QString plans = CopySet(dir.filePath("set"));
    Window win;
    win.Fake.Settings.Values[FolderEntry] = dir.filePath("remembered");
    win.Open(plans);
    win.Fake.Dialog.Answers.push_back(std::nullopt);

    win.W.MnuSave_Click();

    QCOMPARE(win.Fake.Dialog.Log.size(), std::size_t{2});
    const auto& shown = win.Fake.Dialog.Log[1];
    QVERIFY(!shown.Open);
    QVERIFY(shown.CancelError);
    QCOMPARE(shown.InitDir, dir.filePath("remembered"));
    QCOMPARE(shown.Filter, Filter);
    QCOMPARE(shown.FileName, plans);
    QVERIFY2(win.Fake.Messages.Log.size() == 3, "a cancelled save says nothing");
    QCOMPARE(QString::fromStdString(win.W.Traffic().PlansFile), plans);
    QCOMPARE(ReadAll(plans), ReadAll(DataDir + "/FlightPlans.txt"));
}

void TestFiles::saveRemembersTheFolderTheSetWasOpenedFrom() {
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("elsewhere"));
    Window win;
    win.Fake.Settings.Values[FolderEntry] = QStringLiteral("/old/folder");
    win.Open(CopySet(dir.filePath("set")));
    win.ChangeFirstPlan();
    win.Fake.Dialog.Answers.push_back(dir.filePath("elsewhere/Copy.txt"));

    win.W.MnuSave_Click();

    QCOMPARE(win.Fake.Settings.Values.value(FolderEntry), dir.filePath("set"));
    QVERIFY(!win.W.Traffic().PlansChanged);
    QCOMPARE(SavedLines(dir.filePath("elsewhere/Copy.txt")).value(1),
             QStringLiteral("AC#1,CHANGED,25%,12Hr,IFR,06:00,07:10,110,F,101,KSFO,KLAX"));
}

void TestFiles::saveThatFails_data() {
    QTest::addColumn<SaveTarget>("target");
    QTest::newRow("a folder that does not exist") << SaveTarget::MissingFolder;
    QTest::newRow("a folder that is a plain file") << SaveTarget::ParentIsFile;
    QTest::newRow("a disk that fills up leaves the old file as it was") << SaveTarget::DiskFull;
}

void TestFiles::saveThatFails() {
    QFETCH(SaveTarget, target);
    QTemporaryDir dir;
    Window win;
    win.Fake.Settings.Values[FolderEntry] = QStringLiteral("/old/folder");
    win.Open(CopySet(dir.filePath("set")));
    win.ChangeFirstPlan();
    win.Fake.Messages.Log.clear();
    const QString path = *PrepareTarget(target, dir.path());
    const QByteArray old = "the old file\r\n";
    if (target == SaveTarget::DiskFull)
        WriteFile(path, old);
    win.Fake.Dialog.Answers.push_back(path);

    WithTarget(target, [&] { win.W.MnuSave_Click(); });

    const QStringList oops = win.Oops();
    QCOMPARE(oops.size(), 1);
    const QString failed = texts::SaveFailed(path, QString());
    QVERIFY2(oops[0].startsWith(failed) && oops[0].size() > failed.size(), qPrintable(oops[0]));
    QVERIFY(win.W.Traffic().PlansChanged);
    QCOMPARE(win.Fake.Settings.Values.value(FolderEntry), QStringLiteral("/old/folder"));
    QVERIFY(PointerIsDefault(win.W));
    if (target == SaveTarget::DiskFull)
        QCOMPARE(ReadAll(path), old);
    else
        QVERIFY(!QFile::exists(path));
    QCOMPARE(QDir(dir.filePath("set")).entryList(QDir::Files).size(), 3);
}

void TestFiles::saveWhoseFolderCannotBeRemembered() {
    QTemporaryDir dir;
    Window win;
    win.Open(CopySet(dir.filePath("set")));
    win.ChangeFirstPlan();
    win.Fake.Messages.Log.clear();
    win.Fake.Settings.FailWrites = true;
    win.Fake.Dialog.Answers.push_back(dir.filePath("Saved.txt"));

    win.W.MnuSave_Click();

    QCOMPARE(win.Oops(), QStringList{texts::FolderNotRemembered});
    QCOMPARE(SavedLines(dir.filePath("Saved.txt")).size(), GoldenLines("Saved.txt").size());
    QVERIFY(win.W.Traffic().PlansChanged);
}

void TestFiles::saveBeforeAnyOpen() {
    QTemporaryDir dir;
    Window win;
    win.Fake.Dialog.Answers.push_back(dir.filePath("Saved.txt"));

    win.W.MnuSave_Click();

    QCOMPARE(win.Oops(), QStringList{texts::NothingToSave});
    QVERIFY(win.Fake.Dialog.Log.empty());
    QVERIFY(QDir(dir.path()).isEmpty());
    QVERIFY(win.Fake.Settings.Values.isEmpty());
}

void TestFiles::openWithUnsavedChanges_data() {
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<SaveTarget>("target");
    QTest::addColumn<bool>("opens");

    QTest::newRow("No discards the changes and opens the next set")
        << Answer::No << SaveTarget::Good << true;
    QTest::newRow("Yes saves the changes first, then opens the next set")
        << Answer::Yes << SaveTarget::Good << true;
    QTest::newRow("Yes with a save that fails stays with the changed set")
        << Answer::Yes << SaveTarget::MissingFolder << false;
    QTest::newRow("Yes with the save dialog cancelled stays with the changed set")
        << Answer::Yes << SaveTarget::Cancel << false;
}

void TestFiles::openWithUnsavedChanges() {
    QFETCH(Answer, answer);
    QFETCH(SaveTarget, target);
    QFETCH(bool, opens);
    QTemporaryDir dir;
    const QString first = CopySet(dir.filePath("first"));
    const QString second = dir.filePath("second/FlightPlans.txt");
    QDir().mkpath(dir.filePath("second"));
    WriteFile(second, "AC#1,ONLY,1%,D,IFR,X,KSFO\r\n");
    QFile::copy(DataDir + "/Aircraft.txt", dir.filePath("second/Aircraft.txt"));
    QFile::copy(DataDir + "/Airports.txt", dir.filePath("second/Airports.txt"));
    Window win;
    win.Open(first);
    win.ChangeFirstPlan();
    win.Fake.Messages.Log.clear();
    win.Fake.Messages.Answers.push_back(answer);
    const std::optional<QString> saveTo = PrepareTarget(target, dir.path());
    if (answer == Answer::Yes)
        win.Fake.Dialog.Answers.push_back(saveTo);

    win.Open(second);

    QCOMPARE(win.Questions(), 1);
    QCOMPARE(win.Dialogs(false), answer == Answer::Yes ? 1 : 0);
    QCOMPARE(win.Dialogs(true), opens ? 2 : 1);
    if (answer == Answer::Yes && target == SaveTarget::Good)
        QCOMPARE(SavedLines(*saveTo).value(1),
                 QStringLiteral("AC#1,CHANGED,25%,12Hr,IFR,06:00,07:10,110,F,101,KSFO,KLAX"));
    const TrafficSet& set = win.W.Traffic();
    if (opens) {
        QCOMPARE(win.Figure(7), QStringLiteral("1"));
        QCOMPARE(QString::fromStdString(std::string(set.PlanTable[0].TailNum())),
                 QStringLiteral("ONLY"));
        QVERIFY(!set.PlansChanged);
    } else {
        QCOMPARE(win.Figure(7), QStringLiteral("3"));
        QCOMPARE(QString::fromStdString(std::string(set.PlanTable[0].TailNum())),
                 QStringLiteral("CHANGED"));
        QVERIFY(set.PlansChanged);
        QCOMPARE(QString::fromStdString(set.PlansFolder), dir.filePath("first"));
    }
    QCOMPARE(ReadAll(first), ReadAll(DataDir + "/FlightPlans.txt"));
}

void TestFiles::cancelledOpenEndsTheProgram_data() {
    QTest::addColumn<bool>("changed");
    QTest::newRow("without changes the program ends without a question") << false;
    QTest::newRow("with changes discarded by No the program ends") << true;
}

void TestFiles::cancelledOpenEndsTheProgram() {
    QFETCH(bool, changed);
    QTemporaryDir dir;
    Window win;
    win.W.show();
    QVERIFY(QTest::qWaitForWindowExposed(&win.W));
    win.Open(CopySet(dir.path()));
    if (changed)
        win.ChangeFirstPlan();
    win.Fake.Messages.Answers.push_back(Answer::No);
    QSignalSpy ended(&win.W, &FrmTarvik::ProgramEnded);

    win.Fake.Dialog.Answers.push_back(std::nullopt);
    win.W.MnuOpen_Click();

    QCOMPARE(ended.count(), 1);
    QCOMPARE(win.Questions(), changed ? 1 : 0);
    QCOMPARE(win.Dialogs(false), 0);
    QVERIFY(!win.W.isVisible());
    QVERIFY(win.W.Run().Abandoned);
}

void TestFiles::exit_data() {
    QTest::addColumn<bool>("changed");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<SaveTarget>("target");
    QTest::addColumn<bool>("ends");

    QTest::newRow("without changes Exit ends at once")
        << false << Answer::Yes << SaveTarget::Good << true;
    QTest::newRow("with changes, No ends without saving")
        << true << Answer::No << SaveTarget::Good << true;
    QTest::newRow("with changes, Yes saves and then ends")
        << true << Answer::Yes << SaveTarget::Good << true;
    QTest::newRow("with changes, Yes and a save that fails returns to the window")
        << true << Answer::Yes << SaveTarget::ParentIsFile << false;
    QTest::newRow("with changes, Yes and a cancelled save returns to the window")
        << true << Answer::Yes << SaveTarget::Cancel << false;
}

void TestFiles::exit() {
    QFETCH(bool, changed);
    QFETCH(Answer, answer);
    QFETCH(SaveTarget, target);
    QFETCH(bool, ends);
    QTemporaryDir dir;
    Window win;
    win.W.show();
    QVERIFY(QTest::qWaitForWindowExposed(&win.W));
    win.Open(CopySet(dir.filePath("set")));
    if (changed)
        win.ChangeFirstPlan();
    win.Fake.Messages.Log.clear();
    win.Fake.Messages.Answers.push_back(answer);
    const std::optional<QString> saveTo = PrepareTarget(target, dir.path());
    win.Fake.Dialog.Answers.push_back(saveTo);
    QSignalSpy ended(&win.W, &FrmTarvik::ProgramEnded);

    win.W.MnuExit_Click();

    QCOMPARE(win.Questions(), changed ? 1 : 0);
    const bool saving = changed && answer == Answer::Yes;
    QCOMPARE(win.Dialogs(false), saving ? 1 : 0);
    QCOMPARE(saveTo && QFile::exists(*saveTo), saving && target == SaveTarget::Good);
    QCOMPARE(ended.count(), ends ? 1 : 0);
    QCOMPARE(win.W.isVisible(), !ends);
    QCOMPARE(win.W.Run().Abandoned, ends);
    if (!ends) {
        QVERIFY(win.W.Traffic().PlansChanged);
        QCOMPARE(win.Oops().size(), target == SaveTarget::Cancel ? 0 : 1);
    }
}

void TestFiles::closeBox_data() {
    QTest::addColumn<bool>("changed");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<SaveTarget>("target");
    QTest::addColumn<bool>("closes");

    QTest::newRow("without changes the window closes without a question")
        << false << Answer::Yes << SaveTarget::Good << true;
    QTest::newRow("with changes, No closes without saving")
        << true << Answer::No << SaveTarget::Good << true;
    QTest::newRow("with changes, Yes saves and closes")
        << true << Answer::Yes << SaveTarget::Good << true;
    QTest::newRow("with changes, Yes and a save that fails keeps the window open")
        << true << Answer::Yes << SaveTarget::MissingFolder << false;
    QTest::newRow("with changes, Yes and a cancelled save keeps the window open")
        << true << Answer::Yes << SaveTarget::Cancel << false;
}

void TestFiles::closeBox() {
    QFETCH(bool, changed);
    QFETCH(Answer, answer);
    QFETCH(SaveTarget, target);
    QFETCH(bool, closes);
    QTemporaryDir dir;
    Window win;
    win.W.show();
    QVERIFY(QTest::qWaitForWindowExposed(&win.W));
    win.Open(CopySet(dir.filePath("set")));
    if (changed)
        win.ChangeFirstPlan();
    win.Fake.Messages.Log.clear();
    win.Fake.Messages.Answers.push_back(answer);
    const std::optional<QString> saveTo = PrepareTarget(target, dir.path());
    win.Fake.Dialog.Answers.push_back(saveTo);
    QSignalSpy ended(&win.W, &FrmTarvik::ProgramEnded);

    QCOMPARE(win.W.close(), closes);

    QCOMPARE(win.Questions(), changed ? 1 : 0);
    QCOMPARE(saveTo && QFile::exists(*saveTo), changed && answer == Answer::Yes && closes);
    QCOMPARE(ended.count(), closes ? 1 : 0);
    QCOMPARE(win.W.isVisible(), !closes);
    QCOMPARE(win.W.Traffic().PlansChanged, changed && !(answer == Answer::Yes && closes));
}

void TestFiles::anEndedProgramDoesNotAskAgainWhenClosed() {
    QTemporaryDir dir;
    Window win;
    win.W.show();
    QVERIFY(QTest::qWaitForWindowExposed(&win.W));
    win.Open(CopySet(dir.path()));
    win.ChangeFirstPlan();
    win.Fake.Messages.Answers = {Answer::No, Answer::No};
    QSignalSpy ended(&win.W, &FrmTarvik::ProgramEnded);

    win.W.MnuExit_Click();
    QVERIFY(win.W.close());
    win.W.MnuExit_Click();

    QCOMPARE(win.Questions(), 1);
    QCOMPARE(ended.count(), 1);
}

void TestFiles::theMenuItemsRunTheirHandlers() {
    QTemporaryDir dir;
    Window win;
    win.W.show();
    QVERIFY(QTest::qWaitForWindowExposed(&win.W));

    win.W.MNUDivider->trigger();
    QVERIFY(win.Fake.Dialog.Log.empty());
    QVERIFY(win.Fake.Messages.Log.empty());

    win.W.MnuSave->trigger();
    QCOMPARE(win.Oops(), QStringList{texts::NothingToSave});

    win.Fake.Dialog.Answers.push_back(CopySet(dir.path()));
    win.W.MnuOpen->trigger();
    QCOMPARE(win.Figure(7), QStringLiteral("3"));

    QSignalSpy ended(&win.W, &FrmTarvik::ProgramEnded);
    win.W.MnuExit->trigger();
    QCOMPARE(ended.count(), 1);
}

QTEST_MAIN(TestFiles)
#include "TestFiles.moc"
