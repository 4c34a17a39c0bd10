// The collision and registration centre of one area: the ground grid, the solid map objects, and the
// objects that registered on entering the field (the armed characters a second time as fighters).
// The maps hold plain pointers; an object destroyed while registered takes itself out.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "MainCode/Map/TCollisionMesh.h"
#include "platform/d3dx8/d3dx8math.h"

class TGameObject;
class TMesh8;

class TCollisionWorld {
    friend struct TMapProbe;
public:
    TCollisionWorld() = default;
    TCollisionWorld(const TCollisionWorld&) = delete;
    TCollisionWorld& operator=(const TCollisionWorld&) = delete;
    virtual ~TCollisionWorld();

    // The ground from the mesh file; every registration is dropped, so objects register afterwards.
    void Load(const std::string& meshName, float cellWidth, float cellDepth);
    // Drops every registration; ground and solids stay.
    void Clear();
    void AddSolid(const TMesh8& mesh);

    // A later registration under the same id replaces the earlier one.
    void Register(TGameObject* object);
    void RegisterSecondary(TGameObject* object);
    void Unregister(std::uint32_t id);

    // The player's hits against every fighter, then every fighter's hits against the player, in id
    // order. Objects that are not armed characters have no hits.
    void CheckAttacks(TGameObject* player);
    // Pushes overlapping spheres apart and counts each object's neighbours within 4.0: every
    // ordered pair in id order, each push seen by the pairs after it. Only nearby pairs are looked
    // at; the result is that of looking at all of them. An object that stood on a floor is never
    // pushed so far down that its centre sinks below that floor.
    void SeparateObjects();
    void ResolveGround();
    void ResolveSolids();
    // The floor below pos over the ground and then every solid.
    void FindFloor(const float* pos, bool* found, float* height, float* normal) const;

    TGameObject* FindRegistered(std::uint32_t id) const;
    TGameObject* FindFighter(std::uint32_t id) const;

private:
    friend class TGameObject;
    // From a dying object: takes out the entries that still hold it.
    void Forget(TGameObject* object);
    void ForgetAll();
    void Adopt(TGameObject* object);

    // Separation's scratch, kept between steps so that a steady step allocates nothing: the
    // registered objects in id order with their positions, and a hash of ground cells, each cell a
    // chain of them.
    struct CellSlot {
        std::int64_t key;
        std::int32_t head;
    };
    struct Separation {
        std::vector<TGameObject*> objects;
        std::vector<D3DXVECTOR3> pos;
        std::vector<std::int64_t> cellOf;
        std::vector<std::int32_t> next;
        std::vector<CellSlot> slots;
        std::vector<std::int32_t> nearby;
        std::vector<std::uint64_t> marks;  // one bit an object, while gathering
        std::size_t nearbyCount = 0;
        float cellSize = 0.0F;
        float gatherSquared = 0.0F;
    };
    std::int64_t CellKey(const D3DXVECTOR3& p) const;
    CellSlot& FindSlot(std::int64_t key);
    void PlaceInCell(std::int32_t index);
    void TakeFromCell(std::int32_t index);
    // The objects after index `after` near pos, in id order.
    void GatherNearby(const D3DXVECTOR3& pos, std::int32_t self, std::int32_t after);
    // After a push: the object's position and cell brought up to date.
    void Moved(std::int32_t index);

    TGridCollisionMesh m_ground;
    std::vector<TBoundedCollisionMesh> m_solids;
    std::map<std::uint32_t, TGameObject*> m_objects;
    std::map<std::uint32_t, TGameObject*> m_fighters;
    Separation m_sep;
};
