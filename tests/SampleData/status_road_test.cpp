// The battle map's ailments played on the sample folder: the spore flower's breath poisons, drains
// mana and seals it, the moth's dust reverses the controls, seals attacks and slows; each ailment's
// icon joins the group over the hero, each tells in play (HP and MP running down, the walk mirrored
// and halved, the attack refused) and each goes with its cure from the ring, with time, or with the
// cure-all lying by the flower; the strength fruit's bonus shows its icon until it runs out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Hud/TItemRing.h"
#include "MainCode/Hud/TStatusIcon.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TBattleArea.h"
#include "MainCode/Map/TCamera.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Map/TTownArea.h"
#include "SampleData/battle_start.h"
#include "SampleData/field_road.h"
#include "make-sample-data/SampleData.h"
#include "support/character_probe.h"
#include "support/field_walk.h"
#include "support/hud_probe.h"
#include "support/scene_driver.h"
#include "support/map_probe.h"

namespace {

using qmtest::Button;
using qmtest::PositionOf;
using qmtest::SceneDriver;
using sample::SampleLayout;

// The icons by status, as the group shows them.
enum Icon { kPoisonIcon, kSicknessIcon, kConfusionIcon, kFearIcon, kSlowIcon, kSilenceIcon, kBoostIcon };

class StatusRoad : public qmtest::SampleFieldRoad {
protected:
    void SetUp() override
    {
        qmtest::SampleFieldRoad::SetUp();
        // The enemies' choices and the ailments' draws as this road has always seen them.
        init_genrand(71);
        field_ = qmtest::StartOnBattleMap(driver_);
        ASSERT_NE(field_, nullptr);
        ASSERT_TRUE(driver_.StepUntil([&] { return !TMapProbe::IsInPhase(*field_); }, 200));
    }
    void TearDown() override
    {
        qmtest::ReleaseArrows();
        qmtest::SampleFieldRoad::TearDown();
    }

    TPlayerCharacter* Hero() const { return field_->GetPlayer(); }

    // The six counters in status order.
    std::int32_t Counter(int i) const
    {
        TPlayerCharacter* hero = Hero();
        const std::int32_t values[6] = {hero->GetPoison().Remaining,     hero->GetManaDrain().Remaining,
                                        hero->GetReversedControls().Remaining, hero->GetAttackSeal().Remaining,
                                        hero->GetSlowness().Remaining,  hero->GetManaSeal().Remaining};
        return values[i];
    }

    // The icons on show and not leaving, by status.
    std::set<int> IconsShown() const
    {
        std::set<int> out;
        for (const auto& icon : THudProbe::Shown(TCharacterProbe::StatusIcons(*Hero()))) {
            if (!icon->IsLeaving()) {
                out.insert(THudProbe::Index(*icon));
            }
        }
        return out;
    }

    // Every icon on show hangs in the group, which floats over the hero beside its body (on the same
    // parent); settled, each stands faded in at its own place on the circle.
    void ExpectIconsOverTheHero(const std::set<int>& expected, const char* when) const
    {
        EXPECT_EQ(IconsShown(), expected) << when;
        TStatusIcon& icons = TCharacterProbe::StatusIcons(*Hero());
        TFrame* root = THudProbe::Root(icons);
        EXPECT_EQ(root->GetParent(), Hero()->GetFrame()->GetParent()) << when;
        D3DXVECTOR3 centre;
        root->GetPosition(&centre);
        const D3DXVECTOR3 off =
            centre - (PositionOf(Hero()) + D3DXVECTOR3(0.0F, Hero()->GetCenterHeight() + 1.0F, 0.0F));
        EXPECT_LT(D3DXVec3Length(&off), 0.1F) << when;
        ASSERT_EQ(THudProbe::Shown(icons).size(), expected.size()) << when;
        std::set<long> angles;
        for (const auto& icon : THudProbe::Shown(icons)) {
            EXPECT_EQ(THudProbe::Frame(*icon)->GetParent(), root) << when << " icon " << THudProbe::Index(*icon);
            EXPECT_FLOAT_EQ(THudProbe::Fade(*icon).value, 1.0F) << when << " icon " << THudProbe::Index(*icon);
            D3DXVECTOR3 at;
            THudProbe::Frame(*icon)->GetPosition(&at);
            EXPECT_NEAR(std::hypot(at.x, at.z), expected.size() == 1 ? 0.0F : 0.6F, 0.001F)
                << when << " icon " << THudProbe::Index(*icon);
            angles.insert(std::lround(std::atan2(at.x, at.z) * 180.0 / 3.14159265));
        }
        EXPECT_EQ(angles.size(), expected.size()) << when;
    }

    // Stands the hero in front of the enemy (on the side of the map's middle), facing it, with its HP
    // full against the others' blows, until its breath has brought every one of its ailments;
    // whether they came within the limit.
    bool BreatheOn(const sample::StatusEnemy& enemy)
    {
        Hero()->RecoverHp(Hero()->GetMaxHp());
        Hero()->PlaceAt(enemy.position + D3DXVECTOR3(1.4F, 0.0F, 0.0F), D3DXVECTOR3(-1.0F, 0.0F, 0.0F));
        return driver_.StepUntil(
            [&] {
                for (int i = 0; i < 6; ++i) {
                    if ((enemy.ailments >> i & 1u) != 0 && Counter(i) == 0) {
                        return false;
                    }
                }
                return true;
            },
            600);
    }

    // Into ring slot 1, then "D" held, one "DOWN", "D" let go: the item used as a player uses it.
    void UseFromTheRing(std::uint32_t id)
    {
        TGameData* data = TGameData::GetInstance();
        ASSERT_NE(data->FindItem(id), nullptr) << id;
        data->AddRingItem(1, id);
        SceneDriver::Hold(Button::D, true);
        driver_.Steps(3);
        driver_.Press(Button::Down);
        driver_.Steps(12);
        SceneDriver::Hold(Button::D, false);
        driver_.StepUntil([&] { return Hero()->GetState() == TPlayerCharacter::kStateItem; }, 10);
        driver_.StepUntil(
            [&] { return Hero()->GetState() != TPlayerCharacter::kStateItem && field_->GetItemRing()->IsClosed(); },
            120);
    }

    // From the spot, the arrows a player holds to head for the target, for 40 steps: how much
    // nearer the hero came.
    float Approach(const D3DXVECTOR3& spot, const D3DXVECTOR3& target)
    {
        Hero()->PlaceAt(spot, D3DXVECTOR3(0.0F, 0.0F, -1.0F));
        driver_.Steps(20);
        for (int i = 0; i < 40; ++i) {
            qmtest::WalkTowards(field_, target);
            driver_.Step();
        }
        qmtest::ReleaseArrows();
        driver_.Steps(2);
        return qmtest::FlatDistance(spot, target) - qmtest::FlatDistance(PositionOf(Hero()), target);
    }

    // From the spot, "LEFT" held 30 steps: how far the hero went to the camera's right.
    float SideStep(const D3DXVECTOR3& spot)
    {
        Hero()->PlaceAt(spot, D3DXVECTOR3(0.0F, 0.0F, -1.0F));
        driver_.Steps(20);
        const D3DXVECTOR3 from = PositionOf(Hero());
        D3DXVECTOR3 eye;
        field_->GetArea()->GetCamera()->GetFrame()->GetPosition(&eye);
        D3DXVECTOR3 ahead(from.x - eye.x, 0.0F, from.z - eye.z);
        D3DXVec3Normalize(&ahead, &ahead);
        SceneDriver::Hold(Button::Left, true);
        driver_.Steps(30);
        SceneDriver::Hold(Button::Left, false);
        driver_.Steps(2);
        const D3DXVECTOR3 to = PositionOf(Hero());
        return (to.x - from.x) * ahead.z - (to.z - from.z) * ahead.x;
    }

    // Z held a moment and let go: whether the hero set about an attack within 20 steps, and how
    // often the refusal sounded.
    std::pair<bool, long> Attack()
    {
        driver_.RecordSounds(true);
        SceneDriver::Hold(Button::A, true);
        driver_.Steps(2);
        SceneDriver::Hold(Button::A, false);
        bool attacked = false;
        for (int i = 0; i < 20; ++i) {
            driver_.Step();
            attacked = attacked || Hero()->GetState() == TPlayerCharacter::kStateAction;
        }
        const long refused = std::count(driver_.sounds.begin(), driver_.sounds.end(),
                                        TSoundBankRecord{TSoundBankRecord::kPlay, 0, 608});
        driver_.RecordSounds(false);
        driver_.StepUntil([&] { return Hero()->GetState() == TPlayerCharacter::kStateIdle; }, 120);
        return {attacked, refused};
    }

    TFieldLoop* field_ = nullptr;
};

// Both breaths on the battle map, with the cure-all picked up beside the flower; the attack refused
// there; through the gate with the controls reversed; in the town each ailment tells and goes.
TEST_F(StatusRoad, EachAilmentComesOnABreathShowsItsIconTellsInPlayAndGoesWithItsCure)
{
    const auto& enemies = sample::StatusEnemies();
    ASSERT_EQ(enemies.size(), 2u);
    TGameData* data = TGameData::GetInstance();

    // The cures and the fruit lying by the flower, taken up one by one.
    for (const sample::CurePickup& cure : sample::CurePickups()) {
        Hero()->PlaceAt(D3DXVECTOR3(cure.position.x, 0.0F, cure.position.z), D3DXVECTOR3(1.0F, 0.0F, 0.0F));
        ASSERT_TRUE(driver_.StepUntil([&] { return data->GetPickupFlag(cure.flag) != 0; }, 30)) << cure.item;
        ASSERT_NE(data->FindItem(cure.item), nullptr) << cure.item;
        EXPECT_EQ(data->FindItem(cure.item)->Count, 1) << cure.item;
    }

    // The flower's breath: poison, sickness and silence, no more.
    ASSERT_TRUE(BreatheOn(enemies[0]));
    for (int i : {kConfusionIcon, kFearIcon, kSlowIcon}) {
        EXPECT_EQ(Counter(i), 0) << i;
    }
    driver_.Steps(62);
    ExpectIconsOverTheHero({kPoisonIcon, kSicknessIcon, kSilenceIcon}, "the flower's three");
    // The moth's dust: reversed controls, attack seal and slowness besides.
    ASSERT_TRUE(BreatheOn(enemies[1]));
    for (int i = 0; i < 6; ++i) {
        EXPECT_GT(Counter(i), 4000) << i;
    }
    // Away from the others: sealed, Z only sounds the refusal; cured, it swings.
    Hero()->PlaceAt(D3DXVECTOR3(17.0F, 0.0F, 19.0F), D3DXVECTOR3(0.0F, 0.0F, 1.0F));
    driver_.Steps(10);
    EXPECT_EQ(Attack(), std::make_pair(false, 1L));
    UseFromTheRing(sample::kCureFear);
    EXPECT_EQ(Counter(kFearIcon), 0);
    EXPECT_EQ(Attack(), std::make_pair(true, 0L));

    // The reversed hero reaches the gate only by heading away from it; the ailments go along.
    Hero()->PlaceAt(SampleLayout::BattleGateFront(), D3DXVECTOR3(0.0F, 0.0F, 1.0F));
    const D3DXVECTOR3 through = SampleLayout::BattleGateEntry();
    bool inTown = driver_.StepUntil(
        [&] {
            if (TMapProbe::IsInPhase(*field_)) {
                qmtest::ReleaseArrows();
                return dynamic_cast<TTownArea*>(field_->GetArea()) != nullptr;
            }
            const D3DXVECTOR3 p = PositionOf(Hero());
            qmtest::WalkTowards(field_, p + p - through);
            return false;
        },
        600);
    qmtest::ReleaseArrows();
    ASSERT_TRUE(inTown);
    ASSERT_TRUE(driver_.StepUntil([&] { return !TMapProbe::IsInPhase(*field_); }, 300));
    for (int i : {kPoisonIcon, kSicknessIcon, kConfusionIcon, kSlowIcon, kSilenceIcon}) {
        EXPECT_GT(Counter(i), 3000) << i;
    }

    driver_.Steps(62);
    ExpectIconsOverTheHero({kPoisonIcon, kSicknessIcon, kConfusionIcon, kSlowIcon, kSilenceIcon}, "five in town");

    // Poison takes 4 HP and sickness 1 MP a second.
    const std::int32_t hp = Hero()->GetHp();
    const std::int32_t mp = Hero()->GetMp();
    driver_.Steps(120);
    EXPECT_EQ(Hero()->GetHp(), hp - 8);
    EXPECT_EQ(Hero()->GetMp(), mp - 2);

    // Reversed, "LEFT" turns the hero to the camera's right; cured, to its left; heading for a
    // point the cured hero goes at half the pace, and cured of the slowness too at the full pace.
    const D3DXVECTOR3 spot(-30.0F, 0.0F, 20.0F);
    const D3DXVECTOR3 target(-30.0F, 0.0F, 14.0F);
    const float mirrored = SideStep(spot);
    UseFromTheRing(sample::kCureConfusion);
    EXPECT_EQ(Counter(kConfusionIcon), 0);
    const float plain = SideStep(spot);
    const float slow = Approach(spot, target);
    UseFromTheRing(sample::kCureSlow);
    EXPECT_EQ(Counter(kSlowIcon), 0);
    const float full = Approach(spot, target);
    EXPECT_GT(mirrored, 0.2F);
    EXPECT_LT(plain, -0.2F);
    EXPECT_GT(slow, 0.3F);
    EXPECT_NEAR(slow / full, 0.5F, 0.1F);

    // Item 3 (the shop's) cures the poison.
    data->AddItem(3, 1);
    UseFromTheRing(3);
    EXPECT_EQ(Counter(kPoisonIcon), 0);
    const std::int32_t hpCured = Hero()->GetHp();
    const std::int32_t mpDraining = Hero()->GetMp();
    driver_.Steps(130);
    EXPECT_EQ(Hero()->GetHp(), hpCured);
    EXPECT_LT(Hero()->GetMp(), mpDraining);
    // The cured ones' icons have risen away and the rest stand re-spaced.
    ExpectIconsOverTheHero({kSicknessIcon, kSilenceIcon}, "sickness and silence");

    // The seal on skills runs out by itself (a short while left of it here); the cure-all ends the
    // sickness.
    Hero()->GetManaSeal().Remaining = 30;
    EXPECT_TRUE(driver_.StepUntil([&] { return Counter(kSilenceIcon) == 0; }, 40));
    EXPECT_GT(Counter(kSicknessIcon), 0);
    UseFromTheRing(sample::kCureAll);
    EXPECT_EQ(Counter(kSicknessIcon), 0);
    EXPECT_EQ(data->FindItem(sample::kCureAll), nullptr);
    EXPECT_TRUE(driver_.StepUntil([&] { return THudProbe::Shown(TCharacterProbe::StatusIcons(*Hero())).empty(); }, 80));

    // The strength fruit: ten more strength and the boost icon alone over the hero. Its 600 steps
    // are field steps: in town it holds past them.
    const std::int32_t strength = Hero()->GetStr();
    UseFromTheRing(4);
    EXPECT_TRUE(Hero()->HasStatBoost());
    EXPECT_EQ(Hero()->GetStr(), strength + 10);
    driver_.Steps(70);
    ExpectIconsOverTheHero({kBoostIcon}, "the fruit");
    driver_.Steps(600);
    EXPECT_TRUE(Hero()->HasStatBoost());
    EXPECT_EQ(Hero()->GetStr(), strength + 10);
    ExpectIconsOverTheHero({kBoostIcon}, "the fruit, still in town");
}

}  // namespace
