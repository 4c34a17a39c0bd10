// Game over counts only a decide pressed after its wait has begun: one held down through the death,
// or pressed while the picture comes in and held on into the wait, leaves nothing.
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Scene/TDieLoop.h"
#include "Scene/scene_flow_fixture.h"
#include "support/character_probe.h"
#include "support/main_probe.h"
#include "support/scene_probe.h"

namespace scenetest {
namespace {

class GameOverPress : public SceneFlow {};

// Darken takes steps 1 to 100, show 101 to 200 (the field music has long faded); the wait runs from
// step 201. Decide is held from the death, let go at "releaseAt", down again at "pressAt".
TEST_F(GameOverPress, OnlyAPressAfterTheWaitBeginsLeaves)
{
    StartStory();
    const struct {
        const char* what;
        int releaseAt;
        int pressAt;
        int letGoAt;  // 0: held on
        bool leaves;
    } cases[] = {
        {"held through the death into the wait", 0, 0, 0, false},
        {"tapped while the picture comes in", 150, 160, 170, false},
        {"pressed anew while the picture comes in", 150, 160, 0, false},
        {"pressed anew on the show's last step", 199, 200, 0, false},
        {"pressed on the wait's first step", 200, 201, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TFieldLoop* field = PlayFromTitle("battle");
        ASSERT_NE(field, nullptr);
        TCharacterProbe::ConsumeHp(*field->GetPlayer(), field->GetPlayer()->GetHp() + 26);
        Hold('Z', true);
        for (int i = 0; i < 5 && CurrentField() == field; ++i) {
            Step();
        }
        auto* die = dynamic_cast<TDieLoop*>(TMainProbe::CurrentScene(*app_));
        ASSERT_NE(die, nullptr);
        int leftAt = 0;
        for (int step = 1; step <= 260 && leftAt == 0; ++step) {
            if (step == c.releaseAt) {
                Hold('Z', false);
            }
            if (step == c.pressAt) {
                Hold('Z', true);
            }
            if (step == c.letGoAt) {
                Hold('Z', false);
            }
            Step();
            // Leaving takes the overlay from half to full black, a step at a time.
            if ((TSceneProbe::OverlayColor(*die) >> 24) > 127u) {
                leftAt = step;
            }
        }
        Hold('Z', false);
        // The press is read on its own step; the leave's first step still colours the overlay at
        // half black, its second one step darker.
        EXPECT_EQ(leftAt, c.leaves ? c.pressAt + 2 : 0);
    }
}

}  // namespace
}  // namespace scenetest
