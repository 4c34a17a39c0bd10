// Moves against a direction, faster each step by the acceleration.
#pragma once

#include "MainCode/Character/TMotionHelper.h"

class TAccelMotion : public TMotionHelper {
    friend struct TCharacterProbe;
public:
    // The direction is normalised.
    TAccelMotion(const D3DXVECTOR3& position, const D3DXVECTOR3& direction, float speed, float acceleration);

    void Orient(TMotionTarget*, const TFrame*, const TFrame*) override {}
    void Step(TMotionTarget* target) override;

protected:
    float m_speed;
    float m_acceleration;
    D3DXVECTOR3 m_direction;
    D3DXVECTOR3 m_position;
};
