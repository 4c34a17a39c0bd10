#include "formats/player_model_writer.h"

#include <algorithm>
#include <filesystem>
#include <iterator>

#include "formats/byte_writer.h"
#include "formats/effect_assets.h"
#include "formats/ground_writer.h"
#include "formats/pattern_writer.h"
#include "formats/table_writer.h"

namespace qmtest {

namespace {

// The twelve triangles of a box of eight corners: bottom left, bottom right, top right and top left
// at the low z, then the same at the high z.
constexpr std::uint16_t kBoxIndices[] = {0, 3, 2, 0, 2, 1, 4, 5, 6, 4, 6, 7, 0, 4, 7, 0, 7, 3,
                                         1, 2, 6, 1, 6, 5, 3, 7, 6, 3, 6, 2, 0, 1, 5, 0, 5, 4};

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

// Every motion of a player model, all on the first key frame.
void AddMotions(MeshFile& mesh)
{
    for (std::uint32_t m = 0; m < kPlayerModelMotions; ++m) {
        mesh.morphs.push_back({"motion" + std::to_string(m), std::vector<std::uint32_t>(kPlayerModelFrames, 0),
                               std::vector<float>(kPlayerModelFrames, 1.0F)});
    }
}

struct Corner {
    float x, y, z;
};

// A box from the lower to the upper corner, its faces turned outwards as the block body's are.
void AddBox(MeshFile& mesh, Corner lo, Corner hi, std::uint32_t colour, std::uint32_t material)
{
    std::vector<MeshVertex>& v = mesh.keyFrames[0];
    const auto base = static_cast<std::uint16_t>(v.size());
    v.insert(v.end(), {{lo.x, lo.y, lo.z, colour, 0, 1},
                       {hi.x, lo.y, lo.z, colour, 1, 1},
                       {hi.x, hi.y, lo.z, colour, 1, 0},
                       {lo.x, hi.y, lo.z, colour, 0, 0},
                       {lo.x, lo.y, hi.z, colour, 0, 1},
                       {hi.x, lo.y, hi.z, colour, 1, 1},
                       {hi.x, hi.y, hi.z, colour, 1, 0},
                       {lo.x, hi.y, hi.z, colour, 0, 0}});
    for (std::uint16_t i : kBoxIndices) {
        mesh.indices.push_back(static_cast<std::uint16_t>(base + i));
    }
    mesh.faceMaterials.insert(mesh.faceMaterials.end(), std::size(kBoxIndices) / 3, material);
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
    mesh.keyFrames.emplace_back();
    AddBox(mesh, {-0.3F, 0.0F, -0.2F}, {0.3F, 1.4F, 0.2F}, colour, 0);
    AddMotions(mesh);
    return mesh;
}

MeshFile PlayerModelFigure(const std::string& name, const FigureLook& look)
{
    MeshFile mesh;
    mesh.animated = true;
    mesh.name = name;
    mesh.materials = {MeshMaterial("Body", look.body, 0.0F), MeshMaterial("Face", look.face, 0.0F),
                      MeshMaterial("Eyes", look.eyes, 0.0F)};
    mesh.keyFrames.emplace_back();
    const float w = look.width / 2.0F;
    const float d = look.depth / 2.0F;
    const float h = look.head;
    const float neck = look.height;
    const float top = neck + h;
    const float r = h / 2.0F;
    AddBox(mesh, {-w, 0.0F, -d}, {w, neck, d}, look.body, 0);
    AddBox(mesh, {-r, neck, -r}, {r, top, r}, look.face, 1);
    // Hair over the back and the top, so that the back of the head is not a face.
    AddBox(mesh, {-r - 0.02F, neck + 0.15F * h, -0.1F * h}, {r + 0.02F, top + 0.04F, r + 0.02F}, look.body, 0);
    AddBox(mesh, {-r - 0.02F, top, -r - 0.01F}, {r + 0.02F, top + 0.04F, -0.1F * h}, look.body, 0);
    // Eyes and a nose standing out of the front.
    const float eye = 0.3F * h;
    for (float x : {-0.45F * r, 0.45F * r}) {
        AddBox(mesh, {x - eye / 2.0F, neck + 0.55F * h, -r - 0.02F}, {x + eye / 2.0F, neck + 0.55F * h + eye, -r + 0.01F},
               look.eyes, 2);
    }
    AddBox(mesh, {-0.04F, neck + 0.3F * h, -r - 0.1F}, {0.04F, neck + 0.5F * h, -r + 0.01F}, look.body, 0);
    if (look.horns) {
        for (float x : {-0.6F * r, 0.6F * r}) {
            AddBox(mesh, {x - 0.04F, top, -0.05F}, {x + 0.04F, top + 0.7F * h, 0.05F}, look.face, 1);
        }
    }
    AddMotions(mesh);
    return mesh;
}

std::vector<std::uint8_t> BuildPlayerModelPattern(float walkStep, const std::vector<std::uint32_t>& strikeMotions)
{
    return BuildPatternFile(PlayerModelPatterns(walkStep, strikeMotions));
}

std::vector<std::vector<TPatternEvent>> PlayerModelPatterns(float walkStep, const std::vector<std::uint32_t>& strikeMotions)
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
    return patterns;
}

WeponKey PlayerModelWeponKey()
{
    WeponKey key;
    key.firstPosition = D3DXVECTOR3(0.35F, 0.8F, 0.0F);
    key.secondPosition = D3DXVECTOR3(-0.35F, 0.8F, 0.0F);
    return key;
}

std::vector<std::uint8_t> BuildPlayerModelWepons()
{
    return BuildWeponStateFile({PlayerModelWeponKey()},
                               std::vector<std::vector<std::uint32_t>>(kPlayerModelMotions,
                                                                       std::vector<std::uint32_t>(kPlayerModelFrames, 0)));
}

void WritePlayerModel(const std::string& meshFolder, const std::string& characterDataFolder, const std::string& name,
                      float walkStep)
{
    WritePlayerModel(meshFolder, characterDataFolder, PlayerModelBody(name), walkStep);
}

void WritePlayerModel(const std::string& meshFolder, const std::string& characterDataFolder, const MeshFile& model,
                      float walkStep)
{
    namespace fs = std::filesystem;
    const std::string& name = model.name;
    const fs::path body = fs::path(meshFolder) / "char04" / (name + ".tob");
    fs::create_directories(body.parent_path());
    fs::create_directories(characterDataFolder);
    model.Save(body.string());
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
