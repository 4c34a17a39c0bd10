// Frame files: the tree comes back in file order with its matrices and animations; a missing or
// short file gives the tree read so far. Files with meshes are tested on the device.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dx/dx8/3d/TFrame.h"
#include "support/frame_writer.h"
#include "support/temp_dir.h"

namespace {

using qmtest::FrameNode;
using qmtest::TranslationMatrix;

class FrameFile : public ::testing::Test {
protected:
    void SetUp() override { TFrame::SetDirectory(dir_.Path().string() + "/"); }
    void TearDown() override { TFrame::SetDirectory(""); }

    TRefPtr<TFrame> LoadBytes(const std::vector<std::uint8_t>& bytes)
    {
        qmtest::SaveBytes(dir_.File("model.frm"), bytes);
        return TFrame::Load("model.frm");
    }
    // Root "Scene" at (0, 1, 0) with two sets; "Body" (with "Head" below it) and "Wpn".
    static FrameNode Model()
    {
        FrameNode head{"Head", TranslationMatrix(0, 2, 0), {}, {}, {}};
        FrameNode body{"Body", TranslationMatrix(1, 0, 0), {}, {{qmtest::ScaleKeys({0}, {{2, 2, 2}})}}, {head}};
        FrameNode weapon{"Wpn", TranslationMatrix(0, 0, 3), {}, {}, {}};
        FrameNode scene{"Scene", TranslationMatrix(0, 1, 0), {}, {}, {body, weapon}};
        scene.sets.push_back({qmtest::TranslationKeys({0, 10}, {{0, 0, 0}, {10, 0, 0}})});
        scene.sets.push_back({});
        return scene;
    }
    static D3DXVECTOR3 WorldPosition(const TFrame* f)
    {
        D3DXVECTOR3 v;
        return *f->GetWorldPosition(&v);
    }

    qmtest::TempDir dir_;
};

TEST_F(FrameFile, ALeafRootKeepsItsNameAndMatrixWhateverTheHeader)
{
    FrameNode leaf{"Root", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}, {}, {}, {}};
    for (std::uint32_t header : {0u, 0xFFFFFFFFu, 12345u}) {
        auto root = LoadBytes(qmtest::FrameFile(leaf, header, ~header));
        EXPECT_EQ(root.UseCount(), 1u);
        EXPECT_EQ(root->GetName(), "Root");
        EXPECT_EQ(root->GetParent(), nullptr);
        EXPECT_EQ(root->GetMatrix()->_21, 5.0F);
        EXPECT_EQ(root->GetMatrix()->_44, 16.0F);
        EXPECT_EQ(root->GetChildCount(), 0u);
        EXPECT_EQ(root->GetKeyTrackSetCount(), 0u);
    }
}

TEST_F(FrameFile, TheTreeComesBackInFileOrderAtRestUntilAnAnimationIsChosen)
{
    auto root = LoadBytes(qmtest::FrameFile(Model()));
    ASSERT_EQ(root->GetChildCount(), 2u);
    TFrame* body = root->GetChild(0);
    TFrame* weapon = root->GetChild(1);
    EXPECT_EQ(body->GetName(), "Body");
    EXPECT_EQ(weapon->GetName(), "Wpn");
    EXPECT_EQ(body->GetParent(), root.Get());
    ASSERT_EQ(body->GetChildCount(), 1u);
    TFrame* head = body->GetChild(0);
    EXPECT_EQ(head->GetName(), "Head");
    EXPECT_EQ(root->GetKeyTrackSetCount(), 2u);
    EXPECT_EQ(body->GetKeyTrackSetCount(), 1u);
    EXPECT_EQ(head->GetAnimationIndex(), -1);
    EXPECT_EQ(WorldPosition(head), D3DXVECTOR3(1, 3, 0));

    root->SetAnimationIndex(0);
    root->SetAnimationTime(5.0F);
    // The root slides along X; the body doubles in size, which carries the head twice as far.
    EXPECT_EQ(WorldPosition(head), D3DXVECTOR3(6, 4, 0));
    EXPECT_EQ(WorldPosition(weapon), D3DXVECTOR3(5, 0, 3));
    root->SetAnimationIndex(1);  // an empty set: the root's local position only
    EXPECT_EQ(WorldPosition(weapon), D3DXVECTOR3(0, 1, 3));
}

TEST_F(FrameFile, AMissingFileGivesOneUnnamedRoot)
{
    auto root = TFrame::Load("no such model.frm");
    EXPECT_EQ(root->GetName(), "");
    EXPECT_EQ(root->GetChildCount(), 0u);
    EXPECT_EQ(root->GetKeyTrackSetCount(), 0u);
    D3DXMATRIX identity;
    EXPECT_EQ(*root->GetMatrix(), *D3DXMatrixIdentity(&identity));
}

TEST_F(FrameFile, AShortFileEndsTheTreeWhereItEnds)
{
    const std::vector<std::uint8_t> whole = qmtest::FrameFile(Model());
    // Header, then "Scene": name (4 + 6), matrix (64), mesh count, set count.
    const std::size_t rootName = 8 + 4 + 6;
    const std::size_t rootMatrix = rootName + 64;
    auto cut = [&](std::size_t n) { return LoadBytes(std::vector<std::uint8_t>(whole.begin(), whole.begin() + n)); };

    auto noMatrix = cut(rootName + 10);
    EXPECT_EQ(noMatrix->GetName(), "Scene");
    D3DXMATRIX identity;
    EXPECT_EQ(*noMatrix->GetMatrix(), *D3DXMatrixIdentity(&identity));
    EXPECT_EQ(noMatrix->GetChildCount(), 0u);

    auto noCounts = cut(rootMatrix);
    EXPECT_EQ(noCounts->GetMatrix()->_42, 1.0F);
    EXPECT_EQ(noCounts->GetKeyTrackSetCount(), 0u);
    EXPECT_EQ(noCounts->GetChildCount(), 0u);

    // Cut inside the weapon's name: the body and head are whole; the weapon is there, unnamed.
    auto partial = cut(whole.size() - (4 + 64 + 4 + 4 + 4) - 2);
    ASSERT_EQ(partial->GetChildCount(), 2u);
    EXPECT_EQ(partial->GetChild(0)->GetChild(0)->GetName(), "Head");
    EXPECT_EQ(partial->GetChild(1)->GetName(), "");
    EXPECT_EQ(partial->GetKeyTrackSetCount(), 2u);

    // Every shorter file still loads to a tree no bigger than the whole one.
    for (std::size_t n = 0; n < whole.size(); ++n) {
        auto root = cut(n);
        EXPECT_LE(root->GetChildCount(), 2u) << n;
        EXPECT_LE(root->GetKeyTrackSetCount(), 2u) << n;
    }
}

TEST_F(FrameFile, NestingBeyondAnyModelStopsReading)
{
    FrameNode node{"Leaf", TranslationMatrix(0, 1, 0), {}, {}, {}};
    for (int i = 0; i < 400; ++i) {
        node = FrameNode{"N", TranslationMatrix(0, 1, 0), {}, {}, {node}};
    }
    auto root = LoadBytes(qmtest::FrameFile(node));
    int depth = 0;
    for (TFrame* f = root.Get(); f->GetChildCount() != 0; f = f->GetChild(0)) {
        ++depth;
    }
    EXPECT_EQ(depth, 256);
}

}  // namespace
