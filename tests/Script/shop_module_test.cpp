// The "Shop" module on the application's scene stack: the script goes on only once the pushed
// shop or inn has ended and the field runs again.
#include "MainCode/Scene/TBuyShopLoop.h"
#include "MainCode/Scene/TInnLoop.h"
#include "MainCode/Scene/TSellShopLoop.h"
#include "MainCode/Script/TShopModule.h"
#include "Script/field_module_fixture.h"

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
        m_manager->AddModule(new TShopModule(app_.get(), field_.get()));
        field = new ScriptingField(app_.get());
        app_->PushScene(field);
    }
    // Frames until a scene other than the field is current (at most 10); that scene.
    TLoop* RunUntilPushed()
    {
        for (int i = 0; i < 10 && app_->GetCurrentScene() == field; ++i) {
            app_->Frame();
        }
        return app_->GetCurrentScene();
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
    EXPECT_EQ(buy->GetItems(), (std::vector<std::uint32_t>{5, 7, 9}));
    for (int i = 0; i < 5; ++i) {
        app_->Frame();  // the shop stays open as long as the player likes
    }
    EXPECT_EQ(Marks(), "");
    const int fieldSteps = field->steps;
    EXPECT_EQ(buy->GetUpdates(), 5u);
    buy->End();
    app_->Frame();  // the shop ends
    ASSERT_EQ(app_->GetCurrentScene(), field);
    app_->Frame();  // the field runs again: the module lets the script go on
    EXPECT_EQ(Marks(), "");
    EXPECT_EQ(field->steps, fieldSteps + 1);

    auto* inn = dynamic_cast<TInnLoop*>(RunUntilPushed());
    ASSERT_NE(inn, nullptr);
    EXPECT_EQ(Marks(), "1");
    EXPECT_EQ(inn->GetField(), field_.get());
    inn->End();
    app_->Frame();
    auto* sell = dynamic_cast<TSellShopLoop*>(RunUntilPushed());
    ASSERT_NE(sell, nullptr);
    EXPECT_EQ(Marks(), "1 2");
    sell->End();
    for (int i = 0; i < 4; ++i) {
        app_->Frame();
    }
    EXPECT_EQ(Marks(), "1 2 3");
    EXPECT_EQ(m_manager->GetTaskCount(), 0u);
}

TEST_F(Shop, BuyShopWithoutItemsOpensEmpty)
{
    Write({{"main", {"CALL @@SendMsg \"Shop\" 0", scripttest::Mark(1)}}});
    m_manager->Push("t.pbsc/main");
    auto* buy = dynamic_cast<TBuyShopLoop*>(RunUntilPushed());
    ASSERT_NE(buy, nullptr);
    EXPECT_TRUE(buy->GetItems().empty());
}

TEST_F(Shop, UnknownCommandArmsTooAndClearsTheWaitTwoUpdatesLater)
{
    // The command itself does not hold the script: the wait comes from elsewhere (here the host).
    EXPECT_EQ(m_manager->CallModule("Shop", 3, {}, {}), TScriptModule::kDone);
    EXPECT_EQ(app_->GetCurrentScene(), field);
    m_manager->SetModuleWait(1);
    m_manager->UpdateModules();
    EXPECT_EQ(m_manager->GetModuleWait(), 1);
    m_manager->UpdateModules();
    EXPECT_EQ(m_manager->GetModuleWait(), 0);
    m_manager->SetModuleWait(1);
    m_manager->UpdateModules();  // back to idle: clears nothing more
    EXPECT_EQ(m_manager->GetModuleWait(), 1);
}

}  // namespace
