// The sample's corner gates as a newcomer walks into them, holding one arrow: along the south fence
// into the corner, pressed against the fence or a step or two off it, and standing in the corner
// pushing along either fence. And the arena's south-east corner reached from the meadow's arrival
// by a newcomer's own keys.
#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>

#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Map/TFieldPhase.h"
#include "SampleData/field_road.h"
#include "make-sample-data/SampleData.h"
#include "make-sample-data/SampleSteal.h"
#include "support/field_walk.h"
#include "support/map_probe.h"

namespace {

using qmtest::PositionOf;
using qmtest::SceneDriver;
using sample::LeftoverLayout;
using sample::Reactions;
using sample::StealLayout;

// A corner gate: the map it stands on, the box its red posts stand either side of, the map it
// leads to.
struct CornerGate {
    const char* what;
    const char* map;
    D3DXVECTOR3 minimum, maximum;
    const char* leadsTo;
};

void PrintTo(const CornerGate& gate, std::ostream* os) { *os << gate.what; }

// Every corner gate of the sample.
const CornerGate kGates[] = {
    {"BattleMapSouthEast", sample::SampleLayout::kBattle, Reactions::GateMinimum(), Reactions::GateMaximum(),
     Reactions::kArena},
    {"ArenaSouthEast", Reactions::kArena, Reactions::GateMinimum(), Reactions::GateMaximum(),
     sample::SampleLayout::kBattle},
    {"ArenaSouthWest", Reactions::kArena, LeftoverLayout::ArenaGateMinimum(), LeftoverLayout::ArenaGateMaximum(),
     LeftoverLayout::kMap},
    {"MeadowSouthEast", LeftoverLayout::kMap, LeftoverLayout::MeadowGateMinimum(), LeftoverLayout::MeadowGateMaximum(),
     Reactions::kArena},
    {"MeadowSouthWest", LeftoverLayout::kMap, StealLayout::MeadowGateMinimum(), StealLayout::MeadowGateMaximum(),
     StealLayout::kMap},
    {"HollowSouthEast", StealLayout::kMap, StealLayout::HollowGateMinimum(), StealLayout::HollowGateMaximum(),
     LeftoverLayout::kMap},
};

// Two seconds: a gate takes a hero within a couple of seconds of his reaching its corner.
constexpr int kWithin = 120;

class CornerGateRoad : public qmtest::SampleFieldRoad {
protected:
    void TearDown() override
    {
        qmtest::ReleaseArrows();
        SampleFieldRoad::TearDown();
    }

    // The map the gate the hero walked into leads to, once it has taken him; else empty.
    static std::string TakenTo(TFieldLoop* field)
    {
        const auto* change = dynamic_cast<const TMapChangePhase*>(TMapProbe::Phase(*field));
        return change != nullptr ? TMapProbe::Destination(*change).mapName : std::string();
    }

    // Steps until a map change takes the hero on the map in play, each seen by watch first; -1
    // when none did within limit.
    template <typename Watch>
    int StepsUntilTaken(TFieldLoop* field, int limit, Watch watch)
    {
        for (int i = 1; i <= limit; ++i) {
            driver_.Step();
            if (TMapProbe::IsInPhase(*field)) {
                return i;
            }
            watch(i);
        }
        return -1;
    }
};

class EachCornerGate : public CornerGateRoad, public ::testing::WithParamInterface<CornerGate> {
protected:
    // What became of a hero walked at the gate.
    struct Walked {
        int taken = -1;  // the step the gate took him; -1: it did not within the limit
        int level = 0;   // the step he came level with its post in the south fence
        std::string to;  // the map it took him to
        D3DXVECTOR3 at;  // where he stands then
    };
    // A new hero on the gate's map at at (x measured from the corner's side fence, z from the south
    // fence), facing along way (x toward that fence) with the camera behind him, holding the arrows
    // that point that way as the camera looks then, for at most limit steps.
    Walked Walk(D3DXVECTOR3 at, D3DXVECTOR3 way, int limit)
    {
        const CornerGate& gate = GetParam();
        const bool east = gate.minimum.x > 0.0F;
        const float side = east ? qmtest::FieldLayout::kSize : 0.0F;
        const float post = east ? gate.minimum.x : gate.maximum.x;
        at.x = east ? side - at.x : side + at.x;
        way.x = east ? way.x : -way.x;
        D3DXVec3Normalize(&way, &way);
        Walked walked;
        TFieldLoop* field = EnterNewHeroFacing(gate.map, at, way);
        if (field == nullptr) {
            ADD_FAILURE() << "no map";
            return walked;
        }
        qmtest::WalkTowards(field, at + way * 20.0F);
        walked.taken = StepsUntilTaken(field, limit, [&](int step) {
            const float x = PositionOf(field->GetPlayer()).x;
            if (walked.level == 0 && (east ? x >= post : x <= post)) {
                walked.level = step;
            }
        });
        qmtest::ReleaseArrows();
        walked.to = TakenTo(field);
        walked.at = PositionOf(field->GetPlayer());
        return walked;
    }
    // The gate takes him, to its map on, within two seconds of his coming level with its post (at
    // once when he starts there).
    void ExpectTaken(const char* what, const D3DXVECTOR3& at, const D3DXVECTOR3& way)
    {
        SCOPED_TRACE(what);
        const Walked walked = Walk(at, way, 600);
        ASSERT_GT(walked.taken, 0) << "not taken; he stands at " << walked.at.x << ", " << walked.at.z;
        EXPECT_LE(walked.taken - walked.level, kWithin);
        EXPECT_EQ(walked.to, GetParam().leadsTo);
    }
    // Four seconds on, the gate has not taken him.
    void ExpectNotTaken(const char* what, const D3DXVECTOR3& at, const D3DXVECTOR3& way)
    {
        SCOPED_TRACE(what);
        const Walked walked = Walk(at, way, 240);
        EXPECT_EQ(walked.taken, -1) << "taken to " << walked.to;
    }
};

// Along the south fence into the corner, one arrow held: pressed against the fence, a step off it,
// two steps off, and two steps off drifting away from it as a camera swinging round behind him
// turns him; then standing in the corner, pushing along the south fence and along the side fence.
TEST_P(EachCornerGate, TakesANewHeroWalkingAlongTheSouthFenceOrPushingInTheCorner)
{
    // Four steps short of the post.
    const float start = GetParam().maximum.x - GetParam().minimum.x + 4.0F;
    ExpectTaken("against the fence", {start, 0.0F, 0.7F}, {1.0F, 0.0F, 0.0F});
    ExpectTaken("a step off", {start, 0.0F, 1.7F}, {1.0F, 0.0F, 0.0F});
    ExpectTaken("two steps off", {start, 0.0F, 2.7F}, {1.0F, 0.0F, 0.0F});
    ExpectTaken("two steps off, drifting away", {start, 0.0F, 2.7F}, {1.0F, 0.0F, 0.15F});
    ExpectTaken("in the corner along the south fence", {0.7F, 0.0F, 0.7F}, {1.0F, 0.0F, 0.0F});
    ExpectTaken("in the corner along the side fence", {0.7F, 0.0F, 0.7F}, {0.0F, 0.0F, -1.0F});
}

// Where a gate stops: walking along the south fence it takes a hero five and a half steps off it,
// not one seven and a half off, who comes to the side fence beyond its reach (six) and slides on
// north. Walking inside its box, it takes a front 60 degrees off the diagonal into the corner on
// either side (toward the side fence or toward the south fence), not one 70 degrees off. The
// meadow's camera keeps its offset, so there the arrows walk only the eight ways between them, and a
// walk east or west drifts toward the south fence: its gates meet these rows, but not their edges.
TEST_P(EachCornerGate, StopsAtItsReachAndItsWayIn)
{
    const float start = GetParam().maximum.x - GetParam().minimum.x + 4.0F;
    ExpectTaken("five and a half steps off", {start, 0.0F, 5.5F}, {1.0F, 0.0F, 0.0F});
    ExpectNotTaken("seven and a half steps off", {start, 0.0F, 7.5F}, {1.0F, 0.0F, 0.0F});
    // The diagonal heads 135 degrees round from north toward the side fence.
    const auto heading = [](float degrees) {
        const float a = degrees * 0.017453292F;
        return D3DXVECTOR3(std::sin(a), 0.0F, std::cos(a));
    };
    ExpectTaken("60 degrees off, toward the side fence", {2.0F, 0.0F, 3.0F}, heading(75.0F));
    ExpectNotTaken("70 degrees off, toward the side fence", {2.0F, 0.0F, 3.0F}, heading(65.0F));
    ExpectTaken("60 degrees off, toward the south fence", {1.0F, 0.0F, 3.0F}, heading(195.0F));
    ExpectNotTaken("70 degrees off, toward the south fence", {1.0F, 0.0F, 3.0F}, heading(205.0F));
}

INSTANTIATE_TEST_SUITE_P(Sample, EachCornerGate, ::testing::ValuesIn(kGates),
                         [](const ::testing::TestParamInfo<CornerGate>& info) { return std::string(info.param.what); });

// Back from the meadow as a newcomer goes, from where its south-east corner puts him in the arena
// (facing north, the hedge mage ahead): Right a second and a half, Down and Right two seconds, which
// leave him walking east a few steps off the south barrier, then Up held. The arena's south-east
// corner takes him, to the battle map, within two seconds of his coming level with its post.
TEST_F(CornerGateRoad, TheArenasSouthEastCornerTakesAHeroComingBackFromTheMeadowOnANewcomersKeys)
{
    TGameData::GetInstance()->Reset();
    TFieldLoop* field = Enter(Reactions::kArena, sample::CornerArrival(false), {0.0F, 0.0F, 1.0F},
                              sample::CornerArrivalCamera(false));
    ASSERT_NE(field, nullptr);
    using qmtest::Button;
    SceneDriver::Hold(Button::Right, true);
    ASSERT_EQ(StepsUntilTaken(field, 90, [](int) {}), -1);
    SceneDriver::Hold(Button::Down, true);
    ASSERT_EQ(StepsUntilTaken(field, 120, [](int) {}), -1);
    const D3DXVECTOR3 turned = PositionOf(field->GetPlayer());
    EXPECT_LT(turned.z, 4.0F) << "not by the barrier";
    SceneDriver::Hold(Button::Right, false);
    SceneDriver::Hold(Button::Down, false);
    SceneDriver::Hold(Button::Up, true);
    int level = 0;
    const int taken = StepsUntilTaken(field, 1200, [&](int step) {
        if (level == 0 && PositionOf(field->GetPlayer()).x >= Reactions::GateMinimum().x) {
            level = step;
        }
    });
    SceneDriver::Hold(Button::Up, false);
    ASSERT_GT(taken, 0) << "not taken";
    EXPECT_LE(taken - level, kWithin);
    EXPECT_EQ(TakenTo(field), sample::SampleLayout::kBattle);
}

}  // namespace
