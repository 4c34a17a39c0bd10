// The blows that do more than stagger, played on the sample folder's battle map: the sword's jump
// attack throws an enemy up, it falls and lands, and the follow-up the hop after the blow brings on
// strikes it again in the air; the enemies no blow staggers only lose HP to both.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "MainCode/Character/TEnemy.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TFieldLoop.h"
#include "SampleData/field_road.h"
#include "make-sample-data/SampleData.h"
#include "platform/testing/win32.h"
#include "support/field_walk.h"
#include "support/scene_driver.h"

namespace {

using qmtest::Button;
using qmtest::FlatDistance;
using qmtest::PositionOf;
using qmtest::SceneDriver;
using sample::SampleLayout;

constexpr int kJumpKey = 'C';

// The enemies' states a launch runs through, and where a knock-down lies.
constexpr std::uint32_t kEnemyLaunched = 11, kEnemyFalling = 12, kEnemyLanding = 13, kEnemyDown = 9;
// The sword class's first air strike and its follow-up.
constexpr std::uint32_t kAirStrikeRow = 35, kFollowUpRow = 37;

class ReactionsRoad : public qmtest::SampleFieldRoad {
protected:
    TFieldLoop* EnterBeside(const D3DXVECTOR3& enemy, float away)
    {
        TGameData::GetInstance()->Reset();
        const D3DXVECTOR3 at = enemy - D3DXVECTOR3(0.0F, 0.0F, away);
        field_ = Enter(SampleLayout::kBattle, at, {0.0F, 0.0F, 1.0F}, at + D3DXVECTOR3(0.0F, 3.0F, -6.0F));
        return field_;
    }
    TPlayerCharacter* Hero() const { return field_->GetPlayer(); }
    // Up to the enemy, facing it; false when it could not be reached.
    bool CloseIn(TEnemy* enemy, float reach)
    {
        for (int i = 0; i < 300; ++i) {
            if (FlatDistance(PositionOf(Hero()), PositionOf(enemy)) < reach) {
                qmtest::ReleaseArrows();
                return true;
            }
            qmtest::WalkTowards(field_, PositionOf(enemy));
            Step();
            if (driver_.Current() != field_) {
                return false;
            }
        }
        qmtest::ReleaseArrows();
        return false;
    }
    void Tap(Button b)
    {
        SceneDriver::Hold(b, true);
        Step();
        SceneDriver::Hold(b, false);
        Step();
    }
    void Step()
    {
        if (Hero()->GetHp() < Hero()->GetMaxHp()) {
            Hero()->RecoverHp(1000);
        }
        driver_.Step();
        if (watched_ != nullptr) {
            Watch();
        }
    }
    // What the watched enemy went through.
    void Watch()
    {
        TEnemy* e = watched_;
        const std::uint32_t state = e->GetState();
        const float y = PositionOf(e).y;
        if (states_.empty() || states_.back() != state) {
            states_.push_back(state);
        }
        rise_ = std::max(rise_, y - ground_);
        // A beaten enemy's HP goes on falling a step at a time: those are no blows.
        if (e->GetHp() < hp_ && hp_ > 0) {
            ++hits_;
            // Struck while up in the air: the juggle.
            if (state == kEnemyLaunched || state == kEnemyFalling) {
                ++airHits_;
                juggleFrom_ = y;
            }
        }
        // Lifted again once struck in its fall.
        if (juggleFrom_ >= 0.0F && y > juggleFrom_ + 0.001F) {
            lifted_ = true;
        }
        if (state != kEnemyLaunched && state != kEnemyFalling) {
            juggleFrom_ = -1.0F;
        }
        hp_ = e->GetHp();
        followUp_ = followUp_ || Hero()->GetSubState() == kFollowUpRow;
        airStrike_ = airStrike_ || Hero()->GetSubState() == kAirStrikeRow;
    }
    // Jumps, strikes at the top, presses again for the follow-up, and lets it all come down.
    void JumpAttack()
    {
        platform::InjectKey(kJumpKey, true);
        Step();
        platform::InjectKey(kJumpKey, false);
        for (int i = 0; i < 5; ++i) {
            Step();
        }
        Tap(Button::A);
        Tap(Button::A);
        for (int i = 0; i < 90; ++i) {
            Step();
        }
    }
    void StartWatching(TEnemy* enemy)
    {
        watched_ = enemy;
        states_.clear();
        ground_ = PositionOf(enemy).y;
        hp_ = enemy->GetHp();
        rise_ = 0.0F;
        hits_ = airHits_ = 0;
        juggleFrom_ = -1.0F;
        lifted_ = followUp_ = airStrike_ = false;
    }
    bool Saw(std::vector<std::uint32_t> order) const
    {
        auto at = states_.begin();
        for (std::uint32_t s : order) {
            at = std::find(at, states_.end(), s);
            if (at == states_.end()) {
                return false;
            }
        }
        return true;
    }

    TFieldLoop* field_ = nullptr;
    TEnemy* watched_ = nullptr;
    std::vector<std::uint32_t> states_;
    float ground_ = 0.0F;
    float rise_ = 0.0F;
    float juggleFrom_ = -1.0F;
    std::int32_t hp_ = 0;
    int hits_ = 0;
    int airHits_ = 0;
    bool lifted_ = false;
    bool followUp_ = false;
    bool airStrike_ = false;
};

struct Target {
    const char* name;
    std::uint32_t type;
    D3DXVECTOR3 position;
    bool staggers;
};

// The field's enemy is thrown up, falls and lands, and lies a moment; the follow-up strikes it in
// the air and lifts it again. The leaping one and the swarm's shadow, whom no blow staggers, only
// lose HP to both strikes.
TEST_F(ReactionsRoad, TheSwordsJumpAttackThrowsAnEnemyUpAndTheFollowUpStrikesItInTheAir)
{
    const std::vector<qmtest::FieldEnemy> others = SampleLayout::ClassEnemies();
    const Target targets[] = {
        {"the field's enemy", qmtest::kFieldEnemyType, SampleLayout::Enemy(), true},
        {"the leaping one", others[0].typeId, others[0].position, false},
        {"the shadow of the swarm", others[3].typeId, others[3].position, false},
    };
    for (const Target& t : targets) {
        ASSERT_NE(EnterBeside(t.position, 2.0F), nullptr) << t.name;
        TEnemy* found = EnemyNear(field_, t.type, t.position, 3.0F);
        ASSERT_NE(found, nullptr) << t.name;
        // Held here too: a blow too many ends it and the field lets it go.
        const TRefPtr<TEnemy> held = field_->GetArea()->GetEnemies()->GetEnemy(found->GetObjectId());
        TEnemy* enemy = held.Get();
        bool done = false;
        for (int attempt = 0; attempt < 8 && !done && enemy->GetHp() > 0; ++attempt) {
            watched_ = nullptr;
            CloseIn(enemy, 1.6F);
            ASSERT_EQ(driver_.Current(), field_) << t.name;
            StartWatching(enemy);
            JumpAttack();
            done = followUp_ && hits_ >= 2 && (!t.staggers || Saw({kEnemyDown}));
        }
        watched_ = nullptr;
        EXPECT_TRUE(airStrike_ && followUp_) << t.name << ": the air strike and the follow-up its hop brings on";
        EXPECT_GE(hits_, 2) << t.name;
        if (t.staggers) {
            EXPECT_TRUE(Saw({kEnemyLaunched, kEnemyFalling, kEnemyLanding, kEnemyDown})) << t.name;
            // Thrown at 0.06 a step against a pull of 0.002 a step: some 0.9 up.
            EXPECT_GT(rise_, 0.6F) << t.name;
            EXPECT_LT(rise_, 1.5F) << t.name;
            EXPECT_GE(airHits_, 1) << t.name << ": struck again in the air";
            EXPECT_TRUE(lifted_) << t.name << ": the juggle lifts it";
        } else {
            EXPECT_FALSE(Saw({kEnemyLaunched})) << t.name;
            EXPECT_LT(rise_, 0.1F) << t.name;
        }
    }
    EXPECT_TRUE(driver_.boxes.empty());
}

}  // namespace
