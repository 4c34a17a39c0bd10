// CALL: module commands and their arguments, the system calls, scripts called as subroutines.
#include "script_fixture.h"

#include <ctime>

#include "MainCode/Script/ScriptCommon.h"
#include "MainCode/TRunState.h"
#include "support/script_probe.h"

namespace {

using scripttest::Mark;
using scripttest::RecordingModule;
using scripttest::ScriptTest;

class Call : public ScriptTest {
protected:
    RecordingModule* AddRecorder(const std::string& name, std::uint32_t result = TScriptModule::kDone)
    {
        auto* module = new RecordingModule(name, &m_trace, result);
        m_manager->AddModule(module);
        return module;
    }
};

TEST_F(Call, SendMsgHandsItsArgumentsToTheModuleAsTexts)
{
    RecordingModule* text = AddRecorder("Text");
    EXPECT_EQ(Run({"CALL @@SendMsg \"Text\" 0 \"こんにちは\""}), TScriptProcessManager::kFinished);
    EXPECT_EQ(m_trace, std::vector<std::string>{"Text:0:こんにちは"});
    EXPECT_EQ(text->lastKinds, std::deque<std::uint32_t>{kTokenText});

    // Numbers and variables arrive as decimal texts; labels and unknown kinds are dropped.
    RecordingModule* module = AddRecorder("M");
    m_manager->GetGlobalA().SetInt("a", -5);
    m_manager->GetGlobalB().SetInt("a", 77);
    m_trace.clear();
    Run({"l = 12", "CALL @@SendMsg \"M\" <3>1 <3>1F g.a <12>a b.a l <13>l g.unset 0xFFFFFFFF :dropped 9 <8>gone"});
    EXPECT_EQ(m_trace, std::vector<std::string>{"M:1:31,-5,-5,77,12,12,0,-1,9"});
    EXPECT_EQ(module->lastKinds, std::deque<std::uint32_t>(9, kTokenDecimal));

    // The command number is read like atoi; without a name and a command nothing is sent.
    m_trace.clear();
    Run({"CALL @@SendMsg \"M\" \"12abc\"", "CALL @@SendMsg \"M\" \"x\"", "CALL @@SendMsg \"M\" -1",
         "CALL @@SendMsg", "CALL @@SendMsg \"M\"", Mark(1)});
    EXPECT_EQ(m_trace, (std::vector<std::string>{"M:12:", "M:0:", "M:4294967295:", "T:1:"}));
}

TEST_F(Call, ModuleResultBitsHoldTheScripts)
{
    AddRecorder("Wait", 5);
    AddRecorder("Stop", 7);
    EXPECT_EQ(Run({"CALL @@SendMsg \"Wait\" 0", Mark(1), "CALL @@SendMsg \"Stop\" 0", Mark(2),
                   "CALL @@SendMsg \"Nobody\" 0", Mark(3)}),
              TScriptProcessManager::kHeld);
    EXPECT_EQ(Marks(), "");
    EXPECT_EQ(TScriptProbe::ModuleWait(*m_manager), 1);
    EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kHeld);
    m_manager->SetModuleWait(0);
    EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kHeld);
    EXPECT_EQ(Marks(), "1");
    EXPECT_EQ(m_manager->GetStop(), 1);
    EXPECT_EQ(TScriptProbe::ModuleWait(*m_manager), 1);
    m_manager->SetModuleWait(0);
    EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kHeld);  // the stop flag still holds
    m_manager->SetStop(0);
    // A missing module is a lost call: no flag, the script goes on.
    EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kFinished);
    EXPECT_EQ(Marks(), "1 2 3");
}

TEST_F(Call, ScriptRandomSequenceAndSeeds)
{
    Run({"CALL @@RandomSeed 1", "CALL @@Random", "g.a = g.$_", "CALL @@Random", "g.b = g.$_"});
    EXPECT_EQ(Global("a"), 41);
    EXPECT_EQ(Global("b"), 18467);
    // Without a seed argument the state stays: the sequence goes on.
    Run({"CALL @@RandomSeed", "CALL @@Random"});
    EXPECT_EQ(Global("$_"), 6334);
    // The generator is the run's: a new manager does not reset it.
    SeedScriptRandom(1);
    TScriptProcessManager::Create();
    EXPECT_EQ(ScriptRandom(), 41);
    // A new run starts it afresh, and the run before goes on where it was once the new one ends.
    {
        TRunState run;
        EXPECT_EQ(ScriptRandom(), 41);
        EXPECT_EQ(ScriptRandom(), 18467);
    }
    EXPECT_EQ(ScriptRandom(), 18467);
}

TEST_F(Call, TimeIsSecondsSince1970)
{
    const auto before = static_cast<std::int32_t>(std::time(nullptr));
    Run({"CALL @@Time"});
    const auto after = static_cast<std::int32_t>(std::time(nullptr));
    EXPECT_GE(Global("$_"), before);
    EXPECT_LE(Global("$_"), after);
}

TEST_F(Call, WaitHoldsUntilTheHostClearsIt)
{
    EXPECT_EQ(Run({Mark(1), "CALL @@Wait", Mark(2), "CALL @@Resume", "CALL @@Unknown", Mark(3)}),
              TScriptProcessManager::kHeld);
    EXPECT_EQ(Marks(), "1");
    EXPECT_EQ(m_manager->GetHostWait(), 1);
    EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kHeld);
    EXPECT_EQ(Marks(), "1");
    m_manager->SetHostWait(0);
    EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kFinished);
    EXPECT_EQ(Marks(), "1 2 3");
    EXPECT_EQ(m_manager->GetHostWait(), 0);
}

TEST_F(Call, CalledScriptRunsInTheSameFrameWithItsArguments)
{
    // Text arguments are 0, locals belong to one load, and the final CALL does not end the caller.
    Write({{"main", {Mark(1), "CALL t.pbsc/sub 7 <3>10 \"txt\" g.v", Mark(3), "g.r = g.$_", "CALL t.pbsc/two \"a\"",
                     "CALL t.pbsc/two"}},
           {"sub", {"CALL @@SendMsg \"T\" $0 $1 $2 $3 $4", "RETURN $0 + $1"}},
           {"two", {"CALL @@SendMsg \"T\" 5 $0 seen", "seen = 1", Mark(6)}}});
    m_manager->GetGlobalA().SetInt("v", -4);
    m_manager->Push("t.pbsc/main");
    EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kFinished);
    EXPECT_EQ(m_trace,
              (std::vector<std::string>{"T:1:", "T:7:16,0,-4,0", "T:3:", "T:5:0,0", "T:6:", "T:5:0,0", "T:6:"}));
    EXPECT_EQ(Global("r"), 23);
}

TEST_F(Call, ScriptsCallingScriptsQueueAtMost256)
{
    Write({{"rec", {"g.n = g.n + 1", "CALL t.pbsc/rec"}}});
    m_manager->Push("t.pbsc/rec");
    testing::internal::CaptureStderr();
    EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kFinished);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Global("n"), 256);
    EXPECT_NE(log.find("t.pbsc/rec"), std::string::npos) << log;
}

TEST_F(Call, WithoutAManagerCallsTouchNothing)
{
    Write({{"main", {"g.x = 4", "CALL @@SendMsg \"T\" 1", "CALL @@Wait", "CALL t.pbsc/main", "RETURN 3"}}});
    TScriptProcessManager::Destroy();
    TScript script("t.pbsc/main");
    int steps = 0;
    while (script.Step()) {
        ++steps;
    }
    EXPECT_EQ(steps, 4);
    EXPECT_TRUE(m_trace.empty());
}

}  // namespace
