// The two weapon afterimages every hero makes: one on each weapon frame, coloured and sized by the
// weapon in that hand, hung under the scene, shown while an attack runs and faded out after it;
// and what the hero takes from its party record when it is made.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "MainCode/Character/THeroine08.h"
#include "MainCode/Effect/TAfterImage.h"
#include "TCommon/my_error.h"
#include "dx/dx8/3d/TMeshMaterial.h"
#include "hero_fixture.h"
#include "support/character_probe.h"
#include "support/effect_probe.h"

namespace herotest {
namespace {

class HeroAfterImageTest : public HeroFixture {
protected:
    void SetUp() override
    {
        HeroFixture::SetUp();
        TWeponRecord& sword = TWeponTable::Get(1000);
        sword.TrailLength = 1.5F;
        sword.Element = 1;
        TWeponTable::Get(1002).TrailLength = 2.0F;
        area_ = std::make_unique<objtest::TestArea>(scene_.Get());
    }
    void TearDown() override
    {
        area_.reset();
        HeroFixture::TearDown();
    }

    static std::uint16_t Shown(const TAfterImage& trail)
    {
        return TEffectProbe::Mesh(trail)->GetMaterial(0).GetMaterialType();
    }
    static D3DXVECTOR3 World(const TFrame* frame)
    {
        D3DXVECTOR3 p;
        frame->GetWorldPosition(&p);
        return p;
    }
    static void ExpectNear(const D3DXVECTOR3& a, const D3DXVECTOR3& b, const char* what)
    {
        EXPECT_NEAR(a.x, b.x, 1e-5F) << what;
        EXPECT_NEAR(a.y, b.y, 1e-5F) << what;
        EXPECT_NEAR(a.z, b.z, 1e-5F) << what;
    }

    std::unique_ptr<objtest::TestArea> area_;
};

TEST_F(HeroAfterImageTest, EachWeaponFrameGetsARibbonSetByTheWeaponInThatHand)
{
    TCharacterRecord* record = data_->GetCharacterData(0);
    record->Accessory1Id = 2001;
    record->Accessory2Id = 2002;
    std::unique_ptr<TestHeroA> hero = MakeA();
    EXPECT_EQ(hero->GetWeaponId(), 1000u);
    EXPECT_EQ(hero->GetEquipItemId('A'), 2001u);
    EXPECT_EQ(hero->GetEquipItemId('B'), 2002u);

    TAfterImage* left = TCharacterProbe::LeftTrail(*hero);
    TAfterImage* right = TCharacterProbe::RightTrail(*hero);
    ASSERT_NE(left, nullptr);
    ASSERT_NE(right, nullptr);
    EXPECT_EQ(TEffectProbe::EndFrame(*left)->GetParent(), hero->GetLeftWeaponFrame());
    EXPECT_EQ(TEffectProbe::EndFrame(*right)->GetParent(), hero->GetRightWeaponFrame());
    // Weapon type 0 is held in the right hand: only that ribbon takes its length and element colour.
    EXPECT_FLOAT_EQ(TEffectProbe::Length(*right), 1.5F);
    EXPECT_FLOAT_EQ(TEffectProbe::Red(*right).from, 1.0F);
    EXPECT_FLOAT_EQ(TEffectProbe::Green(*right).from, 0.4F);
    EXPECT_FLOAT_EQ(TEffectProbe::Blue(*right).from, 0.2F);
    EXPECT_EQ(TEffectProbe::Mode(*right), TMeshMaterial::kAdd);
    EXPECT_FLOAT_EQ(TEffectProbe::Length(*left), 1.0F);
    EXPECT_FLOAT_EQ(TEffectProbe::Red(*left).from, 0.0F);

    // A two-handed weapon sets both.
    hero->Equip(1002);
    EXPECT_FLOAT_EQ(TEffectProbe::Length(*left), 2.0F);
    EXPECT_FLOAT_EQ(TEffectProbe::Length(*right), 2.0F);
}

TEST_F(HeroAfterImageTest, AMissingFileMakesNothingAndTheErrorNamesIt)
{
    // What each maker loads (the file removed, or a body written without it) and the name it reports;
    // each case keeps the files the ones after it need.
    const std::uint32_t character = 1;
    TCharacterRecord* heroine = data_->GetCharacterData(character);
    heroine->WeaponId = 1011;
    WriteBody("nopat");
    WriteHeroModel("heroine08");
    struct Case {
        const char* remove;
        const char* named;
        std::function<void()> make;
    };
    const Case cases[] = {
        {nullptr, "char04/nobody.tob", [] { objtest::TestObject o(1.0F, 1, -0.02F, "nobody"); }},
        {nullptr, "nopat.pat", [] { objtest::TestFighter f(20, 40, 1, "nopat"); }},
        {"effect/arw00.msh", "arw00.msh", [&] { THeroine08 h(links_, character, *heroine); }},
        {"effect/sword01.msh", "sword01.msh", [this] { MakeA(); }},
        {"effect/shadow01_mesh.msh", "shadow01_mesh.msh", [] { objtest::TestObject o; }},
    };
    for (const Case& c : cases) {
        if (c.remove != nullptr) {
            std::filesystem::remove(TMesh8::GetDirectory() + c.remove);
        }
        try {
            c.make();
            ADD_FAILURE() << "made without " << c.named;
        } catch (const my_error& e) {
            EXPECT_NE(std::string(e.what()).find(c.named), std::string::npos) << e.what();
        }
    }
    WritePattern({TPatternEvent()}, "nopat");
    EXPECT_THROW(objtest::TestFighter(20, 40, 1, "nopat"), my_error) << "no .wpm";
}

TEST_F(HeroAfterImageTest, RibbonsHangUnderTheSceneHiddenAndLeaveItWithTheHero)
{
    const auto ribbons = [this] {
        std::size_t n = 0;
        for (std::size_t i = 0; i < scene_->GetChildCount(); ++i) {
            n += scene_->GetChild(i)->GetName() == "AftImg" ? 1 : 0;
        }
        return n;
    };
    std::unique_ptr<TestHeroA> hero = MakeA();
    hero->AttachToField(area_.get());
    // The ribbons hold world positions: under a weapon frame they would be moved twice.
    EXPECT_EQ(TEffectProbe::Frame(*TCharacterProbe::LeftTrail(*hero))->GetParent(), scene_.Get());
    EXPECT_EQ(TEffectProbe::Frame(*TCharacterProbe::RightTrail(*hero))->GetParent(), scene_.Get());
    EXPECT_EQ(ribbons(), 2u);
    EXPECT_EQ(Shown(*TCharacterProbe::RightTrail(*hero)), TMeshMaterial::kHide);
    hero->DetachFromField();
    EXPECT_EQ(ribbons(), 0u);

    hero->AttachToField(area_.get());
    hero.reset();
    EXPECT_EQ(ribbons(), 0u) << "gone with the hero";
}

TEST_F(HeroAfterImageTest, TheRibbonFollowsTheWeaponWhileAnAttackRunsThenFadesIn25Frames)
{
    std::unique_ptr<TestHeroA> hero = MakeA();
    hero->AttachToField(area_.get());
    const TAfterImage& right = *TCharacterProbe::RightTrail(*hero);
    const TAfterImage& left = *TCharacterProbe::LeftTrail(*hero);
    const std::uint32_t last = TEffectProbe::EdgeCount(right) - 1;
    qmtest::HeroTrace t(*hero, *input_);
    t.Step(3);
    EXPECT_EQ(Shown(right), TMeshMaterial::kHide) << "not while standing";

    Tap(t, kAttack);
    ASSERT_TRUE(t.StepUntilRow(25));
    EXPECT_EQ(Shown(right), TMeshMaterial::kAdd);
    ExpectNear(TEffectProbe::EdgeNear(right, 0), World(hero->GetRightWeaponFrame()), "starts at the blade");
    ExpectNear(TEffectProbe::EdgeNear(right, last), TEffectProbe::EdgeNear(right, 0), "collapsed on the first frame");
    ExpectNear(TEffectProbe::EdgeFar(right, last), World(TEffectProbe::EndFrame(right)),
               "collapsed on the first frame");

    // The hero moves; the newest edge keeps to the blade, the oldest keeps where it started.
    const D3DXVECTOR3 start = TEffectProbe::EdgeNear(right, 0);
    for (int i = 1; i <= 5; ++i) {
        D3DXVECTOR3 p;
        hero->GetPosition(&p);
        p.x += 0.2F;
        hero->SetPosition(p);
        t.Step();
        ExpectNear(TEffectProbe::EdgeNear(right, 0), World(hero->GetRightWeaponFrame()), "near end");
        ExpectNear(TEffectProbe::EdgeFar(right, 0), World(TEffectProbe::EndFrame(right)), "far end");
        ExpectNear(TEffectProbe::EdgeNear(right, last), start, "shifted, not collapsed again");
    }
    EXPECT_NEAR(TEffectProbe::EdgeNear(right, 0).x - start.x, 1.0F, 1e-5F);

    // The recovery row still shows it; idle turns it off and the fade takes 25 more frames.
    ASSERT_TRUE(t.StepUntilState(0));
    EXPECT_EQ(TEffectProbe::FadeCounter(right), TAfterImage::kFadeFrames);
    t.Step(24);
    EXPECT_EQ(Shown(right), TMeshMaterial::kAdd);
    t.Step();
    EXPECT_EQ(Shown(right), TMeshMaterial::kHide);
    EXPECT_EQ(TEffectProbe::FadeCounter(right), TAfterImage::kNotFading);
    EXPECT_FLOAT_EQ(TEffectProbe::Red(right).value, 0.0F);
    // The empty hand's ribbon never runs.
    EXPECT_FALSE(TEffectProbe::LastQuery(left));
    EXPECT_EQ(Shown(left), TMeshMaterial::kHide);
}

TEST_F(HeroAfterImageTest, TheCommonSkillRowsShowNoRibbon)
{
    struct Case {
        std::uint32_t row;
        bool shown;
    };
    // The common skills' rows 5 to 24 draw their own effects.
    for (const Case& c : {Case{4, true}, Case{5, false}, Case{24, false}, Case{25, true}}) {
        std::unique_ptr<TestHeroA> hero = MakeA();
        hero->AttachToField(area_.get());
        qmtest::HeroTrace t(*hero, *input_);
        t.Step();
        hero->StartAction(c.row);
        t.Step();
        EXPECT_EQ(TEffectProbe::LastQuery(*TCharacterProbe::RightTrail(*hero)), c.shown) << c.row;
        EXPECT_EQ(Shown(*TCharacterProbe::RightTrail(*hero)), c.shown ? TMeshMaterial::kAdd : TMeshMaterial::kHide)
            << c.row;
    }
}

}  // namespace
}  // namespace herotest
