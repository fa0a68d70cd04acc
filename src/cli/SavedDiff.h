#pragma once
// How a save of a set would differ from the file the set was loaded from, line by line, and that
// difference as a unified diff. The save keeps every line in its place, so line i of the file
// becomes line i of the save; a line differs when its text, its line end (the save ends every
// line with CR LF) or a byte-order mark before it changes.

#include "traffic/Tables.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tarvik::cli {

// Lines First to First + Count - 1 (counted from 1), each of them changed.
struct LineRun {
    int64_t First = 0;
    int64_t Count = 0;
};

struct SaveDifference {
    std::string Error; // why the file could not be compared; empty when it was
    int64_t Lines = 0;
    int64_t Changed = 0;
    std::vector<LineRun> Runs;
};

// Compares the text the set's flight-plan file was read from with what SavePlans would write for
// the set.
SaveDifference CompareWithSave(const TrafficSet& set);

// Writes diff as a unified diff without context lines ("--- oldName", "+++ newName", then a hunk
// for each run), each line with the line end it has in its file; nothing when no line changed.
// The set may hold a block of the file's lines, the first of them line linesBefore + 1; the header
// goes before the first hunk when header is true, and header is then made false. False, with the
// reason in error, when the output could not be written.
bool WriteDiff(const TrafficSet& set, const SaveDifference& diff, int64_t linesBefore, bool& header,
               const std::string& oldName, const std::string& newName, std::FILE* out,
               std::string& error);

} // namespace tarvik::cli
