// The catalogue as the manager builds it on the generated effect folder: which ids hold which class,
// the chains between rows, rows told apart by one value, the one-phase fades and the endless bolt,
// the invisible carriers and the atlas cells handed out in id order.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "MainCode/Effect/TArrowEffect.h"
#include "MainCode/Effect/TFrameAnimEffect.h"
#include "MainCode/Effect/TParticleEffect.h"
#include "MainCode/Effect/TRayEffect.h"
#include "MainCode/Effect/TSmashEffect.h"
#include "MainCode/Effect/TSpawnPathEffect.h"
#include "MainCode/Effect/TThunderEffect.h"
#include "MainCode/Shot/TShotJ.h"
#include "MainCode/Shot/TShots.h"
#include "MainCode/Shot/TStarShot.h"
#include "MainCode/TRunState.h"
#include "effect_area_fixture.h"
#include "platform/d3dx8/d3dx8core.h"
#include "support/effect_probe.h"
#include "support/shot_probe.h"

namespace effecttest {
namespace {

const float kWhite[4] = {1.0F, 1.0F, 1.0F, 1.0F};

class CatalogueTest : public EffectAreaTest {
protected:
    TEffect* Start(std::uint32_t id) { return Create(id, D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 1), kWhite); }
    // Position of vertex i of key frame 0.
    static D3DXVECTOR3 Vertex(TMesh8* mesh, std::uint16_t i)
    {
        const auto* v = static_cast<const std::uint8_t*>(mesh->LockVerticesReadOnly(0));
        D3DXVECTOR3 p;
        std::memcpy(&p.x, v + i * D3DXGetFVFVertexSize(mesh->GetFVF()), sizeof(float) * 3);
        return p;
    }
};

TEST_F(CatalogueTest, HoldsExactlyTheCatalogueIdsEachUnderItsOwnId)
{
    EXPECT_EQ(TEffectProbe::PrototypeCount(Manager()), 193u);
    for (std::uint32_t id : TEffectManager::GetCatalogueIds()) {
        EXPECT_NE(Manager().FindPrototype(id).Get(), nullptr) << id;
    }
    for (std::uint32_t id : {7u, 40u, 124u, 226u, 999u}) {
        EXPECT_EQ(Manager().FindPrototype(id).Get(), nullptr) << id;
    }
}

TEST_F(CatalogueTest, EveryGroupHoldsItsClassAtBothEnds)
{
    const auto plainBurst = [&](std::uint32_t id) { return Is<TParticleEffect>(id) && !Is<TAlphaParticleEffect>(id); };
    const auto plainAnim = [&](std::uint32_t id) { return Is<TColourAnimEffect>(id) && !Is<TAlphaAnimEffect>(id); };
    const std::pair<std::vector<std::uint32_t>, std::function<bool(std::uint32_t)>> groups[] = {
        // Element sparks: element 0 is the plain burst, soil (4) and dark (6) fade alpha.
        {{0, 1, 3, 5, 10, 20, 21, 25, 30, 31, 34, 35, 50, 53, 55, 900, 910}, plainBurst},
        {{4, 6, 14, 16, 24, 26, 32, 33, 51, 54, 911, 915},
         [&](std::uint32_t id) { return Is<TAlphaParticleEffect>(id); }},
        {{122}, [&](std::uint32_t id) { return Is<TJitterParticleEffect>(id); }},
        {{100, 109, 119, 600, 603}, plainAnim},
        {{120, 123}, [&](std::uint32_t id) { return Is<TAlphaAnimEffect>(id) && !Is<TThunderEffect>(id); }},
        {{121}, [&](std::uint32_t id) { return Is<TThunderEffect>(id); }},
        {{200, 208, 216, 222}, [&](std::uint32_t id) { return Is<TIceAnimEffect>(id); }},
        {{204, 212, 224}, [&](std::uint32_t id) { return Is<TEdgeAnimEffect>(id); }},
        {{210, 214}, [&](std::uint32_t id) { return Is<TSpawnPathEffect>(id); }},
        {{201, 211, 225, 501, 513, 700, 708, 2001}, [&](std::uint32_t id) { return Is<TMeshEffect>(id); }},
        {{2000}, [&](std::uint32_t id) { return Is<TSmashEffect>(id) && !Is<TMeshEffect>(id); }},
        {{1000, 1001}, [&](std::uint32_t id) { return Is<TArrowEffect>(id); }},
        {{10000}, [&](std::uint32_t id) { return Is<TRayEffect>(id); }},
        // Shots at the ends of their runs.
        {{52, 56, 300, 330, 400, 414, 450, 456, 500, 512, 550, 552, 800, 809, 1100},
         [&](std::uint32_t id) { return Is<TShot>(id); }},
        {{501, 1001, 2001, 10000}, [&](std::uint32_t id) { return !Is<TShot>(id); }},
    };
    for (const auto& [ids, is] : groups) {
        for (std::uint32_t id : ids) {
            EXPECT_TRUE(is(id)) << id;
        }
    }
}

// Every row's arguments, checked whole by sums per class worked out from the design's table: burst
// counts and steps, shot flights and parts, mesh durations, arrow frames, and how many updates each
// phased animation lives (its ends, steps and loops together); plain and weighted by the id.
TEST_F(CatalogueTest, EveryRowsArgumentsShowInTheSumsOfItsClass)
{
    struct Sum {
        int rows = 0;
        std::int64_t a = 0, idA = 0, b = 0, idB = 0;
        void Add(std::int64_t id, std::int64_t va, std::int64_t vb)
        {
            ++rows;
            a += va;
            idA += id * va;
            b += vb;
            idB += id * vb;
        }
    };
    Sum bursts, shots, meshes, arrows, anims;
    for (std::uint32_t id : TEffectManager::GetCatalogueIds()) {
        TRefPtr<TEffect> e = Manager().FindPrototype(id);
        if (auto* burst = dynamic_cast<TParticleEffect*>(e.Get())) {
            bursts.Add(id, TEffectProbe::Count(*burst), std::lround(TEffectProbe::Step(*burst) * 1000.0F));
        } else if (auto* shot = dynamic_cast<TShot*>(e.Get())) {
            shots.Add(id, shot->GetFlightFrames(), static_cast<std::int64_t>(shot->GetPartCount()));
        } else if (auto* mesh = dynamic_cast<TSmashEffect*>(e.Get())) {
            meshes.Add(id, id == 2001 ? 0 : TEffectProbe::Duration(*mesh), 0);
            EXPECT_EQ(TEffectProbe::IsPersistent(*mesh), id == 2001) << id;  // duration -1
        } else if (auto* arrow = dynamic_cast<TArrowEffect*>(e.Get())) {
            arrows.Add(id, TEffectProbe::FramesLeft(*arrow), 0);
        } else if (dynamic_cast<TColourAnimEffect*>(e.Get()) != nullptr && id != 121) {
            anims.Add(id, UpdatesUntilDone(Start(id), 2000), 0);
        }
    }
    const auto expect = [](const Sum& s, std::vector<std::int64_t> want) {
        EXPECT_EQ((std::vector<std::int64_t>{s.rows, s.a, s.idA, s.b, s.idB}), want);
    };
    expect(bursts, {49, 488, 250934, 1481, 377805});
    expect(shots, {70, 3750, 1715810, 506, 218051});
    expect(meshes, {31, 3755, 2478532, 0, 0});
    expect(arrows, {2, 37, 37027, 0, 0});
    expect(anims, {26, 2220, 308696, 0, 0});
}

TEST_F(CatalogueTest, ChainsNameTheNextRow)
{
    const std::uint32_t frames[] = {200, 202, 204, 206, 208, 210, 212, 214, 216, 218, 220, 222};
    for (std::uint32_t id : frames) {
        TRefPtr<TEffect> clone = Manager().FindPrototype(id);
        auto* owned = dynamic_cast<TOwnedAnimEffect*>(clone.Get());
        ASSERT_NE(owned, nullptr) << id;
        EXPECT_EQ(TEffectProbe::FollowId(*owned), static_cast<std::int32_t>(id + 1)) << id;
    }
    // The second edge ends in the first one's mesh effect.
    TRefPtr<TEffect> edge = Manager().FindPrototype(224);
    EXPECT_EQ(TEffectProbe::FollowId(*dynamic_cast<TOwnedAnimEffect*>(edge.Get())), 205);
    for (std::uint32_t id = 500; id <= 512; id += 2) {
        TRefPtr<TEffect> rock = Manager().FindPrototype(id);
        EXPECT_EQ(TShotProbe::EndEffectId(*dynamic_cast<TShotJ*>(rock.Get())), static_cast<std::int32_t>(id + 1)) << id;
    }
    TRefPtr<TEffect> smoke = Manager().FindPrototype(550);
    EXPECT_EQ(TShotProbe::BurstIdA(*dynamic_cast<TShotM*>(smoke.Get())), 109);
    EXPECT_EQ(TShotProbe::BurstIdB(*dynamic_cast<TShotM*>(smoke.Get())), -1);
    EXPECT_EQ(TShotProbe::SoundId(*dynamic_cast<TShotM*>(smoke.Get())), -1);
    for (std::uint32_t id : {551u, 552u}) {
        TRefPtr<TEffect> star = Manager().FindPrototype(id);
        EXPECT_EQ(TShotProbe::BurstIdA(*dynamic_cast<TShotN*>(star.Get())), 114) << id;
    }
}

TEST_F(CatalogueTest, TheSecondEdgeMeshDiffersOnlyInItsScale)
{
    auto* plain = dynamic_cast<TMeshEffect*>(Start(205));
    auto* large = dynamic_cast<TMeshEffect*>(Start(225));
    ASSERT_NE(plain, nullptr);
    ASSERT_NE(large, nullptr);
    EXPECT_EQ(TEffectProbe::Duration(*plain), TEffectProbe::Duration(*large));
    EXPECT_EQ(TEffectProbe::IsAlphaMode(*plain), TEffectProbe::IsAlphaMode(*large));
    EXPECT_TRUE(TEffectProbe::IsAlphaMode(*plain));
    ASSERT_EQ(TEffectProbe::Mesh(*plain)->GetVertexCount(), TEffectProbe::Mesh(*large)->GetVertexCount());
    for (std::uint16_t i = 0; i < TEffectProbe::Mesh(*plain)->GetVertexCount(); ++i) {
        ExpectNear(Vertex(TEffectProbe::Mesh(*large), i), 1.5F * Vertex(TEffectProbe::Mesh(*plain), i));
    }
    EXPECT_EQ(UpdatesUntilDone(plain, 500), UpdatesUntilDone(large, 500));
}

TEST_F(CatalogueTest, OnePhaseFadesDieOnTheirUpdateAndTheBoltHoldsUntilFinish)
{
    EXPECT_EQ(UpdatesUntilDone(Start(109), 100), 26);
    EXPECT_EQ(UpdatesUntilDone(Start(114), 100), 51);
    TEffect* bolt = Start(121);
    EXPECT_EQ(UpdatesUntilDone(bolt, 600), 0);
    bolt->Finish();
    EXPECT_GT(UpdatesUntilDone(bolt, 600), 0);
    // The looping rings end by themselves.
    EXPECT_GT(UpdatesUntilDone(Start(116), 600), 0);
}

TEST_F(CatalogueTest, TheSmokeAndTheSilentCarrierAreInvisible)
{
    for (std::uint32_t id : {550u, 1100u}) {
        auto* shot = dynamic_cast<TShot*>(Start(id));
        ASSERT_NE(shot, nullptr) << id;
        ASSERT_EQ(shot->GetPartCount(), 1u);
        TMesh8* mesh = TShotProbe::Mesh(shot->GetPart(0));
        for (std::uint16_t i = 0; i < mesh->GetVertexCount(); ++i) {
            ExpectNear(Vertex(mesh, i), D3DXVECTOR3(0, 0, 0));
        }
    }
}

TEST_F(CatalogueTest, AFreshCatalogueHandsOutCellsInIdOrder)
{
    const std::uint32_t atlas = TRunState::Current().particleAtlasCounter;
    const std::uint32_t b = TRunState::Current().bulletPartCounters[1];
    TEffectManager fresh;
    // Every textured burst of the catalogue takes one cell a particle, once.
    EXPECT_EQ(TRunState::Current().particleAtlasCounter - atlas, 467u);
    // The B parts: 56 takes cells 0..19, 304 (the first soil shot) the next seven; the C parts of 800
    // follow every C part built before it.
    TRefPtr<TEffect> star = fresh.FindPrototype(56);
    TRefPtr<TEffect> soil = fresh.FindPrototype(304);
    TRefPtr<TEffect> fire = fresh.FindPrototype(800);
    EXPECT_EQ(TShotProbe::Cell(TShotProbe::TypedPart(*dynamic_cast<TShotB*>(star.Get()), 0)), b);
    EXPECT_EQ(TShotProbe::Cell(TShotProbe::TypedPart(*dynamic_cast<TShotB*>(soil.Get()), 0)), b + 20);
    EXPECT_EQ(TShotProbe::Cell(TShotProbe::TypedPart(*dynamic_cast<TShotC*>(fire.Get()), 0)),
              TRunState::Current().bulletPartCounters[2] - 5 - 8 - 10 - 10 - 5);
}

}  // namespace
}  // namespace effecttest
