#pragma once
// The timed cases of tarvik_bench. To add one, write its Prepare and Run functions in
// BenchCases.cpp and add a row to the table there.

#include "traffic/Tables.h"

#include <memory>
#include <string>
#include <vector>

namespace bench {

// What the cases work on. Loaded is a set loaded once, kept for cases that need one.
struct Bench {
    std::string Folder;
    std::string PlansFile;
    std::unique_ptr<tarvik::TrafficSet> Fresh;  // an empty set, made by a case's Prepare
    std::unique_ptr<tarvik::TrafficSet> Loaded; // made on first use by LoadedSet
    std::string Error;                          // set by a run that failed
};

// Loads the bench set into a new TrafficSet; false, with the reason in b.Error, on failure.
bool LoadInto(Bench& b, tarvik::TrafficSet& set);
// The set loaded once, for cases that work on loaded plans.
tarvik::TrafficSet* LoadedSet(Bench& b);

// One timed case: Prepare runs before each run and is not timed; Run is timed and returns false,
// with the reason in Bench::Error, when it failed.
struct Case {
    const char* Name;
    double TargetMs;
    bool (*Prepare)(Bench&);
    bool (*Run)(Bench&);
    bool (*Finish)(Bench&); // after the last run, not timed; may be null
};

const std::vector<Case>& Cases();

} // namespace bench
