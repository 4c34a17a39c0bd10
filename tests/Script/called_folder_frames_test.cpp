// A CALL of a file missing from a folder of tens of thousands of names, read a frame's work at a
// time: a read ending at the frame's edge ends no script (what does not fit goes on in the next
// frame), a loop of such CALLs is still ended as a runaway, and a CALL given back pays for its
// look once.
#include <filesystem>
#include <string>
#include <vector>

#include "MainCode/Script/ScriptWork.h"
#include "platform/folder_fixture.h"
#include "script_fixture.h"
#include "support/crowded_folder.h"

namespace {

using scripttest::Mark;

// Read in a little less than a frame's work; in some two fifths of one; in two frames and two thirds.
constexpr int kNearlyAFrame = 18000;
constexpr int kTwoFifthsOfAFrame = 7000;
constexpr int kTwoFramesAndMore = 48000;

class CalledFolderFrames : public scripttest::ScriptTest {
protected:
    // What one frame did.
    struct Frame {
        std::uint32_t result;
        bool gaveBack;
        std::string marks;
        std::string log;
        std::uint64_t tokens;
        std::uint64_t entries;
        std::uint64_t nameBytes;
        std::uint64_t pathSteps;
    };

    // "crowd" in the script folder, a folder of that many names.
    void Crowd(int names) { ASSERT_TRUE(qmtest::LinkCrowdedFolder(m_dir.Path() / "crowd", names)); }

    Frame Play()
    {
        m_trace.clear();
        const std::uint64_t tokens = ScriptWork::Tokens();
        const std::uint64_t entries = platform::FolderEntriesRead();
        const std::uint64_t bytes = platform::FolderNameBytesRead();
        const std::uint64_t steps = platform::PathStepsAsked();
        testing::internal::CaptureStderr();
        const std::uint32_t result = m_manager->Step();
        return Frame{result,
                     m_manager->GaveFrameBack(),
                     Marks(),
                     testing::internal::GetCapturedStderr(),
                     ScriptWork::Tokens() - tokens,
                     platform::FolderEntriesRead() - entries,
                     platform::FolderNameBytesRead() - bytes,
                     platform::PathStepsAsked() - steps};
    }

    // "main" from a fresh manager and a folder read afresh, frames until it no longer holds (at most
    // `limit`).
    std::vector<Frame> Frames(int limit, const std::vector<std::pair<std::string, std::int32_t>>& globals = {})
    {
        ResetScripting();
        platform::ForgetFolderListings();
        for (const auto& [name, value] : globals) {
            m_manager->GetGlobalA().SetInt(name, value);
        }
        m_manager->Push("t.pbsc/main");
        std::vector<Frame> frames;
        do {
            frames.push_back(Play());
        } while (frames.back().result == TScriptProcessManager::kHeld && static_cast<int>(frames.size()) < limit);
        return frames;
    }

    qmtest::FreshListings m_listings;
};

// Some work of the script's own (g.n passes of a loop), the CALL, a mark, a loop of 3,000 passes
// and a mark. The more work before the CALL, the less of the frame its read finds: at the largest
// g.n whose first mark still comes in the first frame, the read has ended within a few units of the
// frame's end, and the second loop cannot fit. Neither there nor a pass later (the CALL's own work
// after the read does not fit) is the script ended: the rest runs in the next frame. So too where
// the script's own work took more of that frame than the read did.
TEST_F(CalledFolderFrames, AReadEndingAtTheFramesEdgeEndsNoScript)
{
    const struct {
        const char* what;
        int names;
        int passesTooMany;
    } cases[] = {
        {"a read of nearly a frame", kNearlyAFrame, 4000},
        {"a read of some two fifths of a frame, after three fifths of the script's own", kTwoFifthsOfAFrame, 400000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(m_dir.Path() / "crowd");
        Crowd(c.names);
        Write({{"main",
                {"WHILE g.i < g.n", "g.i = g.i + 1", "END", "CALL crowd\\\\zz.pbsc/s", Mark(1), "WHILE g.j < 3000",
                 "g.j = g.j + 1", "END", Mark(2)}}});
        const auto markedFirst = [&](int n) { return Frames(1, {{"n", n}}).front().marks.starts_with("1"); };
        int low = 0;
        int high = c.passesTooMany;
        ASSERT_TRUE(markedFirst(low));
        ASSERT_FALSE(markedFirst(high));
        while (high - low > 1) {
            const int middle = (low + high) / 2;
            (markedFirst(middle) ? low : high) = middle;
        }
        for (int n = low; n <= low + 1; ++n) {
            SCOPED_TRACE("work before the CALL: " + std::to_string(n) + " passes");
            const std::vector<Frame> frames = Frames(4, {{"n", n}});
            ASSERT_EQ(frames.size(), 2u);
            EXPECT_EQ(frames[0].marks, n == low ? "1" : "");
            EXPECT_EQ(frames[0].result, TScriptProcessManager::kHeld);
            EXPECT_TRUE(frames[0].gaveBack);
            EXPECT_EQ(frames[1].marks, n == low ? "2" : "1 2");
            EXPECT_EQ(frames[1].result, TScriptProcessManager::kFinished);
            EXPECT_EQ(frames[1].entries, 0u);
            EXPECT_EQ(Global("j"), 3000);
            for (const Frame& frame : frames) {
                EXPECT_EQ(frame.log.find("scripts ended"), std::string::npos) << frame.log;
            }
        }
    }
}

// A loop of CALLs into a folder too large to keep reads it again each time it looks: a read of two
// frames and two thirds, the loop's own work in the rest of the third. Each third frame is more read
// than loop, and holds; but the loop's work counts on from one to the next until it has had a
// frame's worth, and the loop is ended as any runaway is.
TEST_F(CalledFolderFrames, ALoopOfCallsThatReadsAFolderEveryFewFramesIsStillEnded)
{
    Crowd(kTwoFramesAndMore);
    platform::LimitFolderListingBytes(4096);
    Write({{"main", {"WHILE 1", "CALL crowd\\\\zz.pbsc/s", "END"}}});
    const std::vector<Frame> frames = Frames(12);
    ASSERT_LT(frames.size(), 12u);
    const Frame& last = frames.back();
    EXPECT_EQ(last.result, TScriptProcessManager::kFinished);
    EXPECT_NE(last.log.find("\"t.pbsc/main\" ran "), std::string::npos) << last.log;
    EXPECT_NE(last.log.find("all scripts ended"), std::string::npos) << last.log;
    std::uint64_t entries = 0;
    for (std::size_t i = 0; i + 1 < frames.size(); ++i) {
        EXPECT_TRUE(frames[i].gaveBack) << i;
        entries += frames[i].entries;
    }
    // More than one read of the folder came before: the first third frame held.
    EXPECT_GT(entries + last.entries, static_cast<std::uint64_t>(kTwoFramesAndMore) + 2);
}

// A CALL given back comes again in the next frame to go on reading: its first try pays for its
// opening (200) and its new file part (12), a try after it nothing more, not the look of a file part
// called before (1,000); what either reads of the folder is 160 a name and a token a byte of it, and
// 8 for each name of a path asked of the system.
TEST_F(CalledFolderFrames, ACallGivenBackPaysForItsLookOnce)
{
    Crowd(kTwoFramesAndMore);
    Write({{"main", {"CALL crowd\\\\zz.pbsc/s", Mark(1)}}});
    const std::vector<Frame> frames = Frames(5);
    ASSERT_EQ(frames.size(), 3u);
    std::vector<std::uint64_t> besides;
    for (const Frame& frame : frames) {
        besides.push_back(frame.tokens - 160 * frame.entries - frame.nameBytes - 8 * frame.pathSteps);
    }
    EXPECT_EQ(besides[0], 212u);
    EXPECT_EQ(besides[1], 0u);
    EXPECT_TRUE(frames[1].gaveBack);
    EXPECT_EQ(frames[2].marks, "1");
    EXPECT_EQ(frames[0].entries + frames[1].entries + frames[2].entries, static_cast<std::uint64_t>(kTwoFramesAndMore) + 2);
}

// The shared folder holds just its names, and is written once.
TEST(CrowdedFolders, HoldTheirNamesAndAreWrittenOnce)
{
    const std::filesystem::path folder = qmtest::CrowdedFolder(kNearlyAFrame);
    ASSERT_FALSE(folder.empty());
    int names = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++names;
        EXPECT_TRUE(entry.is_regular_file());
        EXPECT_EQ(entry.file_size(), 0u);
    }
    EXPECT_EQ(names, kNearlyAFrame);
    EXPECT_TRUE(std::filesystem::exists(folder / "p00000"));
    EXPECT_TRUE(std::filesystem::exists(folder / "p17999"));
    const auto written = std::filesystem::last_write_time(folder);
    EXPECT_EQ(qmtest::CrowdedFolder(kNearlyAFrame), folder);
    EXPECT_EQ(std::filesystem::last_write_time(folder), written);
}

}  // namespace
