// The battle map as a newcomer meets it from the README: a new hero who stands still where the
// town's gate or its fence gap puts him keeps his HP for a minute, every enemy waiting on its place
// (the strong one on its dark patch), and so does one standing where the arena's gate puts him;
// the first enemy, walked up to and fought where it waits, falls without the strong one joining
// in; walked up to, each enemy strikes, and the strong one beats him; and from the arrival a new
// hero walks, alive, to every place the README names there, on through the arena (where he fights
// its brawler with Z as it comes for him, and beats it) and the meadow to the hollow. Nothing here
// lowers or restores his HP.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Character/TEnemy.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Character/TimeStop.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TBattleArea.h"
#include "MainCode/Map/TFieldLoop.h"
#include "SampleData/battle_start.h"
#include "SampleData/field_road.h"
#include "formats/field_writer.h"
#include "make-sample-data/SampleData.h"
#include "make-sample-data/SampleSteal.h"
#include "support/field_walk.h"
#include "support/map_probe.h"
#include "support/scene_driver.h"

namespace {

using qmtest::FlatDistance;
using qmtest::PositionOf;
using qmtest::SceneDriver;
using sample::SampleLayout;

constexpr std::uint32_t kAttackState = 16;
constexpr int kMinute = 3600;

// Where the layout puts each enemy of the battle map.
struct Placed {
    std::uint32_t type;
    D3DXVECTOR3 place;
};
std::vector<Placed> PlacedEnemies()
{
    std::vector<Placed> out = {{qmtest::kFieldEnemyType, SampleLayout::Enemy()},
                               {SampleLayout::kStrongEnemyType, SampleLayout::StrongEnemy()}};
    for (const qmtest::FieldEnemy& e : SampleLayout::ClassEnemies()) {
        out.push_back({e.typeId, e.position});
    }
    for (const sample::StatusEnemy& e : sample::StatusEnemies()) {
        out.push_back({e.type, e.position});
    }
    return out;
}

class BattleMapPlacesRoad : public qmtest::SampleFieldRoad {
protected:
    void TearDown() override
    {
        qmtest::ReleaseArrows();
        SampleFieldRoad::TearDown();
    }
    // A new game's hero put on the battle map's arrival, the fade-in over.
    TFieldLoop* NewHeroAtTheArrival()
    {
        TFieldLoop* field = qmtest::StartOnBattleMap(driver_);
        if (field == nullptr || !driver_.StepUntil([&] { return !TMapProbe::IsInPhase(*field); }, 200)) {
            return nullptr;
        }
        return field;
    }
    TPlayerCharacter* Hero() const { return Field() != nullptr ? Field()->GetPlayer() : nullptr; }
    bool Standing() const { return Field() != nullptr && Hero() != nullptr && Hero()->GetHp() > 0; }
    TEnemy* Live(std::uint32_t type) const
    {
        for (const auto& entry : Field()->GetArea()->GetEnemies()->GetLive()) {
            if (entry.second->GetRelatedId() == type && entry.second->IsAlive()) {
                return entry.second.Get();
            }
        }
        return nullptr;
    }
    // The arrows a player presses for the point: the other way while the moth's dust reverses them.
    void Toward(const D3DXVECTOR3& at)
    {
        const D3DXVECTOR3 p = PositionOf(Hero());
        qmtest::WalkTowards(Field(), Hero()->GetReversedControls().Remaining > 0 ? p + (p - at) : at);
    }
    // Through the points in turn (each passed within 0.8), then on until done holds or the steps run
    // out; false when the hero fell or the field went on the way.
    bool Walk(const std::vector<D3DXVECTOR3>& points, const std::function<bool()>& done, int steps)
    {
        TFieldLoop* field = Field();
        std::size_t next = 0;
        const bool reached = driver_.StepUntil(
            [&] {
                if (Field() != field || !Standing()) {
                    return true;
                }
                if (done()) {
                    return true;
                }
                if (TMapProbe::IsInPhase(*field)) {
                    qmtest::ReleaseArrows();
                    return false;
                }
                while (next + 1 < points.size() && FlatDistance(PositionOf(Hero()), points[next]) < 0.8F) {
                    ++next;
                }
                Toward(points[next]);
                return false;
            },
            steps);
        qmtest::ReleaseArrows();
        return reached && Field() == field && Standing() && done();
    }
    // A minute standing still on the arrival: no blow comes, and every enemy is where it was put.
    void StandAMinute(TFieldLoop* field, const D3DXVECTOR3& arrival = SampleLayout::BattleArrival(),
                      const std::vector<Placed>& placed = PlacedEnemies())
    {
        ASSERT_NE(dynamic_cast<TBattleArea*>(field->GetArea()), nullptr);
        EXPECT_LT(FlatDistance(PositionOf(Hero()), arrival), 0.5F);
        const std::int32_t full = Hero()->GetMaxHp();
        ASSERT_EQ(Hero()->GetHp(), full);
        for (int i = 0; i < kMinute && Field() == field; ++i) {
            driver_.Step();
        }
        ASSERT_EQ(Field(), field) << "the field ended";
        EXPECT_EQ(Hero()->GetHp(), full) << "a blow reached the hero";
        for (const Placed& e : placed) {
            EXPECT_NE(EnemyNear(field, e.type, e.place, 1.0F), nullptr) << "type " << e.type << " left its place";
        }
    }
};

TEST_F(BattleMapPlacesRoad, ANewHeroStandingWhereTheTownsGateLeadsSurvivesAMinute)
{
    TGameData::GetInstance()->Reset();
    const D3DXVECTOR3 front = SampleLayout::TownGateFront();
    TFieldLoop* field = Enter(SampleLayout::kTown, front, SampleLayout::GateFacing(), front + D3DXVECTOR3(0.0F, 3.0F, -6.0F));
    ASSERT_NE(field, nullptr);
    ASSERT_TRUE(driver_.StepUntil(
        [&] {
            if (TMapProbe::IsInPhase(*field)) {
                qmtest::ReleaseArrows();
                return false;
            }
            if (dynamic_cast<TBattleArea*>(field->GetArea()) != nullptr) {
                return true;
            }
            qmtest::WalkTowards(field, SampleLayout::TownGateEntry());
            return false;
        },
        600));
    qmtest::ReleaseArrows();
    StandAMinute(field);
}

TEST_F(BattleMapPlacesRoad, ANewHeroStandingWhereTheFenceGapLeadsSurvivesAMinute)
{
    TGameData::GetInstance()->Reset();
    const D3DXVECTOR3 gap = SampleLayout::EastGap();
    TFieldLoop* field = Enter(SampleLayout::kTown, gap - D3DXVECTOR3(1.0F, 0.0F, 0.0F), {1.0F, 0.0F, 0.0F},
                              gap - D3DXVECTOR3(7.0F, -3.0F, 0.0F));
    ASSERT_NE(field, nullptr);
    driver_.Steps(2);
    driver_.Press(qmtest::Button::A);
    driver_.Step();
    ASSERT_TRUE(TMapProbe::IsInPhase(*field));
    ASSERT_TRUE(driver_.StepUntil([&] { return !TMapProbe::IsInPhase(*field); }, 300));
    StandAMinute(field);
}

// The arena as the battle map's south-east corner leads into it: a new hero standing still where
// he arrives keeps his HP for a minute, the brawler and the hedge mage waiting on their places.
TEST_F(BattleMapPlacesRoad, ANewHeroStandingWhereTheArenasGateLeadsSurvivesAMinute)
{
    TGameData::GetInstance()->Reset();
    const std::vector<qmtest::FieldMap> maps = sample::SampleMaps();
    const auto battle = std::find_if(maps.begin(), maps.end(), [](const qmtest::FieldMap& m) { return m.entry == "b04_00"; });
    ASSERT_NE(battle, maps.end());
    const auto gate = std::find_if(battle->triggers.begin(), battle->triggers.end(),
                                   [](const qmtest::FieldTrigger& t) { return t.destination == sample::Reactions::kArena; });
    ASSERT_NE(gate, battle->triggers.end());
    TFieldLoop* field = Enter(sample::Reactions::kArena, gate->startPosition, gate->startDirection, gate->startCamera);
    ASSERT_NE(field, nullptr);
    StandAMinute(field, gate->startPosition,
                 {{sample::Reactions::kBrawlerType, sample::Reactions::Brawler()},
                  {sample::EnemyArts::kMageType, sample::EnemyArts::Mage()}});
}

// The first fight as a newcomer has it: turned round from the arrival to the first enemy behind
// him, a new hero walks up to it and swings Z at it until it falls. He lives, and the strong one
// never comes off its dark patch ahead.
TEST_F(BattleMapPlacesRoad, ANewHeroBeatsTheFirstEnemyWhereItWaitsAndTheStrongOneStaysOnItsPatch)
{
    TFieldLoop* field = NewHeroAtTheArrival();
    ASSERT_NE(field, nullptr);
    int step = 0;
    int offPatch = 0;
    float closest = 100.0F;
    const bool over = driver_.StepUntil(
        [&] {
            if (Field() != field || !Standing()) {
                return true;
            }
            if (EnemyNear(field, SampleLayout::kStrongEnemyType, SampleLayout::StrongEnemy(), 1.0F) == nullptr) {
                ++offPatch;
            }
            TEnemy* first = Live(qmtest::kFieldEnemyType);
            closest = std::min(closest, FlatDistance(PositionOf(Hero()), SampleLayout::StrongEnemy()));
            if (first == nullptr) {
                return true;
            }
            if (FlatDistance(PositionOf(Hero()), PositionOf(first)) > 1.6F) {
                SceneDriver::Hold(qmtest::Button::A, false);
                Toward(PositionOf(first));
            } else {
                qmtest::ReleaseArrows();
                SceneDriver::Hold(qmtest::Button::A, step % 16 == 0);
            }
            ++step;
            return false;
        },
        3600);
    SceneDriver::ReleaseAll();
    ASSERT_TRUE(over) << "the first enemy still stands";
    ASSERT_EQ(Field(), field);
    EXPECT_TRUE(Standing()) << "the first fight ended the hero";
    EXPECT_EQ(Live(qmtest::kFieldEnemyType), nullptr);
    EXPECT_EQ(offPatch, 0) << "the strong one came off its patch";
    // Its notice is 8: a fight pushed north by the first enemy's blows keeps as much again.
    EXPECT_GT(closest, 16.0F) << "the fight came near the strong one";
}

// A hero standing within an enemy's notice, some six steps off, sees it come for him, unless it
// is of the kinds that keep their ground; walked up to, each swings at him and its blow or breath
// lands; the strong one goes on until he falls.
TEST_F(BattleMapPlacesRoad, WalkingUpToAnyEnemyBringsItsBlowsAndTheStrongOneBeatsANewHero)
{
    struct Row {
        std::uint32_t type;
        D3DXVECTOR3 from;  // where the hero stands, away from the others
        bool comes;
    };
    const std::vector<Row> rows = {
        {qmtest::kFieldEnemyType, {20.0F, 0.0F, 7.0F}, true},
        {22, {13.0F, 0.0F, 3.0F}, true},
        {2, {14.0F, 0.0F, 14.0F}, true},
        {10011, {10.0F, 0.0F, 24.0F}, false},
        {59, {37.0F, 0.0F, 13.0F}, false},
        {10025, {28.0F, 0.0F, 8.0F}, false},
        {11, {7.0F, 0.0F, 18.0F}, true},
        {13, {11.0F, 0.0F, 9.0F}, true},
        {SampleLayout::kStrongEnemyType, {28.0F, 0.0F, 20.0F}, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.type);
        TFieldLoop* field = NewHeroAtTheArrival();
        ASSERT_NE(field, nullptr);
        TEnemy* enemy = Live(row.type);
        ASSERT_NE(enemy, nullptr);
        D3DXVECTOR3 facing = PositionOf(enemy) - row.from;
        facing.y = 0.0F;
        D3DXVec3Normalize(&facing, &facing);
        Hero()->PlaceAt(row.from, facing);
        const std::int32_t full = Hero()->GetHp();
        const D3DXVECTOR3 place = PositionOf(enemy);
        driver_.Steps(120);
        EXPECT_EQ(FlatDistance(PositionOf(enemy), row.from) < FlatDistance(place, row.from) - 1.0F, row.comes);
        bool swung = false;
        const auto struck = [&] {
            return Hero()->GetHp() < full || Hero()->GetPoison().Remaining > 0 ||
                   Hero()->GetReversedControls().Remaining > 0;
        };
        const bool strong = row.type == SampleLayout::kStrongEnemyType;
        ASSERT_TRUE(Walk({PositionOf(enemy)}, [&] { return FlatDistance(PositionOf(Hero()), PositionOf(enemy)) < 1.4F; },
                         600))
            << "not reached";
        ASSERT_TRUE(driver_.StepUntil(
            [&] {
                if (!Standing()) {
                    return true;
                }
                swung = swung || enemy->GetState() == kAttackState;
                return swung && struck() && !strong;
            },
            strong ? 1800 : 900));
        EXPECT_TRUE(swung);
        if (strong) {
            EXPECT_FALSE(Standing()) << "the strong one beats a new hero";
        } else {
            EXPECT_TRUE(struck());
        }
    }
}

// The README sends a newcomer from the arrival to the time stopper on his right: walked straight
// there and then standing beside it while it fights him, the hero never comes within twice the
// strong one's notice (8) of it, so it never comes for him.
TEST_F(BattleMapPlacesRoad, TheStraightWayToTheTimeStopperAndItsGroundKeepClearOfTheStrongOne)
{
    TFieldLoop* field = NewHeroAtTheArrival();
    ASSERT_NE(field, nullptr);
    TEnemy* strong = Live(SampleLayout::kStrongEnemyType);
    TEnemy* stopper = Live(SampleLayout::kTimeStopEnemyType);
    ASSERT_NE(strong, nullptr);
    ASSERT_NE(stopper, nullptr);
    float closest = 100.0F;
    const auto watch = [&] {
        closest = std::min(closest, FlatDistance(PositionOf(Hero()), PositionOf(strong)));
        return Field() != field || !Standing();
    };
    const bool reached = driver_.StepUntil(
        [&] {
            if (watch()) {
                return true;
            }
            if (FlatDistance(PositionOf(Hero()), PositionOf(stopper)) < 1.5F) {
                return true;
            }
            qmtest::WalkTowards(field, PositionOf(stopper));
            return false;
        },
        600);
    qmtest::ReleaseArrows();
    ASSERT_TRUE(reached && Field() == field && Standing()) << "not beside the stopper";
    // Three seconds beside it, its blows pushing him about.
    for (int i = 0; i < 180 && !watch(); ++i) {
        driver_.Step();
    }
    EXPECT_GE(closest, 16.0F);
    EXPECT_NE(EnemyNear(field, SampleLayout::kStrongEnemyType, SampleLayout::StrongEnemy(), 1.0F), nullptr)
        << "the strong one came off its patch";
}

// A hero of the first level, as a new game has him, walks from the arrival to the time stopper and
// stays beside it, stepping back up to it whenever its blows throw him off, until it has stopped
// time once and let him go; then he walks back to the arrival, alive. Its blows barely scratch him:
// a stop comes only in about one of its swings in twenty.
TEST_F(BattleMapPlacesRoad, AFirstLevelHeroStoppedOnceByTheTimeStopperWalksBackAlive)
{
    TFieldLoop* field = NewHeroAtTheArrival();
    ASSERT_NE(field, nullptr);
    ASSERT_EQ(Hero()->GetLevel(), 0u) << "the first level, counted from 0";
    const std::int32_t full = Hero()->GetHp();
    TEnemy* stopper = Live(SampleLayout::kTimeStopEnemyType);
    ASSERT_NE(stopper, nullptr);
    const auto beside = [&] { return FlatDistance(PositionOf(Hero()), PositionOf(stopper)) < 1.5F; };
    ASSERT_TRUE(Walk({PositionOf(stopper)}, beside, 600)) << "not beside the stopper";
    int stops = 0;
    bool stopped = false;
    const bool over = driver_.StepUntil(
        [&] {
            if (Field() != field || !Standing()) {
                return true;
            }
            stops += IsTimeStopped() && !stopped ? 1 : 0;
            stopped = IsTimeStopped();
            if (!stopped && !beside()) {
                Toward(PositionOf(stopper));
            } else {
                qmtest::ReleaseArrows();
            }
            return stops == 1 && !stopped;
        },
        4800);
    qmtest::ReleaseArrows();
    ASSERT_TRUE(over && Field() == field && Standing()) << "never stopped, or felled beside it";
    EXPECT_EQ(stops, 1);
    EXPECT_TRUE(Walk({SampleLayout::BattleArrival()},
                     [&] { return FlatDistance(PositionOf(Hero()), SampleLayout::BattleArrival()) < 1.0F; }, 900))
        << "not back alive";
    // Most of his HP is left: a newcomer who stays for a second stop lives through that too.
    EXPECT_GT(Hero()->GetHp(), full / 2);
}

// From the arrival, each time a new hero: to the time stopper on the right, the partner's
// weapons behind, the charms far behind on the left, the spore flower by the west fence and the
// cures north of it, the grey moth, and through the south-east corner to the arena, its south-west
// corner to the meadow and the meadow's to the hollow; each reached with HP left. In the arena he
// meets the brawler as the README has a newcomer do: walked into, so that it lands three blows
// first, then faced and swung at with Z until it falls, its blows only scratching him. The
// enemies' choices come from the shared generator, seeded here so that the road is the same alone
// and after any other test.
TEST_F(BattleMapPlacesRoad, ANewHeroReachesEveryPlaceTheReadmeNames)
{
    init_genrand(1);
    TGameData* data = TGameData::GetInstance();
    const auto near = [&](std::uint32_t type, float reach) {
        return [&, type, reach] {
            TEnemy* e = Live(type);
            return e != nullptr && FlatDistance(PositionOf(Hero()), PositionOf(e)) < reach;
        };
    };
    const auto flags = [&](std::uint32_t first, std::uint32_t count) {
        return [&, first, count] {
            for (std::uint32_t f = first; f < first + count; ++f) {
                if (data->GetPickupFlag(f) == 0) {
                    return false;
                }
            }
            return true;
        };
    };
    struct Leg {
        const char* place;
        std::vector<D3DXVECTOR3> points;
        std::function<bool()> reached;
    };
    std::vector<D3DXVECTOR3> weapons;
    for (std::size_t i = 0; i < 4; ++i) {
        weapons.push_back(sample::PartnerClasses::Pickup(i));
    }
    std::vector<D3DXVECTOR3> charms = {{8.0F, 0.0F, 7.0F}};
    for (std::uint32_t k : {5u, 4u, 3u, 0u, 1u, 2u}) {
        charms.push_back(sample::CharmLayout::Pickup(k));
    }
    std::vector<D3DXVECTOR3> cures = {{9.0F, 0.0F, 17.0F}, {2.5F, 0.0F, 19.5F}};
    for (const sample::CurePickup& cure : sample::CurePickups()) {
        cures.push_back(cure.position);
    }
    const std::vector<Leg> legs = {
        {"the time stopper", {{34.0F, 0.0F, 8.0F}}, near(SampleLayout::kTimeStopEnemyType, 2.5F)},
        {"the partner's weapons", weapons, flags(sample::PartnerClasses::kSpearFlag, 4)},
        {"the charms", charms, flags(sample::CharmLayout::kFirstFlag, sample::CharmLayout::kCharmCount)},
        {"the spore flower and the cures", cures,
         [&] {
             const auto& all = sample::CurePickups();
             return std::all_of(all.begin(), all.end(), [&](const auto& c) { return data->GetPickupFlag(c.flag) != 0; });
         }},
        {"the moth", {{12.0F, 0.0F, 9.5F}, {5.0F, 0.0F, 9.0F}}, near(13, 2.5F)},
    };
    for (const Leg& leg : legs) {
        SCOPED_TRACE(leg.place);
        ASSERT_NE(NewHeroAtTheArrival(), nullptr);
        EXPECT_TRUE(Walk(leg.points, leg.reached, 1800)) << "not reached alive";
    }

    // On through the corners, each time onto a map of its own.
    TFieldLoop* field = NewHeroAtTheArrival();
    ASSERT_NE(field, nullptr);
    // Into each corner along its gate's facing: steered straight south, the arrows would dither
    // between the two diagonals on the way down and never hold the gate's way long enough.
    const auto corner = [](const D3DXVECTOR3& minimum, const D3DXVECTOR3& maximum) {
        const D3DXVECTOR3 middle = (minimum + maximum) * 0.5F;
        return std::vector<D3DXVECTOR3>{middle + D3DXVECTOR3(0.0F, 0.0F, 3.0F),
                                        middle + sample::CornerGateFacing(minimum, maximum) * 3.0F};
    };
    // A map change shows as its fade: seen, then over, with the new map's own enemies about.
    const auto onto = [&](std::uint32_t type) {
        auto faded = std::make_shared<bool>(false);
        return [&, faded, type] {
            *faded = *faded || TMapProbe::IsInPhase(*field);
            return *faded && !TMapProbe::IsInPhase(*field) &&
                   (type == 0 ? Live(sample::Reactions::kBrawlerType) == nullptr : Live(type) != nullptr);
        };
    };
    std::vector<D3DXVECTOR3> toArena = {{30.0F, 0.0F, 4.0F}};
    for (const D3DXVECTOR3& p : corner(sample::Reactions::GateMinimum(), sample::Reactions::GateMaximum())) {
        toArena.push_back(p);
    }
    ASSERT_TRUE(Walk(toArena, onto(sample::Reactions::kBrawlerType), 1800)) << "the arena";
    // Up the arena into the brawler a dozen steps ahead, as a newcomer holding Up too long does: it
    // comes for him and lands three blows before he swings back with Z until it falls.
    ASSERT_EQ(Hero()->GetLevel(), 0u) << "a new hero";
    const std::int32_t full = Hero()->GetHp();
    int swing = 0;
    std::int32_t hp = full;
    std::vector<std::int32_t> blows;
    const bool won = driver_.StepUntil(
        [&] {
            if (Hero()->GetHp() < hp) {
                blows.push_back(hp - Hero()->GetHp());
            }
            hp = Hero()->GetHp();
            TEnemy* brawler = Live(sample::Reactions::kBrawlerType);
            if (Field() != field || !Standing() || brawler == nullptr) {
                return true;
            }
            if (blows.size() < 3) {
                Toward(PositionOf(brawler));
            } else if (FlatDistance(PositionOf(Hero()), PositionOf(brawler)) > 1.6F) {
                SceneDriver::Hold(qmtest::Button::A, false);
                Toward(PositionOf(brawler));
            } else {
                qmtest::ReleaseArrows();
                SceneDriver::Hold(qmtest::Button::A, swing % 16 == 0);
            }
            ++swing;
            return false;
        },
        2400);
    SceneDriver::ReleaseAll();
    ASSERT_TRUE(won && Field() == field && Standing()) << "the brawler beat a new hero";
    EXPECT_EQ(Live(sample::Reactions::kBrawlerType), nullptr) << "the brawler still stands";
    // Knocked about, but only scratched: no blow takes more than its heavy one's 2 (twice its plain
    // 1), and three quarters of his HP are left.
    ASSERT_GE(blows.size(), 3u);
    EXPECT_LE(*std::max_element(blows.begin(), blows.end()), 2);
    EXPECT_GT(Hero()->GetHp() * 4, full * 3);
    std::vector<D3DXVECTOR3> toMeadow = {{30.0F, 0.0F, 4.0F}, {8.0F, 0.0F, 4.0F}};
    for (const D3DXVECTOR3& p : corner(sample::LeftoverLayout::ArenaGateMinimum(), sample::LeftoverLayout::ArenaGateMaximum())) {
        toMeadow.push_back(p);
    }
    ASSERT_TRUE(Walk(toMeadow, onto(0), 2400)) << "the meadow";
    std::vector<D3DXVECTOR3> toHollow = {{30.0F, 0.0F, 4.0F}, {8.0F, 0.0F, 4.0F}};
    for (const D3DXVECTOR3& p : corner(sample::StealLayout::MeadowGateMinimum(), sample::StealLayout::MeadowGateMaximum())) {
        toHollow.push_back(p);
    }
    ASSERT_TRUE(Walk(toHollow, onto(sample::StealLayout::kThiefType), 2400)) << "the hollow";
}

}  // namespace
