#include "SampleData.h"
#include "formats/field_writer.h"

#include <algorithm>
#include <stdexcept>

#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/TInputDevice.h"
#include "dx/dx8/3d/TFrame.h"
#include "dx/dx8/3d/TMesh8.h"
#include "dx/dx8/3d/TTexture8.h"
#include "SampleParts.h"
#include "SampleScripts.h"
#include "formats/bht_writer.h"
#include "formats/byte_writer.h"
#include "formats/effect_assets.h"
#include "formats/enemy_table_writer.h"
#include "formats/game_table_writer.h"
#include "formats/ini_writer.h"
#include "formats/table_writer.h"

namespace sample {

namespace {

namespace fs = std::filesystem;

void Save(const fs::path& path, const std::vector<std::uint8_t>& bytes)
{
    fs::create_directories(path.parent_path());
    qmtest::SaveBytes(path.string(), bytes);
}

// What the settings tool writes for a windowed 640 × 480 game in 32-bit colour.
void WriteSettings(const fs::path& root)
{
    qmtest::IniWriter()
        .Section("CurrentSetting")
        .Key("ScreenMode", "Window")
        .Key("ScreenWidth", 640)
        .Key("ScreenHeight", 480)
        .Key("BitDepth", 32)
        .Key("BackBufferCount", 1)
        .Key("BackBufferCountLower", 1)
        .Key("MultiSample", "no")
        .Key("MinFilter", "D3DTEXF_LINEAR")
        .Key("MagFilter", "D3DTEXF_LINEAR")
        .Key("MipFilter", "D3DTEXF_NONE")
        .Key("View", 100)
        .Section("DeviceBehavior")
        .Key("BackBufferLockEnable", "no")
        .Section("DepthStencilFormat")
        .Key("Format00", "D3DFMT_D24S8")
        .Key("Format01", "D3DFMT_D16")
        .Section("CaptureCaps")
        .Key("CaptureType", 0)
        .Save((root / "setting.ini").string());
}

// The name input.ini uses for a key of the default bindings (arrows and letters).
std::string KeyName(std::uint32_t vk)
{
    switch (vk) {
    case 0x25: return "LEFT";
    case 0x26: return "UP";
    case 0x27: return "RIGHT";
    case 0x28: return "DOWN";
    default: return std::string(1, static_cast<char>(vk));
    }
}

// The default bindings written out, as the settings tool leaves them untouched.
void WriteInput(const fs::path& root)
{
    static const char* const kButtons[TInputDevice::kButtons] = {"UP", "DOWN", "LEFT", "RIGHT", "A", "B", "C", "D",
                                                                 "E",  "F",    "G",    "H",     "I", "J", "K", "L"};
    qmtest::IniWriter ini;
    ini.Section("Keyboard");
    for (int i = 0; i < TInputDevice::kButtons; ++i) {
        ini.Key(kButtons[i], KeyName(TInputDevice::kDefaultKeys[i]));
    }
    ini.Section("GamePad");
    for (int i = 0; i < TInputDevice::kButtons; ++i) {
        // Only the number after the first ten characters counts: 1 is up, 5 the first button.
        ini.Key(kButtons[i], "GamePadBtn" + std::to_string(TInputDevice::kDefaultPad[i] - TInputDevice::kPadUp + 1));
    }
    ini.Save((root / "input.ini").string());
}

std::vector<std::pair<std::uint32_t, std::string>> Pairs(const std::vector<TSoundTableEntry>& entries)
{
    std::vector<std::pair<std::uint32_t, std::string>> out;
    for (const TSoundTableEntry& e : entries) {
        out.emplace_back(e.id, e.name);
    }
    return out;
}

void WriteTables(const fs::path& root, const Catalogue& c)
{
    const fs::path tables = root / kTableFolder;
    // No enemy records until enemies exist: the common header alone.
    Save(tables / "enemy.tbl", qmtest::BuildEnemyTable(c.enemies));
    Save(tables / "wepon.tbl", qmtest::BuildGameTable(c.wepons));
    Save(tables / "itemmean.tbl", qmtest::BuildGameTable(c.itemMeans));
    Save(tables / "accessory.tbl", qmtest::BuildGameTable(c.accessories));
    Save(tables / "item.tbl", qmtest::BuildGameTable(c.items));
    Save(tables / "skill.tbl", qmtest::BuildGameTable(c.skills));
    Save(tables / "svp.tbl", qmtest::BuildGameTable(c.savePoints));
    Save(tables / "hrdef.tbl", qmtest::BuildGameTable(c.heroes));
    Save(tables / "se.tbl", qmtest::BuildSoundTable(Pairs(c.se)));
    Save(tables / "voice.tbl", qmtest::BuildSoundTable(Pairs(c.voice)));
    Save(tables / "bgm.tbl", qmtest::BuildSoundTable(Pairs(c.bgm)));
    for (const SoundList& list : c.soundLists) {
        Save(tables / list.file, qmtest::BuildSoundList(list.ids));
    }
    for (const SoundList& table : c.valueTables) {
        Save(tables / table.file, qmtest::BuildSoundList(table.ids));
    }
}

void WriteSounds(const fs::path& root, const Catalogue& c)
{
    Save(root / kSeFolder / "se.pse", BuildSePackage(c.se));
    if (!c.voice.empty()) {
        Save(root / kSeFolder / "voice.pse", BuildSePackage(c.voice));
    }
    for (const TSoundTableEntry& track : c.bgm) {
        Save(root / kMusicFolder / track.name, BuildMusic(track.id, 3.0));
        if (std::find(c.musicWithIntro.begin(), c.musicWithIntro.end(), track.name) != c.musicWithIntro.end()) {
            Save(root / kMusicFolder / ("_" + track.name), BuildMusic(track.id + 100, 1.0));
        }
    }
}

}  // namespace

void WriteSampleFolder(const fs::path& root)
{
    const Catalogue& c = GetCatalogue();
    for (const std::string& folder : c.folders) {
        fs::create_directories(root / folder);
    }
    WriteSettings(root);
    WriteInput(root);
    WriteTables(root, c);
    WriteSounds(root, c);
    for (const TexturePackage& package : c.textures) {
        Save(root / kTextureFolder / package.file, BuildTexturePackage(package));
    }
    // The field's maps, meshes and character files; the tables, music and sprites are the folder's own.
    qmtest::WriteFieldFolder(root.string(), SampleMaps(), false);
    qmtest::BhtFile attacks;
    attacks.records = c.attacks;
    Save(root / kCharacterDataFolder / "basic.bht", attacks.Build());
    WriteWorld(root);
    Save(root / kMeshFolder / kSkyMesh, SkyDome().Bytes());
    Save(root / kMeshFolder / kShadowMesh, ShadowDisc().Bytes());
    fs::create_directories(root / kMeshFolder / "wepon");
    for (const TWeponRecord& w : c.wepons) {
        Save(root / kMeshFolder / "wepon" / (w.MeshName + ".msh"), WeaponBlade(w.MeshName).Bytes());
    }
    for (const std::string& model : c.characterModels) {
        qmtest::WritePlayerModel((root / kMeshFolder).string(), (root / kCharacterDataFolder).string(), Figure(model));
    }
    WriteEnemyPatterns(root);
    // Every file the effect catalogue loads, where start-up's folders look.
    qmtest::WriteGameEffectAssets(root);
    WriteShopScripts(root);
    WriteObjectScripts(root);
    WriteEvents(root);
    WriteEnding(root);
    WriteLeftoverFiles(root);
    WriteEnemyArtsFiles(root);
    WriteHeroClassModels(root);
    WritePartnerClasses(root);
    WriteScriptFiles(root);
}

}  // namespace sample
