// The thieves' hollow behind the meadow, played: the meadow's south-west corner leads there; the
// thief's sword lying ahead of the way in is picked up and taken up, its points teach the stealing
// slash and the launch, and the skill window sets the slash; the stealing slash takes the potion
// its carrier holds (tapped, a plain steal) and a little of
// the purse the other carries (held, a strong steal), each once; the launch followed through by a
// heavy strike held over the thrown body keeps it up, every heavy hit setting its flight by the
// strike's knock time, past fifty hits in the air. Beside it, the meadow's scarecrow, strong enough
// now to take the hero's HP as its strikes land.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "MainCode/Character/TEnemy.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Hud/TGetRender.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Menu/TEquipLoop.h"
#include "MainCode/Menu/TMenuTopLoop.h"
#include "MainCode/Menu/TSkillLoop.h"
#include "SampleData/field_road.h"
#include "make-sample-data/SampleSteal.h"
#include "support/character_probe.h"
#include "support/effect_create_recorder.h"
#include "support/field_walk.h"
#include "support/gamedata_probe.h"
#include "support/hud_probe.h"
#include "support/map_probe.h"
#include "support/menu_probe.h"
#include "support/scene_driver.h"

namespace {

using qmtest::Button;
using qmtest::PositionOf;
using qmtest::SceneDriver;
using sample::LeftoverLayout;
using sample::StealLayout;

constexpr std::uint32_t kStealSound = 217;

class StealRoad : public qmtest::SampleFieldRoad {
protected:
    TPlayerCharacter* Hero() const { return field_->GetPlayer(); }
    static std::uint32_t Held(std::uint32_t id)
    {
        for (const auto& entry : TGameDataProbe::ItemList(*TGameData::GetInstance())) {
            if (entry->Id == id) {
                return entry->Count;
            }
        }
        return 0;
    }
    // One step, the hero kept in HP, what it brought noted: steal sounds, notices and effects.
    void Step()
    {
        if (Hero()->GetHp() < Hero()->GetMaxHp()) {
            Hero()->RecoverHp(1000);
        }
        driver_.sounds.clear();
        driver_.Step();
        stealSounds_ += static_cast<int>(std::count(driver_.sounds.begin(), driver_.sounds.end(),
                                                    TSoundBankRecord{TSoundBankRecord::kPlay, 0, kStealSound}));
        for (const TGetRender::Notice& n : THudProbe::Queue(*field_->GetGetRender())) {
            if ((n.kind == TGetRender::kItemSteal || n.kind == TGetRender::kBellSteal) &&
                std::find_if(notices_.begin(), notices_.end(), [&](const TGetRender::Notice& seen) {
                    return seen.kind == n.kind && seen.value == n.value;
                }) == notices_.end()) {
                notices_.push_back(n);
            }
        }
    }
    // The hero put 1.2 in front of the enemy, facing it.
    void FaceUp(TEnemy* enemy)
    {
        D3DXVECTOR3 toHero = PositionOf(Hero()) - PositionOf(enemy);
        toHero.y = 0.0F;
        if (D3DXVec3Length(&toHero) < 1e-3F) {
            toHero = {0.0F, 0.0F, -1.0F};
        }
        D3DXVec3Normalize(&toHero, &toHero);
        Hero()->PlaceAt(PositionOf(enemy) + toHero * 1.2F, -toHero);
    }
    // The skill button tapped (or held past the hold time), then the swing let run out.
    void Slash(bool hold)
    {
        SceneDriver::Hold(Button::B, true);
        for (int i = 0; i < (hold ? 25 : 1); ++i) {
            Step();
        }
        SceneDriver::Hold(Button::B, false);
        for (int i = 0; i < 40; ++i) {
            Step();
        }
    }
    // The placed enemy of that type, alive once the hero stands by it.
    TEnemy* Meet(std::uint32_t type, const D3DXVECTOR3& at)
    {
        Hero()->PlaceAt(at - D3DXVECTOR3(0.0F, 0.0F, 1.2F), {0.0F, 0.0F, 1.0F});
        for (int i = 0; i < 30; ++i) {
            Step();
            if (TEnemy* enemy = EnemyNear(field_, type, at, 3.0F)) {
                return enemy;
            }
        }
        return nullptr;
    }
    void Key(Button b, int then = 0)
    {
        driver_.Press(b);
        driver_.Steps(1 + then);
    }
    int EffectsOf(std::uint32_t id) const
    {
        return static_cast<int>(std::count_if(effects_.begin(), effects_.end(),
                                              [&](const TEffectCreateCall& c) { return c.id == id; }));
    }

    TFieldLoop* field_ = nullptr;
    int stealSounds_ = 0;
    std::vector<TGetRender::Notice> notices_;
    std::vector<TEffectCreateCall> effects_;
    qmtest::EffectCreateRecorder creates_;
};

TEST_F(StealRoad, TheStealingSlashTakesTheCarriedPotionAndSomeOfThePurseEachOnce)
{
    TGameData* data = TGameData::GetInstance();
    data->Reset();
    // Into the meadow beside its south-west corner, and through it.
    const D3DXVECTOR3 gate = (StealLayout::MeadowGateMinimum() + StealLayout::MeadowGateMaximum()) * 0.5F;
    field_ = Enter(LeftoverLayout::kMap, gate + D3DXVECTOR3(0.0F, 0.0F, 3.0F), {0.0F, 0.0F, -1.0F},
                   gate + D3DXVECTOR3(0.0F, 3.0F, 9.0F));
    ASSERT_NE(field_, nullptr);
    // Arrived when the hero stands north of the hollow's own gate: the new area may take the
    // meadow's freed memory, so its address tells nothing.
    const D3DXVECTOR3 arrival(38.0F, 0.0F, 10.0F);
    const auto arrived = [&] {
        const D3DXVECTOR3 p = qmtest::PositionOf(field_->GetPlayer());
        return std::fabs(p.x - arrival.x) < 6.0F && std::fabs(p.z - arrival.z) < 6.0F;
    };
    ASSERT_TRUE(driver_.StepUntil(
        [&] {
            if (arrived() && !TMapProbe::IsInPhase(*field_)) {
                return true;
            }
            if (!TMapProbe::IsInPhase(*field_)) {
                qmtest::WalkTowards(field_, gate);
            }
            return false;
        },
        400))
        << "the meadow's corner leads on";
    qmtest::ReleaseArrows();

    // The thief's sword, a few steps ahead, taken for good.
    ASSERT_TRUE(driver_.StepUntil(
        [&] {
            qmtest::WalkTowards(field_, StealLayout::SwordPickup());
            return Held(StealLayout::kSword) > 0;
        },
        120));
    qmtest::ReleaseArrows();
    EXPECT_EQ(data->GetPickupFlag(250), 1);
    // The pause menu's equipment screen, the weapon row: the sword in place of the wooden one.
    const qmtest::EquipmentOpen open = qmtest::TakeUpWeapon(driver_, 1120);
    TMenuTopLoop* menu = open.menu;
    ASSERT_NE(open.equip, nullptr) << "the sword in the weapon list";
    EXPECT_EQ(Hero()->GetWeaponId(), 1120u);
    Key(Button::B);
    ASSERT_TRUE(driver_.StepUntil([&] { return driver_.Current() == menu; }, 40));
    driver_.Steps(47);
    // Its points, as a win hands them out: nothing at 99, the stealing slash at 100.
    std::vector<std::uint32_t> learned;
    data->AddWeponAbp(0, 1120, 99, learned);
    EXPECT_TRUE(learned.empty());
    data->AddWeponAbp(0, 1120, 1, learned);
    EXPECT_EQ(learned, std::vector<std::uint32_t>{2001});
    // The skill window, the next item down: the slash into the first slot.
    auto* skills = qmtest::OpenSkillWindow(driver_, 1);
    ASSERT_NE(skills, nullptr);
    EXPECT_EQ(TMenuProbe::List(*skills), std::vector<std::uint32_t>{2001}) << "the only skill learned";
    Key(Button::A, 10);
    EXPECT_EQ(data->GetSkillSlot(0, 0), 2001u);
    Key(Button::B, 10);
    ASSERT_TRUE(driver_.StepUntil([&] { return driver_.Current() == menu; }, 60));
    driver_.Steps(47);
    Key(Button::B);
    ASSERT_TRUE(driver_.StepUntil([&] { return driver_.Current() == field_; }, 200));

    creates_.Start(field_->GetArea()->GetEffectManager(), &effects_);
    driver_.RecordSounds(true);

    // The potion carrier: a tapped slash that lands takes its potion at once (its chance is whole).
    TEnemy* thief = Meet(StealLayout::kThiefType, StealLayout::Thief());
    ASSERT_NE(thief, nullptr) << "the potion carrier in the hollow";
    const std::uint32_t potions = Held(StealLayout::kCarriedItem);
    const std::uint32_t money = data->GetMoney();
    int slashes = 0;
    for (; slashes < 10 && Held(StealLayout::kCarriedItem) == potions; ++slashes) {
        FaceUp(thief);
        Slash(false);
    }
    EXPECT_EQ(Held(StealLayout::kCarriedItem), potions + 1) << slashes << " slashes";
    EXPECT_EQ(data->GetMoney(), money);
    EXPECT_EQ(stealSounds_, 1);
    EXPECT_EQ(EffectsOf(104), 1) << "over the robbed";
    EXPECT_EQ(EffectsOf(105), 1) << "over the hero";
    ASSERT_EQ(notices_.size(), 1U);
    EXPECT_EQ(TGetRender::MakeLine(notices_[0]), "魔力の薬を盗んだ。");
    // Nothing more to take: more slashes land, steal nothing.
    const std::int32_t hp = thief->GetHp();
    for (int i = 0; i < 3; ++i) {
        FaceUp(thief);
        Slash(false);
    }
    EXPECT_LT(thief->GetHp(), hp);
    EXPECT_EQ(Held(StealLayout::kCarriedItem), potions + 1);
    EXPECT_EQ(stealSounds_, 1);

    // The purse carrier, held slashes: each one that lands takes, on a coin's fall, less than a
    // tenth of its 500; once.
    TEnemy* purse = Meet(StealLayout::kPurseType, StealLayout::PurseCarrier());
    ASSERT_NE(purse, nullptr) << "the purse carrier in the hollow";
    for (slashes = 0; slashes < 20 && data->GetMoney() == money; ++slashes) {
        FaceUp(purse);
        Slash(true);
    }
    const std::uint32_t taken = data->GetMoney() - money;
    EXPECT_GE(taken, 1U) << slashes << " slashes";
    EXPECT_LE(taken, 49U);
    EXPECT_EQ(stealSounds_, 2);
    EXPECT_EQ(EffectsOf(104), 2);
    EXPECT_EQ(EffectsOf(105), 2);
    ASSERT_EQ(notices_.size(), 2U);
    EXPECT_EQ(notices_[1].kind, TGetRender::kBellSteal);
    EXPECT_EQ(notices_[1].value, taken);
    EXPECT_EQ(TGetRender::MakeLine(notices_[1]), std::to_string(taken) + "ベル盗んだ。");
    const std::int32_t purseHp = purse->GetHp();
    for (int i = 0; i < 4; ++i) {
        FaceUp(purse);
        Slash(true);
    }
    EXPECT_LT(purse->GetHp(), purseHp);
    EXPECT_EQ(data->GetMoney(), money + taken);
    EXPECT_EQ(Held(StealLayout::kCarriedItem), potions + 1);
    EXPECT_EQ(stealSounds_, 2);
    creates_.Stop();
    EXPECT_TRUE(driver_.boxes.empty());
}

// The hollow's third beast, launched and then struck heavily once a step by the follow-through: a heavy
// hit on a launched body does not knock it down but sets its flight by the strike's knock time (0.12 of
// 400), and each hit pushes it up by 0.02 / ((air hits + 1) / 3), a fifth of that from the fiftieth
// on; its vertical speed after the step is that push less the pull of 0.002.
TEST_F(StealRoad, TheLaunchFollowedThroughHeavilyKeepsTheBodyUpPastFiftyHits)
{
    TGameData* data = TGameData::GetInstance();
    data->Reset();
    const D3DXVECTOR3 at = StealLayout::Juggled() - D3DXVECTOR3(0.0F, 0.0F, 1.2F);
    field_ = Enter(StealLayout::kMap, at, {0.0F, 0.0F, 1.0F}, at + D3DXVECTOR3(0.0F, 3.0F, -6.0F));
    ASSERT_NE(field_, nullptr);
    // The thief's sword teaches the launch at 200 points, after the stealing slash.
    std::vector<std::uint32_t> learned;
    data->AddWeponAbp(0, StealLayout::kSword, 199, learned);
    EXPECT_EQ(learned, std::vector<std::uint32_t>{2001});
    learned.clear();
    data->AddWeponAbp(0, StealLayout::kSword, 1, learned);
    EXPECT_EQ(learned, std::vector<std::uint32_t>{2002});
    data->SetSkillSlot(0, 0, StealLayout::kJuggleSkill);
    field_->RefreshHud();
    TEnemy* enemy = Meet(StealLayout::kJuggledType, StealLayout::Juggled());
    ASSERT_NE(enemy, nullptr) << "the juggled beast in the hollow";

    constexpr std::uint32_t kLaunched = 100000;
    constexpr std::uint32_t kUp = 11, kFalling = 12, kLanding = 13;
    bool launched = false;
    float launchKnock = 0.0F;
    float firstHeavyKnock = 0.0F;
    std::int32_t mostAirHits = 0;
    bool thrownDown = false;
    bool landed = false;
    // Vertical speed after the step whose hit was the 49th and the 50th in the air.
    float speedAt[2] = {0.0F, 0.0F};
    for (int i = 0; i < 900 && !landed; ++i) {
        // The skill tapped whenever the hero stands free, until the beast is up.
        if (!launched && Hero()->GetState() <= 3 && i % 8 == 0) {
            FaceUp(enemy);
            SceneDriver::Hold(Button::B, true);
        }
        const std::int32_t before = enemy->GetAirHits();
        Step();
        SceneDriver::Hold(Button::B, false);
        if (enemy->GetReactionMode() != kLaunched) {
            landed = launched;
            continue;
        }
        if (!launched) {
            launched = true;
            launchKnock = TCharacterProbe::KnockTime(*enemy);
        }
        const std::int32_t hits = enemy->GetAirHits();
        if (before == 0 && hits == 1) {
            firstHeavyKnock = TCharacterProbe::KnockTime(*enemy);
        }
        if (hits != before && (hits == 49 || hits == 50)) {
            speedAt[hits - 49] = TCharacterProbe::Velocity(*enemy).y;
        }
        mostAirHits = std::max(mostAirHits, hits);
        const std::uint32_t state = enemy->GetState();
        thrownDown = thrownDown || (state != kUp && state != kFalling && state != kLanding);
        landed = state == kLanding;
    }
    ASSERT_TRUE(launched);
    EXPECT_TRUE(landed);
    EXPECT_FLOAT_EQ(launchKnock, 40.0F) << "the launch's own knock time";
    EXPECT_FLOAT_EQ(firstHeavyKnock, 0.12F * 400.0F) << "set by the heavy hit";
    EXPECT_EQ(mostAirHits, 60) << "every one of the follow-through's hits in the air";
    EXPECT_FALSE(thrownDown);
    EXPECT_NEAR(speedAt[0], 0.02F / (50.0F / 3.0F) - 0.002F, 1e-6F);
    EXPECT_NEAR(speedAt[1], 0.02F / (51.0F / 3.0F) * 0.2F - 0.002F, 1e-6F);
    EXPECT_TRUE(driver_.boxes.empty());
}

// Beside the hollow's gate, the meadow's scarecrow: its strength (46 in its record, 96 at its level
// by the growth it shares with the field's beast) gets through the hero's VIT of 104, so that each
// of its held strikes takes trunc(1.25 x trunc((96 - 104) + 9.6)) = 1 HP as it lands, twice each.
TEST_F(StealRoad, TheMeadowsScarecrowTakesOnePointAStrike)
{
    TGameData::GetInstance()->Reset();
    field_ = Enter(LeftoverLayout::kMap, qmtest::FieldLayout::Start(), qmtest::FieldLayout::StartDirection(),
                   qmtest::FieldLayout::StartCamera());
    ASSERT_NE(field_, nullptr);
    TEnemyFactory* enemies = field_->GetArea()->GetEnemies();
    Hero()->PlaceAt(LeftoverLayout::Spawner() + D3DXVECTOR3(0.0F, 0.0F, -6.0F), D3DXVECTOR3(0.0F, 0.0F, 1.0F));
    ASSERT_TRUE(driver_.StepUntil([&] { return !enemies->GetLive().empty(); }, 30));
    TEnemy* scarecrow = enemies->GetLive().begin()->second.Get();
    ASSERT_EQ(scarecrow->GetRelatedId(), LeftoverLayout::kScarecrowType);
    EXPECT_EQ(scarecrow->GetStr(), 96);
    EXPECT_EQ(Hero()->GetVit(), 104);
    std::vector<std::int32_t> taken;
    for (int i = 0; i < 300 && taken.size() < 4; ++i) {
        const std::int32_t hp = Hero()->GetHp();
        driver_.Step();
        ASSERT_EQ(driver_.Current(), field_);
        if (Hero()->GetHp() != hp) {
            taken.push_back(hp - Hero()->GetHp());
        }
    }
    EXPECT_EQ(taken, (std::vector<std::int32_t>{1, 1, 1, 1}));
    EXPECT_TRUE(driver_.boxes.empty());
}

}  // namespace
