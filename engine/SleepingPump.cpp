#include "engine/SleepingPump.h"

#include <chrono>
#include <thread>

namespace larkspur {

void SleepingPump::waitForEvents(int maxMs)
{
    if (maxMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(maxMs));
}

} // namespace larkspur
