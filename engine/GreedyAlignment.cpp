#include "engine/GreedyAlignment.h"

#include <cfloat>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace larkspur {

namespace {

struct Move {
    int di;
    int dj;
};

// Steps of the five moves, forwards; the backward pass negates them.
constexpr Move kMoves[5] = {{0, 1}, {1, 2}, {1, 1}, {2, 1}, {1, 0}};

// A path whose average spectral distance exceeds this after 10 moves is hopeless.
constexpr int64_t kHopelessAverage = 30000;
constexpr int kFreeMoves = 10;

// The look-ahead sums of the five moves from (i, j), offsets multiplied by
// Direction (cells of each move in brackets, forwards):
//   0: (i, j+1), (i, j+2), (i+1, j+3)      1: (i+1, j+2), (i+2, j+3)
//   2: (i+1, j+1), (i+2, j+2)              3: (i+2, j+1), (i+3, j+2)
//   4: (i+1, j), (i+2, j), (i+3, j+1)
// The smallest sum wins; ties go to 2, then 1, 3, 0, 4.
template <int Direction>
int ChooseMoveIn(ComparisonContext& context, int i, int j)
{
    constexpr int d = Direction;
    // Rows i .. i + 3d of the look-ahead, with the columns each one needs.
    context.ensureEnergyRow(i, std::min(j + d, j + 2 * d), std::max(j + d, j + 2 * d));
    context.ensureEnergyRow(i + d, std::min(j, j + 3 * d), std::max(j, j + 3 * d));
    context.ensureEnergyRow(i + 2 * d, std::min(j, j + 3 * d), std::max(j, j + 3 * d));
    context.ensureEnergyRow(i + 3 * d, std::min(j + d, j + 2 * d), std::max(j + d, j + 2 * d));
    auto e = [&](int a, int b) { return context.knownEnergyDistance(i + d * a, j + d * b); };
    // Every distance is 0..200000, so the sums fit 32 bits.
    const int32_t sum0 = e(0, 1) + e(0, 2) + e(1, 3);
    const int32_t sum1 = e(1, 2) + e(2, 3);
    const int32_t sum2 = e(1, 1) + e(2, 2);
    const int32_t sum3 = e(2, 1) + e(3, 2);
    const int32_t sum4 = e(1, 0) + e(2, 0) + e(3, 1);
    int chosen = 2;
    int32_t best = sum2;
    if (sum1 < best) {
        best = sum1;
        chosen = 1;
    }
    if (sum3 < best) {
        best = sum3;
        chosen = 3;
    }
    if (sum0 < best) {
        best = sum0;
        chosen = 0;
    }
    if (sum4 < best)
        chosen = 4;
    return chosen;
}

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
        const Move& move = kMoves[ChooseMoveIn<Direction>(context, i, j)];
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

ComparisonContext::ComparisonContext(const PreparedUtterance& utterance, const SampleTemplate& sample,
                                     const SearchBand& band, MatchWorkspace& workspace)
    : ComparisonContext(utterance, sample, band, workspace, workspace.singleSampleFrames())
{
}

ComparisonContext::ComparisonContext(const PreparedUtterance& utterance, const SampleTemplate& sample,
                                     const SearchBand& band, MatchWorkspace& workspace, SampleFrameCache frames)
    : m_utterance(utterance)
    , m_sample(sample)
    , m_band(band)
    , m_energy(workspace.energyMemo())
    , m_spectral(workspace.spectralMemo())
    , m_frames(frames)
    , m_nU(utterance.frameCount)
    , m_nT(sample.frameCount)
{
}

void ComparisonContext::computeEnergyRow(int i, uint64_t missing)
{
    const int first = std::countr_zero(missing);
    const int last = 63 - std::countl_zero(missing);
    const PreparedUtteranceFrame& u = m_utterance.frames[i];
    int32_t* row = &m_energy.values[i * kMemoStride];
    int j = first;
#if defined(__SSE2__) && FLT_EVAL_METHOD == 0
    // Two cells at a time, every operation the one ClampedEnergyDistance does on
    // the same values: the clamped integers, their differences and squares are
    // all below 2^31 and so exact in double, max and min of exact integers are
    // the integer max and min, and divpd, addpd and mulpd round each lane as the
    // scalar instructions do. The sum is 0..200000, where adding and removing
    // 1.5 x 2^52 rounds to nearest, ties to even, exactly as RoundToInt32 does.
    const __m128d zero = _mm_setzero_pd();
    const __m128d one = _mm_set1_pd(1.0);
    const __m128d largest = _mm_set1_pd(46340.0);
    const __m128d scale = _mm_set1_pd(100000.0);
    const __m128d shift = _mm_set1_pd(6755399441055744.0);
    const __m128d ux = _mm_set1_pd(u.normEnergy);
    const __m128d up = _mm_set1_pd(u.predictionError);
    auto term = [&](__m128d x, __m128d y) {
        const __m128d d = _mm_sub_pd(x, y);
        const __m128d m = _mm_max_pd(x, y);
        return _mm_div_pd(_mm_mul_pd(d, d), _mm_max_pd(_mm_mul_pd(m, m), one));
    };
    for (; j + 1 <= last; j += 2) {
        const __m128i energies = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&m_sample.normEnergy[j - 1]));
        const __m128i errors = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&m_sample.predictionError[j - 1]));
        const __m128d te = _mm_min_pd(_mm_max_pd(_mm_cvtepi32_pd(energies), zero), largest);
        const __m128d tp = _mm_min_pd(_mm_max_pd(_mm_cvtepi32_pd(errors), zero), largest);
        const __m128d sum = _mm_mul_pd(scale, _mm_add_pd(term(ux, te), term(up, tp)));
        const __m128d rounded = _mm_sub_pd(_mm_add_pd(sum, shift), shift);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(&row[j]), _mm_cvttpd_epi32(rounded));
    }
#endif
    for (; j <= last; ++j)
        row[j] = ClampedEnergyDistance(u.normEnergy, u.predictionError, ClampToSquarable(m_sample.normEnergy[j - 1]),
                                       ClampToSquarable(m_sample.predictionError[j - 1]));
    m_energy.rows[i] |= (uint64_t{2} << last) - (uint64_t{1} << first);
}

int32_t ComparisonContext::computeSpectralDistance(int i, int j)
{
    CompactSampleFrame& frame = m_frames.frames[j - 1];
    if (m_frames.ready[j - 1] == 0) {
        frame = PrepareCompactSampleFrame(m_sample, j);
        m_frames.ready[j - 1] = 1;
    }
    return CompactSpectralDistance(m_utterance.frames[i], frame, m_sample, j);
}

int ChooseMove(ComparisonContext& context, int i, int j, int direction)
{
    return direction > 0 ? ChooseMoveIn<+1>(context, i, j) : ChooseMoveIn<-1>(context, i, j);
}

PassResult ForwardPass(ComparisonContext& context) { return RunPass<+1>(context); }
PassResult BackwardPass(ComparisonContext& context) { return RunPass<-1>(context); }

} // namespace larkspur
