// Bullet parts: texture cells by class counter, cell animation, copies and assignment, parking.
#include <gtest/gtest.h>

#include <numeric>

#include "MainCode/Character/TAccelMotion.h"
#include "MainCode/TRunState.h"
#include "shot_fixture.h"
#include "support/map_probe.h"
#include "support/shot_probe.h"

namespace shottest {
namespace {

class BulletParts : public ShotTest {
protected:
    // The cells of the shot's parts, counted from where their class's counter stood when the test began.
    std::vector<std::uint32_t> Cells(TShot& shot)
    {
        std::vector<std::uint32_t> cells;
        for (std::size_t i = 0; i < shot.GetPartCount(); ++i) {
            auto& part = dynamic_cast<TParticleBulletPart&>(shot.GetPart(i));
            const std::size_t c = dynamic_cast<TBulletPartA*>(&part) != nullptr   ? 0
                                  : dynamic_cast<TBulletPartB*>(&part) != nullptr ? 1
                                  : dynamic_cast<TBulletPartC*>(&part) != nullptr ? 2
                                                                                  : 3;
            cells.push_back(TShotProbe::Cell(part) - cellBase_[c]);
        }
        return cells;
    }
};

// The quad's (u, v) for cell offsets (u0, v0) and a cell size.
std::vector<float> Expected(float u0, float v0, float cu, float cv)
{
    return {u0 + cu, v0 + cv, u0 + cu, v0, u0, v0, u0, v0 + cv};
}

std::vector<std::uint32_t> Range(std::uint32_t first, std::uint32_t last)
{
    std::vector<std::uint32_t> out(last - first + 1);
    std::iota(out.begin(), out.end(), first);
    return out;
}

TEST_F(BulletParts, EachClassCountsItsOwnCells)
{
    TShotB b0("effect.ptx/dark", 60, 7, true, kOne);
    TShotB b1("effect.ptx/dark", 60, 7, true, kOne);
    TShotC c0("effect.ptx/fire", 60, 3, true, kOne);
    TShotB b2("effect.ptx/soil", 60, 7, true, kOne);
    TShotA a0("effect.ptx/smoke", 60, 2, true, kOne);
    TShotH h0("effect.ptx/darksmoke", 60, 3, true, kOne);
    EXPECT_EQ(Cells(b0), Range(0, 6));
    EXPECT_EQ(Cells(b1), Range(7, 13));
    EXPECT_EQ(Cells(b2), Range(14, 20));
    EXPECT_EQ(Cells(c0), Range(0, 2));
    EXPECT_EQ(Cells(a0), Range(0, 1));
    EXPECT_EQ(Cells(h0), Range(0, 2));
    EXPECT_EQ(TRunState::Current().bulletPartCounters[1], cellBase_[1] + 21);
    EXPECT_EQ(TRunState::Current().bulletPartCounters[2], cellBase_[2] + 3);
}

TEST_F(BulletParts, CellAddressingAtTheAtlasBounds)
{
    // 2 × 2: k = 0..3 visit the four quarters, 4 wraps to the first.
    TShotB grid("effect.ptx/dark", 60, 5, true, kOne);
    const float quarters[5][2] = {{0.0F, 0.0F}, {0.0F, 0.5F}, {0.5F, 0.0F}, {0.5F, 0.5F}, {0.0F, 0.0F}};
    for (std::size_t k = 0; k < 5; ++k) {
        EXPECT_EQ(QuadUv(TShotProbe::Mesh(grid.GetPart(k))), Expected(quarters[k][0], quarters[k][1], 0.5F, 0.5F)) << k;
    }
    // One picture: the u offset alternates 0, 1.0 and wraps back to 0 (the addressing repeats).
    TShotA single("effect.ptx/smoke", 60, 3, true, kOne);
    TShotH other("effect.ptx/darksmoke", 60, 3, true, kOne);
    for (std::size_t k = 0; k < 3; ++k) {
        const float u0 = (k & 1) != 0 ? 1.0F : 0.0F;
        EXPECT_EQ(QuadUv(TShotProbe::Mesh(single.GetPart(k))), Expected(u0, 0.0F, 1.0F, 1.0F)) << k;
        EXPECT_EQ(QuadUv(TShotProbe::Mesh(other.GetPart(k))), Expected(u0, 0.0F, 1.0F, 1.0F)) << k;
    }
    // Large counters wrap the same way.
    const TBulletPartCells cells = {0.5F, 0.5F, 0, true};
    float u = -1.0F;
    float v = -1.0F;
    TParticleBulletPart::CellOffsets(cells, 0xFFFFFFFFu, &u, &v);
    EXPECT_EQ(u, 0.5F);
    EXPECT_EQ(v, 0.5F);
}

TEST_F(BulletParts, TrailPartsStepACellAFrameTheHeadNever)
{
    Register<TShotC>(300, "effect.ptx/fire", 60, 3, true, kOne);
    Register<TShotA>(52, "effect.ptx/smoke", 60, 3, true, kOne);
    auto* shot = Fire<TShotC>(300, D3DXVECTOR3(0, 0, 0));
    auto* plain = Fire<TShotA>(52, D3DXVECTOR3(0, 0, 0));
    // Clones draw their prototype's cells.
    EXPECT_EQ(Cells(*shot), Range(0, 2));
    EXPECT_EQ(Cells(*plain), Range(0, 2));
    for (int frame = 0; frame < 5; ++frame) {
        shot->Update();
        plain->Update();
    }
    EXPECT_EQ(Cells(*shot), (std::vector<std::uint32_t>{0, 6, 7}));
    EXPECT_EQ(QuadUv(TShotProbe::Mesh(shot->GetPart(1))), Expected(0.5F, 0.0F, 0.5F, 0.5F));  // cell 6
    EXPECT_EQ(QuadUv(TShotProbe::Mesh(shot->GetPart(0))), Expected(0.0F, 0.0F, 0.5F, 0.5F));
    EXPECT_EQ(Cells(*plain), Range(0, 2));
    // The prototype's class counter is untouched by animation.
    EXPECT_EQ(TRunState::Current().bulletPartCounters[2], cellBase_[2] + 3);
}

TEST_F(BulletParts, CopiesOwnTheirFrameAndVerticesAssignmentShares)
{
    auto* proto = Register<TShotB>(56, "effect.ptx/star", 60, 2, true, kOne);
    auto* shot = Fire<TShotB>(56, D3DXVECTOR3(0, 0, 0));
    TBulletPartB& original = TShotProbe::TypedPart(*proto, 1);
    TBulletPartB& copy = TShotProbe::TypedPart(*shot, 1);
    EXPECT_NE(copy.GetFrame(), original.GetFrame());
    EXPECT_EQ(copy.GetFrame()->GetName(), "BullFrm");
    EXPECT_EQ(TShotProbe::Mesh(copy), copy.GetFrame()->FindMesh("BullMsh", false));
    EXPECT_NE(TShotProbe::Material(copy), TShotProbe::Material(original));
    // Animating the copy leaves the prototype's quad as it was.
    shot->Update();
    EXPECT_EQ(TShotProbe::Cell(copy) - cellBase_[1], 2u);
    EXPECT_EQ(QuadUv(TShotProbe::Mesh(original)), Expected(0.0F, 0.5F, 0.5F, 0.5F));

    TBulletPartB assigned = original;
    EXPECT_NE(assigned.GetFrame(), original.GetFrame());
    assigned = copy;
    EXPECT_EQ(assigned.GetFrame(), copy.GetFrame());
    EXPECT_EQ(TShotProbe::Mesh(assigned), TShotProbe::Mesh(copy));
    EXPECT_EQ(TShotProbe::Colour(assigned)[0], TShotProbe::Colour(copy)[0]);
}

TEST_F(BulletParts, ParkedPartKeepsItsParent)
{
    Register<TShotC>(300, "effect.ptx/fire", 60, 2, false, kOne);
    const D3DXVECTOR3 at(3.0F, 1.0F, -2.0F);
    auto* shot = Fire<TShotC>(300, at, D3DXVECTOR3(1.0F, 0.0F, 0.0F));
    TBulletPart& part = shot->GetPart(1);
    part.Park();
    EXPECT_EQ(part.GetFrame()->GetParent(), shot->GetFrame());
    D3DXMATRIX root;
    shot->GetFrame()->GetWorldMatrix(&root);
    D3DXVECTOR3 expected;
    const D3DXVECTOR3 parked(-1000.0F, -1000.0F, -1000.0F);
    D3DXVec3TransformCoord(&expected, &parked, &root);
    effecttest::ExpectNear(WorldOf(part), expected, 1e-2F);
    EXPECT_GT(std::fabs(WorldOf(part).x - WorldOf(part).z), 1.0F);  // the root's turn shows
}

TEST_F(BulletParts, ZeroScaleIsInvisibleButFliesAndCarriesItsHit)
{
    const float none[3] = {0.0F, 0.0F, 0.0F};
    Register<TShotI>(1100, "effect.ptx/smoke", 60, 1, true, none);
    auto* shot = Fire<TShotI>(1100, D3DXVECTOR3(0, 0, 0));
    TMesh8* mesh = TShotProbe::Mesh(shot->GetPart(0));
    const auto* v = static_cast<const std::uint8_t*>(mesh->LockVerticesReadOnly(0));
    const UINT stride = D3DXGetFVFVertexSize(mesh->GetFVF());
    for (std::uint16_t i = 0; i < mesh->GetVertexCount(); ++i) {
        D3DXVECTOR3 p;
        std::memcpy(&p.x, v + i * stride, 3 * sizeof(float));
        effecttest::ExpectNear(p, D3DXVECTOR3(0, 0, 0), 0.0F);
    }
    shot->SetMotion(std::make_unique<TAccelMotion>(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, -1), 0.5F, 0.0F));
    TRefPtr<TAttackHit> hit = HitOn(shot, 3);
    shot->SetAttackHit(hit);
    shot->Update();
    shot->Update();
    D3DXVECTOR3 p;
    TMapProbe::Frame(*hit)->GetWorldPosition(&p);
    effecttest::ExpectNear(p, D3DXVECTOR3(0.0F, 0.0F, 1.0F));
}

}  // namespace
}  // namespace shottest
