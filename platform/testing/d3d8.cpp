#include "platform/testing/d3d8.h"

#include "platform/d3d8/device.h"

namespace platform {

namespace {

d3d8::Device* AsDevice(IDirect3DDevice8* device) { return static_cast<d3d8::Device*>(device); }

}  // namespace

void SetD3D8TestConfig(const D3D8TestConfig& config) { d3d8::D3D8Config() = config; }
void ResetD3D8TestConfig() { d3d8::D3D8Config() = D3D8TestConfig{}; }

bool ReadBackBuffer(IDirect3DDevice8* device, RgbaImage* out)
{
    return device != nullptr && AsDevice(device)->ReadBack(out);
}

void InjectDeviceLoss(IDirect3DDevice8* device)
{
    if (device != nullptr) {
        AsDevice(device)->InjectLoss();
    }
}

void EnableDrawLog(IDirect3DDevice8* device, bool on)
{
    if (device != nullptr) {
        AsDevice(device)->EnableDrawLog(on);
    }
}

const std::vector<D3D8DrawRecord>& DrawLog(IDirect3DDevice8* device) { return AsDevice(device)->drawLog(); }

void ClearDrawLog(IDirect3DDevice8* device)
{
    if (device != nullptr) {
        AsDevice(device)->drawLog().clear();
    }
}

}  // namespace platform
