// The pause menu's item ring screen over the field: the wheel's turns, the list of each position
// with its take-out entry, paging, setting and taking out items, refusals, the count glyphs, the
// greys while the list is open, and the field's ring after the menu has closed.
#include <cmath>

#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TItemTable.h"
#include "MainCode/Hud/TItemRing.h"
#include "MainCode/Hud/TLetterFont.h"
#include "MainCode/Menu/TItemRingLoop.h"
#include "Menu/pause_fixture.h"
#include "dx/dx8/3d/TText8.h"
#include "support/dx_probe.h"
#include "support/gamedata_probe.h"
#include "support/hud_probe.h"
#include "support/main_probe.h"
#include "support/menu_probe.h"

namespace menutest {
namespace {

constexpr float kTurn = 0.7853982F;

class ItemRingScreen : public PauseMenuTest {
protected:
    void SetUp() override
    {
        PauseMenuTest::SetUp();
        ASSERT_NE(Field(), nullptr);
        data_ = TGameData::GetInstance();
        while (!TGameDataProbe::ItemList(*data_).empty()) {
            data_->RemoveItemEntry(TGameDataProbe::ItemList(*data_).front()->Id);
        }
        for (std::uint32_t k = 0; k < 8; ++k) {
            *data_->GetRingSlot(k) = TItemEntry();
        }
    }
    // An item of the test's own; ring 0 keeps it out of the ring.
    static void Define(std::uint32_t id, std::uint8_t kind = 0, std::uint8_t ring = 1)
    {
        TItemRecord& r = TItemTable::Get(id);
        r = TItemRecord();
        r.Id = id;
        r.Name = "item" + std::to_string(id);
        r.Kind = kind;
        r.RingUsable = ring;
        // The field folder's icons are "icon001" to "icon007".
        r.IconName = "icon00" + std::to_string(id % 10);
        r.InfoName = "info";
    }
    // The screen pushed over a menu with its windows in, as the menu pushes it, and opened.
    TItemRingLoop* Screen()
    {
        menu_ = MenuReady();
        if (menu_ == nullptr) {
            return nullptr;
        }
        screen_ = new TItemRingLoop(driver_.App(), menu_);
        driver_.App()->PushScene(screen_);
        driver_.Steps(10);
        EXPECT_TRUE(TMenuProbe::IsSelecting(*screen_));
        driver_.RecordSounds(true);
        return screen_;
    }
    // A press, a step with it let go, then steps until the screen takes keys again.
    void Key(Button b)
    {
        KeyUntil(b, screen_, [this] {
            return TMenuProbe::IsSelecting(*screen_) || TMenuProbe::IsInList(*screen_) ||
                   TMenuProbe::IsEmptyShown(*screen_);
        });
    }
    void Keys(const std::vector<Button>& keys)
    {
        for (Button b : keys) {
            Key(b);
        }
    }
    // Back to the field, the bag emptied for the next case.
    void LeaveAndEmpty()
    {
        LeaveToField(screen_, menu_);
        while (!TGameDataProbe::ItemList(*data_).empty()) {
            data_->RemoveItemEntry(TGameDataProbe::ItemList(*data_).front()->Id);
        }
    }
    std::uint32_t Held(std::uint32_t id) const
    {
        for (const auto& entry : TGameDataProbe::ItemList(*data_)) {
            if (entry->Id == id) {
                return entry->Count;
            }
        }
        return 0;
    }
    std::vector<TItemEntry> Ring() const
    {
        std::vector<TItemEntry> ring;
        for (std::uint32_t k = 0; k < 8; ++k) {
            ring.push_back(*data_->GetRingSlot(k));
        }
        return ring;
    }
    // The position's count glyphs as the letters they show.
    std::string Count(std::int32_t position) const
    {
        TLetterFont* font = field_->GetLetterFont();
        std::string shown;
        for (int digit = 0; digit < 2; ++digit) {
            const TSprite& glyph = TMenuProbe::CountGlyph(*screen_, position, digit);
            char found = '?';
            for (char c : std::string("#0123456789")) {
                const TSprite& g = font->Glyph(static_cast<std::uint8_t>(c));
                if (g.GetVertex(0).u == glyph.GetVertex(0).u && g.GetVertex(0).v == glyph.GetVertex(0).v &&
                    TDxProbe::Image(g).HasTexture() == TDxProbe::Image(glyph).HasTexture()) {
                    found = c;
                    break;
                }
            }
            shown += found;
        }
        return shown;
    }

    TGameData* data_ = nullptr;
    TMenuTopLoop* menu_ = nullptr;
    TItemRingLoop* screen_ = nullptr;
};

bool SameEntries(const std::vector<TItemEntry>& a, const std::vector<TItemEntry>& b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].Id != b[i].Id || a[i].Count != b[i].Count) {
            return false;
        }
    }
    return true;
}

// Position 0 takes no "A"; "UP" from it selects 7 and turns the wheel a position forward over 10
// steps, reading no keys meanwhile; "DOWN" from 7 comes back to 0.
TEST_F(ItemRingScreen, OpensOnTheEmptyPlaceAndTurnsBothWaysOverTenSteps)
{
    Define(5);
    data_->AddItem(5, 3);
    ASSERT_NE(Screen(), nullptr);
    EXPECT_EQ(TMenuProbe::RingCursor(*screen_), 0);
    Key(Button::A);
    EXPECT_TRUE(TMenuProbe::IsSelecting(*screen_));
    EXPECT_EQ(Sounds(), std::vector<std::uint32_t>{});

    const struct {
        Button key;
        std::int32_t cursor;
        float turn;  // the wheel's way
    } turns[] = {{Button::Up, 7, kTurn}, {Button::Down, 0, 0.0F}, {Button::Down, 1, -kTurn}, {Button::Up, 0, 0.0F}};
    float start = 0.0F;
    for (const auto& t : turns) {
        SCOPED_TRACE(t.cursor);
        driver_.Press(t.key);
        EXPECT_EQ(TMenuProbe::RingCursor(*screen_), t.cursor);
        EXPECT_EQ(Sounds(), std::vector<std::uint32_t>{607});
        const float delta = t.turn - start;
        for (int step = 1; step <= 10; ++step) {
            // A press while turning is not read.
            if (step == 4) {
                driver_.Press(Button::Down);
            } else {
                driver_.Step();
            }
            EXPECT_NEAR(TMenuProbe::RingAngle(*screen_).value, start + delta * static_cast<float>(step) / 10.0F, 1e-6F)
                << step;
            EXPECT_NEAR(TMenuProbe::PositionAngle(*screen_, 3).value,
                        3.0F * kTurn + start + delta * static_cast<float>(step) / 10.0F, 1e-6F);
            EXPECT_EQ(TMenuProbe::IsTurning(*screen_), step < 10) << step;
        }
        EXPECT_EQ(TMenuProbe::RingCursor(*screen_), t.cursor);
        EXPECT_EQ(Sounds(), std::vector<std::uint32_t>{});
        start = t.turn;
    }
}

// The list of a position: the ordinary items in ascending id, "はずす" first when the position
// holds an item; an empty list says so and only "B" leaves it.
TEST_F(ItemRingScreen, APositionListsItsItemsWithTheTakeOutEntryFirstOnlyWhenFilled)
{
    Define(9);
    Define(4);
    Define(1001, 1);
    Define(2001, 2);
    Define(6);
    const struct {
        const char* what;
        std::vector<std::uint32_t> held;  // one of each
        TItemEntry position1;
        std::vector<std::uint32_t> list;  // 0: "はずす"
    } cases[] = {
        {"empty position", {9, 1001, 4, 2001}, {}, {4, 9}},
        {"filled position", {9, 1001, 4, 2001}, {6, 2}, {0, 4, 9}},
        {"nothing to list", {1001}, {}, {}},
        {"only the take-out", {2001}, {6, 1}, {0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (std::uint32_t id : c.held) {
            data_->AddItem(id, 1);
        }
        *data_->GetRingSlot(1) = c.position1;
        ASSERT_NE(Screen(), nullptr);
        Keys({Button::Down, Button::A});
        EXPECT_EQ(Sounds(), (std::vector<std::uint32_t>{607, 603}));
        std::vector<std::uint32_t> listed;
        for (const auto& entry : TMenuProbe::List(*screen_)) {
            listed.push_back(entry->Id);
        }
        EXPECT_EQ(listed, c.list);
        EXPECT_EQ(TMenuProbe::IsEmptyShown(*screen_), c.list.empty());
        const auto draws = DrawsOfAStep();
        EXPECT_EQ(CountDraws(draws, "sprite.ptx/cursor02"), c.list.empty() ? 0 : 1);
        if (c.list.empty()) {
            for (Button b : {Button::A, Button::Up, Button::Down, Button::Left, Button::Right}) {
                Key(b);
                EXPECT_TRUE(TMenuProbe::IsEmptyShown(*screen_));
            }
            EXPECT_EQ(Sounds(), std::vector<std::uint32_t>{});
        } else {
            EXPECT_EQ(TDxProbe::TextWidth(TMenuProbe::Text(TMenuProbe::Rows(*screen_), 0)), 256u);
        }
        Key(Button::B);
        EXPECT_TRUE(TMenuProbe::IsSelecting(*screen_));
        EXPECT_EQ(Sounds(), std::vector<std::uint32_t>{606});
        LeaveAndEmpty();
    }
}

// Paging by seven: a list of exactly seven and one of twenty, the arrows each shows, and the
// list-move sound whenever the entry under the cursor changed.
TEST_F(ItemRingScreen, SevenAndTwentyEntriesPageWithTheirArrows)
{
    const struct Move {
        Button key;
        std::int32_t top, row;
        int up, down;
        bool sound;
    } seven[] = {
        {Button::Right, 0, 6, 0, 0, true},
        {Button::Right, 0, 6, 0, 0, false},
        {Button::Left, 0, 0, 0, 0, true},
    },
      twenty[] = {
          {Button::Right, 7, 0, 1, 1, true},  {Button::Right, 13, 6, 1, 0, true}, {Button::Right, 13, 6, 1, 0, false},
          {Button::Left, 6, 6, 1, 1, true},   {Button::Left, 0, 0, 0, 1, true},   {Button::Down, 0, 1, 0, 1, true},
          {Button::Down, 0, 2, 0, 1, true},   {Button::Down, 0, 3, 0, 1, true},   {Button::Down, 0, 4, 0, 1, true},
          {Button::Down, 0, 5, 0, 1, true},   {Button::Down, 0, 6, 0, 1, true},   {Button::Down, 1, 6, 1, 1, true},
          {Button::Down, 2, 6, 1, 1, true},   {Button::Down, 3, 6, 1, 1, true},   {Button::Left, 0, 0, 0, 1, true},
      };
    for (const auto& [n, moves, count] :
         {std::tuple{7, seven, std::size(seven)}, std::tuple{20, twenty, std::size(twenty)}}) {
        SCOPED_TRACE(n);
        for (int i = 0; i < n; ++i) {
            Define(100 + static_cast<std::uint32_t>(i));
            data_->AddItem(100 + static_cast<std::uint32_t>(i), 1);
        }
        ASSERT_NE(Screen(), nullptr);
        Keys({Button::Down, Button::A});
        Sounds();
        for (std::size_t i = 0; i < count; ++i) {
            const Move& m = moves[i];
            SCOPED_TRACE(i);
            Key(m.key);
            EXPECT_EQ(TMenuProbe::Pager(*screen_).GetTop(), m.top);
            EXPECT_EQ(TMenuProbe::Pager(*screen_).GetRow(), m.row);
            const auto draws = DrawsOfAStep();
            EXPECT_EQ(CountDraws(draws, "sprite.ptx/cursor03"), m.up);
            EXPECT_EQ(CountDraws(draws, "sprite.ptx/cursor04"), m.down);
            EXPECT_EQ(Sounds(), m.sound ? std::vector<std::uint32_t>{601} : std::vector<std::uint32_t>{});
        }
        Key(Button::B);
        LeaveAndEmpty();
    }
}

// Setting, swapping, taking out and the two refusals, each on the game data's ring and inventory;
// the field's ring shows the result once the menu has closed.
TEST_F(ItemRingScreen, SetsSwapsAndTakesOutItemsAndRefusesSilently)
{
    Define(3);
    Define(4);
    Define(7, 0, 0);  // not for the ring
    Define(6);
    data_->AddItem(3, 5);
    data_->AddItem(4, 12);
    data_->AddItem(7, 2);
    data_->AddItem(6, 1);
    *data_->GetRingSlot(5) = TItemEntry{6, 6};  // also held: already in the ring
    ASSERT_NE(Screen(), nullptr);
    const struct {
        const char* what;
        std::vector<Button> keys;  // from the ring, ending back on it
        std::vector<std::uint32_t> sounds;
        std::vector<TItemEntry> ring;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> held;
    } steps[] = {
        {"item 3 into position 2",
         {Button::Down, Button::Down, Button::A, Button::A},
         {607, 607, 603, 603},
         {{}, {}, {3, 5}, {}, {}, {6, 6}, {}, {}},
         {{3, 0}, {4, 12}}},
        {"item 4 over it: 3 comes back",
         {Button::A, Button::Down, Button::A},
         {603, 601, 603},
         {{}, {}, {4, 12}, {}, {}, {6, 6}, {}, {}},
         {{3, 5}, {4, 0}}},
        {"not for the ring: refused without a sound",
         {Button::A, Button::Down, Button::Down, Button::A, Button::B},
         {603, 601, 601, 606},
         {{}, {}, {4, 12}, {}, {}, {6, 6}, {}, {}},
         {{3, 5}, {7, 2}}},
        {"already in the ring: refused without a sound",
         {Button::A, Button::Down, Button::Down, Button::Down, Button::A, Button::B},
         {603, 601, 601, 601, 606},
         {{}, {}, {4, 12}, {}, {}, {6, 6}, {}, {}},
         {{6, 1}}},
        {"taken out: back to the inventory",
         {Button::A, Button::A},
         {603, 606},
         {{}, {}, {}, {}, {}, {6, 6}, {}, {}},
         {{4, 12}}},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.what);
        Keys(s.keys);
        EXPECT_TRUE(TMenuProbe::IsSelecting(*screen_));
        EXPECT_EQ(Sounds(), s.sounds);
        EXPECT_TRUE(SameEntries(Ring(), s.ring));
        for (const auto& [id, count] : s.held) {
            EXPECT_EQ(Held(id), count) << id;
        }
        EXPECT_EQ(TDxProbe::Image(TMenuProbe::PositionIcon(*screen_, 2)).GetName(),
                  s.ring[2].Id != 0 ? "itemicon.ptx/icon00" + std::to_string(s.ring[2].Id) : "");
    }
    Keys({Button::A, Button::A});  // item 3 into position 2 again
    ASSERT_EQ(data_->GetRingSlot(2)->Id, 3u);
    LeaveToField(screen_, menu_);
    EXPECT_EQ(TDxProbe::Image(THudProbe::Icon(*field_->GetItemRing(), 2)).GetName(), "itemicon.ptx/icon003");
    EXPECT_EQ(TDxProbe::Image(THudProbe::Icon(*field_->GetItemRing(), 5)).GetName(), "itemicon.ptx/icon006");
    EXPECT_FALSE(TDxProbe::Image(THudProbe::Icon(*field_->GetItemRing(), 1)).HasTexture());
}

// Decide and cancel in the same step in the list: the list takes the decide (the shops take the
// cancel).
TEST_F(ItemRingScreen, DecideAndCancelInOneStepChooseTheEntry)
{
    Define(3);
    data_->AddItem(3, 5);
    ASSERT_NE(Screen(), nullptr);
    Keys({Button::Down, Button::A});
    ASSERT_TRUE(TMenuProbe::IsInList(*screen_));
    driver_.Hold(Button::A, true);
    driver_.Hold(Button::B, true);
    driver_.Step();
    driver_.Hold(Button::A, false);
    driver_.Hold(Button::B, false);
    EXPECT_EQ(Sounds(), (std::vector<std::uint32_t>{607, 603, 603}));
    EXPECT_EQ(data_->GetRingSlot(1)->Id, 3u);
}

// Counts at both sides of 10 and at 99; an empty position and position 0 show two blank cells.
TEST_F(ItemRingScreen, CountGlyphsOfEveryPosition)
{
    const TItemEntry ring[8] = {{0, 0}, {11, 7}, {12, 12}, {13, 9}, {14, 10}, {15, 99}, {0, 0}, {16, 1}};
    for (std::uint32_t k = 1; k < 8; ++k) {
        if (ring[k].Id != 0) {
            Define(ring[k].Id);
        }
        *data_->GetRingSlot(k) = ring[k];
    }
    ASSERT_NE(Screen(), nullptr);
    const char* const shown[8] = {"##", "#7", "12", "#9", "10", "99", "##", "#1"};
    for (std::int32_t k = 0; k < 8; ++k) {
        EXPECT_EQ(Count(k), shown[k]) << k;
    }
}

// The list opening greys the other positions to 0.4 and the ring to 0.7 over ten steps, the
// cursor's position stays white; closing brings them back.
TEST_F(ItemRingScreen, TheListGreysTheOtherPositionsAndTheRing)
{
    Define(3);
    Define(4);
    data_->AddItem(3, 1);
    *data_->GetRingSlot(1) = TItemEntry{4, 2};
    ASSERT_NE(Screen(), nullptr);
    Key(Button::Down);
    driver_.Press(Button::A);
    const struct {
        int step;  // after the press
        DWORD other, ring;
    } rows[] = {{0, 0xFFFFFFFF, 0xFFFFFFFF}, {1, 0xFFEFEFEF, 0xFFF7F7F7}, {5, 0xFFB2B2B2, 0xFFD8D8D8},
                {10, 0xFF656565, 0xFFB2B2B2}};  // 0.4 stepped in float is a hair below: 101
    int done = 0;
    for (const auto& r : rows) {
        driver_.Steps(r.step - done);
        done = r.step;
        SCOPED_TRACE(r.step);
        EXPECT_EQ(TMenuProbe::PositionIcon(*screen_, 1).GetVertex(0).diffuse, 0xFFFFFFFFu);
        EXPECT_EQ(TMenuProbe::CountGlyph(*screen_, 1, 1).GetVertex(3).diffuse, 0xFFFFFFFFu);
        EXPECT_EQ(TMenuProbe::CountGlyph(*screen_, 2, 0).GetVertex(0).diffuse, r.other);
        EXPECT_EQ(TMenuProbe::Ring(*screen_).GetVertex(2).diffuse, r.ring);
    }
    EXPECT_TRUE(TMenuProbe::IsInList(*screen_));
    Key(Button::B);
    EXPECT_EQ(TMenuProbe::CountGlyph(*screen_, 2, 0).GetVertex(0).diffuse, 0xFFFFFFFFu);
    EXPECT_EQ(TMenuProbe::Ring(*screen_).GetVertex(0).diffuse, 0xFFFFFFFFu);
}

// The screen keeps no sound list of its own: a sound asked for through the scene base, as any
// scene's is, still plays through the menu's.
TEST_F(ItemRingScreen, ASoundAskedOfTheSceneBasePlaysThroughTheMenusList)
{
    ASSERT_NE(Screen(), nullptr);
    Sounds();
    TSceneLoop& scene = *screen_;
    TMainProbe::PlaySe(scene, 605);
    TMainProbe::PlaySe(scene, 602);
    EXPECT_EQ(Sounds(), (std::vector<std::uint32_t>{605, 602}));
}

}  // namespace
}  // namespace menutest
