// Blocks, loops, labels and jumps, run through the manager and traced by module calls.
#include "script_fixture.h"

#include "MainCode/Script/TScriptStatement.h"

namespace {

using scripttest::Mark;
using scripttest::ScriptTest;

class ControlFlow : public ScriptTest {
protected:
    // Runs "main" with x set first; returns the marks of this run alone.
    std::string RunWith(int x, std::vector<std::string> lines)
    {
        m_trace.clear();
        lines.insert(lines.begin(), "g.x = " + std::to_string(x));
        EXPECT_EQ(Run(lines), TScriptProcessManager::kFinished);
        return Marks();
    }
};

TEST_F(ControlFlow, EachBlockKindTakesItsWay)
{
    const std::string countDown = "CALL @@SendMsg \"T\" g.x";
    const std::vector<std::string> ifChain = {"IF g.x == 1", Mark(1), "ELIF g.x == 2", Mark(2), "ELSE", Mark(3),
                                              "END", Mark(9)};
    // After a taken branch every ELIF (true or not) is skipped.
    const std::vector<std::string> elifs = {"IF g.x > 0", Mark(1), "ELIF g.x > 0", Mark(2), "ELIF 1", Mark(3),
                                            "ELSE", Mark(4), "END", Mark(9)};
    const std::vector<std::string> emptyIf = {"IF 1", "ELIF g.x == 1", Mark(2), "END", Mark(9)};
    const std::vector<std::string> withElse = {"SWITCH g.x", "CASE 1", "CASE 2", Mark(12), "CASE 3", Mark(3),
                                               "ELSE", Mark(0), "END", Mark(9)};
    const std::vector<std::string> noElse = {"SWITCH g.x", "CASE 1", "CASE 2", Mark(12), "END", Mark(9)};
    const struct {
        int x;
        std::vector<std::string> lines;
        const char* marks;
    } cases[] = {
        {1, ifChain, "1 9"}, {2, ifChain, "2 9"}, {5, ifChain, "3 9"}, {1, elifs, "1 9"}, {0, elifs, "3 9"},
        {1, emptyIf, "2 9"}, {0, emptyIf, "9"},
        {1, withElse, "12 9"}, {2, withElse, "12 9"}, {3, withElse, "3 9"}, {7, withElse, "0 9"},
        {7, noElse, "9"}, {2, noElse, "12 9"},
        // The value is taken once: a change inside the matching body enters no later case.
        {1, {"SWITCH g.x", "CASE 1", "g.x = 2", Mark(1), "CASE 2", Mark(2), "END", Mark(9)}, "1 9"},
        {0, {"WHILE g.x > 0", Mark(1), "END", Mark(9)}, "9"},
        {3, {"WHILE g.x > 0", countDown, "g.x = g.x - 1", "END", Mark(9)}, "3 2 1 9"},
        // REPEAT runs at least once; UNTIL and TILL leave on opposite conditions.
        {0, {"REPEAT", Mark(1), "UNTIL 1", Mark(9)}, "1 9"},
        {3, {"REPEAT", countDown, "g.x = g.x - 1", "UNTIL g.x == 0", Mark(9)}, "3 2 1 9"},
        {0, {"REPEAT", Mark(1), "TILL 0", Mark(9)}, "1 9"},
        {3, {"REPEAT", countDown, "g.x = g.x - 1", "TILL g.x", Mark(9)}, "3 2 1 9"},
        {0, {"WHILE g.x < 4", "g.x = g.x + 1", "IF g.x % 2", "SWITCH g.x", "CASE 1", Mark(1), "ELSE", Mark(3), "END",
             "ELSE", Mark(0), "END", "END", Mark(9)}, "1 0 3 0 9"},
        // GOTO goes to the later of two equal labels, backward makes a loop, to no label ends the script.
        {0, {"GOTO :a", ":a", Mark(1), ":a", Mark(2)}, "2"},
        {0, {":top", "g.x = g.x + 1", "IF g.x < 3", "GOTO :top", "END", countDown}, "3"},
        {0, {Mark(1), "GOTO :nowhere", Mark(2)}, "1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RunWith(c.x, c.lines), c.marks) << c.x << ": " << testing::PrintToString(c.lines);
    }
}

TEST_F(ControlFlow, ReturnEndsAndSetsTheResultAndEmptyExpressionsAreFalse)
{
    EXPECT_EQ(RunWith(0, {Mark(1), "RETURN 6 * 7", Mark(2)}), "1");
    EXPECT_EQ(Global("$_"), 42);
    m_manager->GetGlobalA().SetInt("$_", 5);
    // An expression that does not parse is a plain RETURN: "$_" stays.
    EXPECT_EQ(RunWith(0, {"RETURN 1 +", Mark(2)}), "");
    EXPECT_EQ(Global("$_"), 5);
    EXPECT_EQ(RunWith(0, {"IF 1 +", Mark(1), "ELSE", Mark(2), "END", "g.y = 2 *", Mark(9)}), "2 9");
    EXPECT_EQ(Global("y"), 0);
}

TEST_F(ControlFlow, UnmatchedBlocksAreLoggedAndRunWithoutLinks)
{
    testing::internal::CaptureStderr();
    // Closers with no block: END and a true UNTIL go on, an ELSE after no branch ends the script.
    EXPECT_EQ(RunWith(0, {"END", Mark(1), "UNTIL 1", Mark(2), "ELSE", Mark(3)}), "1 2");
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("closes no block"), std::string::npos) << log;
    EXPECT_NE(log.find("t.pbsc/main"), std::string::npos) << log;

    // A block left open runs to the end of the script.
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunWith(0, {Mark(1), "IF 0", Mark(2)}), "1");
    EXPECT_EQ(RunWith(0, {"SWITCH 4", "CASE 1", Mark(1)}), "");
    EXPECT_EQ(RunWith(1, {"IF 1", Mark(1), "ELIF 1", Mark(2)}), "1");
    log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("left open"), std::string::npos) << log;
}

}  // namespace
