// tarvik_bench [FOLDER [CASE...]]: times each case of BenchCases.cpp and BenchWindowCases.cpp (or
// only the cases named) on a full-size traffic set, made once in FOLDER, the window's cases on the
// real window shown on the Qt platform of the environment (QT_QPA_PLATFORM). First it measures
// two floors on the same file in the same run: reading it and counting its lines (scan), writing
// its bytes to a new file beside it and pushing them to the disk (write). A throughput case prints
// "name: R.Rx target T x (M ms; floor F ms)", its median time as a ratio to its floor; a
// perception case "name: M ms target T ms". Without case names it also measures what opening the
// set adds to the peak memory of the whole program, in a process of its own, against 1.25 times
// the flight-plan file. Exits 1 when a figure misses its target, 2 when a case failed.
// tarvik_bench --memory FOLDER: shows the window, opens the set in it and prints the process's
// peak memory before and after.

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
constexpr double MemoryFactor = 1.25;
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
    const long before = PeakMemoryKb();
    if (!bench::OpenSet(b)) {
        std::fprintf(stderr, "%s\n", b.Error.c_str());
        return 2;
    }
    std::printf("vmhwm-kb %ld %ld\n", before, PeakMemoryKb());
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

// What opening the set adds to the peak memory of the program with its window shown, in a new
// process, in kB; -1 when it could not be measured.
long MemoryAddedByOpenSet(const std::string& folder) {
    const std::string command = Quoted(SelfPath()) + " --memory " + Quoted(folder);
    std::FILE* child = ::popen(command.c_str(), "r");
    if (!child)
        return -1;
    long before = -1;
    long after = -1;
    char line[256];
    while (std::fgets(line, sizeof line, child))
        std::sscanf(line, "vmhwm-kb %ld %ld", &before, &after);
    return ::pclose(child) == 0 && before >= 0 && after >= before ? after - before : -1;
}

double MsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

struct Floors {
    double ScanMs = 0;
    double WriteMs = 0;
    double Of(bench::Floor floor) const {
        switch (floor) {
        case bench::Floor::Scan:
            return ScanMs;
        case bench::Floor::Write:
            return WriteMs;
        case bench::Floor::ScanAndWrite:
            return ScanMs + WriteMs;
        case bench::Floor::None:
            break;
        }
        return 0;
    }
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The floors of the flight-plan file, the fastest of Runs: read in blocks of 1 MiB with its lines
// counted; its bytes written to a new file beside it and pushed to the disk.
bool MeasureFloors(const std::string& plansFile, Floors& floors) {
    std::vector<double> scan;
    std::vector<double> write;
    std::vector<char> block(std::size_t{1} << 20);
    std::string bytes;
    for (int i = 0; i < Runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        std::FILE* in = std::fopen(plansFile.c_str(), "rb");
        if (!in)
            return false;
        std::size_t lines = 0;
        for (std::size_t got; (got = std::fread(block.data(), 1, block.size(), in)) > 0;) {
            lines += static_cast<std::size_t>(std::count(block.data(), block.data() + got, '\n'));
            if (i == 0)
                bytes.append(block.data(), got);
        }
        std::fclose(in);
        if (i > 0)
            scan.push_back(MsSince(start));
        if (lines == 0)
            return false;
    }
    const std::string copy = plansFile + ".floor";
    for (int i = 0; i < Runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        std::FILE* out = std::fopen(copy.c_str(), "wb");
        const bool ok = out && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size() &&
                        std::fflush(out) == 0 && ::fsync(::fileno(out)) == 0;
        if (out)
            std::fclose(out);
        write.push_back(MsSince(start));
        std::remove(copy.c_str());
        if (!ok)
            return false;
    }
    // A floor is the best the machine did: the fastest run, which a passing load disturbs least.
    floors.ScanMs = *std::min_element(scan.begin(), scan.end());
    floors.WriteMs = *std::min_element(write.begin(), write.end());
    return true;
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
bool TimeCases(const std::vector<bench::Case>& cases, const Floors& floors, bench::Bench& b,
               bool& allMet) {
    for (const bench::Case& c : cases) {
        Timing t;
        if (!TimeCase(c, b, t)) {
            std::fprintf(stderr, "%s: %s\n", c.Name, b.Error.c_str());
            return false;
        }
        const double floor = floors.Of(c.Against);
        const double figure = c.Against == bench::Floor::None ? t.Ms : t.Ms / floor;
        const bool met = figure <= c.Target;
        allMet = allMet && met;
        if (c.Against == bench::Floor::None)
            std::printf("%s: %.1f ms target %.0f ms (processor %.1f ms)%s\n", c.Name, t.Ms,
                        c.Target, t.CpuMs, met ? "" : "  MISSED");
        else
            std::printf("%s: %.1fx target %.1fx (%.1f ms; floor %.1f ms)%s\n", c.Name, figure,
                        c.Target, t.Ms, floor, met ? "" : "  MISSED");
        std::fflush(stdout);
    }
    return true;
}

bool TimeWindowCases(const std::vector<bench::Case>& cases, const Floors& floors, bench::Bench& b,
                     bool& allMet) {
    if (cases.empty())
        return true;
    tarvik::testing::Window stand;
    b.Window = &stand;
    bench::ShowWindow(stand);
    const bool ran = TimeCases(cases, floors, b, allMet);
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

    Floors floors;
    if (!MeasureFloors(b.PlansFile, floors)) {
        std::fprintf(stderr, "the floors of %s could not be measured\n", b.PlansFile.c_str());
        return 2;
    }
    std::printf("floors: scan %.1f ms, write %.1f ms\n", floors.ScanMs, floors.WriteMs);
    bool allMet = true;
    if (!TimeCases(Chosen(bench::Cases(), only), floors, b, allMet))
        return 2;
    b.Loaded.reset();
    if (!TimeWindowCases(Chosen(bench::WindowCases(), only), floors, b, allMet))
        return 2;
    if (!only.empty())
        return allMet ? 0 : 1;

    const long kb = MemoryAddedByOpenSet(b.Folder);
    if (kb < 0) {
        std::fprintf(stderr, "open-set-memory: could not be measured\n");
        return 2;
    }
    const double added = static_cast<double>(kb) * 1024.0 / planBytes;
    const bool memoryMet = added <= MemoryFactor;
    std::printf("open-set-memory: %.2fx target %.2fx (%.0f MB added; file %.1f MB)%s\n", added,
                MemoryFactor, static_cast<double>(kb) / 1024.0, planBytes / MiB,
                memoryMet ? "" : "  MISSED");
    return allMet && memoryMet ? 0 : 1;
}
