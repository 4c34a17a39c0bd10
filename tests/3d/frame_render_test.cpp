// Frames with meshes on the device: inherited material setters, culling while drawing, frame files
// with mesh records, and an animated model in fog on screen.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "dx/dx8/3d/TDrawList.h"
#include "dx/dx8/3d/TFrame.h"
#include "fixtures.h"
#include "formats/frame_writer.h"
#include "support/golden.h"

namespace {

using qmtest::FrameNode;
using qmtest::MeshFile;
using qmtest::TranslationMatrix;

constexpr float kOpaqueNotCull = 0.45F;  // the level that selects "OPAQUENOTCULL"

D3DXMATRIX Identity() { D3DXMATRIX m; return *D3DXMatrixIdentity(&m); }
D3DXMATRIX At(float x, float y, float z) { D3DXMATRIX m; return *D3DXMatrixTranslation(&m, x, y, z); }

// A box around the origin, each side a material of its own colour.
MeshFile Box(const std::string& name, float hx, float hy, float hz, const std::vector<std::uint32_t>& colours)
{
    MeshFile f;
    f.name = name;
    const float n[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (int side = 0; side < 6; ++side) {
        const std::uint32_t c = colours[static_cast<std::size_t>(side) % colours.size()];
        f.materials.push_back(qmtest::MeshMaterial(name + std::to_string(side), ((c >> 16) & 0xFF) / 255.0F,
                                                   ((c >> 8) & 0xFF) / 255.0F, (c & 0xFF) / 255.0F, 1.0F,
                                                   kOpaqueNotCull));
    }
    std::vector<qmtest::MeshVertex> v;
    for (int side = 0; side < 6; ++side) {
        // Two axes across the side, the third along its normal.
        const int a = n[side][0] != 0 ? 1 : 0;
        const int b = n[side][2] != 0 ? 1 : 2;
        const float half[3] = {hx, hy, hz};
        const auto base = static_cast<std::uint16_t>(v.size());
        for (int corner = 0; corner < 4; ++corner) {
            float p[3] = {n[side][0] * hx, n[side][1] * hy, n[side][2] * hz};
            p[a] = (corner == 0 || corner == 3 ? -1.0F : 1.0F) * half[a];
            p[b] = (corner < 2 ? -1.0F : 1.0F) * half[b];
            v.push_back({p[0], p[1], p[2], 0xFFFFFFFF, 0.0F, 0.0F});
        }
        f.indices.insert(f.indices.end(), {base, static_cast<std::uint16_t>(base + 1), static_cast<std::uint16_t>(base + 2),
                                           base, static_cast<std::uint16_t>(base + 2), static_cast<std::uint16_t>(base + 3)});
        f.faceMaterials.push_back(static_cast<std::uint32_t>(side));
        f.faceMaterials.push_back(static_cast<std::uint32_t>(side));
    }
    f.keyFrames.push_back(v);
    return f;
}

// A square of n × n cells in the XZ plane, checkered in two colours.
MeshFile Ground(int n, float size)
{
    MeshFile f;
    f.name = "ground";
    f.materials.push_back(qmtest::MeshMaterial("light", 0.75F, 0.72F, 0.6F, 1.0F, kOpaqueNotCull));
    f.materials.push_back(qmtest::MeshMaterial("dark", 0.35F, 0.45F, 0.3F, 1.0F, kOpaqueNotCull));
    std::vector<qmtest::MeshVertex> v;
    for (int z = 0; z <= n; ++z) {
        for (int x = 0; x <= n; ++x) {
            v.push_back({(static_cast<float>(x) / n - 0.5F) * size, 0.0F, (static_cast<float>(z) / n - 0.5F) * size,
                         0xFFFFFFFF, 0.0F, 0.0F});
        }
    }
    f.keyFrames.push_back(v);
    for (int z = 0; z < n; ++z) {
        for (int x = 0; x < n; ++x) {
            const auto i = static_cast<std::uint16_t>(z * (n + 1) + x);
            const auto up = static_cast<std::uint16_t>(i + n + 1);
            f.indices.insert(f.indices.end(), {i, up, static_cast<std::uint16_t>(i + 1), static_cast<std::uint16_t>(i + 1),
                                               up, static_cast<std::uint16_t>(up + 1)});
            const std::uint32_t m = (x + z) % 2 == 0 ? 0 : 1;
            f.faceMaterials.push_back(m);
            f.faceMaterials.push_back(m);
        }
    }
    return f;
}

// A quaternion about Y as the frame file stores it: the conjugate of the turn.
std::vector<float> StoredTurnY(float degrees)
{
    const float half = degrees * 0.017453292F * 0.5F;
    return {0.0F, -std::sin(half), 0.0F, std::cos(half)};
}

// The model on screen: a checkered ground, a turning body with an arm that stretches, a block that
// slides away into the fog and one that stands in it, at three moments of the animation.
class AnimatedModel : public meshtest::MeshFixture {
protected:
    void SetUp() override
    {
        MeshFixture::SetUp();
        TFrame::SetDirectory("");
        // A depth buffer, as the game's settings ask for one.
        WriteSettings(qmtest::IniWriter()
                          .Section("CurrentSetting")
                          .Key("ScreenMode", "Window")
                          .Section("DepthStencilFormat")
                          .Key("Format00", "D3DFMT_D24S8"));
        ASSERT_TRUE(InitDevice());
        ASSERT_TRUE(d3d()->IsVertexShaderSupported());
    }
    static FrameNode Model()
    {
        FrameNode arm{"Arm", TranslationMatrix(1.3F, 0.2F, 0), {qmtest::MeshRecord(Box("arm", 0.5F, 0.15F, 0.15F, {0xE0C020}))},
                      {{qmtest::ScaleKeys({0, 30}, {{1, 1, 1}, {2.2F, 1, 1}})}}, {}};
        FrameNode body{"Body", TranslationMatrix(0, 0.8F, 0),
                       {qmtest::MeshRecord(Box("body", 0.6F, 0.8F, 0.4F,
                                                {0xD03030, 0x3070D0, 0xF0F0F0, 0x202020, 0x30B050, 0xB040C0}))},
                       {{qmtest::RotationKeys({0, 15, 30}, {StoredTurnY(0), StoredTurnY(90), StoredTurnY(180)})}},
                       {arm}};
        FrameNode slider{"Slider", TranslationMatrix(-2.5F, 0.5F, 0),
                         {qmtest::MeshRecord(Box("slider", 0.5F, 0.5F, 0.5F, {0x40D0E0, 0x208090}))},
                         {{qmtest::TranslationKeys({0, 30}, {{-2.5F, 0.5F, -1}, {-2.5F, 0.5F, 11}})}}, {}};
        FrameNode pillar{"Pillar", TranslationMatrix(3, 1.5F, 9),
                         {qmtest::MeshRecord(Box("pillar", 0.6F, 1.5F, 0.6F, {0xF08040}))}, {}, {}};
        return FrameNode{"Scene", qmtest::IdentityMatrix(), {qmtest::MeshRecord(Ground(12, 30))}, {}, {body, slider, pillar}};
    }
    void Render(TFrame* model, float time)
    {
        model->SetAnimationIndex(0);
        model->SetAnimationTime(time);
        EXPECT_TRUE(d3d()->CheckLostDevice());
        d3d()->Clear(kFog, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 1.0F, 0, 0, nullptr);
        d3d()->BeginScene();
        const D3DXMATRIX identity = Identity();
        model->Render(&view_, &identity);
        TDrawList::FlushAll();
        d3d()->EndScene();
    }
    platform::RgbaImage DrawAt(TFrame* model, float time)
    {
        Render(model, time);
        platform::RgbaImage image;
        EXPECT_TRUE(platform::ReadBackBuffer(device(), &image));
        return image;
    }
    static constexpr D3DCOLOR kFog = 0xFF6080A0;
};

TEST_F(AnimatedModel, MatchesTheGoldensAtThreeMoments)
{
    qmtest::SaveBytes("model.frm", qmtest::FrameFile(Model()));
    auto model = TFrame::Load("model.frm");
    ASSERT_EQ(model->GetChildCount(), 3u);

    TRefPtr<TFrame> camera(new TFrame("Camera", At(0, 3.5F, -7), nullptr));
    ASSERT_TRUE(camera->LookAtPoint(model.Get(), D3DXVECTOR3(0, 0.8F, 2), TFrame::kLookAim));
    view_.SetProjection(0.5F, 40.0F, 45.0F, 640, 480);
    ASSERT_TRUE(view_.SetCamera(camera.Get()));
    d3d()->SetFog(true, 5.0F, 18.0F, kFog);

    const float times[] = {0.0F, 12.0F, 25.0F};
    for (int i = 0; i < 3; ++i) {
        const platform::RgbaImage image = DrawAt(model.Get(), times[i]);
        EXPECT_TRUE(qmtest::MatchesGolden(image, "FrameModel" + std::to_string(i)));
    }
}

}  // namespace
