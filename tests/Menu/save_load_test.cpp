// The save and load screen over the title, in all three modes: page turns and the cursor at their
// wraps, the rows of every kind of slot file, the overwrite question and its answers, a write that
// fails, loads through the scene change, the carry-over of another chapter's save, the pictures
// of a page and of the question, and steady steps without allocations.
#include <algorithm>

#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Scene/TChangeLoop.h"
#include "MainCode/Scene/TTitleLoop.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"
#include "save_screen_fixture.h"
#include "support/alloc_probe.h"
#include "support/dx_probe.h"
#include "support/golden.h"
#include "support/menu_probe.h"
#include "support/scene_probe.h"

namespace savetest {
namespace {

constexpr std::int32_t kRowX = 64;

// Steps until the scene on top is another one, at most limit steps.
void StepUntilGone(qmtest::SceneDriver& driver, const TLoop* scene, int limit = 80)
{
    for (int i = 0; i < limit && driver.Current() == scene; ++i) {
        driver.Step();
    }
}

TEST_F(SaveScreens, PagesWrapBothWaysTheRowStaysAndEachPageListsItsSlots)
{
    Write(0, Slot::Own);
    Write(99, Slot::Own);
    Write(5, Slot::BadCrc);
    Write(47, Slot::Short);
    using B = Button;
    const struct {
        const char* name;
        std::vector<Button> presses;
        std::int32_t page, cursor;
        const char* pageText;
        int outward;  // the last page-out: +1 to the right, -1 to the left, 0 none
        std::vector<std::int32_t> codes;
    } cases[] = {
        {"left on page 1", {B::Left}, 19, 0, "PAGE : 20 / 20", +1, {1, 1, 1, 1, 0}},
        {"right on page 20", {B::Left, B::Right}, 0, 0, "PAGE :  1 / 20", -1, {0, 1, 1, 1, 1}},
        {"right on page 1", {B::Right}, 1, 0, "PAGE :  2 / 20", -1, {5, 1, 1, 1, 1}},
        {"left on page 2", {B::Right, B::Left}, 0, 0, "PAGE :  1 / 20", +1, {0, 1, 1, 1, 1}},
        {"page 9 to 10",
         {B::Right, B::Right, B::Right, B::Right, B::Right, B::Right, B::Right, B::Right, B::Right},
         9, 0, "PAGE : 10 / 20", -1, {1, 1, 6, 1, 1}},
        {"up on row 0", {B::Up}, 0, 4, "PAGE :  1 / 20", 0, {0, 1, 1, 1, 1}},
        {"down on row 4", {B::Up, B::Down}, 0, 0, "PAGE :  1 / 20", 0, {0, 1, 1, 1, 1}},
        {"down on row 0", {B::Down}, 0, 1, "PAGE :  1 / 20", 0, {0, 1, 1, 1, 1}},
        {"row 2 through a turn", {B::Down, B::Down, B::Right}, 1, 2, "PAGE :  2 / 20", -1, {5, 1, 1, 1, 1}},
        {"row 4 through the wrap", {B::Up, B::Left}, 19, 4, "PAGE : 20 / 20", +1, {1, 1, 1, 1, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TSaveLoadLoop* screen = Open(TSaveLoadLoop::CreateLoad(Driver().App()));
        ASSERT_TRUE(TMenuProbe::InSelection(TMenuProbe::SlotPage(*screen)));
        EXPECT_TRUE(Shows(TMenuProbe::PageText(TMenuProbe::SlotPage(*screen)), {{0, "PAGE :  1 / 20"}}));
        int outward = 0;
        for (Button b : c.presses) {
            Press(b);  // the press, then the first step of the page-out
            if (b == B::Left || b == B::Right) {
                const std::int32_t x = TMenuProbe::RowX(TMenuProbe::SlotPage(*screen), 0);
                outward = x > kRowX ? +1 : x < kRowX ? -1 : 0;
            }
            ASSERT_TRUE(StepToSelection(screen));
        }
        EXPECT_EQ(TMenuProbe::Page(TMenuProbe::SlotPage(*screen)), c.page);
        EXPECT_EQ(TMenuProbe::Cursor(TMenuProbe::SlotPage(*screen)), c.cursor);
        EXPECT_EQ(outward, c.outward);
        EXPECT_TRUE(Shows(TMenuProbe::PageText(TMenuProbe::SlotPage(*screen)), {{0, c.pageText}}));
        for (std::int32_t r = 0; r < 5; ++r) {
            EXPECT_EQ(TMenuProbe::Code(TMenuProbe::SlotPage(*screen), r), c.codes[static_cast<std::size_t>(r)])
                << "row " << r;
            EXPECT_EQ(TMenuProbe::RowX(TMenuProbe::SlotPage(*screen), r), kRowX) << "row " << r << " back in place";
        }
        Press(Button::B);
        StepUntilGone(Driver(), screen);
        ASSERT_NE(dynamic_cast<TTitleLoop*>(Current()), nullptr) << "the load screen goes back to the title";
    }
}

// The rows leave by one side and come back from the other: after "RIGHT" out to the left and in
// from the right, after "LEFT" the other way round.
TEST_F(SaveScreens, PageInComesFromTheOtherSide)
{
    TSaveLoadLoop* screen = Open(TSaveLoadLoop::CreateLoad(Driver().App()));
    for (const auto& [button, outSide] : {std::pair{Button::Right, -1}, std::pair{Button::Left, +1}}) {
        Press(button);
        bool out = false;
        bool in = false;
        for (int i = 0; i < 80 && !TMenuProbe::InSelection(TMenuProbe::SlotPage(*screen)); ++i) {
            const std::int32_t side = (TMenuProbe::RowX(TMenuProbe::SlotPage(*screen), 4) - kRowX) * outSide;
            out = out || side > 0;
            in = in || (out && side < 0);
            Driver().Step();
        }
        EXPECT_TRUE(out);
        EXPECT_TRUE(in);
    }
}

// Opening, the page turn and closing move the rows one after another: each row starts five steps
// after the one before it (once that one reached step 6, or fell below step 5), and every phase
// ends on the step its last row arrives.
TEST_F(SaveScreens, RowsCascadeFiveStepsApartInEveryPhase)
{
    TSaveLoadLoop* screen = TSaveLoadLoop::CreateLoad(Driver().App());
    Driver().App()->PushScene(screen);
    const TSaveSlotPage& page = TMenuProbe::SlotPage(*screen);
    // Steps of the phase on which each row first moved, and the phase's length.
    auto phase = [&](auto value, auto done) {
        std::vector<int> starts(5, 0);
        std::vector<std::int32_t> last;
        for (std::int32_t r = 0; r < 5; ++r) {
            last.push_back(value(r));
        }
        int steps = 0;
        while (steps < 100 && !done()) {
            Driver().Step();
            ++steps;
            for (std::int32_t r = 0; r < 5; ++r) {
                const auto i = static_cast<std::size_t>(r);
                if (starts[i] == 0 && value(r) != last[i]) {
                    starts[i] = steps;
                }
            }
        }
        starts.push_back(steps);
        return starts;
    };
    Driver().Steps(10);  // the dim
    const auto y = [&](std::int32_t r) { return TMenuProbe::RowY(page, r); };
    const auto x = [&](std::int32_t r) { return TMenuProbe::RowX(page, r); };
    EXPECT_EQ(phase(y, [&] { return TMenuProbe::InSelection(page); }), (std::vector<int>{1, 6, 11, 16, 21, 30}));
    EXPECT_EQ(TMenuProbe::RowY(page, 4), 336);
    Driver().Press(Button::Right);
    // Out to the left (30 steps; on the last the rows are put at the right), then in.
    EXPECT_EQ(phase(x, [&] { return TMenuProbe::RowX(page, 0) == 1152; }), (std::vector<int>{1, 6, 11, 16, 21, 30}));
    EXPECT_EQ(phase(x, [&] { return TMenuProbe::InSelection(page); }), (std::vector<int>{1, 6, 11, 16, 21, 30}));
    Driver().Press(Button::B);
    EXPECT_EQ(phase(y, [&] { return TMenuProbe::RowY(page, 4) == -64; }), (std::vector<int>{1, 6, 11, 16, 21, 30}));
}

TEST_F(SaveScreens, TheCursorRowIsLitAndTheOthersDimmed)
{
    TSaveLoadLoop* screen = Open(TSaveLoadLoop::CreateLoad(Driver().App()));
    // At rest: row 0 full from the start, the others half.
    EXPECT_FLOAT_EQ(TMenuProbe::RowLight(TMenuProbe::SlotPage(*screen), 0).alpha.value, 1.0F);
    EXPECT_FLOAT_EQ(TMenuProbe::RowLight(TMenuProbe::SlotPage(*screen), 4).alpha.value, 0.5F);
    EXPECT_FLOAT_EQ(TMenuProbe::RowLight(TMenuProbe::SlotPage(*screen), 4).grey.value, 0.3F);
    Driver().Press(Button::Down);
    EXPECT_FLOAT_EQ(TMenuProbe::RowLight(TMenuProbe::SlotPage(*screen), 1).alpha.value, 0.55F);
    EXPECT_FLOAT_EQ(TMenuProbe::RowLight(TMenuProbe::SlotPage(*screen), 0).alpha.value, 0.95F);
    Driver().Steps(9);
    EXPECT_FLOAT_EQ(TMenuProbe::RowLight(TMenuProbe::SlotPage(*screen), 1).alpha.value, 1.0F);
    EXPECT_FLOAT_EQ(TMenuProbe::RowLight(TMenuProbe::SlotPage(*screen), 1).grey.value, 1.0F);
    EXPECT_FLOAT_EQ(TMenuProbe::RowLight(TMenuProbe::SlotPage(*screen), 0).alpha.value, 0.5F);
    EXPECT_FLOAT_EQ(TMenuProbe::RowLight(TMenuProbe::SlotPage(*screen), 0).grey.value, 0.3F);
}

// Slot 2 of the save screen: the question only over a file, its picture by the file's chapter,
// its answers, and what the write leaves.
TEST_F(SaveScreens, SavingAsksOnlyOverAFileAndNoWritesNothing)
{
    using B = Button;
    const struct {
        const char* name;
        Slot before;
        const char* question;  // null: no question
        std::int32_t questionY;
        std::vector<Button> answer;
        bool written;
        std::vector<std::uint32_t> sounds;
    } cases[] = {
        {"empty slot", Slot::Missing, nullptr, 0, {}, true, {603, 605}},
        {"own save, yes", Slot::Own, "sprite.ptx/window25", 164, {B::A}, true, {603, 603, 605}},
        {"own save, down and A", Slot::Own, "sprite.ptx/window25", 164, {B::Down, B::A}, false, {603, 601, 606}},
        {"other chapter, B", Slot::OtherChapter, "sprite.ptx/window26", 100, {B::B}, false, {603, 606}},
        {"other chapter, up twice and A", Slot::OtherChapter, "sprite.ptx/window26", 100, {B::Up, B::Up, B::A},
         true, {603, 601, 601, 603, 605}},
        {"bad CRC, yes", Slot::BadCrc, "sprite.ptx/window25", 164, {B::A}, true, {603, 603, 605}},
        {"short file, yes", Slot::Short, "sprite.ptx/window25", 164, {B::A}, true, {603, 603, 605}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Write(2, c.before);
        const std::vector<std::uint8_t> before = Bytes(2);
        TSaveLoadLoop* screen = Open(TSaveLoadLoop::CreateSave(Driver().App()));
        Press(B::Down);
        Press(B::Down);
        ASSERT_TRUE(StepToSelection(screen));
        Driver().RecordSounds(true);
        Press(B::A);
        if (c.question != nullptr) {
            for (int i = 0; i < 40 && TMenuProbe::QuestionY(TMenuProbe::SlotPage(*screen)) != c.questionY; ++i) {
                Driver().Step();
            }
            ASSERT_TRUE(TMenuProbe::SlotPage(*screen).InConfirmation());
            EXPECT_EQ(TMenuProbe::Choice(TMenuProbe::SlotPage(*screen)), 0) << "the question starts on yes";
            Driver().RecordDraws(true);
            Driver().Step();
            const auto& draws = Driver().draws;
            const auto question = std::find_if(draws.begin(), draws.end(), [](const TSpriteDrawRecord& d) {
                return d.texture.rfind("sprite.ptx/window2", 0) == 0;
            });
            ASSERT_NE(question, draws.end());
            EXPECT_EQ(question->texture, c.question);
            EXPECT_EQ(question->y, static_cast<float>(c.questionY));
            Driver().RecordDraws(false);
            for (Button b : c.answer) {
                Press(b);
            }
        } else {
            Driver().Step();
            EXPECT_FALSE(TMenuProbe::SlotPage(*screen).InConfirmation());
        }
        ASSERT_TRUE(StepToSelection(screen, 120));
        EXPECT_EQ(Played(Driver().sounds), c.sounds);
        Driver().RecordSounds(false);
        const std::vector<std::uint8_t> after = Bytes(2);
        std::vector<std::uint8_t> body;
        bool crcFirst = false;
        if (c.written) {
            EXPECT_NE(after, before);
            EXPECT_TRUE(qmtest::UnwrapSaveFile(after, body, crcFirst)) << "a whole save";
            EXPECT_EQ(TMenuProbe::LastSaveResult(TMenuProbe::SlotPage(*screen)), 0);
        } else {
            EXPECT_EQ(after, before);
        }
        EXPECT_EQ(TMenuProbe::Cursor(TMenuProbe::SlotPage(*screen)), 2);
        Driver().App()->PopScenesTo(1);  // the title goes: the screen after the ending stands alone
        Press(B::B);
        StepUntilGone(Driver(), screen);
        auto* hub = dynamic_cast<TChangeLoop*>(Current());
        ASSERT_NE(hub, nullptr) << "closing the save screen leads to the title";
        EXPECT_EQ(TSceneProbe::Mode(*hub), TChangeLoop::kToTitle);
        EXPECT_EQ(TSceneProbe::MusicId(*hub), -1);
        Driver().Steps(101);  // the change's fade
        ASSERT_NE(dynamic_cast<TTitleLoop*>(Current()), nullptr);
    }
}

TEST_F(SaveScreens, AFailedWriteShowsItsLineKeepsTheOldFileAndMayBeTriedAgain)
{
    Write(3, Slot::Own);
    const std::vector<std::uint8_t> before = Bytes(3);
    // A folder where the write puts the new file first.
    const fs::path blocker = game_ / "save" / (qmtest::SaveSlotName(3) + ".tmp");
    fs::create_directories(blocker);
    TSaveLoadLoop* screen = Open(TSaveLoadLoop::CreateSave(Driver().App()));
    Press(Button::Up);
    Press(Button::Up);
    ASSERT_TRUE(StepToSelection(screen));
    // "A", yes to the question, and the write's slide out and in.
    auto save = [&] {
        Driver().RecordSounds(true);
        Press(Button::A);
        for (int i = 0; i < 60 && !TMenuProbe::SlotPage(*screen).InConfirmation(); ++i) {
            Driver().Step();
        }
        Driver().Steps(25);
        Press(Button::A);
        EXPECT_TRUE(StepToSelection(screen, 120));
        const std::vector<std::uint32_t> played = Played(Driver().sounds);
        Driver().RecordSounds(false);
        return played;
    };
    EXPECT_EQ(save(), (std::vector<std::uint32_t>{603, 603, 608}));
    EXPECT_NE(TMenuProbe::LastSaveResult(TMenuProbe::SlotPage(*screen)), 0);
    EXPECT_EQ(Bytes(3), before);
    EXPECT_TRUE(Shows(TMenuProbe::RowText(TMenuProbe::SlotPage(*screen), 3),
                      {{0, " 3：セーブデータの書き込みに失敗しました。"}}));

    fs::remove(blocker);
    EXPECT_EQ(save(), (std::vector<std::uint32_t>{603, 603, 605}));
    EXPECT_NE(Bytes(3), before);
}

// Every kind of slot file in a row of the load screen, and what "A" does on it.
TEST_F(SaveScreens, LoadRowsRefuseEveryFileThatCannotBeLoaded)
{
    Write(1, Slot::Missing);
    Write(2, Slot::BadCrc);
    Write(3, Slot::Short);
    Write(4, Slot::OtherChapter);
    TSaveLoadLoop* screen = Open(TSaveLoadLoop::CreateLoad(Driver().App()));
    EXPECT_TRUE(Shows(TMenuProbe::TitleText(TMenuProbe::SlotPage(*screen)), {{0, "ロード"}}));
    const struct {
        std::int32_t row;
        std::int32_t code;
        const char* line;
    } rows[] = {
        {1, 1, "Empty"},
        {2, 5, "CRC値が不正です。"},
        {3, 6, nullptr},
        {4, 8, nullptr},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.row);
        // A page's five rows: a cursor that does not come within them fails here, not at the timeout.
        for (int press = 0; press < 5 && TMenuProbe::Cursor(TMenuProbe::SlotPage(*screen)) != r.row; ++press) {
            Press(Button::Down);
        }
        ASSERT_EQ(TMenuProbe::Cursor(TMenuProbe::SlotPage(*screen)), r.row);
        EXPECT_EQ(TMenuProbe::Code(TMenuProbe::SlotPage(*screen), r.row), r.code);
        if (r.line != nullptr) {
            EXPECT_TRUE(ShowsSlotLine(TMenuProbe::RowText(TMenuProbe::SlotPage(*screen), r.row), r.row, r.line));
        }
        Driver().RecordSounds(true);
        Press(Button::A);
        Driver().Step();
        EXPECT_EQ(Played(Driver().sounds), std::vector<std::uint32_t>{608});
        EXPECT_EQ(Current(), screen);
        EXPECT_TRUE(TMenuProbe::InSelection(TMenuProbe::SlotPage(*screen)));
    }
    Driver().RecordSounds(false);
}

TEST_F(SaveScreens, AUsableRowLoadsThroughTheSceneChangeIntoTheFieldAtItsSavePoint)
{
    Write(0, Slot::Own, -1, 4321);
    TSoundBank* effects = TDSound8::Instance()->GetBank(0);
    TSoundBank* music = TDSound8::Instance()->GetBank(2);
    // Counted before the screen declares its own uses, which go with it.
    const std::uint32_t decide = TDxProbe::UseCount(*effects, 603);
    const std::uint32_t title = TDxProbe::UseCount(*music, 1);
    TSaveLoadLoop* screen = Open(TSaveLoadLoop::CreateLoad(Driver().App()));
    ASSERT_EQ(TMenuProbe::Code(TMenuProbe::SlotPage(*screen), 0), 0);
    Driver().Press(Button::A);
    auto* hub = dynamic_cast<TChangeLoop*>(Current());
    ASSERT_NE(hub, nullptr);
    EXPECT_EQ(Driver().App()->GetSceneCount(), 1) << "the title went with the screen";
    EXPECT_EQ(TSceneProbe::Mode(*hub), TChangeLoop::kToLoadSlot);
    EXPECT_EQ(TSceneProbe::Slot(*hub), 0u);
    EXPECT_EQ(TSceneProbe::MusicId(*hub), 1);
    EXPECT_EQ(TDxProbe::UseCount(*effects, 603), decide + 1);
    EXPECT_EQ(TDxProbe::UseCount(*music, 1), title + 1);
    Driver().Steps(101);  // the change's fade
    ASSERT_NE(dynamic_cast<TFieldLoop*>(Current()), nullptr);
    EXPECT_EQ(TGameData::GetInstance()->GetSavePoint(), kOwnSavePoint);
    EXPECT_EQ(TGameData::GetInstance()->GetMoney(), 4321u);
}

TEST_F(SaveScreens, TheCarryOverListsTheChaptersFolderAndStartsTheOpeningEventWithTheSave)
{
    Write(0, Slot::Chapter2, 2, 777);
    Write(1, Slot::Own, 2);
    Write(0, Slot::Own, -1, 5555);  // the own folder's slot 0 is not the one listed
    TSoundBank* effects = TDSound8::Instance()->GetBank(0);
    TSoundBank* music = TDSound8::Instance()->GetBank(2);
    const std::uint32_t start = TDxProbe::UseCount(*effects, 605);
    const std::uint32_t title = TDxProbe::UseCount(*music, 1);
    TSaveLoadLoop* screen = TSaveLoadLoop::CreateCarryOver(Driver().App(), 2);
    EXPECT_EQ(TMenuProbe::DimColor(*screen), 0u);
    Open(screen);
    EXPECT_EQ(TMenuProbe::DimColor(*screen), 0u) << "the carry-over keeps the dim of the choice below";
    EXPECT_TRUE(Shows(TMenuProbe::TitleText(TMenuProbe::SlotPage(*screen)), {{0, "引継ぎ"}}));
    EXPECT_EQ(TMenuProbe::Code(TMenuProbe::SlotPage(*screen), 0), 0);
    EXPECT_EQ(TMenuProbe::Code(TMenuProbe::SlotPage(*screen), 1), 7);
    EXPECT_EQ(TMenuProbe::Code(TMenuProbe::SlotPage(*screen), 2), 1);
    Press(Button::Down);
    Driver().RecordSounds(true);
    Press(Button::A);
    EXPECT_EQ(Played(Driver().sounds), std::vector<std::uint32_t>{608});
    Press(Button::Up);
    Driver().Press(Button::A);
    auto* hub = dynamic_cast<TChangeLoop*>(Current());
    ASSERT_NE(hub, nullptr);
    EXPECT_EQ(TSceneProbe::EventId(*hub), 300u);
    EXPECT_EQ(TSceneProbe::MusicId(*hub), 1);
    EXPECT_EQ(TDxProbe::UseCount(*effects, 605), start + 1);
    EXPECT_EQ(TDxProbe::UseCount(*music, 1), title + 1);
    EXPECT_EQ(TGameData::GetInstance()->GetMoney(), 777u);
    EXPECT_EQ(Played(Driver().sounds), (std::vector<std::uint32_t>{608, 601, 605}));
    Driver().RecordSounds(false);
}

// Kept as the design has it: a carry-over save that can no longer be read goes to the title.
TEST_F(SaveScreens, ACarryOverThatFailsToLoadGoesToTheTitle)
{
    Write(0, Slot::Chapter2, 2, 777);
    TSaveLoadLoop* screen = Open(TSaveLoadLoop::CreateCarryOver(Driver().App(), 2));
    ASSERT_EQ(TMenuProbe::Code(TMenuProbe::SlotPage(*screen), 0), 0);
    const std::uint32_t money = TGameData::GetInstance()->GetMoney();
    fs::remove(SlotPath(0, 2));
    Driver().Press(Button::A);
    auto* hub = dynamic_cast<TChangeLoop*>(Current());
    ASSERT_NE(hub, nullptr);
    EXPECT_EQ(TSceneProbe::Mode(*hub), TChangeLoop::kToTitle);
    EXPECT_EQ(TSceneProbe::MusicId(*hub), 1);
    EXPECT_EQ(TGameData::GetInstance()->GetMoney(), money);
}

TEST_F(SaveScreens, ALoadPageAndTheOverwriteQuestionLookAsDesigned)
{
    Write(0, Slot::Own);
    Write(2, Slot::BadCrc);
    Write(3, Slot::OtherChapter);
    TSaveLoadLoop* load = Open(TSaveLoadLoop::CreateLoad(Driver().App()));
    Driver().Steps(10);
    EXPECT_TRUE(qmtest::MatchesGolden(qmtest::SceneDriver::Screen(), "SaveLoadPage"));
    Press(Button::B);
    StepUntilGone(Driver(), load);

    TSaveLoadLoop* save = Open(TSaveLoadLoop::CreateSave(Driver().App()));
    for (int i = 0; i < 3; ++i) {
        Press(Button::Down);
    }
    ASSERT_TRUE(StepToSelection(save));
    Driver().Steps(10);
    Press(Button::A);
    for (int i = 0; i < 40 && TMenuProbe::QuestionY(TMenuProbe::SlotPage(*save)) != 100; ++i) {
        Driver().Step();
    }
    Driver().Steps(3);  // the cursor on its way
    EXPECT_TRUE(qmtest::MatchesGolden(qmtest::SceneDriver::Screen(), "SaveOverwriteQuestion"));
    Driver().RecordDraws(true);
    Driver().Step();
    EXPECT_TRUE(qmtest::MatchesGoldenText(qmtest::FormatDraws(Driver().draws), "SaveOverwriteQuestionDraws.txt"));
    Driver().RecordDraws(false);
}

// The software GL driver allocates inside each draw call and each presented frame of its own, and
// is not counted; the screen's steps and draws ask for no more than its quads drawn bare and
// presented.
TEST_F(SaveScreens, SteadyStepsOfTheSelectionAndTheQuestionAllocateNothing)
{
    if (!qmtest::AllocationProbe::Available()) {
        GTEST_SKIP() << "the allocation probe could not hook the allocator";
    }
    Write(0, Slot::Own);
    TSaveLoadLoop* screen = Open(TSaveLoadLoop::CreateSave(Driver().App()));
    for (const bool question : {false, true}) {
        SCOPED_TRACE(question ? "question" : "selection");
        if (question) {
            Press(Button::A);
            Driver().Steps(40);
            ASSERT_TRUE(TMenuProbe::SlotPage(*screen).InConfirmation());
        }
        Driver().Steps(12);
        const auto [steps, bare] = SteadyCost(Driver(), TMenuProbe::SlotPage(*screen));
        // The driver's own blocks are not counted; a block a step of the screen's own asks for adds ten.
        EXPECT_LE(steps, bare);
    }
}

}  // namespace
}  // namespace savetest
