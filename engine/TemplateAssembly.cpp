#include "engine/TemplateAssembly.h"

#include "engine/Rounding.h"

#include <algorithm>

namespace larkspur {

void AssembleUtteranceTemplate(std::span<const FrameRecord> frameTable, int start, int length,
                               UtteranceTemplate& out)
{
    out = UtteranceTemplate{};
    if (frameTable.size() != static_cast<size_t>(kRingFrames) || start < 1 || start > kRingLength)
        return;

    int p = start / kFrameLength + 1;
    // The detector never delivers more than 13230 samples (60 frames); anything
    // longer is cut there rather than written past the template's frames.
    const int n = std::clamp(length / kFrameLength, 0, kMaxSampleFrames);
    out.frameCount = static_cast<uint8_t>(n);

    double sum = 0.0;
    for (int r = 1; r <= n; ++r) {
        if (p > kRingFrames)
            p = 1;
        const FrameRecord& frame = frameTable[p - 1];
        out.lpc[r - 1] = frame.lpc;
        out.autocorrelation[r - 1] = frame.autocorrelation;
        out.residualEnergy[r - 1] = frame.residualEnergy;
        out.predictionError[r - 1] = frame.predictionError;
        out.normEnergy[r - 1] = frame.energy;
        sum = sum + frame.energy;
        ++p;
    }

    if (sum == 0.0) {
        out.normEnergy.fill(0);
    } else {
        for (int r = 1; r <= n; ++r)
            out.normEnergy[r - 1] = RoundToInt32(out.normEnergy[r - 1] / sum * 100000.0);
    }
    out.meanEnergy = n > 0 ? RoundToInt32(sum / n) : 0;
}

} // namespace larkspur
