// The timed stat bonus seen from the player: only the record of the character played is counted
// down, and the bonus enters the stat after the passive factor, truncated.
#include <gtest/gtest.h>

#include "combat_fixture.h"
#include "support/gamedata_probe.h"

namespace {

class TimedBonusTest : public combattest::CombatFixture {};

TRefPtr<TItemMean> Effect(std::int32_t duration, std::int32_t str)
{
    TRefPtr<TItemMean> e(new TItemMean());
    e->Duration = duration;
    e->Bonus[0] = str;
    return e;
}

TEST_F(TimedBonusTest, OnlyThePlayedCharactersRecordCountsDown)
{
    std::unique_ptr<playertest::TestHero> hero = MakeHero(0);
    data_->GetTimedFlags(0)->Set(Effect(2, 4));
    data_->GetTimedFlags(1)->Set(Effect(2, 6));
    for (int update = 1; update <= 3; ++update) {
        Buttons(0);
        hero->Update();
        EXPECT_EQ(hero->HasStatBoost(), update < 3) << update;
    }
    EXPECT_EQ(TGameDataProbe::Effect(*data_->GetTimedFlags(0))->Duration, -1);
    EXPECT_TRUE(data_->GetTimedFlags(1)->IsActive());
    EXPECT_EQ(TGameDataProbe::Effect(*data_->GetTimedFlags(1))->Duration, 2) << "kept until that member plays";
    // Its own player counts it down.
    std::unique_ptr<playertest::TestHero> other = MakeHero(1);
    other->Update();
    EXPECT_EQ(TGameDataProbe::Effect(*data_->GetTimedFlags(1))->Duration, 1);
}

// The town's step leaves the bonus as it is (it runs no frame update), while the ailments beside it
// count down; the field's step takes over where the town left it.
TEST_F(TimedBonusTest, TownStepsHoldTheBonusAndTheFieldsCountItDown)
{
    std::unique_ptr<playertest::TestHero> hero = MakeHero(0);
    data_->GetTimedFlags(0)->Set(Effect(2, 4));
    hero->GetPoison().Remaining = 5;
    for (int update = 1; update <= 3; ++update) {
        Buttons(0);
        hero->UpdateInTown();
        EXPECT_TRUE(hero->HasStatBoost()) << update;
        EXPECT_EQ(TGameDataProbe::Effect(*data_->GetTimedFlags(0))->Duration, 2) << update;
    }
    EXPECT_LT(hero->GetPoison().Remaining, 5);
    hero->Update();
    EXPECT_EQ(TGameDataProbe::Effect(*data_->GetTimedFlags(0))->Duration, 1);
    hero->Update();
    EXPECT_TRUE(hero->HasStatBoost());
    hero->Update();
    EXPECT_FALSE(hero->HasStatBoost());
}

TEST_F(TimedBonusTest, TheBonusEntersTheStatAfterTheFactorTruncated)
{
    // Passive sub-kind 11 at place p raises the STR factor to 0.02 (p + 1). The stat is
    // trunc((1 + factor) x base + bonus), the status screen's bonus trunc(factor x base + bonus).
    const struct {
        std::int32_t base;
        std::int32_t place;  // -1: no passive
        std::int32_t bonus;
        std::int32_t str;
        std::int32_t shown;
    } cases[] = {
        {10, -1, 5, 15, 5},    // 10 + 0 + 5
        {10, 5, 5, 16, 6},     // 11.2 + 5 = 16.2; 1.2 + 5 = 6.2
        {100, 5, 5, 117, 17},  // 112 + 5; 12 + 5
        {25, 1, 5, 31, 6},     // 26 + 5; 1 + 5
        {10, 5, -3, 8, -1},    // 11.2 - 3 = 8.2; 1.2 - 3 = -1.8
        {10, 0, 0, 10, 0},     // 10.2; 0.2
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.base << " " << c.place << " " << c.bonus);
        data_->GetCharacterData(0)->Stat[0] = c.base;
        data_->GetCharacterData(0)->SkillSlot[0] = 0;
        data_->UpdateSkillBonuses(0);
        if (c.place >= 0) {
            SlotPassive(0, 11, 1100 + static_cast<std::uint32_t>(c.place));
        }
        data_->GetTimedFlags(0)->Set(Effect(100, c.bonus));
        std::unique_ptr<combattest::CombatHero> hero = MakeCombatHero(0);
        EXPECT_EQ(hero->GetStr(), c.str);
        EXPECT_EQ(hero->GetStrBonus(), c.shown);
    }
}

}  // namespace
