// The rule rows: the value list that a field pick puts in its row's value box, locking, the checks
// that hold typed values to their field, and the rebuild of the rows after a load.

#include "support/FakePlatform.h"
#include "window/Bytes.h"
#include "window/FrmTarvik.h"
#include "window/ValueCombo.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QtTest>

#include <cstring>
#include <memory>
#include <tuple>

using namespace tarvik;
using tarvik::testing::FakePlatform;

namespace {

// Field box positions by row.
enum IfPos { IfHome, IfAircraft, IfPercentage, IfId, IfFrequency, IfRules };
enum AndPos { AndNA, AndHome, AndAircraft, AndPercentage, AndId, AndFrequency, AndVisited = 7 };
enum ThenPos { ThenAircraft = 1, ThenPercentage, ThenId, ThenFrequency, ThenRules, ThenVisited };

// The traffic tables a test starts from: as at start-up, the sample below, or none loaded.
enum Tables { StartUp, Sample, NoEntries };

const QStringList SampleAirports{"KLAX", " egll ", "KLAX"};
const QStringList SampleTitles{"\"Boeing 737\"", "\"Airbus A320\"", "", "\"Boeing 737\""};
const QList<int> SampleTags{12, 3, 0, 7};

// Writes the airport and aircraft tables; empty lists leave the last indexes at -1.
void SetTables(TrafficSet& set, const QStringList& airports, const QStringList& titles = {},
               const QList<int>& tags = {}) {
    set.AirportTable.Resize(std::max<int32_t>(int32_t(airports.size()), 1));
    for (int32_t i = 0; i < airports.size(); ++i)
        set.AirportTable[i] = FromQ(airports[i]);
    set.LastAirport = int32_t(airports.size()) - 1;
    set.AircraftTable.Resize(std::max<int32_t>(int32_t(titles.size()), 1));
    for (int32_t i = 0; i < titles.size(); ++i)
        set.AircraftTable[i] = {int16_t(tags[i]), FromQ(titles[i]), 0};
    set.LastAircraft = int32_t(titles.size()) - 1;
}

QStringList Entries(const QComboBox* box) {
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

// Picks position in a box's list as the user does: open the list, move to the entry, press Enter.
bool UserPick(QComboBox* box, int position) {
    box->showPopup();
    QAbstractItemView* list = box->view();
    if (!QTest::qWaitFor([list] { return list->isVisible(); }))
        return false;
    list->setCurrentIndex(list->model()->index(position, box->modelColumn()));
    QTest::keyClick(list, Qt::Key_Return);
    return QTest::qWaitFor([list] { return !list->isVisible(); });
}

bool Focus(QWidget* widget) {
    widget->setFocus();
    return QTest::qWaitFor([widget] { return widget->hasFocus(); });
}

void Paste(ValueCombo* box, const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    QTest::keyClick(box->lineEdit(), Qt::Key_V, Qt::ControlModifier);
}

// Types keys one by one ("<" is the Left key, "\b" Backspace) or pastes them; keys that begin
// with "<" edit the text on show, any others replace it.
void Enter(ValueCombo* box, const QString& keys, bool pasted) {
    if (!keys.startsWith('<'))
        box->lineEdit()->selectAll();
    if (pasted)
        return Paste(box, keys);
    for (QChar key : keys) {
        if (key == '<' || key == '\b')
            QTest::keyClick(box->lineEdit(), key == '<' ? Qt::Key_Left : Qt::Key_Backspace);
        else
            QTest::keyClicks(box->lineEdit(), QString(key));
    }
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

// Writes a traffic set of one plan into folder, without the files given as null, and returns the
// flight-plan file's path.
QString WriteSet(const QString& folder, const QByteArray& airports, const QByteArray& aircraft) {
    QDir().mkpath(folder);
    WriteFile(folder + "/FlightPlans.txt",
              "AC#1,N101AA,25%,12Hr,IFR,06:00,07:10,110,F,101,KSFO,KLAX\r\n");
    if (!airports.isNull())
        WriteFile(folder + "/Airports.txt", airports);
    if (!aircraft.isNull())
        WriteFile(folder + "/Aircraft.txt", aircraft);
    return folder + "/FlightPlans.txt";
}

} // namespace

// Each test starts with the window on the screen, as after start-up.
class TestRuleRows : public QObject {
    Q_OBJECT
    std::unique_ptr<FakePlatform> fp;
    std::unique_ptr<FrmTarvik> w;

    QComboBox* Field(int row) const { return w->CMBTarvik.at(std::size_t(row)); }
    ValueCombo* Box(int row) const { return w->ValueBox(row + 3); }
    void UseSample() { SetTables(w->Traffic(), SampleAirports, SampleTitles, SampleTags); }
    void Pick(int row, int position) { // a pick made by the program
        Field(row)->setCurrentIndex(position);
        w->CMBTarvik_Click(int16_t(row));
    }

private slots:
    void init() {
        fp = std::make_unique<FakePlatform>();
        w = std::make_unique<FrmTarvik>(fp->Get());
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
    }
    void cleanup() {
        w.reset();
        fp.reset();
    }

    void fieldPickFillsValueBox_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("tables");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QList<int>>("data");
        QTest::addColumn<int>("selected");
        const QList<int> zeros{0, 0, 0};
        const QStringList words{"1Hr", "2hr", "4Hr", "6Hr", "8Hr", "12Hr", "24Hr", "Week"};
        QTest::newRow("Home AirPort lists every code verbatim, repeats too, and shows the first")
            << 0 << int(IfHome) << int(Sample) << SampleAirports << zeros << 0;
        QTest::newRow("Visited AirPort in the Then row lists the airports")
            << 2 << int(ThenVisited) << int(Sample) << SampleAirports << zeros << 0;
        QTest::newRow("AirCraft lists every title with its aircraft number, an empty slot too")
            << 1 << int(AndAircraft) << int(Sample) << SampleTitles << SampleTags << 0;
        QTest::newRow("Flight Frequency lists the eight words and shows 24Hr")
            << 0 << int(IfFrequency) << int(Sample) << words << QList<int>(8, 0) << 6;
        QTest::newRow("IFR_VFR lists VFR then IFR and shows VFR")
            << 2 << int(ThenRules) << int(Sample) << QStringList{"VFR", "IFR"} << QList<int>{0, 0}
            << 0;
        for (auto [row, position, sentence] :
             {std::tuple{0, int(IfPercentage), "Percentage leaves the box empty, ready for typing"},
              std::tuple{1, int(AndNA), "NA leaves the And box empty and unlocked"},
              std::tuple{2, -1, "no field picked empties the box and locks it"}})
            QTest::newRow(sentence)
                << row << position << int(Sample) << QStringList() << QList<int>() << -1;
        QTest::newRow("an airport table with last index -1 leaves the list empty")
            << 0 << int(IfHome) << int(NoEntries) << QStringList() << QList<int>() << -1;
        QTest::newRow("an aircraft table with last index -1 leaves the list empty")
            << 1 << int(AndAircraft) << int(NoEntries) << QStringList() << QList<int>() << -1;
        QTest::newRow("Home AirPort before any load lists the one empty slot and selects it")
            << 0 << int(IfHome) << int(StartUp) << QStringList{""} << QList<int>{0} << 0;
        QTest::newRow("AirCraft before any load lists the one empty slot with aircraft number 0")
            << 2 << int(ThenAircraft) << int(StartUp) << QStringList{""} << QList<int>{0} << 0;
    }

    // The box held other entries and a typed text before the pick.
    void fieldPickFillsValueBox() {
        QFETCH(int, row);
        QFETCH(int, position);
        QFETCH(int, tables);
        QFETCH(QStringList, entries);
        QFETCH(QList<int>, data);
        QFETCH(int, selected);
        ValueCombo* box = Box(row);
        box->SetLocked(false);
        box->SetEntries({"old", "older"}, {5, 6});
        box->setCurrentIndex(1);
        box->SetText("typed");
        if (tables == Sample)
            UseSample();
        else if (tables == NoEntries)
            SetTables(w->Traffic(), {});
        QSignalSpy changes(box, &ValueCombo::TextChanged);
        if (position < 0)
            Pick(row, position);
        else
            QVERIFY(UserPick(Field(row), position));

        QCOMPARE(Entries(box), entries);
        QList<int> tags;
        for (int i = 0; i < box->count(); ++i)
            tags << box->ItemDataAt(i);
        QCOMPARE(tags, data);
        QCOMPARE(box->currentIndex(), selected);
        QCOMPARE(box->Text(), entries.value(selected));
        QCOMPARE(box->IsLocked(), position < 0);
        QCOMPARE(changes.count(), 0); // the fill and its default entry run no entry checks
    }

    // Keys, paste, the wheel and the list are refused; the program still fills and writes.
    void lockedBoxTakesNoInput() {
        ValueCombo* box = Box(0);
        QVERIFY(Focus(box));
        QTest::keyClicks(box->lineEdit(), "KL");
        QTest::keyClick(box->lineEdit(), Qt::Key_Backspace);
        Paste(box, "N1");
        QCOMPARE(box->Text(), QString("CMBTarvik"));

        box->SetEntries({"KLAX", "KSFO", "EGLL"});
        box->setCurrentIndex(1);
        QSignalSpy changes(box, &ValueCombo::TextChanged);
        for (QWidget* target : {static_cast<QWidget*>(box->lineEdit()), static_cast<QWidget*>(box)})
            for (auto key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_PageDown, Qt::Key_F4})
                QTest::keyClick(target, key);
        const QPoint centre = box->rect().center();
        QWheelEvent wheel(centre, box->mapToGlobal(centre), {}, {0, -120}, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(box, &wheel);
        box->showPopup();
        QCoreApplication::processEvents();
        QVERIFY(!box->view()->isVisible());
        QCOMPARE(box->currentIndex(), 1);
        QCOMPARE(changes.count(), 0);

        box->SetText("LFPG");
        QCOMPARE(box->Text(), QString("LFPG"));
        box->SetLocked(false);
        box->setCurrentIndex(0);
        QTest::keyClick(box, Qt::Key_Down);
        QCOMPARE(box->currentIndex(), 1);
    }

    void entryChecks_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("pasted");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<int>("caret"); // -1: not checked
        QTest::addColumn<bool>("locked");

        // The action of every value box for every field-box position; "none" rows are written
        // by the program, the box being locked.
        struct Action {
            QString Keys, Text, Selected, Says;
        };
        const QMap<QString, Action> actions{
            {"none", {"KLAXKSFO12", "KLAXKSFO12", "", "a written text stands"}},
            {"lock", {"x", "x", "", "x stands and the box locks"}},
            {"cut4", {"KLAXK", "KLAX", "KLAX", "KLAXK typed is cut to KLAX, all selected"}},
            {"cut6", {"N12345X", "N12345", "N12345", "N12345X typed is cut to six, all selected"}},
            {"empty", {"x", "", "", "x typed is wiped out"}},
            {"pct", {"150", "90", "90", "150 typed becomes 90, both selected"}}};
        const QStringList table[3] = {
            {"none", "cut4", "empty", "pct", "cut6", "empty", "empty"},
            {"none", "lock", "cut4", "empty", "pct", "cut6", "empty", "empty", "cut4"},
            {"none", "cut4", "empty", "pct", "cut6", "empty", "empty", "cut4"}};
        const char* const rows[3] = {"If", "And", "Then"};
        for (int row = 0; row < 3; ++row)
            for (int position = -1; position + 1 < table[row].size(); ++position) {
                const QString& name = table[row][position + 1];
                const Action a = actions.value(name);
                QTest::newRow(qPrintable(QString("%1 row, field position %2: %3")
                                             .arg(rows[row])
                                             .arg(position)
                                             .arg(a.Says)))
                    << row << position << a.Keys << false << a.Text << a.Selected << -1
                    << (name == "none" || name == "lock");
            }

        auto row = [](const QString& sentence, int fieldRow, int position, const char* keys,
                      bool pasted, const char* text, const char* selected, int caret) {
            QTest::newRow(qPrintable(sentence))
                << fieldRow << position << QString(keys) << pasted << QString(text)
                << QString(selected) << caret << false;
        };
        row("K, L, A, X typed give KLAX with the caret after the X, nothing selected", 0, IfHome,
            "KLAX", false, "KLAX", "", 4);
        row("a key typed after a cut replaces the whole code", 1, AndVisited, "KLAXSW", false, "W",
            "", 1);
        row("pasting KLAXKSFO gives KLAX with all four selected", 0, IfHome, "KLAXKSFO", true,
            "KLAX", "KLAX", 4);
        row("Q typed after the L of the KLAX on show gives KLQA, all four selected", 0, IfHome,
            "<<Q", false, "KLQA", "KLQA", 4);
        row("Backspace after the L of the KLAX on show leaves KAX, the caret after the K", 0,
            IfHome, "<<\b", false, "KAX", "", 1);
        // Pasted percentages: kept as they stand, emptied, or made "90" and selected.
        const char* const percentages[][2] = {
            {"99", "99"},     {"-5", "-5"},   {"99.5", "90"}, {"12a", ""},     {"150a", "90"},
            {" 50 ", " 50 "}, {"1e1", "1e1"}, {"5e2", "90"},  {"1e999", "90"}, {"inf", ""}};
        for (auto [pasted, kept] : percentages)
            row(QString("the percentage \"%1\" pasted ends as \"%2\"").arg(pasted, kept), 0,
                IfPercentage, pasted, true, kept, QString(kept) == "90" ? "90" : "",
                int(strlen(kept)));
    }

    void entryChecks() {
        QFETCH(int, row);
        QFETCH(int, position);
        QFETCH(QString, keys);
        QFETCH(bool, pasted);
        QFETCH(QString, text);
        QFETCH(QString, selected);
        QFETCH(int, caret);
        QFETCH(bool, locked);
        UseSample();
        ValueCombo* box = Box(row);
        if (position < 0) {
            box->SetText(keys);
        } else {
            QVERIFY(UserPick(Field(row), position));
            QVERIFY(Focus(box));
            Enter(box, keys, pasted);
        }
        QCOMPARE(box->Text(), text);
        QCOMPARE(box->lineEdit()->selectedText(), selected);
        if (!selected.isEmpty())
            QCOMPARE(box->lineEdit()->selectionStart(), 0);
        if (caret >= 0)
            QCOMPARE(box->lineEdit()->cursorPosition(), caret);
        QCOMPARE(box->IsLocked(), locked);
    }

    void checksReenterWithTheirOwnWrites_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QStringList>("seen"); // the text at the end of each check, innermost first
        QTest::newRow("a cut is checked again inside the write, with the cut text")
            << 0 << int(IfHome) << "KLAXKSFO" << QStringList{"KLAX", "KLAX"};
        QTest::newRow("a percentage not a number but above 99 is emptied, then made 90")
            << 2 << int(ThenPercentage) << "150a" << QStringList{"", "90", "90"};
        QTest::newRow("an AirCraft text is emptied and checked once more")
            << 1 << int(AndAircraft) << "x" << QStringList{"", ""};
    }

    // A write of the checks raises the change again inside the write: the inner checks end before
    // the outer one, which then finds its own write done.
    void checksReenterWithTheirOwnWrites() {
        QFETCH(int, row);
        QFETCH(int, position);
        QFETCH(QString, written);
        QFETCH(QStringList, seen);
        UseSample();
        Pick(row, position);
        ValueCombo* box = Box(row);
        // Connected after the window's checks, so each entry is made when a run of them ends.
        QStringList ends;
        connect(box, &ValueCombo::TextChanged, box, [&] { ends << box->Text(); });
        box->SetText(written);
        QCOMPARE(ends, seen);
    }

    void listOnlyFields_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("tag"); // the item data of the last entry
        QTest::newRow("AirCraft: a title picked keeps its own aircraft number")
            << 1 << int(AndAircraft) << 7;
        QTest::newRow("Flight Frequency: a word picked stands") << 2 << int(ThenFrequency) << 0;
        QTest::newRow("IFR_VFR: a rule picked stands") << 0 << int(IfRules) << 0;
    }

    // Typing, deleting and pasting empty the text; an entry picked from the list stands.
    void listOnlyFields() {
        QFETCH(int, row);
        QFETCH(int, position);
        QFETCH(int, tag);
        UseSample();
        QVERIFY(UserPick(Field(row), position));
        ValueCombo* box = Box(row);
        const QStringList entries = Entries(box);
        const int last = int(entries.size()) - 1;
        QVERIFY(Focus(box));
        QVERIFY(UserPick(box, last));
        QCOMPARE(box->Text(), entries[last]);
        QCOMPARE(box->ItemDataAt(box->currentIndex()), tag);

        box->lineEdit()->end(false);
        QTest::keyClick(box->lineEdit(), Qt::Key_Backspace);
        QCOMPARE(box->Text(), QString());
        QCOMPARE(box->ItemDataAt(box->currentIndex()), 0);
        Paste(box, entries[0]);
        QCOMPARE(box->Text(), QString());

        QVERIFY(UserPick(box, last));
        QTest::keyClick(box, Qt::Key_Up);
        QCOMPARE(box->Text(), entries[last - 1]);
        QCOMPARE(Entries(box), entries);
    }

    // Leaving the box changes nothing; the first key locks it, and a new field pick unlocks it.
    void notApplicableLocksAtFirstKey() {
        UseSample();
        QVERIFY(UserPick(Field(1), AndNA));
        ValueCombo* box = Box(1);
        QVERIFY(Focus(box) && Focus(Field(2)) && Focus(box));
        QVERIFY(!box->IsLocked());
        QTest::keyClick(box->lineEdit(), Qt::Key_X);
        QCOMPARE(box->Text(), QString("x"));
        QVERIFY(box->IsLocked());
        QTest::keyClick(box->lineEdit(), Qt::Key_Y);
        QTest::keyClick(box->lineEdit(), Qt::Key_Backspace);
        QCOMPARE(box->Text(), QString("x"));

        QVERIFY(UserPick(Field(1), AndPercentage));
        QCOMPARE(box->Text(), QString());
        QVERIFY(!box->IsLocked());
        QTest::keyClicks(box->lineEdit(), "42");
        QCOMPARE(box->Text(), QString("42"));
    }

    // The list is a copy taken at the pick; a user pick of the field on show, by the list or by an
    // arrow key, rebuilds it from the tables of the moment.
    void userPickRebuildsFromTheTablesOfTheMoment() {
        UseSample();
        QVERIFY(UserPick(Field(2), ThenVisited));
        ValueCombo* box = Box(2);
        SetTables(w->Traffic(), {"LFPG"});
        QCOMPARE(Entries(box), SampleAirports);
        QVERIFY(Focus(box));
        QTest::keyClicks(box->lineEdit(), "AB");
        QVERIFY(UserPick(Field(2), ThenVisited));
        QCOMPARE(Entries(box), QStringList{"LFPG"});
        QCOMPARE(box->Text(), QString("LFPG"));

        QVERIFY(Focus(Field(2)));
        QTest::keyClick(Field(2), Qt::Key_Up);
        QCOMPARE(Field(2)->currentIndex(), int(ThenRules));
        QCOMPARE(Entries(box), QStringList({"VFR", "IFR"}));
    }

    // Enter and leaving the box neither add an entry nor select the one whose text was typed.
    void enterAndLeavingKeepTheTypedText() {
        QWidget top;
        auto* box = new ValueCombo(&top);
        auto* other = new QLineEdit(&top);
        other->move(0, 40);
        top.show();
        QVERIFY(QTest::qWaitForWindowActive(&top));
        box->SetEntries({"KLAX", "KSFO"});
        QVERIFY(Focus(box));
        QTest::keyClicks(box->lineEdit(), "KSFO");
        QTest::keyClick(box->lineEdit(), Qt::Key_Return);
        QTest::keyClick(box, Qt::Key_Enter, Qt::KeypadModifier);
        QVERIFY(Focus(other));
        QCOMPARE(Entries(box), QStringList({"KLAX", "KSFO"}));
        QCOMPARE(box->Text(), QString("KSFO"));
        QCOMPARE(box->currentIndex(), -1);
    }

    // A stopped load picks no field; every whole load picks Home AirPort, AirCraft and Aircraft ID
    // again and rebuilds the rows from its own tables, over what was typed.
    void openRebuildsTheRowsAfterEveryLoad() {
        QTemporaryDir dir;
        fp->Dialog.Answers.emplace_back(WriteSet(dir.filePath("stops"), {}, {}));
        w->MnuOpen_Click();
        QCOMPARE(fp->Messages.Log.size(), std::size_t(1));
        QCOMPARE(Box(0)->Text(), QString("CMBTarvik"));
        QVERIFY(Box(0)->IsLocked());
        fp->Messages.Log.clear();

        const QString sets[] = {
            WriteSet(dir.filePath("first"), "KSFO,37.6,-122.4\r\nKLAX,33.9,-118.4\r\n",
                     "AC#1,450,\"Generic Jet\"\r\nAC#2,250,\"Generic Twin\"\r\n"),
            WriteSet(dir.filePath("second"), "EGLL,51.5,-0.5\r\n",
                     "AC#9,120,\"Other Single\"\r\n")};
        const QStringList airports[] = {{"KSFO", "KLAX"}, {"EGLL"}};
        const QStringList titles[] = {{"\"Generic Jet\"", "\"Generic Twin\""},
                                      {"\"Other Single\""}};
        const int tags[] = {1, 9};
        for (int i = 0; i < 2; ++i) {
            Box(0)->lineEdit()->selectAll();
            QTest::keyClicks(Box(0)->lineEdit(), "ZZ");
            fp->Dialog.Answers.emplace_back(sets[i]);
            w->MnuOpen_Click();
            QCOMPARE(fp->Messages.Texts().join("|"), QString());
            QCOMPARE(QList<int>({Field(0)->currentIndex(), Field(1)->currentIndex(),
                                 Field(2)->currentIndex()}),
                     QList<int>({IfHome, AndAircraft, ThenId}));
            QCOMPARE(Entries(Box(0)), airports[i]);
            QCOMPARE(Box(0)->Text(), airports[i][0]);
            QCOMPARE(Entries(Box(1)), titles[i]);
            QCOMPARE(Box(1)->ItemDataAt(Box(1)->currentIndex()), tags[i]);
            QCOMPARE(Box(2)->count() + Box(2)->Text().size(), 0);
            for (int row = 0; row < 3; ++row)
                QVERIFY(!Box(row)->IsLocked());
        }
    }
};

QTEST_MAIN(TestRuleRows)
#include "TestRuleRows.moc"
