// A start at a save point opens on the settled chase view: the follow camera stands behind the player
// at its distance and height from the first step, and the fade-in uncovers that same view.
#include "Field/field_game_fixture.h"
#include "MainCode/Map/TCamera.h"
#include "support/golden.h"
#include "support/map_probe.h"

namespace fieldtest {
namespace {

D3DXVECTOR3 CameraAt(TFieldLoop* field)
{
    const D3DXMATRIX& m = *field->GetArea()->GetCamera()->GetFrame()->GetMatrix();
    return D3DXVECTOR3(m._41, m._42, m._43);
}

TEST_F(FieldGame, ASavePointStartOpensOnTheChaseViewBehindThePlayer)
{
    Start();
    Steps(8);
    TFieldLoop* field = nullptr;
    TSvpTable::Get(qmtest::FieldLayout::kSavePoint).MapName = "map00/battle";
    // As a loaded save's change builds it: over the title, which then goes.
    app_->PushScene(TFieldLoop::CreateAtSavePoint(app_.get(), qmtest::FieldLayout::kSavePoint));
    app_->PopScenesTo(1);
    field = CurrentField();
    ASSERT_NE(field, nullptr);
    ASSERT_TRUE(TMapProbe::IsInPhase(*field));  // step 0: the opening fade has not moved anything yet
    // The save point faces the player along -z; behind it is +z.
    const D3DXVECTOR3 start = qmtest::FieldLayout::Start();
    const D3DXVECTOR3 behind(start.x, start.y + qmtest::FieldLayout::kFollowHeight,
                             start.z + qmtest::FieldLayout::kFollowDistance);
    const D3DXVECTOR3 first = CameraAt(field);
    EXPECT_NEAR(first.x, behind.x, 0.01F);
    EXPECT_NEAR(first.y, behind.y, 0.01F);
    EXPECT_NEAR(first.z, behind.z, 0.01F);

    FinishFade(field);
    Step();
    const D3DXVECTOR3 settled = CameraAt(field);
    EXPECT_NEAR(settled.x, first.x, 0.06F);  // the player stands 0.02 to 0.05 off the stored point
    EXPECT_NEAR(settled.y, first.y, 0.01F);
    EXPECT_NEAR(settled.z, first.z, 0.06F);
    EXPECT_TRUE(qmtest::MatchesGolden(Screen(), "field_save_point_first_view"));
}

}  // namespace
}  // namespace fieldtest
