#include "MainCode/Map/TBattleArea.h"

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Character/TimeStop.h"
#include "MainCode/Map/TAttackTable.h"
#include "MainCode/Map/TMinimap.h"

TBattleArea::TBattleArea(TMapData& mapData, TFieldLoop* field) : TAreaBase(field)
{
    LoadMap(mapData);
    m_tableLoad = TAttackTable::GetLoadCount();
}

TBattleArea::~TBattleArea()
{
    // The attacks of this map's fighters end with it, unless a battle area built since has
    // filled the table for its own.
    if (TAttackTable::GetLoadCount() == m_tableLoad) {
        TAttackTable::Clear();
    }
}

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
    m_enemies->StepAll();
    ResolveCollisions();
    m_enemies->StepAll2();
    FollowPlayer();
    return true;
}

void TBattleArea::Draw()
{
    m_enemies->DrawGauges();
    m_player->DrawHud();
    m_minimap->Draw(408, 312);
}

void TBattleArea::PreparePlayer()
{
    m_player->LoadWeaponModel();
}
