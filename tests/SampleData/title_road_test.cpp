// The title's other roads on the sample folder: load, from a slot at the town's save point through
// the scene-change hub into the field; quit, fading out and ending the program cleanly; a menu left
// alone, which goes back to black and starts over with its music; the menu worked with a game pad;
// the window losing and getting back the player's attention; decide pressed while a later title
// fades in, which brings its menu at once; and Escape and F4 over the quit question, which ask
// nothing more.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Map/TTownArea.h"
#include "MainCode/Menu/TYesNoLoop.h"
#include "MainCode/Scene/TChangeLoop.h"
#include "MainCode/Scene/TTitleLoop.h"
#include "MainCode/Menu/TSaveLoadLoop.h"
#include "make-sample-data/SampleData.h"
#include "formats/byte_writer.h"
#include "formats/save_writer.h"
#include "SampleData/sample_folder_copy.h"
#include "platform/testing/win32.h"
#include "platform/win32/joystick.h"
#include "platform/win32/window_internal.h"
#include "support/field_walk.h"
#include "support/main_probe.h"
#include "support/menu_probe.h"
#include "support/scene_driver.h"
#include "support/scene_probe.h"
#include "support/temp_dir.h"
#include "support/title_road.h"

namespace {

namespace fs = std::filesystem;
using qmtest::Button;

TEST(TitleRoad, LoadTakesSlotZeroThroughTheChangeToTheTownSavePoint)
{
    qmtest::TempDir dir;
    qmtest::CopySampleFolder(dir.Path());
    qmtest::SceneDriver driver(dir.Path());
    ASSERT_TRUE(driver.Start());
    // A save of the starting party at the town's save point, written as the game writes them.
    qmtest::SaveFileData save;
    save.savePoint = static_cast<std::int32_t>(sample::SampleLayout::kTownSavePoint);
    save.money = 1234;
    for (std::uint32_t i = 0; i < 8; ++i) {
        save.characters[i] = *TGameData::GetInstance()->GetCharacterData(i);
    }
    fs::create_directories(dir.Path() / "save");
    qmtest::SaveBytes((dir.Path() / "save" / qmtest::SaveSlotName(0)).string(), qmtest::BuildSaveFile(save, false));

    ASSERT_TRUE(qmtest::ReachTitleMenu(driver));
    qmtest::ChooseTitleItem(driver, 1);  // load
    ASSERT_NE(dynamic_cast<TSaveLoadLoop*>(driver.Current()), nullptr);
    driver.Steps(40);  // the page's rows in
    driver.Press(Button::A);  // slot 0
    ASSERT_NE(dynamic_cast<TChangeLoop*>(driver.Current()), nullptr);
    EXPECT_EQ(driver.App()->GetSceneCount(), 1);
    driver.Steps(101);
    auto* field = dynamic_cast<TFieldLoop*>(driver.Current());
    ASSERT_NE(field, nullptr);
    EXPECT_NE(dynamic_cast<TTownArea*>(field->GetArea()), nullptr);
    EXPECT_LT(qmtest::FlatDistance(qmtest::PositionOf(field->GetPlayer()), sample::SampleLayout::TownSavePointMark()),
              0.1F);
    EXPECT_EQ(TGameData::GetInstance()->GetMoney(), 1234u);
    driver.Stop();
    EXPECT_TRUE(driver.boxes.empty());
    EXPECT_FALSE(fs::exists(dir.Path() / "ErrorLog.txt"));
}

// From the title menu standing on new game: up to quit, decided; the steps until the program ends
// (at most 300).
int QuitFromTheMenu(qmtest::SceneDriver& driver)
{
    driver.Press(Button::Up);
    driver.Step();
    driver.Press(Button::A);
    int steps = 1;
    while (driver.Step() && steps < 300) {
        ++steps;
    }
    return steps;
}

TEST(TitleRoad, QuitEndsTheProgramCleanly)
{
    qmtest::TempDir dir;
    qmtest::CopySampleFolder(dir.Path());
    qmtest::SceneDriver driver(dir.Path());
    ASSERT_TRUE(driver.Start());
    ASSERT_TRUE(qmtest::ReachTitleMenu(driver));
    EXPECT_EQ(QuitFromTheMenu(driver), 101);
    driver.Stop();
    EXPECT_TRUE(driver.boxes.empty());
    EXPECT_FALSE(fs::exists(dir.Path() / "ErrorLog.txt"));
}

TEST(TitleRoad, AMenuLeftAloneGoesBackToBlackAndStartsOver)
{
    using State = TSceneProbe::TitleState;
    qmtest::TempDir dir;
    qmtest::CopySampleFolder(dir.Path());
    qmtest::SceneDriver driver(dir.Path());
    ASSERT_TRUE(driver.Start());
    driver.RecordSounds(true);
    ASSERT_TRUE(qmtest::ReachTitleMenu(driver));
    const auto* title = dynamic_cast<TTitleLoop*>(driver.Current());
    ASSERT_NE(title, nullptr);
    const auto musicCalls = [&](TSoundBankRecord::Op op) {
        return std::count_if(driver.sounds.begin(), driver.sounds.end(),
                             [&](const TSoundBankRecord& r) { return r.op == op && r.id == 1; });
    };
    ASSERT_EQ(musicCalls(TSoundBankRecord::kPlayLoop), 1);
    ASSERT_EQ(musicCalls(TSoundBankRecord::kStop), 0);

    // The menu counts its steps from its fade-in; untouched, it gives up at 6700 and stops the music.
    int menuSteps = -1;  // the first look comes before any step
    ASSERT_TRUE(driver.StepUntil(
        [&] {
            ++menuSteps;
            return TSceneProbe::State(*title) != State::Menu;
        },
        7000));
    EXPECT_EQ(TSceneProbe::State(*title), State::Idle);
    EXPECT_EQ(menuSteps, 6700);
    EXPECT_EQ(musicCalls(TSoundBankRecord::kStop), 1);
    EXPECT_EQ(musicCalls(TSoundBankRecord::kPlayLoop), 1);

    // Black, then the music again and the menu fading back in; it answers as before.
    ASSERT_TRUE(driver.StepUntil([&] { return TSceneProbe::State(*title) == State::FadeIn; }, 400));
    EXPECT_EQ(musicCalls(TSoundBankRecord::kPlayLoop), 2);
    ASSERT_TRUE(driver.StepUntil([&] { return TSceneProbe::State(*title) == State::Menu; }, 400));
    EXPECT_EQ(QuitFromTheMenu(driver), 101);
    driver.Stop();
    EXPECT_TRUE(driver.boxes.empty());
}

// A player's pad, plugged in before the game starts: SDL's virtual pad with two axes and sixteen
// buttons, the kind the game takes first. Gone again when the case ends.
class PluggedPad {
public:
    PluggedPad()
    {
        if (joyGetNumDevs() != 0) {  // brings the joystick side up
            index_ = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 16, 0);
            pad_ = index_ >= 0 ? SDL_JoystickOpen(index_) : nullptr;
        }
    }
    ~PluggedPad()
    {
        if (pad_ != nullptr) {
            SDL_JoystickClose(pad_);
        }
        if (index_ >= 0) {
            SDL_JoystickDetachVirtual(index_);
        }
    }
    PluggedPad(const PluggedPad&) = delete;
    PluggedPad& operator=(const PluggedPad&) = delete;

    int Index() const { return pad_ != nullptr ? index_ : -1; }
    // The stick pushed for one step, then back in the middle for one, so the next push is new.
    void Flick(qmtest::SceneDriver& driver, Sint16 x, Sint16 y)
    {
        SDL_JoystickSetVirtualAxis(pad_, 0, x);
        SDL_JoystickSetVirtualAxis(pad_, 1, y);
        driver.Step();
        SDL_JoystickSetVirtualAxis(pad_, 0, 0);
        SDL_JoystickSetVirtualAxis(pad_, 1, 0);
        driver.Step();
    }
    // Button n (0 is the pad's first) down for one step.
    void Press(qmtest::SceneDriver& driver, int n)
    {
        SDL_JoystickSetVirtualButton(pad_, n, SDL_PRESSED);
        driver.Step();
        SDL_JoystickSetVirtualButton(pad_, n, SDL_RELEASED);
    }

private:
    int index_ = -1;
    SDL_Joystick* pad_ = nullptr;
};

// The title menu and the load page it opens, worked with the pad alone and its bindings as the game
// sets them: the stick moves the cursor and turns the pages (the title itself has no use for left and
// right), the first button decides and the second goes back. The stick counts in the outer thirds of
// its travel, which reads 0..65535 (SDL's v + 32768): 43690 is still the middle, 43691 is down.
TEST(TitleRoad, AGamePadWorksTheMenuAndTheLoadPage)
{
    PluggedPad pad;
    ASSERT_GE(pad.Index(), 0) << SDL_GetError();
    qmtest::TempDir dir;
    qmtest::CopySampleFolder(dir.Path());
    qmtest::SceneDriver driver(dir.Path());
    ASSERT_TRUE(driver.Start());
    EXPECT_EQ(TMainProbe::PadId(*driver.App()->GetInput()), pad.Index());
    ASSERT_TRUE(qmtest::ReachTitleMenu(driver));
    const auto* title = dynamic_cast<TTitleLoop*>(driver.Current());
    ASSERT_NE(title, nullptr);
    driver.RecordSounds(true);
    const auto plays = [&](std::uint32_t id) {
        return std::count(driver.sounds.begin(), driver.sounds.end(), TSoundBankRecord{TSoundBankRecord::kPlay, 0, id});
    };

    // Rows: new game, load, quit. A flick out of the middle third moves one row, with the cursor sound.
    const struct {
        Sint16 y;
        std::int32_t row;
    } flicks[] = {{10922, 0}, {10923, 1}, {-10924, 0}, {-10923, 0}, {32767, 1}};
    for (const auto& f : flicks) {
        pad.Flick(driver, 0, f.y);
        EXPECT_EQ(TSceneProbe::Selection(*title), f.row) << f.y;
    }
    EXPECT_EQ(plays(600), 3);

    pad.Press(driver, 0);  // decide: the load page
    const auto* load = dynamic_cast<TSaveLoadLoop*>(driver.Current());
    ASSERT_NE(load, nullptr);
    EXPECT_EQ(plays(603), 1);
    const TSaveSlotPage& page = TMenuProbe::SlotPage(*load);
    const auto selecting = [&] { return TMenuProbe::InSelection(page); };
    ASSERT_TRUE(driver.StepUntil(selecting, 60));
    // Left from the first of the twenty pages wraps to the last, right comes back.
    const struct {
        Sint16 x;
        std::int32_t page;
    } turns[] = {{-10923, 0}, {-10924, 19}, {10922, 19}, {10923, 0}};
    for (const auto& t : turns) {
        pad.Flick(driver, t.x, 0);
        ASSERT_TRUE(driver.StepUntil(selecting, 60));
        EXPECT_EQ(TMenuProbe::Page(page), t.page) << t.x;
        EXPECT_EQ(TMenuProbe::Cursor(page), 0);
    }
    EXPECT_EQ(plays(601), 2);

    pad.Press(driver, 1);  // cancel: the page slides away and the title has the pad again
    EXPECT_EQ(plays(606), 1);
    ASSERT_TRUE(driver.StepUntil([&] { return driver.Current() == title; }, 60));
    EXPECT_EQ(TSceneProbe::State(*title), TSceneProbe::TitleState::Menu);
    pad.Flick(driver, 0, 10923);
    EXPECT_EQ(TSceneProbe::Selection(*title), 2);
    EXPECT_EQ(plays(603), 1);
    driver.Stop();
    EXPECT_TRUE(driver.boxes.empty());
}

// What the desktop tells the window when the player turns away (another window takes the focus, or
// the window is minimised) and comes back.
struct Away {
    const char* what;
    Uint8 leave;
    Uint8 back;
};
const Away kAways[] = {
    {"focus", SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_FOCUS_GAINED},
    {"minimised", SDL_WINDOWEVENT_MINIMIZED, SDL_WINDOWEVENT_RESTORED},
};

// Each way away holds the game (the main loop steps nothing while the application is inactive),
// and on the way back the menu takes up where it was: five seconds away are not run through at
// once, the next step after them is one step.
TEST(TitleRoad, TurningAwayHoldsTheGameAndComingBackTakesUpWithoutRunningAhead)
{
    qmtest::TempDir dir;
    qmtest::CopySampleFolder(dir.Path());
    qmtest::SceneDriver driver(dir.Path());
    ASSERT_TRUE(driver.Start());
    ASSERT_TRUE(qmtest::ReachTitleMenu(driver));
    const auto* title = dynamic_cast<TTitleLoop*>(driver.Current());
    ASSERT_NE(title, nullptr);
    TGameWnd* app = driver.App();
    const HWND hwnd = TMainProbe::Handle(*app);
    const auto tell = [&](Uint8 kind) {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.windowID = SDL_GetWindowID(platform::SdlWindowOf(hwnd));
        event.window.event = kind;
        SDL_PushEvent(&event);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    };
    for (const Away& away : kAways) {
        SCOPED_TRACE(away.what);
        ASSERT_TRUE(app->IsRunning());
        driver.Steps(3);
        const std::uint32_t steps = TSceneProbe::Counter(*title);
        tell(away.leave);
        EXPECT_FALSE(TMainProbe::IsActive(*app));
        EXPECT_FALSE(app->IsRunning()) << "the main loop steps nothing";
        platform::ManualClock::Advance(5000);
        tell(away.back);
        EXPECT_TRUE(TMainProbe::IsActive(*app));
        EXPECT_TRUE(app->IsRunning());
        // A step and a little more of the clock, then one frame of the main loop.
        platform::ManualClock::Advance(17);
        ASSERT_TRUE(app->Frame());
        EXPECT_EQ(TSceneProbe::Counter(*title), steps + 1);
        EXPECT_EQ(driver.Current(), title);
    }
    EXPECT_EQ(QuitFromTheMenu(driver), 101);
    driver.Stop();
    EXPECT_TRUE(driver.boxes.empty());
}

// A press, then a step with nothing down, so the next press is new.
void Tap(qmtest::SceneDriver& driver, Button b)
{
    driver.Press(b);
    driver.Step();
}

// The alpha of the fade quad the title draws last over the whole screen in one step (-1 when the
// step drew none).
int FadeAlpha(const std::vector<TSpriteDrawRecord>& draws)
{
    if (draws.empty() || draws.back().kind != TSpriteDrawRecord::kRect || draws.back().w != 640.0F ||
        draws.back().h != 480.0F) {
        return -1;
    }
    return static_cast<int>(draws.back().colors[0] >> 24);
}

// A later title of the run, reached from the first one by F4 and "yes" while its logo fades in,
// goes from its start wait straight to the fade-in, where decide brings the menu at once: the
// fade jumps to its end, the picture clear in that very step. Decide in the start wait does nothing.
TEST(TitleRoad, DecideWhileALaterTitleFadesInBringsTheMenuAtOnce)
{
    using State = TSceneProbe::TitleState;
    qmtest::TempDir dir;
    qmtest::CopySampleFolder(dir.Path());
    qmtest::SceneDriver driver(dir.Path());
    ASSERT_TRUE(driver.Start());
    auto* first = dynamic_cast<TTitleLoop*>(driver.Current());
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(driver.StepUntil([&] { return TSceneProbe::State(*first) == State::LogoIn; }, 200));
    qmtest::SceneDriver::Stroke(Button::F4);
    ASSERT_NE(dynamic_cast<TYesNoLoop*>(driver.Current()), nullptr);
    driver.Steps(22);
    Tap(driver, Button::Up);
    driver.Press(Button::A);
    ASSERT_NE(dynamic_cast<TChangeLoop*>(driver.Current()), nullptr);
    driver.Steps(101);
    auto* title = dynamic_cast<TTitleLoop*>(driver.Current());
    ASSERT_NE(title, nullptr);
    ASSERT_EQ(TSceneProbe::State(*title), State::StartWait);

    // Decide in the start wait: the wait goes on.
    driver.Steps(20);
    const std::uint32_t waited = TSceneProbe::Counter(*title);
    Tap(driver, Button::A);
    EXPECT_EQ(TSceneProbe::State(*title), State::StartWait);
    EXPECT_EQ(TSceneProbe::Counter(*title), waited + 2);

    // No logo this time: the fade-in, a third of the way through, then decide.
    bool logo = false;
    ASSERT_TRUE(driver.StepUntil(
        [&] {
            const State s = TSceneProbe::State(*title);
            logo = logo || s == State::LogoIn || s == State::LogoHold || s == State::LogoOut;
            return s == State::FadeIn;
        },
        200));
    EXPECT_FALSE(logo);
    driver.Steps(30);
    const int fading = FadeAlpha(driver.DrawsOfAStep());
    EXPECT_GT(fading, 100) << "still mostly black";
    EXPECT_LT(fading, 255);
    ASSERT_EQ(TSceneProbe::State(*title), State::FadeIn);
    qmtest::SceneDriver::Hold(Button::A, true);
    const std::vector<TSpriteDrawRecord> draws = driver.DrawsOfAStep();
    qmtest::SceneDriver::Hold(Button::A, false);
    EXPECT_EQ(TSceneProbe::State(*title), State::Menu);
    EXPECT_EQ(FadeAlpha(draws), 0) << "the picture clear at once";
    EXPECT_EQ(FadeAlpha(driver.DrawsOfAStep()), 0);
    EXPECT_EQ(TSceneProbe::Selection(*title), 0) << "the decide that ended the fade chose nothing";
    EXPECT_EQ(driver.Current(), title);

    // The menu answers from there.
    Tap(driver, Button::Down);
    EXPECT_EQ(TSceneProbe::Selection(*title), 1);
    Tap(driver, Button::Up);
    EXPECT_EQ(QuitFromTheMenu(driver), 101);
    driver.Stop();
    EXPECT_TRUE(driver.boxes.empty());
}

// Escape and F4 come to the application as key-down messages. With the quit question up (Escape
// over the title's start wait), neither opens a second question over it, and the question still
// answers: "yes" fades out and ends the program.
TEST(TitleRoad, WithTheQuitQuestionUpEscapeAndF4AskNothingMoreAndItStillAnswers)
{
    qmtest::TempDir dir;
    qmtest::CopySampleFolder(dir.Path());
    qmtest::SceneDriver driver(dir.Path());
    ASSERT_TRUE(driver.Start());
    driver.Steps(5);
    ASSERT_NE(dynamic_cast<TTitleLoop*>(driver.Current()), nullptr);
    qmtest::SceneDriver::Stroke(Button::Escape);
    auto* question = dynamic_cast<TYesNoLoop*>(driver.Current());
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(TMenuProbe::Kind(*question), TYesNoLoop::kQuit);
    EXPECT_EQ(driver.App()->GetSceneCount(), 2);
    driver.Steps(22);
    for (Button key : {Button::Escape, Button::F4, Button::Escape}) {
        qmtest::SceneDriver::Stroke(key);
        EXPECT_EQ(driver.Current(), question) << qmtest::KeyOf(key);
        EXPECT_EQ(driver.App()->GetSceneCount(), 2) << qmtest::KeyOf(key);
        driver.Steps(3);
    }
    Tap(driver, Button::Up);
    EXPECT_EQ(TMenuProbe::Selection(*question), 0) << "on yes";
    driver.Press(Button::A);
    int steps = 0;
    while (steps < 100 && driver.Step()) {
        ++steps;
    }
    EXPECT_EQ(steps, 50) << "the program ends once the screen has faded out";
    EXPECT_EQ(driver.Close(), 0);
    driver.Stop();
    EXPECT_TRUE(driver.boxes.empty());
}

}  // namespace
