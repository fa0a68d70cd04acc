#pragma once
// Writing the flight-plan file: one line per plan from index 0 to LastPlan, with the lines the load
// kept back in their places, every line ended by CR LF.

#include "traffic/Tables.h"

#include <functional>
#include <string>
#include <string_view>

class QIODevice;

namespace tarvik {

// The lines a save writes, in order, each without its line end: the plans from index 0 to
// LastPlan with the kept lines in their places.
class SavedLines {
public:
    explicit SavedLines(const TrafficSet& set) : Set(set) {}
    // The next line, valid while the set is unchanged; false after the last.
    bool Next(std::string_view& line);

private:
    const TrafficSet& Set;
    int32_t Plan = 0;
    std::size_t Kept = 0;
};

// Writes the file's text to out in blocks; false as soon as a write fails.
bool WritePlans(const TrafficSet& set, QIODevice& out);

struct SaveResult {
    bool Ok = false;
    std::string Error;            // the system's reason when Ok is false
    bool ChangedByOthers = false; // nothing was written: another program changed the file
};

// Writes the text of a new file into the device; false when it could not be written whole.
using TextWriter = std::function<bool(QIODevice& out)>;

// The one save of a set: replaces the file at path with the set's lines, or with
// what write writes when it is given (nothing is written when it returns false), and stamps the
// set with the new file. A file that another program changed since the set was read or last saved
// is overwritten only when overwrite, asked once before anything is written, says so, and never
// when it changes while the new text is written: ChangedByOthers tells that nothing was written.
// Either the new text is all there or the old file is left as it was; a symbolic link keeps
// pointing where it did and its target gets the new text.
SaveResult SaveSet(TrafficSet& set, const std::string& path, const std::function<bool()>& overwrite,
                   const TextWriter& write = {});

} // namespace tarvik
