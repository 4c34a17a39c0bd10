#include <gtest/gtest.h>

#include <vector>

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
        {1.5f, -4.0f, -1, 2, -4.0f}, {6.0f, 9.0f, -3, 1, 9.0f},  // nor is one of fewer steps
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

namespace {

enum class Move { Advance, Retreat, RunToEnd, RunToStart };

struct RampCase {
    float from, to;
    std::int32_t steps, step;
    Move move;
    std::int32_t wantStep;
    float wantValue;
    bool wantMoved;  // Advance and Retreat only
};

// Both kinds of ramp follow the same table; the integer one truncates toward zero.
template <typename Ramp, typename Value>
void RunRampCases(const RampCase (&cases)[15], Value (*cast)(float))
{
    for (const RampCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " to " << c.to << ", " << c.step << "/" << c.steps << " move "
                                        << static_cast<int>(c.move));
        Ramp ramp;
        ramp.Set(cast(c.from), cast(c.to), c.steps, c.step);
        bool moved = false;
        switch (c.move) {
        case Move::Advance: moved = ramp.Advance(); break;
        case Move::Retreat: moved = ramp.Retreat(); break;
        case Move::RunToEnd: ramp.RunToEnd(); break;
        case Move::RunToStart: ramp.RunToStart(); break;
        }
        EXPECT_EQ(ramp.step, c.wantStep);
        EXPECT_EQ(ramp.value, cast(c.wantValue));
        if (c.move == Move::Advance || c.move == Move::Retreat) {
            EXPECT_EQ(moved, c.wantMoved);
        }
    }
}

std::int32_t ToInt(float v) { return static_cast<std::int32_t>(v); }
float ToFloat(float v) { return v; }

}  // namespace

TEST(Ramps, AdvanceRetreatAndRunToTheEndsOfIntegerAndFloatRamps)
{
    const RampCase ints[15] = {
        {5, 5, 10, 4, Move::Advance, 5, 5, true},  // from = to keeps its value both ways
        {5, 5, 10, 4, Move::Retreat, 3, 5, true},
        {10, 20, 10, 0, Move::Retreat, 0, 10, false},  // retreat at the start stays put
        {10, 20, 10, 1, Move::Retreat, 0, 10, true},
        {10, 20, 10, 10, Move::Advance, 10, 20, false},  // advance at the end stays put
        {10, 20, 10, 9, Move::Advance, 10, 20, true},
        {640, 408, 10, 2, Move::Advance, 3, 571, true},  // -69.6 truncates toward zero
        {640, 408, 10, 4, Move::Retreat, 3, 571, true},
        {-194, 16, 10, 5, Move::Advance, 6, -68, true},
        {640, 408, 10, 2, Move::RunToEnd, 10, 408, false},
        {640, 408, 10, 7, Move::RunToStart, 0, 640, false},
        {7, 9, 0, 0, Move::Advance, 0, 9, false},  // no steps: never divides, stands at to
        {7, 9, 0, 0, Move::Retreat, 0, 7, false},  // Set at step 0 gave from
        {7, 9, -1, 3, Move::Retreat, 2, 9, true},
        {7, 9, -1, 0, Move::RunToEnd, -1, 9, false},
    };
    RunRampCases<TIntRamp, std::int32_t>(ints, ToInt);

    const RampCase floats[15] = {
        {0.25f, 0.25f, 10, 4, Move::Advance, 5, 0.25f, true},
        {0.25f, 0.25f, 10, 4, Move::Retreat, 3, 0.25f, true},
        {1.0f, 0.7f, 10, 0, Move::Retreat, 0, 1.0f, false},
        {1.0f, 0.0f, 4, 1, Move::Retreat, 0, 1.0f, true},
        {0.0f, 0.5f, 10, 10, Move::Advance, 10, 0.5f, false},
        {0.0f, 0.5f, 4, 3, Move::Advance, 4, 0.5f, true},
        {0.0f, 1.0f, 4, 2, Move::Advance, 3, 0.75f, true},
        {0.0f, 1.0f, 4, 3, Move::Retreat, 2, 0.5f, true},
        {-2.0f, 2.0f, 8, 1, Move::Advance, 2, -1.0f, true},
        {0.0f, 0.4f, 10, 3, Move::RunToEnd, 10, 0.4f, false},
        {0.0f, 0.4f, 10, 3, Move::RunToStart, 0, 0.0f, false},
        {3.0f, 6.0f, 0, 0, Move::Advance, 0, 6.0f, false},
        {3.0f, 6.0f, 0, 0, Move::Retreat, 0, 3.0f, false},
        {3.0f, 6.0f, -1, 2, Move::Retreat, 1, 6.0f, true},
        {3.0f, 6.0f, -1, 0, Move::RunToEnd, -1, 6.0f, false},
    };
    RunRampCases<TLinearRamp, float>(floats, ToFloat);
}

TEST(TRepeatIntRamp, TheCursorBobSwingsBetweenMinusThreeAndThreeForEver)
{
    TRepeatIntRamp bob;
    bob.Start(-3, 3, 10, TRepeatIntRamp::kEndless, true);
    // The start, one way up and back down, then up again.
    const std::int32_t want[] = {-3, -3, -2, -2, -1, 0, 0, 1, 1, 2, 3,  //
                                 3,  2,  2,  1,  0,  0, -1, -1, -2, -3,  //
                                 -3, -2, -2};
    std::vector<std::int32_t> got{bob.Value()};
    for (std::size_t i = 1; i < std::size(want); ++i) {
        bob.Step();
        got.push_back(bob.Value());
    }
    EXPECT_EQ(got, std::vector<std::int32_t>(std::begin(want), std::end(want)));
    for (int i = 0; i < 2000; ++i) {
        bob.Step();
    }
    EXPECT_EQ(bob.Value(), -2);  // whole swings of 20 steps later
    EXPECT_EQ(bob.done, 0);

    TRepeatIntRamp counted;
    counted.Start(0, 2, 2, 2, false);
    std::vector<std::int32_t> runs;
    for (int i = 0; i < 6; ++i) {
        counted.Step();
        runs.push_back(counted.Value());
    }
    EXPECT_EQ(runs, (std::vector<std::int32_t>{1, 2, 1, 2, 2, 2}));
    EXPECT_EQ(counted.done, 2);
}
