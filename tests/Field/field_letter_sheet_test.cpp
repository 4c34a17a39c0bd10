// A field folder whose sprite package lacks the letter sheet still plays: the field is built, its
// letters stay blank, and the error log names the package and the entry once.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Field/field_game_fixture.h"
#include "MainCode/Hud/TLetterFont.h"
#include "TCommon/my_error.h"
#include "formats/byte_writer.h"
#include "formats/ptx_writer.h"
#include "support/dx_probe.h"
#include "support/hud_probe.h"

namespace fieldtest {
namespace {

class LetterSheet : public FieldGame {
protected:
    void SetUp() override
    {
        FieldGame::SetUp();
        std::filesystem::create_directory(exeDir_.Path() / "game");
        platform::OverrideModuleFileName((exeDir_.Path() / "game" / "quillmark4").string());
        my_error::SetLogOptions("contact", 4096, "ErrorLog.txt", my_error::kWriteLog | my_error::kAppend);
    }
    void TearDown() override
    {
        FieldGame::TearDown();
        my_error::SetLogOptions("contact", 4096, "ErrorLog.txt", 0);
        platform::OverrideModuleFileName("");
    }
    std::string Log() const
    {
        std::ifstream in(exeDir_.Path() / "game" / "ErrorLog.txt", std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static std::size_t Count(const std::string& text, const std::string& part)
    {
        std::size_t n = 0;
        for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
            ++n;
        }
        return n;
    }

    qmtest::TempDir exeDir_;
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
    EXPECT_EQ(Count(log, "\"word\""), 1u) << log;
    EXPECT_EQ(Count(log, "data/ptx04/sprite.ptx"), 1u) << log;
    EXPECT_TRUE(boxes_.empty());
}

}  // namespace
}  // namespace fieldtest
