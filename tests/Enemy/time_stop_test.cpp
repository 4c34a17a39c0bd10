// The time stop and the enemy that casts it: the stop itself (the board before the camera, the
// frozen point), the blow that starts it, the strike 600 counted frames on, every end silencing its
// loop and taking the board down, the aura, and the thinking and attack lists of the class.
#include <gtest/gtest.h>

#include <cfloat>

#include "MainCode/Character/TEnemyC.h"
#include "MainCode/Character/THeldRandomOffsetMotion.h"
#include "MainCode/Character/TTimeStopEnemy.h"
#include "MainCode/Character/TimeStop.h"
#include "MainCode/Effect/TEffect.h"
#include "MainCode/Map/TAttackTable.h"
#include "MainCode/Shot/TShot.h"
#include "MainCode/TRunState.h"
#include "enemy_fixture.h"
#include "support/character_probe.h"
#include "support/map_probe.h"
#include "support/shot_probe.h"

namespace enemytest {
namespace {

using effecttest::ExpectNear;
using effecttest::Frame;

// A handle standing at a point: the object a stop freezes.
class Standing : public TMeshHandle {
public:
    explicit Standing(const D3DXVECTOR3& at) : TMeshHandle(0)
    {
        m_frame = Frame("standing");
        m_frame->SetPosition(at);
    }
    bool Update() override { return true; }
    D3DXVECTOR3 At() const
    {
        D3DXVECTOR3 p;
        return *GetPosition(&p);
    }
};

// The stop on its own, in a run of its own: a turned camera with one child already, and a standing
// object.
class TimeStopState : public ::testing::Test {
protected:
    void SetUp() override
    {
        D3DXMATRIX turn;
        D3DXMatrixRotationY(&turn, 1.1F);
        D3DXMATRIX move;
        D3DXMatrixTranslation(&move, 3.0F, 2.0F, -4.0F);
        camera_ = Frame("Camera", turn * move);
        camera_->AddChild(Frame("Earlier"));
    }
    void ExpectHeldAt(const D3DXVECTOR3& expected)
    {
        player_.SetPosition(D3DXVECTOR3(8.0F, 8.0F, 8.0F));
        PlaceAtTimeStopPoint(&player_);
        ExpectNear(player_.At(), expected);
    }

    TRunState run_;
    TRefPtr<TFrame> camera_;
    Standing player_{D3DXVECTOR3(1.0F, 0.5F, 2.0F)};
};

TEST_F(TimeStopState, AStopWithABoardHangsItBeforeTheCameraAndHoldsThePlayer)
{
    TRefPtr<TFrame> board = Frame("TimeStop");
    SetTimeStopBoard(board);
    SetTimeStop(true, camera_.Get(), &player_);
    EXPECT_TRUE(IsTimeStopped());
    ASSERT_EQ(board->GetParent(), camera_.Get());
    EXPECT_EQ(camera_->GetChild(1), board.Get());
    D3DXVECTOR3 local;
    ExpectNear(*board->GetPosition(&local), D3DXVECTOR3(0.0F, 0.0F, 1.0F));
    // Facing the camera: its Z axis points back along the camera's.
    D3DXVECTOR3 boardZ;
    D3DXVECTOR3 cameraZ;
    board->GetWorldAxis(&boardZ, 3);
    camera_->GetWorldAxis(&cameraZ, 3);
    ExpectNear(boardZ, -cameraZ);
    EXPECT_EQ(TCharacterProbe::TimeStopCounter(), 600);
    EXPECT_EQ(CountDownTimeStop(), 599);
    ExpectNear(TCharacterProbe::TimeStopPoint(), D3DXVECTOR3(1.0F, 0.5F, 2.0F));
    ExpectHeldAt(D3DXVECTOR3(1.0F, 0.5F, 2.0F));

    // A second start renews nothing.
    Standing other(D3DXVECTOR3(-5.0F, 0.0F, 0.0F));
    TRefPtr<TFrame> otherCamera = Frame("Other");
    SetTimeStop(true, otherCamera.Get(), &other);
    ExpectNear(TCharacterProbe::TimeStopPoint(), D3DXVECTOR3(1.0F, 0.5F, 2.0F));
    EXPECT_EQ(TCharacterProbe::TimeStopCounter(), 599);
    EXPECT_EQ(board->GetParent(), camera_.Get());

    // Ending takes the board down; the player walks again.
    SetTimeStop(false, nullptr, nullptr);
    EXPECT_FALSE(IsTimeStopped());
    EXPECT_EQ(board->GetParent(), nullptr);
    EXPECT_EQ(camera_->GetChildCount(), 1u);
    EXPECT_EQ(GetTimeStopBoard().Get(), board.Get());
    ExpectHeldAt(D3DXVECTOR3(8.0F, 8.0F, 8.0F));
}

TEST_F(TimeStopState, WithoutABoardFrameOrObjectOnlyTheFlagChangesAndANewRunStartsClear)
{
    ExpectHeldAt(D3DXVECTOR3(8.0F, 8.0F, 8.0F));  // time runs: stays
    SetTimeStop(true, camera_.Get(), &player_);
    EXPECT_TRUE(IsTimeStopped());
    EXPECT_EQ(camera_->GetChildCount(), 1u);
    EXPECT_EQ(TCharacterProbe::TimeStopCounter(), 0);
    ExpectNear(TCharacterProbe::TimeStopPoint(), D3DXVECTOR3(0.0F, 0.0F, 0.0F));
    SetTimeStop(false, camera_.Get(), &player_);
    EXPECT_FALSE(IsTimeStopped());

    TRefPtr<TFrame> board = Frame("TimeStop");
    SetTimeStopBoard(board);
    EXPECT_EQ(board.UseCount(), 2u);
    SetTimeStop(true, nullptr, nullptr);
    EXPECT_TRUE(IsTimeStopped());
    EXPECT_EQ(board->GetParent(), nullptr);
    EXPECT_EQ(TCharacterProbe::TimeStopCounter(), 600);
    PlaceAtTimeStopPoint(nullptr);
    SetTimeStop(false, nullptr, nullptr);

    // Replacing a hanging board takes it down.
    SetTimeStop(true, camera_.Get(), &player_);
    TRefPtr<TFrame> second = Frame("TimeStop");
    SetTimeStopBoard(second);
    EXPECT_EQ(board->GetParent(), nullptr);
    EXPECT_EQ(board.UseCount(), 1u);

    // A new run starts with time running, no board, point and counter zero, and its board goes with
    // it; the stopped run waits for it to end.
    {
        TRunState next;
        EXPECT_FALSE(IsTimeStopped());
        EXPECT_EQ(GetTimeStopBoard().Get(), nullptr);
        EXPECT_EQ(TCharacterProbe::TimeStopCounter(), 0);
        ExpectNear(TCharacterProbe::TimeStopPoint(), D3DXVECTOR3(0.0F, 0.0F, 0.0F));
        ExpectHeldAt(D3DXVECTOR3(8.0F, 8.0F, 8.0F));
        SetTimeStopBoard(board);
        EXPECT_EQ(board.UseCount(), 2u);
    }
    EXPECT_EQ(board.UseCount(), 1u);
    EXPECT_TRUE(IsTimeStopped());
    EXPECT_EQ(GetTimeStopBoard().Get(), second.Get());
    EXPECT_EQ(second.UseCount(), 2u);
    EXPECT_EQ(TCharacterProbe::TimeStopCounter(), 600);
    ExpectNear(TCharacterProbe::TimeStopPoint(), D3DXVECTOR3(8.0F, 8.0F, 8.0F));
}

// The enemy with its think timer set by hand.
class ProbeStop : public TTimeStopEnemy {
public:
    using TTimeStopEnemy::TTimeStopEnemy;
    void SetThinkTimer(std::int32_t t) { m_thinkTimer = t; }
};

class TimeStopEnemyTest : public TimeStopTest {
protected:
    void SetUp() override
    {
        TimeStopTest::SetUp();
        // The strike's neighbours too, each with its own third word, so that the hit tells its code.
        std::vector<TAttackRecord> records;
        for (std::uint32_t code : {TTimeStopEnemy::kStrikeCode - 1, TTimeStopEnemy::kStrikeCode,
                                   TTimeStopEnemy::kStrikeCode + 1}) {
            TAttackRecord record;
            record.Id = code;
            record.Kind = 0;
            record.Lifetime = 5000;
            record.Param3 = code % 100;
            records.push_back(record);
        }
        LoadAttackTable(records);
    }
    template <class T>
    void Place(T& e, float z = 0.0F)
    {
        e.Spawn(area_.get(), D3DXVECTOR3(0, 0, z), D3DXVECTOR3(0, 0, 1), FLT_MAX, 1);
    }
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
    static void LandStop(TEnemy* e) { static_cast<TTimeStopEnemy*>(e)->OnHitDelivered(nullptr, TTimeStopEnemy::kStopBlow, 5, 0); }
};

TEST_F(TimeStopEnemyTest, ALandedStopBlowFreezesThePlayerAndTheStrikeComesSixHundredFramesLater)
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
    EXPECT_EQ(TCharacterProbe::TimeStopCounter(), 600);

    const std::size_t before = TCharacterProbe::Hits(*t).size();
    for (int i = 1; i < 600; ++i) {
        t->Update();
        ASSERT_EQ(TCharacterProbe::Hits(*t).size(), before) << i;
    }
    EXPECT_EQ(TCharacterProbe::TimeStopCounter(), 1);
    t->Update();
    ASSERT_EQ(TCharacterProbe::Hits(*t).size(), before + 1);
    // The strike is the hit of its own code, the enemy's, beside it.
    const TAttackHit* strike = TCharacterProbe::Hits(*t).back().Get();
    EXPECT_EQ(strike->GetParam3(), TTimeStopEnemy::kStrikeCode % 100);
    EXPECT_EQ(strike->GetOwnerId(), t->GetObjectId());
    EXPECT_EQ(TMapProbe::Parent(*strike), t->GetFrame()->GetParent());
    for (int i = 0; i < 50; ++i) {
        t->Update();
    }
    EXPECT_EQ(TCharacterProbe::Hits(*t).size(), before + 1);

    // Two of them count the one counter twice as fast; only one strikes.
    SetTimeStop(false, nullptr, nullptr);
    TRefPtr<TEnemy> second;
    TTimeStopEnemy* u = PlaceCopy(prototype, second);
    LandStop(t);
    const std::size_t tBefore = TCharacterProbe::Hits(*t).size();
    const std::size_t uBefore = TCharacterProbe::Hits(*u).size();
    for (int i = 1; i < 300; ++i) {
        t->Update();
        u->Update();
    }
    EXPECT_EQ(TCharacterProbe::Hits(*t).size() + TCharacterProbe::Hits(*u).size(), tBefore + uBefore);
    t->Update();
    u->Update();
    EXPECT_EQ(TCharacterProbe::Hits(*t).size() + TCharacterProbe::Hits(*u).size(), tBefore + uBefore + 1);

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
    t->LeaveField();
    u->LeaveField();
}

// The stop is heard: its sound once and its loop on; a copy made or a time-stopping enemy gone
// during a stop silences the loop without the stop's sound; the player's hit ends it with it.
TEST_F(TimeStopEnemyTest, TheStopIsHeardAndEveryEndSilencesItsLoop)
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
    auto silent = [&](const char* what) {
        EXPECT_FALSE(IsTimeStopped()) << what;
        EXPECT_FALSE(Playing(kStoppedLoop)) << what;
        EXPECT_EQ(Heard(), 0) << what;
    };

    stop();
    TRefPtr<TEnemy> copy = prototype->Clone(nullptr);
    silent("copy made");
    stop();
    copy = TRefPtr<TEnemy>();
    silent("copy gone");
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

TEST_F(TimeStopEnemyTest, TheBoardHangsBeforeTheCameraDuringAStopAndEveryEndTakesItDown)
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
    LandStop(enemy.Get());
    ASSERT_EQ(board->GetParent(), area_->CameraFrame());
    enemy->LeaveField();
    enemy = TRefPtr<TEnemy>();
    EXPECT_FALSE(IsTimeStopped());
    EXPECT_EQ(board->GetParent(), nullptr);
    EXPECT_EQ(GetTimeStopBoard().Get(), nullptr);
    prototype = TRefPtr<TEnemy>();
    EXPECT_EQ(GetTimeStopBoard().Get(), nullptr);
}

// The battle map goes while time stands still, its effects cleared first or not: the stop ends,
// its loop falls silent, the board comes off the camera and is dropped, and the player moves again.
TEST_F(TimeStopEnemyTest, UnloadingTheMapDuringAStopEndsItAndLeavesNothingBehind)
{
    TFrame* camera = area_->CameraFrame();
    const std::size_t children = camera->GetChildCount();
    for (bool clearedFirst : {false, true}) {
        TestMap map(0, 100.0F);
        map.Place(10027, D3DXVECTOR3(0, 0, 30));
        MakeFactory(map);
        ASSERT_EQ(factory_->GetLive().size(), 1U);
        TEnemy& enemy = *factory_->GetLive().begin()->second;
        ASSERT_NE(dynamic_cast<TTimeStopEnemy*>(&enemy), nullptr);
        MovePlayer(1.0F, 2.0F);
        LandStop(&enemy);
        ASSERT_TRUE(IsTimeStopped());
        ASSERT_TRUE(Playing(kStoppedLoop));
        TRefPtr<TFrame> board = GetTimeStopBoard();
        ASSERT_EQ(board->GetParent(), camera);
        ASSERT_EQ(camera->GetChildCount(), children + 1);

        if (clearedFirst) {
            Manager().Clear();
        }
        factory_.reset();
        EXPECT_FALSE(IsTimeStopped()) << clearedFirst;
        EXPECT_FALSE(Playing(kStoppedLoop)) << clearedFirst;
        EXPECT_EQ(GetTimeStopBoard().Get(), nullptr) << clearedFirst;
        EXPECT_EQ(board->GetParent(), nullptr) << clearedFirst;
        EXPECT_EQ(camera->GetChildCount(), children) << clearedFirst;
        board = TRefPtr<TFrame>();
        // The area steps on without its enemies, and the player is no longer held.
        Manager().Update();
        MovePlayer(4.0F, 4.0F);
        PlaceAtTimeStopPoint(player_.get());
        D3DXVECTOR3 p;
        player_->GetPosition(&p);
        EXPECT_EQ(p.x, 4.0F);
        Manager().Clear();
    }
}

// The three aura shots, in order, follow the enemy's own frame, its left-weapon frame and its
// right-weapon frame, each held by its motion and flying for ever; they end when it leaves. A hit
// leaves the think timer and the state alone.
TEST_F(TimeStopEnemyTest, TheAuraRidesTheBodyAndBothWeaponsAndHitsLeaveTheThinkTimer)
{
    TTimeStopEnemy t(Record(), 10, 1, 1);
    log_.clear();
    Place(t);
    ASSERT_EQ(CallsOf(TTimeStopEnemy::kAuraEffect).size(), 3U);
    const TFrame* frames[3] = {t.GetFrame(), t.GetLeftWeaponFrame(), t.GetRightWeaponFrame()};
    ASSERT_NE(frames[1], nullptr);
    ASSERT_NE(frames[2], nullptr);
    ASSERT_NE(frames[1], frames[2]);
    TEffect* aura[3];
    for (std::uint32_t i = 0; i < 3; ++i) {
        aura[i] = t.GetAuraEffect(i);
        auto* shot = dynamic_cast<TShot*>(aura[i]);
        ASSERT_NE(shot, nullptr) << i;
        EXPECT_EQ(shot->GetFlightFrames(), -1) << i;
        auto* motion = dynamic_cast<THeldRandomOffsetMotion*>(TShotProbe::Motion(*shot));
        ASSERT_NE(motion, nullptr) << i;
        EXPECT_EQ(TCharacterProbe::Held(*motion).Get(), frames[i]) << i;
    }
    EXPECT_EQ(t.GetAuraEffect(3), nullptr);

    const std::int32_t timer = TCharacterProbe::ThinkTimer(t);
    Hit(t);
    EXPECT_EQ(TCharacterProbe::ThinkTimer(t), timer);
    EXPECT_EQ(TCharacterProbe::GaugeTimer(t), 200);
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

// The aura and the element shot end before their enemy leaves: by the area's clear, or killed and
// dropped by the manager's next step. Others take the manager's slots; the enemy's leaving must
// find its effects gone and leave the newcomers alone (the sanitizer watches for freed memory).
TEST_F(TimeStopEnemyTest, EffectsEndedFirstAreNotTouchedWhenTheirEnemyLeaves)
{
    for (bool killed : {false, true}) {
        for (bool aura : {true, false}) {
            std::unique_ptr<TEnemy> owner;
            std::vector<TEffect*> effects;
            const auto live = [&] {
                std::vector<TEffect*> out;
                if (aura) {
                    for (std::uint32_t i = 0; i < 3; ++i) {
                        out.push_back(static_cast<TTimeStopEnemy*>(owner.get())->GetAuraEffect(i));
                    }
                } else {
                    out.push_back(static_cast<TEnemyC*>(owner.get())->GetElementEffect());
                }
                return out;
            };
            if (aura) {
                owner = std::make_unique<TTimeStopEnemy>(Record(), 10, 0, 1);
            } else {
                owner = std::make_unique<TEnemyC>(Record(), 1, 2, 0);
            }
            Place(*owner);
            effects = live();
            for (TEffect* effect : effects) {
                ASSERT_NE(effect, nullptr);
                if (killed) {
                    effect->Kill();
                }
            }
            if (killed) {
                Manager().Update();
            } else {
                Manager().Clear();
            }
            for (TEffect* effect : live()) {
                EXPECT_EQ(effect, nullptr) << "aura " << aura << " killed " << killed;
            }
            const float colour[4] = {1, 1, 1, 1};
            TEffect* newcomer = Create(TTimeStopEnemy::kAuraEffect, D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 1, 0), colour);
            ASSERT_NE(newcomer, nullptr);
            const std::int32_t serial = newcomer->GetSerial();
            owner->LeaveField();
            owner.reset();
            TRefPtr<TEffect> still = Manager().FindLive(serial);
            ASSERT_NE(still.Get(), nullptr) << "aura " << aura;
            EXPECT_TRUE(still->IsAlive()) << "aura " << aura;
            Manager().Clear();
        }
    }
}

// The forced stop attack's odds, the three distance lists whole (sums and position-weighted sums
// worked out from the design's lists), and the thinking that waits while the enemy appears or attacks.
TEST_F(TimeStopEnemyTest, TheStopAttackOddsTheDistanceListsAndTheThinking)
{
    ProbeStop aura(Record(), 10, 1, 1);
    TTimeStopEnemy plain(Record(), 10, 1, 0);
    // HP exactly a tenth of the maximum is not yet weak.
    const std::int32_t tenth = aura.GetMaxHp() / 10;
    ASSERT_EQ(tenth * 10, aura.GetMaxHp());
    TCharacterProbe::ConsumeHp(aura, aura.GetHp() - tenth);
    TCharacterProbe::ConsumeHp(plain, plain.GetHp() - tenth);
    EXPECT_EQ(aura.ForcedAttackOdds(), 15U);
    EXPECT_EQ(plain.ForcedAttackOdds(), 20U);
    TCharacterProbe::ConsumeHp(aura, 1);
    TCharacterProbe::ConsumeHp(plain, 1);
    EXPECT_EQ(aura.ForcedAttackOdds(), 8U);
    EXPECT_EQ(plain.ForcedAttackOdds(), 12U);

    // Far above 4.0, the middle down to just above 2.0 (exactly 4.0 counts as the middle), near at 2.0.
    struct List {
        float distance;
        std::uint32_t sum;
        std::uint32_t weighted;
    };
    for (const List& l : {List{4.0001F, 42, 204}, List{4.0F, 35, 232}, List{2.0001F, 35, 232}, List{2.0F, 40, 308}}) {
        std::uint32_t sum = 0;
        std::uint32_t weighted = 0;
        for (std::uint32_t draw = 0; draw < 10; ++draw) {
            const std::uint32_t attack = TTimeStopEnemy::AttackAt(l.distance, draw + 10);
            sum += attack;
            weighted += attack * (draw + 1);
        }
        EXPECT_EQ(sum, l.sum) << l.distance;
        EXPECT_EQ(weighted, l.weighted) << l.distance;
    }

    // While time stands still attack 9 is never forced.
    Place(plain);
    SetTimeStop(true, nullptr, nullptr);
    for (int i = 0; i < 200; ++i) {
        plain.SetState(0);
        plain.ChooseAttack(1.0F);
        ASSERT_NE(TCharacterProbe::SubState(plain), 10U) << i;
    }
    SetTimeStop(false, nullptr, nullptr);
    int forced = 0;
    for (int i = 0; i < 400; ++i) {
        plain.SetState(0);
        plain.ChooseAttack(1.0F);
        forced += TCharacterProbe::SubState(plain) == 10U ? 1 : 0;
    }
    EXPECT_GT(forced, 0);

    // Appearing (15) or attacking (16) it only counts its timer down; standing it draws a new
    // timer (0-29 with the aura) and the behaviour: 1 for draws 0-6, 2 for 7-9.
    Place(aura);
    MovePlayer(0.0F, 30.0F);
    for (std::uint32_t state : {15U, 16U}) {
        aura.SetState(state);
        aura.SetThinkTimer(0);
        aura.Think();
        EXPECT_EQ(TCharacterProbe::ThinkTimer(aura), -1) << state;
    }
    std::uint32_t seen = 0;
    for (std::uint32_t seed = 1; seen != 0x3FF && seed < 200; ++seed) {
        aura.SetState(0);
        aura.SetThinkTimer(1);
        init_genrand(seed);
        std::mt19937 oracle(seed);
        aura.Think();
        const std::uint32_t timer = oracle() % 30;
        const std::uint32_t draw = oracle() % 10;
        seen |= 1U << draw;
        EXPECT_EQ(TCharacterProbe::ThinkTimer(aura), static_cast<std::int32_t>(timer)) << seed;
        EXPECT_EQ(aura.IsBehaviour2(), draw >= 7) << "draw " << draw;
    }
    EXPECT_EQ(seen, 0x3FFU);
    aura.LeaveField();
    plain.LeaveField();
}

}  // namespace
}  // namespace enemytest
