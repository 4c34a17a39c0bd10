#include "MainCode/Menu/TMenuTopLoop.h"

#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/TInputDevice.h"

TMenuTopLoop::TMenuTopLoop(TGameWnd* app, TFieldLoop* field) : TSceneLoop(app), m_field(field)
{
    SetState(&TMenuTopLoop::StateOpen);
}

std::uint32_t TMenuTopLoop::StateOpen()
{
    if (m_input != nullptr && m_input->IsPressed(kCloseButtons)) {
        if (m_field != nullptr) {
            m_field->RefreshHud();
        }
        return LOOP_END;
    }
    return LOOP_CONTINUE;
}
