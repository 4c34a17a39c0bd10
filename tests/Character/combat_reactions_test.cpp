// The player's five reactions by reaction mode, and the hit effects each one raises.
#include <gtest/gtest.h>

#include "combat_fixture.h"
#include "support/character_probe.h"

namespace combattest {
namespace {

using Mode = TArmedCharacter::ReactionMode;

class CombatReactionTest : public CombatFixture {};

TEST_F(CombatReactionTest, LightHitsThatKillKnockDownAndOthersStagger)
{
    std::unique_ptr<CombatHero> hero = MakeCombatHero();
    hero->SetHp(5);
    hero->ReactLight(0, -1, 0, 10, 1, 0.3F, 7.0F, 10);
    EXPECT_EQ(hero->GetHp(), 0);
    EXPECT_EQ(hero->GetReactionMode(), Mode::kModeDown);
    EXPECT_EQ(hero->GetState(), 9u);
    EXPECT_FLOAT_EQ(TCharacterProbe::KnockTime(*hero), 120.0F);
    EXPECT_FLOAT_EQ(TCharacterProbe::ReactionScale(*hero), 1.0F);

    // The second light kind knocks down without knock time; from behind it is state 10.
    hero->SetMode(Mode::kModeNormal);
    hero->ReactLight2(0, -1, 0, 10, 0, 0.3F, 7.0F, 10);
    EXPECT_EQ(hero->GetReactionMode(), Mode::kModeDown);
    EXPECT_EQ(hero->GetState(), 10u);
    EXPECT_FLOAT_EQ(TCharacterProbe::KnockTime(*hero), 0.0F);

    // Alive: a stagger, front 7 and back 8, with the hit's own values; both knock bits at once stagger too.
    hero->SetHp(100);
    hero->SetMode(Mode::kModeNormal);
    hero->ReactLight(0, -1, 0, 10, 1, 0.3F, 7.0F, 10);
    EXPECT_EQ(hero->GetReactionMode(), Mode::kModeLightHit);
    EXPECT_EQ(hero->GetState(), 7u);
    EXPECT_FLOAT_EQ(TCharacterProbe::KnockTime(*hero), 7.0F);
    EXPECT_FLOAT_EQ(TCharacterProbe::ReactionScale(*hero), 0.3F);
    hero->ReactLight2(0, -1, 96, 10, 0, 0.3F, 7.0F, 10);
    EXPECT_EQ(hero->GetState(), 8u);
    hero->ReactLight(0, -1, 32, 1000, 1, 0.3F, 7.0F, 10);
    EXPECT_EQ(hero->GetReactionMode(), Mode::kModeDown);
    EXPECT_EQ(TCharacterProbe::StunTime(*hero), 4);
}

TEST_F(CombatReactionTest, InterruptionFollowsTheModeAndTheMagnitudeAtItsBounds)
{
    std::unique_ptr<CombatHero> hero = MakeCombatHero();
    struct Case {
        std::uint32_t mode;
        std::int32_t magnitude;
        bool interrupts;
    };
    // Below 11, exactly 100, or below the magnitude.
    const Case cases[] = {{10, 10, true},  {11, 10, false},    {11, 12, true},   {100, 10, true},
                          {101, 10, false}, {1000, 1000, false}, {1000, 1001, true}};
    for (const Case& c : cases) {
        hero->SetMode(c.mode);
        hero->SetStateDirect(0, 0);
        hero->ReactLight(0, -1, 0, c.magnitude, 1, 1.0F, 5.0F, 0);
        EXPECT_EQ(hero->GetState() == 7u, c.interrupts) << c.mode << " / " << c.magnitude;
    }

    // Not interrupted: down calls the downed hit, launched juggles, anything else nothing more.
    const int downed = hero->downedHits;
    hero->SetMode(Mode::kModeDown);
    hero->ReactLight(0, -1, 0, 10, 1, 1.0F, 5.0F, 0);
    EXPECT_EQ(hero->downedHits, downed + 1);
    hero->SetMode(Mode::kModeLaunched);
    hero->SetJuggleApplied(0);
    hero->ReactLight2(0, -1, 0, 10, 1, 1.0F, 5.0F, 0);
    EXPECT_EQ(hero->GetJuggleApplied(), 1);
    EXPECT_EQ(hero->GetReactionMode(), Mode::kModeLaunched);
}

TEST_F(CombatReactionTest, StunsStunOnceThenKnockDownAndAKillingStunIsALightHit)
{
    std::unique_ptr<CombatHero> hero = MakeCombatHero();
    hero->ReactStun(0, -1, 0, 100, 1, 1, 0.5F, 9.0F, 10);
    EXPECT_EQ(hero->GetReactionMode(), Mode::kModeStunned);
    EXPECT_EQ(hero->GetState(), 16u);
    EXPECT_EQ(TCharacterProbe::StunTime(*hero), 400);
    EXPECT_EQ(TCharacterProbe::StunMark(*hero), 1);

    hero->ReactStun(0, -1, 0, 100, 0, 0, 0.5F, 9.0F, 10);
    EXPECT_EQ(hero->GetReactionMode(), Mode::kModeDown);
    EXPECT_EQ(hero->GetState(), 10u);
    EXPECT_FLOAT_EQ(TCharacterProbe::KnockTime(*hero), 120.0F);
    EXPECT_EQ(TCharacterProbe::StunTime(*hero), 4);

    // Down already: the downed hit; heavy: nothing.
    hero->ReactStun(0, -1, 0, 100, 0, 0, 0.5F, 9.0F, 10);
    EXPECT_EQ(hero->downedHits, 1);
    hero->SetMode(Mode::kModeHeavy);
    hero->SetStateDirect(3, 0);
    hero->ReactStun(0, -1, 0, 100, 0, 0, 0.5F, 9.0F, 10);
    EXPECT_EQ(hero->GetState(), 3u);

    // A stun that kills: the light reaction, which shows its own effect and takes the damage again.
    std::unique_ptr<CombatHero> dying = MakeCombatHero();
    dying->SetHp(10);
    const std::int32_t before = dying->GetDamageTaken();
    dying->ReactStun(2, -1, 0, 100, 1, 1, 0.5F, 9.0F, 10);
    EXPECT_EQ(dying->GetReactionMode(), Mode::kModeDown);
    EXPECT_EQ(dying->GetState(), 9u);
    EXPECT_FLOAT_EQ(TCharacterProbe::KnockTime(*dying), 120.0F);
    EXPECT_EQ(TCharacterProbe::StunTime(*dying), 4);
    EXPECT_EQ(dying->GetDamageTaken() - before, 20);
    // Heavy effect (element, 100, two sparks, 101), then the light one with the hit's own knock
    // flags: no sparks.
    EXPECT_EQ(CreatedIds(), (std::vector<std::uint32_t>{22, 100, 104, 104, 101, 22, 100}));
}

TEST_F(CombatReactionTest, AStunTakesAStandingOrStaggeringHeroAndAnyOtherOnlyWhenStronger)
{
    // A staggering hero is stunned even by a stun no stronger than the stagger (an enemy is not);
    // in a higher mode the stun must be above it: a felled hero struck by a stun of the fall's own
    // level stays down.
    const struct {
        std::uint32_t mode;
        std::int32_t level;
        bool stunned;
    } cases[] = {
        {Mode::kModeNormal, 1, true},      {Mode::kModeLightHit, 100, true}, {Mode::kModeLightHit, 10, true},
        {Mode::kModeLightHit, 2, true},    {Mode::kModeDown, 1000, false},   {Mode::kModeDown, 1001, true},
        {Mode::kModeLaunched, 100, false}, {Mode::kModeLaunched, 100001, true},
    };
    for (const auto& c : cases) {
        std::unique_ptr<CombatHero> hero = MakeCombatHero();
        hero->SetMode(c.mode);
        hero->SetStateDirect(11, 0);
        hero->ReactStun(0, -1, 0, c.level, 0, 1, 0.5F, 9.0F, 10);
        EXPECT_EQ(hero->GetReactionMode(), c.stunned ? static_cast<std::uint32_t>(Mode::kModeStunned) : c.mode)
            << c.mode << " / " << c.level;
        EXPECT_EQ(hero->GetState(), c.stunned ? 16u : 11u) << c.mode << " / " << c.level;
        EXPECT_EQ(hero->downedHits, !c.stunned && c.mode == Mode::kModeDown ? 1 : 0) << c.mode << " / " << c.level;
    }
}

TEST_F(CombatReactionTest, HeavyHitsInterruptAllButLaunchedWhereTheyOnlyRescale)
{
    for (std::uint32_t mode : {1u, 10u, 100u, 1000u}) {
        std::unique_ptr<CombatHero> hero = MakeCombatHero();
        hero->SetMode(mode);
        hero->ReactHeavy(0, -1, 0, 1000000, 1, 0.7F, 50.0F, 0);
        EXPECT_EQ(hero->GetReactionMode(), Mode::kModeHeavy) << mode;
        EXPECT_EQ(hero->GetState(), 9u);
        EXPECT_FLOAT_EQ(TCharacterProbe::KnockTime(*hero), 50.0F);
        EXPECT_FLOAT_EQ(TCharacterProbe::ReactionScale(*hero), 0.7F);
    }
    std::unique_ptr<CombatHero> launched = MakeCombatHero();
    launched->SetMode(Mode::kModeLaunched);
    launched->SetStateDirect(13, 0);
    launched->ReactHeavy(0, -1, 0, 1000000, 1, 0.7F, 50.0F, 0);
    EXPECT_EQ(launched->GetReactionMode(), Mode::kModeLaunched);
    EXPECT_EQ(launched->GetState(), 13u);
    EXPECT_FLOAT_EQ(TCharacterProbe::KnockTime(*launched), 0.12F * 50.0F);

    // A heavy hit on a heavy hit: equal magnitude, no interruption, nothing more.
    launched->SetMode(Mode::kModeHeavy);
    launched->ReactHeavy(0, -1, 0, 1000000, 0, 0.7F, 10.0F, 0);
    EXPECT_EQ(launched->GetState(), 13u);
    EXPECT_EQ(launched->downedHits, 0);
}

TEST_F(CombatReactionTest, LaunchesLiftOnceThenOnlyJuggle)
{
    std::unique_ptr<CombatHero> hero = MakeCombatHero();
    hero->ReactLaunch(0, -1, 0, 100000, 0, 1.0F, 20.0F, 0.3F, 5);
    EXPECT_EQ(hero->GetReactionMode(), Mode::kModeLaunched);
    EXPECT_EQ(hero->GetState(), 13u);
    EXPECT_FLOAT_EQ(TCharacterProbe::Gravity(*hero), -0.002F);
    EXPECT_FLOAT_EQ(hero->GetVerticalSpeed(), 0.3F);
    EXPECT_FLOAT_EQ(TCharacterProbe::KnockTime(*hero), 20.0F);

    hero->SetJuggleApplied(0);
    hero->SetStateDirect(14, 0);
    hero->ReactLaunch(0, -1, 0, 100000, 0, 1.0F, 99.0F, 0.9F, 5);
    EXPECT_EQ(hero->GetState(), 14u);
    EXPECT_EQ(hero->GetJuggleApplied(), 1);
    EXPECT_FLOAT_EQ(TCharacterProbe::KnockTime(*hero), 20.0F);

    hero->SetMode(Mode::kModeHeavy);
    hero->SetJuggleApplied(0);
    hero->ReactLaunch(0, -1, 0, 100000, 0, 1.0F, 99.0F, 0.9F, 5);
    EXPECT_EQ(hero->GetJuggleApplied(), 0);
    EXPECT_EQ(hero->GetReactionMode(), Mode::kModeHeavy);
}

TEST_F(CombatReactionTest, HitEffectsTakeTheirSparkDirectionsFromTheSharedGenerator)
{
    RecordEffectsOnly();
    std::unique_ptr<CombatHero> hero = MakeCombatHero();
    D3DXVECTOR3 at;
    hero->GetPosition(&at);
    // A light hit without knock flags: element and blue flash only, no draw.
    hero->HitEffectLight(5, 0, 3, -1);
    ASSERT_EQ(CreatedIds(), (std::vector<std::uint32_t>{23, 100}));
    EXPECT_FLOAT_EQ(created_[1].position.y, at.y + hero->GetCenterHeight() * 1.2F);
    EXPECT_FLOAT_EQ(created_[1].scale[0], 2.5F);
    EXPECT_FLOAT_EQ(created_[1].colour[2], 0.9F);
    EXPECT_EQ(created_[1].parent, hero->GetReferenceFrame());

    created_.clear();
    hero->HitEffectHeavy2(5, 0, 0, -1);
    ASSERT_EQ(CreatedIds(), (std::vector<std::uint32_t>{20, 100, 104, 104, 101}));
    for (int spark = 2; spark <= 3; ++spark) {
        EXPECT_FLOAT_EQ(created_[spark].direction.x, static_cast<float>(Oracle()));
        EXPECT_FLOAT_EQ(created_[spark].direction.y, static_cast<float>(Oracle()));
        EXPECT_FLOAT_EQ(created_[spark].direction.z, static_cast<float>(Oracle()));
        EXPECT_FLOAT_EQ(created_[spark].scale[1], 1.5F);
    }
    D3DXVECTOR3 last;
    last.x = static_cast<float>(Oracle());
    last.y = static_cast<float>(Oracle());
    last.z = static_cast<float>(Oracle());
    D3DXVec3Normalize(&last, &last);
    EXPECT_NEAR(created_[4].direction.x, last.x, 1e-6);
    EXPECT_NEAR(created_[4].direction.z, last.z, 1e-6);
    EXPECT_FLOAT_EQ(created_[4].scale[2], 6.0F);

    // The launch effect always sparks; the generator goes on from where the heavy one left it.
    created_.clear();
    hero->HitEffectLaunch(5, 0, 0, -1);
    ASSERT_EQ(CreatedIds(), (std::vector<std::uint32_t>{20, 100, 104, 104}));
    EXPECT_FLOAT_EQ(created_[2].direction.x, static_cast<float>(Oracle()));
}

}  // namespace
}  // namespace combattest
