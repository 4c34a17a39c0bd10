// The options window over the pause menu: its rows sliding down one after another and back up,
// the row ring through "UP"/"DOWN", the minimap switch, the sliders held a level a step with their
// banks following, and the levels kept through a save and a load.
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Menu/TOptionLoop.h"
#include "Menu/sub_screen_fixture.h"
#include "dx/dx8/3d/TText8.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "support/dx_probe.h"
#include "support/menu_probe.h"

namespace menutest {
namespace {

// The rows come down over 25 steps: each starts once the one above has made 6 of its 10 steps,
// and the 25th step finds the last one in and hands the input to the minimap row.
constexpr int kOpenSteps = 25;

class OptionWindowTest : public SubScreenTest {
protected:
    TOptionLoop* Options()
    {
        TOptionLoop* options = OpenItem<TOptionLoop>(TMenuTopLoop::kOptionItem);
        if (options != nullptr) {
            driver_.Steps(kOpenSteps);
        }
        return options;
    }
    // Back on the field for the next case: the window and the menu closed.
    void Restart()
    {
        ReleaseAll();
        Tap(Button::B);
        ASSERT_TRUE(StepUntilCurrent(menu_));
        driver_.Steps(kMenuCloseSteps);
        driver_.Press(Button::B);
        ASSERT_TRUE(StepUntilCurrent(field_));
    }
    static void ReleaseAll() { qmtest::SceneDriver::ReleaseAll(); }
    static TGameData* Data() { return TGameData::GetInstance(); }
    static std::int32_t Ceiling(std::uint32_t bank) { return TDSound8::Instance()->GetBank(bank)->GetMaxVolume(); }
    // The battle map's music, playing in the music bank.
    static std::int32_t MusicVolume() { return TDSound8::Instance()->GetBank(2)->Get(10)->GetVolume(); }
    static std::vector<std::uint8_t> Pixels(const TText8& text)
    {
        const std::uint8_t* p = TDxProbe::Pixels(text);
        return p != nullptr ? std::vector<std::uint8_t>(p, p + TDxProbe::Stride(text) * 16) : std::vector<std::uint8_t>{};
    }
};

TEST_F(OptionWindowTest, RowsSlideDownOneAfterAnotherAndBackUpThenTheMenuResumes)
{
    ASSERT_NE(Field(), nullptr);
    TOptionLoop* options = OpenItem<TOptionLoop>(TMenuTopLoop::kOptionItem);
    ASSERT_NE(options, nullptr);
    const struct {
        int steps;  // since the window came up
        std::int32_t y0, y1, y2, y3, row;
    } in[] = {
        {0, -256, -192, -128, -64, -1},  {1, -224, -192, -128, -64, -1}, {5, -96, -192, -128, -64, -1},
        {6, -64, -160, -128, -64, -1},    // the second starts once the first is past step 5
        {10, 64, -32, -128, -64, -1},    {11, 64, 0, -96, -64, -1},      {15, 64, 128, 32, -64, -1},
        {16, 64, 128, 64, -32, -1},      {24, 64, 128, 192, 224, -1},    {25, 64, 128, 192, 256, 0},
    };
    int done = 0;
    for (const auto& row : in) {
        driver_.Steps(row.steps - done);
        done = row.steps;
        SCOPED_TRACE(row.steps);
        EXPECT_EQ(TMenuProbe::WindowY(*options, 0).value, row.y0);
        EXPECT_EQ(TMenuProbe::WindowY(*options, 1).value, row.y1);
        EXPECT_EQ(TMenuProbe::WindowY(*options, 2).value, row.y2);
        EXPECT_EQ(TMenuProbe::WindowY(*options, 3).value, row.y3);
        EXPECT_EQ(TMenuProbe::Row(*options), row.row);
    }
    driver_.RecordSounds(true);
    driver_.Press(Button::B);
    EXPECT_EQ(Played(), std::vector<std::uint32_t>{606});
    const struct {
        int steps;  // since "B"
        std::int32_t y0, y1, y3;
    } out[] = {
        {1, 64, 128, 256},  {2, 32, 128, 256},   // the press's own step only leaves the row
        {6, -96, 128, 256}, {7, -128, 96, 256}, // the second leaves once the first fell below 5
        {25, -256, -192, -32},
    };
    done = 1;
    for (const auto& row : out) {
        driver_.Steps(row.steps - done);
        done = row.steps;
        SCOPED_TRACE(row.steps);
        EXPECT_EQ(TMenuProbe::WindowY(*options, 0).value, row.y0);
        EXPECT_EQ(TMenuProbe::WindowY(*options, 1).value, row.y1);
        EXPECT_EQ(TMenuProbe::WindowY(*options, 3).value, row.y3);
    }
    EXPECT_EQ(driver_.Current(), options);
    driver_.Step();
    EXPECT_EQ(driver_.Current(), menu_) << "the step that takes the last row up ends the window";
}

// Four rows in a ring through "UP" and "DOWN", each move with 600; the lit row's tweens come back to
// full while the others fade.
TEST_F(OptionWindowTest, UpAndDownRunTheRowRing)
{
    ASSERT_NE(Field(), nullptr);
    const struct {
        std::vector<Button> taps;
        std::int32_t row;
    } cases[] = {
        {{Button::Up}, 3},                                   // minimap → voices
        {{Button::Down}, 1},                                 // minimap → music
        {{Button::Down, Button::Down}, 2},                   // music → sound effects
        {{Button::Down, Button::Down, Button::Down}, 3},     // sound effects → voices
        {{Button::Up, Button::Down}, 0},                     // voices → minimap
        {{Button::Up, Button::Up}, 2},                       // voices → sound effects
        {{Button::Down, Button::Up}, 0},                     // music → minimap
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        TOptionLoop* options = Options();
        ASSERT_NE(options, nullptr);
        driver_.RecordSounds(true);
        for (Button b : c.taps) {
            Tap(b);
        }
        EXPECT_EQ(TMenuProbe::Row(*options), c.row);
        EXPECT_EQ(Played(), std::vector<std::uint32_t>(c.taps.size(), 600));
        driver_.Steps(10);
        // The lit row at full, the others dimmed: the minimap window to 0.3, the rest to 0.5.
        const DWORD lit = 0xFFFFFFFF;
        EXPECT_EQ(TMenuProbe::Window(*options, 0).GetVertex(0).diffuse, c.row == 0 ? lit : 0x4CFFFFFFu);
        for (std::int32_t s = 0; s < TOptionLoop::kSliders; ++s) {
            const bool on = c.row == s + 1;
            EXPECT_EQ(TMenuProbe::Window(*options, s + 1).GetVertex(0).diffuse, on ? lit : 0x7FFFFFFFu) << s;
            EXPECT_EQ(TMenuProbe::Knob(*options, s).GetVertex(3).diffuse, on ? lit : 0xFF7F7F7Fu) << s;
        }
        EXPECT_EQ(TMenuProbe::MiniMapText(*options).GetVertex(0).diffuse, c.row == 0 ? lit : 0xFF7F7F7Fu);
        driver_.RecordSounds(false);
        Restart();
    }
}

// A held "LEFT" or "RIGHT" moves the knob a level every step, silently, to the bounds and no
// further; the game data and the bank (its ceiling and every sound in it) follow each step.
TEST_F(OptionWindowTest, HeldArrowsMoveALevelAStepAndTheBankFollows)
{
    ASSERT_NE(Field(), nullptr);
    const struct {
        const char* name;
        std::int32_t row;
        std::int32_t start;
        std::vector<Button> held;
        // level and the bank's ceiling after each step held
        std::vector<std::pair<std::int32_t, std::int32_t>> steps;
    } cases[] = {
        {"music up to full and no further", 1, 60, {Button::Right},
         {{61, -51}, {62, -33}, {63, -16}, {64, 0}, {64, 0}}},
        {"effects down to silence", 2, 2, {Button::Left}, {{1, -9599}, {0, -10000}, {0, -10000}}},
        {"voices: left and right together, left wins", 3, 60, {Button::Left, Button::Right},
         {{59, -93}, {58, -117}}},
    };
    const std::uint32_t banks[] = {0, 2, 0, 1};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Data()->SetBgmVolume(c.row == 1 ? c.start : 40);
        Data()->SetSeVolume(c.row == 2 ? c.start : 41);
        Data()->SetVoiceVolume(c.row == 3 ? c.start : 42);
        TOptionLoop* options = Options();
        ASSERT_NE(options, nullptr);
        for (std::int32_t r = 0; r < c.row; ++r) {
            Tap(Button::Down);
        }
        driver_.RecordSounds(true);
        for (Button b : c.held) {
            qmtest::SceneDriver::Hold(b, true);
        }
        for (const auto& [level, ceiling] : c.steps) {
            driver_.Step();
            EXPECT_EQ(TMenuProbe::Level(*options, c.row - 1), level);
            const std::int32_t stored[] = {Data()->GetBgmVolume(), Data()->GetSeVolume(), Data()->GetVoiceVolume()};
            EXPECT_EQ(stored[c.row - 1], level);
            EXPECT_EQ(Ceiling(banks[c.row]), ceiling);
            if (c.row == 1) {
                EXPECT_EQ(MusicVolume(), ceiling) << "every sound of the bank";
            }
        }
        qmtest::SceneDriver::ReleaseAll();
        EXPECT_EQ(Played(), std::vector<std::uint32_t>{}) << "no sound for a slider";
        // The other levels untouched.
        EXPECT_EQ(TMenuProbe::Level(*options, 0), c.row == 1 ? c.steps.back().first : 40);
        EXPECT_EQ(TMenuProbe::Level(*options, 1), c.row == 2 ? c.steps.back().first : 41);
        EXPECT_EQ(TMenuProbe::Level(*options, 2), c.row == 3 ? c.steps.back().first : 42);
        driver_.RecordSounds(false);
        Restart();
    }
}

// "LEFT" or "RIGHT" on the minimap row switches it, writes the word again and stores it, with 601;
// twice brings everything back.
TEST_F(OptionWindowTest, TogglingTheMinimapTwiceBringsTheWordAndTheDataBack)
{
    ASSERT_NE(Field(), nullptr);
    Data()->SetMiniMapState(1);
    TOptionLoop* options = Options();
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(TMenuProbe::MiniMap(*options), 1);
    const std::vector<std::uint8_t> on = Pixels(TMenuProbe::MiniMapText(*options));
    driver_.RecordSounds(true);
    Tap(Button::Right);
    EXPECT_EQ(TMenuProbe::MiniMap(*options), 0);
    EXPECT_EQ(Data()->GetMiniMapState(), 0);
    const std::vector<std::uint8_t> off = Pixels(TMenuProbe::MiniMapText(*options));
    EXPECT_NE(off, on);
    Tap(Button::Left);
    EXPECT_EQ(TMenuProbe::MiniMap(*options), 1);
    EXPECT_EQ(Data()->GetMiniMapState(), 1);
    EXPECT_EQ(Pixels(TMenuProbe::MiniMapText(*options)), on);
    EXPECT_EQ(Played(), (std::vector<std::uint32_t>{601, 601}));
    // Held, it switches once.
    qmtest::SceneDriver::Hold(Button::Right, true);
    driver_.Steps(12);
    qmtest::SceneDriver::ReleaseAll();
    EXPECT_EQ(Data()->GetMiniMapState(), 0);
}

// The window opens on levels from a damaged record with the knobs at the ends of their grooves.
TEST_F(OptionWindowTest, LevelsOutsideTheirRangeOpenAtTheNearerEnd)
{
    ASSERT_NE(Field(), nullptr);
    Data()->SetBgmVolume(65);
    Data()->SetSeVolume(-1);
    Data()->SetVoiceVolume(64);
    TOptionLoop* options = Options();
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(TMenuProbe::Level(*options, 0), 64);
    EXPECT_EQ(TMenuProbe::Level(*options, 1), 0);
    EXPECT_EQ(TMenuProbe::Level(*options, 2), 64);
}

// Levels set in the window are saved with the game and, loaded back, set the banks again.
TEST_F(OptionWindowTest, LevelsSurviveASaveAndALoadWhichAppliesThem)
{
    ASSERT_NE(Field(), nullptr);
    Data()->SetBgmVolume(64);
    Data()->SetSeVolume(64);
    Data()->SetVoiceVolume(64);
    Data()->SetMiniMapState(1);
    TOptionLoop* options = Options();
    ASSERT_NE(options, nullptr);
    Tap(Button::Down);
    qmtest::SceneDriver::Hold(Button::Left, true);
    driver_.Steps(8);  // music 56
    qmtest::SceneDriver::ReleaseAll();
    driver_.Step();
    Tap(Button::Down);
    qmtest::SceneDriver::Hold(Button::Left, true);
    driver_.Steps(64);  // sound effects to silence
    qmtest::SceneDriver::ReleaseAll();
    driver_.Step();
    Tap(Button::Up);
    Tap(Button::Up);
    Tap(Button::Right);  // minimap off
    std::filesystem::create_directories("save");
    Data()->SetSavePoint(11);
    ASSERT_EQ(Data()->Save(3), TGameData::kSaveOk);
    Data()->Reset();
    EXPECT_EQ(Ceiling(2), 0);
    ASSERT_EQ(Data()->Load(3, TGameData::kOwnSaveFolder), TGameData::kSaveOk);
    EXPECT_EQ(Data()->GetBgmVolume(), 56);
    EXPECT_EQ(Data()->GetSeVolume(), 0);
    EXPECT_EQ(Data()->GetVoiceVolume(), 64);
    EXPECT_EQ(Data()->GetMiniMapState(), 0);
    EXPECT_EQ(Ceiling(2), -169);
    EXPECT_EQ(Ceiling(0), -10000);
    EXPECT_EQ(Ceiling(1), 0);
}

}  // namespace
}  // namespace menutest
