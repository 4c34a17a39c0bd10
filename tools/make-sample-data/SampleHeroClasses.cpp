// The hero's eight classes in the sample folder: a weapon rack in the town's south-east corner with
// one weapon of each class, the weapon skill each teaches, and the class models, whose combo and
// skill motions swing with an attack of their own and fire the player's pattern events, together
// every one of them (written over the plain models' files); the hand guard's spell motions bless.
#include <algorithm>

#include "SampleParts.h"
#include "formats/byte_writer.h"
#include "formats/field_writer.h"
#include "formats/player_model_writer.h"

namespace sample {

namespace {

namespace fs = std::filesystem;

// Frames of a motion that fires events, and where in it: every other frame from the second, so that
// each code has a quiet frame before it, and the attack after the first few.
constexpr std::uint32_t kEventMotionFrames = 12;
constexpr std::uint32_t kEventFrames[] = {1, 3, 5, 7, 9};
constexpr std::uint32_t kAttackFrame = 4;

// A class model's motions: how many, and what its combo and skill motions fire.
struct MotionEvents {
    std::uint32_t motion;
    std::vector<std::uint16_t> codes;  // at kEventFrames, in order
};
struct ClassModel {
    const char* name;
    std::uint32_t motions;  // one past the highest motion of its classes' rows
    std::uint16_t attack;   // the attack every event motion swings with
    std::vector<MotionEvents> events;
};

// The first ground swing (37) stays the plain model's, as the other roads know it. Each class has
// a shot in its combo and in its first skill; the codes of a model's combo fire for every class
// of that model.
const std::vector<ClassModel>& ClassModels()
{
    static const std::vector<ClassModel> models = {
        // THeroA and THeroB: rows up to motion 119; the combo 39, 41, 43, skills 2000 (58) and 2100 (75).
        {"hero01",
         120,
         1100,
         {{39, {1, 2, 3, 4, 5}},
          {41, {6, 10, 11, 5000, 5001}},
          {43, {5002, 5003, 5004, 5005, 5006}},
          {58, {5500, 100, 101, 102, 7000}},
          {75, {5501, 103, 104, 105, 7001}}}},
        // THeroC: the combo 39 to 45, skill 2200 (60).
        {"hero02",
         97,
         1101,
         {{39, {7, 9, 5100, 5101, 5102}},
          {41, {5103, 5104, 5105, 5106, 106}},
          {43, {5200, 5201, 5202, 5203, 107}},
          {45, {5204, 5205, 5206, 110, 111}},
          {60, {5502, 112, 200, 7002, 7003}}}},
        // THeroD, THeroE and THeroF: the combo 39, 41, skills 2500 (53), 2600 (69) and 2700 (78);
        // the strikes that plunge until the landing swing too, and again as they land (43 to 46,
        // and 65 to 68 of THeroD's air skill 2504).
        {"hero04",
         121,
         1102,
         {{39, {7004, 7005, 7006, 7100, 7101}},
          {43, {}},
          {44, {}},
          {45, {}},
          {46, {}},
          {65, {}},
          {66, {}},
          {67, {}},
          {68, {}},
          {41, {9000, 7102, 7103, 7104, 7105}},
          {53, {5503, 7106, 8000, 8001, 8002}},
          {69, {8500, 7200, 7201, 8003, 8004}},
          {78, {6, 7202, 7203, 8100, 8101}}}},
        // THeroG: the combo 39 to 45, skill 2800 (60).
        {"hero05",
         89,
         1103,
         {{39, {9500, 7204, 7205, 7206, 5000}},
          {41, {7, 5100, 5200, 3, 100}},
          {43, {5500, 8000, 8001, 110, 9}},
          {45, {9000, 200, 10, 11, 4}},
          {60, {8500, 5003, 7000, 111, 1}}}},
        // THeroH: the combo 39, 41, skill 3000 (56).
        {"hero07",
         75,
         1104,
         {{39, {6, 5004, 5104, 8004, 2}},
          {41, {5501, 5204, 7100, 101, 5}},
          {56, {9500, 8500, 7200, 8100, 112}}}},
    };
    return models;
}

// The rack's weapons, one per class, each teaching the class's first weapon skill (the skill ids
// the class maps: 2000 + 100 x the weapon type).
struct RackWeapon {
    std::uint32_t id;
    const char* name;
    std::int32_t type;
    std::uint32_t attack;
    std::uint32_t element;
    const char* skillName;
    const char* skillText;
};

constexpr RackWeapon kRack[] = {
    {1100, "鋼の剣", 0, 16, 1, "二段斬り", "踏み込んで斬る"},
    {1101, "細身の剣", 1, 15, 2, "流し斬り", "流れるように斬る"},
    {1102, "戦の斧", 2, 22, 0, "大振り", "斧を大きく振る"},
    {1103, "樫の杖", 5, 10, 4, "杖打ち", "杖で打ち据える"},
    {1104, "銀の錫杖", 6, 11, 3, "光の輪", "光を放つ"},
    {1105, "星の杖", 7, 12, 2, "星降り", "星を降らせる"},
    {1106, "双つの短剣", 8, 14, 5, "乱れ突き", "左右で突く"},
    {1107, "鉄の手甲", 10, 18, 6, "跳び蹴り", "跳んで蹴る"},
};

// The sword's charge, the attack button held on the ground (row 33 of the sword's classes, motion 56):
// one swing, a little wider and harder than the combo's.
constexpr const char* kChargeModel = "hero01";
constexpr std::uint32_t kChargeMotion = 56;
constexpr std::uint16_t kChargeAttack = 1105;

// A pair's left piece: its own weapon record, 10000 above the pair's.
constexpr std::uint32_t kLeftPiece = 10000;

// THeroD's air skill (row 59 tapped, 61 held), the staff's second.
constexpr std::uint32_t kAirSkill = 2504;

// The hand guard's class calls a blessing on itself as it casts: its spell motions (row 1 tapped,
// motion 19; row 3 held, motion 21) carry the blessing's event, the lesser in the tapped motion and
// the greater in the held one. Every spell the class casts blesses so, the motion-only ones too.
struct Blessing {
    const char* model;
    std::uint32_t motion;
    std::uint16_t code;
};
constexpr Blessing kBlessings[] = {{"hero07", 19, 10045}, {"hero07", 21, 11045}};
constexpr std::uint32_t kBlessingFrame = 2;

// The hit ids the pattern events strike with: plain records, as any other user of the codes would add.
constexpr std::uint16_t kEventHits[] = {4500, 5000, 5001, 5002, 5005, 60002};

std::uint32_t SkillOf(const RackWeapon& w) { return 2000 + 100 * static_cast<std::uint32_t>(w.type); }

std::string Named(const char* prefix, std::uint32_t id) { return prefix + std::to_string(id); }

void AddEntry(Catalogue& c, const char* package, const std::string& entry)
{
    for (TexturePackage& p : c.textures) {
        if (p.file == package) {
            p.entries.push_back(entry);
        }
    }
}

// The plain model's swing, chest high in front, a little wider.
TAttackRecord Swing(std::uint16_t id)
{
    TAttackRecord r = qmtest::FieldAttackRecords().at(1);
    r.Id = id;
    r.Radius = 0.9F;
    return r;
}

}  // namespace

void AddHeroClassContent(Catalogue& c)
{
    for (const RackWeapon& w : kRack) {
        TWeponRecord wepon = Wepon(w.id, w.name, w.type, w.attack, w.element, SkillOf(w));
        if (w.type == 5) {
            wepon.Skill[1] = kAirSkill;  // at 200 ability points
        }
        c.wepons.push_back(wepon);
        if (w.type == 8) {
            wepon.Id = w.id + kLeftPiece;
            wepon.MeshName = Named("wpn", wepon.Id);
            c.wepons.push_back(wepon);
        }
        TItemRecord item = Item(w.id, w.name, 1, 400, "武器");
        item.MeshName = Named("wpn", w.id);  // lying on the rack
        c.items.push_back(item);
        AddEntry(c, "itemicon.ptx", item.IconName);
        AddEntry(c, "iteminfo.ptx", item.InfoName);
        const TSkillRecord skill = Skill(SkillOf(w), w.skillName, static_cast<std::uint8_t>(4 + w.type), w.skillText);
        c.skills.push_back(skill);
        AddEntry(c, "skillinfo.ptx", skill.InfoName);
    }
    TAttackRecord charge = Swing(kChargeAttack);
    charge.Radius = 1.0F;
    charge.DamageFactor = 1.5F;
    AddAttack(c, charge);
    for (const ClassModel& model : ClassModels()) {
        AddAttack(c, Swing(model.attack));
        if (std::find(c.characterModels.begin(), c.characterModels.end(), model.name) == c.characterModels.end()) {
            c.characterModels.push_back(model.name);
        }
    }
    // THeroD's plunge from the air, used while jumping or falling.
    const TSkillRecord plunge = Skill(kAirSkill, "落下突き", 4 + 5, "宙から杖を突き下ろす");
    c.skills.push_back(plunge);
    AddEntry(c, "skillinfo.ptx", plunge.InfoName);
    for (std::uint16_t id : kEventHits) {
        TAttackRecord hit;
        hit.Id = id;
        AddAttack(c, hit);
    }
}

void AddHeroClassRack(qmtest::FieldMap& town)
{
    static_assert(std::size(kRack) == HeroRack::kCount);
    for (std::uint32_t i = 0; i < HeroRack::kCount; ++i) {
        town.items.push_back({kRack[i].id, HeroRack::kFirstFlag + i, 0, HeroRack::Pickup(i)});
    }
}

void WriteHeroClassModels(const fs::path& root)
{
    for (const ClassModel& model : ClassModels()) {
        qmtest::MeshFile body = Figure(model.name);
        std::vector<std::vector<TPatternEvent>> patterns = qmtest::PlayerModelPatterns();
        std::vector<std::vector<std::uint32_t>> poses(patterns.size(), std::vector<std::uint32_t>(qmtest::kPlayerModelFrames, 0));
        for (std::uint32_t m = static_cast<std::uint32_t>(patterns.size()); m < model.motions; ++m) {
            const bool fires = std::any_of(model.events.begin(), model.events.end(),
                                           [&](const MotionEvents& e) { return e.motion == m; });
            const std::uint32_t frames = fires ? kEventMotionFrames : qmtest::kPlayerModelFrames;
            body.morphs.push_back({"motion" + std::to_string(m), std::vector<std::uint32_t>(frames, 0),
                                   std::vector<float>(frames, 1.0F)});
            patterns.emplace_back(frames);
            poses.emplace_back(frames, 0);
        }
        for (const MotionEvents& e : model.events) {
            std::vector<TPatternEvent>& frames = patterns.at(e.motion);
            frames.at(kAttackFrame).AttackId = model.attack;
            for (std::size_t i = 0; i < e.codes.size(); ++i) {
                frames.at(kEventFrames[i]).EventCode = e.codes[i];
            }
        }
        if (std::string(kChargeModel) == model.name) {
            patterns.at(kChargeMotion).at(qmtest::kPlayerModelSwingFrame).AttackId = kChargeAttack;
        }
        for (const Blessing& b : kBlessings) {
            if (std::string(b.model) == model.name) {
                patterns.at(b.motion).at(kBlessingFrame).EventCode = b.code;
            }
        }
        for (const ReactionStrike& strike : HeroAirStrikes()) {
            if (std::string(strike.model) == model.name) {
                patterns.at(strike.motion).at(qmtest::kPlayerModelSwingFrame).AttackId = strike.attack;
            }
        }
        for (const BasicSkillStrike& strike : BasicSkillStrikes()) {
            if (std::string(strike.model) == model.name) {
                patterns.at(strike.motion).at(qmtest::kPlayerModelSwingFrame).AttackId = strike.attack;
            }
        }
        for (const HeroStrike& strike : HeroStealStrikes()) {
            if (std::string(strike.model) == model.name) {
                patterns.at(strike.motion).at(strike.frame).AttackId = strike.attack;
            }
        }
        GiveSwingPoses(body, patterns);
        body.Save((root / kMeshFolder / kCharacterFolder / (std::string(model.name) + ".tob")).string());
        const fs::path data = root / kCharacterDataFolder;
        qmtest::SaveBytes((data / (std::string(model.name) + ".pat")).string(), qmtest::BuildPatternFile(patterns));
        qmtest::SaveBytes((data / (std::string(model.name) + ".wpm")).string(),
                          qmtest::BuildWeponStateFile({qmtest::PlayerModelWeponKey()}, poses));
    }
}

}  // namespace sample
