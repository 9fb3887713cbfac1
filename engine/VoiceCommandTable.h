#pragma once
// The 512 slots of the voice command table. A slot is empty or owns a record.

#include "engine/EngineTypes.h"

#include <array>
#include <memory>

namespace larkspur {

class VoiceCommandTable {
public:
    static bool validSlot(int slot) { return slot >= 1 && slot <= kMaxVoiceCommands; }

    // The record in slot (1..512), or nullptr when the slot is empty or out of range.
    VoiceCommandRecord* record(int slot);
    const VoiceCommandRecord* record(int slot) const;
    // Gives slot a fresh cleared record, replacing any record already there.
    VoiceCommandRecord& allocate(int slot);
    void clear();
    // Number of nonempty slots.
    int count() const;

private:
    std::array<std::unique_ptr<VoiceCommandRecord>, kMaxVoiceCommands> m_slots;
};

} // namespace larkspur
