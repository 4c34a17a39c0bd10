// The sample as a newcomer meets it with only the README in hand: a new game started from the
// title as a player starts it, the opening scenes skipped, the town's way up the sand path and
// through the gate, the battle map's south-east corner, and the arena's brawler fought with Z as it
// comes; once as the new game gives the hero (then to the meadow and back, past the hedge mage),
// once at the second level that the battle map's first enemy brings him, and at a newcomer's pace of
// a swing every 1.2 seconds, in the open and with his back to the arena's south barrier; a long
// stand under the brawler, and what the hedge mage does to a new hero who comes near it. His turns,
// standing and walking, each after a straight walk, and Down and the side arrows pressed into a
// corner, square on or come in along a fence at a slant, or against a flat wall; and the meadow's
// scarecrow, where it rises, what it does to a hero who stands still, what fells it and what gets
// a hero it pins in a corner out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Character/TEnemy.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TAttackHit.h"
#include "MainCode/Map/TBattleArea.h"
#include "MainCode/Map/TCamera.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Map/TTownArea.h"
#include "MainCode/Menu/TSelectContinueDataLoop.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "SampleData/battle_start.h"
#include "SampleData/field_road.h"
#include "dx/dx8/3d/TFrame.h"
#include "make-sample-data/SampleData.h"
#include "support/field_walk.h"
#include "support/character_probe.h"
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
    TEnemy* Live(std::uint32_t type) const { return Living(type).Get(); }
    // The living enemy of that type, held so that the field cannot let it go under the road.
    TRefPtr<TEnemy> Living(std::uint32_t type) const
    {
        for (const auto& entry : Field()->GetArea()->GetEnemies()->GetLive()) {
            if (entry.second->GetRelatedId() == type && entry.second->IsAlive()) {
                return entry.second;
            }
        }
        return TRefPtr<TEnemy>();
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
    // hero fell, a story scene started or the steps ran out. A map change's fade is waited out, and
    // so is every step on which go, when given, does not hold (he stands and lets it come).
    bool Walk(const std::vector<D3DXVECTOR3>& points, const std::function<bool()>& done, int steps,
              const std::function<bool()>& go = nullptr)
    {
        std::size_t next = 0;
        const bool reached = driver_.StepUntil(
            [&] {
                if (Field() == nullptr || !Standing() || TScriptProcessManager::Get() != nullptr || done()) {
                    return true;
                }
                if (TMapProbe::IsInPhase(*Field()) || (go && !go())) {
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

    // Into the corner gate of the box from min to max, from 3 north of its middle along its facing,
    // until done says the map on is reached; watch, when given, sees every step on a map in play.
    bool IntoCorner(const D3DXVECTOR3& min, const D3DXVECTOR3& max, const std::function<bool()>& done,
                    const std::function<void()>& watch = nullptr)
    {
        const D3DXVECTOR3 middle = (min + max) * 0.5F;
        return Walk({middle + D3DXVECTOR3(0.0F, 0.0F, 3.0F), middle + sample::CornerGateFacing(min, max) * 3.0F},
                    [&] {
                        if (TMapProbe::IsInPhase(*Field())) {
                            return false;
                        }
                        if (watch) {
                            watch();
                        }
                        return done();
                    },
                    1500);
    }

    // Turned round to the first enemy behind the arrival, walked up to and swung at with Z until it
    // falls.
    bool BeatTheFirstEnemy() { return FightUntilItFalls(qmtest::kFieldEnemyType, 3600).won; }

    // Toward the enemy until within reach (a swing's, unless told), then Z tapped once every so many
    // steps.
    void Swing(TEnemy* enemy, int step, int every = 16, float reach = 1.6F)
    {
        if (FlatDistance(PositionOf(Hero()), PositionOf(enemy)) > reach) {
            SceneDriver::Hold(Button::A, false);
            qmtest::WalkTowards(Field(), PositionOf(enemy));
        } else {
            qmtest::ReleaseArrows();
            SceneDriver::Hold(Button::A, step % every == 0);
        }
    }

    // Faced and swung at with Z (every so many steps) until the enemy of that type falls or the
    // hero does. Every HP the hero lost in it, blow by blow, and how many of his swings took HP
    // from the enemy; watch, when given, sees every step.
    struct Fight {
        bool won = false;
        std::vector<std::int32_t> blows;
        int landed = 0;
    };
    Fight FightUntilItFalls(std::uint32_t type, int limit, int every = 16, float reach = 1.6F,
                            const std::function<void()>& watch = nullptr)
    {
        Fight fight;
        std::int32_t hp = Hero()->GetHp();
        // Each swing strikes once: the hero's strikes that have found the enemy, held past their
        // end so that none is counted twice. The HP a felled enemy loses as it goes down is no swing.
        const TRefPtr<TEnemy> foe = Living(type);
        std::vector<TRefPtr<TAttackHit>> landed;
        int step = 0;
        fight.won = driver_.StepUntil(
            [&] {
                if (Hero()->GetHp() < hp) {
                    fight.blows.push_back(hp - Hero()->GetHp());
                }
                hp = Hero()->GetHp();
                for (const TRefPtr<TAttackHit>& hit : TCharacterProbe::Hits(*Hero())) {
                    if (foe.Get() != nullptr && hit->IsInHitList(foe.Get()) &&
                        std::none_of(landed.begin(), landed.end(), [&](const auto& h) { return h.Get() == hit.Get(); })) {
                        landed.push_back(hit);
                    }
                }
                TEnemy* enemy = Live(type);
                if (!Standing() || enemy == nullptr) {
                    return true;
                }
                if (watch) {
                    watch();
                }
                Swing(enemy, step++, every, reach);
                return false;
            },
            limit);
        SceneDriver::ReleaseAll();
        fight.won = fight.won && Standing() && Live(type) == nullptr;
        fight.landed = static_cast<int>(landed.size());
        return fight;
    }
    // The arena's fight as the README has it: up the sand toward the brawler until it comes, then
    // faced and swung at with Z until it falls.
    Fight FightTheBrawler() { return FightUntilItFalls(Reactions::kBrawlerType, 2400); }
    // A new game's hero in the arena as the battle map's corner puts him, walked toward the brawler
    // until it is within reach; the brawler, or null when it never came.
    TEnemy* BrawlerWithin(float reach)
    {
        TGameData::GetInstance()->Reset();
        if (Enter(Reactions::kArena, qmtest::FieldLayout::Start(), qmtest::FieldLayout::StartDirection(),
                  qmtest::FieldLayout::StartCamera()) == nullptr) {
            return nullptr;
        }
        TEnemy* brawler = Live(Reactions::kBrawlerType);
        const bool came = brawler != nullptr &&
                          Walk({Reactions::Brawler()},
                               [&] { return FlatDistance(PositionOf(Hero()), PositionOf(brawler)) < reach; }, 1200);
        return came ? brawler : nullptr;
    }

    // The way the hero faces, flat and of length one.
    D3DXVECTOR3 Front() const
    {
        D3DXVECTOR3 front;
        Hero()->GetFront(&front);
        front.y = 0.0F;
        return *D3DXVec3Normalize(&front, &front);
    }
    // Where the field's camera stands.
    D3DXVECTOR3 Eye() const
    {
        D3DXVECTOR3 eye;
        Field()->GetArea()->GetCamera()->GetFrame()->GetPosition(&eye);
        return eye;
    }
    // The side arrow turns him within 0.4 seconds and, held 40 steps more, walks him on more than a
    // unit from where he stood.
    void ExpectASideArrowWalksHimOn(Button side)
    {
        const D3DXVECTOR3 from = PositionOf(Hero());
        const Turn aside = HoldUntilTurned(side, 60);
        EXPECT_GT(aside.steps, 0) << "the side arrow did not turn him";
        EXPECT_LE(aside.steps, 24);
        SceneDriver::Hold(side, true);
        driver_.Steps(40);
        SceneDriver::Hold(side, false);
        EXPECT_GT(FlatDistance(PositionOf(Hero()), from), 1.0F) << "not walked on";
    }
    // A new game's hero in the town at from, facing that way with the camera behind him, Up held
    // that many steps and let go a third of a second; false when the town could not be built.
    bool PressedIn(const D3DXVECTOR3& from, const D3DXVECTOR3& way, int steps)
    {
        D3DXVECTOR3 facing;
        D3DXVec3Normalize(&facing, &way);
        if (EnterNewHeroFacing(SampleLayout::kTown, from, facing) == nullptr) {
            return false;
        }
        SceneDriver::Hold(Button::Up, true);
        driver_.Steps(steps);
        SceneDriver::Hold(Button::Up, false);
        driver_.Steps(20);
        return true;
    }
    // Holds key for at most that many steps, until the hero faces more than 45 degrees away from
    // where he faced when it went down: the steps that took (0: he did not turn so far), and the
    // furthest he got from where he stood before he turned.
    struct Turn {
        int steps = 0;
        float moved = 0.0F;
    };
    Turn HoldUntilTurned(Button key, int limit)
    {
        const D3DXVECTOR3 was = Front();
        const D3DXVECTOR3 from = PositionOf(Hero());
        Turn turn;
        SceneDriver::Hold(key, true);
        for (int i = 1; i <= limit && turn.steps == 0; ++i) {
            driver_.Step();
            const D3DXVECTOR3 now = Front();
            if (D3DXVec3Dot(&now, &was) < 0.7071F) {
                turn.steps = i;
            } else {
                turn.moved = std::max(turn.moved, FlatDistance(PositionOf(Hero()), from));
            }
        }
        SceneDriver::Hold(key, false);
        return turn;
    }
};

// Z about once every 1.2 seconds, as a newcomer taps it.
constexpr int kNewcomersPace = 72;

// Some four of a new hero's swings that land fell the brawler.
void ExpectSomeFourSwings(int landed)
{
    EXPECT_GE(landed, 3) << "swings that landed";
    EXPECT_LE(landed, 4) << "swings that landed";
}

// A new game's hero, as the title gives him: at the first level with 120 HP and the guard of 104
// the folder's bracelet and ring give him, the brawler's blows take at most 2 of his HP, some four
// of his swings that land fell it, and he ends the fight with more than three quarters of his HP.
// On through the arena's south-west corner to the meadow and straight back through its south-east
// corner, he arrives facing north with the hedge mage in plain view ahead, some sixteen units off;
// steered from there to the arena's south-east corner, back onto the battle map, he passes clear of
// it and of the risen brawler: neither leaves its place, and he loses no HP.
TEST_F(NewcomerRoad, ANewGamesHeroFightsTheArenasBrawlerAndKeepsThreeQuartersOfHisHp)
{
    using sample::EnemyArts;
    using sample::LeftoverLayout;
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
    EXPECT_LE(*std::max_element(fight.blows.begin(), fight.blows.end()), 2);
    EXPECT_GT(Hero()->GetHp() * 4, 120 * 3);
    ExpectSomeFourSwings(fight.landed);

    // The meadow has no mage, the arena has.
    const auto inMeadow = [&] { return Live(EnemyArts::kMageType) == nullptr && Field()->GetArea()->GetEnemies() != nullptr; };
    ASSERT_TRUE(IntoCorner(LeftoverLayout::ArenaGateMinimum(), LeftoverLayout::ArenaGateMaximum(), inMeadow))
        << "the arena's south-west corner";
    ASSERT_TRUE(IntoCorner(LeftoverLayout::MeadowGateMinimum(), LeftoverLayout::MeadowGateMaximum(),
                           [&] { return Live(EnemyArts::kMageType) != nullptr; }))
        << "the meadow's south-east corner";
    // Read only while the arena is the map in play.
    TEnemy* mage = Live(EnemyArts::kMageType);
    TEnemy* brawler = Live(Reactions::kBrawlerType);
    ASSERT_NE(brawler, nullptr) << "risen again";
    const D3DXVECTOR3 arrival = PositionOf(Hero());
    EXPECT_LT(FlatDistance(arrival, sample::CornerArrival(false)), 0.5F);
    D3DXVECTOR3 toMage = PositionOf(mage) - arrival;
    toMage.y = 0.0F;
    const float off = D3DXVec3Length(&toMage);
    EXPECT_GT(off, 15.0F);
    EXPECT_LT(off, 17.0F);
    D3DXVec3Normalize(&toMage, &toMage);
    const D3DXVECTOR3 front = Front();
    EXPECT_GT(D3DXVec3Dot(&front, &toMage), 0.9F) << "not ahead of him";

    const std::int32_t hp = Hero()->GetHp();
    float strayed = 0.0F;
    const D3DXVECTOR3 mageHome = PositionOf(mage);
    const D3DXVECTOR3 brawlerHome = PositionOf(brawler);
    // Until the battle map comes.
    const auto watch = [&] {
        if (Live(EnemyArts::kMageType) != nullptr) {
            strayed = std::max({strayed, FlatDistance(PositionOf(mage), mageHome),
                                FlatDistance(PositionOf(brawler), brawlerHome)});
        }
    };
    ASSERT_TRUE(IntoCorner(Reactions::GateMinimum(), Reactions::GateMaximum(),
                           [&] { return Live(qmtest::kFieldEnemyType) != nullptr; }, watch))
        << "the arena's south-east corner";
    EXPECT_LT(strayed, 0.05F) << "the mage or the brawler came for him";
    EXPECT_EQ(Hero()->GetHp(), hp);
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
    EXPECT_LE(*std::max_element(fight.blows.begin(), fight.blows.end()), 2);
    EXPECT_LT((before - Hero()->GetHp()) * 8, full);
}

// A newcomer's pace: the same road, but Z tapped only once every 1.2 seconds once the brawler is
// within a swing. Its blows still take at most 2 of his 120 HP, he keeps three quarters of it, and
// some four of his swings that land fell it.
TEST_F(NewcomerRoad, SwingingOnlyOnceEveryOneAndAFifthSecondsANewHeroKeepsThreeQuartersOfHisHp)
{
    init_genrand(11);
    ASSERT_NE(NewGameInTown(), nullptr) << "no town after a new game";
    ASSERT_TRUE(TownToBattleMap()) << "the town's gate";
    ASSERT_TRUE(BattleMapToArena()) << "the battle map's south-east corner";
    ASSERT_EQ(Hero()->GetHp(), 120) << "struck on the way";
    const Fight fight = FightUntilItFalls(Reactions::kBrawlerType, 3600, kNewcomersPace);
    ASSERT_TRUE(fight.won) << "the brawler beat a new hero";
    ASSERT_FALSE(fight.blows.empty()) << "no blow landed";
    EXPECT_LE(*std::max_element(fight.blows.begin(), fight.blows.end()), 2);
    EXPECT_GE(Hero()->GetHp() * 4, 120 * 3);
    ExpectSomeFourSwings(fight.landed);
}

// Where the brawler drives him back against the arena's south barrier: led back there from where it
// came for him, with it at his heels, he fights it with his back to the barrier and the camera
// outside it, so that the barrier hides him: Z at the newcomer's pace, stepping up to it only when
// it stands off more than three units. Each blow takes at most 2 of his HP, he still keeps three
// quarters of it, and some four of his swings that land fell it.
TEST_F(NewcomerRoad, AgainstTheArenasSouthBarrierTheBrawlerStillLeavesANewHeroThreeQuarters)
{
    init_genrand(3);
    TEnemy* brawler = BrawlerWithin(3.0F);
    ASSERT_NE(brawler, nullptr) << "it never came";
    const auto within = [&](float reach) { return FlatDistance(PositionOf(Hero()), PositionOf(brawler)) < reach; };
    // His body stops 0.7 short of the barrier (z 0).
    ASSERT_TRUE(Walk({{20.0F, 0.0F, 0.0F}}, [&] { return PositionOf(Hero()).z < 1.0F; }, 1800,
                     [&] { return within(4.0F); }))
        << "not back at the barrier";
    int steps = 0;
    int hidden = 0;   // the camera outside the barrier
    int against = 0;  // pressed against it
    const Fight fight = FightUntilItFalls(Reactions::kBrawlerType, 3600, kNewcomersPace, 3.0F, [&] {
        ++steps;
        hidden += Eye().z < 0.0F ? 1 : 0;
        against += PositionOf(Hero()).z < 1.0F ? 1 : 0;
    });
    ASSERT_TRUE(fight.won) << "the brawler beat a new hero";
    ASSERT_FALSE(fight.blows.empty()) << "no blow landed";
    EXPECT_EQ(hidden, steps) << "the camera came inside the barrier";
    EXPECT_GT(against * 2, steps) << "against the barrier " << against << " steps of " << steps;
    EXPECT_LE(*std::max_element(fight.blows.begin(), fight.blows.end()), 2);
    EXPECT_GE(Hero()->GetHp() * 4, 120 * 3);
    ExpectSomeFourSwings(fight.landed);
}

// Standing still under the brawler for a hundred seconds, a new hero is pushed about the arena and
// into a corner by some thirty blows that take HP, and none of them takes more than 2 in a step: a
// light blow that misses ends with its swing, and never lands later beside the next blow. Drawn
// once every four steps, as the game catches up on a slow machine: the same steps for a quarter of
// the drawing, and the blows come eight steps apart at the least.
TEST_F(NewcomerRoad, StandingStillUnderTheBrawlerAHundredSecondsNoStepTakesMoreThanTwoHp)
{
    init_genrand(14);
    ASSERT_NE(BrawlerWithin(1.5F), nullptr) << "it never came";
    std::int32_t hp = Hero()->GetHp();
    std::int32_t largest = 0;
    int blows = 0;
    for (int frame = 0; frame < 1500 && Standing(); ++frame) {
        driver_.StepsInOneFrame(4);
        largest = std::max(largest, hp - Hero()->GetHp());
        blows += Hero()->GetHp() < hp ? 1 : 0;
        hp = Hero()->GetHp();
    }
    ASSERT_TRUE(Standing()) << "felled";
    EXPECT_GE(blows, 20);
    EXPECT_LE(largest, 2);
}

// The hedge mage, met as a new hero comes back from the meadow (where its south-east corner puts him,
// facing north): walked on toward it, it stays in its corner until he is within eight units of its
// place, then keeps up with him as he walks away, never more than eight units behind; standing
// still, each of its swings takes 80 of his 120 HP (the spell 52, the blow 28), or all he has left,
// so its second swing fells him.
TEST_F(NewcomerRoad, TheHedgeMageComesWithinEightUnitsKeepsUpAndItsSecondSwingFellsANewHero)
{
    using sample::EnemyArts;
    init_genrand(4);
    TGameData::GetInstance()->Reset();
    ASSERT_NE(Enter(Reactions::kArena, sample::CornerArrival(false), {0.0F, 0.0F, 1.0F},
                    sample::CornerArrivalCamera(false)),
              nullptr);
    const TRefPtr<TEnemy> mage = Living(EnemyArts::kMageType);
    ASSERT_NE(mage.Get(), nullptr);
    const D3DXVECTOR3 home = PositionOf(mage.Get());
    std::vector<std::int32_t> losses;  // by step
    std::int32_t hp = Hero()->GetHp();
    const auto step = [&] {
        driver_.Step();
        losses.push_back(hp - Hero()->GetHp());
        hp = Hero()->GetHp();
    };
    float leftAt = 0.0F;
    SceneDriver::Hold(Button::Up, true);
    for (int i = 0; i < 600 && leftAt == 0.0F; ++i) {
        const float away = FlatDistance(PositionOf(Hero()), home);
        step();
        leftAt = FlatDistance(PositionOf(mage.Get()), home) > 0.01F ? away : 0.0F;
    }
    SceneDriver::Hold(Button::Up, false);
    ASSERT_GT(leftAt, 0.0F) << "it never came";
    EXPECT_LE(leftAt, 8.0F);

    float behind = 0.0F;
    for (int i = 0; i < 300 && Standing(); ++i) {
        qmtest::WalkTowards(Field(), {30.0F, 0.0F, 4.0F});
        step();
        behind = std::max(behind, FlatDistance(PositionOf(Hero()), PositionOf(mage.Get())));
    }
    qmtest::ReleaseArrows();
    EXPECT_LT(behind, 8.0F) << "it fell behind";

    for (int i = 0; i < 1200 && Standing(); ++i) {
        step();
    }
    ASSERT_FALSE(Standing()) << "he stood";
    // A swing's two strikes come a few steps apart; swings, much further.
    std::vector<std::int32_t> swings;
    int last = -100;
    for (int i = 0; i < static_cast<int>(losses.size()); ++i) {
        if (losses[i] == 0) {
            continue;
        }
        if (i - last > 6) {
            swings.push_back(0);
        }
        swings.back() += losses[i];
        last = i;
    }
    EXPECT_EQ(swings, (std::vector<std::int32_t>{80, 40}));
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

// Walked into a town corner with Up held, the hero cannot step on, so the camera behind him stays
// where it is: two seconds and more pressed in, it stands straight behind him and Down held five
// seconds neither turns nor moves him; pressed in only a moment, Down turns him after a second or
// so. Against a flat fence or wall he slides a little along it and Down turns him within a second.
// A side arrow then turns him within 0.4 seconds and walks him on.
TEST_F(NewcomerRoad, DownDoesNotTurnAHeroPressedIntoACornerASideArrowDoes)
{
    struct Row {
        const char* what;
        D3DXVECTOR3 from, facing;
        int pressed;        // steps of Up held; he comes to the fence within 100
        int after, within;  // Down turns him after more than after steps and within within; 0: not in 300
        bool slides;        // along the fence before he turns
        Button side;
    };
    const Row rows[] = {
        {"south-west corner, pressed in", {-40.0F, 0.0F, 4.0F}, {-1.0F, 0.0F, -1.0F}, 300, 0, 0, false, Button::Left},
        {"south-east corner, pressed in", {36.0F, 0.0F, 4.0F}, {1.0F, 0.0F, -1.0F}, 240, 0, 0, false, Button::Right},
        {"south-west corner, a moment", {-40.0F, 0.0F, 4.0F}, {-1.0F, 0.0F, -1.0F}, 120, 40, 120, false, Button::Right},
        {"south fence, pressed in", {-30.0F, 0.0F, 4.0F}, {0.0F, 0.0F, -1.0F}, 300, 0, 60, true, Button::Left},
        {"north wall, a moment", {-10.0F, 0.0F, 25.0F}, {0.0F, 0.0F, 1.0F}, 110, 0, 60, true, Button::Right},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(PressedIn(row.from, row.facing, row.pressed));
        // The camera has come round behind him.
        D3DXVECTOR3 behind = Eye() - PositionOf(Hero());
        behind.y = 0.0F;
        D3DXVec3Normalize(&behind, &behind);
        const D3DXVECTOR3 front = Front();
        EXPECT_LT(D3DXVec3Dot(&behind, &front), -0.99F);

        const Turn down = HoldUntilTurned(Button::Down, 300);
        if (row.within == 0) {
            EXPECT_EQ(down.steps, 0) << "Down turned him";
        } else {
            EXPECT_GT(down.steps, row.after);
            EXPECT_LE(down.steps, row.within);
        }
        if (row.slides) {
            EXPECT_GT(down.moved, 0.05F) << "he did not slide along the fence";
        } else {
            EXPECT_LT(down.moved, 0.05F) << "Down moved him";
        }
        driver_.Steps(10);
        ExpectASideArrowWalksHimOn(row.side);
    }
}

// Come into a town corner along a fence at a slant, as a walker does (12 to 30 degrees off square,
// 33 to 15 from the fence, from 1.5 off it and 5 along it), and pressed in from half a second to
// three and a half: Down turns him after half a second to two seconds, if at all; a side arrow turns
// him within 0.4 seconds, and the one pointing away from the fence he came along walks him out.
TEST_F(NewcomerRoad, ComeIntoACornerAlongAFenceDownTurnsTheHeroLateIfAtAllASideArrowAtOnce)
{
    struct Row {
        const char* what;
        D3DXVECTOR3 from, facing;
        int pressed;  // steps of Up held; he comes into the corner within 140
        Button key;   // Down, or the side arrow pointing away from the fence he came along
    };
    const Row rows[] = {
        {"south-west corner along the south fence, 12 degrees off, three seconds", {-38.3F, 0.0F, 2.2F},
         {-0.839F, 0.0F, -0.545F}, 320, Button::Down},
        {"south-east corner along the south fence, 30 degrees off, three and a half seconds", {34.3F, 0.0F, 2.2F},
         {0.966F, 0.0F, -0.259F}, 350, Button::Down},
        {"north-east corner along the east fence, 30 degrees off, three seconds", {37.8F, 0.0F, 24.3F},
         {0.259F, 0.0F, 0.966F}, 320, Button::Down},
        {"south-west corner along the west fence, 20 degrees off, half a second", {-41.8F, 0.0F, 5.7F},
         {-0.423F, 0.0F, -0.906F}, 170, Button::Down},
        {"south-west corner along the south fence, 20 degrees off, two seconds", {-38.3F, 0.0F, 2.2F},
         {-0.906F, 0.0F, -0.423F}, 260, Button::Right},
        {"south-east corner along the east fence, 30 degrees off, a second", {37.8F, 0.0F, 5.7F},
         {0.259F, 0.0F, -0.966F}, 200, Button::Right},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(PressedIn(row.from, row.facing, row.pressed));
        const D3DXVECTOR3 from = PositionOf(Hero());
        // In the corner: 0.7 from both fences.
        EXPECT_LT(std::min(std::fabs(from.x + 43.3F), std::fabs(from.x - 39.3F)), 0.05F);
        EXPECT_LT(std::min(std::fabs(from.z - 0.7F), std::fabs(from.z - 29.3F)), 0.05F);
        if (row.key == Button::Down) {
            const Turn down = HoldUntilTurned(Button::Down, 300);
            if (down.steps != 0) {
                EXPECT_GT(down.steps, 30);
                EXPECT_LE(down.steps, 120);
            }
            EXPECT_LT(down.moved, 0.05F) << "Down moved him";
        } else {
            ExpectASideArrowWalksHimOn(row.key);
        }
    }
}

// Come into a town corner along a fence as a newcomer does, Up held, square (against the fence or
// a few steps off it) or at a slant of up to 40 degrees, and pressed on from a second to nine: let
// go, Down held at once turns him within three seconds, or not in five. There is no least time:
// here it takes from 2.2 seconds down to under half a second (pressed in a step off the fence for
// nine seconds).
TEST_F(NewcomerRoad, ComeIntoACornerAlongAFenceSquareOrAtASlantDownTurnsTheHeroWithinThreeSecondsIfAtAll)
{
    struct Row {
        const char* what;
        float x, z;      // the corner, where his body stops 0.7 short of both fences
        bool alongX;     // along the south or north fence, else along a side fence
        float off;       // how far off that fence he starts
        float slant;     // degrees toward that fence
        int pressed;     // steps of Up held once he comes to the fence ahead
    };
    const Row rows[] = {
        {"south-west, along the south fence against it, a second", -43.3F, 0.7F, true, 0.0F, 0.0F, 60},
        {"south-east, along the east fence two and a half off, three and a half seconds", 39.3F, 0.7F, false, 2.5F, 0.0F, 210},
        {"north-east, along the wall at 5 degrees, a second", 39.3F, 29.3F, true, 2.0F, 5.0F, 60},
        {"south-west, along the south fence at 25 degrees, a second", -43.3F, 0.7F, true, 2.5F, 25.0F, 60},
        {"south-west, along the west fence at 40 degrees, a second", -43.3F, 0.7F, false, 0.5F, 40.0F, 60},
        {"north-east, along the east fence at 30 degrees, five seconds", 39.3F, 29.3F, false, 1.5F, 30.0F, 300},
        {"south-west, along the south fence a step off, nine seconds", -43.3F, 0.7F, true, 1.0F, 0.0F, 540},
    };
    int quickest = 300;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        init_genrand(5);
        // Toward the corner: x and z each +1 or -1.
        const float sx = row.x > 0.0F ? 1.0F : -1.0F;
        const float sz = row.z > 1.0F ? 1.0F : -1.0F;
        const float a = row.slant * 0.017453292F;
        // Five steps short of the fence ahead, or far enough back to reach it at that slant.
        const float back = row.slant > 0.0F ? std::max(4.0F, row.off / std::tan(a)) : 5.0F;
        D3DXVECTOR3 from, way;
        if (row.alongX) {
            from = {row.x - sx * back, 0.0F, row.z - sz * row.off};
            way = {sx * std::cos(a), 0.0F, sz * std::sin(a)};
        } else {
            from = {row.x - sx * row.off, 0.0F, row.z - sz * back};
            way = {sx * std::sin(a), 0.0F, sz * std::cos(a)};
        }
        ASSERT_NE(EnterNewHeroFacing(SampleLayout::kTown, from, way), nullptr);
        SceneDriver::Hold(Button::Up, true);
        const bool came = driver_.StepUntil(
            [&] {
                const D3DXVECTOR3 p = PositionOf(Hero());
                return std::fabs((row.alongX ? p.x : p.z) - (row.alongX ? row.x : row.z)) < 0.05F;
            },
            600);
        driver_.Steps(row.pressed);
        SceneDriver::Hold(Button::Up, false);
        ASSERT_TRUE(came) << "never came to the fence ahead";
        const Turn down = HoldUntilTurned(Button::Down, 300);
        if (down.steps != 0) {
            EXPECT_LE(down.steps, 180);
            quickest = std::min(quickest, down.steps);
        }
    }
    EXPECT_LT(quickest, 30) << "no turn within half a second";
}

// The meadow's scarecrow: nothing rises while the hero stays at the arrival; it rises once he comes
// within eight units of its place in the north and strikes a hero who stands still again and again,
// in quick bursts of a single HP a hit; walked back to the arrival, he has it at his heels; Z swung
// at it fells it.
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
    int lost = 0;
    std::vector<int> hits;  // the steps that took HP
    for (int i = 0; i < 600 && Standing(); ++i) {
        driver_.Step();
        if (Hero()->GetHp() < hp) {
            hits.push_back(i);
        }
        lost += hp - Hero()->GetHp();
        hp = Hero()->GetHp();
    }
    ASSERT_TRUE(Standing());
    const int strikes = static_cast<int>(hits.size());
    EXPECT_GE(strikes, 5);
    EXPECT_EQ(lost, strikes) << "a strike takes more than 1 HP";
    // In quick bursts: each strike lands twice and the swings follow each other, so the first
    // eight hits come within a second and a half, none more than half a second after the last.
    std::string seen;
    for (int step : hits) {
        seen += " " + std::to_string(step);
    }
    ASSERT_GE(hits.size(), 8u) << "hit on steps" << seen;
    EXPECT_LE(hits[7] - hits[0], 90) << "hit on steps" << seen;
    for (std::size_t n = 1; n < 8; ++n) {
        EXPECT_LE(hits[n] - hits[n - 1], 30) << "hit on steps" << seen;
    }

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

// The meadow's scarecrow pins a hero in the north-west corner: led there with it at his heels, along
// the west fence (it then stands south of him) or along the wall (east of him), he stands
// still until it has struck him three times, then turns to face the fence or wall, so that it stands
// beside him. Held, the arrow that points away from the fence, the wall and the scarecrow frees
// him: within five seconds he is three units out of the corner.
TEST_F(NewcomerRoad, PinnedInTheMeadowsNorthWestCornerTheArrowAwayFromAllThreeFreesHim)
{
    using sample::LeftoverLayout;
    struct Row {
        const char* what;
        std::uint32_t seed;
        std::vector<D3DXVECTOR3> way;
        Button face;  // the arrow toward the fence or wall he turns to
        D3DXVECTOR3 faceWay;
        Button away;  // the arrow away from the fence, the wall and the scarecrow
        D3DXVECTOR3 awayWay;
    };
    const Row rows[] = {
        {"along the west fence", 3, {{2.0F, 0.0F, 22.0F}, {0.5F, 0.0F, 29.5F}}, Button::Left, {-1.0F, 0.0F, 0.0F},
         Button::Right, {1.0F, 0.0F, 0.0F}},
        {"along the wall", 4, {{8.0F, 0.0F, 28.5F}, {0.5F, 0.0F, 29.5F}}, Button::Up, {0.0F, 0.0F, 1.0F}, Button::Down,
         {0.0F, 0.0F, -1.0F}},
    };
    const D3DXVECTOR3 corner(0.0F, 0.0F, qmtest::FieldLayout::kWallZ);
    const auto scarecrow = [&] { return Live(LeftoverLayout::kScarecrowType); };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        init_genrand(row.seed);
        TGameData::GetInstance()->Reset();
        const D3DXVECTOR3 at(8.0F, 0.0F, 20.0F);
        ASSERT_NE(Enter(LeftoverLayout::kMap, at, {0.0F, 0.0F, 1.0F}, at + D3DXVECTOR3(0.0F, 3.0F, -6.0F)), nullptr);
        ASSERT_TRUE(Walk({{14.0F, 0.0F, 25.0F}}, [&] { return scarecrow() != nullptr; }, 1200)) << "never rose";
        ASSERT_TRUE(Walk(row.way, [&] { return FlatDistance(PositionOf(Hero()), corner) < 1.2F; }, 3000, [&] {
            return scarecrow() == nullptr || Hero()->GetState() > 3 ||
                   FlatDistance(PositionOf(Hero()), PositionOf(scarecrow())) < 2.5F;
        })) << "not in the corner";
        ASSERT_NE(scarecrow(), nullptr) << "it stayed behind";

        // Standing still until it has struck him three times.
        std::int32_t hp = Hero()->GetHp();
        int strikes = 0;
        ASSERT_TRUE(driver_.StepUntil(
            [&] {
                strikes += Hero()->GetHp() < hp ? 1 : 0;
                hp = Hero()->GetHp();
                return strikes >= 3 || !Standing();
            },
            900))
            << "it struck " << strikes << " times";
        ASSERT_TRUE(Standing());
        EXPECT_LT(FlatDistance(PositionOf(Hero()), corner), 1.2F) << "not pinned";

        // Turned to the fence or wall, between its strikes.
        SceneDriver::Hold(row.face, true);
        const bool faced = driver_.StepUntil(
            [&] {
                const D3DXVECTOR3 front = Front();
                return D3DXVec3Dot(&front, &row.faceWay) > 0.95F;
            },
            240);
        SceneDriver::Hold(row.face, false);
        ASSERT_TRUE(faced) << "never turned to the fence";
        D3DXVECTOR3 toIt = PositionOf(scarecrow()) - PositionOf(Hero());
        toIt.y = 0.0F;
        D3DXVec3Normalize(&toIt, &toIt);
        const D3DXVECTOR3 front = Front();
        // More than 45 degrees from before him and from behind him.
        EXPECT_LT(std::fabs(D3DXVec3Dot(&front, &toIt)), 0.7071F) << "not beside him";
        EXPECT_LT(D3DXVec3Dot(&row.awayWay, &toIt), 0.5F) << "the arrow leads toward it";

        SceneDriver::Hold(row.away, true);
        const bool out = driver_.StepUntil(
            [&] { return !Standing() || FlatDistance(PositionOf(Hero()), corner) > 3.0F; }, 300);
        SceneDriver::Hold(row.away, false);
        EXPECT_TRUE(out && Standing()) << "still in the corner";
    }
}

}  // namespace
