#include "MainCode/Character/TEnemyFactory.h"

#include <bit>
#include <cfloat>
#include <limits>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Character/TEnemyDataTable.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Character/TEnemyTypes.h"
#include "MainCode/Character/TEnemyA.h"
#include "MainCode/Character/TEnemyB.h"
#include "MainCode/Character/TEnemyC.h"
#include "MainCode/Character/TEnemyD.h"
#include "MainCode/Character/TEnemyE.h"
#include "MainCode/Character/TTimeStopEnemy.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TCamera.h"
#include "MainCode/Map/TMapData.h"
#include "TCommon/TByteReader.h"
#include "TCommon/my_error.h"

namespace {

// Spawners keep this much room around their point and from the player.
constexpr float kSpawnClearance = 1.5F;

D3DXVECTOR3 WorldPosition(const TGameObject* object)
{
    D3DXVECTOR3 p(0.0F, 0.0F, 0.0F);
    object->GetFrame()->GetWorldPosition(&p);
    return p;
}

float Distance(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    const D3DXVECTOR3 d = a - b;
    return D3DXVec3Length(&d);
}

// A level facing from the shared generator.
D3DXVECTOR3 RandomFacing()
{
    D3DXVECTOR3 d(static_cast<float>(static_cast<std::int32_t>(genrand_int32() % 2001) - 1000), 0.0F,
                  static_cast<float>(static_cast<std::int32_t>(genrand_int32() % 2001) - 1000));
    if (d.x == 0.0F && d.z == 0.0F) {
        return D3DXVECTOR3(0.0F, 0.0F, 1.0F);
    }
    D3DXVec3Normalize(&d, &d);
    return d;
}

}  // namespace

TEnemyFactory::TEnemyFactory(TAreaBase* area, const TMapData& mapData)
    : m_maxLive(std::bit_cast<std::uint32_t>(mapData.GetEnemyBound1())),
      m_spawnDistance(mapData.GetEnemyBound2()),
      m_area(area),
      m_collisionWorld(area->GetCollisionWorld())
{
    if (area->GetCamera() != nullptr) {
        m_areaWord = area->GetCamera()->GetMode();
    }
    m_ended.reserve(16);
    area->SetEnemyFactory(this);
    // Enemies of one class are built from the same files: each is read once for the whole map.
    TReadOnceScope readOnce;
    for (const TMapEnemySpawner& entry : mapData.GetEnemySpawners()) {
        GetPrototype(entry.typeId);
        m_spawners.emplace_back(entry);
    }
    for (const TMapEnemy& entry : mapData.GetEnemies()) {
        GetPrototype(entry.typeId);
        Spawn(entry.typeId, entry.position, entry.direction, FLT_MAX, 1);
    }
}

TEnemyFactory::~TEnemyFactory()
{
    for (auto& entry : m_live) {
        entry.second->LeaveField();
        m_area->UnregisterObject(entry.second.Get());
    }
    m_live.clear();
    m_spawners.clear();
    m_defeatedIds.clear();
    m_prototypes.clear();
    if (m_area->GetEnemyFactory() == this) {
        m_area->SetEnemyFactory(nullptr);
    }
}

TRefPtr<TEnemy> TEnemyFactory::Create(std::uint32_t typeId)
{
    const TEnemyTypeRow* type = FindEnemyType(typeId);
    if (type == nullptr) {
        return TRefPtr<TEnemy>();
    }
    const TEnemyRecord& record = TEnemyDataTable::Require(typeId);
    const auto count = static_cast<std::uint32_t>(type->attackCount);
    TEnemy* enemy = nullptr;
    try {
        switch (type->enemyClass) {
        case TEnemyClass::A: enemy = new TEnemyA(record, count, type->tableFlag); break;
        case TEnemyClass::B: enemy = new TEnemyB(record, count, type->tableFlag); break;
        case TEnemyClass::C:
            enemy = new TEnemyC(record, count, static_cast<std::uint32_t>(type->arg1), type->tableFlag);
            break;
        case TEnemyClass::D:
            enemy = new TEnemyD(record, count, type->arg1, type->arg2, type->arg3, type->tableFlag);
            break;
        case TEnemyClass::E: enemy = new TEnemyE(record, count, type->tableFlag); break;
        case TEnemyClass::TimeStop:
            enemy = new TTimeStopEnemy(record, count, type->tableFlag, static_cast<std::uint8_t>(type->arg1));
            break;
        }
    } catch (const my_error& e) {
        // The model files' own messages name the file only; this names the record that asked for it.
        throw e.Within(TEnemyDataTable::NameRecord(typeId) + " \"" + record.label + "\" (モデル \"" +
                       record.modelName + "\") を作れません : ");
    }
    return TRefPtr<TEnemy>(enemy);
}

void TEnemyFactory::Update()
{
    m_ended.clear();
    for (auto& entry : m_live) {
        if (!entry.second->Update()) {
            m_ended.push_back(entry.first);
        }
    }
    for (std::uint32_t id : m_ended) {
        Remove(id);
    }
    UpdateSpawners();
}

void TEnemyFactory::DrawGauges()
{
    for (auto& entry : m_live) {
        if (entry.second->IsAlive()) {
            entry.second->DrawGauge();
        }
    }
}

void TEnemyFactory::StepAll()
{
    for (auto& entry : m_live) {
        entry.second->ApplyVelocity();
    }
}

void TEnemyFactory::StepAll2()
{
    for (auto& entry : m_live) {
        entry.second->UpdateShadow();
    }
}

TRefPtr<TEnemy> TEnemyFactory::Spawn(std::uint32_t typeId, const D3DXVECTOR3& position, const D3DXVECTOR3& direction,
                                     float leashRadius, std::uint8_t skipAppear)
{
    const TRefPtr<TEnemy> prototype = GetPrototype(typeId);
    if (prototype.Get() == nullptr) {
        return TRefPtr<TEnemy>();
    }
    TRefPtr<TEnemy> enemy = prototype->Clone(this);
    enemy->Spawn(m_area, position, direction, leashRadius, skipAppear);
    m_live[enemy->GetObjectId()] = enemy;
    m_area->RegisterObject(enemy.Get());
    ++m_liveCount;
    enemy->SetLevel(0);
    return enemy;
}

void TEnemyFactory::Remove(std::uint32_t objectId)
{
    const auto it = m_live.find(objectId);
    if (it == m_live.end()) {
        return;
    }
    if (m_liveCount != 0) {
        --m_liveCount;
    }
    TEnemy* enemy = it->second.Get();
    if (enemy->GetHp() < 0) {
        m_defeatedIds.push_back(enemy->GetRelatedId());
    }
    enemy->LeaveField();
    m_area->UnregisterObject(enemy);
    m_live.erase(it);
}

void TEnemyFactory::UpdateSpawners()
{
    for (TEnemySpawner& spawner : m_spawners) {
        if (spawner.m_enemy.Get() == nullptr) {
            if (spawner.m_timer < std::numeric_limits<std::int32_t>::max()) {
                ++spawner.m_timer;
            }
        } else if (!spawner.m_enemy->IsAlive()) {
            // Left the field alive: the spawner may fire again at once.
            if (spawner.m_enemy->GetHp() > 0) {
                spawner.m_timer = spawner.m_interval > static_cast<std::uint32_t>(
                                                           std::numeric_limits<std::int32_t>::max())
                                      ? std::numeric_limits<std::int32_t>::max()
                                      : static_cast<std::int32_t>(spawner.m_interval);
            }
            spawner.m_enemy = TRefPtr<TEnemy>();
        }
    }
    if (m_liveCount >= m_maxLive) {
        return;
    }
    TEnemySpawner* spawner = ChooseSpawner();
    if (spawner == nullptr) {
        return;
    }
    const D3DXVECTOR3& stored = spawner->m_direction;
    const D3DXVECTOR3 facing =
        (stored.x != 0.0F && stored.y != 0.0F && stored.z != 0.0F) ? stored : RandomFacing();
    spawner->m_enemy = Spawn(spawner->m_typeId, spawner->m_position, facing, spawner->m_leashRadius, 0);
    spawner->m_timer = 0;
}

TEnemySpawner* TEnemyFactory::ChooseSpawner()
{
    TGameObject* player = m_area->GetPlayer();
    if (player == nullptr) {
        return nullptr;
    }
    const D3DXVECTOR3 playerAt = WorldPosition(player);
    TEnemySpawner* best = nullptr;
    float bestDistance = 0.0F;
    for (TEnemySpawner& spawner : m_spawners) {
        if (!spawner.IsReady()) {
            continue;
        }
        const float d = Distance(playerAt, spawner.m_position);
        if (!(d > kSpawnClearance && d < m_spawnDistance)) {
            continue;
        }
        bool crowded = false;
        for (const auto& entry : m_live) {
            if (Distance(WorldPosition(entry.second.Get()), spawner.m_position) < kSpawnClearance) {
                crowded = true;
                break;
            }
        }
        if (!crowded && (best == nullptr || d < bestDistance)) {
            best = &spawner;
            bestDistance = d;
        }
    }
    return best;
}

TRefPtr<TEnemy> TEnemyFactory::GetPrototype(std::uint32_t typeId)
{
    const auto it = m_prototypes.find(typeId);
    if (it != m_prototypes.end()) {
        return it->second;
    }
    const TRefPtr<TEnemy> prototype = Create(typeId);
    m_prototypes.emplace(typeId, prototype);
    return prototype;
}

TRefPtr<TEnemy> TEnemyFactory::GetEnemy(std::uint32_t objectId) const
{
    const auto it = m_live.find(objectId);
    return it != m_live.end() ? it->second : TRefPtr<TEnemy>();
}

bool TEnemyFactory::IsDefeated(std::uint32_t typeId) const
{
    for (std::uint32_t id : m_defeatedIds) {
        if (id == typeId) {
            return true;
        }
    }
    return false;
}

void TEnemyFactory::FindEnemiesInRange(const D3DXVECTOR3& point, float radius, std::uint32_t* ids,
                                       std::uint32_t n) const
{
    for (std::uint32_t i = 0; i < n; ++i) {
        ids[i] = 0xFFFFFFFF;
    }
    std::uint32_t found = 0;
    for (const auto& entry : m_live) {
        if (found >= n) {
            break;
        }
        D3DXVECTOR3 centre;
        entry.second->GetCenterPosition(&centre);
        if (Distance(centre, point) < radius) {
            ids[found++] = entry.first;
        }
    }
}
