#include "MainCode/Enemy/TEnemyFactory.h"

#include "MainCode/Character/TGameObject.h"
#include "MainCode/Map/TMapData.h"

TEnemyFactory::TEnemyFactory(TAreaBase* area, const TMapData& mapData)
    : m_area(area), m_bound1(mapData.GetEnemyBound1()), m_bound2(mapData.GetEnemyBound2())
{
}

void TEnemyFactory::Update()
{
    ++m_updates;
    for (auto it = m_enemies.begin(); it != m_enemies.end();) {
        it = it->second->Update() ? std::next(it) : m_enemies.erase(it);
    }
}

void TEnemyFactory::MoveAll()
{
    ++m_moves;
    for (auto& entry : m_enemies) {
        entry.second->ApplyVelocity();
    }
}

void TEnemyFactory::UpdateShadows()
{
    for (auto& entry : m_enemies) {
        entry.second->UpdateShadow();
    }
}

void TEnemyFactory::DrawHud() {}
