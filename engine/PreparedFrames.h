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

PreparedUtteranceFrame PrepareUtteranceFrame(const UtteranceTemplate& u, int i);
PreparedSampleFrame PrepareSampleFrame(const SampleTemplate& t, int j);

// ResidualEnergy(sample predictor, utterance autocorrelation). When every
// product and partial sum of the double-precision evaluation is an integer
// below 2^52 that evaluation is exact, so c'Rc = r0 P0 + 2 sum r_k P_k in 64-bit
// integers is the same number at a tenth of the work; otherwise it falls back
// to the double-precision evaluation itself.
int32_t PreparedResidualEnergy(const PreparedSampleFrame& c, const PreparedUtteranceFrame& r);

int32_t PreparedSpectralDistance(const PreparedUtteranceFrame& u, const PreparedSampleFrame& t);

} // namespace larkspur
