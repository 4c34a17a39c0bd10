// The maps' script spots and watchers: the town's sign, its mirror spot and the gap in its east
// fence; on the battle map the dark stone, and the watchers of the first win and of the strong
// enemy's defeat, which sends the party home.
#include "SampleData.h"
#include "formats/script_assembler.h"

namespace sample {

namespace {

constexpr const char* kScriptFile = "obj04.pbsc";

std::string Key(const char* name)
{
    return std::string(kScriptFile) + "/" + name;
}

std::string Number(float v)
{
    return "\"" + std::to_string(v) + "\"";
}

std::string Vector(const D3DXVECTOR3& v)
{
    return Number(v.x) + " " + Number(v.y) + " " + Number(v.z);
}

}  // namespace

void AddMapObjects(Catalogue& c)
{
    c.scripts.push_back(kScriptFile);
}

void AddTownObjects(qmtest::FieldMap& town)
{
    town.actionScripts.push_back({SampleLayout::TownSign(), SampleLayout::kSpotRadius, Key("sign")});
    town.facingScripts.push_back(
        {SampleLayout::MirrorMinimum(), SampleLayout::MirrorMaximum(), SampleLayout::MirrorFacing(), Key("mirror")});
    qmtest::FieldActionTrigger gap;
    gap.point = SampleLayout::EastGap();
    gap.radius = SampleLayout::kEastGapRadius;
    gap.destination = SampleLayout::kBattle;
    gap.startPosition = SampleLayout::BattleArrival();
    gap.startDirection = qmtest::FieldLayout::StartDirection();
    gap.startCamera = qmtest::FieldLayout::StartCamera();
    // Through white, unlike the gate.
    gap.fadeMode = 1;
    town.actionTriggers.push_back(gap);
}

void AddBattleObjects(qmtest::FieldMap& battle)
{
    battle.actionScripts.push_back({SampleLayout::DarkStone(), SampleLayout::kSpotRadius, Key("stone")});
    battle.defeatCountScripts.push_back({1, Key("firstWin")});
    battle.defeatScripts.push_back({SampleLayout::kStrongEnemyType, Key("strongWin")});
}

void WriteObjectScripts(const std::filesystem::path& root)
{
    const auto flagUp = [](std::uint32_t flag) { return "CALL @@SendMsg \"Flag\" 1 8 " + std::to_string(flag) + " 1"; };
    qmtest::ScriptFileWriter writer;
    // The first run asks for a conversation; the run that follows (from the top again, the
    // request made) reads the sign out.
    const std::string asked = std::to_string(SampleLayout::kSignAskedFlag);
    writer.Script("sign", {"CALL @@SendMsg \"Flag\" 0 8 " + asked, "IF g.$_ == 0", flagUp(SampleLayout::kSignAskedFlag),
                           "CALL @@SendMsg \"MapEvent\" 3", "END", "CALL @@SendMsg \"Flag\" 1 8 " + asked + " 0",
                           flagUp(SampleLayout::kSignReadFlag), "CALL @@SendMsg \"Text\" 4 \"立て札\"",
                           "CALL @@SendMsg \"Text\" 2 0 2",
                           "CALL @@SendMsg \"Text\" 0 \"東の柵の切れ目から草原へ出られます。／\"",
                           "CALL @@SendMsg \"Text\" 2 1 2"});
    writer.Script("mirror", {"CALL @@SendMsg \"MapEvent\" 4 " + std::to_string(SampleLayout::kMirrorLook)});
    writer.Script("stone", {"CALL @@SendMsg \"MapEvent\" 1"});
    writer.Script("firstWin", {flagUp(SampleLayout::kFirstWinFlag)});
    writer.Script("strongWin",
                  {flagUp(SampleLayout::kStrongWinFlag), "CALL @@SendMsg \"MapEvent\" 0 " +
                                                             Vector(SampleLayout::TownArrival()) + " " +
                                                             Vector(SampleLayout::TownArrivalDirection()) + " " +
                                                             Vector(SampleLayout::TownArrivalCamera()) + " 1 \"" +
                                                             SampleLayout::kTown + "\""});
    std::filesystem::create_directories(root / "data/scr04");
    writer.Save((root / "data/scr04" / kScriptFile).string());
}

}  // namespace sample
