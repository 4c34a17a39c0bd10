// Every loader of the graphics engine against damaged copies of a good file (each length cut off,
// random bytes changed), loaded and used as the game uses it: a failed load or my_error naming the
// file, never a crash, an overrun or a huge block.
#include <gtest/gtest.h>

#include "dx/dx8/3d/TFrame.h"
#include "dx/dx8/3d/TTexturePackage.h"
#include "fixtures.h"
#include "formats/byte_writer.h"
#include "formats/frame_writer.h"
#include "platform/testing/win32.h"
#include "support/fuzz.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using qmtest::FrameNode;

// Two materials over the grid's eight triangles, the second untextured.
qmtest::MeshFile TwoMaterialMesh()
{
    qmtest::MeshFile f = meshtest::GridMesh(2, 2.0F);
    f.materials.push_back(qmtest::MeshMaterial("glowORDER0x10", 1, 0.5F, 0, 1.0F, 0.25F));
    f.materials[1].texture = "";
    f.faceMaterials = {0, 1, 0, 1, 1, 0, 0, 1};
    return f;
}

Bytes ThreeImagePackage(const std::string&)
{
    using qmtest::PtxImage;
    return qmtest::BuildPtx({PtxImage::Filled("a", 0, 2, 2, {1, 2, 3}), PtxImage::Filled("b", 1, 3, 2, {4, 5, 6}),
                             PtxImage::Filled("c", 3, 1, 3, {7, 8, 9})});
}

// A frame tree with meshes, keys of every kind and a child without a mesh.
Bytes HandFrames(const std::string&)
{
    FrameNode hand{"Hand", qmtest::TranslationMatrix(0, -1, 0), {qmtest::MeshRecord(meshtest::GridMesh(1, 0.2F))},
                   {{qmtest::ScaleKeys({0, 4}, {{1, 1, 1}, {2, 2, 2}}),
                     qmtest::RotationKeys({0, 5}, {{0, 0, 0, 1}, {0, 1, 0, 0}})},
                    {qmtest::TranslationKeys({0}, {{1, 2, 3}})}},
                   {FrameNode{"Finger", qmtest::IdentityMatrix(), {}, {}, {}}}};
    return qmtest::FrameFile(
        FrameNode{"Root", qmtest::IdentityMatrix(), {qmtest::MeshRecord(meshtest::GridMesh(1, 4))}, {}, {hand}});
}

// The model loaded, posed and drawn in one frame.
void DrawFrames(const std::string& path)
{
    auto model = TFrame::Load(path);
    TView view;
    view.SetProjection(0.5F, 100.0F, 45.0F, 640, 480);
    D3DXMATRIX m;
    view.SetCameraMatrix(*D3DXMatrixTranslation(&m, 0.0F, 0.0F, -5.0F));
    model->SetAnimationIndex(0);
    model->SetAnimationTime(2.0F);
    TD3D8::Instance()->BeginScene();
    model->Render(&view, D3DXMatrixIdentity(&m));
    TDrawList::FlushAll();
    TD3D8::Instance()->EndScene();
}

qmtest::FuzzOptions Mutations(int n)
{
    qmtest::FuzzOptions options;
    options.mutations = n;
    return options;
}

const qmtest::DamagedFile kLoaders[] = {
    {"AnimatedMesh", "fuzz.msh", [](const std::string&) { return meshtest::MorphingGridMesh(1, 1.0F).Bytes(); },
     [](const std::string& path) {
         TMesh8 mesh = TMesh8::Load(path);
         mesh.AdvanceMorph(true, 1.0F);
         float x[2];
         float z[2];
         mesh.GetRangeXZ(x, z);
     },
     Mutations(600)},
    {"StaticMesh", "fuzz.msh", [](const std::string&) { return TwoMaterialMesh().Bytes(); },
     [](const std::string& path) { TMesh8::Load(path); }, Mutations(400)},
    {"TexturePackage", "fuzz.ptx", ThreeImagePackage,
     [](const std::string& path) {
         for (const char* entry : {"a", "b", "c", "zz"}) {
             TIndexedImage image;
             if (TTexturePackage::ReadImage(path, entry, &image)) {
                 ASSERT_LT(image.kind, 4u);
                 ASSERT_EQ(image.indices.size(), static_cast<std::size_t>(image.width) * image.height);
                 ASSERT_EQ(image.palette.size(), 1024u);
             }
         }
     }},
    {"TextureCache", "ptx/f.ptx", ThreeImagePackage,
     [](const std::string&) {
         for (const char* key : {"f.ptx/a", "f.ptx/b", "f.ptx/c"}) {
             TTexture8 t = TTexture8::Load(key, D3DPOOL_MANAGED, 0);
             D3DSURFACE_DESC desc{};
             if (t.HasTexture()) {
                 ASSERT_TRUE(t.GetLevelDesc(0, &desc));
             }
         }
         TTexture8::PurgeCache(2);
     },
     Mutations(600)},
    {"FramesWithMeshes", "model.frm", HandFrames, DrawFrames, Mutations(600)},
};

class DamagedFiles : public meshtest::MeshFixture, public ::testing::WithParamInterface<qmtest::DamagedFile> {
protected:
    void SetUp() override
    {
        MeshFixture::SetUp();
        std::filesystem::create_directories(dir_.Path() / "ptx");
        TTexture8::SetDirectory("ptx/");
        TFrame::SetDirectory("");
        StartDevice(true);
    }
    void TearDown() override
    {
        MeshFixture::TearDown();
        TTexture8::PurgeCache(1);
        TTexture8::SetDirectory("");
    }
};

TEST_P(DamagedFiles, NeverCrashUnderSanitizers)
{
    qmtest::FuzzFile(GetParam().valid(""), dir_.File(GetParam().file), GetParam().load, GetParam().options);
}

// The good file is read with one call of the system each time it is opened, whatever its fields.
TEST_P(DamagedFiles, ReadWithOneCallEachOpen)
{
    qmtest::SaveBytes(dir_.File(GetParam().file), GetParam().valid(""));
    const platform::FileCallCounts before = platform::FileCalls();
    GetParam().load(dir_.File(GetParam().file));
    const platform::FileCallCounts after = platform::FileCalls();
    EXPECT_GE(after.opens - before.opens, 1);
    EXPECT_EQ(after.reads - before.reads, after.opens - before.opens);
}

INSTANTIATE_TEST_SUITE_P(EveryLoader, DamagedFiles, ::testing::ValuesIn(kLoaders), qmtest::DamagedFile::Name());

}  // namespace
