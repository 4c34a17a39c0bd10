// A quiet meadow through the arena's south-west corner (and back through its own south-east one): its camera runs on
// a key, its crate is drawn adding its colour, its map description carries a spare name record, a purse
// lies there unflagged (it fades away when nobody takes it) and its one spawner stores a flat
// facing, so the scarecrow it sends looks a random way; the scarecrow's strikes stay out until they
// have landed twice, and it calls out in the partner's voice as it strikes. A post by the start
// trades with the bag through a script: three of item 2 in, two out, then five out refused.
#include "SampleData.h"

#include <algorithm>
#include <stdexcept>

#include "formats/byte_writer.h"
#include "formats/pattern_writer.h"
#include "formats/player_model_writer.h"
#include "formats/script_assembler.h"

namespace sample {

namespace {

constexpr const char* kScriptFile = "meadow04.pbsc";

std::string FlagUp(std::uint32_t flag) { return "CALL @@SendMsg \"Flag\" 1 8 " + std::to_string(flag) + " 1"; }

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
}

void WriteLeftoverFiles(const std::filesystem::path& root)
{
    // Each of the scarecrow's attack motions (and the plain swing) strikes with its held strike,
    // calls out and swishes.
    std::vector<std::vector<TPatternEvent>> patterns = qmtest::PlayerModelPatterns();
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
}

void JoinByCornerGates(qmtest::FieldMap& from, const char* fromName, const D3DXVECTOR3& fromMinimum,
                       const D3DXVECTOR3& fromMaximum, qmtest::FieldMap& to, const char* toName,
                       const D3DXVECTOR3& toMinimum, const D3DXVECTOR3& toMaximum)
{
    qmtest::FieldTrigger gate;
    gate.facing = {0.0F, 0.0F, -1.0F};
    gate.boxMinimum = fromMinimum;
    gate.boxMaximum = fromMaximum;
    gate.destination = toName;
    gate.startPosition = {38.0F, 0.0F, 5.0F};
    gate.startDirection = {0.0F, 0.0F, 1.0F};
    gate.startCamera = {38.0F, 3.0F, -1.0F};
    from.triggers.push_back(gate);
    gate.boxMinimum = toMinimum;
    gate.boxMaximum = toMaximum;
    gate.destination = fromName;
    gate.startPosition = {2.0F, 0.0F, 5.0F};
    gate.startCamera = {2.0F, 3.0F, -1.0F};
    to.triggers.push_back(gate);
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
    spawner.typeId = LeftoverLayout::kScarecrowType;
    spawner.position = LeftoverLayout::Spawner();
    spawner.direction = LeftoverLayout::SpawnerFacing();
    spawner.leash = 2.0F;
    meadow.spawners = {spawner};
    meadow.actionScripts.push_back({LeftoverLayout::Post(), 1.5F, std::string(kScriptFile) + "/post"});
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
