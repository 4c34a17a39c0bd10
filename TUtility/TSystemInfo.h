// The machine, measured once for the graphics set-up: processor features, clock, memory.
#pragma once

#include <cstdint>

class TSystemInfo {
public:
    // Blocks for one second while the clock is measured.
    TSystemInfo();
    virtual ~TSystemInfo() = default;

    std::uint32_t GetType() const { return m_type; }
    std::uint32_t GetFamily() const { return m_family; }
    std::uint32_t GetModel() const { return m_model; }
    std::uint32_t GetStepping() const { return m_stepping; }
    std::uint32_t GetClock() const { return m_clock; }
    bool HasCpuid() const { return m_cpuid; }
    bool HasTsc() const { return m_tsc; }
    bool HasFpu() const { return m_fpu; }
    bool HasMmx() const { return m_mmx; }
    bool HasSse() const { return m_sse; }
    bool HasSse2() const { return m_sse2; }
    bool Has3DNow() const { return m_3dnow; }
    bool HasExtended3DNow() const { return m_3dnowExt; }
    std::uint32_t GetMemoryMB() const { return m_memoryMB; }

    // The measurement's arithmetic, apart from the machine.
    // Leaf 1 EAX and EDX, and EDX of leaf 0x80000001.
    void DecodeCpuid(std::uint32_t eax1, std::uint32_t edx1, std::uint32_t edxExtended);
    // Counter ticks over one second in MHz; only the low 32 bits of the difference count.
    static std::uint32_t ClockMHz(std::uint64_t before, std::uint64_t after);
    static std::uint32_t MemoryMB(std::uint64_t totalPhysical);

private:
    std::uint32_t m_type = 0;
    std::uint32_t m_family = 0;
    std::uint32_t m_model = 0;
    std::uint32_t m_stepping = 0;
    std::uint32_t m_clock = 0;
    bool m_cpuid = false;
    bool m_tsc = false;
    bool m_fpu = false;
    bool m_mmx = false;
    bool m_sse = false;
    bool m_sse2 = false;
    bool m_3dnow = false;
    bool m_3dnowExt = false;
    std::uint32_t m_memoryMB = 0;
};
