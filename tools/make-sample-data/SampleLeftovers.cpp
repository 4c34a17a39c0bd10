// A quiet meadow beside the battle map, reached only by the developers' roads: its camera runs on
// a key, its crate is drawn adding its colour, its map description carries a spare name record, a purse
// lies there unflagged (it fades away when nobody takes it) and its one spawner stores a flat
// facing, so the enemy it sends looks a random way.
#include "SampleData.h"

namespace sample {

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
    maps.push_back(meadow);
}

}  // namespace sample
