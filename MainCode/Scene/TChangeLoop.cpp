#include "MainCode/Scene/TChangeLoop.h"

#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Scene/TTitleLoop.h"
#include "MainCode/TGameWnd.h"

std::uint32_t TChangeLoop::Update()
{
    if (!m_toField) {
        return TRecordingLoop::Update();
    }
    TLoop* next = TFieldLoop::CreateAtSavePoint(m_app, m_savePointId);
    m_app->ReplaceScene(next != nullptr ? next : new TTitleLoop(m_app));
    return LOOP_END;
}
