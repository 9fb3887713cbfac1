#include "app/TSysInfoComp.h"

#include <unistd.h>

namespace larkspur {

namespace {

uint64_t pagesToBytes(long pages, long pageSize)
{
    return pages > 0 && pageSize > 0 ? static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize) : 0;
}

} // namespace

TSysInfoComp::TSysInfoComp() : TSysInfoComp(systemMemoryStatus()) {}

TSysInfoComp::TSysInfoComp(const MemoryStatus& memory) : m_memory(memory)
{
    const long pageSize = sysconf(_SC_PAGESIZE);
    const long processors = sysconf(_SC_NPROCESSORS_ONLN);
    m_pageSize = pageSize > 0 ? static_cast<uint32_t>(pageSize) : 0;
    m_processors = processors > 0 ? static_cast<uint32_t>(processors) : 0;
}

MemoryStatus TSysInfoComp::systemMemoryStatus()
{
    const long pageSize = sysconf(_SC_PAGESIZE);
    MemoryStatus status;
    status.msTotalPhys = pagesToBytes(sysconf(_SC_PHYS_PAGES), pageSize);
    status.msAvailPhys = pagesToBytes(sysconf(_SC_AVPHYS_PAGES), pageSize);
    if (status.msTotalPhys > 0 && status.msAvailPhys <= status.msTotalPhys)
        status.msMemoryLoad =
            static_cast<uint32_t>(100 - status.msAvailPhys * 100 / status.msTotalPhys);
    return status;
}

} // namespace larkspur
