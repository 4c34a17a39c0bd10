// Frames (tree, matrices, relative queries, aiming, animated poses), frame files, key-frame tracks,
// the view and its culling, and the collision face base.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>
#include <vector>

#include "TCommon/TFile.h"
#include "dx/dx8/3d/TAnimTrack.h"
#include "dx/dx8/3d/TFrame.h"
#include "dx/dx8/3d/TTriangle.h"
#include "dx/dx8/3d/TView.h"
#include "support/frame_writer.h"
#include "support/temp_dir.h"

namespace {

using qmtest::FrameNode;
using qmtest::RotationKeys;
using qmtest::ScaleKeys;
using qmtest::TranslationKeys;
using qmtest::TranslationMatrix;

constexpr float kQuarter = 1.5707964F;

D3DXMATRIX Identity() { D3DXMATRIX m; return *D3DXMatrixIdentity(&m); }
D3DXMATRIX Translation(float x, float y, float z) { D3DXMATRIX m; return *D3DXMatrixTranslation(&m, x, y, z); }
D3DXMATRIX RotationY(float a) { D3DXMATRIX m; return *D3DXMatrixRotationY(&m, a); }

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

void ExpectNear(const D3DXMATRIX& a, const D3DXMATRIX& b, float tolerance = 1e-5F)
{
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_NEAR(a.m[r][c], b.m[r][c], tolerance) << "element " << r + 1 << c + 1;
        }
    }
}

D3DXVECTOR3 WorldAxis(const TFrame& f, std::uint32_t i) { D3DXVECTOR3 v; return *f.GetWorldAxis(&v, i); }
D3DXVECTOR3 WorldPosition(const TFrame& f) { D3DXVECTOR3 v; return *f.GetWorldPosition(&v); }

TEST(FrameTree, AttachingMovesAFrameAndReleasingTheRootOrphansHeldChildren)
{
    auto a = Make("A");
    auto b = Make("B");
    auto c1 = Make("C1");
    auto c2 = Make("C2");
    a->AddChild(c1);
    a->AddChild(c2);
    a->AddChild(c1);  // again: to the end
    ASSERT_EQ(a->GetChildCount(), 2u);
    EXPECT_EQ(a->GetChild(1), c1.Get());
    EXPECT_EQ(c1.UseCount(), 2u);
    b->AddChild(c2);  // from a to b
    EXPECT_EQ(c2->GetParent(), b.Get());
    EXPECT_FALSE(a->RemoveChild(c2.Get()));
    EXPECT_TRUE(c1->Detach());
    EXPECT_EQ(c1.UseCount(), 1u);
    EXPECT_FALSE(c1->Detach());  // now a root

    auto kept = Make("Kept");
    {
        auto root = Make("Root");
        auto middle = Make("Middle");
        root->AddChild(middle);
        middle->AddChild(kept);
        middle->AddChild(Make("Leaf"));
    }
    EXPECT_EQ(kept->GetParent(), nullptr);
    EXPECT_EQ(kept.UseCount(), 1u);
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
    ASSERT_TRUE(child->SetWorldPosition(D3DXVECTOR3(10, 3, -4)));
    ExpectNear(WorldPosition(*child), D3DXVECTOR3(10, 3, -4));
    ExpectNear(WorldAxis(*child, 3), D3DXVECTOR3(1, 0, 0));

    auto other = Make("Other", RotationY(-kQuarter) * Translation(0, 0, 5));
    ASSERT_TRUE(child->SetPositionRelativeTo(other.Get(), D3DXVECTOR3(0, 1, 2)));
    ExpectNear(WorldPosition(*child), D3DXVECTOR3(-2, 1, 5));
    D3DXVECTOR3 p;
    ASSERT_TRUE(child->GetAxisRelativeTo(other.Get(), &p, 3));
    ExpectNear(p, D3DXVECTOR3(0, 0, -1));  // the world's +X in a frame turned the other way
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
    EXPECT_EQ(v, D3DXVECTOR3(9, 9, 9));
    EXPECT_FALSE(frame->SetWorldPosition(D3DXVECTOR3(0, 0, 0)));
    EXPECT_FALSE(frame->SetDirection(D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0, 1, 0)));
    EXPECT_FALSE(frame->LookAtPoint(frame.Get(), D3DXVECTOR3(0, 0, 9), TFrame::kLookAim));
    EXPECT_EQ(*frame->GetMatrix(), before);
}

TEST(FrameAim, SetDirectionKeepsScaleAndDegenerateDirectionsChangeNothing)
{
    auto parent = Make("Parent", RotationY(kQuarter));
    auto f = Make("F", Translation(1, 2, 3), parent.Get());
    f->Scale(2, 2, 2, true);
    ASSERT_TRUE(f->SetDirection(D3DXVECTOR3(0, 0, 5), D3DXVECTOR3(0, 1, 0)));
    ExpectNear(WorldAxis(*f, 3), D3DXVECTOR3(0, 0, 2));  // scale kept
    ExpectNear(WorldAxis(*f, 2), D3DXVECTOR3(0, 2, 0));

    const D3DXMATRIX before = *f->GetMatrix();
    EXPECT_FALSE(f->SetDirection(D3DXVECTOR3(0, 3, 0), D3DXVECTOR3(0, 1, 0)));   // forward along up
    EXPECT_FALSE(f->SetDirection(D3DXVECTOR3(0, -2, 0), D3DXVECTOR3(0, 1, 0)));  // and against it
    EXPECT_FALSE(f->SetDirection(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 1, 0)));
    EXPECT_FALSE(f->SetDirection(D3DXVECTOR3(0, 0, 1), D3DXVECTOR3(0, 0, 0)));
    EXPECT_FALSE(f->SetDirection(D3DXVECTOR3(0, 0, 1), D3DXVECTOR3(NAN, 0, 0)));
    EXPECT_EQ(*f->GetMatrix(), before);
}

TEST(FrameAim, UprightKeepsTheReferenceUpAndAimFollowsTheTarget)
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
    EXPECT_NEAR(WorldAxis(*actor, 1).y, 0.0F, 1e-5F);  // no roll: X stays level
    EXPECT_FALSE(actor->LookAtPoint(world.Get(), D3DXVECTOR3(0, 0, 0), 7));  // only modes 4 and 12

    // A target along the up axis: upright fails and changes nothing, aim takes the world's X as up.
    actor->SetMatrix(Identity());
    auto above = Make("Above", Translation(0, 5, 0));
    world->AddChild(above);
    EXPECT_FALSE(actor->LookAtFrame(world.Get(), above.Get(), TFrame::kLookUpright));
    EXPECT_EQ(*actor->GetMatrix(), Identity());
    ASSERT_TRUE(actor->LookAtFrame(world.Get(), above.Get(), TFrame::kLookAim));
    ExpectNear(WorldAxis(*actor, 3), D3DXVECTOR3(0, 1, 0));
    ExpectNear(WorldAxis(*actor, 2), D3DXVECTOR3(1, 0, 0));
    // A target on the frame itself: the world's +Z (as a point in its axes) is taken instead.
    actor->SetMatrix(Identity());
    auto same = Make("Same");
    world->AddChild(same);
    ASSERT_TRUE(actor->LookAtFrame(world.Get(), same.Get(), TFrame::kLookUpright));
    ExpectNear(WorldAxis(*actor, 3), D3DXVECTOR3(0, 0, 1));
}

class Files : public ::testing::Test {
protected:
    void SetUp() override { TFrame::SetDirectory(dir_.Path().string() + "/"); }
    void TearDown() override { TFrame::SetDirectory(""); }

    TRefPtr<TAnimTrackSet> LoadSet(const std::vector<std::uint8_t>& bytes)
    {
        const std::string path = dir_.File("set" + std::to_string(++count_) + ".bin");
        qmtest::SaveBytes(path, bytes);
        TFile file(path);
        EXPECT_TRUE(file.Open(true, GENERIC_READ));
        return TAnimTrackSet::Load(file);
    }
    TRefPtr<TAnimTrackSet> LoadSet(const qmtest::KeyTrackSet& set)
    {
        qmtest::ByteWriter out;
        qmtest::WriteKeyTrackSet(out, set);
        return LoadSet(out.Data());
    }
    static D3DXMATRIX Pose(const TRefPtr<TAnimTrackSet>& set, float time, const D3DXMATRIX& local = Identity())
    {
        D3DXMATRIX out;
        set->Evaluate(&out, time, &local);
        return out;
    }
    static D3DXVECTOR3 Position(const D3DXMATRIX& m) { return D3DXVECTOR3(m._41, m._42, m._43); }
    TRefPtr<TFrame> LoadFrame(const std::vector<std::uint8_t>& bytes)
    {
        qmtest::SaveBytes(dir_.File("model.frm"), bytes);
        return TFrame::Load("model.frm");
    }

    qmtest::TempDir dir_;
    int count_ = 0;
};

TEST_F(Files, SamplingClampsAndTakesTheFirstKeyAtAndAfterTheLast)
{
    auto set = LoadSet({TranslationKeys({0, 10, 20}, {{1, 0, 0}, {3, 2, 0}, {7, 0, 4}})});
    EXPECT_EQ(Position(Pose(set, 5.0F)), D3DXVECTOR3(2, 1, 0));   // midway between a and b
    EXPECT_EQ(Position(Pose(set, 10.0F)), D3DXVECTOR3(3, 2, 0));  // b exactly
    EXPECT_EQ(Position(Pose(set, -3.0F)), D3DXVECTOR3(1, 0, 0));  // before the first key: a
    // At and after the last key time the first key comes back, not the last.
    EXPECT_EQ(Position(Pose(set, 20.0F)), D3DXVECTOR3(1, 0, 0));
    EXPECT_EQ(Position(Pose(set, 25.0F)), D3DXVECTOR3(1, 0, 0));
    const D3DXVECTOR3 late = Position(Pose(set, 19.5F));
    EXPECT_NEAR(late.x, 6.8F, 1e-5F);
    EXPECT_NEAR(late.z, 3.8F, 1e-5F);

    // One key holds; equal times take the later key.
    auto single = LoadSet({ScaleKeys({7}, {{2, 3, 4}})});
    for (float t : {-5.0F, 7.0F, 100.0F}) {
        D3DXMATRIX s;
        ExpectNear(Pose(single, t), *D3DXMatrixScaling(&s, 2, 3, 4));
    }
    auto twins = LoadSet({TranslationKeys({0, 10, 10, 20}, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}})});
    EXPECT_EQ(Position(Pose(twins, 10.0F)), D3DXVECTOR3(2, 0, 0));
    EXPECT_EQ(Position(Pose(twins, 15.0F)), D3DXVECTOR3(2.5F, 0, 0));
}

TEST_F(Files, StoredQuaternionsAreConjugatedAndThePoseIsScaleRotationTranslation)
{
    const float h = std::sqrt(0.5F);
    auto set = LoadSet({RotationKeys({0, 10, 20}, {{0, 0, 0, 1}, {0, 0, h, h}, {0, 0, 0, 1}})});
    // The stored quarter turn about Z comes out in the opposite sense.
    D3DXMATRIX expected;
    ExpectNear(Pose(set, 10.0F), *D3DXMatrixRotationZ(&expected, -1.5707964F));
    ExpectNear(Pose(set, 5.0F), *D3DXMatrixRotationZ(&expected, -0.7853982F));

    // Written in another order than they are applied; the local matrix plays no part.
    auto srt = LoadSet({TranslationKeys({0}, {{10, 20, 30}}), RotationKeys({0}, {{0, 0, -h, h}}),
                        ScaleKeys({0}, {{2, 1, 1}})});
    const D3DXMATRIX pose = Pose(srt, 0.0F, Translation(5, 5, 5));
    D3DXVECTOR4 p;
    const D3DXVECTOR3 x(1, 0, 0);
    D3DXVec3Transform(&p, &x, &pose);
    EXPECT_NEAR(p.x, 10.0F, 1e-5F);
    EXPECT_NEAR(p.y, 22.0F, 1e-5F);
    EXPECT_NEAR(p.z, 30.0F, 1e-5F);

    // Without a translation track the local position is kept and nothing else of it.
    D3DXMATRIX local;
    D3DXMatrixRotationX(&local, 1.0F);
    local._11 = 3.0F;
    local._41 = 4.0F;
    local._42 = -2.0F;
    local._43 = 1.0F;
    auto rotationOnly = LoadSet({RotationKeys({0}, {{0, 0, h, h}})});
    D3DXMatrixRotationZ(&expected, -1.5707964F);
    expected._41 = 4.0F;
    expected._42 = -2.0F;
    expected._43 = 1.0F;
    ExpectNear(Pose(rotationOnly, 3.0F, local), expected);
    EXPECT_EQ(Pose(LoadSet(qmtest::KeyTrackSet{}), 0.0F, local), Translation(4, -2, 1));
}

TEST_F(Files, EmptyLaterUnknownAndCutTracks)
{
    // A later track of a kind replaces the earlier; unknown kinds are skipped.
    qmtest::ByteWriter out;
    qmtest::WriteKeyTrackSet(out, {ScaleKeys({0}, {{5, 5, 5}}), {9, {}, {}}, ScaleKeys({0}, {{2, 2, 2}}),
                                   TranslationKeys({0}, {{1, 1, 1}})});
    D3DXMATRIX expected;
    D3DXMatrixScaling(&expected, 2, 2, 2);
    expected._41 = expected._42 = expected._43 = 1.0F;
    EXPECT_EQ(Pose(LoadSet(out.Data()), 0.0F), expected);

    // A track without keys leaves its slot empty; the record after it is still read.
    auto set = LoadSet({TranslationKeys({0}, {{1, 2, 3}}), TranslationKeys({}, {}), RotationKeys({}, {}),
                        ScaleKeys({0}, {{2, 2, 2}})});
    EXPECT_EQ(set->GetTranslation(), nullptr);
    EXPECT_EQ(set->GetRotation(), nullptr);
    ASSERT_NE(set->GetScale(), nullptr);
    expected._41 = 7.0F;
    expected._42 = 8.0F;
    expected._43 = 9.0F;
    EXPECT_EQ(Pose(set, 0.0F, Translation(7, 8, 9)), expected);

    // A record cut short keeps the tracks read whole.
    qmtest::ByteWriter two;
    qmtest::WriteKeyTrackSet(two, {ScaleKeys({0, 10}, {{2, 2, 2}, {4, 4, 4}}),
                                   TranslationKeys({0, 10}, {{1, 0, 0}, {2, 0, 0}})});
    const std::vector<std::uint8_t>& whole = two.Data();
    const std::size_t firstTrackEnd = 4 + 4 + 4 + 2 * 4 + 2 * 12;
    for (std::size_t size = 0; size < whole.size(); ++size) {
        auto cut = LoadSet(std::vector<std::uint8_t>(whole.begin(), whole.begin() + size));
        EXPECT_EQ(cut->GetScale() != nullptr, size >= firstTrackEnd) << size;
        EXPECT_EQ(cut->GetTranslation(), nullptr) << size;
    }
    // A key count far beyond the file is refused before anything is allocated for it.
    qmtest::ByteWriter huge;
    huge.U32(2).U32(1).U32(1).U32(0).F32(3).F32(3).F32(3).U32(2).U32(0x40000000).U32(0);
    set = LoadSet(huge.Data());
    EXPECT_NE(set->GetScale(), nullptr);
    EXPECT_EQ(set->GetTranslation(), nullptr);
}

TEST_F(Files, WorldMatricesUseEveryAncestorsPoseAndABadIndexKeepsTheLocalMatrix)
{
    auto root = Make("Root", Translation(100, 0, 0));
    auto arm = Make("Arm", Translation(0, 1, 0));
    root->AddChild(arm);
    root->AddKeyTrackSet(LoadSet({TranslationKeys({0, 10}, {{0, 0, 0}, {0, 0, 10}})}));
    root->AddKeyTrackSet(LoadSet({TranslationKeys({0}, {{-1, -1, -1}})}));
    arm->AddKeyTrackSet(LoadSet({ScaleKeys({0}, {{3, 3, 3}})}));
    ExpectNear(WorldPosition(*arm), D3DXVECTOR3(100, 1, 0));  // index -1: the local matrices
    root->SetAnimationIndex(0);
    root->SetAnimationTime(5.0F);
    EXPECT_EQ(arm->GetAnimationTime(), 5.0F);
    ExpectNear(WorldPosition(*arm), D3DXVECTOR3(0, 1, 5));  // the arm keeps its local position
    ExpectNear(WorldAxis(*arm, 1), D3DXVECTOR3(3, 0, 0));
    // Index 1 exists for the root only: the arm, with no set there, shows its local matrix.
    root->SetAnimationIndex(1);
    ExpectNear(WorldPosition(*arm), D3DXVECTOR3(-1, 0, -1));
    ExpectNear(WorldAxis(*arm, 1), D3DXVECTOR3(1, 0, 0));
    root->SetAnimationIndex(-7);
    ExpectNear(WorldPosition(*arm), D3DXVECTOR3(100, 1, 0));

    // A clone copies matrices and shares sets, but not the animation state; its top is not attached.
    root->SetAnimationIndex(0);
    auto parent = Make("Parent", Translation(0, 0, 7));
    auto copy = root->Clone(parent.Get());
    EXPECT_EQ(parent->GetChildCount(), 0u);
    TFrame* armCopy = copy->GetChild(0);
    EXPECT_EQ(armCopy->GetAnimationIndex(), -1);
    EXPECT_EQ(armCopy->GetKeyTrackSet(0), arm->GetKeyTrackSet(0));
    ExpectNear(WorldPosition(*armCopy), D3DXVECTOR3(100, 1, 7));
}

// Root "Scene" at (0, 1, 0) with two sets; "Body" (with "Head" below it) and "Wpn".
FrameNode Model()
{
    FrameNode head{"Head", TranslationMatrix(0, 2, 0), {}, {}, {}};
    FrameNode body{"Body", TranslationMatrix(1, 0, 0), {}, {{ScaleKeys({0}, {{2, 2, 2}})}}, {head}};
    FrameNode weapon{"Wpn", TranslationMatrix(0, 0, 3), {}, {}, {}};
    FrameNode scene{"Scene", TranslationMatrix(0, 1, 0), {}, {}, {body, weapon}};
    scene.sets.push_back({TranslationKeys({0, 10}, {{0, 0, 0}, {10, 0, 0}})});
    scene.sets.push_back({});
    return scene;
}

TEST_F(Files, FrameFileTreeComesBackInFileOrderAtRestUntilAnAnimationIsChosen)
{
    FrameNode leaf{"Root", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}, {}, {}, {}};
    for (std::uint32_t header : {0u, 0xFFFFFFFFu}) {
        auto root = LoadFrame(qmtest::FrameFile(leaf, header, ~header));
        EXPECT_EQ(root->GetName(), "Root");
        EXPECT_EQ(root->GetMatrix()->_21, 5.0F);
        EXPECT_EQ(root->GetChildCount(), 0u);
    }
    auto root = LoadFrame(qmtest::FrameFile(Model()));
    ASSERT_EQ(root->GetChildCount(), 2u);
    TFrame* body = root->GetChild(0);
    TFrame* weapon = root->GetChild(1);
    EXPECT_EQ(weapon->GetName(), "Wpn");
    ASSERT_EQ(body->GetChildCount(), 1u);
    TFrame* head = body->GetChild(0);
    EXPECT_EQ(head->GetName(), "Head");
    EXPECT_EQ(root->GetKeyTrackSetCount(), 2u);
    EXPECT_EQ(WorldPosition(*head), D3DXVECTOR3(1, 3, 0));
    root->SetAnimationIndex(0);
    root->SetAnimationTime(5.0F);
    // The root slides along X; the body doubles in size, which carries the head twice as far.
    EXPECT_EQ(WorldPosition(*head), D3DXVECTOR3(6, 4, 0));
    EXPECT_EQ(WorldPosition(*weapon), D3DXVECTOR3(5, 0, 3));
    root->SetAnimationIndex(1);  // an empty set: the root's local position only
    EXPECT_EQ(WorldPosition(*weapon), D3DXVECTOR3(0, 1, 3));
}

TEST_F(Files, MissingShortAndDeepFrameFilesGiveThePartialTree)
{
    auto missing = TFrame::Load("no such model.frm");
    EXPECT_EQ(missing->GetName(), "");
    EXPECT_EQ(missing->GetChildCount(), 0u);
    EXPECT_EQ(*missing->GetMatrix(), Identity());

    const std::vector<std::uint8_t> whole = qmtest::FrameFile(Model());
    // Header, then "Scene": name (4 + 6), matrix (64), mesh count, set count.
    const std::size_t rootName = 8 + 4 + 6;
    auto cut = [&](std::size_t n) { return LoadFrame(std::vector<std::uint8_t>(whole.begin(), whole.begin() + n)); };
    auto noMatrix = cut(rootName + 10);
    EXPECT_EQ(noMatrix->GetName(), "Scene");
    EXPECT_EQ(*noMatrix->GetMatrix(), Identity());
    auto noCounts = cut(rootName + 64);
    EXPECT_EQ(noCounts->GetMatrix()->_42, 1.0F);
    EXPECT_EQ(noCounts->GetChildCount(), 0u);
    // Cut inside the weapon's name: the body and head are whole; the weapon is there, unnamed.
    auto partial = cut(whole.size() - (4 + 64 + 4 + 4 + 4) - 2);
    ASSERT_EQ(partial->GetChildCount(), 2u);
    EXPECT_EQ(partial->GetChild(0)->GetChild(0)->GetName(), "Head");
    EXPECT_EQ(partial->GetChild(1)->GetName(), "");
    for (std::size_t n = 0; n < whole.size(); ++n) {
        auto root = cut(n);
        EXPECT_LE(root->GetChildCount(), 2u) << n;
        EXPECT_LE(root->GetKeyTrackSetCount(), 2u) << n;
    }

    // Nesting beyond any model stops reading at 256 levels.
    FrameNode node{"Leaf", TranslationMatrix(0, 1, 0), {}, {}, {}};
    for (int i = 0; i < 400; ++i) {
        node = FrameNode{"N", TranslationMatrix(0, 1, 0), {}, {}, {node}};
    }
    auto deep = LoadFrame(qmtest::FrameFile(node));
    int depth = 0;
    for (TFrame* f = deep.Get(); f->GetChildCount() != 0; f = f->GetChild(0)) {
        ++depth;
    }
    EXPECT_EQ(depth, 256);
}

TEST(View, ProjectionInDegreesAndTheViewIsTheCameraInverse)
{
    TView view;
    view.SetProjection(0.1F, 40.0F, 45.0F, 640, 480);
    D3DXMATRIX expected;
    D3DXMatrixPerspectiveFovLH(&expected, 45.0F * 0.017453292F, 640.0F / 480.0F, 0.1F, 40.0F);
    EXPECT_EQ(*view.GetProjection(), expected);
    EXPECT_NEAR(view.GetFarWidth(), 2.0F * 40.0F, 1e-3F);  // 2 × far × tan 45°
    view.SetProjection(0.1F, 20.0F, 30.0F, 640, 480);
    EXPECT_NEAR(view.GetFarWidth(), 40.0F * std::tan(0.5235988F), 1e-4F);

    TFrame camera("Camera", Identity(), nullptr);
    camera.RotateAxis(D3DXVECTOR3(0, 1, 0), 0.5F, false);
    camera.SetPosition(D3DXVECTOR3(3, 1, -4));
    ASSERT_TRUE(view.SetCamera(&camera));
    ExpectNear(*view.GetView() * *camera.GetMatrix(), Identity());
    view.SetProjection(0.5F, 10.0F, 60.0F, 800, 600);
    EXPECT_EQ(*view.GetViewProjection(), *view.GetView() * *view.GetProjection());
    // A flat camera cannot be inverted: refused, the view keeps what it had.
    const D3DXMATRIX before = *view.GetView();
    camera.Scale(1, 0, 1, true);
    EXPECT_FALSE(view.SetCamera(&camera));
    EXPECT_EQ(*view.GetView(), before);
}

TEST(View, SpheresAreCulledByNearFarAndTheWalls)
{
    // A camera at (0, 0, -5) looking along +Z, near 0.1, far 20, 45° on a 640×480 buffer.
    TFrame camera("Camera", Identity(), nullptr);
    camera.SetPosition(D3DXVECTOR3(0, 0, -5));
    TView view;
    view.SetProjection(0.1F, 20.0F, 45.0F, 640, 480);
    ASSERT_TRUE(view.SetCamera(&camera));
    auto visible = [&view](float x, float y, float z, float r) {
        const float sphere[4] = {x, y, z, r};
        return view.IsSphereVisible(sphere);
    };
    // At distance 10 from the eye, turned by the angle about the camera's X or Y axis.
    auto at = [&](float degrees, bool vertical) {
        const float a = degrees * 0.017453292F;
        const float side = 10.0F * std::sin(a);
        return visible(vertical ? 0 : side, vertical ? side : 0, -5.0F + 10.0F * std::cos(a), 0.01F);
    };
    EXPECT_FALSE(visible(0, 0, -5, 0.0F));  // on the eye: z = 0 < near
    EXPECT_TRUE(visible(0, 0, -5, 1.0F));
    EXPECT_TRUE(visible(0, 0, -5 + 20.0F + 0.5F, 0.5F));   // at far + r
    EXPECT_FALSE(visible(0, 0, -5 + 20.0F + 0.51F, 0.5F));  // a hair further
    EXPECT_FALSE(visible(0, 0, -9, 1.0F));                  // behind the camera
    // The side walls stand at the full 45° (the picture shows about 29°), up and down at 0.75 × 45°.
    EXPECT_TRUE(at(40.0F, false));
    EXPECT_TRUE(at(-40.0F, false));
    EXPECT_FALSE(at(50.0F, false));
    EXPECT_FALSE(at(-50.0F, false));
    EXPECT_TRUE(at(32.0F, true));
    EXPECT_FALSE(at(36.0F, true));
    EXPECT_FALSE(at(-36.0F, true));
    // A sphere outside a wall still counts while it reaches across it.
    EXPECT_FALSE(visible(10.0F, 0, 0.0F, 3.0F));  // 3.54 beyond the right wall
    EXPECT_TRUE(visible(10.0F, 0, 0.0F, 4.0F));
    // The volume turns with the camera.
    camera.RotateAxis(D3DXVECTOR3(0, 1, 0), 1.5707964F, true);
    ASSERT_TRUE(view.SetCamera(&camera));
    EXPECT_TRUE(visible(10, 0, -5, 0.01F));
    EXPECT_FALSE(visible(0, 0, 5, 0.01F));
    // With the largest far, far + r overflows: nothing is culled by distance.
    view.SetProjection(0.0F, FLT_MAX, 45.0F, 640, 480);
    EXPECT_TRUE(visible(1e30F, 0, -5, 1.0F));
}

// Records what the face looked like when it was asked to classify itself.
class RecordingFace : public TTriangle {
public:
    void Classify(const float* extra) override
    {
        extra_ = extra;
        dAtClassify_ = m_d;
        ++calls_;
    }
    const float* extra_ = nullptr;
    float dAtClassify_ = -1.0F;
    int calls_ = 0;
};

TEST(Triangle, NormalAndConstantFollowTheCornerOrder)
{
    RecordingFace face;
    const float colour[4] = {1, 0.5F, 0.25F, 1};
    face.Set(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0, 0, 1), colour);
    EXPECT_EQ(face.GetNormal(), D3DXVECTOR3(0, -1, 0));
    EXPECT_EQ(face.GetD(), 0.0F);
    EXPECT_EQ(face.extra_, colour);
    // The other winding faces up; classify runs last, with everything in place.
    face.Set(D3DXVECTOR3(2, 3, 1), D3DXVECTOR3(2, 3, 5), D3DXVECTOR3(6, 3, 1), nullptr);
    EXPECT_EQ(face.GetNormal(), D3DXVECTOR3(0, 1, 0));
    EXPECT_EQ(face.GetD(), -3.0F);
    EXPECT_EQ(face.dAtClassify_, -3.0F);
    // A slope: the normal is of unit length whatever the size of the face.
    face.Set(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 40, 40), D3DXVECTOR3(40, 0, 0), nullptr);
    EXPECT_NEAR(face.GetNormal().y, 0.70710677F, 1e-6F);
    EXPECT_NEAR(face.GetNormal().z, -0.70710677F, 1e-6F);
    // A face without area has no normal.
    face.Set(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 1, 1), D3DXVECTOR3(2, 2, 2), nullptr);
    EXPECT_EQ(face.GetNormal(), D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(face.GetNormalLength(), 0.0F);
    EXPECT_EQ(face.calls_, 4);
}

}  // namespace
