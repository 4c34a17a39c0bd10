// The gains of one defeated enemy as the player queues them for the gain pop-up: seven words,
// the second to fourth shown as experience, ability points and ability-point bonus.
#pragma once

#include <cstdint>

struct TCountValue {
    std::uint32_t Words[7] = {};

    // The bonus shown is the counted value's target (the fifth word).
    void Finish() { Words[3] = Words[4]; }
};
