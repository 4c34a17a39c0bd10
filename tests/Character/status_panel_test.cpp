// The status panel on a played character: its bars cut by their ratios, the level and progress
// glyphs, the full marks, the icons and face, the colours, every part's place, and a picture.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MainCode/GameData/THrdefTable.h"
#include "combat_fixture.h"
#include "support/dx_probe.h"
#include "support/golden.h"
#include "support/hud_probe.h"
#include "support/scene_driver.h"

namespace combattest {
namespace {

class PanelHero : public CombatHero {
public:
    using CombatHero::CombatHero;
    void SetMaxMp(std::int32_t mp) { m_maxMp = mp; }
    void SetGaugeMax(std::uint32_t max) { m_gaugeMax = max; }
};

class StatusPanelTest : public CombatFixture {
protected:
    void SetUp() override
    {
        CombatFixture::SetUp();
        THrdefTable::Get(0).FaceName = "face_hero";
        // Accessory A and B of their own, so each has its own points.
        data_->GetCharacterData(0)->Accessory2Id = 2001;
        hero_ = MakeHeroOf<PanelHero>(0, 0);
        hero_->AttachToField(area_.get());
        area_->RegisterObject(hero_.get());
    }
    void TearDown() override
    {
        hero_.reset();
        CombatFixture::TearDown();
    }
    std::vector<TSpriteDrawRecord> Draws(std::int32_t x, std::int32_t y)
    {
        qmtest::SceneDriver recorder(std::filesystem::current_path());
        recorder.RecordDraws(true);
        panel_->Draw(x, y);
        std::vector<TSpriteDrawRecord> draws = recorder.draws;
        recorder.RecordDraws(false);
        return draws;
    }
    std::string Level() { return Glyphs(panel_->GetLevelDigit(0), panel_->GetLevelDigit(1)); }
    std::string Percent() { return Glyphs(panel_->GetPercentDigit(0), panel_->GetPercentDigit(1)); }
    std::string Glyphs(const TSprite& tens, const TSprite& units)
    {
        return {THudProbe::GlyphOf(*font_, tens), THudProbe::GlyphOf(*font_, units)};
    }
    std::uint16_t& WeaponPoints() { return *data_->GetCharacterData(0)->WeponAbp(hero_->GetWeaponId()); }
    std::uint16_t& AccessoryPoints(std::uint8_t slot)
    {
        return *data_->GetCharacterData(0)->AccessoryAbp(hero_->GetEquipItemId(slot));
    }

    std::unique_ptr<PanelHero> hero_;
};

TEST_F(StatusPanelTest, BarsAreCutByTheirRatiosNeverPastTheEnds)
{
    const struct {
        int bar;
        std::int32_t value, max;
        float ratio, u;
    } cases[] = {
        {TStatusPanel::kHp, 801, 800, 1.0F, 0.6796875F},   {TStatusPanel::kHp, 800, 800, 1.0F, 0.6796875F},
        {TStatusPanel::kHp, 200, 800, 0.25F, 0.169921875F}, {TStatusPanel::kHp, 0, 800, 0.0F, 0.0F},
        {TStatusPanel::kHp, -1, 800, 0.0F, 0.0F},           {TStatusPanel::kHp, 5, 0, 0.0F, 0.0F},
        {TStatusPanel::kHp, 5, -3, 0.0F, 0.0F},             {TStatusPanel::kMp, 41, 40, 1.0F, 0.67578125F},
        {TStatusPanel::kMp, 10, 40, 0.25F, 0.1689453125F},  {TStatusPanel::kMp, -1, 40, 0.0F, 0.0F},
        {TStatusPanel::kMp, 3, 0, 0.0F, 0.0F},              {TStatusPanel::kLoad, 150, 100, 1.5F, 1.03125F},
        {TStatusPanel::kLoad, 25, 100, 0.25F, 0.171875F},   {TStatusPanel::kLoad, 7, 0, 0.0F, 0.0F},
    };
    const float lengths[3] = {174.0F, 173.0F, 176.0F};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "bar " << c.bar << ": " << c.value << " of " << c.max);
        hero_->SetMaxHp(800);
        hero_->SetHp(800);
        hero_->SetMaxMp(40);
        hero_->SetMp(40);
        hero_->SetGaugeMax(100);
        hero_->SetGaugeUsed(0);
        if (c.bar == TStatusPanel::kHp) {
            hero_->SetMaxHp(c.max);
            hero_->SetHp(c.value);
        } else if (c.bar == TStatusPanel::kMp) {
            hero_->SetMaxMp(c.max);
            hero_->SetMp(c.value);
        } else {
            hero_->SetGaugeMax(static_cast<std::uint32_t>(c.max));
            hero_->SetGaugeUsed(static_cast<std::uint32_t>(c.value));
        }
        panel_->Update(hero_.get());
        EXPECT_FLOAT_EQ(THudProbe::Ratio(*panel_, c.bar), c.ratio);
        const TSprite& bar = panel_->GetBar(c.bar);
        EXPECT_FLOAT_EQ(bar.GetVertex(1).u, c.u);
        EXPECT_FLOAT_EQ(bar.GetVertex(3).u, c.u);
        EXPECT_FLOAT_EQ(bar.GetVertex(0).u, 0.0F);
        const std::vector<TSpriteDrawRecord> d = Draws(0, 0);
        EXPECT_FLOAT_EQ(d[1 + c.bar].w, lengths[c.bar] * c.ratio);
    }
}

TEST_F(StatusPanelTest, LevelAndProgressShowTwoPlacesWithABlankTens)
{
    const struct {
        std::uint32_t level;
        const char* shown;
    } levels[] = {{0, "#1"}, {8, "#9"}, {9, "10"}, {98, "99"}, {99, "99"}, {150, "99"}};
    for (const auto& c : levels) {
        hero_->SetLevel(c.level);
        hero_->SetExperience(c.level * 1000);
        panel_->Update(hero_.get());
        EXPECT_EQ(Level(), c.shown) << c.level;
    }
    // Level field 3 spans 3000 to 3999; 290 points show 28 (0.29 x 100 in double is 28.99...).
    const struct {
        std::uint32_t experience;
        const char* shown;
    } progress[] = {{3000, "#0"}, {3050, "#5"}, {3090, "#9"}, {3100, "10"}, {3290, "28"},
                    {3990, "99"}, {3999, "99"}, {4000, "#0"}, {2999, "#0"}, {0, "#0"}};
    for (const auto& c : progress) {
        hero_->SetLevel(3);
        hero_->SetExperience(c.experience);
        panel_->Update(hero_.get());
        EXPECT_EQ(Percent(), c.shown) << c.experience;
    }
    EXPECT_EQ(panel_->GetLevelDigit(0).GetVertex(0).diffuse, 0xFFE5E5E5u);
    EXPECT_EQ(panel_->GetPercentDigit(1).GetVertex(3).diffuse, 0xFFE5E5E5u);
    EXPECT_EQ(panel_->GetPercentSign().GetVertex(0).diffuse, 0xFFE5E5E5u);
    EXPECT_EQ(THudProbe::GlyphOf(*font_, panel_->GetPercentSign()), '%');
}

TEST_F(StatusPanelTest, AFullGaugeShowsItsMarkBesideIt)
{
    const struct {
        std::uint16_t weapon, a, b;
        std::vector<std::pair<float, float>> marks;  // at (0, 0)
    } cases[] = {
        {999, 0, 0, {}},
        {1000, 0, 0, {{105, 76}}},
        {0, 1000, 999, {{89, 105}}},
        {500, 999, 1000, {{73, 134}}},
        {1000, 1000, 1000, {{105, 76}, {89, 105}, {73, 134}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.weapon << " " << c.a << " " << c.b);
        WeaponPoints() = c.weapon;
        AccessoryPoints('A') = c.a;
        AccessoryPoints('B') = c.b;
        panel_->Update(hero_.get());
        EXPECT_FLOAT_EQ(THudProbe::Ratio(*panel_, TStatusPanel::kWeapon), static_cast<float>(c.weapon) * 0.001F);
        EXPECT_FLOAT_EQ(panel_->GetBar(TStatusPanel::kAccessoryB).GetVertex(1).u, static_cast<float>(c.b) * 0.001F * 0.25F);
        std::vector<std::pair<float, float>> marks;
        for (const TSpriteDrawRecord& d : Draws(0, 0)) {
            if (d.texture == "sprite.ptx/bar00" && d.w == 16.0F && d.h == 16.0F) {
                marks.emplace_back(d.x, d.y);
            }
        }
        EXPECT_EQ(marks, c.marks);
    }
    const TSprite& mark = panel_->GetFullMark(2);
    EXPECT_FLOAT_EQ(mark.GetVertex(0).u, 0.9375F);
    EXPECT_FLOAT_EQ(mark.GetVertex(3).u, 1.0F);
    EXPECT_FLOAT_EQ(mark.GetVertex(3).v, 0.5F);
}

TEST_F(StatusPanelTest, EveryPartStandsAtItsOffsetWhereverThePanelIsDrawn)
{
    WeaponPoints() = 1000;
    AccessoryPoints('A') = 1000;
    AccessoryPoints('B') = 1000;
    hero_->SetLevel(4);
    hero_->SetExperience(4500);
    panel_->Refresh(hero_.get());
    panel_->Update(hero_.get());
    const struct {
        const char* texture;
        float x, y, w, h;
    } parts[] = {
        {"sprite.ptx/guage09", 0, 0, 256, 160},     {"sprite.ptx/bar00", 70, 20, 174, 8},
        {"sprite.ptx/bar00", 71, 36, 173, 4},       {"sprite.ptx/bar00", 68, 44, 0, 4},
        {"sprite.ptx/bar00", 81, 82, 64, 4},        {"sprite.ptx/bar00", 65, 111, 64, 4},
        {"sprite.ptx/bar00", 49, 140, 64, 4},       {"itm_icon.ptx/itm02_icon", 52, 54, 32, 32},
        {"itm_icon.ptx/itm01_icon", 36, 83, 32, 32}, {"itm_icon.ptx/itm01_icon", 20, 112, 32, 32},
        {"sprite.ptx/bar00", 105, 76, 16, 16},      {"sprite.ptx/bar00", 89, 105, 16, 16},
        {"sprite.ptx/bar00", 73, 134, 16, 16},      {"sprite.ptx/word", 96, 3, 16, 16},
        {"sprite.ptx/word", 108, 3, 16, 16},        {"sprite.ptx/word", 150, 3, 16, 16},
        {"sprite.ptx/word", 162, 3, 16, 16},        {"sprite.ptx/word", 174, 3, 16, 16},
        {"face.ptx/face_hero", 8, 0, 48, 48},
    };
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{64, 48}}) {
        const std::vector<TSpriteDrawRecord> d = Draws(x, y);
        ASSERT_EQ(d.size(), std::size(parts));
        for (std::size_t i = 0; i < d.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "part " << i << " at " << x << "," << y);
            EXPECT_EQ(d[i].texture, parts[i].texture);
            EXPECT_FLOAT_EQ(d[i].x, static_cast<float>(x) + parts[i].x);
            EXPECT_FLOAT_EQ(d[i].y, static_cast<float>(y) + parts[i].y);
            EXPECT_FLOAT_EQ(d[i].w, parts[i].w);
            EXPECT_FLOAT_EQ(d[i].h, parts[i].h);
            EXPECT_EQ(d[i].mode, 1);
        }
    }
    EXPECT_EQ(Level(), "#5");
    EXPECT_EQ(Percent(), "50");
}

TEST_F(StatusPanelTest, BothAccessoryIconsAreTheAccessoryIconWhateverIsEquipped)
{
    for (std::uint32_t id : {2000u, 2001u, 0u}) {
        data_->GetCharacterData(0)->Accessory1Id = id;
        std::unique_ptr<PanelHero> other = MakeHeroOf<PanelHero>(0, 0);
        panel_->Refresh(other.get());
        EXPECT_EQ(TDxProbe::Image(panel_->GetIcon(1)).GetName(), "itm_icon.ptx/itm01_icon") << id;
        EXPECT_EQ(TDxProbe::Image(panel_->GetIcon(2)).GetName(), "itm_icon.ptx/itm01_icon") << id;
    }
}

TEST_F(StatusPanelTest, SetColorsLeavesTheFaceAlone)
{
    panel_->Update(hero_.get());
    THudProbe::Face(*panel_).SetColor(0xFF804020, -1);
    for (int bar = 0; bar < TStatusPanel::kBarCount; ++bar) {
        panel_->GetBar(bar).SetColor(0xFF666666, -1);
    }
    panel_->GetFrame().SetColor(0xFFB2B2B2, -1);
    panel_->GetIcon(0).SetColor(0xFF202020, -1);
    panel_->GetFullMark(1).SetColor(0xFF202020, -1);
    panel_->GetLevelDigit(0).SetColor(0xFFB2B2B2, -1);
    panel_->SetColors();
    EXPECT_EQ(THudProbe::Face(*panel_).GetVertex(0).diffuse, 0xFF804020u);
    EXPECT_EQ(panel_->GetFrame().GetVertex(3).diffuse, 0xFFFFFFFFu);
    EXPECT_EQ(panel_->GetBar(TStatusPanel::kAccessoryB).GetVertex(0).diffuse, 0xFFFFFFFFu);
    EXPECT_EQ(panel_->GetIcon(0).GetVertex(0).diffuse, 0xFFFFFFFFu);
    EXPECT_EQ(panel_->GetFullMark(1).GetVertex(0).diffuse, 0xFFFFFFFFu);
    EXPECT_EQ(panel_->GetLevelDigit(0).GetVertex(0).diffuse, 0xFFE5E5E5u);
    EXPECT_EQ(panel_->GetPercentSign().GetVertex(2).diffuse, 0xFFE5E5E5u);
}

TEST_F(StatusPanelTest, APanelPicture)
{
    hero_->SetMaxHp(800);
    hero_->SetHp(520);
    hero_->SetMaxMp(40);
    hero_->SetMp(13);
    hero_->SetGaugeMax(100);
    hero_->SetGaugeUsed(60);
    hero_->SetLevel(11);
    hero_->SetExperience(11730);
    WeaponPoints() = 1000;
    AccessoryPoints('A') = 400;
    AccessoryPoints('B') = 1000;
    panel_->Refresh(hero_.get());
    panel_->Update(hero_.get());
    ASSERT_TRUE(d3d()->CheckLostDevice());
    d3d()->Clear(0xFF3C6E46, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 1.0F, 0, 0, nullptr);
    d3d()->BeginScene();
    panel_->Draw(64, 48);
    d3d()->EndScene();
    platform::RgbaImage image;
    ASSERT_TRUE(platform::ReadBackBuffer(device(), &image));
    EXPECT_TRUE(qmtest::MatchesGolden(image, "StatusPanel"));
}

}  // namespace
}  // namespace combattest
