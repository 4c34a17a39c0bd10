// The device core: start-up, texture format classes, fog, clearing, device loss, resources, shaders.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "TCommon/my_error.h"
#include "dx/dx8/3d/TD3D8.h"
#include "dx/dx8/3d/TRenderPreset.h"
#include "dx/dx8/3d/TSprite.h"
#include "dx/dx8/3d/TVertexShader.h"
#include "support/device_fixture.h"

namespace {

using qmtest::IniWriter;

// What the probes below saw, oldest first.
std::vector<std::string>& ProbeLog()
{
    static std::vector<std::string> log;
    return log;
}

// Notes when the core makes and drops the shaders, and whether the render presets and the 2D screen
// modes exist right then.
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
        note += TSprite::HasScreenMode(0) ? ", screen modes" : ", no screen modes";
        ProbeLog().push_back(note);
    }
};

// A preset that notes when it is dropped.
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
    std::uint32_t PixelAt(int x, int y) const
    {
        platform::RgbaImage image;
        EXPECT_TRUE(platform::ReadBackBuffer(device(), &image));
        const std::uint8_t* p = image.At(x, y);
        return (static_cast<std::uint32_t>(p[0]) << 16) | (static_cast<std::uint32_t>(p[1]) << 8) | p[2];
    }
};

TEST_F(DeviceCore, StartsWindowedAndStopsWithEverythingReleased)
{
    EXPECT_FALSE(d3d()->IsInitialized());
    MakeWindowed();
    EXPECT_TRUE(d3d()->IsInitialized());
    EXPECT_TRUE(d3d()->IsWindowed());
    EXPECT_NE(TD3D8::GetDirect3D(), nullptr);
    EXPECT_NE(TD3D8::GetDevice(), nullptr);
    EXPECT_EQ(d3d()->GetEnum()->GetAdapterCount(), 4u);
    EXPECT_EQ(d3d()->GetBackBufferWidth(), 640u);
    EXPECT_EQ(d3d()->GetBackBufferHeight(), 480u);
    EXPECT_TRUE(d3d()->IsVertexShaderSupported());
    bool on = true;
    float start = 0;
    float end = 0;
    D3DCOLOR color = 0;
    d3d()->GetFog(&on, &start, &end, &color);
    EXPECT_FALSE(on);
    EXPECT_EQ(start, 10000.0F);
    EXPECT_EQ(end, 11000.0F);
    EXPECT_EQ(color, 0xFFFFFFFFu);

    d3d()->Uninit();
    EXPECT_FALSE(d3d()->IsInitialized());
    EXPECT_EQ(TD3D8::GetDirect3D(), nullptr);
    EXPECT_EQ(TD3D8::GetDevice(), nullptr);
    EXPECT_EQ(d3d()->GetEnum(), nullptr);
    EXPECT_FALSE(d3d()->CheckLostDevice());  // nothing to draw on
    // Without a device nothing can be made, and asking is harmless.
    EXPECT_EQ(d3d()->CreateVertexBuffer(4, D3DFVF_XYZ, TD3D8::kDefaultPool, 0), nullptr);
    EXPECT_EQ(d3d()->CreateIndexBuffer(2, D3DFMT_INDEX16, TD3D8::kDefaultPool, 0), nullptr);
    EXPECT_EQ(d3d()->CreateTexture(8, 8, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, 0), nullptr);
    EXPECT_EQ(d3d()->CreateImageSurface(8, 8, D3DFMT_A8R8G8B8), nullptr);
    EXPECT_EQ(d3d()->GetRenderTarget(), nullptr);
    EXPECT_TRUE(FAILED(d3d()->SetRenderTarget(nullptr, nullptr)));
}

TEST_F(DeviceCore, WritesTheDeviceLogOnlyWhenNamed)
{
    WriteWindowedSettings();
    ASSERT_TRUE(InitDevice("DeviceLog.txt"));
    std::ifstream log("DeviceLog.txt", std::ios::binary);
    std::string first;
    std::getline(log, first);
    EXPECT_EQ(first, "< Device Info >\r");
    d3d()->Uninit();
    std::filesystem::remove("DeviceLog.txt");
    ASSERT_TRUE(InitDevice(""));
    EXPECT_FALSE(std::filesystem::exists("DeviceLog.txt"));
}

TEST_F(DeviceCore, TextureFormatClassesFollowTheDisplayFormat)
{
    MakeWindowed();
    EXPECT_EQ(Classes(), (std::vector<D3DFORMAT>{D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R5G6B5}));
    EXPECT_EQ(d3d()->GetTextureFormat(4), D3DFMT_UNKNOWN);
    EXPECT_EQ(d3d()->GetTextureFormat(-1), D3DFMT_UNKNOWN);
    d3d()->Uninit();

    // A 16-bit screen prefers 16-bit textures.
    WriteSettings(IniWriter().Section("CurrentSetting").Key("ScreenMode", "Full"));
    ASSERT_TRUE(InitDevice());
    EXPECT_EQ(Classes(), (std::vector<D3DFORMAT>{D3DFMT_R5G6B5, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5, D3DFMT_R5G6B5}));
    d3d()->Uninit();

    // A desktop format the adapter offers no textures for leaves every class empty.
    platform::D3D8TestConfig config = qmtest::FixedAdapter();
    config.desktopMode.Format = D3DFMT_X1R5G5B5;
    for (auto& mode : config.modes) {
        mode.Format = D3DFMT_X1R5G5B5;
    }
    UseAdapter(config);
    MakeWindowed();
    EXPECT_EQ(Classes(), std::vector<D3DFORMAT>(4, D3DFMT_UNKNOWN));
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
    EXPECT_EQ(RenderState(D3DRS_FOGCOLOR), 0xFFFFFFFFu);

    d3d()->SetFog(true, 100.0F, 300.0F, 0xFF405060);
    d3d()->ApplyFog(true);
    c = C8();
    EXPECT_FLOAT_EQ(c[0], 1.5F);
    EXPECT_FLOAT_EQ(c[1], 0.005F);
    EXPECT_EQ(RenderState(D3DRS_FOGENABLE), static_cast<DWORD>(TRUE));
    EXPECT_EQ(RenderState(D3DRS_FOGCOLOR), 0xFF405060u);
    d3d()->ApplyFog(false);  // switched off for this draw only
    EXPECT_FLOAT_EQ(C8()[0], 11.0F);
    EXPECT_EQ(RenderState(D3DRS_FOGENABLE), static_cast<DWORD>(FALSE));
    bool on = false;
    float start = 0;
    float end = 0;
    D3DCOLOR color = 0;
    d3d()->GetFog(&on, &start, &end, &color);
    EXPECT_TRUE(on);
    EXPECT_EQ(start, 100.0F);
    EXPECT_EQ(end, 300.0F);
}

TEST_F(DeviceCore, WithoutVertexShadersFogUsesTheFixedFunctionStates)
{
    platform::D3D8TestConfig config = qmtest::FixedAdapter();
    config.noVertexShaders = true;
    UseAdapter(config);
    MakeWindowed();
    EXPECT_FALSE(d3d()->IsVertexShaderSupported());
    d3d()->SetFog(true, 50.0F, 250.0F, 0xFF102030);
    d3d()->ApplyFog(true);
    EXPECT_EQ(RenderState(D3DRS_FOGENABLE), static_cast<DWORD>(TRUE));
    EXPECT_EQ(RenderState(D3DRS_FOGTABLEMODE), static_cast<DWORD>(D3DFOG_NONE));
    EXPECT_EQ(RenderState(D3DRS_FOGVERTEXMODE), static_cast<DWORD>(D3DFOG_LINEAR));
    EXPECT_EQ(RenderState(D3DRS_RANGEFOGENABLE), static_cast<DWORD>(FALSE));
    float start = 0;
    float end = 0;
    const DWORD startBits = RenderState(D3DRS_FOGSTART);
    const DWORD endBits = RenderState(D3DRS_FOGEND);
    std::memcpy(&start, &startBits, 4);
    std::memcpy(&end, &endBits, 4);
    EXPECT_EQ(start, 50.0F);
    EXPECT_EQ(end, 250.0F);
    EXPECT_EQ(C8()[0], 0.0F);  // the constant is left alone
}

TEST_F(DeviceCore, ClearTakesItsArgumentsInItsOwnOrder)
{
    MakeWindowed();
    ASSERT_TRUE(d3d()->CheckLostDevice());
    EXPECT_EQ(d3d()->Clear(0xFF102030, D3DCLEAR_TARGET, 1.0F, 0, 0, nullptr), D3D_OK);
    EXPECT_EQ(PixelAt(0, 0), 0x102030u);
    const D3DRECT rect = {10, 20, 30, 40};
    EXPECT_EQ(d3d()->Clear(0xFFC08040, D3DCLEAR_TARGET, 1.0F, 0, 1, &rect), D3D_OK);
    EXPECT_EQ(PixelAt(15, 25), 0xC08040u);
    EXPECT_EQ(PixelAt(5, 25), 0x102030u);
    EXPECT_EQ(d3d()->BeginScene(), D3D_OK);
    EXPECT_EQ(d3d()->EndScene(), D3D_OK);
    EXPECT_FALSE(d3d()->EnablePresent(false));
    d3d()->Present();
    EXPECT_TRUE(d3d()->EnablePresent(true));
    d3d()->Present();
}

TEST_F(DeviceCore, HooksRunInOrderAndTheFrameOfTheResetDrawsNothing)
{
    Hooks();
    MakeWindowed();
    // Presets, the fifteen mesh programs and the screen modes are made with the device.
    ASSERT_NE(TRenderPreset::Get(1200), nullptr);
    EXPECT_NE(TRenderPreset::Get(1200)->GetHandle(), 0xFFFFFFFFu);
    ASSERT_EQ(TVertexShader::GetRegisteredCount(), 15u);
    EXPECT_TRUE(TSprite::HasScreenMode(0) && TSprite::HasScreenMode(4));
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
    EXPECT_TRUE(TSprite::HasScreenMode(0) && TSprite::HasScreenMode(4)) << "recorded again after the reset";
    EXPECT_EQ(TRenderPreset::Get(9999), nullptr);
    ASSERT_NE(TRenderPreset::Get(1200), nullptr);
    EXPECT_NE(TRenderPreset::Get(1200)->GetHandle(), 0xFFFFFFFFu);
    EXPECT_TRUE(d3d()->CheckLostDevice());
    EXPECT_TRUE(Hooks().empty());
    EXPECT_EQ(PixelAt(0, 0), 0u);  // the reset back buffer starts black

    // The default block was recorded again: applying it restores the builder's states.
    device()->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    d3d()->ApplyDefaultStates(false);
    EXPECT_EQ(RenderState(D3DRS_ALPHATESTENABLE), static_cast<DWORD>(TRUE));
    EXPECT_EQ(d3d()->GetBackBufferWidth(), 640u);

    TRenderPreset::Register(9999, new PresetProbe());
    d3d()->Uninit();
    EXPECT_EQ(Hooks(), (std::vector<std::string>{"shader release, presets, no screen modes", "shader destroyed",
                                                 "preset destroyed"}));
    EXPECT_EQ(TVertexShader::GetRegisteredCount(), 0u);
    EXPECT_EQ(TRenderPreset::Get(1200), nullptr);
    EXPECT_FALSE(TSprite::HasScreenMode(1));
}

TEST_F(DeviceCore, BuffersUseTheBuildersPoolAndUsage)
{
    MakeWindowed();
    const DWORD fvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;  // 16 bytes
    IDirect3DVertexBuffer8* vb = d3d()->CreateVertexBuffer(10, fvf, TD3D8::kDefaultPool, D3DUSAGE_WRITEONLY);
    ASSERT_NE(vb, nullptr);
    D3DVERTEXBUFFER_DESC vd{};
    ASSERT_EQ(vb->GetDesc(&vd), D3D_OK);
    EXPECT_EQ(vd.Size, 160u);
    EXPECT_EQ(vd.Pool, D3DPOOL_MANAGED);
    EXPECT_EQ(vd.Usage, D3DUSAGE_WRITEONLY);
    EXPECT_EQ(vd.FVF, fvf);

    BYTE* data = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, &data, 0), D3D_OK);
    for (UINT i = 0; i < vd.Size; ++i) {
        data[i] = static_cast<BYTE>(i * 7);
    }
    vb->Unlock();
    IDirect3DVertexBuffer8* copy = d3d()->CloneVertexBuffer(vb);
    ASSERT_NE(copy, nullptr);
    D3DVERTEXBUFFER_DESC cd{};
    copy->GetDesc(&cd);
    EXPECT_EQ(cd.Size, vd.Size);
    EXPECT_EQ(cd.FVF, vd.FVF);
    BYTE* copied = nullptr;
    ASSERT_EQ(copy->Lock(0, 0, &copied, 0), D3D_OK);
    EXPECT_EQ(std::memcmp(copied, data, vd.Size), 0);
    copy->Unlock();
    copy->Release();
    vb->Release();

    IDirect3DIndexBuffer8* ib16 = d3d()->CreateIndexBuffer(4, D3DFMT_INDEX16, D3DPOOL_SYSTEMMEM, 0);
    IDirect3DIndexBuffer8* ib32 = d3d()->CreateIndexBuffer(4, D3DFMT_INDEX32, TD3D8::kDefaultPool, 0);
    ASSERT_NE(ib16, nullptr);
    ASSERT_NE(ib32, nullptr);
    D3DINDEXBUFFER_DESC id{};
    ib16->GetDesc(&id);
    EXPECT_EQ(id.Size, 24u);
    EXPECT_EQ(id.Pool, D3DPOOL_SYSTEMMEM);
    ib32->GetDesc(&id);
    EXPECT_EQ(id.Size, 48u);
    EXPECT_EQ(id.Pool, D3DPOOL_MANAGED);
    IDirect3DIndexBuffer8* ibCopy = d3d()->CloneIndexBuffer(ib32);
    ASSERT_NE(ibCopy, nullptr);
    ibCopy->GetDesc(&id);
    EXPECT_EQ(id.Format, D3DFMT_INDEX32);
    ibCopy->Release();
    ib16->Release();
    ib32->Release();
    d3d()->Uninit();

    // Software vertex processing keeps buffers in system memory for the CPU.
    WriteSettings(IniWriter()
                      .Section("CurrentSetting")
                      .Key("ScreenMode", "Window")
                      .Section("DeviceBehavior")
                      .Key("VertexProcessingMode", "D3DCREATE_SOFTWARE_VERTEXPROCESSING"));
    ASSERT_TRUE(InitDevice());
    vb = d3d()->CreateVertexBuffer(3, fvf, TD3D8::kDefaultPool, D3DUSAGE_WRITEONLY);
    ASSERT_NE(vb, nullptr);
    vb->GetDesc(&vd);
    EXPECT_EQ(vd.Pool, D3DPOOL_SYSTEMMEM);
    EXPECT_EQ(vd.Usage, D3DUSAGE_WRITEONLY | D3DUSAGE_SOFTWAREPROCESSING);
    vb->Release();
}

TEST_F(DeviceCore, SurfacesAndTextures)
{
    MakeWindowed();
    IDirect3DTexture8* texture = d3d()->CreateTexture(64, 32, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, 0);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->GetLevelCount(), 7u);  // the whole chain down to 1×1
    texture->Release();
    EXPECT_EQ(d3d()->CreateTexture(64, 32, D3DFMT_DXT1, D3DPOOL_MANAGED, 0), nullptr);

    IDirect3DSurface8* target = d3d()->CreateRenderTarget(128, 64, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, FALSE);
    IDirect3DSurface8* depth = d3d()->CreateDepthStencilSurface(128, 64, D3DFMT_D16, D3DMULTISAMPLE_NONE);
    IDirect3DSurface8* image = d3d()->CreateImageSurface(16, 16, D3DFMT_A8R8G8B8);
    ASSERT_NE(target, nullptr);
    ASSERT_NE(depth, nullptr);
    ASSERT_NE(image, nullptr);
    IDirect3DSurface8* oldTarget = d3d()->GetRenderTarget();
    ASSERT_NE(oldTarget, nullptr);
    EXPECT_EQ(d3d()->SetRenderTarget(target, depth), D3D_OK);
    IDirect3DSurface8* now = d3d()->GetRenderTarget();
    EXPECT_EQ(now, target);
    now->Release();
    EXPECT_EQ(d3d()->SetRenderTarget(oldTarget, nullptr), D3D_OK);
    oldTarget->Release();
    image->Release();
    depth->Release();
    target->Release();
}

TEST_F(DeviceCore, AssembleShaderMakesAShaderOrThrowsTheAssemblersText)
{
    MakeWindowed();
    const DWORD decl[] = {D3DVSD_STREAM(0), D3DVSD_REG(0, D3DVSDT_FLOAT3), D3DVSD_END()};
    const DWORD handle = d3d()->AssembleShader("vs.1.1\nmov oPos, v0\n", decl);
    EXPECT_NE(handle, 0u);
    EXPECT_EQ(device()->SetVertexShader(handle), D3D_OK);
    try {
        d3d()->AssembleShader("vs.1.1\nfrobnicate oPos, v0\n", decl);
        ADD_FAILURE() << "no error";
    } catch (const my_error& e) {
        const std::string record = e.what();
        EXPECT_NE(record.find("line"), std::string::npos) << record;
        EXPECT_NE(record.find("988"), std::string::npos) << record;
        EXPECT_NE(record.find("TD3D8"), std::string::npos) << record;
    }
}

}  // namespace
