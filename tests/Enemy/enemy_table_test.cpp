// "enemy.tbl": round trips under both headers, the records scrambled whatever the flag, later
// records winning, lookups that add defaults, and damaged files.
#include <gtest/gtest.h>

#include <cstring>
#include <string_view>
#include <tuple>

#include "MainCode/Character/TEnemyDataTable.h"
#include "TCommon/my_error.h"
#include "formats/byte_writer.h"
#include "formats/enemy_table_writer.h"
#include "support/character_probe.h"
#include "support/fuzz.h"
#include "support/temp_dir.h"

namespace {

using qmtest::BuildEnemyTable;
using qmtest::SampleEnemyRecord;

// Every field, grouped as the record lays them out; the element rates by their bits.
void ExpectSameRecord(const TEnemyRecord& a, const TEnemyRecord& b)
{
    const auto text = [](const TEnemyRecord& r) { return std::tie(r.id, r.label, r.modelName, r.soundName); };
    const auto body = [](const TEnemyRecord& r) {
        return std::tie(r.height, r.shadowSize, r.objectFlagA, r.objectFlagB, r.gravity, r.armedByte0, r.armedByte1,
                        r.armedByte2);
    };
    const auto stats = [](const TEnemyRecord& r) {
        return std::tie(r.maxHp, r.hp, r.maxMp, r.mp, r.str, r.vit, r.intel, r.men);
    };
    const auto growth = [](const TEnemyRecord& r) {
        return std::tie(r.level, r.gainFactor, r.levelWordA, r.levelWordB, r.levelWordAPerLevel, r.levelWordBPerLevel,
                        r.strGrowth, r.vitGrowth, r.intGrowth, r.menGrowth, r.hpGrowth);
    };
    const auto loot = [](const TEnemyRecord& r) {
        return std::tie(r.lootWord0, r.money, r.item, r.dropItem, r.itemChance, r.dropChance);
    };
    EXPECT_EQ(text(a), text(b));
    EXPECT_EQ(body(a), body(b));
    EXPECT_EQ(stats(a), stats(b));
    EXPECT_EQ(growth(a), growth(b));
    EXPECT_EQ(loot(a), loot(b));
    EXPECT_EQ(std::memcmp(a.armedStats, b.armedStats, sizeof a.armedStats), 0);
}

class EnemyTableTest : public ::testing::Test {
protected:
    void SetUp() override { TCharacterProbe::ClearEnemyRecords(); }
    void TearDown() override { TCharacterProbe::ClearEnemyRecords(); }

    std::string Save(const std::vector<std::uint8_t>& bytes)
    {
        const std::string path = dir_.File("enemy.tbl");
        qmtest::SaveBytes(path, bytes);
        return path;
    }

    qmtest::TempDir dir_;
};

TEST_F(EnemyTableTest, EveryFieldRoundTripsUnderEitherHeader)
{
    TEnemyRecord odd = SampleEnemyRecord(10027);
    odd.label.clear();
    odd.soundName.clear();
    odd.item = -1;
    odd.money = -5;
    odd.gravity = -0.0F;
    odd.armedStats[5] = 3.4028235e38F;
    odd.itemChance = 1.0F;
    // The records are scrambled whatever the header's flag says.
    for (bool scrambled : {true, false}) {
        TEnemyDataTable reader;
        ASSERT_TRUE(reader.Load(Save(BuildEnemyTable({SampleEnemyRecord(0), odd}, scrambled)))) << scrambled;
        EXPECT_EQ(TCharacterProbe::IsScrambled(reader), scrambled ? 1 : 0);
        EXPECT_EQ(TCharacterProbe::Names(reader), (std::vector<std::string>{"ID", "NAME"}));
        EXPECT_EQ(TCharacterProbe::Values(reader), (std::vector<std::uint32_t>{0, 1}));
        ASSERT_EQ(reader.GetRecords().size(), 2U);
        ExpectSameRecord(reader.GetRecord(0), SampleEnemyRecord(0));
        ExpectSameRecord(reader.GetRecord(1), odd);
        // Past the end: the default record.
        EXPECT_EQ(reader.GetRecord(2).id, 0xFFFFFFFFU);
        EXPECT_EQ(reader.GetRecord(2).objectFlagB, 1);
    }
}

TEST_F(EnemyTableTest, TextStopsAtItsFirstNulAndZeroLengthReadsNothing)
{
    TEnemyRecord r = SampleEnemyRecord(8);
    r.label = std::string("ab\0cd", 5);
    r.modelName.clear();
    TEnemyDataTable reader;
    ASSERT_TRUE(reader.Load(Save(BuildEnemyTable({r}, false))));
    ASSERT_EQ(reader.GetRecords().size(), 1U);
    EXPECT_EQ(reader.GetRecord(0).label, "ab");
    // A zero length takes no text bytes: the next string is still read in step.
    EXPECT_EQ(reader.GetRecord(0).modelName, "");
    EXPECT_EQ(reader.GetRecord(0).soundName, "enemy01");
}

TEST_F(EnemyTableTest, LoadingFillsTheGlobalTableAndTheLaterDuplicateWins)
{
    TEnemyRecord first = SampleEnemyRecord(3);
    TEnemyRecord second = SampleEnemyRecord(3);
    second.maxHp = 999;
    second.modelName = "enemy02";
    LoadEnemyData(Save(BuildEnemyTable({first, SampleEnemyRecord(4), second})));
    EXPECT_EQ(TCharacterProbe::EnemyRecordCount(), 2U);
    EXPECT_EQ(TEnemyDataTable::Find(3).maxHp, 999);
    EXPECT_EQ(TEnemyDataTable::Find(3).modelName, "enemy02");
    EXPECT_EQ(TEnemyDataTable::Find(4).maxHp, 120);
}

TEST_F(EnemyTableTest, FindInsertsTheDefaultOnce)
{
    EXPECT_FALSE(TCharacterProbe::HasEnemyRecord(42));
    TEnemyRecord& a = TEnemyDataTable::Find(42);
    EXPECT_EQ(a.id, 0xFFFFFFFFU);
    EXPECT_EQ(a.objectFlagB, 1);
    EXPECT_EQ(a.objectFlagA, 0);
    EXPECT_EQ(a.maxHp, 0);
    EXPECT_TRUE(a.modelName.empty());
    a.maxHp = 5;
    EXPECT_EQ(&TEnemyDataTable::Find(42), &a);
    EXPECT_EQ(TEnemyDataTable::Find(42).maxHp, 5);
    EXPECT_EQ(TCharacterProbe::EnemyRecordCount(), 1U);
}

TEST_F(EnemyTableTest, MissingOrHeaderlessFilesThrowNamingTheFile)
{
    const std::string missing = dir_.File("none.tbl");
    try {
        LoadEnemyData(missing);
        FAIL() << "no error";
    } catch (const my_error& e) {
        EXPECT_NE(std::string(e.what()).find("none.tbl"), std::string::npos);
    }
    // Cut inside the name list.
    std::vector<std::uint8_t> bytes = BuildEnemyTable({SampleEnemyRecord(1)});
    bytes.resize(12);
    EXPECT_THROW(LoadEnemyData(Save(bytes)), my_error);
    EXPECT_EQ(TCharacterProbe::EnemyRecordCount(), 0U);
}

TEST_F(EnemyTableTest, ACutRecordListKeepsTheWholeRecordsBeforeIt)
{
    const std::vector<std::uint8_t> whole = BuildEnemyTable({SampleEnemyRecord(1), SampleEnemyRecord(2)});
    const std::vector<std::uint8_t> oneOnly = BuildEnemyTable({SampleEnemyRecord(1)});
    // Cut one byte into the second record, and one byte short of its end.
    const std::size_t oneRecordEnd = oneOnly.size();
    for (std::size_t size : {oneRecordEnd + 1, whole.size() - 1}) {
        TCharacterProbe::ClearEnemyRecords();
        std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_NO_THROW(LoadEnemyData(Save(cut)));
        EXPECT_EQ(TCharacterProbe::EnemyRecordCount(), 1U) << size;
        EXPECT_TRUE(TCharacterProbe::HasEnemyRecord(1));
    }
    // A count promising more than the file holds; no memory is set aside for it.
    qmtest::TableWriter writer(true);
    writer.Column("ID", 0);
    qmtest::WriteRecord(writer, SampleEnemyRecord(9));
    writer.EndRecord().RecordCount(0xFFFFFFFF);
    TCharacterProbe::ClearEnemyRecords();
    EXPECT_NO_THROW(LoadEnemyData(Save(writer.Build())));
    EXPECT_EQ(TCharacterProbe::EnemyRecordCount(), 1U);
    EXPECT_TRUE(TCharacterProbe::HasEnemyRecord(9));
}

TEST_F(EnemyTableTest, AnEnemyWithoutItsRecordIsRefusedNamingTheTableAndTheId)
{
    const std::vector<std::uint8_t> whole = BuildEnemyTable({SampleEnemyRecord(1), SampleEnemyRecord(2)});
    struct Row {
        std::size_t size;  // of the file, cut from the whole one
        std::uint32_t id;
        const char* refusal;  // after the path; empty: the record is there
        bool cutNamed;        // then followed by the cut
    };
    const std::string cut = "表は 2 件のうち 1 件だけ読めて、残りは切れています。";
    const Row rows[] = {
        {whole.size(), 1, "", false},
        {whole.size(), 7, " : 敵 7 の記録がありません。", false},
        {whole.size() - 1, 2, " : 敵 2 の記録がありません。", true},
    };
    for (const Row& row : rows) {
        TCharacterProbe::ClearEnemyRecords();
        LoadEnemyData(Save({whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(row.size)}));
        const std::string at = std::to_string(row.size) + " bytes, enemy " + std::to_string(row.id);
        try {
            EXPECT_EQ(TEnemyDataTable::Require(row.id).id, row.id) << at;
            EXPECT_STREQ(row.refusal, "") << at;
        } catch (const my_error& e) {
            const std::string what = e.what();
            const std::string refusal = dir_.File("enemy.tbl") + row.refusal + (row.cutNamed ? cut : "");
            EXPECT_NE(what.find(refusal), std::string::npos) << at << ": " << what;
            EXPECT_EQ(what.find("切れています") != std::string::npos, row.cutNamed) << at << ": " << what;
        }
        // Nothing is inserted for the id asked.
        EXPECT_EQ(TCharacterProbe::EnemyRecordCount(), row.size == whole.size() ? 2U : 1U) << at;
    }
}

TEST_F(EnemyTableTest, AStringLengthPastTheEndFailsTheRecord)
{
    qmtest::TableWriter writer(true);
    writer.Number(6).Number(0x7FFFFFFF).EndRecord();
    TEnemyDataTable reader;
    EXPECT_FALSE(reader.Load(Save(writer.Build())));
    EXPECT_TRUE(reader.IsHeaderRead());
    EXPECT_TRUE(reader.GetRecords().empty());
}

TEST_F(EnemyTableTest, DamagedFilesEndInTheLoadersOwnHandling)
{
    const std::vector<std::uint8_t> valid = BuildEnemyTable({SampleEnemyRecord(1), SampleEnemyRecord(2)});
    qmtest::FuzzOptions options;
    options.mutations = 1500;
    qmtest::FuzzFile(valid, dir_.File("enemy.tbl"), [](const std::string& path) {
        TCharacterProbe::ClearEnemyRecords();
        LoadEnemyData(path);
        for (std::uint32_t id : {1U, 2U}) {
            if (TCharacterProbe::HasEnemyRecord(id)) {
                (void)TEnemyDataTable::Find(id).modelName.size();
            }
        }
    }, options);
}

}  // namespace
