// A small playable field written into a game folder: two maps (a battle area and a town) in one map
// container, their ground and walls as visible cells and as collision, a placed crate, the battle
// map's enemy with its spawner and minimap picture, the sky dome, the shadow, the player's and the
// enemy's models with pattern and weapon-state files, the attack table, the tables play starts from
// (save point, weapons, heroes with their sound lists, experience and ability points, enemies), the
// sprites of the windows, gauges and minimap, and the music of both maps. Tests and the sample
// folder share it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "MainCode/Character/TEnemyRecord.h"
#include "MainCode/GameData/TSvpTable.h"
#include "MainCode/Map/TAttackRecord.h"
#include "platform/d3dx8/d3dx8math.h"
#include "formats/map_writer.h"
#include "formats/mesh_writer.h"
#include "formats/ptx_writer.h"

namespace qmtest {

// An enemy the map places at once, and a spawner that places one as the player nears.
struct FieldEnemy {
    std::uint32_t typeId = 0;
    D3DXVECTOR3 position;
    D3DXVECTOR3 direction;  // zero: faces the player
};
struct FieldSpawner {
    std::uint32_t typeId = 0;
    D3DXVECTOR3 position;
    D3DXVECTOR3 direction{1.0F, 1.0F, 1.0F};
    std::uint32_t interval = 0;
    float leash = 10.0F;
};

// An item pick-up of a map (item id 0xFFFFFFFF: money; flag 0xFFFFFFFF: none).
struct FieldItem {
    std::uint32_t itemId = 0xFFFFFFFF;
    std::uint32_t flag = 0xFFFFFFFF;
    std::uint32_t money = 0;
    D3DXVECTOR3 position;
};

// A box the player walks into, facing its way, to change to another map ("map00/" + entry, or a
// whole name "file/entry").
struct FieldTrigger {
    D3DXVECTOR3 boxMinimum;
    D3DXVECTOR3 boxMaximum;
    D3DXVECTOR3 facing;
    std::string destination;
    D3DXVECTOR3 startPosition;
    D3DXVECTOR3 startDirection;
    D3DXVECTOR3 startCamera;
    std::uint32_t fadeMode = 0;
};

// A box that runs its script each step the player stands in it (the map data's script box).
struct FieldScriptBox {
    D3DXVECTOR3 minimum;
    D3DXVECTOR3 maximum;
    std::string scriptKey;
};

// A point the player faces and presses the action button near, within the radius, to change to
// another map (destination as for a box).
struct FieldActionTrigger {
    D3DXVECTOR3 point;
    float radius = 1.0F;
    std::string destination;
    D3DXVECTOR3 startPosition;
    D3DXVECTOR3 startDirection;
    D3DXVECTOR3 startCamera;
    std::uint32_t fadeMode = 0;
};

// Objects that run a script: a box stood in facing its way, a point faced with the action button
// pressed, and watchers of the defeated enemies (how many, or one of that type).
struct FieldFacingScript {
    D3DXVECTOR3 minimum;
    D3DXVECTOR3 maximum;
    D3DXVECTOR3 facing;
    std::string scriptKey;
};
struct FieldActionScript {
    D3DXVECTOR3 point;
    float radius = 1.0F;
    std::string scriptKey;
};
struct FieldDefeatScript {
    std::uint32_t value = 0;  // a count, or an enemy type
    std::string scriptKey;
};

struct FieldSavePointMark {
    std::uint32_t id = 0;
    D3DXVECTOR3 position;
};

// One map of a container in the map-data folder; its name is file + "/" + entry.
struct FieldMap {
    std::string file = "map00";
    std::string entry;
    std::uint32_t kind = 1;  // 0 town, 1 battle
    std::string display;
    std::string music;  // a name of the music table; empty: none
    bool fog = false;
    std::uint32_t fogColour = 0xFF000000;
    bool sky = true;
    bool entryPoint = true;  // the map's own start at FieldLayout::Start
    std::uint32_t cameraMode = 16;  // 16 follow, 32 keys, anything else: a camera record of that mode
    bool crate = true;                // a crate placed at FieldLayout::Crate
    std::uint32_t crateMaterial = 0;  // the crate's material index (0: its own materials)
    std::string spareName;  // a name record the game reads past; empty: none
    std::vector<std::string> villagers;  // set-up and conversation script keys
    std::vector<FieldItem> items;
    std::vector<FieldSavePointMark> savePoints;
    std::vector<FieldTrigger> triggers;
    // Battle maps: the enemy bounds record is written when any of these is set.
    std::uint32_t maxLive = 0;
    float spawnDistance = 0.0F;
    std::vector<FieldEnemy> enemies;
    std::vector<FieldSpawner> spawners;
    std::string minimap;  // an entry of "minimap.ptx"; empty: none
    std::string objectSet;  // the map's object-set name; empty: none written
    // The ground's mesh in the mesh folder's "map04/" and how far west it reaches (it spans to
    // FieldLayout::kSize in x and 0..kSize in z).
    std::string areaMesh = "field00.msh";
    float groundWest = 0.0F;
    // The width and depth of the visible ground's cells (the field's cell size unless told); the nine
    // round the camera's eye (not the hero it looks at) show.
    float meshCell = 10.0F;
    std::vector<FieldScriptBox> scriptBoxes;
    std::vector<FieldActionTrigger> actionTriggers;
    std::vector<FieldFacingScript> facingScripts;
    std::vector<FieldActionScript> actionScripts;
    std::vector<FieldDefeatScript> defeatCountScripts;
    std::vector<FieldDefeatScript> defeatScripts;
};

struct FieldLayout {
    static constexpr float kSize = 40.0F;        // the ground spans 0..40 in x and z at height 0
    static constexpr float kWallZ = 30.0F;       // a wall across the ground, facing -z
    static constexpr float kCellSize = 10.0F;    // mesh and collision cells
    static constexpr float kFollowDistance = 6.0F;
    static constexpr float kFollowHeight = 3.0F;
    static constexpr std::uint32_t kSavePoint = 1;  // the save point of the first battle map
    static constexpr float kWalkStep = 0.2F;        // a walking frame of the heroes' patterns
    static D3DXVECTOR3 Start() { return {20.0F, 0.0F, 10.0F}; }
    static D3DXVECTOR3 StartDirection() { return {0.0F, 0.0F, 1.0F}; }
    static D3DXVECTOR3 StartCamera() { return {20.0F, 3.0F, 4.0F}; }
    static D3DXVECTOR3 Crate() { return {14.0F, 0.5F, 16.0F}; }
    // The battle map's enemy stands beside the straight walk from the start to the wall, within
    // the spawn distance of all of it; the spawner lies farther than that from the whole walk.
    static D3DXVECTOR3 Enemy() { return {26.0F, 0.0F, 18.0F}; }
    static D3DXVECTOR3 Spawner() { return {38.0F, 0.0F, 20.0F}; }
    static constexpr float kSpawnDistance = 16.0F;
    static constexpr std::uint32_t kMaxLive = 2;
    static constexpr std::uint32_t kSpawnInterval = 60;
    // The town's people and things, in front of the start.
    static constexpr const char* kElder = "town04.pbsc/elder";
    static D3DXVECTOR3 Elder() { return {24.0F, 0.0F, 15.0F}; }
    static D3DXVECTOR3 TownSavePoint() { return {16.0F, 0.0F, 13.0F}; }
    static D3DXVECTOR3 TownPurse() { return {20.0F, 0.4F, 16.0F}; }
    static constexpr std::uint32_t kTownPurseMoney = 100;
    static constexpr std::uint32_t kTownPurseFlag = 0;
};

// A closed box of half sizes hx, hy, hz around (0, y0, 0), each side clockwise seen from outside,
// in one colour.
MeshFile BoxMesh(const std::string& name, float hx, float hy, float hz, std::uint32_t colour, float y0 = 0.0F);


// The enemy type of the battle map and its model; the enemy table holds it.
inline constexpr std::uint32_t kFieldEnemyType = 0;
inline constexpr const char* kFieldEnemyModel = "enemy00";
inline constexpr const char* kFieldMinimap = "map00";

// "battle" (kind 1, music "battle.ogg", sky, no fog, one enemy placed, one spawner, a minimap)
// and "town" (kind 0, music "town.ogg", fog, the elder, a save point and a purse of money).
std::vector<FieldMap> DefaultFieldMaps();
// The record stream of one map: area, projection, fog, sky, entry point, camera, the crate (where
// it has one).
MapStream FieldMapStream(const FieldMap& map);
// The music table of the maps: 10 "battle.ogg", 11 "town.ogg", 12 "other.ogg".
std::vector<std::pair<std::uint32_t, std::string>> FieldMusicTable();

// The attack table every battle map loads, "basic.bht" in the character-data folder: the id-0
// fallback and the sword swing of the player models (kPlayerModelSwingAttack).
std::vector<TAttackRecord> FieldAttackRecords();

// The sprites of "sprite.ptx" the field draws with (message window, enemy gauge, minimap), and
// the minimap picture kFieldMinimap of "minimap.ptx".
std::vector<PtxImage> FieldSprites();
PtxImage FieldMinimapPicture();

// The enemy record of kFieldEnemyType.
TEnemyRecord FieldEnemyRecord();
// One enemy type id of each class: A, B, C, D, E and the time-stopping one (without aura: it
// stops time only when its stop blow lands on the player).
inline constexpr std::uint32_t kFieldEnemyClassTypes[] = {0, 22, 2, 10011, 59, 10025};
// The scripts of the town's people: (script file in the map-data folder, its scripts' statements).
struct FieldScriptFile {
    std::string file;
    std::vector<std::pair<std::string, std::vector<std::string>>> scripts;
};
// The elder wears the model given.
std::vector<FieldScriptFile> FieldScripts(const std::string& elderModel = "heroine01");
// Those script files into root's map-data folder.
void WriteFieldScripts(const std::string& root, const std::vector<FieldScriptFile>& files);
// The meshes of map objects below the mesh folder: coin, bag, ring, the save point's mark.
std::vector<std::string> FieldObjectMeshes();

// Save point kSavePoint: the first map of DefaultFieldMaps at the start.
TSvpRecord FieldSavePoint();

// Writes every file of the field below root (folders made as needed). With writeTables the save
// point, weapon, hero, value, enemy and music tables with their music and the sprites are written
// too; a caller with tables of its own (the sample folder) writes them itself and takes the save
// point from FieldSavePoint and the enemy from FieldEnemyRecord.
void WriteFieldFolder(const std::string& root, const std::vector<FieldMap>& maps = DefaultFieldMaps(),
                      bool writeTables = true);
// The enemy table of root, with FieldEnemyRecord under each of the type ids.
void WriteFieldEnemyTable(const std::string& root, const std::vector<std::uint32_t>& typeIds);
// Short looping tones for the music of FieldMusicTable, into root's music folder.
void WriteFieldMusic(const std::string& root);

}  // namespace qmtest
