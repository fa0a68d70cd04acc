// Reading and saving on Windows: device names and pipes, files that another program holds open,
// read-only files, paths longer than 260 characters.

#include "support/Traffic.h"
#include "traffic/Files.h"
#include "traffic/LineReader.h"
#include "traffic/Save.h"

#include <QtTest>

#include <windows.h>

using namespace tarvik;
using namespace tarvik::testing;

namespace {

std::wstring Wide(const QString& path) {
    return QDir::toNativeSeparators(path).toStdWString();
}

// Another program's handle on a file, opened with the given sharing.
struct HeldOpen {
    HANDLE Handle;
    HeldOpen(const QString& path, DWORD share)
        : Handle(CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~HeldOpen() {
        if (Handle != INVALID_HANDLE_VALUE)
            CloseHandle(Handle);
    }
};

} // namespace

class TestSaveWindows : public QObject {
    Q_OBJECT

private slots:
    // Device names stand for devices in every folder, with any extension; nothing is read from
    // them and nothing is saved over them.
    void devicesAreNeitherReadNorSaved_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("kind");
        QTest::newRow("NUL") << "NUL"
                             << "a device";
        QTest::newRow("con in a folder") << "<dir>/con"
                                         << "a device";
        QTest::newRow("COM1 with an extension") << "<dir>/COM1.txt"
                                                << "a device";
        QTest::newRow("nul.txt with blanks before the dot") << "<dir>/nul .txt"
                                                            << "a device";
        QTest::newRow("a pipe") << "\\\\.\\pipe\\tarvik-test"
                                << "a named pipe";
        QTest::newRow("a folder") << "<dir>"
                                  << "a folder";
    }
    void devicesAreNeitherReadNorSaved() {
        QFETCH(QString, path);
        QFETCH(QString, kind);
        QTemporaryDir dir;
        path.replace("<dir>", dir.path());
        LineReader in;
        QVERIFY(!in.Open(PathFromQt(path)));
        QCOMPARE(QString::fromStdString(in.Error()), "it is " + kind + ", not a file");
        TrafficSet set;
        AddPlans(set, 1);
        const SaveResult r = SaveSet(set, PathFromQt(path), Overwrite);
        QVERIFY(!r.Ok && !r.Error.empty());
        QVERIFY(Entries(dir.path()).isEmpty());
    }

    void heldOrReadOnlyFiles_data() {
        QTest::addColumn<int>("share");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("saved");
        QTest::newRow("held open by a program that shares nothing") << 0 << false << false;
        QTest::newRow("held open by a program that lets others read and write")
            << int(FILE_SHARE_READ | FILE_SHARE_WRITE) << false << false;
        QTest::newRow("a read-only file") << -1 << true << false;
    }
    // A file that can't be replaced is reported and left as it was, never half-written, with
    // nothing left beside it.
    void heldOrReadOnlyFiles() {
        QFETCH(int, share);
        QFETCH(bool, readOnly);
        QFETCH(bool, saved);
        TrafficSet set;
        AddPlans(set, 1000);
        SaveTarget target;
        const auto writable = qScopeGuard(
            [&target] { SetFileAttributesW(Wide(target.Path).c_str(), FILE_ATTRIBUTE_NORMAL); });
        if (readOnly)
            QVERIFY(SetFileAttributesW(Wide(target.Path).c_str(), FILE_ATTRIBUTE_READONLY));
        SaveResult r;
        {
            const HeldOpen held(target.Path, DWORD(share));
            QVERIFY(share < 0 || held.Handle != INVALID_HANDLE_VALUE);
            r = SaveSet(set, PathFromQt(target.Path), Overwrite);
        }
        QVERIFY2(r.Ok == saved && r.Error.empty() == saved, r.Error.c_str());
        if (saved)
            QCOMPARE(ReadAll(target.Path), Written(set));
        else
            QVERIFY(target.Untouched());
    }

    // A file that another program holds without sharing its reading is reported, not read.
    void fileHeldWithoutSharingIsNotRead() {
        SaveTarget target;
        const HeldOpen held(target.Path, 0);
        LineReader in;
        QVERIFY(held.Handle != INVALID_HANDLE_VALUE && !in.Open(PathFromQt(target.Path)));
        QVERIFY(!in.Error().empty());
    }

    // A set deep in folders, its paths far past 260 characters, with "\" between the folders:
    // it loads, its bytes and CR LF line ends come back as they were, and another program's write
    // is noticed.
    void setPastTheOldPathLimit() {
        QTemporaryDir dir;
        QString deep = dir.path();
        while (deep.size() < 300)
            deep += "/a folder with a long name";
        QVERIFY(QDir().mkpath(deep));
        const QString plans = QDir::toNativeSeparators(CopySet("run", deep));
        QVERIFY(WriteFile(plans,
                          "// caf\xE9, Z\xFCrich\r\n\r\nAC#1,N100,50%,24Hr,IFR,L1,KSFO,KLAX\r\n"
                          "not a plan \x01\x7F\r\nAC#7,N101,50%,24Hr,IFR,L2,KLAX,EGLL\r\n"));
        QVERIFY(plans.size() > 300 && plans.contains('\\'));
        TrafficSet set;
        QVERIFY(LoadSet(set, plans).Complete);
        const QByteArray before = ReadAll(plans);
        QCOMPARE(Written(set), before);
        const SaveResult r = SaveSet(set, PathFromQt(plans), Overwrite);
        QVERIFY2(r.Ok, r.Error.c_str());
        QCOMPARE(ReadAll(plans), before);
        const FileStamp stamp = StampOf(PathFromQt(plans));
        QVERIFY(stamp.Known && stamp.Size == before.size() &&
                !ChangedSince(stamp, PathFromQt(plans)));
        QThread::msleep(20);
        QVERIFY(WriteFile(plans, QByteArray(before).replace("KSFO", "KSEA")));
        QVERIFY(ChangedSince(stamp, PathFromQt(plans)));
    }
};

QTEST_GUILESS_MAIN(TestSaveWindows)
#include "TestSaveWindows.moc"
