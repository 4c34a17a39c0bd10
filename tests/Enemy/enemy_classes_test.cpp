// The enemy classes: attack tables at their bounds, revival, the enemies that never stagger, and
// the element shot.
#include <gtest/gtest.h>

#include <cfloat>
#include <cstring>

#include "MainCode/Character/TEnemyA.h"
#include "MainCode/Character/TEnemyB.h"
#include "MainCode/Character/TEnemyC.h"
#include "MainCode/Character/TEnemyD.h"
#include "MainCode/Character/TEnemyE.h"
#include "MainCode/Character/THeldRandomOffsetMotion.h"
#include "MainCode/Effect/TEffect.h"
#include "MainCode/Shot/TShot.h"
#include "enemy_fixture.h"
#include "support/character_probe.h"
#include "support/shot_probe.h"

namespace enemytest {
namespace {

class EnemyClassesTest : public TimeStopTest {
protected:
    template <class T>
    void Place(T& e, float z = 0.0F)
    {
        e.Spawn(area_.get(), D3DXVECTOR3(0, 0, z), D3DXVECTOR3(0, 0, 1), FLT_MAX, 1);
    }
    // A hit from the side, strong enough to take all HP.
    void HitHard(TEnemy& e) { Hit(e, 1000000); }
    static TEnemyRecord Record() { return qmtest::SampleEnemyRecord(3); }
};

class LoggedD : public TEnemyD {
public:
    using TEnemyD::TEnemyD;
    void OnPatternEvent(const TPatternEvent& frame) override
    {
        events.push_back(frame.EventCode);
        TEnemyD::OnPatternEvent(frame);
    }
    std::vector<std::uint16_t> events;
};

TEST_F(EnemyClassesTest, AttackTablesStartTheirMotionsUpToTheirLastEntry)
{
    TEnemyA a(Record(), 1, 0);
    Place(a);
    // One attack: always attack 0, motion 16.
    for (int i = 0; i < 5; ++i) {
        a.SetState(0);
        a.ChooseAttack(3.0F);
        EXPECT_EQ(a.GetState(), 16U);
        EXPECT_EQ(TCharacterProbe::SubState(a), 1U);
        EXPECT_EQ(a.GetBodyMesh()->GetMorphIndex(), 16U);
    }
    a.SetSubState(6);
    EXPECT_EQ(TCharacterProbe::SubState(a), 7U);
    EXPECT_EQ(a.GetBodyMesh()->GetMorphIndex(), 22U);
    // Past the last entry nothing starts.
    a.SetState(0);
    a.SetSubState(7);
    EXPECT_EQ(a.GetState(), 0U);
    EXPECT_EQ(TCharacterProbe::SubState(a), 7U);

    TEnemyB b(Record(), 3, 0);
    Place(b);
    b.SetSubState(9);
    EXPECT_EQ(TCharacterProbe::SubState(b), 10U);
    EXPECT_EQ(b.GetBodyMesh()->GetMorphIndex(), 25U);
    b.SetState(0);
    b.SetSubState(10);
    EXPECT_EQ(b.GetState(), 0U);

    // No attacks at all: it faces the player and stands.
    TEnemyA none(Record(), 0, 0);
    Place(none);
    none.ChooseAttack(3.0F);
    EXPECT_EQ(none.GetState(), 0U);

    // The attack runs its ten frames and ends standing.
    a.SetSubState(0);
    for (int i = 0; i < 9; ++i) {
        a.RunAttack();
        ASSERT_EQ(a.GetState(), 16U) << i;
    }
    a.RunAttack();
    // Ended: it decided again at once.
    EXPECT_GT(TCharacterProbe::ThinkTimer(a), 0);
}

TEST_F(EnemyClassesTest, RevivalByLimitAndStatGrowthAtTheCap)
{
    TEnemyRecord r = Record();
    r.str = 9999;
    r.vit = 10000;
    r.intel = 5000;
    r.men = 100;
    // Each revival fires its event; a death past the limit leaves HP 0.
    auto revivals = [&](std::int32_t limit, int deaths) {
        LoggedD d(r, 1, 200, 20.0F, limit, 0);
        Place(d);
        int revived = 0;
        for (int i = 0; i < deaths; ++i) {
            HitHard(d);
            if (d.GetHp() == d.GetMaxHp()) {
                ++revived;
            } else {
                EXPECT_EQ(d.GetHp(), 0);
            }
        }
        EXPECT_EQ(d.events, std::vector<std::uint16_t>(static_cast<std::size_t>(revived), 200));
        return revived;
    };
    EXPECT_EQ(revivals(2, 4), 2);
    EXPECT_EQ(revivals(-1, 5), 5);
    EXPECT_EQ(revivals(0, 2), 0);
    EXPECT_EQ(revivals(1, 2), 1);

    TEnemyD d(r, 1, -1, 20.0F, 1, 0);
    Place(d);
    HitHard(d);
    EXPECT_EQ(d.GetStr(), 99999);
    EXPECT_EQ(d.GetVit(), 10000);
    EXPECT_EQ(d.GetInt(), 99999);
    EXPECT_EQ(d.GetMen(), 2000);
}

TEST_F(EnemyClassesTest, HeavyAndSteadfastEnemiesNeverStaggerYetDieAtZeroHp)
{
    // A hit turns the plain enemy toward its attacker, never B.
    MovePlayer(3.0F, 0.0F);
    TEnemyA a(Record(), 1, 0);
    Place(a);
    const D3DXMATRIX aBefore = *a.GetFrame()->GetMatrix();
    TEnemyB b(Record(), 1, 0);
    Place(b);
    const D3DXMATRIX bBefore = *b.GetFrame()->GetMatrix();
    Hit(a);
    Hit(b);
    EXPECT_NE(std::memcmp(&aBefore, a.GetFrame()->GetMatrix(), sizeof(D3DXMATRIX)), 0);
    EXPECT_EQ(std::memcmp(&bBefore, b.GetFrame()->GetMatrix(), sizeof(D3DXMATRIX)), 0);
    EXPECT_EQ(b.GetState(), 0U);
    EXPECT_EQ(TCharacterProbe::ThinkTimer(b), -500);
    EXPECT_EQ(TCharacterProbe::GaugeTimer(b), 200);
    // Unturned, the hit still shows on the player's pop-up.
    EXPECT_TRUE(TCharacterProbe::HitPopup(*player_).IsActive());
    EXPECT_EQ(THudProbe::Count(TCharacterProbe::HitPopup(*player_)), b.GetHitsTaken());
    EXPECT_EQ(THudProbe::Total(TCharacterProbe::HitPopup(*player_)), b.GetDamageTaken());

    // Both go down at 0 HP and stay there to die, though they shake off hits every frame.
    TEnemyE steadfast(Record(), 1, 0);
    Place(steadfast);
    for (TEnemy* e : {static_cast<TEnemy*>(&b), static_cast<TEnemy*>(&steadfast)}) {
        e->ReactStun(0, -1, 0, 100, 0, 1, 1.0F, 30.0F, e->GetHp());
        EXPECT_EQ(e->GetState(), 7U);
        EXPECT_EQ(e->GetReactionMode(), 1000U);
        EXPECT_EQ(TCharacterProbe::StunMark(*e), 1U);
        e->Update();
        EXPECT_EQ(e->GetReactionMode(), 1000U);
        EXPECT_GT(e->GetHitsTaken(), 0);
        int frames = 0;
        while (e->IsAlive() && frames < 400) {
            e->Update();
            ++frames;
        }
        EXPECT_FALSE(e->IsAlive());
    }
}

TEST_F(EnemyClassesTest, TheElementShotFollowsItsEnemyAndEndsWithIt)
{
    // Each element's shot flies for ever, moved about the enemy's own frame, which it keeps alive,
    // and ends with the enemy. Its effect and its lift by hand: 800, 801, 802, 803, 807, 808, 805;
    // lifts summing to 0.25, weighted by element + 1 to 0.91; the half height's offset for 2 and 4.
    const std::uint32_t ids[7] = {800, 801, 802, 803, 807, 808, 805};
    float lift = 0.0F;
    float weighted = 0.0F;
    for (std::uint32_t element = 0; element < 7; ++element) {
        TEnemyC c(Record(), 1, element, 0);
        log_.clear();
        Place(c);
        ASSERT_EQ(log_.size(), 1U);
        EXPECT_EQ(log_[0].id, ids[element]);
        auto* shot = dynamic_cast<TShot*>(c.GetElementEffect());
        ASSERT_NE(shot, nullptr);
        EXPECT_EQ(shot->GetFlightFrames(), -1);
        auto* motion = dynamic_cast<THeldRandomOffsetMotion*>(TShotProbe::Motion(*shot));
        ASSERT_NE(motion, nullptr);
        EXPECT_EQ(TCharacterProbe::Held(*motion).Get(), c.GetFrame());
        lift += TCharacterProbe::Second(*motion).y;
        weighted += TCharacterProbe::Second(*motion).y * static_cast<float>(element + 1);
        EXPECT_EQ(TCharacterProbe::Offset(*motion).z,
                  element == 2 || element == 4 ? c.GetCenterHeight() : TCharacterProbe::MaxVerticalSpeed(c))
            << element;
        c.LeaveField();
        EXPECT_FALSE(shot->IsAlive());
        EXPECT_EQ(c.GetElementEffect(), nullptr);
    }
    EXPECT_NEAR(lift, 0.25F, 1e-6F);
    EXPECT_NEAR(weighted, 0.91F, 1e-6F);
    EXPECT_EQ(TEnemyC::ElementEffectId(7), 0U);

    // An unknown element makes nothing; a field cleared first leaves nothing to touch.
    TEnemyC odd(Record(), 1, 7, 0);
    log_.clear();
    Place(odd);
    EXPECT_TRUE(log_.empty());
    odd.LeaveField();
    TEnemyC cleared(Record(), 1, 2, 0);
    Place(cleared);
    Manager().Clear();
    EXPECT_EQ(cleared.GetElementEffect(), nullptr);
    cleared.LeaveField();
}

}  // namespace
}  // namespace enemytest
