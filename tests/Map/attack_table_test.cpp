// The attack table and its ".bht" reader: empty and missing files, ids read twice, the default id-0
// record, scrambled headers, cut files, and names that lie about their length.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "MainCode/Map/TAttackTable.h"
#include "MainCode/Map/TAttackTableFile.h"
#include "support/alloc_probe.h"
#include "formats/bht_writer.h"
#include "formats/byte_writer.h"
#include "formats/table_writer.h"
#include "support/map_probe.h"
#include "support/temp_dir.h"

namespace {

using qmtest::BhtFile;

// Every field different from the defaults and from the other records.
TAttackRecord Record(std::uint32_t id, std::uint32_t seed)
{
    TAttackRecord r;
    r.Id = id;
    r.Kind = seed % 3;
    r.CancelMask = seed + 1;
    r.Placement = seed + 2;
    r.Lifetime = seed + 3;
    r.Offset[0] = seed + 0.25F;
    r.Offset[1] = -0.5F;
    r.Offset[2] = seed + 0.75F;
    r.Interval = -static_cast<std::int32_t>(seed) - 4;
    r.Flags = seed + 5;
    r.Element = seed + 6;
    r.Param3 = seed + 7;
    r.HitCount = seed + 8;
    r.DamageFactor = seed + 1.5F;
    r.Radius = seed + 2.5F;
    r.ValueA = seed + 3.5F;
    r.KnockTime = seed + 4.5F;
    r.LaunchSpeed = seed + 0.125F;
    r.Param8 = static_cast<std::int32_t>(seed) + 9;
    return r;
}

bool Same(const TAttackRecord& a, const TAttackRecord& b)
{
    return qmtest::AttackRecordBytes(a) == qmtest::AttackRecordBytes(b);
}

class AttackTable : public ::testing::Test {
protected:
    void SetUp() override
    {
        TAttackTable::Clear();
        TAttackTable::SetDirectory(dir_.Path().string() + "/");
    }
    void TearDown() override
    {
        TAttackTable::Clear();
        TAttackTable::SetDirectory("");
    }
    void Save(const std::vector<std::uint8_t>& bytes, const std::string& name = "basic.bht")
    {
        qmtest::SaveBytes(dir_.File(name), bytes);
    }

    qmtest::TempDir dir_;
};

TEST_F(AttackTable, EmptyMissingAndRepeatedIds)
{
    BhtFile file;
    file.records = {Record(3, 1), Record(7, 2), Record(3, 3)};
    Save(file.Build());
    TAttackTable::Load("basic.bht");
    ASSERT_EQ(TMapProbe::AttackCount(), 2u);
    EXPECT_TRUE(Same(TAttackTable::Get(3), Record(3, 3)));  // the later record stays
    EXPECT_TRUE(Same(TAttackTable::Get(7), Record(7, 2)));

    // Nine bytes: no names, no records. A new load empties the table first.
    BhtFile empty;
    empty.columns.clear();
    ASSERT_EQ(empty.Build().size(), 9u);
    Save(empty.Build(), "empty.bht");
    TAttackTable::Load("empty.bht");
    EXPECT_EQ(TMapProbe::AttackCount(), 0u);

    Save(file.Build());
    TAttackTable::Load("basic.bht");
    TAttackTable::Load("missing.bht");
    EXPECT_EQ(TMapProbe::AttackCount(), 0u);
}

TEST_F(AttackTable, MissedIdGivesTheIdZeroRecord)
{
    // None loaded: the defaults, and an id-0 entry from then on.
    const TAttackRecord& fallback = TAttackTable::Get(42);
    EXPECT_TRUE(Same(fallback, TAttackRecord()));
    EXPECT_EQ(std::make_tuple(fallback.Kind, fallback.Lifetime, fallback.Radius, fallback.Interval, fallback.Param8),
              std::make_tuple(0u, 1u, 0.5F, 10, -1));
    EXPECT_TRUE(TMapProbe::HasAttack(0) && !TMapProbe::HasAttack(42));
    EXPECT_EQ(&TAttackTable::Get(0), &fallback);

    BhtFile file;
    file.records = {Record(0, 4), Record(1, 5)};
    Save(file.Build());
    TAttackTable::Load("basic.bht");
    EXPECT_TRUE(Same(TAttackTable::Get(0xFFFFFFFFu), Record(0, 4)));
    EXPECT_TRUE(Same(TAttackTable::Get(1), Record(1, 5)));
    EXPECT_EQ(TMapProbe::AttackCount(), 2u);
}

TEST_F(AttackTable, ScrambledHeaderLoadsAsItsPlainTwin)
{
    BhtFile plain;
    plain.columns = {{"ID", 0}, {"名前", 0x12345678u}, {"", 7}};
    plain.records = {Record(10, 1), Record(11, 2), Record(12, 3)};
    BhtFile scrambled = plain;
    scrambled.scrambled = true;
    ASSERT_NE(plain.Build(), scrambled.Build());

    for (const BhtFile* f : {&plain, &scrambled}) {
        Save(f->Build(), "t.bht");
        TAttackTableFile reader;
        ASSERT_TRUE(reader.Load(dir_.File("t.bht")));
        EXPECT_EQ(TMapProbe::IsScrambled(reader), f->scrambled ? 1 : 0);
        EXPECT_EQ(TMapProbe::Names(reader), (std::vector<std::string>{"ID", "名前", ""}));
        EXPECT_EQ(TMapProbe::Values(reader), (std::vector<std::uint32_t>{0, 0x12345678u, 7}));
        ASSERT_EQ(reader.CopyRecords().size(), 3u);
        // Both ends of the record list, and one past it.
        EXPECT_TRUE(Same(reader.GetRecord(0), Record(10, 1)));
        EXPECT_TRUE(Same(reader.GetRecord(2), Record(12, 3)));
        EXPECT_TRUE(Same(reader.GetRecord(3), TAttackRecord()));
        reader.Clear();
        EXPECT_TRUE(TMapProbe::RecordCount(reader) == 0u && reader.CopyRecords().empty() && TMapProbe::Names(reader).empty());
    }
}

TEST_F(AttackTable, CutFilesAndCountsThatLie)
{
    BhtFile file;
    file.records = {Record(1, 1), Record(2, 2), Record(3, 3)};
    const std::vector<std::uint8_t> whole = file.Build();
    // Cut one byte into the last record, and one byte short of it.
    for (std::size_t cut : {whole.size() - 1, whole.size() - TAttackRecord::kFileSize + 1}) {
        Save(std::vector<std::uint8_t>(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)));
        TAttackTableFile reader;
        EXPECT_FALSE(reader.Load(dir_.File("basic.bht")));
        EXPECT_EQ(reader.CopyRecords().size(), 2u);
        TAttackTable::Load("basic.bht");
        EXPECT_EQ(TMapProbe::AttackCount(), 2u);
        EXPECT_FALSE(TMapProbe::HasAttack(3));
    }
    // Exactly the records the count asks for, and a count beyond the file that reserves nothing.
    Save(whole);
    TAttackTable::Load("basic.bht");
    EXPECT_EQ(TMapProbe::AttackCount(), 3u);
    file.recordCount = 0x7FFFFFFF;
    Save(file.Build());
    {
        qmtest::AllocationProbe probe;
        TAttackTable::Load("basic.bht");
        if (qmtest::AllocationProbe::Available()) {
            EXPECT_LT(probe.Largest(), 4096u);
        }
    }
    EXPECT_EQ(TMapProbe::AttackCount(), 3u);
    // A count of 2 leaves the third record unread.
    file.recordCount = 2;
    Save(file.Build());
    TAttackTable::Load("basic.bht");
    EXPECT_EQ(TMapProbe::AttackCount(), 2u);
}

TEST_F(AttackTable, NameLengthsAreBoundedByTheFile)
{
    const std::vector<std::uint8_t> record = qmtest::AttackRecordBytes(Record(5, 1));
    auto header = [](bool scrambled, std::uint32_t nameLength, const std::vector<std::uint8_t>& text) {
        qmtest::ByteWriter w;
        auto number = [&](std::uint32_t v) {
            std::vector<std::uint8_t> b{static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                                        static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
            if (scrambled) {
                b = qmtest::ScrambleField(b, 0);
            }
            w.Bytes(b.data(), b.size());
        };
        w.U8(scrambled ? 1 : 0);
        for (std::uint32_t v : {1u, 1u, nameLength}) {
            number(v);
        }
        const std::vector<std::uint8_t> t = scrambled ? qmtest::ScrambleField(text, 4) : text;
        w.Bytes(t.data(), t.size());
        number(9);
        return w.Data();
    };
    // A scrambled name of no bytes is "".
    std::vector<std::uint8_t> bytes = header(true, 0, {});
    bytes.insert(bytes.end(), record.begin(), record.end());
    Save(bytes);
    TAttackTableFile reader;
    ASSERT_TRUE(reader.Load(dir_.File("basic.bht")));
    EXPECT_EQ(TMapProbe::Names(reader), std::vector<std::string>{""});
    EXPECT_EQ(reader.CopyRecords().size(), 1u);

    // A length one past the end, or far past it, fails before anything is allocated, plain or
    // scrambled.
    for (bool scrambled : {false, true}) {
        const std::uint32_t left = 4 + TAttackRecord::kFileSize;  // the value and the record
        for (std::uint32_t length : {left + 1, 0xFFFFFFF0u}) {
            std::vector<std::uint8_t> lies = header(scrambled, length, {});
            lies.insert(lies.end(), record.begin(), record.end());
            Save(lies);
            qmtest::AllocationProbe probe;
            TAttackTableFile bad;
            EXPECT_FALSE(bad.Load(dir_.File("basic.bht"))) << scrambled << " " << length;
            if (qmtest::AllocationProbe::Available()) {
                EXPECT_LT(probe.Largest(), 4096u);
            }
            TAttackTable::Load("basic.bht");
            EXPECT_EQ(TMapProbe::AttackCount(), 0u) << scrambled;
        }
    }
    // A name whose text holds a NUL ends there.
    std::vector<std::uint8_t> named = header(true, 4, {'a', 0, 'b', 0});
    named.insert(named.end(), record.begin(), record.end());
    Save(named);
    TAttackTableFile withName;
    ASSERT_TRUE(withName.Load(dir_.File("basic.bht")));
    EXPECT_EQ(TMapProbe::Names(withName), std::vector<std::string>{"a"});
}

}  // namespace
