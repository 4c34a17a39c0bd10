#include "mesh_fixture.h"

#include "platform/d3dx8/d3dx8.h"

namespace meshtest {

qmtest::MeshFile GridMesh(int n, float size, float shift)
{
    qmtest::MeshFile f;
    f.name = "grid";
    f.materials.push_back(qmtest::MeshMaterial("body", 0.9F, 0.6F, 0.3F, 1.0F, 0.0F));
    std::vector<qmtest::MeshVertex> v;
    for (int y = 0; y <= n; ++y) {
        for (int x = 0; x <= n; ++x) {
            const float fx = (static_cast<float>(x) / n - 0.5F) * size + shift;
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

qmtest::MeshFile MorphingGridMesh(int n, float size)
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

void MeshFixture::SetUp()
{
    DeviceFixture::SetUp();
    TMesh8::SetDirectory("");
    view_.SetProjection(0.5F, 100.0F, 45.0F, 640, 480);
}

void MeshFixture::StartDevice(bool vertexShaders)
{
    platform::D3D8TestConfig config = qmtest::FixedAdapter();
    config.noVertexShaders = !vertexShaders;
    UseAdapter(config);
    WriteWindowedSettings();
    ASSERT_TRUE(InitDevice());
    ASSERT_EQ(d3d()->IsVertexShaderSupported(), vertexShaders);
}

TMesh8 MeshFixture::LoadMesh(const qmtest::MeshFile& file, const std::string& name)
{
    file.Save(name);
    return TMesh8::Load(name);
}

void MeshFixture::PointCamera(float distance, float x)
{
    D3DXMATRIX camera;
    D3DXMatrixTranslation(&camera, x, 0.0F, -distance);
    view_.SetCameraMatrix(camera);
}

}  // namespace meshtest
