#pragma once
// Comparison of an utterance template with the trained sample templates:
// a greedy two-way time alignment inside a search band, scored by how well the
// sample's LPC models predict the utterance's spectra.

#include "engine/EngineTypes.h"
#include "engine/GreedyAlignment.h"
#include "engine/LocalDistance.h"
#include "engine/MatchWorkspace.h"
#include "engine/SearchBand.h"
#include "engine/VoiceCommandTable.h"

#include <cstdint>
#include <optional>
#include <string>

namespace larkspur {

struct MatchResult {
    int slot = 0;              // 0: no voice command close enough
    int32_t confidence = 100;  // 75..100
    std::string phrase;        // empty when slot is 0
    int32_t bestScore = kNoScore;  // best accepted score, kNoScore when none was accepted
};

struct CompareResult {
    bool accepted = false;
    int32_t score = -1;
};

// Best scores up to 35000 are recognitions: 100 percent up to 20000, then one
// point less per 600 score units down to 75. Above 35000 there is no match.
std::optional<int32_t> ConfidenceForScore(int32_t bestScore);

// Whether matching can use a sample at all. A damaged table file can hold a
// present sample with an impossible frame count or a mean energy of 0, which
// the length and loudness checks would divide by.
bool UsableSample(const SampleTemplate& sample);

CompareResult CompareWithSample(const UtteranceTemplate& utterance, const SampleTemplate& sample,
                                int32_t accuracy, MatchWorkspace& workspace);

// The trained sample closest to the utterance over the whole table; ties go to
// the lower slot and, within a slot, the earlier sample.
MatchResult MatchUtterance(const UtteranceTemplate& utterance, const VoiceCommandTable& table,
                           int32_t accuracy, MatchWorkspace& workspace);

} // namespace larkspur
