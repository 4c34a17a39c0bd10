#include "MainCode/Map/TAttackHit.h"

#include <algorithm>

#include "MainCode/Character/TArmedCharacter.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TAttackHitHeld.h"
#include "MainCode/Map/TAttackHitTimed.h"
#include "MainCode/Map/TAttackHitTimedHeld.h"

TAttackHit::TAttackHit(std::uint32_t ownerId, TFrame* parent, const float* position, const TAttackHitParams& p)
    : m_frame(new TFrame("Hit", IdentityMatrix(), nullptr)),
      m_ownerId(ownerId),
      m_interval(p.Interval),
      m_flags(p.Flags),
      m_element(p.Element),
      m_param3(p.Param3),
      m_soundType(p.SoundType),
      m_cancelMask(p.CancelMask),
      m_baseDamage(p.BaseDamage),
      m_damageFactor(p.DamageFactor),
      m_radius(p.Radius),
      m_valueA(p.ValueA),
      m_knockTime(p.KnockTime),
      m_launchSpeed(p.LaunchSpeed),
      m_param8(p.Param8),
      m_parent(parent)
{
    if (parent != nullptr) {
        parent->AddChild(m_frame);
    }
    if (position != nullptr) {
        m_frame->SetPosition(D3DXVECTOR3(position[0], position[1], position[2]));
    }
}

TAttackHit::~TAttackHit() = default;

void TAttackHit::End()
{
    m_alive = 0;
    m_frame->Detach();
}

bool TAttackHit::Update()
{
    TickHitList();
    return m_alive != 0;
}

void TAttackHit::Cancel(std::uint32_t mask)
{
    if ((mask & m_cancelMask) != 0) {
        End();
    }
}

void TAttackHit::Kill() { End(); }

void TAttackHit::TickHitList()
{
    for (TAttackHitEntry& e : m_hitList) {
        e.Countdown -= e.Step;
    }
    std::erase_if(m_hitList, [](const TAttackHitEntry& e) { return e.Countdown == 0; });
}

bool TAttackHit::IsInHitList(const TGameObject* target) const
{
    const std::uint32_t id = target->GetObjectId();
    return std::any_of(m_hitList.begin(), m_hitList.end(),
                       [id](const TAttackHitEntry& e) { return e.TargetId == id; });
}

bool TAttackHit::Touches(const TGameObject* target) const
{
    D3DXVECTOR3 centre;
    target->GetFrame()->GetPosition(&centre);
    centre.y += target->GetCenterHeight();
    D3DXVECTOR3 own;
    m_frame->GetWorldPosition(&own);
    const D3DXVECTOR3 d = centre - own;
    return D3DXVec3Length(&d) < target->GetCenterHeight() + m_radius;
}

bool TAttackHit::CanStrike(TGameObject* target) const
{
    const auto* armed = dynamic_cast<const TArmedCharacter*>(target);
    return armed != nullptr && armed->GetHitImmunity() == 0 && !IsInHitList(target) && Touches(target);
}

void TAttackHit::Strike(TGameObject* target)
{
    static_cast<TArmedCharacter*>(target)->ReceiveHit(this);
}

bool TAttackHit::TurnFrameToward(TAreaBase* area, TFrame* frame, const TFrame* reference, bool fromHit) const
{
    const TFrame* source = m_frame.Get();
    if (!fromHit && area != nullptr) {
        if (const TGameObject* owner = area->FindObject(m_ownerId)) {
            source = owner->GetFrame();
        }
    }
    D3DXVECTOR3 p;
    if (!source->GetPositionRelativeTo(frame, &p)) {
        return true;
    }
    // A frame not yet in a scene takes its own up.
    frame->LookAtFrame(reference != nullptr ? reference : frame, source, TFrame::kLookUpright);
    if (p.z < 0.0F) {
        frame->RotateAxis(D3DXVECTOR3(0.0F, 1.0F, 0.0F), 3.14159274F, true);
        return true;
    }
    return false;
}

TAttackHitHeld::TAttackHitHeld(std::uint32_t ownerId, TFrame* parent, const float* position, std::uint32_t hitsLeft,
                               const TAttackHitParams& params)
    : TAttackHit(ownerId, parent, position, params), m_hitsLeft(hitsLeft)
{
}

void TAttackHitHeld::HitTest(TGameObject* target)
{
    if (!CanStrike(target)) {
        return;
    }
    --m_hitsLeft;
    Strike(target);
    m_landed = 1;
    m_hitList.push_back({target->GetObjectId(), m_interval != -1 ? 1u : 0u, static_cast<std::uint32_t>(m_interval)});
}

bool TAttackHitHeld::Update()
{
    if (m_hitsLeft == 0) {
        m_alive = 0;
        return false;
    }
    return TAttackHit::Update();
}

TAttackHitTimedHeld::TAttackHitTimedHeld(std::uint32_t ownerId, TFrame* parent, const float* position,
                                         std::uint32_t hitsLeft, std::uint32_t lifetime,
                                         const TAttackHitParams& params)
    : TAttackHitHeld(ownerId, parent, position, hitsLeft, params), m_lifetime(lifetime)
{
}

bool TAttackHitTimedHeld::Update()
{
    // A lifetime of 0 only runs out after wrapping round.
    if (m_lifetime-- == 1 || m_hitsLeft == 0) {
        m_alive = 0;
        return false;
    }
    return TAttackHit::Update();
}

namespace {

TAttackHitParams WithoutInterval(TAttackHitParams params)
{
    params.Interval = -1;
    return params;
}

}  // namespace

TAttackHitTimed::TAttackHitTimed(std::uint32_t ownerId, TFrame* parent, const float* position,
                                 std::uint32_t lifetime, const TAttackHitParams& params)
    : TAttackHit(ownerId, parent, position, WithoutInterval(params)), m_lifetime(lifetime)
{
}

void TAttackHitTimed::HitTest(TGameObject* target)
{
    if (!CanStrike(target)) {
        return;
    }
    Strike(target);
    m_hitList.push_back({target->GetObjectId(), 0u, 0xFFFFFFFFu});
}

bool TAttackHitTimed::Update()
{
    if (m_lifetime-- == 1) {
        m_alive = 0;
        return false;
    }
    return TAttackHit::Update();
}
