// A target an attack hit has struck, counting down until it may be struck again.
#pragma once

#include <cstdint>

struct TAttackHitEntry {
    std::uint32_t TargetId = 0;
    std::uint32_t Step = 0;  // 1 counts down; 0 keeps the entry for good
    std::uint32_t Countdown = 0;
};
