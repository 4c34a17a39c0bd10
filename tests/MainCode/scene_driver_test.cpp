// A scene stepped flat out in a window with no screen (the tests' off-screen video driver, whose
// swap does nothing): what the renderer was given for each frame must not pile up with the frames.
// Several steps in one frame are the same steps as one at a time, drawn once.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Map/TFieldLoop.h"
#include "formats/field_writer.h"
#include "support/alloc_probe.h"
#include "support/field_walk.h"
#include "support/main_probe.h"
#include "support/map_probe.h"
#include "support/scene_driver.h"

namespace {

std::int64_t LiveBytes()
{
    return static_cast<std::int64_t>(qmtest::AllocationProbe::LiveBytes());
}

// The field made the only scene and stepped until its fade-in is over; whether it came.
bool InPlay(qmtest::SceneDriver& driver, TFieldLoop* field)
{
    if (field == nullptr) {
        return false;
    }
    driver.App()->PushScene(field);
    driver.App()->PopScenesTo(1);
    return driver.StepUntil([&] { return driver.Current() == field && !TMapProbe::IsInPhase(*field); }, 200);
}

TEST(SceneDriver, AFieldSteppedFlatOutHoldsNoMoreAfterHundredsOfSteps)
{
    qmtest::TempDir dir;
    qmtest::SceneDriver driver(dir.Path());
    qmtest::WriteFieldFolder(".");
    ASSERT_TRUE(driver.Start());
    driver.Steps(8);
    ASSERT_TRUE(InPlay(driver, TFieldLoop::CreateAtSavePoint(driver.App(), qmtest::FieldLayout::kSavePoint)));
    // Past the first frames' one-off buffers; then as many steps again, each of which held some
    // 200 KB more while frames were not flushed.
    constexpr int kSteps = 320;
    driver.Steps(kSteps);
    const std::int64_t before = LiveBytes();
    driver.Steps(kSteps);
    const std::int64_t held = LiveBytes() - before;
    EXPECT_LT(held, 4 << 20) << held;
}

// A hero walking straight on: twelve frames of four steps each take the scene's clock 48 intervals
// on and him as far as 48 single steps (a walking frame of 0.2 a step), with a frame's drawing each.
TEST(SceneDriver, FourStepsInOneFrameAreFourStepsDrawnOnce)
{
    qmtest::TempDir dir;
    qmtest::SceneDriver driver(dir.Path());
    qmtest::WriteFieldFolder(".");
    ASSERT_TRUE(driver.Start());
    driver.Steps(8);
    TFieldLoop* field = TFieldLoop::CreateAtPosition(driver.App(), "map00/battle", qmtest::FieldLayout::Start(),
                                                     qmtest::FieldLayout::StartDirection(), qmtest::FieldLayout::StartCamera());
    ASSERT_TRUE(InPlay(driver, field));
    qmtest::SceneDriver::Hold(qmtest::Button::Up, true);
    driver.Steps(30);  // up to his walking pace
    const TFrameTimer& timer = TMainProbe::Timer(*field);
    const auto walked = [&](const std::function<void()>& go) {
        const D3DXVECTOR3 from = qmtest::PositionOf(field->GetPlayer());
        go();
        return qmtest::FlatDistance(qmtest::PositionOf(field->GetPlayer()), from);
    };
    const double was = timer.m_last;
    driver.RecordDraws(true);
    const float together = walked([&] {
        for (int frame = 0; frame < 12; ++frame) {
            driver.StepsInOneFrame(4);
        }
    });
    const std::size_t drawnTogether = driver.draws.size();
    EXPECT_NEAR(timer.m_last - was, 48 * timer.m_interval, 1e-6);
    driver.RecordDraws(true);
    const float apart = walked([&] { driver.Steps(4); });
    const std::size_t drawnApart = driver.draws.size();
    driver.RecordDraws(false);
    qmtest::SceneDriver::Hold(qmtest::Button::Up, false);
    EXPECT_NEAR(together, 9.6F, 1e-3F);
    EXPECT_NEAR(apart, 0.8F, 1e-4F);
    ASSERT_GT(drawnApart, 0u);
    EXPECT_EQ(drawnTogether, drawnApart * 3) << "twelve frames drawn, as four steps one at a time";
}

}  // namespace
