#include "engine/LocalDistance.h"

#include "engine/Rounding.h"

#include <algorithm>

namespace larkspur {

namespace {

constexpr int32_t kLargestSquarable = 46340;  // 46340^2 < 2^31

RealLpcVector ToReal(const LpcVector& values)
{
    RealLpcVector real{};
    for (int k = 0; k <= kLpcOrder; ++k)
        real[k] = values[k];
    return real;
}

} // namespace

double RelativeSquaredDifference(int32_t x, int32_t y)
{
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

int32_t EnergyDistance(int32_t utteranceEnergy, int32_t utteranceError, int32_t sampleEnergy,
                       int32_t sampleError)
{
    const double energyTerm = RelativeSquaredDifference(utteranceEnergy, sampleEnergy);
    const double errorTerm = RelativeSquaredDifference(utteranceError, sampleError);
    return RoundToInt32(100000.0 * (energyTerm + errorTerm));
}

int32_t EnergyDistance(const UtteranceTemplate& u, int i, const SampleTemplate& t, int j)
{
    return EnergyDistance(u.normEnergy[i - 1], u.predictionError[i - 1], t.normEnergy[j - 1],
                          t.predictionError[j - 1]);
}

int32_t SpectralDistance(const RealLpcVector& sampleLpc, const RealLpcVector& utteranceR,
                         int32_t utteranceResidual)
{
    const int32_t d = ResidualEnergy(sampleLpc, utteranceR);
    const double v = 1.0 - static_cast<double>(utteranceResidual) / static_cast<double>(d);
    return RoundToInt32(100000.0 * v);
}

int32_t SpectralDistance(const UtteranceTemplate& u, int i, const SampleTemplate& t, int j)
{
    return SpectralDistance(ToReal(t.lpc[j - 1]), ToReal(u.autocorrelation[i - 1]),
                            u.residualEnergy[i - 1]);
}

} // namespace larkspur
