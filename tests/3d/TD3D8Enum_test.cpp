// The adapter tables and the device information file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "dx/dx8/3d/TD3D8Enum.h"
#include "platform/d3d8/d3d8_testing.h"
#include "support/device_fixture.h"
#include "support/temp_dir.h"

namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// An adapter that answers as the test says: which display formats, pairs and multisample types pass,
// which mode indices cannot be read. Every call is counted.
class ScriptedAdapter : public IDirect3D8 {
public:
    std::vector<D3DDISPLAYMODE> modes;
    std::set<UINT> unreadable;
    std::set<std::pair<D3DFORMAT, D3DFORMAT>> deviceTypes;  // display, back buffer; windowed or not alike
    bool multiSample = true;
    int formatChecks = 0;
    int multiSampleChecks = 0;

    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    UINT GetAdapterCount() override { return 1; }
    HRESULT GetAdapterIdentifier(UINT, DWORD, D3DADAPTER_IDENTIFIER8*) override { return D3DERR_INVALIDCALL; }
    UINT GetAdapterModeCount(UINT) override { return static_cast<UINT>(modes.size()); }
    HRESULT EnumAdapterModes(UINT, UINT mode, D3DDISPLAYMODE* out) override
    {
        if (unreadable.count(mode) != 0) {
            return D3DERR_INVALIDCALL;
        }
        *out = modes[mode];
        return D3D_OK;
    }
    HRESULT GetAdapterDisplayMode(UINT, D3DDISPLAYMODE*) override { return D3DERR_INVALIDCALL; }
    HRESULT CheckDeviceType(UINT, D3DDEVTYPE type, D3DFORMAT display, D3DFORMAT back, BOOL) override
    {
        return type == D3DDEVTYPE_HAL && deviceTypes.count({display, back}) != 0 ? D3D_OK : D3DERR_NOTAVAILABLE;
    }
    HRESULT CheckDeviceFormat(UINT, D3DDEVTYPE, D3DFORMAT, DWORD usage, D3DRESOURCETYPE type,
                              D3DFORMAT format) override
    {
        ++formatChecks;
        if (usage == D3DUSAGE_DEPTHSTENCIL) {
            return format == D3DFMT_D16 ? D3D_OK : D3DERR_NOTAVAILABLE;
        }
        return usage == 0 && type == D3DRTYPE_TEXTURE && format == D3DFMT_A4R4G4B4 ? D3D_OK : D3DERR_NOTAVAILABLE;
    }
    HRESULT CheckDeviceMultiSampleType(UINT, D3DDEVTYPE, D3DFORMAT, BOOL, D3DMULTISAMPLE_TYPE type) override
    {
        ++multiSampleChecks;
        return multiSample && (type == D3DMULTISAMPLE_NONE || type == D3DMULTISAMPLE_4_SAMPLES) ? D3D_OK
                                                                                               : D3DERR_NOTAVAILABLE;
    }
    HRESULT CheckDepthStencilMatch(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, D3DFORMAT) override { return D3D_OK; }
    HRESULT GetDeviceCaps(UINT, D3DDEVTYPE, D3DCAPS8*) override { return D3DERR_INVALIDCALL; }
    HRESULT CreateDevice(UINT, D3DDEVTYPE, HWND, DWORD, D3DPRESENT_PARAMETERS*, IDirect3DDevice8**) override
    {
        return D3DERR_INVALIDCALL;
    }
};

std::string ModeText(const TDisplayModeInfo& m)
{
    return std::to_string(m.GetWidth()) + "x" + std::to_string(m.GetHeight()) + "@" +
           std::to_string(m.GetRefreshRate()) + " " + FormatName(m.GetFormat()) + "/" +
           FormatName(m.GetBackBufferFormat());
}

TEST(DeviceLog, MatchesTheGoldenFileForAFixedAdapter)
{
    qmtest::TempDir dir;
    platform::SetD3D8TestConfig(qmtest::FixedAdapter());
    IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    {
        TD3D8Enum tables(d3d);
        tables.WriteInfo(dir.File("DeviceLog.txt"));
    }
    d3d->Release();
    platform::ResetD3D8TestConfig();

    const std::string actual = ReadAll(dir.File("DeviceLog.txt"));
    const char* goldenDir = std::getenv("QM_GOLDEN_DIR");
    ASSERT_NE(goldenDir, nullptr);
    const std::string golden = std::string(goldenDir) + "/DeviceLog.txt";
    if (std::getenv("QM_UPDATE_GOLDEN") != nullptr) {
        std::ofstream(golden, std::ios::binary) << actual;
    }
    const std::string expected = ReadAll(golden);
    ASSERT_FALSE(expected.empty()) << "no golden " << golden;
    if (actual != expected) {
        std::ofstream("DeviceLog.actual.txt", std::ios::binary) << actual;
        FAIL() << "DeviceLog.txt differs from " << golden << "; written to DeviceLog.actual.txt";
    }
}

TEST(DeviceLog, AFileThatCannotBeOpenedIsSkipped)
{
    qmtest::TempDir dir;
    platform::SetD3D8TestConfig(qmtest::FixedAdapter());
    IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    TD3D8Enum tables(d3d);
    tables.WriteInfo(dir.File("no such folder/DeviceLog.txt"));  // no error
    d3d->Release();
    platform::ResetD3D8TestConfig();
    EXPECT_FALSE(std::ifstream(dir.File("no such folder/DeviceLog.txt")).good());
}

TEST(AdapterTables, FourRecordsPerAdapterInTheirOrderWithSortedModes)
{
    platform::SetD3D8TestConfig(qmtest::FixedAdapter());
    IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    TD3D8Enum tables(d3d);
    ASSERT_EQ(tables.GetAdapterCount(), 4u);
    const std::pair<D3DDEVTYPE, UINT> order[] = {
        {D3DDEVTYPE_HAL, 0}, {D3DDEVTYPE_HAL, 1}, {D3DDEVTYPE_REF, 0}, {D3DDEVTYPE_REF, 1}};
    for (UINT r = 0; r < 4; ++r) {
        EXPECT_EQ(tables.GetAdapterInfo(r).GetAdapter(), 0u);
        EXPECT_EQ(tables.GetAdapterInfo(r).GetDeviceType(), order[r].first);
        EXPECT_EQ(tables.GetAdapterInfo(r).IsWindowed(), order[r].second);
    }
    EXPECT_STREQ(tables.GetAdapterInfo(0).GetIdentifier().Description, "Quillmark Test Adapter 3D");
    // No reference rasteriser here.
    EXPECT_EQ(tables.GetAdapterInfo(2).GetModeCount(), 0u);
    EXPECT_EQ(tables.GetAdapterInfo(3).GetModeCount(), 0u);

    // Full screen: 640×480 X8 at 60 Hz, then at 75 Hz, then with an A8 back buffer; 32-bit before 16-bit.
    TAdapterInfo& full = tables.GetAdapterInfo(0);
    ASSERT_EQ(full.GetModeCount(), 20u);
    EXPECT_EQ(ModeText(full.GetMode(0)), "640x480@60 D3DFMT_X8R8G8B8/D3DFMT_X8R8G8B8");
    EXPECT_EQ(ModeText(full.GetMode(1)), "640x480@75 D3DFMT_X8R8G8B8/D3DFMT_X8R8G8B8");
    EXPECT_EQ(ModeText(full.GetMode(2)), "800x600@60 D3DFMT_X8R8G8B8/D3DFMT_X8R8G8B8");
    bool seen16 = false;
    for (UINT m = 1; m < full.GetModeCount(); ++m) {
        EXPECT_LE(full.GetMode(m - 1).GetSortKey(), full.GetMode(m).GetSortKey());
        const bool is16 = full.GetMode(m).GetFormat() == D3DFMT_R5G6B5;
        EXPECT_FALSE(seen16 && !is16) << ModeText(full.GetMode(m));
        seen16 = seen16 || is16;
    }
    // A window shares the desktop's format only.
    TAdapterInfo& window = tables.GetAdapterInfo(1);
    ASSERT_EQ(window.GetModeCount(), 10u);
    for (UINT m = 0; m < window.GetModeCount(); ++m) {
        EXPECT_EQ(window.GetMode(m).GetFormat(), D3DFMT_X8R8G8B8);
    }
    ASSERT_NE(window.GetTextureFormats(D3DFMT_X8R8G8B8), nullptr);
    EXPECT_EQ(window.GetTextureFormats(D3DFMT_R5G6B5), nullptr);
    ASSERT_NE(full.GetDepthStencilFormats(D3DFMT_R5G6B5, D3DFMT_X1R5G5B5), nullptr);
    EXPECT_EQ(full.GetDepthStencilFormats(D3DFMT_R5G6B5, D3DFMT_X8R8G8B8), nullptr);
    d3d->Release();
    platform::ResetD3D8TestConfig();
}

TEST(AdapterTables, SortKeysWeighFormatsAboveSizes)
{
    const TDisplayModeInfo big16({1600, 1200, 85, D3DFMT_R5G6B5}, D3DFMT_R5G6B5);
    const TDisplayModeInfo small32({640, 480, 60, D3DFMT_X8R8G8B8}, D3DFMT_A8R8G8B8);
    const TDisplayModeInfo a1({640, 480, 60, D3DFMT_A1R5G5B5}, D3DFMT_R5G6B5);
    const TDisplayModeInfo same16({640, 480, 60, D3DFMT_R5G6B5}, D3DFMT_R5G6B5);
    EXPECT_EQ(small32.GetSortKey(), 3000000 + 6400 + 2400 + 60);
    EXPECT_EQ(a1.GetSortKey(), -1 + 10000000 + 6400 + 2400 + 60);
    EXPECT_LT(small32, big16);
    EXPECT_LT(small32, a1);
    EXPECT_LT(a1, same16);  // the unweighted A1R5G5B5 display sorts before R5G6B5 of the same size
    EXPECT_FALSE(same16 < a1);
}

TEST(AdapterTables, QueriesEachFormatAndPairOnceAndSkipsWhatFails)
{
    ScriptedAdapter adapter;
    adapter.modes = {{640, 480, 60, D3DFMT_R5G6B5},
                     {640, 480, 75, D3DFMT_R5G6B5},
                     {800, 600, 60, D3DFMT_X8R8G8B8},
                     {1024, 768, 60, D3DFMT_X8R8G8B8}};
    adapter.unreadable = {3};
    adapter.deviceTypes = {{D3DFMT_R5G6B5, D3DFMT_R5G6B5}, {D3DFMT_R5G6B5, D3DFMT_X1R5G5B5},
                           {D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8}};
    adapter.multiSample = false;
    TD3D8Enum tables(&adapter);
    ASSERT_EQ(tables.GetAdapterCount(), 4u);
    TAdapterInfo& full = tables.GetAdapterInfo(0);
    EXPECT_EQ(full.GetModeCount(), 5u);  // 2 × R5G6B5 pairs, one X8 pair; the unreadable mode is gone
    // Every check refused, yet the pair is listed, empty.
    const auto* types = full.GetMultiSampleTypes(D3DFMT_R5G6B5, D3DFMT_X1R5G5B5);
    ASSERT_NE(types, nullptr);
    EXPECT_TRUE(types->empty());
    EXPECT_EQ(full.GetMultiSampleTypes(D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8), nullptr);
    ASSERT_NE(full.GetDepthStencilFormats(D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8), nullptr);
    EXPECT_EQ(*full.GetDepthStencilFormats(D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8), std::vector<D3DFORMAT>{D3DFMT_D16});
    ASSERT_NE(full.GetTextureFormats(D3DFMT_R5G6B5), nullptr);
    EXPECT_EQ(*full.GetTextureFormats(D3DFMT_R5G6B5), std::vector<D3DFORMAT>{D3DFMT_A4R4G4B4});
    // Per record: two display formats × 224 format checks, three pairs × 7 depth checks, 16 multisample types
    // per pair; the REF records query nothing.
    EXPECT_EQ(adapter.formatChecks, 2 * (2 * 224 + 3 * 7));
    EXPECT_EQ(adapter.multiSampleChecks, 2 * 3 * 16);
}

TEST(AdapterTables, AcceptedMultiSampleTypesInCandidateOrder)
{
    ScriptedAdapter adapter;
    adapter.modes = {{640, 480, 60, D3DFMT_X8R8G8B8}};
    adapter.deviceTypes = {{D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8}};
    TD3D8Enum tables(&adapter);
    const auto* types = tables.GetAdapterInfo(1).GetMultiSampleTypes(D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8);
    ASSERT_NE(types, nullptr);
    EXPECT_EQ(*types, (std::vector<D3DMULTISAMPLE_TYPE>{D3DMULTISAMPLE_NONE, D3DMULTISAMPLE_4_SAMPLES}));
}

TEST(AdapterTables, Names)
{
    EXPECT_STREQ(DeviceTypeName(D3DDEVTYPE_SW), "D3DDEVTYPE_SW");
    EXPECT_STREQ(DeviceTypeName(static_cast<D3DDEVTYPE>(0)), "unknown");
    EXPECT_STREQ(FormatName(D3DFMT_DXT3), "D3DFMT_DXT3");
    EXPECT_STREQ(FormatName(D3DFMT_INDEX32), "D3DFMT_INDEX32");
    EXPECT_STREQ(FormatName(static_cast<D3DFORMAT>(33)), "unknown");
    EXPECT_STREQ(MultiSampleTypeName(D3DMULTISAMPLE_16_SAMPLES), "D3DMULTISAMPLE_16_SAMPLES");
    EXPECT_STREQ(MultiSampleTypeName(static_cast<D3DMULTISAMPLE_TYPE>(1)), "unknown");
    EXPECT_STREQ(MultiSampleTypeName(static_cast<D3DMULTISAMPLE_TYPE>(17)), "unknown");
    EXPECT_EQ(FormatFromName("D3DFMT_D24X4S4"), D3DFMT_D24X4S4);
    EXPECT_EQ(FormatFromName("D3DFMT_d16"), D3DFMT_UNKNOWN);
}

}  // namespace
