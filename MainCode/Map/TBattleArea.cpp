#include "MainCode/Map/TBattleArea.h"

#include "MainCode/Character/TPlayerStandIn.h"
#include "MainCode/Enemy/TEnemyFactory.h"
#include "MainCode/Enemy/TimeStop.h"
#include "MainCode/Map/TMinimapStandIn.h"

TBattleArea::TBattleArea(TMapData& mapData, TFieldLoop* field) : TAreaBase(field)
{
    LoadMap(mapData);
}

TBattleArea::~TBattleArea() = default;

bool TBattleArea::Update()
{
    if (m_player->IsMenuButtonPressed()) {
        OpenPauseMenu();
        return true;
    }
    m_player->Update();
    m_enemies->Update();
    const std::uint32_t code = UpdateObjects();
    if (code == 2) {
        return false;
    }
    if (code == 1) {
        return true;
    }
    m_collisionWorld.CheckAttacks(m_player);
    if (!IsTimeStopped()) {
        m_player->ApplyVelocity();
    }
    m_enemies->MoveAll();
    ResolveCollisions();
    m_enemies->UpdateShadows();
    FollowPlayer();
    return true;
}

void TBattleArea::Draw()
{
    m_enemies->DrawHud();
    m_player->DrawHud();
    m_minimap->Draw(408.0F, 312.0F);
}

void TBattleArea::PreparePlayer()
{
    m_player->LoadWeaponModel();
}
