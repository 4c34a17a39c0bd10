// The sample as a newcomer meets it with only the README in hand: a new game started from the
// title as a player starts it, the opening scenes skipped, the town's way up the sand path and
// through the gate, the battle map's south-east corner, and the arena's brawler fought with Z as it
// comes; once as the new game gives the hero, once at the second level that the battle map's first
// enemy brings him. His turns, standing and walking, each after a straight walk; and the meadow's
// scarecrow, where it rises, what it does to a hero who stands still and what fells it.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "MainCode/Character/TEnemy.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TBattleArea.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Map/TTownArea.h"
#include "MainCode/Menu/TSelectContinueDataLoop.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "SampleData/battle_start.h"
#include "SampleData/field_road.h"
#include "make-sample-data/SampleData.h"
#include "support/field_walk.h"
#include "support/map_probe.h"
#include "support/scene_driver.h"
#include "support/title_road.h"

namespace {

using qmtest::Button;
using qmtest::FlatDistance;
using qmtest::PositionOf;
using qmtest::SceneDriver;
using sample::Reactions;
using sample::SampleLayout;

class NewcomerRoad : public qmtest::SampleFieldRoad {
protected:
    void TearDown() override
    {
        qmtest::ReleaseArrows();
        SampleFieldRoad::TearDown();
    }
    TPlayerCharacter* Hero() const { return Field() != nullptr ? Field()->GetPlayer() : nullptr; }
    bool Standing() const { return Hero() != nullptr && Hero()->GetHp() > 0; }
    TEnemy* Live(std::uint32_t type) const
    {
        for (const auto& entry : Field()->GetArea()->GetEnemies()->GetLive()) {
            if (entry.second->GetRelatedId() == type && entry.second->IsAlive()) {
                return entry.second.Get();
            }
        }
        return nullptr;
    }

    // The title's new game, this chapter afresh, both opening scenes skipped with X held: the town,
    // its fade-in over. Null when it did not come.
    TFieldLoop* NewGameInTown()
    {
        if (!qmtest::ReachTitleMenu(driver_)) {
            return nullptr;
        }
        qmtest::ChooseTitleItem(driver_, 0);
        if (!driver_.StepUntil([&] { return dynamic_cast<TSelectContinueDataLoop*>(driver_.Current()) != nullptr; }, 60)) {
            return nullptr;
        }
        driver_.Steps(40);  // its rows in
        driver_.Press(Button::A);
        SceneDriver::Hold(Button::B, true);
        const bool town = driver_.StepUntil(
            [&] { return Field() != nullptr && dynamic_cast<TTownArea*>(Field()->GetArea()) != nullptr; }, 1200);
        SceneDriver::Hold(Button::B, false);
        if (!town || !driver_.StepUntil([&] { return !TMapProbe::IsInPhase(*Field()); }, 300)) {
            return nullptr;
        }
        return Field();
    }

    // Steered through the points in turn (each passed within 0.8) until done holds; false when the
    // hero fell, a story scene started or the steps ran out. A map change's fade is waited out.
    bool Walk(const std::vector<D3DXVECTOR3>& points, const std::function<bool()>& done, int steps)
    {
        std::size_t next = 0;
        const bool reached = driver_.StepUntil(
            [&] {
                if (Field() == nullptr || !Standing() || TScriptProcessManager::Get() != nullptr || done()) {
                    return true;
                }
                if (TMapProbe::IsInPhase(*Field())) {
                    qmtest::ReleaseArrows();
                    return false;
                }
                while (next + 1 < points.size() && FlatDistance(PositionOf(Hero()), points[next]) < 0.8F) {
                    ++next;
                }
                qmtest::WalkTowards(Field(), points[next]);
                return false;
            },
            steps);
        qmtest::ReleaseArrows();
        return reached && Field() != nullptr && Standing() && TScriptProcessManager::Get() == nullptr && done();
    }

    // On a map whose fade-in is over and where that enemy stands.
    std::function<bool()> OnMapOf(std::uint32_t type)
    {
        return [this, type] { return !TMapProbe::IsInPhase(*Field()) && Live(type) != nullptr; };
    }

    // From the town's start as the README steers: north up the sand path to the path west, along it
    // past the save point, into the wall between the gate's posts: the battle map.
    bool TownToBattleMap()
    {
        const D3DXVECTOR3 gate = SampleLayout::TownGateFront();
        return Walk({SampleLayout::TownPathCorner(), SampleLayout::TownSavePointMark(), gate, SampleLayout::TownGateEntry()},
                    [&] { return dynamic_cast<TBattleArea*>(Field()->GetArea()) != nullptr && !TMapProbe::IsInPhase(*Field()); },
                    1500);
    }

    // From the battle map's arrival into its south-east corner, along the gate's facing: the arena.
    bool BattleMapToArena()
    {
        const D3DXVECTOR3 middle = (Reactions::GateMinimum() + Reactions::GateMaximum()) * 0.5F;
        return Walk({{30.0F, 0.0F, 4.0F}, middle + D3DXVECTOR3(0.0F, 0.0F, 3.0F),
                     middle + sample::CornerGateFacing(Reactions::GateMinimum(), Reactions::GateMaximum()) * 3.0F},
                    OnMapOf(Reactions::kBrawlerType), 1500);
    }

    // Turned round to the first enemy behind the arrival, walked up to and swung at with Z until it
    // falls.
    bool BeatTheFirstEnemy() { return FightUntilItFalls(qmtest::kFieldEnemyType, 3600).won; }

    // Toward the enemy until within a swing, then Z tapped every sixteen steps.
    void Swing(TEnemy* enemy, int step)
    {
        if (FlatDistance(PositionOf(Hero()), PositionOf(enemy)) > 1.6F) {
            SceneDriver::Hold(Button::A, false);
            qmtest::WalkTowards(Field(), PositionOf(enemy));
        } else {
            qmtest::ReleaseArrows();
            SceneDriver::Hold(Button::A, step % 16 == 0);
        }
    }

    // Faced and swung at with Z until the enemy of that type falls or the hero does. Every HP the
    // hero lost in it, blow by blow.
    struct Fight {
        bool won = false;
        std::vector<std::int32_t> blows;
    };
    Fight FightUntilItFalls(std::uint32_t type, int limit)
    {
        Fight fight;
        std::int32_t hp = Hero()->GetHp();
        int step = 0;
        fight.won = driver_.StepUntil(
            [&] {
                if (Hero()->GetHp() < hp) {
                    fight.blows.push_back(hp - Hero()->GetHp());
                }
                hp = Hero()->GetHp();
                TEnemy* enemy = Live(type);
                if (!Standing() || enemy == nullptr) {
                    return true;
                }
                Swing(enemy, step++);
                return false;
            },
            limit);
        SceneDriver::ReleaseAll();
        fight.won = fight.won && Standing() && Live(type) == nullptr;
        return fight;
    }
    // The arena's fight as the README has it: up the sand toward the brawler until it comes, then
    // faced and swung at with Z until it falls.
    Fight FightTheBrawler() { return FightUntilItFalls(Reactions::kBrawlerType, 2400); }
};

// A new game's hero, as the title gives him: at the first level with 120 HP and the guard of 104
// the folder's bracelet and ring give him, the brawler's blows take at most 6 of his HP, and he
// ends the fight with more than three quarters of it.
TEST_F(NewcomerRoad, ANewGamesHeroFightsTheArenasBrawlerAndKeepsThreeQuartersOfHisHp)
{
    ASSERT_NE(NewGameInTown(), nullptr) << "no town after a new game";
    ASSERT_EQ(Hero()->GetLevel(), 0u) << "the first level, counted from 0";
    ASSERT_EQ(Hero()->GetMaxHp(), 120);
    ASSERT_EQ(Hero()->GetVit(), 104);
    ASSERT_TRUE(TownToBattleMap()) << "the town's gate";
    ASSERT_TRUE(BattleMapToArena()) << "the battle map's south-east corner";
    ASSERT_EQ(Hero()->GetHp(), 120) << "struck on the way";
    const Fight fight = FightTheBrawler();
    ASSERT_TRUE(fight.won) << "the brawler beat a new hero";
    ASSERT_FALSE(fight.blows.empty()) << "no blow landed";
    EXPECT_LE(*std::max_element(fight.blows.begin(), fight.blows.end()), 6);
    EXPECT_GT(Hero()->GetHp() * 4, 120 * 3);
}

// The same road with the battle map's first enemy beaten first, which brings a new hero his
// second level: his guard stays, his HP grows, and the fight costs him less of it.
TEST_F(NewcomerRoad, AtTheSecondLevelTheBrawlerCostsAnEighthOfHisHpAtMost)
{
    ASSERT_NE(NewGameInTown(), nullptr) << "no town after a new game";
    ASSERT_TRUE(TownToBattleMap()) << "the town's gate";
    ASSERT_TRUE(BeatTheFirstEnemy()) << "the first enemy";
    ASSERT_TRUE(driver_.StepUntil([&] { return Hero()->GetLevel() == 1u; }, 600)) << "no second level";
    ASSERT_EQ(Hero()->GetVit(), 104);
    ASSERT_TRUE(BattleMapToArena()) << "the battle map's south-east corner";
    const std::int32_t before = Hero()->GetHp();
    const std::int32_t full = Hero()->GetMaxHp();
    const Fight fight = FightTheBrawler();
    ASSERT_TRUE(fight.won) << "the brawler beat the hero";
    ASSERT_FALSE(fight.blows.empty()) << "no blow landed";
    EXPECT_GT(full, 120);
    EXPECT_LE(*std::max_element(fight.blows.begin(), fight.blows.end()), 6);
    EXPECT_LT((before - Hero()->GetHp()) * 8, full);
}

// Turns after a straight walk north from the battle map's arrival, the camera come round straight
// behind him: Down pressed once he has stopped, and Down pressed while he still walks, each carry
// him on along the way he faced for one to three seconds before he turns (three to six units
// stopped, up to ten walking, the longer the walk the further); a side arrow turns him at once.
TEST_F(NewcomerRoad, TurnsAfterAStraightWalkCarryTheHeroOnAsTheReadmeSays)
{
    struct Row {
        const char* what;
        int walk;   // steps of Up held first
        int pause;  // steps with no arrow before the turn
        Button key;
        float least, most;  // how far he is carried on along the way he faced
    };
    const Row rows[] = {
        {"stopped after half a second", 30, 20, Button::Down, 3.0F, 6.5F},
        {"stopped after two seconds", 120, 20, Button::Down, 3.0F, 6.5F},
        {"walking after half a second", 30, 0, Button::Down, 3.0F, 10.5F},
        {"walking after two seconds", 120, 0, Button::Down, 3.0F, 10.5F},
        {"aside after two seconds", 120, 0, Button::Left, 0.0F, 1.0F},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TFieldLoop* field = qmtest::StartOnBattleMap(driver_);
        ASSERT_NE(field, nullptr);
        ASSERT_TRUE(driver_.StepUntil([&] { return !TMapProbe::IsInPhase(*field); }, 200));
        SceneDriver::Hold(Button::Up, true);
        driver_.Steps(row.walk);
        SceneDriver::Hold(Button::Up, false);
        driver_.Steps(row.pause);
        const qmtest::CarriedOn carried = qmtest::HoldAndMeasureCarry(driver_, Hero(), row.key, 300);
        const D3DXVECTOR3& front = carried.front;
        EXPECT_GE(carried.furthest, row.least);
        EXPECT_LT(carried.furthest, row.most);
        // He did turn: the way he faced is behind or beside him now.
        D3DXVECTOR3 now;
        Hero()->GetFront(&now);
        EXPECT_LT(now.x * front.x + now.z * front.z, 0.5F);
    }
}

// The meadow's scarecrow: nothing rises while the hero stays at the arrival; it rises once he comes
// within eight units of its place in the north and strikes a hero who stands still again and again,
// a single HP a strike; walked back to the arrival, he has it at his heels; Z swung at it fells it.
TEST_F(NewcomerRoad, TheMeadowsScarecrowRisesWithinEightUnitsFollowsAndFallsToZ)
{
    using sample::LeftoverLayout;
    TGameData::GetInstance()->Reset();
    const D3DXVECTOR3 arrival = sample::CornerArrival(true);
    ASSERT_NE(Enter(LeftoverLayout::kMap, arrival, {0.0F, 0.0F, 1.0F}, sample::CornerArrivalCamera(true)), nullptr);
    const auto scarecrow = [&] { return Live(LeftoverLayout::kScarecrowType); };
    driver_.Steps(300);
    EXPECT_EQ(scarecrow(), nullptr) << "risen at the arrival";
    ASSERT_TRUE(Walk({LeftoverLayout::Spawner()}, [&] { return scarecrow() != nullptr; }, 1200)) << "never rose";
    const float rose = FlatDistance(PositionOf(Hero()), LeftoverLayout::Spawner());
    EXPECT_LE(rose, 8.0F);
    EXPECT_GT(rose, 7.5F);

    // Ten seconds standing still.
    std::int32_t hp = Hero()->GetHp();
    int strikes = 0;
    int lost = 0;
    for (int i = 0; i < 600 && Standing(); ++i) {
        driver_.Step();
        strikes += Hero()->GetHp() < hp ? 1 : 0;
        lost += hp - Hero()->GetHp();
        hp = Hero()->GetHp();
    }
    ASSERT_TRUE(Standing());
    EXPECT_GE(strikes, 5);
    EXPECT_EQ(lost, strikes) << "a strike takes more than 1 HP";

    ASSERT_TRUE(Walk({arrival}, [&] { return FlatDistance(PositionOf(Hero()), arrival) < 1.0F; }, 1200)) << "not back";
    ASSERT_NE(scarecrow(), nullptr) << "it stayed behind";
    EXPECT_LT(FlatDistance(PositionOf(Hero()), PositionOf(scarecrow())), 8.0F);

    int step = 0;
    int swings = 0;
    ASSERT_TRUE(driver_.StepUntil(
        [&] {
            TEnemy* s = scarecrow();
            if (!Standing() || s == nullptr) {
                return true;
            }
            swings += FlatDistance(PositionOf(Hero()), PositionOf(s)) <= 1.6F && step % 16 == 0 ? 1 : 0;
            Swing(s, step++);
            return false;
        },
        1200));
    SceneDriver::ReleaseAll();
    ASSERT_TRUE(Standing());
    EXPECT_EQ(scarecrow(), nullptr);
    EXPECT_EQ(swings, 1) << "one swing of Z fells it";
}

}  // namespace
