// The yes/no question: opened by the keys over any scene or by the leave window over the pause
// menu, always on "no"; its answers, its wrap, no second question over it, the quit after the
// screen (and the music) has faded out, and the change back to the title with or without music.
#include <filesystem>

#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Menu/TMenuConfirm2Loop.h"
#include "MainCode/Menu/TYesNoLoop.h"
#include "MainCode/Scene/TChangeLoop.h"
#include "MainCode/Scene/TTitleLoop.h"
#include "Menu/pause_fixture.h"
#include "dx/dx8/3d/TTexture8.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "support/descriptor_limit.h"
#include "support/dx_probe.h"
#include "support/error_log.h"
#include "support/menu_probe.h"
#include "support/scene_probe.h"

namespace menutest {
namespace {

// The key dialog darkens for 11 steps and slides in for 11 more; the leave window's dialog only
// slides in.
constexpr int kKeyDialogOpenSteps = 22;
constexpr int kOwnedDialogOpenSteps = 11;

class YesNoTest : public PauseMenuTest {
protected:
    // The key's dialog over whatever is current.
    TYesNoLoop* KeyDialog(Button key)
    {
        Key(key);
        auto* dialog = dynamic_cast<TYesNoLoop*>(driver_.Current());
        EXPECT_NE(dialog, nullptr);
        return dialog;
    }
    // Once slid in, up to "yes" and "A" (sounds recorded from the answer on).
    void AnswerYes(bool fromMenu)
    {
        driver_.Steps(fromMenu ? kOwnedDialogOpenSteps : kKeyDialogOpenSteps);
        driver_.Press(Button::Up);
        driver_.Step();
        driver_.RecordSounds(true);
        driver_.Press(Button::A);
        EXPECT_EQ(Played(), std::vector<std::uint32_t>{603});
    }
    // The pause menu's leave window on its choice (0 title, 1 quit) answered "A": its dialog.
    TYesNoLoop* LeaveWindowDialog(std::int32_t choice)
    {
        TMenuTopLoop* menu = MenuReady();
        if (menu == nullptr) {
            return nullptr;
        }
        driver_.Press(Button::Up);  // to the last item
        driver_.Step();
        driver_.Press(Button::A);
        driver_.Steps(kMenuCloseSteps);
        auto* leave = dynamic_cast<TMenuConfirm2Loop*>(driver_.Current());
        EXPECT_NE(leave, nullptr);
        driver_.Steps(21);  // three windows in
        for (std::int32_t i = 2; i > choice; --i) {
            driver_.Press(Button::Up);
            driver_.Step();
        }
        driver_.Press(Button::A);
        driver_.Steps(21);  // and out
        auto* dialog = dynamic_cast<TYesNoLoop*>(driver_.Current());
        EXPECT_NE(dialog, nullptr);
        return dialog;
    }
};

TEST_F(YesNoTest, TheKeysOpenItOnNoItTakesAnAnswerOnlyOnceSlidInAndNoSecondOneOverIt)
{
    const struct {
        Button key;
        std::uint8_t kind;
        int waited;  // steps before "A"
        bool closes;
    } cases[] = {
        {Button::Escape, 1, kKeyDialogOpenSteps - 1, false},  // the last step of the slide
        {Button::Escape, 1, kKeyDialogOpenSteps, true},
        {Button::F4, 0, kKeyDialogOpenSteps, true},
    };
    TLoop* title = driver_.Current();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.waited);
        TYesNoLoop* dialog = KeyDialog(c.key);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(TMenuProbe::Kind(*dialog), c.kind);
        EXPECT_EQ(TMenuProbe::Selection(*dialog), 1);
        driver_.Steps(c.waited);
        driver_.RecordSounds(true);
        driver_.Press(Button::A);
        EXPECT_EQ(Played(), c.closes ? std::vector<std::uint32_t>{606} : std::vector<std::uint32_t>{});
        if (!c.closes) {
            // Never a second question over it.
            for (Button key : {Button::Escape, Button::F4}) {
                Key(key);
                driver_.Step();
                EXPECT_EQ(driver_.Current(), dialog);
                EXPECT_EQ(driver_.App()->GetSceneCount(), 2);
            }
            driver_.Press(Button::B);
        }
        // Back out: the windows and the dark over 10 steps, gone on the 11th.
        driver_.Steps(10);
        EXPECT_EQ(driver_.Current(), dialog);
        driver_.Step();
        EXPECT_EQ(driver_.Current(), title);
        driver_.RecordSounds(false);
    }
}

// A dialog that cannot load its pictures does not open, and takes nothing with it: no box, the
// scene under it plays on, and the key opens it once its pictures can be read again. A missing
// picture package is written to the error log by its name, once a key; with no descriptor left
// the log cannot be written either, and the play still goes on. (It opens once first, and the
// package's error comes before the descriptors go: the sanitizers' type check takes a descriptor
// the first time it meets a class.)
TEST_F(YesNoTest, ADialogThatCannotOpenLeavesThePlayGoingOn)
{
    // The log goes beside the executable, which seems to live in a fresh folder.
    qmtest::TempDir exeDir;
    const qmtest::ErrorLogBeside errors(exeDir.Path());
    const std::string record = "\r\nerror : data/ptx04/sprite.ptx\r\n";
    TLoop* title = driver_.Current();
    const auto openAndBackOut = [&](Button key) {
        TYesNoLoop* dialog = KeyDialog(key);
        ASSERT_NE(dialog, nullptr);
        driver_.Steps(kKeyDialogOpenSteps);
        driver_.Press(Button::B);
        driver_.Steps(11);
        EXPECT_EQ(driver_.Current(), title);
    };
    const auto keyRefused = [&](Button key) {
        Key(key);
        EXPECT_EQ(driver_.Current(), title);
        EXPECT_EQ(driver_.App()->GetSceneCount(), 1);
        for (int i = 0; i < 5; ++i) {
            EXPECT_TRUE(driver_.Step());
        }
        EXPECT_EQ(driver_.Current(), title);
    };
    std::size_t logged = 0;
    for (Button key : {Button::Escape, Button::F4}) {
        SCOPED_TRACE(qmtest::KeyOf(key));
        openAndBackOut(key);
        // Its pictures go with the scene changes that purge what nothing holds.
        TTexture8::PurgeCache(2);
        std::filesystem::rename("data/ptx04/sprite.ptx", "data/ptx04/sprite.away");
        keyRefused(key);
        std::filesystem::rename("data/ptx04/sprite.away", "data/ptx04/sprite.ptx");
        const std::string log = errors.Log();
        EXPECT_EQ(qmtest::CountOf(log, "module : "), ++logged) << log;
        EXPECT_EQ(qmtest::CountOf(log, record), logged) << log;
        {
            qmtest::NoFreeDescriptors none;
            ASSERT_TRUE(none.Held());
            keyRefused(key);
        }
        EXPECT_EQ(errors.Log(), log);
        EXPECT_TRUE(driver_.boxes.empty());
        openAndBackOut(key);
    }
}

TEST_F(YesNoTest, UpAndDownWrapBetweenTheTwoAnswers)
{
    const struct {
        std::vector<Button> presses;
        std::int32_t selection;
        std::size_t sounds;  // 601 each
    } cases[] = {
        {{Button::Up}, 0, 1},
        {{Button::Up, Button::Up}, 1, 2},  // up from yes wraps to no
        {{Button::Down}, 0, 1},            // down from no wraps to yes
        {{Button::Down, Button::Down}, 1, 2},
        {{Button::Up, Button::Down}, 1, 2},
    };
    for (const auto& c : cases) {
        TYesNoLoop* dialog = KeyDialog(Button::Escape);
        ASSERT_NE(dialog, nullptr);
        driver_.Steps(kKeyDialogOpenSteps);
        driver_.RecordSounds(true);
        for (Button b : c.presses) {
            driver_.Press(b);
            driver_.Step();
        }
        EXPECT_EQ(TMenuProbe::Selection(*dialog), c.selection);
        EXPECT_EQ(Played(), std::vector<std::uint32_t>(c.sounds, 601));
        driver_.RecordSounds(false);
        driver_.Press(Button::B);
        driver_.Steps(11);
        ASSERT_EQ(driver_.App()->GetSceneCount(), 1);
    }
}

// Without music the quit waits for the 50-step black fade alone: 4 on the step after it reaches
// 1.0. From the leave window the field's music fades out over the same 50 steps and is stopped.
TEST_F(YesNoTest, QuitEndsTheProgramOnTheStepAfterTheFiftyStepFade)
{
    const struct {
        bool fromMenu;
    } cases[] = {{false}, {true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fromMenu);
        TYesNoLoop* dialog = nullptr;
        TRefPtr<TStreamSound> music;
        if (c.fromMenu) {
            dialog = LeaveWindowDialog(1);
            music = TDSound8::Instance()->GetBank(2)->Get(10);
            ASSERT_NE(music.Get(), nullptr);
        } else {
            dialog = KeyDialog(Button::Escape);
        }
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(TMenuProbe::Kind(*dialog), 1);
        AnswerYes(c.fromMenu);
        for (int i = 1; i <= 50; ++i) {
            ASSERT_TRUE(driver_.Step()) << i;
        }
        EXPECT_EQ(TMenuProbe::BlackColor(*dialog), 0xF9000000u) << "0.98 of the way";
        if (c.fromMenu) {
            EXPECT_GT(music->GetVolume(), music->GetMinVolume());
        }
        EXPECT_FALSE(driver_.Step());
        EXPECT_EQ(TMenuProbe::BlackColor(*dialog), 0xFF000000u);
        if (c.fromMenu) {
            EXPECT_EQ(music->GetVolume(), music->GetMinVolume());
        }
        driver_.RecordSounds(false);
        music = TRefPtr<TStreamSound>();
        driver_.Stop();
        field_ = nullptr;
        ASSERT_TRUE(driver_.Start());
        driver_.Steps(8);
    }
}

// "Yes" back to the title leaves only the hub: the key dialog hands it no music, the leave
// window the field's music with one more use so that it outlives the field.
TEST_F(YesNoTest, BackToTheTitleHandsTheHubTheMusicOnlyFromTheLeaveWindow)
{
    const struct {
        bool fromMenu;
        std::int32_t music;
        std::uint32_t uses;
    } cases[] = {{false, -1, 0}, {true, 10, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fromMenu);
        ASSERT_NE(Field(), nullptr);
        TSoundBank* bank = TDSound8::Instance()->GetBank(2);
        ASSERT_EQ(TDxProbe::UseCount(*bank, 10), 1u) << "the field's own use";
        TYesNoLoop* dialog = c.fromMenu ? LeaveWindowDialog(0) : KeyDialog(Button::F4);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(TMenuProbe::Kind(*dialog), 0);
        AnswerYes(c.fromMenu);
        EXPECT_EQ(driver_.App()->GetSceneCount(), 1);
        auto* hub = dynamic_cast<TChangeLoop*>(driver_.Current());
        ASSERT_NE(hub, nullptr);
        EXPECT_EQ(TSceneProbe::Mode(*hub), TChangeLoop::kToTitle);
        EXPECT_EQ(TSceneProbe::MusicId(*hub), c.music);
        EXPECT_EQ(TDxProbe::UseCount(*bank, 10), c.uses);
        driver_.Steps(101);  // the change's fade
        EXPECT_NE(dynamic_cast<TTitleLoop*>(driver_.Current()), nullptr);
        driver_.RecordSounds(false);
        field_ = nullptr;
    }
}

}  // namespace
}  // namespace menutest
