// The window as the user meets it: its controls, menu, icon and focus cycle, the keys that press
// its buttons, and where it is placed on the screen.

#include "support/FakePlatform.h"
#include "window/FrmTarvik.h"
#include "window/ModTarvik.h"
#include "window/TarvikIcon.h"
#include "window/ValueCombo.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using namespace tarvik;
using tarvik::testing::FakePlatform;

namespace {

// A window on the screen with the keyboard focus, as after start-up.
struct Shown {
    FakePlatform fp;
    FrmTarvik w{fp.Get()};
};

std::unique_ptr<Shown> ShowWindow() {
    auto shown = std::make_unique<Shown>();
    shown->w.show();
    if (!QTest::qWaitForWindowActive(&shown->w))
        qWarning("the window did not become active");
    return shown;
}

// The named control that holds widget (a value box for its text part), or "" for none.
QString ControlName(const QWidget* widget) {
    for (; widget; widget = widget->parentWidget()) {
        const QString name = widget->objectName();
        if (name.startsWith("CMBTarvik_") || name.startsWith("CmdTarvik_") || name == "TxtTarvik")
            return name;
    }
    return {};
}

// Counts the clicks of the five buttons.
struct ClickCounter {
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    explicit ClickCounter(const FrmTarvik& w) {
        for (QPushButton* button : w.CmdTarvik)
            spies.push_back(std::make_unique<QSignalSpy>(button, &QPushButton::clicked));
    }
    // "index:count" for every button clicked, e.g. "0:1".
    QStringList Clicked() const {
        QStringList clicked;
        for (std::size_t i = 0; i < spies.size(); ++i)
            if (spies[i]->count() > 0)
                clicked << QStringLiteral("%1:%2").arg(i).arg(spies[i]->count());
        return clicked;
    }
};

QWidget* WidgetNamed(FrmTarvik& w, const QString& name) {
    if (name == "window")
        return &w;
    if (name.endsWith(".edit"))
        return w.ValueBox(name.mid(10, 1).toInt())->lineEdit();
    return w.findChild<QWidget*>(name);
}

} // namespace

class TestWindow : public QObject {
    Q_OBJECT

private slots:
    void controls_data();
    void controls();
    void controlArraysHoldTheNamedControls();
    void clientAreaIsFixedBelowTheMenuBar();
    void startsIdle();
    void fieldBoxEntries_data();
    void fieldBoxEntries();
    void menu();
    void dividerDoesNothing();
    void iconIs32PixelsIn16Colours();
    void focusCycle_data();
    void focusCycle();
    void keysPressButtons_data();
    void keysPressButtons();
    void enterInValueBoxAddsNoEntry();
    void openListKeepsItsKeys_data();
    void openListKeepsItsKeys();
    void keysOfOtherWindowsAreTheirs();
    void centerPosition_data();
    void centerPosition();
    void centerAndShowPlacesTheFrame_data();
    void centerAndShowPlacesTheFrame();
    void formLoadShowsTheWindowAsBuilt();
};

void TestWindow::controls_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("pixels");
    QTest::addColumn<double>("points");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("enabled");

    auto row = [](const char* sentence, const char* name, const char* kind, const char* text,
                  int left, int top, int width, int height, double points, bool bold,
                  bool enabled = true) {
        QTest::newRow(sentence) << QString(name) << QString(kind) << QString(text)
                                << QRect(left / 15, top / 15, width / 15, height / 15) << points
                                << bold << enabled;
    };
    row("the If word stands left of the first row", "LBLTarvik_0", "label", "If", 600, 840, 615,
        255, 12, true);
    row("the If field box starts with nothing picked", "CMBTarvik_0", "field", "", 1080, 840, 2055,
        315, 8.25, false);
    row("the If value box starts locked with its own name", "CMBTarvik_3", "value", "CMBTarvik",
        4080, 840, 4215, 315, 8.25, false);
    row("the And field box starts with nothing picked", "CMBTarvik_1", "field", "", 1080, 1320,
        2055, 315, 8.25, false);
    row("the And value box starts locked and empty", "CMBTarvik_4", "value", "", 4080, 1320, 4215,
        315, 8.25, false);
    row("the Then field box starts with nothing picked", "CMBTarvik_2", "field", "", 1080, 1800,
        2055, 315, 8.25, false);
    row("the Then value box starts locked with its own name", "CMBTarvik_5", "value", "CMBTarvik",
        4080, 1800, 4215, 315, 8.25, false);
    row("the Then word stands left of the third row", "LBLTarvik_1", "label", "Then", 360, 1800,
        735, 255, 12, true);
    row("the If row has its equals sign", "LBLTarvik_2", "label", "=", 3360, 840, 375, 375, 18,
        true);
    row("the Then row has its equals sign", "LBLTarvik_3", "label", "=", 3360, 1800, 375, 375, 18,
        true);
    row("the And word stands left of the second row", "LBLTarvik_4", "label", "And", 480, 1320, 615,
        375, 12, true);
    row("the And row has a taller equals sign", "LBLTarvik_5", "label", "=", 3360, 1320, 375, 495,
        18, true);
    row("the plans caption heads the figures at the left", "LBLTarvik_6", "label",
        "Number Of FlightPlanes", 480, 0, 2175, 255, 8.25, true);
    row("the plans figure starts empty", "LBLTarvik_7", "label", "", 840, 360, 1335, 255, 8.25,
        true);
    row("the aircraft caption heads the middle figure", "LBLTarvik_8", "label",
        "Number Of AirCraft", 3600, 0, 1695, 255, 8.25, true);
    row("the airports caption heads the right figure", "LBLTarvik_9", "label", "Number Of AirPorts",
        6240, 0, 1695, 255, 8.25, true);
    row("the aircraft figure starts empty", "LBLTarvik_10", "label", "", 3720, 360, 1335, 255, 8.25,
        true);
    row("the airports figure starts empty", "LBLTarvik_11", "label", "", 6360, 360, 1335, 255, 8.25,
        true);
    row("OK starts enabled in the run line", "CmdTarvik_0", "button", "OK", 3360, 2280, 2415, 375,
        9.75, true);
    row("the text box spans the window and starts empty", "TxtTarvik", "text", "", 120, 2760, 8655,
        1335, 8.25, false);
    row("Change This One starts disabled", "CmdTarvik_1", "button", "&Change This One", 240, 4320,
        2055, 375, 9.75, true, false);
    row("Skip this one starts disabled", "CmdTarvik_2", "button", "&Skip this one", 2400, 4320,
        2055, 375, 9.75, true, false);
    row("Change The Lot starts disabled", "CmdTarvik_3", "button", "Change The &Lot", 4560, 4320,
        1935, 375, 9.75, true, false);
    row("Cancel starts enabled at the right of the review buttons", "CmdTarvik_4", "button",
        "Cancel", 6600, 4320, 1935, 375, 9.75, true);
    row("the plan-number figure starts empty", "LBLTarvik_12", "label", "", 1560, 2280, 1335, 255,
        8.25, true);
    row("the plan-number caption opens the run line", "LBLTarvik_13", "label", "Plan Number", 360,
        2280, 1215, 255, 8.25, true);
}

void TestWindow::controls() {
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(QRect, pixels);
    QFETCH(double, points);
    QFETCH(bool, bold);
    QFETCH(bool, enabled);

    FakePlatform fp;
    FrmTarvik w(fp.Get());
    QWidget* control = w.findChild<QWidget*>(name);
    QVERIFY2(control, qPrintable(name));
    QCOMPARE(control->parentWidget(), w.centralWidget());
    QCOMPARE(control->geometry(), pixels);
    QCOMPARE(control->isEnabled(), enabled);

    const QFont font = control->font();
    QCOMPARE(font.family(), QString("MS Sans Serif"));
    QCOMPARE(font.pointSizeF(), points);
    QCOMPARE(font.weight(), bold ? QFont::Bold : QFont::Normal);
    QVERIFY(!font.italic() && !font.underline() && !font.strikeOut());

    if (kind == "label") {
        auto* label = qobject_cast<QLabel*>(control);
        QVERIFY(label);
        QCOMPARE(label->text(), text);
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
    } else if (kind == "field") {
        auto* box = qobject_cast<QComboBox*>(control);
        QVERIFY(box && !box->isEditable());
        QCOMPARE(box->currentIndex(), -1);
        QCOMPARE(box->currentText(), text);
    } else if (kind == "value") {
        auto* box = qobject_cast<ValueCombo*>(control);
        QVERIFY(box && box->isEditable());
        QVERIFY(box->IsLocked());
        QCOMPARE(box->count(), 0);
        QCOMPARE(box->Text(), text);
    } else if (kind == "button") {
        auto* button = qobject_cast<QPushButton*>(control);
        QVERIFY(button);
        QCOMPARE(button->text(), text);
    } else {
        auto* box = qobject_cast<QPlainTextEdit*>(control);
        QVERIFY(box);
        QCOMPARE(box->toPlainText(), text);
        QCOMPARE(box->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    }
}

void TestWindow::controlArraysHoldTheNamedControls() {
    FakePlatform fp;
    FrmTarvik w(fp.Get());
    for (int i = 0; i < 6; ++i)
        QCOMPARE(w.CMBTarvik[std::size_t(i)]->objectName(), QStringLiteral("CMBTarvik_%1").arg(i));
    for (int i = 3; i < 6; ++i)
        QCOMPARE(w.ValueBox(i), w.CMBTarvik[std::size_t(i)]);
    for (int i = 0; i < 5; ++i)
        QCOMPARE(w.CmdTarvik[std::size_t(i)]->objectName(), QStringLiteral("CmdTarvik_%1").arg(i));
    for (int i = 0; i < 14; ++i)
        QCOMPARE(w.LBLTarvik[std::size_t(i)]->objectName(), QStringLiteral("LBLTarvik_%1").arg(i));
    QCOMPARE(w.TxtTarvik->objectName(), QString("TxtTarvik"));
    QCOMPARE(w.centralWidget()->findChildren<QLabel*>().size(), 14);
    QCOMPARE(w.centralWidget()->findChildren<QPushButton*>().size(), 5);
}

void TestWindow::clientAreaIsFixedBelowTheMenuBar() {
    auto s = ShowWindow();
    FrmTarvik& w = s->w;
    QCOMPARE(w.windowTitle(), QString("Tarvik"));
    QCOMPARE(w.centralWidget()->geometry(), QRect(0, w.menuBar()->height(), 592, 343));
    QCOMPARE(w.size(), QSize(592, 343 + w.menuBar()->height()));
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QCOMPARE(w.font().family(), QString("MS Sans Serif"));
    QCOMPARE(w.font().pointSizeF(), 8.25);
    QCOMPARE(w.font().weight(), QFont::Normal);
}

void TestWindow::startsIdle() {
    auto s = ShowWindow();
    FrmTarvik& w = s->w;
    QTRY_COMPARE(QApplication::focusWidget(), w.CMBTarvik[0]);
    QVERIFY(w.CmdTarvik[0]->isDefault());
    QVERIFY(!w.testAttribute(Qt::WA_SetCursor));
    QCOMPARE(w.cursor().shape(), Qt::ArrowCursor);
    QVERIFY(!w.IsRunning());
}

void TestWindow::fieldBoxEntries_data() {
    QTest::addColumn<int>("box");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("the If box lists the plan's own fields")
        << 0 << QStringList{"Home AirPort", "AirCraft",         "Percentage",
                            "Aircraft ID",  "Flight Frequency", "IFR_VFR"};
    QTest::newRow("the And box starts with NA and adds the visited airport")
        << 1 << QStringList{"NA",          "Home AirPort",     "AirCraft", "Percentage",
                            "Aircraft ID", "Flight Frequency", "IFR_VFR",  "Visited AirPort"};
    QTest::newRow("the Then box adds the visited airport")
        << 2 << QStringList{"Home AirPort",     "AirCraft", "Percentage",     "Aircraft ID",
                            "Flight Frequency", "IFR_VFR",  "Visited AirPort"};
}

void TestWindow::fieldBoxEntries() {
    QFETCH(int, box);
    QFETCH(QStringList, entries);
    FakePlatform fp;
    FrmTarvik w(fp.Get());
    QComboBox* field = w.CMBTarvik[std::size_t(box)];
    QStringList texts;
    for (int i = 0; i < field->count(); ++i) {
        texts << field->itemText(i);
        QCOMPARE(field->itemData(i).toInt(), 0);
    }
    QCOMPARE(texts, entries);
}

void TestWindow::menu() {
    FakePlatform fp;
    FrmTarvik w(fp.Get());
    const QList<QAction*> bar = w.menuBar()->actions();
    QCOMPARE(bar.size(), 1);
    QCOMPARE(bar[0], w.MnuFiles->menuAction());
    QCOMPARE(w.MnuFiles->title(), QString("&Files"));

    const QList<QAction*> items = w.MnuFiles->actions();
    const QList<QAction*> expected{w.MnuOpen, w.MnuSave, w.MNUDivider, w.MnuExit};
    QCOMPARE(items, expected);
    const QStringList captions{"&Open", "&Save", "______", "E&xit"};
    for (int i = 0; i < items.size(); ++i) {
        QCOMPARE(items[i]->text(), captions[i]);
        QVERIFY(items[i]->isEnabled());
        QVERIFY(items[i]->isVisible());
        QVERIFY(!items[i]->isSeparator());
    }
}

void TestWindow::dividerDoesNothing() {
    auto s = ShowWindow();
    FrmTarvik& w = s->w;
    QSignalSpy ended(&w, &FrmTarvik::ProgramEnded);
    ClickCounter clicks(w);
    const int32_t lastPlan = w.Traffic().LastPlan;
    w.MNUDivider->trigger();
    QCoreApplication::processEvents();
    QVERIFY(w.isVisible());
    QCOMPARE(ended.count(), 0);
    QCOMPARE(clicks.Clicked(), QStringList());
    QCOMPARE(s->fp.Dialog.Log.size(), std::size_t(0));
    QCOMPARE(s->fp.Messages.Log.size(), std::size_t(0));
    QCOMPARE(w.Traffic().LastPlan, lastPlan);
    QVERIFY(!w.Traffic().PlansChanged);
}

void TestWindow::iconIs32PixelsIn16Colours() {
    const QImage icon = DrawTarvikIcon();
    QCOMPARE(icon.size(), QSize(32, 32));
    QSet<QRgb> palette;
    for (QRgb colour : IconPalette())
        palette.insert(colour);
    QCOMPARE(palette.size(), 16);
    QSet<QRgb> used;
    for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < icon.width(); ++x) {
            const QRgb pixel = icon.pixel(x, y);
            QVERIFY2(palette.contains(pixel),
                     qPrintable(QStringLiteral("pixel %1,%2 is #%3")
                                    .arg(x)
                                    .arg(y)
                                    .arg(pixel & 0xffffff, 6, 16, QChar('0'))));
            used.insert(pixel);
        }
    QVERIFY2(used.size() >= 6, "the picture is more than a few blots");

    FakePlatform fp;
    FrmTarvik w(fp.Get());
    QVERIFY(w.windowIcon().availableSizes().contains(QSize(32, 32)));
    QCOMPARE(w.windowIcon().pixmap(QSize(32, 32)).toImage().convertToFormat(icon.format()), icon);
}

void TestWindow::focusCycle_data() {
    QTest::addColumn<bool>("reviewing");
    QTest::addColumn<bool>("backwards");
    QTest::addColumn<QStringList>("stops");

    const QStringList rule{"CMBTarvik_3", "CMBTarvik_1", "CMBTarvik_4", "CMBTarvik_2",
                           "CMBTarvik_5", "CmdTarvik_0", "TxtTarvik"};
    QTest::newRow("Tab passes over the disabled review buttons and comes back to the If box")
        << false << false << rule + QStringList{"CmdTarvik_4", "CMBTarvik_0"};
    QTest::newRow("Tab stops on each enabled review button in order")
        << true << false
        << rule + QStringList{"CmdTarvik_1", "CmdTarvik_2", "CmdTarvik_3", "CmdTarvik_4",
                              "CMBTarvik_0"};
    QStringList back{"CmdTarvik_4", "TxtTarvik",   "CmdTarvik_0", "CMBTarvik_5", "CMBTarvik_2",
                     "CMBTarvik_4", "CMBTarvik_1", "CMBTarvik_3", "CMBTarvik_0"};
    QTest::newRow("Shift+Tab walks the same cycle backwards") << false << true << back;
}

void TestWindow::focusCycle() {
    QFETCH(bool, reviewing);
    QFETCH(bool, backwards);
    QFETCH(QStringList, stops);
    auto s = ShowWindow();
    FrmTarvik& w = s->w;
    for (int i = 1; i <= 3; ++i)
        w.CmdTarvik[std::size_t(i)]->setEnabled(reviewing);
    QTRY_COMPARE(ControlName(QApplication::focusWidget()), QString("CMBTarvik_0"));

    QStringList visited;
    for (qsizetype i = 0; i < stops.size(); ++i) {
        if (backwards)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        else
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << ControlName(QApplication::focusWidget());
    }
    QCOMPARE(visited, stops);
}

void TestWindow::keysPressButtons_data() {
    QTest::addColumn<QString>("focus"); // the control the key is typed into
    QTest::addColumn<QString>("setup"); // "review": review buttons on; "noOk", "noCancel"
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QStringList>("clicked"); // "button:clicks"

    const int none = Qt::NoModifier;
    const int alt = Qt::AltModifier;
    const QStringList ok{"0:1"};
    const QStringList cancel{"4:1"};
    QTest::newRow("Enter in the If field box presses OK")
        << "CMBTarvik_0"
        << "" << int(Qt::Key_Return) << none << ok;
    QTest::newRow("keypad Enter in the If field box presses OK")
        << "CMBTarvik_0"
        << "" << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << ok;
    QTest::newRow("Enter typed into a value box's text part presses OK")
        << "CMBTarvik_5.edit"
        << "" << int(Qt::Key_Return) << none << ok;
    QTest::newRow("Enter in the value box itself presses OK")
        << "CMBTarvik_4"
        << "" << int(Qt::Key_Return) << none << ok;
    QTest::newRow("Enter in the text box presses OK") << "TxtTarvik"
                                                      << "" << int(Qt::Key_Return) << none << ok;
    QTest::newRow("Enter on OK presses OK once") << "CmdTarvik_0"
                                                 << "" << int(Qt::Key_Return) << none << ok;
    QTest::newRow("Enter on Cancel presses Cancel, not OK")
        << "CmdTarvik_4"
        << "" << int(Qt::Key_Return) << none << cancel;
    QTest::newRow("Enter on Change This One presses it")
        << "CmdTarvik_1"
        << "review" << int(Qt::Key_Return) << none << QStringList{"1:1"};
    QTest::newRow("keypad Enter on Skip this one presses it")
        << "CmdTarvik_2"
        << "review" << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << QStringList{"2:1"};
    QTest::newRow("Enter with OK disabled and a box focused presses nothing")
        << "CMBTarvik_3.edit"
        << "noOk" << int(Qt::Key_Return) << none << QStringList();
    QTest::newRow("Enter with OK disabled during a review presses the focused review button")
        << "CmdTarvik_3"
        << "review noOk" << int(Qt::Key_Return) << none << QStringList{"3:1"};
    QTest::newRow("Esc in a field box presses Cancel")
        << "CMBTarvik_1"
        << "" << int(Qt::Key_Escape) << none << cancel;
    QTest::newRow("Esc typed into a value box's text part presses Cancel")
        << "CMBTarvik_3.edit"
        << "" << int(Qt::Key_Escape) << none << cancel;
    QTest::newRow("Esc on a focused review button presses Cancel, not the review button")
        << "CmdTarvik_1"
        << "review" << int(Qt::Key_Escape) << none << cancel;
    QTest::newRow("Esc on OK presses Cancel") << "CmdTarvik_0"
                                              << "" << int(Qt::Key_Escape) << none << cancel;
    QTest::newRow("Esc with Cancel disabled presses nothing")
        << "CMBTarvik_0"
        << "noCancel" << int(Qt::Key_Escape) << none << QStringList();
    QTest::newRow("Alt+C presses Change This One during a review")
        << "CMBTarvik_0"
        << "review" << int(Qt::Key_C) << alt << QStringList{"1:1"};
    QTest::newRow("Alt+S presses Skip this one from the text box")
        << "TxtTarvik"
        << "review" << int(Qt::Key_S) << alt << QStringList{"2:1"};
    QTest::newRow("Alt+L presses Change The Lot from a value box's text part")
        << "CMBTarvik_5.edit"
        << "review" << int(Qt::Key_L) << alt << QStringList{"3:1"};
    QTest::newRow("Alt+L with Change This One focused presses Change The Lot")
        << "CmdTarvik_1"
        << "review" << int(Qt::Key_L) << alt << QStringList{"3:1"};
    QTest::newRow("Alt+C does nothing while the review buttons are disabled")
        << "CMBTarvik_0"
        << "" << int(Qt::Key_C) << alt << QStringList();
    QTest::newRow("Alt+S does nothing while the review buttons are disabled")
        << "CmdTarvik_0"
        << "" << int(Qt::Key_S) << alt << QStringList();
    QTest::newRow("Alt+L does nothing while the review buttons are disabled")
        << "TxtTarvik"
        << "" << int(Qt::Key_L) << alt << QStringList();
    QTest::newRow("a plain letter presses nothing")
        << "CmdTarvik_1"
        << "review" << int(Qt::Key_C) << none << QStringList();
}

void TestWindow::keysPressButtons() {
    QFETCH(QString, focus);
    QFETCH(QString, setup);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QStringList, clicked);

    auto s = ShowWindow();
    FrmTarvik& w = s->w;
    const bool reviewing = setup.contains("review");
    for (int i = 1; i <= 3; ++i)
        w.CmdTarvik[std::size_t(i)]->setEnabled(reviewing);
    if (setup.contains("noOk"))
        w.CmdTarvik[0]->setEnabled(false);
    if (setup.contains("noCancel"))
        w.CmdTarvik[4]->setEnabled(false);

    QWidget* target = WidgetNamed(w, focus);
    QVERIFY2(target, qPrintable(focus));
    target->setFocus();
    QTRY_COMPARE(ControlName(QApplication::focusWidget()), ControlName(target));

    ClickCounter clicks(w);
    QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(clicks.Clicked(), clicked);
}

void TestWindow::enterInValueBoxAddsNoEntry() {
    auto s = ShowWindow();
    FrmTarvik& w = s->w;
    ValueCombo* box = w.ValueBox(4);
    box->SetLocked(false);
    box->setFocus();
    QTRY_COMPARE(ControlName(QApplication::focusWidget()), QString("CMBTarvik_4"));
    QTest::keyClicks(box->lineEdit(), "KLAX");
    ClickCounter clicks(w);
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    QCOMPARE(clicks.Clicked(), QStringList{"0:1"});
    QCOMPARE(box->count(), 0);
    QCOMPARE(box->Text(), QString("KLAX"));
}

void TestWindow::openListKeepsItsKeys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("picked");
    QTest::newRow("Enter in an open list picks the entry and presses no button")
        << int(Qt::Key_Return) << 1;
    QTest::newRow("Esc in an open list closes it and presses no button")
        << int(Qt::Key_Escape) << -1;
}

void TestWindow::openListKeepsItsKeys() {
    QFETCH(int, key);
    QFETCH(int, picked);
    auto s = ShowWindow();
    FrmTarvik& w = s->w;
    QComboBox* field = w.CMBTarvik[0];
    field->setFocus();
    field->showPopup();
    QTRY_VERIFY(QApplication::activePopupWidget());
    field->view()->setCurrentIndex(field->model()->index(1, 0));

    ClickCounter clicks(w);
    QTest::keyClick(field->view(), Qt::Key(key));
    QTRY_VERIFY(!QApplication::activePopupWidget());
    QCOMPARE(clicks.Clicked(), QStringList());
    QCOMPARE(field->currentIndex(), picked);
}

void TestWindow::keysOfOtherWindowsAreTheirs() {
    auto s = ShowWindow();
    FrmTarvik& w = s->w;
    QLineEdit other;
    other.show();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QSignalSpy returned(&other, &QLineEdit::returnPressed);
    ClickCounter clicks(w);
    QTest::keyClick(&other, Qt::Key_Return);
    QTest::keyClick(&other, Qt::Key_Escape);
    QCOMPARE(returned.count(), 1);
    QCOMPARE(clicks.Clicked(), QStringList());
}

void TestWindow::centerPosition_data() {
    QTest::addColumn<double>("screenWidth");
    QTest::addColumn<double>("screenHeight");
    QTest::addColumn<double>("windowWidth");
    QTest::addColumn<double>("windowHeight");
    QTest::addColumn<long>("left");
    QTest::addColumn<long>("top");

    QTest::newRow("a 1024 x 768 screen centres the window across and above the middle")
        << 15360.0 << 11520.0 << 9000.0 << 6105.0 << 3180L << 1844L;
    QTest::newRow("a screen shorter than the window over 0.85 puts the top above the screen")
        << 15360.0 << 6000.0 << 9000.0 << 6105.0 << 3180L << -502L;
    QTest::newRow("a screen narrower than the window puts the left edge off the screen")
        << 6000.0 << 11520.0 << 9000.0 << 6105.0 << -1500L << 1844L;
    QTest::newRow("each half is truncated before the subtraction")
        << 15360.0 << 11520.0 << 9015.0 << 6105.0 << 3173L << 1844L;
    QTest::newRow("85 % of the screen height is rounded before it is halved")
        << 15360.0 << 11536.0 << 9000.0 << 6105.0 << 3180L << 1851L;
    QTest::newRow("fractional sizes are rounded to the nearest twip")
        << 15361.6 << 11520.0 << 9000.0 << 6105.6 << 3181L << 1843L;
    QTest::newRow("a window as large as the screen sits at the top left and above")
        << 15360.0 << 11520.0 << 15360.0 << 11520.0 << 0L << -864L;
}

void TestWindow::centerPosition() {
    QFETCH(double, screenWidth);
    QFETCH(double, screenHeight);
    QFETCH(double, windowWidth);
    QFETCH(double, windowHeight);
    QFETCH(long, left);
    QFETCH(long, top);
    const Placement at = CenterPosition(screenWidth, screenHeight, windowWidth, windowHeight);
    QCOMPARE(at.Left, left);
    QCOMPARE(at.Top, top);
}

void TestWindow::centerAndShowPlacesTheFrame_data() {
    QTest::addColumn<QSize>("inner");
    QTest::newRow("a small window sits centred across, above the middle") << QSize(300, 200);
    QTest::newRow("a window taller than the screen is not pulled back onto it") << QSize(200, 4000);
    QTest::newRow("a window wider than the screen is not pulled back onto it") << QSize(4000, 100);
}

void TestWindow::centerAndShowPlacesTheFrame() {
    QFETCH(QSize, inner);
    QWidget window;
    window.setFixedSize(inner);
    CenterAndShow(window);
    QVERIFY(window.isVisible());

    const QRect screen = window.screen()->geometry();
    const QRect frame = window.frameGeometry();
    const Placement at = CenterPosition(screen.width() * 15.0, screen.height() * 15.0,
                                        frame.width() * 15.0, frame.height() * 15.0);
    const QPoint expected(screen.left() + qRound(at.Left / 15.0),
                          screen.top() + qRound(at.Top / 15.0));
    QTRY_COMPARE(window.frameGeometry().topLeft(), expected);
}

void TestWindow::formLoadShowsTheWindowAsBuilt() {
    FakePlatform fp;
    FrmTarvik w(fp.Get());
    w.Form_Load();
    QVERIFY(w.isVisible());
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTRY_COMPARE(QApplication::focusWidget(), w.CMBTarvik[0]);

    const QRect screen = w.screen()->geometry();
    const QRect frame = w.frameGeometry();
    const Placement at = CenterPosition(screen.width() * 15.0, screen.height() * 15.0,
                                        frame.width() * 15.0, frame.height() * 15.0);
    QCOMPARE(frame.topLeft(),
             QPoint(screen.left() + qRound(at.Left / 15.0), screen.top() + qRound(at.Top / 15.0)));
    QCOMPARE(w.ValueBox(3)->Text(), QString("CMBTarvik"));
    QCOMPARE(w.ValueBox(4)->Text(), QString());
    QVERIFY(w.ValueBox(5)->IsLocked());
    QCOMPARE(w.CMBTarvik[1]->currentIndex(), -1);
    QCOMPARE(w.LBLTarvik[7]->text(), QString());
    QVERIFY(fp.Dialog.Log.empty());
    QVERIFY(fp.Messages.Log.empty());
}

QTEST_MAIN(TestWindow)
#include "TestWindow.moc"
