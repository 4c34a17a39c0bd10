// Settings the device cannot be made from are logged with the file and the key before the
// device message; good settings log nothing.
#include <gtest/gtest.h>

#include <string>

#include "MainCode/TBasicD3DDeviceBuilder.h"
#include "support/device_fixture.h"

namespace {

using qmtest::IniWriter;

class SettingLog : public qmtest::DeviceFixture {};

TEST_F(SettingLog, UnreadableOrOutOfRangeValuesAreNamed)
{
    const std::string noMode = "setting: ./setting.ini: no display mode of ";
    const struct {
        IniWriter ini;
        std::uint32_t code;
        std::string log;  // every line, in order
    } cases[] = {
        {IniWriter(), TBasicD3DDeviceBuilder::kNoSettings,
         "setting: ./setting.ini: cannot be read: missing, empty, or a section, key or value too long or cut short\n"},
        {std::move(IniWriter().Section("CurrentSetting").Key("ScreenWidth", "wide").Key("ScreenHeight", 480)),
         TBasicD3DDeviceBuilder::kNoMode,
         "setting: ./setting.ini: [CurrentSetting] ScreenWidth=wide is not a number from 1 to 16384\n" + noMode +
             "0x480 at 16 bits full screen ([CurrentSetting] ScreenWidth, ScreenHeight, BitDepth, ScreenMode)\n"},
        {std::move(IniWriter().Section("CurrentSetting").Key("ScreenHeight", 16385)), TBasicD3DDeviceBuilder::kNoMode,
         "setting: ./setting.ini: [CurrentSetting] ScreenHeight=16385 is not a number from 1 to 16384\n" + noMode +
             "640x16385 at 16 bits full screen ([CurrentSetting] ScreenWidth, ScreenHeight, BitDepth, ScreenMode)\n"},
        // Clamped, or a default taken: the device is made all the same.
        {std::move(IniWriter().Section("CurrentSetting").Key("BitDepth", 15).Key("BackBufferCount", 4).Key("View", 0)),
         0,
         "setting: ./setting.ini: [CurrentSetting] BitDepth=15 is not a number from 16 to 32\n"
         "setting: ./setting.ini: [CurrentSetting] BackBufferCount=4 is not a number from 1 to 3\n"
         "setting: ./setting.ini: [CurrentSetting] View=0 is not a number from 1 to 1000\n"},
        {std::move(IniWriter().Section("CurrentSetting").Key("ScreenWidth", 1).Key("BitDepth", 32).Key(
             "BackBufferCount", 3).Key("BackBufferCountLower", 1).Key("View", 1000)),
         TBasicD3DDeviceBuilder::kNoMode,
         noMode + "1x480 at 32 bits full screen ([CurrentSetting] ScreenWidth, ScreenHeight, BitDepth, ScreenMode)\n"},
        {std::move(IniWriter().Section("CurrentSetting").Key("ScreenWidth", 16384).Key("BackBufferCountLower", 0)),
         TBasicD3DDeviceBuilder::kNoMode,
         "setting: ./setting.ini: [CurrentSetting] BackBufferCountLower=0 is not a number from 1 to 3\n" + noMode +
             "16384x480 at 16 bits full screen ([CurrentSetting] ScreenWidth, ScreenHeight, BitDepth, ScreenMode)\n"},
        // A 2 MB line, and a number past any 32-bit one.
        {std::move(IniWriter().Section("CurrentSetting").Key("ScreenWidth", std::string(2u << 20, '7'))),
         TBasicD3DDeviceBuilder::kNoSettings,
         "setting: ./setting.ini: cannot be read: missing, empty, or a section, key or value too long or cut short\n"},
        {std::move(IniWriter().Section("CurrentSetting").Key("ScreenWidth", "99999999999").Key("ScreenHeight", 0)),
         TBasicD3DDeviceBuilder::kNoMode,
         "setting: ./setting.ini: [CurrentSetting] ScreenWidth=99999999999 is not a number from 1 to 16384\n"
         "setting: ./setting.ini: [CurrentSetting] ScreenHeight=0 is not a number from 1 to 16384\n" + noMode +
             "2147483647x0 at 16 bits full screen "
             "([CurrentSetting] ScreenWidth, ScreenHeight, BitDepth, ScreenMode)\n"},
        // Names the lists do not know, at the first and last keys; the known ones between them (the
        // names of no type and no format among them) serve and say nothing.
        {std::move(IniWriter()
                       .Section("CurrentSetting").Key("MultiSample", "yes")
                       .Section("MultiSampleType").Key("Type00", "D3DMULTISAMPLE_1_SAMPLES")
                       .Key("Type07", "D3DMULTISAMPLE_4_SAMPLES").Key("Type08", "D3DMULTISAMPLE_NONE")
                       .Key("Type15", "D3DMULTISAMPLE_17_SAMPLES")
                       .Section("DepthStencilFormat").Key("Format00", "D3DFMT_D99").Key("Format21", "D3DFMT_D16")
                       .Key("Format22", "D3DFMT_UNKNOWN")
                       .Key("Format42", "d3dfmt_d24s8")),
         0,
         "setting: ./setting.ini: [MultiSampleType] Type00=D3DMULTISAMPLE_1_SAMPLES is not a multisample type name\n"
         "setting: ./setting.ini: [MultiSampleType] Type15=D3DMULTISAMPLE_17_SAMPLES is not a multisample type name\n"
         "setting: ./setting.ini: [DepthStencilFormat] Format00=D3DFMT_D99 is not a format name\n"
         "setting: ./setting.ini: [DepthStencilFormat] Format42=d3dfmt_d24s8 is not a format name\n"},
        {std::move(
             IniWriter().Section("DepthStencilFormat").Key("Format00", "D3DFMT_D32").Key("Format01", "D3DFMT_D15S1")),
         TBasicD3DDeviceBuilder::kNoDepthStencil,
         "setting: ./setting.ini: none of the depth-stencil formats of [DepthStencilFormat] is offered with "
         "D3DFMT_R5G6B5\n"},
        {std::move(IniWriter().Section("CurrentSetting").Key("ScreenWidth", 800).Key("ScreenHeight", 600)), 0, ""},
    };
    for (const auto& c : cases) {
        d3d()->Uninit();
        WriteSettings(c.ini);
        testing::internal::CaptureStderr();
        InitDevice();
        std::string log = testing::internal::GetCapturedStderr();
        // Only the settings' own lines.
        std::string mine;
        for (std::size_t at = 0; (at = log.find("setting: ", at)) != std::string::npos;) {
            const std::size_t end = log.find('\n', at);
            mine += log.substr(at, end + 1 - at);
            at = end;
        }
        EXPECT_EQ(d3d()->GetCreateResult(), c.code) << mine;
        EXPECT_EQ(mine, c.log);
    }
}

}  // namespace
