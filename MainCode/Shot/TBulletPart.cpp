#include "MainCode/Shot/TBulletPart.h"

#include <algorithm>
#include <cstring>

#include "MainCode/Effect/TEffect.h"
#include "MainCode/TRunState.h"
#include "dx/dx8/3d/TTexture8.h"
#include "platform/d3dx8/d3dx8core.h"

namespace {

const char* const kFrameName = "BullFrm";
const char* const kMeshName = "BullMsh";

TRefPtr<TFrame> NewPartFrame()
{
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    return TRefPtr<TFrame>(new TFrame(kFrameName, identity, nullptr));
}

}  // namespace

TBulletPart::TBulletPart(const std::string& meshName, const float scale[3]) : m_frame(NewPartFrame())
{
    TMesh8 mesh = TEffect::LoadMesh(meshName);
    mesh.SetMaterialType(TMeshMaterial::kAdd, TMesh8::kAllMaterials);
    mesh.SetName(kMeshName);
    m_frame->AddMesh(mesh);
    m_mesh = m_frame->FindMesh(kMeshName, false);
    m_mesh->Scale(scale);
}

TBulletPart::TBulletPart(const TBulletPart& other)
    : TMotionTarget(), m_frame(other.m_frame->Clone(nullptr)), m_mesh(m_frame->FindMesh(kMeshName, false))
{
    std::copy(other.m_colour, other.m_colour + 4, m_colour);
}

TBulletPart& TBulletPart::operator=(const TBulletPart& other)
{
    m_frame = other.m_frame;
    m_mesh = other.m_mesh;
    std::copy(other.m_colour, other.m_colour + 4, m_colour);
    return *this;
}

TBulletPart::~TBulletPart() = default;

void TBulletPart::Attach(TFrame* parent, const D3DXVECTOR3* position, const D3DXVECTOR3* direction,
                         const float colour[4])
{
    if (parent != nullptr) {
        parent->AddChild(m_frame);
    }
    if (position != nullptr) {
        m_frame->SetWorldPosition(*position);
    }
    if (direction != nullptr) {
        m_frame->SetDirection(*direction, D3DXVECTOR3(0.0F, 1.0F, 0.0F));
    }
    if (m_mesh != nullptr) {
        m_mesh->SetEmissive(colour[0], colour[1], colour[2], colour[3], TMesh8::kAllMaterials);
    }
    std::copy(colour, colour + 4, m_colour);
}

D3DXVECTOR3* TBulletPart::GetWorldPosition(D3DXVECTOR3* out) const { return m_frame->GetWorldPosition(out); }

bool TBulletPart::SetWorldPosition(const D3DXVECTOR3& position) { return m_frame->SetWorldPosition(position); }

void TBulletPart::Park() { m_frame->SetPosition(D3DXVECTOR3(kParkedAt, kParkedAt, kParkedAt)); }

D3DXVECTOR3 TBulletPart::GetMotionPoint()
{
    D3DXVECTOR3 p;
    GetWorldPosition(&p);
    return p;
}

TParticleBulletPart::TParticleBulletPart(const std::string& texture, const float scale[3],
                                         const TBulletPartCells& cells)
    : TBulletPart(std::string(), scale), m_cells(&cells)
{
    if (m_mesh->GetMaterialCount() != 0) {
        m_material = &m_mesh->EditMaterial(0);
        m_material->SetTexture(TTexture8::Load(texture, D3DPOOL_MANAGED, 0));
    }
    std::uint32_t& counter = TRunState::Current().bulletPartCounters[cells.kind];
    const std::uint32_t k = counter;
    WriteCell(k);
    m_cell = k;
    counter = k + 1;
}

TParticleBulletPart::TParticleBulletPart(const TParticleBulletPart& other)
    : TBulletPart(other), m_cells(other.m_cells), m_cell(other.m_cell)
{
    if (m_mesh->GetMaterialCount() != 0) {
        m_material = &m_mesh->GetMaterial(0);
    }
    // Writing the cell again gives the copy vertex data of its own, so animating it later
    // neither allocates nor reaches into the original.
    WriteCell(m_cell);
}

void TParticleBulletPart::CellOffsets(const TBulletPartCells& cells, std::uint32_t k, float* u0, float* v0)
{
    if (cells.grid) {
        const std::uint32_t j = k & 3;
        *u0 = static_cast<float>(j >> 1) * cells.cellU;
        *v0 = static_cast<float>(j & 1) * cells.cellV;
    } else {
        *u0 = static_cast<float>(k & 1) * cells.cellU;
        *v0 = cells.cellV * 0.0F;
    }
}

void TParticleBulletPart::AdvanceCell()
{
    ++m_cell;
    WriteCell(m_cell);
}

void TParticleBulletPart::WriteCell(std::uint32_t k)
{
    const DWORD fvf = m_mesh->GetFVF();
    if ((fvf & D3DFVF_TEXCOUNT_MASK) == 0 || m_mesh->GetVertexCount() < 4) {
        return;
    }
    float u0 = 0.0F;
    float v0 = 0.0F;
    CellOffsets(*m_cells, k, &u0, &v0);
    const float cu = m_cells->cellU;
    const float cv = m_cells->cellV;
    const float uv[4][2] = {{u0 + cu, v0 + cv}, {u0 + cu, v0}, {u0, v0}, {u0, v0 + cv}};
    const UINT stride = D3DXGetFVFVertexSize(fvf);
    const UINT offset = D3DXGetFVFVertexSize(fvf & ~static_cast<DWORD>(D3DFVF_TEXCOUNT_MASK));
    auto* bytes = static_cast<std::uint8_t*>(m_mesh->LockVertices(0));
    if (bytes == nullptr) {
        return;
    }
    for (int i = 0; i < 4; ++i) {
        std::memcpy(bytes + static_cast<std::size_t>(i) * stride + offset, uv[i], sizeof uv[i]);
    }
    m_mesh->UnlockVertices(0, false);
}
