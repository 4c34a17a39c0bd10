#include "MainCode/Effect/TRayEffect.h"

#include <algorithm>

#include "MainCode/Character/TGameObject.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/Map/TAreaBase.h"
#include "dx/dx8/3d/TMeshMaterial.h"

namespace {

constexpr const char* kFrameName = "RayFrame";
constexpr const char* kMeshName = "Ray";

D3DXVECTOR3 Cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    return D3DXVECTOR3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

}  // namespace

TRayEffect::TRayEffect(const std::string& meshName) : TEffect(NewFrame(kFrameName)), m_meshName(meshName)
{
    TMesh8 mesh = LoadRibbonMesh(TEffectManager::GetFolder() + meshName);
    mesh.SetName(kMeshName);
    m_capacity = static_cast<std::int32_t>(RibbonRowCount(mesh));
    m_rowTable = BuildRibbonRows(static_cast<std::uint32_t>(m_capacity), mesh.GetVertexCount());
    // The trail darkens and fades toward its end.
    auto* v = static_cast<TRibbonVertex*>(mesh.LockVertices(0));
    for (std::int32_t r = 0; r < m_capacity; ++r) {
        const auto shade = static_cast<std::uint32_t>(
            255.0F * (1.0F - static_cast<float>(r) / static_cast<float>(m_capacity)));
        for (std::uint16_t index : m_rowTable[static_cast<std::size_t>(r)]) {
            v[index].diffuse = shade << 24 | shade << 16 | shade << 8 | shade;
        }
    }
    mesh.UnlockVertices(0, false);
    m_frame->AddMesh(mesh);
    m_mesh = m_frame->FindMesh(kMeshName, false);
    m_points.assign(static_cast<std::size_t>(m_capacity), D3DXVECTOR3(0.0F, 0.0F, 0.0F));
}

TRayEffect::TRayEffect(const TRayEffect& other)
    : TEffect(NewFrame(kFrameName)),
      m_meshName(other.m_meshName),
      m_capacity(other.m_capacity),
      m_points(other.m_points.size(), D3DXVECTOR3(0.0F, 0.0F, 0.0F)),
      m_rowTable(other.m_rowTable)
{
    TMesh8 mesh = other.m_mesh->CloneMirrored(0);
    mesh.SetMaterialType(TMeshMaterial::kAdd, TMesh8::kAllMaterials);
    m_frame->AddMesh(mesh);
    m_mesh = m_frame->FindMesh(kMeshName, false);
}

TRayEffect::~TRayEffect() = default;

void TRayEffect::Init(std::int32_t serial, const D3DXVECTOR3* position, const D3DXVECTOR3* direction,
                      TFrame* parent, TAreaBase* area, const float* colour)
{
    TEffect::Init(serial, position, direction, parent, area, colour);
    m_area = area;
}

void TRayEffect::SetCurve(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, const D3DXVECTOR3& p2,
                          std::int32_t targetId, float tStart, float tEnd, std::int32_t stepCount)
{
    m_p0 = p0;
    m_p1 = p1;
    m_p2 = p2;
    m_targetId = targetId;
    m_tStart = tStart;
    m_tEnd = tEnd;
    m_stepCount = stepCount;
    m_t = tStart;
    m_step = 0;
    m_arrived = stepCount <= 0;
}

bool TRayEffect::Update()
{
    if (m_area != nullptr) {
        if (TGameObject* target = m_area->FindObject(static_cast<std::uint32_t>(m_targetId))) {
            target->GetCenterPosition(&m_p3);
        }
    }
    const float s = 1.0F - m_t;
    const D3DXVECTOR3 head = m_p0 * (s * s * s) + m_p1 * (3.0F * m_t * s * s) + m_p2 * (3.0F * m_t * m_t * s) +
                             m_p3 * (m_t * m_t * m_t);
    if (m_capacity > 0) {
        std::copy_backward(m_points.begin(), m_points.end() - 1, m_points.end());
        if (!m_arrived) {
            m_points[0] = head;
        }
    }
    m_length = std::min(m_length + 1, m_capacity);
    RebuildRibbon();
    if (m_step < m_stepCount) {
        ++m_step;
        m_t = m_tStart + (m_tEnd - m_tStart) * static_cast<float>(m_step) / static_cast<float>(m_stepCount);
    } else {
        m_t = m_tEnd;
        m_arrived = true;
        ++m_tail;
    }
    return m_tail < m_capacity;
}

void TRayEffect::RebuildRibbon()
{
    auto* v = static_cast<TRibbonVertex*>(m_mesh->LockVertices(0));
    if (v == nullptr) {
        return;
    }
    const auto place = [&](const TRibbonRow& row, const D3DXVECTOR3& left, const D3DXVECTOR3& right) {
        for (int k = 0; k < 6; ++k) {
            const D3DXVECTOR3& p = k < 3 ? left : right;
            v[row[static_cast<std::size_t>(k)]].x = p.x;
            v[row[static_cast<std::size_t>(k)]].y = p.y;
            v[row[static_cast<std::size_t>(k)]].z = p.z;
        }
    };
    D3DXVECTOR3 previous(0.0F, 0.0F, 1.0F);
    for (std::int32_t i = 0; i < m_length; ++i) {
        const D3DXVECTOR3& point = m_points[static_cast<std::size_t>(i)];
        const D3DXVECTOR3 a = SafeNormalize(m_p0 - point);
        const D3DXVECTOR3 c = SafeNormalize(Cross(previous, a));
        const D3DXVECTOR3 w = SafeNormalize(Cross(a, c)) * 0.1F;
        previous = w;
        place(m_rowTable[static_cast<std::size_t>(i)], point + w, point - w);
    }
    // The part beyond the trail collapses onto the row just past it.
    if (m_length < m_capacity) {
        const TRibbonRow& edge = m_rowTable[static_cast<std::size_t>(m_length)];
        const D3DXVECTOR3 left(v[edge[0]].x, v[edge[0]].y, v[edge[0]].z);
        const D3DXVECTOR3 right(v[edge[3]].x, v[edge[3]].y, v[edge[3]].z);
        for (std::int32_t r = m_length; r < m_capacity; ++r) {
            place(m_rowTable[static_cast<std::size_t>(r)], left, right);
        }
    }
    m_mesh->UnlockVertices(0, true);
}
