// The stand-in screens the title and the ending open until their real screens exist: each hands on
// through the scene-change hub as its real screen will, keeping the sounds the hub gives back.
#include <functional>

#include "MainCode/Scene/TChangeLoop.h"
#include "MainCode/Scene/TStandInCarryOverLoop.h"
#include "MainCode/Scene/TStandInSaveLoadLoop.h"
#include "MainCode/Scene/TTitleLoop.h"
#include "Scene/scene_flow_fixture.h"

namespace scenetest {
namespace {

TEST_F(SceneFlow, StandInScreensHandOnThroughTheChange)
{
    StartStory();
    const struct {
        const char* name;
        std::function<TLoop*()> make;
        int key;                 // 0: none
        std::uint32_t mode;      // of the change handed on; 99: none, the title below goes on
        std::int32_t eventId;
        std::uint32_t music;
        std::uint32_t keptSound;  // 0: none
    } cases[] = {
        {"save", [&] { return TStandInSaveLoadLoop::CreateSave(app_.get()); }, 0, 0, 0, 0xFFFFFFFF, 0},
        {"load decide", [&] { return TStandInSaveLoadLoop::CreateLoad(app_.get()); }, 'Z', 1, 0, 1, 603},
        {"load cancel", [&] { return TStandInSaveLoadLoop::CreateLoad(app_.get()); }, 'X', 99, 0, 0, 0},
        {"new game decide", [&] { return TStandInCarryOverLoop::Create(app_.get(), 4); }, 'Z', 2, 300, 1, 605},
        {"new game cancel", [&] { return TStandInCarryOverLoop::Create(app_.get(), 4); }, 'X', 99, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto* title = new TTitleLoop(app_.get());
        RunAlone(title);
        if (c.key != 0) {
            app_->PushScene(c.make());  // over the title, as the title opens them
            Steps(3);
            driver_.RecordSounds(true);
            Press(c.key);
        } else {
            RunAlone(c.make());  // alone, as the change after the ending leaves it
            driver_.RecordSounds(true);
            Step();
        }
        // The uses kept for the change: its music and the confirming sound.
        const auto kept = [&](std::uint32_t bank, std::uint32_t id) {
            const TSoundBankRecord load{TSoundBankRecord::kLoad, bank, id};
            return std::count(driver_.sounds.begin(), driver_.sounds.end(), load);
        };
        const bool keptMusic = c.mode != 99 && c.music != 0xFFFFFFFF;
        EXPECT_EQ(kept(2, 1), keptMusic ? 1 : 0);
        EXPECT_EQ(kept(0, 603), c.keptSound == 603 ? 1 : 0);
        EXPECT_EQ(kept(0, 605), c.keptSound == 605 ? 1 : 0);
        driver_.RecordSounds(false);
        if (c.mode == 99) {
            EXPECT_EQ(app_->GetCurrentScene(), title);
            continue;
        }
        auto* change = dynamic_cast<TChangeLoop*>(app_->GetCurrentScene());
        ASSERT_NE(change, nullptr);
        EXPECT_EQ(app_->GetSceneCount(), 1);  // the title below is gone
        EXPECT_EQ(change->GetMode(), c.mode);
        EXPECT_EQ(change->GetEventId(), c.eventId);
        EXPECT_EQ(change->GetMusicId(), c.music);
        EXPECT_EQ(change->GetSlot(), 0u);
    }
}

}  // namespace
}  // namespace scenetest
