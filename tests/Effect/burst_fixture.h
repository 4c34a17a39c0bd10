// What the burst, bolt, ray and trail tests share: an attack hit whose life the test sets, an
// armed character whose action-state answer the test sets, and readers of ribbon and quad vertices.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "MainCode/Effect/TRibbonMesh.h"
#include "MainCode/Map/TAttackHit.h"
#include "effect_area_fixture.h"

namespace effecttest {

class LifeHit : public TAttackHit {
public:
    LifeHit() : TAttackHit(0, nullptr, nullptr, TAttackHitParams()) {}
    void HitTest(TGameObject* /*target*/) override {}
    // 2 while active, 0 once ended.
    void SetLife(std::uint32_t life) { m_alive = life; }
};

class QueryCharacter : public qmtest::EffectTestCharacter {
public:
    QueryCharacter() : EffectTestCharacter("owner") {}
    bool IsSpecialActionState() override { return query; }
    bool query = false;
};

// A copy of the mesh's vertices of key frame 0.
inline std::vector<TRibbonVertex> VerticesOf(TMesh8* mesh)
{
    const auto* v = static_cast<const TRibbonVertex*>(mesh->LockVerticesReadOnly(0));
    std::vector<TRibbonVertex> out(v, v + mesh->GetVertexCount());
    mesh->UnlockVertices(0, false);
    return out;
}

inline std::vector<std::uint16_t> IndicesOf(TMesh8* mesh)
{
    const std::uint16_t* i = mesh->LockIndicesReadOnly();
    std::vector<std::uint16_t> out(i, i + mesh->GetFaceCount() * 3u);
    mesh->UnlockIndices();
    return out;
}

inline const D3DCOLORVALUE& EmissiveOf(TMesh8* mesh) { return mesh->GetMaterial(0).GetMaterial().Emissive; }

}  // namespace effecttest
