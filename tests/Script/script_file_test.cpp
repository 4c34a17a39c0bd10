// Called files as a manager reads them: no descriptor held between CALLs, the system's reason when
// a file cannot be opened, a file rewritten between two CALLs read as it is now, and damaged bodies
// that cost what reading them does and stop with the frame's work.
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

#include "MainCode/Script/ScriptWork.h"
#include "script_fixture.h"
#include "formats/byte_writer.h"
#include "platform/testing/win32.h"

namespace {

using scripttest::Mark;
using scripttest::ScriptTest;

std::size_t OpenDescriptors()
{
    std::size_t n = 0;
    for (auto it = std::filesystem::directory_iterator("/proc/self/fd"); it != std::filesystem::directory_iterator();
         ++it) {
        ++n;
    }
    return n;
}

// Notes the process's open descriptors at each command.
class DescriptorModule : public TScriptModule {
public:
    explicit DescriptorModule(std::vector<std::size_t>* counts) : TScriptModule("Fd"), m_counts(counts) {}
    std::uint32_t Call(std::uint32_t, const std::deque<std::string>&, const std::deque<std::uint32_t>&) override
    {
        m_counts->push_back(OpenDescriptors());
        return kDone;
    }
    void Update() override {}
    void Draw() override {}

private:
    std::vector<std::size_t>* m_counts;
};

// Runs a hook of the test at its command, between two statements of a running script.
class HookModule : public TScriptModule {
public:
    explicit HookModule(std::function<void()> hook) : TScriptModule("Hook"), m_hook(std::move(hook)) {}
    std::uint32_t Call(std::uint32_t, const std::deque<std::string>&, const std::deque<std::uint32_t>&) override
    {
        m_hook();
        return kDone;
    }
    void Update() override {}
    void Draw() override {}

private:
    std::function<void()> m_hook;
};

std::size_t Lines(const std::string& log)
{
    return static_cast<std::size_t>(std::count(log.begin(), log.end(), '\n'));
}

using ScriptFiles = ScriptTest;

// Every CALL opens its file, reads, and closes it: the process's descriptors are where they were
// at each step of the way, whatever the file held.
TEST_F(ScriptFiles, CalledFilesHoldNoDescriptorBetweenCalls)
{
    const std::string fd = "CALL @@SendMsg \"Fd\" 0";
    std::vector<std::string> many;
    std::string manyMarks;
    for (int i = 0; i < 300; ++i) {
        many.insert(many.end(), {"CALL f" + std::to_string(i) + ".pbsc/s", fd});
        manyMarks += (i == 0 ? "" : " ") + std::to_string(i);
    }
    const struct {
        const char* what;
        std::vector<std::string> main;
        std::size_t probes;
        std::string marks;
    } cases[] = {
        {"300 files, each called once", many, 300, manyMarks},
        {"three scripts of one file, a name it lacks between",
         {"CALL g.pbsc/a", fd, "CALL g.pbsc/none", fd, "CALL g.pbsc/b", fd, "CALL g.pbsc/a", fd}, 4, "1 2 1"},
        {"a file cut short, a file absent", {"CALL cut.pbsc/s", fd, "CALL absent.pbsc/s", fd, Mark(3)}, 2, "3"},
    };
    for (int i = 0; i < 300; ++i) {
        Write({{"s", {Mark(i)}}}, "f" + std::to_string(i) + ".pbsc");
    }
    Write({{"a", {Mark(1)}}, {"b", {Mark(2)}}}, "g.pbsc");
    std::vector<std::uint8_t> cut = qmtest::ScriptFileWriter().Script("s", {Mark(9)}).Build();
    cut.pop_back();
    qmtest::SaveBytes(m_dir.File("cut.pbsc"), cut);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ResetScripting();
        std::vector<std::size_t> counts;
        m_manager->AddModule(new DescriptorModule(&counts));
        m_trace.clear();
        Write({{"main", c.main}});
        testing::internal::CaptureStderr();
        const std::size_t before = OpenDescriptors();
        m_manager->Push("t.pbsc/main");
        EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kFinished);
        const std::size_t after = OpenDescriptors();
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(Marks(), c.marks);
        ASSERT_EQ(counts.size(), c.probes);
        for (std::size_t i = 0; i < counts.size(); ++i) {
            EXPECT_EQ(counts[i], before) << "after CALL " << i;
        }
        EXPECT_EQ(after, before);
    }
}

// While it lives, the process can open no more descriptors: its limit stands at the highest one
// open, and every free one below is taken.
class DescriptorsUsedUp {
public:
    DescriptorsUsedUp()
    {
        getrlimit(RLIMIT_NOFILE, &m_saved);
        int highest = 0;
        for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
            highest = std::max(highest, std::stoi(entry.path().filename().string()));
        }
        rlimit low = m_saved;
        low.rlim_cur = static_cast<rlim_t>(highest) + 1;
        setrlimit(RLIMIT_NOFILE, &low);
        for (int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC); fd >= 0; fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) {
            m_taken.push_back(fd);
        }
    }
    ~DescriptorsUsedUp()
    {
        for (int fd : m_taken) {
            ::close(fd);
        }
        setrlimit(RLIMIT_NOFILE, &m_saved);
    }
    DescriptorsUsedUp(const DescriptorsUsedUp&) = delete;
    DescriptorsUsedUp& operator=(const DescriptorsUsedUp&) = delete;

private:
    rlimit m_saved{};
    std::vector<int> m_taken;
};

// A file that cannot be opened reads as a loader's does ("data/ptx04/sprite.ptx : Too many open
// files"), the key beside the path: a file that is not there, or no file the game may read, is
// "cannot open" and its name alone; a cause that does not lie in the file is told after it.
TEST_F(ScriptFiles, AFileThatCannotBeOpenedReadsAsALoadersDoes)
{
    const std::string path = m_dir.File("x.pbsc");
    const struct {
        const char* what;
        std::function<void()> make;
        bool usedUp;
        const char* reason;
    } cases[] = {
        {"absent", [] {}, false, ""},
        {"a link to itself", [&] { std::filesystem::create_symlink("x.pbsc", path); }, false, ""},
        {"a folder of that name", [&] { std::filesystem::create_directory(path); }, false, ""},
        {"no descriptor left", [&] { Write({{"s", {Mark(5)}}}, "x.pbsc"); }, true, " : Too many open files"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(path);
        c.make();
        ResetScripting();
        m_trace.clear();
        Write({{"main", {Mark(1), "CALL x.pbsc/s", Mark(2)}}});
        m_manager->Push("t.pbsc/main");
        testing::internal::CaptureStderr();
        {
            std::optional<DescriptorsUsedUp> usedUp;
            if (c.usedUp) {
                usedUp.emplace();
            }
            EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kFinished);
        }
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(Marks(), "1 2");
        EXPECT_EQ(log, "script: cannot open " + path + " (x.pbsc/s)" + c.reason + "\n");
    }
    std::filesystem::remove_all(path);
}

// A CALL reads the body its name has in the file as the file is now: the file is rewritten between
// a first CALL (which read its directory) and a second. Its size, its time, its change time (which
// no tool sets back) or another file renamed over it tells the change, and the script loaded before
// it, called again, runs as the file has it now too; a file removed in the frame leaves that one
// as it was read.
TEST_F(ScriptFiles, AFileRewrittenBetweenTwoCallsRunsTheBodyItsNameHasNow)
{
    const std::string path = m_dir.File("u.pbsc");
    const std::vector<std::pair<std::string, std::vector<std::string>>> original = {
        {"A", {Mark(1)}}, {"B", {Mark(2)}}, {"C", {Mark(3)}}};
    const std::vector<std::pair<std::string, std::vector<std::string>>> moved = {
        {"A", {Mark(4)}}, {"C", {Mark(6)}}, {"B", {Mark(5)}}};
    const struct {
        const char* what;
        std::vector<std::pair<std::string, std::vector<std::string>>> rewritten;  // empty: removed
        int seconds;  // the new time, from the first one
        bool sameSize;
        const char* marks;
        const char* log;
        bool renamed = false;  // written beside it and renamed over it
    } cases[] = {
        {"B behind C, the same size, a second later", moved, 1, true, "1 5 4 9", nullptr},
        {"B behind C and longer, at the same time", {{"A", {Mark(4)}}, {"C", {Mark(6)}}, {"B", {Mark(5), Mark(5)}}}, 0,
         false, "1 5 5 4 9", nullptr},
        {"B gone", {{"A", {Mark(4)}}, {"C", {Mark(6)}}}, 1, false, "1 4 9", "no script named \"B\" in "},
        {"the same bytes again", original, 0, true, "1 2 1 9", nullptr},
        {"B behind C, the same size and time", moved, 0, true, "1 5 4 9", nullptr},
        {"B behind C renamed over it, the same size and time", moved, 0, true, "1 5 4 9", nullptr, true},
        {"the file removed", {}, 0, false, "1 1 9", "cannot open "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Write(original, "u.pbsc");
        const auto size = std::filesystem::file_size(path);
        const auto time = std::filesystem::last_write_time(path);
        ResetScripting();
        m_manager->AddModule(new HookModule([&] {
            if (c.rewritten.empty()) {
                std::filesystem::remove(path);
                return;
            }
            scripttest::Rewrite(path, c.rewritten, c.renamed, time + std::chrono::seconds(c.seconds));
        }));
        m_trace.clear();
        Write({{"main", {"CALL u.pbsc/A", "CALL @@SendMsg \"Hook\" 0", "CALL u.pbsc/B", "CALL u.pbsc/A", Mark(9)}}});
        m_manager->Push("t.pbsc/main");
        testing::internal::CaptureStderr();
        EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kFinished);
        const std::string log = testing::internal::GetCapturedStderr();
        if (!c.rewritten.empty()) {
            EXPECT_EQ(std::filesystem::file_size(path) == size, c.sameSize);
        }
        EXPECT_EQ(Marks(), c.marks);
        if (c.log == nullptr) {
            EXPECT_EQ(log, "");
        } else {
            EXPECT_NE(log.find(std::string(c.log) + path + " (u.pbsc/B)"), std::string::npos) << log;
        }
    }
}

// A body read from a file whose directory was read before opens the file again, and that costs
// what about 500 short statements do (1,500 tokens): a frame of CALLs of 2,500 names of one file,
// each name new (the script read, 900, on top), ends before the 1,300th, where without the opening's
// price it would run them all. The first CALL reads the directory and its body in one opening.
TEST_F(ScriptFiles, EachBodyReadFromAFileOpenedAgainCostsItsOpening)
{
    std::vector<std::pair<std::string, std::vector<std::string>>> scripts;
    std::vector<std::string> main;
    for (int i = 0; i < 2500; ++i) {
        scripts.push_back({"s" + std::to_string(i), {Mark(i)}});
        main.push_back("CALL m.pbsc/s" + std::to_string(i));
    }
    Write(scripts, "m.pbsc");
    Write({{"main", main}});
    m_manager->Push("t.pbsc/main");
    testing::internal::CaptureStderr();
    const platform::FileCallCounts before = platform::FileCalls();
    EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kFinished);
    const long opens = platform::FileCalls().opens - before.opens;
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("all scripts ended"), std::string::npos) << log;
    std::size_t calls = 0;
    for (const std::string& line : m_trace) {
        calls += line.rfind("T:", 0) == 0 ? 1 : 0;
    }
    EXPECT_GT(calls, 1000u);
    EXPECT_LT(calls, 1300u);
    // One opening a CALL, the one whose work ended the frame included.
    EXPECT_EQ(static_cast<std::size_t>(opens), calls + 1);
}

// "body" of d.pbsc: its statement count, then the bytes of its statements; sparse holds zero
// bytes after them without writing them (a hole in the file).
void WriteBody(const std::string& path, std::uint32_t count, const std::vector<std::uint8_t>& statements,
               std::uint64_t sparse = 0, const std::vector<std::uint8_t>& after = {})
{
    qmtest::ByteWriter file;
    file.U32(1).U32(4).Bytes("body").U32(16).U32(count);
    file.Bytes(statements.data(), statements.size());
    file.Save(path);
    if (sparse != 0) {
        std::ofstream out(path, std::ios::binary | std::ios::in | std::ios::out);
        out.seekp(static_cast<std::streamoff>(16 + 4 + statements.size() + sparse));
        out.write(reinterpret_cast<const char*>(after.data()), static_cast<std::streamsize>(after.size()));
        if (after.empty()) {
            out.close();
            std::filesystem::resize_file(path, 16 + 4 + statements.size() + sparse);
        }
    }
}

// One statement as the compiler writes it.
std::vector<std::uint8_t> Statement(const std::string& line)
{
    std::vector<std::uint8_t> whole = qmtest::ScriptFileWriter().Script("s", {line}).Build();
    // One entry named "s": the count, its name and offset, then the body's own count.
    return std::vector<std::uint8_t>(whole.begin() + 4 + 4 + 1 + 4 + 4, whole.end());
}

// A damaged body costs what reading it does, counted as it is read: called while the scripts run,
// its load stops where a frame's work ends and the budget ends the run; loaded between frames it is
// read to its end. Either way the log has a line for the file, not one a statement; a statement
// too long to load is walked over, its texts never read.
TEST_F(ScriptFiles, ADamagedBodyCostsItsReadingAndStopsWithTheFramesWork)
{
    const std::string path = m_dir.File("d.pbsc");
    const std::string where = path + " (d.pbsc/body)";
    const std::vector<std::uint8_t> empties(4 * 1048576, 0);
    // One token of kind 4 whose text is 256 MB of zero bytes, then a mark.
    const std::vector<std::uint8_t> huge = qmtest::ByteWriter().U32(1).U32(4).U32(256u << 20).Data();
    const std::vector<std::uint8_t> seven = Statement(Mark(7));
    const struct {
        const char* what;
        std::function<void()> write;
        bool called;
        const char* marks;
        std::vector<std::string> log;
        long long maxBytes;
    } cases[] = {
        {"1,048,576 empty statements called", [&] { WriteBody(path, 1048576, empties); }, true, "1",
         {"script: loading " + where + " stopped at statement 250000 of 1048576: a frame's work",
          "script: 250000 statement(s) of " + where +
              " skipped, the first statement 0: 250000 no statement, 0 longer than 65536 bytes",
          "all scripts ended"},
         2 << 20},
        {"1,048,576 empty statements pushed", [&] { WriteBody(path, 1048576, empties); }, false, "",
         {"script: 1048576 statement(s) of " + where +
          " skipped, the first statement 0: 1048576 no statement, 0 longer than 65536 bytes"},
         5 << 20},
        {"a text of 256 MB, then a mark", [&] { WriteBody(path, 2, huge, 256u << 20, seven); }, true, "1 7 2",
         {"script: 1 statement(s) of " + where + " skipped, the first statement 0: 0 no statement, 1 longer than 65536 bytes"},
         1 << 16},
        // 4 bytes of lengths a token walked; a frame's work is 3,000,000 of them.
        {"16,777,216 empty tokens called", [&] { WriteBody(path, 1, qmtest::ByteWriter().U32(1u << 24).Data(), 128u << 20); },
         true, "1",
         {"script: loading " + where + " stopped in statement 0 of 1: a frame's work", "all scripts ended"},
         13 << 20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.write();
        ResetScripting();
        m_trace.clear();
        Write({{"main", {Mark(1), "CALL d.pbsc/body", Mark(2)}}});
        testing::internal::CaptureStderr();
        const platform::FileCallCounts before = platform::FileCalls();
        m_manager->Push(c.called ? "t.pbsc/main" : "d.pbsc/body");
        EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kFinished);
        const platform::FileCallCounts after = platform::FileCalls();
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(Marks(), c.marks);
        EXPECT_EQ(Lines(log), c.log.size()) << log;
        for (const std::string& line : c.log) {
            EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
        }
        EXPECT_LE(after.bytes - before.bytes, c.maxBytes);
    }
    std::filesystem::remove(path);
}

}  // namespace

namespace {

// A script "name" of one statement of `tokens` text tokens, each empty, in a file of such scripts.
std::vector<std::uint8_t> EmptyTokenScripts(const std::vector<std::pair<std::string, std::uint32_t>>& scripts)
{
    qmtest::ByteWriter directory;
    directory.U32(static_cast<std::uint32_t>(scripts.size()));
    std::uint32_t size = 4;
    for (const auto& script : scripts) {
        size += 4 + static_cast<std::uint32_t>(script.first.size()) + 4;
    }
    qmtest::ByteWriter bodies;
    for (const auto& script : scripts) {
        directory.U32(static_cast<std::uint32_t>(script.first.size())).Bytes(script.first);
        directory.U32(size + static_cast<std::uint32_t>(bodies.Data().size()));
        bodies.U32(1).U32(script.second);
        for (std::uint32_t t = 0; t < script.second; ++t) {
            bodies.U32(4);
        }
        for (std::uint32_t t = 0; t < script.second; ++t) {
            bodies.U32(0);
        }
    }
    std::vector<std::uint8_t> bytes = directory.Data();
    bytes.insert(bytes.end(), bodies.Data().begin(), bodies.Data().end());
    return bytes;
}

// A statement too long to load (over 64 KiB) loaded to its end is walked token by token and paid
// for once: a token for each token walked, one for every 16 bytes of its count and lengths read
// (its kinds and texts skipped unread), and the record looked at (12). Three such statements of
// one file, their scripts' names of one length, differ by what their walks differ by.
TEST_F(ScriptFiles, AStatementTooLongToLoadIsPaidForByItsWalkOnce)
{
    qmtest::SaveBytes(m_dir.File("x.pbsc"), EmptyTokenScripts({{"a09000", 9000}, {"a11250", 11250}, {"a16384", 16384}}));
    const struct {
        const char* name;
        std::uint64_t record;  // 9,000 + 36,004 / 16 + 12: 11,262
        std::uint64_t overFirst;
    } cases[] = {
        {"a09000", 11262, 0},
        {"a11250", 14074, 14074 - 11262},
        {"a16384", 20492, 20492 - 11262},
    };
    std::uint64_t first = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testing::internal::CaptureStderr();
        const std::uint64_t before = ScriptWork::Tokens();
        const TScript script(std::string("x.pbsc/") + c.name);
        const std::uint64_t paid = ScriptWork::Tokens() - before;
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_NE(log.find("0 no statement, 1 longer than 65536 bytes"), std::string::npos) << log;
        if (first == 0) {
            first = paid;
        }
        EXPECT_EQ(paid - first, c.overFirst);
    }
}

// A called file's directory is read no further than a frame's work reaches: a name before that
// point is found, one after it is logged as out of reach, and either way the budget then ends the
// run (the directory's reading was the CALL's work). 300,000 entries of 12 tokens each and more.
TEST_F(ScriptFiles, ACalledDirectoryIsReadNoFurtherThanAFramesWork)
{
    qmtest::ByteWriter file;
    file.U32(300000);
    const std::uint32_t body = 4 + 300000 * (4 + 7 + 4);
    for (int i = 0; i < 300000; ++i) {
        char name[16];
        std::snprintf(name, sizeof(name), "n%06d", i);
        file.U32(7).Bytes(std::string_view(name, 7)).U32(body);
    }
    const std::vector<std::uint8_t> five = qmtest::ScriptFileWriter().Script("s", {Mark(5)}).Build();
    // Its one body: the bytes after the directory of one entry named "s".
    file.Bytes(five.data() + 4 + 4 + 1 + 4, five.size() - (4 + 4 + 1 + 4));
    file.Save(m_dir.File("big.pbsc"));
    const std::string where = m_dir.File("big.pbsc");
    const struct {
        const char* what;
        const char* name;
        const char* marks;
        const char* log;
    } cases[] = {
        {"the first name", "n000000", "1", nullptr},
        {"the last name", "n299999", "1", "directory of "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ResetScripting();
        m_trace.clear();
        Write({{"main", {Mark(1), std::string("CALL big.pbsc/") + c.name, Mark(2)}}});
        m_manager->Push("t.pbsc/main");
        testing::internal::CaptureStderr();
        EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kFinished);
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(Marks(), c.marks);
        EXPECT_NE(log.find("all scripts ended"), std::string::npos) << log;
        EXPECT_EQ(log.find("takes more than a frame's work") != std::string::npos, c.log != nullptr) << log;
        if (c.log != nullptr) {
            EXPECT_NE(log.find(std::string(c.log) + where + " (big.pbsc/" + c.name + ") takes more than a frame's work to read"),
                      std::string::npos)
                << log;
        }
    }
}

}  // namespace

namespace {

// A called file cut short while its body is being read (a tool rewriting it in place as the game
// reads it): the statement the cut falls in is told cut short, naming the file and the key, the
// script is left empty and the caller goes on; once the file is whole again, the next frame runs it.
TEST_F(ScriptFiles, AFileCutShortWhileItsBodyIsReadLeavesTheScriptEmpty)
{
    const std::string path = m_dir.File("u.pbsc");
    Write({{"A", {Mark(3)}}, {"B", std::vector<std::string>(5000, "g.b = g.b + 1")}}, "u.pbsc");
    const auto whole = std::filesystem::file_size(path);
    Write({{"main", {Mark(1), "CALL u.pbsc/B", Mark(2)}}});
    const struct {
        const char* what;
        bool cut;
        const char* marks;
        std::int32_t b;
    } frames[] = {
        {"cut as the body is read", true, "1 2", 0},
        {"whole again", false, "1 2", 5000},
    };
    for (const auto& f : frames) {
        SCOPED_TRACE(f.what);
        if (!f.cut) {
            Write({{"A", {Mark(3)}}, {"B", std::vector<std::string>(5000, "g.b = g.b + 1")}}, "u.pbsc");
        }
        m_trace.clear();
        m_manager->GetGlobalA().SetInt("b", 0);
        m_manager->Push("t.pbsc/main");
        int reads = 0;
        if (f.cut) {
            // The first read brings the directory; the body's come after it.
            platform::BeforeEachFileRead([&] {
                if (++reads == 2) {
                    std::filesystem::resize_file(path, whole / 2);
                }
            });
        }
        testing::internal::CaptureStderr();
        EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kFinished);
        platform::BeforeEachFileRead(nullptr);
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(Marks(), f.marks);
        EXPECT_EQ(Global("b"), f.b);
        EXPECT_EQ(log.find(" cut short in " + path + " (u.pbsc/B)") != std::string::npos, f.cut) << log;
        if (f.cut) {
            EXPECT_GE(reads, 2);
        }
    }
}

}  // namespace
