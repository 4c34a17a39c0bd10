// The player's pattern events on top of the armed character's: trails on the weapon frames in the
// element's colour, beams with their hits, scatter and thrown shots, bursts, heals and blessings.
#include <gtest/gtest.h>

#include "MainCode/Character/TOffsetMotion.h"
#include "MainCode/Map/TAttackHitTimedHeld.h"
#include "support/character_probe.h"
#include "support/golden.h"
#include "skill_fixture.h"
#include "support/map_probe.h"
#include "support/shot_probe.h"

namespace skilltest {
namespace {

using P = TPlayerCharacter;

class SkillEvents : public SkillFixture {
protected:
    void Fire(SkillHero& hero, std::uint16_t code)
    {
        TPatternEvent e;
        e.EventCode = code;
        hero.OnPatternEvent(e);
    }
    // What the armed character alone makes of the code, from the same draws.
    std::vector<std::uint32_t> BaseOnly(SkillHero& hero, std::uint16_t code)
    {
        TPatternEvent e;
        e.EventCode = code;
        init_genrand(5489);
        created_.clear();
        hero.TArmedCharacter::OnPatternEvent(e);
        std::vector<std::uint32_t> ids = CreatedIds();
        init_genrand(5489);
        created_.clear();
        return ids;
    }
    static std::vector<float> Colour(const TEffectCreateCall& c) { return {c.colour, c.colour + 4}; }
    static std::vector<float> Scale(const TEffectCreateCall& c) { return {c.scale, c.scale + 3}; }
    static TShot* Shot(const TEffectCreateCall& c) { return dynamic_cast<TShot*>(c.result); }
};

TEST_F(SkillEvents, TheBaseRunsFirstAndTheWeaponGlowComesOnTop)
{
    auto hero = MakeSkillHero(6, 1.0F);
    const std::vector<std::uint32_t> base5 = BaseOnly(*hero, 5);
    Fire(*hero, 5);
    EXPECT_EQ(CreatedIds(), base5);
    for (const std::uint16_t code : {10, 11}) {
        const std::vector<std::uint32_t> base = BaseOnly(*hero, code);
        Fire(*hero, code);
        std::vector<std::uint32_t> expected = base;
        expected.push_back(111);
        ASSERT_EQ(CreatedIds(), expected) << code;
        const TEffectCreateCall& glow = created_.back();
        EXPECT_EQ(glow.parent, hero->GetRightWeaponFrame());
        EXPECT_EQ(Colour(glow), (std::vector<float>{0.25F, 0.0F, 0.5F, 1.0F}));
        const float k = code == 10 ? 1.5F : 2.25F;
        EXPECT_EQ(Scale(glow), (std::vector<float>{k, k, k}));
    }
}

TEST_F(SkillEvents, TrailsTakeTheElementsIdsAndTheLifeOfTheLastDigit)
{
    auto hero = MakeSkillHero(6, 1.0F);
    Fire(*hero, 5203);
    ASSERT_EQ(CreatedIds(), (std::vector<std::uint32_t>{306, 316, 326, 306, 316, 326}));
    for (std::size_t i = 0; i < 6; ++i) {
        TShot* trail = Shot(created_[i]);
        ASSERT_NE(trail, nullptr);
        EXPECT_EQ(trail->GetFlightFrames(), 7);
        auto* motion = dynamic_cast<TOffsetMotion*>(TShotProbe::Motion(*trail));
        ASSERT_NE(motion, nullptr);
        EXPECT_EQ(TCharacterProbe::TargetFrame(*motion),
                  i < 3 ? hero->GetLeftWeaponFrame() : hero->GetRightWeaponFrame());
    }
    EXPECT_FLOAT_EQ(TCharacterProbe::Offset(*dynamic_cast<TOffsetMotion*>(TShotProbe::Motion(*Shot(created_[0])))).z,
                    -1.0F);

    // Both ends of the life table, and the digits past it.
    created_.clear();
    Fire(*hero, 5000);
    Fire(*hero, 5106);
    ASSERT_EQ(created_.size(), 6U);
    EXPECT_EQ(Shot(created_[0])->GetFlightFrames(), 10);
    EXPECT_EQ(Shot(created_[3])->GetFlightFrames(), 15);
    created_.clear();
    for (const std::uint16_t code : {4999, 5007, 5099, 5207, 6999, 7007, 7207}) {
        Fire(*hero, code);
    }
    EXPECT_TRUE(created_.empty());
    EXPECT_EQ(P::GetTrailLife(0), 10);
    EXPECT_EQ(P::GetTrailLife(6), 15);
    EXPECT_EQ(P::GetTrailLife(7), 0);

    // The fixed trail never follows the element.
    Fire(*hero, 7206);
    EXPECT_EQ(CreatedIds(), (std::vector<std::uint32_t>{328, 329, 330, 328, 329, 330}));
    EXPECT_EQ(Shot(created_[0])->GetFlightFrames(), 15);
}

TEST_F(SkillEvents, ElementColoursCoverZeroToSixAndAStrayElementReadsAsZero)
{
    EXPECT_EQ(std::vector<float>(P::GetElementColour(0), P::GetElementColour(0) + 4),
              (std::vector<float>{0.3F, 0.5F, 0.5F, 1.0F}));
    EXPECT_EQ(std::vector<float>(P::GetElementColour(6), P::GetElementColour(6) + 4),
              (std::vector<float>{0.25F, 0.0F, 0.5F, 1.0F}));
    EXPECT_EQ(P::GetElementColour(7), P::GetElementColour(0));

    auto hero = MakeSkillHero(9, 1.0F);
    Fire(*hero, 5000);
    EXPECT_EQ(CreatedIds(), (std::vector<std::uint32_t>{300, 310, 320}));
}

TEST_F(SkillEvents, BeamsCarryTheirLifeHitsAndElement)
{
    auto hero = MakeSkillHero(2, 1.0F);
    const std::size_t hitsBefore = TCharacterProbe::Hits(*hero).size();
    Fire(*hero, 5500);
    ASSERT_EQ(CreatedIds(), (std::vector<std::uint32_t>{550, 108}));
    TShot* heavy = Shot(created_[0]);
    ASSERT_NE(heavy, nullptr);
    EXPECT_EQ(heavy->GetFlightFrames(), 200);
    EXPECT_EQ(TShotProbe::HitElement(*heavy), 0);
    EXPECT_EQ(Scale(created_[1]), (std::vector<float>{1.5F, 1.5F, 1.5F}));
    EXPECT_EQ(created_[1].parent, heavy->GetPart(0).GetFrame());
    EXPECT_EQ(Colour(created_[1]), (std::vector<float>{0.3F, 0.3F, 1.0F, 1.0F}));
    ASSERT_EQ(TCharacterProbe::Hits(*hero).size(), hitsBefore + 1);
    auto* hit = dynamic_cast<TAttackHitTimedHeld*>(TCharacterProbe::Hits(*hero).back().Get());
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(TMapProbe::HitsLeft(*hit), 10000U);
    EXPECT_EQ(TMapProbe::Lifetime(*hit), static_cast<std::uint32_t>(200 + heavy->GetPartCount() - 1));
    EXPECT_EQ(TMapProbe::Interval(*hit), -1);
    EXPECT_EQ(hit->GetFlags(), 401U);
    EXPECT_EQ(hit->GetElement(), 2U);
    EXPECT_EQ(hit->GetBaseDamage(), static_cast<std::uint32_t>(2 * hero->GetInt()));
    EXPECT_FLOAT_EQ(TMapProbe::Radius(*hit), 0.8F);
    EXPECT_FLOAT_EQ(hit->GetKnockTime(), 20.0F);
    EXPECT_EQ(TMapProbe::Frame(*hit)->GetParent(), heavy->GetPart(0).GetFrame());

    created_.clear();
    Fire(*hero, 5503);
    ASSERT_EQ(CreatedIds(), (std::vector<std::uint32_t>{550, 110}));
    TShot* light = Shot(created_[0]);
    EXPECT_EQ(light->GetFlightFrames(), 100);
    EXPECT_EQ(TShotProbe::HitElement(*light), 4002);
    EXPECT_EQ(Scale(created_[1]), (std::vector<float>{1.0F, 1.0F, 1.0F}));
    hit = dynamic_cast<TAttackHitTimedHeld*>(TCharacterProbe::Hits(*hero).back().Get());
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(TMapProbe::HitsLeft(*hit), 1U);
    EXPECT_EQ(TMapProbe::Interval(*hit), 10);
    EXPECT_EQ(hit->GetFlags(), 385U);
    EXPECT_FLOAT_EQ(hit->GetDamageFactor(), 0.2F);
    EXPECT_EQ(Sounds(), (std::vector<std::uint32_t>{509, 509}));
}

TEST_F(SkillEvents, ScatterAndThrownShotsNeedAWeapon)
{
    auto hero = MakeSkillHero(3, 1.0F);
    Fire(*hero, 8500);
    EXPECT_EQ(CreatedIds(), (std::vector<std::uint32_t>{512, 809, 512, 809, 512, 809}));
    EXPECT_EQ(Colour(created_[0]), (std::vector<float>{0.0F, 0.5F, 0.25F, 1.0F}));
    created_.clear();
    Fire(*hero, 9000);
    EXPECT_EQ(CreatedIds(), (std::vector<std::uint32_t>{456, 56}));
    EXPECT_EQ(Shot(created_[0])->GetFlightFrames(), 110);

    hero->DropWeapons();
    created_.clear();
    sounds_.clear();
    Fire(*hero, 8500);
    Fire(*hero, 9000);
    EXPECT_TRUE(created_.empty());
    EXPECT_TRUE(Sounds().empty());
}

TEST_F(SkillEvents, TheBigHealsAreAlikeAndClearEveryStatus)
{
    std::vector<std::string> logs;
    for (const std::uint16_t code : {10046, 11043, 10043}) {
        auto hero = MakeSkillHero();
        hero->SetHp(1);
        hero->GetPoison().Remaining = 50;
        hero->GetManaSeal().Remaining = 50;
        init_genrand(5489);
        Fire(*hero, code);
        EXPECT_EQ(hero->GetPoison().Remaining, 0);
        EXPECT_EQ(hero->GetManaSeal().Remaining, 0);
        EXPECT_EQ(hero->GetHp(), std::min(1 + (code == 10043 ? 250 : 500), hero->GetMaxHp())) << code;
        ASSERT_EQ(CreatedIds(), (std::vector<std::uint32_t>{907, 103, 113, 5}));
        EXPECT_EQ(created_[1].scale[0], code == 10043 ? 1.5F : 2.0F);
        EXPECT_EQ(Sounds().back(), 503U);
        logs.push_back(DumpCreated());
    }
    EXPECT_EQ(logs[0], logs[1]);
}

TEST_F(SkillEvents, EffectsTheManagerCannotMakeAreSkipped)
{
    RecordEffectsOnly();
    auto hero = MakeSkillHero(6, 1.0F);
    for (const std::uint16_t code : {10, 5203, 5500, 5503, 7206, 8004, 8500, 9000, 9500, 10046, 11045}) {
        Fire(*hero, code);
    }
    for (std::uint32_t id = 100; id <= 159; ++id) {
        hero->SetMotionTime(0.0F);
        hero->SetCounters(0, 0, 0);
        hero->SetMp(1000);
        RunToEnd(*hero, hero->GetPatternFunc(id, 1));
    }
    EXPECT_GT(created_.size(), 100U);
    for (const TEffectCreateCall& c : created_) {
        EXPECT_EQ(c.result, nullptr);
    }
}

TEST_F(SkillEvents, EveryCodeMakesItsEffectsInOrder)
{
    const std::uint16_t codes[] = {10,   11,   5000, 5006, 5100, 5203, 5500, 5501, 5502, 5503,  7000,  7105,
                                   7206, 8000, 8001, 8002, 8003, 8004, 8100, 8101, 8500, 9000, 9500, 10043,
                                   10045, 10046, 11043, 11045};
    std::string log;
    for (const std::uint16_t code : codes) {
        auto hero = MakeSkillHero(4, 1.2F);
        init_genrand(5489);
        Fire(*hero, code);
        log += "[" + std::to_string(code) + "]\n" + DumpCreated();
    }
    EXPECT_TRUE(qmtest::MatchesGoldenText(log, "PlayerPatternEventEffects.txt"));
}

}  // namespace
}  // namespace skilltest
