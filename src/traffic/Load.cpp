#include "traffic/Load.h"

#include "traffic/LineReader.h"
#include "traffic/Memory.h"
#include "traffic/PlanLine.h"
#include "traffic/RefLines.h"
#include "traffic/Text.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <initializer_list>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace tarvik {

namespace {

LoadResult Stopped(const LoadResult& sofar, const std::string& file, int64_t line,
                   std::string reason) {
    LoadResult r = sofar;
    r.Complete = false;
    r.Stop = LoadStop{file, line, std::move(reason)};
    return r;
}

// The room of a block of the flight-plan file: a block holds what was read until it was at least
// half full, up to the last line end. A dry run's diff shows a run of changed lines that crosses
// from one block to the next as two hunks, and check prints the diagnostics of the blocks read
// before a stop: both keep to this size, so that they come out as they always have.
constexpr std::size_t PlansBlockBytes = std::size_t{4} << 20;

// Lines that are no plan are kept to be written back; a file may hold as many as plans.
constexpr std::size_t MostKeptLines = PlanSlots::Capacity;

std::string MoreThan(std::size_t capacity, const char* what) {
    return "the file holds more than " + std::to_string(capacity) + " " + what;
}

// Takes each line that in reads: take(line, number) returns the empty string to go on or the reason
// to stop the load at that line. False, with result stopped, when the file could not be read to its
// end.
template <typename Take>
bool TakeEachLine(LineReader& in, const std::string& path, LoadResult& result, Take take) {
    int64_t at = 1; // the line being read
    try {
        std::string_view line;
        while (in.Next(line)) {
            at = in.LineNumber();
            std::string stop = take(line, at);
            if (!stop.empty()) {
                result = Stopped(result, path, at, std::move(stop));
                return false;
            }
            ++at;
        }
    } catch (const std::bad_alloc&) {
        result = Stopped(result, path, in.LineNumber() > 0 ? at : 0,
                         "there is not enough memory to read it");
        return false;
    }
    if (in.Failed()) {
        result = Stopped(result, path, in.LineNumber() + 1, in.Error());
        return false;
    }
    return true;
}

// Opens the file at path; false, with result stopped, when it can't be read.
bool OpenLines(LineReader& in, const std::string& path, LoadResult& result) {
    try {
        if (in.Open(path))
            return true;
        result = Stopped(result, path, 0, in.Error());
    } catch (const std::bad_alloc&) {
        result = Stopped(result, path, 0, "there is not enough memory to read it");
    }
    return false;
}

// Reads the file at path line by line, as TakeEachLine takes them.
template <typename Take>
bool ReadEachLine(const std::string& path, LoadResult& result, ReadBlockFunction read, Take take) {
    LineReader in(LineReader::DefaultBlockSize, read);
    return OpenLines(in, path, result) && TakeEachLine(in, path, result, take);
}

// The fields SplitPlans cuts from a line, kept from line to line.
struct PlanFieldTexts {
    std::string INP, TailNum, Rate, Ivfr, HPort, TheRest, Cment;
    int16_t Tag = 0;
    int16_t Pcent = 0;

    // Cuts line; true when it is a plan that the load stores.
    bool Split(std::string_view line) {
        Tag = 0;
        Pcent = 0;
        for (std::string* text : {&TailNum, &Rate, &Ivfr, &HPort, &TheRest, &Cment})
            text->clear();
        INP.assign(line.data(), line.size());
        const bool whole = SplitPlans(INP, Tag, TailNum, Pcent, Rate, Ivfr, HPort, TheRest, Cment);
        return IsStoredPlan(Tag, HPort, TheRest, whole);
    }
    PlanFields Fields() const { return {Tag, TailNum, Pcent, Rate, Ivfr, HPort, TheRest, Cment}; }
};

// Reads the whole flight-plan file into a text of the set's own, which its plans refer to; false,
// with result stopped, when it could not be opened. cutShort is why a read failed after the start.
bool ReadPlansText(TrafficSet& set, LoadResult& result, std::string& cutShort,
                   ReadBlockFunction read) {
    LineReader in(LineReader::DefaultBlockSize, read);
    FileText text;
    try {
        if (!in.Open(set.PlansFile)) {
            result = Stopped(result, set.PlansFile, 0, in.Error());
            return false;
        }
        if (!in.ReadWhole(text))
            cutShort = in.Error();
        set.PlansTexts.push_back(std::move(text));
    } catch (const std::bad_alloc&) {
        result = Stopped(result, set.PlansFile, 0, "there is not enough memory to read it");
        return false;
    }
    set.PlansStamp = in.Stamp();
    return true;
}

// Only the texts that plans or kept lines still refer to are kept: after a load that read the
// whole file, the last one.
void DropOlderTexts(TrafficSet& set) {
    if (set.PlansTexts.size() > 1)
        set.PlansTexts.erase(set.PlansTexts.begin(), set.PlansTexts.end() - 1);
}

// Takes each line of a flight-plan file as a load takes it. A line that is the line a save writes
// for its plan goes to sink.Refer(line, cut); another plan's line gets the line a save writes, in
// sink.Make(fields); a line that is no plan, or whose plan a load could not read back in that form,
// goes to sink.Keep(line). Each returns the reason to stop, or the empty string.
// The plans and kept lines taken so far from a file.
struct PlanTally {
    int32_t Plans = 0;
    std::size_t Kept = 0;
};

template <typename Sink>
bool TakePlanLines(LineReader& in, const std::string& path, const ReportLine& report,
                   LoadResult& result, Sink& sink, PlanTally& tally) {
    PlanFieldTexts f;
    PlanCut cut;
    std::string shown;
    int32_t& plans = tally.Plans;
    std::size_t& kept = tally.Kept;
    const auto keep = [&](std::string_view line) {
        if (kept++ >= MostKeptLines)
            return MoreThan(MostKeptLines, "lines that are no plan");
        return sink.Keep(line);
    };
    const auto take = [&](std::string_view line, int64_t number) {
        const auto keepAndReport = [&] {
            if (report && DoubtfulLine(line, shown))
                report(number, shown);
            return keep(line);
        };
        const bool asIs = CutPlan(line, cut);
        if (!asIs && (line.empty() || !f.Split(line)))
            return keepAndReport();
        if (plans >= PlanSlots::Capacity)
            return MoreThan(PlanSlots::Capacity, "plans");
        if (asIs) {
            ++plans;
            return sink.Refer(line, cut);
        }
        // A plan that a save writes otherwise ("AC#01", "50.0%", a ";" comment) gets the line a
        // save writes; one that a load could not read back in that form stays as it is.
        FlightPlan made;
        if (!ChangePlan(made, f.Fields()))
            return keepAndReport();
        ++plans;
        return sink.Make(made);
    };
    const bool read = TakeEachLine(in, path, result, take);
    result.Plans = plans;
    return read;
}

// Fills the set's plan table and kept lines.
struct PlanTableSink {
    TrafficSet& Set;

    FlightPlan& NextSlot() {
        ++Set.PlanCursor;
        if (Set.PlanCursor >= Set.PlanTable.Size())
            Set.PlanTable.Resize(Set.PlanCursor + 1);
        return Set.PlanTable[Set.PlanCursor];
    }
    std::string Refer(std::string_view line, const PlanCut& cut) {
        NextSlot().Refer(line.data(), cut);
        return {};
    }
    std::string Make(const FlightPlan& plan) {
        NextSlot() = plan;
        return {};
    }
    std::string Keep(std::string_view line) {
        Set.KeptLines.push_back({Set.PlanCursor + 1, line});
        return {};
    }
};

// Only counts.
struct CountingSink {
    std::string Refer(std::string_view, const PlanCut&) { return {}; }
    std::string Make(const FlightPlan&) { return {}; }
    std::string Keep(std::string_view) { return {}; }
};

bool LoadPlans(TrafficSet& set, const ReportLine& report, LoadResult& result,
               ReadBlockFunction read) {
    std::string cutShort;
    if (!ReadPlansText(set, result, cutShort, read))
        return false;
    set.PlansWhole = false;
    set.KeptLines.clear();
    set.PlanCursor = -1;
    LineReader lines(set.PlansTexts.back().View(), cutShort);
    PlanTableSink sink{set};
    PlanTally tally;
    if (!TakePlanLines(lines, set.PlansFile, report, result, sink, tally)) {
        // Plans past the cursor still refer to the texts read before, unless none is left.
        if (set.PlanCursor + 1 >= set.PlanTable.Size())
            DropOlderTexts(set);
        return false;
    }
    set.LastPlan = set.PlanCursor;
    set.PlanTable.Resize(set.LastPlan + 1);
    set.PlansWhole = true;
    DropOlderTexts(set);
    result.PlansRead = true;
    return true;
}

// Reads the flight-plan file through, a block at a time, keeping nothing but its figures.
bool CountPlans(TrafficSet& set, const ReportLine& report, LoadResult& result,
                ReadBlockFunction read) {
    LineReader in(LineReader::DefaultBlockSize, read);
    if (!OpenLines(in, set.PlansFile, result))
        return false;
    set.PlansStamp = in.Stamp();
    CountingSink sink;
    PlanTally tally;
    if (!TakePlanLines(in, set.PlansFile, report, result, sink, tally))
        return false;
    result.PlansRead = true;
    return true;
}

// Reads a file a block of whole lines at a time: a block holds what was read up to its last line
// end, and the start of a line read with it goes on into the next block.
class BlockReader {
public:
    explicit BlockReader(LineReader& in) : In(in) {}

    // Reads the next block into text, text.Size its whole lines; false when it is the last, at the
    // end of the file or where a read failed (CutShort() then says why).
    bool Next(FileText& text) {
        text.Reserve(PlansBlockBytes, 0);
        std::size_t len = Carry.size();
        std::memcpy(text.Data(), Carry.data(), len);
        bool more = true;
        while (more && len < PlansBlockBytes / 2)
            more = In.ReadSome(text, len);
        // The whole lines read so far; a CR at the end may yet be followed by its LF. A block
        // without a line end holds a line too long, at which the reader of its lines stops.
        std::size_t whole = len;
        if (more) {
            whole = len > 0 && text.Data()[len - 1] == '\r' ? len - 1 : len;
            while (whole > 0 && text.Data()[whole - 1] != '\n' && text.Data()[whole - 1] != '\r')
                --whole;
            if (whole == 0)
                whole = len;
        }
        text.Size = whole;
        Carry.assign(text.Data() + whole, len - whole);
        return more;
    }
    // Why the reading of the last block failed, for the reader of its lines; empty when it did not.
    std::string CutShort() const { return In.Failed() ? In.Error() : std::string(); }

private:
    LineReader& In;
    std::string Carry; // the start of a line read with the block before
};

// True when line holds at least n commas.
bool CommasAtLeast(std::string_view line, int n) {
    return n <= 0 || !ForEachComma(line, [&n](std::size_t) { return --n > 0; });
}

// Reads the flight-plan file through for where a load of it would stop, as CountPlans finds it, but
// mostly from its lines alone: every plan's line holds five commas and a line cut as it is is a
// plan, so a file with no more lines holding five commas than a set's plans, and enough plans found
// among them that the other lines fit among the kept lines, can't hold too many of either. Lines
// are cut only to keep the plans found a little ahead of the lines without five commas seen. Only
// then, and when no line stopped the reading, is the file not read a second time to be counted.
// The blocks of the file are read on a thread of their own while this one looks at the lines of
// the block before.
bool ScanPlans(TrafficSet& set, LoadResult& result, ReadBlockFunction read) {
    LineReader in(LineReader::DefaultBlockSize, read);
    if (!OpenLines(in, set.PlansFile, result))
        return false;
    set.PlansStamp = in.Stamp();
    struct Block {
        FileText Text;
        bool Ready = false; // read, and its lines not yet looked at
        bool Last = false;
        std::string CutShort;
        bool OutOfMemory = false; // the block could not be read for want of memory
    };
    std::array<Block, 2> blocks;
    std::mutex lock;
    std::condition_variable changed;
    bool stop = false; // this thread is done with the blocks
    BlockReader reader(in);
    std::thread reading([&] {
        for (std::size_t k = 0;; k ^= 1) {
            Block& block = blocks[k];
            {
                std::unique_lock<std::mutex> held(lock);
                changed.wait(held, [&] { return stop || !block.Ready; });
                if (stop)
                    return;
            }
            bool more = false;
            try {
                more = reader.Next(block.Text);
                block.CutShort = more ? std::string() : reader.CutShort();
            } catch (const std::bad_alloc&) {
                block.OutOfMemory = true; // told where no more memory is needed on this thread
            }
            {
                const std::lock_guard<std::mutex> held(lock);
                block.Ready = true;
                block.Last = !more;
            }
            changed.notify_all();
            if (!more)
                return;
        }
    });
    // However this thread leaves, the reading thread is stopped and waited for.
    const auto finish = [&] {
        {
            const std::lock_guard<std::mutex> held(lock);
            stop = true;
        }
        changed.notify_all();
        reading.join();
    };
    int64_t lines = 0;
    int64_t withCommas = 0;
    int64_t plans = 0; // plans found among them, cut only to stay ahead of the other lines
    constexpr int64_t Ahead = 1000; // other lines may yet come after the last plans
    PlanCut cut;
    bool whole = true;
    try {
        for (std::size_t k = 0;; k ^= 1) {
            Block& block = blocks[k];
            {
                std::unique_lock<std::mutex> held(lock);
                changed.wait(held, [&] { return block.Ready; });
            }
            LineReader text(block.Text.View(),
                            block.OutOfMemory ? "there is not enough memory to read it"
                                              : block.CutShort,
                            lines);
            for (std::string_view line; text.Next(line);) {
                ++lines;
                if (CommasAtLeast(line, 5)) {
                    ++withCommas;
                    if (plans < lines - withCommas + Ahead && CutPlan(line, cut))
                        ++plans;
                }
            }
            whole = !text.Failed();
            const bool last = block.Last;
            {
                const std::lock_guard<std::mutex> held(lock);
                block.Ready = false;
            }
            changed.notify_all();
            if (last || !whole)
                break;
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
    if (whole && withCommas <= PlanSlots::Capacity &&
        lines - plans <= static_cast<int64_t>(MostKeptLines)) {
        result.PlansRead = true;
        return true;
    }
    return CountPlans(set, nullptr, result, read);
}

bool LoadAircraft(TrafficSet& set, const std::string& path, LoadResult& result,
                  ReadBlockFunction read) {
    int32_t i = -1;
    std::string why;
    const auto take = [&](std::string_view line, int64_t) {
        if (++i >= AircraftSlots::Capacity)
            return MoreThan(AircraftSlots::Capacity, "lines");
        if (i >= set.AircraftTable.Size())
            set.AircraftTable.Resize(i + 1);
        AircraftEntry& entry = set.AircraftTable[i];
        if (line.empty())
            entry = AircraftEntry{};
        else if (!SplitAircraft(line, entry.Acraft, entry.Atag, entry.ASpeed, &why))
            return why;
        return std::string();
    };
    if (!ReadEachLine(path, result, read, take))
        return false;
    set.LastAircraft = i;
    result.AircraftRead = true;
    set.AircraftTable.Resize(i + 1);
    return true;
}

// The airports are read into a list of their own, which takes the set's place once the whole file
// is read.
bool LoadAirports(TrafficSet& set, const std::string& path, LoadResult& result,
                  ReadBlockFunction read) {
    AirportSlots airports;
    try {
        airports.ReserveFull();
    } catch (const std::bad_alloc&) {
        // the list grows as it is read instead
    }
    std::string code;
    const auto take = [&](std::string_view line, int64_t) {
        if (line.empty())
            return std::string();
        if (airports.Size() >= AirportSlots::Capacity)
            return MoreThan(AirportSlots::Capacity, "airports");
        if (!CutAirportCode(line, code))
            return std::string("the line has no comma");
        airports.Add(code);
        return std::string();
    };
    if (!ReadEachLine(path, result, read, take))
        return false;
    set.AirportTable = std::move(airports);
    set.LastAirport = set.AirportTable.Size() - 1;
    return true;
}

} // namespace

LoadResult FillFPlans(TrafficSet& set, const ReportLine& report, PlansKept kept,
                      ReadBlockFunction read) {
    LoadResult result;
    const ListFiles lists = ListFilesOf(set.PlansFile, set.PlansFolder);
    const auto loadLists = [&](TrafficSet& into, LoadResult& r) {
        return LoadAircraft(into, lists.Aircraft, r, read) &&
               LoadAirports(into, lists.Airports, r, read);
    };
    if (kept == PlansKept::Scanned) {
        // The lists are read on a thread of their own while the plans are read through. A stop in
        // the plans is told before one in the lists; the lists take the set's place when neither
        // stopped.
        TrafficSet listed;
        LoadResult listedResult;
        bool listsRead = false;
        std::exception_ptr thrown;
        std::thread reading([&] {
            try {
                listsRead = loadLists(listed, listedResult);
            } catch (...) {
                thrown = std::current_exception();
            }
        });
        bool plansRead = false;
        try {
            plansRead = ScanPlans(set, result, read);
        } catch (...) {
            reading.join();
            throw;
        }
        reading.join();
        if (!plansRead)
            return result;
        if (thrown)
            std::rethrow_exception(thrown);
        result.AircraftRead = listedResult.AircraftRead;
        if (!listsRead)
            return Stopped(result, listedResult.Stop.File, listedResult.Stop.Line,
                           listedResult.Stop.Reason);
        set.AircraftTable = std::move(listed.AircraftTable);
        set.LastAircraft = listed.LastAircraft;
        set.AirportTable = std::move(listed.AirportTable);
        set.LastAirport = listed.LastAirport;
        result.Complete = true;
        return result;
    }
    if (kept == PlansKept::NotRead) {
        set.PlansStamp = StampOf(set.PlansFile);
        result.PlansRead = true;
    } else if (!(kept == PlansKept::InTable ? LoadPlans(set, report, result, read)
                                            : CountPlans(set, report, result, read))) {
        return result;
    }
    if (loadLists(set, result))
        result.Complete = true;
    return result;
}

bool DoubtfulLine(std::string_view line, std::string& shown) {
    if (line.empty())
        return false;
    PlanFieldTexts f;
    if (f.Split(line)) { // a plan whose line, as a save writes it, a load would not read back
        shown.assign(line);
        return true;
    }
    shown = f.INP;
    return f.Cment.empty();
}

namespace {

// Cuts a flight-plan file into blocks of whole lines, each into a set of its own.
class BlockCutter {
public:
    BlockCutter(LineReader& in, const std::string& path) : Blocks(in), Path(path) {}

    // Reads and cuts the next block into set, the number of its first line in first; false at the
    // end of the file, or at a stop (Result then says where and why).
    bool Next(TrafficSet& set, int64_t& first) {
        if (Ended)
            return false;
        try {
            return Cut(set, first);
        } catch (const std::bad_alloc&) {
            Result =
                Stopped(Result, Path, LinesBefore + 1, "there is not enough memory to read it");
            Ended = true;
            return false;
        }
    }

    LoadResult Result;
    bool Ended = false;

private:
    bool Cut(TrafficSet& set, int64_t& first) {
        if (set.PlansTexts.empty())
            set.PlansTexts.emplace_back();
        FileText& text = set.PlansTexts.back();
        const bool more = Blocks.Next(text);
        set.PlanTable.Resize(0);
        set.KeptLines.clear();
        set.PlanCursor = -1;
        text.AtFileStart = LinesBefore == 0;
        LineReader reader(text.View(), more ? std::string() : Blocks.CutShort(), LinesBefore);
        text.LineStarts.clear();
        reader.KeepLineStarts(text.LineStarts);
        PlanTableSink sink{set};
        const bool taken = TakePlanLines(reader, Path, nullptr, Result, sink, Tally);
        set.LastPlan = set.PlanCursor;
        set.PlanTable.Resize(set.LastPlan + 1);
        first = LinesBefore + 1;
        LinesBefore = reader.LineNumber();
        Ended = !more || !taken;
        if (taken && !more) {
            Result.PlansRead = true;
            Result.Complete = true;
        }
        return taken;
    }

    BlockReader Blocks;
    const std::string& Path;
    int64_t LinesBefore = 0;
    PlanTally Tally;
};

} // namespace

LoadResult OpenSet(const std::string& given, TrafficSet& set, const ReportLine& report,
                   PlansKept kept, ReadBlockFunction read) {
    const PlansFileChoice choice = PlansFileOf(given);
    if (choice.File.empty()) {
        LoadResult none;
        none.Stop = {given, 0, choice.Error};
        return none;
    }
    set.PlansFile = choice.File;
    set.PlansFolder = GetFolder(set.PlansFile);
    return FillFPlans(set, report, kept, read);
}

LoadResult ReadPlansInBlocks(TrafficSet& set, const FileStamp& expected, const BlockStep& block,
                             const BlockStep& after) {
    LoadResult result;
    LineReader in;
    if (!OpenLines(in, set.PlansFile, result))
        return result;
    if (in.Stamp() != expected)
        return Stopped(result, set.PlansFile, 0, "another program changed the file");
    // Two blocks take turns: while the caller works on one, a thread of its own finishes the one
    // before (after) and cuts the next.
    enum class Slot { Free, Ready, End };
    struct Turn {
        TrafficSet Set;
        int64_t First = 0;
        Slot State = Slot::Free;
        bool Pending = false; // a block that block took and after has not
    };
    std::array<Turn, 2> turns;
    std::mutex lock;
    std::condition_variable changed;
    bool stop = false;
    bool broken = false;
    std::exception_ptr thrown; // what after threw
    BlockCutter cutter(in, set.PlansFile);
    // On the thread: waits until the caller is done with turn (false when the reading stops), then
    // runs after on the block it held.
    const auto finish = [&](Turn& turn) {
        {
            std::unique_lock<std::mutex> held(lock);
            changed.wait(held, [&] { return stop || turn.State == Slot::Free; });
            if (stop)
                return false;
        }
        if (!std::exchange(turn.Pending, false) || !after)
            return true;
        bool ok = false;
        try {
            ok = after(turn.Set, turn.First);
        } catch (...) {
            thrown = std::current_exception();
        }
        if (!ok) {
            {
                const std::lock_guard<std::mutex> held(lock);
                broken = true;
                stop = true;
            }
            changed.notify_all();
        }
        return ok;
    };
    std::thread cutting([&] {
        // A plan that a save writes otherwise takes a text of its own on this thread.
        struct LetGo {
            ~LetGo() { memory::LetGoOfThreadTexts(); }
        } letGo;
        for (std::size_t k = 0;; k ^= 1) {
            Turn& turn = turns[k];
            if (!finish(turn))
                return;
            const bool cut = cutter.Next(turn.Set, turn.First);
            {
                const std::lock_guard<std::mutex> held(lock);
                turn.State = cut ? Slot::Ready : Slot::End;
                turn.Pending = cut;
            }
            changed.notify_all();
            if (!cut) {
                finish(turns[k ^ 1]); // the last block the caller takes
                return;
            }
        }
    });
    for (std::size_t k = 0;; k ^= 1) {
        Turn& turn = turns[k];
        {
            std::unique_lock<std::mutex> held(lock);
            changed.wait(held, [&] { return stop || turn.State != Slot::Free; });
            if (stop || turn.State == Slot::End)
                break;
        }
        bool ok = false;
        try {
            ok = block(turn.Set, turn.First);
        } catch (...) {
            {
                const std::lock_guard<std::mutex> held(lock);
                stop = true;
            }
            changed.notify_all();
            cutting.join();
            throw;
        }
        {
            const std::lock_guard<std::mutex> held(lock);
            turn.State = Slot::Free;
            broken = broken || !ok;
            stop = stop || !ok;
        }
        changed.notify_all();
        if (!ok)
            break;
    }
    cutting.join();
    if (thrown)
        std::rethrow_exception(thrown);
    if (broken)
        return Stopped(cutter.Result, set.PlansFile, 0, "the reading was broken off");
    return cutter.Result;
}

} // namespace tarvik
