#pragma once
// What tarvik_bench's cases share. To add a case, write its steps in BenchCases.cpp and add a row
// to the table there.

#include <string>
#include <vector>

namespace tarvik::testing {
struct Window;
}

namespace bench {

inline constexpr int SetPlans = 500001;
inline constexpr int SetAircraft = 3001;
inline constexpr int SetAirports = 100001;

// Makes the full-size set (FlightPlans.txt, Aircraft.txt, Airports.txt) in folder unless it is
// there already. False, with the reason in why, when the files can't be written.
bool MakeBenchSet(const std::string& folder, std::string& why);

// What a throughput case is measured against: the flight-plan file read once and its lines counted
// (scan), or its bytes written once to a new file and pushed to the disk (write), both in this
// process or as whole processes (wc -l, dd). A perception case has none: it is measured in
// milliseconds, as a person feels it.
enum class Floor { None, Scan, Write, ProgramScan, ProgramScanAndWrite };

// What the cases work on and what a case keeps between its steps.
struct Bench {
    std::string Folder, PlansFile; // the full-size set and its flight plans
    std::string Program;           // the tarvik program, for the command line's cases
    std::string Work;              // a folder of copies that a run of the program may change
    std::string Saved;             // the file beside the set that save-set writes
    tarvik::testing::Window* Window = nullptr; // the real window, shown, for the window's cases
    std::string VisitedOld, VisitedNew;        // the airports of the visited-airport lot
    int VisitingBefore = 0;                    // the plans that visit VisitedOld before a lot
    int Waits = 0, Mismatches = 0;             // the decision waits of the last run
    std::string Error;                         // why a step failed
};

// One timed case: Prepare runs before each run and is not timed; Run is timed; Check, when given,
// runs after each run, untimed: did the run do its work. Each returns false, with the reason in
// Bench::Error, when it failed.
struct Case {
    const char* Name;
    Floor Against; // a case against a floor of processes runs the program
    double Target; // the most times its floor, or the most milliseconds where it has none
    bool (*Prepare)(Bench&);
    bool (*Run)(Bench&);
    bool (*Check)(Bench&);
};

const std::vector<Case>& Cases();

// Shows the test window as the program does; the stand-in of the message boxes answers No to the
// save question, so that a reload never saves.
void ShowWindow(tarvik::testing::Window& window);
// Opens the bench set in the window through Files, Open; false, with the reason in b.Error, when
// the window did not show the whole set.
bool OpenSet(Bench& b);

// Runs args[0], found on the PATH, with args, its output to /dev/null; display false takes the
// display away from it. False, with the reason in why, when it could not start or did not end with
// status 0.
bool RunProgram(const std::vector<std::string>& args, bool display, std::string& why);

} // namespace bench
