// Direct3D 8 as the game uses it, drawn with OpenGL in the SDL window.
#pragma once

#include "platform/d3d8/d3d8types.h"
#include "platform/win32/types.h"

struct RGNDATA;
struct IDirect3D8;
struct IDirect3DDevice8;
struct IDirect3DSurface8;

struct IDirect3DResource8 : IUnknown {
    virtual HRESULT GetDevice(IDirect3DDevice8** device) = 0;
    virtual D3DRESOURCETYPE GetType() = 0;
};

struct IDirect3DBaseTexture8 : IDirect3DResource8 {
    virtual DWORD GetLevelCount() = 0;
};

struct IDirect3DTexture8 : IDirect3DBaseTexture8 {
    virtual HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) = 0;
    virtual HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) = 0;
    virtual HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) = 0;
    virtual HRESULT UnlockRect(UINT level) = 0;
};

struct IDirect3DSurface8 : IUnknown {
    virtual HRESULT GetDevice(IDirect3DDevice8** device) = 0;
    virtual HRESULT GetDesc(D3DSURFACE_DESC* desc) = 0;
    virtual HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) = 0;
    virtual HRESULT UnlockRect() = 0;
};

struct IDirect3DVertexBuffer8 : IDirect3DResource8 {
    virtual HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags) = 0;
    virtual HRESULT Unlock() = 0;
    virtual HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) = 0;
};

struct IDirect3DIndexBuffer8 : IDirect3DResource8 {
    virtual HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags) = 0;
    virtual HRESULT Unlock() = 0;
    virtual HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) = 0;
};

struct IDirect3DDevice8 : IUnknown {
    virtual HRESULT TestCooperativeLevel() = 0;
    virtual HRESULT GetDirect3D(IDirect3D8** d3d) = 0;
    virtual HRESULT GetDeviceCaps(D3DCAPS8* caps) = 0;
    virtual HRESULT GetDisplayMode(D3DDISPLAYMODE* mode) = 0;
    virtual HRESULT Reset(D3DPRESENT_PARAMETERS* params) = 0;
    virtual HRESULT Present(const RECT* source, const RECT* dest, HWND override, const RGNDATA* dirty) = 0;
    virtual HRESULT GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface8** surface) = 0;

    virtual HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DTexture8** texture) = 0;
    virtual HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                       IDirect3DVertexBuffer8** buffer) = 0;
    virtual HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                      IDirect3DIndexBuffer8** buffer) = 0;
    virtual HRESULT CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                       BOOL lockable, IDirect3DSurface8** surface) = 0;
    virtual HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                              D3DMULTISAMPLE_TYPE multiSample, IDirect3DSurface8** surface) = 0;
    virtual HRESULT CreateImageSurface(UINT width, UINT height, D3DFORMAT format, IDirect3DSurface8** surface) = 0;
    virtual HRESULT CopyRects(IDirect3DSurface8* source, const RECT* sourceRects, UINT count,
                              IDirect3DSurface8* dest, const POINT* destPoints) = 0;
    virtual HRESULT SetRenderTarget(IDirect3DSurface8* target, IDirect3DSurface8* depthStencil) = 0;
    virtual HRESULT GetRenderTarget(IDirect3DSurface8** target) = 0;
    virtual HRESULT GetDepthStencilSurface(IDirect3DSurface8** depthStencil) = 0;

    virtual HRESULT BeginScene() = 0;
    virtual HRESULT EndScene() = 0;
    virtual HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) = 0;

    virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) = 0;
    virtual HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) = 0;
    virtual HRESULT SetViewport(const D3DVIEWPORT8* viewport) = 0;
    virtual HRESULT GetViewport(D3DVIEWPORT8* viewport) = 0;
    virtual HRESULT SetMaterial(const D3DMATERIAL8* material) = 0;
    virtual HRESULT GetMaterial(D3DMATERIAL8* material) = 0;
    virtual HRESULT SetLight(DWORD index, const D3DLIGHT8* light) = 0;
    virtual HRESULT GetLight(DWORD index, D3DLIGHT8* light) = 0;
    virtual HRESULT LightEnable(DWORD index, BOOL enable) = 0;
    virtual HRESULT GetLightEnable(DWORD index, BOOL* enable) = 0;
    virtual HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) = 0;
    virtual HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) = 0;

    virtual HRESULT BeginStateBlock() = 0;
    virtual HRESULT EndStateBlock(DWORD* token) = 0;
    virtual HRESULT ApplyStateBlock(DWORD token) = 0;
    virtual HRESULT CaptureStateBlock(DWORD token) = 0;
    virtual HRESULT DeleteStateBlock(DWORD token) = 0;

    virtual HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture8** texture) = 0;
    virtual HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) = 0;
    virtual HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) = 0;
    virtual HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) = 0;

    virtual HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) = 0;
    virtual HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT startIndex,
                                         UINT primitiveCount) = 0;
    virtual HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride) = 0;
    virtual HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount,
                                           UINT primitiveCount, const void* indices, D3DFORMAT indexFormat,
                                           const void* vertices, UINT stride) = 0;

    virtual HRESULT CreateVertexShader(const DWORD* declaration, const DWORD* function, DWORD* handle,
                                       DWORD usage) = 0;
    virtual HRESULT SetVertexShader(DWORD handle) = 0;
    virtual HRESULT GetVertexShader(DWORD* handle) = 0;
    virtual HRESULT DeleteVertexShader(DWORD handle) = 0;
    virtual HRESULT SetVertexShaderConstant(DWORD reg, const void* data, DWORD count) = 0;
    virtual HRESULT GetVertexShaderConstant(DWORD reg, void* data, DWORD count) = 0;

    virtual HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) = 0;
    virtual HRESULT GetStreamSource(UINT stream, IDirect3DVertexBuffer8** buffer, UINT* stride) = 0;
    virtual HRESULT SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertexIndex) = 0;
    virtual HRESULT GetIndices(IDirect3DIndexBuffer8** buffer, UINT* baseVertexIndex) = 0;
};

struct IDirect3D8 : IUnknown {
    virtual UINT GetAdapterCount() = 0;
    virtual HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER8* identifier) = 0;
    virtual UINT GetAdapterModeCount(UINT adapter) = 0;
    virtual HRESULT EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* out) = 0;
    virtual HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) = 0;
    virtual HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                                    D3DFORMAT backBufferFormat, BOOL windowed) = 0;
    virtual HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                      D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) = 0;
    virtual HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT surfaceFormat, BOOL windowed,
                                               D3DMULTISAMPLE_TYPE multiSample) = 0;
    virtual HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                           D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat) = 0;
    virtual HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) = 0;
    virtual HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                                 D3DPRESENT_PARAMETERS* params, IDirect3DDevice8** device) = 0;
};

// Null when sdkVersion is not D3D_SDK_VERSION.
IDirect3D8* Direct3DCreate8(UINT sdkVersion);
