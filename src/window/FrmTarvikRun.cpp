// The run as the window drives it: the five buttons, the checks made when OK is pressed, the
// capture of the If and And rows, and the review of each match.

#include "window/FrmTarvik.h"

#include "platform/EventPass.h"
#include "run/RuleChecks.h"
#include "window/Bytes.h"
#include "window/Texts.h"
#include "window/ValueCombo.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>

namespace tarvik {

struct ReviewState {
    QEventLoop* Wait = nullptr; // the loop of the decision pending now
    int32_t Index = 0;          // the plan under test
    QElapsedTimer Clock;        // since the run started
    qint64 NextShowMs = 0;      // under a lot, when the plan on display may be redrawn again
    qint64 FrameMs = 16;        // one refresh of the screen
    bool LotShown = false;      // under a lot the review stays up from one match to the next
    int64_t LotPlans = 0;       // under a lot, the matches since it started
    bool ThenRead = false;      // Then holds the Then row as it stands since the last events
    ThenChange Then;
};

// Under a lot the window's work (a pass of events, a look at the clock, reading the Then row) is
// done for the lot's first plans, so that a button pressed as the lot starts decides the next
// plan, and then once every so many plans.
constexpr int64_t LotFirstPasses = 16;
constexpr int64_t LotPassEvery = 64;

namespace {

// Wakes the decision wait whenever the window closes or hides, so that it can see the program
// ending.
class EndWatch : public QObject {
public:
    EndWatch(std::function<void()> wake, QObject* parent)
        : QObject(parent), Wake(std::move(wake)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Close || event->type() == QEvent::Hide)
            Wake();
        return false;
    }

private:
    std::function<void()> Wake;
};

void WakeWait(ReviewState& review) {
    if (review.Wait)
        review.Wait->quit();
}

// A rule row as the window shows it.
RowInput ReadRow(const FrmTarvik& w, int row) {
    const ValueCombo* box = w.ValueBox(row + 3);
    RowInput input;
    input.Position = w.CMBTarvik[static_cast<std::size_t>(row)]->currentIndex();
    AssignBytes(input.Value, box->Text());
    input.Picked = box->currentIndex() >= 0;
    input.Tag = static_cast<int16_t>(box->ItemDataAt(box->currentIndex()));
    input.Decimal = UserDecimal();
    return input;
}

RuleInput ReadRule(const FrmTarvik& w) {
    return {ReadRow(w, IfRow), ReadRow(w, AndRow), ReadRow(w, ThenRow)};
}

// The plan under review in the plan-number label and the text box.
void ShowMatch(FrmTarvik& w, ReviewState& r, std::string_view line) {
    w.LBLTarvik[FrmTarvik::PlanNumber]->setText(QString::number(r.Index));
    w.TxtTarvik->setPlainText(ToQ(line));
    r.NextShowMs = r.Clock.elapsed() + r.FrameMs;
}

void OpenReview(FrmTarvik& w) {
    for (std::size_t i = 1; i <= 3; ++i)
        w.CmdTarvik[i]->setEnabled(true);
    w.CmdTarvik[FrmTarvik::ChangeThisButton]->setFocus();
}

void CloseReview(FrmTarvik& w, ReviewState& r) {
    r.LotShown = false;
    r.LotPlans = 0;
    w.TxtTarvik->clear();
    for (std::size_t i = 1; i <= 3; ++i)
        w.CmdTarvik[i]->setEnabled(false);
}

// Handles the pending events, then sleeps in the event loop until a decision is stored or the
// program ends; a decision, the end of the program and the window closing each wake it.
void SleepUntilDecided(FrmTarvik& w, ReviewState& r) {
    RunState& run = w.Run();
    const bool shown = w.isVisible();
    EventPass::Run();
    while (run.ReviewChoice < ChoiceChangeThis && !run.Abandoned) {
        if (shown && !w.isVisible()) {
            run.Abandoned = true; // the window went away without ending the program
            return;
        }
        QEventLoop loop;
        r.Wait = &loop;
        const int code = loop.exec();
        r.Wait = nullptr;
        if (code == -1)
            run.Abandoned = true; // the application is quitting
    }
}

} // namespace

void FrmTarvik::SetUpRun() {
    EventPass::Install();
    Review = std::make_shared<ReviewState>();
    for (int16_t i = 0; i < 5; ++i)
        connect(CmdTarvik[static_cast<std::size_t>(i)], &QPushButton::clicked, this,
                [this, i] { CmdTarvik_Click(i); });
    // The window's own destruction hides it after Review is gone: the watchers hold it weakly.
    const std::weak_ptr<ReviewState> review = Review;
    const auto wake = [review] {
        if (const auto alive = review.lock())
            WakeWait(*alive);
    };
    connect(this, &FrmTarvik::ProgramEnded, this, wake);
    installEventFilter(new EndWatch(wake, this));
}

void FrmTarvik::CmdTarvik_Click(int16_t Index) {
    if (Index == 0 && (Running || Ending))
        return;
    RunSt.ReviewChoice = ChoiceNone;
    if (Index >= ChoiceChangeThis && Index <= ChoiceCancel) {
        RunSt.ReviewChoice = Index;
        WakeWait(*Review);
        return;
    }
    if (Index != 0)
        return;
    if (LoadStarted && !Set.PlansWhole) {
        ShowOops(texts::PlansNotWhole);
        return;
    }
    const RuleInput rule = ReadRule(*this);
    if (const auto refusal = CheckRule(rule, Set)) {
        ShowOops(ToQ(RefusalText(*refusal)));
        ValueBox(refusal->Row + 3)->setFocus();
        return;
    }
    CaptureRule(rule, RunSt.Rule);
    Running = true;
    FindPlan(Set, RunSt, *this, *P.Random);
    Running = false;
}

void FrmTarvik::RunStarted() {
    CmdTarvik[OkButton]->setEnabled(false);
    ReviewState& r = *Review;
    const QScreen* shownOn = screen();
    const qreal hertz = shownOn ? shownOn->refreshRate() : 60;
    r.FrameMs = std::clamp<qint64>(hertz > 0 ? qRound64(1000 / hertz) : 16, 1, 100);
    r.NextShowMs = 0;
    r.LotShown = false;
    r.LotPlans = 0;
    r.ThenRead = false;
    r.Clock.start();
}

// Called for every plan: the plan number is only written out when a match is shown, since the
// window is not drawn between plans.
void FrmTarvik::PlanUnderTest(int32_t index) {
    Review->Index = index;
    SetBusy(true);
}

// Shows each match and waits for the decision on it. Under "Change The Lot" there is no wait: the
// review stays up and the pointer busy from match to match, the plan on display is redrawn at most
// once a screen refresh, and a pass of events (at the lot's first plans, then every LotPassEvery
// plans) lets a button pressed meanwhile decide the plan it reaches.
void FrmTarvik::AwaitDecision(std::string_view line) {
    ReviewState& r = *Review;
    if (RunSt.ReviewChoice == ChoiceChangeLot && r.LotShown && !RunSt.Abandoned &&
        ++r.LotPlans > LotFirstPasses && r.LotPlans % LotPassEvery != 0)
        return;
    const bool decided = RunSt.ReviewChoice >= ChoiceChangeThis;
    if (!decided || !r.LotShown || r.Clock.elapsed() >= r.NextShowMs)
        ShowMatch(*this, r, line);
    if (!r.LotShown)
        OpenReview(*this);
    if (decided) {
        r.LotShown = true;
        EventPass::Run();
        r.ThenRead = false;
        if (RunSt.ReviewChoice == ChoiceChangeLot && !RunSt.Abandoned)
            return;
    } else {
        SetBusy(false);
        SleepUntilDecided(*this, r);
        r.ThenRead = false;
    }
    CloseReview(*this, r);
    SetBusy(true);
}

// Read for every plan a lot changes: the Then row and, for "Visited AirPort", the And value.
// The widgets change only while events are handled: the row is read again after each pass.
const ThenChange& FrmTarvik::ReadThen() {
    ReviewState& r = *Review;
    if (r.ThenRead)
        return r.Then;
    const RowInput then = ReadRow(*this, ThenRow);
    std::string andValue;
    if (then.Position == VisitedAirport)
        AssignBytes(andValue, ValueBox(AndRow + 3)->Text());
    r.Then = ThenOf(then, andValue);
    r.ThenRead = true;
    return r.Then;
}

void FrmTarvik::RunEnded() {
    if (Review->LotShown)
        CloseReview(*this, *Review);
    SetBusy(false);
    LBLTarvik[PlanNumber]->setText(QString());
    CmdTarvik[OkButton]->setEnabled(true);
}

} // namespace tarvik
