#include "MainCode/Map/TMeshAreaManager.h"

#include <cmath>

#include "MainCode/Character/TimeStop.h"
#include "dx/dx8/3d/TMeshMaterial.h"
#include "dx/dx8/3d/TVertexShader.h"

namespace {

// Far beyond any grid, small enough that the neighbours' indexes do not overflow.
constexpr float kIndexLimit = 1.0e7F;

// trunc(offset / size); NaN and huge quotients land far outside the grid instead of overflowing.
std::int32_t CellIndex(float offset, float size)
{
    const float q = offset / size;
    if (std::isnan(q)) {
        return -static_cast<std::int32_t>(kIndexLimit);
    }
    return static_cast<std::int32_t>(q < -kIndexLimit ? -kIndexLimit : (q > kIndexLimit ? kIndexLimit : q));
}

TRefPtr<TFrame> NewFrame(const std::string& name)
{
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    return TRefPtr<TFrame>(new TFrame(name, identity, nullptr));
}

// The 3 × 3 block around a cell, row by row (i for X, j for Z).
constexpr int kBlock[9][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {0, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};

}  // namespace

TMeshAreaManager::TMeshAreaManager() : m_cells(nullptr) {}

void TMeshAreaManager::Load(const std::string& meshName, float cellWidth, float cellDepth, TFrame* parent,
                            const std::string& name)
{
    const TMesh8 mesh = TMesh8::Load(meshName);
    Build(mesh, cellWidth, cellDepth, parent, name);
}

void TMeshAreaManager::Build(const TMesh8& mesh, float cellWidth, float cellDepth, TFrame* parent,
                             const std::string& name)
{
    m_name = name;
    m_root = NewFrame(name + "Root");
    m_subRoot = NewFrame(name + "SubRoot");
    m_cellWidth = cellWidth;
    m_cellDepth = cellDepth;
    m_currentX = -1;
    m_currentZ = -1;
    m_objectMeshes.clear();

    TMesh8 source(mesh);
    float xRange[2] = {};
    float zRange[2] = {};
    std::uint32_t columns = 0;
    std::uint32_t rows = 0;
    m_cells = TRefPtr<CellRows>(new CellRows());
    source.BuildTriangleGrid(cellWidth, cellDepth, xRange, zRange, &columns, &rows, m_cells.Get());
    m_minX = xRange[0];
    m_maxX = xRange[1];
    m_minZ = zRange[0];
    m_maxZ = zRange[1];
    m_cellsX = static_cast<std::int32_t>(columns);
    m_cellsZ = static_cast<std::int32_t>(rows);
    for (std::vector<TMesh8>& row : *m_cells) {
        for (TMesh8& cell : row) {
            cell.SetVertexShader(TRefPtr<TVertexShader>(new TVertexColorShader()));
        }
    }
    if (parent != nullptr) {
        parent->AddChild(m_root);
        parent->AddChild(m_subRoot);
    }
}

std::pair<std::int32_t, std::int32_t> TMeshAreaManager::CellOf(float x, float z) const
{
    return {CellIndex(x - m_minX, m_cellWidth), CellIndex(z - m_minZ, m_cellDepth)};
}

void TMeshAreaManager::AddObjectMesh(const TMesh8& mesh)
{
    float sphere[5];
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    mesh.GetBoundingSphere(sphere, &identity);
    const auto [column, row] = CellOf(sphere[0], sphere[2]);
    if (column < 0 || column >= m_cellsX || row < 0 || row >= m_cellsZ) {
        return;
    }
    m_objectMeshes[CellKey{column, row}].push_back(mesh);
}

bool TMeshAreaManager::ShowObjectMesh(TMesh8& mesh, const float* pos)
{
    if (mesh.GetMaterialCount() != 0) {
        const std::uint16_t type = mesh.GetMaterial(0).GetMaterialType();
        const bool fades = type != TMeshMaterial::kHide && type != TMeshMaterial::kMul &&
                           type != TMeshMaterial::kAdd && type != TMeshMaterial::kZDisAdd;
        if (fades) {
            float sphere[5];
            mesh.GetBoundingSphere(sphere, nullptr);
            const float dx = pos[0] - sphere[0];
            const float dz = pos[2] - sphere[2];
            const float d = std::sqrt(dx * dx + dz * dz);
            if (d < 3.0F) {
                return false;  // the point is inside it: not drawn at all
            }
            if (d < 8.0F) {
                mesh.SetEmissiveAlpha((d - 3.0F) * 0.2F, TMesh8::kAllMaterials);
                mesh.SetMaterialType(TMeshMaterial::kZwnAlpha, TMesh8::kAllMaterials);
            } else {
                mesh.SetEmissiveAlpha(1.0F, TMesh8::kAllMaterials);
                mesh.SetMaterialType(TMeshMaterial::kAlpha, TMesh8::kAllMaterials);
            }
        }
    }
    return true;
}

void TMeshAreaManager::Update(const float* pos, const float* /*other*/)
{
    if (m_root.Get() == nullptr) {
        return;  // never built
    }
    if (!IsTimeStopped()) {
        for (auto& [key, meshes] : m_objectMeshes) {
            for (TMesh8& mesh : meshes) {
                if (mesh.GetMorphCount() != 0) {
                    mesh.AdvanceMorph(true, 1.0F);
                }
            }
        }
    }
    const auto [column, row] = CellOf(pos[0], pos[2]);

    // Refilled in place: the same meshes shown again take their old slots without allocating.
    std::size_t shown = 0;
    for (const auto& offset : kBlock) {
        const auto found = m_objectMeshes.find(CellKey{column + offset[0], row + offset[1]});
        if (found == m_objectMeshes.end()) {
            continue;
        }
        for (TMesh8& mesh : found->second) {
            if (ShowObjectMesh(mesh, pos)) {
                m_subRoot->SetMesh(shown++, mesh);
            }
        }
    }
    m_subRoot->KeepMeshes(shown);

    if (column == m_currentX && row == m_currentZ) {
        return;
    }
    m_currentX = column;
    m_currentZ = row;
    if (m_cells.Get() == nullptr) {
        m_root->ClearMeshes();
        return;
    }
    std::size_t attached = 0;
    for (const auto& offset : kBlock) {
        const std::int32_t x = column + offset[0];
        const std::int32_t z = row + offset[1];
        if (x >= 0 && x < m_cellsX && z >= 0 && z < m_cellsZ) {
            m_root->SetMesh(attached++, (*m_cells)[static_cast<std::size_t>(z)][static_cast<std::size_t>(x)]);
        }
    }
    m_root->KeepMeshes(attached);
}

void TMeshAreaManager::Detach()
{
    if (m_root.Get() != nullptr) {
        m_root->Detach();
    }
    if (m_subRoot.Get() != nullptr) {
        m_subRoot->Detach();
    }
}

void TMeshAreaManager::Release() { m_cells = TRefPtr<CellRows>(nullptr); }
