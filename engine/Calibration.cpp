#include "engine/Calibration.h"

#include "engine/EngineTypes.h"
#include "engine/FrameMeasure.h"

#include <cmath>
#include <cstdlib>

namespace larkspur {

namespace {
int32_t roundEven(double value)
{
    return static_cast<int32_t>(std::nearbyint(value));
}
} // namespace

LineMeasurement measureLine(std::span<const uint8_t> window)
{
    LineMeasurement m;
    if (window.empty())
        return m;
    const double n = static_cast<double>(window.size());
    double sum = 0.0;
    for (const uint8_t s : window)
        sum += s;
    m.zeroLevel = static_cast<uint8_t>(roundEven(sum / n));

    // Crossings and squared deviations over the whole window (not per frame).
    const FrameMeasurement whole = measureSamples(window, m.zeroLevel);
    m.zeroCrossings = whole.zeroCrossings;
    m.zeroCrossingThreshold = zeroCrossingThreshold(whole.zeroCrossings, static_cast<int>(window.size()));
    m.noiseLevel = std::sqrt(static_cast<double>(whole.energy) / n);
    return m;
}

int32_t zeroCrossingThreshold(int crossings, int windowLength)
{
    const int32_t perFrame = roundEven(static_cast<double>(crossings) * kFrameLength / windowLength);
    if (perFrame < 5)
        return 15;
    if (perFrame < 20)
        return perFrame + 40;
    return perFrame + 20;
}

int32_t lowEnergyThreshold(double noiseLevel)
{
    const double deviation = noiseLevel + 3.0;
    return roundEven(deviation * deviation) * kFrameLength;
}

int32_t highEnergyThreshold(double noiseLevel)
{
    const double deviation = 2.0 * (noiseLevel + 3.0) + 1.0;
    return roundEven(deviation * deviation) * kFrameLength;
}

bool zeroLevelAcceptable(uint8_t zeroLevel)
{
    return std::abs(static_cast<int>(zeroLevel) - 128) <= kMaxZeroLevelOffset;
}

} // namespace larkspur
