#include "cli/SavedDiff.h"

#include "traffic/LineReader.h"
#include "traffic/Save.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string_view>
#include <utility>

namespace tarvik::cli {

namespace {

constexpr std::string_view Bom = "\xEF\xBB\xBF";
constexpr std::string_view SavedEnd = "\r\n";

// The lines of the text the set was read from, each with the bytes around it that a load drops:
// the byte-order mark before the first line, and the line's own end. A block's lines are taken
// from where its reader found them; other texts are read for them again.
class FileLines {
public:
    explicit FileLines(const TrafficSet& set)
        : Text(set.PlansTexts.empty() ? std::string_view() : set.PlansTexts.back().View()),
          AtStart(set.PlansTexts.empty() || set.PlansTexts.back().AtFileStart),
          Starts(set.PlansTexts.empty() ? nullptr : &set.PlansTexts.back().LineStarts),
          Reader(Text, {}, AtStart ? 0 : 1) {
        if (Starts && Starts->empty())
            Starts = nullptr;
    }

    // The next line; lead is the byte-order mark before the first line, end the line's end ("" for
    // a last line without one).
    bool Next(std::string_view& text, std::string_view& lead, std::string_view& end) {
        if (!Starts) {
            if (!Reader.Next(text))
                return false;
            lead =
                Reader.LineNumber() == 1 && text.data() != Text.data() ? Bom : std::string_view();
            end = Reader.LineEnd();
            return true;
        }
        if (Line + 1 >= Starts->size())
            return false;
        const std::size_t start = (*Starts)[Line];
        const std::size_t next = (*Starts)[Line + 1];
        // A line holds no CR or LF: its end is what of them lies before the next line.
        std::size_t stop = next;
        if (stop > start && Text[stop - 1] == '\n')
            --stop;
        if (stop > start && Text[stop - 1] == '\r')
            --stop;
        text = Text.substr(start, stop - start);
        end = Text.substr(stop, next - stop);
        lead = Line == 0 && AtStart && start != 0 ? Bom : std::string_view();
        ++Line;
        return true;
    }

private:
    const std::string_view Text;
    const bool AtStart;
    const std::vector<uint32_t>* Starts;
    std::size_t Line = 0;
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
    explicit DiffText(std::FILE* out) : Room(new char[FlushAt]), Out(out) {}
    void Put(std::initializer_list<std::string_view> parts) {
        for (const std::string_view part : parts) {
            if (FlushAt - Used < part.size() && !Flush())
                return;
            if (part.size() > FlushAt) { // longer than the room: it goes out as it is
                Ok = Ok && std::fwrite(part.data(), 1, part.size(), Out) == part.size();
                continue;
            }
            if (!part.empty())
                std::memcpy(Room.get() + Used, part.data(), part.size());
            Used += part.size();
        }
    }
    // A line of the diff: its sign, the bytes before it, its text and its end.
    void PutLine(char sign, std::string_view lead, std::string_view text, std::string_view end) {
        const std::size_t size = 1 + lead.size() + text.size() + end.size();
        if (FlushAt - Used < size) {
            Put({std::string_view(&sign, 1), lead, text, end});
            return;
        }
        char* at = Room.get() + Used;
        *at++ = sign;
        if (!lead.empty()) {
            std::memcpy(at, lead.data(), lead.size());
            at += lead.size();
        }
        if (!text.empty()) {
            std::memcpy(at, text.data(), text.size());
            at += text.size();
        }
        // Line ends are a byte or two: a call to copy them costs more than they do.
        for (const char c : end)
            *at++ = c;
        Used += size;
    }
    // False when a write failed.
    bool Flush() {
        Ok = Ok && std::fwrite(Room.get(), 1, Used, Out) == Used;
        Used = 0;
        return Ok;
    }

private:
    static constexpr std::size_t FlushAt = 256 * 1024;
    std::unique_ptr<char[]> Room;
    std::FILE* Out;
    std::size_t Used = 0;
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
            diffText.PutLine('-', lead, text,
                             end.empty()   ? "\n\\ No newline at end of file\n"
                             : end == "\r" ? "\r\n"
                                           : end);
        }
        for (; newAt < run.First - 1 + run.Count; ++newAt) {
            if (!saved.Next(line)) {
                error = Changed;
                return false;
            }
            if (newAt >= run.First - 1)
                diffText.PutLine('+', {}, line, SavedEnd);
        }
    }
    if (!diffText.Flush() || std::fflush(out) != 0) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

} // namespace tarvik::cli
