// The minimap: picture coordinates and heading from the player, the option that hides it, and the
// window on screen at two headings.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "3d/fixtures.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TMeshHandle.h"
#include "MainCode/Map/TMinimap.h"
#include "support/golden.h"
#include "support/map_probe.h"

namespace {

constexpr float kPi = 3.14159265F;

class Player : public TMeshHandle {
public:
    Player() : TMeshHandle(0)
    {
        D3DXMATRIX identity;
        m_frame = TRefPtr<TFrame>(new TFrame("Player", *D3DXMatrixIdentity(&identity), nullptr));
    }
    bool Update() override { return true; }
    // Facing along (x, 0, z) at (px, 0, pz): the model looks along its negative Z axis.
    void Face(float x, float z, float px, float pz)
    {
        const D3DXVECTOR3 back(-x, 0, -z);
        ASSERT_TRUE(m_frame->SetDirection(back, D3DXVECTOR3(0, 1, 0)));
        SetPosition(D3DXVECTOR3(px, 0, pz));
    }
};

// A 24 × 24 arrow pointing up, on transparent.
qmtest::PtxImage Cursor()
{
    std::vector<qmtest::PtxColor> colours;
    std::vector<std::uint8_t> alphas;
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 24; ++x) {
            const bool head = y < 12 && std::abs(x - 12) <= y;
            const bool shaft = y >= 12 && x >= 9 && x < 15;
            colours.push_back({255, 220, 40});
            alphas.push_back(head || shaft ? 255 : 0);
        }
    }
    return qmtest::PtxImage::FromPixels("cursor05", 1, 24, 24, colours, alphas);
}

// Quarters of the map in four colours with a grid line every 32 units.
qmtest::PtxImage MapPicture()
{
    std::vector<qmtest::PtxColor> colours;
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 128; ++x) {
            qmtest::PtxColor c = x < 64 ? (y < 64 ? qmtest::PtxColor{200, 60, 60} : qmtest::PtxColor{60, 60, 200})
                                        : (y < 64 ? qmtest::PtxColor{60, 180, 60} : qmtest::PtxColor{220, 200, 60});
            if (x % 8 == 0 || y % 8 == 0) {
                c = {30, 30, 30};
            }
            colours.push_back(c);
        }
    }
    return qmtest::PtxImage::FromPixels("field01", 0, 128, 128, colours);
}

class MinimapTest : public qmtest::Graphics2D {
protected:
    void SetUp() override
    {
        Graphics2D::SetUp();
        StartDevice();
        WritePackage("sprite.ptx",
                     {qmtest::PtxImage::Filled("window21", 1, 224, 160, {40, 50, 90}), Cursor()});
        WritePackage("minimap.ptx", {MapPicture()});
        TGameData::Initialize();
    }
    void TearDown() override
    {
        TGameData::Finalize();
        Graphics2D::TearDown();
    }
    std::vector<platform::D3D8DrawRecord> DrawLogged(TMinimap& map)
    {
        BeginFrame(0xFF000000);
        platform::EnableDrawLog(device(), true);
        map.Draw(408, 312);
        std::vector<platform::D3D8DrawRecord> log = platform::DrawLog(device());
        platform::EnableDrawLog(device(), false);
        EndFrame();
        return log;
    }
};

TEST_F(MinimapTest, PictureCornersFollowThePlayerAndTheHeadingItsFront)
{
    TRefPtr<TMinimap> map = TMinimap::Create();
    Player player;
    struct Case {
        float fx, fz, px, pz;
        float heading, u, v;
    };
    const Case cases[] = {
        {0, -1, 0, 0, -kPi, 0.5F, 0.5F},           // f.x = 0 counts as not greater than 0
        {0, 1, 0, 0, 0.0F, 0.5F, 0.5F},
        {1, 0, 256, 256, kPi / 2, 1.0F, 0.0F},     // the picture's far corner
        {-1, 0, -256, -256, -kPi / 2, 0.0F, 1.0F}, // and its near one
        {1, 1, 300, -300, kPi / 4, 1.0859375F, 1.0859375F},
    };
    for (const Case& c : cases) {
        player.Face(c.fx, c.fz, c.px, c.pz);
        map->Update(player);
        EXPECT_NEAR(TMapProbe::Heading(*map), c.heading, 1e-5F) << c.fx << ", " << c.fz;
        for (int i = 0; i < 4; ++i) {  // corners left to right, then top to bottom
            EXPECT_NEAR(TMapProbe::Picture(*map).GetVertex(i).u, c.u + (i % 2 == 0 ? -0.19921875F : 0.19921875F), 1e-6F) << i;
            EXPECT_NEAR(TMapProbe::Picture(*map).GetVertex(i).v, c.v + (i < 2 ? -0.13671875F : 0.13671875F), 1e-6F) << i;
        }
    }
    // The edge case by its numbers: the origin facing -z.
    player.Face(0, -1, 0, 0);
    map->Update(player);
    EXPECT_EQ(TMapProbe::Picture(*map).GetVertex(0).u, 0.30078125F);
    EXPECT_EQ(TMapProbe::Picture(*map).GetVertex(0).v, 0.36328125F);
    EXPECT_EQ(TMapProbe::Picture(*map).GetVertex(3).u, 0.69921875F);
    EXPECT_EQ(TMapProbe::Picture(*map).GetVertex(3).v, 0.63671875F);
}

TEST_F(MinimapTest, OptionOffDrawsNothingYetUpdatesAndNoPictureStillDrawsWindowAndCursor)
{
    TMinimap map;
    Player player;
    TGameData::GetInstance()->SetMiniMapState(0);
    EXPECT_TRUE(DrawLogged(map).empty());
    player.Face(1, 0, 0, 0);
    map.Update(player);
    EXPECT_NEAR(TMapProbe::Heading(map), kPi / 2, 1e-5F);

    TGameData::GetInstance()->SetMiniMapState(1);
    const auto log = DrawLogged(map);
    // No minimap name: a picture without texture, which draws nothing; window and cursor do.
    ASSERT_EQ(log.size(), 2u);
    EXPECT_NE(log[0].texture, nullptr);
    EXPECT_NE(log[1].texture, nullptr);

    map.Load("field01");
    EXPECT_EQ(DrawLogged(map).size(), 3u);
    map.Load("");
    EXPECT_EQ(DrawLogged(map).size(), 2u);
}

TEST_F(MinimapTest, OnScreenAtTwoHeadings)
{
    TMinimap map;
    map.Load("field01");
    Player player;
    TGameData::GetInstance()->SetMiniMapState(1);
    const struct {
        float fx, fz, px, pz;
        const char* golden;
    } shots[] = {{0, -1, 0, 0, "MinimapNorth"}, {1, 0, 100, 50, "MinimapEast"}};
    for (const auto& shot : shots) {
        player.Face(shot.fx, shot.fz, shot.px, shot.pz);
        map.Update(player);
        BeginFrame(0xFF000000);
        map.Draw(408, 312);
        EXPECT_TRUE(qmtest::MatchesGolden(EndFrame(), shot.golden));
    }
}

}  // namespace
