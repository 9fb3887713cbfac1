#pragma once
// Energy and zero crossings of raw 8-bit samples around the zero level: what
// calibration and the start and end detectors look at.

#include <cstdint>
#include <span>

namespace larkspur {

struct FrameMeasurement {
    int32_t energy = 0;     // sum of squared deviations from the zero level
    int zeroCrossings = 0;  // moves across the zero level, counting from the zero level
};

inline FrameMeasurement measureSamples(std::span<const uint8_t> samples, uint8_t zeroLevel)
{
    FrameMeasurement m;
    int previous = zeroLevel;
    for (const uint8_t s : samples) {
        const int deviation = static_cast<int>(s) - zeroLevel;
        m.energy += deviation * deviation;
        // A sample at the zero level counts as the upper side.
        if ((s < zeroLevel && previous >= zeroLevel) || (s >= zeroLevel && previous < zeroLevel))
            ++m.zeroCrossings;
        previous = s;
    }
    return m;
}

} // namespace larkspur
