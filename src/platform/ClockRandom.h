#pragma once
// The random source of the program: a 64-bit generator whose state takes in the clock at every
// reseed, so that identifiers drawn within one clock tick still differ.

#include "run/RandomId.h"

#include <random>

namespace tarvik {

class ClockRandom : public RandomSource {
public:
    ClockRandom();
    void Reseed() override;
    double Next() override;

private:
    std::mt19937_64 Engine;
};

} // namespace tarvik
