// OpenSet on a folder made from the input: the bytes before the first marker byte become
// FlightPlans.txt, those up to the second Aircraft.txt, the rest Airports.txt. No input may crash
// the load; every line of the flight-plan file is either a plan or kept, a save writes every line
// back, and loading the saved file finds the same number of plans. The files are also read in
// blocks of a few bytes, which must give the same lines.

#include "FuzzCheck.h"
#include "support/Traffic.h"

#include "traffic/LineReader.h"
#include "traffic/Load.h"
#include "traffic/Save.h"
#include "traffic/Tables.h"

#include <cstdint>
#include <string>
#include <vector>

using fuzz::Require;

namespace {

constexpr char Marker = '\x1e';
const char* const Names[] = {"FlightPlans.txt", "Aircraft.txt", "Airports.txt"};

// The folder holding the three files, made once per process and removed at its end.
const QTemporaryDir& Folder() {
    static const QTemporaryDir folder;
    Require(folder.isValid(), "a temporary folder can be made");
    return folder;
}

QString PathOf(int file) {
    return Folder().filePath(QString::fromLatin1(Names[file]));
}

// A new file each time: rewriting a file in place makes some file systems push it to the disk.
void WriteFile(int file, std::string_view bytes) {
    QFile::remove(PathOf(file));
    Require(tarvik::testing::WriteFile(PathOf(file), tarvik::testing::B(bytes)),
            "the fuzz file is written");
}

// The lines of text as ended by CR LF, LF or CR, after a UTF-8 byte-order mark at the start.
std::vector<std::string_view> SplitLines(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

struct LineCount {
    std::size_t All = 0;
    std::size_t NonEmpty = 0;
};

LineCount CountLines(std::string_view text) {
    LineCount n;
    for (const std::string_view line : SplitLines(text)) {
        ++n.All;
        n.NonEmpty += line.empty() ? 0 : 1;
    }
    return n;
}

// A text that the reader refuses at once: a UTF-16 byte-order mark at its start, or a NUL byte in
// its first 64 KiB.
bool Refused(std::string_view text) {
    return text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF" ||
           text.substr(0, 64 * 1024).find('\0') != std::string_view::npos;
}

// Reading with blocks of a few bytes gives the same lines: line ends split across blocks included.
void CheckSmallBlocks(const std::string& path, std::string_view text, std::size_t blockSize) {
    const std::vector<std::string_view> want = SplitLines(text);
    tarvik::LineReader in(blockSize);
    const bool opened = in.Open(path);
    Require(opened != Refused(text), "a text of one byte per character opens, and only that");
    if (!opened)
        return;
    std::size_t n = 0;
    std::string_view line;
    while (in.Next(line)) {
        Require(n < want.size() && line == want[n], "small blocks give the same lines");
        ++n;
        Require(in.LineNumber() == static_cast<int64_t>(n), "lines are numbered from 1");
    }
    Require(n == want.size() && !in.Failed(), "small blocks give every line");
}

struct Loaded {
    tarvik::TrafficSet Set;
    tarvik::LoadResult Result;
    std::size_t Reports = 0;
};

void Load(Loaded& l) {
    l.Result = tarvik::OpenSet(tarvik::PathFromQt(PathOf(0)), l.Set,
                               [&l](int64_t line, const std::string&) {
                                   Require(line >= 1, "a report names the line's number");
                                   ++l.Reports;
                               });
}

void CheckCounts(const Loaded& l, const LineCount plans[3], bool anyRefused) {
    if (!l.Result.PlansRead) {
        Require(!l.Result.Complete && !l.Result.Stop.Reason.empty(), "a stop gives its reason");
        return;
    }
    const auto stored = static_cast<std::size_t>(l.Set.LastPlan + 1);
    Require(stored + l.Set.KeptLines.size() == plans[0].All, "every line is a plan or kept");
    Require(l.Reports <= l.Set.KeptLines.size(), "only kept lines are reported");
    if (l.Result.Complete) {
        Require(static_cast<std::size_t>(l.Set.LastAircraft + 1) == plans[1].All,
                "every aircraft line takes a slot");
        Require(static_cast<std::size_t>(l.Set.LastAirport + 1) == plans[2].NonEmpty,
                "every non-empty airport line gives a code");
    } else {
        Require(!l.Result.Stop.Reason.empty() && (l.Result.Stop.Line >= 1 || anyRefused),
                "a stop names its line and reason");
    }
}

void CheckSaveAndReload(const Loaded& first, const LineCount& planLines) {
    const std::string text = tarvik::testing::S(tarvik::testing::Written(first.Set));
    Require(CountLines(text).All == planLines.All, "the save writes every line back");
    Require(text.empty() || text.compare(text.size() - 2, 2, "\r\n") == 0,
            "every saved line ends with CR LF");
    // A second byte-order mark would be taken for the first on the next load; a UTF-16 one or a
    // NUL that moved to the start with the first one dropped is refused.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0 || Refused(text))
        return;
    WriteFile(0, text);
    Loaded second;
    Load(second);
    Require(second.Result.PlansRead, "the saved file loads");
    Require(second.Set.LastPlan == first.Set.LastPlan, "the saved file holds the same plans");
    Require(second.Reports == first.Reports, "the saved file has the same doubtful lines");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const auto parts = fuzz::SplitAt<3>(fuzz::AsText(data, size), Marker);
    LineCount lines[3];
    bool anyRefused = false;
    for (int i = 0; i < 3; ++i) {
        anyRefused = anyRefused || Refused(parts[i]);
        WriteFile(i, parts[i]);
        lines[i] = CountLines(parts[i]);
        CheckSmallBlocks(tarvik::PathFromQt(PathOf(i)), parts[i],
                         1 + (size > 0 ? data[0] % 12 : 0));
    }
    Loaded first;
    Load(first);
    CheckCounts(first, lines, anyRefused);
    if (first.Result.PlansRead)
        CheckSaveAndReload(first, lines[0]);
    return 0;
}
