// The fading ribbon that follows a character's weapon during attacks. Not an effect of the
// manager: the character makes its trails, steps them each frame and sets their colour and length
// for the weapon in use. Each frame the ribbon's edges shift by one, the newest edge running from
// the weapon frame to a point `length` behind it; when the owner stops asking for the trail the
// ribbon fades out over 25 frames.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "MainCode/Effect/TRibbonMesh.h"
#include "TCommon/TLinearRamp.h"
#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TFrame.h"

class TArmedCharacter;

class TAfterImage {
    friend struct TEffectProbe;
public:
    static constexpr std::int32_t kFadeFrames = 25;
    static constexpr std::int32_t kNotFading = -1;

    // A trail along follow for the owner; throws my_error naming the ribbon file when it is unfit.
    static std::unique_ptr<TAfterImage> Create(TFrame* follow, TArmedCharacter* owner);
    ~TAfterImage();
    TAfterImage(const TAfterImage&) = delete;
    TAfterImage& operator=(const TAfterImage&) = delete;

    // One frame, driven by the owner's action-state query.
    void Update();
    // Colour ramps and length for the weapon in use; kinds below 7 draw additively (4000).
    void SetRamp(float length, float red, float green, float blue, std::uint32_t kind);
    void Attach(TFrame* parent);
    void Detach();

private:
    TAfterImage(TFrame* follow, TArmedCharacter* owner);
    void TrailStep(bool restart);
    void SetEdge(TRibbonVertex* v, std::uint32_t e, const D3DXVECTOR3& nearEnd, const D3DXVECTOR3& farEnd);
    void Smooth(TRibbonVertex* v);

    TArmedCharacter* m_owner;
    bool m_lastQuery = false;
    std::int32_t m_fadeCounter = kNotFading;
    std::uint32_t m_mode = 4000;
    TFloatRamp m_red;
    TFloatRamp m_green;
    TFloatRamp m_blue;
    TFloatRamp m_alpha;
    float m_length = 1.0F;
    TFrame* m_follow;
    TRefPtr<TFrame> m_frame;
    // Held as well as hung under the weapon frame, so it outlives a weapon frame dropped first.
    TRefPtr<TFrame> m_endFrame;
    TMesh8* m_mesh = nullptr;
    // Rows of the ribbon, one per edge: three near vertices, three far.
    std::vector<TRibbonRow> m_edges;
};
