// Phased animation effects: colour ramps frame by frame, loops, fade-outs, the edge and ice
// hand-overs with their sounds, and the colour steps at their bounds.
#include <gtest/gtest.h>

#include <cmath>

#include "MainCode/Effect/TFrameAnimEffect.h"
#include "MainCode/Effect/TSmashEffect.h"
#include "MainCode/Effect/TSpawnPathEffect.h"
#include "effect_area_fixture.h"
#include "support/dx_probe.h"
#include "support/effect_probe.h"

namespace effecttest {
namespace {

constexpr std::uint32_t kAnimId = 100;
constexpr std::uint32_t kFollowId = 701;

const float kColour[4] = {0.2F, 0.4F, 0.6F, 0.8F};

// The material of the mesh the generated frame files hang on the root's child.
const D3DCOLORVALUE& Emissive(TEffect* effect)
{
    return effect->GetFrame()->GetChild(0)->GetMesh(0)->GetMaterial(0).GetMaterial().Emissive;
}
std::uint16_t MaterialType(TEffect* effect)
{
    return effect->GetFrame()->GetChild(0)->GetMesh(0)->GetMaterial(0).GetMaterialType();
}

TMeshEffect* NewMeshEffect()
{
    const D3DXVECTOR3 offset(0.0F, 0.0F, 0.0F);
    return new TMeshEffect("edge01_mesh.msh", 0, 30, 1, 0.01F, 0.001F, 0.05F, 0, false, 0, &offset, nullptr);
}

class FrameAnimTest : public EffectAreaTest {
protected:
    TFrameAnimEffect* Start(TFrameAnimEffect* prototype, const float colour[4] = kColour)
    {
        Add(kAnimId, prototype);
        return static_cast<TFrameAnimEffect*>(
            Create(kAnimId, D3DXVECTOR3(1.0F, 0.0F, 2.0F), D3DXVECTOR3(1.0F, 0.0F, 0.0F), colour));
    }
};

TEST_F(FrameAnimTest, EdgeFadesItsAlphaInHoldsAndHandsOverToItsFollowUpOnUpdate28)
{
    auto owner = NewObject("owner", 0, 0, 0);
    Add(kFollowId, NewMeshEffect());
    auto* edge = static_cast<TEdgeAnimEffect*>(Start(new TEdgeAnimEffect("edge01_anim.frm", kFollowId)));
    edge->SetOwnerId(static_cast<std::int32_t>(owner->GetObjectId()));
    EXPECT_EQ(MaterialType(edge), TMeshMaterial::kAlphaNotCull);
    // Full colour until the first update.
    EXPECT_EQ(Emissive(edge).a, 0.8F);
    EXPECT_EQ(Emissive(edge).g, 0.4F);

    for (int update = 1; update <= 6; ++update) {
        ASSERT_TRUE(edge->Update());
        EXPECT_NEAR(Emissive(edge).a, 0.15F * 0.8F * static_cast<float>(update), 1e-6F) << "update " << update;
        EXPECT_EQ(Emissive(edge).g, 0.4F) << "the alpha variant leaves the colour";
    }
    ASSERT_TRUE(edge->Update());
    EXPECT_EQ(edge->GetTime(), 21.0F);
    EXPECT_EQ(Emissive(edge).a, 0.8F);
    EXPECT_EQ(owner->sounds, (std::vector<std::uint32_t>{504})) << "once while the clock is in (1, 4)";

    const D3DXMATRIX placement = *edge->GetFrame()->GetMatrix();
    for (int update = 8; update <= 27; ++update) {
        ASSERT_TRUE(edge->Update()) << "update " << update;
        EXPECT_EQ(TDxProbe::AnimationTime(*edge->GetFrame()), edge->GetTime());
    }
    EXPECT_TRUE(CallsOf(kFollowId).empty());
    EXPECT_FALSE(edge->Update()) << "update 28 passes 29.0";
    EXPECT_GT(edge->GetTime(), 29.0F);

    const std::vector<TEffectCreateCall> calls = CallsOf(kFollowId);
    ASSERT_EQ(calls.size(), 1u);
    ExpectNear(calls[0].direction, D3DXVECTOR3(0.0F, 0.0F, 1.0F));
    ExpectNear(calls[0].position, D3DXVECTOR3(1.0F, 0.0F, 2.0F));
    EXPECT_EQ(calls[0].parent, area_->Scene());
    EXPECT_EQ(calls[0].area, area_.get());
    EXPECT_EQ(calls[0].colour[0], 1.0F);
    EXPECT_EQ(calls[0].colour[3], 1.0F);
    EXPECT_EQ(calls[0].scale[2], 1.0F);
    auto* follow = dynamic_cast<TMeshEffect*>(calls[0].result);
    ASSERT_NE(follow, nullptr);
    EXPECT_EQ(TEffectProbe::OwnerId(*follow), static_cast<std::int32_t>(owner->GetObjectId()));
    const D3DXMATRIX copied = *follow->GetFrame()->GetMatrix();
    EXPECT_TRUE(copied == placement) << "the follow-up takes the edge's local matrix";
    EXPECT_EQ(owner->sounds, (std::vector<std::uint32_t>{504, 505}));
}

TEST_F(FrameAnimTest, FollowUpsWithoutOwnerWithoutPrototypeOrOfAnotherClass)
{
    // No owner: silent, and the mesh effect learns no one.
    Add(kFollowId, NewMeshEffect());
    TEffect* edge = Start(new TEdgeAnimEffect("edge01_anim.frm", kFollowId));
    EXPECT_EQ(UpdatesUntilDone(edge, 40), 28);
    ASSERT_EQ(CallsOf(kFollowId).size(), 1u);
    EXPECT_EQ(TEffectProbe::OwnerId(*static_cast<TMeshEffect*>(CallsOf(kFollowId)[0].result)), -2);

    // An id without a prototype creates nothing; the owner still hears the end.
    auto owner = NewObject("owner", 0, 0, 0);
    Manager().AddPrototype(702, TRefPtr<TEffect>());
    Add(kAnimId + 1, new TEdgeAnimEffect("edge02_anim.frm", 702));
    auto* lost = static_cast<TEdgeAnimEffect*>(
        Create(kAnimId + 1, D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 1), kColour));
    lost->SetOwnerId(static_cast<std::int32_t>(owner->GetObjectId()));
    EXPECT_EQ(UpdatesUntilDone(lost, 40), 28);
    ASSERT_EQ(CallsOf(702).size(), 1u);
    EXPECT_EQ(CallsOf(702)[0].result, nullptr);
    EXPECT_EQ(owner->sounds, (std::vector<std::uint32_t>{504, 505}));

    // A follow-up that is not a mesh effect keeps its own owner id: here another owned animation.
    Add(703, new TSpawnPathEffect("earthfang.frm", -1));
    Add(kAnimId + 2, new TIceAnimEffect("ice01_anim.frm", 703));
    auto* ice = static_cast<TIceAnimEffect*>(Create(kAnimId + 2, D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 1), kColour));
    ice->SetOwnerId(static_cast<std::int32_t>(owner->GetObjectId()));
    ASSERT_GT(UpdatesUntilDone(ice, 60), 0);
    ASSERT_EQ(CallsOf(703).size(), 1u);
    auto* other = dynamic_cast<TSpawnPathEffect*>(CallsOf(703)[0].result);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(TEffectProbe::OwnerId(*other), -2);
}

// The clock at each sound the owner heard, to the end of the effect.
std::vector<float> SoundTimes(TFrameAnimEffect* effect, qmtest::SoundObject& owner, int limit)
{
    std::vector<float> times;
    for (int i = 0; i < limit; ++i) {
        const std::size_t before = owner.sounds.size();
        const bool alive = effect->Update();
        for (std::size_t k = before; k < owner.sounds.size(); ++k) {
            times.push_back(effect->GetTime());
        }
        if (!alive) {
            break;
        }
    }
    return times;
}

TEST_F(FrameAnimTest, IceCracksOncePerWindowAndItsFollowUpFacesTheFramesZAxis)
{
    auto owner = NewObject("owner", 0, 0, 0);
    Add(kFollowId, NewMeshEffect());
    struct Case {
        TIceAnimEffect* prototype;
        std::size_t windows;  // windows the clock passes through (the field's last one on its final update)
    };
    const Case cases[] = {{new TIceAnimEffect("ice01_anim.frm", kFollowId), 4},
                          {new TIceAnimEffect("icefield00_f.frm", kFollowId, true), 2}};
    for (const Case& c : cases) {
        owner->sounds.clear();
        log_.clear();
        auto* ice = static_cast<TIceAnimEffect*>(Start(c.prototype));
        ice->SetOwnerId(static_cast<std::int32_t>(owner->GetObjectId()));
        EXPECT_EQ(MaterialType(ice), TMeshMaterial::kAdd);
        const std::vector<float> times = SoundTimes(ice, *owner, 100);
        ASSERT_FALSE(ice->IsAlive());
        ASSERT_EQ(times.size(), c.windows + 1) << "one per window and one at the end";
        for (std::size_t w = 0; w < c.windows; ++w) {
            const float start = 1.0F + static_cast<float>(w);
            EXPECT_GT(times[w], start);
            EXPECT_LT(times[w], start + 0.5F);
        }
        EXPECT_EQ(owner->sounds, std::vector<std::uint32_t>(c.windows + 1, 504));
        const std::vector<TEffectCreateCall> calls = CallsOf(kFollowId);
        ASSERT_EQ(calls.size(), 1u);
        ExpectNear(calls[0].direction, D3DXVECTOR3(1.0F, 0.0F, 0.0F));
        EXPECT_EQ(TEffectProbe::OwnerId(*static_cast<TMeshEffect*>(calls[0].result)),
                  static_cast<std::int32_t>(owner->GetObjectId()));
        Manager().Clear();
    }
}

TEST_F(FrameAnimTest, OnePhaseEffectsStartAtTheirEndsAndDieOnTheUpdateTheClockPasses)
{
    // A fade-out as the first phase starts at full colour and dies once the clock passes 5.
    struct Case {
        float step;
        int dies;
    };
    for (const Case c : {Case{0.2F, 26}, Case{0.1F, 51}}) {
        TFrameAnimEffect* out = Start(new TColourAnimEffect("flash01.frm", 5.0F, c.step, false));
        EXPECT_EQ(TEffectProbe::CurrentColour(*out)[1], kColour[1]);
        EXPECT_NEAR(TEffectProbe::OutColourStep(*out)[1], kColour[1] * c.step / 5.0F, 1e-6F);
        ASSERT_TRUE(out->Update());
        EXPECT_NEAR(Emissive(out).g, kColour[1] - TEffectProbe::OutColourStep(*out)[1], 1e-7F);
        EXPECT_EQ(UpdatesUntilDone(out, 100) + 1, c.dies) << "step " << c.step;
        Manager().Clear();
    }

    // A fade-in as the only phase: from nothing, dead on the update the clock passes its end.
    TFrameAnimEffect* in = Start(new TColourAnimEffect("flash01.frm", 2.0F, 0.5F, true));
    EXPECT_EQ(TEffectProbe::CurrentColour(*in)[0], 0.0F);
    EXPECT_EQ(Emissive(in).r, kColour[0]) << "Init shows the whole colour until the first update";
    EXPECT_EQ(MaterialType(in), TMeshMaterial::kAdd);
    ASSERT_TRUE(in->Update());
    EXPECT_NEAR(Emissive(in).r, kColour[0] * 0.25F, 1e-7F);
    EXPECT_EQ(Emissive(in).a, kColour[3]) << "the RGB variant leaves the alpha";
    EXPECT_EQ(UpdatesUntilDone(in, 10), 4);
}

TEST_F(FrameAnimTest, CountedLoopsReplayTheHoldSpanAndTheFadeOutStartsAtInEnd)
{
    TFrameAnimEffect* loop = Start(new TAlphaAnimEffect("ring01_anim.frm", 1.0F, 0.5F, 2.0F, 0.5F, 2, 3.0F, 0.5F));
    EXPECT_EQ(MaterialType(loop), TMeshMaterial::kAlphaNotCull);
    const float clock[] = {0.5F, 1.0F, 1.5F, 2.0F, 1.0F, 1.5F, 2.0F, 1.0F, 1.5F, 2.0F, 2.5F, 3.0F, 3.5F};
    const int kFadeOutStart = 9;  // update 8 passes holdEnd the second time
    for (int i = 0; i < 13; ++i) {
        const bool alive = loop->Update();
        EXPECT_EQ(loop->GetTime(), clock[i]) << "update " << i + 1;
        EXPECT_EQ(TDxProbe::AnimationTime(*loop->GetFrame()), clock[i]);
        EXPECT_EQ(alive, i < 12) << "update " << i + 1;
        if (i == 7) {
            EXPECT_EQ(TEffectProbe::Loops(*loop), 0);
            EXPECT_EQ(TEffectProbe::CurrentColour(*loop)[3], kColour[3]) << "full colour for the fade-out";
        }
        if (i + 1 == kFadeOutStart) {
            EXPECT_FLOAT_EQ(Emissive(loop).a, kColour[3] * 0.5F);
        }
    }
}

TEST_F(FrameAnimTest, LoopingUntilFinishThenFadingOutWithoutGoingBelowZero)
{
    TFrameAnimEffect* loop = Start(new TColourAnimEffect("ring01_anim.frm", 1.0F, 0.5F, 2.0F, 0.5F, -1, 3.0F, 0.25F));
    for (int i = 0; i < 200; ++i) {
        ASSERT_TRUE(loop->Update());
        ASSERT_GE(loop->GetTime(), 0.5F);
        ASSERT_LE(loop->GetTime(), 2.0F);
    }
    loop->Finish();
    ASSERT_TRUE(loop->Update());
    EXPECT_EQ(loop->GetTime(), 1.0F);
    EXPECT_EQ(TEffectProbe::CurrentColour(*loop)[2], kColour[2]);
    int updates = 0;
    while (loop->Update()) {
        ++updates;
        for (int k = 0; k < 4; ++k) {
            ASSERT_GE(TEffectProbe::CurrentColour(*loop)[k], 0.0F);
        }
        ASSERT_LT(updates, 20);
    }
    EXPECT_EQ(updates + 1, 9) << "1.0 + 9 x 0.25 passes 3.0";
    EXPECT_EQ(Emissive(loop).b, 0.0F);
}

TEST_F(FrameAnimTest, HoldThenFadeOutShowsFullColourOnlyWithTheNextStep)
{
    TFrameAnimEffect* e = Start(new TColourAnimEffect("bomb00.frm", 1.0F, 0.5F, 2.0F, 0.5F, 4.0F, 0.5F));
    EXPECT_NEAR(TEffectProbe::OutColourStep(*e)[0], kColour[0] / 4.0F, 1e-7F);
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(e->Update());
    }
    EXPECT_EQ(e->GetTime(), 2.0F);
    const float shown = Emissive(e).r;
    ASSERT_TRUE(e->Update());  // 2.5 > 2.0: the fade-out is next
    EXPECT_EQ(TEffectProbe::CurrentColour(*e)[0], kColour[0]);
    EXPECT_EQ(Emissive(e).r, shown) << "not applied yet";
    ASSERT_TRUE(e->Update());
    EXPECT_NEAR(Emissive(e).r, kColour[0] * 0.75F, 1e-7F);
    EXPECT_EQ(UpdatesUntilDone(e, 10), 3);  // 3.5, 4.0, then 4.5
}

TEST_F(FrameAnimTest, AFadeOutWithoutStepFreezesUntilKilled)
{
    TFrameAnimEffect* frozen = Start(new TColourAnimEffect("flash00.frm", 5.0F, 0.0F, false));
    for (int i = 0; i < 300; ++i) {
        ASSERT_TRUE(frozen->Update());
    }
    EXPECT_EQ(frozen->GetTime(), 0.0F);
    EXPECT_EQ(TEffectProbe::CurrentColour(*frozen)[1], kColour[1]);
    frozen->Finish();
    EXPECT_TRUE(frozen->Update()) << "only the looping phase listens to Finish";
    frozen->Kill();
    EXPECT_FALSE(frozen->Update());
}

TEST_F(FrameAnimTest, ColourStepsOfZeroSpansStayZero)
{
    // Fade-out ending where the hold ends: the step runs over the whole clock...
    TFrameAnimEffect* whole = Start(new TColourAnimEffect("bomb01.frm", 1.0F, 0.5F, 4.0F, 0.5F, 4.0F, 0.5F));
    EXPECT_NEAR(TEffectProbe::OutColourStep(*whole)[3], kColour[3] / 8.0F, 1e-7F);
    Manager().Clear();
    // ...and a clock of zero length gives no step rather than an endless one.
    TFrameAnimEffect* zero = Start(new TColourAnimEffect("bomb01.frm", 0.0F, 0.5F, 0.0F, 0.5F, 0.0F, 0.5F));
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(TEffectProbe::OutColourStep(*zero)[k], 0.0F);
        EXPECT_EQ(TEffectProbe::InColourStep(*zero)[k], 0.0F);
    }
    zero->Update();
    zero->Update();
    for (int k = 0; k < 4; ++k) {
        EXPECT_TRUE(std::isfinite(TEffectProbe::CurrentColour(*zero)[k]));
    }
}

TEST_F(FrameAnimTest, ClonesStartFromZeroOnFramesOfTheirOwnAndScaleInTheParentsSpace)
{
    auto* prototype = new TColourAnimEffect("tornado00.frm", 1.0F, 0.5F, 2.0F, 0.5F, 3.0F, 0.5F);
    Add(kAnimId, prototype);
    const float scale[3] = {2.0F, 3.0F, 4.0F};
    const D3DXVECTOR3 at(1.0F, 0.0F, 0.0F);
    const D3DXVECTOR3 heading(0.0F, 0.0F, 1.0F);
    auto* a = static_cast<TFrameAnimEffect*>(Manager().Create(kAnimId, &at, &heading, area_->Scene(), area_.get(),
                                                               kColour, scale));
    ASSERT_TRUE(a->Update());
    auto* b = static_cast<TFrameAnimEffect*>(Create(kAnimId, at, heading, kColour));
    EXPECT_NE(a->GetFrame(), prototype->GetFrame());
    EXPECT_NE(a->GetFrame(), b->GetFrame());
    EXPECT_EQ(b->GetTime(), 0.0F);
    EXPECT_EQ(TEffectProbe::CurrentColour(*b)[0], 0.0F);
    EXPECT_EQ(prototype->GetFrame()->GetParent(), nullptr);
    D3DXVECTOR3 y;
    a->GetFrame()->GetAxis(&y, 2);
    EXPECT_NEAR(y.y, 3.0F, 1e-5F);
    D3DXVECTOR3 p;
    a->GetFrame()->GetWorldPosition(&p);
    EXPECT_NEAR(p.x, 1.0F, 1e-5F) << "scaled after the placement: the position stays";
}

}  // namespace
}  // namespace effecttest
