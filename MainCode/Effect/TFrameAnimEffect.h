// Effects that play an animated model: one float clock drives the key-track time through a few
// phases (fade in, hold, loop, fade out) while an emissive colour ramps up and down. The concrete
// classes fix the model, the phase lengths and speeds, the phase order, which colour channels
// ramp, and what happens after each step.
#pragma once

#include <cstdint>
#include <string>

#include "MainCode/Effect/TEffect.h"

class TEffectManager;
class TGameObject;

class TFrameAnimEffect : public TEffect {
    friend struct TEffectProbe;
public:
    // RGB ramps the red, green and blue emissive (material type 4000); Alpha only the emissive
    // alpha (2100).
    enum class Channel { RGB, Alpha };
    using Phase = void (TFrameAnimEffect::*)();

    bool Update() override;
    void Init(std::int32_t serial, const D3DXVECTOR3* position, const D3DXVECTOR3* direction, TFrame* parent,
              TAreaBase* area, const float* colour) override;
    void ApplyMaterial() override;
    void SetScale(float x, float y, float z) override;
    // Runs after every phase step, also in the update whose phase killed the effect.
    virtual void PostStep() {}
    virtual void ApplyColour();
    virtual void AdvanceAnimation();

    // The phases; each first moves the clock by its step.
    void FadeIn();
    void FadeInThenFadeOut();
    void FadeInThenKill();
    void Hold();
    void HoldThenFadeOut();
    void CountedLoop();
    void LoopUntilFinish();
    void FadeOut();
    void ClampedFadeOut();

    float GetTime() const { return m_time; }

protected:
    TFrameAnimEffect(const std::string& modelName, Channel channel, float inEnd, float inStep, float holdEnd,
                     float holdStep);
    // A frame tree of its own; clock and colours start from zero, the phases as the source's.
    TFrameAnimEffect(const TFrameAnimEffect& other);

    void SetFadeOut(float outEnd, float outStep)
    {
        m_outEnd = outEnd;
        m_outStep = outStep;
    }
    void SetPhases(Phase first, Phase afterFadeIn)
    {
        m_phase = first;
        m_holdPhase = afterFadeIn;
    }
    void SetLoops(std::int32_t loops) { m_loops = loops; }

private:
    bool IsFadeInPhase() const;
    // A fade-in step, and the switch once the clock passed inEnd.
    bool StepFadeIn();
    void StepFadeOut(bool clamp);
    void ShowFullColour(bool apply);

    Channel m_channel;
    float m_time = 0.0F;
    float m_inEnd;
    float m_inStep;
    float m_inColourStep[4] = {0.0F, 0.0F, 0.0F, 0.0F};
    float m_holdEnd;
    float m_holdStep;
    std::int32_t m_loops = 0;
    float m_outEnd = 0.0F;
    float m_outStep = 0.0F;
    float m_outColourStep[4] = {0.0F, 0.0F, 0.0F, 0.0F};
    float m_current[4] = {0.0F, 0.0F, 0.0F, 0.0F};
    Phase m_holdPhase = &TFrameAnimEffect::Hold;
    Phase m_phase = &TFrameAnimEffect::FadeIn;
};

// An animation made by a character: it knows its area, plays its owner's sounds in clock windows
// and raises a follow-up effect where it ends.
class TOwnedAnimEffect : public TFrameAnimEffect {
    friend struct TEffectProbe;
public:
    // The area comes in as the extra argument.
    void Init(std::int32_t serial, const D3DXVECTOR3* position, const D3DXVECTOR3* direction, TFrame* parent,
              TAreaBase* area, const float* colour) override;

    // Written by the creator right after it made the effect.
    void SetOwnerId(std::int32_t id) { m_ownerId = id; }

protected:
    TOwnedAnimEffect(const std::string& modelName, Channel channel, float inEnd, float inStep, float holdEnd,
                     float holdStep, std::int32_t followId);
    TOwnedAnimEffect(const TOwnedAnimEffect& other);

    // The owner while it is in the area, else null.
    TGameObject* FindOwner() const;
    // One sound per stay of the clock inside a window: the latch opens again once outside.
    void PlayOnceWhile(bool inWindow, TGameObject* owner, std::uint32_t sound);
    // Creates the id at the frame's world position, under the frame's parent, white and unscaled.
    TEffect* CreateAtFrame(std::int32_t id, const D3DXVECTOR3& position, const D3DXVECTOR3& direction);
    // The follow-up at the end: a mesh effect learns who made it. Null when the id has no prototype.
    TEffect* CreateFollowUp(const D3DXVECTOR3& direction, TGameObject* owner);

    TEffectManager* m_effectManager = nullptr;
    TAreaBase* m_area = nullptr;
    std::int32_t m_ownerId = -2;
    bool m_soundLatch = false;
    std::int32_t m_followId;
};

// The sword edge: fades its alpha in, holds, then hands over to its follow-up mesh effect in the
// same placement.
class TEdgeAnimEffect : public TOwnedAnimEffect {
public:
    TEdgeAnimEffect(const std::string& modelName, std::int32_t followId);
    TEdgeAnimEffect(const TEdgeAnimEffect& other) = default;
    TEffect* Clone() const override { return new TEdgeAnimEffect(*this); }
    void PostStep() override;
};

// Ice growing in steps, a crack sound per step; the follow-up faces along the frame's Z axis.
class TIceAnimEffect : public TOwnedAnimEffect {
public:
    // The ice pillar's timing.
    TIceAnimEffect(const std::string& modelName, std::int32_t followId);
    // The ice field's faster timing; the flag only picks this constructor.
    TIceAnimEffect(const std::string& modelName, std::int32_t followId, bool field);
    TIceAnimEffect(const TIceAnimEffect& other) = default;
    TEffect* Clone() const override { return new TIceAnimEffect(*this); }
    void PostStep() override;
};

// Plain animations of the catalogue ramping their RGB emissive.
class TColourAnimEffect : public TFrameAnimEffect {
public:
    // One phase: fadeIn fades in over the clock to end and dies; otherwise fades out from full colour.
    TColourAnimEffect(const std::string& modelName, float end, float step, bool fadeIn);
    // Fade in, hold, fade out.
    TColourAnimEffect(const std::string& modelName, float inEnd, float inStep, float holdEnd, float holdStep,
                      float outEnd, float outStep);
    // Fade in, then loop the span inEnd..holdEnd loops times (-1: until Finish), then fade out.
    TColourAnimEffect(const std::string& modelName, float inEnd, float inStep, float holdEnd, float holdStep,
                      std::int32_t loops, float outEnd, float outStep);
    TColourAnimEffect(const TColourAnimEffect& other) = default;
    TEffect* Clone() const override { return new TColourAnimEffect(*this); }

protected:
    TColourAnimEffect(Channel channel, const std::string& modelName, float inEnd, float inStep, float holdEnd,
                      float holdStep, float outEnd, float outStep);
    TColourAnimEffect(Channel channel, const std::string& modelName, float inEnd, float inStep, float holdEnd,
                      float holdStep, std::int32_t loops, float outEnd, float outStep);
};

// The same phase orders ramping only the alpha.
class TAlphaAnimEffect : public TColourAnimEffect {
public:
    TAlphaAnimEffect(const std::string& modelName, float inEnd, float inStep, float holdEnd, float holdStep,
                     float outEnd, float outStep);
    TAlphaAnimEffect(const std::string& modelName, float inEnd, float inStep, float holdEnd, float holdStep,
                     std::int32_t loops, float outEnd, float outStep);
    TAlphaAnimEffect(const TAlphaAnimEffect& other) = default;
    TEffect* Clone() const override { return new TAlphaAnimEffect(*this); }
};
