// The second story event once through every cue: eight cues over black (31, six of 62, 31), the
// first stage with its shake and sound, the black change of stage, the faces' 23 beats (a face still
// playing holds its cue), the closing cue's hold, and the field at the start of the game.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Map/TTownArea.h"
#include "MainCode/Scene/TEvent04_01Loop.h"
#include "dx/dx8/3d/TMesh8.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "event_fixture.h"
#include "support/dx_probe.h"
#include "support/frame_probe.h"
#include "support/scene_probe.h"

namespace {

class Event1 : public qmtest::EventScene {};

// The steps on which "cue" changes when every cue is taken again at once. Over black: released at
// 31, then 62 later six times (93 to 403), then 31 later (434) with the first stage. The first
// stage lets its cue go 50 steps after the shake's 8 runs end on its 17th step (435 + 16 = 451,
// sound 110 then): at 500. Back to black by 510 (cue left set), 101 black steps to 611, the
// 100-step fade-in to 711, the left cue let go at 712, then each beat as the heroine's face plays
// out on its ninth step (721 to 919), and the closing cue 100 steps after its face ends (928):
// 1027. Each "cue" is set the step after.
std::vector<int> ExpectedCueSteps()
{
    std::vector<int> released = {31, 93, 155, 217, 279, 341, 403, 434, 500, 712};
    for (int beat = 1; beat <= 23; ++beat) {
        released.push_back(712 + 9 * beat);
    }
    released.push_back(1027);
    for (int& step : released) {
        ++step;
    }
    return released;
}

TEST_F(Event1, EveryCueInTurnThenTheField)
{
    auto* event = Begin<TEvent04_01Loop>();
    TFrame* root = TSceneProbe::Root(*event);
    TFrame* camera = qmtest::ChildFrame(root, "Camera");
    TFrame* target = qmtest::ChildFrame(root, "CameraTarget");
    ASSERT_NE(camera, nullptr);
    ASSERT_NE(target, nullptr);
    // The shake moves the target's height over the first stage's first 18 steps.
    const float shake[18] = {0.0F, -0.1F, 0.0F, 0.1F, 0.0F, -0.1F, 0.0F, 0.1F, 0.0F,
                             -0.1F, 0.0F, 0.1F, 0.0F, -0.1F, 0.0F, 0.1F, 0.1F, 0.1F};
    std::vector<int> reached;
    std::vector<int> sound110;
    std::vector<int> blackSteps;  // steps drawn with the black sprite fully black
    int end = 0;
    for (int step = 1; step <= 1200 && end == 0; ++step) {
        const std::int32_t before = qmtest::CueReached();
        Step();
        if (Played(0, 110)) {
            sound110.push_back(step);
        }
        if (driver_.Current() != event) {
            end = step;
            break;
        }
        if (qmtest::CueReached() != before) {
            reached.push_back(step);
        }
        SCOPED_TRACE(step);
        const int alpha = FadeAlpha();
        if (alpha == 255) {
            blackSteps.push_back(step);
        }
        if (step <= 433) {
            // Over black: nothing but the camera frames under the root, no fade drawn.
            EXPECT_EQ(root->GetChildCount(), 2u);
            EXPECT_EQ(alpha, -1);
        } else if (step >= 435 && step <= 452) {
            EXPECT_NE(qmtest::ChildFrame(root, "BeforeScene"), nullptr);
            EXPECT_NEAR(qmtest::PositionOf(target).y, shake[step - 435], 1e-6F);
        }
        if (step == 510) {
            // The change of stage behind black: the second stage, the camera at its new points.
            EXPECT_EQ(qmtest::ChildFrame(root, "BeforeScene"), nullptr);
            EXPECT_NE(qmtest::ChildFrame(root, "AfterScene"), nullptr);
            qmtest::ExpectNear(qmtest::PositionOf(camera), D3DXVECTOR3(-1.13F, 1.27F, 2.19F));
            qmtest::ExpectNear(qmtest::PositionOf(target), D3DXVECTOR3(0.7F, 0.5F, -0.4F));
        }
        if (step >= 612 && step <= 710) {
            // The fade-in: 1.0 down to 0.02 of black; the step that ends it draws the faces alone.
            EXPECT_EQ(alpha, static_cast<int>((1.0F - static_cast<float>(step - 612) / 100.0F) * 255.0F));
        }
        if (step >= 711 && step <= 1027) {
            EXPECT_EQ(alpha, -1);  // the faces' beats draw no fade
        }
        TMesh8* heroine = root->FindMesh("Parp", true);
        TMesh8* hero = root->FindMesh("Grin", true);
        if (step == 711) {
            ASSERT_NE(heroine, nullptr);
            ASSERT_NE(hero, nullptr);
            EXPECT_EQ(heroine->GetMorphIndex(), 0u);
            EXPECT_EQ(hero->GetMorphIndex(), 0u);
        }
        if (step > 712 && step < 920 && (step - 712) % 9 == 0) {
            const auto beat = static_cast<std::uint32_t>((step - 712) / 9);
            EXPECT_EQ(heroine->GetMorphIndex(), beat);
            EXPECT_EQ(hero->GetMorphIndex(), beat);
        }
    }
    EXPECT_EQ(reached, ExpectedCueSteps());
    EXPECT_EQ(reached.size(), 34u);
    EXPECT_EQ(sound110, std::vector<int>{451});
    // Black: the step the first stage is put up and its first step, the change of stage and the
    // 101 steps after it, the second stage's first step.
    std::vector<int> black = {434, 435};
    for (int step = 510; step <= 612; ++step) {
        black.push_back(step);
    }
    EXPECT_EQ(std::vector<int>(blackSteps.begin(), std::find_if(blackSteps.begin(), blackSteps.end(),
                                                               [](int s) { return s > 1000; })),
              black);
    // Run-out with the last cue (1028), 100 steps back to black, then the field.
    EXPECT_EQ(end, 1129);
    auto* field = dynamic_cast<TFieldLoop*>(driver_.Current());
    ASSERT_NE(field, nullptr);
    EXPECT_NE(dynamic_cast<TTownArea*>(field->GetArea()), nullptr);
    EXPECT_EQ(field->GetArea()->GetMusicId(), qmtest::kEventFieldMusic);
    // At the start of the game (collision may nudge it a little), facing along its -z.
    D3DXVECTOR3 at;
    field->GetPlayer()->GetPosition(&at);
    EXPECT_LT(std::hypot(at.x + 8.0F, at.z - 17.0F), 0.1F);
    D3DXVECTOR3 back;
    field->GetPlayer()->GetFrame()->GetAxis(&back, 3);
    qmtest::ExpectNear(-back, D3DXVECTOR3(-1.0F, 0.0F, 0.0F));
    EXPECT_TRUE(qmtest::EventScriptsGone());
    EXPECT_EQ(TDxProbe::UseCount(*TDSound8::Instance()->GetBank(2), 52), 0u);
}

}  // namespace
