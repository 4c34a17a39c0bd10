// Leaving the field by any way keeps what the player gained since the last map change: experience,
// an equipped accessory and the HP lost are found in the game data after the field has gone.
#include "Field/field_game_fixture.h"
#include "MainCode/GameData/TCharacterRecord.h"
#include "MainCode/Character/TVillager.h"
#include "MainCode/Map/TTownArea.h"
#include "MainCode/Menu/TYesNoLoop.h"
#include "formats/script_assembler.h"
#include "support/character_probe.h"
#include "support/main_probe.h"
#include "support/standing_enemy.h"
#include "support/map_probe.h"

namespace fieldtest {
namespace {

// The application with its scene stack clearable as at shut-down, game data kept.
class ClearableApp : public TGameWnd {
public:
    using TGameWnd::TGameWnd;
    using TGameWnd::ClearScenes;
};

constexpr std::uint32_t kAccessory = 5;

enum class Way { GameOver, StoryEvent, Title, ShutDown };

std::string WayName(const ::testing::TestParamInfo<Way>& info)
{
    static const char* const kNames[] = {"GameOver", "StoryEvent", "Title", "ShutDown"};
    return kNames[static_cast<int>(info.param)];
}

class FieldLeave : public FieldGame, public ::testing::WithParamInterface<Way> {
protected:
    void SetUp() override
    {
        FieldGame::SetUp();
        std::vector<qmtest::FieldMap> maps = qmtest::DefaultFieldMaps();
        qmtest::FieldMap town = maps[1];
        town.entry = "people";
        town.villagers = {"leave.pbsc/over", "leave.pbsc/story"};
        maps.push_back(town);
        qmtest::WriteFieldFolder(".", maps);
        qmtest::ScriptFileWriter()
            .Script("over", {Villager(14.0F), "CALL @@SendMsg \"MapEvent\" 1"})
            .Script("story", {Villager(20.0F), "CALL @@SendMsg \"MapEvent\" 2 3 0"})
            .Save("data/scr04/leave.pbsc");
        app_ = std::make_unique<ClearableApp>(0, qmtest::SceneDriver::kClass, "Quillmark", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, 640,
                                              480, nullptr, nullptr, nullptr, 101, 104);
        app_->Create();
        app_->Init();
        ASSERT_TRUE(TMainProbe::IsInitialised(*app_));
        Steps(8);
    }
    static std::string Villager(float x)
    {
        return "CALL @@SendMsg \"VillagerInfo\" 0 \"hero01\" 0 0 0 \"0.9\" \"0.8\" 0 \"-0.03\" 1 1 \"" +
               std::to_string(x) + "\" 0 20 0 0 -1";
    }
    void TalkTo(TFieldLoop* field, std::size_t villager)
    {
        auto* town = dynamic_cast<TTownArea*>(field->GetArea());
        ASSERT_NE(town, nullptr);
        const D3DXVECTOR3 at = PositionOf(TMapProbe::Villagers(*town)[villager].Get());
        field->GetPlayer()->PlaceAt(D3DXVECTOR3(at.x, at.y, at.z - 1.5F), D3DXVECTOR3(0.0F, 0.0F, 1.0F));
        Press('Z');
    }
};

TEST_P(FieldLeave, TheLeaderIsStoredBeforeTheFieldGoes)
{
    TFieldLoop* field = PlayFromTitle("people");
    ASSERT_NE(field, nullptr);
    TPlayerCharacter* player = field->GetPlayer();
    const TCharacterRecord before = *TGameData::GetInstance()->GetCharacterData(0);

    TEnemyRecord r;
    r.id = 3;
    r.modelName = "hero";
    r.maxHp = r.hp = 100;
    r.level = 1;
    r.gainFactor = 1.0F;
    const TRefPtr<TEnemy> beaten(new qmtest::StandingEnemy(r));
    player->GainExperience(beaten.Get());
    TCharacterProbe::ConsumeHp(*player, 37);
    player->SetEquipItem(kAccessory, 'A');
    const std::uint32_t experience = player->GetExperience();
    const std::int32_t hp = player->GetHp();
    ASSERT_GT(experience, before.Experience);
    ASSERT_EQ(hp, before.Life - 37);
    ASSERT_NE(before.Accessory1Id, kAccessory);

    switch (GetParam()) {
    case Way::GameOver:
        TalkTo(field, 0);
        Step();
        break;
    case Way::StoryEvent:
        TalkTo(field, 1);
        Step();
        break;
    case Way::Title:
        app_->PushScene(new TYesNoLoop(app_.get(), 0));
        Steps(22);  // darkened and slid in; it asks on "no"
        Press(VK_UP);
        Press('Z');  // yes: back to the title
        break;
    case Way::ShutDown:
        static_cast<ClearableApp*>(app_.get())->ClearScenes();
        break;
    }
    ASSERT_EQ(CurrentField(), nullptr);
    const TCharacterRecord& after = *TGameData::GetInstance()->GetCharacterData(0);
    EXPECT_EQ(after.Experience, experience);
    EXPECT_EQ(after.Life, hp);
    EXPECT_EQ(after.Accessory1Id, kAccessory);
}

INSTANTIATE_TEST_SUITE_P(EachWayOut, FieldLeave,
                         ::testing::Values(Way::GameOver, Way::StoryEvent, Way::Title, Way::ShutDown),
                         WayName);

}  // namespace
}  // namespace fieldtest
