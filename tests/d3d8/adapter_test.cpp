// The adapter: identifier, modes, format checks, caps, device creation and the seams that replace them.
#include "d3d8_fixture.h"

#include <GL/gl.h>

#include <cstring>

namespace d3d8test {
namespace {

using Adapter = DeviceTest;

bool HasMode(IDirect3D8* d3d, UINT w, UINT h, D3DFORMAT f)
{
    for (UINT i = 0; i < d3d->GetAdapterModeCount(0); ++i) {
        D3DDISPLAYMODE m{};
        if (d3d->EnumAdapterModes(0, i, &m) == D3D_OK && m.Width == w && m.Height == h && m.Format == f) {
            return true;
        }
    }
    return false;
}

TEST_F(Adapter, OneAdapterNamedAfterTheRendererWithTheStandardModes)
{
    EXPECT_EQ(Direct3DCreate8(D3D_SDK_VERSION - 1), nullptr);
    ASSERT_EQ(d3d_->GetAdapterCount(), 1U);
    D3DADAPTER_IDENTIFIER8 id{};
    ASSERT_EQ(d3d_->GetAdapterIdentifier(0, 0, &id), D3D_OK);
    EXPECT_EQ(d3d_->GetAdapterIdentifier(1, 0, &id), D3DERR_INVALIDCALL);
    ASSERT_TRUE(MakeDevice());
    EXPECT_STREQ(id.Description, reinterpret_cast<const char*>(glGetString(GL_RENDERER)));

    D3DDISPLAYMODE desktop{};
    ASSERT_EQ(d3d_->GetAdapterDisplayMode(0, &desktop), D3D_OK);
    EXPECT_EQ(desktop.Format, D3DFMT_X8R8G8B8);
    for (D3DFORMAT f : {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5}) {
        EXPECT_TRUE(HasMode(d3d_, desktop.Width, desktop.Height, f));
        EXPECT_TRUE(HasMode(d3d_, 640, 480, f));
    }
    for (UINT i = 0; i < d3d_->GetAdapterModeCount(0); ++i) {
        D3DDISPLAYMODE m{};
        ASSERT_EQ(d3d_->EnumAdapterModes(0, i, &m), D3D_OK);
        EXPECT_TRUE(m.Format == D3DFMT_X8R8G8B8 || m.Format == D3DFMT_R5G6B5);
        EXPECT_TRUE(m.Width >= 640U && m.Height >= 480U);
    }
    D3DDISPLAYMODE m{};
    EXPECT_EQ(d3d_->EnumAdapterModes(0, d3d_->GetAdapterModeCount(0), &m), D3DERR_INVALIDCALL);
}

TEST_F(Adapter, DeviceTypeAndFormatChecks)
{
    // A window shares the desktop's 32-bit format; full screen also offers 16 bits; REF is refused.
    EXPECT_EQ(d3d_->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, TRUE), D3D_OK);
    EXPECT_NE(d3d_->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_R5G6B5, D3DFMT_R5G6B5, TRUE), D3D_OK);
    EXPECT_EQ(d3d_->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_R5G6B5, D3DFMT_R5G6B5, FALSE), D3D_OK);
    EXPECT_NE(d3d_->CheckDeviceType(0, D3DDEVTYPE_REF, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, TRUE), D3D_OK);

    auto check = [&](DWORD usage, D3DRESOURCETYPE type, D3DFORMAT f) {
        return d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, usage, type, f);
    };
    for (D3DFORMAT f : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5,
                        D3DFMT_A4R4G4B4, D3DFMT_X4R4G4B4}) {
        EXPECT_EQ(check(0, D3DRTYPE_TEXTURE, f), D3D_OK) << f;
    }
    EXPECT_NE(check(0, D3DRTYPE_TEXTURE, D3DFMT_DXT1), D3D_OK);
    // The capture texture's first choice is a render target texture of the display format.
    EXPECT_EQ(check(D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_X8R8G8B8), D3D_OK);
    for (D3DFORMAT f : {D3DFMT_D16, D3DFMT_D24X8, D3DFMT_D24S8}) {
        EXPECT_EQ(check(D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, f), D3D_OK);
        EXPECT_EQ(d3d_->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, f), D3D_OK);
    }
    EXPECT_EQ(d3d_->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, TRUE, D3DMULTISAMPLE_NONE), D3D_OK);
    EXPECT_NE(d3d_->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, TRUE, D3DMULTISAMPLE_2_SAMPLES),
              D3D_OK);
}

TEST_F(Adapter, CapsAndDeviceCreationWindowedAndFullScreen)
{
    D3DCAPS8 caps{};
    ASSERT_EQ(d3d_->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
    EXPECT_GE(caps.VertexShaderVersion, D3DVS_VERSION(1, 0));
    EXPECT_GE(caps.MaxVertexShaderConst, 96U);
    EXPECT_NE(d3d_->GetDeviceCaps(0, D3DDEVTYPE_REF, &caps), D3D_OK);

    D3DPRESENT_PARAMETERS pp = DefaultParameters();
    EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_REF, window_, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device_),
              D3DERR_NOTAVAILABLE);
    pp.hDeviceWindow = nullptr;
    EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device_),
              D3DERR_INVALIDCALL);
    pp = DefaultParameters();
    pp.AutoDepthStencilFormat = D3DFMT_D15S1;
    EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, window_, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device_),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device_, nullptr);

    // Full screen on the desktop: the back buffer keeps its own size and format.
    pp = DefaultParameters();
    pp.Windowed = FALSE;
    pp.BackBufferWidth = 640;
    pp.BackBufferHeight = 480;
    pp.BackBufferFormat = D3DFMT_R5G6B5;
    pp.EnableAutoDepthStencil = FALSE;
    ASSERT_TRUE(MakeDevice(&pp));
    D3DDISPLAYMODE mode{};
    ASSERT_EQ(device_->GetDisplayMode(&mode), D3D_OK);
    EXPECT_TRUE(mode.Width == 640U && mode.Height == 480U && mode.Format == D3DFMT_R5G6B5);
    IDirect3DSurface8* surface = reinterpret_cast<IDirect3DSurface8*>(1);
    EXPECT_EQ(device_->GetDepthStencilSurface(&surface), D3DERR_NOTFOUND);
    EXPECT_EQ(surface, nullptr);
    ASSERT_EQ(device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &surface), D3D_OK);
    D3DSURFACE_DESC desc{};
    surface->GetDesc(&desc);
    surface->Release();
    EXPECT_TRUE(desc.Width == 640U && desc.Format == D3DFMT_R5G6B5);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0F, 0);
    ExpectArea(0, 0, 640, 480, {0, 255, 0, 255}, 4, "full screen back buffer");
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

TEST_F(Adapter, TestConfigReplacesTheAdapterAndLimitsDevices)
{
    platform::D3D8TestConfig config;
    config.overrideAdapter = true;
    std::strcpy(config.identifier.Description, "Test Adapter");
    config.desktopMode = {1024, 768, 60, D3DFMT_X8R8G8B8};
    config.modes = {{640, 480, 60, D3DFMT_X8R8G8B8}, {640, 480, 75, D3DFMT_X8R8G8B8}, {800, 600, 60, D3DFMT_R5G6B5}};
    config.noVertexShaders = true;
    config.maxBackBufferCount = 2;
    config.refusedBehavior = D3DCREATE_HARDWARE_VERTEXPROCESSING;
    platform::SetD3D8TestConfig(config);

    D3DADAPTER_IDENTIFIER8 id{};
    ASSERT_EQ(d3d_->GetAdapterIdentifier(0, 0, &id), D3D_OK);
    EXPECT_STREQ(id.Description, "Test Adapter");
    ASSERT_EQ(d3d_->GetAdapterModeCount(0), 3U);
    D3DDISPLAYMODE m{};
    ASSERT_EQ(d3d_->EnumAdapterModes(0, 1, &m), D3D_OK);
    EXPECT_EQ(m.RefreshRate, 75U);
    ASSERT_EQ(d3d_->GetAdapterDisplayMode(0, &m), D3D_OK);
    EXPECT_EQ(m.Width, 1024U);

    // More back buffers than the driver offers: refused, and the count lowered to what it can.
    D3DPRESENT_PARAMETERS pp = DefaultParameters();
    pp.BackBufferCount = 3;
    EXPECT_NE(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, window_, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device_),
              D3D_OK);
    EXPECT_EQ(pp.BackBufferCount, 2U);
    EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, window_, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device_),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(device_, nullptr);
    ASSERT_TRUE(MakeDevice(&pp, D3DCREATE_SOFTWARE_VERTEXPROCESSING));

    // No vertex shaders: the caps say so and programs are refused (the game's software path).
    D3DCAPS8 caps{};
    ASSERT_EQ(d3d_->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
    EXPECT_EQ(caps.VertexShaderVersion, 0U);
    ASSERT_EQ(device_->GetDeviceCaps(&caps), D3D_OK);
    EXPECT_EQ(caps.VertexShaderVersion, 0U);
    const DWORD decl[] = {D3DVSD_STREAM(0), D3DVSD_REG(0, D3DVSDT_FLOAT3), D3DVSD_END()};
    const DWORD code[] = {D3DVS_VERSION(1, 0), 0x0000FFFF};
    DWORD handle = 0;
    EXPECT_EQ(device_->CreateVertexShader(decl, code, &handle, 0), D3DERR_INVALIDCALL);
}

}  // namespace
}  // namespace d3d8test
