#include "d3d8_fixture.h"

#include <cmath>
#include <cstring>
#include <sstream>

#include "platform/win32/window_internal.h"
#include "support/png_writer.h"

namespace d3d8test {

D3DMATRIX Identity()
{
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0F;
    return m;
}

D3DMATRIX PerspectiveLH(float fovY, float aspect, float zn, float zf)
{
    const float ys = 1.0F / std::tan(fovY / 2.0F);
    D3DMATRIX m{};
    m._11 = ys / aspect;
    m._22 = ys;
    m._33 = zf / (zf - zn);
    m._34 = 1.0F;
    m._43 = -zn * zf / (zf - zn);
    return m;
}

float Bits(DWORD d)
{
    float f = 0.0F;
    std::memcpy(&f, &d, 4);
    return f;
}

DWORD Bits(float f)
{
    DWORD d = 0;
    std::memcpy(&d, &f, 4);
    return d;
}

void DeviceTest::SetUp()
{
    platform::ResetD3D8TestConfig();
    window_ = platform::CreateBareWindow("d3d8 test", kWidth, kHeight);
    ASSERT_NE(window_, nullptr);
    d3d_ = Direct3DCreate8(D3D_SDK_VERSION);
    ASSERT_NE(d3d_, nullptr);
}

void DeviceTest::TearDown()
{
    if (device_ != nullptr) {
        device_->Release();
    }
    if (d3d_ != nullptr) {
        d3d_->Release();
    }
    platform::DestroyBareWindow(window_);
    platform::ResetD3D8TestConfig();
}

D3DPRESENT_PARAMETERS DeviceTest::DefaultParameters() const
{
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = kWidth;
    pp.BackBufferHeight = kHeight;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.BackBufferCount = 1;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.hDeviceWindow = window_;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D24S8;
    return pp;
}

bool DeviceTest::MakeDevice(D3DPRESENT_PARAMETERS* pp)
{
    D3DPRESENT_PARAMETERS local = DefaultParameters();
    if (pp == nullptr) {
        pp = &local;
    }
    const HRESULT hr = d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_,
                                          D3DCREATE_HARDWARE_VERTEXPROCESSING, pp, &device_);
    EXPECT_EQ(hr, D3D_OK);
    return device_ != nullptr;
}

platform::RgbaImage DeviceTest::Read()
{
    platform::RgbaImage image;
    EXPECT_TRUE(platform::ReadBackBuffer(device_, &image));
    return image;
}

Rgba DeviceTest::PixelAt(int x, int y)
{
    const platform::RgbaImage image = Read();
    const std::uint8_t* p = image.At(x, y);
    return Rgba{p[0], p[1], p[2], p[3]};
}

std::string DeviceTest::SavePicture(const platform::RgbaImage& image, const std::string& name)
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string file = std::string("d3d8_") + info->test_suite_name() + "_" + info->name() + "_" + name + ".png";
    for (char& c : file) {
        if (c == '/') {
            c = '_';
        }
    }
    return qmtest::WritePng(file, image.width, image.height, image.pixels) ? file : std::string("(not written)");
}

void DeviceTest::ExpectArea(int x0, int y0, int x1, int y1, Rgba want, int tolerance, const char* what)
{
    const platform::RgbaImage image = Read();
    int bad = 0;
    std::ostringstream first;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const std::uint8_t* p = image.At(x, y);
            const bool ok = std::abs(p[0] - want.r) <= tolerance && std::abs(p[1] - want.g) <= tolerance &&
                            std::abs(p[2] - want.b) <= tolerance;
            if (!ok && bad++ == 0) {
                first << "(" << x << "," << y << ") = " << int(p[0]) << "," << int(p[1]) << "," << int(p[2]);
            }
        }
    }
    if (bad != 0) {
        ADD_FAILURE() << what << ": " << bad << " pixels differ from " << want.r << "," << want.g << "," << want.b
                      << ", first " << first.str() << "; picture " << SavePicture(image, what);
    }
}

void DeviceTest::ScreenStates()
{
    device_->SetVertexShader(kFvfScreen);
    device_->SetRenderState(D3DRS_ZENABLE, FALSE);
    device_->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device_->SetRenderState(D3DRS_FOGENABLE, FALSE);
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device_->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device_->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device_->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    device_->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
}

void DeviceTest::DrawRect(float x0, float y0, float x1, float y1, DWORD color, float z, float u0, float v0, float u1,
                          float v1)
{
    // Corners shifted by half a pixel, as the sprites place them on Direct3D's pixel centres.
    const ScreenVertex v[4] = {
        {x0 - 0.5F, y0 - 0.5F, z, 1.0F, color, 0xFFFFFFFF, u0, v0},
        {x1 - 0.5F, y0 - 0.5F, z, 1.0F, color, 0xFFFFFFFF, u1, v0},
        {x0 - 0.5F, y1 - 0.5F, z, 1.0F, color, 0xFFFFFFFF, u0, v1},
        {x1 - 0.5F, y1 - 0.5F, z, 1.0F, color, 0xFFFFFFFF, u1, v1},
    };
    static const WORD kQuad[6] = {0, 1, 2, 1, 3, 2};
    EXPECT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, kQuad, D3DFMT_INDEX16, v, sizeof v[0]),
              D3D_OK);
}

IDirect3DTexture8* DeviceTest::MakeTexture(UINT w, UINT h, D3DFORMAT format, const std::vector<DWORD>& texels)
{
    IDirect3DTexture8* texture = nullptr;
    EXPECT_EQ(device_->CreateTexture(w, h, 1, 0, format, D3DPOOL_MANAGED, &texture), D3D_OK);
    if (texture == nullptr) {
        return nullptr;
    }
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    const UINT bytes = format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8 ? 4 : 2;
    for (UINT y = 0; y < h; ++y) {
        auto* row = static_cast<BYTE*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch;
        for (UINT x = 0; x < w; ++x) {
            const DWORD t = texels[y * w + x];
            std::memcpy(row + x * bytes, &t, bytes);
        }
    }
    EXPECT_EQ(texture->UnlockRect(0), D3D_OK);
    return texture;
}

}  // namespace d3d8test
