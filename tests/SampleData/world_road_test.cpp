// The sample's fields as a newcomer meets them: the town's first view (the way on, the villagers'
// row, the save point and the gate in sight) and its minimap, an ordinary enemy's blow that lowers
// the hero's HP with nothing applied by the test, the strong enemy on its patch on every arrival,
// a new game's level with the experience it needs, the meadow's shelter and crate in view from south
// of them, and the ground on the meadow's and the hollow's minimaps.
//
// The pictures are goldens: after a change of the sample's looks, run this suite with
// QM_UPDATE_GOLDEN=1 and look at them before committing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MainCode/Character/TEnemy.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TBattleArea.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Map/TTownArea.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "SampleData/battle_start.h"
#include "SampleData/field_road.h"
#include "make-sample-data/SampleData.h"
#include "make-sample-data/SampleSteal.h"
#include "support/field_walk.h"
#include "support/golden.h"
#include "support/scene_driver.h"
#include "support/temp_dir.h"
#include "support/map_probe.h"

namespace {

using qmtest::FlatDistance;
using qmtest::PositionOf;
using qmtest::SceneDriver;
using sample::LeftoverLayout;
using sample::SampleLayout;

// The minimap's window on the screen: drawn at (408, 312), 224 × 160.
platform::RgbaImage Minimap(const platform::RgbaImage& screen) { return qmtest::Crop(screen, 408, 312, 224, 160); }

class WorldRoad : public qmtest::SampleFieldRoad {
protected:
    // Walks to the front of a gate and into it until the map changes (the field stays, its area
    // goes); the new area once its fade-in is over, null when no change came.
    TAreaBase* WalkThroughGate(const D3DXVECTOR3& front)
    {
        TFieldLoop* field = Field();
        bool inFront = false;
        const bool changing = driver_.StepUntil(
            [&] {
                if (Field() != field || TMapProbe::IsInPhase(*field)) {
                    return true;
                }
                inFront = inFront || FlatDistance(PositionOf(field->GetPlayer()), front) < 0.5F;
                qmtest::WalkTowards(field, inFront ? SampleLayout::Beyond(front) : front);
                return false;
            },
            900);
        qmtest::ReleaseArrows();
        if (!changing || Field() != field) {
            return nullptr;
        }
        driver_.StepUntil([&] { return !TMapProbe::IsInPhase(*field); }, 300);
        return TMapProbe::IsInPhase(*field) ? nullptr : field->GetArea();
    }
};

TEST_F(WorldRoad, TheTownsFirstViewShowsTheWayOnTheVillagersTheSavePointAndTheGate)
{
    // Where the opening scenes leave a new game.
    TGameData::GetInstance()->Reset();
    TFieldLoop* town =
        Enter(SampleLayout::kTown, SampleLayout::TownStart(), SampleLayout::TownStartDirection(), SampleLayout::TownStart());
    ASSERT_NE(town, nullptr);
    ASSERT_NE(dynamic_cast<TTownArea*>(town->GetArea()), nullptr);
    driver_.Steps(30);
    const platform::RgbaImage screen = SceneDriver::Screen();
    EXPECT_TRUE(qmtest::MatchesGolden(screen, "WorldTownFirstView"));
    EXPECT_TRUE(qmtest::MatchesGolden(Minimap(screen), "WorldTownMinimap"));
}

TEST_F(WorldRoad, AnOrdinaryEnemysBlowLowersTheHeroesHp)
{
    TFieldLoop* battle = qmtest::StartOnBattleMap(driver_);
    ASSERT_NE(battle, nullptr);
    ASSERT_TRUE(driver_.StepUntil([&] { return !TMapProbe::IsInPhase(*battle); }, 200));
    TEnemy* enemy = EnemyNear(battle, qmtest::kFieldEnemyType, SampleLayout::Enemy(), 2.0F);
    ASSERT_NE(enemy, nullptr);
    // Right beside it, facing it, then standing still.
    TPlayerCharacter* hero = battle->GetPlayer();
    hero->PlaceAt(PositionOf(enemy) + D3DXVECTOR3(0.0F, 0.0F, 1.2F), D3DXVECTOR3(0.0F, 0.0F, -1.0F));
    const std::int32_t full = hero->GetHp();
    ASSERT_GT(full, 0);
    // Within five seconds.
    ASSERT_TRUE(driver_.StepUntil([&] { return hero->GetHp() < full; }, 300));
    driver_.Steps(60);
    EXPECT_GT(hero->GetHp(), 0);
    EXPECT_TRUE(qmtest::MatchesGolden(SceneDriver::Screen(), "WorldHudAfterABlow"));
}

TEST_F(WorldRoad, TheStrongEnemyStandsOnItsPatchOnEveryArrivalWhereverThePlayerGoes)
{
    const D3DXVECTOR3 patch = SampleLayout::StrongEnemy();
    // Put where the town's gate puts a player, then through the gates there and back twice.
    TFieldLoop* battle = qmtest::StartOnBattleMap(driver_);
    ASSERT_NE(battle, nullptr);
    ASSERT_TRUE(driver_.StepUntil([&] { return !TMapProbe::IsInPhase(*battle); }, 200));
    // Each time a while on the arrival, then off to another far corner of the battle map for a
    // while: where a player looks for it, some seconds on.
    const D3DXVECTOR3 corners[] = {{1.0F, 0.0F, 1.0F}, {1.0F, 0.0F, 28.0F}, {39.0F, 0.0F, 1.0F}};
    for (int arrival = 0; arrival < 3; ++arrival) {
        TPlayerCharacter* hero = battle->GetPlayer();
        const D3DXVECTOR3 arrived = PositionOf(hero);
        driver_.Steps(360);
        EXPECT_NE(EnemyNear(battle, SampleLayout::kStrongEnemyType, patch, 1.0F), nullptr) << "arrival " << arrival;
        hero->PlaceAt(corners[arrival], D3DXVECTOR3(0.0F, 0.0F, 1.0F));
        driver_.Steps(360);
        EXPECT_NE(EnemyNear(battle, SampleLayout::kStrongEnemyType, patch, 1.0F), nullptr)
            << "arrival " << arrival << " at the corner";
        if (arrival == 2) {
            break;
        }
        hero->PlaceAt(arrived, D3DXVECTOR3(0.0F, 0.0F, 1.0F));
        ASSERT_NE(dynamic_cast<TTownArea*>(WalkThroughGate(SampleLayout::BattleGateFront())), nullptr);
        EXPECT_LT(FlatDistance(PositionOf(battle->GetPlayer()), SampleLayout::TownArrival()), 0.1F);
        ASSERT_NE(dynamic_cast<TBattleArea*>(WalkThroughGate(SampleLayout::TownGateFront())), nullptr);
    }
}

TEST_F(WorldRoad, ANewGamesHeroesHaveTheExperienceOfTheirLevel)
{
    // Level n (counted from 0) is reached at n × 1000 experience, the next at (n + 1) × 1000.
    TGameData::GetInstance()->Reset();
    for (std::uint32_t i = 0; i < 2; ++i) {
        const TCharacterRecord* hero = TGameData::GetInstance()->GetCharacterData(i);
        ASSERT_NE(hero, nullptr);
        EXPECT_GE(hero->Experience, hero->Level * 1000) << "hero " << i;
        EXPECT_LT(hero->Experience, (hero->Level + 1) * 1000) << "hero " << i;
    }
}

// Standing south-west of the meadow's post, looking north: the key camera's eye stands over the south
// fence, and the shelter and the crate, more than 14 north of it, are still drawn.
TEST_F(WorldRoad, TheMeadowsShelterAndCrateStayDrawnFromSouthWestOfItsPost)
{
    TGameData::GetInstance()->Reset();
    const D3DXVECTOR3 spot = LeftoverLayout::Post() + D3DXVECTOR3(-2.5F, 0.0F, -4.5F);
    TFieldLoop* meadow = Enter(LeftoverLayout::kMap, spot, {0.0F, 0.0F, 1.0F}, spot + D3DXVECTOR3(0.0F, 3.0F, -6.0F));
    ASSERT_NE(meadow, nullptr);
    driver_.Steps(30);
    TAreaBase* area = meadow->GetArea();
    D3DXVECTOR3 eye;
    area->GetCamera()->GetFrame()->GetPosition(&eye);
    ASSERT_LT(eye.z, 0.0F) << "the eye over the south fence";
    // The crate is the meadow's one object mesh.
    EXPECT_EQ(TMapProbe::SubRoot(*TMapProbe::MeshAreaManager(*area))->GetMeshCount(), 1U);
    EXPECT_TRUE(qmtest::MatchesGolden(SceneDriver::Screen(), "WorldMeadowShelterAndCrate"));
}

// The minimaps of the meadow and the hollow, each on its arrival from the map before: the ground
// round the hero shows left of the arrow (not the window's dark inside), and the whole window is
// the golden.
TEST_F(WorldRoad, TheMeadowsAndTheHollowsMinimapsShowTheirGround)
{
    TGameData::GetInstance()->Reset();
    struct Case {
        const char* map;
        const char* golden;
    };
    const Case cases[] = {{LeftoverLayout::kMap, "WorldMeadowMinimap"}, {sample::StealLayout::kMap, "WorldHollowMinimap"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.map);
        const D3DXVECTOR3 arrival(38.0F, 0.0F, 10.0F);
        TFieldLoop* field = Enter(c.map, arrival, {0.0F, 0.0F, 1.0F}, arrival + D3DXVECTOR3(0.0F, 3.0F, -6.0F));
        ASSERT_NE(field, nullptr);
        driver_.Steps(10);
        const platform::RgbaImage window = Minimap(SceneDriver::Screen());
        // 20 to 50 units west of the hero, 12 either side of him: ground on both maps.
        EXPECT_GT(qmtest::Brightest(qmtest::Crop(window, 62, 68, 30, 24)), 60);
        EXPECT_TRUE(qmtest::MatchesGolden(window, c.golden));
    }
}

// Pixels of the hero's blue in the middle of the screen, where the camera behind him holds him
// (the sky's blue lies above it, the minimap right of it).
int HeroBluePixels(const platform::RgbaImage& screen)
{
    int n = 0;
    for (int y = 160; y < 400; ++y) {
        for (int x = 200; x < 400; ++x) {
            const std::uint8_t* p = screen.At(x, y);
            n += p[2] > 120 && p[2] > p[0] + 60 && p[2] > p[1] + 30 ? 1 : 0;
        }
    }
    return n;
}

// Every way into a field the sample has (each gate, the east door, the end of the opening scenes):
// the first picture after the fade-in shows the hero, and the camera behind him stands inside the
// fences (the town's reach 44 west, every other field's start at 0; all of them run 40 east and
// 30 north), not out behind a fence that would hide him as he turns back toward it.
TEST_F(WorldRoad, EachArrivalsFirstPictureShowsTheHero)
{
    TGameData::GetInstance()->Reset();
    struct Arrival {
        std::string map;
        D3DXVECTOR3 at, facing, camera;
    };
    std::vector<Arrival> arrivals = {
        {SampleLayout::kTown, SampleLayout::TownStart(), SampleLayout::TownStartDirection(), SampleLayout::TownStart()}};
    for (const qmtest::FieldMap& map : sample::SampleMaps()) {
        for (const qmtest::FieldTrigger& t : map.triggers) {
            arrivals.push_back({t.destination, t.startPosition, t.startDirection, t.startCamera});
        }
        for (const qmtest::FieldActionTrigger& t : map.actionTriggers) {
            arrivals.push_back({t.destination, t.startPosition, t.startDirection, t.startCamera});
        }
    }
    ASSERT_EQ(arrivals.size(), 10U);
    for (const Arrival& a : arrivals) {
        SCOPED_TRACE(a.map + " at " + std::to_string(a.at.x) + ", " + std::to_string(a.at.z));
        TFieldLoop* field = Enter(a.map.c_str(), a.at, a.facing, a.camera);
        ASSERT_NE(field, nullptr);
        ASSERT_FALSE(TMapProbe::IsInPhase(*field));
        EXPECT_GT(HeroBluePixels(SceneDriver::Screen()), 300);
        D3DXVECTOR3 eye;
        field->GetArea()->GetCamera()->GetFrame()->GetPosition(&eye);
        const float west = a.map == SampleLayout::kTown ? -44.0F : 0.0F;
        EXPECT_TRUE(eye.x > west && eye.x < 40.0F && eye.z > 0.0F && eye.z < 30.0F) << eye.x << ", " << eye.z;
    }
}

// From the first view, the down arrow held until the hero faces the other way (east): the turn
// carries him on west a little (under two units), but he stays two steps short of the way on, and
// no story scene starts.
TEST_F(WorldRoad, TurningRoundAtTheStartDoesNotStartTheStory)
{
    TGameData::GetInstance()->Reset();
    TFieldLoop* town =
        Enter(SampleLayout::kTown, SampleLayout::TownStart(), SampleLayout::TownStartDirection(), SampleLayout::TownStart());
    ASSERT_NE(town, nullptr);
    TPlayerCharacter* hero = town->GetPlayer();
    const float start = PositionOf(hero).x;
    float westmost = start;
    D3DXVECTOR3 back;
    SceneDriver::Hold(qmtest::Button::Down, true);
    const bool turned = driver_.StepUntil(
        [&] {
            if (Field() != town) {
                return true;
            }
            westmost = std::min(westmost, PositionOf(hero).x);
            hero->GetFrame()->GetAxis(&back, 3);
            return back.x < -0.9F;
        },
        120);
    SceneDriver::Hold(qmtest::Button::Down, false);
    ASSERT_TRUE(turned);
    driver_.Steps(60);
    ASSERT_EQ(Field(), town) << "the story started";
    EXPECT_EQ(TScriptProcessManager::Get(), nullptr);
    EXPECT_GT(westmost, SampleLayout::TownWayOn().maximum.x + 2.0F) << "onto the paving";
    EXPECT_GT(start - westmost, 0.5F) << "carried on";
    EXPECT_LT(start - westmost, 2.0F) << "a step on";
}

// Pixels of a gold arch's front over the horizon straight ahead (right of the HUD's gauges, above
// the ground, where the crate's brown lies).
int ArchPixels(const platform::RgbaImage& screen)
{
    int n = 0;
    for (int y = 0; y < 150; ++y) {
        for (int x = 260; x < 380; ++x) {
            const std::uint8_t* p = screen.At(x, y);
            n += p[0] > 100 && 2 * p[1] > p[0] && 10 * p[1] < 7 * p[0] && 5 * p[2] < p[0] ? 1 : 0;
        }
    }
    return n;
}

// Each battle place seen from the south, looking north at its wall: the battle map shows its gate's
// arch, the arena and the hollow, which have no gate there, show their own ground and none, and
// none of the battle map's things either: no crate stands ten steps ahead (their pictures are
// goldens).
TEST_F(WorldRoad, OnlyTheBattleMapShowsAGateArchInItsNorthWall)
{
    TGameData::GetInstance()->Reset();
    struct Place {
        const char* map;
        const char* golden;  // null: none
        bool arch;
    };
    const Place places[] = {{SampleLayout::kBattle, nullptr, true},
                            {sample::Reactions::kArena, "WorldArenaScenery", false},
                            {sample::StealLayout::kMap, "WorldHollowScenery", false}};
    // In front of where the battle map's gate stands, well back from the wall.
    const D3DXVECTOR3 middle(14.0F, 0.0F, 6.0F);
    for (const Place& p : places) {
        SCOPED_TRACE(p.map);
        TFieldLoop* field = Enter(p.map, middle, {0.0F, 0.0F, 1.0F}, middle + D3DXVECTOR3(0.0F, 3.0F, -6.0F));
        ASSERT_NE(field, nullptr);
        driver_.Steps(10);
        const platform::RgbaImage screen = SceneDriver::Screen();
        EXPECT_EQ(ArchPixels(screen) > 100, p.arch) << ArchPixels(screen);
        if (p.golden != nullptr) {
            EXPECT_TRUE(qmtest::MatchesGolden(screen, p.golden));
        }
    }
}

}  // namespace
