// A save loaded through the scene-change hub counts its play time from the load on: the minutes spent
// on the title before it are not played, the time after it is, and the next save stores it.
#include <string>

#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Scene/TChangeLoop.h"
#include "Scene/scene_flow_fixture.h"
#include "platform/testing/win32.h"
#include "support/main_probe.h"

namespace scenetest {
namespace {

TEST_F(SceneFlow, ALoadedSaveCountsItsPlayTimeFromTheLoadOn)
{
    StartStory();
    qmtest::SaveFileData save;
    save.savePoint = 11;
    save.playTime = 3723000;  // 1:02:03
    for (std::uint32_t i = 0; i < 8; ++i) {
        save.characters[i] = *TGameData::GetInstance()->GetCharacterData(i);
    }
    qmtest::SaveBytes("save/" + qmtest::SaveSlotName(3), qmtest::BuildSaveFile(save, false));
    platform::ManualClock::Advance(600000);  // ten minutes on the title
    RunAlone(TChangeLoop::ToLoadSlot(app_.get(), 3, 1));
    Steps(101);
    ASSERT_NE(dynamic_cast<TFieldLoop*>(TMainProbe::CurrentScene(*app_)), nullptr);
    TGameData* data = TGameData::GetInstance();
    // The load was a step ago at most.
    const std::uint32_t atLoad = data->GetPlayTime();
    EXPECT_GE(atLoad, 3723000u);
    EXPECT_LE(atLoad, 3723000u + 100u);
    platform::ManualClock::Advance(61000);
    EXPECT_EQ(data->GetPlayTime(), atLoad + 61000u);
    ASSERT_EQ(data->Save(7), TGameData::kSaveOk);
    std::string line;
    EXPECT_EQ(TGameData::MakeSaveSlotLine(7, true, -1, line), TGameData::kSaveOk);
    EXPECT_NE(line.find("Time [01:03:04]"), std::string::npos) << line;
}

}  // namespace
}  // namespace scenetest
