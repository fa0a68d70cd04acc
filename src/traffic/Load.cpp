#include "traffic/Load.h"

#include "traffic/LineReader.h"
#include "traffic/PlanLine.h"
#include "traffic/RefLines.h"
#include "traffic/Text.h"

#include <filesystem>
#include <system_error>

namespace tarvik {

namespace {

#ifdef _WIN32
constexpr char Sep = '\\';
#else
constexpr char Sep = '/';
#endif

LoadResult Stopped(const LoadResult& sofar, const std::string& file, int64_t line,
                   std::string reason) {
    LoadResult r = sofar;
    r.Complete = false;
    r.Stop = LoadStop{file, line, std::move(reason)};
    return r;
}

bool LoadPlans(TrafficSet& set, const ReportLine& report, LoadResult& result) {
    LineReader in;
    if (!in.Open(set.PlansFile)) {
        result = Stopped(result, set.PlansFile, 0, in.Error());
        return false;
    }
    set.PlansWhole = false;
    set.KeptLines.clear();
    set.PlanCursor = -1;

    std::string INP;
    std::string TailNum, Rate, Ivfr, HPort, TheRest, Cment;
    std::string_view raw;
    while (in.Next(raw)) {
        if (raw.empty()) {
            set.KeptLines.push_back({set.PlanCursor + 1, std::string()});
            continue;
        }
        int16_t Tag = 0;
        int16_t Pcent = 0;
        TailNum.clear();
        Rate.clear();
        Ivfr.clear();
        HPort.clear();
        TheRest.clear();
        Cment.clear();
        INP.assign(raw.data(), raw.size());
        const bool whole = SplitPlans(INP, Tag, TailNum, Pcent, Rate, Ivfr, HPort, TheRest, Cment);
        if (IsStoredPlan(Tag, HPort, TheRest, whole)) {
            if (set.PlanCursor + 1 >= PlanSlots::Capacity) {
                result = Stopped(result, set.PlansFile, in.LineNumber(),
                                 "the file holds more than " + std::to_string(PlanSlots::Capacity) +
                                     " plans");
                return false;
            }
            ++set.PlanCursor;
            if (set.PlanCursor >= set.PlanTable.Size())
                set.PlanTable.Resize(set.PlanCursor + 1);
            set.PlanTable[set.PlanCursor].Assign(Tag, TailNum, Pcent, Rate, Ivfr, HPort, TheRest,
                                                 Cment);
            continue;
        }
        set.KeptLines.push_back({set.PlanCursor + 1, std::string(raw)});
        if (Cment.empty() && report)
            report(ProblemText + std::to_string(in.LineNumber()) + "\n" + INP);
    }
    if (in.Failed()) {
        result = Stopped(result, set.PlansFile, in.LineNumber() + 1, in.Error());
        return false;
    }
    set.LastPlan = set.PlanCursor;
    set.PlanTable.Resize(set.LastPlan + 1);
    set.PlansWhole = true;
    result.PlansRead = true;
    return true;
}

bool LoadAircraft(TrafficSet& set, LoadResult& result) {
    const std::string path = PathInFolder(set.PlansFolder, "Aircraft.txt");
    LineReader in;
    if (!in.Open(path)) {
        result = Stopped(result, path, 0, in.Error());
        return false;
    }
    int32_t i = -1;
    std::string_view line;
    std::string why;
    while (in.Next(line)) {
        ++i;
        if (i >= AircraftSlots::Capacity) {
            result = Stopped(result, path, in.LineNumber(),
                             "the file holds more than " + std::to_string(AircraftSlots::Capacity) +
                                 " lines");
            return false;
        }
        if (i >= set.AircraftTable.Size())
            set.AircraftTable.Resize(i + 1);
        AircraftEntry& entry = set.AircraftTable[i];
        if (line.empty()) {
            entry = AircraftEntry{};
            continue;
        }
        if (!SplitAircraft(line, entry.Acraft, entry.Atag, entry.ASpeed, &why)) {
            result = Stopped(result, path, in.LineNumber(), why);
            return false;
        }
    }
    if (in.Failed()) {
        result = Stopped(result, path, in.LineNumber() + 1, in.Error());
        return false;
    }
    set.LastAircraft = i;
    result.AircraftRead = true;
    set.AircraftTable.Resize(i + 1);
    return true;
}

bool LoadAirports(TrafficSet& set, LoadResult& result) {
    const std::string path = PathInFolder(set.PlansFolder, "Airports.txt");
    LineReader in;
    if (!in.Open(path)) {
        result = Stopped(result, path, 0, in.Error());
        return false;
    }
    int32_t j = -1;
    std::string_view line;
    while (in.Next(line)) {
        if (line.empty())
            continue;
        if (j + 1 >= AirportSlots::Capacity) {
            result = Stopped(result, path, in.LineNumber(),
                             "the file holds more than " + std::to_string(AirportSlots::Capacity) +
                                 " airports");
            return false;
        }
        ++j;
        if (j >= set.AirportTable.Size())
            set.AirportTable.Resize(j + 1);
        if (!CutAirportCode(line, set.AirportTable[j])) {
            result = Stopped(result, path, in.LineNumber(), "the line has no comma");
            return false;
        }
    }
    if (in.Failed()) {
        result = Stopped(result, path, in.LineNumber() + 1, in.Error());
        return false;
    }
    set.LastAirport = j;
    set.AirportTable.Resize(j + 1);
    return true;
}

} // namespace

LoadResult FillFPlans(TrafficSet& set, const ReportLine& report) {
    LoadResult result;
    if (LoadPlans(set, report, result) && LoadAircraft(set, result) && LoadAirports(set, result))
        result.Complete = true;
    return result;
}

std::string GetFolder(const std::string& path) {
    std::string p = path;
#ifdef _WIN32
    for (char& c : p)
        if (c == '/')
            c = '\\';
#endif
    std::size_t L = p.size();
    const std::size_t first = p.find(Sep);
    if (first != std::string::npos && first + 1 == p.size()) {
        if (L > 1)
            --L;
    } else {
        while (L > 0 && p[L - 1] != Sep)
            --L;
    }
    std::string folder;
    if (L < 1) {
        std::error_code ec;
        folder = std::filesystem::current_path(ec).string();
    } else {
        folder = p.substr(0, L);
        if (folder.back() == ':')
            folder.push_back(Sep);
    }
    if (!folder.empty() && folder.back() == Sep)
        folder.pop_back();
    return folder;
}

std::string PathInFolder(const std::string& folder, const std::string& name) {
    const std::string exact = folder + Sep + name;
    std::error_code ec;
    if (std::filesystem::exists(exact, ec))
        return exact;
    const std::filesystem::path dir =
        folder.empty() ? std::filesystem::path(std::string(1, Sep)) : std::filesystem::path(folder);
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string found = it->path().filename().string();
        if (EqualsNoCase(found, name))
            return folder + Sep + found;
    }
    return exact;
}

} // namespace tarvik
