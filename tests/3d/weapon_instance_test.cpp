// Weapons made from "wepon.tbl": the record's values, the element's trail colour and the mesh.
#include <gtest/gtest.h>

#include <filesystem>

#include "MainCode/GameData/TWeponTable.h"
#include "mesh_fixture.h"
#include "support/byte_writer.h"
#include "support/game_table_writer.h"

namespace {

class WeaponInstance : public meshtest::MeshFixture {
protected:
    void SetUp() override
    {
        MeshFixture::SetUp();
        StartDevice(true);
        std::vector<TWeponRecord> records;
        for (std::uint32_t element : {1u, 6u, 7u}) {
            TWeponRecord w;
            w.Id = 1000 + element;
            w.Type = 1;
            w.Attack = 10;
            w.TrailLength = 0.5f;
            w.Element = element;
            w.MeshName = "sw" + std::to_string(element);
            records.push_back(w);
        }
        qmtest::SaveBytes("wepon.tbl", qmtest::BuildGameTable(records));
        TWeponTable::Clear();
        TWeponTable::Load("wepon.tbl");
        std::filesystem::create_directories(TMesh8::GetDirectory() + "wepon");
        for (const char* name : {"sw1", "sw6", "sw7"}) {
            meshtest::GridMesh(2, 1.0F).Save(TMesh8::GetDirectory() + "wepon/" + name + ".msh");
        }
    }
    void TearDown() override
    {
        TWeponTable::Clear();
        MeshFixture::TearDown();
    }
};

}  // namespace

TEST_F(WeaponInstance, CarriesItsRecordTrailColourAndMesh)
{
    const TRefPtr<TWepon> fire = TWeponTable::CreateInstance(1001);
    ASSERT_NE(fire.Get(), nullptr);
    EXPECT_TRUE(fire.IsOwned());
    EXPECT_EQ(fire->Id, 1001u);
    EXPECT_EQ(fire->Type, 1);
    EXPECT_EQ(fire->Attack, 10u);
    EXPECT_EQ(fire->TrailLength, 0.5f);
    EXPECT_EQ(fire->TrailRed, 1.0f);
    EXPECT_EQ(fire->TrailGreen, 0.4f);
    EXPECT_EQ(fire->TrailBlue, 0.2f);
    ASSERT_NE(fire->Mesh.Get(), nullptr);
    EXPECT_EQ(fire->Mesh->GetFaceCount(), 8u);

    const TRefPtr<TWepon> dark = TWeponTable::CreateInstance(1006);
    EXPECT_EQ(dark->TrailRed, 0.25f);
    EXPECT_EQ(dark->TrailBlue, 0.5f);
    EXPECT_EQ(TWeponTable::CreateInstance(1007)->TrailRed, 0.0f);  // element 7: no colour

    // A weapon whose mesh is missing fails as the mesh load fails, naming the file.
    try {
        TWeponTable::CreateInstance(1999);
        FAIL() << "expected my_error";
    } catch (const std::exception& e) {
        EXPECT_NE(std::string(e.what()).find("wepon/.msh"), std::string::npos) << e.what();
    }
}
