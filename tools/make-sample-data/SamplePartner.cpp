// The partner's classes in the sample folder: a weapon of each type only she can hold (a second
// spear, a glaive, claws and a bow) lying behind the battle map's arrival, the first weapon skill of
// each, and her class models with every motion their action rows play. Their patterns strike in
// each swing and fire the frame events: the status and element marks and the weapon-skill events
// spread over the spear's and the glaive's model and the claws', the bow's arrows on its own.
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>

#include "SampleData.h"
#include "SampleParts.h"
#include "formats/byte_writer.h"
#include "formats/pattern_writer.h"

namespace sample {

namespace {

namespace fs = std::filesystem;

struct PartnerWeapon {
    std::uint32_t id;
    const char* name;
    std::int32_t type;
    std::uint32_t attack;
    std::uint32_t element;
    std::uint32_t skill;
    const char* skillName;
    const char* skillText;
    std::uint32_t flag;
};

// The bow's second skill, used in the air.
constexpr std::uint32_t kBowAirSkill = 3104;

// The skill is each weapon's first, the first of its class's weapon skills; its type is 4 + the
// weapon type.
const PartnerWeapon kWeapons[] = {
    {PartnerClasses::kSpear, "銀の槍", 3, 22, 0, 2300, "跳ね突き", "槍で突き上げる", PartnerClasses::kSpearFlag},
    {PartnerClasses::kGlaive, "風の薙刀", 4, 24, 3, 2400, "薙ぎ払い", "薙刀で大きく払う", PartnerClasses::kGlaiveFlag},
    {PartnerClasses::kClaws, "鉄の爪", 9, 20, 4, 2900, "裂き爪", "爪で切り裂く", PartnerClasses::kClawsFlag},
    {PartnerClasses::kBow, "狩人の弓", 11, 18, 0, 3100, "連ね射ち", "矢を続けて射る", PartnerClasses::kBowFlag},
};

// A frame of a motion: its attack at frame 3, events at frames 1, 3, 5 and 7 (an item fires when
// it turns non-zero, so each event stands between empty frames).
constexpr std::uint32_t kFrames = qmtest::kPlayerModelFrames;
constexpr std::uint32_t kStrikeFrame = qmtest::kPlayerModelSwingFrame;
constexpr std::uint32_t kEventFrames[4] = {1, 3, 5, 7};

struct MotionEvents {
    std::uint32_t motion;
    std::vector<std::uint16_t> codes;  // up to four
};

struct ClassModel {
    const char* model;
    std::uint32_t motions;                // one past the last motion its classes' rows play
    std::vector<std::uint32_t> strikes;   // the motions that swing: the ground combo's
    std::vector<std::uint32_t> heavies;   // and the skills' and charges'
    std::vector<std::uint32_t> lights;    // and the jump attacks'
    std::vector<MotionEvents> events;
};

// What her classes play. The ground combo of the spear and the glaive (one model) and the spear's
// first skill carry the status and element marks; the glaive's skill and charge, the claws' combo
// and skill carry the weapon-skill events; the bow's combo, skill and charge shoot.
const std::vector<ClassModel>& ClassModels()
{
    static const std::vector<ClassModel> models = {
        // Sword and second sword type (combo 37..43, charges 56/57, skills 60/76), axe (combo to 45,
        // charge 58, skill 60): swings only.
        {"heroine01", 120, {37, 39, 41, 43}, {56, 57, 60, 76}, {45, 47}, {}},
        {"heroine02", 97, {37, 39, 41, 43, 45}, {58, 60}, {47, 49}, {}},
        {"heroine03",
         111,
         {37, 39, 41, 43, 44},
         {56, 57, 59, 60, 71},
         {46, 48, 50},
         {
             {37, {1000, 1001, 1010, 1011}},
             {39, {1012, 1013, 1014, 1015}},
             {41, {2000, 2001, 2002, 2003}},
             {43, {2004, 2005, 2006, 3000}},
             {44, {3001, 3002, 3003, 3004}},
             // The spear's skill 2300, then its charge leap and air step.
             {60, {3005, 50000, 50001, 50002}},
             {56, {50003, 50004}},
             {57, {50005, 50006}},
             // The glaive's skill 2400 and its charge.
             {71, {50007, 50008, 50009, 50010}},
             {59, {50011, 50012, 50013, 50014}},
         }},
        {"heroine06",
         75,
         {37, 39, 41},
         {49, 50},
         {43},
         {
             {37, {50015, 50016, 50017, 50018}},
             {39, {50019, 50020, 50022, 50023}},
             {41, {50024, 50025, 50026, 50027}},
             // Skill 2900: a mark and a fire bolt.
             {50, {50028, 50000}},
         }},
        {"heroine08",
         69,
         {},
         {},
         {},
         {
             {37, {6000, 6100, 6101, 6102}},
             {39, {6001, 6103, 6104, 6105}},
             // Skill 3100, then the charge shot.
             {50, {6106, 6107, 6108, 6109}},
             {48, {6110, 6500}},
             // The hold in the air (row 35) and air skill 3104 tapped (row 59): she hovers and
             // shoots down.
             {43, {6103}},
             {62, {6105}},
         }},
    };
    return models;
}

TAttackRecord Hit(std::uint32_t id, std::uint32_t lifetime, float radius)
{
    TAttackRecord r;
    r.Id = id;
    r.Lifetime = lifetime;
    r.Radius = radius;
    return r;
}

std::vector<std::vector<TPatternEvent>> Patterns(const ClassModel& m)
{
    std::vector<std::vector<TPatternEvent>> patterns;
    for (std::uint32_t motion = 0; motion < m.motions; ++motion) {
        TPatternEvent frame;
        if (motion >= 1 && motion <= 3) {
            frame.Displacement = D3DXVECTOR3(0.0F, 0.0F, -qmtest::kPlayerModelWalkStep);
        }
        patterns.emplace_back(kFrames, frame);
        if (std::find(m.strikes.begin(), m.strikes.end(), motion) != m.strikes.end()) {
            patterns.back()[kStrikeFrame].AttackId = static_cast<std::uint16_t>(PartnerClasses::kSwingAttack);
        } else if (std::find(m.heavies.begin(), m.heavies.end(), motion) != m.heavies.end()) {
            patterns.back()[kStrikeFrame].AttackId = static_cast<std::uint16_t>(PartnerClasses::kHeavyAttack);
        } else if (std::find(m.lights.begin(), m.lights.end(), motion) != m.lights.end()) {
            patterns.back()[kStrikeFrame].AttackId = static_cast<std::uint16_t>(PartnerClasses::kAirAttack);
        }
    }
    for (const BasicSkillStrike& strike : BasicSkillStrikes()) {
        if (std::string(strike.model) == m.model) {
            patterns.at(strike.motion).at(kStrikeFrame).AttackId = strike.attack;
        }
    }
    for (const MotionEvents& e : m.events) {
        for (std::size_t i = 0; i < e.codes.size(); ++i) {
            patterns.at(e.motion).at(kEventFrames[i]).EventCode = e.codes[i];
        }
    }
    return patterns;
}

std::vector<std::uint8_t> Wepons(std::uint32_t motions)
{
    qmtest::WeponKey key;
    key.firstPosition = D3DXVECTOR3(0.35F, 0.8F, 0.0F);
    key.secondPosition = D3DXVECTOR3(-0.35F, 0.8F, 0.0F);
    return qmtest::BuildWeponStateFile({key},
                                       std::vector<std::vector<std::uint32_t>>(motions, std::vector<std::uint32_t>(kFrames, 0)));
}

}  // namespace

void AddPartnerClasses(Catalogue& c)
{
    for (const PartnerWeapon& w : kWeapons) {
        TWeponRecord weapon = Wepon(w.id, w.name, w.type, w.attack, w.element, w.skill);
        if (w.id == PartnerClasses::kBow) {
            weapon.Skill[1] = kBowAirSkill;  // at 200 ability points
        }
        c.wepons.push_back(weapon);

        TItemRecord item = Item(w.id, w.name, 1, 400, "武器");
        item.MeshName = weapon.MeshName;  // lying on the battle map
        c.items.push_back(item);

        const TSkillRecord skill = Skill(w.skill, w.skillName, static_cast<std::uint8_t>(4 + w.type), w.skillText);
        c.skills.push_back(skill);

        for (TexturePackage& package : c.textures) {
            if (package.file == "itemicon.ptx") {
                package.entries.push_back(item.IconName);
            } else if (package.file == "iteminfo.ptx") {
                package.entries.push_back(item.InfoName);
            } else if (package.file == "skillinfo.ptx") {
                package.entries.push_back(skill.InfoName);
            }
        }
    }
    // The bow's air skill: tapped, she hovers and fans three arrows.
    const TSkillRecord hover = Skill(kBowAirSkill, "宙射ち", 4 + 11, "宙に留まって射る");
    c.skills.push_back(hover);
    for (TexturePackage& package : c.textures) {
        if (package.file == "skillinfo.ptx") {
            package.entries.push_back(hover.InfoName);
        }
    }
    for (const std::string& model : HeroModels(c)) {
        if (std::find(c.characterModels.begin(), c.characterModels.end(), model) == c.characterModels.end()) {
            c.characterModels.push_back(model);
        }
    }
    // The swings, chest high in front (a character faces its own -z), landing with hit codes 4 and
    // 5 (the classes that answer them raise a ring on the victim) and, in the air, 1 (a hop); then
    // the hits the frame events make: their shots' and marks' flights, a melee blow's few frames.
    TAttackRecord swing = Hit(PartnerClasses::kSwingAttack, 6, 0.8F);
    swing.Offset[1] = 1.0F;
    swing.Offset[2] = -0.8F;
    swing.Param8 = 4;
    AddAttack(c, swing);
    swing.Id = PartnerClasses::kHeavyAttack;
    swing.Param8 = 5;
    swing.DamageFactor = 1.5F;
    AddAttack(c, swing);
    swing.Id = PartnerClasses::kAirAttack;
    swing.Param8 = 1;
    swing.DamageFactor = 1.0F;
    swing.Radius = 1.0F;
    AddAttack(c, swing);
    // 2200, 3200 and 3304 are the spells' strikes as well, and keep the spells' records.
    for (const TAttackRecord& hit : {Hit(50000, 40, 0.6F), Hit(50001, 60, 0.6F), Hit(50003, 20, 0.8F),
                                     Hit(50004, 6, 0.8F), Hit(50005, 6, 1.2F), Hit(3506, 20, 0.8F)}) {
        AddAttack(c, hit);
    }
}

void AddPartnerPickups(qmtest::FieldMap& battle)
{
    for (std::size_t i = 0; i < std::size(kWeapons); ++i) {
        battle.items.push_back({kWeapons[i].id, kWeapons[i].flag, 0, PartnerClasses::Pickup(i)});
    }
}

void WritePartnerClasses(const fs::path& root)
{
    for (const ClassModel& m : ClassModels()) {
        qmtest::MeshFile body = Figure(m.model);
        // Every motion on the first key frame, as the plain ones; the swings lean into their blows.
        const qmtest::MeshMorph plain = body.morphs.back();
        for (auto n = static_cast<std::uint32_t>(body.morphs.size()); n < m.motions; ++n) {
            body.morphs.push_back({"motion" + std::to_string(n), plain.keyFrames, plain.steps});
        }
        const std::vector<std::vector<TPatternEvent>> patterns = Patterns(m);
        GiveSwingPoses(body, patterns);
        body.Save((root / kMeshFolder / kCharacterFolder / (std::string(m.model) + ".tob")).string());
        const fs::path data = root / kCharacterDataFolder;
        qmtest::SaveBytes((data / (std::string(m.model) + ".pat")).string(), qmtest::BuildPatternFile(patterns));
        qmtest::SaveBytes((data / (std::string(m.model) + ".wpm")).string(), Wepons(m.motions));
    }
}

}  // namespace sample
