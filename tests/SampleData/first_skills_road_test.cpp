// The first weapon skills a new party learns on the battle map, played on the generated folder: the
// wooden sword's and the iron spear's, each set in the first gauge slot and cast with the skill button,
// tapped and held, on the first enemy standing head-on; each runs its row and takes the enemy's HP.
// Then a swing of the attack button in open ground, by the hero and by the partner, which moves the
// figure on the screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>

#include "MainCode/Character/TEnemy.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TCharacterRecord.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Hud/TSkillGauge.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TFieldLoop.h"
#include "SampleData/battle_start.h"
#include "SampleData/field_road.h"
#include "dx/dx8/3d/TFrame.h"
#include "support/character_probe.h"

namespace {

using qmtest::Button;
using qmtest::FlatDistance;
using qmtest::PositionOf;
using qmtest::SceneDriver;

constexpr std::uint32_t kAction = 19;

// A skill of a party member's first weapon: the ability points that teach it, the action row its
// tap or hold runs (the command maps' rows for the basic ids 1 and 2).
struct FirstSkill {
    const char* name;
    std::uint32_t member;
    std::uint32_t weapon;
    std::uint32_t skill;
    bool held;
    std::uint32_t row;
    float ahead;  // where the enemy stands
};

const FirstSkill kFirstSkills[] = {
    {"sweep tapped", 0, 1000, 1, false, 5, 1.0F},
    {"sweep held", 0, 1000, 1, true, 7, 1.4F},
    {"thrust tapped", 1, 1001, 2, false, 9, 1.2F},
    {"thrust held", 1, 1001, 2, true, 11, 1.6F},
};

// What a cast showed.
struct Cast {
    std::set<std::uint32_t> rows;  // action rows run
    std::int32_t damage = 0;       // the first enemy's HP taken
    float moved = 0.0F;            // how far the caster stood from where he began
};

class FirstSkillsRoad : public qmtest::SampleFieldRoad {
protected:
    void SetUp() override
    {
        SampleFieldRoad::SetUp();
        field_ = qmtest::StartOnBattleMap(driver_);
        ASSERT_NE(field_, nullptr);
        ASSERT_TRUE(driver_.StepUntil([&] { return !TMapProbe::IsInPhase(*field_); }, 200));
    }
    // The member made afresh in play, standing idle.
    TPlayerCharacter* Play(std::uint32_t member)
    {
        EXPECT_TRUE(field_->ChangePlayer(member));
        TPlayerCharacter* player = field_->GetPlayer();
        driver_.StepUntil([&] { return player->GetState() == 0; }, 100);
        return player;
    }
    // The player kept on his feet and the first enemy, healed so that it stands through every row,
    // head-on that far in front of him; null when there is none.
    TEnemy* FirstEnemyHeadOn(TPlayerCharacter* player, float ahead)
    {
        TCharacterProbe::SetHitImmunity(*player, 1);
        TEnemy* enemy = FirstEnemy();
        if (enemy != nullptr) {
            enemy->RecoverHp(enemy->GetMaxHp());
            D3DXVECTOR3 front;
            player->GetFront(&front);
            enemy->GetFrame()->SetPosition(PositionOf(player) + ahead * front);
            driver_.Step();
        }
        return enemy;
    }
    TEnemy* FirstEnemy() const
    {
        for (const auto& entry : field_->GetArea()->GetEnemies()->GetLive()) {
            if (entry.second->IsAlive() && entry.second->GetRelatedId() == qmtest::kFieldEnemyType) {
                return entry.second.Get();
            }
        }
        return nullptr;
    }
    // The skill button tapped, or held past the hold threshold, then the action followed to its end.
    Cast CastSlot(TPlayerCharacter* player, TEnemy* enemy, bool held)
    {
        Cast cast;
        const D3DXVECTOR3 from = PositionOf(player);
        const std::int32_t hp = enemy->GetHp();
        const auto watch = [&] {
            driver_.Step();
            if (player->GetState() == kAction) {
                cast.rows.insert(TCharacterProbe::SubState(*player));
            }
        };
        SceneDriver::Hold(Button::B, true);
        for (int i = 0; i < (held ? 24 : 1); ++i) {
            watch();
        }
        SceneDriver::Hold(Button::B, false);
        // The buttons reach the hero a couple of steps late.
        for (int i = 0; i < 6 && player->GetState() != kAction; ++i) {
            watch();
        }
        for (int i = 0; i < 80 && player->GetState() != 0; ++i) {
            watch();
        }
        cast.damage = hp - enemy->GetHp();
        cast.moved = FlatDistance(PositionOf(player), from);
        return cast;
    }

    TFieldLoop* field_ = nullptr;
};

TEST_F(FirstSkillsRoad, EachFirstSkillCastHeadOnTakesTheFirstEnemysHp)
{
    TGameData* data = TGameData::GetInstance();
    for (const FirstSkill& s : kFirstSkills) {
        SCOPED_TRACE(s.name);
        // The weapon teaches it at a hundred ability points, as at the first win.
        if (!s.held) {
            std::vector<std::uint32_t> learned;
            data->AddWeponAbp(s.member, s.weapon, 100, learned);
            EXPECT_EQ(learned, std::vector<std::uint32_t>{s.skill});
        }
        TPlayerCharacter* player = Play(s.member);
        ASSERT_EQ(player->GetWeaponId(), s.weapon);
        data->SetSkillSlot(s.member, 0, s.skill);
        field_->RefreshHud();
        ASSERT_EQ(field_->GetSkillGauge()->GetSelection(), 0);
        TEnemy* enemy = FirstEnemyHeadOn(player, s.ahead);
        ASSERT_NE(enemy, nullptr);
        const Cast cast = CastSlot(player, enemy, s.held);
        EXPECT_TRUE(cast.rows.count(s.row)) << "its row";
        EXPECT_TRUE(cast.rows.count(s.row + 1)) << "its recovery";
        EXPECT_GT(cast.damage, 0) << "landed";
        EXPECT_LT(cast.moved, 0.3F) << "stood its ground";
        EXPECT_EQ(player->GetState(), 0u) << "idle again";
    }
    EXPECT_TRUE(driver_.boxes.empty());
}

// Pixels round the figure, which the follow camera keeps low in the window's middle, that differ by
// more than the goldens' tolerance in a channel.
int Changed(const platform::RgbaImage& a, const platform::RgbaImage& b)
{
    int n = 0;
    for (int y = 180; y < 315 && y < a.height && y < b.height; ++y) {
        for (int x = 250; x < 390 && x < a.width && x < b.width; ++x) {
            bool differs = false;
            for (int c = 0; c < 3; ++c) {
                differs = differs || std::abs(a.At(x, y)[c] - b.At(x, y)[c]) > 8;
            }
            n += differs ? 1 : 0;
        }
    }
    return n;
}

// A swing of the attack button where it meets nothing, by each member in the sword's class (her
// models swing alike in every class; the sword's fires no marks that would hide the figure), tapped
// and, by the hero, held into the charge: the picture stands still at rest, leans with the blow and
// comes back once it is over.
struct OpenSwing {
    const char* name;
    std::uint32_t member;
    int held;  // steps the button is down
};
const OpenSwing kOpenSwings[] = {{"hero", 0, 1}, {"partner", 1, 1}, {"hero held", 0, 24}};

TEST_F(FirstSkillsRoad, ASwingInOpenGroundMovesTheFigure)
{
    for (const OpenSwing& s : kOpenSwings) {
        SCOPED_TRACE(s.name);
        TGameData::GetInstance()->GetCharacterData(s.member)->WeaponId = 1000;
        TPlayerCharacter* player = Play(s.member);
        TEnemy* enemy = FirstEnemy();
        ASSERT_NE(enemy, nullptr);
        const std::int32_t hp = enemy->GetHp();
        driver_.Steps(20);
        const platform::RgbaImage rest = SceneDriver::Screen();
        driver_.Steps(2);
        ASSERT_EQ(player->GetState(), 0u);
        EXPECT_LE(Changed(rest, SceneDriver::Screen()), 40) << "still at rest";
        // The steps, counted from the press, on which the lean first shows, the swing's blow is
        // first out and the figure stands upright again.
        int most = 0;
        int leans = -1;
        int blow = -1;
        int upright = -1;
        SceneDriver::Hold(Button::A, true);
        for (int i = 0; i < s.held + 40 && (i < s.held + 3 || player->GetState() != 0); ++i) {
            SceneDriver::Hold(Button::A, i < s.held);
            driver_.Step();
            const int changed = Changed(rest, SceneDriver::Screen());
            most = std::max(most, changed);
            leans = leans < 0 && changed > 400 ? i : leans;
            blow = blow < 0 && !TCharacterProbe::Hits(*player).empty() ? i : blow;
            upright = upright < 0 && leans >= 0 && changed <= 40 ? i : upright;
        }
        EXPECT_GT(most, 400) << "the swing shows";
        // The swing's first drawn frame leans; its blow, at the third, goes out a step after that
        // frame is reached (the pattern is read before the motion steps), and the pose after the
        // blow's is upright.
        ASSERT_GE(blow, 0) << "no blow";
        EXPECT_EQ(leans, blow - 3) << "the lean starts";
        EXPECT_EQ(upright, blow + 1) << "the lean ends";
        driver_.Steps(20);
        EXPECT_LE(Changed(rest, SceneDriver::Screen()), 40) << "back at rest";
        EXPECT_EQ(enemy->GetHp(), hp) << "met nothing";
    }
    EXPECT_TRUE(driver_.boxes.empty());
}

// The attack button held a moment on the ground, by the hero with his wooden sword and by the
// partner with her iron spear, the first enemy head-on: the class's charge row runs and its blow
// takes the enemy's HP.
struct HeldAttack {
    const char* name;
    std::uint32_t member;
    std::uint32_t weapon;
    std::uint32_t row;  // the class's charge on the ground
};
const HeldAttack kHeldAttacks[] = {{"hero", 0, 1000, 33}, {"partner", 1, 1001, 35}};

TEST_F(FirstSkillsRoad, AHeldAttackHeadOnTakesTheFirstEnemysHp)
{
    for (const HeldAttack& h : kHeldAttacks) {
        SCOPED_TRACE(h.name);
        TPlayerCharacter* player = Play(h.member);
        ASSERT_EQ(player->GetWeaponId(), h.weapon);
        TEnemy* enemy = FirstEnemyHeadOn(player, 1.0F);
        ASSERT_NE(enemy, nullptr);
        const std::int32_t hp = enemy->GetHp();
        // Looked up by its key: a blow that fells it takes it off the field, and it is freed.
        const auto& live = field_->GetArea()->GetEnemies()->GetLive();
        const auto key = std::find_if(live.begin(), live.end(), [&](const auto& e) { return e.second.Get() == enemy; })->first;
        const auto taken = [&] {
            const auto at = live.find(key);
            return at != live.end() ? hp - at->second->GetHp() : hp;
        };
        std::set<std::uint32_t> rows;
        const auto watch = [&] {
            driver_.Step();
            if (player->GetState() == kAction) {
                rows.insert(TCharacterProbe::SubState(*player));
            }
        };
        SceneDriver::Hold(Button::A, true);
        for (int i = 0; i < 24; ++i) {
            watch();
        }
        SceneDriver::Hold(Button::A, false);
        for (int i = 0; i < 120 && player->GetState() != 0; ++i) {
            watch();
        }
        EXPECT_TRUE(rows.count(h.row)) << "the charge";
        EXPECT_FALSE(rows.count(25)) << "a tapped swing";
        EXPECT_GT(taken(), 0) << "landed";
        EXPECT_EQ(player->GetState(), 0u) << "idle again";
    }
    EXPECT_TRUE(driver_.boxes.empty());
}

}  // namespace

