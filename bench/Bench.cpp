// tarvik_bench [FOLDER [CASE...]]: times each case of BenchCases.cpp and BenchWindowCases.cpp (or
// only the cases named) on a full-size traffic set, made once in FOLDER, the window's cases on the
// real window shown on the Qt platform of the environment (QT_QPA_PLATFORM). Without case names
// it also measures the peak memory of the whole program with the set open, in a process of its
// own. Prints one line per case, "name: median ms target ms" (with the processor time of a run
// beside it), and "peak-memory: N MB limit M MB"; exits 1 when a figure misses its target, 2 when
// a case failed. tarvik_bench --memory FOLDER: shows the window, opens the set in it and prints
// the process's peak memory.

#include "BenchCases.h"
#include "BenchSet.h"
#include "support/Window.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#ifndef TARVIK_BENCH_SET
#define TARVIK_BENCH_SET "bench-set"
#endif

namespace {

constexpr int Runs = 5;
constexpr double MemoryFactor = 2.5;
constexpr double MiB = 1024.0 * 1024.0;

// The process's peak resident memory in kB (VmHWM), or -1 when unknown.
long PeakMemoryKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, 6, "VmHWM:") == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

int MeasureOpenSet(const std::string& folder) {
    bench::Bench b;
    b.Folder = folder;
    b.PlansFile = folder + "/FlightPlans.txt";
    tarvik::testing::Window stand;
    b.Window = &stand;
    bench::ShowWindow(stand);
    if (!bench::OpenSet(b)) {
        std::fprintf(stderr, "%s\n", b.Error.c_str());
        return 2;
    }
    std::printf("vmhwm-kb %ld\n", PeakMemoryKb());
    return 0;
}

std::string Quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string SelfPath() {
    std::vector<char> buf(4096);
    const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    return n > 0 ? std::string(buf.data(), static_cast<std::size_t>(n)) : std::string();
}

// Peak memory of the program with the set open, in a new process, in kB; -1 when it could not be
// measured.
long PeakMemoryOfOpenSet(const std::string& folder) {
    const std::string command = Quoted(SelfPath()) + " --memory " + Quoted(folder);
    std::FILE* child = ::popen(command.c_str(), "r");
    if (!child)
        return -1;
    long kb = -1;
    char line[256];
    while (std::fgets(line, sizeof line, child))
        std::sscanf(line, "vmhwm-kb %ld", &kb);
    return ::pclose(child) == 0 ? kb : -1;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double CpuMs() {
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

struct Timing {
    double Ms = 0;    // median wall-clock time of a run
    double CpuMs = 0; // median processor time of a run, which a busy machine inflates less
};

// Runs one case Runs times; false when it failed.
bool TimeCase(const bench::Case& c, bench::Bench& b, Timing& timing) {
    std::vector<double> wall;
    std::vector<double> cpu;
    for (int i = 0; i < Runs; ++i) {
        if (!c.Prepare(b))
            return false;
        const double cpuStart = CpuMs();
        const auto start = std::chrono::steady_clock::now();
        const bool ok = c.Run(b);
        const auto end = std::chrono::steady_clock::now();
        cpu.push_back(CpuMs() - cpuStart);
        if (!ok || (c.Check && !c.Check(b)))
            return false;
        wall.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    timing.Ms = Median(wall);
    timing.CpuMs = Median(cpu);
    return !c.Finish || c.Finish(b);
}

std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string first;
    in >> first;
    return first.empty() ? "unknown" : first;
}

// Drops the offscreen platform's notes that it can't raise or grab a window, which every opened
// list would print; passes everything else on.
QtMessageHandler QtPrinter = nullptr;

void QuietQtNotes(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtWarningMsg && text.startsWith(QLatin1String("This plugin does not support")))
        return;
    QtPrinter(type, context, text);
}

// The cases of table named in only, or all of them when only is empty.
std::vector<bench::Case> Chosen(const std::vector<bench::Case>& table,
                                const std::vector<std::string>& only) {
    std::vector<bench::Case> chosen;
    for (const bench::Case& c : table)
        if (only.empty() || std::find(only.begin(), only.end(), c.Name) != only.end())
            chosen.push_back(c);
    return chosen;
}

// Times every case given; false when one failed.
bool TimeCases(const std::vector<bench::Case>& cases, bench::Bench& b, bool& allMet) {
    for (const bench::Case& c : cases) {
        Timing t;
        if (!TimeCase(c, b, t)) {
            std::fprintf(stderr, "%s: %s\n", c.Name, b.Error.c_str());
            return false;
        }
        const bool met = t.Ms <= c.TargetMs;
        allMet = allMet && met;
        std::printf("%s: %.1f ms target %.0f ms (processor %.1f ms)%s\n", c.Name, t.Ms, c.TargetMs,
                    t.CpuMs, met ? "" : "  MISSED");
        std::fflush(stdout);
    }
    return true;
}

bool TimeWindowCases(const std::vector<bench::Case>& cases, bench::Bench& b, bool& allMet) {
    if (cases.empty())
        return true;
    tarvik::testing::Window stand;
    b.Window = &stand;
    bench::ShowWindow(stand);
    const bool ran = TimeCases(cases, b, allMet);
    b.Window = nullptr;
    return ran;
}

bool KnownCases(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        const auto named = [&name](const bench::Case& c) { return name == c.Name; };
        if (std::none_of(bench::Cases().begin(), bench::Cases().end(), named) &&
            std::none_of(bench::WindowCases().begin(), bench::WindowCases().end(), named)) {
            std::fprintf(stderr, "no case %s\n", name.c_str());
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const bool memory = argc >= 2 && std::strcmp(argv[1], "--memory") == 0;
    const std::vector<std::string> only =
        memory ? std::vector<std::string>()
               : std::vector<std::string>(argv + std::min(argc, 2), argv + argc);
    if ((memory && argc != 3) || (argc >= 2 && !memory && argv[1][0] == '-') || !KnownCases(only)) {
        std::fprintf(stderr, "usage: %s [FOLDER [CASE...]]\n       %s --memory FOLDER\n", argv[0],
                     argv[0]);
        return 2;
    }
    QtPrinter = qInstallMessageHandler(QuietQtNotes);
    // The toolkit sees no argument of the bench's own.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    if (memory)
        return MeasureOpenSet(argv[2]);

    bench::Bench b;
    b.Folder = argc >= 2 ? argv[1] : TARVIK_BENCH_SET;
    b.PlansFile = b.Folder + "/FlightPlans.txt";
    std::string why;
    if (!bench::MakeBenchSet(b.Folder, why)) {
        std::fprintf(stderr, "%s\n", why.c_str());
        return 2;
    }
    std::error_code ec;
    const double planBytes = static_cast<double>(std::filesystem::file_size(b.PlansFile, ec));
    std::printf("set: %s (%d plans, %.1f MB of plans); platform %s; %d runs per case; load "
                "average %s\n",
                b.Folder.c_str(), bench::SetPlans, planBytes / MiB,
                QGuiApplication::platformName().toLocal8Bit().constData(), Runs,
                LoadAverage().c_str());
    std::fflush(stdout);

    bool allMet = true;
    if (!TimeCases(Chosen(bench::Cases(), only), b, allMet))
        return 2;
    b.Loaded.reset();
    if (!TimeWindowCases(Chosen(bench::WindowCases(), only), b, allMet))
        return 2;
    if (!only.empty())
        return allMet ? 0 : 1;

    const long kb = PeakMemoryOfOpenSet(b.Folder);
    if (kb < 0) {
        std::fprintf(stderr, "peak-memory: could not be measured\n");
        return 2;
    }
    const double limit = MemoryFactor * planBytes / MiB;
    const double peak = static_cast<double>(kb) / 1024.0;
    const bool memoryMet = peak <= limit;
    std::printf("peak-memory: %.0f MB limit %.0f MB%s\n", peak, limit, memoryMet ? "" : "  MISSED");
    return allMet && memoryMet ? 0 : 1;
}
