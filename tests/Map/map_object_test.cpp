// Map objects that run scripts or change the map: the probe and conversation runs, the triggers'
// box, facing and action tests at their bounds, the script spots, the defeat and death watchers,
// the save point, and the order the map data builds them in.
#include "MainCode/Character/TEnemy.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TFieldPhase.h"
#include "MainCode/Map/TMapData.h"
#include "MainCode/Map/TMapItem.h"
#include "MainCode/Map/TMapSavePoint.h"
#include "MainCode/Map/TMapScriptObject.h"
#include "MainCode/Map/TMapTrigger.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/Scene/TDieLoop.h"
#include "Map/map_object_fixture.h"
#include "dx/dx8/sound/TDSound8.h"
#include "formats/field_writer.h"
#include "formats/map_writer.h"
#include "support/character_probe.h"
#include "support/effect_create_recorder.h"
#include "support/dx_probe.h"
#include "support/main_probe.h"
#include "support/scene_probe.h"

#include <cstring>
#include <list>
#include <memory>
#include "support/map_probe.h"
#include "support/script_probe.h"

namespace maptest {
namespace {

const char kFlagUp[] = "CALL @@SendMsg \"Flag\" 1 8 5 1";

std::uint8_t Flag5() { return TGameData::GetInstance()->GetFlag(5); }
void ClearFlag5() { TGameData::GetInstance()->SetFlag(5, 0); }

// Runs the script of the key through a bare object of the area.
class Runner : public TMapObject {
public:
    using TMapObject::TMapObject;
    std::uint32_t Update() override { return kNothing; }
};

class ScriptRun : public MapObjectTest {};

TEST_F(ScriptRun, WithoutAMapEventCallTheResultIsOneAndNothingStaysQueued)
{
    Open("battle");
    Scripts({{"plain", {kFlagUp}}, {"held", {kFlagUp, "CALL @@Wait", "CALL @@SendMsg \"Flag\" 1 8 6 1"}}});
    Runner object(area_);
    EXPECT_EQ(object.RunScript("obj.pbsc/plain"), 1u);
    EXPECT_EQ(TScriptProcessManager::Get(), nullptr);
    EXPECT_EQ(Flag5(), 1);  // what the probe did stays done

    // A probe that holds at another statement is dropped there: the rest never runs.
    ClearFlag5();
    EXPECT_EQ(object.RunScript("obj.pbsc/held"), 1u);
    EXPECT_EQ(Flag5(), 1);
    EXPECT_EQ(TGameData::GetInstance()->GetFlag(6), 0);
    EXPECT_EQ(TScriptProcessManager::Get(), nullptr);
}

TEST_F(ScriptRun, AMapChangeInTheProbeSetsThePhaseThatFrame)
{
    Open("battle");
    Scripts({{"go", {"CALL @@SendMsg \"MapEvent\" 0 1 0 2 0 \"0.5\" 1 3 4 5 1 \"map00/town\""}}});
    Runner object(area_);
    EXPECT_EQ(object.RunScript("obj.pbsc/go"), 10001u);
    const auto* phase = dynamic_cast<const TMapChangePhase*>(TMapProbe::Phase(*field_));
    ASSERT_NE(phase, nullptr);
    EXPECT_EQ(TMapProbe::MapData(*phase).GetMapName(), "map00/town");
    // The script's map change went through a trigger: its facing is level.
    EXPECT_EQ(TMapProbe::MapData(*phase).GetStartDirection(), D3DXVECTOR3(0.0F, 0.0F, 1.0F));
    EXPECT_EQ(TScriptProcessManager::Get(), nullptr);
}

TEST_F(ScriptRun, AConversationRequestQueuesTheScriptAgainFromItsStartWithEveryModule)
{
    Open("battle");
    Scripts({{"talk",
              {"CALL @@SendMsg \"Flag\" 0 8 5", "g.n = g.$_ + 1", "CALL @@SendMsg \"Flag\" 1 8 5 g.n",
               "CALL @@SendMsg \"MapEvent\" 3", "CALL @@SendMsg \"Flag\" 1 8 6 1"}}});
    Runner object(area_);
    EXPECT_EQ(object.RunScript("obj.pbsc/talk"), 10003u);
    EXPECT_EQ(Flag5(), 1);
    TScriptProcessManager* manager = TScriptProcessManager::Get();
    ASSERT_NE(manager, nullptr);
    for (const char* name : {"Text", "Flag", "MapEvent", "Shop"}) {
        EXPECT_NE(manager->FindModule(name), nullptr) << name;
    }
    EXPECT_EQ(manager->FindModule("VillagerInfo"), nullptr);
    EXPECT_EQ(TScriptProbe::TaskCount(*manager), 1u);
    EXPECT_EQ(manager->GetStop(), 0);
    EXPECT_EQ(TScriptProbe::ModuleWait(*manager), 0);
    // The field runs it: the statements before the request run a second time.
    EXPECT_EQ(manager->Step(), TScriptProcessManager::kHeld);
    EXPECT_EQ(Flag5(), 2);
    EXPECT_EQ(TGameData::GetInstance()->GetFlag(6), 0);
}

class Triggers : public MapObjectTest {
protected:
    TMapTriggerBox* Box(std::uint32_t mode = 1)
    {
        box_ = std::make_unique<TMapTriggerBox>(area_, D3DXVECTOR3(10, 0, 10), D3DXVECTOR3(12, 2, 12),
                                                D3DXVECTOR3(0, 0, 1), D3DXVECTOR3(5, 0, 6), D3DXVECTOR3(0, 7, -1),
                                                D3DXVECTOR3(5, 3, 0), mode, "map00/town");
        return box_.get();
    }
    // Steps the trigger n times; the codes it answered.
    static std::vector<std::uint32_t> Steps(TMapObject* object, int n)
    {
        std::vector<std::uint32_t> codes;
        for (int i = 0; i < n; ++i) {
            codes.push_back(object->Update());
        }
        return codes;
    }
    std::unique_ptr<TMapTriggerBox> box_;
};

TEST_F(Triggers, ABoxFiresOnTheFifteenthConsecutiveStepInsideAndFacing)
{
    Open("battle");
    TMapTriggerBox* box = Box();
    EXPECT_EQ(TMapProbe::Centre(*box), D3DXVECTOR3(11, 1, 11));
    EXPECT_EQ(TMapProbe::Destination(*box).direction, D3DXVECTOR3(0, 0, -1));  // y dropped

    // Facing away: nothing counts.
    Stand(D3DXVECTOR3(11, 0, 11), D3DXVECTOR3(0, 0, -1));
    EXPECT_EQ(Steps(box, 30), std::vector<std::uint32_t>(30, 1));
    EXPECT_EQ(TMapProbe::Counter(*box), 0);

    // Ten steps, one step out, then the count starts again.
    Stand(D3DXVECTOR3(11, 0, 11), D3DXVECTOR3(0, 0, 1));
    Steps(box, 10);
    EXPECT_EQ(TMapProbe::Counter(*box), 10);
    Stand(D3DXVECTOR3(12.01F, 0, 11), D3DXVECTOR3(0, 0, 1));
    EXPECT_EQ(box->Update(), 1u);
    EXPECT_EQ(TMapProbe::Counter(*box), 0);
    // On the maximum corner itself (bounds included).
    Stand(D3DXVECTOR3(12, 0, 12), D3DXVECTOR3(0, 0, 1));
    EXPECT_EQ(Steps(box, 14), std::vector<std::uint32_t>(14, 1));
    EXPECT_EQ(TMapProbe::Phase(*field_), nullptr);
    EXPECT_EQ(box->Update(), 10001u);
    const auto* phase = dynamic_cast<const TMapChangePhase*>(TMapProbe::Phase(*field_));
    ASSERT_NE(phase, nullptr);
    EXPECT_EQ(TMapProbe::MapData(*phase).GetMapName(), "map00/town");
    EXPECT_EQ(TMapProbe::MapData(*phase).GetStartPosition(), D3DXVECTOR3(5, 0, 6));
    EXPECT_EQ(TMapProbe::MapData(*phase).GetStartDirection(), D3DXVECTOR3(0, 0, -1));
    EXPECT_EQ(TMapProbe::MapData(*phase).GetStartCameraPosition(), D3DXVECTOR3(5, 3, 0));
    EXPECT_EQ(TMainProbe::Colour(TMapProbe::Quad(*phase)) & 0xFFFFFFu, 0xFFFFFFu);  // mode 1: through white
}

TEST_F(Triggers, ABoxChecksHeightStateAndTheAngleAtItsBounds)
{
    Open("battle");
    TMapTriggerBox* box = Box();
    // Above the box.
    Stand(D3DXVECTOR3(11, 2.01F, 11), D3DXVECTOR3(0, 0, 1));
    Steps(box, 20);
    EXPECT_EQ(TMapProbe::Counter(*box), 0);
    // Only walking (states 2 and 3) counts.
    const std::pair<std::uint32_t, int> states[] = {{1, 0}, {2, 1}, {3, 1}, {4, 0}};
    for (const auto& [state, counted] : states) {
        Stand(D3DXVECTOR3(11, 0, 11), D3DXVECTOR3(0, 0, 1), state);
        box->Update();
        EXPECT_EQ(TMapProbe::Counter(*box), counted) << state;
        Stand(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 1));
        box->Update();
    }
    // Just under 50 degrees counts, just over does not.
    Stand(D3DXVECTOR3(11, 0, 11), Heading(49.9F));
    box->Update();
    EXPECT_EQ(TMapProbe::Counter(*box), 1);
    Stand(D3DXVECTOR3(11, 0, 11), Heading(50.1F));
    box->Update();
    EXPECT_EQ(TMapProbe::Counter(*box), 0);
    EXPECT_TRUE(TMapObject::IsFacing(D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(1, 0, 0)));
    // Vectors longer than one are clamped, not a NaN.
    EXPECT_TRUE(TMapObject::IsFacing(D3DXVECTOR3(2, 0, 0), D3DXVECTOR3(2, 0, 0)));
    EXPECT_FALSE(TMapObject::IsFacing(D3DXVECTOR3(-2, 0, 0), D3DXVECTOR3(2, 0, 0)));
}

TEST_F(Triggers, AnActionSpotFiresOnANewPressWithinTheRadiusFacingIt)
{
    Open("battle");
    TMapTriggerAction spot(area_, D3DXVECTOR3(20, 0, 14), 2.0F, D3DXVECTOR3(1, 2, 3), D3DXVECTOR3(0, 1, 1),
                           D3DXVECTOR3(4, 5, 6), 7, "map00/town");
    EXPECT_EQ(TMapProbe::HalfRadius(spot), 1.0F);
    // Exactly at the radius; just inside with the button held; a new press facing away; on the
    // point itself (no direction to face, and no NaN): nothing.
    const struct {
        float z, facing;
        bool held;
    } misses[] = {{12, 1, false}, {12.01F, 1, true}, {12.01F, -1, false}, {14, 1, false}};
    for (const auto& m : misses) {
        Action(m.held);
        Stand(D3DXVECTOR3(20, 0, m.z), D3DXVECTOR3(0, 0, m.facing), 0);
        Action(true);
        EXPECT_EQ(spot.Update(), 1u) << m.z << " " << m.facing;
        Action(false);
    }
    EXPECT_EQ(TMapProbe::Phase(*field_), nullptr);
    // A new press facing it: the map change, through black for a mode other than 0 and 1.
    Stand(D3DXVECTOR3(20, 0, 12.01F), D3DXVECTOR3(0, 0, 1), 0);
    Action(true);
    EXPECT_EQ(spot.Update(), 10001u);
    const auto* phase = dynamic_cast<const TMapChangePhase*>(TMapProbe::Phase(*field_));
    ASSERT_NE(phase, nullptr);
    EXPECT_EQ(TMapProbe::MapData(*phase).GetStartDirection(), D3DXVECTOR3(0, 0, 1));
    EXPECT_EQ(TMainProbe::Colour(TMapProbe::Quad(*phase)) & 0xFFFFFFu, 0u);
    EXPECT_EQ(TMapObject::Normalized(D3DXVECTOR3(0, 0, 0)), D3DXVECTOR3(0, 0, 0));
}

class ScriptSpots : public MapObjectTest {
protected:
    void SetUp() override
    {
        MapObjectTest::SetUp();
        Open("battle");
        Scripts({{"mark", {kFlagUp}}, {"talk", {"CALL @@SendMsg \"MapEvent\" 3"}}});
    }
};

TEST_F(ScriptSpots, AFacingBoxRunsItsScriptOnEveryStepFromTheFifteenth)
{
    TMapScriptFacingBox box(area_, D3DXVECTOR3(10, 0, 10), D3DXVECTOR3(12, 2, 12), D3DXVECTOR3(0, 0, 1), "obj.pbsc/mark");
    Stand(D3DXVECTOR3(11, 0, 11), D3DXVECTOR3(0, 0, 1));
    for (int i = 1; i <= 14; ++i) {
        box.Update();
    }
    EXPECT_EQ(Flag5(), 0);
    EXPECT_EQ(box.Update(), 1u);
    EXPECT_EQ(Flag5(), 1);
    ClearFlag5();
    box.Update();
    EXPECT_EQ(Flag5(), 1);  // and again the step after
    ClearFlag5();
    Stand(D3DXVECTOR3(11, 0, 11), D3DXVECTOR3(0, 0, -1));
    EXPECT_EQ(box.Update(), 1u);
    EXPECT_EQ(TMapProbe::Counter(box), 0);
    EXPECT_EQ(Flag5(), 0);
}

TEST_F(ScriptSpots, AScriptBoxRunsOnEveryStepInsideItsBounds)
{
    TMapScriptBox box(area_, D3DXVECTOR3(10, 0, 10), D3DXVECTOR3(12, 2, 12), "obj.pbsc/talk");
    const std::pair<D3DXVECTOR3, std::uint32_t> cases[] = {
        {D3DXVECTOR3(10, 0, 10), 10003}, {D3DXVECTOR3(12, 2, 12), 10003}, {D3DXVECTOR3(9.99F, 0, 11), 1},
        {D3DXVECTOR3(11, 2.01F, 11), 1}, {D3DXVECTOR3(11, 0, 12.01F), 1},
    };
    for (const auto& [at, code] : cases) {
        Stand(at, D3DXVECTOR3(0, 0, -1), 0);  // neither state nor facing matter
        EXPECT_EQ(box.Update(), code) << at.x << " " << at.y << " " << at.z;
        EXPECT_EQ(box.Update(), code);
    }
}

TEST_F(ScriptSpots, AnActionSpotRunsItsScriptOnANewPress)
{
    TMapScriptAction spot(area_, D3DXVECTOR3(20, 0, 14), 2.0F, "obj.pbsc/talk");
    Stand(D3DXVECTOR3(20, 0, 12.5F), D3DXVECTOR3(0, 0, 1), 0);
    EXPECT_EQ(spot.Update(), 1u);
    Action(true);
    EXPECT_EQ(spot.Update(), 10003u);
    Action(true);
    EXPECT_EQ(spot.Update(), 1u);
}

TEST_F(ScriptSpots, DefeatWatchersFireOnceTheRegistryListsTheDefeats)
{
    TEnemyFactory* enemies = area_->GetEnemies();
    ASSERT_NE(enemies, nullptr);
    ASSERT_TRUE(enemies->GetDefeatedIds().empty());
    const std::uint32_t type = qmtest::kFieldEnemyType;
    TMapDefeatCountScript three(area_, 3, "obj.pbsc/mark");
    TMapDefeatScript other(area_, type + 1, "obj.pbsc/talk");
    TMapDefeatScript one(area_, type, "obj.pbsc/talk");
    // Each defeat goes through the registry: below 0 HP, then removed.
    const auto defeat = [&]() {
        TRefPtr<TEnemy> enemy = enemies->Spawn(type, D3DXVECTOR3(30, 0, 30), D3DXVECTOR3(0, 0, 1), 10.0F, 1);
        ASSERT_NE(enemy.Get(), nullptr);
        TCharacterProbe::ConsumeHp(*enemy, enemy->GetHp() + 1);
        enemies->Remove(enemy->GetObjectId());
    };
    EXPECT_EQ(one.Update(), 1u);
    for (int i = 0; i < 2; ++i) {
        defeat();
        EXPECT_EQ(three.Update(), 1u);
        EXPECT_EQ(other.Update(), 1u);
    }
    EXPECT_EQ(Flag5(), 0);
    defeat();
    EXPECT_EQ(three.Update(), 1u);
    EXPECT_EQ(Flag5(), 1);
    EXPECT_EQ(other.Update(), 1u);
    EXPECT_EQ(one.Update(), 10003u);
}

TEST_F(ScriptSpots, DefeatWatchersOfATownNeverFire)
{
    TFieldLoop* town = PushField("town");
    FinishFade(town);
    TAreaBase* area = town->GetArea();
    ASSERT_EQ(area->GetEnemies(), nullptr);
    TMapDefeatCountScript none(area, 0, "obj.pbsc/mark");
    TMapDefeatScript any(area, 0, "obj.pbsc/mark");
    EXPECT_EQ(none.Update(), 1u);
    EXPECT_EQ(any.Update(), 1u);
    EXPECT_EQ(Flag5(), 0);
}

TEST_F(MapObjectTest, ADeathWatchRunsTheMapsOwnScriptAtTheDeath)
{
    Open("battle");
    Scripts({{"mark", {kFlagUp}}});
    TMapDeathWatch own(area_, "obj.pbsc/mark");
    EXPECT_EQ(own.Update(), 1u);
    EXPECT_EQ(Flag5(), 0);
    KillPlayer();
    EXPECT_EQ(own.Update(), 1u);
    EXPECT_EQ(Flag5(), 1);
}

class DeathWatch : public MapObjectTest, public ::testing::WithParamInterface<const char*> {};

// The game-over scene keeps the map's music playing: one use more, or none for a map without.
TEST_P(DeathWatch, NonEndsTheGameIntoTheGameOverScene)
{
    const std::string map = GetParam();
    OpenFromTitle(map);
    const std::int32_t musicId = map == "silent" ? -1 : 10;
    ASSERT_EQ(area_->GetMusicId(), musicId);
    TSoundBank* music = TDSound8::Instance()->GetBank(2);
    const std::uint32_t uses = TDxProbe::UseCount(*music, static_cast<std::uint32_t>(musicId));
    auto* watch = new TMapDeathWatch(area_, "non");
    area_->AddObject(TRefPtr<TMapObject>(watch));
    EXPECT_EQ(watch->Update(), 1u);
    Step();
    EXPECT_EQ(CurrentField(), field_);
    KillPlayer();
    EXPECT_EQ(watch->Update(), 10004u);
    EXPECT_EQ(TDxProbe::UseCount(*music, static_cast<std::uint32_t>(musicId)), musicId == -1 ? uses : uses + 1);
    Step();  // the object walk meets it too: the field ends into the scene placed beneath it
    auto* die = dynamic_cast<TDieLoop*>(TMainProbe::CurrentScene(*app_));
    ASSERT_NE(die, nullptr);
    EXPECT_EQ(TSceneProbe::MusicId(*die), musicId);
}

INSTANTIATE_TEST_SUITE_P(Maps, DeathWatch, ::testing::Values("battle", "silent"));

TEST_F(Triggers, ASavePointAsksOncePerVisitWithItsEffect)
{
    Open("battle");
    std::vector<TEffectCreateCall> created;
    qmtest::EffectCreateRecorder creates(area_->GetEffectManager(), &created);
    auto point = std::make_unique<TMapSavePoint>(area_, 3, D3DXVECTOR3(18, 0, 14));
    TFrame* frame = TMapProbe::Frame(*point);
    EXPECT_EQ(frame->GetName(), "savPointFrm");
    EXPECT_EQ(frame->GetParent(), area_->GetSceneFrame());
    ASSERT_EQ(frame->GetMeshCount(), 1u);
    EXPECT_EQ(frame->GetMesh(0)->GetMaterial(0).GetMaterialType(), TMapSavePoint::kMaterial);
    EXPECT_FALSE(TDxProbe::MaterialInherit(*frame));

    Stand(D3DXVECTOR3(18, 0, 13), D3DXVECTOR3(0, 0, 1), 0);  // exactly 1.0 away
    EXPECT_EQ(point->Update(), 1u);
    EXPECT_FALSE(player_->HasSaveRequest());
    EXPECT_TRUE(created.empty());
    Stand(D3DXVECTOR3(18, 0, 13.01F), D3DXVECTOR3(0, 0, 1), 0);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(point->Update(), 1u);
    }
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0].id, 902u);
    EXPECT_EQ(created[0].position, D3DXVECTOR3(18, 0, 14));
    EXPECT_EQ(created[0].direction, D3DXVECTOR3(0, 0, 1));
    EXPECT_EQ(created[0].parent, area_->GetSceneFrame());
    EXPECT_EQ(std::vector<float>(created[0].colour, created[0].colour + 4),
              (std::vector<float>{0.4F, 0.4F, 0.8F, 1.0F}));
    EXPECT_EQ(std::vector<float>(created[0].scale, created[0].scale + 3), (std::vector<float>{1, 1, 1}));
    EXPECT_TRUE(player_->HasSaveRequest());
    EXPECT_EQ(player_->GetSavePointId(), 3);
    EXPECT_EQ(PlayerSounds(), std::vector<std::uint32_t>{503});

    Stand(D3DXVECTOR3(18, 0, 12), D3DXVECTOR3(0, 0, 1), 0);
    point->Update();
    EXPECT_FALSE(player_->HasSaveRequest());
    EXPECT_EQ(player_->GetSavePointId(), -1);
    Stand(D3DXVECTOR3(18.5F, 0, 14), D3DXVECTOR3(0, 0, 1), 0);
    point->Update();
    EXPECT_EQ(created.size(), 2u);
    creates.Stop();

    const std::size_t children = area_->GetSceneFrame()->GetChildCount();
    point.reset();
    EXPECT_EQ(area_->GetSceneFrame()->GetChildCount(), children - 1);
}

TEST_F(Triggers, TheMapDataBuildsTheDeathWatchFirstThenEveryListInOrder)
{
    Open("battle");
    // A map of every record kind, written into its own container entry.
    qmtest::MapStream s;
    s.Area(1, "field00.msh", "all", "", 10, 10, 10, 10).Projection(0.5F, 120.0F, 60.0F).FollowCamera(6, 3, 0);
    s.TriggerAction({1, 0, 1}, 1.5F, {0, 0, 0}, {0, 0, 1}, {0, 0, 0}, 0, "map00/town");
    s.TriggerBox({0, 0, 0}, {1, 1, 1}, {0, 0, 1}, {0, 0, 0}, {0, 0, 1}, {0, 0, 0}, 0, "map00/town");
    s.ValueObjectB(9, "obj.pbsc/mark").ValueObjectA(2, "obj.pbsc/mark");
    s.TwoVectorObject({0, 0, 0}, {1, 1, 1}, "obj.pbsc/mark");
    float radius = 2.5F;
    std::uint32_t bits = 0;
    std::memcpy(&bits, &radius, sizeof bits);
    s.PointValueObject({3, 0, 3}, bits, "obj.pbsc/mark");
    s.ThreeVectorObject({0, 0, 0}, {1, 1, 1}, {0, 0, 1}, "obj.pbsc/mark");
    s.PointObject(1, {30, 0, 30});
    s.Item(0xFFFFFFFF, 0xFFFFFFFF, 5, {25, 0.5F, 25}).Item(0xFFFFFFFF, 0xFFFFFFFF, 6, {26, 0.5F, 25});
    s.ObjectSetName("obj.pbsc/mark").End();
    qmtest::SaveBytes("data/scr04/all", qmtest::MapContainer({{"all", s.Data()}}));
    TMapData data("all/all", nullptr, nullptr, nullptr);

    const std::size_t before = TMapProbe::Objects(*area_).size();
    data.CreateMapObjects(area_);
    auto first = std::next(TMapProbe::Objects(*area_).begin(), static_cast<std::ptrdiff_t>(before));
    const std::list<TRefPtr<TMapObject>> objects(first, TMapProbe::Objects(*area_).end());
    std::vector<std::string> kinds;
    for (const auto& o : objects) {
        TMapObject* p = o.Get();
        kinds.push_back(dynamic_cast<TMapDeathWatch*>(p)          ? "death"
                        : dynamic_cast<TMapItem*>(p)              ? "item"
                        : dynamic_cast<TMapSavePoint*>(p)         ? "save"
                        : dynamic_cast<TMapScriptFacingBox*>(p)   ? "facing"
                        : dynamic_cast<TMapScriptAction*>(p)      ? "action"
                        : dynamic_cast<TMapScriptBox*>(p)         ? "box"
                        : dynamic_cast<TMapDefeatCountScript*>(p) ? "count"
                        : dynamic_cast<TMapDefeatScript*>(p)      ? "defeat"
                        : dynamic_cast<TMapTriggerBox*>(p)        ? "trigger box"
                        : dynamic_cast<TMapTriggerAction*>(p)     ? "trigger action"
                                                                  : "?");
    }
    EXPECT_EQ(kinds, (std::vector<std::string>{"death", "item", "item", "save", "facing", "action", "box", "count",
                                               "defeat", "trigger box", "trigger action"}));
    EXPECT_EQ(TMapProbe::ScriptKey(*static_cast<TMapDeathWatch*>(objects.front().Get())), "obj.pbsc/mark");
    // The action spot's radius is the record's word read as a float: 2.5 reaches 2.4 away, not 2.5.
    auto* action = dynamic_cast<TMapScriptAction*>(std::next(objects.begin(), 5)->Get());
    ASSERT_NE(action, nullptr);
    Scripts({{"mark", {kFlagUp}}});
    Stand(D3DXVECTOR3(3, 0, 0.6F), D3DXVECTOR3(0, 0, 1), 0);
    Action(true);
    action->Update();
    EXPECT_EQ(Flag5(), 1);
}

}  // namespace
}  // namespace maptest
