// The enemy base: level scaling, placement, the gauge's bar, voices, and the steal and loot rolls
// against the shared generator drawn alongside.
#include <gtest/gtest.h>

#include <cmath>

#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TMapItem.h"
#include "enemy_fixture.h"
#include "support/character_probe.h"
#include "support/map_probe.h"

namespace enemytest {
namespace {

TEnemyRecord Grown(std::int32_t level, std::int32_t hpGrowth, std::int32_t hp, std::int32_t strGrowth,
                   std::int32_t str)
{
    TEnemyRecord r = qmtest::SampleEnemyRecord(3);
    r.level = level;
    r.hpGrowth = hpGrowth;
    r.maxHp = hp;
    r.strGrowth = strGrowth;
    r.str = str;
    r.vitGrowth = r.intGrowth = r.menGrowth = 0;
    return r;
}

using NoticeList = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

class EnemyBaseTest : public EnemyTest {
protected:
    // The player's notices: kind and number.
    NoticeList Notices() const
    {
        NoticeList out;
        for (const TGetRender::Notice& n : THudProbe::Queue(*notices_)) {
            out.emplace_back(n.kind, n.value);
        }
        return out;
    }
    // The items lying in the area, oldest first.
    std::vector<TMapItem*> Drops() const
    {
        std::vector<TMapItem*> out;
        for (const TRefPtr<TMapObject>& object : TMapProbe::Objects(*area_)) {
            if (auto* item = dynamic_cast<TMapItem*>(object.Get())) {
                out.push_back(item);
            }
        }
        return out;
    }
    // A drop lies at the spot, bobbing, to fade out on its own as nothing remembers it.
    static void ExpectLooseDrop(const TMapItem* item, const D3DXVECTOR3& at)
    {
        D3DXVECTOR3 p;
        TMapProbe::Frame(*item)->GetPosition(&p);
        effecttest::ExpectNear(p, at);
        EXPECT_TRUE(TMapProbe::IsBobbing(*item));
        EXPECT_EQ(TMapProbe::FlagIndex(*item), TMapItem::kNoFlag);
        EXPECT_EQ(TMapProbe::Lifetime(*item), TMapItem::kLifetime);
    }
};

TEST_F(EnemyBaseTest, LevelScalingCurveCapAndClones)
{
    // Growth 0: the record's HP and twice each stat.
    TRefPtr<TEnemy> flat = Prototype(Grown(7, 0, 120, 0, 11));
    flat->SetLevel(0);
    EXPECT_EQ(flat->GetMaxHp(), 120);
    EXPECT_EQ(flat->GetStr(), 22);
    EXPECT_EQ(flat->GetVit(), 24);
    EXPECT_EQ(flat->GetInt(), 26);
    EXPECT_EQ(flat->GetMen(), 28);
    EXPECT_EQ(flat->GetLevelWordA(), 4 * 7 + 21);
    EXPECT_EQ(flat->GetLevelWordB(), 5 * 7 + 22);

    // L = 5: f = 125.
    TRefPtr<TEnemy> grown = Prototype(Grown(5, 2000, 100, 500, 10));
    grown->SetLevel(0);
    EXPECT_EQ(grown->GetMaxHp(), 350);
    EXPECT_EQ(grown->GetHp(), 350);
    EXPECT_EQ(grown->GetStr(), 144);
    grown->SetLevel(-5);
    EXPECT_EQ(grown->GetLevel(), 0);
    EXPECT_EQ(grown->GetMaxHp(), 100);

    // The cap holds the maximum alone, at its bound and past it.
    TRefPtr<TEnemy> at = Prototype(Grown(0, 0, 99999, 0, 1));
    at->SetLevel(0);
    EXPECT_EQ(at->GetMaxHp(), 99999);
    TRefPtr<TEnemy> past = Prototype(Grown(0, 0, 100000, 0, 1));
    past->SetLevel(0);
    EXPECT_EQ(past->GetMaxHp(), 99999);
    EXPECT_EQ(past->GetHp(), 100000);

    // A clone starts from the raised values.
    grown->SetLevel(0);
    TRefPtr<TEnemy> clone = grown->Clone(nullptr);
    clone->SetLevel(1);
    // L = 6 on base HP 350 and base STR 144: f = 156.
    EXPECT_EQ(clone->GetMaxHp(), 350 + 312);
    EXPECT_EQ(clone->GetStr(), 2 * (144 + 78));
    EXPECT_EQ(clone->GetLevelWordA(), 4 * 6 + (4 * 5 + 21));
}

TEST_F(EnemyBaseTest, PlacementFacesThePlayerAndChoosesTheAppearing)
{
    MovePlayer(0.0F, 5.0F);
    TRefPtr<TEnemy> prototype = Prototype(qmtest::SampleEnemyRecord(3));
    TRefPtr<TEnemy> a = prototype->Clone(nullptr);
    a->Spawn(area_.get(), D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 0), 4.0F, 1);
    D3DXVECTOR3 front;
    a->GetFront(&front);
    effecttest::ExpectNear(front, D3DXVECTOR3(0, 0, 1), 1e-4F);
    EXPECT_EQ(a->GetState(), 0U);
    EXPECT_TRUE(a->IsAlive());
    EXPECT_EQ(TCharacterProbe::LeashRadius(*a), 4.0F);

    TRefPtr<TEnemy> b = prototype->Clone(nullptr);
    b->Spawn(area_.get(), D3DXVECTOR3(3, 0, 0), D3DXVECTOR3(-2, 7, 0), FLT_MAX, 0);
    // A stored direction sets the frame's Z axis, level: the model's front is its negative.
    b->GetFront(&front);
    effecttest::ExpectNear(front, D3DXVECTOR3(1, 0, 0), 1e-4F);
    EXPECT_EQ(b->GetState(), 15U);
    // The bar's corners.
    EXPECT_EQ(TCharacterProbe::BarSprite(*b).GetVertex(0).u, 0.375F);
    EXPECT_EQ(TCharacterProbe::BarSprite(*b).GetVertex(3).u, 0.609375F);
    EXPECT_EQ(TCharacterProbe::BarSprite(*b).GetVertex(1).v, 0.75F);
    EXPECT_EQ(TCharacterProbe::BarSprite(*b).GetVertex(2).v, 0.875F);

    // The leash: out only past the radius.
    a->SetPosition(D3DXVECTOR3(4, 0, 0));
    EXPECT_FALSE(a->IsOutsideLeash());
    a->SetPosition(D3DXVECTOR3(4.01F, 0, 0));
    EXPECT_TRUE(a->IsOutsideLeash());
    a->LeaveField();
    b->LeaveField();
}

TEST_F(EnemyBaseTest, OutOfRangeSparesHighIdsAndTheAppearing)
{
    TestMap map(0, 6.0F);
    map.Place(79, D3DXVECTOR3(6, 0, 0)).Place(10000, D3DXVECTOR3(20, 0, 0)).Place(3, D3DXVECTOR3(6.5F, 0, 0));
    MakeFactory(map);
    const std::vector<TEnemy*> e = Live();
    ASSERT_EQ(e.size(), 3U);
    EXPECT_FALSE(e[0]->IsOutOfRange()) << "exactly at the spawn distance";
    EXPECT_FALSE(e[1]->IsOutOfRange()) << "type 10000";
    EXPECT_TRUE(e[2]->IsOutOfRange());
    e[2]->SetState(15);
    EXPECT_FALSE(e[2]->IsOutOfRange());
}

// The gauge shows for 200 frames after a hit; over a hit enemy at 60 per cent of its HP the frame's
// corner lies at the screen point of the body's sphere centre, the bar inside it three fifths full.
TEST_F(EnemyBaseTest, TheGaugeShowsAfterAHitAndItsBarFollowsHp)
{
    TestMap map(0, 100.0F);
    map.Place(3, D3DXVECTOR3(0, 0, 0));
    MakeFactory(map);
    TEnemy* enemy = factory_->GetLive().begin()->second.Get();
    // Not shown before a hit.
    enemy->DrawGauge();
    EXPECT_EQ(TCharacterProbe::GaugeTimer(*enemy), 0);
    Hit(*enemy, 0, nullptr);
    EXPECT_EQ(TCharacterProbe::GaugeTimer(*enemy), 200);
    EXPECT_EQ(TCharacterProbe::ThinkTimer(*enemy), -1000);
    int shown = 0;
    while (TCharacterProbe::GaugeTimer(*enemy) > 0) {
        enemy->DrawGauge();
        shown += TCharacterProbe::GaugeTimer(*enemy) > 0 ? 1 : 0;
    }
    EXPECT_EQ(shown, 199);

    Hit(*enemy, 0, nullptr);
    enemy->TakeDamage(enemy->GetHp() - enemy->GetMaxHp() * 3 / 5);
    ASSERT_EQ(enemy->GetHp(), enemy->GetMaxHp() * 3 / 5);
    EXPECT_TRUE(Shoot("enemy_hp_gauge", [&] { factory_->DrawGauges(); }));
}

// A received hit shows the enemy's tallies on the player's pop-up; the damage it takes raises the
// player's best records, which another enemy's smaller tallies do not lower. Without a player the
// enemy takes its hits all the same.
TEST_F(EnemyBaseTest, HitsShowOnThePlayerAndRaiseItsBestRecords)
{
    TRefPtr<TEnemy> first = Placed(qmtest::SampleEnemyRecord(3));
    TRefPtr<TEnemy> second = Placed(qmtest::SampleEnemyRecord(3), D3DXVECTOR3(-1, 0, 0));
    const auto best = [&] {
        const std::int32_t* b = TCharacterProbe::BestRecords(*player_);
        return std::vector<std::int32_t>(b, b + 4);
    };

    for (int i = 0; i < 3; ++i) {
        first->TakeDamage(10);
    }
    EXPECT_EQ(best(), (std::vector<std::int32_t>{30, 3, 0, 3}));
    second->TakeDamage(25);
    EXPECT_EQ(best(), (std::vector<std::int32_t>{30, 3, 0, 3}));
    second->TakeDamage(25);
    EXPECT_EQ(best(), (std::vector<std::int32_t>{50, 3, 0, 3}));
    EXPECT_FALSE(TCharacterProbe::HitPopup(*player_).IsActive());

    Hit(*second, 0, nullptr);
    EXPECT_TRUE(TCharacterProbe::HitPopup(*player_).IsActive());
    EXPECT_EQ(THudProbe::Count(TCharacterProbe::HitPopup(*player_)), second->GetHitsTaken());
    EXPECT_EQ(THudProbe::Total(TCharacterProbe::HitPopup(*player_)), second->GetDamageTaken());
    EXPECT_GE(best()[1], second->GetHitsTaken());

    area_->SetPlayer(nullptr);
    const std::int32_t hits = first->GetHitsTaken();
    Hit(*first, 0, nullptr);
    first->TakeDamage(1);
    EXPECT_GT(first->GetHitsTaken(), hits);
    area_->SetPlayer(player_.get());
    EXPECT_EQ(THudProbe::Total(TCharacterProbe::HitPopup(*player_)), second->GetDamageTaken())
        << "the first's hits were not shown";
    first->LeaveField();
    second->LeaveField();
}

// A voice sets the timer from its length (100 ms: 6 frames); another asked for while it runs is not
// heard, on its last frame either; once it has run out the next one is.
TEST_F(EnemyBaseTest, AVoiceAskedForWhileTheVoiceTimerRunsPlaysNothing)
{
    TRefPtr<TEnemy> e = Placed(qmtest::SampleEnemyRecord(3));
    e->PlayVoice(kCry.id);
    EXPECT_EQ(Heard(), kCry.level);
    for (int frame = 1; frame < 6; ++frame) {
        e->FrameUpdate();
        e->PlayVoice(kGasp.id);
        EXPECT_FALSE(Playing(kGasp)) << frame;
    }
    EXPECT_EQ(Heard(), kCry.level);
    e->FrameUpdate();
    e->PlayVoice(kGasp.id);
    EXPECT_TRUE(Playing(kGasp));
    EXPECT_EQ(Heard(), kCry.level + kGasp.level);
    e->LeaveField();
}

TEST_F(EnemyBaseTest, StealRollsMatchTheGeneratorByHand)
{
    TAttackHitParams plain;
    plain.Param8 = 100000;
    TAttackHitParams other;
    other.Param8 = 99999;
    const float* none = nullptr;
    TAttackHitTimed plainHit(0, area_->Scene(), none, 1, plain);
    TAttackHitTimed otherHit(0, area_->Scene(), none, 1, other);

    // Not a steal: nothing drawn.
    TRefPtr<TEnemy> e = Placed(qmtest::SampleEnemyRecord(3));
    e->TrySteal(&otherHit);
    EXPECT_FALSE(TCharacterProbe::IsStolen(*e));

    // item chance 0.25 at factor 1.0: 250000 against r mod 1000000, then money.
    Oracle r;
    const std::uint32_t itemRoll = r() % 1000000;
    e->TrySteal(&plainHit);
    if (itemRoll < 250000) {
        EXPECT_EQ(Notices(), (NoticeList{{TGetRender::kItemSteal, 1001}}));
        EXPECT_EQ(TCharacterProbe::Item(*e), 0);
    } else {
        const std::uint32_t bit = r() & 1;
        if (bit == 1) {
            const std::int32_t amount = static_cast<std::int32_t>(r() % 25);
            if (amount != 0) {
                EXPECT_EQ(Notices(), (NoticeList{{TGetRender::kBellSteal, static_cast<std::uint32_t>(amount)}}));
                EXPECT_EQ(PlayerSounds(), std::vector<std::uint32_t>{217});
                EXPECT_EQ(CallsOf(104).size(), 1U);
                EXPECT_EQ(CallsOf(105).size(), 1U);
            }
        }
    }
    // The next draw of the shared generator is the oracle's next one.
    EXPECT_EQ(genrand_int32(), r());
    e->LeaveField();
}

TEST_F(EnemyBaseTest, StealFactorsCapsAndTheOnceOnlyRule)
{
    TAttackHitParams strong;
    strong.Param8 = 100001;
    TAttackHitTimed hit(0, area_->Scene(), nullptr, 1, strong);
    TEnemyRecord record = qmtest::SampleEnemyRecord(3);
    record.itemChance = 0.3F;  // x1.2 x 3.0 at hit 7: always, x1.2 x2 at 10: 720000
    record.item = -1;
    record.money = 9;  // cap 0: no money
    // Placed with the hits taken so far.
    const auto placedHit = [&](int hits) {
        TRefPtr<TEnemy> e = Placed(record);
        for (int i = 0; i < hits; ++i) {
            e->TakeDamage(0);
        }
        return e;
    };

    // Item -1 ends the roll without taking anything; the money roll is never drawn.
    TRefPtr<TEnemy> e = placedHit(7);
    Oracle r;
    e->TrySteal(&hit);
    r();
    EXPECT_FALSE(TCharacterProbe::IsStolen(*e));
    EXPECT_EQ(genrand_int32(), r());

    // A money cap of 0 steals nothing (one draw for the item, one for the bit).
    record.item = 0;
    record.money = 9;
    TRefPtr<TEnemy> poor = placedHit(0);
    poor->TrySteal(&hit);
    r();
    EXPECT_FALSE(TCharacterProbe::IsStolen(*poor));
    EXPECT_EQ(genrand_int32(), r());

    // Hit 7 triples: chance 1.08 x 10^6 always wins; a second steal takes nothing.
    record.item = 1001;
    record.itemChance = 0.3F;
    TRefPtr<TEnemy> rich = placedHit(7);
    TGameData::Initialize();
    rich->TrySteal(&hit);
    r();
    EXPECT_TRUE(TCharacterProbe::IsStolen(*rich));
    ASSERT_NE(TGameData::GetInstance()->FindItem(1001), nullptr);
    TGameData::Finalize();
    EXPECT_EQ(Notices(), (NoticeList{{TGetRender::kItemSteal, 1001}}));
    rich->TrySteal(&hit);
    EXPECT_EQ(Notices().size(), 1U);
    EXPECT_EQ(genrand_int32(), r());

    // Hit 8 is not 7 and not yet 10: factor 1.2 alone (360000).
    TRefPtr<TEnemy> eight = placedHit(8);
    const std::uint32_t roll = r() % 1000000;
    eight->TrySteal(&hit);
    EXPECT_EQ(TCharacterProbe::IsStolen(*eight) != 0, roll < 360000) << roll;
    e->LeaveField();
    poor->LeaveField();
    rich->LeaveField();
    eight->LeaveField();
}

TEST_F(EnemyBaseTest, LootLiesOnTheGroundAsTheDropItemTheItemOrMoney)
{
    TEnemyRecord record = qmtest::SampleEnemyRecord(3);
    record.dropChance = 1.0F;
    TRefPtr<TEnemy> sure = Placed(record, D3DXVECTOR3(2, 0, 1));
    sure->DropLoot();
    ASSERT_EQ(Drops().size(), 1U);
    EXPECT_EQ(TMapProbe::ItemId(*Drops()[0]), 1002);
    EXPECT_EQ(TMapProbe::Money(*Drops()[0]), -1);
    ExpectLooseDrop(Drops()[0], D3DXVECTOR3(2, 0, 1));
    EXPECT_EQ(TMapProbe::Frame(*Drops()[0])->GetParent(), area_->Scene());

    // No items at all: money 250 when the bit is set (draws skipped until it is), none when it is not.
    record.dropItem = 0;
    record.item = 0;
    TRefPtr<TEnemy> money = Placed(record, D3DXVECTOR3(-3, 0, 4));
    Oracle r;
    r();  // the drop roll above
    const auto skipUntilBit = [&](std::uint32_t bit) {
        for (Oracle ahead = r; (ahead() & 1) != bit; ahead = r) {
            r();
            genrand_int32();
        }
    };
    skipUntilBit(1);
    money->DropLoot();
    r();
    const double f = 1.0 - static_cast<double>(r() % 30) * 0.01;
    const std::uint32_t extra = r() % 10;
    const auto amount = static_cast<std::int32_t>(extra + 250 * f + 1.0);
    ASSERT_EQ(Drops().size(), 2U);
    EXPECT_EQ(TMapProbe::ItemId(*Drops()[1]), TMapItem::kMoney);
    EXPECT_EQ(TMapProbe::Money(*Drops()[1]), amount);
    ExpectLooseDrop(Drops()[1], D3DXVECTOR3(-3, 0, 4));
    EXPECT_EQ(genrand_int32(), r());
    skipUntilBit(0);
    money->DropLoot();
    r();
    EXPECT_EQ(Drops().size(), 2U);
    EXPECT_EQ(genrand_int32(), r());

    // Item -1 chosen: no drop, no money roll.
    record.item = -1;
    record.itemChance = 1.0F;
    TRefPtr<TEnemy> none = Placed(record, D3DXVECTOR3(0, 0, 0));
    const std::size_t before = Drops().size();
    none->DropLoot();
    r();
    EXPECT_EQ(Drops().size(), before);
    EXPECT_EQ(genrand_int32(), r());
    sure->LeaveField();
    money->LeaveField();
    none->LeaveField();
}

TEST_F(EnemyBaseTest, GroupHealReachesEveryEnemyTheCasterIncluded)
{
    TestMap map(0, 100.0F);
    map.Place(3, D3DXVECTOR3(0, 0, 0)).Place(3, D3DXVECTOR3(3, 0, 0)).Place(0, D3DXVECTOR3(-3, 0, 0));
    MakeFactory(map);
    const std::vector<TEnemy*> e = Live();
    ASSERT_EQ(e.size(), 3U);
    for (TEnemy* enemy : e) {
        enemy->TakeDamage(enemy->GetMaxHp() - 1);
    }
    TPatternEvent heal;
    heal.EventCode = 50021;
    e[0]->OnPatternEvent(heal);
    for (TEnemy* enemy : e) {
        // Max HP is 120 at level 3 with growth 2000: f = 69, 138 + 120 = 258.
        EXPECT_EQ(enemy->GetHp(), std::min(enemy->GetMaxHp(), 601));
    }
    EXPECT_EQ(CallsOf(906).size(), 3U);
    EXPECT_EQ(CallsOf(107).size(), 3U);
    EXPECT_EQ(CallsOf(103).size(), 3U);
    EXPECT_EQ(CallsOf(5).size(), 3U);
    EXPECT_EQ(CallsOf(107)[0].scale[1], 3.0F);
}

}  // namespace
}  // namespace enemytest
