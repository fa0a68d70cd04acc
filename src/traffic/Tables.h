#pragma once
// The in-memory traffic set: the plan, aircraft and airport tables, their highest indexes in use,
// the current-plan cursor, the unsaved-changes flag and where the set came from.

#include "traffic/Files.h"
#include "traffic/Memory.h"

#include <array>
#include <cstdint>
#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace tarvik {

// One flight-plan line. The six texts share one buffer, which keeps a full-size set near the size
// of its file in memory.
class FlightPlan {
public:
    int16_t Tag = 0;
    int16_t Pcent = 0;

    std::string_view TailNum() const { return Field(0); }
    std::string_view Rate() const { return Field(1); }
    std::string_view Ivfr() const { return Field(2); }
    std::string_view HPort() const { return Field(3); }
    std::string_view TheRest() const { return Field(4); }
    std::string_view Cment() const { return Field(5); }

    void SetTailNum(std::string_view v) { SetField(0, v); }
    void SetRate(std::string_view v) { SetField(1, v); }
    void SetIvfr(std::string_view v) { SetField(2, v); }
    void SetHPort(std::string_view v) { SetField(3, v); }
    void SetTheRest(std::string_view v) { SetField(4, v); }
    void SetCment(std::string_view v) { SetField(5, v); }

    void Assign(int16_t tag, std::string_view tailNum, int16_t pcent, std::string_view rate,
                std::string_view ivfr, std::string_view hPort, std::string_view theRest,
                std::string_view cment);

private:
    static constexpr int Fields = 6;
    std::string_view Field(int f) const;
    void SetField(int f, std::string_view v);

    std::basic_string<char, std::char_traits<char>, memory::TextAllocator<char>> Text;
    std::array<uint32_t, Fields - 1> End{}; // end of each field in Text but the last
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
using AirportSlots = SlotTable<std::string, 100001>;

// A line of the flight-plan file that is no plan (blank, comment, or reported), kept byte for byte
// so that a save writes it back in its place: before the plan at index Before, or after the last
// plan when Before is LastPlan + 1.
struct KeptLine {
    int32_t Before = 0;
    std::string Text;
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
    // True once a flight-plan file has been read to its end; false at start-up and after a load
    // that stopped inside the flight-plan file, when the plan table mixes two sets.
    bool PlansWhole = false;
};

} // namespace tarvik
