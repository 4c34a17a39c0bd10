#include "TCommon/TLinearRamp.h"

namespace {

// A ramp without steps is already at its end.
float RampValue(float from, float to, std::int32_t step, std::int32_t steps)
{
    if (step == 0) {
        return from;
    }
    if (steps <= 0) {
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

// The integer value at a step; a ramp without steps stands at its end.
std::int32_t IntValue(const TIntRamp& r, std::int32_t at)
{
    if (r.steps <= 0) {
        return r.to;
    }
    return static_cast<std::int32_t>((static_cast<std::int64_t>(r.to) - r.from) * at / r.steps + r.from);
}

float FloatValue(const TLinearRamp& r, std::int32_t at)
{
    if (r.steps <= 0) {
        return r.to;
    }
    return StepValue(r.from, r.to, at, r.steps);
}

// The same rules for both kinds of ramp.
template <typename Ramp, typename ValueOf>
bool AdvanceRamp(Ramp& r, ValueOf valueOf)
{
    if (r.step < r.steps) {
        ++r.step;
        r.value = valueOf(r, r.step);
        return true;
    }
    r.step = r.steps;
    r.value = r.to;
    return false;
}

template <typename Ramp, typename ValueOf>
bool RetreatRamp(Ramp& r, ValueOf valueOf)
{
    if (r.step > 0) {
        --r.step;
        r.value = valueOf(r, r.step);
        return true;
    }
    r.step = 0;
    return false;
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
    if (steps <= 0) {
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
    value = step == 0 ? from : IntValue(*this, step);
}

bool TIntRamp::Advance() { return AdvanceRamp(*this, IntValue); }
bool TIntRamp::Retreat() { return RetreatRamp(*this, IntValue); }

void TIntRamp::RunToEnd()
{
    while (Advance()) {
    }
}

void TIntRamp::RunToStart()
{
    while (Retreat()) {
    }
}

bool TLinearRamp::Advance() { return AdvanceRamp(*this, FloatValue); }
bool TLinearRamp::Retreat() { return RetreatRamp(*this, FloatValue); }

void TLinearRamp::RunToEnd()
{
    while (Advance()) {
    }
}

void TLinearRamp::RunToStart()
{
    while (Retreat()) {
    }
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

void TRepeatIntRamp::Start(std::int32_t from, std::int32_t to, std::int32_t steps, std::int32_t cycles, bool pingPong)
{
    ramp.Set(from, to, steps, 0);
    count = cycles;
    done = 0;
    pingpong = pingPong ? 1 : 0;
}

void TRepeatIntRamp::Step()
{
    if (ramp.Advance()) {
        return;
    }
    if (count == kEndless || ++done < count) {
        if (pingpong != 0) {
            ramp.Set(ramp.to, ramp.from, ramp.steps, 0);
        } else {
            ramp.Set(ramp.from, ramp.to, ramp.steps, 0);
        }
        ramp.Advance();
        return;
    }
    done = count;
}
