// The collision and registration centre of one area: the ground grid, the solid map objects, and the
// objects that registered on entering the field (the armed characters a second time as fighters).
// The maps hold plain pointers; an object destroyed while registered takes itself out.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "MainCode/Map/TCollisionMesh.h"

class TGameObject;
class TMesh8;

class TCollisionWorld {
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
    // Pushes overlapping spheres apart and counts each object's neighbours within 4.0.
    void SeparateObjects();
    void ResolveGround();
    void ResolveSolids();
    // The floor below pos over the ground and then every solid.
    void FindFloor(const float* pos, bool* found, float* height, float* normal) const;

    const TGridCollisionMesh& GetGround() const { return m_ground; }
    std::size_t GetSolidCount() const { return m_solids.size(); }
    const TBoundedCollisionMesh& GetSolid(std::size_t i) const { return m_solids[i]; }
    TGameObject* FindRegistered(std::uint32_t id) const;
    TGameObject* FindFighter(std::uint32_t id) const;

private:
    friend class TGameObject;
    // From a dying object: takes out the entries that still hold it.
    void Forget(TGameObject* object);
    void ForgetAll();
    void Adopt(TGameObject* object);

    TGridCollisionMesh m_ground;
    std::vector<TBoundedCollisionMesh> m_solids;
    std::map<std::uint32_t, TGameObject*> m_objects;
    std::map<std::uint32_t, TGameObject*> m_fighters;
};
