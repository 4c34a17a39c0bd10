// A file opened for reading is read ahead a block at a time: what a reader sees, where it stands
// and what the system's handle says stay as they were when every read went to the system.
#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <string>
#include <vector>

#include "TCommon/TByteReader.h"
#include "TCommon/TFile.h"
#include "formats/byte_writer.h"
#include "platform/testing/win32.h"
#include "support/temp_dir.h"

namespace {

// 150,000 bytes: two whole blocks and a part; byte i holds i * 7 mod 251.
std::string Pattern(qmtest::TempDir& dir)
{
    std::string bytes(150000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * 7 % 251);
    }
    const std::string path = dir.File("pattern.bin");
    qmtest::ByteWriter().Bytes(bytes.data(), bytes.size()).Save(path);
    return path;
}

std::uint8_t At(std::uint32_t i) { return static_cast<std::uint8_t>(i * 7 % 251); }

struct Step {
    const char* what;
    std::int32_t move;      // -1: no move
    std::uint32_t method;
    std::uint32_t read;     // bytes asked for
    bool ok;
    std::uint32_t first;    // where the bytes read start
    std::uint32_t after;    // Tell() afterwards
};

// Each step's move, then its read: the bytes read and the position after.
void RunSteps(TFile& file, const std::vector<Step>& steps, std::uint8_t* b)
{
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        if (s.move != -1) {
            ASSERT_TRUE(file.SetPointer(s.move, s.method));
        }
        EXPECT_EQ(file.Read(b, s.read), s.ok);
        const std::uint32_t got = s.after - s.first;
        if (s.ok || got > 0) {
            for (std::uint32_t i = 0; i < got; ++i) {
                ASSERT_EQ(b[i], At(s.first + i)) << i;
            }
        }
        EXPECT_EQ(file.Tell(), s.after);
    }
}

TEST(TFileBlocks, ReadsSeeksAndCutEndsAsTheSystemWould)
{
    qmtest::TempDir dir;
    TFile file(Pattern(dir));
    ASSERT_TRUE(file.Open(true, GENERIC_READ));
    std::uint8_t b[70000];
    const std::vector<Step> steps = {
        {"a field at the start", -1, 0, 4, true, 0, 4},
        {"across the first block's end", 65530, FILE_BEGIN, 12, true, 65530, 65542},
        {"back inside the block held", -10, FILE_CURRENT, 2, true, 65532, 65534},
        {"a block and more at once", 100, FILE_BEGIN, 70000, true, 100, 70100},
        {"to the last byte", 149999, FILE_BEGIN, 1, true, 149999, 150000},
        {"past a cut end: what is left, then false", 149990, FILE_BEGIN, 20, false, 149990, 150000},
        {"from the end", -3, FILE_END, 3, true, 149997, 150000},
        {"nothing read at the end", -1, 0, 1, false, 150000, 150000},
    };
    RunSteps(file, steps, b);
    // A move before the start fails and leaves the position.
    ASSERT_TRUE(file.Seek(70000));
    ASSERT_TRUE(file.Read(b, 1));
    EXPECT_FALSE(file.SetPointer(-80000, FILE_CURRENT));
    EXPECT_EQ(file.Tell(), 70001u);
    // The handle, asked for, stands where the reads are.
    EXPECT_EQ(SetFilePointer(file.GetHandle(), 0, nullptr, FILE_CURRENT), 70001u);
    DWORD read = 0;
    ASSERT_TRUE(ReadFile(file.GetHandle(), b, 1, &read, nullptr));
    EXPECT_EQ(b[0], At(70001));
    EXPECT_EQ(file.Tell(), 70002u);
}

// A block read ahead from byte 100 on: relative moves inside it count from where the reads are in
// the file, not from the block's own start.
TEST(TFileBlocks, RelativeMovesInsideABlockThatStartsInsideTheFile)
{
    qmtest::TempDir dir;
    TFile file(Pattern(dir));
    ASSERT_TRUE(file.Open(true, GENERIC_READ));
    std::uint8_t b[16];
    RunSteps(file,
             {
                 {"a block from byte 100", 100, FILE_BEGIN, 4, true, 100, 104},
                 {"200 on", 200, FILE_CURRENT, 1, true, 304, 305},
                 {"5 back", -5, FILE_CURRENT, 2, true, 300, 302},
                 {"to where the reads are", 0, FILE_CURRENT, 3, true, 302, 305},
             },
             b);
    const long before = platform::FileCalls().reads;
    EXPECT_TRUE(file.Skip(1000));
    EXPECT_TRUE(file.Read(b, 1));
    EXPECT_EQ(b[0], At(1305));
    EXPECT_EQ(platform::FileCalls().reads - before, 0) << "still the block held";
}

// A reader of a file asks the system for a block at a time, 4 KiB first and each next one twice the
// last up to 64 KiB: the reads a file of each size takes, read field by field to its end, at the
// sizes where one more is needed.
TEST(TFileBlocks, AFieldByFieldReaderAsksTheSystemInGrowingBlocks)
{
    const struct {
        std::size_t size;
        long reads;
    } cases[] = {
        {1, 1},         {4096, 1},      {4097, 2},      {12288, 2},     {12289, 3},
        {28672, 3},     {28673, 4},     {61440, 4},     {61441, 5},     {126976, 5},
        {126977, 6},    {150000, 6},    {192512, 6},    {192513, 7},
    };
    qmtest::TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        std::vector<std::uint8_t> bytes(c.size);
        for (std::size_t i = 0; i < c.size; ++i) {
            bytes[i] = At(static_cast<std::uint32_t>(i));
        }
        qmtest::SaveBytes(dir.File("sized.bin"), bytes);
        TFile file(dir.File("sized.bin"));
        ASSERT_TRUE(file.Open(true, GENERIC_READ));
        const platform::FileCallCounts before = platform::FileCalls();
        TByteReader in(file);
        std::uint8_t v = 0;
        std::size_t fields = 0;
        while (in.U8(v)) {
            ASSERT_EQ(v, At(static_cast<std::uint32_t>(fields)));
            ++fields;
        }
        EXPECT_EQ(fields, c.size);
        EXPECT_EQ(platform::FileCalls().reads - before.reads, c.reads);
        EXPECT_EQ(platform::FileCalls().bytes - before.bytes, static_cast<long long>(c.size));
    }
}

// A read of 64 KiB or more takes what the reader holds and asks the system for the rest straight
// into place, no byte read twice; a seek inside the block held reads nothing, one outside it reads
// there. Once the reader has gone, the file stands where it stopped.
TEST(TFileBlocks, LargeReadsGoStraightAndSeeksInsideTheBlockReadNothing)
{
    qmtest::TempDir dir;
    TFile file(Pattern(dir));
    ASSERT_TRUE(file.Open(true, GENERIC_READ));
    const platform::FileCallCounts start = platform::FileCalls();
    const auto reads = [&] { return platform::FileCalls().reads - start.reads; };
    const auto bytes = [&] { return platform::FileCalls().bytes - start.bytes; };
    {
        TByteReader in(file);
        std::uint8_t v = 0;
        ASSERT_TRUE(in.U8(v));
        EXPECT_EQ(std::make_pair(reads(), bytes()), std::make_pair(1L, 4096LL));
        ASSERT_TRUE(in.Seek(4000) && in.U8(v));
        EXPECT_EQ(v, At(4000));
        ASSERT_TRUE(in.Seek(4) && in.U8(v));
        EXPECT_EQ(v, At(4));
        EXPECT_EQ(reads(), 1);
        // 4,091 bytes held, 95,909 from the system.
        std::vector<std::uint8_t> large;
        ASSERT_TRUE(in.Block(large, 100000));
        for (std::uint32_t i = 0; i < large.size(); ++i) {
            ASSERT_EQ(large[i], At(5 + i)) << i;
        }
        EXPECT_EQ(std::make_pair(reads(), bytes()), std::make_pair(2L, 100005LL));
        // The next block is the second size.
        ASSERT_TRUE(in.U8(v));
        EXPECT_EQ(v, At(100005));
        EXPECT_EQ(std::make_pair(reads(), bytes()), std::make_pair(3L, 100005LL + 8192));
        ASSERT_TRUE(in.Seek(3) && in.U8(v));
        EXPECT_EQ(v, At(3));
        EXPECT_EQ(reads(), 4);
    }
    EXPECT_EQ(file.Tell(), 4u);
    EXPECT_EQ(SetFilePointer(file.GetHandle(), 0, nullptr, FILE_CURRENT), 4u);
}

}  // namespace
