#include "cli/SavedDiff.h"

#include "traffic/LineReader.h"
#include "traffic/Save.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <initializer_list>
#include <string_view>

namespace tarvik::cli {

namespace {

constexpr std::string_view Bom = "\xEF\xBB\xBF";
constexpr std::string_view SavedEnd = "\r\n";

// A file's lines as the load read them, each with the bytes around it that the line reader drops:
// the byte-order mark before the first line, and the line's own end. A plain reading of the same
// file follows the line reader byte for byte to find them.
class FileLines {
public:
    FileLines() = default;
    FileLines(const FileLines&) = delete;
    FileLines& operator=(const FileLines&) = delete;
    ~FileLines() {
        if (Raw)
            std::fclose(Raw);
    }

    bool Open(const std::string& path) {
        if (!Reader.Open(path)) {
            Why = Reader.Error();
            return false;
        }
        Raw = std::fopen(path.c_str(), "rb");
        if (!Raw)
            Why = std::strerror(errno);
        return Raw != nullptr;
    }

    // The next line; lead is the byte-order mark before the first line, end the line's end ("" for
    // a last line without one).
    bool Next(std::string_view& text, std::string_view& lead, std::string_view& end) {
        if (!Reader.Next(text)) {
            if (Reader.Failed())
                Why = Reader.Error();
            return false;
        }
        lead = {};
        if (Reader.LineNumber() == 1 && Take(Bom.size()) == Bom) {
            lead = Bom;
            Pos = Bom.size();
        }
        Skip(text.size());
        end = {};
        if (Peek() == '\r') {
            ++Pos;
            end = Peek() == '\n' ? "\r\n" : "\r";
            Pos += end.size() - 1;
        } else if (Peek() == '\n') {
            ++Pos;
            end = "\n";
        }
        return true;
    }

    const std::string& Error() const { return Why; }

private:
    // The next byte, or -1 at the end of the file.
    int Peek() {
        if (Pos == Len && !Fill())
            return -1;
        return static_cast<unsigned char>(Buf[Pos]);
    }
    // Up to n bytes from the start of the file, which stay unread.
    std::string_view Take(std::size_t n) {
        while (Len < n && Fill()) {
        }
        return std::string_view(Buf.data(), std::min(n, Len));
    }
    void Skip(std::size_t n) {
        while (n > 0 && (Pos < Len || Fill())) {
            const std::size_t step = std::min(n, Len - Pos);
            Pos += step;
            n -= step;
        }
    }
    // Reads more behind the unread bytes; false when nothing more came.
    bool Fill() {
        if (Pos > 0) {
            std::memmove(Buf.data(), Buf.data() + Pos, Len - Pos);
            Len -= Pos;
            Pos = 0;
        }
        const std::size_t got = std::fread(Buf.data() + Len, 1, Buf.size() - Len, Raw);
        Len += got;
        return got > 0;
    }

    LineReader Reader;
    std::FILE* Raw = nullptr;
    std::vector<char> Buf = std::vector<char>(1 << 16);
    std::size_t Pos = 0;
    std::size_t Len = 0;
    std::string Why;
};

const char* const Changed = "the file changed while it was being read";

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

SaveDifference CompareWithSave(const TrafficSet& set, const std::string& path) {
    SaveDifference diff;
    FileLines old;
    if (!old.Open(path)) {
        diff.Error = old.Error();
        return diff;
    }
    SavedLines saved(set);
    std::string line;
    std::string_view text, lead, end;
    for (;;) {
        line.clear();
        const bool hasNew = saved.AppendNext(line);
        const bool hasOld = old.Next(text, lead, end);
        if (!hasOld && !old.Error().empty()) {
            diff.Error = old.Error();
            return diff;
        }
        if (hasNew != hasOld) {
            diff.Error = Changed;
            return diff;
        }
        if (!hasNew)
            return diff;
        ++diff.Lines;
        if (lead.empty() && end == SavedEnd && text == line)
            continue;
        ++diff.Changed;
        if (!diff.Runs.empty() && diff.Runs.back().First + diff.Runs.back().Count == diff.Lines)
            ++diff.Runs.back().Count;
        else
            diff.Runs.push_back({diff.Lines, 1});
    }
}

bool WriteDiff(const TrafficSet& set, const std::string& path, const SaveDifference& diff,
               const std::string& oldName, const std::string& newName, std::FILE* out,
               std::string& error) {
    if (diff.Runs.empty())
        return true;
    FileLines old;
    if (!old.Open(path)) {
        error = old.Error();
        return false;
    }
    SavedLines saved(set);
    int64_t oldAt = 0; // lines of each side passed so far
    int64_t newAt = 0;
    std::string line;
    std::string_view text, lead, end;
    DiffText diffText(out);
    diffText.Put({"--- ", oldName, "\n+++ ", newName, "\n"});
    for (const LineRun& run : diff.Runs) {
        const std::string span = std::to_string(run.First) + "," + std::to_string(run.Count);
        diffText.Put({"@@ -", span, " +", span, " @@\n"});
        for (; oldAt < run.First - 1 + run.Count; ++oldAt) {
            if (!old.Next(text, lead, end)) {
                error = old.Error().empty() ? Changed : old.Error();
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
            line.clear();
            if (!saved.AppendNext(line)) {
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
