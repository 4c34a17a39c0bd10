// A device on a small hidden window, with helpers to draw flat shapes and read pixels back.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <sstream>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/d3d8/d3d8.h"
#include "platform/testing/d3d8.h"
#include "platform/d3dx8/d3dx8.h"
#include "platform/testing/win32.h"
#include "platform/win32/window_internal.h"

namespace d3d8test {

constexpr DWORD kFvfScreen = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1;  // 0x1C4
constexpr DWORD kFvfMesh = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;                        // 0x142

struct ScreenVertex {
    float x, y, z, rhw;
    DWORD diffuse, specular;
    float u, v;
};

struct MeshVertex {
    float x, y, z;
    DWORD diffuse;
    float u, v;
};

struct Rgba {
    int r, g, b, a;
};

inline DWORD Bits(float f)
{
    DWORD d = 0;
    std::memcpy(&d, &f, 4);
    return d;
}

// Releases each of them that is there.
inline void ReleaseAll(std::initializer_list<IUnknown*> objects)
{
    for (IUnknown* u : objects) {
        if (u != nullptr) {
            u->Release();
        }
    }
}

inline D3DXMATRIX Identity()
{
    D3DXMATRIX m;
    return *D3DXMatrixIdentity(&m);
}

class DeviceTest : public ::testing::Test {
protected:
    static constexpr int kWidth = 128;
    static constexpr int kHeight = 96;

    void SetUp() override
    {
        platform::ResetD3D8TestConfig();
        window_ = platform::CreateBareWindow("d3d8 test", kWidth, kHeight);
        ASSERT_NE(window_, nullptr);
        d3d_ = Direct3DCreate8(D3D_SDK_VERSION);
        ASSERT_NE(d3d_, nullptr);
    }
    void TearDown() override
    {
        ReleaseAll({device_, d3d_});
        platform::DestroyBareWindow(window_);
        platform::ResetD3D8TestConfig();
    }

    D3DPRESENT_PARAMETERS DefaultParameters() const
    {
        return {kWidth, kHeight, D3DFMT_X8R8G8B8, 1, D3DMULTISAMPLE_NONE, D3DSWAPEFFECT_DISCARD, window_, TRUE, TRUE,
                D3DFMT_D24S8, 0, 0, 0};
    }
    bool MakeDevice()
    {
        D3DPRESENT_PARAMETERS pp = DefaultParameters();
        const DWORD hw = D3DCREATE_HARDWARE_VERTEXPROCESSING;
        EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, window_, hw, &pp, &device_), D3D_OK);
        return device_ != nullptr;
    }

    platform::RgbaImage Read()
    {
        platform::RgbaImage image;
        EXPECT_TRUE(platform::ReadBackBuffer(device_, &image));
        return image;
    }
    // Every pixel of [x0,x1) × [y0,y1) within tolerance of the colour (alpha not compared).
    void ExpectArea(int x0, int y0, int x1, int y1, Rgba want, int tolerance = 2, const std::string& what = "")
    {
        const platform::RgbaImage image = Read();
        int bad = 0;
        std::ostringstream first;
        for (int i = 0; i < (x1 - x0) * (y1 - y0); ++i) {
            const auto* p = image.At(x0 + i % (x1 - x0), y0 + i / (x1 - x0));
            const int d = std::max({std::abs(p[0] - want.r), std::abs(p[1] - want.g), std::abs(p[2] - want.b)});
            if (d > tolerance && bad++ == 0) {
                first << x0 + i % (x1 - x0) << "," << y0 + i / (x1 - x0) << ": " << +p[0] << " " << +p[1] << " "
                      << +p[2];
            }
        }
        EXPECT_EQ(bad, 0) << what << ": want " << want.r << " " << want.g << " " << want.b << ", first " << first.str();
    }

    void States(std::initializer_list<std::pair<D3DRENDERSTATETYPE, DWORD>> states)
    {
        for (auto [state, value] : states) {
            device_->SetRenderState(state, value);
        }
    }
    void Stage(std::initializer_list<std::pair<D3DTEXTURESTAGESTATETYPE, DWORD>> states)
    {
        for (auto [state, value] : states) {
            device_->SetTextureStageState(0, state, value);
        }
    }
    // The sprite's screen-mode states: no z, no culling, no fog, screen-space vertices.
    void ScreenStates()
    {
        device_->SetVertexShader(kFvfScreen);
        States({{D3DRS_ZENABLE, FALSE}, {D3DRS_ZWRITEENABLE, FALSE}, {D3DRS_CULLMODE, D3DCULL_NONE},
                {D3DRS_FOGENABLE, FALSE}, {D3DRS_LIGHTING, FALSE}});
        Stage({{D3DTSS_COLOROP, D3DTOP_MODULATE}, {D3DTSS_COLORARG1, D3DTA_TEXTURE}, {D3DTSS_COLORARG2, D3DTA_DIFFUSE},
               {D3DTSS_ALPHAOP, D3DTOP_MODULATE}, {D3DTSS_ALPHAARG1, D3DTA_TEXTURE}, {D3DTSS_ALPHAARG2, D3DTA_DIFFUSE},
               {D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP}, {D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP}});
    }
    void DiffuseOnly() { Stage({{D3DTSS_COLOROP, D3DTOP_SELECTARG2}, {D3DTSS_ALPHAOP, D3DTOP_SELECTARG2}}); }
    void SetTransforms(const D3DMATRIX& world, const D3DMATRIX& view, const D3DMATRIX& projection)
    {
        device_->SetTransform(D3DTS_WORLD, &world);
        device_->SetTransform(D3DTS_VIEW, &view);
        device_->SetTransform(D3DTS_PROJECTION, &projection);
    }
    // A screen-space rectangle covering pixels [x0,x1) × [y0,y1), corners shifted by half a pixel as the
    // sprites place them on Direct3D's pixel centres.
    void DrawRect(float x0, float y0, float x1, float y1, DWORD color, float z = 0.5F)
    {
        const ScreenVertex v[4] = {{x0 - 0.5F, y0 - 0.5F, z, 1.0F, color, 0xFFFFFFFF, 0, 0},
                                   {x1 - 0.5F, y0 - 0.5F, z, 1.0F, color, 0xFFFFFFFF, 1, 0},
                                   {x0 - 0.5F, y1 - 0.5F, z, 1.0F, color, 0xFFFFFFFF, 0, 1},
                                   {x1 - 0.5F, y1 - 0.5F, z, 1.0F, color, 0xFFFFFFFF, 1, 1}};
        static const WORD kQuad[6] = {0, 1, 2, 1, 3, 2};
        EXPECT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, kQuad, D3DFMT_INDEX16, v, sizeof v[0]),
                  D3D_OK);
    }
    IDirect3DTexture8* MakeTexture(UINT w, UINT h, D3DFORMAT format, const std::vector<DWORD>& texels)
    {
        IDirect3DTexture8* texture = nullptr;
        EXPECT_EQ(device_->CreateTexture(w, h, 1, 0, format, D3DPOOL_MANAGED, &texture), D3D_OK);
        D3DLOCKED_RECT locked{};
        if (texture == nullptr || texture->LockRect(0, &locked, nullptr, 0) != D3D_OK) {
            return texture;
        }
        const UINT bytes = format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8 ? 4 : 2;
        for (UINT i = 0; i < w * h; ++i) {
            std::memcpy(static_cast<BYTE*>(locked.pBits) + (i / w) * locked.Pitch + (i % w) * bytes, &texels[i], bytes);
        }
        EXPECT_EQ(texture->UnlockRect(0), D3D_OK);
        return texture;
    }
    // A managed buffer holding the bytes: a vertex buffer for an FVF, else a 16-bit index buffer.
    template <typename Buffer>
    Buffer* MakeBuffer(const void* data, UINT bytes, DWORD fvf = 0)
    {
        Buffer* b = nullptr;
        BYTE* p = nullptr;
        if constexpr (std::is_same_v<Buffer, IDirect3DVertexBuffer8>) {
            EXPECT_EQ(device_->CreateVertexBuffer(bytes, 0, fvf, D3DPOOL_MANAGED, &b), D3D_OK);
        } else {
            EXPECT_EQ(device_->CreateIndexBuffer(bytes, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &b), D3D_OK);
        }
        if (b != nullptr && data != nullptr && b->Lock(0, 0, &p, 0) == D3D_OK) {
            std::memcpy(p, data, bytes);
            b->Unlock();
        }
        return b;
    }

    HWND window_ = nullptr;
    IDirect3D8* d3d_ = nullptr;
    IDirect3DDevice8* device_ = nullptr;
};

}  // namespace d3d8test
