// Key-frame tracks: sampling between, at and beyond the keys, the order of a set's tracks, and sets
// read from damaged records.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "TCommon/TFile.h"
#include "dx/dx8/3d/TAnimTrack.h"
#include "support/frame_writer.h"
#include "support/temp_dir.h"

namespace {

using qmtest::ByteWriter;
using qmtest::KeyTrackSet;
using qmtest::RotationKeys;
using qmtest::ScaleKeys;
using qmtest::TranslationKeys;

class TrackSets : public ::testing::Test {
protected:
    TRefPtr<TAnimTrackSet> LoadBytes(const std::vector<std::uint8_t>& bytes)
    {
        const std::string path = dir_.File("set.bin");
        qmtest::SaveBytes(path, bytes);
        TFile file(path);
        EXPECT_TRUE(file.Open(true, GENERIC_READ));
        return TAnimTrackSet::Load(file);
    }
    TRefPtr<TAnimTrackSet> Load(const KeyTrackSet& set)
    {
        ByteWriter out;
        qmtest::WriteKeyTrackSet(out, set);
        return LoadBytes(out.Data());
    }
    static D3DXMATRIX Pose(const TRefPtr<TAnimTrackSet>& set, float time, const D3DXMATRIX& local)
    {
        D3DXMATRIX out;
        set->Evaluate(&out, time, &local);
        return out;
    }
    static D3DXMATRIX Pose(const TRefPtr<TAnimTrackSet>& set, float time)
    {
        D3DXMATRIX local;
        return Pose(set, time, *D3DXMatrixIdentity(&local));
    }
    static D3DXVECTOR3 Position(const D3DXMATRIX& m) { return D3DXVECTOR3(m._41, m._42, m._43); }

    qmtest::TempDir dir_;
};

void ExpectNear(const D3DXMATRIX& a, const D3DXMATRIX& b, float tolerance = 1e-5F)
{
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_NEAR(a.m[r][c], b.m[r][c], tolerance) << "element " << r + 1 << c + 1;
        }
    }
}

TEST_F(TrackSets, SamplingClampsAndTakesTheFirstKeyAtAndAfterTheLast)
{
    auto set = Load({TranslationKeys({0, 10, 20}, {{1, 0, 0}, {3, 2, 0}, {7, 0, 4}})});
    ASSERT_NE(set->GetTranslation(), nullptr);
    EXPECT_EQ(Position(Pose(set, 5.0F)), D3DXVECTOR3(2, 1, 0));   // midway between a and b
    EXPECT_EQ(Position(Pose(set, 10.0F)), D3DXVECTOR3(3, 2, 0));  // b exactly
    EXPECT_EQ(Position(Pose(set, 15.0F)), D3DXVECTOR3(5, 1, 2));
    EXPECT_EQ(Position(Pose(set, -3.0F)), D3DXVECTOR3(1, 0, 0));  // before the first key: a
    // At and after the last key time the first key comes back, not the last.
    EXPECT_EQ(Position(Pose(set, 20.0F)), D3DXVECTOR3(1, 0, 0));
    EXPECT_EQ(Position(Pose(set, 25.0F)), D3DXVECTOR3(1, 0, 0));
    const D3DXVECTOR3 late = Position(Pose(set, 19.5F));
    EXPECT_NEAR(late.x, 6.8F, 1e-5F);
    EXPECT_NEAR(late.y, 0.1F, 1e-5F);
    EXPECT_NEAR(late.z, 3.8F, 1e-5F);
}

TEST_F(TrackSets, OneKeyHoldsAndEqualTimesTakeTheLaterKey)
{
    auto single = Load({ScaleKeys({7}, {{2, 3, 4}})});
    for (float t : {-5.0F, 0.0F, 7.0F, 100.0F}) {
        D3DXMATRIX s;
        ExpectNear(Pose(single, t), *D3DXMatrixScaling(&s, 2, 3, 4));
    }
    auto twins = Load({TranslationKeys({0, 10, 10, 20}, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}})});
    EXPECT_EQ(Position(Pose(twins, 10.0F)), D3DXVECTOR3(2, 0, 0));
    EXPECT_EQ(Position(Pose(twins, 15.0F)), D3DXVECTOR3(2.5F, 0, 0));
}

TEST_F(TrackSets, StoredQuaternionsAreConjugatedAndSlerped)
{
    const float h = std::sqrt(0.5F);
    auto set = Load({RotationKeys({0, 10, 20}, {{0, 0, 0, 1}, {0, 0, h, h}, {0, 0, 0, 1}})});
    ASSERT_NE(set->GetRotation(), nullptr);
    // The stored quarter turn about Z comes out in the opposite sense.
    D3DXMATRIX expected;
    const D3DXQUATERNION conj(0, 0, -h, h);
    ExpectNear(Pose(set, 10.0F), *D3DXMatrixRotationQuaternion(&expected, &conj));
    ExpectNear(Pose(set, 10.0F), *D3DXMatrixRotationZ(&expected, -1.5707964F));
    ExpectNear(Pose(set, 5.0F), *D3DXMatrixRotationZ(&expected, -0.7853982F));
}

TEST_F(TrackSets, PoseIsScaleThenRotationThenTranslation)
{
    const float h = std::sqrt(0.5F);
    // Written in another order than they are applied.
    auto set = Load({TranslationKeys({0}, {{10, 20, 30}}), RotationKeys({0}, {{0, 0, -h, h}}),
                     ScaleKeys({0}, {{2, 1, 1}})});
    D3DXMATRIX local;
    D3DXMatrixTranslation(&local, 5, 5, 5);
    const D3DXMATRIX pose = Pose(set, 0.0F, local);
    D3DXVECTOR4 p;
    const D3DXVECTOR3 x(1, 0, 0);
    D3DXVec3Transform(&p, &x, &pose);
    // (1,0,0) scaled to (2,0,0), turned a quarter about Z to (0,2,0), moved; the local matrix plays no part.
    EXPECT_NEAR(p.x, 10.0F, 1e-5F);
    EXPECT_NEAR(p.y, 22.0F, 1e-5F);
    EXPECT_NEAR(p.z, 30.0F, 1e-5F);
}

TEST_F(TrackSets, WithoutTranslationTheLocalPositionIsKeptAndNothingElseOfIt)
{
    const float h = std::sqrt(0.5F);
    D3DXMATRIX local;
    D3DXMatrixRotationX(&local, 1.0F);
    local._11 = 3.0F;  // scale and rotation of the local matrix must not show
    local._41 = 4.0F;
    local._42 = -2.0F;
    local._43 = 1.0F;

    auto rotationOnly = Load({RotationKeys({0}, {{0, 0, h, h}})});
    D3DXMATRIX expected;
    D3DXMatrixRotationZ(&expected, -1.5707964F);
    expected._41 = 4.0F;
    expected._42 = -2.0F;
    expected._43 = 1.0F;
    ExpectNear(Pose(rotationOnly, 3.0F, local), expected);

    auto empty = Load({});
    D3DXMATRIX moved;
    EXPECT_EQ(Pose(empty, 0.0F, local), *D3DXMatrixTranslation(&moved, 4, -2, 1));
}

TEST_F(TrackSets, ALaterTrackOfAKindReplacesTheEarlierAndUnknownKindsAreSkipped)
{
    ByteWriter out;
    qmtest::WriteKeyTrackSet(out, {ScaleKeys({0}, {{5, 5, 5}}), {9, {}, {}}, ScaleKeys({0}, {{2, 2, 2}}),
                                   TranslationKeys({0}, {{1, 1, 1}})});
    auto set = LoadBytes(out.Data());
    D3DXMATRIX expected;
    D3DXMatrixScaling(&expected, 2, 2, 2);
    expected._41 = expected._42 = expected._43 = 1.0F;
    EXPECT_EQ(Pose(set, 0.0F), expected);
}

TEST_F(TrackSets, ATrackWithoutKeysLeavesItsSlotEmpty)
{
    KeyTrackSet tracks{TranslationKeys({0}, {{1, 2, 3}}), TranslationKeys({}, {}), RotationKeys({}, {}),
                       ScaleKeys({0}, {{2, 2, 2}})};
    auto set = Load(tracks);
    EXPECT_EQ(set->GetTranslation(), nullptr);
    EXPECT_EQ(set->GetRotation(), nullptr);
    ASSERT_NE(set->GetScale(), nullptr);  // the record after the empty ones is still read
    D3DXMATRIX local;
    D3DXMatrixTranslation(&local, 7, 8, 9);
    D3DXMATRIX expected;
    D3DXMatrixScaling(&expected, 2, 2, 2);
    expected._41 = 7.0F;
    expected._42 = 8.0F;
    expected._43 = 9.0F;
    EXPECT_EQ(Pose(set, 0.0F, local), expected);
}

TEST_F(TrackSets, ARecordCutShortKeepsTheTracksReadWhole)
{
    ByteWriter out;
    qmtest::WriteKeyTrackSet(out, {ScaleKeys({0, 10}, {{2, 2, 2}, {4, 4, 4}}),
                                   TranslationKeys({0, 10}, {{1, 0, 0}, {2, 0, 0}})});
    const std::vector<std::uint8_t>& whole = out.Data();
    const std::size_t firstTrackEnd = 4 + 4 + 4 + 2 * 4 + 2 * 12;
    for (std::size_t size = 0; size < whole.size(); ++size) {
        auto set = LoadBytes(std::vector<std::uint8_t>(whole.begin(), whole.begin() + size));
        EXPECT_EQ(set->GetScale() != nullptr, size >= firstTrackEnd) << size;
        EXPECT_EQ(set->GetTranslation(), nullptr) << size;
    }
    // A key count far beyond the file is refused before anything is allocated for it.
    ByteWriter huge;
    huge.U32(2).U32(1).U32(1).U32(0).F32(3).F32(3).F32(3).U32(2).U32(0x40000000).U32(0);
    auto set = LoadBytes(huge.Data());
    EXPECT_NE(set->GetScale(), nullptr);
    EXPECT_EQ(set->GetTranslation(), nullptr);
}

}  // namespace
