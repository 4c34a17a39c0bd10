// Stand-in for the shot classes until they come: a shot that flies by a motion helper, carries path
// records (frames an attack hit can ride on) and a delay, and keeps the coloured point sets it is
// given. Enough for the armed character's magic projectile.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "MainCode/Character/TMotionHelper.h"
#include "MainCode/Effect/TEffect.h"

class TLaunchShotStandIn : public TEffect, public TMotionTarget {
public:
    struct PointSet {
        std::uint32_t Id;
        float Colour[4];
        float Colour2[3];
        D3DXVECTOR3 Offset;
    };

    explicit TLaunchShotStandIn(const TRefPtr<TFrame>& frame) : TEffect(frame) {}

    // Steps the motion; ends after its delay and path records are used up.
    bool Update() override;
    TEffect* Clone() const override;

    // n path records, each a frame under the shot's frame.
    void SetPathRecordCount(std::size_t n);
    std::size_t GetPathRecordCount() const { return m_pathRecords.size(); }
    TFrame* GetPathFrame(std::size_t i) const { return m_pathRecords[i].Get(); }
    void SetDelay(std::uint32_t delay) { m_delay = delay; }
    std::uint32_t GetDelay() const { return m_delay; }
    void SetMotion(std::unique_ptr<TMotionHelper> motion) { m_motion = std::move(motion); }
    TMotionHelper* GetMotion() const { return m_motion.get(); }
    void AddPointSet(const PointSet& set) { m_pointSets.push_back(set); }
    const std::vector<PointSet>& GetPointSets() const { return m_pointSets; }

    TFrame* GetMotionFrame() override { return m_frame.Get(); }
    D3DXVECTOR3 GetMotionPoint() override;
    void SetMotionPoint(const D3DXVECTOR3& point) override { m_frame->SetWorldPosition(point); }

private:
    std::vector<TRefPtr<TFrame>> m_pathRecords;
    std::uint32_t m_delay = 0;
    std::uint32_t m_steps = 0;
    std::unique_ptr<TMotionHelper> m_motion;
    std::vector<PointSet> m_pointSets;
};
