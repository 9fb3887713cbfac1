#pragma once
// The band of cells around the diagonal that an alignment path may pass through.

#include "engine/EngineTypes.h"

#include <array>
#include <cstdint>

namespace larkspur {

// Row i (utterance frame) allows sample frames lo[i]..hi[i]; rows are 1-based.
struct SearchBand {
    bool everything = false;  // accuracy 60 or more lifts the constraint
    int rows = 0;             // utterance frames N_U
    std::array<int16_t, kTemplateFrames + 1> lo{};
    std::array<int16_t, kTemplateFrames + 1> hi{};

    bool allows(int i, int j) const
    {
        if (everything)
            return true;
        return i >= 1 && i <= rows && j >= lo[i] && j <= hi[i];
    }
};

// A parallelogram around the diagonal of the nU x nT grid whose width grows with
// accuracy. Counts are clamped to 0..61. Near accuracy 50..59 the upper slope
// s nT / (s nU - 1) can blow up to infinity or NaN; such rows come out empty, so
// the comparison is rejected instead of converting a huge value to an integer.
SearchBand BuildSearchBand(int nU, int nT, int32_t accuracy);

} // namespace larkspur
