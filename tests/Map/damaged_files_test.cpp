// Damaged copies of the files the map loaders read: every truncation and seeded random byte
// changes of a valid file end in what loaded or in the loader's own my_error, never in a crash, a
// hang or an allocation sized by the file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MainCode/Map/TAttackTable.h"
#include "MainCode/Map/TMapData.h"
#include "formats/bht_writer.h"
#include "formats/byte_writer.h"
#include "formats/map_writer.h"
#include "platform/testing/win32.h"
#include "support/fuzz.h"
#include "support/map_probe.h"
#include "support/temp_dir.h"

namespace {

// A container whose map holds every kind of record, after a second map.
std::vector<std::uint8_t> MapWithEveryKind()
{
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
    return qmtest::MapContainer({{"other", qmtest::SmallestMapStream().End().Data()}, {"field", s.Data()}});
}

// A scrambled attack table of two records and two columns.
std::vector<std::uint8_t> TwoAttacks()
{
    qmtest::BhtFile file;
    file.scrambled = true;
    file.columns = {{"ID", 1}, {"DAMAGE", 2}};
    for (std::uint32_t id : {1U, 2U}) {
        TAttackRecord r;
        r.Id = id;
        r.Lifetime = id + 3;
        r.DamageFactor = id + 1.5F;
        file.records.push_back(r);
    }
    return file.Build();
}

struct Loader {
    const char* name;
    const char* file;
    std::vector<std::uint8_t> (*valid)();
    void (*load)();
    int mutations;
};

const Loader kLoaders[] = {
    {"MapContainer", "maps.dat", MapWithEveryKind,
     [] {
         const TMapData data("maps.dat/field", nullptr, nullptr, nullptr);
         EXPECT_NE(data.GetCameraMode(), 0u);
     },
     2000},
    {"AttackTable", "basic.bht", TwoAttacks,
     [] {
         TAttackTable::Load("basic.bht");
         EXPECT_LE(TMapProbe::AttackCount(), 2u);
     },
     1500},
};

class DamagedFiles : public ::testing::TestWithParam<Loader> {
protected:
    void SetUp() override
    {
        TMapData::SetDirectory(dir_.Path().string() + "/");
        TAttackTable::SetDirectory(dir_.Path().string() + "/");
    }
    void TearDown() override
    {
        TMapData::SetDirectory("");
        TAttackTable::Clear();
        TAttackTable::SetDirectory("");
    }
    qmtest::TempDir dir_;
};

TEST_P(DamagedFiles, LoadOrFailCleanly)
{
    const Loader& loader = GetParam();
    qmtest::FuzzOptions options;
    options.mutations = loader.mutations;
    testing::internal::CaptureStderr();  // cut files each log a line
    qmtest::FuzzFile(loader.valid(), dir_.File(loader.file), [&](const std::string&) { loader.load(); }, options);
    testing::internal::GetCapturedStderr();
}

// The good file is read with one call of the system each time it is opened, whatever its records.
TEST_P(DamagedFiles, ReadWithOneCallEachOpen)
{
    const Loader& loader = GetParam();
    qmtest::SaveBytes(dir_.File(loader.file), loader.valid());
    const platform::FileCallCounts before = platform::FileCalls();
    loader.load();
    const platform::FileCallCounts after = platform::FileCalls();
    EXPECT_GE(after.opens - before.opens, 1);
    EXPECT_EQ(after.reads - before.reads, after.opens - before.opens);
}

INSTANTIATE_TEST_SUITE_P(MapLoaders, DamagedFiles, ::testing::ValuesIn(kLoaders),
                         [](const ::testing::TestParamInfo<Loader>& info) { return std::string(info.param.name); });

}  // namespace
