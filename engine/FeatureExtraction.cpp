#include "engine/FeatureExtraction.h"

#include "engine/Rounding.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace larkspur {

namespace {

// Below these autocorrelation powers a frame is too quiet for its model to mean anything.
constexpr int32_t kMinResidualPower = 50;
constexpr int32_t kMinErrorPower = 30;

constexpr double kCoefficientScale = 800.0;

// Centred 8-bit samples; keeping to this range is what lets the autocorrelation
// sums stay in 32 bits.
constexpr int32_t kMaxCentred = 255;

} // namespace

AnalysisWindow BuildAnalysisWindow()
{
    AnalysisWindow window{};
    for (int k = 1; k <= kFrameLength; ++k)
        window[k - 1] = 0.54 - 0.46 * std::cos(k * 2.0 * std::numbers::pi / kFrameLength);
    return window;
}

const AnalysisWindow& SharedAnalysisWindow()
{
    static const AnalysisWindow window = BuildAnalysisWindow();
    return window;
}

std::array<int32_t, kFrameLength> ApplyAnalysisWindow(std::span<const int32_t> samples)
{
    const AnalysisWindow& w = SharedAnalysisWindow();
    std::array<int32_t, kFrameLength> y{};
    const size_t count = std::min<size_t>(samples.size(), kFrameLength);
    for (size_t k = 0; k < count; ++k)
        y[k] = RoundToInt32(w[k] * static_cast<double>(std::clamp(samples[k], -kMaxCentred, kMaxCentred)));
    return y;
}

LpcResult LpcAnalysis(std::span<const int32_t> samples, int order)
{
    order = std::clamp(order, 1, kLpcOrder);
    LpcResult result;

    // Windowed samples are at most 255 in size, so 220 products of two fit 32 bits.
    const std::array<int32_t, kFrameLength> y = ApplyAnalysisWindow(samples);
    const int n = static_cast<int>(std::min<size_t>(samples.size(), kFrameLength));
    for (int j = 0; j <= order; ++j) {
        int32_t sum = 0;
        for (int k = 0; k + j < n; ++k)
            sum += y[k] * y[k + j];
        result.autocorrelation[j] = sum;
    }

    const LpcResult model = LevinsonDurbin(result.autocorrelation, order);
    result.success = model.success;
    result.predictionError = model.predictionError;
    result.coefficients = model.coefficients;
    return result;
}

LpcResult LevinsonDurbin(const LpcVector& r, int order)
{
    order = std::clamp(order, 1, kLpcOrder);
    LpcResult result;
    result.autocorrelation = r;
    result.coefficients[0] = 800;
    if (r[0] == 0) {
        result.autocorrelation.fill(0);
        return result;  // silence: no model, no error
    }

    std::array<double, kLpcCoefficients> a{};
    double e = r[0];
    const double k1 = -static_cast<double>(r[1]) / r[0];
    a[0] = 1.0;
    a[1] = k1;
    e = e - e * k1 * k1;

    for (int m = 2; m <= order; ++m) {
        double s = 0.0;
        for (int i = 0; i <= m - 1; ++i)
            s = s + a[i] * r[m - i];
        const double km = -s / e;
        const std::array<double, kLpcCoefficients> previous = a;
        for (int i = 1; i <= m - 1; ++i)
            a[i] = previous[i] + km * previous[m - i];
        a[m] = km;
        e = e - e * km * km;
        // Written as !(e > 0) so a NaN from a degenerate frame also counts as lost accuracy.
        if (!(e > 0.0)) {
            result.success = false;
            for (int i = 0; i <= kLpcOrder; ++i)
                result.coefficients[i] = RoundToInt32(kCoefficientScale * a[i]);
            result.predictionError = 0;
            return result;
        }
    }

    for (int i = 0; i <= kLpcOrder; ++i)
        result.coefficients[i] = RoundToInt32(kCoefficientScale * a[i]);
    result.predictionError = RoundToInt32(e / r[0] * 10000.0);
    return result;
}

int32_t ResidualEnergy(const RealLpcVector& c, const RealLpcVector& r)
{
    if (r[0] < kMinResidualPower)
        return 1;
    // r mirrored around lag 0, so r_|i-j| is rr[10 + i - j] and the loop over j
    // runs over contiguous memory. Each v_j still sums over i in ascending order.
    std::array<double, 2 * kLpcOrder + 1> rr{};
    for (int lag = 0; lag <= kLpcOrder; ++lag) {
        rr[kLpcOrder + lag] = r[lag];
        rr[kLpcOrder - lag] = r[lag];
    }
    RealLpcVector v{};
    for (int i = 0; i <= kLpcOrder; ++i) {
        const double ci = c[i];
        for (int j = 0; j <= kLpcOrder; ++j)
            v[j] = v[j] + ci * rr[kLpcOrder + i - j];
    }
    double q = 0.0;
    for (int j = 0; j <= kLpcOrder; ++j)
        q = q + v[j] * c[j];
    return ScaleQuadraticForm(q);
}

int32_t ScaleQuadraticForm(double q)
{
    q = q * 0.00125 * 0.00125;
    if (q < 1.0)
        q = 1.0;
    return RoundToInt32(q);
}

int32_t ResidualEnergy(const LpcVector& c, const LpcVector& r)
{
    RealLpcVector cd{};
    RealLpcVector rd{};
    for (int i = 0; i <= kLpcOrder; ++i) {
        cd[i] = c[i];
        rd[i] = r[i];
    }
    return ResidualEnergy(cd, rd);
}

int AnalyseBlock(std::span<const uint8_t> ring, int p, uint8_t zeroLevel,
                 std::span<FrameRecord> frameTable)
{
    if (ring.size() != static_cast<size_t>(kRingLength) || frameTable.size() != static_cast<size_t>(kRingFrames))
        return 0;
    if (p < 1 || p > kRingLength - kBlockLength + 1)
        return 0;

    int failed = 0;
    int f = p / kFrameLength + 1;
    int q = p;
    std::array<int32_t, kFrameLength> x{};
    for (int frame = 0; frame < kFramesPerBlock; ++frame, ++f, q += kFrameLength) {
        int32_t energy = 0;
        for (int k = 0; k < kFrameLength; ++k) {
            x[k] = static_cast<int32_t>(ring[q - 1 + k]) - static_cast<int32_t>(zeroLevel);
            energy += x[k] * x[k];
        }
        const LpcResult lpc = LpcAnalysis(x, kLpcOrder);
        if (!lpc.success)
            ++failed;

        FrameRecord& record = frameTable[f - 1];
        record.lpc = lpc.coefficients;
        record.autocorrelation = lpc.autocorrelation;
        record.residualEnergy = ResidualEnergy(lpc.coefficients, lpc.autocorrelation);
        record.predictionError = lpc.autocorrelation[0] >= kMinErrorPower ? lpc.predictionError : 0;
        record.energy = energy;
    }
    return failed;
}

} // namespace larkspur
