#include "engine/VirtualTimePump.h"

#include "engine/ManualClock.h"

#include <utility>

namespace larkspur {

VirtualTimePump::VirtualTimePump(ManualClock& clock, std::function<void()> onEvents)
    : m_clock(clock), m_onEvents(std::move(onEvents))
{
}

void VirtualTimePump::processEvents()
{
    if (m_onEvents)
        m_onEvents();
}

void VirtualTimePump::waitForEvents(int maxMs)
{
    if (maxMs > 0)
        m_clock.advance(static_cast<uint32_t>(maxMs));
    processEvents();
}

} // namespace larkspur
