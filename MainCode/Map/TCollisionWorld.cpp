#include "MainCode/Map/TCollisionWorld.h"

#include <cfloat>

#include "MainCode/Character/TArmedCharacter.h"
#include "MainCode/Character/TGameObject.h"
#include "dx/dx8/3d/TMesh8.h"

namespace {

// Walks a map in id order by key, so that an object may leave the map from inside the call.
template <typename Visit>
void ForEachById(const std::map<std::uint32_t, TGameObject*>& objects, const Visit& visit)
{
    auto it = objects.begin();
    while (it != objects.end()) {
        const std::uint32_t id = it->first;
        visit(it->second);
        it = objects.upper_bound(id);
    }
}

D3DXVECTOR3 RaisedCentre(const TGameObject* o)
{
    D3DXVECTOR3 p;
    o->GetPosition(&p);
    p.y += o->GetCenterHeight();
    return p;
}

}  // namespace

TCollisionWorld::~TCollisionWorld()
{
    ForgetAll();
}

void TCollisionWorld::Load(const std::string& meshName, float cellWidth, float cellDepth)
{
    const TMesh8 mesh = TMesh8::Load(meshName);
    ForgetAll();
    m_ground.BuildGrid(mesh, cellWidth, cellDepth);
}

void TCollisionWorld::Clear()
{
    ForgetAll();
}

void TCollisionWorld::AddSolid(const TMesh8& mesh)
{
    m_solids.emplace_back();
    TCollisionMesh& solid = m_solids.back();
    try {
        solid.Build(mesh);
    } catch (...) {
        m_solids.pop_back();
        throw;
    }
}

void TCollisionWorld::Adopt(TGameObject* object)
{
    // An object is in one world's maps at a time.
    if (object->m_registeredIn != nullptr && object->m_registeredIn != this) {
        object->m_registeredIn->Forget(object);
    }
    object->m_registeredIn = this;
}

void TCollisionWorld::Register(TGameObject* object)
{
    Adopt(object);
    m_objects[object->GetObjectId()] = object;
}

void TCollisionWorld::RegisterSecondary(TGameObject* object)
{
    Adopt(object);
    m_fighters[object->GetObjectId()] = object;
}

void TCollisionWorld::Unregister(std::uint32_t id)
{
    for (auto* map : {&m_objects, &m_fighters}) {
        const auto it = map->find(id);
        if (it != map->end()) {
            TGameObject* object = it->second;
            map->erase(it);
            if (object->m_registeredIn == this && FindRegistered(id) != object && FindFighter(id) != object) {
                object->m_registeredIn = nullptr;
            }
        }
    }
}

void TCollisionWorld::Forget(TGameObject* object)
{
    const std::uint32_t id = object->GetObjectId();
    for (auto* map : {&m_objects, &m_fighters}) {
        const auto it = map->find(id);
        if (it != map->end() && it->second == object) {
            map->erase(it);
        }
    }
    if (object->m_registeredIn == this) {
        object->m_registeredIn = nullptr;
    }
}

void TCollisionWorld::ForgetAll()
{
    for (auto* map : {&m_objects, &m_fighters}) {
        for (auto& entry : *map) {
            if (entry.second->m_registeredIn == this) {
                entry.second->m_registeredIn = nullptr;
            }
        }
        map->clear();
    }
}

TGameObject* TCollisionWorld::FindRegistered(std::uint32_t id) const
{
    const auto it = m_objects.find(id);
    return it != m_objects.end() ? it->second : nullptr;
}

TGameObject* TCollisionWorld::FindFighter(std::uint32_t id) const
{
    const auto it = m_fighters.find(id);
    return it != m_fighters.end() ? it->second : nullptr;
}

void TCollisionWorld::CheckAttacks(TGameObject* player)
{
    if (player == nullptr) {
        return;
    }
    if (auto* armed = dynamic_cast<TArmedCharacter*>(player)) {
        ForEachById(m_fighters, [&](TGameObject* b) { armed->ApplyHitsTo(b); });
    }
    ForEachById(m_fighters, [&](TGameObject* b) {
        if (auto* fighter = dynamic_cast<TArmedCharacter*>(b)) {
            fighter->ApplyHitsTo(player);
        }
    });
}

void TCollisionWorld::SeparateObjects()
{
    ForEachById(m_objects, [&](TGameObject* a) {
        a->SetNearbyCount(0);
        ForEachById(m_objects, [&](TGameObject* b) {
            if (b == a) {
                return;
            }
            const float ra = a->GetCenterHeight();
            const float rb = b->GetCenterHeight();
            const D3DXVECTOR3 v = RaisedCentre(a) - RaisedCentre(b);
            const float dist = D3DXVec3Length(&v);
            if (dist < 4.0F) {
                a->SetNearbyCount(a->GetNearbyCount() + 1);
            }
            // Two centres in one place give no direction to push along.
            if (!(dist < ra + rb) || !(dist > 0.0F)) {
                return;
            }
            D3DXVECTOR3 dir;
            D3DXVec3Normalize(&dir, &v);
            const float overlap = ra + rb - dist;
            const bool pushA = a->IsPushable() != 0;
            const bool pushB = b->IsPushable() != 0;
            if (pushA && pushB) {
                const D3DXVECTOR3 half = dir * (overlap * 0.5F);
                a->Move(half.x, half.y, half.z);
                b->Move(-half.x, -half.y, -half.z);
            } else if (pushA) {
                const D3DXVECTOR3 d = dir * overlap;
                a->Move(d.x, d.y, d.z);
            } else if (pushB) {
                const D3DXVECTOR3 d = dir * overlap;
                b->Move(-d.x, -d.y, -d.z);
            }
        });
    });
}

void TCollisionWorld::ResolveGround()
{
    ForEachById(m_objects, [&](TGameObject* o) {
        D3DXVECTOR3 pos;
        o->GetPosition(&pos);
        float height = FLT_MAX;
        bool floorBelow = false;
        bool wall = false;
        bool landed = false;
        bool ceiling = false;
        float normal[3];
        std::uint32_t surface = 0;
        m_ground.ResolveSphere(&pos.x, o->GetCenterHeight(), &height, &floorBelow, &wall, &landed, &ceiling, normal,
                               &surface);
        o->SetPosition(pos);
        o->SetGroundKind(surface);
        o->SetContact(height, floorBelow, wall, landed, ceiling, normal);
    });
}

void TCollisionWorld::ResolveSolids()
{
    ForEachById(m_objects, [&](TGameObject* o) {
        D3DXVECTOR3 pos;
        o->GetPosition(&pos);
        const std::uint32_t kind = o->GetGroundKind();
        float height = FLT_MAX;
        std::uint8_t flags[4] = {};
        float normal[3];
        o->GetContact(&height, &flags[0], &flags[1], &flags[2], &flags[3], normal);
        bool floorBelow = flags[0] != 0;
        bool wall = flags[1] != 0;
        bool landed = flags[2] != 0;
        bool ceiling = flags[3] != 0;
        std::uint32_t discard = 0;
        for (const TBoundedCollisionMesh& solid : m_solids) {
            solid.ResolveSphere(&pos.x, o->GetCenterHeight(), &height, &floorBelow, &wall, &landed, &ceiling, normal,
                                &discard);
        }
        o->SetPosition(pos);
        o->SetGroundKind(kind);
        o->SetContact(height, floorBelow, wall, landed, ceiling, normal);
    });
}

void TCollisionWorld::FindFloor(const float* pos, bool* found, float* height, float* normal) const
{
    m_ground.ProbeFloor(pos, found, height, normal);
    for (const TBoundedCollisionMesh& solid : m_solids) {
        solid.ProbeFloor(pos, found, height, normal);
    }
}
