#include "engine/ManualClock.h"
#include "engine/SleepingPump.h"
#include "engine/SteadyClock.h"
#include "engine/VirtualTimePump.h"

#include <gtest/gtest.h>

#include <chrono>

namespace larkspur {
namespace {

TEST(VirtualTime, WaitingAdvancesTheClockAndLetsEventsRun)
{
    ManualClock clock(0xFFFFFF00u);
    int events = 0;
    VirtualTimePump pump(clock, [&] { ++events; });

    pump.processEvents();
    EXPECT_EQ(clock.tickCount(), 0xFFFFFF00u);
    EXPECT_EQ(events, 1);

    // Crosses the 32-bit wrap like the real counter.
    pump.waitForEvents(400);
    EXPECT_EQ(clock.tickCount(), 0x00000090u);
    EXPECT_EQ(events, 2);
    EXPECT_EQ(static_cast<int32_t>(clock.tickCount() - 0xFFFFFF00u), 400);

    pump.waitForEvents(-5);  // never back in time
    EXPECT_EQ(clock.tickCount(), 0x00000090u);

    VirtualTimePump quiet(clock);
    quiet.waitForEvents(10);
    EXPECT_EQ(clock.tickCount(), 0x0000009Au);
}

TEST(RealTime, SteadyClockAdvancesWhileTheSleepingPumpWaits)
{
    SteadyClock clock;
    SleepingPump pump;
    const uint32_t before = clock.tickCount();
    const auto wallBefore = std::chrono::steady_clock::now();
    pump.waitForEvents(20);
    EXPECT_GE(std::chrono::steady_clock::now() - wallBefore, std::chrono::milliseconds(20));
    EXPECT_GE(static_cast<int32_t>(clock.tickCount() - before), 19);
}

} // namespace
} // namespace larkspur
