#pragma once
// Comparison of an utterance template with the trained sample templates:
// a greedy two-way time alignment inside a search band, scored by how well the
// sample's LPC models predict the utterance's spectra.

#include "engine/EngineTypes.h"
#include "engine/VoiceCommandTable.h"

#include <cstdint>
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

// Reusable scratch memory for comparisons (memos and search band), so that a
// table search allocates nothing. TODO(matcher): memos with generation counters.
class MatchWorkspace {
public:
    MatchWorkspace();
};

CompareResult CompareWithSample(const UtteranceTemplate& utterance, const SampleTemplate& sample,
                                int32_t accuracy, MatchWorkspace& workspace);

MatchResult MatchUtterance(const UtteranceTemplate& utterance, const VoiceCommandTable& table,
                           int32_t accuracy, MatchWorkspace& workspace);

} // namespace larkspur
