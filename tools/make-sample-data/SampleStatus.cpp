// The battle map's two ailing enemies and what cures their ailments: a spore flower whose breath
// poisons, drains mana and seals it, and a moth whose dust reverses the controls, seals attacks and
// slows; a cure for each ailment, a cure-all and a strength fruit, lying by the flower.
#include "SampleData.h"
#include "SampleParts.h"

namespace sample {

namespace {

// A breath that lingers a second and a half in front of the body: it hurts nothing (no hit kind),
// but every step the hero stands in it each of its ailments may take.
TAttackRecord Breath(std::uint32_t id, std::uint32_t ailments)
{
    TAttackRecord r;
    r.Id = id;
    r.Kind = 2;
    r.Lifetime = 90;
    r.HitCount = 90;
    r.Interval = 1;
    r.Flags = 0;
    r.Param3 = ailments;
    r.Offset[1] = 0.6F;
    r.Offset[2] = -1.0F;
    r.Radius = 1.2F;
    r.DamageFactor = 0.0F;
    return r;
}

TEnemyRecord Ailing(std::uint32_t type, const char* label)
{
    TEnemyRecord r = qmtest::FieldEnemyRecord();
    r.id = type;
    r.label = label;
    r.level = 2;
    r.maxHp = r.hp = 90;
    r.str = 30;
    r.vit = 5;
    r.money = 40;
    r.item = 3;
    r.itemChance = 0.3F;
    r.modelName = Numbered("enemy", type);
    return r;
}

}  // namespace

std::uint16_t StatusAttackOf(std::uint32_t enemyType)
{
    for (const StatusEnemy& enemy : StatusEnemies()) {
        if (enemy.type == enemyType) {
            return enemy.attack;
        }
    }
    return qmtest::kPlayerModelSwingAttack;
}

const std::vector<StatusEnemy>& StatusEnemies()
{
    // Both are of the one-attack class, so every strike they make is their breath; they stand by
    // the west fence, away from the walks between the arrival, the gate and the dark stone.
    static const std::vector<StatusEnemy> enemies = {
        {11, "毒胞子の花", 30000, kPoison | kSickness | kSilence, {2.0F, 0.0F, 18.0F}},
        {13, "惑わしの蛾", 30001, kConfusion | kFear | kSlow, {5.0F, 0.0F, 9.0F}},
    };
    return enemies;
}

const std::vector<CurePickup>& CurePickups()
{
    static const std::vector<CurePickup> cures = [] {
        std::vector<CurePickup> out;
        std::uint32_t flag = 260;
        float z = 20.0F;
        for (std::uint32_t item : {kCureSickness, kCureConfusion, kCureFear, kCureSlow, kCureSilence, kCureAll, 4u}) {
            out.push_back({item, flag++, {1.2F, 0.4F, z}});
            z += 1.0F;
        }
        return out;
    }();
    return cures;
}

void AddStatusContent(Catalogue& c)
{
    for (const StatusEnemy& enemy : StatusEnemies()) {
        AddAttack(c, Breath(enemy.attack, enemy.ailments));
        c.enemies.push_back(Ailing(enemy.type, enemy.label));
        c.characterModels.push_back(c.enemies.back().modelName);
    }
    struct CureRow {
        std::uint32_t id;
        const char* name;
        std::uint32_t price;
        const char* text;
        std::uint32_t cures;  // ailment bits
    };
    const CureRow cures[] = {
        {kCureSickness, "魔力の水", 40, "魔力が抜けていくのを止める", kSickness},
        {kCureConfusion, "目覚めの鈴", 40, "惑いを覚ます", kConfusion},
        {kCureFear, "勇気の薬", 40, "攻撃できるようにする", kFear},
        {kCureSlow, "軽足の薬", 40, "足の重さを取る", kSlow},
        {kCureSilence, "声の薬", 40, "技を使えるようにする", kSilence},
        {kCureAll, "万能薬", 150, "どんな状態異常も治す", kPoison | kSickness | kConfusion | kFear | kSlow | kSilence},
    };
    for (const CureRow& row : cures) {
        c.items.push_back(Item(row.id, row.name, 0, row.price, row.text));
        TItemMeanRecord mean;
        mean.Id = row.id;
        mean.Cost = 50;
        std::uint8_t* bytes[6] = {&mean.CurePoison, &mean.CureSickness, &mean.CureConfusion,
                                  &mean.CureFear,   &mean.CureSlow,     &mean.CureSilence};
        for (int i = 0; i < 6; ++i) {
            *bytes[i] = (row.cures >> i) & 1u;
        }
        c.itemMeans.push_back(mean);
        for (TexturePackage& package : c.textures) {
            if (package.file == "itemicon.ptx") {
                package.entries.push_back(c.items.back().IconName);
            } else if (package.file == "iteminfo.ptx") {
                package.entries.push_back(c.items.back().InfoName);
            }
        }
    }
}

void AddStatusEnemies(qmtest::FieldMap& battle)
{
    for (const StatusEnemy& enemy : StatusEnemies()) {
        battle.enemies.push_back({enemy.type, enemy.position, {}});
    }
    for (const CurePickup& cure : CurePickups()) {
        battle.items.push_back({cure.item, cure.flag, 0, cure.position});
    }
}

}  // namespace sample
