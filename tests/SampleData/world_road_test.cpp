// The sample's fields as a newcomer meets them: the town's first view (the way on, the villagers'
// row, the save point and the gate in sight) and its minimap, an ordinary enemy's blow that lowers
// the hero's HP with nothing applied by the test, the strong enemy on its patch on every arrival,
// a new game's level with the experience it needs, the meadow's shelter and crate in view from south
// of them, and the ground on the meadow's and the hollow's minimaps.
//
// The pictures are goldens: after a change of the sample's looks, run this suite with
// QM_UPDATE_GOLDEN=1 and look at them before committing.
#include <gtest/gtest.h>

#include "MainCode/Character/TEnemy.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TBattleArea.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Map/TTownArea.h"
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
        const D3DXVECTOR3 arrival(38.0F, 0.0F, 5.0F);
        TFieldLoop* field = Enter(c.map, arrival, {0.0F, 0.0F, 1.0F}, arrival + D3DXVECTOR3(0.0F, 3.0F, -6.0F));
        ASSERT_NE(field, nullptr);
        driver_.Steps(10);
        const platform::RgbaImage window = Minimap(SceneDriver::Screen());
        // 20 to 50 units west of the hero, 12 either side of him: ground on both maps.
        EXPECT_GT(qmtest::Brightest(qmtest::Crop(window, 62, 68, 30, 24)), 60);
        EXPECT_TRUE(qmtest::MatchesGolden(window, c.golden));
    }
}

}  // namespace
