#pragma once
// The random source of the program: a 256-bit generator (xoshiro256**) whose state takes in the
// clock at every reseed, so that identifiers drawn within one clock tick still differ. A reseed
// costs a clock read and a few multiplications, so that a run may reseed for every plan it changes.

#include "run/RandomId.h"

#include <array>
#include <cstdint>

namespace tarvik {

class ClockRandom : public RandomSource {
public:
    ClockRandom();
    void Reseed() override;
    double Next() override;

private:
    uint64_t NextBits();

    std::array<uint64_t, 4> State{};
};

} // namespace tarvik
