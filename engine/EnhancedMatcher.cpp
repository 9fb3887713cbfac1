#include "engine/EnhancedMatcher.h"

#include "engine/Rounding.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <unordered_map>

namespace larkspur {

namespace {

// The scale of a command with fewer than two repetitions, when no other
// command has one to borrow: a typical distance between two repetitions.
constexpr float kDefaultScale = 20.0f;
// Utterances shorter than this many frames are not compared.
constexpr int kMinFrames = 3;
// Frames averaged in groups of kFirstPassStep: a sixteenth of the cells of a
// time warping at the full rate.
constexpr int kFirstPassStep = 4;

void Shrink(const FeatureSequence& fine, FeatureSequence& coarse)
{
    coarse.frames = (fine.frames + kFirstPassStep - 1) / kFirstPassStep;
    coarse.values.assign(static_cast<std::size_t>(coarse.frames) * kEnhancedStride, 0.0f);
    for (int f = 0; f < coarse.frames; ++f) {
        const int from = f * kFirstPassStep;
        const int count = std::min(kFirstPassStep, fine.frames - from);
        float* out = coarse.values.data() + static_cast<std::size_t>(f) * kEnhancedStride;
        for (int g = 0; g < count; ++g) {
            const float* in = fine.frame(from + g);
            for (int k = 0; k < kEnhancedStride; ++k)
                out[k] += in[k];
        }
        for (int k = 0; k < kEnhancedStride; ++k)
            out[k] /= static_cast<float>(count);
    }
}

} // namespace

EnhancedMatcher::EnhancedMatcher() : m_slots(kMaxVoiceCommands), m_dtw(kEnhancedMaxFrames)
{
    m_utterance.values.reserve(static_cast<std::size_t>(kEnhancedMaxFrames) * kEnhancedStride);
    m_utteranceCoarse.values.reserve(static_cast<std::size_t>(kEnhancedMaxFrames) * kEnhancedStride);
    m_commands.reserve(kMaxVoiceCommands);
}

EnhancedMatcher::~EnhancedMatcher() = default;

void EnhancedMatcher::clear()
{
    for (SlotState& s : m_slots)
        s = SlotState{};
    ++m_repetitionsVersion;
}

void EnhancedMatcher::storeRepetition(int slot, int k, const SampleTemplate& sample, std::span<const uint8_t> audio)
{
    if (!VoiceCommandTable::validSlot(slot) || k < 1 || k > kSamplesPerCommand)
        return;
    Repetition& r = m_slots[slot - 1].repetitions[k - 1];
    r.fingerprint = SampleFingerprint(sample);
    const std::size_t n = std::min<std::size_t>(audio.size(), kMaxRepetitionAudio);
    r.audio.assign(audio.begin(), audio.begin() + static_cast<std::ptrdiff_t>(n));
    m_extractor.extract(r.audio, r.features);
    Shrink(r.features, r.coarse);
    ++m_repetitionsVersion;
}

bool EnhancedMatcher::repetitionMatches(const SampleTemplate& sample, const Repetition& r) const
{
    return r.stored() && r.features.frames > 0 && r.fingerprint == SampleFingerprint(sample);
}

bool EnhancedMatcher::hasRepetitions(const VoiceCommandTable& table, int slot) const
{
    const VoiceCommandRecord* record = table.record(slot);
    if (!record || record->trained == 0)
        return false;
    int present = 0;
    for (int k = 0; k < kSamplesPerCommand; ++k) {
        const SampleTemplate& sample = record->samples[k];
        if (sample.present == 0)
            continue;
        ++present;
        if (!repetitionMatches(sample, m_slots[slot - 1].repetitions[k]))
            return false;
    }
    return present > 0;
}

std::vector<StoredRepetition> EnhancedMatcher::repetitionsFor(const VoiceCommandTable& table) const
{
    std::vector<StoredRepetition> out;
    for (int slot = 1; slot <= kMaxVoiceCommands; ++slot) {
        const VoiceCommandRecord* record = table.record(slot);
        if (!record)
            continue;
        for (int k = 0; k < kSamplesPerCommand; ++k) {
            const Repetition& r = m_slots[slot - 1].repetitions[k];
            if (record->samples[k].present != 0 && repetitionMatches(record->samples[k], r))
                out.push_back(StoredRepetition{r.fingerprint, r.audio});
        }
    }
    return out;
}

void EnhancedMatcher::adoptRepetitions(const VoiceCommandTable& table, std::vector<StoredRepetition> stored)
{
    clear();
    std::unordered_map<uint64_t, std::size_t> byFingerprint;
    for (std::size_t i = 0; i < stored.size(); ++i)
        byFingerprint.emplace(stored[i].fingerprint, i);
    for (int slot = 1; slot <= kMaxVoiceCommands; ++slot) {
        const VoiceCommandRecord* record = table.record(slot);
        if (!record)
            continue;
        for (int k = 1; k <= kSamplesPerCommand; ++k) {
            const SampleTemplate& sample = record->samples[k - 1];
            if (sample.present == 0)
                continue;
            const auto it = byFingerprint.find(SampleFingerprint(sample));
            if (it != byFingerprint.end())
                storeRepetition(slot, k, sample, stored[it->second].audio);
        }
    }
}

float EnhancedMatcher::measureSpread(const Command& command)
{
    float sum = 0.0f;
    int pairs = 0;
    for (int a = 0; a < command.count; ++a) {
        for (int b = a + 1; b < command.count; ++b) {
            const FeatureSequence& x = *command.repetitions[a];
            const FeatureSequence& y = *command.repetitions[b];
            const float d = DtwDistance(x.values.data(), x.frames, y.values.data(), y.frames, kEnhancedStride,
                                        kDtwNoPath, m_dtw);
            if (d != kDtwNoPath) {
                sum += d;
                ++pairs;
            }
        }
    }
    return pairs > 0 ? sum / static_cast<float>(pairs) : 0.0f;
}

void EnhancedMatcher::prepare(const VoiceCommandTable& table)
{
    if (m_prepared && m_preparedRevision == table.revision() && m_preparedRepetitions == m_repetitionsVersion)
        return;
    m_commands.clear();
    m_fallback.clear();
    m_fallbackUsed = false;
    std::vector<float> spreads;
    for (int slot = 1; slot <= kMaxVoiceCommands; ++slot) {
        const VoiceCommandRecord* record = table.record(slot);
        if (!record || record->trained == 0)
            continue;
        if (!hasRepetitions(table, slot)) {
            m_fallback.allocate(slot) = *record;
            m_fallbackUsed = true;
            continue;
        }
        SlotState& state = m_slots[slot - 1];
        Command command;
        command.slot = slot;
        std::array<uint64_t, kSamplesPerCommand> fingerprints{};
        for (int k = 0; k < kSamplesPerCommand; ++k) {
            if (record->samples[k].present == 0)
                continue;
            command.coarse[command.count] = &state.repetitions[k].coarse;
            command.repetitions[command.count++] = &state.repetitions[k].features;
            fingerprints[k] = state.repetitions[k].fingerprint;
        }
        if (!state.scaleKnown || state.scaleFingerprints != fingerprints) {
            state.spread = measureSpread(command);
            state.scaleFingerprints = fingerprints;
            state.scaleKnown = true;
        }
        command.spread = state.spread;
        if (command.spread > 0.0f)
            spreads.push_back(command.spread);
        m_commands.push_back(command);
    }
    // The table's typical spread; commands that could not measure their own
    // take it as it is.
    float typical = kDefaultScale;
    if (!spreads.empty()) {
        std::nth_element(spreads.begin(), spreads.begin() + static_cast<std::ptrdiff_t>(spreads.size() / 2),
                         spreads.end());
        typical = spreads[spreads.size() / 2];
    }
    for (Command& c : m_commands)
        c.scale = c.spread > 0.0f ? std::sqrt(c.spread * typical) : typical;
    m_preparedRevision = table.revision();
    m_preparedRepetitions = m_repetitionsVersion;
    m_prepared = true;
}

std::optional<int32_t> EnhancedMatcher::ConfidenceForRatio(float ratio)
{
    if (!(ratio <= kMaxRatio))
        return std::nullopt;
    if (ratio <= kFullRatio)
        return 100;
    const double share = (kMaxRatio - ratio) / (kMaxRatio - kFullRatio);
    return std::clamp(75 + RoundToInt32(25.0 * share), 75, 100);
}

float EnhancedMatcher::distanceToRepetition(std::span<const uint8_t> audio, int slot, int k)
{
    if (!VoiceCommandTable::validSlot(slot) || k < 1 || k > kSamplesPerCommand)
        return kDtwNoPath;
    const Repetition& r = m_slots[slot - 1].repetitions[k - 1];
    if (!r.stored())
        return kDtwNoPath;
    m_extractor.extract(audio, m_utterance);
    return DtwDistance(m_utterance.values.data(), m_utterance.frames, r.features.values.data(), r.features.frames,
                       kEnhancedStride, kDtwNoPath, m_dtw);
}

MatchResult EnhancedMatcher::match(std::span<const uint8_t> audio, const UtteranceTemplate& utterance,
                                   const VoiceCommandTable& table, int32_t accuracy, MatchWorkspace& tableWorkspace)
{
    prepare(table);
    MatchResult enhanced;
    if (!m_commands.empty()) {
        m_extractor.extract(audio, m_utterance);
        if (m_utterance.frames >= kMinFrames) {
            // First the commands are compared at a quarter of the frame rate, each
            // comparison giving up once it cannot enter the shortlist of the
            // kShortlist closest; then the shortlisted ones at the full rate,
            // where a comparison gives up once it can change neither of the
            // two closest.
            Shrink(m_utterance, m_utteranceCoarse);
            int listed = 0;
            for (std::size_t i = 0; i < m_commands.size(); ++i) {
                const Command& c = m_commands[i];
                const float limit = listed == kShortlist ? m_shortlist[kShortlist - 1].first : kDtwNoPath;
                float own = limit;
                for (int r = 0; r < c.count; ++r) {
                    const FeatureSequence& h = *c.coarse[r];
                    own = std::min(own, DtwDistance(m_utteranceCoarse.values.data(), m_utteranceCoarse.frames,
                                                    h.values.data(), h.frames, kEnhancedStride, own, m_dtw));
                }
                if (own == kDtwNoPath || (listed == kShortlist && !(own < limit)))
                    continue;
                // Insert in order; the farthest falls off a full list.
                int at = listed < kShortlist ? listed++ : kShortlist - 1;
                while (at > 0 && m_shortlist[at - 1].first > own) {
                    m_shortlist[at] = m_shortlist[at - 1];
                    --at;
                }
                m_shortlist[at] = {own, static_cast<int>(i)};
            }
            float best = kDtwNoPath, second = kDtwNoPath;
            const Command* bestCommand = nullptr;
            for (int n = 0; n < listed; ++n) {
                const Command& c = m_commands[static_cast<std::size_t>(m_shortlist[n].second)];
                float own = kDtwNoPath;
                for (int i = 0; i < c.count; ++i) {
                    const float limit = std::min(own, second);
                    const FeatureSequence& r = *c.repetitions[i];
                    const float d = DtwDistance(m_utterance.values.data(), m_utterance.frames, r.values.data(),
                                                r.frames, kEnhancedStride, limit, m_dtw);
                    own = std::min(own, d);
                }
                if (own < best) {
                    second = best;
                    best = own;
                    bestCommand = &c;
                } else if (own < second) {
                    second = own;
                }
            }
            if (bestCommand) {
                enhanced.bestScore = SaturateToInt32(std::llround(static_cast<double>(best) * kScoreScale));
                const float ratio = best / bestCommand->scale;
                const std::optional<int32_t> confidence = ConfidenceForRatio(ratio);  // nothing above kMaxRatio
                const bool clearWinner = second == kDtwNoPath || second >= kMinMargin * best;
                if (confidence && (ratio <= kSureRatio || clearWinner)) {
                    enhanced.slot = bestCommand->slot;
                    enhanced.confidence = *confidence;
                    enhanced.phrase = table.record(bestCommand->slot)->phrase;
                }
            }
        }
    }
    if (!m_fallbackUsed)
        return enhanced;
    MatchResult fallback = MatchUtterance(utterance, m_fallback, accuracy, tableWorkspace);
    if (fallback.slot > 0) {
        fallback.phrase = table.record(fallback.slot)->phrase;
        if (enhanced.slot == 0 || fallback.confidence > enhanced.confidence)
            return fallback;
    }
    if (m_commands.empty())
        return fallback;
    return enhanced;
}

} // namespace larkspur
