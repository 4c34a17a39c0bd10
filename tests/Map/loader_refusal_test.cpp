// A name a loader refuses is logged with the map that asked for it, beside the refused file's
// own message: a placement's mesh (drawn or solid) and a villager's model.
#include "MainCode/Map/TMapData.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "Map/map_object_fixture.h"
#include "TCommon/my_error.h"
#include "support/map_probe.h"

namespace maptest {
namespace {

class LoaderRefusal : public MapObjectTest {
protected:
    // The map "name/name" in its own container.
    static std::unique_ptr<TMapData> Map(const std::string& name, const qmtest::MapStream& stream)
    {
        qmtest::SaveBytes("data/scr04/" + name, qmtest::MapContainer({{name, stream.Data()}}));
        return std::make_unique<TMapData>(name + "/" + name, nullptr, nullptr, nullptr);
    }
    static qmtest::MapStream Area(const std::string& name)
    {
        qmtest::MapStream s;
        s.Area(0, "field00.msh", name, "", 10, 10, 10, 10).Projection(0.5F, 120.0F, 60.0F).FollowCamera(6, 3, 0);
        return s;
    }
    struct Outcome {
        std::string error;  // the refused file's own message; empty when nothing was thrown
        std::string log;
    };
    template <typename Run>
    static Outcome Build(Run run)
    {
        Outcome out;
        testing::internal::CaptureStderr();
        try {
            run();
        } catch (const my_error& e) {
            out.error = e.what();
        }
        out.log = testing::internal::GetCapturedStderr();
        return out;
    }
};

TEST_F(LoaderRefusal, APlacementsMeshNamesTheMap)
{
    Open("town");
    const struct {
        const char* map;
        const char* visual;
        const char* solid;
        bool drawn;  // built as drawn meshes, else as solid ones
        const char* asked;
    } cases[] = {
        {"stones", "rock\x01.msh", "non", true, "map stones/stones: a placement asks for the mesh \"rock\x01.msh\""},
        {"gravel", "", "non", true, "map gravel/gravel: a placement asks for the mesh \"\""},
        {"walls", "crate.msh", "wall.msh", false, "map walls/walls: a placement asks for the mesh \"wall.msh\""},
    };
    for (const auto& c : cases) {
        qmtest::MapStream s = Area(c.map);
        s.MeshPlacement({0, 0, 0}, {0, 0, 1}, {0, 1, 0}, {1, 1, 1}, 0, 0, 0, c.visual, c.solid).End();
        std::unique_ptr<TMapData> map = Map(c.map, s);
        const Outcome out = Build([&] {
            if (c.drawn) {
                map->CreateVisualMeshes(TMapProbe::MeshAreaManager(*area_));
            } else {
                map->CreateCollisionMeshes(area_->GetCollisionWorld());
            }
        });
        EXPECT_NE(out.error.find("data/msh04/visual04/"), std::string::npos) << c.map << ": " << out.error;
        EXPECT_NE(out.log.find(std::string(c.asked) + "\n"), std::string::npos) << out.log;
    }

    // A placement whose mesh is there says nothing of it.
    qmtest::MapStream s = Area("rocks");
    s.MeshPlacement({0, 0, 0}, {0, 0, 1}, {0, 1, 0}, {1, 1, 1}, 0, 0, 0, "crate.msh", "crate.msh").End();
    std::unique_ptr<TMapData> rocks = Map("rocks", s);
    const Outcome out = Build([&] {
        rocks->CreateVisualMeshes(TMapProbe::MeshAreaManager(*area_));
        rocks->CreateCollisionMeshes(area_->GetCollisionWorld());
    });
    EXPECT_EQ(out.error, "");
    EXPECT_EQ(out.log.find("asks for"), std::string::npos) << out.log;
}

TEST_F(LoaderRefusal, AVillagersModelNamesTheMapAndTheScript)
{
    Open("town");
    const auto info = [](const char* model) {
        return std::string("CALL @@SendMsg \"VillagerInfo\" 0 \"") + model +
               "\" 4 5 0 \"1.1\" \"0.8\" \"2.5\" \"-0.03\" 1 0 20 0 16 0 0 -1";
    };
    Scripts({{"ghost", {info("nobody")}}, {"elder", {info("hero01")}}});
    qmtest::MapStream s = Area("people");
    s.Villager("obj.pbsc/elder").Villager("obj.pbsc/ghost").End();
    std::unique_ptr<TMapData> town = Map("people", s);
    const Outcome out = Build([&] { town->CreateVillagers(area_); });
    EXPECT_NE(out.error.find("nobody.tob"), std::string::npos) << out.error;
    EXPECT_NE(out.log.find("map people/people: the villager of \"obj.pbsc/ghost\" asks for the model \"nobody\"\n"),
              std::string::npos)
        << out.log;
    // The one before it came and is not named.
    EXPECT_EQ(out.log.find("elder"), std::string::npos) << out.log;
}

}  // namespace
}  // namespace maptest
