// The one reader of binary files, at the ends of its bytes, from memory and from a file.
#include <gtest/gtest.h>

#include <thread>
#include <tuple>

#include "TCommon/TByteReader.h"
#include "TCommon/TFile.h"
#include "support/alloc_probe.h"
#include "formats/byte_writer.h"
#include "platform/testing/win32.h"
#include "support/temp_dir.h"

namespace {

std::vector<std::uint8_t> Sample()
{
    // u16 0x0201, u32 0x06050403, a string of 3 bytes "ab\0", then 0xFF 0x7F.
    return qmtest::ByteWriter().U16(0x0201).U32(0x06050403).U32(3).Bytes(std::string("ab\0", 3)).U8(0xFF).U8(0x7F).Data();
}

// The same checks whether the bytes come from memory or from a file.
void ExpectFieldsAndEnds(TByteReader& in)
{
    std::uint16_t a = 0;
    std::uint32_t b = 0;
    std::string text;
    ASSERT_EQ(in.Left(), 15u);
    EXPECT_TRUE(in.U16(a) && in.U32(b) && in.String(text));
    EXPECT_EQ(std::make_tuple(a, b, text), std::make_tuple(std::uint16_t{0x0201}, 0x06050403u, std::string("ab")));
    // Two bytes are left.
    EXPECT_TRUE(in.Fits(2, 1) && in.Fits(1, 2) && in.Fits(0xFFFFFFFFu, 0));
    EXPECT_FALSE(in.Fits(3, 1) || in.Fits(1, 3));
    // A u32 with two bytes left fails, leaves the value alone and ends the reading.
    b = 77;
    EXPECT_FALSE(in.U32(b));
    EXPECT_EQ(b, 77u);
    EXPECT_EQ(in.Left(), 0u);
    std::uint8_t c = 0;
    EXPECT_FALSE(in.U8(c));

    // Seek to the very end is allowed, one past it is not.
    EXPECT_TRUE(in.Seek(15));
    EXPECT_FALSE(in.Seek(16));
    EXPECT_TRUE(in.Seek(13));
    EXPECT_TRUE(in.Skip(1));
    EXPECT_TRUE(in.U8(c));
    EXPECT_EQ(c, 0x7F);
    EXPECT_TRUE(in.Seek(13));
    EXPECT_FALSE(in.Skip(3));
    EXPECT_EQ(in.Left(), 0u);
}

TEST(TByteReader, FieldsAndBothEndsFromMemoryAndFromAFile)
{
    const std::vector<std::uint8_t> bytes = Sample();
    TByteReader memory(bytes, "mem");
    ExpectFieldsAndEnds(memory);
    EXPECT_EQ(memory.Name(), "mem");

    qmtest::TempDir dir;
    // The file reader starts where the file stands; nested readers share one position.
    std::vector<std::uint8_t> withHeader = {9, 9, 9};
    withHeader.insert(withHeader.end(), bytes.begin(), bytes.end());
    qmtest::SaveBytes(dir.File("f.bin"), withHeader);
    TFile file(dir.File("f.bin"));
    ASSERT_TRUE(file.Open(true, GENERIC_READ));
    ASSERT_TRUE(file.Seek(3));
    TByteReader in(file);
    EXPECT_EQ(in.Name(), dir.File("f.bin"));
    ExpectFieldsAndEnds(in);
    // Made at the file's end it has nothing to read, and a failed read leaves the file there.
    TByteReader atEnd(file);
    std::uint8_t c = 0;
    EXPECT_FALSE(atEnd.U8(c));
    EXPECT_EQ(SetFilePointer(file.GetHandle(), 0, nullptr, FILE_CURRENT), 18u);
}

TEST(TByteReader, LengthsPastTheEndFailBeforeAnythingIsAllocated)
{
    // A string whose length is exactly the bytes left is read; one more is refused.
    for (std::uint32_t extra : {0u, 1u, 0xFFFFFFF0u}) {
        const std::vector<std::uint8_t> bytes = qmtest::ByteWriter().U32(4 + extra).Bytes("abcd").Data();
        TByteReader in(bytes);
        std::string text = "old";
        qmtest::AllocationProbe probe;
        EXPECT_EQ(in.String(text), extra == 0) << extra;
        EXPECT_EQ(text, extra == 0 ? "abcd" : "");
        if (qmtest::AllocationProbe::Available()) {
            EXPECT_LT(probe.Largest(), 1024u) << extra;
        }
    }
    const std::vector<std::uint8_t> four = {1, 2, 3, 4};
    TByteReader in(four);
    std::vector<std::uint8_t> block;
    EXPECT_FALSE(in.Block(block, 5));
    EXPECT_TRUE(block.empty());
    EXPECT_TRUE(TByteReader(four).Block(block, 4));
    EXPECT_EQ(block, four);
    const std::uint8_t nul[] = {'x', 0, 'y'};
    EXPECT_EQ(TByteReader::TextUpToNul(nul, 3), "x");
    EXPECT_EQ(TByteReader::TextUpToNul(nul, 1), "x");
    EXPECT_EQ(TByteReader::TextUpToNul(nul, 0), "");
}

// Inside a read-once scope a path is read from the system once; the scope's end, a failed read,
// another thread and an inner scope each read anew.
TEST(ReadWholeFile, AReadOnceScopeReadsEachPathOnceAndKeepsNoFailure)
{
    qmtest::TempDir dir;
    const std::string a = dir.File("a.bin");
    const std::string b = dir.File("b.bin");
    qmtest::ByteWriter().Bytes("first").Save(a);
    const auto opens = [] { return platform::FileCalls().opens; };
    std::vector<std::uint8_t> bytes;
    {
        TReadOnceScope scope;
        const long before = opens();
        ASSERT_TRUE(ReadWholeFile(a, bytes));
        qmtest::ByteWriter().Bytes("later").Save(a);
        for (int i = 0; i < 3; ++i) {
            bytes.clear();
            ASSERT_TRUE(ReadWholeFile(a, bytes));
            EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "first");
        }
        EXPECT_EQ(opens() - before, 1);
        // A file that is missing fails each time it is asked for, until it is there.
        EXPECT_FALSE(ReadWholeFile(b, bytes));
        EXPECT_TRUE(bytes.empty());
        qmtest::ByteWriter().Bytes("bee").Save(b);
        ASSERT_TRUE(ReadWholeFile(b, bytes));
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "bee");
        {
            TReadOnceScope inner;
            ASSERT_TRUE(ReadWholeFile(a, bytes));
            EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "later");
        }
        std::thread([&a] {
            std::vector<std::uint8_t> own;
            ASSERT_TRUE(ReadWholeFile(a, own));
            EXPECT_EQ(std::string(own.begin(), own.end()), "later");
        }).join();
        // Back in the outer scope, its own bytes.
        ASSERT_TRUE(ReadWholeFile(a, bytes));
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "first");
    }
    const long before = opens();
    ASSERT_TRUE(ReadWholeFile(a, bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "later");
    EXPECT_EQ(opens() - before, 1);
}

}  // namespace
