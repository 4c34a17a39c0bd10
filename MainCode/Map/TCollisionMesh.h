// Collision meshes: the faces of one mesh; the ground of an area with its faces binned into X/Z
// cells so that a query looks at nine cells only; and a solid with a bounding sphere that gates every
// query. The queries move a character's sphere out of floors, walls and ceilings, or find the floor
// below a point. They allocate nothing.
#pragma once

#include <cstdint>
#include <string>

#include "MainCode/Map/TCollisionFace.h"
#include "TCommon/TRefPtr.h"

class TMesh8;

class TCollisionMesh {
    friend struct TMapProbe;
public:
    TCollisionMesh() = default;
    // Copies share the face array.
    TCollisionMesh(const TCollisionMesh&) = default;
    TCollisionMesh& operator=(const TCollisionMesh&) = default;

    // Every triangle of the mesh in its order. Throws my_error naming the mesh when an index points
    // past its vertices.
    virtual void Build(const TMesh8& mesh);
    virtual ~TCollisionMesh() = 0;

    const TCollisionFace& GetFace(std::uint16_t i) const { return m_faces[i]; }

protected:
    std::uint16_t m_faceCount = 0;
    TRefPtr<TCollisionFace[]> m_faces;
};

// The faces listed in one cell of the ground grid, in face order.
struct TGridCell {
    std::uint32_t faceCount = 0;
    TRefPtr<std::uint16_t[]> faces;
};

// {min, max} of X and of Z over every corner; FLT_MAX and -FLT_MAX without faces.
struct TRangeXZ {
    float x[2];
    float z[2];
};
TRangeXZ ComputeBoundsXZ(const TCollisionFace* faces, std::uint32_t count);

class TGridCollisionMesh : public TCollisionMesh {
    friend struct TMapProbe;
public:
    ~TGridCollisionMesh() override;

    // Reads the faces and bins them: a face goes into every cell holding one of its corners (borders
    // included). A mesh without faces gives one empty cell. Throws my_error naming the mesh when the
    // grid would pass the cell cap or its extent is not a number.
    void BuildGrid(const TMesh8& mesh, float cellWidth, float cellDepth);

    // The 3 × 3 block of cells around pos, row by row; -1 for a cell outside the grid or without
    // faces. Rows are not checked at their ends: at the X border the block reaches into the next row.
    void GetNeighbourCells(const float* pos, int cells[9]) const;

    // pos: the base of the sphere (its bottom), moved out of what it touches. All outputs start at
    // "none": FLT_MAX, false, (0, 1, 0), 0.
    void ResolveSphere(float* pos, float radius, float* floorHeight, bool* floorBelow, bool* wall, bool* landed,
                       bool* ceiling, float* normal, std::uint32_t* surface) const;
    // The floor below pos; height FLT_MAX and normal (0, 1, 0) when none.
    void ProbeFloor(const float* pos, bool* found, float* height, float* normal) const;

    const TGridCell& GetCell(std::uint32_t i) const { return m_cells[i]; }

private:
    std::uint32_t m_cellsX = 0;
    std::uint32_t m_cellsZ = 0;
    std::uint32_t m_cellCount = 0;
    float m_cellWidth = 0.0F;
    float m_cellDepth = 0.0F;
    float m_minX = 0.0F;
    float m_maxX = 0.0F;
    float m_minZ = 0.0F;
    float m_maxZ = 0.0F;
    TRefPtr<TGridCell[]> m_cells;
};

class TBoundedCollisionMesh : public TCollisionMesh {
    friend struct TMapProbe;
public:
    TBoundedCollisionMesh() = default;
    TBoundedCollisionMesh(const TBoundedCollisionMesh&) = default;
    TBoundedCollisionMesh& operator=(const TBoundedCollisionMesh&) = default;
    ~TBoundedCollisionMesh() override;

    // The bounding sphere, then the faces.
    void Build(const TMesh8& mesh) override;

    // As the ground's, after the horizontal distance to the bounding centre passed radius + bounding
    // radius. The outputs are not reset, so that several solids add to one result.
    void ResolveSphere(float* pos, float radius, float* floorHeight, bool* floorBelow, bool* wall, bool* landed,
                       bool* ceiling, float* normal, std::uint32_t* surface) const;
    // Within the bounding radius + 1.0 horizontally; outputs not reset.
    void ProbeFloor(const float* pos, bool* found, float* height, float* normal) const;

    // Centre x, y, z, radius and half radius.

private:
    float m_bounds[5] = {};
};
