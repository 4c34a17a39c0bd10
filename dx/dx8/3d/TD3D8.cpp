#include "dx/dx8/3d/TD3D8.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "TCommon/my_error.h"
#include "dx/dx8/3d/TRenderPreset.h"
#include "dx/dx8/3d/TSprite.h"
#include "dx/dx8/3d/TTexture8.h"
#include "dx/dx8/3d/TVertexShader.h"
#include "platform/d3dx8/d3dx8.h"
#include "platform/win32/file.h"

namespace {

const char kSourceFile[] = "dx/dx8/3d/TD3D8";

// Texture format candidates per class, best first, for a 32-bit and a 16-bit display.
const std::vector<D3DFORMAT> kDeepFormats[4] = {
    {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5,
     D3DFMT_X4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_A2B10G10R10},
    {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A8R3G3B2, D3DFMT_A1R5G5B5, D3DFMT_A2B10G10R10},
    {D3DFMT_A8R8G8B8, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_A8R3G3B2, D3DFMT_A2B10G10R10},
    {D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5},
};
const std::vector<D3DFORMAT> kShallowFormats[4] = {
    {D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_X4R4G4B4, D3DFMT_A4R4G4B4, D3DFMT_X8R8G8B8,
     D3DFMT_A8R8G8B8, D3DFMT_R8G8B8, D3DFMT_R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_A2B10G10R10},
    {D3DFMT_A4R4G4B4, D3DFMT_A8R3G3B2, D3DFMT_A8R8G8B8, D3DFMT_A1R5G5B5, D3DFMT_A2B10G10R10},
    {D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_A8R3G3B2, D3DFMT_A8R8G8B8, D3DFMT_A2B10G10R10},
    {D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5},
};

DWORD FloatBits(float f)
{
    DWORD d = 0;
    std::memcpy(&d, &f, sizeof d);
    return d;
}

// Fills a new buffer with the whole of another of the same length; the copy, or null when a lock fails.
template <typename Buffer>
Buffer* FilledCopy(Buffer* source, Buffer* copy, UINT length)
{
    BYTE* from = nullptr;
    BYTE* to = nullptr;
    if (FAILED(source->Lock(0, 0, &from, 0))) {
        copy->Release();
        return nullptr;
    }
    if (FAILED(copy->Lock(0, 0, &to, 0))) {
        source->Unlock();
        copy->Release();
        return nullptr;
    }
    std::memcpy(to, from, length);
    copy->Unlock();
    source->Unlock();
    return copy;
}

}  // namespace

TD3D8* TD3D8::Instance()
{
    static TD3D8 instance;
    return &instance;
}

TD3D8::TD3D8() : m_direct3D(nullptr), m_device(nullptr), m_enum(nullptr), m_builder(nullptr) {}

TD3D8::~TD3D8()
{
    // Whatever Uninit did not release goes with the holders.
    if (s_device == m_device.Get()) {
        s_device = nullptr;
    }
    if (s_direct3D == m_direct3D.Get()) {
        s_direct3D = nullptr;
    }
}

bool TD3D8::Init(const TRefPtr<TD3DDeviceBuilder>& builder, UINT sdkVersion, const std::string& deviceLog,
                 const std::string& initLog)
{
    m_deviceLog = deviceLog;
    m_initLog = initLog;
    m_builder = builder;
    m_vertexShaders = true;
    m_defaultStateBlock = kNoStateBlock;

    IDirect3D8* direct3D = Direct3DCreate8(sdkVersion);
    m_direct3D = TComPtr<IDirect3D8>(direct3D);
    s_direct3D = direct3D;
    if (direct3D == nullptr) {
        m_createResult = 0x11;  // nothing to make a device with
        return false;
    }
    m_enum = TRefPtr<TD3D8Enum>(new TD3D8Enum(direct3D));
    if (!m_deviceLog.empty()) {
        m_enum->WriteInfo(m_deviceLog);
    }

    IDirect3DDevice8* device = nullptr;
    m_createResult = m_builder->CreateDevice(this, &device);
    if ((m_createResult & 1) != 0) {
        if (device != nullptr) {
            device->Release();
        }
        return false;
    }
    m_device = TComPtr<IDirect3DDevice8>(device);
    s_device = device;

    D3DCAPS8 caps{};
    if (SUCCEEDED(device->GetDeviceCaps(&caps)) && caps.VertexShaderVersion < D3DVS_VERSION(1, 0)) {
        m_vertexShaders = false;
    }
    m_windowed = m_builder->IsWindowed();
    RecordDefaultStates();

    m_adapterIndex = m_builder->GetAdapterIndex();
    m_modeIndex = m_builder->GetModeIndex();
    TDisplayModeInfo& mode = m_enum->GetAdapterInfo(m_adapterIndex).GetMode(m_modeIndex);
    m_backBufferWidth = mode.GetWidth();
    m_backBufferHeight = mode.GetHeight();
    ChooseTextureFormats();

    TRenderPreset::Init();
    TVertexShader::BuildShaders();
    TSprite::CreateScreenModes();

    SetFog(false, 10000.0F, 11000.0F, 0xFFFFFFFF);
    EnablePresent(true);
    m_initialized = true;
    return true;
}

void TD3D8::RecordDefaultStates()
{
    IDirect3DDevice8* device = m_device.Get();
    device->BeginStateBlock();
    ApplyDefaultStates(true);
    DWORD block = kNoStateBlock;
    m_defaultStateBlock = SUCCEEDED(device->EndStateBlock(&block)) ? block : kNoStateBlock;
}

void TD3D8::ChooseTextureFormats()
{
    std::fill(std::begin(m_textureFormats), std::end(m_textureFormats), D3DFMT_UNKNOWN);
    D3DDISPLAYMODE display{};
    if (FAILED(m_device->GetDisplayMode(&display))) {
        return;
    }
    const std::vector<D3DFORMAT>* candidates = nullptr;
    switch (display.Format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
        candidates = kDeepFormats;
        break;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
        candidates = kShallowFormats;
        break;
    default:
        return;
    }
    const std::vector<D3DFORMAT>* offered = m_enum->GetAdapterInfo(m_adapterIndex).GetTextureFormats(display.Format);
    if (offered == nullptr) {
        return;
    }
    for (int c = 0; c < 4; ++c) {
        for (D3DFORMAT format : candidates[c]) {
            if (std::find(offered->begin(), offered->end(), format) != offered->end()) {
                m_textureFormats[c] = format;
                break;
            }
        }
    }
}

void TD3D8::Uninit()
{
    m_initialized = false;
    TSprite::ReleaseScreenModes();
    TTexture8::PurgeCache(1);
    TVertexShader::UninitShaders();
    TRenderPreset::Uninit();
    if (m_device.Get() != nullptr && m_defaultStateBlock != kNoStateBlock) {
        m_device->DeleteStateBlock(m_defaultStateBlock);
    }
    m_defaultStateBlock = kNoStateBlock;
    m_enum.Release();
    m_device.Release();
    s_device = nullptr;
    m_direct3D.Release();
    s_direct3D = nullptr;
}

bool TD3D8::CheckLostDevice()
{
    IDirect3DDevice8* device = m_device.Get();
    if (device == nullptr) {
        return false;
    }
    const HRESULT hr = device->TestCooperativeLevel();
    if (hr == D3D_OK) {
        return true;
    }
    if (hr != D3DERR_DEVICENOTRESET) {
        return false;
    }
    TSprite::DeleteScreenModes();
    TVertexShader::ReleaseAll();
    TRenderPreset::OnLostDevice();
    if (m_defaultStateBlock != kNoStateBlock) {
        device->DeleteStateBlock(m_defaultStateBlock);
        m_defaultStateBlock = kNoStateBlock;
    }
    D3DPRESENT_PARAMETERS params{};
    if (!m_builder->GetPresentParameters(&params)) {
        return false;
    }
    if (FAILED(device->Reset(&params))) {
        return false;
    }
    RecordDefaultStates();
    TRenderPreset::OnResetDevice();
    TVertexShader::CreateAll();
    TSprite::RecordScreenModes();
    // Drawing starts again with the next frame.
    return false;
}

HRESULT TD3D8::Clear(D3DCOLOR color, DWORD flags, float z, DWORD stencil, DWORD rectCount, const D3DRECT* rects)
{
    return m_device->Clear(rectCount, rects, flags, color, z, stencil);
}

HRESULT TD3D8::BeginScene() { return m_device->BeginScene(); }

HRESULT TD3D8::EndScene() { return m_device->EndScene(); }

void TD3D8::Present()
{
    if (m_presentEnabled) {
        m_device->Present(nullptr, nullptr, nullptr, nullptr);
    }
}

bool TD3D8::EnablePresent(bool enable)
{
    m_presentEnabled = enable;
    return enable;
}

D3DFORMAT TD3D8::GetTextureFormat(int formatClass) const
{
    return formatClass >= 0 && formatClass < 4 ? m_textureFormats[formatClass] : D3DFMT_UNKNOWN;
}

void TD3D8::SetFog(bool enabled, float start, float end, D3DCOLOR color)
{
    m_fogEnabled = enabled;
    m_fogStart = start;
    m_fogEnd = end;
    m_fogColor = color;
}

void TD3D8::GetFog(bool* enabled, float* start, float* end, D3DCOLOR* color) const
{
    *enabled = m_fogEnabled;
    *start = m_fogStart;
    *end = m_fogEnd;
    *color = m_fogColor;
}

void TD3D8::ApplyFog(bool on)
{
    IDirect3DDevice8* device = m_device.Get();
    const bool effective = m_fogEnabled && on;
    device->SetRenderState(D3DRS_FOGCOLOR, m_fogColor);
    device->SetRenderState(D3DRS_FOGENABLE, effective ? TRUE : FALSE);
    if (m_vertexShaders) {
        // The shaders compute the fog factor from c8 = (end / (end - start), 1 / (end - start), 0, 0).
        const float start = effective ? m_fogStart : 10000.0F;
        const float end = effective ? m_fogEnd : 11000.0F;
        const float k = 1.0F / (end - start);
        const float c8[4] = {end * k, k, 0.0F, 0.0F};
        device->SetVertexShaderConstant(8, c8, 1);
    } else {
        device->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_NONE);
        device->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
        device->SetRenderState(D3DRS_RANGEFOGENABLE, FALSE);
        device->SetRenderState(D3DRS_FOGSTART, FloatBits(m_fogStart));
        device->SetRenderState(D3DRS_FOGEND, FloatBits(m_fogEnd));
    }
}

void TD3D8::ApplyDefaultStates(bool rebuild)
{
    if (!rebuild && m_defaultStateBlock != kNoStateBlock) {
        m_device->ApplyStateBlock(m_defaultStateBlock);
    } else {
        m_builder->SetDefaultStates(m_device.Get());
    }
}

IDirect3DVertexBuffer8* TD3D8::CreateVertexBuffer(UINT vertexCount, DWORD fvf, D3DPOOL pool, DWORD usage)
{
    if (m_device.Get() == nullptr || m_builder.Get() == nullptr) {
        return nullptr;  // no device yet (or any more): nothing can be made
    }
    if (pool == kDefaultPool) {
        pool = m_builder->GetBufferPool();
    }
    IDirect3DVertexBuffer8* buffer = nullptr;
    if (FAILED(m_device->CreateVertexBuffer(vertexCount * D3DXGetFVFVertexSize(fvf),
                                            m_builder->GetBufferUsage() | usage, fvf, pool, &buffer))) {
        return nullptr;
    }
    return buffer;
}

IDirect3DIndexBuffer8* TD3D8::CreateIndexBuffer(UINT triangleCount, D3DFORMAT format, D3DPOOL pool, DWORD usage)
{
    if (m_device.Get() == nullptr || m_builder.Get() == nullptr) {
        return nullptr;  // no device yet (or any more): nothing can be made
    }
    if (pool == kDefaultPool) {
        pool = m_builder->GetBufferPool();
    }
    const UINT indexSize = format == D3DFMT_INDEX16 ? 2 : 4;
    IDirect3DIndexBuffer8* buffer = nullptr;
    if (FAILED(m_device->CreateIndexBuffer(triangleCount * 3 * indexSize, m_builder->GetBufferUsage() | usage, format,
                                           pool, &buffer))) {
        return nullptr;
    }
    return buffer;
}

IDirect3DVertexBuffer8* TD3D8::CloneVertexBuffer(IDirect3DVertexBuffer8* source)
{
    if (m_device.Get() == nullptr) {
        return nullptr;
    }
    D3DVERTEXBUFFER_DESC desc{};
    IDirect3DVertexBuffer8* copy = nullptr;
    if (source == nullptr || FAILED(source->GetDesc(&desc)) ||
        FAILED(m_device->CreateVertexBuffer(desc.Size, desc.Usage, desc.FVF, desc.Pool, &copy))) {
        return nullptr;
    }
    return FilledCopy(source, copy, desc.Size);
}

IDirect3DIndexBuffer8* TD3D8::CloneIndexBuffer(IDirect3DIndexBuffer8* source)
{
    if (m_device.Get() == nullptr) {
        return nullptr;
    }
    D3DINDEXBUFFER_DESC desc{};
    IDirect3DIndexBuffer8* copy = nullptr;
    if (source == nullptr || FAILED(source->GetDesc(&desc)) ||
        FAILED(m_device->CreateIndexBuffer(desc.Size, desc.Usage, desc.Format, desc.Pool, &copy))) {
        return nullptr;
    }
    return FilledCopy(source, copy, desc.Size);
}

IDirect3DTexture8* TD3D8::CreateTexture(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool, DWORD usage)
{
    if (m_device.Get() == nullptr) {
        return nullptr;
    }
    IDirect3DTexture8* texture = nullptr;
    if (FAILED(m_device->CreateTexture(width, height, 0, usage, format, pool, &texture))) {
        return nullptr;
    }
    return texture;
}

IDirect3DSurface8* TD3D8::CreateImageSurface(UINT width, UINT height, D3DFORMAT format)
{
    if (m_device.Get() == nullptr) {
        return nullptr;
    }
    IDirect3DSurface8* surface = nullptr;
    return SUCCEEDED(m_device->CreateImageSurface(width, height, format, &surface)) ? surface : nullptr;
}

IDirect3DSurface8* TD3D8::CreateRenderTarget(UINT width, UINT height, D3DFORMAT format,
                                             D3DMULTISAMPLE_TYPE multiSample, BOOL lockable)
{
    if (m_device.Get() == nullptr) {
        return nullptr;
    }
    IDirect3DSurface8* surface = nullptr;
    return SUCCEEDED(m_device->CreateRenderTarget(width, height, format, multiSample, lockable, &surface)) ? surface
                                                                                                          : nullptr;
}

IDirect3DSurface8* TD3D8::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                                    D3DMULTISAMPLE_TYPE multiSample)
{
    if (m_device.Get() == nullptr) {
        return nullptr;
    }
    IDirect3DSurface8* surface = nullptr;
    return SUCCEEDED(m_device->CreateDepthStencilSurface(width, height, format, multiSample, &surface)) ? surface
                                                                                                       : nullptr;
}

IDirect3DSurface8* TD3D8::GetRenderTarget()
{
    if (m_device.Get() == nullptr) {
        return nullptr;
    }
    IDirect3DSurface8* surface = nullptr;
    return SUCCEEDED(m_device->GetRenderTarget(&surface)) ? surface : nullptr;
}

IDirect3DSurface8* TD3D8::GetDepthStencilSurface()
{
    if (m_device.Get() == nullptr) {
        return nullptr;
    }
    IDirect3DSurface8* surface = nullptr;
    return SUCCEEDED(m_device->GetDepthStencilSurface(&surface)) ? surface : nullptr;
}

HRESULT TD3D8::SetRenderTarget(IDirect3DSurface8* target, IDirect3DSurface8* depthStencil)
{
    if (m_device.Get() == nullptr) {
        return E_FAIL;
    }
    return m_device->SetRenderTarget(target, depthStencil);
}

DWORD TD3D8::AssembleShader(const char* source, const DWORD* declaration)
{
    ID3DXBuffer* code = nullptr;
    ID3DXBuffer* errors = nullptr;
    const HRESULT hr = D3DXAssembleShader(source, static_cast<UINT>(lstrlenA(source)), 0, nullptr, &code, &errors);
    if (hr != S_OK) {
        std::string message = "頂点シェーダのコンパイルに失敗しました。";
        if (errors != nullptr) {
            const auto* text = static_cast<const char*>(errors->GetBufferPointer());
            message.assign(text, strnlen(text, errors->GetBufferSize()));
            errors->Release();
        }
        if (code != nullptr) {
            code->Release();
        }
        throw my_error(message, kSourceFile, 988);
    }
    if (errors != nullptr) {
        errors->Release();
    }
    DWORD handle = 0;
    m_device->CreateVertexShader(declaration, static_cast<const DWORD*>(code->GetBufferPointer()), &handle,
                                 m_builder->GetShaderUsage());
    code->Release();
    return handle;
}
