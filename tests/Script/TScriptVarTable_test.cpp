// Variable tables and the binding of variable tokens to them.
#include "script_fixture.h"

#include "MainCode/Script/ScriptCommon.h"
#include "MainCode/Script/TScriptVarTable.h"

namespace {

using scripttest::ScriptTest;

TEST(TScriptVarTable, FourSeparateMaps)
{
    TScriptVarTable table;
    EXPECT_EQ(table.GetInt("a", -9), -9);
    table.SetInt("a", 3);
    table.SetInt("a", 4);
    EXPECT_EQ(table.GetInt("a", 0), 4);
    EXPECT_EQ(table.GetIntAt(0, -1), -1);
    std::string text = "stale";
    EXPECT_FALSE(table.GetString("a", text));
    EXPECT_EQ(text, "");
    table.SetIntAt(0, 7);
    table.SetIntAt(0xFFFFFFFFu, 8);
    table.SetString("a", "文字");
    table.SetStringAt(7, "seven");
    EXPECT_EQ(table.GetIntAt(0, 0), 7);
    EXPECT_EQ(table.GetIntAt(0xFFFFFFFFu, 0), 8);
    EXPECT_EQ(table.GetInt("a", 0), 4);
    EXPECT_TRUE(table.GetString("a", text));
    EXPECT_EQ(text, "文字");
    EXPECT_FALSE(table.GetStringAt(0, text));
    EXPECT_TRUE(table.GetStringAt(7, text));
    EXPECT_EQ(text, "seven");
    table.Clear();
    EXPECT_EQ(table.GetInt("a", 0) + table.GetIntAt(0, 0), 0);
    EXPECT_FALSE(table.GetString("a", text));
    EXPECT_FALSE(table.GetStringAt(7, text));
}

using VarRefs = ScriptTest;

TEST_F(VarRefs, KindsTenAndTwelveShareNineDoesNot)
{
    Run({"g.v = 5", "<12>v = <12>v + 1", "b.v = 100", "<13>v = 2", "v = v + 1"});
    EXPECT_EQ(m_manager->GetGlobalA().GetInt("v", 0), 6);
    EXPECT_EQ(m_manager->GetGlobalB().GetInt("v", 0), 100);
}

TEST_F(VarRefs, EachScriptHasItsOwnLocals)
{
    Write({{"a", {"x = 1", "CALL t.pbsc/b", "g.a = x"}}, {"b", {"g.b0 = x", "x = 9", "g.b = x"}}});
    m_manager->Push("t.pbsc/a");
    m_manager->Step();
    EXPECT_EQ(Global("a"), 1);
    EXPECT_EQ(Global("b0"), 0);
    EXPECT_EQ(Global("b"), 9);
    TScript again("t.pbsc/b");
    EXPECT_EQ(again.GetLocals().GetInt("x", 0), 0);  // a script loaded again starts empty
}

TEST_F(VarRefs, WithoutAManagerGlobalsReadZeroAndKeepNothing)
{
    TScriptProcessManager::Destroy();
    for (std::uint32_t kind : {kTokenGlobalB, kTokenGlobalA, kTokenGlobalA2}) {
        TRefPtr<TScriptVarRef> ref = TScriptVarRef::Create("x", kind, nullptr);
        ref->Set(5);
        EXPECT_EQ(ref->Get(), 0) << kind;
    }
    // Kinds outside 9 to 13 have no table either.
    for (std::uint32_t kind : {8u, 14u}) {
        TRefPtr<TScriptVarRef> ref = TScriptVarRef::Create("x", kind, nullptr);
        ref->Set(5);
        EXPECT_EQ(ref->Get(), 0) << kind;
    }
    Write({{"main", {"l = 5", "g.x = l"}}});
    TScript script("t.pbsc/main");
    while (script.Step()) {
    }
    EXPECT_EQ(script.GetLocals().GetInt("l", 0), 5);
    EXPECT_EQ(TScriptProcessManager::Create()->GetGlobalA().GetInt("x", 0), 0);
}

}  // namespace
