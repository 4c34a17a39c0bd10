#include "MainCode/Map/TLinearRamp.h"

void TLinearRamp::Set(float start, float end, std::int32_t count, std::int32_t at)
{
    from = start;
    to = end;
    steps = count;
    step = at;
    value = ValueAt();
}

float TLinearRamp::ValueAt() const
{
    if (step == 0) {
        return from;
    }
    // A ramp without steps is already at its end.
    if (steps == 0) {
        return to;
    }
    return from + (to - from) * static_cast<float>(step) / static_cast<float>(steps);
}
