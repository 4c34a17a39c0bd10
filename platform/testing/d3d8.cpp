#include "platform/testing/d3d8.h"

#include "platform/d3d8/device.h"

namespace platform::d3d8 {

bool Device::ReadBack(RgbaImage* out)
{
    if (out == nullptr || loss_ != Loss::None) {
        return false;
    }
    MakeCurrent();
    const D3DSURFACE_DESC& d = backBuffer_->desc();
    out->width = static_cast<int>(d.Width);
    out->height = static_cast<int>(d.Height);
    out->pixels.assign(static_cast<size_t>(d.Width) * d.Height * 4, 0);
    RECT whole{0, 0, static_cast<LONG>(d.Width), static_cast<LONG>(d.Height)};
    BindSurface(GL_READ_FRAMEBUFFER, backBuffer_, &whole);
    glReadPixels(0, 0, out->width, out->height, GL_RGBA, GL_UNSIGNED_BYTE, out->pixels.data());
    gl::BindFramebuffer(GL_READ_FRAMEBUFFER, CurrentFramebuffer());
    if (InWindow(backBuffer_)) {
        TurnRowsOver(out->pixels.data(), static_cast<size_t>(out->width) * 4, static_cast<size_t>(out->width) * 4,
                     out->height);
    }
    return glGetError() == GL_NO_ERROR;
}

}  // namespace platform::d3d8

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

std::uint64_t GlDrawCount(IDirect3DDevice8* device) { return device != nullptr ? AsDevice(device)->glDrawCount() : 0; }

D3D8Uploads GlUploads(IDirect3DDevice8* device) { return device != nullptr ? AsDevice(device)->uploads() : D3D8Uploads{}; }

void EnableDrawBatching(IDirect3DDevice8* device, bool on)
{
    if (device != nullptr) {
        AsDevice(device)->EnableBatching(on);
    }
}

void SubmitGatheredDraws(IDirect3DDevice8* device)
{
    if (device != nullptr) {
        AsDevice(device)->MakeCurrent();
    }
}

void ClearDrawLog(IDirect3DDevice8* device)
{
    if (device != nullptr) {
        AsDevice(device)->drawLog().clear();
    }
}

}  // namespace platform
