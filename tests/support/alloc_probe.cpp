#include "support/alloc_probe.h"

#include <execinfo.h>
#include <link.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>

// Under a sanitizer its allocator owns the heap and tells of each block through its hooks;
// elsewhere the C library's allocator is reached through its own entry points, and the probe's
// malloc family below stands in front of it.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define QM_SANITIZER_HEAP 1
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void*, std::size_t),
                                                         void (*freeHook)(const volatile void*));
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
extern "C" void* __libc_malloc(std::size_t size);
extern "C" void* __libc_calloc(std::size_t count, std::size_t size);
extern "C" void* __libc_realloc(void* block, std::size_t size);
extern "C" void* __libc_memalign(std::size_t alignment, std::size_t size);
extern "C" void __libc_free(void* block);
#endif

namespace qmtest {

namespace {

std::atomic<int> g_probes{0};
std::atomic<std::size_t> g_largest{0};
std::atomic<long> g_allocations{0};
std::atomic<long> g_ownAllocations{0};
std::atomic<long> g_audioAllocations{0};
std::atomic<pid_t> g_owner{0};
std::atomic<bool> g_driverApart{false};
std::atomic<long> g_driverAllocations{0};

// Where the GL driver's libraries lie in memory, found when a probe that wants them starts.
struct Range {
    std::uintptr_t begin = 0;
    std::uintptr_t end = 0;
};
std::array<Range, 32> g_driverRanges;
std::atomic<int> g_driverRangeCount{0};

bool IsDriverLibrary(const char* path)
{
    for (const char* name : {"_dri.so", "libgallium", "libglapi", "libGLX_mesa", "libEGL_mesa"}) {
        if (std::strstr(path, name) != nullptr) {
            return true;
        }
    }
    return false;
}

void FindDriverRanges()
{
    int count = 0;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            int& n = *static_cast<int*>(data);
            if (info->dlpi_name == nullptr || !IsDriverLibrary(info->dlpi_name)) {
                return 0;
            }
            for (int i = 0; i < info->dlpi_phnum && n < static_cast<int>(g_driverRanges.size()); ++i) {
                const ElfW(Phdr)& ph = info->dlpi_phdr[i];
                if (ph.p_type == PT_LOAD && (ph.p_flags & PF_X) != 0) {
                    const std::uintptr_t begin = info->dlpi_addr + ph.p_vaddr;
                    g_driverRanges[static_cast<size_t>(n++)] = {begin, begin + ph.p_memsz};
                }
            }
            return 0;
        },
        &count);
    g_driverRangeCount.store(count);
}

bool CalledFromDriver()
{
    std::array<void*, 64> frames{};
    const int n = backtrace(frames.data(), static_cast<int>(frames.size()));
    const int ranges = g_driverRangeCount.load(std::memory_order_relaxed);
    for (int f = 0; f < n; ++f) {
        const auto at = reinterpret_cast<std::uintptr_t>(frames[static_cast<size_t>(f)]);
        for (int r = 0; r < ranges; ++r) {
            if (at >= g_driverRanges[static_cast<size_t>(r)].begin && at < g_driverRanges[static_cast<size_t>(r)].end) {
                return true;
            }
        }
    }
    return false;
}

// SDL names the thread that runs an output device's callback "SDLAudioP<n>".
bool OnAudioThread()
{
    char name[16] = {};
    prctl(PR_GET_NAME, name, 0, 0, 0);
    return std::strncmp(name, "SDLAudioP", 9) == 0;
}

// Every block asked for, on any thread, while a probe lives.
void OnMalloc(std::size_t size)
{
    if (g_probes.load(std::memory_order_relaxed) == 0) {
        return;
    }
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    thread_local const pid_t self = gettid();
    if (self == g_owner.load(std::memory_order_relaxed)) {
        g_ownAllocations.fetch_add(1, std::memory_order_relaxed);
        // The stack walk may itself allocate the first time: that block is not looked up.
        thread_local bool walking = false;
        if (g_driverApart.load(std::memory_order_relaxed) && !walking) {
            walking = true;
            if (CalledFromDriver()) {
                g_driverAllocations.fetch_add(1, std::memory_order_relaxed);
            }
            walking = false;
        }
    } else if (OnAudioThread()) {
        g_audioAllocations.fetch_add(1, std::memory_order_relaxed);
    }
    std::size_t seen = g_largest.load(std::memory_order_relaxed);
    while (size > seen && !g_largest.compare_exchange_weak(seen, size, std::memory_order_relaxed)) {
    }
}

#if defined(QM_SANITIZER_HEAP)
void OnSanitizerMalloc(const volatile void*, std::size_t size) { OnMalloc(size); }

void OnSanitizerFree(const volatile void*) {}

bool InstallHooks()
{
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(OnSanitizerMalloc, OnSanitizerFree) != 0;
    return installed;
}
#else
// The malloc family below is always in front of the C library's.
bool InstallHooks()
{
    return true;
}
#endif

}  // namespace

bool AllocationProbe::Available()
{
    return InstallHooks();
}

AllocationProbe::AllocationProbe(bool driverApart)
{
    InstallHooks();
    if (driverApart) {
        FindDriverRanges();
        // The unwinder loads what it needs on its first walk: before counting starts.
        std::array<void*, 4> frames{};
        backtrace(frames.data(), static_cast<int>(frames.size()));
    }
    g_driverApart.store(driverApart);
    g_owner.store(gettid());
    Reset();
    g_probes.fetch_add(1);
}

AllocationProbe::~AllocationProbe()
{
    g_probes.fetch_sub(1);
    g_driverApart.store(false);
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

long AllocationProbe::OwnThreadDriverAllocations() const
{
    return g_driverAllocations.load();
}

long AllocationProbe::OwnThreadGameAllocations() const
{
    return OwnThreadAllocations() - OwnThreadDriverAllocations();
}

void AllocationProbe::Reset()
{
    g_largest.store(0);
    g_allocations.store(0);
    g_ownAllocations.store(0);
    g_audioAllocations.store(0);
    g_driverAllocations.store(0);
}

std::size_t AllocationProbe::LiveBytes()
{
#if defined(QM_SANITIZER_HEAP)
    return __sanitizer_get_current_allocated_bytes();
#else
    // The C library's own figures: blocks in use in its arenas and those mapped on their own.
    const struct mallinfo2 held = mallinfo2();
    return held.uordblks + held.hblkhd;
#endif
}

}  // namespace qmtest

#if !defined(QM_SANITIZER_HEAP)
// Defined in the test program, these take the place of the C library's for every library it loads
// (the GL driver's and SDL's too), as a sanitizer's allocator does. The count before each block
// asks for none (the stack walk's own first one is not looked up).
extern "C" {

void* malloc(std::size_t size) noexcept
{
    qmtest::OnMalloc(size);
    return __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size) noexcept
{
    std::size_t total = 0;
    qmtest::OnMalloc(__builtin_mul_overflow(count, size, &total) ? SIZE_MAX : total);
    return __libc_calloc(count, size);
}

// A block moved or grown counts as a new one, as the sanitizers' reallocation is.
void* realloc(void* block, std::size_t size) noexcept
{
    if (size != 0 || block == nullptr) {
        qmtest::OnMalloc(size);
    }
    return __libc_realloc(block, size);
}

void free(void* block) noexcept { __libc_free(block); }

void* memalign(std::size_t alignment, std::size_t size) noexcept
{
    qmtest::OnMalloc(size);
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept
{
    qmtest::OnMalloc(size);
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** out, std::size_t alignment, std::size_t size) noexcept
{
    if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0) {
        return EINVAL;
    }
    qmtest::OnMalloc(size);
    void* block = __libc_memalign(alignment, size);
    if (block == nullptr) {
        return ENOMEM;
    }
    *out = block;
    return 0;
}

}  // extern "C"
#endif
