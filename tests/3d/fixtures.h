// Devices made the game's way: one with a package folder for 2D frames, one for meshes with or
// without vertex shaders, and small mesh files to load.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "dx/dx8/3d/TDrawList.h"
#include "dx/dx8/3d/TMesh8.h"
#include "dx/dx8/3d/TSprite.h"
#include "dx/dx8/3d/TTexture8.h"
#include "dx/dx8/3d/TView.h"
#include "platform/d3dx8/d3dx8.h"
#include "formats/byte_writer.h"
#include "support/device_fixture.h"
#include "formats/mesh_writer.h"
#include "formats/ptx_writer.h"

namespace qmtest {

class Graphics2D : public DeviceFixture {
protected:
    void SetUp() override
    {
        DeviceFixture::SetUp();
        std::filesystem::create_directories(dir_.Path() / "ptx");
        TTexture8::SetDirectory("ptx/");
    }
    void TearDown() override
    {
        DeviceFixture::TearDown();
        TTexture8::PurgeCache(1);
        TTexture8::SetDirectory("");
        TSprite::SetScreenScale(640, 480, 640, 480);
    }
    // The device with a back buffer of that size, the sprite scale set as the application sets it.
    void StartDevice(int width = 640, int height = 480)
    {
        platform::D3D8TestConfig config = FixedAdapter();
        config.modes.push_back({1280, 960, 60, D3DFMT_X8R8G8B8});
        UseAdapter(config);
        WriteSettings(IniWriter()
                          .Section("CurrentSetting")
                          .Key("ScreenMode", "Window")
                          .Key("ScreenWidth", std::to_string(width))
                          .Key("ScreenHeight", std::to_string(height))
                          .Section("DepthStencilFormat")
                          .Key("Format00", "D3DFMT_D24S8"));
        ASSERT_TRUE(InitDevice());
        ASSERT_EQ(d3d()->GetBackBufferWidth(), static_cast<std::uint32_t>(width));
        TSprite::SetScreenScale(640, 480, width, height);
    }
    void WritePackage(const std::string& name, const std::vector<PtxImage>& images)
    {
        SaveBytes((dir_.Path() / "ptx" / name).string(), BuildPtx(images));
    }
    void BeginFrame(D3DCOLOR background)
    {
        ASSERT_TRUE(d3d()->CheckLostDevice());
        d3d()->Clear(background, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 1.0F, 0, 0, nullptr);
        d3d()->BeginScene();
    }
    platform::RgbaImage EndFrame()
    {
        d3d()->EndScene();
        platform::RgbaImage image;
        EXPECT_TRUE(platform::ReadBackBuffer(device(), &image));
        return image;
    }
    // A 64 × 32 picture of kind 1: four coloured quarters with a white frame, alpha falling from
    // 255 at the left to 63 at the right.
    static PtxImage TestPicture(const std::string& name)
    {
        std::vector<PtxColor> colors;
        std::vector<std::uint8_t> alphas;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 64; ++x) {
                PtxColor c{};
                if (x == 0 || y == 0 || x == 63 || y == 31) {
                    c = {255, 255, 255};
                } else if (y < 16) {
                    c = x < 32 ? PtxColor{230, 40, 40} : PtxColor{40, 200, 60};
                } else {
                    c = x < 32 ? PtxColor{40, 80, 230} : PtxColor{240, 210, 40};
                }
                colors.push_back(c);
                alphas.push_back(static_cast<std::uint8_t>(255 - x * 3));
            }
        }
        return PtxImage::FromPixels(name, 1, 64, 32, colors, alphas);
    }
};

}  // namespace qmtest

namespace meshtest {

// A grid of (n + 1) × (n + 1) vertices in the XY plane facing -z (clockwise seen from the camera),
// 2n² triangles, all of material 0; z and colours vary so that blends show.
inline qmtest::MeshFile GridMesh(int n, float size)
{
    qmtest::MeshFile f;
    f.name = "grid";
    f.materials.push_back(qmtest::MeshMaterial("body", 0.9F, 0.6F, 0.3F, 1.0F, 0.0F));
    std::vector<qmtest::MeshVertex> v;
    for (int y = 0; y <= n; ++y) {
        for (int x = 0; x <= n; ++x) {
            const float fx = (static_cast<float>(x) / n - 0.5F) * size;
            const float fy = (static_cast<float>(y) / n - 0.5F) * size * 0.8F;
            const std::uint32_t colour = 0xFF000000u | static_cast<std::uint32_t>(40 + 200 * x / n) << 16 |
                                         static_cast<std::uint32_t>(220 - 180 * y / n) << 8 |
                                         static_cast<std::uint32_t>(90 + 20 * (x + y) % 160);
            v.push_back({fx, fy, 0.2F * static_cast<float>(x + y) / n, colour, static_cast<float>(x),
                         static_cast<float>(y)});
        }
    }
    f.keyFrames.push_back(v);
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            const auto i = static_cast<std::uint16_t>(y * (n + 1) + x);
            const auto up = static_cast<std::uint16_t>(i + n + 1);
            // Clockwise from the camera at -z: (0,0) → (0,1) → (1,0).
            f.indices.insert(f.indices.end(), {i, up, static_cast<std::uint16_t>(i + 1)});
            f.indices.insert(f.indices.end(), {static_cast<std::uint16_t>(i + 1), up, static_cast<std::uint16_t>(up + 1)});
            f.faceMaterials.push_back(0);
            f.faceMaterials.push_back(0);
        }
    }
    return f;
}

// Three key frames of the grid, and two morphs: 0 → 1 → 2 and 2 → 2 → 0.
inline qmtest::MeshFile MorphingGridMesh(int n, float size)
{
    qmtest::MeshFile f = GridMesh(n, size);
    f.animated = true;
    std::vector<qmtest::MeshVertex> second = f.keyFrames[0];
    std::vector<qmtest::MeshVertex> third = f.keyFrames[0];
    for (std::size_t i = 0; i < second.size(); ++i) {
        second[i].x *= 0.6F;
        second[i].y = second[i].y * 0.7F + 0.3F;
        second[i].z += 0.5F;
        second[i].diffuse = 0xFF000000u | ((second[i].diffuse & 0xFFFFFF) ^ 0x00C0A060u);
        second[i].u += 0.5F;
        third[i].x += 0.4F;
        third[i].diffuse = 0xFF2060E0u;
    }
    f.keyFrames.push_back(second);
    f.keyFrames.push_back(third);
    f.morphs.push_back({"walk", {0, 1, 2}, {0.25F, 0.5F, 1.0F}});
    f.morphs.push_back({"back", {2, 2, 0}, {1.0F, 1.0F, 1.0F}});
    return f;
}

class MeshFixture : public qmtest::DeviceFixture {
protected:
    void SetUp() override
    {
        DeviceFixture::SetUp();
        TMesh8::SetDirectory("");
        view_.SetProjection(0.5F, 100.0F, 45.0F, 640, 480);
    }
    // Starts the device; without vertex shaders the meshes take the software path.
    void StartDevice(bool vertexShaders)
    {
        platform::D3D8TestConfig config = qmtest::FixedAdapter();
        config.noVertexShaders = !vertexShaders;
        UseAdapter(config);
        WriteWindowedSettings();
        ASSERT_TRUE(InitDevice());
        ASSERT_EQ(d3d()->IsVertexShaderSupported(), vertexShaders);
    }
    TMesh8 LoadMesh(const qmtest::MeshFile& file, const std::string& name = "mesh.msh")
    {
        file.Save(name);
        return TMesh8::Load(name);
    }
    // A camera at (0, 0, -distance) looking along +z.
    void PointCamera(float distance)
    {
        D3DXMATRIX camera;
        D3DXMatrixTranslation(&camera, 0.0F, 0.0F, -distance);
        view_.SetCameraMatrix(camera);
    }
    // One frame of the mesh through its preset's draw list on black, read back.
    platform::RgbaImage DrawFrame(TMesh8& mesh, const D3DXMATRIX& world)
    {
        EXPECT_TRUE(d3d()->CheckLostDevice());
        d3d()->Clear(0xFF000000, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 1.0F, 0, 0, nullptr);
        d3d()->BeginScene();
        mesh.Draw(&world, &view_);
        TDrawList::FlushAll();
        d3d()->EndScene();
        platform::RgbaImage image;
        EXPECT_TRUE(platform::ReadBackBuffer(device(), &image));
        return image;
    }

    TView view_;
};

}  // namespace meshtest
