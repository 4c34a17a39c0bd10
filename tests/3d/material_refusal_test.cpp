// A texture a mesh's material cannot have is logged with the mesh and the material that asked for
// it, beside the texture's own message; a texture that loads says nothing.
#include <gtest/gtest.h>

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
    }
    void TearDown() override
    {
        TTexture8::PurgeCache(1);
        MeshFixture::TearDown();
    }
};

TEST_F(MaterialRefusal, TheMeshAndMaterialAreNamed)
{
    const std::vector<std::uint8_t> package = qmtest::BuildPtx({PtxImage::Filled("bark", 0, 2, 2, {90, 60, 30})});
    qmtest::SaveBytes(dir_.File("wood.ptx"), package);
    qmtest::SaveBytes(dir_.File("cut.ptx"), std::vector<std::uint8_t>(package.begin(), package.begin() + 6));
    const struct {
        const char* texture;
        const char* error;  // in the texture's own message; null when nothing is thrown
        const char* outcome;  // null when no line is written
    } cases[] = {
        {"wood.ptx/bark", nullptr, nullptr},
        {"", nullptr, nullptr},
        {"wood.ptx/leaf", nullptr, "which cannot be shown"},
        {"gone.ptx/bark", "gone.ptx", "which cannot be read"},
        {"cut.ptx/bark", "cut.ptx", "which cannot be read"},
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
            EXPECT_NE(error.find(c.error), std::string::npos) << c.texture << ": " << error;
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
