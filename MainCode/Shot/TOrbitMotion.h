// Circling: around a fixed point of the moved frame's parent, or around a frame kept alive, on a
// radius that grows each step up to a maximum.
#pragma once

#include "MainCode/Character/TMotionHelper.h"
#include "TCommon/TRefPtr.h"

class TOrbitMotionBase : public TMotionHelper {
    friend struct TShotProbe;
public:
    // Angles in radians.
    TOrbitMotionBase(const D3DXVECTOR3& centre, float angle, float radius, float angularStep, float growth,
                     float maxRadius);

    void Orient(TMotionTarget* target, const TFrame* reference, const TFrame* targetFrame) override
    {
        LookAt(target, reference, targetFrame);
    }
    // The local position on the circle.
    void Step(TMotionTarget* target) override;

protected:
    // Angle and radius one step on; the point on the circle around the centre.
    D3DXVECTOR3 Advance();

    D3DXVECTOR3 m_centre;
    float m_growth;
    float m_radius;
    float m_angularStep;
    float m_angle;
    float m_maxRadius;
};

class TOrbitMotion : public TOrbitMotionBase {
    friend struct TShotProbe;
public:
    // The angular step is given in degrees a step; the frame is held while the motion lives.
    TOrbitMotion(const D3DXVECTOR3& centre, float angle, float radius, float degreesPerStep, float growth,
                 float maxRadius, const TRefPtr<TFrame>& orbited, const D3DXVECTOR3& extra);

    // The world point on the circle around the orbited frame.
    void Step(TMotionTarget* target) override;
    // a takes b's point moved by the centre offset.
    void Apply(TMotionTarget* a, TMotionTarget* b) override;

private:
    D3DXVECTOR3 m_extra;
    TRefPtr<TFrame> m_orbited;
};
