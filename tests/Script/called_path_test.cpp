// A CALL's file part read as the system reads a path: its steps folded before the disk is asked,
// one file whatever spells it, a path past the system's limit refused; a crowded folder read a
// frame's work at a time while the script goes on; a file rewritten twice within one tick of a
// whole-second clock, or given a new name, or written after a CALL missed it, read as it is.
#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <optional>
#include <string>
#include <vector>

#include "MainCode/Script/ScriptWork.h"
#include "script_fixture.h"
#include "support/script_probe.h"

namespace {

using scripttest::Mark;
using scripttest::Scripts;

constexpr std::uint64_t kBudgetFullFrame = 3000000;

// A CALL line of the key, its backslashes escaped for the assembler.
std::string CallOf(const std::string& key)
{
    std::string line = "CALL ";
    for (char c : key) {
        line += c == '\\' ? std::string("\\\\") : std::string(1, c);
    }
    return line;
}

std::string Repeat(const std::string& text, std::size_t times)
{
    std::string out;
    for (std::size_t i = 0; i < times; ++i) {
        out += text;
    }
    return out;
}

class CalledPaths : public scripttest::ScriptTest {
protected:
    struct Frame {
        std::uint32_t result;
        std::string marks;
        std::string log;
        std::uint64_t tokens;
        long opens;
        long long bytes;
        std::uint64_t entries;
    };

    void SetUp() override
    {
        scripttest::ScriptTest::SetUp();
        platform::ForgetFolderListings();
    }
    void TearDown() override
    {
        platform::LimitFolderListingBytes(0);
        platform::ForgetFolderListings();
        scripttest::ScriptTest::TearDown();
    }

    // One frame, "main" pushed before it when `push`.
    Frame Play(bool push = true)
    {
        m_trace.clear();
        if (push) {
            m_manager->Push("t.pbsc/main");
        }
        testing::internal::CaptureStderr();
        const platform::FileCallCounts before = platform::FileCalls();
        const std::uint64_t entries = platform::FolderEntriesRead();
        const std::uint64_t tokens = ScriptWork::Tokens();
        const std::uint32_t result = m_manager->Step();
        const platform::FileCallCounts after = platform::FileCalls();
        return Frame{result,
                     Marks(),
                     testing::internal::GetCapturedStderr(),
                     ScriptWork::Tokens() - tokens,
                     after.opens - before.opens,
                     after.bytes - before.bytes,
                     platform::FolderEntriesRead() - entries};
    }
};

const Scripts kD = {{"A", {Mark(1)}}, {"B", {Mark(2)}}};

// `.`, `name\..` and doubled separators are folded out before the disk is asked, through a folder
// that is not there too: each spelling runs the file written plainly and costs what it does, but
// for the key's own bytes (a token for every 16).
TEST_F(CalledPaths, AFilePartIsFoldedBeforeTheDiskIsAsked)
{
    Write(kD, "d.pbsc");
    const std::string folder = m_dir.Path().filename().string();
    const struct {
        const char* what;
        std::string part;
    } cases[] = {
        {"written plainly", "d.pbsc"},
        {"a dot step", ".\\d.pbsc"},
        {"dot steps and doubled separators", ".\\\\.\\\\\\d.pbsc"},
        {"into a folder that is not there and back", "zz\\..\\d.pbsc"},
        {"out of the folder and back in, six times", Repeat("..\\" + folder + "\\", 6) + "d.pbsc"},
        {"down a missing folder's missing folders and back", "zz\\yy\\xx\\..\\..\\..\\.\\d.pbsc"},
    };
    std::optional<std::uint64_t> plain;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ResetScripting();
        Write({{"main", {CallOf(c.part + "/A")}}});
        const Frame frame = Play();
        EXPECT_EQ(frame.marks, "1");
        EXPECT_EQ(frame.log, "");
        EXPECT_EQ(frame.entries, 0u);
        const std::uint64_t cost = frame.tokens - ScriptPrice::Bytes((c.part + "/A").size());
        if (!plain) {
            plain = cost;
        }
        EXPECT_EQ(cost, *plain);
    }
}

// The system's file calls take a path of up to 259 characters: one more is refused with their
// error, logged once however often it is called, and nothing is asked of the disk for it.
TEST_F(CalledPaths, APathPastTheSystemsLimitIsRefusedAndLoggedOnce)
{
    Write(kD, "d.pbsc");
    const std::size_t base = m_dir.Path().string().size() + 1 + std::string("d.pbsc").size();
    ASSERT_LT(base + 20, 259u);
    const struct {
        const char* what;
        std::size_t length;  // of the whole path
        const char* marks;
    } cases[] = {{"259 characters", 259, "1"}, {"260 characters", 260, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // `.\` pairs, one `\` more to make it odd: the same file, written longer.
        const std::size_t padding = c.length - base;
        const std::string part = Repeat(".\\", padding / 2) + Repeat("\\", padding % 2) + "d.pbsc";
        ResetScripting();
        Write({{"main", {CallOf(part + "/A")}}});
        std::string logs;
        for (int i = 0; i < 3; ++i) {
            const Frame frame = Play();
            EXPECT_EQ(frame.marks, c.marks);
            logs += frame.log;
        }
        if (*c.marks != '\0') {
            EXPECT_EQ(logs, "");
            continue;
        }
        EXPECT_EQ(logs, "script: cannot open " + m_dir.File(part) + " (" + part + "/A) : The file name is too long\n");
        EXPECT_EQ(Play().opens, 0);
    }
}

// Every spelling of one file is that file: its directory is read once, the manager keeps one record
// of it, and a spelling called again in a later frame opens it to look at it, nothing more.
TEST_F(CalledPaths, SixHundredSpellingsOfOneFileAreOneFile)
{
    Write(kD, "d.pbsc");
    std::vector<std::string> calls;
    for (int i = 0; i < 600; ++i) {
        // The case of "d.pbsc" by the bits of i, behind i / 64 dot steps.
        std::string name = "d.pbsc";
        for (std::size_t b = 0, letter = 0; b < name.size(); ++b) {
            if (name[b] != '.' && ((i >> letter++) & 1) != 0) {
                name[b] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[b])));
            }
        }
        calls.push_back(CallOf(Repeat(".\\", i / 32) + name + "/A"));
    }
    Write({{"main", calls}});
    const long long size = static_cast<long long>(std::filesystem::file_size(m_dir.File("d.pbsc")));
    const Frame first = Play();
    EXPECT_EQ(first.marks, Repeat("1 ", 599) + "1");
    EXPECT_EQ(first.bytes, size);
    EXPECT_EQ(TScriptProbe::KnownFiles(*m_manager), 2u);
    const Frame later = Play();
    EXPECT_EQ(later.marks, first.marks);
    EXPECT_EQ(later.bytes, 0);
    EXPECT_EQ(later.opens, 600);
    EXPECT_EQ(TScriptProbe::KnownFiles(*m_manager), 2u);
}

// A CALL of a file missing from a folder of 30,000 entries reads the folder no further than the
// frame's work reaches, gives the rest of the frame back and goes on reading in the next: every
// frame at most a budget-full one, the folder read once, and the script goes on past the CALL as
// it would past any missing file. A folder too large to keep is read again for the next missing
// file, as much at a time.
TEST_F(CalledPaths, ACrowdedFolderIsReadAFramesWorkAtATime)
{
    for (int i = 0; i < 30000; ++i) {
        const int fd = ::open(m_dir.File("pad" + std::to_string(i)).c_str(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    Write({{"main", {"CALL m1.pbsc/s", "g.flag = 1", "CALL m2.pbsc/s", "g.flag = 2"}}});
    const struct {
        const char* what;
        std::size_t bound;  // 0: the layer's own
        std::uint64_t entries;  // read in all
    } cases[] = {
        // 30,000 pads, t.pbsc, "." and "..".
        {"a folder kept", 0, 30003},
        {"a folder too large to keep", 4096, 2 * 30003},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        platform::LimitFolderListingBytes(c.bound);
        platform::ForgetFolderListings();
        ResetScripting();
        m_manager->Push("t.pbsc/main");
        std::uint64_t entries = 0;
        int givenBack = 0;
        std::string log;
        Frame frame{};
        for (int i = 0; i < 20; ++i) {
            frame = Play(false);
            log += frame.log;
            entries += frame.entries;
            EXPECT_LE(frame.tokens, kBudgetFullFrame + 1000);
            if (frame.result != TScriptProcessManager::kHeld) {
                break;
            }
            EXPECT_TRUE(m_manager->GaveFrameBack());
            ++givenBack;
        }
        EXPECT_EQ(frame.result, TScriptProcessManager::kFinished);
        EXPECT_EQ(Global("flag"), 2);
        EXPECT_GE(givenBack, 1);
        EXPECT_EQ(entries, c.entries);
        EXPECT_EQ(log.find("scripts ended"), std::string::npos) << log;
        EXPECT_NE(log.find("cannot open " + m_dir.File("m2.pbsc")), std::string::npos) << log;
    }
}

// On a filesystem that keeps whole seconds, two rewrites of the same size within one second leave
// the file's times and size as they were. A rewrite in the very tick the file was read in may go
// unseen until the tick moves on; then the second one's bodies run (v3 swapped B and C, so a stale
// directory would run C's body for B), and once the tick of the change lies well behind, nothing is
// read again.
TEST_F(CalledPaths, TwoRewritesWithinOneWholeSecondAreSeenOnceTheSecondHasPassed)
{
    const std::string path = m_dir.File("d.pbsc");
    const Scripts v1 = {{"A", {Mark(1)}}, {"B", {Mark(2)}}, {"C", {Mark(3)}}};
    const Scripts v2 = {{"A", {Mark(4)}}, {"B", {Mark(5)}}, {"C", {Mark(6)}}};
    const Scripts v3 = {{"A", {Mark(7)}}, {"C", {Mark(9)}}, {"B", {Mark(8)}}};
    Write(v1, "d.pbsc");
    Write({{"main", {"CALL d.pbsc/A", "CALL d.pbsc/B"}}});
    constexpr time_t kSecond = 1700000000;
    platform::FeedFolderTimes(platform::FolderTimes{{kSecond, 0}, {kSecond, 0}});
    const struct {
        const char* what;
        const Scripts* rewrite;
        timespec clock;
        const char* marks;
        bool read;  // d.pbsc read again
    } frames[] = {
        {"read in the second it was written", nullptr, {kSecond, 100000000}, "1 2", true},
        {"rewritten in that second", &v2, {kSecond, 400000000}, "1 2", false},
        {"rewritten again in it, the second over", &v3, {kSecond + 1, 0}, "7 8", true},
        {"a second on: the change may still hide", nullptr, {kSecond + 2, 0}, "7 8", true},
        {"settled", nullptr, {kSecond + 3, 0}, "7 8", false},
        {"still settled", nullptr, {kSecond + 9, 0}, "7 8", false},
    };
    for (const auto& f : frames) {
        SCOPED_TRACE(f.what);
        if (f.rewrite != nullptr) {
            Write(*f.rewrite, "d.pbsc");
        }
        platform::FeedFolderClock(f.clock);
        const long long pushed = static_cast<long long>(std::filesystem::file_size(m_dir.File("t.pbsc")));
        const platform::FileCallCounts before = platform::FileCalls();
        m_manager->Push("t.pbsc/main");
        const long long pushRead = platform::FileCalls().bytes - before.bytes;
        const Frame frame = Play(false);
        EXPECT_EQ(pushRead, pushed);
        EXPECT_EQ(frame.marks, f.marks);
        EXPECT_EQ(frame.bytes != 0, f.read);
    }
    platform::FeedFolderTimes(std::nullopt);
}

// What a rewrite gave the file is there at the first CALL after: a name it added, and a file
// written after a CALL found none.
TEST_F(CalledPaths, WhatARewriteAddedRunsAtTheFirstCallAfter)
{
    const struct {
        const char* what;
        bool there;  // d.pbsc at the first frame
        const char* firstMarks;
        const char* firstLog;
    } cases[] = {
        {"a name added", true, "1", "no script named \"N\""},
        {"the file written", false, "", "cannot open"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(m_dir.File("d.pbsc"));
        if (c.there) {
            Write(kD, "d.pbsc");
        }
        ResetScripting();
        Write({{"main", {"CALL d.pbsc/A", "CALL d.pbsc/N"}}});
        const Frame first = Play();
        EXPECT_EQ(first.marks, c.firstMarks);
        EXPECT_NE(first.log.find(c.firstLog), std::string::npos) << first.log;
        Write({{"A", {Mark(1)}}, {"N", {Mark(5)}}}, "d.pbsc");
        const Frame next = Play();
        EXPECT_EQ(next.marks, "1 5");
        EXPECT_EQ(next.log, "");
    }
}

}  // namespace
