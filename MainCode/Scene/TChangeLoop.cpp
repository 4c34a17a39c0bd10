#include "MainCode/Scene/TChangeLoop.h"

#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Scene/TTitleLoop.h"
#include "MainCode/TGameWnd.h"

std::uint32_t TChangeLoop::Update()
{
    if (m_mode == kToLoadSlot) {
        TGameData& data = *TGameData::GetInstance();
        TLoop* next = nullptr;
        if (data.Load(static_cast<std::int32_t>(m_slot), -1) == 0) {
            data.StartPlayTime();
            next = TFieldLoop::CreateAtSavePoint(m_app, static_cast<std::uint32_t>(data.GetSavePoint()));
        }
        m_app->ReplaceScene(next != nullptr ? next : new TTitleLoop(m_app));
        return LOOP_END;
    }
    if (m_mode == kToTitle || m_mode == kToSave) {
        m_app->ReplaceScene(new TTitleLoop(m_app));
        return LOOP_END;
    }
    if (!m_toField) {
        return TRecordingLoop::Update();
    }
    TLoop* next = TFieldLoop::CreateAtSavePoint(m_app, m_savePointId);
    m_app->ReplaceScene(next != nullptr ? next : new TTitleLoop(m_app));
    return LOOP_END;
}
