#pragma once
// The enhanced matcher: compares an utterance's cepstral features with every
// stored training repetition by dynamic time warping and decides with a
// rejection rule learned from the repetitions themselves.
//
// Each command's scale says how much the speaker varies when saying it: the
// geometric mean of the mean distance between its own repetitions and the
// median of that over the table's commands. Three repetitions give only three
// distances, so the command's own figure is pulled toward the table's typical
// one. An utterance's distance to a command is its distance to the closest
// repetition. The closest command is accepted when that distance is at most
// kSureRatio times the command's scale, or at most kMaxRatio times it while
// the next-best command is at least kMinMargin times farther away. Confidence
// is 100 up to kFullRatio times the scale and falls linearly to 75 at
// kMaxRatio,
// the same range as the other matcher's, so the confidence pointer keeps its
// meaning.
//
// Records whose present samples do not all have their repetition audio (a
// table trained elsewhere, or saved without its repetition file) are matched
// by the table matcher instead; of the two answers the more confident one
// wins, the enhanced one on a tie.

#include "engine/DtwAlignment.h"
#include "engine/EnhancedFeatures.h"
#include "engine/Matcher.h"
#include "engine/MatchWorkspace.h"
#include "engine/RepetitionSidecar.h"
#include "engine/VoiceCommandTable.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace larkspur {

enum class MatcherKind { Specified, Enhanced };

class EnhancedMatcher {
public:
    static constexpr float kFullRatio = 1.0f;
    static constexpr float kSureRatio = 1.5f;
    static constexpr float kMaxRatio = 1.9f;
    static constexpr float kMinMargin = 1.2f;
    // Scores are distances times this, rounded.
    static constexpr float kScoreScale = 1000.0f;
    // Commands compared at the full frame rate after the first pass.
    static constexpr int kShortlist = 8;

    EnhancedMatcher();
    ~EnhancedMatcher();
    EnhancedMatcher(const EnhancedMatcher&) = delete;
    EnhancedMatcher& operator=(const EnhancedMatcher&) = delete;

    void clear();
    // Keeps audio as the repetition behind sample k (1..3) of slot, which must
    // already hold the template made from it.
    void storeRepetition(int slot, int k, const SampleTemplate& sample, std::span<const uint8_t> audio);
    // True when every present sample of the record in slot has its repetition.
    bool hasRepetitions(const VoiceCommandTable& table, int slot) const;

    // The repetitions of the table's records, in slot and sample order, for the repetition file.
    std::vector<StoredRepetition> repetitionsFor(const VoiceCommandTable& table) const;
    // Replaces the repetitions by those of a repetition file whose fingerprints
    // match a present sample of table.
    void adoptRepetitions(const VoiceCommandTable& table, std::vector<StoredRepetition> stored);

    // Matches the utterance audio (enhanced records) and its template (the
    // other records) against table. Allocates nothing per comparison.
    MatchResult match(std::span<const uint8_t> audio, const UtteranceTemplate& utterance,
                      const VoiceCommandTable& table, int32_t accuracy, MatchWorkspace& tableWorkspace);

    // Distance of the utterance audio to one repetition, for tools and tests.
    float distanceToRepetition(std::span<const uint8_t> audio, int slot, int k);

    // Confidence for a ratio of distance to scale; nothing above kMaxRatio.
    static std::optional<int32_t> ConfidenceForRatio(float ratio);

private:
    struct Repetition {
        uint64_t fingerprint = 0;
        std::vector<uint8_t> audio;
        FeatureSequence features;
        FeatureSequence coarse;  // frames averaged in fours, for the first pass
        bool stored() const { return !audio.empty(); }
    };
    struct SlotState {
        std::array<Repetition, kSamplesPerCommand> repetitions;
        // The spread of the repetitions and the fingerprints it was measured for.
        std::array<uint64_t, kSamplesPerCommand> scaleFingerprints{};
        float spread = 0.0f;
        bool scaleKnown = false;
    };
    struct Command {
        int slot = 0;
        int count = 0;
        std::array<const FeatureSequence*, kSamplesPerCommand> repetitions{};
        std::array<const FeatureSequence*, kSamplesPerCommand> coarse{};
        float spread = 0.0f;  // mean distance between its repetitions, 0 when unknown
        float scale = 0.0f;
    };

    bool repetitionMatches(const SampleTemplate& sample, const Repetition& r) const;
    void prepare(const VoiceCommandTable& table);
    float measureSpread(const Command& command);

    std::vector<SlotState> m_slots;  // slot s at index s - 1
    EnhancedFeatureExtractor m_extractor;
    DtwWorkspace m_dtw;
    FeatureSequence m_utterance;

    // Derived from the table while its revision stays the same.
    uint64_t m_preparedRevision = 0;
    bool m_prepared = false;
    uint64_t m_repetitionsVersion = 0;   // bumped by every change of the repetitions
    uint64_t m_preparedRepetitions = 0;
    std::vector<Command> m_commands;
    // The commands closest at a quarter of the frame rate (distance, index into
    // m_commands), closest first; only they are compared at the full rate.
    std::array<std::pair<float, int>, kShortlist> m_shortlist{};
    FeatureSequence m_utteranceCoarse;
    VoiceCommandTable m_fallback;        // the records the table matcher takes
    bool m_fallbackUsed = false;
};

} // namespace larkspur
