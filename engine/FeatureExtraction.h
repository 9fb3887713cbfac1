#pragma once
// Frame analysis: a Hamming-windowed 10th-order LPC model of every 220-sample
// frame, quantised to the integers the templates store. Pure functions over
// buffers; the caller owns the capture ring and the frame table.

#include "engine/EngineTypes.h"

#include <array>
#include <cstdint>
#include <span>

namespace larkspur {

using AnalysisWindow = std::array<double, kFrameLength>;  // w[k] at index k - 1
using RealLpcVector = std::array<double, kLpcCoefficients>;

// w[k] = 0.54 - 0.46 cos(2 pi k / 220), k = 1..220. The argument is k / 220, not
// (k - 1) / 219: w[110] is exactly 1 and the window is not symmetric.
AnalysisWindow BuildAnalysisWindow();
// The window, built once on first use and never changed.
const AnalysisWindow& SharedAnalysisWindow();

// y[k] = round(w[k] x[k]) for the first 220 samples; missing samples count as 0,
// samples beyond the centred 8-bit range -255..255 are clamped to it.
std::array<int32_t, kFrameLength> ApplyAnalysisWindow(std::span<const int32_t> samples);

struct LpcResult {
    bool success = true;         // false when the recursion lost its accuracy
    int32_t predictionError = 0; // final error / r0 x 10000, 0 on failure
    LpcVector autocorrelation{}; // r0..r10 of the windowed frame
    LpcVector coefficients{};    // a0..a10 x 800; a0 is always 800
};

// Autocorrelation method with the Levinson-Durbin recursion. samples are the
// centred samples of one frame (220 of them); order is at most 10. When the
// recursion fails at order m the coefficients above m are 0.
LpcResult LpcAnalysis(std::span<const int32_t> samples, int order = kLpcOrder);
// The recursion alone, on a given autocorrelation (r0..r10, lags above order unused).
LpcResult LevinsonDurbin(const LpcVector& r, int order = kLpcOrder);

// Energy of the residual left when predictor c (scaled by 800) is applied to a
// signal with autocorrelation r: c'Rc / 640000, rounded, at least 1; 1 when r0 < 50.
int32_t ResidualEnergy(const LpcVector& c, const LpcVector& r);
// The same on values already converted to double; gives identical results, so the
// matcher can convert each template once instead of once per cell.
int32_t ResidualEnergy(const RealLpcVector& c, const RealLpcVector& r);

// The last steps of ResidualEnergy on the quadratic form c'Rc: undo the two
// factors 800, floor at 1, round.
int32_t ScaleQuadraticForm(double quadraticForm);

// Analyses the 1320-sample block that starts at ring position p (1-based) into
// frame records p div 220 + 1 .. p div 220 + 6. ring holds the 63360-byte
// capture ring (position q at index q - 1), frameTable the 288 frame records
// (frame f at index f - 1). Returns how many frames lost accuracy in the
// recursion; their records are written all the same. A block that does not fit
// the ring, or buffers of the wrong size, leave the table untouched.
int AnalyseBlock(std::span<const uint8_t> ring, int p, uint8_t zeroLevel,
                 std::span<FrameRecord> frameTable);

} // namespace larkspur
