#include "support/alloc_probe.h"

#include <atomic>

#if defined(__SANITIZE_ADDRESS__)
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void*, std::size_t),
                                                         void (*freeHook)(const volatile void*));
#endif

namespace qmtest {

namespace {

std::atomic<int> g_probes{0};
std::atomic<std::size_t> g_largest{0};
std::atomic<long> g_allocations{0};

#if defined(__SANITIZE_ADDRESS__)
void OnMalloc(const volatile void*, std::size_t size)
{
    if (g_probes.load(std::memory_order_relaxed) == 0) {
        return;
    }
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    std::size_t seen = g_largest.load(std::memory_order_relaxed);
    while (size > seen && !g_largest.compare_exchange_weak(seen, size, std::memory_order_relaxed)) {
    }
}

void OnFree(const volatile void*) {}

bool InstallHooks()
{
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree) != 0;
    return installed;
}
#else
bool InstallHooks()
{
    return false;
}
#endif

}  // namespace

bool AllocationProbe::Available()
{
    return InstallHooks();
}

AllocationProbe::AllocationProbe()
{
    InstallHooks();
    Reset();
    g_probes.fetch_add(1);
}

AllocationProbe::~AllocationProbe()
{
    g_probes.fetch_sub(1);
}

std::size_t AllocationProbe::Largest() const
{
    return g_largest.load();
}

long AllocationProbe::Allocations() const
{
    return g_allocations.load();
}

void AllocationProbe::Reset()
{
    g_largest.store(0);
    g_allocations.store(0);
}

}  // namespace qmtest
