// The one Direct3D device of the process: made through a device builder, cleared, begun, ended and
// presented by every scene, reset when it is lost. Drawing code reaches the device through GetDevice.
#pragma once

#include <cstdint>
#include <string>

#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TD3D8Enum.h"
#include "dx/dx8/3d/TD3DDeviceBuilder.h"
#include "platform/d3d8/d3d8.h"

class TD3D8 {
public:
    // Made on the first call, destroyed at process exit.
    static TD3D8* Instance();
    static IDirect3D8* GetDirect3D() { return s_direct3D; }
    static IDirect3DDevice8* GetDevice() { return s_device; }

    virtual ~TD3D8();
    TD3D8(const TD3D8&) = delete;
    TD3D8& operator=(const TD3D8&) = delete;

    // The application passes D3D_SDK_VERSION, "DeviceLog.txt" and "InitLog.txt". False when no device
    // could be made; GetCreateResult then tells the builder's code.
    bool Init(const TRefPtr<TD3DDeviceBuilder>& builder, UINT sdkVersion, const std::string& deviceLog,
              const std::string& initLog);
    void Uninit();

    // True when the device can be drawn on this frame; the frame that resets a lost device draws nothing.
    bool CheckLostDevice();
    // The arguments come in another order than the device's.
    HRESULT Clear(D3DCOLOR color, DWORD flags, float z, DWORD stencil, DWORD rectCount, const D3DRECT* rects);
    HRESULT BeginScene();
    HRESULT EndScene();
    // Presents only while enabled (the screen capture switches it off).
    void Present();
    bool EnablePresent(bool enable);

    bool IsWindowed() const { return m_windowed; }
    bool IsInitialized() const { return m_initialized; }
    bool IsVertexShaderSupported() const { return m_vertexShaders; }
    std::uint32_t GetBackBufferWidth() const { return m_backBufferWidth; }
    std::uint32_t GetBackBufferHeight() const { return m_backBufferHeight; }
    // Format class 0 to 3 (chosen at Init); D3DFMT_UNKNOWN for another class or when none fits.
    D3DFORMAT GetTextureFormat(int formatClass) const;
    TD3D8Enum* GetEnum() const { return m_enum.Get(); }
    // What the builder returned from its last CreateDevice.
    std::uint32_t GetCreateResult() const { return m_createResult; }

    void SetFog(bool enabled, float start, float end, D3DCOLOR color);
    void GetFog(bool* enabled, float* start, float* end, D3DCOLOR* color) const;
    void ApplyFog(bool on);
    // false: apply the recorded defaults; true: set the builder's states again (into a recording block).
    void ApplyDefaultStates(bool rebuild);

    // A pool of 0x7FFFFFFF means the builder's pool. Each returns null when the device refuses.
    static constexpr D3DPOOL kDefaultPool = static_cast<D3DPOOL>(0x7FFFFFFF);
    IDirect3DVertexBuffer8* CreateVertexBuffer(UINT vertexCount, DWORD fvf, D3DPOOL pool, DWORD usage);
    IDirect3DIndexBuffer8* CreateIndexBuffer(UINT triangleCount, D3DFORMAT format, D3DPOOL pool, DWORD usage);
    IDirect3DVertexBuffer8* CloneVertexBuffer(IDirect3DVertexBuffer8* source);
    IDirect3DIndexBuffer8* CloneIndexBuffer(IDirect3DIndexBuffer8* source);
    IDirect3DTexture8* CreateTexture(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool, DWORD usage);
    IDirect3DSurface8* CreateImageSurface(UINT width, UINT height, D3DFORMAT format);
    IDirect3DSurface8* CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                          BOOL lockable);
    IDirect3DSurface8* CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                                 D3DMULTISAMPLE_TYPE multiSample);
    IDirect3DSurface8* GetRenderTarget();
    IDirect3DSurface8* GetDepthStencilSurface();
    HRESULT SetRenderTarget(IDirect3DSurface8* target, IDirect3DSurface8* depthStencil);
    // Assembles vs.1.x text and creates the shader; throws my_error when the text does not assemble.
    DWORD AssembleShader(const char* source, const DWORD* declaration);

private:
    TD3D8();
    void ChooseTextureFormats();
    void RecordDefaultStates();

    static constexpr DWORD kNoStateBlock = 0xFFFFFFFF;
    static inline IDirect3D8* s_direct3D = nullptr;
    static inline IDirect3DDevice8* s_device = nullptr;

    TComPtr<IDirect3D8> m_direct3D;
    TComPtr<IDirect3DDevice8> m_device;
    TRefPtr<TD3D8Enum> m_enum;
    TRefPtr<TD3DDeviceBuilder> m_builder;
    bool m_windowed = false;
    bool m_initialized = false;
    bool m_vertexShaders = true;
    std::uint32_t m_adapterIndex = 0;
    std::uint32_t m_modeIndex = 0;
    DWORD m_defaultStateBlock = kNoStateBlock;
    D3DFORMAT m_textureFormats[4] = {};
    std::uint32_t m_backBufferWidth = 0;
    std::uint32_t m_backBufferHeight = 0;
    bool m_fogEnabled = false;
    D3DCOLOR m_fogColor = 0;
    float m_fogStart = 0.0F;
    float m_fogEnd = 0.0F;
    std::string m_deviceLog;
    std::string m_initLog;  // kept, never written
    bool m_presentEnabled = false;
    std::uint32_t m_createResult = 0;
};
