#include "formats/ground_writer.h"

#include <filesystem>

namespace qmtest {

GroundMesh& GroundMesh::Triangle(GroundPoint p0, GroundPoint p1, GroundPoint p2, float red)
{
    triangles_.push_back({p0, p1, p2, red});
    return *this;
}

GroundMesh& GroundMesh::Floor(float x0, float z0, float x1, float z1, float y, float red)
{
    Triangle({x0, y, z0}, {x0, y, z1}, {x1, y, z0}, red);
    return Triangle({x1, y, z0}, {x0, y, z1}, {x1, y, z1}, red);
}

GroundMesh& GroundMesh::Ceiling(float x0, float z0, float x1, float z1, float y, float red)
{
    Triangle({x0, y, z0}, {x1, y, z0}, {x0, y, z1}, red);
    return Triangle({x1, y, z0}, {x1, y, z1}, {x0, y, z1}, red);
}

GroundMesh& GroundMesh::Ramp(float x0, float y0, float x1, float y1, float z0, float z1, float red)
{
    Triangle({x0, y0, z0}, {x0, y0, z1}, {x1, y1, z0}, red);
    return Triangle({x1, y1, z0}, {x0, y0, z1}, {x1, y1, z1}, red);
}

GroundMesh& GroundMesh::WallX(float x, float z0, float z1, float y0, float y1, float red)
{
    Triangle({x, y0, z0}, {x, y0, z1}, {x, y1, z0}, red);
    return Triangle({x, y0, z1}, {x, y1, z1}, {x, y1, z0}, red);
}

GroundMesh& GroundMesh::WallZ(float z, float x0, float x1, float y0, float y1, float red)
{
    Triangle({x0, y0, z}, {x0, y1, z}, {x1, y0, z}, red);
    return Triangle({x1, y0, z}, {x0, y1, z}, {x1, y1, z}, red);
}

MeshFile GroundMesh::File(const std::string& name) const
{
    MeshFile f;
    f.name = name;
    std::vector<float> reds;
    std::vector<MeshVertex> vertices;
    for (const GroundTriangle& t : triangles_) {
        std::size_t material = 0;
        while (material < reds.size() && reds[material] != t.red) {
            ++material;
        }
        if (material == reds.size()) {
            reds.push_back(t.red);
            MeshMaterialRecord m = MeshMaterial("ground" + std::to_string(material), 1, 1, 1, 1, 0);
            m.diffuse[0] = t.red;
            f.materials.push_back(m);
        }
        for (const GroundPoint& p : {t.p0, t.p1, t.p2}) {
            f.indices.push_back(static_cast<std::uint16_t>(vertices.size()));
            vertices.push_back({p.x, p.y, p.z, 0xFFFFFFFFu, 0.0F, 0.0F});
        }
        f.faceMaterials.push_back(static_cast<std::uint32_t>(material));
    }
    if (f.materials.empty()) {
        // No triangles: a lone vertex keeps the file a whole mesh.
        f.materials.push_back(MeshMaterial("ground0", 1, 1, 1, 1, 0));
        vertices.push_back({0.0F, 0.0F, 0.0F, 0xFFFFFFFFu, 0.0F, 0.0F});
    }
    f.keyFrames.push_back(vertices);
    return f;
}

}  // namespace qmtest
