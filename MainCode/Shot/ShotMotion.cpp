#include <cmath>

#include "MainCode/Character/TGameObject.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Shot/THomingArcMotion.h"
#include "MainCode/Shot/TOrbitMotion.h"

THomingArcMotion::THomingArcMotion(float step, float limit, std::uint32_t reserved, const D3DXVECTOR3& bulge,
                                   const D3DXVECTOR3& start, std::int32_t targetId, TAreaBase* area)
    : TCurveMotionBase(step, bulge, start, TargetCentre(area, targetId, start)),
      m_limit(limit),
      m_targetId(targetId),
      m_reserved(reserved),
      m_area(area)
{
}

D3DXVECTOR3 THomingArcMotion::TargetCentre(TAreaBase* area, std::int32_t id, const D3DXVECTOR3& fallback)
{
    const TGameObject* target = area != nullptr ? area->FindObject(static_cast<std::uint32_t>(id)) : nullptr;
    if (target == nullptr) {
        return fallback;
    }
    D3DXVECTOR3 p;
    target->GetPosition(&p);
    p.y += target->GetCenterHeight();
    return p;
}

void THomingArcMotion::Step(TMotionTarget* target)
{
    if (m_t < m_limit) {
        m_points[3] = TargetCentre(m_area, m_targetId, m_points[3]);
    }
    Advance(target);
}

TOrbitMotionBase::TOrbitMotionBase(const D3DXVECTOR3& centre, float angle, float radius, float angularStep,
                                   float growth, float maxRadius)
    : m_centre(centre),
      m_growth(growth),
      m_radius(radius),
      m_angularStep(angularStep),
      m_angle(angle),
      m_maxRadius(maxRadius)
{
}

D3DXVECTOR3 TOrbitMotionBase::Advance()
{
    m_angle += m_angularStep;
    m_radius += m_growth;
    if (m_radius > m_maxRadius) {
        m_radius = m_maxRadius;
    }
    return D3DXVECTOR3(std::sin(m_angle) * m_radius + m_centre.x, m_centre.y, std::cos(m_angle) * m_radius + m_centre.z);
}

void TOrbitMotionBase::Step(TMotionTarget* target) { target->GetMotionFrame()->SetPosition(Advance()); }

TOrbitMotion::TOrbitMotion(const D3DXVECTOR3& centre, float angle, float radius, float degreesPerStep, float growth,
                           float maxRadius, const TRefPtr<TFrame>& orbited, const D3DXVECTOR3& extra)
    : TOrbitMotionBase(centre, angle, radius, degreesPerStep * 0.017453292F, growth, maxRadius),
      m_extra(extra),
      m_orbited(orbited)
{
}

void TOrbitMotion::Step(TMotionTarget* target)
{
    D3DXVECTOR3 p = Advance();
    if (m_orbited.Get() != nullptr) {
        D3DXVECTOR3 around;
        m_orbited->GetWorldPosition(&around);
        p += around;
    }
    target->GetMotionFrame()->SetWorldPosition(p);
}

void TOrbitMotion::Apply(TMotionTarget* a, TMotionTarget* b) { a->SetMotionPoint(b->GetMotionPoint() + m_centre); }
