#include "support/device_fixture.h"

#include <cstring>

#include "platform/testing/win32.h"

namespace qmtest {

platform::D3D8TestConfig FixedAdapter()
{
    platform::D3D8TestConfig config;
    config.overrideAdapter = true;
    D3DADAPTER_IDENTIFIER8& id = config.identifier;
    std::strcpy(id.Driver, "qmtest.dll");
    std::strcpy(id.Description, "Quillmark Test Adapter 3D");
    id.DriverVersion.HighPart = (6 << 16) | 14;
    id.DriverVersion.LowPart = (10u << 16) | 4523;
    id.VendorId = 0x10DE;
    id.DeviceId = 0x0171;
    id.SubSysId = 0x00A01043;
    id.Revision = 163;
    id.DeviceIdentifier = GUID{0xD7B71E3E, 0x4631, 0x11CF, {0x0A, 0x6F, 0x1E, 0x00, 0xB2, 0xC1, 0x0A, 0x35}};
    id.WHQLLevel = 1;
    config.desktopMode = {1024, 768, 60, D3DFMT_X8R8G8B8};
    for (D3DFORMAT f : {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5}) {
        config.modes.push_back({640, 480, 60, f});
        config.modes.push_back({640, 480, 75, f});
        config.modes.push_back({800, 600, 75, f});
        config.modes.push_back({800, 600, 60, f});
        config.modes.push_back({1024, 768, 60, f});
    }
    return config;
}

void DeviceFixture::SetUp()
{
    cwd_ = std::make_unique<ScopedCwd>(dir_.Path());
    platform::ResetD3D8TestConfig();
    platform::SetD3D8TestConfig(FixedAdapter());
    window_ = platform::CreateBareWindow("device test", 640, 480);
    ASSERT_NE(window_, nullptr);
}

void DeviceFixture::TearDown()
{
    TD3D8::Instance()->Uninit();
    platform::DestroyBareWindow(window_);
    platform::ResetD3D8TestConfig();
    cwd_.reset();
}

void DeviceFixture::UseAdapter(const platform::D3D8TestConfig& config) { platform::SetD3D8TestConfig(config); }

void DeviceFixture::WriteSettings(const IniWriter& ini) { ini.Save("setting.ini"); }

void DeviceFixture::WriteWindowedSettings()
{
    WriteSettings(IniWriter().Section("CurrentSetting").Key("ScreenMode", "Window"));
}

bool DeviceFixture::InitDevice(const std::string& deviceLog)
{
    // The core keeps its share of the builder until the next Init, as it keeps the application's.
    builder_ = new TBasicD3DDeviceBuilder(window_, "./setting.ini");
    TRefPtr<TD3DDeviceBuilder> shared(builder_);
    return TD3D8::Instance()->Init(shared, D3D_SDK_VERSION, deviceLog, "InitLog.txt");
}

DWORD DeviceFixture::RenderState(D3DRENDERSTATETYPE state) const
{
    DWORD value = 0xDEADBEEF;
    EXPECT_EQ(device()->GetRenderState(state, &value), D3D_OK);
    return value;
}

}  // namespace qmtest
