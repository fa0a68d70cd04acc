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
    std::string Error; // the system's reason when Ok is false
};

// Replaces the file at path as a whole: either the new text is all there or the old file is left
// as it was. A symbolic link keeps pointing where it did and its target gets the new text.
SaveResult SavePlans(const TrafficSet& set, const std::string& path);

// Writes the text of a new file into the device; false when it could not be written whole.
using TextWriter = std::function<bool(QIODevice& out)>;
// The same for the text that write writes: nothing is written when it returns false.
SaveResult SaveText(const std::string& path, const TextWriter& write);

// Test seam: wraps the device that SavePlans writes through (to make writes fail, for instance).
using SaveDeviceWrapper = std::function<QIODevice*(QIODevice& file)>;
SaveResult SavePlans(const TrafficSet& set, const std::string& path, const SaveDeviceWrapper& wrap);

} // namespace tarvik
