#include "formats/field_writer.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <filesystem>

#include "MainCode/GameData/THrdefTable.h"
#include "MainCode/GameData/TWeponTable.h"
#include "formats/bht_writer.h"
#include "formats/byte_writer.h"
#include "formats/effect_assets.h"
#include "formats/enemy_table_writer.h"
#include "formats/game_table_writer.h"
#include "formats/ground_writer.h"
#include "formats/hud_assets.h"
#include "formats/sub_screen_assets.h"
#include "formats/menu_assets.h"
#include "formats/ring_assets.h"
#include "formats/mesh_writer.h"
#include "formats/ogg_writer.h"
#include "formats/pattern_writer.h"
#include "formats/player_model_writer.h"
#include "formats/ptx_writer.h"
#include "formats/scene_assets.h"
#include "formats/script_assembler.h"
#include "formats/pause_screen_assets.h"
#include "formats/shop_assets.h"
#include "formats/table_writer.h"

namespace fs = std::filesystem;

namespace qmtest {

namespace {

constexpr float kOpaque = 0.0F;  // render level of an opaque material
const char kMapFile[] = "map00";

void Save(const fs::path& path, const std::vector<std::uint8_t>& bytes)
{
    fs::create_directories(path.parent_path());
    SaveBytes(path.string(), bytes);
}

void Save(const fs::path& path, const MeshFile& mesh)
{
    fs::create_directories(path.parent_path());
    mesh.Save(path.string());
}

void Quad(MeshFile& f, const MeshVertex& a, const MeshVertex& b, const MeshVertex& c, const MeshVertex& d)
{
    // a b / c d, clockwise a-b-c and c-b-d seen from the front.
    std::vector<MeshVertex>& v = f.keyFrames[0];
    const auto base = static_cast<std::uint16_t>(v.size());
    v.insert(v.end(), {a, b, c, d});
    f.indices.insert(f.indices.end(), {base, static_cast<std::uint16_t>(base + 1), static_cast<std::uint16_t>(base + 2),
                                       static_cast<std::uint16_t>(base + 2), static_cast<std::uint16_t>(base + 1),
                                       static_cast<std::uint16_t>(base + 3)});
    f.faceMaterials.insert(f.faceMaterials.end(), {0, 0});
}

// The visible ground from west to kSize: 4-unit squares in two shades of green with a darker grid,
// and the wall as a brown band facing the start.
MeshFile VisualGround(const std::string& name, float west)
{
    MeshFile f;
    f.name = name;
    f.materials.push_back(MeshMaterial("ground", 1.0F, 1.0F, 1.0F, 1.0F, kOpaque));
    f.keyFrames.emplace_back();
    const float step = 4.0F;
    const int n = static_cast<int>(FieldLayout::kSize / step);
    const int first = static_cast<int>(std::floor(west / step));
    for (int z = 0; z < n; ++z) {
        for (int x = first; x < n; ++x) {
            const std::uint32_t c = (x + z) % 2 == 0 ? 0xFF5A9A48 : 0xFF78B860;
            const float x0 = static_cast<float>(x) * step;
            const float z0 = static_cast<float>(z) * step;
            Quad(f, {x0, 0, z0, c, 0, 0}, {x0, 0, z0 + step, c, 0, 1}, {x0 + step, 0, z0, c, 1, 0},
                 {x0 + step, 0, z0 + step, c, 1, 1});
        }
    }
    const std::uint32_t wall = 0xFF8A5A3A;
    const float zw = FieldLayout::kWallZ;
    for (int x = first; x < n; ++x) {
        const float x0 = static_cast<float>(x) * step;
        // Facing -z: seen from the start, left to right is +x.
        Quad(f, {x0, 4, zw, wall, 0, 0}, {x0 + step, 4, zw, wall, 1, 0}, {x0, 0, zw, wall, 0, 1},
             {x0 + step, 0, zw, wall, 1, 1});
    }
    return f;
}

// A collision face is binned only into the cells of its corners, and the player looks at the cells
// next to its own: the plain ground (four cells across) is one piece, a wider one is laid in
// cell-sized pieces.
MeshFile CollisionGround(const std::string& name, float west)
{
    GroundMesh ground;
    const float piece = west == 0.0F ? FieldLayout::kSize : FieldLayout::kCellSize;
    for (float x0 = west; x0 < FieldLayout::kSize; x0 += piece) {
        const float x1 = std::min(x0 + piece, FieldLayout::kSize);
        for (float z0 = 0.0F; z0 < FieldLayout::kSize; z0 += piece) {
            ground.Floor(x0, z0, x1, std::min(z0 + piece, FieldLayout::kSize), 0.0F);
        }
        ground.WallZ(FieldLayout::kWallZ, x0, x1, 0.0F, 4.0F);
    }
    return ground.File("_" + name);
}

// The mesh's name without its ".msh".
std::string MeshName(const std::string& file)
{
    return file.substr(0, file.rfind('.'));
}

// The sky's canopy over x and z in -0.5..0.5: the camera scales x and z to the far width, stands it at
// the far point and turns its +z towards the eye, so it slopes up towards the viewer. At the far point
// it lies 50 to 60 below the ground's level, so the sky reaches down behind the far end of the ground
// with no gap, and towards the eye it rises over the top of the view: pale low down, deeper blue above;
// both windings.
MeshFile SkyDome()
{
    MeshFile f;
    f.name = "sky00_00";
    f.materials.push_back(MeshMaterial("sky", 1.0F, 1.0F, 1.0F, 1.0F, kOpaque));
    f.keyFrames.emplace_back();
    constexpr int n = 8;
    auto at = [&](int x, int z) {
        const float fx = static_cast<float>(x) / n - 0.5F;
        const float fz = static_cast<float>(z) / n - 0.5F;
        const float y = -60.0F + 130.0F * fz + 10.0F * (1.0F - 4.0F * fx * fx);
        const auto t = static_cast<std::uint32_t>(z * 8 / n);
        const std::uint32_t rg = 200 - 12 * t;
        return MeshVertex{fx, y, fz, 0xFF000000u | rg << 16 | (rg + 15) << 8 | (255 - 6 * t), 0, 0};
    };
    for (int z = 0; z < n; ++z) {
        for (int x = 0; x < n; ++x) {
            Quad(f, at(x, z + 1), at(x + 1, z + 1), at(x, z), at(x + 1, z));
            Quad(f, at(x + 1, z + 1), at(x, z + 1), at(x + 1, z), at(x, z));
        }
    }
    return f;
}

MeshFile Shadow()
{
    MeshFile f = GroundMesh().Floor(-0.5F, -0.5F, 0.5F, 0.5F, 0.0F).File("shadow01");
    for (MeshVertex& v : f.keyFrames[0]) {
        v.diffuse = 0x80000000;
    }
    return f;
}

}  // namespace

std::vector<PtxImage> FieldSprites()
{
    // The HUD's pictures, and the message window's parts at the sizes the window draws them (its
    // panel 512 x 128 under the text, the name plate 128 x 32).
    std::vector<PtxImage> sprites = HudSprites();
    for (PtxImage& part : std::vector<PtxImage>{
             FramedPanel("window06", 512, 128, {24, 36, 96}), FramedPanel("window16", 128, 32, {96, 36, 48}),
             FramedPanel("button00_a", 16, 16, {250, 220, 40}), FramedPanel("button00_b", 16, 16, {120, 100, 20}),
             FramedPanel("cursor02", 16, 16, {40, 220, 90})}) {
        sprites.push_back(std::move(part));
    }
    // The enemy gauge's frame (its bar is on the HUD's sheet), the minimap's window and cursor.
    sprites.push_back(PtxImage::Filled("guage08", 1, 64, 8, {90, 90, 110}));
    sprites.push_back(PtxImage::Filled("window21", 1, 224, 160, {40, 50, 90}));
    sprites.push_back(PtxImage::Filled("cursor05", 1, 16, 16, {255, 220, 40}));
    for (PtxImage& menu : MenuSprites()) {
        sprites.push_back(std::move(menu));
    }
    for (PtxImage& part : ShopSprites()) {
        sprites.push_back(std::move(part));
    }
    for (PtxImage& part : PauseScreenSprites()) {
        sprites.push_back(std::move(part));
    }
    for (PtxImage& window : SubScreenSprites()) {
        sprites.push_back(std::move(window));
    }
    return sprites;
}

PtxImage FieldMinimapPicture()
{
    // The map's 512 units on 128 pixels: the ground square light on a dark surround.
    std::vector<PtxColor> colours;
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 128; ++x) {
            const bool ground = x >= 64 && x < 74 && y >= 54 && y < 64;
            colours.push_back(ground ? PtxColor{120, 190, 100} : PtxColor{30, 50, 40});
        }
    }
    return PtxImage::FromPixels(kFieldMinimap, 0, 128, 128, colours);
}

MeshFile BoxMesh(const std::string& name, float hx, float hy, float hz, std::uint32_t colour, float y0)
{
    MeshFile f;
    f.name = name;
    const auto channel = [colour](int shift) { return static_cast<float>((colour >> shift) & 0xFF) / 255.0F; };
    f.materials.push_back(MeshMaterial(name, channel(16), channel(8), channel(0), 1.0F, kOpaque));
    std::vector<MeshVertex> v;
    for (int i = 0; i < 8; ++i) {
        v.push_back({(i & 1) != 0 ? hx : -hx, y0 + ((i & 2) != 0 ? hy : -hy), (i & 4) != 0 ? hz : -hz, colour, 0, 0});
    }
    f.keyFrames.push_back(v);
    const std::uint16_t sides[6][4] = {{0, 2, 1, 3}, {5, 7, 4, 6}, {4, 6, 0, 2}, {1, 3, 5, 7}, {2, 6, 3, 7}, {4, 0, 5, 1}};
    for (const auto& s : sides) {
        f.indices.insert(f.indices.end(), {s[0], s[1], s[2], s[2], s[1], s[3]});
        f.faceMaterials.insert(f.faceMaterials.end(), {0, 0});
    }
    return f;
}

std::vector<FieldMap> DefaultFieldMaps()
{
    FieldMap battle;
    battle.entry = "battle";
    battle.kind = 1;
    battle.display = "試しの野";
    battle.music = "battle.ogg";
    battle.maxLive = FieldLayout::kMaxLive;
    battle.spawnDistance = FieldLayout::kSpawnDistance;
    battle.enemies = {{kFieldEnemyType, FieldLayout::Enemy(), {0.0F, 0.0F, 0.0F}}};
    FieldSpawner spawner;
    spawner.typeId = kFieldEnemyType;
    spawner.position = FieldLayout::Spawner();
    spawner.interval = FieldLayout::kSpawnInterval;
    battle.spawners = {spawner};
    battle.minimap = kFieldMinimap;
    FieldMap town;
    town.entry = "town";
    town.kind = 0;
    town.display = "はじまりの村";
    town.music = "town.ogg";
    town.fog = true;
    town.fogColour = 0xFF8090A0;
    town.sky = false;
    town.villagers = {FieldLayout::kElder};
    town.savePoints = {{FieldLayout::kSavePoint, FieldLayout::TownSavePoint()}};
    town.items = {{0xFFFFFFFF, FieldLayout::kTownPurseFlag, FieldLayout::kTownPurseMoney, FieldLayout::TownPurse()}};
    return {battle, town};
}

std::vector<std::pair<std::uint32_t, std::string>> FieldMusicTable()
{
    return {{10, "battle.ogg"}, {11, "town.ogg"}, {12, "other.ogg"}};
}

std::vector<TAttackRecord> FieldAttackRecords()
{
    TAttackRecord fallback;
    TAttackRecord swing;
    swing.Id = kPlayerModelSwingAttack;
    // Chest high and in front: a character faces its own -z.
    swing.Offset[1] = 1.0F;
    swing.Offset[2] = -0.8F;
    swing.Lifetime = 6;
    swing.Radius = 0.7F;
    swing.DamageFactor = 1.25F;
    return {fallback, swing};
}

TEnemyRecord FieldEnemyRecord()
{
    TEnemyRecord r;
    r.id = kFieldEnemyType;
    r.label = "草原の獣";
    r.height = 0.7F;
    r.shadowSize = 1.2F;
    r.objectFlagA = 1;
    r.objectFlagB = 1;
    r.gravity = -0.02F;
    r.armedByte0 = r.armedByte1 = r.armedByte2 = 1;
    r.maxHp = r.hp = 60;
    r.str = 8;
    r.vit = 4;
    r.intel = 4;
    r.men = 4;
    for (float& rate : r.armedStats) {
        rate = 1.0F;
    }
    r.level = 1;
    r.gainFactor = 1.0F;
    r.hpGrowth = 1000;
    r.strGrowth = 100;
    r.money = 20;
    r.modelName = kFieldEnemyModel;
    r.soundName = kFieldEnemyModel;
    return r;
}

std::vector<FieldScriptFile> FieldScripts(const std::string& elderModel)
{
    const D3DXVECTOR3 at = FieldLayout::Elder();
    // Set up as a villager facing the start, then the conversation.
    const std::string setUp = "CALL @@SendMsg \"VillagerInfo\" 0 \"" + elderModel +
                              "\" 0 0 1 \"0.9\" \"0.8\" 0 \"-0.03\" 1 1 \"" + std::to_string(at.x) + "\" \"" +
                              std::to_string(at.y) + "\" \"" + std::to_string(at.z) + "\" 0 0 -1";
    return {{"town04.pbsc",
             {{"elder",
               {setUp, "CALL @@SendMsg \"Text\" 4 \"村長\"", "CALL @@SendMsg \"Text\" 2 0 2",
                "CALL @@SendMsg \"Text\" 0 \"ようこそ、はじまりの村へ。／\"", "CALL @@SendMsg \"Text\" 2 1 2"}}}}};
}

void WriteFieldScripts(const std::string& root, const std::vector<FieldScriptFile>& files)
{
    const fs::path folder = fs::path(root) / "data/scr04";
    for (const FieldScriptFile& file : files) {
        ScriptFileWriter writer;
        for (const auto& script : file.scripts) {
            writer.Script(script.first, script.second);
        }
        fs::create_directories(folder);
        writer.Save((folder / file.file).string());
    }
}

std::vector<std::string> FieldObjectMeshes()
{
    return {"item/coin00.msh", "item/hukuro00.msh", "item/ring00.msh", "effect/savepoint.msh"};
}

TSvpRecord FieldSavePoint()
{
    TSvpRecord r;
    r.Id = FieldLayout::kSavePoint;
    r.MapName = std::string(kMapFile) + "/" + DefaultFieldMaps()[0].entry;
    r.StartX = FieldLayout::Start().x;
    r.StartY = FieldLayout::Start().y;
    r.StartZ = FieldLayout::Start().z;
    r.PlaceName = DefaultFieldMaps()[0].display;
    return r;
}

MapStream FieldMapStream(const FieldMap& map)
{
    MapStream s;
    const float cell = FieldLayout::kCellSize;
    s.Area(map.kind, map.areaMesh, map.display, map.music, cell, cell, map.meshCell, map.meshCell)
        .Projection(0.5F, 120.0F, 60.0F);
    if (map.fog) {
        s.Fog(30.0F, 90.0F, map.fogColour);
    }
    if (map.sky) {
        s.Sky(0.01F, 0.0F, 0.05F);
    }
    if (map.entryPoint) {
        s.EntryPoint(FieldLayout::Start(), FieldLayout::StartDirection(), FieldLayout::StartCamera());
    }
    switch (map.cameraMode) {
    case 16:
        s.FollowCamera(FieldLayout::kFollowDistance, FieldLayout::kFollowHeight, 0);
        break;
    case 32:
        s.KeyCamera().CameraKey(FieldLayout::Start(), 0.0F, -1.0F, FieldLayout::kFollowDistance,
                                FieldLayout::kFollowHeight, 0);
        break;
    case 1:
        s.CameraMode1();
        break;
    default:
        s.CameraMode8();
        break;
    }
    if (map.crate) {
        s.MeshPlacement(FieldLayout::Crate(), {0, 0, 1}, {0, 1, 0}, {1, 1, 1}, 0, map.crateMaterial, 0, "crate.msh",
                        "crate.msh");
    }
    if (!map.spareName.empty()) {
        s.SpareName(map.spareName);
    }
    for (const std::string& villager : map.villagers) {
        s.Villager(villager);
    }
    if (map.maxLive != 0 || map.spawnDistance != 0.0F || !map.enemies.empty() || !map.spawners.empty()) {
        // The first bound holds the live limit's bits.
        s.EnemyBounds(std::bit_cast<float>(map.maxLive), map.spawnDistance);
    }
    for (const FieldEnemy& enemy : map.enemies) {
        s.Enemy(enemy.typeId, enemy.position, enemy.direction);
    }
    for (const FieldSpawner& spawner : map.spawners) {
        s.EnemySpawner(spawner.typeId, spawner.position, spawner.direction, spawner.interval,
                       std::bit_cast<std::uint32_t>(spawner.leash));
    }
    if (!map.minimap.empty()) {
        s.MinimapName(map.minimap);
    }
    if (!map.objectSet.empty()) {
        s.ObjectSetName(map.objectSet);
    }
    for (const FieldItem& item : map.items) {
        s.Item(item.itemId, item.flag, item.money, {item.position.x, item.position.y, item.position.z});
    }
    for (const FieldSavePointMark& mark : map.savePoints) {
        s.PointObject(mark.id, {mark.position.x, mark.position.y, mark.position.z});
    }
    const auto destination = [](const std::string& name) {
        return name.find('/') != std::string::npos ? name : std::string(kMapFile) + "/" + name;
    };
    for (const FieldTrigger& t : map.triggers) {
        s.TriggerBox(t.boxMinimum, t.boxMaximum, t.facing, t.startPosition, t.startDirection, t.startCamera,
                     t.fadeMode, destination(t.destination));
    }
    for (const FieldActionTrigger& t : map.actionTriggers) {
        s.TriggerAction(t.point, t.radius, t.startPosition, t.startDirection, t.startCamera, t.fadeMode,
                        destination(t.destination));
    }
    for (const FieldScriptBox& box : map.scriptBoxes) {
        s.TwoVectorObject(box.minimum, box.maximum, box.scriptKey);
    }
    for (const FieldFacingScript& box : map.facingScripts) {
        s.ThreeVectorObject(box.minimum, box.maximum, box.facing, box.scriptKey);
    }
    for (const FieldActionScript& spot : map.actionScripts) {
        s.PointValueObject(spot.point, std::bit_cast<std::uint32_t>(spot.radius), spot.scriptKey);
    }
    for (const FieldDefeatScript& watch : map.defeatCountScripts) {
        s.ValueObjectA(watch.value, watch.scriptKey);
    }
    for (const FieldDefeatScript& watch : map.defeatScripts) {
        s.ValueObjectB(watch.value, watch.scriptKey);
    }
    s.End();
    return s;
}

void WriteFieldEnemyTable(const std::string& root, const std::vector<std::uint32_t>& typeIds)
{
    std::vector<TEnemyRecord> records;
    for (std::uint32_t id : typeIds) {
        TEnemyRecord r = FieldEnemyRecord();
        r.id = id;
        records.push_back(r);
    }
    Save(fs::path(root) / "data/tbl04/enemy.tbl", BuildEnemyTable(records));
}

void WriteFieldMusic(const std::string& root)
{
    const fs::path music = fs::path(root) / "data/bgm04";
    fs::create_directories(music);
    std::size_t frames = 22050;
    for (const auto& entry : FieldMusicTable()) {
        WriteOggTone((music / entry.second).string(), {{frames, 0.2}}, 2, 22050);
        frames += 2205;
    }
}

void WriteFieldFolder(const std::string& root, const std::vector<FieldMap>& maps, bool writeTables)
{
    const fs::path base(root);
    const fs::path meshes = base / "data/msh04";
    // One container per file, its maps in the order given; one ground per area mesh.
    std::vector<std::pair<std::string, std::vector<MapEntry>>> files;
    for (const FieldMap& map : maps) {
        auto file = std::find_if(files.begin(), files.end(), [&](const auto& f) { return f.first == map.file; });
        if (file == files.end()) {
            files.push_back({map.file, {}});
            file = files.end() - 1;
        }
        file->second.push_back({map.entry, FieldMapStream(map).Data()});
        Save(meshes / "map04" / map.areaMesh, VisualGround(MeshName(map.areaMesh), map.groundWest));
        Save(meshes / "map04" / ("_" + map.areaMesh), CollisionGround(MeshName(map.areaMesh), map.groundWest));
    }
    for (const auto& file : files) {
        Save(base / "data/scr04" / file.first, MapContainer(file.second));
    }
    Save(meshes / "visual04/crate.msh", BoxMesh("crate", 0.5F, 0.5F, 0.5F, 0xFFC09040));
    Save(meshes / "sky/sky00_00.msh", SkyDome());
    Save(meshes / "effect/shadow01_mesh.msh", Shadow());
    WriteStatusIconMeshes(meshes);
    // Map objects: a gold coin, a brown bag, a silver ring and the save point's blue mark.
    const std::uint32_t objectColours[] = {0xFFE0C030, 0xFF906030, 0xFFC0C0D0, 0xFF4060E0};
    const std::vector<std::string> objectMeshes = FieldObjectMeshes();
    for (std::size_t i = 0; i < objectMeshes.size(); ++i) {
        const bool mark = i + 1 == objectMeshes.size();
        Save(meshes / objectMeshes[i], mark ? BoxMesh("savepoint", 0.6F, 0.02F, 0.6F, objectColours[i], 0.02F)
                                            : BoxMesh("item", 0.15F, 0.15F, 0.15F, objectColours[i]));
    }
    WriteFieldScripts(root, FieldScripts());
    SaveStartupMeshes(root);
    WriteGameEffectAssets(root);
    // The weapon looks of both heroes' first weapon types, and the enemy.
    for (const char* model : {"hero01", "hero02", "heroine01", "heroine02", kFieldEnemyModel}) {
        WritePlayerModel(meshes.string(), (base / "data/chrdata04").string(), model, FieldLayout::kWalkStep);
    }
    BhtFile attacks;
    attacks.records = FieldAttackRecords();
    Save(base / "data/chrdata04/basic.bht", attacks.Build());
    if (!writeTables) {
        return;
    }
    const fs::path tables = base / "data/tbl04";
    Save(tables / "svp.tbl", BuildGameTable(std::vector<TSvpRecord>{FieldSavePoint()}));
    // Both heroes with their town looks, sound and voice lists, and the value tables every player reads.
    std::vector<THrdefRecord> heroes;
    for (const char* model : {"hero", "heroine"}) {
        THrdefRecord hero;
        hero.Id = static_cast<std::int32_t>(heroes.size());
        hero.Level = 1;
        hero.WeaponId = 1000;
        hero.ModelName = model;
        hero.TableName = model;
        hero.FaceName = std::string("face_") + model;
        heroes.push_back(hero);
        WritePlayerModel(meshes.string(), (base / "data/chrdata04").string(), model, FieldLayout::kWalkStep);
        Save(tables / "char" / (std::string(model) + "_se.tbl"), BuildSoundList({}));
        Save(tables / "char" / (std::string(model) + "_vc.tbl"), BuildSoundList({}));
    }
    Save(tables / "hrdef.tbl", BuildGameTable(heroes));
    WritePlayerValueTables(tables.string());
    WriteFieldEnemyTable(root, {kFieldEnemyType});
    // The enemy's sound and voice lists: it makes no sound of its own.
    Save(tables / "char" / (std::string(kFieldEnemyModel) + "_se.tbl"), BuildSoundList({}));
    Save(tables / "char" / (std::string(kFieldEnemyModel) + "_vc.tbl"), BuildSoundList({}));
    TWeponRecord sword;
    sword.Id = 1000;
    sword.Name = "木の剣";
    sword.Type = 0;
    sword.MeshName = "sword";
    TWeponRecord spear;
    spear.Id = 1001;
    spear.Name = "鉄の槍";
    spear.Type = 3;
    spear.MeshName = "spear";
    for (const TWeponRecord* w : {&sword, &spear}) {
        WriteWeaponMesh(meshes.string(), w->MeshName);
    }
    Save(tables / "wepon.tbl", BuildGameTable(std::vector<TWeponRecord>{sword, spear}));
    Save(tables / "bgm.tbl", BuildSoundTable(FieldMusicTable()));
    Save(base / "data/ptx04/sprite.ptx", BuildPtx(FieldSprites()));
    WriteRingAssets(base / "data/ptx04", meshes, tables);
    Save(base / "data/ptx04/minimap.ptx", BuildPtx({FieldMinimapPicture()}));
    WriteHudIconPackages(base / "data/ptx04");
    Save(base / "data/ptx04/title.ptx", BuildPtx(ScenePictures()));
    WriteFieldMusic(root);
}

}  // namespace qmtest
