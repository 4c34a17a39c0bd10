// Shots in an effect test area that has a camera, with a fighter that owns their hits and records
// its sounds, and helpers to read where parts are and which texture cell they show.
#pragma once

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "MainCode/Character/TArmedCharacter.h"
#include "MainCode/Map/TAttackTable.h"
#include "MainCode/Map/TCamera.h"
#include "MainCode/Shot/TBulletPart.h"
#include "MainCode/Shot/TShotJ.h"
#include "MainCode/Shot/TShots.h"
#include "MainCode/Shot/TStarShot.h"
#include "effect_area_fixture.h"
#include "support/byte_writer.h"
#include "platform/d3dx8/d3dx8core.h"
#include "support/pattern_writer.h"

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

// An armed character that only records its sounds.
class Owner : public TArmedCharacter {
public:
    Owner()
        : TArmedCharacter(5, 1.0F, 1.5F, 1, 1, -0.02F, 1, 1, 1, 100, 100, 50, 50, 10, 20, 30, 40, 0.25F, 0.5F, 0.75F,
                          1.0F, 1.25F, 1.5F, "owner")
    {
    }
    bool Update() override { return true; }
    bool IsAirborneState() override { return false; }
    void OnHitDelivered(TArmedCharacter*, std::int32_t, std::int32_t, std::uint8_t) override {}
    bool IsActionState() override { return false; }
    bool IsHeld() override { return false; }
    void GetAttackParams(const TAttackRecord& record, TAttackPlacement& out) override
    {
        out.Parent = GetFrame();
        out.BaseDamage = record.Placement;
    }
    std::uint32_t ReactLight(std::uint32_t, std::int32_t, std::uint32_t, std::int32_t, std::uint8_t, float, float,
                             std::int32_t) override
    {
        return 0;
    }
    std::uint32_t ReactLight2(std::uint32_t, std::int32_t, std::uint32_t, std::int32_t, std::uint8_t, float, float,
                              std::int32_t) override
    {
        return 0;
    }
    std::uint32_t ReactLaunch(std::uint32_t, std::int32_t, std::uint32_t, std::int32_t, std::uint8_t, float, float,
                              float, std::int32_t) override
    {
        return 0;
    }
    std::uint32_t ReactStun(std::uint32_t, std::int32_t, std::uint32_t, std::int32_t, std::uint8_t, std::uint8_t, float,
                            float, std::int32_t) override
    {
        return 0;
    }
    std::uint32_t ReactHeavy(std::uint32_t, std::int32_t, std::uint32_t, std::int32_t, std::uint8_t, float, float,
                             std::int32_t) override
    {
        return 0;
    }
    void PlaySound(std::uint32_t id) override { sounds.push_back(id); }

    std::vector<std::uint32_t> sounds;
};

class ShotTest : public effecttest::EffectAreaTest {
protected:
    void SetUp() override
    {
        EffectAreaTest::SetUp();
        area_ = std::make_unique<CameraArea>();
        area_->Manager().SetCreateLog(&log_);
        TBulletPartA::ResetBuildCounter();
        TBulletPartB::ResetBuildCounter();
        TBulletPartC::ResetBuildCounter();
        TBulletPartH::ResetBuildCounter();
    }
    void TearDown() override
    {
        TAttackTable::Clear();
        EffectAreaTest::TearDown();
    }

    // The owner's pattern and weapon files beside its body.
    static void WriteOwnerFiles()
    {
        qmtest::SaveBytes("owner.pat", qmtest::BuildPatternFile({{TPatternEvent()}}));
        qmtest::WeponKey key;
        qmtest::SaveBytes("owner.wpm", qmtest::BuildWeponStateFile({key}, {{0}}));
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

    static constexpr float kOne[3] = {1.0F, 1.0F, 1.0F};
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
