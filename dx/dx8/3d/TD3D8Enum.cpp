#include "dx/dx8/3d/TD3D8Enum.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "TCommon/TFile.h"

namespace {

struct FormatEntry {
    D3DFORMAT format;
    const char* name;
};

#define QM_FORMAT(f) {f, #f}
const FormatEntry kFormatNames[] = {
    QM_FORMAT(D3DFMT_UNKNOWN),     QM_FORMAT(D3DFMT_R8G8B8),       QM_FORMAT(D3DFMT_A8R8G8B8),
    QM_FORMAT(D3DFMT_X8R8G8B8),    QM_FORMAT(D3DFMT_R5G6B5),       QM_FORMAT(D3DFMT_X1R5G5B5),
    QM_FORMAT(D3DFMT_A1R5G5B5),    QM_FORMAT(D3DFMT_A4R4G4B4),     QM_FORMAT(D3DFMT_R3G3B2),
    QM_FORMAT(D3DFMT_A8),          QM_FORMAT(D3DFMT_A8R3G3B2),     QM_FORMAT(D3DFMT_X4R4G4B4),
    QM_FORMAT(D3DFMT_A2B10G10R10), QM_FORMAT(D3DFMT_G16R16),       QM_FORMAT(D3DFMT_A8P8),
    QM_FORMAT(D3DFMT_P8),          QM_FORMAT(D3DFMT_L8),           QM_FORMAT(D3DFMT_A8L8),
    QM_FORMAT(D3DFMT_A4L4),        QM_FORMAT(D3DFMT_V8U8),         QM_FORMAT(D3DFMT_L6V5U5),
    QM_FORMAT(D3DFMT_X8L8V8U8),    QM_FORMAT(D3DFMT_Q8W8V8U8),     QM_FORMAT(D3DFMT_V16U16),
    QM_FORMAT(D3DFMT_W11V11U10),   QM_FORMAT(D3DFMT_A2W10V10U10),  QM_FORMAT(D3DFMT_UYVY),
    QM_FORMAT(D3DFMT_YUY2),        QM_FORMAT(D3DFMT_DXT1),         QM_FORMAT(D3DFMT_DXT2),
    QM_FORMAT(D3DFMT_DXT3),        QM_FORMAT(D3DFMT_DXT4),         QM_FORMAT(D3DFMT_DXT5),
    QM_FORMAT(D3DFMT_D16_LOCKABLE), QM_FORMAT(D3DFMT_D32),         QM_FORMAT(D3DFMT_D15S1),
    QM_FORMAT(D3DFMT_D24S8),       QM_FORMAT(D3DFMT_D16),          QM_FORMAT(D3DFMT_D24X8),
    QM_FORMAT(D3DFMT_D24X4S4),     QM_FORMAT(D3DFMT_VERTEXDATA),   QM_FORMAT(D3DFMT_INDEX16),
    QM_FORMAT(D3DFMT_INDEX32),
};
#undef QM_FORMAT

const D3DFORMAT kDepthCandidates[] = {
    D3DFMT_D16_LOCKABLE, D3DFMT_D32, D3DFMT_D15S1, D3DFMT_D24S8, D3DFMT_D16, D3DFMT_D24X8, D3DFMT_D24X4S4,
};

const D3DFORMAT kTextureCandidates[] = {
    D3DFMT_R8G8B8,   D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8,    D3DFMT_R5G6B5,   D3DFMT_X1R5G5B5,    D3DFMT_A1R5G5B5,
    D3DFMT_A4R4G4B4, D3DFMT_R3G3B2,   D3DFMT_A8,          D3DFMT_A8R3G3B2, D3DFMT_X4R4G4B4,    D3DFMT_A2B10G10R10,
    D3DFMT_G16R16,   D3DFMT_A8P8,     D3DFMT_P8,          D3DFMT_L8,       D3DFMT_A8L8,        D3DFMT_A4L4,
    D3DFMT_V8U8,     D3DFMT_L6V5U5,   D3DFMT_X8L8V8U8,    D3DFMT_Q8W8V8U8, D3DFMT_V16U16,      D3DFMT_W11V11U10,
    D3DFMT_A2W10V10U10, D3DFMT_UYVY,  D3DFMT_YUY2,        D3DFMT_DXT1,     D3DFMT_DXT2,        D3DFMT_DXT3,
    D3DFMT_DXT4,     D3DFMT_DXT5,
};

// The seven format maps: how each is checked and its title in the file.
struct FormatKind {
    DWORD usage;
    D3DRESOURCETYPE type;
    const char* title;
};
const FormatKind kKinds[TAdapterInfo::kFormatKinds] = {
    {D3DUSAGE_RENDERTARGET, D3DRTYPE_SURFACE, "RenderTargetFormats"},
    {0, D3DRTYPE_TEXTURE, "TextureFormats"},
    {0, D3DRTYPE_CUBETEXTURE, "CubeTextureFormats"},
    {0, D3DRTYPE_VOLUMETEXTURE, "VolumeTextureFormats"},
    {D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, "RenderTarget TextureFormats"},
    {D3DUSAGE_RENDERTARGET, D3DRTYPE_CUBETEXTURE, "RenderTarget CubeTextureFormats"},
    {D3DUSAGE_RENDERTARGET, D3DRTYPE_VOLUMETEXTURE, "RenderTarget VolumeTextureFormats"},
};
constexpr int kRenderTargetKind = 0;
constexpr int kTextureKind = 1;

std::int32_t FormatWeight(D3DFORMAT format)
{
    switch (format) {
    case D3DFMT_X8R8G8B8:
        return 1000000;
    case D3DFMT_A8R8G8B8:
        return 2000000;
    case D3DFMT_R5G6B5:
        return 10000000;
    case D3DFMT_X1R5G5B5:
        return 20000000;
    default:
        return -1;
    }
}

void AppendLine(std::string& out, const std::string& line)
{
    out += line;
    out += "\r\n";
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...)
{
    char buffer[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

// A fixed-size identifier text that may lack its terminator.
std::string Text(const char* field, size_t size) { return std::string(field, strnlen(field, size)); }

}  // namespace

const char* DeviceTypeName(D3DDEVTYPE type)
{
    switch (type) {
    case D3DDEVTYPE_HAL:
        return "D3DDEVTYPE_HAL";
    case D3DDEVTYPE_REF:
        return "D3DDEVTYPE_REF";
    case D3DDEVTYPE_SW:
        return "D3DDEVTYPE_SW";
    }
    return "unknown";
}

const char* FormatName(D3DFORMAT format)
{
    for (const FormatEntry& e : kFormatNames) {
        if (e.format == format) {
            return e.name;
        }
    }
    return "unknown";
}

D3DFORMAT FormatFromName(const std::string& name)
{
    for (const FormatEntry& e : kFormatNames) {
        if (name == e.name) {
            return e.format;
        }
    }
    return D3DFMT_UNKNOWN;
}

const char* MultiSampleTypeName(D3DMULTISAMPLE_TYPE type)
{
    static const char* const kNames[] = {
        "D3DMULTISAMPLE_2_SAMPLES",  "D3DMULTISAMPLE_3_SAMPLES",  "D3DMULTISAMPLE_4_SAMPLES",
        "D3DMULTISAMPLE_5_SAMPLES",  "D3DMULTISAMPLE_6_SAMPLES",  "D3DMULTISAMPLE_7_SAMPLES",
        "D3DMULTISAMPLE_8_SAMPLES",  "D3DMULTISAMPLE_9_SAMPLES",  "D3DMULTISAMPLE_10_SAMPLES",
        "D3DMULTISAMPLE_11_SAMPLES", "D3DMULTISAMPLE_12_SAMPLES", "D3DMULTISAMPLE_13_SAMPLES",
        "D3DMULTISAMPLE_14_SAMPLES", "D3DMULTISAMPLE_15_SAMPLES", "D3DMULTISAMPLE_16_SAMPLES",
    };
    if (type == D3DMULTISAMPLE_NONE) {
        return "D3DMULTISAMPLE_NONE";
    }
    if (type >= 2 && type <= 16) {
        return kNames[type - 2];
    }
    return "unknown";
}

TDisplayModeInfo::TDisplayModeInfo(const D3DDISPLAYMODE& mode, D3DFORMAT backBufferFormat)
    : m_width(mode.Width),
      m_height(mode.Height),
      m_refreshRate(mode.RefreshRate),
      m_format(mode.Format),
      m_backBufferFormat(backBufferFormat)
{
    // Unsigned arithmetic wraps like the 32-bit sum it stands for.
    const std::uint32_t key = static_cast<std::uint32_t>(FormatWeight(m_format)) +
                              static_cast<std::uint32_t>(FormatWeight(m_backBufferFormat)) + 10u * m_width +
                              5u * m_height + m_refreshRate;
    m_sortKey = static_cast<std::int32_t>(key);
}

TAdapterInfo::TAdapterInfo(IDirect3D8* d3d, UINT adapter, const D3DADAPTER_IDENTIFIER8& identifier,
                           D3DDEVTYPE deviceType, UINT windowed)
    : m_adapter(adapter), m_identifier(identifier), m_deviceType(deviceType), m_windowed(windowed)
{
    EnumerateModes(d3d);
    std::sort(m_modes.begin(), m_modes.end());
}

void TAdapterInfo::EnumerateModes(IDirect3D8* d3d)
{
    const UINT count = d3d->GetAdapterModeCount(m_adapter);
    for (UINT i = 0; i < count; ++i) {
        D3DDISPLAYMODE mode{};
        if (FAILED(d3d->EnumAdapterModes(m_adapter, i, &mode))) {
            continue;
        }
        const D3DFORMAT deep[] = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8};
        const D3DFORMAT shallow[] = {D3DFMT_R5G6B5, D3DFMT_X1R5G5B5};
        const D3DFORMAT* candidates = mode.Format < D3DFMT_R5G6B5 ? deep : shallow;
        for (int c = 0; c < 2; ++c) {
            const D3DFORMAT back = candidates[c];
            if (FAILED(d3d->CheckDeviceType(m_adapter, m_deviceType, mode.Format, back, m_windowed))) {
                continue;
            }
            if (m_multiSampleTypes.find({mode.Format, back}) == m_multiSampleTypes.end()) {
                EnumerateMultiSampleTypes(d3d, mode.Format, back);
                EnumerateDepthStencilFormats(d3d, mode.Format, back);
            }
            if (m_formats[kRenderTargetKind].find(mode.Format) == m_formats[kRenderTargetKind].end()) {
                EnumerateTextureFormats(d3d, mode.Format);
            }
            m_modes.emplace_back(mode, back);
        }
    }
}

void TAdapterInfo::EnumerateMultiSampleTypes(IDirect3D8* d3d, D3DFORMAT display, D3DFORMAT backBuffer)
{
    std::vector<D3DMULTISAMPLE_TYPE>& types = m_multiSampleTypes[{display, backBuffer}];
    // A window is checked against the desktop's format, full screen against its back buffer.
    const D3DFORMAT surface = m_windowed != 0 ? display : backBuffer;
    for (DWORD t = 0; t <= 16; ++t) {
        if (t == 1) {
            continue;
        }
        const auto type = static_cast<D3DMULTISAMPLE_TYPE>(t);
        if (SUCCEEDED(d3d->CheckDeviceMultiSampleType(m_adapter, m_deviceType, surface, m_windowed, type))) {
            types.push_back(type);
        }
    }
}

void TAdapterInfo::EnumerateDepthStencilFormats(IDirect3D8* d3d, D3DFORMAT display, D3DFORMAT backBuffer)
{
    std::vector<D3DFORMAT>& formats = m_depthStencilFormats[{display, backBuffer}];
    for (D3DFORMAT depth : kDepthCandidates) {
        if (d3d->CheckDeviceFormat(m_adapter, m_deviceType, display, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                                   depth) == D3D_OK &&
            d3d->CheckDepthStencilMatch(m_adapter, m_deviceType, display, backBuffer, depth) == D3D_OK) {
            formats.push_back(depth);
        }
    }
}

void TAdapterInfo::EnumerateTextureFormats(IDirect3D8* d3d, D3DFORMAT display)
{
    for (FormatMap& map : m_formats) {
        map[display];
    }
    for (D3DFORMAT candidate : kTextureCandidates) {
        for (int k = 0; k < kFormatKinds; ++k) {
            if (SUCCEEDED(d3d->CheckDeviceFormat(m_adapter, m_deviceType, display, kKinds[k].usage,
                                                 kKinds[k].type, candidate))) {
                m_formats[k][display].push_back(candidate);
            }
        }
    }
}

const std::vector<D3DMULTISAMPLE_TYPE>* TAdapterInfo::GetMultiSampleTypes(D3DFORMAT display,
                                                                          D3DFORMAT backBuffer) const
{
    auto it = m_multiSampleTypes.find({display, backBuffer});
    return it != m_multiSampleTypes.end() ? &it->second : nullptr;
}

const std::vector<D3DFORMAT>* TAdapterInfo::GetDepthStencilFormats(D3DFORMAT display, D3DFORMAT backBuffer) const
{
    auto it = m_depthStencilFormats.find({display, backBuffer});
    return it != m_depthStencilFormats.end() ? &it->second : nullptr;
}

const std::vector<D3DFORMAT>* TAdapterInfo::GetTextureFormats(D3DFORMAT display) const
{
    auto it = m_formats[kTextureKind].find(display);
    return it != m_formats[kTextureKind].end() ? &it->second : nullptr;
}

void TAdapterInfo::WriteInfo(std::string& out) const
{
    AppendLine(out, std::string("***** ") + DeviceTypeName(m_deviceType) + " " +
                        (m_windowed != 0 ? "Window" : "FullScreen") + " Mode Info *****");
    AppendLine(out, "");

    AppendLine(out, "< MultiSampleType Info >");
    for (const auto& [pair, types] : m_multiSampleTypes) {
        AppendLine(out, std::string("Mode: ") + FormatName(pair.first) + " - " + FormatName(pair.second));
        for (D3DMULTISAMPLE_TYPE type : types) {
            AppendLine(out, std::string(" ") + MultiSampleTypeName(type));
        }
        AppendLine(out, "");
    }
    AppendLine(out, "< DepthStencilFormat Info >");
    for (const auto& [pair, formats] : m_depthStencilFormats) {
        AppendLine(out, std::string("Mode: ") + FormatName(pair.first) + " - " + FormatName(pair.second));
        for (D3DFORMAT format : formats) {
            AppendLine(out, std::string(" ") + FormatName(format));
        }
        AppendLine(out, "");
    }
    for (int k = 0; k < kFormatKinds; ++k) {
        AppendLine(out, std::string("< ") + kKinds[k].title + " >");
        for (const auto& [display, formats] : m_formats[k]) {
            AppendLine(out, std::string("Mode: ") + FormatName(display));
            for (D3DFORMAT format : formats) {
                AppendLine(out, std::string(" ") + FormatName(format));
            }
            AppendLine(out, "");
        }
    }
    AppendLine(out, "< DisplayMode Info >");
    for (const TDisplayModeInfo& mode : m_modes) {
        AppendLine(out, Format(" %u x %u (%s - %s) (%uHz)", mode.GetWidth(), mode.GetHeight(),
                               FormatName(mode.GetFormat()), FormatName(mode.GetBackBufferFormat()),
                               mode.GetRefreshRate()));
    }
    AppendLine(out, "");
}

TD3D8Enum::TD3D8Enum(IDirect3D8* d3d) : m_d3d(d3d)
{
    Enumerate();
}

void TD3D8Enum::Enumerate()
{
    const UINT count = m_d3d->GetAdapterCount();
    for (UINT a = 0; a < count; ++a) {
        D3DADAPTER_IDENTIFIER8 identifier{};
        m_d3d->GetAdapterIdentifier(a, 0, &identifier);
        m_identifiers.push_back(identifier);
        m_adapters.emplace_back(m_d3d, a, identifier, D3DDEVTYPE_HAL, 0);
        m_adapters.emplace_back(m_d3d, a, identifier, D3DDEVTYPE_HAL, 1);
        m_adapters.emplace_back(m_d3d, a, identifier, D3DDEVTYPE_REF, 0);
        m_adapters.emplace_back(m_d3d, a, identifier, D3DDEVTYPE_REF, 1);
    }
}

void TD3D8Enum::WriteInfo(const std::string& fileName) const
{
    std::string out;
    for (size_t a = 0; a < m_identifiers.size(); ++a) {
        const D3DADAPTER_IDENTIFIER8& id = m_identifiers[a];
        const auto high = static_cast<DWORD>(id.DriverVersion.HighPart);
        const DWORD low = id.DriverVersion.LowPart;
        const GUID& g = id.DeviceIdentifier;
        AppendLine(out, "< Device Info >");
        AppendLine(out, "Device: " + Text(id.Description, sizeof id.Description));
        AppendLine(out, "Driver: " + Text(id.Driver, sizeof id.Driver));
        AppendLine(out, Format("Version: %u.%u.%u.%u", high >> 16, high & 0xFFFF, low >> 16, low & 0xFFFF));
        AppendLine(out, Format("VendorId: 0x%08X", id.VendorId));
        AppendLine(out, Format("DeviceId: 0x%08X", id.DeviceId));
        AppendLine(out, Format("SubSysId: 0x%08X", id.SubSysId));
        AppendLine(out, Format("Revision: %u", id.Revision));
        AppendLine(out, Format("DeviceIdentifier: %08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X", g.Data1, g.Data2,
                               g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5],
                               g.Data4[6], g.Data4[7]));
        AppendLine(out, Format("WHQLLevel: %u", id.WHQLLevel));
        AppendLine(out, "");
        for (size_t r = a * 4; r < a * 4 + 4 && r < m_adapters.size(); ++r) {
            m_adapters[r].WriteInfo(out);
        }
    }

    TFile file(fileName);
    if (!file.Create(false, GENERIC_WRITE)) {
        return;
    }
    file.Write(out.data(), static_cast<std::uint32_t>(out.size()));
    file.Close();
}
