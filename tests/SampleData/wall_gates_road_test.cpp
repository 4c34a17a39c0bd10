// The gates in the north walls of the town and the battle map, met along the wall as a newcomer
// meets them: pressed into the wall just beside a post, or sliding along the wall into the opening
// with the arrow that way held as well, from the west and from the east. Each gate takes him
// within a couple of seconds, onto the other map where its arrival lies; pressed into the wall
// further off, he stays.
#include <gtest/gtest.h>

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TBattleArea.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Map/TTownArea.h"
#include "SampleData/field_road.h"
#include "formats/field_writer.h"
#include "make-sample-data/SampleData.h"
#include "support/field_walk.h"
#include "support/map_probe.h"
#include "support/scene_driver.h"

namespace {

using qmtest::Button;
using qmtest::FlatDistance;
using qmtest::PositionOf;
using qmtest::SceneDriver;
using sample::SampleLayout;

class WallGatesRoad : public qmtest::SampleFieldRoad {
protected:
    void TearDown() override
    {
        SceneDriver::ReleaseAll();
        SampleFieldRoad::TearDown();
    }
};

TEST_F(WallGatesRoad, AHeroAlongTheWallIsTakenThroughTheGate)
{
    enum Outcome { kStays, kToBattle, kToTown };
    struct Case {
        const char* what;
        const char* map;
        float x;          // where he stands pressed into the wall
        Button along;     // held with Up: the arrow toward the opening; Up alone when it is Up
        int limit;        // steps of walking within which the gate takes him
        Outcome outcome;
    };
    // Where the newcomer stood, pressed into the wall 2 units beyond the opening's side (a post is
    // 0.6 thick); the slides start further off, so that he walks along the wall before the gate;
    // further along the wall than the gate reaches, it is only a wall.
    const float town[2] = {SampleLayout::GateMinimum().x, SampleLayout::GateMaximum().x};
    const float battle[2] = {SampleLayout::BattleGateMinimum().x, SampleLayout::BattleGateMaximum().x};
    const Case cases[] = {
        {"town, beside the west post", SampleLayout::kTown, town[0] - 2.0F, Button::Up, 40, kToBattle},
        {"town, beside the east post", SampleLayout::kTown, town[1] + 2.0F, Button::Up, 40, kToBattle},
        {"town, sliding east", SampleLayout::kTown, town[0] - 4.5F, Button::Right, 120, kToBattle},
        {"town, sliding west", SampleLayout::kTown, town[1] + 4.5F, Button::Left, 120, kToBattle},
        {"town, west of the gate's reach", SampleLayout::kTown, town[0] - 3.5F, Button::Up, 40, kStays},
        {"battle map, beside the west post", SampleLayout::kBattle, battle[0] - 2.0F, Button::Up, 40, kToTown},
        {"battle map, beside the east post", SampleLayout::kBattle, battle[1] + 2.0F, Button::Up, 40, kToTown},
        {"battle map, sliding east", SampleLayout::kBattle, battle[0] - 4.5F, Button::Right, 120, kToTown},
        {"battle map, sliding west", SampleLayout::kBattle, battle[1] + 4.5F, Button::Left, 120, kToTown},
        {"battle map, east of the gate's reach", SampleLayout::kBattle, battle[1] + 3.5F, Button::Up, 40, kStays},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Against the wall, facing it, the camera behind him.
        const D3DXVECTOR3 at(c.x, 0.0F, qmtest::FieldLayout::kWallZ - 0.7F);
        TFieldLoop* field = Enter(c.map, at, {0.0F, 0.0F, 1.0F}, at + D3DXVECTOR3(0.0F, 3.0F, -6.0F));
        ASSERT_NE(field, nullptr);
        ASSERT_LT(FlatDistance(PositionOf(field->GetPlayer()), at), 0.1F);
        SceneDriver::Hold(Button::Up, true);
        SceneDriver::Hold(c.along, true);
        const bool taken = driver_.StepUntil([&] { return TMapProbe::IsInPhase(*field); }, c.limit);
        const D3DXVECTOR3 last = PositionOf(field->GetPlayer());
        SceneDriver::ReleaseAll();
        // Pressed into the wall he does not move; sliding, he has come along the wall toward the
        // opening.
        if (c.along == Button::Up) {
            EXPECT_LT(FlatDistance(last, at), 0.2F);
        } else {
            EXPECT_GT(FlatDistance(last, at), 0.5F);
        }
        EXPECT_GT(last.z, qmtest::FieldLayout::kWallZ - 0.8F) << "along the wall";
        if (c.outcome == kStays) {
            EXPECT_FALSE(taken);
            continue;
        }
        ASSERT_TRUE(taken) << "still at " << last.x << ", " << last.z;
        ASSERT_TRUE(driver_.StepUntil([&] { return !TMapProbe::IsInPhase(*field); }, 200));
        const bool toBattle = c.outcome == kToBattle;
        const D3DXVECTOR3 arrival = toBattle ? SampleLayout::BattleArrival() : SampleLayout::TownArrival();
        EXPECT_LT(FlatDistance(PositionOf(field->GetPlayer()), arrival), 0.1F);
        EXPECT_EQ(dynamic_cast<TBattleArea*>(field->GetArea()) != nullptr, toBattle);
        EXPECT_EQ(dynamic_cast<TTownArea*>(field->GetArea()) != nullptr, !toBattle);
    }
}

}  // namespace
