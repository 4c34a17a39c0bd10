#include "MainCode/Shot/TStarShot.h"

#include <algorithm>

#include "MainCode/Character/TArmedCharacter.h"
#include "MainCode/Effect/EffectPlacement.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/Map/TAreaBase.h"

template <class Base>
TStarShot<Base>::TStarShot(const std::string& name, std::int32_t burstIdA, std::int32_t burstIdB,
                           std::int32_t flightFrames, std::int32_t partCount, bool startParked, std::int32_t soundId,
                           std::uint16_t hitEvent, const float hitOffset[3], const float scale[3])
    : Base(name, flightFrames, partCount, startParked, scale),
      m_burstIdA(burstIdA),
      m_burstIdB(burstIdB),
      m_soundId(soundId),
      m_hitEvent(hitEvent),
      m_hitOffset{hitOffset[0], hitOffset[1], hitOffset[2]}
{
}

template <class Base>
TStarShot<Base>::TStarShot(const TStarShot& other)
    : Base(other),
      m_burstIdA(other.m_burstIdA),
      m_burstIdB(other.m_burstIdB),
      m_soundId(other.m_soundId),
      m_hitEvent(other.m_hitEvent),
      m_hitOffset{other.m_hitOffset[0], other.m_hitOffset[1], other.m_hitOffset[2]}
{
}

template <class Base>
void TStarShot<Base>::Init(std::int32_t serial, const D3DXVECTOR3* position, const D3DXVECTOR3* direction,
                           TFrame* parent, TAreaBase* area, const float* colour)
{
    Base::Init(serial, position, direction, parent, area, colour);
    m_area = area;
    std::fill(m_burstScale, m_burstScale + 3, 1.0F);
    std::fill(m_burstColourA, m_burstColourA + 4, 1.0F);
    std::fill(m_burstColourB, m_burstColourB + 4, 1.0F);
}

template <class Base>
void TStarShot<Base>::SetStarScale(float x, float y, float z)
{
    const float scale[3] = {x, y, z};
    std::copy(scale, scale + 3, m_burstScale);
}

template <class Base>
void TStarShot<Base>::SetStarColour1(float r, float g, float b, float a)
{
    const float colour[4] = {r, g, b, a};
    std::copy(colour, colour + 4, m_burstColourA);
}

template <class Base>
void TStarShot<Base>::SetStarColour2(float r, float g, float b, float a)
{
    const float colour[4] = {r, g, b, a};
    std::copy(colour, colour + 4, m_burstColourB);
}

template <class Base>
void TStarShot<Base>::OnHeadEnd()
{
    if (m_area == nullptr) {
        return;
    }
    const D3DXVECTOR3 head = FrameWorldPosition(this->GetModelFrame());
    const D3DXVECTOR3 forward(0.0F, 0.0F, 1.0F);
    const float unit[3] = {1.0F, 1.0F, 1.0F};
    TEffectManager* effects = m_area->GetEffectManager();
    if (effects != nullptr && m_burstIdA != -1) {
        effects->Create(static_cast<std::uint32_t>(m_burstIdA), &head, &forward, m_area->GetSceneFrame(), m_area,
                        m_burstColourA, m_burstScale);
    }
    if (effects != nullptr && m_burstIdB != -1) {
        effects->Create(static_cast<std::uint32_t>(m_burstIdB), &head, &forward, m_area->GetSceneFrame(), m_area,
                        m_burstColourB, unit);
    }
    if (m_hitEvent == 0 || this->m_ownerId == -2) {
        return;
    }
    TGameObject* owner = m_area->FindObject(static_cast<std::uint32_t>(this->m_ownerId));
    if (owner == nullptr) {
        return;
    }
    if (auto* armed = dynamic_cast<TArmedCharacter*>(owner)) {
        const D3DXVECTOR3 at(head.x + m_hitOffset[0], head.y + m_hitOffset[1], head.z + m_hitOffset[2]);
        TRefPtr<TAttackHit> dropped;
        armed->CreateAttackHit(dropped, m_hitEvent, armed->GetReferenceFrame(), &at);
    }
    if (m_soundId != -1) {
        owner->PlaySound(static_cast<std::uint32_t>(m_soundId));
    }
}

template class TStarShot<TShotI>;
template class TStarShot<TShotF>;
