// Collision faces and the ground grid: slope classes and surface codes at their bounds, cell counts,
// binning by corners, the 3 × 3 block and meshes the grid refuses.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <string>

#include "MainCode/Map/TCollisionMesh.h"
#include "TCommon/my_error.h"
#include "support/ground_fixture.h"
#include "support/map_probe.h"

namespace {

using qmtest::GroundMesh;

// A face whose normal leans the given number of degrees away from straight up (toward +z).
TCollisionFace TiltedFace(double degrees, float red = 0.5F)
{
    const double r = degrees * 3.14159265358979323846 / 180.0;
    const auto c = static_cast<float>(std::cos(r));
    const auto s = static_cast<float>(std::sin(r));
    TCollisionFace f;
    const float colour[4] = {red, 1.0F, 1.0F, 1.0F};
    f.Set(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, -s, c), D3DXVECTOR3(1, 0, 0), colour);
    return f;
}

TEST(CollisionFace, SlopeClassesOnEitherSideOfEachBound)
{
    const std::pair<double, std::uint32_t> cases[] = {{0, 1},    {30, 1},   {30.1, 2}, {88.9, 2},
                                                      {89.1, 4}, {90.9, 4}, {91.1, 8}, {180, 8}};
    for (const auto& [degrees, slope] : cases) {
        EXPECT_EQ(TiltedFace(degrees).GetSlopeClass(), slope) << degrees;
    }
    // The angle is taken in single precision: a normal at 91 degrees comes out just below 91.
    EXPECT_EQ(TCollisionFace::SlopeClassOf(std::cos(91.0F * 0.017453292F)), 4u);
    // Beyond ±1 (rounding in the normal) is clamped, not NaN.
    EXPECT_EQ(TCollisionFace::SlopeClassOf(1.0000001F), 1u);
    EXPECT_EQ(TCollisionFace::SlopeClassOf(-1.0000001F), 8u);
}

TEST(CollisionFace, SurfaceCodeFromRedAtEveryBound)
{
    EXPECT_EQ(TCollisionFace::SurfaceCodeOf(0.0F), 1u);
    EXPECT_EQ(TCollisionFace::SurfaceCodeOf(-0.0F), 1u);
    EXPECT_EQ(TCollisionFace::SurfaceCodeOf(std::nextafter(0.0F, -1.0F)), 0u);
    EXPECT_EQ(TCollisionFace::SurfaceCodeOf(-0.5F), 0u);
    const float bounds[] = {0.05F, 0.10F, 0.15F, 0.20F, 0.25F, 0.30F, 0.35F};
    for (std::uint32_t i = 0; i < 7; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(TCollisionFace::SurfaceCodeOf(std::nextafter(bounds[i], 0.0F)), i + 1);
        EXPECT_EQ(TCollisionFace::SurfaceCodeOf(bounds[i]), i < 6 ? i + 2 : 0u);
    }
    EXPECT_EQ(TCollisionFace::SurfaceCodeOf(1.0F), 0u);
    EXPECT_EQ(TCollisionFace::SurfaceCodeOf(std::numeric_limits<float>::quiet_NaN()), 0u);
    EXPECT_EQ(TiltedFace(0, 0.05F).GetSurfaceCode(), 2u);
    TCollisionFace noMaterial;
    noMaterial.Set(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 1), D3DXVECTOR3(1, 0, 0), nullptr);
    EXPECT_EQ(noMaterial.GetSurfaceCode(), 0u);
}

class GroundGrid : public qmtest::GroundFixture {
protected:
    TGridCollisionMesh Build(const GroundMesh& g, float w, float d)
    {
        TGridCollisionMesh grid;
        grid.BuildGrid(Load(g.File()), w, d);
        return grid;
    }
    std::vector<std::uint16_t> CellFaces(const TGridCollisionMesh& grid, std::uint32_t cell)
    {
        const TGridCell& c = grid.GetCell(cell);
        return std::vector<std::uint16_t>(c.faces.Get(), c.faces.Get() + c.faceCount);
    }
};

TEST_F(GroundGrid, CellCountsAndRaisedExtents)
{
    // Exactly three widths across X, a little more than three across Z.
    const TGridCollisionMesh grid = Build(GroundMesh().Floor(0, 0, 6, 6.02F, 0), 2.0F, 2.0F);
    EXPECT_EQ(TMapProbe::CellsX(grid), 3u);
    EXPECT_EQ(TMapProbe::MaxX(grid), 6.0F);
    EXPECT_EQ(TMapProbe::CellsZ(grid), 4u);
    EXPECT_EQ(TMapProbe::MaxZ(grid), 8.0F);
    EXPECT_EQ(TMapProbe::CellCount(grid), 12u);
    EXPECT_EQ(TMapProbe::FaceCount(grid), 2u);

    // A size below 1.0 makes the whole axis one cell; 1.0 itself still cuts.
    const TGridCollisionMesh narrow = Build(GroundMesh().Floor(0, 0, 5, 5, 0), 0.999F, 1.0F);
    EXPECT_EQ(TMapProbe::CellsX(narrow), 1u);
    EXPECT_EQ(TMapProbe::CellWidth(narrow), FLT_MAX);
    EXPECT_EQ(TMapProbe::MaxX(narrow), 5.0F);
    EXPECT_EQ(TMapProbe::CellsZ(narrow), 5u);
}

TEST_F(GroundGrid, FacesListedByTheirCorners)
{
    GroundMesh g;
    g.Triangle({0.5F, 0, 0.5F}, {0.5F, 0, 1.5F}, {1.5F, 0, 0.5F});  // inside cell 0
    g.Triangle({0.5F, 0, 4.5F}, {4.5F, 0, 4.5F}, {4.5F, 0, 0.5F});  // corners in cells 6, 8 and 2; crosses 4
    g.Triangle({2.0F, 0, 0.2F}, {2.0F, 0, 1.8F}, {2.5F, 0, 0.5F});  // two corners on the border of cells 0 and 1
    g.Triangle({0, 0, 0}, {0, 0, 0.1F}, {0.1F, 0, 0});               // the extents: 0 to 6 both ways
    g.Triangle({5.9F, 0, 5.9F}, {5.9F, 0, 6.0F}, {6.0F, 0, 5.9F});
    const TGridCollisionMesh grid = Build(g, 2.0F, 2.0F);
    ASSERT_EQ(TMapProbe::CellsX(grid), 3u);
    ASSERT_EQ(TMapProbe::CellsZ(grid), 3u);
    const std::vector<std::vector<std::uint16_t>> faces = {{0, 2, 3}, {2}, {1}, {}, {}, {}, {1}, {}, {1, 4}};
    for (std::uint32_t cell = 0; cell < 9; ++cell) {
        EXPECT_EQ(CellFaces(grid, cell), faces[cell]) << cell;
    }
    EXPECT_EQ(grid.GetCell(4).faces.Get(), nullptr);
}

TEST_F(GroundGrid, NeighbourBlockOrderEmptyCellsAndRowWrap)
{
    // Four cells across, three deep, every cell with a face of its own.
    GroundMesh g;
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 4; ++col) {
            const float x = col * 2.0F + 0.5F;
            const float z = row * 2.0F + 0.5F;
            g.Triangle({x, 0, z}, {x, 0, z + 1}, {x + 1, 0, z});
        }
    }
    g.Triangle({0, 0, 0}, {0, 0, 0.1F}, {0.1F, 0, 0});
    g.Triangle({7.9F, 0, 5.9F}, {7.9F, 0, 6.0F}, {8.0F, 0, 5.9F});
    const TGridCollisionMesh grid = Build(g, 2.0F, 2.0F);
    ASSERT_EQ(TMapProbe::CellsX(grid), 4u);
    ASSERT_EQ(TMapProbe::CellsZ(grid), 3u);
    const auto block = [&grid](float x, float z) {
        int cells[9];
        const float p[3] = {x, 0.0F, z};
        grid.GetNeighbourCells(p, cells);
        return std::vector<int>(cells, cells + 9);
    };
    // Column 1, row 1: cell 5 in the middle. Column 0: the left neighbours are the previous row's
    // last cells; row 0 has nothing above. The far corner: the block runs past the cell count.
    EXPECT_EQ(block(3.0F, 3.0F), (std::vector<int>{0, 1, 2, 4, 5, 6, 8, 9, 10}));
    EXPECT_EQ(block(1.0F, 1.0F), (std::vector<int>{-1, -1, -1, -1, 0, 1, 3, 4, 5}));
    EXPECT_EQ(block(7.0F, 5.0F), (std::vector<int>{6, 7, 8, 10, 11, -1, -1, -1, -1}));
    // Less than a cell left of min X truncates to column 0; farther left reaches into the previous row.
    EXPECT_EQ(block(-1.5F, 3.0F)[4], 4);
    EXPECT_EQ(block(-2.5F, 3.0F)[4], 3);
    // Positions no cell index can hold give nothing and no undefined conversion.
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), FLT_MAX, -FLT_MAX, INFINITY, -INFINITY}) {
        EXPECT_EQ(block(bad, bad), std::vector<int>(9, -1)) << bad;
    }
}

TEST_F(GroundGrid, EmptyMeshGivesOneEmptyCellAndOversizedGridsAreRefused)
{
    const TGridCollisionMesh none = Build(GroundMesh(), 2.0F, 2.0F);
    EXPECT_EQ(TMapProbe::CellCount(none), 1u);
    EXPECT_EQ(none.GetCell(0).faceCount, 0u);
    int cells[9];
    const float p[3] = {0, 0, 0};
    none.GetNeighbourCells(p, cells);
    EXPECT_EQ(std::vector<int>(cells, cells + 9), std::vector<int>(9, -1));

    // 256 × 256 cells is the cap; one more row is refused, naming the mesh.
    TGridCollisionMesh atCap = Build(GroundMesh().Floor(0, 0, 256, 256, 0), 1.0F, 1.0F);
    EXPECT_EQ(TMapProbe::CellCount(atCap), 65536u);
    // So is a mesh stretching to the float limit.
    TGridCollisionMesh grid;
    const std::pair<GroundMesh, std::string> refused[] = {
        {GroundMesh().Floor(0, 0, 256, 256.5F, 0), "hugeground"},
        {GroundMesh().Floor(-FLT_MAX, 0, FLT_MAX, 1, 0), "wideground"}};
    for (const auto& [g, name] : refused) {
        try {
            grid.BuildGrid(Load(g.File(name)), 1.0F, 1.0F);
            ADD_FAILURE() << "no error for " << name;
        } catch (const my_error& e) {
            EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
        }
    }
    // The refused builds left the grid as it was.
    EXPECT_EQ(TMapProbe::CellCount(grid), 0u);
}

TEST_F(GroundGrid, AFlatWallAlongOneAxisStillGetsACell)
{
    const TGridCollisionMesh grid = Build(GroundMesh().WallX(3.0F, 0.0F, 4.0F, 0.0F, 2.0F), 2.0F, 2.0F);
    EXPECT_EQ(TMapProbe::CellsX(grid), 1u);
    EXPECT_EQ(TMapProbe::CellsZ(grid), 2u);
    EXPECT_EQ(grid.GetCell(0).faceCount, 2u);
}

}  // namespace
