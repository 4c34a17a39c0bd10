#include "MainCode/Menu/TMenuConfirm2Loop.h"

#include "MainCode/Menu/TYesNoLoop.h"
#include "MainCode/TGameWnd.h"

TMenuConfirm2Loop::TMenuConfirm2Loop(TGameWnd* app, TMenuTopLoop* menu) : TMenuChoiceLoop(app, menu, 2)
{
    AddChoice("sprite.ptx/window02_i", -194, 16, 16);
    AddChoice("sprite.ptx/window02_j", -186, 24, 56);
    AddChoice("sprite.ptx/window02_k", -178, 32, 96);
}

std::uint32_t TMenuConfirm2Loop::Closed()
{
    if (!m_decided) {
        m_state = nullptr;
        return LOOP_END;
    }
    m_decided = false;
    m_choices.Highlight(m_cursor, true);
    SetState(&TMenuConfirm2Loop::Open);
    m_app->PushScene(new TYesNoLoop(m_app, m_menu, m_cursor == 0 ? TYesNoLoop::kToTitle : TYesNoLoop::kQuit));
    return LOOP_CONTINUE;
}
