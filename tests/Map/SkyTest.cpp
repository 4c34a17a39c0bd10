// The sky dome: its fog range and scrolling, the fog it leaves behind, the software path's working
// copy, the dome hung in front of the camera, and the picture on both vertex paths.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <tuple>

#include "MainCode/Map/TCamera.h"
#include "MainCode/Map/TSky.h"
#include "TCommon/my_error.h"
#include "map_fixtures.h"
#include "support/dx_probe.h"
#include "support/golden.h"
#include "support/map_probe.h"
#include "formats/ptx_writer.h"

namespace {

constexpr D3DCOLOR kSkyFog = 0xFFC8D8F0;

// A canopy over x and z in -0.5..0.5 (the camera scales it to the far width), rising from 30 at the
// edges to 60 in the middle; both windings, so it shows from either side.
qmtest::MeshFile Dome(const std::string& texture)
{
    qmtest::MeshFile f;
    f.name = "sky00_00";
    qmtest::MeshMaterialRecord m = qmtest::MeshMaterial("sky", 1.0F, 1.0F, 1.0F, 1.0F, 0.0F);
    m.texture = texture;
    f.materials.push_back(m);
    // Fine enough that fog interpolated between vertices matches fog worked out per pixel.
    constexpr int n = 64;
    std::vector<qmtest::MeshVertex> v;
    for (int z = 0; z <= n; ++z) {
        for (int x = 0; x <= n; ++x) {
            const float fx = static_cast<float>(x) / n - 0.5F;
            const float fz = static_cast<float>(z) / n - 0.5F;
            const float rise = (1.0F - 4.0F * fx * fx) * (1.0F - 4.0F * fz * fz);
            const std::uint32_t colour = 0xFF000000u | static_cast<std::uint32_t>(120 + 100 * z / n) << 16 |
                                         static_cast<std::uint32_t>(160 + 80 * x / n) << 8 | 0xFFu;
            v.push_back({fx, 30.0F + 30.0F * rise, fz, colour, 0.0F, 0.0F});
        }
    }
    f.keyFrames.push_back(v);
    for (int z = 0; z < n; ++z) {
        for (int x = 0; x < n; ++x) {
            const auto i = static_cast<std::uint16_t>(z * (n + 1) + x);
            const auto up = static_cast<std::uint16_t>(i + n + 1);
            const std::uint16_t tris[4][3] = {{i, up, static_cast<std::uint16_t>(i + 1)},
                                              {static_cast<std::uint16_t>(i + 1), up, static_cast<std::uint16_t>(up + 1)},
                                              {i, static_cast<std::uint16_t>(i + 1), up},
                                              {static_cast<std::uint16_t>(i + 1), static_cast<std::uint16_t>(up + 1), up}};
            for (const auto& t : tris) {
                f.indices.insert(f.indices.end(), {t[0], t[1], t[2]});
                f.faceMaterials.push_back(0);
            }
        }
    }
    return f;
}

// 32 × 32 cloud squares: white quarters on blue.
qmtest::PtxImage Clouds()
{
    std::vector<qmtest::PtxColor> colours;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const bool white = (x < 16) == (y < 16);
            colours.push_back(white ? qmtest::PtxColor{250, 250, 250} : qmtest::PtxColor{90, 140, 230});
        }
    }
    return qmtest::PtxImage::FromPixels("clouds", 0, 32, 32, colours);
}

DWORD Bits(float f)
{
    DWORD d;
    std::memcpy(&d, &f, 4);
    return d;
}

class SkyTest : public maptest::MapDeviceFixture, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        MapDeviceFixture::SetUp();
        StartDepthDevice(GetParam());
        std::filesystem::create_directories("sky");
        std::filesystem::create_directories("ptx");
        TTexture8::SetDirectory("ptx/");
        qmtest::SaveBytes("ptx/sky.ptx", qmtest::BuildPtx({Clouds()}));
        Dome("sky.ptx/clouds").Save("sky/sky00_00.msh");
        qmtest::SaveStartupMeshes(".");
        std::filesystem::copy_file("data/msh04/sky/sky00.msh", "sky/sky00.msh");
        scene_ = NewFrame("Scene");
        target_ = NewFrame("CameraTarget");
        scene_->AddChild(target_);
        view_.SetProjection(0.5F, 300.0F, 60.0F, 640, 480);
    }
    void TearDown() override
    {
        TMapData::SetViewScale(1.0F);
        TSky().ReleaseShader();
        TTexture8::PurgeCache(1);
        TTexture8::SetDirectory("");
        MapDeviceFixture::TearDown();
    }
    // The camera frame placed by hand: at eye, looking at a point.
    static void Aim(TCamera& camera, TFrame* scene, const D3DXVECTOR3& eye, const D3DXVECTOR3& at)
    {
        camera.GetFrame()->SetPosition(eye);
        ASSERT_TRUE(camera.GetFrame()->LookAtPoint(scene, at, TFrame::kLookAim));
    }
    static D3DXVECTOR3 SkyAnchor(const TCamera& camera)
    {
        D3DXVECTOR3 p;
        TMapProbe::SkyFrame(camera)->GetPosition(&p);
        return p;
    }
    void DrawSky(TSky& sky, TMesh8& dome)
    {
        D3DXMATRIX world;
        D3DXMatrixTranslation(&world, 3.0F, 4.0F, 5.0F);
        d3d()->BeginScene();
        sky.DrawSubset(0, &dome, &view_, &world);
        d3d()->EndScene();
    }

    TRefPtr<TFrame> scene_{nullptr};
    TRefPtr<TFrame> target_{nullptr};
};

TEST_P(SkyTest, RangeFallsBackWhenTheFadeWouldNotRise)
{
    TSky sky(0.01F, 0.01F, 0, 0, 10.0F, 20.0F, kSkyFog);
    EXPECT_EQ(std::make_pair(TMapProbe::FadeStart(sky), TMapProbe::FadeEnd(sky)), std::make_pair(10.0F, 20.0F));
    for (float start : {20.0F, 25.0F}) {
        sky.SetRange(start, 20.0F);
        EXPECT_EQ(std::make_pair(TMapProbe::FadeStart(sky), TMapProbe::FadeEnd(sky)), std::make_pair(100000.0F, 110000.0F)) << start;
    }
    sky.SetRange(19.99F, 20.0F);
    EXPECT_EQ(std::make_pair(TMapProbe::FadeStart(sky), TMapProbe::FadeEnd(sky)), std::make_pair(19.99F, 20.0F));
}

TEST_P(SkyTest, OffsetsScrollAndWrapAtBothEnds)
{
    TMesh8 dome = TMesh8::Load("sky/sky00_00.msh");
    struct Case {
        float offset, speed, after;
    };
    const Case cases[] = {
        {0.95F, 0.1F, 0.0F},   // above 1: back to 0
        {0.9F, 0.1F, 1.0F},    // exactly 1 stays
        {0.05F, -0.1F, 1.0F},  // below 0: to 1
        {0.1F, -0.1F, 0.0F},   // exactly 0 stays
        {0.5F, 0.25F, 0.75F},
    };
    for (const Case& c : cases) {
        TSky sky(0.01F, 0.01F, c.speed, c.speed, 10.0F, 20.0F, kSkyFog);
        TMapProbe::SetOffsets(sky, c.offset, c.offset);
        DrawSky(sky, dome);
        EXPECT_NEAR(TMapProbe::OffsetU(sky), c.after, 1e-6F) << c.offset << " + " << c.speed;
        EXPECT_NEAR(TMapProbe::OffsetV(sky), c.after, 1e-6F) << c.offset << " + " << c.speed;
    }
}

TEST_P(SkyTest, DrawsWithItsOwnFogAndLeavesTheScenesFogAsItWas)
{
    TMesh8 dome = TMesh8::Load("sky/sky00_00.msh");
    TSky sky(0.01F, 0.01F, 0, 0, 120.0F, 180.0F, kSkyFog);
    for (bool fogOn : {true, false}) {
        d3d()->SetFog(fogOn, 10.0F, 50.0F, 0xFF112233);
        d3d()->ApplyFog(true);
        platform::EnableDrawLog(device(), true);
        platform::ClearDrawLog(device());
        DrawSky(sky, dome);
        const std::vector<platform::D3D8DrawRecord> log = platform::DrawLog(device());
        platform::EnableDrawLog(device(), false);

        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0].renderStates[D3DRS_FOGENABLE], static_cast<DWORD>(TRUE));
        EXPECT_EQ(log[0].renderStates[D3DRS_FOGCOLOR], kSkyFog);
        if (GetParam()) {
            EXPECT_EQ(log[0].vertexShader, TMapProbe::SkyShader());
            EXPECT_NE(TMapProbe::SkyShader(), 0u);
        } else {
            EXPECT_EQ(log[0].vertexShader, static_cast<DWORD>(0x142));
            EXPECT_EQ(log[0].renderStates[D3DRS_FOGSTART], Bits(120.0F));
            EXPECT_EQ(log[0].renderStates[D3DRS_FOGEND], Bits(180.0F));
        }

        bool enabled = !fogOn;
        float start = 0, end = 0;
        D3DCOLOR colour = 0;
        d3d()->GetFog(&enabled, &start, &end, &colour);
        EXPECT_EQ(std::make_tuple(enabled, start, end, colour),
                  std::make_tuple(fogOn, 10.0F, 50.0F, D3DCOLOR{0xFF112233}));
        EXPECT_EQ(RenderState(D3DRS_FOGENABLE), static_cast<DWORD>(fogOn ? TRUE : FALSE));
        EXPECT_EQ(RenderState(D3DRS_FOGCOLOR), 0xFF112233u);
        if (!GetParam()) {
            EXPECT_EQ(RenderState(D3DRS_FOGSTART), Bits(10.0F));
            EXPECT_EQ(RenderState(D3DRS_FOGEND), Bits(50.0F));
        }
    }
}

// The working copy serves the software path only.
class SoftwareSkyTest : public SkyTest {};

TEST_P(SoftwareSkyTest, WritesWorldMappedCoordinatesIntoAWorkingCopy)
{
    TMesh8 dome = TMesh8::Load("sky/sky00_00.msh");
    TSky sky(0.02F, 0.05F, 0.1F, 0.2F, 10.0F, 20.0F, kSkyFog);
    EXPECT_NE(TMapProbe::WorkingMesh(sky).GetName(), dome.GetName());
    DrawSky(sky, dome);
    const TMesh8& working = TMapProbe::WorkingMesh(sky);
    ASSERT_EQ(working.GetName(), dome.GetName());
    ASSERT_NE(working.GetGeometry(), dome.GetGeometry()) << "the dome's own vertices stay untouched";

    // World x and z of each vertex (the world moves by (3, 4, 5)), scaled, then offset by one step.
    const auto* in = static_cast<const std::uint8_t*>(dome.LockVerticesReadOnly(0));
    const auto* out = static_cast<const std::uint8_t*>(const_cast<TMesh8&>(working).LockVerticesReadOnly(0));
    ASSERT_NE(in, nullptr);
    ASSERT_NE(out, nullptr);
    for (std::uint32_t i = 0; i < dome.GetVertexCount(); i += 7) {
        float p[3], q[3], uv[2];
        std::memcpy(p, in + i * 24, sizeof p);
        std::memcpy(q, out + i * 24, sizeof q);
        std::memcpy(uv, out + i * 24 + 16, sizeof uv);
        EXPECT_NEAR(uv[0], (p[0] + 3.0F) * 0.02F + 0.1F, 1e-5F) << i;
        EXPECT_NEAR(uv[1], (p[2] + 5.0F) * 0.05F + 0.2F, 1e-5F) << i;
        EXPECT_EQ(std::make_pair(q[0], q[2]), std::make_pair(p[0], p[2])) << i;
    }
    dome.UnlockVertices(0, false);
    const_cast<TMesh8&>(working).UnlockVertices(0, false);
}

TEST_P(SkyTest, CreateSkyScalesTheDomeAndItsDistancesByTheViewSetting)
{
    TMapData::SetViewScale(0.6F);  // s = 0.8
    TFollowCamera camera(scene_.Get(), target_.Get(), &view_, 5.0F, 0, 2.0F);
    camera.CreateSky(30.0F, 5.0F, 30.0F, 0.0F, kSkyFog, 0.02F, 0.02F, 0.001F, 0.0F, "");
    ASSERT_NE(TMapProbe::Sky(camera), nullptr);
    TFrame* skyFrame = TMapProbe::SkyFrame(camera);
    EXPECT_EQ(skyFrame->GetName(), "SkyFrame");
    EXPECT_EQ(skyFrame->GetParent(), scene_.Get());
    ASSERT_EQ(skyFrame->GetMeshCount(), 1u);
    TMesh8* dome = skyFrame->GetMesh(0);
    EXPECT_EQ(TDxProbe::VertexShader(*dome), TMapProbe::Sky(camera));
    EXPECT_EQ(dome->GetMaterial(0).GetMaterialType(), TMeshMaterial::kZDisOpaque);
    EXPECT_EQ(dome->GetMaterial(0).GetDrawGroup(), 0);
    EXPECT_EQ(dome->GetMaterial(0).GetTexture().GetName(), "sky.ptx/clouds") << "no name: the mesh's own texture";

    // The last vertex, (0.5, 30, 0.5), scaled by (k, 1, k × 480 / 640).
    const float k = view_.GetFarWidth();
    const auto* v = static_cast<const float*>(dome->LockVerticesReadOnly(0));
    const std::uint32_t last = dome->GetVertexCount() - 1u;
    EXPECT_NEAR(v[last * 6 + 0], 0.5F * k, 1e-3F);
    EXPECT_NEAR(v[last * 6 + 1], 30.0F, 1e-5F);
    EXPECT_NEAR(v[last * 6 + 2], 0.5F * k * 0.75F, 1e-3F);
    dome->UnlockVertices(0, false);

    // Level view without fog: the far point 200 ahead, lifted 4; the eye lifted 24; the fade over
    // the last 24 units of the distance.
    d3d()->SetFog(false, 0.0F, 200.0F, 0);
    Aim(camera, scene_.Get(), D3DXVECTOR3(0, 5, 0), D3DXVECTOR3(0, 5, 10));
    camera.UpdateView();
    const D3DXVECTOR3 a = SkyAnchor(camera) - D3DXVECTOR3(0, 9, 200);
    EXPECT_LT(std::fabs(a.x) + std::fabs(a.y) + std::fabs(a.z), 1e-3F);
    const float len = std::sqrt(200.0F * 200.0F + 20.0F * 20.0F);
    EXPECT_NEAR(TMapProbe::FadeStart(*TMapProbe::Sky(camera)), len - 24.0F, 1e-3F);
    EXPECT_NEAR(TMapProbe::FadeEnd(*TMapProbe::Sky(camera)), len, 1e-3F);
    D3DXVECTOR3 z;
    skyFrame->GetAxis(&z, 3);
    EXPECT_NEAR(z.y, 20.0F / len, 1e-4F) << "the dome faces the lifted eye";

    // A given texture replaces the mesh's own on material 0.
    qmtest::SaveBytes("ptx/other.ptx", qmtest::BuildPtx({qmtest::PtxImage::Filled("plain", 0, 8, 8, {1, 2, 3})}));
    camera.CreateSky(0, 0, 0, 0, kSkyFog, 0.02F, 0.02F, 0, 0, "other.ptx/plain");
    EXPECT_EQ(TMapProbe::SkyFrame(camera)->GetMesh(0)->GetMaterial(0).GetTexture().GetName(), "other.ptx/plain");
    EXPECT_EQ(scene_->GetChildCount(), 3u) << "the old sky frame left the scene";
    camera.UpdateView();
    EXPECT_EQ(TMapProbe::FadeStart(*TMapProbe::Sky(camera)), 100000.0F) << "no fade range: drawn unfaded";
}

TEST_P(SkyTest, DomeStandsAtTheNearerOfFogEndAndFarAndNeverBelowTheGround)
{
    TFollowCamera camera(scene_.Get(), target_.Get(), &view_, 5.0F, 0, 2.0F);
    camera.UpdateView();  // no sky yet: nothing to do
    camera.CreateSky(0, 0, 0, 0, kSkyFog, 0.02F, 0.02F, 0, 0, "");

    d3d()->SetFog(true, 10.0F, 500.0F, 0);  // beyond the far plane (300)
    Aim(camera, scene_.Get(), D3DXVECTOR3(0, 5, 0), D3DXVECTOR3(10, 5, 0));
    camera.UpdateView();
    EXPECT_NEAR(SkyAnchor(camera).x, 300.0F, 1e-3F);

    // Looking down 45°: the far point is under the ground, so the dome slides along the camera's
    // up axis to height 0.
    d3d()->SetFog(true, 10.0F, 100.0F, 0);
    Aim(camera, scene_.Get(), D3DXVECTOR3(0, 10, 0), D3DXVECTOR3(0, 0, 10));
    camera.UpdateView();
    const D3DXVECTOR3 a = SkyAnchor(camera);
    EXPECT_NEAR(a.y, 0.0F, 1e-3F);
    D3DXVECTOR3 up;
    camera.GetFrame()->GetAxis(&up, 2);
    const D3DXVECTOR3 far(0, 10 - 100 / std::sqrt(2.0F), 100 / std::sqrt(2.0F));
    const D3DXVECTOR3 slide = a - far;
    EXPECT_NEAR(slide.x * up.z - slide.z * up.x, 0.0F, 1e-3F);
    EXPECT_NEAR(slide.y * up.z - slide.z * up.y, 0.0F, 1e-3F);

    // Straight down with a level up axis: the far point is kept, never a division by zero.
    D3DXMATRIX down(1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 10, 0, 1);
    camera.GetFrame()->SetMatrix(down);
    camera.UpdateView();
    EXPECT_NEAR(SkyAnchor(camera).y, -90.0F, 1e-3F);
    EXPECT_FALSE(std::isnan(TMapProbe::FadeStart(*TMapProbe::Sky(camera))));
}

TEST_P(SkyTest, MissingDomeMeshesFailNamingTheFile)
{
    std::filesystem::remove("sky/sky00_00.msh");
    TFollowCamera camera(scene_.Get(), target_.Get(), &view_, 5.0F, 0, 2.0F);
    try {
        camera.CreateSky(0, 0, 0, 0, kSkyFog, 0, 0, 0, 0, "");
        FAIL() << "no error";
    } catch (const my_error& e) {
        EXPECT_NE(std::string(e.what()).find("sky00_00.msh"), std::string::npos) << e.what();
    }
    EXPECT_EQ(TMapProbe::Sky(camera), nullptr);
    std::filesystem::rename("sky/sky00.msh", "sky/kept.msh");
    EXPECT_THROW(TSky(), my_error);
    std::filesystem::rename("sky/kept.msh", "sky/sky00.msh");
}

TEST_P(SkyTest, TheDomeOnScreenIsAlikeOnBothVertexPaths)
{
    TFollowCamera camera(scene_.Get(), target_.Get(), &view_, 5.0F, 0, 2.0F);
    camera.CreateSky(30.0F, 0.0F, 30.0F, 0.0F, kSkyFog, 0.02F, 0.02F, 0.25F, 0.0F, "");
    d3d()->SetFog(true, 20.0F, 200.0F, kSkyFog);
    Aim(camera, scene_.Get(), D3DXVECTOR3(0, 5, 0), D3DXVECTOR3(0, 25, 100));
    camera.LookAtTarget();  // the follow camera's own aim: turn it back to the chosen point
    Aim(camera, scene_.Get(), D3DXVECTOR3(0, 5, 0), D3DXVECTOR3(0, 25, 100));
    ASSERT_TRUE(view_.SetCamera(camera.GetFrame()));
    camera.UpdateView();
    DrawScene(scene_.Get(), 0xFF304050);  // the first draw scrolls by a quarter
    // One golden for both: programs work the fog out per vertex, the fixed pipeline per pixel.
    EXPECT_TRUE(qmtest::MatchesGolden(DrawScene(scene_.Get(), 0xFF304050), "SkyDome", 20, 64));
}

INSTANTIATE_TEST_SUITE_P(SoftwareOnly, SoftwareSkyTest, ::testing::Values(false));
INSTANTIATE_TEST_SUITE_P(BothPaths, SkyTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("Shaders") : std::string("Software");
                         });

}  // namespace
