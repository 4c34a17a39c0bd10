// The four list windows scrolled in play on the generated folder: a hero whose bag holds one of every
// item of the catalogue and who has learned every skill, so that the item ring's list, the
// equipment screen's weapons, the skill window's list and the buyer's list each run past their
// seven rows. Each is walked to its last entry and back up to a chosen one, a move sound with
// every step, and the chosen entry is the one the screen acts on.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Menu/TEquipLoop.h"
#include "MainCode/Menu/TItemRingLoop.h"
#include "MainCode/Menu/TListPager.h"
#include "MainCode/Menu/TMenuTopLoop.h"
#include "MainCode/Menu/TSellShopLoop.h"
#include "MainCode/Menu/TSkillLoop.h"
#include "MainCode/SceneRequests.h"
#include "SampleData/sample_folder_copy.h"
#include "SampleData/field_road.h"
#include "dx/dx8/3d/TText8.h"
#include "make-sample-data/SampleData.h"
#include "support/dx_probe.h"
#include "support/map_probe.h"
#include "support/menu_probe.h"
#include "support/scene_driver.h"
#include "support/temp_dir.h"

namespace {

using qmtest::Button;
using qmtest::SceneDriver;
using sample::SampleLayout;

constexpr std::uint32_t kListMove = 601;
// The sword of the shop's catalogue, a second blade for the first hero's class.
constexpr std::uint32_t kSteelSword = 1100;

class ListsRoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        qmtest::CopySampleFolder(dir_.Path());
        ASSERT_TRUE(driver_.Start());
        driver_.Steps(8);
        data_ = TGameData::GetInstance();
        data_->Reset();
        for (const TItemRecord& item : sample::GetCatalogue().items) {
            data_->AddItem(item.Id, 3);
        }
        for (const TSkillRecord& skill : sample::GetCatalogue().skills) {
            data_->LearnSkill(0, skill.Id);
        }
        field_ = TFieldLoop::CreateAtPosition(driver_.App(), SampleLayout::kTown, SampleLayout::TownArrival(),
                                              SampleLayout::TownArrivalDirection(),
                                              SampleLayout::TownArrivalCamera());
        ASSERT_NE(field_, nullptr);
        driver_.App()->PushScene(field_);
        ASSERT_TRUE(driver_.StepUntil([&] { return !TMapProbe::IsInPhase(*field_); }, 100));
    }
    void TearDown() override { SceneDriver::ReleaseAll(); }

    void Key(Button b, int then = 0)
    {
        driver_.Press(b);
        driver_.Steps(1 + then);
    }
    TMenuTopLoop* OpenMenu()
    {
        driver_.Press(Button::E);
        auto* menu = dynamic_cast<TMenuTopLoop*>(driver_.Current());
        driver_.Steps(57);
        return menu;
    }
    // Opens the pause menu's sub-screen `downs` rows below the first.
    template <typename Screen>
    Screen* OpenScreen(int downs)
    {
        if (OpenMenu() == nullptr) {
            return nullptr;
        }
        for (int i = 0; i < downs; ++i) {
            Key(Button::Down);
        }
        Key(Button::A, 46);
        auto* screen = dynamic_cast<Screen*>(driver_.Current());
        driver_.Steps(10);
        return screen;
    }
    std::vector<std::uint32_t> MovesHeard() const
    {
        std::vector<std::uint32_t> ids;
        for (const auto& r : driver_.sounds) {
            if (r.op == TSoundBankRecord::kPlay && r.bank == 0 && r.id == kListMove) {
                ids.push_back(r.id);
            }
        }
        return ids;
    }

    // What the first row's text shows.
    static std::vector<std::uint8_t> FirstRow(const TListRows& rows)
    {
        const TText8& text = TMenuProbe::Text(rows, 0);
        return {TDxProbe::Pixels(text), TDxProbe::Pixels(text) + TDxProbe::Stride(text) * TDxProbe::TextHeight(text)};
    }

    // Walks the list down to its end and up again to entry `to`: one move sound a step, the
    // window scrolled so that the last entry stands on the seventh row (the first row showing
    // another entry than at the start), then back up so that `to` stands on the first row.
    template <typename Screen>
    void WalkTheList(const Screen& screen, const TListRows& rows, std::int32_t to)
    {
        const TListPager& pager = TMenuProbe::Pager(screen);
        const std::int32_t length = pager.GetLength();
        ASSERT_GT(length, TListPager::kRows) << "the list fills more than one window";
        ASSERT_EQ(pager.GetIndex(), 0);
        const std::vector<std::uint8_t> atStart = FirstRow(rows);
        driver_.RecordSounds(true);
        for (std::int32_t i = 1; i < length; ++i) {
            Key(Button::Down);
        }
        EXPECT_EQ(pager.GetIndex(), length - 1);
        EXPECT_EQ(pager.GetTop(), length - TListPager::kRows);
        EXPECT_EQ(pager.GetRow(), TListPager::kRows - 1);
        EXPECT_NE(FirstRow(rows), atStart) << "the rows follow the window";
        for (std::int32_t i = length - 1; i > to; --i) {
            Key(Button::Up);
        }
        EXPECT_EQ(MovesHeard().size(), static_cast<std::size_t>(2 * length - 2 - to));
        driver_.RecordSounds(false);
        EXPECT_EQ(pager.GetIndex(), to);
        EXPECT_EQ(pager.GetTop(), std::min(to, length - TListPager::kRows));
        EXPECT_EQ(FirstRow(rows) == atStart, pager.GetTop() == 0);
    }

    qmtest::TempDir dir_;
    SceneDriver driver_{dir_.Path()};
    TGameData* data_ = nullptr;
    TFieldLoop* field_ = nullptr;
};

TEST_F(ListsRoad, TheRingTheEquipmentTheSkillAndTheBuyersListsScrollAndActOnTheEntryChosen)
{
    // The item ring: position 3, its list of usable items, the last one set into it.
    auto* ring = OpenScreen<TItemRingLoop>(0);
    ASSERT_NE(ring, nullptr);
    for (int i = 0; i < 3; ++i) {
        Key(Button::Down, 10);
    }
    Key(Button::A, 10);
    ASSERT_TRUE(TMenuProbe::IsInList(*ring));
    const auto& items = TMenuProbe::List(*ring);
    const std::uint32_t lastItem = items.back()->Id;
    WalkTheList(*ring, TMenuProbe::Rows(*ring), 0);
    for (std::size_t i = 1; i < items.size(); ++i) {
        Key(Button::Down);
    }
    Key(Button::A, 10);
    EXPECT_EQ(data_->GetRingSlot(3)->Id, lastItem);
    Key(Button::B);
    driver_.StepUntil([&] { return dynamic_cast<TMenuTopLoop*>(driver_.Current()) != nullptr; }, 40);
    driver_.Steps(47);
    Key(Button::B);
    ASSERT_TRUE(driver_.StepUntil([&] { return driver_.Current() == field_; }, 200));

    // The equipment screen: the weapon list, walked back up to the steel sword and taken up.
    ASSERT_NE(OpenMenu(), nullptr);
    TEquipLoop* equip = qmtest::OpenEquipment(driver_);
    ASSERT_NE(equip, nullptr);
    Key(Button::A, 10);
    ASSERT_TRUE(TMenuProbe::IsInList(*equip));
    const auto& weapons = TMenuProbe::List(*equip);
    const auto steel = std::find_if(weapons.begin(), weapons.end(), [](const auto& e) { return e->Id == kSteelSword; });
    ASSERT_NE(steel, weapons.end());
    WalkTheList(*equip, TMenuProbe::Rows(*equip), static_cast<std::int32_t>(steel - weapons.begin()));
    Key(Button::A, 10);
    EXPECT_EQ(field_->GetPlayer()->GetWeaponId(), kSteelSword);
    Key(Button::B);
    driver_.StepUntil([&] { return dynamic_cast<TMenuTopLoop*>(driver_.Current()) != nullptr; }, 40);
    driver_.Steps(47);
    Key(Button::B);
    ASSERT_TRUE(driver_.StepUntil([&] { return driver_.Current() == field_; }, 200));

    // The skill window: slot 1's list (the take-out entry first), the last skill set into it.
    auto* skills = OpenScreen<TSkillLoop>(2);
    ASSERT_NE(skills, nullptr);
    Key(Button::Right);
    Key(Button::A, 10);
    const std::vector<std::uint32_t> learned = TMenuProbe::List(*skills);
    ASSERT_FALSE(learned.empty());
    WalkTheList(*skills, TMenuProbe::Rows(*skills), 1);
    for (std::size_t i = 2; i < learned.size(); ++i) {
        Key(Button::Down);
    }
    EXPECT_EQ(TMenuProbe::InfoId(*skills), learned.back());
    Key(Button::A, 10);
    EXPECT_EQ(data_->GetSkillSlot(0, 1), learned.back());
    Key(Button::B, 10);
    driver_.Steps(47);
    Key(Button::B);
    ASSERT_TRUE(driver_.StepUntil([&] { return driver_.Current() == field_; }, 200));

    // The buyer, as a shop script asks for it: the first entry sold once the list has run to its
    // end and back.
    auto* sell = dynamic_cast<TSellShopLoop*>(CreateSellShop(driver_.App()));
    ASSERT_NE(sell, nullptr);
    driver_.App()->PushScene(sell);
    ASSERT_TRUE(driver_.StepUntil([&] { return TMenuProbe::IsSelecting(*sell); }, 60));
    const std::uint32_t first = TMenuProbe::Entries(*sell).front()->Id;
    ASSERT_EQ(data_->FindItem(first)->Count, 3);
    WalkTheList(*sell, TMenuProbe::Rows(*sell), 0);
    Key(Button::A);
    ASSERT_TRUE(driver_.StepUntil([&] { return TMenuProbe::IsCounting(*sell); }, 60));
    Key(Button::A);
    ASSERT_TRUE(driver_.StepUntil([&] { return TMenuProbe::IsConfirming(*sell); }, 60));
    Key(Button::A);
    EXPECT_EQ(data_->FindItem(first)->Count, 2);
}

}  // namespace
