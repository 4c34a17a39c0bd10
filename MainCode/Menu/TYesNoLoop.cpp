#include "MainCode/Menu/TYesNoLoop.h"

#include "MainCode/Scene/TTitleLoop.h"
#include "MainCode/TGameWnd.h"
#include "MainCode/TInputDevice.h"

namespace {

constexpr std::uint16_t kUp = 0x0001;
constexpr std::uint16_t kDown = 0x0002;
constexpr std::uint16_t kDecide = 0x0010;
constexpr std::uint16_t kCancel = 0x0020;

}  // namespace

TYesNoLoop::TYesNoLoop(TGameWnd* app, std::uint8_t kind) : TSceneLoop(app), m_kind(kind)
{
    SetState(&TYesNoLoop::StateAsk);
}

std::uint32_t TYesNoLoop::StateAsk()
{
    if (m_input == nullptr) {
        return LOOP_CONTINUE;
    }
    if (m_input->IsPressed(kUp) || m_input->IsPressed(kDown)) {
        m_selection ^= 1;
    }
    if (m_input->IsPressed(kCancel)) {
        return LOOP_END;
    }
    if (!m_input->IsPressed(kDecide)) {
        return LOOP_CONTINUE;
    }
    if (m_selection != 0) {
        return LOOP_END;
    }
    if (m_kind == 1) {
        return LOOP_QUIT;
    }
    m_app->PopScenesTo(1);
    m_app->ReplaceScene(new TTitleLoop(m_app));
    return LOOP_END;
}
