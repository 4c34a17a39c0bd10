// The enemies of one battle map: one prototype per enemy type, the enemies placed by the map at
// once and those its spawners place over time, the per-step walks over the live ones, their
// removal, and the types defeated on this map.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "MainCode/Character/TEnemy.h"
#include "MainCode/Character/TEnemySpawner.h"
#include "TCommon/TRefPtr.h"
#include "platform/d3dx8/d3dx8math.h"

class TAreaBase;
class TCollisionWorld;
class TMapData;

class TEnemyFactory {
    friend struct TCharacterProbe;
public:
    // Builds the prototypes the map names, its spawners, and places its enemies.
    TEnemyFactory(TAreaBase* area, const TMapData& mapData);
    TEnemyFactory(const TEnemyFactory&) = delete;
    TEnemyFactory& operator=(const TEnemyFactory&) = delete;

    // Virtual operations in their fixed order.
    virtual ~TEnemyFactory();
    // A new enemy of the type's class; an empty holder for a type without one. An enemy without
    // its record, or whose files cannot be read, is refused naming the table and the record.
    virtual TRefPtr<TEnemy> Create(std::uint32_t typeId);
    // Steps every live enemy in id order, removes those that ended, then runs the spawners.
    virtual void Update();
    virtual void DrawGauges();
    virtual void StepAll();
    virtual void StepAll2();
    // Empty for a type without prototype.
    virtual TRefPtr<TEnemy> Spawn(std::uint32_t typeId, const D3DXVECTOR3& position, const D3DXVECTOR3& direction,
                                  float leashRadius, std::uint8_t skipAppear);
    // An object id not live changes nothing but the count.
    virtual void Remove(std::uint32_t objectId);
    virtual void UpdateSpawners();
    // The ready spawner nearest the player within the spawn distance, with room around its point.
    virtual TEnemySpawner* ChooseSpawner();

    TRefPtr<TEnemy> GetPrototype(std::uint32_t typeId);
    // The live enemy of the object id; empty when there is none.
    TRefPtr<TEnemy> GetEnemy(std::uint32_t objectId) const;
    bool IsDefeated(std::uint32_t typeId) const;
    // Up to n object ids of live enemies whose centre lies closer than radius to the point, in id
    // order; the other entries are 0xFFFFFFFF.
    void FindEnemiesInRange(const D3DXVECTOR3& point, float radius, std::uint32_t* ids, std::uint32_t n) const;

    float GetSpawnDistance() const { return m_spawnDistance; }
    const std::map<std::uint32_t, TRefPtr<TEnemy>>& GetLive() const { return m_live; }
    const std::vector<std::uint32_t>& GetDefeatedIds() const { return m_defeatedIds; }

private:
    std::uint32_t m_maxLive;
    std::uint32_t m_liveCount = 0;
    float m_spawnDistance;
    std::map<std::uint32_t, TRefPtr<TEnemy>> m_prototypes;
    std::map<std::uint32_t, TRefPtr<TEnemy>> m_live;
    std::vector<TEnemySpawner> m_spawners;
    std::vector<std::uint32_t> m_defeatedIds;
    TAreaBase* m_area;
    std::uint32_t m_areaWord = 0;
    TCollisionWorld* m_collisionWorld;
    // Reused every step so that a steady frame allocates nothing.
    std::vector<std::uint32_t> m_ended;
};
