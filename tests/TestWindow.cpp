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
#include <vector>

using namespace tarvik;
using tarvik::testing::FakePlatform;

namespace {

bool ShowActive(QWidget& window) {
    window.show();
    return QTest::qWaitForWindowActive(&window);
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

// The member of the control arrays that name stands for ("LBLTarvik_3" is LBLTarvik[3]).
QWidget* ArrayMember(const FrmTarvik& w, const QString& name) {
    const auto i = std::size_t(name.section('_', 1).toInt());
    if (name.startsWith("LBL"))
        return w.LBLTarvik.at(i);
    if (name.startsWith("Cmd"))
        return w.CmdTarvik.at(i);
    if (name.startsWith("CMB"))
        return w.CMBTarvik.at(i);
    return w.TxtTarvik;
}

struct Control {
    const char* Name;
    QString Text; // for a field box, its entries joined by "|"
    QRect Twips;
    double Points;
    bool Enabled = true;
};

} // namespace

class TestWindow : public QObject {
    Q_OBJECT

private slots:
    void controls_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QRect>("twips");
        QTest::addColumn<double>("points");
        QTest::addColumn<bool>("enabled");
        const QString fields = "Home AirPort|AirCraft|Percentage|Aircraft ID|Flight Frequency|"
                               "IFR_VFR";
        const Control table[] = {
            {"LBLTarvik_0", "If", {600, 840, 615, 255}, 12},
            {"CMBTarvik_0", fields, {1080, 840, 2055, 315}, 8.25},
            {"CMBTarvik_3", "CMBTarvik", {4080, 840, 4215, 315}, 8.25},
            {"CMBTarvik_1", "NA|" + fields + "|Visited AirPort", {1080, 1320, 2055, 315}, 8.25},
            {"CMBTarvik_4", "", {4080, 1320, 4215, 315}, 8.25},
            {"CMBTarvik_2", fields + "|Visited AirPort", {1080, 1800, 2055, 315}, 8.25},
            {"CMBTarvik_5", "CMBTarvik", {4080, 1800, 4215, 315}, 8.25},
            {"LBLTarvik_1", "Then", {360, 1800, 735, 255}, 12},
            {"LBLTarvik_2", "=", {3360, 840, 375, 375}, 18},
            {"LBLTarvik_3", "=", {3360, 1800, 375, 375}, 18},
            {"LBLTarvik_4", "And", {480, 1320, 615, 375}, 12},
            {"LBLTarvik_5", "=", {3360, 1320, 375, 495}, 18},
            {"LBLTarvik_6", "Number Of FlightPlanes", {480, 0, 2175, 255}, 8.25},
            {"LBLTarvik_7", "", {840, 360, 1335, 255}, 8.25},
            {"LBLTarvik_8", "Number Of AirCraft", {3600, 0, 1695, 255}, 8.25},
            {"LBLTarvik_9", "Number Of AirPorts", {6240, 0, 1695, 255}, 8.25},
            {"LBLTarvik_10", "", {3720, 360, 1335, 255}, 8.25},
            {"LBLTarvik_11", "", {6360, 360, 1335, 255}, 8.25},
            {"CmdTarvik_0", "OK", {3360, 2280, 2415, 375}, 9.75},
            {"TxtTarvik", "", {120, 2760, 8655, 1335}, 8.25},
            {"CmdTarvik_1", "&Change This One", {240, 4320, 2055, 375}, 9.75, false},
            {"CmdTarvik_2", "&Skip this one", {2400, 4320, 2055, 375}, 9.75, false},
            {"CmdTarvik_3", "Change The &Lot", {4560, 4320, 1935, 375}, 9.75, false},
            {"CmdTarvik_4", "Cancel", {6600, 4320, 1935, 375}, 9.75},
            {"LBLTarvik_12", "", {1560, 2280, 1335, 255}, 8.25},
            {"LBLTarvik_13", "Plan Number", {360, 2280, 1215, 255}, 8.25},
        };
        for (const Control& c : table)
            QTest::newRow(qPrintable(QString("%1 starts as \"%2\"").arg(c.Name, c.Text)))
                << QString(c.Name) << c.Text << c.Twips << c.Points << c.Enabled;
    }

    void controls() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QRect, twips);
        QFETCH(double, points);
        QFETCH(bool, enabled);
        FakePlatform fp;
        FrmTarvik w(fp.Get());
        QWidget* control = w.findChild<QWidget*>(name);
        QVERIFY2(control && control->parentWidget() == w.centralWidget(), qPrintable(name));
        QCOMPARE(ArrayMember(w, name), control);
        QCOMPARE(control->geometry(),
                 QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
        QCOMPARE(control->isEnabled(), enabled);
        const QFont font = control->font();
        const bool bold = name.startsWith("LBL") || name.startsWith("Cmd");
        QCOMPARE(font.family(), QString("MS Sans Serif"));
        QCOMPARE(font.pointSizeF(), points);
        QCOMPARE(font.weight(), bold ? QFont::Bold : QFont::Normal);
        QVERIFY(!font.italic() && !font.underline() && !font.strikeOut());

        if (auto* label = qobject_cast<QLabel*>(control)) {
            QCOMPARE(label->text(), text);
            QCOMPARE(label->focusPolicy(), Qt::NoFocus);
        } else if (auto* button = qobject_cast<QPushButton*>(control)) {
            QCOMPARE(button->text(), text);
        } else if (auto* value = qobject_cast<ValueCombo*>(control)) {
            QVERIFY(value->IsLocked() && value->count() == 0);
            QCOMPARE(value->Text(), text);
        } else if (auto* field = qobject_cast<QComboBox*>(control)) {
            QVERIFY(!field->isEditable() && field->currentIndex() == -1);
            QStringList entries;
            for (int i = 0; i < field->count(); ++i)
                entries << field->itemText(i);
            QCOMPARE(entries.join('|'), text);
        } else {
            auto* box = qobject_cast<QPlainTextEdit*>(control);
            QVERIFY(box && box->lineWrapMode() == QPlainTextEdit::WidgetWidth);
            QCOMPARE(box->toPlainText(), text);
        }
    }

    void windowIsFixedWithOneMenu() {
        FakePlatform fp;
        FrmTarvik w(fp.Get());
        QVERIFY(ShowActive(w));
        QCOMPARE(w.windowTitle(), QString("Tarvik"));
        QCOMPARE(w.centralWidget()->geometry(), QRect(0, w.menuBar()->height(), 592, 343));
        QCOMPARE(w.minimumSize(), w.maximumSize());
        QVERIFY(w.CmdTarvik[0]->isDefault());
        QVERIFY(!w.testAttribute(Qt::WA_SetCursor));

        QCOMPARE(w.menuBar()->actions(), QList<QAction*>{w.MnuFiles->menuAction()});
        QCOMPARE(w.MnuFiles->title(), QString("&Files"));
        const QList<QAction*> items{w.MnuOpen, w.MnuSave, w.MNUDivider, w.MnuExit};
        QCOMPARE(w.MnuFiles->actions(), items);
        QStringList captions;
        for (QAction* item : items) {
            captions << item->text();
            QVERIFY(item->isEnabled() && item->isVisible() && !item->isSeparator());
        }
        QCOMPARE(captions, QStringList({"&Open", "&Save", "______", "E&xit"}));
    }

    void iconIs32PixelsIn16Colours() {
        const QImage icon = DrawTarvikIcon();
        QCOMPARE(icon.size(), QSize(32, 32));
        const QSet<QRgb> palette(IconPalette().begin(), IconPalette().end());
        QCOMPARE(palette.size(), 16);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                QVERIFY2(palette.contains(icon.pixel(x, y)),
                         qPrintable(QString::number(y * 32 + x)));
        FakePlatform fp;
        FrmTarvik w(fp.Get());
        QVERIFY(w.windowIcon().availableSizes().contains(QSize(32, 32)));
        QCOMPARE(w.windowIcon().pixmap(QSize(32, 32)).toImage().convertToFormat(icon.format()),
                 icon);
    }

    void focusCycle_data() {
        QTest::addColumn<bool>("reviewing");
        QTest::addColumn<QStringList>("stops");
        const QStringList rule{"CMBTarvik_3", "CMBTarvik_1", "CMBTarvik_4", "CMBTarvik_2",
                               "CMBTarvik_5", "CmdTarvik_0", "TxtTarvik"};
        QTest::newRow("Tab passes over the disabled review buttons and comes back to the If box")
            << false << rule + QStringList{"CmdTarvik_4", "CMBTarvik_0"};
        QTest::newRow("Tab stops on each enabled review button in order")
            << true
            << rule + QStringList{"CmdTarvik_1", "CmdTarvik_2", "CmdTarvik_3", "CmdTarvik_4",
                                  "CMBTarvik_0"};
    }

    // The cycle starts where start-up leaves the focus: on the If field box.
    void focusCycle() {
        QFETCH(bool, reviewing);
        QFETCH(QStringList, stops);
        FakePlatform fp;
        FrmTarvik w(fp.Get());
        QVERIFY(ShowActive(w));
        for (std::size_t i = 1; i <= 3; ++i)
            w.CmdTarvik[i]->setEnabled(reviewing);
        QTRY_COMPARE(ControlName(QApplication::focusWidget()), QString("CMBTarvik_0"));
        QStringList visited;
        for (qsizetype i = 0; i < stops.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << ControlName(QApplication::focusWidget());
        }
        QCOMPARE(visited, stops);
    }

    void keysPressButtons_data() {
        QTest::addColumn<QString>("focus"); // a control, "list" (the If list open) or "other"
        QTest::addColumn<QString>("setup"); // "review": review buttons on; "noOk", "noCancel"
        QTest::addColumn<int>("keys");
        QTest::addColumn<int>("pressed"); // the one button clicked once, -1 for none
        auto row = [](const char* sentence, const char* focus, const char* setup,
                      QKeyCombination keys, int pressed) {
            QTest::newRow(sentence)
                << QString(focus) << QString(setup) << keys.toCombined() << pressed;
        };
        const auto enter = Qt::Key_Return;
        const auto esc = Qt::Key_Escape;
        row("Enter in the If field box presses OK", "CMBTarvik_0", "", enter, 0);
        row("keypad Enter typed into a value box's text part presses OK", "CMBTarvik_5.edit", "",
            Qt::KeypadModifier | Qt::Key_Enter, 0);
        row("Enter on Cancel presses Cancel, not OK", "CmdTarvik_4", "", enter, 4);
        row("Enter with OK disabled presses the focused review button", "CmdTarvik_3",
            "review noOk", enter, 3);
        row("Enter with OK disabled and a box focused presses nothing", "CMBTarvik_3.edit", "noOk",
            enter, -1);
        row("Esc typed into a value box's text part presses Cancel", "CMBTarvik_3.edit", "", esc,
            4);
        row("Esc on a focused review button presses Cancel", "CmdTarvik_1", "review", esc, 4);
        row("Esc with Cancel disabled presses nothing", "CMBTarvik_0", "noCancel", esc, -1);
        row("Alt+L presses Change The Lot from a value box's text part", "CMBTarvik_5.edit",
            "review", Qt::AltModifier | Qt::Key_L, 3);
        row("Alt+C does nothing while the review buttons are disabled", "CMBTarvik_0", "",
            Qt::AltModifier | Qt::Key_C, -1);
        row("Enter in an open list is the list's and presses no button", "list", "", enter, -1);
        row("Enter in another window presses no button", "other", "", enter, -1);
    }

    void keysPressButtons() {
        QFETCH(QString, focus);
        QFETCH(QString, setup);
        QFETCH(int, keys);
        QFETCH(int, pressed);
        FakePlatform fp;
        FrmTarvik w(fp.Get());
        QVERIFY(ShowActive(w));
        for (std::size_t i = 1; i <= 3; ++i)
            w.CmdTarvik[i]->setEnabled(setup.contains("review"));
        w.CmdTarvik[0]->setEnabled(!setup.contains("noOk"));
        w.CmdTarvik[4]->setEnabled(!setup.contains("noCancel"));

        QLineEdit other;
        QWidget* target = &other;
        if (focus == "other") {
            QVERIFY(ShowActive(other));
        } else if (focus == "list") {
            w.CMBTarvik[0]->showPopup();
            QTRY_VERIFY(QApplication::activePopupWidget());
            target = w.CMBTarvik[0]->view();
        } else {
            target = focus.endsWith(".edit") ? w.ValueBox(focus.mid(10, 1).toInt())->lineEdit()
                                             : w.findChild<QWidget*>(focus);
            target->setFocus();
            QTRY_COMPARE(ControlName(QApplication::focusWidget()), ControlName(target));
        }
        std::vector<std::unique_ptr<QSignalSpy>> clicks;
        for (QPushButton* button : w.CmdTarvik)
            clicks.push_back(std::make_unique<QSignalSpy>(button, &QPushButton::clicked));
        const auto combined = QKeyCombination::fromCombined(keys);
        QTest::keyClick(target, combined.key(), combined.keyboardModifiers());
        for (std::size_t i = 0; i < clicks.size(); ++i)
            QCOMPARE(clicks[i]->count(), int(i) == pressed ? 1 : 0);
    }

    void centerPosition_data() {
        QTest::addColumn<QSizeF>("screen");
        QTest::addColumn<QSizeF>("window");
        QTest::addColumn<QPoint>("leftTop");
        QTest::newRow("a 1024 x 768 screen centres the window across and above the middle")
            << QSizeF(15360, 11520) << QSizeF(9000, 6105) << QPoint(3180, 1844);
        QTest::newRow("a screen shorter than the window over 0.85 puts the top above the screen")
            << QSizeF(15360, 6000) << QSizeF(9000, 6105) << QPoint(3180, -502);
        QTest::newRow("a screen narrower than the window puts the left edge off the screen")
            << QSizeF(6000, 11520) << QSizeF(9000, 6105) << QPoint(-1500, 1844);
        QTest::newRow("each half is truncated before the subtraction")
            << QSizeF(15360, 11520) << QSizeF(9015, 6105) << QPoint(3173, 1844);
        QTest::newRow("85 % of the screen height is rounded before it is halved")
            << QSizeF(15360, 11536) << QSizeF(9000, 6105) << QPoint(3180, 1851);
        QTest::newRow("fractional sizes are rounded to the nearest twip")
            << QSizeF(15361.6, 11520) << QSizeF(9000, 6105.6) << QPoint(3181, 1843);
    }

    void centerPosition() {
        QFETCH(QSizeF, screen);
        QFETCH(QSizeF, window);
        QFETCH(QPoint, leftTop);
        const Placement at =
            CenterPosition(screen.width(), screen.height(), window.width(), window.height());
        QCOMPARE(QPoint(int(at.Left), int(at.Top)), leftTop);
    }

    void centerAndShowPlacesTheFrame_data() {
        QTest::addColumn<QSize>("inner"); // invalid: the program's own window, by Form_Load
        QTest::newRow("Form_Load shows the window centred across, above the middle") << QSize();
        QTest::newRow("a window taller than the screen is not pulled onto it") << QSize(200, 4000);
        QTest::newRow("a window wider than the screen is not pulled onto it") << QSize(4000, 100);
    }

    void centerAndShowPlacesTheFrame() {
        QFETCH(QSize, inner);
        FakePlatform fp;
        FrmTarvik w(fp.Get());
        QWidget plain;
        QWidget* window = &w;
        if (inner.isValid()) {
            plain.setFixedSize(inner);
            CenterAndShow(plain);
            window = &plain;
        } else {
            w.Form_Load();
        }
        QVERIFY(window->isVisible());
        const QRect screen = window->screen()->geometry();
        const QRect frame = window->frameGeometry();
        const Placement at = CenterPosition(screen.width() * 15.0, screen.height() * 15.0,
                                            frame.width() * 15.0, frame.height() * 15.0);
        QTRY_COMPARE(window->frameGeometry().topLeft(),
                     screen.topLeft() + QPoint(qRound(at.Left / 15.0), qRound(at.Top / 15.0)));
    }
};

QTEST_MAIN(TestWindow)
#include "TestWindow.moc"
