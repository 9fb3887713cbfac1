#include "app/PumpingDelay.h"

#include "engine/EnginePlatform.h"

#include <cstdint>

namespace larkspur {

void pumpingDelay(Clock& clock, EventPump& pump, int milliseconds)
{
    const uint32_t start = clock.tickCount();
    for (;;) {
        pump.processEvents();
        // A signed difference keeps a wrapping tick counter from ending the wait early.
        const int32_t elapsed = static_cast<int32_t>(clock.tickCount() - start);
        if (elapsed >= milliseconds)
            return;
        pump.waitForEvents(milliseconds - elapsed);
    }
}

} // namespace larkspur
