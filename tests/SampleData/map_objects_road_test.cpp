// The sample's script spots and watchers met in play: the town's sign read with the action button
// (its words in the message window, its flag), its mirror box walked through (the hero's look), the
// gap in its east fence (the battle map); on the battle map the first win and the strong enemy's
// defeat (a flag each, and home to the town's gate), and the dark stone (game over).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

#include "MainCode/Character/TEnemy.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TBattleArea.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Map/TTownArea.h"
#include "MainCode/Scene/TDieLoop.h"
#include "MainCode/Script/TMessageWindow.h"
#include "SampleData/battle_start.h"
#include "SampleData/field_road.h"
#include "make-sample-data/SampleData.h"
#include "support/dx_probe.h"
#include "support/field_walk.h"
#include "support/golden.h"
#include "support/scene_driver.h"
#include "support/script_probe.h"
#include "support/temp_dir.h"
#include "support/map_probe.h"

namespace {

using qmtest::Button;
using qmtest::FlatDistance;
using qmtest::PositionOf;
using qmtest::SceneDriver;
using sample::SampleLayout;

// The look flag of the first hero.
constexpr std::uint32_t kFirstHeroLook = 560;

class MapObjectsRoad : public qmtest::SampleFieldRoad {
protected:
    static std::uint8_t Flag(std::uint32_t id) { return TGameData::GetInstance()->GetFlag(id); }
    TFieldLoop* EnterTown()
    {
        TGameData::GetInstance()->Reset();
        TFieldLoop* field =
            Enter(SampleLayout::kTown, SampleLayout::TownStart(), SampleLayout::TownStartDirection(), SampleLayout::TownStart());
        return field != nullptr && !TMapProbe::IsInPhase(*field) ? field : nullptr;
    }
    TFieldLoop* EnterBattle()
    {
        TFieldLoop* field = qmtest::StartOnBattleMap(driver_);
        if (field == nullptr || !driver_.StepUntil([&] { return !TMapProbe::IsInPhase(*field); }, 200)) {
            return nullptr;
        }
        return field;
    }
    // The player a little short of the point, on the side towards `from`, facing it; then one
    // press of the action button.
    void PressFacing(TFieldLoop* field, const D3DXVECTOR3& point, const D3DXVECTOR3& from)
    {
        D3DXVECTOR3 toPoint = point - from;
        toPoint.y = 0.0F;
        D3DXVec3Normalize(&toPoint, &toPoint);
        field->GetPlayer()->PlaceAt(point - toPoint, toPoint);
        driver_.Steps(2);
        driver_.Press(Button::A);
        driver_.Step();
    }
    // Brings an enemy of that type standing by the point to its last hit point, then swings at it from
    // beside it until it has left the field; whether it did.
    bool DefeatEnemyNear(TFieldLoop* field, std::uint32_t type, const D3DXVECTOR3& at)
    {
        TEnemy* enemy = EnemyNear(field, type, at, 2.0F);
        if (enemy == nullptr) {
            return false;
        }
        TEnemyFactory* enemies = field->GetArea()->GetEnemies();
        std::uint32_t id = 0;
        for (const auto& entry : enemies->GetLive()) {
            id = entry.second.Get() == enemy ? entry.first : id;
        }
        enemy->TakeDamage(enemy->GetHp() - 1);
        return driver_.StepUntil(
            [&] {
                if (enemies->GetLive().count(id) == 0) {
                    return true;
                }
                if (enemy->GetHp() > 0) {
                    const D3DXVECTOR3 there = PositionOf(enemy);
                    field->GetPlayer()->PlaceAt(there + D3DXVECTOR3(0.0F, 0.0F, -1.0F), D3DXVECTOR3(0.0F, 0.0F, 1.0F));
                    driver_.Press(Button::A);
                }
                return false;
            },
            400);
    }
};

TEST_F(MapObjectsRoad, TheTownsSignIsReadInTheMessageWindowAndRemembered)
{
    TFieldLoop* town = EnterTown();
    ASSERT_NE(town, nullptr);
    ASSERT_EQ(Flag(SampleLayout::kSignReadFlag), 0);
    // Walking past it does nothing; facing it and pressing the button reads it.
    driver_.Steps(20);
    EXPECT_EQ(qmtest::MessageWindow(), nullptr);
    PressFacing(town, SampleLayout::TownSign(), SampleLayout::TownSign() + D3DXVECTOR3(-3.0F, 0.0F, 0.0F));
    auto* area = dynamic_cast<TTownArea*>(town->GetArea());
    ASSERT_NE(area, nullptr);
    EXPECT_TRUE(TMapProbe::IsInScriptState(*area));
    EXPECT_EQ(Flag(SampleLayout::kSignReadFlag), 1);
    ASSERT_TRUE(driver_.StepUntil(
        [] {
            TMessageWindow* window = qmtest::MessageWindow();
            return window != nullptr && window->IsWaitingForButton();
        },
        300));
    // The window open and its words drawn.
    const TMessageWindow* window = qmtest::MessageWindow();
    EXPECT_NE(TScriptProbe::IsShown(*window), 0);
    const TText8& text = TScriptProbe::MessageText(*window);
    const std::uint8_t* pixels = TDxProbe::Pixels(text);
    const std::size_t bytes = static_cast<std::size_t>(TDxProbe::Stride(text)) * TDxProbe::TextHeight(text);
    EXPECT_TRUE(std::any_of(pixels, pixels + bytes, [](std::uint8_t b) { return b != 0; }));
    // Dismissed, the town plays on, and the sign can be read again.
    driver_.Press(Button::A);
    ASSERT_TRUE(driver_.StepUntil([&] { return !TMapProbe::IsInScriptState(*area); }, 120));
    EXPECT_EQ(Field(), town);
    EXPECT_EQ(town->GetArea(), area);
    EXPECT_EQ(Flag(SampleLayout::kSignAskedFlag), 0);
    driver_.Steps(5);
    PressFacing(town, SampleLayout::TownSign(), SampleLayout::TownSign() + D3DXVECTOR3(0.0F, 0.0F, 3.0F));
    EXPECT_TRUE(TMapProbe::IsInScriptState(*area));
    EXPECT_TRUE(driver_.StepUntil(
        [] {
            TMessageWindow* again = qmtest::MessageWindow();
            return again != nullptr && again->IsWaitingForButton();
        },
        300));
}

TEST_F(MapObjectsRoad, WalkingNorthThroughTheMirrorBoxChangesTheHerosLook)
{
    TFieldLoop* town = EnterTown();
    ASSERT_NE(town, nullptr);
    ASSERT_EQ(Flag(kFirstHeroLook), 0);
    const D3DXVECTOR3 south{(SampleLayout::MirrorMinimum().x + SampleLayout::MirrorMaximum().x) / 2, 0.0F,
                            SampleLayout::MirrorMinimum().z + 0.3F};
    const D3DXVECTOR3 north{south.x, 0.0F, SampleLayout::MirrorMaximum().z - 0.3F};
    TPlayerCharacter* hero = town->GetPlayer();
    // The hero as the camera behind him shows him, standing in the box's south end facing north.
    const auto look = [&] {
        hero->PlaceAt(south, SampleLayout::MirrorFacing());
        driver_.Steps(90);
        return qmtest::Crop(SceneDriver::Screen(), 260, 200, 120, 120);
    };
    // Walking south through it does nothing.
    hero->PlaceAt(north, -SampleLayout::MirrorFacing());
    const bool across = driver_.StepUntil(
        [&] {
            qmtest::WalkTowards(town, south);
            return FlatDistance(PositionOf(hero), south) < 0.3F;
        },
        300);
    qmtest::ReleaseArrows();
    ASSERT_TRUE(across);
    EXPECT_EQ(Flag(kFirstHeroLook), 0);
    // Standing in it facing north is not enough: it takes walking.
    const platform::RgbaImage first = look();
    EXPECT_EQ(Flag(kFirstHeroLook), 0);
    // Northwards it changes on the fifteenth step walked inside (states 2 and 3 are on the move).
    int steps = 0;
    const bool changed = driver_.StepUntil(
        [&] {
            qmtest::WalkTowards(town, north);
            const std::uint32_t state = hero->GetState();
            steps += state == 2 || state == 3 ? 1 : 0;
            return Flag(kFirstHeroLook) != 0;
        },
        100);
    qmtest::ReleaseArrows();
    ASSERT_TRUE(changed);
    EXPECT_EQ(steps, 15);
    EXPECT_EQ(Flag(kFirstHeroLook), SampleLayout::kMirrorLook);
    EXPECT_EQ(town->GetArea()->GetFieldLoop(), town);
    // Seen again from the same place, he wears other colours; both looks side by side.
    const platform::RgbaImage second = look();
    EXPECT_FALSE(qmtest::SamePicture(first, second, 24, 200));
    platform::RgbaImage both = first;
    both.width *= 2;
    both.pixels.clear();
    for (int y = 0; y < first.height; ++y) {
        for (const platform::RgbaImage* half : {&first, &second}) {
            const auto row = half->pixels.begin() + static_cast<std::ptrdiff_t>(y) * half->width * 4;
            both.pixels.insert(both.pixels.end(), row, row + static_cast<std::ptrdiff_t>(half->width) * 4);
        }
    }
    EXPECT_TRUE(qmtest::MatchesGolden(both, "TownMirrorLooks"));
}

TEST_F(MapObjectsRoad, TheGapInTheTownsEastFenceLeadsToTheBattleMap)
{
    const D3DXVECTOR3 gap = SampleLayout::EastGap();
    // Walked east from the start until the door stops him, then pressed from there and from a step
    // back; a few seconds later the battle map is about him.
    for (const float back : {0.0F, 1.5F}) {
        SCOPED_TRACE("from " + std::to_string(back) + " back");
        TFieldLoop* town = EnterTown();
        ASSERT_NE(town, nullptr);
        TPlayerCharacter* hero = town->GetPlayer();
        const D3DXVECTOR3 beyond{gap.x + 5.0F, 0.0F, gap.z};
        const D3DXVECTOR3 onTheWay{30.0F, 0.0F, gap.z};
        bool near = false;
        float before = -100.0F;
        const bool stopped = driver_.StepUntil(
            [&] {
                near = near || FlatDistance(PositionOf(hero), onTheWay) < 0.5F;
                qmtest::WalkTowards(town, near ? beyond : onTheWay);
                const float x = PositionOf(hero).x;
                const bool still = x > 30.0F && x - before < 0.001F;
                before = x;
                return still;
            },
            1500);
        qmtest::ReleaseArrows();
        ASSERT_TRUE(stopped) << PositionOf(hero).x << " " << PositionOf(hero).z;
        const D3DXVECTOR3 against = PositionOf(hero);
        // Stopped by the fence, not short of it.
        EXPECT_GT(against.x, 39.0F);
        EXPECT_LT(against.x, 40.0F);
        hero->PlaceAt(against - D3DXVECTOR3(back, 0.0F, 0.0F), {1.0F, 0.0F, 0.0F});
        driver_.Steps(2);
        driver_.Press(Button::A);
        ASSERT_TRUE(driver_.StepUntil([&] { return TMapProbe::IsInPhase(*town); }, 5)) << against.x << " " << against.z;
        ASSERT_TRUE(driver_.StepUntil([&] { return !TMapProbe::IsInPhase(*town); }, 300));
        ASSERT_EQ(Field(), town);
        EXPECT_LT(FlatDistance(PositionOf(town->GetPlayer()), SampleLayout::BattleArrival()), 0.5F);
        driver_.Steps(120);
        ASSERT_EQ(Field(), town);
        EXPECT_NE(dynamic_cast<TBattleArea*>(town->GetArea()), nullptr);
    }
    // Facing away from the door against it, and facing it from beyond its reach, the button does
    // nothing.
    TFieldLoop* town = EnterTown();
    ASSERT_NE(town, nullptr);
    for (const auto& [at, facing] : {std::pair{D3DXVECTOR3(39.5F, 0.0F, gap.z), D3DXVECTOR3(-1.0F, 0.0F, 0.0F)},
                                     std::pair{D3DXVECTOR3(37.3F, 0.0F, gap.z), D3DXVECTOR3(1.0F, 0.0F, 0.0F)}}) {
        town->GetPlayer()->PlaceAt(at, facing);
        driver_.Steps(2);
        driver_.Press(Button::A);
        driver_.Steps(120);
        EXPECT_FALSE(TMapProbe::IsInPhase(*town)) << at.x;
        EXPECT_NE(dynamic_cast<TTownArea*>(town->GetArea()), nullptr) << at.x;
    }
}

TEST_F(MapObjectsRoad, TheFirstWinIsRememberedAndTheStrongEnemysDefeatSendsThePartyHome)
{
    TFieldLoop* battle = EnterBattle();
    ASSERT_NE(battle, nullptr);
    ASSERT_EQ(Flag(SampleLayout::kFirstWinFlag), 0);
    ASSERT_TRUE(DefeatEnemyNear(battle, qmtest::kFieldEnemyType, SampleLayout::Enemy()));
    driver_.Steps(2);
    EXPECT_EQ(Flag(SampleLayout::kFirstWinFlag), 1);
    EXPECT_EQ(Flag(SampleLayout::kStrongWinFlag), 0);
    ASSERT_NE(dynamic_cast<TBattleArea*>(battle->GetArea()), nullptr);
    EXPECT_FALSE(TMapProbe::IsInPhase(*battle));

    ASSERT_TRUE(DefeatEnemyNear(battle, SampleLayout::kStrongEnemyType, SampleLayout::StrongEnemy()));
    ASSERT_TRUE(driver_.StepUntil([&] { return TMapProbe::IsInPhase(*battle); }, 5));
    EXPECT_EQ(Flag(SampleLayout::kStrongWinFlag), 1);
    ASSERT_TRUE(driver_.StepUntil([&] { return !TMapProbe::IsInPhase(*battle); }, 300));
    ASSERT_EQ(Field(), battle);
    ASSERT_NE(dynamic_cast<TTownArea*>(battle->GetArea()), nullptr);
    EXPECT_LT(FlatDistance(PositionOf(battle->GetPlayer()), SampleLayout::TownArrival()), 0.5F);
}

TEST_F(MapObjectsRoad, TouchingTheDarkStoneEndsTheGame)
{
    TFieldLoop* battle = EnterBattle();
    ASSERT_NE(battle, nullptr);
    const D3DXVECTOR3 stone = SampleLayout::DarkStone();
    // Out of reach, a swing at it is only a swing.
    battle->GetPlayer()->PlaceAt(stone + D3DXVECTOR3(2.0F, 0.0F, 0.0F), {-1.0F, 0.0F, 0.0F});
    driver_.Steps(2);
    driver_.Press(Button::A);
    driver_.Steps(40);
    ASSERT_EQ(Field(), battle);
    // Within reach, facing it.
    PressFacing(battle, stone, stone + D3DXVECTOR3(3.0F, 0.0F, 0.0F));
    EXPECT_TRUE(driver_.StepUntil([&] { return dynamic_cast<TDieLoop*>(driver_.Current()) != nullptr; }, 10));
}

}  // namespace
