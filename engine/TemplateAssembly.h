#pragma once
// Builds the utterance template from the frame records the listening loop has
// already computed, so an utterance is never analysed twice.

#include "engine/EngineTypes.h"

#include <span>

namespace larkspur {

// start: ring position S of the utterance's first sample (a frame boundary),
// length: its length L in samples. Fills every field of out except the valid
// flag, which is cleared. Frame records are taken cyclically from the 288-record
// frame table (frame f at index f - 1). An utterance can have at most 60 frames;
// a start outside the ring gives an empty template.
void AssembleUtteranceTemplate(std::span<const FrameRecord> frameTable, int start, int length,
                               UtteranceTemplate& out);

} // namespace larkspur
