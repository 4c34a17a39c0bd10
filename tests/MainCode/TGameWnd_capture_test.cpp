// Screen capture: a scene drawn again into the shared capture texture or an off-screen surface.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "MainCode/TGameWnd.h"
#include "MainCode/TLoop.h"
#include "TUtility/TFontHolder.h"
#include "dx/dx8/3d/TD3D8.h"
#include "dx/dx8/3d/TSprite.h"
#include "dx/dx8/3d/TText8.h"
#include "formats/byte_writer.h"
#include "support/device_fixture.h"
#include "support/dx_probe.h"
#include "support/golden.h"
#include "formats/ptx_writer.h"

namespace {

using qmtest::PtxColor;
using qmtest::PtxImage;

// A scene that draws a fixed picture: a background colour, four coloured blocks, a gradient.
class PictureScene : public TLoop {
public:
    explicit PictureScene(TGameWnd* app) : TLoop(app) {}
    std::uint32_t Update() override { return LOOP_CONTINUE; }
    void Draw() override
    {
        ++draws;
        TD3D8* d3d = TD3D8::Instance();
        if (!d3d->CheckLostDevice()) {
            return;
        }
        d3d->Clear(0xFF304060, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 1.0F, 0, 0, nullptr);
        d3d->BeginScene();
        TSprite::SetRenderMode(1);
        for (int i = 0; i < 4; ++i) {
            TSprite block = TSprite::FromFile("scene.ptx/block" + std::to_string(i), D3DPOOL_MANAGED, 0);
            block.Draw(40.0F + 150.0F * static_cast<float>(i), 60, 120, 160, false);
        }
        TSprite::FromFile("scene.ptx/gradient", D3DPOOL_MANAGED, 0).Draw(40, 260, 560, 180, false);
        d3d->EndScene();
        d3d->Present();
    }
    int draws = 0;
};

class CaptureTest : public qmtest::DeviceFixture {
protected:
    void SetUp() override
    {
        DeviceFixture::SetUp();
        WriteSettings(qmtest::IniWriter()
                          .Section("CurrentSetting")
                          .Key("ScreenMode", "Window")
                          .Section("DepthStencilFormat")
                          .Key("Format00", "D3DFMT_D24S8"));
        ASSERT_TRUE(InitDevice());
        TSprite::SetScreenScale(640, 480, 640, 480);
        TTexture8::SetDirectory("");
        const PtxColor colours[4] = {{0xE0, 0x20, 0x20}, {0x20, 0xC0, 0x40}, {0x20, 0x40, 0xE0}, {0xF0, 0xD0, 0x20}};
        std::vector<PtxImage> images;
        for (int i = 0; i < 4; ++i) {
            images.push_back(PtxImage::Filled("block" + std::to_string(i), 0, 4, 4, colours[i]));
        }
        images.push_back(PtxImage::FromPixels("gradient", 0, 2, 2, {{255, 255, 255}, {0, 0, 0}, {255, 0, 255}, {0, 255, 255}}));
        qmtest::SaveBytes("scene.ptx", qmtest::BuildPtx(images));
        app_ = std::make_unique<TGameWnd>(0, "capture test", "capture test", WS_POPUP, 0, 0, 640, 480, nullptr,
                                          nullptr, nullptr, 0, 0);
        scene_ = std::make_unique<PictureScene>(app_.get());
    }
    void TearDown() override
    {
        scene_.reset();
        app_.reset();
        DeviceFixture::TearDown();
    }

    platform::RgbaImage BackBuffer()
    {
        platform::RgbaImage image;
        EXPECT_TRUE(platform::ReadBackBuffer(device(), &image));
        return image;
    }

    // The pixel of a lockable surface in X8R8G8B8 as 0xRRGGBB; 0xFFFFFFFF when it cannot be locked.
    static std::uint32_t SurfacePixel(IDirect3DSurface8* surface, int x, int y)
    {
        D3DLOCKED_RECT locked{};
        if (FAILED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
            return 0xFFFFFFFF;
        }
        std::uint32_t bgrx = 0;
        std::memcpy(&bgrx, static_cast<const std::uint8_t*>(locked.pBits) + y * locked.Pitch + x * 4, 4);
        surface->UnlockRect();
        return bgrx & 0xFFFFFF;
    }

    std::unique_ptr<TGameWnd> app_;
    std::unique_ptr<PictureScene> scene_;
};

TEST(CaptureSize, SmallestPowerOfTwoPastTheBackBufferWithinTheCaps)
{
    EXPECT_EQ(TGameWnd::CaptureSize(2048, 480), 512u);
    EXPECT_EQ(TGameWnd::CaptureSize(2048, 512), 1024u) << "grows past equality";
    EXPECT_EQ(TGameWnd::CaptureSize(512, 640), 0u) << "beyond the caps";
}

TEST_F(CaptureTest, ScreenGoesIntoTheSharedTextureWithItsCoordinates)
{
    d3d()->Clear(0xFFFF00FF, D3DCLEAR_TARGET, 1.0F, 0, 0, nullptr);
    TSprite captured = app_->CaptureScreen("sTYesNoLoop", scene_.get());
    EXPECT_EQ(scene_->draws, 1);
    ASSERT_TRUE(TDxProbe::Image(captured).HasTexture());
    EXPECT_EQ(captured.GetWidth(), 1024u);
    EXPECT_EQ(captured.GetHeight(), 512u);
    const float uv[4][2] = {{0.0F, 0.0F}, {0.625F, 0.0F}, {0.0F, 0.9375F}, {0.625F, 0.9375F}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(captured.GetVertex(i).u, uv[i][0]) << i;
        EXPECT_FLOAT_EQ(captured.GetVertex(i).v, uv[i][1]) << i;
    }
    // The scene drew into the texture: the back buffer keeps what it had, the scale is back.
    EXPECT_EQ(BackBuffer().At(5, 5)[1], 0);
    EXPECT_FLOAT_EQ(TSprite::GetScaleX(), 1.0F);

    // An overlay scene draws over the captured picture.
    d3d()->Clear(0xFF000000, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 1.0F, 0, 0, nullptr);
    d3d()->BeginScene();
    TSprite::SetRenderMode(0);
    captured.Draw(0, 0, 640, 480, false);
    TSprite::SetRenderMode(1);
    TSprite shade;
    shade.SetColor(0xA0000000, -1);
    shade.DrawRect(120, 140, 400, 200, false);
    TFontHolder font(0, 16, "ＭＳ ゴシック", 400, 2, 0, 0, 0);
    TText8 question("capture question", 256, 16, 255, 255, 255, D3DPOOL_MANAGED, 0);
    question.DrawText(0, 0, "タイトルに戻りますか？", &font, true);
    TSprite::SetRenderMode(3);
    question.Draw(232, 232, false);
    d3d()->EndScene();
    const platform::RgbaImage overlay = BackBuffer();
    EXPECT_TRUE(qmtest::MatchesGolden(overlay, "capture_overlay"));
    // Outside the shade the captured blocks show as the scene drew them.
    EXPECT_NEAR(overlay.At(60, 80)[0], 0xE0, 8);
    EXPECT_NEAR(overlay.At(60, 80)[1], 0x20, 8);
    TSprite::SetRenderMode(1);
}

// Every capture draws its scene again, as it draws at that moment: asked for twice in one frame, for
// another scene between, a frame later or after scenes were taken off the stack.
TEST_F(CaptureTest, EveryCaptureDrawsItsSceneAgain)
{
    PictureScene other(app_.get());
    enum Before { kNothing, kFrame, kPop };
    const struct {
        const char* what;
        Before before;
        PictureScene* scene;
        int draws;
        int otherDraws;
    } steps[] = {
        {"first", kNothing, scene_.get(), 1, 0},    {"again", kNothing, scene_.get(), 2, 0},
        {"another", kNothing, &other, 2, 1},         {"the first after it", kNothing, scene_.get(), 3, 1},
        {"and again", kNothing, scene_.get(), 4, 1}, {"a frame later", kFrame, scene_.get(), 5, 1},
        {"after a scene was taken off", kPop, scene_.get(), 6, 1},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        if (step.before == kFrame) {
            app_->Frame();
        } else if (step.before == kPop) {
            app_->PushScene(new PictureScene(app_.get()));
            app_->PopScenesTo(0);
        }
        TSprite captured = app_->CaptureScreen("sTChangeLoop", step.scene);
        EXPECT_EQ(scene_->draws, step.draws);
        EXPECT_EQ(other.draws, step.otherDraws);
        ASSERT_TRUE(TDxProbe::Image(captured).HasTexture());
        EXPECT_FLOAT_EQ(captured.GetVertex(3).u, 0.625F);
        EXPECT_FLOAT_EQ(captured.GetVertex(3).v, 0.9375F);
    }
}

TEST_F(CaptureTest, SceneSurfaceIsTheTargetDrawnIntoOrASystemMemoryCopy)
{
    d3d()->Clear(0xFFFF00FF, D3DCLEAR_TARGET, 1.0F, 0, 0, nullptr);
    IDirect3DSurface8* target = app_->CaptureSceneSurface(1, scene_.get());
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(scene_->draws, 1);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(target->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Width, 640u);
    EXPECT_EQ(desc.Height, 480u);
    EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(desc.Usage, static_cast<DWORD>(D3DUSAGE_RENDERTARGET));
    EXPECT_EQ(SurfacePixel(target, 60, 80), 0xFFFFFFFFu) << "made not lockable";
    // Its picture, through a copy the engine makes.
    IDirect3DSurface8* image = d3d()->CreateImageSurface(640, 480, D3DFMT_X8R8G8B8);
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(device()->CopyRects(target, nullptr, 0, image, nullptr), D3D_OK);
    EXPECT_EQ(SurfacePixel(image, 60, 80), 0xE02020u);
    EXPECT_EQ(SurfacePixel(image, 5, 5), 0x304060u);
    image->Release();
    target->Release();

    IDirect3DSurface8* copy = app_->CaptureSceneSurface(0, scene_.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(scene_->draws, 2);
    ASSERT_EQ(copy->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Pool, D3DPOOL_SYSTEMMEM);
    EXPECT_EQ(desc.Width, 640u);
    EXPECT_EQ(desc.Height, 480u);
    EXPECT_EQ(SurfacePixel(copy, 220, 100), 0x20C040u);
    EXPECT_EQ(SurfacePixel(copy, 639, 479), 0x304060u);
    copy->Release();
    // Nothing reached the screen.
    EXPECT_EQ(BackBuffer().At(60, 80)[1], 0);

    // Without a scene: no target, or a copy of zero bytes.
    EXPECT_EQ(app_->CaptureSceneSurface(1, nullptr), nullptr);
    IDirect3DSurface8* blank = app_->CaptureSceneSurface(2, nullptr);
    ASSERT_NE(blank, nullptr);
    EXPECT_EQ(SurfacePixel(blank, 60, 80), 0u);
    EXPECT_EQ(SurfacePixel(blank, 639, 0), 0u);
    blank->Release();
    EXPECT_EQ(scene_->draws, 2);
}

TEST_F(CaptureTest, EngineSurfacesHaveTheSizeFormatAndLockingAsked)
{
    IDirect3DSurface8* lockable = d3d()->CreateRenderTarget(200, 100, D3DFMT_R5G6B5, D3DMULTISAMPLE_NONE, TRUE);
    IDirect3DSurface8* sealed = d3d()->CreateRenderTarget(72, 56, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, FALSE);
    IDirect3DSurface8* image = d3d()->CreateImageSurface(96, 40, D3DFMT_A8R8G8B8);
    ASSERT_NE(lockable, nullptr);
    ASSERT_NE(sealed, nullptr);
    ASSERT_NE(image, nullptr);
    const struct {
        IDirect3DSurface8* surface;
        UINT width, height;
        D3DFORMAT format;
        D3DPOOL pool;
        DWORD usage;
        bool locks;
    } cases[] = {
        {lockable, 200, 100, D3DFMT_R5G6B5, D3DPOOL_DEFAULT, D3DUSAGE_RENDERTARGET, true},
        {sealed, 72, 56, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, D3DUSAGE_RENDERTARGET, false},
        {image, 96, 40, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, 0, true},
    };
    for (const auto& c : cases) {
        D3DSURFACE_DESC desc{};
        ASSERT_EQ(c.surface->GetDesc(&desc), D3D_OK);
        EXPECT_EQ(desc.Width, c.width);
        EXPECT_EQ(desc.Height, c.height);
        EXPECT_EQ(desc.Format, c.format) << c.width;
        EXPECT_EQ(desc.Pool, c.pool) << c.width;
        EXPECT_EQ(desc.Usage, c.usage) << c.width;
        D3DLOCKED_RECT locked{};
        const bool locks = SUCCEEDED(c.surface->LockRect(&locked, nullptr, 0));
        EXPECT_EQ(locks, c.locks) << c.width;
        if (locks) {
            c.surface->UnlockRect();
        }
        c.surface->Release();
    }
}

}  // namespace
