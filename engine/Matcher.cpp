#include "engine/Matcher.h"

#include "engine/Rounding.h"

namespace larkspur {

namespace {

constexpr int32_t kFullConfidenceScore = 20000;
constexpr int32_t kLastMatchingScore = 35000;
constexpr int64_t kWorstAcceptedTotal = 50000;

// The look-ahead reaches three frames past the current cell; shorter templates
// would send it outside their frames. Real utterances have at least 7 frames.
constexpr int kShortestAlignable = 4;

bool UsableUtterance(const PreparedUtterance& u)
{
    return u.frameCount >= 1 && u.frameCount <= kMaxSampleFrames && u.meanEnergy > 0;
}

// frames: where the sample's prepared frames are kept; nullopt to prepare them
// for this comparison only.
CompareResult ComparePrepared(const PreparedUtterance& u, const SampleTemplate& t, int32_t accuracy,
                              MatchWorkspace& workspace, std::optional<SampleFrameCache> frames)
{
    if (!UsableUtterance(u) || !UsableSample(t))
        return {};
    const int nU = u.frameCount;
    const int nT = t.frameCount;
    if (nU / nT >= 2 || nT / nU >= 2)
        return {};
    const int32_t mU = u.meanEnergy;
    const int32_t mT = t.meanEnergy;
    if (mU / mT >= 4 || mT / mU >= 4)
        return {};
    if (nU < kShortestAlignable || nT < kShortestAlignable)
        return {};

    const SearchBand& band = workspace.band(nU, nT, accuracy);
    workspace.beginComparison();
    ComparisonContext context(u, t, band, workspace, frames ? *frames : workspace.singleSampleFrames());

    const PassResult forward = ForwardPass(context);
    if (!forward.accepted)
        return {};
    const PassResult backward = BackwardPass(context);
    if (!backward.accepted)
        return {};
    const int64_t total = forward.average + backward.average;
    if (total > kWorstAcceptedTotal)
        return {};
    return {true, SaturateToInt32(total)};
}

} // namespace

std::optional<int32_t> ConfidenceForScore(int32_t bestScore)
{
    if (bestScore > kLastMatchingScore)
        return std::nullopt;
    int32_t confidence = 100;
    if (bestScore > kFullConfidenceScore)
        confidence = 75 + RoundToInt32(static_cast<double>((kLastMatchingScore - bestScore) * 25) / 15000.0);
    if (confidence > 100)
        confidence = 100;
    return confidence;
}

bool UsableSample(const SampleTemplate& sample)
{
    return sample.frameCount >= 1 && sample.frameCount <= kMaxSampleFrames && sample.meanEnergy > 0;
}

CompareResult CompareWithSample(const UtteranceTemplate& utterance, const SampleTemplate& sample,
                                int32_t accuracy, MatchWorkspace& workspace)
{
    PreparedUtterance& prepared = workspace.utterance();
    PrepareUtterance(utterance, prepared);
    return ComparePrepared(prepared, sample, accuracy, workspace, std::nullopt);
}

MatchResult MatchUtterance(const UtteranceTemplate& utterance, const VoiceCommandTable& table,
                           int32_t accuracy, MatchWorkspace& workspace)
{
    MatchResult result;
    PreparedUtterance& prepared = workspace.utterance();
    PrepareUtterance(utterance, prepared);
    if (!UsableUtterance(prepared))
        return result;

    workspace.beginTableSearch(table);
    int32_t best = kNoScore;
    int slot = 0;
    for (int s = 1; s <= kMaxVoiceCommands; ++s) {
        const VoiceCommandRecord* record = table.record(s);
        if (!record || record->trained == 0)
            continue;
        for (int k = 1; k <= kSamplesPerCommand; ++k) {
            const SampleTemplate& sample = record->samples[k - 1];
            if (sample.present == 0)
                continue;
            const CompareResult compared =
                ComparePrepared(prepared, sample, accuracy, workspace, workspace.tableSampleFrames(s, k));
            if (compared.accepted && compared.score < best) {
                best = compared.score;
                slot = s;
            }
        }
    }

    result.bestScore = best;
    const std::optional<int32_t> confidence = ConfidenceForScore(best);
    if (!confidence)
        return result;
    result.slot = slot;
    result.confidence = *confidence;
    result.phrase = table.record(slot)->phrase;
    return result;
}

} // namespace larkspur
