#include "engine/GreedyAlignment.h"


#include <limits>

namespace larkspur {

namespace {

struct Move {
    int di;
    int dj;
    int cellCount;
    int cellI[3];
    int cellJ[3];
};

// Look-ahead cells and steps, forwards; the backward pass negates every offset.
constexpr Move kMoves[5] = {
    {0, 1, 3, {0, 0, 1}, {1, 2, 3}},
    {1, 2, 2, {1, 2, 0}, {2, 3, 0}},
    {1, 1, 2, {1, 2, 0}, {1, 2, 0}},
    {2, 1, 2, {2, 3, 0}, {1, 2, 0}},
    {1, 0, 3, {1, 2, 3}, {0, 0, 1}},
};

// The diagonal is preferred on ties, the moves along one axis last.
constexpr int kTieOrder[5] = {2, 1, 3, 0, 4};

// A path whose average spectral distance exceeds this after 10 moves is hopeless.
constexpr int64_t kHopelessAverage = 30000;
constexpr int kFreeMoves = 10;

template <int Direction>
PassResult RunPass(ComparisonContext& context)
{
    const int nU = context.utteranceFrames();
    const int nT = context.sampleFrames();
    int i = Direction > 0 ? 1 : nU;
    int j = Direction > 0 ? 1 : nT;
    // 64-bit so that even absurd distances from damaged templates cannot overflow.
    int64_t d = context.spectralDistance(i, j);
    int64_t length = 0;
    for (int step = 1;; ++step) {
        const Move& move = kMoves[ChooseMove(context, i, j, Direction)];
        i += Direction * move.di;
        j += Direction * move.dj;
        // The band test comes first only to skip a distance that cannot matter.
        if (!context.allowed(i, j))
            return {};
        d += context.spectralDistance(i, j);
        length = Direction > 0 ? i + j : (nU - i) + (nT - j);
        if (step > kFreeMoves && d / length > kHopelessAverage)
            return {};
        const bool done = Direction > 0 ? (i >= nU - 3 || j >= nT - 3) : (i <= 3 || j <= 3);
        if (done)
            break;
    }
    return {true, d / length};
}

} // namespace

ComparisonContext::ComparisonContext(const PreparedUtterance& utterance,
                                     const SampleTemplate& sample, const SearchBand& band,
                                     MatchWorkspace& workspace)
    : m_utterance(utterance)
    , m_sample(sample)
    , m_band(band)
    , m_energyMemo(workspace.energyMemo())
    , m_spectralMemo(workspace.spectralMemo())
    , m_sampleFrames(workspace.sampleFrames())
    , m_sampleFrameStamps(workspace.sampleFrameStamps())
    , m_generation(workspace.generation())
    , m_nU(utterance.frameCount)
    , m_nT(sample.frameCount)
{
}

int ChooseMove(ComparisonContext& context, int i, int j, int direction)
{
    int chosen = kTieOrder[0];
    int64_t best = std::numeric_limits<int64_t>::max();
    for (int number : kTieOrder) {
        const Move& move = kMoves[number];
        int64_t sum = 0;
        for (int c = 0; c < move.cellCount; ++c)
            sum += context.energyDistance(i + direction * move.cellI[c], j + direction * move.cellJ[c]);
        if (sum < best) {
            best = sum;
            chosen = number;
        }
    }
    return chosen;
}

PassResult ForwardPass(ComparisonContext& context) { return RunPass<+1>(context); }
PassResult BackwardPass(ComparisonContext& context) { return RunPass<-1>(context); }

} // namespace larkspur
