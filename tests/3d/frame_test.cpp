// Frames (tree, matrices, relative queries, aiming, animated poses), frame files, key-frame tracks,
// the view and its culling, and the collision face base.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>
#include <vector>

#include "TCommon/TByteReader.h"
#include "dx/dx8/3d/TAnimTrack.h"
#include "dx/dx8/3d/TFrame.h"
#include "dx/dx8/3d/TTriangle.h"
#include "dx/dx8/3d/TView.h"
#include "formats/frame_writer.h"
#include "support/dx_probe.h"
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
}

TEST(FrameMatrix, SetParentOnlyRedirectsTheWorldMatrix)
{
    auto first = Make("First", Translation(1, 2, 3));
    auto second = Make("Second", RotationY(kQuarter) * Translation(-4, 0, 6));
    auto child = Make("Child", Translation(0, 0, 5));
    child->SetParent(first.Get());
    EXPECT_EQ(child->GetParent(), first.Get());
    ExpectNear(WorldPosition(*child), D3DXVECTOR3(1, 2, 8));
    EXPECT_EQ(first->GetChildCount(), 0u) << "not attached";
    child->SetParent(second.Get());
    ExpectNear(WorldPosition(*child), D3DXVECTOR3(1, 0, 6));
    child->SetParent(nullptr);
    EXPECT_EQ(child->GetParent(), nullptr);
    ExpectNear(WorldPosition(*child), D3DXVECTOR3(0, 0, 5));
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
    D3DXVECTOR3 v(9, 9, 9);
    EXPECT_FALSE(frame->WorldToLocal(&v, D3DXVECTOR3(1, 1, 1), true));
    EXPECT_EQ(v, D3DXVECTOR3(9, 9, 9));
    EXPECT_FALSE(frame->SetWorldPosition(D3DXVECTOR3(0, 0, 0)));
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
    EXPECT_FALSE(f->SetDirection(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 1, 0)));
    EXPECT_FALSE(f->SetDirection(D3DXVECTOR3(0, 0, 1), D3DXVECTOR3(0, 0, 0)));
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

    // A target along the up axis: upright fails and changes nothing, aim takes the world's X as up.
    actor->SetMatrix(Identity());
    auto above = Make("Above", Translation(0, 5, 0));
    world->AddChild(above);
    EXPECT_FALSE(actor->LookAtFrame(world.Get(), above.Get(), TFrame::kLookUpright));
    EXPECT_EQ(*actor->GetMatrix(), Identity());
    ASSERT_TRUE(actor->LookAtFrame(world.Get(), above.Get(), TFrame::kLookAim));
    ExpectNear(WorldAxis(*actor, 3), D3DXVECTOR3(0, 1, 0));
    ExpectNear(WorldAxis(*actor, 2), D3DXVECTOR3(1, 0, 0));
}

class Files : public ::testing::Test {
protected:
    void SetUp() override { TFrame::SetDirectory(dir_.Path().string() + "/"); }
    void TearDown() override { TFrame::SetDirectory(""); }

    TRefPtr<TAnimTrackSet> LoadSet(const std::vector<std::uint8_t>& bytes)
    {
        TByteReader in(bytes);
        return TAnimTrackSet::Load(in);
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
}

TEST_F(Files, EmptyLaterUnknownAndCutTracks)
{
    // A track without keys leaves its slot empty; the record after it is still read.
    auto set = LoadSet({TranslationKeys({0}, {{1, 2, 3}}), TranslationKeys({}, {}), RotationKeys({}, {}),
                        ScaleKeys({0}, {{2, 2, 2}})});
    EXPECT_EQ(TDxProbe::Translation(*set), nullptr);
    EXPECT_EQ(TDxProbe::Rotation(*set), nullptr);
    ASSERT_NE(TDxProbe::Scale(*set), nullptr);
    D3DXMATRIX scale;
    EXPECT_EQ(Pose(set, 0.0F, Translation(7, 8, 9)), *D3DXMatrixScaling(&scale, 2, 2, 2) * Translation(7, 8, 9));
    // A key count far beyond the file is refused before anything is allocated for it.
    qmtest::ByteWriter huge;
    huge.U32(2).U32(1).U32(1).U32(0).F32(3).F32(3).F32(3).U32(2).U32(0x40000000).U32(0);
    set = LoadSet(huge.Data());
    EXPECT_NE(TDxProbe::Scale(*set), nullptr);
    EXPECT_EQ(TDxProbe::Translation(*set), nullptr);
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
    EXPECT_EQ(TDxProbe::AnimationTime(*arm), 5.0F);
    ExpectNear(WorldPosition(*arm), D3DXVECTOR3(0, 1, 5));  // the arm keeps its local position
    ExpectNear(WorldAxis(*arm, 1), D3DXVECTOR3(3, 0, 0));
    // Index 1 exists for the root only: the arm, with no set there, shows its local matrix.
    root->SetAnimationIndex(1);
    ExpectNear(WorldPosition(*arm), D3DXVECTOR3(-1, 0, -1));
    ExpectNear(WorldAxis(*arm, 1), D3DXVECTOR3(1, 0, 0));
    root->SetAnimationIndex(-7);
    ExpectNear(WorldPosition(*arm), D3DXVECTOR3(100, 1, 0));
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
    // Cut inside the weapon's name: the body and head are whole; the weapon is there, unnamed.
    auto partial = cut(whole.size() - (4 + 64 + 4 + 4 + 4) - 2);
    ASSERT_EQ(partial->GetChildCount(), 2u);
    EXPECT_EQ(partial->GetChild(0)->GetChild(0)->GetName(), "Head");
    EXPECT_EQ(partial->GetChild(1)->GetName(), "");

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

    TFrame camera("Camera", Identity(), nullptr);
    camera.RotateAxis(D3DXVECTOR3(0, 1, 0), 0.5F, false);
    camera.SetPosition(D3DXVECTOR3(3, 1, -4));
    ASSERT_TRUE(view.SetCamera(&camera));
    ExpectNear(*view.GetView() * *camera.GetMatrix(), Identity());
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
    EXPECT_FALSE(at(50.0F, false));
    EXPECT_TRUE(at(32.0F, true));
    EXPECT_FALSE(at(36.0F, true));
    // A sphere outside a wall still counts while it reaches across it.
    EXPECT_FALSE(visible(10.0F, 0, 0.0F, 3.0F));  // 3.54 beyond the right wall
    EXPECT_TRUE(visible(10.0F, 0, 0.0F, 4.0F));
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

    // A face without area has no normal.
    face.Set(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 1, 1), D3DXVECTOR3(2, 2, 2), nullptr);
    EXPECT_EQ(face.GetNormal(), D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(face.GetNormalLength(), 0.0F);
}

}  // namespace
