#include "MainCode/Map/TMapData.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "TCommon/my_error.h"
#include "formats/byte_writer.h"
#include "formats/map_writer.h"
#include "support/temp_dir.h"
#include "support/map_probe.h"

namespace {

using qmtest::MapEntry;
using qmtest::MapStream;
using qmtest::MapVec;

void ExpectVec(const D3DXVECTOR3& actual, float x, float y, float z)
{
    EXPECT_FLOAT_EQ(actual.x, x);
    EXPECT_FLOAT_EQ(actual.y, y);
    EXPECT_FLOAT_EQ(actual.z, z);
}

// Values as one line of text: a whole record compared at once.
void Put(std::ostream& out, const D3DXVECTOR3& v) { out << '(' << v.x << ',' << v.y << ',' << v.z << ')'; }
template <typename T>
void Put(std::ostream& out, const T& value)
{
    out << value;
}
template <typename... T>
std::string Str(const T&... values)
{
    std::ostringstream out;
    const char* gap = "";
    ((out << gap, Put(out, values), gap = " "), ...);
    return out.str();
}

class MapDataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TMapData::SetDirectory(dir_.Path().string() + "/");
        TMapData::SetViewScale(1.0F);
    }

    void TearDown() override
    {
        TMapData::SetDirectory("");
        TMapData::SetViewScale(1.0F);
    }

    void Save(const std::string& file, const std::vector<MapEntry>& entries)
    {
        qmtest::SaveBytes(dir_.File(file), qmtest::MapContainer(entries));
    }

    // One container "maps.dat" holding the stream as entry "field".
    TMapData Load(const MapStream& stream)
    {
        Save("maps.dat", {{"field", stream.Data()}});
        return TMapData("maps.dat/field", nullptr, nullptr, nullptr);
    }

    // The text of the my_error that loading the map throws.
    std::string LoadError(const std::string& mapName)
    {
        try {
            TMapData data(mapName, nullptr, nullptr, nullptr);
        } catch (const my_error& e) {
            return e.what();
        }
        ADD_FAILURE() << mapName << " loaded";
        return "";
    }

    qmtest::TempDir dir_;
};

TEST_F(MapDataTest, EveryKindRoundTripsAndListsKeepFileOrder)
{
    MapStream s;
    s.Area(1, "dungeon03", "洞窟", "bgm07", 4.0F, 5.0F, 60.0F, 70.0F, 0xDEADBEEF)
        .Projection(0.5F, 900.0F, 50.0F)
        .Fog(30.0F, 300.0F, 0xFF102030)
        .Sky(0.25F, 0.5F, 2.0F, "ignored", 0x12345678)
        .EntryPoint({1, 2, 3}, {0, 0, -1}, {4, 5, 6})
        .FollowCamera(9.0F, 2.5F, 77, "ignored")
        .CameraKey({1, 0, 1}, 0.0F, 2.0F, 5.0F, 1.5F, 11)
        .CameraKeyAt({2, 0, 2}, {7, 8, 9}, 12)
        .MeshPlacement({0, 0, 0}, {0, 0, 1}, {0, 1, 0}, {1, 1, 1}, 2, 7, 5, "rock01.msh", "rock01c.msh")
        .EnemyBounds(-5.0F, 250.0F)
        .Enemy(101, {1, 0, 2}, {0, 0, 1})
        .Enemy(102, {3, 0, 4}, {1, 0, 0})
        .EnemySpawner(201, {1, 1, 1}, {2, 2, 2}, 3, 4)
        .Item(5, 6, 7, {8, 9, 10}, {11, 12, 13}, {14, 15, 16})
        .PointObject(3, {1, 2, 3})
        .ThreeVectorObject({1, 0, 0}, {0, 1, 0}, {0, 0, 1}, "box")
        .PointValueObject({4, 5, 6}, 9, "action")
        .ValueObjectA(10, "countA")
        .ValueObjectB(20, "defeatB")
        .TriggerBox({0, 0, 0}, {1, 1, 1}, {0, 0, 1}, {5, 0, 5}, {1, 0, 0}, {5, 3, 0}, 1, "04.map/next")
        .TriggerAction({2, 0, 2}, 1.5F, {6, 0, 6}, {0, 0, -1}, {6, 2, 9}, 0, "04.map/back")
        .Villager("04.pbsc/Villager00")
        .Villager("04.pbsc/Villager01")
        .MinimapName("mini03")
        .ObjectSetName("set03")
        .SpareName("spare")
        .TwoVectorObject({-1, -1, -1}, {1, 1, 1}, "zone")
        .Enemy(103, {5, 0, 6}, {0, 0, -1})
        .End();
    const TMapData d = Load(s);

    EXPECT_EQ(Str(d.GetMapKind(), d.GetAreaMeshName(), d.GetDisplayName(), d.GetMusicName(), d.GetCollisionCellWidth(),
                  d.GetCollisionCellDepth(), d.GetMeshCellWidth(), d.GetMeshCellDepth()),
              "1 dungeon03 洞窟 bgm07 4 5 60 70");
    EXPECT_EQ(Str(d.GetNear(), d.GetFar(), d.GetFieldOfView(), d.HasFog(), d.GetFogStart(), d.GetFogEnd(),
                  d.GetFogColour(), d.HasSky(), d.GetSkyValue1(), d.GetSkyValue2(), d.GetSkyValue3()),
              "0.5 900 50 1 30 300 4279246896 1 0.25 0.5 2");
    EXPECT_EQ(Str(d.HasEntryPoint(), d.GetEntryPosition(), d.GetEntryDirection(), d.GetEntryCameraPosition()),
              "1 (1,2,3) (0,0,-1) (4,5,6)");
    EXPECT_EQ(Str(d.GetCameraMode(), TMapProbe::FollowDistance(d), TMapProbe::FollowHeight(d), TMapProbe::FollowValue(d),
                  d.GetEnemyBound1(), d.GetEnemyBound2(), d.GetMinimapName(), TMapProbe::ObjectSetName(d), d.IsKeepMusic()),
              Str(TMapData::kCameraFollow, "9 2.5 77 -5 250 mini03 set03 0"));

    ASSERT_EQ(TMapProbe::CameraKeys(d).size(), 2u);
    const TCameraKey& k0 = TMapProbe::CameraKeys(d)[0];
    const TCameraKey& k1 = TMapProbe::CameraKeys(d)[1];
    EXPECT_EQ(Str(k0.kind, k0.value, k0.position, k0.distance, k0.height), "0 11 (1,0,1) 5 1.5");
    EXPECT_EQ(Str(k1.kind, k1.value, k1.position, k1.cameraPosition), "1 12 (2,0,2) (7,8,9)");

    ASSERT_EQ(TMapProbe::VisualPlacements(d).size(), 1u);
    ASSERT_EQ(TMapProbe::CollisionPlacements(d).size(), 1u);
    for (const TMeshPlacement* p : {&TMapProbe::VisualPlacements(d)[0], &TMapProbe::CollisionPlacements(d)[0]}) {
        EXPECT_EQ(Str(p->mirrorAxis, p->materialIndex, p->shaderKind), "2 7 5");
    }
    EXPECT_EQ(TMapProbe::VisualPlacements(d)[0].meshName, "rock01.msh");
    EXPECT_EQ(TMapProbe::CollisionPlacements(d)[0].meshName, "rock01c.msh");

    std::string all;
    for (const TMapEnemy& e : d.GetEnemies()) {
        all += Str(e.typeId, e.position, e.direction) + "; ";
    }
    EXPECT_EQ(all, "101 (1,0,2) (0,0,1); 102 (3,0,4) (1,0,0); 103 (5,0,6) (0,0,-1); ");
    ASSERT_EQ(d.GetEnemySpawners().size(), 1u);
    const TMapEnemySpawner& spawner = d.GetEnemySpawners()[0];
    EXPECT_EQ(Str(spawner.typeId, spawner.p, spawner.q, spawner.m, spawner.n), "201 (1,1,1) (2,2,2) 3 4");
    // The item keeps its first vector only; the record after it still reads.
    ASSERT_EQ(TMapProbe::Items(d).size(), 1u);
    const TMapItemRecord& item = TMapProbe::Items(d)[0];
    EXPECT_EQ(Str(item.value1, item.value2, item.value3, item.position), "5 6 7 (8,9,10)");

    ASSERT_EQ(TMapProbe::PointObjects(d).size(), 1u);
    ASSERT_EQ(TMapProbe::ThreeVectorObjects(d).size(), 1u);
    ASSERT_EQ(TMapProbe::PointValueObjects(d).size(), 1u);
    ASSERT_EQ(TMapProbe::ValueObjectsA(d).size(), 1u);
    ASSERT_EQ(TMapProbe::ValueObjectsB(d).size(), 1u);
    ASSERT_EQ(TMapProbe::TwoVectorObjects(d).size(), 1u);
    const TMapThreeVectorObject& three = TMapProbe::ThreeVectorObjects(d)[0];
    const TMapPointValueObject& pv = TMapProbe::PointValueObjects(d)[0];
    const TMapTwoVectorObject& two = TMapProbe::TwoVectorObjects(d)[0];
    EXPECT_EQ(Str(TMapProbe::PointObjects(d)[0].value, TMapProbe::PointObjects(d)[0].position, three.v1, three.v2, three.v3,
                  three.name, pv.position, pv.value, pv.name),
              "3 (1,2,3) (1,0,0) (0,1,0) (0,0,1) box (4,5,6) 9 action");
    EXPECT_EQ(Str(TMapProbe::ValueObjectsA(d)[0].value, TMapProbe::ValueObjectsA(d)[0].name, TMapProbe::ValueObjectsB(d)[0].value,
                  TMapProbe::ValueObjectsB(d)[0].name, two.v1, two.v2, two.name),
              "10 countA 20 defeatB (-1,-1,-1) (1,1,1) zone");

    ASSERT_EQ(TMapProbe::TriggerBoxes(d).size(), 1u);
    const TMapTriggerBoxRecord& box = TMapProbe::TriggerBoxes(d)[0];
    EXPECT_EQ(Str(box.boxMinimum, box.boxMaximum, box.facing, box.startPosition, box.startDirection,
                  box.startCameraPosition, box.fadeMode, box.destination),
              "(0,0,0) (1,1,1) (0,0,1) (5,0,5) (1,0,0) (5,3,0) 1 04.map/next");
    ASSERT_EQ(TMapProbe::TriggerActions(d).size(), 1u);
    const TMapTriggerActionRecord& action = TMapProbe::TriggerActions(d)[0];
    EXPECT_EQ(Str(action.point, action.radius, action.startPosition, action.startDirection,
                  action.startCameraPosition, action.fadeMode, action.destination),
              "(2,0,2) 1.5 (6,0,6) (0,0,-1) (6,2,9) 0 04.map/back");
    EXPECT_EQ(TMapProbe::VillagerNames(d), (std::vector<std::string>{"04.pbsc/Villager00", "04.pbsc/Villager01"}));
}

TEST_F(MapDataTest, SingleKindsKeepTheLastRecordAndDefaultsStandWithoutThem)
{
    MapStream s = qmtest::SmallestMapStream();
    s.MinimapName("first").MinimapName("second").Projection(2.0F, 500.0F, 60.0F).End();
    const TMapData d = Load(s);
    EXPECT_EQ(Str(d.GetMinimapName(), d.GetNear(), d.GetFar(), d.GetFieldOfView()), "second 2 500 60");

    EXPECT_EQ(Str(TMapProbe::ObjectSetName(d), d.GetEnemyBound1(), d.HasFog(), d.GetFogStart(), d.GetFogColour(), d.HasSky(),
                  d.GetSkyValue3(), d.HasEntryPoint(), d.GetEntryPosition(), d.HasStart()),
              "non 0 0 0 0 0 0 0 (0,0,0) 0");
    EXPECT_EQ(d.GetEnemyBound2(), 3.4028235e38F);
    EXPECT_TRUE(TMapProbe::CameraKeys(d).empty() && TMapProbe::VisualPlacements(d).empty() && TMapProbe::VillagerNames(d).empty());
}

TEST_F(MapDataTest, KindFieldCountsOnlyItsLowHalf)
{
    MapStream s;
    s.Area(0, "m", "", "", 1, 1, 1, 1)
        .NextKindWord(0x00010001)
        .Projection(1.0F, 123.0F, 40.0F)
        .FollowCamera(5, 1, 0)
        .Kind(30)      // first kind without payload
        .Kind(0xFFFE)  // last one
        .NextKindWord(0xABCD001D)
        .TwoVectorObject({1, 2, 3}, {4, 5, 6}, "last kind")
        .End(0x0001FFFF)
        .MinimapName("after the end");
    const TMapData d = Load(s);
    EXPECT_FLOAT_EQ(d.GetFar(), 123.0F);
    ASSERT_EQ(TMapProbe::TwoVectorObjects(d).size(), 1u);
    EXPECT_EQ(TMapProbe::TwoVectorObjects(d)[0].name, "last kind");
    EXPECT_EQ(d.GetMinimapName(), "");
}

TEST_F(MapDataTest, StartVectorsComeBackOnlyWhenAllThreeAreGiven)
{
    Save("maps.dat", {{"field", qmtest::SmallestMapStream().End().Data()}});
    const float p[3] = {1, 2, 3};
    const float f[3] = {0, 0, 1};
    const float c[3] = {4, 5, 6};
    const TMapData with("maps.dat/field", p, f, c);
    EXPECT_TRUE(with.HasStart());
    ExpectVec(with.GetStartPosition(), 1, 2, 3);
    ExpectVec(with.GetStartDirection(), 0, 0, 1);
    ExpectVec(with.GetStartCameraPosition(), 4, 5, 6);
    EXPECT_FALSE(TMapData("maps.dat/field", nullptr, f, c).HasStart());
    EXPECT_FALSE(TMapData("maps.dat/field", p, nullptr, c).HasStart());
    EXPECT_FALSE(TMapData("maps.dat/field", p, f, nullptr).HasStart());
}

TEST(MapDataName, SplitsAtTheFirstSlash)
{
    struct Case {
        const char* name;
        bool fileOk;
        const char* file;
        bool entryOk;
        const char* entry;
    };
    const Case cases[] = {
        {"abc", false, "", false, ""},         {"/a", false, "", false, ""},
        {"a/", true, "a", false, ""},          {"a/b/c", true, "a", true, "b/c"},
        {"", false, "", false, ""},            {"/", false, "", false, ""},
        {"04.map/x", true, "04.map", true, "x"},
    };
    for (const Case& c : cases) {
        std::string file = "stale";
        std::string entry = "stale";
        EXPECT_EQ(TMapData::GetFilePart(c.name, file), c.fileOk) << c.name;
        EXPECT_EQ(file, c.file) << c.name;
        EXPECT_EQ(TMapData::GetEntryPart(c.name, entry), c.entryOk) << c.name;
        EXPECT_EQ(entry, c.entry) << c.name;
    }
}

TEST_F(MapDataTest, EntryIsFoundByExactNameAndTheFirstOfTwoWins)
{
    const std::vector<std::uint8_t> town = qmtest::SmallestMapStream(0).MinimapName("town").End().Data();
    const std::vector<std::uint8_t> first = qmtest::SmallestMapStream(1).MinimapName("first").End().Data();
    const std::vector<std::uint8_t> second = qmtest::SmallestMapStream(1).MinimapName("second").End().Data();
    Save("a", {{"b", town}, {"b/", town}, {"b/c", first}, {"b/c", second}, {"b/cd", town}});
    const TMapData d("a/b/c", nullptr, nullptr, nullptr);
    EXPECT_EQ(d.GetMinimapName(), "first");
    EXPECT_EQ(d.GetMapKind(), 1u);
}

TEST_F(MapDataTest, ViewScaleShrinksFarFogAndMeshCellsOnly)
{
    MapStream s;
    s.Area(0, "m", "", "", 8.0F, 6.0F, 40.0F, 30.0F)
        .Projection(1.0F, 1000.0F, 45.0F)
        .Fog(100.0F, 200.0F, 0)
        .FollowCamera(5.0F, 2.0F, 0)
        .End();

    TMapData::SetViewScale(0.5F);
    const TMapData half = Load(s);
    EXPECT_FLOAT_EQ(half.GetFar(), 750.0F);
    EXPECT_FLOAT_EQ(half.GetNear(), 1.0F);
    EXPECT_FLOAT_EQ(half.GetFieldOfView(), 45.0F);

    TMapData::SetViewScale(0.0F);
    const TMapData none = Load(s);
    EXPECT_FLOAT_EQ(none.GetFogStart(), 50.0F);
    EXPECT_FLOAT_EQ(none.GetFogEnd(), 100.0F);
    EXPECT_FLOAT_EQ(none.GetMeshCellWidth(), 20.0F);
    EXPECT_FLOAT_EQ(none.GetMeshCellDepth(), 15.0F);
    EXPECT_FLOAT_EQ(none.GetCollisionCellWidth(), 8.0F);
    EXPECT_FLOAT_EQ(none.GetCollisionCellDepth(), 6.0F);
    EXPECT_FLOAT_EQ(none.GetFar(), 500.0F);
    EXPECT_FLOAT_EQ(TMapProbe::FollowDistance(none), 5.0F);

    // The factor is worked out in double from the float setting.
    TMapData::SetViewScale(0.3F);
    const double factor = 1.0 - (1.0 - static_cast<double>(0.3F)) * 0.5;
    EXPECT_EQ(TMapData::GetDistanceScale(), factor);
    EXPECT_EQ(Load(s).GetFar(), static_cast<float>(1000.0F * factor));
}

TEST_F(MapDataTest, EachCameraRecordSetsItsModeAndTheLastOneCounts)
{
    const std::uint32_t expected[] = {1, 2, 4, 8, 16, 32};
    for (std::uint32_t kind = 5; kind <= 10; ++kind) {
        MapStream s;
        s.Area(0, "m", "", "", 1, 1, 1, 1).Projection(1, 100, 45);
        switch (kind) {
        case 5: s.CameraMode1({1, 2, 3}); break;
        case 6: s.CameraMode2(9, {1, 2, 3}, {4, 5, 6}); break;
        case 7: s.CameraMode4(9, {1, 2, 3}, "unused"); break;
        case 8: s.CameraMode8(9, {1, 2, 3}); break;
        case 9: s.FollowCamera(3, 4, 5, "unused"); break;
        default: s.KeyCamera(9); break;
        }
        // A record after the camera proves its payload was read whole.
        s.MinimapName("after").End();
        const TMapData d = Load(s);
        EXPECT_EQ(d.GetCameraMode(), expected[kind - 5]) << "kind " << kind;
        EXPECT_EQ(d.GetMinimapName(), "after") << "kind " << kind;
    }

    MapStream late = qmtest::SmallestMapStream();
    late.CameraMode1().End();
    EXPECT_EQ(Load(late).GetCameraMode(), TMapData::kCameraMode1);
}

TEST_F(MapDataTest, CameraKeysCarryDirectionAndOffset)
{
    MapStream s = qmtest::SmallestMapStream();
    s.KeyCamera()
        .CameraKey({10, 0, 20}, 3.0F, 4.0F, 10.0F, 2.0F, 1)
        .CameraKeyAt({0, 0, 0}, {1, 2, 3}, 2)
        .CameraKey({0, 0, 0}, 0.0F, 0.0F, 5.0F, 1.0F, 3)
        .End();
    const TMapData d = Load(s);
    EXPECT_EQ(d.GetCameraMode(), TMapData::kCameraKeys);
    ASSERT_EQ(TMapProbe::CameraKeys(d).size(), 3u);
    const TCameraKey& k = TMapProbe::CameraKeys(d)[0];
    EXPECT_EQ(k.kind, 0u);
    ExpectVec(k.position, 10, 0, 20);
    EXPECT_FLOAT_EQ(k.directionX, 3.0F);
    EXPECT_FLOAT_EQ(k.directionZ, 4.0F);
    ExpectVec(k.direction, 0.6F, 0.0F, 0.8F);
    ExpectVec(k.offset, 6.0F, 2.0F, 8.0F);
    EXPECT_EQ(TMapProbe::CameraKeys(d)[1].kind, 1u);
    ExpectVec(TMapProbe::CameraKeys(d)[1].cameraPosition, 1, 2, 3);
    // No direction: the key sits straight above, not at NaN.
    ExpectVec(TMapProbe::CameraKeys(d)[2].direction, 0, 0, 0);
    ExpectVec(TMapProbe::CameraKeys(d)[2].offset, 0, 1, 0);
}

TEST_F(MapDataTest, MeshPlacementBuildsRotateScaleMoveAndSkipsCollisionForNon)
{
    MapStream s = qmtest::SmallestMapStream();
    // Forward +X, up tilted toward forward: the up row stays tilted.
    s.MeshPlacement({10, 20, 30}, {2, 0, 0}, {1, 1, 0}, {2, 3, 4}, 0, 0, 0, "a.msh", "non")
        .MeshPlacement({0, 0, 0}, {0, 0, 1}, {0, 1, 0}, {1, 1, 1}, 1, 2, 3, "b.msh", "")
        .MeshPlacement({1, 1, 1}, {0, 1, 0}, {0, 5, 0}, {1, 1, 1}, 0, 0, 0, "parallel.msh", "non")
        .MeshPlacement({1, 1, 1}, {0, 0, 0}, {0, 0, 0}, {1, 1, 1}, 0, 0, 0, "zero.msh", "non")
        .MeshPlacement({0, 0, 0}, {0, 0, 1}, {0, 1, 0}, {1, 1, 1}, 0, 0, 0, "c.msh", "none")
        .End();
    const TMapData d = Load(s);
    ASSERT_EQ(TMapProbe::VisualPlacements(d).size(), 5u);
    ASSERT_EQ(TMapProbe::CollisionPlacements(d).size(), 2u);
    EXPECT_EQ(TMapProbe::CollisionPlacements(d)[0].meshName, "");
    EXPECT_EQ(TMapProbe::CollisionPlacements(d)[1].meshName, "none");
    EXPECT_EQ(TMapProbe::VisualPlacements(d)[1].meshName, "b.msh");
    EXPECT_EQ(TMapProbe::CollisionPlacements(d)[0].world, TMapProbe::VisualPlacements(d)[1].world);
    EXPECT_EQ(TMapProbe::CollisionPlacements(d)[0].shaderKind, 3u);

    // f = (1,0,0), u = (h,h,0), r = normalize(u x f) = (0,0,-1); rows scaled per column, then moved.
    const float h = std::sqrt(0.5F);
    const D3DXMATRIX expected(0, 0, -4, 0, 2 * h, 3 * h, 0, 0, 2, 0, 0, 0, 10, 20, 30, 1);
    const D3DXMATRIX& m = TMapProbe::VisualPlacements(d)[0].world;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_NEAR(m(r, c), expected(r, c), 1e-5F) << r << "," << c;
        }
    }
    EXPECT_EQ(TMapProbe::VisualPlacements(d)[0].meshName, "a.msh");

    for (std::size_t i = 2; i < 4; ++i) {
        const D3DXMATRIX& w = TMapProbe::VisualPlacements(d)[i].world;
        for (int r = 0; r < 4; ++r) {
            for (int c = 0; c < 4; ++c) {
                EXPECT_FALSE(std::isnan(w(r, c))) << TMapProbe::VisualPlacements(d)[i].meshName;
            }
        }
        EXPECT_EQ(w(0, 0), 0.0F);
        EXPECT_EQ(w(3, 0), 1.0F);
    }
}

// Faults of the file, each ending in a clear error or a map that still works.
TEST_F(MapDataTest, MissingMapsAndEntriesAreReportedByName)
{
    Save("maps.dat", {{"field", qmtest::SmallestMapStream().End().Data()}});
    for (const char* name : {"nofile.dat/field", "maps.dat/nothere", "maps.dat/fiel", "maps.dat/field2",
                             "maps.dat", "/field", "maps.dat/"}) {
        const std::string error = LoadError(name);
        EXPECT_NE(error.find("map not found"), std::string::npos) << name << ": " << error;
    }
    const std::string error = LoadError("maps.dat/nothere");
    EXPECT_NE(error.find("maps.dat"), std::string::npos) << error;
    EXPECT_NE(error.find("nothere"), std::string::npos) << error;

    // A directory cut inside an entry name finds nothing.
    std::vector<std::uint8_t> cut = qmtest::MapContainer({{"a", {}}, {"field", {}}});
    cut.resize(4 + 4 + 2 + 4 + 4 + 3);
    qmtest::SaveBytes(dir_.File("cut.dat"), cut);
    EXPECT_NE(LoadError("cut.dat/field").find("map not found"), std::string::npos);
}

TEST_F(MapDataTest, SetsWithoutAreaProjectionOrCameraAreRefused)
{
    MapStream noArea;
    noArea.Projection(1, 100, 45).FollowCamera(1, 1, 0).End();
    MapStream noProjection;
    noProjection.Area(0, "m", "", "", 1, 1, 1, 1).FollowCamera(1, 1, 0).End();
    MapStream noCamera;
    noCamera.Area(0, "m", "", "", 1, 1, 1, 1).Projection(1, 100, 45).CameraKey({0, 0, 0}, 1, 0, 1, 1, 0).End();
    for (const MapStream* s : {&noArea, &noProjection, &noCamera}) {
        Save("maps.dat", {{"field", s->Data()}});
        const std::string error = LoadError("maps.dat/field");
        EXPECT_NE(error.find("maps.dat/field"), std::string::npos) << error;
        EXPECT_EQ(error.find("map not found"), std::string::npos) << error;
    }

    // An entry pointing past the end of the file reads no record.
    std::vector<std::uint8_t> far = qmtest::MapContainer({{"field", {}}});
    far[4 + 4 + 6] = 0xF0;
    qmtest::SaveBytes(dir_.File("far.dat"), far);
    EXPECT_NE(LoadError("far.dat/field").find("far.dat/field"), std::string::npos);
    far[4 + 4 + 6 + 3] = 0x80;  // beyond what a seek can reach
    qmtest::SaveBytes(dir_.File("far.dat"), far);
    EXPECT_NE(LoadError("far.dat/field").find("far.dat/field"), std::string::npos);

    // A camera the build cannot use still loads.
    MapStream mode1;
    mode1.Area(0, "m", "", "", 1, 1, 1, 1).Projection(1, 100, 45).CameraMode1().End();
    EXPECT_EQ(Load(mode1).GetCameraMode(), TMapData::kCameraMode1);
}

TEST_F(MapDataTest, StreamCutShortKeepsWholeRecordsAndSaysSo)
{
    MapStream s = qmtest::SmallestMapStream();
    s.Villager("whole").MinimapName("kept");
    const std::size_t whole = s.Data().size();
    s.Villager("cut off").MinimapName("lost").Enemy(7, {1, 2, 3}, {4, 5, 6});

    // Cut anywhere in the last three records: what came before stays, nothing half-read is kept.
    const std::vector<std::uint8_t> full = s.Data();
    for (std::size_t size = whole; size < full.size(); ++size) {
        const std::vector<std::uint8_t> stream(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(size));
        Save("maps.dat", {{"field", stream}});
        testing::internal::CaptureStderr();
        const TMapData d("maps.dat/field", nullptr, nullptr, nullptr);
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_NE(log.find("maps.dat/field"), std::string::npos) << size << ": " << log;
        // "cut off" is a 16-byte record, "lost" a 13-byte one.
        const bool secondVillager = size >= whole + 16;
        const bool secondMinimap = size >= whole + 16 + 13;
        ASSERT_EQ(TMapProbe::VillagerNames(d).size(), secondVillager ? 2u : 1u) << size;
        EXPECT_EQ(TMapProbe::VillagerNames(d)[0], "whole");
        EXPECT_EQ(d.GetMinimapName(), secondMinimap ? "lost" : "kept") << size;
        EXPECT_TRUE(d.GetEnemies().empty()) << size;
    }

    // Ended properly: nothing is said.
    testing::internal::CaptureStderr();
    Load(qmtest::SmallestMapStream().End());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

}  // namespace
