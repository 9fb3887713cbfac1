#pragma once
// A tick counter that moves only when told, so waits of seconds run in
// microseconds in tests and in file-driven runs.

#include "engine/EnginePlatform.h"

#include <cstdint>

namespace larkspur {

class ManualClock : public Clock {
public:
    explicit ManualClock(uint32_t start = 0) : m_ticks(start) {}

    uint32_t tickCount() override { return m_ticks; }
    // Wraps like the 32-bit counter it stands in for.
    void advance(uint32_t milliseconds) { m_ticks += milliseconds; }
    void set(uint32_t ticks) { m_ticks = ticks; }

private:
    uint32_t m_ticks;
};

} // namespace larkspur
