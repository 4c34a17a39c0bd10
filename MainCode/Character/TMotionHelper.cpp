#include "MainCode/Character/TMotionHelper.h"

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Character/TAccelMotion.h"
#include "MainCode/Character/TArmedCharacter.h"
#include "MainCode/Character/THealingCurveMotion.h"
#include "MainCode/Character/THeldRandomOffsetMotion.h"
#include "MainCode/Map/TAreaBase.h"

namespace {

const D3DXVECTOR3 kUp(0.0F, 1.0F, 0.0F);

D3DXVECTOR3 Normalised(const D3DXVECTOR3& v)
{
    D3DXVECTOR3 out;
    D3DXVec3Normalize(&out, &v);
    return out;
}

D3DXVECTOR3 Cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    D3DXVECTOR3 out;
    D3DXVec3Cross(&out, &a, &b);
    return out;
}

// The target's frame position raised by dy; false when the area does not hold it.
bool FindTargetPoint(TAreaBase* area, std::uint32_t id, bool raiseByCentre, float dy, D3DXVECTOR3& out)
{
    const TGameObject* target = area != nullptr ? area->FindObject(id) : nullptr;
    if (target == nullptr) {
        return false;
    }
    target->GetPosition(&out);
    out.y += raiseByCentre ? target->GetCenterHeight() : dy;
    return true;
}

}  // namespace

void TMotionHelper::LookAt(TMotionTarget* target, const TFrame* reference, const TFrame* targetFrame)
{
    target->GetMotionFrame()->LookAtFrame(reference, targetFrame, TFrame::kLookAim);
}

TOffsetMotion::TOffsetMotion(TFrame* targetFrame, const D3DXVECTOR3& offset, const D3DXVECTOR3& second)
    : m_offset(offset), m_second(second), m_targetFrame(targetFrame)
{
}

void TOffsetMotion::Step(TMotionTarget* target)
{
    target->GetMotionFrame()->SetPositionRelativeTo(m_targetFrame, m_offset);
}

void TOffsetMotion::Apply(TMotionTarget* a, TMotionTarget* b) { a->SetMotionPoint(b->GetMotionPoint() + m_second); }

TRandomOffsetMotion::TRandomOffsetMotion(TFrame* targetFrame, const D3DXVECTOR3& offset, const D3DXVECTOR3& second,
                                         float divisorX, float divisorY, float divisorZ)
    : TOffsetMotion(targetFrame, offset, second), m_divisors{divisorX, divisorY, divisorZ}
{
}

void TRandomOffsetMotion::Step(TMotionTarget* target)
{
    float p[3] = {m_offset.x, m_offset.y, m_offset.z};
    for (int axis = 0; axis < 3; ++axis) {
        const std::int32_t r = static_cast<std::int32_t>((genrand_int32() >> 1) & 0x7F) - 64;
        p[axis] += static_cast<float>(r) / m_divisors[axis];
    }
    target->GetMotionFrame()->SetPositionRelativeTo(m_targetFrame, D3DXVECTOR3(p[0], p[1], p[2]));
}

THeldRandomOffsetMotion::THeldRandomOffsetMotion(const TRefPtr<TFrame>& held, const D3DXVECTOR3& offset,
                                                 const D3DXVECTOR3& second, float divisorX, float divisorY,
                                                 float divisorZ)
    : TRandomOffsetMotion(held.Get(), offset, second, divisorX, divisorY, divisorZ), m_held(held)
{
}

TAccelMotion::TAccelMotion(const D3DXVECTOR3& position, const D3DXVECTOR3& direction, float speed, float acceleration)
    : m_speed(speed), m_acceleration(acceleration), m_direction(Normalised(direction)), m_position(position)
{
}

void TAccelMotion::Step(TMotionTarget* target)
{
    m_speed += m_acceleration;
    m_position -= m_speed * m_direction;
    target->GetMotionFrame()->SetPosition(m_position);
}

TCurveMotionBase::TCurveMotionBase(float step, const D3DXVECTOR3& bend, const D3DXVECTOR3& start,
                                   const D3DXVECTOR3& end)
    : m_step(step)
{
    m_points[0] = start;
    m_points[3] = end;
    const D3DXVECTOR3 d = Normalised(end - start);
    const D3DXVECTOR3 side = Normalised(Cross(kUp, d));
    const D3DXVECTOR3 forward = Normalised(Cross(side, kUp));
    m_points[1] = start + bend.x * side + bend.y * kUp + bend.z * forward;
    m_points[2] = m_points[1];
}

void TCurveMotionBase::Advance(TMotionTarget* target)
{
    m_t += m_step;
    const float t = m_t;
    const float s = 1.0F - t;
    const D3DXVECTOR3 p = m_points[0] * (s * s * s) + m_points[1] * (3.0F * t * s * s) +
                          m_points[2] * (3.0F * t * t * s) + m_points[3] * (t * t * t);
    target->GetMotionFrame()->SetPosition(p);
}

void TCurveMotionBase::Step(TMotionTarget* target) { Advance(target); }

THomingCurveMotion::THomingCurveMotion(float step, const D3DXVECTOR3& bend, const D3DXVECTOR3& start,
                                       const D3DXVECTOR3& end, TAreaBase* area, std::uint32_t targetId,
                                       float homingEnd, float heightOffset)
    : TCurveMotionBase(step, bend, start, end),
      m_area(area),
      m_targetId(targetId),
      m_homingEnd(homingEnd),
      m_heightOffset(heightOffset)
{
    FindTargetPoint(m_area, m_targetId, true, 0.0F, m_points[3]);
    // The bend is taken in the axes of the line to the end that was found.
    const D3DXVECTOR3 d = Normalised(m_points[3] - start);
    const D3DXVECTOR3 s = Normalised(Cross(kUp, d));
    const D3DXVECTOR3 u = Normalised(Cross(d, s));
    m_points[1] = start + bend.x * s + bend.y * u + bend.z * d;
    m_points[2] = m_points[1];
}

void THomingCurveMotion::Step(TMotionTarget* target)
{
    if (m_t < m_homingEnd) {
        FindTargetPoint(m_area, m_targetId, false, m_heightOffset, m_points[3]);
    }
    Advance(target);
}

THealingCurveMotion::THealingCurveMotion(float step, const D3DXVECTOR3& bend, const D3DXVECTOR3& start,
                                         const D3DXVECTOR3& end, TAreaBase* area, std::uint32_t targetId,
                                         float homingEnd, float heightOffset, std::int32_t healAmount)
    : THomingCurveMotion(step, bend, start, end, area, targetId, homingEnd, heightOffset), m_healAmount(healAmount)
{
}

void THealingCurveMotion::Step(TMotionTarget* target)
{
    THomingCurveMotion::Step(target);
    if (m_t > 0.98F && m_area != nullptr) {
        if (auto* armed = dynamic_cast<TArmedCharacter*>(m_area->FindObject(m_targetId))) {
            armed->RecoverHp(m_healAmount);
        }
    }
}
