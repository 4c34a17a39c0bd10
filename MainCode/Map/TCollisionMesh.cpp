#include "MainCode/Map/TCollisionMesh.h"

#include <cfloat>
#include <cmath>
#include <cstring>
#include <vector>

#include "TCommon/GridCells.h"
#include "TCommon/my_error.h"
#include "dx/dx8/3d/TMesh8.h"

namespace {

const char kSourceFile[] = "MainCode/Map/TCollisionMesh";

// Reads every triangle of the mesh into faces, each classified by its material's diffuse colour.
TRefPtr<TCollisionFace[]> ReadFaces(const TMesh8& source, std::uint16_t* count)
{
    // Locking and the material lookup are not const; a copy shares the geometry.
    TMesh8 mesh(source);
    const std::uint16_t faceCount = mesh.GetFaceCount();
    TRefPtr<TCollisionFace[]> faces(faceCount > 0 ? new TCollisionFace[faceCount] : nullptr);
    *count = 0;
    if (faceCount == 0) {
        return faces;
    }
    const std::uint32_t stride = mesh.GetGeometry()->GetVertexSize();
    const std::uint16_t vertexCount = mesh.GetVertexCount();
    const std::uint16_t* indices = mesh.LockIndicesReadOnly();
    const auto* vertices = static_cast<const std::uint8_t*>(mesh.LockVerticesReadOnly(0));
    bool bad = indices == nullptr || vertices == nullptr || stride < 3 * sizeof(float);
    for (std::uint16_t i = 0; !bad && i < faceCount; ++i) {
        D3DXVECTOR3 p[3];
        for (int k = 0; k < 3 && !bad; ++k) {
            const std::uint16_t v = indices[i * 3 + k];
            bad = v >= vertexCount;
            if (!bad) {
                std::memcpy(&p[k].x, vertices + static_cast<std::size_t>(v) * stride, 3 * sizeof(float));
            }
        }
        if (!bad) {
            const TMeshMaterial* material = mesh.GetMaterialOfFace(i);
            const float* colour = material != nullptr ? &material->GetMaterial().Diffuse.r : nullptr;
            faces[i].Set(p[0], p[1], p[2], colour);
        }
    }
    if (vertices != nullptr) {
        mesh.UnlockVertices(0, false);
    }
    if (indices != nullptr) {
        mesh.UnlockIndices();
    }
    if (bad) {
        throw my_error("collision mesh with unreadable triangles: " + mesh.GetName(), kSourceFile, __LINE__);
    }
    *count = faceCount;
    return faces;
}

// Whether x lies in the closed span of the cell starting at lo.
bool InSpan(float x, float lo, float size)
{
    return x >= lo && x <= lo + size;
}

}  // namespace

TCollisionMesh::~TCollisionMesh() = default;

void TCollisionMesh::Build(const TMesh8& mesh)
{
    std::uint16_t count = 0;
    TRefPtr<TCollisionFace[]> faces = ReadFaces(mesh, &count);
    m_faces = faces;
    m_faceCount = count;
}

TRangeXZ ComputeBoundsXZ(const TCollisionFace* faces, std::uint32_t count)
{
    TRangeXZ r{{FLT_MAX, -FLT_MAX}, {FLT_MAX, -FLT_MAX}};
    for (std::uint32_t i = 0; i < count; ++i) {
        for (int k = 0; k < 3; ++k) {
            const D3DXVECTOR3& p = faces[i].GetPoint(k);
            r.x[0] = p.x < r.x[0] ? p.x : r.x[0];
            r.x[1] = p.x > r.x[1] ? p.x : r.x[1];
            r.z[0] = p.z < r.z[0] ? p.z : r.z[0];
            r.z[1] = p.z > r.z[1] ? p.z : r.z[1];
        }
    }
    return r;
}

TGridCollisionMesh::~TGridCollisionMesh() = default;

void TGridCollisionMesh::BuildGrid(const TMesh8& mesh, float cellWidth, float cellDepth)
{
    std::uint16_t count = 0;
    TRefPtr<TCollisionFace[]> faces = ReadFaces(mesh, &count);
    TRangeXZ range = ComputeBoundsXZ(faces.Get(), count);
    std::uint32_t cellsX = ComputeGridCells(range.x, cellWidth);
    std::uint32_t cellsZ = ComputeGridCells(range.z, cellDepth);
    if (count == 0) {
        // Nothing to bin: one empty cell.
        cellsX = 1;
        cellsZ = 1;
    }
    // A mesh flat along one axis still needs a cell there.
    if (cellsX == 0 && range.x[0] == range.x[1]) {
        cellsX = 1;
    }
    if (cellsZ == 0 && range.z[0] == range.z[1]) {
        cellsZ = 1;
    }
    const std::uint64_t cellCount = static_cast<std::uint64_t>(cellsX) * cellsZ;
    if (cellCount == 0 || cellCount > kMaxGridCells) {
        throw my_error("collision grid too large: " + mesh.GetName(), kSourceFile, __LINE__);
    }

    // Each corner lies in the cell its offset truncates to, or on the border with the one before or
    // after; only those three are tested, with the same closed-box test as a full scan.
    std::vector<std::vector<std::uint16_t>> lists(static_cast<std::size_t>(cellCount));
    for (std::uint32_t f = 0; f < count; ++f) {
        for (int k = 0; k < 3; ++k) {
            const D3DXVECTOR3& p = faces[f].GetPoint(k);
            if (!std::isfinite(p.x) || !std::isfinite(p.z)) {
                continue;  // in no cell's box
            }
            const auto column = static_cast<std::int64_t>((p.x - range.x[0]) / cellWidth);
            const auto row = static_cast<std::int64_t>((p.z - range.z[0]) / cellDepth);
            for (std::int64_t r = row - 1; r <= row + 1; ++r) {
                if (r < 0 || r >= cellsZ || !InSpan(p.z, range.z[0] + static_cast<float>(r) * cellDepth, cellDepth)) {
                    continue;
                }
                for (std::int64_t c = column - 1; c <= column + 1; ++c) {
                    if (c < 0 || c >= cellsX ||
                        !InSpan(p.x, range.x[0] + static_cast<float>(c) * cellWidth, cellWidth)) {
                        continue;
                    }
                    std::vector<std::uint16_t>& list = lists[static_cast<std::size_t>(r * cellsX + c)];
                    if (list.empty() || list.back() != f) {
                        list.push_back(static_cast<std::uint16_t>(f));
                    }
                }
            }
        }
    }

    TRefPtr<TGridCell[]> cells(new TGridCell[cellCount]);
    for (std::size_t i = 0; i < lists.size(); ++i) {
        cells[i].faceCount = static_cast<std::uint32_t>(lists[i].size());
        if (!lists[i].empty()) {
            cells[i].faces = TRefPtr<std::uint16_t[]>(new std::uint16_t[lists[i].size()]);
            std::memcpy(cells[i].faces.Get(), lists[i].data(), lists[i].size() * sizeof(std::uint16_t));
        }
    }
    m_faces = faces;
    m_faceCount = count;
    m_cells = cells;
    m_cellsX = cellsX;
    m_cellsZ = cellsZ;
    m_cellCount = static_cast<std::uint32_t>(cellCount);
    m_cellWidth = cellWidth;
    m_cellDepth = cellDepth;
    m_minX = range.x[0];
    m_maxX = range.x[1];
    m_minZ = range.z[0];
    m_maxZ = range.z[1];
}

void TGridCollisionMesh::GetNeighbourCells(const float* pos, int cells[9]) const
{
    // Clamped before the conversion: NaN or far-off points must not overflow it.
    const auto toIndex = [](float q, std::int64_t* out) {
        if (std::isnan(q)) {
            return false;
        }
        constexpr float kLimit = 2147483648.0F;
        q = q < -kLimit ? -kLimit : (q > kLimit ? kLimit : q);
        *out = static_cast<std::int64_t>(q);
        return true;
    };
    std::int64_t column = 0;
    std::int64_t row = 0;
    const bool valid = toIndex((pos[0] - m_minX) / m_cellWidth, &column) &&
                       toIndex((pos[2] - m_minZ) / m_cellDepth, &row);
    const std::int64_t w = m_cellsX;
    const std::int64_t c = row * w + column;
    const std::int64_t block[9] = {c - w - 1, c - w, c - w + 1, c - 1, c, c + 1, c + w - 1, c + w, c + w + 1};
    for (int i = 0; i < 9; ++i) {
        const std::int64_t b = block[i];
        const bool usable = valid && b >= 0 && b < m_cellCount && m_cells[static_cast<std::size_t>(b)].faceCount > 0;
        cells[i] = usable ? static_cast<int>(b) : -1;
    }
}

TBoundedCollisionMesh::~TBoundedCollisionMesh() = default;

void TBoundedCollisionMesh::Build(const TMesh8& mesh)
{
    mesh.GetBoundingSphere(m_bounds, nullptr);
    TCollisionMesh::Build(mesh);
}
