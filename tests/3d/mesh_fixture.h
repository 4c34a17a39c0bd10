// A device made as the game makes it, with or without vertex shaders, and small mesh files to load.
#pragma once

#include <string>
#include <vector>

#include "dx/dx8/3d/TMesh8.h"
#include "dx/dx8/3d/TView.h"
#include "support/device_fixture.h"
#include "support/mesh_writer.h"

namespace meshtest {

// A grid of (n + 1) × (n + 1) vertices in the XY plane facing -z (clockwise seen from the camera),
// 2n² triangles, all of material 0; z and colours vary so that blends show.
qmtest::MeshFile GridMesh(int n, float size, float shift = 0.0F);

// Three key frames of the grid, and two morphs: 0 → 1 → 2 and 2 → 2 → 0.
qmtest::MeshFile MorphingGridMesh(int n, float size);

class MeshFixture : public qmtest::DeviceFixture {
protected:
    void SetUp() override;

    // Starts the device; without vertex shaders the meshes take the software path.
    void StartDevice(bool vertexShaders);
    TMesh8 LoadMesh(const qmtest::MeshFile& file, const std::string& name = "mesh.msh");
    // A camera at (0, 0, -distance) looking along +z with a 45 degree view of the 640×480 picture.
    void PointCamera(float distance, float x = 0.0F);

    TView view_;
};

}  // namespace meshtest
