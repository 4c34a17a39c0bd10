// The pause menu's item ring and equipment screens played on the generated folder: a new game in
// the town, item 2 and the axe picked up, item 2 set into ring position 2 (the field's ring shows it
// once the menu has closed), the axe taken up in place of the sword (the player rebuilt in the
// axe's class and look), and play going on.
#include <gtest/gtest.h>

#include <functional>

#include "MainCode/Character/THeroC.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Hud/TItemRing.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Menu/TEquipLoop.h"
#include "MainCode/Menu/TItemRingLoop.h"
#include "MainCode/Menu/TMenuTopLoop.h"
#include "SampleData/sample_folder_copy.h"
#include "SampleData/field_road.h"
#include "make-sample-data/SampleData.h"
#include "support/dx_probe.h"
#include "support/field_walk.h"
#include "support/gamedata_probe.h"
#include "support/golden.h"
#include "support/hud_probe.h"
#include "support/menu_probe.h"
#include "support/scene_driver.h"
#include "support/temp_dir.h"
#include "support/map_probe.h"

namespace {

using qmtest::Button;
using qmtest::SceneDriver;
using sample::SampleLayout;

class EquipRoad : public ::testing::Test {
protected:
    bool StepUntil(const std::function<bool()>& done, int limit) { return driver_.StepUntil(done, limit); }
    // A press and a step with it let go, then n more steps.
    void Key(Button b, int then = 0)
    {
        driver_.Press(b);
        driver_.Steps(1 + then);
    }
    static std::uint32_t Held(std::uint32_t id)
    {
        const TItemEntry* entry = TGameData::GetInstance()->FindItem(id);
        return entry != nullptr ? entry->Count : 0;
    }
    // Walks onto the pick-up until its item is held.
    bool PickUp(const D3DXVECTOR3& at, std::uint32_t id)
    {
        const std::uint32_t before = Held(id);
        const bool got = StepUntil(
            [&] {
                if (Held(id) > before) {
                    return true;
                }
                qmtest::WalkTowards(field_, at);
                return false;
            },
            900);
        qmtest::ReleaseArrows();
        return got;
    }
    // The index of the item in a screen's list.
    template <typename Screen>
    static int IndexOf(const Screen* screen, std::uint32_t id)
    {
        const auto& list = TMenuProbe::List(*screen);
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (list[i]->Id == id) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    qmtest::TempDir dir_;
    SceneDriver driver_{dir_.Path()};
    TFieldLoop* field_ = nullptr;
};

TEST_F(EquipRoad, ItemTwoIntoTheRingAndTheAxeInPlaceOfTheSword)
{
    qmtest::CopySampleFolder(dir_.Path());
    ASSERT_TRUE(driver_.Start());
    driver_.Steps(8);
    TGameData* data = TGameData::GetInstance();
    data->Reset();
    field_ = TFieldLoop::CreateAtPosition(driver_.App(), SampleLayout::kTown, SampleLayout::TownArrival(),
                                          SampleLayout::TownArrivalDirection(), SampleLayout::TownArrivalCamera());
    ASSERT_NE(field_, nullptr);
    driver_.App()->PushScene(field_);
    ASSERT_TRUE(StepUntil([&] { return !TMapProbe::IsInPhase(*field_); }, 100));
    ASSERT_TRUE(PickUp(SampleLayout::RingItemPickup(), SampleLayout::kRingItem));
    ASSERT_TRUE(PickUp(SampleLayout::AxePickup(), SampleLayout::kAxe));
    // A charm in the bag as well, for the accessory list to show.
    data->AddItem(2001, 1);
    driver_.Steps(5);
    const TPlayerCharacter* sworded = field_->GetPlayer();
    ASSERT_EQ(sworded->GetWeaponId(), 1000u);

    // The pause menu, its first item: the ring screen.
    driver_.Press(Button::E);
    auto* menu = dynamic_cast<TMenuTopLoop*>(driver_.Current());
    ASSERT_NE(menu, nullptr);
    driver_.Steps(57);
    Key(Button::A, 46);
    auto* ring = dynamic_cast<TItemRingLoop*>(driver_.Current());
    ASSERT_NE(ring, nullptr);
    driver_.Steps(10);
    Key(Button::Down, 10);
    Key(Button::Down, 10);
    ASSERT_EQ(TMenuProbe::RingCursor(*ring), 2);
    Key(Button::A, 10);
    ASSERT_TRUE(TMenuProbe::IsInList(*ring));
    const int index = IndexOf(ring, SampleLayout::kRingItem);
    ASSERT_GE(index, 0);
    for (int i = 0; i < index; ++i) {
        Key(Button::Down);
    }
    driver_.Steps(4);
    EXPECT_TRUE(qmtest::MatchesGolden(SceneDriver::Screen(), "ItemRingScreenList"));
    Key(Button::A, 10);
    EXPECT_EQ(data->GetRingSlot(2)->Id, SampleLayout::kRingItem);
    for (const auto& entry : TGameDataProbe::ItemList(*data)) {
        EXPECT_NE(entry->Id, SampleLayout::kRingItem) << "out of the bag into the ring";
    }
    Key(Button::B);
    ASSERT_TRUE(StepUntil([&] { return driver_.Current() == menu; }, 30));

    // The second item: equipment. The accessory list over the dimmed panel, then the axe.
    driver_.Steps(47);
    auto* equip = qmtest::OpenEquipment(driver_);
    ASSERT_NE(equip, nullptr);
    Key(Button::Down);
    Key(Button::A, 10);
    driver_.Steps(2);
    EXPECT_TRUE(qmtest::MatchesGolden(SceneDriver::Screen(), "EquipScreenAccessoryList"));
    Key(Button::B, 10);
    Key(Button::Up);
    Key(Button::A, 10);
    ASSERT_TRUE(TMenuProbe::IsInList(*equip));
    const int axe = IndexOf(equip, SampleLayout::kAxe);
    ASSERT_GE(axe, 0);
    for (int i = 0; i < axe; ++i) {
        Key(Button::Down);
    }
    Key(Button::A, 10);
    TPlayerCharacter* player = field_->GetPlayer();
    EXPECT_EQ(player->GetWeaponId(), SampleLayout::kAxe);
    EXPECT_NE(dynamic_cast<THeroC*>(player), nullptr) << "the axe's class";
    EXPECT_EQ(TMenuProbe::WeaponType(*equip), 2);
    EXPECT_EQ(Held(1000), 1u) << "the sword back in the bag";
    EXPECT_EQ(Held(SampleLayout::kAxe), 0u);

    // Out of the screen and the menu: the field's ring shows item 2, and play goes on.
    Key(Button::B);
    ASSERT_TRUE(StepUntil([&] { return driver_.Current() == menu; }, 40));
    driver_.Steps(47);
    Key(Button::B);
    ASSERT_TRUE(StepUntil([&] { return driver_.Current() == field_; }, 200));
    EXPECT_EQ(TDxProbe::Image(THudProbe::Icon(*field_->GetItemRing(), 2)).GetName(), "itemicon.ptx/icon002");
    const D3DXVECTOR3 start = qmtest::PositionOf(field_->GetPlayer());
    StepUntil(
        [&] {
            qmtest::WalkTowards(field_, SampleLayout::TownArrival());
            return false;
        },
        40);
    qmtest::ReleaseArrows();
    EXPECT_GT(qmtest::FlatDistance(start, qmtest::PositionOf(field_->GetPlayer())), 0.5F) << "the axe-bearer walks";
}

}  // namespace
