// Strip meshes drawn as ribbons (thunder, ray, weapon trail): six vertices a segment, every row
// of the ribbon three vertices on its left edge and three on its right. The row table names them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "dx/dx8/3d/TMesh8.h"
#include "platform/d3dx8/d3dx8math.h"

// The vertex layout of the ribbon files: position, diffuse colour, texture u and v.
struct TRibbonVertex {
    float x, y, z;
    std::uint32_t diffuse;
    float u, v;
};
static_assert(sizeof(TRibbonVertex) == 24, "ribbon vertices are 24 bytes");

// Three vertex indices of the left edge, then three of the right.
using TRibbonRow = std::array<std::uint16_t, 6>;

// rowCount rows for a mesh of vertexCount vertices: row 0 (0, 0, 0, 1, 1, 3), middle row r
// (u, u + 2, u + 4, u + 3, u + 5, u + 7) with u = 2 + 6 (r - 1), last row
// (n - 4, n - 4, n - 2, n - 1, n - 1, n - 1).
std::vector<TRibbonRow> BuildRibbonRows(std::uint32_t rowCount, std::uint16_t vertexCount);

// Rows of a ribbon built from its face count.
inline std::uint32_t RibbonRowCount(const TMesh8& mesh) { return (mesh.GetFaceCount() >> 1) + 1u; }

// Loads a ribbon through TMesh8::Load and checks that the ribbon code can address it: the vertex
// layout above, at least two vertices, every row index inside the vertices and no fewer indices
// than vertices. Throws my_error naming the file otherwise.
TMesh8 LoadRibbonMesh(const std::string& path);
// The same checks on a mesh already loaded.
void CheckRibbonMesh(const TMesh8& mesh, const std::string& path, std::uint32_t rowCount);
// Throws my_error naming the file unless the mesh has the ribbon vertex layout and minVertices.
void CheckVertexLayout(const TMesh8& mesh, const std::string& path, std::uint16_t minVertices);

// Rewrites the index buffer as 0, 1, 2, ... (past the last vertex: the last vertex again).
void WriteSequentialIndices(TMesh8& mesh);

// Unit length, or zero for a vector too short to have a direction.
D3DXVECTOR3 SafeNormalize(const D3DXVECTOR3& v);
