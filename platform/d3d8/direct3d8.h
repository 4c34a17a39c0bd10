// The Direct3D object: one adapter, the GL renderer of this machine. Only platform/d3d8 includes this.
#pragma once

#include <vector>

#include "platform/d3d8/d3d8_internal.h"

namespace platform::d3d8 {

// What the adapter offers, probed once from a throw-away GL context.
struct AdapterInfo {
    bool usable = false;
    gl::Features features;
    D3DDISPLAYMODE desktop{};
};
const AdapterInfo& Adapter();

// The capabilities of a device on these GL features (the test seam may withhold vertex shaders).
void FillCaps(const gl::Features& features, D3DCAPS8* caps);
bool VertexShadersAllowed(const gl::Features& features);
D3DDISPLAYMODE DesktopMode();

class Direct3D8 final : public ComObject<IDirect3D8> {
public:
    UINT GetAdapterCount() override;
    HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER8* identifier) override;
    UINT GetAdapterModeCount(UINT adapter) override;
    HRESULT EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* out) override;
    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override;
    HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat, D3DFORMAT backBufferFormat,
                            BOOL windowed) override;
    HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                              D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) override;
    HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT surfaceFormat, BOOL windowed,
                                       D3DMULTISAMPLE_TYPE multiSample) override;
    HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                   D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat) override;
    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) override;
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                         D3DPRESENT_PARAMETERS* params, IDirect3DDevice8** device) override;

private:
    HRESULT CheckAdapter(UINT adapter, D3DDEVTYPE type);
    std::vector<D3DDISPLAYMODE> Modes();
};

}  // namespace platform::d3d8
