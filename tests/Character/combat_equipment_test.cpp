// What the player holds and wears: hands by weapon type, stats and element rates with accessories,
// passive factors and timed bonuses, attack values, ability-point counters and the status tests.
#include <gtest/gtest.h>

#include "combat_fixture.h"
#include "support/character_probe.h"

namespace combattest {
namespace {

class CombatEquipmentTest : public CombatFixture {
protected:
    void SetUp() override
    {
        CombatFixture::SetUp();
        TAccessoryRecord& a = TAccessoryTable::Get(2001);
        a.Id = 2001;
        a.PhysicalDefence = 3;
        a.MagicDefence = 4;
        a.ElementDefence[0] = 0.25F;
        TAccessoryRecord& b = TAccessoryTable::Get(2002);
        b.Id = 2002;
        b.PhysicalDefence = 5;
        b.MagicDefence = 6;
        b.ElementDefence[0] = 0.5F;
        b.ElementDefence[5] = 2.0F;
        TAccessoryTable::Get(2000).Id = 2000;
    }
};

TEST_F(CombatEquipmentTest, WeaponTypesChooseTheHands)
{
    struct Case {
        std::int32_t type;
        std::uint32_t left;   // 0: empty
        std::uint32_t right;  // 0: empty
    };
    const Case cases[] = {{0, 0, 1000},    {1, 0, 1001},    {2, 1002, 1002}, {3, 1003, 0},   {4, 1004, 0},
                          {5, 0, 1005},    {7, 0, 1007},    {8, 11008, 1008}, {9, 0, 1009},  {10, 1010, 0},
                          {11, 1011, 0}};
    for (const Case& c : cases) {
        std::unique_ptr<CombatHero> hero = MakeCombatHero(0, c.type);
        hero->Equip(1000 + static_cast<std::uint32_t>(c.type));
        EXPECT_EQ(hero->GetLeftWeaponFrame()->GetMeshCount(), c.left != 0 ? 1u : 0u) << c.type;
        EXPECT_EQ(hero->GetRightWeaponFrame()->GetMeshCount(), c.right != 0 ? 1u : 0u) << c.type;
        EXPECT_EQ(hero->GetWeaponId(), c.right != 0 ? c.right : c.left) << c.type;
    }
    // Changing to a one-handed weapon empties the other hand.
    std::unique_ptr<CombatHero> hero = MakeCombatHero(0, 2);
    hero->Equip(1003);
    EXPECT_EQ(hero->GetRightWeaponFrame()->GetMeshCount(), 0u);
    EXPECT_EQ(hero->GetWeaponId(), 1003u);
}

TEST_F(CombatEquipmentTest, StatsAddAccessoriesFactorsAndTimedBonusesWithEmptySlotsAsZero)
{
    std::unique_ptr<CombatHero> hero = MakeCombatHero();
    // The hero definition's stats are 100 each; accessories 2000 add nothing.
    hero->SetEquipItem(2001, 'A');
    hero->SetEquipItem(2002, 'B');
    EXPECT_EQ(hero->GetStr(), 100);
    EXPECT_EQ(hero->GetVit(), 108);
    EXPECT_EQ(hero->GetMen(), 110);
    EXPECT_EQ(hero->GetEquipItemId('A'), 2001u);
    EXPECT_EQ(hero->GetEquipItemId('B'), 2002u);
    EXPECT_EQ(hero->GetEquipItemId('Z'), 2002u) << "any other slot is B";

    hero->SetEquipItem(2000, 'B');
    EXPECT_EQ(hero->GetVit(), 103);
    EXPECT_EQ(hero->GetMen(), 104);

    // Empty slots and hands count as nothing.
    std::unique_ptr<CombatHero> bare = MakeCombatHero(1, 0);
    bare->DropAccessories();
    bare->SetRWeapon(TRefPtr<TWepon>());
    EXPECT_EQ(bare->GetVit(), 100);
    EXPECT_EQ(bare->GetMen(), 100);
    EXPECT_EQ(bare->GetEquipItemId('A'), 0u);
    EXPECT_EQ(bare->GetWeaponId(), 0u);
    EXPECT_FLOAT_EQ(bare->GetElementRate1(), bare->GetBaseElementRate(0));

    // Passive factor 0.12 on STR and a timed bonus of 7: 12 + 100 + 7; the bonus alone is 19.
    SlotPassive(0, 11, 1105);
    TItemMeanRecord& boost = TItemMeanTable::Get(4);
    boost.Bonus[0] = 7;
    boost.Duration = 10;
    data_->GetTimedFlags(0)->Set(TItemMeanTable::CreateInstance(4));
    EXPECT_TRUE(hero->HasStatBoost());
    EXPECT_EQ(hero->GetStr(), 119);
    EXPECT_EQ(hero->GetStrBonus(), 19);
    EXPECT_EQ(hero->GetVitBonus(), 0);
    EXPECT_EQ(hero->GetInt(), 100);
}

TEST_F(CombatEquipmentTest, ElementRatesNeverFallBelowZero)
{
    std::unique_ptr<CombatHero> hero = MakeCombatHero();
    hero->SetEquipItem(2001, 'A');
    hero->SetEquipItem(2002, 'B');
    const float r1 = hero->GetBaseElementRate(0);
    EXPECT_FLOAT_EQ(hero->GetElementRate1(), std::max(r1 - 0.25F - 0.5F, 0.0F));
    EXPECT_FLOAT_EQ(hero->GetElementRate6(), 0.0F) << "a defence above the rate gives 0";
    EXPECT_FLOAT_EQ(hero->GetElementRate3(), hero->GetBaseElementRate(2));
    // Every element factor 0.15 lowers each rate by 15 % of itself.
    SlotPassive(1, 21, 1205);
    EXPECT_FLOAT_EQ(hero->GetElementRate2(), hero->GetBaseElementRate(1) - 0.15F * hero->GetBaseElementRate(1));
}

TEST_F(CombatEquipmentTest, AttackValuesByHandSpellsBuffsAndWeapons)
{
    TWeponTable::Get(1000).Attack = 30;
    TWeponTable::Get(1000).Element = 4;
    TWeponTable::Get(1003).Attack = 10;
    TWeponTable::Get(1003).Element = 2;
    std::unique_ptr<CombatHero> hero = MakeCombatHero(0, 0);
    TAttackRecord record;
    record.Offset[1] = 0.5F;
    record.Radius = 0.8F;
    record.Element = 6;
    TAttackPlacement out;
    // The attack value of the hero (or another) with the record placed in that hand.
    const auto value = [&](std::uint32_t placement, CombatHero* who = nullptr) {
        record.Placement = placement;
        out = TAttackPlacement();
        (who != nullptr ? who : hero.get())->GetAttackParams(record, out);
        return out.BaseDamage;
    };

    EXPECT_EQ(value(0), 130u);
    EXPECT_EQ(out.Parent, hero->GetFrame());
    EXPECT_FLOAT_EQ(out.Position.y, 0.5F);
    EXPECT_FLOAT_EQ(out.Word14, 0.8F);
    EXPECT_EQ(out.PropertyB, 4);
    EXPECT_EQ(out.PropertyA, 0);
    // Right hand; the empty left hand has no power.
    EXPECT_EQ(value(2), 130u);
    EXPECT_EQ(out.Parent, hero->GetRightWeaponFrame());
    EXPECT_EQ(value(1), 100u);
    EXPECT_EQ(out.Parent, hero->GetLeftWeaponFrame());
    // A hand word outside 0..2 gives no attack value.
    record.Placement = 3;
    out.BaseDamage = 77;
    hero->GetAttackParams(record, out);
    EXPECT_EQ(out.BaseDamage, 0u);

    // Buff 1 before buff 2: x1.1, and x1.2 only without buff 1.
    TCharacterProbe::AttackBuff2(*hero).Remaining = 10;
    EXPECT_EQ(value(0), 150u);
    TCharacterProbe::AttackBuff1(*hero).Remaining = 10;
    EXPECT_EQ(value(0), 140u);
    // A spell is twice INT, whatever the weapons and buffs.
    record.Flags = 0x101;
    EXPECT_EQ(value(0), 200u);

    // Both hands: the mean power, the properties of the left weapon unless a hand is chosen.
    record.Flags = 1;
    TCharacterProbe::AttackBuff1(*hero).Remaining = 0;
    TCharacterProbe::AttackBuff2(*hero).Remaining = 0;
    hero->SetLWeapon(TWeponTable::CreateInstance(1003));
    EXPECT_EQ(value(0), 120u);
    EXPECT_EQ(out.PropertyB, 2);
    EXPECT_EQ(out.PropertyA, 3);
    EXPECT_EQ(value(2), 130u);
    EXPECT_EQ(out.PropertyB, 4);
    EXPECT_EQ(value(1), 110u);
    EXPECT_EQ(out.PropertyB, 2);

    // Without weapons: the strength alone, no weapon properties.
    std::unique_ptr<CombatHero> bare = MakeCombatHero(0, 0);
    bare->SetRWeapon(TRefPtr<TWepon>());
    EXPECT_EQ(value(0, bare.get()), 100u);
    EXPECT_EQ(out.PropertyB, 6);
    EXPECT_EQ(out.PropertyA, -1);
}

TEST_F(CombatEquipmentTest, AbilityPointCountersReadOnlyTheirOwnArrays)
{
    TCharacterRecord* record = data_->GetCharacterData(0);
    record->WeponPoints[0] = 11;
    record->WeponPoints[199] = 22;
    record->AccessoryPoints[0] = 33;
    record->AccessoryPoints[199] = 44;
    for (std::uint32_t id : {999u, 1199u, 1200u}) {
        TWeponRecord& w = TWeponTable::Get(id);
        w.Id = id;
        w.MeshName = "blade";
    }
    std::unique_ptr<CombatHero> hero = MakeCombatHero(0, 0);
    EXPECT_EQ(hero->GetWeaponAbp(), 11u);
    hero->Equip(1199);
    EXPECT_EQ(hero->GetWeaponAbp(), 22u);
    hero->Equip(999);
    EXPECT_EQ(hero->GetWeaponAbp(), 0u);
    hero->Equip(1200);
    EXPECT_EQ(hero->GetWeaponAbp(), 0u);

    const std::pair<std::uint32_t, std::uint16_t> accessories[] = {{1999, 0}, {2000, 33}, {2199, 44}, {2200, 0}};
    for (const auto& [id, points] : accessories) {
        hero->SetEquipItem(id, 'A');
        EXPECT_EQ(hero->GetEquipAbp('A'), points) << id;
    }
}

TEST_F(CombatEquipmentTest, EachStatusTestReadsItsOwnCounter)
{
    std::unique_ptr<CombatHero> hero = MakeCombatHero();
    bool (*const tests[6])(TPlayerCharacter*) = {IsStatusEffectActive0, IsStatusEffectActive1, IsStatusEffectActive2,
                                                 IsStatusEffectActive3, IsStatusEffectActive4, IsStatusEffectActive5};
    std::int32_t* counters[6] = {&hero->GetPoison().Remaining,  &hero->GetManaDrain().Remaining,
                                 &hero->GetReversedControls().Remaining, &hero->GetAttackSeal().Remaining,
                                 &hero->GetSlowness().Remaining, &hero->GetManaSeal().Remaining};
    for (int i = 0; i < 6; ++i) {
        for (int j = 0; j < 6; ++j) {
            *counters[j] = j == i ? 1 : 0;
        }
        for (int j = 0; j < 6; ++j) {
            EXPECT_EQ(tests[j](hero.get()), j == i) << i << " " << j;
        }
        *counters[i] = -5;
        EXPECT_FALSE(tests[i](hero.get()));
    }
    EXPECT_FALSE(IsStatusEffectActive0(nullptr));
}

}  // namespace
}  // namespace combattest
