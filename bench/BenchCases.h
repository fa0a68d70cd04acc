#pragma once
// The timed cases of tarvik_bench. To add one, write its Prepare and Run functions in
// BenchCases.cpp (BenchWindowCases.cpp for the window's) and add a row to the table there.

#include "traffic/Tables.h"

#include <memory>
#include <string>
#include <vector>

namespace tarvik::testing {
struct Window;
}

namespace bench {

// What the cases work on. Loaded is a set loaded once, kept for cases that need one.
struct Bench {
    std::string Folder;
    std::string PlansFile;
    std::unique_ptr<tarvik::TrafficSet> Fresh;  // an empty set, made by a case's Prepare
    std::unique_ptr<tarvik::TrafficSet> Loaded; // made on first use by LoadedSet
    std::string Error;                          // set by a run that failed
    tarvik::testing::Window* Window = nullptr;  // the real window, shown, for the window's cases
    std::string VisitedOld, VisitedNew;         // the airports of the visited-airport lot
};

// Loads the bench set into a new TrafficSet; false, with the reason in b.Error, on failure.
bool LoadInto(Bench& b, tarvik::TrafficSet& set);
// The set loaded once, for cases that work on loaded plans.
tarvik::TrafficSet* LoadedSet(Bench& b);

// What a throughput case is measured against: the same bytes read once and their lines counted
// (scan), written once to a new file and pushed to the disk (write), or both. A perception case
// has none: it is measured in milliseconds, as a person feels it.
enum class Floor { None, Scan, Write, ScanAndWrite };

// One timed case: Prepare runs before each run and is not timed; Run is timed and returns false,
// with the reason in Bench::Error, when it failed.
struct Case {
    const char* Name;
    Floor Against;
    double Target; // the most times its floor, or the most milliseconds where it has none
    bool (*Prepare)(Bench&);
    bool (*Run)(Bench&);
    bool (*Check)(Bench&);  // after each run, not timed: did the run do its work; may be null
    bool (*Finish)(Bench&); // after the last run, not timed; may be null
};

// Shows the test window as the program does, with the program's random source; the stand-in of
// the message boxes answers No to the save question, so that a reload never saves.
void ShowWindow(tarvik::testing::Window& window);

// Opens the bench set in the window through Files, Open, as the case open-set does; false, with the
// reason in b.Error, when the window did not show the whole set.
bool OpenSet(Bench& b);

// The traffic-only cases, then the window's.
const std::vector<Case>& Cases();
const std::vector<Case>& WindowCases();

} // namespace bench
