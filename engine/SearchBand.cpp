#include "engine/SearchBand.h"

#include "engine/Rounding.h"

#include <algorithm>
#include <cmath>

namespace larkspur {

SearchBand BuildSearchBand(int nU, int nT, int32_t accuracy)
{
    nU = std::clamp(nU, 0, kTemplateFrames);
    nT = std::clamp(nT, 0, kTemplateFrames);

    SearchBand band;
    band.rows = nU;
    const double c = 0.4 + 0.01 * accuracy;
    if (c >= 1.0) {
        band.everything = true;
        return band;
    }

    const double s = 1.0 - c;
    const double upperSlope = s * nT / (s * nU - 1.0);
    const double upperOffset = c * nT;
    const double lowerSlope = (s * nT - 1.0) / (s * nU);

    for (int i = 1; i <= nU; ++i) {
        double hi = upperSlope * (i - 1) + upperOffset;
        double lo = lowerSlope * (i - c * nU) + 1.0;
        if (std::isnan(hi) || std::isnan(lo)) {
            band.lo[i] = 1;
            band.hi[i] = 0;  // empty row
            continue;
        }
        // Clamping before rounding marks the same cells (only 1..nT can be
        // marked) and keeps every conversion in range.
        hi = std::clamp(hi, 0.0, static_cast<double>(nT));
        lo = std::clamp(lo, 1.0, static_cast<double>(nT) + 1.0);
        band.hi[i] = static_cast<int16_t>(RoundToInt32(hi));
        band.lo[i] = static_cast<int16_t>(RoundToInt32(lo));
    }
    return band;
}

} // namespace larkspur
