// The skill window over the pause menu, on the field's own gauge: the selection it opens and closes
// with, the skills offered for a slot by the held weapon, setting and taking out skills with the
// character's slots and the gauge's icons after each, the remove entry, an empty list, a long list
// paged, the gauge stepped by a held "LEFT", and its picture with the list open.
#include "MainCode/GameData/TCharacterRecord.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TSkillTable.h"
#include "MainCode/Hud/TSkillGauge.h"
#include "MainCode/Menu/TSkillLoop.h"
#include "Menu/sub_screen_fixture.h"
#include "formats/game_table_writer.h"
#include "formats/player_model_writer.h"
#include "formats/ptx_writer.h"
#include "support/dx_probe.h"
#include "support/menu_probe.h"

namespace menutest {
namespace {

// The gauge slides in over 10 steps; the 10th hands the input to the gauge. The list comes down in
// 10 more.
constexpr int kOpenSteps = 10;
constexpr int kListSteps = 10;

TSkillRecord Skill(std::uint32_t id, std::uint8_t type, std::uint8_t icon)
{
    TSkillRecord r;
    r.Id = id;
    r.Name = "技" + std::to_string(id);
    r.Type = type;
    r.SubKind = icon;
    r.InfoName = "skill" + std::to_string(id);
    r.Text1 = "説明";
    return r;
}

class SkillWindowTest : public SubScreenTest {
protected:
    void SetUp() override
    {
        Start(qmtest::DefaultFieldMaps(), [] {
            // Sword skills (type 4), spear skills (7), skills of no weapon (3, 16), one of the last
            // weapon type (15), and ten general ones for a long list.
            std::vector<TSkillRecord> skills = {Skill(1, 4, 1), Skill(2, 7, 2), Skill(3, 3, 3), Skill(4, 15, 4),
                                                Skill(5, 16, 5), Skill(6, 4, 6), Skill(7, 4, 7)};
            for (std::uint32_t id = 20; id < 30; ++id) {
                skills.push_back(Skill(id, 0, static_cast<std::uint8_t>(id - 10)));
            }
            qmtest::SaveBytes("data/tbl04/skill.tbl", qmtest::BuildGameTable(skills));
            std::vector<qmtest::PtxImage> pictures;
            for (const TSkillRecord& skill : skills) {
                const auto shade = static_cast<std::uint8_t>(40 + 8 * skill.Id);
                pictures.push_back(qmtest::PtxImage::Filled(skill.InfoName, 0, 64, 64, {shade, 90, 160}));
            }
            qmtest::SaveBytes("data/ptx04/skillinfo.ptx", qmtest::BuildPtx(pictures));
            // The partner's look with the spear.
            qmtest::WritePlayerModel("data/msh04", "data/chrdata04", "heroine03", qmtest::FieldLayout::kWalkStep);
        });
        ASSERT_NE(Field(), nullptr);
    }
    static TGameData* Data() { return TGameData::GetInstance(); }
    // The character's learned skills and slots, as a case gives them.
    static void Give(std::uint32_t character, const std::vector<std::uint32_t>& learned,
                     const std::array<std::uint32_t, 5>& slots)
    {
        TCharacterRecord* record = Data()->GetCharacterData(character);
        record->LearnedSkills.clear();
        for (std::uint32_t s = 0; s < 5; ++s) {
            record->SkillSlot[s] = 0;
        }
        for (std::uint32_t id : learned) {
            Data()->LearnSkill(character, id);
        }
        for (std::uint32_t s = 0; s < 5; ++s) {
            if (slots[s] != 0) {
                record->SkillSlot[s] = slots[s];
            }
        }
    }
    static std::array<std::uint32_t, 5> Slots(std::uint32_t character)
    {
        std::array<std::uint32_t, 5> slots{};
        for (std::uint32_t s = 0; s < 5; ++s) {
            slots[s] = Data()->GetSkillSlot(character, s);
        }
        return slots;
    }
    // The played character: the hero with the sword, or the partner holding the spear.
    std::uint32_t Play(std::uint32_t weapon)
    {
        const std::uint32_t character = weapon == 1000 ? 0 : 1;
        Data()->GetCharacterData(1)->WeaponId = 1001;
        EXPECT_TRUE(field_->ChangePlayer(character));
        return character;
    }
    TSkillGauge* Gauge() const { return field_->GetSkillGauge(); }
    static std::string IconOf(const TSprite& icon) { return TDxProbe::Image(icon).GetName(); }
    TSkillLoop* Window()
    {
        TSkillLoop* skills = OpenItem<TSkillLoop>(TMenuTopLoop::kSkillItem);
        if (skills != nullptr) {
            driver_.Steps(kOpenSteps);
        }
        return skills;
    }
    // "A" on the slot (after moving right that many slots), the list in.
    void OpenList(std::int32_t slot)
    {
        for (std::int32_t i = 0; i < slot; ++i) {
            Tap(Button::Right);
        }
        driver_.Press(Button::A);
        driver_.Steps(kListSteps);
    }
    // The window and the menu closed: back on the field.
    void CloseAll(TSkillLoop* skills)
    {
        qmtest::SceneDriver::ReleaseAll();
        for (int i = 0; i < 40 && driver_.Current() == skills; ++i) {
            Tap(Button::B);
        }
        ASSERT_EQ(driver_.Current(), menu_);
        driver_.Steps(kMenuCloseSteps);
        driver_.Press(Button::B);
        ASSERT_TRUE(StepUntilCurrent(field_));
    }
};

// The window opens on slot 0 whatever the field had, and gives the field its selection and the
// gauge its colours back when it closes.
TEST_F(SkillWindowTest, OpensOnSlotZeroAndGivesTheFieldItsSelectionAndColoursBack)
{
    Give(0, {1}, {0, 6, 0, 0, 0});
    for (std::int32_t fieldSelection : {0, 3, 4}) {
        SCOPED_TRACE(fieldSelection);
        Gauge()->SetSelection(fieldSelection);
        TSkillLoop* skills = OpenItem<TSkillLoop>(TMenuTopLoop::kSkillItem);
        ASSERT_NE(skills, nullptr);
        EXPECT_EQ(Gauge()->GetSelection(), 0);
        EXPECT_EQ(TMenuProbe::SavedSelection(*skills), fieldSelection);
        driver_.Steps(kOpenSteps - 1);
        EXPECT_STREQ(TMenuProbe::StateName(*skills), "Open");
        driver_.Step();
        EXPECT_STREQ(TMenuProbe::StateName(*skills), "SelectSlot");
        OpenList(1);
        EXPECT_EQ(Gauge()->GetSlotBackgrounds()[0].GetVertex(0).diffuse, 0xFFB2B2B2u) << "dimmed to 0.7";
        Tap(Button::B);
        driver_.Steps(kListSteps);
        Tap(Button::B);
        driver_.Steps(kOpenSteps - 2);
        EXPECT_EQ(driver_.Current(), skills);
        driver_.Step();
        EXPECT_EQ(driver_.Current(), menu_) << "the step that finds the gauge out ends the window";
        EXPECT_EQ(Gauge()->GetSelection(), fieldSelection);
        for (std::int32_t slot = 0; slot < TSkillGauge::kSlots; ++slot) {
            EXPECT_EQ(Gauge()->GetSlotBackgrounds()[slot].GetVertex(0).diffuse, 0xFFFFFFFFu) << slot;
            EXPECT_EQ(Gauge()->GetSlotIcons()[slot].GetVertex(3).diffuse, 0xFFFFFFFFu) << slot;
        }
        driver_.Steps(kMenuCloseSteps);
        driver_.Press(Button::B);
        ASSERT_TRUE(StepUntilCurrent(field_));
    }
}

// The list of a slot: learned skills not in a slot that fit the held weapon, by id; a filled slot
// puts the remove entry in front.
TEST_F(SkillWindowTest, TheListOffersWhatFitsTheHeldWeapon)
{
    const struct {
        const char* name;
        std::uint32_t weapon;  // 1000 the sword (type 0), 1001 the spear (type 3)
        std::vector<std::uint32_t> learned;
        std::array<std::uint32_t, 5> slots;
        std::int32_t slot;  // the list opened for
        std::vector<std::uint32_t> list;
        const char* state;
    } cases[] = {
        {"sword: its own type and the general types", 1000, {5, 4, 3, 2, 1}, {}, 0, {1, 3, 5}, "SelectSkill"},
        {"spear: type 7, not 4", 1001, {1, 2, 3, 4, 5}, {}, 0, {2, 3, 5}, "SelectSkill"},
        {"set skills are never offered", 1000, {1, 3, 20}, {0, 6, 7, 0, 0}, 0, {1, 3, 20}, "SelectSkill"},
        {"a filled slot: the remove entry first", 1000, {1, 3}, {0, 6, 0, 0, 0}, 1, {0, 1, 3}, "SelectSkill"},
        {"a filled slot and nothing learned", 1000, {}, {7, 0, 0, 0, 0}, 0, {0}, "SelectSkill"},
        {"nothing to offer an empty slot", 1000, {2, 4}, {}, 2, {}, "Empty"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::uint32_t character = Play(c.weapon);
        Give(character, c.learned, c.slots);
        TSkillLoop* skills = Window();
        ASSERT_NE(skills, nullptr);
        OpenList(c.slot);
        EXPECT_EQ(TMenuProbe::List(*skills), c.list);
        EXPECT_STREQ(TMenuProbe::StateName(*skills), c.state);
        CloseAll(skills);
    }
}

// "A" on an entry sets it (602) or, on the remove entry, empties the slot (606); the list comes
// back without the remove entry, the character's slots, the gauge's icon and the field's gauge
// after the menu follow.
TEST_F(SkillWindowTest, SettingAndRemovingWriteTheSlotsTheGaugeAndTheList)
{
    const struct {
        const char* name;
        std::array<std::uint32_t, 5> slots;
        std::int32_t slot;
        int downs;  // rows down in the list before "A"
        std::uint32_t sound;
        std::array<std::uint32_t, 5> slotsAfter;
        std::vector<std::uint32_t> listAfter;
    } cases[] = {
        {"into an empty slot", {0, 6, 0, 0, 0}, 0, 1, 602, {3, 6, 0, 0, 0}, {1, 20}},
        {"over another skill, which comes back", {0, 6, 0, 0, 0}, 1, 2, 602, {0, 3, 0, 0, 0}, {1, 6, 20}},
        {"the remove entry", {0, 6, 0, 0, 0}, 1, 0, 606, {0, 0, 0, 0, 0}, {1, 3, 6, 20}},
        {"the last slot", {0, 0, 0, 0, 7}, 4, 3, 602, {0, 0, 0, 0, 20}, {1, 3, 7}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Give(0, {20, 3, 1}, c.slots);
        TSkillLoop* skills = Window();
        ASSERT_NE(skills, nullptr);
        OpenList(c.slot);
        for (int i = 0; i < c.downs; ++i) {
            Tap(Button::Down);
        }
        driver_.RecordSounds(true);
        driver_.Press(Button::A);
        EXPECT_EQ(Played(), std::vector<std::uint32_t>{c.sound});
        EXPECT_EQ(Slots(0), c.slotsAfter);
        EXPECT_EQ(TMenuProbe::List(*skills), c.listAfter);
        EXPECT_STREQ(TMenuProbe::StateName(*skills), "CloseList");
        const std::uint32_t set = c.slotsAfter[static_cast<std::size_t>(c.slot)];
        EXPECT_EQ(IconOf(Gauge()->GetSlotIcons()[c.slot]),
                  set == 0 ? "" : "skl_icon.ptx/" + TSkillTable::GetIconName(TSkillTable::Get(set).SubKind));
        driver_.RecordSounds(false);
        CloseAll(skills);
        // The field's gauge shows the slots once the menu has closed.
        for (std::int32_t s = 0; s < TSkillGauge::kSlots; ++s) {
            const std::uint32_t id = c.slotsAfter[static_cast<std::size_t>(s)];
            EXPECT_EQ(IconOf(Gauge()->GetSlotIcons()[s]).empty(), id == 0) << s;
        }
    }
}

// "B" in the list of a filled slot takes the remove entry out, so an empty slot's list has none;
// "B" on an empty list closes it without a sound.
TEST_F(SkillWindowTest, CancelTakesTheRemoveEntryOutAndAnEmptyListClosesSilently)
{
    Give(0, {1}, {6, 0, 0, 0, 0});
    TSkillLoop* skills = Window();
    ASSERT_NE(skills, nullptr);
    OpenList(0);
    EXPECT_EQ(TMenuProbe::List(*skills), (std::vector<std::uint32_t>{0, 1}));
    driver_.RecordSounds(true);
    Tap(Button::B);
    EXPECT_EQ(TMenuProbe::List(*skills), std::vector<std::uint32_t>{1});
    EXPECT_EQ(Played(), std::vector<std::uint32_t>{606});
    driver_.Steps(kListSteps);
    EXPECT_STREQ(TMenuProbe::StateName(*skills), "SelectSlot");
    OpenList(1);
    EXPECT_EQ(TMenuProbe::List(*skills), std::vector<std::uint32_t>{1});
    Tap(Button::B);
    driver_.Steps(kListSteps);
    Give(0, {}, {6, 0, 0, 0, 0});
    skills = nullptr;
    CloseAll(driver_.Current() == menu_ ? nullptr : dynamic_cast<TSkillLoop*>(driver_.Current()));
    skills = Window();
    ASSERT_NE(skills, nullptr);
    OpenList(2);
    EXPECT_STREQ(TMenuProbe::StateName(*skills), "Empty");
    driver_.RecordSounds(true);
    Tap(Button::A);
    EXPECT_STREQ(TMenuProbe::StateName(*skills), "Empty") << "nothing to choose";
    Tap(Button::B);
    EXPECT_STREQ(TMenuProbe::StateName(*skills), "CloseList");
    EXPECT_EQ(Played(), std::vector<std::uint32_t>{});
    driver_.RecordSounds(false);
    CloseAll(skills);
}

// A list longer than the window: the cursor and the page move by the shop's rules, 601 each
// move, the information following the entry under the cursor.
TEST_F(SkillWindowTest, ALongListMovesAndPagesWithoutWrapping)
{
    Give(0, {20, 21, 22, 23, 24, 25, 26, 27, 28, 29}, {0, 0, 0, 0, 0});
    TSkillLoop* skills = Window();
    ASSERT_NE(skills, nullptr);
    OpenList(0);
    ASSERT_EQ(TMenuProbe::List(*skills).size(), 10u);
    const struct {
        Button button;
        std::int32_t top, row;
        bool sound;
    } steps[] = {
        {Button::Up, 0, 0, false},   // nothing above the first
        {Button::Down, 0, 1, true},  {Button::Right, 3, 6, true},  // the page runs against the end
        {Button::Down, 3, 6, false}, {Button::Left, 0, 0, true},   {Button::Right, 3, 6, true},
        {Button::Up, 3, 5, true},
    };
    for (const auto& s : steps) {
        driver_.RecordSounds(true);
        Tap(s.button);
        EXPECT_EQ(TMenuProbe::Pager(*skills).GetTop(), s.top);
        EXPECT_EQ(TMenuProbe::Pager(*skills).GetRow(), s.row);
        EXPECT_EQ(Played(), s.sound ? std::vector<std::uint32_t>{601} : std::vector<std::uint32_t>{});
        EXPECT_EQ(TMenuProbe::InfoId(*skills), 20u + static_cast<std::uint32_t>(s.top + s.row));
        EXPECT_EQ(IconOf(TMenuProbe::RowIcon(*skills, 0)),
                  "skl_icon.ptx/" + TSkillTable::GetIconName(static_cast<std::uint32_t>(10 + s.top)));
    }
    CloseAll(skills);
}

// "LEFT" held on the gauge: a step at the press, then once every 5 steps after 10 of holding (the
// repeat counter runs on its own, so the first repeat falls between the 10th and the 14th step).
TEST_F(SkillWindowTest, LeftHeldStepsAlongTheGaugeWithTheKeyRepeat)
{
    Give(0, {}, {});
    TSkillLoop* skills = Window();
    ASSERT_NE(skills, nullptr);
    driver_.RecordSounds(true);
    qmtest::SceneDriver::Hold(Button::Left, true);
    std::vector<std::int32_t> selections;
    for (int i = 0; i < 25; ++i) {
        driver_.Step();
        selections.push_back(Gauge()->GetSelection());
    }
    qmtest::SceneDriver::ReleaseAll();
    // The first press wraps 0 to 4; after that one slot back per repeat.
    EXPECT_EQ(selections.front(), 4);
    int moves = 0;
    int firstRepeat = -1;
    for (std::size_t i = 1; i < selections.size(); ++i) {
        if (selections[i] != selections[i - 1]) {
            ++moves;
            if (firstRepeat < 0) {
                firstRepeat = static_cast<int>(i) + 1;
            }
        }
    }
    EXPECT_GE(firstRepeat, 10);
    EXPECT_LE(firstRepeat, 14);
    EXPECT_EQ(moves, (25 - firstRepeat) / 5 + 1);
    // Every step along the gauge plays the gauge's own sound, none of the menu's.
    for (const auto& s : driver_.sounds) {
        if (s.op == TSoundBankRecord::kPlay) {
            EXPECT_EQ(s.id, 601u);
        }
    }
    driver_.RecordSounds(false);
    CloseAll(skills);
}

TEST_F(SkillWindowTest, PictureWithTheListOpen)
{
    Give(0, {1, 3, 20, 21}, {0, 6, 0, 0, 0});
    TSkillLoop* skills = Window();
    ASSERT_NE(skills, nullptr);
    OpenList(1);
    Tap(Button::Down);
    EXPECT_TRUE(qmtest::MatchesGolden(driver_.Screen(), "SkillWindowListOpen"));
    CloseAll(skills);
}

}  // namespace
}  // namespace menutest
