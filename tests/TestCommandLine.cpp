// The command line as a user meets it: each line of data/cli/cases.txt run as a whole program with
// no display, checked for its exit status, its two outputs and the files it leaves; then apply
// against the window on the same rule and set, and a flight-plan file dropped on the window.

#include "cli/CommandLine.h"
#include "generated/Version.h"
#include "support/Rows.h"
#include "support/Window.h"
#include "traffic/LineReader.h"
#include "window/ValueCombo.h"

#include <QDirIterator>
#include <QLabel>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace tarvik;
using testing::ReadAll;

namespace {

const QString Data = QStringLiteral(TARVIK_SOURCE_DIR "/tests/data/cli");

// Copies the folders of data/cli into root, or compares root's copies with them (but skip).
void EachDataFile(const QString& root, const QString& skip = {}, bool copy = false) {
    for (QDirIterator it(Data, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        const QString from = it.next();
        const QString to = root + "/" + QDir(Data).relativeFilePath(from);
        if (copy && QDir().mkpath(QFileInfo(to).path()))
            QFile::copy(from, to);
        else if (!copy && to != skip && !to.endsWith("/cases.txt"))
            QVERIFY2(ReadAll(to) == ReadAll(from), qPrintable(to));
    }
}

// The text with the placeholders of cases.txt filled in for root.
QString Expand(QString text, const QString& root) {
    for (const QString folder : {"SUFFIX", "STOPS", "CHECK", "SET"})
        text.replace("$" + folder, root + "/" + folder.toLower());
    return text.replace("$ROOT", root)
        .replace("$VERSION", TARVIK_VERSION)
        .replace("\\n", "\n")
        .replace("\\r", "\r");
}

// Splits at blanks, but not inside '...'.
QStringList Arguments(const QString& text) {
    QStringList args;
    const QStringList parts = text.split('\'');
    for (int i = 0; i < parts.size(); ++i)
        args << (i % 2 ? QStringList{parts[i]} : parts[i].split(' ', Qt::SkipEmptyParts));
    return args;
}

void CompareOutput(const QByteArray& got, const QString& want) {
    if (want.endsWith('*'))
        QVERIFY2(got.startsWith(want.chopped(1).toUtf8()), got.constData());
    else
        QCOMPARE(QString::fromUtf8(got), want);
}

// The FILE of "FILE:LINE=TEXT ; LINE=TEXT", FILE under root (whose path may hold a ':').
QString ChangedFile(const QString& files, const QString& root) {
    return files.left(files.indexOf(':', files.startsWith(root) ? root.size() : 0));
}

// "FILE:LINE=TEXT ; LINE=TEXT": FILE holds the flight plans of that name (or of set) with those
// lines, each ended by CR LF.
void CompareChanged(const QString& root, const QString& files) {
    const QString changed = ChangedFile(files, root);
    const QString name = Data + changed.mid(root.size());
    QStringList lines =
        QString::fromLatin1(ReadAll(QFileInfo::exists(name) ? name : Data + "/set/FlightPlans.txt"))
            .split('\n');
    for (QString& line : lines)
        line.remove('\r');
    if (lines.last().isEmpty())
        lines.removeLast();
    for (const QString& change : files.mid(changed.size() + 1).split(" ; ")) {
        const int line = change.section('=', 0, 0).toInt();
        QVERIFY2(line >= 1 && line <= lines.size(), qPrintable(change));
        lines[line - 1] = change.section('=', 1);
    }
    QCOMPARE(QString::fromLatin1(ReadAll(changed)), lines.join("\r\n") + "\r\n");
}

// The same draws for the window and the command line.
struct Draws : RandomSource {
    uint32_t State = 1;
    void Reseed() override {}
    double Next() override { return (State = State * 69069 + 1) % 1000 / 1000.0; }
};

// A row "field" for each line of a table in data/cli: its fields, split at "|" and trimmed.
void AddRows(const char* table) {
    QTest::addColumn<QStringList>("field");
    QFile lines(Data + "/" + table);
    QVERIFY(lines.open(QIODevice::ReadOnly | QIODevice::Text));
    for (int n = 1; !lines.atEnd(); ++n) {
        const QString line = QString::fromUtf8(lines.readLine()).trimmed();
        if (!line.isEmpty() && !line.startsWith('#')) {
            QStringList fields = line.split('|');
            for (QString& field : fields)
                field = field.trimmed();
            QTest::addRow("line %d", n) << fields;
        }
    }
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> Dir;

private slots:
    void init() {
        Dir = std::make_unique<QTemporaryDir>();
        EachDataFile(Dir->path(), {}, true);
    }

    void commandLines_data() { AddRows("cases.txt"); }

    void commandLines() {
        QFETCH(QStringList, field);
        QCOMPARE(field.size(), 5);
        const QString root = Dir->path();
        QProcess tarvik;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LC_ALL"})
            env.remove(name);
        env.insert("LANG", "C");
        env.insert("LC_NUMERIC", "de_DE.UTF-8"); // "," as the decimal point
        tarvik.setProcessEnvironment(env);
        const QStringList args = Arguments(Expand(field[1], root));
        tarvik.start(TARVIK_PROGRAM, args);
        QVERIFY(tarvik.waitForFinished(60000));
        CompareOutput(tarvik.readAllStandardOutput(), Expand(field[2], root));
        CompareOutput(tarvik.readAllStandardError(), Expand(field[3], root));
        QCOMPARE(tarvik.exitCode(), field[0].toInt());
        const QString files = Expand(field[4], root);
        EachDataFile(root, ChangedFile(files, root));
        if (files != "-")
            CompareChanged(root, files);
        const QString output = args.value(args.indexOf("--output") + 1);
        QVERIFY(files.startsWith(output + ':') || !args.contains("--output") ||
                !QFileInfo::exists(output));
    }

    // check's reader stops reading early (tarvik check ... | head): the program ends, quietly.
    void checkIntoAClosedPipe() {
        const QString set = Dir->filePath("check/FlightPlans.txt");
        QVERIFY(testing::WriteFile(
            set,
            QByteArray("AC#9,N1,50%,24Hr,IFR,06:00,07:00,100,F,1,KSFO,08:00,09:00,100,F,2,KLAX\r\n")
                .repeated(20000)));
        QProcess tarvik;
        tarvik.start(TARVIK_PROGRAM, {"check", set});
        QVERIFY(tarvik.waitForReadyRead(60000));
        tarvik.closeReadChannel(QProcess::StandardOutput);
        QVERIFY(tarvik.waitForFinished(60000));
        QCOMPARE(tarvik.readAllStandardError(), QByteArray());
        QVERIFY(tarvik.exitStatus() == QProcess::CrashExit || tarvik.exitCode() != 0);
    }

#ifndef Q_OS_WIN
    // The program holds no window of its own on Linux: copied away from the window program, it
    // says why the window does not start, and its commands still work.
    void windowProgramMissing() {
        const QString lone = Dir->filePath("lone/tarvik");
        QVERIFY(QDir().mkpath(Dir->filePath("lone")));
        QVERIFY(QFile::copy(TARVIK_PROGRAM, lone));
        QProcess tarvik;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        tarvik.setProcessEnvironment(env);
        tarvik.start(lone, {});
        QVERIFY(tarvik.waitForFinished(60000));
        QCOMPARE(tarvik.exitCode(), 2);
        QCOMPARE(tarvik.readAllStandardError(),
                 "tarvik: can't start the window: " + Dir->filePath("lone/libexec/tarvik/tarvik") +
                     ": No such file or directory\n");
        tarvik.start(lone, {"check", Dir->filePath("check/FlightPlans_B.txt")});
        QVERIFY(tarvik.waitForFinished(60000));
        QCOMPARE(tarvik.exitCode(), 0);
    }
#endif

    void sameAsWindow_data() {
        AddRows("window.txt");
    }

    void sameAsWindow() {
        QFETCH(QStringList, field);
        const QStringList rule = field.mid(0, 3) + field[3].split(' ');
        const QString set = Dir->filePath("set/FlightPlans.txt");
        Draws draws, sameDraws;
        std::FILE* talk = std::tmpfile();
        QCOMPARE(cli::RunCommand({"tarvik", "apply", "--if", rule[0], "--and", rule[1], "--then",
                                  rule[2], "--output", Dir->filePath("cli.txt"), set},
                                 draws, {talk, talk}),
                 0);
        std::fclose(talk);

        testing::Window window(sameDraws);
        window.W.OpenPlansFile(set);
        for (int row = 0; row < 3; ++row)
            window.SetRow(row, rule[row + 3]);
        testing::Reviewer reviewer(window.W);
        reviewer.AtWaits = {window.Press(3)}; // "Change The Lot" at the first match
        window.W.CmdTarvik_Click(0);
        window.Fake.Dialog.Answers.push_back(Dir->filePath("window.txt"));
        window.W.MnuSave_Click();
        QCOMPARE(window.Oops(), QStringList{"There may be a problem in Line number4\nnot a plan"});
        QCOMPARE(ReadAll(Dir->filePath("window.txt")), ReadAll(Dir->filePath("cli.txt")));
    }

    // A set several times the size of the blocks apply reads at a time, with every kind of line
    // end, a byte-order mark and lines that a save writes otherwise: apply writes what the window
    // saves, and the hunks of its dry run hold exactly the lines that differ between the two files.
    void largeSetInBlocks() {
        const QString set = Dir->filePath("set/FlightPlans.txt"), out = Dir->filePath("cli.txt");
        QByteArrayList lines = ReadAll(set).replace('\r', "").split('\n');
        lines.last() = "ac#01,N104,5e1%,24Hr,IFR,08:00,09:00,100,F,5,KSFO,KLAX;semi";
        const char* const ends[] = {"\r\n", "\n", "\r"};
        QByteArray big = "\xEF\xBB\xBF";
        for (int i = 0; big.size() < (12 << 20); ++i)
            big += lines[i % lines.size()] + ends[i % 3];
        QVERIFY(testing::WriteFile(set, big));
        Draws draws, dryDraws, windowDraws;
        std::FILE* talk = std::tmpfile();
        std::FILE* diff = std::tmpfile();
        const QStringList apply = {"tarvik",           "apply", "--if", "Home AirPort=", "--then",
                                   "Aircraft ID=N#&*", set};
        QCOMPARE(cli::RunCommand(apply + QStringList{"--output", out}, draws, {talk, talk}), 0);
        QCOMPARE(cli::RunCommand(apply + QStringList{"--dry-run"}, dryDraws, {diff, talk}), 0);
        std::fclose(talk);

        testing::Window window(windowDraws);
        window.W.OpenPlansFile(set);
        window.SetRow(0, "0:");
        window.SetRow(1, "0:");
        window.SetRow(2, "3:N#&*");
        testing::Reviewer reviewer(window.W);
        reviewer.AtWaits = {window.Press(3)};
        window.W.CmdTarvik_Click(0);
        window.Fake.Dialog.Answers.push_back(Dir->filePath("window.txt"));
        window.W.MnuSave_Click();
        const QByteArray saved = ReadAll(out);
        QVERIFY(saved == ReadAll(Dir->filePath("window.txt")));

        // Line by line: the file read, and what was saved.
        std::vector<std::pair<QByteArray, bool>> old; // a line's text, and whether a save keeps it
        LineReader reader({big.constData(), std::size_t(big.size())});
        for (std::string_view line; reader.Next(line);)
            old.push_back({QByteArray(line.data(), qsizetype(line.size())),
                           reader.LineEnd() == "\r\n" && old.size() > 0});
        QByteArrayList now = saved.chopped(2).split('\n');
        for (QByteArray& line : now)
            line.replace('\r', "");
        QCOMPARE(std::size_t(now.size()), old.size());
        std::vector<bool> inHunk(old.size());
        std::fseek(diff, 0, SEEK_SET);
        QByteArrayList text;
        for (char buf[65536]; std::fgets(buf, sizeof buf, diff);)
            text << QByteArray(buf).chopped(1);
        std::fclose(diff);
        for (qsizetype i = 2; i < text.size();) {
            QVERIFY2(text[i].startsWith("@@ -"), text[i].constData());
            const QByteArrayList span = text[i].mid(4).split(',');
            const int first = span[0].toInt(), count = span[1].split(' ')[0].toInt();
            ++i;
            for (int side = 0; side < 2; ++side)
                for (int k = 0; k < count; ++k, ++i) {
                    const std::size_t at = std::size_t(first - 1 + k);
                    QByteArray got = text[i].mid(1);
                    if (got.endsWith('\r'))
                        got.chop(1);
                    QCOMPARE(got, side ? now[qsizetype(at)]
                                       : (at == 0 ? "\xEF\xBB\xBF" : "") + old[at].first);
                    inHunk[at] = true;
                }
        }
        for (std::size_t at = 0; at < old.size(); ++at)
            QCOMPARE(inHunk[at], !old[at].second || now[qsizetype(at)] != old[at].first);
    }

    // Another program writes the file while the rule runs: apply leaves its file alone.
    void applyKeepsAFileChangedWhileItRan() {
        struct Meddler : Draws {
            QString File;
            double Next() override {
                testing::WriteFile(File, "// written by another program\r\n");
                return Draws::Next();
            }
        } meddler;
        meddler.File = Dir->filePath("set/FlightPlans.txt");
        std::FILE* talk = std::tmpfile();
        QCOMPARE(cli::RunCommand({"tarvik", "apply", "--if", "Home AirPort=", "--then",
                                  "Aircraft ID=N#", meddler.File},
                                 meddler, {talk, talk}),
                 2);
        std::fclose(talk);
        QCOMPARE(ReadAll(meddler.File), "// written by another program\r\n");
    }

    // A drop on the Then value box reaches its line edit, which takes dropped text itself; one on a
    // label, the window.
    void dropOpensTheSet() {
        testing::Window window;
        FrmTarvik& w = window.W;
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(Dir->filePath("suffix"))});
        for (QWidget* target : {static_cast<QWidget*>(w.ValueBox(5)->lineEdit()),
                                static_cast<QWidget*>(w.LBLTarvik[0])}) {
            QDragEnterEvent enter({5, 5}, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(target, &enter);
            QDropEvent drop({5, 5}, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(target, &drop);
            QVERIFY(enter.isAccepted() && drop.isAccepted());
        }
        QTRY_COMPARE(QDir::cleanPath(QString::fromStdString(w.Traffic().PlansFile)),
                     Dir->filePath("suffix/flightplans_XYZ.txt"));
        QCOMPARE(w.LBLTarvik[FrmTarvik::AircraftFigure]->text(),
                 QString("1")); // aircraft_xyz.TXT, not Aircraft.txt

        mime.setUrls({QUrl::fromLocalFile(Dir->path())}); // a folder without a set
        QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton,
                                Qt::NoModifier);
        QCoreApplication::sendEvent(&w, &refused);
        QVERIFY(!refused.isAccepted());
    }
};

QTEST_MAIN(TestCommandLine)
#include "TestCommandLine.moc"
