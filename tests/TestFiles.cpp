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

#include <optional>

using namespace tarvik;
using tarvik::testing::FakePlatform;

namespace {

const QString DataDir = QStringLiteral(TARVIK_SOURCE_DIR "/tests/data/files");
const QString FolderEntry = QStringLiteral("PlansPath/Folder");
const QString ChangedLine =
    QStringLiteral("AC#1,CHANGED,25%,12Hr,IFR,06:00,07:10,110,F,101,KSFO,KLAX");

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Copies the set of tests/data/files into folder; returns its flight-plan file.
QString CopySet(const QString& folder) {
    QDir().mkpath(folder);
    for (const char* name : {"FlightPlans.txt", "Aircraft.txt", "Airports.txt"})
        QFile::copy(DataDir + '/' + name, folder + '/' + name);
    return folder + QStringLiteral("/FlightPlans.txt");
}

// The window with stand-ins for its dialogs and settings, in a folder of its own.
struct Window {
    QTemporaryDir Dir;
    FakePlatform Fake;
    FrmTarvik W{Fake.Get()};

    QString Path(const QString& name) const { return Dir.filePath(name); }
    QStringList Figures() const {
        return {W.LBLTarvik[7]->text(), W.LBLTarvik[10]->text(), W.LBLTarvik[11]->text()};
    }
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
            n += shown.Title == texts::Warning && shown.Text == texts::SaveQuestion &&
                 shown.Kind == Buttons::YesNo;
        return n;
    }
    int Dialogs(bool open) const {
        int n = 0;
        for (const auto& shown : Fake.Dialog.Log)
            n += shown.Open == open;
        return n;
    }
    void Show() {
        W.show();
        QVERIFY(QTest::qWaitForWindowExposed(&W));
    }
    void Open(const QString& path) {
        Fake.Dialog.Answers.push_back(path);
        W.MnuOpen_Click();
    }
    // Opens the copy of the data set in folder "set", changes its first plan as a run would, and
    // queues answer for the question and saveTo for the save dialog.
    void OpenChanged(bool changed, Answer answer, const std::optional<QString>& saveTo) {
        Open(CopySet(Path("set")));
        if (changed) {
            W.Traffic().PlanTable[0].SetTailNum("CHANGED");
            W.Traffic().PlansChanged = true;
        }
        Fake.Messages.Log.clear();
        Fake.Messages.Answers.push_back(answer);
        Fake.Dialog.Answers.push_back(saveTo);
    }
    QString PlansFile() { return QString::fromStdString(W.Traffic().PlansFile); }
};

enum class Ending { Exit, CloseBox, CancelledOpen };

// Where a save goes: a file that can be written (Good), one in a missing folder, or none for a
// cancelled dialog.
const QString Good = QStringLiteral("Saved.txt");
const QString Fails = QStringLiteral("no such folder/Saved.txt");
const QString Cancel;

std::optional<QString> TargetPath(const QString& target, const Window& win) {
    return target.isNull() ? std::nullopt : std::optional<QString>(win.Path(target));
}

} // namespace

Q_DECLARE_METATYPE(Ending)
Q_DECLARE_METATYPE(Answer)

class TestFiles : public QObject {
    Q_OBJECT

private slots:
    void openStartsInTheRememberedFolderAndReportsInFileOrder_data();
    void openStartsInTheRememberedFolderAndReportsInFileOrder();
    void stoppedLoad_data();
    void stoppedLoad();
    void secondOpenThatFails_data();
    void secondOpenThatFails();
    void save_data();
    void save();
    void saveBeforeAnyOpen();
    void openWithUnsavedChanges_data();
    void openWithUnsavedChanges();
    void ending_data();
    void ending();
    void theMenuItemsRunTheirHandlersAndEndOnce();
};

void TestFiles::openStartsInTheRememberedFolderAndReportsInFileOrder_data() {
    QTest::addColumn<QString>("remembered");
    QTest::newRow("the remembered folder is where the dialog starts") << "/somewhere/traffic";
    QTest::newRow("without a remembered folder the dialog gets no start folder") << QString();
}

void TestFiles::openStartsInTheRememberedFolderAndReportsInFileOrder() {
    QFETCH(QString, remembered);
    Window win;
    if (!remembered.isNull())
        win.Fake.Settings.Values[FolderEntry] = remembered;
    const QString plans = CopySet(win.Path("set"));

    win.Open(plans);

    QCOMPARE(win.Fake.Dialog.Log.size(), std::size_t{1});
    const auto& shown = win.Fake.Dialog.Log[0];
    QVERIFY(shown.Open && shown.CancelError);
    QCOMPARE(shown.InitDir, remembered);
    QVERIFY(shown.Filter.startsWith(QStringLiteral("(Flightplans.txt)|FlightPlans.txt|")));
    QCOMPARE(win.PlansFile(), plans);
    QCOMPARE(QString::fromStdString(win.W.Traffic().PlansFolder), win.Path("set"));
    const QString problem = QStringLiteral("There may be a problem in Line number");
    QCOMPARE(win.Oops(), (QStringList{problem + "5\nBadLineWithoutComma", problem + "7\n   ",
                                      problem + "8\nAC#2,N303CC,10%,Day,IFR,X2,KLAXX"}));
    QCOMPARE(win.Figures(), (QStringList{"3", "5", "4"}));
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void TestFiles::stoppedLoad_data() {
    QTest::addColumn<QString>("spoil");       // the file of the data set to replace
    QTest::addColumn<QByteArray>("contents"); // its new contents; empty: the file is removed
    QTest::addColumn<QString>("named");       // the start of the message's first line
    QTest::addColumn<QStringList>("figures");

    QTest::newRow("a missing Airports.txt is named and its figure is left empty")
        << "Airports.txt" << QByteArray() << "Could Not Read '%1/Airports.txt'"
        << QStringList{"3", "5", ""};
    QTest::newRow("an Aircraft.txt line without a title is named by its line number")
        << "Aircraft.txt" << QByteArray("AC#1,450,\"Jet\"\r\nAC#2,250\r\n")
        << "Loading Stopped In '%1/Aircraft.txt' At Line 2" << QStringList{"3", "", ""};
    QTest::newRow("an Airports.txt line of blanks stops the load at its line")
        << "Airports.txt" << QByteArray("KSFO,1\r\n\r\n   \r\n")
        << "Loading Stopped In '%1/Airports.txt' At Line 3" << QStringList{"3", "5", ""};
}

// The plans of a load that stopped in Aircraft.txt or Airports.txt are whole and can be saved.
void TestFiles::stoppedLoad() {
    QFETCH(QString, spoil);
    QFETCH(QByteArray, contents);
    QFETCH(QString, named);
    Window win;
    const QString plans = CopySet(win.Path("set"));
    QFile::remove(win.Path("set/" + spoil));
    if (!contents.isEmpty())
        WriteFile(win.Path("set/" + spoil), contents);

    win.Open(plans);

    QTEST(win.Figures(), "figures");
    const QStringList oops = win.Oops();
    QCOMPARE(oops.size(), 4);
    QVERIFY2(oops[3].startsWith(named.arg(win.Path("set")) + '\n'), qPrintable(oops[3]));
    win.Fake.Dialog.Answers.push_back(win.Path("Saved.txt"));
    win.W.MnuSave_Click();
    QVERIFY(QFile::exists(win.Path("Saved.txt")));
}

void TestFiles::secondOpenThatFails_data() {
    QTest::addColumn<bool>("overCapacity");
    QTest::newRow("an unreadable flight-plan file keeps the open set, its paths and figures")
        << false;
    QTest::newRow("a flight-plan file over capacity leaves a mixed set that Save refuses") << true;
}

void TestFiles::secondOpenThatFails() {
    QFETCH(bool, overCapacity);
    Window win;
    const QString good = CopySet(win.Path("set"));
    const QString bad = win.Path("bad/FlightPlans.txt");
    const int32_t lines = PlanSlots::Capacity + 1;
    if (overCapacity) {
        CopySet(win.Path("bad"));
        WriteFile(bad, QByteArray("AC#1,N1,10%,Day,IFR,X,KSFO\r\n").repeated(lines));
    }
    win.Open(good);
    win.Fake.Messages.Log.clear();

    win.Open(bad);

    QCOMPARE(win.Oops().size(), 1);
    if (overCapacity)
        QCOMPARE(win.Oops()[0],
                 texts::LoadStopped(bad, lines, "the file holds more than 500001 plans"));
    else
        QVERIFY2(win.Oops()[0].startsWith("Could Not Read '" + bad + "'\n"),
                 qPrintable(win.Oops()[0]));
    QCOMPARE(win.Figures(), (QStringList{"3", "5", "4"}));
    QCOMPARE(win.PlansFile(), overCapacity ? bad : good);
    QCOMPARE(QString::fromStdString(win.W.Traffic().PlansFolder),
             win.Path(overCapacity ? "bad" : "set"));

    win.Fake.Messages.Log.clear();
    win.Fake.Dialog.Answers.push_back(std::nullopt);
    win.W.MnuSave_Click();
    QCOMPARE(win.Oops(), overCapacity ? QStringList{texts::PlansNotWhole} : QStringList());
    QCOMPARE(win.Dialogs(false), overCapacity ? 0 : 1);
    if (!overCapacity)
        QCOMPARE(win.Fake.Dialog.Log.back().FileName, good);
}

void TestFiles::save_data() {
    QTest::addColumn<bool>("settingsFail");
    QTest::newRow("Save writes the opened set and remembers the folder it was opened from")
        << false;
    QTest::newRow("Save says when the folder cannot be remembered and the changes stay unsaved")
        << true;
}

// Save offers the opened file in the dialog and writes the golden file with CR LF line ends.
void TestFiles::save() {
    QFETCH(bool, settingsFail);
    Window win;
    win.Fake.Settings.Values[FolderEntry] = QStringLiteral("/old/folder");
    win.OpenChanged(true, Answer::Yes, win.Path("Saved.txt"));
    win.Fake.Settings.FailWrites = settingsFail;

    win.W.MnuSave_Click();

    QCOMPARE(win.Fake.Dialog.Log.size(), std::size_t{2});
    QVERIFY(!win.Fake.Dialog.Log[1].Open);
    QCOMPARE(win.Fake.Dialog.Log[1].FileName, win.Path("set/FlightPlans.txt"));
    QByteArray golden = ReadAll(DataDir + "/Saved.txt").replace("\n", "\r\n");
    QCOMPARE(ReadAll(win.Path("Saved.txt")), golden.replace("N101AA", "CHANGED"));
    QCOMPARE(win.PlansFile(), win.Path("Saved.txt"));
    QCOMPARE(win.Fake.Settings.Values.value(FolderEntry),
             settingsFail ? QStringLiteral("/old/folder") : win.Path("set"));
    QCOMPARE(win.Oops(), settingsFail ? QStringList{texts::FolderNotRemembered} : QStringList());
    QCOMPARE(win.W.Traffic().PlansChanged, settingsFail);
}

void TestFiles::saveBeforeAnyOpen() {
    Window win;
    win.Fake.Dialog.Answers.push_back(win.Path("Saved.txt"));

    win.W.MnuSave_Click();

    QCOMPARE(win.Oops(), QStringList{texts::NothingToSave});
    QVERIFY(win.Fake.Dialog.Log.empty());
    QVERIFY(QDir(win.Dir.path()).isEmpty());
}

void TestFiles::openWithUnsavedChanges_data() {
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("opens");

    QTest::newRow("No discards the changes and opens the next set") << Answer::No << Good << true;
    QTest::newRow("Yes saves the changes first, then opens the next set")
        << Answer::Yes << Good << true;
    QTest::newRow("Yes with a save that fails stays with the changed set")
        << Answer::Yes << Fails << false;
    QTest::newRow("Yes with the save dialog cancelled stays with the changed set")
        << Answer::Yes << Cancel << false;
}

void TestFiles::openWithUnsavedChanges() {
    QFETCH(Answer, answer);
    QFETCH(QString, target);
    QFETCH(bool, opens);
    Window win;
    const QString second = CopySet(win.Path("second"));
    WriteFile(second, "AC#1,ONLY,1%,D,IFR,X,KSFO\r\n");
    const std::optional<QString> saveTo = TargetPath(target, win);
    win.OpenChanged(true, answer, answer == Answer::Yes ? saveTo : second);

    win.Open(second);

    QCOMPARE(win.Questions(), 1);
    QCOMPARE(win.Dialogs(false), answer == Answer::Yes ? 1 : 0);
    QCOMPARE(win.Dialogs(true), opens ? 2 : 1);
    if (answer == Answer::Yes && target == Good)
        QVERIFY(ReadAll(*saveTo).contains("\r\n" + ChangedLine.toLatin1() + "\r\n"));
    const TrafficSet& set = win.W.Traffic();
    QCOMPARE(win.Figures().value(0), opens ? "1" : "3");
    QCOMPARE(QString::fromLatin1(set.PlanTable[0].TailNum()), opens ? "ONLY" : "CHANGED");
    QCOMPARE(set.PlansChanged, !opens);
    QCOMPARE(ReadAll(win.Path("set/FlightPlans.txt")), ReadAll(DataDir + "/FlightPlans.txt"));
}

void TestFiles::ending_data() {
    QTest::addColumn<Ending>("how");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("ends");

    QTest::newRow("without changes Exit ends at once")
        << Ending::Exit << false << Answer::Yes << Good << true;
    QTest::newRow("with changes, No to Exit ends without saving")
        << Ending::Exit << true << Answer::No << Good << true;
    QTest::newRow("with changes, Yes to Exit saves and then ends")
        << Ending::Exit << true << Answer::Yes << Good << true;
    QTest::newRow("with changes, Yes to Exit and a save that fails returns to the window")
        << Ending::Exit << true << Answer::Yes << Fails << false;
    QTest::newRow("without changes the close box closes without a question")
        << Ending::CloseBox << false << Answer::Yes << Good << true;
    QTest::newRow("with changes, Yes to the close box saves and closes")
        << Ending::CloseBox << true << Answer::Yes << Good << true;
    QTest::newRow("with changes, Yes to the close box and a cancelled save keeps the window open")
        << Ending::CloseBox << true << Answer::Yes << Cancel << false;
    QTest::newRow("a cancelled Open without changes ends without a question")
        << Ending::CancelledOpen << false << Answer::No << Cancel << true;
    QTest::newRow("a cancelled Open after No to discarding the changes ends")
        << Ending::CancelledOpen << true << Answer::No << Cancel << true;
}

void TestFiles::ending() {
    QFETCH(Ending, how);
    QFETCH(bool, changed);
    QFETCH(Answer, answer);
    QFETCH(QString, target);
    QFETCH(bool, ends);
    Window win;
    win.Show();
    const std::optional<QString> saveTo = TargetPath(target, win);
    win.OpenChanged(changed, answer, saveTo);
    QSignalSpy ended(&win.W, &FrmTarvik::ProgramEnded);

    if (how == Ending::CloseBox)
        QCOMPARE(win.W.close(), ends);
    else if (how == Ending::Exit)
        win.W.MnuExit_Click();
    else
        win.W.MnuOpen_Click();

    const bool saving = changed && answer == Answer::Yes;
    QCOMPARE(win.Questions(), changed ? 1 : 0);
    QCOMPARE(win.Dialogs(false), saving ? 1 : 0);
    QCOMPARE(saveTo && QFile::exists(*saveTo), saving && target == Good);
    QCOMPARE(ended.count(), ends ? 1 : 0);
    QCOMPARE(win.W.isVisible(), !ends);
    QCOMPARE(win.W.Run().Abandoned, ends);
    if (how != Ending::CancelledOpen)
        QCOMPARE(win.W.Traffic().PlansChanged, changed && !(saving && ends));
}

// The menu items are wired to their handlers, and an ended program does not ask again.
void TestFiles::theMenuItemsRunTheirHandlersAndEndOnce() {
    Window win;
    win.Show();
    win.W.MnuSave->trigger();
    QCOMPARE(win.Oops(), QStringList{texts::NothingToSave});
    win.Fake.Dialog.Answers.push_back(CopySet(win.Path("set")));
    win.W.MnuOpen->trigger();
    QCOMPARE(win.Figures().value(0), QStringLiteral("3"));

    win.W.Traffic().PlansChanged = true;
    win.Fake.Messages.Answers = {Answer::No, Answer::No};
    QSignalSpy ended(&win.W, &FrmTarvik::ProgramEnded);
    win.W.MnuExit->trigger();
    QVERIFY(win.W.close());
    win.W.MnuExit_Click();
    QCOMPARE(win.Questions(), 1);
    QCOMPARE(ended.count(), 1);
}

QTEST_MAIN(TestFiles)
#include "TestFiles.moc"