// The item-get notices frame by frame: the queue shown one notice after another, the slide in
// and out, pauses, the line's place in the text bitmap, Clear, the lines of every kind, and a
// text texture written once a notice.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MainCode/GameData/TItemTable.h"
#include "MainCode/GameData/TSkillTable.h"
#include "hud_fixture.h"
#include "support/dx_probe.h"

namespace hudtest {
namespace {

using Probe = THudProbe;

class NoticeTest : public HudFixture {
protected:
    void SetUp() override
    {
        HudFixture::SetUp();
        TItemTable::Get(42).Name = "薬草";
        TSkillTable::Get(501).Name = "疾風斬り";
        notices_ = std::make_unique<TGetRender>();
    }
    void TearDown() override
    {
        notices_.reset();
        TItemTable::Clear();
        TSkillTable::Clear();
        HudFixture::TearDown();
    }
    // Frames (1-based) in which a notice started: the window left Idle.
    std::vector<int> Starts(int frames)
    {
        std::vector<int> starts;
        for (int frame = 1; frame <= frames; ++frame) {
            const bool idle = Probe::IsIdle(*notices_);
            notices_->Update();
            if (idle && !Probe::IsIdle(*notices_)) {
                starts.push_back(frame);
            }
        }
        return starts;
    }
    // Leftmost column of the text bitmap with anything drawn; -1 for a blank bitmap.
    int LeftmostInk()
    {
        const TText8& text = Probe::Text(*notices_);
        int left = -1;
        for (std::uint32_t y = 0; y < TDxProbe::TextHeight(text); ++y) {
            const auto* row = reinterpret_cast<const std::uint16_t*>(TDxProbe::Pixels(text) + y * TDxProbe::Stride(text));
            for (std::uint32_t x = 0; x < TDxProbe::TextWidth(text); ++x) {
                if (row[x] != 0 && (left < 0 || static_cast<int>(x) < left)) {
                    left = static_cast<int>(x);
                }
            }
        }
        return left;
    }
    // The first texel of the text texture, read or written.
    std::uint16_t Texel(std::uint16_t* write = nullptr)
    {
        IDirect3DTexture8* texture = TDxProbe::Image(Probe::Text(*notices_)).GetTexture();
        D3DLOCKED_RECT locked{};
        EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
        auto* texel = static_cast<std::uint16_t*>(locked.pBits);
        if (write != nullptr) {
            *texel = *write;
        }
        const std::uint16_t value = *texel;
        texture->UnlockRect(0);
        return value;
    }

    std::unique_ptr<TGetRender> notices_;
};

TEST_F(NoticeTest, FivePushesShowOneAfterAnotherForAHundredAndFortyTwoFramesEach)
{
    notices_->PushItemGet(42);
    notices_->PushBellGet(1500);
    notices_->PushSkillGet(501);
    notices_->PushText("TEXT");
    notices_->PushItemSteal(42);
    EXPECT_EQ(Probe::QueueCount(*notices_), 5u);
    EXPECT_EQ(Starts(800), (std::vector<int>{1, 143, 285, 427, 569}));
    EXPECT_TRUE(Probe::IsIdle(*notices_));
    EXPECT_EQ(Probe::QueueCount(*notices_), 0u);
}

TEST_F(NoticeTest, TheWindowSlidesInHoldsAHundredFramesAndSlidesOut)
{
    notices_->PushText("TEXT");
    const std::int32_t in[20] = {627, 614, 601, 588, 574, 561, 548, 535, 522, 508,
                                 495, 482, 469, 456, 442, 429, 416, 403, 390, 376};
    for (std::int32_t x : in) {
        notices_->Update();
        EXPECT_EQ(Probe::WindowX(*notices_), x);
    }
    // Frame 21 switches to the hold, which lasts frames 22 to 121.
    for (int frame = 21; frame <= 121; ++frame) {
        notices_->Update();
        EXPECT_EQ(Probe::WindowX(*notices_), 376) << frame;
        EXPECT_EQ(Probe::IsHolding(*notices_), frame <= 120) << frame;
    }
    // Frames 122 to 141 step back 19 to 0; frame 142 switches to Idle.
    for (int step = 19; step >= 0; --step) {
        notices_->Update();
        EXPECT_EQ(Probe::WindowX(*notices_), step == 0 ? 640 : in[step - 1]) << step;
    }
    EXPECT_FALSE(Probe::IsIdle(*notices_));
    notices_->Update();
    EXPECT_TRUE(Probe::IsIdle(*notices_));
}

TEST_F(NoticeTest, APauseKeepsTheWindowEmptyForItsFramesAndZeroCountsAsOne)
{
    const struct {
        std::uint32_t pause;
        int textStart;
    } cases[] = {{25, 26}, {2, 3}, {1, 2}, {0, 2}};
    for (const auto& c : cases) {
        notices_->Clear();
        notices_->PushKind4(c.pause);
        notices_->PushText("TEXT");
        EXPECT_EQ(Starts(40), std::vector<int>{c.textStart}) << c.pause;
    }
}

TEST_F(NoticeTest, TheWindowAndTheTextDrawAtTheSlideInTheirModes)
{
    EXPECT_TRUE(DrawsOf([&] { notices_->Draw(); }).empty());
    notices_->PushText("TEXT");
    notices_->Update();
    const std::vector<TSpriteDrawRecord> d = DrawsOf([&] { notices_->Draw(); });
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[0].texture, "sprite.ptx/window22");
    EXPECT_FLOAT_EQ(d[0].x, 627.0F);
    EXPECT_FLOAT_EQ(d[0].y, 8.0F);
    EXPECT_FLOAT_EQ(d[0].w, 264.0F);
    EXPECT_EQ(d[0].mode, 1);
    EXPECT_EQ(d[1].texture, "TGetRender::tGet");
    EXPECT_FLOAT_EQ(d[1].x, 639.0F);
    EXPECT_FLOAT_EQ(d[1].y, 16.0F);
    EXPECT_FLOAT_EQ(d[1].w, 256.0F);
    EXPECT_EQ(d[1].mode, 3);
}

TEST_F(NoticeTest, LinesAreCentredByTheirBytesAndClippedAtTheBitmapsEdge)
{
    // x = 124 - (n / 2) x 8: the ink starts within the first 8-pixel cell after it.
    const struct {
        std::string line;
        int x;
    } cases[] = {{"ＡＢＣＤＥＦＧＨＩＪ", 44}, {"ABCDEFGHIJKLMNOPQRSTUVWXYZABCDE", 4}, {"A", 124}};
    for (const auto& c : cases) {
        notices_->PushText(c.line);
        notices_->Update();
        const int left = LeftmostInk();
        EXPECT_GE(left, c.x) << c.line.size();
        EXPECT_LT(left, c.x + 8) << c.line.size();
        notices_->Clear();
        EXPECT_EQ(LeftmostInk(), -1);
    }
    // 60 bytes start at -116: what falls left of the bitmap is dropped.
    notices_->PushText(std::string(60, 'W'));
    notices_->Update();
    EXPECT_EQ(LeftmostInk(), 0);
}

TEST_F(NoticeTest, ClearDuringTheHoldHidesTheWindowAtOnceAndDropsTheQueue)
{
    notices_->PushText("TEXT");
    notices_->PushBellGet(5);
    for (int frame = 0; frame < 50; ++frame) {
        notices_->Update();
    }
    ASSERT_TRUE(Probe::IsHolding(*notices_));
    notices_->Clear();
    EXPECT_TRUE(DrawsOf([&] { notices_->Draw(); }).empty());
    EXPECT_EQ(Probe::WindowX(*notices_), 640);
    EXPECT_EQ(Probe::QueueCount(*notices_), 0u);
    EXPECT_TRUE(Starts(200).empty());
}

TEST_F(NoticeTest, EveryKindHasItsLine)
{
    const struct {
        std::uint32_t kind, value;
        const char* text;
        std::string line;
    } cases[] = {
        {TGetRender::kItem, 42, "", "薬草を手に入れた。"},
        {TGetRender::kItem, 43, "", "を手に入れた。"},  // an id the table lacks: the blank record
        {TGetRender::kBell, 1500, "", "1500ベル手に入れた。"},
        {TGetRender::kBell, 0, "", "0ベル手に入れた。"},
        {TGetRender::kSkill, 501, "", "疾風斬りを覚えた。"},
        {TGetRender::kText, 0, "試しの野", "試しの野"},
        {TGetRender::kPause, 25, "", ""},
        {TGetRender::kItemSteal, 42, "", "薬草を盗んだ。"},
        {TGetRender::kBellSteal, 4294967295u, "", "4294967295ベル盗んだ。"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TGetRender::MakeLine({c.kind, c.value, c.text}), c.line) << c.kind << " " << c.value;
    }
    // The pushes queue their kinds.
    notices_->PushItemGet(1);
    notices_->PushBellGet(2);
    notices_->PushSkillGet(3);
    notices_->PushText("x");
    notices_->PushKind4(5);
    notices_->PushItemSteal(6);
    notices_->PushBellSteal(7);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> queued;
    for (const TGetRender::Notice& n : Probe::Queue(*notices_)) {
        queued.emplace_back(n.kind, n.value);
    }
    EXPECT_EQ(queued, (std::vector<std::pair<std::uint32_t, std::uint32_t>>{
                          {0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6}, {6, 7}}));
}

TEST_F(NoticeTest, TheLineIsWrittenOnceAndNoLaterFrameTouchesTheTexture)
{
    notices_->PushText("TEXT");
    notices_->Update();
    std::uint16_t marker = 0x1234;
    Texel(&marker);
    for (int frame = 2; frame <= 160; ++frame) {
        notices_->Update();
        notices_->Draw();
    }
    EXPECT_EQ(Texel(), 0x1234);
    // Clear uploads the blank bitmap.
    notices_->Clear();
    EXPECT_EQ(Texel(), 0u);
}

}  // namespace
}  // namespace hudtest
