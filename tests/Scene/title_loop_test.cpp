// The title stepped frame by frame: the logo on the first title of a run only, the fade-in that
// decide completes, the menu's keys and sounds, the idle restart, quit, and the screens it opens.
#include <map>

#include "MainCode/Menu/TSelectContinueDataLoop.h"
#include "MainCode/Scene/TChangeLoop.h"
#include "MainCode/Menu/TSaveLoadLoop.h"
#include "MainCode/Scene/TTitleLoop.h"
#include "Scene/scene_flow_fixture.h"
#include "TCommon/my_error.h"
#include "dx/dx8/3d/TTexture8.h"
#include "support/main_probe.h"
#include "support/scene_probe.h"

namespace scenetest {
namespace {

using State = TSceneProbe::TitleState;

class Title : public SceneFlow {
protected:
    TTitleLoop* Current() const { return dynamic_cast<TTitleLoop*>(TMainProbe::CurrentScene(*app_)); }
    // The folder and the application, the run's logo already shown by the first title.
    void StartShown(bool titleMusic = true)
    {
        StartStory(titleMusic);
        if (TTitleLoop* first = Current()) {
            StepsUntil(first, State::FadeIn, 600);
        }
    }
    // A new title alone on the stack.
    TTitleLoop* Fresh()
    {
        auto* title = new TTitleLoop(app_.get());
        RunAlone(title);
        return title;
    }
    // Steps until the title stands in the state; the steps taken (limit + 1 when it never does).
    int StepsUntil(TTitleLoop* title, State state, int limit)
    {
        int n = 0;
        while (TSceneProbe::State(*title) != state && n <= limit) {
            Step();
            ++n;
        }
        return n;
    }
    std::size_t Count(TSoundBankRecord::Op op, std::uint32_t bank, std::uint32_t id) const
    {
        return static_cast<std::size_t>(
            std::count(driver_.sounds.begin(), driver_.sounds.end(), TSoundBankRecord{op, bank, id}));
    }
};

// The first title of a run: 120 steps of waiting, the logo in over 100, held 200, out over 100,
// then the fade-in; any later title goes from its wait straight to the fade-in, until a new run.
// Decide does nothing before the fade-in.
TEST_F(Title, TheLogoShowsOnTheFirstTitleOfARunOnly)
{
    StartStory();
    TTitleLoop* first = Current();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(TSceneProbe::LogoColor(*first), 0x00FFFFFFu);
    const struct {
        State state;
        int steps;
    } firstRun[] = {{State::LogoIn, 120 - 8}, {State::LogoHold, 100}, {State::LogoOut, 200}, {State::FadeIn, 100}};
    for (const auto& c : firstRun) {
        SCOPED_TRACE(static_cast<int>(c.state));
        // Decide is pressed once along the way and changes nothing.
        Press('Z');
        EXPECT_EQ(StepsUntil(first, c.state, 400) + 1, c.steps);
    }
    TTitleLoop* later = Fresh();
    Steps(119);
    EXPECT_EQ(TSceneProbe::State(*later), State::StartWait);
    Step();
    EXPECT_EQ(TSceneProbe::State(*later), State::FadeIn);
    // A second run in the same process is a first run again.
    driver_.Stop();
    ASSERT_TRUE(driver_.Start());
    Steps(8);
    TTitleLoop* again = Current();
    ASSERT_NE(again, nullptr);
    StepsUntil(again, State::LogoIn, 400);
    EXPECT_EQ(TSceneProbe::State(*again), State::LogoIn);
}

// Each logo step colours the logo from its ramp before the ramp moves: the fade-in runs from clear
// to one step short of white, which the hold keeps; the fade-out starts at white and ends one step
// short of clear.
TEST_F(Title, TheLogoIsColouredBeforeItsRampMoves)
{
    StartStory();
    TTitleLoop* title = Current();
    ASSERT_NE(title, nullptr);
    StepsUntil(title, State::LogoIn, 200);
    std::map<State, std::vector<std::uint32_t>> alphas;
    for (int n = 0; n < 500 && TSceneProbe::State(*title) != State::FadeIn; ++n) {
        const State ran = TSceneProbe::State(*title);
        Step();
        alphas[ran].push_back(TSceneProbe::LogoColor(*title) >> 24);
    }
    const struct {
        State state;
        std::size_t steps;
        std::uint32_t first, second, last;
    } cases[] = {{State::LogoIn, 100, 0, 2, 252}, {State::LogoHold, 200, 252, 252, 252}, {State::LogoOut, 100, 255, 252, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.state));
        const std::vector<std::uint32_t>& a = alphas[c.state];
        ASSERT_EQ(a.size(), c.steps);
        EXPECT_EQ(a[0], c.first);
        EXPECT_EQ(a[1], c.second);
        EXPECT_EQ(a.back(), c.last);
    }
}

// The fade-in runs 100 frames and the step after its end colour is drawn, or ends at once on
// decide; the menu starts with item 0 lit and the others at half.
TEST_F(Title, DecideCompletesTheFadeIn)
{
    StartShown();
    const struct {
        int decideAfter;  // steps into the fade-in; 0: never
        int menuAfter;
    } cases[] = {{0, 101}, {1, 2}, {50, 51}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.decideAfter);
        TTitleLoop* title = Fresh();
        Steps(120);
        ASSERT_EQ(TSceneProbe::State(*title), State::FadeIn);
        int n = 0;
        while (TSceneProbe::State(*title) == State::FadeIn && n < 200) {
            ++n;
            if (n == c.decideAfter + 1 && c.decideAfter != 0) {
                Press('Z');
            } else {
                Step();
            }
        }
        EXPECT_EQ(n, c.menuAfter);
        EXPECT_EQ(TMainProbe::Counter(TSceneProbe::Quad(*title)), 100);
        EXPECT_EQ(TSceneProbe::ItemColor(*title, 0), 0xFFFFFFFFu);
        EXPECT_EQ(TSceneProbe::ItemColor(*title, 1), 0x7FFFFFFFu);
    }
}

// Up and down wrap at both ends with the cursor sound; up wins over down; any of up, down and
// decide starts the idle count again, other keys do not.
TEST_F(Title, TheMenuMovesWrapsAndCountsIdleSteps)
{
    StartShown();
    TTitleLoop* title = Fresh();
    Steps(120);
    Press('Z');
    ASSERT_EQ(TSceneProbe::State(*title), State::Menu);
    const struct {
        std::vector<int> keys;
        std::int32_t selection;
        std::size_t cursorSounds;
    } cases[] = {{{VK_UP}, 2, 1},   {{VK_DOWN}, 0, 1},         {{VK_DOWN}, 1, 1},
                 {{VK_DOWN}, 2, 1}, {{VK_UP, VK_DOWN}, 1, 1}, {{VK_LEFT}, 1, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.selection);
        Steps(5);
        const std::uint32_t idle = TSceneProbe::Counter(*title);
        driver_.RecordSounds(true);
        for (int key : c.keys) {
            Hold(key, true);
        }
        Step();
        for (int key : c.keys) {
            Hold(key, false);
        }
        EXPECT_EQ(TSceneProbe::Selection(*title), c.selection);
        EXPECT_EQ(Count(TSoundBankRecord::kPlay, 0, 600), c.cursorSounds);
        EXPECT_EQ(TSceneProbe::Counter(*title), c.cursorSounds != 0 ? 0u : idle + 1);
        driver_.RecordSounds(false);
    }
    // Keys other than up, down and decide leave the idle count running.
    for (int key : {VK_RIGHT, static_cast<int>('X'), static_cast<int>('B'), static_cast<int>('V')}) {
        const std::uint32_t idle = TSceneProbe::Counter(*title);
        Press(key);
        EXPECT_EQ(TSceneProbe::Counter(*title), idle + 1) << key;
    }
}

// Left alone for 6700 steps the title stops its music and fades to black, stays black for 101
// steps, then starts the music again and fades in.
TEST_F(Title, SixThousandSevenHundredIdleStepsStartTheTitleOver)
{
    StartShown();
    TTitleLoop* title = Fresh();
    Steps(120);
    Press('Z');
    ASSERT_EQ(TSceneProbe::State(*title), State::Menu);
    driver_.RecordSounds(true);
    Steps(6699 - static_cast<int>(TSceneProbe::Counter(*title)));
    EXPECT_EQ(TSceneProbe::State(*title), State::Menu);
    EXPECT_EQ(TSceneProbe::Counter(*title), 6699u);
    EXPECT_EQ(Count(TSoundBankRecord::kStop, 2, 1), 0u);
    Step();
    EXPECT_EQ(TSceneProbe::State(*title), State::Idle);
    EXPECT_EQ(Count(TSoundBankRecord::kStop, 2, 1), 1u);
    // 100 steps back to black, the 100th counting the first black step; 100 more.
    Steps(199);
    EXPECT_EQ(TSceneProbe::State(*title), State::Idle);
    EXPECT_EQ(TSceneProbe::Counter(*title), 100u);
    EXPECT_EQ(Count(TSoundBankRecord::kPlayLoop, 2, 1), 0u);
    Step();
    EXPECT_EQ(TSceneProbe::State(*title), State::FadeIn);
    EXPECT_EQ(Count(TSoundBankRecord::kPlayLoop, 2, 1), 1u);
}

// Each item plays its sound from the title's list: new game and load open their screens over the
// title, which goes on in its menu when they end; quit fades picture and music out over 100 frames
// and ends the program.
TEST_F(Title, EachItemPlaysItsSoundAndOpensItsScreen)
{
    StartShown();
    const struct {
        int item;
        std::uint32_t sound;
    } cases[] = {{0, 605}, {1, 603}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item);
        TTitleLoop* title = Fresh();
        Steps(120);
        Press('Z');
        Step();
        for (int i = 0; i < c.item; ++i) {
            Press(VK_DOWN);
        }
        driver_.RecordSounds(true);
        Press('Z');
        EXPECT_EQ(Count(TSoundBankRecord::kPlay, 0, c.sound), 1u);
        driver_.RecordSounds(false);
        TLoop* opened = TMainProbe::CurrentScene(*app_);
        EXPECT_EQ(c.item == 0, dynamic_cast<TSelectContinueDataLoop*>(opened) != nullptr);
        EXPECT_EQ(c.item == 1, dynamic_cast<TSaveLoadLoop*>(opened) != nullptr);
        EXPECT_TRUE(TMainProbe::IsSuspended(*title));
        Steps(60);   // the screen's rows in
        Press('X');  // cancel: the screen closes and ends
        for (int i = 0; i < 200 && TMainProbe::CurrentScene(*app_) != title; ++i) {
            Step();
        }
        ASSERT_EQ(TMainProbe::CurrentScene(*app_), title);
        EXPECT_EQ(TSceneProbe::State(*title), State::Menu);
        EXPECT_EQ(TSceneProbe::Selection(*title), c.item);
        EXPECT_EQ(TSceneProbe::Counter(*title), 0u);
        Step();
        EXPECT_EQ(TSceneProbe::Counter(*title), 1u);
    }
}

TEST_F(Title, QuitFadesPictureAndMusicOutBeforeTheProgramEnds)
{
    const struct {
        bool music;
        int steps;  // from the decide press to the end
    } cases[] = {{true, 101}, {false, 100}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.music);
        StartShown(c.music);
        TTitleLoop* title = Fresh();
        Steps(120);
        Press('Z');
        Press(VK_UP);
        driver_.RecordSounds(true);
        Press('Z');
        EXPECT_EQ(TSceneProbe::State(*title), State::Quit);
        EXPECT_EQ(Count(TSoundBankRecord::kPlay, 0, 606), 1u);
        int n = 1;
        while (Step() && n < 300) {
            ++n;
        }
        EXPECT_EQ(n, c.steps);
        EXPECT_EQ(TMainProbe::Counter(TSceneProbe::Quad(*title)), 0);
        driver_.Stop();
    }
}

// The title ignores the volume options: every bank at full volume once it is built.
TEST_F(Title, EveryBankStandsAtFullVolume)
{
    StartShown();
    for (std::uint32_t bank : {0u, 1u, 2u}) {
        Bank(bank)->SetMaxVolume(-1500 - static_cast<std::int32_t>(bank) * 1000);
    }
    Fresh();
    for (std::uint32_t bank : {0u, 1u, 2u}) {
        EXPECT_EQ(Bank(bank)->GetMaxVolume(), 0) << bank;
    }
}

TEST_F(Title, AMissingPictureFailsNamingItsFile)
{
    StartShown();
    RunAlone(TChangeLoop::ToTitle(app_.get(), 1));  // the title and its pictures gone
    std::filesystem::remove("data/ptx04/title.ptx");
    std::string message;
    try {
        TTitleLoop title(app_.get());
    } catch (const my_error& e) {
        message = e.what();
    }
    EXPECT_NE(message.find("title.ptx"), std::string::npos) << message;
}

// The menu's frames allocate what its five draws cost the engine alone.
TEST_F(Title, SteadyMenuFramesAllocateNoMoreThanTheirDraws)
{
    if (!qmtest::AllocationProbe::Available()) {
        GTEST_SKIP() << "the allocation probe could not hook the allocator";
    }
    StartShown();
    TTitleLoop* title = Fresh();
    Steps(120);
    Press('Z');
    Steps(20);
    ASSERT_EQ(TSceneProbe::State(*title), State::Menu);
    const long steps = OwnAllocations([&] { Steps(60); });
    TSprite picture = TSprite::FromFile("title.ptx/title", D3DPOOL_MANAGED, 0);
    TSprite item = TSprite::FromFile("title.ptx/menu", D3DPOOL_MANAGED, 0);
    TSprite quad;
    TD3D8* d3d = TD3D8::Instance();
    const long bare = OwnAllocations([&] {
        for (int i = 0; i < 60; ++i) {
            d3d->BeginScene();
            TSprite::SetRenderMode(1);
            picture.Draw(0.0F, 0.0F, 640.0F, 480.0F, false);
            for (float y : {280.0F, 331.0F, 379.0F}) {
                item.Draw(192.0F, y, 256.0F, 64.0F, false);
            }
            quad.DrawRect(0.0F, 0.0F, 640.0F, 480.0F, false);
            d3d->EndScene();
            d3d->Present();
        }
    });
    EXPECT_LE(steps, bare);
}

}  // namespace
}  // namespace scenetest
