// Hits on the player (time-stop end, counter window, statuses) and the player's own hits landing
// (gauge refill by weapon type, the effects of the hit's code).
#include <gtest/gtest.h>

#include "MainCode/Character/THeldRandomOffsetMotion.h"
#include "MainCode/Character/TimeStop.h"
#include "MainCode/Shot/TShot.h"
#include "combat_fixture.h"
#include "support/character_probe.h"
#include "support/frame_motion_target.h"
#include "support/shot_probe.h"

namespace combattest {
namespace {

class CombatHitTest : public CombatFixture {
protected:
    // Element rates (the statuses' chances) all set to one value before the hero is made.
    std::unique_ptr<CombatHero> HeroWithRates(float rate)
    {
        TCharacterRecord* record = data_->GetCharacterData(0);
        std::fill(std::begin(record->ElementValue), std::end(record->ElementValue), rate);
        return MakeCombatHero();
    }
    static std::int32_t StatusOf(CombatHero& hero, int i)
    {
        switch (i) {
        case 0: return hero.GetPoison().Remaining;
        case 1: return hero.GetManaDrain().Remaining;
        case 2: return hero.GetReversedControls().Remaining;
        case 3: return hero.GetAttackSeal().Remaining;
        case 4: return hero.GetSlowness().Remaining;
        default: return hero.GetManaSeal().Remaining;
        }
    }
};

TEST_F(CombatHitTest, AHitEndsTheTimeStop)
{
    std::unique_ptr<CombatHero> hero = MakeCombatHero();
    SetTimeStop(true, nullptr, nullptr);
    TRefPtr<TAttackHit> hit = MakeHit(1, 500);
    hero->ReceiveHit(hit.Get());
    EXPECT_FALSE(IsTimeStopped());
    const std::vector<TSoundBankRecord> sounds = PlaysAndStops();
    ASSERT_GE(sounds.size(), 2u);
    EXPECT_EQ(sounds[0], (TSoundBankRecord{TSoundBankRecord::kStop, 0, 652}));
    EXPECT_EQ(sounds[1], (TSoundBankRecord{TSoundBankRecord::kPlay, 0, 651}));
    ASSERT_FALSE(created_.empty());
    EXPECT_EQ(created_[0].id, 2001u);
    EXPECT_LT(hero->GetHp(), 100) << "the hit itself still lands";
}

TEST_F(CombatHitTest, TheCounterWindowTakesNeitherDamageNorStatus)
{
    std::unique_ptr<CombatHero> hero = HeroWithRates(10.0F);
    for (std::uint32_t window : {17u, 19u}) {
        hero->SetStateDirect(TPlayerCharacter::kStateAction, window);
        created_.clear();
        TRefPtr<TAttackHit> hit = MakeHit(1, 500, 63);
        EXPECT_EQ(hero->ReceiveHit(hit.Get()), 0u);
        EXPECT_EQ(hero->GetHp(), 100);
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(StatusOf(*hero, i), 0);
        }
        EXPECT_EQ(TCharacterProbe::SubState(*hero), hero->GetChainAction());
        EXPECT_EQ(hero->GetFlashTime(), window == 17 ? 10 : 30);
        ASSERT_EQ(CreatedIds(), (std::vector<std::uint32_t>{105, 102}));
        EXPECT_FLOAT_EQ(created_[0].scale[0], window == 17 ? 1.2F : 2.0F);
        EXPECT_FLOAT_EQ(created_[1].colour[0], 0.4F);
    }
    // Outside the window, and for a hit with its top flag bit set, the hit lands.
    hero->SetStateDirect(TPlayerCharacter::kStateAction, 18);
    TRefPtr<TAttackHit> hit = MakeHit(1, 150);
    hero->ReceiveHit(hit.Get());
    EXPECT_LT(hero->GetHp(), 100);
    hero->SetStateDirect(TPlayerCharacter::kStateAction, 17);
    created_.clear();
    TRefPtr<TAttackHit> unblockable = MakeHit(0x80000001u, 150);
    hero->ReceiveHit(unblockable.Get());
    EXPECT_EQ(TCharacterProbe::SubState(*hero), 17u) << "no counter";
    EXPECT_TRUE(std::find(CreatedIds().begin(), CreatedIds().end(), 105u) == CreatedIds().end());
}

TEST_F(CombatHitTest, StatusesTakeOneDrawPerBitInTableOrder)
{
    RecordEffectsOnly();
    // Rate 1.0: a chance of 100 in 1000 for each bit.
    std::unique_ptr<CombatHero> hero = HeroWithRates(1.0F);
    TRefPtr<TAttackHit> hit = MakeHit(1, 0, 63);
    hero->ReceiveHit(hit.Get());
    // The bits 1, 2, 4, 8, 16, 32 set poison, mana drain, reversed, attack seal, slowness, mana seal.
    for (int i = 0; i < 6; ++i) {
        const bool hits = Oracle() % 1000 < 100;
        EXPECT_EQ(StatusOf(*hero, i), hits ? 5000 : 0) << i;
    }
    // Only the bits that are set draw.
    init_genrand(5489);
    std::unique_ptr<CombatHero> always = HeroWithRates(10.0F);
    TRefPtr<TAttackHit> some = MakeHit(1, 0, 32 | 1);
    always->ReceiveHit(some.Get());
    EXPECT_EQ(always->GetPoison().Remaining, 5000);
    EXPECT_EQ(always->GetManaSeal().Remaining, 5000);
    EXPECT_EQ(always->GetSlowness().Remaining, 0);
    std::mt19937 third(5489);
    third.discard(2);
    EXPECT_EQ(genrand_int32(), static_cast<std::uint32_t>(third())) << "two bits, two draws";

    std::unique_ptr<CombatHero> never = HeroWithRates(0.0F);
    TRefPtr<TAttackHit> all = MakeHit(1, 0, 63);
    never->ReceiveHit(all.Get());
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(StatusOf(*never, i), 0);
    }
}

// Each status takes its own element's rate: on a hit carrying all six bits, only the status whose
// rate is 10 (always) takes, the others' rates being 0 (never).
TEST_F(CombatHitTest, EachStatusTakesItsOwnElementRate)
{
    RecordEffectsOnly();
    const struct {
        int element;  // rate 1..6 is element 0..5
        int status;   // as StatusOf counts them
    } cases[] = {{1, 0}, {5, 1}, {2, 2}, {4, 3}, {3, 4}, {0, 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "rate " << c.element + 1);
        TCharacterRecord* record = data_->GetCharacterData(0);
        std::fill(std::begin(record->ElementValue), std::end(record->ElementValue), 0.0F);
        record->ElementValue[c.element] = 10.0F;
        std::unique_ptr<CombatHero> hero = MakeCombatHero();
        TRefPtr<TAttackHit> hit = MakeHit(1, 0, 63);
        hero->ReceiveHit(hit.Get());
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(StatusOf(*hero, i), i == c.status ? 5000 : 0) << i;
        }
    }
}

TEST_F(CombatHitTest, TheStatusChanceIsComparedStrictlyAtItsBound)
{
    RecordEffectsOnly();
    // The first draw of seed 5489 is 3499211612: 612 out of 1000.
    ASSERT_EQ(Oracle() % 1000, 612u);
    // Chance 612 misses, 613 takes.
    std::unique_ptr<CombatHero> miss = HeroWithRates(6.125F);
    init_genrand(5489);
    TRefPtr<TAttackHit> hit = MakeHit(1, 0, 1);
    miss->ReceiveHit(hit.Get());
    EXPECT_EQ(miss->GetPoison().Remaining, 0);

    std::unique_ptr<CombatHero> take = HeroWithRates(6.135F);
    take->GetPoison().Phase = 33;
    init_genrand(5489);
    take->ReceiveHit(hit.Get());
    EXPECT_EQ(take->GetPoison().Remaining, 5000);
    EXPECT_EQ(take->GetPoison().Phase, 0) << "the timer starts its phase afresh";
}

TEST_F(CombatHitTest, LandedHitsRefillTheGaugeByWeaponTypeAndStopAtZero)
{
    const std::uint32_t refill[12] = {11, 12, 9, 8, 9, 13, 13, 12, 11, 10, 10, 8};
    std::unique_ptr<CombatHero> target = MakeCombatHero(1, 0);
    for (std::int32_t type = 0; type < 12; ++type) {
        std::unique_ptr<CombatHero> hero = MakeCombatHero(0, type);
        hero->SetGaugeUsed(100);
        hero->OnHitLanded(target.get(), 0, 10, 0);
        EXPECT_EQ(hero->GetGaugeUsed(), 100u - refill[type]) << type;
        hero->SetGaugeUsed(refill[type] - 1);
        hero->OnHitLanded(target.get(), 0, 10, 0);
        EXPECT_EQ(hero->GetGaugeUsed(), 0u) << "no wrap below zero, type " << type;
        hero->OnHitLanded(target.get(), 0, 10, 0);
        EXPECT_EQ(hero->GetGaugeUsed(), 0u);
    }
    // Empty hands refill nothing.
    std::unique_ptr<CombatHero> bare = MakeCombatHero();
    bare->SetLWeapon(TRefPtr<TWepon>());
    bare->SetRWeapon(TRefPtr<TWepon>());
    bare->SetGaugeUsed(50);
    bare->OnHitLanded(target.get(), 0, 10, 0);
    EXPECT_EQ(bare->GetGaugeUsed(), 50u);
}

TEST_F(CombatHitTest, GaugeOrbsAreSizedByTheAmountAndDrawTheirBend)
{
    std::unique_ptr<CombatHero> hero = MakeCombatHero();
    std::unique_ptr<CombatHero> target = MakeCombatHero(1, 0);
    struct Case {
        std::int32_t code;
        std::int32_t amount;
        std::uint8_t flag;
        std::uint32_t id;  // 0: none
        float size;
    };
    const Case cases[] = {
        {1000, 10, 1, 411, 2.0F}, {1001, 3, 0, 412, 3 * 0.2F}, {1000, 2, 0, 411, 1.0F},
        {1016, 10, 0, 411, 2.0F}, {1017, 10, 0, 412, 2.0F},     {1016, 10, 1, 0, 0.0F},
    };
    for (const Case& c : cases) {
        created_.clear();
        init_genrand(5489);
        oracle_.seed(5489);
        hero->OnHitLanded(target.get(), c.code, c.amount, c.flag);
        if (c.id == 0) {
            EXPECT_TRUE(created_.empty()) << c.code;
            EXPECT_EQ(genrand_int32(), Oracle()) << "no draw without an orb";
            continue;
        }
        ASSERT_EQ(CreatedIds(), (std::vector<std::uint32_t>{c.id})) << c.code;
        EXPECT_FLOAT_EQ(created_[0].scale[0], c.size) << c.code << " " << c.amount;
        D3DXVECTOR3 centre;
        target->GetCenterPosition(&centre);
        EXPECT_FLOAT_EQ(created_[0].position.y, centre.y);
        Oracle();
        Oracle();
        EXPECT_EQ(genrand_int32(), Oracle()) << "two draws for the bend";
    }
}

TEST_F(CombatHitTest, CodesRaiseTheirEffectsAndFurtherHits)
{
    std::unique_ptr<CombatHero> hero = MakeCombatHero();
    std::unique_ptr<CombatHero> target = MakeCombatHero(1, 0);
    D3DXVECTOR3 at;
    target->GetPosition(&at);
    struct Case {
        std::int32_t code;
        std::uint8_t flag;
        std::vector<std::uint32_t> ids;
        std::size_t hits;
    };
    const Case cases[] = {
        {1002, 0, {702}, 0}, {1003, 0, {703}, 0}, {1014, 0, {706}, 0}, {1015, 0, {707}, 0},
        {1006, 0, {704}, 0}, {1007, 0, {705}, 0}, {1002, 1, {}, 0},    {1006, 1, {}, 0},
        {1004, 0, {800}, 1}, {1005, 1, {801}, 1}, {1012, 0, {806}, 1}, {1010, 0, {453}, 1},
        {1023, 0, {454}, 1}, {1008, 0, {708}, 1}, {1008, 1, {}, 0},    {1020, 0, {802, 802, 802}, 0},
        {999, 0, {}, 0},     {1024, 0, {}, 0},
    };
    for (const Case& c : cases) {
        created_.clear();
        hero->ClearHits();
        hero->OnHitLanded(target.get(), c.code, 10, c.flag);
        EXPECT_EQ(CreatedIds(), c.ids) << c.code;
        EXPECT_EQ(TCharacterProbe::Hits(*hero).size(), c.hits) << c.code;
        if (c.code == 1002 && c.flag == 0) {
            EXPECT_FLOAT_EQ(created_[0].position.y, at.y - 0.1F);
            EXPECT_FLOAT_EQ(created_[0].scale[0], 1.5F * target->GetCenterHeight());
        }
    }
}

// The aimed effects of codes 1010, 1011, 1022 and 1023 follow their target to the end of the
// flight: one that steps aside after the hit, and again just before the last step, is still met at
// its body centre when the curve ends.
TEST_F(CombatHitTest, AnAimedEffectEndsWhereItsTargetHasMoved)
{
    std::unique_ptr<CombatHero> hero = MakeCombatHero();
    std::unique_ptr<CombatHero> target = MakeCombatHero(1, 0);
    for (std::int32_t code : {1010, 1011, 1022, 1023}) {
        SCOPED_TRACE(code);
        target->SetPosition(D3DXVECTOR3(0.0F, 0.0F, 4.0F));
        created_.clear();
        hero->OnHitLanded(target.get(), code, 10, 0);
        ASSERT_EQ(created_.size(), 1u);
        auto* shot = dynamic_cast<TShot*>(created_[0].result);
        ASSERT_NE(shot, nullptr);
        ASSERT_NE(TShotProbe::Motion(*shot), nullptr);
        target->SetPosition(D3DXVECTOR3(3.0F, 0.5F, 6.0F));
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        TFrame frame("aim", identity, nullptr);
        qmtest::FrameMotionTarget mover(&frame);
        for (int i = 0; i < 29; ++i) {
            TShotProbe::Motion(*shot)->Step(&mover);
        }
        // The last of the 30 steps still looks for the target.
        const D3DXVECTOR3 moved(-2.0F, 1.5F, 7.0F);
        target->SetPosition(moved);
        TShotProbe::Motion(*shot)->Step(&mover);
        D3DXVECTOR3 at;
        frame.GetWorldPosition(&at);
        EXPECT_NEAR(at.x, moved.x, 1e-3);
        EXPECT_NEAR(at.y, moved.y + target->GetCenterHeight(), 1e-3);
        EXPECT_NEAR(at.z, moved.z, 1e-3);
    }
}

TEST_F(CombatHitTest, AHeldMotionSharesTheFrame)
{
    // A trail's motion takes a counted share of the record's frame and gives it back when it goes.
    std::unique_ptr<CombatHero> hero = MakeCombatHero();
    const D3DXVECTOR3 still(0.0F, 0.0F, 0.0F);
    const std::uint32_t count = hero->GetFrameRef().UseCount();
    {
        THeldRandomOffsetMotion trail(hero->GetFrameRef(), still, still, 200.0F, 300.0F, 200.0F);
        EXPECT_EQ(TCharacterProbe::Held(trail).Get(), hero->GetFrame());
        EXPECT_EQ(hero->GetFrameRef().UseCount(), count + 1);
    }
    EXPECT_EQ(hero->GetFrameRef().UseCount(), count);
    THeldRandomOffsetMotion empty(TRefPtr<TFrame>(), still, still, 200.0F, 300.0F, 200.0F);
    EXPECT_EQ(TCharacterProbe::Held(empty).Get(), nullptr);
}

}  // namespace
}  // namespace combattest
