#include "cli/MouseTimerPump.h"

#include "actions/RecognitionDispatch.h"

#include <algorithm>

namespace larkspur::cli {

namespace {

// A pass that comes late runs at most this many ticks, so a stalled loop does
// not fling the pointer across the screen at once.
constexpr int kMaxTicksPerPass = 1000;

} // namespace

int dueTicks(uint32_t elapsed, int interval, int limit)
{
    if (interval <= 0)
        return 0;
    return static_cast<int>(std::min<uint32_t>(elapsed / static_cast<uint32_t>(interval), static_cast<uint32_t>(limit)));
}

MouseTimerPump::MouseTimerPump(EventPump& inner, Clock& clock) : m_inner(inner), m_clock(clock) {}

void MouseTimerPump::drive(RecognitionDispatch& dispatch)
{
    m_dispatch = &dispatch;
    m_last = m_clock.tickCount();
    dispatch.OnMouseTimerChanged = [this] { m_last = m_clock.tickCount(); };
}

void MouseTimerPump::processEvents()
{
    m_inner.processEvents();
    runDueTicks();
}

void MouseTimerPump::waitForEvents(int maxMs)
{
    m_inner.waitForEvents(maxMs);
    runDueTicks();
}

void MouseTimerPump::runDueTicks()
{
    if (!m_dispatch)
        return;
    const uint32_t now = m_clock.tickCount();
    if (!m_dispatch->MouseTimerEnabled()) {
        m_last = now;
        return;
    }
    const int interval = m_dispatch->MouseTimerInterval();
    const int ticks = dueTicks(now - m_last, interval, kMaxTicksPerPass);
    m_last += static_cast<uint32_t>(ticks) * static_cast<uint32_t>(interval);
    if (ticks == kMaxTicksPerPass)
        m_last = now;
    for (int i = 0; i < ticks && m_dispatch->MouseTimerEnabled(); ++i)
        m_dispatch->MouseTimerTimer();
}

} // namespace larkspur::cli
