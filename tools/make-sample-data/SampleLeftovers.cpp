// A quiet meadow beside the battle map, reached only by the developers' roads: its camera runs on
// a key, its crate is drawn adding its colour, its map description carries a spare name record, a purse
// lies there unflagged (it fades away when nobody takes it) and its one spawner stores a flat
// facing, so the enemy it sends looks a random way. A post by the start trades with the bag through
// a script: three of item 2 in, two out, then five out refused.
#include "SampleData.h"
#include "formats/script_assembler.h"

namespace sample {

namespace {

constexpr const char* kScriptFile = "meadow04.pbsc";

std::string FlagUp(std::uint32_t flag) { return "CALL @@SendMsg \"Flag\" 1 8 " + std::to_string(flag) + " 1"; }

}  // namespace

void AddLeftoverContent(Catalogue& c)
{
    c.scripts.push_back(kScriptFile);
}

void WriteLeftoverScripts(const std::filesystem::path& root)
{
    const std::string item = std::to_string(LeftoverLayout::kTradeItem);
    qmtest::ScriptFileWriter writer;
    writer.Script("post", {"CALL @@SendMsg \"Flag\" 1 13 " + item + " 3", "CALL @@SendMsg \"Flag\" 1 14 " + item + " 2",
                           "IF g.$_ == 1", FlagUp(LeftoverLayout::kTakenFlag), "END",
                           "CALL @@SendMsg \"Flag\" 1 14 " + item + " 5", "IF g.$_ == 0",
                           FlagUp(LeftoverLayout::kRefusedFlag), "END"});
    std::filesystem::create_directories(root / "data/scr04");
    writer.Save((root / "data/scr04" / kScriptFile).string());
}

void AddLeftoverMap(std::vector<qmtest::FieldMap>& maps)
{
    qmtest::FieldMap meadow;
    meadow.file = SampleLayout::kMapFile;
    meadow.entry = LeftoverLayout::kEntry;
    meadow.kind = 1;
    meadow.display = "静かな野";
    meadow.music = "battle.ogg";
    meadow.cameraMode = 32;
    meadow.crateMaterial = LeftoverLayout::kCrateMaterial;
    meadow.spareName = "spare";
    meadow.items = {{0xFFFFFFFF, 0xFFFFFFFF, LeftoverLayout::kPurseMoney, LeftoverLayout::Purse()}};
    meadow.maxLive = 1;
    meadow.spawnDistance = LeftoverLayout::kSpawnDistance;
    qmtest::FieldSpawner spawner;
    spawner.typeId = qmtest::kFieldEnemyType;
    spawner.position = LeftoverLayout::Spawner();
    spawner.direction = LeftoverLayout::SpawnerFacing();
    spawner.leash = 2.0F;
    meadow.spawners = {spawner};
    meadow.actionScripts.push_back({LeftoverLayout::Post(), 1.5F, std::string(kScriptFile) + "/post"});
    maps.push_back(meadow);
}

}  // namespace sample
