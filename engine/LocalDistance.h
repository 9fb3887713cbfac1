#pragma once
// The two local distances between utterance frame i and sample frame j that the
// alignment uses: one steers the path, the other scores it.

#include "engine/EngineTypes.h"
#include "engine/FeatureExtraction.h"

#include "engine/Rounding.h"

#include <algorithm>
#include <cstdint>

namespace larkspur {

// Squared relative difference of two normalised values, 0..1. Values are clamped
// to 0..46340 first so the 32-bit squares cannot overflow; negative values only
// come from damaged templates.
inline double RelativeSquaredDifference(int32_t x, int32_t y)
{
    constexpr int32_t kLargestSquarable = 46340;  // 46340^2 < 2^31
    x = std::clamp(x, 0, kLargestSquarable);
    y = std::clamp(y, 0, kLargestSquarable);
    if (x > y) {
        if (x == 0)
            return static_cast<double>(y * y);
        const int32_t d = x - y;
        return static_cast<double>(d * d) / static_cast<double>(x * x);
    }
    if (y == 0)
        return static_cast<double>(x * x);
    const int32_t d = x - y;
    return static_cast<double>(d * d) / static_cast<double>(y * y);
}

inline int32_t ClampToSquarable(int32_t x)
{
    constexpr int32_t kLargestSquarable = 46340;
    return std::clamp(x, 0, kLargestSquarable);
}

// RelativeSquaredDifference of values already clamped to 0..46340, without
// branches: with m = max(x, y) the term is (x - y)^2 / m^2, and when m is 0
// both values are 0 and so is the term (0 / 1 here, x^2 = 0 in the plain form).
inline double ClampedRelativeSquaredDifference(int32_t x, int32_t y)
{
    const int32_t m = std::max(x, y);
    const int32_t d = x - y;
    return static_cast<double>(d * d) / static_cast<double>(std::max(m * m, 1));
}

// EnergyDistance of values already clamped to 0..46340. Both terms lie in 0..1,
// so the rounded value is 0..200000.
inline int32_t ClampedEnergyDistance(int32_t utteranceEnergy, int32_t utteranceError, int32_t sampleEnergy,
                                     int32_t sampleError)
{
    const double energyTerm = ClampedRelativeSquaredDifference(utteranceEnergy, sampleEnergy);
    const double errorTerm = ClampedRelativeSquaredDifference(utteranceError, sampleError);
    return RoundToInt32(100000.0 * (energyTerm + errorTerm));
}

// Steers the path: how differently loud and how differently predictable the two
// frames are. round(100000 (energy term + error term)), 0..200000.
inline int32_t EnergyDistance(int32_t utteranceEnergy, int32_t utteranceError, int32_t sampleEnergy,
                              int32_t sampleError)
{
    const double energyTerm = RelativeSquaredDifference(utteranceEnergy, sampleEnergy);
    const double errorTerm = RelativeSquaredDifference(utteranceError, sampleError);
    return RoundToInt32(100000.0 * (energyTerm + errorTerm));
}
int32_t EnergyDistance(const UtteranceTemplate& u, int i, const SampleTemplate& t, int j);

// Scores the path: how much worse the sample frame's predictor does on the
// utterance frame than the utterance frame's own. round(100000 (1 - own / d)),
// 0 for an equally good predictor, near 100000 for a useless one.
inline int32_t SpectralDistanceFromResiduals(int32_t own, int32_t d)
{
    const double v = 1.0 - static_cast<double>(own) / static_cast<double>(d);
    return RoundToInt32(100000.0 * v);
}
int32_t SpectralDistance(const RealLpcVector& sampleLpc, const RealLpcVector& utteranceR,
                         int32_t utteranceResidual);
int32_t SpectralDistance(const UtteranceTemplate& u, int i, const SampleTemplate& t, int j);

} // namespace larkspur
