// The enemy classes and the time-stopping enemy: attack tables at their bounds, revival, the
// enemies that never stagger, the element shot, and the stop with its board and its strike.
#include <gtest/gtest.h>

#include <cfloat>
#include <cstring>

#include "MainCode/Character/TEnemyA.h"
#include "MainCode/Character/TEnemyB.h"
#include "MainCode/Character/TEnemyC.h"
#include "MainCode/Character/TEnemyD.h"
#include "MainCode/Character/TEnemyE.h"
#include "MainCode/Character/THeldRandomOffsetMotion.h"
#include "MainCode/Character/TTimeStopEnemy.h"
#include "MainCode/Effect/TEffect.h"
#include "MainCode/Enemy/TimeStop.h"
#include "MainCode/Map/TAttackTable.h"
#include "MainCode/Shot/TShot.h"
#include "enemy_fixture.h"
#include "formats/bht_writer.h"

namespace enemytest {
namespace {

class EnemyClassesTest : public TimeStopTest {
protected:
    void SetUp() override
    {
        TimeStopTest::SetUp();
        // The strike of the stop: a long-lived hit on the body.
        TAttackRecord strike;
        strike.Id = TTimeStopEnemy::kStrikeCode;
        strike.Kind = 0;
        strike.Lifetime = 5000;
        LoadAttackTable({strike});
    }
    template <class T>
    void Place(T& e, float z = 0.0F)
    {
        e.Spawn(area_.get(), D3DXVECTOR3(0, 0, z), D3DXVECTOR3(0, 0, 1), FLT_MAX, 1);
    }
    // A hit from the side, strong enough to take all HP.
    void HitHard(TEnemy& e) { Hit(e, 1000000); }
    static TEnemyRecord Record() { return qmtest::SampleEnemyRecord(3); }
    static TRefPtr<TEnemy> StopPrototype() { return TRefPtr<TEnemy>(new TTimeStopEnemy(Record(), 10, 1, 0)); }
    // A placed copy of the prototype, kept alive by `held`.
    TTimeStopEnemy* PlaceCopy(const TRefPtr<TEnemy>& prototype, TRefPtr<TEnemy>& held, float z = 30.0F)
    {
        held = prototype->Clone(nullptr);
        auto* t = static_cast<TTimeStopEnemy*>(held.Get());
        Place(*t, z);
        return t;
    }
    static void LandStop(TTimeStopEnemy* t) { t->OnHitDelivered(nullptr, TTimeStopEnemy::kStopBlow, 5, 0); }
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
        EXPECT_EQ(a.GetSubState(), 1U);
        EXPECT_EQ(a.GetBodyMesh()->GetMorphIndex(), 16U);
    }
    a.SetSubState(6);
    EXPECT_EQ(a.GetSubState(), 7U);
    EXPECT_EQ(a.GetBodyMesh()->GetMorphIndex(), 22U);
    // Past the last entry nothing starts.
    a.SetState(0);
    a.SetSubState(7);
    EXPECT_EQ(a.GetState(), 0U);
    EXPECT_EQ(a.GetSubState(), 7U);

    TEnemyB b(Record(), 3, 0);
    Place(b);
    b.SetSubState(9);
    EXPECT_EQ(b.GetSubState(), 10U);
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
    EXPECT_GT(a.GetThinkTimer(), 0);
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
    EXPECT_EQ(b.GetThinkTimer(), -500);
    EXPECT_EQ(b.GetGaugeTimer(), 200);
    // Unturned, the hit still shows on the player's pop-up.
    EXPECT_EQ(player_->GetHitPopup().GetLife().GetShowCount(), 2);
    EXPECT_EQ(player_->GetHitPopup().GetCount(), b.GetHitsTaken());

    // Both go down at 0 HP and stay there to die, though they shake off hits every frame.
    TEnemyE steadfast(Record(), 1, 0);
    Place(steadfast);
    for (TEnemy* e : {static_cast<TEnemy*>(&b), static_cast<TEnemy*>(&steadfast)}) {
        e->ReactStun(0, -1, 0, 100, 0, 1, 1.0F, 30.0F, e->GetHp());
        EXPECT_EQ(e->GetState(), 7U);
        EXPECT_EQ(e->GetReactionMode(), 1000U);
        EXPECT_EQ(e->GetStunMark(), 1U);
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
    const std::uint32_t ids[7] = {800, 801, 802, 803, 807, 808, 805};
    for (std::uint32_t element = 0; element < 7; ++element) {
        EXPECT_EQ(TEnemyC::ElementEffectId(element), ids[element]);
    }
    EXPECT_EQ(TEnemyC::ElementEffectId(7), 0U);

    TEnemyC c(Record(), 1, 6, 0);
    log_.clear();
    Place(c);
    ASSERT_EQ(log_.size(), 1U);
    EXPECT_EQ(log_[0].id, 805U);
    TEffect* shot = c.GetElementEffect();
    ASSERT_NE(shot, nullptr);
    // It flies for ever, moved about the enemy's own frame, which it keeps alive.
    auto* asShot = dynamic_cast<TShot*>(shot);
    ASSERT_NE(asShot, nullptr);
    EXPECT_EQ(asShot->GetFlightFrames(), -1);
    auto* motion = dynamic_cast<THeldRandomOffsetMotion*>(asShot->GetMotion());
    ASSERT_NE(motion, nullptr);
    EXPECT_EQ(motion->GetHeld().Get(), c.GetFrame());
    c.LeaveField();
    EXPECT_FALSE(shot->IsAlive());
    EXPECT_EQ(c.GetElementEffect(), nullptr);

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

TEST_F(EnemyClassesTest, ALandedStopBlowFreezesThePlayerAndTheStrikeComesSixHundredFramesLater)
{
    TRefPtr<TEnemy> prototype = StopPrototype();
    EXPECT_EQ(GetTimeStopBoard().Get(), nullptr);
    TRefPtr<TEnemy> enemy;
    TTimeStopEnemy* t = PlaceCopy(prototype, enemy);
    ASSERT_NE(GetTimeStopBoard().Get(), nullptr);

    // Only the stopping blow, landed with flag 0, stops time.
    t->OnHitDelivered(nullptr, TTimeStopEnemy::kStopBlow, 5, 1);
    t->OnHitDelivered(nullptr, TTimeStopEnemy::kStopBlow - 1, 5, 0);
    EXPECT_FALSE(IsTimeStopped());
    LandStop(t);
    EXPECT_TRUE(IsTimeStopped());
    EXPECT_EQ(GetTimeStopBoard()->GetParent(), area_->CameraFrame());
    EXPECT_EQ(GetTimeStopCounter(), 600);

    const std::size_t before = t->GetHits().size();
    for (int i = 1; i < 600; ++i) {
        t->Update();
        ASSERT_EQ(t->GetHits().size(), before) << i;
    }
    t->Update();
    EXPECT_EQ(t->GetHits().size(), before + 1);
    for (int i = 0; i < 50; ++i) {
        t->Update();
    }
    EXPECT_EQ(t->GetHits().size(), before + 1);

    // Two of them count the one counter twice as fast; only one strikes.
    SetTimeStop(false, nullptr, nullptr);
    TRefPtr<TEnemy> second;
    TTimeStopEnemy* u = PlaceCopy(prototype, second);
    LandStop(t);
    const std::size_t tBefore = t->GetHits().size();
    const std::size_t uBefore = u->GetHits().size();
    for (int i = 1; i < 300; ++i) {
        t->Update();
        u->Update();
    }
    EXPECT_EQ(t->GetHits().size() + u->GetHits().size(), tBefore + uBefore);
    t->Update();
    u->Update();
    EXPECT_EQ(t->GetHits().size() + u->GetHits().size(), tBefore + uBefore + 1);

    // A copy ends a running stop; destroying one drops the board, the next copy builds it again.
    LandStop(t);
    ASSERT_TRUE(IsTimeStopped());
    TRefPtr<TEnemy> third = prototype->Clone(nullptr);
    EXPECT_FALSE(IsTimeStopped());
    EXPECT_EQ(GetTimeStopBoard()->GetParent(), nullptr);
    third = TRefPtr<TEnemy>();
    EXPECT_EQ(GetTimeStopBoard().Get(), nullptr);
    // Without a board a stop only sets the flag.
    LandStop(t);
    EXPECT_TRUE(IsTimeStopped());
    third = prototype->Clone(nullptr);
    EXPECT_NE(GetTimeStopBoard().Get(), nullptr);
}

// The stop is heard: its sound once and its loop on; a copy made or a time-stopping enemy gone
// during a stop silences the loop without the stop's sound; the player's hit ends it with it.
TEST_F(EnemyClassesTest, TheStopIsHeardAndEveryEndSilencesItsLoop)
{
    TRefPtr<TEnemy> prototype = StopPrototype();
    TRefPtr<TEnemy> enemy;
    TTimeStopEnemy* t = PlaceCopy(prototype, enemy);
    // Stops time, then mixes past the stop sound's end.
    auto stop = [&] {
        LandStop(t);
        EXPECT_TRUE(IsTimeStopped());
        EXPECT_EQ(Heard(2 * kStopSound.frames), kStopSound.level + kStoppedLoop.level);
        EXPECT_EQ(Heard(), kStoppedLoop.level) << "the loop goes on alone";
        EXPECT_TRUE(Playing(kStoppedLoop));
    };

    stop();
    TRefPtr<TEnemy> copy = prototype->Clone(nullptr);
    EXPECT_FALSE(IsTimeStopped());
    EXPECT_FALSE(Playing(kStoppedLoop));
    EXPECT_EQ(Heard(), 0);

    stop();
    copy = TRefPtr<TEnemy>();
    EXPECT_FALSE(IsTimeStopped());
    EXPECT_FALSE(Playing(kStoppedLoop));
    EXPECT_EQ(Heard(), 0);

    // Nothing to end: a copy or a going one plays nothing.
    copy = prototype->Clone(nullptr);
    copy = TRefPtr<TEnemy>();
    EXPECT_EQ(Heard(), 0);

    stop();
    TAttackHitParams p;
    p.Flags = 1;
    p.BaseDamage = 1;
    TAttackHitTimed strike(t->GetObjectId(), area_->Scene(), nullptr, 1, p);
    player_->ReceiveHit(&strike);
    EXPECT_FALSE(IsTimeStopped());
    EXPECT_FALSE(Playing(kStoppedLoop));
    EXPECT_EQ(Heard(), kStopSound.level);
}

TEST_F(EnemyClassesTest, TheAuraRidesThreeFramesAndHitsLeaveTheThinkTimer)
{
    TTimeStopEnemy t(Record(), 10, 1, 1);
    log_.clear();
    Place(t);
    ASSERT_EQ(CallsOf(TTimeStopEnemy::kAuraEffect).size(), 3U);
    TEffect* aura[3];
    for (std::uint32_t i = 0; i < 3; ++i) {
        aura[i] = t.GetAuraEffect(i);
        ASSERT_NE(aura[i], nullptr) << i;
    }
    EXPECT_EQ(t.GetAuraEffect(3), nullptr);

    const std::int32_t timer = t.GetThinkTimer();
    Hit(t);
    EXPECT_EQ(t.GetThinkTimer(), timer);
    EXPECT_EQ(t.GetGaugeTimer(), 200);
    EXPECT_EQ(t.GetState(), 0U);

    t.LeaveField();
    for (TEffect* effect : aura) {
        EXPECT_FALSE(effect->IsAlive());
    }
    // Without the aura there is none.
    TTimeStopEnemy plain(Record(), 10, 1, 0);
    log_.clear();
    Place(plain);
    EXPECT_TRUE(CallsOf(TTimeStopEnemy::kAuraEffect).empty());
}

TEST_F(EnemyClassesTest, TheBoardHangsBeforeTheCameraDuringAStopAndEveryEndTakesItDown)
{
    TRefPtr<TEnemy> prototype = StopPrototype();
    TRefPtr<TEnemy> enemy;
    // Out of the picture, behind the camera.
    LandStop(PlaceCopy(prototype, enemy, -40.0F));
    ASSERT_TRUE(IsTimeStopped());
    EXPECT_TRUE(Shoot("enemy_time_stop_board"));
    // The player's reception ends it and takes the board down.
    SetTimeStop(false, nullptr, nullptr);
    const TRefPtr<TFrame> board = GetTimeStopBoard();
    EXPECT_EQ(board->GetParent(), nullptr);

    // So does the enemy going during a stop, and the board goes with it.
    LandStop(static_cast<TTimeStopEnemy*>(enemy.Get()));
    ASSERT_EQ(board->GetParent(), area_->CameraFrame());
    enemy->LeaveField();
    enemy = TRefPtr<TEnemy>();
    EXPECT_FALSE(IsTimeStopped());
    EXPECT_EQ(board->GetParent(), nullptr);
    EXPECT_EQ(GetTimeStopBoard().Get(), nullptr);
    prototype = TRefPtr<TEnemy>();
    EXPECT_EQ(GetTimeStopBoard().Get(), nullptr);
}

TEST_F(EnemyClassesTest, TheStopAttackOddsAndTheDistanceListsAtTheirBounds)
{
    TTimeStopEnemy aura(Record(), 10, 1, 1);
    TTimeStopEnemy plain(Record(), 10, 1, 0);
    // HP exactly a tenth of the maximum is not yet weak.
    const std::int32_t tenth = aura.GetMaxHp() / 10;
    ASSERT_EQ(tenth * 10, aura.GetMaxHp());
    aura.ConsumeHp(aura.GetHp() - tenth);
    plain.ConsumeHp(plain.GetHp() - tenth);
    EXPECT_EQ(aura.ForcedAttackOdds(), 15U);
    EXPECT_EQ(plain.ForcedAttackOdds(), 20U);
    aura.ConsumeHp(1);
    plain.ConsumeHp(1);
    EXPECT_EQ(aura.ForcedAttackOdds(), 8U);
    EXPECT_EQ(plain.ForcedAttackOdds(), 12U);

    EXPECT_EQ(TTimeStopEnemy::AttackAt(4.0001F, 0), 5U);
    EXPECT_EQ(TTimeStopEnemy::AttackAt(4.0001F, 9), 3U);
    EXPECT_EQ(TTimeStopEnemy::AttackAt(4.0F, 0), 1U);  // exactly 4.0 is the middle list
    EXPECT_EQ(TTimeStopEnemy::AttackAt(2.0001F, 9), 6U);
    EXPECT_EQ(TTimeStopEnemy::AttackAt(2.0F, 0), 0U);
    EXPECT_EQ(TTimeStopEnemy::AttackAt(2.0F, 9), 8U);

    // While time stands still attack 9 is never forced.
    Place(plain);
    SetTimeStop(true, nullptr, nullptr);
    for (int i = 0; i < 200; ++i) {
        plain.SetState(0);
        plain.ChooseAttack(1.0F);
        ASSERT_NE(plain.GetSubState(), 10U) << i;
    }
    SetTimeStop(false, nullptr, nullptr);
    int forced = 0;
    for (int i = 0; i < 400; ++i) {
        plain.SetState(0);
        plain.ChooseAttack(1.0F);
        forced += plain.GetSubState() == 10U ? 1 : 0;
    }
    EXPECT_GT(forced, 0);
}

}  // namespace
}  // namespace enemytest
