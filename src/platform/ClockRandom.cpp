#include "platform/ClockRandom.h"

#include <chrono>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

namespace tarvik {

namespace {

// The processor's own cycle counter where there is one: read for every identifier drawn, it costs
// less than a clock read through the system.
uint64_t ClockTicks() {
#if defined(__x86_64__) || defined(__i386__)
    return __rdtsc();
#else
    return static_cast<uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
#endif
}

// splitmix64: spreads a counter over all 64 bits; advances x.
uint64_t SplitMix(uint64_t& x) {
    uint64_t z = (x += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

uint64_t RotateLeft(uint64_t x, int k) {
    return (x << k) | (x >> (64 - k));
}

} // namespace

ClockRandom::ClockRandom() {
    Reseed();
}

// Every word of the state takes in its own spread of the clock, and the generator then steps once,
// so that two reseeds within one clock tick never cancel out: the state kept from before makes
// them differ.
void ClockRandom::Reseed() {
    uint64_t mix = ClockTicks();
    for (uint64_t& word : State)
        word ^= SplitMix(mix);
    if ((State[0] | State[1] | State[2] | State[3]) == 0)
        State[0] = 0x9E3779B97F4A7C15ull; // the one state the generator can't leave
    NextBits();
}

uint64_t ClockRandom::NextBits() {
    const uint64_t result = RotateLeft(State[1] * 5, 7) * 9;
    const uint64_t t = State[1] << 17;
    State[2] ^= State[0];
    State[3] ^= State[1];
    State[1] ^= State[2];
    State[0] ^= State[3];
    State[2] ^= t;
    State[3] = RotateLeft(State[3], 45);
    return result;
}

double ClockRandom::Next() {
    // 53 random bits scaled into [0, 1).
    return static_cast<double>(NextBits() >> 11) * (1.0 / 9007199254740992.0);
}

} // namespace tarvik
