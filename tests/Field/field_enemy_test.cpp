// Enemies on the field's battle map: the ones the map places stand where it put them, facing the
// player; its spawner places one only once the player comes within the spawn distance.
#include "Field/field_game_fixture.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "support/character_probe.h"

namespace fieldtest {
namespace {

float FlatDistance(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    const float dx = a.x - b.x;
    const float dz = a.z - b.z;
    return std::sqrt(dx * dx + dz * dz);
}

class FieldEnemies : public FieldGame {
protected:
    void SetUp() override
    {
        FieldGame::SetUp();
        Start();
        Steps(8);
    }
    // The battle map with the player at `at` facing +x, the camera behind it; ready to play.
    TFieldLoop* FacingEast(const D3DXVECTOR3& at)
    {
        TFieldLoop* field = TFieldLoop::CreateAtPosition(app_.get(), "map00/battle", at, D3DXVECTOR3(1, 0, 0),
                                                         at + D3DXVECTOR3(-6.0F, 3.0F, 0.0F));
        EXPECT_NE(field, nullptr);
        if (field != nullptr) {
            app_->PushScene(field);
            FinishFade(field);
        }
        return field;
    }
};

TEST_F(FieldEnemies, PlacedEnemiesStandWhereTheMapPutThemFacingThePlayer)
{
    TFieldLoop* field = Ready("battle");
    ASSERT_NE(field, nullptr);
    TEnemyFactory* enemies = field->GetArea()->GetEnemies();
    ASSERT_NE(enemies, nullptr);
    ASSERT_EQ(enemies->GetLive().size(), 1u);
    const TRefPtr<TEnemy> enemy = enemies->GetLive().begin()->second;
    EXPECT_EQ(enemy->GetRelatedId(), qmtest::kFieldEnemyType);
    EXPECT_EQ(field->GetArea()->FindObject(enemy->GetObjectId()), enemy.Get());

    Steps(90);
    ASSERT_EQ(CurrentField(), field);
    ASSERT_EQ(enemies->GetLive().size(), 1u);
    EXPECT_EQ(enemies->GetLive().begin()->second.Get(), enemy.Get());
    EXPECT_TRUE(enemy->IsAlive());
    EXPECT_EQ(enemy->GetState(), 0u);  // placed without the appearing motion
    const D3DXVECTOR3 at = PositionOf(enemy.Get());
    EXPECT_FLOAT_EQ(at.x, qmtest::FieldLayout::Enemy().x);
    EXPECT_FLOAT_EQ(at.z, qmtest::FieldLayout::Enemy().z);
    EXPECT_NEAR(at.y, 0.0F, 0.05F);  // on the ground
    // The map gave no direction: it faces the player as placed.
    D3DXVECTOR3 front;
    enemy->GetFront(&front);
    const D3DXVECTOR3 toPlayer = PositionOf(field->GetPlayer()) - at;
    EXPECT_GT(front.x * toPlayer.x + front.z * toPlayer.z, 0.9F * FlatDistance(toPlayer, D3DXVECTOR3(0, 0, 0)));
    // The spawner stayed out of the player's reach.
    EXPECT_EQ(TCharacterProbe::Spawners(*enemies).at(0).m_enemy.Get(), nullptr);
    EXPECT_FALSE(enemies->IsDefeated(qmtest::kFieldEnemyType));
}

TEST_F(FieldEnemies, TheSpawnerFiresOnceThePlayerComesWithinTheSpawnDistance)
{
    const D3DXVECTOR3 spawnPoint = qmtest::FieldLayout::Spawner();
    const float reach = qmtest::FieldLayout::kSpawnDistance;
    // Two units beyond the spawner's reach, walking straight at it.
    const D3DXVECTOR3 start(spawnPoint.x - reach - 2.0F, 0.0F, spawnPoint.z);
    TFieldLoop* field = FacingEast(start);
    ASSERT_NE(field, nullptr);
    TEnemyFactory* enemies = field->GetArea()->GetEnemies();
    ASSERT_NE(enemies, nullptr);
    TEnemySpawner& spawner = TCharacterProbe::Spawners(*enemies).at(0);

    // The placed enemy comes for the player and would push it off its line: only the spawner's
    // enemies take part here.
    ASSERT_EQ(enemies->GetLive().size(), 1u);
    enemies->Remove(enemies->GetLive().begin()->first);
    ASSERT_TRUE(enemies->GetLive().empty());

    // Ready, but the player is too far.
    Steps(10);
    EXPECT_TRUE(spawner.IsReady());
    EXPECT_TRUE(enemies->GetLive().empty());

    Hold(VK_UP, true);
    float before = FlatDistance(PositionOf(field->GetPlayer()), spawnPoint);
    int fired = -1;
    for (int step = 0; step < 60 && fired < 0; ++step) {
        Step();
        const float now = FlatDistance(PositionOf(field->GetPlayer()), spawnPoint);
        ASSERT_LT(now, before + 1e-4F) << step;  // nearing
        if (enemies->GetLive().size() == 1u) {
            fired = step;
            EXPECT_LT(now, reach) << step;
            EXPECT_GE(before, reach - qmtest::FieldLayout::kWalkStep) << step;
        }
        before = now;
    }
    Hold(VK_UP, false);
    ASSERT_GE(fired, 0);
    EXPECT_EQ(enemies->GetLive().size(), 1u);
    ASSERT_NE(spawner.m_enemy.Get(), nullptr);
    EXPECT_EQ(spawner.m_timer, 0);
    const D3DXVECTOR3 placed = PositionOf(spawner.m_enemy.Get());
    EXPECT_FLOAT_EQ(placed.x, spawnPoint.x);
    EXPECT_FLOAT_EQ(placed.z, spawnPoint.z);
    EXPECT_EQ(field->GetArea()->FindObject(spawner.m_enemy->GetObjectId()), spawner.m_enemy.Get());

    // While its enemy lives, however long the spawner waits, it places no more.
    Steps(2 * static_cast<int>(qmtest::FieldLayout::kSpawnInterval));
    EXPECT_EQ(enemies->GetLive().size(), 1u);
    EXPECT_NE(spawner.m_enemy->GetState(), 15u);  // done appearing, now about its business
}

}  // namespace
}  // namespace fieldtest
