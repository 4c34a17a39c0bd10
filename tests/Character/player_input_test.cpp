// The player's reading of the buttons: queue, double tap, jump, fall, landing, turning, air moves,
// the attack buttons, MP spending and the pattern actions.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "player_fixture.h"
#include "support/character_probe.h"

namespace playertest {
namespace {

class PlayerInputTest : public PlayerFixture {
protected:
    // Runs the detector over direction words, one a step; the dash flag after them.
    std::uint8_t Taps(TestHero& hero, const std::vector<std::uint32_t>& words)
    {
        std::uint32_t before = 0;
        for (std::uint32_t w : words) {
            Buttons(w, before);
            hero.DetectDoubleTap();
            before = w;
        }
        return TCharacterProbe::DashFlag(hero);
    }
};

// A player with a queue of its own capacity.
class QueueHero : public TestHero {
public:
    QueueHero(const TPlayerFieldLinks& links, const TCharacterRecord& record, std::uint32_t capacity)
        : TestHero(links, 0, record, "hero01")
    {
        delete[] m_commands;
        m_commandCapacity = capacity;
        m_commands = capacity != 0 ? new std::uint32_t[capacity]() : nullptr;
        m_commandArrayOwned = capacity != 0 ? 1 : 0;
    }
};

TEST_F(PlayerInputTest, QueueHoldsOneLessThanItsCapacityOldestFirstAndOfNoneDropsEveryPush)
{
    std::unique_ptr<TestHero> hero = MakeHero();
    ASSERT_EQ(TCharacterProbe::CommandCapacity(*hero), 10u);
    QueueHero four(links_, *data_->GetCharacterData(0), 4);
    QueueHero none(links_, *data_->GetCharacterData(0), 0);
    none.ClearCommandQueue();
    for (const auto& [queue, held] : {std::pair<TestHero*, std::uint32_t>{hero.get(), 9}, {&four, 3}, {&none, 0}}) {
        for (std::uint32_t c = 1; c <= 12; ++c) {
            queue->PushCommand(c);
        }
        EXPECT_EQ(TCharacterProbe::CommandCount(*queue), held);
        for (std::uint32_t c = 1; c <= held; ++c) {
            EXPECT_EQ(queue->PopCommand(), c);
        }
        EXPECT_EQ(queue->PopCommand(), 0u);
        EXPECT_EQ(TCharacterProbe::CommandCount(*queue), 0u);
    }
}

TEST_F(PlayerInputTest, DoubleTapWithinNineStepsEachWayAndTheIdleStateTakesTheFlag)
{
    struct Case {
        int held;
        int released;
        std::uint32_t again;
        bool dash;
    };
    const Case cases[] = {
        {1, 1, 4, true},   {9, 1, 4, true},  {10, 1, 4, false}, {1, 9, 4, true},
        {1, 10, 4, false}, {9, 9, 4, true},  {1, 1, 8, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.held << " held, " << c.released << " released");
        std::vector<std::uint32_t> words(static_cast<std::size_t>(c.held), 4u);
        words.insert(words.end(), static_cast<std::size_t>(c.released), 0u);
        words.push_back(c.again);
        std::unique_ptr<TestHero> hero = MakeHero();
        EXPECT_EQ(Taps(*hero, words), c.dash ? 1 : 0);
        if (c.dash) {
            EXPECT_EQ(TCharacterProbe::DashDirection(*hero), 4);
        }
    }
    std::unique_ptr<TestHero> hero = MakeHero();
    ASSERT_EQ(Taps(*hero, {4, 0, 4}), 1);
    hero->RunStateHandler();
    EXPECT_EQ(hero->GetState(), 3u);
    EXPECT_EQ(TCharacterProbe::DashFlag(*hero), 0);
    EXPECT_EQ(TCharacterProbe::MoveLevel(*hero), 3u);
}

TEST_F(PlayerInputTest, JumpOnlyOnANewPressFromTheGroundStates)
{
    // state, the button's word before, jumps
    for (const auto& [state, before, jumps] :
         {std::tuple{0u, 0u, true}, {3u, 0u, true}, {5u, 0u, false}, {0u, 64u, false}}) {
        std::unique_ptr<TestHero> hero = MakeHero();
        hero->SetState(state);
        Buttons(64, before);
        hero->TryJump();
        EXPECT_EQ(hero->GetState(), jumps ? 4u : state) << state << " " << before;
        EXPECT_FLOAT_EQ(TCharacterProbe::Velocity(*hero).y, jumps ? 0.18F : 0.0F);
        if (jumps) {
            EXPECT_FLOAT_EQ(TCharacterProbe::Gravity(*hero), -0.007F);
        }
    }
}

TEST_F(PlayerInputTest, FallStartsBelowTenTimesTheDefaultGravity)
{
    std::unique_ptr<TestHero> hero = MakeHero();
    const float limit = 10.0F * TCharacterProbe::DefaultGravity(*hero);
    hero->SetVerticalSpeed(limit);
    hero->CheckFall();
    EXPECT_EQ(hero->GetState(), 0u);
    hero->SetVerticalSpeed(std::nextafter(limit, -1.0F));
    hero->CheckFall();
    EXPECT_EQ(hero->GetState(), 5u);
    EXPECT_FLOAT_EQ(TCharacterProbe::Gravity(*hero), -0.007F);
}

TEST_F(PlayerInputTest, LandingGoesToTheMoveLevelWithADirectionHeld)
{
    std::unique_ptr<TestHero> hero = MakeHero();
    hero->SetState(2);
    hero->SetState(5);
    Buttons(1);
    EXPECT_FALSE(hero->Land());
    EXPECT_EQ(hero->GetState(), 5u);
    hero->SetOnGround(1);
    hero->SetGroundKind(3);
    EXPECT_TRUE(hero->Land());
    EXPECT_EQ(hero->GetState(), 2u);
    EXPECT_EQ(Played(0), (std::vector<std::uint32_t>{1003}));

    Buttons(0);
    hero->SetState(5);
    EXPECT_TRUE(hero->Land());
    EXPECT_EQ(hero->GetState(), 6u);
}

TEST_F(PlayerInputTest, AirMovesByTheMoveLevelSpeed)
{
    const float speeds[4] = {0.01F, 0.02F, 0.05F, 0.08F};
    for (std::uint32_t level = 0; level < 4; ++level) {
        std::unique_ptr<TestHero> hero = MakeHero();
        hero->SetMoveLevel(level);
        Buttons(0);
        hero->MoveByInput(false);
        EXPECT_FLOAT_EQ(hero->Position().z, 0.0F);
        Buttons(8);
        hero->MoveByInput(false);
        EXPECT_NEAR(hero->Position().z, -speeds[level], 1e-6F) << level;
    }
}

TEST_F(PlayerInputTest, ReversedControlsTurnLikeTheOppositeDirection)
{
    // The camera behind and a little to the right of the character.
    camera_->SetPosition(D3DXVECTOR3(0.3F, 1.0F, 3.0F));
    std::unique_ptr<TestHero> hero = MakeHero();
    for (std::uint32_t d : {1u, 2u, 4u, 5u, 6u, 8u, 9u, 10u}) {
        const std::uint32_t mirrored = ((d & 1) << 1) | ((d & 2) >> 1) | ((d & 4) << 1) | ((d & 8) >> 1);
        Buttons(mirrored);
        hero->GetReversedControls().Remaining = 0;
        const float normal = hero->GetTurnAngle();
        Buttons(d);
        hero->GetReversedControls().Remaining = 5;
        EXPECT_FLOAT_EQ(hero->GetTurnAngle(), normal) << d;
    }
    Buttons(0);
    EXPECT_FLOAT_EQ(hero->GetTurnAngle(), 0.0F);
}

TEST_F(PlayerInputTest, HeadingBehindTurnsAtTheFastestRate)
{
    // A camera behind and to the side, looking along -z: "down" (toward the camera) points at the
    // character's back.
    camera_->SetMatrix(D3DXMATRIX(-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 2, 0, 2, 1));
    std::unique_ptr<TestHero> hero = MakeHero();
    Buttons(2);
    EXPECT_FLOAT_EQ(std::fabs(hero->GetTurnAngle()), 3.14159265F / 3.0F);
    // Sideways is far from the back: the turn follows the stick value, clamped to 3 degrees x 10.
    Buttons(4);
    const float turn = hero->GetTurnAngle();
    EXPECT_LE(std::fabs(turn), 3.0F * 0.0174533F * 10.0F + 1e-6F);
    EXPECT_NE(std::fabs(turn), 3.14159265F / 3.0F);
}

TEST_F(PlayerInputTest, AttackButtonsPressHoldReleaseAndSeal)
{
    // Counts what the hero is told.
    struct Counter : TestHero {
        using TestHero::TestHero;
        void OnAttackPressed() override { ++pressA; }
        void OnAttackHeld() override { ++heldA; }
        void OnSkillHeld() override { ++heldB; }
        void OnAttackReleased() override { ++releasedA; }
        void OnSkillReleased() override { ++releasedB; }
        void OnBothReleased() override { ++both; }
        int pressA = 0, heldA = 0, heldB = 0, releasedA = 0, releasedB = 0, both = 0;
    };
    Counter hero(links_, 0, *data_->GetCharacterData(0), "hero01");
    Buttons(0, 0, 16, 0);
    hero.HandleAttackButtons();
    EXPECT_EQ(hero.pressA, 1);
    EXPECT_EQ(TCharacterProbe::HoldCountA(hero), 1u);
    Buttons(0, 0, 16, 16);
    hero.HandleAttackButtons();
    EXPECT_EQ(hero.heldA, 1);
    EXPECT_EQ(TCharacterProbe::HoldCountA(hero), 2u);
    hero.GetAttackSeal().Remaining = 10;
    hero.HandleAttackButtons();
    EXPECT_EQ(hero.heldA, 1);
    EXPECT_EQ(TCharacterProbe::HoldCountA(hero), 3u);
    Buttons(16, 0, 0, 16);
    hero.HandleAttackButtons();
    EXPECT_EQ(hero.releasedA, 0);
    EXPECT_EQ(Played(0), (std::vector<std::uint32_t>{608}));
    hero.GetAttackSeal().Remaining = 0;
    hero.HandleAttackButtons();
    EXPECT_EQ(hero.releasedA, 1);

    // Both let go at once: one call, and the bits are gone from the three words.
    Buttons(0, 48, 32, 48);
    hero.HandleAttackButtons();
    EXPECT_EQ(hero.both, 1);
    EXPECT_EQ(hero.releasedB, 0);
    EXPECT_EQ(input_->GetWord(1) & 48u, 0u);
    EXPECT_EQ(input_->GetWord(2) & 48u, 0u);
    EXPECT_EQ(input_->GetWord(3), 48u);
    EXPECT_EQ(hero.heldB, 1);
}

TEST_F(PlayerInputTest, HoldCountStopsAtItsMaximum)
{
    struct Marked : TestHero {
        using TestHero::TestHero;
        void Mark() { m_holdCountB = 0xFFFFFFFFu; }
    };
    Marked hero(links_, 0, *data_->GetCharacterData(0), "hero01");
    hero.Mark();
    Buttons(0, 0, 32, 32);
    hero.HandleAttackButtons();
    EXPECT_EQ(TCharacterProbe::HoldCountB(hero), 0xFFFFFFFFu);
}

TEST_F(PlayerInputTest, APatternActionSetDuringSubStateThreeWaits)
{
    std::unique_ptr<TestHero> acting = MakeHero();
    acting->SetSubState(3);
    acting->SetPatternFunc(100, 0);
    EXPECT_EQ(TCharacterProbe::CurrentPatternAction(*acting), nullptr);
    EXPECT_NE(TCharacterProbe::QueuedPatternAction(*acting), nullptr);
}

TEST_F(PlayerInputTest, ButtonQueriesRefuseBusyStates)
{
    std::unique_ptr<TestHero> hero = MakeHero();
    Buttons(16 | 128 | 256, 0);
    EXPECT_TRUE(hero->IsActionButtonPressed());
    EXPECT_TRUE(hero->CanOpenItemRing());
    EXPECT_TRUE(hero->IsMenuButtonPressed());
    SetTimeStop(true, nullptr, nullptr);
    EXPECT_FALSE(hero->IsMenuButtonPressed());
    SetTimeStop(false, nullptr, nullptr);
    for (std::uint32_t state : {4u, 6u, 17u, 19u}) {
        hero->SetState(state);
        EXPECT_FALSE(hero->IsActionButtonPressed()) << state;
    }
    hero->SetState(17);
    EXPECT_FALSE(hero->CanOpenItemRing());
    hero->SetState(16);
    EXPECT_TRUE(hero->CanOpenItemRing());
    EXPECT_TRUE(hero->IsHeld());
}

TEST_F(PlayerInputTest, RingItemNeedsRoomInTheGauge)
{
    TItemMeanTable::Get(300).Cost = 100;
    std::unique_ptr<TestHero> hero = MakeHero();
    const std::uint32_t room = hero->GetGaugeMax();
    hero->SetGaugeUsed(room - 99);
    hero->UseRingItem(300);
    EXPECT_EQ(hero->GetState(), 0u);
    EXPECT_EQ(Played(0), (std::vector<std::uint32_t>{608}));
    hero->SetGaugeUsed(room - 100);
    hero->UseRingItem(300);
    EXPECT_EQ(hero->GetState(), 18u);
    EXPECT_EQ(TCharacterProbe::RingItem(*hero), 300u);
}

}  // namespace
}  // namespace playertest
