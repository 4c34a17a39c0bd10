#include "formats/player_model_writer.h"

#include <algorithm>
#include <filesystem>

#include "formats/byte_writer.h"
#include "formats/effect_assets.h"
#include "formats/ground_writer.h"
#include "formats/pattern_writer.h"
#include "formats/table_writer.h"

namespace qmtest {

namespace {

// Channels from the upper half: untextured, stage 0 multiplies the diffuse colour by itself, so the
// body shows each channel squared and darker ones would vanish into the shadow under it.
std::uint32_t Colour(const std::string& name)
{
    std::uint32_t h = 2166136261u;
    for (char ch : name) {
        h = (h ^ static_cast<std::uint8_t>(ch)) * 16777619u;
    }
    return 0xFF000000u | (0x80 + (h & 0x7F)) << 16 | (0x80 + (h >> 8 & 0x7F)) << 8 | (0x80 + (h >> 16 & 0x7F));
}

}  // namespace

MeshFile PlayerModelBody(const std::string& name)
{
    MeshFile mesh;
    mesh.animated = true;
    mesh.name = name;
    const std::uint32_t colour = Colour(name);
    // A body is drawn with the constant-colour shader: its colour is the material's emissive colour,
    // not the vertices'. The vertices carry the same colour for the shaders that read them.
    mesh.materials.push_back(MeshMaterial("Body", colour, 0.0F));
    const float x = 0.3F, y = 1.4F, z = 0.2F;
    std::vector<MeshVertex> v = {
        {-x, 0, -z, colour, 0, 1}, {x, 0, -z, colour, 1, 1}, {x, y, -z, colour, 1, 0}, {-x, y, -z, colour, 0, 0},
        {-x, 0, z, colour, 0, 1},  {x, 0, z, colour, 1, 1},  {x, y, z, colour, 1, 0},  {-x, y, z, colour, 0, 0},
    };
    mesh.keyFrames.push_back(v);
    mesh.indices = {0, 3, 2, 0, 2, 1, 4, 5, 6, 4, 6, 7, 0, 4, 7, 0, 7, 3,
                    1, 2, 6, 1, 6, 5, 3, 7, 6, 3, 6, 2, 0, 1, 5, 0, 5, 4};
    mesh.faceMaterials.assign(mesh.indices.size() / 3, 0);
    for (std::uint32_t m = 0; m < kPlayerModelMotions; ++m) {
        mesh.morphs.push_back({"motion" + std::to_string(m), std::vector<std::uint32_t>(kPlayerModelFrames, 0),
                               std::vector<float>(kPlayerModelFrames, 1.0F)});
    }
    return mesh;
}

std::vector<std::uint8_t> BuildPlayerModelPattern(float walkStep, const std::vector<std::uint32_t>& strikeMotions)
{
    std::vector<std::vector<TPatternEvent>> patterns;
    for (std::uint32_t m = 0; m < kPlayerModelMotions; ++m) {
        TPatternEvent frame;
        if (m >= 1 && m <= 3) {
            frame.Displacement = D3DXVECTOR3(0.0F, 0.0F, -walkStep);
        }
        patterns.emplace_back(kPlayerModelFrames, frame);
        if (m == kPlayerModelSwingMotion || std::find(strikeMotions.begin(), strikeMotions.end(), m) != strikeMotions.end()) {
            patterns.back()[kPlayerModelSwingFrame].AttackId = kPlayerModelSwingAttack;
        }
    }
    return BuildPatternFile(patterns);
}

std::vector<std::uint8_t> BuildPlayerModelWepons()
{
    WeponKey key;
    key.firstPosition = D3DXVECTOR3(0.35F, 0.8F, 0.0F);
    key.secondPosition = D3DXVECTOR3(-0.35F, 0.8F, 0.0F);
    return BuildWeponStateFile({key}, std::vector<std::vector<std::uint32_t>>(
                                          kPlayerModelMotions, std::vector<std::uint32_t>(kPlayerModelFrames, 0)));
}

void WritePlayerModel(const std::string& meshFolder, const std::string& characterDataFolder, const std::string& name,
                      float walkStep)
{
    namespace fs = std::filesystem;
    const fs::path body = fs::path(meshFolder) / "char04" / (name + ".tob");
    fs::create_directories(body.parent_path());
    fs::create_directories(characterDataFolder);
    PlayerModelBody(name).Save(body.string());
    WriteWeaponRibbon(meshFolder);
    SaveBytes((fs::path(characterDataFolder) / (name + ".pat")).string(), BuildPlayerModelPattern(walkStep));
    SaveBytes((fs::path(characterDataFolder) / (name + ".wpm")).string(), BuildPlayerModelWepons());
}

void WritePlayerValueTables(const std::string& tableFolder, std::uint32_t step)
{
    namespace fs = std::filesystem;
    fs::create_directories(tableFolder);
    std::vector<std::uint32_t> values(201);
    for (std::uint32_t i = 0; i < values.size(); ++i) {
        values[i] = i * step;
    }
    for (const char* file : {"ex.tbl", "abp.tbl"}) {
        SaveBytes((fs::path(tableFolder) / file).string(), BuildSoundList(values));
    }
}

void WriteWeaponMesh(const std::string& meshFolder, const std::string& mesh)
{
    namespace fs = std::filesystem;
    const fs::path file = fs::path(meshFolder) / "wepon" / (mesh + ".msh");
    fs::create_directories(file.parent_path());
    GroundMesh().Floor(0, 0, 0.1F, 1.0F, 0).File(mesh).Save(file.string());
}

}  // namespace qmtest
