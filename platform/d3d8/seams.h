// What the Direct3D test seams of platform/testing/ change or report: the layer's own code reads
// the configuration and fills the draw log. Only platform code includes this.
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

namespace d3d8 {
// The configuration in force (a default one until a test installs another).
D3D8TestConfig& D3D8Config();
}  // namespace d3d8

struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // RGBA, rows from the top

    const std::uint8_t* At(int x, int y) const { return &pixels[(static_cast<size_t>(y) * width + x) * 4]; }
};

// What the device has copied into GL since it was made, for the benchmarks: a texture written
// while a frame still draws with it makes the driver finish that drawing first.
struct D3D8Uploads {
    std::uint64_t textures = 0;      // texture writes (each a rectangle of one level)
    std::uint64_t textureBytes = 0;
    std::uint64_t bufferBytes = 0;   // vertex and index memory changed since its last draw
};

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

}  // namespace platform
