// Shots on screen: a fire trail curving across the view and a wind mesh shot, drawn headless.
#include <gtest/gtest.h>

#include "MainCode/Character/TAccelMotion.h"
#include "MainCode/Shot/TArcMotion.h"
#include "dx/dx8/3d/TDrawList.h"
#include "dx/dx8/3d/TView.h"
#include "shot_fixture.h"
#include "support/golden.h"

namespace shottest {
namespace {

class ShotPicture : public ShotTest {
protected:
    platform::RgbaImage Draw()
    {
        TView view;
        view.SetProjection(0.5F, 40.0F, 45.0F, 640, 480);
        EXPECT_TRUE(view.SetCamera(area_->GetCamera()->GetFrame()));
        EXPECT_TRUE(d3d()->CheckLostDevice());
        d3d()->Clear(0xFF203040, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 1.0F, 0, 0, nullptr);
        d3d()->BeginScene();
        area_->Scene()->Render(&view, &effecttest::kIdentity);
        TDrawList::FlushAll();
        d3d()->EndScene();
        platform::RgbaImage image;
        EXPECT_TRUE(platform::ReadBackBuffer(device(), &image));
        return image;
    }
};

TEST_F(ShotPicture, ParticleTrailAndMeshShot)
{
    const float small[3] = {0.4F, 0.4F, 0.4F};
    Register<TShotC>(301, "effect.ptx/fire", 40, 8, true, small);
    const float wind[3] = {1.5F, 1.0F, 1.2F};
    Register<TShotE>(405, "wind01.msh", 40, 1, false, wind);

    const float orange[4] = {1.0F, 0.6F, 0.3F, 1.0F};
    auto* trail = Fire<TShotC>(301, D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 1), orange);
    trail->SetMotion(std::make_unique<TArcMotion>(0.05F, D3DXVECTOR3(0.0F, 2.0F, 0.0F), D3DXVECTOR3(-2.5F, 1.0F, 2.0F),
                                                  D3DXVECTOR3(2.5F, 1.0F, 4.0F)));
    auto* rock = Fire<TShotE>(405, D3DXVECTOR3(0, 0, 0));
    rock->SetMotion(std::make_unique<TAccelMotion>(D3DXVECTOR3(1.5F, 0.5F, 1.0F), D3DXVECTOR3(1, 0, 0), 0.04F, 0.0F));
    rock->AimParts(D3DXVECTOR3(-1.0F, 0.2F, 0.3F));

    for (int frame = 0; frame < 10; ++frame) {
        area_->Update();
    }
    EXPECT_TRUE(qmtest::MatchesGolden(Draw(), "ShotTrail0"));
    for (int frame = 0; frame < 6; ++frame) {
        area_->Update();
    }
    EXPECT_TRUE(qmtest::MatchesGolden(Draw(), "ShotTrail1"));
}

}  // namespace
}  // namespace shottest
