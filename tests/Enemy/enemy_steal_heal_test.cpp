// The steal roll's hit-count factors and the money it takes, against the generator's first draws
// from seed 5489 worked out by hand, and the sound of the group heal.
#include <gtest/gtest.h>

#include <cfloat>

#include "MainCode/Character/TEnemyA.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TAttackHitTimed.h"
#include "enemy_fixture.h"
#include "support/character_probe.h"

namespace enemytest {
namespace {

// The shared generator's first draws after init_genrand(5489).
constexpr std::uint32_t kDraws[] = {3499211612U, 581869302U, 3890346734U, 3586334585U, 545404204U, 4161255391U};

class EnemyStealHealTest : public EnemyTest {
protected:
    void TearDown() override
    {
        TGameData::Finalize();
        EnemyTest::TearDown();
    }
    TRefPtr<TEnemy> Placed(const TEnemyRecord& record)
    {
        TRefPtr<TEnemy> e = Prototype(record)->Clone(nullptr);
        e->Spawn(area_.get(), D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(1, 1, 1), FLT_MAX, 1);
        return e;
    }
};

// Item chance 0.1 against the first draw's 211612: 120000 (x1.2) and 200000 (x2 of a plain steal)
// miss it, 240000, 300000 and 360000 take the item.
TEST_F(EnemyStealHealTest, TheHitCountTriplesAtSevenAndDoublesFromTen)
{
    ASSERT_EQ(kDraws[0] % 1000000, 211612U);
    struct Row {
        std::int32_t hits;
        std::int32_t kind;
        bool stolen;
    };
    const Row rows[] = {
        {6, 100001, false},  // 120000
        {7, 100001, true},   // 360000
        {8, 100001, false},
        {9, 100001, false},  // not yet doubled
        {10, 100001, true},  // 240000
        {11, 100001, true},
        {10, 100000, false},  // 200000
        {7, 100000, true},    // 300000
    };
    TEnemyRecord record = qmtest::SampleEnemyRecord(3);
    record.itemChance = 0.1F;
    record.money = 0;  // a missed item ends the roll
    for (const Row& row : rows) {
        TRefPtr<TEnemy> e = Placed(record);
        for (std::int32_t i = 0; i < row.hits; ++i) {
            e->TakeDamage(0);
        }
        ASSERT_EQ(e->GetHitsTaken(), row.hits);
        TAttackHitParams params;
        params.Param8 = row.kind;
        TAttackHitTimed hit(0, area_->Scene(), nullptr, 1, params);
        init_genrand(5489);
        e->TrySteal(&hit);
        EXPECT_EQ(TCharacterProbe::IsStolen(*e) != 0, row.stolen) << row.hits << " " << row.kind;
        EXPECT_EQ(TCharacterProbe::Item(*e), row.stolen ? 0 : 1001) << row.hits << " " << row.kind;
        EXPECT_EQ(genrand_int32(), kDraws[1]) << "one draw: " << row.hits << " " << row.kind;
        e->LeaveField();
    }
}

// No item: the fourth draw is odd, so the fifth takes 545404204 mod 25 = 4 of a purse of 250 into
// the party's money; an even bit (the first draw) takes nothing.
TEST_F(EnemyStealHealTest, StolenMoneyGoesToTheParty)
{
    TGameData::Initialize();
    TGameData::GetInstance()->SetMoney(100);
    TEnemyRecord record = qmtest::SampleEnemyRecord(3);
    record.item = 0;
    TAttackHitParams params;
    params.Param8 = 100000;
    TAttackHitTimed hit(0, area_->Scene(), nullptr, 1, params);

    TRefPtr<TEnemy> even = Placed(record);
    init_genrand(5489);
    even->TrySteal(&hit);
    EXPECT_FALSE(TCharacterProbe::IsStolen(*even));
    EXPECT_EQ(TGameData::GetInstance()->GetMoney(), 100U);
    EXPECT_EQ(genrand_int32(), kDraws[1]);

    TRefPtr<TEnemy> odd = Placed(record);
    init_genrand(5489);
    for (int i = 0; i < 3; ++i) {
        genrand_int32();
    }
    odd->TrySteal(&hit);
    EXPECT_TRUE(TCharacterProbe::IsStolen(*odd));
    EXPECT_EQ(TGameData::GetInstance()->GetMoney(), 104U);
    const std::vector<TGetRender::Notice> queue = THudProbe::Queue(*notices_);
    ASSERT_EQ(queue.size(), 1U);
    EXPECT_EQ(queue.back().kind, TGetRender::kBellSteal);
    EXPECT_EQ(queue.back().value, 4U);
    EXPECT_EQ(PlayerSounds(), std::vector<std::uint32_t>{217});
    EXPECT_EQ(genrand_int32(), kDraws[5]);
    even->LeaveField();
    odd->LeaveField();
}

// The caster plays its heal sound once for every enemy it heals.
class HealCaster : public TEnemyA {
public:
    using TEnemyA::TEnemyA;
    void PlaySound(std::uint32_t id) override
    {
        played.push_back(id);
        TEnemyA::PlaySound(id);
    }
    std::vector<std::uint32_t> played;
};

TEST_F(EnemyStealHealTest, TheGroupHealSoundsOnceForEachHealedEnemy)
{
    TPatternEvent heal;
    heal.EventCode = 50021;
    for (std::size_t count : {std::size_t{0}, std::size_t{1}, std::size_t{3}}) {
        TestMap map(0, 100.0F);
        for (std::size_t i = 0; i < count; ++i) {
            map.Place(3, D3DXVECTOR3(3.0F * static_cast<float>(i), 0, 0));
        }
        MakeFactory(map);
        TRefPtr<HealCaster> caster(new HealCaster(qmtest::SampleEnemyRecord(3), 1, 0));
        caster->Spawn(area_.get(), D3DXVECTOR3(0, 0, 2), D3DXVECTOR3(1, 1, 1), FLT_MAX, 1);
        caster->SetFactory(factory_.get());
        caster->OnPatternEvent(heal);
        EXPECT_EQ(caster->played, std::vector<std::uint32_t>(count, 503)) << count;
        // Another event code heals no one.
        caster->played.clear();
        TPatternEvent other;
        other.EventCode = 50020;
        caster->OnPatternEvent(other);
        EXPECT_TRUE(caster->played.empty());
        caster->LeaveField();
        factory_.reset();
    }
}

}  // namespace
}  // namespace enemytest
