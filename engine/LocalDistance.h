#pragma once
// The two local distances between utterance frame i and sample frame j that the
// alignment uses: one steers the path, the other scores it.

#include "engine/EngineTypes.h"
#include "engine/FeatureExtraction.h"

#include <cstdint>

namespace larkspur {

// Squared relative difference of two normalised values, 0..1. Values are clamped
// to 0..46340 first so the 32-bit squares cannot overflow; negative values only
// come from damaged templates.
double RelativeSquaredDifference(int32_t x, int32_t y);

// Steers the path: how differently loud and how differently predictable the two
// frames are. round(100000 (energy term + error term)), 0..200000.
int32_t EnergyDistance(int32_t utteranceEnergy, int32_t utteranceError, int32_t sampleEnergy,
                       int32_t sampleError);
int32_t EnergyDistance(const UtteranceTemplate& u, int i, const SampleTemplate& t, int j);

// Scores the path: how much worse the sample frame's predictor does on the
// utterance frame than the utterance frame's own. round(100000 (1 - own / d)),
// 0 for an equally good predictor, near 100000 for a useless one.
int32_t SpectralDistance(const RealLpcVector& sampleLpc, const RealLpcVector& utteranceR,
                         int32_t utteranceResidual);
int32_t SpectralDistance(const UtteranceTemplate& u, int i, const SampleTemplate& t, int j);

} // namespace larkspur
