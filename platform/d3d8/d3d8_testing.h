// Test seams of the Direct3D layer: what tests and tools may ask of it that the game never does.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d8/d3d8.h"

namespace platform {

// What the adapter reports. Installed before Direct3DCreate8; the object reads it on every call.
struct D3D8TestConfig {
    bool overrideAdapter = false;      // report identifier, desktopMode and modes below
    D3DADAPTER_IDENTIFIER8 identifier{};
    D3DDISPLAYMODE desktopMode{};
    std::vector<D3DDISPLAYMODE> modes;
    bool noVertexShaders = false;      // caps report VertexShaderVersion 0; programs are refused
    // CreateDevice asking for more back buffers fails and lowers the count in the parameters, as drivers do.
    UINT maxBackBufferCount = 3;
    DWORD refusedBehavior = 0;  // CreateDevice fails for behaviour flags with any of these bits
};
void SetD3D8TestConfig(const D3D8TestConfig& config);
void ResetD3D8TestConfig();

struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // RGBA, rows from the top

    const std::uint8_t* At(int x, int y) const { return &pixels[(static_cast<size_t>(y) * width + x) * 4]; }
};

// The back buffer as it is now (call before Present). False for a null or lost device.
bool ReadBackBuffer(IDirect3DDevice8* device, RgbaImage* out);

// The device becomes lost: TestCooperativeLevel reports D3DERR_DEVICELOST once, then
// D3DERR_DEVICENOTRESET until Reset succeeds.
void InjectDeviceLoss(IDirect3DDevice8* device);

// One entry per draw call while logging is on.
struct D3D8DrawRecord {
    IDirect3DBaseTexture8* texture = nullptr;  // stage 0; not referenced, compare only
    D3DPRIMITIVETYPE primitiveType = D3DPT_TRIANGLELIST;
    UINT primitiveCount = 0;
    UINT vertexCount = 0;
    DWORD vertexShader = 0;  // FVF or shader handle
    bool userPointer = false;
    DWORD renderStates[D3DRS_MAX] = {};
    DWORD stage0[D3DTSS_MAX] = {};
};
void EnableDrawLog(IDirect3DDevice8* device, bool on);
const std::vector<D3D8DrawRecord>& DrawLog(IDirect3DDevice8* device);
void ClearDrawLog(IDirect3DDevice8* device);

}  // namespace platform
