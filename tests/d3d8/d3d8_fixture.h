// A device on a small hidden window, with helpers to draw flat shapes and read pixels back.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d8/d3d8.h"
#include "platform/d3d8/d3d8_testing.h"

namespace d3d8test {

constexpr DWORD kFvfScreen = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1;  // 0x1C4
constexpr DWORD kFvfMesh = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;                        // 0x142

struct ScreenVertex {
    float x, y, z, rhw;
    DWORD diffuse;
    DWORD specular;
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

D3DMATRIX Identity();
D3DMATRIX PerspectiveLH(float fovY, float aspect, float zn, float zf);
float Bits(DWORD d);
DWORD Bits(float f);

class DeviceTest : public ::testing::Test {
protected:
    static constexpr int kWidth = 128;
    static constexpr int kHeight = 96;

    void SetUp() override;
    void TearDown() override;
    // Makes the device; false (with a failure) when it cannot.
    bool MakeDevice(D3DPRESENT_PARAMETERS* pp = nullptr);
    D3DPRESENT_PARAMETERS DefaultParameters() const;

    platform::RgbaImage Read();
    Rgba PixelAt(int x, int y);
    // Every pixel of the rectangle (inclusive of x0,y0, exclusive of x1,y1) within tolerance of the colour.
    void ExpectArea(int x0, int y0, int x1, int y1, Rgba want, int tolerance = 2, const char* what = "");

    // The sprite's screen-mode states: no z, no culling, no fog, screen-space vertices.
    void ScreenStates();
    // A screen-space rectangle covering pixels [x0,x1) × [y0,y1), like the sprite draws it.
    void DrawRect(float x0, float y0, float x1, float y1, DWORD color, float z = 0.5F, float u0 = 0.0F,
                  float v0 = 0.0F, float u1 = 1.0F, float v1 = 1.0F);
    IDirect3DTexture8* MakeTexture(UINT w, UINT h, D3DFORMAT format, const std::vector<DWORD>& texels);
    static std::string SavePicture(const platform::RgbaImage& image, const std::string& name);

    HWND window_ = nullptr;
    IDirect3D8* d3d_ = nullptr;
    IDirect3DDevice8* device_ = nullptr;
};

}  // namespace d3d8test
