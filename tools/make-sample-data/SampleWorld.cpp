// The sample's town, battle map, arena and hollow as a player sees them: ground out past the fog,
// fences and walls round what can be walked, a gate of posts and an arch in the north wall where it
// leads on and red posts by a corner that leads on, paths from the start to the villagers, the save
// point and the gate, and the minimap pictures of each.
#include <algorithm>
#include <cmath>

#include "SampleParts.h"
#include "SampleScripts.h"
#include "SampleSteal.h"
#include "formats/byte_writer.h"
#include "formats/event_assets.h"
#include "formats/ground_writer.h"
#include "formats/script_assembler.h"

namespace sample {

namespace {

namespace fs = std::filesystem;
using qmtest::MeshVertex;

struct Rect {
    float x0, z0, x1, z1;
    bool Holds(float x, float z) const { return x >= x0 && x < x1 && z >= z0 && z < z1; }
};

Rect Between(const D3DXVECTOR3& minimum, const D3DXVECTOR3& maximum)
{
    return {minimum.x, minimum.z, maximum.x, maximum.z};
}

// A ground patch of its own colour (a path, the way on, a lair).
struct Patch {
    Rect area;
    std::uint32_t colour;
};

// A box standing on the ground (a sign's post and board, a well's stones), and whether the minimap
// marks it.
struct Prop {
    float x0, y0, z0, x1, y1, z1;
    std::uint32_t colour;
    bool marked;
};

// Where a field can be walked, and how it looks round that.
struct Field {
    std::string mesh;  // inside the mesh folder's "map04/"
    Rect walk;
    float outerMargin;     // the ground beyond the fence, out past the fog's end
    Rect gate;             // the opening in the north wall (its z range: the gate's box)
    bool northGate;        // false: the north wall runs whole, gate unused
    std::uint32_t grass[2];
    std::uint32_t outer;
    std::uint32_t fence;
    float fenceHeight;
    std::uint32_t wall;
    std::vector<Patch> patches;
    std::vector<D3DXVECTOR3> marks;  // save points
    std::vector<Rect> doors;         // z ranges of doors in the east fence (their x unused)
    std::vector<Prop> props;         // things standing on the ground, walked through
    std::vector<Rect> cornerGates;   // boxes of gates in a south corner
};

constexpr float kTile = 2.0F;
constexpr float kOuterTile = 8.0F;
constexpr float kWallHeight = 4.0F;
constexpr float kArchTop = 5.5F;
constexpr float kCornerPostTop = 3.0F;
constexpr std::uint32_t kDoorway = 0xFF2A1C14;
constexpr std::uint32_t kPost = 0xFFB04030;
constexpr std::uint32_t kArch = 0xFFD8A040;
constexpr std::uint32_t kSand = 0xFFD8C898;
constexpr std::uint32_t kWayOn = 0xFF8890B0;
constexpr std::uint32_t kLair = 0xFF6A3A30;
constexpr std::uint32_t kDoor = 0xFFF0F0E8;
constexpr std::uint32_t kMirror = 0xFFB8A8E0;
constexpr std::uint32_t kStone = 0xFF9A9AA0;
constexpr std::uint32_t kWood = 0xFFC89860;

// The colour of the walkable ground at a tile's centre.
std::uint32_t GroundColour(const Field& f, float x, float z, int parity)
{
    std::uint32_t c = f.grass[parity];
    for (const Patch& p : f.patches) {
        if (p.area.Holds(x, z)) {
            c = parity == 0 ? p.colour : Shade(p.colour, 0.92F);
        }
    }
    return c;
}

}  // namespace

void CornerGatePosts(GroundLook& look, const D3DXVECTOR3& boxMinimum, const D3DXVECTOR3& boxMaximum)
{
    // A tall post in the south fence and one in the side fence, either side of the box.
    const float t = 0.5F;
    const bool west = boxMinimum.x <= 0.0F;
    const float x = west ? boxMaximum.x : boxMinimum.x;
    const float side = west ? -t : qmtest::FieldLayout::kSize;
    look.Box(x - 0.3F, 0.0F, -t - 0.05F, x + 0.3F, kCornerPostTop, 0.05F, kPost);
    look.Box(side - 0.05F, 0.0F, boxMaximum.z - 0.3F, side + t + 0.05F, kCornerPostTop, boxMaximum.z + 0.3F, kPost);
}

namespace {

qmtest::MeshFile VisualGround(const Field& f)
{
    GroundLook b(f.mesh.substr(0, f.mesh.rfind('.')));
    const Rect& w = f.walk;
    // The walkable ground in small tiles, paths and patches in their colours.
    for (float z = w.z0; z < w.z1 + 10.0F; z += kTile) {
        for (float x = w.x0; x < w.x1; x += kTile) {
            const int parity = (static_cast<int>(std::floor(x / kTile)) + static_cast<int>(std::floor(z / kTile))) & 1;
            b.Floor(x, z, x + kTile, z + kTile, 0.0F, GroundColour(f, x + kTile / 2, z + kTile / 2, parity));
        }
    }
    // The land round it in large tiles, out past the fog's end.
    const float m = f.outerMargin;
    for (float z = w.z0 - m; z < w.z1 + m; z += kOuterTile) {
        for (float x = w.x0 - m; x < w.x1 + m; x += kOuterTile) {
            const Rect tile{x, z, x + kOuterTile, z + kOuterTile};
            if (tile.x0 >= w.x0 && tile.x1 <= w.x1 && tile.z0 >= w.z0 && tile.z1 <= w.z1 + 10.0F) {
                continue;
            }
            const int parity = (static_cast<int>(std::floor(x / kOuterTile)) + static_cast<int>(std::floor(z / kOuterTile))) & 1;
            b.Floor(tile.x0, tile.z0, tile.x1, tile.z1, -0.02F, parity == 0 ? f.outer : Shade(f.outer, 0.9F));
        }
    }
    // Fences west, east and south; the north wall with the gate's doorway, posts and arch.
    const float t = 0.5F;
    const float h = f.fenceHeight;
    b.Box(w.x0 - t, 0.0F, w.z0 - t, w.x0, h, w.z1, f.fence);
    b.Box(w.x1, 0.0F, w.z0 - t, w.x1 + t, h, w.z1, f.fence);
    b.Box(w.x0 - t, 0.0F, w.z0 - t, w.x1 + t, h, w.z0, f.fence);
    for (const Prop& p : f.props) {
        b.Box(p.x0, p.y0, p.z0, p.x1, p.y1, p.z1, p.colour);
    }
    for (const Rect& d : f.doors) {
        b.Box(w.x1 - 0.05F, 0.0F, d.z0, w.x1 + t + 0.05F, h + 0.6F, d.z1, kDoor);
    }
    for (const Rect& c : f.cornerGates) {
        CornerGatePosts(b, {c.x0, 0.0F, c.z0}, {c.x1, 0.0F, c.z1});
    }
    if (!f.northGate) {
        b.Box(w.x0 - t, 0.0F, w.z1, w.x1 + t, kWallHeight, w.z1 + 1.0F, f.wall);
        return b.Done();
    }
    const Rect& g = f.gate;
    b.Box(w.x0 - t, 0.0F, w.z1, g.x0, kWallHeight, w.z1 + 1.0F, f.wall);
    b.Box(g.x1, 0.0F, w.z1, w.x1 + t, kWallHeight, w.z1 + 1.0F, f.wall);
    b.Box(g.x0, 0.0F, w.z1 + 0.05F, g.x1, kWallHeight, w.z1 + 1.0F, kDoorway);
    b.Box(g.x0 - 0.6F, 0.0F, w.z1 - 0.6F, g.x0, kArchTop, w.z1 + 0.4F, kPost);
    b.Box(g.x1, 0.0F, w.z1 - 0.6F, g.x1 + 0.6F, kArchTop, w.z1 + 0.4F, kPost);
    b.Box(g.x0 - 1.0F, kArchTop, w.z1 - 0.8F, g.x1 + 1.0F, kArchTop + 0.8F, w.z1 + 0.6F, kArch);
    return b.Done();
}

// The floor in collision-cell pieces and walls all round, up to the wall's height, so that the
// player stays on the ground that is drawn.
qmtest::MeshFile CollisionGround(const Field& f)
{
    qmtest::GroundMesh g;
    const Rect& w = f.walk;
    const float piece = qmtest::FieldLayout::kCellSize;
    const float y = kWallHeight;
    for (float x0 = w.x0; x0 < w.x1; x0 += piece) {
        const float x1 = std::min(x0 + piece, w.x1);
        for (float z0 = w.z0; z0 < w.z1; z0 += piece) {
            g.Floor(x0, z0, x1, std::min(z0 + piece, w.z1), 0.0F);
        }
        g.WallZ(w.z1, x0, x1, 0.0F, y);
        // The south fence faces north.
        g.Triangle({x0, 0.0F, w.z0}, {x1, 0.0F, w.z0}, {x0, y, w.z0});
        g.Triangle({x1, 0.0F, w.z0}, {x1, y, w.z0}, {x0, y, w.z0});
    }
    for (float z0 = w.z0; z0 < w.z1; z0 += piece) {
        const float z1 = std::min(z0 + piece, w.z1);
        g.WallX(w.x1, z0, z1, 0.0F, y);
        // The west fence faces east.
        g.Triangle({w.x0, 0.0F, z0}, {w.x0, y, z0}, {w.x0, 0.0F, z1});
        g.Triangle({w.x0, 0.0F, z1}, {w.x0, y, z0}, {w.x0, y, z1});
    }
    return g.File("_" + f.mesh.substr(0, f.mesh.rfind('.')));
}

std::vector<Patch> TownPaths()
{
    const D3DXVECTOR3 start = SampleLayout::TownStart();
    const Rect gate = Between(SampleLayout::GateMinimum(), SampleLayout::GateMaximum());
    const D3DXVECTOR3 mark = SampleLayout::TownSavePointMark();
    const float villagers = SampleLayout::kVillagersZ;
    const qmtest::FieldScriptBox wayOn = SampleLayout::TownWayOn();
    // North and south from the start, west to the villagers' row and to the save point and the
    // gate; the way on to the story where the start faces, drawn as far as its box reaches.
    return {{{start.x - 2.0F, villagers + 1.0F, start.x + 2.0F, mark.z + 2.0F}, kSand},
            {{SampleLayout::kTownWest + 2.0F, villagers + 1.0F, start.x + 2.0F, villagers + 4.0F}, kSand},
            {{gate.x0, mark.z - 2.0F, start.x + 2.0F, mark.z + 2.0F}, kSand},
            {{gate.x0, mark.z, gate.x1, gate.z1}, kSand},
            {{wayOn.minimum.x, wayOn.minimum.z, wayOn.maximum.x, wayOn.maximum.z}, kWayOn},
            {Between(SampleLayout::MirrorMinimum(), SampleLayout::MirrorMaximum()), kMirror}};
}

// The sign beside the path north (a board on a post, read from the path) and the old well by the
// north wall (a ring of stones round dark water, a beam on two posts over it).
std::vector<Prop> TownProps()
{
    const D3DXVECTOR3 sign = SampleLayout::TownSign();
    const D3DXVECTOR3 well = WellLayout::Well();
    const float r = 0.6F;
    const float t = 0.18F;
    const std::uint32_t post = 0xFF6A4A30;
    return {{sign.x - 0.06F, 0.0F, sign.z - 0.06F, sign.x + 0.06F, 1.3F, sign.z + 0.06F, post, false},
            {sign.x - 0.05F, 0.8F, sign.z - 0.5F, sign.x + 0.05F, 1.4F, sign.z + 0.5F, kWood, true},
            {well.x - r, 0.0F, well.z - r, well.x + r, 0.7F, well.z - r + t, kStone, true},
            {well.x - r, 0.0F, well.z + r - t, well.x + r, 0.7F, well.z + r, kStone, true},
            {well.x - r, 0.0F, well.z - r, well.x - r + t, 0.7F, well.z + r, kStone, true},
            {well.x + r - t, 0.0F, well.z - r, well.x + r, 0.7F, well.z + r, kStone, true},
            {well.x - r + t, 0.0F, well.z - r + t, well.x + r - t, 0.45F, well.z + r - t, 0xFF203048, false},
            {well.x - r, 0.7F, well.z - 0.06F, well.x - r + 0.12F, 1.7F, well.z + 0.06F, post, false},
            {well.x + r - 0.12F, 0.7F, well.z - 0.06F, well.x + r, 1.7F, well.z + 0.06F, post, false},
            {well.x - r - 0.1F, 1.7F, well.z - 0.1F, well.x + r + 0.1F, 1.85F, well.z + 0.1F, post, false}};
}

Rect EastDoor()
{
    const float z = SampleLayout::EastGap().z;
    const float half = SampleLayout::kEastDoorHalfWidth;
    return {0.0F, z - half, 0.0F, z + half};
}

Field Town()
{
    return {"t04_00.msh",
            {SampleLayout::kTownWest, 0.0F, qmtest::FieldLayout::kSize, qmtest::FieldLayout::kWallZ},
            100.0F,
            Between(SampleLayout::GateMinimum(), SampleLayout::GateMaximum()),
            true,
            {0xFF6AA858, 0xFF72B060},
            0xFF5A9048,
            0xFF2E5A2A,
            1.5F,
            0xFF8A6A50,
            TownPaths(),
            {SampleLayout::TownSavePointMark()},
            {EastDoor()},
            TownProps(),
            {}};
}

Field Battle()
{
    const D3DXVECTOR3 lair = SampleLayout::StrongEnemy();
    return {"field00.msh",
            {0.0F, 0.0F, qmtest::FieldLayout::kSize, qmtest::FieldLayout::kWallZ},
            140.0F,
            Between(SampleLayout::BattleGateMinimum(), SampleLayout::BattleGateMaximum()),
            true,
            {0xFF6AA858, 0xFF72B060},
            0xFF5E8A48,
            0xFF7A7068,
            2.0F,
            0xFF7A7068,
            {{{lair.x - 3.0F, lair.z - 3.0F, lair.x + 3.0F, lair.z + 3.0F}, kLair}},
            {},
            {},
            {},
            {Between(Reactions::GateMinimum(), Reactions::GateMaximum())}};
}

// The arena: a sand floor inside a high wooden barrier, a whole stone wall across the north, and
// red posts by its two corners that lead on (the south-east one back to the battle map, the
// south-west one to the meadow).
Field Arena()
{
    return {Reactions::kArenaMesh,
            {0.0F, 0.0F, qmtest::FieldLayout::kSize, qmtest::FieldLayout::kWallZ},
            140.0F,
            {},
            false,
            {0xFFD8C090, 0xFFCCB080},
            0xFF9A8A60,
            0xFF8A5430,
            2.0F,
            0xFF8A8078,
            {},
            {},
            {},
            {},
            {Between(Reactions::GateMinimum(), Reactions::GateMaximum()),
             Between(LeftoverLayout::ArenaGateMinimum(), LeftoverLayout::ArenaGateMaximum())}};
}

// The hollow: dark, mossy ground inside a low rim of rock, a rock face across the north, and red
// posts by the south-east corner, the way back to the meadow.
Field Hollow()
{
    return {StealLayout::kGroundMesh,
            {0.0F, 0.0F, qmtest::FieldLayout::kSize, qmtest::FieldLayout::kWallZ},
            140.0F,
            {},
            false,
            {0xFF4E8040, 0xFF56883F},
            0xFF4A6438,
            0xFF6A6058,
            1.5F,
            0xFF5A5048,
            {},
            {},
            {},
            {},
            {Between(StealLayout::HollowGateMinimum(), StealLayout::HollowGateMaximum())}};
}

// The elder's set-up script of the field folder, moved to the town's villager row.
void WriteElder(const fs::path& root)
{
    const D3DXVECTOR3 old = qmtest::FieldLayout::Elder();
    const D3DXVECTOR3 now = SampleLayout::Elder();
    const auto at = [](const D3DXVECTOR3& p, const char* facing) {
        return "\"" + std::to_string(p.x) + "\" \"" + std::to_string(p.y) + "\" \"" + std::to_string(p.z) + "\" " + facing;
    };
    for (const qmtest::FieldScriptFile& file : qmtest::FieldScripts(kElderModel)) {
        qmtest::ScriptFileWriter writer;
        for (auto script : file.scripts) {
            for (std::string& statement : script.second) {
                const std::size_t p = statement.find(at(old, "0 0 -1"));
                if (p != std::string::npos) {
                    statement.replace(p, std::string::npos, at(now, SampleLayout::kVillagerFacing));
                }
            }
            writer.Script(script.first, script.second);
        }
        writer.Save((root / "data/scr04" / file.file).string());
    }
}

}  // namespace

void WriteWorld(const fs::path& root)
{
    const fs::path maps = root / kMeshFolder / "map04";
    for (const Field& f : {Town(), Battle(), Arena(), Hollow()}) {
        qmtest::SaveBytes((maps / f.mesh).string(), VisualGround(f).Bytes());
        qmtest::SaveBytes((maps / ("_" + f.mesh)).string(), CollisionGround(f).Bytes());
    }
    WriteElder(root);
}

namespace {

// A coloured rectangle of a minimap picture; later ones lie over earlier ones.
struct Layer {
    Rect area;
    std::uint32_t colour;
};

// The picture is added onto the window's dark inside, so black leaves the window as it is. Fences
// and walls are light lines round the ground, whatever their colour in the field.
constexpr std::uint32_t kMinimapLand = 0xFF142418;
constexpr std::uint32_t kMinimapFence = 0xFFC8C0A8;

// Lines round a rectangle, width thick, outside it.
void Rim(std::vector<Layer>& layers, const Rect& r, float width, std::uint32_t colour)
{
    layers.push_back({{r.x0 - width, r.z0 - width, r.x1 + width, r.z0}, colour});
    layers.push_back({{r.x0 - width, r.z1, r.x1 + width, r.z1 + width}, colour});
    layers.push_back({{r.x0 - width, r.z0, r.x0, r.z1}, colour});
    layers.push_back({{r.x1, r.z0, r.x1 + width, r.z1}, colour});
}

// A corner gate on a minimap: posts on either side of its box.
void CornerGate(std::vector<Layer>& layers, const D3DXVECTOR3& minimum, const D3DXVECTOR3& maximum)
{
    layers.push_back({{minimum.x - 1.0F, minimum.z - 1.0F, minimum.x, maximum.z + 1.0F}, kPost});
    layers.push_back({{maximum.x, minimum.z - 1.0F, maximum.x + 1.0F, maximum.z + 1.0F}, kPost});
}

std::vector<Layer> FieldLayers(const Field& f)
{
    const Rect& w = f.walk;
    const Rect& g = f.gate;
    const float m = f.outerMargin;
    std::vector<Layer> layers = {{{w.x0 - m, w.z0 - m, w.x1 + m, w.z1 + m}, kMinimapLand},
                                 {w, Shade(f.grass[0], 0.8F)}};
    for (const Patch& p : f.patches) {
        layers.push_back({p.area, p.colour});
    }
    Rim(layers, w, 1.0F, kMinimapFence);
    // The north wall thicker, the gate's posts and arch over it.
    layers.push_back({{w.x0 - 1.0F, w.z1, w.x1 + 1.0F, w.z1 + 2.0F}, kMinimapFence});
    if (f.northGate) {
        layers.push_back({{g.x0 - 1.0F, g.z0, g.x1 + 1.0F, g.z1 + 2.0F}, kPost});
    }
    for (const Rect& c : f.cornerGates) {
        CornerGate(layers, {c.x0, 0.0F, c.z0}, {c.x1, 0.0F, c.z1});
    }
    for (const Rect& d : f.doors) {
        layers.push_back({{w.x1 - 0.5F, d.z0, w.x1 + 1.5F, d.z1}, kDoor});
    }
    for (const Prop& p : f.props) {
        if (p.marked) {
            layers.push_back({{p.x0 - 0.5F, p.z0 - 0.5F, p.x1 + 0.5F, p.z1 + 0.5F}, p.colour});
        }
    }
    for (const D3DXVECTOR3& mark : f.marks) {
        layers.push_back({{mark.x - 2.0F, mark.z - 2.0F, mark.x + 2.0F, mark.z + 2.0F}, 0xFF4060E0});
    }
    return layers;
}

// A story field: its floor in the land round it, rimmed; the standing stones on it and the box
// ahead that leads on.
std::vector<Layer> StoryLayers(const D3DXVECTOR3& place, std::uint32_t floor, std::uint32_t stone)
{
    const float half = qmtest::kPlaceHalf;
    const Rect ground{place.x - half, place.z - half, place.x + half, place.z + half};
    std::vector<Layer> layers = {{{place.x - 60.0F, place.z - 60.0F, place.x + 60.0F, place.z + 60.0F}, kMinimapLand},
                                 {ground, Shade(floor, 0.7F)}};
    Rim(layers, ground, qmtest::kPlaceRimGap + 2.0F * qmtest::kPlaceRimHalf, stone);
    for (const D3DXVECTOR3& p : qmtest::PlaceStones()) {
        layers.push_back({{place.x + p.x - 1.0F, place.z + p.z - 1.0F, place.x + p.x + 1.0F, place.z + p.z + 1.0F}, stone});
    }
    for (const qmtest::StoryField& field : qmtest::StoryFields()) {
        if (std::abs(field.start.x - place.x) < half && std::abs(field.start.z - place.z) < half &&
            field.nextEvent != 0) {
            const qmtest::FieldScriptBox box = qmtest::StoryBox(field.start, field.nextEvent);
            layers.push_back({{box.minimum.x, box.minimum.z, box.maximum.x, box.maximum.z}, kWayOn});
        }
    }
    return layers;
}

// The meadow: its fenced walk in the land round it, the wall across the north, the shelter's roof,
// the trading post, and its two corner gates.
std::vector<Layer> MeadowLayers()
{
    const float size = qmtest::FieldLayout::kSize;
    const Rect walk{0.0F, 0.0F, size, qmtest::FieldLayout::kWallZ};
    std::vector<Layer> layers = {{{-40.0F, -40.0F, size + 40.0F, size + 40.0F}, kMinimapLand},
                                 {walk, Shade(0xFF74B45A, 0.8F)}};
    Rim(layers, walk, 1.0F, kMinimapFence);
    layers.push_back({{walk.x0 - 1.0F, walk.z1, walk.x1 + 1.0F, walk.z1 + 2.0F}, kMinimapFence});
    const D3DXVECTOR3 roofMin = LeftoverLayout::ShelterMinimum();
    const D3DXVECTOR3 roofMax = LeftoverLayout::ShelterMaximum();
    layers.push_back({{roofMin.x, roofMin.z, roofMax.x, roofMax.z}, 0xFFB04A30});
    const D3DXVECTOR3 post = LeftoverLayout::Post();
    layers.push_back({{post.x - 1.0F, post.z - 1.0F, post.x + 1.0F, post.z + 1.0F}, kWood});
    CornerGate(layers, LeftoverLayout::MeadowGateMinimum(), LeftoverLayout::MeadowGateMaximum());
    CornerGate(layers, StealLayout::MeadowGateMinimum(), StealLayout::MeadowGateMaximum());
    return layers;
}

}  // namespace

qmtest::PtxImage MinimapPicture(const std::string& name)
{
    const std::vector<Layer> layers = name == SampleLayout::kTownMinimap     ? FieldLayers(Town())
                                      : name == SampleLayout::kBattleMinimap ? FieldLayers(Battle())
                                      : name == kMeadowMinimap               ? MeadowLayers()
                                      : name == kHollowMinimap               ? FieldLayers(Hollow())
                                      : name == Reactions::kArenaMinimap     ? FieldLayers(Arena())
                                      : name == qmtest::kMistMinimap ? StoryLayers(qmtest::kMistPlace, 0xFFB8B0A8, 0xFFE0DCE8)
                                                             : StoryLayers(qmtest::kCavePlace, 0xFF6A5A4A, 0xFFD8B890);
    // 512 pixels over the 512 units round the origin: a unit a pixel, as the window shows them, x to
    // the right, z up.
    constexpr int kSize = 512;
    std::vector<qmtest::PtxColor> colours;
    for (int py = 0; py < kSize; ++py) {
        for (int px = 0; px < kSize; ++px) {
            const float x = static_cast<float>(px) - 256.0F + 0.5F;
            const float z = 256.0F - static_cast<float>(py) - 0.5F;
            std::uint32_t c = 0xFF000000;
            for (const Layer& layer : layers) {
                if (layer.area.Holds(x, z)) {
                    c = layer.colour;
                }
            }
            colours.push_back({static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
                               static_cast<std::uint8_t>(c)});
        }
    }
    return qmtest::PtxImage::FromPixels(name, 0, kSize, kSize, colours);
}

qmtest::PtxImage MinimapWindow()
{
    // A light frame round a dark inside, on which the map picture is added.
    constexpr int kWidth = 224;
    constexpr int kHeight = 160;
    std::vector<qmtest::PtxColor> colours;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const int edge = std::min({x, y, kWidth - 1 - x, kHeight - 1 - y});
            colours.push_back(edge < 3 ? qmtest::PtxColor{200, 204, 220}
                              : edge < 9 ? qmtest::PtxColor{40, 50, 90}
                              : edge < 10 ? qmtest::PtxColor{120, 130, 160}
                                          : qmtest::PtxColor{8, 10, 16});
        }
    }
    return qmtest::PtxImage::FromPixels("window21", 1, kWidth, kHeight, colours,
                                        std::vector<std::uint8_t>(colours.size(), 255));
}

qmtest::PtxImage MinimapCursor()
{
    // A small arrow about the middle, pointing up the picture (the way the player faces turns it):
    // a head over a shaft, yellow edged in black, clear round it so that the paths show.
    constexpr int kSize = 16;
    const auto inArrow = [](int x, int y) {
        const bool head = y >= 3 && y <= 7 && std::abs(2 * x - 15) <= 2 * (y - 3) + 1;
        const bool shaft = y > 7 && y <= 12 && x >= 7 && x <= 8;
        return head || shaft;
    };
    std::vector<qmtest::PtxColor> colours;
    std::vector<std::uint8_t> alphas;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            bool edge = false;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    edge = edge || inArrow(x + dx, y + dy);
                }
            }
            colours.push_back(inArrow(x, y) ? qmtest::PtxColor{255, 230, 60} : qmtest::PtxColor{20, 20, 20});
            alphas.push_back(inArrow(x, y) || edge ? 255 : 0);
        }
    }
    return qmtest::PtxImage::FromPixels("cursor05", 1, kSize, kSize, colours, alphas);
}

std::uint32_t Shade(std::uint32_t colour, float f)
{
    std::uint32_t out = colour & 0xFF000000u;
    for (int shift : {0, 8, 16}) {
        const auto c = static_cast<float>((colour >> shift) & 0xFF) * f;
        out |= static_cast<std::uint32_t>(std::min(c, 255.0F)) << shift;
    }
    return out;
}

GroundLook::GroundLook(const std::string& name)
{
    mesh_.name = name;
    mesh_.materials.push_back(qmtest::MeshMaterial("ground", 1.0F, 1.0F, 1.0F, 1.0F, 0.0F));
    mesh_.keyFrames.emplace_back();
}

void GroundLook::Quad(const MeshVertex& a, const MeshVertex& b, const MeshVertex& c, const MeshVertex& d)
{
    std::vector<MeshVertex>& v = mesh_.keyFrames[0];
    const auto base = static_cast<std::uint16_t>(v.size());
    v.insert(v.end(), {a, b, c, d});
    for (int i : {0, 1, 2, 2, 1, 3}) {
        mesh_.indices.push_back(static_cast<std::uint16_t>(base + i));
    }
    mesh_.faceMaterials.insert(mesh_.faceMaterials.end(), {0, 0});
}

void GroundLook::Floor(float x0, float z0, float x1, float z1, float y, std::uint32_t c)
{
    Quad({x0, y, z0, c, 0, 0}, {x0, y, z1, c, 0, 1}, {x1, y, z0, c, 1, 0}, {x1, y, z1, c, 1, 1});
}

void GroundLook::Box(float x0, float y0, float z0, float x1, float y1, float z1, std::uint32_t colour)
{
    MeshVertex v[8];
    for (int i = 0; i < 8; ++i) {
        v[i] = {(i & 1) != 0 ? x1 : x0, (i & 2) != 0 ? y1 : y0, (i & 4) != 0 ? z1 : z0, 0, 0, 0};
    }
    static const int kSides[6][4] = {{0, 2, 1, 3}, {5, 7, 4, 6}, {4, 6, 0, 2}, {1, 3, 5, 7}, {2, 6, 3, 7}, {4, 0, 5, 1}};
    static const float kLight[6] = {0.85F, 0.7F, 0.75F, 0.8F, 1.0F, 0.5F};
    for (int s = 0; s < 6; ++s) {
        MeshVertex q[4];
        for (int k = 0; k < 4; ++k) {
            q[k] = v[kSides[s][k]];
            q[k].diffuse = Shade(colour, kLight[s]);
        }
        Quad(q[0], q[1], q[2], q[3]);
    }
}


}  // namespace sample
