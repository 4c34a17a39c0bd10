// Weapon-state files: weapon poses at motion times, and files that do not hold what they announce.
#include <gtest/gtest.h>

#include <cmath>

#include "MainCode/Character/Subset/TWeponState.h"
#include "TCommon/my_error.h"
#include "support/byte_writer.h"
#include "support/fuzz.h"
#include "support/pattern_writer.h"
#include "support/temp_dir.h"

namespace {

constexpr float kPi = 3.14159265f;

// Turned by angle about y.
D3DXQUATERNION TurnY(float angle)
{
    return D3DXQUATERNION(0.0f, std::sin(angle / 2), 0.0f, std::cos(angle / 2));
}

// Rotation about y, then translation: built without quaternions.
D3DXMATRIX Pose(float angle, float x, float y, float z)
{
    D3DXMATRIX rotate;
    D3DXMATRIX translate;
    D3DXMatrixRotationY(&rotate, angle);
    D3DXMatrixTranslation(&translate, x, y, z);
    return rotate * translate;
}

void ExpectNear(const D3DXMATRIX& got, const D3DXMATRIX& want)
{
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_NEAR(got(r, c), want(r, c), 1e-5f) << "row " << r << " column " << c;
        }
    }
}

class WeponStateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TWeponState::SetDirectory(dir_.Path().string() + "/");
        // Key k: first weapon k * 10 along x, turned k * 30 degrees; second weapon 1 up, turned back.
        for (int k = 0; k < 4; ++k) {
            qmtest::WeponKey key;
            key.firstPosition = D3DXVECTOR3(10.0f * k, 0.0f, 0.0f);
            key.firstRotation = TurnY(Angle(k));
            key.secondPosition = D3DXVECTOR3(0.0f, 1.0f + k, 0.0f);
            key.secondRotation = TurnY(-Angle(k));
            keys_.push_back(key);
        }
    }
    void TearDown() override { TWeponState::SetDirectory(""); }

    static float Angle(int key) { return kPi / 6 * static_cast<float>(key); }

    std::string Write(const std::vector<std::uint8_t>& bytes, const std::string& name = "hero.wpm")
    {
        qmtest::SaveBytes(dir_.File(name), bytes);
        return name;
    }

    void ExpectRefused(const std::vector<std::uint8_t>& bytes)
    {
        Write(bytes, "bad.wpm");
        try {
            TWeponState state("bad.wpm");
            ADD_FAILURE() << "loaded";
        } catch (const my_error& e) {
            EXPECT_NE(std::string(e.what()).find("bad.wpm"), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("TWeponState"), std::string::npos) << e.what();
        }
    }

    qmtest::TempDir dir_;
    std::vector<qmtest::WeponKey> keys_;
};

TEST_F(WeponStateTest, PosesBlendBetweenTheKeysOfNeighbouringFrames)
{
    TWeponState state(Write(qmtest::BuildWeponStateFile(keys_, {{0, 1, 2, 3}, {2, 3}, {1, 1, 2}})).c_str());
    ASSERT_EQ(state.GetKeyCount(), 4u);
    ASSERT_EQ(state.GetMotionCount(), 3u);
    D3DXMATRIX m;
    // 2.5 blends keys 2 and 3 halfway.
    state.GetFirstMatrix(m, 0, 2.5f);
    ExpectNear(m, Pose((Angle(2) + Angle(3)) / 2, 25.0f, 0.0f, 0.0f));
    state.GetSecondMatrix(m, 0, 2.5f);
    ExpectNear(m, Pose(-(Angle(2) + Angle(3)) / 2, 0.0f, 3.5f, 0.0f));
    state.GetFirstMatrix(m, 0, 2.9f);
    ExpectNear(m, Pose(Angle(2) + 0.9f * (Angle(3) - Angle(2)), 29.0f, 0.0f, 0.0f));
    // 3.5 in a motion of four frames: the last frame holds, key 3 as it is.
    state.GetFirstMatrix(m, 0, 3.5f);
    ExpectNear(m, Pose(Angle(3), 30.0f, 0.0f, 0.0f));
    state.GetFirstMatrix(m, 0, 1000.0f);
    ExpectNear(m, Pose(Angle(3), 30.0f, 0.0f, 0.0f));
    // Time 0 takes the motion's first key (here key 2) without blending.
    state.GetFirstMatrix(m, 1, 0.0f);
    ExpectNear(m, Pose(Angle(2), 20.0f, 0.0f, 0.0f));
    state.GetFirstMatrix(m, 1, -3.0f);
    ExpectNear(m, Pose(Angle(2), 20.0f, 0.0f, 0.0f));
    // Two frames on one key give that key's pose exactly.
    state.GetSecondMatrix(m, 2, 0.75f);
    ExpectNear(m, Pose(-Angle(1), 0.0f, 2.0f, 0.0f));
}

TEST_F(WeponStateTest, MotionsTheFileDoesNotHaveLeaveTheWeaponUnmoved)
{
    TWeponState state(Write(qmtest::BuildWeponStateFile(keys_, {{3}, {}})).c_str());
    D3DXMATRIX m;
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    state.GetFirstMatrix(m, 2, 0.0f);
    EXPECT_EQ(m, identity);
    state.GetSecondMatrix(m, -1, 1.0f);
    EXPECT_EQ(m, identity);
    state.GetFirstMatrix(m, 1, 0.0f);  // a motion without frames
    EXPECT_EQ(m, identity);
    state.GetFirstMatrix(m, 0, 0.5f);
    ExpectNear(m, Pose(Angle(3), 30.0f, 0.0f, 0.0f));
    TWeponState none;
    none.GetFirstMatrix(m, 0, 0.0f);
    EXPECT_EQ(m, identity);
}

TEST_F(WeponStateTest, MissingShortAndInconsistentFilesFailWithTheirName)
{
    try {
        TWeponState state("nobody.wpm");
        ADD_FAILURE() << "loaded";
    } catch (const my_error& e) {
        EXPECT_NE(std::string(e.what()).find("nobody.wpm"), std::string::npos);
    }
    const std::vector<std::uint8_t> good = qmtest::BuildWeponStateFile(keys_, {{0, 1}, {3}});
    ExpectRefused(std::vector<std::uint8_t>(good.begin(), good.end() - 1));
    ExpectRefused(std::vector<std::uint8_t>(good.begin(), good.begin() + 8 + 56 * 4));
    // A frame naming a key the file does not hold.
    ExpectRefused(qmtest::BuildWeponStateFile(keys_, {{0, 4}}));
    ExpectRefused(qmtest::BuildWeponStateFile({}, {{0}}));
    ExpectRefused(qmtest::ByteWriter().U32(0).U32(0x40000000u).Data());
    ExpectRefused(qmtest::ByteWriter().U32(0).U32(0).U32(0xFFFFFFFFu).Data());
    ExpectRefused(qmtest::ByteWriter().U32(0).U32(0).U32(1).U32(0x20000000u).U32(0).Data());
}

TEST_F(WeponStateTest, DamagedFilesNeverCrash)
{
    const std::vector<std::uint8_t> good = qmtest::BuildWeponStateFile(keys_, {{0, 1, 2, 3}, {3, 3}, {}});
    qmtest::FuzzFile(good, dir_.File("fuzz.wpm"), [](const std::string&) {
        TWeponState state("fuzz.wpm");
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
