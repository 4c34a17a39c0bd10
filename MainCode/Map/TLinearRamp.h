// A value stepped linearly from one end to the other: value = from + (to - from) * step / steps.
// Callers that advance it themselves write step and the ends directly.
#pragma once

#include <cstdint>

struct TLinearRamp {
    float value = 0.0f;
    float from = 0.0f;
    float to = 0.0f;
    std::int32_t step = 0;
    std::int32_t steps = 0;

    // Stores the ends and the position, then the value at that position.
    void Set(float from, float to, std::int32_t steps, std::int32_t step);
    // The value at the current step.
    float ValueAt() const;
};
