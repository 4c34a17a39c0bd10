// Villagers: set up by their scripts (and left out when a script never describes them), idling,
// starting a talk at the distance and angle bounds, turning to the player with face mode 1, and a
// random facing into positive x and z.
#include <cmath>
#include <memory>

#include "MainCode/Character/TVillager.h"
#include "MainCode/Map/TMapData.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "Map/map_object_fixture.h"
#include "support/character_probe.h"
#include "support/map_probe.h"
#include "support/script_probe.h"

namespace maptest {
namespace {

std::string SetUpLine(std::uint32_t faceMode, const std::string& facing)
{
    return "CALL @@SendMsg \"VillagerInfo\" 0 \"hero01\" 4 5 " + std::to_string(faceMode) +
           " \"1.1\" \"0.8\" \"2.5\" \"-0.03\" 1 0 20 0 16 " + facing;
}

class Villagers : public MapObjectTest {
protected:
    void SetUp() override
    {
        MapObjectTest::SetUp();
        Open("town");
        Scripts({{"turner", {SetUpLine(1, "0 0 -1"), "CALL @@SendMsg \"Text\" 0 \"やあ\""}},
                 {"still", {SetUpLine(0, "0 0 -1")}},
                 {"random", {SetUpLine(0, "0 0 0")}},
                 {"mute", {"CALL @@SendMsg \"Flag\" 1 8 5 1"}}});
        TScriptProcessManager::Create();
    }
    std::unique_ptr<TVillager> Make(const std::string& key)
    {
        TVillagerInfo info;
        EXPECT_TRUE(LoadVillagerInfo(info, key));
        auto villager = std::make_unique<TVillager>(info);
        villager->AttachToField(area_);
        return villager;
    }
    // The player d away from (20, 0, 16) along the heading, facing the villager turned by off degrees.
    void Approach(float d, float off = 0.0F)
    {
        const D3DXVECTOR3 from = Heading(180.0F) * d;
        Stand(D3DXVECTOR3(20.0F + from.x, 0.0F, 16.0F + from.z), Heading(off), 0);
    }
};

TEST_F(Villagers, TheSetUpScriptFillsTheRecordAndLeavesNothingBehind)
{
    TScriptProcessManager* manager = TScriptProcessManager::Get();
    TVillagerInfo info;
    ASSERT_TRUE(LoadVillagerInfo(info, "obj.pbsc/turner"));
    EXPECT_EQ(info.scriptKey, "obj.pbsc/turner");
    EXPECT_EQ(info.name, "hero01");
    EXPECT_EQ(info.objectId, 4u);
    EXPECT_EQ(info.faceMode, 1u);
    EXPECT_FLOAT_EQ(info.centreHeight, 1.1F);
    EXPECT_EQ(info.position[2], 16.0F);
    EXPECT_EQ(TScriptProbe::TaskCount(*manager), 0u);
    EXPECT_EQ(manager->FindModule("VillagerInfo"), nullptr);
    // A second one on the same manager is not held by the first one's stop.
    TVillagerInfo second;
    EXPECT_TRUE(LoadVillagerInfo(second, "obj.pbsc/still"));
    EXPECT_EQ(second.faceMode, 0u);

    // A script that never calls the module ends and is reported instead of waited for.
    TVillagerInfo none;
    EXPECT_FALSE(LoadVillagerInfo(none, "obj.pbsc/mute"));
    EXPECT_FALSE(LoadVillagerInfo(none, "obj.pbsc/nosuch"));
    EXPECT_EQ(TScriptProbe::TaskCount(*manager), 0u);
    EXPECT_EQ(manager->FindModule("VillagerInfo"), nullptr);
    TScriptProcessManager::Destroy();
    EXPECT_FALSE(LoadVillagerInfo(none, "obj.pbsc/still"));  // no manager at all
}

TEST_F(Villagers, AMapLeavesOutTheVillagersWhoseSetUpFails)
{
    qmtest::MapStream s;
    s.Area(0, "field00.msh", "people", "", 10, 10, 10, 10).Projection(0.5F, 120.0F, 60.0F).FollowCamera(6, 3, 0);
    s.Villager("obj.pbsc/mute").Villager("obj.pbsc/still").Villager("obj.pbsc/nosuch").End();
    qmtest::SaveBytes("data/scr04/people", qmtest::MapContainer({{"people", s.Data()}}));
    TMapData data("people/people", nullptr, nullptr, nullptr);
    const std::size_t before = TMapProbe::Villagers(*area_).size();
    data.CreateVillagers(area_);
    ASSERT_EQ(TMapProbe::Villagers(*area_).size(), before + 1);
    EXPECT_EQ(TMapProbe::Villagers(*area_).back()->GetScriptKey(), "obj.pbsc/still");
    EXPECT_EQ(TScriptProcessManager::Get(), nullptr);
}

TEST_F(Villagers, ATalkStartsOnANewPressCloserThanTheReachWithinThirtyDegrees)
{
    auto villager = Make("obj.pbsc/still");
    // Reach: the player's centre height, the villager's 1.1, and 0.5.
    ASSERT_NE(area_->GetPlayer(), nullptr);
    const float reach = area_->GetPlayer()->GetCenterHeight() + 1.1F + 0.5F;
    Approach(reach);
    Action(true);
    EXPECT_FALSE(villager->TryTalk());
    Approach(reach - 0.01F);
    Action(true);
    EXPECT_FALSE(villager->TryTalk());  // the button is held, not pressed anew
    Action(false);
    Action(true);
    EXPECT_TRUE(villager->TryTalk());
    EXPECT_TRUE(villager->IsTalking());
    EXPECT_FALSE(villager->TryTalk());  // already talking
    villager->EndTalk();
    EXPECT_FALSE(villager->IsTalking());
    EXPECT_EQ(villager->GetState(), 0u);

    const std::pair<float, bool> angles[] = {{30.0F, true}, {-30.0F, true}, {31.0F, false}, {-31.0F, false}};
    for (const auto& [off, talks] : angles) {
        Approach(1.5F, off);
        Action(false);
        Action(true);
        EXPECT_EQ(villager->TryTalk(), talks) << off;
        villager->EndTalk();
    }
}

TEST_F(Villagers, FaceModeOneTurnsToThePlayerWhileTalkingOthersKeepIdling)
{
    auto turner = Make("obj.pbsc/turner");
    auto still = Make("obj.pbsc/still");
    // Both stand at the same spot facing -z, the player comes from the side.
    Stand(D3DXVECTOR3(21.5F, 0.0F, 16.0F), D3DXVECTOR3(-1, 0, 0), 0);
    Action(true);
    ASSERT_TRUE(turner->TryTalk());
    ASSERT_TRUE(still->TryTalk());
    EXPECT_EQ(turner->GetState(), TVillager::kTalkState);
    EXPECT_EQ(still->GetState(), 0u);
    for (int i = 0; i < 60; ++i) {
        turner->Update();
        still->Update();
    }
    D3DXVECTOR3 front;
    turner->GetFront(&front);
    EXPECT_NEAR(front.x, 1.0F, 1e-3);
    // Its frame's Z axis stays on its facing (0, 0, -1): the model still shows the same side.
    still->GetFrame()->GetAxis(&front, 3);
    EXPECT_NEAR(front.z, -1.0F, 1e-5);
    turner->EndTalk();
    EXPECT_EQ(turner->GetState(), 0u);
    EXPECT_FALSE(turner->IsTalking());
    turner->SetState(7);  // a state past the table idles too
    turner->Update();
}

TEST_F(Villagers, WithoutAFacingTheGeneratorChoosesOneIntoPositiveXAndZ)
{
    init_genrand(5489);
    const auto x = static_cast<float>(genrand_int32());
    const auto z = static_cast<float>(genrand_int32());
    init_genrand(5489);
    auto villager = Make("obj.pbsc/random");
    const float length = std::sqrt(x * x + z * z);
    EXPECT_NEAR(TCharacterProbe::Facing(*villager).x, x / length, 1e-6);
    EXPECT_NEAR(TCharacterProbe::Facing(*villager).z, z / length, 1e-6);
    EXPECT_EQ(TCharacterProbe::Facing(*villager).y, 0.0F);
    D3DXVECTOR3 front;
    villager->GetFrame()->GetAxis(&front, 3);
    EXPECT_NEAR(front.x, x / length, 1e-5);
    EXPECT_NEAR(front.z, z / length, 1e-5);
    D3DXVECTOR3 at;
    villager->GetPosition(&at);
    EXPECT_EQ(at, D3DXVECTOR3(20.0F, 0.0F, 16.0F));
}

}  // namespace
}  // namespace maptest
