// The whole game on the generated folder, as a player plays it: the title's decide press, the battle
// map fading in with one enemy of every class, a walk up to its class-A enemy and a sword hit on
// it, the same for its class-C enemy off to the side, the walk back through the gate in
// the wall to the town, a word with the elder in the message window, and a close message.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "MainCode/Character/TEnemy.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Character/TVillager.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TBattleArea.h"
#include "MainCode/Map/TCamera.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Map/TFieldPhase.h"
#include "MainCode/Map/TMapData.h"
#include "MainCode/Map/TTownArea.h"
#include "MainCode/Scene/TTitleLoop.h"
#include "MainCode/Script/TMessageWindow.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "dx/dx8/3d/TD3D8.h"
#include "make-sample-data/SampleData.h"
#include "platform/testing/d3d8.h"
#include "platform/testing/win32.h"
#include "platform/win32/keyboard.h"
#include "support/field_walk.h"
#include "support/golden.h"
#include "support/scene_driver.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFrameLimit = 1500;  // the whole route takes well under this; a stuck run ends here
constexpr float kReach = 1.6F;     // close enough to swing at the enemy or speak to the elder

using qmtest::FlatDistance;
using qmtest::PositionOf;
using qmtest::ReleaseArrows;
using qmtest::WalkTowards;

platform::RgbaImage Screen()
{
    platform::RgbaImage image;
    EXPECT_TRUE(platform::ReadBackBuffer(TD3D8::GetDevice(), &image));
    return image;
}

// The game as a player runs it on the scene driver, one scene step a frame, with the route's input
// decided frame by frame from what the last frame left on screen and in the game.
class Player {
public:
    enum class Stage { Title, Decided, FadingIn, ToEnemy, Swing, ToGate, ChangingMap, ToElder, Talking, Closing };

    explicit Player(qmtest::SceneDriver& driver) : driver_(driver) {}

    // The route up to its end, or up to the frame limit.
    void Run()
    {
        while (stage != Stage::Closing && frame < kFrameLimit) {
            ++frame;
            Drive();
            if (stage == Stage::Closing || !driver_.Step()) {
                break;
            }
        }
    }

    Stage stage = Stage::Title;
    int frame = 0;
    int stageFrame = 0;
    // What the route saw on its way.
    D3DXVECTOR3 start;
    D3DXVECTOR3 atSwing;
    D3DXVECTOR3 arrival;
    std::vector<std::uint32_t> typesAtStart;  // the type of every enemy live once the map is in
    // The enemies met in turn: kFieldEnemyType ahead of the start, then the class-C one aside.
    struct Meeting {
        std::uint32_t type = 0;
        std::int32_t maxHp = 0;
        std::int32_t hpHit = 0;
        std::int32_t gaugeTimerHit = 0;
    };
    std::vector<Meeting> met{{qmtest::kFieldEnemyType}, {qmtest::kFieldEnemyClassTypes[2]}};
    std::size_t meeting = 0;
    std::string changedTo;
    bool townReached = false;
    bool windowWaiting = false;
    bool conversationOver = false;

private:
    TLoop* GetCurrentScene() const { return driver_.Current(); }

    static void Press(int vk, bool down) { platform::InjectKey(vk, down); }
    void Next(Stage s)
    {
        stage = s;
        stageFrame = 0;
    }
    // The live enemy the route is meeting now.
    TEnemy* Enemy(TFieldLoop* field) const
    {
        TEnemyFactory* enemies = field->GetArea()->GetEnemies();
        if (enemies == nullptr) {
            return nullptr;
        }
        for (const auto& entry : enemies->GetLive()) {
            if (entry.second->GetRelatedId() == met[meeting].type) {
                return entry.second.Get();
            }
        }
        return nullptr;
    }

    void Drive()
    {
        ++stageFrame;
        auto* field = dynamic_cast<TFieldLoop*>(GetCurrentScene());
        if (stage > Stage::Decided && field == nullptr) {
            ADD_FAILURE() << "the field ended on the way, at stage " << static_cast<int>(stage);
            Close();
            return;
        }
        switch (stage) {
        case Stage::Title:
            // Past the input's start-up polls, the title is on screen.
            if (stageFrame == 8) {
                EXPECT_NE(dynamic_cast<TTitleLoop*>(GetCurrentScene()), nullptr);
                EXPECT_TRUE(qmtest::MatchesGolden(Screen(), "WholeGameTitle"));
                Press('Z', true);
                Next(Stage::Decided);
            }
            break;
        case Stage::Decided:
            Press('Z', false);
            if (field != nullptr) {
                EXPECT_NE(dynamic_cast<TBattleArea*>(field->GetArea()), nullptr);
                EXPECT_TRUE(field->IsInPhase());
                start = PositionOf(field->GetPlayer());
                Next(Stage::FadingIn);
            } else if (stageFrame > 10) {
                ADD_FAILURE() << "no field after the decide press";
                Close();
            }
            break;
        case Stage::FadingIn:
            if (!field->IsInPhase()) {
                EXPECT_TRUE(qmtest::MatchesGolden(Screen(), "WholeGameBattleFadedIn"));
                for (const auto& entry : field->GetArea()->GetEnemies()->GetLive()) {
                    typesAtStart.push_back(entry.second->GetRelatedId());
                }
                Next(Stage::ToEnemy);
            }
            break;
        case Stage::ToEnemy: {
            TEnemy* enemy = Enemy(field);
            if (enemy == nullptr) {
                ADD_FAILURE() << "no enemy of type " << met[meeting].type << " on the battle map";
                Close();
                break;
            }
            if (FlatDistance(PositionOf(field->GetPlayer()), PositionOf(enemy)) > kReach) {
                WalkTowards(field, PositionOf(enemy));
                break;
            }
            ReleaseArrows();
            if (meeting == 0) {
                atSwing = PositionOf(field->GetPlayer());
            }
            met[meeting].maxHp = enemy->GetMaxHp();
            EXPECT_EQ(enemy->GetHp(), met[meeting].maxHp);
            EXPECT_EQ(enemy->GetGaugeTimer(), 0);
            Press('Z', true);
            Next(Stage::Swing);
            break;
        }
        case Stage::Swing: {
            Press('Z', false);
            TEnemy* enemy = Enemy(field);
            if (enemy != nullptr && enemy->GetHp() < met[meeting].maxHp) {
                met[meeting].hpHit = enemy->GetHp();
                met[meeting].gaugeTimerHit = enemy->GetGaugeTimer();
                if (meeting == 0) {
                    EXPECT_TRUE(qmtest::MatchesGolden(Screen(), "WholeGameEnemyHit"));
                }
                Next(++meeting < met.size() ? Stage::ToEnemy : Stage::ToGate);
            } else if (stageFrame > 60) {
                ADD_FAILURE() << "the swing never hit the enemy";
                Close();
            }
            break;
        }
        case Stage::ToGate:
            if (field->IsInPhase()) {
                ReleaseArrows();
                if (auto* change = dynamic_cast<TMapChangePhase*>(field->GetPhase())) {
                    changedTo = change->GetMapData().GetMapName();
                }
                Next(Stage::ChangingMap);
            } else {
                WalkTowards(field, D3DXVECTOR3(sample::SampleLayout::Enemy().x, 0.0F,
                                               sample::SampleLayout::GateMaximum().z));
            }
            break;
        case Stage::ChangingMap:
            if (!field->IsInPhase()) {
                auto* town = dynamic_cast<TTownArea*>(field->GetArea());
                townReached = town != nullptr;
                if (!townReached) {
                    ADD_FAILURE() << "the map change did not lead to the town";
                    Close();
                    break;
                }
                arrival = PositionOf(field->GetPlayer());
                Next(Stage::ToElder);
            }
            break;
        case Stage::ToElder: {
            auto* town = dynamic_cast<TTownArea*>(field->GetArea());
            const D3DXVECTOR3 elder = PositionOf(town->GetVillagers().at(0).Get());
            if (FlatDistance(PositionOf(field->GetPlayer()), elder) > kReach) {
                WalkTowards(field, elder);
                break;
            }
            ReleaseArrows();
            Press('Z', true);
            Next(Stage::Talking);
            break;
        }
        case Stage::Talking: {
            Press('Z', false);
            auto* town = dynamic_cast<TTownArea*>(field->GetArea());
            TScriptProcessManager* scripts = TScriptProcessManager::Get();
            auto* window =
                scripts != nullptr ? dynamic_cast<TMessageWindow*>(scripts->FindModule("Text")) : nullptr;
            if (!windowWaiting && window != nullptr && window->IsWaitingForButton()) {
                windowWaiting = true;
                EXPECT_TRUE(town->IsInScriptState());
                EXPECT_TRUE(window->IsShown());
                // The elder's one line of greeting typed out, the prompt below it.
                EXPECT_EQ(window->GetLine(), 1);
                EXPECT_EQ(window->GetColumn(), 0);
                EXPECT_TRUE(qmtest::MatchesGolden(Screen(), "WholeGameElderSpeaks"));
                Press('Z', true);
            } else if (windowWaiting && !town->IsInScriptState()) {
                conversationOver = true;
                Close();
            } else if (stageFrame > 240) {
                ADD_FAILURE() << "the conversation did not run its course";
                Close();
            }
            break;
        }
        case Stage::Closing:
            break;
        }
    }
    void Close()
    {
        ReleaseArrows();
        Press('Z', false);
        Next(Stage::Closing);
    }

    qmtest::SceneDriver& driver_;
};

TEST(WholeGame, TitleBattleHitGateTownAndTheElderOnTheSampleFolder)
{
    qmtest::TempDir dir;
    sample::WriteSampleFolder(dir.Path());
    {
        qmtest::SceneDriver driver(dir.Path());
        ASSERT_TRUE(driver.Start());
        Player game(driver);
        game.Run();
        EXPECT_EQ(game.stage, Player::Stage::Closing);
        EXPECT_LT(game.frame, kFrameLimit);
        EXPECT_EQ(driver.App()->GetSceneCount(), 1);
        // Play began at the save point and the walk closed on the enemy placed ahead.
        const D3DXVECTOR3 savePoint(sample::GetCatalogue().savePoints.at(0).StartX, 0.0F,
                                    sample::GetCatalogue().savePoints.at(0).StartZ);
        EXPECT_LT(FlatDistance(game.start, savePoint), 0.1F);
        EXPECT_LT(FlatDistance(game.atSwing, sample::SampleLayout::Enemy()),
                  FlatDistance(game.start, sample::SampleLayout::Enemy()) - 1.0F);
        // The map came in with one enemy of every class live (A ahead, B, C, D, E and the
        // time-stopping one aside).
        std::sort(game.typesAtStart.begin(), game.typesAtStart.end());
        EXPECT_EQ(game.typesAtStart, (std::vector<std::uint32_t>{0, 2, 22, 59, 10011, 10025}));
        // On each enemy met one swing took some HP, not all, and put its gauge up.
        EXPECT_EQ(game.meeting, 2u);
        for (const Player::Meeting& m : game.met) {
            SCOPED_TRACE(m.type);
            EXPECT_GT(m.maxHp, 0);
            EXPECT_LT(m.hpHit, m.maxHp);
            EXPECT_GT(m.hpHit, 0);
            EXPECT_GT(m.gaugeTimerHit, 0);
        }
        // The gate led to the town, at its arrival point.
        EXPECT_EQ(game.changedTo, "map00/town");
        EXPECT_TRUE(game.townReached);
        EXPECT_LT(FlatDistance(game.arrival, sample::SampleLayout::TownArrival()), 0.1F);
        EXPECT_TRUE(game.windowWaiting);
        EXPECT_TRUE(game.conversationOver);
        driver.Stop();
        EXPECT_TRUE(driver.boxes.empty());
    }
    EXPECT_FALSE(fs::exists(dir.Path() / "ErrorLog.txt"));
    EXPECT_TRUE(fs::is_regular_file(dir.Path() / "DeviceLog.txt"));
    EXPECT_EQ(TGameData::GetInstance(), nullptr);
}

}  // namespace
