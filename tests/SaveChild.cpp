// A child process for the fault tests: drives the real window through a script of steps, or
// saves a big set in a loop until it is killed. It can give up root first, so that files the
// user may not read or write behave as they do for a user, and it can lower the largest file it
// may write, so that a save fails as on a full disk.
//
//   SaveChild [--user=UID] window STEP...   steps: open=PATH save=PATH save-proposed change
//                                           limit=BYTES; after each step it prints what the
//                                           user saw and the window's state
//   SaveChild [--user=UID] saveloop SOURCE TARGET
//                                           loads SOURCE, changes every plan, prints READY and
//                                           saves to TARGET over and over
//
// Exit codes: 0 done, 2 a step could not be carried out, 77 the user could not be changed.

#include "support/FakePlatform.h"
#include "traffic/Load.h"
#include "traffic/Save.h"
#include "window/FrmTarvik.h"

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QLabel>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <grp.h>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

using namespace tarvik;

namespace {

constexpr int StepFailed = 2;
constexpr int UserNotChanged = 77;

// Gives up root for good: no supplementary groups, then group and user uid.
bool BecomeUser(uid_t uid) {
    if (geteuid() != 0)
        return getuid() == uid;
    return setgroups(0, nullptr) == 0 && setgid(static_cast<gid_t>(uid)) == 0 && setuid(uid) == 0 &&
           getuid() == uid && geteuid() == uid;
}

// A file larger than bytes can't be written: a write beyond it fails as on a full disk.
bool LimitFileSize(const char* bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    if (getrlimit(RLIMIT_FSIZE, &limit) != 0)
        return false;
    limit.rlim_cur = std::strtoull(bytes, nullptr, 10);
    return setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

QByteArray Encoded(const QString& text) {
    return text.toUtf8().toPercentEncoding();
}

void Print(const QByteArray& line) {
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stdout);
    std::fputc('\n', stdout);
}

// The window and the stand-ins it talks to, with what was printed of their logs so far.
struct Session {
    testing::FakePlatform Fake;
    FrmTarvik W{Fake.Get()};
    std::size_t MessagesShown = 0;
    std::size_t DialogsShown = 0;

    // Prints the messages and dialogs of the last step and the window's state after it.
    void Report(const char* step) {
        Print(QByteArray("STEP ") + step);
        for (; DialogsShown < Fake.Dialog.Log.size(); ++DialogsShown) {
            const auto& shown = Fake.Dialog.Log[DialogsShown];
            Print(QByteArray(shown.Open ? "DIALOG open " : "DIALOG save ") +
                  Encoded(shown.FileName));
        }
        for (; MessagesShown < Fake.Messages.Log.size(); ++MessagesShown) {
            const auto& shown = Fake.Messages.Log[MessagesShown];
            Print("MESSAGE " + Encoded(shown.Title) + ' ' + Encoded(shown.Text));
        }
        const TrafficSet& set = W.Traffic();
        Print(QByteArray("STATE changed=") + (set.PlansChanged ? "1" : "0") +
              " whole=" + (set.PlansWhole ? "1" : "0") + " figures=" +
              Encoded(W.LBLTarvik[7]->text() + ',' + W.LBLTarvik[10]->text() + ',' +
                      W.LBLTarvik[11]->text()) +
              " folder=" + Encoded(Fake.Settings.Values.value(QStringLiteral("PlansPath/Folder"))));
    }

    // Runs one step; false when the step is unknown or can't be carried out.
    bool Run(const std::string& step) {
        const auto eq = step.find('=');
        const std::string verb = step.substr(0, eq);
        const QString arg =
            eq == std::string::npos ? QString() : QFile::decodeName(step.substr(eq + 1).c_str());
        if (verb == "open") {
            Fake.Dialog.Answers.push_back(arg);
            W.MnuOpen_Click();
        } else if (verb == "save") {
            Fake.Dialog.Answers.push_back(arg);
            W.MnuSave_Click();
        } else if (verb == "save-proposed") {
            // The user accepts the name the dialog proposes.
            Fake.Dialog.OnShow = [this] { Fake.Dialog.Answers.push_back(Fake.Dialog.FileName); };
            W.MnuSave_Click();
            Fake.Dialog.OnShow = nullptr;
        } else if (verb == "change") {
            TrafficSet& set = W.Traffic();
            if (set.LastPlan < 0)
                return false;
            set.PlanTable[0].SetTailNum("CHANGED");
            set.PlansChanged = true;
        } else if (verb == "limit") {
            if (!LimitFileSize(step.c_str() + eq + 1))
                return false;
        } else {
            return false;
        }
        Report(verb.c_str());
        return true;
    }
};

int RunWindow(int argc, char** argv, int first) {
    QApplication app(argc, argv);
    Session session;
    for (int i = first; i < argc; ++i)
        if (!session.Run(argv[i]))
            return StepFailed;
    Print("DONE");
    return 0;
}

// The change the loop saves: every plan gets the percentage 100, so that the new file is
// longer than the old one wherever the old one had two digits.
void ChangeEveryPlan(TrafficSet& set) {
    for (int32_t i = 0; i <= set.LastPlan; ++i)
        set.PlanTable[i].Pcent = 100;
}

int SaveLoop(const std::string& source, const std::string& target) {
    TrafficSet set;
    set.PlansFile = source;
    set.PlansFolder = GetFolder(source);
    if (!FillFPlans(set, nullptr).PlansRead)
        return StepFailed;
    ChangeEveryPlan(set);
    Print("READY");
    std::fflush(stdout);
    for (;;) {
        const SaveResult saved = SavePlans(set, target);
        if (!saved.Ok) {
            Print(QByteArray("FAILED ") + saved.Error.c_str());
            return StepFailed;
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    int first = 1;
    if (first < argc && std::strncmp(argv[first], "--user=", 7) == 0) {
        if (!BecomeUser(static_cast<uid_t>(std::strtoul(argv[first] + 7, nullptr, 10))))
            return UserNotChanged;
        ++first;
    }
    if (first >= argc)
        return StepFailed;
    const std::string mode = argv[first];
    if (mode == "window")
        return RunWindow(argc, argv, first + 1);
    if (mode == "saveloop" && first + 2 < argc)
        return SaveLoop(argv[first + 1], argv[first + 2]);
    return StepFailed;
}
