#include "MainCode/Effect/TFrameAnimEffect.h"

#include <algorithm>

#include "MainCode/Character/TGameObject.h"
#include "MainCode/Effect/EffectPlacement.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/Effect/TSmashEffect.h"
#include "MainCode/Map/TAreaBase.h"
#include "dx/dx8/3d/TMeshMaterial.h"

namespace {

constexpr std::uint32_t kSoundSlash = 504;
constexpr std::uint32_t kSoundEdgeEnd = 505;
constexpr float kWhite[4] = {1.0F, 1.0F, 1.0F, 1.0F};
constexpr float kUnitScale[3] = {1.0F, 1.0F, 1.0F};

// The colour reached after q steps, per step; nothing for a span of zero steps.
void StepTowards(float out[4], const float colour[4], float q)
{
    if (q == 0.0F) {
        return;
    }
    const float per = 1.0F / q;
    for (int i = 0; i < 4; ++i) {
        out[i] = colour[i] * per;
    }
}

}  // namespace

// ---- TFrameAnimEffect ----

TFrameAnimEffect::TFrameAnimEffect(const std::string& modelName, Channel channel, float inEnd, float inStep,
                                   float holdEnd, float holdStep)
    : TEffect(TRefPtr<TFrame>()),
      m_channel(channel),
      m_inEnd(inEnd),
      m_inStep(inStep),
      m_holdEnd(holdEnd),
      m_holdStep(holdStep)
{
    LoadModel(modelName);
}

TFrameAnimEffect::TFrameAnimEffect(const TFrameAnimEffect& other)
    : TEffect(TRefPtr<TFrame>()),
      m_channel(other.m_channel),
      m_inEnd(other.m_inEnd),
      m_inStep(other.m_inStep),
      m_holdEnd(other.m_holdEnd),
      m_holdStep(other.m_holdStep),
      m_loops(other.m_loops),
      m_outEnd(other.m_outEnd),
      m_outStep(other.m_outStep),
      m_holdPhase(other.m_holdPhase),
      m_phase(other.m_phase)
{
    if (other.m_frame.Get() != nullptr) {
        m_frame = other.m_frame->Clone(nullptr);
    }
}

bool TFrameAnimEffect::IsFadeInPhase() const
{
    return m_phase == &TFrameAnimEffect::FadeIn || m_phase == &TFrameAnimEffect::FadeInThenFadeOut ||
           m_phase == &TFrameAnimEffect::FadeInThenKill;
}

void TFrameAnimEffect::Init(std::int32_t serial, const D3DXVECTOR3* position, const D3DXVECTOR3* direction,
                            TFrame* parent, TAreaBase* area, const float* colour)
{
    TEffect::Init(serial, position, direction, parent, area, colour);
    // Without a fade-in the effect starts at full colour.
    if (!IsFadeInPhase()) {
        std::copy(m_colour, m_colour + 4, m_current);
    }
    if (m_frame.Get() != nullptr) {
        m_frame->SetEmissive(m_colour[0], m_colour[1], m_colour[2], m_colour[3], true, false);
    }
    if (m_inStep != 0.0F) {
        StepTowards(m_inColourStep, m_colour, m_inEnd / m_inStep);
    }
    if (m_outStep != 0.0F) {
        // A fade-out that ends where the hold ends runs over the whole clock.
        const float span = m_outEnd == m_holdEnd ? m_outEnd : m_outEnd - m_holdEnd;
        StepTowards(m_outColourStep, m_colour, span / m_outStep);
    }
}

void TFrameAnimEffect::ApplyMaterial()
{
    if (m_frame.Get() != nullptr) {
        m_frame->SetMaterialType(m_channel == Channel::Alpha ? TMeshMaterial::kAlphaNotCull : TMeshMaterial::kAdd,
                                 true, false);
    }
}

void TFrameAnimEffect::SetScale(float x, float y, float z)
{
    if (m_frame.Get() != nullptr) {
        m_frame->Scale(x, y, z, true);
    }
}

void TFrameAnimEffect::ApplyColour()
{
    if (m_frame.Get() == nullptr) {
        return;
    }
    if (m_channel == Channel::Alpha) {
        m_frame->SetEmissiveAlpha(m_current[3], true, false);
    } else {
        m_frame->SetEmissiveRGB(m_current[0], m_current[1], m_current[2], true, false);
    }
}

void TFrameAnimEffect::AdvanceAnimation()
{
    if (m_frame.Get() != nullptr) {
        m_frame->SetAnimationTime(m_time);
    }
}

bool TFrameAnimEffect::Update()
{
    (this->*m_phase)();
    PostStep();
    return m_alive;
}

void TFrameAnimEffect::ShowFullColour(bool apply)
{
    std::copy(m_colour, m_colour + 4, m_current);
    if (apply) {
        ApplyColour();
    }
}

bool TFrameAnimEffect::StepFadeIn()
{
    m_time += m_inStep;
    AdvanceAnimation();
    for (int i = 0; i < 4; ++i) {
        m_current[i] += m_inColourStep[i];
    }
    ApplyColour();
    return m_time > m_inEnd;
}

void TFrameAnimEffect::FadeIn()
{
    if (StepFadeIn()) {
        m_phase = m_holdPhase;
        ShowFullColour(true);
    }
}

void TFrameAnimEffect::FadeInThenFadeOut()
{
    if (StepFadeIn()) {
        m_phase = &TFrameAnimEffect::FadeOut;
        ShowFullColour(true);
    }
}

void TFrameAnimEffect::FadeInThenKill()
{
    if (StepFadeIn()) {
        Kill();
    }
}

void TFrameAnimEffect::Hold()
{
    m_time += m_holdStep;
    AdvanceAnimation();
    if (m_time > m_holdEnd) {
        Kill();
    }
}

void TFrameAnimEffect::HoldThenFadeOut()
{
    m_time += m_holdStep;
    AdvanceAnimation();
    if (m_time > m_holdEnd) {
        m_phase = &TFrameAnimEffect::FadeOut;
        ShowFullColour(false);
    }
}

void TFrameAnimEffect::CountedLoop()
{
    const float t = m_time + m_holdStep;
    m_time = t;
    if (t > m_holdEnd) {
        --m_loops;
        if (m_loops == 0) {
            m_phase = &TFrameAnimEffect::FadeOut;
            ShowFullColour(false);
        }
        m_time = m_inEnd;
    }
    AdvanceAnimation();
}

void TFrameAnimEffect::LoopUntilFinish()
{
    const float t = m_time + m_holdStep;
    m_time = t;
    if (m_finish) {
        m_phase = &TFrameAnimEffect::ClampedFadeOut;
        ShowFullColour(false);
        m_time = m_inEnd;
    } else if (t > m_holdEnd) {
        m_time = m_inEnd;
    }
    AdvanceAnimation();
}

void TFrameAnimEffect::StepFadeOut(bool clamp)
{
    m_time += m_outStep;
    AdvanceAnimation();
    for (int i = 0; i < 4; ++i) {
        m_current[i] -= m_outColourStep[i];
        if (clamp && m_current[i] < 0.0F) {
            m_current[i] = 0.0F;
        }
    }
    ApplyColour();
    if (m_time > m_outEnd) {
        Kill();
    }
}

void TFrameAnimEffect::FadeOut() { StepFadeOut(false); }

void TFrameAnimEffect::ClampedFadeOut() { StepFadeOut(true); }

// ---- TOwnedAnimEffect ----

TOwnedAnimEffect::TOwnedAnimEffect(const std::string& modelName, Channel channel, float inEnd, float inStep,
                                   float holdEnd, float holdStep, std::int32_t followId)
    : TFrameAnimEffect(modelName, channel, inEnd, inStep, holdEnd, holdStep), m_followId(followId)
{
}

TOwnedAnimEffect::TOwnedAnimEffect(const TOwnedAnimEffect& other)
    : TFrameAnimEffect(other), m_followId(other.m_followId)
{
}

void TOwnedAnimEffect::Init(std::int32_t serial, const D3DXVECTOR3* position, const D3DXVECTOR3* direction,
                            TFrame* parent, TAreaBase* area, const float* colour)
{
    TFrameAnimEffect::Init(serial, position, direction, parent, area, colour);
    m_area = area;
    m_effectManager = area != nullptr ? area->GetEffectManager() : nullptr;
    m_soundLatch = false;
}

TGameObject* TOwnedAnimEffect::FindOwner() const
{
    return m_area != nullptr ? m_area->FindObject(static_cast<std::uint32_t>(m_ownerId)) : nullptr;
}

void TOwnedAnimEffect::PlayOnceWhile(bool inWindow, TGameObject* owner, std::uint32_t sound)
{
    if (!inWindow) {
        m_soundLatch = false;
        return;
    }
    if (!m_soundLatch && owner != nullptr) {
        m_soundLatch = true;
        owner->PlaySound(sound);
    }
}

TEffect* TOwnedAnimEffect::CreateAtFrame(std::int32_t id, const D3DXVECTOR3& position, const D3DXVECTOR3& direction)
{
    if (m_effectManager == nullptr) {
        return nullptr;
    }
    TFrame* parent = m_frame.Get() != nullptr ? m_frame->GetParent() : nullptr;
    return m_effectManager->Create(static_cast<std::uint32_t>(id), &position, &direction, parent, m_area, kWhite,
                                   kUnitScale);
}

TEffect* TOwnedAnimEffect::CreateFollowUp(const D3DXVECTOR3& direction, TGameObject* owner)
{
    TEffect* follow = CreateAtFrame(m_followId, FrameWorldPosition(m_frame.Get()), direction);
    // Only a mesh effect strikes for an owner; other classes have no owner to learn.
    if (auto* mesh = dynamic_cast<TMeshEffect*>(follow)) {
        mesh->SetOwnerId(owner != nullptr ? static_cast<std::int32_t>(owner->GetObjectId()) : -2);
    }
    return follow;
}

// ---- TEdgeAnimEffect ----

TEdgeAnimEffect::TEdgeAnimEffect(const std::string& modelName, std::int32_t followId)
    : TOwnedAnimEffect(modelName, Channel::Alpha, 20.0F, 3.0F, 29.0F, 0.4F, followId)
{
}

void TEdgeAnimEffect::PostStep()
{
    TGameObject* owner = FindOwner();
    const float t = GetTime();
    PlayOnceWhile(1.0F < t && t < 4.0F, owner, kSoundSlash);
    if (m_alive) {
        return;
    }
    TEffect* follow = CreateFollowUp(D3DXVECTOR3(0.0F, 0.0F, 1.0F), owner);
    // The follow-up takes the edge's exact placement under the same parent.
    if (follow != nullptr && follow->GetFrame() != nullptr && m_frame.Get() != nullptr) {
        follow->GetFrame()->SetMatrix(*m_frame->GetMatrix());
    }
    if (owner != nullptr) {
        owner->PlaySound(kSoundEdgeEnd);
    }
}

// ---- TIceAnimEffect ----

TIceAnimEffect::TIceAnimEffect(const std::string& modelName, std::int32_t followId)
    : TOwnedAnimEffect(modelName, Channel::RGB, 2.0F, 0.2F, 5.0F, 0.2F, followId)
{
}

TIceAnimEffect::TIceAnimEffect(const std::string& modelName, std::int32_t followId, bool /*field*/)
    : TOwnedAnimEffect(modelName, Channel::RGB, 1.0F, 0.1F, 2.0F, 0.1F, followId)
{
}

void TIceAnimEffect::PostStep()
{
    TGameObject* owner = FindOwner();
    const float t = GetTime();
    // One crack in each of the first four half-steps of every clock unit.
    bool inWindow = false;
    for (float start = 1.0F; start <= 4.0F; start += 1.0F) {
        inWindow = inWindow || (start < t && t < start + 0.5F);
    }
    PlayOnceWhile(inWindow, owner, kSoundSlash);
    if (m_alive) {
        return;
    }
    CreateFollowUp(FrameWorldAxis(m_frame.Get(), 3), owner);
    if (owner != nullptr) {
        owner->PlaySound(kSoundSlash);
    }
}

// ---- TColourAnimEffect, TAlphaAnimEffect ----

TColourAnimEffect::TColourAnimEffect(const std::string& modelName, float end, float step, bool fadeIn)
    : TFrameAnimEffect(modelName, Channel::RGB, fadeIn ? end : 0.0F, fadeIn ? step : 0.0F, 0.0F, 0.0F)
{
    if (fadeIn) {
        SetPhases(&TFrameAnimEffect::FadeInThenKill, &TFrameAnimEffect::Hold);
    } else {
        SetFadeOut(end, step);
        SetPhases(&TFrameAnimEffect::FadeOut, &TFrameAnimEffect::Hold);
    }
}

TColourAnimEffect::TColourAnimEffect(const std::string& modelName, float inEnd, float inStep, float holdEnd,
                                     float holdStep, float outEnd, float outStep)
    : TColourAnimEffect(Channel::RGB, modelName, inEnd, inStep, holdEnd, holdStep, outEnd, outStep)
{
}

TColourAnimEffect::TColourAnimEffect(const std::string& modelName, float inEnd, float inStep, float holdEnd,
                                     float holdStep, std::int32_t loops, float outEnd, float outStep)
    : TColourAnimEffect(Channel::RGB, modelName, inEnd, inStep, holdEnd, holdStep, loops, outEnd, outStep)
{
}

TColourAnimEffect::TColourAnimEffect(Channel channel, const std::string& modelName, float inEnd, float inStep,
                                     float holdEnd, float holdStep, float outEnd, float outStep)
    : TFrameAnimEffect(modelName, channel, inEnd, inStep, holdEnd, holdStep)
{
    SetFadeOut(outEnd, outStep);
    SetPhases(&TFrameAnimEffect::FadeIn, &TFrameAnimEffect::HoldThenFadeOut);
}

TColourAnimEffect::TColourAnimEffect(Channel channel, const std::string& modelName, float inEnd, float inStep,
                                     float holdEnd, float holdStep, std::int32_t loops, float outEnd, float outStep)
    : TFrameAnimEffect(modelName, channel, inEnd, inStep, holdEnd, holdStep)
{
    SetFadeOut(outEnd, outStep);
    SetLoops(loops);
    SetPhases(&TFrameAnimEffect::FadeIn,
              loops != -1 ? &TFrameAnimEffect::CountedLoop : &TFrameAnimEffect::LoopUntilFinish);
}

TAlphaAnimEffect::TAlphaAnimEffect(const std::string& modelName, float inEnd, float inStep, float holdEnd,
                                   float holdStep, float outEnd, float outStep)
    : TColourAnimEffect(Channel::Alpha, modelName, inEnd, inStep, holdEnd, holdStep, outEnd, outStep)
{
}

TAlphaAnimEffect::TAlphaAnimEffect(const std::string& modelName, float inEnd, float inStep, float holdEnd,
                                   float holdStep, std::int32_t loops, float outEnd, float outStep)
    : TColourAnimEffect(Channel::Alpha, modelName, inEnd, inStep, holdEnd, holdStep, loops, outEnd, outStep)
{
}
