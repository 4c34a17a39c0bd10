// The sample game folder: an original stand-in for the game data, made entirely from code
// (shapes, colours, tones), holding every file the game reads up to the scenes built so far.
//
// Whenever the game starts reading a new file, the catalogue and the writers here grow with it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "MainCode/GameData/TAccessoryTable.h"
#include "MainCode/GameData/THrdefTable.h"
#include "MainCode/GameData/TItemMeanTable.h"
#include "MainCode/GameData/TItemTable.h"
#include "MainCode/GameData/TSkillTable.h"
#include "MainCode/GameData/TSvpTable.h"
#include "MainCode/GameData/TWeponTable.h"
#include "dx/dx8/sound/TSoundTableReader.h"

namespace sample {

// The folders start-up hands to the loaders (relative to the game folder).
inline constexpr const char* kTextureFolder = "data/ptx04/";
inline constexpr const char* kMeshFolder = "data/msh04/";
inline constexpr const char* kSeFolder = "data/se04/";
inline constexpr const char* kMusicFolder = "data/bgm04/";
inline constexpr const char* kTableFolder = "data/tbl04/";
// The sky dome that start-up builds, inside the mesh folder.
inline constexpr const char* kSkyMesh = "sky/sky00.msh";

// One texture package and the entry names it holds, all pictures of one kind.
struct TexturePackage {
    enum class Picture { Icon, Panel };
    std::string file;  // inside the texture folder
    Picture picture = Picture::Icon;
    std::vector<std::string> entries;
};

// One sound list file (inside the table folder) and its ids.
struct SoundList {
    std::string file;
    std::vector<std::uint32_t> ids;
};

// Everything the folder holds, as the game's loaders must read it back.
struct Catalogue {
    // Every distinct folder of start-up's folder settings, except "save/" (the game makes it).
    std::vector<std::string> folders;

    std::vector<TItemRecord> items;
    std::vector<TWeponRecord> wepons;
    std::vector<TAccessoryRecord> accessories;
    std::vector<TItemMeanRecord> itemMeans;
    std::vector<TSkillRecord> skills;
    std::vector<TSvpRecord> savePoints;
    std::vector<THrdefRecord> heroes;

    // Sound id tables: se names are waves in "se.pse", bgm names ".ogg" files in the music folder.
    std::vector<TSoundTableEntry> se;
    std::vector<TSoundTableEntry> voice;
    std::vector<TSoundTableEntry> bgm;
    std::vector<SoundList> soundLists;
    // Music tracks that start with an intro ("_" + the track's file).
    std::vector<std::string> musicWithIntro;

    std::vector<TexturePackage> textures;
    std::vector<std::string> meshes;  // inside the mesh folder

    // The field: map names ("file/entry") in the map-data folder, and the characters' pattern
    // (".pat") and weapon-state (".wpm") files in "data/chrdata04/".
    std::vector<std::string> maps;
    std::vector<std::string> characterFiles;
    // Compiled script files in the map-data folder: the villagers' set-up and conversations.
    std::vector<std::string> scripts;
};

const Catalogue& GetCatalogue();

// Writes the whole folder into root (made when missing). Files of the folder are replaced;
// anything else there (saves, logs) is left alone. Throws std::runtime_error on a write failure.
void WriteSampleFolder(const std::filesystem::path& root);

}  // namespace sample
