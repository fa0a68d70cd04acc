// The window as the user meets it: opening, saving and ending without losing a change, the rule
// rows holding typed values to their fields, the keys that press its buttons, and rule runs with
// their reviews, ended or saved in the middle.

#include "run/RuleChecks.h"
#include "support/Rows.h"
#include "support/System.h"
#include "support/Traffic.h"
#include "support/Window.h"
#include "window/CheckSetList.h"
#include "window/Texts.h"
#include "window/ValueCombo.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

using namespace tarvik;
using namespace tarvik::testing;

namespace {

// The window on the screen with the run set open and the rule If "Home AirPort" "" (every plan),
// And "NA", Then "Aircraft ID" ZZ1.
std::unique_ptr<Window> RunWindow() {
    auto win = std::make_unique<Window>();
    if (win->Show())
        win->OpenCopy("run");
    win->SetRow(0, "0:");
    win->SetRow(1, "0:");
    win->SetRow(2, "3:ZZ1");
    return win;
}

// An action of the user: a button ("change", "skip", "lot", "cancel"), a key ("Alt+C", "Return",
// "Esc") typed into the control that has the focus, a command of the Files menu ("exit", "save")
// or the window's close box ("close").
std::function<void()> Act(Window& win, const QByteArray& action) {
    const QByteArrayList buttons{"", "change", "skip", "lot", "cancel"};
    if (buttons.contains(action))
        return win.Press(int(buttons.indexOf(action)));
    return [&win, action] {
        if (action == "exit" || action == "save")
            (action == "exit" ? win.W.MnuExit : win.W.MnuSave)->trigger();
        else if (action == "close")
            win.W.close();
        else
            QTest::keySequence(QApplication::focusWidget(), QKeySequence(QString(action)));
    };
}

// Plan numbers, or identifiers, parted by blanks; "none" for none.
QByteArray Joined(const QByteArrayList& items) {
    return items.isEmpty() ? QByteArray("none") : items.join(' ');
}
QByteArray Joined(const QList<int>& plans) {
    QByteArrayList numbers;
    for (const int plan : plans)
        numbers << QByteArray::number(plan);
    return Joined(numbers);
}

const QByteArray Unchanged = "N100 N101 N102 N103 N104 N105";

// The aircraft identifiers in a saved file, or in the window.
QByteArray Tails(const QByteArray& saved) {
    QByteArrayList tails;
    for (const QByteArray& line : saved.split('\n'))
        if (line.contains(','))
            tails << line.split(',').value(1);
    return Joined(tails);
}
} // namespace

class TestWindow : public QObject {
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale::c()); }

    // The dialog starts in the remembered folder; the doubtful lines are shown in file order, a
    // long one by its start; the figures are shown and the rows rebuilt from the set.
    void openShowsTheSetAndItsDoubtfulLines() {
        Window win;
        win.W.MnuSave->trigger();
        QVERIFY(win.Oops() == QStringList{texts::NothingToSave} && win.Fake.Dialog.Log.empty());
        win.Fake.Messages.Log.clear();
        win.Fake.Settings.Values["PlansPath/Folder"] = "/somewhere/traffic";
        win.OpenCopy("files");
        const FakeDialog::Shown& shown = win.Fake.Dialog.Log.at(0);
        QVERIFY(shown.Open && shown.CancelError && shown.InitDir == "/somewhere/traffic");
        QCOMPARE(shown.Filter,
                 "(Flightplans.txt)|FlightPlans.txt|(FlightPlans_*.txt)|FlightPlans_*.txt");
        const QString problem = "There may be a problem in Line number";
        QCOMPARE(win.Oops(), (QStringList{problem + "5\nBadLineWithoutComma" + QString(1981, 'x') +
                                              "...\n(1000 more characters)",
                                          problem + "7\n   ",
                                          problem + "8\nAC#2,N303CC,10%,Day,IFR,X2,KLAXX"}));
        QCOMPARE(win.Figures(), (QStringList{"3", "5", "4"}));
        QCOMPARE(QList<int>({win.W.CMBTarvik[FrmTarvik::IfFieldBox]->currentIndex(),
                             win.W.CMBTarvik[FrmTarvik::AndFieldBox]->currentIndex(),
                             win.W.CMBTarvik[FrmTarvik::ThenFieldBox]->currentIndex()}),
                 QList<int>({0, 2, 3}));
        QVERIFY(win.W.ValueBox(3)->count() == 4 && win.W.ValueBox(3)->Text() == "KSFO");
        QVERIFY(win.W.ValueBox(4)->count() == 5 && win.W.ValueBox(4)->ItemDataAt(3) == 3);
        QVERIFY(win.Idle());
    }

    // Files, Check Set lists the open set's problems as the command line writes them; choosing the
    // row of a plan shows its line, and Copy copies the rows in the order shown.
    void checkSetListsWhatTheCompilerWouldTripOn() {
        Window win;
        QVERIFY(QDir().mkpath(win.Path("check")));
        const QString plans = CopySet("cli/check", win.Path("check"));
        win.Open(plans);
        QString shown, copied;
        int rows = 0;
        QTimer::singleShot(0, [&] {
            auto* list = qobject_cast<CheckSetList*>(QApplication::activeModalWidget());
            QVERIFY(list);
            rows = list->Rows->topLevelItemCount();
            list->Rows->sortByColumn(1, Qt::DescendingOrder); // by line
            for (int i = 0; i < rows; ++i)
                if (list->Rows->topLevelItem(i)->text(3) == "unknown-aircraft")
                    list->Rows->setCurrentItem(list->Rows->topLevelItem(i));
            shown = win.W.TxtTarvik->toPlainText();
            list->findChild<QPushButton*>("CheckSetCopy")->click();
            copied = QApplication::clipboard()->text();
            list->reject();
        });
        win.W.MnuCheck->trigger();
        QCOMPARE(rows, 10);
        QCOMPARE(shown, "AC#9,N2,50%,24Hr,IFR,06:00,07:00,100,F,1,KSFO,08:00,09:00,100,F,2,KLAX");
        const QStringList lines = copied.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 10);
        QCOMPARE(lines.first(), plans +
                                    ":8: error: There may be a problem in this line: not a plan "
                                    "[doubtful-line]");
        QVERIFY(lines.contains(win.Path("check/Aircraft.txt") +
                               ":3: warning: aircraft number 1 is listed before, at line 1 "
                               "[duplicate-aircraft-number]"));
        QVERIFY(!win.W.Traffic().PlansChanged);
    }

    // The real dialog: Open starts in the remembered folder, not in that of the last file chosen;
    // Save proposes that file in its own folder.
    void theDialogStartsWhereItShould() {
        QTemporaryDir remembered, chosen;
        DlgAIc dialog;
        dialog.InitDir = remembered.path();
        dialog.FileName = chosen.filePath("FlightPlans.txt");
        for (const bool open : {true, false}) {
            QString seen;
            QTimer::singleShot(0, [&seen] {
                auto* shown = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                seen = shown ? shown->directory().absolutePath() : "no dialog";
                if (shown)
                    shown->reject();
            });
            QVERIFY(open ? dialog.ShowOpen(nullptr) : dialog.ShowSave(nullptr));
            QCOMPARE(seen, open ? remembered.path() : chosen.path());
        }
    }

    // The real boxes: Esc is a dismissal, not a "No"; Return takes the default.
    void boxesTellADismissalFromAButton_data() {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<QString>("key"); // or the text of the button pressed
        QTest::addColumn<int>("answer");
        QTest::newRow("Esc on a question")
            << int(Buttons::YesNo) << "Esc" << int(Answer::Dismissed);
        QTest::newRow("Esc on a report") << int(Buttons::OkStop) << "Esc" << int(Answer::Dismissed);
        QTest::newRow("Show No More")
            << int(Buttons::OkStop) << "Show &No More" << int(Answer::Stop);
        QTest::newRow("Return: Yes") << int(Buttons::YesNo) << "Return" << int(Answer::Yes);
        QTest::newRow("Return: No") << int(Buttons::NoYes) << "Return" << int(Answer::No);
    }
    void boxesTellADismissalFromAButton() {
        QFETCH(int, buttons);
        QFETCH(QString, key);
        QTimer::singleShot(0, [key] {
            QWidget* box = QApplication::activeModalWidget();
            QVERIFY(box);
            if (key.startsWith("Show"))
                for (QPushButton* button : box->findChildren<QPushButton*>())
                    if (button->text() == key)
                        button->click();
            if (!key.startsWith("Show"))
                QTest::keyClick(box, key == "Esc" ? Qt::Key_Escape : Qt::Key_Return);
        });
        MessageBoxes boxes;
        QTEST(int(boxes.Show(nullptr, "text", "WARNING", Buttons(buttons))), "answer");
    }

    void aFloodOfReportsStopsInOneStep_data() {
        QTest::addColumn<int>("stopAt"); // the box answered Stop or dismissed; 0 for none
        QTest::addColumn<int>("answer");
        QTest::newRow("OK on every box") << 0 << int(Answer::Ok);
        QTest::newRow("Esc on the first box") << 1 << int(Answer::Dismissed);
        QTest::newRow("Show No More on the second box") << 2 << int(Answer::Stop);
    }
    // Each doubtful line has its box until one stops them; one more box counts the lines not
    // shown, which are written back unchanged.
    void aFloodOfReportsStopsInOneStep() {
        QFETCH(int, stopAt);
        QFETCH(int, answer);
        Window win;
        const QString file = CopySet("run", win.Path("run"));
        const QByteArray junk = QByteArray("junk\r\n").repeated(5);
        QVERIFY(WriteFile(file, junk));
        win.Fake.Messages.Script = [&win, stopAt, answer](const FakeMessages::Shown&) {
            return int(win.Fake.Messages.Log.size()) == stopAt ? std::optional(Answer(answer))
                                                               : std::nullopt;
        };
        win.Open(file);
        const QStringList oops = win.Oops();
        QCOMPARE(oops.size(), stopAt ? stopAt + 1 : 5);
        QVERIFY(win.Fake.Messages.Log.at(0).Kind == Buttons::Ok &&
                win.Fake.Messages.Log.at(1).Kind == (stopAt == 1 ? Buttons::Ok : Buttons::OkStop));
        QCOMPARE(oops.last(), stopAt ? texts::ReportsNotShown(5 - stopAt) : oops.value(4));
        win.Fake.Dialog.Answers.push_back(win.Path("Saved.txt"));
        win.W.MnuSave->trigger();
        QCOMPARE(ReadAll(win.Path("Saved.txt")), junk);
    }

    void saveAsksBeforeOverwritingAFileChangedByAnother_data() {
        QTest::addColumn<bool>("meddled"); // another program wrote the file after the Open
        QTest::addColumn<int>("answer");
        QTest::newRow("nobody else wrote it: no question") << false << int(Answer::Yes);
        QTest::newRow("No keeps the other program's file") << true << int(Answer::No);
        QTest::newRow("a dismissed question keeps it too") << true << int(Answer::Dismissed);
        QTest::newRow("Yes overwrites it") << true << int(Answer::Yes);
    }
    void saveAsksBeforeOverwritingAFileChangedByAnother() {
        QFETCH(bool, meddled);
        QFETCH(int, answer);
        Window win;
        win.OpenCopy("run");
        const QString file = win.Path("run/FlightPlans.txt");
        if (meddled)
            QVERIFY(WriteFile(file, "// written by another program\r\n"));
        win.W.Traffic().PlansChanged = true;
        win.Fake.Messages.Answers = {Answer(answer), Answer(answer)};
        for (int save = 0; save < 2; ++save) { // the second save is of the file the first wrote
            win.Fake.Dialog.Answers.push_back(file);
            win.W.MnuSave->trigger();
        }
        const bool overwrite = !meddled || answer == int(Answer::Yes);
        QCOMPARE(ReadAll(file).startsWith("// written"), !overwrite);
        QCOMPARE(win.Fake.Messages.Log.size(), std::size_t(meddled) * (overwrite ? 1 : 2));
        QVERIFY(!meddled || (win.Fake.Messages.Log[0].Text == texts::ChangedByOthers(file) &&
                             win.Fake.Messages.Log[0].Kind == Buttons::NoYes));
    }

    // What was read stays, and no field is picked; Save remembers the folder of the set it saves.
    void openThatStops_data() { AddRows("open-that-stops.txt"); }
    void openThatStops() {
        QFETCH(QByteArray, input);
        const QList<QByteArray> f = input.split('|');
        const QString spoilt = f[0];
        Window win;
        win.OpenCopy("files");
        const QString before = win.Path("files/FlightPlans.txt");
        const QString opened =
            spoilt == "large" ? LargePlansFile() : CopySet("run", win.Path("run"));
        QFile::remove(win.Path("run/" + spoilt));
        QVERIFY(f[1].isEmpty() || WriteFile(win.Path("run/" + spoilt), f[1]));
        win.W.CMBTarvik[FrmTarvik::IfFieldBox]->setCurrentIndex(-1);
        win.Fake.Messages.Log.clear();
        win.Open(opened);
        QCOMPARE(win.Oops().size(), 1);
        const QString shown = win.Oops()[0].section('\n', 0, 0);
        win.Fake.Messages.Log.clear();
        if (spoilt == "large")
            win.W.CmdTarvik[FrmTarvik::OkButton]->click();
        win.Fake.Dialog.Answers.push_back(win.Path("Saved.txt"));
        win.W.MnuSave->trigger();
        const bool wrote = QFile::exists(win.Path("Saved.txt"));
        QCOMPARE(win.Oops(), QStringList(wrote ? 0 : 2, texts::PlansNotWhole));
        const QString offered = win.Fake.Dialog.Log.back().FileName;
        QCOMPARE(win.Fake.Settings.Values.value("PlansPath/Folder"),
                 wrote ? QFileInfo(offered).path() : QString()); // the folder of the set saved
        QTEST(QString(QString(shown).replace(QFileInfo(opened).path(), "%1") + " => " +
                      win.Figures().join(' ') + " => " +
                      (!wrote              ? "none"
                       : offered == opened ? "opened"
                       : offered == before ? "before"
                                           : offered))
                  .toLatin1(),
              "expected");
        QCOMPARE(win.W.CMBTarvik[FrmTarvik::IfFieldBox]->currentIndex(), -1);
    }

    // A failed save says where and why; an ended program asks nothing more.
    void unsavedChangesAreNeverLost_data() { AddRows("unsaved-changes.txt"); }
    void unsavedChangesAreNeverLost() {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, expected);
        const QList<QByteArray> f = input.split('|');
        const QByteArrayList outcome = expected.split(',');
        const auto happened = [&outcome](const char* what) {
            return std::any_of(outcome.begin(), outcome.end(),
                               [what](const QByteArray& o) { return o.trimmed() == what; });
        };
        const bool changed = f[1] == "changed", goesOn = happened("goes on");
        const bool saving = happened("saves"), wrote = happened("writes"), ends = happened("ends");
        const Answer answer = f[2] == "Yes"  ? Answer::Yes
                              : f[2] == "No" ? Answer::No
                                             : Answer::Dismissed;
        Window win;
        QVERIFY(win.Show());
        win.OpenCopy("files");
        win.W.Traffic().PlanTable[0].SetTailNum(changed ? "CHANGED" : "N101AA");
        win.W.Traffic().PlansChanged = changed;
        win.Fake.Messages.Log.clear();
        win.Fake.Messages.Answers = {answer};
        win.Fake.Settings.FailWrites = f[3] == "unremembered";
        const QString saved = win.Path(f[3] == "fails" ? "missing/Saved.txt" : "Saved.txt");
        if (saving)
            win.Fake.Dialog.Answers.push_back(f[3] == "cancel" ? std::nullopt
                                                               : std::optional<QString>(saved));
        if (f[0] == "open")
            win.Fake.Dialog.Answers.push_back(CopySet("run", win.Path("next")));
        QSignalSpy ended(&win.W, &FrmTarvik::ProgramEnded);
        if (f[0] == "close")
            win.W.close();
        else
            (f[0] == "exit"   ? win.W.MnuExit
             : f[0] == "save" ? win.W.MnuSave
                              : win.W.MnuOpen)
                ->trigger();
        if (ends) {
            win.W.MnuExit->trigger();
            win.W.close();
        }
        const QStringList oops = win.Oops();
        QCOMPARE(win.Fake.Messages.Log.size() - oops.size(), std::size_t(happened("asks")));
        QVERIFY(!saving || win.Fake.Dialog.Log.at(1).FileName == win.Path("files/FlightPlans.txt"));
        QCOMPARE(ReadAll(saved).contains("CHANGED"), wrote);
        QCOMPARE(win.Fake.Settings.Values.value("PlansPath/Folder"),
                 happened("remembers") ? win.Path("files") : QString());
        const QString failed = happened("oops:fails") ? texts::SaveFailed(saved, QString())
                                                      : texts::FolderNotRemembered;
        QCOMPARE(oops.size(), int(happened("oops:fails") || happened("oops:unremembered")));
        QVERIFY(oops.isEmpty() || (oops[0].startsWith(failed) && !oops[0].endsWith('\n')));
        QVERIFY(ended.count() == int(ends) && win.W.isVisible() != ends);
        QCOMPARE(win.Figures()[0], happened("next") ? "6" : "3");
        const bool unsaved = win.W.Traffic().PlansChanged && win.Tails().startsWith("CHANGED ");
        QVERIFY(goesOn ? ends || !win.W.Traffic().PlansChanged : unsaved);
    }

    void typedValuesKeepTheShapeOfTheirField_data() { AddRows("typed-values.txt"); }
    void typedValuesKeepTheShapeOfTheirField() {
        QFETCH(QByteArray, input);
        const QList<QByteArray> f = input.split('|');
        QLocale::setDefault(QLocale(QString(f[0])));
        Window win;
        QVERIFY(win.Show());
        win.OpenCopy("run");
        win.SetRow(f[1].toInt(), f[2] + ':');
        ValueCombo* box = win.W.ValueBox(f[1].toInt() + 3);
        box->setFocus();
        QTRY_VERIFY(box->hasFocus());
        box->lineEdit()->selectAll();
        if (f[3].startsWith("paste ")) {
            QGuiApplication::clipboard()->setText(f[3].mid(6));
            QTest::keyClick(box->lineEdit(), Qt::Key_V, Qt::ControlModifier);
        } else {
            QTest::keyClicks(box->lineEdit(), f[3]);
        }
        QTEST(box->Text().toLatin1() + '|' + box->lineEdit()->selectedText().toLatin1() + '|' +
                  (box->IsLocked() ? "locked" : ""),
              "expected");
    }

    void keysPressButtons_data() { AddRows("keys.txt"); }
    void keysPressButtons() {
        QFETCH(QByteArray, input);
        const QList<QByteArray> f = input.split('|');
        Window win;
        FrmTarvik& w = win.W;
        QVERIFY(win.Show());
        for (std::size_t i = 1; i <= 3; ++i)
            w.CmdTarvik[i]->setEnabled(f[1].contains("review"));
        w.CmdTarvik[FrmTarvik::OkButton]->setEnabled(!f[1].contains("noOk"));
        w.CmdTarvik[FrmTarvik::CancelButton]->setEnabled(!f[1].contains("noCancel"));
        QLineEdit other;
        QWidget* target = &other;
        if (f[0] == "other") {
            other.show();
            QVERIFY(QTest::qWaitForWindowActive(&other));
        } else if (f[0] == "list") {
            w.CMBTarvik[FrmTarvik::IfFieldBox]->showPopup();
            QTRY_VERIFY(QApplication::activePopupWidget());
            target = w.CMBTarvik[FrmTarvik::IfFieldBox]->view();
        } else {
            target = f[0].endsWith(".edit") ? w.ValueBox(f[0][10] - '0')->lineEdit()
                                            : w.findChild<QWidget*>(QString(f[0]));
            target->setFocus();
            QTRY_VERIFY(target->hasFocus());
        }
        QByteArray pressed = "none";
        for (int i = 0; i < 5; ++i)
            connect(w.CmdTarvik[std::size_t(i)], &QPushButton::clicked, this, [&pressed, i] {
                pressed = pressed == "none" ? QByteArray::number(i) : "more";
            });
        QTest::keySequence(target, QKeySequence(QString(f[2])));
        QTEST(pressed, "expected");
    }

    void reviews_data() { AddRows("runs.txt"); }
    void reviews() {
        QFETCH(QByteArray, input);
        const QList<QByteArray> f = input.split('|');
        QLocale::setDefault(QLocale(QString(f[0])));
        const auto win = RunWindow();
        win->SetRow(0, f[1]);
        win->SetRow(1, f[2]);
        const QString saved = win->Path("Saved.txt");
        for (const QByteArray& answer : f[6].split(' '))
            if (!answer.isEmpty())
                win->Fake.Messages.Answers.push_back(answer == "Yes" ? Answer::Yes : Answer::No);
        for (const QByteArray& to : f[7].split(' '))
            win->Fake.Dialog.Answers.push_back(to == "good" ? saved : win->Path("no/Saved.txt"));
        Reviewer review(win->W);
        for (const QByteArray& action : f[3].split(' '))
            if (!action.isEmpty())
                review.AtWaits.push_back(Act(*win, action));
        review.LotPlan = 3;
        if (!f[4].isEmpty())
            review.DuringLot = Act(*win, f[4]);
        QByteArray inDialog = f[5];
        win->Fake.Dialog.OnShow = [&] {
            if (!inDialog.isEmpty())
                Act(*win, std::exchange(inDialog, QByteArray()))();
        };
        QSignalSpy ended(&win->W, &FrmTarvik::ProgramEnded);
        win->W.CmdTarvik[FrmTarvik::CancelButton]->click();
        win->W.CmdTarvik[FrmTarvik::OkButton]->click();
        const bool ends = !ended.isEmpty();
        QTEST(Joined(review.Waits) + " => " + (ends ? "ends" : "stays") + " => " + win->Tails() +
                  " => " + Tails(ReadAll(saved)),
              "expected");
        QVERIFY2(!review.TimedOut && !review.DuringLot && !review.Unscripted && !review.Mismatches,
                 "a review hung, showed another plan, or went another way");
        QVERIFY(!win->W.IsRunning() && win->W.isVisible() != ends && (ends || win->Idle()));
        QCOMPARE(win->W.Traffic().PlansChanged,
                 ends ? Tails(ReadAll(saved)) == "none" : win->Tails() != Unchanged);
        // Back in the window, every change can still be saved.
        win->Fake.Dialog.OnShow = nullptr;
        win->Fake.Dialog.Answers = {win->Path("Final.txt")};
        win->W.MnuSave->trigger();
        QVERIFY(ends || Tails(ReadAll(win->Path("Final.txt"))) == win->Tails());
    }

    // The refusal is shown, the value box to mend takes the focus, and the last rule stays.
    void refusedOkShowsWhyAndStartsNoRun() {
        const auto win = RunWindow();
        win->SetRow(2, "3:N1,2");
        win->W.Run().Rule.IfValue = "earlier";
        win->W.CMBTarvik[FrmTarvik::IfFieldBox]->setFocus();
        Reviewer review(win->W);
        win->W.CmdTarvik[FrmTarvik::OkButton]->click();
        QCOMPARE(win->Oops(), QStringList{QString::fromStdString(
                                  RefusalText({Refused::ThenValueBreaksLine, ThenRow}))});
        QTRY_VERIFY(win->W.ValueBox(5)->hasFocus());
        QVERIFY(review.Waits.isEmpty() && win->Idle() && win->W.Run().Rule.IfValue == "earlier");
    }

    // A change writes what the Then row holds at that moment: a percentage with "." or the user's
    // decimal separator, the visited airports of the moment.
    void thenRowIsReadAtEachChange() {
        QLocale::setDefault(QLocale(QLocale::German));
        const auto win = RunWindow();
        const auto change = [&win](const QString& then) {
            return [&win, then] {
                win->SetRow(2, then);
                win->W.CmdTarvik[FrmTarvik::ChangeThisButton]->click();
            };
        };
        const auto run = [&win](const QString& andRow, const QString& then,
                                std::deque<std::function<void()>> actions) {
            win->SetRow(1, andRow);
            win->SetRow(2, then);
            Reviewer review(win->W);
            review.AtWaits = std::move(actions);
            win->W.CmdTarvik[FrmTarvik::OkButton]->click();
            return review.Waits;
        };
        run("0:", "2:0", {change("2:12,5"), change("2:13,5"), change("2:1.5"), change("2:7")});
        const auto renamed = [&] {
            win->SetRow(1, "7: L4 ");
            change("6:M9")();
        };
        QCOMPARE(run("7:KLAX", "6:KSFO", {win->Press(1), renamed}), QList<int>({1, 3}));
        QList<int> plans;
        for (int32_t i = 0; i <= win->W.Traffic().LastPlan; ++i)
            plans << win->W.Traffic().PlanTable[i].Pcent();
        QCOMPARE(plans, QList<int>({12, 14, 2, 7, 75, 50}));
        QCOMPARE(B(win->W.Traffic().PlanTable[1].TheRest()) + ' ' +
                     B(win->W.Traffic().PlanTable[3].TheRest()),
                 "L2,KSFO M9,klax,KLAX");
    }

    // A wait of 300 ms for a decision takes less than a fifth of that in processor time.
    void theProcessSleepsWhileADecisionWaits() {
        const auto win = RunWindow();
        int wakes = -1; // the times the event loop woke up during the wait
        qint64 wall = 0;
        QElapsedTimer clock;
        QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
        QMetaObject::Connection counting;
        // The first timer fires in the pass of events that begins the first wait.
        QTimer::singleShot(0, &win->W, [&] {
            wakes = 0;
            counting = connect(dispatcher, &QAbstractEventDispatcher::awake, [&wakes] { ++wakes; });
            clock.start();
            QTimer::singleShot(300, &win->W, [&] {
                disconnect(counting);
                wall = clock.elapsed();
                win->W.CmdTarvik[FrmTarvik::CancelButton]->click();
            });
        });
        QTimer::singleShot(10000, &win->W, [&win] { win->W.Run().Abandoned = true; }); // watchdog
        win->W.CmdTarvik[FrmTarvik::OkButton]->click();
        QVERIFY(wall >= 250 && wakes >= 0 && win->Idle());
        // A process that sleeps wakes for the timer and little else; one that spins wakes at every
        // pass. A busy machine can only make the passes fewer.
        QVERIFY2(wakes < 50, qPrintable(QStringLiteral("%1 wakes in %2 ms").arg(wakes).arg(wall)));
    }
};

QTEST_MAIN(TestWindow)
#include "TestWindow.moc"
