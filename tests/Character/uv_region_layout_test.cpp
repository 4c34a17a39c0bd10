// The UV region a character's triangles are sorted by is read only from a first texture set of
// two floats or more; other layouts (and the one-float model that read past its last vertex)
// keep their order.
#include <gtest/gtest.h>

#include "MainCode/Character/TPlayerCharacter.h"
#include "support/fuzz.h"
#include "support/ground_fixture.h"

namespace {

class UvRegionLayout : public qmtest::GroundFixture {};

TEST_F(UvRegionLayout, OnlyAFirstSetOfTwoFloatsMovesTheRegion)
{
    // Two triangles; the second vertex of the first one holds u 0.28 and, in the word after it,
    // v 0.8 (inside the region). A one-float set at the end of the vertex was read past the buffer.
    const struct {
        DWORD fvf;
        std::size_t words;  // per vertex
        std::size_t u;      // word of the marked u; v follows it
        bool moved;
    } layouts[] = {
        {D3DFVF_XYZ, 3, 3, false},  // no set
        {D3DFVF_XYZ | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE1(0), 4, 3, false},
        {D3DFVF_XYZ | D3DFVF_TEX1, 5, 3, true},
        {D3DFVF_XYZ | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE3(0), 6, 3, true},
        {D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE4(0), 10, 6, true},
        {D3DFVF_XYZ | D3DFVF_TEX2, 7, 3, true},
        // A one-float first set: the float after it belongs to the second set.
        {D3DFVF_XYZ | D3DFVF_TEX2 | D3DFVF_TEXCOORDSIZE1(0), 6, 3, false},
    };
    for (const auto& layout : layouts) {
        qmtest::MeshFile file;
        file.vertexFormat = layout.fvf;
        file.materials.push_back(qmtest::MeshMaterial("body", 1, 1, 1, 1, 0));
        for (int i = 0; i < 6; ++i) {
            std::vector<float> vertex(layout.words, 0.0F);
            vertex[0] = static_cast<float>(i);
            vertex[1] = static_cast<float>(i % 3);
            if (i == 1 && layout.u < layout.words) {
                vertex[layout.u] = 0.28F;
                if (layout.u + 1 < layout.words) {
                    vertex[layout.u + 1] = 0.8F;
                }
            }
            file.rawVertices.push_back(vertex);
        }
        file.indices = {0, 1, 2, 3, 4, 5};
        file.faceMaterials = {0, 0};
        TMesh8 mesh = Load(file, "layout.tob");
        ASSERT_EQ(mesh.GetVertexCount(), 6u) << layout.fvf;
        TPlayerCharacter::MoveUvRegionTrianglesLast(mesh);
        const std::uint16_t* indices = mesh.LockIndicesReadOnly();
        ASSERT_NE(indices, nullptr);
        EXPECT_EQ(indices[0], layout.moved ? 3 : 0) << std::hex << layout.fvf;
        EXPECT_EQ(indices[3], layout.moved ? 0 : 3) << std::hex << layout.fvf;
        mesh.UnlockIndices();
    }
}

// The model that read past its last vertex: three vertices of a position and a one-float set,
// the last one's u inside the region, 160 bytes in all.
TEST_F(UvRegionLayout, OneFloatModelDamagedNeverCrashUnderSanitizers)
{
    qmtest::MeshFile file;
    file.name = "uv1";
    file.vertexFormat = D3DFVF_XYZ | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE1(0);
    file.materials.push_back(qmtest::MeshMaterial("", 1, 1, 1, 1, 0));
    file.rawVertices = {{0, 0, 0, 0.1F}, {0, 1, 0, 0.2F}, {1, 0, 0, 0.28F}};
    file.indices = {0, 1, 2};
    file.faceMaterials = {0};
    const std::vector<std::uint8_t> bytes = file.Bytes();
    ASSERT_EQ(bytes.size(), 160u);
    qmtest::FuzzFile(bytes, dir_.File("uv1.tob"), [](const std::string& path) {
        TMesh8 mesh = TMesh8::Load(path);
        TPlayerCharacter::MoveUvRegionTrianglesLast(mesh);
    });
}

}  // namespace
