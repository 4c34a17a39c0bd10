// The manager's flags, task order, module registry and the per-frame statement budget.
#include "script_fixture.h"
#include "support/script_probe.h"

#include <functional>

namespace {

using scripttest::Mark;
using scripttest::RecordingModule;
using scripttest::ScriptTest;

using Manager = ScriptTest;

TEST(TScriptProcessManagerLife, CreateReplacesAndDestroyEmpties)
{
    EXPECT_EQ(TScriptProcessManager::Get(), nullptr);
    TScriptProcessManager* first = TScriptProcessManager::Create();
    ASSERT_EQ(TScriptProcessManager::Get(), first);
    EXPECT_EQ(TScriptProbe::ModuleWait(*first), 0);
    bool destroyed = false;
    std::vector<std::string> trace;
    first->AddModule(new RecordingModule("Text", &trace, 4, &destroyed));
    first->GetGlobalA().SetInt("x", 1);
    TScriptProcessManager* second = TScriptProcessManager::Create();
    EXPECT_TRUE(destroyed);  // the old manager went with its modules
    EXPECT_EQ(TScriptProcessManager::Get(), second);
    EXPECT_EQ(second->GetGlobalA().GetInt("x", 0), 0);
    EXPECT_EQ(second->GetHostWait() | TScriptProbe::ModuleWait(*second) | second->GetStop() |
                  TScriptProbe::Cancel(*second),
              0);
    TScriptProcessManager::Destroy();
    EXPECT_EQ(TScriptProcessManager::Get(), nullptr);
    TScriptProcessManager::Destroy();  // nothing left: nothing happens
}

TEST(TScriptProcessManagerLife, ConstructorAndClearLeaveTheModuleWaitSet)
{
    TScriptProcessManager manager;
    EXPECT_EQ(TScriptProbe::ModuleWait(manager), 1);
    EXPECT_EQ(manager.Step(), TScriptProcessManager::kHeld);
    manager.SetModuleWait(0);
    EXPECT_EQ(manager.Step(), TScriptProcessManager::kFinished);
    manager.GetGlobalA().SetInt("a", 1);
    manager.GetGlobalB().SetInt("b", 1);
    manager.Clear();
    EXPECT_EQ(TScriptProbe::ModuleWait(manager), 1);
    EXPECT_EQ(manager.GetGlobalA().GetInt("a", 0) + manager.GetGlobalB().GetInt("b", 0), 0);
}

TEST_F(Manager, CancelComesBeforeEverything)
{
    m_manager->SetCancel(1);
    EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kCancelled);  // no task at all
    m_manager->SetHostWait(1);
    m_manager->SetStop(1);
    m_manager->SetModuleWait(1);
    Write({{"main", {Mark(1)}}});
    m_manager->Push("t.pbsc/main");
    EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kCancelled);
    EXPECT_EQ(Marks(), "");
}

TEST_F(Manager, EachHoldingFlagHoldsOnItsOwn)
{
    Write({{"main", {Mark(1)}}});
    TScriptProcessManager* m = m_manager;
    const std::function<void(std::uint8_t)> setters[] = {
        [m](std::uint8_t v) { m->SetHostWait(v); }, [m](std::uint8_t v) { m->SetStop(v); },
        [m](std::uint8_t v) { m->SetModuleWait(v); }};
    for (const auto& set : setters) {
        m_manager->Push("t.pbsc/main");
        set(1);
        EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kHeld) << Marks();
        set(0);
        EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kFinished);
    }
    EXPECT_EQ(Marks(), "1 1 1");
    EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kFinished);  // nothing left
}

TEST_F(Manager, NewestPushedRunsFirstAndAWaitingTaskGoesOnAtItsNextStatement)
{
    m_manager->AddModule(new RecordingModule("W", &m_trace, 5));
    Write({{"a", {Mark(1), Mark(2)}}, {"b", {Mark(3)}}, {"c", {Mark(4), "CALL @@SendMsg \"W\" 0", Mark(5)}}});
    m_manager->Push("t.pbsc/a");
    m_manager->Push("t.pbsc/b");
    EXPECT_EQ(TScriptProbe::TaskCount(*m_manager), 2u);
    EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kFinished);
    EXPECT_EQ(Marks(), "3 1 2");
    EXPECT_EQ(TScriptProbe::TaskCount(*m_manager), 0u);

    m_trace.clear();
    m_manager->Push("t.pbsc/b");
    m_manager->Push("t.pbsc/c");
    EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kHeld);
    EXPECT_EQ(Marks(), "4");
    m_manager->SetModuleWait(0);
    EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kFinished);
    EXPECT_EQ(Marks(), "4 5 3");
}

TEST_F(Manager, SetModuleReplacesAndReleases)
{
    bool firstGone = false;
    bool secondGone = false;
    m_manager->AddModule(new RecordingModule("Text", &m_trace, 4, &firstGone));
    auto* second = new RecordingModule("Text", &m_trace, 4, &secondGone);
    m_manager->AddModule(second);
    EXPECT_TRUE(firstGone);
    m_manager->AddModule(second);  // the same object again changes nothing
    EXPECT_FALSE(secondGone);
    EXPECT_EQ(m_manager->FindModule("Text"), second);
    m_trace.clear();
    m_manager->UpdateModules();
    EXPECT_EQ(m_trace, (std::vector<std::string>{"U:T", "U:Text"}));
    m_manager->RemoveModule("Text");
    EXPECT_TRUE(secondGone);
    m_manager->RemoveModule("Text");
    EXPECT_EQ(m_manager->CallModule("Text", 0, {}, {}), TScriptModule::kNoModule);
}

TEST_F(Manager, ModulesVisitedInByteOrderOfTheirNames)
{
    m_manager->RemoveModule("T");
    for (const char* name : {"VillagerInfo", "Text", "Flag", "Shop", "MapEvent"}) {
        m_manager->AddModule(new RecordingModule(name, &m_trace));
    }
    m_manager->UpdateModules();
    m_manager->DrawModules();
    EXPECT_EQ(m_trace, (std::vector<std::string>{"U:Flag", "U:MapEvent", "U:Shop", "U:Text", "U:VillagerInfo",
                                                 "D:Flag", "D:MapEvent", "D:Shop", "D:Text", "D:VillagerInfo"}));
}

// Removes a module (possibly itself) in its update, as a villager does with its own.
class Remover : public RecordingModule {
public:
    Remover(const std::string& name, std::vector<std::string>* trace, std::string victim, bool* gone)
        : RecordingModule(name, trace, 4, gone), m_victim(std::move(victim)) {}
    void Update() override
    {
        RecordingModule::Update();
        TScriptProcessManager::Get()->RemoveModule(m_victim);
    }

private:
    std::string m_victim;
};

TEST_F(Manager, ModuleMayRemoveModulesDuringTheUpdate)
{
    bool gone = false;
    m_manager->AddModule(new Remover("A", &m_trace, "A", &gone));
    m_manager->AddModule(new Remover("B", &m_trace, "C", nullptr));
    m_manager->AddModule(new RecordingModule("C", &m_trace));
    m_manager->UpdateModules();
    EXPECT_TRUE(gone);
    EXPECT_EQ(m_trace, (std::vector<std::string>{"U:A", "U:B", "U:T"}));
}

class Budget : public ScriptTest {
protected:
    // A script of exactly `statements` statements whose last one sets g.done (extra >= 1).
    std::vector<std::string> Counted(int loops, int extra)
    {
        std::vector<std::string> lines = {"g.i = 0", "WHILE g.i < " + std::to_string(loops), "g.i = g.i + 1", "END"};
        for (int e = 1; e < extra; ++e) {
            lines.push_back("g.pad = 1");
        }
        lines.push_back("g.done = 1");
        return lines;
    }
};

TEST_F(Budget, AMillionStatementsRunInOneFrameAndNoMore)
{
    // 1 + 3 per pass + 2 for the failing test and its END + the extra statements. The variables
    // are there before: a new one costs its allocation.
    const int loops = 333332;
    for (const char* name : {"i", "pad", "done"}) {
        m_manager->GetGlobalA().SetInt(name, 0);
    }
    testing::internal::CaptureStderr();
    EXPECT_EQ(Run(Counted(loops, 1)), TScriptProcessManager::kFinished);
    EXPECT_EQ(Global("done"), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    m_manager->GetGlobalA().SetInt("done", 0);
    Write({{"main", Counted(loops, 2)}, {"behind", {Mark(1)}}});
    m_manager->Push("t.pbsc/behind");
    m_manager->Push("t.pbsc/main");
    testing::internal::CaptureStderr();
    EXPECT_EQ(m_manager->Step(), TScriptProcessManager::kFinished);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Global("done"), 0);
    EXPECT_EQ(Marks(), "");  // the run ended: the task behind is dropped too
    EXPECT_EQ(TScriptProbe::TaskCount(*m_manager), 0u);
    EXPECT_NE(log.find("t.pbsc/main"), std::string::npos) << log;
}

}  // namespace
