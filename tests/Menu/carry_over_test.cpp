// The carry-over choice of a new game over the title: its rows for every chapter (and for the
// numbers it cannot show), the cursor's wrap, the fresh start, cancelling, and the carry-over
// screen of a chapter's folder opened over it.
#include "MainCode/Scene/TChangeLoop.h"
#include "MainCode/Scene/TTitleLoop.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "save_screen_fixture.h"
#include "support/dx_probe.h"
#include "support/golden.h"
#include "support/menu_probe.h"
#include "support/scene_probe.h"

namespace savetest {
namespace {

// Rows and their places for each chapter; a chapter outside 1..6 is shown as the nearest one.
TEST_F(SaveScreens, TheChoiceHasARowPerEarlierChapterCentredOnTheScreen)
{
    const struct {
        std::int32_t chapter;
        std::int32_t shownAs;
        std::vector<std::int32_t> ys;
    } cases[] = {
        {4, 4, {112, 176, 240, 304}},
        {1, 1, {208}},
        {2, 2, {176, 240}},
        {6, 6, {48, 112, 176, 240, 304, 368}},
        {7, 6, {48, 112, 176, 240, 304, 368}},
        {0, 1, {208}},
        {-3, 1, {208}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chapter);
        TSelectContinueDataLoop* choice = OpenChoice(c.chapter);
        ASSERT_TRUE(TMenuProbe::InInput(*choice));
        ASSERT_EQ(TMenuProbe::RowCount(*choice), static_cast<std::int32_t>(c.ys.size()));
        for (std::size_t r = 0; r < c.ys.size(); ++r) {
            EXPECT_EQ(TMenuProbe::RowY(*choice, static_cast<std::int32_t>(r)), c.ys[r]) << "row " << r;
        }
        char fresh[96];
        std::snprintf(fresh, sizeof fresh, "セーブデータを引き継がずに%d章を開始する。", c.shownAs);
        EXPECT_TRUE(Shows(TMenuProbe::RowText(*choice, 0), {{0, fresh}}));
        const auto last = static_cast<std::int32_t>(c.ys.size()) - 1;
        if (last > 0) {
            char carried[96];
            std::snprintf(carried, sizeof carried, "%d章のセーブデータを引き継いで%d章を開始する。", last, c.shownAs);
            EXPECT_TRUE(Shows(TMenuProbe::RowText(*choice, last), {{0, carried}}));
        }
        Press(Button::B);
        for (int i = 0; i < 60 && Current() == choice; ++i) {
            Driver().Step();
        }
        ASSERT_NE(dynamic_cast<TTitleLoop*>(Current()), nullptr);
    }
}

TEST_F(SaveScreens, TheChoiceCursorWrapsAndCancelFadesBackToTheTitle)
{
    TSelectContinueDataLoop* choice = OpenChoice(4);
    EXPECT_EQ(Driver().App()->GetSceneCount(), 2);
    Driver().RecordSounds(true);
    const struct {
        Button press;
        std::int32_t cursor;
    } moves[] = {{Button::Up, 3}, {Button::Down, 0}, {Button::Down, 1}, {Button::Up, 0}};
    for (const auto& m : moves) {
        Press(m.press);
        EXPECT_EQ(TMenuProbe::Cursor(*choice), m.cursor);
    }
    Driver().Steps(10);
    EXPECT_FLOAT_EQ(TMenuProbe::RowLight(*choice, 0).alpha.value, 1.0F);
    EXPECT_FLOAT_EQ(TMenuProbe::RowLight(*choice, 3).alpha.value, 0.5F);
    Driver().Press(Button::B);
    EXPECT_EQ(TMenuProbe::Decision(*choice), TSelectContinueDataLoop::kCancelled);
    int steps = 1;
    for (; steps < 60 && Current() == choice; ++steps) {
        Driver().Step();
    }
    // After the press the rows drop back one after another (4 rows: 5 + 5 + 5 + 10 steps), then
    // 10 steps of dim: the 35th ends the screen.
    EXPECT_EQ(steps - 1, 35);
    ASSERT_NE(dynamic_cast<TTitleLoop*>(Current()), nullptr);
    EXPECT_EQ(Played(Driver().sounds), (std::vector<std::uint32_t>{601, 601, 601, 601, 606}));
    Driver().RecordSounds(false);
}

TEST_F(SaveScreens, TheFreshStartResetsTheGameAndStartsTheOpeningEvent)
{
    TGameData& data = *TGameData::GetInstance();
    data.SetMoney(98765);
    TSoundBank* effects = TDSound8::Instance()->GetBank(0);
    TSoundBank* music = TDSound8::Instance()->GetBank(2);
    // Counted before the screen declares its own uses, which go with it.
    const std::uint32_t start = TDxProbe::UseCount(*effects, 605);
    const std::uint32_t title = TDxProbe::UseCount(*music, 1);
    OpenChoice(4);
    Driver().RecordSounds(true);
    Driver().Press(Button::A);
    auto* hub = dynamic_cast<TChangeLoop*>(Current());
    ASSERT_NE(hub, nullptr);
    EXPECT_EQ(Driver().App()->GetSceneCount(), 1);
    EXPECT_EQ(TSceneProbe::EventId(*hub), 300u);
    EXPECT_EQ(TSceneProbe::MusicId(*hub), 1);
    EXPECT_EQ(TDxProbe::UseCount(*effects, 605), start + 1);
    EXPECT_EQ(TDxProbe::UseCount(*music, 1), title + 1);
    EXPECT_NE(data.GetMoney(), 98765u) << "a new game";
    EXPECT_EQ(Played(Driver().sounds), std::vector<std::uint32_t>{605});
    Driver().RecordSounds(false);
}

// A chapter whose folder holds nothing usable: its lines, "A" refused, "B" back to the choice.
TEST_F(SaveScreens, AChapterWithoutAUsableSaveIsRefusedAndCancelBringsTheRowsBack)
{
    Write(0, Slot::Own, 2);
    Write(1, Slot::BadCrc, 2);
    TSelectContinueDataLoop* choice = OpenChoice(4);
    Press(Button::Down);
    Press(Button::Down);
    Driver().RecordSounds(true);
    Press(Button::A);
    EXPECT_EQ(TMenuProbe::Decision(*choice), TSelectContinueDataLoop::kCarryOver);
    TSaveLoadLoop* screen = nullptr;
    for (int i = 0; i < 60 && screen == nullptr; ++i) {
        Driver().Step();
        screen = dynamic_cast<TSaveLoadLoop*>(Current());
    }
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(TMenuProbe::Mode(*screen), TSaveLoadLoop::kCarryOver);
    EXPECT_EQ(TMenuProbe::Chapter(*screen), 2);
    ASSERT_TRUE(StepToSelection(screen));
    EXPECT_EQ(TMenuProbe::Code(TMenuProbe::SlotPage(*screen), 0), 7);
    EXPECT_EQ(TMenuProbe::Code(TMenuProbe::SlotPage(*screen), 1), 5);
    EXPECT_TRUE(ShowsSlotLine(TMenuProbe::RowText(TMenuProbe::SlotPage(*screen), 2), 2, "Empty"));
    Press(Button::A);
    Press(Button::B);
    for (int i = 0; i < 60 && Current() == screen; ++i) {
        Driver().Step();
    }
    ASSERT_EQ(Current(), choice);
    for (int i = 0; i < 60 && !TMenuProbe::InInput(*choice); ++i) {
        Driver().Step();
    }
    EXPECT_TRUE(TMenuProbe::InInput(*choice));
    EXPECT_EQ(TMenuProbe::RowY(*choice, 3), 304);
    EXPECT_EQ(TMenuProbe::Cursor(*choice), 2);
    EXPECT_EQ(Played(Driver().sounds), (std::vector<std::uint32_t>{606, 608, 606}));
    Driver().RecordSounds(false);
}

TEST_F(SaveScreens, AChaptersUsableSaveIsCarriedIntoTheOpeningEvent)
{
    Write(0, Slot::Chapter2, 2, 2468);
    TSelectContinueDataLoop* choice = OpenChoice(4);
    Driver().Steps(10);
    EXPECT_TRUE(qmtest::MatchesGolden(qmtest::SceneDriver::Screen(), "CarryOverChoice"));
    Press(Button::Down);
    Press(Button::Down);
    Press(Button::A);
    TSaveLoadLoop* screen = nullptr;
    for (int i = 0; i < 60 && screen == nullptr; ++i) {
        Driver().Step();
        screen = dynamic_cast<TSaveLoadLoop*>(Current());
    }
    ASSERT_NE(screen, nullptr);
    ASSERT_TRUE(StepToSelection(screen));
    const std::uint32_t before = TGameData::GetInstance()->GetPlayTime();
    Driver().Press(Button::A);
    auto* hub = dynamic_cast<TChangeLoop*>(Current());
    ASSERT_NE(hub, nullptr);
    EXPECT_EQ(TSceneProbe::EventId(*hub), 300u);
    EXPECT_EQ(Driver().App()->GetSceneCount(), 1) << "the choice and the title went too";
    EXPECT_EQ(TGameData::GetInstance()->GetMoney(), 2468u);
    EXPECT_NE(TGameData::GetInstance()->GetPlayTime(), before);
    (void)choice;
}

}  // namespace
}  // namespace savetest
