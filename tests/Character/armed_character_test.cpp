// The armed character: construction and copies, recovery, the damage rule with its accept flags,
// elements and second stun, hit reception and its sounds, damage tallies, flashing, the juggle
// push, hits made from attack records, and the attack passes of the collision world.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "MainCode/Map/TAttackHitHeld.h"
#include "MainCode/Map/TAttackHitTimed.h"
#include "MainCode/Map/TAttackHitTimedHeld.h"
#include "MainCode/Map/TAttackTable.h"
#include "MainCode/Map/TCollisionWorld.h"
#include "armed_fixture.h"
#include "formats/bht_writer.h"
#include "support/character_probe.h"
#include "support/dx_probe.h"
#include "support/map_probe.h"

namespace objtest {
namespace {

class ArmedCharacter : public ArmedFixture {
protected:
    void TearDown() override
    {
        TAttackTable::Clear();
        TAttackTable::SetDirectory("");
        ArmedFixture::TearDown();
    }

    // A hit of the attacker with these values, hanging nowhere.
    static std::unique_ptr<TAttackHit> Hit(std::uint32_t owner, std::uint32_t flags, std::uint32_t base,
                                           std::uint32_t element = 0, float factor = 1.0F)
    {
        TAttackHitParams p;
        p.Flags = flags;
        p.BaseDamage = base;
        p.Element = element;
        p.DamageFactor = factor;
        p.ValueA = 2.0F;
        p.KnockTime = 60.0F;
        p.LaunchSpeed = 0.1F;
        p.Param8 = 77;
        return std::make_unique<TAttackHitTimed>(owner, nullptr, nullptr, 5, p);
    }
    static THitParameters Compute(TestFighter& victim, const TAttackHit& hit)
    {
        THitParameters out;
        victim.ComputeHitParameters(&hit, out);
        return out;
    }
};

TEST_F(ArmedCharacter, ConstructionAndCopies)
{
    TestFighter a;
    ASSERT_EQ(a.GetFrame()->GetChildCount(), 2u);
    EXPECT_EQ(a.GetLeftWeaponFrame()->GetName(), "heroLWpn");
    EXPECT_EQ(a.GetRightWeaponFrame()->GetName(), "heroRWpn");
    EXPECT_EQ(a.GetLeftWeaponFrame()->GetParent(), a.GetFrame());
    EXPECT_FALSE(TDxProbe::MaterialInherit(*a.GetLeftWeaponFrame()));
    EXPECT_EQ(a.GetReactionMode(), 1u);
    EXPECT_EQ(TCharacterProbe::StunTime(a), 4);
    EXPECT_FLOAT_EQ(TCharacterProbe::FlashAlpha(a), 0.1F);
    EXPECT_FLOAT_EQ(TCharacterProbe::ReactionScale(a), 1.0F);

    // Weapons follow the weapon keys of the current motion.
    a.FrameUpdate();
    D3DXVECTOR3 p;
    a.GetLeftWeaponFrame()->GetPosition(&p);
    EXPECT_FLOAT_EQ(p.x, 0.5F);
    a.GetRightWeaponFrame()->GetPosition(&p);
    EXPECT_FLOAT_EQ(p.x, -0.5F);

    a.SetHp(42);
    TestFighter b(a);
    EXPECT_EQ(b.GetHp(), 42);
    EXPECT_EQ(b.GetStr(), 10);
    EXPECT_NE(b.GetLeftWeaponFrame(), a.GetLeftWeaponFrame());
    EXPECT_EQ(b.GetLeftWeaponFrame()->GetParent(), b.GetFrame());
    EXPECT_EQ(TCharacterProbe::PatternCount(TCharacterProbe::PatternInfo(b)), 1u);
}

TEST_F(ArmedCharacter, RecoveryCountsAtLeastOne)
{
    TestFighter f;
    f.SetHp(50);
    EXPECT_EQ(f.RecoverHp(0), 100);
    EXPECT_EQ(f.GetHp(), 51);
    // Up to the maximum, without a wrap.
    for (const auto& [amount, hp] : {std::pair{-5, 52}, {47, 99}, {1000, 100}, {0x7FFFFFFF, 100}}) {
        f.RecoverHp(amount);
        EXPECT_EQ(f.GetHp(), hp) << amount;
    }
    TCharacterProbe::ConsumeHp(f, 0);
    EXPECT_EQ(f.GetHp(), 99);
    TCharacterProbe::ConsumeHp(f, 150);
    EXPECT_EQ(f.GetHp(), -51);  // no floor
    f.SetMp(49);
    f.RecoverMp(-1);
    EXPECT_EQ(f.GetMp(), 50);
    f.RecoverMp(1);
    EXPECT_EQ(f.GetMp(), 50);
    f.ConsumeMp(-3);
    EXPECT_EQ(f.GetMp(), 49);
}

TEST_F(ArmedCharacter, DamageRuleDefenceFactorAndElements)
{
    TestFighter v;  // VIT 20, MEN 40
    EXPECT_EQ(Compute(v, *Hit(0, 1, 30)).Damage, 13);             // 10 + 3.0
    EXPECT_EQ(Compute(v, *Hit(0, 1, 30, 0, 1.5F)).Damage, 19);     // 19.5
    EXPECT_EQ(Compute(v, *Hit(0, 0x101, 100)).Damage, 70);         // magic: MEN
    EXPECT_EQ(Compute(v, *Hit(0, 0x101, 100)).Magic, 1);
    TestFighter hard(105);
    EXPECT_EQ(Compute(hard, *Hit(0, 1, 100)).Damage, 5);           // 10 - 5
    EXPECT_EQ(Compute(hard, *Hit(0, 1, 96)).Damage, 0);            // 9.6 - 9 -> 0.6
    EXPECT_EQ(Compute(hard, *Hit(0, 1, 10)).Damage, 0);            // negative -> 0
    EXPECT_EQ(Compute(v, *Hit(0, 1, 30, 0, -2.0F)).Damage, 0);  // -26

    // Base 100 against VIT 20: 90 before the element; rates 0.25 .. 1.5.
    const std::int32_t single[] = {90, 22, 45, 67, 90, 112, 135};
    for (std::uint32_t e = 0; e <= 6; ++e) {
        EXPECT_EQ(Compute(v, *Hit(0, 1, 100, e)).Damage, single[e]) << e;
    }
    const std::int32_t pairs[] = {45, 56, 67, 78, 56, 67, 78, 90, 90, 101, 101, 112};
    for (std::uint32_t e = 7; e <= 18; ++e) {
        EXPECT_EQ(Compute(v, *Hit(0, 1, 100, e)).Damage, pairs[e - 7]) << e;
    }
    EXPECT_EQ(Compute(v, *Hit(0, 1, 100, 19)).Damage, 90);
    EXPECT_EQ(Compute(v, *Hit(0, 1, 100, 0xFFFFFFFFu)).Damage, 90);
    EXPECT_EQ(Compute(v, *Hit(0, 1, 0xFFFFFFFFu)).Damage, 0x7FFFFFFF);  // held in range
}

TEST_F(ArmedCharacter, DamageRuleFlagsAcceptsAndSecondStun)
{
    TestFighter v;
    THitParameters p = Compute(v, *Hit(0, 0x2A1, 10));  // knock-down, turn, long stun, kind 1
    EXPECT_EQ(p.Flags, 1u);
    EXPECT_EQ(p.KnockFlags, 0x20u);
    EXPECT_EQ(p.TurnToHit, 1);
    EXPECT_EQ(p.LongStun, 1);
    EXPECT_EQ(Compute(v, *Hit(0, 0x03, 10)).Flags, 3u);    // no 4, 8, 16: kept
    EXPECT_EQ(Compute(v, *Hit(0, 0x07, 10)).Flags, 4u);    // 4, 8, 16 win over 1 and 2
    EXPECT_EQ(Compute(v, *Hit(0, 0x1F, 10)).Flags, 0x1Cu);
    EXPECT_EQ(Compute(v, *Hit(0, 0x41, 10)).KnockFlags, 0x40u);

    // Not accepted: the bits go, missing values are filled in.
    TestFighter stiff(20, 40, 0);
    TAttackHitParams prm;
    prm.Flags = 0x3D;  // 1, 4, 8, 16, 32
    prm.KnockTime = 0.0F;
    prm.LaunchSpeed = 0.0F;
    TAttackHitTimed none(0, nullptr, nullptr, 5, prm);
    p = Compute(stiff, none);
    EXPECT_EQ(p.Flags, 1u);
    EXPECT_EQ(p.KnockFlags, 0u);
    EXPECT_FLOAT_EQ(p.KnockTime, 120.0F);
    EXPECT_FLOAT_EQ(p.LaunchSpeed, 0.05F);
    p = Compute(v, none);  // accepted: nothing filled in
    EXPECT_EQ(p.Flags, 0x1Cu);
    EXPECT_FLOAT_EQ(p.KnockTime, 0.0F);
    EXPECT_FLOAT_EQ(p.LaunchSpeed, 0.0F);

    // A second stun knocks down, also from a long-stun bit alone.
    v.SetStunMark(1);
    p = Compute(v, *Hit(0, 0x09, 10));
    EXPECT_EQ(p.Flags, 1u);
    EXPECT_EQ(p.KnockFlags, 0x40u);
    EXPECT_EQ(Compute(v, *Hit(0, 0x201, 10)).KnockFlags, 0x40u);
    EXPECT_EQ(Compute(v, *Hit(0, 0x01, 10)).KnockFlags, 0u);
}

TEST_F(ArmedCharacter, HitKindMagnitudes)
{
    EXPECT_EQ(HitKindMagnitude(0x1F), 1000000);
    EXPECT_EQ(HitKindMagnitude(0x0C), 100000);
    EXPECT_EQ(HitKindMagnitude(0x68), 100);
    EXPECT_EQ(HitKindMagnitude(0x20), 1000);
    EXPECT_EQ(HitKindMagnitude(0x40), 1000);
    EXPECT_EQ(HitKindMagnitude(0x83), 10);
}

TEST_F(ArmedCharacter, ReceiveHitReactsTellsTheAttackerAndSounds)
{
    TestArea area(scene_.Get());
    TestFighter attacker;
    TestFighter victim;
    attacker.AttachToField(&area);
    victim.AttachToField(&area);
    area.RegisterObject(&attacker);
    attacker.Place(0, 0, -3);

    auto hit = Hit(attacker.GetObjectId(), 0x04, 100, 0);
    EXPECT_EQ(victim.ReceiveHit(hit.get()), 111u);  // sound type -1, not magic
    ASSERT_EQ(victim.reactions.size(), 1u);
    const Reaction& r = victim.reactions[0];
    EXPECT_EQ(r.kind, 4u);
    EXPECT_EQ(r.magnitude, 100000);
    EXPECT_FLOAT_EQ(r.launchSpeed, 0.1F);
    EXPECT_FLOAT_EQ(r.valueA, 2.0F);
    EXPECT_FLOAT_EQ(r.knockTime, 60.0F);
    EXPECT_EQ(r.damage, 90);
    ASSERT_EQ(attacker.delivered.size(), 1u);
    EXPECT_EQ(attacker.delivered[0].victim, &victim);
    EXPECT_EQ(attacker.delivered[0].value, 77);
    EXPECT_EQ(attacker.delivered[0].damage, 90);
    EXPECT_EQ(victim.GetHp(), 10);

    // Kind 3: no reaction, the sound all the same.
    victim.reactions.clear();
    victim.sounds.clear();
    auto mixed = Hit(attacker.GetObjectId(), 0x103, 10);
    EXPECT_EQ(victim.ReceiveHit(mixed.get()), 112u);
    EXPECT_TRUE(victim.reactions.empty());
    EXPECT_EQ(victim.sounds, std::vector<std::uint32_t>{112});

    // Stun passes the long-stun byte; an unknown owner still reacts, nobody is told.
    auto stun = Hit(999999, 0x208, 50);
    victim.ReceiveHit(stun.get());
    ASSERT_EQ(victim.reactions.size(), 1u);
    EXPECT_EQ(victim.reactions[0].kind, 8u);
    EXPECT_EQ(victim.reactions[0].longStun, 1);
    EXPECT_EQ(attacker.delivered.size(), 2u);
    area.UnregisterObject(&attacker);
    victim.DetachFromField();
    attacker.DetachFromField();
}

TEST_F(ArmedCharacter, HitSoundTable)
{
    TestFighter f;
    struct Row {
        std::int32_t type;
        std::vector<std::uint32_t> weak;
    };
    const Row rows[] = {{0, {102}}, {1, {100}}, {2, {104}}, {3, {103, 101}}, {4, {103, 101}}, {5, {101}},
                        {6, {101}}, {7, {101}}, {8, {102}},  {9, {104}},      {10, {102}},     {11, {103}},
                        {12, {}},   {-2, {}}};
    for (const Row& row : rows) {
        for (std::uint32_t kind : {1u, 2u, 3u, 4u, 8u, 16u}) {
            const std::uint32_t strong = (kind == 4 || kind == 8 || kind == 16) ? 5 : 0;
            std::vector<std::uint32_t> expected;
            for (std::uint32_t id : row.weak) {
                expected.push_back(id + strong);
            }
            f.sounds.clear();
            const std::uint32_t last = f.PlayHitSound(10, kind, row.type, 0);
            EXPECT_EQ(f.sounds, expected) << row.type << " " << kind;
            EXPECT_EQ(last, expected.empty() ? 0u : expected.back());
        }
    }
    for (std::uint32_t kind : {1u, 16u}) {
        f.sounds.clear();
        f.PlayHitSound(10, kind, -1, 0);
        f.PlayHitSound(10, kind, -1, 1);
        EXPECT_EQ(f.sounds, (std::vector<std::uint32_t>{111, 112}));
    }
}

TEST_F(ArmedCharacter, DamageTalliesCapsAndBestValues)
{
    TestFighter f;
    f.TakeDamage(100000);
    EXPECT_EQ(f.GetHp(), 0);
    EXPECT_EQ(f.GetDamageTaken(), 0);
    EXPECT_EQ(f.GetHitsTaken(), 1);
    f.TakeDamage(99999);
    EXPECT_EQ(f.GetDamageTaken(), 9999);
    f.TakeDamage(5000);
    EXPECT_EQ(f.GetDamageTaken(), 9999);
    for (int i = 0; i < 120; ++i) {
        f.TakeDamage(1);
    }
    EXPECT_EQ(f.GetHitsTaken(), 99);
    EXPECT_EQ(f.GetGroundHits(), 99);
    EXPECT_EQ(f.GetAirHits(), 0);
    f.ResetCombatState();
    EXPECT_EQ(f.GetDamageTaken(), 0);
    EXPECT_EQ(f.GetHitsTaken(), 0);
    f.SetMode(TArmedCharacter::kModeLaunched);
    f.TakeDamage(7);
    f.SetMode(TArmedCharacter::kModeHeavy);
    f.TakeDamage(7);
    f.SetMode(99999);
    f.TakeDamage(7);
    EXPECT_EQ(f.GetAirHits(), 2);
    EXPECT_EQ(f.GetGroundHits(), 1);
    EXPECT_EQ(TCharacterProbe::BestDamage(f), 9999);
    EXPECT_EQ(TCharacterProbe::BestHits(f), 99);
    EXPECT_EQ(TCharacterProbe::BestGroundHits(f), 99);
    EXPECT_EQ(TCharacterProbe::BestAirHits(f), 2);
    EXPECT_EQ(f.GetReactionMode(), 99999u);
    f.ResetCombatState();
    EXPECT_EQ(f.GetReactionMode(), 1u);
}

TEST_F(ArmedCharacter, FlashPulsesAndEnds)
{
    TestFighter f;
    f.StartFlash(1, TArmedCharacter::kUnlimitedFlash);
    EXPECT_FLOAT_EQ(f.GetBodyMesh()->GetMaterial(0).GetMaterial().Emissive.a, 0.1F);
    // The same single-precision sums, turning at 0.6 and 0.1.
    float alpha = 0.1F;
    bool falling = false;
    int turns = 0;
    for (int i = 0; i < 40; ++i) {
        alpha += falling ? -0.05F : 0.05F;
        if (alpha >= 0.6F || alpha <= 0.1F) {
            falling = !falling;
            ++turns;
        }
        f.UpdateFlash();
        ASSERT_EQ(TCharacterProbe::FlashAlpha(f), alpha) << i;
        ASSERT_EQ(TCharacterProbe::IsFlashFalling(f) != 0, falling) << i;
        ASSERT_EQ(f.GetBodyMesh()->GetMaterial(0).GetMaterial().Emissive.a, alpha);
    }
    EXPECT_GE(turns, 3);
    EXPECT_LE(TCharacterProbe::FlashAlpha(f), 0.65F);
    EXPECT_GE(TCharacterProbe::FlashAlpha(f), 0.04F);
    EXPECT_EQ(f.GetFlashTime(), TArmedCharacter::kUnlimitedFlash);

    f.StartFlash(1, 3);
    f.UpdateFlash();
    f.UpdateFlash();
    EXPECT_EQ(f.GetFlashTime(), 1);
    f.UpdateFlash();
    EXPECT_EQ(f.GetFlashTime(), 0);
    EXPECT_EQ(f.GetBodyMesh()->GetMaterial(0).GetMaterial().Emissive.a, 1.0F);
    const float still = TCharacterProbe::FlashAlpha(f);
    f.UpdateFlash();
    EXPECT_EQ(TCharacterProbe::FlashAlpha(f), still);
}

TEST_F(ArmedCharacter, JuggleStepLiftsLessWithEveryAirHit)
{
    TestFighter f;
    f.GetBodyMesh()->SetMorphTime(10.0F);
    f.SetAirHits(2);  // d = 1
    EXPECT_TRUE(f.JuggleStep());
    EXPECT_FLOAT_EQ(TCharacterProbe::Velocity(f).y, 0.02F);
    EXPECT_FLOAT_EQ(f.GetBodyMesh()->GetMorphTime(), 6.0F);
    // Once a frame: the second call only sets the motion back.
    f.SetVerticalSpeed(-1.0F);
    f.JuggleStep();
    EXPECT_FLOAT_EQ(TCharacterProbe::Velocity(f).y, -1.0F);
    EXPECT_FLOAT_EQ(f.GetBodyMesh()->GetMorphTime(), 2.0F);
    EXPECT_FALSE(f.JuggleStep());  // runs past the start
    f.FrameUpdate();
    EXPECT_EQ(f.JuggleApplied(), 0);

    // A faster rise is kept.
    f.SetVerticalSpeed(0.5F);
    f.JuggleStep();
    EXPECT_FLOAT_EQ(TCharacterProbe::Velocity(f).y, 0.5F);
    f.FrameUpdate();

    f.SetAirHits(49);
    f.SetVerticalSpeed(0.0F);
    f.JuggleStep();
    EXPECT_FLOAT_EQ(TCharacterProbe::Velocity(f).y, 0.02F / (50.0F / 3.0F));
    f.FrameUpdate();
    f.SetAirHits(50);
    f.SetVerticalSpeed(0.0F);
    f.GetBodyMesh()->SetMorphTime(10.0F);
    EXPECT_TRUE(f.SetSpeedScale(10.0F));
    EXPECT_FLOAT_EQ(TCharacterProbe::KnockTime(f), 1.2F);
    EXPECT_NEAR(TCharacterProbe::Velocity(f).y, 0.02F / 17.0F * 0.2F, 1e-9);
    EXPECT_NEAR(f.GetBodyMesh()->GetMorphTime(), 10.0F - 4.0F / 17.0F, 1e-5);
}

TEST_F(ArmedCharacter, HitsFromAttackRecords)
{
    TAttackRecord base;
    base.Lifetime = 7;
    base.Interval = 3;
    base.Placement = 55;
    base.Offset[1] = 2.0F;
    qmtest::BhtFile file;
    for (const auto& [id, kind] : {std::pair{0x1234u, 0u}, {2u, 1u}, {3u, 2u}, {4u, 3u}}) {
        TAttackRecord& r = file.records.emplace_back(base);
        r.Id = id;
        r.Kind = kind;
        r.HitCount = kind != 0 ? 4 : base.HitCount;  // the held kinds
        r.CancelMask = kind != 0 ? 6 : base.CancelMask;
    }
    file.Save("basic.bht");
    TAttackTable::SetDirectory("");
    TAttackTable::Load("basic.bht");

    TestFighter f;
    TRefPtr<TAttackHit> out;
    auto* a = dynamic_cast<TAttackHitTimed*>(f.CreateAttackHit(out, 0xABCD1234u));  // low 16 bits
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(out.Get(), a);
    EXPECT_EQ(TMapProbe::Lifetime(*a), 7u);
    EXPECT_EQ(TMapProbe::Interval(*a), -1);
    EXPECT_EQ(a->GetBaseDamage(), 55u);
    EXPECT_EQ(a->GetSoundType(), -1);
    EXPECT_EQ(a->GetOwnerId(), f.GetObjectId());
    EXPECT_EQ(TMapProbe::Parent(*a), f.GetFrame());
    D3DXVECTOR3 p;
    TMapProbe::Frame(*a)->GetPosition(&p);
    EXPECT_FLOAT_EQ(p.y, 2.0F);

    auto* b = dynamic_cast<TAttackHitHeld*>(f.CreateAttackHit(out, 2));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(TMapProbe::HitsLeft(*b), 4u);
    EXPECT_EQ(TMapProbe::Interval(*b), 3);
    EXPECT_EQ(TMapProbe::CancelMask(*b), 6u);
    const D3DXVECTOR3 at(1.0F, 0.0F, 0.0F);
    auto* c = dynamic_cast<TAttackHitTimedHeld*>(f.CreateAttackHit(out, 3, scene_.Get(), &at));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(TMapProbe::Lifetime(*c), 7u);
    EXPECT_EQ(TMapProbe::Parent(*c), scene_.Get());
    TMapProbe::Frame(*c)->GetPosition(&p);
    EXPECT_FLOAT_EQ(p.x, 1.0F);
    EXPECT_EQ(f.CreateAttackHit(out, 4), nullptr);
    EXPECT_EQ(out.Get(), nullptr);
    EXPECT_EQ(TCharacterProbe::Hits(f).size(), 3u);

    // An id missing from the table gives the default: a timed hit of lifetime 1.
    auto* d = dynamic_cast<TAttackHitTimed*>(f.CreateAttackHit(out, 99));
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(TMapProbe::Lifetime(*d), 1u);
    EXPECT_FLOAT_EQ(TMapProbe::Radius(*d), 0.5F);

    // The update drops what is used up (lifetime 1 at once), the rest stay.
    f.UpdateHits();
    EXPECT_EQ(TCharacterProbe::Hits(f).size(), 3u);
    EXPECT_EQ(TMapProbe::Frame(*d)->GetParent(), nullptr);
    TestArea area(scene_.Get());
    f.AttachToField(&area);
    f.DetachFromField();
    EXPECT_TRUE(TCharacterProbe::Hits(f).empty());
}

TEST_F(ArmedCharacter, CheckAttacksRunsThePlayerThenTheFighters)
{
    TCollisionWorld world;
    TestFighter player;
    TestFighter a;
    auto b = std::make_unique<TestFighter>();
    TestObject plain;  // no hits to offer
    world.Register(&player);
    for (TGameObject* f : {static_cast<TGameObject*>(&a), static_cast<TGameObject*>(b.get()),
                           static_cast<TGameObject*>(&plain)}) {
        world.Register(f);
        world.RegisterSecondary(f);
    }
    world.RegisterSecondary(&player);
    const std::uint32_t p = player.GetObjectId();
    const std::uint32_t ia = a.GetObjectId();
    const std::uint32_t ib = b->GetObjectId();
    world.CheckAttacks(&player);
    EXPECT_EQ(g_attackPasses, (std::vector<std::pair<std::uint32_t, std::uint32_t>>{
                                  {p, p}, {p, ia}, {p, ib}, {p, plain.GetObjectId()}, {p, p}, {ia, p}, {ib, p}}));

    // A character never offers itself to its own hits.
    TRefPtr<TAttackHit> own;
    TAttackTable::Clear();
    player.CreateAttackHit(own, 0);
    player.ApplyHitsTo(&player);
    EXPECT_TRUE(TMapProbe::HitList(*own).empty());
    player.ApplyHitsTo(&a);
    EXPECT_EQ(TMapProbe::HitList(*own).size(), 1u);

    world.Unregister(ia);
    b.reset();
    g_attackPasses.clear();
    world.CheckAttacks(&player);
    EXPECT_EQ(g_attackPasses, (std::vector<std::pair<std::uint32_t, std::uint32_t>>{
                                  {p, p}, {p, plain.GetObjectId()}, {p, p}}));
}

}  // namespace
}  // namespace objtest
