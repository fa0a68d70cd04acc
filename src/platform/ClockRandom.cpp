#include "platform/ClockRandom.h"

#include <chrono>
#include <cstdint>

namespace tarvik {

ClockRandom::ClockRandom() {
    Reseed();
}

void ClockRandom::Reseed() {
    const auto now =
        static_cast<uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
    const uint64_t state = Engine();
    std::seed_seq seq{static_cast<uint32_t>(state), static_cast<uint32_t>(state >> 32),
                      static_cast<uint32_t>(now), static_cast<uint32_t>(now >> 32)};
    Engine.seed(seq);
}

double ClockRandom::Next() {
    // 53 random bits scaled into [0, 1).
    return static_cast<double>(Engine() >> 11) * (1.0 / 9007199254740992.0);
}

} // namespace tarvik
