// A save whose file is renamed into place has succeeded, even when the folder flush after the
// rename fails: that is logged, not reported as a failed save.
#include "game_data_fixture.h"

#include <filesystem>

#include "platform/testing/win32.h"

namespace {

namespace fs = std::filesystem;

class SaveFlushTest : public gamedatatest::GameDataTest {
protected:
    void SetUp() override
    {
        GameDataTest::SetUp();
        TGameData::SetChapter(4);
        TGameData::SetSaveDirectory("save/");
        fs::create_directories(dir_.Path() / "save");
    }
    void TearDown() override
    {
        platform::FailNextFolderFlush(false);
        TGameData::SetChapter(1);
        TGameData::SetSaveDirectory("");
        GameDataTest::TearDown();
    }
};

TEST_F(SaveFlushTest, AFailedFlushAfterTheRenameIsLoggedAndTheSaveSucceeds)
{
    data_->SetSavePoint(12);  // a save point of the fourth chapter
    platform::FailNextFolderFlush();
    testing::internal::CaptureStderr();
    EXPECT_EQ(data_->Save(5), TGameData::kSaveOk);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("is renamed to save/sav_05.dat, but its folder could not be flushed"), std::string::npos)
        << log;
    EXPECT_FALSE(fs::exists("save/sav_05.dat.tmp"));
    EXPECT_TRUE(fs::exists("save/sav_05.dat"));
    data_->SetSavePoint(13);
    EXPECT_EQ(data_->Load(5, -1), TGameData::kSaveOk);  // whole, under the slot's name
    EXPECT_EQ(data_->GetSavePoint(), 12);

    // The next save flushes again and says nothing.
    testing::internal::CaptureStderr();
    EXPECT_EQ(data_->Save(5), TGameData::kSaveOk);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

}  // namespace
