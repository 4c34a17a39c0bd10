// Weapons, accessories and item effects made from their tables; who may equip what; the
// timed stat bonus an item effect gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "MainCode/Hud/TTimedFlags.h"
#include "support/game_table_writer.h"
#include "support/temp_dir.h"

namespace {

class EquipmentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Weapon 1000 + t is of type t; 1050 and 1051 of types no hero uses.
        std::vector<TWeponRecord> wepons(14);
        for (std::int32_t type = 0; type < 12; ++type) {
            wepons[type].Id = 1000 + static_cast<std::uint32_t>(type);
            wepons[type].Type = type;
        }
        wepons[12].Id = 1050;
        wepons[12].Type = 12;
        wepons[13].Id = 1051;
        wepons[13].Type = -1;
        Load<TWeponTable>(wepons);
        TAccessoryRecord a;
        a.Id = 2003;
        a.PhysicalDefence = 5;
        a.MagicDefence = -2;
        a.ElementDefence[3] = 0.5f;
        Load<TAccessoryTable>(std::vector<TAccessoryRecord>{a});
        TItemMeanRecord m;
        m.Id = 20;
        m.Duration = 2;
        m.HpRecover = 100;
        m.Bonus[0] = 3;
        m.Bonus[2] = -1;
        Load<TItemMeanTable>(std::vector<TItemMeanRecord>{m});
    }

    void TearDown() override
    {
        TWeponTable::Clear();
        TAccessoryTable::Clear();
        TItemMeanTable::Clear();
    }

    template <typename Table, typename Record>
    void Load(const std::vector<Record>& records)
    {
        qmtest::SaveBytes(dir_.File("t.tbl"), qmtest::BuildGameTable(records));
        Table::Load(dir_.File("t.tbl"));
    }

    qmtest::TempDir dir_;
};

TEST_F(EquipmentTest, EachHeroEquipsItsOwnWeaponTypesAndTheirIcons)
{
    const std::vector<std::int32_t> diz = {0, 1, 2, 5, 6, 7, 8, 10};
    const std::vector<std::int32_t> zav = {0, 1, 2, 3, 4, 9, 11};
    for (std::int32_t type = 0; type < 12; ++type) {
        const std::uint32_t id = 1000 + static_cast<std::uint32_t>(type);
        EXPECT_EQ(TWeponTable::CanEquip(0, id), std::count(diz.begin(), diz.end(), type) == 1) << type;
        EXPECT_EQ(TWeponTable::CanEquip(1, id), std::count(zav.begin(), zav.end(), type) == 1) << type;
        EXPECT_FALSE(TWeponTable::CanEquip(2, id)) << type;
    }
    EXPECT_FALSE(TWeponTable::CanEquip(0, 1050));
    EXPECT_FALSE(TWeponTable::CanEquip(1, 1051));

    EXPECT_EQ(TWeponTable::GetIconName(1000), "itm_icon.ptx/itm02_icon");
    EXPECT_EQ(TWeponTable::GetIconName(1011), "itm_icon.ptx/itm13_icon");
    EXPECT_EQ(TWeponTable::GetIconName(1050), "");
    EXPECT_EQ(TWeponTable::GetIconName(1051), "");
}

TEST_F(EquipmentTest, InstancesCarryTheirRecordAndEffectsCountDown)
{
    const TRefPtr<TAccessory> ring = TAccessoryTable::CreateInstance(2003);
    EXPECT_EQ(ring->Id, 2003u);
    EXPECT_EQ(ring->MagicDefence, -2);
    EXPECT_EQ(ring->ElementDefence[3], 0.5f);

    const TRefPtr<TItemMean> mean = TItemMeanTable::CreateInstance(20);
    EXPECT_EQ(mean->HpRecover, 100);
    EXPECT_EQ(mean->Bonus[2], -1);
    mean->Duration = 1;
    EXPECT_TRUE(mean->CountDown());
    EXPECT_EQ(mean->Duration, 0);
    EXPECT_FALSE(mean->CountDown());
    EXPECT_FALSE(mean->CountDown());
    mean->Duration = std::numeric_limits<std::int32_t>::min();
    EXPECT_FALSE(mean->CountDown());
    EXPECT_EQ(mean->Duration, std::numeric_limits<std::int32_t>::min());
}

TEST_F(EquipmentTest, TimedBonusHoldsForItsDurationThenClears)
{
    TTimedFlags flags;
    EXPECT_FALSE(flags.IsActive());
    flags.Tick();  // nothing held: nothing happens

    // Duration 2: in force through two updates, cleared on the third.
    const TRefPtr<TItemMean> mean = TItemMeanTable::CreateInstance(20);
    flags.Set(mean);
    EXPECT_EQ(mean.UseCount(), 2u);
    EXPECT_EQ(flags.GetBonus(0), 3);
    EXPECT_EQ(flags.GetBonus(2), -1);
    EXPECT_EQ(flags.GetBonus(4), 0);
    flags.Tick();
    flags.Tick();
    EXPECT_TRUE(flags.IsActive());
    flags.Tick();
    EXPECT_FALSE(flags.IsActive());
    EXPECT_EQ(flags.GetBonus(0), 0);
    EXPECT_EQ(flags.GetEffect().Get(), mean.Get());  // expired, still held

    // The same effect again: bonuses copied afresh, no second share.
    flags.Set(mean);
    EXPECT_EQ(mean.UseCount(), 2u);
    EXPECT_EQ(flags.GetBonus(0), 3);
    flags.Tick();  // the countdown is already below 0
    EXPECT_FALSE(flags.IsActive());

    // Duration 0 lasts until the first update.
    TRefPtr<TItemMean> brief = TItemMeanTable::CreateInstance(20);
    brief->Duration = 0;
    flags.Set(brief);
    EXPECT_EQ(mean.UseCount(), 1u);
    EXPECT_TRUE(flags.IsActive());
    flags.Tick();
    EXPECT_FALSE(flags.IsActive());
    flags.Set(TRefPtr<TItemMean>());  // empty: ignored
    EXPECT_EQ(flags.GetEffect().Get(), brief.Get());

    // Without values it is not active; Reset gives up the share, a holder elsewhere keeps it.
    TRefPtr<TItemMean> plain = TItemMeanTable::CreateInstance(21);
    plain->Duration = 100;
    flags.Set(plain);
    EXPECT_FALSE(flags.IsActive());
    TRefPtr<TItemMean> held = TItemMeanTable::CreateInstance(20);
    flags.Set(held);
    flags.Reset();
    EXPECT_FALSE(flags.IsActive());
    EXPECT_EQ(flags.GetEffect().Get(), nullptr);
    EXPECT_EQ(flags.GetBonus(0), 0);
    EXPECT_EQ(held.UseCount(), 1u);
    EXPECT_EQ(held->Bonus[0], 3);
    flags.Tick();
    EXPECT_EQ(held->Duration, 2);
}

}  // namespace
