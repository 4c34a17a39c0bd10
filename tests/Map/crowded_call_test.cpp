// Runs that are stepped once and dropped, met beside a folder too crowded for one frame to read: a
// villager's set-up on its map's loading, and the probes of the script spots. A CALL of a file that
// folder lacks is an empty script there, and the run goes on to its own hold or end.
#include "MainCode/Character/TVillager.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Map/TMapData.h"
#include "MainCode/Map/TMapScriptObject.h"
#include "MainCode/Scene/TChangeLoop.h"
#include "Map/map_object_fixture.h"
#include "formats/byte_writer.h"
#include "formats/map_writer.h"
#include "platform/folder_fixture.h"
#include "platform/testing/win32.h"
#include "platform/win32/folder_listing.h"
#include "support/crowded_folder.h"
#include "support/main_probe.h"
#include "support/map_probe.h"
#include "support/scene_probe.h"

namespace maptest {
namespace {

// More names than a frame's work reads.
constexpr int kCrowd = 48000;

class CrowdedCalls : public MapObjectTest {
protected:
    // "crowd" in the script folder.
    static void Crowd() { ASSERT_TRUE(qmtest::LinkCrowdedFolder("data/scr04/crowd", kCrowd)); }

    qmtest::FreshListings listings_;
};

// The set-up calls a file the crowded folder lacks, then describes the villager: map loading is no
// play frame, so the set-up reads the folder to its end and goes on to its VillagerInfo call.
TEST_F(CrowdedCalls, AVillagersSetUpGoesOnPastACallIntoACrowdedFolder)
{
    Open("town");
    Crowd();
    Scripts({{"crowded",
              {"CALL crowd\\\\zz.pbsc/s",
               "CALL @@SendMsg \"VillagerInfo\" 0 \"hero01\" 4 5 1 \"1.1\" \"0.8\" \"2.5\" \"-0.03\" 1 0 20 0 16 0 0 -1"}}});
    qmtest::MapStream s;
    s.Area(0, "field00.msh", "people", "", 10, 10, 10, 10).Projection(0.5F, 120.0F, 60.0F).FollowCamera(6, 3, 0);
    s.Villager("obj.pbsc/crowded").End();
    qmtest::SaveBytes("data/scr04/people", qmtest::MapContainer({{"people", s.Data()}}));
    TMapData data("people/people", nullptr, nullptr, nullptr);
    const std::size_t before = TMapProbe::Villagers(*area_).size();
    const std::uint64_t entries = platform::FolderEntriesRead();
    testing::internal::CaptureStderr();
    data.CreateVillagers(area_);
    const std::string log = testing::internal::GetCapturedStderr();
    ASSERT_EQ(TMapProbe::Villagers(*area_).size(), before + 1);
    const TVillager& elder = *TMapProbe::Villagers(*area_).back();
    EXPECT_EQ(elder.GetScriptKey(), "obj.pbsc/crowded");
    D3DXVECTOR3 at;
    elder.GetPosition(&at);
    EXPECT_EQ(at, D3DXVECTOR3(20.0F, 0.0F, 16.0F));
    EXPECT_EQ(platform::FolderEntriesRead() - entries, static_cast<std::uint64_t>(kCrowd) + 2);
    EXPECT_NE(log.find("cannot open data/scr04/crowd\\zz.pbsc"), std::string::npos) << log;
    EXPECT_EQ(log.find("left out"), std::string::npos) << log;
    EXPECT_EQ(TScriptProcessManager::Get(), nullptr);
}

// The probe runs the script until it first holds or ends: a flag set before a CALL into the crowded
// folder, the event asked for after it, on the first step on the spot. Asked again, the flag stops the
// script short, as it is written to.
TEST_F(CrowdedCalls, AProbeGoesOnPastACallIntoACrowdedFolder)
{
    Open("town");
    Crowd();
    Scripts({{"strip",
              {"CALL @@SendMsg \"Flag\" 0 8 110", "IF g.$_ == 0", "CALL @@SendMsg \"Flag\" 1 8 110 1",
               "CALL crowd\\\\missing.pbsc/X", "CALL @@SendMsg \"MapEvent\" 2 301 0", "END"}},
             {"talk", {"CALL crowd\\\\missing.pbsc/X", "CALL @@SendMsg \"MapEvent\" 3"}}});
    TGameData::GetInstance()->SetFlag(110, 0);
    TMapScriptBox strip(area_, D3DXVECTOR3(10, 0, 10), D3DXVECTOR3(12, 2, 12), "obj.pbsc/strip");
    Stand(D3DXVECTOR3(11, 0, 11), D3DXVECTOR3(0, 0, 1));
    const std::int32_t scenes = app_->GetSceneCount();
    EXPECT_EQ(strip.Update(), 10005u);
    EXPECT_EQ(TGameData::GetInstance()->GetFlag(110), 1);
    EXPECT_EQ(app_->GetSceneCount(), scenes + 1);
    auto* change = dynamic_cast<TChangeLoop*>(TMainProbe::LastScene(*app_));
    ASSERT_NE(change, nullptr);
    EXPECT_EQ(TSceneProbe::EventId(*change), 301);
    EXPECT_EQ(strip.Update(), 1u);
    EXPECT_EQ(app_->GetSceneCount(), scenes + 1);
    EXPECT_EQ(TScriptProcessManager::Get(), nullptr);

    // A spot read with the action button, the folder to be read again: its one press asks for the
    // conversation.
    platform::ForgetFolderListings();
    TMapScriptAction spot(area_, D3DXVECTOR3(20, 0, 14), 2.0F, "obj.pbsc/talk");
    Stand(D3DXVECTOR3(20, 0, 12.5F), D3DXVECTOR3(0, 0, 1), 0);
    Action(true);
    EXPECT_EQ(spot.Update(), 10003u);
    ASSERT_NE(TScriptProcessManager::Get(), nullptr);
}

}  // namespace
}  // namespace maptest
