// A quiet meadow through the arena's south-west corner (and back through its own south-east one): its camera runs on
// a key, its crate is drawn adding its colour, its map description carries a spare name record, a purse
// lies there unflagged (it fades away when nobody takes it) and its one spawner stores a flat
// facing, so the scarecrow it sends looks a random way; the scarecrow's strikes stay out until they
// have landed twice, and it calls out in the partner's voice as it strikes. A post south of the
// crate trades with the bag through a script: three of item 2 in, two out, then five out refused. West of
// the crate stands a low shelter, a roof on four posts that a jump under it runs into.
#include "SampleData.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "SampleParts.h"
#include "SampleSteal.h"
#include "formats/byte_writer.h"
#include "formats/ground_writer.h"
#include "formats/mesh_writer.h"
#include "formats/pattern_writer.h"
#include "formats/player_model_writer.h"
#include "formats/script_assembler.h"

namespace sample {

namespace {

constexpr const char* kScriptFile = "meadow04.pbsc";

std::string FlagUp(std::uint32_t flag) { return "CALL @@SendMsg \"Flag\" 1 8 " + std::to_string(flag) + " 1"; }

// The walk between the fences (the battle map's), and the height of the fences and the north wall.
constexpr float kWalkWest = 0.0F;
constexpr float kWalkSouth = 0.0F;
constexpr float kWalkEast = qmtest::FieldLayout::kSize;
constexpr float kWalkNorth = qmtest::FieldLayout::kWallZ;
constexpr float kWallHeight = 4.0F;
constexpr float kFenceHeight = 1.5F;
constexpr float kRoofThickness = 0.25F;
// A visible cell wider than all the land round the walk (120 across).
constexpr float kWholeLandCell = 400.0F;

// The corners of the shelter's posts: each stands inside a corner of the roof.
std::vector<std::pair<float, float>> PostCorners()
{
    const D3DXVECTOR3 a = LeftoverLayout::ShelterMinimum();
    const D3DXVECTOR3 b = LeftoverLayout::ShelterMaximum();
    const float w = LeftoverLayout::kPostWidth;
    return {{a.x, a.z}, {b.x - w, a.z}, {a.x, b.z - w}, {b.x - w, b.z - w}};
}

qmtest::MeshFile MeadowLook(const std::string& name)
{
    GroundLook g(name);
    const float tile = 2.0F;
    const std::uint32_t grass[2] = {0xFF74B45A, 0xFF82C066};
    // The walk in small tiles, on behind the north wall as far as the ground reaches.
    for (float z = kWalkSouth; z < qmtest::FieldLayout::kSize; z += tile) {
        for (float x = kWalkWest; x < kWalkEast; x += tile) {
            const int parity = (static_cast<int>(x / tile) + static_cast<int>(z / tile)) & 1;
            g.Floor(x, z, x + tile, z + tile, 0.0F, grass[parity]);
        }
    }
    // The land round it in large tiles, a little below.
    const float outer = 8.0F;
    const float margin = 40.0F;
    for (float z = kWalkSouth - margin; z < qmtest::FieldLayout::kSize + margin; z += outer) {
        for (float x = kWalkWest - margin; x < kWalkEast + margin; x += outer) {
            if (x >= kWalkWest && x + outer <= kWalkEast && z >= kWalkSouth && z + outer <= qmtest::FieldLayout::kSize) {
                continue;
            }
            const int parity = (static_cast<int>(std::floor(x / outer)) + static_cast<int>(std::floor(z / outer))) & 1;
            g.Floor(x, z, x + outer, z + outer, -0.02F, Shade(0xFF5E8A48, parity == 0 ? 1.0F : 0.9F));
        }
    }
    // Fences west, east and south, the wall across the north.
    const float t = 0.5F;
    const std::uint32_t fence = 0xFF8A6A48;
    g.Box(kWalkWest - t, 0.0F, kWalkSouth - t, kWalkWest, kFenceHeight, kWalkNorth, fence);
    g.Box(kWalkEast, 0.0F, kWalkSouth - t, kWalkEast + t, kFenceHeight, kWalkNorth, fence);
    g.Box(kWalkWest - t, 0.0F, kWalkSouth - t, kWalkEast + t, kFenceHeight, kWalkSouth, fence);
    g.Box(kWalkWest - t, 0.0F, kWalkNorth, kWalkEast + t, kWallHeight, kWalkNorth + 1.0F, 0xFF7A7068);
    // The shelter: dark posts, and a red roof whose underside is the ceiling collision knows.
    const float w = LeftoverLayout::kPostWidth;
    const float roof = LeftoverLayout::kRoofHeight;
    for (const auto& [x, z] : PostCorners()) {
        g.Box(x, 0.0F, z, x + w, roof, z + w, 0xFF5A3C24);
    }
    const D3DXVECTOR3 a = LeftoverLayout::ShelterMinimum();
    const D3DXVECTOR3 b = LeftoverLayout::ShelterMaximum();
    g.Box(a.x, roof, a.z, b.x, roof + kRoofThickness, b.z, 0xFFB04A30);
    // Red posts by the two corners that lead on.
    CornerGatePosts(g, LeftoverLayout::MeadowGateMinimum(), LeftoverLayout::MeadowGateMaximum());
    CornerGatePosts(g, StealLayout::MeadowGateMinimum(), StealLayout::MeadowGateMaximum());
    // The trading post: a wooden post with a board across its top.
    const D3DXVECTOR3 post = LeftoverLayout::Post();
    g.Box(post.x - 0.1F, 0.0F, post.z - 0.1F, post.x + 0.1F, 1.2F, post.z + 0.1F, 0xFF6A4A30);
    g.Box(post.x - 0.45F, 0.9F, post.z - 0.06F, post.x + 0.45F, 1.35F, post.z + 0.06F, 0xFFC89860);
    return g.Done();
}

// What the hero meets: the floor in collision-cell pieces, the fences and the wall up to the wall's
// height, the roof's underside and the posts' four sides.
qmtest::MeshFile MeadowCollision(const std::string& name)
{
    qmtest::GroundMesh g;
    const float piece = qmtest::FieldLayout::kCellSize;
    const float h = kWallHeight;
    for (float x0 = kWalkWest; x0 < kWalkEast; x0 += piece) {
        const float x1 = std::min(x0 + piece, kWalkEast);
        for (float z0 = kWalkSouth; z0 < kWalkNorth; z0 += piece) {
            g.Floor(x0, z0, x1, std::min(z0 + piece, kWalkNorth), 0.0F);
        }
        g.WallZ(kWalkNorth, x0, x1, 0.0F, h);
        // The south fence faces north.
        g.Triangle({x0, 0.0F, kWalkSouth}, {x1, 0.0F, kWalkSouth}, {x0, h, kWalkSouth});
        g.Triangle({x1, 0.0F, kWalkSouth}, {x1, h, kWalkSouth}, {x0, h, kWalkSouth});
    }
    for (float z0 = kWalkSouth; z0 < kWalkNorth; z0 += piece) {
        const float z1 = std::min(z0 + piece, kWalkNorth);
        g.WallX(kWalkEast, z0, z1, 0.0F, h);
        // The west fence faces east.
        g.Triangle({kWalkWest, 0.0F, z0}, {kWalkWest, h, z0}, {kWalkWest, 0.0F, z1});
        g.Triangle({kWalkWest, 0.0F, z1}, {kWalkWest, h, z0}, {kWalkWest, h, z1});
    }
    const D3DXVECTOR3 a = LeftoverLayout::ShelterMinimum();
    const D3DXVECTOR3 b = LeftoverLayout::ShelterMaximum();
    const float roof = LeftoverLayout::kRoofHeight;
    g.Ceiling(a.x, a.z, b.x, b.z, roof);
    const float w = LeftoverLayout::kPostWidth;
    for (const auto& [x0, z0] : PostCorners()) {
        const float x1 = x0 + w;
        const float z1 = z0 + w;
        g.WallX(x0, z0, z1, 0.0F, roof);
        g.Triangle({x1, 0.0F, z0}, {x1, roof, z0}, {x1, 0.0F, z1});
        g.Triangle({x1, 0.0F, z1}, {x1, roof, z0}, {x1, roof, z1});
        g.WallZ(z0, x0, x1, 0.0F, roof);
        g.Triangle({x0, 0.0F, z1}, {x1, 0.0F, z1}, {x0, roof, z1});
        g.Triangle({x1, 0.0F, z1}, {x1, roof, z1}, {x0, roof, z1});
    }
    return g.File(name);
}

}  // namespace

void AddLeftoverContent(Catalogue& c)
{
    c.scripts.push_back(kScriptFile);
    // Held out in front of it until it has struck twice, the same target again 20 steps on.
    TAttackRecord strike = qmtest::FieldAttackRecords().at(1);
    strike.Id = LeftoverLayout::kScarecrowStrike;
    strike.Kind = 1;
    strike.HitCount = 2;
    strike.Interval = 20;
    strike.Radius = 1.0F;
    AddAttack(c, strike);
    TEnemyRecord scarecrow = qmtest::FieldEnemyRecord();
    scarecrow.id = LeftoverLayout::kScarecrowType;
    scarecrow.label = "見張りの案山子";
    scarecrow.modelName = LeftoverLayout::kScarecrowModel;
    // Strong enough for its strikes to get through the hero's guard: at the field enemy's 8 they
    // came to less than the hero's defence and took no HP.
    scarecrow.str = 46;
    // It borrows the partner's voices; she is not in the field while the scarecrow is.
    scarecrow.soundName = c.heroes.at(1).ModelName;
    c.enemies.push_back(scarecrow);
    c.characterModels.push_back(scarecrow.modelName);
    c.meshes.push_back(std::string("map04/") + LeftoverLayout::kGroundMesh);
    c.meshes.push_back(std::string("map04/_") + LeftoverLayout::kGroundMesh);
}

void WriteLeftoverFiles(const std::filesystem::path& root)
{
    // Each of the scarecrow's attack motions (and the plain swing) strikes with its held strike,
    // calls out and swishes.
    std::vector<std::vector<TPatternEvent>> patterns = EnemyMotions(LeftoverLayout::kScarecrowType);
    for (std::uint32_t m = 16; m < 26; ++m) {
        patterns.at(m).at(qmtest::kPlayerModelSwingFrame).AttackId = LeftoverLayout::kScarecrowStrike;
    }
    patterns.at(qmtest::kPlayerModelSwingMotion).at(qmtest::kPlayerModelSwingFrame).AttackId =
        LeftoverLayout::kScarecrowStrike;
    for (std::vector<TPatternEvent>& motion : patterns) {
        if (motion.at(qmtest::kPlayerModelSwingFrame).AttackId == LeftoverLayout::kScarecrowStrike) {
            motion.at(qmtest::kPlayerModelSwingFrame).VoiceId = LeftoverLayout::kScarecrowVoice;
            motion.at(qmtest::kPlayerModelSwingFrame).SoundId = LeftoverLayout::kScarecrowSwish;
        }
    }
    qmtest::SaveBytes((root / kCharacterDataFolder / (std::string(LeftoverLayout::kScarecrowModel) + ".pat")).string(),
                      qmtest::BuildPatternFile(patterns));

    const std::string item = std::to_string(LeftoverLayout::kTradeItem);
    qmtest::ScriptFileWriter writer;
    writer.Script("post", {"CALL @@SendMsg \"Flag\" 1 13 " + item + " 3", "CALL @@SendMsg \"Flag\" 1 14 " + item + " 2",
                           "IF g.$_ == 1", FlagUp(LeftoverLayout::kTakenFlag), "END",
                           "CALL @@SendMsg \"Flag\" 1 14 " + item + " 5", "IF g.$_ == 0",
                           FlagUp(LeftoverLayout::kRefusedFlag), "END"});
    std::filesystem::create_directories(root / "data/scr04");
    writer.Save((root / "data/scr04" / kScriptFile).string());

    // The meadow's ground over the plain one the field folder wrote for it.
    const std::string ground = LeftoverLayout::kGroundMesh;
    const std::string name = ground.substr(0, ground.rfind('.'));
    const std::filesystem::path maps = root / kMeshFolder / "map04";
    qmtest::SaveBytes((maps / ground).string(), MeadowLook(name).Bytes());
    qmtest::SaveBytes((maps / ("_" + ground)).string(), MeadowCollision("_" + name).Bytes());
}

D3DXVECTOR3 CornerGateFacing(const D3DXVECTOR3& boxMinimum, const D3DXVECTOR3& boxMaximum)
{
    const float half = 0.70710677F;
    const bool west = boxMinimum.x + boxMaximum.x < qmtest::FieldLayout::kSize;
    return {west ? -half : half, 0.0F, -half};
}

qmtest::FieldTrigger CornerGateTrigger(const D3DXVECTOR3& boxMinimum, const D3DXVECTOR3& boxMaximum)
{
    qmtest::FieldTrigger gate;
    gate.boxMinimum = boxMinimum;
    gate.boxMaximum = boxMaximum;
    gate.boxMaximum.z = boxMinimum.z + kCornerGateReach;
    gate.facing = CornerGateFacing(boxMinimum, boxMaximum) * kCornerGateWidening;
    return gate;
}

D3DXVECTOR3 CornerArrival(bool east) { return {east ? 38.0F : 2.0F, 0.0F, 10.0F}; }

D3DXVECTOR3 CornerArrivalCamera(bool east)
{
    return CornerArrival(east) + D3DXVECTOR3(0.0F, qmtest::FieldLayout::kFollowHeight, -qmtest::FieldLayout::kFollowDistance);
}

void JoinByCornerGates(qmtest::FieldMap& from, const char* fromName, const D3DXVECTOR3& fromMinimum,
                       const D3DXVECTOR3& fromMaximum, qmtest::FieldMap& to, const char* toName,
                       const D3DXVECTOR3& toMinimum, const D3DXVECTOR3& toMaximum)
{
    const auto gate = [](const D3DXVECTOR3& minimum, const D3DXVECTOR3& maximum, const char* destination, bool east) {
        qmtest::FieldTrigger t = CornerGateTrigger(minimum, maximum);
        t.destination = destination;
        t.startPosition = CornerArrival(east);
        t.startDirection = {0.0F, 0.0F, 1.0F};
        t.startCamera = CornerArrivalCamera(east);
        return t;
    };
    from.triggers.push_back(gate(fromMinimum, fromMaximum, toName, true));
    to.triggers.push_back(gate(toMinimum, toMaximum, fromName, false));
}

void AddLeftoverMap(std::vector<qmtest::FieldMap>& maps)
{
    qmtest::FieldMap meadow;
    meadow.file = SampleLayout::kMapFile;
    meadow.entry = LeftoverLayout::kEntry;
    meadow.areaMesh = LeftoverLayout::kGroundMesh;
    meadow.kind = 1;
    meadow.display = "静かな野";
    meadow.music = "battle.ogg";
    meadow.cameraMode = 32;
    // The drawn cells are the nine round the camera's eye, which keys 6 to 8 behind the hero with no
    // fog to hide an edge: one cell wider than all the land shows everything from anywhere.
    meadow.meshCell = kWholeLandCell;
    meadow.minimap = kMeadowMinimap;
    meadow.crateMaterial = LeftoverLayout::kCrateMaterial;
    meadow.spareName = "spare";
    meadow.items = {{0xFFFFFFFF, 0xFFFFFFFF, LeftoverLayout::kPurseMoney, LeftoverLayout::Purse()}};
    meadow.maxLive = 1;
    meadow.spawnDistance = LeftoverLayout::kSpawnDistance;
    qmtest::FieldSpawner spawner;
    spawner.typeId = LeftoverLayout::kScarecrowType;
    spawner.position = LeftoverLayout::Spawner();
    spawner.direction = LeftoverLayout::SpawnerFacing();
    spawner.leash = 2.0F;
    meadow.spawners = {spawner};
    meadow.actionScripts.push_back({LeftoverLayout::Post(), LeftoverLayout::kPostReach, std::string(kScriptFile) + "/post"});
    const auto arena = std::find_if(maps.begin(), maps.end(), [](const qmtest::FieldMap& m) { return m.entry == "b04_01"; });
    if (arena == maps.end()) {
        throw std::runtime_error("the meadow's gate needs the arena");
    }
    JoinByCornerGates(*arena, Reactions::kArena, LeftoverLayout::ArenaGateMinimum(), LeftoverLayout::ArenaGateMaximum(),
                      meadow, LeftoverLayout::kMap, LeftoverLayout::MeadowGateMinimum(),
                      LeftoverLayout::MeadowGateMaximum());
    maps.push_back(meadow);
}

}  // namespace sample
