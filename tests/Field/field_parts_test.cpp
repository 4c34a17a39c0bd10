// The fade quad's timing and colour packing, and the tables of the map building.
#include <gtest/gtest.h>

#include "MainCode/Map/TMapData.h"
#include "MainCode/TUiQuad.h"
#include "dx/dx8/3d/TVertexShader.h"
#include "support/device_fixture.h"
#include "support/main_probe.h"

namespace {

class UiQuad : public qmtest::DeviceFixture {
protected:
    void SetUp() override
    {
        DeviceFixture::SetUp();
        WriteWindowedSettings();
        ASSERT_TRUE(InitDevice());
    }
};

TEST_F(UiQuad, ColourModeAndDirectionChooseTheTwoColours)
{
    const TUiQuad fadeIn(60, TUiQuad::kBlack, TUiQuad::kUncover);
    EXPECT_EQ(TMainProbe::Colour(fadeIn), 0xFF000000u);  // hides the screen until stepped
    const TUiQuad cover(60, TUiQuad::kBlack, TUiQuad::kCover);
    EXPECT_EQ(TMainProbe::Colour(cover), 0x00000000u);
    const TUiQuad white(60, 14, TUiQuad::kCover);
    EXPECT_EQ(TMainProbe::Colour(white), 0x00FFFFFFu);
    const TUiQuad other(60, 16, 0xF001);
    EXPECT_EQ(TMainProbe::Colour(other), 0xFFFFFFFFu);
}

TEST_F(UiQuad, ForwardRunsUntilTheEndColourWasDrawnAndBackUntilTheStart)
{
    TUiQuad quad(4, TUiQuad::kBlack, TUiQuad::kCover);
    EXPECT_TRUE(quad.StepForward());
    EXPECT_EQ(TMainProbe::Colour(quad), 0x3F000000u);  // 0.25 × 255 truncated
    EXPECT_TRUE(quad.StepForward());
    EXPECT_EQ(TMainProbe::Colour(quad), 0x7F000000u);  // 0.5 gives 127
    EXPECT_TRUE(quad.StepForward());
    EXPECT_TRUE(quad.StepForward());  // the fourth sets the end colour; not drawn yet
    EXPECT_EQ(TMainProbe::Colour(quad), 0xFF000000u);
    EXPECT_TRUE(quad.StepForward());  // past the end: still waiting for the draw
    EXPECT_EQ(TMainProbe::Counter(quad), 4);
    quad.Draw(0.0F, 0.0F, 640.0F, 480.0F);
    EXPECT_FALSE(quad.StepForward());
    EXPECT_EQ(TMainProbe::Colour(quad), 0xFF000000u);

    EXPECT_TRUE(quad.StepBack());
    EXPECT_TRUE(quad.StepBack());
    EXPECT_TRUE(quad.StepBack());
    EXPECT_FALSE(quad.StepBack());  // the fourth reaches the start
    EXPECT_EQ(TMainProbe::Colour(quad), 0x00000000u);
    EXPECT_FALSE(quad.StepBack());
    EXPECT_EQ(TMainProbe::Counter(quad), 0);
    // The end was drawn before: the next forward run ends on the call that reaches it.
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(quad.StepForward());
    }
    EXPECT_FALSE(quad.StepForward());
}

TEST_F(UiQuad, ZeroFramesSetTheEndAtOnceAndFinishWaitsForADraw)
{
    TUiQuad quad(0, 15, TUiQuad::kUncover);
    EXPECT_TRUE(quad.StepForward());
    EXPECT_EQ(TMainProbe::Colour(quad), 0x00000000u);
    quad.Draw(0.0F, 0.0F, 640.0F, 480.0F);
    EXPECT_FALSE(quad.StepForward());
    EXPECT_FALSE(quad.StepBack());
    EXPECT_EQ(TMainProbe::Colour(quad), 0xFF000000u);

    const float start[4] = {1.0F, 0.5F, 0.0F, 0.0F};
    const float end[4] = {1.0F, 0.5F, 0.0F, 1.0F};
    quad.Init(10, start, end, "");
    EXPECT_FALSE(TMainProbe::IsTextured(quad));
    EXPECT_FALSE(TMainProbe::IsEndDrawn(quad));
    EXPECT_EQ(TMainProbe::Colour(quad), 0x00FF7F00u);
    quad.Finish();
    EXPECT_EQ(TMainProbe::Colour(quad), 0xFFFF7F00u);
    EXPECT_TRUE(quad.StepForward());
    quad.Draw(0.0F, 0.0F, 640.0F, 480.0F);
    EXPECT_FALSE(quad.StepForward());
}

TEST(MapBuildTables, MaterialCodesAtEveryIndexAndPastTheTable)
{
    const std::uint16_t expected[] = {0, 0, 1100, 1200, 1300, 2000, 2100, 2300, 2200, 3000, 4000, 4100};
    for (std::uint32_t i = 0; i <= TMapData::kMaxMaterialIndex; ++i) {
        EXPECT_EQ(TMapData::MaterialCodeOf(i), expected[i]) << i;
    }
    EXPECT_EQ(TMapData::MaterialCodeOf(12), 0);
    EXPECT_EQ(TMapData::MaterialCodeOf(0xFFFFFFFF), 0);
}

class MapShaders : public UiQuad {};

TEST_F(MapShaders, ShaderKindsGiveTheirShaderObjects)
{
    EXPECT_EQ(TMapData::CreateShader(0).Get(), nullptr);
    EXPECT_NE(dynamic_cast<TConstantColorShader*>(TMapData::CreateShader(1).Get()), nullptr);
    EXPECT_NE(dynamic_cast<TVertexColorShader*>(TMapData::CreateShader(2).Get()), nullptr);
    EXPECT_NE(dynamic_cast<TConstantColorShader*>(TMapData::CreateShader(3).Get()), nullptr);
    EXPECT_NE(dynamic_cast<TMorphConstantColorShader*>(TMapData::CreateShader(4).Get()), nullptr);
    EXPECT_NE(dynamic_cast<TMorphVertexColorShader*>(TMapData::CreateShader(5).Get()), nullptr);
    EXPECT_NE(dynamic_cast<TMorphVertexColorShader*>(TMapData::CreateShader(6).Get()), nullptr);
    EXPECT_EQ(TMapData::CreateShader(7).Get(), nullptr);
}

}  // namespace
