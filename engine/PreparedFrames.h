#pragma once
// Frames converted once per comparison into the form the local distances read
// fastest. Every function here gives exactly the result of the plain
// ResidualEnergy / SpectralDistance on the original integers.

#include "engine/EngineTypes.h"
#include "engine/FeatureExtraction.h"
#include "engine/LocalDistance.h"

#include <array>
#include <cstdint>

namespace larkspur {

struct PreparedUtteranceFrame {
    int32_t normEnergy = 0;       // clamped to 0..46340
    int32_t predictionError = 0;  // clamped to 0..46340
    int32_t residualEnergy = 0;
    double largestLag = 0.0;      // max |r_k|
    std::array<int64_t, kLpcCoefficients> autocorrelation{};
    RealLpcVector realAutocorrelation{};
};

struct PreparedSampleFrame {
    // (sum |c_i|)^2; +inf when the coefficients are too large for the exact path.
    double absSumSquared = 0.0;
    std::array<int64_t, kLpcCoefficients> lagProducts{};  // P_k = sum c_i c_(i+k)
    const LpcVector* lpc = nullptr;  // the template's own coefficients, for the slow path
};

// The same lag products in half the room, for frames kept across table
// searches. Real predictors have sum |c_i| well below 46340, so every P_k fits
// 32 bits; larger ones are marked wide and prepared afresh when used.
struct CompactSampleFrame {
    int32_t absSum = 0;  // sum |c_i|; kWideFrame when the products need 64 bits
    std::array<int32_t, kLpcCoefficients> lagProducts{};
};
inline constexpr int32_t kWideFrame = -1;

PreparedUtteranceFrame PrepareUtteranceFrame(const UtteranceTemplate& u, int i);
CompactSampleFrame PrepareCompactSampleFrame(const SampleTemplate& t, int j);
// Spectral distance of utterance frame u and sample frame j of t, prepared as c
// (which must come from PrepareCompactSampleFrame(t, j)); equal to
// PreparedSpectralDistance(u, PrepareSampleFrame(t, j)).
int32_t CompactSpectralDistance(const PreparedUtteranceFrame& u, const CompactSampleFrame& c,
                                const SampleTemplate& t, int j);
PreparedSampleFrame PrepareSampleFrame(const SampleTemplate& t, int j);

// ResidualEnergy(sample predictor, utterance autocorrelation). When every
// product and partial sum of the double-precision evaluation is an integer
// below 2^52 that evaluation is exact, so c'Rc = r0 P0 + 2 sum r_k P_k in 64-bit
// integers is the same number at a tenth of the work; otherwise it falls back
// to the double-precision evaluation itself.
int32_t PreparedResidualEnergy(const PreparedSampleFrame& c, const PreparedUtteranceFrame& r);

int32_t PreparedSpectralDistance(const PreparedUtteranceFrame& u, const PreparedSampleFrame& t);

} // namespace larkspur
