// The story road on from the town where the opening events leave the player, on the generated
// folder: into the town's box, through event 302 to the mist, its box to 303, on to the cave and
// 304, its box to 305 and the field after it, whose box leads on to 306. Once through every cue with
// the player reading every line, once with cancel held through each event; each hand-over's map, place
// and facing checked.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <string>

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TCamera.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Map/TMapScriptObject.h"
#include "MainCode/Scene/TChangeLoop.h"
#include "MainCode/Scene/TEvent04_02Loop.h"
#include "MainCode/Scene/TEvent04_03Loop.h"
#include "MainCode/Scene/TEvent04_04Loop.h"
#include "MainCode/Scene/TEvent04_05Loop.h"
#include "MainCode/Scene/TEvent04_06Loop.h"
#include "MainCode/Script/TMessageWindow.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "make-sample-data/SampleData.h"
#include "SampleData/sample_folder_copy.h"
#include "support/field_walk.h"
#include "support/golden.h"
#include "support/scene_driver.h"
#include "support/scene_probe.h"
#include "support/temp_dir.h"
#include "support/map_probe.h"

namespace {

namespace fs = std::filesystem;
using qmtest::Button;

constexpr int kStepLimit = 3000;

// Each event, the field it ends on (its box's script, "" for none) and where.
struct Leg {
    std::uint32_t event;
    const char* golden;
    const char* boxScript;
    D3DXVECTOR3 at;
};

const Leg kLegs[] = {
    {302, "StoryEvent302Knights", "m04.pbsc/ToEvent303", {-9.0F, 2.5F, 182.0F}},
    {303, "StoryEvent303Talk", "m04.pbsc/ToEvent304", {-9.0F, 2.5F, 182.0F}},
    {304, "StoryEvent304Talk", "m04.pbsc/ToEvent305", {34.0F, 0.0F, 108.0F}},
    {305, "StoryEvent305Explosion", "m04.pbsc/ToEvent306", {34.0F, 0.0F, 108.0F}},
};

class LaterStoryRoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        qmtest::CopySampleFolder(dir_.Path());
        ASSERT_TRUE(driver_.Start());
        driver_.Steps(8);
        // In the town, in its box west of where the opening events leave the player. (Until the
        // town's ground reaches that far west, the player stands in the box rather than walking
        // there from the start.)
        driver_.App()->PopScenesTo(0);
        driver_.App()->ReplaceScene(TFieldLoop::CreateAtPosition(driver_.App(), "04.pbms/t04_00", kTownBox, kWest, kTownBox));
        driver_.Step();
    }
    void TearDown() override { qmtest::SceneDriver::ReleaseAll(); }

    TFieldLoop* Field() const { return dynamic_cast<TFieldLoop*>(driver_.Current()); }

    // Walks the player to target until the field hands over to the hub; the steps it took. The
    // eye's farthest place east on the way, when asked.
    int WalkIntoBox(const D3DXVECTOR3& target, float* eastmostEye = nullptr)
    {
        TFieldLoop* field = Field();
        int steps = 0;
        while (driver_.Current() == field && steps < 600) {
            if (eastmostEye != nullptr) {
                *eastmostEye = std::max(*eastmostEye, Eye(field).x);
            }
            qmtest::WalkTowards(field, target);
            driver_.Step();
            ++steps;
        }
        qmtest::ReleaseArrows();
        return steps;
    }
    static D3DXVECTOR3 Eye(TFieldLoop* field)
    {
        D3DXVECTOR3 eye;
        field->GetArea()->GetCamera()->GetFrame()->GetPosition(&eye);
        return eye;
    }

    // The hub the box's script asked for hands over, after its fade, to the event it names.
    TLoop* PassHub(std::uint32_t event)
    {
        auto* hub = dynamic_cast<TChangeLoop*>(driver_.Current());
        EXPECT_NE(hub, nullptr);
        if (hub == nullptr) {
            return nullptr;
        }
        EXPECT_EQ(TSceneProbe::EventId(*hub), static_cast<std::int32_t>(event));
        for (int i = 0; i < 120 && driver_.Current() == hub; ++i) {
            driver_.Step();
        }
        TLoop* next = driver_.Current();
        const bool right = event == 302   ? dynamic_cast<TEvent04_02Loop*>(next) != nullptr
                           : event == 303 ? dynamic_cast<TEvent04_03Loop*>(next) != nullptr
                           : event == 304 ? dynamic_cast<TEvent04_04Loop*>(next) != nullptr
                           : event == 305 ? dynamic_cast<TEvent04_05Loop*>(next) != nullptr
                                          : dynamic_cast<TEvent04_06Loop*>(next) != nullptr;
        EXPECT_TRUE(right) << event;
        return next;
    }

    // The player on the field an event ended on, at its start facing -z, the event's parts gone.
    void ExpectField(const Leg& leg)
    {
        TFieldLoop* field = Field();
        ASSERT_NE(field, nullptr);
        D3DXVECTOR3 at;
        field->GetPlayer()->GetPosition(&at);
        EXPECT_LT(std::hypot(at.x - leg.at.x, at.z - leg.at.z), 0.1F);
        EXPECT_NEAR(at.y, leg.at.y, 0.1F);
        D3DXVECTOR3 back;
        field->GetPlayer()->GetFrame()->GetAxis(&back, 3);
        EXPECT_NEAR(back.x, 0.0F, 1e-4F);
        EXPECT_NEAR(back.z, 1.0F, 1e-4F);
        std::string script;
        for (const auto& object : TMapProbe::Objects(*field->GetArea())) {
            if (auto* box = dynamic_cast<TMapScriptBox*>(object.Get())) {
                script = TMapProbe::ScriptKey(*box);
            }
        }
        EXPECT_EQ(script, leg.boxScript);
        EXPECT_EQ(driver_.App()->GetSceneCount(), 1);
        EXPECT_EQ(TScriptProcessManager::Get(), nullptr);
        EXPECT_FALSE(fs::exists(dir_.Path() / "ErrorLog.txt"));
    }

    // Runs the road: the event in each leg played by play, then the field checked and walked on.
    void Road(const std::function<int(TLoop*, const Leg&)>& play)
    {
        EXPECT_GT(WalkIntoBox(kTownBox), 1);
        for (const Leg& leg : kLegs) {
            SCOPED_TRACE(leg.event);
            TLoop* event = PassHub(leg.event);
            ASSERT_NE(event, nullptr);
            EXPECT_LT(play(event, leg), kStepLimit);
            ExpectField(leg);
            // The box a few steps ahead. The cave's keyed eye starts behind the arrival and moves
            // out to the east side as the walk nears the way on.
            const bool cave = leg.at.z == 108.0F;
            float eastmost = -1e9F;
            if (cave) {
                const D3DXVECTOR3 eye = Eye(Field());
                EXPECT_GT(eye.z, leg.at.z + 2.0F);
                EXPECT_NEAR(eye.x, leg.at.x, 0.5F);
            }
            EXPECT_GT(WalkIntoBox(leg.at + D3DXVECTOR3(0.0F, 0.0F, -6.5F), cave ? &eastmost : nullptr), 1);
            if (cave) {
                EXPECT_GT(eastmost, leg.at.x + 2.0F) << eastmost;
            }
        }
        // The cave's last box leads on to the shrine, where the end of the story begins.
        EXPECT_NE(PassHub(306), nullptr);
    }

    static inline const D3DXVECTOR3 kTownBox{-13.5F, 0.0F, 17.0F};
    static inline const D3DXVECTOR3 kWest{-1.0F, 0.0F, 0.0F};
    qmtest::TempDir dir_;
    qmtest::SceneDriver driver_{dir_.Path()};
};

TEST_F(LaterStoryRoad, EveryCueOfTheFourEventsAndTheFieldAfterEach)
{
    Road([&](TLoop* scene, const Leg& leg) {
        bool pressed = false;
        bool shown = false;
        int steps = 0;
        int look = 0;
        while (driver_.Current() == scene && steps < kStepLimit) {
            TMessageWindow* window = qmtest::MessageWindow();
            pressed = !pressed && window != nullptr && window->IsWaitingForButton();
            qmtest::SceneDriver::Hold(Button::A, pressed);
            driver_.Step();
            ++steps;
            if (driver_.Current() != scene) {
                break;
            }
            // 302 to 304: the stage 60 steps in, the first line shown; 305: the glow at its height
            // (the 15th step after the step that set it off).
            bool now = false;
            if (leg.event == 305) {
                TFrame* explosion = TSceneProbe::Explosion(*static_cast<TEvent04_05Loop*>(scene));
                look = explosion != nullptr && explosion->GetParent() != nullptr ? look + 1 : 0;
                now = look == 16;
            } else {
                now = steps == 60;
            }
            if (now && !shown) {
                shown = true;
                EXPECT_TRUE(qmtest::MatchesGolden(qmtest::SceneDriver::Screen(), leg.golden));
            }
        }
        qmtest::SceneDriver::Hold(Button::A, false);
        EXPECT_TRUE(shown);
        return steps;
    });
}

TEST_F(LaterStoryRoad, CancelHeldSkipsEachEventToTheSameField)
{
    Road([&](TLoop* scene, const Leg&) {
        qmtest::SceneDriver::Hold(Button::B, true);
        int steps = 0;
        while (driver_.Current() == scene && steps < 200) {
            driver_.Step();
            ++steps;
        }
        qmtest::SceneDriver::Hold(Button::B, false);
        // Black at once, then the music's 50-step fade.
        EXPECT_EQ(steps, 52);
        return steps;
    });
}

// The mist's and the cave's floors end where a low rim of rocks is drawn: walked east from the
// start, the hero stops against the rim, which stands in the picture before him.
TEST_F(LaterStoryRoad, TheStoryFieldsFloorsEndAtTheirRimsOfRock)
{
    struct Rim {
        const char* map;
        D3DXVECTOR3 start;
        float edge;  // the floor's east edge, under the rim's middle
        const char* golden;
    };
    const Rim rims[] = {{"04.pbms/m07_00", {-9.0F, 2.5F, 182.0F}, 4.4F, "StoryMistRim"},
                        {"04.pbms/d05_00boss1", {34.0F, 0.0F, 108.0F}, 46.0F, "StoryCaveRim"}};
    const D3DXVECTOR3 east{1.0F, 0.0F, 0.0F};
    // A new game's settings: the minimap on.
    TGameData::GetInstance()->Reset();
    for (const Rim& rim : rims) {
        SCOPED_TRACE(rim.map);
        driver_.App()->PopScenesTo(0);
        TFieldLoop* made = TFieldLoop::CreateAtPosition(driver_.App(), rim.map, rim.start, east, rim.start);
        driver_.App()->ReplaceScene(made);
        ASSERT_TRUE(driver_.StepUntil([&] { return driver_.Current() == made; }, 10));
        TFieldLoop* field = Field();
        ASSERT_EQ(field, made);
        ASSERT_TRUE(driver_.StepUntil([&] { return !TMapProbe::IsInPhase(*field); }, 200));
        float x = -1e9F;
        const bool stopped = driver_.StepUntil(
            [&] {
                qmtest::WalkTowards(field, rim.start + D3DXVECTOR3(30.0F, 0.0F, 0.0F));
                D3DXVECTOR3 at;
                field->GetPlayer()->GetPosition(&at);
                const bool still = at.x > rim.start.x + 3.0F && at.x - x < 0.001F;
                x = at.x;
                return still;
            },
            900);
        qmtest::ReleaseArrows();
        ASSERT_TRUE(stopped);
        EXPECT_GT(x, rim.edge - 0.6F);
        EXPECT_LE(x, rim.edge + 0.01F);
        driver_.Steps(60);
        EXPECT_TRUE(qmtest::MatchesGolden(qmtest::SceneDriver::Screen(), rim.golden));
    }
}

}  // namespace
