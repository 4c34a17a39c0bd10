// Watches heap allocations, to show that a reader never asks for a block sized by bad data.
#pragma once

#include <cstddef>

namespace qmtest {

// Records the largest single block allocated (any thread) and counts allocations
// while an instance lives; one instance at a time.
// Works in sanitizer builds only (the ci preset); elsewhere Available() is false.
class AllocationProbe {
public:
    static bool Available();

    AllocationProbe();
    ~AllocationProbe();
    AllocationProbe(const AllocationProbe&) = delete;
    AllocationProbe& operator=(const AllocationProbe&) = delete;

    std::size_t Largest() const;
    // Blocks allocated since the probe started.
    long Allocations() const;
    void Reset();
};

}  // namespace qmtest
