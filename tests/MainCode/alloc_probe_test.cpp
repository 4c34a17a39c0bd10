// The allocation probe the memory checks stand on: a probe that sees too little hides every leak
// and every block a steady frame asks for, and the checks that use it only bound from above.
#include <gtest/gtest.h>
#include <sys/prctl.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <thread>

#include "support/alloc_probe.h"

namespace {

constexpr std::size_t kKiB = 1024;
constexpr std::size_t kMiB = 1024 * kKiB;

// Keeps a block the compiler would otherwise drop as unused.
void Keep(void* block) { asm volatile("" : : "r"(block) : "memory"); }

std::int64_t Live() { return static_cast<std::int64_t>(qmtest::AllocationProbe::LiveBytes()); }

// Each way a block is asked for; `held` is a 4 KiB block made beforehand, for the one that grows it.
struct Way {
    const char* name;
    void* (*take)(void* held, std::size_t size);
    void (*release)(void* block);
    bool grows;
};

void Free(void* block) { std::free(block); }

const Way kWays[] = {
    {"malloc", [](void*, std::size_t size) { return std::malloc(size); }, Free, false},
    {"calloc", [](void*, std::size_t size) { return std::calloc(16, size / 16); }, Free, false},
    {"realloc of nothing", [](void*, std::size_t size) { return std::realloc(nullptr, size); }, Free, false},
    {"realloc growing a block", [](void* held, std::size_t size) { return std::realloc(held, size); }, Free, true},
    {"new[]", [](void*, std::size_t size) { return static_cast<void*>(new char[size]); },
     [](void* block) { delete[] static_cast<char*>(block); }, false},
    {"aligned_alloc", [](void*, std::size_t size) { return std::aligned_alloc(64, size); }, Free, false},
    {"posix_memalign",
     [](void*, std::size_t size) {
         void* block = nullptr;
         return posix_memalign(&block, 64, size) == 0 ? block : nullptr;
     },
     Free, false},
};

// 1 MiB from the heap, 8 MiB mapped on its own at the C library's first thresholds, and 96 MiB:
// beyond the largest threshold it serves from its heap and the most it keeps at the heap's top, so
// mapped on its own whatever thresholds the game set.
constexpr std::size_t kSizes[] = {1 * kMiB, 8 * kMiB, 96 * kMiB};

TEST(AllocationProbe, EachWayOfAskingIsOneBlockAndHeldBytesShowUntilFreed)
{
    ASSERT_TRUE(qmtest::AllocationProbe::Available());
    // What else the process does meanwhile (another thread's block) stays within this.
    constexpr std::int64_t kSlack = 64 * kKiB;
    qmtest::AllocationProbe probe;
    for (const Way& way : kWays) {
        for (const std::size_t size : kSizes) {
            SCOPED_TRACE(testing::Message() << way.name << ", " << size / kMiB << " MiB");
            void* held = way.grows ? std::malloc(4 * kKiB) : nullptr;
            Keep(held);
            const std::int64_t before = Live() - (way.grows ? static_cast<std::int64_t>(4 * kKiB) : 0);
            probe.Reset();
            void* block = way.take(held, size);
            Keep(block);
            const long own = probe.OwnThreadAllocations();
            const long all = probe.Allocations();
            const long audio = probe.AudioThreadAllocations();
            const std::size_t largest = probe.Largest();
            const std::int64_t holding = Live();
            way.release(block);
            const std::int64_t after = Live();
            ASSERT_NE(block, nullptr);
            EXPECT_EQ(own, 1);
            EXPECT_GE(all, 1);
            EXPECT_EQ(audio, 0);
            EXPECT_EQ(largest, size);
            EXPECT_NEAR(holding - before, static_cast<std::int64_t>(size), kSlack);
            EXPECT_NEAR(after - before, 0, kSlack);
        }
    }
}

// A thread's blocks count in all; on the probe's own thread, or as the audio callback's (the thread
// SDL names "SDLAudioP<n>"), only there.
TEST(AllocationProbe, BlocksCountOnTheThreadThatAskedForThem)
{
    struct Case {
        const char* threadName;  // null: the probe's own thread
        int blocks;
        long own;
        long audio;
    };
    const Case cases[] = {
        {nullptr, 2, 2, 0},
        {"worker", 3, 0, 0},
        {"SDLAudioP2", 4, 0, 4},
        {"SDLAudioC1", 5, 0, 0},  // a capture device's thread
    };
    const auto ask = [](int blocks) {
        for (int i = 0; i < blocks; ++i) {
            void* block = std::malloc(static_cast<std::size_t>(64 + i));
            Keep(block);
            std::free(block);
        }
    };
    qmtest::AllocationProbe probe;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.threadName != nullptr ? c.threadName : "own thread");
        long all = 0;
        long own = 0;
        long audio = 0;
        const auto read = [&] {
            all = probe.Allocations();
            own = probe.OwnThreadAllocations();
            audio = probe.AudioThreadAllocations();
        };
        if (c.threadName == nullptr) {
            probe.Reset();
            ask(c.blocks);
            read();
        } else {
            std::atomic<bool> go{false};
            std::atomic<bool> done{false};
            std::thread other([&] {
                prctl(PR_SET_NAME, c.threadName, 0, 0, 0);
                go.wait(false);
                ask(c.blocks);
                done = true;
                done.notify_one();
            });
            probe.Reset();
            go = true;
            go.notify_one();
            done.wait(false);
            read();
            other.join();
        }
        EXPECT_EQ(own, c.own);
        EXPECT_EQ(audio, c.audio);
        EXPECT_GE(all, c.blocks);
    }
}

}  // namespace
