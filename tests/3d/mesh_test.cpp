// Mesh files through the writer and the loader, damaged files, materials, copy-on-write, morph time,
// and the game's models built on meshes.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "MainCode/GameData/TCharacterTexture.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TWeponTable.h"
#include "TCommon/my_error.h"
#include "fixtures.h"
#include "platform/d3dx8/d3dx8.h"
#include "formats/byte_writer.h"
#include "formats/game_table_writer.h"
#include "formats/ptx_writer.h"
#include "support/dx_probe.h"

namespace meshtest {
namespace {

using qmtest::MeshFile;
using qmtest::MeshVertex;

std::vector<MeshVertex> VerticesOf(TMesh8& mesh, std::uint32_t keyFrame = 0)
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

TEST_F(MeshFile8, StaticAndAnimatedRoundTrips)
{
    const MeshFile f = ThreeMaterialMesh();
    TMesh8 mesh = LoadMesh(f);
    EXPECT_EQ(mesh.GetKeyFrameCount(), 1u);
    EXPECT_TRUE(SameVertices(VerticesOf(mesh), f.keyFrames[0]));
    EXPECT_EQ(IndicesOf(mesh), f.indices);
    const TMeshSubsetTable* table = mesh.GetGeometry()->GetSubsetTable();
    ASSERT_EQ(table->GetRuns(0).size(), 2u);
    EXPECT_EQ(table->GetRuns(0)[1].first, 3u);
    EXPECT_EQ(table->GetRuns(0)[1].count, 1u);
    EXPECT_EQ(table->GetTriangleTotal(0), 3u);
    ASSERT_EQ(mesh.GetMaterialCount(), 3u);
    EXPECT_EQ(mesh.GetMaterial(1).GetMaterialType(), TMeshMaterial::kAlpha);
    EXPECT_EQ(mesh.GetMaterial(1).GetDrawGroup(), 12u);
    EXPECT_EQ(mesh.GetMaterial(2).GetMaterialType(), TMeshMaterial::kAdd);
    EXPECT_EQ(mesh.GetMaterial(2).GetDrawGroup(), 16u);

    const MeshFile a = MorphingGridMesh(2, 3.0F);
    TMesh8 anim = LoadMesh(a, "anim.msh");
    ASSERT_EQ(anim.GetKeyFrameCount(), 3u);
    for (std::uint32_t k = 0; k < 3; ++k) {
        EXPECT_TRUE(SameVertices(VerticesOf(anim, k), a.keyFrames[k])) << "key frame " << k;
    }
    EXPECT_EQ(IndicesOf(anim), a.indices);
    ASSERT_EQ(anim.GetMorphCount(), 2u);
    const TMorphRecord* r = anim.GetGeometry()->GetMorphRecord(1);
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(r->frameCount, 3u);
    EXPECT_EQ(r->keyFrames[2], 0u);
    EXPECT_EQ(r->timeSteps[0], 1.0F);
}

TEST_F(MeshFile8, MissingAndDamagedFilesFailNamingTheFile)
{
    TMesh8::SetDirectory("meshes/");
    std::string e = LoadError("none.msh");
    EXPECT_NE(e.find("meshes/none.msh"), std::string::npos) << e;
    TMesh8::SetDirectory("");

    std::vector<std::pair<const char*, MeshFile>> cases;
    MeshFile f = ThreeMaterialMesh();
    f.indices[7] = 4;  // four vertices: 0 to 3
    cases.emplace_back("triangle index past the vertices", f);
    f = ThreeMaterialMesh();
    f.faceMaterials[4] = 3;
    cases.emplace_back("face material past the materials", f);
    f = MorphingGridMesh(2, 3.0F);
    f.morphs[1].keyFrames[2] = 3;
    cases.emplace_back("morph key frame past the key frames", f);

    for (const auto& [what, file] : cases) {
        file.Save("bad.msh");
        e = LoadError("bad.msh");
        EXPECT_NE(e.find("bad.msh"), std::string::npos) << what << ": " << e;
    }
}

TEST_F(MeshFile8, AMeshWithoutTrianglesHasEmptySubsets)
{
    MeshFile f = ThreeMaterialMesh();
    f.indices.clear();
    f.faceMaterials.clear();
    TMesh8 mesh = LoadMesh(f);
    ASSERT_EQ(TDxProbe::SubsetCount(mesh), 3u);
    for (std::uint32_t m = 0; m < 3; ++m) {
        EXPECT_TRUE(mesh.GetGeometry()->GetSubsetTable()->GetRuns(m).empty());
    }
}

class MeshMaterialIndex : public MeshFixture {
protected:
    void SetUp() override
    {
        MeshFixture::SetUp();
        StartDevice(false);  // the software path keeps the dirty marks
    }
};

// A material edited by index: each index of the mesh edits its own material and marks its own
// subset; one past the last, or the "every material" index, is refused: no material changes and
// nothing is marked.
TEST_F(MeshMaterialIndex, EditMaterialTakesOnlyTheMeshsOwnIndices)
{
    TMesh8 mesh = LoadMesh(ThreeMaterialMesh());
    ASSERT_EQ(mesh.GetMaterialCount(), 3u);
    TMeshGeometry* geometry = mesh.GetGeometry();
    for (std::uint32_t m = 0; m < 3; ++m) {
        geometry->TestAndClearDirty(m);
    }
    const struct {
        std::uint32_t index;
        float alpha;
        std::int32_t edited;  // -1: none
    } cases[] = {{0, 0.125F, 0}, {2, 0.375F, 2}, {3, 0.625F, -1}, {TMesh8::kAllMaterials, 0.875F, -1}};
    const TMeshMaterial* storage = &mesh.GetMaterial(0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        TMeshMaterial& edited = mesh.EditMaterial(c.index);
        edited.SetEmissiveAlpha(c.alpha);
        for (std::int32_t m = 0; m < 3; ++m) {
            const std::uint32_t i = static_cast<std::uint32_t>(m);
            EXPECT_EQ(mesh.GetMaterial(i).GetMaterial().Emissive.a == c.alpha, m == c.edited) << m;
            EXPECT_EQ(geometry->TestAndClearDirty(i), m == c.edited) << m;
        }
        if (c.edited < 0) {
            // A spare outside the mesh's storage (not even just past its end), blank at each hand-out.
            for (int k = 0; k <= 3; ++k) {
                EXPECT_NE(&edited, storage + k) << k;
            }
            EXPECT_EQ(mesh.EditMaterial(c.index).GetMaterial().Emissive.a, 0.0F);
        }
    }
}

TMeshMaterial MaterialWith(float alpha, float level, const std::string& name = "m")
{
    D3DMATERIAL8 m{};
    m.Emissive.a = alpha;
    m.Specular.r = level;
    return TMeshMaterial(name, &m, TTexture8());
}

TEST(MeshMaterial, RenderTypeFromEmissiveAlphaAndLevelAndDrawGroupFromTheName)
{
    // Each band's own code, with that code's level (0.65 → ZWNALPHA at 0.75 and back).
    const struct {
        float level;
        std::uint16_t code;
        float stored;
    } bands[] = {{0.1F, 3000, 0.15F},  {0.19F, 3000, 0.15F}, {0.2F, 4000, 0.25F}, {0.35F, 4100, 0.35F},
                 {0.4F, 1300, 0.45F},  {0.55F, 2100, 0.55F}, {0.65F, 2200, 0.75F}, {0.75F, 1100, 0.65F},
                 {0.8F, 2300, 0.85F}, {0.9F, 5000, 0.95F},  {0.999F, 5000, 0.95F}};
    for (const auto& b : bands) {
        const TMeshMaterial m = MaterialWith(1.0F, b.level);
        EXPECT_EQ(m.GetMaterialType(), b.code) << b.level;
        EXPECT_FLOAT_EQ(m.GetMaterial().Specular.r, b.stored) << b.level;
    }
    // Emissive alpha 0 hides whatever the level; outside the bands: opaque, or alpha below 1.
    EXPECT_EQ(MaterialWith(0.0F, 0.25F).GetMaterialType(), TMeshMaterial::kHide);
    EXPECT_EQ(MaterialWith(1.0F, 0.05F).GetMaterialType(), TMeshMaterial::kOpaque);
    EXPECT_EQ(MaterialWith(1.0F, 1.0F).GetMaterialType(), TMeshMaterial::kOpaque);
    EXPECT_EQ(MaterialWith(0.99F, 0.0F).GetMaterialType(), TMeshMaterial::kAlpha);

    EXPECT_EQ(MaterialWith(1, 0, "bodyORDER12").GetDrawGroup(), 12u);
    EXPECT_EQ(MaterialWith(1, 0, "ORDER0x10").GetDrawGroup(), 16u);
    EXPECT_EQ(MaterialWith(1, 0, "aORDER0x1fORDER3").GetDrawGroup(), 31u);  // the first one counts
}

TEST_F(MeshFile8, WritersTakeGeometryOfTheirOwn)
{
    TMesh8 original = LoadMesh(ThreeMaterialMesh());
    const std::vector<MeshVertex> before = VerticesOf(original);
    const std::vector<std::uint16_t> indicesBefore = IndicesOf(original);
    TMesh8 copy = original;
    EXPECT_EQ(copy.GetGeometry(), original.GetGeometry());
    copy.LockVerticesReadOnly(0);  // reading does not separate them
    copy.UnlockVertices(0, false);
    EXPECT_EQ(copy.GetGeometry(), original.GetGeometry());
    auto* v = static_cast<MeshVertex*>(copy.LockVertices(0));
    ASSERT_NE(v, nullptr);
    v[0].x = 9.0F;
    copy.UnlockVertices(0, true);
    EXPECT_NE(copy.GetGeometry(), original.GetGeometry());
    float sphere[5];
    copy.GetBoundingSphere(sphere, nullptr);
    EXPECT_FLOAT_EQ(sphere[0], 4.0F);  // x now spans -1..9
    TMesh8 indexCopy = original;
    indexCopy.LockIndices()[0] = 3;
    indexCopy.UnlockIndices();

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
    EXPECT_EQ(original.GetGeometry()->GetRefCount(), 1);
    EXPECT_TRUE(SameVertices(VerticesOf(original), before));
    EXPECT_EQ(IndicesOf(original), indicesBefore);

    const std::vector<MeshVertex> mv = VerticesOf(mirrored);
    const std::vector<MeshVertex> sv = VerticesOf(scaled);
    const std::vector<MeshVertex> tv = VerticesOf(moved);
    const std::vector<MeshVertex> cv = VerticesOf(clone);
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(mv[i].x, -before[i].x);
        EXPECT_FLOAT_EQ(sv[i].z, before[i].z * 4.0F);
        EXPECT_FLOAT_EQ(tv[i].y, before[i].y + 10.0F);
        EXPECT_EQ(cv[i].z, -before[i].z);
    }

    scaled.GetBoundingSphere(sphere, nullptr);
    EXPECT_FLOAT_EQ(sphere[3], std::sqrt(4.0F + 5.76F + 0.64F));
    moved.GetBoundingSphere(sphere, nullptr);
    EXPECT_FLOAT_EQ(sphere[1], 10.0F);
}

TEST_F(MeshFile8, MorphTimeSteppingAndLooping)
{
    TMesh8 mesh = LoadMesh(MorphingGridMesh(1, 1.0F));
    // Steps of morph 0: 0.25 in frame 0, 0.5 in frame 1, 1.0 in frame 2; the last frame is 2.
    for (float t : {0.25F, 0.5F, 0.75F, 1.0F, 1.5F, 2.0F}) {
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

    mesh.SetMorphTime(1.5F);
    mesh.SetMorph(1);
    EXPECT_EQ(mesh.GetMorphIndex(), 1u);
    EXPECT_EQ(mesh.GetMorphTime(), 0.0F);
    mesh.SetMorphTime(1.5F);
    mesh.SetMorph(2);  // there are two morphs: nothing happens
    EXPECT_EQ(mesh.GetMorphIndex(), 1u);
    EXPECT_EQ(mesh.GetMorphTime(), 1.5F);
}

TEST_F(MeshFile8, CharacterFlagsPickTheTextureVariantOnMaterialZero)
{
    TGameData::Initialize();
    std::vector<qmtest::PtxImage> images;
    for (const char* name : {"hero", "hero01", "hero02", "heroine", "heroine01", "heroine02", "villager"}) {
        images.push_back(qmtest::PtxImage::Filled(name, 0, 8, 8, qmtest::PtxColor{10, 20, 30}));
    }
    for (const char* package : {"hero.ptx", "heroine.ptx"}) {
        qmtest::SaveBytes(TTexture8::GetDirectory() + package, qmtest::BuildPtx(images));
    }
    auto model = [this](const std::string& texture) {
        qmtest::MeshFile file = GridMesh(1, 1.0F);
        file.materials[0].texture = texture;
        return LoadMesh(file);
    };
    TGameData* data = TGameData::GetInstance();
    TMesh8 hero = model("hero.ptx/hero");
    data->SetFlag(0x230, 2);
    SelectCharacterTexture(hero);
    EXPECT_EQ(hero.GetMaterial(0).GetTexture().GetName(), "hero.ptx/hero02");
    TMesh8 heroine = model("heroine.ptx/heroine02");
    data->SetFlag(0x231, 1);
    SelectCharacterTexture(heroine);
    EXPECT_EQ(heroine.GetMaterial(0).GetTexture().GetName(), "heroine.ptx/heroine01");
    TGameData::Finalize();
}

TEST_F(MeshFile8, WeaponsCarryTheirTrailColourAndMesh)
{
    // Every element's colour, and black past the seventh.
    const float colours[8][3] = {{0.3f, 0.5f, 0.5f},   {1.0f, 0.4f, 0.2f}, {0.3f, 0.3f, 1.0f},  {0.0f, 0.5f, 0.25f},
                                 {0.5f, 0.25f, 0.25f}, {0.8f, 0.8f, 0.5f}, {0.25f, 0.0f, 0.5f}, {0.0f, 0.0f, 0.0f}};
    std::vector<TWeponRecord> records;
    std::filesystem::create_directories(TMesh8::GetDirectory() + "wepon");
    GridMesh(2, 1.0F).Save(TMesh8::GetDirectory() + "wepon/sw.msh");
    for (std::uint32_t element = 0; element < 8; ++element) {
        TWeponRecord w;
        w.Id = 1000 + element;
        w.Type = 1;
        w.Element = element;
        w.MeshName = "sw";
        records.push_back(w);
    }
    qmtest::SaveBytes("wepon.tbl", qmtest::BuildGameTable(records));
    TWeponTable::Clear();
    TWeponTable::Load("wepon.tbl");
    for (std::uint32_t element = 0; element < 8; ++element) {
        const TRefPtr<TWepon> wepon = TWeponTable::CreateInstance(1000 + element);
        ASSERT_NE(wepon.Get(), nullptr);
        EXPECT_EQ(wepon->Element, element);
        EXPECT_EQ(wepon->TrailRed, colours[element][0]) << element;
        EXPECT_EQ(wepon->TrailGreen, colours[element][1]) << element;
        EXPECT_EQ(wepon->TrailBlue, colours[element][2]) << element;
        ASSERT_NE(wepon->Mesh.Get(), nullptr);
        EXPECT_EQ(wepon->Mesh->GetFaceCount(), 8u);
    }
    TWeponTable::Clear();
}

}  // namespace
}  // namespace meshtest
