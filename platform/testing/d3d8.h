// Test seams of the Direct3D layer: what tests, benchmarks and tools ask of it that the game
// never does. Linked from qm_platform_testing, never into the game.
#pragma once

#include <vector>

#include "platform/d3d8/d3d8.h"
#include "platform/d3d8/seams.h"  // D3D8TestConfig, RgbaImage, D3D8DrawRecord

namespace platform {

// Installs what the adapter reports (before Direct3DCreate8), and the defaults again.
void SetD3D8TestConfig(const D3D8TestConfig& config);
void ResetD3D8TestConfig();

// The back buffer as it is now (call before Present). False for a null or lost device.
bool ReadBackBuffer(IDirect3DDevice8* device, RgbaImage* out);

// The device becomes lost: TestCooperativeLevel reports D3DERR_DEVICELOST once, then
// D3DERR_DEVICENOTRESET until Reset succeeds.
void InjectDeviceLoss(IDirect3DDevice8* device);

// One record per draw call while logging is on.
void EnableDrawLog(IDirect3DDevice8* device, bool on);
const std::vector<D3D8DrawRecord>& DrawLog(IDirect3DDevice8* device);
void ClearDrawLog(IDirect3DDevice8* device);
// Draws the device has handed to GL since it was made (merged draws count once).
std::uint64_t GlDrawCount(IDirect3DDevice8* device);
// Texture and buffer memory the device has copied into GL since it was made.
D3D8Uploads GlUploads(IDirect3DDevice8* device);
// Off: every draw goes to GL on its own as it comes, none merged (on by default).
void EnableDrawBatching(IDirect3DDevice8* device, bool on);
// Draws the device still holds to merge go to GL now, for a test that reads GL itself.
void SubmitGatheredDraws(IDirect3DDevice8* device);

}  // namespace platform
