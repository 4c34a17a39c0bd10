#include "MainCode/Effect/TSpawnPathEffect.h"

#include "MainCode/Character/TGameObject.h"
#include "MainCode/Effect/EffectPlacement.h"
#include "MainCode/Effect/TSmashEffect.h"

namespace {

constexpr std::uint32_t kSoundRumble = 506;

}  // namespace

TSpawnPathEffect::TSpawnPathEffect(const std::string& modelName, std::int32_t finalId)
    : TOwnedAnimEffect(modelName, Channel::Alpha, 2.0F, 0.3F, 11.0F, 0.3F, finalId)
{
}

TSpawnPathEffect::TSpawnPathEffect(const TSpawnPathEffect& other) : TOwnedAnimEffect(other) {}

void TSpawnPathEffect::AddSpawnPoint(float time, const D3DXVECTOR3* offset)
{
    m_spawnOffsets.push_back(offset != nullptr ? *offset : D3DXVECTOR3(0.0F, 0.0F, 0.0F));
    m_spawnTimes.push_back(time);
}

void TSpawnPathEffect::AddPathPoint(std::uint32_t effectId, const D3DXVECTOR3* offset, const D3DXVECTOR3* scale,
                                    const float colour[4])
{
    const D3DXVECTOR3 zero(0.0F, 0.0F, 0.0F);
    const D3DXVECTOR3 unit(1.0F, 1.0F, 1.0F);
    m_pathIds.push_back(effectId);
    m_pathOffsets.push_back(offset != nullptr ? *offset : zero);
    m_pathScales.push_back(scale != nullptr ? *scale : unit);
    std::array<float, 4> c = {1.0F, 1.0F, 1.0F, 1.0F};
    if (colour != nullptr) {
        c = {colour[0], colour[1], colour[2], colour[3]};
    }
    m_pathColours.push_back(c);
}

void TSpawnPathEffect::PostStep()
{
    TGameObject* owner = FindOwner();
    const float t = GetTime();
    PlayOnceWhile(1.0F < t && t < 1.5F, owner, kSoundRumble);

    // At most one point a frame; a point not yet reached holds back those added after it.
    if (m_spawnEffectId != -1 && m_spawnIndex < m_spawnTimes.size() && m_spawnTimes[m_spawnIndex] < t) {
        const D3DXVECTOR3 p = PointInFrameAxes(m_frame.Get(), m_spawnOffsets[m_spawnIndex]);
        CreateAtFrame(m_spawnEffectId, p, FrameWorldAxis(m_frame.Get(), 3));
        ++m_spawnIndex;
    }
    if (m_alive) {
        return;
    }
    TEffect* final = CreateFollowUp(FrameWorldAxis(m_frame.Get(), 3), owner);
    if (auto* mesh = dynamic_cast<TMeshEffect*>(final)) {
        for (std::size_t k = 0; k < m_pathIds.size(); ++k) {
            const D3DXVECTOR3 scale = m_pathScales[k];
            mesh->AddEndEffect(m_pathIds[k], &m_pathOffsets[k], &scale, m_pathColours[k].data());
        }
    }
    if (owner != nullptr) {
        owner->PlaySound(kSoundRumble);
    }
}
