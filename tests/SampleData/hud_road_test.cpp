// The field HUD on the generated folder, as a player meets it: the panel from the first picture,
// the battle map's name coming in 25 steps after the notice queue reaches its pause, the hit
// counter over the first hit on the enemy ahead, and once it is beaten the gain pop-up and the
// level-up banner with what the level gave.
#include <gtest/gtest.h>

#include <cmath>

#include "MainCode/Character/TEnemy.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TCamera.h"
#include "MainCode/Map/TFieldLoop.h"
#include "dx/dx8/3d/TD3D8.h"
#include "SampleData/sample_folder_copy.h"
#include "SampleData/battle_start.h"
#include "SampleData/filler_cell.h"
#include "make-sample-data/SampleData.h"
#include "platform/testing/d3d8.h"
#include "platform/testing/win32.h"
#include "platform/win32/keyboard.h"
#include "support/character_probe.h"
#include "support/golden.h"
#include "support/hud_probe.h"
#include "support/scene_driver.h"
#include "support/temp_dir.h"

namespace {

constexpr int kStepLimit = 3000;

D3DXVECTOR3 PositionOf(TGameObject* object)
{
    D3DXVECTOR3 p;
    object->GetPosition(&p);
    return p;
}

platform::RgbaImage Screen()
{
    platform::RgbaImage image;
    EXPECT_TRUE(platform::ReadBackBuffer(TD3D8::GetDevice(), &image));
    return image;
}

class HudRoad : public testing::Test {
protected:
    void SetUp() override
    {
        qmtest::CopySampleFolder(dir_.Path());
        driver_ = std::make_unique<qmtest::SceneDriver>(dir_.Path());
        ASSERT_TRUE(driver_->Start());
    }
    void TearDown() override
    {
        for (int vk : {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, static_cast<int>('Z')}) {
            platform::InjectKey(vk, false);
        }
        driver_.reset();
    }
    TFieldLoop* Field() const { return dynamic_cast<TFieldLoop*>(driver_->Current()); }
    // Steps until done() or the limit; false at the limit or when the application ends.
    template <typename Done>
    bool StepUntil(Done done, int limit = kStepLimit)
    {
        for (int i = 0; i < limit; ++i) {
            if (done()) {
                return true;
            }
            if (!driver_->Step()) {
                return false;
            }
            ++steps_;
        }
        return done();
    }
    // The arrows that walk the player at the target as the camera looks; false once within reach.
    bool WalkTowards(const D3DXVECTOR3& target, float reach)
    {
        TFieldLoop* field = Field();
        const D3DXVECTOR3 p = PositionOf(field->GetPlayer());
        D3DXVECTOR3 eye;
        field->GetArea()->GetCamera()->GetFrame()->GetPosition(&eye);
        const float wx = target.x - p.x;
        const float wz = target.z - p.z;
        const float distance = std::hypot(wx, wz);
        const float ax = p.x - eye.x;
        const float az = p.z - eye.z;
        const float along = std::hypot(ax, az);
        const float forward = (ax * wx + az * wz) / (along * distance);
        const float right = (az * wx - ax * wz) / (along * distance);
        const bool walk = distance > reach;
        platform::InjectKey(VK_UP, walk && forward > 0.38F);
        platform::InjectKey(VK_DOWN, walk && forward < -0.38F);
        platform::InjectKey(VK_RIGHT, walk && right > 0.38F);
        platform::InjectKey(VK_LEFT, walk && right < -0.38F);
        return walk;
    }
    TEnemy* EnemyAhead() const
    {
        for (const auto& entry : Field()->GetArea()->GetEnemies()->GetLive()) {
            if (entry.second->GetRelatedId() == qmtest::kFieldEnemyType && entry.second->IsAlive()) {
                return entry.second.Get();
            }
        }
        return nullptr;
    }
    const TLevelUpPopup* Banner() const
    {
        const TPlayerCharacter* player = Field()->GetPlayer();
        const auto* banner = dynamic_cast<const TLevelUpPopup*>(TCharacterProbe::LevelUpPopup(*player));
        return banner != nullptr && banner->IsActive() ? banner : nullptr;
    }
    const TGainPopup* Gain() const
    {
        for (const TRefPtr<TPopupText>& p : TCharacterProbe::Popups(*Field()->GetPlayer())) {
            if (const auto* gain = dynamic_cast<const TGainPopup*>(p.Get())) {
                return gain;
            }
        }
        return nullptr;
    }

    qmtest::TempDir dir_;
    std::unique_ptr<qmtest::SceneDriver> driver_;
    int steps_ = 0;
};

TEST_F(HudRoad, TheNameComesInAfterItsPauseTheHitCountsAndTheDefeatGivesALevel)
{
    driver_->Steps(8);
    ASSERT_NE(qmtest::StartOnBattleMap(*driver_), nullptr);
    TGetRender* notices = Field()->GetGetRender();
    // The map's name waits behind a pause of 25 that the player's steps count off.
    std::vector<TGetRender::Notice> queued = THudProbe::Queue(*notices);
    ASSERT_EQ(queued.size(), 2u);
    EXPECT_EQ(queued[0].kind, TGetRender::kPause);
    EXPECT_EQ(queued[1].text, "試しの野");
    ASSERT_TRUE(StepUntil([&] { return THudProbe::Queue(*notices).front().value < 25; }, 200));
    const int reached = steps_;
    ASSERT_TRUE(StepUntil([&] { return !THudProbe::IsIdle(*notices); }, 100));
    EXPECT_EQ(steps_ - reached, 25) << "the pause counts 25 steps, the name starts in the next";
    ASSERT_TRUE(StepUntil([&] { return THudProbe::IsHolding(*notices); }, 40));
    EXPECT_TRUE(qmtest::MatchesGolden(Screen(), "HudRoadMapName"));

    // Up to the enemy ahead, and swings until it is beaten.
    TPlayerCharacter* player = Field()->GetPlayer();
    const std::uint32_t level = player->GetLevel();
    const std::int32_t maxHp = player->GetMaxHp();
    const std::int32_t maxMp = player->GetMaxMp();
    int swing = 0;
    bool hitShown = false;
    const bool beaten = StepUntil([&] {
        TEnemy* enemy = EnemyAhead();
        if (enemy == nullptr) {
            platform::InjectKey('Z', false);
            return true;
        }
        if (!hitShown && TCharacterProbe::HitPopup(*player).IsActive()) {
            hitShown = true;
            swing = -12;  // the number at its normal size before the picture
            EXPECT_EQ(THudProbe::Count(TCharacterProbe::HitPopup(*player)), enemy->GetHitsTaken());
            EXPECT_EQ(THudProbe::Total(TCharacterProbe::HitPopup(*player)), enemy->GetDamageTaken());
            EXPECT_GT(enemy->GetDamageTaken(), 0);
        }
        if (hitShown && swing == -1) {
            EXPECT_TRUE(qmtest::MatchesGolden(Screen(), "HudRoadHitCounter"));
        }
        if (!WalkTowards(PositionOf(enemy), 1.6F)) {
            platform::InjectKey('Z', swing % 16 == 0);
        }
        ++swing;
        return false;
    });
    ASSERT_TRUE(beaten) << "the enemy ahead still stands after " << steps_ << " steps";
    EXPECT_TRUE(hitShown);
    for (int vk : {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT}) {
        platform::InjectKey(vk, false);
    }

    // The gain first; its rows all in, the picture.
    ASSERT_TRUE(StepUntil([&] { return Gain() != nullptr; }, 600));
    const std::vector<TPopupRows::Row>& gainRows = THudProbe::RowList(THudProbe::Rows(*Gain()));
    EXPECT_EQ(THudProbe::Places(*Field()->GetLetterFont(), gainRows[0]), "999") << "a level's worth, kept to 999";
    // The enemy's own ability points, in both rows: the table's few by the level difference are not shown.
    EXPECT_EQ(THudProbe::Places(*Field()->GetLetterFont(), gainRows[1]), "#90");
    EXPECT_EQ(THudProbe::Places(*Field()->GetLetterFont(), gainRows[2]), "#90");
    for (int i = 0; i < 70; ++i) {
        driver_->Step();
    }
    EXPECT_TRUE(qmtest::MatchesGolden(Screen(), "HudRoadGain"));
    // The panel's "LV" and percent places, the ring's empty counts and the gain's places: filler
    // drawn, nothing shown.
    qmtest::SheetCells cells = qmtest::CountSheetCells(driver_->DrawsOfAStep(), dir_.Path());
    EXPECT_GT(cells.letters, 0);
    EXPECT_GE(cells.filler, 4);
    EXPECT_EQ(cells.fillerShown, 0);
    // Then the level: the banner shows what it gave, read before the gains were cleared.
    ASSERT_TRUE(StepUntil([&] { return Banner() != nullptr; }, 600));
    EXPECT_EQ(player->GetLevel(), level + 1);
    EXPECT_EQ(player->GetLevelUpGains()[0], 0) << "cleared after the banner took them";
    const std::vector<TPopupRows::Row>& rows = THudProbe::RowList(THudProbe::Rows(*Banner()));
    TLetterFont& font = *Field()->GetLetterFont();
    EXPECT_EQ(THudProbe::Places(font, rows[1]), "##1");
    auto places = [](std::int32_t n) {
        std::string s = std::to_string(n);
        return std::string(3 - s.size(), '#') + s;
    };
    EXPECT_EQ(THudProbe::Places(font, rows[2]), places(player->GetMaxHp() - maxHp));
    EXPECT_EQ(THudProbe::Places(font, rows[3]), places(player->GetMaxMp() - maxMp));
    EXPECT_GT(player->GetMaxHp(), maxHp);
    for (int i = 0; i < 200; ++i) {
        driver_->Step();
    }
    EXPECT_TRUE(qmtest::MatchesGolden(Screen(), "HudRoadLevelUp"));
    cells = qmtest::CountSheetCells(driver_->DrawsOfAStep(), dir_.Path());
    EXPECT_GE(cells.filler, 8) << "the banner's places as well";
    EXPECT_EQ(cells.fillerShown, 0);
    // The banner arrived (the hit counter, whose fade slides it off to the right, is over).
    EXPECT_LE(cells.right, 640.0F) << "the banner leaves the screen";
    EXPECT_GT(cells.right, 600.0F);
}

}  // namespace
