// What a CALL finds when it looks at its file again: a file gone since the last frame is gone for
// every CALL of that frame; a folder further up its path, spelled in another case or missing, is
// read no further than the frame's work reaches and the CALL goes on in the next frame.
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "MainCode/Script/ScriptWork.h"
#include "platform/testing/win32.h"
#include "platform/win32/file.h"
#include "platform/win32/folder_listing.h"
#include "script_fixture.h"

namespace {

using scripttest::Mark;
using scripttest::Scripts;

class CalledFileLooks : public scripttest::ScriptTest {
protected:
    struct Frame {
        std::uint32_t result;
        bool gaveBack;
        std::string marks;
        std::string log;
        std::uint64_t entries;  // folder entries read
    };

    void SetUp() override
    {
        scripttest::ScriptTest::SetUp();
        platform::ForgetFolderListings();
    }
    void TearDown() override
    {
        platform::ForgetFolderListings();
        scripttest::ScriptTest::TearDown();
    }

    // One frame, "main" pushed before it when `push`.
    Frame Play(bool push)
    {
        m_trace.clear();
        if (push) {
            m_manager->Push("t.pbsc/main");
        }
        testing::internal::CaptureStderr();
        const std::uint64_t entries = platform::FolderEntriesRead();
        const std::uint32_t result = m_manager->Step();
        return Frame{result, m_manager->GaveFrameBack(), Marks(), testing::internal::GetCapturedStderr(),
                     platform::FolderEntriesRead() - entries};
    }
};

// The frame whose look finds a called file removed runs none of it: a second CALL of the same name
// in that frame, and a name of the file not read before, are a file that cannot be opened, each
// logged once; the frames after it stay so until the file is back.
TEST_F(CalledFileLooks, AFileFoundGoneIsGoneForEveryCallOfThatFrame)
{
    const std::string path = m_dir.File("d.pbsc");
    Write({{"main", {"CALL d.pbsc/A", Mark(8), "CALL d.pbsc/A", "IF g.late", "CALL d.pbsc/B", "END", Mark(9)}}});
    const std::string gone =
        "script: cannot open " + path + " (d.pbsc/A)\n" + "script: cannot open " + path + " (d.pbsc/B)\n";
    const struct {
        const char* what;
        bool there;
        const char* marks;
        std::string log;
    } frames[] = {
        {"read", true, "1 8 1 9", ""},
        {"removed", false, "8 9", gone},
        {"still away", false, "8 9", ""},
        {"back", true, "1 8 1 2 9", ""},
    };
    for (const auto& f : frames) {
        SCOPED_TRACE(f.what);
        if (f.there) {
            Write({{"A", {Mark(1)}}, {"B", {Mark(2)}}}, "d.pbsc");
        } else {
            std::filesystem::remove(path);
            m_manager->GetGlobalA().SetInt("late", 1);
        }
        const Frame frame = Play(true);
        EXPECT_EQ(frame.result, TScriptProcessManager::kFinished);
        EXPECT_EQ(frame.marks, f.marks);
        EXPECT_EQ(frame.log, f.log);
    }
}

// A CALL whose path runs through a folder that is not there as written reads the folder above it,
// among 1,000 files, for that name, only as far as the frame's work reaches: the loop before it
// leaves some 10,000 units, about 180 entries. The frame is given back, the next one reads on from
// there and the CALL runs what it finds (or, for a folder that is nowhere, logs it), each entry read
// once: 1,000 files, t.pbsc, "Sub", "." and "..".
TEST_F(CalledFileLooks, AFolderFurtherUpThePathIsReadAFramesWorkAtATime)
{
    ReadFromGameFolder();
    for (int i = 0; i < 1000; ++i) {
        const int fd = ::open(ScriptFile("pad" + std::to_string(i)).c_str(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    std::filesystem::create_directories(m_scripts / "Sub");
    Write({{"A", {Mark(1)}}}, "Sub/d.pbsc");
    const struct {
        const char* what;
        const char* folder;
        const char* marks;
        const char* log;
    } cases[] = {
        {"spelled in another case", "SUB", "1 9", ""},
        {"missing", "NONE", "9", "script: cannot open data/scr04/NONE\\d.pbsc (NONE\\d.pbsc/A)\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        platform::ForgetFolderListings();
        ResetScripting();
        Write({{"main", {"WHILE g.n < 330000", "g.n = g.n + 1", "END", "CALL " + std::string(c.folder) + "\\\\d.pbsc/A",
                         Mark(9)}}});
        const Frame first = Play(true);
        EXPECT_EQ(first.result, TScriptProcessManager::kHeld);
        EXPECT_TRUE(first.gaveBack);
        EXPECT_EQ(first.marks, "");
        EXPECT_EQ(first.log, "");
        EXPECT_GT(first.entries, 0u);
        EXPECT_LT(first.entries, 1004u);
        const Frame next = Play(false);
        EXPECT_EQ(next.result, TScriptProcessManager::kFinished);
        EXPECT_EQ(next.marks, c.marks);
        EXPECT_EQ(next.log, c.log);
        EXPECT_EQ(first.entries + next.entries, 1004u);
    }
}

}  // namespace
