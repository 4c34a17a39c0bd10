// Watches heap allocations, to show that a reader never asks for a block sized by bad data and
// that a steady frame allocates nothing on the threads that matter.
#pragma once

#include <cstddef>

namespace qmtest {

// Records the largest single block allocated (any thread) and counts allocations while an
// instance lives, in all and on two threads of their own: the one that made the probe and the
// audio device's callback thread. One instance at a time.
// Counts in every build: through the sanitizer's allocator where there is one, else through the
// test program's own malloc family in front of the C library's. Available() says the count runs.
class AllocationProbe {
public:
    static bool Available();

    // With driverApart, each block the probe's own thread asks for is also looked up the call
    // stack: one asked for from inside the GL driver's libraries counts as the driver's, apart
    // from the game's. Costs a stack walk per block, so only where wanted.
    explicit AllocationProbe(bool driverApart = false);
    ~AllocationProbe();
    AllocationProbe(const AllocationProbe&) = delete;
    AllocationProbe& operator=(const AllocationProbe&) = delete;

    std::size_t Largest() const;
    // Blocks allocated since the probe started (or was reset): on any thread, on the thread
    // that made the probe, on the audio callback thread.
    long Allocations() const;
    long OwnThreadAllocations() const;
    long AudioThreadAllocations() const;
    // Of OwnThreadAllocations, those made inside the GL driver (counted only with driverApart).
    long OwnThreadDriverAllocations() const;
    // Of OwnThreadAllocations, those made outside the GL driver (all of them without driverApart).
    // What the driver asks for as a presented frame is flushed depends on how far its rasterizer
    // threads have got, so a steady frame's count is the game's alone.
    long OwnThreadGameAllocations() const;
    void Reset();

    // Bytes allocated and not yet freed in the whole process (the sanitizer's figure, else the C
    // library's own: what its arenas hold in use, blocks it mapped alone included).
    static std::size_t LiveBytes();
};

}  // namespace qmtest
