// What the screens show of an item or skill: icons, pictures and description lines.
#include <cstdio>

#include "MainCode/GameData/TAccessoryTable.h"
#include "MainCode/GameData/TItemTable.h"
#include "MainCode/GameData/TSkillTable.h"
#include "MainCode/GameData/TTextFormat.h"
#include "MainCode/GameData/TWeponTable.h"
#include "TUtility/TFontHolder.h"
#include "dx/dx8/3d/TSprite.h"
#include "dx/dx8/3d/TText8.h"

namespace {

// Element 0..6 of a weapon; the accessory defences are elements 1..6.
const char* const kElementNames[7] = {"無", "火", "水", "風", "土", "光", "闇"};

// Points at which entry k of an item's skill list is learned.
const char* const kPointMarks[10] = {" 100", " 200", " 300", " 400", " 500", " 600", " 700", " 800", " 900", "1000"};

struct IconSet {
    const char* prefix;
    std::uint32_t count;
};

// Skill icons by index, in order.
constexpr IconSet kIconSets[5] = {{"act", 5}, {"mag", 6}, {"pow", 11}, {"bon", 3}, {"atk", 13}};

// MP costs of skills 100..159 by their place r = 0..6 after the tens; skills 140..149 cost more.
constexpr std::uint32_t kWeakCost[7] = {12, 20, 35, 50, 75, 95, 65};
constexpr std::uint32_t kStrongCost[7] = {22, 37, 65, 90, 140, 175, 125};
constexpr std::uint32_t kWeakCost14x[7] = {25, 40, 70, 100, 150, 190, 130};
constexpr std::uint32_t kStrongCost14x[7] = {45, 75, 130, 180, 280, 350, 250};

constexpr std::int32_t kCostX = 180;
constexpr std::int32_t kPointsX = 140;

constexpr D3DPOOL kSpritePool = D3DPOOL_MANAGED;

const char* ElementName(std::uint32_t element)
{
    return element < std::size(kElementNames) ? kElementNames[element] : "";
}

// "diz" and "zav" each have their own weapon types.
const char* OwnerOfWeaponType(std::int32_t type)
{
    switch (type) {
    case 5:
    case 6:
    case 7:
    case 8:
    case 10:
        return "diz専用";
    case 3:
    case 4:
    case 9:
    case 11:
        return "zav専用";
    default:
        return nullptr;
    }
}

std::string ElementDefenceText(const float (&defence)[6])
{
    std::vector<const char*> names;
    for (std::uint32_t e = 0; e < 6; ++e) {
        if (defence[e] > 0.0f) {
            names.push_back(kElementNames[e + 1]);
        }
    }
    switch (names.size()) {
    case 0:
        return "なし";
    case 6:
        return "全属性";
    case 2:
        return FormatLine("%s - %s", names[0], names[1]);
    default:
        return names[0];
    }
}

// Skills 100..159 have an MP cost line; past the table's seven places there is none.
void AddMpCost(std::uint32_t id, std::vector<TInfoLine>& lines)
{
    if (id < 100 || id > 159) {
        return;
    }
    const std::uint32_t place = id % 10;
    if (place >= std::size(kWeakCost)) {
        return;
    }
    const bool dear = id >= 140 && id <= 149;
    const unsigned long weak = (dear ? kWeakCost14x : kWeakCost)[place];
    const unsigned long strong = (dear ? kStrongCost14x : kStrongCost)[place];
    lines.push_back({0, kCostX, FormatLine("消費MP 弱：%3lu 強：%3lu", weak, strong)});
}

void AddAbilityPointLines(const std::uint32_t (&skills)[10], std::vector<TInfoLine>& lines)
{
    std::uint32_t made = 0;
    for (std::uint32_t k = 0; k < 10; ++k) {
        if (skills[k] != 0) {
            const std::string& name = TSkillTable::Get(skills[k]).Name;
            lines.push_back({made++, kPointsX, FormatLine("%spts：%s", kPointMarks[k], name.c_str())});
        }
    }
}

void AddRecordLines(const std::string& text1, const std::string& text2, const std::string& text3,
                    std::vector<TInfoLine>& lines)
{
    lines.push_back({0, 0, CutCp932(text1, kMaxLineBytes)});
    lines.push_back({1, 0, CutCp932(text2, kMaxLineBytes)});
    lines.push_back({2, 0, CutCp932(text3, kMaxLineBytes)});
}

}  // namespace

void TItemTable::CreateIconSprite(TSprite& out, std::uint32_t itemId)
{
    out = TSprite::FromFile("itemicon.ptx/" + Get(itemId).IconName, kSpritePool, 0);
}

void TItemTable::CreateInfoSprite(TSprite& out, std::uint32_t itemId)
{
    out = TSprite::FromFile("iteminfo.ptx/" + Get(itemId).InfoName, kSpritePool, 0);
}

void TSkillTable::CreateInfoSprite(TSprite& out, std::uint32_t skillId)
{
    out = TSprite::FromFile("skillinfo.ptx/" + Get(skillId).InfoName, kSpritePool, 0);
}

std::string TSkillTable::GetIconName(std::uint32_t iconIndex)
{
    for (const IconSet& set : kIconSets) {
        if (iconIndex < set.count) {
            char name[16];
            std::snprintf(name, sizeof name, "%s%02u_skl", set.prefix, static_cast<unsigned>(iconIndex));
            return name;
        }
        iconIndex -= set.count;
    }
    return std::string();
}

void TSkillTable::CreateIconSprite(TSprite& out, std::uint8_t iconIndex)
{
    const std::string name = GetIconName(iconIndex);
    out = name.empty() ? TSprite() : TSprite::FromFile("skl_icon.ptx/" + name, kSpritePool, 0);
}

std::vector<TInfoLine> TItemTable::MakeInfoLines(std::uint32_t id, bool isSkill)
{
    std::vector<TInfoLine> lines;
    if (isSkill) {
        const TSkillRecord& skill = TSkillTable::Get(id);
        AddRecordLines(skill.Text1, skill.Text2, skill.Text3, lines);
        AddMpCost(id, lines);
    } else if (id < 1000) {
        const TItemRecord& item = Get(id);
        AddRecordLines(item.Text1, item.Text2, item.Text3, lines);
    } else if (id < 2000) {
        const TWeponRecord& wepon = TWeponTable::Get(id);
        lines.push_back({0, 0, FormatLine("攻撃力：+%lu", static_cast<unsigned long>(wepon.Attack))});
        lines.push_back({1, 0, FormatLine("　属性：%s", ElementName(wepon.Element))});
        if (const char* owner = OwnerOfWeaponType(wepon.Type)) {
            lines.push_back({2, 0, owner});
        }
        AddAbilityPointLines(wepon.Skill, lines);
    } else if (id < 3000) {
        const TAccessoryRecord& accessory = TAccessoryTable::Get(id);
        lines.push_back({0, 0, FormatLine("物理防御：+%ld", static_cast<long>(accessory.PhysicalDefence))});
        lines.push_back({1, 0, FormatLine("魔法防御：+%ld", static_cast<long>(accessory.MagicDefence))});
        lines.push_back({2, 0, FormatLine("属性防御：%s", ElementDefenceText(accessory.ElementDefence).c_str())});
        AddAbilityPointLines(accessory.Skill, lines);
    }
    return lines;
}

void TItemTable::FormatInfo(std::span<TText8* const> texts, std::uint32_t id, bool isSkill)
{
    TFontHolder font(0, 16, "ＭＳ ゴシック", 400, 2, 0, 0, 0);
    std::vector<bool> drawn(texts.size(), false);
    for (std::size_t i = 0; i < texts.size() && i < 3; ++i) {
        if (texts[i] != nullptr) {
            texts[i]->Clear(false);
            drawn[i] = true;
        }
    }
    for (const TInfoLine& line : MakeInfoLines(id, isSkill)) {
        if (line.text < texts.size() && texts[line.text] != nullptr) {
            texts[line.text]->DrawText(line.x, 0, line.line, &font, false);
            drawn[line.text] = true;
        }
    }
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (drawn[i]) {
            texts[i]->Upload();
        }
    }
}
