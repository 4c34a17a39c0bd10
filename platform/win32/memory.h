// Memory status, for the machine measurement of the graphics set-up.
#pragma once

#include <cstddef>

#include "platform/win32/types.h"

using SIZE_T = std::size_t;

struct MEMORYSTATUS {
    DWORD dwLength;
    DWORD dwMemoryLoad;  // percent in use
    SIZE_T dwTotalPhys;
    SIZE_T dwAvailPhys;
    SIZE_T dwTotalPageFile;
    SIZE_T dwAvailPageFile;
    SIZE_T dwTotalVirtual;
    SIZE_T dwAvailVirtual;
};
using LPMEMORYSTATUS = MEMORYSTATUS*;

// Physical memory from the system; page file as swap plus physical; virtual as the address space.
void GlobalMemoryStatus(LPMEMORYSTATUS status);
