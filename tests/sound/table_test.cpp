#include <gtest/gtest.h>

#include <sys/stat.h>

#include "TCommon/TFile.h"
#include "dx/dx8/sound/TSoundListReader.h"
#include "dx/dx8/sound/TSoundTableReader.h"
#include "formats/byte_writer.h"
#include "formats/table_writer.h"
#include "support/temp_dir.h"

namespace {

using qmtest::BuildSoundList;
using qmtest::BuildSoundTable;
using qmtest::TableWriter;

class TableFileTest : public ::testing::Test {
protected:
    std::string Write(const std::vector<std::uint8_t>& bytes, const std::string& name = "se.tbl")
    {
        const std::string path = dir_.File(name);
        qmtest::SaveBytes(path, bytes);
        return path;
    }

    qmtest::TempDir dir_;
};

TEST_F(TableFileTest, SoundTableReadsWithPlainAndScrambledHeaders)
{
    const std::vector<std::pair<std::uint32_t, std::string>> records = {
        {10, "se_hit01"}, {3, "システム/決定"}, {0xFFFFFFFFu, ""}};
    for (bool scrambled : {false, true}) {
        TSoundTableReader reader;
        ASSERT_TRUE(reader.Load(Write(BuildSoundTable(records, scrambled)))) << scrambled;
        const std::vector<TSoundTableEntry> entries = reader.GetEntries();
        ASSERT_EQ(entries.size(), 3u);
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(entries[i].id, records[i].first);
            EXPECT_EQ(entries[i].name, records[i].second);
        }
        EXPECT_EQ(reader.EntryAt(3).name, "");
    }
}

TEST_F(TableFileTest, ALoadReplacesTheContentsAllOrNothing)
{
    const std::vector<std::uint8_t> whole = BuildSoundTable({{1, "one"}, {2, "two"}, {3, "three"}});
    const std::string wholePath = Write(whole, "whole.tbl");
    // Cut inside the last name.
    std::vector<std::uint8_t> cut(whole.begin(), whole.end() - 3);
    TSoundTableReader reader;
    ASSERT_TRUE(reader.Load(wholePath));
    ASSERT_TRUE(reader.Load(Write(BuildSoundTable({{7, "seven"}, {8, "eight"}}), "two.tbl")));
    ASSERT_EQ(reader.GetEntries().size(), 2u);
    EXPECT_EQ(reader.EntryAt(0).id, 7u);
    EXPECT_FALSE(reader.Load(Write(cut)));
    EXPECT_TRUE(reader.GetEntries().empty());

    ASSERT_TRUE(reader.Load(wholePath));
    EXPECT_FALSE(reader.Load(dir_.File("missing.tbl")));
    EXPECT_TRUE(reader.GetEntries().empty());

    // A record count that the bytes left cannot hold fails at once.
    TableWriter table(true);
    table.Number(1).Text("a").EndRecord().RecordCount(0x10000000u);
    EXPECT_FALSE(reader.Load(Write(table.Build())));
    EXPECT_TRUE(reader.GetEntries().empty());

    TableWriter good(false);
    good.Number(5).EndRecord().Number(6).EndRecord().Number(4).EndRecord();
    TableWriter list(false);
    list.Number(9).EndRecord().Number(8).EndRecord().RecordCount(3);
    TSoundListReader ids;
    ASSERT_TRUE(ids.Load(Write(good.Build(), "good.tbl")));
    ASSERT_TRUE(ids.Load(Write(good.Build(), "good.tbl")));
    EXPECT_EQ(ids.GetEntries(), (std::vector<std::uint32_t>{5, 6, 4}));
    EXPECT_FALSE(ids.Load(Write(list.Build(), "list.tbl")));
    EXPECT_TRUE(ids.GetEntries().empty());

    // A column count or a name length beyond the end.
    qmtest::ByteWriter columns;
    columns.U8(0).U32(0).U32(0x7FFFFFFF);
    EXPECT_FALSE(reader.Load(Write(columns.Data())));
    qmtest::ByteWriter name;
    name.U8(0).U32(0).U32(1).U32(0xFFFFFFF0u).Bytes("abc");
    EXPECT_FALSE(reader.Load(Write(name.Data())));
}

TEST_F(TableFileTest, TablesOpenReadOnlyAndShareWithOtherReaders)
{
    const std::string path = Write(BuildSoundList({5, 6, 5}));
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);  // a data file without write permission
    TFile other(path);
    ASSERT_TRUE(other.Open(true, GENERIC_READ));  // and another reader has it open
    TSoundListReader reader;
    ASSERT_TRUE(reader.Load(path));
    EXPECT_EQ(reader.GetEntries(), (std::vector<std::uint32_t>{5, 6, 5}));
    EXPECT_EQ(reader.EntryAt(3), 0u);
}

}  // namespace
