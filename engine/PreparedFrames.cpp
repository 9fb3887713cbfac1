#include "engine/PreparedFrames.h"

#include "engine/LocalDistance.h"
#include "engine/Rounding.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace larkspur {

namespace {

constexpr int32_t kLargestSquarable = 46340;
constexpr int32_t kMinResidualPower = 50;
// Below 2^53 a double holds every integer exactly; half of that leaves room for
// the rounding of the bound itself.
constexpr double kExactLimit = 4503599627370496.0;  // 2^52
// Coefficient sums beyond this would overflow the 64-bit lag products.
constexpr int64_t kLargestExactAbsSum = int64_t{1} << 24;

} // namespace

PreparedUtteranceFrame PrepareUtteranceFrame(const UtteranceTemplate& u, int i)
{
    PreparedUtteranceFrame frame;
    frame.normEnergy = std::clamp(u.normEnergy[i - 1], 0, kLargestSquarable);
    frame.predictionError = std::clamp(u.predictionError[i - 1], 0, kLargestSquarable);
    frame.residualEnergy = u.residualEnergy[i - 1];
    double largest = 0.0;
    for (int k = 0; k <= kLpcOrder; ++k) {
        const int32_t r = u.autocorrelation[i - 1][k];
        frame.autocorrelation[k] = r;
        frame.realAutocorrelation[k] = r;
        largest = std::max(largest, std::fabs(static_cast<double>(r)));
    }
    frame.largestLag = largest;
    return frame;
}

PreparedSampleFrame PrepareSampleFrame(const SampleTemplate& t, int j)
{
    PreparedSampleFrame frame;
    const LpcVector& c = t.lpc[j - 1];
    frame.lpc = &c;
    int64_t absSum = 0;
    for (int k = 0; k <= kLpcOrder; ++k)
        absSum += std::llabs(static_cast<int64_t>(c[k]));
    if (absSum > kLargestExactAbsSum) {
        frame.absSumSquared = std::numeric_limits<double>::infinity();
        return frame;
    }
    frame.absSumSquared = static_cast<double>(absSum) * static_cast<double>(absSum);
    for (int k = 0; k <= kLpcOrder; ++k) {
        int64_t sum = 0;
        for (int i = 0; i + k <= kLpcOrder; ++i)
            sum += static_cast<int64_t>(c[i]) * c[i + k];
        frame.lagProducts[k] = sum;
    }
    return frame;
}

CompactSampleFrame PrepareCompactSampleFrame(const SampleTemplate& t, int j)
{
    CompactSampleFrame frame;
    const LpcVector& c = t.lpc[j - 1];
    int64_t absSum = 0;
    for (int k = 0; k <= kLpcOrder; ++k)
        absSum += std::llabs(static_cast<int64_t>(c[k]));
    // |P_k| <= (sum |c_i|)^2 < 2^31, partial sums included.
    if (absSum > kLargestSquarable) {
        frame.absSum = kWideFrame;
        return frame;
    }
    frame.absSum = static_cast<int32_t>(absSum);
    for (int k = 0; k <= kLpcOrder; ++k) {
        int32_t sum = 0;
        for (int i = 0; i + k <= kLpcOrder; ++i)
            sum += c[i] * c[i + k];
        frame.lagProducts[k] = sum;
    }
    return frame;
}

int32_t CompactSpectralDistance(const PreparedUtteranceFrame& u, const CompactSampleFrame& c,
                                const SampleTemplate& t, int j)
{
    if (c.absSum == kWideFrame)
        return PreparedSpectralDistance(u, PrepareSampleFrame(t, j));
    int32_t residual = 1;
    if (u.autocorrelation[0] >= kMinResidualPower) {
        // The same test, on the same numbers, as PreparedResidualEnergy: absSum
        // is the same sum, and below 2^24 its square is exact in double.
        const double absSum = c.absSum;
        if (absSum * absSum * u.largestLag < kExactLimit) {
            int64_t q = u.autocorrelation[0] * c.lagProducts[0];
            for (int k = 1; k <= kLpcOrder; ++k)
                q += 2 * u.autocorrelation[k] * c.lagProducts[k];
            residual = ScaleQuadraticForm(static_cast<double>(q));
        } else {
            return PreparedSpectralDistance(u, PrepareSampleFrame(t, j));
        }
    }
    return SpectralDistanceFromResiduals(u.residualEnergy, residual);
}

int32_t PreparedResidualEnergy(const PreparedSampleFrame& c, const PreparedUtteranceFrame& r)
{
    if (r.autocorrelation[0] < kMinResidualPower)
        return 1;
    // |v_j| and every partial sum of c'Rc are bounded by (sum |c_i|)^2 max |r_k|.
    if (c.absSumSquared * r.largestLag < kExactLimit) {
        int64_t q = r.autocorrelation[0] * c.lagProducts[0];
        for (int k = 1; k <= kLpcOrder; ++k)
            q += 2 * r.autocorrelation[k] * c.lagProducts[k];
        return ScaleQuadraticForm(static_cast<double>(q));
    }
    RealLpcVector lpc{};
    for (int k = 0; k <= kLpcOrder; ++k)
        lpc[k] = (*c.lpc)[k];
    return ResidualEnergy(lpc, r.realAutocorrelation);
}

int32_t PreparedSpectralDistance(const PreparedUtteranceFrame& u, const PreparedSampleFrame& t)
{
    return SpectralDistanceFromResiduals(u.residualEnergy, PreparedResidualEnergy(t, u));
}

} // namespace larkspur
