#include "traffic/Load.h"

#include "traffic/LineReader.h"
#include "traffic/PlanLine.h"
#include "traffic/RefLines.h"
#include "traffic/Text.h"

#include <filesystem>
#include <initializer_list>
#include <new>
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

// Lines that are no plan are kept to be written back; a file may hold as many as plans.
constexpr std::size_t MostKeptLines = PlanSlots::Capacity;

std::string MoreThan(std::size_t capacity, const char* what) {
    return "the file holds more than " + std::to_string(capacity) + " " + what;
}

// Reads the file at path line by line: begin() once it is open, then take(line, number) for each
// line, which returns the empty string to go on or the reason to stop the load at that line. False,
// with result stopped, when the file could not be read to its end.
template <typename Begin, typename Take>
bool ReadEachLine(const std::string& path, LoadResult& result, Begin begin, Take take) {
    LineReader in;
    int64_t at = 1; // the line being read
    try {
        if (!in.Open(path)) {
            result = Stopped(result, path, 0, in.Error());
            return false;
        }
        begin(in.Stamp());
        std::string_view line;
        while (in.Next(line)) {
            at = in.LineNumber();
            std::string stop = take(line, at);
            if (!stop.empty()) {
                result = Stopped(result, path, at, std::move(stop));
                return false;
            }
            ++at;
        }
    } catch (const std::bad_alloc&) {
        result = Stopped(result, path, in.LineNumber() > 0 ? at : 0,
                         "there is not enough memory to read it");
        return false;
    }
    if (in.Failed()) {
        result = Stopped(result, path, in.LineNumber() + 1, in.Error());
        return false;
    }
    return true;
}

template <typename Take> bool ReadEachLine(const std::string& path, LoadResult& result, Take take) {
    return ReadEachLine(
        path, result, [](const FileStamp&) {}, take);
}

// The fields SplitPlans cuts from a line, kept from line to line.
struct PlanFields {
    std::string INP, TailNum, Rate, Ivfr, HPort, TheRest, Cment;
    int16_t Tag = 0;
    int16_t Pcent = 0;

    // Cuts line; true when it is a plan that the load stores.
    bool Split(std::string_view line) {
        Tag = 0;
        Pcent = 0;
        for (std::string* text : {&TailNum, &Rate, &Ivfr, &HPort, &TheRest, &Cment})
            text->clear();
        INP.assign(line.data(), line.size());
        const bool whole = SplitPlans(INP, Tag, TailNum, Pcent, Rate, Ivfr, HPort, TheRest, Cment);
        return IsStoredPlan(Tag, HPort, TheRest, whole);
    }
};

bool LoadPlans(TrafficSet& set, const ReportLine& report, LoadResult& result) {
    const auto begin = [&set](const FileStamp& stamp) {
        set.PlansWhole = false;
        set.KeptLines.clear();
        set.PlanCursor = -1;
        set.PlansStamp = stamp;
    };
    PlanFields f;
    const auto take = [&](std::string_view line, int64_t number) {
        if (line.empty() || !f.Split(line)) {
            if (set.KeptLines.size() >= MostKeptLines)
                return MoreThan(MostKeptLines, "lines that are no plan");
            set.KeptLines.push_back({set.PlanCursor + 1, std::string(line)});
            if (!line.empty() && f.Cment.empty() && report)
                report(number, f.INP);
            return std::string();
        }
        if (set.PlanCursor + 1 >= PlanSlots::Capacity)
            return MoreThan(PlanSlots::Capacity, "plans");
        ++set.PlanCursor;
        if (set.PlanCursor >= set.PlanTable.Size())
            set.PlanTable.Resize(set.PlanCursor + 1);
        set.PlanTable[set.PlanCursor].Assign(f.Tag, f.TailNum, f.Pcent, f.Rate, f.Ivfr, f.HPort,
                                             f.TheRest, f.Cment);
        return std::string();
    };
    if (!ReadEachLine(set.PlansFile, result, begin, take))
        return false;
    set.LastPlan = set.PlanCursor;
    set.PlanTable.Resize(set.LastPlan + 1);
    set.PlansWhole = true;
    result.PlansRead = true;
    return true;
}

bool LoadAircraft(TrafficSet& set, LoadResult& result) {
    int32_t i = -1;
    std::string why;
    const auto take = [&](std::string_view line, int64_t) {
        if (++i >= AircraftSlots::Capacity)
            return MoreThan(AircraftSlots::Capacity, "lines");
        if (i >= set.AircraftTable.Size())
            set.AircraftTable.Resize(i + 1);
        AircraftEntry& entry = set.AircraftTable[i];
        if (line.empty())
            entry = AircraftEntry{};
        else if (!SplitAircraft(line, entry.Acraft, entry.Atag, entry.ASpeed, &why))
            return why;
        return std::string();
    };
    if (!ReadEachLine(PathInFolder(set.PlansFolder, "Aircraft.txt"), result, take))
        return false;
    set.LastAircraft = i;
    result.AircraftRead = true;
    set.AircraftTable.Resize(i + 1);
    return true;
}

bool LoadAirports(TrafficSet& set, LoadResult& result) {
    int32_t j = -1;
    const auto take = [&](std::string_view line, int64_t) {
        if (line.empty())
            return std::string();
        if (j + 1 >= AirportSlots::Capacity)
            return MoreThan(AirportSlots::Capacity, "airports");
        ++j;
        if (j >= set.AirportTable.Size())
            set.AirportTable.Resize(j + 1);
        if (!CutAirportCode(line, set.AirportTable[j]))
            return std::string("the line has no comma");
        return std::string();
    };
    if (!ReadEachLine(PathInFolder(set.PlansFolder, "Airports.txt"), result, take))
        return false;
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
