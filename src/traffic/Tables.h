#pragma once
// The in-memory traffic set: the plan, aircraft and airport tables, their highest indexes in use,
// the current-plan cursor, the unsaved-changes flag and where the set came from.

#include <array>
#include <cstdint>
#include <memory>
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

    std::string Text;
    std::array<uint32_t, Fields - 1> End{}; // end of each field in Text but the last
};

struct AircraftEntry {
    int16_t Atag = 0;
    std::string Acraft;
    int16_t ASpeed = 0;
};

// A table of fixed capacity, addressed by index from 0, allocated in blocks as it grows so that a
// growing table never holds two copies of itself.
template <typename T, int32_t Cap> class SlotTable {
public:
    static constexpr int32_t Capacity = Cap;

    SlotTable() { Resize(1); }
    int32_t Size() const { return Count; }
    T& operator[](int32_t i) { return Blocks[i >> Shift][i & Mask]; }
    const T& operator[](int32_t i) const { return Blocks[i >> Shift][i & Mask]; }

    // Grows with empty slots or drops the slots from n on; never beyond Capacity.
    void Resize(int32_t n) {
        const std::size_t blocks = (static_cast<std::size_t>(n) + Mask) >> Shift;
        if (n < Count) {
            for (int32_t i = n; i < Count && (static_cast<std::size_t>(i) >> Shift) < blocks; ++i)
                (*this)[i] = T{};
            Blocks.resize(blocks);
        }
        while (Blocks.size() < blocks)
            Blocks.push_back(std::make_unique<T[]>(BlockSize));
        Count = n;
    }

private:
    static constexpr int Shift = 12;
    static constexpr int32_t BlockSize = 1 << Shift;
    static constexpr int32_t Mask = BlockSize - 1;
    std::vector<std::unique_ptr<T[]>> Blocks;
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

    std::vector<KeptLine> KeptLines;
    // True once a flight-plan file has been read to its end; false at start-up and after a load
    // that stopped inside the flight-plan file, when the plan table mixes two sets.
    bool PlansWhole = false;
};

} // namespace tarvik
