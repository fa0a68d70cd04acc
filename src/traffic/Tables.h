#pragma once
// The in-memory traffic set: the plan, aircraft and airport tables, their highest indexes in use,
// the current-plan cursor, the unsaved-changes flag and where the set came from.

#include "traffic/Files.h"
#include "traffic/Memory.h"

#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace tarvik {

// The fields of a flight-plan line, as views: what a plan holds, and what a change gives it.
struct PlanFields {
    int16_t Tag = 0;
    std::string_view TailNum;
    int16_t Pcent = 0;
    std::string_view Rate, Ivfr, HPort, TheRest, Cment;
};

// Where the fields of a plan's line start and end, counted from the line's start. The line is the
// one a save writes: "AC#" Tag "," TailNum "," Pcent "%," Rate "," Ivfr "," TheRest "," HPort
// Cment, so the starts of TailNum and Rate follow from the numbers before them.
struct PlanCut {
    int16_t Tag = 0;
    int16_t Pcent = 0;
    uint16_t TailEnd = 0;
    uint16_t RateEnd = 0;
    uint16_t IvfrEnd = 0;
    uint16_t HomeAt = 0;
    uint16_t CmentAt = 0;
    uint16_t LineEnd = 0;
};

// Writes the line of the fields into line, a save's line but for empty legs, and where its fields
// lie into cut. A line longer than 65535 characters has its places cut short.
void ComposeLine(const PlanFields& f, std::string& line, PlanCut& cut);
// The same into out, which has room for ComposedSize(f) characters.
void ComposeLine(const PlanFields& f, char* out, PlanCut& cut);
std::size_t ComposedSize(const PlanFields& f);

// One flight-plan line. A plan refers to its line where it was read (the set's text of the file),
// until a change gives it a line of its own; its fields are parts of that line.
class FlightPlan {
public:
    // The longest line a plan holds, as long as the longest line a load reads.
    static constexpr std::size_t LongestLine = 32767;

    FlightPlan() = default;
    FlightPlan(const FlightPlan& other) { Copy(other); }
    FlightPlan& operator=(const FlightPlan& other);
    ~FlightPlan() { Release(); }

    int16_t Tag() const { return Cut.Tag; }
    int16_t Pcent() const { return Cut.Pcent; }
    std::string_view TailNum() const { return Part(TailAt(), Cut.TailEnd); }
    std::string_view Rate() const { return Part(RateAt(), Cut.RateEnd); }
    std::string_view Ivfr() const { return Part(Cut.RateEnd + 1, Cut.IvfrEnd); }
    std::string_view HPort() const { return Part(Cut.HomeAt, Cut.CmentAt); }
    std::string_view TheRest() const { return Part(Cut.IvfrEnd + 1, Cut.HomeAt - 1); }
    std::string_view Cment() const { return Part(Cut.CmentAt, LineEnd()); }
    PlanFields Fields() const;

    // The line of all its fields; the line a save writes unless the legs are empty.
    std::string_view Text() const { return Part(0, LineEnd()); }
    // True while the plan refers to the line it was read from.
    bool ReadAsIs() const { return Line != nullptr && !(Cut.LineEnd & OwnLine); }

    void SetTag(int16_t v);
    void SetPcent(int16_t v);
    void SetTailNum(std::string_view v);
    void SetRate(std::string_view v);
    void SetIvfr(std::string_view v);
    void SetHPort(std::string_view v);
    void SetTheRest(std::string_view v);
    void SetCment(std::string_view v);

    // Gives the plan a line of its own made of the fields; throws std::length_error when that line
    // would be longer than LongestLine.
    void Assign(const PlanFields& f);
    void Assign(int16_t tag, std::string_view tailNum, int16_t pcent, std::string_view rate,
                std::string_view ivfr, std::string_view hPort, std::string_view theRest,
                std::string_view cment);
    // The same for fields whose legs, home airport and comment are those of the plan's line, cut as
    // a save writes it: the line around one changed field is copied as it is. False, with the plan
    // as it was, when the new line would be longer than LongestLine.
    bool AssignLeading(const PlanFields& f);
    // Gives the plan a copy of line, whose fields lie as cut says.
    void TakeCopy(std::string_view line, const PlanCut& cut);
    // Makes the plan refer to line, which must outlive it; cut says where its fields lie.
    void Refer(const char* line, const PlanCut& cut);

private:
    static constexpr uint16_t OwnLine = 0x8000; // a flag in Cut.LineEnd

    uint16_t LineEnd() const { return static_cast<uint16_t>(Cut.LineEnd & ~OwnLine); }
    uint16_t TailAt() const;
    uint16_t RateAt() const;
    std::string_view Part(std::size_t from, std::size_t to) const {
        return Line && from < to ? std::string_view(Line + from, to - from) : std::string_view();
    }
    void Copy(const FlightPlan& other);
    void Release();
    void SetPart(std::string_view PlanFields::*part, std::string_view v);

    const char* Line = nullptr;
    PlanCut Cut;
};

struct AircraftEntry {
    int16_t Atag = 0;
    std::string Acraft;
    int16_t ASpeed = 0;
};

// A table of fixed capacity, addressed by index from 0. Its slots lie in room reserved for all of
// them, so that a growing table never moves, never holds two copies of itself, and takes memory
// only for the slots in use.
template <typename T, int32_t Cap> class SlotTable {
public:
    static constexpr int32_t Capacity = Cap;

    SlotTable() : Slots(static_cast<T*>(memory::ReserveSlots(Bytes))) { Resize(1); }
    ~SlotTable() { Release(); }
    SlotTable(const SlotTable&) = delete;
    SlotTable& operator=(const SlotTable&) = delete;
    SlotTable(SlotTable&& other) noexcept : Slots(other.Slots), Count(other.Count) {
        other.Slots = nullptr;
        other.Count = 0;
    }
    SlotTable& operator=(SlotTable&& other) noexcept {
        if (this != &other) {
            Release();
            Slots = other.Slots;
            Count = other.Count;
            other.Slots = nullptr;
            other.Count = 0;
        }
        return *this;
    }

    int32_t Size() const { return Count; }
    T& operator[](int32_t i) { return Slots[i]; }
    const T& operator[](int32_t i) const { return Slots[i]; }

    // Grows with empty slots or drops the slots from n on; never beyond Capacity.
    void Resize(int32_t n) {
        n = n < 0 ? 0 : (n > Cap ? Cap : n);
        for (; Count < n; ++Count)
            new (Slots + Count) T();
        for (; Count > n; --Count)
            Slots[Count - 1].~T();
    }

private:
    static constexpr std::size_t Bytes = sizeof(T) * static_cast<std::size_t>(Cap);

    void Release() {
        if (!Slots)
            return;
        Resize(0);
        memory::ReleaseSlots(Slots, Bytes);
        Slots = nullptr;
    }

    T* Slots;
    int32_t Count = 0;
};

using PlanSlots = SlotTable<FlightPlan, 500001>;
using AircraftSlots = SlotTable<AircraftEntry, 3001>;
// The airport codes, packed one after the other: a full-size list is about the size of its codes.
class CodeList {
public:
    static constexpr int32_t Capacity = 100001;

    int32_t Size() const { return static_cast<int32_t>(Ends.size()); }
    std::string_view operator[](int32_t i) const {
        const uint32_t begin = i == 0 ? 0 : Ends[static_cast<std::size_t>(i) - 1];
        return std::string_view(Codes).substr(begin, Ends[static_cast<std::size_t>(i)] - begin);
    }
    // Room for a full list of codes of up to eight characters, so that a list read line by line is
    // not copied as it grows: the system gives the pages of the room only where they are written.
    void ReserveFull() {
        Codes.reserve(8 * static_cast<std::size_t>(Capacity));
        Ends.reserve(static_cast<std::size_t>(Capacity));
    }
    // Adds a code after the last; not beyond Capacity.
    void Add(std::string_view code) {
        if (Size() >= Capacity)
            return;
        Codes.append(code);
        Ends.push_back(static_cast<uint32_t>(Codes.size()));
    }

private:
    std::string Codes;
    std::vector<uint32_t> Ends;
};

using AirportSlots = CodeList;

// A line of the flight-plan file that is no plan (blank, comment, or reported), kept byte for byte
// so that a save writes it back in its place: before the plan at index Before, or after the last
// plan when Before is LastPlan + 1.
struct KeptLine {
    int32_t Before = 0;
    std::string_view Text; // in the set's text of the file
};

// The whole text of a file as read, in pages of its own; lines, plans and kept lines refer to it.
class FileText {
public:
    FileText() = default;
    FileText(const FileText&) = delete;
    FileText& operator=(const FileText&) = delete;
    FileText(FileText&& other) noexcept;
    FileText& operator=(FileText&& other) noexcept;
    ~FileText();

    // Room for at least size bytes, keeping the first keep bytes; throws std::bad_alloc.
    void Reserve(std::size_t size, std::size_t keep);
    char* Data() { return Bytes; }
    const char* Data() const { return Bytes; }
    std::size_t Room() const { return Mapped; }
    // The bytes read into it.
    std::size_t Size = 0;
    // False for a block of a file after its first, whose first bytes are no byte-order mark.
    bool AtFileStart = true;
    // Where each of its lines starts, then where the last one's line end ends, when the reader of
    // a block kept them; empty when its lines were not kept.
    std::vector<uint32_t> LineStarts;
    std::string_view View() const { return std::string_view(Bytes, Size); }

private:
    char* Bytes = nullptr;
    std::size_t Mapped = 0;
};

struct TrafficSet {
    PlanSlots PlanTable;
    AircraftSlots AircraftTable;
    AirportSlots AirportTable;
    int32_t LastPlan = 0;
    int32_t LastAircraft = 0;
    int32_t LastAirport = 0;
    int32_t PlanCursor = 0;
    bool PlansChanged = false;
    std::string PlansFolder;
    std::string PlansFile;
    FileStamp PlansStamp; // the flight-plan file as it was when loaded or last saved

    std::vector<KeptLine> KeptLines;
    // The text of the flight-plan file last read, the last one; before it, the texts of earlier
    // loads that plans still refer to after a load stopped inside the file.
    std::vector<FileText> PlansTexts;
    // True once a flight-plan file has been read to its end; false at start-up and after a load
    // that stopped inside the flight-plan file, when the plan table mixes two sets.
    bool PlansWhole = false;
};

} // namespace tarvik
