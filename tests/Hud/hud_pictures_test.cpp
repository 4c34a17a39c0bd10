// The field HUD's pictures: the letter-sprite font on the generated sheet (its cells, lookups off
// the sheet, shared pictures, a missing sheet, words drawn with it) and the textured fade quad.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "3d/fixtures.h"
#include "MainCode/Hud/TLetterFont.h"
#include "MainCode/TUiQuad.h"
#include "TCommon/my_error.h"
#include "formats/hud_assets.h"
#include "platform/testing/win32.h"
#include "support/dx_probe.h"
#include "support/golden.h"
#include "support/hud_probe.h"
#include "support/main_probe.h"

namespace {

class HudPictures : public qmtest::Graphics2D {
protected:
    void SetUp() override
    {
        Graphics2D::SetUp();
        StartDevice();
        WritePackage("sprite.ptx", qmtest::HudSprites());
    }
    // Each glyph copied and drawn size × size, left to right.
    static void Write(TLetterFont& font, const std::string& text, float x, float y, float size)
    {
        for (std::size_t i = 0; i < text.size(); ++i) {
            TSprite glyph = font.Glyph(static_cast<std::uint8_t>(text[i]));
            glyph.Draw(x + size * static_cast<float>(i), y, size, size, false);
        }
    }
};

TEST_F(HudPictures, GlyphsCarryTheirCellOfTheSheet)
{
    TLetterFont font("sprite.ptx/word");
    EXPECT_EQ(THudProbe::GlyphCount(font), 45u);  // 44 characters and '#'
    const struct {
        std::uint8_t c;
        float left, top;
    } cells[] = {
        {'A', 0.0F, 0.0F},       {'H', 0.875F, 0.0F},   {'I', 0.0F, 0.125F},   {'Z', 0.125F, 0.375F},
        {'!', 0.25F, 0.375F},    {'%', 0.875F, 0.375F}, {'0', 0.0F, 0.5F},     {'7', 0.875F, 0.5F},
        {'9', 0.125F, 0.625F},   {'.', 0.25F, 0.625F},  {':', 0.375F, 0.625F},
        {'#', 0.875F, 0.875F},  // the last '#' cell, not the first at (0.5, 0.625)
    };
    for (const auto& cell : cells) {
        SCOPED_TRACE(testing::Message() << "glyph " << cell.c);
        const TSprite& glyph = font.Glyph(cell.c);
        EXPECT_TRUE(TDxProbe::Image(glyph).HasTexture());
        const float u[4] = {cell.left, cell.left + 0.125F, cell.left, cell.left + 0.125F};
        const float v[4] = {cell.top, cell.top, cell.top + 0.125F, cell.top + 0.125F};
        for (int corner = 0; corner < 4; ++corner) {
            EXPECT_FLOAT_EQ(glyph.GetVertex(corner).u, u[corner]) << corner;
            EXPECT_FLOAT_EQ(glyph.GetVertex(corner).v, v[corner]) << corner;
            EXPECT_EQ(glyph.GetVertex(corner).diffuse, 0xFFFFFFFFu);
        }
        EXPECT_EQ(glyph.GetWidth(), 128u);
    }
    EXPECT_EQ(&font.Digit(7), &font.Glyph('7'));
    EXPECT_EQ(&font.Digit(0), &font.Glyph('0'));
    EXPECT_EQ(&font.Digit(10), &font.Glyph(':'));  // no range check
    EXPECT_EQ(THudProbe::GlyphCount(font), 45u);
}

TEST_F(HudPictures, CharactersOffTheSheetGetAPlainSpriteThatStays)
{
    TLetterFont font("sprite.ptx/word");
    for (std::uint8_t c : {static_cast<std::uint8_t>('a'), static_cast<std::uint8_t>(';')}) {
        SCOPED_TRACE(c);
        TSprite& glyph = c == ';' ? font.Digit(11) : font.Glyph(c);
        EXPECT_FALSE(TDxProbe::Image(glyph).HasTexture());
        EXPECT_FLOAT_EQ(glyph.GetVertex(3).u, 1.0F);
        EXPECT_FLOAT_EQ(glyph.GetVertex(3).v, 1.0F);
        EXPECT_EQ(&font.Glyph(c), &glyph);
    }
    EXPECT_EQ(THudProbe::GlyphCount(font), 47u);
}

TEST_F(HudPictures, GlyphCopiesShareTheSheetAMissingEntryLeavesThemBlankAndAMissingPackageNamesItself)
{
    TLetterFont font("sprite.ptx/word");
    const std::uint32_t shared = TDxProbe::ShareCount(THudProbe::Image(font));
    {
        TSprite copy = font.Glyph('Q');
        EXPECT_EQ(TDxProbe::Image(copy).GetTexture(), THudProbe::Image(font).GetTexture());
        EXPECT_EQ(TDxProbe::ShareCount(THudProbe::Image(font)), shared + 1);
    }
    EXPECT_EQ(TDxProbe::ShareCount(THudProbe::Image(font)), shared);

    // An entry the package lacks: every cell laid out, none with a texture; the log beside the
    // program (in the test's own folder) says so.
    platform::OverrideModuleFileName((std::filesystem::current_path() / "quillmark4").string());
    TLetterFont blank("sprite.ptx/nosuch");
    platform::OverrideModuleFileName("");
    std::ifstream log("ErrorLog.txt", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("\"nosuch\""), std::string::npos) << text;
    EXPECT_EQ(THudProbe::GlyphCount(blank), 45u);
    EXPECT_FALSE(TDxProbe::Image(blank.Glyph('Q')).HasTexture());
    EXPECT_EQ(blank.Glyph('Q').GetVertex(3).u, 0.125F);  // row 2, column 0
    EXPECT_EQ(blank.Glyph('Q').GetVertex(3).v, 0.375F);
    // A package that is not there stops the font.
    try {
        TLetterFont none("letters.ptx/word");
        ADD_FAILURE() << "letters.ptx was accepted";
    } catch (const my_error& e) {
        EXPECT_NE(std::string(e.what()).find("letters.ptx"), std::string::npos) << e.what();
    }
}

TEST_F(HudPictures, WordsAndNumbersAtTwoSizes)
{
    TLetterFont font("sprite.ptx/word");
    BeginFrame(0xFF304050);
    TSprite::SetRenderMode(1);
    Write(font, "LV:07", 16, 16, 16);
    Write(font, "120/450", 16, 48, 16);
    Write(font, "#", 16, 80, 16);
    Write(font, "LV:07", 16, 112, 32);
    Write(font, "120/450", 16, 160, 32);
    Write(font, "#", 16, 208, 32);
    EXPECT_TRUE(qmtest::MatchesGolden(EndFrame(), "LetterFontWords"));
}

// A fade quad with a picture: tinted by the tween's colour, half way through its fade.
TEST_F(HudPictures, TexturedQuadHalfFadedOverAColouredScreen)
{
    WritePackage("title.ptx", {TestPicture("picture")});
    TUiQuad quad(10, TUiQuad::kBlack, TUiQuad::kCover);
    const float start[4] = {1.0F, 0.6F, 0.6F, 1.0F};
    const float end[4] = {1.0F, 0.6F, 0.6F, 0.0F};
    quad.Init(10, start, end, "title.ptx/picture");
    EXPECT_TRUE(TMainProbe::IsTextured(quad));
    for (int i = 0; i < 5; ++i) {
        quad.StepForward();
    }
    EXPECT_EQ(TMainProbe::Colour(quad), 0x7FFF9999u);
    BeginFrame(0xFF20A040);
    TSprite::SetRenderMode(1);
    quad.Draw(0.0F, 0.0F, 640.0F, 480.0F);
    EXPECT_TRUE(qmtest::MatchesGolden(EndFrame(), "UiQuadTexturedHalfFaded"));
}

}  // namespace
