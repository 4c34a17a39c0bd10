// Frames: the tree, local and world matrices, relative queries, aiming, and the animated pose.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>

#include "TCommon/TFile.h"
#include "dx/dx8/3d/TFrame.h"
#include "support/frame_writer.h"
#include "support/temp_dir.h"

namespace {

constexpr float kQuarter = 1.5707964F;

D3DXMATRIX Identity()
{
    D3DXMATRIX m;
    return *D3DXMatrixIdentity(&m);
}

D3DXMATRIX Translation(float x, float y, float z)
{
    D3DXMATRIX m;
    return *D3DXMatrixTranslation(&m, x, y, z);
}

D3DXMATRIX RotationY(float a)
{
    D3DXMATRIX m;
    return *D3DXMatrixRotationY(&m, a);
}

TRefPtr<TFrame> Make(const std::string& name, const D3DXMATRIX& m = Identity(), TFrame* parent = nullptr)
{
    return TRefPtr<TFrame>(new TFrame(name, m, parent));
}

void ExpectNear(const D3DXVECTOR3& a, const D3DXVECTOR3& b, float tolerance = 1e-5F)
{
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

D3DXVECTOR3 WorldAxis(const TFrame& f, std::uint32_t i)
{
    D3DXVECTOR3 v;
    return *f.GetWorldAxis(&v, i);
}

D3DXVECTOR3 WorldPosition(const TFrame& f)
{
    D3DXVECTOR3 v;
    return *f.GetWorldPosition(&v);
}

TEST(FrameTree, AttachingMovesAFrameAndKeepsOrder)
{
    auto a = Make("A");
    auto b = Make("B");
    auto c1 = Make("C1");
    auto c2 = Make("C2");
    auto c3 = Make("C3");
    a->AddChild(c1);
    a->AddChild(c2);
    a->AddChild(c3);
    EXPECT_EQ(c1.UseCount(), 2u);
    a->AddChild(c1);  // again: to the end
    ASSERT_EQ(a->GetChildCount(), 3u);
    EXPECT_EQ(a->GetChild(0), c2.Get());
    EXPECT_EQ(a->GetChild(2), c1.Get());
    EXPECT_EQ(c1.UseCount(), 2u);

    b->AddChild(c2);  // from a to b
    EXPECT_EQ(c2->GetParent(), b.Get());
    ASSERT_EQ(a->GetChildCount(), 2u);
    EXPECT_EQ(a->GetChild(0), c3.Get());
    EXPECT_EQ(c2.UseCount(), 2u);

    EXPECT_FALSE(a->RemoveChild(c2.Get()));
    EXPECT_TRUE(c3->Detach());
    EXPECT_EQ(c3->GetParent(), nullptr);
    EXPECT_EQ(c3.UseCount(), 1u);
    EXPECT_FALSE(c3->Detach());  // now a root
    EXPECT_FALSE(a->Detach());

    a->RemoveAllChildren();
    EXPECT_EQ(a->GetChildCount(), 0u);
    EXPECT_EQ(c1->GetParent(), nullptr);
}

TEST(FrameTree, ReleasingTheRootFreesTheTreeAndOrphansHeldChildren)
{
    auto kept = Make("Kept");
    {
        auto root = Make("Root");
        auto middle = Make("Middle");
        root->AddChild(middle);
        middle->AddChild(kept);
        middle->AddChild(Make("Leaf"));
        EXPECT_EQ(kept->GetParent(), middle.Get());
    }
    EXPECT_EQ(kept->GetParent(), nullptr);
    EXPECT_EQ(kept.UseCount(), 1u);
    // A frame the list held alone goes when detached; the tree stays consistent.
    auto root = Make("Root");
    root->AddChild(Make("Gone"));
    TFrame* gone = root->GetChild(0);
    EXPECT_TRUE(gone->Detach());
    EXPECT_EQ(root->GetChildCount(), 0u);
}

TEST(FrameMatrix, AxesAndOwnOrParentSpaceMoves)
{
    auto f = Make("F");
    D3DXMATRIX w;
    EXPECT_EQ(*f->GetWorldMatrix(&w), Identity());
    D3DXVECTOR3 v;
    EXPECT_EQ(*f->GetAxis(&v, 2), D3DXVECTOR3(0, 1, 0));
    EXPECT_EQ(*f->GetAxis(&v, 0), D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(*f->GetAxis(&v, 4), D3DXVECTOR3(0, 0, 0));

    f->SetMatrix(RotationY(kQuarter));
    f->Translate(1, 0, 0, false);  // along the parent's X
    ExpectNear(*f->GetPosition(&v), D3DXVECTOR3(1, 0, 0));
    f->SetMatrix(RotationY(kQuarter));
    f->Translate(1, 0, 0, true);  // along its own X, the parent's −Z
    ExpectNear(*f->GetPosition(&v), D3DXVECTOR3(0, 0, -1));

    f->SetMatrix(Translation(1, 2, 3));
    f->Scale(2, 2, 2, true);  // own: the position stays
    ExpectNear(*f->GetPosition(&v), D3DXVECTOR3(1, 2, 3));
    f->Scale(2, 2, 2, false);  // parent space: the position scales too
    ExpectNear(*f->GetPosition(&v), D3DXVECTOR3(2, 4, 6));
    f->AddPosition(1, 1, 1);
    ExpectNear(*f->GetPosition(&v), D3DXVECTOR3(3, 5, 7));
    ExpectNear(*f->GetAxis(&v, 1), D3DXVECTOR3(4, 0, 0));
}

TEST(FrameMatrix, WorldAndLocalConversions)
{
    auto parent = Make("Parent", RotationY(kQuarter) * Translation(10, 0, 0));
    auto child = Make("Child", Translation(0, 0, 2));
    parent->AddChild(child);
    // The child's +Z is the world's +X after the parent's turn.
    ExpectNear(WorldPosition(*child), D3DXVECTOR3(12, 0, 0));
    ExpectNear(WorldAxis(*child, 3), D3DXVECTOR3(1, 0, 0));

    D3DXVECTOR3 local;
    ASSERT_TRUE(child->WorldToLocal(&local, D3DXVECTOR3(12, 0, 5), true));
    ExpectNear(local, D3DXVECTOR3(-5, 0, 0));
    ASSERT_TRUE(child->WorldToLocal(&local, D3DXVECTOR3(1, 0, 0), false));  // a direction: no translation
    ExpectNear(local, D3DXVECTOR3(0, 0, 1));

    // Moved so that its origin lands on the point, axes kept.
    ASSERT_TRUE(child->SetWorldPosition(D3DXVECTOR3(10, 3, -4)));
    ExpectNear(WorldPosition(*child), D3DXVECTOR3(10, 3, -4));
    ExpectNear(WorldAxis(*child, 3), D3DXVECTOR3(1, 0, 0));

    auto other = Make("Other", RotationY(-kQuarter) * Translation(0, 0, 5));
    ASSERT_TRUE(child->SetPositionRelativeTo(other.Get(), D3DXVECTOR3(0, 1, 2)));
    D3DXVECTOR3 p;
    ASSERT_TRUE(child->GetPositionRelativeTo(other.Get(), &p));
    ExpectNear(p, D3DXVECTOR3(0, 1, 2));
    ExpectNear(WorldPosition(*child), D3DXVECTOR3(-2, 1, 5));
    ASSERT_TRUE(child->GetAxisRelativeTo(other.Get(), &p, 3));
    ExpectNear(p, D3DXVECTOR3(0, 0, -1));  // the world's +X in a frame turned the other way
    p = D3DXVECTOR3(7, 7, 7);
    EXPECT_TRUE(child->GetAxisRelativeTo(other.Get(), &p, 5));
    EXPECT_EQ(p, D3DXVECTOR3(7, 7, 7));
    ASSERT_TRUE(child->GetPositionRelativeTo(nullptr, &p));
    ExpectNear(p, D3DXVECTOR3(-2, 1, 5));
}

TEST(FrameMatrix, ASingularMatrixIsRefusedAndChangesNothing)
{
    auto flat = Make("Flat");
    flat->Scale(1, 0, 1, true);
    auto frame = Make("Frame", Translation(1, 2, 3), flat.Get());
    const D3DXMATRIX before = *frame->GetMatrix();

    D3DXMATRIX m = Translation(5, 5, 5);
    EXPECT_FALSE(frame->GetInverseWorldMatrix(&m, true));
    EXPECT_EQ(m, Identity());
    m = Translation(5, 5, 5);
    EXPECT_FALSE(Make("Probe")->GetMatrixRelativeTo(frame.Get(), &m));
    EXPECT_EQ(m, Translation(5, 5, 5));
    D3DXVECTOR3 v(9, 9, 9);
    EXPECT_FALSE(frame->WorldToLocal(&v, D3DXVECTOR3(1, 1, 1), true));
    EXPECT_FALSE(Make("Probe")->GetPositionRelativeTo(frame.Get(), &v));
    EXPECT_EQ(v, D3DXVECTOR3(9, 9, 9));
    EXPECT_FALSE(frame->SetWorldPosition(D3DXVECTOR3(0, 0, 0)));
    EXPECT_FALSE(frame->SetDirection(D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0, 1, 0)));
    EXPECT_FALSE(frame->LookAtPoint(frame.Get(), D3DXVECTOR3(0, 0, 9), TFrame::kLookAim));
    EXPECT_EQ(*frame->GetMatrix(), before);
}

TEST(FrameAim, SetDirectionTurnsTheZAxisInWorldSpace)
{
    auto parent = Make("Parent", RotationY(kQuarter));
    auto f = Make("F", Translation(1, 2, 3), parent.Get());
    f->Scale(2, 2, 2, true);
    ASSERT_TRUE(f->SetDirection(D3DXVECTOR3(0, 0, 5), D3DXVECTOR3(0, 1, 0)));
    ExpectNear(WorldAxis(*f, 3), D3DXVECTOR3(0, 0, 2));  // scale kept
    ExpectNear(WorldAxis(*f, 2), D3DXVECTOR3(0, 2, 0));
    D3DXVECTOR3 p;
    ExpectNear(*f->GetPosition(&p), D3DXVECTOR3(1, 2, 3));

    // Given in another frame's axes: that frame's +Z is the world's +X.
    auto other = Make("Other", RotationY(kQuarter) * Translation(50, 0, 0));
    ASSERT_TRUE(f->SetDirectionRelativeTo(other.Get(), D3DXVECTOR3(0, 0, 1), D3DXVECTOR3(0, 1, 0)));
    ExpectNear(WorldAxis(*f, 3), D3DXVECTOR3(2, 0, 0));
}

TEST(FrameAim, DegenerateDirectionsFailAndChangeNothing)
{
    auto f = Make("F", RotationY(0.3F) * Translation(1, 2, 3));
    const D3DXMATRIX before = *f->GetMatrix();
    EXPECT_FALSE(f->SetDirection(D3DXVECTOR3(0, 3, 0), D3DXVECTOR3(0, 1, 0)));   // forward along up
    EXPECT_FALSE(f->SetDirection(D3DXVECTOR3(0, -2, 0), D3DXVECTOR3(0, 1, 0)));  // and against it
    EXPECT_FALSE(f->SetDirection(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 1, 0)));
    EXPECT_FALSE(f->SetDirection(D3DXVECTOR3(0, 0, 1), D3DXVECTOR3(0, 0, 0)));
    EXPECT_FALSE(f->SetDirection(D3DXVECTOR3(0, 0, 1), D3DXVECTOR3(NAN, 0, 0)));
    EXPECT_EQ(*f->GetMatrix(), before);
}

TEST(FrameAim, UprightTurnKeepsTheReferenceUpAndAimFollowsTheTarget)
{
    auto world = Make("World");
    auto actor = Make("Actor", Translation(1, 0, 1));
    auto target = Make("Target", Translation(4, 4, 5));
    world->AddChild(actor);
    world->AddChild(target);

    ASSERT_TRUE(actor->LookAtFrame(world.Get(), target.Get(), TFrame::kLookUpright));
    ExpectNear(WorldAxis(*actor, 2), D3DXVECTOR3(0, 1, 0));
    ExpectNear(WorldAxis(*actor, 3), D3DXVECTOR3(0.6F, 0, 0.8F));
    ExpectNear(WorldPosition(*actor), D3DXVECTOR3(1, 0, 1));

    ASSERT_TRUE(actor->LookAtFrame(world.Get(), target.Get(), TFrame::kLookAim));
    ExpectNear(WorldAxis(*actor, 3), D3DXVECTOR3(3, 4, 4) / std::sqrt(41.0F));
    EXPECT_GT(WorldAxis(*actor, 2).y, 0.0F);
    EXPECT_NEAR(WorldAxis(*actor, 1).y, 0.0F, 1e-5F);  // no roll: X stays level

    ASSERT_TRUE(actor->LookAtPoint(world.Get(), D3DXVECTOR3(1, 0, -9), TFrame::kLookAim));
    ExpectNear(WorldAxis(*actor, 3), D3DXVECTOR3(0, 0, -1));
    EXPECT_FALSE(actor->LookAtPoint(world.Get(), D3DXVECTOR3(0, 0, 0), 7));  // only modes 4 and 12
}

TEST(FrameAim, TargetAlongTheUpAxisAimsButCannotTurnUpright)
{
    auto world = Make("World");
    auto actor = Make("Actor");
    auto above = Make("Above", Translation(0, 5, 0));
    world->AddChild(actor);
    world->AddChild(above);
    const D3DXMATRIX before = *actor->GetMatrix();
    EXPECT_FALSE(actor->LookAtFrame(world.Get(), above.Get(), TFrame::kLookUpright));
    EXPECT_EQ(*actor->GetMatrix(), before);

    // The up hint gives way to the world's X and the aim still succeeds.
    ASSERT_TRUE(actor->LookAtFrame(world.Get(), above.Get(), TFrame::kLookAim));
    ExpectNear(WorldAxis(*actor, 3), D3DXVECTOR3(0, 1, 0));
    ExpectNear(WorldAxis(*actor, 2), D3DXVECTOR3(1, 0, 0));
    ExpectNear(WorldAxis(*actor, 1), D3DXVECTOR3(0, 0, 1));

    // Straight down takes the world's −X.
    auto below = Make("Below", Translation(0, -3, 0));
    world->AddChild(below);
    actor->SetMatrix(Identity());
    ASSERT_TRUE(actor->LookAtFrame(world.Get(), below.Get(), TFrame::kLookAim));
    ExpectNear(WorldAxis(*actor, 3), D3DXVECTOR3(0, -1, 0));
    ExpectNear(WorldAxis(*actor, 2), D3DXVECTOR3(-1, 0, 0));

    // A target on the frame itself: the world's +Z (as a point in its axes) is taken instead.
    actor->SetMatrix(Identity());
    auto same = Make("Same");
    world->AddChild(same);
    ASSERT_TRUE(actor->LookAtFrame(world.Get(), same.Get(), TFrame::kLookUpright));
    ExpectNear(WorldAxis(*actor, 3), D3DXVECTOR3(0, 0, 1));
}

class FrameAnimation : public ::testing::Test {
protected:
    TRefPtr<TAnimTrackSet> Set(const qmtest::KeyTrackSet& tracks)
    {
        qmtest::ByteWriter out;
        qmtest::WriteKeyTrackSet(out, tracks);
        const std::string path = dir_.File("set" + std::to_string(++count_) + ".bin");
        out.Save(path);
        TFile file(path);
        EXPECT_TRUE(file.Open(true, GENERIC_READ));
        return TAnimTrackSet::Load(file);
    }
    qmtest::TempDir dir_;
    int count_ = 0;
};

TEST_F(FrameAnimation, WorldMatricesUseTheAnimatedPosesOfEveryAncestor)
{
    auto root = Make("Root", Translation(100, 0, 0));
    auto arm = Make("Arm", Translation(0, 1, 0));
    root->AddChild(arm);
    root->AddKeyTrackSet(Set({qmtest::TranslationKeys({0, 10}, {{0, 0, 0}, {0, 0, 10}})}));
    root->AddKeyTrackSet(Set({qmtest::TranslationKeys({0}, {{-1, -1, -1}})}));
    arm->AddKeyTrackSet(Set({qmtest::ScaleKeys({0}, {{3, 3, 3}})}));
    ExpectNear(WorldPosition(*arm), D3DXVECTOR3(100, 1, 0));  // index -1: the local matrices

    root->SetAnimationIndex(0);
    root->SetAnimationTime(5.0F);
    EXPECT_EQ(arm->GetAnimationIndex(), 0);
    EXPECT_EQ(arm->GetAnimationTime(), 5.0F);
    ExpectNear(WorldPosition(*arm), D3DXVECTOR3(0, 1, 5));  // the arm keeps its local position
    ExpectNear(WorldAxis(*arm, 1), D3DXVECTOR3(3, 0, 0));

    // Index 1 exists for the root only: the arm, with no set there, shows its local matrix.
    root->SetAnimationIndex(1);
    ExpectNear(WorldPosition(*arm), D3DXVECTOR3(-1, 0, -1));
    ExpectNear(WorldAxis(*arm, 1), D3DXVECTOR3(1, 0, 0));
    root->SetAnimationIndex(-7);
    ExpectNear(WorldPosition(*arm), D3DXVECTOR3(100, 1, 0));
}

TEST_F(FrameAnimation, ACloneCopiesMatricesAndSharesSetsButNotTheAnimationState)
{
    auto parent = Make("Parent", Translation(0, 0, 7));
    auto root = Make("Root", Translation(1, 0, 0));
    auto child = Make("Child", Translation(0, 2, 0));
    root->AddChild(child);
    child->AddKeyTrackSet(Set({qmtest::TranslationKeys({0}, {{9, 9, 9}})}));
    root->SetAnimationIndex(0);
    root->SetMaterialInherit(false);

    auto copy = root->Clone(parent.Get());
    EXPECT_EQ(copy.UseCount(), 1u);
    EXPECT_EQ(copy->GetParent(), parent.Get());
    EXPECT_EQ(parent->GetChildCount(), 0u);  // the top clone is not attached
    EXPECT_TRUE(copy->GetMaterialInherit());
    ASSERT_EQ(copy->GetChildCount(), 1u);
    TFrame* childCopy = copy->GetChild(0);
    EXPECT_EQ(childCopy->GetName(), "Child");
    EXPECT_EQ(childCopy->GetParent(), copy.Get());
    EXPECT_EQ(*childCopy->GetMatrix(), Translation(0, 2, 0));
    EXPECT_EQ(childCopy->GetAnimationIndex(), -1);
    ASSERT_EQ(childCopy->GetKeyTrackSetCount(), 1u);
    EXPECT_EQ(childCopy->GetKeyTrackSet(0), child->GetKeyTrackSet(0));
    ExpectNear(WorldPosition(*childCopy), D3DXVECTOR3(1, 2, 7));
    copy->SetAnimationIndex(0);
    ExpectNear(WorldPosition(*childCopy), D3DXVECTOR3(10, 9, 16));
}

}  // namespace
