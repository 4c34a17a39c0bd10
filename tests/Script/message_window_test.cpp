// The "Text" module driven by assembled scripts and key presses, frame by frame: typing, the
// prompt, pages, choices, cancel, slides, what it draws where, and two pictures.
#include "Script/message_window_fixture.h"

#include "MainCode/Script/ScriptWork.h"

#include "support/dx_probe.h"
#include "support/golden.h"
#include "support/script_probe.h"
#include "platform/testing/win32.h"

namespace {

using windowtest::MessageWindowTest;

TEST_F(MessageWindowTest, OneCharacterAFrameAtNinePixelsAByteAndTwentyALine)
{
    Start({Send(0, "\"Ab漢x\\n字\""), Mark()});
    const std::int32_t columns[] = {1, 2, 4, 0, 0};  // the line's last character ends it
    for (int frame = 0; frame < 4; ++frame) {
        EXPECT_EQ(Frame(), TScriptProcessManager::kHeld);
        EXPECT_EQ(TScriptProbe::Column(*window_), columns[frame]) << frame;
    }
    EXPECT_EQ(TScriptProbe::Line(*window_), 1);
    EXPECT_TRUE(MessageShows({{0, 0, "A"}, {9, 0, "b"}, {18, 0, "漢"}, {36, 0, "x"}}));
    // The last line has no prompt: its last character lets the script go on in the next frame.
    EXPECT_EQ(Frame(), TScriptProcessManager::kHeld);
    EXPECT_TRUE(TScriptProbe::IsIdle(*window_));
    EXPECT_EQ(Marks(), 0);
    EXPECT_TRUE(MessageShows({{0, 0, "A"}, {9, 0, "b"}, {18, 0, "漢"}, {36, 0, "x"}, {0, 20, "字"}}));
    EXPECT_EQ(Frame(), TScriptProcessManager::kFinished);
    EXPECT_EQ(Marks(), 1);
    EXPECT_EQ(Played(), "");
}

TEST_F(MessageWindowTest, ShiftJisLeadBytesAtBothEndsOfTheirRanges)
{
    // 0x81 and 0x9F, 0xE0 and 0xFC lead two-byte characters; 0x80, 0xA0 and 0xDF stand alone.
    Start({Send(0, "\"\\x81\\x40\\x9F\\x40\\xE0\\x40\\xFC\\x40\\x80\\xA0\\xDFz\"")});
    const std::int32_t columns[] = {2, 4, 6, 8, 9, 10, 11};
    for (std::int32_t want : columns) {
        Frame();
        EXPECT_EQ(TScriptProbe::Column(*window_), want);
    }
    Frame();
    EXPECT_TRUE(TScriptProbe::IsIdle(*window_));
    // A lead byte that ends the line is taken alone.
    Start({Send(0, "\"a\\x88\"")});
    Frames(3);
    EXPECT_TRUE(TScriptProbe::IsIdle(*window_));
}

TEST_F(MessageWindowTest, PromptWaitsForDecideIsNeverDrawnAndBlinks)
{
    Start({Send(0, "\"ab／\\ncd\""), Mark()});
    Frames(2);
    EXPECT_TRUE(window_->IsWaitingForButton());
    EXPECT_TRUE(MessageShows({{0, 0, "a"}, {9, 0, "b"}}));
    Frames(40);
    EXPECT_TRUE(window_->IsWaitingForButton());
    Press(kCancelKey + 1);  // a button the window does not read
    EXPECT_TRUE(window_->IsWaitingForButton());
    EXPECT_EQ(Played(), "");
    Press(kDecideKey);
    EXPECT_EQ(Played(), "603");
    EXPECT_TRUE(TScriptProbe::IsTyping(*window_));
    EXPECT_EQ(TScriptProbe::Blink(*window_), 1);  // reset by the next text only
    Frame();
    EXPECT_TRUE(MessageShows({{0, 0, "a"}, {9, 0, "b"}, {0, 20, "c"}, {9, 20, "d"}}));
    EXPECT_EQ(Marks(), 0);
    Frame();
    EXPECT_EQ(Marks(), 1);

    // A prompt on the last line: decide ends the text.
    Start({Send(0, "\"e／\""), Mark()});
    Frames(2);
    EXPECT_TRUE(window_->IsWaitingForButton());
    Press(kDecideKey);
    EXPECT_TRUE(TScriptProbe::IsIdle(*window_));
    EXPECT_EQ(Played(), "603");
    Frame();
    EXPECT_EQ(Marks(), 2);

    // The prompt blinks past thirty frames.
    Start({Send(0, "\"a／\"")});
    Frame();
    ASSERT_TRUE(window_->IsWaitingForButton());
    for (const auto& [frames, blink] : {std::pair{30, 0}, {1, 1}, {30, 1}, {1, 0}}) {
        Frames(frames);
        EXPECT_EQ(TScriptProbe::Blink(*window_), blink) << frames;
    }
}

TEST_F(MessageWindowTest, FourthLineStartsANewPageAtOnceOrAfterThePrompt)
{
    Start({Send(0, "\"a\\nb\\nc\\nd\"")});
    Frames(3);
    EXPECT_EQ(TScriptProbe::Line(*window_), 0);
    EXPECT_TRUE(MessageShows({}));
    Frame();
    EXPECT_TRUE(MessageShows({{0, 0, "d"}}));

    Start({Send(0, "\"a\\nb\\nc／\\nd\"")});
    Frames(4);
    EXPECT_TRUE(window_->IsWaitingForButton());
    EXPECT_TRUE(MessageShows({{0, 0, "a"}, {0, 20, "b"}, {0, 40, "c"}}));
    EXPECT_EQ(TScriptProbe::Line(*window_), 3);
    Press(kDecideKey);  // and "d" in the frame after
    EXPECT_EQ(TScriptProbe::Line(*window_), 1);
    EXPECT_TRUE(MessageShows({{0, 0, "d"}}));
}

TEST_F(MessageWindowTest, ChoicesClampSoundOnAMoveAndDecideSetsTheResult)
{
    Start({Send(1, "\"はい\\nいいえ\\nさあ\""), "g.answer = g.$_"});
    manager_->GetGlobalA().SetInt("$_", 9);
    Frame();  // draws the three lines
    EXPECT_TRUE(MessageShows({{0, 0, "　はい"}, {0, 20, "　いいえ"}, {0, 40, "　さあ"}}));
    EXPECT_TRUE(window_->IsChoosing());
    // Clamped at both ends, silently.
    const struct {
        int key;
        std::int32_t cursor;
        const char* sound;
    } moves[] = {{VK_UP, 0, ""}, {VK_DOWN, 1, "601"}, {VK_DOWN, 2, "601"}, {VK_DOWN, 2, ""}, {VK_UP, 1, "601"}};
    for (const auto& m : moves) {
        Press(m.key);
        EXPECT_EQ(TScriptProbe::Cursor(*window_), m.cursor) << &m - moves;
        EXPECT_EQ(Played(), m.sound) << &m - moves;
    }
    Press(kDecideKey);
    EXPECT_EQ(Played(), "603");
    EXPECT_TRUE(TScriptProbe::IsIdle(*window_));
    EXPECT_TRUE(MessageShows({}));
    Frame();
    EXPECT_EQ(manager_->GetGlobalA().GetInt("answer", -1), 1);
}

TEST_F(MessageWindowTest, ChoiceLinesPastTheThirdStayOneClippedLineAndTheCursorReachesIt)
{
    Start({Send(1, "\"a\\nb\\nc\\nd\\ne\"")});
    Frame();
    ASSERT_EQ(TScriptProbe::Lines(*window_).size(), 4u);
    EXPECT_EQ(TScriptProbe::Lines(*window_)[3], "　d\ne");
    for (int i = 0; i < 5; ++i) {
        Press(VK_DOWN);
    }
    EXPECT_EQ(TScriptProbe::Cursor(*window_), 3);
    Press(kDecideKey);
    EXPECT_EQ(manager_->GetGlobalA().GetInt("$_", -1), 3);
    // A line far wider than the texture is cut at its edge.
    Start({Send(0, "\"" + std::string(80, 'W') + "\"")});
    Frames(81);
    EXPECT_TRUE(TScriptProbe::IsIdle(*window_));
    EXPECT_EQ(TScriptProbe::Line(*window_), 1);
}

// The name plate rasterizes only the glyphs that can reach its 128 pixels, as far as a pen 32 past
// its edge: 20 of 8 pixels, 10 of 16. What it shows is what drawing the whole name shows, and the
// work counted is the plate and the glyphs drawn (9,000 and 1,500 each). Long choice lines are cut
// the same way at the message's 512 pixels.
TEST_F(MessageWindowTest, ANamePlateDrawsOnlyTheGlyphsThatReachIt)
{
    std::string kanji;
    for (int i = 0; i < 1500; ++i) {
        kanji += "名";
    }
    const struct {
        const char* what;
        std::string name;
        std::uint64_t glyphs;
    } cases[] = {
        {"two double-byte letters", "ミナ", 2},
        {"16 letters, the plate full", std::string(16, 'A'), 16},
        {"20 letters, the last a pen 24 past the edge", "BCDEFGHIJKLMNOPQRSTU", 20},
        {"21 letters, the last one not drawn", std::string(21, 'C'), 20},
        {"3,000 letters", std::string(3000, 'D'), 20},
        {"1,500 double-byte letters", kanji, 10},
        {"a lead byte at the very end, drawn alone", "AB\x82", 3},
    };
    TFontHolder font(0, 16, "ＭＳ ゴシック", 400, 2, 0, 0, 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::uint64_t before = ScriptWork::Tokens();
        EXPECT_EQ(manager_->CallModule("Text", 4, {c.name}, {}), 4u);
        EXPECT_EQ(ScriptWork::Tokens() - before, 9000 + 1500 * c.glyphs);
        TText8 whole("Whole", 128, 16, 255, 255, 255, D3DPOOL_MANAGED, 0);
        whole.Clear(false);
        whole.DrawText(0, 0, c.name, &font, false);
        const TText8& plate = TScriptProbe::NameText(*window_);
        const std::size_t bytes = static_cast<std::size_t>(TDxProbe::Stride(plate)) * TDxProbe::TextHeight(plate);
        ASSERT_EQ(TDxProbe::Stride(whole), TDxProbe::Stride(plate));
        EXPECT_TRUE(std::equal(TDxProbe::Pixels(plate), TDxProbe::Pixels(plate) + bytes, TDxProbe::Pixels(whole)));
    }
    window_->ShowChoice("YES\nNO\n" + std::string(2000, 'W'));
    manager_->UpdateModules();
    EXPECT_TRUE(MessageShows({{0, 0, "　YES"}, {0, 20, "　NO"}, {0, 40, "　" + std::string(2000, 'W')}}));
}

TEST_F(MessageWindowTest, CancelClosesWindowAndNameBoxThenRaisesTheCancel)
{
    Start({Send(2, "0 2"), Send(0, "\"a／\""), Mark()});
    Frames(12);  // the slide in ends on the frame after its tenth step
    ASSERT_EQ(TScriptProbe::WindowY(*window_), 344);
    Frames(2);
    ASSERT_TRUE(window_->IsWaitingForButton());
    Press(kCancelKey);
    EXPECT_EQ(Played(), "606");
    EXPECT_TRUE(TScriptProbe::IsSliding(*window_));
    EXPECT_EQ(TScriptProbe::IsCancelRequested(*window_), 1);
    EXPECT_EQ(Frames(9), TScriptProcessManager::kHeld);  // with the frame the button was let go: ten steps
    EXPECT_EQ(TScriptProbe::WindowY(*window_), 500);
    EXPECT_EQ(TScriptProbe::NameX(*window_), -170);
    EXPECT_TRUE(TScriptProbe::IsSliding(*window_));
    EXPECT_EQ(Frame(), TScriptProcessManager::kHeld);
    EXPECT_TRUE(TScriptProbe::IsIdle(*window_));
    EXPECT_EQ(TScriptProbe::Cancel(*manager_), 1);
    EXPECT_EQ(Frame(), TScriptProcessManager::kCancelled);
    EXPECT_EQ(Marks(), 0);
}

TEST_F(MessageWindowTest, CancelDoesNothingWhileCancelScriptIsSet)
{
    Start({"g.$_CancelScript = 1", Send(0, "\"a／\""), Send(1, "\"x\\ny\"")});
    Frames(2);
    ASSERT_TRUE(window_->IsWaitingForButton());
    Press(kCancelKey);
    EXPECT_TRUE(window_->IsWaitingForButton());
    Press(kDecideKey);
    Frames(2);
    ASSERT_TRUE(window_->IsChoosing());
    Played();
    Press(kCancelKey);
    EXPECT_TRUE(window_->IsChoosing());
    EXPECT_EQ(TScriptProbe::IsCancelRequested(*window_), 0);
    EXPECT_EQ(Played(), "");
    // Cleared again, cancel works in the choice too.
    manager_->GetGlobalA().SetInt("$_CancelScript", 0);
    Press(kCancelKey);
    EXPECT_TRUE(TScriptProbe::IsSliding(*window_));
    EXPECT_EQ(Played(), "606");
}

TEST_F(MessageWindowTest, SlidesMoveTheChosenPartsForTenStepsAndEndOnTheEleventh)
{
    EXPECT_EQ(manager_->CallModule("Text", 2, {"0", "2"}, {}), 5u);
    manager_->SetModuleWait(1);
    manager_->UpdateModules();
    EXPECT_EQ(TScriptProbe::WindowY(*window_), 485);  // 500 - 15.6, truncated
    EXPECT_EQ(TScriptProbe::NameX(*window_), -145);
    for (int i = 0; i < 9; ++i) {
        manager_->UpdateModules();
    }
    EXPECT_EQ(TScriptProbe::WindowY(*window_), 344);
    EXPECT_EQ(TScriptProbe::NameX(*window_), 80);
    EXPECT_EQ(TScriptProbe::ModuleWait(*manager_), 1);
    manager_->UpdateModules();
    EXPECT_EQ(TScriptProbe::ModuleWait(*manager_), 0);
    EXPECT_TRUE(TScriptProbe::IsIdle(*window_));

    // The name box alone, the window alone (a text that is no number counts as 0); a part beyond 2
    // moves neither.
    const struct {
        const char* direction;
        const char* part;
        std::int32_t windowY, nameX;
    } slides[] = {{"1", "1", 344, -170}, {"1", "window", 500, -170}, {"0", "3", 500, -170}};
    for (const auto& c : slides) {
        manager_->CallModule("Text", 2, {c.direction, c.part}, {});
        for (int i = 0; i < 11; ++i) {
            manager_->UpdateModules();
        }
        EXPECT_EQ(TScriptProbe::WindowY(*window_), c.windowY) << c.part;
        EXPECT_EQ(TScriptProbe::NameX(*window_), c.nameX) << c.part;
    }
    // A direction beyond 1 sets no ramp.
    manager_->SetModuleWait(1);
    manager_->CallModule("Text", 2, {"2", "2"}, {});
    EXPECT_TRUE(TScriptProbe::IsSliding(*window_));
    manager_->UpdateModules();  // the ramps were at their ends already
    EXPECT_TRUE(TScriptProbe::IsIdle(*window_));
    EXPECT_EQ(TScriptProbe::ModuleWait(*manager_), 0);
}

TEST_F(MessageWindowTest, ClearTextPartsNameAndUnknownCommands)
{
    const auto nameIsBlank = [&] {
        const TText8& name = TScriptProbe::NameText(*window_);
        const std::uint8_t* p = TDxProbe::Pixels(name);
        return std::all_of(p, p + TDxProbe::Stride(name) * TDxProbe::TextHeight(name), [](std::uint8_t b) { return b == 0; });
    };
    const auto fill = [&] {
        EXPECT_EQ(manager_->CallModule("Text", 4, {"ミナ"}, {}), 4u);
        window_->ShowText("x");
        manager_->UpdateModules();
        ASSERT_FALSE(nameIsBlank());
        ASSERT_FALSE(MessageShows({}));
    };
    const struct {
        const char* part;
        bool message;
        bool name;
    } cases[] = {{"0", true, false}, {"1", false, true}, {"2", true, true}, {"3", false, false}, {"-1", false, false}};
    for (const auto& c : cases) {
        fill();
        EXPECT_EQ(manager_->CallModule("Text", 3, {c.part}, {}), 4u);
        EXPECT_EQ(MessageShows({}), c.message) << c.part;
        EXPECT_EQ(nameIsBlank(), c.name) << c.part;
    }
    fill();
    EXPECT_EQ(manager_->CallModule("Text", 5, {"ミナ"}, {}), 4u);
    EXPECT_EQ(manager_->CallModule("Text", 0xFFFFFFFF, {}, {}), 4u);
    EXPECT_FALSE(nameIsBlank());
    EXPECT_FALSE(MessageShows({}));
}

TEST_F(MessageWindowTest, EveryPartIsDrawnWhereItBelongs)
{
    // Corner 0 of a sprite drawn at (x, y) sits at (x - 0.5, y - 0.5).
    const auto at = [](const TSprite& sprite, float x, float y) {
        return sprite.GetVertex(0).x == x - 0.5f && sprite.GetVertex(0).y == y - 0.5f;
    };
    manager_->CallModule("Text", 2, {"0", "2"}, {});
    for (int i = 0; i < 3; ++i) {
        manager_->UpdateModules();
    }
    const float wy = static_cast<float>(TScriptProbe::WindowY(*window_));
    const float nx = static_cast<float>(TScriptProbe::NameX(*window_));
    BeginFrame(0xFF000000);
    window_->Draw();
    EXPECT_TRUE(at(TScriptProbe::WindowSprite(*window_), 64.0f, wy));
    EXPECT_TRUE(at(TScriptProbe::NameSprite(*window_), nx, 326.0f));
    EXPECT_TRUE(at(TScriptProbe::MessageText(*window_), 118.0f, wy + 34.0f));
    EXPECT_TRUE(at(TScriptProbe::NameText(*window_), nx + 16.0f, 334.0f));
    EXPECT_EQ(TScriptProbe::ButtonSprite(*window_, true).GetVertex(0).x, 0.0f);  // not drawn yet

    window_->ShowText("a／");
    manager_->UpdateModules();
    ASSERT_TRUE(window_->IsWaitingForButton());
    window_->Draw();
    EXPECT_TRUE(at(TScriptProbe::ButtonSprite(*window_, false), 508.0f, 422.0f));
    for (int i = 0; i < 31; ++i) {
        manager_->UpdateModules();
    }
    window_->Draw();
    EXPECT_TRUE(at(TScriptProbe::ButtonSprite(*window_, true), 508.0f, 422.0f));

    window_->ShowChoice("a\nb\nc");
    manager_->UpdateModules();
    manager_->UpdateModules();
    platform::InjectKey(VK_DOWN, true);
    input_->PollInput();
    manager_->UpdateModules();
    platform::InjectKey(VK_DOWN, false);
    window_->Draw();
    EndFrame();
    EXPECT_EQ(TScriptProbe::Cursor(*window_), 1);
    EXPECT_TRUE(at(TScriptProbe::CursorSprite(*window_), 104.0f + TScriptProbe::CursorBob(*window_), 400.0f));
}

TEST_F(MessageWindowTest, RegisteringTextTwiceKeepsTheSecondAndUnknownModulesReturnEight)
{
    struct Counted : TMessageWindow {
        Counted(TInputDevice* input, bool* gone) : TMessageWindow(input), m_gone(gone) {}
        ~Counted() override { *m_gone = true; }
        bool* m_gone;
    };
    bool firstGone = false;
    bool secondGone = false;
    manager_->AddModule(new Counted(input_.get(), &firstGone));
    auto* second = new Counted(input_.get(), &secondGone);
    manager_->AddModule(second);
    EXPECT_TRUE(firstGone);
    EXPECT_FALSE(secondGone);
    EXPECT_EQ(manager_->FindModule("Text"), second);
    window_ = second;

    Start({"CALL @@SendMsg \"Nobody\" 0 1", Mark(), "CALL @@SendMsg \"Text\" 3 0", Mark()});
    EXPECT_EQ(Frame(), TScriptProcessManager::kFinished);
    EXPECT_EQ(Marks(), 2);
    EXPECT_EQ(manager_->CallModule("Nobody", 0, {}, {}), 8u);
    EXPECT_EQ(TScriptProbe::ModuleWait(*manager_), 0);
    TScriptProcessManager::Destroy();
    EXPECT_TRUE(secondGone);
}

TEST_F(MessageWindowTest, PictureOfANameAndATypedPageWithThePrompt)
{
    Start({Send(4, "\"ミナ\""), Send(2, "0 2"), Send(0, "\"こんにちは、旅の人。\\nWelcome to the harbour.\\n今日はいい天気ですね。／\"")});
    Frames(11 + 10 + 24 + 11);
    ASSERT_TRUE(window_->IsWaitingForButton());
    BeginFrame(0xFF406080);
    window_->Draw();
    EXPECT_TRUE(qmtest::MatchesGolden(EndFrame(), "message_window_page"));
}

TEST_F(MessageWindowTest, PictureOfAChoiceWithItsCursor)
{
    Start({Send(2, "0 0"), Send(1, "\"買う\\n売る\\nやめる\"")});
    Frames(12);
    Frame();
    Press(VK_DOWN);
    ASSERT_TRUE(window_->IsChoosing());
    BeginFrame(0xFF406080);
    window_->Draw();
    EXPECT_TRUE(qmtest::MatchesGolden(EndFrame(), "message_window_choice"));
}

}  // namespace
