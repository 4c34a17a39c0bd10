// The HP gauge over an enemy: where it stands on the screen for a known camera, how full its bar is
// at and past the ends of the HP range, and that a culled enemy draws nothing.
#include <gtest/gtest.h>

#include <cfloat>

#include "MainCode/Character/TEnemyA.h"
#include "dx/dx8/3d/TD3D8.h"
#include "dx/dx8/3d/TView.h"
#include "enemy_fixture.h"
#include "probe_enemy.h"
#include "support/character_probe.h"

namespace enemytest {
namespace {

class EnemyGaugeTest : public EnemyTest {
protected:
    void SetUp() override
    {
        EnemyTest::SetUp();
        // A camera at the origin looking down +z, 90 degrees each way: x/w = x/z and y/w = y/z.
        view_.SetProjection(0.5F, 100.0F, 90.0F, 100, 100);
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        ASSERT_TRUE(view_.SetCameraMatrix(identity));
        D3DVIEWPORT8 viewport{};
        ASSERT_EQ(TD3D8::GetDevice()->GetViewport(&viewport), D3D_OK);
        width_ = static_cast<float>(viewport.Width);
        height_ = static_cast<float>(viewport.Height);
    }
    TRefPtr<ProbeEnemy> Spawned(const D3DXVECTOR3& at)
    {
        TRefPtr<ProbeEnemy> e(new ProbeEnemy(qmtest::SampleEnemyRecord(3), 1, 0));
        e->Spawn(area_.get(), at, D3DXVECTOR3(0, 0, 1), FLT_MAX, 1);
        e->Watch(&view_);
        return e;
    }
    // The centre of the enemy's body sphere in the world.
    static D3DXVECTOR3 SphereCentre(TEnemy* e)
    {
        D3DXMATRIX world;
        e->GetFrame()->GetWorldMatrix(&world);
        float sphere[5];
        e->GetBodyMesh()->GetBoundingSphere(sphere, &world);
        return {sphere[0], sphere[1], sphere[2]};
    }

    TView view_;
    float width_ = 0.0F;
    float height_ = 0.0F;
};

// The bar's corner sits two scaled pixels inside the frame's, which sits on the screen point of the
// body's centre (sprites place corners half a pixel up and left).
TEST_F(EnemyGaugeTest, TheGaugeStandsOnTheScreenPointOfTheBody)
{
    const float kx = TSprite::GetScaleX();
    const float ky = TSprite::GetScaleY();
    for (const D3DXVECTOR3& at : {D3DXVECTOR3(1.5F, 0.0F, 4.0F), D3DXVECTOR3(-2.0F, -1.5F, 6.0F)}) {
        TRefPtr<ProbeEnemy> e = Spawned(at);
        e->ShowGauge();
        e->DrawGauge();
        const D3DXVECTOR3 c = SphereCentre(e.Get());
        const float sx = width_ * 0.5F * (c.x / c.z + 1.0F);
        const float sy = height_ * 0.5F * (1.0F - c.y / c.z);
        const TSprite::Vertex& corner = TCharacterProbe::BarSprite(*e).GetVertex(0);
        EXPECT_NEAR(corner.x, sx + 2.0F * kx - 0.5F, 0.01F) << at.x;
        EXPECT_NEAR(corner.y, sy + 2.0F * ky - 0.5F, 0.01F) << at.x;
        EXPECT_NEAR(TCharacterProbe::BarSprite(*e).GetVertex(2).y - corner.y, 4.0F * ky, 0.001F);
        e->LeaveField();
    }
}

TEST_F(EnemyGaugeTest, TheBarFollowsHpAndStaysEmptyWithoutMaximum)
{
    const float kx = TSprite::GetScaleX();
    struct Row {
        std::int32_t hp;
        std::int32_t maxHp;
        float ratio;
    };
    const Row rows[] = {
        {-1, 100, 0.0F},        // below 0: empty
        {0, 100, 0.0F},
        {1, 100, 0.01F},
        {50, 100, 0.5F},
        {100, 100, 1.0F},
        {150000, 99999, 150000.0F / 99999.0F},  // past the capped maximum: past the end
        {1, 0, 0.0F},           // no maximum: empty, not a division by zero
        {-5, -5, 0.0F},         // a negative maximum too, though the quotient is 1
        {-1, -1, 0.0F},
        {1, 1, 1.0F},
    };
    TRefPtr<ProbeEnemy> e = Spawned(D3DXVECTOR3(0.0F, 0.0F, 5.0F));
    for (const Row& row : rows) {
        e->SetHpPair(row.hp, row.maxHp);
        e->ShowGauge();
        e->DrawGauge();
        const TSprite& bar = TCharacterProbe::BarSprite(*e);
        const float u = row.ratio * 0.234375F + 0.375F;
        EXPECT_NEAR(bar.GetVertex(1).u, u, 1e-5F) << row.hp << "/" << row.maxHp;
        EXPECT_NEAR(bar.GetVertex(3).u, u, 1e-5F) << row.hp << "/" << row.maxHp;
        EXPECT_EQ(bar.GetVertex(0).u, 0.375F);
        EXPECT_NEAR(bar.GetVertex(1).x - bar.GetVertex(0).x, 60.0F * kx * row.ratio, 1e-3F)
            << row.hp << "/" << row.maxHp;
    }
    e->LeaveField();
}

// Behind the camera the gauge keeps counting down but the bar is neither moved nor refilled.
TEST_F(EnemyGaugeTest, ACulledEnemyDrawsNoGauge)
{
    TRefPtr<ProbeEnemy> e = Spawned(D3DXVECTOR3(0.0F, 0.0F, 5.0F));
    e->SetHpPair(100, 100);
    e->ShowGauge();
    e->DrawGauge();
    const TSprite::Vertex before = TCharacterProbe::BarSprite(*e).GetVertex(1);
    e->SetPosition(D3DXVECTOR3(0.0F, 0.0F, -10.0F));
    e->SetHpPair(20, 100);
    e->DrawGauge();
    EXPECT_EQ(TCharacterProbe::GaugeTimer(*e), 198);
    const TSprite::Vertex after = TCharacterProbe::BarSprite(*e).GetVertex(1);
    EXPECT_EQ(after.x, before.x);
    EXPECT_EQ(after.y, before.y);
    EXPECT_EQ(after.u, before.u);
    // Back in sight it is drawn again.
    e->SetPosition(D3DXVECTOR3(0.0F, 0.0F, 5.0F));
    e->DrawGauge();
    EXPECT_NEAR(TCharacterProbe::BarSprite(*e).GetVertex(1).u, 0.2F * 0.234375F + 0.375F, 1e-5F);
    e->LeaveField();
}

}  // namespace
}  // namespace enemytest
