// A called file known by what it is: looked at once a frame, its scripts read again when it has
// been rewritten (its size and times kept included), renamed over, removed or put back; the
// folder entries the system reads for a file missing as written are the CALL's work; a large body
// read in growing blocks.
#include <filesystem>
#include <string>
#include <vector>

#include "MainCode/Script/ScriptWork.h"
#include "MainCode/Script/TScriptFile.h"
#include "formats/byte_writer.h"
#include "script_fixture.h"
#include "support/script_probe.h"

namespace {

using scripttest::Mark;
using scripttest::Scripts;
using scripttest::ScriptTest;

using CalledFiles = ScriptTest;

const Scripts kOriginal = {{"A", {Mark(1)}}, {"B", {Mark(3)}}};

// What one frame did: the marks, the log, the bytes read and files opened, the tokens worked.
struct Frame {
    std::string marks;
    std::string log;
    long long bytes;
    long opens;
    std::uint64_t tokens;
};

// Pushes "main" and steps one frame; the push, which reads t.pbsc, comes before the frame.
class CalledFileFrames : public ScriptTest {
protected:
    Frame Play()
    {
        m_trace.clear();
        m_manager->Push("t.pbsc/main");
        testing::internal::CaptureStderr();
        const platform::FileCallCounts before = platform::FileCalls();
        const std::uint64_t tokens = ScriptWork::Tokens();
        EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kFinished);
        const platform::FileCallCounts after = platform::FileCalls();
        return Frame{Marks(), testing::internal::GetCapturedStderr(), after.bytes - before.bytes,
                     after.opens - before.opens, ScriptWork::Tokens() - tokens};
    }
};

// The same name called in a later frame runs what the file holds then: a rewrite that keeps the
// file's size and last write time, in place or renamed over it, is seen as any other; a file left
// alone is looked at and nothing of it read again; a file removed is a file that cannot be opened.
TEST_F(CalledFileFrames, ANameCalledAgainInALaterFrameRunsWhatTheFileHoldsThen)
{
    const std::string path = m_dir.File("d.pbsc");
    const Scripts longer = {{"A", {Mark(2), Mark(2)}}, {"B", {Mark(3)}}};
    const Scripts same = {{"A", {Mark(2)}}, {"B", {Mark(3)}}};
    const struct {
        const char* what;
        const Scripts* rewritten;  // null: left alone
        bool renamed;
        bool removed;
        const char* marks;
        bool read;  // the frame reads d.pbsc
    } cases[] = {
        {"left alone", nullptr, false, false, "1 9", false},
        {"rewritten in place, its size and time kept", &same, false, false, "2 9", true},
        {"renamed over, its size and time kept", &same, true, false, "2 9", true},
        {"rewritten longer, its time kept", &longer, false, false, "2 2 9", true},
        {"removed", nullptr, false, true, "9", false},
    };
    Write({{"main", {"CALL d.pbsc/A", Mark(9)}}});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Write(kOriginal, "d.pbsc");
        ResetScripting();
        EXPECT_EQ(Play().marks, "1 9");
        const auto time = std::filesystem::last_write_time(path);
        if (c.rewritten != nullptr) {
            scripttest::Rewrite(path, *c.rewritten, c.renamed, time);
            ASSERT_EQ(std::filesystem::last_write_time(path), time);
        }
        if (c.removed) {
            std::filesystem::remove(path);
        }
        const Frame next = Play();
        EXPECT_EQ(next.marks, c.marks);
        EXPECT_EQ(next.bytes, c.read ? static_cast<long long>(std::filesystem::file_size(path)) : 0);
        EXPECT_EQ(next.log, c.removed ? "script: cannot open " + path + " (d.pbsc/A)\n" : "");
    }
}

// A file that went and came back: the CALL of a file that is not there is logged once, runs
// nothing in the frames while it stays away, and runs the script again the frame after it is back.
TEST_F(CalledFileFrames, AFileRemovedAndPutBackRunsAgain)
{
    const std::string path = m_dir.File("d.pbsc");
    Write({{"main", {"CALL d.pbsc/A", Mark(9)}}});
    Write(kOriginal, "d.pbsc");
    EXPECT_EQ(Play().marks, "1 9");
    std::filesystem::remove(path);
    const struct {
        const char* what;
        bool putBack;
        const char* marks;
        const char* log;
    } frames[] = {
        {"removed", false, "9", "cannot open"},
        {"still away", false, "9", nullptr},
        {"back", true, "1 9", nullptr},
        {"left alone", false, "1 9", nullptr},
    };
    for (const auto& f : frames) {
        SCOPED_TRACE(f.what);
        if (f.putBack) {
            Write(kOriginal, "d.pbsc");
        }
        const Frame frame = Play();
        EXPECT_EQ(frame.marks, f.marks);
        EXPECT_EQ(frame.log.find("cannot open") != std::string::npos, f.log != nullptr) << frame.log;
    }
}

// However often a frame calls into a file, the file is opened once to be looked at; the frame it
// was read in looks at it no more. A CALL in a loop costs what it did.
TEST_F(CalledFileFrames, AFileIsLookedAtOnceAFrame)
{
    Write(kOriginal, "d.pbsc");
    Write({{"main", {"CALL d.pbsc/A", "CALL d.pbsc/A", "CALL d.pbsc/B", "WHILE g.n < 50", "g.n = g.n + 1",
                     "CALL d.pbsc/A", "END", "g.n = 0"}}});
    const struct {
        const char* what;
        long opens;
        bool reads;
    } frames[] = {
        // The directory and A in one opening, B in another.
        {"the first", 2, true},
        {"the second", 1, false},
        {"the third", 1, false},
    };
    std::string marks = "1 1 3";
    for (int i = 0; i < 50; ++i) {
        marks += " 1";
    }
    for (const auto& f : frames) {
        SCOPED_TRACE(f.what);
        const Frame frame = Play();
        EXPECT_EQ(frame.marks, marks);
        EXPECT_EQ(frame.opens, f.opens);
        EXPECT_EQ(frame.bytes != 0, f.reads);
    }
}

// Looking at a file costs its opening, some 4 microseconds (1,000 tokens), and 8 for each name of
// each path the system was asked about (whether the file is there as written, then its opening:
// the three names of data/scr04/fN.pbsc each): a frame that calls 1,000 files read in an earlier
// frame pays that for each, and the CALL's look-up of its file part among the 1,001 called (two
// levels past the eighth, 8) on top.
TEST_F(CalledFileFrames, LookingAtAFileCostsItsOpening)
{
    ReadFromGameFolder();
    std::vector<std::string> calls;
    for (int i = 0; i < 1000; ++i) {
        const std::string file = "f" + std::to_string(i) + ".pbsc";
        Write({{"s", {"g.n = g.n + 1"}}}, file);
        calls.push_back("CALL " + file + "/s");
    }
    Write({{"main", calls}});
    EXPECT_EQ(Play().marks, "");
    const std::uint64_t tokens = Play().tokens;
    EXPECT_EQ(Global("n"), 2000);
    // And the called line, "g.n = g.n + 1", three.
    EXPECT_EQ(tokens, 1000u * (1000 + 2 * 3 * 8 + 8 + 3));
}

// The entries of a folder the system reads for a file not there as written are the CALL's work,
// 160 tokens each (some 650 ns) and one for each byte of their names: a CALL of a missing file
// beside 3,000 files, their folder just changed, costs what one beside none does and that for each
// entry read.
TEST_F(CalledFileFrames, FolderEntriesReadForAMissingFileAreTheCallsWork)
{
    Write({{"main", {"CALL m.pbsc/s"}}});
    const struct {
        const char* what;
        int files;  // added to the folder
    } cases[] = {{"a folder of two files", 0}, {"3,000 files more", 3000}};
    std::uint64_t fixed = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (int i = 0; i < c.files; ++i) {
            qmtest::SaveBytes(m_dir.File("crowd" + std::to_string(i) + ".dat"), {});
        }
        ResetScripting();
        m_manager->Push("t.pbsc/main");
        // Changed just now: the system reads the folder again for the missing name.
        qmtest::SaveBytes(m_dir.File("touched.dat"), {});
        std::filesystem::remove(m_dir.File("touched.dat"));
        const std::uint64_t entries = platform::FolderEntriesRead();
        const std::uint64_t bytes = platform::FolderNameBytesRead();
        const std::uint64_t tokens = ScriptWork::Tokens();
        testing::internal::CaptureStderr();
        EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kFinished);
        testing::internal::GetCapturedStderr();
        const std::uint64_t read = platform::FolderEntriesRead() - entries;
        const std::uint64_t named = platform::FolderNameBytesRead() - bytes;
        const std::uint64_t worked = ScriptWork::Tokens() - tokens;
        ASSERT_GE(read, static_cast<std::uint64_t>(c.files)) << "the folder was not read";
        // "crowd0.dat" to "crowd2999.dat": 37,890 bytes.
        ASSERT_GE(named, c.files == 0 ? 0u : 37890u);
        ASSERT_GE(worked, read * 160 + named);
        if (fixed == 0) {
            fixed = worked - read * 160 - named;
        } else {
            EXPECT_EQ(worked - read * 160 - named, fixed);
        }
    }
}

// A file is the same file, as it was, while its volume, index, size, last write time and change
// time are all the same (both stamps taken long after its change); one that could not be told is
// never the same.
TEST(ScriptFileIdentity, EveryPartTellsAChange)
{
    platform::FileStamp base;
    base.known = true;
    base.volume = 7;
    base.index = 1234567890123ull;
    base.size = 4096;
    base.written = {1700000000, 5};
    base.changed = {1700000001, 7};
    base.taken = {1700000100, 0};
    const auto changed = [&](auto change) {
        platform::FileStamp other = base;
        change(other);
        return other;
    };
    const struct {
        const char* what;
        platform::FileStamp other;
        bool same;
    } cases[] = {
        {"all alike", base, true},
        {"taken later", changed([](platform::FileStamp& s) { s.taken.seconds += 60; }), true},
        {"another volume", changed([](platform::FileStamp& s) { ++s.volume; }), false},
        {"another index", changed([](platform::FileStamp& s) { ++s.index; }), false},
        {"another size", changed([](platform::FileStamp& s) { ++s.size; }), false},
        {"another write time", changed([](platform::FileStamp& s) { ++s.written.nanoseconds; }), false},
        {"another change time", changed([](platform::FileStamp& s) { ++s.changed.nanoseconds; }), false},
        {"not told", changed([](platform::FileStamp& s) { s.known = false; }), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::SameState(base, c.other), c.same) << c.what;
        EXPECT_EQ(platform::SameState(c.other, base), c.same) << c.what;
    }
}

// A body of 2.45 MB is read in blocks growing from 4 KiB to 64 KiB: 41 reads, each byte read once,
// where blocks that stayed at 4 KiB took 599.
TEST_F(CalledFiles, ALargeBodyIsReadInGrowingBlocks)
{
    Write({{"big", std::vector<std::string>(50000, "g.x = g.x + 1")}});
    const auto size = static_cast<long long>(std::filesystem::file_size(m_dir.File("t.pbsc")));
    const platform::FileCallCounts before = platform::FileCalls();
    TScript script("t.pbsc/big");
    const platform::FileCallCounts after = platform::FileCalls();
    EXPECT_EQ(TScriptProbe::StatementCount(script), 50000u);
    EXPECT_EQ(after.bytes - before.bytes, size);
    // 4, 8, 16 and 32 KiB, then 37 blocks of 64 KiB, the last one short.
    ASSERT_EQ(size, 2450019);
    EXPECT_EQ(after.reads - before.reads, 41);
}

}  // namespace
