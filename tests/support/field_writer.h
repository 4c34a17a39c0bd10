// A small playable field written into a game folder: two maps (a battle area and a town) in one map
// container, their ground and walls as visible cells and as collision, a placed crate, the sky dome,
// the shadow, the player's models with pattern and weapon-state files, the tables play starts from
// (save point, weapons, heroes) and the music of both maps. Tests and the sample folder share it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "MainCode/GameData/TSvpTable.h"
#include "platform/d3dx8/d3dx8math.h"
#include "support/map_writer.h"
#include "support/mesh_writer.h"

namespace qmtest {

// An item pick-up of a map (item id 0xFFFFFFFF: money; flag 0xFFFFFFFF: none).
struct FieldItem {
    std::uint32_t itemId = 0xFFFFFFFF;
    std::uint32_t flag = 0xFFFFFFFF;
    std::uint32_t money = 0;
    D3DXVECTOR3 position;
};

struct FieldSavePointMark {
    std::uint32_t id = 0;
    D3DXVECTOR3 position;
};

// One map of the container "map00" in the map-data folder; its name is "map00/" + entry.
struct FieldMap {
    std::string entry;
    std::uint32_t kind = 1;  // 0 town, 1 battle
    std::string display;
    std::string music;  // a name of the music table; empty: none
    bool fog = false;
    std::uint32_t fogColour = 0xFF000000;
    bool sky = true;
    bool entryPoint = true;  // the map's own start at FieldLayout::Start
    std::uint32_t cameraMode = 16;  // 16 follow, 32 keys, anything else: a camera record of that mode
    std::vector<std::string> villagers;  // set-up and conversation script keys
    std::vector<FieldItem> items;
    std::vector<FieldSavePointMark> savePoints;
};

struct FieldLayout {
    static constexpr float kSize = 40.0F;        // the ground spans 0..40 in x and z at height 0
    static constexpr float kWallZ = 30.0F;       // a wall across the ground, facing -z
    static constexpr float kCellSize = 10.0F;    // mesh and collision cells
    static constexpr float kFollowDistance = 6.0F;
    static constexpr float kFollowHeight = 3.0F;
    static constexpr std::uint32_t kSavePoint = 1;  // the save point of the first battle map
    static D3DXVECTOR3 Start() { return {20.0F, 0.0F, 10.0F}; }
    static D3DXVECTOR3 StartDirection() { return {0.0F, 0.0F, 1.0F}; }
    static D3DXVECTOR3 StartCamera() { return {20.0F, 3.0F, 4.0F}; }
    static D3DXVECTOR3 Crate() { return {14.0F, 0.5F, 16.0F}; }
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

// "battle" (kind 1, music "battle.ogg", sky, no fog) and "town" (kind 0, music "town.ogg", fog,
// the elder, a save point and a purse of money).
std::vector<FieldMap> DefaultFieldMaps();
// The record stream of one map: area, projection, fog, sky, entry point, camera, the crate.
MapStream FieldMapStream(const FieldMap& map);
// The music table of the maps: 10 "battle.ogg", 11 "town.ogg", 12 "other.ogg".
std::vector<std::pair<std::uint32_t, std::string>> FieldMusicTable();

// The scripts of the town's people: (script file in the map-data folder, its scripts' statements).
struct FieldScriptFile {
    std::string file;
    std::vector<std::pair<std::string, std::vector<std::string>>> scripts;
};
std::vector<FieldScriptFile> FieldScripts();
// The meshes of map objects below the mesh folder: coin, bag, ring, the save point's mark.
std::vector<std::string> FieldObjectMeshes();

// Save point kSavePoint: the first map of DefaultFieldMaps at the start.
TSvpRecord FieldSavePoint();

// Writes every file of the field below root (folders made as needed). With writeTables the save
// point and weapon tables, the music table with its music and the window sprites are written too; a caller with tables of its
// own (the sample folder) writes them itself and takes the save point from FieldSavePoint.
void WriteFieldFolder(const std::string& root, const std::vector<FieldMap>& maps = DefaultFieldMaps(),
                      bool writeTables = true);
// Short looping tones for the music of FieldMusicTable, into root's music folder.
void WriteFieldMusic(const std::string& root);

}  // namespace qmtest
