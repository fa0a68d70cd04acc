#include "cli/SavedDiff.h"

#include "traffic/LineReader.h"
#include "traffic/Save.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <initializer_list>
#include <string_view>
#include <utility>

namespace tarvik::cli {

namespace {

constexpr std::string_view Bom = "\xEF\xBB\xBF";
constexpr std::string_view SavedEnd = "\r\n";

// The lines of the text the set was read from, each with the bytes around it that a load drops:
// the byte-order mark before the first line, and the line's own end.
class FileLines {
public:
    explicit FileLines(const TrafficSet& set)
        : Text(set.PlansTexts.empty() ? std::string_view() : set.PlansTexts.back().View()),
          Reader(Text, {}, set.PlansTexts.empty() || set.PlansTexts.back().AtFileStart ? 0 : 1) {}

    // The next line; lead is the byte-order mark before the first line, end the line's end ("" for
    // a last line without one).
    bool Next(std::string_view& text, std::string_view& lead, std::string_view& end) {
        if (!Reader.Next(text))
            return false;
        lead = Reader.LineNumber() == 1 && text.data() != Text.data() ? Bom : std::string_view();
        end = Reader.LineEnd();
        return true;
    }

private:
    const std::string_view Text;
    LineReader Reader;
};

// True when the saved line is the line read, with no byte-order mark before it and CR LF after.
bool Unchanged(std::string_view saved, std::string_view text, std::string_view lead,
               std::string_view end) {
    return lead.empty() && end == SavedEnd &&
           ((saved.data() == text.data() && saved.size() == text.size()) || saved == text);
}

const char* const Changed = "the set holds other lines than it was read with";

// The diff's text, written out in blocks.
class DiffText {
public:
    explicit DiffText(std::FILE* out) : Out(out) { Block.reserve(FlushAt + 4096); }
    void Put(std::initializer_list<std::string_view> parts) {
        for (const std::string_view part : parts)
            Block.append(part);
        if (Block.size() >= FlushAt)
            Flush();
    }
    // False when a write failed.
    bool Flush() {
        Ok = Ok && std::fwrite(Block.data(), 1, Block.size(), Out) == Block.size();
        Block.clear();
        return Ok;
    }

private:
    static constexpr std::size_t FlushAt = 256 * 1024;
    std::FILE* Out;
    std::string Block;
    bool Ok = true;
};

} // namespace

SaveDifference CompareWithSave(const TrafficSet& set) {
    SaveDifference diff;
    FileLines old(set);
    SavedLines saved(set);
    std::string_view line, text, lead, end;
    for (;;) {
        const bool hasNew = saved.Next(line);
        const bool hasOld = old.Next(text, lead, end);
        if (hasNew != hasOld) {
            diff.Error = Changed;
            return diff;
        }
        if (!hasNew)
            return diff;
        ++diff.Lines;
        if (Unchanged(line, text, lead, end))
            continue;
        ++diff.Changed;
        if (!diff.Runs.empty() && diff.Runs.back().First + diff.Runs.back().Count == diff.Lines)
            ++diff.Runs.back().Count;
        else
            diff.Runs.push_back({diff.Lines, 1});
    }
}

bool WriteDiff(const TrafficSet& set, const SaveDifference& diff, int64_t linesBefore, bool& header,
               const std::string& oldName, const std::string& newName, std::FILE* out,
               std::string& error) {
    if (diff.Runs.empty())
        return true;
    FileLines old(set);
    SavedLines saved(set);
    int64_t oldAt = 0; // lines of each side passed so far
    int64_t newAt = 0;
    std::string_view line, text, lead, end;
    DiffText diffText(out);
    if (std::exchange(header, false))
        diffText.Put({"--- ", oldName, "\n+++ ", newName, "\n"});
    for (const LineRun& run : diff.Runs) {
        const std::string span =
            std::to_string(linesBefore + run.First) + "," + std::to_string(run.Count);
        diffText.Put({"@@ -", span, " +", span, " @@\n"});
        for (; oldAt < run.First - 1 + run.Count; ++oldAt) {
            if (!old.Next(text, lead, end)) {
                error = Changed;
                return false;
            }
            if (oldAt < run.First - 1)
                continue;
            // A line end of its own keeps the diff true to CR LF files; a bare CR ends no line
            // that a diff reader knows.
            diffText.Put({"-", lead, text, end.empty() ? "\n\\ No newline at end of file\n" : end,
                          end == "\r" ? "\n" : ""});
        }
        for (; newAt < run.First - 1 + run.Count; ++newAt) {
            if (!saved.Next(line)) {
                error = Changed;
                return false;
            }
            if (newAt >= run.First - 1)
                diffText.Put({"+", line, SavedEnd});
        }
    }
    if (!diffText.Flush() || std::fflush(out) != 0) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

} // namespace tarvik::cli
