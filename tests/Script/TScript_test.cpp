// Compiled script files: keys, the directory, token texts, damaged files and the statement list.
#include "script_fixture.h"

#include "MainCode/Script/TScriptStatement.h"
#include "formats/byte_writer.h"
#include "support/fuzz.h"
#include "support/script_probe.h"

namespace {

using qmtest::ScriptToken;
using qmtest::ScriptTokens;
using scripttest::Mark;
using scripttest::ScriptTest;

using Loader = ScriptTest;

std::string Split(const std::string& key)
{
    std::string file = "?";
    std::string name = "?";
    TScript::SplitKey(key, file, name);
    return file + "|" + name;
}

TEST(TScriptKey, FilePartAndScriptName)
{
    const std::pair<const char*, const char*> cases[] = {
        {"04.pbsc/Event04_00", "04.pbsc|Event04_00"}, {"a/b/c", "a|b/c"}, {"", "|"}, {"a", "|"}, {"/x", "|"},
        {"a/", "a|"}};
    for (const auto& [key, split] : cases) {
        EXPECT_EQ(Split(key), split) << key;
    }
}

TEST_F(Loader, ScriptNameMustMatchWholeAndTheFirstOfTwoEqualNamesWins)
{
    Write({{"Event04_000", {Mark(1)}}, {"Event04_0", {Mark(2)}}, {"Event04_00", {Mark(3)}}, {"Event04_00", {Mark(4)}}},
          "04.pbsc");
    m_manager->Push("04.pbsc/Event04_00");
    m_manager->Step();
    EXPECT_EQ(Marks(), "3");
}

TEST_F(Loader, KeysWithoutAFileOrNameLoadNothingAndSaySo)
{
    Write({{"", {Mark(1)}}, {"x", {Mark(2)}}}, "a");
    for (const char* key : {"", "a", "/x"}) {
        testing::internal::CaptureStderr();
        TScript script(key);
        EXPECT_EQ(TScriptProbe::StatementCount(script), 0u) << key;
        EXPECT_FALSE(script.Step()) << key;
        EXPECT_NE(testing::internal::GetCapturedStderr().find("script: "), std::string::npos) << key;
    }
    // "a/" names the file "a" and the empty script name, which its directory holds.
    m_manager->Push("a/");
    m_manager->Step();
    EXPECT_EQ(Marks(), "1");
}

TEST_F(Loader, FailuresLeaveAnEmptyScriptAndALogLine)
{
    Write({{"main", {Mark(1), Mark(2)}}});
    const std::vector<std::uint8_t> whole = qmtest::LoadBytes(m_dir.File("t.pbsc"));
    qmtest::SaveBytes(m_dir.File("cut.pbsc"), std::vector<std::uint8_t>(whole.begin(), whole.end() - 1));
    const std::string folder = TScript::GetDirectory();
    const std::pair<const char*, const char*> cases[] = {
        {"none.pbsc/main", "none.pbsc"}, {"t.pbsc/other", "other"}, {"cut.pbsc/main", "cut.pbsc"}};
    for (const auto& [key, named] : cases) {
        testing::internal::CaptureStderr();
        m_manager->Push(key);
        EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kFinished) << key;
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_NE(log.find(named), std::string::npos) << log;
        EXPECT_NE(log.find(key), std::string::npos) << log;
    }
    EXPECT_EQ(Marks(), "");  // nothing of the cut script ran, not even its whole first statement
}

TEST_F(Loader, TokenTextsAreUnscrambledAndEndAtTheirFirstNul)
{
    EXPECT_EQ(qmtest::ScrambleScriptByte(0x13), 0x9D);
    EXPECT_EQ(qmtest::ScrambleScriptByte(0xFF), 0x00);
    std::string every;
    for (int b = 1; b < 256; ++b) {
        every.push_back(static_cast<char>(b));
    }
    const ScriptTokens goTo = {{std::string("GOTO\0xyz", 8), 1}, {"skip", 14}};
    qmtest::ScriptFileWriter writer;
    writer.RawScript("main", {qmtest::AssembleStatement("CALL @@SendMsg \"T\" 1"), goTo,
                              qmtest::AssembleStatement(Mark(2)), {{"skip", 14}},
                              {{"CALL", 1}, {"@@SendMsg", 6}, {"T", 4}, {"3", 2}, {every, 4}, {std::string("ab\0c", 4), 4}, {"\x13\xFF", 4}}});
    writer.Save(m_dir.File("t.pbsc"));
    // Plain bytes 0x13 and 0xFF reach the file as 0x9D and 0x00.
    const std::vector<std::uint8_t> bytes = writer.Build();
    const std::string stored(bytes.begin(), bytes.end());
    EXPECT_NE(stored.find(std::string("\x9D\x00", 2)), std::string::npos);

    auto* module = new scripttest::RecordingModule("T", &m_trace);
    m_manager->AddModule(module);
    m_manager->Push("t.pbsc/main");
    m_manager->Step();
    EXPECT_EQ(Marks(), "1 3");  // the GOTO jumped over mark 2
    ASSERT_EQ(module->lastArgs.size(), 3u);
    EXPECT_EQ(module->lastArgs[0], every);
    EXPECT_EQ(module->lastArgs[1], "ab");
    EXPECT_EQ(module->lastArgs[2], "\x13\xFF");
}

TEST_F(Loader, TokenListsNoKindAcceptsAreSkippedAndLogged)
{
    const std::vector<ScriptTokens> statements = {
        {},                                    // no token
        {{"FOO", 1}},                          // no such keyword
        {{"ELSE", 1}, {"1", 2}},               // ELSE takes nothing
        {{"GOTO", 1}, {"x", 11}},              // GOTO needs a label
        {{"CALL", 1}, {"T", 4}},               // CALL needs a system call or a script key
        {{"x", 11}, {"=", 5}},                 // nothing to assign
        {{"x", 11}, {"+", 5}, {"1", 2}},       // not "="
        {{"x", 11}},                           // a lone variable
        {{"IF", 4}, {"1", 2}},                 // a keyword must be of kind 1
        {{"call", 1}, {"@@Wait", 6}},          // keywords are matched exactly
        qmtest::AssembleStatement(Mark(7)),
    };
    qmtest::ScriptFileWriter().RawScript("main", statements).Save(m_dir.File("t.pbsc"));
    testing::internal::CaptureStderr();
    TScript script("t.pbsc/main");
    const std::string log = testing::internal::GetCapturedStderr();
    ASSERT_EQ(TScriptProbe::StatementCount(script), 2u);  // the CALL and its trailing RETURN
    EXPECT_EQ(TScriptProbe::Statement(script, 0)->GetKind(), TScriptStatement::kCall);
    // One line for the file, however many were skipped.
    EXPECT_EQ(log, "script: 10 statement(s) of " + m_dir.File("t.pbsc") +
                       " (t.pbsc/main) skipped, the first statement 0: 10 no statement, 0 longer than 65536 bytes\n");
}

TEST_F(Loader, FactoryTakesTheFirstKindThatAccepts)
{
    Write({{"main", {"RETURN", "GOTO :l", "IF 1", "ELIF 1", "ELSE", "END", "SWITCH 1", "CASE 1", "WHILE 1", "END",
                     "END", "REPEAT", "TILL 1", "REPEAT", "UNTIL 1", "CALL @@Wait", "g.x = 1", ":l"}}});
    TScript script("t.pbsc/main");
    const std::int32_t expected[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 5, 5, 9, 10, 9, 11, 12, 13, 14};
    ASSERT_EQ(TScriptProbe::StatementCount(script), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(TScriptProbe::Statement(script, i)->GetKind(), expected[i]) << i;
    }
    EXPECT_EQ(TScriptProbe::Statement(script, std::size(expected)), nullptr);
    EXPECT_EQ(TScriptProbe::Current(script), TScriptProbe::Statement(script, 0));
    EXPECT_EQ(script.GetPrevious(), nullptr);
}

TEST_F(Loader, ShortScriptsAndTheReturnAFinalCallGains)
{
    Write({{"empty", {}}, {"main", {"g.x = 1", "CALL @@Wait"}}, {"other", {"CALL @@Wait", "g.x = 1"}},
           {"one", {"g.x = 1"}}, {"behind", {"CALL @@SendMsg \"T\" g.x"}}});
    TScript empty("t.pbsc/empty");
    EXPECT_EQ(TScriptProbe::StatementCount(empty), 0u);
    EXPECT_EQ(TScriptProbe::Current(empty), nullptr);
    EXPECT_FALSE(empty.Step());

    TScript script("t.pbsc/main");
    ASSERT_EQ(TScriptProbe::StatementCount(script), 3u);
    EXPECT_EQ(TScriptProbe::Statement(script, 2)->GetKind(), TScriptStatement::kReturn);
    EXPECT_EQ(TScriptProbe::Statement(script, 1)->GetNext(), TScriptProbe::Statement(script, 2));
    EXPECT_EQ(TScriptProbe::Statement(script, 2)->GetNext(), nullptr);
    EXPECT_EQ(TScriptProbe::StatementCount(TScript("t.pbsc/other")), 2u);

    // One statement ends on its first step, and the task behind runs in the same frame.
    TScript one("t.pbsc/one");
    ASSERT_EQ(TScriptProbe::StatementCount(one), 1u);
    EXPECT_FALSE(one.Step());
    EXPECT_EQ(one.GetPrevious(), TScriptProbe::Statement(one, 0));
    EXPECT_FALSE(one.Step());
    m_manager->Push("t.pbsc/behind");
    m_manager->Push("t.pbsc/one");
    EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kFinished);
    EXPECT_EQ(Marks(), "1");
}

TEST_F(Loader, SurvivesDamagedFiles)
{
    qmtest::ScriptFileWriter writer;
    writer.Script("sub", {"RETURN $0 * 2"});
    writer.Script("main", {"g.i = 0", "WHILE g.i < 3", "g.i = g.i + 1", "IF g.i == 2", "CALL t.pbsc/sub g.i",
                           "ELIF g.i > 2", "CALL @@SendMsg \"T\" 1 \"文\" 0x1F", "ELSE", "CALL @@Random", "END",
                           "END", "SWITCH g.$_", "CASE 4", "GOTO :out", "ELSE", "REPEAT", "g.i = g.i - 1",
                           "UNTIL g.i < 0", "END", ":out", "RETURN ( g.i + 1 ) << 2"});
    const std::vector<std::uint8_t> valid = writer.Build();
    qmtest::FuzzFile(valid, m_dir.File("t.pbsc"), [&](const std::string&) {
        TScriptProcessManager::Create()->AddModule(new scripttest::RecordingModule("T", &m_trace));
        m_trace.clear();
        testing::internal::CaptureStderr();
        // A damaged loop may never end: the script is stepped by hand, a bounded number of times.
        TScript script("t.pbsc/main");
        for (int step = 0; step < 2000 && script.Step(); ++step) {
        }
        testing::internal::GetCapturedStderr();
    });
}

}  // namespace
