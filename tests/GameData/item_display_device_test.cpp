// Icons, pictures and description texts on a real device: sprites from their packages, lines
// drawn into the text textures they belong to, and the save slot lines.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/THrdefTable.h"
#include "MainCode/GameData/TItemTable.h"
#include "MainCode/GameData/TSkillTable.h"
#include "MainCode/GameData/TSvpTable.h"
#include "MainCode/GameData/TWeponTable.h"
#include "TUtility/TFontHolder.h"
#include "dx/dx8/3d/TSprite.h"
#include "dx/dx8/3d/TText8.h"
#include "support/byte_writer.h"
#include "support/device_fixture.h"
#include "support/game_table_writer.h"
#include "support/ptx_writer.h"
#include "support/save_writer.h"

namespace {

namespace fs = std::filesystem;

class ItemDisplayDeviceTest : public qmtest::DeviceFixture {
protected:
    void SetUp() override
    {
        DeviceFixture::SetUp();
        WriteWindowedSettings();
        ASSERT_TRUE(InitDevice());
        fs::create_directories("ptx");
        TTexture8::SetDirectory("ptx/");

        TItemRecord potion;
        potion.Id = 7;
        potion.IconName = "potion_icon";
        potion.InfoName = "potion_pic";
        TItemTable::Load(Table("item.tbl", std::vector<TItemRecord>{potion}));
        TSkillRecord fire;
        fire.Id = 3001;
        fire.Name = "炎の剣";
        fire.InfoName = "fire_pic";
        TSkillTable::Load(Table("skill.tbl", std::vector<TSkillRecord>{fire}));
        TWeponRecord sword;
        sword.Id = 1100;
        sword.Attack = 250;
        sword.Element = 1;
        for (std::uint32_t k = 0; k < 5; ++k) {
            sword.Skill[k] = 3001;
        }
        TWeponTable::Load(Table("wepon.tbl", std::vector<TWeponRecord>{sword}));
    }

    void TearDown() override
    {
        TItemTable::Clear();
        TSkillTable::Clear();
        TWeponTable::Clear();
        THrdefTable::Clear();
        TSvpTable::Clear();
        TTexture8::PurgeCache(1);
        TTexture8::SetDirectory("");
        DeviceFixture::TearDown();
    }

    template <typename Record>
    std::string Table(const std::string& name, const std::vector<Record>& records)
    {
        qmtest::SaveBytes(name, qmtest::BuildGameTable(records));
        return name;
    }

    static TFontHolder* Font()
    {
        static TFontHolder font(0, 16, "ＭＳ ゴシック", 400, 2, 0, 0, 0);
        return &font;
    }

    static std::unique_ptr<TText8> Text(const std::string& name)
    {
        return std::make_unique<TText8>(name, 512, 16, 255, 255, 255, D3DPOOL_MANAGED, 0);
    }

    // The same lines drawn by hand.
    static std::unique_ptr<TText8> Reference(const std::vector<std::pair<int, std::string>>& lines)
    {
        auto text = Text("reference");
        for (const auto& [x, line] : lines) {
            text->DrawText(x, 0, line, Font(), false);
        }
        return text;
    }

    static bool SamePixels(const TText8& a, const TText8& b)
    {
        return std::memcmp(a.GetPixels(), b.GetPixels(), a.GetStride() * a.GetTextHeight()) == 0;
    }

    static bool Blank(const TText8& text) { return SamePixels(text, *Text("blank")); }
};

TEST_F(ItemDisplayDeviceTest, IconsAndPicturesComeFromTheirPackages)
{
    qmtest::SaveBytes("ptx/itemicon.ptx", qmtest::BuildPtx({qmtest::PtxImage::Filled("potion_icon", 0, 16, 16, {255, 0, 0})}));
    qmtest::SaveBytes("ptx/iteminfo.ptx", qmtest::BuildPtx({qmtest::PtxImage::Filled("potion_pic", 0, 64, 32, {0, 255, 0})}));
    qmtest::SaveBytes("ptx/skillinfo.ptx", qmtest::BuildPtx({qmtest::PtxImage::Filled("fire_pic", 0, 32, 32, {0, 0, 255})}));
    qmtest::SaveBytes("ptx/skl_icon.ptx", qmtest::BuildPtx({qmtest::PtxImage::Filled("atk12_skl", 0, 16, 16, {8, 8, 8})}));
    TSprite sprite;
    TItemTable::CreateIconSprite(sprite, 7);
    EXPECT_EQ(sprite.GetImage().GetName(), "itemicon.ptx/potion_icon");
    EXPECT_TRUE(sprite.GetImage().HasTexture());
    TItemTable::CreateInfoSprite(sprite, 7);
    EXPECT_EQ(sprite.GetImage().GetName(), "iteminfo.ptx/potion_pic");
    EXPECT_EQ(sprite.GetWidth(), 64u);
    TSkillTable::CreateInfoSprite(sprite, 3001);
    EXPECT_EQ(sprite.GetImage().GetName(), "skillinfo.ptx/fire_pic");
    EXPECT_TRUE(sprite.GetImage().HasTexture());
    TSkillTable::CreateIconSprite(sprite, 37);
    EXPECT_EQ(sprite.GetImage().GetName(), "skl_icon.ptx/atk12_skl");
    EXPECT_TRUE(sprite.GetImage().HasTexture());
    // Past the icons: a sprite without texture.
    TSkillTable::CreateIconSprite(sprite, 38);
    EXPECT_FALSE(sprite.GetImage().HasTexture());
}

TEST_F(ItemDisplayDeviceTest, EachLineGoesIntoItsTextAndOldLinesAreCleared)
{
    std::vector<std::unique_ptr<TText8>> owned;
    std::vector<TText8*> texts;
    for (int i = 0; i < 5; ++i) {
        owned.push_back(Text("info" + std::to_string(i)));
        texts.push_back(owned.back().get());
    }
    for (int i = 0; i < 3; ++i) {
        texts[i]->DrawText(200, 0, "old line", Font(), true);
    }
    TItemTable::FormatInfo(texts, 1100, false);
    EXPECT_TRUE(SamePixels(*texts[0], *Reference({{0, "攻撃力：+250"}, {140, " 100pts：炎の剣"}})));
    EXPECT_TRUE(SamePixels(*texts[1], *Reference({{0, "　属性：火"}, {140, " 200pts：炎の剣"}})));
    EXPECT_TRUE(SamePixels(*texts[2], *Reference({{140, " 300pts：炎の剣"}})));
    EXPECT_TRUE(SamePixels(*texts[4], *Reference({{140, " 500pts：炎の剣"}})));

    // A skill: its record lines (empty here) and the MP cost at 180.
    TItemTable::FormatInfo(texts, 102, true);
    EXPECT_TRUE(SamePixels(*texts[0], *Reference({{180, "消費MP 弱： 35 強： 65"}})));
    EXPECT_TRUE(Blank(*texts[1]));
    EXPECT_TRUE(Blank(*texts[2]));

    // Fewer texts than lines: the lines without a text are left out.
    TItemTable::FormatInfo(std::span<TText8* const>(texts.data(), 2), 1100, false);
    EXPECT_TRUE(SamePixels(*texts[1], *Reference({{0, "　属性：火"}, {140, " 200pts：炎の剣"}})));
}

TEST_F(ItemDisplayDeviceTest, SaveSlotLinesAreDrawnAfterTheirNumber)
{
    TGameData::SetChapter(4);
    TGameData::SetSaveDirectory("save/");
    THrdefRecord hero;
    hero.Id = 0;
    hero.Name = "ゆう";
    THrdefTable::Load(Table("hrdef.tbl", std::vector<THrdefRecord>{hero}));
    TSvpRecord place;
    place.Id = 11;
    place.PlaceName = "村";
    TSvpTable::Load(Table("svp.tbl", std::vector<TSvpRecord>{place}));
    fs::create_directories("save");
    qmtest::SaveBytes("save/sav_01.dat", qmtest::BuildSaveFile(qmtest::SaveFileData(), true));

    auto text = Text("slot");
    EXPECT_EQ(TGameData::FormatSaveSlotLine(1, *text, false, -1), TGameData::kSaveOk);
    std::string line;
    ASSERT_EQ(TGameData::MakeSaveSlotLine(1, false, -1, line), TGameData::kSaveOk);
    EXPECT_EQ(line.substr(0, 13), "  ゆう Lv: 1 ");
    EXPECT_TRUE(SamePixels(*text, *Reference({{0, " 1："}, {32, line}})));

    EXPECT_EQ(TGameData::FormatSaveSlotLine(12, *text, false, -1), TGameData::kSaveOpenFailed);
    EXPECT_TRUE(SamePixels(*text, *Reference({{0, "12："}, {32, "Empty"}})));
    TGameData::SetChapter(1);
    TGameData::SetSaveDirectory("");
}

}  // namespace
