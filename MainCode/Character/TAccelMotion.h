// Moves against a direction, faster each step by the acceleration.
#pragma once

#include "MainCode/Character/TMotionHelper.h"

class TAccelMotion : public TMotionHelper {
public:
    // The direction is normalised.
    TAccelMotion(const D3DXVECTOR3& position, const D3DXVECTOR3& direction, float speed, float acceleration);

    void Orient(TMotionTarget*, const TFrame*, const TFrame*) override {}
    void Step(TMotionTarget* target) override;

    float GetSpeed() const { return m_speed; }
    float GetAcceleration() const { return m_acceleration; }
    const D3DXVECTOR3& GetDirection() const { return m_direction; }
    const D3DXVECTOR3& GetPosition() const { return m_position; }

protected:
    float m_speed;
    float m_acceleration;
    D3DXVECTOR3 m_direction;
    D3DXVECTOR3 m_position;
};
