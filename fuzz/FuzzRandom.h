#pragma once
// A random source for the fuzz targets that draws from the fuzz input, so that a run is repeatable
// from its input alone. It counts its re-seeds and draws so that a target can check how the code
// under test used it.

#include "run/RandomId.h"

#include <cstdint>
#include <cstring>
#include <string_view>

namespace fuzz {

class ByteRandom : public tarvik::RandomSource {
public:
    // Raw: every draw is the next eight bytes taken as a double as they stand (NaN, infinities,
    // negatives and numbers of 1 or more included); otherwise as a number in [0, 1) on a 2^-53
    // grid, so that 1 - 2^-53 can come up. Past the end of the bytes the draws go on from a fixed
    // sequence.
    ByteRandom(std::string_view bytes, bool raw) : Bytes(bytes), Raw(raw) {}

    void Reseed() override {
        ++Reseeds;
        DrawsAtFirstReseed = Reseeds == 1 ? Draws : DrawsAtFirstReseed;
    }

    double Next() override {
        ++Draws;
        uint64_t bits = 0;
        if (Used + sizeof bits <= Bytes.size()) {
            std::memcpy(&bits, Bytes.data() + Used, sizeof bits);
            Used += sizeof bits;
        } else {
            Filler = Filler * 6364136223846793005ULL + 1442695040888963407ULL;
            bits = Filler;
        }
        Last = Raw ? AsDouble(bits) : static_cast<double>(bits >> 11) * 0x1p-53;
        return Last;
    }

    int Reseeds = 0;
    int Draws = 0;
    int DrawsAtFirstReseed = -1; // draws made before the first re-seed
    double Last = 0;             // the latest draw

private:
    static double AsDouble(uint64_t bits) {
        double d = 0;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }

    std::string_view Bytes;
    bool Raw;
    std::size_t Used = 0;
    uint64_t Filler = 0;
};

} // namespace fuzz
