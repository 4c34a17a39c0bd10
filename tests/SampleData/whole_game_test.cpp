// The whole game on the generated folder, as a player plays it: the maker's logo, new game on the
// title's menu and a fresh start on the carry-over choice, the scene changes and the opening story
// events up to the town, a word with the elder in the message window, the walk through the gate in
// the wall to the battle map with one enemy of every class, a walk up to its class-A enemy and a
// sword hit on it, the same for its class-C enemy off to the side, and a close message.
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
#include "MainCode/Scene/TChangeLoop.h"
#include "MainCode/Menu/TSelectContinueDataLoop.h"
#include "MainCode/Scene/TEvent04_00Loop.h"
#include "MainCode/Scene/TEvent04_01Loop.h"
#include "MainCode/Scene/TStandInEventLoop.h"
#include "MainCode/Scene/TTitleLoop.h"
#include "MainCode/Script/ScriptRandom.h"
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

constexpr int kFrameLimit = 4000;  // the whole route takes well under this; a stuck run ends here
constexpr float kReach = 1.6F;     // close enough to swing at the enemy or speak to the elder

using qmtest::FlatDistance;
using qmtest::PositionOf;

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
    enum class Stage { Title, CarryOver, Starting, ToElder, Talking, ToGate, ChangingMap, ToEnemy, Swing, Closing };

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
    // The scenes the new game passed through up to the field, in order: "change", "event 300", ...
    std::vector<std::string> scenes;
    bool startInTown = false;
    std::int32_t startMusic = 0;
    D3DXVECTOR3 start;
    D3DXVECTOR3 startFront;
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
    bool battleReached = false;
    bool logoSeen = false;
    bool pastCrate = false;
    bool windowWaiting = false;
    bool conversationOver = false;

private:
    TLoop* GetCurrentScene() const { return driver_.Current(); }

    static void Press(int vk, bool down) { platform::InjectKey(vk, down); }
    static void ReleaseArrows() { qmtest::ReleaseArrows(); }
    void Next(Stage s)
    {
        stage = s;
        stageFrame = 0;
    }
    static void WalkTowards(TFieldLoop* field, const D3DXVECTOR3& target) { qmtest::WalkTowards(field, target); }
    // The scene that runs now, as the route names it.
    std::string SceneName() const
    {
        TLoop* scene = GetCurrentScene();
        if (dynamic_cast<TChangeLoop*>(scene) != nullptr) {
            return "change";
        }
        if (auto* event = dynamic_cast<TStandInEventLoop*>(scene)) {
            return "event " + std::to_string(event->GetEventId());
        }
        if (dynamic_cast<TEvent04_00Loop*>(scene) != nullptr) {
            return "event 300";
        }
        if (dynamic_cast<TEvent04_01Loop*>(scene) != nullptr) {
            return "event 301";
        }
        if (dynamic_cast<TFieldLoop*>(scene) != nullptr) {
            return "field";
        }
        return dynamic_cast<TTitleLoop*>(scene) != nullptr ? "title" : "other";
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
        if (stage > Stage::Starting && field == nullptr) {
            ADD_FAILURE() << "the field ended on the way, at stage " << static_cast<int>(stage);
            Close();
            return;
        }
        switch (stage) {
        case Stage::Title: {
            // The first title of the run: the maker's logo, then the menu.
            auto* title = dynamic_cast<TTitleLoop*>(GetCurrentScene());
            if (title == nullptr) {
                ADD_FAILURE() << "no title";
                Close();
                break;
            }
            if (title->GetState() == TTitleLoop::State::LogoHold && !logoSeen) {
                logoSeen = true;
                EXPECT_TRUE(qmtest::MatchesGolden(Screen(), "WholeGameLogo"));
            }
            if (title->GetState() == TTitleLoop::State::Menu) {
                EXPECT_TRUE(qmtest::MatchesGolden(Screen(), "WholeGameTitle"));
                Press('Z', true);  // new game
                Next(Stage::CarryOver);
            }
            break;
        }
        case Stage::CarryOver:
            Press('Z', false);
            if (dynamic_cast<TSelectContinueDataLoop*>(GetCurrentScene()) != nullptr && stageFrame > 40) {
                Press('Z', true);  // this chapter afresh
                Next(Stage::Starting);
            } else if (stageFrame > 60) {
                ADD_FAILURE() << "no carry-over choice after new game";
                Close();
            }
            break;
        case Stage::Starting: {
            Press('Z', false);
            // Both opening events skipped: cancel held while one runs.
            Press('X', dynamic_cast<TEventLoop*>(GetCurrentScene()) != nullptr);
            const std::string name = SceneName();
            if (scenes.empty() || scenes.back() != name) {
                scenes.push_back(name);
            }
            // Halfway through the first change: black over the black carry-over stand-in.
            auto* change = dynamic_cast<TChangeLoop*>(GetCurrentScene());
            if (change != nullptr && scenes.size() == 1 && change->GetQuad().GetCounter() == 50) {
                EXPECT_TRUE(qmtest::MatchesGolden(Screen(), "WholeGameChangeHalfway"));
            }
            if (field != nullptr) {
                Press('X', false);
                // The town's ground alone reaches west of x 0; its music is the town's.
                startInTown = dynamic_cast<TTownArea*>(field->GetArea()) != nullptr;
                startMusic = field->GetArea()->GetMusicId();
                start = PositionOf(field->GetPlayer());
                field->GetPlayer()->GetFront(&startFront);
                Next(Stage::ToElder);
            } else if (stageFrame > 600) {
                ADD_FAILURE() << "no field after the decide press";
                Close();
            }
            break;
        }
        case Stage::ToElder: {
            if (field->IsInPhase()) {
                break;
            }
            auto* town = dynamic_cast<TTownArea*>(field->GetArea());
            if (town == nullptr) {
                ADD_FAILURE() << "play did not start in the town";
                Close();
                break;
            }
            // Round the crate that stands between the start and the elder.
            const D3DXVECTOR3 aside(8.0F, 0.0F, 10.0F);
            if (!pastCrate && FlatDistance(PositionOf(field->GetPlayer()), aside) > kReach) {
                WalkTowards(field, aside);
                break;
            }
            pastCrate = true;
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
                Next(Stage::ToGate);
            } else if (stageFrame > 240) {
                ADD_FAILURE() << "the conversation did not run its course";
                Close();
            }
            break;
        }
        case Stage::ToGate:
            Press('Z', false);
            if (field->IsInPhase()) {
                ReleaseArrows();
                if (auto* change = dynamic_cast<TMapChangePhase*>(field->GetPhase())) {
                    changedTo = change->GetMapData().GetMapName();
                }
                Next(Stage::ChangingMap);
            } else {
                WalkTowards(field, D3DXVECTOR3(qmtest::FieldLayout::Elder().x, 0.0F,
                                               sample::SampleLayout::GateMaximum().z));
            }
            break;
        case Stage::ChangingMap:
            if (!field->IsInPhase()) {
                battleReached = dynamic_cast<TBattleArea*>(field->GetArea()) != nullptr;
                if (!battleReached) {
                    ADD_FAILURE() << "the gate did not lead to the battle map";
                    Close();
                    break;
                }
                arrival = PositionOf(field->GetPlayer());
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
                if (++meeting < met.size()) {
                    Next(Stage::ToEnemy);
                } else {
                    Close();
                }
            } else if (stageFrame > 60) {
                ADD_FAILURE() << "the swing never hit the enemy";
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

TEST(WholeGame, TitleEventsTownElderGateBattleAndHitsOnTheSampleFolder)
{
    // The scripts' random numbers (the map loads' start jitter) and the logo as a fresh run has them.
    ResetScriptRandom();
    TTitleLoop::ForgetLogoShownForTests();
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
        // The new game went through the scene-change hub and the two opening story events, then
        // put the player in the town at the second event's place, facing west.
        EXPECT_TRUE(game.logoSeen);
        EXPECT_EQ(game.scenes, (std::vector<std::string>{"change", "event 300", "change", "event 301", "field"}));
        EXPECT_TRUE(game.startInTown);
        EXPECT_EQ(game.startMusic, 31);
        EXPECT_LT(FlatDistance(game.start, D3DXVECTOR3(-8.0F, 0.0F, 17.0F)), 0.1F);
        EXPECT_NEAR(game.startFront.x, -1.0F, 1e-4F);
        EXPECT_NEAR(game.startFront.z, 0.0F, 1e-4F);
        EXPECT_TRUE(game.windowWaiting);
        EXPECT_TRUE(game.conversationOver);
        // The gate led to the battle map, at its arrival point.
        EXPECT_EQ(game.changedTo, "04.pbms/b04_00");
        EXPECT_TRUE(game.battleReached);
        EXPECT_LT(FlatDistance(game.arrival, sample::SampleLayout::BattleArrival()), 0.1F);
        // The map came in with one enemy of every class live (A ahead, B, C, D, E and the
        // time-stopping one aside) and the strong one in the corner.
        std::sort(game.typesAtStart.begin(), game.typesAtStart.end());
        EXPECT_EQ(game.typesAtStart, (std::vector<std::uint32_t>{0, 2, 3, 22, 59, 10011, 10025}));
        // On each enemy met one swing took some HP, not all, and put its gauge up.
        EXPECT_EQ(game.meeting, 2u);
        for (const Player::Meeting& m : game.met) {
            SCOPED_TRACE(m.type);
            EXPECT_GT(m.maxHp, 0);
            EXPECT_LT(m.hpHit, m.maxHp);
            EXPECT_GT(m.hpHit, 0);
            EXPECT_GT(m.gaugeTimerHit, 0);
        }
        driver.Stop();
        EXPECT_TRUE(driver.boxes.empty());
    }
    EXPECT_FALSE(fs::exists(dir.Path() / "ErrorLog.txt"));
    EXPECT_TRUE(fs::is_regular_file(dir.Path() / "DeviceLog.txt"));
    EXPECT_EQ(TGameData::GetInstance(), nullptr);
}

}  // namespace
