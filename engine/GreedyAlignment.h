#pragma once
// The greedy time alignment of one utterance with one sample: a forward pass
// from the first frames and a backward pass from the last, each choosing its
// steps by energy distances and summing spectral distances along its path.

#include "engine/EngineTypes.h"
#include "engine/LocalDistance.h"
#include "engine/MatchWorkspace.h"
#include "engine/SearchBand.h"

#include <algorithm>
#include <bit>
#include <cstdint>

namespace larkspur {

// One comparison's view of its inputs, with memoised local distances.
// Frame indexes are 1-based; both counts must lie in 4..60 so every look-ahead
// cell stays inside the templates.
class ComparisonContext {
public:
    // The sample's frames are prepared afresh for this comparison.
    ComparisonContext(const PreparedUtterance& utterance, const SampleTemplate& sample,
                      const SearchBand& band, MatchWorkspace& workspace);
    // The sample's frames are prepared in, or taken from, frames.
    ComparisonContext(const PreparedUtterance& utterance, const SampleTemplate& sample,
                      const SearchBand& band, MatchWorkspace& workspace, SampleFrameCache frames);

    int utteranceFrames() const { return m_nU; }
    int sampleFrames() const { return m_nT; }
    bool allowed(int i, int j) const { return m_band.allows(i, j); }

    // Makes sure the energy distances of cells (i, first..last) are in the memo.
    void ensureEnergyRow(int i, int first, int last)
    {
        const uint64_t wanted = (uint64_t{2} << last) - (uint64_t{1} << first);
        const uint64_t missing = wanted & ~m_energy.rows[i];
        if (missing != 0)
            computeEnergyRow(i, missing);
    }
    // The memoised energy distance of (i, j), which ensureEnergyRow must have covered.
    int32_t knownEnergyDistance(int i, int j) const { return m_energy.values[i * kMemoStride + j]; }

    int32_t energyDistance(int i, int j)
    {
        ensureEnergyRow(i, j, j);
        return knownEnergyDistance(i, j);
    }

    int32_t spectralDistance(int i, int j)
    {
        if ((m_spectral.rows[i] >> j & 1) == 0) {
            m_spectral.values[i * kMemoStride + j] = computeSpectralDistance(i, j);
            m_spectral.rows[i] |= uint64_t{1} << j;
        }
        return m_spectral.values[i * kMemoStride + j];
    }

private:
    // Fills the cells of row i from the lowest to the highest bit of missing;
    // cells in between that were known already get the same values again.
    void computeEnergyRow(int i, uint64_t missing);
    int32_t computeSpectralDistance(int i, int j);

    const PreparedUtterance& m_utterance;
    const SampleTemplate& m_sample;
    const SearchBand& m_band;
    DistanceMemo& m_energy;
    DistanceMemo& m_spectral;
    SampleFrameCache m_frames;
    int m_nU;
    int m_nT;
};

struct PassResult {
    bool accepted = false;
    int64_t average = 0;  // path's spectral distance per unit of path length
};

// Direction of a move: +1 forwards from (1, 1), -1 backwards from (N_U, N_T).
// Returns the move number 0..4 with the smallest look-ahead sum; ties go to
// the diagonal first, then 1, 3, 0, 4.
int ChooseMove(ComparisonContext& context, int i, int j, int direction);

PassResult ForwardPass(ComparisonContext& context);
PassResult BackwardPass(ComparisonContext& context);

} // namespace larkspur
