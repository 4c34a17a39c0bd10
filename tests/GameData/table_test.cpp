// The seven game tables: fields, defaults, duplicates, cut files, second loads, damaged files.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <typeinfo>
#include <vector>

#include "formats/byte_writer.h"
#include "support/fuzz.h"
#include "support/gamedata_probe.h"
#include "formats/game_table_writer.h"
#include "support/temp_dir.h"

namespace {

using qmtest::BuildGameTable;

// Each table with a field that tells records of one id apart.
template <typename TableT, typename RecordT, bool Merges>
struct TableCase {
    using Table = TableT;
    using Record = RecordT;
    static constexpr bool kMerges = Merges;
};

template <typename Record>
int MarkOf(const Record& r)
{
    if constexpr (std::is_same_v<Record, TItemMeanRecord>) {
        return r.HpRecover;
    } else if constexpr (std::is_same_v<Record, TSvpRecord>) {
        return r.MapName.empty() ? -1 : std::stoi(r.MapName.substr(3));
    } else {
        return r.Name.rfind("name", 0) == 0 ? std::stoi(r.Name.substr(4)) : -1;
    }
}

template <typename Record>
Record Sample(std::uint32_t id, int mark)
{
    Record r;
    r.Id = static_cast<decltype(r.Id)>(id);
    if constexpr (std::is_same_v<Record, TItemMeanRecord>) {
        r.HpRecover = mark;
    } else if constexpr (std::is_same_v<Record, TSvpRecord>) {
        r.MapName = "map" + std::to_string(mark);
    } else {
        r.Name = "name" + std::to_string(mark);
    }
    return r;
}

template <typename Case>
class GameTableTest : public ::testing::Test {
protected:
    using Table = typename Case::Table;
    using Record = typename Case::Record;

    void SetUp() override { Table::Clear(); }
    void TearDown() override { Table::Clear(); }

    std::string Write(const std::vector<std::uint8_t>& bytes, const std::string& name = "table.tbl")
    {
        qmtest::SaveBytes(dir_.File(name), bytes);
        return dir_.File(name);
    }

    // Records of {id, mark}.
    std::vector<std::uint8_t> Build(const std::vector<std::pair<std::uint32_t, int>>& records, bool scrambled = true)
    {
        std::vector<Record> list;
        for (const auto& [id, mark] : records) {
            list.push_back(Sample<Record>(id, mark));
        }
        return BuildGameTable(list, scrambled);
    }

    qmtest::TempDir dir_;
};

using TableCases =
    ::testing::Types<TableCase<TItemTable, TItemRecord, false>, TableCase<TSkillTable, TSkillRecord, false>,
                     TableCase<TSvpTable, TSvpRecord, false>, TableCase<THrdefTable, THrdefRecord, false>,
                     TableCase<TWeponTable, TWeponRecord, true>, TableCase<TAccessoryTable, TAccessoryRecord, true>,
                     TableCase<TItemMeanTable, TItemMeanRecord, true>>;
TYPED_TEST_SUITE(GameTableTest, TableCases);

TYPED_TEST(GameTableTest, LaterDuplicateWinsWithEitherHeaderFlag)
{
    using Table = typename TypeParam::Table;
    for (bool scrambled : {false, true}) {
        Table::Clear();
        Table::Load(this->Write(this->Build({{7, 1}, {3, 2}, {7, 3}}, scrambled)));
        EXPECT_EQ(TGameDataProbe::Count<Table>(), 2u);
        EXPECT_EQ(MarkOf(Table::Get(7)), 3) << scrambled;
        EXPECT_EQ(MarkOf(Table::Get(3)), 2) << scrambled;
    }
}

TYPED_TEST(GameTableTest, CutRecordIsDroppedAndTheOnesBeforeItStay)
{
    using Table = typename TypeParam::Table;
    std::vector<std::uint8_t> bytes = this->Build({{1, 10}, {2, 20}, {3, 30}});
    bytes.pop_back();
    Table::Load(this->Write(bytes));
    EXPECT_EQ(TGameDataProbe::Count<Table>(), 2u);
    EXPECT_EQ(MarkOf(Table::Get(2)), 20);
    EXPECT_FALSE(Table::Contains(3));

}

TYPED_TEST(GameTableTest, SecondLoadReplacesMainTablesAndMergesEquipment)
{
    using Table = typename TypeParam::Table;
    EXPECT_EQ(TGameDataProbe::Count<Table>(), 0u);
    Table::Load(this->Write(this->Build({{1, 10}, {2, 20}}), "a.tbl"));
    Table::Load(this->Write(this->Build({{2, 21}, {4, 40}}), "b.tbl"));
    EXPECT_EQ(Table::Contains(1), TypeParam::kMerges);
    EXPECT_EQ(MarkOf(Table::Get(2)), 21);
    EXPECT_EQ(MarkOf(Table::Get(4)), 40);

    // A missing file empties a main table and leaves an equipment table as it was.
    Table::Load(this->dir_.File("missing.tbl"));
    EXPECT_EQ(TGameDataProbe::Count<Table>(), TypeParam::kMerges ? 3u : 0u);
}

TYPED_TEST(GameTableTest, DamagedFilesNeverCrashUnderSanitizers)
{
    using Table = typename TypeParam::Table;
    const std::vector<std::uint8_t> valid = this->Build({{1, 10}, {2, 20}, {1000, 30}});
    qmtest::FuzzOptions options;
    options.mutations = 600;
    qmtest::FuzzFile(valid, this->dir_.File("fuzz.tbl"), [](const std::string& path) { Table::Load(path); },
                     options);
}

void ClearAllTables()
{
    TItemTable::Clear();
    TSkillTable::Clear();
    TSvpTable::Clear();
    THrdefTable::Clear();
    TWeponTable::Clear();
    TAccessoryTable::Clear();
    TItemMeanTable::Clear();
}

class GameTableFileTest : public ::testing::Test {
protected:
    void TearDown() override { ClearAllTables(); }

    // A one-record file as the game's tools write it.
    static qmtest::TableWriter File()
    {
        qmtest::TableWriter writer(true);
        writer.Column("ID", 0).Column("NAME", 1);
        return writer;
    }

    // Loads the record and writes back what was read: every field must come out as it went in.
    template <typename Table>
    void ExpectReadBack(std::uint32_t id, qmtest::TableWriter& file)
    {
        const std::vector<std::uint8_t> bytes = file.EndRecord().Build();
        qmtest::SaveBytes(dir_.File("t.tbl"), bytes);
        Table::Load(dir_.File("t.tbl"));
        ASSERT_TRUE(Table::Contains(id)) << typeid(Table).name();
        using Record = std::decay_t<decltype(Table::Get(id))>;
        EXPECT_EQ(BuildGameTable(std::vector<Record>{Table::Get(id)}), bytes) << typeid(Table).name();
    }

    qmtest::TempDir dir_;
};

TEST_F(GameTableFileTest, EveryFieldOfEveryRecordIsRead)
{
    ExpectReadBack<TItemTable>(1001, File().Number(1001).Text("ブロンズソード").Byte(1).Byte(1).Byte(2).Byte(0xFE)
                                         .Number(1200).Number(600).Text("sword01").Text("info01").Text("icon01")
                                         .Text("一行目").Text("").Text("三行目"));
    ExpectReadBack<TSkillTable>(
        1144, File().Number(1144).Text("火耐性").Byte(3).Byte(15).Text("s1").Text("a").Text("b").Text("c"));
    ExpectReadBack<TSvpTable>(12, File().Number(12).Text("town02").Float(1.5f).Float(-2.25f).Float(100.0f).Text("港町"));
    ExpectReadBack<THrdefTable>(1, File().Int(1).Text("zav").Int(4).Int(5000).Int(820).Int(130).Int(1500)
                                       .Int(10).Int(11).Int(12).Int(13)
                                       .Float(0.5f).Float(1.5f).Float(2.5f).Float(3.5f).Float(4.5f).Float(5.5f)
                                       .Number(1105).Number(2010).Number(2011)
                                       .Int(0).Int(-1).Int(-2).Int(-3).Int(-4).Int(-5)
                                       .Text("face1").Text("zav00").Text("zav"));
    ExpectReadBack<TWeponTable>(1003, File().Number(1003).Text("剣").Int(11).Number(77).Float(1.25f).Number(6)
                                          .Number(2000).Number(2001).Number(2002).Number(2003).Number(2004)
                                          .Number(2005).Number(2006).Number(2007).Number(2008).Number(2009)
                                          .Text("blade"));
    ExpectReadBack<TAccessoryTable>(2005, File().Number(2005).Text("指輪").Byte(3).Int(-4).Int(9)
                                              .Float(0.25f).Float(0).Float(0).Float(0).Float(0).Float(0.75f)
                                              .Number(3100).Number(0).Number(0).Number(0).Number(0)
                                              .Number(0).Number(0).Number(0).Number(0).Number(3106).Text("メモ"));
    ExpectReadBack<TItemMeanTable>(5, File().Number(5).Int(-1).Int(300).Int(40).Int(1).Int(2).Int(3).Int(4)
                                          .Byte(1).Byte(2).Byte(3).Byte(4).Byte(5).Byte(6).Int(250).Int(600));

}

TEST_F(GameTableFileTest, MissingIdsGetDefaultRecordsAndGrowTheTable)
{
    qmtest::SaveBytes(dir_.File("t.tbl"), BuildGameTable(std::vector<TItemRecord>{Sample<TItemRecord>(1, 1)}));
    TItemTable::Load(dir_.File("t.tbl"));
    const TItemRecord& item = TItemTable::Get(42);
    EXPECT_EQ(TGameDataProbe::Count<TItemTable>(), 2u);
    EXPECT_EQ(item.Id, 0u);
    EXPECT_EQ(item.BuyPrice, 0u);

    const THrdefRecord& hero = THrdefTable::Get(5);
    EXPECT_EQ(hero.Name, "名無しのヒーロー");
    EXPECT_EQ((std::vector<double>{static_cast<double>(hero.Id), static_cast<double>(hero.Level),
                                   static_cast<double>(hero.Experience), static_cast<double>(hero.LifeMax),
                                   static_cast<double>(hero.MpMax), static_cast<double>(hero.GaugeMax),
                                   static_cast<double>(hero.WeaponId), static_cast<double>(hero.Accessory1Id),
                                   static_cast<double>(hero.Accessory2Id)}),
              (std::vector<double>{-1, 0, 0, 100, 100, 1000, 1000, 2000, 2000}));
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(std::make_tuple(hero.Stat[i % 4], hero.ElementValue[i], hero.Extra[i]), std::make_tuple(100, 1.0f, 0))
            << i;
    }

    // Equipment records of missing ids are all zero, not left to chance.
    const TWeponRecord& w = TWeponTable::Get(1999);
    const TAccessoryRecord& a = TAccessoryTable::Get(2999);
    const TItemMeanRecord& m = TItemMeanTable::Get(77);
    EXPECT_EQ((std::vector<double>{static_cast<double>(w.Type), static_cast<double>(w.Attack), w.TrailLength,
                                   static_cast<double>(w.Skill[5]), static_cast<double>(a.PhysicalDefence),
                                   a.ElementDefence[2], static_cast<double>(m.Duration), static_cast<double>(m.Bonus[1]),
                                   static_cast<double>(m.CureSlow)}),
              std::vector<double>(9, 0.0));
}

}  // namespace
