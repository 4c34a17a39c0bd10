// The player models of the sample folder: a block body with every motion the player plays, its
// pattern and weapon poses, and the round shadow.
#include <cmath>

#include "SampleParts.h"

namespace sample {

namespace {

constexpr std::uint32_t kMotionFrames = 8;
constexpr float kWalkStep = 0.05F;

std::uint32_t Colour(const std::string& name)
{
    std::uint32_t h = 2166136261u;
    for (char ch : name) {
        h = (h ^ static_cast<std::uint8_t>(ch)) * 16777619u;
    }
    return 0xFF000000u | (0x40 + (h & 0x7F)) << 16 | (0x40 + (h >> 8 & 0x7F)) << 8 | (0x40 + (h >> 16 & 0x7F));
}

}  // namespace

qmtest::MeshFile CharacterBody(const std::string& name)
{
    qmtest::MeshFile mesh;
    mesh.animated = true;
    mesh.name = name;
    mesh.materials.push_back(qmtest::MeshMaterial("Body", 1.0F, 1.0F, 1.0F, 1.0F, 0.0F));
    const std::uint32_t colour = Colour(name);
    // A block 0.6 wide, 1.4 tall, 0.4 deep standing on the origin.
    const float x = 0.3F, y = 1.4F, z = 0.2F;
    std::vector<qmtest::MeshVertex> v = {
        {-x, 0, -z, colour, 0, 1}, {x, 0, -z, colour, 1, 1}, {x, y, -z, colour, 1, 0}, {-x, y, -z, colour, 0, 0},
        {-x, 0, z, colour, 0, 1},  {x, 0, z, colour, 1, 1},  {x, y, z, colour, 1, 0},  {-x, y, z, colour, 0, 0},
    };
    mesh.keyFrames.push_back(v);
    mesh.indices = {0, 3, 2, 0, 2, 1, 4, 5, 6, 4, 6, 7, 0, 4, 7, 0, 7, 3,
                    1, 2, 6, 1, 6, 5, 3, 7, 6, 3, 6, 2, 0, 1, 5, 0, 5, 4};
    mesh.faceMaterials.assign(mesh.indices.size() / 3, 0);
    for (std::uint32_t m = 0; m < kPlayerMotions; ++m) {
        mesh.morphs.push_back({"motion" + std::to_string(m), std::vector<std::uint32_t>(kMotionFrames, 0),
                               std::vector<float>(kMotionFrames, 1.0F)});
    }
    return mesh;
}

std::vector<std::uint8_t> BuildCharacterPattern()
{
    std::vector<std::vector<TPatternEvent>> patterns;
    for (std::uint32_t m = 0; m < kPlayerMotions; ++m) {
        TPatternEvent frame;
        if (m >= 1 && m <= 3) {
            frame.Displacement = D3DXVECTOR3(0.0F, 0.0F, -kWalkStep);
        }
        patterns.emplace_back(kMotionFrames, frame);
    }
    return qmtest::BuildPatternFile(patterns);
}

std::vector<std::uint8_t> BuildCharacterWepons()
{
    qmtest::WeponKey key;
    key.firstPosition = D3DXVECTOR3(0.35F, 0.8F, 0.0F);
    key.secondPosition = D3DXVECTOR3(-0.35F, 0.8F, 0.0F);
    return qmtest::BuildWeponStateFile({key},
                                       std::vector<std::vector<std::uint32_t>>(kPlayerMotions,
                                                                               std::vector<std::uint32_t>(kMotionFrames, 0)));
}

qmtest::MeshFile ShadowDisc()
{
    constexpr int kSegments = 12;
    qmtest::MeshFile mesh;
    mesh.name = "shadow01";
    mesh.materials.push_back(qmtest::MeshMaterial("Shadow", 0.0F, 0.0F, 0.0F, 0.5F, 0.0F));
    std::vector<qmtest::MeshVertex> v = {{0, 0, 0, 0x80000000u, 0.5F, 0.5F}};
    for (int i = 0; i <= kSegments; ++i) {
        const double a = 2.0 * 3.14159265358979 * i / kSegments;
        const auto x = static_cast<float>(0.5 * std::cos(a));
        const auto z = static_cast<float>(0.5 * std::sin(a));
        v.push_back({x, 0, z, 0x00000000u, x + 0.5F, z + 0.5F});
    }
    mesh.keyFrames.push_back(v);
    for (int i = 0; i < kSegments; ++i) {
        mesh.indices.push_back(0);
        mesh.indices.push_back(static_cast<std::uint16_t>(i + 2));
        mesh.indices.push_back(static_cast<std::uint16_t>(i + 1));
    }
    mesh.faceMaterials.assign(kSegments, 0);
    return mesh;
}

qmtest::MeshFile WeaponBlade(const std::string& name)
{
    qmtest::MeshFile mesh;
    mesh.name = name;
    mesh.materials.push_back(qmtest::MeshMaterial("Blade", 0.8F, 0.8F, 0.85F, 1.0F, 0.0F));
    mesh.keyFrames.push_back({{-0.03F, 0, 0, 0xFFFFFFFFu, 0.0F, 0.0F},
                              {0.03F, 0, 0, 0xFFFFFFFFu, 1.0F, 0.0F},
                              {-0.03F, 0, -0.9F, 0xFFFFFFFFu, 0.0F, 1.0F},
                              {0.03F, 0, -0.9F, 0xFFFFFFFFu, 1.0F, 1.0F}});
    mesh.indices = {0, 2, 1, 1, 2, 3};
    mesh.faceMaterials.assign(2, 0);
    return mesh;
}

}  // namespace sample
