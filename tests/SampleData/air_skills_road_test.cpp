// The hero classes' rows that need the air, a held button or a chain, played on the generated
// folder's battle map: the basic skills' windows and what they chain into, both buttons let go
// together, the staff's strikes that plunge until the landing (tapped, held, and its air skill),
// a skill queued during a swing, and the bow's hover, which takes her air skill queued during it.
// Each is seen in the rows the player runs, and the plunge's blows and the bow's arrows in the
// enemies' damage and the effects made.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <vector>

#include "MainCode/Character/THeroA.h"
#include "MainCode/Character/THeroD.h"
#include "MainCode/Character/THeroI.h"
#include "MainCode/Character/THeroine08.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/GameData/TGameData.h"
#include "SampleData/field_road.h"
#include "platform/testing/win32.h"
#include "support/character_probe.h"
#include "support/effect_create_recorder.h"

namespace {

using qmtest::Button;
using qmtest::FlatDistance;
using qmtest::PositionOf;
using qmtest::SceneDriver;
using sample::SampleLayout;

using Rows = std::vector<std::uint32_t>;

constexpr int kJumpKey = 'C';
constexpr std::uint32_t kIdle = 0;
constexpr std::uint32_t kAction = 19;
constexpr std::uint32_t kArrow = 1100;

class AirSkillsRoad : public qmtest::SampleFieldRoad {
protected:
    // The party member plays in that weapon's class (the one playing is stored over its record
    // whenever the other is made, so the weapon is set while the other stands in).
    void Play(std::uint32_t index, std::uint32_t weapon)
    {
        ASSERT_TRUE(field_->ChangePlayer(1 - index));
        TGameData::GetInstance()->GetCharacterData(index)->WeaponId = weapon;
        ASSERT_TRUE(field_->ChangePlayer(index));
        index_ = index;
    }
    // The skills in the gauge's first two slots (each move starts on selection_).
    void Slots(std::uint32_t first, std::uint32_t second)
    {
        TGameData::GetInstance()->SetSkillSlot(index_, 0, first);
        TGameData::GetInstance()->SetSkillSlot(index_, 1, second);
        field_->RefreshHud();
    }
    // One step: the rows run (each once when it starts), the enemies' damage, the effects made.
    void Step(int n = 1)
    {
        for (int i = 0; i < n; ++i) {
            TPlayerCharacter* player = field_->GetPlayer();
            if (player->GetHp() < player->GetMaxHp() / 2) {
                player->RecoverHp(player->GetMaxHp());
            }
            driver_.Steps(1);
            ASSERT_EQ(driver_.Current(), field_) << "the battle map stays";
            player = field_->GetPlayer();
            const std::uint32_t row = player->GetState() == kAction ? TCharacterProbe::SubState(*player) : 0;
            if (row != 0 && row != lastRow_) {
                rows_.push_back(row);
            }
            lastRow_ = row;
            // The states of a blow taken, down to the getting up.
            struck_ = struck_ || (player->GetState() >= 7 && player->GetState() <= 17);
            for (const auto& [id, enemy] : field_->GetArea()->GetEnemies()->GetLive()) {
                const std::int32_t was = damage_.count(id) != 0 ? damage_[id] : enemy->GetDamageTaken();
                dealt_ += enemy->GetDamageTaken() - was;
                damage_[id] = enemy->GetDamageTaken();
            }
        }
    }
    void Tap(Button b, int then = 1)
    {
        SceneDriver::Hold(b, true);
        Step();
        SceneDriver::Hold(b, false);
        Step(then);
    }
    void Jump()
    {
        platform::InjectKey(kJumpKey, true);
        Step();
        platform::InjectKey(kJumpKey, false);
    }
    // Until the player has stood idle a few steps (the buttons reach the hero two steps late); the
    // rows run since the last stand.
    Rows Settle()
    {
        for (int i = 0, still = 0; i < 300 && still < 4; ++i) {
            Step();
            still = field_->GetPlayer()->GetState() == kIdle ? still + 1 : 0;
        }
        EXPECT_EQ(field_->GetPlayer()->GetState(), kIdle);
        Rows rows;
        rows.swap(rows_);
        return rows;
    }
    // A move from a stand: the rows it ran until the player stood again; tried again when an
    // enemy's blow cut into it.
    Rows Move(const std::function<void()>& move)
    {
        Rows rows;
        for (int attempt = 0; attempt < 8; ++attempt) {
            Settle();
            log_.clear();
            // A try cut short may have left the gauge on another slot.
            while (field_->GetSkillGauge()->GetSelection() != selection_) {
                Tap(Button::F);
            }
            struck_ = false;
            move();
            rows = Settle();
            if (!struck_) {
                break;
            }
        }
        return rows;
    }
    // The skill button held past its threshold.
    void HoldSkill()
    {
        SceneDriver::Hold(Button::B, true);
        Step(24);
        SceneDriver::Hold(Button::B, false);
        Step();
    }
    // Up beside the nearest ordinary enemy (out of the strong one's notice; not the time stopper,
    // whose stop would hold the hero).
    void CloseIn()
    {
        for (int i = 0; i < 400; ++i) {
            TEnemy* best = nullptr;
            const D3DXVECTOR3 at = PositionOf(field_->GetPlayer());
            for (const auto& entry : field_->GetArea()->GetEnemies()->GetLive()) {
                TEnemy* e = entry.second.Get();
                if (e->IsAlive() && e->GetRelatedId() != SampleLayout::kStrongEnemyType &&
                    e->GetRelatedId() != SampleLayout::kTimeStopEnemyType &&
                    FlatDistance(PositionOf(e), SampleLayout::StrongEnemy()) > 11.0F &&
                    (best == nullptr || FlatDistance(PositionOf(e), at) < FlatDistance(PositionOf(best), at))) {
                    best = e;
                }
            }
            ASSERT_NE(best, nullptr);
            if (FlatDistance(PositionOf(best), at) < 1.2F) {
                break;
            }
            qmtest::WalkTowards(field_, PositionOf(best));
            Step();
        }
        qmtest::ReleaseArrows();
    }
    // The skills the weapon teaches with 200 ability points.
    static Rows Learned(std::uint32_t index, std::uint32_t weapon)
    {
        Rows learned;
        TGameData::GetInstance()->AddWeponAbp(index, weapon, 200, learned);
        return learned;
    }
    int Made(std::uint32_t id) const
    {
        return static_cast<int>(std::count_if(log_.begin(), log_.end(), [&](const TEffectCreateCall& call) {
            return call.id == id && call.result != nullptr;
        }));
    }

    TFieldLoop* field_ = nullptr;
    std::uint32_t index_ = 0;
    Rows rows_;
    std::uint32_t lastRow_ = 0;
    bool struck_ = false;
    // The slot each move starts from.
    std::int32_t selection_ = 0;
    std::map<std::uint32_t, std::int32_t> damage_;
    std::int32_t dealt_ = 0;
    std::vector<TEffectCreateCall> log_;
    qmtest::EffectCreateRecorder creates_;
};

TEST_F(AirSkillsRoad, AirHoldBothButtonsAndTheComboWindowsPlayInTheGame)
{
    // A new game on the battle map, on the open ground between the enemies' posts, out of the
    // notice of those that come (the shadow that keeps its ground the nearest of them).
    TGameData::GetInstance()->Reset();
    const D3DXVECTOR3 quiet(30.0F, 0.0F, 14.0F);
    field_ = Enter(SampleLayout::kBattle, quiet, {0.0F, 0.0F, -1.0F}, quiet + D3DXVECTOR3(0.0F, 3.0F, 5.0F));
    ASSERT_NE(field_, nullptr);
    creates_.Start(field_->GetEffectManager(), &log_);

    // The sword: the basic skill 1 opens a window at its end (row 5 tapped, 7 held) that takes a
    // charge or another skill queued meanwhile, else recovers.
    Play(0, 1000);
    ASSERT_NE(dynamic_cast<THeroA*>(field_->GetPlayer()), nullptr);
    Slots(1, 2000);
    EXPECT_EQ(Move([&] { Tap(Button::B); }), (Rows{5, 6}));
    EXPECT_EQ(Move([&] { HoldSkill(); }), (Rows{7, 8}));
    // The attack held down, the skill tapped while it is: the hold comes while the skill runs and
    // its window turns it into the charge.
    EXPECT_EQ(Move([&] {
                  SceneDriver::Hold(Button::A, true);
                  Step(13);
                  Tap(Button::B, 12);
                  SceneDriver::Hold(Button::A, false);
              }),
              (Rows{5, 33, 34}));
    // The next slot's skill tapped while the first runs: the window chains it.
    const Rows chained = Move([&] {
        Tap(Button::B, 2);
        Tap(Button::G);
        Tap(Button::B);
    });
    EXPECT_EQ(chained, (Rows{5, 47, 48}));
    selection_ = 0;
    // Both buttons let go in one step: neither the attack's release nor the skill's acts. (The
    // hero reads them over four steps: one let go less than three steps after the other counts
    // as together.)
    EXPECT_EQ(Move([&] {
                  SceneDriver::Hold(Button::A, true);
                  SceneDriver::Hold(Button::B, true);
                  Step(4);
                  SceneDriver::Hold(Button::A, false);
                  SceneDriver::Hold(Button::B, false);
                  Step(10);
              }),
              Rows{});
    const Rows apart = Move([&] {
        SceneDriver::Hold(Button::A, true);
        SceneDriver::Hold(Button::B, true);
        Step(4);
        SceneDriver::Hold(Button::A, false);
        Step(4);
        SceneDriver::Hold(Button::B, false);
        Step(10);
    });
    ASSERT_FALSE(apart.empty());
    EXPECT_EQ(apart.front(), 25u) << "the attack let go first swings";

    // The partner's spear: skill 2's window (rows 9, 11) also strengthens her attack.
    Play(1, 1001);
    ASSERT_NE(dynamic_cast<THeroI*>(field_->GetPlayer()), nullptr);
    Slots(2, 0);
    EXPECT_EQ(Move([&] { Tap(Button::B); }), (Rows{9, 10}));
    EXPECT_EQ(Move([&] { HoldSkill(); }), (Rows{11, 12}));

    // The rack's staff: skills 3 and 4 (the no-weapon skill) open their windows too; an air skill
    // queued in one is not taken on the ground.
    Play(0, 1103);
    ASSERT_NE(dynamic_cast<THeroD*>(field_->GetPlayer()), nullptr);
    // Its second skill, the air plunge, comes at 200 ability points.
    EXPECT_EQ(Learned(0, 1103), (Rows{2500, 2504}));
    Slots(3, 4);
    EXPECT_EQ(Move([&] { Tap(Button::B); }), (Rows{13, 14}));
    EXPECT_EQ(Move([&] { HoldSkill(); }), (Rows{15, 16}));
    selection_ = 1;
    EXPECT_EQ(Move([&] { Tap(Button::B); }), (Rows{17, 18}));
    EXPECT_EQ(Move([&] { HoldSkill(); }), (Rows{19, 20}));
    selection_ = 0;
    Slots(4, 2504);
    EXPECT_EQ(Move([&] {
                  Tap(Button::B, 2);
                  Tap(Button::G);
                  Tap(Button::B);
              }),
              (Rows{17, 18}));
    selection_ = 0;
    // The staff's first skill chains another ground skill queued while it runs.
    Slots(2500, 4);
    EXPECT_EQ(Move([&] {
                  Tap(Button::B, 2);
                  Tap(Button::G);
                  Tap(Button::B);
              }),
              (Rows{41, 17, 18}));
    selection_ = 0;
    // A ground skill tapped during the first swing follows it; the air skill does not.
    Slots(2500, 2504);
    EXPECT_EQ(Move([&] {
                  Tap(Button::A);
                  Tap(Button::B);
              }),
              (Rows{25, 41, 42}));
    EXPECT_EQ(Move([&] {
                  Tap(Button::A, 2);
                  Tap(Button::G);
                  Tap(Button::B);
              }),
              (Rows{25, 26}));
    selection_ = 1;
    // Now the second slot (the air skill) is selected. Beside an enemy, the attack in the air
    // plunges until the landing (33, then 34 back to a stand), held high up the other plunge
    // (35, 36); the air skill tapped or held plunges as well (59, 61).
    CloseIn();
    dealt_ = 0;
    EXPECT_EQ(Move([&] {
                  Jump();
                  Step(4);
                  Tap(Button::A);
              }),
              (Rows{33, 34}));
    EXPECT_GT(dealt_, 0) << "the plunge lands its blow";
    EXPECT_EQ(Move([&] {
                  Jump();
                  SceneDriver::Hold(Button::A, true);
                  Step(24);
                  SceneDriver::Hold(Button::A, false);
              }),
              (Rows{35, 36}));
    EXPECT_EQ(Move([&] {
                  Jump();
                  Step(4);
                  Tap(Button::B);
              }),
              (Rows{59, 60}));
    EXPECT_EQ(Move([&] {
                  Jump();
                  HoldSkill();
              }),
              (Rows{61, 62}));
    selection_ = 0;

    // The bow: the attack held high in a jump hovers (35) and shoots; her air skill tapped
    // meanwhile follows at the hover's end (59) and fans three arrows.
    Play(1, sample::PartnerClasses::kBow);
    ASSERT_NE(dynamic_cast<THeroine08*>(field_->GetPlayer()), nullptr);
    EXPECT_EQ(Learned(1, sample::PartnerClasses::kBow), (Rows{3100, 3104}));
    Slots(3104, 0);
    log_.clear();
    EXPECT_EQ(Move([&] {
                  Jump();
                  SceneDriver::Hold(Button::A, true);
                  for (int i = 0; i < 40 && TCharacterProbe::SubState(*field_->GetPlayer()) != 35; ++i) {
                      Step();
                  }
                  // The attack let go with the skill would count as both together.
                  Tap(Button::B, 4);
                  SceneDriver::Hold(Button::A, false);
              }),
              (Rows{35, 59, 60}));
    EXPECT_EQ(Made(kArrow), 4) << "one arrow from the hover, three from the skill";

    creates_.Stop();
    EXPECT_TRUE(driver_.boxes.empty());
    EXPECT_FALSE(std::filesystem::exists(dir_.Path() / "ErrorLog.txt"));
}

}  // namespace
