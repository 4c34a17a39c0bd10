// The four later story events on one table: each takes its cues in turn as its faces play out and
// ends on its own field, or with cancel held goes black and ends on the same field once its music
// has faded. Then what each does of its own: the knights' loops, the hero never waited for, the
// closing pause, the explosion, and which figures draw their faces last.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "MainCode/Scene/TEvent04_02Loop.h"
#include "MainCode/Scene/TEvent04_03Loop.h"
#include "MainCode/Scene/TEvent04_04Loop.h"
#include "MainCode/Scene/TEvent04_05Loop.h"
#include "dx/dx8/3d/TD3D8.h"
#include "dx/dx8/3d/TMesh8.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "event_fixture.h"
#include "formats/event_assets.h"
#include "platform/testing/win32.h"
#include "support/dx_probe.h"
#include "support/frame_probe.h"
#include "support/scene_probe.h"

namespace {

using qmtest::Button;

struct LaterEvent {
    const char* name;
    std::function<TLoop*(TGameWnd*)> make;
    std::uint32_t music;
    // Steps on which the script went on past a cue (the step after the event took it).
    std::vector<int> cueSteps;
    int end;
    D3DXVECTOR3 at;
    const char* boxScript;  // the box of the field it ends on
    // Fog (on, start, end, colour), far plane, and the colour the draw clears to.
    bool fog;
    float fogStart;
    float fogEnd;
    D3DCOLOR fogColour;
    float farZ;
    D3DCOLOR clear;
};

// Every figure's morph plays out on its ninth step. Each event fades in over 10 steps and starts
// its cues on the 11th: a cue every 9 steps. 304 and 305 hold the closing cue 200 steps after the
// heroine's last morph ends; 305's seventh cue waits out the explosion's 60 animation steps, then
// the heroine's morph. The script runs out the step after the last cue, 10 steps of fade follow.
std::vector<int> Every9(int first, int count)
{
    std::vector<int> steps;
    for (int i = 0; i < count; ++i) {
        steps.push_back(first + 9 * i);
    }
    return steps;
}

std::vector<int> Join(std::vector<int> a, const std::vector<int>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const D3DXVECTOR3 kMist(-9.0F, 2.5F, 182.0F);
const D3DXVECTOR3 kCave(34.0F, 0.0F, 108.0F);
const D3DXVECTOR3 kNorth(0.0F, 0.0F, -1.0F);

std::vector<LaterEvent> Events()
{
    return {
        {"302", [](TGameWnd* app) { return new TEvent04_02Loop(app); }, 53, Every9(20, 4), 58, kMist,
         "m04.pbsc/ToEvent303", true, 5.0F, 35.0F, 0xFFDBD1FF, 40.0F, 0xFFDBD1FF},
        {"303", [](TGameWnd* app) { return new TEvent04_03Loop(app); }, 53, Every9(20, 4), 58, kMist,
         "m04.pbsc/ToEvent304", true, 5.0F, 35.0F, 0xFFDBD1FF, 40.0F, 0xFFDBD1FF},
        {"304", [](TGameWnd* app) { return new TEvent04_04Loop(app); }, 54, Join(Every9(20, 15), {355}), 366, kCave,
         "m04.pbsc/ToEvent305", false, 100.0F, 200.0F, 0xFFFFFFFF, 28.0F, 0xFF000000},
        {"305", [](TGameWnd* app) { return new TEvent04_05Loop(app); }, 55,
         Join(Join(Every9(20, 6), Every9(134, 17)), {487}), 498, kCave, "m04.pbsc/ToEvent306", false, 100.0F, 200.0F,
         0xFFFFFFFF, 30.0F, 0xFF000000},
    };
}

class LaterEvents : public qmtest::EventScene {
protected:
    TLoop* BeginEvent(const LaterEvent& e)
    {
        TLoop* event = e.make(driver_.App());
        driver_.App()->PopScenesTo(0);
        driver_.App()->ReplaceScene(event);
        return event;
    }
    static TSoundBank* Music() { return TDSound8::Instance()->GetBank(2); }
};

TEST_F(LaterEvents, EachTakesItsCuesInTurnAndEndsOnItsField)
{
    for (const LaterEvent& e : Events()) {
        SCOPED_TRACE(e.name);
        TLoop* event = BeginEvent(e);
        EXPECT_EQ(TDxProbe::UseCount(*Music(), e.music), 1u);
        bool fog = false;
        float start = 0.0F;
        float fogEnd = 0.0F;
        D3DCOLOR colour = 0;
        TD3D8::Instance()->GetFog(&fog, &start, &fogEnd, &colour);
        EXPECT_EQ(fog, e.fog);
        EXPECT_EQ(start, e.fogStart);
        EXPECT_EQ(fogEnd, e.fogEnd);
        EXPECT_EQ(colour, e.fogColour);
        EXPECT_FLOAT_EQ(TSceneProbe::View(*static_cast<TEventLoop*>(event))->GetFar(), e.farZ);
        EXPECT_FLOAT_EQ(TDxProbe::Near(*TSceneProbe::View(*static_cast<TEventLoop*>(event))), 0.1F);
        std::vector<int> alphas;
        std::vector<int> cues;
        const int end = StepThrough(
            event, 600,
            [&](int step) {
                alphas.push_back(FadeAlpha());
                if (step == 15) {
                    // A corner the stage leaves empty shows the clear colour.
                    const platform::RgbaImage screen = qmtest::SceneDriver::Screen();
                    const std::uint8_t* p = screen.At(2, 2);
                    EXPECT_EQ(p[0], (e.clear >> 16) & 0xFF);
                    EXPECT_EQ(p[1], (e.clear >> 8) & 0xFF);
                    EXPECT_EQ(p[2], e.clear & 0xFF);
                }
            },
            &cues);
        EXPECT_EQ(cues, e.cueSteps);
        EXPECT_EQ(end, e.end);
        ASSERT_GT(alphas.size(), 12u);
        // Black first, cleared over 10 steps (the tenth draws the stage alone), no fade through the
        // cues; the run-out's step draws the fade-out's sprite as the fade-in left it, then back to
        // black over 10 steps (the last drawn is 0.9 of black). Alphas truncate value × 255.
        const std::vector<int> fadeIn = {255, 229, 204, 178, 153, 127, 101, 76, 50, -1, -1};
        EXPECT_EQ(std::vector<int>(alphas.begin(), alphas.begin() + 11), fadeIn);
        const std::vector<int> fadeOut = {25, 0, 25, 50, 76, 101, 127, 153, 178, 204, 229};
        EXPECT_EQ(std::vector<int>(alphas.end() - 11, alphas.end()), fadeOut);
        EXPECT_EQ(alphas[alphas.size() - 12], -1);
        ExpectField(e.at, kNorth, e.boxScript);
        EXPECT_EQ(TDxProbe::UseCount(*Music(), e.music), 0u);
    }
}

// Cancel held: black at once, the music fades over 50 steps, then the same field as the end.
TEST_F(LaterEvents, CancelHeldSkipsToTheSameFieldBehindTheMusicsFade)
{
    for (const LaterEvent& e : Events()) {
        for (int cancelAt : {1, 10, 11, 30, e.end - 5}) {
            SCOPED_TRACE(std::string(e.name) + " at " + std::to_string(cancelAt));
            TLoop* event = BeginEvent(e);
            ASSERT_EQ(StepThrough(event, cancelAt - 1), 0);
            qmtest::SceneDriver::Hold(Button::B, true);
            Step();
            EXPECT_EQ(FadeAlpha(), 255);
            EXPECT_EQ(StepThrough(event, 80), 51);
            qmtest::SceneDriver::Hold(Button::B, false);
            ExpectField(e.at, kNorth, e.boxScript);
            EXPECT_EQ(TDxProbe::UseCount(*Music(), e.music), 0u);
        }
    }
}

}  // namespace

namespace {

// An event object of the test folder rewritten: each morph's frames at this step (0.125: a morph
// of three frames plays out on its 17th step), or each morph a single frame (out on its first).
void RewriteMorphs(const std::string& file, float step, bool single = false)
{
    for (auto [name, mesh] : qmtest::EventMeshes()) {
        if (name == file) {
            for (qmtest::MeshMorph& m : mesh.morphs) {
                if (single) {
                    m.keyFrames = {0};
                    m.steps = {1.0F};
                }
                for (float& s : m.steps) {
                    s = single ? 1.0F : step;
                }
            }
            mesh.Save("data/msh04/" + file);
            return;
        }
    }
    FAIL() << file;
}

TEST_F(LaterEvents, KnightsStandAboutThePairAndLoopOutOfStepThroughTheTalk)
{
    auto* event = Begin<TEvent04_02Loop>();
    TFrame* root = TSceneProbe::Root(*event);
    TMesh8* knights[4];
    const struct {
        D3DXVECTOR3 at;
    } stand[4] = {{{0.5F, 0.0F, 4.2F}}, {{0.5F, 0.0F, 1.8F}}, {{1.7F, 0.0F, 3.1F}}, {{-0.4F, 0.0F, 2.9F}}};
    for (int n = 0; n < 4; ++n) {
        SCOPED_TRACE(n);
        knights[n] = root->FindMesh("Knight" + std::to_string(n), true);
        ASSERT_NE(knights[n], nullptr);
        TFrame* frame = root->GetChild(4 + static_cast<std::size_t>(n));
        EXPECT_EQ(frame->GetName(), "GhostFrame");
        EXPECT_EQ(frame->FindMesh("Knight" + std::to_string(n), false), knights[n]);
        qmtest::ExpectNear(qmtest::PositionOf(frame), stand[n].at);
        // Facing the pair, who stand at the origin: its back (z) points away from it.
        D3DXVECTOR3 back;
        frame->GetAxis(&back, 3);
        const float length = std::hypot(stand[n].at.x, stand[n].at.z);
        qmtest::ExpectNear(back, D3DXVECTOR3(stand[n].at.x / length, 0.0F, stand[n].at.z / length));
    }
    TMesh8* hero = root->FindMesh("Hero", true);
    TMesh8* heroine = root->FindMesh("Heroine", true);
    // Morph times of the four knights after these steps: still through the fade-in, then half a
    // frame a step, each wrapping to 0 past its last frame (4).
    const struct {
        int step;
        float times[4];
    } loops[] = {
        {10, {0.0F, 1.0F, 2.0F, 3.0F}}, {11, {0.5F, 1.5F, 2.5F, 3.5F}}, {12, {1.0F, 2.0F, 3.0F, 4.0F}},
        {13, {1.5F, 2.5F, 3.5F, 0.0F}}, {15, {2.5F, 3.5F, 0.0F, 1.0F}}, {46, {0.0F, 1.0F, 2.0F, 3.0F}},
    };
    // The faces' morph after these steps: each cue sets the next; the fourth changes nothing.
    const struct {
        int step;
        std::uint32_t morph;
    } faces[] = {{18, 0}, {19, 1}, {27, 1}, {28, 2}, {37, 3}, {46, 3}, {50, 3}};
    std::vector<int> cues;
    const int end = StepThrough(
        event, 100,
        [&](int step) {
            for (const auto& l : loops) {
                if (l.step == step) {
                    SCOPED_TRACE(step);
                    for (int n = 0; n < 4; ++n) {
                        EXPECT_FLOAT_EQ(knights[n]->GetMorphTime(), l.times[n]);
                        EXPECT_EQ(knights[n]->GetMorphIndex(), 0u);
                    }
                }
            }
            for (const auto& f : faces) {
                if (f.step == step) {
                    SCOPED_TRACE(step);
                    EXPECT_EQ(hero->GetMorphIndex(), f.morph);
                    EXPECT_EQ(heroine->GetMorphIndex(), f.morph);
                }
            }
        },
        &cues);
    EXPECT_EQ(cues, (std::vector<int>{20, 29, 38, 47}));
    EXPECT_EQ(end, 58);
}

// The heroine's morph gates each cue, the hero's never does.
TEST_F(LaterEvents, OnlyTheHeroinesMorphHoldsTheCuesOfTheTalk)
{
    const struct {
        const char* slow;  // the object whose morphs take 17 steps
        std::vector<int> cues;
    } cases[] = {
        {"", {20, 29, 38, 47}},
        {"event04/event04_hero.tob", {20, 29, 38, 47}},
        {"event04/event04_heroine.tob", {28, 45, 62, 79}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.slow);
        qmtest::WriteEventMeshes(".");
        if (*c.slow != '\0') {
            RewriteMorphs(c.slow, 0.125F);
        }
        auto* event = Begin<TEvent04_03Loop>();
        std::vector<int> cues;
        EXPECT_EQ(StepThrough(event, 200, {}, &cues), c.cues.back() + 11);
        EXPECT_EQ(cues, c.cues);
    }
}

// Every cue sets its morph on all three; the closing cue then waits 201 steps on which the
// heroine's last morph has ended, however long that morph plays.
TEST_F(LaterEvents, FifteenCuesOnAllThreeThenTheClosingPauseAfterTheHeroine)
{
    const struct {
        bool slow;
        int lastCue;  // the step the fifteenth cue is taken
        int closing;  // the step the closing cue is let go
    } cases[] = {{false, 145, 354}, {true, 265, 482}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.slow);
        qmtest::WriteEventMeshes(".");
        if (c.slow) {
            RewriteMorphs("event04/event05_heroine.tob", 0.125F);
        }
        auto* event = Begin<TEvent04_04Loop>();
        TFrame* root = TSceneProbe::Root(*event);
        TMesh8* cast[3] = {root->FindMesh("Grin", true), root->FindMesh("Parp", true), root->FindMesh("Black", true)};
        qmtest::ExpectNear(qmtest::PositionOf(qmtest::ChildFrame(root, "BlackFrame")), D3DXVECTOR3(0.0F, 0.0F, 1.0F));
        qmtest::ExpectNear(qmtest::PositionOf(qmtest::ChildFrame(root, "GrinFrame")), D3DXVECTOR3(0.0F, 0.0F, 0.0F));
        qmtest::ExpectNear(qmtest::PositionOf(qmtest::ChildFrame(root, "MapFrame")), D3DXVECTOR3(-34.0F, 0.0F, -108.0F));
        const int every = c.slow ? 17 : 9;
        std::vector<int> cues;
        const int end = StepThrough(
            event, 700,
            [&](int step) {
                // Between cues all three stand on the morph the last cue set.
                if (step > 10 && step <= c.lastCue) {
                    const auto morph = static_cast<std::uint32_t>((step - 10) / every);
                    for (TMesh8* m : cast) {
                        EXPECT_EQ(m->GetMorphIndex(), morph) << step;
                    }
                }
            },
            &cues);
        ASSERT_EQ(cues.size(), 16u);
        EXPECT_EQ(cues[14], c.lastCue + 1);
        EXPECT_EQ(cues[15], c.closing + 1);
        EXPECT_EQ(end, c.closing + 12);
    }
}

float EmissiveRed(TFrame* explosion)
{
    return explosion->FindMesh("bomb01_msh", true)->GetMaterial(0).GetMaterial().Emissive.r;
}

// The sixth cue sets the explosion off with its sound; the glow rises over 15 steps, restarts at
// full on the next and falls over 45; the step after it reached 0 the explosion leaves the scene
// with its colour untouched. Its animation time runs 0 to 5 over 60 steps, and only then does the
// heroine's morph go on, so the seventh cue comes after them however soon the script waits. A
// seventh cue taken on the 61st step leaves the phase before the step that takes the explosion
// away: it then stays in the scene, at its last glow, to the end.
TEST_F(LaterEvents, TheExplosionFlaresGlowsFadesAndHoldsTheSeventhCue)
{
    const struct {
        bool quick;  // the heroine's morphs out on their first step
        int setOff;  // the step of the sixth cue
        int seventh;  // the step the script goes on past the seventh cue
    } cases[] = {{false, 64, 134}, {true, 16, 78}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.quick);
        qmtest::WriteEventMeshes(".");
        if (c.quick) {
            RewriteMorphs("event04/event06_heroine.tob", 1.0F, true);
        }
        auto* event = Begin<TEvent04_05Loop>();
        TFrame* root = TSceneProbe::Root(*event);
        TFrame* explosion = TSceneProbe::Explosion(*event);
        ASSERT_NE(explosion, nullptr);
        qmtest::ExpectNear(qmtest::PositionOf(explosion), D3DXVECTOR3(0.6F, 0.7F, 1.6F));
        // Steps into the explosion phase: glow value, animation time (-1: not checked).
        const struct {
            int j;
            float glow;
            float time;
        } glow[] = {{1, 1.0F / 15.0F, 0.0F},        {2, 2.0F / 15.0F, 5.0F / 60.0F}, {14, 14.0F / 15.0F, -1.0F},
                    {15, 1.0F, 70.0F / 60.0F},      {16, 1.0F, 75.0F / 60.0F},       {17, 44.0F / 45.0F, -1.0F},
                    {60, 1.0F / 45.0F, 295.0F / 60.0F}, {61, 0.0F, 5.0F}};
        std::vector<int> sounds;
        std::vector<int> cues;
        const int end = StepThrough(
            event, 700,
            [&](int step) {
                if (Played(0, 500)) {
                    sounds.push_back(step);
                }
                const int j = step - c.setOff;
                EXPECT_EQ(explosion->GetParent() == root, j >= 0 && (j <= 61 || c.quick)) << step;
                for (const auto& g : glow) {
                    if (g.j == j) {
                        SCOPED_TRACE(j);
                        EXPECT_NEAR(EmissiveRed(explosion), 0.4F * g.glow, 1e-5F);
                        if (g.time >= 0.0F) {
                            EXPECT_NEAR(TDxProbe::AnimationTime(*explosion), g.time, 1e-4F);
                        }
                    }
                }
                if (j == 61) {
                    // A mark the step of the detach must leave alone.
                    explosion->SetEmissiveRGB(0.9F, 0.9F, 0.9F, true, false);
                }
                if (j == 62 && !c.quick) {
                    EXPECT_FLOAT_EQ(EmissiveRed(explosion), 0.9F);
                }
            },
            &cues);
        EXPECT_EQ(sounds, std::vector<int>{c.setOff});
        ASSERT_EQ(cues.size(), 24u);
        EXPECT_EQ(cues[5], c.setOff + 1);
        EXPECT_EQ(cues[6], c.seventh);
        EXPECT_NE(end, 0);
    }
}

// Skipped while the explosion is in the scene: it stays there to the end and goes with the scene.
TEST_F(LaterEvents, SkippedWithTheExplosionUpItEndsWithIt)
{
    auto* event = Begin<TEvent04_05Loop>();
    TFrame* explosion = TSceneProbe::Explosion(*event);
    ASSERT_EQ(StepThrough(event, 69), 0);
    ASSERT_EQ(explosion->GetParent(), TSceneProbe::Root(*event));
    qmtest::SceneDriver::Hold(Button::B, true);
    EXPECT_EQ(StepThrough(event, 80, [&](int) { EXPECT_EQ(explosion->GetParent(), TSceneProbe::Root(*event)); }), 52);
    qmtest::SceneDriver::Hold(Button::B, false);
    ExpectField(kCave, kNorth, "m04.pbsc/ToEvent306");
}

// Without its frame file the event logs the file once and plays on as it would, with no explosion.
TEST_F(LaterEvents, AMissingExplosionIsLoggedOnceAndTheEventPlaysOn)
{
    std::filesystem::remove("data/frm04/effect/bomb01.frm");
    // The log goes beside the executable.
    platform::OverrideModuleFileName((dir_.Path() / "quillmark4").string());
    auto* event = Begin<TEvent04_05Loop>();
    EXPECT_EQ(TSceneProbe::Explosion(*event), nullptr);
    std::vector<int> cues;
    int sounds = 0;
    EXPECT_EQ(StepThrough(event, 700, [&](int) { sounds += Played(0, 500) ? 1 : 0; }, &cues), 498);
    EXPECT_EQ(cues, Events()[3].cueSteps);
    EXPECT_EQ(sounds, 1);
    platform::OverrideModuleFileName("");
    std::ifstream log("ErrorLog.txt");
    const std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    std::size_t count = 0;
    for (std::size_t at = text.find("bomb01.frm"); at != std::string::npos; at = text.find("bomb01.frm", at + 1)) {
        ++count;
    }
    EXPECT_EQ(count, 1u) << text;
}

// The figures of the talks draw their face region last, as a character's body does; the mist's
// faces and the red figure keep their files' order (the head first).
TEST_F(LaterEvents, FiguresMadeReadyAsBodiesDrawTheirFacesLast)
{
    const struct {
        const char* event;
        std::function<TEventLoop*(TGameWnd*)> make;
        std::vector<std::pair<const char*, bool>> meshes;  // name, face region moved last
    } cases[] = {
        {"302", [](TGameWnd* app) { return new TEvent04_02Loop(app); }, {{"Hero", false}, {"Heroine", false}}},
        {"303", [](TGameWnd* app) { return new TEvent04_03Loop(app); }, {{"Hero", true}, {"Heroine", true}}},
        {"304", [](TGameWnd* app) { return new TEvent04_04Loop(app); },
         {{"Grin", true}, {"Parp", true}, {"Black", true}}},
        {"305", [](TGameWnd* app) { return new TEvent04_05Loop(app); },
         {{"Grin", true}, {"Parp", true}, {"Black", true}, {"Red", false}}},
    };
    for (const auto& c : cases) {
        std::unique_ptr<TEventLoop> event(c.make(driver_.App()));
        for (const auto& [name, moved] : c.meshes) {
            SCOPED_TRACE(std::string(c.event) + " " + name);
            TMesh8* mesh = TSceneProbe::Root(*event)->FindMesh(name, true);
            ASSERT_NE(mesh, nullptr);
            const std::uint16_t* indices = mesh->LockIndicesReadOnly();
            const std::size_t last = mesh->GetFaceCount() * 3u - 1;
            // The head's eight corners come first in the file.
            EXPECT_EQ(indices[0] >= 8, moved);
            EXPECT_EQ(indices[last] < 8, moved);
            mesh->UnlockIndices();
        }
    }
}

}  // namespace
