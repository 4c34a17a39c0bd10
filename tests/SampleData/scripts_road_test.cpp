// The town's old well, played: walked to from the start and spoken to six times. Each talk takes
// the branch its visit count picks, works its loops over that count, and ends in a question: a coin
// thrown calls the wish script with its arguments, which takes the coin from the purse (or nothing
// from a purse short of one) and the well says which; a cancel closes the window and ends the talk
// before the answer counts, walking away takes the question's default branch and looking in takes a
// later case, which says a line of its own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Map/TTownArea.h"
#include "MainCode/Script/TMessageWindow.h"
#include "SampleData/field_road.h"
#include "make-sample-data/SampleData.h"
#include "make-sample-data/SampleScripts.h"
#include "support/field_walk.h"
#include "support/map_probe.h"
#include "support/scene_driver.h"
#include "support/script_probe.h"

namespace {

using qmtest::Button;
using qmtest::FlatDistance;
using qmtest::PositionOf;
using sample::SampleLayout;
using sample::WellLayout;

// How a talk answers the question: the choice decided on (cursor moved down that many times), or
// cancelled.
constexpr int kCancel = -1;

struct Talk {
    int answer;
    // The purse before it (unchanged when negative), and the line the answer says, if any.
    std::int64_t purse;
    const char* said;
    // Event flags after it: visits, branch, 1 + ... + n, twos, doubling, laps, signs, long sum,
    // question, wish; the money it took.
    int visits, branch, sum, twos, doubling, laps, signs, longSum, choice, wish;
    std::uint32_t taken;
    // One of each of these items put in the bag before it, and the kinds the bag then holds: a new
    // game's five of item 1 sit in the ring, which is no part of the bag, and one more of item 1
    // joins them there.
    std::vector<std::uint32_t> added;
    int bagKinds;
};

constexpr const char* kSank = "硬貨は暗い水の底へ沈んでいった。";
constexpr const char* kNoCoin = "投げ入れる硬貨が一枚もない。";

// n = visits before + 2: 2, 3, 4, 5, 6, 7. A coin is 10: thrown from a new game's purse, from a
// purse of exactly one coin, and from one a little short of it.
const Talk kTalks[] = {
    {0, -1, kSank, 1, 1, 3, 6, 16, 3, 16, 72, 1, 12, 10, {}, 0},
    {kCancel, -1, nullptr, 2, 2, 6, 10, 16, 4, 13, 73, 1, 12, 0, {2}, 1},
    {2, -1, nullptr, 3, 3, 10, 12, 32, 6, 11, 74, 3, 12, 0, {1, 2}, 1},
    {1, -1, "水面に自分の顔が映っている。", 4, 3, 15, 16, 32, 7, 9, 75, 2, 12, 0, {3, 4}, 3},
    {0, 10, kSank, 5, 3, 21, 18, 32, 8, 7, 76, 1, 56, 10, {}, 3},
    {0, 9, kNoCoin, 6, 3, 28, 22, 32, 10, 5, 77, 1, 0, 0, {}, 3},
};

class ScriptsRoad : public qmtest::SampleFieldRoad {
protected:
    static int Flag(std::uint32_t id) { return TGameData::GetInstance()->GetFlag(id); }
    static bool WindowIs(bool (TMessageWindow::*state)() const)
    {
        const TMessageWindow* window = qmtest::MessageWindow();
        return window != nullptr && (window->*state)();
    }
    // What the message window has still to type.
    static std::string Unsaid()
    {
        std::string all;
        if (const TMessageWindow* window = qmtest::MessageWindow()) {
            for (const std::string& line : TScriptProbe::Lines(*window)) {
                all += line;
            }
        }
        return all;
    }
    // Facing the well from a step south of it, the action button.
    void Speak(TFieldLoop* town)
    {
        town->GetPlayer()->PlaceAt(WellLayout::Well() - D3DXVECTOR3(0.0F, 0.0F, 1.0F), {0.0F, 0.0F, 1.0F});
        driver_.Steps(2);
        driver_.Press(Button::A);
        driver_.Step();
    }
};

TEST_F(ScriptsRoad, TheWellsTalksTakeTheirBranchesByTheVisitsAndTheQuestionDecidesTheWish)
{
    TGameData::GetInstance()->Reset();
    const D3DXVECTOR3 start = SampleLayout::TownStart();
    TFieldLoop* town = Enter(SampleLayout::kTown, start, SampleLayout::TownStartDirection(), start);
    ASSERT_NE(town, nullptr);
    auto* area = dynamic_cast<TTownArea*>(town->GetArea());
    ASSERT_NE(area, nullptr);
    // From the start north to the path past the sign, then east along the north wall to the well.
    TPlayerCharacter* hero = town->GetPlayer();
    const D3DXVECTOR3 south(0.0F, 0.0F, 2.0F);
    for (const D3DXVECTOR3& to : {D3DXVECTOR3(start.x, 0.0F, 25.0F), WellLayout::Well() - south}) {
        const bool there = driver_.StepUntil(
            [&] {
                qmtest::WalkTowards(town, to);
                return FlatDistance(PositionOf(hero), to) < 0.5F;
            },
            600);
        qmtest::ReleaseArrows();
        ASSERT_TRUE(there) << PositionOf(hero).x << " " << PositionOf(hero).z;
    }
    EXPECT_FALSE(TMapProbe::IsInScriptState(*area));
    ASSERT_EQ(Flag(WellLayout::kVisitsFlag), 0);

    for (const Talk& talk : kTalks) {
        SCOPED_TRACE("visit " + std::to_string(talk.visits));
        if (talk.purse >= 0) {
            TGameData::GetInstance()->SetMoney(static_cast<std::uint32_t>(talk.purse));
        }
        const std::uint32_t money = TGameData::GetInstance()->GetMoney();
        for (std::uint32_t item : talk.added) {
            TGameData::GetInstance()->AddItem(item, 1);
        }
        Speak(town);
        ASSERT_TRUE(TMapProbe::IsInScriptState(*area));
        ASSERT_TRUE(driver_.StepUntil([] { return WindowIs(&TMessageWindow::IsWaitingForButton); }, 300));
        driver_.Press(Button::A);
        ASSERT_TRUE(driver_.StepUntil([] { return WindowIs(&TMessageWindow::IsChoosing); }, 120));
        const std::vector<std::string> lines(TScriptProbe::Lines(*qmtest::MessageWindow()).begin(),
                                             TScriptProbe::Lines(*qmtest::MessageWindow()).end());
        EXPECT_EQ(lines, (std::vector<std::string>{"　硬貨を投げる", "　井戸をのぞく", "　立ち去る"}));
        if (talk.answer == kCancel) {
            driver_.Press(Button::B);
            driver_.Step();
            EXPECT_TRUE(qmtest::MessageWindow() != nullptr && TScriptProbe::IsSliding(*qmtest::MessageWindow()));
        } else {
            for (int i = 0; i < talk.answer; ++i) {
                driver_.Press(Button::Down);
                driver_.Steps(2);
            }
            EXPECT_EQ(TScriptProbe::Cursor(*qmtest::MessageWindow()), talk.answer);
            driver_.Press(Button::A);
        }
        if (talk.said != nullptr) {
            // The words as the window types them out, up to the page's end (its mark).
            std::string typed;
            std::string left = Unsaid();
            ASSERT_TRUE(driver_.StepUntil(
                [&] {
                    const std::string now = Unsaid();
                    if (now.size() < left.size() && left.compare(left.size() - now.size(), now.size(), now) == 0) {
                        typed += left.substr(0, left.size() - now.size());
                    }
                    left = now;
                    return WindowIs(&TMessageWindow::IsWaitingForButton);
                },
                300));
            // The step that shows the words types their first letters already.
            const std::string said = std::string(talk.said) + "／";
            EXPECT_TRUE(said.ends_with(typed) && typed.size() + 4 >= said.size()) << typed;
            driver_.Press(Button::A);
        }
        ASSERT_TRUE(driver_.StepUntil([&] { return !TMapProbe::IsInScriptState(*area); }, 120));
        EXPECT_EQ(Flag(WellLayout::kAskedFlag), 0);
        EXPECT_EQ(Flag(WellLayout::kVisitsFlag), talk.visits);
        EXPECT_EQ(Flag(WellLayout::kAnswerFlag), talk.branch);
        EXPECT_EQ(Flag(WellLayout::kSumFlag), talk.sum);
        EXPECT_EQ(Flag(WellLayout::kTwosFlag), talk.twos);
        EXPECT_EQ(Flag(WellLayout::kDoublingFlag), talk.doubling);
        EXPECT_EQ(Flag(WellLayout::kLapsFlag), talk.laps);
        EXPECT_EQ(Flag(WellLayout::kSkippedFlag), 0);
        EXPECT_EQ(Flag(WellLayout::kSignsFlag), talk.signs);
        EXPECT_EQ(Flag(WellLayout::kLongSumFlag), talk.longSum);
        // Seed 7: 7 × 214013 + 2531011 = 4029102, whose bits 16 and up are 61.
        EXPECT_EQ(Flag(WellLayout::kRollFlag), 61);
        EXPECT_EQ(Flag(WellLayout::kBagFlag), talk.bagKinds);
        EXPECT_EQ(Flag(WellLayout::kChoiceFlag), talk.choice);
        EXPECT_EQ(Flag(WellLayout::kWishFlag), talk.wish);
        EXPECT_EQ(TGameData::GetInstance()->GetMoney(), money - talk.taken);
        driver_.Steps(5);
    }
    EXPECT_EQ(Field(), town);
    EXPECT_EQ(town->GetArea(), area);
}

}  // namespace
