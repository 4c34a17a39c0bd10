// The device settings read from "setting.ini" and the device they make, with its fallbacks.
#include <gtest/gtest.h>

#include <string>

#include "MainCode/Map/TMapData.h"
#include "MainCode/TBasicD3DDeviceBuilder.h"
#include "TCommon/my_error.h"
#include "support/device_fixture.h"
#include "support/main_probe.h"

namespace {

using qmtest::IniWriter;

class DeviceSettings : public qmtest::DeviceFixture {
protected:
    // Makes the device afresh from a "CurrentSetting" section (plus any further lines); returns the code.
    std::uint32_t Make(const IniWriter& ini)
    {
        d3d()->Uninit();
        WriteSettings(ini);
        const bool made = InitDevice();
        EXPECT_EQ(made, (d3d()->GetCreateResult() & 1) == 0);
        EXPECT_EQ(made, device() != nullptr);
        return d3d()->GetCreateResult();
    }
    D3DPRESENT_PARAMETERS Present()
    {
        D3DPRESENT_PARAMETERS pp{};
        EXPECT_TRUE(builder()->GetPresentParameters(&pp));
        return pp;
    }
    const TDisplayModeInfo& ChosenMode()
    {
        return d3d()->GetEnum()->GetAdapterInfo(builder()->GetAdapterIndex()).GetMode(builder()->GetModeIndex());
    }
    // The settings tool also writes keys the game does not read; a section without keys would not load.
    static IniWriter Current() { return std::move(IniWriter().Section("CurrentSetting").Key("Version", 1)); }
    static IniWriter Windowed() { return std::move(Current().Key("ScreenMode", "Window")); }
};

TEST_F(DeviceSettings, OnlyFullScreenModeGivesTheDefaults)
{
    TMapData::SetViewScale(0.5F);
    ASSERT_EQ(Make(IniWriter().Section("CurrentSetting").Key("ScreenMode", "Full")), 0u);
    EXPECT_FALSE(d3d()->IsWindowed());
    const D3DPRESENT_PARAMETERS pp = Present();
    EXPECT_EQ(pp.BackBufferWidth, 640u);
    EXPECT_EQ(pp.BackBufferHeight, 480u);
    EXPECT_EQ(pp.BackBufferFormat, D3DFMT_R5G6B5);  // 16 bits
    EXPECT_EQ(pp.BackBufferCount, 1u);
    EXPECT_EQ(pp.MultiSampleType, D3DMULTISAMPLE_NONE);
    EXPECT_EQ(pp.EnableAutoDepthStencil, FALSE);
    EXPECT_EQ(ChosenMode().GetRefreshRate(), 60u);
    EXPECT_EQ(TMainProbe::BehaviorFlags(*builder()), D3DCREATE_HARDWARE_VERTEXPROCESSING);
    EXPECT_FLOAT_EQ(TMapData::GetViewScale(), 1.0F);
}

TEST_F(DeviceSettings, ScreenModeWindowOrWinInAnyCaseIsWindowed)
{
    const std::pair<const char*, bool> cases[] = {
        {"WINDOW", true}, {"win", true}, {"windowed", false}, {"", false},
    };
    for (const auto& [text, windowed] : cases) {
        SCOPED_TRACE(text);
        ASSERT_EQ(Make(Current().Key("ScreenMode", text)), 0u);
        EXPECT_EQ(d3d()->IsWindowed(), windowed);
        // A window takes the desktop's format.
        EXPECT_EQ(Present().BackBufferFormat, windowed ? D3DFMT_X8R8G8B8 : D3DFMT_R5G6B5);
    }
}

TEST_F(DeviceSettings, SizeAndBitDepthChooseTheLowestRefreshOfTheFirstFormat)
{
    ASSERT_EQ(Make(Current().Key("ScreenWidth", 800).Key("ScreenHeight", 600).Key("BitDepth", 32)), 0u);
    EXPECT_EQ(ChosenMode().GetWidth(), 800u);
    EXPECT_EQ(ChosenMode().GetRefreshRate(), 60u);  // offered at 75 and 60 Hz
    EXPECT_EQ(Present().BackBufferFormat, D3DFMT_X8R8G8B8);

    // Outside 16..32 the depth is clamped; inside, only 16 and 32 match a mode.
    ASSERT_EQ(Make(Current().Key("BitDepth", 8)), 0u);
    EXPECT_EQ(TMainProbe::BitDepth(*builder()), 16u);
    ASSERT_EQ(Make(Current().Key("BitDepth", 40)), 0u);
    EXPECT_EQ(Present().BackBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(Make(Current().Key("BitDepth", 24)), 0x05u);
    EXPECT_EQ(TMainProbe::BitDepth(*builder()), 24u);
    EXPECT_FALSE(d3d()->IsInitialized());
    EXPECT_EQ(Make(Current().Key("ScreenWidth", 700)), 0x05u);
    // A window must have the size of one of the desktop format's modes.
    EXPECT_EQ(Make(Windowed().Key("ScreenWidth", 700).Key("ScreenHeight", 500)), 0x05u);
}

TEST_F(DeviceSettings, BackBufferCountsAreClamped)
{
    struct Case {
        const char *count, *lower;
        std::uint32_t wantCount, wantLower;
    };
    const Case cases[] = {
        {"5", nullptr, 3, 1}, {"-4", "2", 1, 1}, {"2", "3", 2, 2}, {"3", "0", 3, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.count) + "/" + (c.lower != nullptr ? c.lower : "-"));
        IniWriter ini = Current().Key("BackBufferCount", c.count);
        if (c.lower != nullptr) {
            ini.Key("BackBufferCountLower", c.lower);
        }
        ASSERT_EQ(Make(ini), 0u);
        EXPECT_EQ(TMainProbe::BackBufferCount(*builder()), c.wantCount);
        EXPECT_EQ(TMainProbe::BackBufferCountLower(*builder()), c.wantLower);
    }
}

TEST_F(DeviceSettings, DeviceBehaviorKeys)
{
    struct Case {
        const char *mode, *fpu, *threads, *pure;
        DWORD want;
    };
    const Case cases[] = {
        {"d3dcreate_hardware_vertexprocessing", nullptr, nullptr, nullptr, 0x20},  // names are case-sensitive
        {"D3DCREATE_HARDWARE_VERTEXPROCESSING", nullptr, nullptr, nullptr, 0x40},
        {"D3DCREATE_MIXED_VERTEXPROCESSING", "yes", "TRUE", "no", 0x86},
        {"D3DCREATE_SOFTWARE_VERTEXPROCESSING", "off", "maybe", "yes", 0x50},  // pure means hardware
        {nullptr, "On", nullptr, nullptr, 0x42},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.want);
        IniWriter ini = Current();
        ini.Section("DeviceBehavior");
        const std::pair<const char*, const char*> keys[] = {
            {"VertexProcessingMode", c.mode}, {"FpuPreserve", c.fpu}, {"MultiThreaded", c.threads},
            {"PureDevice", c.pure}};
        for (const auto& [key, value] : keys) {
            if (value != nullptr) {
                ini.Key(key, value);
            }
        }
        ASSERT_EQ(Make(ini), 0u);
        EXPECT_EQ(TMainProbe::BehaviorFlags(*builder()), c.want);
        const bool software = (c.want & 0x20) != 0;
        EXPECT_EQ(builder()->GetBufferPool(), software ? D3DPOOL_SYSTEMMEM : D3DPOOL_MANAGED);
        EXPECT_EQ(builder()->GetBufferUsage(), software ? D3DUSAGE_SOFTWAREPROCESSING : 0u);
        EXPECT_EQ(builder()->GetShaderUsage(), software ? D3DUSAGE_SOFTWAREPROCESSING : 0u);
    }

    ASSERT_EQ(Make(Current().Section("DeviceBehavior").Key("BackBufferLockEnable", "yes")), 0u);
    EXPECT_TRUE(TMainProbe::IsBackBufferLockable(*builder()));
    EXPECT_EQ(Present().Flags, D3DPRESENTFLAG_LOCKABLE_BACKBUFFER);
}

TEST_F(DeviceSettings, FilterNamesAndViewScale)
{
    ASSERT_EQ(Make(Current().Key("MinFilter", "D3DTEXF_LINEAR").Key("MagFilter", "D3DTEXF_ANISOTROPIC")
                       .Key("MipFilter", "D3DTEXF_LINEAR").Key("View", 80)), 0u);
    EXPECT_EQ(TMainProbe::MinFilter(*builder()), D3DTEXF_LINEAR);
    EXPECT_EQ(TMainProbe::MagFilter(*builder()), D3DTEXF_ANISOTROPIC);
    EXPECT_EQ(TMainProbe::MipFilter(*builder()), D3DTEXF_NONE);
    EXPECT_FLOAT_EQ(TMapData::GetViewScale(), 0.8F);

    for (const char* name : {"D3DTEXF_LINER", "d3dtexf_linear", "2"}) {
        ASSERT_EQ(Make(Current().Key("MinFilter", name).Key("MagFilter", "D3DTEXF_GAUSSIANCUBIC")), 0u);
        EXPECT_EQ(TMainProbe::MinFilter(*builder()), D3DTEXF_NONE) << name;
        EXPECT_EQ(TMainProbe::MagFilter(*builder()), D3DTEXF_GAUSSIANCUBIC);
    }
}

TEST_F(DeviceSettings, MultiSamplePreferences)
{
    // Gaps are allowed; unknown names count as none.
    IniWriter ini = Current().Key("MultiSample", "yes");
    ini.Section("MultiSampleType").Key("Type00", "D3DMULTISAMPLE_4_SAMPLES").Key("Type03", "D3DMULTISAMPLE_2_SAMPLES");
    // This adapter offers no multisampling: the device is made without it.
    EXPECT_EQ(Make(ini), 0x82u);
    EXPECT_EQ(TMainProbe::MultiSampleList(*builder()), (std::vector<std::uint32_t>{4, 2}));
    EXPECT_EQ(Present().MultiSampleType, D3DMULTISAMPLE_NONE);

    ini = Current().Key("MultiSample", "yes");
    ini.Section("MultiSampleType").Key("Type01", "D3DMULTISAMPLE_16_SAMPLES").Key("Type15", "D3DMULTISAMPLE_NONE")
        .Key("Type16", "D3DMULTISAMPLE_2_SAMPLES");  // beyond the 16 keys
    EXPECT_EQ(Make(ini), 0u);  // "none" is on offer
    ASSERT_EQ(TMainProbe::MultiSampleList(*builder()).size(), 2u);
    EXPECT_EQ(TMainProbe::MultiSampleList(*builder())[1], 0u);
}

TEST_F(DeviceSettings, DepthStencilPreferences)
{
    IniWriter ini = Current();
    ini.Section("DepthStencilFormat").Key("Format00", "D3DFMT_D32").Key("Format05", "D3DFMT_D24S8")
        .Key("Format42", "D3DFMT_D16");
    ASSERT_EQ(Make(ini), 0u);
    ASSERT_EQ(TMainProbe::DepthStencilList(*builder()).size(), 3u);
    EXPECT_EQ(TMainProbe::DepthStencilFormat(*builder()), D3DFMT_D24S8);  // the first on offer
    EXPECT_EQ(Present().EnableAutoDepthStencil, TRUE);
    EXPECT_EQ(Present().AutoDepthStencilFormat, D3DFMT_D24S8);

    ini = Current();
    ini.Section("DepthStencilFormat").Key("Format00", "D3DFMT_D32").Key("Format01", "D3DFMT_D15S1")
        .Key("Format02", "d3dfmt_d16");
    EXPECT_EQ(Make(ini), 0x09u);
    EXPECT_EQ(TMainProbe::DepthStencilList(*builder()).back(), D3DFMT_UNKNOWN);
}

TEST_F(DeviceSettings, FewerBackBuffersThanWanted)
{
    platform::D3D8TestConfig config = qmtest::FixedAdapter();
    config.maxBackBufferCount = 2;
    UseAdapter(config);
    ASSERT_EQ(Make(Current().Key("BackBufferCount", 3)), 0x102u);
    EXPECT_EQ(TMainProbe::BackBufferCount(*builder()), 2u);
    EXPECT_EQ(Present().BackBufferCount, 2u);

    // Together with multisampling that is not on offer.
    IniWriter ini = Current().Key("BackBufferCount", 3).Key("MultiSample", "on");
    ini.Section("MultiSampleType").Key("Type00", "D3DMULTISAMPLE_2_SAMPLES");
    EXPECT_EQ(Make(ini), 0x182u);

    // Lowered to the lower limit is still taken.
    config.maxBackBufferCount = 1;
    UseAdapter(config);
    ASSERT_EQ(Make(Current().Key("BackBufferCount", 3).Key("BackBufferCountLower", 1)), 0x102u);
    // Below the lower limit the fallback takes over, without the pure bit.
    config.maxBackBufferCount = 2;
    UseAdapter(config);
    IniWriter pure = Current().Key("BackBufferCount", 3).Key("BackBufferCountLower", 3);
    pure.Section("DeviceBehavior").Key("PureDevice", "yes");
    ASSERT_EQ(Make(pure), 0x202u);
    EXPECT_EQ((TMainProbe::BehaviorFlags(*builder()) & D3DCREATE_PUREDEVICE), 0u);
}

TEST_F(DeviceSettings, FallbackToPlainHardwareThenSoftware)
{
    platform::D3D8TestConfig config = qmtest::FixedAdapter();
    config.refusedBehavior = D3DCREATE_PUREDEVICE;
    UseAdapter(config);
    IniWriter ini = Current();
    ini.Section("DeviceBehavior").Key("PureDevice", "yes").Key("FpuPreserve", "yes");
    ASSERT_EQ(Make(ini), 0x202u);
    EXPECT_EQ(TMainProbe::BehaviorFlags(*builder()), D3DCREATE_HARDWARE_VERTEXPROCESSING);

    config.refusedBehavior = D3DCREATE_HARDWARE_VERTEXPROCESSING;
    UseAdapter(config);
    ASSERT_EQ(Make(Current()), 0x202u);
    EXPECT_EQ(TMainProbe::BehaviorFlags(*builder()), D3DCREATE_SOFTWARE_VERTEXPROCESSING);
    EXPECT_EQ(builder()->GetBufferPool(), D3DPOOL_SYSTEMMEM);

    config.refusedBehavior = D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    UseAdapter(config);
    EXPECT_EQ(Make(Current()), 0x11u);
    EXPECT_FALSE(d3d()->IsInitialized());
    EXPECT_NE(TD3D8::GetDirect3D(), nullptr);  // a failed start keeps the Direct3D object and tables
    EXPECT_NE(d3d()->GetEnum(), nullptr);
}

TEST_F(DeviceSettings, MissingOrEmptySettingsFile)
{
    EXPECT_FALSE(InitDevice());
    EXPECT_EQ(d3d()->GetCreateResult(), 0x41u);
    d3d()->Uninit();
    WriteSettings(IniWriter());
    EXPECT_FALSE(InitDevice());
    EXPECT_EQ(d3d()->GetCreateResult(), 0x41u);
}

TEST_F(DeviceSettings, WindowedFollowsTheDesktopFormat)
{
    platform::D3D8TestConfig config = qmtest::FixedAdapter();
    config.desktopMode.Format = D3DFMT_R5G6B5;
    UseAdapter(config);
    ASSERT_EQ(Make(Windowed().Key("BitDepth", 32)), 0u);
    EXPECT_EQ(TMainProbe::BitDepth(*builder()), 16u);
    EXPECT_EQ(Present().BackBufferFormat, D3DFMT_R5G6B5);

    for (D3DFORMAT refused : {D3DFMT_A1R5G5B5, D3DFMT_UNKNOWN}) {
        d3d()->Uninit();
        config.desktopMode.Format = refused;
        UseAdapter(config);
        WriteSettings(Windowed());
        try {
            InitDevice();
            ADD_FAILURE() << "no error for desktop format " << refused;
        } catch (const my_error& e) {
            EXPECT_NE(std::string(e.what()).find("CurrentDisplayFormat is Unknown"), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("TBasicD3DDeviceBuilder"), std::string::npos) << e.what();
        }
    }
}

}  // namespace
