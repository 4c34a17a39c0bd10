// What every display adapter can do, asked once at start-up, and the device information file.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/d3d8/d3d8.h"

// One display mode with a back-buffer format that goes with it.
class TDisplayModeInfo {
public:
    TDisplayModeInfo(const D3DDISPLAYMODE& mode, D3DFORMAT backBufferFormat);
    virtual ~TDisplayModeInfo() = default;
    TDisplayModeInfo(const TDisplayModeInfo&) = default;
    TDisplayModeInfo& operator=(const TDisplayModeInfo&) = default;

    // 32-bit modes sort before 16-bit ones, then by size and refresh rate.
    bool operator<(const TDisplayModeInfo& other) const { return m_sortKey < other.m_sortKey; }

    UINT GetWidth() const { return m_width; }
    UINT GetHeight() const { return m_height; }
    UINT GetRefreshRate() const { return m_refreshRate; }
    D3DFORMAT GetFormat() const { return m_format; }
    D3DFORMAT GetBackBufferFormat() const { return m_backBufferFormat; }

private:
    UINT m_width;
    UINT m_height;
    UINT m_refreshRate;
    D3DFORMAT m_format;
    D3DFORMAT m_backBufferFormat;
    std::int32_t m_sortKey;
};

// One adapter / device type / windowed combination and what Direct3D accepts for it.
class TAdapterInfo {
public:
    using FormatPair = std::pair<D3DFORMAT, D3DFORMAT>;  // display format, back-buffer format
    using FormatMap = std::map<D3DFORMAT, std::vector<D3DFORMAT>>;
    // The render-target, texture, cube, volume and render-target texture kinds, in this order.
    static constexpr int kFormatKinds = 7;

    TAdapterInfo(IDirect3D8* d3d, UINT adapter, const D3DADAPTER_IDENTIFIER8& identifier, D3DDEVTYPE deviceType,
                 UINT windowed);
    virtual ~TAdapterInfo() = default;

    UINT GetAdapter() const { return m_adapter; }
    D3DDEVTYPE GetDeviceType() const { return m_deviceType; }
    UINT IsWindowed() const { return m_windowed; }
    UINT GetModeCount() const { return static_cast<UINT>(m_modes.size()); }
    TDisplayModeInfo& GetMode(UINT index) { return m_modes[index]; }

    // Null when the pair or format was never enumerated; an enumerated one may be empty.
    const std::vector<D3DMULTISAMPLE_TYPE>* GetMultiSampleTypes(D3DFORMAT display, D3DFORMAT backBuffer) const;
    const std::vector<D3DFORMAT>* GetDepthStencilFormats(D3DFORMAT display, D3DFORMAT backBuffer) const;
    const std::vector<D3DFORMAT>* GetTextureFormats(D3DFORMAT display) const;

    // This record's part of the device information file.
    void WriteInfo(std::string& out) const;

private:
    void EnumerateModes(IDirect3D8* d3d);
    void EnumerateMultiSampleTypes(IDirect3D8* d3d, D3DFORMAT display, D3DFORMAT backBuffer);
    void EnumerateDepthStencilFormats(IDirect3D8* d3d, D3DFORMAT display, D3DFORMAT backBuffer);
    void EnumerateTextureFormats(IDirect3D8* d3d, D3DFORMAT display);

    UINT m_adapter;
    D3DADAPTER_IDENTIFIER8 m_identifier;
    D3DDEVTYPE m_deviceType;
    UINT m_windowed;
    std::vector<TDisplayModeInfo> m_modes;
    std::map<FormatPair, std::vector<D3DMULTISAMPLE_TYPE>> m_multiSampleTypes;
    std::map<FormatPair, std::vector<D3DFORMAT>> m_depthStencilFormats;
    std::array<FormatMap, kFormatKinds> m_formats;
};

class TD3D8Enum {
public:
    // Enumerates at once. The Direct3D object is borrowed and must outlive this one.
    explicit TD3D8Enum(IDirect3D8* d3d);
    virtual ~TD3D8Enum() = default;
    TD3D8Enum(const TD3D8Enum&) = delete;
    TD3D8Enum& operator=(const TD3D8Enum&) = delete;

    // Four records per adapter: HAL full screen, HAL windowed, REF full screen, REF windowed.
    UINT GetAdapterCount() const { return static_cast<UINT>(m_adapters.size()); }
    TAdapterInfo& GetAdapterInfo(UINT index) { return m_adapters[index]; }

    // Creates or truncates the file; a file that cannot be opened is silently skipped.
    void WriteInfo(const std::string& fileName) const;

private:
    void Enumerate();

    IDirect3D8* m_d3d;
    std::vector<D3DADAPTER_IDENTIFIER8> m_identifiers;
    std::vector<TAdapterInfo> m_adapters;
};

// The names written to the device information file; "unknown" for anything else.
const char* DeviceTypeName(D3DDEVTYPE type);
const char* FormatName(D3DFORMAT format);
const char* MultiSampleTypeName(D3DMULTISAMPLE_TYPE type);
// The other way round, as the settings file spells them (exact case); D3DFMT_UNKNOWN for any other text.
D3DFORMAT FormatFromName(const std::string& name);
