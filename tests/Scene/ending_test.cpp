// The ending frame by frame: 60 steps of black, each of the twelve pages sliding in from both
// sides, held and sliding out fading, the logo in, held and out, then the game cleared, its save
// point set and the save screen asked of the hub. It reads no input; its music may be missing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MainCode/GameData/TGameData.h"
#include "MainCode/Scene/TChangeLoop.h"
#include "MainCode/Scene/TEndingLoop.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "event_fixture.h"
#include "formats/table_writer.h"
#include "support/alloc_probe.h"
#include "support/dx_probe.h"
#include "support/scene_probe.h"

namespace {

using qmtest::Button;

class Ending : public qmtest::EventScene {
protected:
    static TSoundBank* Music() { return TDSound8::Instance()->GetBank(2); }
};

// What the ending shows on a step: the picture's and the text's places and alphas (picture key
// "ending.ptx/img" + page, text "ending.ptx/s_" + page), or the logo alone (page -1).
struct Frame {
    int step;
    int page;
    float pictureX, pictureY;
    DWORD pictureAlpha;
    float textX, textY;
    DWORD textAlpha;
};

// Page 0: 60 steps waiting off screen, in over 61..81 (the signed division truncates toward 0:
// -256 + 14 and 640 - 14), held to 282, out over 283..303 fading, where page 1 takes its place;
// each page 243 steps. The logo: in over 2977..3077, held 3078..3277, out over 3278..3378.
const Frame kFrames[] = {
    {1, 0, -256, 32, 0xFF, 640, 192, 0xFF},
    {60, 0, -256, 32, 0xFF, 640, 192, 0xFF},
    {61, 0, -242, 32, 0xFF, 626, 192, 0xFF},
    {62, 0, -228, 32, 0xFF, 612, 192, 0xFF},
    {80, 0, 32, 32, 0xFF, 352, 192, 0xFF},
    {81, 0, 32, 32, 0xFF, 352, 192, 0xFF},
    {282, 0, 32, 32, 0xFF, 352, 192, 0xFF},
    {283, 0, 32, 18, 0xFF, 352, 206, 0xFF},
    {284, 0, 32, 4, 0xF2, 352, 220, 0xF2},
    {302, 0, 32, -256, 0x0C, 352, 480, 0x0C},
    {303, 1, -256, 32, 0xFF, 640, 192, 0xFF},
    {304, 1, -242, 32, 0xFF, 626, 192, 0xFF},
    {2733, 11, -256, 32, 0xFF, 640, 192, 0xFF},
    {2734, 11, -242, 32, 0xFF, 626, 192, 0xFF},
    {2975, 11, 32, -256, 0x0C, 352, 480, 0x0C},
    {2976, -1, 192, 112, 0x00, 0, 0, 0},
    {2977, -1, 192, 112, 0x00, 0, 0, 0},
    {2978, -1, 192, 112, 0x02, 0, 0, 0},
    {3077, -1, 192, 112, 0xFF, 0, 0, 0},
    {3277, -1, 192, 112, 0xFF, 0, 0, 0},
    {3278, -1, 192, 112, 0xFF, 0, 0, 0},
    {3279, -1, 192, 112, 0xFC, 0, 0, 0},
    {3378, -1, 192, 112, 0x00, 0, 0, 0},
};

std::string Key(const char* stem, int page)
{
    return std::string("ending.ptx/") + stem + (page < 10 ? "0" : "") + std::to_string(page);
}

void ExpectFrame(const Frame& f, const std::vector<TSpriteDrawRecord>& draws)
{
    SCOPED_TRACE(f.step);
    if (f.page < 0) {
        ASSERT_EQ(draws.size(), 1u);
        EXPECT_EQ(draws[0].texture, "title.ptx/vrrw_logo");
        EXPECT_EQ(draws[0].x, 192.0F);
        EXPECT_EQ(draws[0].y, 112.0F);
        EXPECT_EQ(draws[0].w, 256.0F);  // at its size
        EXPECT_EQ(draws[0].colors[0], (f.pictureAlpha << 24) | 0xFFFFFFu);
        return;
    }
    ASSERT_EQ(draws.size(), 2u);
    const struct {
        std::string key;
        float x, y;
        DWORD alpha;
    } want[2] = {{Key("img", f.page), f.pictureX, f.pictureY, f.pictureAlpha},
                 {Key("s_", f.page), f.textX, f.textY, f.textAlpha}};
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(draws[i].texture, want[i].key);
        EXPECT_EQ(draws[i].x, want[i].x);
        EXPECT_EQ(draws[i].y, want[i].y);
        EXPECT_EQ(draws[i].w, 256.0F);
        EXPECT_EQ(draws[i].h, 256.0F);
        EXPECT_EQ(draws[i].mode, 1);
        EXPECT_EQ(draws[i].colors[0], (want[i].alpha << 24) | 0xFFFFFFu);
    }
}

// The whole ending, with no input, with every button held throughout, and with its music missing
// from the list: the same pictures on the same steps, then the hub toward the save screen.
TEST_F(Ending, PagesThenLogoThenTheClearedGameGoesToTheSaveScreen)
{
    const struct {
        const char* what;
        bool hold;
        bool musicListed;
    } cases[] = {{"music not listed", false, false}, {"no input", false, true}, {"every button held", true, true}};
    const Button buttons[] = {Button::Up, Button::Down, Button::Left, Button::Right, Button::A,
                              Button::B,  Button::D,    Button::E,    Button::F,     Button::G};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        qmtest::SaveBytes("data/tbl04/subset/event_bgm.tbl",
                          qmtest::BuildSoundList(c.musicListed ? std::vector<std::uint32_t>{56, 57, 11}
                                                               : std::vector<std::uint32_t>{56, 57}));
        TGameData* data = TGameData::GetInstance();
        data->SetSavePoint(4);
        data->SetFlag(1021, 0);
        const std::uint32_t usesBefore = TDxProbe::UseCount(*Music(), 11);
        driver_.sounds.clear();
        auto* ending = Begin<TEndingLoop>();
        EXPECT_EQ(Music()->IsLoaded(11), c.musicListed);
        EXPECT_TRUE(Played(2, 11));
        for (Button b : buttons) {
            qmtest::SceneDriver::Hold(b, c.hold);
        }
        const Frame* next = std::begin(kFrames);
        int end = 0;
        int pageStarts = 0;
        for (int step = 1; step <= 3400; ++step) {
            Step();
            if (driver_.Current() != ending) {
                end = step;
                break;
            }
            if (next != std::end(kFrames) && next->step == step) {
                ExpectFrame(*next++, driver_.draws);
            }
            // Every page comes in on its step.
            if (step >= 61 && (step - 61) % 243 == 0 && step < 2976) {
                const int page = (step - 61) / 243;
                ASSERT_EQ(driver_.draws.size(), 2u);
                EXPECT_EQ(driver_.draws[0].texture, Key("img", page));
                EXPECT_EQ(driver_.draws[0].x, -242.0F);
                ++pageStarts;
            }
            if (step == 3378) {
                // Not yet cleared.
                EXPECT_EQ(data->GetSavePoint(), 4);
                EXPECT_EQ(data->GetFlag(1021), 0);
            }
        }
        qmtest::SceneDriver::ReleaseAll();
        EXPECT_EQ(next, std::end(kFrames));
        EXPECT_EQ(pageStarts, 12);
        EXPECT_EQ(end, 3379);
        EXPECT_EQ(data->GetSavePoint(), 11);
        EXPECT_EQ(data->GetFlag(1021), 1);
        auto* hub = dynamic_cast<TChangeLoop*>(driver_.Current());
        ASSERT_NE(hub, nullptr);
        EXPECT_EQ(TSceneProbe::Mode(*hub), 3u);
        EXPECT_EQ(static_cast<std::int64_t>(TSceneProbe::MusicId(*hub)), 11);
        if (c.musicListed) {
            // The list's use went with the ending; the one kept for the hub stays.
            EXPECT_EQ(TDxProbe::UseCount(*Music(), 11), usesBefore + 1);
        }
        driver_.App()->PopScenesTo(0);
        while (TDxProbe::UseCount(*Music(), 11) != 0) {
            Music()->Unload(11);
        }
        Music()->PurgeUnused();
    }
}

// Held pages and the held logo allocate nothing beyond what their draws cost the layer below.
TEST_F(Ending, SteadyFramesAllocateNothing)
{
    if (!qmtest::AllocationProbe::Available()) {
        GTEST_SKIP() << "the allocation probe could not hook the allocator";
    }
    TLoop* ending = Begin<TEndingLoop>();
    driver_.RecordDraws(false);
    driver_.RecordSounds(false);
    int step = 0;
    for (const int at : {100, 3100}) {
        SCOPED_TRACE(at);
        for (; step < at; ++step) {
            driver_.Step();
        }
        EXPECT_EQ(qmtest::SteadyStepAllocations(driver_, ending), 0);
        step += 10;
    }
}

}  // namespace
