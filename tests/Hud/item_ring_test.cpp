// The field item ring on a real field, its player's input words scripted step by step: which
// releases use an item, the turns and their wrap and sound, the slide in and out, the counts, the
// draw at two screen widths and the open ring on screen.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "Hud/hud_field_fixture.h"
#include "MainCode/GameData/TItemTable.h"
#include "MainCode/Hud/TItemRing.h"
#include "MainCode/Hud/TLetterFont.h"
#include "MainCode/Hud/TSkillGauge.h"
#include "MainCode/TInputDevice.h"
#include "support/character_probe.h"
#include "support/dx_probe.h"
#include "support/golden.h"
#include "support/hud_probe.h"

namespace {

constexpr std::uint32_t kUp = 0x1;
constexpr std::uint32_t kDown = 0x2;
constexpr std::uint32_t kD = 0x80;
constexpr float kSlot = 0.7853982F;

class ItemRing : public hudtest::HudField {
protected:
    void SetUp() override
    {
        HudField::SetUp();
        ring_ = field_->GetItemRing();
        for (std::uint32_t k = 0; k < 8; ++k) {
            *Slot(k) = TItemEntry();
        }
    }
    static TItemEntry* Slot(std::uint32_t k) { return TGameData::GetInstance()->GetRingSlot(k); }
    // One step of the ring with this word down now, the last word given before it.
    bool Run(std::uint32_t now)
    {
        TInputDevice* input = app_->GetInput();
        input->SetWord(1, last_);
        input->SetWord(0, now);
        last_ = now;
        return ring_->RunState(player_);
    }
    int TurnSounds() const { return Plays(607); }

    TItemRing* ring_ = nullptr;
    std::uint32_t last_ = 0;
};

TEST_F(ItemRing, ReleasesUseTheItemAtTheSelectionPointOnlyWhenItIsThere)
{
    const struct {
        const char* what;
        TItemEntry slot1;
        TItemEntry slot7;
        std::vector<std::uint32_t> words;  // ends with the release
        std::uint32_t used;                // 0: nothing
    } cases[] = {
        {"open and let go", {4, 5}, {6, 2}, {kD, kD, kD, 0}, 0},
        {"one DOWN", {4, 5}, {6, 2}, {kD, kD, kD | kDown, kD, 0}, 4},
        {"one UP", {4, 5}, {6, 2}, {kD, kD | kUp, kD, 0}, 6},
        {"UP and DOWN at once turn by UP", {4, 5}, {6, 2}, {kD, kD | kUp | kDown, 0}, 6},
        {"let go while sliding in", {4, 5}, {6, 2}, {kD, kD | kDown, 0}, 4},
        {"an empty slot", {0, 0}, {6, 2}, {kD, kD | kDown, kD, 0}, 0},
        {"a count of 0", {4, 0}, {6, 2}, {kD, kD | kDown, kD, 0}, 0},
        {"id -1", {0xFFFFFFFFu, 3}, {6, 2}, {kD, kD | kDown, kD, 0}, 0},
        {"a count of 1", {4, 1}, {6, 2}, {kD, kD | kDown, kD, 0}, 4},
        {"eight DOWN come round to slot 0",
         {4, 5},
         {6, 2},
         {kD, kD | kDown, kD, kD | kDown, kD, kD | kDown, kD, kD | kDown, kD, kD | kDown, kD, kD | kDown, kD,
          kD | kDown, kD, kD | kDown, kD, 0},
         0},
        {"seven DOWN stop on slot 7",
         {4, 5},
         {6, 2},
         {kD, kD | kDown, kD, kD | kDown, kD, kD | kDown, kD, kD | kDown, kD, kD | kDown, kD, kD | kDown, kD,
          kD | kDown, kD, 0},
         6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(ring_->IsClosed());
        *Slot(1) = c.slot1;
        *Slot(7) = c.slot7;
        TCharacterProbe::SetRingItem(*player_, 0);
        player_->SetState(0);
        for (std::uint32_t w : c.words) {
            Run(w);
        }
        EXPECT_TRUE(THudProbe::IsClosing(*ring_));
        EXPECT_EQ(TCharacterProbe::RingItem(*player_), c.used);
        EXPECT_EQ(player_->GetState(), c.used != 0 ? 18u : 0u);
        // Closed again before the next case.
        player_->SetState(0);
        while (!ring_->IsClosed()) {
            Run(0);
        }
    }
}

TEST_F(ItemRing, TurnsWrapBothWaysWithTheirSoundAndNewTurnsStartFromTheLastTarget)
{
    driver_.RecordSounds(true);
    Run(kD);
    const struct {
        std::uint32_t word;
        std::int32_t selected;
        int sounds;
    } steps[] = {
        {kD | kUp, 7, 1},   {kD, 7, 1},          {kD | kDown, 0, 2}, {kD | kDown, 0, 2},  // held: no new press
        {kD, 0, 2},         {kD | kDown, 1, 3},  {kD, 1, 3},         {kD | kUp, 0, 4},
        {kD, 0, 4},         {kD | kUp, 7, 5},    {kD, 7, 5},         {kD | kUp, 6, 6},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(Run(steps[i].word));
        EXPECT_EQ(THudProbe::Selected(*ring_), steps[i].selected);
        EXPECT_EQ(TurnSounds(), steps[i].sounds);
    }
    // Two quick UPs: the second turn starts from the first one's target, pi/4 on from 7 pi/4.
    EXPECT_FLOAT_EQ(THudProbe::RingTurn(*ring_).from, kSlot);
    EXPECT_FLOAT_EQ(THudProbe::RingTurn(*ring_).to, 2.0F * kSlot);
    for (int i = 0; i < 10; ++i) {
        Run(kD);
    }
    EXPECT_FLOAT_EQ(THudProbe::RingTurn(*ring_).value, 2.0F * kSlot);
    EXPECT_FLOAT_EQ(THudProbe::RingTurn(*ring_).from, 2.0F * kSlot) << "based again on its target";
    // Slot 6 has come round to the selection point at 2 pi, slot 0 stands at 2 slots.
    EXPECT_FLOAT_EQ(THudProbe::SlotAngle(*ring_, 6).value, 8.0F * kSlot);
    EXPECT_FLOAT_EQ(THudProbe::SlotAngle(*ring_, 0).value, 2.0F * kSlot);
    EXPECT_FLOAT_EQ(THudProbe::SlotAngle(*ring_, 7).value, 9.0F * kSlot);
    driver_.RecordSounds(false);
}

TEST_F(ItemRing, OneUpBringsSlotSevenToTheSelectionPointInTenSteps)
{
    Run(kD);
    Run(kD | kUp);
    const float slot7 = 7.0F * kSlot;
    for (int i = 1; i <= 10; ++i) {
        Run(kD);
        EXPECT_FLOAT_EQ(THudProbe::SlotAngle(*ring_, 7).value, slot7 + kSlot * static_cast<float>(i) / 10.0F) << i;
    }
    EXPECT_FLOAT_EQ(THudProbe::SlotAngle(*ring_, 7).value, 6.2831855F);
    EXPECT_EQ(THudProbe::Selected(*ring_), 7);
    EXPECT_FLOAT_EQ(THudProbe::SlotAngle(*ring_, 0).value, kSlot);
}

// Step by step: the slide in, the open steps, the release, the slide out with "D" pressed during
// it, and the reopening once closed.
TEST_F(ItemRing, SlidesInAndOutAndTakesTheInputOnlyWhileOpen)
{
    const struct {
        std::uint32_t word;
        bool taken;
        const char* state;  // after the step
        float slide;
    } steps[] = {
        {kD, false, "open", -266.0F},       {kD, true, "open", -249.0F},       {kD, true, "open", -232.0F},
        {kD, true, "open", -215.0F},        {kD, true, "open", -198.0F},       {kD, true, "open", -181.0F},
        {kD, true, "open", -164.0F},        {kD, true, "open", -147.0F},       {kD, true, "open", -130.0F},
        {kD, true, "open", -113.0F},        {kD, true, "open", -96.0F},        {kD, true, "open", -96.0F},
        {0, true, "closing", -96.0F},       {0, false, "closing", -113.0F},    {kD | kUp, false, "closing", -130.0F},
        {kD, false, "closing", -147.0F},    {kD, false, "closing", -164.0F},   {kD, false, "closing", -181.0F},
        {kD, false, "closing", -198.0F},    {kD, false, "closing", -215.0F},   {kD, false, "closing", -232.0F},
        {kD, false, "closing", -249.0F},    {kD, false, "closing", -266.0F},   {kD, false, "closed", -266.0F},
        {kD, false, "open", -266.0F},       {kD, true, "open", -249.0F},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Run(steps[i].word), steps[i].taken);
        const std::string state = THudProbe::IsOpen(*ring_)      ? "open"
                                  : THudProbe::IsClosing(*ring_) ? "closing"
                                                                 : "closed";
        EXPECT_EQ(state, steps[i].state);
        EXPECT_FLOAT_EQ(THudProbe::Slide(*ring_).value, steps[i].slide);
        EXPECT_EQ(THudProbe::Selected(*ring_), 0) << "UP while closing is not taken";
    }
}

// Which glyph of the letter font a count glyph shows, found by its cell.
char GlyphOf(TLetterFont* font, const TSprite& glyph)
{
    for (char c : std::string("#0123456789")) {
        const TSprite& g = font->Glyph(static_cast<std::uint8_t>(c));
        if (g.GetVertex(0).u == glyph.GetVertex(0).u && g.GetVertex(0).v == glyph.GetVertex(0).v &&
            TDxProbe::Image(g).HasTexture() == TDxProbe::Image(glyph).HasTexture()) {
            return c;
        }
    }
    return '?';
}

TEST_F(ItemRing, CountsShowATensAndAUnitsGlyphAndEmptySlotsTwoBlanks)
{
    const struct {
        TItemEntry entry;
        const char* glyphs;
    } slots[] = {{{1, 5}, "#5"}, {{2, 9}, "#9"}, {{3, 10}, "10"}, {{1, 12}, "12"}, {{2, 99}, "99"}, {{0, 0}, "##"},
                 {{3, 0}, "#0"}};
    for (std::uint32_t k = 1; k < 8; ++k) {
        *Slot(k) = slots[k - 1].entry;
    }
    *Slot(0) = {1, 42};  // never shown
    ring_->UpdateCounts();
    TLetterFont* font = field_->GetLetterFont();
    EXPECT_EQ(GlyphOf(font, THudProbe::CountGlyph(*ring_, 0, 0)), '#');
    EXPECT_EQ(GlyphOf(font, THudProbe::CountGlyph(*ring_, 0, 1)), '#');
    for (std::uint32_t k = 1; k < 8; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(GlyphOf(font, THudProbe::CountGlyph(*ring_, static_cast<std::int32_t>(k), 0)),
                  slots[k - 1].glyphs[0]);
        EXPECT_EQ(GlyphOf(font, THudProbe::CountGlyph(*ring_, static_cast<std::int32_t>(k), 1)),
                  slots[k - 1].glyphs[1]);
    }
    // The icons: none for slot 0 and the empty slot, the item's for the others.
    TItemTable::Get(3).IconName = "icon003";
    ring_->Update();
    EXPECT_FALSE(TDxProbe::Image(THudProbe::Icon(*ring_, 0)).HasTexture());
    EXPECT_FALSE(TDxProbe::Image(THudProbe::Icon(*ring_, 6)).HasTexture());
    EXPECT_EQ(TDxProbe::Image(THudProbe::Icon(*ring_, 3)).GetName(), "itemicon.ptx/icon003");
    EXPECT_EQ(THudProbe::Icon(*ring_, 3).GetWidth(), 32u);
}

// The centre of what a sprite's last transformed draw covered, in back-buffer pixels.
D3DXVECTOR2 Centre(const TSprite& s)
{
    float x = 0.0F;
    float y = 0.0F;
    for (int i = 0; i < 4; ++i) {
        x += s.GetVertex(i).x;
        y += s.GetVertex(i).y;
    }
    return D3DXVECTOR2(x / 4.0F, y / 4.0F);
}

TEST_F(ItemRing, SlotsCircleTheRingUprightAtBothScreenWidths)
{
    TItemTable::Get(3).IconName = "icon003";
    *Slot(2) = {3, 7};
    ring_->Update();
    Run(kD);
    for (int i = 0; i < 12; ++i) {
        Run(kD);
    }
    ASSERT_FLOAT_EQ(THudProbe::Slide(*ring_).value, -96.0F);
    for (const int width : {640, 1280}) {
        SCOPED_TRACE(width);
        const float k = static_cast<float>(width) / 640.0F;
        TSprite::SetScreenScale(640, 480, width, width * 3 / 4);
        driver_.RecordDraws(true);
        ring_->Draw();
        // Ring, eight slots of icon, tens and units, cursor.
        ASSERT_EQ(driver_.draws.size(), 26u);
        EXPECT_EQ(driver_.draws[0].texture, "sprite.ptx/ring01_c");
        EXPECT_EQ(driver_.draws[0].mode, 1);
        EXPECT_EQ(driver_.draws[25].texture, "sprite.ptx/ring_cursor00");
        EXPECT_EQ(driver_.draws[25].kind, TSpriteDrawRecord::kDraw);
        EXPECT_FLOAT_EQ(driver_.draws[25].x, 40.0F);
        EXPECT_FLOAT_EQ(driver_.draws[25].y, 258.0F);
        // Slot 2 at a right angle, straight below the centre (16, 274): icon centred 96 below it,
        // its glyphs 32 and 44 to the right and 32 lower.
        const D3DXVECTOR2 icon = Centre(THudProbe::Icon(*ring_, 2));
        EXPECT_NEAR(icon.x, 16.0F * k, 0.01F);
        EXPECT_NEAR(icon.y, (274.0F + 96.0F) * k, 0.01F);
        const D3DXVECTOR2 tens = Centre(THudProbe::CountGlyph(*ring_, 2, 0));
        const D3DXVECTOR2 units = Centre(THudProbe::CountGlyph(*ring_, 2, 1));
        EXPECT_NEAR(tens.x, 48.0F * k, 0.01F);
        EXPECT_NEAR(tens.y, (306.0F + 96.0F) * k, 0.01F);
        EXPECT_NEAR(units.x, 60.0F * k, 0.01F);
        // Upright: the top edge level, as wide as the picture.
        EXPECT_NEAR(THudProbe::Icon(*ring_, 2).GetVertex(1).x - THudProbe::Icon(*ring_, 2).GetVertex(0).x, 32.0F * k,
                    0.01F);
        EXPECT_NEAR(THudProbe::Icon(*ring_, 2).GetVertex(1).y, THudProbe::Icon(*ring_, 2).GetVertex(0).y, 0.01F);
        // Slot 0 at the selection point, right of the centre; slot 4 opposite it.
        EXPECT_NEAR(Centre(THudProbe::CountGlyph(*ring_, 0, 1)).x, (60.0F + 96.0F) * k, 0.01F);
        EXPECT_NEAR(Centre(THudProbe::CountGlyph(*ring_, 4, 1)).x, (60.0F - 96.0F) * k, 0.01F);
        EXPECT_NEAR(Centre(THudProbe::CountGlyph(*ring_, 4, 1)).y, 306.0F * k, 0.01F);
        driver_.RecordDraws(false);
    }
    TSprite::SetScreenScale(640, 480, 640, 480);
}

TEST_F(ItemRing, ClosedRingDrawsNothingAndTheOpenOneDraws)
{
    driver_.RecordDraws(true);
    ring_->Draw();
    EXPECT_TRUE(driver_.draws.empty());
    Run(kD);
    ring_->Draw();
    EXPECT_EQ(driver_.draws.size(), 26u);
    driver_.RecordDraws(false);
}

// Played: "D" held on the field, one "DOWN", the ring at rest after its turn.
TEST_F(ItemRing, OpenRingAfterOneTurnOnScreen)
{
    TItemTable::Get(1).IconName = "icon001";
    TItemTable::Get(2).IconName = "icon002";
    *Slot(1) = {1, 5};
    *Slot(2) = {2, 12};
    field_->RefreshHud();
    Hold('V', true);
    Steps(3);
    Press(VK_DOWN);
    Steps(12);
    EXPECT_EQ(THudProbe::Selected(*ring_), 1);
    EXPECT_TRUE(qmtest::MatchesGolden(Screen(), "ItemRingOpenOneTurn"));
    Hold('V', false);
    Step();
    EXPECT_EQ(TCharacterProbe::RingItem(*player_), 1u);
}

// A new ring and gauge: their sounds are loaded into the effect bank while they live.
TEST_F(ItemRing, NewRingAndGaugeStandAtTheirStartAndTakeTheirSoundsForTheirLifetime)
{
    const std::vector<TSoundBankRecord> expected = {
        {TSoundBankRecord::kLoad, 0, 607}, {TSoundBankRecord::kLoad, 0, 601},
        {TSoundBankRecord::kUnload, 0, 601}, {TSoundBankRecord::kUnload, 0, 607}};
    driver_.RecordSounds(true);
    {
        TItemRing ring(field_->GetLetterFont());
        TSkillGauge gauge;
        // Ramps of no steps stand at their start: nothing divided by 0.
        for (std::int32_t k = 0; k < 8; ++k) {
            EXPECT_EQ(THudProbe::SlotAngle(ring, k).value, 0.0F) << k;
            EXPECT_EQ(THudProbe::SlotAngle(ring, k).steps, 0) << k;
        }
        EXPECT_EQ(THudProbe::Slide(ring).value, -266.0F);
    }
    EXPECT_EQ(driver_.sounds, expected);
    driver_.RecordSounds(false);
}

}  // namespace
