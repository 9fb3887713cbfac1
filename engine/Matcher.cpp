#include "engine/Matcher.h"

// TODO(matcher): the real comparison.
namespace larkspur {
MatchWorkspace::MatchWorkspace() = default;
CompareResult CompareWithSample(const UtteranceTemplate&, const SampleTemplate&, int32_t, MatchWorkspace&) { return {}; }
MatchResult MatchUtterance(const UtteranceTemplate&, const VoiceCommandTable&, int32_t, MatchWorkspace&) { return {}; }
} // namespace larkspur
