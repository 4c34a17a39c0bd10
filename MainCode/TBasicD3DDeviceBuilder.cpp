#include "MainCode/TBasicD3DDeviceBuilder.h"

#include <algorithm>
#include <cstdio>

#include "MainCode/Map/TMapData.h"
#include "TCommon/my_error.h"
#include "TUtility/TIni.h"
#include "platform/text/cp932.h"
#include "dx/dx8/3d/TD3D8.h"
#include "dx/dx8/3d/TD3D8Enum.h"

namespace {

const char kSourceFile[] = "MainCode/TBasicD3DDeviceBuilder";

bool EqualsIgnoringCase(const std::string& a, const char* b)
{
    size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        const auto lx = x >= 'A' && x <= 'Z' ? x + 32 : x;
        const auto ly = y >= 'A' && y <= 'Z' ? y + 32 : y;
        if (lx != ly) {
            return false;
        }
    }
    return i == a.size() && b[i] == '\0';
}

bool IsYes(const std::string& text)
{
    return EqualsIgnoringCase(text, "yes") || EqualsIgnoringCase(text, "on") || EqualsIgnoringCase(text, "true");
}

D3DTEXTUREFILTERTYPE FilterFromName(const std::string& name)
{
    static const char* const kNames[] = {"D3DTEXF_POINT", "D3DTEXF_LINEAR", "D3DTEXF_ANISOTROPIC",
                                         "D3DTEXF_FLATCUBIC", "D3DTEXF_GAUSSIANCUBIC"};
    for (int i = 0; i < 5; ++i) {
        if (name == kNames[i]) {
            return static_cast<D3DTEXTUREFILTERTYPE>(i + 1);
        }
    }
    return D3DTEXF_NONE;
}

std::uint32_t MultiSampleFromName(const std::string& name)
{
    for (DWORD t = 2; t <= 16; ++t) {
        if (name == MultiSampleTypeName(static_cast<D3DMULTISAMPLE_TYPE>(t))) {
            return t;
        }
    }
    return 0;
}

// A text key with the value it has when missing.
std::string Text(const TIni& ini, const char* section, const char* key, const char* missing)
{
    std::string value = missing;
    ini.GetString(section, key, value);
    return value;
}

// A setting the device cannot be made from: one line naming the file and the key, before the
// device message.
void SettingLog(const std::string& path, const std::string& text)
{
    std::fprintf(stderr, "setting: %s: %s\n", platform::Cp932ToUtf8(path).c_str(), platform::Cp932ToUtf8(text).c_str());
}

// A value as the log shows it: a long one cut.
std::string Shown(const std::string& text) { return text.size() > 32 ? text.substr(0, 32) + "..." : text; }

// A number key that is present but no number, or outside lo..hi, is logged (its value as read is used).
void CheckNumber(const TIni& ini, const std::string& path, const char* section, const char* key, std::int32_t lo,
                 std::int32_t hi)
{
    std::string text;
    if (!ini.GetString(section, key, text)) {
        return;
    }
    std::int32_t value = 0;
    ini.GetInt(section, key, value);
    std::size_t at = text.find_first_not_of(" \t");
    if (at != std::string::npos && (text[at] == '-' || text[at] == '+')) {
        ++at;
    }
    const bool number = at < text.size() && text[at] >= '0' && text[at] <= '9';
    if (!number || value < lo || value > hi) {
        SettingLog(path, "[" + std::string(section) + "] " + key + "=" + Shown(text) + " is not a number from " +
                             std::to_string(lo) + " to " + std::to_string(hi));
    }
}

bool Is16Bit(D3DFORMAT f) { return f == D3DFMT_R5G6B5 || f == D3DFMT_X1R5G5B5; }
bool Is32Bit(D3DFORMAT f) { return f == D3DFMT_X8R8G8B8 || f == D3DFMT_A8R8G8B8; }

}  // namespace

TBasicD3DDeviceBuilder::TBasicD3DDeviceBuilder(HWND window, const std::string& settingsPath)
    : TD3DDeviceBuilder(window), m_settingsPath(settingsPath)
{
}

TBasicD3DDeviceBuilder::~TBasicD3DDeviceBuilder() = default;

void TBasicD3DDeviceBuilder::ReadCurrentSetting(const TIni& ini)
{
    const char* section = "CurrentSetting";
    std::int32_t value = 0;
    if (ini.GetInt(section, "ScreenWidth", value)) {
        m_screenWidth = static_cast<std::uint32_t>(value);
    }
    if (ini.GetInt(section, "ScreenHeight", value)) {
        m_screenHeight = static_cast<std::uint32_t>(value);
    }
    value = static_cast<std::int32_t>(m_bitDepth);
    ini.GetInt(section, "BitDepth", value);
    m_bitDepth = static_cast<std::uint32_t>(std::clamp(value, 16, 32));

    const std::string mode = Text(ini, section, "ScreenMode", "Full");
    m_windowed = EqualsIgnoringCase(mode, "window") || EqualsIgnoringCase(mode, "win");
    m_multiSample = IsYes(Text(ini, section, "MultiSample", "no"));
    m_minFilter = FilterFromName(Text(ini, section, "MinFilter", "D3DTEXF_NONE"));
    m_magFilter = FilterFromName(Text(ini, section, "MagFilter", "D3DTEXF_NONE"));
    FilterFromName(Text(ini, section, "MipFilter", "D3DTEXF_NONE"));
    m_mipFilter = D3DTEXF_NONE;  // whatever the file says

    value = 100;
    ini.GetInt(section, "View", value);
    m_viewScale = static_cast<float>(value * 0.01);
    TMapData::SetViewScale(m_viewScale);
}

void TBasicD3DDeviceBuilder::ReadPreferenceLists(const TIni& ini)
{
    char key[16];
    std::string value;
    // A name the lists do not know stays in them as no type or no format; it is logged.
    const auto unknown = [&](const char* section, const char* what) {
        SettingLog(m_settingsPath, "[" + std::string(section) + "] " + key + "=" + Shown(value) + " is not " + what);
    };
    m_multiSampleList.clear();
    for (int i = 0; i < 16; ++i) {
        std::snprintf(key, sizeof key, "Type%02d", i);
        if (ini.GetString("MultiSampleType", key, value)) {
            m_multiSampleList.push_back(MultiSampleFromName(value));
            if (value != MultiSampleTypeName(static_cast<D3DMULTISAMPLE_TYPE>(m_multiSampleList.back()))) {
                unknown("MultiSampleType", "a multisample type name");
            }
        }
    }
    m_depthStencilList.clear();
    for (int i = 0; i < 43; ++i) {
        std::snprintf(key, sizeof key, "Format%02d", i);
        if (ini.GetString("DepthStencilFormat", key, value)) {
            m_depthStencilList.push_back(FormatFromName(value));
            if (value != FormatName(m_depthStencilList.back())) {
                unknown("DepthStencilFormat", "a format name");
            }
        }
    }
}

void TBasicD3DDeviceBuilder::ReadBackBufferCounts(const TIni& ini)
{
    std::int32_t value = static_cast<std::int32_t>(m_backBufferCount);
    ini.GetInt("CurrentSetting", "BackBufferCount", value);
    m_backBufferCount = static_cast<std::uint32_t>(std::clamp(value, 1, 3));

    value = static_cast<std::int32_t>(m_backBufferCountLower);
    ini.GetInt("CurrentSetting", "BackBufferCountLower", value);
    if (value >= 1 && value <= 3) {
        m_backBufferCountLower = std::min(static_cast<std::uint32_t>(value), m_backBufferCount);
    } else {
        m_backBufferCountLower = m_backBufferCount;
    }
}

void TBasicD3DDeviceBuilder::ReadDeviceBehavior(const TIni& ini)
{
    const char* section = "DeviceBehavior";
    std::string value;
    if (ini.GetString(section, "BackBufferLockEnable", value)) {
        m_lockable = IsYes(value);
    }
    if (ini.GetString(section, "VertexProcessingMode", value)) {
        if (value == "D3DCREATE_MIXED_VERTEXPROCESSING") {
            m_behaviorFlags = D3DCREATE_MIXED_VERTEXPROCESSING;
        } else if (value == "D3DCREATE_HARDWARE_VERTEXPROCESSING") {
            m_behaviorFlags = D3DCREATE_HARDWARE_VERTEXPROCESSING;
        } else {
            m_behaviorFlags = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
        }
    }
    if (ini.GetString(section, "FpuPreserve", value) && IsYes(value)) {
        m_behaviorFlags |= D3DCREATE_FPU_PRESERVE;
    }
    if (ini.GetString(section, "MultiThreaded", value) && IsYes(value)) {
        m_behaviorFlags |= D3DCREATE_MULTITHREADED;
    }
    if (ini.GetString(section, "PureDevice", value) && IsYes(value)) {
        m_behaviorFlags |= D3DCREATE_PUREDEVICE;
    }
    // A pure device always processes vertices in hardware.
    if ((m_behaviorFlags & D3DCREATE_PUREDEVICE) != 0) {
        m_behaviorFlags &= ~(D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_MIXED_VERTEXPROCESSING);
        m_behaviorFlags |= D3DCREATE_HARDWARE_VERTEXPROCESSING;
    }
}

bool TBasicD3DDeviceBuilder::ChooseMode()
{
    D3DFORMAT desktop = D3DFMT_UNKNOWN;
    if (m_windowed) {
        D3DDISPLAYMODE current{};
        if (FAILED(TD3D8::GetDirect3D()->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &current))) {
            return false;
        }
        desktop = current.Format;
        switch (desktop) {
        case D3DFMT_R8G8B8:
        case D3DFMT_R5G6B5:
        case D3DFMT_X1R5G5B5:
            m_bitDepth = 16;
            break;
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8:
            m_bitDepth = 32;
            break;
        default:
            throw my_error("CurrentDisplayFormat is Unknown", kSourceFile, 360);
        }
        m_backBufferFormat = desktop;
    }

    TD3D8Enum* tables = m_core->GetEnum();
    for (UINT r = 0; r < tables->GetAdapterCount(); ++r) {
        TAdapterInfo& record = tables->GetAdapterInfo(r);
        if ((record.IsWindowed() != 0) != m_windowed) {
            continue;
        }
        for (UINT m = 0; m < record.GetModeCount(); ++m) {
            const TDisplayModeInfo& mode = record.GetMode(m);
            if (mode.GetWidth() != m_screenWidth || mode.GetHeight() != m_screenHeight) {
                continue;
            }
            bool match = false;
            if (m_windowed) {
                match = desktop == D3DFMT_R8G8B8 ? Is16Bit(mode.GetFormat()) : mode.GetFormat() == desktop;
            } else {
                match = (m_bitDepth == 16 && Is16Bit(mode.GetFormat())) ||
                        (m_bitDepth == 32 && Is32Bit(mode.GetFormat()));
                if (match) {
                    m_backBufferFormat = mode.GetFormat();
                }
            }
            if (match) {
                m_adapterIndex = r;
                m_modeIndex = m;
                return true;
            }
        }
    }
    return false;
}

void TBasicD3DDeviceBuilder::FillPresentParameters(D3DPRESENT_PARAMETERS* params) const
{
    *params = D3DPRESENT_PARAMETERS{};
    params->BackBufferWidth = m_screenWidth;
    params->BackBufferHeight = m_screenHeight;
    params->BackBufferFormat = m_backBufferFormat;
    params->BackBufferCount = m_backBufferCount;
    params->MultiSampleType = m_multiSampleType;
    params->SwapEffect = D3DSWAPEFFECT_DISCARD;
    params->hDeviceWindow = m_window;
    params->Windowed = m_windowed ? TRUE : FALSE;
    params->EnableAutoDepthStencil = m_autoDepthStencil ? TRUE : FALSE;
    params->AutoDepthStencilFormat = m_depthStencilFormat;
    params->Flags = m_lockable ? D3DPRESENTFLAG_LOCKABLE_BACKBUFFER : 0;
    params->FullScreen_RefreshRateInHz = 0;
    params->FullScreen_PresentationInterval = 0;
}

std::uint32_t TBasicD3DDeviceBuilder::CreateDevice(TD3D8* core, IDirect3DDevice8** device)
{
    m_core = core;
    *device = nullptr;

    TIni ini(m_settingsPath, 4096, 4096, 1024);
    if (!ini.Load()) {
        SettingLog(m_settingsPath, "cannot be read: missing, empty, or a section, key or value too long or cut short");
        return kNoSettings;
    }
    const char* current = "CurrentSetting";
    CheckNumber(ini, m_settingsPath, current, "ScreenWidth", 1, 16384);
    CheckNumber(ini, m_settingsPath, current, "ScreenHeight", 1, 16384);
    CheckNumber(ini, m_settingsPath, current, "BitDepth", 16, 32);
    CheckNumber(ini, m_settingsPath, current, "BackBufferCount", 1, 3);
    CheckNumber(ini, m_settingsPath, current, "BackBufferCountLower", 1, 3);
    CheckNumber(ini, m_settingsPath, current, "View", 1, 1000);
    ReadCurrentSetting(ini);
    ReadPreferenceLists(ini);
    ReadBackBufferCounts(ini);
    ReadDeviceBehavior(ini);

    if (!ChooseMode()) {
        SettingLog(m_settingsPath, "no display mode of " + std::to_string(m_screenWidth) + "x" +
                                       std::to_string(m_screenHeight) + " at " + std::to_string(m_bitDepth) +
                                       " bits " + (m_windowed ? "in a window" : "full screen") +
                                       " ([CurrentSetting] ScreenWidth, ScreenHeight, BitDepth, ScreenMode)");
        return kNoMode;
    }
    TAdapterInfo& record = core->GetEnum()->GetAdapterInfo(m_adapterIndex);
    const D3DFORMAT display = record.GetMode(m_modeIndex).GetFormat();

    m_autoDepthStencil = !m_depthStencilList.empty();
    if (m_autoDepthStencil) {
        const std::vector<D3DFORMAT>* offered = record.GetDepthStencilFormats(display, display);
        auto found = m_depthStencilList.end();
        if (offered != nullptr) {
            found = std::find_if(m_depthStencilList.begin(), m_depthStencilList.end(), [&](D3DFORMAT f) {
                return std::find(offered->begin(), offered->end(), f) != offered->end();
            });
        }
        if (found == m_depthStencilList.end()) {
            SettingLog(m_settingsPath, "none of the depth-stencil formats of [DepthStencilFormat] is offered with " +
                                           std::string(FormatName(display)));
            return kNoDepthStencil;
        }
        m_depthStencilFormat = *found;
    }

    std::uint32_t code = kCreated;
    if (m_multiSample && !m_multiSampleList.empty()) {
        const std::vector<D3DMULTISAMPLE_TYPE>* offered = record.GetMultiSampleTypes(display, display);
        auto found = m_multiSampleList.end();
        if (offered != nullptr) {
            found = std::find_if(m_multiSampleList.begin(), m_multiSampleList.end(), [&](std::uint32_t t) {
                return std::find(offered->begin(), offered->end(), static_cast<D3DMULTISAMPLE_TYPE>(t)) !=
                       offered->end();
            });
        }
        if (found == m_multiSampleList.end()) {
            code = kNoMultiSample;
        } else {
            m_multiSampleType = static_cast<D3DMULTISAMPLE_TYPE>(*found);
        }
    }
    return CreateWithFallbacks(code, device);
}

std::uint32_t TBasicD3DDeviceBuilder::CreateWithFallbacks(std::uint32_t code, IDirect3DDevice8** device)
{
    IDirect3D8* d3d = TD3D8::GetDirect3D();
    TAdapterInfo& record = m_core->GetEnum()->GetAdapterInfo(m_adapterIndex);
    auto create = [&](D3DPRESENT_PARAMETERS* params) {
        return d3d->CreateDevice(record.GetAdapter(), record.GetDeviceType(), m_window, m_behaviorFlags, params,
                                 device);
    };

    D3DPRESENT_PARAMETERS params{};
    FillPresentParameters(&params);
    if (FAILED(create(&params)) && params.BackBufferCount < m_backBufferCount) {
        // Direct3D said how many back buffers it can offer.
        if (params.BackBufferCount < m_backBufferCountLower) {
            code = kBelowLowerLimit;
        } else {
            m_backBufferCount = params.BackBufferCount;
            code = SUCCEEDED(create(&params)) ? (code | kFewerBackBuffers) : kCreateFailed;
        }
    }
    if (*device == nullptr || (code & 1) != 0) {
        FillPresentParameters(&params);
        params.BackBufferCount = m_backBufferCountLower;
        for (DWORD behavior : {D3DCREATE_HARDWARE_VERTEXPROCESSING, D3DCREATE_SOFTWARE_VERTEXPROCESSING}) {
            m_behaviorFlags = behavior;
            if (SUCCEEDED(create(&params))) {
                code = kFallback;
                break;
            }
        }
    }
    if (*device == nullptr || (code & 1) != 0) {
        return kCreateFailed;
    }

    m_presentParams = params;
    if ((m_behaviorFlags & D3DCREATE_SOFTWARE_VERTEXPROCESSING) != 0) {
        m_shaderUsage = D3DUSAGE_SOFTWAREPROCESSING;
        m_bufferUsage = D3DUSAGE_SOFTWAREPROCESSING;
        m_bufferPool = D3DPOOL_SYSTEMMEM;
    } else {
        m_shaderUsage = 0;
        m_bufferUsage = 0;
        m_bufferPool = D3DPOOL_MANAGED;
    }
    return code;
}

bool TBasicD3DDeviceBuilder::GetPresentParameters(D3DPRESENT_PARAMETERS* params)
{
    if (m_windowed) {
        if (!ChooseMode()) {
            return false;
        }
        m_presentParams.BackBufferFormat = m_backBufferFormat;
    }
    *params = m_presentParams;
    return true;
}

void TBasicD3DDeviceBuilder::SetDefaultStates(IDirect3DDevice8* device)
{
    static const std::pair<D3DRENDERSTATETYPE, DWORD> kRenderStates[] = {
        {D3DRS_FILLMODE, D3DFILL_SOLID},
        {D3DRS_SHADEMODE, D3DSHADE_GOURAUD},
        {D3DRS_LINEPATTERN, 0},
        {D3DRS_ALPHATESTENABLE, TRUE},
        {D3DRS_LASTPIXEL, TRUE},
        {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
        {D3DRS_ALPHAREF, 0},
        {D3DRS_ALPHAFUNC, D3DCMP_NOTEQUAL},
        {D3DRS_DITHERENABLE, FALSE},
        {D3DRS_SPECULARENABLE, FALSE},
        {D3DRS_EDGEANTIALIAS, FALSE},
        {D3DRS_ZBIAS, 0},
        {D3DRS_STENCILENABLE, FALSE},
        {D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP},
        {D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP},
        {D3DRS_STENCILPASS, D3DSTENCILOP_KEEP},
        {D3DRS_STENCILFUNC, D3DCMP_ALWAYS},
        {D3DRS_STENCILREF, 0},
        {D3DRS_STENCILMASK, 0xFFFFFFFF},
        {D3DRS_STENCILWRITEMASK, 0xFFFFFFFF},
        {D3DRS_TEXTUREFACTOR, 0xFFFFFFFF},
        {D3DRS_WRAP0, 0},
        {D3DRS_WRAP1, 0},
        {D3DRS_WRAP2, 0},
        {D3DRS_WRAP3, 0},
        {D3DRS_WRAP4, 0},
        {D3DRS_WRAP5, 0},
        {D3DRS_WRAP6, 0},
        {D3DRS_WRAP7, 0},
        {D3DRS_CLIPPING, TRUE},
        {D3DRS_LIGHTING, TRUE},
        {D3DRS_AMBIENT, 0},
        {D3DRS_FOGVERTEXMODE, D3DFOG_NONE},
        {D3DRS_COLORVERTEX, TRUE},
        {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1},
        {D3DRS_SPECULARMATERIALSOURCE, D3DMCS_COLOR2},
        {D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_COLOR1},
        {D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_COLOR1},
        {D3DRS_VERTEXBLEND, D3DVBF_DISABLE},
        {D3DRS_CLIPPLANEENABLE, 0},  // no user clipping planes
    };
    for (const auto& [state, value] : kRenderStates) {
        device->SetRenderState(state, value);
    }

    const std::pair<D3DTEXTURESTAGESTATETYPE, DWORD> stage0[] = {
        {D3DTSS_COLOROP, D3DTOP_MODULATE},
        {D3DTSS_COLORARG2, D3DTA_DIFFUSE},
        {D3DTSS_ALPHAOP, D3DTOP_MODULATE},
        {D3DTSS_ALPHAARG2, D3DTA_DIFFUSE},
        {D3DTSS_BUMPENVMAT00, 0},
        {D3DTSS_BUMPENVMAT01, 0},
        {D3DTSS_BUMPENVMAT10, 0},
        {D3DTSS_BUMPENVMAT11, 0},
        {D3DTSS_TEXCOORDINDEX, 0},
        {D3DTSS_ADDRESSU, D3DTADDRESS_WRAP},
        {D3DTSS_ADDRESSV, D3DTADDRESS_WRAP},
        {D3DTSS_BORDERCOLOR, 0},
        {D3DTSS_MAGFILTER, m_magFilter},
        {D3DTSS_MINFILTER, m_minFilter},
        {D3DTSS_MIPFILTER, m_mipFilter},
        {D3DTSS_MIPMAPLODBIAS, 0},  // 0.0f
        {D3DTSS_MAXMIPLEVEL, 0},
        {D3DTSS_MAXANISOTROPY, 1},
        {D3DTSS_BUMPENVLSCALE, 0},
        {D3DTSS_BUMPENVLOFFSET, 0},
        {D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE},
        {D3DTSS_ADDRESSW, D3DTADDRESS_WRAP},
    };
    for (const auto& [type, value] : stage0) {
        device->SetTextureStageState(0, type, value);
    }
    device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
}
