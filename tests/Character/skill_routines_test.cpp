// The common skills: the MP payment, the firing times, the waves while the motion holds, every row
// of the pattern-id table in both forms, queued skills and the chains after a skill.
#include <gtest/gtest.h>

#include <map>

#include "MainCode/Effect/TThunderEffect.h"
#include "support/character_probe.h"
#include "support/effect_probe.h"
#include "support/golden.h"
#include "skill_fixture.h"

namespace skilltest {
namespace {

using P = TPlayerCharacter;

class SkillRoutines : public SkillFixture {};

TEST_F(SkillRoutines, SpendMpNeedsMoreThanTheCostTakesAtLeastOneAndHonoursTheSeal)
{
    auto hero = MakeSkillHero();
    hero->SetMp(20);
    EXPECT_FALSE(hero->SpendMp(20));
    EXPECT_EQ(hero->GetMp(), 20);
    EXPECT_EQ(Sounds(), (std::vector<std::uint32_t>{608}));
    EXPECT_TRUE(hero->SpendMp(19));
    EXPECT_EQ(hero->GetMp(), 1);
    hero->SetMp(5);
    EXPECT_TRUE(hero->SpendMp(0));
    EXPECT_EQ(hero->GetMp(), 4);
    hero->GetManaSeal().Remaining = 1;
    EXPECT_FALSE(hero->SpendMp(1));
    EXPECT_EQ(hero->GetMp(), 4);
    EXPECT_EQ(Sounds(), (std::vector<std::uint32_t>{608, 608}));
}

TEST_F(SkillRoutines, SingleEventFiresOnTheFirstFramePastFourAndAHalf)
{
    auto hero = MakeSkillHero();
    hero->SetMotionTime(3.5F);
    EXPECT_TRUE(hero->FireSkillEvent(10010, 12));
    EXPECT_TRUE(hero->FireSkillEvent(10010, 12));  // at exactly 4.5
    EXPECT_TRUE(hero->events.empty());
    EXPECT_EQ(hero->GetMp(), 1000);
    EXPECT_TRUE(hero->FireSkillEvent(10010, 12));  // at 5.5
    EXPECT_EQ(hero->events, (std::vector<std::uint16_t>{10010}));
    EXPECT_EQ(hero->GetMp(), 988);
    EXPECT_FLOAT_EQ(hero->MotionTime(), 6.5F);  // never held
    hero->FireSkillEvent(10010, 12);
    EXPECT_EQ(hero->events.size(), 1U);
}

TEST_F(SkillRoutines, WavesHoldTheMotionForIntervalTimesCountFrames)
{
    auto hero = MakeSkillHero();
    hero->SetMotionTime(4.0F);
    EXPECT_TRUE(hero->FireSkillEventRepeat(10001, 20, 8, 3, false));
    EXPECT_FLOAT_EQ(hero->MotionTime(), 5.0F);
    EXPECT_EQ(hero->GetMp(), 1000);
    for (int frame = 1; frame <= 24; ++frame) {
        EXPECT_TRUE(hero->FireSkillEventRepeat(10001, 20, 8, 3, false));
        EXPECT_FLOAT_EQ(hero->MotionTime(), 5.0F) << frame;
        EXPECT_EQ(hero->events.size(), static_cast<std::size_t>(frame / 8)) << frame;
    }
    EXPECT_EQ(hero->GetMp(), 980);
    EXPECT_EQ(hero->Fired(), 1U);
    EXPECT_EQ(hero->WaveCounter(), 0U);
    hero->FireSkillEventRepeat(10001, 20, 8, 3, false);
    EXPECT_FLOAT_EQ(hero->MotionTime(), 6.0F);
    EXPECT_EQ(hero->events, (std::vector<std::uint16_t>{10001, 10001, 10001}));
}

TEST_F(SkillRoutines, ChargedFormsWaitForSixAndRefusedPaymentsPlayTheMotionOut)
{
    auto hero = MakeSkillHero();
    hero->SetMotionTime(5.0F);
    hero->FireSkillEventRepeat(11001, 37, 10, 4, true);
    EXPECT_FLOAT_EQ(hero->MotionTime(), 6.0F);
    EXPECT_EQ(hero->GetMp(), 1000);
    hero->FireSkillEventRepeat(11001, 37, 10, 4, true);
    EXPECT_EQ(hero->GetMp(), 963);
    EXPECT_FLOAT_EQ(hero->MotionTime(), 6.0F);

    auto poor = MakeSkillHero();
    poor->SetMp(37);
    poor->SetMotionTime(6.0F);
    EXPECT_TRUE(poor->FireSkillEventRepeat(11001, 37, 10, 4, true));
    EXPECT_EQ(poor->Fired(), 1U);
    EXPECT_EQ(Sounds(), (std::vector<std::uint32_t>{608}));
    const std::uint32_t frames = RunToEnd(*poor, &P::BoundAction<&P::FireSkillEventRepeat, 11001u, 37u, 10u, 4u, true>);
    EXPECT_EQ(frames, kSkillFrames - 6);
    EXPECT_TRUE(poor->events.empty());
    EXPECT_EQ(poor->GetMp(), 37);
}

// Each form as the skills were made: what it costs, the event it fires and how often, and the waves
// that hold the motion (interval x count frames; a homing skill with nothing in range holds one).
struct Form {
    char kind;  // E single event, R repeated event, W waves, H homing, M motion only
    std::uint32_t cost;
    std::uint16_t code;
    std::uint32_t interval;
    std::uint32_t count;
};
Form E(std::uint32_t cost, std::uint16_t code) { return {'E', cost, code, 0, 0}; }
Form R(std::uint16_t code, std::uint32_t cost, std::uint32_t interval, std::uint32_t count)
{
    return {'R', cost, code, interval, count};
}
Form W(std::uint32_t cost, std::uint32_t interval, std::uint32_t count) { return {'W', cost, 0, interval, count}; }
Form H(std::uint32_t cost) { return {'H', cost, 0, 0, 0}; }
const Form M{'M', 0, 0, 0, 0};

const std::map<std::uint32_t, std::pair<Form, Form>>& Expected()
{
    static const std::map<std::uint32_t, std::pair<Form, Form>> rows = {
        {100, {E(12, 10000), E(22, 11000)}},   {101, {R(10001, 20, 8, 3), R(11001, 37, 10, 4)}},
        {102, {W(35, 8, 3), W(65, 8, 5)}},     {103, {E(50, 10002), E(90, 11002)}},
        {104, {E(75, 10004), E(140, 11004)}},  {105, {W(95, 20, 5), W(175, 20, 8)}},
        {106, {E(65, 10006), W(125, 20, 8)}},  {110, {E(12, 10010), E(22, 11010)}},
        {111, {E(20, 10011), E(37, 11011)}},   {112, {E(35, 10012), E(65, 11012)}},
        {113, {E(50, 10013), E(90, 11013)}},   {114, {W(75, 5, 10), W(140, 4, 10)}},
        {115, {H(95), H(175)}},                {116, {E(65, 10016), H(125)}},
        {120, {E(12, 10020), E(22, 11020)}},   {121, {R(10021, 20, 2, 4), R(11021, 37, 2, 6)}},
        {122, {E(35, 10022), E(65, 11022)}},   {123, {E(50, 10023), E(90, 11023)}},
        {124, {E(75, 10024), E(140, 11024)}},  {125, {E(95, 10025), E(175, 11025)}},
        {126, {E(65, 10026), E(125, 11026)}},  {130, {E(12, 10030), E(22, 11030)}},
        {131, {E(20, 10031), E(37, 11031)}},   {132, {E(35, 10032), E(65, 11032)}},
        {133, {E(50, 10033), E(90, 11033)}},   {134, {E(75, 10034), W(140, 30, 2)}},
        {135, {W(95, 10, 3), W(175, 10, 5)}},  {136, {E(65, 10036), W(125, 10, 5)}},
        {140, {E(25, 10040), E(45, 11040)}},   {141, {E(40, 10041), E(75, 11041)}},
        {142, {E(70, 10042), E(130, 11042)}},  {143, {E(100, 10043), E(180, 11043)}},
        {144, {W(150, 5, 5), W(280, 5, 5)}},   {145, {W(190, 5, 5), W(350, 5, 5)}},
        {146, {E(130, 10046), W(250, 5, 5)}},  {150, {E(12, 10050), E(22, 11050)}},
        {151, {E(20, 10051), E(37, 11051)}},   {152, {W(35, 8, 3), W(65, 8, 5)}},
        {153, {E(50, 10053), E(90, 11053)}},   {154, {W(75, 10, 3), W(140, 8, 5)}},
        {155, {W(95, 20, 4), W(175, 20, 6)}},  {156, {E(65, 10056), W(125, 20, 6)}},
    };
    return rows;
}

TEST_F(SkillRoutines, EveryPatternIdRunsItsTappedAndChargedForm)
{
    auto probe = MakeSkillHero();
    for (const std::uint32_t id : {99u, 160u}) {
        EXPECT_EQ(probe->GetPatternFunc(id, 0), nullptr) << id;
        EXPECT_EQ(probe->GetPatternFunc(id, 1), nullptr) << id;
    }
    probe->SetMotionTime(0.0F);
    const std::uint32_t motionFrames = RunToEnd(*probe, &P::PlayMotionOnly);
    for (std::uint32_t id = 100; id <= 159; ++id) {
        const auto it = Expected().find(id);
        for (std::uint8_t charged = 0; charged < 2; ++charged) {
            const Form form = it == Expected().end() ? M : (charged != 0 ? it->second.second : it->second.first);
            auto hero = MakeSkillHero();
            hero->SetHp(1);
            const SkillHero::PatternAction action = hero->GetPatternFunc(id, charged);
            ASSERT_NE(action, nullptr) << id;
            hero->SetMotionTime(0.0F);
            const std::uint32_t frames = RunToEnd(*hero, action);
            const std::string where = std::to_string(id) + (charged != 0 ? " charged" : " tapped");
            EXPECT_EQ(1000 - hero->GetMp(), static_cast<std::int32_t>(form.cost)) << where;
            std::vector<std::uint16_t> events;
            std::uint32_t held = 0;
            switch (form.kind) {
            case 'E': events = {form.code}; break;
            case 'R':
                events.assign(form.count, form.code);
                held = form.interval * form.count;
                break;
            case 'W': held = form.interval * form.count; break;
            case 'H': held = 1; break;
            default: break;
            }
            EXPECT_EQ(hero->events, events) << where;
            EXPECT_EQ(frames, motionFrames + held) << where;
        }
    }
}

TEST_F(SkillRoutines, OneHundredFiveIsChargedInBothFormsAndOneHundredFortySixTappedHeals)
{
    auto hero = MakeSkillHero();
    hero->SetMotionTime(5.0F);
    (hero.get()->*hero->GetPatternFunc(105, 0))();
    EXPECT_EQ(hero->GetMp(), 1000);  // waits for 6.0
    (hero.get()->*hero->GetPatternFunc(105, 0))();
    EXPECT_EQ(hero->GetMp(), 905);

    auto healer = MakeSkillHero();
    healer->SetHp(1);
    RunToEnd(*healer, healer->GetPatternFunc(146, 0));
    EXPECT_EQ(healer->events, (std::vector<std::uint16_t>{10046}));
    EXPECT_EQ(healer->GetHp(), std::min(501, healer->GetMaxHp()));
    EXPECT_EQ(healer->GetMp(), 870);
}

TEST_F(SkillRoutines, OutOfRangeIdsChangeNothingAndASkillSetWhileOneRunsIsQueued)
{
    auto hero = MakeSkillHero();
    hero->SetPatternFunc(100, 0);
    const auto first = TCharacterProbe::CurrentPatternAction(*hero);
    EXPECT_EQ(first, hero->GetPatternFunc(100, 0));
    hero->SetCounters(1, 2, 3);
    hero->SetPatternFunc(99, 1);
    hero->SetPatternFunc(160, 0);
    EXPECT_EQ(TCharacterProbe::CurrentPatternAction(*hero), first);
    EXPECT_EQ(hero->Fired(), 1U);
    EXPECT_EQ(hero->FrameCounter(), 2U);

    hero->SetStateDirect(P::kStateAction, 1);
    hero->SetPatternFunc(159, 1);
    EXPECT_EQ(TCharacterProbe::CurrentPatternAction(*hero), first);
    EXPECT_EQ(TCharacterProbe::QueuedPatternAction(*hero), hero->GetPatternFunc(159, 1));
    EXPECT_EQ(hero->WaveCounter(), 3U);

    hero->SetStateDirect(P::kStateIdle, 0);
    hero->SetPatternFunc(159, 0);
    EXPECT_EQ(TCharacterProbe::CurrentPatternAction(*hero), hero->GetPatternFunc(159, 0));
    EXPECT_EQ(hero->Fired(), 0U);
    EXPECT_EQ(hero->WaveCounter(), 0U);
}

// The handler of action 1 (or 3) once the skill's motion has ended, with a reservation.
std::uint32_t ChainAfter(SkillHero& hero, std::uint32_t action, std::uint32_t kind, std::uint32_t p)
{
    hero.SetStateDirect(P::kStateAction, action);
    hero.SetCurrent(&P::PlayMotionOnly);
    hero.SetMotionTime(static_cast<float>(kSkillFrames));
    hero.SetReservedAction(kind, p);
    if (action == 1) {
        hero.UpdateSkillAction();
    } else {
        hero.UpdateChainedSkillAction();
    }
    return TCharacterProbe::SubState(hero);
}

TEST_F(SkillRoutines, ChainsFollowTheReservationOrFallBack)
{
    auto hero = MakeSkillHero();
    struct Case {
        std::uint32_t action, kind, p;
        bool blockSix;
        std::uint32_t actions;  // numbers from here on are refused like blocked ones
        std::uint32_t next;
    };
    const Case cases[] = {
        {1, 1, 0, false, ~0u, 33},  // the hero's chain action
        {1, 2, 5, false, ~0u, 5},   {1, 0, 0, false, ~0u, 2},   {3, 0, 0, false, ~0u, 4},
        {1, 2, 0, false, ~0u, 2},   {1, 2, 1, false, ~0u, 2},   {3, 2, 3, false, ~0u, 4},
        {3, 2, 1, false, ~0u, 4},   {3, 2, 6, false, ~0u, 6},   {1, 2, 6, true, ~0u, 2},
        {3, 2, 6, true, ~0u, 4},    {1, 2, ~0u, false, 40, 2},  {1, 2, 40, false, 40, 2},
        {1, 2, 39, false, 40, 39},
    };
    for (const Case& c : cases) {
        hero->blocked = c.blockSix ? std::vector<std::uint32_t>{6} : std::vector<std::uint32_t>{};
        hero->actions = c.actions;
        EXPECT_EQ(ChainAfter(*hero, c.action, c.kind, c.p), c.next) << c.action << " " << c.kind << " " << c.p;
    }
    // Nothing is left reserved afterwards.
    std::uint32_t argument = 7;
    EXPECT_EQ(hero->TakeReservedAction(&argument), 0U);
}

TEST_F(SkillRoutines, AChainToThreeMakesTheQueuedSkillCurrentAndToAnotherKeepsTheRunningOne)
{
    for (const std::uint32_t to : {3u, 5u}) {
        SCOPED_TRACE(to);
        auto hero = MakeSkillHero();
        hero->SetStateDirect(P::kStateAction, 1);
        hero->SetPatternFunc(110, 0);  // queued while action 1 runs
        hero->SetCounters(1, 4, 2);
        ChainAfter(*hero, 1, 2, to);
        EXPECT_EQ(TCharacterProbe::SubState(*hero), to);
        EXPECT_EQ(TCharacterProbe::CurrentPatternAction(*hero),
                  to == 3 ? hero->GetPatternFunc(110, 0) : &P::PlayMotionOnly);
        EXPECT_EQ(hero->Fired(), to == 3 ? 0U : 1U);
        EXPECT_EQ(hero->FrameCounter(), to == 3 ? 0U : 4U);
        EXPECT_EQ(hero->WaveCounter(), to == 3 ? 0U : 2U);
    }
}

TEST_F(SkillRoutines, MotionEndSetsTheBoundStateAndClearsTheQueue)
{
    auto hero = MakeSkillHero();
    hero->SetMotionTime(0.0F);
    hero->SetCounters(1, 3, 2);
    EXPECT_TRUE(hero->SetStateAtMotionEnd5());
    EXPECT_EQ(hero->Fired(), 1U);
    hero->SetMotionTime(static_cast<float>(kSkillFrames));
    EXPECT_TRUE(hero->SetStateAtMotionEnd5());  // answers what SetState answers: 5
    EXPECT_EQ(hero->GetState(), P::kStateFall);
    EXPECT_EQ(hero->Fired(), 0U);
    EXPECT_EQ(hero->FrameCounter(), 0U);
    hero->SetMotionTime(static_cast<float>(kSkillFrames));
    EXPECT_FALSE(hero->SetStateAtMotionEnd0());
    EXPECT_EQ(hero->GetState(), P::kStateIdle);
}

TEST_F(SkillRoutines, HomingWithoutAnEnemyRegistrySpendsTheMpAndFiresNothing)
{
    auto hero = MakeSkillHero();
    hero->SetMotionTime(5.0F);
    RunToEnd(*hero, hero->GetPatternFunc(115, 0));
    EXPECT_EQ(hero->GetMp(), 905);
    EXPECT_TRUE(TCharacterProbe::HomingTargets(*hero).empty());
    for (const TEffectCreateCall& c : created_) {
        EXPECT_NE(c.id, 220U);
        EXPECT_NE(c.id, 55U);
    }
}

// A registry whose enemies all stand, as type 3 on the hero model.
class HeroEnemyFactory : public TEnemyFactory {
public:
    using TEnemyFactory::TEnemyFactory;
    TRefPtr<TEnemy> Create(std::uint32_t) override
    {
        TEnemyRecord r;
        r.id = 3;
        r.modelName = "hero";
        r.maxHp = r.hp = 100;
        return TRefPtr<TEnemy>(new qmtest::StandingEnemy(r));
    }
};

TEST_F(SkillRoutines, HomingShotsCloseInOnEveryEnemyInRangeAndStrikeOnTheTenthWave)
{
    // Spawned after construction, so that the registry's own Create makes them.
    const TMapData map = enemytest::TestMap(10, 100.0F).Load(dir_.Path().string());
    auto factory = std::make_unique<HeroEnemyFactory>(area_.get(), map);
    const D3DXVECTOR3 facing(0.0F, 0.0F, 1.0F);
    for (const D3DXVECTOR3& at : {D3DXVECTOR3(0.0F, 0.0F, -10.0F), D3DXVECTOR3(10.0F, 0.0F, 0.0F),
                                  D3DXVECTOR3(0.0F, 0.0F, 30.0F)}) {
        ASSERT_NE(factory->Spawn(3, at, facing, 1000.0F, 1).Get(), nullptr);
    }
    area_->SetEnemyFactory(factory.get());
    auto hero = MakeSkillHero();
    hero->SetMotionTime(5.0F);
    RunToEnd(*hero, hero->GetPatternFunc(115, 0));
    area_->SetEnemyFactory(nullptr);
    EXPECT_EQ(hero->GetMp(), 905);
    ASSERT_EQ(TCharacterProbe::HomingTargets(*hero).size(), 2U);
    std::vector<D3DXVECTOR3> shots;
    std::vector<D3DXVECTOR3> strikes;
    for (const TEffectCreateCall& c : created_) {
        if (c.id == 220) {
            shots.push_back(c.position);
        } else if (c.id == 55) {
            strikes.push_back(c.position);
        }
    }
    ASSERT_EQ(shots.size(), 20U);
    for (std::size_t k = 0; k < 10; ++k) {
        const float t = 0.1F * static_cast<float>(k + 1);
        const D3DXVECTOR3 a = shots[2 * k];
        const D3DXVECTOR3 b = shots[2 * k + 1];
        // The enemies in id order: the one ahead, then the one to the side.
        EXPECT_NEAR(a.z, -10.0F * t, 1e-4F) << k;
        EXPECT_NEAR(b.x, 10.0F * t, 1e-4F) << k;
    }
    ASSERT_EQ(strikes.size(), 2U);
    EXPECT_NEAR(strikes[0].z, -10.0F, 1e-4F);
    std::size_t hits504 = 0;
    for (const std::uint32_t id : Sounds()) {
        hits504 += id == 504 ? 1 : 0;
    }
    EXPECT_EQ(hits504, 10U);
    factory.reset();
}

// A quake's bolt is handed its strike and its sparks: it stands while the strike lasts, then ends
// and takes the sparks with it.
TEST_F(SkillRoutines, QuakeBoltsEndWithTheirStrikeAndFadeTheirSparks)
{
    auto hero = MakeSkillHero();
    hero->SetMotionTime(6.0F);
    for (int frame = 0; frame < 20 && created_.empty(); ++frame) {
        hero->SkillLineQuake(140, 8, 5, true);
    }
    ASSERT_GE(created_.size(), 2U);
    ASSERT_EQ(created_[0].id, 121U);
    ASSERT_EQ(created_[1].id, 122U);
    auto* bolt = dynamic_cast<TThunderEffect*>(created_[0].result);
    ASSERT_NE(bolt, nullptr);
    const std::int32_t boltSerial = created_[0].serial;
    const std::int32_t sparksSerial = created_[1].serial;
    EXPECT_EQ(TEffectProbe::LinkedSerial(*bolt), sparksSerial);
    for (int i = 0; i < 120; ++i) {
        effects_->Update();
    }
    EXPECT_NE(effects_->FindLive(boltSerial).Get(), nullptr) << "the strike still lasts";
    hero->ClearHits();
    for (int i = 0; i < 200; ++i) {
        effects_->Update();
    }
    EXPECT_EQ(effects_->FindLive(boltSerial).Get(), nullptr);
    EXPECT_EQ(effects_->FindLive(sparksSerial).Get(), nullptr);
}

TEST_F(SkillRoutines, EveryRoutineMakesItsEffectsInOrder)
{
    struct Case {
        const char* name;
        SkillHero::PatternAction action;
    };
    const Case cases[] = {
        {"LineBurst", &P::BoundAction<&P::SkillLineBurst, 65u, 8u, 5u, true>},
        {"LineBlast", &P::BoundAction<&P::SkillLineBlast, 35u, 8u, 3u, false>},
        {"LineQuake", &P::BoundAction<&P::SkillLineQuake, 140u, 8u, 5u, true>},
        {"RandomQuake", &P::BoundAction<&P::SkillRandomQuake, 95u, 20u, 4u, false, 10055u>},
        {"TwinFan", &P::BoundAction<&P::SkillTwinFan, 75u, 5u, 10u, false>},
        {"PathFan", &P::BoundAction<&P::SkillPathFan, 140u, 30u, 11034u>},
        {"PathBurst", &P::BoundAction<&P::SkillPathBurst, 175u, 10u, 5u, true, 10035u>},
        {"Rain", &P::BoundAction<&P::SkillRain, 95u, 20u, 5u, true, 10005u>},
        {"Heal", &P::BoundAction<&P::SkillHeal, 150u, 5u, 5u, false>},
        {"HealCharged", &P::BoundAction<&P::SkillHeal, 280u, 5u, 5u, true>},
        {"Blessing", &P::BoundAction<&P::SkillBlessing, 350u, 5u, 5u, true, 10045u>},
    };
    std::string log;
    for (const Case& c : cases) {
        auto hero = MakeSkillHero();
        init_genrand(5489);
        hero->SetMotionTime(0.0F);
        RunToEnd(*hero, c.action);
        log += std::string("[") + c.name + "]\n" + DumpCreated();
    }
    EXPECT_TRUE(qmtest::MatchesGoldenText(log, "SkillRoutineEffects.txt"));
}

}  // namespace
}  // namespace skilltest
