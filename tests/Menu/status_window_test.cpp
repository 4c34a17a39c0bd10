// The status window over the pause menu: the seventeen figures of the played character as they
// are written, the window and the camera coming in and going out step by step, the model turning
// only while the window is open, decide and cancel both closing it, and its picture.
#include <cmath>
#include <cstring>

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TCharacterRecord.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Menu/TStatusLoop.h"
#include "Menu/sub_screen_fixture.h"
#include "dx/dx8/3d/TText8.h"
#include "formats/game_table_writer.h"
#include "support/dx_probe.h"
#include "support/menu_probe.h"

namespace menutest {
namespace {

using Figures = std::array<std::string, TStatusLoop::kTexts>;

// The sword held, with an attack of 23.
constexpr std::int32_t kSwordAttack = 23;

class StatusWindowTest : public SubScreenTest {
protected:
    void SetUp() override
    {
        Start(qmtest::DefaultFieldMaps(), [] {
            TWeponRecord sword;
            sword.Id = 1000;
            sword.Name = "木の剣";
            sword.Type = 0;
            sword.Attack = kSwordAttack;
            sword.MeshName = "sword";
            TWeponRecord spear;
            spear.Id = 1001;
            spear.Name = "鉄の槍";
            spear.Type = 3;
            spear.MeshName = "spear";
            qmtest::SaveBytes("data/tbl04/wepon.tbl", qmtest::BuildGameTable(std::vector<TWeponRecord>{sword, spear}));
        });
    }

    struct Character {
        std::uint32_t level;
        std::uint32_t experience;
        std::int32_t life, lifeMax, mp, mpMax;
        std::int32_t stat[4];
        std::int32_t bonus[4];  // a timed effect's, none when all 0
        float element[6];
    };
    // The played character rebuilt from that record (the partner played meanwhile, as the leader
    // is written back into its record when it is replaced).
    TPlayerCharacter* Play(const Character& c)
    {
        EXPECT_TRUE(field_->ChangePlayer(1));
        TGameData* data = TGameData::GetInstance();
        TCharacterRecord* record = data->GetCharacterData(0);
        record->Level = c.level;
        record->Experience = c.experience;
        record->Life = c.life;
        record->LifeMax = c.lifeMax;
        record->Mp = c.mp;
        record->MpMax = c.mpMax;
        for (int i = 0; i < 4; ++i) {
            record->Stat[i] = c.stat[i];
        }
        for (int i = 0; i < 6; ++i) {
            record->ElementValue[i] = c.element[i];
        }
        data->GetTimedFlags(0)->Reset();
        if (c.bonus[0] != 0 || c.bonus[1] != 0 || c.bonus[2] != 0 || c.bonus[3] != 0) {
            TRefPtr<TItemMean> effect(new TItemMean);
            effect->Duration = 600;
            for (int i = 0; i < 4; ++i) {
                effect->Bonus[i] = c.bonus[i];
            }
            data->GetTimedFlags(0)->Set(effect);
        }
        EXPECT_TRUE(field_->ChangePlayer(0));
        return field_->GetPlayer();
    }
    static std::vector<std::uint8_t> Pixels(const TText8& text)
    {
        const std::uint8_t* p = TDxProbe::Pixels(text);
        return p != nullptr ? std::vector<std::uint8_t>(p, p + TDxProbe::Stride(text) * 16) : std::vector<std::uint8_t>{};
    }
};

TEST_F(StatusWindowTest, FiguresAreWrittenAsTheDesignSays)
{
    ASSERT_NE(Field(), nullptr);
    const struct {
        const char* name;
        Character c;
        std::uint32_t money;
        Figures figures;
    } cases[] = {
        {"the first level, at its start, no bonus",
         {0, 0, 95, 120, 7, 40, {12, 34, 56, 78}, {0, 0, 0, 0}, {1.0F, 0.555F, 0.0F, 2.5F, 0.999F, 0.25F}},
         1234,
         {" 1", "   0/1000", "    1234 ベル", "  95/ 120", "   7/  40", " 35", " 34", " 12", " 34", " 56", " 78",
          "100%", " 55%", "  0%", "250%", " 99%", " 25%"}},
        {"level field 98, one short of the next, bonuses up and down",
         {98, 98999, 999, 999, 0, 999, {100, 101, 102, 103}, {5, -3, 0, 100}, {0.5F, 1.0F, 1.0F, 1.0F, 1.0F, 1.0F}},
         99999999,
         {"99", " 999/1000", "99999999 ベル", " 999/ 999", "   0/ 999", "128", " 98", "100 +   5", "101 -   3",
          "102", "103 + 100", " 50%", "100%", "100%", "100%", "100%", "100%"}},
        {"exactly at a level boundary",
         {5, 5000, 1, 2, 3, 4, {1, 2, 3, 4}, {0, 0, 0, 1}, {1.0F, 1.0F, 1.0F, 1.0F, 1.0F, 0.0F}},
         0,
         {" 6", "   0/1000", "       0 ベル", "   1/   2", "   3/   4", " 24", "  2", "  1", "  2", "  3", "  4 +   1",
          "100%", "100%", "100%", "100%", "100%", "  0%"}},
        {"one below its level's floor",
         {5, 4999, 1, 2, 3, 4, {1, 2, 3, 4}, {0, 0, 0, 0}, {1.0F, 1.0F, 1.0F, 1.0F, 1.0F, 1.0F}},
         7,
         {" 6", "   0/1000", "       7 ベル", "   1/   2", "   3/   4", " 24", "  2", "  1", "  2", "  3", "  4",
          "100%", "100%", "100%", "100%", "100%", "100%"}},
        {"a new hero's level with no experience at all",
         {1, 0, 1, 2, 3, 4, {1, 2, 3, 4}, {0, 0, 0, 0}, {1.0F, 1.0F, 1.0F, 1.0F, 1.0F, 1.0F}},
         0,
         {" 2", "   0/1000", "       0 ベル", "   1/   2", "   3/   4", " 24", "  2", "  1", "  2", "  3", "  4",
          "100%", "100%", "100%", "100%", "100%", "100%"}},
        {"one past a level boundary",
         {5, 5001, 1, 2, 3, 4, {1, 2, 3, 4}, {-1, 0, 0, 0}, {1.0F, 1.0F, 1.0F, 1.0F, 1.0F, 1.0F}},
         0,
         {" 6", "   1/1000", "       0 ベル", "   1/   2", "   3/   4", " 23", "  2", "  1 -   1", "  2", "  3", "  4",
          "100%", "100%", "100%", "100%", "100%", "100%"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TPlayerCharacter* player = Play(c.c);
        ASSERT_NE(player, nullptr);
        const Figures figures = TStatusLoop::FormatFigures(*player, c.money);
        for (std::size_t i = 0; i < TStatusLoop::kTexts; ++i) {
            EXPECT_EQ(figures[i], c.figures[i]) << TStatusLoop::kKeys[i];
        }
    }
}

// The window slides down as the camera rises from -1.0 to 0.6; only then does the model turn, a
// degree a step. Decide or cancel plays 606 and takes both back; the step after the window is up
// ends it. The figures stay as written whatever changes meanwhile.
TEST_F(StatusWindowTest, OpensTurnsTheModelOnlyWhileOpenAndClosesOnDecideOrCancel)
{
    ASSERT_NE(Field(), nullptr);
    for (Button close : {Button::A, Button::B}) {
        SCOPED_TRACE(close == Button::A ? "decide" : "cancel");
        TStatusLoop* status = OpenItem<TStatusLoop>(TMenuTopLoop::kStatusItem);
        ASSERT_NE(status, nullptr);
        const std::vector<std::uint8_t> money = Pixels(TMenuProbe::Text(*status, 2));
        const std::vector<std::uint8_t> hp = Pixels(TMenuProbe::Text(*status, 3));
        const struct {
            int steps;
            std::int32_t windowY;
            float cameraY;
            bool open;
        } in[] = {{0, -320, -1.0F, false}, {1, -280, -0.84F, false}, {5, -120, -0.2F, false},
                  {9, 40, 0.44F, false},   {10, 80, 0.6F, true}};
        int done = 0;
        float morph = TMenuProbe::Model(*status)->GetMorphTime();
        for (const auto& row : in) {
            driver_.Steps(row.steps - done);
            done = row.steps;
            SCOPED_TRACE(row.steps);
            EXPECT_EQ(TMenuProbe::WindowY(*status).value, row.windowY);
            D3DXVECTOR3 camera;
            TMenuProbe::CameraFrame(*status)->GetPosition(&camera);
            EXPECT_FLOAT_EQ(camera.x, -0.9F);
            EXPECT_NEAR(camera.y, row.cameraY, 1e-6F);
            EXPECT_FLOAT_EQ(camera.z, -4.0F);
            EXPECT_EQ(TMenuProbe::IsOpen(*status), row.open);
            EXPECT_FLOAT_EQ(TMenuProbe::CharFrame(*status)->GetMatrix()->_11, 1.0F) << "no turn while opening";
        }
        EXPECT_NE(TMenuProbe::Model(*status)->GetMorphTime(), morph) << "the model moves while the window opens";
        TGameData::GetInstance()->SetMoney(77);
        driver_.Steps(90);
        const D3DXMATRIX* turned = TMenuProbe::CharFrame(*status)->GetMatrix();
        EXPECT_NEAR(turned->_11, 0.0F, 1e-4F) << "a quarter turn in 90 steps";
        EXPECT_NEAR(std::fabs(turned->_13), 1.0F, 1e-4F);
        EXPECT_NEAR(turned->_22, 1.0F, 1e-6F) << "about the upright axis";
        driver_.RecordSounds(true);
        driver_.Press(close);
        EXPECT_EQ(Played(), std::vector<std::uint32_t>{606});
        const D3DXMATRIX atPress = *TMenuProbe::CharFrame(*status)->GetMatrix();
        const struct {
            int steps;
            std::int32_t windowY;
            float cameraY;
        } out[] = {{1, 40, 0.44F}, {10, -320, -1.0F}};
        done = 0;
        for (const auto& row : out) {
            driver_.Steps(row.steps - done);
            done = row.steps;
            SCOPED_TRACE(row.steps);
            EXPECT_EQ(TMenuProbe::WindowY(*status).value, row.windowY);
            D3DXVECTOR3 camera;
            TMenuProbe::CameraFrame(*status)->GetPosition(&camera);
            EXPECT_NEAR(camera.y, row.cameraY, 1e-6F);
            EXPECT_EQ(std::memcmp(TMenuProbe::CharFrame(*status)->GetMatrix(), &atPress, sizeof atPress), 0)
                << "no turn while closing";
        }
        EXPECT_EQ(Pixels(TMenuProbe::Text(*status, 2)), money);
        EXPECT_EQ(Pixels(TMenuProbe::Text(*status, 3)), hp);
        EXPECT_EQ(driver_.Current(), status);
        driver_.Step();
        EXPECT_EQ(driver_.Current(), menu_);
        driver_.RecordSounds(false);
        driver_.Steps(kMenuCloseSteps);
        driver_.Press(Button::B);
        ASSERT_TRUE(StepUntilCurrent(field_));
    }
}

TEST_F(StatusWindowTest, Picture)
{
    ASSERT_NE(Field(), nullptr);
    Play({3, 3456, 88, 120, 30, 40, {15, 16, 17, 18}, {4, 0, -2, 0}, {1.0F, 0.8F, 1.2F, 1.0F, 0.5F, 1.5F}});
    TGameData::GetInstance()->SetMoney(4321);
    TStatusLoop* status = OpenItem<TStatusLoop>(TMenuTopLoop::kStatusItem);
    ASSERT_NE(status, nullptr);
    driver_.Steps(10 + 30);
    EXPECT_TRUE(qmtest::MatchesGolden(driver_.Screen(), "StatusWindow"));
}

}  // namespace
}  // namespace menutest
