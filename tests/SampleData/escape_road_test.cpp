// The break-fall played on the sample folder: the wooden sword's points teach basic skill 5 at 200,
// the skill window sets it into the gauge's first slot, and beside the battle map's first enemy,
// with X held, the hero struck with 20 MP springs clear at once: the 20 MP spent, the escape's row
// (21) and then its recovery row (22), and on his feet again. With 19 MP, or with X let go, the same
// blows stagger him as ever.
#include <gtest/gtest.h>

#include <ostream>
#include <utility>
#include <vector>

#include "MainCode/Character/TEnemy.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Hud/TSkillGauge.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Menu/TMenuTopLoop.h"
#include "MainCode/Menu/TSkillLoop.h"
#include "SampleData/field_road.h"
#include "make-sample-data/SampleData.h"
#include "support/character_probe.h"
#include "support/field_walk.h"
#include "support/menu_probe.h"
#include "support/scene_driver.h"

namespace {

using qmtest::Button;
using qmtest::FlatDistance;
using qmtest::PositionOf;
using qmtest::SceneDriver;
using sample::SampleLayout;

constexpr std::uint32_t kWoodenSword = 1000;
constexpr std::uint32_t kBreakFall = 5;
constexpr std::uint32_t kAction = 19;
constexpr std::uint32_t kEscapeRow = 21, kEscapeRecoveryRow = 22;

// The hero's pose after a step: his state, the row of his action while he is in one, his MP, and
// whether a blow landed in that step.
struct Pose {
    std::uint32_t state = 0;
    std::uint32_t row = 0;
    std::int32_t mp = 0;
    bool struck = false;
};

std::ostream& operator<<(std::ostream& out, const Pose& p)
{
    return out << "(state " << p.state << ", row " << p.row << ", MP " << p.mp << (p.struck ? ", struck)" : ")");
}

bool IsStaggered(const Pose& p) { return p.state >= 7 && p.state <= 10; }

class EscapeRoad : public qmtest::SampleFieldRoad {
protected:
    TPlayerCharacter* Hero() const { return field_->GetPlayer(); }
    void Key(Button b, int then = 0)
    {
        driver_.Press(b);
        driver_.Steps(1 + then);
    }
    void SetMp(std::int32_t mp)
    {
        TPlayerCharacter* hero = Hero();
        if (hero->GetMp() > mp) {
            hero->ConsumeMp(hero->GetMp() - mp);
        } else if (hero->GetMp() < mp) {
            hero->RecoverMp(mp - hero->GetMp());
        }
    }
    // One step with the hero healed first, so that any HP he lacks after it a blow took.
    Pose Step()
    {
        Hero()->RecoverHp(1000);
        driver_.Step();
        const std::uint32_t state = Hero()->GetState();
        return {state, state == kAction ? TCharacterProbe::SubState(*Hero()) : 0, Hero()->GetMp(),
                Hero()->GetHp() < Hero()->GetMaxHp()};
    }
    // With mp MP, X held or not, beside the enemy until a blow lands: the poses from that blow's
    // step on, each change, until he stands free again (empty when no blow came).
    std::vector<Pose> TakeABlow(TEnemy* enemy, std::int32_t mp, bool holdX)
    {
        std::vector<Pose> poses;
        SetMp(mp);
        for (int step = 0; step < 2000 && poses.empty() && driver_.Current() == field_; ++step) {
            // Within its notice the enemy comes to him and swings from its own reach.
            const float distance = FlatDistance(PositionOf(Hero()), PositionOf(enemy));
            SceneDriver::Hold(Button::B, holdX && distance < 3.5F);
            if (Hero()->GetState() <= 3 && distance > 3.0F) {
                qmtest::WalkTowards(field_, PositionOf(enemy));
            } else {
                qmtest::ReleaseArrows();
            }
            const Pose pose = Step();
            if (pose.struck) {
                poses.push_back(pose);
            }
        }
        qmtest::ReleaseArrows();
        for (int step = 0; step < 300 && !poses.empty() && poses.back().state > 3; ++step) {
            const Pose pose = Step();
            const Pose& last = poses.back();
            if (pose.struck || pose.state != last.state || pose.row != last.row || pose.mp != last.mp) {
                poses.push_back(pose);
            }
        }
        SceneDriver::Hold(Button::B, false);
        return poses;
    }

    TFieldLoop* field_ = nullptr;
};

TEST_F(EscapeRoad, StruckWithTwentyMpAndXHeldTheHeroSpringsClearAndWithNineteenHeIsStaggered)
{
    TGameData* data = TGameData::GetInstance();
    data->Reset();
    // North of the first enemy, facing it, clear of the map's south edge behind it.
    const D3DXVECTOR3 at = SampleLayout::Enemy() + D3DXVECTOR3(0.0F, 0.0F, 4.0F);
    field_ = Enter(SampleLayout::kBattle, at, {0.0F, 0.0F, -1.0F}, at + D3DXVECTOR3(0.0F, 3.0F, 6.0F));
    ASSERT_NE(field_, nullptr);
    ASSERT_EQ(Hero()->GetWeaponId(), kWoodenSword);

    // The wooden sword's points, as wins hand them out: its slash at 100, the break-fall at 200.
    std::vector<std::uint32_t> learned;
    data->AddWeponAbp(0, kWoodenSword, 199, learned);
    EXPECT_EQ(learned, std::vector<std::uint32_t>{1});
    learned.clear();
    data->AddWeponAbp(0, kWoodenSword, 1, learned);
    EXPECT_EQ(learned, std::vector<std::uint32_t>{kBreakFall});

    // The pause menu's skill window: the break-fall, second in the list, into the first slot.
    driver_.Press(Button::E);
    auto* menu = dynamic_cast<TMenuTopLoop*>(driver_.Current());
    ASSERT_NE(menu, nullptr);
    driver_.Steps(57);
    auto* skills = qmtest::OpenSkillWindow(driver_, 2);
    ASSERT_NE(skills, nullptr);
    EXPECT_EQ(TMenuProbe::List(*skills), (std::vector<std::uint32_t>{1, kBreakFall}));
    Key(Button::Down, 4);
    Key(Button::A, 10);
    EXPECT_EQ(data->GetSkillSlot(0, 0), kBreakFall);
    Key(Button::B, 10);
    ASSERT_TRUE(driver_.StepUntil([&] { return driver_.Current() == menu; }, 60));
    driver_.Steps(47);
    Key(Button::B);
    ASSERT_TRUE(driver_.StepUntil([&] { return driver_.Current() == field_; }, 200));
    EXPECT_EQ(field_->GetSkillGauge()->GetSelection(), 0);

    TEnemy* enemy = EnemyNear(field_, qmtest::kFieldEnemyType, SampleLayout::Enemy(), 6.0F);
    ASSERT_NE(enemy, nullptr);
    const TRefPtr<TEnemy> held = field_->GetArea()->GetEnemies()->GetEnemy(enemy->GetObjectId());

    // The blows of the battle map's first enemy, each met with 20 MP and X held: the blow staggers
    // him, and in the next step he springs clear, 20 MP spent, into the escape's row, from which
    // his recovery row follows. A second blow may land while he is still in it (the enemy swings
    // again); then the next blow is met the same way.
    bool clean = false;
    for (int attempt = 0; attempt < 6 && !clean; ++attempt) {
        const std::vector<Pose> poses = TakeABlow(held.Get(), 20, true);
        ASSERT_GE(poses.size(), 2u) << "attempt " << attempt << ": a blow that landed";
        SCOPED_TRACE(::testing::PrintToString(poses));
        EXPECT_TRUE(IsStaggered(poses[0]));
        EXPECT_EQ(poses[0].mp, 20);
        EXPECT_EQ(poses[1].state, kAction);
        EXPECT_EQ(poses[1].row, kEscapeRow);
        EXPECT_EQ(poses[1].mp, 0) << "20 MP spent";
        EXPECT_FALSE(poses[1].struck);
        if (poses.size() >= 3 && !poses[2].struck) {
            EXPECT_EQ(poses[2].state, kAction);
            EXPECT_EQ(poses[2].row, kEscapeRecoveryRow);
            clean = poses[2].row == kEscapeRecoveryRow && poses.size() == 4 && poses[3].state == 0;
        }
        if (::testing::Test::HasFailure()) {
            return;
        }
    }
    EXPECT_TRUE(clean) << "an escape that ran its two rows unstruck";

    // With 19 MP the blow staggers him as ever, and with 20 MP but X let go too: no escape, no MP.
    for (const auto& [mp, holdX] : {std::pair{19, true}, std::pair{20, false}}) {
        const std::vector<Pose> poses = TakeABlow(held.Get(), mp, holdX);
        ASSERT_FALSE(poses.empty()) << mp << " MP: a blow that landed";
        SCOPED_TRACE(::testing::PrintToString(poses));
        EXPECT_TRUE(IsStaggered(poses[0]));
        for (const Pose& p : poses) {
            EXPECT_NE(p.state, kAction) << mp << " MP, X " << (holdX ? "held" : "let go");
            EXPECT_EQ(p.mp, mp);
        }
    }
    EXPECT_TRUE(driver_.boxes.empty());
}

}  // namespace
