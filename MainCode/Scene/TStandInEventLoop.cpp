#include "MainCode/Scene/TStandInEventLoop.h"

#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Scene/TChangeLoop.h"
#include "MainCode/Scene/TStandInScreen.h"
#include "MainCode/Scene/TTitleLoop.h"
#include "MainCode/TGameWnd.h"
#include "MainCode/TInputDevice.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"

namespace {

constexpr std::uint16_t kCancel = 0x0020;
constexpr std::uint32_t kFinishedFlag = 1021;
constexpr std::uint32_t kEndingSavePoint = 11;
constexpr std::uint32_t kEndingMusic = 11;

}  // namespace

TStandInEventLoop::TStandInEventLoop(TGameWnd* app, std::int32_t eventId) : TSceneLoop(app), m_eventId(eventId)
{
    SetState(&TStandInEventLoop::StateShow);
    SetDraw(&TStandInEventLoop::DrawBlack);
}

std::uint32_t TStandInEventLoop::StateShow()
{
    const bool skip = m_input != nullptr && (m_input->GetWord(0) & kCancel) != 0;
    if (!skip && ++m_counter < kSteps) {
        return LOOP_CONTINUE;
    }
    return HandOver();
}

std::uint32_t TStandInEventLoop::HandOver()
{
    switch (m_eventId) {
    case 300:
        ToNextEvent(301, 51);
        break;
    case 301:
        ToField("04.pbms/t04_00", -8.0F, 0.0F, 17.0F, -1.0F, 0.0F);
        break;
    case 302:
        ToField("04.pbms/m07_00boss", -9.0F, 2.5F, 182.0F, 0.0F, -1.0F);
        break;
    case 303:
        ToField("04.pbms/m07_00", -9.0F, 2.5F, 182.0F, 0.0F, -1.0F);
        break;
    case 304:
        ToField("04.pbms/d05_00boss1", 34.0F, 0.0F, 108.0F, 0.0F, -1.0F);
        break;
    case 305:
        ToField("04.pbms/d05_00boss2", 34.0F, 0.0F, 108.0F, 0.0F, -1.0F);
        break;
    case 306:
        ToNextEvent(307, 56);
        break;
    case 307:
        ToNextEvent(308, 57);
        break;
    default: {
        // The ending: the game is finished and can be saved at the ending's save point.
        if (TGameData* data = TGameData::GetInstance()) {
            data->SetSavePoint(static_cast<std::int32_t>(kEndingSavePoint));
            data->SetFlag(kFinishedFlag, 1);
        }
        if (TSoundBank* music = m_sound != nullptr ? m_sound->GetBank(2) : nullptr) {
            music->Load(kEndingMusic);
        }
        m_app->ReplaceScene(TChangeLoop::ToSave(m_app, kEndingMusic));
        break;
    }
    }
    return LOOP_END;
}

void TStandInEventLoop::ToNextEvent(std::uint32_t nextId, std::uint32_t musicId)
{
    // The hub fades this event's music out once the event is gone: it needs a use of its own.
    if (TSoundBank* music = m_sound != nullptr ? m_sound->GetBank(2) : nullptr) {
        music->Load(musicId);
    }
    m_app->ReplaceScene(TChangeLoop::ToEvent(m_app, TUiQuad::kBlack, TUiQuad::kUncover, nextId,
                                             static_cast<std::int32_t>(musicId)));
}

void TStandInEventLoop::ToField(const char* map, float x, float y, float z, float dx, float dz)
{
    const D3DXVECTOR3 position(x, y, z);
    const D3DXVECTOR3 direction(dx, 0.0F, dz);
    TFieldLoop* field = TFieldLoop::CreateAtPosition(m_app, map, position, direction, position);
    // A map that cannot be built has been reported; play cannot go on without it.
    m_app->ReplaceScene(field != nullptr ? static_cast<TLoop*>(field) : new TTitleLoop(m_app));
}

void TStandInEventLoop::DrawBlack()
{
    DrawStandInScreen(m_d3d);
}
