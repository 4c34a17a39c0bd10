// A scene stepped flat out in a window with no screen (the tests' off-screen video driver, whose
// swap does nothing): what the renderer was given for each frame must not pile up with the frames.
#include <gtest/gtest.h>

#include <cstdint>

#include "MainCode/Map/TFieldLoop.h"
#include "formats/field_writer.h"
#include "support/alloc_probe.h"
#include "support/map_probe.h"
#include "support/scene_driver.h"

namespace {

std::int64_t LiveBytes()
{
    return static_cast<std::int64_t>(qmtest::AllocationProbe::LiveBytes());
}

TEST(SceneDriver, AFieldSteppedFlatOutHoldsNoMoreAfterHundredsOfSteps)
{
    qmtest::TempDir dir;
    qmtest::SceneDriver driver(dir.Path());
    qmtest::WriteFieldFolder(".");
    ASSERT_TRUE(driver.Start());
    driver.Steps(8);
    TFieldLoop* start = TFieldLoop::CreateAtSavePoint(driver.App(), qmtest::FieldLayout::kSavePoint);
    ASSERT_NE(start, nullptr);
    driver.App()->PushScene(start);
    driver.App()->PopScenesTo(1);
    ASSERT_TRUE(driver.StepUntil([&] { return driver.Current() == start && !TMapProbe::IsInPhase(*start); }, 200));
    // Past the first frames' one-off buffers; then as many steps again, each of which held some
    // 200 KB more while frames were not flushed.
    constexpr int kSteps = 320;
    driver.Steps(kSteps);
    const std::int64_t before = LiveBytes();
    driver.Steps(kSteps);
    const std::int64_t held = LiveBytes() - before;
    EXPECT_LT(held, 4 << 20) << held;
}

}  // namespace
