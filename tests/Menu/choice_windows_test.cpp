// The pause menu's character change and leave windows: their pictures and targets, the cursor's
// wrap, back, the change itself with the menu's background taken again, and the yes/no question
// that the leave window opens and comes back from.
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Menu/TMenuConfirm2Loop.h"
#include "MainCode/Menu/TMenuConfirmLoop.h"
#include "MainCode/Menu/TYesNoLoop.h"
#include "Menu/pause_fixture.h"
#include "support/dx_probe.h"
#include "support/menu_probe.h"

namespace menutest {
namespace {

// Two windows slide in over 16 steps, three over 21 (each starts 5 steps after the one above, the
// last step finds the last one there); they slide out the same way.
constexpr int kChangeSteps = 16;
constexpr int kLeaveSteps = 21;

class ChoiceWindowTest : public PauseMenuTest {
protected:
    // The window of the menu's item, pushed as the menu pushes it, not yet stepped.
    template <typename Window>
    Window* Push(TMenuTopLoop* menu)
    {
        auto* window = new Window(driver_.App(), menu);
        driver_.App()->PushScene(window);
        return window;
    }
    std::string Picture(const TMenuChoiceLoop* window, std::int32_t i) const
    {
        return TDxProbe::Image(TMenuProbe::At(TMenuProbe::Choices(*window), i).sprite).GetName();
    }
};

TEST_F(ChoiceWindowTest, TheChangeWindowNamesWhomItChangesToAndChangesThePlayer)
{
    const struct {
        std::int32_t played;
        const char* picture;
        std::int32_t target;
        std::uint32_t sound;
    } cases[] = {
        {0, "sprite.ptx/window02_n", 1, 603},
        {1, "sprite.ptx/window02_m", 0, 603},
        {2, "sprite.ptx/window02_m", -1, 608},  // nobody to change to: the choice buzzes
    };
    ASSERT_NE(Field(), nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.played);
        if (c.played < 2 && field_->GetPlayer()->GetCharacterIndex() != static_cast<std::uint32_t>(c.played)) {
            ASSERT_TRUE(field_->ChangePlayer(static_cast<std::uint32_t>(c.played)));
        }
        TGameData::GetInstance()->SetActiveCharacter(c.played);
        const std::uint32_t before = field_->GetPlayer()->GetCharacterIndex();
        TMenuTopLoop* menu = MenuReady();
        ASSERT_NE(menu, nullptr);
        auto* window = Push<TMenuConfirmLoop>(menu);
        EXPECT_EQ(TMenuProbe::Character(*window), c.played);
        EXPECT_EQ(TMenuProbe::Target(*window), c.target);
        EXPECT_EQ(Picture(window, 0), c.picture);
        EXPECT_EQ(Picture(window, 1), "sprite.ptx/window02_k");
        EXPECT_EQ(TMenuProbe::Cursor(*window), 0);
        driver_.Steps(kChangeSteps);
        driver_.RecordSounds(true);
        driver_.Press(Button::A);
        EXPECT_EQ(Played(), std::vector<std::uint32_t>{c.sound});
        if (c.target == -1) {
            driver_.Steps(kChangeSteps + 1);
            EXPECT_EQ(driver_.Current(), window) << "still asking";
            driver_.Press(Button::B);
        }
        driver_.Steps(kChangeSteps - 1);
        EXPECT_EQ(driver_.Current(), window);
        driver_.Step();
        EXPECT_EQ(driver_.Current(), menu);
        EXPECT_EQ(field_->GetPlayer()->GetCharacterIndex(),
                  c.target == -1 ? before : static_cast<std::uint32_t>(c.target));
        if (c.target != -1) {
            EXPECT_EQ(TGameData::GetInstance()->GetActiveCharacter(), c.target);
        }
        driver_.RecordSounds(false);
        driver_.Press(Button::B);
        ASSERT_TRUE(StepUntilCurrent(field_, 300));
    }
}

TEST_F(ChoiceWindowTest, UpOnTheFirstChoiceSelectsBackAndDownOnBackTheFirst)
{
    const struct {
        bool leave;
        std::vector<Button> presses;
        std::int32_t cursor;
    } cases[] = {
        {false, {Button::Up}, 1},
        {false, {Button::Down}, 1},
        {false, {Button::Down, Button::Down}, 0},
        {true, {Button::Up}, 1},
        {true, {Button::Up, Button::Up}, 0},
        {true, {Button::Up, Button::Up, Button::Up}, 2},
        {true, {Button::Down}, 0},
    };
    TMenuTopLoop* menu = MenuReady();
    ASSERT_NE(menu, nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.leave << " " << c.presses.size());
        TMenuChoiceLoop* window = c.leave ? static_cast<TMenuChoiceLoop*>(Push<TMenuConfirm2Loop>(menu))
                                          : static_cast<TMenuChoiceLoop*>(Push<TMenuConfirmLoop>(menu));
        const int opening = c.leave ? kLeaveSteps : kChangeSteps;
        // The last step of the slide takes no press yet.
        driver_.Steps(opening - 1);
        driver_.Press(Button::Down);
        EXPECT_EQ(TMenuProbe::Cursor(*window), c.leave ? 2 : 0);
        driver_.RecordSounds(true);
        for (Button b : c.presses) {
            driver_.Step();
            driver_.Press(b);
        }
        EXPECT_EQ(TMenuProbe::Cursor(*window), c.cursor);
        EXPECT_EQ(Played(), std::vector<std::uint32_t>(c.presses.size(), 600));
        driver_.RecordSounds(false);
        driver_.Step();
        driver_.Press(Button::B);
        ASSERT_TRUE(StepUntilCurrent(menu));
    }
}

// The leave window opens on back: "A" at once only closes it, and no question is asked.
TEST_F(ChoiceWindowTest, TheLeaveWindowStartsOnBackSoAAtOnceOnlyClosesIt)
{
    TMenuTopLoop* menu = MenuReady();
    ASSERT_NE(menu, nullptr);
    auto* window = Push<TMenuConfirm2Loop>(menu);
    EXPECT_EQ(Picture(window, 0), "sprite.ptx/window02_i");
    EXPECT_EQ(Picture(window, 1), "sprite.ptx/window02_j");
    EXPECT_EQ(Picture(window, 2), "sprite.ptx/window02_k");
    for (std::int32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(TMenuProbe::At(TMenuProbe::Choices(*window), i).x.value, -194 + 8 * i);
        EXPECT_EQ(TMenuProbe::At(TMenuProbe::Choices(*window), i).y.value, 16 + 40 * i);
        EXPECT_FLOAT_EQ(TMenuProbe::At(TMenuProbe::Choices(*window), i).alpha.value, i == 2 ? 1.0F : 0.5F);
    }
    driver_.Steps(kLeaveSteps);
    for (std::int32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(TMenuProbe::At(TMenuProbe::Choices(*window), i).x.value, 16 + 8 * i);
    }
    driver_.RecordSounds(true);
    driver_.Press(Button::A);
    EXPECT_EQ(Played(), std::vector<std::uint32_t>{606});
    for (int i = 0; i < kLeaveSteps; ++i) {
        EXPECT_EQ(dynamic_cast<TYesNoLoop*>(driver_.Current()), nullptr);
        driver_.Step();
    }
    EXPECT_EQ(driver_.Current(), menu);
}

// "No" in the question ends it and the leave window slides in again with its cursor where it was.
TEST_F(ChoiceWindowTest, NoInTheQuestionReturnsToTheLeaveWindow)
{
    TMenuTopLoop* menu = MenuReady();
    ASSERT_NE(menu, nullptr);
    for (std::int32_t choice : {0, 1}) {
        SCOPED_TRACE(choice);
        auto* window = Push<TMenuConfirm2Loop>(menu);
        driver_.Steps(kLeaveSteps);
        for (std::int32_t i = 2; i > choice; --i) {
            driver_.Press(Button::Up);
            driver_.Step();
        }
        driver_.RecordSounds(true);
        driver_.Press(Button::A);
        driver_.Steps(kLeaveSteps);
        auto* dialog = dynamic_cast<TYesNoLoop*>(driver_.Current());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(TMenuProbe::Kind(*dialog), choice);
        EXPECT_EQ(TMenuProbe::Selection(*dialog), 1);
        driver_.Steps(11);
        driver_.Press(Button::A);
        EXPECT_EQ(Played(), (std::vector<std::uint32_t>{603, 606}));
        driver_.Steps(10);
        EXPECT_EQ(driver_.Current(), dialog);
        driver_.Step();
        ASSERT_EQ(driver_.Current(), window);
        driver_.Step();
        EXPECT_EQ(TMenuProbe::Cursor(*window), choice);
        EXPECT_EQ(TMenuProbe::At(TMenuProbe::Choices(*window), 0).x.value, -173) << "sliding in again";
        EXPECT_FLOAT_EQ(TMenuProbe::At(TMenuProbe::Choices(*window), choice).alpha.value, 1.0F);
        driver_.RecordSounds(false);
        driver_.Steps(kLeaveSteps);
        driver_.Press(Button::B);
        ASSERT_TRUE(StepUntilCurrent(menu));
    }
}

// The menu's picture of the field is taken again after the change: the new character shows
// behind the windows, beside them the picture is unchanged.
TEST_F(ChoiceWindowTest, AfterTheChangeTheMenuBackgroundShowsTheNewCharacter)
{
    TMenuTopLoop* menu = MenuReady();
    ASSERT_NE(menu, nullptr);
    const platform::RgbaImage before = qmtest::SceneDriver::Screen();
    driver_.Step();
    EXPECT_TRUE(qmtest::SamePicture(before, qmtest::SceneDriver::Screen(), 0, 0)) << "a steady menu";
    Push<TMenuConfirmLoop>(menu);
    driver_.Steps(kChangeSteps);
    driver_.Press(Button::A);
    driver_.Steps(kChangeSteps);
    ASSERT_EQ(driver_.Current(), menu);
    EXPECT_EQ(field_->GetPlayer()->GetCharacterIndex(), 1u);
    driver_.Steps(kMenuOpenSteps - 11);  // the windows back in
    const platform::RgbaImage after = qmtest::SceneDriver::Screen();
    int changed = 0;
    for (int y = 0; y < 480; ++y) {
        for (int x = 200; x < 640; ++x) {
            const std::uint8_t* a = before.At(x, y);
            const std::uint8_t* b = after.At(x, y);
            changed += a[0] != b[0] || a[1] != b[1] || a[2] != b[2] ? 1 : 0;
        }
    }
    EXPECT_GT(changed, 200) << "the player drawn anew";
}

}  // namespace
}  // namespace menutest
