// The scene-change hub stepped frame by frame: its 101 steps, a lost device holding it until the end
// colour is on screen, the sounds it gives back, the scene each mode builds, and the stand-in events
// that hand over as their events will.
#include <functional>

#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Map/TTownArea.h"
#include "MainCode/Scene/TChangeLoop.h"
#include "MainCode/Scene/TEvent04_00Loop.h"
#include "MainCode/Scene/TEvent04_01Loop.h"
#include "MainCode/Scene/TEvent04_05Loop.h"
#include "MainCode/Scene/TEvent04_06Loop.h"
#include "MainCode/Scene/TEndingLoop.h"
#include "MainCode/Scene/TEvent04_07Loop.h"
#include "MainCode/Menu/TSaveLoadLoop.h"
#include "MainCode/Scene/TTitleLoop.h"
#include "Scene/scene_flow_fixture.h"
#include "support/dx_probe.h"
#include "support/golden.h"
#include "support/main_probe.h"
#include "support/menu_probe.h"
#include "support/scene_probe.h"

namespace scenetest {
namespace {

using qmtest::Button;

std::size_t CountOf(const std::vector<TSoundBankRecord>& log, TSoundBankRecord::Op op, std::uint32_t bank,
                    std::uint32_t id)
{
    return static_cast<std::size_t>(std::count(log.begin(), log.end(), TSoundBankRecord{op, bank, id}));
}

// The caller keeps its sounds, the hub runs alone; 100 steps keep it, the 101st hands over, and
// every use comes back. Music -1 makes no fader and gives nothing back in the music bank; a music
// id without a sound runs the same timeline and its use still balances.
TEST_F(SceneFlow, AChangeTakes101StepsAndGivesBackWhatItsCallerKept)
{
    StartStory();
    const struct {
        std::uint32_t music;
        bool keepStart;  // the caller kept 605 as well as 603
    } cases[] = {{0xFFFFFFFF, true}, {11, true}, {99, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.music);
        const std::uint32_t music = TDxProbe::UseCount(*Bank(2), c.music);
        const std::uint32_t decide = TDxProbe::UseCount(*Bank(0), 603);
        const std::uint32_t start = TDxProbe::UseCount(*Bank(0), 605);
        if (c.music != 0xFFFFFFFF) {
            Bank(2)->Load(c.music);
        }
        Bank(0)->Load(603);
        if (c.keepStart) {
            Bank(0)->Load(605);
        }
        TChangeLoop* change = TChangeLoop::ToTitle(app_.get(), c.music);
        RunAlone(change);
        driver_.RecordSounds(true);
        for (int step = 1; step <= 100; ++step) {
            Step();
            ASSERT_EQ(TMainProbe::CurrentScene(*app_), change) << step;
        }
        Step();
        EXPECT_NE(dynamic_cast<TTitleLoop*>(TMainProbe::CurrentScene(*app_)), nullptr);
        EXPECT_EQ(app_->GetSceneCount(), 1);
        EXPECT_EQ(TDxProbe::UseCount(*Bank(2), c.music), music);
        EXPECT_EQ(TDxProbe::UseCount(*Bank(0), 603), decide);
        EXPECT_EQ(TDxProbe::UseCount(*Bank(0), 605), start);
        EXPECT_EQ(CountOf(driver_.sounds, TSoundBankRecord::kUnload, 2, c.music), c.music == 0xFFFFFFFF ? 0u : 1u);
        EXPECT_EQ(CountOf(driver_.sounds, TSoundBankRecord::kUnload, 0, 603), 1u);
        EXPECT_EQ(CountOf(driver_.sounds, TSoundBankRecord::kUnload, 0, 605), 1u);
        driver_.RecordSounds(false);
    }
}

// The quad counts as done only once its end colour has been drawn: a frame lost before that holds
// the change one step longer.
TEST_F(SceneFlow, ALostDeviceHoldsTheChangeUntilTheEndColourIsDrawn)
{
    StartStory();
    const struct {
        int lossBeforeStep;  // 0: none
        int endStep;
    } cases[] = {{0, 101}, {50, 101}, {98, 101}, {99, 102}, {100, 103}, {101, 101}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lossBeforeStep);
        TChangeLoop* change = TChangeLoop::ToTitle(app_.get(), 0xFFFFFFFF);
        RunAlone(change);
        int step = 0;
        while (TMainProbe::CurrentScene(*app_) == change && step < 200) {
            if (++step == c.lossBeforeStep) {
                platform::InjectDeviceLoss(TD3D8::GetDevice());
            }
            Step();
        }
        EXPECT_EQ(step, c.endStep);
    }
}

// Every creator builds its next scene; a slot that cannot be loaded and an event id outside
// 300..308 lead to the title.
TEST_F(SceneFlow, EveryModeAndEventIdBuildsItsScene)
{
    StartStory();
    WriteSlot(3);
    std::vector<std::uint8_t> damaged = qmtest::BuildSaveFile(qmtest::SaveFileData{}, false);
    damaged[1 + 3000] ^= 0x40;
    qmtest::SaveBytes("save/" + qmtest::SaveSlotName(5), damaged);
    qmtest::SaveBytes("save/" + qmtest::SaveSlotName(6), std::vector<std::uint8_t>(40, 1));
    TGameWnd* app = app_.get();
    const auto event = [](std::int32_t id) {
        return [id](TLoop* s) {
            if (id == 300 || id == 301) {
                return id == 300 ? dynamic_cast<TEvent04_00Loop*>(s) != nullptr
                                 : dynamic_cast<TEvent04_01Loop*>(s) != nullptr;
            }
            if (id == 305) {
                return dynamic_cast<TEvent04_05Loop*>(s) != nullptr;
            }
            if (id == 307) {
                return dynamic_cast<TEvent04_07Loop*>(s) != nullptr;
            }
            if (id == 308) {
                return dynamic_cast<TEndingLoop*>(s) != nullptr;
            }
            return false;
        };
    };
    const auto title = [](TLoop* s) { return dynamic_cast<TTitleLoop*>(s) != nullptr; };
    const struct {
        const char* name;
        std::function<TChangeLoop*()> make;
        std::function<bool(TLoop*)> expect;
    } cases[] = {
        {"title", [&] { return TChangeLoop::ToTitle(app, 1); }, title},
        {"save", [&] { return TChangeLoop::ToSave(app, 11); },
         [](TLoop* s) {
             auto* save = dynamic_cast<TSaveLoadLoop*>(s);
             return save != nullptr && TMenuProbe::Mode(*save) == TSaveLoadLoop::kSave;
         }},
        {"good slot", [&] { return TChangeLoop::ToLoadSlot(app, 3, 1); },
         [](TLoop* s) {
             return dynamic_cast<TFieldLoop*>(s) != nullptr && TGameData::GetInstance()->GetSavePoint() == 11;
         }},
        {"missing slot", [&] { return TChangeLoop::ToLoadSlot(app, 4, 1); }, title},
        {"damaged slot", [&] { return TChangeLoop::ToLoadSlot(app, 5, 1); }, title},
        {"short slot", [&] { return TChangeLoop::ToLoadSlot(app, 6, 1); }, title},
        {"event 299", [&] { return TChangeLoop::ToEvent(app, 15, 0xF000, 299, 1); }, title},
        {"event 300", [&] { return TChangeLoop::ToEvent(app, 15, 0xF000, 300, 1); }, event(300)},
        {"event 301", [&] { return TChangeLoop::ToEvent(app, 15, 0xF00, 301, 51); }, event(301)},
        {"event 305", [&] { return TChangeLoop::ToEvent(app, 240, 0xF000, 305, -1); }, event(305)},
        {"event 307", [&] { return TChangeLoop::ToEvent(app, 15, 0xF00, 307, 56); }, event(307)},
        {"ending 308", [&] { return TChangeLoop::ToEvent(app, 15, 0xF00, 308, 57); }, event(308)},
        {"event 309", [&] { return TChangeLoop::ToEvent(app, 15, 0xF000, 309, 1); }, title},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TGameData::GetInstance()->SetSavePoint(1);
        RunAlone(c.make());
        Steps(101);
        EXPECT_TRUE(c.expect(TMainProbe::CurrentScene(*app_)));
        EXPECT_EQ(app_->GetSceneCount(), 1);
        RunAlone(new TTitleLoop(app));
    }
    EXPECT_TRUE(boxes_.empty());
}

// An event skipped with cancel held ends on black; the change to the next event uncovers black
// over black, so the screen stays black throughout.
TEST_F(SceneFlow, AnEventChangeOverBlackStaysBlack)
{
    StartStory();
    auto* event = new TEvent04_06Loop(app_.get());
    RunAlone(event);
    Hold('X', true);
    for (int i = 0; i < 200 && TMainProbe::CurrentScene(*app_) == event; ++i) {
        Step();
    }
    Hold('X', false);
    auto* change = dynamic_cast<TChangeLoop*>(TMainProbe::CurrentScene(*app_));
    ASSERT_NE(change, nullptr);
    EXPECT_EQ(TSceneProbe::EventId(*change), 307);
    int most = 0;
    for (int step = 1; step <= 101; ++step) {
        Step();
        most = std::max(most, qmtest::Brightest(Screen()));
    }
    EXPECT_LE(most, 8);
    EXPECT_NE(dynamic_cast<TEvent04_07Loop*>(TMainProbe::CurrentScene(*app_)), nullptr);
}

// A change deleted before its end (the stack emptied over it) stops its music and gives back the
// uses it still holds.
TEST_F(SceneFlow, AChangeDeletedMidFadeGivesBackItsUses)
{
    StartStory();
    const std::uint32_t music = TDxProbe::UseCount(*Bank(2), 11);
    const std::uint32_t decide = TDxProbe::UseCount(*Bank(0), 603);
    Bank(2)->Load(11);
    Bank(0)->Load(603);
    RunAlone(TChangeLoop::ToTitle(app_.get(), 11));
    Steps(40);
    RunAlone(new TTitleLoop(app_.get()));
    EXPECT_EQ(TDxProbe::UseCount(*Bank(2), 11), music);
    EXPECT_EQ(TDxProbe::UseCount(*Bank(0), 603), decide);
}

// What the change's frames allocate is what its two draws cost the engine alone.
TEST_F(SceneFlow, SteadyChangeFramesAllocateNoMoreThanTheirDraws)
{
    if (!qmtest::AllocationProbe::Available()) {
        GTEST_SKIP() << "the allocation probe could not hook the allocator";
    }
    StartStory();
    Bank(2)->Load(11);
    RunAlone(TChangeLoop::ToTitle(app_.get(), 11));
    Steps(10);
    const long steps = OwnAllocations([&] { Steps(80); });
    TSprite picture = app_->CaptureScreen("bare", nullptr);
    TSprite quad;
    TD3D8* d3d = TD3D8::Instance();
    const long bare = OwnAllocations([&] {
        for (int i = 0; i < 80; ++i) {
            d3d->BeginScene();
            TSprite::SetRenderMode(0);
            picture.Draw(0.0F, 0.0F, 640.0F, 480.0F, false);
            TSprite::SetRenderMode(1);
            quad.DrawRect(0.0F, 0.0F, 640.0F, 480.0F, false);
            d3d->EndScene();
            d3d->Present();
        }
    });
    EXPECT_LE(steps, bare);
}

}  // namespace
}  // namespace scenetest
