#include "engine/PushToTalkGate.h"

namespace larkspur {

void PushToTalkGate::setEnabled(bool on)
{
    std::lock_guard lock(m_mutex);
    m_enabled = on;
    if (!on)
        m_held = false;
}

bool PushToTalkGate::enabled() const
{
    std::lock_guard lock(m_mutex);
    return m_enabled;
}

bool PushToTalkGate::press()
{
    std::lock_guard lock(m_mutex);
    if (m_held)
        return false;
    m_held = true;
    ++m_presses;
    return true;
}

bool PushToTalkGate::release()
{
    std::lock_guard lock(m_mutex);
    if (!m_held)
        return false;
    m_held = false;
    return true;
}

bool PushToTalkGate::held() const
{
    std::lock_guard lock(m_mutex);
    return m_held;
}

PushToTalkGate::Snapshot PushToTalkGate::snapshot() const
{
    std::lock_guard lock(m_mutex);
    return {m_enabled, m_held, m_presses};
}

} // namespace larkspur
