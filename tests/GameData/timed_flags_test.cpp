// The timed stat bonus record on its own: bonuses that are all zero, a second set of the same
// effect, and a reset beside another holder of the same effect.
#include <gtest/gtest.h>

#include "MainCode/GameData/TTimedFlags.h"
#include "support/gamedata_probe.h"

namespace {

TRefPtr<TItemMean> Effect(std::int32_t duration, std::int32_t str, std::int32_t vit, std::int32_t intel,
                          std::int32_t men)
{
    TRefPtr<TItemMean> e(new TItemMean());
    e->Duration = duration;
    e->Bonus[0] = str;
    e->Bonus[1] = vit;
    e->Bonus[2] = intel;
    e->Bonus[3] = men;
    return e;
}

TEST(TimedFlags, ActiveOnlyWithANonZeroBonusWhileTheTimeRuns)
{
    const struct {
        std::int32_t bonus[4];
        bool active;
    } cases[] = {{{0, 0, 0, 0}, false}, {{1, 0, 0, 0}, true}, {{0, 0, 0, -1}, true}, {{0, 2, 0, 0}, true}};
    for (const auto& c : cases) {
        TTimedFlags flags;
        EXPECT_FALSE(flags.IsActive());
        flags.Set(Effect(3, c.bonus[0], c.bonus[1], c.bonus[2], c.bonus[3]));
        for (int tick = 0; tick <= 3; ++tick) {
            EXPECT_EQ(flags.IsActive(), c.active) << c.bonus[0] << c.bonus[1] << c.bonus[3] << " tick " << tick;
            flags.Tick();
        }
        EXPECT_FALSE(flags.IsActive());
        EXPECT_EQ(TGameDataProbe::Effect(flags)->Duration, -1) << "the effect stays held";
    }
}

TEST(TimedFlags, SettingTheHeldEffectAgainCopiesItsBonusesAfreshAndSharesNothingNew)
{
    TTimedFlags flags;
    const TRefPtr<TItemMean> effect = Effect(10, 4, 0, 0, 0);
    flags.Set(effect);
    const std::uint32_t uses = effect.UseCount();
    EXPECT_EQ(uses, 2u);
    effect->Bonus[0] = 9;
    effect->Bonus[3] = 2;
    flags.Set(TGameDataProbe::Effect(flags));
    EXPECT_EQ(effect.UseCount(), uses);
    EXPECT_EQ(flags.GetBonus(0), 9);
    EXPECT_EQ(flags.GetBonus(3), 2);
    flags.Set(effect);
    EXPECT_EQ(effect.UseCount(), uses);
    // Another effect takes its place; the first is given back.
    flags.Set(Effect(5, 0, 1, 0, 0));
    EXPECT_EQ(effect.UseCount(), 1u);
    EXPECT_EQ(flags.GetBonus(0), 0);
    EXPECT_EQ(flags.GetBonus(1), 1);
}

TEST(TimedFlags, AResetLeavesAnotherHolderOfTheSameEffectIntact)
{
    const TRefPtr<TItemMean> effect = Effect(10, 3, 0, 0, 0);
    TTimedFlags first;
    TTimedFlags second;
    first.Set(effect);
    second.Set(effect);
    first.Reset();
    EXPECT_FALSE(first.IsActive());
    EXPECT_EQ(first.GetBonus(0), 0);
    EXPECT_TRUE(second.IsActive());
    EXPECT_EQ(second.GetBonus(0), 3);
    second.Tick();
    EXPECT_EQ(TGameDataProbe::Effect(second)->Duration, 9);
    EXPECT_EQ(effect.UseCount(), 2u);
}

}  // namespace
