// The rule rows: the value list that a field pick puts in its row's value box, locking, the checks
// that hold typed values to their field, and the value box as a combo box of its own.

#include "support/FakePlatform.h"
#include "window/Bytes.h"
#include "window/FrmTarvik.h"
#include "window/RuleRows.h"
#include "window/ValueCombo.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QtTest>

#include <memory>
#include <utility>
#include <vector>

using namespace tarvik;
using tarvik::testing::FakePlatform;

using AircraftList = std::vector<std::pair<QString, int>>; // title and aircraft number
Q_DECLARE_METATYPE(AircraftList)

namespace {

// Field box positions by row.
enum IfPos { IfHome, IfAircraft, IfPercentage, IfId, IfFrequency, IfRules };
enum AndPos {
    AndNA,
    AndHome,
    AndAircraft,
    AndPercentage,
    AndId,
    AndFrequency,
    AndRules,
    AndVisited
};
enum ThenPos {
    ThenHome,
    ThenAircraft,
    ThenPercentage,
    ThenId,
    ThenFrequency,
    ThenRules,
    ThenVisited
};

struct Shown {
    FakePlatform fp;
    FrmTarvik w{fp.Get()};
};

std::unique_ptr<Shown> ShowWindow() {
    auto s = std::make_unique<Shown>();
    s->w.show();
    s->w.activateWindow();
    if (!QTest::qWaitForWindowActive(&s->w))
        return nullptr;
    return s;
}

// Writes the airport table; an empty list leaves LastAirport at -1.
void SetAirports(TrafficSet& set, const QStringList& codes) {
    set.AirportTable.Resize(std::max<int32_t>(static_cast<int32_t>(codes.size()), 1));
    for (int32_t i = 0; i < codes.size(); ++i)
        set.AirportTable[i] = FromQ(codes[i]);
    set.LastAirport = static_cast<int32_t>(codes.size()) - 1;
}

void SetAircraft(TrafficSet& set, const AircraftList& aircraft) {
    set.AircraftTable.Resize(std::max<int32_t>(static_cast<int32_t>(aircraft.size()), 1));
    for (std::size_t i = 0; i < aircraft.size(); ++i) {
        AircraftEntry& entry = set.AircraftTable[static_cast<int32_t>(i)];
        entry.Acraft = FromQ(aircraft[i].first);
        entry.Atag = static_cast<int16_t>(aircraft[i].second);
    }
    set.LastAircraft = static_cast<int32_t>(aircraft.size()) - 1;
}

void SetSampleTables(TrafficSet& set) {
    SetAirports(set, {"KLAX", "KSFO", "EGLL"});
    SetAircraft(set, {{"\"Boeing 737\"", 1}, {"\"Airbus A320\"", 3}});
}

QStringList Entries(const QComboBox* box) {
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

QList<int> ItemData(const ValueCombo* box) {
    QList<int> data;
    for (int i = 0; i < box->count(); ++i)
        data << box->ItemDataAt(i);
    return data;
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

// Replaces the whole text part by keys typed one by one, or by a paste.
void Enter(ValueCombo* box, const QString& text, bool pasted) {
    box->lineEdit()->selectAll();
    if (pasted)
        Paste(box, text);
    else
        QTest::keyClicks(box->lineEdit(), text);
}

QString Selected(const ValueCombo* box) {
    return box->lineEdit()->selectedText();
}

} // namespace

class TestRuleRows : public QObject {
    Q_OBJECT

private slots:
    void fieldPickFillsValueBox_data();
    void fieldPickFillsValueBox();
    void fillAtStartUpTables_data();
    void fillAtStartUpTables();
    void twoAircraftWithOneTitleKeepTheirNumbers();
    void fieldBoxBackToNothingLocksAndEmpties();

    void startUpValueBoxesTakeNoInput();
    void lockedBoxRefusesUserButNotProgram();

    void checksByBoxAndField_data();
    void checksByBoxAndField();
    void typedValues_data();
    void typedValues();
    void characterInsideFullCodeCutsTheEnd();
    void listOnlyFields_data();
    void listOnlyFields();
    void notApplicableLocksAtFirstKey();
    void programWritesRunTheChecks_data();
    void programWritesRunTheChecks();
    void checksReenterWithTheirOwnWrites_data();
    void checksReenterWithTheirOwnWrites();

    void openRebuildsTheRowsAfterEveryLoad();
    void stoppedLoadLeavesTheRows();
    void pickRebuildsFromTheTablesOfTheMoment();
    void userRepickRebuilds();
    void leavingABoxChangesNothing_data();
    void leavingABoxChangesNothing();

    void valueBoxSelectionRaisesNoChange();
    void valueBoxEditLeavesNoEntrySelected();
    void valueBoxEqualWriteIsNoChange();
    void valueBoxEnterAndLeavingKeepTheText();
    void valueBoxHoldsALargeList();
};

void TestRuleRows::fieldPickFillsValueBox_data() {
    QTest::addColumn<int>("fieldBox");
    QTest::addColumn<int>("position");
    QTest::addColumn<QStringList>("airports");
    QTest::addColumn<AircraftList>("aircraft");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QList<int>>("data");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("text");

    const QStringList airports{"KLAX", " egll ", "KLAX", "KSFO"};
    const AircraftList aircraft{{"\"Boeing 737\"", 12}, {"\"Airbus A320\"", 3}, {"", 0}};
    const QList<int> zeros4{0, 0, 0, 0};

    QTest::newRow("Home AirPort in the If row lists every code verbatim, repeats kept, first shown")
        << 0 << int(IfHome) << airports << aircraft << airports << zeros4 << 0 << "KLAX";
    QTest::newRow("Home AirPort in the And row is one position down and lists the same")
        << 1 << int(AndHome) << airports << aircraft << airports << zeros4 << 0 << "KLAX";
    QTest::newRow("Home AirPort in the Then row lists the same")
        << 2 << int(ThenHome) << airports << aircraft << airports << zeros4 << 0 << "KLAX";
    QTest::newRow("Visited AirPort in the And row lists the airports")
        << 1 << int(AndVisited) << airports << aircraft << airports << zeros4 << 0 << "KLAX";
    QTest::newRow("Visited AirPort in the Then row lists the airports")
        << 2 << int(ThenVisited) << airports << aircraft << airports << zeros4 << 0 << "KLAX";
    QTest::newRow("an airport list whose first code has blanks shows it with them")
        << 0 << int(IfHome) << QStringList{" egll ", "KLAX"} << aircraft
        << QStringList{" egll ", "KLAX"} << QList<int>{0, 0} << 0 << " egll ";

    const QStringList titles{"\"Boeing 737\"", "\"Airbus A320\"", ""};
    QTest::newRow("AirCraft lists every title with its aircraft number, an empty slot too")
        << 0 << int(IfAircraft) << airports << aircraft << titles << QList<int>{12, 3, 0} << 0
        << "\"Boeing 737\"";
    QTest::newRow("AirCraft in the And row lists the same")
        << 1 << int(AndAircraft) << airports << aircraft << titles << QList<int>{12, 3, 0} << 0
        << "\"Boeing 737\"";
    QTest::newRow("AirCraft in the Then row lists the same")
        << 2 << int(ThenAircraft) << airports << aircraft << titles << QList<int>{12, 3, 0} << 0
        << "\"Boeing 737\"";

    const QStringList words{"1Hr", "2hr", "4Hr", "6Hr", "8Hr", "12Hr", "24Hr", "Week"};
    const QList<int> zeros8(8, 0);
    QTest::newRow("Flight Frequency lists the eight words and shows 24Hr")
        << 0 << int(IfFrequency) << airports << aircraft << words << zeros8 << 6 << "24Hr";
    QTest::newRow("Flight Frequency in the And row does the same")
        << 1 << int(AndFrequency) << airports << aircraft << words << zeros8 << 6 << "24Hr";
    QTest::newRow("Flight Frequency in the Then row does the same")
        << 2 << int(ThenFrequency) << airports << aircraft << words << zeros8 << 6 << "24Hr";
    QTest::newRow("IFR_VFR lists VFR then IFR and shows VFR")
        << 0 << int(IfRules) << airports << aircraft << QStringList{"VFR", "IFR"}
        << QList<int>{0, 0} << 0 << "VFR";
    QTest::newRow("IFR_VFR in the And row does the same")
        << 1 << int(AndRules) << airports << aircraft << QStringList{"VFR", "IFR"}
        << QList<int>{0, 0} << 0 << "VFR";
    QTest::newRow("IFR_VFR in the Then row does the same")
        << 2 << int(ThenRules) << airports << aircraft << QStringList{"VFR", "IFR"}
        << QList<int>{0, 0} << 0 << "VFR";

    for (const auto& [box, position, name] :
         {std::tuple{0, int(IfPercentage), "Percentage in the If row"},
          std::tuple{1, int(AndPercentage), "Percentage in the And row"},
          std::tuple{2, int(ThenPercentage), "Percentage in the Then row"},
          std::tuple{0, int(IfId), "Aircraft ID in the If row"},
          std::tuple{1, int(AndId), "Aircraft ID in the And row"},
          std::tuple{2, int(ThenId), "Aircraft ID in the Then row"},
          std::tuple{1, int(AndNA), "NA in the And row"}}) {
        QTest::newRow(qPrintable(QString(name) + " leaves the box empty with nothing selected"))
            << box << position << airports << aircraft << QStringList() << QList<int>() << -1 << "";
    }

    QTest::newRow("an airport table with last index -1 leaves the list empty, nothing selected")
        << 0 << int(IfHome) << QStringList() << aircraft << QStringList() << QList<int>() << -1
        << "";
    QTest::newRow("an airport table with last index -1 leaves a Visited AirPort list empty")
        << 2 << int(ThenVisited) << QStringList() << aircraft << QStringList() << QList<int>() << -1
        << "";
    QTest::newRow("an aircraft table with last index -1 leaves the list empty, nothing selected")
        << 1 << int(AndAircraft) << airports << AircraftList() << QStringList() << QList<int>()
        << -1 << "";
}

// Each pick is made in the list as the user makes it, after the box held entries and a typed text.
void TestRuleRows::fieldPickFillsValueBox() {
    QFETCH(int, fieldBox);
    QFETCH(int, position);
    QFETCH(QStringList, airports);
    QFETCH(AircraftList, aircraft);
    QFETCH(QStringList, entries);
    QFETCH(QList<int>, data);
    QFETCH(int, selected);
    QFETCH(QString, text);

    auto s = ShowWindow();
    QVERIFY(s);
    FrmTarvik& w = s->w;
    ValueCombo* box = w.ValueBox(fieldBox + 3);
    box->SetEntries({"old", "older"}, {5, 6});
    box->setCurrentIndex(1);
    box->SetText("typed");

    SetAirports(w.Traffic(), airports);
    SetAircraft(w.Traffic(), aircraft);
    QSignalSpy changes(box, &ValueCombo::TextChanged);
    QVERIFY(UserPick(w.CMBTarvik[std::size_t(fieldBox)], position));

    QCOMPARE(w.CMBTarvik[std::size_t(fieldBox)]->currentIndex(), position);
    QCOMPARE(Entries(box), entries);
    QCOMPARE(ItemData(box), data);
    QCOMPARE(box->currentIndex(), selected);
    QCOMPARE(box->Text(), text);
    if (selected >= 0)
        QCOMPARE(box->ItemDataAt(box->currentIndex()), data[selected]);
    QVERIFY(!box->IsLocked());
    QCOMPARE(changes.count(), 0); // the fill and its default entry run no entry checks
}

void TestRuleRows::fillAtStartUpTables_data() {
    QTest::addColumn<int>("fieldBox");
    QTest::addColumn<int>("position");
    QTest::newRow("Home AirPort lists the one empty slot and selects it") << 0 << int(IfHome);
    QTest::newRow("Visited AirPort lists the one empty slot and selects it")
        << 2 << int(ThenVisited);
    QTest::newRow("AirCraft lists the one empty slot with aircraft number 0")
        << 1 << int(AndAircraft);
}

// Before any load the tables hold one empty slot each, with last indexes 0.
void TestRuleRows::fillAtStartUpTables() {
    QFETCH(int, fieldBox);
    QFETCH(int, position);
    auto s = ShowWindow();
    QVERIFY(s);
    FrmTarvik& w = s->w;
    ValueCombo* box = w.ValueBox(fieldBox + 3);
    QVERIFY(UserPick(w.CMBTarvik[std::size_t(fieldBox)], position));
    QCOMPARE(Entries(box), QStringList{""});
    QCOMPARE(ItemData(box), QList<int>{0});
    QCOMPARE(box->currentIndex(), 0);
    QCOMPARE(box->Text(), QString());
    QVERIFY(!box->IsLocked());
}

void TestRuleRows::twoAircraftWithOneTitleKeepTheirNumbers() {
    auto s = ShowWindow();
    QVERIFY(s);
    FrmTarvik& w = s->w;
    SetAircraft(w.Traffic(), {{"\"Boeing 737\"", 1}, {"\"Boeing 737\"", 7}});
    QVERIFY(UserPick(w.CMBTarvik[0], IfAircraft));
    ValueCombo* box = w.ValueBox(3);
    QCOMPARE(box->count(), 2);
    QVERIFY(UserPick(box, 1));
    QCOMPARE(box->currentIndex(), 1);
    QCOMPARE(box->ItemDataAt(box->currentIndex()), 7);
    QVERIFY(UserPick(box, 0));
    QCOMPARE(box->currentIndex(), 0);
    QCOMPARE(box->ItemDataAt(box->currentIndex()), 1);
    QCOMPARE(box->Text(), QString("\"Boeing 737\""));
}

void TestRuleRows::fieldBoxBackToNothingLocksAndEmpties() {
    auto s = ShowWindow();
    QVERIFY(s);
    FrmTarvik& w = s->w;
    SetSampleTables(w.Traffic());
    for (int16_t field = 0; field < 3; ++field) {
        ValueCombo* box = w.ValueBox(field + 3);
        w.CMBTarvik[std::size_t(field)]->setCurrentIndex(field == 1 ? int(AndHome) : 0);
        w.CMBTarvik_Click(field);
        QVERIFY(!box->IsLocked());
        QCOMPARE(box->count(), 3);

        w.CMBTarvik[std::size_t(field)]->setCurrentIndex(-1);
        w.CMBTarvik_Click(field);
        QVERIFY(box->IsLocked());
        QCOMPARE(box->count(), 0);
        QCOMPARE(box->Text(), QString());
        QCOMPARE(box->currentIndex(), -1);
    }
}

void TestRuleRows::startUpValueBoxesTakeNoInput() {
    auto s = ShowWindow();
    QVERIFY(s);
    FrmTarvik& w = s->w;
    const QStringList start{"CMBTarvik", "", "CMBTarvik"};
    for (int i = 3; i < 6; ++i) {
        ValueCombo* box = w.ValueBox(i);
        QVERIFY(box->IsLocked());
        QVERIFY(Focus(box));
        QTest::keyClicks(box->lineEdit(), "KL");
        QTest::keyClick(box->lineEdit(), Qt::Key_Backspace);
        Paste(box, "N1");
        QCOMPARE(box->Text(), start[i - 3]);
        QCOMPARE(box->count(), 0);
    }
}

// A locked box with a list: keys, paste, the wheel and the list are refused; the program writes.
void TestRuleRows::lockedBoxRefusesUserButNotProgram() {
    auto s = ShowWindow();
    QVERIFY(s);
    FrmTarvik& w = s->w;
    ValueCombo* box = w.ValueBox(3);
    box->SetEntries({"KLAX", "KSFO", "EGLL"});
    box->setCurrentIndex(1);
    QVERIFY(box->IsLocked());
    QVERIFY(Focus(box));
    QSignalSpy changes(box, &ValueCombo::TextChanged);

    QTest::keyClicks(box->lineEdit(), "EG");
    QTest::keyClick(box->lineEdit(), Qt::Key_Delete);
    QTest::keyClick(box->lineEdit(), Qt::Key_Backspace);
    Paste(box, "LFPG");
    for (QWidget* target : {static_cast<QWidget*>(box->lineEdit()), static_cast<QWidget*>(box)}) {
        QTest::keyClick(target, Qt::Key_Down);
        QTest::keyClick(target, Qt::Key_Up);
        QTest::keyClick(target, Qt::Key_PageDown);
        QTest::keyClick(target, Qt::Key_Down, Qt::AltModifier);
        QTest::keyClick(target, Qt::Key_F4);
    }
    const QPoint centre = box->rect().center();
    QWheelEvent wheel(centre, box->mapToGlobal(centre), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(box, &wheel);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() - 5, box->height() / 2));
    box->showPopup();
    QCoreApplication::processEvents();

    QVERIFY(!box->view()->isVisible());
    QCOMPARE(box->currentIndex(), 1);
    QCOMPARE(box->Text(), QString("KSFO"));
    QCOMPARE(changes.count(), 0);

    box->setCurrentIndex(2);
    QCOMPARE(box->Text(), QString("EGLL"));
    box->SetText("LFPG");
    QCOMPARE(box->Text(), QString("LFPG"));
    QCOMPARE(changes.count(), 1);
    box->SetEntries({"A", "B"});
    QCOMPARE(Entries(box), QStringList({"A", "B"}));
    box->Empty();
    QCOMPARE(box->count(), 0);
    QVERIFY(box->IsLocked());

    box->SetLocked(false);
    box->SetEntries({"KLAX", "KSFO"});
    box->setCurrentIndex(0);
    QTest::keyClick(box, Qt::Key_Down);
    QCOMPARE(box->currentIndex(), 1);
}

void TestRuleRows::checksByBoxAndField_data() {
    QTest::addColumn<int>("fieldBox");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<bool>("locked");

    const QString cut4 = "KLAXK";
    const QString cut6 = "N12345X";
    // No field picked: the box is locked, so the text comes from a program write.
    QTest::newRow("If row, no field: a written text stands") << 0 << -1 << "KLAXKSFO12"
                                                             << "KLAXKSFO12"
                                                             << "" << true;
    QTest::newRow("If row, Home AirPort: cut at four, the four selected")
        << 0 << int(IfHome) << cut4 << "KLAX"
        << "KLAX" << false;
    QTest::newRow("If row, AirCraft: emptied") << 0 << int(IfAircraft) << "x"
                                               << ""
                                               << "" << false;
    QTest::newRow("If row, Percentage: 150 becomes 90, selected") << 0 << int(IfPercentage) << "150"
                                                                  << "90"
                                                                  << "90" << false;
    QTest::newRow("If row, Aircraft ID: cut at six, the six selected")
        << 0 << int(IfId) << cut6 << "N12345"
        << "N12345" << false;
    QTest::newRow("If row, Flight Frequency: emptied") << 0 << int(IfFrequency) << "x"
                                                       << ""
                                                       << "" << false;
    QTest::newRow("If row, IFR_VFR: emptied") << 0 << int(IfRules) << "x"
                                              << ""
                                              << "" << false;

    QTest::newRow("And row, no field: a written text stands") << 1 << -1 << "KLAXKSFO12"
                                                              << "KLAXKSFO12"
                                                              << "" << true;
    QTest::newRow("And row, NA: the text stands and the box locks") << 1 << int(AndNA) << "x"
                                                                    << "x"
                                                                    << "" << true;
    QTest::newRow("And row, Home AirPort: cut at four") << 1 << int(AndHome) << cut4 << "KLAX"
                                                        << "KLAX" << false;
    QTest::newRow("And row, AirCraft: emptied") << 1 << int(AndAircraft) << "x"
                                                << ""
                                                << "" << false;
    QTest::newRow("And row, Percentage: 150 becomes 90") << 1 << int(AndPercentage) << "150"
                                                         << "90"
                                                         << "90" << false;
    QTest::newRow("And row, Aircraft ID: cut at six") << 1 << int(AndId) << cut6 << "N12345"
                                                      << "N12345" << false;
    QTest::newRow("And row, Flight Frequency: emptied") << 1 << int(AndFrequency) << "x"
                                                        << ""
                                                        << "" << false;
    QTest::newRow("And row, IFR_VFR: emptied") << 1 << int(AndRules) << "x"
                                               << ""
                                               << "" << false;
    QTest::newRow("And row, Visited AirPort: cut at four") << 1 << int(AndVisited) << cut4 << "KLAX"
                                                           << "KLAX" << false;

    QTest::newRow("Then row, no field: a written text stands") << 2 << -1 << "KLAXKSFO12"
                                                               << "KLAXKSFO12"
                                                               << "" << true;
    QTest::newRow("Then row, Home AirPort: cut at four") << 2 << int(ThenHome) << cut4 << "KLAX"
                                                         << "KLAX" << false;
    QTest::newRow("Then row, AirCraft: emptied") << 2 << int(ThenAircraft) << "x"
                                                 << ""
                                                 << "" << false;
    QTest::newRow("Then row, Percentage: 150 becomes 90") << 2 << int(ThenPercentage) << "150"
                                                          << "90"
                                                          << "90" << false;
    QTest::newRow("Then row, Aircraft ID: cut at six") << 2 << int(ThenId) << cut6 << "N12345"
                                                       << "N12345" << false;
    QTest::newRow("Then row, Flight Frequency: emptied") << 2 << int(ThenFrequency) << "x"
                                                         << ""
                                                         << "" << false;
    QTest::newRow("Then row, IFR_VFR: emptied") << 2 << int(ThenRules) << "x"
                                                << ""
                                                << "" << false;
    QTest::newRow("Then row, Visited AirPort: cut at four")
        << 2 << int(ThenVisited) << cut4 << "KLAX"
        << "KLAX" << false;
}

// Every cell of the table of checks by value box and field position, typed key by key.
void TestRuleRows::checksByBoxAndField() {
    QFETCH(int, fieldBox);
    QFETCH(int, position);
    QFETCH(QString, input);
    QFETCH(QString, text);
    QFETCH(QString, selected);
    QFETCH(bool, locked);

    auto s = ShowWindow();
    QVERIFY(s);
    FrmTarvik& w = s->w;
    SetSampleTables(w.Traffic());
    ValueCombo* box = w.ValueBox(fieldBox + 3);
    w.CMBTarvik[std::size_t(fieldBox)]->setCurrentIndex(position);
    w.CMBTarvik_Click(static_cast<int16_t>(fieldBox));
    QVERIFY(Focus(box));
    if (position < 0)
        box->SetText(input);
    else
        Enter(box, input, false);
    QCOMPARE(box->Text(), text);
    QCOMPARE(Selected(box), selected);
    QCOMPARE(box->IsLocked(), locked);
}

void TestRuleRows::typedValues_data() {
    QTest::addColumn<int>("fieldBox");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("pasted");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<int>("caret");

    const bool typed = false;
    const bool pasted = true;
    QTest::newRow("K, L, A, X give KLAX with the caret after the X")
        << 0 << int(IfHome) << "KLAX" << typed << "KLAX"
        << "" << 4;
    QTest::newRow("a fifth character at the end leaves KLAX with all four selected")
        << 0 << int(IfHome) << "KLAXS" << typed << "KLAX"
        << "KLAX" << 4;
    QTest::newRow("a key after the cut replaces the whole code")
        << 0 << int(IfHome) << "KLAXSW" << typed << "W"
        << "" << 1;
    QTest::newRow("pasting KLAXKSFO gives KLAX with all four selected")
        << 0 << int(IfHome) << "KLAXKSFO" << pasted << "KLAX"
        << "KLAX" << 4;
    QTest::newRow("a short code typed stands with the caret at its end")
        << 1 << int(AndHome) << "KL" << typed << "KL"
        << "" << 2;
    QTest::newRow("a Visited AirPort code is cut at four")
        << 1 << int(AndVisited) << "EGLLX" << typed << "EGLL"
        << "EGLL" << 4;
    QTest::newRow("six characters of an Aircraft ID keep the caret at the end")
        << 2 << int(ThenId) << "N12345" << typed << "N12345"
        << "" << 6;
    QTest::newRow("the seventh character of an Aircraft ID is dropped, the six selected")
        << 2 << int(ThenId) << "N12345X" << typed << "N12345"
        << "N12345" << 6;
    QTest::newRow("a pasted Aircraft ID of eight is cut to six")
        << 0 << int(IfId) << "AB123456" << pasted << "AB1234"
        << "AB1234" << 6;

    QTest::newRow("percentage 50 stands") << 0 << int(IfPercentage) << "50" << pasted << "50"
                                          << "" << 2;
    QTest::newRow("percentage -5 stands") << 0 << int(IfPercentage) << "-5" << pasted << "-5"
                                          << "" << 2;
    QTest::newRow("percentage 99 stands") << 0 << int(IfPercentage) << "99" << pasted << "99"
                                          << "" << 2;
    QTest::newRow("percentage 99.5 becomes 90")
        << 1 << int(AndPercentage) << "99.5" << pasted << "90"
        << "90" << 2;
    QTest::newRow("percentage 150 becomes 90 with both characters selected")
        << 1 << int(AndPercentage) << "150" << pasted << "90"
        << "90" << 2;
    QTest::newRow("percentage abc is emptied") << 2 << int(ThenPercentage) << "abc" << pasted << ""
                                               << "" << 0;
    QTest::newRow("percentage 12a is emptied though it begins with a number")
        << 2 << int(ThenPercentage) << "12a" << pasted << ""
        << "" << 0;
    QTest::newRow("percentage 150a is emptied, then becomes 90")
        << 2 << int(ThenPercentage) << "150a" << pasted << "90"
        << "90" << 2;
    QTest::newRow("a percentage with blanks around it stands")
        << 0 << int(IfPercentage) << " 50 " << pasted << " 50 "
        << "" << 4;
    QTest::newRow("a percentage with an exponent stands when not above 99")
        << 0 << int(IfPercentage) << "1e1" << pasted << "1e1"
        << "" << 3;
    QTest::newRow("a percentage with an exponent above 99 becomes 90")
        << 0 << int(IfPercentage) << "5e2" << pasted << "90"
        << "90" << 2;
    QTest::newRow("a percentage beyond the range of a double becomes 90")
        << 0 << int(IfPercentage) << "1e999" << pasted << "90"
        << "90" << 2;
    QTest::newRow("a percentage written inf is no number and is emptied")
        << 0 << int(IfPercentage) << "inf" << pasted << ""
        << "" << 0;
    QTest::newRow("percentage 150 typed key by key becomes 90 at the third key")
        << 0 << int(IfPercentage) << "150" << typed << "90"
        << "90" << 2;
    QTest::newRow("a minus sign typed alone is no number, so -5 typed key by key ends as 5")
        << 0 << int(IfPercentage) << "-5" << typed << "5"
        << "" << 1;
}

void TestRuleRows::typedValues() {
    QFETCH(int, fieldBox);
    QFETCH(int, position);
    QFETCH(QString, input);
    QFETCH(bool, pasted);
    QFETCH(QString, text);
    QFETCH(QString, selected);
    QFETCH(int, caret);

    auto s = ShowWindow();
    QVERIFY(s);
    FrmTarvik& w = s->w;
    SetSampleTables(w.Traffic());
    QVERIFY(UserPick(w.CMBTarvik[std::size_t(fieldBox)], position));
    ValueCombo* box = w.ValueBox(fieldBox + 3);
    QVERIFY(Focus(box));
    Enter(box, input, pasted);
    QCOMPARE(box->Text(), text);
    QCOMPARE(Selected(box), selected);
    if (!selected.isEmpty())
        QCOMPARE(box->lineEdit()->selectionStart(), 0);
    QCOMPARE(box->lineEdit()->cursorPosition(), caret);
}

void TestRuleRows::characterInsideFullCodeCutsTheEnd() {
    auto s = ShowWindow();
    QVERIFY(s);
    FrmTarvik& w = s->w;
    SetSampleTables(w.Traffic());
    QVERIFY(UserPick(w.CMBTarvik[0], IfHome));
    ValueCombo* box = w.ValueBox(3);
    QVERIFY(Focus(box));
    Enter(box, "KLAX", false);
    QTest::keyClick(box->lineEdit(), Qt::Key_Home);
    QTest::keyClick(box->lineEdit(), Qt::Key_Right);
    QTest::keyClick(box->lineEdit(), Qt::Key_Right);
    QTest::keyClicks(box->lineEdit(), "Q");
    QCOMPARE(box->Text(), QString("KLQA"));
    QCOMPARE(Selected(box), QString("KLQA"));
}

void TestRuleRows::listOnlyFields_data() {
    QTest::addColumn<int>("fieldBox");
    QTest::addColumn<int>("position");
    QTest::newRow("AirCraft in the If row") << 0 << int(IfAircraft);
    QTest::newRow("AirCraft in the And row") << 1 << int(AndAircraft);
    QTest::newRow("Flight Frequency in the And row") << 1 << int(AndFrequency);
    QTest::newRow("Flight Frequency in the Then row") << 2 << int(ThenFrequency);
    QTest::newRow("IFR_VFR in the If row") << 0 << int(IfRules);
    QTest::newRow("IFR_VFR in the Then row") << 2 << int(ThenRules);
}

// Typing, deleting and pasting empty the text; an entry picked from the list stands with its data.
void TestRuleRows::listOnlyFields() {
    QFETCH(int, fieldBox);
    QFETCH(int, position);
    auto s = ShowWindow();
    QVERIFY(s);
    FrmTarvik& w = s->w;
    SetSampleTables(w.Traffic());
    QVERIFY(UserPick(w.CMBTarvik[std::size_t(fieldBox)], position));
    ValueCombo* box = w.ValueBox(fieldBox + 3);
    const QStringList entries = Entries(box);
    QVERIFY(entries.size() >= 2);
    QVERIFY(Focus(box));

    QVERIFY(UserPick(box, 1));
    QCOMPARE(box->Text(), entries[1]);
    QCOMPARE(box->currentIndex(), 1);

    box->lineEdit()->end(false);
    QTest::keyClick(box->lineEdit(), Qt::Key_Backspace);
    QCOMPARE(box->Text(), QString());
    QCOMPARE(box->currentIndex(), -1);

    QTest::keyClicks(box->lineEdit(), "IFR");
    QCOMPARE(box->Text(), QString());
    Paste(box, entries[0]);
    QCOMPARE(box->Text(), QString());

    QVERIFY(UserPick(box, 1));
    QCOMPARE(box->Text(), entries[1]);
    QCOMPARE(box->currentIndex(), 1);
    QCOMPARE(box->ItemDataAt(1), position == IfAircraft || position == AndAircraft ? 3 : 0);
    QCOMPARE(Entries(box), entries);
}

void TestRuleRows::notApplicableLocksAtFirstKey() {
    auto s = ShowWindow();
    QVERIFY(s);
    FrmTarvik& w = s->w;
    SetSampleTables(w.Traffic());
    QVERIFY(UserPick(w.CMBTarvik[1], AndNA));
    ValueCombo* box = w.ValueBox(4);
    QVERIFY(!box->IsLocked());
    QVERIFY(Focus(box));
    QTest::keyClick(box->lineEdit(), Qt::Key_X);
    QCOMPARE(box->Text(), QString("x"));
    QVERIFY(box->IsLocked());
    QTest::keyClick(box->lineEdit(), Qt::Key_Y);
    QTest::keyClick(box->lineEdit(), Qt::Key_Backspace);
    QCOMPARE(box->Text(), QString("x"));

    QVERIFY(UserPick(w.CMBTarvik[1], AndNA));
    QCOMPARE(box->Text(), QString());
    QVERIFY(!box->IsLocked());
    QTest::keyClick(box->lineEdit(), Qt::Key_Z);
    QVERIFY(box->IsLocked());

    QVERIFY(UserPick(w.CMBTarvik[1], AndPercentage));
    QCOMPARE(box->Text(), QString());
    QVERIFY(!box->IsLocked());
    QTest::keyClicks(box->lineEdit(), "42");
    QCOMPARE(box->Text(), QString("42"));
}

void TestRuleRows::programWritesRunTheChecks_data() {
    QTest::addColumn<bool>("throughLineEdit");
    QTest::newRow("a write through SetText is checked like typing") << false;
    QTest::newRow("a write into the text part itself is checked like typing") << true;
}

void TestRuleRows::programWritesRunTheChecks() {
    QFETCH(bool, throughLineEdit);
    auto s = ShowWindow();
    QVERIFY(s);
    FrmTarvik& w = s->w;
    SetSampleTables(w.Traffic());
    w.CMBTarvik[0]->setCurrentIndex(IfHome);
    w.CMBTarvik_Click(0);
    ValueCombo* box = w.ValueBox(3);
    if (throughLineEdit)
        box->lineEdit()->setText("klaxksfo");
    else
        box->SetText("klaxksfo");
    QCOMPARE(box->Text(), QString("klax"));
    QCOMPARE(Selected(box), QString("klax"));
    QCOMPARE(box->currentIndex(), -1);
    QCOMPARE(Entries(box), QStringList({"KLAX", "KSFO", "EGLL"}));
}

void TestRuleRows::checksReenterWithTheirOwnWrites_data() {
    QTest::addColumn<int>("fieldBox");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QStringList>("seen"); // the text at the end of each check, innermost first
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("selected");

    QTest::newRow("a cut is checked again inside the write, with the cut text")
        << 0 << int(IfHome) << "KLAXKSFO" << QStringList{"KLAX", "KLAX"} << "KLAX"
        << "KLAX";
    QTest::newRow("a text within the limit is checked once")
        << 0 << int(IfHome) << "KLA" << QStringList{"KLA"} << "KLA"
        << "";
    QTest::newRow("a percentage not a number but above 99 is emptied, then made 90")
        << 2 << int(ThenPercentage) << "150a" << QStringList{"", "90", "90"} << "90"
        << "90";
    QTest::newRow("an AirCraft text is emptied and checked once more")
        << 1 << int(AndAircraft) << "x" << QStringList{"", ""} << ""
        << "";
}

// A write of the checks raises the change again inside the write: the inner checks end before the
// outer one, which then finds its own write done.
void TestRuleRows::checksReenterWithTheirOwnWrites() {
    QFETCH(int, fieldBox);
    QFETCH(int, position);
    QFETCH(QString, written);
    QFETCH(QStringList, seen);
    QFETCH(QString, text);
    QFETCH(QString, selected);

    auto s = ShowWindow();
    QVERIFY(s);
    FrmTarvik& w = s->w;
    SetSampleTables(w.Traffic());
    w.CMBTarvik[std::size_t(fieldBox)]->setCurrentIndex(position);
    w.CMBTarvik_Click(static_cast<int16_t>(fieldBox));
    ValueCombo* box = w.ValueBox(fieldBox + 3);

    // Connected after the window's checks, so each entry is made when a run of the checks ends.
    QStringList ends;
    connect(box, &ValueCombo::TextChanged, box, [&] { ends << box->Text(); });
    box->SetText(written);
    QCOMPARE(ends, seen);
    QCOMPARE(box->Text(), text);
    QCOMPARE(Selected(box), selected);
}

namespace {

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Writes a traffic set of one plan into folder and returns the flight-plan file's path.
QString WriteSet(const QString& folder, const QByteArray& airports, const QByteArray& aircraft) {
    WriteFile(folder + "/FlightPlans.txt",
              "AC#1,N101AA,25%,12Hr,IFR,06:00,07:10,110,F,101,KSFO,KLAX\r\n");
    WriteFile(folder + "/Airports.txt", airports);
    WriteFile(folder + "/Aircraft.txt", aircraft);
    return folder + "/FlightPlans.txt";
}

QStringList AirportsOf(const TrafficSet& set) {
    QStringList codes;
    for (int32_t i = 0; i <= set.LastAirport; ++i)
        codes << ToQ(set.AirportTable[i]);
    return codes;
}

QStringList TitlesOf(const TrafficSet& set) {
    QStringList titles;
    for (int32_t i = 0; i <= set.LastAircraft; ++i)
        titles << ToQ(set.AircraftTable[i].Acraft);
    return titles;
}

} // namespace

// Open sets the three field boxes to the positions they already hold after the first load; each
// row is rebuilt from the new tables all the same.
void TestRuleRows::openRebuildsTheRowsAfterEveryLoad() {
    auto s = ShowWindow();
    QVERIFY(s);
    FrmTarvik& w = s->w;
    QTemporaryDir first;
    QTemporaryDir second;
    QVERIFY(first.isValid() && second.isValid());
    const QString firstPlans =
        WriteSet(first.path(), "KSFO,37.6,-122.4\r\nKLAX,33.9,-118.4\r\n",
                 "AC#1,450,\"Generic Jet\"\r\nAC#2,250,\"Generic Twin\"\r\n");
    const QString secondPlans =
        WriteSet(second.path(), "EGLL,51.5,-0.5\r\n", "AC#9,120,\"Other Single\"\r\n");
    if (QTest::currentTestFailed())
        return;

    for (const QString& plans : {firstPlans, secondPlans}) {
        w.ValueBox(3)->lineEdit()->selectAll();
        QTest::keyClicks(w.ValueBox(3)->lineEdit(), "ZZ");
        s->fp.Dialog.Answers.emplace_back(plans);
        w.MnuOpen_Click();
        QCOMPARE(s->fp.Messages.Texts().join("|"), QString());
        const TrafficSet& set = w.Traffic();
        QCOMPARE(w.CMBTarvik[0]->currentIndex(), int(IfHome));
        QCOMPARE(w.CMBTarvik[1]->currentIndex(), int(AndAircraft));
        QCOMPARE(w.CMBTarvik[2]->currentIndex(), int(ThenId));
        QCOMPARE(Entries(w.ValueBox(3)), AirportsOf(set));
        QCOMPARE(w.ValueBox(3)->Text(), AirportsOf(set).value(0));
        QCOMPARE(Entries(w.ValueBox(4)), TitlesOf(set));
        QCOMPARE(w.ValueBox(4)->currentIndex(), 0);
        QCOMPARE(w.ValueBox(4)->ItemDataAt(0), int(set.AircraftTable[0].Atag));
        QCOMPARE(w.ValueBox(5)->count(), 0);
        QCOMPARE(w.ValueBox(5)->Text(), QString());
        for (int i = 3; i < 6; ++i)
            QVERIFY(!w.ValueBox(i)->IsLocked());
    }
    QCOMPARE(w.ValueBox(4)->ItemDataAt(0), 9);
}

// A load that stops makes no field picks: the rows keep what they held.
void TestRuleRows::stoppedLoadLeavesTheRows() {
    auto s = ShowWindow();
    QVERIFY(s);
    FrmTarvik& w = s->w;
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    WriteFile(folder.filePath("FlightPlans.txt"),
              "AC#1,N101AA,25%,12Hr,IFR,06:00,07:10,110,F,101,KSFO,KLAX\r\n");
    if (QTest::currentTestFailed())
        return;
    s->fp.Dialog.Answers.emplace_back(folder.filePath("FlightPlans.txt"));
    w.MnuOpen_Click();
    QCOMPARE(s->fp.Messages.Log.size(), std::size_t(1));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(w.CMBTarvik[std::size_t(i)]->currentIndex(), -1);
    QCOMPARE(w.ValueBox(3)->Text(), QString("CMBTarvik"));
    QVERIFY(w.ValueBox(3)->IsLocked());
}

// A later change of the tables reaches a value box only through a new pick of its field.
void TestRuleRows::pickRebuildsFromTheTablesOfTheMoment() {
    auto s = ShowWindow();
    QVERIFY(s);
    FrmTarvik& w = s->w;
    SetSampleTables(w.Traffic());
    w.CMBTarvik[0]->setCurrentIndex(IfHome);
    w.CMBTarvik_Click(0);
    ValueCombo* box = w.ValueBox(3);
    QCOMPARE(Entries(box), QStringList({"KLAX", "KSFO", "EGLL"}));

    SetAirports(w.Traffic(), {"LFPG", "LFPO"});
    QCOMPARE(Entries(box), QStringList({"KLAX", "KSFO", "EGLL"}));
    QVERIFY(Focus(box));
    QTest::keyClicks(box->lineEdit(), "X");
    w.CMBTarvik[0]->setCurrentIndex(IfHome);
    w.CMBTarvik_Click(0);
    QCOMPARE(Entries(box), QStringList({"LFPG", "LFPO"}));
    QCOMPARE(box->Text(), QString("LFPG"));
    QCOMPARE(box->currentIndex(), 0);
}

// A user pick of the field the box already shows runs the pick as well.
void TestRuleRows::userRepickRebuilds() {
    auto s = ShowWindow();
    QVERIFY(s);
    FrmTarvik& w = s->w;
    SetSampleTables(w.Traffic());
    QVERIFY(UserPick(w.CMBTarvik[2], ThenFrequency));
    ValueCombo* box = w.ValueBox(5);
    QVERIFY(UserPick(box, 1));
    QCOMPARE(box->Text(), QString("2hr"));
    QVERIFY(UserPick(w.CMBTarvik[2], ThenFrequency));
    QCOMPARE(box->Text(), QString("24Hr"));
    QCOMPARE(box->currentIndex(), 6);

    QVERIFY(UserPick(w.CMBTarvik[2], ThenVisited));
    QVERIFY(Focus(box));
    QTest::keyClicks(box->lineEdit(), "AB");
    SetAirports(w.Traffic(), {"LFPG"});
    QVERIFY(UserPick(w.CMBTarvik[2], ThenVisited));
    QCOMPARE(Entries(box), QStringList{"LFPG"});
    QCOMPARE(box->Text(), QString("LFPG"));

    // The arrow keys on a closed field box pick the next field.
    QVERIFY(Focus(w.CMBTarvik[2]));
    QTest::keyClick(w.CMBTarvik[2], Qt::Key_Up);
    QCOMPARE(w.CMBTarvik[2]->currentIndex(), int(ThenRules));
    QCOMPARE(Entries(box), QStringList({"VFR", "IFR"}));
}

void TestRuleRows::leavingABoxChangesNothing_data() {
    QTest::addColumn<QString>("typed");
    QTest::newRow("a typed code equal to an entry stays typed, no entry selected") << "KSFO";
    QTest::newRow("a typed code equal to an entry but for case stays as typed") << "ksfo";
    QTest::newRow("a typed code that is no entry stays") << "LFPG";
}

void TestRuleRows::leavingABoxChangesNothing() {
    QFETCH(QString, typed);
    auto s = ShowWindow();
    QVERIFY(s);
    FrmTarvik& w = s->w;
    SetSampleTables(w.Traffic());
    w.CMBTarvik[0]->setCurrentIndex(IfHome);
    w.CMBTarvik_Click(0);
    w.CMBTarvik[1]->setCurrentIndex(AndNA);
    w.CMBTarvik_Click(1);
    ValueCombo* box = w.ValueBox(3);
    QVERIFY(Focus(box));
    Enter(box, typed, false);
    QCOMPARE(box->currentIndex(), -1);

    QSignalSpy changes(box, &ValueCombo::TextChanged);
    QTest::keyClick(box, Qt::Key_Tab);
    QTRY_VERIFY(!box->hasFocus());
    QCOMPARE(box->Text(), typed);
    QCOMPARE(box->currentIndex(), -1);
    QCOMPARE(Entries(box), QStringList({"KLAX", "KSFO", "EGLL"}));
    QCOMPARE(changes.count(), 0);
    QVERIFY(!box->IsLocked());

    // Leaving the And box that "NA" stands for neither locks nor fills it.
    ValueCombo* andBox = w.ValueBox(4);
    QVERIFY(Focus(andBox));
    QVERIFY(Focus(w.CMBTarvik[2]));
    QVERIFY(!andBox->IsLocked());
    QCOMPARE(andBox->Text(), QString());
    QCOMPARE(w.CMBTarvik[1]->currentIndex(), int(AndNA));
}

void TestRuleRows::valueBoxSelectionRaisesNoChange() {
    ValueCombo box;
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QSignalSpy changes(&box, &ValueCombo::TextChanged);
    box.SetEntries({"KLAX", "KSFO", "KLAX"}, {1, 2, 3});
    box.setCurrentIndex(1);
    box.setCurrentIndex(2);
    QVERIFY(UserPick(&box, 0));
    QVERIFY(UserPick(&box, 0));
    QTest::keyClick(&box, Qt::Key_Down);
    box.setCurrentIndex(-1);
    box.Empty();
    QCOMPARE(changes.count(), 0);
}

// The selected position stands for the entry on show: an edit keeps the text, caret and selection
// and leaves no entry selected; picking the same entry again brings its text back.
void TestRuleRows::valueBoxEditLeavesNoEntrySelected() {
    ValueCombo box;
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.SetEntries({"KLAX", "KSFO"}, {1, 2});
    box.setCurrentIndex(1);
    QSignalSpy changes(&box, &ValueCombo::TextChanged);
    box.lineEdit()->setCursorPosition(2);
    QTest::keyClicks(box.lineEdit(), "X");
    QCOMPARE(box.Text(), QString("KSXFO"));
    QCOMPARE(box.lineEdit()->cursorPosition(), 3);
    QCOMPARE(box.currentIndex(), -1);
    QCOMPARE(changes.count(), 1);

    QVERIFY(UserPick(&box, 1));
    QCOMPARE(box.Text(), QString("KSFO"));
    QCOMPARE(box.currentIndex(), 1);
    QCOMPARE(changes.count(), 1);

    box.SetText("EGLL");
    QCOMPARE(box.currentIndex(), -1);
    QCOMPARE(box.ItemDataAt(-1), 0);
    QCOMPARE(box.ItemDataAt(2), 0);
    QCOMPARE(box.ItemDataAt(1), 2);
    QCOMPARE(changes.count(), 2);
}

// A write that changes the text puts the caret at the start before the change is raised; a write
// of the same text changes nothing.
void TestRuleRows::valueBoxEqualWriteIsNoChange() {
    ValueCombo box;
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QList<int> carets;
    QList<bool> selections;
    connect(&box, &ValueCombo::TextChanged, &box, [&] {
        carets << box.lineEdit()->cursorPosition();
        selections << box.lineEdit()->hasSelectedText();
    });
    box.SetText("KLAXKSFO");
    QCOMPARE(carets, QList<int>{0});
    QCOMPARE(selections, QList<bool>{false});

    box.lineEdit()->setSelection(2, 3);
    box.SetText("KLAXKSFO");
    QCOMPARE(carets.size(), 1);
    QCOMPARE(box.lineEdit()->selectionStart(), 2);
    QCOMPARE(box.lineEdit()->selectedText(), QString("AXK"));

    box.SetSelectionLength(5);
    QCOMPARE(box.lineEdit()->selectedText(), QString("AXKSF"));
    box.lineEdit()->setCursorPosition(6);
    box.SetSelectionLength(4);
    QCOMPARE(box.lineEdit()->selectedText(), QString("FO"));
}

// Enter and leaving the box neither add an entry nor select one whose text was typed.
void TestRuleRows::valueBoxEnterAndLeavingKeepTheText() {
    QWidget top;
    auto* box = new ValueCombo(&top);
    auto* other = new QLineEdit(&top);
    other->move(0, 40);
    top.show();
    QVERIFY(QTest::qWaitForWindowActive(&top));
    box->SetEntries({"KLAX", "KSFO"});
    QVERIFY(Focus(box));
    QTest::keyClicks(box->lineEdit(), "ksfo");
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    QTest::keyClick(box, Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY(Focus(other));
    QCOMPARE(Entries(box), QStringList({"KLAX", "KSFO"}));
    QCOMPARE(box->Text(), QString("ksfo"));
    QCOMPARE(box->currentIndex(), -1);
    QVERIFY(!box->completer());
}

void TestRuleRows::valueBoxHoldsALargeList() {
    ValueCombo box;
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QStringList texts;
    std::vector<int32_t> tags;
    for (int i = 0; i <= 100000; ++i) {
        texts << QString::number(i);
        tags.push_back(i * 2);
    }
    box.SetEntries(texts, tags);
    QCOMPARE(box.count(), 100001);
    QCOMPARE(box.currentIndex(), -1);
    QCOMPARE(box.Text(), QString());
    box.setCurrentIndex(100000);
    QCOMPARE(box.Text(), QString("100000"));
    QCOMPARE(box.ItemDataAt(100000), 200000);
    QCOMPARE(box.itemData(5).toInt(), 10);
    QVERIFY(UserPick(&box, 99999));
    QCOMPARE(box.Text(), QString("99999"));
    box.SetEntries({"A"}, {});
    QCOMPARE(box.count(), 1);
    QCOMPARE(box.ItemDataAt(0), 0);
}

QTEST_MAIN(TestRuleRows)
#include "TestRuleRows.moc"
