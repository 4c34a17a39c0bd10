#include "formats/ring_assets.h"

#include <cmath>
#include <cstdio>

#include "MainCode/GameData/TSkillTable.h"
#include "formats/byte_writer.h"
#include "formats/caption_font.h"
#include "formats/table_writer.h"

namespace qmtest {

namespace {

namespace fs = std::filesystem;

constexpr PtxColor kGold{220, 180, 70};
constexpr PtxColor kBright{255, 235, 90};
constexpr PtxColor kNight{24, 32, 70};
constexpr float kNotCull = 0.55F;  // translucent, both sides drawn: the icons fade and turn

// A slot's square: dark inside a light border.
void SlotSquare(CaptionCanvas& c, int x, int y)
{
    c.Fill(x, y, 32, 32, {150, 160, 200}, 230);
    c.Fill(x + 2, y + 2, 28, 28, {12, 16, 40}, 230);
}

// A frame two pixels wide, clear inside.
void Outline(CaptionCanvas& c, int x, int y, int w, int h, PtxColor colour)
{
    c.Fill(x, y, w, 2, colour);
    c.Fill(x, y + h - 2, w, 2, colour);
    c.Fill(x, y, 2, h, colour);
    c.Fill(x + w - 2, y, 2, h, colour);
}

PtxImage RingPicture()
{
    constexpr int kSize = 224;
    CaptionCanvas c(kSize, kSize, {0, 0, 0}, 0);
    const float centre = (kSize - 1) * 0.5F;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const float dx = static_cast<float>(x) - centre;
            const float dy = static_cast<float>(y) - centre;
            const float r = std::sqrt(dx * dx + dy * dy);
            // Eight marks on the band show the ring turning.
            const float a = std::atan2(dy, dx) / 0.7853982F;
            const bool mark = std::fabs(a - std::round(a)) < 0.06F;
            if (r >= 86.0F && r < 106.0F) {
                c.Fill(x, y, 1, 1, mark ? kBright : kGold, 210);
            } else if (r < 86.0F) {
                c.Fill(x, y, 1, 1, kNight, 110);
            }
        }
    }
    return c.Image("ring01_c", 1);
}

PtxImage RingCursor()
{
    CaptionCanvas c(96, 32, {0, 0, 0}, 0);
    c.Fill(0, 14, 56, 4, kBright);
    c.Fill(48, 10, 8, 12, kBright);
    Outline(c, 56, 0, 32, 32, kBright);
    return c.Image("ring_cursor00", 1);
}

PtxImage GaugeCursor()
{
    CaptionCanvas c(32, 32, {0, 0, 0}, 0);
    Outline(c, 0, 0, 32, 32, kBright);
    return c.Image("ring_cursor01", 1);
}

PtxImage GaugeFrame()
{
    CaptionCanvas c(256, 64, {0, 0, 0}, 0);
    // Left end 0..72, middle 72..120, right end 120..192; each piece holds one slot.
    c.Fill(8, 12, 184 - 8, 48, {40, 60, 120}, 200);
    c.Fill(8, 12, 184 - 8, 3, {160, 180, 230}, 230);
    c.Fill(8, 57, 184 - 8, 3, {160, 180, 230}, 230);
    c.Fill(8, 12, 3, 48, {160, 180, 230}, 230);
    c.Fill(181, 12, 3, 48, {160, 180, 230}, 230);
    for (int x : {32, 80, 128}) {
        SlotSquare(c, x, 24);
    }
    return c.Image("guage06", 1);
}

// A 32 × 32 round icon in its colour with its number on it.
PtxImage NumberedIcon(const std::string& name, int number, PtxColor colour)
{
    CaptionCanvas c(32, 32, {0, 0, 0}, 0);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const float dx = static_cast<float>(x) - 15.5F;
            const float dy = static_cast<float>(y) - 15.5F;
            if (dx * dx + dy * dy < 15.0F * 15.0F) {
                c.Fill(x, y, 1, 1, colour);
            }
        }
    }
    const std::string text = std::to_string(number);
    DrawCaption(c, 16 - CaptionWidth(text, 2) / 2, 9, text, 2, {255, 255, 255});
    return c.Image(name, 1);
}

PtxColor Hue(int i)
{
    static const PtxColor kHues[] = {{200, 60, 60}, {60, 160, 70}, {60, 90, 200}, {190, 150, 40},
                                     {150, 60, 170}, {40, 160, 170}, {210, 110, 40}};
    return kHues[i % 7];
}

struct Corner {
    float x, y, z;
};

// A closed solid of one colour: its corners and its triangles.
MeshFile Solid(const std::string& name, const std::vector<Corner>& corners, const std::vector<std::uint16_t>& triangles,
               std::uint32_t argb)
{
    MeshFile f;
    f.name = name;
    f.materials.push_back(MeshMaterial(name, argb, kNotCull));
    std::vector<MeshVertex> v;
    for (const Corner& c : corners) {
        v.push_back({c.x, c.y, c.z, argb, 0.0F, 0.0F});
    }
    f.keyFrames.push_back(v);
    f.indices = triangles;
    f.faceMaterials.assign(triangles.size() / 3, 0);
    return f;
}

// Six corners on the axes, the middle ones flattened by squash.
MeshFile Octahedron(const std::string& name, float size, float squash, std::uint32_t argb)
{
    const float h = size * squash;
    return Solid(name, {{0, h, 0}, {size, 0, 0}, {0, 0, size}, {-size, 0, 0}, {0, 0, -size}, {0, -h, 0}},
                 {0, 1, 2, 0, 2, 3, 0, 3, 4, 0, 4, 1, 5, 2, 1, 5, 3, 2, 5, 4, 3, 5, 1, 4}, argb);
}

MeshFile Box(const std::string& name, float hx, float hy, float hz, std::uint32_t argb)
{
    std::vector<Corner> corners;
    for (int i = 0; i < 8; ++i) {
        corners.push_back({(i & 1) != 0 ? hx : -hx, (i & 2) != 0 ? hy : -hy, (i & 4) != 0 ? hz : -hz});
    }
    return Solid(name, corners,
                 {0, 2, 1, 1, 2, 3, 5, 7, 4, 4, 7, 6, 4, 6, 0, 0, 6, 2, 1, 3, 5, 5, 3, 7, 2, 6, 3, 3, 6, 7,
                  4, 0, 5, 5, 0, 1},
                 argb);
}

// A square base and an apex above it.
MeshFile Pyramid(const std::string& name, float half, float height, std::uint32_t argb)
{
    return Solid(name, {{-half, -height * 0.5F, -half}, {half, -height * 0.5F, -half}, {half, -height * 0.5F, half},
                        {-half, -height * 0.5F, half}, {0, height * 0.5F, 0}},
                 {0, 1, 2, 0, 2, 3, 0, 4, 1, 1, 4, 2, 2, 4, 3, 3, 4, 0}, argb);
}

}  // namespace

std::vector<PtxImage> RingSprites() { return {RingPicture(), RingCursor(), GaugeCursor(), GaugeFrame()}; }

const std::vector<std::string>& StatusIconMeshFiles()
{
    static const std::vector<std::string> files = {
        "effect/icon_status_poison.msh", "effect/icon_status_sickness.msh", "effect/icon_status_confusion.msh",
        "effect/icon_status_fear.msh",   "effect/icon_status_slow.msh",     "effect/icon_status_silence.msh",
        "effect/icon_status_boost.msh"};
    return files;
}

MeshFile StatusIconMesh(std::size_t index)
{
    switch (index) {
    case 0: return Octahedron("poison", 0.5F, 1.0F, 0xFF40C040);
    case 1: return Box("sickness", 0.35F, 0.35F, 0.35F, 0xFF9040C0);
    case 2: return Pyramid("confusion", 0.4F, 0.6F, 0xFFE0D030);
    case 3: return Box("fear", 0.15F, 0.5F, 0.15F, 0xFF8090A0);
    case 4: return Box("slow", 0.5F, 0.12F, 0.5F, 0xFF3060E0);
    case 5: return Octahedron("silence", 0.5F, 0.3F, 0xFFE0E0E0);
    default: return Pyramid("boost", 0.3F, 1.0F, 0xFFE04020);
    }
}

std::vector<PtxImage> ItemIconPictures()
{
    std::vector<PtxImage> icons;
    for (int id = 1; id <= 7; ++id) {
        char name[16];
        std::snprintf(name, sizeof name, "icon%03d", id);
        icons.push_back(NumberedIcon(name, id, Hue(id)));
    }
    return icons;
}

std::vector<PtxImage> SkillIconPictures()
{
    std::vector<PtxImage> icons;
    for (std::uint32_t i = 0; i < TSkillTable::kIconCount; ++i) {
        icons.push_back(NumberedIcon(TSkillTable::GetIconName(i), static_cast<int>(i), Hue(static_cast<int>(i) + 3)));
    }
    return icons;
}

void WriteStatusIconMeshes(const fs::path& meshFolder)
{
    fs::create_directories(meshFolder / "effect");
    for (std::size_t i = 0; i < StatusIconMeshFiles().size(); ++i) {
        StatusIconMesh(i).Save((meshFolder / StatusIconMeshFiles()[i]).string());
    }
}

void WriteRingAssets(const fs::path& textureFolder, const fs::path& meshFolder, const fs::path& tableFolder)
{
    WriteStatusIconMeshes(meshFolder);
    fs::create_directories(tableFolder / "subset");
    SaveBytes((tableFolder / kItemRingSoundList).string(), BuildSoundList({607}));
    SaveBytes((tableFolder / kSkillGaugeSoundList).string(), BuildSoundList({601}));
    fs::create_directories(textureFolder);
    SaveBytes((textureFolder / "itemicon.ptx").string(), BuildPtx(ItemIconPictures()));
    SaveBytes((textureFolder / "skl_icon.ptx").string(), BuildPtx(SkillIconPictures()));
}

}  // namespace qmtest
