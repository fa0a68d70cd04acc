// tarvik_bench [--no-command-line] [FOLDER [CASE...]]: times the cases of BenchCases.cpp (or those
// named) on the full-size set made once in FOLDER, the window's on the Qt platform of the
// environment, each against a floor measured first on the same file (the fastest of Runs), or in
// milliseconds; then, without case names, what the set adds to the peak memory: the window with
// the set opened (tarvik_bench --memory FOLDER) against the window alone (--memory), and
// tarvik check against tarvik --version. Exits 1 when a figure misses its target, 2 on a failure.

#include "Bench.h"
#include "support/Window.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace bench {

// A file of this process's own in the system's temporary folder.
std::string ScratchFile(const char* name) {
    return std::filesystem::temp_directory_path() /
           ("tarvik-bench-" + std::to_string(::getpid()) + "-" + name);
}

bool RunProgram(const std::vector<std::string>& args, bool display, std::string& why) {
    std::vector<char*> argv, envp;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    for (char** e = environ; *e; ++e)
        if (display || (std::strncmp(*e, "DISPLAY=", 8) != 0 &&
                        std::strncmp(*e, "WAYLAND_DISPLAY=", 16) != 0 &&
                        std::strncmp(*e, "QT_QPA_PLATFORM=", 16) != 0))
            envp.push_back(*e);
    envp.push_back(nullptr);
    const std::string errors = ScratchFile("errors");
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    const int failed = posix_spawnp(&pid, argv[0], &files, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&files);
    int status = 0;
    pid_t ended = failed ? -1 : 0;
    while (!failed && (ended = ::waitpid(pid, &status, 0)) < 0 && errno == EINTR) {
    }
    if (ended != pid) {
        why = "can't run " + args[0] + ": " + std::strerror(failed ? failed : errno);
        return false;
    }
    std::ifstream said(errors);
    const std::string text{std::istreambuf_iterator<char>(said), std::istreambuf_iterator<char>()};
    std::remove(errors.c_str());
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return true;
    why = args[0] + " failed: " + text;
    return false;
}

} // namespace bench

namespace {

using namespace bench;

constexpr int Runs = 5;
constexpr double MemoryFactor = 1.25;
constexpr double MiB = 1024.0 * 1024.0;

double MsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// The fastest of Runs runs of step, each after an untimed before, in ms; -1 when a run failed.
template <class Step>
double Fastest(
    Step step, const std::function<void()>& before = [] {}) {
    double best = -1;
    for (int i = 0; i < Runs; ++i) {
        before();
        const auto start = std::chrono::steady_clock::now();
        if (!step())
            return -1;
        best = i == 0 ? MsSince(start) : std::min(best, MsSince(start));
    }
    return best;
}

// The floors, by Floor: the file read in blocks of 1 MiB with its lines counted (scan), its bytes
// written to a new file beside it and pushed to the disk (write); in this process, and when
// programs is set as whole processes (wc -l; dd conv=fsync). False, with the reason in why, when
// one could not be measured.
bool MeasureFloors(const Bench& b, bool programs, double floors[], std::string& why) {
    std::ifstream in(b.PlansFile, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string copy = b.PlansFile + ".floor";
    std::vector<char> block(std::size_t{1} << 20);
    floors[int(Floor::Scan)] = Fastest([&] {
        std::FILE* f = std::fopen(b.PlansFile.c_str(), "rb");
        long lines = 0;
        for (std::size_t got; f && (got = std::fread(block.data(), 1, block.size(), f)) > 0;)
            lines += std::count(block.data(), block.data() + got, '\n');
        return f && std::fclose(f) == 0 && lines > 0;
    });
    const auto removeCopy = [&copy] { std::remove(copy.c_str()); };
    floors[int(Floor::Write)] = Fastest(
        [&] {
            std::FILE* f = std::fopen(copy.c_str(), "wb");
            const bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() &&
                            std::fflush(f) == 0 && ::fsync(::fileno(f)) == 0;
            return (!f || std::fclose(f) == 0) && ok;
        },
        removeCopy);
    const auto run = [&](const std::vector<std::string>& args) {
        return !programs || RunProgram(args, false, why);
    };
    const double wc = Fastest([&] { return run({"wc", "-l", b.PlansFile}); });
    const double dd = Fastest(
        [&] {
            return run(
                {"dd", "if=" + b.PlansFile, "of=" + copy, "bs=1M", "conv=fsync", "status=none"});
        },
        removeCopy);
    removeCopy();
    floors[int(Floor::ProgramScan)] = wc;
    floors[int(Floor::ProgramScanAndWrite)] = wc + dd;
    if (floors[int(Floor::Scan)] > 0 && floors[int(Floor::Write)] > 0 && wc >= 0 && dd >= 0)
        return true;
    why = why.empty() ? "the floors of " + b.PlansFile + " could not be measured" : why;
    return false;
}

bool RunsProgram(const Case& c) {
    return c.Against >= Floor::ProgramScan;
}

// Runs one case Runs times and gives its median time; false when it failed.
bool TimeCase(const Case& c, Bench& b, double& ms) {
    std::vector<double> times;
    for (int i = 0; i < Runs; ++i) {
        if (!c.Prepare(b))
            return false;
        const auto start = std::chrono::steady_clock::now();
        const bool ok = c.Run(b);
        times.push_back(MsSince(start));
        if (!ok || (c.Check && !c.Check(b)))
            return false;
    }
    std::sort(times.begin(), times.end());
    ms = times[times.size() / 2];
    return true;
}

// Prints what the first command adds to the peak memory of the second, as a factor of the file's
// size; false when one of them failed. A process's peak counts that of the process it was started
// from, so each is started by /usr/bin/time (Debian package time), which is small.
bool PrintMemory(const char* name, const std::vector<std::string>& with,
                 const std::vector<std::string>& without, bool display, double fileBytes,
                 bool& allMet) {
    const std::string kbFile = ScratchFile("kb");
    double kb[2] = {};
    std::string why;
    for (int i = 0; i < 2; ++i) {
        std::vector<std::string> timed = {"/usr/bin/time", "-f", "%M", "-o", kbFile};
        timed.insert(timed.end(), (i ? without : with).begin(), (i ? without : with).end());
        std::ifstream said;
        const bool measured = RunProgram(timed, display, why) && (said.open(kbFile), said >> kb[i]);
        std::remove(kbFile.c_str());
        if (!measured) {
            std::fprintf(stderr, "%s: %s\n", name, why.c_str());
            return false;
        }
    }
    const double added = (kb[0] - kb[1]) * 1024.0;
    allMet = allMet && added / fileBytes <= MemoryFactor;
    std::printf("%s: %.2fx target %.2fx (%.0f MB added; file %.1f MB)%s\n", name, added / fileBytes,
                MemoryFactor, added / MiB, fileBytes / MiB,
                added / fileBytes <= MemoryFactor ? "" : "  MISSED");
    return true;
}

// Drops the offscreen platform's notes that it can't raise or grab a window, which every opened
// list would print.
void QuietQtNotes(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtWarningMsg || !text.startsWith(QLatin1String("This plugin does not support")))
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

} // namespace

int main(int argc, char** argv) {
    qInstallMessageHandler(QuietQtNotes);
    int qtArgc = 1; // the toolkit sees no argument of the bench's own
    QApplication app(qtArgc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    Bench b;
    if (!args.empty() && args[0] == "--memory" && args.size() <= 2) { // the window, the set in it
        tarvik::testing::Window stand;
        ShowWindow(stand);
        b.Window = &stand;
        b.PlansFile = args.back() + "/FlightPlans.txt";
        return args.size() == 1 || OpenSet(b) ? 0
                                              : (std::fprintf(stderr, "%s\n", b.Error.c_str()), 2);
    }
    const bool programs = args.empty() || args[0] != "--no-command-line";
    args.erase(args.begin(), args.begin() + (programs ? 0 : 1));
    std::vector<Case> chosen;
    std::size_t named = 0; // the names given that name a case
    for (const Case& c : Cases()) {
        const bool asked = std::find(args.begin() + std::min<std::size_t>(args.size(), 1),
                                     args.end(), c.Name) != args.end();
        named += asked ? 1 : 0;
        if ((asked || args.size() < 2) && (programs || !RunsProgram(c)))
            chosen.push_back(c);
    }
    if ((!args.empty() && args[0][0] == '-') || (args.size() >= 2 && named + 1 != args.size())) {
        std::fprintf(stderr, "usage: %s [--no-command-line] [FOLDER [CASE...]]\n", argv[0]);
        return 2;
    }

    b.Folder = args.empty() ? TARVIK_BENCH_SET : args[0];
    b.PlansFile = b.Folder + "/FlightPlans.txt";
    b.Program = TARVIK_PROGRAM;
    b.Work = b.Folder + "-work";
    b.Saved = b.Folder + "/SavedPlans.txt";
    std::string why;
    double floors[5] = {};
    const bool anyProgram = std::any_of(chosen.begin(), chosen.end(), RunsProgram);
    if (!MakeBenchSet(b.Folder, why) || !MeasureFloors(b, anyProgram, floors, why)) {
        std::fprintf(stderr, "%s\n", why.c_str());
        return 2;
    }
    std::error_code ec;
    const double fileBytes = static_cast<double>(std::filesystem::file_size(b.PlansFile, ec));
    std::printf("set: %s (%.1f MB of plans); platform %s; %d runs per case\n"
                "floors: scan %.1f ms, write %.1f ms",
                b.Folder.c_str(), fileBytes / MiB, qPrintable(QGuiApplication::platformName()),
                Runs, floors[1], floors[2]);
    std::printf(anyProgram ? "; as processes: wc -l %.1f ms, dd %.1f ms\n" : "\n", floors[3],
                floors[4] - floors[3]);
    std::unique_ptr<tarvik::testing::Window> stand;
    bool allMet = true;
    bool failed = false;
    for (const Case& c : chosen) {
        if (!RunsProgram(c) && !stand) {
            stand = std::make_unique<tarvik::testing::Window>();
            ShowWindow(*stand);
            b.Window = stand.get();
        }
        double ms = 0;
        if (!TimeCase(c, b, ms)) {
            std::fprintf(stderr, "%s: %s\n", c.Name, b.Error.c_str());
            allMet = false;
            failed = true;
            break;
        }
        const double floor = floors[int(c.Against)];
        const double figure = c.Against == Floor::None ? ms : ms / floor;
        allMet = allMet && figure <= c.Target;
        const char* missed = figure <= c.Target ? "" : "  MISSED";
        if (c.Against == Floor::None)
            std::printf("%s: %.1f ms target %.0f ms%s\n", c.Name, ms, c.Target, missed);
        else
            std::printf("%s: %.1fx target %.1fx (%.1f ms; floor %.1f ms)%s\n", c.Name, figure,
                        c.Target, ms, floor, missed);
        std::fflush(stdout);
    }
    std::filesystem::remove_all(b.Work, ec); // the copies of the command line's cases
    std::filesystem::remove(b.Saved, ec);
    if (failed)
        return 2;
    if (args.size() >= 2)
        return allMet ? 0 : 1;
    stand.reset();
    const std::string self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!PrintMemory("open-set-memory", {self, "--memory", b.Folder}, {self, "--memory"}, true,
                     fileBytes, allMet) ||
        (programs && !PrintMemory("cli-check-memory", {b.Program, "check", b.Folder},
                                  {b.Program, "--version"}, false, fileBytes, allMet)))
        return 2;
    return allMet ? 0 : 1;
}
