// The visible map cells around a point, the placed meshes filed by cell and faded near it, and the
// whole on screen from a fixed camera.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "MainCode/Map/TMeshAreaManager.h"
#include "MainCode/Character/TimeStop.h"
#include "TCommon/my_error.h"
#include "map_fixtures.h"
#include "support/alloc_probe.h"
#include "support/dx_probe.h"
#include "support/golden.h"
#include "support/map_probe.h"

namespace {

using maptest::Box;
using maptest::Terrain;

constexpr float kCell = 10.0F;
constexpr int kCells = 5;  // the terrain spans 0..50 on x and z

class MeshAreaManagerTest : public maptest::MapDeviceFixture {
protected:
    void SetUp() override
    {
        MapDeviceFixture::SetUp();
        StartDepthDevice(true);
        scene_ = NewFrame("Scene");
        manager_.Build(LoadMesh(Terrain(kCells, kCell), "terrain.msh"), kCell, kCell, scene_.Get(), "TMeshAreaManager");
    }
    void UpdateAt(float x, float z)
    {
        const float pos[3] = {x, 1.0F, z};
        manager_.Update(pos, nullptr);
    }
    // The cell a shown terrain mesh covers, from its bounding centre.
    std::pair<int, int> CellOfShown(std::size_t i)
    {
        float sphere[5];
        TMapProbe::Root(manager_)->GetMesh(i)->GetBoundingSphere(sphere, nullptr);
        return {static_cast<int>(sphere[0] / kCell), static_cast<int>(sphere[2] / kCell)};
    }
    // The first material type of each placed mesh shown after an update at (x, z).
    std::vector<std::uint16_t> ShownAt(float x, float z)
    {
        UpdateAt(x, z);
        std::vector<std::uint16_t> types;
        for (std::size_t i = 0; i < TMapProbe::SubRoot(manager_)->GetMeshCount(); ++i) {
            types.push_back(TMapProbe::SubRoot(manager_)->GetMesh(i)->GetMaterial(0).GetMaterialType());
        }
        return types;
    }
    TMesh8 PlacedBox(float x, float z, std::uint16_t type)
    {
        TMesh8 mesh = LoadMesh(Box(x, 0.5F, z, 0.5F, 0.8F, 0.3F, 0.2F), "box.msh");
        mesh.SetMaterialType(type, TMesh8::kAllMaterials);
        return mesh;
    }

    TRefPtr<TFrame> scene_{nullptr};
    TMeshAreaManager manager_;
};

TEST_F(MeshAreaManagerTest, BuildsNamedFramesAndShowsNothingBeforeTheFirstUpdate)
{
    ASSERT_EQ(scene_->GetChildCount(), 2u);
    EXPECT_EQ(scene_->GetChild(0)->GetName(), "TMeshAreaManagerRoot");
    EXPECT_EQ(scene_->GetChild(1)->GetName(), "TMeshAreaManagerSubRoot");
    EXPECT_EQ(TMapProbe::Root(manager_)->GetMeshCount(), 0u);

    // Every cell draws its own vertex colours through a shader object of its own.
    UpdateAt(25.0F, 25.0F);
    ASSERT_EQ(TMapProbe::Root(manager_)->GetMeshCount(), 9u);
    TVertexShader* first = TDxProbe::VertexShader(*TMapProbe::Root(manager_)->GetMesh(0));
    EXPECT_NE(dynamic_cast<TVertexColorShader*>(first), nullptr);
    EXPECT_NE(TDxProbe::VertexShader(*TMapProbe::Root(manager_)->GetMesh(1)), first);

    manager_.Detach();
    EXPECT_EQ(scene_->GetChildCount(), 0u);
}

TEST_F(MeshAreaManagerTest, ShowsTheBlockAroundThePointInRowOrderAndOnlyCellsInsideTheGrid)
{
    UpdateAt(25.0F, 25.0F);  // cell (2, 2)
    ASSERT_EQ(TMapProbe::Root(manager_)->GetMeshCount(), 9u);
    const std::pair<int, int> order[9] = {{1, 1}, {2, 1}, {3, 1}, {1, 2}, {2, 2}, {3, 2}, {1, 3}, {2, 3}, {3, 3}};
    for (std::size_t i = 0; i < 9; ++i) {
        EXPECT_EQ(CellOfShown(i), order[i]) << i;
    }

    struct Case {
        float x, z;
        std::size_t shown;
    };
    const Case cases[] = {
        {0.5F, 0.5F, 4},     // the first corner
        {49.5F, 49.5F, 4},   // the last corner
        {49.5F, 25.0F, 6},   // the last column
        {55.0F, 25.0F, 3},   // one cell beyond the last column
        {65.0F, 25.0F, 0},   // two cells beyond
        {25.0F, 65.0F, 0},   // two rows beyond
        {-12.0F, 25.0F, 3},  // trunc(-1.2) = -1: column 0 still neighbours it
        {-25.0F, 25.0F, 0},
        {25.0F, -25.0F, 0},
    };
    for (const Case& c : cases) {
        UpdateAt(c.x, c.z);
        EXPECT_EQ(TMapProbe::Root(manager_)->GetMeshCount(), c.shown) << c.x << ", " << c.z;
    }
    UpdateAt(-10.5F, 0.5F);  // column -1, row 0: column 0 of rows 0 and 1
    ASSERT_EQ(TMapProbe::Root(manager_)->GetMeshCount(), 2u);
    EXPECT_EQ(CellOfShown(0), std::make_pair(0, 0));
    EXPECT_EQ(CellOfShown(1), std::make_pair(0, 1));
}

TEST_F(MeshAreaManagerTest, TerrainIsRebuiltOnlyWhenThePointEntersAnotherCell)
{
    UpdateAt(21.0F, 21.0F);
    ASSERT_EQ(TMapProbe::Root(manager_)->GetMeshCount(), 9u);
    TMapProbe::Root(manager_)->AddMesh(*TMapProbe::Root(manager_)->GetMesh(0));  // a marker a rebuild would drop
    UpdateAt(29.9F, 29.9F);
    EXPECT_EQ(TMapProbe::Root(manager_)->GetMeshCount(), 10u);
    UpdateAt(30.0F, 29.9F);
    EXPECT_EQ(TMapProbe::Root(manager_)->GetMeshCount(), 9u);
    EXPECT_EQ(CellOfShown(0), std::make_pair(2, 1));  // the block around cell (3, 2)
}

TEST_F(MeshAreaManagerTest, NanAndHugePositionsShowNothingAndNeverOverflow)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float values[] = {nan, 1.0e30F, -1.0e30F, std::numeric_limits<float>::infinity(), 3.0e9F};
    for (float v : values) {
        UpdateAt(v, 25.0F);
        EXPECT_EQ(TMapProbe::Root(manager_)->GetMeshCount(), 0u) << v;
        UpdateAt(25.0F, v);
        EXPECT_EQ(TMapProbe::Root(manager_)->GetMeshCount(), 0u) << v;
    }
    manager_.AddObjectMesh(PlacedBox(25.0F, 25.0F, TMeshMaterial::kOpaque));
    UpdateAt(nan, nan);
    EXPECT_EQ(TMapProbe::SubRoot(manager_)->GetMeshCount(), 0u);
}

TEST_F(MeshAreaManagerTest, PlacedMeshesFadeByDistanceUnlessTheirFirstMaterialIsExempt)
{
    manager_.AddObjectMesh(PlacedBox(25.0F, 25.0F, TMeshMaterial::kOpaque));
    struct Case {
        float distance;
        bool shown;
        float alpha;
        std::uint16_t type;
    };
    const Case cases[] = {
        {2.9F, false, 0, 0},
        {3.0F, true, 0.0F, TMeshMaterial::kZwnAlpha},
        {5.0F, true, 0.4F, TMeshMaterial::kZwnAlpha},
        {7.9F, true, 0.98F, TMeshMaterial::kZwnAlpha},
        {8.0F, true, 1.0F, TMeshMaterial::kAlpha},
        {14.0F, true, 1.0F, TMeshMaterial::kAlpha},
    };
    for (const Case& c : cases) {
        UpdateAt(25.0F + c.distance, 25.0F);
        ASSERT_EQ(TMapProbe::SubRoot(manager_)->GetMeshCount(), c.shown ? 1u : 0u) << c.distance;
        if (c.shown) {
            const TMeshMaterial& m = TMapProbe::SubRoot(manager_)->GetMesh(0)->GetMaterial(0);
            EXPECT_NEAR(m.GetMaterial().Emissive.a, c.alpha, 1e-4F) << c.distance;
            EXPECT_EQ(m.GetMaterialType(), c.type) << c.distance;
        }
    }
    // The distance counts x and z only (the point stands at height 1, the box at 0.5).
    const float step = 5.0F / std::sqrt(2.0F);
    UpdateAt(25.0F - step, 25.0F + step);
    ASSERT_EQ(TMapProbe::SubRoot(manager_)->GetMeshCount(), 1u);
    EXPECT_NEAR(TMapProbe::SubRoot(manager_)->GetMesh(0)->GetMaterial(0).GetMaterial().Emissive.a, 0.4F, 1e-4F);
}

TEST_F(MeshAreaManagerTest, ASteadyPointShowsTheSameMeshesWithoutAllocatingAndAHiddenOneDropsOut)
{
    manager_.AddObjectMesh(PlacedBox(25.0F, 25.0F, TMeshMaterial::kOpaque));
    manager_.AddObjectMesh(PlacedBox(28.0F, 25.0F, TMeshMaterial::kMul));
    UpdateAt(20.0F, 25.0F);
    ASSERT_EQ(TMapProbe::SubRoot(manager_)->GetMeshCount(), 2u);
    ASSERT_EQ(TMapProbe::Root(manager_)->GetMeshCount(), 9u);
    {
        qmtest::AllocationProbe probe;
        for (int i = 0; i < 10; ++i) {
            UpdateAt(20.0F + 0.1F * static_cast<float>(i), 25.0F);
        }
        // Into the next cell: the terrain block is refilled in place too.
        UpdateAt(31.0F, 25.0F);
        if (qmtest::AllocationProbe::Available()) {
            EXPECT_EQ(probe.OwnThreadAllocations(), 0);
        }
    }
    EXPECT_EQ(CellOfShown(0), std::make_pair(2, 1));
    // Standing inside the first box hides it; the exempt one stays, now first. Shown again, and
    // after an edge cell's smaller block, the meshes take back their old slots without allocating.
    qmtest::AllocationProbe probe;
    UpdateAt(25.0F, 25.0F);
    ASSERT_EQ(TMapProbe::SubRoot(manager_)->GetMeshCount(), 1u);
    EXPECT_EQ(TMapProbe::SubRoot(manager_)->GetMesh(0)->GetMaterial(0).GetMaterialType(), TMeshMaterial::kMul);
    UpdateAt(20.0F, 25.0F);
    ASSERT_EQ(TMapProbe::SubRoot(manager_)->GetMeshCount(), 2u);
    EXPECT_EQ(TMapProbe::SubRoot(manager_)->GetMesh(1)->GetMaterial(0).GetMaterialType(), TMeshMaterial::kMul);
    UpdateAt(5.0F, 25.0F);
    EXPECT_EQ(TMapProbe::Root(manager_)->GetMeshCount(), 6u);
    UpdateAt(15.0F, 25.0F);
    EXPECT_EQ(TMapProbe::Root(manager_)->GetMeshCount(), 9u);
    if (qmtest::AllocationProbe::Available()) {
        EXPECT_EQ(probe.OwnThreadAllocations(), 0);
    }
}

TEST_F(MeshAreaManagerTest, ExemptTypesAreShownUnchangedAtAnyDistance)
{
    for (std::uint16_t type : {TMeshMaterial::kHide, TMeshMaterial::kMul, TMeshMaterial::kAdd, TMeshMaterial::kZDisAdd}) {
        TMeshAreaManager manager;
        manager.Build(LoadMesh(Terrain(kCells, kCell), "terrain.msh"), kCell, kCell, nullptr, "M");
        TMesh8 mesh = PlacedBox(25.0F, 25.0F, type);
        mesh.SetEmissiveAlpha(0.7F, TMesh8::kAllMaterials);
        manager.AddObjectMesh(mesh);
        for (float d : {0.0F, 5.0F, 9.0F}) {
            const float pos[3] = {25.0F + d, 0.0F, 25.0F};
            manager.Update(pos, nullptr);
            ASSERT_EQ(TMapProbe::SubRoot(manager)->GetMeshCount(), 1u) << type << " at " << d;
            const TMeshMaterial& m = TMapProbe::SubRoot(manager)->GetMesh(0)->GetMaterial(0);
            EXPECT_EQ(m.GetMaterialType(), type);
            EXPECT_FLOAT_EQ(m.GetMaterial().Emissive.a, 0.7F);
        }
    }
}

TEST_F(MeshAreaManagerTest, PlacedMeshesAreFiledByCellAndDroppedOutsideTheGrid)
{
    // Kept: the first and last cell on each axis; dropped: just outside them.
    manager_.AddObjectMesh(PlacedBox(0.5F, 0.5F, TMeshMaterial::kMul));
    manager_.AddObjectMesh(PlacedBox(49.5F, 49.5F, TMeshMaterial::kAdd));
    for (const auto& [x, z] : {std::pair{50.5F, 25.0F}, {25.0F, 50.5F}, {-10.5F, 25.0F}, {25.0F, -10.5F}}) {
        manager_.AddObjectMesh(PlacedBox(x, z, TMeshMaterial::kMul));
    }

    EXPECT_EQ(ShownAt(0.5F, 0.5F), std::vector<std::uint16_t>{TMeshMaterial::kMul});
    EXPECT_EQ(ShownAt(49.5F, 49.5F), std::vector<std::uint16_t>{TMeshMaterial::kAdd});
    // Beyond the grid the boxes there were dropped, and in-grid ones are two cells away
    // (trunc(-0.5) = 0: row 0's block).
    for (const auto& [x, z] : {std::pair{55.0F, 25.0F}, {25.0F, 55.0F}, {25.0F, -5.0F}, {-5.0F, 25.0F}}) {
        EXPECT_TRUE(ShownAt(x, z).empty()) << x << ", " << z;
    }

    // Within a cell, in the order added; neighbours follow the block's row order.
    manager_.AddObjectMesh(PlacedBox(35.0F, 35.0F, TMeshMaterial::kZDisAdd));  // cell (3, 3)
    manager_.AddObjectMesh(PlacedBox(16.0F, 16.0F, TMeshMaterial::kAdd));      // cell (1, 1)
    manager_.AddObjectMesh(PlacedBox(14.0F, 14.0F, TMeshMaterial::kMul));      // cell (1, 1), second
    EXPECT_EQ(ShownAt(25.0F, 25.0F),
              (std::vector<std::uint16_t>{TMeshMaterial::kAdd, TMeshMaterial::kMul, TMeshMaterial::kZDisAdd}));
}

TEST_F(MeshAreaManagerTest, PlacedMeshesAnimateUnlessTimeIsStopped)
{
    qmtest::MeshFile morphing = meshtest::MorphingGridMesh(2, 1.0F);
    for (auto& frame : morphing.keyFrames) {
        for (auto& v : frame) {
            v.x += 25.0F;
            v.z += 25.0F;
        }
    }
    TMesh8 mesh = LoadMesh(morphing, "morph.msh");
    mesh.SetMaterialType(TMeshMaterial::kAdd, TMesh8::kAllMaterials);
    manager_.AddObjectMesh(mesh);

    UpdateAt(25.0F, 25.0F);
    const float afterOne = TMapProbe::SubRoot(manager_)->GetMesh(0)->GetMorphTime();
    EXPECT_GT(afterOne, 0.0F);
    SetTimeStop(true, nullptr, nullptr);
    UpdateAt(25.0F, 25.0F);
    UpdateAt(25.0F, 25.0F);
    EXPECT_EQ(TMapProbe::SubRoot(manager_)->GetMesh(0)->GetMorphTime(), afterOne);
    SetTimeStop(false, nullptr, nullptr);
    UpdateAt(25.0F, 25.0F);
    EXPECT_GT(TMapProbe::SubRoot(manager_)->GetMesh(0)->GetMorphTime(), afterOne);
}

TEST_F(MeshAreaManagerTest, LoadFailsNamingAMissingMeshAndReleaseDropsTheCells)
{
    TMeshAreaManager manager;
    try {
        manager.Load("map04/none.msh", kCell, kCell, nullptr, "M");
        FAIL() << "no error";
    } catch (const my_error& e) {
        EXPECT_NE(std::string(e.what()).find("none.msh"), std::string::npos) << e.what();
    }
    qmtest::MeshFile terrain = Terrain(2, kCell);
    terrain.Save("small.msh");
    manager.Load("small.msh", kCell, kCell, nullptr, "Small");
    EXPECT_EQ(TMapProbe::Root(manager)->GetName(), "SmallRoot");
    manager.Release();
    const float pos[3] = {5.0F, 0.0F, 5.0F};
    manager.Update(pos, nullptr);  // no cells left to show
    EXPECT_EQ(TMapProbe::Root(manager)->GetMeshCount(), 0u);
}

TEST_F(MeshAreaManagerTest, TerrainCellsAndAFadingBoxFromAFixedCamera)
{
    manager_.AddObjectMesh(LoadMesh(Box(25.0F, 1.0F, 31.0F, 1.0F, 0.9F, 0.9F, 0.2F), "near.msh"));  // fades
    manager_.AddObjectMesh(LoadMesh(Box(20.0F, 1.5F, 38.0F, 1.5F, 0.2F, 0.5F, 0.9F), "far.msh"));   // whole
    UpdateAt(25.0F, 26.0F);  // 5 from the near box: alpha 0.4
    ASSERT_EQ(TMapProbe::SubRoot(manager_)->GetMeshCount(), 2u);

    TRefPtr<TFrame> camera = NewFrame("Camera");
    camera->SetPosition(D3DXVECTOR3(25.0F, 9.0F, 18.0F));
    ASSERT_TRUE(camera->LookAtPoint(scene_.Get(), D3DXVECTOR3(25.0F, 0.0F, 32.0F), TFrame::kLookAim));
    view_.SetProjection(0.5F, 200.0F, 60.0F, 640, 480);
    ASSERT_TRUE(view_.SetCamera(camera.Get()));
    EXPECT_TRUE(qmtest::MatchesGolden(DrawScene(scene_.Get(), 0xFF203040), "MeshAreaCells"));
}

}  // namespace

namespace {

// Meshes a frame dropped wait for SetMesh: not counted, found, drawn or cloned until refilled.
TEST_F(MeshAreaManagerTest, DroppedMeshesAreOutOfTheFrameUntilRefilled)
{
    TRefPtr<TFrame> frame = NewFrame("Holder");
    for (const char* name : {"a", "b"}) {
        qmtest::MeshFile box = Box(0.0F, 0.5F, 0.0F, 0.5F, 0.8F, 0.3F, 0.2F);
        box.name = name;
        frame->AddMesh(LoadMesh(box, std::string(name) + ".msh"));
    }
    const std::string second = frame->GetMesh(1)->GetName();
    ASSERT_EQ(frame->FindMesh(second, false), frame->GetMesh(1));
    frame->KeepMeshes(1);
    EXPECT_EQ(frame->GetMeshCount(), 1u);
    EXPECT_EQ(frame->FindMesh(second, false), nullptr);
    EXPECT_EQ(frame->Clone(nullptr)->GetMeshCount(), 1u);
    // AddMesh takes the next slot too.
    const TMesh8 again = *frame->GetMesh(0);
    frame->AddMesh(again);
    EXPECT_EQ(frame->GetMeshCount(), 2u);
    EXPECT_EQ(frame->FindMesh(second, false), nullptr);
    frame->SetMesh(2, again);
    EXPECT_EQ(frame->GetMeshCount(), 3u);
    EXPECT_TRUE(frame->RemoveMesh(frame->GetMesh(2)));
    EXPECT_EQ(frame->GetMeshCount(), 2u);
    frame->ClearMeshes();
    EXPECT_EQ(frame->GetMeshCount(), 0u);
}

}  // namespace
