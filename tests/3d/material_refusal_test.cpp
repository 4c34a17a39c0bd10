// A texture a mesh's material cannot have is logged with the mesh and the material that asked for
// it, and a package that cannot be read is refused naming them; a texture that loads says nothing.
#include <gtest/gtest.h>

#include <filesystem>

#include "TCommon/my_error.h"
#include "fixtures.h"

namespace {

using qmtest::PtxImage;

class MaterialRefusal : public meshtest::MeshFixture {
protected:
    void SetUp() override
    {
        MeshFixture::SetUp();
        StartDevice(true);
        std::filesystem::create_directory(dir_.Path() / "ptx04");
        TTexture8::SetDirectory("ptx04/");
    }
    void TearDown() override
    {
        TTexture8::PurgeCache(1);
        TTexture8::SetDirectory("");
        MeshFixture::TearDown();
    }
};

TEST_F(MaterialRefusal, TheMeshAndMaterialAreNamed)
{
    const std::vector<std::uint8_t> package = qmtest::BuildPtx({PtxImage::Filled("bark", 0, 2, 2, {90, 60, 30})});
    qmtest::SaveBytes(dir_.File("ptx04/wood.ptx"), package);
    qmtest::SaveBytes(dir_.File("ptx04/cut.ptx"), std::vector<std::uint8_t>(package.begin(), package.begin() + 6));
    const struct {
        const char* texture;
        const char* error;  // the refusal's message; null when nothing is thrown
        const char* outcome;  // null when no line is written
    } cases[] = {
        {"wood.ptx/bark", nullptr, nullptr},
        {"", nullptr, nullptr},
        {"wood.ptx/leaf", nullptr, "which cannot be shown"},
        {"gone.ptx/bark", "hut.msh : マテリアル \"lid\" のテクスチャ \"gone.ptx/bark\" を読めません : ptx04/gone.ptx",
         "which cannot be read"},
        {"cut.ptx/bark", "hut.msh : マテリアル \"lid\" のテクスチャ \"cut.ptx/bark\" を読めません : ptx04/cut.ptx",
         "which cannot be read"},
        // A damaged name without its package: the folder alone cannot be read.
        {"bark", "hut.msh : マテリアル \"lid\" のテクスチャ \"bark\" を読めません : ptx04/", "which cannot be read"},
    };
    for (const auto& c : cases) {
        // The refused texture on the second material, so that the right one is named.
        qmtest::MeshFile file = meshtest::GridMesh(1, 1.0F);
        file.materials[0].texture = "wood.ptx/bark";
        file.materials.push_back(qmtest::MeshMaterial("lid", 0.5F, 0.5F, 0.5F, 1.0F, 0.0F));
        file.materials[1].texture = c.texture;
        file.faceMaterials = {0, 1};
        file.Save("hut.msh");
        testing::internal::CaptureStderr();
        std::string error;
        try {
            TMesh8 mesh = TMesh8::Load("hut.msh");
            EXPECT_EQ(mesh.GetMaterialCount(), 2u);
        } catch (const my_error& e) {
            error = e.what();
        }
        const std::string log = testing::internal::GetCapturedStderr();
        if (c.error == nullptr) {
            EXPECT_EQ(error, "") << c.texture;
        } else {
            // Named where the package failed.
            EXPECT_NE(error.find("\r\nfile : TTexture8\r\nline : 150\r\n"), std::string::npos) << error;
            EXPECT_NE(error.find(std::string("\r\nerror : ") + c.error + "\r\n"), std::string::npos)
                << c.texture << ": " << error;
        }
        if (c.outcome == nullptr) {
            EXPECT_EQ(log.find("asks for"), std::string::npos) << log;
        } else {
            EXPECT_NE(log.find(std::string("mesh: hut.msh: the material \"lid\" asks for the texture \"") + c.texture +
                               "\", " + c.outcome + "\n"),
                      std::string::npos)
                << log;
        }
    }
}

}  // namespace
