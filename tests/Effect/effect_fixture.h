// A device and the generated effect folder, and a scripted effect that logs what is done to it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "MainCode/Effect/TEffect.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/Effect/TParticleEffect.h"
#include "MainCode/Shot/TBulletPart.h"
#include "MainCode/TRunState.h"
#include "TCommon/my_error.h"
#include "dx/dx8/3d/TFrame.h"
#include "dx/dx8/3d/TMesh8.h"
#include "dx/dx8/3d/TTexture8.h"
#include "support/device_fixture.h"
#include "formats/effect_assets.h"

namespace effecttest {

class EffectFolder : public qmtest::DeviceFixture {
protected:
    void SetUp() override
    {
        DeviceFixture::SetUp();
        WriteWindowedSettings();
        ASSERT_TRUE(InitDevice());
        TEffectManager::SetFolder("effect/");
        TFrame::SetDirectory("frm/");
        TMesh8::SetDirectory("msh/");
        TTexture8::SetDirectory("ptx/");
        qmtest::WriteEffectAssets(dir_.Path());
    }
    void TearDown() override
    {
        TTexture8::PurgeCache(1);
        TEffectManager::SetFolder("");
        TFrame::SetDirectory("");
        TMesh8::SetDirectory("");
        TTexture8::SetDirectory("");
        DeviceFixture::TearDown();
    }
};

// What the scripted effects did, in order ("update 3", "scale", "detach 3", "gone 3" ...).
struct Journal {
    std::vector<std::string> events;
    int clones = 0;
    int destroyed = 0;
    std::vector<float> scale;
};

// Answers its update from a script (true until `life` updates ran), and may create another
// effect from its update. Without a journal it does nothing that allocates.
class ScriptedEffect : public TEffect {
public:
    ScriptedEffect(Journal* journal, int life) : TEffect(NewFrame("scripted")), m_journal(journal), m_life(life) {}
    ScriptedEffect(const ScriptedEffect& o)
        : TEffect(NewFrame("scripted")),
          m_journal(o.m_journal),
          m_life(o.m_life),
          m_spawner(o.m_spawner),
          m_spawnId(o.m_spawnId)
    {
        if (m_journal != nullptr) {
            ++m_journal->clones;
        }
    }
    ~ScriptedEffect() override
    {
        if (m_journal != nullptr) {
            ++m_journal->destroyed;
            m_journal->events.push_back("gone " + std::to_string(m_serial));
        }
    }

    bool Update() override
    {
        Log("update");
        if (m_spawner != nullptr) {
            TEffectManager* spawner = m_spawner;
            m_spawner = nullptr;  // once
            spawner->Create(m_spawnId, nullptr, nullptr, GetFrame()->GetParent(), nullptr, nullptr, nullptr);
        }
        if (m_life > 0) {
            --m_life;
        }
        return m_alive && m_life != 0;
    }
    bool Detach() override
    {
        Log("detach");
        return TEffect::Detach();
    }
    void SetScale(float x, float y, float z) override
    {
        if (m_journal != nullptr) {
            m_journal->events.push_back("scale");
            m_journal->scale = {x, y, z};
        }
    }
    TEffect* Clone() const override { return new ScriptedEffect(*this); }

    // Clones made after this create the id through the manager in their first update.
    void SpawnOnUpdate(TEffectManager* manager, std::uint32_t id)
    {
        m_spawner = manager;
        m_spawnId = id;
    }

private:
    void Log(const char* what)
    {
        if (m_journal != nullptr) {
            m_journal->events.push_back(std::string(what) + " " + std::to_string(m_serial));
        }
    }

    Journal* m_journal;
    int m_life;  // -1: endless
    TEffectManager* m_spawner = nullptr;
    std::uint32_t m_spawnId = 0;
};

// Hands out throwaway cells until every atlas counter stands at a multiple of four: every atlas
// repeats within four cells, so what follows is drawn from the first cell, whatever the catalogues
// built before it took.
inline void AlignCellCounters()
{
    const float box[9] = {};
    const float one[3] = {1.0F, 1.0F, 1.0F};
    while (TRunState::Current().particleAtlasCounter % 4 != 0) {
        TParticleEffect("effect.ptx/fire", 2, 2, 1, box, box, 0.04F, one);
    }
    while (TRunState::Current().bulletPartCounters[0] % 4 != 0) {
        TBulletPartA("effect.ptx/fire", one);
    }
    while (TRunState::Current().bulletPartCounters[1] % 4 != 0) {
        TBulletPartB("effect.ptx/fire", one);
    }
    while (TRunState::Current().bulletPartCounters[2] % 4 != 0) {
        TBulletPartC("effect.ptx/fire", one);
    }
    while (TRunState::Current().bulletPartCounters[3] % 4 != 0) {
        TBulletPartH("effect.ptx/fire", one);
    }
}

inline D3DXMATRIX Identity()
{
    D3DXMATRIX m;
    return *D3DXMatrixIdentity(&m);
}

inline const D3DXMATRIX kIdentity = Identity();

inline TRefPtr<TFrame> Frame(const std::string& name, const D3DXMATRIX& m = Identity())
{
    return TRefPtr<TFrame>(new TFrame(name, m, nullptr));
}

// The text of the game's own error f ends in; empty when it ends without one.
inline std::string ErrorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const my_error& e) {
        return e.what();
    }
    return "";
}

inline void ExpectNear(const D3DXVECTOR3& a, const D3DXVECTOR3& b, float eps = 1e-5F)
{
    EXPECT_NEAR(a.x, b.x, eps);
    EXPECT_NEAR(a.y, b.y, eps);
    EXPECT_NEAR(a.z, b.z, eps);
}

// Updates until the effect answers false; the number of that update, 0 when it never did.
inline int UpdatesUntilDone(TEffect* effect, int limit)
{
    for (int i = 1; i <= limit; ++i) {
        if (!effect->Update()) {
            return i;
        }
    }
    return 0;
}

inline TRefPtr<TEffect> Scripted(Journal* journal, int life)
{
    return TRefPtr<TEffect>(new ScriptedEffect(journal, life));
}

}  // namespace effecttest
