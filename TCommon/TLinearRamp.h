// Values stepped linearly from one end to the other: value = (to - from) * step / steps + from.
// Plain structures, copied by value; scenes, menus and pop-ups step them once a frame. A window
// opens by advancing its ramp and closes by retreating it. A ramp of 0 or fewer steps never
// divides: it stands at to (Set at step 0 still gives from).
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
    // One step on; false (step = steps, value = to) once the end has been reached.
    bool Advance();
    // One step back; false (step 0, value unchanged) at the start.
    bool Retreat();
    // Straight to the end or the start, so the value is final in one step.
    void RunToEnd();
    void RunToStart();
    bool AtEnd() const { return step >= steps; }
    bool AtStart() const { return step <= 0; }
};

// Whole numbers, truncating division.
struct TIntRamp {
    std::int32_t value = 0;
    std::int32_t from = 0;
    std::int32_t to = 0;
    std::int32_t step = 0;
    std::int32_t steps = 0;

    void Set(std::int32_t from, std::int32_t to, std::int32_t steps, std::int32_t step);
    // One step on; false (step = steps, value = to) once the end has been reached.
    bool Advance();
    bool Step() { return Advance(); }
    // One step back; false (step 0, value unchanged) at the start.
    bool Retreat();
    void RunToEnd();
    void RunToStart();
    bool AtEnd() const { return step >= steps; }
    bool AtStart() const { return step <= 0; }
};

// The linear ramp with its own stepping.
struct TFloatRamp : TLinearRamp {
    // One step on; false (value = to) once the last step has been reached.
    bool Step() { return Advance(); }
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

// An integer ramp run count times (kEndless: for ever); with pingpong each run goes back the way
// the last one came. The menus' cursor bob is one: -3 to 3 over 10 steps, endless, ping-pong.
struct TRepeatIntRamp {
    static constexpr std::int32_t kEndless = 0x7FFFFFFF;

    std::int32_t count = 0;
    std::int32_t done = 0;
    std::uint8_t pingpong = 0;
    TIntRamp ramp;

    void Start(std::int32_t from, std::int32_t to, std::int32_t steps, std::int32_t count, bool pingpong);
    // One step; the step that finds the ramp at its end starts the next run and advances it once.
    void Step();
    std::int32_t Value() const { return ramp.value; }
};
