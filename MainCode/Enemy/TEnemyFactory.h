// Stand-in for the enemy registry of a battle map until enemies are built: it keeps the map's enemy
// bounds and an empty id map, and its passes walk that map. The area calls it in the order the
// real registry needs.
#pragma once

#include <cstdint>
#include <algorithm>
#include <map>
#include <vector>

class TAreaBase;
class TGameObject;
class TMapData;

class TEnemyFactory {
public:
    TEnemyFactory(TAreaBase* area, const TMapData& mapData);
    TEnemyFactory(const TEnemyFactory&) = delete;
    TEnemyFactory& operator=(const TEnemyFactory&) = delete;
    virtual ~TEnemyFactory() = default;

    void Update();
    void MoveAll();
    void UpdateShadows();
    void DrawHud();

    const std::map<std::uint32_t, TGameObject*>& GetEnemies() const { return m_enemies; }
    // The ids of the defeated enemies, in the order of their defeat. Until enemies are built the
    // list grows only by AddDefeated.
    void AddDefeated(std::uint32_t enemyId) { m_defeated.push_back(enemyId); }
    const std::vector<std::uint32_t>& GetDefeatedIds() const { return m_defeated; }
    bool IsDefeated(std::uint32_t enemyId) const
    {
        return std::find(m_defeated.begin(), m_defeated.end(), enemyId) != m_defeated.end();
    }
    float GetBound1() const { return m_bound1; }
    float GetBound2() const { return m_bound2; }
    int GetUpdateCount() const { return m_updates; }
    int GetMoveCount() const { return m_moves; }

private:
    TAreaBase* m_area;
    float m_bound1;
    float m_bound2;
    std::map<std::uint32_t, TGameObject*> m_enemies;
    std::vector<std::uint32_t> m_defeated;
    int m_updates = 0;
    int m_moves = 0;
};
