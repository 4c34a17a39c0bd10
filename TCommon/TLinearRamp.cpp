#include "TCommon/TLinearRamp.h"

namespace {

// A ramp without steps is already at its end.
float RampValue(float from, float to, std::int32_t step, std::int32_t steps)
{
    if (step == 0) {
        return from;
    }
    if (steps == 0) {
        return to;
    }
    const double span = static_cast<double>(to) - static_cast<double>(from);
    return static_cast<float>(static_cast<double>(from) + span * step / steps);
}

// The stepping value: in float, as the callers step it frame by frame.
float StepValue(float from, float to, std::int32_t step, std::int32_t steps)
{
    return from + (to - from) * static_cast<float>(step) / static_cast<float>(steps);
}

}  // namespace

void TLinearRamp::Set(float start, float end, std::int32_t count, std::int32_t at)
{
    from = start;
    to = end;
    steps = count;
    step = at;
    value = RampValue(from, to, step, steps);
}

float TLinearRamp::ValueAt() const
{
    if (step == 0) {
        return from;
    }
    if (steps == 0) {
        return to;
    }
    return StepValue(from, to, step, steps);
}

void TIntRamp::Set(std::int32_t start, std::int32_t end, std::int32_t count, std::int32_t at)
{
    from = start;
    to = end;
    steps = count;
    step = at;
    if (step == 0) {
        value = from;
    } else if (steps == 0) {
        value = to;
    } else {
        value = static_cast<std::int32_t>(from + static_cast<std::int64_t>(to - from) * step / steps);
    }
}

bool TIntRamp::Step()
{
    if (step < steps) {
        ++step;
        value = static_cast<std::int32_t>(from + static_cast<std::int64_t>(to - from) * step / steps);
        return true;
    }
    step = steps;
    value = to;
    return false;
}

bool TFloatRamp::Step()
{
    if (step < steps) {
        ++step;
        value = StepValue(from, to, step, steps);
        return true;
    }
    step = steps;
    value = to;
    return false;
}

void TRepeatRamp::Start(float from, float to, std::int32_t steps, std::uint32_t cycles, bool pingPong)
{
    ramp.Set(from, to, steps, 0);
    count = cycles;
    done = 0;
    pingpong = pingPong ? 1 : 0;
}

void TRepeatRamp::Step()
{
    if (ramp.Step()) {
        return;
    }
    if (count == kEndless || ++done < count) {
        if (pingpong != 0) {
            ramp.Set(ramp.to, ramp.from, ramp.steps, 0);
            ramp.Step();
        } else {
            ramp.step = 0;
            ramp.value = ramp.from;
        }
        return;
    }
    done = count;
}
