#pragma once
// Loading a traffic set: the flight-plan file, then the aircraft and airport files of its folder
// (Aircraft.txt and Airports.txt, or those that share the flight-plan file's name suffix).

#include "traffic/LineReader.h"
#include "traffic/SetPaths.h"
#include "traffic/Tables.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvik {

// Where and why a load ended before the end of its three files.
struct LoadStop {
    std::string File; // the path of the file being read
    int64_t Line = 0; // the line's number in that file, from 1; 0 when the file could not be read
    std::string Reason;
};

struct LoadResult {
    bool Complete = false;     // all three files were read to their end
    bool PlansRead = false;    // the flight-plan file was read to its end
    bool AircraftRead = false; // Aircraft.txt was read to its end
    LoadStop Stop;             // set when Complete is false
    int32_t Plans = 0;         // the plans of the flight-plan file, as far as it was read
};

// Called for every doubtful flight-plan line with its number in the file (from 1) and the line as
// SplitPlans left it (its first ";" written "//", its comment cut off).
using ReportLine = std::function<void(int64_t line, const std::string& text)>;

// Where a load puts the plans: in the set's plan table, or nowhere: the flight-plan file is read
// through a block at a time, for its figures and its doubtful lines (Counted), only for where a
// load of it would stop (Scanned: the load stops at the same line, for the same reason, but its
// figures are not counted; the lists, read meanwhile, are kept only when nothing stopped), or not
// read at all but for its stamp (only the lists are loaded, for a reading in blocks to follow).
// The plan table is then left as it was.
enum class PlansKept { InTable, Counted, Scanned, NotRead };

// Loads set.PlansFile and the two lists of set.PlansFolder that ListFilesOf names into the tables.
// read reads the blocks of the files (a test gives one that fails).
LoadResult FillFPlans(TrafficSet& set, const ReportLine& report,
                      PlansKept kept = PlansKept::InTable, ReadBlockFunction read = ReadFromFile);

// Opens the set that given names, as the user gives it (a flight-plan file, or a folder that
// holds one, as PlansFileOf finds it): sets set.PlansFile and set.PlansFolder and loads it as
// FillFPlans does. A folder that names no set stops the load at its line 0, with the reason.
LoadResult OpenSet(const std::string& given, TrafficSet& set, const ReportLine& report,
                   PlansKept kept = PlansKept::InTable, ReadBlockFunction read = ReadFromFile);

// True for a line that a load keeps (no plan) and reports as doubtful, with the text it reports
// in shown: the line as SplitPlans leaves it, or the whole line of a plan whose line as a save
// writes it a load would not read back.
bool DoubtfulLine(std::string_view line, std::string& shown);

// A step taken on a block of plans: the block's own set and the number of its first line; false
// breaks the reading off.
using BlockStep = std::function<bool(TrafficSet&, int64_t)>;

// Reads set.PlansFile, which a load has read with the stamp expected, again a block of lines at a
// time: the plans and kept lines of each block, as a load makes them, go to block, its plans from
// index 0 to LastPlan. Then, when given, after takes each block, in their order, on a thread of
// its own, while block works on the next: it must touch nothing that block touches. That thread
// also reads the blocks. Doubtful lines are not reported again. The result is complete when the
// whole file was read and no step broke the reading off; the lists are not read. What after
// throws is thrown again here.
LoadResult ReadPlansInBlocks(TrafficSet& set, const FileStamp& expected, const BlockStep& block,
                             const BlockStep& after = {});

} // namespace tarvik
