#include "engine/VoiceCommandTable.h"

namespace larkspur {

VoiceCommandRecord* VoiceCommandTable::record(int slot)
{
    return validSlot(slot) ? m_slots[slot - 1].get() : nullptr;
}

const VoiceCommandRecord* VoiceCommandTable::record(int slot) const
{
    return validSlot(slot) ? m_slots[slot - 1].get() : nullptr;
}

VoiceCommandRecord& VoiceCommandTable::allocate(int slot)
{
    auto& entry = m_slots.at(slot - 1);
    entry = std::make_unique<VoiceCommandRecord>();
    return *entry;
}

void VoiceCommandTable::clear()
{
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
