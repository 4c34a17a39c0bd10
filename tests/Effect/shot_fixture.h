// Shots in an effect test area that has a camera, and helpers to read where parts are and which
// texture cell they show.
#pragma once

#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "MainCode/Map/TAttackHitTimed.h"
#include "MainCode/Map/TAttackTable.h"
#include "MainCode/Map/TCamera.h"
#include "MainCode/Shot/TBulletPart.h"
#include "MainCode/Shot/TShotJ.h"
#include "MainCode/Shot/TShots.h"
#include "MainCode/Shot/TStarShot.h"
#include "MainCode/TRunState.h"
#include "effect_area_fixture.h"
#include "platform/d3dx8/d3dx8core.h"

namespace shottest {

// The effect test area with a camera 5 back and 2 up, looking along +z.
class CameraArea : public qmtest::EffectTestArea {
public:
    CameraArea() : m_viewCamera(m_camera)
    {
        m_camera = TRefPtr<TCamera>(new TCamera(TCamera::kFollowMode, Scene(), nullptr, nullptr));
        D3DXMATRIX m;
        m_camera->GetFrame()->SetMatrix(*D3DXMatrixTranslation(&m, 0.0F, 2.0F, -5.0F));
    }

private:
    TRefPtr<TCamera> m_viewCamera;  // the view's camera stays under the scene
};

class ShotTest : public effecttest::EffectAreaTest {
protected:
    void SetUp() override
    {
        EffectAreaTest::SetUp();
        area_ = std::make_unique<CameraArea>();
        creates_.Start(&area_->Manager(), &log_);
        effecttest::AlignCellCounters();
        cellBase_ = {TRunState::Current().bulletPartCounters[0], TRunState::Current().bulletPartCounters[1], TRunState::Current().bulletPartCounters[2],
                     TRunState::Current().bulletPartCounters[3]};
    }
    void TearDown() override
    {
        TAttackTable::Clear();
        EffectAreaTest::TearDown();
    }

    // A new prototype registered under id; the manager owns it.
    template <class Shot, class... Args>
    Shot* Register(std::uint32_t id, Args&&... args)
    {
        auto* shot = new Shot(std::forward<Args>(args)...);
        Add(id, shot);
        return shot;
    }
    template <class Shot>
    Shot* Fire(std::uint32_t id, const D3DXVECTOR3& at, const D3DXVECTOR3& heading = D3DXVECTOR3(0.0F, 0.0F, 1.0F),
               const float* colour = nullptr)
    {
        const float white[4] = {1.0F, 1.0F, 1.0F, 1.0F};
        return dynamic_cast<Shot*>(Create(id, at, heading, colour != nullptr ? colour : white));
    }
    // Updates until the shot answers false (or limit); how many answered alive.
    static int AliveUpdates(TShot* shot, int limit = 1000)
    {
        int n = 0;
        while (n < limit && shot->Update()) {
            ++n;
        }
        return n;
    }

    static void RunOut(TShot* shot) { AliveUpdates(shot, 1 << 20); }
    // A hit of the owner riding on the shot's model.
    static TRefPtr<TAttackHit> HitOn(TShot* shot, std::uint32_t owner = 7)
    {
        return TRefPtr<TAttackHit>(
            new TAttackHitTimed(owner, shot->GetModelFrame(), nullptr, 1000, TAttackHitParams()));
    }

    static constexpr float kOne[3] = {1.0F, 1.0F, 1.0F};
    // The counters of the part classes A, B, C and H when the test began.
    std::array<std::uint32_t, 4> cellBase_{};
};

inline D3DXVECTOR3 WorldOf(const TBulletPart& part)
{
    D3DXVECTOR3 p;
    part.GetWorldPosition(&p);
    return p;
}

inline bool IsParked(const TBulletPart& part)
{
    D3DXVECTOR3 p;
    part.GetFrame()->GetPosition(&p);
    return p.x == TBulletPart::kParkedAt && p.y == TBulletPart::kParkedAt && p.z == TBulletPart::kParkedAt;
}

// The (u, v) of the part mesh's first four vertices, read back from key frame 0.
inline std::vector<float> QuadUv(TMesh8* mesh)
{
    const DWORD fvf = mesh->GetFVF();
    const UINT stride = D3DXGetFVFVertexSize(fvf);
    const UINT offset = D3DXGetFVFVertexSize(fvf & ~static_cast<DWORD>(D3DFVF_TEXCOUNT_MASK));
    const auto* bytes = static_cast<const std::uint8_t*>(mesh->LockVerticesReadOnly(0));
    std::vector<float> uv(8);
    for (int i = 0; i < 4; ++i) {
        std::memcpy(&uv[2 * i], bytes + i * stride + offset, 2 * sizeof(float));
    }
    return uv;
}

}  // namespace shottest
