// The first playable frames: play starts at the first save point, the field fades in from black,
// the player walks up to the wall with the camera following; the player takes the field's own parts.
#include "Field/field_game_fixture.h"
#include "MainCode/Map/TBattleArea.h"
#include "MainCode/Map/TCamera.h"
#include "MainCode/Scene/TTitleLoop.h"
#include "MainCode/TUiQuad.h"
#include "support/golden.h"
#include "formats/player_model_writer.h"
#include "support/main_probe.h"
#include "support/map_probe.h"

namespace fieldtest {
namespace {

TEST_F(FieldGame, PlayStartsAtTheFirstSavePointFadingIn)
{
    Start();
    Steps(8);  // past the input's start-up polls
    ASSERT_NE(dynamic_cast<TTitleLoop*>(TMainProbe::CurrentScene(*app_)), nullptr);
    // As a loaded save's change builds it: over the title, which then goes.
    app_->PushScene(TFieldLoop::CreateAtSavePoint(app_.get(), qmtest::FieldLayout::kSavePoint));
    app_->PopScenesTo(1);
    TFieldLoop* field = CurrentField();
    ASSERT_NE(field, nullptr);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(app_->GetSceneCount(), 1);
    ASSERT_NE(dynamic_cast<TBattleArea*>(field->GetArea()), nullptr);
    EXPECT_TRUE(TMapProbe::IsInPhase(*field));
    // The save point's place, facing -z, and nothing carried over from an earlier character.
    const D3DXVECTOR3 p = PositionOf(field->GetPlayer());
    EXPECT_NEAR(p.x, qmtest::FieldLayout::Start().x, 0.05F);
    EXPECT_NEAR(p.z, qmtest::FieldLayout::Start().z, 0.05F);
    D3DXVECTOR3 front;
    field->GetPlayer()->GetFront(&front);
    EXPECT_NEAR(front.z, -1.0F, 1e-4F);
    EXPECT_EQ(TGameData::GetInstance()->GetGaugeCarry(), 0u);
}

TEST_F(FieldGame, APlayerTakesTheFieldAndItsOwnPartsAndNothingWithoutAField)
{
    Start();
    Steps(8);
    TFieldLoop* field = Ready("battle");
    ASSERT_NE(field, nullptr);
    const TPlayerFieldLinks links = GetPlayerFieldLinks(field);
    EXPECT_EQ(links.field, field);
    EXPECT_EQ(links.player, field->GetPlayer());
    EXPECT_EQ(links.input, app_->GetInput());
    EXPECT_EQ(links.letterFont, field->GetLetterFont());
    EXPECT_EQ(links.statusPanel, field->GetStatusPanel());
    EXPECT_EQ(links.itemRing, field->GetItemRing());
    EXPECT_EQ(links.skillGauge, field->GetSkillGauge());
    EXPECT_EQ(links.getRender, field->GetGetRender());
    const TPlayerFieldLinks none = GetPlayerFieldLinks(nullptr);
    EXPECT_EQ(none.field, nullptr);
    EXPECT_EQ(none.player, nullptr);
    EXPECT_EQ(none.input, nullptr);
    EXPECT_EQ(none.letterFont, nullptr);
    EXPECT_EQ(none.statusPanel, nullptr);
    EXPECT_EQ(none.itemRing, nullptr);
    EXPECT_EQ(none.skillGauge, nullptr);
    EXPECT_EQ(none.getRender, nullptr);
}

TEST_F(FieldGame, TheFieldFadesInFromBlackOverSixtyStepsAndTheWalkStopsAtTheWall)
{
    Start();
    Steps(8);
    TFieldLoop* field = PushField("battle");
    ASSERT_NE(field, nullptr);
    ASSERT_TRUE(TMapProbe::IsInPhase(*field));
    auto* fade = dynamic_cast<TFadeInPhase*>(TMapProbe::Phase(*field));
    ASSERT_NE(fade, nullptr);

    // Step 0: nothing but black.
    app_->DrawScene();
    platform::RgbaImage image = Screen();
    EXPECT_EQ(Pixel(image, 320, 240), 0x000000u);
    EXPECT_EQ(Pixel(image, 10, 470), 0x000000u);
    EXPECT_TRUE(qmtest::MatchesGolden(image, "FieldFadeStep0"));

    for (int step = 1; step <= 60; ++step) {
        Step();
        ASSERT_TRUE(TMapProbe::IsInPhase(*field)) << step;
        EXPECT_EQ(TMainProbe::Counter(TMapProbe::Quad(*fade)), step);
        if (step == 30) {
            EXPECT_TRUE(qmtest::MatchesGolden(Screen(), "FieldFadeStep30"));
        }
    }
    const platform::RgbaImage visible = Screen();
    // The 60th step drew the end colour: the next step ends the phase and the area draws.
    Step();
    EXPECT_FALSE(TMapProbe::IsInPhase(*field));
    const platform::RgbaImage area = Screen();
    EXPECT_TRUE(qmtest::MatchesGolden(area, "FieldFadeStep61"));
    EXPECT_EQ(Pixel(visible, 320, 400), Pixel(area, 320, 400));
    EXPECT_NE(Pixel(area, 320, 400), 0x000000u);

    TPlayerCharacter* player = field->GetPlayer();
    TCamera* camera = field->GetArea()->GetCamera();
    const D3DXVECTOR3 start = PositionOf(player);
    Hold(VK_UP, true);
    float lastZ = start.z;
    std::uint32_t lastState = 1;
    for (int step = 1; step <= 120; ++step) {
        Step();
        // The first walking step's motion, then walking on.
        const std::uint32_t state = player->GetState();
        EXPECT_EQ(state, step <= static_cast<int>(qmtest::kPlayerModelFrames) ? 1u : 2u) << step;
        EXPECT_GE(state, lastState) << step;
        lastState = state;
        const D3DXVECTOR3 p = PositionOf(player);
        EXPECT_GE(p.z, lastZ - 1e-4F) << step;
        EXPECT_NEAR(p.y, 0.0F, 0.05F) << step;  // on the floor
        EXPECT_LT(p.z, qmtest::FieldLayout::kWallZ) << step;
        lastZ = p.z;
        D3DXVECTOR3 eye;
        camera->GetFrame()->GetPosition(&eye);
        EXPECT_GE(eye.y, p.y + qmtest::FieldLayout::kFollowHeight - 1e-3F) << step;
        const float dx = eye.x - p.x;
        const float dz = eye.z - p.z;
        // Trailing behind its distance by the walk it makes up a tenth of each step, never closing in.
        EXPECT_GE(std::sqrt(dx * dx + dz * dz), qmtest::FieldLayout::kFollowDistance - 0.1F) << step;
        EXPECT_LE(std::sqrt(dx * dx + dz * dz), qmtest::FieldLayout::kFollowDistance + qmtest::FieldLayout::kWalkStep * 10.0F + 0.1F) << step;
    }
    Hold(VK_UP, false);
    // 120 steps of the pattern's walk would pass the wall: it held the player.
    EXPECT_GT(start.z + 120 * qmtest::FieldLayout::kWalkStep, qmtest::FieldLayout::kWallZ);
    EXPECT_GT(lastZ, qmtest::FieldLayout::kWallZ - 1.5F);
    EXPECT_NEAR(PositionOf(player).x, start.x, 0.2F);
    EXPECT_TRUE(qmtest::MatchesGolden(Screen(), "FieldWalkToWall"));
    Step();
    EXPECT_EQ(player->GetState(), 0u);
}

}  // namespace
}  // namespace fieldtest
