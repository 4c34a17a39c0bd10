#include "formats/mesh_writer.h"

#include <filesystem>

namespace qmtest {

MeshMaterialRecord MeshMaterial(const std::string& name, float r, float g, float b, float alpha, float level)
{
    MeshMaterialRecord m;
    m.name = name;
    m.emissive[0] = r;
    m.emissive[1] = g;
    m.emissive[2] = b;
    m.emissive[3] = alpha;
    m.specular[0] = level;
    return m;
}

MeshMaterialRecord MeshMaterial(const std::string& name, std::uint32_t argb, float level)
{
    const auto channel = [argb](int shift) { return static_cast<float>(argb >> shift & 0xFF) / 255.0F; };
    return MeshMaterial(name, channel(16), channel(8), channel(0), channel(24), level);
}

namespace {

void WriteVertices(ByteWriter& out, const std::vector<MeshVertex>& vertices)
{
    for (const MeshVertex& v : vertices) {
        out.F32(v.x).F32(v.y).F32(v.z).U32(v.diffuse).F32(v.u).F32(v.v);
    }
}

}  // namespace

void MeshFile::WriteBody(ByteWriter& out) const
{
    out.LpString(name);
    out.U32(static_cast<std::uint32_t>(materials.size()));
    for (const MeshMaterialRecord& m : materials) {
        out.LpString(m.name).LpString(m.texture);
        for (const float* colour : {m.diffuse, m.ambient, m.specular, m.emissive}) {
            for (int i = 0; i < 4; ++i) {
                out.F32(colour[i]);
            }
        }
        out.F32(m.power);
    }
    const std::size_t vertexCount = !rawVertices.empty() ? rawVertices.size() : keyFrames.empty() ? 0 : keyFrames[0].size();
    out.U16(static_cast<std::uint16_t>(vertexCount));
    if (!rawVertices.empty()) {
        for (const std::vector<float>& vertex : rawVertices) {
            for (float word : vertex) {
                out.F32(word);
            }
        }
    } else if (animated) {
        out.U32(static_cast<std::uint32_t>(keyFrames.size()));
        for (const std::vector<MeshVertex>& frame : keyFrames) {
            WriteVertices(out, frame);
        }
    } else if (!keyFrames.empty()) {
        WriteVertices(out, keyFrames[0]);
    }
    out.U16(static_cast<std::uint16_t>(faceMaterials.size()));
    for (std::uint16_t i : indices) {
        out.U16(i);
    }
    for (std::uint32_t m : faceMaterials) {
        out.U32(m);
    }
    if (!animated) {
        return;
    }
    out.U32(static_cast<std::uint32_t>(morphs.size()));
    for (const MeshMorph& morph : morphs) {
        out.LpString(morph.name);
        out.U32(static_cast<std::uint32_t>(morph.keyFrames.size()));
        for (std::uint32_t k : morph.keyFrames) {
            out.U32(k);
        }
        for (float s : morph.steps) {
            out.F32(s);
        }
    }
}

std::vector<std::uint8_t> MeshFile::Bytes() const
{
    ByteWriter out;
    out.U32(animated ? kAnimatedMagic : kStaticMagic).U32(vertexFormat);
    WriteBody(out);
    return out.Data();
}

void MeshFile::Save(const std::string& path) const { SaveBytes(path, Bytes()); }

void SaveStartupMeshes(const std::string& gameFolder)
{
    MeshFile sky;
    sky.name = "sky00";
    sky.materials.push_back(MeshMaterial("sky", 0.5F, 0.7F, 1.0F, 1.0F, 0.0F));
    sky.keyFrames.push_back({{0, 0, 0, 0xFF80B0FF, 0, 0}, {0, 1, 0, 0xFF80B0FF, 0, 1}, {1, 0, 0, 0xFF80B0FF, 1, 0}});
    sky.indices = {0, 1, 2};
    sky.faceMaterials = {0};
    std::filesystem::create_directories(std::filesystem::path(gameFolder) / "data/msh04/sky");
    sky.Save((std::filesystem::path(gameFolder) / "data/msh04/sky/sky00.msh").string());
}

}  // namespace qmtest
