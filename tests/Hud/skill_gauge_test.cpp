// The skill gauge on a real field: "F" and "G" with their wrap and sound, the selection carried
// from the last character kept inside the gauge, its pieces and icons where they belong, and the
// gauge on screen with a gap and the cursor resting in it.
#include <gtest/gtest.h>

#include <climits>

#include "Hud/hud_field_fixture.h"
#include "MainCode/GameData/TCharacterRecord.h"
#include "MainCode/GameData/TSkillTable.h"
#include "MainCode/Hud/TSkillGauge.h"
#include "MainCode/TInputDevice.h"
#include "support/golden.h"

namespace {

constexpr std::uint32_t kF = 0x200;
constexpr std::uint32_t kG = 0x400;

class SkillGauge : public hudtest::HudField {
protected:
    void SetUp() override
    {
        HudField::SetUp();
        gauge_ = field_->GetSkillGauge();
    }
    int SelectSounds() const { return Plays(601); }
    // Slot 2 of the player's record holds a skill whose icon is "act02_skl"; the rest are empty.
    void OneSkillInSlotTwo()
    {
        TCharacterRecord* record = TGameData::GetInstance()->GetCharacterData(player_->GetCharacterIndex());
        for (std::uint32_t& slot : record->SkillSlot) {
            slot = 0;
        }
        record->SkillSlot[2] = 7;
        TSkillTable::Get(7).SubKind = 2;
        gauge_->Refresh(player_);
    }

    TSkillGauge* gauge_ = nullptr;
};

TEST_F(SkillGauge, NewPressesOfFAndGMoveTheSelectionRoundWithASoundEach)
{
    const struct {
        std::int32_t from;
        std::uint32_t now;
        std::uint32_t before;
        std::int32_t to;
        int sounds;
    } cases[] = {
        {0, kF, 0, 4, 1},       {1, kF, 0, 0, 1},   {4, kF, 0, 3, 1},   {4, kG, 0, 0, 1},   {3, kG, 0, 4, 1},
        {0, kG, 0, 1, 1},       {2, kF | kG, 0, 2, 2}, {2, kF, kF, 2, 0}, {2, kG, kG, 2, 0},
        {2, kF | kG, kG, 1, 1}, {2, 0, kF | kG, 2, 0}, {2, 0x1FF, 0, 2, 0},  // other buttons do nothing
    };
    TInputDevice* input = app_->GetInput();
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " " << std::hex << c.now << " " << c.before);
        gauge_->SetSelection(c.from);
        input->SetWord(0, c.now);
        input->SetWord(1, c.before);
        driver_.RecordSounds(true);
        gauge_->HandleInput(player_);
        EXPECT_EQ(gauge_->GetSelection(), c.to);
        EXPECT_EQ(SelectSounds(), c.sounds);
        driver_.RecordSounds(false);
    }
}

TEST_F(SkillGauge, SetSelectionIsSilentAndKeepsACarriedValueInsideTheGauge)
{
    const struct {
        std::int32_t given;
        std::int32_t kept;
    } cases[] = {{INT_MIN, 0}, {-1, 0}, {0, 0}, {1, 1}, {3, 3}, {4, 4}, {5, 4}, {INT_MAX, 4}};
    driver_.RecordSounds(true);
    for (const auto& c : cases) {
        gauge_->SetSelection(c.given);
        EXPECT_EQ(gauge_->GetSelection(), c.kept) << c.given;
    }
    EXPECT_EQ(SelectSounds(), 0);
    driver_.RecordSounds(false);
    // A new player takes the carried selection: an out-of-range carry lands on the last slot.
    TGameData::GetInstance()->SetGaugeCarry(7);
    ASSERT_TRUE(field_->ChangePlayer(1));
    EXPECT_EQ(gauge_->GetSelection(), 4);
}

TEST_F(SkillGauge, PiecesIconsAndCursorStandInTheirPlaces)
{
    OneSkillInSlotTwo();
    gauge_->SetSelection(3);  // an empty slot
    driver_.RecordDraws(true);
    gauge_->Draw(0, 416);
    const struct {
        const char* texture;
        float x, y, w, h;
    } expected[] = {
        {"sprite.ptx/guage06", 0, 416, 72, 64},    {"sprite.ptx/guage06", 72, 416, 48, 64},
        {"sprite.ptx/guage06", 120, 416, 48, 64},  {"sprite.ptx/guage06", 168, 416, 48, 64},
        {"sprite.ptx/guage06", 216, 416, 72, 64},
        // The empty slots draw nothing: gaps the cursor rests in.
        {"skl_icon.ptx/act02_skl", 128, 440, 32, 32},
        {"sprite.ptx/ring_cursor01", 176, 440, 32, 32},
    };
    ASSERT_EQ(driver_.draws.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        const TSpriteDrawRecord& d = driver_.draws[i];
        EXPECT_EQ(d.texture, expected[i].texture);
        EXPECT_EQ(d.x, expected[i].x);
        EXPECT_EQ(d.y, expected[i].y);
        EXPECT_EQ(d.w, expected[i].w);
        EXPECT_EQ(d.h, expected[i].h);
        EXPECT_EQ(d.mode, 1);
    }
    driver_.RecordDraws(false);
    // The pieces' columns of the picture: left end, three middles, right end.
    const float columns[5][2] = {{0.0F, 0.28125F}, {0.28125F, 0.46875F}, {0.28125F, 0.46875F}, {0.28125F, 0.46875F},
                                 {0.46875F, 0.75F}};
    for (int i = 0; i < 5; ++i) {
        const TSprite& piece = gauge_->GetSlotBackgrounds()[i];
        EXPECT_EQ(piece.GetVertex(0).u, columns[i][0]) << i;
        EXPECT_EQ(piece.GetVertex(3).u, columns[i][1]) << i;
        EXPECT_EQ(piece.GetVertex(3).v, 1.0F) << i;
    }
}

TEST_F(SkillGauge, ResetColorsWhitensEveryCornerTheSkillWindowDimmed)
{
    OneSkillInSlotTwo();
    for (int i = 0; i < 5; ++i) {
        gauge_->GetSlotBackgrounds()[i].SetColor(0xFFB3B3B3, -1);
        gauge_->GetSlotIcons()[i].SetColor(0xFFB3B3B3, i % 4);
    }
    gauge_->ResetColors();
    for (int i = 0; i < 5; ++i) {
        for (int corner = 0; corner < 4; ++corner) {
            EXPECT_EQ(gauge_->GetSlotBackgrounds()[i].GetVertex(corner).diffuse, 0xFFFFFFFFu);
            EXPECT_EQ(gauge_->GetSlotIcons()[i].GetVertex(corner).diffuse, 0xFFFFFFFFu);
        }
    }
}

// Played: "G" three times on the field, from slot 0 over the skill in slot 2 to the gap at 3.
TEST_F(SkillGauge, TheCursorRestsInAGapOnScreen)
{
    OneSkillInSlotTwo();
    for (int i = 0; i < 3; ++i) {
        Press('S');
        Step();
    }
    EXPECT_EQ(gauge_->GetSelection(), 3);
    EXPECT_TRUE(qmtest::MatchesGolden(Screen(), "SkillGaugeCursorInAGap"));
}

}  // namespace
