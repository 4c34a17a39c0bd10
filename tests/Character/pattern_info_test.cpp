// Pattern files: frames by motion time, and files that do not hold what they announce.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "MainCode/Character/Subset/TPatternInfo.h"
#include "TCommon/my_error.h"
#include "support/byte_writer.h"
#include "support/fuzz.h"
#include "support/pattern_writer.h"
#include "support/temp_dir.h"

namespace {

TPatternEvent Frame(std::uint16_t n)
{
    TPatternEvent e;
    e.AttackId = static_cast<std::uint16_t>(1000 + n);
    e.SecondByte = static_cast<std::uint8_t>(20 + n);
    e.EventCode = static_cast<std::uint16_t>(0x3000 + n);
    e.SoundId = 0x11223344u + n;
    e.VoiceId = 0x55667788u + n;
    e.ShakeLevel = static_cast<std::uint8_t>(1 + n);
    e.Displacement = D3DXVECTOR3(0.5f * n, -1.25f, 3.0f + n);
    e.FlashFlag = static_cast<std::uint8_t>(40 + n);
    e.ExtraFlag = static_cast<std::uint8_t>(60 + n);
    return e;
}

void ExpectFrame(const TPatternEvent* e, std::uint16_t n)
{
    ASSERT_NE(e, nullptr);
    const TPatternEvent want = Frame(n);
    EXPECT_EQ(e->AttackId, want.AttackId);
    EXPECT_EQ(e->SecondByte, want.SecondByte);
    EXPECT_EQ(e->EventCode, want.EventCode);
    EXPECT_EQ(e->SoundId, want.SoundId);
    EXPECT_EQ(e->VoiceId, want.VoiceId);
    EXPECT_EQ(e->ShakeLevel, want.ShakeLevel);
    EXPECT_EQ(e->Displacement, want.Displacement);
    EXPECT_EQ(e->FlashFlag, want.FlashFlag);
    EXPECT_EQ(e->ExtraFlag, want.ExtraFlag);
}

bool IsEmpty(const TPatternEvent* e)
{
    return e != nullptr && e->AttackId == 0 && e->EventCode == 0 && e->SoundId == 0 && e->VoiceId == 0 &&
           e->ShakeLevel == 0 && e->FlashFlag == 0 && e->Displacement == D3DXVECTOR3();
}

class PatternInfoTest : public ::testing::Test {
protected:
    void SetUp() override { TPatternInfo::SetDirectory(dir_.Path().string() + "/"); }
    void TearDown() override { TPatternInfo::SetDirectory(""); }

    std::string Write(const std::vector<std::uint8_t>& bytes, const std::string& name = "hero.pat")
    {
        qmtest::SaveBytes(dir_.File(name), bytes);
        return name;
    }

    // The load fails with my_error naming the file and the pattern reader.
    void ExpectRefused(const std::vector<std::uint8_t>& bytes)
    {
        Write(bytes, "bad.pat");
        try {
            TPatternInfo info("bad.pat");
            ADD_FAILURE() << "loaded";
        } catch (const my_error& e) {
            EXPECT_NE(std::string(e.what()).find("bad.pat"), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("TPatternInfo"), std::string::npos) << e.what();
        }
    }

    qmtest::TempDir dir_;
};

TEST_F(PatternInfoTest, FramesAreTakenAtTheWholePartOfTheTime)
{
    const std::string name = Write(qmtest::BuildPatternFile({{Frame(0)}, {Frame(0), Frame(1), Frame(2), Frame(3)}}, 7));
    TPatternInfo info(name.c_str());
    ASSERT_EQ(info.GetPatternCount(), 2u);
    EXPECT_EQ(info.GetFrameCount(1), 4u);
    ExpectFrame(info.GetFrame(1, 2.9f), 2);
    ExpectFrame(info.GetFrame(1, 0.0f), 0);
    ExpectFrame(info.GetFrame(1, 3.0f), 3);
    ExpectFrame(info.GetFrame(0, 0.99f), 0);
    // Past the last frame it holds; before the first (or no number at all) it is frame 0.
    ExpectFrame(info.GetFrame(1, 4.0f), 3);
    ExpectFrame(info.GetFrame(1, 1e30f), 3);
    ExpectFrame(info.GetFrame(1, std::numeric_limits<float>::infinity()), 3);
    ExpectFrame(info.GetFrame(1, -2.5f), 0);
    ExpectFrame(info.GetFrame(1, std::nanf("")), 0);
    // A pattern the file does not have gives a record that does nothing.
    EXPECT_TRUE(IsEmpty(info.GetFrame(2, 0.0f)));
    EXPECT_TRUE(IsEmpty(info.GetFrame(0xFFFFFFFFu, 1.0f)));
}

TEST_F(PatternInfoTest, PatternsWithoutFramesAndCopiesThatOutliveTheOriginal)
{
    const std::string name = Write(qmtest::BuildPatternFile({{}, {Frame(5)}}));
    TPatternInfo copy;
    {
        TPatternInfo info(name.c_str());
        EXPECT_TRUE(IsEmpty(info.GetFrame(0, 0.0f)));
        copy = info;
    }
    ExpectFrame(copy.GetFrame(1, 0.5f), 5);
    // A second load replaces the patterns.
    copy.Load(Write(qmtest::BuildPatternFile({}), "empty.pat").c_str());
    EXPECT_EQ(copy.GetPatternCount(), 0u);
    EXPECT_TRUE(IsEmpty(copy.GetFrame(1, 0.5f)));
}

TEST_F(PatternInfoTest, MissingAndShortFilesFailWithTheirName)
{
    try {
        TPatternInfo info("nobody.pat");
        ADD_FAILURE() << "loaded";
    } catch (const my_error& e) {
        EXPECT_NE(std::string(e.what()).find("nobody.pat"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("TPatternInfo"), std::string::npos);
    }
    const std::vector<std::uint8_t> good = qmtest::BuildPatternFile({{Frame(0), Frame(1)}, {Frame(2)}});
    ExpectRefused(std::vector<std::uint8_t>(good.begin(), good.end() - 1));
    ExpectRefused(std::vector<std::uint8_t>(good.begin(), good.begin() + 6));
    // Counts far beyond the data refuse before anything that size is allocated.
    ExpectRefused(qmtest::ByteWriter().U32(0).U32(0xFFFFFFFFu).Data());
    ExpectRefused(qmtest::ByteWriter().U32(0).U32(1).U32(0x10000000u).Bytes(std::string(28, 'x')).Data());
}

TEST_F(PatternInfoTest, DamagedFilesNeverCrash)
{
    const std::vector<std::uint8_t> good =
        qmtest::BuildPatternFile({{Frame(0), Frame(1), Frame(2)}, {}, {Frame(3), Frame(4)}});
    qmtest::FuzzFile(good, dir_.File("fuzz.pat"), [](const std::string&) {
        TPatternInfo info("fuzz.pat");
        for (std::uint32_t p = 0; p < info.GetPatternCount() && p < 8; ++p) {
            for (float t : {0.0f, 1.5f, 100.0f}) {
                ASSERT_NE(info.GetFrame(p, t), nullptr);
            }
        }
    });
}

}  // namespace
