#include "support/alloc_probe.h"

#include <sys/prctl.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

#if defined(__SANITIZE_ADDRESS__)
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void*, std::size_t),
                                                         void (*freeHook)(const volatile void*));
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace qmtest {

namespace {

std::atomic<int> g_probes{0};
std::atomic<std::size_t> g_largest{0};
std::atomic<long> g_allocations{0};
std::atomic<long> g_ownAllocations{0};
std::atomic<long> g_audioAllocations{0};
std::atomic<pid_t> g_owner{0};

#if defined(__SANITIZE_ADDRESS__)
// SDL names the thread that runs an output device's callback "SDLAudioP<n>".
bool OnAudioThread()
{
    char name[16] = {};
    prctl(PR_GET_NAME, name, 0, 0, 0);
    return std::strncmp(name, "SDLAudioP", 9) == 0;
}

void OnMalloc(const volatile void*, std::size_t size)
{
    if (g_probes.load(std::memory_order_relaxed) == 0) {
        return;
    }
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    thread_local const pid_t self = gettid();
    if (self == g_owner.load(std::memory_order_relaxed)) {
        g_ownAllocations.fetch_add(1, std::memory_order_relaxed);
    } else if (OnAudioThread()) {
        g_audioAllocations.fetch_add(1, std::memory_order_relaxed);
    }
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
    g_owner.store(gettid());
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

long AllocationProbe::OwnThreadAllocations() const
{
    return g_ownAllocations.load();
}

long AllocationProbe::AudioThreadAllocations() const
{
    return g_audioAllocations.load();
}

void AllocationProbe::Reset()
{
    g_largest.store(0);
    g_allocations.store(0);
    g_ownAllocations.store(0);
    g_audioAllocations.store(0);
}

std::size_t AllocationProbe::LiveBytes()
{
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return 0;
#endif
}

}  // namespace qmtest
