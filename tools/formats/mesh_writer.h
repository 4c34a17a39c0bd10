// Writes mesh files (".msh") as the mesh loader reads them: the 8-byte header, then a static or an
// animated mesh record with its material records. Fields are written exactly as given, so damaged
// files (indices past the vertices, unknown materials) are made the same way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formats/byte_writer.h"

namespace qmtest {

// The vertex of the mesh format 0x142: position, colour, one texture coordinate pair.
struct MeshVertex {
    float x, y, z;
    std::uint32_t diffuse;
    float u, v;
};

struct MeshMaterialRecord {
    std::string name;     // may carry the draw group as "ORDER<n>"
    std::string texture;  // a texture key; empty for none
    float diffuse[4] = {1, 1, 1, 1};
    float ambient[4] = {1, 1, 1, 1};
    float specular[4] = {0, 0, 0, 1};  // red is the render type level
    float emissive[4] = {1, 1, 1, 1};
    float power = 0;
};

// A material of the given emissive colour and alpha and render type level.
MeshMaterialRecord MeshMaterial(const std::string& name, float r, float g, float b, float alpha, float level);
// The same from a D3DCOLOR (alpha, red, green, blue bytes).
MeshMaterialRecord MeshMaterial(const std::string& name, std::uint32_t argb, float level);

struct MeshMorph {
    std::string name;
    std::vector<std::uint32_t> keyFrames;  // one per morph frame
    std::vector<float> steps;              // one per morph frame
};

struct MeshFile {
    static constexpr std::uint32_t kStaticMagic = 0x0068736D;    // "msh" and a zero byte
    static constexpr std::uint32_t kAnimatedMagic = 0x4148534D;  // anything else

    bool animated = false;
    std::uint32_t vertexFormat = 0x142;
    std::string name = "mesh";
    std::vector<MeshMaterialRecord> materials;
    std::vector<std::vector<MeshVertex>> keyFrames;  // a static mesh writes the first only
    // Instead of keyFrames, for a static mesh of another vertex format: each vertex's words in order.
    std::vector<std::vector<float>> rawVertices;
    std::vector<std::uint16_t> indices;              // three a triangle
    std::vector<std::uint32_t> faceMaterials;        // one a triangle; their number is the triangle count
    std::vector<MeshMorph> morphs;                   // animated meshes only

    // The mesh record alone, as the frame file embeds a static one.
    void WriteBody(ByteWriter& out) const;
    std::vector<std::uint8_t> Bytes() const;
    void Save(const std::string& path) const;
};

// The one mesh start-up reads, the sky's "sky/sky00.msh" below "data/msh04/", written into a game
// folder: one small coloured triangle.
void SaveStartupMeshes(const std::string& gameFolder);

}  // namespace qmtest
