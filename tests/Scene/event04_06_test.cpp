// Story event 306: the four figures' cues, the approach on one ramp, the flash with its sound, the
// second approach with the target still, the closing shot's hold and the hand-over to event 307
// through the hub; the flash under the message window and the black over it; the skip; which
// figures are reordered.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "MainCode/Scene/TChangeLoop.h"
#include "MainCode/Scene/TEvent04_06Loop.h"
#include "TCommon/my_error.h"
#include "dx/dx8/3d/TMesh8.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "event_fixture.h"
#include "formats/byte_writer.h"
#include "formats/script_assembler.h"
#include "support/dx_probe.h"
#include "support/frame_probe.h"
#include "support/scene_probe.h"

namespace {

using qmtest::Button;

const D3DXVECTOR3 K1(-2.0F, 1.0F, -7.0F);
const D3DXVECTOR3 K2(1.0F, 0.3F, -5.0F);
const D3DXVECTOR3 K3(0.5F, 0.65F, -2.8F);
const D3DXVECTOR3 K4(0.6F, 0.3F, -0.9F);
const D3DXVECTOR3 T1(-0.2F, 0.8F, 0.0F);
const D3DXVECTOR3 T2(0.0F, 1.0F, -0.6F);
const D3DXVECTOR3 T4(0.0F, 0.2F, -2.3F);

D3DXVECTOR3 Along(const D3DXVECTOR3& a, const D3DXVECTOR3& b, float t)
{
    return a + (b - a) * t;
}

class Event6 : public qmtest::EventScene {
protected:
    void Write(const std::vector<std::string>& script)
    {
        qmtest::ScriptFileWriter().Script("Event04_06", script).Save("data/scr04/04.pbsc");
    }
    // Ten cues; a line that waits for decide may stand before the given one.
    void WriteCues(int lineBefore)
    {
        std::vector<std::string> script = qmtest::Cues(10);
        if (lineBefore != 0) {
            script.insert(script.begin() + 2 * lineBefore - 1, "CALL @@SendMsg \"Text\" 0 \"光／\"");
        }
        Write(script);
    }
    // Alpha of the white full-screen rectangle drawn this step, -1 without one.
    int FlashAlpha() const
    {
        for (const TSpriteDrawRecord& d : driver_.draws) {
            if (d.kind == TSpriteDrawRecord::kRect && d.w == 640.0F && d.h == 480.0F &&
                (d.colors[0] & 0xFFFFFF) == 0xFFFFFF) {
                return static_cast<int>(d.colors[0] >> 24);
            }
        }
        return -1;
    }
    static TSoundBank* Music() { return TDSound8::Instance()->GetBank(2); }
    void ExpectHubTo307()
    {
        auto* hub = dynamic_cast<TChangeLoop*>(driver_.Current());
        ASSERT_NE(hub, nullptr);
        EXPECT_EQ(static_cast<std::int64_t>(TSceneProbe::EventId(*hub)), 307);
        EXPECT_EQ(static_cast<std::int64_t>(TSceneProbe::MusicId(*hub)), 56);
        // The event's own use went with it; the one for the hub's fade is held.
        EXPECT_EQ(TDxProbe::UseCount(*Music(), 56), 1u);
        EXPECT_EQ(std::count(driver_.sounds.begin(), driver_.sounds.end(),
                             TSoundBankRecord{TSoundBankRecord::kLoad, 2, 56}),
                  1);
        EXPECT_TRUE(qmtest::EventScriptsGone());
        driver_.App()->PopScenesTo(0);
        Music()->Unload(56);
    }
};

// Cues taken as soon as the figures have played out (on their ninth step), or one of them late.
// r6, r7, r8, r9: the steps cues 6 to 9 are let go ("cue" k is set the step after).
TEST_F(Event6, TheCuesTheApproachTheFlashAndTheClosingShot)
{
    const struct {
        const char* what;
        int lineBefore;
        int press;
        int r6, r7, r8, r9;
        int end;
    } cases[] = {
        // 10 steps of fade-in, cues 1 to 6 nine steps apart, the flash in 121 and out 41 steps, cue 9
        // after nine, the closing shot holds 201 steps once "Parp" has played out, the run-out, 10
        // steps back to black, the final step.
        {"at once", 0, 0, 64, 185, 226, 235, 456},
        // The approach runs its 500 steps (46 + 500) and holds at K2 until the cue.
        {"approach held at its end", 6, 600, 601, 722, 763, 772, 993},
        // The second approach runs its 30 steps and holds at K3 until the cue.
        {"second approach held", 9, 400, 64, 185, 226, 401, 622},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteCues(c.lineBefore);
        auto* event = Begin<TEvent04_06Loop>();
        TFrame* root = TSceneProbe::Root(*event);
        TFrame* camera = TSceneProbe::Camera(*event);
        TFrame* target = TSceneProbe::CameraTarget(*event);
        std::vector<int> reached;
        std::vector<int> flashSteps;
        std::vector<int> flashSound;
        int end = 0;
        for (int step = 1; step <= 1200 && end == 0; ++step) {
            SCOPED_TRACE(step);
            qmtest::SceneDriver::Hold(Button::A, step == c.press);
            const std::int32_t before = qmtest::CueReached();
            Step();
            if (Played(0, 504)) {
                flashSound.push_back(step);
            }
            if (driver_.Current() != event) {
                end = step;
                break;
            }
            if (qmtest::CueReached() != before) {
                reached.push_back(step);
            }
            const int flash = FlashAlpha();
            if (flash >= 0) {
                flashSteps.push_back(step);
            }
            if (step == 10) {
                // The fade-in's end: morph 0 on all four.
                for (const char* name : {"Grin", "Parp", "Red", "Silver"}) {
                    EXPECT_EQ(root->FindMesh(name, true)->GetMorphIndex(), 0u) << name;
                }
            }
            if (step <= 46) {
                qmtest::ExpectNear(qmtest::PositionOf(camera), K1);
            } else if (step <= c.r6) {
                // One ramp through both cues of the approach, held at its end.
                const float t = static_cast<float>(std::min(step - 46, 500)) / 500.0F;
                qmtest::ExpectNear(qmtest::PositionOf(camera), Along(K1, K2, t));
                qmtest::ExpectNear(qmtest::PositionOf(target), Along(T1, T2, t));
            } else if (step <= c.r8) {
                // The flash leaves the camera where the approach stopped.
                const float t = static_cast<float>(std::min(c.r6 - 46, 500)) / 500.0F;
                qmtest::ExpectNear(qmtest::PositionOf(camera), Along(K1, K2, t));
            } else if (step <= c.r9) {
                // From K2 to K3 over 30 steps; the target stays at T2 = T3.
                const float t = static_cast<float>(std::min(step - c.r8, 30)) / 30.0F;
                qmtest::ExpectNear(qmtest::PositionOf(camera), Along(K2, K3, t));
                qmtest::ExpectNear(qmtest::PositionOf(target), T2);
            } else {
                qmtest::ExpectNear(qmtest::PositionOf(camera), K4);
                qmtest::ExpectNear(qmtest::PositionOf(target), T4);
            }
            // The flash: clear for 100 steps, up over 20, white until cue 7; white for 20 more
            // steps, then down over 20.
            const struct {
                int at;
                int alpha;
            } flashes[] = {{c.r6, 0}, {c.r6 + 100, 0}, {c.r6 + 101, 12}, {c.r6 + 120, 255}, {c.r7 + 20, 255},
                           {c.r7 + 21, 242}, {c.r7 + 39, 12},  {c.r8 - 1, 0}};
            for (const auto& f : flashes) {
                if (step == f.at) {
                    EXPECT_EQ(flash, f.alpha);
                }
            }
        }
        qmtest::SceneDriver::Hold(Button::A, false);
        const std::vector<int> want = {20, 29, 38, 47, 56, c.r6 + 1, c.r7 + 1, c.r8 + 1, c.r9 + 1, end - 11};
        EXPECT_EQ(reached, want);
        EXPECT_EQ(end, c.end);
        EXPECT_EQ(flashSound, std::vector<int>{c.r7 + 1});
        ASSERT_FALSE(flashSteps.empty());
        // Drawn while the phase is one of the flash's: from the step cue 6 is let go.
        EXPECT_EQ(flashSteps.front(), c.r6);
        EXPECT_EQ(flashSteps.back(), c.r8 - 1);
        EXPECT_EQ(flashSteps.size(), static_cast<std::size_t>(c.r8 - c.r6));
        ExpectHubTo307();
    }
}

// The flash is drawn over the scene and under the message window; the black fade over both.
TEST_F(Event6, TheFlashLiesUnderTheMessageWindowAndTheBlackOverIt)
{
    std::vector<std::string> script = qmtest::Cues(10);
    script.insert(script.begin() + 13, "CALL @@SendMsg \"Text\" 0 \"まぶしい／\"");
    script.insert(script.begin() + 1, "CALL @@SendMsg \"Text\" 2 0 0");
    Write(script);
    auto* event = Begin<TEvent04_06Loop>();
    int step = 0;
    // Halfway up the flash (cue 7 waits behind the text): white over the screen, then the window.
    for (; step < 300 && FlashAlpha() != 0x7F; ++step) {
        Step();
    }
    ASSERT_GE(driver_.draws.size(), 2u);
    EXPECT_EQ(driver_.draws.front().kind, TSpriteDrawRecord::kRect);
    EXPECT_EQ(driver_.draws.front().colors[0], 0x7FFFFFFFu);
    EXPECT_EQ(driver_.draws.front().mode, 1);
    EXPECT_EQ(Fade(), nullptr);
    driver_.Press(Button::A);
    // On to the fade-out: the window's last picture under the black.
    for (; step < 700 && driver_.Current() == event && FadeAlpha() <= 0; ++step) {
        Step();
    }
    ASSERT_EQ(driver_.Current(), event);
    EXPECT_GT(driver_.draws.size(), 1u);
    EXPECT_EQ(FadeAlpha(), 25);  // the fade-out's first step: 0.1 of black
    EXPECT_EQ(FlashAlpha(), -1);
}

// Cancel held in any phase: black at once, music 56 over 50 steps, then the hub to 307 holding
// one use of it; no flash is drawn once skipping.
TEST_F(Event6, CancelInAnyPhaseHandsOverTo307)
{
    Write(qmtest::Cues(10));
    for (const int cancelAt : {1, 10, 11, 50, 100, 190, 230, 300, 450}) {
        SCOPED_TRACE(cancelAt);
        driver_.sounds.clear();
        TLoop* event = Begin<TEvent04_06Loop>();
        for (int step = 1; step < cancelAt; ++step) {
            Step();
        }
        qmtest::SceneDriver::Hold(Button::B, true);
        int end = 0;
        std::vector<TSoundBankRecord> sounds;
        for (int step = cancelAt; step <= cancelAt + 60; ++step) {
            Step();
            sounds.insert(sounds.end(), driver_.sounds.begin(), driver_.sounds.end());
            if (driver_.Current() != event) {
                end = step;
                break;
            }
            EXPECT_EQ(FadeAlpha(), 255);
            EXPECT_EQ(FlashAlpha(), -1);
        }
        qmtest::SceneDriver::Hold(Button::B, false);
        EXPECT_EQ(end, cancelAt + 51);
        driver_.sounds = sounds;
        ExpectHubTo307();
    }
}

// Three of the four figures draw their see-through triangles last; "Red" keeps its order.
TEST_F(Event6, AllButRedAreReordered)
{
    auto* event = Begin<TEvent04_06Loop>();
    const struct {
        const char* name;
        bool reordered;
    } cases[] = {{"Grin", true}, {"Parp", true}, {"Red", false}, {"Silver", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TMesh8* mesh = TSceneProbe::Root(*event)->FindMesh(c.name, true);
        ASSERT_NE(mesh, nullptr);
        const std::uint16_t* indices = mesh->LockIndicesReadOnly();
        ASSERT_NE(indices, nullptr);
        // The head (vertices 0 to 7) comes first in the file.
        const bool headFirst = indices[0] < 8;
        const std::uint32_t last = (mesh->GetFaceCount() - 1) * 3;
        const bool headLast = indices[last] < 8;
        mesh->UnlockIndices();
        EXPECT_EQ(headFirst, !c.reordered);
        EXPECT_EQ(headLast, c.reordered);
    }
}

// A model that cannot be read ends the construction with my_error naming it.
TEST_F(Event6, AMissingModelThrowsNamingIt)
{
    for (const char* model : {"event04/event07_hero.tob", "event04/event07_heroine.tob", "event04/event07_red.tob",
                              "event04/event07_silver.tob", "event04/d05_00forEvent.msh"}) {
        SCOPED_TRACE(model);
        const std::string path = std::string("data/msh04/") + model;
        const std::vector<std::uint8_t> kept = qmtest::LoadBytes(path);
        std::filesystem::remove(path);
        try {
            delete new TEvent04_06Loop(driver_.App());
            ADD_FAILURE() << "no error";
        } catch (const my_error& e) {
            EXPECT_NE(std::string(e.what()).find(model), std::string::npos) << e.what();
        }
        qmtest::SaveBytes(path, kept);
    }
}

}  // namespace
