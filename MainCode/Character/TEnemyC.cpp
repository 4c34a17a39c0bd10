#include "MainCode/Character/TEnemyC.h"

#include <memory>

#include "MainCode/Character/THeldRandomOffsetMotion.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/Shot/TShot.h"

namespace {

constexpr std::uint32_t kElements = 7;
constexpr std::uint32_t kElementIds[kElements] = {800, 801, 802, 803, 807, 808, 805};
constexpr float kElementHeights[kElements] = {0.08F, 0.08F, -0.05F, 0.06F, -0.05F, 0.08F, 0.05F};

}  // namespace

TEnemyC::TEnemyC(const TEnemyRecord& record, std::uint32_t attackCount, std::uint32_t element,
                 std::uint8_t tableFlag)
    : TEnemy(record, tableFlag), m_attackCount(attackCount), m_element(element)
{
    SetAttackTable(s_sevenAttacks.entries, 8);
    SetState(0);
}

TEnemyC::TEnemyC(const TEnemyC& other) : TEnemy(other), m_attackCount(other.m_attackCount), m_element(other.m_element)
{
    SetAttackTable(s_sevenAttacks.entries, 8);
}

bool TEnemyC::Update() { return UpdateEnemy(false); }

TRefPtr<TEnemy> TEnemyC::Clone(TEnemyFactory* factory) { return CloneAs<TEnemyC>(factory); }

std::uint32_t TEnemyC::ElementEffectId(std::uint32_t element)
{
    return element < kElements ? kElementIds[element] : 0;
}

TEffect* TEnemyC::GetElementEffect() const
{
    if (m_effectManager == nullptr || m_elementSerial < 0) {
        return nullptr;
    }
    return m_effectManager->FindLive(m_elementSerial).Get();
}

void TEnemyC::AttachToField(TAreaBase* area)
{
    TEnemy::AttachToField(area);
    const std::uint32_t id = ElementEffectId(m_element);
    if (id == 0 || m_effectManager == nullptr) {
        return;
    }
    const D3DXVECTOR3 origin(0.0F, 0.0F, 0.0F);
    const D3DXVECTOR3 up(0.0F, 1.0F, 0.0F);
    const float colour[4] = {1.0F, 1.0F, 1.0F, 1.0F};
    const float scale[3] = {1.0F, 1.0F, 1.0F};
    auto* shot = dynamic_cast<TShot*>(m_effectManager->Create(id, &origin, &up, m_referenceFrame, m_area, colour, scale));
    if (shot == nullptr) {
        return;
    }
    shot->SetFlightFrames(-1);
    const bool low = m_element == 2 || m_element == 4;
    const D3DXVECTOR3 offset(0.0F, 0.0F, low ? m_centerHeight : m_maxVerticalSpeed);
    const D3DXVECTOR3 second(0.0F, kElementHeights[m_element], 0.0F);
    shot->SetMotion(std::make_unique<THeldRandomOffsetMotion>(m_frame, offset, second, 200.0F, 300.0F, 200.0F));
    m_elementSerial = shot->GetSerial();
}

void TEnemyC::DetachFromField()
{
    if (TEffect* shot = GetElementEffect()) {
        shot->Kill();
    }
    m_elementSerial = -1;
    TEnemy::DetachFromField();
}
