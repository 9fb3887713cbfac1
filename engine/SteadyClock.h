#pragma once
// The real millisecond tick count, from the monotonic clock so that changes
// of the wall-clock time never shorten or stretch a wait.

#include "engine/EnginePlatform.h"

namespace larkspur {

class SteadyClock : public Clock {
public:
    uint32_t tickCount() override;
};

} // namespace larkspur
