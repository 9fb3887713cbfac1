#pragma once
// The greedy time alignment of one utterance with one sample: a forward pass
// from the first frames and a backward pass from the last, each choosing its
// steps by energy distances and summing spectral distances along its path.

#include "engine/EngineTypes.h"
#include "engine/MatchWorkspace.h"
#include "engine/SearchBand.h"

#include <cstdint>

namespace larkspur {

// One comparison's view of its inputs, with memoised local distances.
// Frame indexes are 1-based; both counts must lie in 4..60 so every look-ahead
// cell stays inside the templates.
class ComparisonContext {
public:
    ComparisonContext(const PreparedUtterance& utterance, const SampleTemplate& sample,
                      const SearchBand& band, MatchWorkspace& workspace);

    int utteranceFrames() const { return m_nU; }
    int sampleFrames() const { return m_nT; }
    bool allowed(int i, int j) const { return m_band.allows(i, j); }

    int32_t energyDistance(int i, int j)
    {
        MemoCell& cell = m_energyMemo[i * kMemoStride + j];
        if (cell.stamp != m_generation) {
            const PreparedUtteranceFrame& u = m_utterance.frames[i];
            cell.value = EnergyDistance(u.normEnergy, u.predictionError, sampleEnergy(j), sampleError(j));
            cell.stamp = m_generation;
        }
        return cell.value;
    }

    int32_t spectralDistance(int i, int j)
    {
        MemoCell& cell = m_spectralMemo[i * kMemoStride + j];
        if (cell.stamp != m_generation) {
            cell.value = PreparedSpectralDistance(m_utterance.frames[i], sampleFrame(j));
            cell.stamp = m_generation;
        }
        return cell.value;
    }

private:
    const PreparedSampleFrame& sampleFrame(int j)
    {
        if (m_sampleFrameStamps[j] != m_generation) {
            m_sampleFrames[j] = PrepareSampleFrame(m_sample, j);
            m_sampleFrameStamps[j] = m_generation;
        }
        return m_sampleFrames[j];
    }
    int32_t sampleEnergy(int j) const { return m_sample.normEnergy[j - 1]; }
    int32_t sampleError(int j) const { return m_sample.predictionError[j - 1]; }

    const PreparedUtterance& m_utterance;
    const SampleTemplate& m_sample;
    const SearchBand& m_band;
    MemoCell* m_energyMemo;
    MemoCell* m_spectralMemo;
    PreparedSampleFrame* m_sampleFrames;
    uint32_t* m_sampleFrameStamps;
    uint32_t m_generation;
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
