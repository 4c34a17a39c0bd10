// Pattern frames fire their items once per rising edge; the flash follows the frames unless
// something else took it over; shakes by level; the body moves by the frame's displacement;
// the element effects and the magic projectile go through the effect manager.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "MainCode/Character/TAccelMotion.h"
#include "MainCode/Character/THeldRandomOffsetMotion.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/Map/TAttackHitTimedHeld.h"
#include "MainCode/Map/TAttackTable.h"
#include "MainCode/Map/TCamera.h"
#include "MainCode/Shot/TShotJ.h"
#include "dx/dx8/3d/TTexture8.h"
#include "armed_fixture.h"
#include "formats/effect_assets.h"
#include "support/character_probe.h"
#include "support/effect_create_recorder.h"
#include "support/map_probe.h"
#include "support/shot_probe.h"

namespace objtest {
namespace {

struct ShakeCall {
    std::uint32_t count;
    std::uint32_t frames;
    float amplitude;
    std::uint32_t mask;
};

class RecordingCamera : public TCamera {
public:
    explicit RecordingCamera(TFrame* scene) : TCamera(kFollowMode, scene, nullptr, nullptr) {}
    void StartShake(std::uint32_t count, std::uint32_t frames, float amplitude, std::uint32_t mask) override
    {
        calls.push_back({count, frames, amplitude, mask});
    }
    std::vector<ShakeCall> calls;
};

class CameraArea : public TestArea {
public:
    // The area owns the camera it is given.
    CameraArea(TFrame* scene, TCamera* camera, TEffectManager* effects) : TestArea(scene)
    {
        m_camera = TRefPtr<TCamera>(camera);
        m_effectManager = effects;
    }
    // The camera belongs to the test.
    ~CameraArea() override { m_camera.ClearOwned(); }
};

TPatternEvent Frame(std::uint16_t event, std::uint8_t flash = 0)
{
    TPatternEvent e;
    e.EventCode = event;
    e.FlashFlag = flash;
    return e;
}

class PatternEvents : public ArmedFixture {
protected:
    // Steps the fighter through its frames 0, 1, 2, ... one per call.
    static void StepTo(TestFighter& f, float frame)
    {
        f.GetBodyMesh()->SetMorphTime(frame);
        f.ProcessPatternFrame();
    }
};

TEST_F(PatternEvents, ItemsFireOncePerRisingEdge)
{
    TPatternEvent all;
    all.EventCode = 9;
    all.SoundId = 301;
    all.VoiceId = 401;
    WritePattern({Frame(5), Frame(5), Frame(0), Frame(5), all, all, TPatternEvent(), all});
    TestFighter f;
    for (int i = 0; i < 8; ++i) {
        StepTo(f, static_cast<float>(i));
    }
    // A change from one code straight to another is no rising edge.
    EXPECT_EQ(f.events, (std::vector<std::uint16_t>{5, 5, 9}));
    EXPECT_EQ(f.sounds, (std::vector<std::uint32_t>{301, 301}));
    EXPECT_EQ(f.voices, (std::vector<std::uint32_t>{401, 401}));

    // Leaving the field clears the latches: the same frame fires again.
    TestArea area(scene_.Get());
    f.AttachToField(&area);
    f.DetachFromField();
    StepTo(f, 7.0F);
    EXPECT_EQ(f.events.size(), 4u);
}

TEST_F(PatternEvents, FlashFollowsTheFramesUnlessReplaced)
{
    WritePattern({Frame(0, 1), Frame(0, 1), Frame(0, 0), Frame(0, 1), Frame(0, 0)});
    TestFighter f;
    StepTo(f, 0);
    EXPECT_EQ(f.GetFlashTime(), TArmedCharacter::kUnlimitedFlash);
    f.SetFlashTime(TArmedCharacter::kUnlimitedFlash - 5);  // would not be started again
    StepTo(f, 1);
    EXPECT_EQ(f.GetFlashTime(), TArmedCharacter::kUnlimitedFlash - 5);
    f.SetFlashTime(TArmedCharacter::kUnlimitedFlash);
    StepTo(f, 2);
    EXPECT_EQ(f.GetFlashTime(), 0);
    EXPECT_EQ(f.GetBodyMesh()->GetMaterial(0).GetMaterial().Emissive.a, 1.0F);

    // Replaced by a timed flash: the falling edge leaves it running.
    StepTo(f, 3);
    f.StartFlash(1, 30);
    StepTo(f, 4);
    EXPECT_EQ(f.GetFlashTime(), 30);
}

TEST_F(PatternEvents, ShakeLevelsAndDisplacement)
{
    std::vector<TPatternEvent> frames;
    for (std::uint8_t level : {0, 1, 0, 5, 0, 6, 0, 255, 0, 4}) {
        TPatternEvent e;
        e.ShakeLevel = level;
        e.Displacement = D3DXVECTOR3(0.0F, 0.0F, -0.5F);
        frames.push_back(e);
    }
    WritePattern(frames);
    TestFighter f;
    auto* camera = new RecordingCamera(scene_.Get());
    CameraArea area(scene_.Get(), camera, nullptr);
    f.AttachToField(&area);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        StepTo(f, static_cast<float>(i));
    }
    ASSERT_EQ(camera->calls.size(), 3u);  // 6 and 255 are ignored
    EXPECT_EQ(camera->calls[0].count, 4u);
    EXPECT_FLOAT_EQ(camera->calls[0].amplitude, 0.025F);
    EXPECT_EQ(camera->calls[1].count, 20u);
    EXPECT_FLOAT_EQ(camera->calls[1].amplitude, 0.15F);
    EXPECT_FLOAT_EQ(camera->calls[2].amplitude, 0.1F);
    EXPECT_EQ(camera->calls[2].frames, 2u);
    EXPECT_EQ(camera->calls[2].mask, 7u);
    // Ten steps of 0.5 along its own -Z.
    D3DXVECTOR3 p;
    f.GetPosition(&p);
    EXPECT_FLOAT_EQ(p.z, -5.0F);
    f.DetachFromField();
}

TEST_F(PatternEvents, AttackIdsMakeHits)
{
    TPatternEvent attack;
    attack.AttackId = 8;
    WritePattern({attack, attack, TPatternEvent()});
    TAttackTable::Clear();
    TestFighter f;
    StepTo(f, 0);
    StepTo(f, 1);
    EXPECT_EQ(TCharacterProbe::Hits(f).size(), 1u);
    TAttackTable::Clear();
}

class EffectActions : public PatternEvents {
protected:
    void SetUp() override
    {
        PatternEvents::SetUp();
        TEffectManager::SetFolder("effect/");
        qmtest::WriteEffectAssets(dir_.Path());
        effects_ = std::make_unique<TEffectManager>();
        const float one[3] = {1.0F, 1.0F, 1.0F};
        effects_->AddPrototype(510, TRefPtr<TEffect>(new TShotJ("meteo.msh", 511, 60, 1, false, one)));
        effects_->AddPrototype(800, TRefPtr<TEffect>(new TShotC("effect.ptx/fire", 60, 5, true, one)));
        creates_.Start(effects_.get(), &log_);
    }
    void TearDown() override
    {
        effects_.reset();
        TTexture8::PurgeCache(1);
        TEffectManager::SetFolder("");
        PatternEvents::TearDown();
    }
    std::vector<std::uint32_t> Ids() const
    {
        std::vector<std::uint32_t> ids;
        for (const TEffectCreateCall& c : log_) {
            ids.push_back(c.id);
        }
        return ids;
    }

    std::unique_ptr<TEffectManager> effects_;
    std::vector<TEffectCreateCall> log_;
    qmtest::EffectCreateRecorder creates_;
};

TEST_F(EffectActions, ElementEffects)
{
    TestFighter f;
    CameraArea area(scene_.Get(), nullptr, effects_.get());
    f.AttachToField(&area);
    f.Place(1.0F, 2.0F, 3.0F);
    for (std::uint32_t e : {0u, 6u, 7u, 12u, 18u, 19u}) {
        f.SpawnElementEffect(e);
    }
    EXPECT_EQ(Ids(), (std::vector<std::uint32_t>{20, 26, 1, 3, 2, 4, 4, 6}));
    ASSERT_TRUE(log_[0].hasPosition);
    EXPECT_FLOAT_EQ(log_[0].position.y, 2.0F + 1.2F);
    EXPECT_FLOAT_EQ(log_[0].direction.z, 1.0F);
    EXPECT_EQ(log_[0].parent, scene_.Get());
    EXPECT_EQ(log_[0].area, &area);
    EXPECT_EQ(log_[0].colour[3], 1.0F);
    f.DetachFromField();
}

TEST_F(EffectActions, MagicProjectile)
{
    TestFighter f;
    CameraArea area(scene_.Get(), nullptr, effects_.get());
    f.AttachToField(&area);
    f.LaunchEffectAction(D3DXVECTOR3(0.5F, 0.0F, 0.0F), 1.0F, 0.2F);
    ASSERT_EQ(Ids(), (std::vector<std::uint32_t>{510, 800}));
    auto* shot = dynamic_cast<TShotJ*>(log_[0].result);
    auto* trail = dynamic_cast<TShotC*>(log_[1].result);
    ASSERT_NE(shot, nullptr);
    ASSERT_NE(trail, nullptr);
    ASSERT_EQ(TShotProbe::EndEffectCount(*shot), 2u);
    EXPECT_EQ(TShotProbe::EndRecordId(*shot, 0), 603u);
    EXPECT_FLOAT_EQ(TShotProbe::EndColour(*shot, 0)[0], 0.8F);
    EXPECT_FLOAT_EQ(TShotProbe::EndScale(*shot, 0).y, 1.0F);
    EXPECT_FLOAT_EQ(TShotProbe::EndScale(*shot, 0).x, 0.6F);
    EXPECT_EQ(TShotProbe::EndRecordId(*shot, 1), 904u);
    EXPECT_FLOAT_EQ(TShotProbe::EndColour(*shot, 1)[2], 0.1F);
    EXPECT_FLOAT_EQ(TShotProbe::EndOffset(*shot, 1).y, 0.3F);

    // The right vector (-X) turned by -20 degrees about Y.
    auto* motion = dynamic_cast<TAccelMotion*>(TShotProbe::Motion(*shot));
    ASSERT_NE(motion, nullptr);
    EXPECT_NEAR(TCharacterProbe::Direction(*motion).x, -std::cos(0.349066F), 1e-5);
    EXPECT_NEAR(std::fabs(TCharacterProbe::Direction(*motion).z), std::sin(0.349066F), 1e-5);
    EXPECT_FLOAT_EQ(TCharacterProbe::Acceleration(*motion), 0.0F);
    EXPECT_FLOAT_EQ(TCharacterProbe::Speed(*motion), 0.2F);

    // One hit on the head, handed to the shot too, for the flight and the parts behind the head.
    ASSERT_EQ(TCharacterProbe::Hits(f).size(), 1u);
    auto* hit = dynamic_cast<TAttackHitTimedHeld*>(TCharacterProbe::Hits(f).front().Get());
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(TShotProbe::AttackHit(*shot), hit);
    EXPECT_EQ(shot->GetOwnerId(), static_cast<std::int32_t>(f.GetObjectId()));
    EXPECT_EQ(TMapProbe::Parent(*hit), shot->GetModelFrame());
    EXPECT_EQ(TMapProbe::Lifetime(*hit), 0u + 60u);
    EXPECT_EQ(TMapProbe::HitsLeft(*hit), 1u);
    EXPECT_EQ(hit->GetFlags(), 0x181u);
    EXPECT_EQ(hit->GetElement(), 1u);
    EXPECT_EQ(hit->GetBaseDamage(), 30u);
    EXPECT_FLOAT_EQ(TMapProbe::Radius(*hit), 0.7F);
    EXPECT_FLOAT_EQ(hit->GetLaunchSpeed(), 0.0F);

    auto* follow = dynamic_cast<THeldRandomOffsetMotion*>(TShotProbe::Motion(*trail));
    ASSERT_NE(follow, nullptr);
    EXPECT_EQ(TCharacterProbe::Held(*follow).Get(), shot->GetModelFrame());
    EXPECT_FLOAT_EQ(TCharacterProbe::Second(*follow).y, 0.1F);

    // The rock starts at the launch point and flies against its direction.
    D3DXVECTOR3 start;
    shot->GetModelFrame()->GetWorldPosition(&start);
    D3DXVECTOR3 body;
    f.GetPosition(&body);
    EXPECT_NEAR(start.x, body.x + 0.5F, 1e-5);
    EXPECT_NEAR(start.y, body.y + 1.0F, 1e-5);
    effects_->Update();
    D3DXVECTOR3 now;
    shot->GetModelFrame()->GetWorldPosition(&now);
    const D3DXVECTOR3 moved = start - 0.2F * TCharacterProbe::Direction(*motion);
    EXPECT_NEAR(now.x, moved.x, 1e-5);
    EXPECT_NEAR(now.y, moved.y, 1e-5);
    EXPECT_NEAR(now.z, moved.z, 1e-5);

    // Without an effect manager, or when 510 is no shot, nothing is made.
    TestFighter g;
    g.LaunchEffectAction(D3DXVECTOR3(0.0F, 0.0F, 0.0F), 1.0F, 0.2F);
    EXPECT_TRUE(TCharacterProbe::Hits(g).empty());
    f.DetachFromField();
}

}  // namespace
}  // namespace objtest
