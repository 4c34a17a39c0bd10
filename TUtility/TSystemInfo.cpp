#include "TUtility/TSystemInfo.h"

#include "platform/win32/memory.h"
#include "platform/win32/timer.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <x86intrin.h>
#define QM_HAVE_CPUID 1
#endif

TSystemInfo::TSystemInfo()
{
    MEMORYSTATUS status{};
    GlobalMemoryStatus(&status);
    m_memoryMB = MemoryMB(status.dwTotalPhys);
#ifdef QM_HAVE_CPUID
    unsigned eax = 0;
    unsigned ebx = 0;
    unsigned ecx = 0;
    unsigned edx = 0;
    if (__get_cpuid_max(0, nullptr) == 0 || !__get_cpuid(1, &eax, &ebx, &ecx, &edx)) {
        return;
    }
    m_cpuid = true;
    const unsigned eax1 = eax;
    const unsigned edx1 = edx;
    // Asked without checking the highest extended leaf, as the measurement always did.
    __cpuid(0x80000001u, eax, ebx, ecx, edx);
    DecodeCpuid(eax1, edx1, edx);
    if (m_tsc) {
        const std::uint64_t before = __rdtsc();
        Sleep(1000);
        m_clock = ClockMHz(before, __rdtsc());
    }
#endif
}

void TSystemInfo::DecodeCpuid(std::uint32_t eax1, std::uint32_t edx1, std::uint32_t edxExtended)
{
    m_stepping = eax1 & 0xF;
    m_model = (eax1 >> 4) & 0xF;
    m_family = (eax1 >> 8) & 0xF;
    m_type = (eax1 >> 12) & 0x3;
    m_fpu = (edx1 & 1u) != 0;
    m_tsc = (edx1 & (1u << 4)) != 0;
    m_mmx = (edx1 & (1u << 23)) != 0;
    // Both SSE flags come from bit 25.
    m_sse = (edx1 & (1u << 25)) != 0;
    m_sse2 = m_sse;
    m_3dnow = (edxExtended & (1u << 31)) != 0;
    m_3dnowExt = (edxExtended & (1u << 30)) != 0;
}

std::uint32_t TSystemInfo::ClockMHz(std::uint64_t before, std::uint64_t after)
{
    return static_cast<std::uint32_t>(after - before) / 1000000u;
}

std::uint32_t TSystemInfo::MemoryMB(std::uint64_t totalPhysical)
{
    // 640 bytes, not 640 KiB: the rounding the measurement has always used.
    return static_cast<std::uint32_t>((totalPhysical + 640) >> 20);
}
