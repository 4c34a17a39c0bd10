// State blocks, device loss and reset, the draw log and reference counts.
#include "d3d8_fixture.h"

namespace d3d8test {
namespace {

class DeviceState : public DeviceTest {
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        ASSERT_TRUE(MakeDevice());
    }
    DWORD State(D3DRENDERSTATETYPE s)
    {
        DWORD v = 0xDEADBEEF;
        EXPECT_EQ(device_->GetRenderState(s, &v), D3D_OK);
        return v;
    }
    DWORD Shader()
    {
        DWORD v = 0xDEADBEEF;
        device_->GetVertexShader(&v);
        return v;
    }
};

TEST_F(DeviceState, StateBlockRecordsWithoutApplyingAndAppliesLater)
{
    ScreenStates();
    DiffuseOnly();
    device_->SetVertexShader(kFvfMesh);
    ASSERT_EQ(device_->BeginStateBlock(), D3D_OK);
    EXPECT_EQ(device_->BeginStateBlock(), D3DERR_INVALIDCALL);
    // The additive screen mode.
    States({{D3DRS_SRCBLEND, D3DBLEND_ONE}, {D3DRS_DESTBLEND, D3DBLEND_ONE}, {D3DRS_ALPHABLENDENABLE, TRUE}});
    device_->SetVertexShader(kFvfScreen);
    DWORD token = 0;
    ASSERT_EQ(device_->EndStateBlock(&token), D3D_OK);
    EXPECT_EQ(device_->EndStateBlock(&token), D3DERR_INVALIDCALL);

    // Nothing reached the device while recording.
    EXPECT_EQ(State(D3DRS_ALPHABLENDENABLE), static_cast<DWORD>(FALSE));
    EXPECT_EQ(Shader(), kFvfMesh);

    ASSERT_EQ(device_->ApplyStateBlock(token), D3D_OK);
    EXPECT_EQ(Shader(), kFvfScreen);
    EXPECT_EQ(State(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_NONE));  // not in the block: left alone

    // And the drawing follows: 100 + 100 added.
    device_->BeginScene();
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF646464, 1.0F, 0);
    DrawRect(0, 0, 60, 60, 0xFF646464);
    device_->EndScene();
    ExpectArea(2, 2, 58, 58, {200, 200, 200, 0}, 1, "additive block");

    ASSERT_EQ(device_->DeleteStateBlock(token), D3D_OK);
    EXPECT_EQ(device_->ApplyStateBlock(token), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DeleteStateBlock(token), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->ApplyStateBlock(0xFFFFFFFF), D3DERR_INVALIDCALL);
}

TEST_F(DeviceState, InjectedLossIsReportedUntilReset)
{
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    // The game keeps its capture texture (default pool) across resets: Reset must not refuse it.
    IDirect3DTexture8* capture = nullptr;
    ASSERT_EQ(device_->CreateTexture(64, 64, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &capture),
              D3D_OK);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
    platform::InjectDeviceLoss(device_);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    platform::RgbaImage image;
    EXPECT_FALSE(platform::ReadBackBuffer(device_, &image));

    D3DPRESENT_PARAMETERS pp = DefaultParameters();
    pp.BackBufferWidth = 64;
    pp.BackBufferHeight = 48;
    ASSERT_EQ(device_->Reset(&pp), D3D_OK);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(State(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_CCW));  // states start over
    EXPECT_EQ(Read().width, 64);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    IDirect3DSurface8* level = nullptr;
    ASSERT_EQ(capture->GetSurfaceLevel(0, &level), D3D_OK);
    EXPECT_EQ(device_->SetRenderTarget(level, nullptr), D3D_OK);  // still a usable target
    level->Release();
    capture->Release();
}

// The game may let the device go before its last texture: the texture stays usable until released.
TEST_F(DeviceState, ResourcesOutliveTheDevice)
{
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(8, 8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    device_->SetTexture(0, texture);
    IDirect3DVertexBuffer8* vb = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(64, 0, kFvfMesh, D3DPOOL_SYSTEMMEM, &vb), D3D_OK);
    device_->SetStreamSource(0, vb, 24);
    EXPECT_EQ(device_->Release(), 0U);
    device_ = nullptr;
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(texture->UnlockRect(0), D3D_OK);
    EXPECT_EQ(texture->Release(), 0U);
    EXPECT_EQ(vb->Release(), 0U);
}

}  // namespace
}  // namespace d3d8test
