#include "formats/event_assets.h"

#include <cmath>
#include <algorithm>
#include <filesystem>

#include "formats/byte_writer.h"
#include "formats/ending_assets.h"
#include "formats/field_writer.h"
#include "formats/ground_writer.h"
#include "formats/ogg_writer.h"
#include "formats/script_assembler.h"
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

// A morph object of key frame 0 and the frames scaled from it: key frame k stretches the head by
// scales[k - 1]. Morph m runs from the rest pose to key frame 1 + m % (frames) in four quarter
// steps and back, so each plays out on its ninth step.
MeshFile Animated(MeshFile rest, std::size_t headFrom, float headY, const std::vector<float>& scales,
                  std::uint32_t morphs)
{
    MeshFile f = rest;
    f.animated = true;
    for (float scale : scales) {
        std::vector<MeshVertex> frame = rest.keyFrames[0];
        for (std::size_t i = headFrom; i < headFrom + 8; ++i) {
            frame[i].y = headY + (frame[i].y - headY) * scale;
        }
        f.keyFrames.push_back(frame);
    }
    const auto n = static_cast<std::uint32_t>(scales.size());
    for (std::uint32_t m = 0; m < morphs; ++m) {
        f.morphs.push_back({"face" + std::to_string(m), {0, 1 + m % n, 0}, {0.25F, 0.25F, 0.25F}});
    }
    return f;
}

// A face object: head and shoulders; key frame 1 stretches the head (speaking), 2 squashes it
// (smiling).
MeshFile Face(const std::string& name, std::uint32_t colour, std::uint32_t morphs = kEventFaceMorphs)
{
    constexpr float kHead = 1.3F;
    MeshFile rest = Blocks(name,
                           {{{0.0F, 0.95F, 0.0F}, {0.22F, 0.18F, 0.14F}, colour, colour},
                            {{0.0F, kHead, 0.0F}, {0.12F, 0.14F, 0.12F}, colour, colour}},
                           colour);
    return Animated(rest, 8, kHead, {1.2F, 0.8F}, morphs);
}

// A standing figure whose head comes first in the file, its corners in the texture's face region
// (u 0.28, v 0.8), so that a figure made ready as a character's body draws its head last.
MeshFile Actor(const std::string& name, const D3DXVECTOR3& at, std::uint32_t colour, std::uint32_t morphs)
{
    const float head = at.y + 1.3F;
    MeshFile rest = Blocks(name,
                           {{{at.x, head, at.z}, {0.14F, 0.16F, 0.14F}, colour, colour},
                            {at + D3DXVECTOR3(0.0F, 0.55F, 0.0F), {0.2F, 0.55F, 0.14F}, colour, colour},
                            {at + D3DXVECTOR3(0.0F, 0.85F, 0.0F), {0.42F, 0.06F, 0.06F}, colour, colour}},
                           colour);
    for (std::size_t i = 0; i < 8; ++i) {
        rest.keyFrames[0][i].u = 0.28F;
        rest.keyFrames[0][i].v = 0.8F;
    }
    return Animated(rest, 0, head, {1.25F, 0.75F}, morphs);
}

// A ghost knight: a pale figure with a tall helm whose one morph sways it for ever, eight steps a
// round (key frames 0, 1, 0, 2 at half steps).
MeshFile Knight()
{
    const std::uint32_t pale = 0xC0C8D0E8;
    MeshFile rest = Blocks("ghost",
                           {{{0.0F, 1.45F, 0.0F}, {0.15F, 0.22F, 0.15F}, pale, pale},
                            {{0.0F, 0.6F, 0.0F}, {0.26F, 0.6F, 0.18F}, pale, 0x40C8D0E8},
                            {{0.3F, 0.9F, 0.0F}, {0.05F, 0.7F, 0.05F}, 0xFFB0B8C8, 0xFFB0B8C8}},
                           pale);
    MeshFile f = Animated(rest, 0, 1.45F, {1.3F, 0.7F}, 0);
    f.morphs.push_back({"sway", {0, 1, 0, 2, 0}, {0.5F, 0.5F, 0.5F, 0.5F, 0.5F}});
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

// Scenery of the field place an event stands for, around the point at (the event's stage origin
// there): a floor and standing stones in the given colours.
MeshFile Place(const std::string& name, const D3DXVECTOR3& at, std::uint32_t floor, std::uint32_t stone,
               float land = 0.0F)
{
    constexpr float kHalf = kPlaceHalf;
    std::vector<Block> blocks = {{at + D3DXVECTOR3(0.0F, -0.1F, 0.0F), {kHalf, 0.1F, kHalf}, floor, floor}};
    if (land > 0.0F) {
        blocks.push_back({at + D3DXVECTOR3(0.0F, -0.3F, 0.0F), {land, 0.1F, land}, stone, stone});
        // The rim, just outside the floor's edge, where its collision ends: low enough for the
        // camera to see over it.
        constexpr float r = kPlaceRimHalf;
        constexpr float h = 0.25F;
        constexpr float c = kHalf + kPlaceRimGap + r;
        for (float side : {-1.0F, 1.0F}) {
            blocks.push_back({at + D3DXVECTOR3(side * c, h, 0.0F), {r, h, c + r}, stone, floor});
            blocks.push_back({at + D3DXVECTOR3(0.0F, h, side * c), {c + r, h, r}, stone, floor});
        }
    }
    for (const D3DXVECTOR3& p : PlaceStones()) {
        blocks.push_back({at + p + D3DXVECTOR3(0.0F, 1.2F, 0.0F), {0.5F, 1.2F, 0.5F}, stone, floor});
    }
    return Blocks(name, blocks);
}

// The floor of a place's scenery (its top at the point's height), laid in cell-sized pieces so
// that each lies in the cells of its own corners.
MeshFile PlaceGround(const std::string& name, const D3DXVECTOR3& at)
{
    constexpr float kHalf = kPlaceHalf;
    constexpr float kPiece = FieldLayout::kCellSize;
    GroundMesh ground;
    for (float x0 = at.x - kHalf; x0 < at.x + kHalf; x0 += kPiece) {
        for (float z0 = at.z - kHalf; z0 < at.z + kHalf; z0 += kPiece) {
            ground.Floor(x0, z0, std::min(x0 + kPiece, at.x + kHalf), std::min(z0 + kPiece, at.z + kHalf), at.y);
        }
    }
    return ground.File("_" + name);
}

// The ground a story field stands on: the mist's or the cave's.
bool InMist(const StoryField& field)
{
    return field.entry.rfind("m07", 0) == 0;
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
        // The mist and the cave, each about the point its event's stage is moved to.
        {"event04/m07_00forEvent.msh", Place("mist", kMistPlace, 0xFFB8B0A8, 0xFF8A8490)},
        {"event04/d05_00forEvent.msh", Place("cave", kCavePlace, 0xFF6A5A4A, 0xFF9A7A5A)},
        {"event04/ghost04.tob", Knight()},
        {"event04/event03_hero.tob", Actor("Hero", {-0.4F, 0.0F, 0.6F}, 0xFF3050A0, kEventShortMorphs)},
        {"event04/event03_heroine.tob", Actor("Heroine", {0.45F, 0.0F, 0.4F}, 0xFFB03060, kEventShortMorphs)},
        {"event04/event04_hero.tob", Actor("Hero", {-0.5F, 0.0F, 0.8F}, 0xFF3050A0, kEventShortMorphs)},
        {"event04/event04_heroine.tob", Actor("Heroine", {0.6F, 0.0F, 1.2F}, 0xFFB03060, kEventShortMorphs)},
        {"event04/event05_hero.tob", Actor("Grin", {-0.6F, 0.0F, 0.2F}, 0xFF3050A0, 16)},
        {"event04/event05_heroine.tob", Actor("Parp", {0.6F, 0.0F, 0.2F}, 0xFFB03060, 16)},
        {"event04/event05_black00.tob", Actor("Black", {0.0F, 0.0F, 0.5F}, 0xFF303030, 16)},
        // Clear of the line from the camera to the explosion.
        {"event04/event06_hero.tob", Actor("Grin", {-1.2F, 0.0F, 0.9F}, 0xFF3050A0, 24)},
        {"event04/event06_heroine.tob", Actor("Parp", {0.3F, 0.0F, -0.6F}, 0xFFB03060, 24)},
        {"event04/event06_black00.tob", Actor("Black", {1.7F, 0.0F, 1.4F}, 0xFF303030, 24)},
        {"event04/event06_red.tob", Actor("Red", {-0.6F, 0.0F, 2.8F}, 0xFFC03020, 24)},
        {"event04/event07_hero.tob", FigureObject("Grin", {-0.5F, 0.0F, 0.2F}, 0xFF3050A0, kEvent06Morphs)},
        {"event04/event07_heroine.tob", FigureObject("Parp", {0.4F, 0.0F, 0.3F}, 0xFFB03060, kEvent06Morphs)},
        {"event04/event07_red.tob", FigureObject("Red", {-0.3F, 0.0F, -2.6F}, 0xFFC03020, kEvent06Morphs, 0.8F)},
        {"event04/event07_silver.tob", FigureObject("Silver", {0.1F, 0.0F, 1.4F}, 0xFFB8C0C8, kEvent06Morphs, 1.2F)},
        {"map04/t05_00.msh", FlightLand()},
    };
}

std::vector<D3DXVECTOR3> PlaceStones()
{
    return {{-4.0F, 0.0F, 6.0F}, {3.5F, 0.0F, 7.5F}, {-6.5F, 0.0F, 1.0F}, {5.5F, 0.0F, 2.0F}, {0.5F, 0.0F, 10.0F}};
}

std::vector<StoryField> StoryFields()
{
    const D3DXVECTOR3 mist(-9.0F, 2.5F, 182.0F);
    const D3DXVECTOR3 cave(34.0F, 0.0F, 108.0F);
    return {{"m07_00boss", mist, 303}, {"m07_00", mist, 304}, {"d05_00boss1", cave, 305}, {"d05_00boss2", cave, 306}};
}

FieldScriptBox StoryBox(const D3DXVECTOR3& start, std::uint32_t event)
{
    return {start + D3DXVECTOR3(-2.0F, -2.0F, -8.0F), start + D3DXVECTOR3(2.0F, 4.0F, -5.0F),
            std::string(kStoryBoxScripts) + "/ToEvent" + std::to_string(event)};
}

FieldScriptBox TownStoryBox()
{
    return {{-14.0F, -2.0F, 14.0F}, {-11.0F, 4.0F, 20.0F}, std::string(kStoryBoxScripts) + "/ToEvent302"};
}

std::vector<MapEntry> StoryFieldEntries(bool dressed)
{
    std::vector<MapEntry> entries;
    const float cell = FieldLayout::kCellSize;
    const float meshCell = dressed ? 200.0F : cell;
    for (const StoryField& field : StoryFields()) {
        MapStream s;
        s.Area(0, InMist(field) ? "m07_00.msh" : "d05_00.msh", InMist(field) ? "霧の城跡" : "地下洞", "other.ogg",
               cell, cell, meshCell, meshCell)
            .Projection(0.5F, 120.0F, 60.0F);
        if (dressed) {
            if (InMist(field)) {
                s.Fog(4.0F, 36.0F, 0xFFA8A8B4);
            } else {
                s.Fog(2.0F, 24.0F, 0xFF0C0A10);
            }
            s.MinimapName(InMist(field) ? kMistMinimap : kCaveMinimap);
        }
        s.EntryPoint(field.start, {0.0F, 0.0F, -1.0F}, field.start + D3DXVECTOR3(0.0F, 3.0F, 6.0F));
        if (dressed && !InMist(field)) {
            // The dressed cave is watched from fixed places: behind the arrival, then from the side
            // as the walk nears the way on. The older mode records before them give way to the last.
            const D3DXVECTOR3 way = field.start + D3DXVECTOR3(0.0F, 0.0F, -7.0F);
            s.CameraMode1().CameraMode2().CameraMode4().CameraMode8().KeyCamera();
            s.CameraKey(field.start, 0.0F, 1.0F, FieldLayout::kFollowDistance, FieldLayout::kFollowHeight, 0);
            s.CameraKeyAt(way, way + D3DXVECTOR3(5.0F, 3.0F, 2.0F), 0);
        } else {
            s.FollowCamera(FieldLayout::kFollowDistance, FieldLayout::kFollowHeight, 0);
        }
        if (field.nextEvent != 0) {
            const FieldScriptBox box = StoryBox(field.start, field.nextEvent);
            s.TwoVectorObject(box.minimum, box.maximum, box.scriptKey);
        }
        s.End();
        entries.push_back({field.entry, s.Data()});
    }
    return entries;
}

void WriteStoryFields(const std::string& root, bool dressed)
{
    const fs::path maps = fs::path(root) / "data/msh04/map04";
    const float land = dressed ? 60.0F : 0.0F;
    Save(maps / "m07_00.msh", Place("m07_00", kMistPlace, 0xFFB8B0A8, 0xFF8A8490, land).Bytes());
    Save(maps / "_m07_00.msh", PlaceGround("m07_00", kMistPlace).Bytes());
    Save(maps / "d05_00.msh", Place("d05_00", kCavePlace, 0xFF6A5A4A, 0xFF9A7A5A, land).Bytes());
    Save(maps / "_d05_00.msh", PlaceGround("d05_00", kCavePlace).Bytes());
    ScriptFileWriter scripts;
    for (std::uint32_t event = 302; event <= 306; ++event) {
        scripts.Script("ToEvent" + std::to_string(event),
                       {"CALL @@SendMsg \"MapEvent\" 2 " + std::to_string(event) + " 0"});
    }
    scripts.Save((fs::path(root) / "data/scr04" / kStoryBoxScripts).string());
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
