// The party change on the generated folder: every class a weapon of the folder gives either hero is
// made from the folder's own files, and the pause menu's change takes the player to the partner,
// who fights, and back to the hero.
#include <gtest/gtest.h>

#include <filesystem>

#include "MainCode/Character/TEnemy.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Character/THeroA.h"
#include "MainCode/Character/THeroI.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TWeponTable.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Menu/TMenuConfirmLoop.h"
#include "MainCode/Menu/TMenuTopLoop.h"
#include "SampleData/sample_folder_copy.h"
#include "SampleData/battle_start.h"
#include "make-sample-data/SampleData.h"
#include "support/field_walk.h"
#include "support/menu_probe.h"
#include "support/scene_driver.h"
#include "support/temp_dir.h"
#include "support/map_probe.h"

namespace {

namespace fs = std::filesystem;
using qmtest::Button;

class ChangeRoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        qmtest::CopySampleFolder(dir_.Path());
        ASSERT_TRUE(driver_.Start());
        driver_.Steps(8);
        field_ = qmtest::StartOnBattleMap(driver_);
        ASSERT_NE(field_, nullptr);
        ASSERT_TRUE(driver_.StepUntil([&] { return !TMapProbe::IsInPhase(*field_); }, 200));
    }
    void TearDown() override
    {
        qmtest::ReleaseArrows();
        qmtest::SceneDriver::Hold(Button::A, false);
    }
    void Key(Button b, int then = 0)
    {
        driver_.Press(b);
        driver_.Steps(1 + then);
    }
    // Pause menu, CHANGE, its first choice; back on the field once the menu has closed.
    void Change()
    {
        driver_.Press(Button::E);
        auto* menu = dynamic_cast<TMenuTopLoop*>(driver_.Current());
        ASSERT_NE(menu, nullptr);
        driver_.Steps(57);
        for (int i = 0; i < TMenuTopLoop::kChangeItem; ++i) {
            Key(Button::Down);
        }
        ASSERT_EQ(TMenuProbe::Cursor(*menu), TMenuTopLoop::kChangeItem);
        Key(Button::A, 46);
        auto* change = dynamic_cast<TMenuConfirmLoop*>(driver_.Current());
        ASSERT_NE(change, nullptr);
        const std::int32_t from = TMenuProbe::Character(*change);
        EXPECT_EQ(TMenuProbe::Target(*change), 1 - from);
        driver_.Steps(21);
        Key(Button::A);
        ASSERT_TRUE(driver_.StepUntil([&] { return driver_.Current() == menu; }, 60));
        driver_.Steps(47);
        Key(Button::B);
        ASSERT_TRUE(driver_.StepUntil([&] { return driver_.Current() == field_; }, 120));
    }
    TEnemy* EnemyAhead() const
    {
        for (const auto& entry : field_->GetArea()->GetEnemies()->GetLive()) {
            if (entry.second->GetRelatedId() == qmtest::kFieldEnemyType && entry.second->IsAlive()) {
                return entry.second.Get();
            }
        }
        return nullptr;
    }

    qmtest::TempDir dir_;
    qmtest::SceneDriver driver_{dir_.Path()};
    TFieldLoop* field_ = nullptr;
};

// The played character is stored whenever another is made, so the partner's classes are made while
// the hero plays and the hero's while the partner plays. A file the folder lacks ends the making.
TEST_F(ChangeRoad, EveryWeaponEitherHeroCanHoldMakesItsClassFromTheFolder)
{
    const sample::Catalogue& c = sample::GetCatalogue();
    TGameData* data = TGameData::GetInstance();
    int made = 0;
    for (std::uint32_t character : {1u, 0u}) {
        TCharacterRecord* record = data->GetCharacterData(character);
        const std::uint32_t own = record->WeaponId;
        for (const TWeponRecord& w : c.wepons) {
            // A pair's left piece (10000 above the pair) is held with it, never on its own.
            if (!TWeponTable::CanEquip(character, w.Id) || w.Id >= 10000) {
                continue;
            }
            record->WeaponId = w.Id;
            TRefPtr<TPlayerCharacter> player;
            EXPECT_NO_THROW(player = CreatePlayerCharacter(field_, character)) << character << " " << w.Id;
            ASSERT_NE(player.Get(), nullptr) << character << " " << w.Id;
            EXPECT_EQ(player->GetWeaponId(), w.Id);
            // The town look as well, and back.
            EXPECT_NO_THROW(player->LoadTownModel()) << character;
            EXPECT_NO_THROW(player->LoadWeaponModel()) << character << " " << w.Id;
            ++made;
        }
        record->WeaponId = own;
        ASSERT_TRUE(field_->ChangePlayer(character));
    }
    // The hero's sword, staff and axe, the eight of his rack and the hollow's thief's sword; the
    // partner's sword, spear and axe, the rack's three of her classes' types (0, 1, 2), the thief's
    // sword, and her second spear, glaive, claws and bow.
    EXPECT_EQ(made, 23);
    EXPECT_TRUE(driver_.boxes.empty());
    EXPECT_FALSE(fs::exists(dir_.Path() / "ErrorLog.txt"));
}

TEST_F(ChangeRoad, ToThePartnerWhoFightsAndBackToTheHero)
{
    TGameData* data = TGameData::GetInstance();
    ASSERT_NO_FATAL_FAILURE(Change());
    const TPlayerCharacter* partner = field_->GetPlayer();
    EXPECT_EQ(data->GetActiveCharacter(), 1);
    EXPECT_EQ(partner->GetCharacterIndex(), 1u);
    EXPECT_NE(dynamic_cast<const THeroI*>(partner), nullptr) << "the spear's class";
    EXPECT_EQ(partner->GetWeaponId(), 1001u);

    // Up to the enemy ahead, swinging once in it reaches until a blow has landed.
    int swing = 0;
    TEnemy* enemy = nullptr;
    const bool hit = driver_.StepUntil(
        [&] {
            enemy = EnemyAhead();
            if (enemy == nullptr || enemy->GetDamageTaken() > 0) {
                return true;
            }
            const D3DXVECTOR3 at = qmtest::PositionOf(enemy);
            if (qmtest::FlatDistance(qmtest::PositionOf(field_->GetPlayer()), at) > 1.6F) {
                qmtest::WalkTowards(field_, at);
            } else {
                qmtest::ReleaseArrows();
                qmtest::SceneDriver::Hold(Button::A, swing++ % 16 == 0);
            }
            return false;
        },
        2000);
    qmtest::ReleaseArrows();
    qmtest::SceneDriver::Hold(Button::A, false);
    ASSERT_TRUE(hit);
    ASSERT_NE(enemy, nullptr);
    EXPECT_GT(enemy->GetDamageTaken(), 0);
    EXPECT_EQ(field_->GetPlayer(), partner) << "the partner still plays";
    driver_.Steps(30);

    ASSERT_NO_FATAL_FAILURE(Change());
    EXPECT_EQ(data->GetActiveCharacter(), 0);
    EXPECT_EQ(field_->GetPlayer()->GetCharacterIndex(), 0u);
    EXPECT_NE(dynamic_cast<const THeroA*>(field_->GetPlayer()), nullptr) << "the sword's class";
    driver_.Steps(10);
    EXPECT_TRUE(driver_.boxes.empty());
    EXPECT_FALSE(fs::exists(dir_.Path() / "ErrorLog.txt"));
}

}  // namespace
