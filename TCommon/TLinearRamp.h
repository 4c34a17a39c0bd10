// Values stepped linearly from one end to the other: value = from + (to - from) * step / steps.
// Plain structures, copied by value; scenes, menus and pop-ups step them once a frame.
#pragma once

#include <cstdint>

struct TLinearRamp {
    float value = 0.0f;
    float from = 0.0f;
    float to = 0.0f;
    std::int32_t step = 0;
    std::int32_t steps = 0;

    // Stores the ends and the position, then the value at that position (worked out in double).
    void Set(float from, float to, std::int32_t steps, std::int32_t step);
    // The value at the current step.
    float ValueAt() const;
};

// Whole numbers, truncating division.
struct TIntRamp {
    std::int32_t value = 0;
    std::int32_t from = 0;
    std::int32_t to = 0;
    std::int32_t step = 0;
    std::int32_t steps = 0;

    void Set(std::int32_t from, std::int32_t to, std::int32_t steps, std::int32_t step);
    // One step on; false (value = to) once the last step has been reached.
    bool Step();
    bool AtEnd() const { return step >= steps; }
};

// The linear ramp with its own stepping.
struct TFloatRamp : TLinearRamp {
    // One step on; false (value = to) once the last step has been reached.
    bool Step();
};

// A float ramp run count times (kEndless: for ever), each cycle from the start again or, with
// pingpong, back the way it came.
struct TRepeatRamp {
    static constexpr std::uint32_t kEndless = 2147483647;

    std::uint32_t count = 0;
    std::uint32_t done = 0;
    std::uint8_t pingpong = 0;
    TFloatRamp ramp;

    void Start(float from, float to, std::int32_t steps, std::uint32_t count, bool pingpong);
    void Step();
    float Value() const { return ramp.value; }
};
