// A child process for the fault tests. It can give up root first, so that files the user may not
// read or write behave as they do for a user.
//
//   SaveChild [--user=UID] window STEP...    steps: open=PATH save=PATH save-proposed change
//                                            limit=BYTES (largest file it may write); after
//                                            each it prints what the user saw and the state
//   SaveChild saveloop SOURCE TARGET         loads SOURCE, changes every plan, prints READY and
//                                            saves to TARGET until killed
//
// Exit codes: 0 done, 2 a step could not be carried out, 77 the user could not be changed.

#include "support/FakePlatform.h"
#include "traffic/Load.h"
#include "traffic/Save.h"
#include "window/FrmTarvik.h"

#include <QApplication>
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

// Gives up root for good: no supplementary groups, then group and user.
bool BecomeUser(uid_t uid) {
    if (geteuid() != 0)
        return getuid() == uid;
    return setgroups(0, nullptr) == 0 && setgid(static_cast<gid_t>(uid)) == 0 && setuid(uid) == 0 &&
           geteuid() == uid;
}

// A write beyond bytes fails as on a full disk.
bool LimitFileSize(const std::string& bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    if (getrlimit(RLIMIT_FSIZE, &limit) != 0)
        return false;
    limit.rlim_cur = std::strtoull(bytes.c_str(), nullptr, 10);
    return setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

// Prints "KEY text" with the text percent-encoded.
void Print(const char* key, const QString& text) {
    std::printf("%s %s\n", key, text.toUtf8().toPercentEncoding().constData());
}

struct Session {
    testing::FakePlatform Fake;
    FrmTarvik W{Fake.Get()};
    std::size_t Messages = 0;
    std::size_t Dialogs = 0;

    void Report(const std::string& step) {
        Print("STEP", QString::fromStdString(step));
        for (; Dialogs < Fake.Dialog.Log.size(); ++Dialogs)
            if (!Fake.Dialog.Log[Dialogs].Open)
                Print("SAVEAS", Fake.Dialog.Log[Dialogs].FileName);
        for (; Messages < Fake.Messages.Log.size(); ++Messages) {
            const auto& shown = Fake.Messages.Log[Messages];
            const bool oops = shown.Title == QStringLiteral("OOPS");
            Print(oops ? "OOPS" : "OTHER", oops ? shown.Text : shown.Title + ": " + shown.Text);
        }
        const TrafficSet& set = W.Traffic();
        Print("CHANGED", QString::number(set.PlansChanged));
        Print("WHOLE", QString::number(set.PlansWhole));
        Print("FIGURES", W.LBLTarvik[7]->text() + ',' + W.LBLTarvik[10]->text() + ',' +
                             W.LBLTarvik[11]->text());
        Print("FOLDER", Fake.Settings.Values.value(QStringLiteral("PlansPath/Folder")));
    }

    bool Run(const std::string& step) {
        const auto eq = step.find('=');
        const std::string verb = step.substr(0, eq);
        const std::string arg = eq == std::string::npos ? std::string() : step.substr(eq + 1);
        if (verb == "open" || verb == "save")
            Fake.Dialog.Answers.push_back(QFile::decodeName(arg.c_str()));
        if (verb == "open") {
            W.MnuOpen_Click();
        } else if (verb == "save") {
            W.MnuSave_Click();
        } else if (verb == "save-proposed") {
            Fake.Dialog.OnShow = [this] { Fake.Dialog.Answers.push_back(Fake.Dialog.FileName); };
            W.MnuSave_Click();
            Fake.Dialog.OnShow = nullptr;
        } else if (verb == "change" && W.Traffic().LastPlan >= 0) {
            W.Traffic().PlanTable[0].SetTailNum("CHANGED");
            W.Traffic().PlansChanged = true;
        } else if (verb != "limit" || !LimitFileSize(arg)) {
            return false;
        }
        Report(verb);
        return true;
    }
};

int RunWindow(int argc, char** argv, int first) {
    QApplication app(argc, argv);
    Session session;
    for (int i = first; i < argc; ++i)
        if (!session.Run(argv[i]))
            return StepFailed;
    std::printf("DONE\n");
    return 0;
}

// Every plan gets 100%, so the new file is longer than the old one.
int SaveLoop(const std::string& source, const std::string& target) {
    TrafficSet set;
    set.PlansFile = source;
    set.PlansFolder = GetFolder(source);
    if (!FillFPlans(set, nullptr).PlansRead)
        return StepFailed;
    for (int32_t i = 0; i <= set.LastPlan; ++i)
        set.PlanTable[i].Pcent = 100;
    std::printf("READY\n");
    std::fflush(stdout);
    while (SavePlans(set, target).Ok) {
    }
    return StepFailed;
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
    const std::string mode = first < argc ? argv[first] : "";
    if (mode == "window")
        return RunWindow(argc, argv, first + 1);
    if (mode == "saveloop" && first + 2 < argc)
        return SaveLoop(argv[first + 1], argv[first + 2]);
    return StepFailed;
}
