#include "formats/event_assets.h"

#include <cmath>
#include <filesystem>

#include "formats/byte_writer.h"
#include "formats/ending_assets.h"
#include "formats/field_writer.h"
#include "formats/ogg_writer.h"
#include "formats/table_writer.h"

namespace qmtest {

namespace {

namespace fs = std::filesystem;

// A box of the given half sizes about its centre, its top in one colour and its foot in another.
struct Block {
    D3DXVECTOR3 centre;
    D3DXVECTOR3 half;
    std::uint32_t top;
    std::uint32_t foot;
};

// The blocks as one mesh of one material: scenery is coloured by its vertices, characters by the
// material's colour.
MeshFile Blocks(const std::string& name, const std::vector<Block>& blocks, std::uint32_t material = 0xFFFFFFFF)
{
    MeshFile f;
    f.name = name;
    f.materials.push_back(MeshMaterial(name, material, 0.0F));
    std::vector<MeshVertex> v;
    // The sides of a box of corners i (bit 0: +x, bit 1: +y, bit 2: +z), clockwise from outside.
    const std::uint16_t sides[6][4] = {{0, 2, 1, 3}, {5, 7, 4, 6}, {4, 6, 0, 2}, {1, 3, 5, 7}, {2, 6, 3, 7}, {4, 0, 5, 1}};
    for (const Block& b : blocks) {
        const auto first = static_cast<std::uint16_t>(v.size());
        for (int i = 0; i < 8; ++i) {
            const float sx = (i & 1) != 0 ? 1.0F : -1.0F;
            const float sy = (i & 2) != 0 ? 1.0F : -1.0F;
            const float sz = (i & 4) != 0 ? 1.0F : -1.0F;
            v.push_back({b.centre.x + sx * b.half.x, b.centre.y + sy * b.half.y, b.centre.z + sz * b.half.z,
                         (i & 2) != 0 ? b.top : b.foot, 0.0F, 0.0F});
        }
        for (const auto& s : sides) {
            for (int k : {0, 1, 2, 2, 1, 3}) {
                f.indices.push_back(static_cast<std::uint16_t>(first + s[k]));
            }
            f.faceMaterials.insert(f.faceMaterials.end(), {0, 0});
        }
    }
    f.keyFrames.push_back(v);
    return f;
}

// A standing figure in its own colour: body, head, and arms held out.
MeshFile Figure(const std::string& name, const D3DXVECTOR3& at, std::uint32_t colour)
{
    return Blocks(name,
                  {{at + D3DXVECTOR3(0.0F, 0.55F, 0.0F), {0.2F, 0.55F, 0.14F}, colour, colour},
                   {at + D3DXVECTOR3(0.0F, 1.3F, 0.0F), {0.14F, 0.16F, 0.14F}, colour, colour},
                   {at + D3DXVECTOR3(0.0F, 0.85F, 0.0F), {0.42F, 0.06F, 0.06F}, colour, colour}},
                  colour);
}

// The glide's scenery: a wide field, a tower at the point the camera looks at, trees along the way.
MeshFile GlideScenery()
{
    std::vector<Block> blocks = {{{0.0F, -0.1F, 25.0F}, {30.0F, 0.1F, 30.0F}, 0xFF6FA85A, 0xFF4C7A3C},
                                 {{-8.6F, 2.0F, 17.5F}, {1.2F, 2.0F, 1.2F}, 0xFFE8E0D0, 0xFF9A8C78},
                                 {{-8.6F, 4.4F, 17.5F}, {1.5F, 0.4F, 1.5F}, 0xFFB04A3C, 0xFF7A3028},
                                 {{-1.5F, 0.4F, 21.0F}, {2.5F, 0.4F, 1.0F}, 0xFF9A9A90, 0xFF6A6A62}};
    const D3DXVECTOR3 trees[] = {{1.5F, 0.0F, 26.0F}, {3.5F, 0.0F, 31.0F}, {-13.0F, 0.0F, 24.0F},
                                 {6.0F, 0.0F, 22.0F},  {-6.0F, 0.0F, 35.0F}, {2.0F, 0.0F, 14.0F}};
    for (const D3DXVECTOR3& t : trees) {
        blocks.push_back({t + D3DXVECTOR3(0.0F, 0.6F, 0.0F), {0.2F, 0.6F, 0.2F}, 0xFF8A6440, 0xFF5A4028});
        blocks.push_back({t + D3DXVECTOR3(0.0F, 1.8F, 0.0F), {0.9F, 0.7F, 0.9F}, 0xFF58B050, 0xFF2E6A2C});
    }
    return Blocks("glide", blocks);
}

// The room both stages stand in: a floor, two walls and a table.
MeshFile Room()
{
    return Blocks("room", {{{0.0F, -0.05F, 0.0F}, {4.0F, 0.05F, 4.0F}, 0xFFB08A60, 0xFF7A5C3C},
                           {{0.0F, 1.5F, -4.0F}, {4.0F, 1.5F, 0.1F}, 0xFFE0D8C8, 0xFF8A8070},
                           {{4.0F, 1.5F, 0.0F}, {0.1F, 1.5F, 4.0F}, 0xFFD8D0C0, 0xFF807868},
                           {{1.5F, 0.4F, -2.6F}, {0.6F, 0.4F, 0.4F}, 0xFF8A5A34, 0xFF5A3A20}});
}

// A face object: head and shoulders; key frame 1 stretches the head (speaking), 2 squashes it
// (smiling). Each morph runs between the rest pose and one of them in four quarter steps and back.
MeshFile Face(const std::string& name, std::uint32_t colour)
{
    constexpr float kHead = 1.3F;
    MeshFile rest = Blocks(name,
                           {{{0.0F, 0.95F, 0.0F}, {0.22F, 0.18F, 0.14F}, colour, colour},
                            {{0.0F, kHead, 0.0F}, {0.12F, 0.14F, 0.12F}, colour, colour}},
                           colour);
    MeshFile f = rest;
    f.animated = true;
    for (float scale : {1.2F, 0.8F}) {
        std::vector<MeshVertex> frame = rest.keyFrames[0];
        for (std::size_t i = 8; i < frame.size(); ++i) {
            frame[i].y = kHead + (frame[i].y - kHead) * scale;
        }
        f.keyFrames.push_back(frame);
    }
    for (std::uint32_t m = 0; m < kEventFaceMorphs; ++m) {
        f.morphs.push_back({"face" + std::to_string(m), {0, 1 + m % 2, 0}, {0.25F, 0.25F, 0.25F}});
    }
    return f;
}

// A standing figure with morphs: key frame 1 raises its arms, 2 bows its head. Each morph runs
// between the rest pose and one of them like a face's. The head's texture coordinates lie in the
// see-through region, so a reordered figure draws its head last.
MeshFile FigureObject(const std::string& name, const D3DXVECTOR3& at, std::uint32_t colour, std::uint32_t morphs,
                      float height = 1.0F)
{
    const std::uint32_t head = 0xFFF0D0B0;
    MeshFile rest = Blocks(name,
                           {{at + D3DXVECTOR3(0.0F, 1.3F, 0.0F) * height, D3DXVECTOR3(0.14F, 0.16F, 0.14F), head, head},
                            {at + D3DXVECTOR3(0.0F, 0.55F, 0.0F) * height, {0.2F, 0.55F * height, 0.14F}, colour, colour},
                            {at + D3DXVECTOR3(0.0F, 0.85F, 0.0F) * height, {0.42F, 0.06F, 0.06F}, colour, colour}},
                           colour);
    for (std::size_t i = 0; i < 8; ++i) {
        rest.keyFrames[0][i].u = 0.28F;
        rest.keyFrames[0][i].v = 0.8F;
    }
    MeshFile f = rest;
    f.animated = true;
    std::vector<MeshVertex> arms = rest.keyFrames[0];
    for (std::size_t i = 16; i < 24; ++i) {
        arms[i].y += 0.35F;
    }
    std::vector<MeshVertex> bow = rest.keyFrames[0];
    for (std::size_t i = 0; i < 8; ++i) {
        bow[i].y -= 0.08F;
        bow[i].z -= 0.1F;
    }
    f.keyFrames.push_back(arms);
    f.keyFrames.push_back(bow);
    for (std::uint32_t m = 0; m < morphs; ++m) {
        f.morphs.push_back({"act" + std::to_string(m), {0, 1 + m % 2, 0}, {0.25F, 0.25F, 0.25F}});
    }
    return f;
}

// The shrine's floor where the four figures meet, centred where its frame's move brings it to the
// origin: a floor, two rows of pillars and an altar behind.
MeshFile ShrineFloor()
{
    const D3DXVECTOR3 c(34.0F, 0.0F, 108.0F);
    std::vector<Block> blocks = {{c + D3DXVECTOR3(0.0F, -0.05F, 0.0F), {8.0F, 0.05F, 8.0F}, 0xFF8C8C9A, 0xFF5A5A66},
                                 {c + D3DXVECTOR3(0.0F, 0.5F, 3.0F), {1.2F, 0.5F, 0.6F}, 0xFFD8C8A0, 0xFF8A7A58},
                                 {c + D3DXVECTOR3(0.0F, 2.0F, 7.0F), {8.0F, 2.0F, 0.2F}, 0xFF6A6480, 0xFF3A3648}};
    for (float z : {-6.0F, -3.0F, 0.0F, 3.0F}) {
        for (float x : {-3.5F, 3.5F}) {
            blocks.push_back({c + D3DXVECTOR3(x, 1.5F, z), {0.3F, 1.5F, 0.3F}, 0xFFE0DCD0, 0xFF908C80});
        }
    }
    return Blocks("shrine", blocks);
}

// The last flight's land: a wide plain running out into the fog, with hills, woods and a river
// lying across it, and a tall rock the flight rises past.
MeshFile FlightLand()
{
    std::vector<Block> blocks = {{{0.0F, -0.1F, 10.0F}, {70.0F, 0.1F, 70.0F}, 0xFF7AB060, 0xFF50803C},
                                 {{0.0F, 0.01F, 14.0F}, {70.0F, 0.02F, 1.6F}, 0xFF70A8E0, 0xFF4070B0},
                                 {{-7.0F, 4.0F, 8.0F}, {1.5F, 4.0F, 1.5F}, 0xFFB8A890, 0xFF6A5C48}};
    for (int row = 0; row < 6; ++row) {
        for (int col = -4; col <= 4; ++col) {
            const float x = static_cast<float>(col) * 6.5F + static_cast<float>(row % 2) * 3.0F;
            const float z = -20.0F + static_cast<float>(row) * 9.0F;
            if (std::abs(x) < 3.0F && z > -12.0F && z < 4.0F) {
                continue;  // the flight's path stays clear
            }
            const float h = 0.6F + static_cast<float>((row * 7 + col * 3 + 20) % 5) * 0.5F;
            const bool wood = ((row + col) & 1) != 0;
            blocks.push_back({{x, h * 0.5F, z},
                              {wood ? 1.0F : 2.2F, h * 0.5F, wood ? 1.0F : 1.8F},
                              wood ? 0xFF3E8A3A : 0xFF9AB070,
                              wood ? 0xFF2A5A28 : 0xFF5A7040});
        }
    }
    return Blocks("land", blocks);
}

void Save(const fs::path& path, const std::vector<std::uint8_t>& bytes)
{
    fs::create_directories(path.parent_path());
    SaveBytes(path.string(), bytes);
}

}  // namespace

std::vector<std::uint32_t> EventSoundIds()
{
    return {110, 500, 504};
}

std::vector<std::uint32_t> EventMusicIds()
{
    return {51, 52, 53, 54, 55, 56, 57, 11};
}

std::vector<std::pair<std::string, MeshFile>> EventMeshes()
{
    // Side by side as the first stage's camera sees them.
    const D3DXVECTOR3 hero(-1.85F, 0.0F, 1.3F);
    const D3DXVECTOR3 heroine(-1.15F, 0.0F, 2.1F);
    return {
        {"event04/t04_00forEvent2.msh", GlideScenery()},
        {"event04/r02_07_b2.msh", Room()},
        {"event04/event01_hero.msh", Figure("hero", hero, 0xFF3050A0)},
        {"event04/event01_heroine.msh", Figure("heroine", heroine, 0xFFB03060)},
        {"event04/event01_wep.msh",
         Blocks("wep", {{{-1.5F, 0.04F, 1.7F}, {0.5F, 0.04F, 0.05F}, 0xFFD0D8E0, 0xFFD0D8E0}}, 0xFFD0D8E0)},
        {"event04/event02_hero.tob", Face("Grin", 0xFF3050A0)},
        {"event04/event02_heroine.tob", Face("Parp", 0xFFB03060)},
        {"event04/event07_hero.tob", FigureObject("Grin", {-0.5F, 0.0F, 0.2F}, 0xFF3050A0, kEvent06Morphs)},
        {"event04/event07_heroine.tob", FigureObject("Parp", {0.4F, 0.0F, 0.3F}, 0xFFB03060, kEvent06Morphs)},
        {"event04/event07_red.tob", FigureObject("Red", {-0.3F, 0.0F, -2.6F}, 0xFFC03020, kEvent06Morphs, 0.8F)},
        {"event04/event07_silver.tob", FigureObject("Silver", {0.1F, 0.0F, 1.4F}, 0xFFB8C0C8, kEvent06Morphs, 1.2F)},
        {"event04/d05_00forEvent.msh", ShrineFloor()},
        {"map04/t05_00.msh", FlightLand()},
    };
}

void WriteEventMeshes(const std::string& root)
{
    for (const auto& [name, mesh] : EventMeshes()) {
        Save(fs::path(root) / "data/msh04" / name, mesh.Bytes());
    }
}

void WriteEventFolder(const std::string& root)
{
    const fs::path tables = fs::path(root) / "data/tbl04";
    WriteEventMeshes(root);
    WriteEndingPictures(root);
    Save(tables / "subset/event_se.tbl", BuildSoundList(EventSoundIds()));
    Save(tables / "subset/event_bgm.tbl", BuildSoundList(EventMusicIds()));
    std::vector<std::pair<std::uint32_t, std::string>> music = FieldMusicTable();
    for (std::uint32_t id : EventMusicIds()) {
        if (id >= 50) {
            music.emplace_back(id, "event" + std::to_string(id) + ".ogg");
            fs::create_directories(fs::path(root) / "data/bgm04");
            WriteOggTone((fs::path(root) / "data/bgm04" / music.back().second).string(), {{22050, 0.2}}, 2, 22050);
        }
    }
    Save(tables / "bgm.tbl", BuildSoundTable(music));
}

}  // namespace qmtest
