#include <gtest/gtest.h>

#include "MainCode/Map/TLinearRamp.h"

namespace {

TEST(TLinearRamp, SetPlacesTheValueAtItsStep)
{
    TLinearRamp ramp;
    ramp.Set(2.0f, 10.0f, 4, 0);
    EXPECT_EQ(ramp.value, 2.0f);
    EXPECT_EQ(ramp.from, 2.0f);
    EXPECT_EQ(ramp.to, 10.0f);
    EXPECT_EQ(ramp.steps, 4);
    EXPECT_EQ(ramp.step, 0);
    ramp.Set(2.0f, 10.0f, 4, 1);
    EXPECT_EQ(ramp.value, 4.0f);
    ramp.Set(1.0f, -1.0f, 8, 8);
    EXPECT_EQ(ramp.value, -1.0f);
    ramp.Set(0.0f, 1.0f, 3, 1);
    EXPECT_FLOAT_EQ(ramp.value, 1.0f / 3.0f);

    // Cleared as the fader clears it, and a ramp without steps already at its end.
    ramp.Set(0.0f, 0.0f, 0, 0);
    EXPECT_EQ(ramp.value, 0.0f);
    ramp.Set(0.5f, 3.0f, 0, 2);
    EXPECT_EQ(ramp.value, 3.0f);
}

}  // namespace
