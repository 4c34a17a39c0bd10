#include "formats/effect_assets.h"

#include <algorithm>

#include "MainCode/Effect/TEffectManager.h"
#include "dx/dx8/3d/TFrame.h"
#include "dx/dx8/3d/TMesh8.h"
#include "dx/dx8/3d/TTexture8.h"
#include "formats/byte_writer.h"
#include "formats/frame_writer.h"
#include "formats/ptx_writer.h"

namespace qmtest {

namespace {

constexpr std::uint32_t kRibbonSegmentsThunder = 8;
constexpr std::uint32_t kRibbonSegmentsSword = 10;

// A three-sided pyramid along +z of the given length, tinted by colour.
MeshFile ShardMesh(const std::string& name, float length, std::uint32_t colour)
{
    MeshFile f;
    f.name = name;
    f.materials.push_back(MeshMaterial(name + "_mat", 1.0F, 1.0F, 1.0F, 1.0F, 0.0F));
    f.keyFrames.push_back({{0.0F, 0.1F, 0.0F, colour, 0.5F, 0.0F},
                           {-0.1F, -0.05F, 0.0F, colour, 0.0F, 1.0F},
                           {0.1F, -0.05F, 0.0F, colour, 1.0F, 1.0F},
                           {0.0F, 0.0F, length, colour, 0.5F, 0.5F}});
    f.indices = {0, 1, 2, 0, 3, 1, 1, 3, 2, 2, 3, 0};
    f.faceMaterials = {0, 0, 0, 0};
    return f;
}

std::string Stem(const std::string& file) { return file.substr(0, file.find('.')); }

// Frame files: a bare root that Init places, and one animated child holding the mesh, rising and
// growing over 30 ticks (a track on the root would override the placement).
std::vector<std::uint8_t> EffectFrameFile(const std::string& file, std::uint32_t colour)
{
    FrameNode root;
    root.name = Stem(file);
    FrameNode body;
    body.name = root.name + "_body";
    body.meshRecords.push_back(MeshRecord(ShardMesh(root.name + "_msh", 0.5F, colour)));
    body.sets.push_back({ScaleKeys({0, 30}, {{0.5F, 0.5F, 0.5F}, {1.5F, 1.5F, 1.5F}}),
                         TranslationKeys({0, 10, 30}, {{0, 0, 0}, {0, 0.5F, 0}, {0, 1, 0}})});
    root.children.push_back(body);
    return FrameFile(root);
}

MeshFile EffectMesh(const std::string& file, std::uint32_t colour)
{
    if (file == "particle_mesh.msh" || file == "board00.msh" || file == "board01.msh") {
        return EffectQuadMesh(Stem(file));
    }
    if (file == "thunder.msh") {
        return EffectStripMesh("thunder", kRibbonSegmentsThunder);
    }
    if (file == "sword01.msh") {
        return WeaponRibbonMesh();
    }
    MeshFile f = ShardMesh(Stem(file), file == "arw00.msh" ? 1.2F : 0.6F, colour);
    if (file == "ring02_mesh.msh") {
        f.materials[0].texture = "effect.ptx/shine";
    } else if (file == "wind01.msh") {
        f.materials[0].texture = "effect.ptx/wind";
    } else if (file == "arw00.msh") {
        // An opaque shaft: the arrow keeps this material as it is.
        f.materials[0] = MeshMaterial("arrow_mat", 0.6F, 0.5F, 0.3F, 1.0F, 0.0F);
    }
    return f;
}

// Four quarters of distinct colours; alpha fades toward the right.
PtxImage AtlasImage(const std::string& name, std::size_t index)
{
    constexpr std::uint32_t kSize = 16;
    const auto shade = static_cast<std::uint8_t>(40 + 15 * index);
    const PtxColor quarters[4] = {{255, shade, 40}, {40, 255, shade}, {shade, 40, 255}, {255, 255, shade}};
    std::vector<PtxColor> colours;
    std::vector<std::uint8_t> alphas;
    for (std::uint32_t y = 0; y < kSize; ++y) {
        for (std::uint32_t x = 0; x < kSize; ++x) {
            colours.push_back(quarters[(y < kSize / 2 ? 0 : 2) + (x < kSize / 2 ? 0 : 1)]);
            alphas.push_back(static_cast<std::uint8_t>(255 - 8 * x));
        }
    }
    return PtxImage::FromPixels(name, 1, kSize, kSize, colours, alphas);
}

std::uint32_t ColourOf(std::size_t i)
{
    return 0xFF000000u | static_cast<std::uint32_t>((60 + 37 * i) % 256) << 16 |
           static_cast<std::uint32_t>((200 + 53 * i) % 256) << 8 | static_cast<std::uint32_t>((120 + 91 * i) % 256);
}

}  // namespace

const std::vector<std::string>& EffectFrameFiles()
{
    static const std::vector<std::string> files = {
        "attack01_anim.frm", "impact01_anim.frm", "impact02_anim.frm", "ring01_anim.frm",   "flash01.frm",
        "flash01_2.frm",     "flash00.frm",       "bomb00.frm",        "bomb01.frm",        "shiningring.frm",
        "tornado00.frm",     "ice01_anim.frm",    "edge01_anim.frm",   "earthfang.frm",     "edge02_anim.frm",
        "icefield00_f.frm",  "icefield01_f.frm",  "impact03_anim.frm", "impact04_anim.frm",
    };
    return files;
}

const std::vector<std::string>& EffectMeshFiles()
{
    static const std::vector<std::string> files = {
        "particle_mesh.msh", "ice01_mesh.msh",  "edge01_mesh.msh",  "earthfang.msh",  "edge02_mesh.msh",
        "icefield00_m.msh",  "icefield01_m.msh", "icefield02_m.msh", "wind01.msh",     "rock01_mesh.msh",
        "gareki00.msh",      "meteo.msh",        "ring02_mesh.msh",  "board01.msh",    "sword01.msh",
        "arw00.msh",         "thunder.msh",      "board00.msh",
    };
    return files;
}

const std::vector<std::string>& EffectTextureNames()
{
    static const std::vector<std::string> names = {
        "fire", "ice", "wind", "soil", "shine", "dark", "ain", "smoke", "star2", "darksmoke", "smoke2", "star",
        "thunder00", "impact03",
    };
    return names;
}

MeshFile EffectMeshFile(const std::string& file)
{
    const std::vector<std::string>& files = EffectMeshFiles();
    const auto at = static_cast<std::size_t>(std::find(files.begin(), files.end(), file) - files.begin());
    return EffectMesh(file, ColourOf(at + EffectFrameFiles().size()));
}

MeshFile EffectQuadMesh(const std::string& name)
{
    MeshFile f;
    f.name = name;
    f.materials.push_back(MeshMaterial(name + "_mat", 1.0F, 1.0F, 1.0F, 1.0F, 0.0F));
    const std::uint32_t white = 0xFFFFFFFFu;
    f.keyFrames.push_back({{-0.5F, 0.5F, 0.0F, white, 0.0F, 0.0F},
                           {0.5F, 0.5F, 0.0F, white, 1.0F, 0.0F},
                           {-0.5F, -0.5F, 0.0F, white, 0.0F, 1.0F},
                           {0.5F, -0.5F, 0.0F, white, 1.0F, 1.0F}});
    // Clockwise seen from -z.
    f.indices = {0, 1, 2, 2, 1, 3};
    f.faceMaterials = {0, 0};
    return f;
}

MeshFile EffectStripMesh(const std::string& name, std::uint32_t segments)
{
    MeshFile f;
    f.name = name;
    f.materials.push_back(MeshMaterial(name + "_mat", 1.0F, 1.0F, 1.0F, 1.0F, 0.0F));
    std::vector<MeshVertex> v;
    const auto row = [&](std::uint32_t k, bool right) {
        const float t = static_cast<float>(k) / static_cast<float>(segments);
        v.push_back({right ? 0.2F : -0.2F, t, 0.0F, 0xFFFFFFFFu, right ? 1.0F : 0.0F, t});
    };
    for (std::uint32_t k = 0; k < segments; ++k) {
        row(k, false);
        row(k, true);
        row(k + 1, false);
        row(k, true);
        row(k + 1, false);
        row(k + 1, true);
        f.faceMaterials.push_back(0);
        f.faceMaterials.push_back(0);
    }
    for (std::size_t i = 0; i < v.size(); ++i) {
        f.indices.push_back(static_cast<std::uint16_t>(i));
    }
    f.keyFrames.push_back(v);
    return f;
}

MeshFile WeaponRibbonMesh() { return EffectStripMesh("sword01", kRibbonSegmentsSword); }

void WriteWeaponRibbon(const std::filesystem::path& meshFolder)
{
    const std::filesystem::path file = meshFolder / "effect" / "sword01.msh";
    std::filesystem::create_directories(file.parent_path());
    WeaponRibbonMesh().Save(file.string());
}

void WriteEffectAssets(const std::filesystem::path& root)
{
    const std::string folder = TEffectManager::GetFolder();
    const std::filesystem::path frames = root / (TFrame::GetDirectory() + folder);
    const std::filesystem::path meshes = root / (TMesh8::GetDirectory() + folder);
    const std::filesystem::path textures = root / TTexture8::GetDirectory();
    std::filesystem::create_directories(frames);
    std::filesystem::create_directories(meshes);
    std::filesystem::create_directories(textures);

    const std::vector<std::string>& frameFiles = EffectFrameFiles();
    for (std::size_t i = 0; i < frameFiles.size(); ++i) {
        SaveBytes((frames / frameFiles[i]).string(), EffectFrameFile(frameFiles[i], ColourOf(i)));
    }
    for (const std::string& file : EffectMeshFiles()) {
        EffectMeshFile(file).Save((meshes / file).string());
    }
    std::vector<PtxImage> images;
    const std::vector<std::string>& names = EffectTextureNames();
    for (std::size_t i = 0; i < names.size(); ++i) {
        images.push_back(AtlasImage(names[i], i));
    }
    SaveBytes((textures / "effect.ptx").string(), BuildPtx(images));
}

void WriteGameEffectAssets(const std::filesystem::path& root)
{
    const std::string frames = TFrame::GetDirectory();
    const std::string meshes = TMesh8::GetDirectory();
    const std::string textures = TTexture8::GetDirectory();
    const std::string effects = TEffectManager::GetFolder();
    TFrame::SetDirectory("data/frm04/");
    TMesh8::SetDirectory("data/msh04/");
    TTexture8::SetDirectory("data/ptx04/");
    TEffectManager::SetFolder("effect/");
    WriteEffectAssets(root);
    TFrame::SetDirectory(frames);
    TMesh8::SetDirectory(meshes);
    TTexture8::SetDirectory(textures);
    TEffectManager::SetFolder(effects);
}

}  // namespace qmtest
