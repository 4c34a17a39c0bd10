// A script's cost is bounded by its statements and what they hold: a frame's work counts tokens,
// a CALL shares what is already loaded, recursion shares one load, and labels are found through
// an index.
#include <cstdlib>
#include <filesystem>

#include "script_fixture.h"
#include "formats/byte_writer.h"
#include "platform/testing/win32.h"
#include "support/alloc_probe.h"
#include "support/compare_probe.h"
#include "support/script_probe.h"

namespace {

using scripttest::Mark;
using scripttest::ScriptTest;

std::vector<std::string> Filler(std::size_t count)
{
    return std::vector<std::string>(count, "g.x = g.x + 1");
}

class ScriptLimits : public ScriptTest {};

TEST_F(ScriptLimits, TasksOfOneScriptKeepTheirOwnPositionAndLocals)
{
    // Five nested calls of one script, each task remembering its own depth and returning into
    // the middle of its own WHILE.
    Write({{"main", {"CALL t.pbsc/deep", Mark(9)}},
           {"deep", {"g.n = g.n + 1", "mine = g.n", "IF mine < 5", "CALL t.pbsc/deep", "END", "loops = 2",
                     "WHILE loops > 0", "loops = loops - 1", "CALL @@SendMsg \"T\" mine", "END"}}});
    m_manager->Push("t.pbsc/main");
    EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kFinished);
    EXPECT_EQ(Marks(), "5 5 4 4 3 3 2 2 1 1 9");

    // A new run reads the file again.
    Write({{"main", {"CALL t.pbsc/deep"}}, {"deep", {Mark(7)}}});
    m_manager->Push("t.pbsc/main");
    m_trace.clear();
    EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kFinished);
    EXPECT_EQ(Marks(), "7");
}

TEST_F(ScriptLimits, AScriptThatCannotLoadIsLoggedOncePerRun)
{
    Write({{"main", {"n = 3", "WHILE n > 0", "CALL t.pbsc/absent", "CALL missing.pbsc/x", "n = n - 1", "END", Mark(1)}}});
    testing::internal::CaptureStderr();
    m_manager->Push("t.pbsc/main");
    EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kFinished);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Marks(), "1");
    const std::size_t absent = log.find("\"absent\"");
    ASSERT_NE(absent, std::string::npos) << log;
    EXPECT_EQ(log.find("\"absent\"", absent + 1), std::string::npos) << log;
    const std::size_t missing = log.find("(missing.pbsc/x)");
    ASSERT_NE(missing, std::string::npos) << log;
    EXPECT_EQ(log.find("(missing.pbsc/x)", missing + 1), std::string::npos) << log;
}

// About 5 KB: a loop calling a one-line script until the frame's statement budget runs out. The
// called script is read once, not at each of its 250,000 calls.
TEST_F(ScriptLimits, ACallInALoopReadsItsFileOnce)
{
    ReadFromGameFolder();
    Write({{"main", {"WHILE 1", "CALL t.pbsc/sub", "END"}}, {"sub", Filler(1)}, {"rest", Filler(150)}});
    m_manager->Push("t.pbsc/main");
    testing::internal::CaptureStderr();
    const platform::FileCallCounts before = platform::FileCalls();
    EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kFinished);
    const platform::FileCallCounts after = platform::FileCalls();
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("ran 999156 statements in one frame"), std::string::npos) << log;
    // 1,000,000 statements: WHILE, CALL, the called line and END, 250,000 times, less the work of
    // opening the file again (the push read its directory) for the called body at the first CALL,
    // the names of its path asked of the system (data/scr04/t.pbsc, twice), reading that body and
    // making g.x.
    EXPECT_EQ(Global("x"), 249789);
    EXPECT_EQ(after.opens - before.opens, 1);
}

// Takes what it is sent and asks for no memory: how often it was called, what it was sent in all,
// and how many arguments came with its last call.
class TallyModule : public TScriptModule {
public:
    TallyModule() : TScriptModule("Tally") {}
    std::uint32_t Call(std::uint32_t command, const std::deque<std::string>& args,
                       const std::deque<std::uint32_t>&) override
    {
        ++calls;
        total += command;
        for (const std::string& a : args) {
            total += std::atoi(a.c_str());
        }
        lastCount = args.size();
        lastFirst = args.empty() ? 0 : std::atoi(args[0].c_str());
        return kDone;
    }
    void Update() override {}
    void Draw() override {}

    long calls = 0;
    long total = 0;
    std::size_t lastCount = 0;
    long lastFirst = 0;
};

// A module sent the same message in a loop until the frame's work runs out: each call hands on
// its own arguments, none left from the call before, and asks for no memory (the argument
// queues of each call took four blocks). A command sent as an empty text is command 0; a module
// name and a command alone are sent; a message without a command is not.
TEST_F(ScriptLimits, AModuleSentMessagesInALoopGetsItsOwnArgumentsAndNothingIsAllocated)
{
    auto* tally = new TallyModule;
    m_manager->AddModule(tally);
    Write({{"main", {"CALL @@SendMsg \"Tally\" \"\" \"40\"", "CALL @@SendMsg \"Tally\" 500",
                     "CALL @@SendMsg \"Tally\"", "WHILE 1",
                     "g.i = g.i + 1", "CALL @@SendMsg \"Tally\" 7 g.i 3", "END"}}});
    m_manager->Push("t.pbsc/main");
    testing::internal::CaptureStderr();
    long allocations = -1;
    {
        qmtest::AllocationProbe probe;
        m_manager->Step();
        allocations = probe.OwnThreadAllocations();
    }
    testing::internal::GetCapturedStderr();
    // The frame's work may end between the count and its message.
    const long n = tally->lastFirst;
    ASSERT_GT(n, 10000);
    EXPECT_GE(n, Global("i") - 1);
    EXPECT_EQ(tally->calls, 2 + n);
    EXPECT_EQ(tally->total, 540 + 10 * n + n * (n + 1) / 2);
    EXPECT_EQ(tally->lastCount, 2u);
    if (qmtest::AllocationProbe::Available()) {
        EXPECT_LT(allocations, 100) << allocations << " for " << n << " calls";
    }
}

// The same loop as a cost: its calls allocate nothing (the ended task is taken up by the next
// CALL), read nothing, and find the called script with a few text comparisons each, where a read
// and parse per CALL took 51 s.
TEST_F(ScriptLimits, ACallInALoopAllocatesNothingPerCall)
{
    ReadFromGameFolder();
    Write({{"main", {"WHILE 1", "CALL t.pbsc/sub", "END"}}, {"sub", Filler(1)}, {"rest", Filler(150)}});
    m_manager->Push("t.pbsc/main");
    testing::internal::CaptureStderr();
    long allocations = -1;
    long comparisons = -1;
    const platform::FileCallCounts before = platform::FileCalls();
    {
        qmtest::AllocationProbe probe;
        qmtest::ComparisonProbe compared;
        EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kFinished);
        allocations = probe.OwnThreadAllocations();
        comparisons = compared.Comparisons();
    }
    const platform::FileCallCounts after = platform::FileCalls();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(Global("x"), 249789);
    EXPECT_EQ(after.opens - before.opens, 1);
    EXPECT_LE(after.reads - before.reads, 4);
    if (qmtest::AllocationProbe::Available()) {
        // The two loads and the log line; 2,250,000 when every CALL made a task and its queues.
        EXPECT_LT(allocations, 2000) << allocations;
    }
    if (qmtest::ComparisonProbe::Available()) {
        // 1,750,041 when written; 2,248,105 since the file part and then the name are looked up.
        EXPECT_LE(comparisons, 10L * 250000) << comparisons;
    }
}

// "g.x = g.x + 1" and `zeros` more "+ 0": 3 + 2 * zeros tokens to evaluate.
std::string Sum(int zeros)
{
    std::string line = "g.x = g.x + 1";
    for (int i = 0; i < zeros; ++i) {
        line += " + 0";
    }
    return line;
}

// "g.x = ~ ~ ... g.x + 1": an even number of unary operators over the sum.
std::string Complemented(int operators)
{
    std::string line = "g.x =";
    for (int i = 0; i < operators; ++i) {
        line += " ~";
    }
    return line + " g.x + 1";
}

// WHILE 1 around one statement: a frame ends after a million units of work, a statement being a
// unit for every three tokens it works through, one at least, so a loop of 64 KiB statements stops
// as soon in work as one of short ones. A call's argument is a token and one more for every 16
// bytes of its text, where the call reads it; a called script's argument four more, made its
// local, and the local's entry twelve (an allocation) and four for each level its table has past
// the eighth (256 names, 512, ...); a value written out as text for a module ten, and the command
// itself 48; each link of a branch chain skipped, or of CASE lines passed or walked, is twelve (a
// cache miss); an operator nested deeper than 64 is two; a name a token for every 16 bytes, once a
// look-up. The first CALL of t.pbsc opens the file again (1,500: the push read its directory; and 8
// for each of the six names of its path asked of the system, data/scr04/t.pbsc twice) and reads the
// body of "sub" (900, and the body's bytes and tokens): some 800 statements' work. Short rows
// first: a budget of statements alone fails the second row at once rather than running the last
// for minutes.
TEST_F(ScriptLimits, AFrameEndsAfterAMillionUnitsOfWorkWhateverItsStatementsHold)
{
    ReadFromGameFolder();
    // IF 1 runs its branch; the first ELIF after it skips the rest of the chain to END.
    std::vector<std::string> skipped = {"IF 1", Sum(0)};
    skipped.insert(skipped.end(), 3001, "ELIF 0");
    skipped.push_back("END");
    // CASE 1 matches; the 3,000 CASE lines after it share its body and are walked over to reach it.
    std::vector<std::string> shared = {"SWITCH 1", "CASE 1"};
    shared.insert(shared.end(), 3000, "CASE 2");
    shared.insert(shared.end(), {Sum(0), "END"});
    // SWITCH 2 passes 3,000 CASE lines of another value before the one that matches.
    std::vector<std::string> passed = {"SWITCH 2"};
    passed.insert(passed.end(), 3000, "CASE 1");
    passed.insert(passed.end(), {"CASE 2", Sum(0), "END"});
    std::string arguments;
    std::string variables;
    for (int i = 0; i < 300; ++i) {
        arguments += " " + std::to_string(i % 10);
        variables += " g.x";
    }
    std::vector<std::string> distinct = {Sum(0)};
    for (int i = 0; i < 1000; ++i) {
        distinct.push_back("g.v" + std::to_string(i) + " = 1");
    }
    const struct {
        const char* what;
        std::vector<std::string> statements;
        std::int32_t passes;
        const char* log;
    } cases[] = {
        {"3 tokens", {Sum(0)}, 333333, "ran 1000000 statements in one frame, working through 1333333 tokens;"},
        {"5 tokens", {Sum(1)}, 250000, "ran 750000 statements in one frame, working through 1500000 tokens;"},
        {"7 tokens", {Sum(2)}, 200000, "ran 600000 statements in one frame, working through 1600000 tokens;"},
        {"a call of 4 arguments", {"CALL t.pbsc/sub 1 2 3 4"}, 38429,
         "ran 153718 statements in one frame, working through 2769480 tokens;"},
        // 15 bytes are one token, 16 two; 60,000 bytes 3,751.
        {"a call of a 15-byte text", {"CALL t.pbsc/sub \"" + std::string(15, 'a') + "\""}, 111017,
         "ran 444070 statements in one frame, working through 2333898 tokens;"},
        {"a call of a 16-byte text", {"CALL t.pbsc/sub \"" + std::string(16, 'b') + "\""}, 111017,
         "ran 444070 statements in one frame, working through 2444916 tokens;"},
        {"a system call of a 60,000-byte text it does not read", {"CALL @@Random \"" + std::string(60000, 'c') + "\""},
         0, "ran 999997 statements in one frame, working through 333345 tokens;"},
        {"3,000 ELIF links skipped", skipped, 84, "ran 502 statements in one frame, working through 3024420 tokens;"},
        {"3,000 CASE links walked", shared, 83, "ran 417 statements in one frame, working through 3026517 tokens;"},
        {"3,000 CASE lines passed", passed, 76,
         "ran 382 statements in one frame, working through 3005307 tokens;"},
        {"300 unary operators", {Complemented(300)}, 5495,
         "ran 16484 statements in one frame, working through 2972795 tokens;"},
        {"301 tokens", {Sum(149)}, 7634, "ran 22901 statements in one frame, working through 2961992 tokens;"},
        {"7,001 tokens", {Sum(3499)}, 288, "ran 863 statements in one frame, working through 3006144 tokens;"},
        // The 256th local made goes into a table of a ninth level.
        {"a call of 300 arguments", {"CALL t.pbsc/sub" + arguments}, 567,
         "ran 2270 statements in one frame, working through 3001560 tokens;"},
        {"a module command of 300 variables", {Sum(0), "CALL @@SendMsg \"None\" 0" + variables}, 893,
         "ran 3571 statements in one frame, working through 2995122 tokens;"},
        // A table of 1,001 names has two levels past the eighth.
        {"1,000 variables of distinct names", distinct, 332,
         "ran 332257 statements in one frame, working through 2996918 tokens;"},
        // A variable's name costs its bytes once a look-up, and once more copied in when it is new.
        {"a name of 15 bytes", {Sum(0), "g." + std::string(15, 'd') + " = 1"}, 249999,
         "ran 999996 statements in one frame, working through 1250007 tokens;"},
        {"a name of 16 bytes", {Sum(0), "g." + std::string(16, 'e') + " = 1"}, 249999,
         "ran 999996 statements in one frame, working through 1500007 tokens;"},
        {"two names of 60,000 bytes that differ in the last",
         {Sum(0), "g." + std::string(59999, 'f') + "a = 1", "g." + std::string(59999, 'f') + "b = g.x"}, 399,
         "ran 1993 statements in one frame, working through 2998667 tokens;"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> main = {"WHILE 1"};
        main.insert(main.end(), c.statements.begin(), c.statements.end());
        main.push_back("END");
        Write({{"main", main}, {"sub", {Sum(0)}}});
        ResetScripting();
        m_manager->GetGlobalA().SetInt("x", 0);
        m_manager->Push("t.pbsc/main");
        testing::internal::CaptureStderr();
        ASSERT_EQ(m_manager->Step(), TScriptProcessManager::kFinished);
        const std::string log = testing::internal::GetCapturedStderr();
        ASSERT_EQ(Global("x"), c.passes);
        ASSERT_NE(log.find(c.log), std::string::npos) << log;
    }
    // The last statement is as long as a statement may be, nearly.
    EXPECT_GT(std::filesystem::file_size(ScriptFile("t.pbsc")), 60000u);
}

// A CALL looks its key up among the scripts its manager has loaded: a token for every 16 bytes of
// the key, and four for each level the table has past the eighth (256 keys, 512, ...). The table
// holds "main", the scripts called before the loop, one statement each, and the one the loop calls;
// a script loaded costs 900 and the entry 12, and each 1,548 more, the file opened again for its
// body (the push of "main" read the file's directory) and the six names of its path asked of the
// system (data/scr04/t.pbsc twice), 8 each. A pass of the loop: WHILE, the
// CALL, the called sum and END, four units while the CALL costs no more than three tokens, five
// from the ninth level, six from the tenth.
TEST_F(ScriptLimits, ACallPaysForItsKeyAndTheDepthOfTheLoadedScripts)
{
    ReadFromGameFolder();
    const struct {
        const char* what;
        int before;
        std::string name;
        std::int32_t passes;
        const char* log;
    } cases[] = {
        {"a key of 15 bytes", 0, std::string(8, 'a'), 249789,
         "ran 999156 statements in one frame, working through 1001691 tokens;"},
        {"a key of 16 bytes", 0, std::string(9, 'b'), 249789,
         "ran 999155 statements in one frame, working through 1251480 tokens;"},
        {"a key of 1,000 bytes", 0, std::string(993, 'c'), 41631,
         "ran 166526 statements in one frame, working through 2750244 tokens;"},
        {"255 scripts loaded", 253, "sub", 197037, "ran 788656 statements in one frame, working through 1422690 tokens;"},
        {"256 scripts loaded", 254, "sub", 157463, "ran 630362 statements in one frame, working through 1896744 tokens;"},
        {"511 scripts loaded", 509, "sub", 114878, "ran 460531 statements in one frame, working through 2194070 tokens;"},
        {"512 scripts loaded", 510, "sub", 95593, "ran 383391 statements in one frame, working through 2424659 tokens;"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::pair<std::string, std::vector<std::string>>> scripts = {{"main", {}}, {c.name, {Sum(0)}}};
        for (int i = 0; i < c.before; ++i) {
            const std::string name = "f" + std::to_string(i);
            scripts[0].second.push_back("CALL t.pbsc/" + name);
            scripts.push_back({name, {"g.y = 1"}});
        }
        scripts[0].second.insert(scripts[0].second.end(), {"WHILE 1", "CALL t.pbsc/" + c.name, "END"});
        Write(scripts);
        ResetScripting();
        m_manager->Push("t.pbsc/main");
        testing::internal::CaptureStderr();
        ASSERT_EQ(m_manager->Step(), TScriptProcessManager::kFinished);
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(Global("x"), c.passes);
        EXPECT_NE(log.find(c.log), std::string::npos) << log;
    }
}

// What a CALL of a key never called before costs, its file opened or not: the script read (900), or
// found missing and logged (300 and a token for every 16 bytes of the line), the entry (12), and
// the first CALL into each file, there or not, the opening (200) and its file part's entry (12); a
// later body of a file, the file opened again (1,500), the first body called from the pushed file
// included (the push read its directory). Each opening pays 8 for each name of each path the system
// is asked about, the scripts being read from data/scr04/: six for a file there (is it there as
// written, the opening), ten for one missing (and its folder, before the opening and after it).
// Missing files are asked for in a folder whose listing the system keeps, as a folder left alone
// has. The rows call one new key after the other until the frame's budget ends them; a folder is
// read for the files that are not there, so their first frame holds and the next ends them at once,
// its key telling where the first ran out. A number handed on is read a digit at a time: a token
// for every eight characters, on top of its bytes (a token for every 16).
TEST_F(ScriptLimits, ACallOfANewKeyPaysForTheFileAndTheScriptItReads)
{
    ReadFromGameFolder();
    const auto keys = [](const char* format, int count) {
        std::vector<std::string> calls;
        for (int i = 0; i < count; ++i) {
            char line[64];
            std::snprintf(line, sizeof(line), format, i);
            calls.push_back(line);
        }
        return calls;
    };
    std::vector<std::pair<std::string, std::vector<std::string>>> named;
    for (int i = 0; i < 4000; ++i) {
        named.push_back({"s" + std::to_string(i), {Sum(0)}});
    }
    const struct {
        const char* what;
        std::vector<std::string> main;
        const char* log;
        int frames = 1;
    } cases[] = {
        {"files that are not there", keys("CALL m%04d.pbsc/s", 4000), "\"m1974.pbsc/s\" ran 2 statements in one frame, working through 1519 tokens;", 2},
        {"names one file has", keys("CALL t.pbsc/s%d", 4000), "ran 2369 statements in one frame, working through 3000383 tokens;"},
        // Each logged with its file's path, data/scr04/t.pbsc.
        {"names one file has not", keys("CALL t.pbsc/n%d", 4000), "ran 4885 statements in one frame, working through 2991989 tokens;"},
        {"a number of 60,000 digits, and one of 7 and one of 8, handed to a called script",
         {"WHILE 1", "CALL t.pbsc/s0 " + std::string(60000, '7') + " 1234567 12345678", "END"},
         "ran 1058 statements in one frame, working through 2998622 tokens;"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::pair<std::string, std::vector<std::string>>> scripts = named;
        scripts.insert(scripts.begin(), {"main", c.main});
        Write(scripts);
        ResetScripting();
        m_manager->Push("t.pbsc/main");
        testing::internal::CaptureStderr();
        // A frame a folder read for a CALL helped fill holds the scripts; their own work ends them.
        for (int frame = 1; frame < c.frames; ++frame) {
            EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kHeld) << frame;
        }
        EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kFinished);
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_NE(log.find(c.log), std::string::npos) << log.substr(log.size() > 300 ? log.size() - 300 : 0);
    }
}

// A CALL of a name its file does not have is logged once and reads nothing more: the manager keeps
// the files its scripts were read from (the pushed one too) with their directories, where any other
// name is found, or found missing.
TEST_F(ScriptLimits, AMissingNameIsLookedForOnceInItsFile)
{
    std::vector<std::string> fifty;
    for (int i = 0; i < 50; ++i) {
        fifty.push_back("CALL t.pbsc/miss" + std::to_string(i));
    }
    fifty.push_back(Mark(1));
    const struct {
        const char* what;
        std::vector<std::string> main;
        long opens;
        std::size_t logged;
        const char* marks;
    } cases[] = {
        {"50 names the file does not have", fifty, 0, 50, "1"},
        {"one missing name 50 times", {"WHILE g.n < 50", "g.n = g.n + 1", "CALL t.pbsc/gone", "END", Mark(2)}, 0, 1,
         "2"},
        // A body read after the directory's own read opens its file again.
        {"missing names of two files", {"CALL t.pbsc/a", "CALL u.pbsc/b", "CALL t.pbsc/c", "CALL u.pbsc/sub"}, 2, 3,
         "3"},
        {"a name found after a miss", {"CALL t.pbsc/x", "CALL t.pbsc/sub", "CALL t.pbsc/x"}, 1, 1, "4"},
    };
    Write({{"sub", {Mark(3)}}}, "u.pbsc");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ResetScripting();
        Write({{"main", c.main}, {"sub", {Mark(4)}}, {"rest", Filler(150)}});
        m_trace.clear();
        m_manager->Push("t.pbsc/main");
        testing::internal::CaptureStderr();
        const platform::FileCallCounts before = platform::FileCalls();
        EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kFinished);
        const platform::FileCallCounts after = platform::FileCalls();
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(after.opens - before.opens, c.opens);
        std::size_t logged = 0;
        for (std::size_t at = log.find("no script named"); at != std::string::npos;
             at = log.find("no script named", at + 1)) {
            ++logged;
        }
        EXPECT_EQ(logged, c.logged) << log;
        EXPECT_EQ(Marks(), c.marks);
    }
}

// A called script is read once by its manager, over runs too: in each later frame its file is
// opened to be looked at, and nothing of it is read. A push reads its own file again.
TEST_F(ScriptLimits, AManagerReadsACalledScriptOnceOverItsRuns)
{
    // The called file's name starts with the pushed one's.
    Write({{"main", {"CALL t.pbsc2/sub :dropped 5 \"txt\" 0x10", "CALL t.pbsc2/sub 6"}}});
    Write({{"sub", {"CALL @@SendMsg \"T\" $0 $1 $2 $3"}}}, "t.pbsc2");
    const auto pushed = static_cast<long long>(std::filesystem::file_size(m_dir.File("t.pbsc")));
    const auto called = static_cast<long long>(std::filesystem::file_size(m_dir.File("t.pbsc2")));
    struct {
        const char* marks;
        long opens;
        long long bytes;
    } runs[] = {{"5:0,16,0 6:0,0,0", 2, pushed + called}, {"5:0,16,0 6:0,0,0", 2, pushed},
                {"5:0,16,0 6:0,0,0", 2, pushed}};
    for (const auto& run : runs) {
        m_trace.clear();
        const platform::FileCallCounts before = platform::FileCalls();
        m_manager->Push("t.pbsc/main");
        EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kFinished);
        EXPECT_EQ(platform::FileCalls().opens - before.opens, run.opens);
        EXPECT_EQ(platform::FileCalls().bytes - before.bytes, run.bytes);
        std::string marks;
        for (const std::string& line : m_trace) {
            marks += (marks.empty() ? "" : " ") + line.substr(2);
        }
        EXPECT_EQ(marks, run.marks);
    }
    // The pushed file's own scripts are read again with it.
    Write({{"main", {"CALL t.pbsc/sub"}}, {"sub", {Mark(8)}}});
    m_manager->Push("t.pbsc/main");
    EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kFinished);
    Write({{"main", {"CALL t.pbsc/sub"}}, {"sub", {Mark(9)}}});
    m_trace.clear();
    m_manager->Push("t.pbsc/main");
    EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kFinished);
    EXPECT_EQ(Marks(), "9");
}

TEST_F(ScriptLimits, ADeepRecursionSharesOneLoadOfAWholeFile)
{
    if (!qmtest::AllocationProbe::Available()) {
        GTEST_SKIP() << "the allocation probe could not hook the allocator";
    }
    // About 1.7 MB: the self call, then a wait that holds all 256 tasks, then filler.
    std::vector<std::string> lines = Filler(52000);
    lines.insert(lines.begin(), {"CALL t.pbsc/self", "CALL @@Wait"});
    Write({{"self", lines}});
    EXPECT_GT(std::filesystem::file_size(m_dir.File("t.pbsc")), 1700000u);

    const std::size_t before = qmtest::AllocationProbe::LiveBytes();
    std::size_t parse = 0;
    {
        TScript one("t.pbsc/self");
        parse = qmtest::AllocationProbe::LiveBytes() - before;
    }
    testing::internal::CaptureStderr();
    const std::size_t start = qmtest::AllocationProbe::LiveBytes();
    m_manager->Push("t.pbsc/self");
    EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kHeld);
    const std::size_t held = qmtest::AllocationProbe::LiveBytes() - start;
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(TScriptProbe::TaskCount(*m_manager), TScriptProcessManager::kMaxTasks);
    EXPECT_NE(log.find("too many scripts waiting; \"t.pbsc/self\" not started"), std::string::npos) << log;
    EXPECT_GT(parse, 1000000u);
    EXPECT_LT(held, parse + 64u * 1024 * 1024) << "one parse is " << parse;
}

// Each label statement looks its name up among those before it: through the index, a few text
// comparisons each, where a scan made 100,000 × 100,000 / 2 of them.
TEST_F(ScriptLimits, AHundredThousandLabelsLoadWithoutAScan)
{
    // Once through the labels, back to the top, and out.
    std::vector<std::string> lines = {":top", "g.x = g.x + 1", "IF g.x > 1", "GOTO :out", "END"};
    for (int i = 0; i < 100000; ++i) {
        lines.push_back(":l" + std::to_string(i));
    }
    lines.insert(lines.end(), {"GOTO :top", ":out", Mark(1)});
    Write({{"main", lines}});
    long comparisons = -1;
    {
        qmtest::ComparisonProbe compared;
        TScript script("t.pbsc/main");
        comparisons = compared.Comparisons();
        EXPECT_EQ(TScriptProbe::StatementCount(script), 100009u);  // and the RETURN after the final CALL
        EXPECT_EQ(TScriptProbe::Labels(script).size(), 100002u);
    }
    if (qmtest::ComparisonProbe::Available()) {
        EXPECT_LE(comparisons, 16L * 100009);  // 319 when written
    }
    m_manager->Push("t.pbsc/main");
    EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kFinished);
    EXPECT_EQ(Marks(), "1");
}

}  // namespace

namespace {

// A CALL reads the directory of its file and the body of the script it calls, seeking to it: a
// two-statement script behind 4 MB of other scripts costs two blocks of reading, not the file.
TEST_F(ScriptLimits, ACallIntoALargeFileReadsItsDirectoryAndTheCalledBodyAlone)
{
    const std::vector<std::string> pad(24, "CALL @@Random \"" + std::string(60000, 'p') + "\"");
    qmtest::ScriptFileWriter writer;
    for (int i = 0; i < 3; ++i) {
        writer.Script("pad" + std::to_string(i), pad);
    }
    writer.Script("callee", {Mark(2), Mark(3)});
    writer.Script("tail", pad);
    writer.Save(m_dir.File("big.pbsc"));
    const auto size = static_cast<long long>(std::filesystem::file_size(m_dir.File("big.pbsc")));
    ASSERT_GT(size, 5000000);
    Write({{"main", {Mark(1), "CALL big.pbsc/callee", Mark(4)}}});
    m_manager->Push("t.pbsc/main");
    const platform::FileCallCounts before = platform::FileCalls();
    EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kFinished);
    const platform::FileCallCounts after = platform::FileCalls();
    EXPECT_EQ(Marks(), "1 2 3 4");
    EXPECT_EQ(after.opens - before.opens, 1);
    // The block the directory is in, and the block the body starts: 64 KiB each at most.
    EXPECT_LE(after.bytes - before.bytes, 2 * 65536) << "of " << size;
    EXPECT_LE(after.reads - before.reads, 2);
}

// A damaged file a CALL reads is logged naming the file and the key, and the caller goes on.
TEST_F(ScriptLimits, ADamagedCalledFileIsLoggedAndTheCallerGoesOn)
{
    // One script "callee" of one statement: its directory entry is the count, the name's length,
    // the name, then the body's offset at byte 14; the body (the statement count first) at 18.
    const std::vector<std::uint8_t> valid = qmtest::ScriptFileWriter().Script("callee", {Mark(2)}).Build();
    ASSERT_EQ(valid[14], 18);
    const auto size = static_cast<std::uint32_t>(valid.size());
    const auto patched = [&](std::size_t at, std::uint32_t value) {
        std::vector<std::uint8_t> bytes = valid;
        for (int i = 0; i < 4; ++i) {
            bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
        }
        return bytes;
    };
    const struct {
        const char* what;
        std::vector<std::uint8_t> bytes;
        const char* log;
    } cases[] = {
        {"the whole file", valid, nullptr},
        {"more entries than bytes", patched(0, 0xFFFFFFFF), "broken directory in "},
        {"a name longer than the file", patched(4, 0x7FFFFFFF), "broken directory in "},
        {"the body at the file's end", patched(14, size), "broken statement count in "},
        {"the body one byte past the end", patched(14, size + 1), "script body beyond the end of "},
        {"the body past 2 GiB", patched(14, 0x80000000), "script body beyond the end of "},
        {"more statements than bytes", patched(18, 0x40000000), "broken statement count in "},
        {"the body cut short", std::vector<std::uint8_t>(valid.begin(), valid.end() - 1), "statement 0 cut short in "},
    };
    Write({{"main", {Mark(1), "CALL u.pbsc/callee", Mark(3)}}});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ResetScripting();
        qmtest::SaveBytes(m_dir.File("u.pbsc"), c.bytes);
        m_trace.clear();
        testing::internal::CaptureStderr();
        m_manager->Push("t.pbsc/main");
        EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kFinished);
        const std::string log = testing::internal::GetCapturedStderr();
        if (c.log == nullptr) {
            EXPECT_EQ(Marks(), "1 2 3");
            EXPECT_EQ(log, "");
            continue;
        }
        EXPECT_EQ(Marks(), "1 3");
        EXPECT_NE(log.find(std::string(c.log) + m_dir.File("u.pbsc") + " (u.pbsc/callee)"), std::string::npos) << log;
    }
}

// Sets the clock ahead by its command's first argument, in milliseconds, and charges nothing: a
// frame that takes seconds, as under a slow renderer, a busy core or a stopped process.
class ClockModule : public TScriptModule {
public:
    ClockModule() : TScriptModule("Clock") {}
    std::uint32_t Call(std::uint32_t, const std::deque<std::string>& args, const std::deque<std::uint32_t>&) override
    {
        platform::ManualClock::Advance(static_cast<DWORD>(std::stoul(args.at(0))));
        return kDone;
    }
    void Update() override {}
    void Draw() override {}
};

// Only counted work ends a run: whether the clock stands still, jumps a second between two
// statements all through the frame, or wraps on the way, the run ends at the same statement. The
// command costs 48 and a token for each of its three arguments, 17 units; WHILE, the sum and END
// one each: a pass is four statements and 20 units. g.x made, 4 more: the 50,000th pass ends at
// its command.
TEST_F(ScriptLimits, ARunEndsAtTheSameStatementHoweverLongItTakes)
{
    const struct {
        const char* what;
        DWORD start;
        const char* ms;
    } cases[] = {
        {"a still clock", 5000, "0"},
        {"a second between statements", 5000, "1000"},
        {"a second between statements as the clock wraps", 0xFFFFF000, "1000"},
        {"a stop of 200 ms in each pass", 5000, "200"},
    };
    const scripttest::StillClock clock;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ResetScripting();
        m_manager->AddModule(new ClockModule);
        platform::ManualClock::Set(c.start);
        testing::internal::CaptureStderr();
        EXPECT_EQ(Run({"WHILE 1", "CALL @@SendMsg \"Clock\" 0 " + std::string(c.ms), "g.x = g.x + 1", "END"}),
                  TScriptProcessManager::kFinished);
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_NE(log.find("ran 199998 statements in one frame, working through 2750009 tokens; all scripts ended"),
                  std::string::npos)
            << log;
        EXPECT_EQ(Global("x"), 49999);
    }
}

}  // namespace
