// Blocks, loops, labels and jumps, run through the manager and traced by module calls.
#include "script_fixture.h"

#include "MainCode/Script/TScriptStatement.h"

namespace {

using scripttest::Mark;
using scripttest::ScriptTest;

class ControlFlow : public ScriptTest {
protected:
    // Runs "main" with x set first; returns the marks.
    std::string RunWith(int x, std::vector<std::string> lines)
    {
        lines.insert(lines.begin(), "g.x = " + std::to_string(x));
        EXPECT_EQ(Run(lines), TScriptProcessManager::kFinished);
        return Marks();
    }
};

TEST_F(ControlFlow, IfElifElseTakesOneBranch)
{
    const std::vector<std::string> script = {"IF g.x == 1", Mark(1), "ELIF g.x == 2", Mark(2), "ELSE", Mark(3),
                                             "END", Mark(9)};
    EXPECT_EQ(RunWith(1, script), "1 9");
    m_trace.clear();
    EXPECT_EQ(RunWith(2, script), "2 9");
    m_trace.clear();
    EXPECT_EQ(RunWith(5, script), "3 9");
}

TEST_F(ControlFlow, ElifChainAfterATakenBranchGoesToTheEnd)
{
    // The IF branch runs; both ELIFs (whose conditions are also true) are skipped.
    const std::vector<std::string> script = {"IF g.x > 0", Mark(1), "ELIF g.x > 0", Mark(2), "ELIF 1", Mark(3),
                                             "ELSE",       Mark(4), "END",          Mark(9)};
    EXPECT_EQ(RunWith(1, script), "1 9");
    m_trace.clear();
    EXPECT_EQ(RunWith(0, script), "3 9");
}

TEST_F(ControlFlow, ElifRightAfterATrueIfWithAnEmptyBranchIsTested)
{
    EXPECT_EQ(RunWith(1, {"IF 1", "ELIF g.x == 1", Mark(2), "END", Mark(9)}), "2 9");
    m_trace.clear();
    EXPECT_EQ(RunWith(0, {"IF 1", "ELIF g.x == 1", Mark(2), "END", Mark(9)}), "9");
}

TEST_F(ControlFlow, SwitchWithSharedCasesAndDefault)
{
    const std::vector<std::string> withElse = {"SWITCH g.x", "CASE 1", "CASE 2", Mark(12), "CASE 3", Mark(3),
                                               "ELSE",       Mark(0),  "END",    Mark(9)};
    EXPECT_EQ(RunWith(1, withElse), "12 9");
    m_trace.clear();
    EXPECT_EQ(RunWith(2, withElse), "12 9");
    m_trace.clear();
    EXPECT_EQ(RunWith(3, withElse), "3 9");
    m_trace.clear();
    EXPECT_EQ(RunWith(7, withElse), "0 9");
    m_trace.clear();
    EXPECT_EQ(RunWith(7, {"SWITCH g.x", "CASE 1", "CASE 2", Mark(12), "END", Mark(9)}), "9");
    m_trace.clear();
    EXPECT_EQ(RunWith(2, {"SWITCH g.x", "CASE 1", "CASE 2", Mark(12), "END", Mark(9)}), "12 9");
}

TEST_F(ControlFlow, SwitchEvaluatesItsValueOnceAndEachCaseOnEveryWalk)
{
    // The value changes inside the matching body; no later case is entered.
    EXPECT_EQ(RunWith(1, {"SWITCH g.x", "CASE 1", "g.x = 2", Mark(1), "CASE 2", Mark(2), "END", Mark(9)}), "1 9");
}

TEST_F(ControlFlow, WhileTestsFirstAndLoops)
{
    EXPECT_EQ(RunWith(0, {"WHILE g.x > 0", Mark(1), "END", Mark(9)}), "9");
    m_trace.clear();
    EXPECT_EQ(RunWith(3, {"WHILE g.x > 0", "CALL @@SendMsg \"T\" g.x", "g.x = g.x - 1", "END", Mark(9)}), "3 2 1 9");
}

TEST_F(ControlFlow, RepeatRunsAtLeastOnceUntilAndTillLeaveOnOppositeConditions)
{
    EXPECT_EQ(RunWith(0, {"REPEAT", Mark(1), "UNTIL 1", Mark(9)}), "1 9");
    m_trace.clear();
    EXPECT_EQ(RunWith(3, {"REPEAT", "CALL @@SendMsg \"T\" g.x", "g.x = g.x - 1", "UNTIL g.x == 0", Mark(9)}),
              "3 2 1 9");
    m_trace.clear();
    EXPECT_EQ(RunWith(0, {"REPEAT", Mark(1), "TILL 0", Mark(9)}), "1 9");
    m_trace.clear();
    EXPECT_EQ(RunWith(3, {"REPEAT", "CALL @@SendMsg \"T\" g.x", "g.x = g.x - 1", "TILL g.x", Mark(9)}), "3 2 1 9");
}

TEST_F(ControlFlow, NestedBlocks)
{
    const std::vector<std::string> script = {"WHILE g.x < 4", "g.x = g.x + 1", "IF g.x % 2", "SWITCH g.x", "CASE 1",
                                             Mark(1),         "ELSE",          Mark(3),      "END",        "ELSE",
                                             Mark(0),         "END",           "END",        Mark(9)};
    EXPECT_EQ(RunWith(0, script), "1 0 3 0 9");
}

TEST_F(ControlFlow, GotoGoesToTheLaterOfTwoEqualLabels)
{
    EXPECT_EQ(RunWith(0, {"GOTO :a", ":a", Mark(1), ":a", Mark(2)}), "2");
    m_trace.clear();
    // A backward jump makes a loop.
    EXPECT_EQ(RunWith(0, {":top", "g.x = g.x + 1", "IF g.x < 3", "GOTO :top", "END", "CALL @@SendMsg \"T\" g.x"}),
              "3");
}

TEST_F(ControlFlow, GotoToNoLabelEndsTheScript)
{
    EXPECT_EQ(RunWith(0, {Mark(1), "GOTO :nowhere", Mark(2)}), "1");
}

TEST_F(ControlFlow, ReturnEndsAndSetsTheResult)
{
    EXPECT_EQ(RunWith(0, {Mark(1), "RETURN 6 * 7", Mark(2)}), "1");
    EXPECT_EQ(Global("$_"), 42);
    m_manager->GetGlobalA().SetInt("$_", 5);
    m_trace.clear();
    // An expression that does not parse is a plain RETURN: "$_" stays.
    EXPECT_EQ(RunWith(0, {"RETURN 1 +", Mark(2)}), "");
    EXPECT_EQ(Global("$_"), 5);
}

TEST_F(ControlFlow, EmptyConditionsAreFalse)
{
    EXPECT_EQ(RunWith(0, {"IF 1 +", Mark(1), "ELSE", Mark(2), "END", "g.y = 2 *", Mark(9)}), "2 9");
    EXPECT_EQ(Global("y"), 0);
}

TEST_F(ControlFlow, ClosingStatementsWithoutABlockAreLeftOutAndLogged)
{
    testing::internal::CaptureStderr();
    // They run with no links: END and a true UNTIL go on, an ELSE after no branch ends the script.
    EXPECT_EQ(RunWith(0, {"END", Mark(1), "UNTIL 1", Mark(2), "ELSE", Mark(3)}), "1 2");
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("closes no block"), std::string::npos) << log;
    EXPECT_NE(log.find("t.pbsc/main"), std::string::npos) << log;
}

TEST_F(ControlFlow, BlockLeftOpenRunsToTheEndOfTheScript)
{
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunWith(0, {Mark(1), "IF 0", Mark(2)}), "1");
    m_trace.clear();
    EXPECT_EQ(RunWith(0, {"SWITCH 4", "CASE 1", Mark(1)}), "");
    m_trace.clear();
    EXPECT_EQ(RunWith(1, {"IF 1", Mark(1), "ELIF 1", Mark(2)}), "1");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("left open"), std::string::npos);
}

}  // namespace
