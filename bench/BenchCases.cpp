#include "BenchCases.h"

#include "BenchSet.h"

#include "traffic/Load.h"
#include "traffic/Save.h"

#include <filesystem>
#include <system_error>

namespace bench {

bool LoadInto(Bench& b, tarvik::TrafficSet& set) {
    long reports = 0;
    const tarvik::LoadResult r =
        tarvik::OpenSet(b.PlansFile, set, [&reports](int64_t, const std::string&) { ++reports; });
    if (!r.Complete) {
        b.Error = "the load stopped in " + r.Stop.File + " at line " + std::to_string(r.Stop.Line) +
                  ": " + r.Stop.Reason;
        return false;
    }
    if (set.LastPlan + 1 != SetPlans || set.LastAircraft + 1 != SetAircraft ||
        set.LastAirport + 1 != SetAirports || reports != 0) {
        b.Error = "the load found " + std::to_string(set.LastPlan + 1) + " plans, " +
                  std::to_string(set.LastAircraft + 1) + " aircraft, " +
                  std::to_string(set.LastAirport + 1) + " airports and " + std::to_string(reports) +
                  " doubtful lines";
        return false;
    }
    return true;
}

tarvik::TrafficSet* LoadedSet(Bench& b) {
    if (!b.Loaded) {
        auto set = std::make_unique<tarvik::TrafficSet>();
        if (!LoadInto(b, *set))
            return nullptr;
        b.Loaded = std::move(set);
    }
    return b.Loaded.get();
}

namespace {

// load: FillFPlans of the whole set into an empty set of tables.
bool PrepareLoad(Bench& b) {
    b.Fresh.reset(); // the last run's tables are freed outside the timing
    b.Fresh = std::make_unique<tarvik::TrafficSet>();
    return true;
}

bool RunLoad(Bench& b) {
    return LoadInto(b, *b.Fresh);
}

bool FinishLoad(Bench& b) {
    b.Fresh.reset();
    return true;
}

// save: SavePlans of the loaded set over an earlier save of it beside the set, as a save over the
// set's own file does. The file ends byte for byte as the set's flight-plan file, since the set is
// written the way the save writes.
std::string SavedPath(const Bench& b) {
    return b.Folder + "/SavedPlans.txt";
}

bool RunSave(Bench& b);

bool PrepareSave(Bench& b) {
    if (!LoadedSet(b))
        return false;
    std::error_code ec;
    return std::filesystem::exists(SavedPath(b), ec) || RunSave(b);
}

bool RunSave(Bench& b) {
    const tarvik::SaveResult r = tarvik::SaveSet(*b.Loaded, SavedPath(b), [] { return true; });
    if (!r.Ok)
        b.Error = "the save failed: " + r.Error;
    return r.Ok;
}

bool FinishSave(Bench& b) {
    std::error_code ec;
    const auto saved = std::filesystem::file_size(SavedPath(b), ec);
    const auto original = std::filesystem::file_size(b.PlansFile, ec);
    std::filesystem::remove(SavedPath(b), ec);
    if (saved != original) {
        b.Error = "the save wrote " + std::to_string(saved) + " bytes where the set has " +
                  std::to_string(original);
        return false;
    }
    return true;
}

} // namespace

const std::vector<Case>& Cases() {
    static const std::vector<Case> cases = {
        {"load-traffic", Floor::Scan, 4, PrepareLoad, RunLoad, nullptr, FinishLoad},
        {"save-traffic", Floor::Write, 1.5, PrepareSave, RunSave, nullptr, FinishSave},
    };
    return cases;
}

} // namespace bench
