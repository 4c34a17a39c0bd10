#include "MainCode/Shot/TShot.h"

#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TCamera.h"

TShot::TShot(std::int32_t flightFrames, std::int32_t partCount, bool startParked)
    : TEffect(NewFrame("ShotRoot")), m_flightFrames(flightFrames), m_tailFrames(partCount), m_startParked(startParked)
{
}

TShot::TShot(const TShot& other)
    : TEffect(other.m_frame->Clone(nullptr)),
      m_flightFrames(other.m_flightFrames),
      m_tailFrames(other.m_tailFrames),
      m_ended(other.m_ended),
      m_startParked(other.m_startParked)
{
}

TShot::~TShot() = default;

void TShot::Init(std::int32_t serial, const D3DXVECTOR3* position, const D3DXVECTOR3* direction, TFrame* parent,
                 TAreaBase* area, const float* colour)
{
    TEffect::Init(serial, position, direction, parent, area, colour);
    if (area != nullptr) {
        m_sceneFrame = area->GetSceneFrame();
        m_cameraFrame = area->GetCamera() != nullptr ? area->GetCamera()->GetFrame() : nullptr;
    }
    const std::size_t n = GetPartCount();
    const float inverse = 1.0F / static_cast<float>(n);
    float step[4];
    float c[4];
    for (int k = 0; k < 4; ++k) {
        step[k] = m_colour[k] * inverse;
        c[k] = m_colour[k];
    }
    for (std::size_t i = 0; i < n; ++i) {
        TBulletPart& part = GetPart(i);
        part.Attach(m_frame.Get(), position, direction, c);
        for (int k = 0; k < 4; ++k) {
            c[k] -= step[k];
        }
        if (m_startParked) {
            part.Park();
        }
    }
}

bool TShot::Update()
{
    const std::size_t n = GetPartCount();
    for (std::size_t i = n - 1; i >= 1; --i) {
        TBulletPart& part = GetPart(i);
        part.Animate();
        if (m_motion) {
            m_motion->Apply(&part, &GetPart(i - 1));
            Orient(part);
        }
    }
    TBulletPart& head = GetPart(0);
    if (m_ended) {
        --m_tailFrames;
        if (m_tailFrames <= 0) {
            OnTailEnd();
            return false;
        }
        return m_alive;
    }
    if (m_motion) {
        m_motion->Step(&head);
        Orient(head);
    }
    if (m_flightFrames == kEndless) {
        return m_alive;
    }
    --m_flightFrames;
    // A count the firer set to 0 or below ends the flight as well, rather than running down into
    // the endless mark.
    if (m_flightFrames <= 0 || !IsHitAlive()) {
        m_ended = true;
        OnHeadEnd();
        head.Park();
    }
    return m_alive;
}

void TShot::Orient(TBulletPart& part)
{
    // Turning needs a camera to turn to; an area without one leaves the parts as they are.
    if (m_cameraFrame != nullptr) {
        m_motion->Orient(&part, m_sceneFrame, m_cameraFrame);
    }
}

void TShot::SetMotion(std::unique_ptr<TMotionHelper> motion) { m_motion = std::move(motion); }

void TShot::SetAttackHit(const TRefPtr<TAttackHit>& /*hit*/) {}

TFrame* TShot::GetModelFrame() const { return GetPart(0).GetFrame(); }

void TShot::AimParts(const D3DXVECTOR3& direction)
{
    for (std::size_t i = 0; i < GetPartCount(); ++i) {
        GetPart(i).GetFrame()->SetDirection(direction, D3DXVECTOR3(0.0F, 1.0F, 0.0F));
    }
}

void TShot::RotateParts(const D3DXVECTOR3& axis, float angle)
{
    // After the local matrix: about the root's axes.
    for (std::size_t i = 0; i < GetPartCount(); ++i) {
        GetPart(i).GetFrame()->RotateAxis(axis, angle, false);
    }
}
