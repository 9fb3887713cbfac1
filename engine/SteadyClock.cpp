#include "engine/SteadyClock.h"

#include <chrono>

namespace larkspur {

uint32_t SteadyClock::tickCount()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    // Truncating to 32 bits gives the wrapping counter the engine's waits expect.
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

} // namespace larkspur
