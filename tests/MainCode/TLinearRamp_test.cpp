#include <gtest/gtest.h>

#include "MainCode/Map/TLinearRamp.h"

TEST(TLinearRamp, SetPlacesTheValueAtItsStep)
{
    TLinearRamp ramp;
    ramp.Set(2.0f, 10.0f, 4, 1);
    EXPECT_EQ(ramp.value, 4.0f);
    ramp.Set(1.0f, -1.0f, 8, 8);
    EXPECT_EQ(ramp.value, -1.0f);
    ramp.Set(0.0f, 1.0f, 3, 1);
    EXPECT_FLOAT_EQ(ramp.value, 1.0f / 3.0f);
    ramp.Set(0.5f, 3.0f, 0, 2);  // a ramp without steps is already at its end
    EXPECT_EQ(ramp.value, 3.0f);
}
