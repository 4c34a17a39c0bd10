// The seven game tables: file round trips, defaults for missing ids, duplicates, cut files,
// replace-or-merge on a second load, and damaged files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/byte_writer.h"
#include "support/fuzz.h"
#include "support/game_table_writer.h"
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
void Mark(Record& r, int mark)
{
    if constexpr (std::is_same_v<Record, TItemMeanRecord>) {
        r.HpRecover = mark;
    } else if constexpr (std::is_same_v<Record, TSvpRecord>) {
        r.MapName = "map" + std::to_string(mark);
    } else {
        r.Name = "name" + std::to_string(mark);
    }
}

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
    Mark(r, mark);
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
        const std::string path = dir_.File(name);
        qmtest::SaveBytes(path, bytes);
        return path;
    }

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
        EXPECT_EQ(Table::GetCount(), 2u);
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
    EXPECT_EQ(Table::GetCount(), 2u);
    EXPECT_EQ(MarkOf(Table::Get(2)), 20);
    EXPECT_FALSE(Table::Contains(3));

    // A count beyond the records held still keeps them.
    qmtest::TableWriter writer(true);
    qmtest::WriteRecord(writer, Sample<typename TypeParam::Record>(5, 50));
    writer.EndRecord().RecordCount(0xFFFFFFFFu);
    Table::Clear();
    Table::Load(this->Write(writer.Build()));
    EXPECT_EQ(Table::GetCount(), 1u);
    EXPECT_EQ(MarkOf(Table::Get(5)), 50);
}

TYPED_TEST(GameTableTest, SecondLoadReplacesMainTablesAndMergesEquipment)
{
    using Table = typename TypeParam::Table;
    EXPECT_EQ(Table::GetCount(), 0u);
    Table::Load(this->Write(this->Build({{1, 10}, {2, 20}}), "a.tbl"));
    Table::Load(this->Write(this->Build({{2, 21}, {4, 40}}), "b.tbl"));
    EXPECT_EQ(Table::Contains(1), TypeParam::kMerges);
    EXPECT_EQ(MarkOf(Table::Get(2)), 21);
    EXPECT_EQ(MarkOf(Table::Get(4)), 40);

    // A missing file empties a main table and leaves an equipment table as it was.
    Table::Load(this->dir_.File("missing.tbl"));
    EXPECT_EQ(Table::GetCount(), TypeParam::kMerges ? 3u : 0u);
}

TYPED_TEST(GameTableTest, ReaderKeepsFileOrderAndAnswersPastTheEnd)
{
    using Reader = TGameTableReader<typename TypeParam::Record>;
    Reader reader;
    EXPECT_TRUE(reader.Load(this->Write(this->Build({{9, 1}, {9, 2}, {4, 3}}))));
    const auto entries = reader.GetEntries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(MarkOf(entries[1]), 2);
    EXPECT_EQ(MarkOf(reader.EntryAt(2)), 3);
    EXPECT_EQ(reader.EntryAt(3).Id, typename TypeParam::Record().Id);
    reader.Clear();
    EXPECT_TRUE(reader.GetEntries().empty());
    EXPECT_FALSE(reader.Load(this->dir_.File("missing.tbl")));
}

TYPED_TEST(GameTableTest, DamagedFilesNeverCrash)
{
    using Table = typename TypeParam::Table;
    const std::vector<std::uint8_t> valid = this->Build({{1, 10}, {2, 20}, {1000, 30}});
    qmtest::FuzzOptions options;
    options.mutations = 600;
    qmtest::FuzzFile(valid, this->dir_.File("fuzz.tbl"), [](const std::string& path) { Table::Load(path); },
                     options);
}

class GameTableFileTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        TItemTable::Clear();
        TSkillTable::Clear();
        TSvpTable::Clear();
        THrdefTable::Clear();
        TWeponTable::Clear();
        TAccessoryTable::Clear();
        TItemMeanTable::Clear();
    }

    template <typename Record>
    std::string Write(const std::vector<Record>& records)
    {
        const std::string path = dir_.File("t.tbl");
        qmtest::SaveBytes(path, BuildGameTable(records));
        return path;
    }

    qmtest::TempDir dir_;
};

TEST_F(GameTableFileTest, ItemAndSkillRecordsReadEveryField)
{
    TItemRecord item;
    item.Id = 1001;
    item.Name = "ブロンズソード";
    item.Kind = 1;
    item.NoSell = 1;
    item.RingUsable = 2;
    item.Flag3 = 0xFE;
    item.BuyPrice = 1200;
    item.SellPrice = 600;
    item.MeshName = "sword01";
    item.InfoName = "info01";
    item.IconName = "icon01";
    item.Text1 = "一行目";
    item.Text2 = "";
    item.Text3 = "三行目";
    TItemTable::Load(Write(std::vector<TItemRecord>{item}));
    const TItemRecord& got = TItemTable::Get(1001);
    EXPECT_EQ(got.Name, item.Name);
    EXPECT_EQ(got.Kind, 1);
    EXPECT_EQ(got.NoSell, 1);
    EXPECT_EQ(got.RingUsable, 2);
    EXPECT_EQ(got.Flag3, 0xFE);
    EXPECT_EQ(got.BuyPrice, 1200u);
    EXPECT_EQ(got.SellPrice, 600u);
    EXPECT_EQ(got.MeshName, "sword01");
    EXPECT_EQ(got.InfoName, "info01");
    EXPECT_EQ(got.IconName, "icon01");
    EXPECT_EQ(got.Text1, "一行目");
    EXPECT_EQ(got.Text2, "");
    EXPECT_EQ(got.Text3, "三行目");

    TSkillRecord skill;
    skill.Id = 1144;
    skill.Name = "火耐性";
    skill.Type = 3;
    skill.SubKind = 15;
    skill.InfoName = "s1";
    skill.Text1 = "a";
    skill.Text2 = "b";
    skill.Text3 = "c";
    TSkillTable::Load(Write(std::vector<TSkillRecord>{skill}));
    const TSkillRecord& s = TSkillTable::Get(1144);
    EXPECT_EQ(s.Name, "火耐性");
    EXPECT_EQ(s.Type, 3);
    EXPECT_EQ(s.SubKind, 15);
    EXPECT_EQ(s.InfoName + s.Text1 + s.Text2 + s.Text3, "s1abc");
}

TEST_F(GameTableFileTest, SavePointAndHeroRecordsReadEveryField)
{
    TSvpRecord svp;
    svp.Id = 12;
    svp.MapName = "town02";
    svp.StartX = 1.5f;
    svp.StartY = -2.25f;
    svp.StartZ = 100.0f;
    svp.PlaceName = "港町";
    TSvpTable::Load(Write(std::vector<TSvpRecord>{svp}));
    const TSvpRecord& p = TSvpTable::Get(12);
    EXPECT_EQ(p.MapName, "town02");
    EXPECT_EQ(p.StartX, 1.5f);
    EXPECT_EQ(p.StartY, -2.25f);
    EXPECT_EQ(p.StartZ, 100.0f);
    EXPECT_EQ(p.PlaceName, "港町");

    THrdefRecord hero;
    hero.Id = 1;
    hero.Name = "zav";
    hero.Level = 4;
    hero.Experience = 5000;
    hero.LifeMax = 820;
    hero.MpMax = 130;
    hero.GaugeMax = 1500;
    for (int i = 0; i < 4; ++i) {
        hero.Stat[i] = 10 + i;
    }
    for (int i = 0; i < 6; ++i) {
        hero.ElementValue[i] = 0.5f + static_cast<float>(i);
        hero.Extra[i] = -i;
    }
    hero.WeaponId = 1105;
    hero.Accessory1Id = 2010;
    hero.Accessory2Id = 2011;
    hero.FaceName = "face1";
    hero.ModelName = "zav00";
    hero.TableName = "zav";
    THrdefTable::Load(Write(std::vector<THrdefRecord>{hero}));
    const THrdefRecord& h = THrdefTable::Get(1);
    EXPECT_EQ(h.Id, 1);
    EXPECT_EQ(h.Name, "zav");
    EXPECT_EQ(h.Level, 4);
    EXPECT_EQ(h.Experience, 5000);
    EXPECT_EQ(h.LifeMax, 820);
    EXPECT_EQ(h.MpMax, 130);
    EXPECT_EQ(h.GaugeMax, 1500);
    EXPECT_EQ(h.Stat[3], 13);
    EXPECT_EQ(h.ElementValue[5], 5.5f);
    EXPECT_EQ(h.WeaponId, 1105u);
    EXPECT_EQ(h.Accessory1Id, 2010u);
    EXPECT_EQ(h.Accessory2Id, 2011u);
    EXPECT_EQ(h.Extra[5], -5);
    EXPECT_EQ(h.FaceName + "/" + h.ModelName + "/" + h.TableName, "face1/zav00/zav");
}

TEST_F(GameTableFileTest, EquipmentRecordsReadEveryField)
{
    TWeponRecord wepon;
    wepon.Id = 1003;
    wepon.Name = "剣";
    wepon.Type = 11;
    wepon.Attack = 77;
    wepon.TrailLength = 1.25f;
    wepon.Element = 6;
    for (std::uint32_t i = 0; i < 10; ++i) {
        wepon.Skill[i] = 2000 + i;
    }
    wepon.MeshName = "blade";
    TWeponTable::Load(Write(std::vector<TWeponRecord>{wepon}));
    const TWeponRecord& w = TWeponTable::Get(1003);
    EXPECT_EQ(w.Type, 11);
    EXPECT_EQ(w.Attack, 77u);
    EXPECT_EQ(w.TrailLength, 1.25f);
    EXPECT_EQ(w.Element, 6u);
    EXPECT_EQ(w.Skill[0], 2000u);
    EXPECT_EQ(w.Skill[9], 2009u);
    EXPECT_EQ(w.MeshName, "blade");

    TAccessoryRecord acc;
    acc.Id = 2005;
    acc.Name = "指輪";
    acc.Flag = 3;
    acc.PhysicalDefence = -4;
    acc.MagicDefence = 9;
    acc.ElementDefence[0] = 0.25f;
    acc.ElementDefence[5] = 0.75f;
    acc.Skill[9] = 3106;
    acc.Note = "メモ";
    TAccessoryTable::Load(Write(std::vector<TAccessoryRecord>{acc}));
    const TAccessoryRecord& a = TAccessoryTable::Get(2005);
    EXPECT_EQ(a.Flag, 3);
    EXPECT_EQ(a.PhysicalDefence, -4);
    EXPECT_EQ(a.MagicDefence, 9);
    EXPECT_EQ(a.ElementDefence[0], 0.25f);
    EXPECT_EQ(a.ElementDefence[5], 0.75f);
    EXPECT_EQ(a.Skill[9], 3106u);
    EXPECT_EQ(a.Note, "メモ");

    TItemMeanRecord mean;
    mean.Id = 5;
    mean.Word1 = -1;
    mean.HpRecover = 300;
    mean.MpRecover = 40;
    mean.Bonus[0] = 1;
    mean.Bonus[3] = 4;
    mean.CurePoison = 1;
    mean.CureSilence = 6;
    mean.Cost = 250;
    mean.Duration = 600;
    TItemMeanTable::Load(Write(std::vector<TItemMeanRecord>{mean}));
    const TItemMeanRecord& m = TItemMeanTable::Get(5);
    EXPECT_EQ(m.Word1, -1);
    EXPECT_EQ(m.HpRecover, 300);
    EXPECT_EQ(m.MpRecover, 40);
    EXPECT_EQ(m.Bonus[0], 1);
    EXPECT_EQ(m.Bonus[3], 4);
    EXPECT_EQ(m.CurePoison, 1);
    EXPECT_EQ(m.CureFear, 0);
    EXPECT_EQ(m.CureSilence, 6);
    EXPECT_EQ(m.Cost, 250);
    EXPECT_EQ(m.Duration, 600);
    // 46 bytes a record, no strings.
    EXPECT_EQ(BuildGameTable(std::vector<TItemMeanRecord>{mean, mean}).size() -
                  BuildGameTable(std::vector<TItemMeanRecord>{mean}).size(),
              46u);
}

TEST_F(GameTableFileTest, MissingIdsGetDefaultRecordsAndGrowTheTable)
{
    TItemTable::Load(Write(std::vector<TItemRecord>{Sample<TItemRecord>(1, 1)}));
    const TItemRecord& item = TItemTable::Get(42);
    EXPECT_EQ(TItemTable::GetCount(), 2u);
    EXPECT_EQ(item.Id, 0u);
    EXPECT_EQ(item.Name, "");
    EXPECT_EQ(item.BuyPrice, 0u);
    EXPECT_EQ(item.SellPrice, 0u);

    const THrdefRecord& hero = THrdefTable::Get(5);
    EXPECT_EQ(hero.Id, -1);
    EXPECT_EQ(hero.Name, "名無しのヒーロー");
    EXPECT_EQ(hero.Level, 0);
    EXPECT_EQ(hero.Experience, 0);
    EXPECT_EQ(hero.LifeMax, 100);
    EXPECT_EQ(hero.MpMax, 100);
    EXPECT_EQ(hero.GaugeMax, 1000);
    for (std::int32_t stat : hero.Stat) {
        EXPECT_EQ(stat, 100);
    }
    for (float value : hero.ElementValue) {
        EXPECT_EQ(value, 1.0f);
    }
    for (std::int32_t extra : hero.Extra) {
        EXPECT_EQ(extra, 0);
    }
    EXPECT_EQ(hero.WeaponId, 1000u);
    EXPECT_EQ(hero.Accessory1Id, 2000u);
    EXPECT_EQ(hero.Accessory2Id, 2000u);

    // Equipment records of missing ids are all zero, not left to chance.
    const TWeponRecord& w = TWeponTable::Get(1999);
    EXPECT_EQ(w.Type, 0);
    EXPECT_EQ(w.Attack, 0u);
    EXPECT_EQ(w.TrailLength, 0.0f);
    EXPECT_EQ(w.Skill[5], 0u);
    const TAccessoryRecord& a = TAccessoryTable::Get(2999);
    EXPECT_EQ(a.PhysicalDefence, 0);
    EXPECT_EQ(a.ElementDefence[2], 0.0f);
    const TItemMeanRecord& m = TItemMeanTable::Get(77);
    EXPECT_EQ(m.Duration, 0);
    EXPECT_EQ(m.Bonus[1], 0);
    EXPECT_EQ(m.CureSlow, 0);
}

TEST_F(GameTableFileTest, EmptyStringFieldsReadEmpty)
{
    // A length of 1 holding only the NUL, and a length of 0.
    qmtest::TableWriter writer(true);
    writer.Number(3).Text("").Float(0.0f).Float(0.0f).Float(0.0f).Number(0).EndRecord();
    const std::string path = dir_.File("svp.tbl");
    qmtest::SaveBytes(path, writer.Build());
    TSvpTable::Load(path);
    ASSERT_TRUE(TSvpTable::Contains(3));
    EXPECT_EQ(TSvpTable::Get(3).MapName, "");
    EXPECT_EQ(TSvpTable::Get(3).PlaceName, "");
}

}  // namespace
