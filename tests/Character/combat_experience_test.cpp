// Experience and ability points from defeated enemies, the level-up and its gains, the notices
// shown one by one, the target display, the save request and the experience rule on storing.
#include <gtest/gtest.h>

#include <cmath>

#include "combat_fixture.h"
#include "support/character_probe.h"
#include "support/hud_probe.h"

namespace combattest {
namespace {

class CombatExperienceTest : public CombatFixture {};

TEST_F(CombatExperienceTest, GainsStopAtTheNextLevelAndAtTheCap)
{
    // ex.tbl holds 10 x index: at equal levels (index 100) an enemy of factor 0.05 gives 50.
    TEnemy* enemy = MakeEnemy(3, 0.05F, 0);
    struct Case {
        std::uint32_t level, experience, cap, after;
        bool pending;
    };
    // At the next level's threshold, below it, and at the cap (experience cap x 1000, whatever was gained).
    for (const Case c : {Case{3, 3990, 19, 4000, true}, Case{3, 3949, 19, 3999, false}, Case{5, 123, 5, 5000, false}}) {
        TGameData::SetMaxLevel(c.cap);
        std::unique_ptr<CombatHero> hero = MakeCombatHero();
        hero->SetLevel(c.level);
        hero->SetExperience(c.experience);
        hero->GainExperience(enemy);
        EXPECT_EQ(hero->GetExperience(), c.after) << c.experience;
        EXPECT_EQ(TCharacterProbe::IsLevelUpPending(*hero), c.pending) << c.experience;
        if (c.pending) {
            EXPECT_EQ(TCharacterProbe::LevelUpSerial(*hero), static_cast<std::int32_t>(TCharacterProbe::GainSerial()));
            ASSERT_EQ(TCharacterProbe::GainQueue(*hero).size(), 1u);
            EXPECT_EQ(TCharacterProbe::GainQueue(*hero).front().Words[1], 50u);
        }
    }

    // Something that is no enemy gives nothing.
    std::unique_ptr<CombatHero> hero = MakeCombatHero();
    std::unique_ptr<CombatHero> other = MakeCombatHero(1, 0);
    const std::uint32_t serial = TCharacterProbe::GainSerial();
    hero->GainExperience(other.get());
    EXPECT_EQ(TCharacterProbe::GainSerial(), serial);
}

TEST_F(CombatExperienceTest, LevelDifferenceIsHeldInsideTheTables)
{
    // Index = level - enemy level + 100; ex.tbl holds 10 x index for indexes 0..200.
    struct Case {
        std::int32_t heroLevel;
        std::int32_t enemyLevel;
        std::uint32_t experience;
    };
    const Case cases[] = {{0, 100, 0}, {0, 99, 10}, {0, 5000, 0}, {100, 0, 2000}, {99, 0, 1990}, {300, 0, 2000}};
    TGameData::SetMaxLevel(1000);
    for (const Case& c : cases) {
        std::unique_ptr<CombatHero> hero = MakeCombatHero();
        hero->SetLevel(static_cast<std::uint32_t>(c.heroLevel));
        hero->SetExperience(0);
        hero->GainExperience(MakeEnemy(c.enemyLevel, 1.0F, 0));
        EXPECT_EQ(TCharacterProbe::GainQueue(*hero).back().Words[1], c.experience)
            << c.heroLevel << " vs " << c.enemyLevel;
    }
    TGameData::SetMaxLevel(19);

    // Empty tables give nothing.
    WriteValueTable("tbl/ex.tbl", 0, 1);
    WriteValueTable("tbl/abp.tbl", 0, 1);
    std::unique_ptr<CombatHero> empty = MakeCombatHero();
    ASSERT_TRUE(TCharacterProbe::ExperienceTable(*empty).empty());
    empty->GainExperience(MakeEnemy(0, 1.0F, 4));
    EXPECT_EQ(TCharacterProbe::GainQueue(*empty).back().Words[1], 0u);
    EXPECT_EQ(TCharacterProbe::GainQueue(*empty).back().Words[2], 4u);
}

TEST_F(CombatExperienceTest, BonusesAndAbilityPointsGoToWeaponThenAccessories)
{
    // Experience bonus 0.3, ability-point bonus 1.0.
    SlotPassive(0, 22, 1305);
    SlotPassive(1, 23, 1315);
    TWeponTable::Get(1000).Skill[0] = 501;
    TAccessoryTable::Get(2000).Id = 2000;
    TAccessoryTable::Get(2000).Skill[0] = 601;
    std::unique_ptr<CombatHero> hero = MakeCombatHero();
    hero->SetEquipItem(2000, 'A');
    hero->SetEquipItem(2000, 'B');
    TEnemy* enemy = MakeEnemy(0, 0.5F, 20);
    hero->GainExperience(enemy);
    const TGainRecord& gain = TCharacterProbe::GainQueue(*hero).back();
    // e0 = trunc(1000 x 0.5) = 500; 500 x 0.3 + 500 = 650.
    EXPECT_EQ(gain.Words[1], 650u);
    // abp.tbl gives t = 300: trunc((20 + 300) x 1.0 + 20) = 340, then + 300.
    EXPECT_EQ(gain.Words[2], 340u);
    EXPECT_EQ(gain.Words[3], 20u) << "the bonus shown is the fifth word";
    EXPECT_EQ(gain.Words[4], 20u);
    EXPECT_EQ(gain.Words[5], 7u);
    TCharacterRecord* record = data_->GetCharacterData(0);
    EXPECT_EQ(record->WeponPoints[0], 640u);
    EXPECT_EQ(record->AccessoryPoints[0], 1000u) << "A and B are the same accessory: 640 twice, capped";

    // Learned: a notice each, sound 218 and event 1012 once.
    const std::vector<TGetRender::Notice> queue = THudProbe::Queue(*getRender_);
    ASSERT_EQ(queue.size(), 2u);
    EXPECT_EQ(queue[0].kind, TGetRender::kSkill);
    EXPECT_EQ(queue[0].value, 501u);
    EXPECT_EQ(queue[1].value, 601u);
    EXPECT_EQ(Played(0), (std::vector<std::uint32_t>{218}));
    EXPECT_EQ(hero->events, (std::vector<std::uint16_t>{1012}));

    // Nothing new learned: no sound, no event.
    sounds_.clear();
    hero->GainExperience(enemy);
    EXPECT_TRUE(Played(0).empty());
    EXPECT_EQ(hero->events.size(), 1u);
}

TEST_F(CombatExperienceTest, LevelUpGainsFollowTheGrowthCurveAndTheSharedGenerator)
{
    THrdefRecord& def = THrdefTable::Get(0);
    const std::int32_t growth[6] = {1000, 100, 100, 100, 0, 0};
    std::copy(std::begin(growth), std::end(growth), def.Extra);
    std::unique_ptr<CombatHero> hero = MakeCombatHero();
    hero->SetLevel(0);
    hero->SetMaxHp(500);
    // L = 2: HP target trunc(1000 x 0.001 x 22 x 2 + 575) = 619, current 500; MP 100 x 0.044 + 57
    // = 61 below 100; STR 61 below 100; INT/MEN constants 57/45 below 100.
    hero->ComputeLevelUpGains();
    const std::int32_t d = 119;
    const double h = 0.5 * d;
    const auto r = static_cast<std::uint32_t>(d - h);
    const std::int32_t expected = std::min<std::int32_t>(static_cast<std::int32_t>(std::ceil(h)) + Oracle() % r, d);
    EXPECT_EQ(hero->GetLevelUpGains()[0], expected);
    for (int i = 1; i < 6; ++i) {
        EXPECT_EQ(hero->GetLevelUpGains()[i], 0) << i;
    }

    // One short of the target: d = 1, h = 0.5, r = 0: ceil(0.5) = 1, no draw.
    hero->SetMaxHp(618);
    init_genrand(77);
    hero->ComputeLevelUpGains();
    EXPECT_EQ(hero->GetLevelUpGains()[0], 1);
    std::mt19937 untouched(77);
    EXPECT_EQ(genrand_int32(), static_cast<std::uint32_t>(untouched()));
    hero->SetMaxHp(619);
    hero->ComputeLevelUpGains();
    EXPECT_EQ(hero->GetLevelUpGains()[0], 0);

    // The level-up adds, heals, shows its pop-up and enters state 17.
    hero->SetMaxHp(500);
    hero->SetHp(10);
    hero->LevelUp();
    EXPECT_EQ(hero->GetLevel(), 1u);
    EXPECT_GT(hero->GetMaxHp(), 500);
    EXPECT_EQ(hero->GetHp(), 10 + (hero->GetMaxHp() - 500));
    EXPECT_EQ(hero->GetState(), TPlayerCharacter::kStateLevelUp);
    EXPECT_EQ(TCharacterProbe::PopupDelay(*hero), 280);
    EXPECT_TRUE(TCharacterProbe::LevelUpPopup(*hero)->IsActive());
    EXPECT_EQ(THudProbe::X(*TCharacterProbe::LevelUpPopup(*hero)), 508.0F);
    EXPECT_EQ(THudProbe::Y(*TCharacterProbe::LevelUpPopup(*hero)), 180.0F);
    EXPECT_EQ(Played(0), (std::vector<std::uint32_t>{218}));
    EXPECT_EQ(hero->GetLevelUpGains()[0], 0) << "the gains are cleared";
}

TEST_F(CombatExperienceTest, NoticesComeOneByOneAndTheLevelUpAfterItsGain)
{
    std::unique_ptr<CombatHero> hero = MakeCombatHero();
    hero->SetLevel(0);
    hero->SetExperience(0);
    TEnemy* small = MakeEnemy(0, 0.3F, 0);  // 300
    hero->GainExperience(small);
    hero->GainExperience(small);
    hero->GainExperience(small);
    hero->GainExperience(small);  // reaches 1000 on the fourth
    ASSERT_TRUE(TCharacterProbe::IsLevelUpPending(*hero));
    ASSERT_EQ(TCharacterProbe::GainQueue(*hero).size(), 4u);

    std::vector<int> gainSteps;
    int levelUpStep = -1;
    for (int step = 0; step < 1000 && levelUpStep < 0; ++step) {
        const std::size_t queued = TCharacterProbe::GainQueue(*hero).size();
        hero->UpdatePopups();
        if (TCharacterProbe::GainQueue(*hero).size() < queued) {
            gainSteps.push_back(step);
            const TPopupText* shown = TCharacterProbe::Popups(*hero).back().Get();
            EXPECT_EQ(THudProbe::X(*shown), 440.0F);
            EXPECT_EQ(THudProbe::Y(*shown), 240.0F);
        }
        if (hero->GetLevel() == 1) {
            levelUpStep = step;
        }
        // The level-up waits while the character is busy.
        if (step == 0) {
            hero->SetStateDirect(18, 0);
        }
        if (step == 500) {
            hero->SetStateDirect(0, 0);
        }
    }
    ASSERT_EQ(gainSteps.size(), 4u);
    for (std::size_t i = 1; i < gainSteps.size(); ++i) {
        EXPECT_EQ(gainSteps[i] - gainSteps[i - 1], 120);
    }
    EXPECT_EQ(levelUpStep, 501);
    EXPECT_GT(levelUpStep, gainSteps.back());

    // Pop-ups that have run out leave the list.
    for (int i = 0; i < 400; ++i) {
        hero->UpdatePopups();
    }
    EXPECT_TRUE(TCharacterProbe::Popups(*hero).empty());
}

TEST_F(CombatExperienceTest, TargetDisplayHitPopupAndBestRecords)
{
    std::unique_ptr<CombatHero> hero = MakeCombatHero();
    TEnemy* enemy = MakeEnemy(0, 1.0F, 0);
    enemy->TakeDamage(30);
    enemy->TakeDamage(12);
    hero->SetTargetEnemy(enemy);
    EXPECT_EQ(TCharacterProbe::TargetEnemy(*hero), enemy);
    for (int i = 0; i < 200; ++i) {
        hero->TickTargetTimer();
    }
    EXPECT_EQ(TCharacterProbe::TargetEnemy(*hero), enemy) << "200 steps: still shown";
    hero->TickTargetTimer();
    EXPECT_EQ(TCharacterProbe::TargetEnemy(*hero), nullptr);
    EXPECT_EQ(TCharacterProbe::TargetTimer(*hero), -1);

    hero->ShowHitCount(enemy);
    EXPECT_TRUE(TCharacterProbe::HitPopup(*hero).IsActive());
    EXPECT_EQ(THudProbe::X(TCharacterProbe::HitPopup(*hero)), 520.0F);
    EXPECT_EQ(THudProbe::Y(TCharacterProbe::HitPopup(*hero)), 140.0F);
    EXPECT_EQ(THudProbe::Count(TCharacterProbe::HitPopup(*hero)), 2);
    EXPECT_EQ(THudProbe::Total(TCharacterProbe::HitPopup(*hero)), 42);

    hero->UpdateBestRecords(enemy);
    EXPECT_EQ(TCharacterProbe::BestRecords(*hero)[0], 42);
    EXPECT_EQ(TCharacterProbe::BestRecords(*hero)[1], 2);
    TEnemy* weaker = MakeEnemy(0, 1.0F, 0);
    weaker->TakeDamage(5);
    hero->UpdateBestRecords(weaker);
    EXPECT_EQ(TCharacterProbe::BestRecords(*hero)[0], 42) << "only raised";
}

TEST_F(CombatExperienceTest, SaveRequestsPlayOnceAndKeepTheLatestId)
{
    std::unique_ptr<CombatHero> hero = MakeCombatHero();
    EXPECT_TRUE(hero->RequestSave(12));
    EXPECT_FALSE(hero->RequestSave(13));
    EXPECT_TRUE(hero->HasSaveRequest());
    EXPECT_EQ(hero->GetSavePointId(), 13);
    EXPECT_EQ(Played(0), (std::vector<std::uint32_t>{503}));
    hero->ClearSaveRequest();
    EXPECT_FALSE(hero->HasSaveRequest());
    EXPECT_EQ(hero->GetSavePointId(), -1);
}

TEST_F(CombatExperienceTest, StoringHoldsExperienceToTheRule)
{
    bool up = false;
    EXPECT_EQ(TCharacterRecord::LimitExperience(3, 3999, 19, up), 3999u);
    EXPECT_FALSE(up);
    EXPECT_EQ(TCharacterRecord::LimitExperience(3, 4000, 19, up), 4000u);
    EXPECT_TRUE(up);
    EXPECT_EQ(TCharacterRecord::LimitExperience(3, 4040, 19, up), 4000u);
    EXPECT_EQ(TCharacterRecord::LimitExperience(18, 0, 19, up), 0u);
    EXPECT_EQ(TCharacterRecord::LimitExperience(19, 0, 19, up), 19000u);
    EXPECT_FALSE(up);

    std::unique_ptr<CombatHero> hero = MakeCombatHero();
    hero->SetLevel(2);
    hero->SetExperience(9999);
    data_->StoreCharacter(*hero);
    EXPECT_EQ(data_->GetCharacterData(0)->Experience, 3000u);
    hero->SetLevel(19);
    data_->StoreCharacter(*hero);
    EXPECT_EQ(data_->GetCharacterData(0)->Experience, 19000u);
    EXPECT_EQ(data_->GetCharacterData(0)->WeaponId, 1000u);
}

}  // namespace
}  // namespace combattest
