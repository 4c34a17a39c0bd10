// Who may equip what, and the timed stat bonus an item effect gives.
#include <gtest/gtest.h>

#include <algorithm>

#include "MainCode/GameData/TTimedFlags.h"
#include "formats/game_table_writer.h"
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
        TItemMeanRecord m;
        m.Id = 20;
        m.Duration = 2;
        m.Bonus[0] = 3;
        m.Bonus[2] = -1;
        Load<TItemMeanTable>(std::vector<TItemMeanRecord>{m});
    }

    void TearDown() override
    {
        TWeponTable::Clear();
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

TEST_F(EquipmentTest, EachHeroEquipsItsOwnWeaponTypes)
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
}

TEST_F(EquipmentTest, IconNamesCoverTypes0To11Only)
{
    // Weapons 1050 and 1051 are of types 12 and -1.
    const std::pair<std::uint32_t, const char*> icons[] = {
        {1000, "itm_icon.ptx/itm02_icon"}, {1007, "itm_icon.ptx/itm09_icon"}, {1008, "itm_icon.ptx/itm10_icon"},
        {1011, "itm_icon.ptx/itm13_icon"}, {1050, ""}, {1051, ""}};
    for (const auto& [id, icon] : icons) {
        EXPECT_EQ(TWeponTable::GetIconName(id), icon) << id;
    }
}

TEST_F(EquipmentTest, TimedBonusHoldsForItsDurationThenClears)
{
    // Duration 2: in force through two updates, cleared on the third.
    TTimedFlags flags;
    const TRefPtr<TItemMean> mean = TItemMeanTable::CreateInstance(20);
    flags.Set(mean);
    EXPECT_EQ(flags.GetBonus(0), 3);
    EXPECT_EQ(flags.GetBonus(2), -1);
    flags.Tick();
    flags.Tick();
    EXPECT_TRUE(flags.IsActive());
    flags.Tick();
    EXPECT_FALSE(flags.IsActive());
    EXPECT_EQ(flags.GetBonus(0), 0);

    // Duration 0 lasts until the first update.
    TRefPtr<TItemMean> brief = TItemMeanTable::CreateInstance(20);
    brief->Duration = 0;
    flags.Set(brief);
    EXPECT_TRUE(flags.IsActive());
    flags.Tick();
    EXPECT_FALSE(flags.IsActive());

    flags.Set(TItemMeanTable::CreateInstance(20));
    flags.Reset();
    EXPECT_FALSE(flags.IsActive());
    EXPECT_EQ(flags.GetBonus(0), 0);
}

}  // namespace
