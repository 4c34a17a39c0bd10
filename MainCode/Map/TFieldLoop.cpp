#include "MainCode/Map/TFieldLoop.h"

#include <cstdio>

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TSvpTable.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TCurrentMap.h"
#include "MainCode/Map/TMinimap.h"
#include "MainCode/TGameWnd.h"
#include "MainCode/TInputDevice.h"
#include "dx/dx8/3d/TD3D8.h"
#include "dx/dx8/3d/TDrawList.h"
#include "dx/dx8/sound/TDSound8.h"

namespace {

void DeleteOwnedArea(TAreaHolder& holder)
{
    if (holder.owns) {
        delete holder.area;
    }
    holder = TAreaHolder();
}

}  // namespace

TFieldLoop* TFieldLoop::CreateAtSavePoint(TGameWnd* app, std::uint32_t savePointId)
{
    return new TFieldLoop(app, &TSvpTable::Get(savePointId), std::string(), nullptr, nullptr, nullptr);
}

TFieldLoop* TFieldLoop::CreateAtPosition(TGameWnd* app, const std::string& mapName, const D3DXVECTOR3& position,
                                         const D3DXVECTOR3& direction, const D3DXVECTOR3& cameraPosition)
{
    return new TFieldLoop(app, nullptr, mapName, &position, &direction, &cameraPosition);
}

TFieldLoop::TFieldLoop(TGameWnd* app, const TSvpRecord* savePoint, const std::string& mapName,
                       const D3DXVECTOR3* position, const D3DXVECTOR3* direction, const D3DXVECTOR3* cameraPosition)
    : TSceneLoop(app),
      m_sceneFrame(new TFrame("Scene", IdentityMatrix(), nullptr)),
      m_effectManager(new TEffectManager()),
      m_minimap(TMinimap::Create())
{
    TCurrentMap factory;
    if (savePoint != nullptr) {
        TakeArea(factory.BuildAtSavePoint(this, *savePoint));
    } else {
        TakeArea(factory.BuildAtPosition(mapName, this, *position, *direction, *cameraPosition));
    }
    SetPhase(TRefPtr<TFieldPhase>(new TFadeInPhase(this, TUiQuad::kBlack, TUiQuad::kUncover)));
}

TFieldLoop::~TFieldLoop()
{
    // Whatever ends the field (an event, game over, the title, shut-down), what the player gained
    // since the last map change goes back into the game data before the player goes.
    if (m_player.Get() != nullptr) {
        if (TGameData* data = TGameData::GetInstance()) {
            data->StoreCharacter(*m_player);
        }
    }
    DeleteOwnedArea(m_areaHolder);
    m_area = nullptr;
}

void TFieldLoop::TakeArea(const TAreaHolder& holder)
{
    m_areaHolder = holder;
    m_area = holder.area;
}

void TFieldLoop::Resume()
{
    TSceneLoop::Resume();
    m_skipDraw = false;
    m_viewState.Apply(m_d3d, m_view);
}

void TFieldLoop::SetViewState(const TSceneViewState& state)
{
    m_viewState.Set(state, m_d3d, m_view);
}

void TFieldLoop::SetPlayer(const TRefPtr<TPlayerCharacter>& player)
{
    m_player = player;
}

void TFieldLoop::SetPhase(const TRefPtr<TFieldPhase>& phase)
{
    if (phase.Get() != m_phase.Get()) {
        m_phase = phase;
    }
    SetUpdate(&TFieldLoop::PhaseStep);
    SetDraw(&TFieldLoop::PhaseDraw);
    Resume();
}

std::uint32_t TFieldLoop::PhaseStep()
{
    // An empty phase has nothing to show: it ends at once.
    const std::uint32_t r = m_phase.Get() != nullptr ? m_phase->Update() : TFieldPhase::kEnded;
    if (r == TFieldPhase::kEnded) {
        m_phase = TRefPtr<TFieldPhase>();
        SetUpdate(&TFieldLoop::AreaStep);
        SetDraw(&TFieldLoop::DrawArea);
        if (m_input != nullptr) {
            m_input->ClearState(static_cast<std::int32_t>(0x80000001u));
        }
        Resume();
    }
    return LOOP_CONTINUE;
}

void TFieldLoop::PhaseDraw()
{
    if (m_phase.Get() != nullptr) {
        m_phase->Draw();
    }
}

std::uint32_t TFieldLoop::AreaStep()
{
    return m_area->Update() ? LOOP_CONTINUE : LOOP_END;
}

bool TFieldLoop::BeginWorld(std::uint32_t clearColour)
{
    if (!m_d3d->CheckLostDevice()) {
        return false;
    }
    m_d3d->Clear(clearColour, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 1.0F, 0, 0, nullptr);
    if (FAILED(m_d3d->BeginScene())) {
        return false;
    }
    const D3DXMATRIX identity = IdentityMatrix();
    m_sceneFrame->Render(&m_view, &identity);
    TDrawList::FlushAll();
    return true;
}

void TFieldLoop::EndWorld()
{
    m_d3d->EndScene();
    m_d3d->Present();
}

void TFieldLoop::DrawArea()
{
    if (m_skipDraw) {
        m_skipDraw = false;
        return;
    }
    if (!BeginWorld(m_area->GetClearColour())) {
        return;
    }
    m_area->Draw();
    EndWorld();
}

void TFieldLoop::ChangeMap(TMapData& mapData)
{
    DeleteOwnedArea(m_areaHolder);
    m_area = nullptr;
    TCurrentMap factory;
    TakeArea(factory.BuildFromMapData(mapData, this));
    m_sound->PurgeUnused();
    m_area->Update();
}

bool TFieldLoop::ChangePlayer(std::uint32_t index)
{
    TRefPtr<TPlayerCharacter> next = CreatePlayerCharacter(this, index);
    if (next.Get() == nullptr) {
        std::fprintf(stderr, "no player class for party member %u; the player stays\n", index);
        return false;
    }
    TGameData::GetInstance()->SetActiveCharacter(static_cast<std::int32_t>(index));
    TPlayerPose pose;
    m_player->GetPose(&pose);
    m_player->DetachFromField();
    SetPlayer(next);
    m_player->AttachToField(m_area);
    m_area->SetPlayer(m_player.Get());
    m_area->PreparePlayer();
    m_player->SetPose(pose);
    TGameData::GetInstance()->RemoveUnfitSkills(index, m_player->GetWeaponId());
    m_hud.RefreshSkillGauge(m_player.Get());
    m_hud.RefreshStatusPanel(m_player.Get());
    return true;
}

void TFieldLoop::RefreshHud()
{
    m_hud.RefreshStatusPanel(m_player.Get());
    m_hud.RefreshSkillGauge(m_player.Get());
    m_hud.UpdateItemRing();
}
