// Mesh files through the writer and the loader, damaged files, copy-on-write, edits, morph time,
// the collision grid.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "TCommon/my_error.h"
#include "mesh_fixture.h"
#include "platform/d3dx8/d3dx8.h"
#include "support/fuzz.h"

namespace meshtest {
namespace {

using qmtest::MeshFile;
using qmtest::MeshVertex;

std::vector<MeshVertex> VerticesOf(TMesh8& mesh, std::uint32_t keyFrame)
{
    std::vector<MeshVertex> out(mesh.GetVertexCount());
    const void* p = mesh.LockVerticesReadOnly(keyFrame);
    EXPECT_NE(p, nullptr);
    if (p != nullptr) {
        std::memcpy(out.data(), p, out.size() * sizeof(MeshVertex));
        mesh.UnlockVertices(keyFrame, false);
    }
    return out;
}

std::vector<std::uint16_t> IndicesOf(TMesh8& mesh)
{
    std::vector<std::uint16_t> out(mesh.GetFaceCount() * 3u);
    const std::uint16_t* p = mesh.LockIndicesReadOnly();
    EXPECT_NE(p, nullptr);
    if (p != nullptr) {
        std::memcpy(out.data(), p, out.size() * 2);
        mesh.UnlockIndices();
    }
    return out;
}

bool SameVertices(const std::vector<MeshVertex>& a, const std::vector<MeshVertex>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(MeshVertex)) == 0;
}

std::string LoadError(const std::string& name)
{
    try {
        TMesh8::Load(name);
    } catch (const my_error& e) {
        return e.what();
    }
    return "";
}

// Three materials over five triangles in runs 0, 0, 1, 0, 2.
MeshFile ThreeMaterialMesh()
{
    MeshFile f = GridMesh(1, 2.0F);
    f.name = "tri";
    f.materials.push_back(qmtest::MeshMaterial("skinORDER12", 1, 1, 1, 0.5F, 0.0F));
    f.materials.push_back(qmtest::MeshMaterial("glowORDER0x10", 1, 0.5F, 0, 1.0F, 0.25F));
    f.materials[1].texture = "";
    f.indices = {0, 2, 1, 1, 2, 3, 0, 2, 3, 0, 3, 1, 1, 2, 0};
    f.faceMaterials = {0, 0, 1, 0, 2};
    return f;
}

class MeshFile8 : public MeshFixture {
protected:
    void SetUp() override
    {
        MeshFixture::SetUp();
        StartDevice(true);
    }
};

TEST_F(MeshFile8, StaticMeshRoundTrip)
{
    const MeshFile f = ThreeMaterialMesh();
    TMesh8 mesh = LoadMesh(f);
    EXPECT_EQ(mesh.GetName(), "tri");
    EXPECT_EQ(mesh.GetVertexCount(), 4u);
    EXPECT_EQ(mesh.GetFaceCount(), 5u);
    EXPECT_EQ(mesh.GetFVF(), 0x142u);
    EXPECT_EQ(mesh.GetKeyFrameCount(), 1u);
    EXPECT_EQ(mesh.GetMorphCount(), 0u);
    EXPECT_EQ(mesh.GetSubsetCount(), 3u);
    EXPECT_TRUE(SameVertices(VerticesOf(mesh, 0), f.keyFrames[0]));
    EXPECT_EQ(IndicesOf(mesh), f.indices);

    const TMeshSubsetTable* table = mesh.GetGeometry()->GetSubsetTable();
    ASSERT_EQ(table->GetRuns(0).size(), 2u);
    EXPECT_EQ(table->GetRuns(0)[0].first, 0u);
    EXPECT_EQ(table->GetRuns(0)[0].count, 2u);
    EXPECT_EQ(table->GetRuns(0)[1].first, 3u);
    EXPECT_EQ(table->GetRuns(0)[1].count, 1u);
    EXPECT_EQ(table->GetTriangleTotal(0), 3u);
    EXPECT_EQ(table->GetTriangleTotal(1), 1u);
    EXPECT_EQ(table->GetTriangleTotal(2), 1u);
    EXPECT_EQ(mesh.GetMaterialOfFace(2)->GetName(), "skinORDER12");
    EXPECT_EQ(mesh.GetMaterialOfFace(4)->GetName(), "glowORDER0x10");
    EXPECT_EQ(mesh.GetMaterialOfFace(5), nullptr);
    std::uint32_t faces[5] = {};
    table->FillFaceSubsets(faces);
    EXPECT_EQ(std::vector<std::uint32_t>(faces, faces + 5), f.faceMaterials);

    ASSERT_EQ(mesh.GetMaterialCount(), 3u);
    EXPECT_EQ(mesh.GetMaterial(0).GetMaterialType(), TMeshMaterial::kOpaque);
    EXPECT_EQ(mesh.GetMaterial(1).GetMaterialType(), TMeshMaterial::kAlpha);
    EXPECT_EQ(mesh.GetMaterial(1).GetDrawGroup(), 12u);
    EXPECT_EQ(mesh.GetMaterial(2).GetMaterialType(), TMeshMaterial::kAdd);
    EXPECT_EQ(mesh.GetMaterial(2).GetDrawGroup(), 16u);
    const D3DMATERIAL8& m = mesh.GetMaterial(2).GetMaterial();
    EXPECT_EQ(m.Emissive.r, 1.0F);
    EXPECT_EQ(m.Emissive.g, 0.5F);
    EXPECT_EQ(m.Diffuse.a, 1.0F);

    // The grid spans x -1..1, y -0.8..0.8, z 0..0.4.
    float sphere[5];
    mesh.GetBoundingSphere(sphere, nullptr);
    EXPECT_FLOAT_EQ(sphere[0], 0.0F);
    EXPECT_FLOAT_EQ(sphere[1], 0.0F);
    EXPECT_FLOAT_EQ(sphere[2], 0.2F);
    EXPECT_FLOAT_EQ(sphere[3], std::sqrt(1.0F + 0.64F + 0.04F));
    EXPECT_FLOAT_EQ(sphere[4], sphere[3] * 0.5F);
    // A matrix moves the centre but never scales the radius.
    D3DXMATRIX scale;
    D3DXMatrixScaling(&scale, 2.0F, 2.0F, 2.0F);
    scale._41 = 5.0F;
    mesh.GetBoundingSphere(sphere, &scale);
    EXPECT_FLOAT_EQ(sphere[0], 5.0F);
    EXPECT_FLOAT_EQ(sphere[2], 0.4F);
    EXPECT_FLOAT_EQ(sphere[3], std::sqrt(1.68F));
}

TEST_F(MeshFile8, AnimatedMeshRoundTrip)
{
    const MeshFile f = MorphingGridMesh(2, 3.0F);
    TMesh8 mesh = LoadMesh(f, "anim.msh");
    EXPECT_EQ(mesh.GetKeyFrameCount(), 3u);
    EXPECT_EQ(mesh.GetVertexCount(), 9u);
    EXPECT_EQ(mesh.GetFaceCount(), 8u);
    for (std::uint32_t k = 0; k < 3; ++k) {
        EXPECT_TRUE(SameVertices(VerticesOf(mesh, k), f.keyFrames[k])) << "key frame " << k;
    }
    EXPECT_EQ(IndicesOf(mesh), f.indices);
    ASSERT_EQ(mesh.GetMorphCount(), 2u);
    for (std::uint32_t m = 0; m < 2; ++m) {
        const TMorphRecord* r = mesh.GetGeometry()->GetMorphRecord(m);
        ASSERT_NE(r, nullptr);
        ASSERT_EQ(r->frameCount, 3u);
        for (std::uint32_t i = 0; i < 3; ++i) {
            EXPECT_EQ(r->keyFrames[i], f.morphs[m].keyFrames[i]);
            EXPECT_EQ(r->timeSteps[i], f.morphs[m].steps[i]);
        }
    }
    EXPECT_EQ(mesh.GetGeometry()->GetMorphRecord(2), nullptr);
    // Bounds come from key frame 0.
    float sphere[5];
    mesh.GetBoundingSphere(sphere, nullptr);
    EXPECT_FLOAT_EQ(sphere[0], 0.0F);
    EXPECT_FLOAT_EQ(sphere[2], 0.2F);

    // Only "msh" and a zero byte selects the static layout: a static record read as animated fails.
    std::vector<std::uint8_t> bytes = ThreeMaterialMesh().Bytes();
    bytes[3] = 'x';
    qmtest::SaveBytes("wrongmagic.msh", bytes);
    EXPECT_NE(LoadError("wrongmagic.msh"), "");
}

TEST_F(MeshFile8, MissingAndDamagedFilesFailNamingTheFile)
{
    TMesh8::SetDirectory("meshes/");
    std::string e = LoadError("none.msh");
    EXPECT_NE(e.find("meshes/none.msh"), std::string::npos) << e;
    EXPECT_NE(e.find("TMesh8"), std::string::npos) << e;
    EXPECT_NE(e.find("40"), std::string::npos) << e;
    TMesh8::SetDirectory("");

    struct Case {
        const char* what;
        MeshFile file;
    };
    std::vector<Case> cases;
    MeshFile f = ThreeMaterialMesh();
    f.indices[7] = 4;  // four vertices: 0 to 3
    cases.push_back({"triangle index past the vertices", f});
    f = ThreeMaterialMesh();
    f.faceMaterials[4] = 3;
    cases.push_back({"face material past the materials", f});
    f = MorphingGridMesh(2, 3.0F);
    f.morphs[1].keyFrames[2] = 3;
    cases.push_back({"morph key frame past the key frames", f});
    f = ThreeMaterialMesh();
    f.vertexFormat = D3DFVF_DIFFUSE;  // no position
    cases.push_back({"vertex without position", f});
    f = MorphingGridMesh(2, 3.0F);
    f.keyFrames.clear();
    cases.push_back({"animated mesh without key frames", f});
    for (const Case& c : cases) {
        c.file.Save("bad.msh");
        e = LoadError("bad.msh");
        EXPECT_NE(e.find("bad.msh"), std::string::npos) << c.what << ": " << e;
    }

    // Every cut of a whole file fails, before anything is allocated by a count.
    const std::vector<std::uint8_t> whole = MorphingGridMesh(1, 1.0F).Bytes();
    for (std::size_t n = 0; n < whole.size(); ++n) {
        qmtest::SaveBytes("cut.msh", std::vector<std::uint8_t>(whole.begin(), whole.begin() + n));
        EXPECT_NE(LoadError("cut.msh").find("cut.msh"), std::string::npos) << "cut at " << n;
    }
}

TEST_F(MeshFile8, AMeshWithoutTrianglesHasEmptySubsets)
{
    MeshFile f = ThreeMaterialMesh();
    f.indices.clear();
    f.faceMaterials.clear();
    TMesh8 mesh = LoadMesh(f);
    EXPECT_EQ(mesh.GetFaceCount(), 0u);
    ASSERT_EQ(mesh.GetSubsetCount(), 3u);
    for (std::uint32_t m = 0; m < 3; ++m) {
        EXPECT_TRUE(mesh.GetGeometry()->GetSubsetTable()->GetRuns(m).empty());
    }
    EXPECT_EQ(mesh.GetMaterialOfFace(0), nullptr);
    float x[2];
    float z[2];
    mesh.GetRangeXZ(x, z);
    EXPECT_EQ(x[0], FLT_MAX);
    EXPECT_EQ(x[1], -FLT_MAX);

    // Nor vertices: nothing to bound, nothing to split.
    f.keyFrames[0].clear();
    TMesh8 empty = LoadMesh(f, "empty.msh");
    EXPECT_EQ(empty.GetVertexCount(), 0u);
    float sphere[5];
    empty.GetBoundingSphere(sphere, nullptr);
    EXPECT_EQ(sphere[3], 0.0F);
    std::uint32_t columns = 9;
    std::uint32_t rows = 9;
    std::vector<std::vector<TMesh8>> grid;
    empty.BuildTriangleGrid(2.0F, 2.0F, x, z, &columns, &rows, &grid);
    EXPECT_EQ(columns * rows, 0u);
}

TEST_F(MeshFile8, DamagedFilesNeverCrash)
{
    qmtest::FuzzOptions options;
    options.mutations = 600;
    qmtest::FuzzFile(MorphingGridMesh(1, 1.0F).Bytes(), "fuzz.msh", [](const std::string& path) {
        TMesh8 mesh = TMesh8::Load(path);
        mesh.AdvanceMorph(true, 1.0F);
        float x[2];
        float z[2];
        mesh.GetRangeXZ(x, z);
    }, options);
    options.mutations = 400;
    qmtest::FuzzFile(ThreeMaterialMesh().Bytes(), "fuzz.msh", [](const std::string& path) { TMesh8::Load(path); },
                     options);
}

// ---- materials ----

TMeshMaterial MaterialWith(float alpha, float level, const std::string& name = "m")
{
    D3DMATERIAL8 m{};
    m.Emissive.a = alpha;
    m.Specular.r = level;
    return TMeshMaterial(name, &m, TTexture8());
}

TEST(MeshMaterial, RenderTypeFromEmissiveAlphaAndLevel)
{
    struct Band {
        float level;
        std::uint16_t code;
        float stored;
    };
    // Each band's own code, with that code's level (0.65 → ZWNALPHA at 0.75 and back).
    const Band bands[] = {{0.1F, 3000, 0.15F},  {0.19F, 3000, 0.15F}, {0.2F, 4000, 0.25F}, {0.35F, 4100, 0.35F},
                          {0.4F, 1300, 0.45F},  {0.55F, 2100, 0.55F}, {0.65F, 2200, 0.75F}, {0.75F, 1100, 0.65F},
                          {0.8F, 2300, 0.85F}, {0.9F, 5000, 0.95F},  {0.999F, 5000, 0.95F}};
    for (const Band& b : bands) {
        const TMeshMaterial m = MaterialWith(1.0F, b.level);
        EXPECT_EQ(m.GetMaterialType(), b.code) << b.level;
        EXPECT_FLOAT_EQ(m.GetMaterial().Specular.r, b.stored) << b.level;
    }
    // Emissive alpha 0 hides whatever the level.
    EXPECT_EQ(MaterialWith(0.0F, 0.25F).GetMaterialType(), TMeshMaterial::kHide);
    EXPECT_FLOAT_EQ(MaterialWith(0.0F, 0.25F).GetMaterial().Specular.r, 0.25F);
    // Outside the bands: opaque, or alpha when the emissive alpha is below 1; the level stays.
    EXPECT_EQ(MaterialWith(1.0F, 0.0F).GetMaterialType(), TMeshMaterial::kOpaque);
    EXPECT_EQ(MaterialWith(1.0F, 0.05F).GetMaterialType(), TMeshMaterial::kOpaque);
    EXPECT_EQ(MaterialWith(1.0F, 1.0F).GetMaterialType(), TMeshMaterial::kOpaque);
    EXPECT_FLOAT_EQ(MaterialWith(1.0F, 1.0F).GetMaterial().Specular.r, 1.0F);
    EXPECT_EQ(MaterialWith(0.5F, 1.0F).GetMaterialType(), TMeshMaterial::kAlpha);
    EXPECT_EQ(MaterialWith(0.99F, 0.0F).GetMaterialType(), TMeshMaterial::kAlpha);
}

TEST(MeshMaterial, DrawGroupFromTheName)
{
    EXPECT_EQ(MaterialWith(1, 0, "bodyORDER12").GetDrawGroup(), 12u);
    EXPECT_EQ(MaterialWith(1, 0, "ORDER0x10").GetDrawGroup(), 16u);
    EXPECT_EQ(MaterialWith(1, 0, "aORDER0x1fORDER3").GetDrawGroup(), 31u);  // the first one counts
    EXPECT_EQ(MaterialWith(1, 0, "ORDER70000").GetDrawGroup(), static_cast<std::uint16_t>(70000));
    EXPECT_EQ(MaterialWith(1, 0, "ORDERx").GetDrawGroup(), 0u);
    EXPECT_EQ(MaterialWith(1, 0, "ORDER").GetDrawGroup(), 0u);
    EXPECT_EQ(MaterialWith(1, 0, "order12").GetDrawGroup(), 0u);
    EXPECT_EQ(MaterialWith(1, 0, "plain").GetDrawGroup(), 0u);
}

TEST(MeshMaterial, SetMaterialTypeStoresTheCodesLevel)
{
    TMeshMaterial m = MaterialWith(1.0F, 0.42F);
    m.SetMaterialType(TMeshMaterial::kMul);
    EXPECT_EQ(m.GetMaterialType(), 3000u);
    EXPECT_FLOAT_EQ(m.GetMaterial().Specular.r, 0.15F);
    m.SetMaterialType(TMeshMaterial::kHide);  // keeps the level
    EXPECT_EQ(m.GetMaterialType(), 0u);
    EXPECT_FLOAT_EQ(m.GetMaterial().Specular.r, 0.15F);
    m.SetMaterialType(1234);  // unknown codes too
    EXPECT_FLOAT_EQ(m.GetMaterial().Specular.r, 0.15F);
    m.SetMaterialType(TMeshMaterial::kZDisOpaque);
    EXPECT_FLOAT_EQ(m.GetMaterial().Specular.r, 0.65F);
    m.SetEmissive(0.1F, 0.2F, 0.3F, 0.4F);
    m.SetEmissiveRGB(0.5F, 0.6F, 0.7F);
    EXPECT_EQ(m.GetMaterial().Emissive.a, 0.4F);
    m.SetEmissiveAlpha(0.9F);
    EXPECT_EQ(m.GetMaterial().Emissive.r, 0.5F);
    EXPECT_EQ(m.GetMaterial().Emissive.a, 0.9F);
    EXPECT_EQ(m.GetMaterialType(), TMeshMaterial::kZDisOpaque);  // never derived again
}

// ---- copy-on-write and edits ----

TEST_F(MeshFile8, WritersTakeGeometryOfTheirOwn)
{
    const MeshFile f = ThreeMaterialMesh();
    TMesh8 original = LoadMesh(f);
    const std::vector<MeshVertex> before = VerticesOf(original, 0);
    const std::vector<std::uint16_t> indicesBefore = IndicesOf(original);
    float sphereBefore[5];
    original.GetBoundingSphere(sphereBefore, nullptr);

    TMesh8 copy = original;
    EXPECT_EQ(copy.GetGeometry(), original.GetGeometry());
    EXPECT_EQ(original.GetGeometry()->GetRefCount(), 2);
    // Reading does not separate them.
    copy.LockVerticesReadOnly(0);
    copy.UnlockVertices(0, false);
    EXPECT_EQ(copy.GetGeometry(), original.GetGeometry());

    auto* v = static_cast<MeshVertex*>(copy.LockVertices(0));
    ASSERT_NE(v, nullptr);
    v[0].x = 9.0F;
    copy.UnlockVertices(0, true);
    EXPECT_NE(copy.GetGeometry(), original.GetGeometry());
    EXPECT_EQ(original.GetGeometry()->GetRefCount(), 1);
    EXPECT_TRUE(SameVertices(VerticesOf(original, 0), before));
    EXPECT_EQ(VerticesOf(copy, 0)[0].x, 9.0F);
    float sphere[5];
    copy.GetBoundingSphere(sphere, nullptr);
    EXPECT_FLOAT_EQ(sphere[0], 4.0F);  // x now spans -1..9

    TMesh8 indexCopy = original;
    std::uint16_t* idx = indexCopy.LockIndices();
    ASSERT_NE(idx, nullptr);
    idx[0] = 3;
    indexCopy.UnlockIndices();
    EXPECT_EQ(IndicesOf(original), indicesBefore);
    EXPECT_EQ(IndicesOf(indexCopy)[0], 3u);

    // Mirror, Scale, Transform and CloneMirrored, each on a copy sharing the original's geometry.
    TMesh8 mirrored = original;
    mirrored.Mirror(1);
    TMesh8 scaled = original;
    const float s[3] = {2.0F, 3.0F, 4.0F};
    scaled.Scale(s);
    TMesh8 moved = original;
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, 0.0F, 10.0F, 0.0F);
    moved.Transform(&m);
    TMesh8 clone = original.CloneMirrored(3);
    TMesh8 unscaled = original;
    const float one[3] = {1.0F, 1.0F, 1.0F};
    unscaled.Scale(one);
    TMesh8 plainClone = original.CloneMirrored(0);
    EXPECT_EQ(original.GetGeometry()->GetRefCount(), 1);
    EXPECT_NE(unscaled.GetGeometry(), original.GetGeometry());
    EXPECT_TRUE(SameVertices(VerticesOf(original, 0), before));
    EXPECT_EQ(IndicesOf(original), indicesBefore);
    EXPECT_TRUE(SameVertices(VerticesOf(unscaled, 0), before));
    EXPECT_TRUE(SameVertices(VerticesOf(plainClone, 0), before));

    const std::vector<MeshVertex> mv = VerticesOf(mirrored, 0);
    const std::vector<MeshVertex> sv = VerticesOf(scaled, 0);
    const std::vector<MeshVertex> tv = VerticesOf(moved, 0);
    const std::vector<MeshVertex> cv = VerticesOf(clone, 0);
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(mv[i].x, -before[i].x);
        EXPECT_EQ(mv[i].y, before[i].y);
        EXPECT_EQ(mv[i].diffuse, before[i].diffuse);
        EXPECT_FLOAT_EQ(sv[i].y, before[i].y * 3.0F);
        EXPECT_FLOAT_EQ(sv[i].z, before[i].z * 4.0F);
        EXPECT_FLOAT_EQ(tv[i].y, before[i].y + 10.0F);
        EXPECT_EQ(cv[i].z, -before[i].z);
        EXPECT_EQ(cv[i].x, before[i].x);
    }
    // Mirrored triangles keep their facing: the second and third corners trade places.
    const std::vector<std::uint16_t> mi = IndicesOf(mirrored);
    for (std::size_t t = 0; t < indicesBefore.size(); t += 3) {
        EXPECT_EQ(mi[t], indicesBefore[t]);
        EXPECT_EQ(mi[t + 1], indicesBefore[t + 2]);
        EXPECT_EQ(mi[t + 2], indicesBefore[t + 1]);
    }
    scaled.GetBoundingSphere(sphere, nullptr);
    EXPECT_FLOAT_EQ(sphere[2], 0.8F);
    EXPECT_FLOAT_EQ(sphere[3], std::sqrt(4.0F + 5.76F + 0.64F));
    moved.GetBoundingSphere(sphere, nullptr);
    EXPECT_FLOAT_EQ(sphere[1], 10.0F);

    // Mirror(0) and axes that name no coordinate only separate.
    TMesh8 notMirrored = original;
    notMirrored.Mirror(0);
    notMirrored.Mirror(7);
    EXPECT_NE(notMirrored.GetGeometry(), original.GetGeometry());
    EXPECT_TRUE(SameVertices(VerticesOf(notMirrored, 0), before));
    EXPECT_EQ(IndicesOf(notMirrored), indicesBefore);

    // Assignment shares again; the geometry it left goes when nobody holds it.
    notMirrored = original;
    EXPECT_EQ(original.GetGeometry()->GetRefCount(), 2);
    notMirrored = notMirrored;
    EXPECT_EQ(original.GetGeometry()->GetRefCount(), 2);
}

TEST_F(MeshFile8, MaterialSettersTakeOneOrEveryMaterial)
{
    TMesh8 mesh = LoadMesh(ThreeMaterialMesh());
    mesh.SetMaterialType(TMeshMaterial::kAdd, TMesh8::kAllMaterials);
    for (std::uint32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(mesh.GetMaterial(i).GetMaterialType(), TMeshMaterial::kAdd);
    }
    mesh.SetMaterialType(TMeshMaterial::kMul, 1);
    mesh.SetDrawGroup(7, 2);
    mesh.SetEmissiveAlpha(0.25F, TMesh8::kAllMaterials);
    mesh.SetEmissiveRGB(0.1F, 0.2F, 0.3F, 0);
    EXPECT_EQ(mesh.GetMaterial(0).GetMaterialType(), TMeshMaterial::kAdd);
    EXPECT_EQ(mesh.GetMaterial(1).GetMaterialType(), TMeshMaterial::kMul);
    EXPECT_EQ(mesh.GetMaterial(2).GetDrawGroup(), 7u);
    EXPECT_EQ(mesh.GetMaterial(1).GetDrawGroup(), 12u);
    EXPECT_EQ(mesh.GetMaterial(2).GetMaterial().Emissive.a, 0.25F);
    EXPECT_EQ(mesh.GetMaterial(0).GetMaterial().Emissive.b, 0.3F);
    EXPECT_EQ(mesh.GetMaterial(1).GetMaterial().Emissive.b, 1.0F);
    // Copies carry their own materials.
    TMesh8 copy = mesh;
    copy.SetDrawGroup(1, TMesh8::kAllMaterials);
    EXPECT_EQ(mesh.GetMaterial(2).GetDrawGroup(), 7u);
}

// ---- morph time ----

TEST_F(MeshFile8, MorphTimeSteppingAndLooping)
{
    TMesh8 mesh = LoadMesh(MorphingGridMesh(1, 1.0F));
    EXPECT_EQ(mesh.GetMorphIndex(), 0u);
    EXPECT_EQ(mesh.GetMorphTime(), 0.0F);

    // Steps of morph 0: 0.25 in frame 0, 0.5 in frame 1, 1.0 in frame 2; the last frame is 2.
    const float expected[] = {0.25F, 0.5F, 0.75F, 1.0F, 1.5F, 2.0F};
    for (float t : expected) {
        EXPECT_TRUE(mesh.AdvanceMorph(true, 1.0F));
        EXPECT_EQ(mesh.GetMorphTime(), t);
    }
    // Landing exactly on the last frame was still true; the next step wraps.
    EXPECT_FALSE(mesh.StepMorph(true));
    EXPECT_EQ(mesh.GetMorphTime(), 0.0F);
    // The step is the one of the frame the time was in: 0.75 + 0.25 × 2.
    mesh.SetMorphTime(0.75F);
    EXPECT_TRUE(mesh.AdvanceMorph(false, 2.0F));
    EXPECT_EQ(mesh.GetMorphTime(), 1.25F);
    mesh.SetMorphTime(1.9F);
    EXPECT_FALSE(mesh.AdvanceMorph(false, 1.0F));
    EXPECT_EQ(mesh.GetMorphTime(), 2.0F);  // stays on the last frame
    EXPECT_FALSE(mesh.AdvanceMorph(false, 1.0F));
    EXPECT_EQ(mesh.GetMorphTime(), 2.0F);

    mesh.SetMorphTime(5.0F);
    EXPECT_EQ(mesh.GetMorphTime(), 2.0F);
    mesh.SetMorphTime(-1.0F);
    EXPECT_EQ(mesh.GetMorphTime(), 0.0F);
    mesh.SetMorphTime(1.0F);
    EXPECT_TRUE(mesh.RewindMorph(1.0F));  // exactly 0 is still inside
    EXPECT_EQ(mesh.GetMorphTime(), 0.0F);
    EXPECT_FALSE(mesh.RewindMorph(0.5F));
    EXPECT_EQ(mesh.GetMorphTime(), 0.0F);

    mesh.SetMorphTime(1.5F);
    mesh.SetMorph(1);
    EXPECT_EQ(mesh.GetMorphIndex(), 1u);
    EXPECT_EQ(mesh.GetMorphTime(), 0.0F);
    mesh.SetMorphTime(1.5F);
    mesh.SetMorph(2);  // there are two morphs: nothing happens
    EXPECT_EQ(mesh.GetMorphIndex(), 1u);
    EXPECT_EQ(mesh.GetMorphTime(), 1.5F);

    // A static mesh has no morph to step.
    TMesh8 still = LoadMesh(ThreeMaterialMesh(), "still.msh");
    still.SetMorph(0);
    EXPECT_FALSE(still.AdvanceMorph(true, 1.0F));
    EXPECT_EQ(still.GetMorphTime(), 0.0F);
    EXPECT_FALSE(still.HasMorphChanged());
}

TEST_F(MeshFile8, MorphChangesAreSeenOnce)
{
    TMesh8 mesh = LoadMesh(MorphingGridMesh(1, 1.0F));
    EXPECT_TRUE(mesh.HasMorphChanged());  // nothing seen yet
    EXPECT_FALSE(mesh.HasMorphChanged());
    mesh.StepMorph(true);
    EXPECT_TRUE(mesh.HasMorphChanged());
    EXPECT_FALSE(mesh.HasMorphChanged());
    mesh.SetMorph(1);
    mesh.SetMorphTime(0.25F);
    EXPECT_TRUE(mesh.HasMorphChanged());
    TMesh8 copy = mesh;  // copies remember what was seen
    EXPECT_FALSE(copy.HasMorphChanged());
}

// ---- the collision grid ----

TEST_F(MeshFile8, TriangleGridSplitsByCell)
{
    // A 4 × 4 grid of size 4 lies in the XY plane: turn it flat onto XZ, x -2..2, z -1.6..1.6.
    TMesh8 mesh = LoadMesh(GridMesh(4, 4.0F));
    D3DXMATRIX flat;
    D3DXMatrixRotationX(&flat, 1.5707964F);
    mesh.Transform(&flat);
    float x[2];
    float z[2];
    mesh.GetRangeXZ(x, z);
    EXPECT_FLOAT_EQ(x[0], -2.0F);
    EXPECT_FLOAT_EQ(x[1], 2.0F);

    std::uint32_t columns = 0;
    std::uint32_t rows = 0;
    std::vector<std::vector<TMesh8>> grid;
    mesh.BuildTriangleGrid(2.0F, 2.0F, x, z, &columns, &rows, &grid);
    EXPECT_EQ(columns, 2u);
    EXPECT_EQ(rows, 2u);  // 3.2 deep in cells of 2
    EXPECT_FLOAT_EQ(z[1], z[0] + 4.0F);
    ASSERT_EQ(grid.size(), 2u);
    std::uint32_t total = 0;
    for (auto& row : grid) {
        ASSERT_EQ(row.size(), 2u);
        for (TMesh8& cell : row) {
            EXPECT_EQ(cell.GetName(), "divmsh");
            EXPECT_EQ(cell.GetKeyFrameCount(), 1u);
            total += cell.GetFaceCount();
        }
    }
    EXPECT_EQ(total, 32u);  // every triangle in exactly one cell
    // Corners on a cell border go to the first cell in row order: the first cell takes most.
    EXPECT_GT(grid[0][0].GetFaceCount(), grid[1][1].GetFaceCount());

    // A cell size below 1 gives one cell on that axis, holding everything.
    mesh.BuildTriangleGrid(0.5F, 100.0F, x, z, &columns, &rows, &grid);
    EXPECT_EQ(columns, 1u);
    EXPECT_EQ(rows, 1u);
    EXPECT_EQ(grid[0][0].GetFaceCount(), 32u);
    EXPECT_EQ(grid[0][0].GetVertexCount(), 25u);

    // A cell nobody reaches gets the placeholder.
    mesh.BuildTriangleGrid(1.0F, 1.0F, x, z, &columns, &rows, &grid);
    EXPECT_EQ(columns, 4u);
    EXPECT_EQ(rows, 4u);
    EXPECT_EQ(grid[3][3].GetName(), "dmymsh");
    EXPECT_EQ(grid[3][3].GetMaterial(0).GetName(), "dmymat");
    EXPECT_EQ(grid[3][3].GetMaterial(0).GetMaterialType(), TMeshMaterial::kHide);
}

TEST_F(MeshFile8, ExtractedTrianglesAreRenumbered)
{
    TMesh8 mesh = LoadMesh(ThreeMaterialMesh());
    // Triangles 4 (1, 2, 0; material 2) and 2 (0, 2, 3; material 1).
    TMesh8 part = mesh.ExtractTriangles({4, 2});
    EXPECT_EQ(part.GetName(), "divmsh");
    EXPECT_EQ(part.GetFaceCount(), 2u);
    EXPECT_EQ(part.GetVertexCount(), 4u);
    EXPECT_EQ(IndicesOf(part), (std::vector<std::uint16_t>{0, 1, 2, 2, 1, 3}));
    ASSERT_EQ(part.GetMaterialCount(), 2u);
    EXPECT_EQ(part.GetMaterial(0).GetName(), "glowORDER0x10");
    EXPECT_EQ(part.GetMaterial(1).GetName(), "skinORDER12");
    const std::vector<MeshVertex> from = VerticesOf(mesh, 0);
    const std::vector<MeshVertex> to = VerticesOf(part, 0);
    EXPECT_EQ(std::memcmp(&to[0], &from[1], sizeof(MeshVertex)), 0);
    EXPECT_EQ(std::memcmp(&to[3], &from[3], sizeof(MeshVertex)), 0);

    TMesh8 none = mesh.ExtractTriangles({});
    EXPECT_EQ(none.GetName(), "dmymsh");
    EXPECT_EQ(none.GetFaceCount(), 1u);
    EXPECT_EQ(none.GetFVF(), 0x142u);
}

}  // namespace
}  // namespace meshtest

namespace meshtest {
namespace {

class SoftwareMesh : public MeshFixture {
protected:
    void SetUp() override
    {
        MeshFixture::SetUp();
        StartDevice(false);
    }
};

TEST_F(SoftwareMesh, DirtyFlagsFollowVertexAndMaterialWrites)
{
    TMesh8 mesh = LoadMesh(ThreeMaterialMesh());
    TMeshGeometry* g = mesh.GetGeometry();
    ASSERT_NE(g->GetSoftwareVertexBuffer(), nullptr);
    for (std::uint32_t m = 0; m < 3; ++m) {
        EXPECT_TRUE(g->TestAndClearDirty(m)) << "new subsets start dirty";
        EXPECT_FALSE(g->TestAndClearDirty(m));
    }
    mesh.SetMaterialType(TMeshMaterial::kAdd, TMesh8::kAllMaterials);
    mesh.SetDrawGroup(3, 1);
    EXPECT_FALSE(g->TestAndClearDirty(1)) << "codes change no vertex";
    mesh.EditMaterial(2);
    EXPECT_FALSE(g->TestAndClearDirty(1));
    EXPECT_TRUE(g->TestAndClearDirty(2));
    mesh.SetEmissiveAlpha(0.5F, 0);
    EXPECT_TRUE(g->TestAndClearDirty(0));
    EXPECT_FALSE(g->TestAndClearDirty(2));
    mesh.LockVertices(0);
    mesh.UnlockVertices(0, false);
    for (std::uint32_t m = 0; m < 3; ++m) {
        EXPECT_TRUE(g->TestAndClearDirty(m));
    }

    // A private copy keeps the flags as they were and its own software buffer.
    mesh.SetEmissiveAlpha(0.5F, 1);
    TMesh8 copy = mesh;
    copy.LockIndices();
    copy.UnlockIndices();
    EXPECT_NE(copy.GetGeometry()->GetSoftwareVertexBuffer(), g->GetSoftwareVertexBuffer());
    EXPECT_TRUE(g->TestAndClearDirty(1));
    EXPECT_FALSE(g->TestAndClearDirty(0));
}

TEST_F(SoftwareMesh, RebuiltSubsetsFollowReorderedIndices)
{
    TMesh8 mesh = LoadMesh(ThreeMaterialMesh());
    const TMeshSubsetTable* table = mesh.GetGeometry()->GetSubsetTable();
    const std::uint32_t* copy = table->GetIndexCopy(0);
    ASSERT_NE(copy, nullptr);
    // Material 0 holds triangles 0, 1 and 3.
    EXPECT_EQ(std::vector<std::uint32_t>(copy, copy + 9), (std::vector<std::uint32_t>{0, 2, 1, 1, 2, 3, 0, 3, 1}));
    std::uint16_t* indices = mesh.LockIndices();
    ASSERT_NE(indices, nullptr);
    std::swap(indices[0], indices[3]);
    std::swap(indices[1], indices[4]);
    std::swap(indices[2], indices[5]);
    mesh.UnlockIndices();
    mesh.RebuildSubsets();
    table = mesh.GetGeometry()->GetSubsetTable();
    copy = table->GetIndexCopy(0);
    EXPECT_EQ(std::vector<std::uint32_t>(copy, copy + 9), (std::vector<std::uint32_t>{1, 2, 3, 0, 2, 1, 0, 3, 1}));
    EXPECT_EQ(table->GetTriangleTotal(2), 1u);
    EXPECT_TRUE(mesh.GetGeometry()->TestAndClearDirty(2));
}

TEST_F(MeshFile8, DirtyFlagsAreNotKeptWithVertexShaders)
{
    TMesh8 mesh = LoadMesh(ThreeMaterialMesh());
    EXPECT_EQ(mesh.GetGeometry()->GetSoftwareVertexBuffer(), nullptr);
    mesh.EditMaterial(0);
    mesh.GetGeometry()->MarkDirty(-1);
    EXPECT_FALSE(mesh.GetGeometry()->TestAndClearDirty(0));
    EXPECT_EQ(mesh.GetGeometry()->GetSubsetTable()->GetIndexCopy(0), nullptr);
}

}  // namespace
}  // namespace meshtest
