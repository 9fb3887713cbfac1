#include "engine/VoiceCommandTable.h"

#include <atomic>
#include <utility>

namespace larkspur {

namespace {

std::atomic<uint64_t> g_lastRevision{0};

} // namespace

VoiceCommandTable::VoiceCommandTable() { touch(); }

VoiceCommandTable::VoiceCommandTable(VoiceCommandTable&& other) noexcept : m_slots(std::move(other.m_slots))
{
    touch();
    other.touch();
}

VoiceCommandTable& VoiceCommandTable::operator=(VoiceCommandTable&& other) noexcept
{
    m_slots = std::move(other.m_slots);
    touch();
    other.touch();
    return *this;
}

void VoiceCommandTable::touch() { m_revision = g_lastRevision.fetch_add(1, std::memory_order_relaxed) + 1; }

VoiceCommandRecord* VoiceCommandTable::record(int slot)
{
    touch();
    return validSlot(slot) ? m_slots[slot - 1].get() : nullptr;
}

const VoiceCommandRecord* VoiceCommandTable::record(int slot) const
{
    return validSlot(slot) ? m_slots[slot - 1].get() : nullptr;
}

VoiceCommandRecord& VoiceCommandTable::allocate(int slot)
{
    touch();
    auto& entry = m_slots.at(slot - 1);
    entry = std::make_unique<VoiceCommandRecord>();
    return *entry;
}

void VoiceCommandTable::clear()
{
    touch();
    for (auto& entry : m_slots)
        entry.reset();
}

int VoiceCommandTable::count() const
{
    int n = 0;
    for (const auto& entry : m_slots)
        n += entry ? 1 : 0;
    return n;
}

} // namespace larkspur
