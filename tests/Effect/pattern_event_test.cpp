// The armed character's pattern events as call logs written from the event tables: ids, points,
// directions, colours and scales in order, the hits with where they hang, the sounds and the shake;
// the codes between the cases doing nothing; the random draws of the status bursts; the frame hit
// kinds; a null Create result; and a pattern file reaching the cases through the pattern runner.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Effect/TFrameAnimEffect.h"
#include "MainCode/Map/TAttackHitHeld.h"
#include "MainCode/Map/TAttackHitTimed.h"
#include "MainCode/Map/TAttackHitTimedHeld.h"
#include "MainCode/Map/TAttackTable.h"
#include "MainCode/Shot/TFollowFrameMotion.h"
#include "MainCode/Shot/TShot.h"
#include "pattern_event_fixture.h"
#include "formats/bht_writer.h"
#include "formats/byte_writer.h"
#include "formats/pattern_writer.h"

namespace effecttest {
namespace {

TEST_F(PatternEventTest, TheCasterStandsWhereTheTablesAssume)
{
    const TPatternPoints p = caster_->GetPatternPoints();
    ExpectNear(p.Position, P);
    ExpectNear(p.Centre, C);
    ExpectNear(p.Front, F);
    ExpectNear(p.Right, R);
    ExpectNear(p.Chest, P + D3DXVECTOR3(0.8F * F.x, 1.2F, 0.8F * F.z));
}

TEST_F(PatternEventTest, FootfallsLandingsAndGroundSlashes)
{
    const Event events[] = {
        {1, {{30, P}, {101, P + L, kZ, kWhite, {2.2F, 2.2F, 2.2F}}}, {}},
        {2, {{102, P + L, kZ, kBlue, {1.5F, 1.5F, 1.5F}}}, {}},
        {3, {{600, P + F + L, F, kBlue, {0.8F, 1.2F, 0.8F}}, {904, P + F + L, F, kBlue}}, {}},
        {4, {{601, P + F + L, R, kBlue, {0.8F, 3.5F, 0.8F}}, {904, P + F + L, F, kBlue}}, {}},
        {9, {{102, P + L, kZ, kBlue, {3.5F, 3.5F, 3.5F}}}, {}},
        {5, {{204, P + L, F}}, {}, {}, {}, true},
    };
    for (const Event& e : events) {
        ExpectEvent(e);
    }
}

TEST_F(PatternEventTest, EnergyShotsTravelAlongFrontWithTheirHitOnTheBodyAndATrail)
{
    const Colour shotBlue{0.3F, 0.3F, 0.8F, 1};
    for (std::uint16_t code : {6, 7}) {
        ExpectEvent({code, {{code == 6 ? 450u : 455u, kOrigin, kZ, shotBlue}, {52, kOrigin, kY}},
                     {code == 6 ? 5000u : 5001u}, {}, {509}});
        SCOPED_TRACE(code);
        auto* shot = dynamic_cast<TShot*>(log_[0].result);
        auto* trail = dynamic_cast<TShot*>(log_[1].result);
        ASSERT_NE(shot, nullptr);
        ASSERT_NE(trail, nullptr);
        EXPECT_EQ(shot->GetFlightFrames(), 20);
        EXPECT_EQ(trail->GetFlightFrames(), 100);
        auto* follow = dynamic_cast<TFollowFrameMotion*>(trail->GetMotion());
        ASSERT_NE(follow, nullptr);
        EXPECT_EQ(follow->GetHeld().Get(), shot->GetModelFrame());
        EXPECT_EQ(caster_->AttackHits()[0].parent, shot->GetModelFrame());

        // 2 ahead and 0.5 above the half height, then 0.15 a frame along front.
        const D3DXVECTOR3 start(P.x + 2 * F.x, P.y + 1.0F + 0.5F, P.z + 2 * F.z);
        for (int frame = 1; frame <= 19; ++frame) {
            Run(1);
            D3DXVECTOR3 at;
            ExpectNear(*shot->GetModelFrame()->GetWorldPosition(&at), start + (0.15F * frame) * F, 1e-4F);
        }
        EXPECT_FALSE(shot->HasEnded());
        area_->Update();
        EXPECT_TRUE(shot->HasEnded());
    }
}

TEST_F(PatternEventTest, SlashesRideOnTheirEffectAtEveryDistanceAndTheGroundBlowShakes)
{
    const std::pair<std::uint16_t, D3DXVECTOR3> riding[] = {
        {100, P + F},     {101, P + 2 * F}, {102, P + 3 * F}, {103, P + 1.5F * F},
        {104, P + F + R}, {105, P + 1.2F * R}, {106, P + 4 * F}, {107, P + 5 * F},
    };
    for (const auto& [code, at] : riding) {
        const D3DXVECTOR3 spark = code == 103 ? 1.5F * F : F;
        ExpectEvent({code, {{601, at + L, R, kBlue, {0.8F, 3.5F, 0.8F}}, {904, at + L, spark, kBlue}}, {4500}});
        EXPECT_EQ(caster_->AttackHits().at(0).parent, log_[0].result->GetFrame());
    }
    // The standing slashes: the edge knows its maker, the hit stays at its point of the field.
    for (const auto& [code, k] : {std::pair<std::uint16_t, float>{110, 1.5F}, {111, 3.0F}, {112, 4.5F}}) {
        ExpectEvent({code, {{212, P + k * F, F}}, {5002}, {P + k * F}, {}, true, area_->Scene()});
    }
    ExpectEvent({200,
                 {{908, C, kZ, kBlue},
                  {909, C, kZ, {0.5F, 0.2F, 0.2F, 1}},
                  {115, C, F, {0.5F, 0.5F, 1, 1}, {2, 2, 2}},
                  {114, C, F, {0.3F, 0.3F, 0.5F, 1}, {3, 3, 3}},
                  {107, P + L, kY, {0.4F, 0.4F, 0.7F, 1}, {3, 3, 3}}},
                 {60002}, {C}, {500}, false, area_->Scene()});
    EXPECT_EQ(caster_->shakes, (std::vector<std::uint8_t>{4}));
}

TEST_F(PatternEventTest, StatusBurstsTakeTheirDrawsInOrder)
{
    const Colour dust{0.7F, 0.7F, 0.7F, 0.7F};
    Fire(1000);
    Fire(1001);
    ExpectLog({{31, P, kZ, dust}, {34, P, kZ, dust}});

    // Seeded draws, taken before the effect is made (the bursts' own starts draw after them).
    constexpr std::uint32_t kSeed = 4242;
    std::vector<float> d;
    for (std::uint32_t v : Draws(kSeed, 4)) {
        d.push_back(static_cast<float>(v));
    }
    Reset();
    Fire(1010);
    ExpectLog({{103, C, D3DXVECTOR3(0, 0, d[0]), kWhite, {3.5F, 3.5F, 3.5F}}, {903, P, kZ, kBlue}});
    // The effect's own start normalises the direction: 1010 always faces +z.
    D3DXVECTOR3 z;
    log_[0].result->GetFrame()->GetAxis(&z, 3);
    D3DXVec3Normalize(&z, &z);
    ExpectNear(z, kZ);

    // Three draws a direction: the first is z, the second y, the third x.
    const Colour colours[] = {kWhite, kWhite, kBlue};
    const float scales[] = {1.0F, 1.0F, 1.5F};
    for (std::uint16_t code = 1011; code <= 1013; ++code) {
        init_genrand(kSeed);
        const float k = scales[code - 1011];
        const D3DXVECTOR3 turn(d[2], d[1], d[0]);
        ExpectEvent({code, {{104u + (code - 1011u), C, turn, colours[code - 1011], {k, k, k}}}, {}});
        EXPECT_EQ(static_cast<float>(genrand_int32()), d[3]);
    }

    // The rings: one draw each, a spin about up, 1015 first tipped a quarter turn about right.
    const std::vector<std::uint32_t> rings = Draws(kSeed, 3);
    Reset();
    Fire(1014);
    Fire(1015);
    EXPECT_EQ(genrand_int32(), rings[2]);
    ExpectLog({{112, C, kY, kWhite, {4.5F, 4.5F, 4.5F}}, {112, C, kY, kWhite, {4.5F, 4.5F, 4.5F}}});
    const float large[3] = {4.5F, 4.5F, 4.5F};
    TEffect* plain = Manager().Create(112, &C, &kY, area_->Scene(), area_.get(), &kWhite.r, large);
    D3DXMATRIX base = *plain->GetFrame()->GetMatrix();
    TFrame spin("spin", base, nullptr);
    spin.RotateAxis(kY, static_cast<float>(rings[0]), true);
    TFrame tipped("tipped", base, nullptr);
    tipped.RotateAxis(R, 1.5708F, true);
    tipped.RotateAxis(kY, static_cast<float>(rings[1]), true);
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR((&log_[0].result->GetFrame()->GetMatrix()->_11)[i], (&spin.GetMatrix()->_11)[i], 1e-4F) << i;
        EXPECT_NEAR((&log_[1].result->GetFrame()->GetMatrix()->_11)[i], (&tipped.GetMatrix()->_11)[i], 1e-4F) << i;
    }
    EXPECT_TRUE(caster_->GetHits().empty());
    EXPECT_TRUE(caster_->sounds.empty());
}

TEST_F(PatternEventTest, ElementMarksTakeTheColourOfTheLastDigit)
{
    const Colour colours[] = {{0.7F, 0.4F, 0, 1},    {0, 0.7F, 0.3F, 1},    {0.7F, 0.6F, 0.1F, 1}, {0.4F, 0.3F, 0, 1},
                              {0.5F, 0.5F, 0.7F, 1}, {0.3F, 0.3F, 0.5F, 1}, {1, 1, 1, 1}};
    for (std::uint16_t code = 2000; code <= 2006; ++code) {
        ExpectEvent({code, {{900, P, kZ, colours[code - 2000]}}, {}});
    }
    for (std::uint16_t code = 3000; code <= 3005; ++code) {
        ExpectEvent({code, {{901, P, kZ, colours[code - 3000]}}, {}});
    }
}

TEST_F(PatternEventTest, CodesBetweenTheCasesDoNothingAndDrawNothing)
{
    const std::uint32_t first = Draws(99, 1)[0];
    for (std::uint16_t code : {0, 8, 10, 99, 108, 109, 113, 199, 201, 999, 1002, 1005, 1009, 1016, 1999, 2007, 2999,
                               3006, 3999}) {
        Fire(code);
    }
    EXPECT_TRUE(log_.empty());
    EXPECT_TRUE(caster_->GetHits().empty());
    EXPECT_TRUE(caster_->sounds.empty());
    EXPECT_TRUE(caster_->shakes.empty());
    EXPECT_EQ(genrand_int32(), first);
}

TEST_F(PatternEventTest, FrameAttackIdsMakeTheHitOfTheirRecordsKind)
{
    TPatternEvent e;
    for (std::uint16_t id : {11, 12, 13, 14}) {
        e.AttackId = id;
        caster_->OnAttackEvent(e);
    }
    const auto& hits = caster_->GetHits();
    ASSERT_EQ(hits.size(), 3u);
    auto it = hits.begin();
    EXPECT_NE(dynamic_cast<TAttackHitTimed*>(it->Get()), nullptr);
    EXPECT_EQ(dynamic_cast<TAttackHitTimedHeld*>(it->Get()), nullptr);
    ++it;
    EXPECT_NE(dynamic_cast<TAttackHitHeld*>(it->Get()), nullptr);
    ++it;
    EXPECT_NE(dynamic_cast<TAttackHitTimedHeld*>(it->Get()), nullptr);
    for (const qmtest::AttackHitCall& hit : caster_->AttackHits()) {
        EXPECT_EQ(hit.parent, caster_->GetFrame());
    }
    EXPECT_EQ(caster_->AttackHits()[2].code, 13u);
}

TEST_F(PatternEventTest, ANullCreateResultSkipsWhatWouldBeDoneToIt)
{
    Manager().AddPrototype(601, TRefPtr<TEffect>());
    Manager().AddPrototype(450, TRefPtr<TEffect>());
    Manager().AddPrototype(212, TRefPtr<TEffect>());
    // Not an owned animation: nobody is told an owner.
    Manager().AddPrototype(204, TRefPtr<TEffect>(new TColourAnimEffect("edge01_anim.frm", 5, 1, 10, 1, 20, 1)));
    Fire(100);
    ASSERT_EQ(log_.size(), 2u);
    EXPECT_EQ(log_[0].result, nullptr);
    EXPECT_NE(log_[1].result, nullptr);
    EXPECT_TRUE(caster_->GetHits().empty());
    Reset();
    Fire(6);
    ASSERT_EQ(log_.size(), 1u) << "no trail without its shot";
    EXPECT_TRUE(caster_->GetHits().empty());
    EXPECT_EQ(caster_->sounds, (std::vector<std::uint32_t>{509}));
    Reset();
    Fire(110);
    EXPECT_EQ(caster_->AttackHits().size(), 1u) << "the standing hit does not ride on the effect";
    Reset();
    Fire(5);
    ASSERT_EQ(log_.size(), 1u);
    EXPECT_NE(log_[0].result, nullptr);
}

TEST_F(PatternEventTest, APatternFileFiresItsCodeThroughThePatternRunner)
{
    qmtest::WriteEffectCharacterFiles(dir_.Path(), "caster");
    TPatternEvent slash;
    slash.EventCode = 3;
    qmtest::SaveBytes((dir_.Path() / TPatternInfo::GetDirectory() / "caster.pat").string(),
                      qmtest::BuildPatternFile({{slash}}));
    std::unique_ptr<Caster> caster = NewCaster("caster");
    caster->ProcessPatternFrame();
    ExpectLog({{600, P + F + L, F, kBlue, {0.8F, 1.2F, 0.8F}}, {904, P + F + L, F, kBlue}});
    caster->ProcessPatternFrame();
    EXPECT_EQ(log_.size(), 2u) << "once per rising edge";
    caster->DetachFromField();
}

TEST_F(PatternEventTest, StepsOfTheSkillCasesOffsetAimAndHeal)
{
    // Random offsets reach both ends of -64..63 steps; the signed one adds 1 for an odd draw.
    init_genrand(7);
    float low = 0.0F;
    float high = 0.0F;
    for (int i = 0; i < 4000; ++i) {
        const float v = Caster::RandomOffset(0.5F, false);
        low = std::min(low, v);
        high = std::max(high, v);
    }
    EXPECT_EQ(low, -32.0F);
    EXPECT_EQ(high, 31.5F);
    const std::uint32_t d = Draws(7, 1, genrand_int31)[0];
    EXPECT_EQ(Caster::RandomOffset(0.25F, true),
              static_cast<float>(static_cast<int>(d & 127) - 64) * 0.25F + ((d & 1) != 0 ? 1.0F : -1.0F));

    // A shot with its parts aimed: one draw for the roll, then motion, flight and the hit on the body.
    const std::uint32_t next = Draws(11, 2)[1];
    const D3DXVECTOR3 aim = -F;
    TShot* shot = caster_->FireShot(402, kY, &kWhite.r, D3DXVECTOR3(1, 1, 1), &aim,
                                    std::make_unique<TFollowFrameMotion>(caster_->GetFrameRef(), kOrigin, kOrigin, 1.0F,
                                                                         1.0F, 1.0F),
                                    30, 5000);
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(genrand_int32(), next);
    EXPECT_EQ(shot->GetFlightFrames(), 30);
    EXPECT_NE(dynamic_cast<TFollowFrameMotion*>(shot->GetMotion()), nullptr);
    ASSERT_EQ(caster_->AttackHits().size(), 1u);
    EXPECT_EQ(caster_->AttackHits()[0].parent, shot->GetModelFrame());

    // Heals add at least one and play 503 each.
    caster_->ConsumeHp(50);
    caster_->Heal(20);
    EXPECT_EQ(caster_->GetHp(), 70);
    caster_->Heal(0);
    EXPECT_EQ(caster_->GetHp(), 71);
    caster_->Heal(500);
    EXPECT_EQ(caster_->GetHp(), 100);
    EXPECT_EQ(caster_->sounds, (std::vector<std::uint32_t>{503, 503, 503}));
}

TEST_F(PatternEventTest, ASlashAShotAndTheGroundBlowMatchTheGolden)
{
    init_genrand(5489);
    Fire(3);
    Fire(6);
    Fire(200);
    Run(8);
    ASSERT_GT(Manager().GetLiveCount(), 0u);
    EXPECT_TRUE(Shoot("PatternEventsSlashShotBlow"));
}

}  // namespace
}  // namespace effecttest
