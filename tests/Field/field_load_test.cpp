// Building an area from its map: fog and clear colour, the start and its jitter, music, the name
// notice, the refused maps; and the steps of the areas: menu, time stop, event codes, town scripts.
#include "Field/field_game_fixture.h"
#include "MainCode/Character/TVillager.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/GameData/TCharacterRecord.h"
#include "MainCode/GameData/TSkillTable.h"
#include "MainCode/Hud/TGetRender.h"
#include "MainCode/Hud/TSkillGauge.h"
#include "MainCode/Hud/TStatusPanel.h"
#include "support/character_probe.h"
#include "support/dx_probe.h"
#include "support/hud_probe.h"
#include "support/main_probe.h"
#include "support/map_probe.h"
#include "MainCode/GameData/TSvpTable.h"
#include "MainCode/Map/TAttackTable.h"
#include "MainCode/Map/TMapData.h"
#include "MainCode/Map/TMinimap.h"
#include "MainCode/Map/TMapObject.h"
#include "MainCode/Map/TMapScriptObject.h"
#include "MainCode/Map/TTownArea.h"
#include "MainCode/Menu/TMenuTopLoop.h"
#include "MainCode/Scene/TDieLoop.h"
#include "MainCode/Scene/TTitleLoop.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TStreamSound.h"
#include "formats/script_assembler.h"
#include "MainCode/Map/TCamera.h"
#include "TCommon/my_error.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include <cstring>

namespace fieldtest {
namespace {

std::vector<qmtest::FieldMap> LoadMaps()
{
    std::vector<qmtest::FieldMap> maps = qmtest::DefaultFieldMaps();
    const qmtest::FieldMap battle = maps[0];
    const qmtest::FieldMap town = maps[1];
    const auto add = [&maps](qmtest::FieldMap m, const char* entry) -> qmtest::FieldMap& {
        m.entry = entry;
        return maps.emplace_back(std::move(m));
    };
    add(battle, "bare").entryPoint = false;
    add(battle, "unknown").music = "nosuch.ogg";
    add(battle, "kind2").kind = 2;
    add(battle, "mode8").cameraMode = 8;
    add(town, "keys").cameraMode = 32;
    add(town, "people").villagers = {"talk.pbsc/again", "talk.pbsc/wait", "talk.pbsc/over"};
    add(battle, "camp").villagers = {"talk.pbsc/wait"};
    // An enemy placed high above the ground falls while it lives.
    qmtest::FieldMap& high = add(battle, "high");
    high.spawnDistance = 40.0F;
    high.spawners.clear();
    high.enemies = {{qmtest::kFieldEnemyType, {30.0F, 6.0F, 12.0F}, {0.0F, 0.0F, -1.0F}}};
    return maps;
}

// An object of the field-object list that answers a fixed code.
class CodeObject : public TMapObject {
public:
    CodeObject(TAreaBase* area, std::uint32_t code) : TMapObject(area), code_(code) {}
    std::uint32_t Update() override
    {
        ++updates;
        return code_;
    }
    void Finish() override { ++finishes; }
    int updates = 0;
    int finishes = 0;

private:
    std::uint32_t code_;
};

class FieldLoad : public FieldGame {
protected:
    void SetUp() override
    {
        FieldGame::SetUp();
        Start(LoadMaps());
        // Each villager is set up by the first statement of its own conversation.
        qmtest::ScriptFileWriter()
            .Script("again", {SetUp(14.0F), "CALL @@SendMsg \"MapEvent\" 3"})
            .Script("wait", {SetUp(20.0F), "CALL @@Wait"})
            .Script("over", {SetUp(26.0F), "CALL @@SendMsg \"MapEvent\" 1"})
            .Save("data/scr04/talk.pbsc");
        Steps(8);
    }
    // A villager in the player's model at x on the line z = 20, facing the start.
    static std::string SetUp(float x)
    {
        return "CALL @@SendMsg \"VillagerInfo\" 0 \"hero01\" 0 0 0 \"0.9\" \"0.8\" 0 \"-0.03\" 1 1 \"" +
               std::to_string(x) + "\" 0 20 0 0 -1";
    }
    // The player just in front of the villager, facing it, presses the action button for a step.
    void TalkTo(TFieldLoop* field, TVillager* villager)
    {
        const D3DXVECTOR3 at = PositionOf(villager);
        field->GetPlayer()->PlaceAt(D3DXVECTOR3(at.x, at.y, at.z - 1.5F), D3DXVECTOR3(0.0F, 0.0F, 1.0F));
        Press('Z');
    }
    TCharacterRecord* Leader() { return TGameData::GetInstance()->GetCharacterData(0); }
    static TSoundBank* Music() { return TDSound8::Instance()->GetBank(2); }
};

TEST_F(FieldLoad, FogDecidesTheClearColourAndNoFogClearsWhite)
{
    TFieldLoop* battle = Ready("battle");
    ASSERT_NE(battle, nullptr);
    EXPECT_EQ(battle->GetArea()->GetClearColour(), 0xFFFFFFFFu);
    EXPECT_EQ(TMapProbe::FogColour(*battle->GetArea()), 0xFFFFFFFFu);
    bool on = true;
    float start = 0.0F;
    float end = 0.0F;
    D3DCOLOR colour = 0;
    TD3D8::Instance()->GetFog(&on, &start, &end, &colour);
    EXPECT_FALSE(on);
    EXPECT_EQ(start, 100.0F);
    EXPECT_EQ(end, 200.0F);
    EXPECT_EQ(colour, 0xFFFFFFFFu);

    TFieldLoop* town = Ready("town");
    ASSERT_NE(town, nullptr);
    EXPECT_EQ(town->GetArea()->GetClearColour(), 0xFF8090A0u);
    EXPECT_EQ(TMapProbe::FogColour(*town->GetArea()), 0xFF8090A0u);
    TD3D8::Instance()->GetFog(&on, &start, &end, &colour);
    EXPECT_TRUE(on);
    EXPECT_EQ(colour, 0xFF8090A0u);
    EXPECT_EQ(Pixel(Screen(), 320, 5), 0x8090A0u);  // no sky: the clear colour above the wall
}

TEST_F(FieldLoad, AStartLandsJitteredFromTheScriptGeneratorAndTheGivenStartWins)
{
    SeedScriptRandom(1);
    const D3DXVECTOR3 at(25.0F, 0.0F, 12.0F);
    TFieldLoop* field = PushField("bare", at);
    ASSERT_NE(field, nullptr);
    D3DXVECTOR3 p = PositionOf(field->GetPlayer());
    EXPECT_NEAR(p.z - at.z, 0.0200375F, 2e-6F);
    EXPECT_NEAR(p.x - at.x, 0.0369076F, 2e-6F);
    EXPECT_EQ(p.y, at.y);

    // With the map's own start as well, the given one is placed last.
    TFieldLoop* second = PushField("battle", at);
    ASSERT_NE(second, nullptr);
    p = PositionOf(second->GetPlayer());
    EXPECT_GE(p.x - at.x, 0.02F);
    EXPECT_LE(p.x - at.x, 0.05F);
    EXPECT_GE(p.z - at.z, 0.02F);
    EXPECT_LE(p.z - at.z, 0.05F);
}

TEST_F(FieldLoad, TheMapNameNoticeIsClearedThenGivenKindFourAndTheName)
{
    TFieldLoop* field = PushField("battle");
    ASSERT_NE(field, nullptr);
    TGetRender* notice = field->GetGetRender();
    const std::vector<TGetRender::Notice> queue = THudProbe::Queue(*notice);
    ASSERT_EQ(queue.size(), 2u);
    EXPECT_EQ(queue[0].kind, TGetRender::kPause);
    EXPECT_EQ(queue[0].value, 25u);
    EXPECT_EQ(queue[1].kind, TGetRender::kText);
    EXPECT_EQ(queue[1].text, "試しの野");
}

TEST_F(FieldLoad, UnknownMusicStopsNothingAndKeptMusicLoadsWithoutRestarting)
{
    TFieldLoop* field = Ready("battle");
    ASSERT_NE(field, nullptr);
    // One more use of the battle music, as a scene placed beneath the field keeps it.
    Music()->Load(10);
    const TRefPtr<TStreamSound> held = Music()->Get(10);
    TStreamSound* battle = held.Get();
    ASSERT_EQ(TDxProbe::State(*battle), TStreamSound::kPlaying);

    TMapData unknown("map00/unknown", nullptr, nullptr, nullptr);
    field->ChangeMap(unknown);
    EXPECT_EQ(field->GetArea()->GetMusicId(), -1);
    EXPECT_EQ(TDxProbe::State(*battle), TStreamSound::kPlaying);

    TMapData town("map00/town", nullptr, nullptr, nullptr);
    town.SetKeepMusic(true);
    field->ChangeMap(town);
    EXPECT_EQ(field->GetArea()->GetMusicId(), 11);
    EXPECT_EQ(TDxProbe::UseCount(*Music(), 11), 1u);
    ASSERT_NE(Music()->Get(11).Get(), nullptr);
    EXPECT_NE(TDxProbe::State(*Music()->Get(11)), TStreamSound::kPlaying);
    EXPECT_EQ(TDxProbe::State(*battle), TStreamSound::kPlaying);
}

TEST_F(FieldLoad, MapsWithoutAnAreaKindOrCameraAndPairsWithoutAPlayerAreRefusedByName)
{
    // Each throws for the entry function to report; no field is left behind.
    const auto refusal = [&](const std::string& entry) {
        try {
            PushField(entry);
        } catch (const my_error& e) {
            return std::string(e.what());
        }
        return std::string("(built)");
    };
    EXPECT_NE(refusal("kind2").find("map00/kind2"), std::string::npos);
    EXPECT_NE(refusal("mode8").find("map00/mode8"), std::string::npos);
    Leader()->WeaponId = 1001;  // a spear: no class for the first character
    EXPECT_NE(refusal("battle").find("character 0 with weapon type 3"), std::string::npos);
    EXPECT_EQ(dynamic_cast<TTitleLoop*>(TMainProbe::CurrentScene(*app_)) != nullptr, true);
    Leader()->WeaponId = 1000;
    TFieldLoop* keys = PushField("keys");
    ASSERT_NE(keys, nullptr);
    EXPECT_EQ(keys->GetArea()->GetCamera()->GetMode(), TCamera::kKeyMode);
    // A map change to one of them throws the same way.
    TMapData kind2("map00/kind2", nullptr, nullptr, nullptr);
    EXPECT_THROW(keys->ChangeMap(kind2), my_error);
}

TEST_F(FieldLoad, ATownHasNoEnemiesAndFindsOnlyThePlayerBattleMapsHaveNoVillagers)
{
    TFieldLoop* town = Ready("people");
    ASSERT_NE(town, nullptr);
    TAreaBase* area = town->GetArea();
    EXPECT_EQ(area->GetEnemies(), nullptr);
    EXPECT_EQ(TMapProbe::Villagers(*area).size(), 3u);
    EXPECT_EQ(TCharacterProbe::IsWeaponModelLoaded(*town->GetPlayer()), 0);
    const std::uint32_t id = town->GetPlayer()->GetObjectId();
    EXPECT_EQ(area->FindObject(id), town->GetPlayer());
    EXPECT_EQ(area->FindObject(id + 1), nullptr);
    EXPECT_EQ(area->FindObject(0xFFFFFFFF), nullptr);

    TFieldLoop* camp = Ready("camp");
    ASSERT_NE(camp, nullptr);
    EXPECT_NE(camp->GetArea()->GetEnemies(), nullptr);
    EXPECT_TRUE(TMapProbe::Villagers(*camp->GetArea()).empty());
    EXPECT_EQ(TCharacterProbe::IsWeaponModelLoaded(*camp->GetPlayer()), 1);
}

TEST_F(FieldLoad, TheMenuButtonPushesThePauseMenuAndNothingElseMoves)
{
    TFieldLoop* field = Ready("battle");
    ASSERT_NE(field, nullptr);
    const D3DXVECTOR3 before = PositionOf(field->GetPlayer());
    Hold(VK_UP, true);
    Hold('B', true);
    Step();
    Hold('B', false);
    Hold(VK_UP, false);
    auto* menu = dynamic_cast<TMenuTopLoop*>(TMainProbe::CurrentScene(*app_));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->GetField(), field);
    const D3DXVECTOR3 after = PositionOf(field->GetPlayer());
    EXPECT_EQ(after.x, before.x);
    EXPECT_EQ(after.z, before.z);
    EXPECT_EQ(field->GetPlayer()->GetState(), 0u);

    // A skipped draw leaves the back buffer alone.
    field->SkipNextDraw();
    TD3D8::Instance()->Clear(0xFFFF00FF, D3DCLEAR_TARGET, 1.0F, 0, 0, nullptr);
    field->DrawArea();
    EXPECT_FALSE(TMapProbe::IsDrawSkipPending(*field));
    EXPECT_EQ(Pixel(Screen(), 320, 240), 0xFF00FFu);

    // Closed with "E" once its windows are in; play resumes when it has faded out, and the closing
    // refreshes the panel: its full mark is built again.
    field->GetStatusPanel()->GetFullMark(0) = TSprite();
    Steps(57);
    Press('B');
    for (int i = 0; i < 100 && CurrentField() != field; ++i) {
        Step();
    }
    EXPECT_EQ(CurrentField(), field);
    EXPECT_TRUE(TDxProbe::Image(field->GetStatusPanel()->GetFullMark(0)).HasTexture());
}

TEST_F(FieldLoad, StoppedTimeHoldsThePlayerWhileTheEnemiesMovementPassRuns)
{
    TFieldLoop* field = Ready("high");
    ASSERT_NE(field, nullptr);
    TEnemyFactory* enemies = field->GetArea()->GetEnemies();
    ASSERT_NE(enemies, nullptr);
    ASSERT_EQ(enemies->GetLive().size(), 1u);
    const TRefPtr<TEnemy> enemy = enemies->GetLive().begin()->second;
    const D3DXVECTOR3 before = PositionOf(field->GetPlayer());
    const float height = PositionOf(enemy.Get()).y;
    ASSERT_GT(height, 1.0F);
    // Stopped as the time-stopping enemy stops it: a board before the camera, the player's place kept.
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    SetTimeStopBoard(TRefPtr<TFrame>(new TFrame("board", identity, nullptr)));
    SetTimeStop(true, field->GetArea()->GetCamera()->GetFrame(), field->GetPlayer());
    Hold(VK_UP, true);
    Steps(8);
    Hold(VK_UP, false);
    SetTimeStop(false, nullptr, nullptr);
    const D3DXVECTOR3 after = PositionOf(field->GetPlayer());
    EXPECT_EQ(after.z, before.z);
    EXPECT_EQ(after.x, before.x);
    EXPECT_EQ(CurrentField(), field);
    EXPECT_LT(PositionOf(enemy.Get()).y, height);
    EXPECT_EQ(enemies->GetLive().size(), 1u);
}

// On the ground each step puts the player back where he stood; in a jump only the stop holds him.
TEST_F(FieldLoad, StoppedTimeHoldsAJumpingPlayerInTheAirUntilItEnds)
{
    TFieldLoop* field = Ready("high");
    ASSERT_NE(field, nullptr);
    TPlayerCharacter* player = field->GetPlayer();
    const float ground = PositionOf(player).y;
    Press('C');
    Steps(3);
    ASSERT_GT(TCharacterProbe::Velocity(*player).y, 0.0F);
    const D3DXVECTOR3 held = PositionOf(player);
    ASSERT_GT(held.y, ground + 0.1F);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    SetTimeStopBoard(TRefPtr<TFrame>(new TFrame("board", identity, nullptr)));
    SetTimeStop(true, field->GetArea()->GetCamera()->GetFrame(), player);
    for (int step = 1; step <= 20; ++step) {
        Step();
        const D3DXVECTOR3 p = PositionOf(player);
        EXPECT_EQ(p.x, held.x) << step;
        EXPECT_EQ(p.y, held.y) << step;
        EXPECT_EQ(p.z, held.z) << step;
    }
    SetTimeStop(false, nullptr, nullptr);
    // The jump goes on from where it stopped: still rising, then falling (5) and landing (6).
    Step();
    EXPECT_GT(PositionOf(player).y, held.y);
    for (int i = 0; i < 100 && (player->GetState() == 4u || player->GetState() == 5u); ++i) {
        Step();
    }
    EXPECT_EQ(player->GetState(), 6u);
    EXPECT_NEAR(PositionOf(player).y, ground, 0.05F);
}

TEST_F(FieldLoad, EventCodesStopTheObjectWalkSkipTheRestOrEndTheField)
{
    TFieldLoop* field = Ready("battle");
    ASSERT_NE(field, nullptr);
    TAreaBase* area = field->GetArea();
    auto* first = new CodeObject(area, 1);
    auto* gone = new CodeObject(area, 1);
    auto* phase = new CodeObject(area, TAreaBase::kEventPhaseSet);
    auto* later = new CodeObject(area, 1);
    for (TMapObject* o : std::initializer_list<TMapObject*>{first, gone, phase, later}) {
        area->AddObject(TRefPtr<TMapObject>(o));
    }
    gone->Deactivate();
    const D3DXMATRIX target = *TMapProbe::CameraTarget(*area)->GetMatrix();
    const D3DXVECTOR3 before = PositionOf(field->GetPlayer());
    Hold(VK_UP, true);
    Step();
    Hold(VK_UP, false);
    EXPECT_EQ(first->updates, 1);
    EXPECT_EQ(phase->updates, 1);
    EXPECT_EQ(later->updates, 0);
    // The inactive one was finished and dropped in the same walk; the map's death watch stays.
    EXPECT_EQ(TMapProbe::Objects(*area).size(), 4u);
    // Movement, collision and camera waited for the next step.
    EXPECT_EQ(PositionOf(field->GetPlayer()).z, before.z);
    EXPECT_EQ(std::memcmp(TMapProbe::CameraTarget(*area)->GetMatrix(), &target, sizeof target), 0);
    EXPECT_EQ(CurrentField(), field);

    area->AddObject(TRefPtr<TMapObject>(new CodeObject(area, TAreaBase::kEventTitle)));
    phase->Deactivate();
    Step();
    EXPECT_NE(CurrentField(), field);  // the field ended; the title below it runs
    EXPECT_NE(dynamic_cast<TTitleLoop*>(TMainProbe::CurrentScene(*app_)), nullptr);
}

TEST_F(FieldLoad, EventCodeClassesAtTheirBounds)
{
    EXPECT_EQ(TAreaBase::MapEventCode(9999), 0u);
    EXPECT_EQ(TAreaBase::MapEventCode(10000), 0u);
    EXPECT_EQ(TAreaBase::MapEventCode(10001), 1u);
    EXPECT_EQ(TAreaBase::MapEventCode(10002), 2u);
    EXPECT_EQ(TAreaBase::MapEventCode(10003), 3u);
    EXPECT_EQ(TAreaBase::MapEventCode(10004), 2u);
    EXPECT_EQ(TAreaBase::MapEventCode(10005), 2u);
    EXPECT_EQ(TAreaBase::MapEventCode(10006), 0u);
    EXPECT_EQ(TAreaBase::MapEventCode(0x2710 | 0x10000), 0u);
}

TEST_F(FieldLoad, ATownScriptHoldsTheMenuAndASecondConversationRequestEndsItsRun)
{
    TFieldLoop* field = Ready("people");
    ASSERT_NE(field, nullptr);
    auto* town = dynamic_cast<TTownArea*>(field->GetArea());
    ASSERT_NE(town, nullptr);
    TVillager* again = TMapProbe::Villagers(*town)[0].Get();
    TVillager* waiting = TMapProbe::Villagers(*town)[1].Get();

    TalkTo(field, waiting);
    ASSERT_TRUE(TMapProbe::IsInScriptState(*town));
    EXPECT_EQ(town->GetTalkingVillager(), waiting);
    Press('B');
    EXPECT_EQ(CurrentField(), field);  // no pause menu while a script runs
    EXPECT_TRUE(TMapProbe::IsInScriptState(*town));
    TScriptProcessManager::Get()->SetHostWait(0);
    Step();
    EXPECT_FALSE(TMapProbe::IsInScriptState(*town));
    EXPECT_FALSE(waiting->IsTalking());

    // MapEvent 3 inside a conversation: its stop is never released; the run is ended.
    TalkTo(field, again);
    ASSERT_TRUE(TMapProbe::IsInScriptState(*town));
    Step();
    EXPECT_FALSE(TMapProbe::IsInScriptState(*town));
    EXPECT_FALSE(town->IsScriptActive());
    EXPECT_EQ(CurrentField(), field);
    Steps(3);
    EXPECT_EQ(CurrentField(), field);
}

TEST_F(FieldLoad, AGameOverFromATownScriptEndsTheFieldIntoThePlacedScene)
{
    TFieldLoop* field = PlayFromTitle("people");
    ASSERT_NE(field, nullptr);
    auto* town = dynamic_cast<TTownArea*>(field->GetArea());
    TVillager* over = TMapProbe::Villagers(*town)[2].Get();
    TalkTo(field, over);
    Step();
    EXPECT_NE(CurrentField(), field);
    EXPECT_NE(dynamic_cast<TDieLoop*>(TMainProbe::CurrentScene(*app_)), nullptr);
}

// An object's conversation is run again from the top; a game over at its end ends the town as a
// villager's does, and does not wait behind the town for the next scene change.
TEST_F(FieldLoad, AGameOverAtTheEndOfAnObjectsConversationEndsTheField)
{
    qmtest::ScriptFileWriter()
        .Script("ask", {"CALL @@SendMsg \"Flag\" 0 8 7", "IF g.$_ == 0", "CALL @@SendMsg \"Flag\" 1 8 7 1",
                        "CALL @@SendMsg \"MapEvent\" 3", "END", "CALL @@SendMsg \"MapEvent\" 1"})
        .Save("data/scr04/ask.pbsc");
    TFieldLoop* field = PlayFromTitle("people");
    ASSERT_NE(field, nullptr);
    auto* town = dynamic_cast<TTownArea*>(field->GetArea());
    ASSERT_NE(town, nullptr);
    const D3DXVECTOR3 at = PositionOf(field->GetPlayer());
    town->AddObject(TRefPtr<TMapObject>(new TMapScriptBox(town, at - D3DXVECTOR3(1.0F, 1.0F, 1.0F),
                                                          at + D3DXVECTOR3(1.0F, 1.0F, 1.0F), "ask.pbsc/ask")));
    testing::internal::CaptureStderr();
    Step();
    EXPECT_TRUE(TMapProbe::IsInScriptState(*town));
    Steps(2);
    // Read from the run's own module: no complaint of a run stopped for nothing.
    EXPECT_EQ(testing::internal::GetCapturedStderr().find("stopped in town"), std::string::npos);
    EXPECT_NE(CurrentField(), field);
    EXPECT_NE(dynamic_cast<TDieLoop*>(TMainProbe::CurrentScene(*app_)), nullptr);
}

TEST_F(FieldLoad, ChangingThePlayerKeepsPoseAndMotion)
{
    TFieldLoop* field = Ready("battle");
    ASSERT_NE(field, nullptr);
    Hold(VK_RIGHT, true);
    Steps(5);
    Hold(VK_RIGHT, false);
    TPlayerPose before;
    field->GetPlayer()->GetPose(&before);
    TPlayerCharacter* old = field->GetPlayer();
    // The gauge shows the new character's skills: its slot 0 holds a skill with the icon "act02_skl".
    TGameData::GetInstance()->GetCharacterData(1)->SkillSlot[0] = 7;
    TSkillTable::Get(7).SubKind = 2;
    ASSERT_TRUE(field->ChangePlayer(1));
    TPlayerCharacter* now = field->GetPlayer();
    ASSERT_NE(now, old);
    EXPECT_EQ(TCharacterProbe::WeaponModelName(*now), "heroine01");
    EXPECT_EQ(field->GetArea()->GetPlayer(), now);
    TPlayerPose after;
    now->GetPose(&after);
    EXPECT_EQ(std::memcmp(&after.matrix, &before.matrix, sizeof before.matrix), 0);
    EXPECT_EQ(after.state, before.state);
    EXPECT_EQ(after.motionTime, before.motionTime);
    EXPECT_EQ(after.velocity.x, before.velocity.x);
    EXPECT_EQ(field->GetArea()->FindObject(now->GetObjectId()), now);
    EXPECT_EQ(TDxProbe::Image(field->GetSkillGauge()->GetSlotIcons()[0]).GetName(), "skl_icon.ptx/act02_skl");
    EXPECT_FALSE(TDxProbe::Image(field->GetSkillGauge()->GetSlotIcons()[1]).HasTexture());
    EXPECT_EQ(TGameData::GetInstance()->GetActiveCharacter(), 1);
}

// A battle field built while another is still up (a field scene over a field) fills the table
// for itself: the older one's end leaves it, the newer one's end empties it.
TEST_F(FieldLoad, AnOlderBattleFieldsEndLeavesTheTableANewerOneFilled)
{
    const auto battle = [&] {
        return std::unique_ptr<TFieldLoop>(TFieldLoop::CreateAtPosition(app_.get(), "map00/battle",
                                                                       qmtest::FieldLayout::Start(),
                                                                       qmtest::FieldLayout::StartDirection(),
                                                                       qmtest::FieldLayout::StartCamera()));
    };
    TAttackTable::Clear();
    std::unique_ptr<TFieldLoop> older = battle();
    ASSERT_NE(older, nullptr);
    std::unique_ptr<TFieldLoop> newer = battle();
    ASSERT_NE(newer, nullptr);
    older.reset();
    EXPECT_EQ(TMapProbe::AttackCount(), qmtest::FieldAttackRecords().size());
    EXPECT_EQ(TAttackTable::Get(100).Lifetime, 6u) << "the swing of the field's players";
    newer.reset();
    EXPECT_EQ(TMapProbe::AttackCount(), 0u);
}

TEST_F(FieldLoad, BattleMapsFillTheAttackTableAndTheirAreaEmptiesItTownsLeaveItAlone)
{
    const std::vector<TAttackRecord> records = qmtest::FieldAttackRecords();
    TAttackTable::Clear();
    std::unique_ptr<TFieldLoop> field(TFieldLoop::CreateAtPosition(app_.get(), "map00/battle",
                                                                   qmtest::FieldLayout::Start(),
                                                                   qmtest::FieldLayout::StartDirection(),
                                                                   qmtest::FieldLayout::StartCamera()));
    ASSERT_NE(field, nullptr);
    ASSERT_EQ(TMapProbe::AttackCount(), records.size());
    for (const TAttackRecord& r : records) {
        ASSERT_TRUE(TMapProbe::HasAttack(r.Id)) << r.Id;
        EXPECT_EQ(TAttackTable::Get(r.Id).Lifetime, r.Lifetime) << r.Id;
        EXPECT_EQ(TAttackTable::Get(r.Id).Radius, r.Radius) << r.Id;
    }

    // Leaving the battle map empties it; the town loads none.
    TMapData town("map00/town", nullptr, nullptr, nullptr);
    field->ChangeMap(town);
    EXPECT_EQ(TMapProbe::AttackCount(), 0u);
    // Nor does a town's end empty it.
    TAttackTable::Load("basic.bht");
    TMapData again("map00/town", nullptr, nullptr, nullptr);
    field->ChangeMap(again);
    EXPECT_EQ(TMapProbe::AttackCount(), records.size());

    TMapData battle("map00/battle", nullptr, nullptr, nullptr);
    TAttackTable::Clear();
    field->ChangeMap(battle);
    EXPECT_EQ(TMapProbe::AttackCount(), records.size());
    // The field's end takes the battle area and the table with it.
    field.reset();
    EXPECT_EQ(TMapProbe::AttackCount(), 0u);
}

TEST_F(FieldLoad, TheMinimapTurnsWithThePlayerEveryStep)
{
    TFieldLoop* field = Ready("battle");
    ASSERT_NE(field, nullptr);
    const TMinimap* minimap = field->GetMinimap();
    ASSERT_NE(minimap, nullptr);
    EXPECT_NEAR(TMapProbe::Heading(*minimap), 0.0F, 1e-4F);  // facing +z
    // The player turns toward the held direction a little every step: right turns the heading up,
    // left back down; every step the heading is the player's own (walks go by the camera, which
    // looks not quite along +z).
    for (const auto& turn : {std::pair<int, float>{VK_RIGHT, 1.0F}, {VK_LEFT, -1.0F}}) {
        float last = TMapProbe::Heading(*minimap);
        Hold(turn.first, true);
        for (int step = 0; step < 7; ++step) {
            Step();
            D3DXVECTOR3 front;
            field->GetPlayer()->GetFront(&front);
            EXPECT_NEAR(TMapProbe::Heading(*minimap), std::atan2(front.x, front.z), 1e-4F) << turn.first << " " << step;
            // The first step only starts the walk.
            if (step > 0) {
                EXPECT_GT((TMapProbe::Heading(*minimap) - last) * turn.second, 0.0F) << turn.first << " " << step;
            }
            last = TMapProbe::Heading(*minimap);
        }
        Hold(turn.first, false);
        Step();
    }
}

}  // namespace
}  // namespace fieldtest
