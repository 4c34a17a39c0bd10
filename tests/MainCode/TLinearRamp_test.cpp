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
    ramp.Set(0.5f, 3.0f, 0, 0);  // step 0 is the start, steps or not
    EXPECT_EQ(ramp.value, 0.5f);
}

TEST(TLinearRamp, SetWorksInDoublePrecision)
{
    // Half way from 0.1 to 0.3: float arithmetic rounds to a different float than double does.
    const float from = 0.1f;
    const float to = 0.3f;
    const float inFloat = from + (to - from) * 1.0f / 2.0f;
    const auto inDouble = static_cast<float>(static_cast<double>(from) + (static_cast<double>(to) - from) / 2.0);
    ASSERT_NE(inFloat, inDouble);
    TLinearRamp ramp;
    ramp.Set(from, to, 2, 1);
    EXPECT_EQ(ramp.value, inDouble);
    TFloatRamp same;
    same.Set(from, to, 2, 1);
    EXPECT_EQ(same.value, inDouble);
}

TEST(TIntRamp, TruncatesTowardZeroAndStopsAtItsEnd)
{
    TIntRamp ramp;
    ramp.Set(500, 344, 10, 3);
    EXPECT_EQ(ramp.value, 454);  // 500 - 46.8: truncated, not floored
    ramp.Set(-170, 80, 10, 0);
    EXPECT_EQ(ramp.value, -170);
    const int expected[10] = {-145, -120, -95, -70, -45, -20, 5, 30, 55, 80};
    for (int i = 0; i < 10; ++i) {
        EXPECT_TRUE(ramp.Step()) << i;
        EXPECT_EQ(ramp.value, expected[i]) << i;
    }
    EXPECT_FALSE(ramp.Step());
    EXPECT_EQ(ramp.step, 10);
    EXPECT_EQ(ramp.value, 80);
    ramp.Set(7, 1, 3, 1);  // 7 - 6 / 3
    EXPECT_EQ(ramp.value, 5);
    ramp.Set(0, 7, 3, 2);
    EXPECT_EQ(ramp.value, 4);
}

TEST(TFloatRamp, StepAnswersFalseAtTheEndWithTheValueAtTo)
{
    TFloatRamp ramp;
    ramp.Set(1.0f, 2.0f, 4, 0);
    for (int i = 1; i <= 4; ++i) {
        EXPECT_TRUE(ramp.Step()) << i;
        EXPECT_FLOAT_EQ(ramp.value, 1.0f + 0.25f * static_cast<float>(i));
    }
    ramp.value = 0.0f;  // whatever it holds, the end puts it at to
    EXPECT_FALSE(ramp.Step());
    EXPECT_EQ(ramp.value, 2.0f);
    EXPECT_EQ(ramp.step, 4);
    TFloatRamp none;
    none.Set(5.0f, 6.0f, 0, 0);
    EXPECT_FALSE(none.Step());
    EXPECT_EQ(none.value, 6.0f);
}

TEST(TRepeatRamp, PingPongReversesEveryCycleForEver)
{
    TRepeatRamp bob;
    bob.Start(-3.0f, 3.0f, 10, TRepeatRamp::kEndless, true);
    EXPECT_EQ(bob.Value(), -3.0f);
    for (int i = 0; i < 10; ++i) {
        bob.Step();
    }
    EXPECT_FLOAT_EQ(bob.Value(), 3.0f);
    bob.Step();  // the turn takes the first step back at once
    EXPECT_FLOAT_EQ(bob.Value(), 2.4f);
    for (int i = 0; i < 9; ++i) {
        bob.Step();
    }
    EXPECT_FLOAT_EQ(bob.Value(), -3.0f);
    bob.Step();
    EXPECT_FLOAT_EQ(bob.Value(), -2.4f);
    for (int cycle = 0; cycle < 1000; ++cycle) {
        for (int i = 0; i < 10; ++i) {
            bob.Step();
        }
    }
    EXPECT_EQ(bob.done, 0u);  // endless counts nothing
    EXPECT_GE(bob.Value(), -3.0f);
    EXPECT_LE(bob.Value(), 3.0f);
}

TEST(TRepeatRamp, CountedRunsStopAtToWithDoneAtCount)
{
    TRepeatRamp ramp;
    ramp.Start(0.0f, 1.0f, 2, 2, false);
    const float expected[] = {0.5f, 1.0f, 0.0f, 0.5f, 1.0f, 1.0f, 1.0f};
    for (float want : expected) {
        ramp.Step();
        EXPECT_FLOAT_EQ(ramp.Value(), want);
    }
    EXPECT_EQ(ramp.done, 2u);
    ramp.Step();
    EXPECT_EQ(ramp.done, 2u);

    TRepeatRamp once;
    once.Start(4.0f, 8.0f, 1, 1, true);
    once.Step();
    once.Step();  // no way back: one cycle only
    EXPECT_EQ(once.Value(), 8.0f);
    EXPECT_EQ(once.done, 1u);
}
