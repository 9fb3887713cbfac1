#pragma once
// A snapshot of the machine's memory and processor figures, taken once when
// the component is constructed. The start-up memory check reads msTotalPhys.

#include "app/ShellPlatform.h"

#include <cstdint>

namespace larkspur {

class TSysInfoComp {
public:
    // Figures of the running system.
    TSysInfoComp();
    // Figures given by the caller, for tests.
    explicit TSysInfoComp(const MemoryStatus& memory);

    uint32_t msMemoryLoad() const { return m_memory.msMemoryLoad; }
    uint64_t msTotalPhys() const { return m_memory.msTotalPhys; }
    uint64_t msAvailPhys() const { return m_memory.msAvailPhys; }
    uint32_t siPageSize() const { return m_pageSize; }
    uint32_t siNumberOfProcessors() const { return m_processors; }

    static MemoryStatus systemMemoryStatus();

private:
    MemoryStatus m_memory;
    uint32_t m_pageSize = 0;
    uint32_t m_processors = 0;
};

} // namespace larkspur
