#include <gtest/gtest.h>

#include <limits>
#include <vector>
#include <memory>

#include "MainCode/TGameWnd.h"
#include "MainCode/TLoop.h"
#include "platform/testing/win32.h"
#include "platform/win32/timer.h"
#include "support/main_probe.h"

namespace {

// A scene that counts its steps and draws and returns scripted results.
class CountingScene : public TSceneLoop {
public:
    explicit CountingScene(TGameWnd* app) : TSceneLoop(app)
    {
        SetState(&CountingScene::Step);
        SetDraw(&CountingScene::Paint);
    }
    std::uint32_t Step()
    {
        ++steps;
        if (steps == endAtStep) {
            return LOOP_END;
        }
        return steps == quitAtStep ? LOOP_QUIT : LOOP_CONTINUE;
    }
    void Paint() { ++draws; }
    double Last() const { return TMainProbe::Timer(*this).m_last; }

    int steps = 0;
    int draws = 0;
    int endAtStep = -1;
    int quitAtStep = -1;
};

class TSceneLoopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::ManualClock::Enable(100000);
        app = std::make_unique<TGameWnd>(0, "c", "t", 0, 0, 0, 640, 480, nullptr, nullptr, nullptr, 0, 0);
    }
    void TearDown() override { platform::ManualClock::Disable(); }
    std::unique_ptr<TGameWnd> app;
};

TEST_F(TSceneLoopTest, StepsOnlyWholeIntervalsAndCarriesTheRest)
{
    CountingScene scene(app.get());
    EXPECT_TRUE(TMainProbe::IsSuspended(scene));
    scene.Resume();
    const double start = scene.Last();
    platform::ManualClock::Advance(10);
    EXPECT_EQ(scene.Update(), LOOP_CONTINUE);
    EXPECT_EQ(scene.steps, 0);
    EXPECT_EQ(scene.draws, 0);
    platform::ManualClock::Set(100000 + 51);
    EXPECT_EQ(scene.Update(), LOOP_CONTINUE);
    EXPECT_EQ(scene.steps, 3);
    EXPECT_EQ(scene.draws, 1);
    EXPECT_DOUBLE_EQ(scene.Last(), start + 3 * (1000.0 / 60.0));
    // The leftover millisecond counts toward the next call: 16 more make a whole interval.
    platform::ManualClock::Advance(16);
    scene.Update();
    EXPECT_EQ(scene.steps, 4);

    // Fifty milliseconds are two steps in double arithmetic.
    CountingScene fifty(app.get());
    fifty.Resume();
    platform::ManualClock::Advance(50);
    fifty.Update();
    EXPECT_EQ(fifty.steps, 2);
}

TEST_F(TSceneLoopTest, EndStopsAtOnceButQuitLetsTheCatchUpFinish)
{
    CountingScene ending(app.get());
    ending.endAtStep = 2;
    ending.Resume();
    const double start = ending.Last();
    platform::ManualClock::Advance(100);  // six intervals due
    EXPECT_EQ(ending.Update(), LOOP_END);
    EXPECT_EQ(ending.steps, 2);
    EXPECT_EQ(ending.draws, 0);
    EXPECT_DOUBLE_EQ(ending.Last(), start + 1000.0 / 60.0);  // the ending step is not counted

    CountingScene quitting(app.get());
    quitting.quitAtStep = 2;
    quitting.Resume();
    platform::ManualClock::Advance(67);
    EXPECT_EQ(quitting.Update(), LOOP_CONTINUE);  // the last step's result
    EXPECT_EQ(quitting.steps, 4);
    EXPECT_EQ(quitting.draws, 1);

    CountingScene quitLast(app.get());
    quitLast.quitAtStep = 3;
    quitLast.Resume();
    platform::ManualClock::Advance(50);
    EXPECT_EQ(quitLast.Update(), LOOP_CONTINUE);
    platform::ManualClock::Advance(1);  // the leftover plus 1 ms: one step, the quitting one
    EXPECT_EQ(quitLast.Update(), LOOP_QUIT);
    EXPECT_EQ(quitLast.draws, 2);
}

TEST_F(TSceneLoopTest, NoCatchUpAfterTheTimerWrapsOrAfterResume)
{
    platform::ManualClock::Set(std::numeric_limits<DWORD>::max() - 20);
    CountingScene scene(app.get());
    scene.Resume();
    platform::ManualClock::Advance(40);  // wraps to 19
    EXPECT_EQ(scene.Update(), LOOP_CONTINUE);
    EXPECT_EQ(scene.steps, 0);
    EXPECT_DOUBLE_EQ(scene.Last(), 19.0);
    platform::ManualClock::Advance(17);
    scene.Update();
    EXPECT_EQ(scene.steps, 1);

    // Constructed, then left alone for 5 s before it becomes current: Resume restarts the timer.
    CountingScene late(app.get());
    platform::ManualClock::Advance(5000);
    late.Resume();
    platform::ManualClock::Advance(17);
    late.Update();
    EXPECT_EQ(late.steps, 1);
    // Suspended for a while: no burst of steps on return.
    late.Suspend();
    platform::ManualClock::Advance(3000);
    late.Resume();
    late.Update();
    EXPECT_EQ(late.steps, 1);
}

// Each step costs `cost` ms of the clock, as a script working through its budget would.
class SlowScene : public CountingScene {
public:
    SlowScene(TGameWnd* app, DWORD cost) : CountingScene(app), cost_(cost) { SetState(&SlowScene::SlowStep); }
    std::uint32_t SlowStep()
    {
        platform::ManualClock::Advance(cost_);
        return Step();
    }
    DWORD cost_;
};

TEST_F(TSceneLoopTest, StepsSlowerThanTheIntervalDoNotPileUp)
{
    // Steps of 20, 40 and 400 ms: a frame steps what is due, at most four, and then draws; what
    // is owed beyond the four is dropped, so the frames after a slow one owe no more than it did.
    for (const DWORD cost : {20u, 40u, 400u}) {
        SCOPED_TRACE(cost);
        SlowScene scene(app.get(), cost);
        scene.Resume();
        platform::ManualClock::Advance(17);
        std::vector<int> perFrame;
        for (int frame = 0; frame < 8; ++frame) {
            const int before = scene.steps;
            scene.Update();
            perFrame.push_back(scene.steps - before);
            // Less than one interval still owed once a frame has drawn.
            EXPECT_LT(TMainProbe::Timer(scene).m_elapsed, 1000.0 / 60.0);
        }
        EXPECT_EQ(scene.draws, 8);
        for (std::size_t i = 1; i < perFrame.size(); ++i) {
            EXPECT_LE(perFrame[i], 4) << "frame " << i;
            EXPECT_GE(perFrame[i], 1) << "frame " << i;
        }
        EXPECT_EQ(perFrame[0], 1);
        if (cost >= 40) {
            EXPECT_EQ(perFrame.back(), 4);  // bounded, not growing
        }
    }

    // Behind by ten intervals and a fraction: four steps, then the fraction carries over.
    CountingScene behind(app.get());
    behind.Resume();
    const double start = behind.Last();
    platform::ManualClock::Advance(170);
    behind.Update();
    EXPECT_EQ(behind.steps, 4);
    EXPECT_EQ(behind.draws, 1);
    EXPECT_DOUBLE_EQ(behind.Last(), start + 10 * (1000.0 / 60.0));
    platform::ManualClock::Advance(14);  // 3.33 left over + 14: one interval
    behind.Update();
    EXPECT_EQ(behind.steps, 5);
}

class FixedResultScene : public TLoop {
public:
    FixedResultScene(TGameWnd* app, std::uint32_t result, int* deleted) : TLoop(app), result_(result), deleted_(deleted) {}
    ~FixedResultScene() override { ++*deleted_; }
    std::uint32_t Update() override { return result_; }
    std::uint32_t result_;
    int* deleted_;
};

TEST(SceneStack, FrameResultsPopOneSceneOrEndTheProgram)
{
    TGameWnd app(0, "c", "t", 0, 0, 0, 640, 480, nullptr, nullptr, nullptr, 0, 0);
    EXPECT_FALSE(app.Frame());  // no scene at all: the program ends instead of crashing

    int deleted = 0;
    auto* bottom = new FixedResultScene(&app, LOOP_CONTINUE, &deleted);
    auto* middle = new FixedResultScene(&app, LOOP_END, &deleted);
    auto* top = new FixedResultScene(&app, LOOP_END | LOOP_QUIT, &deleted);
    app.PushScene(bottom);
    app.PushScene(middle);
    app.PushScene(top);
    EXPECT_TRUE(TMainProbe::IsSuspended(*middle));
    EXPECT_FALSE(app.Frame());  // 5: quits without popping
    EXPECT_EQ(app.GetSceneCount(), 3);
    top->result_ = LOOP_END;
    EXPECT_TRUE(app.Frame());  // only the top one goes
    EXPECT_EQ(deleted, 1);
    EXPECT_EQ(TMainProbe::CurrentScene(app), middle);
    EXPECT_FALSE(TMainProbe::IsSuspended(*middle));

    // A scene queued at the bottom starts once every scene above it has ended.
    auto* queued = new FixedResultScene(&app, LOOP_CONTINUE, &deleted);
    app.ReplaceScene(queued);
    EXPECT_TRUE(TMainProbe::IsSuspended(*queued));
    EXPECT_EQ(TMainProbe::CurrentScene(app), middle);
    EXPECT_EQ(app.PopScenesTo(2), 2);  // drops from the bottom: the queued scene
    EXPECT_EQ(deleted, 2);
    EXPECT_TRUE(app.Frame());
    EXPECT_EQ(TMainProbe::CurrentScene(app), bottom);
    bottom->result_ = LOOP_END;
    EXPECT_TRUE(app.Frame());
    EXPECT_EQ(app.GetSceneCount(), 0);
    EXPECT_FALSE(app.Frame());
    EXPECT_EQ(deleted, 4);

    // Dropping every scene drops the current one too.
    app.PushScene(new FixedResultScene(&app, LOOP_CONTINUE, &deleted));
    EXPECT_EQ(app.PopScenesTo(0), 0);
    EXPECT_EQ(deleted, 5);
    EXPECT_EQ(TMainProbe::CurrentScene(app), nullptr);
    EXPECT_FALSE(app.Frame());
}

}  // namespace
