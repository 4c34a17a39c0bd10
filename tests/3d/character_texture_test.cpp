// The hero and heroine models wear the texture variant the event flags choose.
#include <gtest/gtest.h>

#include "MainCode/GameData/TCharacterTexture.h"
#include "MainCode/GameData/TGameData.h"
#include "dx/dx8/3d/TMeshMaterial.h"
#include "dx/dx8/3d/TTexture8.h"
#include "mesh_fixture.h"
#include "support/byte_writer.h"
#include "support/ptx_writer.h"

namespace {

class CharacterTexture : public meshtest::MeshFixture {
protected:
    void SetUp() override
    {
        MeshFixture::SetUp();
        StartDevice(true);
        TGameData::Initialize();
        std::vector<qmtest::PtxImage> images;
        for (const char* name : {"hero", "hero01", "hero02", "heroine", "heroine01", "heroine02", "villager"}) {
            images.push_back(qmtest::PtxImage::Filled(name, 0, 8, 8, qmtest::PtxColor{10, 20, 30}));
        }
        qmtest::SaveBytes(TTexture8::GetDirectory() + "hero.ptx", qmtest::BuildPtx(images));
        qmtest::SaveBytes(TTexture8::GetDirectory() + "heroine.ptx", qmtest::BuildPtx(images));
        qmtest::SaveBytes(TTexture8::GetDirectory() + "other.ptx", qmtest::BuildPtx(images));
    }
    void TearDown() override
    {
        TGameData::Finalize();
        MeshFixture::TearDown();
    }
    TMesh8 Model(const std::string& texture)
    {
        qmtest::MeshFile file = meshtest::GridMesh(1, 1.0F);
        file.materials[0].texture = texture;
        return LoadMesh(file);
    }
};

}  // namespace

TEST_F(CharacterTexture, FlagsPickTheVariantOnMaterialZero)
{
    TGameData* data = TGameData::GetInstance();
    ASSERT_NE(data, nullptr);
    TMesh8 hero = Model("hero.ptx/hero");
    data->SetFlag(0x230, 2);
    SelectCharacterTexture(hero);
    EXPECT_EQ(hero.GetMaterial(0).GetTexture().GetName(), "hero.ptx/hero02");
    data->SetFlag(0x230, 7);  // any other value: the plain texture
    SelectCharacterTexture(hero);
    EXPECT_EQ(hero.GetMaterial(0).GetTexture().GetName(), "hero.ptx/hero");

    TMesh8 heroine = Model("heroine.ptx/heroine02");
    data->SetFlag(0x231, 1);
    SelectCharacterTexture(heroine);
    EXPECT_EQ(heroine.GetMaterial(0).GetTexture().GetName(), "heroine.ptx/heroine01");

    TMesh8 villager = Model("other.ptx/villager");
    SelectCharacterTexture(villager);
    EXPECT_EQ(villager.GetMaterial(0).GetTexture().GetName(), "other.ptx/villager");
}
