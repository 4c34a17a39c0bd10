#include <gtest/gtest.h>

#include "MainCode/Map/TMapData.h"
#include "support/fuzz.h"
#include "formats/map_writer.h"
#include "support/temp_dir.h"

namespace {

// Every truncation and random damage of a container with every kind: a map or my_error, never
// a crash, a hang or an allocation sized by the file.
TEST(MapDataRobustness, DamagedContainersLoadOrFailCleanly)
{
    qmtest::TempDir dir;
    TMapData::SetDirectory(dir.Path().string() + "/");
    qmtest::MapStream s = qmtest::SmallestMapStream(1);
    s.Fog(10, 100, 0xFF808080)
        .Sky(1, 2, 3, "sky")
        .EntryPoint({1, 0, 1}, {0, 0, 1}, {1, 2, -3})
        .CameraMode1()
        .CameraMode2()
        .CameraMode4(0, {}, "c")
        .CameraMode8()
        .KeyCamera()
        .CameraKey({0, 0, 0}, 1, 1, 5, 2, 0)
        .CameraKeyAt({5, 0, 5}, {5, 3, 0}, 0)
        .MeshPlacement({1, 2, 3}, {0, 0, 1}, {0, 1, 0}, {1, 1, 1}, 1, 2, 3, "v.msh", "c.msh")
        .EnemyBounds(1, 2)
        .Enemy(1, {}, {})
        .EnemySpawner(2, {}, {}, 3, 4)
        .Item(1, 2, 3, {})
        .PointObject(1, {})
        .ThreeVectorObject({}, {}, {}, "three")
        .PointValueObject({}, 1, "pv")
        .ValueObjectA(1, "a")
        .ValueObjectB(2, "b")
        .TriggerBox({}, {1, 1, 1}, {}, {}, {}, {}, 0, "x/y")
        .TriggerAction({}, 1, {}, {}, {}, 1, "x/z")
        .Villager("v")
        .MinimapName("m")
        .ObjectSetName("o")
        .SpareName("s")
        .TwoVectorObject({}, {}, "two")
        .Kind(31)
        .End();
    const std::vector<std::uint8_t> container =
        qmtest::MapContainer({{"other", qmtest::SmallestMapStream().End().Data()}, {"field", s.Data()}});

    qmtest::FuzzOptions options;
    options.mutations = 2000;
    testing::internal::CaptureStderr();  // cut streams each log a line
    qmtest::FuzzFile(container, dir.File("maps.dat"), [](const std::string&) {
        const TMapData data("maps.dat/field", nullptr, nullptr, nullptr);
        EXPECT_NE(data.GetCameraMode(), 0u);
    }, options);
    testing::internal::GetCapturedStderr();
    TMapData::SetDirectory("");
}

}  // namespace
