#include "support/Window.h"

#include "traffic/PlanLine.h"
#include "window/Texts.h"
#include "window/ValueCombo.h"

#include <QtTest>
#include <QtWidgets>

namespace tarvik::testing {

namespace {
bool Hourglass(const QWidget& w) {
    const QCursor* over = QApplication::overrideCursor();
    return (over && over->shape() == Qt::WaitCursor) || w.cursor().shape() == Qt::WaitCursor;
}
} // namespace

bool Window::Show() {
    W.Form_Load();
    W.activateWindow();
    return QTest::qWaitForWindowActive(&W);
}

void Window::Open(const QString& path) {
    Fake.Dialog.Answers.push_back(path);
    W.MnuOpen_Click();
}

QStringList Window::Oops() const {
    QStringList texts;
    for (const auto& shown : Fake.Messages.Log)
        if (shown.Title == texts::Oops)
            texts << shown.Text;
    return texts;
}

QByteArray Window::Tails() {
    QByteArrayList tails;
    for (int32_t i = 0; i <= W.Traffic().LastPlan; ++i)
        tails << B(W.Traffic().PlanTable[i].TailNum());
    return tails.join(' ');
}

bool Window::Idle() const {
    return W.CmdTarvik[FrmTarvik::OkButton]->isEnabled() &&
           !W.CmdTarvik[FrmTarvik::ChangeThisButton]->isEnabled() &&
           !W.CmdTarvik[FrmTarvik::SkipButton]->isEnabled() &&
           !W.CmdTarvik[FrmTarvik::ChangeLotButton]->isEnabled() &&
           W.TxtTarvik->toPlainText().isEmpty() &&
           W.LBLTarvik[FrmTarvik::PlanNumber]->text().isEmpty() && !Hourglass(W);
}

void Window::SetRow(int row, const QString& text) {
    const QStringList head = text.section(':', 0, 0).split('*');
    W.CMBTarvik[static_cast<std::size_t>(row)]->setCurrentIndex(head[0].toInt());
    W.CMBTarvik_Click(static_cast<int16_t>(row));
    ValueCombo* box = W.ValueBox(row + 3);
    if (FieldCode(row, head[0].toInt()) != Aircraft) {
        const QSignalBlocker blockBox(box), blockEdit(box->lineEdit());
        box->setEditText(text.section(':', 1));
        return;
    }
    box->setCurrentIndex(-1);
    for (int i = 0; i < box->count() && head.size() > 1; ++i)
        if (box->ItemDataAt(i) == head[1].toInt())
            box->setCurrentIndex(i);
}

Reviewer::Reviewer(FrmTarvik& w, int watchdogMs) : W(w) {
    Timer.setSingleShot(true);
    connect(&Timer, &QTimer::timeout, this, [this] { Tick(); });
    Timer.start(0);
    Watchdog.setSingleShot(true);
    connect(&Watchdog, &QTimer::timeout, this, [this] {
        TimedOut = true;
        AtWaits.clear();
        W.Run().Abandoned = true;
        W.CmdTarvik[FrmTarvik::CancelButton]->click();
    });
    Watchdog.start(watchdogMs);
}

// Ticks at every pass of events, but for a lot with nothing to do during it, which is left to run
// without the cost of a tick at each plan.
void Reviewer::Tick() {
    const int plan = W.Traffic().PlanCursor;
    const int16_t choice = W.Run().ReviewChoice;
    if (W.CmdTarvik[FrmTarvik::ChangeThisButton]->isEnabled() && choice == ChoiceChangeLot &&
        plan == LotPlan && DuringLot) {
        const std::function<void()> action = std::exchange(DuringLot, nullptr);
        action();
    } else if (W.CmdTarvik[FrmTarvik::ChangeThisButton]->isEnabled() && choice == ChoiceNone) {
        Waits << plan;
        const FlightPlan& shown = W.Traffic().PlanTable[plan];
        Mismatches += W.TxtTarvik->toPlainText() != QString::fromLatin1(B(DisplayLine(shown))) ||
                      W.LBLTarvik[FrmTarvik::PlanNumber]->text() != QString::number(plan) ||
                      W.focusWidget() != W.CmdTarvik[FrmTarvik::ChangeThisButton] || Hourglass(W);
        if (AtWaits.empty()) {
            ++Unscripted;
            W.CmdTarvik[FrmTarvik::CancelButton]->click();
        } else {
            const std::function<void()> action = AtWaits.front();
            AtWaits.pop_front();
            action();
        }
    }
    if (W.Run().ReviewChoice != ChoiceChangeLot || DuringLot)
        Timer.start(0);
}

} // namespace tarvik::testing
