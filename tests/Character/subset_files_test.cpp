// Pattern (".pat") and weapon-state (".wpm") files at motion times, and damaged files.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <type_traits>

#include "MainCode/Character/Subset/TPatternInfo.h"
#include "MainCode/Character/Subset/TWeponState.h"
#include "TCommon/my_error.h"
#include "formats/byte_writer.h"
#include "support/character_probe.h"
#include "support/fuzz.h"
#include "formats/pattern_writer.h"
#include "support/temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using qmtest::ByteWriter;

TPatternEvent Frame(std::uint16_t n)
{
    TPatternEvent e;
    e.AttackId = static_cast<std::uint16_t>(1000 + n);
    e.SoundId = 0x11223344u + n;
    e.Displacement = D3DXVECTOR3(0.5f * n, -1.25f, 3.0f + n);
    e.ExtraFlag = static_cast<std::uint8_t>(60 + n);
    return e;
}

// Frame n as written; n < 0: the all-zero record.
bool IsFrame(const TPatternEvent* e, int n)
{
    const TPatternEvent w = n < 0 ? TPatternEvent() : Frame(static_cast<std::uint16_t>(n));
    return e != nullptr && e->AttackId == w.AttackId && e->SecondByte == w.SecondByte &&
           e->EventCode == w.EventCode && e->SoundId == w.SoundId && e->VoiceId == w.VoiceId &&
           e->ShakeLevel == w.ShakeLevel && e->Displacement == w.Displacement && e->FlashFlag == w.FlashFlag &&
           e->ExtraFlag == w.ExtraFlag;
}

float Angle(int key) { return 3.14159265f / 6 * static_cast<float>(key); }

// Rotation about y, then translation: built without quaternions.
D3DXMATRIX Pose(float angle, float x, float y)
{
    D3DXMATRIX rotate, translate;
    D3DXMatrixRotationY(&rotate, angle);
    D3DXMatrixTranslation(&translate, x, y, 0.0f);
    return rotate * translate;
}

void ExpectNear(const D3DXMATRIX& got, const D3DXMATRIX& want)
{
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(got(i / 4, i % 4), want(i / 4, i % 4), 1e-5f) << "row " << i / 4 << " column " << i % 4;
    }
}

class SubsetFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TPatternInfo::SetDirectory(dir_.Path().string() + "/");
        TWeponState::SetDirectory(dir_.Path().string() + "/");
        // Key k: first weapon k * 10 along x turned k * 30 degrees about y; second 1 + k up, turned back.
        for (int k = 0; k < 4; ++k) {
            const float s = std::sin(Angle(k) / 2);
            const float c = std::cos(Angle(k) / 2);
            keys_.push_back({D3DXVECTOR3(10.0f * k, 0.0f, 0.0f), D3DXQUATERNION(0.0f, s, 0.0f, c),
                             D3DXVECTOR3(0.0f, 1.0f + k, 0.0f), D3DXQUATERNION(0.0f, -s, 0.0f, c)});
        }
    }

    // The folder goes with the test's own: the next test reads its files where the game's loaders
    // look by default.
    void TearDown() override
    {
        TPatternInfo::SetDirectory("");
        TWeponState::SetDirectory("");
    }

    std::string Write(const Bytes& bytes, const std::string& name)
    {
        qmtest::SaveBytes(dir_.File(name), bytes);
        return name;
    }

    // The load fails with my_error naming the file and the reader.
    template <typename Reader>
    void ExpectRefused(const std::string& name, const char* reader)
    {
        try {
            if constexpr (std::is_same_v<Reader, TWeponState>) {
                TCharacterProbe::LoadWeponState(name.c_str());
            } else {
                Reader loaded(name.c_str());
            }
            ADD_FAILURE() << name << " loaded";
        } catch (const my_error& e) {
            EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(reader), std::string::npos) << e.what();
        }
    }

    qmtest::TempDir dir_;
    std::vector<qmtest::WeponKey> keys_;
};

TEST_F(SubsetFileTest, PatternFramesAreTakenAtTheWholePartOfTheTime)
{
    TPatternInfo info(
        Write(qmtest::BuildPatternFile({{Frame(0)}, {Frame(0), Frame(1), Frame(2), Frame(3)}}, 7), "a.pat").c_str());
    ASSERT_EQ(TCharacterProbe::PatternCount(info), 2u);
    EXPECT_EQ(info.GetFrameCount(1), 4u);
    // Past the last frame it holds; before the first (or NaN) frame 0; no such pattern: a null record.
    const struct { std::uint32_t pattern; float time; int frame; } cases[] = {
        {1, 2.9f, 2}, {0, 0.99f, 0}, {1, 4.0f, 3}, {1, std::numeric_limits<float>::infinity(), 3},
        {1, -2.5f, 0}, {1, std::nanf(""), 0}, {2, 0.0f, -1}, {0xFFFFFFFFu, 1.0f, -1}};
    for (const auto& c : cases) {
        EXPECT_TRUE(IsFrame(info.GetFrame(c.pattern, c.time), c.frame)) << c.pattern << " at " << c.time;
    }
}

TEST_F(SubsetFileTest, WeaponPosesBlendBetweenTheKeysOfNeighbouringFrames)
{
    TWeponState state = TCharacterProbe::LoadWeponState(
        Write(qmtest::BuildWeponStateFile(keys_, {{0, 1, 2, 3}, {2, 3}, {1, 1, 2}, {}}), "a.wpm").c_str());
    ASSERT_EQ(TCharacterProbe::KeyCount(state), 4u);
    ASSERT_EQ(TCharacterProbe::MotionCount(state), 4u);
    D3DXMATRIX m;
    // 2.5 blends keys 2 and 3 halfway; 3.5 in a motion of four frames holds key 3; before 0 the
    // motion's first key.
    const float a2 = Angle(2);
    const float a3 = Angle(3);
    const struct { bool second; std::int32_t motion; float time; D3DXMATRIX want; } cases[] = {
        {false, 0, 2.5f, Pose((a2 + a3) / 2, 25.0f, 0.0f)}, {true, 0, 2.5f, Pose(-(a2 + a3) / 2, 0.0f, 3.5f)},
        {false, 0, 3.5f, Pose(a3, 30.0f, 0.0f)}, {false, 1, -3.0f, Pose(a2, 20.0f, 0.0f)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "motion " << c.motion << " at " << c.time);
        if (c.second) {
            state.GetSecondMatrix(m, c.motion, c.time);
        } else {
            state.GetFirstMatrix(m, c.motion, c.time);
        }
        ExpectNear(m, c.want);
    }
    D3DXMATRIX identity;  // no such motion, or one without frames
    D3DXMatrixIdentity(&identity);
    for (std::int32_t motion : {4, -1, 3}) {
        state.GetFirstMatrix(m, motion, 1.0f);
        EXPECT_EQ(m, identity) << motion;
    }
}

TEST_F(SubsetFileTest, ShortAndInconsistentFilesFailWithTheirName)
{
    const Bytes pat = qmtest::BuildPatternFile({{Frame(0), Frame(1)}, {Frame(2)}});
    const Bytes wpm = qmtest::BuildWeponStateFile(keys_, {{0, 1}, {3}});
    // Cut files, counts far beyond the data, a frame naming a key the file does not hold.
    const Bytes pats[] = {Bytes(pat.begin(), pat.end() - 1), ByteWriter().U32(0).U32(0xFFFFFFFFu).Data(),
                          ByteWriter().U32(0).U32(1).U32(0x10000000u).Bytes(std::string(28, 'x')).Data()};
    const Bytes wpms[] = {Bytes(wpm.begin(), wpm.end() - 1),
                          qmtest::BuildWeponStateFile(keys_, {{0, 4}}),
                          ByteWriter().U32(0).U32(0x40000000u).Data(),
                          ByteWriter().U32(0).U32(0).U32(1).U32(0x20000000u).U32(0).Data()};
    for (const Bytes& bytes : pats) {
        ExpectRefused<TPatternInfo>(Write(bytes, "bad.pat"), "TPatternInfo");
    }
    for (const Bytes& bytes : wpms) {
        ExpectRefused<TWeponState>(Write(bytes, "bad.wpm"), "TWeponState");
    }
}

TEST_F(SubsetFileTest, DamagedFilesNeverCrashUnderSanitizers)
{
    const Bytes pat = qmtest::BuildPatternFile({{Frame(0), Frame(1), Frame(2)}, {}, {Frame(3), Frame(4)}});
    qmtest::FuzzFile(pat, dir_.File("fuzz.pat"), [](const std::string&) {
        TPatternInfo info("fuzz.pat");
        for (std::uint32_t p = 0; p < TCharacterProbe::PatternCount(info) && p < 8; ++p) {
            for (float t : {0.0f, 1.5f, 100.0f}) {
                ASSERT_NE(info.GetFrame(p, t), nullptr);
            }
        }
    });
    const Bytes wpm = qmtest::BuildWeponStateFile(keys_, {{0, 1, 2, 3}, {3, 3}, {}});
    qmtest::FuzzFile(wpm, dir_.File("fuzz.wpm"), [](const std::string&) {
        TWeponState state = TCharacterProbe::LoadWeponState("fuzz.wpm");
        D3DXMATRIX m;
        for (std::int32_t motion = 0; motion < 4; ++motion) {
            for (float t : {0.0f, 0.5f, 2.5f, 50.0f}) {
                state.GetFirstMatrix(m, motion, t);
                state.GetSecondMatrix(m, motion, t);
            }
        }
    });
}

}  // namespace
