#include "support/compare_probe.h"

#include <unistd.h>

#include <atomic>
#include <cstddef>

namespace qmtest {

namespace {

std::atomic<bool> g_on{false};
std::atomic<pid_t> g_owner{0};
std::atomic<long> g_comparisons{0};

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's memcmp calls this after every comparison when it is defined.
extern "C" void __sanitizer_weak_hook_memcmp(void*, const void*, const void*, std::size_t, int)
{
    if (g_on.load(std::memory_order_relaxed) && gettid() == g_owner.load(std::memory_order_relaxed)) {
        g_comparisons.fetch_add(1, std::memory_order_relaxed);
    }
}

bool ComparisonProbe::Available()
{
    return true;
}
#else
bool ComparisonProbe::Available()
{
    return false;
}
#endif

ComparisonProbe::ComparisonProbe()
{
    g_owner.store(gettid());
    g_comparisons.store(0);
    g_on.store(true);
}

ComparisonProbe::~ComparisonProbe()
{
    g_on.store(false);
}

long ComparisonProbe::Comparisons() const
{
    return g_comparisons.load();
}

}  // namespace qmtest
