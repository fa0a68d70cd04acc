// The run as the window drives it: the five buttons, the checks made when OK is pressed, the
// capture of the If and And rows, and the review of each match.

#include "window/FrmTarvik.h"

#include "traffic/Text.h"
#include "window/Bytes.h"
#include "window/Texts.h"
#include "window/ValueCombo.h"

#include <QAbstractEventDispatcher>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#if defined(__linux__)
#include <dlfcn.h>
#include <unistd.h>
#endif

namespace tarvik {

struct ReviewState {
    QEventLoop* Wait = nullptr; // the loop of the decision pending now
    int32_t Index = 0;          // the plan under test
    QElapsedTimer Clock;        // since the run started
    qint64 NextShowMs = 0;      // under a lot, when the plan on display may be redrawn again
    qint64 FrameMs = 16;        // one refresh of the screen
    bool LotShown = false;      // under a lot the review stays up from one match to the next
};

namespace {

// The boxes of the three rows by index, and the And field box's positions of two fields.
constexpr int IfFieldBox = 0, AndFieldBox = 1, ThenFieldBox = 2;
constexpr int IfValueBox = 3, AndValueBox = 4, ThenValueBox = 5;
constexpr int AndAircraft = Aircraft + 1;
constexpr int AndVisitedAirport = VisitedAirport + 1;

// The user's number format. The program never sets a default locale, so this is the system's;
// tests set one to try other formats.
QLocale UserNumbers() {
    return QLocale();
}

// text converted as a whole in the user's number format; empty when it is no finite number.
std::optional<double> UserNumber(const QString& text) {
    bool ok = false;
    const double value = UserNumbers().toDouble(text, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// text as bytes, one per character, as FromQ gives them, written into out without a buffer of its
// own: a character above 255 becomes "?".
void AssignBytes(std::string& out, const QString& text) {
    out.resize(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        out[static_cast<std::size_t>(i)] = c < 256 ? static_cast<char>(c) : '?';
    }
}

// One pass of event processing without the one system call that a pass on glib makes for nothing.
//
// A pass that must not block still asks the kernel (poll) about the descriptors of glib's main
// context. On Linux, with neither socket notifiers nor another library's sources, the only one is
// glib's own wakeup descriptor, which merely ends a blocked poll early: no source is dispatched for
// it, and every source of the toolkit (posted events, timers, the window system's events) is found
// ready without asking the kernel. Under "Change The Lot" a pass is made for every match and that
// poll is most of its cost, so the main context's poll function is wrapped: inside Pass, a poll
// that may not wait and watches the wakeup descriptor alone returns "nothing ready" at once. Every
// other poll, and every pass elsewhere, goes to glib's own function unchanged.
class QuietPoll {
public:
    // Wraps the poll function of the main thread's glib context, once; nothing where the event
    // dispatcher doesn't run on glib.
    static void Install();
    // Processes the pending events once, without blocking.
    static void Pass() {
        const bool outer = Quiet.exchange(Real != nullptr, std::memory_order_relaxed);
        QCoreApplication::processEvents();
        Quiet.store(outer, std::memory_order_relaxed);
    }

private:
    // glib's GPollFD and GPollFunc on Unix.
    struct PollFd {
        int fd;
        unsigned short events;
        unsigned short revents;
    };
    using PollFunc = int (*)(PollFd*, unsigned int, int);

    static int Poll(PollFd* fds, unsigned int count, int timeout) {
        if (timeout == 0 && count == 1 && Quiet.load(std::memory_order_relaxed) &&
            IsWakeup(fds[0].fd)) {
            fds[0].revents = 0;
            return 0;
        }
        return Real(fds, count, timeout);
    }

    // glib's wakeup descriptor is an eventfd that lives as long as the context: the first eventfd
    // polled alone is taken as it.
    static bool IsWakeup(int fd) {
        const int known = WakeupFd.load(std::memory_order_relaxed);
        if (known >= 0)
            return fd == known;
#if defined(__linux__)
        const std::string link = "/proc/self/fd/" + std::to_string(fd);
        char target[64] = {};
        const ssize_t length = ::readlink(link.c_str(), target, sizeof target - 1);
        if (length > 0 &&
            std::string_view(target, static_cast<std::size_t>(length)) == "anon_inode:[eventfd]") {
            WakeupFd.store(fd, std::memory_order_relaxed);
            return true;
        }
#endif
        return false;
    }

    template <typename Function> static Function Symbol(const char* name) {
#if defined(__linux__)
        void* address = ::dlsym(RTLD_DEFAULT, name);
        return reinterpret_cast<Function>(address);
#else
        Q_UNUSED(name);
        return nullptr;
#endif
    }

    static inline PollFunc Real = nullptr;         // set once, before the wrapper is installed
    static inline std::atomic<bool> Quiet = false; // a Pass is under way
    static inline std::atomic<int> WakeupFd = -1;  // learnt at the first quiet poll
};

void QuietPoll::Install() {
    static bool tried = false;
    if (tried)
        return;
    tried = true;
    const QAbstractEventDispatcher* dispatcher =
        QAbstractEventDispatcher::instance(QCoreApplication::instance()->thread());
    if (!dispatcher || !dispatcher->inherits("QEventDispatcherGlib"))
        return;
    const auto defaultContext = Symbol<void* (*)()>("g_main_context_default");
    const auto getPoll = Symbol<PollFunc (*)(void*)>("g_main_context_get_poll_func");
    const auto setPoll = Symbol<void (*)(void*, PollFunc)>("g_main_context_set_poll_func");
    if (!defaultContext || !getPoll || !setPoll)
        return;
    void* context = defaultContext();
    const PollFunc real = getPoll(context);
    if (!context || !real)
        return;
    Real = real;
    setPoll(context, &QuietPoll::Poll);
}

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

// A refused OK: the message and the box that takes the focus after it.
struct Refusal {
    QString Text;
    int FocusBox = -1;
};

// The rule as the window shows it.
class RuleView {
public:
    explicit RuleView(FrmTarvik& w) : W(w) {}

    int Field(int fieldBox) const { return W.CMBTarvik[Box(fieldBox)]->currentIndex(); }
    QString Text(int valueBox) const { return W.ValueBox(valueBox)->Text(); }
    std::string Bytes(int valueBox) const { return FromQ(Text(valueBox)); }
    std::string Trimmed(int valueBox) const { return std::string(TrimBlanks(Bytes(valueBox))); }
    bool EntryPicked(int valueBox) const { return W.ValueBox(valueBox)->currentIndex() >= 0; }
    int16_t PickedTag(int valueBox) const {
        const ValueCombo* box = W.ValueBox(valueBox);
        return static_cast<int16_t>(box->ItemDataAt(box->currentIndex()));
    }

private:
    static std::size_t Box(int index) { return static_cast<std::size_t>(index); }
    FrmTarvik& W;
};

// True when value, trimmed, equals a trimmed code of the airport table (case ignored).
bool KnownAirport(const TrafficSet& set, std::string_view value) {
    const std::string_view code = TrimBlanks(value);
    const int32_t last = std::min(set.LastAirport, set.AirportTable.Size() - 1);
    for (int32_t i = 0; i <= last; ++i)
        if (EqualsNoCase(TrimBlanks(set.AirportTable[i]), code))
            return true;
    return false;
}

std::optional<Refusal> CheckAirports(const RuleView& rule, const TrafficSet& set) {
    const int then = rule.Field(ThenFieldBox);
    if ((then == HomeAirport || then == VisitedAirport) &&
        !KnownAirport(set, rule.Bytes(ThenValueBox)))
        return Refusal{texts::NoAirport, ThenValueBox};
    if (rule.Field(AndFieldBox) == AndVisitedAirport && !KnownAirport(set, rule.Bytes(AndValueBox)))
        return Refusal{texts::NoAndAirport, AndValueBox};
    return std::nullopt;
}

std::optional<Refusal> CheckIfRow(const RuleView& rule) {
    const int field = rule.Field(IfFieldBox);
    if (field == Aircraft && !rule.EntryPicked(IfValueBox))
        return Refusal{texts::PickAircraft(QStringLiteral("If=")), IfValueBox};
    if (field == Percentage && !UserNumber(ToQ(rule.Trimmed(IfValueBox))))
        return Refusal{texts::IfPercentageNotNumber, IfValueBox};
    return std::nullopt;
}

std::optional<Refusal> CheckAndRow(const RuleView& rule) {
    if (rule.Field(AndFieldBox) == AndAircraft && !rule.EntryPicked(AndValueBox))
        return Refusal{texts::PickAircraft(QStringLiteral("And=")), AndValueBox};
    return std::nullopt;
}

bool HoldsAny(std::string_view text, std::initializer_list<std::string_view> marks) {
    return std::any_of(marks.begin(), marks.end(), [text](std::string_view mark) {
        return text.find(mark) != std::string_view::npos;
    });
}

// The Then value must leave the plan's saved line readable and, for "Visited AirPort", give a
// replacement that ends.
std::optional<Refusal> CheckThenRow(const RuleView& rule) {
    const int field = rule.Field(ThenFieldBox);
    const std::string value = rule.Bytes(ThenValueBox);
    switch (field) {
    case Aircraft:
        if (!rule.EntryPicked(ThenValueBox))
            return Refusal{texts::PickAircraft(QStringLiteral("Then=")), ThenValueBox};
        break;
    case HomeAirport:
    case AircraftId:
    case FlightFrequency:
    case IfrVfr:
        if (HoldsAny(value, {",", ";", "//"}))
            return Refusal{texts::ThenValueBreaksLine, ThenValueBox};
        if (field == HomeAirport && TrimBlanks(value).size() > 4)
            return Refusal{texts::HomeAirportTooLong, ThenValueBox};
        break;
    case VisitedAirport:
        if (HoldsAny(value, {";", "//"}))
            return Refusal{texts::ThenValueCommentMark, ThenValueBox};
        if (!VisitedReplacementEnds(rule.Trimmed(AndValueBox), value))
            return Refusal{texts::ReplacementNeverEnds, ThenValueBox};
        break;
    default:
        break;
    }
    return std::nullopt;
}

// The checks of an OK press, in this order: the Then airport, the And airport, then the If, And
// and Then rows from top to bottom.
std::optional<Refusal> CheckRule(const RuleView& rule, const TrafficSet& set) {
    if (auto refusal = CheckAirports(rule, set))
        return refusal;
    if (auto refusal = CheckIfRow(rule))
        return refusal;
    if (auto refusal = CheckAndRow(rule))
        return refusal;
    return CheckThenRow(rule);
}

// The If and And rows written over rule, which keeps its tags where the row has no aircraft.
void CaptureRule(const RuleView& view, RunRule& rule) {
    rule.IfField = static_cast<int16_t>(view.Field(IfFieldBox));
    if (rule.IfField == Aircraft)
        rule.IfTag = view.PickedTag(IfValueBox);
    rule.IfValue = view.Trimmed(IfValueBox);
    if (rule.IfField == Percentage)
        rule.IfNumber = UserNumber(ToQ(rule.IfValue)).value_or(0);
    rule.AndField = static_cast<int16_t>(view.Field(AndFieldBox));
    if (rule.AndField == AndAircraft)
        rule.AndTag = view.PickedTag(AndValueBox);
    rule.AndValue = view.Trimmed(AndValueBox);
}

// The plan under review in the plan-number label and the text box.
void ShowMatch(FrmTarvik& w, ReviewState& r, const std::string& line) {
    w.LBLTarvik[12]->setText(QString::number(r.Index));
    w.TxtTarvik->setPlainText(ToQ(line));
    r.NextShowMs = r.Clock.elapsed() + r.FrameMs;
}

void OpenReview(FrmTarvik& w) {
    for (std::size_t i = 1; i <= 3; ++i)
        w.CmdTarvik[i]->setEnabled(true);
    w.CmdTarvik[1]->setFocus();
}

void CloseReview(FrmTarvik& w, ReviewState& r) {
    r.LotShown = false;
    w.TxtTarvik->clear();
    for (std::size_t i = 1; i <= 3; ++i)
        w.CmdTarvik[i]->setEnabled(false);
}

// Handles the pending events, then sleeps in the event loop until a decision is stored or the
// program ends; a decision, the end of the program and the window closing each wake it.
void SleepUntilDecided(FrmTarvik& w, ReviewState& r) {
    RunState& run = w.Run();
    const bool shown = w.isVisible();
    QuietPoll::Pass();
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
    QuietPoll::Install();
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
    const RuleView rule(*this);
    if (const auto refusal = CheckRule(rule, Set)) {
        ShowOops(refusal->Text);
        CMBTarvik[static_cast<std::size_t>(refusal->FocusBox)]->setFocus();
        return;
    }
    CaptureRule(rule, RunSt.Rule);
    Running = true;
    FindPlan(Set, RunSt, *this, *P.Random);
    Running = false;
}

void FrmTarvik::RunStarted() {
    CmdTarvik[0]->setEnabled(false);
    ReviewState& r = *Review;
    const QScreen* shownOn = screen();
    const qreal hertz = shownOn ? shownOn->refreshRate() : 60;
    r.FrameMs = std::clamp<qint64>(hertz > 0 ? qRound64(1000 / hertz) : 16, 1, 100);
    r.NextShowMs = 0;
    r.LotShown = false;
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
// once a screen refresh, and one pass of events lets a button pressed meanwhile decide this plan.
void FrmTarvik::AwaitDecision(const std::string& line) {
    ReviewState& r = *Review;
    const bool decided = RunSt.ReviewChoice >= ChoiceChangeThis;
    if (!decided || !r.LotShown || r.Clock.elapsed() >= r.NextShowMs)
        ShowMatch(*this, r, line);
    if (!r.LotShown)
        OpenReview(*this);
    if (decided) {
        r.LotShown = true;
        QuietPoll::Pass();
        if (RunSt.ReviewChoice == ChoiceChangeLot && !RunSt.Abandoned)
            return;
    } else {
        SetBusy(false);
        SleepUntilDecided(*this, r);
    }
    CloseReview(*this, r);
    SetBusy(true);
}

// Read for every plan a lot changes, so it reads only what the change of the Then field uses: the
// number for "Percentage", the And value for "Visited AirPort".
ThenChange FrmTarvik::ReadThen() {
    const RuleView rule(*this);
    ThenChange change;
    change.Field = static_cast<int16_t>(rule.Field(ThenFieldBox));
    const QString value = rule.Text(ThenValueBox);
    AssignBytes(change.Value, value);
    if (change.Field == Aircraft && rule.EntryPicked(ThenValueBox)) {
        change.HasTag = true;
        change.Tag = rule.PickedTag(ThenValueBox);
    }
    if (change.Field == Percentage) {
        if (const auto number = UserNumber(value)) {
            change.HasNumber = true;
            change.Number = *number;
        }
    }
    if (change.Field == VisitedAirport)
        AssignBytes(change.Old, rule.Text(AndValueBox));
    return change;
}

void FrmTarvik::RunEnded() {
    if (Review->LotShown)
        CloseReview(*this, *Review);
    SetBusy(false);
    LBLTarvik[12]->setText(QString());
    CmdTarvik[0]->setEnabled(true);
}

} // namespace tarvik
