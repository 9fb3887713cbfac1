#include "engine/LocalDistance.h"

#include "engine/Rounding.h"

#include <algorithm>

namespace larkspur {

namespace {

RealLpcVector ToReal(const LpcVector& values)
{
    RealLpcVector real{};
    for (int k = 0; k <= kLpcOrder; ++k)
        real[k] = values[k];
    return real;
}

} // namespace

int32_t EnergyDistance(const UtteranceTemplate& u, int i, const SampleTemplate& t, int j)
{
    return EnergyDistance(u.normEnergy[i - 1], u.predictionError[i - 1], t.normEnergy[j - 1],
                          t.predictionError[j - 1]);
}

int32_t SpectralDistance(const RealLpcVector& sampleLpc, const RealLpcVector& utteranceR,
                         int32_t utteranceResidual)
{
    return SpectralDistanceFromResiduals(utteranceResidual, ResidualEnergy(sampleLpc, utteranceR));
}

int32_t SpectralDistance(const UtteranceTemplate& u, int i, const SampleTemplate& t, int j)
{
    return SpectralDistance(ToReal(t.lpc[j - 1]), ToReal(u.autocorrelation[i - 1]),
                            u.residualEnergy[i - 1]);
}

} // namespace larkspur
