// Sphere resolution and floor probes against the ground grid and the solids.
#include <cfloat>
#include <cmath>

#include "MainCode/Map/TCollisionMesh.h"

namespace {

// A height above this is still the "none" value.
constexpr float kUnsetHeight = 100000.0F;

struct Contact {
    float* floorHeight;
    bool* floorBelow;
    bool* wall;
    bool* landed;
    bool* ceiling;
    float* normal;
    std::uint32_t* surface;
};

bool InsideTriangle(const TCollisionFace& f, const D3DXVECTOR3& q)
{
    const D3DXVECTOR3& n = f.GetNormal();
    for (int i = 0; i < 3; ++i) {
        const D3DXVECTOR3& a = f.GetPoint(i);
        const D3DXVECTOR3& b = f.GetPoint((i + 1) % 3);
        const D3DXVECTOR3 edge = b - a;
        const D3DXVECTOR3 to = q - a;
        D3DXVECTOR3 cross;
        D3DXVec3Cross(&cross, &edge, &to);
        if (!(D3DXVec3Dot(&cross, &n) >= 0.0F)) {
            return false;
        }
    }
    return true;
}

bool IsFloor(const TCollisionFace& f)
{
    return f.GetSlopeClass() == TCollisionFace::kFloor || f.GetSlopeClass() == TCollisionFace::kSlope;
}

// The point of the triangle's edges nearest to c; a later edge replaces it only when strictly nearer.
D3DXVECTOR3 NearestEdgePoint(const TCollisionFace& f, const D3DXVECTOR3& c)
{
    D3DXVECTOR3 best;
    float bestSq = FLT_MAX;
    for (int i = 0; i < 3; ++i) {
        const D3DXVECTOR3& a = f.GetPoint(i);
        const D3DXVECTOR3& b = f.GetPoint((i + 1) % 3);
        const D3DXVECTOR3 edge = b - a;
        const D3DXVECTOR3 to = c - a;
        const float lengthSq = D3DXVec3LengthSq(&edge);
        float t = lengthSq > 0.0F ? D3DXVec3Dot(&to, &edge) / lengthSq : 0.0F;
        t = t < 0.0F ? 0.0F : (t > 1.0F ? 1.0F : t);
        const D3DXVECTOR3 e = a + edge * t;
        const D3DXVECTOR3 d = c - e;
        const float dSq = D3DXVec3LengthSq(&d);
        if (i == 0 || dSq < bestSq) {
            best = e;
            bestSq = dSq;
        }
    }
    return best;
}

// The floor point straight below (or above) c on the face's plane, when it lies on the face, at or
// below c and nearer than best. a: the scaled distance of c from the plane.
bool FloorFoot(const TCollisionFace& f, const D3DXVECTOR3& c, float best, D3DXVECTOR3* foot, float* a)
{
    const D3DXVECTOR3& n = f.GetNormal();
    const float s = D3DXVec3Dot(&n, &c) + f.GetD();
    *a = std::fabs(s) / f.GetNormalLength();
    const float t = -s / n.y;
    *foot = D3DXVECTOR3(c.x, c.y + t, c.z);
    return *a < best && foot->y <= c.y && InsideTriangle(f, *foot);
}

void SetNormal(float* out, const D3DXVECTOR3& n)
{
    out[0] = n.x;
    out[1] = n.y;
    out[2] = n.z;
}

void ResolveFace(const TCollisionFace& f, D3DXVECTOR3& c, float radius, float& best, const Contact& out)
{
    const D3DXVECTOR3& n = f.GetNormal();
    if (IsFloor(f)) {
        D3DXVECTOR3 foot;
        float a = 0.0F;
        if (!FloorFoot(f, c, best, &foot, &a)) {
            return;
        }
        if (*out.floorHeight < foot.y || *out.floorHeight > kUnsetHeight) {
            *out.floorHeight = foot.y;
            *out.surface = f.GetSurfaceCode();
        }
        *out.floorBelow = true;
        SetNormal(out.normal, n);
        best = a;
        // A floor point up to one radius above the base is climbed.
        if (c.y - foot.y < radius) {
            c = D3DXVECTOR3(foot.x, foot.y + radius, foot.z);
            *out.landed = true;
        }
        return;
    }
    const float s = D3DXVec3Dot(&n, &c) + f.GetD();
    const float a = std::fabs(s) / f.GetNormalLength();
    if (!(a < radius)) {
        return;
    }
    bool* flag = f.GetSlopeClass() == TCollisionFace::kWall ? out.wall : out.ceiling;
    const D3DXVECTOR3 q = c - n * (s / D3DXVec3Dot(&n, &n));
    if (InsideTriangle(f, q)) {
        c = q + n * radius;
        *flag = true;
        return;
    }
    const D3DXVECTOR3 e = NearestEdgePoint(f, c);
    D3DXVECTOR3 away = c - e;
    if (D3DXVec3Length(&away) < radius && D3DXVec3Dot(&away, &n) > 0.0F) {
        D3DXVec3Normalize(&away, &away);
        c = e + away * radius;
        *flag = true;
    }
}

void ProbeFace(const TCollisionFace& f, const D3DXVECTOR3& c, float& best, bool* found, float* height, float* normal)
{
    D3DXVECTOR3 foot;
    float a = 0.0F;
    if (!IsFloor(f) || !FloorFoot(f, c, best, &foot, &a)) {
        return;
    }
    if (*height < foot.y || *height > kUnsetHeight) {
        *height = foot.y;
    }
    *found = true;
    SetNormal(normal, f.GetNormal());
    best = a;
}

// Calls visit(face) for the faces of the nine cells around pos, cell by cell.
template <typename Visit>
void ForNeighbourFaces(const TGridCollisionMesh& grid, const float* pos, const Visit& visit)
{
    int cells[9];
    grid.GetNeighbourCells(pos, cells);
    for (int cell : cells) {
        if (cell < 0) {
            continue;
        }
        const TGridCell& list = grid.GetCell(static_cast<std::uint32_t>(cell));
        for (std::uint32_t i = 0; i < list.faceCount; ++i) {
            visit(grid.GetFace(list.faces[i]));
        }
    }
}

float HorizontalDistance(const float* bounds, const float* pos)
{
    const float dx = bounds[0] - pos[0];
    const float dz = bounds[2] - pos[2];
    return std::sqrt(dx * dx + dz * dz);
}

}  // namespace

void TGridCollisionMesh::ResolveSphere(float* pos, float radius, float* floorHeight, bool* floorBelow, bool* wall,
                                       bool* landed, bool* ceiling, float* normal, std::uint32_t* surface) const
{
    *floorHeight = FLT_MAX;
    *floorBelow = false;
    *wall = false;
    *landed = false;
    *ceiling = false;
    SetNormal(normal, D3DXVECTOR3(0.0F, 1.0F, 0.0F));
    *surface = 0;
    const Contact out{floorHeight, floorBelow, wall, landed, ceiling, normal, surface};
    D3DXVECTOR3 c(pos[0], pos[1] + radius, pos[2]);
    float best = FLT_MAX;
    ForNeighbourFaces(*this, pos, [&](const TCollisionFace& f) { ResolveFace(f, c, radius, best, out); });
    pos[0] = c.x;
    pos[1] = c.y - radius;
    pos[2] = c.z;
}

void TGridCollisionMesh::ProbeFloor(const float* pos, bool* found, float* height, float* normal) const
{
    *found = false;
    *height = FLT_MAX;
    SetNormal(normal, D3DXVECTOR3(0.0F, 1.0F, 0.0F));
    const D3DXVECTOR3 c(pos);
    float best = FLT_MAX;
    ForNeighbourFaces(*this, pos, [&](const TCollisionFace& f) { ProbeFace(f, c, best, found, height, normal); });
}

void TBoundedCollisionMesh::ResolveSphere(float* pos, float radius, float* floorHeight, bool* floorBelow, bool* wall,
                                          bool* landed, bool* ceiling, float* normal, std::uint32_t* surface) const
{
    if (HorizontalDistance(m_bounds, pos) > radius + m_bounds[3]) {
        return;
    }
    const Contact out{floorHeight, floorBelow, wall, landed, ceiling, normal, surface};
    D3DXVECTOR3 c(pos[0], pos[1] + radius, pos[2]);
    float best = FLT_MAX;
    for (std::uint16_t i = 0; i < m_faceCount; ++i) {
        ResolveFace(m_faces[i], c, radius, best, out);
    }
    pos[0] = c.x;
    pos[1] = c.y - radius;
    pos[2] = c.z;
}

void TBoundedCollisionMesh::ProbeFloor(const float* pos, bool* found, float* height, float* normal) const
{
    if (HorizontalDistance(m_bounds, pos) > m_bounds[3] + 1.0F) {
        return;
    }
    const D3DXVECTOR3 c(pos);
    float best = FLT_MAX;
    for (std::uint16_t i = 0; i < m_faceCount; ++i) {
        ProbeFace(m_faces[i], c, best, found, height, normal);
    }
}
