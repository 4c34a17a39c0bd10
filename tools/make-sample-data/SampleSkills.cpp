// The common skills of the sample folder: the spells every hero may set in a gauge slot (ids 100 to
// 159, six kinds of ten, of which the last three of each ten only play their motion), the six
// charms that teach them from ability points, lying on the battle map beside the arrival, the timed
// blessings the healing spells grant, and the attack records their strikes use. Of the motion-only
// ids the folder holds one: the light charm's prayer dance, learned after its seven spells.
// Besides them, the strikes of the party's first weapon skills, played in the shared basic rows.
#include <cstdio>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "SampleData.h"

namespace sample {

namespace {

struct CommonSkill {
    std::uint32_t id;
    const char* name;
    const char* text;
};

// Seven spells of each kind, in id order.
const CommonSkill kSkills[] = {
    {100, "火の粉", "小さな火の玉を放つ"},     {101, "連なる火", "火の玉を続けて放つ"},
    {102, "炎の道", "前へ炎を走らせる"},       {103, "火球", "大きな火の玉を放つ"},
    {104, "火の雨", "火の石を降らせる"},       {105, "流星", "空から火の石を落とす"},
    {106, "紅蓮", "燃える玉を撃ち出す"},       {110, "氷の刃", "目の前に氷を立てる"},
    {111, "双つ氷", "左右に氷を立てる"},       {112, "霜柱", "足もとを凍らせる"},
    {113, "氷の輪", "まわりを凍らせる"},       {114, "氷の扇", "左右へ氷を広げる"},
    {115, "氷の矢", "近くの敵へ氷を走らせる"}, {116, "凍てつく風", "大きく凍らせる"},
    {120, "風の刃", "風の刃を飛ばす"},         {121, "疾風", "風の刃を次々に飛ばす"},
    {122, "旋風", "緑の風を撃ち出す"},         {123, "突風", "前に風を起こす"},
    {124, "竜巻", "前に竜巻を起こす"},         {125, "大竜巻", "足もとに竜巻を起こす"},
    {126, "嵐", "嵐を呼ぶ"},                   {130, "石つぶて", "石を三つ投げる"},
    {131, "岩弾", "岩を投げつける"},           {132, "追う石", "敵を追う石を投げる"},
    {133, "回る岩", "身のまわりに岩を回す"},   {134, "大地の牙", "地から牙を立てる"},
    {135, "牙の列", "前へ牙を並べる"},         {136, "岩の守り", "岩をまとう"},
    {140, "癒し", "体力を少し回復する"},       {141, "いたわり", "体力を回復する"},
    {142, "大いなる癒し", "体力を大きく回復する"}, {143, "清め", "状態を治し回復する"},
    {144, "祈り", "回復し守りを高める"},       {145, "祝福", "力を高め回復する"},
    {146, "聖なる光", "清めの光で回復する"},   {150, "闇の玉", "闇の玉を放つ"},
    {151, "闇の渦", "闇を渦巻かせる"},         {152, "闇の道", "前へ闇を走らせる"},
    {153, "闇の星", "闇の星を放つ"},           {154, "雷の列", "前へ雷を落とす"},
    {155, "雷雨", "まわりに雷を落とす"},       {156, "闇の星々", "闇の星を散らす"},
};

// The light charm's eighth skill: it only plays the spell motion (the hand guard's blesses).
constexpr std::uint32_t kPrayerDance = 147;
const CommonSkill kPrayer = {kPrayerDance, "祈りの舞", "祈りを捧げて舞う"};
constexpr std::uint32_t kLightCharm = 4;

// A common skill is of type 1 (tapped and held forms), its icon one of the six spell icons by kind.
constexpr std::uint8_t kCommonType = 1;
constexpr std::uint8_t kFirstSpellIcon = 5;

struct Charm {
    std::uint32_t id;
    const char* name;
    const char* text;
};

// Charm k teaches the spells 100 + 10k .. 106 + 10k, one each hundred points; the light charm the
// prayer dance after them, at 800.
const Charm kCharms[] = {
    {2100, "炎の護符", "火の術が身につく"}, {2101, "氷の護符", "氷の術が身につく"},
    {2102, "風の護符", "風の術が身につく"}, {2103, "土の護符", "土の術が身につく"},
    {2104, "光の護符", "癒しの術が身につく"}, {2105, "闇の護符", "闇の術が身につく"},
};

static_assert(std::size(kCharms) == CharmLayout::kCharmCount);
constexpr std::uint32_t kSpellsPerKind = 7;

std::string Numbered(const char* prefix, std::uint32_t n)
{
    char text[32];
    std::snprintf(text, sizeof text, "%s%03u", prefix, static_cast<unsigned>(n));
    return text;
}

void AddEntries(Catalogue& c, const char* package, const std::vector<std::string>& names)
{
    for (TexturePackage& p : c.textures) {
        if (p.file == package) {
            p.entries.insert(p.entries.end(), names.begin(), names.end());
        }
    }
}

// The timed blessings of the healing spells: 1000/1001 the prayer's (guard), 1002/1003 the
// blessing's (strength and mind), the held forms stronger and longer.
TItemMeanRecord Blessing(std::uint32_t id, std::int32_t str, std::int32_t vit, std::int32_t intel, std::int32_t men,
                         std::int32_t ticks)
{
    TItemMeanRecord r;
    r.Id = id;
    r.Bonus[0] = str;
    r.Bonus[1] = vit;
    r.Bonus[2] = intel;
    r.Bonus[3] = men;
    r.Duration = ticks;
    return r;
}

// A spell's strike at a point: a short sphere that does twice the caster's INT. Element by kind.
TAttackRecord Strike(std::uint32_t id, std::uint32_t element, float radius, std::uint32_t frames)
{
    TAttackRecord r;
    r.Id = id;
    r.Kind = 0;
    r.Lifetime = frames;
    r.Radius = radius;
    r.Flags = 1 | 256;
    r.Element = element;
    r.Interval = 10;
    return r;
}

void AddStrikes(Catalogue& c)
{
    struct Row {
        std::uint32_t id;
        std::uint32_t element;
        float radius;
        std::uint32_t frames;
    };
    // Tapped forms hit with the 2000s, held forms with the 3000s: fire 20xx, ice 21xx, wind 22xx,
    // earth 23xx, dark 25xx; the held ones a little wider.
    static const Row kRows[] = {
        {2000, 1, 0.8F, 4},  {3000, 1, 1.0F, 4},  {2001, 1, 1.0F, 6},  {3001, 1, 1.2F, 6},  {2002, 1, 1.0F, 4},
        {3002, 1, 1.2F, 4},  {2100, 2, 1.0F, 6},  {3100, 2, 1.2F, 6},  {2101, 2, 0.8F, 4},  {3101, 2, 1.0F, 4},
        {2102, 2, 1.0F, 6},  {3102, 2, 1.2F, 6},  {2103, 2, 0.8F, 4},  {3103, 2, 1.0F, 4},  {2104, 2, 1.5F, 6},
        {3104, 2, 2.0F, 6},  {2105, 2, 1.8F, 6},  {3105, 2, 2.2F, 6},  {2108, 2, 1.2F, 6},  {3108, 2, 1.4F, 6},
        {2109, 2, 1.0F, 4},  {3109, 2, 1.2F, 4},  {2110, 2, 1.2F, 6},  {3110, 2, 1.4F, 6},  {2111, 2, 0.8F, 4},
        {3111, 2, 1.0F, 4},  {2200, 3, 0.8F, 4},  {3200, 3, 1.0F, 4},  {2202, 3, 1.0F, 4},  {3202, 3, 1.2F, 4},
        {2203, 3, 1.2F, 8},  {3203, 3, 1.5F, 8},  {2205, 3, 1.5F, 10}, {3205, 3, 1.8F, 10}, {2206, 3, 1.8F, 10},
        {3206, 3, 2.2F, 10}, {2300, 4, 0.8F, 4},  {2301, 4, 1.0F, 4},  {3301, 4, 1.2F, 4},  {2302, 4, 0.8F, 4},
        {3302, 4, 1.0F, 4},  {2303, 4, 1.0F, 4},  {3303, 4, 1.2F, 4},  {2304, 4, 1.2F, 8},  {2305, 4, 1.0F, 4},
        {3304, 4, 1.4F, 8},  {3305, 4, 1.2F, 4},  {2500, 6, 0.8F, 4},  {3500, 6, 1.0F, 4},  {2501, 6, 1.5F, 6},
        {3501, 6, 2.0F, 6},  {2502, 6, 1.0F, 6},  {3502, 6, 1.2F, 6},  {2503, 6, 0.8F, 4},  {3503, 6, 1.0F, 4},
        {2504, 6, 1.0F, 4},  {3504, 6, 1.2F, 4},  {2506, 6, 1.2F, 8},
    };
    // Some strikes land with a code that makes the caster's own follow-up (a returning orb, a
    // burst, a blow at the weapon, a seeker, a fan): tapped forms the even code, held the odd.
    static const std::pair<std::uint32_t, std::int32_t> kLandings[] = {
        {2000, 1000}, {3000, 1001}, {2001, 1002}, {3001, 1003}, {2002, 1004}, {3002, 1005}, {2100, 1006},
        {3100, 1007}, {2101, 1008}, {3101, 1009}, {2102, 1010}, {3102, 1011}, {2103, 1012}, {3103, 1013},
        {2104, 1014}, {3104, 1015}, {2105, 1016}, {3105, 1017}, {2202, 1020}, {3202, 1021}, {2203, 1022},
        {3203, 1023}};
    for (const Row& row : kRows) {
        TAttackRecord strike = Strike(row.id, row.element, row.radius, row.frames);
        for (const auto& [id, code] : kLandings) {
            strike.Param8 = id == row.id ? code : strike.Param8;
        }
        AddAttack(c, strike);
    }
    // The follow-ups' own strikes: the blows at the weapon and the seekers'.
    for (std::uint32_t id : {2003u, 3003u, 3505u}) {
        AddAttack(c, Strike(id, 0, 1.0F, 4));
    }
    // The falling rock's landing is struck by weapon skills too: a plain record. The thunder's
    // strike (3506) is the partner's weapon skills' record.
    TAttackRecord rock;
    rock.Id = 5003;
    AddAttack(c, rock);
}

// The sweep reaches wide and close, the thrust narrow and far, each as hard as a plain swing; held,
// each a little further and harder.
TAttackRecord BasicStrike(std::uint16_t id, float ahead, float radius, float factor)
{
    TAttackRecord r;
    r.Id = id;
    r.Offset[1] = 1.0F;  // chest high, in front (a character faces its own -z)
    r.Offset[2] = -ahead;
    r.Lifetime = 6;
    r.Radius = radius;
    r.DamageFactor = factor;
    return r;
}

const TAttackRecord kBasicStrikes[] = {
    BasicStrike(1110, 0.7F, 1.1F, 1.25F),
    BasicStrike(1111, 0.8F, 1.3F, 1.5F),
    BasicStrike(1112, 1.2F, 0.7F, 1.25F),
    BasicStrike(1113, 1.4F, 0.8F, 1.5F),
};

}  // namespace

const std::vector<BasicSkillStrike>& BasicSkillStrikes()
{
    // The sword's class model is the hero's and, lighter, the partner's; the spear's is hers.
    static const std::vector<BasicSkillStrike> strikes = {
        {"hero01", 22, 1110},    {"hero01", 24, 1111},    {"heroine01", 22, 1110},
        {"heroine01", 24, 1111}, {"heroine03", 25, 1112}, {"heroine03", 27, 1113},
    };
    return strikes;
}

void AddSkillContent(Catalogue& c)
{
    std::vector<std::string> infos;
    std::vector<CommonSkill> skills(std::begin(kSkills), std::end(kSkills));
    skills.push_back(kPrayer);
    for (const CommonSkill& s : skills) {
        TSkillRecord r;
        r.Id = s.id;
        r.Name = s.name;
        r.Type = kCommonType;
        r.SubKind = static_cast<std::uint8_t>(kFirstSpellIcon + (s.id - 100) / 10);
        r.InfoName = Numbered("skill", s.id);
        r.Text1 = s.text;
        c.skills.push_back(r);
        infos.push_back(r.InfoName);
    }
    AddEntries(c, "skillinfo.ptx", infos);

    std::vector<std::string> icons;
    std::vector<std::string> pictures;
    for (std::size_t k = 0; k < std::size(kCharms); ++k) {
        const Charm& charm = kCharms[k];
        TAccessoryRecord a;
        a.Id = charm.id;
        a.Name = charm.name;
        a.PhysicalDefence = 1;
        a.MagicDefence = 3;
        for (std::uint32_t i = 0; i < kSpellsPerKind; ++i) {
            a.Skill[i] = 100 + 10 * static_cast<std::uint32_t>(k) + i;
        }
        if (k == kLightCharm) {
            a.Skill[kSpellsPerKind] = kPrayerDance;
        }
        c.accessories.push_back(a);
        TItemRecord item;
        item.Id = charm.id;
        item.Name = charm.name;
        item.Kind = 2;
        item.BuyPrice = 600;
        item.SellPrice = 300;
        item.InfoName = Numbered("info", charm.id);
        item.IconName = Numbered("icon", charm.id);
        item.Text1 = charm.text;
        c.items.push_back(item);
        icons.push_back(item.IconName);
        pictures.push_back(item.InfoName);
    }
    AddEntries(c, "itemicon.ptx", icons);
    AddEntries(c, "iteminfo.ptx", pictures);

    c.itemMeans.push_back(Blessing(1000, 0, 10, 0, 0, 600));
    c.itemMeans.push_back(Blessing(1001, 0, 20, 0, 20, 900));
    c.itemMeans.push_back(Blessing(1002, 10, 0, 10, 0, 600));
    c.itemMeans.push_back(Blessing(1003, 20, 10, 20, 10, 900));
    AddStrikes(c);
    for (const TAttackRecord& strike : kBasicStrikes) {
        AddAttack(c, strike);
    }
}

void AddSkillPickups(qmtest::FieldMap& battle)
{
    for (std::size_t k = 0; k < std::size(kCharms); ++k) {
        const auto n = static_cast<std::uint32_t>(k);
        battle.items.push_back({kCharms[k].id, CharmLayout::kFirstFlag + n, 0, CharmLayout::Pickup(n)});
    }
}

}  // namespace sample
