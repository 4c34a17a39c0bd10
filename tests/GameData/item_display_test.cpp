// Description lines of items and skills, skill icons and the hero texture variants.
#include "game_data_fixture.h"

#include <cstdio>

#include "MainCode/GameData/TCharacterTexture.h"

namespace {

TSkillRecord Skill(std::uint32_t id, const std::string& name)
{
    TSkillRecord r;
    r.Id = id;
    r.Name = name;
    r.Text1 = "skill " + std::to_string(id);
    r.Text2 = "second line";
    return r;
}

class ItemDisplayTest : public gamedatatest::GameDataTest {
protected:
    void WriteTables() override
    {
        TItemRecord potion;
        potion.Id = 7;
        potion.Text1 = "傷を治す";
        potion.Text3 = "third";
        Save("item.tbl", qmtest::BuildGameTable(std::vector<TItemRecord>{potion}));
        std::vector<TSkillRecord> skills;
        for (std::uint32_t id : {99u, 100u, 102u, 106u, 107u, 136u, 140u, 143u, 146u, 150u, 156u, 159u, 160u}) {
            skills.push_back(Skill(id, "s" + std::to_string(id)));
        }
        skills.push_back(Skill(3001, "炎の剣"));
        skills.push_back(Skill(3002, "氷の剣"));
        Save("skill.tbl", qmtest::BuildGameTable(skills));

        std::vector<TWeponRecord> wepons;
        for (std::int32_t type = 0; type <= 1; ++type) {
            TWeponRecord w;
            w.Id = 1100 + static_cast<std::uint32_t>(type);
            w.Type = type;
            w.Attack = 250;
            w.Element = 6;
            wepons.push_back(w);
        }
        wepons[0].Skill[0] = 3001;
        wepons[0].Skill[3] = 3002;  // the second line made: into text 1, marked at 400 points
        wepons[0].Skill[9] = 3001;
        wepons[1].Element = 7;  // past the element names
        // 1200 + k: type k - 1 (-1..12), element k % 8.
        for (std::int32_t k = 0; k < 14; ++k) {
            TWeponRecord w;
            w.Id = 1200 + static_cast<std::uint32_t>(k);
            w.Type = k - 1;
            w.Element = static_cast<std::uint32_t>(k % 8);
            wepons.push_back(w);
        }
        Save("wepon.tbl", qmtest::BuildGameTable(wepons));
        TWeponTable::Load(dir_.File("wepon.tbl"));

        std::vector<TAccessoryRecord> accessories;
        const std::vector<std::vector<float>> defences = {{0, 0, 0, 0, 0, 0}, {1, 1, 1, 1, 1, 1}, {0, 0.5f, 0, 0, 0, 2},
                                                          {1, 0, 0, 0, 0, 1}, {0, 0, 1, 1, 1, 0}, {-1, 0, 0, 0, 0, 0}};
        for (std::uint32_t i = 0; i < defences.size(); ++i) {
            TAccessoryRecord a;
            a.Id = 2100 + i;
            a.PhysicalDefence = -5;
            a.MagicDefence = 12;
            std::copy(defences[i].begin(), defences[i].end(), a.ElementDefence);
            accessories.push_back(a);
        }
        accessories[0].Skill[1] = 3002;
        Save("accessory.tbl", qmtest::BuildGameTable(accessories));
        TAccessoryTable::Load(dir_.File("accessory.tbl"));
    }

    static std::vector<TInfoLine> Lines(std::uint32_t id, bool isSkill) { return TItemTable::MakeInfoLines(id, isSkill); }

    // The MP cost line of a skill, or "" when it has none.
    static std::string CostLine(std::uint32_t id)
    {
        for (const TInfoLine& line : Lines(id, true)) {
            if (line.x == 180) {
                EXPECT_EQ(line.text, 0u);
                return line.line;
            }
        }
        return "";
    }
};

TEST_F(ItemDisplayTest, SkillsShowTheirLinesAndMpCosts)
{
    const std::vector<TInfoLine> want = {{0, 0, "skill 102"}, {1, 0, "second line"}, {2, 0, ""},
                                         {0, 180, "消費MP 弱： 35 強： 65"}};
    EXPECT_EQ(Lines(102, true), want);
    // Skills 100..159, places 0..6 (7..9 are past the cost table); 140..149 cost more.
    const std::pair<std::uint32_t, const char*> costs[] = {
        {99, ""}, {107, ""}, {136, "消費MP 弱： 65 強：125"}, {150, "消費MP 弱： 12 強： 22"},
        {156, "消費MP 弱： 65 強：125"}, {159, ""}, {160, ""}};
    for (const auto& [id, line] : costs) {
        EXPECT_EQ(CostLine(id), line) << id;
    }
    // Both rows of the cost table whole: the sums of (place + 1) × cost over places 0..6.
    const struct {
        std::uint32_t base;
        unsigned weak, strong;
    } rows[] = {{100, 1757, 3276}, {140, 3515, 6555}};
    for (const auto& row : rows) {
        unsigned weak = 0;
        unsigned strong = 0;
        for (unsigned r = 0; r < 7; ++r) {
            unsigned w = 0;
            unsigned s = 0;
            EXPECT_EQ(std::sscanf(CostLine(row.base + r).c_str(), "消費MP 弱：%u 強：%u", &w, &s), 2) << row.base + r;
            weak += (r + 1) * w;
            strong += (r + 1) * s;
        }
        EXPECT_EQ(weak, row.weak) << row.base;
        EXPECT_EQ(strong, row.strong) << row.base;
    }
    // An item below 1000 shows its record's lines only.
    EXPECT_EQ(Lines(7, false), (std::vector<TInfoLine>{{0, 0, "傷を治す"}, {1, 0, ""}, {2, 0, "third"}}));
}

TEST_F(ItemDisplayTest, WeaponsShowAttackElementAndTheSkillsTheyTeach)
{
    const std::vector<TInfoLine> want = {{0, 0, "攻撃力：+250"},  {1, 0, "　属性：闇"},
                                         {0, 140, " 100pts：炎の剣"}, {1, 140, " 400pts：氷の剣"},
                                         {2, 140, "1000pts：炎の剣"}};
    EXPECT_EQ(Lines(1100, false), want);
    EXPECT_EQ(Lines(1101, false)[1].line, "　属性：");
}

TEST_F(ItemDisplayTest, EveryElementAndWeaponTypeHasItsLine)
{
    const char* const elements[8] = {"無", "火", "水", "風", "土", "光", "闇", ""};
    // Types -1..12: who may hold it, nothing for the shared types and those outside 0..11.
    const char* const owners[14] = {"",       "",       "",       "",       "zav専用", "zav専用", "diz専用",
                                    "diz専用", "diz専用", "diz専用", "zav専用", "diz専用", "zav専用", ""};
    for (std::uint32_t k = 0; k < 14; ++k) {
        const std::vector<TInfoLine> lines = Lines(1200 + k, false);
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[1].line, std::string("　属性：") + elements[k % 8]) << k;
        EXPECT_EQ(lines.size() == 3 ? lines[2].line : "", owners[k]) << "type " << static_cast<int>(k) - 1;
    }
}

TEST_F(ItemDisplayTest, AccessoriesShowDefencesAndTheirElements)
{
    const std::vector<TInfoLine> want = {{0, 0, "物理防御：+-5"}, {1, 0, "魔法防御：+12"}, {2, 0, "属性防御：なし"},
                                         {0, 140, " 200pts：氷の剣"}};
    EXPECT_EQ(Lines(2100, false), want);
    // Three elements: the first only.
    const char* const elements[] = {"全属性", "水 - 闇", "火 - 闇", "風", "なし"};
    for (std::uint32_t i = 0; i < 5; ++i) {
        EXPECT_EQ(Lines(2101 + i, false)[2].line, std::string("属性防御：") + elements[i]) << 2101 + i;
    }
}

TEST_F(ItemDisplayTest, IdsPickTheirTableByThousands)
{
    // 0..999 items, 1000..1999 weapons, 2000..2999 accessories, nothing from 3000.
    const std::pair<std::uint32_t, const char*> firsts[] = {
        {999, ""}, {1000, "攻撃力：+0"}, {1999, "攻撃力：+0"}, {2000, "物理防御：+0"}, {2999, "物理防御：+0"}};
    for (const auto& [id, line] : firsts) {
        EXPECT_EQ(Lines(id, false).at(0).line, line) << id;
    }
    EXPECT_EQ(Lines(999, false).size(), 3u);
    EXPECT_TRUE(Lines(3000, false).empty());
}

TEST_F(ItemDisplayTest, LongRecordLinesAreCutOnACharacterBoundary)
{
    TSkillRecord& skill = TSkillTable::Get(102);
    skill.Text1 = std::string(1, 'a');
    for (int i = 0; i < 80; ++i) {
        skill.Text1 += "剣";
    }
    const std::string line = Lines(102, true)[0].line;
    EXPECT_EQ(line.size(), 127u);
    EXPECT_EQ(line, skill.Text1.substr(0, 127));
    TSkillTable::Get(3001).Name = std::string(300, 'n');
    EXPECT_EQ(Lines(1100, false)[2].line.size(), 127u);
}

TEST_F(ItemDisplayTest, SkillIconsEndWithTheirTable)
{
    // The first and last icon of each set.
    const std::pair<std::uint32_t, const char*> icons[] = {
        {0, "act00_skl"},  {4, "act04_skl"},  {5, "mag00_skl"},  {10, "mag05_skl"}, {11, "pow00_skl"},
        {21, "pow10_skl"}, {22, "bon00_skl"}, {24, "bon02_skl"}, {25, "atk00_skl"}, {37, "atk12_skl"},
        {38, ""},          {255, ""}};
    for (const auto& [index, name] : icons) {
        EXPECT_EQ(TSkillTable::GetIconName(index), name) << index;
    }
}

TEST_F(ItemDisplayTest, HeroAndHeroineTexturesFollowTheirFlags)
{
    const struct {
        std::uint32_t flag;
        std::uint8_t value;
        const char* from;
        const char* to;
    } cases[] = {{0x230, 0, "hero.ptx/hero01", "hero.ptx/hero"},
                 {0x230, 1, "hero.ptx/hero", "hero.ptx/hero01"},
                 {0x230, 2, "hero.ptx/hero", "hero.ptx/hero02"},
                 {0x231, 2, "heroine.ptx/heroine01", "heroine.ptx/heroine02"},
                 {0x231, 2, "enemy.ptx/slime", ""}};
    for (const auto& c : cases) {
        data_->SetFlag(c.flag, c.value);
        EXPECT_EQ(SelectCharacterTextureName(c.from), c.to) << c.from;
    }
}

}  // namespace
