#include "MainCode/SceneRequests.h"

#include "MainCode/Menu/TBuyShopLoop.h"
#include "MainCode/Menu/TInnLoop.h"
#include "MainCode/Menu/TMenuTopLoop.h"
#include "MainCode/Menu/TSaveLoadLoop.h"
#include "MainCode/Menu/TSelectContinueDataLoop.h"
#include "MainCode/Menu/TSellShopLoop.h"

TLoop* CreatePauseMenu(TGameWnd* app, TFieldLoop* field)
{
    return new TMenuTopLoop(app, field);
}

TLoop* CreateBuyShop(TGameWnd* app, const std::vector<std::uint32_t>& goods)
{
    return new TBuyShopLoop(app, goods);
}

TLoop* CreateSellShop(TGameWnd* app)
{
    return new TSellShopLoop(app);
}

TLoop* CreateInn(TGameWnd* app, TFieldLoop* field)
{
    return new TInnLoop(app, field);
}

TLoop* CreateSaveScreen(TGameWnd* app)
{
    return TSaveLoadLoop::CreateSave(app);
}

TLoop* CreateLoadScreen(TGameWnd* app)
{
    return TSaveLoadLoop::CreateLoad(app);
}

TLoop* CreateCarryOverChoice(TGameWnd* app, std::int32_t chapter)
{
    return TSelectContinueDataLoop::Create(app, chapter);
}
