// One status-effect icon of the group over the player: a small turned mesh on a frame of its own
// that flies to its place on the group's circle, fades in, and rises and fades out when its status
// ends.
#pragma once

#include <cstdint>
#include <string>

#include "TCommon/TLinearRamp.h"
#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TFrame.h"
#include "platform/d3dx8/d3dx8math.h"

class TStateIcon {
    friend struct THudProbe;
public:
    static constexpr std::int32_t kMoveSteps = 60;
    static constexpr std::int32_t kFadeSteps = 50;

    // Loads the mesh (my_error when it cannot be read), half turned about y and scaled to 0.4.
    TStateIcon(const std::string& meshName, std::int32_t index);
    virtual ~TStateIcon();
    TStateIcon(const TStateIcon&) = delete;
    TStateIcon& operator=(const TStateIcon&) = delete;

    // The place of entry j of n on the group's circle (its centre when alone).
    static D3DXVECTOR3 SlotPosition(std::int32_t n, std::int32_t j);

    // The state's step, then the icon turned to the camera; false once it has finished leaving.
    bool Step(TFrame* parent, TFrame* camera);
    // Hung on the root and flying to slot j of n (out of the centre when there are several).
    void Show(const TRefPtr<TFrame>& root, std::int32_t n, std::int32_t j);
    // From where it is to slot j of n.
    void Relayout(std::int32_t n, std::int32_t j);
    // Rising 2.0 from where it is while it fades out; nothing for an icon idle or already leaving.
    void StartLeaving();

    bool IsShown() const { return m_state != &TStateIcon::StateIdle; }
    bool IsLeaving() const { return m_state == &TStateIcon::StateLeaving; }

private:
    using State = bool (TStateIcon::*)();
    bool StateIdle();
    bool StateMoving();
    bool StateShown();
    bool StateLeaving();
    void StartMove(const D3DXVECTOR3& start, const D3DXVECTOR3& target);
    void PlaceOnPath();
    D3DXVECTOR3 Position() const;

    TRefPtr<TFrame> m_frame;
    TLinearRamp m_move;
    TLinearRamp m_fade;
    D3DXVECTOR3 m_start{0.0F, 0.0F, 0.0F};
    D3DXVECTOR3 m_target{0.0F, 0.0F, 0.0F};
    std::int32_t m_index;
    State m_state;
};
