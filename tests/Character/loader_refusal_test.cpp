// A name a loader refuses is logged with the file that asked for it: a map's placement and
// villager, a mesh's material.
#include "MainCode/Map/TMapData.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "Map/map_object_fixture.h"
#include "TCommon/my_error.h"
#include "formats/mesh_writer.h"

namespace maptest {
namespace {

class LoaderRefusal : public MapObjectTest {};

TEST_F(LoaderRefusal, TheAskingFileIsNamedBesideTheRefusal)
{
    Open("town");
    Scripts({{"ghost", {"CALL @@SendMsg \"VillagerInfo\" 0 \"nobody\" 4 5 0 \"1.1\" \"0.8\" \"2.5\" \"-0.03\" 1 0 20 0 16 "
                        "0 0 -1"}}});
    // A mesh that is there, whose material names a texture that is not.
    qmtest::MeshFile bare;
    bare.materials.push_back(qmtest::MeshMaterial("skin", 1, 1, 1, 1, 0));
    bare.materials.back().texture = "nopkg.ptx/none";
    bare.keyFrames.push_back({{0, 0, 0, 0xFFFFFFFF, 0, 0}, {0, 1, 0, 0xFFFFFFFF, 0, 1}, {1, 0, 0, 0xFFFFFFFF, 1, 0}});
    bare.indices = {0, 1, 2};
    bare.faceMaterials = {0};
    bare.Save("data/msh04/visual04/bare.msh");

    const auto load = [&](const std::string& name, const qmtest::MapStream& s) {
        qmtest::SaveBytes("data/scr04/" + name, qmtest::MapContainer({{name, s.Data()}}));
        return std::make_unique<TMapData>(name + "/" + name, nullptr, nullptr, nullptr);
    };
    const auto logOf = [](const auto& run) {
        testing::internal::CaptureStderr();
        bool thrown = false;
        try {
            run();
        } catch (const my_error&) {
            thrown = true;
        }
        const std::string log = testing::internal::GetCapturedStderr();
        return std::make_pair(thrown, log);
    };
    qmtest::MapStream placed;
    placed.Area(0, "field00.msh", "rocks", "", 10, 10, 10, 10).Projection(0.5F, 120.0F, 60.0F).FollowCamera(6, 3, 0);
    placed.MeshPlacement({0, 0, 0}, {0, 0, 1}, {0, 1, 0}, {1, 1, 1}, 0, 0, 0, "bare.msh", "non").End();
    qmtest::MapStream damaged;
    damaged.Area(0, "field00.msh", "stones", "", 10, 10, 10, 10).Projection(0.5F, 120.0F, 60.0F).FollowCamera(6, 3, 0);
    damaged.MeshPlacement({0, 0, 0}, {0, 0, 1}, {0, 1, 0}, {1, 1, 1}, 0, 0, 0, "rock\x01.msh", "non").End();
    std::unique_ptr<TMapData> stones = load("stones", damaged);
    auto [damagedThrown, damagedLog] = logOf([&] { stones->CreateVisualMeshes(area_->GetMeshAreaManager()); });
    EXPECT_TRUE(damagedThrown);
    EXPECT_NE(damagedLog.find("map stones/stones: a placement asks for the mesh \"rock\x01.msh\""), std::string::npos)
        << damagedLog;
    std::unique_ptr<TMapData> rocks = load("rocks", placed);
    auto [placementThrown, placementLog] = logOf([&] { rocks->CreateVisualMeshes(area_->GetMeshAreaManager()); });
    EXPECT_TRUE(placementThrown);
    EXPECT_NE(placementLog.find("bare.msh: the material \"skin\" asks for the texture \"nopkg.ptx/none\", which "
                                "cannot be read"),
              std::string::npos)
        << placementLog;

    qmtest::MapStream people;
    people.Area(0, "field00.msh", "people", "", 10, 10, 10, 10).Projection(0.5F, 120.0F, 60.0F).FollowCamera(6, 3, 0);
    people.Villager("obj.pbsc/ghost").End();
    std::unique_ptr<TMapData> town = load("people", people);
    auto [villagerThrown, villagerLog] = logOf([&] { town->CreateVillagers(area_); });
    EXPECT_TRUE(villagerThrown);
    EXPECT_NE(villagerLog.find("map people/people: the villager of \"obj.pbsc/ghost\" asks for the model \"nobody\""),
              std::string::npos)
        << villagerLog;
}

}  // namespace
}  // namespace maptest
