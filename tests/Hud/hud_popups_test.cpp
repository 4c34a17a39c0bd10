// The letter pop-ups step by step: the hit counter's shrink, hold and fade and its digit places,
// the gain pop-up's and the level-up banner's rows sliding in and out, their numbers and places.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "hud_fixture.h"

namespace hudtest {
namespace {

using Probe = THudProbe;

class HitPopupTest : public HudFixture {
protected:
    // Count places (tens, ones) then total places from the highest shown, as letters.
    std::string Shown(const THitPopup& p)
    {
        std::string s;
        if (Probe::Count(p) >= 10) {
            s += Probe::GlyphOf(*font_, Probe::CountDigit(p, 1));
        }
        s += Probe::GlyphOf(*font_, Probe::CountDigit(p, 0));
        s += '/';
        const int places = Probe::Total(p) >= 1000 ? 4 : Probe::Total(p) >= 100 ? 3 : Probe::Total(p) >= 10 ? 2 : 1;
        for (int place = places - 1; place >= 0; --place) {
            s += Probe::GlyphOf(*font_, Probe::TotalDigit(p, place));
        }
        return s;
    }
};

TEST_F(HitPopupTest, ShrinksHoldsAndFadesOutStoppingInTheHundredAndSecondUpdate)
{
    THitPopup popup(font_.get());
    EXPECT_FALSE(popup.IsActive());
    popup.Show(520.0F, 140.0F, 7, 9);
    const float scales[] = {2.8F, 2.6F, 2.4F, 2.2F, 2.0F, 1.8F, 1.6F, 1.4F, 1.2F, 1.0F};
    for (int update = 1; update <= 102; ++update) {
        popup.Update();
        if (update <= 10) {
            EXPECT_NEAR(Probe::Scale(popup), scales[update - 1], 1e-5F) << update;
        } else {
            EXPECT_FLOAT_EQ(Probe::Scale(popup), update == 102 ? 3.0F : 1.0F) << update;
        }
        // Opaque through the hold; the fade takes 0.02 a step from update 72.
        if (update <= 71) {
            EXPECT_FLOAT_EQ(Probe::Alpha(popup), 1.0F) << update;
        } else if (update == 101) {
            EXPECT_NEAR(Probe::Alpha(popup), 0.40F, 1e-4F);
        }
        EXPECT_EQ(popup.IsActive(), update < 102) << update;
    }
}

TEST_F(HitPopupTest, RowsSitAtTheirPlacesAndTheDamageRowFollowsTenStepsLate)
{
    THitPopup popup(font_.get());
    popup.Show(520.0F, 140.0F, 12, 1005);
    // Update 1: the number at 2.8 times: S 44.8, H 14.4.
    popup.Update();
    std::vector<TSpriteDrawRecord> d = DrawsOf([&] { popup.Draw(); });
    ASSERT_EQ(d.size(), 4u + 2u + 7u + 4u);
    EXPECT_FLOAT_EQ(d[4].x, 520.0F - 24.0F - 14.4F);
    EXPECT_FLOAT_EQ(d[4].y, 140.0F - 14.4F);
    EXPECT_FLOAT_EQ(d[4].w, 44.8F);
    for (int i = 0; i < 10; ++i) {
        popup.Update();
    }
    d = DrawsOf([&] { popup.Draw(); });
    ASSERT_EQ(d.size(), 17u);
    // "HIT!" 520..578 at 140, count 12 at 482 and 496; "DAMAGE!" 520..620 at 160, 1005 from 454.
    const float expectX[17] = {520, 534, 548, 562, 496, 482, 520, 534, 548, 562, 576, 590, 604, 496, 482, 468, 454};
    const float expectY[17] = {140, 140, 140, 140, 140, 140, 160, 160, 160, 160, 160, 160, 160, 160, 160, 160, 160};
    for (int i = 0; i < 17; ++i) {
        EXPECT_FLOAT_EQ(d[i].x, expectX[i]) << i;
        EXPECT_FLOAT_EQ(d[i].y, expectY[i]) << i;
        EXPECT_FLOAT_EQ(d[i].w, 16.0F) << i;
        EXPECT_EQ(d[i].colors[0], 0xFFFFFFFFu) << i;
    }
    EXPECT_EQ(Shown(popup), "12/1005");

    // Hold to update 71; in the fade the hit row moves from update 72, the damage row from 82.
    for (int update = 12; update <= 82; ++update) {
        popup.Update();
    }
    d = DrawsOf([&] { popup.Draw(); });
    EXPECT_FLOAT_EQ(d[0].x, 520.0F + 140.0F);  // 11 of 20 steps: 256 x 11 / 20 = 140
    EXPECT_FLOAT_EQ(d[6].x, 520.0F + 12.0F);   // 1 step: 12
    EXPECT_EQ(d[0].colors[0] >> 24, 198u);     // 1.0 - 11 x 0.02 = 0.78, x 255 = 198.9
}

TEST_F(HitPopupTest, EveryPlaceStaysWithinItsTemplates)
{
    const struct {
        std::int32_t count, total;
        const char* shown;
    } cases[] = {
        {7, 0, "7/0"},          {9, 9, "9/9"},           {10, 10, "10/10"},     {12, 99, "12/99"},
        {99, 100, "99/100"},    {100, 999, "99/999"},    {-1, 1000, "0/1000"},  {5, 1005, "5/1005"},
        {0, 9999, "0/9999"},    {3, 10000, "3/9999"},    {4, -5, "4/0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " hits, " << c.total << " damage");
        THitPopup popup(font_.get());
        popup.Show(520.0F, 140.0F, c.count, c.total);
        EXPECT_EQ(Shown(popup), c.shown);
        for (int i = 0; i < 11; ++i) {
            popup.Update();
        }
        const std::vector<TSpriteDrawRecord> d = DrawsOf([&] { popup.Draw(); });
        const std::size_t digits = std::string(c.shown).size() - 1;
        EXPECT_EQ(d.size(), 11u + digits);
    }
}

TEST_F(HitPopupTest, ShowingAgainDuringTheFadeRestartsAllAndTheTemplatesKeepTheirColour)
{
    THitPopup popup(font_.get());
    popup.Show(520.0F, 140.0F, 3, 30);
    for (int update = 1; update <= 90; ++update) {
        popup.Update();
    }
    ASSERT_LT(Probe::Alpha(popup), 0.7F);
    popup.Show(500.0F, 100.0F, 8, 80);
    EXPECT_FLOAT_EQ(Probe::Alpha(popup), 1.0F);
    EXPECT_FLOAT_EQ(Probe::Scale(popup), 3.0F);
    for (int d = 0; d < 10; ++d) {
        EXPECT_EQ(Probe::Template(popup, d).GetVertex(0).diffuse, 0xFFFFFFFFu) << d;
    }
    EXPECT_EQ(Probe::CountDigit(popup, 0).GetVertex(0).diffuse, 0xFFFFFFFFu);
    const std::vector<TSpriteDrawRecord> d = DrawsOf([&] { popup.Draw(); });
    EXPECT_FLOAT_EQ(d[0].x, 500.0F);
    EXPECT_FLOAT_EQ(d[5].x, 500.0F);  // "DAMAGE!" after one count digit
    EXPECT_FLOAT_EQ(d[0].y, 100.0F);
    EXPECT_EQ(Shown(popup), "8/80");
    // The whole run again from the new show.
    for (int update = 1; update <= 101; ++update) {
        popup.Update();
    }
    EXPECT_TRUE(popup.IsActive());
    popup.Update();
    EXPECT_FALSE(popup.IsActive());
}

// The updates in which each row's slide moved, as ranges "first-last".
std::vector<std::string> MovedRanges(const TPopupRows& rows, const std::vector<std::vector<std::int32_t>>& xs)
{
    std::vector<std::string> ranges;
    for (std::size_t r = 0; r < Probe::RowList(rows).size(); ++r) {
        std::string text;
        int first = -1;
        for (std::size_t u = 1; u <= xs.size(); ++u) {
            const bool moved = u < xs.size() && xs[u][r] != xs[u - 1][r];
            if (moved && first < 0) {
                first = static_cast<int>(u);
            }
            if (!moved && first >= 0) {
                text += (text.empty() ? "" : ",") + std::to_string(first) + "-" + std::to_string(u - 1);
                first = -1;
            }
        }
        ranges.push_back(text);
    }
    return ranges;
}

class GainPopupTest : public HudFixture {};

TEST_F(GainPopupTest, RowsMoveOneAfterAnotherHoldAndStopInTheHundredAndThirtySixthUpdate)
{
    TCountValue gain;
    gain.Words[1] = 45;
    gain.Words[2] = 7;
    gain.Words[3] = 0;
    TGainPopup popup(gain, font_.get());
    popup.Start(440.0F, 240.0F);
    const std::vector<TPopupRows::Row>& rows = Probe::RowList(Probe::Rows(popup));
    std::vector<std::vector<std::int32_t>> xs{{rows[0].slide.value, rows[1].slide.value, rows[2].slide.value}};
    int stoppedAt = 0;
    for (int update = 1; update <= 140; ++update) {
        popup.Update();
        xs.push_back({rows[0].slide.value, rows[1].slide.value, rows[2].slide.value});
        if (update == 64) {
            EXPECT_EQ(rows[2].state, TPopupRows::State::Hold);
        }
        if (update == 94) {
            EXPECT_EQ(rows[0].state, TPopupRows::State::SlideOut) << "the hold ends at 30";
        }
        if (!popup.IsActive() && stoppedAt == 0) {
            stoppedAt = update;
        }
    }
    EXPECT_EQ(MovedRanges(Probe::Rows(popup), xs), (std::vector<std::string>{"2-21,95-114", "23-42,105-124", "44-63,115-134"}));
    EXPECT_EQ(stoppedAt, 136);
}

TEST_F(GainPopupTest, RowsStartBlackAtTheRightEdgeAndArriveWithTheirPlaces)
{
    TCountValue gain;
    gain.Words[1] = 45;
    gain.Words[2] = 1000;
    gain.Words[3] = 0;
    gain.Words[4] = 12;
    TGainPopup popup(gain, font_.get());
    EXPECT_TRUE(DrawsOf([&] { popup.Draw(); }).empty());
    popup.Start(440.0F, 240.0F);
    const std::vector<TPopupRows::Row>& rows = Probe::RowList(Probe::Rows(popup));
    EXPECT_EQ(Probe::Places(*font_, rows[0]), "#45");
    EXPECT_EQ(Probe::Places(*font_, rows[1]), "999");
    EXPECT_EQ(Probe::Places(*font_, rows[2]), "##0");
    popup.Update();
    std::vector<TSpriteDrawRecord> d = DrawsOf([&] { popup.Draw(); });
    ASSERT_EQ(d.size(), 7u);
    EXPECT_FLOAT_EQ(d[0].x, 696.0F);
    EXPECT_EQ(d[0].colors[0], 0xFF000000u);
    for (int update = 2; update <= 70; ++update) {
        popup.Update();
    }
    d = DrawsOf([&] { popup.Draw(); });
    ASSERT_EQ(d.size(), 7u + 7u + 12u);
    const float rowY[3] = {240, 256, 272};
    const std::size_t rowStart[3] = {0, 7, 14};
    const std::size_t plus[3] = {3, 10, 22};
    for (int r = 0; r < 3; ++r) {
        EXPECT_FLOAT_EQ(d[rowStart[r]].x, 440.0F) << r;
        EXPECT_FLOAT_EQ(d[rowStart[r]].y, rowY[r]) << r;
        EXPECT_FLOAT_EQ(d[plus[r]].x, 564.0F) << r;
        for (int place = 0; place < 3; ++place) {
            EXPECT_FLOAT_EQ(d[plus[r] + 1 + place].x, 578.0F + 14.0F * place) << r;
        }
        EXPECT_EQ(d[rowStart[r]].colors[0], 0xFFFFFFFFu) << r;
    }
    // "ABPBONUS+": the letters of BONUS from 48.
    const float bonus[8] = {440, 454, 468, 488, 502, 516, 530, 544};
    for (int i = 0; i < 8; ++i) {
        EXPECT_FLOAT_EQ(d[14 + i].x, bonus[i]) << i;
    }
}

TEST_F(GainPopupTest, NumbersFillThreePlacesWithinTheirRange)
{
    const struct {
        std::uint32_t value;
        const char* places;
    } cases[] = {{0, "##0"},   {9, "##9"},   {10, "#10"},   {99, "#99"},  {100, "100"},
                 {999, "999"}, {1000, "999"}, {0xFFFFFFFFu, "##0"}, {0x7FFFFFFFu, "999"}};
    for (const auto& c : cases) {
        TCountValue gain;
        gain.Words[1] = c.value;
        TGainPopup popup(gain, font_.get());
        popup.Start(440.0F, 240.0F);
        EXPECT_EQ(Probe::Places(*font_, Probe::RowList(Probe::Rows(popup))[0]), c.places) << c.value;
    }
}

TEST_F(GainPopupTest, TwoPopupsAHundredAndTwentyStepsApartBothRun)
{
    TCountValue gain;
    TGainPopup first(gain, font_.get());
    TGainPopup second(gain, font_.get());
    first.Start(440.0F, 240.0F);
    int firstEnd = 0;
    int secondEnd = 0;
    for (int step = 1; step <= 300; ++step) {
        if (step == 121) {
            second.Start(440.0F, 240.0F);
        }
        const bool before[2] = {first.IsActive(), second.IsActive()};
        first.Update();
        second.Update();
        if (before[0] && !first.IsActive()) {
            firstEnd = step;
        }
        if (before[1] && !second.IsActive()) {
            secondEnd = step;
        }
    }
    EXPECT_EQ(firstEnd, 136);
    EXPECT_EQ(secondEnd, 120 + 136);
}

class LevelUpBannerTest : public HudFixture {};

TEST_F(LevelUpBannerTest, RowsMoveInTurnHoldNinetyAndStopInTheThreeHundredAndFiftyFirstUpdate)
{
    TLevelUpPopup banner(nullptr, font_.get());
    banner.Start(508.0F, 180.0F);
    const std::vector<TPopupRows::Row>& rows = Probe::RowList(Probe::Rows(banner));
    auto sample = [&] {
        std::vector<std::int32_t> x;
        for (const TPopupRows::Row& row : rows) {
            x.push_back(row.slide.value);
        }
        return x;
    };
    std::vector<std::vector<std::int32_t>> xs{sample()};
    int stoppedAt = 0;
    int holdFrom = 0;
    for (int update = 1; update <= 360; ++update) {
        const bool holding = rows[7].state == TPopupRows::State::Hold;
        banner.Update();
        if (!holding && rows[7].state == TPopupRows::State::Hold) {
            holdFrom = update + 1;
        }
        xs.push_back(sample());
        if (!banner.IsActive() && stoppedAt == 0) {
            stoppedAt = update;
        }
    }
    std::vector<std::string> expected;
    for (int i = 0; i < 8; ++i) {
        expected.push_back(std::to_string(2 + 21 * i) + "-" + std::to_string(21 + 21 * i) + "," +
                           std::to_string(260 + 10 * i) + "-" + std::to_string(279 + 10 * i));
    }
    EXPECT_EQ(MovedRanges(Probe::Rows(banner), xs), expected);
    EXPECT_EQ(holdFrom, 170);
    EXPECT_EQ(stoppedAt, 351);
}

TEST_F(LevelUpBannerTest, RowsStandAtTheirPlacesAndWithoutAPlayerShowNothingGained)
{
    TLevelUpPopup banner(nullptr, font_.get());
    banner.Start(508.0F, 180.0F);
    const std::vector<TPopupRows::Row>& rows = Probe::RowList(Probe::Rows(banner));
    EXPECT_EQ(Probe::Places(*font_, rows[1]), "##1");
    for (int r = 2; r < 8; ++r) {
        EXPECT_EQ(Probe::Places(*font_, rows[r]), "##0") << r;
    }
    for (int update = 1; update <= 200; ++update) {
        banner.Update();
    }
    const std::vector<TSpriteDrawRecord> d = DrawsOf([&] { banner.Draw(); });
    // LEVELUP! 8, LV+ 3 + 3, HP+ and MP+ 6 each, STR+ to MEN+ 7 each.
    ASSERT_EQ(d.size(), 8u + 6u + 12u + 28u);
    EXPECT_FLOAT_EQ(d[7].x, 614.0F) << "the title's '!'";
    EXPECT_FLOAT_EQ(d[8].x, 508.0F);
    EXPECT_FLOAT_EQ(d[9].x, 524.0F) << "LV's V is 16 on";
    std::size_t at = 8;
    const std::size_t letters[7] = {3, 3, 3, 4, 4, 4, 4};
    for (int r = 1; r < 8; ++r) {
        EXPECT_FLOAT_EQ(d[at].y, 180.0F + 16.0F * r) << r;
        EXPECT_FLOAT_EQ(d[at + letters[r - 1] - 1].x, 562.0F) << r;  // '+'
        EXPECT_FLOAT_EQ(d[at + letters[r - 1] + 2].x, 604.0F) << r;  // ones
        if (r >= 4) {
            EXPECT_FLOAT_EQ(d[at + 2].x, 536.0F) << r;
        }
        at += letters[r - 1] + 3;
    }
    EXPECT_FLOAT_EQ(d[0].y, 180.0F);
    EXPECT_EQ(d[0].colors[0], 0xFFFFFFFFu);
}

TEST_F(LevelUpBannerTest, RowsStartWhiteAndClear)
{
    TLevelUpPopup banner(nullptr, font_.get());
    banner.Start(508.0F, 180.0F);
    banner.Update();
    const std::vector<TSpriteDrawRecord> d = DrawsOf([&] { banner.Draw(); });
    ASSERT_EQ(d.size(), 8u);
    EXPECT_EQ(d[0].colors[0], 0x00FFFFFFu);
    EXPECT_FLOAT_EQ(d[0].x, 764.0F);
}

// Row by row, as drawn: the update on which the row is first drawn, the update in which it first
// leaves its start at x + 256 (its first moving update), and the x it was drawn at in the update
// before.
struct FirstMove {
    int drawn = 0;
    int update = 0;
    float before = -1.0F;  // -1: not drawn
    bool operator==(const FirstMove&) const = default;
};

void PrintTo(const FirstMove& m, std::ostream* os)
{
    *os << "{drawn " << m.drawn << ", moves " << m.update << " from " << m.before << "}";
}

class PopupRowStarts : public HudFixture {
protected:
    std::vector<FirstMove> FirstMoves(TPopupText& popup, float x, float y, int rows, int updates)
    {
        std::vector<FirstMove> moves(static_cast<std::size_t>(rows));
        std::vector<float> last(static_cast<std::size_t>(rows), -1.0F);
        popup.Start(x, y);
        for (int u = 1; u <= updates; ++u) {
            popup.Update();
            std::vector<float> drawn(static_cast<std::size_t>(rows), -1.0F);
            for (const TSpriteDrawRecord& d : DrawsOf([&] { popup.Draw(); })) {
                const auto r = static_cast<std::size_t>((d.y - y) / 16.0F);
                if (r < drawn.size() && drawn[r] < 0.0F) {
                    drawn[r] = d.x;  // the row's first letter stands at its slide's x
                }
            }
            for (std::size_t r = 0; r < moves.size(); ++r) {
                if (moves[r].drawn == 0 && drawn[r] >= 0.0F) {
                    moves[r].drawn = u;
                }
                if (moves[r].update == 0 && drawn[r] >= 0.0F && drawn[r] != x + 256.0F) {
                    moves[r].update = u;
                    moves[r].before = last[r];
                }
            }
            last = drawn;
        }
        return moves;
    }
};

// A row is drawn, standing at the right edge, from the update after the row before it has passed
// the tenth of its twenty slide steps; it moves only once that row has arrived.
TEST_F(PopupRowStarts, EachRowFirstMovesOnItsOwnUpdateFromTheRightEdge)
{
    TCountValue gain;
    TGainPopup popup(gain, font_.get());
    EXPECT_EQ(FirstMoves(popup, 440.0F, 240.0F, 3, 70),
              (std::vector<FirstMove>{{1, 2, 696.0F}, {12, 23, 696.0F}, {33, 44, 696.0F}}));
    TLevelUpPopup banner(nullptr, font_.get());
    const std::vector<FirstMove> want{{1, 2, 764.0F},     {12, 23, 764.0F},   {33, 44, 764.0F},
                                      {54, 65, 764.0F},   {75, 86, 764.0F},   {96, 107, 764.0F},
                                      {117, 128, 764.0F}, {138, 149, 764.0F}};
    EXPECT_EQ(FirstMoves(banner, 508.0F, 180.0F, 8, 175), want);
}

}  // namespace
}  // namespace hudtest
