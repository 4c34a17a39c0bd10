// The smash effect: pieces and their velocities in every mode, the wait and its end records, the
// break frame by frame with its fade, persistent clones and the mesh scale.
#include <gtest/gtest.h>

#include <cmath>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Effect/TSmashEffect.h"
#include "effect_area_fixture.h"
#include "formats/byte_writer.h"
#include "support/effect_probe.h"

namespace effecttest {
namespace {

constexpr std::uint32_t kSmashId = 700;
constexpr std::uint32_t kEndId = 54;

// The generated shard: four corners, four triangles.
const D3DXVECTOR3 kShard[4] = {{0.0F, 0.1F, 0.0F}, {-0.1F, -0.05F, 0.0F}, {0.1F, -0.05F, 0.0F}, {0.0F, 0.0F, 0.6F}};
const std::uint16_t kShardFaces[4][3] = {{0, 1, 2}, {0, 3, 1}, {1, 3, 2}, {2, 3, 0}};

D3DXVECTOR3 Unit(const D3DXVECTOR3& v)
{
    const double len = std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z);
    return D3DXVECTOR3(float(v.x / len), float(v.y / len), float(v.z / len));
}

D3DXVECTOR3 Velocity(const TSmashPiece& piece)
{
    return D3DXVECTOR3(piece.velocity[0], piece.velocity[1], piece.velocity[2]);
}

std::vector<float> Positions(TMesh8* mesh)
{
    const auto* v = static_cast<const float*>(mesh->LockVerticesReadOnly(0));
    std::vector<float> out;
    for (std::uint16_t i = 0; i < mesh->GetVertexCount(); ++i) {
        out.insert(out.end(), v + i * 6, v + i * 6 + 3);
    }
    mesh->UnlockVertices(0, false);
    return out;
}

const float kWhite[4] = {1.0F, 1.0F, 1.0F, 1.0F};

const D3DCOLORVALUE& Emissive(TSmashEffect* e) { return TEffectProbe::Mesh(*e)->GetMaterial(0).GetMaterial().Emissive; }

class SmashTest : public EffectAreaTest {
protected:
    TSmashEffect* Start(TSmashEffect* prototype, const float colour[4] = kWhite)
    {
        Add(kSmashId, prototype);
        return static_cast<TSmashEffect*>(
            Create(kSmashId, D3DXVECTOR3(1.0F, 2.0F, 3.0F), D3DXVECTOR3(1.0F, 0.0F, 0.0F), colour));
    }
};

TEST_F(SmashTest, PiecesGetTheirCornersAndAVelocityByModeAndNeverNaN)
{
    const float speed = 0.5F;
    TSmashEffect outward("ice01_mesh.msh", 10, 1, speed, 0.0F, 0.1F, TSmashEffect::kOutward, false, nullptr);
    TSmashEffect normal("ice01_mesh.msh", 10, 1, speed, 0.0F, 0.1F, TSmashEffect::kFaceNormal, false, nullptr);
    init_genrand(5489);
    TSmashEffect random("ice01_mesh.msh", 10, 1, speed, 0.0F, 0.1F, TSmashEffect::kRandom, false, nullptr);
    TSmashEffect still3("ice01_mesh.msh", 10, 1, speed, 0.0F, 0.1F, 3, false, nullptr);
    TSmashEffect stillNeg("ice01_mesh.msh", 10, 1, speed, 0.0F, 0.1F, -1, false, nullptr);

    ASSERT_EQ(TEffectProbe::PieceCount(outward), 4u);
    ASSERT_NE(TEffectProbe::Mesh(outward), nullptr);
    EXPECT_EQ(TEffectProbe::Mesh(outward)->GetName(), "smash_obj");
    EXPECT_EQ(outward.GetFrame()->GetName(), "smash_root");

    float sphere[5];
    TEffectProbe::Mesh(outward)->GetBoundingSphere(sphere, nullptr);
    const D3DXVECTOR3 centre(sphere[0], sphere[1], sphere[2]);
    init_genrand(5489);
    for (std::uint32_t f = 0; f < 4; ++f) {
        const D3DXVECTOR3& p = kShard[kShardFaces[f][0]];
        const D3DXVECTOR3& q = kShard[kShardFaces[f][1]];
        const D3DXVECTOR3& r = kShard[kShardFaces[f][2]];
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(TEffectProbe::Piece(normal, f).corner[k], 6.0F * kShardFaces[f][k]);
        }
        ExpectNear(Velocity(TEffectProbe::Piece(outward, f)), Unit((p + q + r) * (1.0F / 3.0F) - centre) * speed);
        D3DXVECTOR3 n;
        const D3DXVECTOR3 pq = p - q;
        const D3DXVECTOR3 pr = p - r;
        D3DXVec3Cross(&n, &pq, &pr);
        ExpectNear(Velocity(TEffectProbe::Piece(normal, f)), Unit(n) * speed);
        float draws[3];
        for (float& d : draws) {
            const std::uint32_t half = genrand_int32() >> 1;
            d = (half & 1u) != 0 ? float(half) : -float(half);
        }
        ExpectNear(Velocity(TEffectProbe::Piece(random, f)), Unit(D3DXVECTOR3(draws[0], draws[1], draws[2])) * speed);
        ExpectNear(Velocity(TEffectProbe::Piece(still3, f)), D3DXVECTOR3(0, 0, 0), 0.0F);
        ExpectNear(Velocity(TEffectProbe::Piece(stillNeg, f)), D3DXVECTOR3(0, 0, 0), 0.0F);
    }
    // The first face lies in z = 0: (P - Q) x (P - R) points along +z.
    EXPECT_NEAR(TEffectProbe::Piece(normal, 0).velocity[2], speed, 1e-6F);

    // A degenerate triangle flies nowhere rather than NaN.
    qmtest::MeshFile f = qmtest::EffectQuadMesh("flat");
    f.keyFrames[0][3] = f.keyFrames[0][1];  // the second triangle collapses onto a line
    f.keyFrames[0][2] = {0.5F, 0.5F, 0.0F, 0xFFFFFFFFu, 0.0F, 0.0F};
    f.Save((dir_.Path() / "msh/effect/flat.msh").string());
    for (std::int32_t mode : {TSmashEffect::kOutward, TSmashEffect::kFaceNormal}) {
        TSmashEffect flat("flat.msh", 1, 1, 1.0F, 0.0F, 0.1F, mode, false, nullptr);
        for (std::uint32_t p = 0; p < TEffectProbe::PieceCount(flat); ++p) {
            for (float v : TEffectProbe::Piece(flat, p).velocity) {
                EXPECT_FALSE(std::isnan(v)) << "mode " << mode << " piece " << p;
            }
        }
        if (mode == TSmashEffect::kFaceNormal) {
            ExpectNear(Velocity(TEffectProbe::Piece(flat, 1)), D3DXVECTOR3(0, 0, 0), 0.0F);
        }
    }
}

TEST_F(SmashTest, TheWaitEndsAtItsDurationAndRaisesTheEndRecordsAlongTheWorldAxes)
{
    TSmashEffect* smash = Start(new TSmashEffect("rock01_mesh.msh", 6, 2, 0.1F, 0.01F, 0.1F, 0, false, nullptr));
    EXPECT_EQ(TEffectProbe::Area(*smash), area_.get());
    const D3DXVECTOR3 offsets[3] = {{1.0F, 0.0F, 0.0F}, {0.0F, 1.0F, 0.0F}, {0.0F, 0.0F, 1.0F}};
    const D3DXVECTOR3 scale(3.0F, 3.0F, 3.0F);
    const float tint[4] = {0.1F, 0.2F, 0.3F, 0.4F};
    for (const D3DXVECTOR3& o : offsets) {
        smash->AddEndEffect(kEndId, &o, &scale, tint);
    }
    const std::vector<float> whole = Positions(TEffectProbe::Mesh(*smash));
    ASSERT_TRUE(smash->Update());
    ASSERT_TRUE(smash->Update());
    EXPECT_FALSE(smash->IsShattering());
    EXPECT_TRUE(CallsOf(kEndId).empty());
    ASSERT_TRUE(smash->Update());  // 6 >= 6
    EXPECT_TRUE(smash->IsShattering());
    EXPECT_EQ(Positions(TEffectProbe::Mesh(*smash)), whole) << "the break starts with the next update";
    const std::vector<TEffectCreateCall> calls = CallsOf(kEndId);
    ASSERT_EQ(calls.size(), 3u);
    // Heading +x: X axis world -z, Y up, Z world +x.
    ExpectNear(calls[0].position, D3DXVECTOR3(1.0F, 2.0F, 2.0F));
    ExpectNear(calls[1].position, D3DXVECTOR3(1.0F, 3.0F, 3.0F));
    ExpectNear(calls[2].position, D3DXVECTOR3(2.0F, 2.0F, 3.0F));
    ExpectNear(calls[2].direction, D3DXVECTOR3(1.0F, 0.0F, 0.0F));
    EXPECT_EQ(calls[1].parent, area_->Scene());
    EXPECT_EQ(calls[1].scale[2], 3.0F);
    EXPECT_EQ(calls[1].colour[3], 0.4F);
    ASSERT_TRUE(smash->Update());
    EXPECT_NE(Positions(TEffectProbe::Mesh(*smash)), whole);
}

TEST_F(SmashTest, PiecesFlyStraightAndFallFasterEachFrame)
{
    // The ribbon's triangles share no corner, so each vertex moves once a frame.
    const float gravity = 0.01F;
    TSmashEffect* smash = Start(new TSmashEffect("thunder.msh", 1, 1, 0.2F, gravity, 0.1F, 1, false, nullptr));
    const std::vector<float> start = Positions(TEffectProbe::Mesh(*smash));
    ASSERT_TRUE(smash->Update());
    for (int frame = 1; frame <= 3; ++frame) {
        ASSERT_TRUE(smash->Update());
    }
    const std::vector<float> now = Positions(TEffectProbe::Mesh(*smash));
    const TSmashPiece& piece = TEffectProbe::Piece(*smash, 0);
    const auto corner = static_cast<std::size_t>(piece.corner[0] / 6.0F);
    // Three frames: 3 x velocity, and 1 + 2 + 3 falls of the gravity.
    EXPECT_NEAR(now[corner * 3 + 0], start[corner * 3 + 0] + 3.0F * piece.velocity[0], 1e-5F);
    EXPECT_NEAR(now[corner * 3 + 1], start[corner * 3 + 1] + 3.0F * piece.velocity[1] - 6.0F * gravity, 1e-5F);
    EXPECT_NEAR(now[corner * 3 + 2], start[corner * 3 + 2] + 3.0F * piece.velocity[2], 1e-5F);
    EXPECT_NEAR(TEffectProbe::Fall(*smash), 3.0F * gravity, 1e-7F);
}

TEST_F(SmashTest, TheBreakEndsWhenTheFirstCountedComponentIsUsedUpAndAKillIsUndone)
{
    struct Case {
        bool alphaMode;
        float colour[4];
        int lastUpdate;  // updates of the break until it answers false
    };
    const Case cases[] = {
        {false, {1.0F, 0.5F, 1.0F, 0.1F}, 3},    // green below zero on the third; the alpha does not count
        {true, {1.0F, 0.5F, 1.0F, 0.1F}, 1},     // the alpha counts
        {true, {1.0F, 1.0F, 1.0F, 0.75F}, 4},    // 0.5, 0.25, 0, then below
        {false, {0.25F, 0.25F, 0.25F, 1.0F}, 2}, // reaching 0 is not yet below
    };
    for (const Case& c : cases) {
        TSmashEffect* smash = Start(new TSmashEffect("rock01_mesh.msh", 1, 1, 0.1F, 0.0F, 0.25F, 0, c.alphaMode,
                                                     nullptr),
                                    c.colour);
        EXPECT_EQ(TEffectProbe::Mesh(*smash)->GetMaterial(0).GetMaterialType(),
                  c.alphaMode ? TMeshMaterial::kAlphaNotCull : TMeshMaterial::kAdd);
        ASSERT_TRUE(smash->Update());  // the wait
        int updates = 0;
        bool alive = true;
        while (alive && updates < 10) {
            smash->Kill();
            alive = smash->Update();
            ++updates;
        }
        EXPECT_EQ(updates, c.lastUpdate) << "alpha mode " << c.alphaMode << " green " << c.colour[1];
        for (int k = 0; k < 3; ++k) {
            EXPECT_GE(TEffectProbe::Colour(*smash)[k], 0.0F);
        }
        if (c.alphaMode) {
            EXPECT_GE(Emissive(smash).a, 0.0F);
            EXPECT_EQ(Emissive(smash).a, TEffectProbe::Colour(*smash)[3]);
        } else {
            EXPECT_EQ(Emissive(smash).g, TEffectProbe::Colour(*smash)[1]);
        }
        Manager().Clear();
    }
}

TEST_F(SmashTest, PersistentPrototypesGiveClonesThatBreakAtOnceAndLeaveTheColourAlone)
{
    const float colour[4] = {1.0F, 1.0F, 1.0F, 0.5F};
    auto* prototype = new TSmashEffect("gareki00.msh", TSmashEffect::kPersist, 1, 0.1F, 0.0F, 0.25F, 0, true, nullptr);
    TSmashEffect* smash = Start(prototype, colour);
    EXPECT_FALSE(TEffectProbe::IsPersistent(*prototype));
    EXPECT_TRUE(TEffectProbe::IsPersistent(*smash));
    EXPECT_EQ(TEffectProbe::Duration(*smash), 1u);
    EXPECT_EQ(TEffectProbe::Mesh(*smash)->GetMaterial(0).GetMaterialType(), TMeshMaterial::kDestInverse);
    const float fileAlpha = TEffectProbe::Mesh(*prototype)->GetMaterial(0).GetMaterial().Emissive.a;
    ASSERT_TRUE(smash->Update());
    EXPECT_TRUE(smash->IsShattering());
    ASSERT_TRUE(smash->Update());
    EXPECT_EQ(TEffectProbe::Colour(*smash)[3], 0.25F) << "it still fades inside";
    EXPECT_EQ(Emissive(smash).a, fileAlpha);
    ASSERT_TRUE(smash->Update());
    EXPECT_FALSE(smash->Update());
    EXPECT_EQ(Emissive(smash).a, fileAlpha);
}

TEST_F(SmashTest, AMeshScaleOfLengthZeroOrOneLeavesTheMeshAsItIs)
{
    const TSmashEffect plain("meteo.msh", 1, 1, 0.1F, 0.0F, 0.1F, 0, false, nullptr);
    const std::vector<float> file = Positions(TEffectProbe::Mesh(plain));
    const float unscaled[][3] = {{0.0F, 0.0F, 0.0F}, {1.0F, 0.0F, 0.0F}, {0.0F, 0.0F, -1.0F}};
    for (const auto& s : unscaled) {
        const TSmashEffect e("meteo.msh", 1, 1, 0.1F, 0.0F, 0.1F, 0, false, s);
        EXPECT_EQ(Positions(TEffectProbe::Mesh(e)), file) << s[0] << " " << s[1] << " " << s[2];
    }
    const float twice[3] = {2.0F, 2.0F, 2.0F};
    const TSmashEffect big("meteo.msh", 1, 1, 0.1F, 0.0F, 0.1F, 0, false, twice);
    const std::vector<float> scaled = Positions(TEffectProbe::Mesh(big));
    for (std::size_t i = 0; i < file.size(); ++i) {
        EXPECT_NEAR(scaled[i], 2.0F * file[i], 1e-6F);
    }
}

TEST_F(SmashTest, ClonesNeverMoveEachOthersVertices)
{
    auto* prototype = new TSmashEffect("ice01_mesh.msh", 1, 1, 0.3F, 0.01F, 0.01F, 1, false, nullptr);
    TSmashEffect* a = Start(prototype);
    auto* b = static_cast<TSmashEffect*>(Create(kSmashId, D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 1), kWhite));
    const std::vector<float> before = Positions(TEffectProbe::Mesh(*prototype));
    EXPECT_NE(a->GetFrame(), b->GetFrame());
    EXPECT_EQ(TEffectProbe::PieceCount(*a), 4u);
    for (int i = 0; i < 5; ++i) {
        a->Update();
    }
    EXPECT_NE(Positions(TEffectProbe::Mesh(*a)), before);
    EXPECT_EQ(Positions(TEffectProbe::Mesh(*b)), before);
    EXPECT_EQ(Positions(TEffectProbe::Mesh(*prototype)), before);
}

}  // namespace
}  // namespace effecttest
