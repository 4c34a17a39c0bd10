#include "MainCode/Menu/TMenuConfirmLoop.h"

#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Menu/TMenuTopLoop.h"

TMenuConfirmLoop::TMenuConfirmLoop(TGameWnd* app, TMenuTopLoop* menu)
    : TMenuChoiceLoop(app, menu, 0), m_character(TGameData::GetInstance()->GetActiveCharacter())
{
    for (std::int32_t& target : m_targets) {
        target = -1;
    }
    // Only the first two characters change places.
    if (m_character == 0) {
        m_targets[0] = 1;
    } else if (m_character == 1) {
        m_targets[0] = 0;
    }
    AddChoice(m_character == 0 ? "sprite.ptx/window02_n" : "sprite.ptx/window02_m", -184, 16, 16);
    AddChoice("sprite.ptx/window02_k", -176, 24, 56);
}

bool TMenuConfirmLoop::CanDecide(std::int32_t /*choice*/) const
{
    return m_targets[0] != -1;
}

std::uint32_t TMenuConfirmLoop::Closed()
{
    m_state = nullptr;
    if (m_decided && m_menu->GetField() != nullptr) {
        m_menu->GetField()->ChangePlayer(static_cast<std::uint32_t>(m_targets[0]));
        m_menu->Recapture();
    }
    return LOOP_END;
}
