// Saving over what a POSIX system can put at a file's path: links, pipes, files and folders of
// other users with their mode bits.

#include "support/OtherUser.h"
#include "support/Traffic.h"
#include "traffic/Save.h"

#include <QtTest>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace tarvik;
using namespace tarvik::testing;
namespace fs = std::filesystem;

class TestSavePosix : public QObject {
    Q_OBJECT

private slots:
    void saveTargets_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("mode"); // of the file, or of the folder
        QTest::newRow("a file readable by its group only stays so") << "file" << 0640;
        QTest::newRow("a read-only file that root saves gains no bit") << "file" << 0454;
        QTest::newRow("a read-only file of another user is left alone") << "other's file" << 0444;
        QTest::newRow("a file in a read-only folder of another user is left alone")
            << "other's folder" << 0555;
        QTest::newRow("a link stays a link, its longer target replaced whole") << "link" << 0;
        QTest::newRow("a pipe is refused") << "pipe" << 0;
        QTest::newRow("a name that leaves no room for a longer one beside it") << "long name" << 0;
    }
    // Nothing is left beside the target.
    void saveTargets() {
        QFETCH(QString, target);
        QFETCH(int, mode);
        if (target.startsWith("other's") && RanAsOtherUser())
            return;
        TrafficSet set;
        AddPlans(set, 1);
        SaveTarget t;
        const std::string file = PathFromQt(t.Path), dir = PathFromQt(t.Dir.path());
        const std::string& moded = target.endsWith("folder") ? dir : file;
        const std::string saveTo = target == "long name" ? dir + "/" + std::string(250, 'y')
                                   : target == "link" || target == "pipe" ? dir + "/Other"
                                                                          : file;
        QVERIFY(target != "link" || ::symlink("FlightPlans.txt", saveTo.c_str()) == 0);
        QVERIFY(target != "pipe" || ::mkfifo(saveTo.c_str(), 0644) == 0);
        QVERIFY(!mode || ::chmod(moded.c_str(), mode_t(mode)) == 0);
        const auto unlock = qScopeGuard([&moded] { ::chmod(moded.c_str(), 0700); });
        const bool writable = target != "pipe" && ::access(file.c_str(), W_OK) == 0 &&
                              ::access(dir.c_str(), W_OK) == 0;
        const SaveResult r = SaveSet(set, saveTo, Overwrite);
        struct stat st {};
        QVERIFY(::lstat(moded.c_str(), &st) == 0 && (!mode || int(st.st_mode & 07777) == mode));
        ::chmod(moded.c_str(), 0700);
        QVERIFY2(r.Ok == writable && !r.Error.empty() != writable, r.Error.c_str());
        const QString saved = QFile::decodeName(saveTo.c_str());
        QCOMPARE(ReadAll(target == "long name" ? saved : t.Path), writable ? Written(set) : t.Old);
        QCOMPARE(Entries(t.Dir.path()).join(' '),
                 saveTo == file ? "FlightPlans.txt"
                                : "FlightPlans.txt " + QFileInfo(saved).fileName());
        QVERIFY(target != "link" || fs::read_symlink(saveTo) == "FlightPlans.txt");
        QVERIFY(target != "pipe" || fs::is_fifo(fs::symlink_status(saveTo)));
    }

    // A pipe put where a saved file was is let go without waiting for a writer.
    void pipeInTheFilesPlaceIsNotHeld() {
        QTemporaryDir dir;
        const std::string pipe = PathFromQt(dir.filePath("FlightPlans.txt"));
        QVERIFY(::mkfifo(pipe.c_str(), 0644) == 0);
        const HeldFile held(pipe);
        QVERIFY(fs::is_fifo(fs::status(pipe)));
    }
};

QTEST_GUILESS_MAIN(TestSavePosix)
#include "TestSavePosix.moc"
