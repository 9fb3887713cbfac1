#pragma once
// The 512 slots of the voice command table. A slot is empty or owns a record.

#include "engine/EngineTypes.h"

#include <array>
#include <cstdint>
#include <memory>

namespace larkspur {

class VoiceCommandTable {
public:
    VoiceCommandTable();
    VoiceCommandTable(VoiceCommandTable&& other) noexcept;
    VoiceCommandTable& operator=(VoiceCommandTable&& other) noexcept;
    ~VoiceCommandTable() = default;

    static bool validSlot(int slot) { return slot >= 1 && slot <= kMaxVoiceCommands; }

    // The record in slot (1..512), or nullptr when the slot is empty or out of range.
    // The non-const form may be used to change the record; a pointer kept from it
    // must not be written through after a later table search (see revision()).
    VoiceCommandRecord* record(int slot);
    const VoiceCommandRecord* record(int slot) const;
    // Gives slot a fresh cleared record, replacing any record already there.
    VoiceCommandRecord& allocate(int slot);
    void clear();
    // Number of nonempty slots.
    int count() const;

    // A number that changes with every access that can change the table (the
    // non-const record(), allocate(), clear(), moves) and is never shared by two
    // tables of the process, so a table search can keep what it derived from
    // the records for as long as the revision stays the same.
    uint64_t revision() const { return m_revision; }

private:
    void touch();

    std::array<std::unique_ptr<VoiceCommandRecord>, kMaxVoiceCommands> m_slots;
    uint64_t m_revision = 0;
};

} // namespace larkspur
