#include "platform/d3d8/direct3d8.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/d3d8/device.h"
#include "platform/d3d8/seams.h"
#include "platform/win32/window_internal.h"

namespace platform::d3d8 {

D3D8TestConfig& D3D8Config()
{
    static D3D8TestConfig config;
    return config;
}

namespace {

// The sizes offered besides the desktop's, up to the desktop size.
constexpr std::pair<UINT, UINT> kStandardSizes[] = {
    {640, 480}, {800, 600}, {1024, 768}, {1152, 864}, {1280, 720}, {1280, 960},
    {1280, 1024}, {1360, 768}, {1600, 900}, {1600, 1200}, {1920, 1080}, {1920, 1200},
};

AdapterInfo ProbeAdapter()
{
    AdapterInfo info;
    if (!EnsureVideo()) {
        return info;
    }
    SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext previousContext = SDL_GL_GetCurrentContext();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_Window* window = SDL_CreateWindow("probe", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 16, 16,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (window != nullptr) {
        SDL_GLContext context = SDL_GL_CreateContext(window);
        if (context != nullptr) {
            info.usable = gl::Load(&info.features);
            SDL_GL_DeleteContext(context);
        }
        SDL_DestroyWindow(window);
    }
    if (previousContext != nullptr) {
        SDL_GL_MakeCurrent(previousWindow, previousContext);
    }
    SDL_DisplayMode mode{};
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
        info.desktop.Width = static_cast<UINT>(std::max(mode.w, 640));
        info.desktop.Height = static_cast<UINT>(std::max(mode.h, 480));
        info.desktop.RefreshRate = mode.refresh_rate > 0 ? static_cast<UINT>(mode.refresh_rate) : 60;
    } else {
        info.desktop.Width = 640;
        info.desktop.Height = 480;
        info.desktop.RefreshRate = 60;
    }
    info.desktop.Format = D3DFMT_X8R8G8B8;
    return info;
}

// A stable identifier made from the renderer's name.
GUID GuidOf(const std::string& text)
{
    std::uint64_t h1 = 1469598103934665603ULL;
    std::uint64_t h2 = 0x9E3779B97F4A7C15ULL;
    for (unsigned char c : text) {
        h1 = (h1 ^ c) * 1099511628211ULL;
        h2 = (h2 ^ c) * 0x100000001B3ULL + 0x7F;
    }
    GUID g{};
    g.Data1 = static_cast<DWORD>(h1 >> 32);
    g.Data2 = static_cast<WORD>(h1 >> 16);
    g.Data3 = static_cast<WORD>(h1);
    for (int i = 0; i < 8; ++i) {
        g.Data4[i] = static_cast<BYTE>(h2 >> (56 - 8 * i));
    }
    return g;
}

DWORD VendorIdOf(const std::string& vendor)
{
    auto has = [&](const char* s) { return vendor.find(s) != std::string::npos; };
    if (has("NVIDIA")) {
        return 0x10DE;
    }
    if (has("AMD") || has("ATI")) {
        return 0x1002;
    }
    if (has("Intel")) {
        return 0x8086;
    }
    return 0;
}

bool IsDisplayFormat(D3DFORMAT f) { return f == D3DFMT_X8R8G8B8 || f == D3DFMT_R5G6B5; }

}  // namespace

const AdapterInfo& Adapter()
{
    static const AdapterInfo info = ProbeAdapter();
    return info;
}

bool VertexShadersAllowed(const gl::Features& features)
{
    return features.vertexProgram && !D3D8Config().noVertexShaders;
}

D3DDISPLAYMODE DesktopMode()
{
    return D3D8Config().overrideAdapter ? D3D8Config().desktopMode : Adapter().desktop;
}

void FillCaps(const gl::Features& f, D3DCAPS8* caps)
{
    *caps = D3DCAPS8{};
    caps->DeviceType = D3DDEVTYPE_HAL;
    caps->AdapterOrdinal = 0;
    caps->PresentationIntervals = D3DPRESENT_INTERVAL_CAPS;
    caps->DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_HWRASTERIZATION;
    caps->PrimitiveMiscCaps = D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW | D3DPMISCCAPS_CULLCCW | D3DPMISCCAPS_BLENDOP;
    caps->RasterCaps = D3DPRASTERCAPS_DITHER | D3DPRASTERCAPS_ZTEST | D3DPRASTERCAPS_FOGVERTEX |
                       D3DPRASTERCAPS_FOGTABLE | D3DPRASTERCAPS_ZBIAS;
    caps->ZCmpCaps = D3DPCMPCAPS_ALL;
    caps->AlphaCmpCaps = D3DPCMPCAPS_ALL;
    caps->SrcBlendCaps = D3DPBLENDCAPS_ALL;
    caps->DestBlendCaps = D3DPBLENDCAPS_ALL;
    caps->ShadeCaps = D3DPSHADECAPS_COLORGOURAUDRGB | D3DPSHADECAPS_ALPHAGOURAUDBLEND | D3DPSHADECAPS_FOGGOURAUD;
    caps->TextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_MIPMAP;
    caps->TextureFilterCaps = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR | D3DPTFILTERCAPS_MIPFPOINT |
                              D3DPTFILTERCAPS_MIPFLINEAR | D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR;
    caps->TextureAddressCaps =
        D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_MIRROR | D3DPTADDRESSCAPS_CLAMP | D3DPTADDRESSCAPS_BORDER;
    caps->MaxTextureWidth = static_cast<DWORD>(f.maxTextureSize);
    caps->MaxTextureHeight = static_cast<DWORD>(f.maxTextureSize);
    caps->MaxTextureRepeat = 8192;
    caps->MaxTextureAspectRatio = static_cast<DWORD>(f.maxTextureSize);
    caps->MaxAnisotropy = f.anisotropic ? 16 : 1;
    caps->MaxVertexW = 1.0e10F;
    caps->StencilCaps = D3DSTENCILCAPS_ALL;
    caps->FVFCaps = 8;
    caps->TextureOpCaps = D3DTEXOPCAPS_DISABLE | D3DTEXOPCAPS_SELECTARG1 | D3DTEXOPCAPS_SELECTARG2 |
                          D3DTEXOPCAPS_MODULATE | D3DTEXOPCAPS_MODULATE2X | D3DTEXOPCAPS_MODULATE4X |
                          D3DTEXOPCAPS_ADD;
    const DWORD stages = static_cast<DWORD>(std::min(f.maxTextureUnits, Device::kStages));
    caps->MaxTextureBlendStages = stages;
    caps->MaxSimultaneousTextures = stages;
    caps->VertexProcessingCaps = D3DVTXPCAPS_DIRECTIONALLIGHTS | D3DVTXPCAPS_POSITIONALLIGHTS;
    caps->MaxActiveLights = 8;
    caps->MaxPointSize = 1.0F;
    caps->MaxPrimitiveCount = 0xFFFFF;
    caps->MaxVertexIndex = 0xFFFFFF;
    caps->MaxStreams = 2;
    caps->MaxStreamStride = 256;
    if (VertexShadersAllowed(f)) {
        caps->VertexShaderVersion = D3DVS_VERSION(1, 1);
        caps->MaxVertexShaderConst = Device::kMaxConstants;
    }
    caps->PixelShaderVersion = 0;
}

HRESULT Direct3D8::CheckAdapter(UINT adapter, D3DDEVTYPE type)
{
    if (adapter >= GetAdapterCount()) {
        return D3DERR_INVALIDCALL;
    }
    // Only the hardware device exists; there is no reference rasteriser.
    return type == D3DDEVTYPE_HAL ? D3D_OK : D3DERR_NOTAVAILABLE;
}

std::vector<D3DDISPLAYMODE> Direct3D8::Modes()
{
    if (D3D8Config().overrideAdapter) {
        return D3D8Config().modes;
    }
    const D3DDISPLAYMODE desktop = Adapter().desktop;
    std::vector<D3DDISPLAYMODE> modes;
    for (D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5}) {
        bool desktopListed = false;
        for (auto [w, h] : kStandardSizes) {
            if (w != 640 && (w > desktop.Width || h > desktop.Height)) {
                continue;
            }
            modes.push_back({w, h, desktop.RefreshRate, format});
            desktopListed = desktopListed || (w == desktop.Width && h == desktop.Height);
        }
        if (!desktopListed) {
            modes.push_back({desktop.Width, desktop.Height, desktop.RefreshRate, format});
        }
    }
    return modes;
}

UINT Direct3D8::GetAdapterCount() { return D3D8Config().overrideAdapter || Adapter().usable ? 1 : 0; }

HRESULT Direct3D8::GetAdapterIdentifier(UINT adapter, DWORD, D3DADAPTER_IDENTIFIER8* id)
{
    if (adapter >= GetAdapterCount() || id == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (D3D8Config().overrideAdapter) {
        *id = D3D8Config().identifier;
        return D3D_OK;
    }
    const gl::Features& f = Adapter().features;
    *id = D3DADAPTER_IDENTIFIER8{};
    std::snprintf(id->Driver, sizeof id->Driver, "OpenGL %s", f.version.c_str());
    std::snprintf(id->Description, sizeof id->Description, "%s", f.renderer.c_str());
    int a = 0;
    int b = 0;
    int c = 0;
    int d = 0;
    std::sscanf(f.version.c_str(), "%d.%d", &a, &b);
    const size_t mesa = f.version.rfind(' ');
    if (mesa != std::string::npos) {
        std::sscanf(f.version.c_str() + mesa + 1, "%d.%d", &c, &d);
    }
    id->DriverVersion.HighPart = static_cast<LONG>((static_cast<DWORD>(a) << 16) | static_cast<WORD>(b));
    id->DriverVersion.LowPart = (static_cast<DWORD>(c) << 16) | static_cast<WORD>(d);
    id->VendorId = VendorIdOf(f.vendor);
    id->DeviceIdentifier = GuidOf(f.vendor + "/" + f.renderer);
    id->WHQLLevel = 0;
    return D3D_OK;
}

UINT Direct3D8::GetAdapterModeCount(UINT adapter)
{
    return adapter < GetAdapterCount() ? static_cast<UINT>(Modes().size()) : 0;
}

HRESULT Direct3D8::EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* out)
{
    if (adapter >= GetAdapterCount() || out == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    const std::vector<D3DDISPLAYMODE> modes = Modes();
    if (mode >= modes.size()) {
        return D3DERR_INVALIDCALL;
    }
    *out = modes[mode];
    return D3D_OK;
}

HRESULT Direct3D8::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode)
{
    if (adapter >= GetAdapterCount() || mode == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *mode = DesktopMode();
    return D3D_OK;
}

HRESULT Direct3D8::CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat, D3DFORMAT backBufferFormat,
                                   BOOL windowed)
{
    if (HRESULT hr = CheckAdapter(adapter, type); FAILED(hr)) {
        return hr;
    }
    // A window shares the desktop's format; full screen may use any display format we list.
    if (windowed ? displayFormat != DesktopMode().Format : !IsDisplayFormat(displayFormat)) {
        return D3DERR_NOTAVAILABLE;
    }
    const bool deep = displayFormat == D3DFMT_X8R8G8B8;
    const bool ok = deep ? (backBufferFormat == D3DFMT_X8R8G8B8 || backBufferFormat == D3DFMT_A8R8G8B8)
                         : (backBufferFormat == D3DFMT_R5G6B5 || backBufferFormat == D3DFMT_X1R5G5B5);
    return ok ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT Direct3D8::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                     D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat)
{
    if (HRESULT hr = CheckAdapter(adapter, type); FAILED(hr)) {
        return hr;
    }
    if (!IsDisplayFormat(adapterFormat)) {
        return D3DERR_NOTAVAILABLE;
    }
    if ((usage & D3DUSAGE_DEPTHSTENCIL) != 0) {
        return resourceType == D3DRTYPE_SURFACE && FindDepthFormat(checkFormat) != nullptr ? D3D_OK
                                                                                            : D3DERR_NOTAVAILABLE;
    }
    if (resourceType != D3DRTYPE_TEXTURE && resourceType != D3DRTYPE_SURFACE) {
        return D3DERR_NOTAVAILABLE;
    }
    if ((usage & D3DUSAGE_RENDERTARGET) != 0) {
        return IsRenderTargetFormat(checkFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
    }
    return FindColorFormat(checkFormat) != nullptr ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT Direct3D8::CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT surfaceFormat, BOOL,
                                              D3DMULTISAMPLE_TYPE multiSample)
{
    if (HRESULT hr = CheckAdapter(adapter, type); FAILED(hr)) {
        return hr;
    }
    // Back buffers are never multisampled here.
    const bool known = FindColorFormat(surfaceFormat) != nullptr || FindDepthFormat(surfaceFormat) != nullptr;
    return known && multiSample == D3DMULTISAMPLE_NONE ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT Direct3D8::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                          D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat)
{
    if (HRESULT hr = CheckAdapter(adapter, type); FAILED(hr)) {
        return hr;
    }
    if (!IsDisplayFormat(adapterFormat) || !IsRenderTargetFormat(renderTargetFormat) ||
        FindDepthFormat(depthStencilFormat) == nullptr) {
        return D3DERR_NOTAVAILABLE;
    }
    return D3D_OK;
}

HRESULT Direct3D8::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps)
{
    if (HRESULT hr = CheckAdapter(adapter, type); FAILED(hr)) {
        return hr;
    }
    if (caps == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    FillCaps(Adapter().features, caps);
    return D3D_OK;
}

HRESULT Direct3D8::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                                D3DPRESENT_PARAMETERS* params, IDirect3DDevice8** device)
{
    if (device == nullptr || params == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *device = nullptr;
    if (HRESULT hr = CheckAdapter(adapter, type); FAILED(hr)) {
        return hr;
    }
    const UINT maxBuffers = std::clamp<UINT>(D3D8Config().maxBackBufferCount, 1, 3);
    if (params->BackBufferCount > maxBuffers) {
        params->BackBufferCount = maxBuffers;
        return D3DERR_INVALIDCALL;
    }
    if ((behaviorFlags & D3D8Config().refusedBehavior) != 0 || !Adapter().usable) {
        return D3DERR_NOTAVAILABLE;
    }
    HWND window = params->hDeviceWindow != nullptr ? params->hDeviceWindow : focusWindow;
    SDL_Window* sdl = SdlWindowOf(window);
    if (sdl == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    auto context = std::make_unique<GlContext>();
    context->window = sdl;
    context->swapShowsNothing = IsHeadlessVideo();
    context->context = SDL_GL_CreateContext(sdl);
    if (context->context == nullptr) {
        return D3DERR_NOTAVAILABLE;
    }
    if (!gl::Load(&context->features)) {
        SDL_GL_DeleteContext(context->context);
        return D3DERR_NOTAVAILABLE;
    }
    auto* created = new Device(this, std::move(context), window, behaviorFlags);
    if (HRESULT hr = created->Init(*params); FAILED(hr)) {
        created->Release();
        return hr;
    }
    *device = created;
    return D3D_OK;
}

}  // namespace platform::d3d8

IDirect3D8* Direct3DCreate8(UINT sdkVersion)
{
    if (sdkVersion != D3D_SDK_VERSION) {
        return nullptr;
    }
    return new platform::d3d8::Direct3D8();
}
