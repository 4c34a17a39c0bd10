#include <gtest/gtest.h>

#include "TCommon/TLinearRamp.h"

TEST(TLinearRamp, SetPlacesTheValueAtItsStepInDoublePrecision)
{
    // Half way from 0.1 to 0.3: float arithmetic rounds to a different float than double does.
    const float inFloat = 0.1f + (0.3f - 0.1f) * 1.0f / 2.0f;
    const auto inDouble = static_cast<float>(static_cast<double>(0.1f) + (static_cast<double>(0.3f) - 0.1f) / 2.0);
    ASSERT_NE(inFloat, inDouble);
    const struct {
        float from, to;
        std::int32_t steps, step;
        float want;
    } cases[] = {
        {2.0f, 10.0f, 4, 1, 4.0f}, {1.0f, -1.0f, 8, 8, -1.0f}, {0.0f, 1.0f, 3, 1, 1.0f / 3.0f},
        {0.5f, 3.0f, 0, 2, 3.0f},  // a ramp without steps is already at its end
        {0.5f, 3.0f, 0, 0, 0.5f},  // step 0 is the start, steps or not
        {0.1f, 0.3f, 2, 1, inDouble},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " to " << c.to << ", " << c.step << "/" << c.steps);
        TLinearRamp linear;
        linear.Set(c.from, c.to, c.steps, c.step);
        EXPECT_EQ(linear.value, c.want);
        TFloatRamp stepped;
        stepped.Set(c.from, c.to, c.steps, c.step);
        EXPECT_EQ(stepped.value, c.want);
    }
}

TEST(TIntRamp, TruncatesTowardZeroAndStopsAtItsEnd)
{
    TIntRamp ramp;
    const std::int32_t set[][5] = {{500, 344, 10, 3, 454},  // 500 - 46.8: truncated, not floored
                                   {7, 1, 3, 1, 5}, {0, 7, 3, 2, 4}, {-170, 80, 10, 0, -170}};
    for (const auto& s : set) {
        ramp.Set(s[0], s[1], s[2], s[3]);
        EXPECT_EQ(ramp.value, s[4]) << s[0] << " to " << s[1];
    }
    const int expected[10] = {-145, -120, -95, -70, -45, -20, 5, 30, 55, 80};
    for (int i = 0; i < 10; ++i) {
        EXPECT_TRUE(ramp.Step()) << i;
        EXPECT_EQ(ramp.value, expected[i]) << i;
    }
    EXPECT_FALSE(ramp.Step());
    EXPECT_EQ(ramp.step, 10);
    EXPECT_EQ(ramp.value, 80);
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
    ramp.Set(5.0f, 6.0f, 0, 0);
    EXPECT_FALSE(ramp.Step());
    EXPECT_EQ(ramp.value, 6.0f);
}

TEST(TRepeatRamp, PingPongReversesEveryCycleForEverAndCountedRunsStopAtTo)
{
    TRepeatRamp bob;
    bob.Start(-3.0f, 3.0f, 10, TRepeatRamp::kEndless, true);
    EXPECT_EQ(bob.Value(), -3.0f);
    // At the top, the turn's first step back at once, the bottom, and the next turn.
    const std::pair<int, float> path[] = {{10, 3.0f}, {1, 2.4f}, {9, -3.0f}, {1, -2.4f}};
    for (const auto& [steps, want] : path) {
        for (int i = 0; i < steps; ++i) {
            bob.Step();
        }
        EXPECT_FLOAT_EQ(bob.Value(), want);
    }
    for (int i = 0; i < 10000; ++i) {
        bob.Step();
    }
    EXPECT_EQ(bob.done, 0u);  // endless counts nothing
    EXPECT_GE(bob.Value(), -3.0f);
    EXPECT_LE(bob.Value(), 3.0f);

    TRepeatRamp ramp;
    ramp.Start(0.0f, 1.0f, 2, 2, false);
    for (float want : {0.5f, 1.0f, 0.0f, 0.5f, 1.0f, 1.0f, 1.0f, 1.0f}) {
        ramp.Step();
        EXPECT_FLOAT_EQ(ramp.Value(), want);
    }
    EXPECT_EQ(ramp.done, 2u);

    ramp.Start(4.0f, 8.0f, 1, 1, true);
    ramp.Step();
    ramp.Step();  // no way back: one cycle only
    EXPECT_EQ(ramp.Value(), 8.0f);
    EXPECT_EQ(ramp.done, 1u);
}
