#include "MainCode/Script/TShopModule.h"

#include <vector>

#include "MainCode/SceneRequests.h"
#include "MainCode/Script/ScriptCommon.h"
#include "MainCode/TGameWnd.h"

TShopModule::TShopModule(TGameWnd* app, TFieldLoop* field)
    : TScriptModule("Shop"), m_state(&TShopModule::DoNothing), m_app(app), m_field(field)
{
}

std::uint32_t TShopModule::Call(std::uint32_t command, const std::deque<std::string>& args,
                                const std::deque<std::uint32_t>&)
{
    // Every command arms, even one that opens nothing.
    m_state = &TShopModule::Arm;
    if (m_app == nullptr || command > 2) {
        return kDone;
    }
    if (command == 0) {
        std::vector<std::uint32_t> items;
        items.reserve(args.size());
        for (const std::string& arg : args) {
            items.push_back(static_cast<std::uint32_t>(ScriptAtoi(arg)));
        }
        m_app->PushScene(CreateBuyShop(m_app, items));
    } else if (command == 1) {
        m_app->PushScene(CreateSellShop(m_app));
    } else {
        m_app->PushScene(CreateInn(m_app, m_field));
    }
    return kDone | kWait;
}

void TShopModule::Resume()
{
    m_state = &TShopModule::DoNothing;
    SetScriptWait(0);
}
