// Devices and small generated meshes for the visible-world tests: a terrain of coloured cells, small
// boxes to place on it, and frames drawn onto the back buffer.
#pragma once

#include <string>
#include <vector>

#include "3d/fixtures.h"
#include "dx/dx8/3d/TDrawList.h"
#include "dx/dx8/3d/TFrame.h"
#include "formats/mesh_writer.h"

namespace maptest {

constexpr float kOpaqueLevel = 0.0F;  // emissive alpha 1 and level 0: "OPAQUE" (1200)

// n × n cells of the given size from (0, 0) along +x and +z at height 0, each a square of its own
// vertex colour; no triangle touches a neighbouring cell.
inline qmtest::MeshFile Terrain(int n, float size)
{
    qmtest::MeshFile f;
    f.name = "terrain";
    f.materials.push_back(qmtest::MeshMaterial("ground", 1.0F, 1.0F, 1.0F, 1.0F, kOpaqueLevel));
    std::vector<qmtest::MeshVertex> v;
    const float inset = size * 0.05F;
    for (int z = 0; z < n; ++z) {
        for (int x = 0; x < n; ++x) {
            const std::uint32_t colour = 0xFF000000u | static_cast<std::uint32_t>(60 + 190 * x / n) << 16 |
                                         static_cast<std::uint32_t>(60 + 190 * z / n) << 8 |
                                         static_cast<std::uint32_t>((x + z) % 2 == 0 ? 200 : 70);
            // Inset on inner edges only, so that the mesh still spans exactly 0..n × size.
            const float x0 = static_cast<float>(x) * size + (x == 0 ? 0.0F : inset);
            const float z0 = static_cast<float>(z) * size + (z == 0 ? 0.0F : inset);
            const float x1 = static_cast<float>(x + 1) * size - (x == n - 1 ? 0.0F : inset);
            const float z1 = static_cast<float>(z + 1) * size - (z == n - 1 ? 0.0F : inset);
            const auto base = static_cast<std::uint16_t>(v.size());
            v.push_back({x0, 0.0F, z0, colour, 0.0F, 0.0F});
            v.push_back({x0, 0.0F, z1, colour, 0.0F, 1.0F});
            v.push_back({x1, 0.0F, z0, colour, 1.0F, 0.0F});
            v.push_back({x1, 0.0F, z1, colour, 1.0F, 1.0F});
            // Clockwise seen from above.
            f.indices.insert(f.indices.end(), {base, static_cast<std::uint16_t>(base + 1), static_cast<std::uint16_t>(base + 2),
                                               static_cast<std::uint16_t>(base + 2), static_cast<std::uint16_t>(base + 1),
                                               static_cast<std::uint16_t>(base + 3)});
            f.faceMaterials.push_back(0);
            f.faceMaterials.push_back(0);
        }
    }
    f.keyFrames.push_back(v);
    return f;
}

// A closed box centred at (cx, cy, cz) with half size h, one material of the given emissive colour.
inline qmtest::MeshFile Box(float cx, float cy, float cz, float h, float r, float g, float b, float level = kOpaqueLevel)
{
    qmtest::MeshFile f;
    f.name = "box";
    f.materials.push_back(qmtest::MeshMaterial("box", r, g, b, 1.0F, level));
    std::vector<qmtest::MeshVertex> v;
    for (int i = 0; i < 8; ++i) {
        v.push_back({cx + ((i & 1) != 0 ? h : -h), cy + ((i & 2) != 0 ? h : -h), cz + ((i & 4) != 0 ? h : -h),
                     0xFFFFFFFF, 0.0F, 0.0F});
    }
    f.keyFrames.push_back(v);
    // Each side clockwise seen from outside.
    const std::uint16_t sides[6][4] = {{0, 2, 1, 3}, {5, 7, 4, 6}, {4, 6, 0, 2}, {1, 3, 5, 7}, {2, 6, 3, 7}, {4, 0, 5, 1}};
    for (const auto& s : sides) {
        f.indices.insert(f.indices.end(), {s[0], s[1], s[2], s[2], s[1], s[3]});
        f.faceMaterials.push_back(0);
        f.faceMaterials.push_back(0);
    }
    return f;
}

class MapDeviceFixture : public meshtest::MeshFixture {
protected:
    // The device with a depth buffer, as the game's settings ask for one.
    void StartDepthDevice(bool vertexShaders)
    {
        platform::D3D8TestConfig config = qmtest::FixedAdapter();
        config.noVertexShaders = !vertexShaders;
        UseAdapter(config);
        WriteSettings(qmtest::IniWriter()
                          .Section("CurrentSetting")
                          .Key("ScreenMode", "Window")
                          .Section("DepthStencilFormat")
                          .Key("Format00", "D3DFMT_D24S8"));
        ASSERT_TRUE(InitDevice());
        ASSERT_EQ(d3d()->IsVertexShaderSupported(), vertexShaders);
    }
    // One frame of the tree under scene, read back before presenting.
    platform::RgbaImage DrawScene(TFrame* scene, D3DCOLOR background)
    {
        EXPECT_TRUE(d3d()->CheckLostDevice());
        d3d()->Clear(background, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 1.0F, 0, 0, nullptr);
        d3d()->BeginScene();
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        scene->Render(&view_, &identity);
        TDrawList::FlushAll();
        d3d()->EndScene();
        platform::RgbaImage image;
        EXPECT_TRUE(platform::ReadBackBuffer(device(), &image));
        return image;
    }
    static TRefPtr<TFrame> NewFrame(const std::string& name)
    {
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        return TRefPtr<TFrame>(new TFrame(name, identity, nullptr));
    }
};

}  // namespace maptest
