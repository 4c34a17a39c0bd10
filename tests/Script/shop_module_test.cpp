// The "Shop" module on the application's scene stack: the script goes on only once the pushed
// shop or inn has ended and the field runs again.
#include "MainCode/Menu/TBuyShopLoop.h"
#include "MainCode/Menu/TInnLoop.h"
#include "MainCode/Menu/TSellShopLoop.h"
#include "MainCode/Script/TShopModule.h"
#include "Script/field_module_fixture.h"
#include "formats/shop_assets.h"
#include "support/main_probe.h"
#include "support/menu_probe.h"
#include "support/script_probe.h"

namespace {

using scripttest::FieldModuleTest;

// The field as far as scripts go: steps the manager, updates the modules while it holds.
class ScriptingField : public TLoop {
public:
    explicit ScriptingField(TGameWnd* app) : TLoop(app) {}
    std::uint32_t Update() override
    {
        ++steps;
        TScriptProcessManager* manager = TScriptProcessManager::Get();
        if (manager->Step() == TScriptProcessManager::kHeld) {
            manager->UpdateModules();
        }
        return LOOP_CONTINUE;
    }
    int steps = 0;
};

class Shop : public FieldModuleTest {
protected:
    void SetUp() override
    {
        FieldModuleTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(MakeField(-1));
        qmtest::WriteShopPictures("data/ptx04");
        m_manager->AddModule(new TShopModule(app_.get(), field_.get()));
        field = new ScriptingField(app_.get());
        app_->PushScene(field);
    }
    // Steps until a scene other than the field is current (at most 10); that scene.
    TLoop* RunUntilPushed()
    {
        for (int i = 0; i < 10 && TMainProbe::CurrentScene(*app_) == field; ++i) {
            Step();
        }
        return TMainProbe::CurrentScene(*app_);
    }
    // Steps until the scene has ended (at most 200), with "B" pressed once on the way; whether
    // the field is current again.
    bool Cancel(TLoop* scene)
    {
        Steps(25);  // the shop's dim and windows in
        Press('X');
        for (int i = 0; i < 200 && TMainProbe::CurrentScene(*app_) == scene; ++i) {
            Step();
        }
        return TMainProbe::CurrentScene(*app_) == field;
    }

    ScriptingField* field = nullptr;
};

TEST_F(Shop, TheStatementAfterACallRunsOnlyOnceThePushedSceneHasEnded)
{
    Write({{"main",
            {"CALL @@SendMsg \"Shop\" 0 5 7 9", scripttest::Mark(1), "CALL @@SendMsg \"Shop\" 2", scripttest::Mark(2),
             "CALL @@SendMsg \"Shop\" 1", scripttest::Mark(3)}}});
    m_manager->Push("t.pbsc/main");

    auto* buy = dynamic_cast<TBuyShopLoop*>(RunUntilPushed());
    ASSERT_NE(buy, nullptr);
    EXPECT_EQ(TMenuProbe::Items(*buy), (std::vector<std::uint32_t>{5, 7, 9}));
    const int fieldSteps = field->steps;
    Steps(60);  // the shop stays open as long as the player likes
    EXPECT_EQ(Marks(), "");
    ASSERT_TRUE(Cancel(buy));
    EXPECT_EQ(field->steps, fieldSteps);
    Step();  // the field runs again: the module lets the script go on
    EXPECT_EQ(Marks(), "");
    EXPECT_EQ(field->steps, fieldSteps + 1);

    // The inn ends by itself.
    auto* inn = dynamic_cast<TInnLoop*>(RunUntilPushed());
    ASSERT_NE(inn, nullptr);
    EXPECT_EQ(Marks(), "1");
    EXPECT_EQ(TMenuProbe::Field(*inn), field_.get());
    for (int i = 0; i < 200 && TMainProbe::CurrentScene(*app_) == inn; ++i) {
        Step();
    }
    ASSERT_EQ(TMainProbe::CurrentScene(*app_), field);
    auto* sell = dynamic_cast<TSellShopLoop*>(RunUntilPushed());
    ASSERT_NE(sell, nullptr);
    EXPECT_EQ(Marks(), "1 2");
    ASSERT_TRUE(Cancel(sell));
    Steps(4);
    EXPECT_EQ(Marks(), "1 2 3");
    EXPECT_EQ(TScriptProbe::TaskCount(*m_manager), 0u);
}

TEST_F(Shop, BuyShopWithoutItemsOpensEmpty)
{
    Write({{"main", {"CALL @@SendMsg \"Shop\" 0", scripttest::Mark(1)}}});
    m_manager->Push("t.pbsc/main");
    auto* buy = dynamic_cast<TBuyShopLoop*>(RunUntilPushed());
    ASSERT_NE(buy, nullptr);
    EXPECT_TRUE(TMenuProbe::Items(*buy).empty());
    ASSERT_TRUE(Cancel(buy));
    Steps(2);
    EXPECT_EQ(Marks(), "1");
}

TEST_F(Shop, UnknownCommandArmsTooAndClearsTheWaitTwoUpdatesLater)
{
    // The command itself does not hold the script: the wait comes from elsewhere (here the host).
    EXPECT_EQ(m_manager->CallModule("Shop", 3, {}, {}), TScriptModule::kDone);
    EXPECT_EQ(TMainProbe::CurrentScene(*app_), field);
    m_manager->SetModuleWait(1);
    m_manager->UpdateModules();
    EXPECT_EQ(TScriptProbe::ModuleWait(*m_manager), 1);
    m_manager->UpdateModules();
    EXPECT_EQ(TScriptProbe::ModuleWait(*m_manager), 0);
    m_manager->SetModuleWait(1);
    m_manager->UpdateModules();  // back to idle: clears nothing more
    EXPECT_EQ(TScriptProbe::ModuleWait(*m_manager), 1);
}

}  // namespace
