// The enemy factory: the type table at its bounds, placement, spawners firing as the player nears,
// removal and the defeated list, range searches, and a steady step without allocation.
#include <gtest/gtest.h>

#include <algorithm>

#include "MainCode/Character/TEnemySpawner.h"
#include "support/alloc_probe.h"
#include "support/character_probe.h"
#include "TCommon/my_error.h"
#include "enemy_fixture.h"

namespace enemytest {
namespace {

using FactoryTest = EnemyTest;

TEST_F(FactoryTest, TheTypeTableAtItsBoundsAndWholeBySums)
{
    TestMap map(0, 10.0F);
    MakeFactory(map);
    TEnemyDataTable::Insert(qmtest::SampleEnemyRecord(10001));
    for (std::uint32_t id : {0U, 79U, 10000U, 10001U, 10027U}) {
        EXPECT_NE(factory_->Create(id).Get(), nullptr) << id;
    }
    for (std::uint32_t id : {80U, 9999U, 10028U, 0xFFFFFFFFU}) {
        EXPECT_EQ(factory_->Create(id).Get(), nullptr) << id;
    }
    // The whole table in type order (0-79, 10000-10027, position k from 1): per class the count of
    // its types and the sum of their positions; per column the sum and the position-weighted sum
    // (the element, the revival event and the aura share the first argument), all by hand.
    const TEnemyClass classes[6] = {TEnemyClass::A, TEnemyClass::B, TEnemyClass::C,
                                    TEnemyClass::D, TEnemyClass::E, TEnemyClass::TimeStop};
    std::int64_t count[6] = {}, place[6] = {}, sums[3] = {}, weighted[3] = {};
    std::int64_t k = 0;
    for (std::uint32_t first : {0U, 10000U}) {
        for (std::uint32_t id = first; id < first + (first == 0 ? 80U : 28U); ++id) {
            const TEnemyTypeRow* row = FindEnemyType(id);
            ASSERT_NE(row, nullptr) << id;
            ++k;
            const auto c = static_cast<std::size_t>(std::find(classes, classes + 6, row->enemyClass) - classes);
            ASSERT_LT(c, 6U) << id;
            ++count[c];
            place[c] += k;
            const std::int64_t columns[3] = {row->attackCount, row->arg1, row->tableFlag};
            for (int i = 0; i < 3; ++i) {
                sums[i] += columns[i];
                weighted[i] += columns[i] * k;
            }
        }
    }
    EXPECT_EQ(std::vector<std::int64_t>(count, count + 6), (std::vector<std::int64_t>{72, 5, 17, 2, 10, 2}));
    EXPECT_EQ(std::vector<std::int64_t>(place, place + 6), (std::vector<std::int64_t>{3450, 347, 734, 197, 944, 214}));
    EXPECT_EQ(std::vector<std::int64_t>(sums, sums + 3), (std::vector<std::int64_t>{321, 11292, 31}));
    EXPECT_EQ(std::vector<std::int64_t>(weighted, weighted + 3), (std::vector<std::int64_t>{20230, 1039601, 2863}));
    // The revival's factor and limit of the two reviving types.
    EXPECT_EQ(FindEnemyType(10011)->arg2, 1.5F);
    EXPECT_EQ(FindEnemyType(10011)->arg3, -1);
    EXPECT_EQ(FindEnemyType(10024)->arg2, 1.1F);
    EXPECT_EQ(FindEnemyType(10024)->arg3, 1);
}

TEST_F(FactoryTest, AnEnemyThatCannotBeBuiltIsRefusedNamingTheTableAndTheRecord)
{
    TestMap map(0, 10.0F);
    MakeFactory(map);
    TEnemyRecord blank = qmtest::SampleEnemyRecord(3);
    blank.label = "blank";
    blank.modelName.clear();
    TEnemyRecord lost = qmtest::SampleEnemyRecord(10000);
    lost.label = "lost";
    lost.modelName = "nosuch";
    const std::string table = (dir_.Path() / "enemy.tbl").string();
    qmtest::SaveBytes(table, qmtest::BuildEnemyTable({blank, lost}));
    LoadEnemyData(table);
    struct Row {
        std::uint32_t id;
        const char* refusal;  // after the table's path; empty: built
        const char* model;    // the model file's own message, kept after it
    };
    const Row rows[] = {
        {3, " : 敵 3 \"blank\" (モデル \"\") を作れません : ", "/.tob"},
        {10000, " : 敵 10000 \"lost\" (モデル \"nosuch\") を作れません : ", "/nosuch.tob"},
        {1, " : 敵 1 の記録がありません。", ""},
        {79, "", ""},
    };
    for (const Row& row : rows) {
        try {
            EXPECT_NE(factory_->Create(row.id).Get(), nullptr) << row.id;
            EXPECT_STREQ(row.refusal, "") << row.id;
        } catch (const my_error& e) {
            const std::string what = e.what();
            const std::size_t at = what.find(table + row.refusal);
            ASSERT_NE(at, std::string::npos) << row.id << ": " << what;
            EXPECT_NE(what.find(row.model, at), std::string::npos) << row.id << ": " << what;
        }
    }
}

TEST_F(FactoryTest, PlacedEnemiesStandAndLookupsInsertNothing)
{
    TestMap map(0, 10.0F);
    map.Place(3, D3DXVECTOR3(1, 0, 2)).Place(80, D3DXVECTOR3(2, 0, 0)).Place(0, D3DXVECTOR3(-2, 0, 0));
    map.Spawner(3, D3DXVECTOR3(4, 0, 0), 0);
    MakeFactory(map);
    // The type without class places nothing.
    EXPECT_EQ(TCharacterProbe::LiveCount(*factory_), 2U);
    ASSERT_EQ(factory_->GetLive().size(), 2U);
    for (int i = 0; i < 30; ++i) {
        factory_->Update();
        factory_->StepAll();
        factory_->StepAll2();
    }
    // maxLive 0: the spawner never fires; the placed ones stand, walk or attack, never hurt.
    EXPECT_EQ(factory_->GetLive().size(), 2U);
    for (const auto& entry : factory_->GetLive()) {
        EXPECT_TRUE(entry.second->GetState() <= 4 || entry.second->GetState() == 16) << entry.second->GetState();
        EXPECT_EQ(TCharacterProbe::Factory(*entry.second), factory_.get());
        EXPECT_EQ(area_->FindObject(entry.first), entry.second.Get());
    }
    EXPECT_EQ(factory_->GetEnemy(123456).Get(), nullptr);
    EXPECT_EQ(factory_->GetLive().size(), 2U);
    factory_->Remove(123456);
    EXPECT_EQ(TCharacterProbe::LiveCount(*factory_), 2U);
    EXPECT_EQ(factory_->Spawn(80, D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 0), 1.0F, 1).Get(), nullptr);
    EXPECT_EQ(TCharacterProbe::LiveCount(*factory_), 2U);
}

TEST_F(FactoryTest, ASpawnerFiresOnlyWithinItsDistanceOfThePlayer)
{
    TestMap map(3, 8.0F);
    map.Spawner(3, D3DXVECTOR3(10, 0, 0), 0);
    MakeFactory(map);
    factory_->Update();
    EXPECT_EQ(TCharacterProbe::LiveCount(*factory_), 0U) << "10 away, distance 8";
    MovePlayer(8.5F, 0.0F);
    factory_->Update();
    EXPECT_EQ(TCharacterProbe::LiveCount(*factory_), 0U) << "exactly 1.5 away";
    MovePlayer(5.0F, 0.0F);
    factory_->Update();
    ASSERT_EQ(TCharacterProbe::LiveCount(*factory_), 1U);
    TEnemy* enemy = factory_->GetLive().begin()->second.Get();
    EXPECT_EQ(enemy->GetState(), 15U) << "spawned enemies appear";
    EXPECT_EQ(TCharacterProbe::Spawners(*factory_)[0].m_enemy.Get(), enemy);
    EXPECT_EQ(TCharacterProbe::Spawners(*factory_)[0].m_timer, 0);
    EXPECT_EQ(TCharacterProbe::LeashRadius(*enemy), 10.0F);
    // Its own enemy stands on the point: no second one while it is there.
    factory_->Update();
    EXPECT_EQ(TCharacterProbe::LiveCount(*factory_), 1U);
}

TEST_F(FactoryTest, LeavingAliveRefiresAtOnceADefeatWaitsTheInterval)
{
    TestMap map(1, 8.0F);
    map.Spawner(3, D3DXVECTOR3(4, 0, 0), 5);
    MakeFactory(map);
    TCharacterProbe::Spawners(*factory_)[0].m_timer = 5;
    factory_->Update();
    ASSERT_EQ(TCharacterProbe::LiveCount(*factory_), 1U);
    // Nothing leaves while it still appears.
    for (int i = 0; i < 200 && factory_->GetLive().begin()->second->GetState() == 15; ++i) {
        MovePlayer(-10.0F, 0.0F);
        factory_->Update();
        ASSERT_EQ(TCharacterProbe::LiveCount(*factory_), 1U);
    }
    // Out of range: removed alive, and the spawner may fire again in the same step.
    MovePlayer(-10.0F, 0.0F);
    factory_->Update();
    EXPECT_EQ(TCharacterProbe::LiveCount(*factory_), 0U);
    MovePlayer(0.0F, 0.0F);
    factory_->Update();
    ASSERT_EQ(TCharacterProbe::LiveCount(*factory_), 1U);
    EXPECT_TRUE(factory_->GetDefeatedIds().empty());

    // Defeated: HP below 0, and the spawner counts its interval again from 0.
    TEnemy* enemy = factory_->GetLive().begin()->second.Get();
    KnockOut(enemy);
    ASSERT_TRUE(UpdateUntilGone());
    EXPECT_EQ(factory_->GetDefeatedIds(), std::vector<std::uint32_t>{3});
    for (int i = 1; i < 5; ++i) {
        factory_->Update();
        EXPECT_EQ(TCharacterProbe::LiveCount(*factory_), 0U) << i;
    }
    factory_->Update();
    EXPECT_EQ(TCharacterProbe::LiveCount(*factory_), 1U);
}

TEST_F(FactoryTest, DefeatsAreKeptInOrderWithRepeats)
{
    TestMap map(0, 8.0F);
    map.Place(3, D3DXVECTOR3(1, 0, 0)).Place(3, D3DXVECTOR3(-1, 0, 0)).Place(0, D3DXVECTOR3(0, 0, 1));
    MakeFactory(map);
    std::vector<std::uint32_t> ids;
    for (const auto& entry : factory_->GetLive()) {
        ids.push_back(entry.first);
    }
    EXPECT_FALSE(factory_->IsDefeated(3));
    // HP 0 is not below 0.
    TRefPtr<TEnemy> zero = factory_->GetEnemy(ids[2]);
    zero->TakeDamage(zero->GetHp());
    factory_->Remove(ids[2]);
    EXPECT_FALSE(factory_->IsDefeated(0));
    for (std::size_t i = 0; i < 2; ++i) {
        TRefPtr<TEnemy> e = factory_->GetEnemy(ids[i]);
        TCharacterProbe::ConsumeHp(*e, e->GetHp() + 1);
        factory_->Remove(ids[i]);
        EXPECT_TRUE(factory_->IsDefeated(3));
    }
    EXPECT_EQ(factory_->GetDefeatedIds(), (std::vector<std::uint32_t>{3, 3}));
    EXPECT_EQ(TCharacterProbe::LiveCount(*factory_), 0U);
    factory_->Remove(ids[0]);
    EXPECT_EQ(TCharacterProbe::LiveCount(*factory_), 0U);
}

TEST_F(FactoryTest, UpdateRemovesEndedEnemiesInKeyOrderThenSpawns)
{
    TestMap map(2, 8.0F);
    map.Place(3, D3DXVECTOR3(1, 0, 0)).Place(0, D3DXVECTOR3(-1, 0, 0));
    map.Spawner(3, D3DXVECTOR3(4, 0, 0), 0);
    MakeFactory(map);
    ASSERT_EQ(TCharacterProbe::LiveCount(*factory_), 2U);
    std::vector<std::uint32_t> types;
    for (TEnemy* enemy : Live()) {
        KnockOut(enemy);
        types.push_back(enemy->GetRelatedId());
    }
    // Knocked out in the same frame, they end in the same frame.
    ASSERT_TRUE(UpdateUntilGone());
    EXPECT_EQ(factory_->GetDefeatedIds(), types);
    // Both gone, then the spawner filled one place.
    EXPECT_EQ(TCharacterProbe::LiveCount(*factory_), 1U);
}

TEST_F(FactoryTest, TiedSpawnersFireInMapOrderAndFacingComesFromTheEntry)
{
    TestMap map(1, 8.0F);
    map.Spawner(0, D3DXVECTOR3(0, 0, 4), 0, 3.0F, D3DXVECTOR3(1, 1, 0));
    map.Spawner(3, D3DXVECTOR3(4, 0, 0), 0, 3.0F, D3DXVECTOR3(0, 1, 1));
    map.Spawner(3, D3DXVECTOR3(-4, 0, 0), 0, 3.0F, D3DXVECTOR3(1, 1, 1));
    MakeFactory(map);
    // Spawner 0 ties with 1 and 2 but is not chosen first: all three at 4; the first wins.
    factory_->Update();
    ASSERT_EQ(TCharacterProbe::LiveCount(*factory_), 1U);
    EXPECT_NE(TCharacterProbe::Spawners(*factory_)[0].m_enemy.Get(), nullptr);
    EXPECT_EQ(TCharacterProbe::Spawners(*factory_)[1].m_enemy.Get(), nullptr);
    // At the cap of one live enemy the others wait.
    factory_->Update();
    EXPECT_EQ(TCharacterProbe::LiveCount(*factory_), 1U);
}

TEST_F(FactoryTest, SpawnerTimersStartPartWayAndStayInRange)
{
    auto entry = [](std::uint32_t interval) {
        TMapEnemySpawner s;
        s.m = interval;
        return s;
    };
    init_genrand(5489);
    Oracle r;
    EXPECT_EQ(TEnemySpawner(entry(0)).m_timer, 0);
    EXPECT_TRUE(TEnemySpawner(entry(0)).IsReady());
    // 100: 100 - 0.046 truncates to 99, then 99 + r mod 1.
    EXPECT_EQ(TEnemySpawner(entry(100)).m_timer, 99);
    r();
    // 216000: 0 + r mod 216000.
    const std::int32_t expected = static_cast<std::int32_t>(r() % 216000);
    EXPECT_EQ(TEnemySpawner(entry(216000)).m_timer, expected);
    EXPECT_FALSE(TEnemySpawner(entry(216000)).IsReady());
    // Far past the i32 range: the start clamps instead of wrapping.
    const TEnemySpawner huge(entry(0xFFFFFFFF));
    EXPECT_GE(huge.m_timer, std::numeric_limits<std::int32_t>::min());
    EXPECT_FALSE(huge.IsReady());
}

TEST_F(FactoryTest, RangeSearchStopsAtNAndExcludesTheRadius)
{
    TestMap map(0, 8.0F);
    map.Place(3, D3DXVECTOR3(2, 0, 0)).Place(3, D3DXVECTOR3(1, 0, 0)).Place(0, D3DXVECTOR3(5, 0, 0));
    MakeFactory(map);
    std::uint32_t ids[4] = {7, 7, 7, 7};
    factory_->FindEnemiesInRange(D3DXVECTOR3(0, 0.75F, 0), 2.0F, ids, 0);
    EXPECT_EQ(ids[0], 7U);
    factory_->FindEnemiesInRange(D3DXVECTOR3(0, 0.75F, 0), 2.0F, ids, 3);
    // The one exactly 2 away is out; the centre is raised by the centre height 0.75.
    std::uint32_t near = 0;
    for (const auto& entry : factory_->GetLive()) {
        D3DXVECTOR3 p;
        entry.second->GetPosition(&p);
        if (p.x == 1.0F) {
            near = entry.first;
        }
    }
    EXPECT_EQ(ids[0], near);
    EXPECT_EQ(ids[1], 0xFFFFFFFFU);
    EXPECT_EQ(ids[2], 0xFFFFFFFFU);
    EXPECT_EQ(ids[3], 7U);
    factory_->FindEnemiesInRange(D3DXVECTOR3(0, 0.75F, 0), 100.0F, ids, 2);
    EXPECT_NE(ids[1], 0xFFFFFFFFU);
    EXPECT_EQ(ids[2], 0xFFFFFFFFU) << "n = 2 writes only 2 ids after clearing 2";
}

TEST_F(FactoryTest, ASteadyStepAllocatesNothing)
{
    TestMap map(4, 8.0F);
    map.Place(3, D3DXVECTOR3(1, 0, 0)).Place(0, D3DXVECTOR3(-1, 0, 0)).Spawner(3, D3DXVECTOR3(30, 0, 0), 0);
    MakeFactory(map);
    const auto steps = [&](int n) {
        for (int i = 0; i < n; ++i) {
            factory_->Update();
            factory_->StepAll();
            factory_->StepAll2();
            factory_->DrawGauges();
        }
    };
    steps(3);
    if (!qmtest::AllocationProbe::Available()) {
        GTEST_SKIP() << "the allocation probe could not hook the allocator";
    }
    qmtest::AllocationProbe probe;
    steps(60);
    EXPECT_EQ(probe.Allocations(), 0);
}

}  // namespace
}  // namespace enemytest
