// The README's ways round, followed as it tells a newcomer to steer: the arrow that points the way
// on the screen, which changes as the camera swings round behind the hero. From the town's start
// up the sand path, along the path west to the save point and on through the gate, never onto the
// paving; turning round while walking; the pause menu's SAVE away from the save point; a new
// game's item ring, opened on its empty first place, its potion's strength bonus (held in a town, five
// seconds outside), and the ITEM screen's empty first place; on the meadow, the purse a few steps
// ahead on the left taken well before it fades, and the post's Z trading from three sides, only when
// faced squarely.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>
#include <vector>

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Hud/TItemRing.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TBattleArea.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Menu/TItemRingLoop.h"
#include "MainCode/Menu/TMenuSaveLoop.h"
#include "MainCode/Menu/TMenuTopLoop.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "SampleData/battle_start.h"
#include "SampleData/field_road.h"
#include "make-sample-data/SampleData.h"
#include "support/field_walk.h"
#include "support/character_probe.h"
#include "support/hud_probe.h"
#include "support/map_probe.h"
#include "support/menu_probe.h"
#include "support/scene_driver.h"

namespace {

using qmtest::Button;
using qmtest::FlatDistance;
using qmtest::PositionOf;
using qmtest::SceneDriver;
using sample::LeftoverLayout;
using sample::SampleLayout;

class ReadmeRoutesRoad : public qmtest::SampleFieldRoad {
protected:
    void TearDown() override
    {
        qmtest::ReleaseArrows();
        SampleFieldRoad::TearDown();
    }
    TPlayerCharacter* Hero() const { return Field() != nullptr ? Field()->GetPlayer() : nullptr; }
    // Steered by the arrows pointing the way on the screen, through the points in turn (each passed
    // within 0.8), until done holds; false when it never did, the field went or its map changed.
    bool Steer(const std::vector<D3DXVECTOR3>& points, const std::function<bool()>& done, int limit)
    {
        TFieldLoop* field = Field();
        std::size_t next = 0;
        const bool reached = driver_.StepUntil(
            [&] {
                if (Field() != field || TMapProbe::IsInPhase(*field) || TScriptProcessManager::Get() != nullptr || done()) {
                    return true;
                }
                while (next + 1 < points.size() && FlatDistance(PositionOf(Hero()), points[next]) < 0.8F) {
                    ++next;
                }
                qmtest::WalkTowards(field, points[next]);
                return false;
            },
            limit);
        qmtest::ReleaseArrows();
        return reached && Field() == field && TScriptProcessManager::Get() == nullptr && done();
    }
};

// "The sand path you stand on runs north, to the right of the screen: steer up it; where it meets
// the path running west, steer left along it to the save point; on along it the gate stands in the
// wall on the right: steer into it." Never onto the paving ahead of the start.
TEST_F(ReadmeRoutesRoad, FromTheStartUpThePathToTheSavePointAndThroughTheGate)
{
    TGameData::GetInstance()->Reset();
    TFieldLoop* town =
        Enter(SampleLayout::kTown, SampleLayout::TownStart(), SampleLayout::TownStartDirection(), SampleLayout::TownStart());
    ASSERT_NE(town, nullptr);
    // The first view looks west with the path north on the screen's right: Right alone walks up it.
    const D3DXVECTOR3 start = PositionOf(Hero());
    SceneDriver::Hold(Button::Right, true);
    driver_.Steps(60);
    SceneDriver::Hold(Button::Right, false);
    EXPECT_GT(PositionOf(Hero()).z - start.z, 1.5F) << "Right walks north";
    EXPECT_GT(PositionOf(Hero()).x, start.x - 1.0F) << "not toward the paving";

    const D3DXVECTOR3 corner = SampleLayout::TownPathCorner();
    ASSERT_TRUE(Steer({corner}, [&] { return FlatDistance(PositionOf(Hero()), corner) < 1.0F; }, 600)) << "up the path";
    ASSERT_TRUE(Steer({SampleLayout::TownSavePointMark()}, [&] { return Hero()->HasSaveRequest(); }, 600))
        << "along the path west onto the save point";
    const D3DXVECTOR3 gate = SampleLayout::TownGateFront();
    ASSERT_TRUE(Steer({gate, SampleLayout::TownGateEntry()}, [&] { return TMapProbe::IsInPhase(*town); }, 900))
        << "through the gate";
    ASSERT_TRUE(driver_.StepUntil([&] { return !TMapProbe::IsInPhase(*town); }, 300));
    EXPECT_NE(dynamic_cast<TBattleArea*>(town->GetArea()), nullptr) << "on the battle map";
    EXPECT_EQ(TScriptProcessManager::Get(), nullptr) << "a story scene started";
}

// Away from a save point the pause menu's SAVE offers only LOAD and BACK.
TEST_F(ReadmeRoutesRoad, AwayFromTheSavePointTheSaveRowOffersOnlyLoadAndBack)
{
    TGameData::GetInstance()->Reset();
    TFieldLoop* town =
        Enter(SampleLayout::kTown, SampleLayout::TownStart(), SampleLayout::TownStartDirection(), SampleLayout::TownStart());
    ASSERT_NE(town, nullptr);
    EXPECT_FALSE(Hero()->HasSaveRequest());
    driver_.Press(Button::E);
    ASSERT_NE(dynamic_cast<TMenuTopLoop*>(driver_.Current()), nullptr);
    driver_.Steps(57);
    // SAVE is the row above the last.
    for (int i = 0; i < 2; ++i) {
        driver_.Press(Button::Up);
        driver_.Step();
    }
    driver_.Press(Button::A);
    driver_.Steps(46);
    auto* screen = dynamic_cast<TMenuSaveLoop*>(driver_.Current());
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(TMenuProbe::ChoiceCount(*screen), 2);
}

// The meadow from its arrival: the purse lies a few steps ahead on the left, steered to and taken
// long before it fades (1000 steps); the post, a board on a pole south of the crate, faced from a
// step or two off on its east, north and south sides, trades at each press of Z: three of 魔力の薬 in, two
// taken back, so one more each time.
TEST_F(ReadmeRoutesRoad, TheMeadowsPurseAheadOnTheLeftAndThePostFromThreeSides)
{
    TGameData* data = TGameData::GetInstance();
    data->Reset();
    const std::vector<qmtest::FieldMap> maps = sample::SampleMaps();
    const auto arena = std::find_if(maps.begin(), maps.end(), [](const qmtest::FieldMap& m) { return m.entry == "b04_01"; });
    ASSERT_NE(arena, maps.end());
    const auto gate = std::find_if(arena->triggers.begin(), arena->triggers.end(),
                                   [](const qmtest::FieldTrigger& t) { return t.destination == LeftoverLayout::kMap; });
    ASSERT_NE(gate, arena->triggers.end());
    TFieldLoop* meadow = Enter(LeftoverLayout::kMap, gate->startPosition, gate->startDirection, gate->startCamera);
    ASSERT_NE(meadow, nullptr);

    const D3DXVECTOR3 arrival = PositionOf(Hero());
    const D3DXVECTOR3 purse = LeftoverLayout::Purse();
    EXPECT_LT(purse.x, arrival.x) << "on the left";
    EXPECT_GT(purse.z, arrival.z) << "ahead";
    EXPECT_LT(FlatDistance(purse, arrival), 6.0F) << "a few steps";
    const std::uint32_t money = data->GetMoney();
    int steps = 0;
    ASSERT_TRUE(Steer({purse}, [&] { return ++steps, data->GetMoney() > money; }, 900)) << "the purse";
    EXPECT_EQ(data->GetMoney(), money + LeftoverLayout::kPurseMoney);
    EXPECT_LT(steps, 300);

    const D3DXVECTOR3 post = LeftoverLayout::Post();
    std::uint32_t held = Held(LeftoverLayout::kTradeItem);
    ASSERT_EQ(held, 0U);
    for (const D3DXVECTOR3& side : {D3DXVECTOR3(1.0F, 0.0F, 0.0F), D3DXVECTOR3(0.0F, 0.0F, 1.0F), D3DXVECTOR3(0.0F, 0.0F, -1.0F)}) {
        SCOPED_TRACE(side.x != 0.0F ? "east" : side.z > 0.0F ? "north" : "south");
        // Round the post to that side, then straight at it until a step or two off.
        ASSERT_TRUE(Steer({post + 4.0F * side}, [&] { return FlatDistance(PositionOf(Hero()), post + 4.0F * side) < 0.5F; }, 900));
        ASSERT_TRUE(Steer({post}, [&] {
            D3DXVECTOR3 front;
            Hero()->GetFront(&front);
            D3DXVECTOR3 to = post - PositionOf(Hero());
            to.y = 0.0F;
            const float distance = D3DXVec3Length(&to);
            return distance < 2.0F && front.x * to.x + front.z * to.z > 0.9F * distance;
        }, 300));
        driver_.Steps(20);
        driver_.Press(Button::A);
        driver_.Steps(60);
        EXPECT_EQ(Held(LeftoverLayout::kTradeItem), held + 1) << "traded";
        held = Held(LeftoverLayout::kTradeItem);
    }
    // Two units east of it: turned 60 degrees off the post, Z trades nothing; 40 degrees off, it
    // trades.
    for (const auto& [degrees, trades] : {std::pair{60.0F, false}, std::pair{40.0F, true}}) {
        SCOPED_TRACE(degrees);
        const float a = degrees * 3.14159265F / 180.0F;
        Hero()->PlaceAt(post + D3DXVECTOR3(2.0F, 0.0F, 0.0F), D3DXVECTOR3(-std::cos(a), 0.0F, std::sin(a)));
        driver_.Steps(20);
        driver_.Press(Button::A);
        driver_.Steps(60);
        EXPECT_EQ(Held(LeftoverLayout::kTradeItem), held + (trades ? 1 : 0));
        held = Held(LeftoverLayout::kTradeItem);
    }
}

// A new game's ring opens on its first place, which is empty: letting go there uses nothing. One
// Down turns it to the second, which holds five of 回復の薬.
TEST_F(ReadmeRoutesRoad, ANewGamesRingOpensOnAnEmptyPlaceAndOneDownTurnsToItsPotions)
{
    TGameData* data = TGameData::GetInstance();
    data->Reset();
    TFieldLoop* town =
        Enter(SampleLayout::kTown, SampleLayout::TownStart(), SampleLayout::TownStartDirection(), SampleLayout::TownStart());
    ASSERT_NE(town, nullptr);
    TItemRing* ring = town->GetItemRing();
    SceneDriver::Hold(Button::D, true);
    driver_.Steps(3);
    ASSERT_TRUE(THudProbe::IsOpen(*ring));
    EXPECT_EQ(THudProbe::Selected(*ring), 0);
    EXPECT_EQ(data->GetRingSlot(0)->Id, 0u) << "the first place is empty";
    SceneDriver::Hold(Button::D, false);
    driver_.Steps(30);
    EXPECT_EQ(TCharacterProbe::RingItem(*Hero()), 0u) << "nothing used";
    EXPECT_NE(Hero()->GetState(), 18u);
    EXPECT_TRUE(ring->IsClosed());

    SceneDriver::Hold(Button::D, true);
    driver_.Steps(3);
    driver_.Press(Button::Down);
    driver_.Steps(12);
    EXPECT_EQ(THudProbe::Selected(*ring), 1);
    EXPECT_EQ(data->GetRingSlot(1)->Id, 1u);
    EXPECT_EQ(data->GetRingSlot(1)->Count, 5);
    const std::int32_t strength = Hero()->GetStr();
    EXPECT_EQ(strength, 100) << "a new hero's";
    SceneDriver::Hold(Button::D, false);
    EXPECT_TRUE(driver_.StepUntil([&] { return data->GetRingSlot(1)->Count == 4; }, 120)) << "one used";
    // Its strength bonus: the boost icon (the red cone) over him and three more STR, which in a town
    // does not run down.
    EXPECT_TRUE(driver_.StepUntil([&] { return Hero()->HasStatBoost(); }, 60));
    EXPECT_EQ(Hero()->GetStr(), strength + 3);
    driver_.Steps(360);
    EXPECT_TRUE(Hero()->HasStatBoost()) << "ran down in the town";
    EXPECT_EQ(Hero()->GetStr(), strength + 3);

    // The pause menu's ITEM screen opens on that empty first place too, where Z does nothing; one
    // Down turns to the second place, where Z opens the list of items.
    driver_.Press(Button::E);
    ASSERT_NE(dynamic_cast<TMenuTopLoop*>(driver_.Current()), nullptr);
    driver_.Steps(57);
    driver_.Press(Button::A);
    driver_.Steps(46);
    auto* screen = dynamic_cast<TItemRingLoop*>(driver_.Current());
    ASSERT_NE(screen, nullptr);
    driver_.Steps(10);
    EXPECT_EQ(TMenuProbe::RingCursor(*screen), 0);
    driver_.Press(Button::A);
    driver_.Steps(10);
    EXPECT_TRUE(TMenuProbe::IsSelecting(*screen)) << "Z on the empty place";
    driver_.Press(Button::Down);
    driver_.Steps(12);
    EXPECT_EQ(TMenuProbe::RingCursor(*screen), 1);
    driver_.Press(Button::A);
    driver_.Steps(12);
    EXPECT_TRUE(TMenuProbe::IsInList(*screen) || TMenuProbe::IsEmptyShown(*screen)) << "Z on the second place";
}

// On the battle map's arrival, turned round (Down) while he walks (Up held a second), the hero
// swings on three to five units along the way he faced (turned round standing, the town's start
// shows him carried under two: see the world roads). Then a potion from the ring: it adds its
// cost to the item load, and outside towns its strength bonus runs out after five seconds (300
// steps) while the load stays.
TEST_F(ReadmeRoutesRoad, TurningRoundWhileWalkingCarriesTheHeroOnAndAPotionsBonusRunsOutOutsideTowns)
{
    TFieldLoop* field = qmtest::StartOnBattleMap(driver_);
    ASSERT_NE(field, nullptr);
    ASSERT_TRUE(driver_.StepUntil([&] { return !TMapProbe::IsInPhase(*field); }, 200));
    SceneDriver::Hold(Button::Up, true);
    driver_.Steps(60);
    SceneDriver::Hold(Button::Up, false);
    // The furthest Down held for two seconds carries him on along the way he faced.
    const float on = qmtest::HoldAndMeasureCarry(driver_, Hero(), Button::Down, 120).furthest;
    driver_.Steps(30);
    EXPECT_GT(on, 3.0F);
    EXPECT_LT(on, 5.0F);

    TGameData* data = TGameData::GetInstance();
    const std::int32_t strength = Hero()->GetStr();
    SceneDriver::Hold(Button::D, true);
    driver_.Steps(3);
    driver_.Press(Button::Down);
    driver_.Steps(12);
    SceneDriver::Hold(Button::D, false);
    ASSERT_TRUE(driver_.StepUntil([&] { return data->GetRingSlot(1)->Count == 4; }, 120)) << "one used";
    ASSERT_TRUE(driver_.StepUntil([&] { return Hero()->HasStatBoost(); }, 60));
    EXPECT_EQ(Hero()->GetStr(), strength + 3);
    // The bar under MP is the item load: the potion's cost, a tenth of a new hero's 1000.
    EXPECT_EQ(Hero()->GetGaugeMax(), 1000u);
    EXPECT_EQ(Hero()->GetGaugeUsed(), 100u);
    int steps = 0;
    EXPECT_TRUE(driver_.StepUntil([&] { return ++steps, !Hero()->HasStatBoost(); }, 400)) << "never ran out";
    EXPECT_NEAR(steps, 300, 2);
    EXPECT_EQ(Hero()->GetStr(), strength);
    EXPECT_EQ(Hero()->GetGaugeUsed(), 100u) << "the load went with the bonus";
}

}  // namespace
