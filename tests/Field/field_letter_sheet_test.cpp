// A field folder whose sprite package lacks the letter sheet still plays: the field is built, its
// letters stay blank, and the error log names the package and the entry once.
#include <filesystem>
#include <memory>

#include "Field/field_game_fixture.h"
#include "MainCode/Hud/TLetterFont.h"
#include "formats/byte_writer.h"
#include "formats/ptx_writer.h"
#include "support/dx_probe.h"
#include "support/error_log.h"
#include "support/hud_probe.h"

namespace fieldtest {
namespace {

class LetterSheet : public FieldGame {
protected:
    void SetUp() override
    {
        FieldGame::SetUp();
        std::filesystem::create_directory(exeDir_.Path() / "game");
        errors_ = std::make_unique<qmtest::ErrorLogBeside>(exeDir_.Path() / "game");
    }
    void TearDown() override
    {
        FieldGame::TearDown();
        errors_.reset();
    }
    std::string Log() const { return errors_->Log(); }

    qmtest::TempDir exeDir_;
    std::unique_ptr<qmtest::ErrorLogBeside> errors_;
};

TEST_F(LetterSheet, AFieldWithoutItsLetterSheetIsBuiltAndSaysWhichEntryOnce)
{
    Start();
    std::vector<qmtest::PtxImage> sprites = qmtest::FieldSprites();
    const std::size_t before = sprites.size();
    std::erase_if(sprites, [](const qmtest::PtxImage& image) { return image.storedName == std::string("word", 5); });
    ASSERT_EQ(sprites.size(), before - 1);
    qmtest::SaveBytes("data/ptx04/sprite.ptx", qmtest::BuildPtx(sprites));
    Steps(8);

    TFieldLoop* field = Ready("battle");
    ASSERT_NE(field, nullptr);
    Hold(VK_UP, true);
    Steps(30);
    Hold(VK_UP, false);
    EXPECT_EQ(CurrentField(), field);
    TLetterFont* font = field->GetLetterFont();
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(THudProbe::GlyphCount(*font), 45u);
    EXPECT_FALSE(TDxProbe::Image(font->Glyph('A')).HasTexture());
    EXPECT_FALSE(TDxProbe::Image(font->Digit(7)).HasTexture());

    const std::string log = Log();
    EXPECT_EQ(qmtest::CountOf(log, "\"word\""), 1u) << log;
    EXPECT_EQ(qmtest::CountOf(log, "data/ptx04/sprite.ptx"), 1u) << log;
    EXPECT_TRUE(boxes_.empty());
}

}  // namespace
}  // namespace fieldtest
