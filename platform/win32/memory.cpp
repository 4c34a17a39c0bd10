#include "platform/win32/memory.h"

#include <sys/sysinfo.h>

#include <cstdint>

void GlobalMemoryStatus(LPMEMORYSTATUS status)
{
    if (status == nullptr) {
        return;
    }
    const DWORD length = static_cast<DWORD>(sizeof(MEMORYSTATUS));
    *status = MEMORYSTATUS{};
    status->dwLength = length;
    struct sysinfo info {};
    if (sysinfo(&info) != 0) {
        return;
    }
    const SIZE_T unit = info.mem_unit != 0 ? info.mem_unit : 1;
    status->dwTotalPhys = static_cast<SIZE_T>(info.totalram) * unit;
    status->dwAvailPhys = static_cast<SIZE_T>(info.freeram + info.bufferram) * unit;
    status->dwTotalPageFile = status->dwTotalPhys + static_cast<SIZE_T>(info.totalswap) * unit;
    status->dwAvailPageFile = status->dwAvailPhys + static_cast<SIZE_T>(info.freeswap) * unit;
    status->dwTotalVirtual = static_cast<SIZE_T>(INTPTR_MAX);
    status->dwAvailVirtual = status->dwTotalVirtual;
    if (status->dwTotalPhys != 0) {
        status->dwMemoryLoad =
            static_cast<DWORD>(100 - (status->dwAvailPhys * 100 / status->dwTotalPhys));
    }
}
