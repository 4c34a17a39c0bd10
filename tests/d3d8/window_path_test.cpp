// The back buffer drawn straight into a window of its own size against the same frames drawn into a
// texture that Present scales onto a larger window: the pictures read back must be the same, right
// side up, through target switches, locks, copies, resets and resizes.
#include <functional>

#include "d3d8_fixture.h"
#include "d3dx8/programs.h"
#include "support/golden.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include "platform/testing/win32.h"
#include "platform/testing/d3d8.h"

namespace d3d8test {
namespace {

class WindowPath : public DeviceTest {
protected:
    static constexpr int kWideWidth = kWidth * 5 / 4;  // the back buffer scaled onto it
    static constexpr int kWideHeight = kHeight * 5 / 4;

    void SetUp() override
    {
        DeviceTest::SetUp();
        wide_ = platform::CreateBareWindow("d3d8 wide", kWideWidth, kWideHeight);
        ASSERT_NE(wide_, nullptr);
    }
    void TearDown() override
    {
        Close();
        platform::DestroyBareWindow(wide_);
        DeviceTest::TearDown();
    }

    bool Open(HWND window, DWORD flags = 0, D3DSWAPEFFECT swap = D3DSWAPEFFECT_DISCARD)
    {
        D3DPRESENT_PARAMETERS pp = DefaultParameters();
        pp.hDeviceWindow = window;
        pp.Flags = flags;
        pp.SwapEffect = swap;
        EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device_),
                  D3D_OK);
        return device_ != nullptr;
    }
    void Close()
    {
        if (device_ != nullptr) {
            device_->Release();
            device_ = nullptr;
        }
    }
    // The frame drawn on a device over the window of the back buffer's size, then over the larger one.
    std::pair<platform::RgbaImage, platform::RgbaImage> BothPaths(const std::function<void()>& frame, DWORD flags = 0)
    {
        std::pair<platform::RgbaImage, platform::RgbaImage> images;
        for (HWND window : {window_, wide_}) {
            if (!Open(window, flags)) {
                return images;
            }
            frame();
            (window == window_ ? images.first : images.second) = Read();
            Close();
        }
        return images;
    }
    static void ExpectPixel(const platform::RgbaImage& image, int x, int y, DWORD rgb, const char* what)
    {
        const std::uint8_t* p = image.At(x, y);
        EXPECT_EQ(static_cast<DWORD>(p[0] << 16 | p[1] << 8 | p[2]), rgb) << what << " at " << x << "," << y;
    }
    // A pixel of the window's own buffer as it stands (before Present), rows from the top.
    DWORD WindowPixel(int x, int y)
    {
        platform::SubmitGatheredDraws(device_);
        auto bind = reinterpret_cast<PFNGLBINDFRAMEBUFFERPROC>(SDL_GL_GetProcAddress("glBindFramebuffer"));
        GLint was = 0;
        glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &was);
        bind(GL_READ_FRAMEBUFFER, 0);
        std::uint8_t p[4] = {};
        glReadPixels(x, kHeight - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        bind(GL_READ_FRAMEBUFFER, static_cast<GLuint>(was));
        return static_cast<DWORD>(p[0] << 16 | p[1] << 8 | p[2]);
    }
    // A textured square of pixels [x0,x1) × [y0,y1) showing the whole texture, point sampled.
    void DrawTexture(IDirect3DBaseTexture8* texture, float x0, float y0, float x1, float y1)
    {
        device_->SetTexture(0, texture);
        Stage({{D3DTSS_COLOROP, D3DTOP_SELECTARG1}, {D3DTSS_MAGFILTER, D3DTEXF_POINT},
               {D3DTSS_MINFILTER, D3DTEXF_POINT}});
        DrawRect(x0, y0, x1, y1, 0xFFFFFFFF);
        device_->SetTexture(0, nullptr);
        DiffuseOnly();
    }

    HWND wide_ = nullptr;
    std::vector<DWORD> windowPixels_;
};

TEST_F(WindowPath, DrawsTheSamePictureAsTheScaledPathThroughTargetSwitches)
{
    bool programs = false;
    auto frame = [&] {
        ScreenStates();
        DiffuseOnly();
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0F, 0);
        const D3DRECT red{8, 4, 40, 20};
        device_->Clear(1, &red, D3DCLEAR_TARGET, 0xFFFF0000, 1.0F, 0);
        // Screen vertices and a clear inside a viewport away from the corner.
        const D3DVIEWPORT8 part{64, 8, 48, 40, 0.0F, 1.0F};
        device_->SetViewport(&part);
        const D3DRECT whole{0, 0, kWidth, kHeight};
        device_->Clear(1, &whole, D3DCLEAR_TARGET, 0xFF000080, 1.0F, 0);  // reaches the viewport only
        DrawRect(70, 12, 90, 30, 0xFF00FF00);
        const D3DVIEWPORT8 full{0, 0, kWidth, kHeight, 0.0F, 1.0F};
        device_->SetViewport(&full);

        // Transformed triangles at the bottom right: the nearer hides the farther where they meet.
        const D3DXMATRIX id = Identity();
        SetTransforms(id, id, id);
        States({{D3DRS_ZENABLE, TRUE}, {D3DRS_ZWRITEENABLE, TRUE}, {D3DRS_CULLMODE, D3DCULL_CCW}});
        device_->SetVertexShader(kFvfMesh);
        auto mv = [](float x, float y, float z, DWORD c) { return MeshVertex{x, y, z, c, 0, 0}; };
        const MeshVertex near[3] = {mv(0.4F, -0.1F, 0.2F, 0xFFFFFF00), mv(0.9F, -0.1F, 0.2F, 0xFFFFFF00),
                                    mv(0.4F, -0.9F, 0.2F, 0xFFFFFF00)};
        const MeshVertex far[3] = {mv(0.35F, -0.05F, 0.6F, 0xFF00FFFF), mv(0.95F, -0.05F, 0.6F, 0xFF00FFFF),
                                   mv(0.35F, -0.95F, 0.6F, 0xFF00FFFF)};
        // Counter-clockwise on screen: culled.
        const MeshVertex ccw[3] = {mv(-0.875F, -0.71F, 0.5F, 0xFFFF00FF), mv(-0.875F, -0.95F, 0.5F, 0xFFFF00FF),
                                   mv(-0.375F, -0.71F, 0.5F, 0xFFFF00FF)};
        device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, near, sizeof near[0]);
        device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, far, sizeof far[0]);
        device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, ccw, sizeof ccw[0]);

        // Into a texture with its own depth and back: the texture's top band shows at the top.
        IDirect3DTexture8* texture = nullptr;
        IDirect3DSurface8 *level = nullptr, *depth = nullptr, *back = nullptr, *autoDepth = nullptr;
        ASSERT_EQ(device_->CreateTexture(32, 32, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &texture),
                  D3D_OK);
        ASSERT_EQ(device_->CreateDepthStencilSurface(32, 32, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, &depth), D3D_OK);
        texture->GetSurfaceLevel(0, &level);
        device_->GetRenderTarget(&back);
        device_->GetDepthStencilSurface(&autoDepth);
        for (int pass = 0; pass < 2; ++pass) {
            ASSERT_EQ(device_->SetRenderTarget(level, depth), D3D_OK);
            ScreenStates();
            DiffuseOnly();
            device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0F, 0);
            DrawRect(0, 0, 32, 8, pass == 0 ? 0xFFFFFF00 : 0xFFFFFFFF);
            ASSERT_EQ(device_->SetRenderTarget(back, autoDepth), D3D_OK);
            ScreenStates();
            DrawTexture(texture, 8.0F + 40 * pass, 48, 40.0F + 40 * pass, 80);
        }

        // A vertex program: clockwise drawn, counter-clockwise culled, as with the fixed pipeline.
        D3DCAPS8 caps{};
        device_->GetDeviceCaps(&caps);
        programs = caps.VertexShaderVersion >= D3DVS_VERSION(1, 0);
        if (programs) {
            const qmtest::Assembled code = qmtest::Assemble("vs.1.1\nm4x4 oPos, v0, c0\nmov oD0, v1\n");
            const DWORD decl[] = {D3DVSD_STREAM(0), D3DVSD_REG(0, D3DVSDT_FLOAT3), D3DVSD_REG(1, D3DVSDT_D3DCOLOR),
                                  D3DVSD_REG(2, D3DVSDT_FLOAT2), D3DVSD_END()};
            DWORD handle = 0;
            ASSERT_EQ(device_->CreateVertexShader(decl, code.tokens.data(), &handle, 0), D3D_OK);
            device_->SetVertexShaderConstant(0, &id, 4);
            States({{D3DRS_ZENABLE, FALSE}, {D3DRS_CULLMODE, D3DCULL_CCW}});
            device_->SetVertexShader(handle);
            auto mv = [](float x, float y, DWORD c) { return MeshVertex{x, y, 0.5F, c, 0, 0}; };
            // A clockwise triangle, then a counter-clockwise one.
            const MeshVertex both[6] = {mv(-0.25F, -0.71F, 0xFF808080), mv(0.25F, -0.71F, 0xFF808080),
                                        mv(-0.25F, -0.95F, 0xFF808080), mv(0.3F, -0.71F, 0xFFFF8000),
                                        mv(0.3F, -0.95F, 0xFFFF8000),  mv(0.8F, -0.71F, 0xFFFF8000)};
            IDirect3DVertexBuffer8* vb = MakeBuffer<IDirect3DVertexBuffer8>(both, sizeof both, kFvfMesh);
            device_->SetStreamSource(0, vb, sizeof both[0]);
            EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3D_OK);
            device_->SetStreamSource(0, nullptr, 0);
            vb->Release();
            device_->SetVertexShader(kFvfMesh);
            device_->DeleteVertexShader(handle);
        }
        ReleaseAll({level, depth, back, autoDepth, texture});
    };
    const auto [window, scaled] = BothPaths([&] {
        frame();
        // Drawn into the window itself only on its own path: the larger window waits for Present.
        windowPixels_.push_back(WindowPixel(20, 10));
    });
    ASSERT_EQ(windowPixels_.size(), 2U);
    EXPECT_EQ(windowPixels_[0], 0xFF0000U);
    EXPECT_NE(windowPixels_[1], 0xFF0000U);
    EXPECT_TRUE(qmtest::SamePicture(window, scaled, 0, 0));
    ExpectPixel(window, 8, 4, 0xFF0000, "clear rectangle, top left");
    ExpectPixel(window, 39, 19, 0xFF0000, "clear rectangle, bottom right");
    ExpectPixel(window, 40, 19, 0x000000, "beside the clear rectangle");
    ExpectPixel(window, 64, 8, 0x000080, "viewport clear, top left");
    ExpectPixel(window, 111, 47, 0x000080, "viewport clear, bottom right");
    ExpectPixel(window, 63, 8, 0x000000, "left of the viewport");
    ExpectPixel(window, 111, 48, 0x000000, "below the viewport");
    ExpectPixel(window, 70, 12, 0x00FF00, "screen rectangle in the viewport");
    ExpectPixel(window, 89, 29, 0x00FF00, "screen rectangle, last pixel");
    ExpectPixel(window, 90, 29, 0x000080, "beside the screen rectangle");
    ExpectPixel(window, 10, 48, 0xFFFF00, "rendered texture, top band");
    ExpectPixel(window, 10, 55, 0xFFFF00, "rendered texture, band's last row");
    ExpectPixel(window, 10, 56, 0x0000FF, "rendered texture, below the band");
    ExpectPixel(window, 50, 50, 0xFFFFFF, "texture drawn again, top band");
    ExpectPixel(window, 50, 79, 0x0000FF, "texture drawn again, bottom");
    ExpectPixel(window, 100, 60, 0xFFFF00, "nearer triangle");
    ExpectPixel(window, 100, 51, 0x00FFFF, "farther triangle above the nearer");
    ExpectPixel(window, 12, 84, 0x000000, "counter-clockwise triangle culled");
    if (programs) {
        ExpectPixel(window, 52, 84, 0x808080, "clockwise triangle through a program");
        ExpectPixel(window, 84, 83, 0x000000, "counter-clockwise triangle through a program culled");
    }
}

TEST_F(WindowPath, LocksAndCopiesOfTheBackBufferSeeItsRowsFromTheTop)
{
    std::vector<DWORD> locked;  // what each path's lock read, row by row
    auto frame = [&] {
        ScreenStates();
        DiffuseOnly();
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0F, 0);
        DrawRect(4, 2, 20, 6, 0xFFFF0000);  // a red band near the top
        IDirect3DSurface8* back = nullptr;
        ASSERT_EQ(device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);

        // Read through a lock of part of it, then written through another.
        D3DLOCKED_RECT lr{};
        const RECT part{2, 1, 22, 8};
        ASSERT_EQ(back->LockRect(&lr, &part, D3DLOCK_READONLY), D3D_OK);
        for (int y = 0; y < 7; ++y) {
            DWORD p = 0;
            std::memcpy(&p, static_cast<BYTE*>(lr.pBits) + y * lr.Pitch + 4 * 4, 4);  // column 6
            locked.push_back(p & 0xFFFFFF);
        }
        back->UnlockRect();
        const RECT band{0, 90, 10, 92};
        ASSERT_EQ(back->LockRect(&lr, &band, 0), D3D_OK);
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 10; ++x) {
                const DWORD c = y == 0 ? 0xFF00FF00 : 0xFF0000FF;
                std::memcpy(static_cast<BYTE*>(lr.pBits) + y * lr.Pitch + x * 4, &c, 4);
            }
        }
        ASSERT_EQ(back->UnlockRect(), D3D_OK);

        // Out to an image and back in lower down; into a target texture and back in beside it.
        IDirect3DSurface8 *image = nullptr, *level = nullptr;
        IDirect3DTexture8* texture = nullptr;
        ASSERT_EQ(device_->CreateImageSurface(32, 16, D3DFMT_X8R8G8B8, &image), D3D_OK);
        ASSERT_EQ(device_->CreateTexture(32, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &texture),
                  D3D_OK);
        texture->GetSurfaceLevel(0, &level);
        const RECT top{0, 0, 32, 16};
        const POINT zero{0, 0};
        ASSERT_EQ(device_->CopyRects(back, &top, 1, image, &zero), D3D_OK);
        const POINT lower{40, 40};
        ASSERT_EQ(device_->CopyRects(image, &top, 1, back, &lower), D3D_OK);
        ASSERT_EQ(device_->CopyRects(back, &top, 1, level, &zero), D3D_OK);
        const RECT upper{0, 0, 32, 8};
        const POINT right{80, 60};
        ASSERT_EQ(device_->CopyRects(level, &upper, 1, back, &right), D3D_OK);
        ReleaseAll({level, texture, image, back});
    };
    const auto [window, scaled] = BothPaths(frame, D3DPRESENTFLAG_LOCKABLE_BACKBUFFER);
    EXPECT_TRUE(qmtest::SamePicture(window, scaled, 0, 0));
    ASSERT_EQ(locked.size(), 14U);
    for (size_t i = 0; i < locked.size(); ++i) {
        const size_t row = i % 7;  // rows 1..7 of the back buffer; the band covers rows 2..5
        EXPECT_EQ(locked[i], row >= 1 && row <= 4 ? 0xFF0000U : 0U) << (i < 7 ? "window" : "scaled") << " row " << row;
    }
    ExpectPixel(window, 0, 90, 0x00FF00, "written band, first row");
    ExpectPixel(window, 9, 91, 0x0000FF, "written band, second row");
    ExpectPixel(window, 10, 91, 0x000000, "beside the written band");
    ExpectPixel(window, 0, 89, 0x000000, "above the written band");
    ExpectPixel(window, 44, 42, 0xFF0000, "copied back from the image, first row");
    ExpectPixel(window, 59, 45, 0xFF0000, "copied back from the image, last row");
    ExpectPixel(window, 44, 46, 0x000000, "below the copy from the image");
    ExpectPixel(window, 84, 62, 0xFF0000, "copied back from the texture, first row");
    ExpectPixel(window, 84, 66, 0x000000, "below the copy from the texture");
}

TEST_F(WindowPath, ResetLossAndResizingMoveThePictureWithoutTurningItOver)
{
    ASSERT_TRUE(Open(window_));
    auto drawAndCheck = [&](DWORD color, const char* what) {
        ScreenStates();
        DiffuseOnly();
        DrawRect(4, 2, 20, 6, color);
        const platform::RgbaImage image = Read();
        ExpectPixel(image, 4, 2, color & 0xFFFFFF, what);
        ExpectPixel(image, 19, 5, color & 0xFFFFFF, what);
        ExpectPixel(image, 4, image.height - 3, 0, what);
    };
    drawAndCheck(0xFFFF0000, "first frame");
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);

    // Lost and reset at the same size, then at a size the window must scale.
    platform::InjectDeviceLoss(device_);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICELOST);
    D3DPRESENT_PARAMETERS pp = DefaultParameters();
    ASSERT_EQ(device_->Reset(&pp), D3D_OK);
    ExpectPixel(Read(), 4, 2, 0, "a reset back buffer starts black");
    drawAndCheck(0xFF00FF00, "after a reset");
    pp.BackBufferWidth = 64;
    pp.BackBufferHeight = 48;
    ASSERT_EQ(device_->Reset(&pp), D3D_OK);
    drawAndCheck(0xFF0000FF, "smaller than the window");
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    pp = DefaultParameters();
    ASSERT_EQ(device_->Reset(&pp), D3D_OK);
    drawAndCheck(0xFFFFFF00, "back at the window's size");

    // The window grows and shrinks again: what is in the back buffer stays, across each Present.
    SDL_Window* sdl = platform::SdlWindowOf(window_);
    SDL_SetWindowSize(sdl, kWideWidth, kWideHeight);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    ExpectPixel(Read(), 4, 2, 0xFFFF00, "kept when the window grew");
    DrawRect(30, 2, 40, 6, 0xFFFF00FF);
    SDL_SetWindowSize(sdl, kWidth, kHeight);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    const platform::RgbaImage kept = Read();
    ExpectPixel(kept, 4, 2, 0xFFFF00, "kept when the window shrank");
    ExpectPixel(kept, 30, 2, 0xFF00FF, "drawn while the window was larger");
    EXPECT_EQ(WindowPixel(30, 2), 0xFF00FFU) << "drawn straight into the window again";
    drawAndCheck(0xFF00FFFF, "after the window shrank");
}

TEST_F(WindowPath, AutomaticDepthSharedWithATextureTarget)
{
    // The back buffer's depth hides part of what is drawn into a texture through the same depth.
    auto frame = [&] {
        ScreenStates();
        DiffuseOnly();
        States({{D3DRS_ZENABLE, TRUE}, {D3DRS_ZWRITEENABLE, TRUE}});
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0F, 0);
        DrawRect(0, 0, 16, 8, 0xFFFF0000, 0.2F);  // near, at the top left
        IDirect3DTexture8* texture = nullptr;
        IDirect3DSurface8 *level = nullptr, *back = nullptr, *depth = nullptr;
        ASSERT_EQ(device_->CreateTexture(32, 32, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &texture),
                  D3D_OK);
        texture->GetSurfaceLevel(0, &level);
        device_->GetRenderTarget(&back);
        device_->GetDepthStencilSurface(&depth);
        ASSERT_EQ(device_->SetRenderTarget(level, depth), D3D_OK);
        ScreenStates();
        DiffuseOnly();
        States({{D3DRS_ZENABLE, TRUE}, {D3DRS_ZWRITEENABLE, FALSE}});
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0F, 0);
        DrawRect(0, 0, 32, 32, 0xFF00FF00, 0.5F);  // behind the red rectangle's depth only
        ASSERT_EQ(device_->SetRenderTarget(back, depth), D3D_OK);
        ScreenStates();
        DrawTexture(texture, 64, 40, 96, 72);
        ReleaseAll({level, back, depth, texture});
    };
    const auto [window, scaled] = BothPaths(frame);
    EXPECT_TRUE(qmtest::SamePicture(window, scaled, 0, 0));
    ExpectPixel(window, 0, 0, 0xFF0000, "near rectangle");
    ExpectPixel(window, 64, 40, 0x0000FF, "hidden by the back buffer's depth, top left");
    ExpectPixel(window, 79, 47, 0x0000FF, "hidden by the back buffer's depth, last pixel");
    ExpectPixel(window, 80, 47, 0x00FF00, "beside the hidden part");
    ExpectPixel(window, 64, 48, 0x00FF00, "below the hidden part");
}

TEST_F(WindowPath, OnlyBackBuffersTheWindowCanHoldAsTheyAreDrawIntoIt)
{
    // The window has 8-bit red, green and blue, no alpha, 24-bit depth and 8-bit stencil; a copying
    // swap must keep the back buffer after Present, which a window's swap need not.
    const struct {
        D3DSWAPEFFECT swap;
        D3DFORMAT color;
        D3DFORMAT depth;  // D3DFMT_UNKNOWN: none
        bool window;
    } cases[] = {
        {D3DSWAPEFFECT_DISCARD, D3DFMT_X8R8G8B8, D3DFMT_D24S8, true},
        {D3DSWAPEFFECT_FLIP, D3DFMT_X8R8G8B8, D3DFMT_D24S8, true},
        {D3DSWAPEFFECT_COPY, D3DFMT_X8R8G8B8, D3DFMT_D24S8, false},
        {D3DSWAPEFFECT_COPY_VSYNC, D3DFMT_X8R8G8B8, D3DFMT_D24S8, false},
        {D3DSWAPEFFECT_DISCARD, D3DFMT_R5G6B5, D3DFMT_D24S8, true},  // drawn at 8 bits either way
        {D3DSWAPEFFECT_DISCARD, D3DFMT_A8R8G8B8, D3DFMT_D24S8, false},
        {D3DSWAPEFFECT_DISCARD, D3DFMT_X1R5G5B5, D3DFMT_D24S8, false},
        {D3DSWAPEFFECT_DISCARD, D3DFMT_X8R8G8B8, D3DFMT_D24X8, true},
        {D3DSWAPEFFECT_DISCARD, D3DFMT_X8R8G8B8, D3DFMT_D16, false},
        {D3DSWAPEFFECT_DISCARD, D3DFMT_X8R8G8B8, D3DFMT_UNKNOWN, true},
    };
    const DWORD colors[] = {0xFF0000, 0x00FF00, 0x0000FF};  // each unlike the one the window last showed
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        const DWORD color = colors[i % 3];
        D3DPRESENT_PARAMETERS pp = DefaultParameters();
        pp.SwapEffect = c.swap;
        pp.BackBufferFormat = c.color;
        pp.EnableAutoDepthStencil = c.depth != D3DFMT_UNKNOWN;
        pp.AutoDepthStencilFormat = c.depth;
        ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, window_, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device_),
                  D3D_OK)
            << i;
        ScreenStates();
        DiffuseOnly();
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0F, 0);
        DrawRect(4, 2, 20, 6, 0xFF000000U | color);
        EXPECT_EQ(WindowPixel(4, 2) == color, c.window) << "case " << i;
        EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        if (!c.window) {
            ExpectPixel(Read(), 4, 2, color, "a back buffer of its own keeps its picture after Present");
        }
        Close();
    }
}

}  // namespace
}  // namespace d3d8test
