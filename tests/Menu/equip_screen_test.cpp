// The pause menu's equipment screen over the field: the slot cursor, the lists with their greyed
// weapons, every kind of swap and refusal on the inventory and the player, the rebuilt player on a
// new weapon type, the ability-point texts, the panel's dimming, and the name plate's width.
#include <cstring>

#include "MainCode/Character/THeroA.h"
#include "MainCode/Character/THeroC.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TItemTable.h"
#include "MainCode/GameData/TWeponTable.h"
#include "MainCode/Hud/TStatusPanel.h"
#include "MainCode/Menu/TEquipLoop.h"
#include "MainCode/Menu/TItemRingLoop.h"
#include "MainCode/Menu/TItemRows.h"
#include "Menu/pause_fixture.h"
#include "dx/dx8/3d/TText8.h"
#include "support/dx_probe.h"
#include "support/gamedata_probe.h"
#include "support/menu_probe.h"

namespace menutest {
namespace {

class EquipScreen : public PauseMenuTest {
protected:
    void SetUp() override
    {
        PauseMenuTest::SetUp();
        // Hero 0 uses types 0 and 2, not 3.
        Weapon(1000, "木の剣", 0);
        Weapon(1002, "short sword", 0);
        Weapon(1003, "axe", 2);
        Weapon(1005, "lance", 3);
        Item(2000, "ring", 2);
        Item(2001, "charm", 2);
        Item(2300, "stone", 2);  // no ability points kept for it
        ASSERT_NE(Field(), nullptr);
        data_ = TGameData::GetInstance();
        while (!TGameDataProbe::ItemList(*data_).empty()) {
            data_->RemoveItemEntry(TGameDataProbe::ItemList(*data_).front()->Id);
        }
        record_ = data_->GetCharacterData(0);
    }
    static void Item(std::uint32_t id, const std::string& name, std::uint8_t kind)
    {
        TItemRecord& r = TItemTable::Get(id);
        r = TItemRecord();
        r.Id = id;
        r.Name = name;
        r.Kind = kind;
        r.InfoName = "info";
    }
    static void Weapon(std::uint32_t id, const std::string& name, std::int32_t type)
    {
        Item(id, name, 1);
        TWeponRecord& w = TWeponTable::Get(id);
        w = TWeponRecord();
        w.Id = id;
        w.Name = name;
        w.Type = type;
        w.MeshName = "sword";
    }
    TPlayerCharacter* Player() const { return field_->GetPlayer(); }
    // The screen over a ready menu as the menu pushes it, opened to its slot choice.
    TEquipLoop* Screen()
    {
        menu_ = MenuReady();
        if (menu_ == nullptr) {
            return nullptr;
        }
        screen_ = new TEquipLoop(driver_.App(), menu_);
        driver_.App()->PushScene(screen_);
        driver_.Steps(10);
        EXPECT_TRUE(TMenuProbe::IsChoosingSlot(*screen_));
        driver_.RecordSounds(true);
        return screen_;
    }
    // A press, a step with it let go, then steps until the screen takes keys again.
    void Key(Button b)
    {
        KeyUntil(b, screen_, [this] {
            return TMenuProbe::IsChoosingSlot(*screen_) || TMenuProbe::IsInList(*screen_) ||
                   TMenuProbe::IsEmptyShown(*screen_);
        });
    }
    void Keys(const std::vector<Button>& keys)
    {
        for (Button b : keys) {
            Key(b);
        }
    }
    std::uint32_t Held(std::uint32_t id) const
    {
        const TItemEntry* entry = data_->FindItem(id);
        return entry != nullptr ? entry->Count : 0;
    }
    // Back to the field with the menu closed.
    void Leave() { LeaveToField(screen_, menu_); }
    static std::vector<const TSpriteDrawRecord*> Find(const std::vector<TSpriteDrawRecord>& draws,
                                                      const std::string& texture)
    {
        std::vector<const TSpriteDrawRecord*> found;
        for (const TSpriteDrawRecord& d : draws) {
            if (d.texture == texture) {
                found.push_back(&d);
            }
        }
        return found;
    }
    // Whether the text holds exactly these words at these places.
    static bool Shows(const TText8& text, const std::vector<std::pair<int, std::string>>& words)
    {
        TText8 expected("tExpected", TDxProbe::TextWidth(text), 16, 255, 255, 255, D3DPOOL_MANAGED, 0);
        expected.Clear(false);
        TMenuFont font;
        for (const auto& [x, word] : words) {
            expected.DrawText(x, 0, word, &font, false);
        }
        return std::memcmp(TDxProbe::Pixels(expected), TDxProbe::Pixels(text), TDxProbe::Stride(text) * 16) == 0;
    }

    TGameData* data_ = nullptr;
    TCharacterRecord* record_ = nullptr;
    TMenuTopLoop* menu_ = nullptr;
    TEquipLoop* screen_ = nullptr;
};

// Up wraps from the weapon to the second accessory and down back, each with 601; the cursor
// stands beside the slot on the panel.
TEST_F(EquipScreen, TheSlotCursorWrapsBothWays)
{
    ASSERT_NE(Screen(), nullptr);
    const struct {
        Button key;
        std::int32_t slot;
        float x, y;  // the cursor, the panel at (64, 48)
    } moves[] = {{Button::Up, 2, 84.0F, 160.0F},
                 {Button::Up, 1, 100.0F, 131.0F},
                 {Button::Up, 0, 116.0F, 102.0F},
                 {Button::Down, 1, 100.0F, 131.0F},
                 {Button::Down, 2, 84.0F, 160.0F},
                 {Button::Down, 0, 116.0F, 102.0F}};
    for (const auto& m : moves) {
        SCOPED_TRACE(m.slot);
        Key(m.key);
        EXPECT_EQ(TMenuProbe::Slot(*screen_), m.slot);
        EXPECT_EQ(Sounds(), std::vector<std::uint32_t>{601});
        const auto draws = DrawsOfAStep();
        const auto cursor = Find(draws, "sprite.ptx/ring_cursor01");
        ASSERT_EQ(cursor.size(), 1u);
        EXPECT_FLOAT_EQ(cursor[0]->x, m.x);
        EXPECT_FLOAT_EQ(cursor[0]->y, m.y);
    }
}

// The lists of each slot: weapons in ascending id with the unusable ones greyed, the accessories,
// and an empty list that shows its word, no cursor and no rows, and takes only "B".
TEST_F(EquipScreen, ListsGreyUnusableWeaponsAndAnEmptyListTakesOnlyCancel)
{
    data_->AddItem(1005, 2);
    data_->AddItem(1003, 1);
    data_->AddItem(1002, 1);
    ASSERT_NE(Screen(), nullptr);
    Key(Button::A);
    EXPECT_EQ(Sounds(), std::vector<std::uint32_t>{603});
    ASSERT_TRUE(TMenuProbe::IsInList(*screen_));
    const struct {
        std::uint32_t id;
        DWORD text, icon;
    } rows[] = {{1002, 0xFFFFFFFF, 0xFFFFFFFF}, {1003, 0xFFFFFFFF, 0xFFFFFFFF}, {1005, 0xFF666666, 0xFFB2B2B2}};
    ASSERT_EQ(TMenuProbe::List(*screen_).size(), std::size(rows));
    for (std::size_t r = 0; r < std::size(rows); ++r) {
        SCOPED_TRACE(r);
        EXPECT_EQ(TMenuProbe::List(*screen_)[r]->Id, rows[r].id);
        EXPECT_EQ(TMenuProbe::Text(TMenuProbe::Rows(*screen_), static_cast<std::int32_t>(r)).GetVertex(0).diffuse,
                  rows[r].text);
        EXPECT_EQ(TMenuProbe::Icon(TMenuProbe::Rows(*screen_), static_cast<std::int32_t>(r)).GetVertex(3).diffuse,
                  rows[r].icon);
    }
    EXPECT_TRUE(Shows(TMenuProbe::Title(*screen_), {{48, "武器"}}));
    // Three items: no arrows; down stops on the last, page down goes to it.
    const struct {
        Button key;
        std::int32_t row;
        bool sound;
    } moves[] = {{Button::Right, 2, true}, {Button::Down, 2, false}, {Button::Left, 0, true}, {Button::Down, 1, true},
                 {Button::Down, 2, true}, {Button::Down, 2, false}};
    for (const auto& m : moves) {
        Key(m.key);
        EXPECT_EQ(TMenuProbe::Pager(*screen_).GetRow(), m.row);
        EXPECT_EQ(Sounds(), m.sound ? std::vector<std::uint32_t>{601} : std::vector<std::uint32_t>{});
        const auto draws = DrawsOfAStep();
        EXPECT_TRUE(Find(draws, "sprite.ptx/cursor03").empty());
        EXPECT_TRUE(Find(draws, "sprite.ptx/cursor04").empty());
    }
    Key(Button::B);
    EXPECT_EQ(Sounds(), std::vector<std::uint32_t>{606});
    ASSERT_TRUE(TMenuProbe::IsChoosingSlot(*screen_));
    // No accessory held.
    Keys({Button::Down, Button::A});
    EXPECT_EQ(Sounds(), (std::vector<std::uint32_t>{601, 603}));
    ASSERT_TRUE(TMenuProbe::IsEmptyShown(*screen_));
    EXPECT_TRUE(Shows(TMenuProbe::Title(*screen_), {{24, "アクセサリ"}}));
    const auto draws = DrawsOfAStep();
    EXPECT_TRUE(Find(draws, "sprite.ptx/cursor02").empty());
    for (const TSpriteDrawRecord& d : draws) {
        EXPECT_FALSE(d.x == 394.0F && d.texture != "") << "a row icon: " << d.texture;  // the list at 342
    }
    for (Button b : {Button::A, Button::Up, Button::Down, Button::Right}) {
        Key(b);
        EXPECT_TRUE(TMenuProbe::IsEmptyShown(*screen_));
    }
    EXPECT_EQ(Sounds(), std::vector<std::uint32_t>{});
    Key(Button::B);
    EXPECT_EQ(Sounds(), std::vector<std::uint32_t>{606});
    EXPECT_TRUE(TMenuProbe::IsChoosingSlot(*screen_));
    Leave();
}

// Each choice from a list, one after another on the same screen: what it plays, whether the list
// stays open, the inventory and the equipment after it, and whether the player was rebuilt.
TEST_F(EquipScreen, SwapsAndRefusalsOnTheInventoryAndThePlayer)
{
    data_->AddItem(1000, 1);  // another of the equipped sword
    data_->AddItem(1002, 1);
    data_->AddItem(1003, 1);
    data_->AddItem(1005, 1);
    data_->AddItem(2000, 1);  // another of the worn ring
    data_->AddItem(2001, 1);
    Player()->SetEquipItem(2000, 'A');
    Player()->SetEquipItem(0, 'B');
    ASSERT_NE(Screen(), nullptr);
    // Each step goes on from where the one before left the screen.
    const struct {
        const char* what;
        std::vector<Button> keys;
        std::vector<std::uint32_t> sounds;
        bool listOpen;
        std::uint32_t weapon, accessoryA, accessoryB;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> held;
        bool rebuilt;
    } steps[] = {
        {"the equipped sword again: nothing", {Button::A, Button::A}, {603}, true, 1000, 2000, 0, {{1000, 1}}, false},
        {"a lance the hero cannot use", {Button::Down, Button::Down, Button::Down, Button::A}, {601, 601, 601, 608}, true,
         1000, 2000, 0, {{1005, 1}}, false},
        {"a sword of the same type", {Button::Up, Button::Up, Button::A}, {601, 601, 602}, false, 1002, 2000, 0,
         {{1000, 2}, {1002, 0}}, false},
        {"an axe of another type", {Button::A, Button::Down, Button::A}, {603, 601, 602}, false, 1003, 2000, 0,
         {{1002, 1}, {1003, 0}}, true},
        {"the ring already worn", {Button::Down, Button::A, Button::A}, {601, 603, 603}, true, 1003, 2000, 0,
         {{2000, 1}, {2001, 1}}, false},
        {"a charm over the ring", {Button::Down, Button::A}, {601, 602}, false, 1003, 2001, 0,
         {{2000, 2}, {2001, 0}}, false},
        {"the ring into the empty slot: nothing comes back", {Button::Down, Button::A, Button::A}, {601, 603, 602},
         false, 1003, 2001, 2000, {{2000, 1}, {0, 0}}, false},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.what);
        // The step before may still be closing its list.
        for (int i = 0; i < 30 && !TMenuProbe::IsChoosingSlot(*screen_) && !TMenuProbe::IsInList(*screen_); ++i) {
            driver_.Step();
        }
        const TPlayerCharacter* before = Player();
        Keys(s.keys);
        EXPECT_EQ(Sounds(), s.sounds);
        EXPECT_EQ(TMenuProbe::IsInList(*screen_), s.listOpen);
        EXPECT_EQ(Player()->GetWeaponId(), s.weapon);
        EXPECT_EQ(Player()->GetEquipItemId('A'), s.accessoryA);
        EXPECT_EQ(Player()->GetEquipItemId('B'), s.accessoryB);
        for (const auto& [id, count] : s.held) {
            EXPECT_EQ(Held(id), count) << id;
        }
        EXPECT_EQ(Player() != before, s.rebuilt);
    }
    EXPECT_NE(dynamic_cast<THeroC*>(Player()), nullptr) << "the axe's class";
    EXPECT_EQ(TMenuProbe::WeaponType(*screen_), 2);
    Leave();
}

// A returned item that would pass 99 held would be lost: the swap is refused.
TEST_F(EquipScreen, ASwapWhoseReturnWouldPassNinetyNineIsRefused)
{
    data_->AddItem(1000, 99);
    data_->AddItem(1002, 1);
    data_->AddItem(2001, 1);
    data_->AddItem(2000, 99);
    Player()->SetEquipItem(2000, 'A');
    ASSERT_NE(Screen(), nullptr);
    Keys({Button::A, Button::Down, Button::A});
    EXPECT_EQ(Sounds(), (std::vector<std::uint32_t>{603, 601, 608}));
    EXPECT_TRUE(TMenuProbe::IsInList(*screen_));
    EXPECT_EQ(Player()->GetWeaponId(), 1000u);
    EXPECT_EQ(Held(1000), 99u);
    EXPECT_EQ(Held(1002), 1u);
    Keys({Button::B, Button::Down, Button::A, Button::Down, Button::A});
    EXPECT_EQ(Sounds(), (std::vector<std::uint32_t>{606, 601, 603, 601, 608}));
    EXPECT_EQ(Player()->GetEquipItemId('A'), 2000u);
    EXPECT_EQ(Held(2001), 1u);
    Leave();
}

// The last sword chosen while the returned one is appended: the list is built anew, never read
// through the entry that went out of the inventory (run under the sanitizers).
TEST_F(EquipScreen, TheListIsRebuiltAfterTheInventoryChanged)
{
    data_->AddItem(1002, 1);
    ASSERT_NE(Screen(), nullptr);
    Keys({Button::A, Button::A});
    EXPECT_EQ(Player()->GetWeaponId(), 1002u);
    ASSERT_EQ(TMenuProbe::List(*screen_).size(), 1u);
    EXPECT_EQ(TMenuProbe::List(*screen_)[0]->Id, 1000u);
    driver_.Steps(12);
    Keys({Button::A, Button::A});
    EXPECT_EQ(Player()->GetWeaponId(), 1000u);
    EXPECT_EQ(Held(1002), 1u);
    Leave();
}

// The slots' texts on the panel and the name plate: points below and at 1000, and nothing for an
// empty slot or an item without counters.
TEST_F(EquipScreen, AbilityPointTextsAndTheNamePlate)
{
    const struct {
        std::uint16_t weapon, accessory;
        std::uint32_t accessoryB;  // id in slot B
        std::vector<std::pair<int, std::string>> abp0, abp1, abp2, plate;
    } cases[] = {
        {0, 999, 0, {{0, "   0pts"}}, {{0, " 999pts"}}, {}, {{40, "木の剣"}, {136, "ABP:   0pts"}}},
        {999, 1000, 2300, {{0, " 999pts"}}, {{0, "Master!"}}, {}, {{40, "木の剣"}, {136, "ABP: 999pts"}}},
        {1000, 0, 2001, {{0, "Master!"}}, {{0, "   0pts"}}, {{0, "   0pts"}}, {{40, "木の剣"}, {152, "Master!"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.weapon);
        *record_->WeponAbp(1000) = c.weapon;
        *record_->AccessoryAbp(2000) = c.accessory;
        Player()->SetEquipItem(2000, 'A');
        Player()->SetEquipItem(c.accessoryB, 'B');
        ASSERT_NE(Screen(), nullptr);
        EXPECT_TRUE(Shows(TMenuProbe::AbpText(*screen_, 0), c.abp0));
        EXPECT_TRUE(Shows(TMenuProbe::AbpText(*screen_, 1), c.abp1));
        EXPECT_TRUE(Shows(TMenuProbe::AbpText(*screen_, 2), c.abp2));
        EXPECT_TRUE(Shows(TMenuProbe::Name(*screen_), c.plate));
        // Slot B's plate: the stone's name alone, an empty slot nothing.
        Keys({Button::Up});
        const std::vector<std::pair<int, std::string>> plateB =
            c.accessoryB == 2300   ? std::vector<std::pair<int, std::string>>{{48, "stone"}}
            : c.accessoryB == 2001 ? std::vector<std::pair<int, std::string>>{{48, "charm"}, {136, "ABP:   0pts"}}
                                   : std::vector<std::pair<int, std::string>>{};
        EXPECT_TRUE(Shows(TMenuProbe::Name(*screen_), plateB));
        Leave();
    }
}

// An item without a name leaves the plate showing the last named one, in the list and after it.
TEST_F(EquipScreen, AnUnnamedItemKeepsTheNamePlate)
{
    Item(2002, "", 2);
    data_->AddItem(2001, 1);
    data_->AddItem(2002, 1);
    ASSERT_NE(Screen(), nullptr);
    Keys({Button::Down, Button::A});
    ASSERT_TRUE(TMenuProbe::IsInList(*screen_));
    ASSERT_EQ(TMenuProbe::List(*screen_).size(), 2u);
    ASSERT_EQ(TMenuProbe::List(*screen_)[1]->Id, 2002u);
    const std::vector<std::pair<int, std::string>> charm{{48, "charm"}, {136, "ABP:   0pts"}};
    EXPECT_TRUE(Shows(TMenuProbe::Name(*screen_), charm));
    Keys({Button::Down});
    EXPECT_TRUE(Shows(TMenuProbe::Name(*screen_), charm));
    Keys({Button::A});
    ASSERT_EQ(Player()->GetEquipItemId('A'), 2002u);
    EXPECT_TRUE(Shows(TMenuProbe::Name(*screen_), charm));
    Leave();
}

// The panel while a list opens and after it has closed: frame, bars, digits, the slots' bars,
// icons and marks, and the other slots' texts.
TEST_F(EquipScreen, ThePanelDimsWhileAListIsOpen)
{
    data_->AddItem(2001, 1);
    ASSERT_NE(Screen(), nullptr);
    TStatusPanel* panel = field_->GetStatusPanel();
    Keys({Button::Down, Button::A});
    ASSERT_TRUE(TMenuProbe::IsInList(*screen_));
    const DWORD grey7 = 0xFFB2B2B2, grey4 = 0xFF656565;  // 0.7 and 0.4 as stepped in float
    const struct {
        const char* what;
        DWORD open, closed;
        const TSprite* sprite;
    } parts[] = {
        {"frame", grey7, 0xFFFFFFFF, &panel->GetFrame()},
        {"HP bar", grey4, 0xFFFFFFFF, &panel->GetBar(TStatusPanel::kHp)},
        {"load bar", grey4, 0xFFFFFFFF, &panel->GetBar(TStatusPanel::kLoad)},
        {"level tens", grey7, 0xFFE5E5E5, &panel->GetLevelDigit(0)},
        {"percent sign", grey7, 0xFFE5E5E5, &panel->GetPercentSign()},
        {"weapon ABP bar", grey4, 0xFFFFFFFF, &panel->GetBar(TStatusPanel::kWeapon)},
        {"accessory A ABP bar", 0xFFFFFFFF, 0xFFFFFFFF, &panel->GetBar(TStatusPanel::kAccessoryA)},
        {"accessory B ABP bar", grey4, 0xFFFFFFFF, &panel->GetBar(TStatusPanel::kAccessoryB)},
        {"weapon icon", grey7, 0xFFFFFFFF, &panel->GetIcon(0)},
        {"accessory A icon", 0xFFFFFFFF, 0xFFFFFFFF, &panel->GetIcon(1)},
        {"accessory B mark", grey7, 0xFFFFFFFF, &panel->GetFullMark(2)},
        {"weapon text", grey4, 0xFFFFFFFF, &TMenuProbe::AbpText(*screen_, 0)},
        {"accessory A text", 0xFFFFFFFF, 0xFFFFFFFF, &TMenuProbe::AbpText(*screen_, 1)},
        {"accessory B text", grey4, 0xFFFFFFFF, &TMenuProbe::AbpText(*screen_, 2)},
    };
    for (const auto& p : parts) {
        EXPECT_EQ(p.sprite->GetVertex(0).diffuse, p.open) << p.what;
    }
    Key(Button::B);
    ASSERT_TRUE(TMenuProbe::IsChoosingSlot(*screen_));
    for (const auto& p : parts) {
        EXPECT_EQ(p.sprite->GetVertex(2).diffuse, p.closed) << p.what;
    }
    // On the step of an equipping the panel's colours are reset and dimmed again as the list stands.
    Key(Button::A);
    driver_.Press(Button::A);
    ASSERT_EQ(Player()->GetEquipItemId('A'), 2001u);
    for (const auto& p : parts) {
        EXPECT_EQ(p.sprite->GetVertex(1).diffuse, p.open) << p.what;
    }
    Leave();
}

// The ring screen's "tName" is 128 wide; the plate's own is 256 and holds a long name with its
// points whole.
TEST_F(EquipScreen, AfterTheRingScreenThePlateShowsALongNameWhole)
{
    Weapon(1000, "ABCDEFGHIJKLMNOP", 0);
    *record_->WeponAbp(1000) = 7;
    TMenuTopLoop* menu = MenuReady();
    ASSERT_NE(menu, nullptr);
    auto* ring = new TItemRingLoop(driver_.App(), menu);
    driver_.App()->PushScene(ring);
    driver_.Steps(10);
    EXPECT_EQ(TDxProbe::TextWidth(TMenuProbe::Name(*ring)), 128u);
    driver_.Press(Button::B);
    ASSERT_TRUE(StepUntilCurrent(menu));
    screen_ = new TEquipLoop(driver_.App(), menu);
    driver_.App()->PushScene(screen_);
    driver_.Steps(10);
    EXPECT_EQ(TDxProbe::TextWidth(TMenuProbe::Name(*screen_)), 256u);
    EXPECT_TRUE(Shows(TMenuProbe::Name(*screen_), {{0, "ABCDEFGHIJKLMNOP"}, {136, "ABP:   7pts"}}));
}

}  // namespace
}  // namespace menutest
