// A steady drawn field frame: every heap block the main thread asks for comes from inside the
// software GL driver (its vertex and binning storage per draw), none from the game or the layer.
// The driver's own are told apart by the call stack, so the count holds however the layer hands
// GL its vertices.
#include <memory>

#include "Field/field_game_fixture.h"
#include "support/alloc_probe.h"

namespace fieldtest {
namespace {

TEST(AllocationProbeDriverApart, ABlockAskedForOutsideTheDriverIsNotTheDriversAndNoneAreWithoutAsking)
{
    if (!qmtest::AllocationProbe::Available()) {
        GTEST_SKIP() << "the allocation probe could not hook the allocator";
    }
    {
        qmtest::AllocationProbe probe(true);
        auto block = std::make_unique<int>(7);
        EXPECT_EQ(probe.OwnThreadAllocations(), 1);
        EXPECT_EQ(probe.OwnThreadDriverAllocations(), 0);
        EXPECT_EQ(*block, 7);
    }
}

TEST_F(FieldGame, ASteadyDrawnFieldFrameAllocatesOnlyInsideTheGlDriver)
{
    if (!qmtest::AllocationProbe::Available()) {
        GTEST_SKIP() << "the allocation probe could not hook the allocator";
    }
    Start();
    Steps(8);
    TFieldLoop* field = Ready("battle");
    ASSERT_NE(field, nullptr);
    Steps(30);
    long all = 0;
    long driver = 0;
    long unasked = 0;
    {
        qmtest::AllocationProbe probe(true);
        Steps(30);
        all = probe.OwnThreadAllocations();
        driver = probe.OwnThreadDriverAllocations();
    }
    {
        // Without asking, nothing is put down to the driver.
        qmtest::AllocationProbe probe;
        Steps(5);
        unasked = probe.OwnThreadDriverAllocations();
    }
    EXPECT_EQ(all - driver, 0) << all << " in all, " << driver << " inside the driver";
    // The frames were drawn through GL, and the driver's blocks were seen as its own.
    EXPECT_GT(driver, 0);
    EXPECT_EQ(unasked, 0);
}

}  // namespace
}  // namespace fieldtest
