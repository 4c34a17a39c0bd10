// The bow heroine's arrows: what each event fires and in which order, the turn of each arrow in the
// right-weapon frame's own axes, the power with the attack-up timers, the hit the arrow carries,
// the trailing glitter, and shots the effect manager cannot make.
#include <gtest/gtest.h>

#include <cmath>

#include "MainCode/Character/TAccelMotion.h"
#include "MainCode/Character/THeldRandomOffsetMotion.h"
#include "MainCode/Character/THeroine08.h"
#include "MainCode/Map/TAttackHitTimedHeld.h"
#include "MainCode/Shot/TShot.h"
#include "combat_fixture.h"
#include "support/character_probe.h"
#include "support/map_probe.h"
#include "support/shot_probe.h"

namespace combattest {
namespace {

using Angles = std::vector<float>;

// The turn of an arrow read back in the weapon frame's axes.
struct ArrowTurn {
    float yaw;
    float pitch;
};

class HeroineArrows : public CombatFixture {
protected:
    void SetUp() override
    {
        CombatFixture::SetUp();
        WriteHeroModel("heroine08");
        TWeponRecord& bow = TWeponTable::Get(1011);
        bow.Attack = 7;
        bow.Element = 3;
    }

    // The heroine with the bow, in the area, turned and tilted so that no weapon axis is a world axis.
    std::unique_ptr<THeroine08> Make()
    {
        TCharacterRecord* record = data_->GetCharacterData(1);
        record->WeaponId = 1011;
        auto hero = std::make_unique<THeroine08>(links_, 1, *record);
        hero->AttachToField(area_.get());
        area_->RegisterObject(hero.get());
        hero->GetFrame()->RotateAxis(D3DXVECTOR3(0.0F, 1.0F, 0.0F), 0.7F, true);
        hero->GetFrame()->RotateAxis(D3DXVECTOR3(1.0F, 0.0F, 0.0F), 0.3F, true);
        hero->SetPosition(D3DXVECTOR3(2.0F, 1.0F, -3.0F));
        created_.clear();
        return hero;
    }

    static void Fire(THeroine08& hero, std::uint16_t code)
    {
        TPatternEvent e;
        e.EventCode = code;
        hero.OnPatternEvent(e);
    }

    std::vector<TShot*> Arrows() const
    {
        std::vector<TShot*> shots;
        for (const TEffectCreateCall& c : created_) {
            if (c.id == 1100) {
                shots.push_back(dynamic_cast<TShot*>(c.result));
            }
        }
        return shots;
    }

    static const TAccelMotion& Motion(const TShot* shot)
    {
        const auto* m = dynamic_cast<const TAccelMotion*>(TShotProbe::Motion(*shot));
        EXPECT_NE(m, nullptr);
        return *m;
    }

    static ArrowTurn TurnOf(const THeroine08& hero, const TShot* shot)
    {
        D3DXVECTOR3 x;
        D3DXVECTOR3 y;
        D3DXVECTOR3 z;
        TFrame* right = hero.GetRightWeaponFrame();
        right->GetWorldAxis(&x, 1);
        right->GetWorldAxis(&y, 2);
        right->GetWorldAxis(&z, 3);
        const D3DXVECTOR3& d = TCharacterProbe::Direction(Motion(shot));
        const float toDegrees = 180.0F / 3.14159265F;
        return {std::atan2(D3DXVec3Dot(&d, &x), D3DXVec3Dot(&d, &z)) * toDegrees,
                std::atan2(-D3DXVec3Dot(&d, &y), D3DXVec3Dot(&d, &z)) * toDegrees};
    }

    // The yaws (or pitches) of the arrows made, checking the other turn is none.
    Angles TurnsOf(const THeroine08& hero, bool yaw) const
    {
        Angles out;
        for (const TShot* shot : Arrows()) {
            const ArrowTurn t = TurnOf(hero, shot);
            EXPECT_NEAR(yaw ? t.pitch : t.yaw, 0.0F, 0.01F);
            out.push_back(std::round((yaw ? t.yaw : t.pitch) * 100.0F) / 100.0F);
        }
        return out;
    }

    // The hit of the heroine's list that rides on the arrow's head.
    static TAttackHitTimedHeld* HitOf(const THeroine08& hero, const TShot* shot)
    {
        for (const TRefPtr<TAttackHit>& hit : TCharacterProbe::Hits(hero)) {
            if (TMapProbe::Parent(*hit) == shot->GetModelFrame()) {
                return dynamic_cast<TAttackHitTimedHeld*>(hit.Get());
            }
        }
        return nullptr;
    }
};

TEST_F(HeroineArrows, EachEventFiresItsArrowsTurnedInTheirOrderAboutTheWeaponsOwnAxes)
{
    struct Case {
        std::uint16_t code;
        float speed;
        std::int32_t life;
        float first;
        float second;
        std::uint32_t flags;
        std::int32_t tag;
        bool yaw;  // the fan turns about the weapon's up axis, else about its side axis
        Angles angles;
    };
    const Angles one = {0.0F};
    const Angles three = {0.0F, 30.0F, -30.0F};
    const Angles five = {0.0F, 15.0F, -15.0F, 30.0F, -30.0F};
    const Case cases[] = {
        {6100, 0.15F, 40, 0.7F, 0.7F, 0x81, -1, false, one},   {6101, 0.25F, 30, 0.8F, 0.7F, 0x81, -1, false, one},
        {6102, 0.25F, 30, 0.8F, 0.7F, 0x81, -1, false, one},   {6103, 0.15F, 40, 0.4F, 0.7F, 0x81, -1, false, one},
        {6104, 0.15F, 40, 0.25F, 0.7F, 0x81, -1, false, one},  {6105, 0.15F, 40, 0.4F, 1.0F, 0xA1, -1, false, three},
        {6106, 0.15F, 40, 0.4F, 1.0F, 0xA1, -1, false, five},  {6107, 0.15F, 40, 0.4F, 1.0F, 0xA1, -1, true, three},
        {6108, 0.15F, 40, 0.4F, 1.0F, 0xA1, -1, true, five},   {6109, 0.15F, 40, 1.5F, 1.0F, 0x289, 0, false, one},
        {6110, 0.15F, 40, 1.5F, 1.0F, 0x289, 1, false, one},
    };
    auto hero = Make();
    D3DXVECTOR3 from;
    hero->GetRightWeaponFrame()->GetWorldPosition(&from);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        created_.clear();
        const std::size_t hitsBefore = TCharacterProbe::Hits(*hero).size();
        Fire(*hero, c.code);
        EXPECT_EQ(TurnsOf(*hero, c.yaw), c.angles);
        EXPECT_EQ(TCharacterProbe::Hits(*hero).size(), hitsBefore + c.angles.size());
        for (const TShot* shot : Arrows()) {
            ASSERT_NE(shot, nullptr);
            const TAccelMotion& m = Motion(shot);
            EXPECT_NEAR(D3DXVec3Length(&TCharacterProbe::Direction(m)), 1.0F, 1e-5F);
            EXPECT_NEAR(TCharacterProbe::Position(m).x, from.x, 1e-5F);
            EXPECT_NEAR(TCharacterProbe::Position(m).y, from.y, 1e-5F);
            EXPECT_NEAR(TCharacterProbe::Position(m).z, from.z, 1e-5F);
            EXPECT_FLOAT_EQ(TCharacterProbe::Acceleration(m), 0.0F);
            EXPECT_FLOAT_EQ(TCharacterProbe::Speed(m), c.speed);
            EXPECT_EQ(shot->GetFlightFrames(), c.life);
            const TAttackHitTimedHeld* hit = HitOf(*hero, shot);
            ASSERT_NE(hit, nullptr);
            EXPECT_EQ(TMapProbe::HitsLeft(*hit), static_cast<std::uint32_t>(c.life));
            EXPECT_EQ(TMapProbe::Lifetime(*hit), static_cast<std::uint32_t>(c.life) + shot->GetPartCount() - 1);
            EXPECT_EQ(hit->GetFlags(), c.flags);
            EXPECT_FLOAT_EQ(hit->GetDamageFactor(), c.first);
            EXPECT_FLOAT_EQ(hit->GetValueA(), c.second);
            EXPECT_FLOAT_EQ(hit->GetKnockTime(), c.second * 120.0F);
            EXPECT_EQ(hit->GetParam8(), c.tag);
        }
        for (const TEffectCreateCall& call : created_) {
            EXPECT_EQ(call.id, 1100u) << "only tag 100000 draws a trail";
        }
    }

    // Codes beside the arrows' do what the player's own handling does, nothing more.
    for (const std::uint16_t code : {5999, 6002, 6099, 6111, 6499, 6501}) {
        created_.clear();
        hero->TPlayerCharacter::OnPatternEvent([code] {
            TPatternEvent e;
            e.EventCode = code;
            return e;
        }());
        const std::vector<std::uint32_t> base = CreatedIds();
        const std::size_t hits = TCharacterProbe::Hits(*hero).size();
        created_.clear();
        Fire(*hero, code);
        EXPECT_EQ(CreatedIds(), base) << code;
        EXPECT_EQ(TCharacterProbe::Hits(*hero).size(), hits) << code;
    }
}

TEST_F(HeroineArrows, TheHitTakesItsArgumentsInOrderAndTheArrowItsMesh)
{
    auto hero = Make();
    Fire(*hero, 6109);
    ASSERT_EQ(Arrows().size(), 1u);
    TShot* shot = Arrows()[0];
    const TAttackHitTimedHeld* hit = HitOf(*hero, shot);
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(hit->GetOwnerId(), hero->GetObjectId());
    EXPECT_EQ(TMapProbe::Parent(*hit), shot->GetModelFrame());
    D3DXVECTOR3 at;
    TMapProbe::Frame(*hit)->GetPosition(&at);
    EXPECT_EQ(at, D3DXVECTOR3(0.0F, 0.0F, 0.0F));
    EXPECT_EQ(TMapProbe::Interval(*hit), 5);
    EXPECT_EQ(hit->GetElement(), 3u) << "word 2 of the bow";
    EXPECT_EQ(hit->GetParam3(), 0u);
    EXPECT_EQ(hit->GetSoundType(), 11) << "word 1 of the bow";
    EXPECT_EQ(TMapProbe::CancelMask(*hit), 0u);
    EXPECT_EQ(hit->GetBaseDamage(), static_cast<std::uint32_t>(hero->GetStr() + 7));
    EXPECT_FLOAT_EQ(TMapProbe::Radius(*hit), 0.5F);
    EXPECT_FLOAT_EQ(hit->GetLaunchSpeed(), 0.0F);

    const TEffectCreateCall& call = created_[0];
    EXPECT_EQ(call.parent, hero->GetReferenceFrame());
    EXPECT_EQ(call.area, area_.get());
    EXPECT_EQ(call.position, D3DXVECTOR3(0.0F, 0.0F, 0.0F));
    EXPECT_EQ(call.direction, D3DXVECTOR3(0.0F, 1.0F, 0.0F));
    EXPECT_EQ(std::vector<float>(call.colour, call.colour + 4), (std::vector<float>{1, 1, 1, 1}));
    EXPECT_EQ(std::vector<float>(call.scale, call.scale + 3), (std::vector<float>{1, 1, 1}));

    TFrame* head = shot->GetModelFrame();
    ASSERT_GE(head->GetMeshCount(), 1u);
    EXPECT_NE(head->FindMesh(TCharacterProbe::ArrowMesh(*hero).GetName(), false), nullptr);
    D3DXVECTOR3 z;
    head->GetWorldAxis(&z, 3);
    EXPECT_NEAR(D3DXVec3Dot(&z, &TCharacterProbe::Direction(Motion(shot))), 1.0F, 1e-4F)
        << "the head looks along its flight";
}

TEST_F(HeroineArrows, PowerTakesTheFirstRunningAttackUpTimer)
{
    struct Case {
        std::int32_t first;
        std::int32_t second;
        double factor;
    };
    // The second timer's factor shows only while the first is off; the bounds of "running".
    for (const Case c : {Case{0, 0, 1.0}, Case{1, 0, 1.1}, Case{0, 1, 1.2}, Case{5, 5, 1.1}, Case{-1, 0, 1.0}}) {
        data_->GetCharacterData(1)->Stat[0] = 15;
        auto hero = Make();
        ASSERT_EQ(hero->GetStr(), 15) << "a STR whose raised values have fractions to drop";
        TCharacterProbe::AttackBuff1(*hero).Remaining = c.first;
        TCharacterProbe::AttackBuff2(*hero).Remaining = c.second;
        Fire(*hero, 6100);
        ASSERT_EQ(Arrows().size(), 1u);
        const auto expected = static_cast<std::uint32_t>(static_cast<std::int32_t>(hero->GetStr() * c.factor) + 7);
        EXPECT_EQ(HitOf(*hero, Arrows()[0])->GetBaseDamage(), expected) << c.first << " " << c.second;
    }
}

TEST_F(HeroineArrows, TwinArrowsDrawTheirOwnPitchAndEachDrawsATrail)
{
    auto hero = Make();
    init_genrand(5489);
    Fire(*hero, 6500);
    ASSERT_EQ(CreatedIds(), (std::vector<std::uint32_t>{1100, 56, 1100, 56}));
    // Recorded from the generator seeded with 5489.
    EXPECT_EQ(TurnsOf(*hero, false), (Angles{2.0F, 12.0F}));
    for (std::size_t i = 0; i < 2; ++i) {
        const TShot* arrow = dynamic_cast<TShot*>(created_[2 * i].result);
        const TShot* trail = dynamic_cast<TShot*>(created_[2 * i + 1].result);
        ASSERT_NE(trail, nullptr);
        EXPECT_FLOAT_EQ(TCharacterProbe::Speed(Motion(arrow)), 0.2F);
        EXPECT_EQ(arrow->GetFlightFrames(), 50);
        EXPECT_EQ(HitOf(*hero, arrow)->GetParam8(), -1) << "the trail's tag is not the hit's";
        EXPECT_EQ(HitOf(*hero, arrow)->GetFlags(), 0x81u);
        EXPECT_EQ(trail->GetFlightFrames(), 50);
        EXPECT_EQ(created_[2 * i + 1].parent, hero->GetReferenceFrame());
        const auto* follow = dynamic_cast<const THeldRandomOffsetMotion*>(TShotProbe::Motion(*trail));
        ASSERT_NE(follow, nullptr);
        EXPECT_EQ(TCharacterProbe::Held(*follow).Get(), arrow->GetModelFrame());
    }
}

TEST_F(HeroineArrows, TwinPitchesReachBothEndsOfTheirRange)
{
    // A seed whose first two draws are 0 and 59 modulo 60.
    std::uint32_t seed = 1;
    for (;; ++seed) {
        std::mt19937 g(seed);
        if (g() % 60 == 0 && g() % 60 == 59) {
            break;
        }
    }
    auto hero = Make();
    init_genrand(seed);
    Fire(*hero, 6500);
    EXPECT_EQ(TurnsOf(*hero, false), (Angles{-30.0F, 29.0F})) << seed;
}

TEST_F(HeroineArrows, ShotsTheManagerCannotMakeLeaveNothingBehind)
{
    auto hero = Make();
    effects_->AddPrototype(56, TRefPtr<TEffect>());
    Fire(*hero, 6500);
    EXPECT_EQ(CreatedIds(), (std::vector<std::uint32_t>{1100, 56, 1100, 56}));
    EXPECT_EQ(Arrows().size(), 2u);
    EXPECT_EQ(TCharacterProbe::Hits(*hero).size(), 2u) << "the arrows fly without their trails";

    RecordEffectsOnly();
    created_.clear();
    for (const std::uint16_t code : {6106, 6500}) {
        Fire(*hero, code);
    }
    EXPECT_EQ(CreatedIds(), (std::vector<std::uint32_t>(7, 1100))) << "no trail for an arrow not made";
    EXPECT_EQ(TCharacterProbe::Hits(*hero).size(), 2u) << "no hit without its arrow";
}

TEST_F(HeroineArrows, TheRightWeaponCastsTheBowsLights)
{
    auto hero = Make();
    D3DXVECTOR3 at;
    hero->GetRightWeaponFrame()->GetWorldPosition(&at);
    Fire(*hero, 6000);
    Fire(*hero, 6001);
    ASSERT_EQ(CreatedIds(), (std::vector<std::uint32_t>{1000, 1001}));
    for (const TEffectCreateCall& c : created_) {
        EXPECT_EQ(c.parent, hero->GetRightWeaponFrame());
        EXPECT_EQ(c.position, at);
        EXPECT_EQ(c.direction, D3DXVECTOR3(0.0F, 1.0F, 0.0F));
        EXPECT_EQ(c.area, area_.get());
    }
    EXPECT_TRUE(TCharacterProbe::Hits(*hero).empty());
}

}  // namespace
}  // namespace combattest
