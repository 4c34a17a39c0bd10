#include "MainCode/Map/TCollisionWorld.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <climits>
#include <cmath>

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

namespace {

// Cell coordinates are held to this many cells either side of the origin; objects beyond share
// the edge cells, which only makes them look at more pairs.
constexpr float kCellLimit = 1.0e9F;
constexpr std::int64_t kNoCell = INT64_MIN;

std::int64_t CellCoordinate(float v, float size)
{
    float q = v / size;
    if (!(q > -kCellLimit)) {  // NaN too: such an object neither counts nor pushes
        q = -kCellLimit;
    } else if (q > kCellLimit) {
        q = kCellLimit;
    }
    return static_cast<std::int64_t>(std::floor(q));
}

std::int64_t PackCell(std::int64_t x, std::int64_t z)
{
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(x) << 32) ^
                                     (static_cast<std::uint64_t>(z) & 0xFFFFFFFFU));
}

std::size_t SlotOf(std::int64_t key, std::size_t mask)
{
    return static_cast<std::size_t>((static_cast<std::uint64_t>(key) * 0x9E3779B97F4A7C15ULL) >> 32) & mask;
}

// A push down that would sink the centre of an object standing on a floor below that floor loses
// its downward part: the ground pass finds no floor under a sunken centre, and the object would
// fall through the ground.
void Push(TGameObject* o, float dx, float dy, float dz)
{
    if (dy < 0.0F) {
        float floorHeight = 0.0F;
        std::uint8_t flags[4] = {};
        float normal[3];
        o->GetContact(&floorHeight, &flags[0], &flags[1], &flags[2], &flags[3], normal);
        D3DXVECTOR3 p;
        o->GetPosition(&p);
        if (flags[0] != 0 && flags[2] != 0 && (p.y + dy) + o->GetCenterHeight() < floorHeight) {
            dy = 0.0F;
        }
    }
    o->Move(dx, dy, dz);
}

struct Pushed {
    bool a = false;
    bool b = false;
};

// One ordered pair, from the objects' positions as they stand: b counts as a's neighbour within
// 4.0, and overlapping spheres are pushed apart, each pushable one by its share.
Pushed SeparatePair(TGameObject* a, TGameObject* b, const D3DXVECTOR3& at, const D3DXVECTOR3& bt)
{
    const float ra = a->GetCenterHeight();
    const float rb = b->GetCenterHeight();
    const D3DXVECTOR3 v = D3DXVECTOR3(at.x, at.y + ra, at.z) - D3DXVECTOR3(bt.x, bt.y + rb, bt.z);
    // A pair clearly farther apart than both the count's reach and the spheres' sizes needs no root.
    const float reach = std::max(4.0F, ra + rb);
    if (v.x * v.x + v.y * v.y + v.z * v.z > reach * reach * 1.01F) {
        return {};
    }
    const float dist = D3DXVec3Length(&v);
    if (dist < 4.0F) {
        a->SetNearbyCount(a->GetNearbyCount() + 1);
    }
    // Two centres in one place give no direction to push along.
    if (!(dist < ra + rb) || !(dist > 0.0F)) {
        return {};
    }
    D3DXVECTOR3 dir;
    D3DXVec3Normalize(&dir, &v);
    const float overlap = ra + rb - dist;
    Pushed pushed;
    pushed.a = a->IsPushable() != 0;
    pushed.b = b->IsPushable() != 0;
    if (pushed.a && pushed.b) {
        const D3DXVECTOR3 half = dir * (overlap * 0.5F);
        Push(a, half.x, half.y, half.z);
        Push(b, -half.x, -half.y, -half.z);
    } else if (pushed.a) {
        const D3DXVECTOR3 d = dir * overlap;
        Push(a, d.x, d.y, d.z);
    } else if (pushed.b) {
        const D3DXVECTOR3 d = dir * overlap;
        Push(b, -d.x, -d.y, -d.z);
    }
    return pushed;
}

}  // namespace

std::int64_t TCollisionWorld::CellKey(const D3DXVECTOR3& p) const
{
    return PackCell(CellCoordinate(p.x, m_sep.cellSize), CellCoordinate(p.z, m_sep.cellSize));
}

// Open addressing; a cell left empty keeps its slot for the rest of the step, free for a new cell.
TCollisionWorld::CellSlot& TCollisionWorld::FindSlot(std::int64_t key)
{
    std::vector<CellSlot>& slots = m_sep.slots;
    const std::size_t mask = slots.size() - 1;
    std::size_t i = SlotOf(key, mask);
    CellSlot* spare = nullptr;
    for (std::size_t probes = 0; probes < slots.size(); ++probes, i = (i + 1) & mask) {
        CellSlot& slot = slots[i];
        if (slot.key == key) {
            return slot;
        }
        if (slot.key == kNoCell) {
            spare = spare != nullptr ? spare : &slot;
            break;
        }
        if (slot.head < 0 && spare == nullptr) {
            spare = &slot;
        }
    }
    // Four slots an object, and an object is in one cell at a time: a spare is always there.
    spare->key = key;
    spare->head = -1;
    return *spare;
}

void TCollisionWorld::PlaceInCell(std::int32_t index)
{
    const auto i = static_cast<std::size_t>(index);
    const std::int64_t key = CellKey(m_sep.pos[i]);
    CellSlot& slot = FindSlot(key);
    m_sep.cellOf[i] = key;
    m_sep.next[i] = slot.head;
    slot.head = index;
}

void TCollisionWorld::TakeFromCell(std::int32_t index)
{
    CellSlot& slot = FindSlot(m_sep.cellOf[static_cast<std::size_t>(index)]);
    std::int32_t* link = &slot.head;
    while (*link != index) {
        link = &m_sep.next[static_cast<std::size_t>(*link)];
    }
    *link = m_sep.next[static_cast<std::size_t>(index)];
}

void TCollisionWorld::GatherNearby(const D3DXVECTOR3& pos, std::int32_t self, std::int32_t after)
{
    // The cells' chains run in no useful order: the objects found are marked in a bitmap of
    // indices and read back from it in id order. Each object is in one of the nine cells at most
    // once, so the list never outgrows the objects.
    std::uint64_t* const marks = m_sep.marks.data();
    std::fill(m_sep.marks.begin(), m_sep.marks.end(), 0U);
    const std::vector<CellSlot>& slots = m_sep.slots;
    const std::size_t mask = slots.size() - 1;
    const std::int64_t cx = CellCoordinate(pos.x, m_sep.cellSize);
    const std::int64_t cz = CellCoordinate(pos.z, m_sep.cellSize);
    for (std::int64_t dx = -1; dx <= 1; ++dx) {
        for (std::int64_t dz = -1; dz <= 1; ++dz) {
            const std::int64_t key = PackCell(cx + dx, cz + dz);
            std::size_t i = SlotOf(key, mask);
            for (std::size_t probes = 0; probes < slots.size() && slots[i].key != kNoCell;
                 ++probes, i = (i + 1) & mask) {
                if (slots[i].key != key) {
                    continue;
                }
                for (std::int32_t o = slots[i].head; o >= 0; o = m_sep.next[static_cast<std::size_t>(o)]) {
                    // Beyond the gathering radius on the ground is out of reach until pos moves
                    // by the margin (NaN stays in).
                    const auto u = static_cast<std::size_t>(o);
                    const D3DXVECTOR3& q = m_sep.pos[u];
                    const float ox = q.x - pos.x;
                    const float oz = q.z - pos.z;
                    const bool near = o != self && o > after && !(ox * ox + oz * oz > m_sep.gatherSquared);
                    marks[u / 64] |= static_cast<std::uint64_t>(near ? 1U : 0U) << (u % 64);
                }
                break;
            }
        }
    }
    std::int32_t* const out = m_sep.nearby.data();
    std::size_t count = 0;
    for (std::size_t w = 0; w < m_sep.marks.size(); ++w) {
        for (std::uint64_t bits = marks[w]; bits != 0; bits &= bits - 1) {
            out[count++] = static_cast<std::int32_t>(w * 64 + static_cast<std::size_t>(std::countr_zero(bits)));
        }
    }
    m_sep.nearbyCount = count;
}

void TCollisionWorld::Moved(std::int32_t index)
{
    const auto i = static_cast<std::size_t>(index);
    m_sep.objects[i]->GetPosition(&m_sep.pos[i]);
    if (CellKey(m_sep.pos[i]) != m_sep.cellOf[i]) {
        TakeFromCell(index);
        PlaceInCell(index);
    }
}

void TCollisionWorld::SeparateObjects()
{
    Separation& s = m_sep;
    s.objects.clear();
    // No pair farther apart than this counts or pushes.
    float reach = 4.0F;
    for (const auto& entry : m_objects) {
        s.objects.push_back(entry.second);
        reach = std::max(reach, 2.0F * entry.second->GetCenterHeight());
    }
    // An object moves less than the margin from where its neighbours were gathered before they
    // are gathered again, and only the gathered ones move meanwhile; so an object that was farther
    // than reach and margin on the ground stays out of reach. Cells are at least that wide, so
    // the nine around a place hold everything that close to it.
    const float margin = reach * 0.125F;
    const float gather = reach + margin;
    s.gatherSquared = gather * gather * 1.02F;
    s.cellSize = gather * 1.01F;
    const std::size_t n = s.objects.size();
    s.pos.resize(n);
    s.cellOf.resize(n);
    s.next.resize(n);
    s.nearby.resize(n);
    s.marks.resize((n + 63) / 64);
    std::size_t slots = 16;
    while (slots < 4 * n) {
        slots *= 2;
    }
    s.slots.assign(slots, CellSlot{kNoCell, -1});
    for (std::size_t i = 0; i < n; ++i) {
        s.objects[i]->GetPosition(&s.pos[i]);
        PlaceInCell(static_cast<std::int32_t>(i));
    }
    for (std::size_t i = 0; i < n; ++i) {
        const auto ai = static_cast<std::int32_t>(i);
        TGameObject* a = s.objects[i];
        a->SetNearbyCount(0);
        D3DXVECTOR3 anchor = s.pos[i];
        GatherNearby(anchor, ai, -1);
        for (std::size_t k = 0; k < s.nearbyCount; ++k) {
            const std::int32_t bi = s.nearby[k];
            const auto b = static_cast<std::size_t>(bi);
            const Pushed pushed = SeparatePair(a, s.objects[b], s.pos[i], s.pos[b]);
            if (pushed.b) {
                Moved(bi);
            }
            if (!pushed.a) {
                continue;
            }
            Moved(ai);
            const float dx = s.pos[i].x - anchor.x;
            const float dz = s.pos[i].z - anchor.z;
            if (!(dx * dx + dz * dz < margin * margin)) {
                anchor = s.pos[i];
                GatherNearby(anchor, ai, bi);
                k = static_cast<std::size_t>(-1);  // from the first of the new list
            }
        }
    }
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
