#include "MainCode/Effect/TRibbonMesh.h"

#include <cmath>

#include "TCommon/my_error.h"

namespace {

const char kSourceFile[] = "MainCode/Effect/TRibbonMesh";

constexpr DWORD kRibbonFVF = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

[[noreturn]] void Reject(const std::string& path, const std::string& why)
{
    throw my_error("ribbon mesh " + path + ": " + why, kSourceFile, __LINE__);
}

}  // namespace

std::vector<TRibbonRow> BuildRibbonRows(std::uint32_t rowCount, std::uint16_t vertexCount)
{
    std::vector<TRibbonRow> rows(rowCount);
    const auto n = static_cast<std::uint16_t>(vertexCount);
    for (std::uint32_t r = 0; r < rowCount; ++r) {
        if (r == 0) {
            rows[r] = {0, 0, 0, 1, 1, 3};
        } else if (r == rowCount - 1) {
            rows[r] = {static_cast<std::uint16_t>(n - 4), static_cast<std::uint16_t>(n - 4),
                       static_cast<std::uint16_t>(n - 2), static_cast<std::uint16_t>(n - 1),
                       static_cast<std::uint16_t>(n - 1), static_cast<std::uint16_t>(n - 1)};
        } else {
            const std::uint32_t u = 2 + 6 * (r - 1);
            rows[r] = {static_cast<std::uint16_t>(u),     static_cast<std::uint16_t>(u + 2),
                       static_cast<std::uint16_t>(u + 4), static_cast<std::uint16_t>(u + 3),
                       static_cast<std::uint16_t>(u + 5), static_cast<std::uint16_t>(u + 7)};
        }
    }
    return rows;
}

void CheckVertexLayout(const TMesh8& mesh, const std::string& path, std::uint16_t minVertices)
{
    if (mesh.GetFVF() != kRibbonFVF || mesh.GetGeometry()->GetVertexSize() != sizeof(TRibbonVertex)) {
        Reject(path, "vertices without position, colour and one texture coordinate");
    }
    if (mesh.GetVertexCount() < minVertices) {
        Reject(path, "too few vertices");
    }
}

void CheckRibbonMesh(const TMesh8& mesh, const std::string& path, std::uint32_t rowCount)
{
    CheckVertexLayout(mesh, path, 2);
    const std::uint16_t n = mesh.GetVertexCount();
    if (static_cast<std::uint32_t>(mesh.GetFaceCount()) * 3u < n) {
        Reject(path, "fewer indices than vertices");
    }
    // The last row reaches back four vertices, the middle ones forward seven.
    for (const TRibbonRow& row : BuildRibbonRows(rowCount, n)) {
        for (std::uint16_t index : row) {
            if (index >= n) {
                Reject(path, "a row index past the vertices");
            }
        }
    }
}

TMesh8 LoadRibbonMesh(const std::string& path)
{
    TMesh8 mesh = TMesh8::Load(path);
    CheckRibbonMesh(mesh, path, RibbonRowCount(mesh));
    return mesh;
}

void WriteSequentialIndices(TMesh8& mesh)
{
    const std::uint32_t count = static_cast<std::uint32_t>(mesh.GetFaceCount()) * 3u;
    const std::uint16_t n = mesh.GetVertexCount();
    std::uint16_t* indices = mesh.LockIndices();
    if (indices == nullptr || n == 0) {
        return;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        indices[i] = static_cast<std::uint16_t>(i < n ? i : n - 1u);
    }
    mesh.UnlockIndices();
    mesh.RebuildSubsets();
}

D3DXVECTOR3 SafeNormalize(const D3DXVECTOR3& v)
{
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (!(length > 1e-12F)) {
        return D3DXVECTOR3(0.0F, 0.0F, 0.0F);
    }
    return D3DXVECTOR3(v.x / length, v.y / length, v.z / length);
}
