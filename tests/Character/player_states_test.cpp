// The shared state handlers and skill sub-states, stepped frame by frame.
#include <gtest/gtest.h>

#include "player_fixture.h"
#include "support/character_probe.h"

namespace playertest {
namespace {

class PlayerStatesTest : public PlayerFixture {};

TEST(SharedSubStates, RowsAndMotionsMapBothWays)
{
    const std::uint32_t motions[10] = {22, 24, 25, 27, 28, 30, 31, 33, 34, 36};
    for (std::uint32_t i = 0; i < 10; ++i) {
        const std::uint32_t row = 5 + 2 * i;
        const TPlayerCharacter::SharedSubState* byRow = TCharacterProbe::SharedSubStateByRow(row);
        ASSERT_NE(byRow, nullptr) << row;
        EXPECT_EQ(byRow->Motion, motions[i]);
        EXPECT_EQ(TPlayerCharacter::FindSharedSubStateByMotion(motions[i]), byRow);
    }
    for (std::uint32_t other : {4u, 6u, 24u, 25u}) {
        EXPECT_EQ(TCharacterProbe::SharedSubStateByRow(other), nullptr) << other;
    }
    for (std::uint32_t other : {21u, 23u, 35u, 37u}) {
        EXPECT_EQ(TPlayerCharacter::FindSharedSubStateByMotion(other), nullptr) << other;
    }
}

// Steps the handler until the motion of kFrames frames has ended.
void StepToEnd(TestHero& hero)
{
    for (std::uint32_t i = 0; i < kFrames; ++i) {
        hero.RunStateHandler();
    }
}

TEST_F(PlayerStatesTest, ComboWindowTakesTheReservedActionOrItsFallBack)
{
    struct Refusing : TestHero {
        using TestHero::TestHero;
        bool IsChainBlocked(std::uint32_t action) override { return action == 40; }
    };
    struct Case {
        std::uint32_t row;
        std::uint32_t action;
        std::uint32_t argument;
        std::uint32_t next;
    };
    const Case cases[] = {
        {5, 2, 0, 6},   {5, 2, 5, 6},   {5, 2, 7, 6},   {5, 2, 40, 6},  {5, 2, 41, 41}, {5, 1, 0, 33},
        {5, 0, 0, 6},   {7, 2, 9, 9},   {7, 0, 0, 8},   {9, 2, 11, 10}, {11, 0, 0, 12}, {13, 2, 15, 14},
        {15, 0, 0, 16}, {17, 2, 19, 18}, {19, 2, 17, 20}, {19, 2, 50, 50},
        // Command five's rows go on to their own recovery whatever is reserved.
        {21, 0, 0, 22}, {21, 2, 41, 22}, {23, 1, 0, 24},
    };
    for (const Case& c : cases) {
        Refusing hero(links_, 0, *data_->GetCharacterData(0), "hero01");
        hero.SetSubState(c.row);
        ASSERT_EQ(hero.GetBodyMesh()->GetMorphIndex(), TCharacterProbe::SharedSubStateByRow(c.row)->Motion);
        hero.SetReservedAction(c.action, c.argument);
        for (std::uint32_t i = 0; i + 1 < kFrames; ++i) {
            hero.RunStateHandler();
        }
        EXPECT_EQ(TCharacterProbe::SubState(hero), c.row) << "still playing";
        hero.RunStateHandler();
        EXPECT_EQ(TCharacterProbe::SubState(hero), c.next) << c.row << " " << c.action << " " << c.argument;
        EXPECT_EQ(hero.GetState(), 19u);
    }
}

TEST_F(PlayerStatesTest, TheSecondWindowsOfEachPairStartTheAttackBuff)
{
    for (std::uint32_t row : {7u, 9u, 11u, 13u}) {
        std::unique_ptr<TestHero> hero = MakeHero();
        hero->SetSubState(row);
        StepToEnd(*hero);
        EXPECT_EQ(TCharacterProbe::AttackBuff1(*hero).Remaining, row == 9 || row == 11 ? 120 : 0) << row;
    }
}

TEST_F(PlayerStatesTest, EscapeNeedsTwentyMpAndTheEscapeSkill)
{
    data_->GetCharacterData(0)->SkillSlot[2] = 5;
    data_->SetGaugeCarry(2);
    for (std::int32_t mp : {19, 20}) {
        std::unique_ptr<TestHero> hero = MakeHero();
        hero->SetMp(mp);
        hero->SetState(7);
        Buttons(32);
        hero->RunStateHandler();
        if (mp == 20) {
            EXPECT_EQ(hero->GetMp(), 0);
            EXPECT_EQ(hero->GetState(), 19u);
            EXPECT_EQ(TCharacterProbe::SubState(*hero), 21u);
        } else {
            EXPECT_EQ(hero->GetMp(), 19);
            EXPECT_EQ(hero->GetState(), 7u);
        }
    }
    // Not without the button, nor late in the motion.
    std::unique_ptr<TestHero> hero = MakeHero();
    hero->SetMp(50);
    hero->SetState(9);
    Buttons(0);
    hero->RunStateHandler();
    EXPECT_EQ(hero->GetState(), 9u);
    // The window stays open while the motion time is below 2.0.
    struct Late {
        float time;
        std::int32_t mp;
        std::int32_t mpAfter;
        std::uint32_t state;
    };
    for (const Late& c : {Late{1.75F, 47, 27, 19}, Late{2.0F, 50, 50, 9}}) {
        std::unique_ptr<TestHero> late = MakeHero();
        late->SetMp(c.mp);
        late->SetState(9);
        late->GetBodyMesh()->SetMorphTime(c.time);
        Buttons(32);
        late->RunStateHandler();
        EXPECT_EQ(late->GetMp(), c.mpAfter) << c.time;
        EXPECT_EQ(late->GetState(), c.state) << c.time;
    }
}

TEST_F(PlayerStatesTest, LyingAtNoHpCallsTheDefeatOnce)
{
    std::unique_ptr<TestHero> hero = MakeHero(1);
    hero->SetHp(0);
    hero->SetState(11);
    for (int i = 0; i < 5; ++i) {
        hero->RunStateHandler();
    }
    EXPECT_EQ(hero->GetHp(), -5);
    EXPECT_EQ(Played(1), (std::vector<std::uint32_t>{1100}));
    EXPECT_EQ(hero->GetFlashTime(), TArmedCharacter::kUnlimitedFlash);
}

TEST_F(PlayerStatesTest, LyingWithHpGetsUpBlinking)
{
    std::unique_ptr<TestHero> hero = MakeHero();
    hero->SetState(12);
    StepToEnd(*hero);
    EXPECT_EQ(hero->GetState(), 0u);
    EXPECT_EQ(hero->GetFlashTime(), 60);
}

TEST_F(PlayerStatesTest, LongStunCountsStepsShortStunCountsLoops)
{
    std::unique_ptr<TestHero> hero = MakeHero();
    hero->SetState(16);
    hero->SetLongStun(1);
    hero->SetStunTime(400);
    for (int i = 0; i < 399; ++i) {
        hero->RunStateHandler();
    }
    EXPECT_EQ(hero->GetState(), 16u);
    hero->RunStateHandler();
    EXPECT_EQ(hero->GetState(), 0u);

    std::unique_ptr<TestHero> shortStun = MakeHero();
    shortStun->SetState(16);
    shortStun->SetStunTime(4);
    for (std::uint32_t i = 0; i < 4 * kFrames - 1; ++i) {
        shortStun->RunStateHandler();
    }
    EXPECT_EQ(shortStun->GetState(), 16u);
    shortStun->RunStateHandler();
    EXPECT_EQ(shortStun->GetState(), 0u);
}

TEST_F(PlayerStatesTest, ItemWithNothingPositiveStillSoundsAndIsUsedUp)
{
    TItemMeanTable::Get(301);  // all zero
    data_->AddItem(301, 1);
    std::unique_ptr<TestHero> hero = MakeHero();
    hero->SetHp(40);
    hero->UseRingItem(301);
    ASSERT_EQ(hero->GetState(), 18u);
    hero->GetBodyMesh()->SetMorphTime(4.5F);
    hero->RunStateHandler();
    EXPECT_NE(data_->FindItem(301), nullptr) << "not before 4.5 has passed";
    hero->RunStateHandler();
    EXPECT_EQ(data_->FindItem(301), nullptr);
    EXPECT_EQ(TCharacterProbe::RingItem(*hero), 0u);
    EXPECT_EQ(Played(0), (std::vector<std::uint32_t>{503}));
    EXPECT_EQ(hero->GetHp(), 40);
    EXPECT_FALSE(data_->GetTimedFlags(0)->IsActive());
}

TEST_F(PlayerStatesTest, ItemHealsCuresAndFillsTheGauge)
{
    TItemMeanRecord& mean = TItemMeanTable::Get(302);
    mean.HpRecover = 25;
    mean.Cost = 40;
    mean.CureSlow = 1;
    mean.Bonus[1] = 3;
    mean.Duration = 100;
    data_->AddItem(302, 2);
    std::unique_ptr<TestHero> hero = MakeHero();
    hero->SetHp(10);
    hero->GetSlowness().Remaining = 300;
    hero->GetPoison().Remaining = 300;
    hero->SetGaugeUsed(hero->GetGaugeMax() - 50);
    hero->UseRingItem(302);
    ASSERT_EQ(hero->GetState(), 18u);
    hero->SetGaugeUsed(hero->GetGaugeMax() - 30);
    hero->GetBodyMesh()->SetMorphTime(4.6F);
    hero->RunStateHandler();
    EXPECT_EQ(hero->GetHp(), 35);
    EXPECT_EQ(hero->GetSlowness().Remaining, 0);
    EXPECT_EQ(hero->GetPoison().Remaining, 300);
    EXPECT_EQ(hero->GetGaugeUsed(), hero->GetGaugeMax()) << "capped at the maximum";
    EXPECT_EQ(data_->FindItem(302)->Count, 1);
    EXPECT_TRUE(data_->GetTimedFlags(0)->IsActive());
    EXPECT_EQ(hero->GetState(), 18u);
    for (int i = 0; i < 4; ++i) {
        hero->RunStateHandler();
    }
    EXPECT_EQ(hero->GetState(), 0u);
    EXPECT_EQ(Played(0), (std::vector<std::uint32_t>{503}));
}

TEST_F(PlayerStatesTest, WalkStartsTurnsAndStops)
{
    std::unique_ptr<TestHero> hero = MakeHero();
    Buttons(1);
    hero->RunStateHandler();
    EXPECT_EQ(hero->GetState(), 1u);
    for (std::uint32_t i = 0; i < kFrames; ++i) {
        hero->RunStateHandler();
    }
    EXPECT_EQ(hero->GetState(), 2u);
    EXPECT_EQ(TCharacterProbe::MoveLevel(*hero), 2u);
    Buttons(0);
    hero->RunStateHandler();
    EXPECT_EQ(hero->GetState(), 0u);
}

TEST_F(PlayerStatesTest, KnockBackMovesAlongTheOwnAxisUntilTheLastFrame)
{
    std::unique_ptr<TestHero> front = MakeHero();
    front->SetState(7);
    front->GetBodyMesh()->SetMorphTime(1.0F);
    front->TakeDamage(0);
    // knock time 0 moves nothing
    front->RunStateHandler();
    EXPECT_FLOAT_EQ(front->Position().z, 0.0F);

    struct Knocked : TestHero {
        using TestHero::TestHero;
        void Knock(float t) { m_knockTime = t; }
    };
    for (std::uint32_t state : {7u, 10u}) {
        Knocked hero(links_, 0, *data_->GetCharacterData(0), "hero01");
        hero.SetState(state);
        hero.Knock(2.0F);
        hero.GetBodyMesh()->SetMorphTime(1.0F);
        hero.RunStateHandler();
        // (last frame 3 - time 1) / 2 x scale 1, backward for the front states.
        EXPECT_FLOAT_EQ(hero.Position().z, state == 7 ? 1.0F : -1.0F);
    }
}

// Launched and falling, the hero drifts backward by 0.8 / knock time a step; a knock time of 0 throws
// him straight up instead of to infinity.
TEST_F(PlayerStatesTest, LaunchedHeroesDriftByTheKnockTimeAndAKnockTimeOfZeroNotAtAll)
{
    struct Knocked : TestHero {
        using TestHero::TestHero;
        void Knock(float t) { m_knockTime = t; }
        void Rise(float v) { m_velocity.y = v; }
    };
    for (std::uint32_t state : {13u, 14u}) {
        for (float knockTime : {0.0F, 2.0F}) {
            Knocked hero(links_, 0, *data_->GetCharacterData(0), "hero01");
            hero.SetState(state);
            hero.Knock(knockTime);
            hero.Rise(0.05F);
            hero.SetOnGround(0);
            hero.RunStateHandler();
            EXPECT_FLOAT_EQ(hero.Position().z, knockTime == 0.0F ? 0.0F : 0.4F) << state << " " << knockTime;
            EXPECT_EQ(hero.GetState(), state);
        }
    }
}

}  // namespace
}  // namespace playertest
