// The device core: "DeviceLog.txt", texture format classes, fog, clearing, device loss and its hooks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dx/dx8/3d/TD3D8Enum.h"
#include "dx/dx8/3d/TRenderPreset.h"
#include "dx/dx8/3d/TSprite.h"
#include "dx/dx8/3d/TVertexShader.h"
#include "formats/byte_writer.h"
#include "support/device_fixture.h"
#include "support/dx_probe.h"
#include "support/golden.h"

namespace {

using qmtest::IniWriter;

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

    const std::vector<std::uint8_t> bytes = qmtest::LoadBytes(dir.File("DeviceLog.txt"));
    EXPECT_TRUE(qmtest::MatchesGoldenText(std::string(bytes.begin(), bytes.end()), "DeviceLog.txt"));
}

// What the probes below saw, oldest first.
std::vector<std::string>& ProbeLog()
{
    static std::vector<std::string> log;
    return log;
}

// Notes when the core makes and drops the shaders, and whether the presets and screen modes exist then.
class ShaderProbe : public TVertexShader {
public:
    void DrawSubset(std::uint32_t, TMesh8*, TView*, const D3DMATRIX*) override {}
    void Create() override { Note("create"); }
    void Release() override { Note("release"); }
    ~ShaderProbe() override { ProbeLog().emplace_back("shader destroyed"); }

private:
    static void Note(const char* what)
    {
        std::string note = std::string("shader ") + what;
        note += TRenderPreset::Get(1200) != nullptr ? ", presets" : ", no presets";
        note += TDxProbe::HasScreenMode(0) ? ", screen modes" : ", no screen modes";
        ProbeLog().push_back(note);
    }
};

class PresetProbe : public TStateBlock {
public:
    ~PresetProbe() override { ProbeLog().emplace_back("preset destroyed"); }
};

class DeviceCore : public qmtest::DeviceFixture {
protected:
    void MakeWindowed()
    {
        WriteWindowedSettings();
        ASSERT_TRUE(InitDevice());
    }
    std::vector<D3DFORMAT> Classes() const
    {
        return {d3d()->GetTextureFormat(0), d3d()->GetTextureFormat(1), d3d()->GetTextureFormat(2),
                d3d()->GetTextureFormat(3)};
    }
    std::vector<float> C8() const
    {
        std::vector<float> c(4, -1.0F);
        EXPECT_EQ(device()->GetVertexShaderConstant(8, c.data(), 1), D3D_OK);
        return c;
    }
    static std::vector<std::string> Hooks()
    {
        std::vector<std::string> calls = ProbeLog();
        ProbeLog().clear();
        return calls;
    }
};

TEST_F(DeviceCore, TextureFormatClassesFollowTheDisplayFormat)
{
    MakeWindowed();
    EXPECT_EQ(Classes(), (std::vector<D3DFORMAT>{D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R5G6B5}));

    d3d()->Uninit();

    // A 16-bit screen prefers 16-bit textures.
    WriteSettings(IniWriter().Section("CurrentSetting").Key("ScreenMode", "Full"));
    ASSERT_TRUE(InitDevice());
    EXPECT_EQ(Classes(), (std::vector<D3DFORMAT>{D3DFMT_R5G6B5, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5, D3DFMT_R5G6B5}));
}

TEST_F(DeviceCore, FogGoesToConstantEightWithShaders)
{
    MakeWindowed();
    d3d()->ApplyFog(true);  // fog off: the far defaults
    std::vector<float> c = C8();
    EXPECT_FLOAT_EQ(c[0], 11.0F);
    EXPECT_FLOAT_EQ(c[1], 0.001F);
    EXPECT_EQ(c[2], 0.0F);
    EXPECT_EQ(c[3], 0.0F);
    EXPECT_EQ(RenderState(D3DRS_FOGENABLE), static_cast<DWORD>(FALSE));

    d3d()->SetFog(true, 100.0F, 300.0F, 0xFF405060);
    d3d()->ApplyFog(true);
    c = C8();
    EXPECT_FLOAT_EQ(c[0], 1.5F);
    EXPECT_FLOAT_EQ(c[1], 0.005F);
    EXPECT_EQ(RenderState(D3DRS_FOGENABLE), static_cast<DWORD>(TRUE));
    EXPECT_EQ(RenderState(D3DRS_FOGCOLOR), 0xFF405060u);
}

TEST_F(DeviceCore, HooksRunInOrderAndTheFrameOfTheResetDrawsNothing)
{
    Hooks();
    MakeWindowed();
    // Presets, the fifteen mesh programs and the screen modes are made with the device.
    ASSERT_NE(TRenderPreset::Get(1200), nullptr);
    ASSERT_EQ(TDxProbe::RegisteredShaderCount(), 15u);
    EXPECT_TRUE(TDxProbe::HasScreenMode(0) && TDxProbe::HasScreenMode(4));
    TVertexShader::Register(new ShaderProbe());
    TRenderPreset::Register(9999, new PresetProbe());
    EXPECT_EQ(Hooks(), (std::vector<std::string>{"shader create, presets, screen modes"}));
    ASSERT_TRUE(d3d()->CheckLostDevice());
    d3d()->Clear(0xFF00FF00, D3DCLEAR_TARGET, 1.0F, 0, 0, nullptr);

    platform::InjectDeviceLoss(device());
    EXPECT_FALSE(d3d()->CheckLostDevice());  // lost: nothing happens yet
    EXPECT_TRUE(Hooks().empty());
    EXPECT_FALSE(d3d()->CheckLostDevice());  // can be reset: reset, but no drawing in this frame
    // Screen modes, shaders, presets go; presets, shaders, screen modes come back.
    EXPECT_EQ(Hooks(), (std::vector<std::string>{"shader release, presets, no screen modes", "preset destroyed",
                                                 "shader create, presets, no screen modes"}));
    EXPECT_TRUE(TDxProbe::HasScreenMode(0) && TDxProbe::HasScreenMode(4)) << "recorded again after the reset";
    EXPECT_EQ(TRenderPreset::Get(9999), nullptr);
    ASSERT_NE(TRenderPreset::Get(1200), nullptr);
    EXPECT_NE(TDxProbe::Handle(*TRenderPreset::Get(1200)), 0xFFFFFFFFu);
    EXPECT_TRUE(d3d()->CheckLostDevice());
    EXPECT_TRUE(Hooks().empty());

    TRenderPreset::Register(9999, new PresetProbe());
    d3d()->Uninit();
    EXPECT_EQ(Hooks(), (std::vector<std::string>{"shader release, presets, no screen modes", "shader destroyed",
                                                 "preset destroyed"}));
    EXPECT_EQ(TDxProbe::RegisteredShaderCount(), 0u);
    EXPECT_EQ(TRenderPreset::Get(1200), nullptr);
    EXPECT_FALSE(TDxProbe::HasScreenMode(1));
}

}  // namespace
