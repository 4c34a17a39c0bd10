// Ground and body meshes for collision: triangles, floors, ramps and walls written as mesh files.
// The red of a face's diffuse colour is its surface.
#pragma once

#include <string>
#include <vector>

#include "dx/dx8/3d/TMesh8.h"
#include "formats/mesh_writer.h"

namespace qmtest {

struct GroundPoint {
    float x, y, z;
};

// Corners in the order whose (p1 - p0) × (p2 - p0) is the face's normal.
struct GroundTriangle {
    GroundPoint p0, p1, p2;
    float red = 0.5F;
};

class GroundMesh {
public:
    GroundMesh& Triangle(GroundPoint p0, GroundPoint p1, GroundPoint p2, float red = 0.5F);
    // Facing up, over x0..x1 and z0..z1 at height y.
    GroundMesh& Floor(float x0, float z0, float x1, float z1, float y, float red = 0.5F);
    // Facing down (a ceiling) over the same kind of rectangle.
    GroundMesh& Ceiling(float x0, float z0, float x1, float z1, float y, float red = 0.5F);
    // Rising along +x from (x0, y0) to (x1, y1), across z0..z1.
    GroundMesh& Ramp(float x0, float y0, float x1, float y1, float z0, float z1, float red = 0.5F);
    // Upright in the plane x = x, facing -x, over z0..z1 and y0..y1.
    GroundMesh& WallX(float x, float z0, float z1, float y0, float y1, float red = 0.5F);
    // Upright in the plane z = z, facing -z, over x0..x1 and y0..y1.
    GroundMesh& WallZ(float z, float x0, float x1, float y0, float y1, float red = 0.5F);

    std::size_t Size() const { return triangles_.size(); }
    // One material per distinct red, in order of first use.
    MeshFile File(const std::string& name = "ground") const;

private:
    std::vector<GroundTriangle> triangles_;
};

}  // namespace qmtest
